// Locale formats, date-time and number text, typed dates.
#include <gtest/gtest.h>

#include "lxSysUtils.h"
#include "lxVariant.h"

namespace lx {
namespace {

TFormatSettings Us() { return TFormatSettings{}; }

TFormatSettings German() {
  TFormatSettings s;
  s.ShortDateFormat = "dd.MM.yyyy";
  s.ShortTimeFormat = "HH:mm";
  s.LongTimeFormat = "HH:mm:ss";
  s.DecimalSeparator = ',';
  s.ThousandSeparator = '.';
  s.CurrencyString = "EUR ";
  return s;
}

TEST(LocaleFormats, CLocaleGivesUnitedStatesDesktopDefaults) {
  for (const char* name : {"C", "POSIX", "C.UTF-8", "no_such_LOCALE"}) {
    const TFormatSettings s = FormatSettingsFromLocale(name);
    EXPECT_EQ(s.ShortDateFormat, "M/d/yyyy") << name;
    EXPECT_EQ(s.ShortTimeFormat, "h:mm AMPM") << name;
    EXPECT_EQ(s.LongTimeFormat, "h:mm:ss AMPM") << name;
    EXPECT_EQ(s.DecimalSeparator, '.') << name;
  }
}

TEST(LocaleFormats, StrftimePatternsBecomeFrameworkPatterns) {
  EXPECT_EQ(StrftimeToFormat("%d.%m.%Y"), "dd.MM.yyyy");
  EXPECT_EQ(StrftimeToFormat("%m/%d/%y"), "MM/dd/yy");
  EXPECT_EQ(StrftimeToFormat("%Y-%m-%d"), "yyyy-MM-dd");
  EXPECT_EQ(StrftimeToFormat("%e %B %Y"), "d MMMM yyyy");
  EXPECT_EQ(StrftimeToFormat("%H:%M:%S"), "HH:mm:ss");
  EXPECT_EQ(StrftimeToFormat("%I:%M:%S %p"), "hh:mm:ss AMPM");
  EXPECT_EQ(StrftimeToFormat("%r"), "hh:mm:ss AMPM");
  // The short time drops the seconds with their separator.
  EXPECT_EQ(StrftimeToFormat("%H:%M:%S", true), "HH:mm");
  EXPECT_EQ(StrftimeToFormat("%I:%M:%S %p", true), "hh:mm AMPM");
  EXPECT_EQ(StrftimeToFormat("%T", true), "HH:mm");
  // Literal letters are quoted so that they do not read as pattern letters.
  EXPECT_EQ(StrftimeToFormat("%Hh%M"), "HH\"h\"mm");
  EXPECT_EQ(StrftimeToFormat("%d. %m. %Y %Z"), "dd. MM. yyyy ");
}

TEST(LocaleFormats, ProcessWideValuesCanBeReplaced) {
  const TFormatSettings saved = FormatSettings();
  SetFormatSettings(German());
  EXPECT_EQ(FormatSettings().ShortDateFormat, "dd.MM.yyyy");
  EXPECT_EQ(FormatDateTime("ddddd", EncodeDate(1994, 6, 15)), "15.06.1994");
  SetFormatSettings(saved);
  EXPECT_EQ(FormatSettings().ShortDateFormat, saved.ShortDateFormat);
}

TEST(DateTimeText, DatePartsAndNames) {
  const double d = EncodeDateTime(1994, 6, 5, 14, 7, 9, 45);  // a Sunday
  const TFormatSettings us = Us();
  EXPECT_EQ(FormatDateTime("M/d/yyyy", d, us), "6/5/1994");
  EXPECT_EQ(FormatDateTime("dd.mm.yy", d, us), "05.06.94");
  EXPECT_EQ(FormatDateTime("ddd dddd mmm mmmm", d, us), "Sun Sunday Jun June");
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", d, us), "1994-06-05 14:07:09.045");
  EXPECT_EQ(FormatDateTime("'Day' d", d, us), "Day 5");
}

TEST(DateTimeText, MinutesAfterHoursAndHalfDays) {
  const double d = EncodeDateTime(2023, 4, 2, 14, 5, 0, 0);
  const TFormatSettings us = Us();
  // m right after an hour means minutes; elsewhere months.
  EXPECT_EQ(FormatDateTime("hh:mm", d, us), "14:05");
  EXPECT_EQ(FormatDateTime("mm/dd hh:mm", d, us), "04/02 14:05");
  EXPECT_EQ(FormatDateTime("h:mm AMPM", d, us), "2:05 PM");
  EXPECT_EQ(FormatDateTime("h:nn am/pm", d, us), "2:05 pm");
  EXPECT_EQ(FormatDateTime("h:nn A/P", d, us), "2:05 P");
  EXPECT_EQ(FormatDateTime("h AMPM", EncodeDateTime(2023, 4, 2, 0, 30, 0, 0), us), "12 AM");
  EXPECT_EQ(FormatDateTime("h AMPM", EncodeDateTime(2023, 4, 2, 12, 0, 0, 0), us), "12 PM");
}

TEST(DateTimeText, CombinedFormatLeavesOutMidnight) {
  const TFormatSettings us = Us();
  EXPECT_EQ(FormatDateTime("c", EncodeDate(1994, 6, 15), us), "6/15/1994");
  EXPECT_EQ(FormatDateTime("c", EncodeDateTime(1994, 6, 15, 9, 30, 0, 0), us), "6/15/1994 9:30:00 AM");
  EXPECT_EQ(FormatDateTime("", EncodeDateTime(1994, 6, 15, 9, 30, 0, 0), German()), "15.06.1994 09:30:00");
  EXPECT_EQ(FormatDateTime("t", EncodeTime(18, 45, 0, 0), German()), "18:45");
  EXPECT_EQ(FormatDateTime("c", 1e9, us), "") << "outside the valid years";
}

TEST(NumberText, PlaceholdersGroupingAndRounding) {
  const TFormatSettings us = Us();
  EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891, us), "1,234,567.89");
  EXPECT_EQ(FormatFloat("#,##0.00", 0.5, us), "0.50");
  EXPECT_EQ(FormatFloat("0.##", 2.5, us), "2.5");
  EXPECT_EQ(FormatFloat("0.##", 2, us), "2");
  EXPECT_EQ(FormatFloat("#.##", 0.25, us), ".25");
  EXPECT_EQ(FormatFloat("000", 7, us), "007");
  EXPECT_EQ(FormatFloat("0", 1234.5, us), "1234") << "ties round as printf does, to even";
  EXPECT_EQ(FormatFloat("0", 1235.5, us), "1236");
  EXPECT_EQ(FormatFloat("#,##0", 999999.6, us), "1,000,000");
  EXPECT_EQ(FormatFloat("$#,##0.00 'net'", 1500, us), "$1,500.00 net");
  EXPECT_EQ(FormatFloat("#,##0.00", 1234.5, German()), "1.234,50");
}

