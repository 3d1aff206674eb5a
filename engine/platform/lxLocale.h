// The locale values: how the system writes numbers, dates and times.
//
// One process-wide record holds the decimal and thousands separators, the
// date and time separators, the short date and the short and long time
// patterns, the AM and PM strings, the currency string and the day and month
// names. On first use it is read from the process locale (LC_TIME,
// LC_NUMERIC, LC_MONETARY as set with setlocale): the C library's date and
// time patterns are translated into the framework's pattern language
// ("%d.%m.%Y" becomes "dd.MM.yyyy"; the short time drops the seconds). The C
// and POSIX locales, which carry no regional choice, give the defaults of a
// United States desktop: "M/d/yyyy", "h:mm AMPM" and "h:mm:ss AMPM", with
// English names. Tests and programs can replace the record with
// SetFormatSettings. Texts are 8-bit text in the system code page.
//
// The engine's value formatter and the framework layer's formatters
// (components/lxSysUtils.h) read it.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace lx {

// The locale values that dates, times and numbers are shown with.
struct TFormatSettings {
  // The short date pattern.
  std::string ShortDateFormat = "M/d/yyyy";
  // The short time pattern.
  std::string ShortTimeFormat = "h:mm AMPM";
  // The long time pattern.
  std::string LongTimeFormat = "h:mm:ss AMPM";
  // The text of the morning half of a 12-hour clock.
  std::string TimeAMString = "AM";
  // The text of the afternoon half of a 12-hour clock.
  std::string TimePMString = "PM";
  // The decimal separator.
  char DecimalSeparator = '.';
  // The thousands separator.
  char ThousandSeparator = ',';
  // What "/" and ":" of a date or time format print.
  char DateSeparator = '/';
  // What ":" of a time format prints.
  char TimeSeparator = ':';
  // Written before the amount of a currency field without a display format.
  std::string CurrencyString = "$";
  // Names by month (January first) and by weekday (Sunday first).
  std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  // Full month names, January first.
  std::array<std::string, 12> LongMonthNames{"January", "February", "March",     "April",   "May",      "June",
                                             "July",    "August",   "September", "October", "November", "December"};
  // Short weekday names, Sunday first.
  std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  // Full weekday names, Sunday first.
  std::array<std::string, 7> LongDayNames{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
};

// The process-wide locale values, read from the process locale on first use.
const TFormatSettings& FormatSettings();
// Replaces the locale values (tests, programs with a locale choice).
void SetFormatSettings(const TFormatSettings& settings);
// Reads the locale values again from the process locale.
void ResetFormatSettings();

// The values of a named C library locale ("de_DE.UTF-8"); an empty name
// means the process locale. C, POSIX, C.* and names the system does not know
// give the United States defaults.
TFormatSettings FormatSettingsFromLocale(std::string_view localeName);

// Translates a C library date or time pattern (strftime) into the
// framework's pattern language. With shortTime the seconds and the
// separator before them are left out.
std::string StrftimeToFormat(std::string_view pattern, bool shortTime = false);

}  // namespace lx
