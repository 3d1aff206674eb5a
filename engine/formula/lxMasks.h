// The value formatter: a cell value under its number format, as text.
//
// TXLSFormater turns a value and the text of its number format into what a
// reader of an exported document sees: plain text for the RTF and CSV
// writers and auto-fit, HTML-ready text (entities, non-breaking spaces, a
// font colour) for the HTML writer. It is not a full number-format engine:
// it splits a format into up to four sections, picks one by the value, peels
// off literal text, percent scaling and one colour, and hands the remaining
// core to a numeric or a date/time renderer.
//
// A format text is parsed once per formatter: the parsed sections are kept
// by format text, so a column of cells under one format is not parsed again.
// The decimal and thousands separators, the date and time separators and the
// day and month names are the locale's (lxLocale.h), taken when the
// formatter is created.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lxVariant.h"

namespace lx {

class TXLSFormater {
 public:
  TXLSFormater();

  // The display text of a value under a number format; with html, escaped
  // for an HTML page.
  std::u16string FormatValue(const TVariant& value, std::u16string_view format, bool html = false);
  // The same text appended to out (writers that build lines or pages).
  void AppendValue(const TVariant& value, std::u16string_view format, bool html, std::u16string& out);

  // A text escaped for HTML: & < > and the double quote as entities, CR LF
  // and a lone CR as line breaks.
  static std::u16string EscapeHTML(std::u16string_view text);
  // The same appended to out; with spaces, every space as "&nbsp;".
  static void AppendEscaped(std::u16string_view text, bool spaces, std::u16string& out);
  // Whether AppendEscaped would change the text.
  static bool NeedsEscaping(std::u16string_view text, bool spaces);

  // One piece of a date/time core: a code with its width, a separator or a
  // literal character at a position of the core.
  struct TDateToken {
    enum TKind : uint8_t {
      dkDay,
      dkWeekdayShort,
      dkWeekdayLong,
      dkMonth,
      dkMonthShort,
      dkMonthLong,
      dkMinute,
      dkYear2,
      dkYear4,
      dkHour,
      dkSecond,
      dkAmPm,
      dkAP,
      dkDateSeparator,
      dkTimeSeparator,
      dkLiteral
    };
    TKind kind;
    uint8_t width;
    uint32_t at;
  };

  // One section of a format, split into its parts.
  struct TSection {
    std::u16string prefix;
    std::u16string core;
    std::u16string suffix;
    double multiplier = 1.0;
    // Index into the colour names, or -1.
    int32_t color = -1;
    // The numeric core laid out: where its decimal point is, how many
    // decimals it shows, whether it groups thousands, where its leftmost
    // integer placeholder is.
    size_t point = std::u16string::npos;
    int32_t decimals = 0;
    bool grouping = false;
    size_t leftmost = std::u16string::npos;
    // The date/time core as tokens, and whether it asks for a 12-hour clock.
    std::vector<TDateToken> tokens;
    bool twelveHour = false;
  };
  // Splits one section (colour, General, literal text, percent, core).
  static TSection ParseSection(std::u16string_view section);

 private:
  struct TParsed {
    bool isDate = false;
    std::array<std::u16string, 4> texts;
    std::array<TSection, 4> sections;
  };

  const TParsed& Parse(std::u16string_view format);
  static void LayOutNumber(TSection& section);
  static void LayOutDate(TSection& section);
  void AppendPlain(const TVariant& value, bool html, std::u16string& out) const;
  void RenderNumber(const TSection& section, double value, std::u16string& out);
  void RenderGeneral(double value, std::u16string& out) const;
  void RenderFifteenDigits(double value, std::u16string& out) const;
  void RenderDate(const TSection& section, double serial, std::u16string& out) const;

  char16_t decimalSeparator_;
  char16_t thousandSeparator_;
  char16_t dateSeparator_;
  char16_t timeSeparator_;
  std::array<std::u16string, 12> shortMonths_;
  std::array<std::u16string, 12> longMonths_;
  std::array<std::u16string, 7> shortDays_;
  std::array<std::u16string, 7> longDays_;
  std::unordered_map<std::u16string, TParsed> parsed_;
  // The last format asked for, to skip the lookup for a run of cells.
  const std::u16string* lastText_ = nullptr;
  const TParsed* last_ = nullptr;
  // The integer digits of a number, built from the right.
  std::u16string reversed_;
  // A rendered text while it is escaped for HTML (kept to spare the
  // allocation per value).
  mutable std::u16string scratch_;
};

}  // namespace lx
