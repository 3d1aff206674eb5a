#include "lxMasks.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "lxCodePage.h"
#include "lxLocale.h"

namespace lx {

namespace {

// The colours a section may name, in the order they are looked for.
constexpr std::u16string_view kColorNames[] = {u"red", u"green", u"blue", u"black", u"maroon", u"yellow", u"white"};
// Characters that end the literal prefix of a section and start its core.
constexpr std::u16string_view kCoreStart = u"#-.0@DHMSY[dhmsy";
// Characters a core is made of.
constexpr std::u16string_view kCoreChars = u" #,-./0:ADHMPSYadhmpsy";
// Codes whose presence (in upper case) makes a format a date format.
constexpr std::u16string_view kDateCodes[] = {u"DD", u"MM", u"YY", u"HH", u"SS"};

constexpr double kSecondsPerDay = 86400.0;
// Digits of a number printed without a core.
constexpr int kGeneralDigits = 15;

char16_t Lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c; }
char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c; }

bool StartsWithNoCase(std::u16string_view text, size_t at, std::u16string_view word) {
  if (text.size() - at < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (Lower(text[at + i]) != Lower(word[i])) return false;
  return true;
}

size_t RunLength(std::u16string_view text, size_t at) {
  size_t n = 1;
  while (at + n < text.size() && Lower(text[at + n]) == Lower(text[at])) ++n;
  return n;
}

void AppendNumber(std::u16string& out, int value, int width) {
  char digits[16];
  auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
  for (int pad = width - static_cast<int>(end - digits); pad > 0; --pad) out += u'0';
  for (const char* p = digits; p != end; ++p) out += static_cast<char16_t>(*p);
}

char16_t WideSeparator(char c) {
  const std::u16string wide = AnsiToWide(std::string_view(&c, 1));
  return wide.empty() ? static_cast<char16_t>(c) : wide[0];
}

template <size_t N>
std::array<std::u16string, N> WideNames(const std::array<std::string, N>& names) {
  std::array<std::u16string, N> wide;
  for (size_t i = 0; i < N; ++i) wide[i] = AnsiToWide(names[i]);
  return wide;
}

bool IsPlaceholder(char16_t c) { return c == u'0' || c == u'#'; }

}  // namespace

TXLSFormater::TXLSFormater() {
  const TFormatSettings& settings = FormatSettings();
  decimalSeparator_ = WideSeparator(settings.DecimalSeparator);
  thousandSeparator_ = WideSeparator(settings.ThousandSeparator);
  dateSeparator_ = WideSeparator(settings.DateSeparator);
  timeSeparator_ = WideSeparator(settings.TimeSeparator);
  shortMonths_ = WideNames(settings.ShortMonthNames);
  longMonths_ = WideNames(settings.LongMonthNames);
  shortDays_ = WideNames(settings.ShortDayNames);
  longDays_ = WideNames(settings.LongDayNames);
}

std::u16string TXLSFormater::EscapeHTML(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  AppendEscaped(text, false, out);
  return out;
}

bool TXLSFormater::NeedsEscaping(std::u16string_view text, bool spaces) {
  for (const char16_t c : text)
    if (c == u'&' || c == u'<' || c == u'>' || c == u'"' || c == u'\r' || c == u'\n' || (spaces && c == u' '))
      return true;
  return false;
}

void TXLSFormater::AppendEscaped(std::u16string_view text, bool spaces, std::u16string& out) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (spaces && text[i] == u' ') {
      out += u"&nbsp;";
      continue;
    }
    switch (text[i]) {
      case u'&':
        out += u"&amp;";
        break;
      case u'<':
        out += u"&lt;";
        break;
      case u'>':
        out += u"&gt;";
        break;
      case u'"':
        out += u"&quot;";
        break;
      case u'\r':
        out += u"<br>";
        if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        break;
      default:
        out += text[i];
    }
  }
}

