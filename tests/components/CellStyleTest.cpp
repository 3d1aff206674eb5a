// The cell styler: replaying remembered outcomes must leave the workbook
// exactly as formatting every cell through ApplyCellStyle does.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <vector>

#include "lxCellStyle.h"
#include "lxConstants.h"
#include "lxStreams.h"

namespace lx {
namespace {

TXLSCellStyle Style(TBorderStyle border, int32_t borderColor = 0, int32_t fill = 0, const char16_t* format = nullptr) {
  TXLSCellStyle style;
  style.hasFont = true;
  style.font.name = u"Tahoma";
  style.font.size = 9;
  style.font.charset = 1;
  style.font.colorIndex = 3;
  style.font.bold = true;
  style.fillColorIndex = fill;
  style.hasBorders = border != BorderStyleNone || borderColor != 0;
  style.borderStyle = border;
  style.borderColorIndex = borderColor;
  style.horizontalAlignment = xlHAlignRight;
  if (format) {
    style.hasNumberFormat = true;
    style.numberFormat = format;
  }
  return style;
}

// What a sheet holds before the styled cells are written, and the cells
// (row, column, style number) in the order they are styled.
struct TScenario {
  const char* name;
  std::function<void(IXLSWorksheet&)> prepare;
  std::vector<TXLSCellStyle> styles;
  std::vector<std::array<int32_t, 3>> cells;
};

// Rows of `columns` cells, each written before it is styled as an exporter does.
std::vector<std::array<int32_t, 3>> Block(int32_t top, int32_t rows, int32_t left, int32_t columns, int32_t styles) {
  std::vector<std::array<int32_t, 3>> cells;
  for (int32_t r = top; r < top + rows; ++r)
    for (int32_t c = left; c < left + columns; ++c) cells.push_back({r, c, (r * 7 + c) % styles});
  return cells;
}

std::vector<uint8_t> Styled(const TScenario& scenario, bool remember) {
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  if (scenario.prepare) scenario.prepare(*sheet);
  TXLSCellStyler styler;
  styler.SetRemember(remember);
  std::vector<int32_t> ids;
  for (const TXLSCellStyle& style : scenario.styles) ids.push_back(styler.StyleId(style));
  for (const auto& [row, column, style] : scenario.cells) {
    sheet->Cells()->Item(row + 1, column + 1)->SetValue(TVariant(row * 100.0 + column));
    styler.Apply(*sheet, row, column, ids[static_cast<size_t>(style)]);
  }
  TMemoryStream out;
  EXPECT_EQ(book->SaveAs(out, kSaveBiff8), kResultOk);
  return out.Bytes();
}

TEST(CellStyler, RememberedOutcomesLeaveTheSameWorkbook) {
  const std::vector<TScenario> scenarios = {
      {"rows of thin lines",
       nullptr,
       {Style(BorderStyleSingleThin, 0, 9, u"#,##0.00"), Style(BorderStyleSingleThin, 0, 9, u"M/d/yyyy")},
       Block(1, 40, 2, 3, 2)},
      {"every border style and colour",
       nullptr,
       {Style(BorderStyleSingleHair, 10), Style(BorderStyleSingleThick), Style(BorderStyleDouble, 4),
        Style(BorderStyleNone, 12), Style(BorderStyleNone)},
       Block(0, 30, 0, 5, 5)},
      {"neighbours that exist already",
       [](IXLSWorksheet& sheet) {
         // Lines on the cells below and to the right, which the new edges take off.
         XLSPtr<IXLSRange> around = sheet.RangeOf(1, 1, 8, 30);
         around->SetValue(TVariant(1.0));
         BordersOf(around.Get())->SetLineStyle(xlDash);
         InteriorOf(sheet.RangeOf(10, 1, 8, 12).Get())->SetColorIndex(6);
       },
       {Style(BorderStyleSingleThin), Style(BorderStyleDouble, 5)},
       Block(2, 20, 1, 4, 2)},
      {"written over twice and from the bottom up",
       nullptr,
       {Style(BorderStyleSingleThin, 0, 0, u"0.0"), Style(BorderStyleSingleThick, 3)},
       [] {
         auto cells = Block(0, 12, 0, 3, 2);
         auto again = Block(0, 12, 0, 3, 1);
         cells.insert(cells.end(), again.rbegin(), again.rend());
         return cells;
       }()},
      {"merged areas, formatted rows and columns",
       [](IXLSWorksheet& sheet) {
         sheet.RangeOf(3, 1, 3, 4)->Merge();
         sheet.RangeOf(8, 2, 2, 9)->Merge();
         XLSPtr<IXLSRange> row = sheet.RangeOf(6, 1, 256, 6);
         BordersOf(row->EntireRow().Get())->Item(xlEdgeBottom)->SetLineStyle(xlContinuous);
         InteriorOf(sheet.RangeOf(1, 4, 4, 1)->EntireColumn().Get())->SetColorIndex(8);
       },
       {Style(BorderStyleSingleThin, 0, 7), Style(BorderStyleSingleHair)},
       Block(0, 14, 0, 5, 2)},
  };
  for (const TScenario& scenario : scenarios) {
    EXPECT_EQ(Styled(scenario, true), Styled(scenario, false)) << scenario.name;
  }
}

TEST(CellStyler, EqualStylesShareANumber) {
  TXLSCellStyler styler;
  const int32_t thin = styler.StyleId(Style(BorderStyleSingleThin));
  EXPECT_EQ(styler.StyleId(Style(BorderStyleSingleThin)), thin);
  EXPECT_NE(styler.StyleId(Style(BorderStyleSingleThin, 3)), thin);
  EXPECT_EQ(styler.Style(thin), Style(BorderStyleSingleThin));
}

}  // namespace
}  // namespace lx