TEST(NumberText, SectionsAndSigns) {
  const TFormatSettings us = Us();
  EXPECT_EQ(FormatFloat("#,##0.00", -1234.5, us), "-1,234.50");
  EXPECT_EQ(FormatFloat("#,##0.00;(#,##0.00)", -1234.5, us), "(1,234.50)");
  EXPECT_EQ(FormatFloat("0.00;-0.00;'zero'", 0, us), "zero");
  EXPECT_EQ(FormatFloat("0.0", -0.01, us), "0.0") << "a value that rounds to zero loses its sign";
  EXPECT_EQ(FormatFloat("0.00E+00", 12345, us), "1.23E+04");
  EXPECT_EQ(FormatFloat("0.0E-0", 0.00099, us), "9.9E-4");
  EXPECT_EQ(FormatFloat("", 0.1, us), "0.1");
  EXPECT_EQ(FormatFloat("", 1234.5, German()), "1234,5");
}

TEST(DateTimeText, SelfNamingLocaleFormatsDoNotRecurse) {
  TFormatSettings odd;
  odd.ShortDateFormat = "c";
  odd.LongTimeFormat = "tt";
  // Reaching the end at all is the point; the expansions stop two levels deep.
  EXPECT_LT(FormatDateTime("c", EncodeDateTime(1994, 6, 15, 1, 0, 0, 0), odd).size(), 20u);
  EXPECT_EQ(FormatDateTime("ddddd 'at' d", EncodeDate(1994, 6, 15), odd), " at 15");
}

TEST(NumberText, OversizedFormatsStayBounded) {
  const std::string manyDecimals = "0." + std::string(500, '0');
  const std::string text = FormatFloat(manyDecimals, 1.5, Us());
  EXPECT_EQ(text.substr(0, 5), "1.500");
  EXPECT_LE(text.size(), 40u);
  EXPECT_EQ(FormatFloat(std::string(300, '0'), 42, Us()).size(), 64u);
  EXPECT_EQ(FormatFloat("#,##0", 1e300, Us()).size(), 301u + 100u);
}

TEST(TypedDates, OrderFollowsTheShortDateFormat) {
  double d = 0;
  ASSERT_TRUE(TryStrToDateTime("1/1/1994", d, Us()));
  EXPECT_EQ(d, EncodeDate(1994, 1, 1));
  ASSERT_TRUE(TryStrToDateTime("6/15/1993", d, Us()));
  EXPECT_EQ(d, EncodeDate(1993, 6, 15));
  ASSERT_TRUE(TryStrToDateTime("15.06.1993", d, German()));
  EXPECT_EQ(d, EncodeDate(1993, 6, 15));
  EXPECT_FALSE(TryStrToDateTime("15/6/1993", d, Us())) << "month 15";
}

TEST(TypedDates, TimesAndTwoDigitYears) {
  double d = 0;
  ASSERT_TRUE(TryStrToDateTime("6/15/93 2:30 PM", d, Us()));
  EXPECT_DOUBLE_EQ(d, EncodeDateTime(1993, 6, 15, 14, 30, 0, 0));
  ASSERT_TRUE(TryStrToDateTime("1/2/05 12:00:30 am", d, Us()));
  EXPECT_DOUBLE_EQ(d, EncodeDateTime(2005, 1, 2, 0, 0, 30, 0));
  ASSERT_TRUE(TryStrToDateTime("02.01.2005 23:59", d, German()));
  EXPECT_DOUBLE_EQ(d, EncodeDateTime(2005, 1, 2, 23, 59, 0, 0));
  for (const char* bad : {"", "1/1", "a/b/c", "1/1/1994 25:00", "1/1/1994 13:00 PM", "1/1/1994 x", "2/30/1994"})
    EXPECT_FALSE(TryStrToDateTime(bad, d, Us())) << bad;
}

}  // namespace
}  // namespace lx
