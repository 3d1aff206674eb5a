#include "lxAutoFit.h"

#include <algorithm>
#include <cmath>

#include "lxHandle.h"
#include "lxRange.h"
#include "lxStringTable.h"

namespace lx {

namespace {

// Ties to even under the default floating-point rounding mode.
double RoundEven(double value) { return std::nearbyint(value); }

// Rotation codes of a quarter turn up and down (orientation 90 and -90).
constexpr int32_t kRotationUp = 90;
constexpr int32_t kRotationDown = 180;
constexpr double kMaxColumnCharacters = 255.0;
// The tallest row a sheet keeps; the ROW record has 15 bits of twips, and a
// long wrapped text in a narrow column could ask for more.
constexpr double kMaxRowPoints = 409.5;
constexpr std::u16string_view kSampleText = u"Wg";

}  // namespace

TXLSScreenUnits MeasureScreenUnits(TTextMeasurer& measurer) {
  TXLSScreenUnits units;
  units.Dpi = measurer.Dpi();
  if (measurer.SetFont(u"Arial", 10, false))
    units.CharWidth = static_cast<int32_t>(RoundEven(measurer.Measure(u"09", false, 1).Width / 2.0));
  return units;
}

const TXLSScreenUnits& ScreenUnits() {
  static const TXLSScreenUnits units = MeasureScreenUnits(ScreenMeasurer());
  return units;
}

TXLSAutoFit::TXLSAutoFit(IXLSRange& range, TTextMeasurer& measurer, const TXLSScreenUnits& units)
    : measurer_(measurer), units_(units) {
  const TXLSRange* cells = TXLSRange::From(&range);
  if (!cells) return;
  sheet_ = range.Worksheet();
  top_ = range.FirstRow();
  left_ = range.FirstColumn();
  bottom_ = range.LastRow();
  right_ = range.LastColumn();
}

// ---------------------------------------------------------------- units

int32_t TXLSAutoFit::PointsToPixels(double points) const {
  return static_cast<int32_t>(std::trunc(units_.Dpi * points / 72.0));
}

double TXLSAutoFit::PixelsToPoints(int32_t pixels) const { return pixels * 72.0 / units_.Dpi; }

int32_t TXLSAutoFit::CharsToPixels(double characters) const {
  const int32_t w = units_.CharWidth;
  if (characters >= 1) return static_cast<int32_t>(std::trunc(characters * w)) + 5;
  return static_cast<int32_t>(std::trunc(characters * (w + 5)));
}

double TXLSAutoFit::PixelsToChars(int32_t pixels) const {
  const int32_t w = units_.CharWidth;
  if (pixels < w + 5) return RoundEven(pixels * 100.0 / (w + 5)) / 100.0;
  return RoundEven((pixels * 100.0 - 500.0) / w) / 100.0;
}

// ---------------------------------------------------------------- fitting

bool TXLSAutoFit::Clip(int32_t& top, int32_t& left, int32_t& bottom, int32_t& right) const {
  if (!sheet_ || units_.CharWidth <= 0 || units_.Dpi <= 0) return false;
  const TXLSCellHeap& cells = sheet_->CellHeap();
  // An empty sheet's used range is its first cell.
  const bool empty = cells.Empty();
  top = std::max(top_, empty ? 0 : cells.FirstRow());
  bottom = std::min(bottom_, empty ? 0 : cells.LastRow());
  left = std::max(left_, empty ? 0 : cells.FirstColumn());
  right = std::min(right_, empty ? 0 : cells.LastColumn());
  return top <= bottom && left <= right;
}

void TXLSAutoFit::AutoFitColumns() {
  int32_t top, left, bottom, right;
  if (!Clip(top, left, bottom, right)) return;
  const TXLSCellHeap& cells = sheet_->CellHeap();
  for (int32_t c = left; c <= right; ++c) {
    int32_t best = -1;
    for (int32_t r = top; r <= bottom; ++r) {
      const TXLSCellRef* cell = cells.FindCell(r, c);
      TStyle& style = StyleAt(r, c, cell);
      const int32_t w = style.rotated ? CellHeightOf(c, cell, style) : CellWidthOf(r, cell, style, best);
      if (w > 0 && w > best) best = w;
    }
    if (best > 0) sheet_->ColumnInfo().SetColumnWidth(c, std::min(PixelsToChars(best), kMaxColumnCharacters));
  }
}

void TXLSAutoFit::AutoFitRows() {
  int32_t top, left, bottom, right;
  if (!Clip(top, left, bottom, right)) return;
  const TXLSCellHeap& cells = sheet_->CellHeap();
  for (int32_t r = top; r <= bottom; ++r) {
    int32_t best = -1;
    for (int32_t c = left; c <= right; ++c) {
      const TXLSCellRef* cell = cells.FindCell(r, c);
      TStyle& style = StyleAt(r, c, cell);
      const int32_t h = style.rotated ? CellWidthOf(r, cell, style, best) : CellHeightOf(c, cell, style);
      if (h > 0 && h > best) best = h;
    }
    if (best > 0) sheet_->RowInfo().SetRowHeight(r, std::min(PixelsToPoints(best), kMaxRowPoints));
  }
}

// ---------------------------------------------------------------- cells

TXLSAutoFit::TStyle& TXLSAutoFit::StyleAt(int32_t row, int32_t column, const TXLSCellRef* cell) {
  int32_t index;
  if (cell)
    index = cell->FormatIndex > 0 ? cell->FormatIndex : 0;
  else
    index = sheet_->FormatWithoutCell(sheet_->RowInfo().Find(row), column);
  if (index < 0) index = 0;
  if (static_cast<size_t>(index) >= styles_.size()) styles_.resize(static_cast<size_t>(index) + 1);
  TStyle& style = styles_[static_cast<size_t>(index)];
  if (!style.known) {
    const TlxFormatList& formats = sheet_->Workbook()->Formats();
    const int32_t font = formats.GetXFFont(index);
    style.fontName = formats.Fonts().GetFontName(font);
    style.fontSize = formats.Fonts().GetFontSize(font);
    style.bold = formats.Fonts().GetFontBold(font);
    style.wrap = formats.GetXFWrapText(index);
    const int32_t rotation = formats.GetXFRotation(index);
    style.rotated = rotation == kRotationUp || rotation == kRotationDown;
    style.numberFormat = formats.GetXFNumberFormatText(index);
    style.isDate = formats.IsXFDateFormat(index);
    style.known = true;
  }
  return style;
}

bool TXLSAutoFit::IsMerged(const TXLSCellRef* cell) const {
  int32_t top, left, bottom, right;
  return cell && cell->Merged && sheet_->CellHeap().MergedAreaOf(cell, top, left, bottom, right);
}

std::u16string_view TXLSAutoFit::DisplayText(const TXLSCellRef* cell, const TStyle& style) {
  if (!cell || cell->HiddenByMerge() || cell->Kind == ckBlank) return {};
  // A text shows as it is, whatever its format.
  if (cell->Kind == ckString) return sheet_->Workbook()->StringTable().GetString(cell->StringIndex);
  if (sheet_->GetCellValue(cell, value_) != kResultOk) return {};
  // Numbers under a date format read as dates, as a range's Value gives them.
  if (style.isDate && value_.VarType() == varDouble) NumberToDateValue(value_);
  text_.clear();
  formater_.AppendValue(value_, style.numberFormat, false, text_);
  return text_;
}

int32_t TXLSAutoFit::CellWidth(int32_t row, int32_t column, int32_t best) {
  if (!sheet_) return -1;
  const TXLSCellRef* cell = sheet_->CellHeap().FindCell(row, column);
  return CellWidthOf(row, cell, StyleAt(row, column, cell), best);
}

int32_t TXLSAutoFit::CellWidthOf(int32_t row, const TXLSCellRef* cell, TStyle& style, int32_t best) {
  if (IsMerged(cell)) return -1;
  const int32_t rowHeight = PointsToPixels(sheet_->RowInfo().RowHeight(row));
  if (rowHeight < 1) return -1;
  const std::u16string_view text = DisplayText(cell, style);
  if (text.empty()) return -1;
  const int32_t t = TextWidth(text, style.fontName, style.fontSize, style.bold, style.wrap, best, rowHeight);
  // The width of "0" depends on the font alone; it is measured once per format.
  if (style.zeroWidth == -2) style.zeroWidth = TextWidth(u"0", style.fontName, style.fontSize, style.bold, false, 0, 1);
  const int32_t z = style.zeroWidth;
  if (t < 0 || z < 0) return -1;
  return static_cast<int32_t>(RoundEven(z / 3.0)) + t + 5;
}

int32_t TXLSAutoFit::CellHeight(int32_t row, int32_t column) {
  if (!sheet_) return -1;
  const TXLSCellRef* cell = sheet_->CellHeap().FindCell(row, column);
  return CellHeightOf(column, cell, StyleAt(row, column, cell));
}

int32_t TXLSAutoFit::CellHeightOf(int32_t column, const TXLSCellRef* cell, const TStyle& style) {
  const int32_t width = CharsToPixels(sheet_->ColumnInfo().ColumnWidth(column));
  if (width < 1) return -1;
  std::u16string_view text = kSampleText;
  if (!IsMerged(cell) && style.wrap) {
    text = DisplayText(cell, style);
    if (text.empty()) text = kSampleText;
  }
  return TextHeight(text, style.fontName, style.fontSize, style.bold, style.wrap, width);
}

// ---------------------------------------------------------------- texts

bool TXLSAutoFit::SetFont(std::u16string_view name, double size, bool bold) {
  return measurer_.SetFont(name, static_cast<int32_t>(RoundEven(size)), bold);
}

int32_t TXLSAutoFit::TextWidth(std::u16string_view text, std::u16string_view fontName, double fontSize, bool bold,
                               bool wrap, int32_t best, int32_t rowHeight) {
  if (!SetFont(fontName, fontSize, bold)) return -1;
  const TTextExtent line = measurer_.Measure(text, false, 1);
  int32_t width = line.Width;
  if (wrap && best < width && line.Height < rowHeight)
    width = NarrowestWidth(text, rowHeight, width, measurer_.Metrics().Height, best);
  return width > 0 ? width : -1;
}

int32_t TXLSAutoFit::NarrowestWidth(std::u16string_view text, int32_t rowHeight, int32_t width, int32_t lineHeight,
                                    int32_t best) {
  // A bisection between the widest width found so far in the column and the
  // one-line width, for the narrowest width whose wrapped text still fits
  // the row; it settles within a few pixels and answers with a small margin.
  int32_t result = width;
  if (lineHeight <= 0 || rowHeight / lineHeight <= 1) return result;
  int32_t n = best;
  if (n > 10) n -= 10;
  int32_t a = width - n;
  n += a / 2;
  while (a > 3) {
    const int32_t height = measurer_.Measure(text, true, n).Height;
    const int32_t d = a >> 1;
    if (height > rowHeight)
      n += d;
    else
      n -= d;
    if (a < 8) result = n + 3;
    a = d;
  }
  return result;
}

int32_t TXLSAutoFit::TextHeight(std::u16string_view text, std::u16string_view fontName, double fontSize, bool bold,
                                bool wrap, int32_t columnWidth) {
  if (!SetFont(fontName, fontSize, bold)) return -1;
  const int32_t bottom = measurer_.Measure(text, wrap, columnWidth).Height;
  const TTextMetrics metrics = measurer_.Metrics();
  if (bottom < 1 || metrics.Height <= 0) return -1;
  const int32_t lines = bottom / metrics.Height;
  const int32_t c = metrics.Height + metrics.Descent - metrics.InternalLeading;
  int32_t h = lines * (c + 1);
  if (metrics.Height < 11) h += 1;
  return c >= 9 ? h : h + 2 * lines;
}

void AutoFitRange(IXLSRange& range, bool columns) {
  TXLSAutoFit fit(range, ScreenMeasurer(), ScreenUnits());
  if (columns)
    fit.AutoFitColumns();
  else
    fit.AutoFitRows();
}

}  // namespace lx
