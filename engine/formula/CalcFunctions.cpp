// The worksheet functions the calculator evaluates, by function index. Any
// other function of the table reports kCalcUnsupported, so that its cell is
// left for the reading program to calculate.
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "CalcEvaluator.h"
#include "lxConstants.h"

namespace lx {

namespace {

enum TFunction : int32_t {
  fnCount = 0,
  fnIf = 1,
  fnSum = 4,
  fnAverage = 5,
  fnMin = 6,
  fnMax = 7,
  fnRow = 8,
  fnColumn = 9,
  fnNpv = 11,
  fnSin = 15,
  fnCos = 16,
  fnTan = 17,
  fnAtan = 18,
  fnPi = 19,
  fnSqrt = 20,
  fnExp = 21,
  fnLn = 22,
  fnLog10 = 23,
  fnAbs = 24,
  fnInt = 25,
  fnSign = 26,
  fnRound = 27,
  fnLookup = 28,
  fnMid = 31,
  fnLen = 32,
  fnValue = 33,
  fnTrue = 34,
  fnFalse = 35,
  fnAnd = 36,
  fnOr = 37,
  fnNot = 38,
  fnMod = 39,
  fnText = 48,
  fnRand = 63,
  fnDate = 65,
  fnDay = 67,
  fnMonth = 68,
  fnYear = 69,
  fnWeekday = 70,
  fnNow = 74,
  fnRows = 76,
  fnColumns = 77,
  fnHlookup = 101,
  fnVlookup = 102,
  fnLog = 109,
  fnLower = 112,
  fnUpper = 113,
  fnLeft = 115,
  fnRight = 116,
  fnIsText = 127,
  fnIsBlank = 129,
  fnCountA = 169,
  fnTrunc = 197,
  fnRoundUp = 212,
  fnRoundDown = 213,
  fnToday = 221,
  fnSumProduct = 228,
  fnFloor = 285,
  fnCeiling = 288,
  fnNormSInv = 296,
  fnConcatenate = 336,
  fnPower = 337,
  fnSumIf = 345,
  fnCountIf = 346,
};

using Ev = TXLSCalcEvaluator;

// ----------------------------------------------------------- tolerant rounding

double Tolerance(double x) {
  const double magnitude = std::fabs(x);
  if (magnitude >= 1e15) return 0;
  int digits = 0;
  for (double m = magnitude; m >= 1 && digits < 16; m /= 10) ++digits;
  if (digits > 15) return 0;
  return 5e-15 * std::pow(10.0, digits - 1);
}

double ZeroSmall(double x) { return std::fabs(x) < 0.5 ? 0.0 : x; }

}  // namespace

double TolerantFloor(double x) {
  const double tolerance = Tolerance(x);
  double result = std::floor(x);
  if (x >= 0) {
    if (x - result > 1 - tolerance) result += 1;
  } else {
    const double magnitude = -x;
    const double fraction = magnitude - std::floor(magnitude);
    if (magnitude > 0.5 && fraction > 0 && fraction <= tolerance) result += 1;
  }
  return ZeroSmall(result);
}

double TolerantCeiling(double x) { return ZeroSmall(-TolerantFloor(-x)); }

double TruncateTolerant(double x) {
  const double r = TolerantFloor(std::fabs(x));
  return ZeroSmall(x < 0 ? -r : r);
}

double RoundHalfAwayTolerant(double x) {
  const double r = TolerantFloor(std::fabs(x) + 0.5);
  return ZeroSmall(x < 0 ? -r : r);
}

double RoundAwayTolerant(double x) { return x >= 0 ? TolerantCeiling(x) : TolerantFloor(x); }

// ----------------------------------------------------------------- wildcards

namespace {

char16_t FoldAscii(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// One piece of a mask: any run, any one character, one literal character, or
// a set of characters (ranges as pairs), possibly negated.
struct TMaskPiece {
  enum TKind { mkStar, mkAny, mkChar, mkSet } kind = mkChar;
  char16_t c = 0;
  bool negated = false;
  std::vector<std::pair<char16_t, char16_t>> set;

  bool Matches(char16_t ch) const {
    const char16_t f = FoldAscii(ch);
    switch (kind) {
      case mkAny:
        return true;
      case mkChar:
        return FoldAscii(c) == f;
      case mkSet: {
        bool in = false;
        for (const auto& [low, high] : set)
          if (f >= FoldAscii(low) && f <= FoldAscii(high)) in = true;
        return in != negated;
      }
      default:
        return false;
    }
  }
};

bool ParseMask(std::u16string_view pattern, std::vector<TMaskPiece>& pieces) {
  int stars = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    TMaskPiece piece;
    const char16_t c = pattern[i];
    if (c == u'*') {
      if (++stars > 30) return false;
      piece.kind = TMaskPiece::mkStar;
    } else if (c == u'?') {
      piece.kind = TMaskPiece::mkAny;
    } else if (c == u'[') {
      piece.kind = TMaskPiece::mkSet;
      size_t j = i + 1;
      if (j < pattern.size() && pattern[j] == u'!') {
        piece.negated = true;
        ++j;
      }
      bool closed = false;
      while (j < pattern.size()) {
        const char16_t s = pattern[j];
        if (s == u']') {
          closed = true;
          break;
        }
        if (s == u'-') return false;  // a range without a start
        if (j + 2 < pattern.size() && pattern[j + 1] == u'-' && pattern[j + 2] != u']') {
          piece.set.push_back({s, pattern[j + 2]});
          j += 3;
        } else {
          piece.set.push_back({s, s});
          ++j;
        }
      }
      if (!closed || piece.set.empty()) return false;
      i = j;
    } else {
      piece.c = c;
    }
    pieces.push_back(std::move(piece));
  }
  return true;
}

}  // namespace

bool WildcardMatch(std::u16string_view pattern, std::u16string_view text, bool& valid) {
  std::vector<TMaskPiece> pieces;
  valid = ParseMask(pattern, pieces);
  if (!valid) return false;
  // Greedy matching with one backtrack point per star: each piece other
  // than a star takes exactly one character.
  size_t t = 0;
  size_t p = 0;
  size_t starPiece = std::string::npos;
  size_t starText = 0;
  while (t < text.size()) {
    if (p < pieces.size() && pieces[p].kind == TMaskPiece::mkStar) {
      starPiece = p++;
      starText = t;
    } else if (p < pieces.size() && pieces[p].Matches(text[t])) {
      ++p;
      ++t;
    } else if (starPiece != std::string::npos) {
      p = starPiece + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < pieces.size() && pieces[p].kind == TMaskPiece::mkStar) ++p;
  return p == pieces.size();
}

namespace {

// ---------------------------------------------------------------- arguments

int32_t Arg(Ev& ev, const TXLSSyntaxItem& node, int32_t index, TCalcCoerce coerce, TVariant& out) {
  return ev.Eval(*node.Child(index), false, coerce, out);
}

// A number argument; the empty text (null) is no number.
int32_t NumberArg(Ev& ev, const TXLSSyntaxItem& node, int32_t index, double& x) {
  TVariant v;
  const int32_t status = Arg(ev, node, index, TCalcCoerce::Number, v);
  if (status != kCalcOk) return status;
  if (v.IsNull()) return kCalcErrorValue;
  x = v.ToDouble();
  return std::isfinite(x) ? kCalcOk : kCalcErrorValue;
}

// A number argument converted to an integer (ties to even).
int32_t IntegerArg(Ev& ev, const TXLSSyntaxItem& node, int32_t index, int64_t& n) {
  double x = 0;
  const int32_t status = NumberArg(ev, node, index, x);
  if (status != kCalcOk) return status;
  const double r = std::nearbyint(x);
  if (r < -9.2e18 || r > 9.2e18) return kCalcErrorValue;
  n = static_cast<int64_t>(r);
  return kCalcOk;
}

int32_t TextArg(Ev& ev, const TXLSSyntaxItem& node, int32_t index, std::u16string& text) {
  TVariant v;
  const int32_t status = Arg(ev, node, index, TCalcCoerce::Text, v);
  if (status != kCalcOk) return status;
  text = v.WideValue();
  return kCalcOk;
}

int32_t Finish(TVariant& out, TVariant value, TCalcCoerce coerce) {
  out = std::move(value);
  return Ev::Coerce(out, coerce);
}

int32_t FinishNumber(TVariant& out, double value, TCalcCoerce coerce) {
  if (!std::isfinite(value)) return kCalcErrorNum;
  return Finish(out, TVariant(value), coerce);
}

// Delphi's Copy: a start below 1 counts as 1, the count is cut at the end.
std::u16string CopyText(const std::u16string& text, int64_t start, int64_t count) {
  if (start < 1) start = 1;
  if (count <= 0 || start > static_cast<int64_t>(text.size())) return {};
  const auto from = static_cast<size_t>(start - 1);
  return text.substr(from, static_cast<size_t>(std::min<int64_t>(count, static_cast<int64_t>(text.size() - from))));
}

// ------------------------------------------------------------- comparisons

// Lookup order of a table cell against the value looked for: -1, 0 or 1.
int32_t LookupCompare(const TVariant& a, const TVariant& b) {
  const bool aNumber = Ev::IsNumberKind(a);
  const bool bNumber = Ev::IsNumberKind(b);
  if (aNumber && bNumber) {
    const double x = a.ToDouble();
    const double y = b.ToDouble();
    if (std::fabs(x - y) < 1e-7) return 0;
    return x < y ? -1 : 1;
  }
  const bool aEmpty = Ev::IsEmptyValue(a);
  const bool bEmpty = Ev::IsEmptyValue(b);
  if (aEmpty && bEmpty) return 0;
  // An empty side stands for 0, the empty text or FALSE, as the other side.
  auto zeroLike = [](const TVariant& other) {
    if (other.IsString()) return TVariant(std::u16string());
    if (other.VarType() == varBoolean) return TVariant(false);
    return TVariant(0);
  };
  if (aEmpty || bEmpty) return aEmpty ? LookupCompare(zeroLike(b), b) : LookupCompare(a, zeroLike(a));
  switch (VarCompareValue(a, b)) {
    case TVarCompareResult::vrLessThan:
      return -1;
    case TVarCompareResult::vrEqual:
      return 0;
    default:
      return 1;  // greater, or not comparable
  }
}

// The criterion of SUMIF and COUNTIF.
struct TCriterion {
  enum TTest { ctEqual, ctNotEqual, ctGreater, ctGreaterEqual, ctLess, ctLessEqual } test = ctEqual;
  TVariant operand;

  explicit TCriterion(const TVariant& criterion) {
    if (!criterion.IsString()) {
      operand = criterion;
      return;
    }
    std::u16string text = criterion.ToWide();
    size_t cut = 0;
    if (!text.empty() && text[0] == u'=') {
      cut = 1;
    } else if (!text.empty() && text[0] == u'>') {
      test = ctGreater;
      cut = 1;
      if (text.size() > 1 && text[1] == u'=') {
        test = ctGreaterEqual;
        cut = 2;
      }
    } else if (!text.empty() && text[0] == u'<') {
      test = ctLess;
      cut = 1;
      if (text.size() > 1 && text[1] == u'=') {
        test = ctLessEqual;
        cut = 2;
      } else if (text.size() > 1 && text[1] == u'>') {
        test = ctNotEqual;
        cut = 2;
      }
    }
    text.erase(0, cut);
    double number = 0;
    if (!text.empty() && TextToFloat(text, number)) {
      operand = TVariant(number);
    } else {
      operand = TVariant(std::move(text));
    }
  }

  bool Matches(const TVariant& value) const {
    const TCalcKind kind = Ev::IsEmptyValue(value) ? TCalcKind::Other : Ev::KindOf(value);
    if (kind == TCalcKind::Other || kind != Ev::KindOf(operand)) return false;  // not comparable
    if (kind == TCalcKind::Text && test == ctEqual) {
      bool valid = true;
      return WildcardMatch(operand.WideValue(), value.ToWide(), valid);
    }
    const int32_t order = Ev::CompareValues(value, operand);
    switch (test) {
      case ctEqual:
        return order == 0;
      case ctNotEqual:
        return order != 0;
      case ctGreater:
        return order > 0;
      case ctGreaterEqual:
        return order >= 0;
      case ctLess:
        return order < 0;
      case ctLessEqual:
        return order <= 0;
    }
    return false;
  }
};

// ---------------------------------------------------------------- NORMSINV

double NormSInv(double p) {
  static constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,  -2.759285104469687e+02,
                                 1.383577518672690e+02,  -3.066479806614716e+01, 2.506628277459239e+00};
  static constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02, -1.556989798598866e+02,
                                 6.680131188771972e+01, -1.328068155288572e+01};
  static constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01, -2.400758277161838e+00,
                                 -2.549732539343734e+00, 4.374664141464968e+00,  2.938163982698783e+00};
  static constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01, 2.445134137142996e+00,
                                 3.754408661907416e+00};
  constexpr double low = 0.02425;
  constexpr double high = 1 - low;
  auto tail = [&](double q) {
    return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
           ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1);
  };
  if (p < low) return tail(std::sqrt(-2 * std::log(p)));
  if (p > high) return -tail(std::sqrt(-2 * std::log(1 - p)));
  const double q = p - 0.5;
  const double r = q * q;
  return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
         (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1);
}

