// The value formatter: sections, literal text, colours, the numeric and the
// date/time renderers and HTML escaping, under fixed locale values.
#include <gtest/gtest.h>

#include "lxMasks.h"
#include "support/LocaleGuard.h"

namespace lx {
namespace {

using test::TLocaleGuard;

struct TCase {
  TVariant value;
  std::u16string format;
  std::u16string expected;
  bool html = false;
};

void Check(const std::vector<TCase>& cases) {
  TXLSFormater formater;
  for (const TCase& c : cases) {
    const std::string label = WideToAnsi(c.format) + " / " + WideToAnsi(c.value.ToWide());
    EXPECT_EQ(WideToAnsi(formater.FormatValue(c.value, c.format, c.html)), WideToAnsi(c.expected)) << label;
  }
}

const double kStamp = EncodeDateTime(2023, 4, 2, 14, 7, 30, 0);  // a Sunday

TEST(ValueFormatter, SectionsAndNumbers) {
  const TLocaleGuard locale{TFormatSettings{}};
  Check({
      {1234.5, u"#,##0.00", u"1,234.50"},
      {1234567.891, u"#,##0.00", u"1,234,567.89"},
      {1234.5, u"0.00%", u"123450.00%"},  // the multiplier applies before the core
      {0.5, u"0%", u"50%"},
      {-5, u"0;(0)", u"(5)"},           // its own section: no minus sign
      {-5, u"0", u"-5"},                // the first section serves: a minus sign
      {0, u"0;-0;\"zero\"", u"zero0"},  // a section without placeholders prints the number
      {0, u"0.0;(0.0)", u"0.0"},        // two sections: zero takes the first
      {0.5, u"General", u"0.5"},
      {1234.5, u"0.00E+00", u"1234.50E+00"},  // no exponents: literal suffix
      {0.125, u"0.00", u"0.12"},              // ties to even
      {2.5, u"0", u"2"},
      {9.999, u"0.00", u"10.00"},
      {1, u"#.##", u"1."},
      {1.5, u"0.0#", u"1.5"},
      {1.25, u"0.0#", u"1.25"},
      {0.5, u"#.00", u".50"},
      {7, u"000", u"007"},
      {5, u"0_)", u"5 "},
      {5, u"\\$0", u"$5"},
      {5, u"\"Total: \"0 \"kg\"", u"Total: 5 kg"},
      {5, u"d", u"5d"},                             // a lone d is no date code
      {1234.5, u"[Cyan]0.00", u"1234.5Cyan]0.00"},  // unknown colours stay, and end the core
      {int16_t{12}, u"0.0", u"12.0"},
      {TVariant::FromCurrency(12345), u"0.00", u"1.23"},  // 1.2345 rounds to 1.23
      {true, u"0.00", u"True"},
      {false, u"", u"False"},
      {u"text", u"0;0;0;@", u"text"},  // text is always plain
      {int64_t{42}, u"0.00", u"42"},   // 64-bit integers are plain
      {TVariant::Null(), u"0.00", u""},
      {1.0 / 3.0, u"", u"0.333333333333333"},  // fifteen digits in general
  });
}

TEST(ValueFormatter, DatesAndTimes) {
  const TLocaleGuard locale{TFormatSettings{}};
  Check({
      {TVariant::FromDate(kStamp), u"dd/mm/yyyy", u"02/04/2023"},
      {kStamp, u"d/m/yy", u"2/4/23"},  // any number is a serial under a date format
      {kStamp, u"[h]:mm", u"14:07"},   // the hour of the day, not elapsed hours
      {kStamp, u"hh:mm:ss", u"14:07:30"},
      {kStamp, u"h:mm AM/PM", u"2:07 PM"},
      {kStamp, u"h:mm am/pm", u"2:07 pm"},
      {kStamp, u"hh a/p", u"02 p"},
      {kStamp, u"ddd dddd", u"Sun Sunday"},
      {kStamp, u"mmm mmmm", u"Apr April"},
      {kStamp, u"yyyy-mm-dd", u"2023-04-02"},
      {-1.0, u"dd/mm/yyyy", u"29/12/1899"},
      {EncodeDateTime(2023, 4, 2, 9, 59, 59, 600), u"hh:mm:ss", u"10:00:00"},  // seconds round
  });
}

TEST(ValueFormatter, LocaleSeparatorsAndNames) {
  TFormatSettings german;
  german.DecimalSeparator = ',';
  german.ThousandSeparator = '.';
  german.DateSeparator = '.';
  german.ShortMonthNames[3] = "Apr.";
  const TLocaleGuard locale{german};
  Check({
      {1234.5, u"#,##0.00", u"1.234,50"},
      {0.5, u"", u"0,5"},
      {kStamp, u"dd/mm/yyyy hh:mm", u"02.04.2023 14:07"},
      {kStamp, u"d mmm", u"2 Apr."},
  });
}

TEST(ValueFormatter, HTML) {
  const TLocaleGuard locale{TFormatSettings{}};
  Check({
      {u"", u"", u"&nbsp;", true},
      {u"a<b & \"c\">", u"", u"a&lt;b &amp; &quot;c&quot;&gt;", true},  // plain: spaces stay
      {u"one\r\ntwo\rthree\nfour", u"@", u"one<br>two<br>three\nfour", true},
      {5, u"0 \"kg\"", u"5&nbsp;kg", true},
      {0.5, u"[Red]General", u"<font color=\"red\">0.5</font>", true},
      {-2, u"0;[BLUE]-0", u"<font color=\"blue\">-2</font>", true},
      {true, u"0", u"True", true},
  });
  EXPECT_EQ(TXLSFormater::EscapeHTML(u"&lt;"), u"&amp;lt;");  // & first, once
}

}  // namespace
}  // namespace lx
