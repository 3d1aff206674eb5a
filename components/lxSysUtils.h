// Locale formats and the framework's number and date-time text.
//
// Fields show their values through the framework's format languages: a
// number format such as "#,##0.00;(#,##0.00)" and a date-time format such as
// "dd.mm.yyyy hh:nn". Fields without a display format fall back on the
// locale's short date, long time and number conventions, and the grid export
// writes the locale's short date and time formats into the spreadsheet as
// number formats. This unit holds the two formatters, plus the parser the programs use to read a typed date.
//
// The locale values are the engine's process-wide record (lxLocale.h),
// which the engine's value formatter reads too.
//
// Date-time patterns (letters in either case):
//   d dd ddd dddd   day, two-digit day, short and long weekday name
//   ddddd dddddd    the short date format (both)
//   m mm mmm mmmm   month, two-digit month, short and long month name; m and
//                   mm right after an hour are minutes instead
//   yy yyyy         two- and four-digit year
//   h hh            hour, 12-hour when the pattern holds am/pm, a/p or ampm
//   n nn s ss       minute, second;  z zzz  milliseconds
//   t tt            the short and long time formats;  c  short date and,
//                   when the time is not midnight, long time
//   am/pm a/p       "am"/"pm" or "a"/"p" in the letter case written
//   ampm            the locale's AM and PM strings
//   'text' "text"   literal text; every other character is copied
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lxLocale.h"

namespace lx {

// Text of a date-time (days since 30 December 1899) in a pattern; an empty
// pattern means "c". Values outside the years 1..9999 give the empty text.
std::string FormatDateTime(std::string_view format, double dateTime,
                           const TFormatSettings& settings = FormatSettings());

// Text of a number in the framework's number format: up to three sections
// separated by ';' for positive, negative and zero values (a negative value
// printed by its own section loses its minus sign); 0 a digit always shown,
// # a digit shown when significant, . the decimal point, , anywhere in the
// integer part groups thousands, E+ E- e+ e- an exponent, 'text' "text"
// literal, any other character copied. An empty format gives the shortest
// text that reads back as the same number.
std::string FormatFloat(std::string_view format, double value, const TFormatSettings& settings = FormatSettings());

// Reads a date, optionally followed by a time, typed in the order of the
// short date format (month, day, year for "M/d/yyyy"): numbers separated by
// '/', '.', '-' or blanks, then h[:mm[:ss]] with an optional AM or PM. Years
// below 100 are taken as 2000-2049 or 1950-1999. False for anything else.
bool TryStrToDateTime(std::string_view text, double& dateTime, const TFormatSettings& settings = FormatSettings());

}  // namespace lx
