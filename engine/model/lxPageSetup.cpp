#include "lxPageSetup.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace lx {

namespace {

constexpr int32_t kLastRow = 65535;
constexpr int32_t kLastColumn = 255;
constexpr int32_t kColumnCount = 256;
constexpr int32_t kRowCount = 65536;
// Highest title row a row span may name (1-based).
constexpr int32_t kMaxTitleRow = 65535;
constexpr int32_t kMaxFitCount = 65535;

// Reference texts of the page setup. They follow the cell naming of the
// worksheet: columns A..IV, rows from 1, no "$" in cell names.

std::string ColumnLetters(int32_t column) {  // 1-based
  std::string text;
  if (column < 1 || column > kColumnCount) return text;
  const int32_t zeroBased = column - 1;
  if (zeroBased >= 26) text.push_back(static_cast<char>('A' + zeroBased / 26 - 1));
  text.push_back(static_cast<char>('A' + zeroBased % 26));
  return text;
}

std::string CellName(int32_t row, int32_t column) {  // 0-based
  return ColumnLetters(column + 1) + std::to_string(row + 1);
}

// Every ASCII letter is a base-26 digit (A = 1); other characters are
// skipped. -1 when there is no letter.
int32_t ColumnNumber(std::string_view text) {
  int32_t number = 0;
  bool any = false;
  for (const char c : text) {
    const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (u < 'A' || u > 'Z') continue;
    any = true;
    number = number * 26 + (u - 'A' + 1);
    if (number > kColumnCount) number = kColumnCount + 1;  // stays invalid, never overflows
  }
  return any ? number : -1;
}

// Decimal digits only; -1 for anything else or a value beyond limit.
int32_t DecimalNumber(std::string_view text, int32_t limit) {
  if (text.empty()) return -1;
  int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
    if (value > limit) return -1;
  }
  return static_cast<int32_t>(value);
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z'); }

// "B7" -> row 6, column 1. One or two letters, then the row 1..65536.
bool ParseCellName(std::string_view text, int32_t& row, int32_t& column) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper.size() < 2 || !IsLetter(upper[0])) return false;
  size_t rowStart = 1;
  int32_t col = upper[0] - 'A' + 1;
  if (IsLetter(upper[1])) {
    col = col * 26 + (upper[1] - 'A' + 1);
    rowStart = 2;
  }
  const int32_t r = DecimalNumber(std::string_view(upper).substr(rowStart), kRowCount);
  if (r < 1 || col < 1 || col > kColumnCount) return false;
  row = r - 1;
  column = col - 1;
  return true;
}

bool ParseRangeName(std::string_view text, int32_t& row1, int32_t& column1, int32_t& row2, int32_t& column2) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  return ParseCellName(text.substr(0, colon), row1, column1) && ParseCellName(text.substr(colon + 1), row2, column2);
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// Splits "$A:$C" or "$1 : $3" into its two sides, each trimmed and without
// one leading "$".
bool SplitSpan(std::string_view text, std::string_view& first, std::string_view& last) {
  const size_t colon = text.find(':');
  if (colon == std::string_view::npos) return false;
  auto side = [](std::string_view part) {
    part = Trim(part);
    if (!part.empty() && part.front() == '$') part.remove_prefix(1);
    return Trim(part);
  };
  first = side(text.substr(0, colon));
  last = side(text.substr(colon + 1));
  return true;
}

bool ParseRowSpan(std::string_view text, int32_t& first, int32_t& last) {
  std::string_view a, b;
  if (!SplitSpan(text, a, b)) return false;
  const int32_t r1 = DecimalNumber(a, kMaxTitleRow);
  const int32_t r2 = DecimalNumber(b, kMaxTitleRow);
  if (r1 < 1 || r2 < 1) return false;
  first = std::min(r1, r2);
  last = std::max(r1, r2);
  return true;
}

bool ParseColumnSpan(std::string_view text, int32_t& first, int32_t& last) {
  std::string_view a, b;
  if (!SplitSpan(text, a, b)) return false;
  const int32_t c1 = ColumnNumber(a);
  const int32_t c2 = ColumnNumber(b);
  if (c1 < 1 || c2 < 1 || c1 > kColumnCount || c2 > kColumnCount) return false;
  first = std::min(c1, c2);
  last = std::max(c1, c2);
  return true;
}