TXLSFormater::TSection TXLSFormater::ParseSection(std::u16string_view section) {
  TSection parsed;
  std::u16string text(section);
  std::u16string lower(text.size(), u' ');
  for (size_t i = 0; i < text.size(); ++i) lower[i] = Lower(text[i]);
  for (int32_t i = 0; i < static_cast<int32_t>(std::size(kColorNames)); ++i) {
    const std::u16string bracketed = u"[" + std::u16string(kColorNames[i]) + u"]";
    const size_t at = lower.find(bracketed);
    if (at == std::u16string::npos) continue;
    parsed.color = i;
    text.erase(at, bracketed.size());
    break;
  }
  for (size_t at = text.find(u"General"); at != std::u16string::npos; at = text.find(u"General", at + 1))
    text.replace(at, 7, u"@");

  // Prefix (phase 1), core (phase 2), suffix (phase 3); a quoted literal or
  // an escaped character in the prefix or suffix is text as it stands.
  int phase = 1;
  bool quoted = false;
  bool escaped = false;
  size_t i = 0;
  while (i < text.size()) {
    const char16_t c = text[i];
    if (phase == 2) {
      if (kCoreChars.find(c) != std::u16string_view::npos) {
        parsed.core += c;
      } else if (c == u'@') {
        parsed.core.clear();
      } else if (c != u'[' && c != u']') {
        phase = 3;
        continue;  // the same character, as suffix text
      }
      ++i;
      continue;
    }
    std::u16string& out = phase == 1 ? parsed.prefix : parsed.suffix;
    ++i;
    if (escaped) {
      out += c;
      escaped = false;
    } else if (quoted) {
      if (c == u'"')
        quoted = false;
      else
        out += c;
    } else if (phase == 1 && kCoreStart.find(c) != std::u16string_view::npos) {
      phase = 2;
      --i;  // the same character, as core
    } else if (c == u'\\') {
      escaped = true;
    } else if (c == u'"') {
      quoted = true;
    } else if (c == u'%') {
      parsed.multiplier *= 100.0;
      out += c;
    } else if (c == u'_') {
      out += u' ';
      ++i;  // the character after it only reserves width
    } else {
      out += c;
    }
  }
  return parsed;
}

const TXLSFormater::TParsed& TXLSFormater::Parse(std::u16string_view format) {
  if (last_ && *lastText_ == format) return *last_;
  std::u16string key(format);
  auto found = parsed_.find(key);
  if (found == parsed_.end()) {
    TParsed parsed;
    std::u16string upper(format.size(), u' ');
    for (size_t i = 0; i < format.size(); ++i) upper[i] = Upper(format[i]);
    for (std::u16string_view code : kDateCodes)
      if (upper.find(code) != std::u16string::npos) parsed.isDate = true;
    size_t count = 0;
    size_t start = 0;
    while (count < parsed.texts.size()) {
      const size_t end = format.find(u';', start);
      parsed.texts[count++] = std::u16string(format.substr(start, end - start));
      if (end == std::u16string_view::npos) break;
      start = end + 1;
    }
    // A missing section is the first one again.
    for (size_t i = count; i < parsed.texts.size(); ++i) parsed.texts[i] = parsed.texts[0];
    for (size_t i = 0; i < parsed.texts.size(); ++i) {
      parsed.sections[i] = ParseSection(parsed.texts[i]);
      if (parsed.isDate)
        LayOutDate(parsed.sections[i]);
      else
        LayOutNumber(parsed.sections[i]);
    }
    found = parsed_.emplace(std::move(key), std::move(parsed)).first;
  }
  lastText_ = &found->first;
  last_ = &found->second;
  return *last_;
}

std::u16string TXLSFormater::FormatValue(const TVariant& value, std::u16string_view format, bool html) {
  std::u16string text;
  AppendValue(value, format, html, text);
  return text;
}

