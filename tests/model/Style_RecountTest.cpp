// Use counts stay true under font, border and fill writes: after a long run of
// random formatting on blocks, whole rows and whole columns, every format's
// use count equals the number of cells, row records and column records that
// hold it.
#include <gtest/gtest.h>

#include <random>

#include "lxHandle.h"
#include "lxRange.h"
#include "lxStyle.h"
#include "model/UseCounts.h"

namespace lx {
namespace {

TEST(StyleRecount, UseCountsMatchTheHoldersAfterRandomStyleWrites) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  TlxFormatList& formats = book->Formats();
  std::mt19937 random(20261209);
  auto pick = [&](int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random); };

  constexpr int32_t kLineStyles[] = {xlContinuous, xlDash, xlDot, xlDouble, xlDashDot, xlNone};
  constexpr int32_t kWeights[] = {xlHairline, xlThin, xlMedium, xlThick};
  constexpr int32_t kPatterns[] = {xlSolid, xlGray50, xlNone, 12};

  for (int step = 0; step < 400; ++step) {
    // Mostly blocks in a small area, so that formats meet and merge; now and
    // then whole rows or whole columns.
    int32_t r1 = pick(0, 12), r2 = pick(0, 12), c1 = pick(0, 8), c2 = pick(0, 8);
    const int32_t shape = pick(0, 15);
    if (shape == 0) {
      r1 = 0;
      r2 = kXLSMaxRow;
    } else if (shape == 1) {
      c1 = 0;
      c2 = kXLSMaxColumn;
    }
    XLSPtr<IXLSRange> range = TXLSRange::Create(sheet, r1, c1, r2, c2);
    switch (pick(0, 11)) {
      case 0:
        range->Font()->SetBold(pick(0, 1) == 1);
        break;
      case 1:
        range->Font()->SetColorIndex(pick(1, 6));
        break;
      case 2:
        range->Font()->SetSize(static_cast<float>(pick(8, 12)));
        break;
      case 3:
        range->Borders()->SetLineStyle(kLineStyles[pick(0, 5)]);
        break;
      case 4:
        range->Borders()->SetWeight(kWeights[pick(0, 3)]);
        break;
      case 5:
        range->Borders()->Item(pick(5, 14))->SetLineStyle(kLineStyles[pick(0, 5)]);
        break;
      case 6:
        range->Borders()->Item(pick(7, 14))->SetColorIndex(pick(0, 4));
        break;
      case 7:
        range->Borders()->Item(pick(7, 12))->SetWeight(kWeights[pick(0, 3)]);
        break;
      case 8:
        range->Interior()->SetColorIndex(pick(0, 5));
        break;
      case 9:
        range->Interior()->SetPattern(kPatterns[pick(0, 3)]);
        break;
      case 10:
        range->Interior()->SetPatternColorIndex(pick(1, 3));
        break;
      default:
        range->SetNumberFormat(pick(0, 1) ? u"0.00" : u"General");
        break;
    }
    if (step % 25 == 24) {
      ASSERT_EQ(test::UseCountMismatch(*book), "") << "after step " << step;
    }
  }

  EXPECT_EQ(test::UseCountMismatch(*book), "");
  // The run really produced a variety of formats in use.
  EXPECT_GT(formats.InUseCount(), 20);
  EXPECT_GT(sheet->CellHeap().CellCount(), 50);
}

}  // namespace
}  // namespace lx
