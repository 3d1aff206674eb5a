// Column and row auto-fit: widths and heights from the displayed contents.
//
// TXLSAutoFit serves one call of a range's AutoFit. Column fitting gives
// each column of the range the width its widest cell needs; row fitting
// gives each row the height of its tallest cell. A cell is measured with its
// font (name, size in whole points, bold), its displayed text (the value
// under its number format, through the value formatter of lxMasks.h), its
// wrap and rotation settings and the row height or column width it already
// has; text rotated a quarter turn counts with its line height in a column
// and with its length in a row. Sizes are found in screen pixels on a
// TTextMeasurer (lxTextMeasure.h) and stored in the model's units:
// characters of the standard digit width for columns, points for rows.
//
// Only the part of the range inside the sheet's used range is visited.
// Merged cells, empty texts and hidden rows or zero-width columns give no
// size; a column or row where no cell gives one keeps its size, and so do
// all of them when the measurer has no font to measure with.
//
// The cell store and the format list are read directly rather than through
// a range per cell; what a format says (font, wrap, rotation, number format)
// is looked up once per format index, and the display text of each cell is
// built in one reused buffer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lxMasks.h"
#include "lxTextMeasure.h"

namespace lx {

class IXLSRange;
class IXLSWorksheet;
struct TXLSCellRef;

// The two values every conversion rests on: the surface's resolution and
// the standard character width, the width in pixels of one digit of the
// default font (half the width of "09" in Arial 10, rounded). A width of 0
// means no font could be measured.
struct TXLSScreenUnits {
  int32_t Dpi = 96;
  int32_t CharWidth = 0;
};

// The units of a measurer, measured now.
TXLSScreenUnits MeasureScreenUnits(TTextMeasurer& measurer);
// The units of the process's measurer (ScreenMeasurer()), measured on first
// use and kept.
const TXLSScreenUnits& ScreenUnits();

class TXLSAutoFit {
 public:
  TXLSAutoFit(IXLSRange& range, TTextMeasurer& measurer, const TXLSScreenUnits& units);

  void AutoFitColumns();
  void AutoFitRows();

  // The pixels a cell (0-based position on the range's sheet) needs across
  // and down; best is the widest width found so far in its column (-1 for
  // none), which bounds the search for a wrapped cell's narrowest width. -1
  // when the cell gives no size.
  int32_t CellWidth(int32_t row, int32_t column, int32_t best);
  int32_t CellHeight(int32_t row, int32_t column);
  // A text's width on one line, or, wrapped into a row of rowHeight pixels
  // that holds two lines or more, the narrowest width at which it still
  // fits that height; -1 when nothing can be measured.
  int32_t TextWidth(std::u16string_view text, std::u16string_view fontName, double fontSize, bool bold, bool wrap,
                    int32_t best, int32_t rowHeight);
  // The height a text needs in a column of columnWidth pixels, in the
  // spacing of the sheet's rows; -1 when nothing can be measured.
  int32_t TextHeight(std::u16string_view text, std::u16string_view fontName, double fontSize, bool bold, bool wrap,
                     int32_t columnWidth);

  int32_t ScreenDpi() const { return units_.Dpi; }
  int32_t StandardCharWidth() const { return units_.CharWidth; }
  int32_t PointsToPixels(double points) const;
  double PixelsToPoints(int32_t pixels) const;
  int32_t CharsToPixels(double characters) const;
  double PixelsToChars(int32_t pixels) const;

 private:
  // What a cell format says about measuring, read once per format index.
  struct TStyle {
    bool known = false;
    std::u16string fontName;
    double fontSize = 0;
    bool bold = false;
    bool wrap = false;
    bool rotated = false;
    bool isDate = false;
    std::u16string numberFormat;
    // The width of "0" in the font; -2 until measured.
    int32_t zeroWidth = -2;
  };

  // The style of a position (its cell's format, or the row's or column's
  // where there is no cell). A reference into styles_, valid until the next
  // call.
  TStyle& StyleAt(int32_t row, int32_t column, const TXLSCellRef* cell);
  int32_t CellWidthOf(int32_t row, const TXLSCellRef* cell, TStyle& style, int32_t best);
  int32_t CellHeightOf(int32_t column, const TXLSCellRef* cell, const TStyle& style);
  // The cell's displayed text; empty for no cell. Points into buffers of
  // this object, valid until the next call.
  std::u16string_view DisplayText(const TXLSCellRef* cell, const TStyle& style);
  bool IsMerged(const TXLSCellRef* cell) const;
  bool SetFont(std::u16string_view name, double size, bool bold);
  int32_t NarrowestWidth(std::u16string_view text, int32_t rowHeight, int32_t width, int32_t lineHeight, int32_t best);
  // The part of the range inside the used range; false when empty.
  bool Clip(int32_t& top, int32_t& left, int32_t& bottom, int32_t& right) const;

  IXLSWorksheet* sheet_ = nullptr;  // not owned; null for a foreign range
  int32_t top_ = 0;
  int32_t left_ = 0;
  int32_t bottom_ = -1;
  int32_t right_ = -1;
  TTextMeasurer& measurer_;
  TXLSScreenUnits units_;
  TXLSFormater formater_;
  std::vector<TStyle> styles_;
  std::u16string text_;
  TVariant value_;
};

// The engine's AutoFit link: fits the columns (columns true) or rows of a
// range on the process's measurer.
void AutoFitRange(IXLSRange& range, bool columns);

}  // namespace lx
