// Formulas in cells: a text beginning with "=" set on a cell of a workbook
// made by the engine compiles into a formula, which reads back as text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lxCalculator.h"
#include "lxHandle.h"

namespace lx {
namespace {

struct Book {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  IXLSWorksheet* other = book->Worksheets()->Add();
  XLSPtr<IXLSRange> At(int32_t row, int32_t column) { return sheet->Cells()->Item(row, column); }
};

TEST(CellFormulas, TextWithEqualsCompilesOrStaysText) {
  struct Case {
    const char16_t* entered;
    bool formula;
    const char* shown;  // Formula() of the cell; for text also its value
  };
  const std::vector<Case> cases = {
      {u"=1+2*3", true, "=1+2*3"},
      {u"=sum(a1:b2;$C$3)", true, "=SUM(A1:B2;$C$3)"},
      {u"=-A1%&\"say \"\"hi\"\"\"", true, "=-A1%&\"say \"\"hi\"\"\""},
      {u"=Sheet2!B$4+'Sheet2'!1:3", true, "='Sheet2'!B$4+'Sheet2'!1:3"},
      {u"=IF(A1>0;\"yes\";\"no\")", true, "=IF(A1>0;\"yes\";\"no\")"},
      {u"=1+", false, "=1+"},
      {u"=SUM(A1,B1)", false, "=SUM(A1,B1)"},  // the separator is ";"
      {u"=NoSheet!A1", false, "=NoSheet!A1"},  // no such sheet
      {u"=NOSUCHFUNC(1)", false, "=NOSUCHFUNC(1)"},
      {u"'=1+1", false, "=1+1"},  // the apostrophe keeps text
  };
  for (const Case& c : cases) {
    Book b;
    b.At(2, 2)->SetValue(TVariant(c.entered));
    EXPECT_EQ(b.At(2, 2)->HasFormula(), c.formula) << std::string(c.shown);
    const TVariant formula = b.At(2, 2)->Formula();
    EXPECT_EQ(WideToAnsi(formula.ToWide()), c.shown);
    if (!c.formula) {
      EXPECT_EQ(WideToAnsi(b.At(2, 2)->Value().ToWide()), c.shown);
    }
  }
}

TEST(CellFormulas, RangeSlotsReportFormulasCellByCell) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(u"=B1*2"));
  b.At(1, 2)->SetValue(TVariant(5.0));
  const XLSPtr<IXLSRange> row = b.sheet->Range(u"A1", u"C1");
  EXPECT_TRUE(row->HasFormula());
  const TVariant texts = row->Formula();
  EXPECT_EQ(WideToAnsi(texts.ArrayItem(0, 0).ToWide()), "=B1*2");
  EXPECT_DOUBLE_EQ(texts.ArrayItem(0, 1).ToDouble(), 5.0);
  EXPECT_TRUE(texts.ArrayItem(0, 2).IsNull());
  // A value over the formula removes it.
  b.At(1, 1)->SetValue(TVariant(1.0));
  EXPECT_FALSE(row->HasFormula());
  EXPECT_DOUBLE_EQ(b.At(1, 1)->Formula().ToDouble(), 1.0);
}

TEST(CellFormulas, RenamedSheetShowsInTheFormulaAndCopiesShiftRelativeParts) {
  Book b;
  b.At(3, 3)->SetValue(TVariant(u"=Sheet2!A1+$B2+C$3"));
  b.other->SetName(u"Data's");
  EXPECT_EQ(WideToAnsi(b.At(3, 3)->Formula().ToWide()), "='Data''s'!A1+$B2+C$3");
  const TXLSCompiledFormula* formula = b.sheet->CellHeap().FindCell(2, 2)->Formula();
  ASSERT_NE(formula, nullptr);
  const auto moved = formula->CopyWithOffset(2, 1);
  EXPECT_EQ(WorkbookCalculator(*b.book).GetFormulaText(*moved, 4, 3), "='Data''s'!B3+$B4+D$3");
  // Moved above the first row, a reference has no text but #REF!.
  const auto lifted = formula->CopyWithOffset(-3, 0);
  EXPECT_EQ(WorkbookCalculator(*b.book).GetFormulaText(*lifted, 0, 2), "='Data''s'!#REF!+#REF!+C$3");
}

TEST(CellFormulas, CopyMovesRelativeReferencesByTheDistance) {
  Book b;
  b.At(2, 2)->SetValue(TVariant(u"=A1+$C$1+C$1+$A2+SUM(A1:B2)"));
  auto text = [](IXLSWorksheet* sheet, int32_t row, int32_t column) {
    return WideToAnsi(sheet->Cells()->Item(row, column)->Formula().ToWide());
  };
  // B2 repeated over C3:C4, once onto the other sheet, and one row up.
  b.At(2, 2)->Copy(b.sheet->Range(u"C3", u"C4").Get(), kCopyAll);
  b.At(2, 2)->Copy(b.other->Cells()->Item(3, 2).Get(), kCopyAll);
  b.At(2, 2)->Copy(b.At(1, 2).Get(), kCopyAll);
  EXPECT_EQ(text(b.sheet, 3, 3), "=B2+$C$1+D$1+$A3+SUM(B2:C3)");
  EXPECT_EQ(text(b.sheet, 4, 3), "=B3+$C$1+D$1+$A4+SUM(B3:C4)");
  EXPECT_EQ(text(b.other, 3, 2), "=A2+$C$1+C$1+$A3+SUM(A2:B3)");
  EXPECT_EQ(text(b.sheet, 1, 2), "=#REF!+$C$1+C$1+$A1+SUM(#REF!)");
  EXPECT_EQ(text(b.sheet, 2, 2), "=A1+$C$1+C$1+$A2+SUM(A1:B2)") << "the source keeps its formula";
  // Cut moves the formula the same way and empties the source.
  b.At(2, 2)->Cut(b.At(2, 4).Get(), kCopyAll);
  EXPECT_EQ(text(b.sheet, 2, 4), "=C1+$C$1+E$1+$A2+SUM(C1:D2)");
  EXPECT_FALSE(b.At(2, 2)->HasFormula());
}

TEST(CellFormulas, InsertAndDeleteMoveFormulaCellsWithTheirTextUnchanged) {
  // Cells pushed aside by inserting or deleting keep their formulas as they
  // were: the references are not adjusted, only the cells move.
  Book b;
  b.At(3, 2)->SetValue(TVariant(u"=A1+SUM($A$1:A2)"));
  TVariant done;
  b.sheet->Range(u"B2", u"B2")->Insert(TVariant(xlShiftDown), done);
  EXPECT_TRUE(done.ToBool());
  EXPECT_FALSE(b.At(3, 2)->HasFormula());
  EXPECT_EQ(WideToAnsi(b.At(4, 2)->Formula().ToWide()), "=A1+SUM($A$1:A2)");
  b.sheet->Range(u"B1", u"B2")->Delete(TVariant(xlShiftUp), done);
  EXPECT_EQ(WideToAnsi(b.At(2, 2)->Formula().ToWide()), "=A1+SUM($A$1:A2)");
  EXPECT_FALSE(b.At(4, 2)->HasFormula());
}

}  // namespace
}  // namespace lx
