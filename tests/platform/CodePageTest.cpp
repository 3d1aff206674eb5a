#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "lxCodePage.h"

namespace lx {
namespace {

std::string Bytes(std::string_view hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
  }
  return out;
}

struct TSample {
  uint32_t codePage;
  std::u16string text;
  const char* hex;  // the text in the code page, as published for that page
};

TEST(CodePage, KnownTextsConvertBothWaysInEachPage) {
  const TSample samples[] = {
      {1252, u"Caf\u00E9 \u20AC\u2122", "436166e9208099"},
      {1250, u"\u0141\u00F3d\u017A", "a3f3649f"},
      {1251, u"\u041F\u0440\u0438\u0432\u0435\u0442", "cff0e8e2e5f2"},
      {1253, u"\u03A9\u03BC\u03AD\u03B3\u03B1", "d9ecdde3e1"},
      {1255, u"\u05E9\u05DC\u05D5\u05DD", "f9ece5ed"},
      {1256, u"\u0645\u0631\u062D\u0628\u0627", "e3d1cdc8c7"},
      {874, u"\u0E44\u0E17\u0E22", "e4b7c2"},
      {932, u"\u65E5\u672C\u8A9E\uFF71", "93fa967b8ceab1"},
      {936, u"\u4E2D\u6587\u20AC", "d6d0cec480"},
      {949, u"\uD55C\uAD6D\uC5B4", "c7d1b1b9beee"},
      {950, u"\u4E2D\u6587", "a4a4a4e5"},
      {1361, u"\uAC00\uD55C", "8861d065"},
      {10000, u"\u00E9\u20AC", "8edb"},
      {437, u"\u00E9\u2502", "82b3"},
      {866, u"\u041F\u0440\u0438\u0432\u0435\u0442", "8fe0a8a2a5e2"},
  };
  for (const TSample& sample : samples) {
    const std::string bytes = Bytes(sample.hex);
    SCOPED_TRACE(sample.codePage);
    EXPECT_TRUE(IsSupportedCodePage(sample.codePage));
    EXPECT_EQ(AnsiToWide(bytes, sample.codePage), sample.text);
    EXPECT_EQ(WideToAnsi(sample.text, sample.codePage), bytes);
    // ASCII passes through every one of these pages unchanged.
    EXPECT_EQ(AnsiToWide("Az09 ~", sample.codePage), u"Az09 ~");
    EXPECT_EQ(WideToAnsi(u"Az09 ~", sample.codePage), "Az09 ~");
  }
}

TEST(CodePage, DefaultIsWindows1252AndPseudoPagesResolve) {
  EXPECT_EQ(WideToAnsi(u"\u20AC"), "\x80");
  EXPECT_EQ(AnsiToWide("\x9F"), u"\u0178");
  EXPECT_EQ(ResolveCodePage(kCodePageAnsi), 1252u);
  EXPECT_EQ(ResolveCodePage(kCodePageOem), 437u);
  EXPECT_EQ(ResolveCodePage(kCodePageMac), 10000u);
  EXPECT_EQ(WideToAnsi(u"\u00E9", kCodePageOem), "\x82");
  EXPECT_EQ(WideToAnsi(u"\u00E9", kCodePageMac), "\x8E");
  EXPECT_EQ(AnsiToWide("\xE9", kCodePageAnsi), u"\u00E9");
  // A page nobody knows is read as the system page rather than dropped.
  EXPECT_FALSE(IsSupportedCodePage(12345));
  EXPECT_EQ(AnsiToWide("\xE9", 12345), u"\u00E9");
  EXPECT_EQ(WideToAnsi(u"\u00E9", 12345), "\xE9");
  EXPECT_TRUE(IsDoubleByteCodePage(932));
  EXPECT_FALSE(IsDoubleByteCodePage(1251));
}

TEST(CodePage, Every1252ByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::u16string wide = AnsiToWide(all, 1252);
  ASSERT_EQ(wide.size(), 256u);
  // The five bytes the page leaves undefined come back as C1 controls.
  EXPECT_EQ(wide[0x81], u'\u0081');
  EXPECT_EQ(wide[0x9D], u'\u009D');
  EXPECT_EQ(WideToAnsi(wide, 1252), all);
}

TEST(CodePage, JapaneseKeepsBackslashAndMapsTheWaveDash) {
  // In 932 byte 0x5C is the backslash (not the yen sign of plain Shift-JIS)
  // and 81 60 is the fullwidth tilde.
  EXPECT_EQ(AnsiToWide(Bytes("5c8160"), 932), u"\\\uFF5E");
  EXPECT_EQ(WideToAnsi(u"C:\\\u8868", 932), Bytes("433a5c955c"));
}

TEST(CodePage, UnmappableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(WideToAnsi(u"a\u0416b", 1252), "a?b");
  EXPECT_EQ(WideToAnsi(u"\u65E5\u672C", 1251), "??");
  EXPECT_EQ(WideToAnsi(u"x\u0E01y", 932), "x?y");
  EXPECT_EQ(WideToAnsi(u"\u00E9\u0E01", 437), "\x82?");
  // A surrogate pair is one character, an unpaired surrogate one more.
  EXPECT_EQ(WideToAnsi(u"a\U0001F600b", 1252), "a?b");
  EXPECT_EQ(WideToAnsi(u"a\U0001F600b", 936), "a?b");
  const std::u16string loneHigh{u'a', char16_t{0xD800}, u'b'};
  const std::u16string loneLow{u'a', char16_t{0xDC00}, u'b'};
  const std::u16string trailingHigh{u'a', char16_t{0xD83D}};
  for (uint32_t page : {1252u, 1251u, 932u, 949u}) {
    SCOPED_TRACE(page);
    EXPECT_EQ(WideToAnsi(loneHigh, page), "a?b");
    EXPECT_EQ(WideToAnsi(loneLow, page), "a?b");
    EXPECT_EQ(WideToAnsi(trailingHigh, page), "a?");
  }
}

TEST(CodePage, BrokenInputGivesReplacementCharacters) {
  // A lead byte at the very end, and a lead byte before a line feed.
  EXPECT_EQ(AnsiToWide(Bytes("4193"), 932), u"A\uFFFD");
  EXPECT_EQ(AnsiToWide(Bytes("930a42"), 932), u"\uFFFD\nB");
  EXPECT_EQ(AnsiToWide(Bytes("a4"), 950), u"\uFFFD");
  // A byte 1253 does not define.
  EXPECT_EQ(AnsiToWide(Bytes("41aa42"), 1253), u"A\uFFFDB");
  EXPECT_EQ(AnsiToWide(Bytes("c3"), kCodePageUtf8), u"\uFFFD");
}

TEST(CodePage, RandomBytesAndUnitsNeverBreakAnyPage) {
  std::mt19937 random(12345);
  const uint32_t pages[] = {0,    1,    2,    874,  932,  936, 949, 950, 1250,  1251,  1252,  1253,  1254,
                            1255, 1256, 1257, 1258, 1361, 437, 850, 866, 10000, 10007, 20127, 28591, 65001};
  for (const uint32_t page : pages) {
    SCOPED_TRACE(page);
    for (int round = 0; round < 20; ++round) {
      std::string bytes(random() % 64, '\0');
      for (char& b : bytes) b = static_cast<char>(random());
      const std::u16string wide = AnsiToWide(bytes, page);
      EXPECT_LE(wide.size(), bytes.size());
      std::u16string units(random() % 64, u'\0');
      for (char16_t& u : units) u = static_cast<char16_t>(random());
      const std::string narrow = WideToAnsi(units, page);
      // Double-byte pages take at most two bytes, UTF-8 three, per unit.
      EXPECT_LE(narrow.size(), units.size() * 3);
      // Whatever was produced reads back without trouble.
      AnsiToWide(narrow, page);
    }
  }
}

}  // namespace
}  // namespace lx
