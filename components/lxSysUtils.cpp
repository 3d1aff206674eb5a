#include "lxSysUtils.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "lxClasses.h"
#include "lxCodePage.h"
#include "lxText.h"
#include "lxVariant.h"

namespace lx {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool StartsWithNoCase(std::string_view text, size_t pos, std::string_view prefix) {
  if (text.size() - pos < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i)
    if (Lower(text[pos + i]) != Lower(prefix[i])) return false;
  return true;
}

size_t RunLength(std::string_view text, size_t pos) {
  size_t n = 1;
  while (pos + n < text.size() && Lower(text[pos + n]) == Lower(text[pos])) ++n;
  return n;
}

std::string Padded(int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  return buffer;
}

}  // namespace

namespace {

// Patterns that name other patterns (c, ddddd, t, tt) expand only this deep,
// so that a short date format of "c" cannot recurse without end.
constexpr int kMaxPatternNesting = 2;

std::string FormatDateTimeAt(std::string_view format, double dateTime, const TFormatSettings& settings, int depth);

std::string Nested(const std::string& format, double dateTime, const TFormatSettings& settings, int depth) {
  if (depth >= kMaxPatternNesting) return {};
  return FormatDateTimeAt(format, dateTime, settings, depth + 1);
}

std::string FormatDateTimeAt(std::string_view format, double dateTime, const TFormatSettings& settings, int depth) {
  int year, month, day, hour, minute, second, ms;
  if (!DecodeDateTime(dateTime, year, month, day, hour, minute, second, ms)) return {};
  if (format.empty()) format = "c";
  // A 12-hour clock when the pattern names a half of the day anywhere.
  bool twelveHour = false;
  for (size_t i = 0; i < format.size(); ++i)
    if (StartsWithNoCase(format, i, "am/pm") || StartsWithNoCase(format, i, "a/p") ||
        StartsWithNoCase(format, i, "ampm"))
      twelveHour = true;
  std::string out;
  bool afterHour = false;
  const bool midnight = hour == 0 && minute == 0 && second == 0 && ms == 0;
  size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    const char lc = Lower(c);
    if (c == '\'' || c == '"') {
      size_t end = format.find(c, i + 1);
      if (end == std::string_view::npos) end = format.size();
      out.append(format.substr(i + 1, end - i - 1));
      i = end + 1;
      continue;
    }
    if (lc == 'a') {
      const bool pm = hour >= 12;
      if (StartsWithNoCase(format, i, "am/pm")) {
        std::string_view half = format.substr(i + (pm ? 3 : 0), 2);
        out.append(half);
        i += 5;
      } else if (StartsWithNoCase(format, i, "a/p")) {
        out += format[i + (pm ? 2 : 0)];
        i += 3;
      } else if (StartsWithNoCase(format, i, "ampm")) {
        out += pm ? settings.TimePMString : settings.TimeAMString;
        i += 4;
      } else {
        out += c;
        ++i;
      }
      continue;
    }
    const size_t n = std::string_view("dmyhnsztc").find(lc) == std::string_view::npos ? 1 : RunLength(format, i);
    switch (lc) {
      case 'c':
        out += Nested(settings.ShortDateFormat, dateTime, settings, depth);
        if (!midnight) out += ' ' + Nested(settings.LongTimeFormat, dateTime, settings, depth);
        i += 1;
        continue;
      case 'd': {
        const int weekday = static_cast<int>(((static_cast<int64_t>(std::floor(dateTime)) % 7) + 7 + 6) % 7);
        if (n <= 2)
          out += Padded(day, static_cast<int>(n));
        else if (n == 3)
          out += settings.ShortDayNames[weekday];
        else if (n == 4)
          out += settings.LongDayNames[weekday];
        else
          out += Nested(settings.ShortDateFormat, dateTime, settings, depth);
        afterHour = false;
        break;
      }
      case 'm':
        if (afterHour && n <= 2)
          out += Padded(minute, static_cast<int>(n));
        else if (n <= 2)
          out += Padded(month, static_cast<int>(n));
        else if (n == 3)
          out += settings.ShortMonthNames[month - 1];
        else
          out += settings.LongMonthNames[month - 1];
        afterHour = false;
        break;
      case 'y':
        out += n <= 2 ? Padded(year % 100, 2) : Padded(year, 4);
        afterHour = false;
        break;
      case 'h': {
        int h = hour;
        if (twelveHour) h = hour % 12 == 0 ? 12 : hour % 12;
        out += Padded(h, n >= 2 ? 2 : 1);
        i += n;
        afterHour = true;
        continue;
      }
      case 'n':
        out += Padded(minute, n >= 2 ? 2 : 1);
        afterHour = false;
        break;
      case 's':
        out += Padded(second, n >= 2 ? 2 : 1);
        afterHour = false;
        break;
      case 'z':
        out += Padded(ms, n >= 3 ? 3 : 1);
        afterHour = false;
        break;
      case 't':
        out += Nested(n >= 2 ? settings.LongTimeFormat : settings.ShortTimeFormat, dateTime, settings, depth);
        afterHour = false;
        break;
      default:
        // Separators between an hour and its minutes keep the minute sense.
        out += c;
        if (std::isalnum(static_cast<unsigned char>(c))) afterHour = false;
        i += 1;
        continue;
    }
    i += n;
  }
  return out;
}

}  // namespace

