// The calculator: formulas in cells evaluate, with the coercions, the
// comparison order, error propagation and the functions of the engine; the
// cache follows the evaluation generation; circles and long chains end.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "lxCalculator.h"
#include "lxHandle.h"

namespace lx {
namespace {

// Sheet1: B1:B5 = 1..5, C1:C3 = "apple", "Banana", "cherry pie", D1:D2 =
// TRUE, FALSE, E1 a date (2023-03-15 = 45000), F1:G3 a lookup table (1 "one",
// 4 "four", 7 "seven"). Sheet2: A1:A3 = 10, 20, 30. Column A and row 20 on
// are left for the formulas under test.
struct Book {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  IXLSWorksheet* other = book->Worksheets()->Add();

  Book() {
    for (int32_t row = 1; row <= 5; ++row) At(row, 2)->SetValue(TVariant(double(row)));
    At(1, 3)->SetValue(TVariant(u"apple"));
    At(2, 3)->SetValue(TVariant(u"Banana"));
    At(3, 3)->SetValue(TVariant(u"cherry pie"));
    At(1, 4)->SetValue(TVariant(true));
    At(2, 4)->SetValue(TVariant(false));
    At(1, 5)->SetValue(TVariant::FromDate(45000));
    const char16_t* words[] = {u"one", u"four", u"seven"};
    for (int32_t row = 1; row <= 3; ++row) {
      At(row, 6)->SetValue(TVariant(double(3 * row - 2)));
      At(row, 7)->SetValue(TVariant(words[row - 1]));
    }
    for (int32_t row = 1; row <= 3; ++row) other->Cells()->Item(row, 1)->SetValue(TVariant(10.0 * row));
    // A date format in Cyrillic letters (formula texts are 8-bit, so it
    // comes from a cell).
    At(1, 11)->SetValue(TVariant(u"\u0434\u0434.\u041C\u041C.\u0433\u0433\u0433\u0433 \"\u0434\""));
  }
  XLSPtr<IXLSRange> At(int32_t row, int32_t column) { return sheet->Cells()->Item(row, column); }
  // Status and value of the cell (1-based).
  int32_t Read(int32_t row, int32_t column, TVariant& value) {
    return sheet->GetCellValue(sheet->CellHeap().FindCell(row - 1, column - 1), value);
  }
  int32_t Enter(const char16_t* text, TVariant& value, int32_t row = 1, int32_t column = 1) {
    At(row, column)->SetValue(TVariant(text));
    EXPECT_TRUE(At(row, column)->HasFormula()) << WideToAnsi(text);
    return Read(row, column, value);
  }
};

// What a case expects: a number, a text, a boolean, an empty value, or a
// failure status.
struct Expect {
  enum { kNumber, kText, kBool, kEmpty, kStatus } kind;
  double number = 0;
  std::u16string text;
  int32_t status = kCalcOk;
};
Expect N(double x) { return {Expect::kNumber, x, {}, kCalcOk}; }
Expect T(const char16_t* s) { return {Expect::kText, 0, s, kCalcOk}; }
Expect B(bool b) { return {Expect::kBool, b ? 1.0 : 0.0, {}, kCalcOk}; }
Expect Empty() { return {Expect::kEmpty, 0, {}, kCalcOk}; }
Expect S(int32_t status) { return {Expect::kStatus, 0, {}, status}; }

struct Case {
  const char16_t* formula;
  Expect expect;
};

void CheckCases(const std::vector<Case>& cases) {
  Book b;
  for (const Case& c : cases) {
    const std::string name = WideToAnsi(c.formula);
    TVariant v;
    const int32_t status = b.Enter(c.formula, v);
    switch (c.expect.kind) {
      case Expect::kStatus:
        EXPECT_EQ(status, c.expect.status) << name;
        EXPECT_TRUE(v.IsNull()) << name;
        break;
      case Expect::kNumber:
        ASSERT_EQ(status, kCalcOk) << name;
        EXPECT_TRUE(v.IsNumeric() || v.VarType() == varDate) << name << " type " << v.VarType();
        EXPECT_NEAR(v.ToDouble(), c.expect.number, 1e-9 * std::max(1.0, std::fabs(c.expect.number))) << name;
        break;
      case Expect::kText:
        ASSERT_EQ(status, kCalcOk) << name;
        EXPECT_TRUE(v.IsString()) << name;
        EXPECT_EQ(WideToAnsi(v.ToWide()), WideToAnsi(c.expect.text)) << name;
        break;
      case Expect::kBool:
        ASSERT_EQ(status, kCalcOk) << name;
        ASSERT_EQ(v.VarType(), varBoolean) << name;
        EXPECT_EQ(v.ToBool(), c.expect.number != 0) << name;
        break;
      case Expect::kEmpty:
        ASSERT_EQ(status, kCalcOk) << name;
        EXPECT_TRUE(v.IsEmpty() || v.IsNull()) << name << " type " << v.VarType();
        break;
    }
  }
}

TEST(Calculator, OperatorsCoerceMixedKinds) {
  CheckCases({
      {u"=1+\"2\"", N(3)},
      {u"=\"1.5\"*2", N(3)},
      {u"=\"a\"+1", S(kCalcErrorValue)},
      {u"=TRUE+1", N(2)},
      {u"=D2*5", N(0)},
      {u"=Z9+1", N(1)},       // an empty cell is 0
      {u"=Z9", Empty()},      // and itself empty
      {u"=+Z9", N(0)},        // unary plus makes it 0
      {u"=\"\"+1", Empty()},  // the empty text converts to null, which stays null
      {u"=-\"3\"", N(-3)},
      {u"=50%", N(0.5)},
      {u"=1&2", T(u"12")},
      {u"=TRUE&\"x\"&Z9", T(u"TRUEx")},
      {u"=0.5&\"\"", T(u"0.5")},
      {u"=2^10", N(1024)},
      {u"=0^0", N(1)},
      {u"=0^-1", S(kCalcErrorDiv0)},
      {u"=(-8)^0.5", S(kCalcErrorNum)},
      {u"=1/0", S(kCalcErrorDiv0)},
      {u"=1/Z9", S(kCalcErrorDiv0)},
      {u"=10-4-3", N(3)},
      {u"=0.1+0.2-0.3", N(0)},                          // cancelled at the root
      {u"=(0.1+0.2-0.3)*1", N(5.551115123125783e-17)},  // not below it
      {u"=10^300*10^300", S(kCalcErrorNum)},
      {u"=B1:B3", N(6)},  // several cells where a value is wanted: their sum
      {u"=Sheet2!A1:A3", N(60)},
      {u"=E1", N(45000)},
  });
}

TEST(Calculator, ComparisonRanksKindsAndIgnoresCase) {
  CheckCases({
      {u"=\"abc\"=\"ABC\"", B(true)},
      {u"=1<\"a\"", B(true)},
      {u"=\"a\"<TRUE", B(true)},
      {u"=\"2\">\"10\"", B(true)},  // texts compare as texts
      {u"=2>10", B(false)},
      {u"=FALSE<TRUE", B(true)},
      {u"=Z9<0", B(true)},  // empty is below everything
      {u"=Z9=Z8", B(true)},
      {u"=0>Z9", B(true)},
      {u"=Z9=\"\"", B(false)},
      {u"=E1=45000", B(true)},  // dates are numbers
      {u"=B2<>2", B(false)},
      {u"=B2>=2", B(true)},
      {u"=B2<=1", B(false)},
  });
}

TEST(Calculator, ErrorsPropagateThroughOperatorsAndFunctions) {
  Book b;
  b.At(1, 8)->SetValue(TVariant(u"=1/0"));
  b.At(2, 8)->SetValue(TVariant(u"=NA()"));
  const std::vector<std::pair<const char16_t*, int32_t>> cases = {
      {u"=H1", kCalcErrorDiv0},         {u"=H1+1", kCalcErrorDiv0},           {u"=SUM(B1:B3;H1)", kCalcErrorDiv0},
      {u"=SUM(H1:H2)", kCalcErrorDiv0}, {u"=IF(H1;1;2)", kCalcErrorDiv0},     {u"=LEN(H1)", kCalcErrorDiv0},
      {u"=H2", kCalcUnsupported},       {u"=1+NA()", kCalcUnsupported},       {u"=EXP(1)", kCalcUnsupported},
      {u"=EXP(1/0)", kCalcErrorDiv0},   {u"=STDEV(B1:B5)", kCalcUnsupported}, {u"=SQRT(-1)", kCalcErrorNum},
      {u"=LN(0)", kCalcErrorNum},       {u"=NORMSINV(1)", kCalcErrorNum},     {u"=MOD(1;0)", kCalcErrorDiv0},
      {u"=IF(1)", kCalcErrorValue},     {u"=SUMIF(B1:B5)", kCalcErrorNA},     {u"=VLOOKUP(1;F1:G3;3)", kCalcErrorValue},
  };
  for (const auto& [text, status] : cases) {
    TVariant v;
    EXPECT_EQ(b.Enter(text, v), status) << WideToAnsi(text);
    EXPECT_TRUE(v.IsNull()) << WideToAnsi(text);
  }
  // Array formulas are left to the reader.
  TXLSCalculator& calculator = WorkbookCalculator(*b.book);
  auto array = calculator.CompileFormula("SUM(B1:B2)", 1);
  array->SetArrayMaster(9, 0, 10, 0);
  TVariant v;
  EXPECT_EQ(calculator.Calculate(*array, 1, b.book->Generation(), 9, 0, v), kCalcUnsupported);
}

TEST(Calculator, AggregatesLogicAndMath) {
  CheckCases({
      {u"=SUM(B1:B5)", N(15)},
      {u"=SUM(B1:B3;\"4\";TRUE)", N(6)},  // only numbers are added
      {u"=SUM(B1:E5)", N(15)},            // texts, booleans and the date skipped
      {u"=SUM(B:B)", N(15)},
      {u"=SUM((B1:B2);B3)", N(6)},
      {u"=SUM(Z1:Z9)", Empty()},
      {u"=SUM(Z1:Z9)+0", N(0)},
      {u"=COUNT(B1:D5;1)", N(6)},
      {u"=COUNTA(B1:D5;\"x\")", N(11)},
      {u"=COUNTA(Z1:Z5)", N(0)},
      {u"=AVERAGE(B1:B5)", N(3)},
      {u"=AVERAGE(B2;B3;B5)", N(10.0 / 3)},
      {u"=AVERAGE(Z1:Z3)+0", N(0)},
      {u"=MIN(B1:B5;0)", N(0)},
      {u"=MAX(B1:B5;-1)", N(5)},
      {u"=MIN(B2:B5)", N(2)},
      {u"=NPV(0.1;B1:B2)", N(1 / 1.1 + 2 / 1.21)},
      {u"=NPV(-1;1)", S(kCalcErrorDiv0)},
      {u"=IF(B1>0;\"pos\";\"neg\")", T(u"pos")},
      {u"=IF(D2;1)", B(false)},
      {u"=IF(\"true\";1;2)", N(1)},
      {u"=AND(D1;B1;Z9)", B(true)},
      {u"=AND(D1;D2)", B(false)},
      {u"=OR(D2;0)", B(false)},
      {u"=OR(D2;\"TRUE\")", B(true)},
      {u"=NOT(0)", B(true)},
      {u"=PI()", N(3.14159265358979323846)},
      {u"=TRUE()", B(true)},
      {u"=SIN(0)+COS(0)+TAN(0)", N(1)},
      {u"=ATAN(1)*4", N(3.14159265358979323846)},
      {u"=SQRT(16)", N(4)},
      {u"=LN(1)+LOG10(1000)", N(3)},
      {u"=LOG(8;2)", N(3)},
      {u"=LOG(100)", N(2)},
      {u"=ABS(-3)", N(3)},
      {u"=SIGN(-4)+SIGN(0)", N(-1)},
      {u"=SIGN(\"x\")", S(kCalcErrorValue)},
      {u"=POWER(2;10)", N(1024)},
      {u"=POWER(0;0)", N(0)},
      {u"=NORMSINV(0.5)", N(0)},
      {u"=NORMSINV(0.975)", N(1.9599639845400536)},
      {u"=NORMSINV(0.01)", N(-2.3263478740408408)},
      {u"=MOD(7;3)", N(1)},
      {u"=MOD(-3;2)", N(-1)},  // the sign of the dividend
      {u"=MOD(7.6;3)", N(2)},  // operands rounded first
      {u"=RAND()>=0", B(true)},
      {u"=NOW()>45000", B(true)},
      {u"=TODAY()=INT(NOW())", B(true)},
  });
}

TEST(Calculator, RoundingIsTolerant) {
  CheckCases({
      {u"=INT(-2.5)", N(-2)},
      {u"=INT(2.9999999999999996)", N(3)},
      {u"=ROUND(2.5;0)", N(3)},
      {u"=ROUND(-2.5;0)", N(-3)},
      {u"=ROUND(1234.5678;-2)", N(1200)},
      {u"=ROUND(0.285;2)", N(0.29)},
      {u"=ROUND(1.005;2)", N(1.01)},
      {u"=ROUND(0.4;0)", N(0)},
      {u"=ROUNDUP(1.21;1)", N(1.3)},
      {u"=ROUNDUP(-1.21;1)", N(-1.3)},
      {u"=ROUNDDOWN(1.29;1)", N(1.2)},
      {u"=TRUNC(-2.7)", N(-2)},
      {u"=TRUNC(2.789;2)", N(2.78)},
      {u"=FLOOR(7;2)", N(6)},
      {u"=CEILING(7;2)", N(8)},
      {u"=CEILING(0.3;0.1)", N(0.3)},
      {u"=FLOOR(-7;-2)", N(-6)},
      {u"=FLOOR(0;0)", N(0)},
      {u"=FLOOR(1;0)", S(kCalcErrorDiv0)},
      {u"=FLOOR(1;-1)", S(kCalcErrorValue)},
  });
}

TEST(Calculator, TextAndDateFunctions) {
  CheckCases({
      {u"=MID(C3;3;4)", T(u"erry")},
      {u"=MID(C1;0;2)", T(u"ap")},
      {u"=MID(C1;9;2)", T(u"")},
      {u"=MID(C1;\"x\";2)", S(kCalcErrorValue)},
      {u"=LEN(C3)", N(10)},
      {u"=LEN(123.5)", N(5)},
      {u"=LOWER(C2)&UPPER(C1)", T(u"bananaAPPLE")},
      {u"=LEFT(C1;3)", T(u"app")},
      {u"=LEFT(C2)", T(u"B")},
      {u"=RIGHT(C3;3)", T(u"pie")},
      {u"=RIGHT(C1;99)", T(u"apple")},
      {u"=LEFT(Z9;2)", Empty()},  // a null text gives null
      {u"=CONCATENATE(C1;\"-\";B2;D1)", T(u"apple-2TRUE")},
      {u"=VALUE(\"12\")", N(12)},
      {u"=VALUE(\"x\")", S(kCalcErrorValue)},
      {u"=ISTEXT(C1)", B(true)},
      {u"=ISTEXT(B1)", B(false)},
      {u"=ISBLANK(Z9)", B(true)},
      {u"=ISBLANK(\"\")", B(false)},
      {u"=TEXT(0.5;\"0%\")", T(u"50%")},
      {u"=TEXT(1234.5;\"#,##0.00\")", T(u"1,234.50")},
      {u"=TEXT(E1;\"yyyy-mm-dd\")", T(u"2023-03-15")},
      {u"=TEXT(E1;K1)", T(u"15.03.2023 \u0434")},
      {u"=TEXT(\"abc\";\"0.00\")", T(u"abc")},
      {u"=DATE(2023;3;15)", N(45000)},
      {u"=DATE(99;1;1)", N(36161)},
      {u"=DATE(2020;13;1)", S(kCalcErrorValue)},
      {u"=DATE(2021;2;29)", S(kCalcErrorValue)},
      {u"=DAY(E1)+MONTH(E1)*100+YEAR(E1)*10000", N(20230315)},
      {u"=WEEKDAY(45004)", N(7)},  // a Sunday; one argument means type 2
      {u"=WEEKDAY(45004;1)", N(1)},
      {u"=WEEKDAY(45004;3)", N(6)},
      {u"=WEEKDAY(45000;1)", N(4)},
      {u"=WEEKDAY(45000;9)", N(4)},
      {u"=ROW()+COLUMN()", N(2)},
      {u"=ROW(C7)+COLUMN(D2)", N(11)},
      {u"=ROWS(B1:B5)*COLUMNS(B1:D1)", N(15)},
      {u"=ROWS(1)", S(kCalcErrorValue)},
  });
}

TEST(Calculator, LookupsAndCriteria) {
  CheckCases({
      {u"=VLOOKUP(5;F1:G3;2)", T(u"four")},
      {u"=VLOOKUP(7;F1:G3;2)", T(u"seven")},
      {u"=VLOOKUP(100;F1:G3;2)", T(u"seven")},
      {u"=VLOOKUP(0;F1:G3;2)", Empty()},
      {u"=VLOOKUP(5;F1:G3;2;FALSE)", Empty()},
      {u"=VLOOKUP(4;F1:G3;2;FALSE)", T(u"four")},
      {u"=VLOOKUP(4.00000001;F1:G3;1;FALSE)", N(4)},     // numbers within 1e-7 are equal
      {u"=VLOOKUP(\"banana\";C1:D3;2;FALSE)", Empty()},  // the platform's order keeps case
      {u"=VLOOKUP(\"Banana\";C1:D3;2;FALSE)", B(false)},
      {u"=HLOOKUP(2;B2:D3;2;FALSE)", N(3)},
      {u"=HLOOKUP(2;B2:D3;3)", S(kCalcErrorValue)},
      {u"=LOOKUP(3;B1:B5)", N(3)},
      {u"=LOOKUP(5;F1:G3)", T(u"four")},
      {u"=LOOKUP(5;F1:F3;G1:G3)", T(u"four")},
      {u"=LOOKUP(0;F1:F3)", Empty()},
      {u"=LOOKUP(1)", S(kCalcErrorValue)},
      {u"=SUMPRODUCT(B1:B3;B2:B4)", N(20)},
      {u"=SUMPRODUCT(B1:B3;C1:C3)", N(0)},
      {u"=SUMPRODUCT(B1:B3;B1:B2)", S(kCalcErrorValue)},
      {u"=SUMPRODUCT(B1:B3)", S(kCalcErrorValue)},
      {u"=SUMIF(B1:B5;\">2\")", N(12)},
      {u"=SUMIF(B1:B5;\"<>3\")", N(12)},
      {u"=SUMIF(B1:B5;\"<=2\")", N(3)},
      {u"=SUMIF(B1:B5;3)", N(3)},
      {u"=SUMIF(C1:C3;\"b*\";B1:B3)", N(2)},
      {u"=SUMIF(C1:C3;\"?pple\";B1:B5)", N(1)},
      {u"=SUMIF(C1:C3;\"[a-c]*\";B1:B3)", N(6)},
      {u"=SUMIF(C1:C3;\"[!a]*\";B1:B3)", N(5)},
      {u"=SUMIF(C1:C3;\"[a\";B1:B3)", N(0)},  // an invalid mask matches nothing
      {u"=SUMIF(B:B;\">=4\")", N(9)},
      {u"=COUNTIF(B1:B5;\">=2\")", N(4)},
      {u"=COUNTIF(C1:C3;\"b*\")", N(1)},
      {u"=COUNTIF(C1:C3;\"*e*\")", N(2)},
      {u"=COUNTIF(B1:D5;TRUE)", N(1)},
      {u"=COUNTIF(B1:C5;\"=apple\")", N(1)},
  });
}

TEST(Calculator, ReferencesAcrossSheetsAndEvaluate) {
  Book b;
  b.other->Cells()->Item(1, 2)->SetValue(TVariant(u"=SUM(Sheet1!B1:B5)+A3"));
  TVariant v;
  ASSERT_EQ(b.other->GetCellValue(b.other->CellHeap().FindCell(0, 1), v), kCalcOk);
  EXPECT_DOUBLE_EQ(v.ToDouble(), 45);
  // Sheet1 also has 1 in A1 of a range over both sheets.
  b.At(1, 1)->SetValue(TVariant(1.0));
  EXPECT_EQ(b.Enter(u"=SUM(Sheet1:Sheet2!A1:A2)", v, 10, 1), kCalcOk);
  EXPECT_DOUBLE_EQ(v.ToDouble(), 31);
  EXPECT_EQ(b.Enter(u"=COUNT(Sheet1:Sheet2!A1:B5)", v, 11, 1), kCalcOk);
  EXPECT_DOUBLE_EQ(v.ToDouble(), 10);  // 1, 1..5, 10, 20, 30, and 45 in Sheet2!B1
  EXPECT_EQ(b.Enter(u"=Sheet2!B1*2", v, 12, 1), kCalcOk);
  EXPECT_DOUBLE_EQ(v.ToDouble(), 90);

  // Evaluate: the active sheet, null on failure.
  b.book->Evaluate(u"SUM(B1:B5)*2", v);
  EXPECT_DOUBLE_EQ(v.ToDouble(), 30);
  b.book->Evaluate(u"1/0", v);
  EXPECT_TRUE(v.IsNull());
  b.book->Evaluate(u"1+", v);
  EXPECT_TRUE(v.IsNull());
  // The range's Value reads the formula's value.
  b.At(14, 1)->SetValue(TVariant(u"=C1&\"s\""));
  EXPECT_EQ(WideToAnsi(b.At(14, 1)->Value().ToWide()), "apples");
}

TEST(Calculator, CacheFollowsTheGeneration) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(u"=B1*10"));
  b.At(2, 1)->SetValue(TVariant(u"=A1+RAND()"));
  TVariant first;
  TVariant again;
  ASSERT_EQ(b.Read(2, 1, first), kCalcOk);
  ASSERT_EQ(b.Read(2, 1, again), kCalcOk);
  EXPECT_EQ(first.ToDouble(), again.ToDouble());  // computed once per generation
  EXPECT_GE(first.ToDouble(), 10);
  EXPECT_LT(first.ToDouble(), 11);
  // A precedent changes: the dependants are computed again.
  b.At(1, 2)->SetValue(TVariant(7.0));
  ASSERT_EQ(b.Read(2, 1, again), kCalcOk);
  EXPECT_GE(again.ToDouble(), 70);
  EXPECT_LT(again.ToDouble(), 71);
  // A failure is not kept past the generation either.
  b.At(3, 1)->SetValue(TVariant(u"=1/B9"));
  EXPECT_EQ(b.Read(3, 1, again), kCalcErrorDiv0);
  b.At(9, 2)->SetValue(TVariant(4.0));
  ASSERT_EQ(b.Read(3, 1, again), kCalcOk);
  EXPECT_DOUBLE_EQ(again.ToDouble(), 0.25);
}

