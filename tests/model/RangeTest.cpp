// Ranges: positions, values and arrays, formatting walks, widths, heights
// and outline levels.
#include <gtest/gtest.h>

#include <string>

#include "lxHandle.h"
#include "lxRange.h"

namespace lx {
namespace {

struct Book {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  XLSPtr<IXLSRange> At(int32_t row, int32_t column) { return sheet->Cells()->Item(row, column); }
  XLSPtr<IXLSRange> R(const char16_t* a, const char16_t* b) { return sheet->Range(a, b); }
  TlxFormatList& Formats() { return book->Formats(); }
};

TEST(RangeItem, PositionsRelativeToTheRangeAndItsError) {
  Book b;
  auto c3 = b.R(u"C3", u"D4")->Item(1, 1);
  EXPECT_EQ(c3->Row(), 3);
  EXPECT_EQ(c3->Column(), 3);
  auto e5 = b.R(u"A1", u"B2")->Item(5, 5);  // outside the range is allowed
  EXPECT_EQ(e5->FirstRow(), 4);
  EXPECT_EQ(e5->FirstColumn(), 4);
  auto beforeA1 = [&] { b.R(u"A1", u"A1")->Item(0, 1); };
  EXPECT_THROW(beforeA1(), EXLSError);
  try {
    b.At(65537, 1);
    FAIL() << "no error";
  } catch (const EXLSError& e) {
    EXPECT_STREQ(e.what(), "Invalid row/column index");
  }
  EXPECT_THROW(b.At(1, 257), EXLSError);
  EXPECT_NO_THROW(b.At(65536, 256));
}

TEST(RangeShape, OffsetReusesOneObjectAndMoveToKeepsTheSize) {
  Book b;
  auto range = b.R(u"B2", u"C4");
  auto first = range->Offset(1, 2);
  EXPECT_EQ(first->FirstRow(), 2);
  EXPECT_EQ(first->FirstColumn(), 3);
  EXPECT_EQ(first->LastRow(), 4);
  auto second = range->Offset(0, 0);
  EXPECT_EQ(first.Get(), second.Get());
  EXPECT_EQ(second->FirstRow(), 1);
  range->MoveTo(10, 10);
  EXPECT_EQ(range->FirstRow(), 10);
  EXPECT_EQ(range->LastRow(), 12);
  EXPECT_EQ(range->LastColumn(), 11);
  range->MoveTo(65535, 255);  // stops at the sheet's edge
  EXPECT_EQ(range->LastRow(), 65535);
  EXPECT_EQ(range->Count(), 6);
}

TEST(RangeShape, ViewsCountAndItemDifferently) {
  Book b;
  auto range = b.R(u"B2", u"D3");  // 2 rows, 3 columns
  EXPECT_EQ(range->ItemCount(), 2);
  EXPECT_EQ(range->Rows()->ItemCount(), 2);
  EXPECT_EQ(range->Columns()->ItemCount(), 3);
  auto row = range->Item(2);  // second row as a row view
  EXPECT_EQ(row->FirstRow(), 2);
  EXPECT_EQ(row->ItemCount(), 3);
  auto cell = row->Item(3);
  EXPECT_EQ(cell->FirstColumn(), 3);
  EXPECT_EQ(cell->FirstRow(), 2);
  auto column = range->Columns()->Item(2);
  EXPECT_EQ(column->FirstColumn(), 2);
  EXPECT_EQ(column->Count(), 2);
  auto entire = range->EntireColumn();
  EXPECT_EQ(entire->LastRow(), 65535);
  EXPECT_EQ(range->EntireRow()->LastColumn(), 255);
  // One object behind every view.
  void* asRows = nullptr;
  ASSERT_EQ(range->QueryInterface(IXLSRowsRange::kIID, &asRows), kQueryOk);
  static_cast<IXLSRowsRange*>(asRows)->Release();
  EXPECT_EQ(TXLSRange::From(range.Get()), TXLSRange::From(range->Rows().Get()));
}

TEST(RangeValues, ScalarsFillTheRectangleAndReadBackAsArrays) {
  Book b;
  b.R(u"A1", u"B2")->SetValue(TVariant(4));
  TVariant all = b.R(u"A1", u"C2")->Value();
  ASSERT_EQ(all.ArrayDims(), 2);
  EXPECT_EQ(all.ArrayHighBound(1), 1);
  EXPECT_EQ(all.ArrayHighBound(2), 2);
  EXPECT_DOUBLE_EQ(all.ArrayItem(1, 1).ToDouble(), 4.0);
  EXPECT_TRUE(all.ArrayItem(0, 2).IsNull());
}

TEST(RangeValues, OneDimensionalArraysRepeatPerRowAndFillNotAvailable) {
  Book b;
  TVariant values = TVariant::CreateArray(5, 3);  // own lower bound
  values.SetArrayItem(5, TVariant(1));
  values.SetArrayItem(6, TVariant(2));
  values.SetArrayItem(7, TVariant(3));
  b.R(u"A1", u"E2")->SetValue(values);
  EXPECT_DOUBLE_EQ(b.At(1, 1)->Value().ToDouble(), 1.0);
  EXPECT_DOUBLE_EQ(b.At(2, 3)->Value().ToDouble(), 3.0);
  for (auto [r, c] : {std::pair{1, 4}, {1, 5}, {2, 4}, {2, 5}})
    EXPECT_EQ(b.At(r, c)->Value().WideValue(), u"#N/D") << r << "," << c;
  TVariant one = TVariant::CreateArray(0, 1);
  one.SetArrayItem(0, TVariant(u"x"));
  b.R(u"A4", u"C5")->SetValue(one);
  EXPECT_EQ(b.At(5, 3)->Value().WideValue(), u"x");
}

TEST(RangeValues, TwoDimensionalArraysRunOverRowsAndColumns) {
  Book b;
  TVariant grid = TVariant::CreateArray(1, 2, 1, 1);  // 2 rows, 1 column
  grid.SetArrayItem(1, 1, TVariant(10));
  grid.SetArrayItem(2, 1, TVariant(20));
  b.R(u"A1", u"C3")->SetValue(grid);
  EXPECT_DOUBLE_EQ(b.At(1, 3)->Value().ToDouble(), 10.0);  // one column repeats
  EXPECT_DOUBLE_EQ(b.At(2, 2)->Value().ToDouble(), 20.0);
  EXPECT_EQ(b.At(3, 1)->Value().WideValue(), u"#N/D");
}

TEST(RangeValues, FormulaReadsValuesWhereNoFormulaIs) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(u"=SUM("));  // does not compile: text
  b.At(1, 2)->SetValue(TVariant(2));
  EXPECT_EQ(b.At(1, 1)->Formula().WideValue(), u"=SUM(");
  TVariant both = b.R(u"A1", u"C1")->Formula();
  ASSERT_EQ(both.ArrayDims(), 2);
  EXPECT_DOUBLE_EQ(both.ArrayItem(0, 1).ToDouble(), 2.0);
  EXPECT_TRUE(both.ArrayItem(0, 2).IsNull());
  EXPECT_FALSE(b.R(u"A1", u"C1")->HasFormula());
}

