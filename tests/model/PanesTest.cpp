#include <gtest/gtest.h>

#include "lxPanes.h"
#include "support/Hex.h"

namespace lx {
namespace {

std::string RecordHex(const TXLSBlob& blob) {
  EXPECT_EQ(blob.Length(), blob.Capacity()) << "record not built at its exact size";
  return test::ToHex(blob.Data(), blob.Length());
}
std::string Norm(std::string_view hex) { return test::ToHex(test::Hex(hex)); }

struct SheetPanes {
  std::unique_ptr<TXLSPanes> panes;
  bool frozen = false;
  uint8_t activePane = kPaneUpperLeft;
  std::string Pane() { return RecordHex(*BuildPaneRecord(*panes, frozen, activePane)); }
};

TEST(Panes, FrozenTopRow) {
  SheetPanes s;
  EXPECT_EQ(ApplyFreezePanes(s.panes, s.frozen, 1, 0, 0, 1), 1);
  ASSERT_NE(s.panes, nullptr);
  EXPECT_TRUE(s.frozen);
  EXPECT_EQ(s.Pane(), Norm("41 00 0A 00 00 00 01 00 01 00 00 00 02 00"));
  EXPECT_EQ(s.activePane, kPaneLowerLeft);
}

TEST(Panes, FrozenRowsAndColumnsWithScrolledPanes) {
  SheetPanes s;
  ApplyFreezePanes(s.panes, s.frozen, 2, 3, 4, 5);
  EXPECT_EQ(s.Pane(), Norm("41 00 0A 00 03 00 02 00 05 00 04 00 00 00"));
  EXPECT_EQ(s.activePane, kPaneLowerRight);
}

TEST(Panes, FrozenPanesWithoutFirstCellsStartAtTheSplit) {
  SheetPanes s;
  // Through SplitPanes the first row and column can be "not given" (-1).
  ApplySplitPanes(s.panes, s.frozen, -1, -1, 0, 0);
  s.panes->Store(-1, -1, 3, 0);
  s.frozen = true;
  EXPECT_EQ(s.Pane(), Norm("41 00 0A 00 03 00 00 00 00 00 03 00 01 00"));
  EXPECT_EQ(s.activePane, kPaneUpperRight);
}

TEST(Panes, FrozenCountsRoundTiesToEven) {
  SheetPanes s;
  ApplySplitPanes(s.panes, s.frozen, 0, 0, 2.5, 3.5);
  s.frozen = true;
  // x = round(2.5) = 2, y = round(3.5) = 4.
  EXPECT_EQ(s.Pane(), Norm("41 00 0A 00 02 00 04 00 00 00 00 00 00 00"));
}

TEST(Panes, SplitConvertsToTwips) {
  SheetPanes s;
  ApplySplitPanes(s.panes, s.frozen, 10, 2, 1.5, 15);
  EXPECT_FALSE(s.frozen);
  // x = round(1.5 * 113.879 + 390) = round(560.8185) = 561 (0x231);
  // y = round(15 * 20 + 255) = 555 (0x22B).
  EXPECT_EQ(s.Pane(), Norm("41 00 0A 00 31 02 2B 02 0A 00 02 00 00 00"));
  EXPECT_EQ(s.activePane, kPaneLowerRight);
}

TEST(Panes, SplitHeightRoundsTiesToEven) {
  SheetPanes s;
  // 0.375 * 20 + 255 = 262.5 -> 262 (0x106).
  ApplySplitPanes(s.panes, s.frozen, -1, -1, 0, 0.375);
  EXPECT_EQ(s.Pane(), Norm("41 00 0A 00 00 00 06 01 00 00 00 00 02 00"));
}

TEST(Panes, SplitInOneDirectionOnly) {
  SheetPanes s;
  // A vertical split alone: no horizontal split appears at the heading.
  ApplySplitPanes(s.panes, s.frozen, -1, -1, 2, 0);
  // x = round(2 * 113.879 + 390) = round(617.758) = 618 (0x26A).
  EXPECT_EQ(s.Pane(), Norm("41 00 0A 00 6A 02 00 00 00 00 00 00 01 00"));
  EXPECT_EQ(s.activePane, kPaneUpperRight);

  SheetPanes none;
  ApplySplitPanes(none.panes, none.frozen, -1, -1, 0, 0);
  EXPECT_EQ(none.Pane(), Norm("41 00 0A 00 00 00 00 00 00 00 00 00 03 00"));
  EXPECT_EQ(none.activePane, kPaneUpperLeft);
}

TEST(Panes, OutOfRangeValuesAreIgnored) {
  SheetPanes s;
  ApplySplitPanes(s.panes, s.frozen, 4, 6, 2, 3);
  ApplySplitPanes(s.panes, s.frozen, -2, 256, -1, -0.5);
  EXPECT_EQ(s.panes->FirstRow(), 4);
  EXPECT_EQ(s.panes->FirstColumn(), 6);
  EXPECT_FLOAT_EQ(s.panes->Width(), 2);
  EXPECT_FLOAT_EQ(s.panes->Height(), 3);
  ApplySplitPanes(s.panes, s.frozen, 65536, -1, 0, 0);
  EXPECT_EQ(s.panes->FirstRow(), 4);
  EXPECT_EQ(s.panes->FirstColumn(), -1);
  // FreezePanes takes 16-bit values: a first column above 255 is ignored,
  // the last row 65535 is kept.
  ApplyFreezePanes(s.panes, s.frozen, 1, 1, 300, 65535);
  EXPECT_TRUE(s.frozen);
  EXPECT_EQ(s.panes->FirstColumn(), -1);
  EXPECT_EQ(s.panes->FirstRow(), 65535);
  // Switching back to a split clears the frozen flag.
  ApplySplitPanes(s.panes, s.frozen, 0, 0, 1, 1);
  EXPECT_FALSE(s.frozen);
}

}  // namespace
}  // namespace lx