void TXLSFormater::AppendValue(const TVariant& value, std::u16string_view format, bool html, std::u16string& out) {
  if (format.empty() || format == u"@" || format == u"General") {
    AppendPlain(value, html, out);
    return;
  }
  switch (value.VarType()) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency:
    case varDate:
      break;
    case varBoolean:
      out += value.ToBool() ? u"True" : u"False";
      return;
    default:
      AppendPlain(value, html, out);
      return;
  }

  const TParsed& parsed = Parse(format);
  double number = value.ToDouble();
  const TSection* section = &parsed.sections[3];
  if (parsed.isDate || number > 0) {
    section = &parsed.sections[0];
  } else if (number == 0) {
    section = &parsed.sections[2];
  } else if (number < 0) {
    section = &parsed.sections[1];
    // A section of their own prints negative values with its own sign.
    if (parsed.texts[1] != parsed.texts[0]) number = -number;
  }

  const size_t start = out.size();
  out += section->prefix;
  if (parsed.isDate) {
    if (!section->core.empty()) RenderDate(*section, number, out);
  } else {
    if (section->multiplier > 1) number *= section->multiplier;
    if (section->core.empty())
      RenderGeneral(number, out);
    else
      RenderNumber(*section, number, out);
  }
  out += section->suffix;
  if (!html) return;

  const bool colored = section->color >= 0;
  // Most rendered numbers and dates hold nothing to escape: they stay as
  // they are, without a copy.
  if (!colored && out.size() > start && !NeedsEscaping(std::u16string_view(out).substr(start), true)) return;
  scratch_.assign(out, start);
  if (scratch_.empty()) scratch_ = u" ";
  out.resize(start);
  if (colored) out += u"<font color=\"" + std::u16string(kColorNames[section->color]) + u"\">";
  AppendEscaped(scratch_, true, out);
  if (colored) out += u"</font>";
}

void TXLSFormater::AppendPlain(const TVariant& value, bool html, std::u16string& out) const {
  const size_t start = out.size();
  switch (value.VarType()) {
    case varSingle:
    case varDouble:
    case varCurrency:
      RenderGeneral(value.ToDouble(), out);
      break;
    case varOleStr:
      out += value.WideValue();
      break;
    default:
      out += value.ToWide();
  }
  if (!html) return;
  if (out.size() == start) {
    out += u"&nbsp;";
    return;
  }
  if (!NeedsEscaping(std::u16string_view(out).substr(start), false)) return;
  scratch_.assign(out, start);
  out.resize(start);
  AppendEscaped(scratch_, false, out);
}

void TXLSFormater::RenderGeneral(double value, std::u16string& out) const {
  if (!std::isfinite(value)) {
    out += FloatToText(value);
    return;
  }
  // The shortest text that reads back as the value, when it has no more
  // than fifteen significant digits; otherwise fifteen digits, then the
  // shortest text of what they give.
  const size_t start = out.size();
  out += FloatToText(value);
  int significant = 0;
  for (size_t i = start; i < out.size() && out[i] != u'E'; ++i)
    if (out[i] >= u'0' && out[i] <= u'9' && (significant > 0 || out[i] != u'0')) ++significant;
  if (significant > kGeneralDigits) {
    out.resize(start);
    RenderFifteenDigits(value, out);
  }
  for (size_t i = start; i < out.size(); ++i)
    if (out[i] == u'.') out[i] = decimalSeparator_;
}

void TXLSFormater::RenderFifteenDigits(double value, std::u16string& out) const {
  char digits[32];
  auto [end, ec] =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::scientific, kGeneralDigits - 1);
  *end = '\0';
  out += FloatToText(std::strtod(digits, nullptr));
}

void TXLSFormater::LayOutNumber(TSection& section) {
  const std::u16string_view core = section.core;
  section.point = core.find(u'.');
  const std::u16string_view intPattern = core.substr(0, section.point);
  section.grouping = intPattern.find(u',') != std::u16string_view::npos;
  section.leftmost = intPattern.find_first_of(u"0#");
  section.decimals = 0;
  if (section.point != std::u16string_view::npos)
    for (const char16_t c : core.substr(section.point + 1))
      if (IsPlaceholder(c)) ++section.decimals;
}