TEST(RangeFormat, HorizontalAndVerticalAlignmentConstants) {
  Book b;
  auto a1 = b.At(1, 1);
  a1->SetHorizontalAlignment(3);  // a stored code, not a constant
  EXPECT_EQ(b.Formats().GetXFHorizontalAlignment(a1->FormatIndex()), 0);
  a1->SetHorizontalAlignment(-4152);
  EXPECT_EQ(b.Formats().GetXFHorizontalAlignment(a1->FormatIndex()), 3);
  EXPECT_EQ(a1->HorizontalAlignment(), -4152);
  a1->SetVerticalAlignment(-4160);
  EXPECT_EQ(a1->VerticalAlignment(), -4160);
  a1->SetVerticalAlignment(7);
  EXPECT_EQ(a1->VerticalAlignment(), -4160);
  EXPECT_EQ(a1->HorizontalAlignment(), -4152);
}

TEST(RangeFormat, OrientationIndentAndFlags) {
  Book b;
  auto a1 = b.At(1, 1);
  a1->SetOrientation(TVariant(-45));
  EXPECT_EQ(b.Formats().GetXFRotation(a1->FormatIndex()), 135);
  EXPECT_EQ(a1->Orientation().ToInt32(), -45);
  a1->SetOrientation(TVariant(255));
  EXPECT_EQ(a1->Orientation().ToInt32(), 255);
  a1->SetOrientation(TVariant(200));
  EXPECT_EQ(a1->Orientation().ToInt32(), 255);
  a1->SetIndentLevel(16);
  EXPECT_EQ(a1->IndentLevel(), 0);
  a1->SetIndentLevel(4);
  EXPECT_EQ(a1->IndentLevel(), 4);
  a1->SetLocked(false);
  a1->SetFormulaHidden(true);
  a1->SetShrinkToFit(true);
  a1->SetReadingOrder(6);  // two bits kept
  EXPECT_FALSE(a1->Locked());
  EXPECT_TRUE(a1->FormulaHidden());
  EXPECT_TRUE(a1->ShrinkToFit());
  EXPECT_EQ(a1->ReadingOrder(), 2);
  EXPECT_TRUE(b.At(2, 2)->Locked());
}

