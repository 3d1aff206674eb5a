#include "lxPageSetup.h"

#include <algorithm>
#include <cmath>

#include "lxCodePage.h"
#include "lxHandle.h"

namespace lx {

namespace {

constexpr int32_t kLastRow = 65535;
constexpr int32_t kLastColumn = 255;
constexpr int32_t kMaxFitCount = 65535;

// The reference texts are the worksheet's own cell names and spans
// (lxHandle.h); the page setup's texts are 8-bit.
WideString Wide(std::string_view text) { return AnsiToWide(text); }
std::string Narrow(const WideString& text) { return WideToAnsi(text); }

}  // namespace

TXLSPageSetup::TXLSPageSetup(IXLSWorksheet* worksheet, TExternSheetSource externSheetSource)
    : worksheet_(worksheet), externSheetSource_(std::move(externSheetSource)) {}

TVariant TXLSPageSetup::FitToPagesTall() const {
  return fitTall_ == 0 ? TVariant(false) : TVariant(static_cast<int32_t>(fitTall_));
}

TVariant TXLSPageSetup::FitToPagesWide() const {
  return fitWide_ == 0 ? TVariant(false) : TVariant(static_cast<int32_t>(fitWide_));
}

TVariant TXLSPageSetup::Zoom() const { return fitToPage_ ? TVariant(false) : TVariant(static_cast<int32_t>(scale_)); }

void TXLSPageSetup::SetOrientation(int32_t value) {
  if (value == kOrientationPortrait) portrait_ = true;
  if (value == kOrientationLandscape) portrait_ = false;
}

void TXLSPageSetup::SetPaperSize(int32_t value) {
  if (value < 0 || value > 0xFFFF) return;
  paperSize_ = value == kPaperSizeNotSet ? 0 : static_cast<uint16_t>(value);
}

void TXLSPageSetup::SetFitCount(uint16_t& count, const TVariant& value) {
  if (value.VarType() == varBoolean) {
    if (value.ToBool()) {
      fitToPage_ = true;
    } else {
      count = 0;
      fitToPage_ = false;
    }
    return;
  }
  if (!value.IsNumeric()) return;
  const double n = std::nearbyint(value.ToDouble());
  if (!(n >= 0 && n <= kMaxFitCount)) return;
  count = static_cast<uint16_t>(n);
  fitToPage_ = true;
}

void TXLSPageSetup::SetZoom(const TVariant& value) {
  if (value.VarType() == varBoolean) {
    fitToPage_ = !value.ToBool();
    return;
  }
  if (!value.IsNumeric()) return;
  const double n = std::nearbyint(value.ToDouble());
  if (!(n >= kZoomMin && n <= kZoomMax)) return;
  scale_ = static_cast<uint16_t>(n);
  fitToPage_ = false;
}

void TXLSPageSetup::EnsureExternSheet() {
  if (externSheetIndex_ > 0 || !externSheetSource_) return;
  const int32_t index = externSheetSource_();
  if (index > 0) externSheetIndex_ = index;
}

void TXLSPageSetup::SetPrintArea(std::string_view value) {
  if (value.empty()) {
    printFirstRow_ = printLastRow_ = printFirstColumn_ = printLastColumn_ = -1;
    printAreaText_.clear();
    return;
  }
  int32_t row1, column1, row2, column2;
  if (!ParseRangeName(Wide(value), row1, column1, row2, column2)) return;
  // Corners given the other way round name the same rectangle.
  SetPrintAreaCells(std::min(row1, row2), std::min(column1, column2), std::max(column1, column2), std::max(row1, row2));
}

void TXLSPageSetup::SetPrintAreaCells(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) {
  if (firstRow < 0 || firstColumn < 0 || firstRow > lastRow || firstColumn > lastColumn) return;
  if (lastRow > kLastRow || lastColumn > kLastColumn) return;
  printFirstRow_ = firstRow;
  printLastRow_ = lastRow;
  printFirstColumn_ = firstColumn;
  printLastColumn_ = lastColumn;
  printAreaText_ = Narrow(RangeName(firstRow, firstColumn, lastRow, lastColumn));
  EnsureExternSheet();
}

std::string TXLSPageSetup::PrintTitleColumns() {
  EnsureExternSheet();
  return Narrow(ColumnSpanText(titleFirstColumn_, titleLastColumn_));
}

std::string TXLSPageSetup::PrintTitleRows() {
  EnsureExternSheet();
  return Narrow(RowSpanText(titleFirstRow_, titleLastRow_));
}

void TXLSPageSetup::SetPrintTitleColumns(std::string_view value) {
  if (value.empty()) {
    titleFirstColumn_ = titleLastColumn_ = 0;
    return;
  }
  int32_t first, last;
  if (!ParseColumnSpan(Wide(value), first, last)) return;
  titleFirstColumn_ = first;
  titleLastColumn_ = last;
  EnsureExternSheet();
}

void TXLSPageSetup::SetPrintTitleRows(std::string_view value) {
  if (value.empty()) {
    titleFirstRow_ = titleLastRow_ = 0;
    return;
  }
  int32_t first, last;
  // The span parser lets row 0 through; here 0 means "no titles", so such a
  // span would leave a half-set pair behind.
  if (!ParseRowSpan(Wide(value), first, last) || first < 1) return;
  titleFirstRow_ = first;
  titleLastRow_ = last;
  EnsureExternSheet();
}

namespace {

std::u16string SectionText(const std::u16string& left, const std::u16string& centre, const std::u16string& right) {
  std::u16string text;
  if (!left.empty()) text += u"&L" + left;
  if (!centre.empty()) text += u"&C" + centre;
  if (!right.empty()) text += u"&R" + right;
  return text;
}

}  // namespace

std::u16string TXLSPageSetup::HeaderText() const { return SectionText(leftHeader_, centerHeader_, rightHeader_); }

std::u16string TXLSPageSetup::FooterText() const { return SectionText(leftFooter_, centerFooter_, rightFooter_); }

}  // namespace lx