void TXLSFormater::RenderNumber(const TSection& section, double value, std::u16string& out) {
  if (!std::isfinite(value)) {
    out += FloatToText(value);
    return;
  }
  const std::u16string_view core = section.core;
  const std::u16string_view intPattern = core.substr(0, section.point);
  const std::u16string_view fracPattern =
      section.point == std::u16string_view::npos ? u"" : core.substr(section.point + 1);

  // The rounded digits of the magnitude (ties to even on the exact value).
  // A double has at most 309 integer digits.
  char small[64];
  std::string large;
  char* digits = small;
  size_t room = sizeof small;
  if (std::fabs(value) >= 1e20 || section.decimals > 30) {
    large.resize(330 + static_cast<size_t>(section.decimals));
    digits = large.data();
    room = large.size();
  }
  auto [end, ec] = std::to_chars(digits, digits + room, std::fabs(value), std::chars_format::fixed, section.decimals);
  if (ec != std::errc()) {
    RenderGeneral(value, out);
    return;
  }
  const std::string_view all(digits, static_cast<size_t>(end - digits));
  const size_t dot = all.find('.');
  std::string_view intDigits = all.substr(0, dot);
  const std::string_view fracDigits = dot == std::string_view::npos ? std::string_view() : all.substr(dot + 1);
  if (intDigits == "0") intDigits = {};

  // The integer part, built from the right: each placeholder takes one digit
  // and the leftmost takes what is left; "0" shows a zero where no digit is.
  reversed_.clear();
  size_t left = intDigits.size();
  int emitted = 0;
  auto emit = [&](char16_t digit) {
    if (section.grouping && emitted > 0 && emitted % 3 == 0) reversed_ += thousandSeparator_;
    reversed_ += digit;
    ++emitted;
  };
  for (size_t k = intPattern.size(); k-- > 0;) {
    const char16_t c = intPattern[k];
    if (IsPlaceholder(c)) {
      if (left > 0)
        emit(static_cast<char16_t>(intDigits[--left]));
      else if (c == u'0')
        emit(u'0');
      if (k == section.leftmost)
        while (left > 0) emit(static_cast<char16_t>(intDigits[--left]));
    } else if (c != u',') {
      reversed_ += c;
    }
  }
  // A core without integer placeholders still shows the integer digits.
  if (section.leftmost == std::u16string_view::npos)
    while (left > 0) emit(static_cast<char16_t>(intDigits[--left]));

  if (value < 0) out += u'-';
  out.append(reversed_.rbegin(), reversed_.rend());
  if (section.point == std::u16string_view::npos) return;
  out += decimalSeparator_;
  // Trailing zeros under "#" are not shown.
  int shown = section.decimals;
  for (size_t k = fracPattern.size(); k-- > 0 && shown > 0;) {
    const char16_t c = fracPattern[k];
    if (!IsPlaceholder(c)) continue;
    if (c == u'#' && fracDigits[static_cast<size_t>(shown - 1)] == '0')
      --shown;
    else
      break;
  }
  int next = 0;
  for (const char16_t c : fracPattern) {
    if (IsPlaceholder(c)) {
      if (next < shown) out += static_cast<char16_t>(fracDigits[static_cast<size_t>(next)]);
      ++next;
    } else {
      out += c;
    }
  }
}