TEST(RangeFormat, OneFormatForARunOfEqualCells) {
  Book b;
  b.R(u"A1", u"J100")->SetNumberFormat(u"0.00");
  const int32_t format = b.At(1, 1)->FormatIndex();
  EXPECT_EQ(b.At(100, 10)->FormatIndex(), format);
  EXPECT_EQ(b.Formats().RefCount(format), 1000);
  EXPECT_EQ(b.At(50, 5)->NumberFormat(), u"0.00");
  b.R(u"A1", u"A100")->SetNumberFormat(u"0.00");  // same value again
  EXPECT_EQ(b.Formats().RefCount(format), 1000);
}

TEST(RangeFormat, WholeColumnChangesTheRecordAndUsedCellsOnly) {
  Book b;
  b.At(3, 1)->SetValue(TVariant(1));
  b.At(2, 2)->SetValue(TVariant(1));
  b.sheet->Range(u"A1", u"A65536")->SetNumberFormat(u"0.0");
  const TXLSColumnInfo* column = b.sheet->ColumnInfo().Find(0);
  ASSERT_NE(column, nullptr);
  const int32_t format = column->FormatIndex;
  EXPECT_EQ(b.Formats().GetXFNumberFormatText(format), u"0.0");
  EXPECT_EQ(b.sheet->CellHeap().FindCell(2, 0)->FormatIndex, format);
  EXPECT_EQ(b.sheet->CellHeap().FindCell(1, 0), nullptr);  // no cell made
  EXPECT_EQ(b.sheet->CellHeap().CellCount(), 2);
  // A cell made later inherits through the column record.
  b.At(500, 1)->SetValue(TVariant(2));
  EXPECT_EQ(b.At(500, 1)->NumberFormat(), u"0.0");
  EXPECT_EQ(b.Formats().RefCount(format), 3);  // column + two cells
}

TEST(RangeFormat, WholeRowsCombineWithColumnFormats) {
  Book b;
  b.sheet->Range(u"B1", u"B65536")->SetNumberFormat(u"0.0");     // column B
  b.At(2, 3)->SetValue(TVariant(1));                             // C2 exists
  b.sheet->Range(u"A2", u"IV2")->SetHorizontalAlignment(-4108);  // row 2 centred
  const TXLSRowInfo* row = b.sheet->RowInfo().Find(1);
  ASSERT_NE(row, nullptr);
  EXPECT_TRUE(row->HasRowFormat);
  EXPECT_EQ(b.Formats().GetXFHorizontalAlignment(row->FormatIndex), 2);
  // B2 was created with both the column's number format and the alignment.
  const TXLSCellRef* b2 = b.sheet->CellHeap().FindCell(1, 1);
  ASSERT_NE(b2, nullptr);
  EXPECT_EQ(b.Formats().GetXFNumberFormatText(b2->FormatIndex), u"0.0");
  EXPECT_EQ(b.Formats().GetXFHorizontalAlignment(b2->FormatIndex), 2);
  EXPECT_EQ(b.At(2, 3)->HorizontalAlignment(), -4108);
  // A missing cell of the row shows the row's format.
  EXPECT_EQ(b.At(2, 9)->HorizontalAlignment(), -4108);
  EXPECT_EQ(b.At(3, 2)->NumberFormat(), u"0.0");
}

