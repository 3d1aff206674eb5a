#include <gtest/gtest.h>

#include "support/FakeSheets.h"

#include <string>
#include <vector>

#include "lxConstants.h"
#include "lxFormula.h"

namespace lx {
namespace {

std::string Coord(int32_t value, uint8_t absolute) { return (absolute ? "$" : "") + std::to_string(value); }

// The tree in a compact prefix form: operators as (op a b), references as
// C(row,col) or A(row,col:row,col) with "$" on absolute coordinates, a sheet
// entry as S<index>!, names as N<identifier>, functions as NAME#index(...).
std::string Show(const TXLSSyntaxItem* node) {
  if (node == nullptr) return "null";
  auto children = [&](const std::string& open, const char* close = ")") {
    std::string text = open;
    for (int32_t i = 0; i < node->ChildCount(); ++i) text += (i ? " " : "") + Show(node->Child(i));
    return text + close;
  };
  std::string sheet;
  if (node->Range() && node->Range()->externSheet) sheet = "S" + std::to_string(node->Range()->externSheet) + "!";
  switch (node->Kind()) {
    case kNodeNumber:
      return node->Text() + "=" + std::to_string(node->Number());
    case kNodeString:
      return "\"" + node->Text() + "\"";
    case kNodeBoolean:
      return node->Value() ? "TRUE" : "FALSE";
    case kNodeParentheses:
      return children("[", "]");
    case kNodeUnaryMinus:
      return children("(neg ");
    case kNodeUnaryPlus:
      return children("(pos ");
    case kNodePercent:
      return children("(% ");
    case kNodeName:
      return sheet + "N" + std::to_string(node->Value());
    case kNodeFunction:
      return node->Text() + "#" + std::to_string(node->Value()) + children("(");
    case kNodeReference: {
      const TXLSRangeItem& r = *node->Range();
      const std::string first =
          Coord(r.firstRow, r.firstRowAbsolute) + "," + Coord(r.firstColumn, r.firstColumnAbsolute);
      if (!r.IsArea()) return sheet + "C(" + first + ")";
      return sheet + "A(" + first + ":" + Coord(r.lastRow, r.lastRowAbsolute) + "," +
             Coord(r.lastColumn, r.lastColumnAbsolute) + ")";
    }
    default:
      if (node->Kind() >= kNodeMultiply && node->Kind() <= kNodePower) return children("(" + node->Text() + " ");
      return "?" + std::to_string(node->Kind());
  }
}

// A workbook of three sheets, one with a space in its name, and two defined
// names: Total at workbook level (identifier 7) and Local on sheet 2 (8).
class FormulaParser : public ::testing::Test {
 protected:
  FormulaParser() : table_(test::FakeSheetLinks(&sheets_)), formula_(&table_) {
    TlxExternSheetNameLinks names;
    names.nameIdentifier = [](std::u16string_view text, int32_t sheet) {
      if (text == u"Total") return 7;
      if (text == u"Local" && sheet == 2) return 8;
      return -1;
    };
    table_.SetNameLinks(names);
  }
  std::string Parse(std::string_view text, int32_t sheet = 1) { return Show(formula_.ParseFormula(text, sheet).get()); }

