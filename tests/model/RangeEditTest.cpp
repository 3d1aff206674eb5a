// Ranges: merged areas, copying and moving, clearing, inserting and deleting,
// and the format use counts these keep.
#include <gtest/gtest.h>

#include "lxHandle.h"
#include "lxRange.h"
#include "lxStringTable.h"
#include "model/UseCounts.h"

namespace lx {
namespace {

struct Book {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  XLSPtr<IXLSRange> At(int32_t row, int32_t column) { return sheet->Cells()->Item(row, column); }
  XLSPtr<IXLSRange> R(const char16_t* a, const char16_t* b) { return sheet->Range(a, b); }
  double Number(int32_t row, int32_t column) { return At(row, column)->Value().ToDouble(); }
  bool Missing(int32_t row, int32_t column) { return sheet->CellHeap().FindCell(row - 1, column - 1) == nullptr; }
};

TEST(Merge, KeepsTheTopLeftValueAndEmptiesTheRest) {
  Book b;
  b.R(u"B2", u"C3")->SetValue(TVariant(5));
  b.R(u"B2", u"C3")->Merge();
  EXPECT_DOUBLE_EQ(b.Number(2, 2), 5.0);
  for (auto [r, c] : {std::pair{2, 3}, {3, 2}, {3, 3}}) {
    EXPECT_EQ(b.sheet->CellHeap().FindCell(r - 1, c - 1)->Kind, ckBlank);
    EXPECT_TRUE(b.At(r, c)->Value().IsNull());
  }
  EXPECT_TRUE(b.At(2, 2)->MergeCells());
  EXPECT_FALSE(b.R(u"B2", u"D3")->MergeCells());
  auto area = b.At(3, 3)->MergeArea();
  EXPECT_EQ(area->FirstRow(), 1);
  EXPECT_EQ(area->FirstColumn(), 1);
  EXPECT_EQ(area->LastRow(), 2);
  EXPECT_EQ(area->LastColumn(), 2);
  // A value written into a hidden cell is ignored.
  b.At(3, 3)->SetValue(TVariant(9));
  EXPECT_TRUE(b.At(3, 3)->Value().IsNull());
  b.At(3, 3)->UnMerge();
  EXPECT_FALSE(b.At(2, 2)->MergeCells());
  b.At(3, 3)->SetValue(TVariant(9));
  EXPECT_DOUBLE_EQ(b.Number(3, 3), 9.0);
}

TEST(Merge, AcrossMakesOneAreaPerRow) {
  Book b;
  b.R(u"A1", u"C2")->SetValue(TVariant(1));
  b.R(u"A1", u"C2")->Merge(TVariant(1));
  EXPECT_DOUBLE_EQ(b.Number(2, 1), 1.0);  // each row keeps its first value
  EXPECT_TRUE(b.At(2, 3)->Value().IsNull());
  auto area = b.At(2, 2)->MergeArea();
  EXPECT_EQ(area->FirstRow(), 1);
  EXPECT_EQ(area->LastRow(), 1);
  EXPECT_EQ(area->LastColumn(), 2);
}

TEST(Merge, ExpandAndShrinkAroundAreas) {
  Book b;
  b.R(u"B2", u"C3")->Merge();
  b.R(u"E2", u"F2")->Merge();
  auto range = b.R(u"C3", u"E4");
  range->ExpandToMergedAreas();
  EXPECT_EQ(range->FirstRow(), 1);
  EXPECT_EQ(range->FirstColumn(), 1);
  EXPECT_EQ(range->LastColumn(), 5);
  EXPECT_EQ(range->LastRow(), 3);
  auto inner = b.R(u"C2", u"E5");
  inner->ShrinkToWholeMergedAreas();
  EXPECT_EQ(inner->FirstColumn(), 3);  // D
  EXPECT_EQ(inner->LastColumn(), 3);
  auto nothing = b.R(u"C2", u"C3");  // would vanish: left as it was
  nothing->ShrinkToWholeMergedAreas();
  EXPECT_EQ(nothing->FirstColumn(), 2);
  EXPECT_EQ(nothing->LastColumn(), 2);
}

TEST(Merge, DeletingAMemberCellDissolvesItsArea) {
  Book b;
  b.R(u"A1", u"B2")->Merge();
  b.sheet->CellHeap().DeleteCell(0, 0);  // the owner goes
  const TXLSCellRef* member = b.sheet->CellHeap().FindCell(1, 1);
  ASSERT_NE(member, nullptr);
  EXPECT_FALSE(member->Merged);
  EXPECT_EQ(member->MergeOwner(), nullptr);
}

TEST(Merge, ActivateCoversTheAreaAndMergeCellsWrites) {
  Book b;
  b.R(u"B2", u"C3")->SetMergeCells(true);
  b.At(3, 3)->Activate();
  auto active = b.sheet->ActiveCell();
  EXPECT_EQ(active->FirstRow(), 1);
  EXPECT_EQ(active->FirstColumn(), 1);
  EXPECT_EQ(active->LastRow(), 2);
  EXPECT_EQ(active->LastColumn(), 2);
  b.At(2, 2)->SetMergeCells(false);
  EXPECT_FALSE(b.At(3, 3)->MergeCells());
  EXPECT_FALSE(b.sheet->CellHeap().FindCell(2, 2)->Merged);
}

TEST(Copy, SmallerSourceRepeatsAndFormatsFollow) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(u"a"));
  b.At(1, 1)->SetNumberFormat(u"@");
  b.At(1, 1)->Copy(b.R(u"A1", u"A3").Get());
  for (int r = 1; r <= 3; ++r) {
    EXPECT_EQ(b.At(r, 1)->Value().WideValue(), u"a");
    EXPECT_EQ(b.At(r, 1)->NumberFormat(), u"@");
  }
  EXPECT_EQ(b.book->StringTable().RefCount(b.sheet->CellHeap().FindCell(2, 0)->StringIndex), 3);
  EXPECT_EQ(b.book->Formats().RefCount(b.At(1, 1)->FormatIndex()), 3);
}