std::string RowSpanText(int32_t first, int32_t last) {
  if (first < 1 || last < 1) return {};
  return "$" + std::to_string(first) + ":$" + std::to_string(last);
}

std::string ColumnSpanText(int32_t first, int32_t last) {
  if (first < 1 || last < 1) return {};
  return "$" + ColumnLetters(first) + ":$" + ColumnLetters(last);
}

}  // namespace

TXLSPageSetup::TXLSPageSetup(IXLSWorksheet* worksheet, TExternSheetSource externSheetSource)
    : worksheet_(worksheet), externSheetSource_(std::move(externSheetSource)) {}

TXLSPageValue TXLSPageSetup::FitToPagesTall() const {
  return fitTall_ == 0 ? TXLSPageValue(false) : TXLSPageValue(static_cast<int32_t>(fitTall_));
}

TXLSPageValue TXLSPageSetup::FitToPagesWide() const {
  return fitWide_ == 0 ? TXLSPageValue(false) : TXLSPageValue(static_cast<int32_t>(fitWide_));
}

TXLSPageValue TXLSPageSetup::Zoom() const {
  return fitToPage_ ? TXLSPageValue(false) : TXLSPageValue(static_cast<int32_t>(scale_));
}

void TXLSPageSetup::SetOrientation(int32_t value) {
  if (value == kOrientationPortrait) portrait_ = true;
  if (value == kOrientationLandscape) portrait_ = false;
}

void TXLSPageSetup::SetPaperSize(int32_t value) {
  if (value < 0 || value > 0xFFFF) return;
  paperSize_ = value == kPaperSizeNotSet ? 0 : static_cast<uint16_t>(value);
}

void TXLSPageSetup::SetFitCount(uint16_t& count, const TXLSPageValue& value) {
  if (value.IsBoolean()) {
    if (value.Boolean()) {
      fitToPage_ = true;
    } else {
      count = 0;
      fitToPage_ = false;
    }
    return;
  }
  const double n = std::nearbyint(value.Number());
  if (!(n >= 0 && n <= kMaxFitCount)) return;
  count = static_cast<uint16_t>(n);
  fitToPage_ = true;
}

void TXLSPageSetup::SetZoom(TXLSPageValue value) {
  if (value.IsBoolean()) {
    fitToPage_ = !value.Boolean();
    return;
  }
  const double n = std::nearbyint(value.Number());
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
  if (!ParseRangeName(value, row1, column1, row2, column2)) return;
  // Corners given the other way round name the same rectangle.
  SetPrintAreaCells(std::min(row1, row2), std::min(column1, column2), std::max(column1, column2),
                    std::max(row1, row2));
}

void TXLSPageSetup::SetPrintAreaCells(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) {
  if (firstRow < 0 || firstColumn < 0 || firstRow > lastRow || firstColumn > lastColumn) return;
  if (lastRow > kLastRow || lastColumn > kLastColumn) return;
  printFirstRow_ = firstRow;
  printLastRow_ = lastRow;
  printFirstColumn_ = firstColumn;
  printLastColumn_ = lastColumn;
  printAreaText_ = CellName(firstRow, firstColumn) + ":" + CellName(lastRow, lastColumn);
  EnsureExternSheet();
}

std::string TXLSPageSetup::PrintTitleColumns() {
  EnsureExternSheet();
  return ColumnSpanText(titleFirstColumn_, titleLastColumn_);
}

std::string TXLSPageSetup::PrintTitleRows() {
  EnsureExternSheet();
  return RowSpanText(titleFirstRow_, titleLastRow_);
}

void TXLSPageSetup::SetPrintTitleColumns(std::string_view value) {
  if (value.empty()) {
    titleFirstColumn_ = titleLastColumn_ = 0;
    return;
  }
  int32_t first, last;
  if (!ParseColumnSpan(value, first, last)) return;
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
  if (!ParseRowSpan(value, first, last)) return;
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
