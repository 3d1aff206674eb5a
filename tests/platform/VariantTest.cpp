#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "lxVariant.h"

namespace lx {
namespace {

using R = TVarCompareResult;

TEST(Variant, ConstructorsPickTheTypeCodeOfTheValue) {
  EXPECT_EQ(TVariant().VarType(), varEmpty);
  EXPECT_EQ(TVariant::Null().VarType(), varNull);
  EXPECT_EQ(TVariant(int8_t{-1}).VarType(), varShortInt);
  EXPECT_EQ(TVariant(uint8_t{1}).VarType(), varByte);
  EXPECT_EQ(TVariant(int16_t{1}).VarType(), varSmallint);
  EXPECT_EQ(TVariant(uint16_t{1}).VarType(), varWord);
  EXPECT_EQ(TVariant(7).VarType(), varInteger);
  EXPECT_EQ(TVariant(7u).VarType(), varLongWord);
  EXPECT_EQ(TVariant(int64_t{7}).VarType(), varInt64);
  EXPECT_EQ(TVariant(7LL).VarType(), varInt64);
  EXPECT_EQ(TVariant(1.5f).VarType(), varSingle);
  EXPECT_EQ(TVariant(1.5).VarType(), varDouble);
  EXPECT_EQ(TVariant(true).VarType(), varBoolean);
  EXPECT_EQ(TVariant(u"w").VarType(), varOleStr);
  EXPECT_EQ(TVariant("a").VarType(), varString);
  EXPECT_EQ(TVariant::FromDate(1).VarType(), varDate);
  EXPECT_EQ(TVariant::FromCurrency(1).VarType(), varCurrency);
  EXPECT_EQ(TVariant::FromError(2042).VarType(), varError);
  EXPECT_EQ(TVariant::CreateArray(0, 1).VarType(), varArray | varVariant);
  // An unsigned 64-bit value beyond varInt64 is kept as a double.
  const TVariant huge(UINT64_MAX);
  EXPECT_EQ(huge.VarType(), varDouble);
  EXPECT_EQ(huge.ToDouble(), 18446744073709551616.0);
  EXPECT_EQ(TVariant(uint64_t{5}).VarType(), varInt64);
  EXPECT_EQ(TVariant(int16_t{-32768}).ToInt32(), -32768);
  EXPECT_EQ(TVariant(UINT32_MAX).ToInt64(), 4294967295);
}

TEST(Variant, ToDoubleTakesNumbersDatesBooleansAndNumericText) {
  bool ok = false;
  EXPECT_EQ(TVariant().ToDouble(&ok), 0);
  EXPECT_TRUE(ok);
  EXPECT_EQ(TVariant::Null().ToDouble(&ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(TVariant(-3).ToDouble(), -3);
  EXPECT_EQ(TVariant(0.1f).ToDouble(), static_cast<double>(0.1f));
  EXPECT_EQ(TVariant::FromCurrency(15000).ToDouble(), 1.5);
  EXPECT_EQ(TVariant::FromCurrency(-1).ToDouble(), -0.0001);
  EXPECT_EQ(TVariant::FromDate(-1.25).ToDouble(), -1.25);
  EXPECT_EQ(TVariant(true).ToDouble(), 1);
  EXPECT_EQ(TVariant(false).ToDouble(), 0);

  struct {
    const char16_t* text;
    bool ok;
    double value;
  } const texts[] = {
      {u"1.5", true, 1.5},   {u" 1.5e3 ", true, 1500}, {u"+2", true, 2},   {u"-.5", true, -0.5}, {u"7.", true, 7},
      {u"\t42\t", true, 42}, {u"1E-2", true, 0.01},    {u"1,5", false, 0}, {u"abc", false, 0},   {u"", false, 0},
      {u"  ", false, 0},     {u"inf", false, 0},       {u"nan", false, 0}, {u"0x10", false, 0},  {u"1e", false, 0},
      {u".", false, 0},      {u"1e999", false, 0},     {u"--1", false, 0}, {u"1 2", false, 0},   {u"\uFF11", false, 0},
  };
  for (const auto& t : texts) {
    SCOPED_TRACE(std::string(t.text, t.text + std::char_traits<char16_t>::length(t.text)));
    EXPECT_EQ(TVariant(t.text).ToDouble(&ok), t.value);
    EXPECT_EQ(ok, t.ok);
  }
  EXPECT_EQ(TVariant("2.25").ToDouble(&ok), 2.25);
  EXPECT_TRUE(ok);
  EXPECT_EQ(TVariant::FromError(7).ToDouble(&ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(TVariant::CreateArray(0, 1).ToDouble(&ok), 0);
  EXPECT_FALSE(ok);
}

TEST(Variant, IntegerConversionRoundsHalvesToEvenAndChecksRange) {
  bool ok = false;
  EXPECT_EQ(TVariant(2.5).ToInt32(), 2);
  EXPECT_EQ(TVariant(3.5).ToInt32(), 4);
  EXPECT_EQ(TVariant(-2.5).ToInt32(), -2);
  EXPECT_EQ(TVariant(-2.6).ToInt32(), -3);
  EXPECT_EQ(TVariant::FromCurrency(25000).ToInt32(), 2);
  EXPECT_EQ(TVariant::FromCurrency(35000).ToInt32(), 4);
  EXPECT_EQ(TVariant::FromCurrency(-15000).ToInt32(), -2);
  EXPECT_EQ(TVariant::FromCurrency(-25001).ToInt32(), -3);
  EXPECT_EQ(TVariant(u" 7 ").ToInt32(&ok), 7);
  EXPECT_TRUE(ok);
  EXPECT_EQ(TVariant(true).ToInt32(), 1);
  EXPECT_EQ(TVariant(1e10).ToInt32(&ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(TVariant(1e10).ToInt64(&ok), 10000000000);
  EXPECT_TRUE(ok);
  EXPECT_EQ(TVariant(int64_t{INT32_MAX} + 1).ToInt32(&ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(TVariant(INT32_MIN).ToInt32(&ok), INT32_MIN);
  EXPECT_TRUE(ok);
  EXPECT_EQ(TVariant(9.3e18).ToInt64(&ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(TVariant(std::nan("")).ToInt64(&ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(TVariant(INT64_MIN).ToInt64(), INT64_MIN);
}

TEST(Variant, ToBoolReadsNumbersAndTrueFalseText) {
  bool ok = false;
  EXPECT_TRUE(TVariant(u"TRUE").ToBool(&ok));
  EXPECT_TRUE(ok);
  EXPECT_FALSE(TVariant(" false ").ToBool(&ok));
  EXPECT_TRUE(ok);
  EXPECT_FALSE(TVariant(u"0").ToBool());
  EXPECT_TRUE(TVariant(u"-0.5").ToBool());
  EXPECT_FALSE(TVariant(u"yes").ToBool(&ok));
  EXPECT_FALSE(ok);
  EXPECT_TRUE(TVariant(-1).ToBool());
  EXPECT_FALSE(TVariant(0.0).ToBool());
  EXPECT_TRUE(TVariant::FromCurrency(1).ToBool());
  EXPECT_FALSE(TVariant().ToBool(&ok));
  EXPECT_TRUE(ok);
  EXPECT_FALSE(TVariant::Null().ToBool(&ok));
  EXPECT_FALSE(ok);
}

TEST(Variant, ToWideWritesShortestNumbersAndFixedWords) {
  EXPECT_EQ(TVariant(1.5).ToWide(), u"1.5");
  EXPECT_EQ(TVariant(3.0).ToWide(), u"3");
  EXPECT_EQ(TVariant(-1234.5).ToWide(), u"-1234.5");
  EXPECT_EQ(TVariant(100000.0).ToWide(), u"100000");
  EXPECT_EQ(TVariant(123456789012345.0).ToWide(), u"123456789012345");
  EXPECT_EQ(TVariant(1e15).ToWide(), u"1E+15");
  EXPECT_EQ(TVariant(1e20).ToWide(), u"1E+20");
  EXPECT_EQ(TVariant(-2.5e-7).ToWide(), u"-2.5E-07");
  EXPECT_EQ(TVariant(1.5e300).ToWide(), u"1.5E+300");
  EXPECT_EQ(TVariant(0.00001).ToWide(), u"0.00001");
  EXPECT_EQ(TVariant(0.1 + 0.2).ToWide(), u"0.30000000000000004");
  EXPECT_EQ(TVariant(-0.0).ToWide(), u"0");
  EXPECT_EQ(TVariant(std::numeric_limits<double>::infinity()).ToWide(), u"INF");
  // A single prints its own shortest digits, not those of the widened double.
  EXPECT_EQ(TVariant(0.1f).ToWide(), u"0.1");
  EXPECT_EQ(TVariant(INT64_MIN).ToWide(), u"-9223372036854775808");
  EXPECT_EQ(TVariant(uint8_t{255}).ToWide(), u"255");
  EXPECT_EQ(TVariant::FromCurrency(12345).ToWide(), u"1.2345");
  EXPECT_EQ(TVariant::FromCurrency(-50000).ToWide(), u"-5");
  EXPECT_EQ(TVariant::FromCurrency(-10).ToWide(), u"-0.001");
  EXPECT_EQ(TVariant::FromCurrency(INT64_MIN).ToWide(), u"-922337203685477.5808");
  EXPECT_EQ(TVariant(true).ToWide(), u"True");
  EXPECT_EQ(TVariant(false).ToWide(), u"False");
  EXPECT_EQ(TVariant("caf\xE9 \x80").ToWide(), u"caf\u00E9 \u20AC");
  EXPECT_EQ(TVariant::Null().ToWide(), u"");
  bool ok = true;
  EXPECT_EQ(TVariant::FromError(2042).ToWide(&ok), u"");
  EXPECT_FALSE(ok);
  // Every number text reads back as the same double.
  std::mt19937_64 random(7);
  for (int i = 0; i < 200; ++i) {
    const double value = std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 200) - 150);
    double back = 0;
    ASSERT_TRUE(TextToFloat(FloatToText(value), back));
    EXPECT_EQ(back, value);
  }
}

TEST(Variant, AnsiTextPassesThroughAndOtherPagesConvert) {
  EXPECT_EQ(TVariant("\x81\xFF").ToAnsi(), "\x81\xFF");
  EXPECT_EQ(TVariant(u"\u0416").ToAnsi(1251), "\xC6");
  EXPECT_EQ(TVariant(u"\u0416").ToAnsi(), "?");
  EXPECT_EQ(TVariant(2.5).ToAnsi(), "2.5");
}

TEST(Dates, EncodeCountsDaysFromTheEndOf1899) {
  bool ok = false;
  EXPECT_EQ(EncodeDate(1899, 12, 30, &ok), 0);
  EXPECT_TRUE(ok);
  EXPECT_EQ(EncodeDate(1899, 12, 31), 1);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(1900, 3, 1), 61);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_EQ(EncodeDate(2000, 2, 29), 36585);
  EXPECT_EQ(EncodeDate(2023, 3, 15), 45000);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465);
  for (const auto& bad : {std::array{1900, 2, 29}, std::array{0, 1, 1}, std::array{10000, 1, 1},
                          std::array{2001, 13, 1}, std::array{2001, 4, 31}, std::array{2001, 1, 0}}) {
    EXPECT_EQ(EncodeDate(bad[0], bad[1], bad[2], &ok), 0);
    EXPECT_FALSE(ok) << bad[0] << "-" << bad[1] << "-" << bad[2];
  }
  EXPECT_EQ(EncodeTime(6, 0, 0, 0, &ok), 0.25);
  EXPECT_TRUE(ok);
  EXPECT_EQ(EncodeTime(18, 0, 0, 0), 0.75);
  EXPECT_LT(EncodeTime(23, 59, 59, 999), 1.0);
  EXPECT_EQ(EncodeTime(24, 0, 0, 0, &ok), 0);
  EXPECT_FALSE(ok);
  EXPECT_EQ(EncodeTime(0, 60, 0, 0, &ok), 0);
  EXPECT_FALSE(ok);
}

TEST(Dates, BeforeTheOriginTheTimeStillCountsForward) {
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
  EXPECT_EQ(EncodeDateTime(1899, 12, 31, 6, 0, 0, 0), 1.25);
  int y, mo, d, h, mi, s, ms;
  ASSERT_TRUE(DecodeDateTime(-1.25, y, mo, d, h, mi, s, ms));
  EXPECT_EQ((std::array{y, mo, d, h, mi, s, ms}), (std::array{1899, 12, 29, 6, 0, 0, 0}));
  // The whole part of -0.5 is 0: noon of the origin day itself.
  ASSERT_TRUE(DecodeDateTime(-0.5, y, mo, d, h, mi, s, ms));
  EXPECT_EQ((std::array{y, mo, d, h}), (std::array{1899, 12, 30, 12}));
  ASSERT_TRUE(DecodeDateTime(-700.75, y, mo, d, h, mi, s, ms));
  EXPECT_EQ((std::array{y, mo, d, h}), (std::array{1898, 1, 29, 18}));
}

TEST(Dates, TimeRoundsToMillisecondsAndCarriesIntoTheNextDay) {
  int y, mo, d, h, mi, s, ms;
  ASSERT_TRUE(DecodeDateTime(1.9999999999, y, mo, d, h, mi, s, ms));
  EXPECT_EQ((std::array{y, mo, d, h, mi, s, ms}), (std::array{1900, 1, 1, 0, 0, 0, 0}));
  ASSERT_TRUE(DecodeDateTime(-1.9999999999, y, mo, d, h, mi, s, ms));
  EXPECT_EQ((std::array{y, mo, d, h, mi, s, ms}), (std::array{1899, 12, 30, 0, 0, 0, 0}));
  ASSERT_TRUE(DecodeTime(EncodeTime(13, 14, 15, 678), h, mi, s, ms));
  EXPECT_EQ((std::array{h, mi, s, ms}), (std::array{13, 14, 15, 678}));
  EXPECT_FALSE(DecodeDate(1e10, y, mo, d));
  EXPECT_FALSE(DecodeDate(-693594.5, y, mo, d));
  EXPECT_FALSE(DecodeDate(std::nan(""), y, mo, d));
  EXPECT_EQ(y, 0);
  EXPECT_FALSE(DecodeDate(2958465.99999999999, y, mo, d));  // rounds past 9999-12-31

  std::mt19937 random(99);
  for (int i = 0; i < 500; ++i) {
    const int year = 1 + static_cast<int>(random() % 9999);
    const int month = 1 + static_cast<int>(random() % 12);
    const int day = 1 + static_cast<int>(random() % 28);
    const int hour = static_cast<int>(random() % 24), minute = static_cast<int>(random() % 60);
    const int second = static_cast<int>(random() % 60), milli = static_cast<int>(random() % 1000);
    const double value = EncodeDateTime(year, month, day, hour, minute, second, milli);
    ASSERT_TRUE(DecodeDateTime(value, y, mo, d, h, mi, s, ms));
    ASSERT_EQ((std::array{y, mo, d, h, mi, s, ms}), (std::array{year, month, day, hour, minute, second, milli}))
        << value;
  }
}

TEST(Dates, TextUsesShortDateAndLongTime) {
  EXPECT_EQ(TVariant::FromDate(45000.5).ToWide(), u"3/15/2023 12:00:00 PM");
  EXPECT_EQ(TVariant::FromDate(2).ToWide(), u"1/1/1900");
  EXPECT_EQ(TVariant::FromDate(0).ToWide(), u"12/30/1899");
  EXPECT_EQ(TVariant::FromDate(0.25).ToWide(), u"6:00:00 AM");
  EXPECT_EQ(TVariant::FromDate(-1.25).ToWide(), u"12/29/1899 6:00:00 AM");
  EXPECT_EQ(TVariant::FromDate(EncodeDateTime(2024, 2, 29, 0, 5, 9, 0)).ToWide(), u"2/29/2024 12:05:09 AM");
  EXPECT_EQ(TVariant::FromDate(1e9).ToWide(), u"1000000000");
}

TEST(VariantArray, BoundsAreKeptPerDimension) {
  TVariant row = TVariant::CreateArray(1, 3);
  EXPECT_EQ(row.ArrayDims(), 1);
  EXPECT_EQ(row.ArrayLowBound(1), 1);
  EXPECT_EQ(row.ArrayHighBound(1), 3);
  EXPECT_EQ(row.ArrayHighBound(2), -1);
  EXPECT_TRUE(row.SetArrayItem(1, TVariant(u"a")));
  EXPECT_TRUE(row.SetArrayItem(3, TVariant(3)));
  EXPECT_FALSE(row.SetArrayItem(0, TVariant(0)));
  EXPECT_FALSE(row.SetArrayItem(4, TVariant(0)));
  EXPECT_FALSE(row.SetArrayItem(1, 1, TVariant(0)));
  EXPECT_EQ(row.ArrayItem(1).WideValue(), u"a");
  EXPECT_TRUE(row.ArrayItem(2).IsEmpty());
  EXPECT_EQ(row.ArrayItem(3).ToInt32(), 3);
  EXPECT_TRUE(row.ArrayItem(0).IsEmpty());
  EXPECT_TRUE(row.ArrayItem(1, 1).IsEmpty());

  TVariant grid = TVariant::CreateArray(-1, 2, 5, 3);
  EXPECT_EQ(grid.ArrayDims(), 2);
  EXPECT_EQ(grid.ArrayLowBound(1), -1);
  EXPECT_EQ(grid.ArrayHighBound(1), 0);
  EXPECT_EQ(grid.ArrayLowBound(2), 5);
  EXPECT_EQ(grid.ArrayHighBound(2), 7);
  EXPECT_EQ(grid.ArrayElementCount(), 6);
  for (int32_t i = -1; i <= 0; ++i) {
    for (int32_t j = 5; j <= 7; ++j) EXPECT_TRUE(grid.SetArrayItem(i, j, TVariant(i * 10 + j)));
  }
  EXPECT_FALSE(grid.SetArrayItem(1, 5, TVariant(0)));
  EXPECT_FALSE(grid.SetArrayItem(0, 8, TVariant(0)));
  EXPECT_EQ(grid.ArrayItem(-1, 7).ToInt32(), -3);
  EXPECT_EQ(grid.ArrayItem(0, 5).ToInt32(), 5);
  EXPECT_TRUE(grid.ArrayItem(0).IsEmpty());

  // Copies are deep; arrays nest.
  TVariant copy = grid;
  copy.SetArrayItem(0, 5, row);
  EXPECT_EQ(grid.ArrayItem(0, 5).ToInt32(), 5);
  EXPECT_EQ(copy.ArrayItem(0, 5).ArrayItem(1).WideValue(), u"a");
  TVariant moved = std::move(copy);
  EXPECT_EQ(moved.ArrayItem(0, 5).ArrayHighBound(1), 3);
  // A moved-from variant is Empty, with nothing left of its text or array.
  EXPECT_TRUE(copy.IsEmpty());  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ(copy.ArrayDims(), 0);
  TVariant text(u"a longer text than fits inline");
  TVariant target(3.5);
  target = std::move(text);
  EXPECT_EQ(target.WideValue(), u"a longer text than fits inline");
  EXPECT_TRUE(text.IsEmpty());  // NOLINT(bugprone-use-after-move)
  EXPECT_TRUE(text.WideValue().empty());
  TVariant& same = target;
  target = std::move(same);  // moving onto itself keeps the value
  EXPECT_EQ(target.WideValue(), u"a longer text than fits inline");

  // Degenerate shapes stay consistent rather than overflow.
  TVariant none = TVariant::CreateArray(4, -2);
  EXPECT_EQ(none.ArrayElementCount(), 0);
  EXPECT_EQ(none.ArrayHighBound(1), 3);
  EXPECT_TRUE(none.ArrayItem(4).IsEmpty());
  TVariant edge = TVariant::CreateArray(INT32_MAX, 5);
  EXPECT_EQ(edge.ArrayElementCount(), 1);
  EXPECT_EQ(edge.ArrayHighBound(1), INT32_MAX);
  EXPECT_TRUE(edge.SetArrayItem(INT32_MAX, TVariant(1)));
  EXPECT_EQ(TVariant(1).ArrayDims(), 0);
}

TEST(VariantCompare, NullAndEmpty) {
  EXPECT_EQ(VarCompareValue(TVariant::Null(), TVariant::Null()), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant::Null(), TVariant()), R::vrNotEqual);
  EXPECT_EQ(VarCompareValue(TVariant(0), TVariant::Null()), R::vrNotEqual);
  EXPECT_EQ(VarCompareValue(TVariant::Null(), TVariant(u"")), R::vrNotEqual);
  EXPECT_EQ(VarCompareValue(TVariant(), TVariant()), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant(), TVariant(0.0)), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant(), TVariant(u"")), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant(), TVariant(false)), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant(), TVariant(u"a")), R::vrLessThan);
  EXPECT_EQ(VarCompareValue(TVariant(-1), TVariant()), R::vrLessThan);
  EXPECT_FALSE(VarNotEqual(TVariant::Null(), TVariant::Null()));
  EXPECT_TRUE(VarNotEqual(TVariant::Null(), TVariant(u"x")));
}

TEST(VariantCompare, NumbersCompareByValueAcrossTypes) {
  EXPECT_EQ(VarCompareValue(TVariant(3), TVariant(3.0)), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant(int16_t{3}), TVariant(uint8_t{3})), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant::FromCurrency(30000), TVariant(3)), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant::FromCurrency(30001), TVariant(3)), R::vrGreaterThan);
  EXPECT_EQ(VarCompareValue(TVariant::FromCurrency(25000), TVariant(2.5f)), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant::FromDate(45000), TVariant(45000)), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant::FromDate(45000.5), TVariant::FromDate(45000)), R::vrGreaterThan);
  EXPECT_EQ(VarCompareValue(TVariant(true), TVariant(1)), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant(false), TVariant(true)), R::vrLessThan);
  EXPECT_EQ(VarCompareValue(TVariant(2), TVariant(10)), R::vrLessThan);
  // Integers compare exactly even where doubles could not tell them apart.
  EXPECT_EQ(VarCompareValue(TVariant(int64_t{1} << 53), TVariant((int64_t{1} << 53) + 1)), R::vrLessThan);
  EXPECT_EQ(VarCompareValue(TVariant(INT64_MAX), TVariant::FromCurrency(INT64_MAX)), R::vrGreaterThan);
  EXPECT_EQ(VarCompareValue(TVariant::FromCurrency(INT64_MIN), TVariant(INT64_MIN)), R::vrGreaterThan);
  const double nan = std::nan("");
  EXPECT_EQ(VarCompareValue(TVariant(nan), TVariant(nan)), R::vrNotEqual);
}

