// Text measurement with the installed fonts (scripts/setup.sh installs the
// Liberation faces, metric-compatible with Arial, Times New Roman and Courier
// New), and without any font.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "lxTextMeasure.h"

namespace lx {
namespace {

TEST(TextMeasure, InstalledFaces) {
  TTextMeasurer& m = ScreenMeasurer();
  if (!m.SetFont(u"Arial", 10, false)) GTEST_SKIP() << "no font installed";
  ASSERT_EQ(m.Dpi(), 96);
  // Arial 10 at 96 dpi: 13 pixels to the em, digits 7 wide; the line is 15
  // pixels (ascent 12, descent 3), 2 of them above the em.
  EXPECT_EQ(m.LineWidth(u"09"), 14);
  EXPECT_EQ(m.Metrics().Height, 15);
  EXPECT_EQ(m.Metrics().Descent, 3);
  EXPECT_EQ(m.Metrics().InternalLeading, 2);
  const int32_t regular = m.LineWidth(u"Quarterly revenue");
  // The face's kerning pulls A and V together.
  EXPECT_LT(m.LineWidth(u"AV"), m.LineWidth(u"A") + m.LineWidth(u"V"));
  EXPECT_EQ(m.LineWidth(u"Quarterly\r\nrevenue"), m.LineWidth(u"Quarterlyrevenue"));

  ASSERT_TRUE(m.SetFont(u"Arial", 10, true));
  EXPECT_GT(m.LineWidth(u"Quarterly revenue"), regular);
  ASSERT_TRUE(m.SetFont(u"Arial", 20, false));
  // 27 pixels to the em against 13; each advance is rounded on its own.
  EXPECT_NEAR(m.LineWidth(u"Quarterly revenue"), regular * 27.0 / 13.0, 10);
  EXPECT_GT(m.Metrics().Height, 2 * 15 - 3);

  // Monospaced: every character as wide as the next; proportional: not.
  ASSERT_TRUE(m.SetFont(u"Courier New", 10, false));
  EXPECT_EQ(m.LineWidth(u"iiii"), m.LineWidth(u"WWWW"));
  ASSERT_TRUE(m.SetFont(u"Times New Roman", 10, false));
  EXPECT_LT(m.LineWidth(u"iiii"), m.LineWidth(u"WWWW"));
  // A family that is not installed is replaced by a similar one.
  EXPECT_TRUE(m.SetFont(u"No Such Family", 10, false));
  EXPECT_GT(m.LineWidth(u"abc"), 0);
  // Sizes no surface has.
  EXPECT_FALSE(m.SetFont(u"Arial", 0, false));
  EXPECT_EQ(m.LineWidth(u"abc"), 0);
  EXPECT_EQ(m.Measure(u"abc", false, 1).Height, 0);
}

TEST(TextMeasure, WithoutAUsableFontNothingIsMeasured) {
  const std::string notAFont = std::string(std::getenv("LX_SOURCE_DIR") ? std::getenv("LX_SOURCE_DIR") : ".") +
                               "/engine/platform/lxTextMeasure.h";
  struct Case {
    const char* name;
    TFontResolver resolver;
  } cases[] = {
      {"no font found", [](const std::string&, bool, std::string&, int32_t&) { return false; }},
      {"a missing file",
       [](const std::string&, bool, std::string& path, int32_t&) {
         path = "/nonexistent/font.ttf";
         return true;
       }},
      {"a file that is not a font",
       [&](const std::string&, bool, std::string& path, int32_t&) {
         path = notAFont;
         return true;
       }},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TTextMeasurer> m = CreateFontMeasurer(c.resolver);
    EXPECT_FALSE(m->SetFont(u"Arial", 10, false)) << c.name;
    EXPECT_FALSE(m->SetFont(u"Arial", 10, false)) << c.name << ", asked again";
    EXPECT_EQ(m->LineWidth(u"abc"), 0) << c.name;
    EXPECT_EQ(m->Metrics().Height, 0) << c.name;
  }
}

}  // namespace
}  // namespace lx
