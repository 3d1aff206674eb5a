// Colours, fonts, character sets, string lists and component links.
#include <gtest/gtest.h>

#include "lxClasses.h"
#include "lxCodePage.h"
#include "lxGraphics.h"

namespace lx {
namespace {

TEST(Colors, NoneAndDefaultAreMarkersNotColours) {
  EXPECT_EQ(clNone, 0x1FFFFFFF);
  EXPECT_EQ(clDefault, 0x20000000);
  // Conversion hands the markers back so that callers can still see them.
  EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);
  EXPECT_EQ(ColorToRGB(clDefault), 0x20000000u);
}

TEST(Colors, RgbPutsRedInTheLowByte) {
  EXPECT_EQ(RGB(255, 153, 0), 0x0099FF);
  EXPECT_EQ(RGB(0, 0, 128), clNavy);
  EXPECT_EQ(RGB(128, 0, 0), clMaroon);
  EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), 0x030201u);
  EXPECT_EQ(ColorToRGB(clSkyBlue), 0xF0CAA6u);
}

TEST(Colors, SystemColoursFollowTheDefaultTheme) {
  EXPECT_LT(clWindow, 0);
  EXPECT_EQ(static_cast<uint32_t>(clBtnFace), 0x8000000Fu);
  // A default desktop: white windows, black window text, grey buttons,
  // pale yellow tooltips.
  EXPECT_EQ(ColorToRGB(clWindow), 0xFFFFFFu);
  EXPECT_EQ(ColorToRGB(clWindowText), 0x000000u);
  EXPECT_EQ(ColorToRGB(clBtnFace), 0xF0F0F0u);
  EXPECT_EQ(ColorToRGB(clInfoBk), 0xE1FFFFu);
}

TEST(Fonts, DefaultIsTheDialogFont) {
  TFont font;
  EXPECT_EQ(font.Name(), "MS Sans Serif");
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.Color(), clWindowText);
  EXPECT_EQ(font.Charset(), DEFAULT_CHARSET);
  EXPECT_TRUE(font.Style().Empty());
}

TEST(Fonts, HeightAndSizeConvertAtScreenResolution) {
  TFont font("Arial", 10);
  EXPECT_EQ(font.Height(), -13);
  font.SetSize(12);
  EXPECT_EQ(font.Height(), -16);
  font.SetHeight(-13);
  EXPECT_EQ(font.Size(), 10);
  font.SetHeight(-16);
  EXPECT_EQ(font.Size(), 12);
  font.SetHeight(11);
  EXPECT_EQ(font.Size(), 8);
}

TEST(Fonts, StylesAndCopies) {
  TFont font("Tahoma", 12, {fsBold, fsItalic}, clWhite, RUSSIAN_CHARSET);
  EXPECT_TRUE(font.Style().Contains(fsBold));
  EXPECT_TRUE(font.Style().Contains(fsItalic));
  EXPECT_FALSE(font.Style().Contains(fsUnderline));
  TFont copy;
  copy.Assign(font);
  EXPECT_EQ(copy, font);
  TFontStyles style = copy.Style();
  style.Exclude(fsBold);
  style.Include(fsStrikeOut);
  copy.SetStyle(style);
  EXPECT_FALSE(copy.Style().Contains(fsBold));
  EXPECT_TRUE(copy.Style().Contains(fsStrikeOut));
  EXPECT_TRUE(font.Style().Contains(fsBold)) << "the copy is independent";
}

TEST(Fonts, CharsetGivesTheCodePageOfItsText) {
  const struct {
    uint8_t charset;
    uint32_t codePage;
  } cases[] = {{0, 1252},   {77, 2},     {128, 932},  {129, 949},  {130, 1361}, {134, 936},  {136, 950},
               {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256}, {186, 1257}, {204, 1251},
               {222, 874},  {238, 1250}, {255, 1},    {1, 0},      {2, 0},      {100, 0}};
  for (const auto& c : cases) EXPECT_EQ(CharsetToCodePage(c.charset), c.codePage) << int(c.charset);
}

TEST(Fonts, CyrillicTextConvertsWithTheFontCharset) {
  // "Маяк" in code page 1251.
  const std::string text = "\xCC\xE0\xFF\xEA";
  EXPECT_EQ(AnsiToWide(text, CharsetToCodePage(RUSSIAN_CHARSET)), u"Маяк");
  // The same bytes read as Western text are something else entirely.
  EXPECT_NE(AnsiToWide(text, CharsetToCodePage(ANSI_CHARSET)), u"Маяк");
}

TEST(StringLists, AddInsertDeleteAndCaseInsensitiveIndexOf) {
  TStringList list;
  EXPECT_EQ(list.Add("Terms"), 0);
  EXPECT_EQ(list.Add("PaymentMethod"), 1);
  list.Insert(0, "OrderNo");
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list[0], "OrderNo");
  EXPECT_EQ(list.IndexOf("paymentmethod"), 2);
  EXPECT_EQ(list.IndexOf("TERMS"), 1);
  EXPECT_EQ(list.IndexOf("Term"), -1);
  list.Delete(0);
  EXPECT_EQ(list.Strings(0), "Terms");
  TStringList copy;
  copy.Add("old");
  copy.Assign(list);
  EXPECT_EQ(copy, list);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(copy.Count(), 2);
}

TEST(StringLists, IndexesOutsideRaise) {
  TStringList list{"a"};
  EXPECT_THROW(list.Strings(1), EListError);
  EXPECT_THROW(list.Strings(-1), EListError);
  EXPECT_THROW(list.Delete(1), EListError);
  EXPECT_THROW(list.Insert(3, "x"), EListError);
  EXPECT_NO_THROW(list.Insert(1, "b"));
}

TEST(Exceptions, AbortIsSilentAndDistinct) {
  try {
    Abort();
    FAIL() << "Abort returned";
  } catch (const EAbort& e) {
    SUCCEED();
  }
  // The silent abort is an Exception, so generic handlers still see it.
  EXPECT_THROW(Abort(), Exception);
}

class TWatcher : public TComponent {
 public:
  TComponent* watched = nullptr;
  int removals = 0;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    if (operation == opRemove && component == watched) {
      watched = nullptr;
      ++removals;
    }
  }
};

TEST(Components, DestroyedComponentIsForgotten) {
  TWatcher watcher;
  {
    TComponent other;
    watcher.watched = &other;
    watcher.FreeNotification(&other);
    watcher.FreeNotification(&other);  // a second request is not a second link
  }
  EXPECT_EQ(watcher.watched, nullptr);
  EXPECT_EQ(watcher.removals, 1);
}

TEST(Components, WatcherDestroyedFirstLeavesNoDanglingLink) {
  TComponent other;
  {
    TWatcher watcher;
    watcher.watched = &other;
    watcher.FreeNotification(&other);
  }
  // Destroying other now must not call the dead watcher (ASan would report).
  SUCCEED();
}

TEST(Components, RemovedLinkIsNotNotified) {
  TWatcher watcher;
  {
    TComponent other;
    watcher.watched = &other;
    watcher.FreeNotification(&other);
    watcher.RemoveFreeNotification(&other);
  }
  EXPECT_EQ(watcher.removals, 0);
}

}  // namespace
}  // namespace lx