// ------------------------------------------------------------- the groups

int32_t Aggregate(Ev& ev, const TXLSSyntaxItem& node, int32_t function, TCalcCoerce coerce, TVariant& out);
int32_t Lookup(Ev& ev, const TXLSSyntaxItem& node, TCalcCoerce coerce, TVariant& out);
int32_t TableLookup(Ev& ev, const TXLSSyntaxItem& node, bool vertical, TCalcCoerce coerce, TVariant& out);
int32_t SumProduct(Ev& ev, const TXLSSyntaxItem& node, TCalcCoerce coerce, TVariant& out);
int32_t SumIf(Ev& ev, const TXLSSyntaxItem& node, TCalcCoerce coerce, TVariant& out);
int32_t CountIf(Ev& ev, const TXLSSyntaxItem& node, TCalcCoerce coerce, TVariant& out);
int32_t Rounding(Ev& ev, const TXLSSyntaxItem& node, int32_t function, TCalcCoerce coerce, TVariant& out);
int32_t OneNumber(Ev& ev, const TXLSSyntaxItem& node, int32_t function, TCalcCoerce coerce, TVariant& out);
int32_t TextFunction(Ev& ev, const TXLSSyntaxItem& node, int32_t function, TCalcCoerce coerce, TVariant& out);
int32_t DateFunction(Ev& ev, const TXLSSyntaxItem& node, int32_t function, TCalcCoerce coerce, TVariant& out);

}  // namespace

