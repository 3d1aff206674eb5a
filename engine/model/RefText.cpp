// Cell names, spans and the small text helpers of references.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "lxHandle.h"

namespace lx {

namespace {

bool IsLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }
char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }

WideString Trim(const WideString& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && text[first] <= u' ') ++first;
  while (last > first && text[last - 1] <= u' ') --last;
  return text.substr(first, last - first);
}

// A whole decimal number without sign; -1 when it is not one or too long.
int32_t ParseDecimal(const WideString& text) {
  if (text.empty() || text.size() > 9) return -1;
  int32_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return -1;
    value = value * 10 + (c - u'0');
  }
  return value;
}

WideString Decimal(int64_t value) { return AsciiToWide(std::to_string(value)); }

// Splits at the first ":", trims both sides and drops one leading "$".
bool SplitSpan(const WideString& text, WideString& first, WideString& last) {
  const size_t colon = text.find(u':');
  if (colon == WideString::npos) return false;
  auto side = [](WideString part) {
    part = Trim(part);
    if (!part.empty() && part[0] == u'$') part = Trim(part.substr(1));
    return part;
  };
  first = side(text.substr(0, colon));
  last = side(text.substr(colon + 1));
  return true;
}

}  // namespace

WideString ColumnLetters(int32_t column) {
  if (column < 1 || column > kXLSMaxColumn + 1) return {};
  const int32_t c = column - 1;
  WideString text;
  if (c >= 26) text += static_cast<char16_t>(u'A' + c / 26 - 1);
  text += static_cast<char16_t>(u'A' + c % 26);
  return text;
}

WideString CellName(int32_t row, int32_t column) { return ColumnLetters(column + 1) + Decimal(row + 1); }

WideString RangeName(int32_t row1, int32_t column1, int32_t row2, int32_t column2) {
  return CellName(row1, column1) + u":" + CellName(row2, column2);
}

int32_t ColumnNumber(const WideString& letters) {
  int32_t value = 0;
  bool any = false;
  for (char16_t c : letters) {
    if (!IsLetter(c)) continue;
    any = true;
    value = value * 26 + (Upper(c) - u'A' + 1);
    if (value > 1'000'000) return -1;  // far beyond any column; stops overflow
  }
  return any ? value : -1;
}

bool ParseCellName(const WideString& text, int32_t& row, int32_t& column) {
  if (text.size() < 2 || !IsLetter(text[0])) return false;
  int32_t col = Upper(text[0]) - u'A' + 1;
  size_t rowStart = 1;
  if (IsLetter(text[1])) {
    col = col * 26 + (Upper(text[1]) - u'A' + 1);
    rowStart = 2;
  }
  const int32_t r = ParseDecimal(text.substr(rowStart));
  if (r < 1 || r > kXLSMaxRow + 1 || col < 1 || col > kXLSMaxColumn + 1) return false;
  row = r - 1;
  column = col - 1;
  return true;
}

bool ParseRangeName(const WideString& text, int32_t& row1, int32_t& column1, int32_t& row2, int32_t& column2) {
  const size_t colon = text.find(u':');
  if (colon == WideString::npos) return false;
  return ParseCellName(text.substr(0, colon), row1, column1) && ParseCellName(text.substr(colon + 1), row2, column2);
}

bool ParseRowSpan(const WideString& text, int32_t& first, int32_t& last) {
  WideString a, b;
  if (!SplitSpan(text, a, b)) return false;
  const int32_t x = ParseDecimal(a);
  const int32_t y = ParseDecimal(b);
  if (x < 0 || y < 0 || x > kXLSMaxRow || y > kXLSMaxRow) return false;
  first = std::min(x, y);
  last = std::max(x, y);
  return true;
}

bool ParseColumnSpan(const WideString& text, int32_t& first, int32_t& last) {
  WideString a, b;
  if (!SplitSpan(text, a, b)) return false;
  const int32_t x = ColumnNumber(a);
  const int32_t y = ColumnNumber(b);
  if (x < 0 || y < 0 || x > kXLSMaxColumn + 1 || y > kXLSMaxColumn + 1) return false;
  first = std::min(x, y);
  last = std::max(x, y);
  return true;
}

WideString RowSpanText(int32_t first, int32_t last) {
  if (first < 1 || last < 1) return {};
  return u"$" + Decimal(first) + u":$" + Decimal(last);
}

WideString ColumnSpanText(int32_t first, int32_t last) {
  if (first < 1 || last < 1) return {};
  return u"$" + ColumnLetters(first) + u":$" + ColumnLetters(last);
}

WideString TextToCellText(const WideString& text) {
  WideString result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
      result += u'\r';
      ++i;
    } else if (text[i] == u'\n') {
      result += u'\r';
    } else {
      result += text[i];
    }
  }
  return result;
}

WideString NumberToText(double value) {
  // "#.#": at most one decimal, no leading or trailing zero digit, halves
  // rounded away from zero; the decimal separator is always ".".
  if (!std::isfinite(value)) return {};
  const double tenths = std::round(std::fabs(value) * 10.0);
  if (tenths == 0) return {};
  const double whole = std::floor(tenths / 10.0);
  const int digit = static_cast<int>(tenths - whole * 10.0);
  WideString text = value < 0 ? u"-" : u"";
  if (whole > 0) {
    char buffer[400];  // the largest double has 309 digits
    std::snprintf(buffer, sizeof buffer, "%.0f", whole);
    text += AsciiToWide(buffer);
  }
  if (digit != 0) text += u"." + Decimal(digit);
  return text;
}

}  // namespace lx
