#include <gtest/gtest.h>

#include "lxFormat.h"
#include "lxSysColors.h"
#include "support/Hex.h"

namespace lx {
namespace {

using test::Hex;
using test::ToHex;

TEST(Palette, DefaultRecordHoldsTheStandardFiftySixColours) {
  TXLSPalette palette;
  const auto record = palette.BuildPaletteRecord();
  ASSERT_NE(record, nullptr);
  const std::string expected =
      ToHex(Hex("92 00 E2 00 38 00"
                "00 00 00 00 FF FF FF 00 FF 00 00 00 00 FF 00 00 00 00 FF 00 FF FF 00 00 FF 00 FF 00 00 FF FF 00"
                "80 00 00 00 00 80 00 00 00 00 80 00 80 80 00 00 80 00 80 00 00 80 80 00 C0 C0 C0 00 80 80 80 00"
                "99 99 FF 00 99 33 66 00 FF FF CC 00 CC FF FF 00 66 00 66 00 FF 80 80 00 00 66 CC 00 CC CC FF 00"
                "00 00 80 00 FF 00 FF 00 FF FF 00 00 00 FF FF 00 80 00 80 00 80 00 00 00 00 80 80 00 00 00 FF 00"
                "00 CC FF 00 CC FF FF 00 CC FF CC 00 FF FF 99 00 99 CC FF 00 FF 99 CC 00 CC 99 FF 00 FF CC 99 00"
                "33 66 FF 00 33 CC CC 00 99 CC 00 00 FF CC 00 00 FF 99 00 00 FF 66 00 00 66 66 99 00 96 96 96 00"
                "00 33 66 00 33 99 66 00 00 33 00 00 33 33 00 00 99 33 00 00 99 33 66 00 33 33 99 00 33 33 33 00"));
  EXPECT_EQ(ToHex(record->Data(), record->Length()), expected);
}

TEST(Palette, ColourIndexesNameTheUserEntries) {
  TXLSPalette palette;
  EXPECT_EQ(palette.GetPaletteColor(0), 0x000000u);
  EXPECT_EQ(palette.GetPaletteColor(2), 0xFFFFFFu);
  EXPECT_EQ(palette.GetPaletteColor(3), 0x0000FFu);  // red, red in the low byte
  EXPECT_EQ(palette.GetPaletteColor(56), 0x333333u);
  EXPECT_EQ(palette.GetPaletteColor(57), 0u);
  EXPECT_EQ(palette.GetPaletteColor(-5), 0u);
  EXPECT_EQ(palette.GetPaletteColor(-4105), GetSysColor(TSysColor::scWindowText));
  EXPECT_EQ(palette.GetPaletteColor(0xEFF0), GetSysColor(TSysColor::scWindowText));
  EXPECT_EQ(palette.GetPaletteColor(80), GetSysColor(TSysColor::scInfoBk));
  // A default desktop: black window text, light yellow tooltips.
  EXPECT_EQ(palette.GetPaletteColor(-4105), 0x000000u);
  EXPECT_EQ(palette.GetPaletteColor(80), 0xE1FFFFu);

  palette.SetPaletteColor(1, 0x00332211);
  palette.SetPaletteColor(0, 0x00FFFFFF);   // ignored
  palette.SetPaletteColor(57, 0x00FFFFFF);  // ignored
  EXPECT_EQ(palette.GetPaletteColor(1), 0x332211u);
  EXPECT_EQ(palette.Entry(0), 0u);
  const auto record = palette.BuildPaletteRecord();
  EXPECT_EQ(ToHex(record->Data() + 6, 4), "11 22 33 00");
  palette.Reset();
  EXPECT_EQ(palette.GetPaletteColor(1), 0u);
}

TEST(Palette, NearestColourIsTheFirstClosestUserEntry) {
  TXLSPalette palette;
  EXPECT_EQ(palette.NearestColorIndex(0x0000FF), 3);  // pure red: entry 10
  EXPECT_EQ(palette.NearestColorIndex(0x000001), 1);  // next to black: entry 8
  EXPECT_EQ(palette.NearestColorIndex(0xFFFFFF), 2);
  // Navy appears as entries 18 and 32: the first wins.
  EXPECT_EQ(palette.NearestColorIndex(0x800000), 11);
  // Between black (8) and navy (18) at equal distance: the earlier entry.
  EXPECT_EQ(palette.NearestColorIndex(0x400000), 1);
  // One step closer to navy than to black.
  EXPECT_EQ(palette.NearestColorIndex(0x410000), 11);
  palette.SetPaletteColor(40, 0x00123456);
  EXPECT_EQ(palette.NearestColorIndex(0x00123457), 40);
}

}  // namespace
}  // namespace lx