TEST(Copy, OverlappingCopiesKeepTheirSourceInBothDirections) {
  Book b;
  for (int r = 1; r <= 4; ++r) b.At(r, 1)->SetValue(TVariant(r));
  b.R(u"A1", u"A3")->Copy(b.R(u"A2", u"A4").Get());  // down
  EXPECT_DOUBLE_EQ(b.Number(2, 1), 1.0);
  EXPECT_DOUBLE_EQ(b.Number(3, 1), 2.0);
  EXPECT_DOUBLE_EQ(b.Number(4, 1), 3.0);

  Book up;
  for (int r = 1; r <= 4; ++r) up.At(r, 1)->SetValue(TVariant(r));
  up.R(u"A2", u"A4")->Copy(up.R(u"A1", u"A3").Get());  // up
  EXPECT_DOUBLE_EQ(up.Number(1, 1), 2.0);
  EXPECT_DOUBLE_EQ(up.Number(2, 1), 3.0);
  EXPECT_DOUBLE_EQ(up.Number(3, 1), 4.0);

  Book c;
  for (int col = 1; col <= 4; ++col) c.At(1, col)->SetValue(TVariant(col));
  c.R(u"B1", u"D1")->Copy(c.R(u"A1", u"C1").Get());  // left
  EXPECT_DOUBLE_EQ(c.Number(1, 1), 2.0);
  EXPECT_DOUBLE_EQ(c.Number(1, 2), 3.0);
  EXPECT_DOUBLE_EQ(c.Number(1, 3), 4.0);

  Book d;
  for (int col = 1; col <= 3; ++col) d.At(1, col)->SetValue(TVariant(col));
  d.R(u"A1", u"C1")->Copy(d.R(u"B1", u"D1").Get());  // right
  EXPECT_DOUBLE_EQ(d.Number(1, 2), 1.0);
  EXPECT_DOUBLE_EQ(d.Number(1, 3), 2.0);
  EXPECT_DOUBLE_EQ(d.Number(1, 4), 3.0);
}

TEST(Copy, CutClearsTheSourceOutsideTheDestination) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(u"moved"));
  b.At(2, 1)->SetValue(TVariant(2));
  b.R(u"A1", u"A2")->Cut(b.R(u"A2", u"A3").Get());
  EXPECT_TRUE(b.Missing(1, 1));  // cleared with everything: removed
  EXPECT_EQ(b.At(2, 1)->Value().WideValue(), u"moved");
  EXPECT_DOUBLE_EQ(b.Number(3, 1), 2.0);
  EXPECT_EQ(b.book->StringTable().TotalReferences(), 1u);
}

TEST(Copy, MergedSourceMakesAMergedDestination) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(7));
  b.R(u"A1", u"B2")->Merge();
  b.R(u"A1", u"B2")->Copy(b.R(u"D4", u"E5").Get());
  EXPECT_TRUE(b.R(u"D4", u"E5")->MergeCells());
  EXPECT_DOUBLE_EQ(b.Number(4, 4), 7.0);
}