std::string FormatDateTime(std::string_view format, double dateTime, const TFormatSettings& settings) {
  return FormatDateTimeAt(format, dateTime, settings, 0);
}

namespace {

constexpr int kMaxDecimals = 30;
constexpr int kMaxIntegerZeros = 64;

struct TNumberSection {
  std::string_view text;
  int intZeros = 0;  // '0' placeholders from the first '0' to the point
  int intPlaceholders = 0;
  int minDecimals = 0;  // '0' after the point
  int maxDecimals = 0;  // '0' and '#' after the point
  bool thousands = false;
  bool exponent = false;
  int exponentDigits = 0;
  bool exponentPlus = false;
};

// Splits a number format into its sections; semicolons inside quotes do not
// count.
std::vector<std::string_view> SplitSections(std::string_view format) {
  std::vector<std::string_view> sections;
  size_t start = 0;
  char quote = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '\'' || c == '"') {
      quote = c;
    } else if (c == ';') {
      sections.push_back(format.substr(start, i - start));
      start = i + 1;
    }
  }
  sections.push_back(format.substr(start));
  return sections;
}

TNumberSection ScanSection(std::string_view text) {
  TNumberSection s;
  s.text = text;
  bool afterPoint = false;
  bool seenZero = false;
  char quote = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
    } else if ((c == 'E' || c == 'e') && i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == '-')) {
      s.exponent = true;
      s.exponentPlus = text[i + 1] == '+';
      i += 2;
      while (i < text.size() && text[i] == '0') {
        ++s.exponentDigits;
        ++i;
      }
      --i;
    } else if (s.exponent) {
      continue;
    } else if (c == '.') {
      afterPoint = true;
    } else if (c == ',') {
      if (!afterPoint) s.thousands = true;
    } else if (c == '0' || c == '#') {
      if (afterPoint) {
        ++s.maxDecimals;
        if (c == '0') s.minDecimals = s.maxDecimals;
      } else {
        ++s.intPlaceholders;
        if (c == '0') seenZero = true;
        if (seenZero) ++s.intZeros;
      }
    }
  }
  return s;
}

std::string FormatSection(const TNumberSection& s, double value, const TFormatSettings& settings) {
  // Digits of the absolute value, rounded to the section's decimals.
  int exponent = 0;
  if (s.exponent && value != 0) {
    const int intDigits = std::max(1, s.intPlaceholders);
    exponent = static_cast<int>(std::floor(std::log10(value))) - (intDigits - 1);
    value /= std::pow(10.0, exponent);
    // Rounding can carry into another digit: 9.99 with one decimal.
    char probe[64];
    std::snprintf(probe, sizeof probe, "%.*f", s.maxDecimals, value);
    if (std::strtod(probe, nullptr) >= std::pow(10.0, intDigits)) {
      value /= 10;
      ++exponent;
    }
  }
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.*f", s.maxDecimals, value);
  std::string digits = buffer;
  const size_t point = digits.find('.');
  std::string intPart = digits.substr(0, point);
  std::string fracPart = point == std::string::npos ? std::string() : digits.substr(point + 1);
  if (intPart == "0") intPart.clear();
  while (static_cast<int>(intPart.size()) < s.intZeros) intPart.insert(intPart.begin(), '0');
  while (static_cast<int>(fracPart.size()) > s.minDecimals && fracPart.back() == '0') fracPart.pop_back();

  std::string out;
  const int intLength = static_cast<int>(intPart.size());
  int placeholder = 0;  // integer placeholders met so far
  int fracIndex = 0;
  bool afterPoint = false;
  char quote = 0;
  auto emitIntDigit = [&](int index) {
    out += intPart[static_cast<size_t>(index)];
    const int left = intLength - index - 1;
    if (s.thousands && left > 0 && left % 3 == 0) out += settings.ThousandSeparator;
  };
  for (size_t i = 0; i < s.text.size(); ++i) {
    const char c = s.text[i];
    if (quote) {
      if (c == quote)
        quote = 0;
      else
        out += c;
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
    } else if ((c == 'E' || c == 'e') && s.exponent && i + 1 < s.text.size() &&
               (s.text[i + 1] == '+' || s.text[i + 1] == '-')) {
      out += c;
      if (exponent < 0)
        out += '-';
      else if (s.exponentPlus)
        out += '+';
      out += Padded(std::abs(exponent), std::max(1, s.exponentDigits));
      i += 1 + static_cast<size_t>(s.exponentDigits);
    } else if (c == '.' && !afterPoint) {
      afterPoint = true;
      if (s.intPlaceholders == 0)
        for (int k = 0; k < intLength; ++k) emitIntDigit(k);
      if (!fracPart.empty()) out += settings.DecimalSeparator;
    } else if (c == ',' && !afterPoint) {
      // a flag, not a character of its own
    } else if ((c == '0' || c == '#') && !afterPoint) {
      // The placeholders take the digits from the right; the first one also
      // takes every digit that has no placeholder of its own.
      const int first = intLength - (s.intPlaceholders - placeholder);
      if (placeholder == 0)
        for (int k = 0; k < first; ++k) emitIntDigit(k);
      if (first >= 0) emitIntDigit(first);
      ++placeholder;
    } else if ((c == '0' || c == '#') && afterPoint) {
      if (fracIndex < static_cast<int>(fracPart.size())) out += fracPart[static_cast<size_t>(fracIndex)];
      ++fracIndex;
    } else {
      out += c;
    }
  }
  if (s.intPlaceholders == 0 && !afterPoint)
    for (int k = 0; k < intLength; ++k) emitIntDigit(k);
  return out;
}

}  // namespace