TEST(VariantCompare, TextsCompareExactlyAndAgainstNumbersByText) {
  EXPECT_EQ(VarCompareValue(TVariant(u"abc"), TVariant(u"abd")), R::vrLessThan);
  EXPECT_EQ(VarCompareValue(TVariant(u"a"), TVariant(u"A")), R::vrGreaterThan);
  EXPECT_EQ(VarCompareValue(TVariant(u"a "), TVariant(u"a")), R::vrGreaterThan);
  EXPECT_EQ(VarCompareValue(TVariant("x\x80"), TVariant(u"x\u20AC")), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant(u"1.5"), TVariant(1.5)), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant(1.5), TVariant(u"1.50")), R::vrLessThan);  // "1.5" < "1.50"
  EXPECT_TRUE(VarNotEqual(TVariant(1.5), TVariant(u"1.50")));
  EXPECT_EQ(VarCompareValue(TVariant(10), TVariant(u"9")), R::vrLessThan);  // "10" < "9" as text
  EXPECT_EQ(VarCompareValue(TVariant(true), TVariant(u"True")), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant::FromDate(2), TVariant(u"1/1/1900")), R::vrEqual);
}

TEST(VariantCompare, ErrorsArraysAndInterfaces) {
  EXPECT_EQ(VarCompareValue(TVariant::FromError(7), TVariant::FromError(7)), R::vrEqual);
  EXPECT_EQ(VarCompareValue(TVariant::FromError(7), TVariant::FromError(15)), R::vrNotEqual);
  EXPECT_EQ(VarCompareValue(TVariant::FromError(7), TVariant(7)), R::vrNotEqual);
  EXPECT_EQ(VarCompareValue(TVariant(), TVariant::FromError(0)), R::vrNotEqual);

  TVariant a = TVariant::CreateArray(0, 2);
  a.SetArrayItem(0, TVariant(1));
  TVariant b = a;
  EXPECT_EQ(VarCompareValue(a, b), R::vrEqual);
  b.SetArrayItem(1, TVariant(u"x"));
  EXPECT_EQ(VarCompareValue(a, b), R::vrNotEqual);
  EXPECT_EQ(VarCompareValue(TVariant::CreateArray(0, 2), TVariant::CreateArray(1, 2)), R::vrNotEqual);
  EXPECT_EQ(VarCompareValue(TVariant::CreateArray(0, 1, 0, 2), TVariant::CreateArray(0, 2)), R::vrNotEqual);
  EXPECT_EQ(VarCompareValue(TVariant::CreateArray(0, 1), TVariant()), R::vrNotEqual);
}

class TDummyObject : public TXLSInterfaced<IXLSUnknown> {};

TEST(VariantCompare, InterfacesAreHeldByReference) {
  XLSPtr<TDummyObject> object = MakeXLS<TDummyObject>();
  {
    TVariant v = TVariant::FromInterface(object);
    EXPECT_EQ(v.VarType(), varUnknown);
    EXPECT_EQ(object->RefCount(), 2u);
    TVariant w = v;
    EXPECT_EQ(object->RefCount(), 3u);
    EXPECT_EQ(VarCompareValue(v, w), R::vrEqual);
    EXPECT_EQ(VarCompareValue(v, TVariant::FromInterface(MakeXLS<TDummyObject>())), R::vrNotEqual);
    bool ok = true;
    v.ToDouble(&ok);
    EXPECT_FALSE(ok);
  }
  EXPECT_EQ(object->RefCount(), 1u);
}

}  // namespace
}  // namespace lx