TEST(Copy, NumberFormatOnlyAndColumnWidths) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(1.5));
  b.At(1, 1)->SetNumberFormat(u"0.00");
  b.At(1, 1)->SetHorizontalAlignment(-4152);
  b.At(1, 1)->SetColumnWidth(TVariant(20));
  b.At(1, 1)->Copy(b.At(1, 3).Get(), kCopyNumberFormat | kCopyColumnWidths);
  EXPECT_EQ(b.At(1, 3)->NumberFormat(), u"0.00");
  EXPECT_EQ(b.At(1, 3)->HorizontalAlignment(), 1);  // alignment not copied
  EXPECT_TRUE(b.At(1, 3)->Value().IsNull());        // nor the value
  EXPECT_DOUBLE_EQ(b.At(1, 3)->ColumnWidth().ToDouble(), 20.0);
}

TEST(Copy, BetweenWorkbooksValuesTravelAndFormatsAreImported) {
  Book from;
  Book to;
  from.At(1, 1)->SetValue(TVariant(u"text"));
  from.At(2, 1)->SetValue(TVariant(2.5));
  from.At(2, 1)->SetNumberFormat(u"0.0%");
  from.At(3, 1)->SetValue(TVariant(u"=1+"));  // stays text: no formula crosses
  to.At(9, 9)->SetValue(TVariant(u"other"));
  from.R(u"A1", u"A3")->Copy(to.R(u"B1", u"B3").Get());
  EXPECT_EQ(to.At(1, 2)->Value().WideValue(), u"text");
  EXPECT_DOUBLE_EQ(to.Number(2, 2), 2.5);
  EXPECT_EQ(to.At(2, 2)->NumberFormat(), u"0.0%");
  EXPECT_EQ(to.At(3, 2)->Value().WideValue(), u"=1+");
  EXPECT_FALSE(to.At(3, 2)->HasFormula());
  // Each workbook's string table holds its own references.
  EXPECT_EQ(from.book->StringTable().TotalReferences(), 2u);
  EXPECT_EQ(to.book->StringTable().TotalReferences(), 3u);
  EXPECT_EQ(test::UseCountMismatch(*to.book), "");
  EXPECT_EQ(test::UseCountMismatch(*from.book), "");
}

TEST(Clear, CutWithSomeFlagsClearsOnlyThoseFromTheSource) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(7));
  b.At(1, 1)->SetNumberFormat(u"0.0");
  b.At(1, 1)->SetHorizontalAlignment(-4152);
  b.At(1, 1)->Cut(b.At(1, 3).Get(), kCopyNumberFormat);  // number format only
  EXPECT_EQ(b.At(1, 1)->NumberFormat(), u"General");
  EXPECT_EQ(b.At(1, 1)->HorizontalAlignment(), -4152);  // the rest stays
  EXPECT_DOUBLE_EQ(b.Number(1, 1), 7.0);
  EXPECT_EQ(b.At(1, 3)->NumberFormat(), u"0.0");
  b.At(1, 1)->Cut(b.At(1, 4).Get(), kCopyValues);
  EXPECT_TRUE(b.At(1, 1)->Value().IsNull());
  EXPECT_FALSE(b.Missing(1, 1));  // only emptied
  EXPECT_DOUBLE_EQ(b.Number(1, 4), 7.0);
  EXPECT_EQ(test::UseCountMismatch(*b.book), "");
}

TEST(Clear, ClearingFormatsHidesTheColumnFormatBehindAMissingCell) {
  Book b;
  b.R(u"A1", u"A65536")->SetNumberFormat(u"0.0");
  b.At(5, 1)->Cut(b.At(5, 2).Get(), kCopyFormats);
  ASSERT_FALSE(b.Missing(5, 1));  // made so that the column format no longer shows
  EXPECT_EQ(b.At(5, 1)->FormatIndex(), 0);
  EXPECT_EQ(b.At(5, 2)->NumberFormat(), u"0.0");
  EXPECT_EQ(b.At(6, 1)->NumberFormat(), u"0.0");
  EXPECT_EQ(test::UseCountMismatch(*b.book), "");
}