std::string FormatFloat(std::string_view format, double value, const TFormatSettings& settings) {
  if (!std::isfinite(value)) return value != value ? "NAN" : (value > 0 ? "INF" : "-INF");
  if (format.empty()) {
    std::string text = Utf16ToUtf8(FloatToText(value));
    for (char& c : text)
      if (c == '.') c = settings.DecimalSeparator;
    return text;
  }
  const std::vector<std::string_view> sections = SplitSections(format);
  std::string_view section = sections[0];
  bool minus = false;
  if (value < 0) {
    if (sections.size() >= 2 && !sections[1].empty())
      section = sections[1];
    else
      minus = true;
  } else if (value == 0 && sections.size() >= 3 && !sections[2].empty()) {
    section = sections[2];
  }
  TNumberSection scanned = ScanSection(section);
  // More decimals than a double holds only pad with zeros; the cap keeps
  // the digit buffer bounded whatever the format.
  scanned.maxDecimals = std::min(scanned.maxDecimals, kMaxDecimals);
  scanned.minDecimals = std::min(scanned.minDecimals, kMaxDecimals);
  scanned.intZeros = std::min(scanned.intZeros, kMaxIntegerZeros);
  std::string text = FormatSection(scanned, std::fabs(value), settings);
  // A value that rounds to zero in its section shows no minus sign.
  bool nonZeroDigit = false;
  for (char c : text)
    if (c >= '1' && c <= '9') nonZeroDigit = true;
  if (minus && nonZeroDigit) text.insert(text.begin(), '-');
  return text;
}

bool TryStrToDateTime(std::string_view text, double& dateTime, const TFormatSettings& settings) {
  // The order of day, month and year in the short date format.
  std::string order;
  for (char c : settings.ShortDateFormat) {
    const char lc = Lower(c);
    if ((lc == 'd' || lc == 'm' || lc == 'y') && order.find(lc) == std::string::npos) order += lc;
  }
  if (order.size() != 3) order = "mdy";
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  };
  auto number = [&](int& value, int& digits) {
    value = 0;
    digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && digits < 9) {
      value = value * 10 + (text[i] - '0');
      ++digits;
      ++i;
    }
    return digits > 0;
  };
  skipBlanks();
  int parts[3];
  int digits[3];
  for (int k = 0; k < 3; ++k) {
    if (k > 0) {
      if (i < text.size() && (text[i] == '/' || text[i] == '.' || text[i] == '-'))
        ++i;
      else if (i < text.size() && text[i] == ' ')
        skipBlanks();
      else
        return false;
    }
    if (!number(parts[k], digits[k])) return false;
  }
  int day = 0, month = 0, year = 0, yearDigits = 0;
  for (int k = 0; k < 3; ++k) {
    if (order[static_cast<size_t>(k)] == 'd')
      day = parts[k];
    else if (order[static_cast<size_t>(k)] == 'm')
      month = parts[k];
    else {
      year = parts[k];
      yearDigits = digits[k];
    }
  }
  if (yearDigits <= 2) year += year < 50 ? 2000 : 1900;
  bool ok = false;
  double date = EncodeDate(year, month, day, &ok);
  if (!ok) return false;
  if (i < text.size() && text[i] == '.') ++i;  // "dd.MM.yyyy." writes a closing point
  skipBlanks();
  double time = 0;
  if (i < text.size()) {
    int hour = 0, minute = 0, second = 0, n = 0;
    if (!number(hour, n)) return false;
    if (i < text.size() && text[i] == ':') {
      ++i;
      if (!number(minute, n)) return false;
      if (i < text.size() && text[i] == ':') {
        ++i;
        if (!number(second, n)) return false;
      }
    }
    skipBlanks();
    if (i < text.size()) {
      std::string_view rest = text.substr(i);
      while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t')) rest.remove_suffix(1);
      const bool am = SameText(rest, settings.TimeAMString) || SameText(rest, "AM");
      const bool pm = SameText(rest, settings.TimePMString) || SameText(rest, "PM");
      if ((!am && !pm) || hour < 1 || hour > 12) return false;
      hour = hour % 12 + (pm ? 12 : 0);
    }
    time = EncodeTime(hour, minute, second, 0, &ok);
    if (!ok) return false;
  }
  dateTime = ComposeDateTime(date, time);
  return true;
}

}  // namespace lx