TEST(Calculator, CircularReferencesFail) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(u"=A1+1"));
  b.At(1, 8)->SetValue(TVariant(u"=I1"));
  b.At(1, 9)->SetValue(TVariant(u"=SUM(H1:H2)"));
  b.At(1, 10)->SetValue(TVariant(u"=H1*2"));  // depends on the circle
  TVariant v;
  EXPECT_EQ(b.Read(1, 1, v), kCalcCircular);
  EXPECT_EQ(b.Read(1, 8, v), kCalcCircular);
  EXPECT_EQ(b.Read(1, 9, v), kCalcCircular);
  EXPECT_EQ(b.Read(1, 10, v), kCalcCircular);
  // A branch not taken is no circle.
  b.At(2, 1)->SetValue(TVariant(u"=IF(TRUE;5;A2)"));
  EXPECT_EQ(b.Read(2, 1, v), kCalcOk);
  EXPECT_DOUBLE_EQ(v.ToDouble(), 5);
}

// Formula k of a chain (1-based) sits in row (k - 1) % 50000 + 1 of column
// (k - 1) / 50000 + 1: two columns hold 100,000.
std::string ChainCell(int32_t k) {
  return std::string(1, static_cast<char>('A' + (k - 1) / 50000)) + std::to_string((k - 1) % 50000 + 1);
}