TEST(RangeFormat, ColumnFormatShowsThroughNewCellsOfUsedRows) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(1));  // row 1 now has a record
  b.sheet->Range(u"B1", u"B65536")->SetNumberFormat(u"0.000");
  b.At(1, 2)->SetValue(TVariant(2));
  EXPECT_EQ(b.At(1, 2)->NumberFormat(), u"0.000");
  // Without a column format the row record's default cell format applies.
  b.At(1, 3)->SetValue(TVariant(3));
  EXPECT_EQ(b.sheet->CellHeap().FindCell(0, 2)->FormatIndex, TlxFormatList::kDefaultCellFormat);
  EXPECT_EQ(b.sheet->CellHeap().FindCell(0, 0)->FormatIndex, 0);  // made before its row record
}

TEST(RangeSizes, WidthsHeightsAndHiddenFlags) {
  Book b;
  auto columns = b.R(u"A1", u"C1");
  columns->SetColumnWidth(TVariant(300));
  EXPECT_DOUBLE_EQ(b.At(1, 2)->ColumnWidth().ToDouble(), 255.0);
  TVariant widths = TVariant::CreateArray(0, 2);
  widths.SetArrayItem(0, TVariant(10));
  widths.SetArrayItem(1, TVariant(20));
  columns->SetColumnWidth(widths);
  TVariant read = columns->ColumnWidth();
  ASSERT_EQ(read.ArrayDims(), 1);
  EXPECT_DOUBLE_EQ(read.ArrayItem(0).ToDouble(), 10.0);
  EXPECT_DOUBLE_EQ(read.ArrayItem(1).ToDouble(), 20.0);
  EXPECT_DOUBLE_EQ(read.ArrayItem(2).ToDouble(), 255.0);  // beyond the array: unchanged
  auto rows = b.R(u"A1", u"A2");
  rows->SetRowHeight(TVariant(13.1));
  EXPECT_DOUBLE_EQ(b.At(2, 1)->RowHeight().ToDouble(), 13.0);
  rows->Rows()->SetHidden(TVariant(true));
  EXPECT_DOUBLE_EQ(b.At(1, 1)->RowHeight().ToDouble(), 0.0);
  EXPECT_TRUE(b.At(2, 1)->Rows()->Hidden().ToBool());
  b.At(1, 4)->SetHidden(TVariant(true));  // plain view: columns
  EXPECT_TRUE(b.sheet->ColumnInfo().ColumnHidden(3));
}

TEST(RangeOutline, GroupUngroupAndLevels) {
  Book b;
  auto rows = b.R(u"A2", u"A4");
  rows->Group(true);
  rows->Group(true);
  EXPECT_EQ(rows->OutlineLevel(), 3);
  EXPECT_EQ(b.At(1, 1)->OutlineLevel(), 1);
  b.R(u"A3", u"A3")->Ungroup(true);
  EXPECT_EQ(b.sheet->RowInfo().RowOutlineLevel(2), 2);
  rows->Group(false);
  EXPECT_EQ(rows->ColumnsOutlineLevel(), 2);
  rows->SetOutlineLevel(9);  // ignored
  EXPECT_EQ(rows->OutlineLevel(), 3);
  rows->ClearOutline();
  EXPECT_EQ(rows->OutlineLevel(), 1);
  EXPECT_EQ(rows->ColumnsOutlineLevel(), 1);
}

}  // namespace
}  // namespace lx