void TXLSFormater::LayOutDate(TSection& section) {
  using T = TDateToken;
  const std::u16string_view core = section.core;
  for (size_t i = 0; i < core.size(); ++i)
    if (StartsWithNoCase(core, i, u"am/pm") || StartsWithNoCase(core, i, u"a/p")) section.twelveHour = true;
  bool afterHour = false;
  size_t i = 0;
  while (i < core.size()) {
    const char16_t c = Lower(core[i]);
    const size_t n = std::u16string_view(u"dmyhs").find(c) == std::u16string_view::npos ? 1 : RunLength(core, i);
    const uint8_t width = static_cast<uint8_t>(n >= 2 ? 2 : 1);
    T token{T::dkLiteral, 1, static_cast<uint32_t>(i)};
    switch (c) {
      case u'd':
        token.kind = n <= 2 ? T::dkDay : n == 3 ? T::dkWeekdayShort : T::dkWeekdayLong;
        token.width = width;
        afterHour = false;
        break;
      case u'm':
        // Right after an hour, m and mm are minutes.
        token.kind = n <= 2 ? (afterHour ? T::dkMinute : T::dkMonth) : n == 3 ? T::dkMonthShort : T::dkMonthLong;
        token.width = width;
        afterHour = false;
        break;
      case u'y':
        token.kind = n <= 2 ? T::dkYear2 : T::dkYear4;
        afterHour = false;
        break;
      case u'h':
        token.kind = T::dkHour;
        token.width = width;
        afterHour = true;
        break;
      case u's':
        token.kind = T::dkSecond;
        token.width = width;
        afterHour = false;
        break;
      case u'a':
        if (StartsWithNoCase(core, i, u"am/pm")) {
          token.kind = T::dkAmPm;
          section.tokens.push_back(token);
          i += 5;
          continue;
        }
        if (StartsWithNoCase(core, i, u"a/p")) {
          token.kind = T::dkAP;
          section.tokens.push_back(token);
          i += 3;
          continue;
        }
        break;
      case u'/':
        token.kind = T::dkDateSeparator;
        break;
      case u':':
        token.kind = T::dkTimeSeparator;
        break;
      default:
        break;
    }
    section.tokens.push_back(token);
    i += n;
  }
}

void TXLSFormater::RenderDate(const TSection& section, double serial, std::u16string& out) const {
  using T = TDateToken;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
  // Seconds are shown rounded, not cut.
  const double rounded = std::round(serial * kSecondsPerDay) / kSecondsPerDay;
  if (!DecodeDateTime(rounded, year, month, day, hour, minute, second, millisecond)) {
    RenderGeneral(serial, out);
    return;
  }
  const int weekday = static_cast<int>(((static_cast<int64_t>(std::floor(rounded)) % 7) + 13) % 7);
  const std::u16string_view core = section.core;
  for (const TDateToken& token : section.tokens) {
    switch (token.kind) {
      case T::dkDay:
        AppendNumber(out, day, token.width);
        break;
      case T::dkWeekdayShort:
        out += shortDays_[weekday];
        break;
      case T::dkWeekdayLong:
        out += longDays_[weekday];
        break;
      case T::dkMonth:
        AppendNumber(out, month, token.width);
        break;
      case T::dkMonthShort:
        out += shortMonths_[month - 1];
        break;
      case T::dkMonthLong:
        out += longMonths_[month - 1];
        break;
      case T::dkMinute:
        AppendNumber(out, minute, token.width);
        break;
      case T::dkYear2:
        AppendNumber(out, year % 100, 2);
        break;
      case T::dkYear4:
        AppendNumber(out, year, 4);
        break;
      case T::dkHour:
        AppendNumber(out, section.twelveHour ? (hour % 12 == 0 ? 12 : hour % 12) : hour, token.width);
        break;
      case T::dkSecond:
        AppendNumber(out, second, token.width);
        break;
      case T::dkAmPm:
        out += core.substr(hour < 12 ? token.at : token.at + 3u, 2);
        break;
      case T::dkAP:
        out += core[hour < 12 ? token.at : token.at + 2u];
        break;
      case T::dkDateSeparator:
        out += dateSeparator_;
        break;
      case T::dkTimeSeparator:
        out += timeSeparator_;
        break;
      case T::dkLiteral:
        out += core[token.at];
        break;
    }
  }
}

}  // namespace lx