// Cell 1 = 1, every later cell the one before plus 1; closed into a circle
// when circular.
void BuildChain(Book& b, int32_t n, bool circular) {
  b.At(1, 1)->SetValue(circular ? TVariant(AnsiToWide("=" + ChainCell(n) + "+1")) : TVariant(1.0));
  for (int32_t k = 2; k <= n; ++k)
    b.At((k - 1) % 50000 + 1, (k - 1) / 50000 + 1)->SetValue(TVariant(AnsiToWide("=" + ChainCell(k - 1) + "+1")));
}

TEST(Calculator, LongChainsNeitherRecurseDeeplyNorHang) {
  constexpr int32_t kCells = 100000;
  {
    Book b;
    BuildChain(b, kCells, false);
    TVariant v;
    ASSERT_EQ(b.Read(50000, 2, v), kCalcOk);
    EXPECT_DOUBLE_EQ(v.ToDouble(), kCells);
    // A change at the top runs down the whole chain again.
    b.At(1, 1)->SetValue(TVariant(-kCells));
    ASSERT_EQ(b.Read(50000, 2, v), kCalcOk);
    EXPECT_DOUBLE_EQ(v.ToDouble(), -1);
    b.At(1, 3)->SetValue(TVariant(u"=SUM(A1:B50000)"));
    ASSERT_EQ(b.Read(1, 3, v), kCalcOk);
    // -100000, -99999, ..., -1
    EXPECT_DOUBLE_EQ(v.ToDouble(), -0.5 * kCells * (kCells + 1.0));
  }
  {
    Book b;
    BuildChain(b, kCells, true);
    TVariant v;
    EXPECT_EQ(b.Read(50000, 2, v), kCalcCircular);
    EXPECT_EQ(b.Read(25000, 1, v), kCalcCircular);
  }
}