TEST(Clear, ContentsKeepFormatsAndClearDropsThem) {
  Book b;
  b.R(u"A1", u"B1")->SetValue(TVariant(u"x"));
  b.R(u"A1", u"B1")->SetNumberFormat(u"0.0");
  b.At(1, 1)->ClearContents();
  EXPECT_TRUE(b.At(1, 1)->Value().IsNull());
  EXPECT_EQ(b.At(1, 1)->NumberFormat(), u"0.0");
  b.At(1, 2)->Clear();
  EXPECT_EQ(b.At(1, 2)->FormatIndex(), 0);
  EXPECT_EQ(b.book->StringTable().TotalReferences(), 0u);
  EXPECT_EQ(test::UseCountMismatch(*b.book), "");
}

TEST(InsertDelete, InsertShiftsCellsDownAndRight) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(1));
  b.At(2, 1)->SetValue(TVariant(2));
  b.At(2, 2)->SetValue(TVariant(22));
  TVariant done;
  b.At(2, 1)->Insert(TVariant(xlShiftDown), done);
  EXPECT_TRUE(done.ToBool());
  EXPECT_DOUBLE_EQ(b.Number(1, 1), 1.0);
  EXPECT_TRUE(b.Missing(2, 1));
  EXPECT_DOUBLE_EQ(b.Number(3, 1), 2.0);
  EXPECT_DOUBLE_EQ(b.Number(2, 2), 22.0);  // other columns stay
  b.At(2, 2)->Insert(TVariant(xlShiftToRight), done);
  EXPECT_DOUBLE_EQ(b.Number(2, 3), 22.0);
  EXPECT_TRUE(b.Missing(2, 2));
}

TEST(InsertDelete, InsertRefusesWhenTheSheetIsFull) {
  Book b;
  b.At(65536, 1)->SetValue(TVariant(1));
  b.At(1, 1)->SetValue(TVariant(u"top"));
  TVariant done;
  b.At(1, 1)->Insert(TVariant(), done);
  EXPECT_FALSE(done.ToBool());
  EXPECT_EQ(b.At(1, 1)->Value().WideValue(), u"top");
  Book c;
  c.At(1, 256)->SetValue(TVariant(1));
  c.R(u"A1", u"A65536")->Insert(TVariant(), done);  // whole column shifts right
  EXPECT_FALSE(done.ToBool());
  EXPECT_DOUBLE_EQ(c.Number(1, 256), 1.0);
}

TEST(InsertDelete, WholeRowsMoveTheirRecordsAndNewRowsCopyTheRowAbove) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(1));
  b.At(2, 1)->SetValue(TVariant(2));
  b.At(2, 1)->SetRowHeight(TVariant(30));
  b.R(u"A1", u"IV1")->SetNumberFormat(u"0.0");  // row 1 formatted
  TVariant done;
  b.R(u"A2", u"IV3")->Insert(TVariant(), done);
  ASSERT_TRUE(done.ToBool());
  EXPECT_DOUBLE_EQ(b.Number(4, 1), 2.0);
  EXPECT_DOUBLE_EQ(b.At(4, 1)->RowHeight().ToDouble(), 30.0);
  EXPECT_EQ(b.At(2, 5)->NumberFormat(), u"0.0");  // copied from row 1
  EXPECT_EQ(test::UseCountMismatch(*b.book), "");
  b.R(u"A2", u"IV3")->Delete(TVariant(), done);
  EXPECT_DOUBLE_EQ(b.Number(2, 1), 2.0);
  EXPECT_DOUBLE_EQ(b.At(2, 1)->RowHeight().ToDouble(), 30.0);
  EXPECT_TRUE(b.Missing(4, 1));
  EXPECT_EQ(test::UseCountMismatch(*b.book), "");
}

TEST(InsertDelete, DeleteShiftsUpAndLeftAndMovesMergedAreas) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(u"gone"));
  b.At(3, 1)->SetValue(TVariant(3));
  b.At(3, 2)->SetValue(TVariant(32));
  b.R(u"A3", u"B3")->Merge();
  TVariant done;
  b.R(u"A1", u"B2")->Delete(TVariant(xlShiftUp), done);
  EXPECT_DOUBLE_EQ(b.Number(1, 1), 3.0);
  EXPECT_TRUE(b.R(u"A1", u"B1")->MergeCells());
  EXPECT_TRUE(b.Missing(3, 1));
  EXPECT_EQ(b.book->StringTable().TotalReferences(), 0u);
  b.At(1, 5)->SetValue(TVariant(5));
  b.R(u"C1", u"D1")->Delete(TVariant(xlShiftToLeft), done);
  EXPECT_DOUBLE_EQ(b.Number(1, 3), 5.0);
  EXPECT_EQ(test::UseCountMismatch(*b.book), "");
}