int32_t TXLSCalcFunctions::Call(Ev& ev, const TXLSSyntaxItem& node, bool reference, TCalcCoerce coerce, TVariant& out) {
  const int32_t count = node.ChildCount();
  const int32_t function = node.Value();
  int32_t status = kCalcOk;
  switch (function) {
    case fnCount:
    case fnSum:
    case fnAverage:
    case fnMin:
    case fnMax:
    case fnCountA:
    case fnNpv:
      return Aggregate(ev, node, function, coerce, out);
    case fnIf: {
      if (count < 2 || count > 3) return kCalcErrorValue;
      TVariant condition;
      status = Arg(ev, node, 0, TCalcCoerce::Boolean, condition);
      if (status != kCalcOk) return status;
      if (condition.ToBool()) return ev.Eval(*node.Child(1), reference, coerce, out);
      if (count == 3) return ev.Eval(*node.Child(2), reference, coerce, out);
      return Finish(out, TVariant(false), coerce);
    }
    case fnRow:
    case fnColumn:
    case fnRows:
    case fnColumns: {
      const bool rows = function == fnRow || function == fnRows;
      if (count == 0 && (function == fnRow || function == fnColumn))
        return Finish(out, TVariant((rows ? ev.Row() : ev.Column()) + 1), coerce);
      if (count != 1 || !ev.IsReferenceNode(*node.Child(0))) return kCalcErrorValue;
      TXLSCalcRanges ranges;
      status = ev.RangesOf(*node.Child(0), ranges);
      if (status != kCalcOk) return status;
      if (ranges.empty()) return kCalcErrorRef;
      const TXLSCalcRange& r = ranges[0];
      int32_t value = 0;
      if (function == fnRow) value = r.firstRow + 1;
      if (function == fnColumn) value = r.firstColumn + 1;
      if (function == fnRows) value = r.lastRow - r.firstRow + 1;
      if (function == fnColumns) value = r.lastColumn - r.firstColumn + 1;
      return Finish(out, TVariant(value), coerce);
    }
    case fnPi:
      return Finish(out, TVariant(std::numbers::pi), coerce);
    case fnTrue:
    case fnFalse:
      return Finish(out, TVariant(function == fnTrue), coerce);
    case fnRand:
      return Finish(out, TVariant(ev.Random()), coerce);
    case fnNow:
      return Finish(out, TVariant::FromDate(NowDateTime()), coerce);
    case fnToday:
      return Finish(out, TVariant::FromDate(std::floor(NowDateTime())), coerce);
    case fnSin:
    case fnCos:
    case fnTan:
    case fnAtan:
    case fnSqrt:
    case fnLn:
    case fnLog10:
    case fnAbs:
    case fnSign:
    case fnNormSInv:
      return OneNumber(ev, node, function, coerce, out);
    case fnExp: {
      // Not evaluated by this engine; only a failing argument is reported.
      if (count < 1) return kResultFail;
      TVariant v;
      status = Arg(ev, node, 0, TCalcCoerce::Number, v);
      return status != kCalcOk ? status : kCalcUnsupported;
    }
    case fnInt:
    case fnRound:
    case fnRoundUp:
    case fnRoundDown:
    case fnTrunc:
    case fnFloor:
    case fnCeiling:
      return Rounding(ev, node, function, coerce, out);
    case fnMod: {
      if (count != 2) return kCalcErrorValue;
      int64_t a = 0;
      int64_t b = 0;
      status = IntegerArg(ev, node, 0, a);
      if (status != kCalcOk) return status;
      status = IntegerArg(ev, node, 1, b);
      if (status != kCalcOk) return status;
      if (b == 0) return kCalcErrorDiv0;
      if (b == -1) return Finish(out, TVariant(0.0), coerce);  // no overflow at the lowest integer
      return Finish(out, TVariant(static_cast<double>(a % b)), coerce);
    }
    case fnPower:
    case fnLog: {
      if (count < 1 || count > 2 || (function == fnPower && count != 2)) return kCalcErrorValue;
      double x = 0;
      double y = 10;
      status = NumberArg(ev, node, 0, x);
      if (status != kCalcOk) return status;
      if (count == 2) {
        status = NumberArg(ev, node, 1, y);
        if (status != kCalcOk) return status;
      }
      if (function == fnPower) return FinishNumber(out, x == 0 ? 0.0 : std::pow(x, y), coerce);
      if (x <= 0 || y <= 0) return kCalcErrorNum;
      if (y == 1) return kCalcErrorDiv0;
      return FinishNumber(out, std::log(x) / std::log(y), coerce);
    }
    case fnValue:
    case fnNot:
    case fnIsText:
    case fnIsBlank: {
      if (count != 1) return kCalcErrorValue;
      TVariant v;
      const TCalcCoerce wanted = function == fnValue ? TCalcCoerce::Number
                                 : function == fnNot ? TCalcCoerce::Boolean
                                                     : TCalcCoerce::None;
      status = Arg(ev, node, 0, wanted, v);
      if (status != kCalcOk) return status;
      if (function == fnValue) return Finish(out, std::move(v), coerce);
      if (function == fnNot) return Finish(out, TVariant(!v.ToBool()), coerce);
      if (function == fnIsText) return Finish(out, TVariant(v.IsString()), coerce);
      return Finish(out, TVariant(Ev::IsEmptyValue(v)), coerce);
    }
    case fnAnd:
    case fnOr: {
      bool result = function == fnAnd;
      for (int32_t i = 0; i < count; ++i) {
        TVariant v;
        status = Arg(ev, node, i, TCalcCoerce::None, v);
        if (status != kCalcOk) return status;
        if (Ev::IsEmptyValue(v)) continue;
        status = Ev::Coerce(v, TCalcCoerce::Boolean);
        if (status != kCalcOk) return status;
        result = function == fnAnd ? result && v.ToBool() : result || v.ToBool();
      }
      return Finish(out, TVariant(result), coerce);
    }
    case fnMid:
    case fnLen:
    case fnLower:
    case fnUpper:
    case fnLeft:
    case fnRight:
    case fnConcatenate:
    case fnText:
      return TextFunction(ev, node, function, coerce, out);
    case fnDate:
    case fnDay:
    case fnMonth:
    case fnYear:
    case fnWeekday:
      return DateFunction(ev, node, function, coerce, out);
    case fnLookup:
      return Lookup(ev, node, coerce, out);
    case fnHlookup:
    case fnVlookup:
      return TableLookup(ev, node, function == fnVlookup, coerce, out);
    case fnSumProduct:
      return SumProduct(ev, node, coerce, out);
    case fnSumIf:
      return SumIf(ev, node, coerce, out);
    case fnCountIf:
      return CountIf(ev, node, coerce, out);
    default:
      return kCalcUnsupported;
  }
}

