// The table of built-in worksheet functions: name, BIFF function number,
// argument count and operand classes.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "lxFormula.h"

namespace lx {
namespace {

// Functions that share an argument count and operand classes, listed as
// "NAME number, NAME number, ...".
struct TFunctionGroup {
  int32_t argumentCount;  // -1: variable
  int32_t defaultClass;
  int32_t resultClass;
  const char* argumentClasses;
  const char* functions;
};

constexpr TFunctionGroup kFunctionGroups[] = {
    {-1, kClassReference, kClassValue, "",
     "COUNT 0, SUM 4, AVERAGE 5, MIN 6, MAX 7, ROW 8, COLUMN 9, STDEV 12, VAR 46, COUNTA 169, PRODUCT 183, STDEVP 193, "
     "VARP 194, MEDIAN 227, AVEDEV 269, DEVSQ 318, GEOMEAN 319, HARMEAN 320, SUMSQ 321, KURT 322, SKEW 323, AVERAGEA "
     "361, MAXA 362, MINA 363, STDEVPA 364, VARPA 365, STDEVA 366, VARA 367"},
    {-1, kClassValue, kClassReference, "", "INDIRECT 148"},
    {-1, kClassValue, kClassValue, "",
     "DOLLAR 13, FIXED 14, AND 36, OR 37, PV 56, FV 57, NPER 58, PMT 59, RATE 60, WEEKDAY 70, SEARCH 82, LOG 109, LEFT "
     "115, RIGHT 116, SUBSTITUTE 120, FIND 124, DDB 144, CALL 150, IPMT 167, PPMT 168, TRUNC 197, ADDRESS 219, DAYS360 "
     "220, VDB 222, DB 247, REGISTER.ID 267, BETADIST 270, BETAINV 272, CONCATENATE 336, ROMAN 354, HYPERLINK 359, "
     "PHONETIC 360"},
    {-1, kClassArray, kClassValue, "", "SUMPRODUCT 228, MODE 330"},
    {0, kClassReference, kClassValue, "", "NA 10"},
    {0, kClassValue, kClassValue, "", "PI 19, TRUE 34, FALSE 35, RAND 63, NOW 74, TODAY 221"},
    {1, kClassReference, kClassValue, "", "AREAS 75, ROWS 76, COLUMNS 77, ISREF 105, T 130, N 131, COUNTBLANK 347"},
    {1, kClassValue, kClassValue, "",
     "ISNA 2, ISERROR 3, SIN 15, COS 16, TAN 17, ATAN 18, SQRT 20, EXP 21, LN 22, LOG10 23, ABS 24, INT 25, SIGN 26, "
     "LEN 32, VALUE 33, NOT 38, DAY 67, MONTH 68, YEAR 69, HOUR 71, MINUTE 72, SECOND 73, TYPE 86, ASIN 98, ACOS 99, "
     "CHAR 111, LOWER 112, UPPER 113, PROPER 114, TRIM 118, CODE 121, ISERR 126, ISTEXT 127, ISNUMBER 128, ISBLANK "
     "129, DATEVALUE 140, TIMEVALUE 141, CLEAN 162, FACT 184, ISNONTEXT 190, ISLOGICAL 198, SINH 229, COSH 230, TANH "
     "231, ASINH 232, ACOSH 233, ATANH 234, INFO 244, ERROR.TYPE 261, GAMMALN 271, EVEN 279, FISHER 283, FISHERINV "
     "284, NORMSDIST 294, NORMSINV 296, ODD 298, RADIANS 342, DEGREES 343"},
    {1, kClassValue, kClassArray, "", "TRANSPOSE 83"},
    {1, kClassArray, kClassValue, "", "MDETERM 163"},
    {1, kClassArray, kClassArray, "", "MINVERSE 164"},
    {2, kClassReference, kClassArray, "", "FREQUENCY 252"},
    {2, kClassValue, kClassValue, "",
     "ROUND 27, REPT 30, MOD 39, TEXT 48, ATAN2 97, EXACT 117, ROUNDUP 212, ROUNDDOWN 213, CHIDIST 274, CHIINV 275, "
     "COMBIN 276, FLOOR 285, CEILING 288, PERMUT 299, TINV 332, POWER 337"},
    {2, kClassArray, kClassValue, "",
     "SUMXMY2 303, SUMX2MY2 304, SUMX2PY2 305, CHITEST 306, CORREL 307, COVAR 308, FTEST 310, INTERCEPT 311, PEARSON "
     "312, RSQ 313, STEYX 314, SLOPE 315"},
    {2, kClassArray, kClassArray, "", "MMULT 165"},
    {3, kClassReference, kClassValue, "",
     "DCOUNT 40, DSUM 41, DAVERAGE 42, DMIN 43, DMAX 44, DSTDEV 45, DVAR 47, DPRODUCT 189, DSTDEVP 195, DVARP 196, "
     "DCOUNTA 199, DGET 235"},
    {3, kClassValue, kClassValue, "",
     "MID 31, DATE 65, TIME 66, SLN 142, CONFIDENCE 277, CRITBINOM 278, EXPONDIST 280, FDIST 281, FINV 282, GAMMAINV "
     "287, LOGNORMDIST 290, LOGINV 291, NEGBINOMDIST 292, NORMINV 295, STANDARDIZE 297, POISSON 300, TDIST 301"},
    {4, kClassValue, kClassValue, "",
     "REPLACE 119, SYD 143, BINOMDIST 273, GAMMADIST 286, HYPGEOMDIST 289, NORMDIST 293, WEIBULL 302"},
    {-1, kClassReference, kClassReference, "0111", "INDEX 29"},
    {-1, kClassReference, kClassReference, "10", "CHOOSE 100"},
    {-1, kClassReference, kClassValue, "1", "NPV 11"},
    {-1, kClassReference, kClassValue, "100", "LOOKUP 28, MATCH 64"},
    {-1, kClassReference, kClassValue, "01", "IRR 62"},
    {-1, kClassReference, kClassValue, "1011", "HLOOKUP 101, VLOOKUP 102"},
    {-1, kClassReference, kClassValue, "10", "CELL 125, SUBTOTAL 344"},
    {-1, kClassReference, kClassValue, "101", "RANK 216"},
    {-1, kClassReference, kClassValue, "011", "ZTEST 324, PERCENTRANK 329"},
    {-1, kClassReference, kClassValue, "010", "SUMIF 345"},
    {-1, kClassReference, kClassArray, "0011", "LINEST 49, LOGEST 51"},
    {-1, kClassReference, kClassArray, "0001", "TREND 50, GROWTH 52"},
    {-1, kClassValue, kClassReference, "100", "IF 1"},
    {-1, kClassValue, kClassReference, "011111", "OFFSET 78"},
    {-1, kClassArray, kClassValue, "2211", "PROB 317"},
    {2, kClassReference, kClassValue, "01", "LARGE 325, SMALL 326, QUARTILE 327, PERCENTILE 328, TRIMMEAN 331"},
    {2, kClassReference, kClassValue, "010", "COUNTIF 346"},
    {3, kClassReference, kClassValue, "011", "MIRR 61"},
    {3, kClassArray, kClassValue, "122", "FORECAST 309"},
    {4, kClassArray, kClassValue, "2211", "TTEST 316"},
};

}  // namespace

int32_t THashFuncEntry::ArgumentClass(int32_t position) const {
  if (position >= 0 && static_cast<size_t>(position) < argumentClasses.size()) {
    return argumentClasses[static_cast<size_t>(position)] - '0';
  }
  return defaultClass;
}

void THashFunc::Add(THashFuncEntry entry) {
  const auto place = static_cast<int32_t>(entries_.size());
  byName_.Set(AsciiKey(entry.name), place);
  byIndex_.Set(TDecimalKey(entry.index), place);
  entries_.push_back(std::move(entry));
}

std::u16string THashFunc::AsciiKey(std::string_view name) { return std::u16string(name.begin(), name.end()); }

const THashFuncEntry* THashFunc::Find(std::string_view name) const {
  const int32_t* place = byName_.Find(AsciiKey(name));
  return place == nullptr ? nullptr : &entries_[static_cast<size_t>(*place)];
}

const THashFuncEntry* THashFunc::FindIndex(int32_t index) const {
  const int32_t* place = byIndex_.Find(TDecimalKey(index));
  return place == nullptr ? nullptr : &entries_[static_cast<size_t>(*place)];
}

void TXLSFormula::RegisterFunctions() {
  for (const TFunctionGroup& group : kFunctionGroups) {
    std::string_view list = group.functions;
    while (!list.empty()) {
      const size_t comma = list.find(',');
      std::string_view item = list.substr(0, comma);
      list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
      while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
      const size_t space = item.find(' ');
      THashFuncEntry entry;
      entry.name = std::string(item.substr(0, space));
      entry.index = 0;
      for (char c : item.substr(space + 1)) entry.index = entry.index * 10 + (c - '0');
      entry.argumentCount = group.argumentCount;
      entry.defaultClass = group.defaultClass;
      entry.resultClass = group.resultClass;
      entry.argumentClasses = group.argumentClasses;
      functions_.Add(std::move(entry));
    }
  }
}

}  // namespace lx
