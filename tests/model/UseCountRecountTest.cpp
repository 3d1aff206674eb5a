// A long randomized sequence of range operations over two sheets and a
// second workbook; after every step each format's use count must equal the
// number of cells, rows and columns holding it, and the string table's
// reference total the number of text cells.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "lxHandle.h"
#include "lxRange.h"
#include "lxStringTable.h"
#include "model/UseCounts.h"

namespace lx {
namespace {

uint32_t TextCells(TXLSWorkbook& book) {
  uint32_t count = 0;
  for (int32_t i = 1; i <= book.Worksheets()->Count(); ++i)
    book.Worksheets()->Item(i)->CellHeap().ForEachCell([&](TXLSCellRef& cell) { count += cell.Kind == ckString; });
  return count;
}

TEST(UseCountRecount, RandomRangeOperationsKeepCountsExact) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  XLSPtr<TXLSWorkbook> other = CreateXLSWorkbook();
  IXLSWorksheet* sheets[2] = {book->Worksheets()->Add(), book->Worksheets()->Add()};
  IXLSWorksheet* foreign = other->Worksheets()->Add();
  std::mt19937 random(20261209);
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  // Small rectangles inside a 12 x 8 corner, so that operations collide.
  auto rect = [&](IXLSWorksheet* sheet) {
    const int r = pick(1, 12), c = pick(1, 8);
    return sheet->RangeOf(r, c, c + pick(0, 2), r + pick(0, 2));
  };
  const char16_t* formats[] = {u"0.0", u"0.00%", u"@", u"dd/mm/yyyy", u"General"};
  const char16_t* texts[] = {u"alpha", u"beta", u"gamma"};

  for (int step = 0; step < 1500; ++step) {
    IXLSWorksheet* sheet = sheets[pick(0, 1)];
    auto range = rect(sheet);
    const int op = pick(0, 15);
    TVariant done;
    switch (op) {
      case 0:
        range->SetValue(TVariant(pick(0, 99)));
        break;
      case 1:
        range->SetValue(TVariant(texts[pick(0, 2)]));
        break;
      case 2:
        range->SetNumberFormat(formats[pick(0, 4)]);
        break;
      case 3:
        range->SetHorizontalAlignment(pick(0, 1) ? -4108 : -4152);
        break;
      case 4:
        range->Merge(TVariant(pick(0, 1)));
        break;
      case 5:
        range->UnMerge();
        break;
      case 6:
        range->Copy(rect(sheets[pick(0, 1)]).Get(), pick(0, 1) ? kCopyAll : pick(1, 15));
        break;
      case 7:
        range->Cut(rect(sheet).Get());
        break;
      case 8:
        range->Insert(TVariant(pick(0, 1) ? xlShiftDown : xlShiftToRight), done);
        break;
      case 9:
        range->Delete(TVariant(pick(0, 1) ? xlShiftUp : xlShiftToLeft), done);
        break;
      case 10:
        pick(0, 1) ? range->Clear() : range->ClearContents();
        break;
      case 11: {  // whole rows or whole columns
        const int n = pick(1, 12);
        auto whole = pick(0, 1) ? sheet->RangeOf(n, 1, 256, n + pick(0, 1)) : sheet->RangeOf(1, n, n, 65536);
        if (pick(0, 1))
          whole->SetNumberFormat(formats[pick(0, 4)]);
        else if (pick(0, 1))
          whole->Insert(TVariant(), done);
        else
          whole->Delete(TVariant(), done);
        break;
      }
      case 12:
        range->SetWrapText(TVariant(pick(0, 1) == 1));
        break;
      case 13:
        range->Copy(rect(foreign).Get(), kCopyAll);
        break;
      case 14:
        rect(foreign)->Copy(range.Get(), pick(1, 31));
        break;
      default:
        range->SetValue(TVariant(u"line\nbreak"));
        break;
    }
    ASSERT_EQ(test::UseCountMismatch(*book), "") << "step " << step << " operation " << op;
    ASSERT_EQ(test::UseCountMismatch(*other), "") << "step " << step << " operation " << op;
    ASSERT_EQ(book->StringTable().TotalReferences(), TextCells(*book)) << "step " << step << " operation " << op;
    ASSERT_EQ(other->StringTable().TotalReferences(), TextCells(*other)) << "step " << step;
  }
}

}  // namespace
}  // namespace lx