namespace {

int32_t Aggregate(Ev& ev, const TXLSSyntaxItem& node, int32_t function, TCalcCoerce coerce, TVariant& out) {
  const int32_t count = node.ChildCount();
  int32_t first = 0;
  double rate = 0;
  if (function == fnNpv) {
    if (count < 1) return kResultFail;
    const int32_t status = NumberArg(ev, node, 0, rate);
    if (status != kCalcOk) return status;
    if (rate == -1) return kCalcErrorDiv0;
    first = 1;
  }
  const double discount = function == fnNpv ? 1 / (rate + 1) : 0;
  double factor = 1;
  double total = 0;
  double mean = 0;
  double extreme = 0;
  int64_t n = 0;
  auto take = [&](const TVariant& v) {
    if (function == fnCountA) {
      if (!Ev::IsEmptyValue(v)) ++n;
      return kCalcOk;
    }
    if (!v.IsNumeric()) return kCalcOk;
    const double x = v.ToDouble();
    switch (function) {
      case fnSum:
        total += x;
        break;
      case fnAverage:
        mean = mean * (static_cast<double>(n) / static_cast<double>(n + 1)) + x / static_cast<double>(n + 1);
        break;
      case fnMin:
        if (n == 0 || x < extreme) extreme = x;
        break;
      case fnMax:
        if (n == 0 || x > extreme) extreme = x;
        break;
      case fnNpv:
        factor *= discount;
        total += x * factor;
        break;
      default:
        break;
    }
    ++n;
    return kCalcOk;
  };
  for (int32_t i = first; i < count; ++i) {
    const TXLSSyntaxItem& argument = *node.Child(i);
    int32_t status = kCalcOk;
    if (ev.IsReferenceNode(argument)) {
      TXLSCalcRanges ranges;
      status = ev.RangesOf(argument, ranges);
      if (status == kCalcOk) status = ev.ForEachCell(ranges, take);
    } else {
      TVariant v;
      status = ev.Eval(argument, false, TCalcCoerce::None, v);
      if (status == kCalcOk) status = take(v);
    }
    if (status != kCalcOk) return status;
  }
  switch (function) {
    case fnCount:
    case fnCountA:
      return Finish(out, TVariant(static_cast<double>(n)), coerce);
    case fnNpv:
      return FinishNumber(out, total, coerce);
    default:
      break;
  }
  if (n == 0) return Finish(out, TVariant(), coerce);
  return FinishNumber(out, function == fnSum ? total : function == fnAverage ? mean : extreme, coerce);
}

int32_t OneNumber(Ev& ev, const TXLSSyntaxItem& node, int32_t function, TCalcCoerce coerce, TVariant& out) {
  if (node.ChildCount() != 1) return kCalcErrorValue;
  double x = 0;
  const int32_t status = NumberArg(ev, node, 0, x);
  if (status != kCalcOk) return status;
  double r = 0;
  switch (function) {
    case fnSin:
      r = std::sin(x);
      break;
    case fnCos:
      r = std::cos(x);
      break;
    case fnTan:
      r = std::tan(x);
      break;
    case fnAtan:
      r = std::atan(x);
      break;
    case fnSqrt:
      if (x < 0) return kCalcErrorNum;
      r = std::sqrt(x);
      break;
    case fnLn:
    case fnLog10:
      if (x <= 0) return kCalcErrorNum;
      r = function == fnLn ? std::log(x) : std::log10(x);
      break;
    case fnAbs:
      r = std::fabs(x);
      break;
    case fnSign:
      r = x > 0 ? 1 : (x < 0 ? -1 : 0);
      break;
    case fnNormSInv:
      if (!(x > 0 && x < 1)) return kCalcErrorNum;
      r = NormSInv(x);
      break;
    default:
      return kCalcUnsupported;
  }
  return FinishNumber(out, r, coerce);
}

int32_t Rounding(Ev& ev, const TXLSSyntaxItem& node, int32_t function, TCalcCoerce coerce, TVariant& out) {
  const int32_t count = node.ChildCount();
  double x = 0;
  if (function == fnInt) {
    if (count != 1) return kCalcErrorValue;
    const int32_t status = NumberArg(ev, node, 0, x);
    if (status != kCalcOk) return status;
    return FinishNumber(out, TruncateTolerant(x), coerce);
  }
  if (function == fnFloor || function == fnCeiling) {
    if (count != 2) return kCalcErrorValue;
    double significance = 0;
    int32_t status = NumberArg(ev, node, 0, x);
    if (status != kCalcOk) return status;
    status = NumberArg(ev, node, 1, significance);
    if (status != kCalcOk) return status;
    if (x == 0) return Finish(out, TVariant(0.0), coerce);
    if (significance == 0) return kCalcErrorDiv0;
    if ((x > 0) != (significance > 0)) return kCalcErrorValue;
    const double q = x / significance;
    const double r = function == fnFloor ? TolerantFloor(q) : TolerantCeiling(q);
    return FinishNumber(out, r * significance, coerce);
  }
  const bool oneAllowed = function != fnRound;
  if (count < (oneAllowed ? 1 : 2) || count > 2) return kCalcErrorValue;
  int32_t status = NumberArg(ev, node, 0, x);
  if (status != kCalcOk) return status;
  int64_t digits = 0;
  if (count == 2) {
    status = IntegerArg(ev, node, 1, digits);
    if (status != kCalcOk) return status;
  }
  if (digits > 308 || digits < -308) return kCalcErrorNum;
  const double scale = std::pow(10.0, static_cast<double>(digits >= 0 ? digits : -digits));
  const double scaled = digits >= 0 ? x * scale : x / scale;
  double r = 0;
  if (function == fnRound) {
    r = RoundHalfAwayTolerant(scaled);
  } else if (function == fnRoundUp) {
    r = RoundAwayTolerant(scaled);
  } else {
    r = TruncateTolerant(scaled);
  }
  return FinishNumber(out, digits >= 0 ? r / scale : r * scale, coerce);
}

int32_t TextFunction(Ev& ev, const TXLSSyntaxItem& node, int32_t function, TCalcCoerce coerce, TVariant& out) {
  const int32_t count = node.ChildCount();
  std::u16string text;
  int32_t status = kCalcOk;
  switch (function) {
    case fnConcatenate: {
      if (count == 0) return Finish(out, TVariant::Null(), coerce);
      std::u16string all;
      for (int32_t i = 0; i < count; ++i) {
        status = TextArg(ev, node, i, text);
        if (status != kCalcOk) return status;
        all += text;
      }
      return Finish(out, TVariant(std::move(all)), coerce);
    }
    case fnMid: {
      if (count != 3) return kCalcErrorValue;
      int64_t start = 0;
      int64_t length = 0;
      status = TextArg(ev, node, 0, text);
      if (status == kCalcOk) status = IntegerArg(ev, node, 1, start);
      if (status == kCalcOk) status = IntegerArg(ev, node, 2, length);
      if (status != kCalcOk) return status;
      return Finish(out, TVariant(CopyText(text, start, length)), coerce);
    }
    case fnLeft:
    case fnRight: {
      if (count < 1 || count > 2) return kCalcErrorValue;
      TVariant v;
      status = Arg(ev, node, 0, TCalcCoerce::None, v);
      if (status != kCalcOk) return status;
      if (v.IsNull()) return Finish(out, TVariant::Null(), coerce);
      status = Ev::Coerce(v, TCalcCoerce::Text);
      if (status != kCalcOk) return status;
      text = v.WideValue();
      int64_t n = 1;
      if (count == 2) {
        status = IntegerArg(ev, node, 1, n);
        if (status != kCalcOk) return status;
      }
      const auto size = static_cast<int64_t>(text.size());
      if (function == fnLeft) return Finish(out, TVariant(CopyText(text, 1, n)), coerce);
      return Finish(out, TVariant(CopyText(text, size - std::min(n, size) + 1, n)), coerce);
    }
    case fnText: {
      if (count != 2) return kCalcErrorValue;
      TVariant value;
      status = Arg(ev, node, 0, TCalcCoerce::None, value);
      if (status == kCalcOk) status = TextArg(ev, node, 1, text);
      if (status != kCalcOk) return status;
      // Date and time letters of a Cyrillic format become the format's own
      // letters, outside quoted text.
      static constexpr char16_t kFrom[] = u"\u0434\u041c\u0433\u0447\u043c\u0441";
      static constexpr char16_t kTo[] = u"DMYhms";
      auto upper = [](char16_t c) -> char16_t {
        if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
        if (c >= 0x0430 && c <= 0x044F) return static_cast<char16_t>(c - 0x20);
        return c;
      };
      bool quoted = false;
      for (char16_t& c : text) {
        if (c == u'"') quoted = !quoted;
        if (quoted) continue;
        int found = -1;
        for (int i = 0; i < 6 && found < 0; ++i)
          if (c == kFrom[i]) found = i;
        for (int i = 0; i < 6 && found < 0; ++i)
          if (upper(c) == upper(kFrom[i])) found = i;
        if (found >= 0) c = kTo[found];
      }
      return Finish(out, TVariant(ev.Formater().FormatValue(value, text)), coerce);
    }
    default: {
      if (count != 1) return kCalcErrorValue;
      status = TextArg(ev, node, 0, text);
      if (status != kCalcOk) return status;
      if (function == fnLen) return Finish(out, TVariant(static_cast<double>(WideToAnsi(text).size())), coerce);
      for (char16_t& c : text) {
        if (function == fnLower && c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
        if (function == fnUpper && c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
      }
      return Finish(out, TVariant(std::move(text)), coerce);
    }
  }
}

int32_t DateFunction(Ev& ev, const TXLSSyntaxItem& node, int32_t function, TCalcCoerce coerce, TVariant& out) {
  const int32_t count = node.ChildCount();
  int32_t status = kCalcOk;
  if (function == fnDate) {
    if (count != 3) return kCalcErrorValue;
    int64_t year = 0;
    int64_t month = 0;
    int64_t day = 0;
    status = IntegerArg(ev, node, 0, year);
    if (status == kCalcOk) status = IntegerArg(ev, node, 1, month);
    if (status == kCalcOk) status = IntegerArg(ev, node, 2, day);
    if (status != kCalcOk) return status;
    if (year < 1900) year += 1900;
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return kCalcErrorValue;
    bool ok = false;
    const double serial = EncodeDate(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day), &ok);
    if (!ok) return kCalcErrorValue;
    return Finish(out, TVariant::FromDate(serial), coerce);
  }
  if (count < 1 || count > (function == fnWeekday ? 2 : 1)) return kCalcErrorValue;
  double serial = 0;
  status = NumberArg(ev, node, 0, serial);
  if (status != kCalcOk) return status;
  if (function == fnWeekday) {
    int64_t type = 2;
    if (count == 2) {
      status = IntegerArg(ev, node, 1, type);
      if (status != kCalcOk) return status;
    }
    if (serial < -1e9 || serial > 1e9) return kCalcErrorValue;
    // Day 1 (31 December 1899) was a Sunday.
    const auto whole = static_cast<int64_t>(std::floor(serial));
    const int64_t sundayFirst = (((whole - 1) % 7) + 7) % 7 + 1;
    const int64_t mondayFirst = (sundayFirst + 5) % 7 + 1;
    const int64_t day = type == 2 ? mondayFirst : type == 3 ? mondayFirst - 1 : sundayFirst;
    return Finish(out, TVariant(static_cast<double>(day)), coerce);
  }
  int year = 0;
  int month = 0;
  int day = 0;
  if (!DecodeDate(serial, year, month, day)) return kCalcErrorValue;
  const int part = function == fnDay ? day : function == fnMonth ? month : year;
  return Finish(out, TVariant(static_cast<double>(part)), coerce);
}

// The first range of a reference argument.
int32_t FirstRange(Ev& ev, const TXLSSyntaxItem& argument, TXLSCalcRange& range, bool singleSheet) {
  if (!ev.IsReferenceNode(argument)) return kCalcErrorValue;
  TXLSCalcRanges ranges;
  const int32_t status = ev.RangesOf(argument, ranges);
  if (status != kCalcOk) return status;
  if (ranges.empty() || (singleSheet && ranges.size() != 1)) return kCalcErrorValue;
  range = ranges[0];
  return kCalcOk;
}

// Scans cells (row, column) + k * (rowStep, columnStep) for value by the
// approximate or exact rule. found is set with the cell that matched.
struct TScan {
  bool found = false;
  bool stopped = false;
  int32_t row = 0;
  int32_t column = 0;
};

int32_t ScanLine(Ev& ev, int32_t sheet, int32_t row, int32_t column, int32_t cells, bool down, const TVariant& value,
                 bool approximate, TScan& scan) {
  TVariant cell;
  for (int32_t k = 0; k < cells && !scan.stopped; ++k) {
    const int32_t r = down ? row + k : row;
    const int32_t c = down ? column : column + k;
    bool beyond = false;
    const int32_t status = ev.CellValue(sheet, r, c, cell, beyond);
    if (status != kCalcOk) return status;
    if (beyond) break;
    const int32_t order = LookupCompare(cell, value);
    if (order == 0) {
      scan = {true, true, r, c};
    } else if (approximate && order > 0) {
      scan.stopped = true;
    } else if (approximate) {
      scan.found = true;
      scan.row = r;
      scan.column = c;
    }
  }
  return kCalcOk;
}

int32_t ReadCell(Ev& ev, int32_t sheet, int32_t row, int32_t column, TVariant& out) {
  bool beyond = false;
  return ev.CellValue(sheet, row, column, out, beyond);
}

int32_t Lookup(Ev& ev, const TXLSSyntaxItem& node, TCalcCoerce coerce, TVariant& out) {
  const int32_t count = node.ChildCount();
  if (count < 2 || count > 3) return kCalcErrorValue;
  TVariant value;
  int32_t status = Arg(ev, node, 0, TCalcCoerce::None, value);
  if (status != kCalcOk) return status;
  TXLSCalcRange table;
  status = FirstRange(ev, *node.Child(1), table, false);
  if (status != kCalcOk) return status;
  const int32_t height = table.lastRow - table.firstRow + 1;
  const int32_t width = table.lastColumn - table.firstColumn + 1;
  const bool down = height >= width;
  TScan scan;
  status = ScanLine(ev, table.sheet, table.firstRow, table.firstColumn, down ? height : width, down, value, true, scan);
  if (status != kCalcOk) return status;
  if (!scan.found) return Finish(out, TVariant::Null(), coerce);
  TVariant result;
  if (count == 2) {
    status = down ? ReadCell(ev, table.sheet, scan.row, table.lastColumn, result)
                  : ReadCell(ev, table.sheet, table.lastRow, scan.column, result);
  } else {
    TXLSCalcRange results;
    status = FirstRange(ev, *node.Child(2), results, false);
    if (status != kCalcOk) return status;
    const bool resultsDown = results.lastRow - results.firstRow >= results.lastColumn - results.firstColumn;
    status = resultsDown ? ReadCell(ev, results.sheet, scan.row, results.firstColumn, result)
                         : ReadCell(ev, results.sheet, results.firstRow, scan.column, result);
  }
  if (status != kCalcOk) return status;
  return Finish(out, std::move(result), coerce);
}

int32_t TableLookup(Ev& ev, const TXLSSyntaxItem& node, bool vertical, TCalcCoerce coerce, TVariant& out) {
  const int32_t count = node.ChildCount();
  if (count < 3 || count > 4) return kCalcErrorValue;
  TVariant value;
  int32_t status = Arg(ev, node, 0, TCalcCoerce::None, value);
  if (status != kCalcOk) return status;
  if (!ev.IsReferenceNode(*node.Child(1))) return kCalcErrorValue;
  TXLSCalcRanges tables;
  status = ev.RangesOf(*node.Child(1), tables);
  if (status != kCalcOk) return status;
  if (tables.empty()) return kCalcErrorValue;
  int64_t index = 0;
  status = IntegerArg(ev, node, 2, index);
  if (status != kCalcOk) return status;
  bool approximate = true;
  if (count == 4) {
    TVariant flag;
    status = Arg(ev, node, 3, TCalcCoerce::Boolean, flag);
    if (status != kCalcOk) return status;
    approximate = flag.ToBool();
  }
  const TXLSCalcRange& first = tables[0];
  const int32_t extent = vertical ? first.lastColumn - first.firstColumn + 1 : first.lastRow - first.firstRow + 1;
  if (index < 1 || index > extent) return kCalcErrorValue;
  TScan scan;
  int32_t sheet = 0;
  for (const TXLSCalcRange& table : tables) {
    const bool before = scan.found;
    const int32_t cells = vertical ? table.lastRow - table.firstRow + 1 : table.lastColumn - table.firstColumn + 1;
    const TScan previous = scan;
    status = ScanLine(ev, table.sheet, table.firstRow, table.firstColumn, cells, vertical, value, approximate, scan);
    if (status != kCalcOk) return status;
    if (scan.found && (!before || scan.row != previous.row || scan.column != previous.column)) sheet = table.sheet;
    if (scan.stopped) break;
  }
  if (!scan.found) return Finish(out, TVariant(), coerce);
  TVariant result;
  const auto offset = static_cast<int32_t>(index - 1);
  status = vertical ? ReadCell(ev, sheet, scan.row, first.firstColumn + offset, result)
                    : ReadCell(ev, sheet, first.firstRow + offset, scan.column, result);
  if (status != kCalcOk) return status;
  return Finish(out, std::move(result), coerce);
}

int32_t SumProduct(Ev& ev, const TXLSSyntaxItem& node, TCalcCoerce coerce, TVariant& out) {
  const int32_t count = node.ChildCount();
  if (count < 2) return kCalcErrorValue;
  std::vector<TXLSCalcRange> ranges(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    const int32_t status = FirstRange(ev, *node.Child(i), ranges[static_cast<size_t>(i)], true);
    if (status != kCalcOk) return status;
  }
  const int32_t height = ranges[0].lastRow - ranges[0].firstRow + 1;
  const int32_t width = ranges[0].lastColumn - ranges[0].firstColumn + 1;
  for (const TXLSCalcRange& r : ranges)
    if (r.lastRow - r.firstRow + 1 != height || r.lastColumn - r.firstColumn + 1 != width) return kCalcErrorValue;
  double total = 0;
  for (int32_t i = 0; i < height; ++i) {
    for (int32_t j = 0; j < width; ++j) {
      double product = 1;
      for (const TXLSCalcRange& r : ranges) {
        TVariant cell;
        bool beyond = false;
        const int32_t status = ev.CellValue(r.sheet, r.firstRow + i, r.firstColumn + j, cell, beyond);
        if (status != kCalcOk) return status;
        if (beyond || !cell.IsNumeric()) {
          product = 0;
          break;
        }
        product *= cell.ToDouble();
      }
      total += product;
    }
  }
  return FinishNumber(out, total, coerce);
}

int32_t SumIf(Ev& ev, const TXLSSyntaxItem& node, TCalcCoerce coerce, TVariant& out) {
  const int32_t count = node.ChildCount();
  if (count < 2 || count > 3) return kCalcErrorNA;
  TXLSCalcRange range;
  int32_t status = FirstRange(ev, *node.Child(0), range, true);
  if (status != kCalcOk) return status;
  TVariant criterionValue;
  status = Arg(ev, node, 1, TCalcCoerce::None, criterionValue);
  if (status != kCalcOk) return status;
  TXLSCalcRange sums = range;
  if (count == 3) {
    status = FirstRange(ev, *node.Child(2), sums, true);
    if (status != kCalcOk) return status;
  }
  const TCriterion criterion(criterionValue);
  const int32_t height = std::min(range.lastRow - range.firstRow, sums.lastRow - sums.firstRow) + 1;
  const int32_t width = std::min(range.lastColumn - range.firstColumn, sums.lastColumn - sums.firstColumn) + 1;
  double total = 0;
  bool skipRest = false;
  for (int32_t i = 0; i < height && !skipRest; ++i) {
    for (int32_t j = 0; j < width; ++j) {
      TVariant cell;
      bool beyond = false;
      status = ev.CellValue(range.sheet, range.firstRow + i, range.firstColumn + j, cell, beyond);
      if (status != kCalcOk) return status;
      if (beyond) {
        skipRest = j == 0;
        break;
      }
      if (!criterion.Matches(cell)) continue;
      TVariant add;
      status = ReadCell(ev, sums.sheet, sums.firstRow + i, sums.firstColumn + j, add);
      if (status != kCalcOk) return status;
      if (add.IsNumeric()) total += add.ToDouble();
    }
  }
  return FinishNumber(out, total, coerce);
}

int32_t CountIf(Ev& ev, const TXLSSyntaxItem& node, TCalcCoerce coerce, TVariant& out) {
  if (node.ChildCount() != 2) return kCalcErrorNA;
  if (!ev.IsReferenceNode(*node.Child(0))) return kCalcErrorValue;
  TXLSCalcRanges ranges;
  int32_t status = ev.RangesOf(*node.Child(0), ranges);
  if (status != kCalcOk) return status;
  TVariant criterionValue;
  status = Arg(ev, node, 1, TCalcCoerce::None, criterionValue);
  if (status != kCalcOk) return status;
  const TCriterion criterion(criterionValue);
  double n = 0;
  status = ev.ForEachCell(ranges, [&](const TVariant& v) {
    if (criterion.Matches(v)) ++n;
    return kCalcOk;
  });
  if (status != kCalcOk) return status;
  return Finish(out, TVariant(n), coerce);
}

}  // namespace

}  // namespace lx