TEST(InsertDelete, NewWholeColumnsTakeTheLeftColumnsRecordWithoutACellPerRow) {
  Book b;
  b.At(3, 1)->SetValue(TVariant(1));
  b.At(3, 2)->SetValue(TVariant(2));
  b.R(u"A1", u"A65536")->SetNumberFormat(u"0.0");
  TVariant done;
  b.R(u"B1", u"B65536")->Insert(TVariant(), done);
  ASSERT_TRUE(done.ToBool());
  EXPECT_DOUBLE_EQ(b.Number(3, 3), 2.0);
  EXPECT_EQ(b.At(100, 2)->NumberFormat(), u"0.0");
  EXPECT_EQ(b.At(3, 2)->NumberFormat(), u"0.0");
  EXPECT_EQ(b.sheet->CellHeap().CellCount(), 2);  // A3 and the moved C3 only
  EXPECT_EQ(test::UseCountMismatch(*b.book), "");
}

TEST(UseCounts, FollowOverwriteClearCopyAndDelete) {
  Book b;
  b.R(u"A1", u"C3")->SetNumberFormat(u"0.0");
  const int32_t f1 = b.At(1, 1)->FormatIndex();
  EXPECT_EQ(b.book->Formats().RefCount(f1), 9);
  b.At(1, 1)->SetNumberFormat(u"0.00");  // overwrite one
  EXPECT_EQ(b.book->Formats().RefCount(f1), 8);
  b.At(1, 2)->Clear();
  EXPECT_EQ(b.book->Formats().RefCount(f1), 7);
  b.R(u"A2", u"C2")->Copy(b.R(u"E1", u"G1").Get());
  EXPECT_EQ(b.book->Formats().RefCount(f1), 10);
  TVariant done;
  b.R(u"A3", u"C3")->Delete(TVariant(xlShiftUp), done);
  EXPECT_EQ(b.book->Formats().RefCount(f1), 7);
  EXPECT_EQ(test::UseCountMismatch(*b.book), "");
}

// The objects a sheet keeps besides cells hear of every clear, insert and
// delete with the rectangle and the move.
TEST(SheetObjects, HearOfClearsAndMoves) {
  struct Recorder : TXLSSheetObjects {
    std::vector<std::string>* log;
    void ClearArea(int32_t r1, int32_t c1, int32_t c2, int32_t r2) override {
      log->push_back("clear " + std::to_string(r1) + "," + std::to_string(c1) + ".." + std::to_string(r2) + "," +
                     std::to_string(c2));
    }
    void ShiftArea(int32_t r1, int32_t c1, int32_t c2, int32_t r2, int32_t dr, int32_t dc) override {
      log->push_back("shift " + std::to_string(r1) + "," + std::to_string(c1) + ".." + std::to_string(r2) + "," +
                     std::to_string(c2) + " by " + std::to_string(dr) + "," + std::to_string(dc));
    }
  };
  struct Case {
    const char16_t* first;
    const char16_t* last;
    char op;  // C clear, I insert, D delete
    int32_t shift;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {u"B2", u"C3", 'C', 0, {"clear 1,1..2,2"}},
      {u"B2", u"C3", 'I', xlShiftDown, {"shift 1,1..-1,2 by 2,0"}},
      {u"B2", u"D3", 'I', xlShiftToRight, {"shift 1,1..2,-1 by 0,3"}},
      {u"B2", u"C3", 'D', xlShiftUp, {"clear 1,1..2,2", "shift 3,1..-1,2 by -2,0"}},
      {u"B2", u"D3", 'D', xlShiftToLeft, {"clear 1,1..2,3", "shift 1,4..2,-1 by 0,-3"}},
  };
  for (const Case& c : cases) {
    Book b;
    std::vector<std::string> log;
    auto recorder = std::make_unique<Recorder>();
    recorder->log = &log;
    b.sheet->SetSheetObjects(std::move(recorder));
    TVariant done;
    auto range = b.R(c.first, c.last);
    if (c.op == 'C') range->Clear();
    if (c.op == 'I') range->Insert(TVariant(c.shift), done);
    if (c.op == 'D') range->Delete(TVariant(c.shift), done);
    EXPECT_EQ(log, c.expected) << c.op << " " << c.shift;
  }
}

}  // namespace
}  // namespace lx
