#include "lxLocale.h"

#include <langinfo.h>
#include <locale.h>

#include <cctype>
#include <optional>

#include "lxCodePage.h"
#include "lxText.h"

namespace lx {

namespace {

std::optional<TFormatSettings>& SettingsSlot() {
  static std::optional<TFormatSettings> settings;
  return settings;
}

// Appends a literal ASCII letter in quotes so that it does not read as a
// pattern letter; other characters go as they are.
void AppendLiteral(std::string& out, char c) {
  if (std::isalpha(static_cast<unsigned char>(c))) {
    out += '"';
    out += c;
    out += '"';
  } else {
    out += c;
  }
}

bool IsCLocaleName(std::string_view name) {
  return name.empty() || name == "C" || name == "POSIX" || name.substr(0, 2) == "C.";
}

// The first character of a strftime pattern that stands between two fields
// ("%d.%m.%Y" gives '.'); fallback when the pattern has none.
char SeparatorOf(std::string_view pattern, char fallback) {
  for (size_t i = 0; i + 1 < pattern.size(); ++i) {
    if (pattern[i] == '%') {
      ++i;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(pattern[i]);
    if (!std::isalnum(c) && c != ' ' && c < 0x80) return pattern[i];
  }
  return fallback;
}

}  // namespace

const TFormatSettings& FormatSettings() {
  auto& slot = SettingsSlot();
  if (!slot) slot = FormatSettingsFromLocale("");
  return *slot;
}

void SetFormatSettings(const TFormatSettings& settings) { SettingsSlot() = settings; }

void ResetFormatSettings() { SettingsSlot().reset(); }

TFormatSettings FormatSettingsFromLocale(std::string_view localeName) {
  TFormatSettings settings;
  std::string name(localeName);
  if (name.empty()) {
    const char* current = setlocale(LC_TIME, nullptr);
    name = current ? current : "C";
  }
  if (IsCLocaleName(name)) return settings;
  locale_t loc = newlocale(LC_TIME_MASK | LC_NUMERIC_MASK | LC_MONETARY_MASK, name.c_str(), locale_t(nullptr));
  if (loc == locale_t(nullptr)) return settings;
  std::string dateFormat = nl_langinfo_l(D_FMT, loc);
  std::string timeFormat = nl_langinfo_l(T_FMT, loc);
  if (!dateFormat.empty()) settings.ShortDateFormat = StrftimeToFormat(dateFormat);
  if (!timeFormat.empty()) {
    settings.LongTimeFormat = StrftimeToFormat(timeFormat);
    settings.ShortTimeFormat = StrftimeToFormat(timeFormat, true);
  }
  // The locale's texts come in its own character set; ours are 8-bit text
  // in the system code page.
  const std::string codeset = nl_langinfo_l(CODESET, loc);
  auto text = [&](nl_item item) {
    std::string value = nl_langinfo_l(item, loc);
    if (codeset == "UTF-8") value = WideToAnsi(Utf8ToUtf16(value));
    return value;
  };
  std::string am = text(AM_STR);
  std::string pm = text(PM_STR);
  if (!am.empty() && !pm.empty()) {
    settings.TimeAMString = am;
    settings.TimePMString = pm;
  }
  settings.DateSeparator = SeparatorOf(nl_langinfo_l(D_FMT, loc), settings.DateSeparator);
  settings.TimeSeparator = SeparatorOf(nl_langinfo_l(T_FMT, loc), settings.TimeSeparator);
  for (int i = 0; i < 12; ++i) {
    const std::string shortName = text(static_cast<nl_item>(ABMON_1 + i));
    const std::string longName = text(static_cast<nl_item>(MON_1 + i));
    if (!shortName.empty()) settings.ShortMonthNames[i] = shortName;
    if (!longName.empty()) settings.LongMonthNames[i] = longName;
  }
  for (int i = 0; i < 7; ++i) {
    const std::string shortName = text(static_cast<nl_item>(ABDAY_1 + i));
    const std::string longName = text(static_cast<nl_item>(DAY_1 + i));
    if (!shortName.empty()) settings.ShortDayNames[i] = shortName;
    if (!longName.empty()) settings.LongDayNames[i] = longName;
  }
  const char* radix = nl_langinfo_l(RADIXCHAR, loc);
  if (radix && radix[0] && !radix[1]) settings.DecimalSeparator = radix[0];
  const char* thousands = nl_langinfo_l(THOUSEP, loc);
  // Multi-byte separators (a no-break space in UTF-8) have no 8-bit form;
  // a plain space stands in for them.
  if (thousands && thousands[0]) settings.ThousandSeparator = thousands[1] ? ' ' : thousands[0];
  // CRNCYSTR carries a position marker before the symbol.
  std::string currency = text(CRNCYSTR);
  if (currency.size() > 1) settings.CurrencyString = currency.substr(1);
  freelocale(loc);
  return settings;
}

std::string StrftimeToFormat(std::string_view pattern, bool shortTime) {
  std::string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    if (c != '%') {
      AppendLiteral(out, c);
      continue;
    }
    if (++i >= pattern.size()) break;
    c = pattern[i];
    // The alternative-digit and era modifiers change nothing here.
    if ((c == 'E' || c == 'O') && i + 1 < pattern.size()) c = pattern[++i];
    switch (c) {
      case 'd':
        out += "dd";
        break;
      case 'e':
        out += "d";
        break;
      case 'm':
        out += "MM";
        break;
      case 'y':
        out += "yy";
        break;
      case 'Y':
      case 'G':
        out += "yyyy";
        break;
      case 'b':
      case 'h':
        out += "MMM";
        break;
      case 'B':
        out += "MMMM";
        break;
      case 'a':
        out += "ddd";
        break;
      case 'A':
        out += "dddd";
        break;
      case 'H':
        out += "HH";
        break;
      case 'k':
        out += "H";
        break;
      case 'I':
        out += "hh";
        break;
      case 'l':
        out += "h";
        break;
      case 'M':
        out += "mm";
        break;
      case 'S':
        if (shortTime) {
          while (!out.empty() && !std::isalpha(static_cast<unsigned char>(out.back())) && out.back() != '"')
            out.pop_back();
        } else {
          out += "ss";
        }
        break;
      case 'p':
      case 'P':
        out += "AMPM";
        break;
      case 'r':
        out += shortTime ? "hh:mm AMPM" : "hh:mm:ss AMPM";
        break;
      case 'T':
        out += shortTime ? "HH:mm" : "HH:mm:ss";
        break;
      case 'R':
        out += "HH:mm";
        break;
      case 'D':
        out += "MM/dd/yy";
        break;
      case 'F':
        out += "yyyy-MM-dd";
        break;
      case 'n':
      case 't':
        out += ' ';
        break;
      case '%':
        out += '%';
        break;
      default:
        break;  // time zones, week numbers and the like have no counterpart
    }
  }
  return out;
}

}  // namespace lx