  test::TFakeSheets sheets_{{1, u"Sheet1"}, {2, u"My Sheet"}, {3, u"Sheet3"}};
  TlxExternSheetSheet table_;
  TXLSFormula formula_;
};

struct TCase {
  const char* text;
  const char* tree;
};

TEST_F(FormulaParser, OperatorsBindAsDefined) {
  const TCase cases[] = {
      {"1+2*3", "(+ 1=1.000000 (* 2=2.000000 3=3.000000))"},
      {"1&2+3", "(+ (& 1=1.000000 2=2.000000) 3=3.000000)"},
      {"1+2&3", "(& (+ 1=1.000000 2=2.000000) 3=3.000000)"},
      {"1-2-3", "(- (- 1=1.000000 2=2.000000) 3=3.000000)"},
      {"8/4/2", "(/ (/ 8=8.000000 4=4.000000) 2=2.000000)"},
      {"-2^2", "(^ (neg 2=2.000000) 2=2.000000)"},
      {"2^3^2", "(^ (^ 2=2.000000 3=3.000000) 2=2.000000)"},
      {"1<2=TRUE", "(< 1=1.000000 (= 2=2.000000 TRUE))"},
      {"1<>2", "(<> 1=1.000000 2=2.000000)"},
      {"1>=2", "(>= 1=1.000000 2=2.000000)"},
      {"1<=2", "(<= 1=1.000000 2=2.000000)"},
      {"1 > 2", "(> 1=1.000000 2=2.000000)"},
      {"-A1%", "(% (neg C(0,0)))"},
      {"50%%", "(% (% 50=50.000000))"},
      {"2*50%", "(* 2=2.000000 (% 50=50.000000))"},
      {"--+1", "(neg (neg (pos 1=1.000000)))"},
      {"1--1", "(- 1=1.000000 (neg 1=1.000000))"},
      {"(1+2)*3", "(* [(+ 1=1.000000 2=2.000000)] 3=3.000000)"},
      {"2^-1", "(^ 2=2.000000 (neg 1=1.000000))"},
      {".5+1.", "(+ .5=0.500000 1.=1.000000)"},
      {"\"a\"\"b\"&\"\"\"\"", "(& \"a\"b\" \"\"\")"},
      {"\"x;y\"", "\"x;y\""},
      {"true", "TRUE"},
      {"FALSE", "FALSE"},
      {"TRUE()", "TRUE#34()"},
      {"NOW()", "NOW#74()"},
      {"sum(a1:b2;C3)", "sum#4(A(0,0:1,1) C(2,2))"},
      {"IF(A1>0;\"p\";-1)", "IF#1((> C(0,0) 0=0.000000) \"p\" (neg 1=1.000000))"},
      {"ERROR.TYPE(A1)", "ERROR.TYPE#261(C(0,0))"},
  };
  for (const TCase& c : cases) EXPECT_EQ(Parse(c.text), c.tree) << c.text;
}

TEST_F(FormulaParser, ReferencesOfEveryForm) {
  const TCase cases[] = {
      {"A1", "C(0,0)"},
      {"$A$1", "C($0,$0)"},
      {"A$1", "C($0,0)"},
      {"$b2", "C(1,$1)"},
      {"IU65535", "C(65534,254)"},
      {"Z9+AA10", "(+ C(8,25) C(9,26))"},
      {"A1:B2", "A(0,0:1,1)"},
      {"$A$1:B$2", "A($0,$0:$1,1)"},
      {"1:3", "A(0,$0:2,$255)"},
      {"$1:$3", "A($0,$0:$2,$255)"},
      {"A:C", "A($0,0:$65535,2)"},
      {"$A:$C", "A($0,$0:$65535,$2)"},
      {"Sheet1!A1", "S1!C(0,0)"},
      {"'My Sheet'!$A$1:B2", "S2!A($0,$0:1,1)"},
      {"Sheet3!B5+Sheet3!C6", "(+ S3!C(4,1) S3!C(5,2))"},
      {"Sheet1:Sheet3!A1", "S4!C(0,0)"},
      {"Sheet3:Sheet1!A1", "S4!C(0,0)"},
      {"'Sheet1':'Sheet3'!A1:A3", "S4!A(0,0:2,0)"},
      {"Sheet1!1:2", "S1!A(0,$0:1,$255)"},
      {"Total*2", "(* N7 2=2.000000)"},
      {"'My Sheet'!Local", "S2!N8"},
  };
  for (const TCase& c : cases) EXPECT_EQ(Parse(c.text), c.tree) << c.text;
  // A name scoped to a sheet is found from formulas on that sheet only.
  EXPECT_EQ(Parse("Local", 2), "N8");
  EXPECT_EQ(Parse("Local", 1), "null");
}

TEST_F(FormulaParser, MalformedTextFails) {
  const char* cases[] = {"SUM(A1:B2,C3)",
                         "IV1",
                         "A65536",
                         "ABC1",
                         "A0",
                         "A:3",
                         "1:C",
                         "A$:B$",
                         "$A$",
                         "1E5",
                         "1.2.3",
                         ".",
                         "IF(A1;;1)",
                         "SUM(A1;)",
                         "SUM(;A1)",
                         "A1 B1",
                         "2(3)",
                         "(1+2",
                         "1+",
                         "+",
                         "",
                         ")",
                         "1)",
                         "\"abc",
                         "'Sheet1!A1",
                         "Nope!A1",
                         "Nope!Total",
                         "UNKNOWNFN(1)",
                         "Undefined",
                         "#REF!",
                         "{1}",
                         "A1\t+1",
                         "A1!",
                         "\xe9",
                         "1;2",
                         "=1",
                         "Sheet1!Sheet3!A1"};
  for (const char* text : cases) EXPECT_EQ(Parse(text), "null") << text;
  // A literal of 255 characters is the longest a string token holds.
  EXPECT_NE(Parse("\"" + std::string(255, 'x') + "\""), "null");
  EXPECT_EQ(Parse("\"" + std::string(256, 'x') + "\""), "null");
}

TEST_F(FormulaParser, DeepInputFailsCleanly) {
  const size_t n = 100000;
  EXPECT_EQ(Parse(std::string(n, '(') + "1" + std::string(n, ')')), "null");
  EXPECT_EQ(Parse(std::string(n, '-') + "1"), "null");
  EXPECT_EQ(Parse("1" + std::string(n, '%')), "null");
  std::string chain = "1";
  std::string power = "1";
  std::string compare = "1";
  std::string calls;
  for (size_t i = 0; i < n; ++i) {
    chain += "+1";
    power += "^1";
    compare += "=1";
    calls += "ABS(";
  }
  EXPECT_EQ(Parse(chain), "null");
  EXPECT_EQ(Parse(power), "null");
  EXPECT_EQ(Parse(compare), "null");
  EXPECT_EQ(Parse(calls + "1" + std::string(n, ')')), "null");
  // Nesting well inside the limit still parses.
  EXPECT_NE(Parse(std::string(200, '(') + "1" + std::string(200, ')')), "null");
}

TEST_F(FormulaParser, CopyShiftsRelativeCoordinatesOnly) {
  auto tree = formula_.ParseFormula("A1+$B$2+C$3+$D4+SUM(E5:F6)+Sheet1!G7", 1);
  ASSERT_NE(tree, nullptr);
  EXPECT_EQ(Show(tree->CopyWithOffset(2, 1).get()),
            "(+ (+ (+ (+ (+ C(2,1) C($1,$1)) C($2,3)) C(5,$3)) SUM#4(A(6,5:7,6))) S1!C(8,7))");
  // Moving up past the first row leaves a negative row (written as deleted
  // later), and an area whose corners cross is put back in order.
  EXPECT_EQ(Show(formula_.ParseFormula("A1", 1)->CopyWithOffset(-1, 0).get()), "C(-1,0)");
  EXPECT_EQ(Show(formula_.ParseFormula("A$5:A10", 1)->CopyWithOffset(-8, 0).get()), "A(1,0:$4,0)");
}

}  // namespace
}  // namespace lx