TEST(Calculator, NamesEvaluateThroughTheNameSourceAndChainWithoutDeepRecursion) {
  constexpr int32_t kNames = 100000;
  Book b;
  // Names Nm_1..Nm_n: Nm_1 stands for Sheet1!$B$2, every later one for the
  // one before it. Names resolve by their number in this test.
  TlxExternSheetNameLinks links;
  links.nameIdentifier = [](std::u16string_view text, int32_t) {
    return text.size() > 3 && text.substr(0, 3) == u"Nm_" ? std::stoi(WideToAnsi(text.substr(3))) : 0;
  };
  b.book->ExternSheets().SetNameLinks(links);
  TXLSCalculator& calculator = WorkbookCalculator(*b.book);
  std::vector<std::shared_ptr<TXLSCompiledFormula>> names(kNames + 1);
  names[1] = calculator.CompileFormula("Sheet1!$B$2", 0);
  for (int32_t i = 2; i <= kNames; ++i) names[i] = calculator.CompileFormula("Nm_" + std::to_string(i - 1), 0);
  ASSERT_TRUE(names[kNames]);
  calculator.SetNameSource([&](int32_t id, int32_t defaultSheet, int32_t& sheet) -> const TXLSCompiledFormula* {
    sheet = defaultSheet;
    return id >= 1 && id <= kNames ? names[static_cast<size_t>(id)].get() : nullptr;
  });
  TVariant v;
  EXPECT_EQ(b.Enter(AnsiToWide("=Nm_" + std::to_string(kNames) + "*10").c_str(), v), kCalcOk);
  EXPECT_DOUBLE_EQ(v.ToDouble(), 20);
  EXPECT_EQ(b.Enter(u"=SUM(Nm_3)+ROWS(Nm_2)", v, 2, 1), kCalcOk);
  EXPECT_DOUBLE_EQ(v.ToDouble(), 3);
  // An unknown name (no formula behind it) is #NAME?.
  calculator.SetNameSource(nullptr);
  b.At(1, 2)->SetValue(TVariant(5.0));
  EXPECT_EQ(b.Read(1, 1, v), kCalcErrorName);
}

TEST(Calculator, DefinedNamesOfTheWorkbookEvaluate) {
  Book b;
  XLSPtr<IXLSNames> names = b.book->Names();
  names->Add(u"Amounts", u"=Sheet1!$B$1:$B$5");
  names->Add(u"First", u"=Sheet1!$B$1");
  TVariant v;
  EXPECT_EQ(b.Enter(u"=SUM(Amounts)*First+ROWS(Amounts)", v), kCalcOk);
  EXPECT_DOUBLE_EQ(v.ToDouble(), 20);
  b.At(1, 2)->SetValue(TVariant(2.0));  // the names follow their cells
  EXPECT_EQ(b.Read(1, 1, v), kCalcOk);
  EXPECT_DOUBLE_EQ(v.ToDouble(), 37);
}

}  // namespace
}  // namespace lx
