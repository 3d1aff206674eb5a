// Auto-fit arithmetic on a fake font of known advances: digits 7 pixels,
// "." and space 3, every other character 6, one more for bold; a line is
// 1.5 times the size tall. The expected pixel counts are worked out by hand
// beside each case.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>

#include "lxAutoFit.h"
#include "lxHandle.h"
#include "lxStyle.h"

namespace lx {
namespace {

class TFakeMeasurer final : public TTextMeasurer {
 public:
  int32_t Dpi() const override { return 96; }
  bool SetFont(std::u16string_view name, int32_t points, bool bold) override {
    ok_ = name != u"Missing";
    points_ = points;
    bold_ = bold;
    return ok_;
  }
  TTextMetrics Metrics() const override {
    if (!ok_) return {};
    return {static_cast<int32_t>(std::nearbyint(points_ * 1.5)), points_ / 3, 2};
  }
  int32_t LineWidth(std::u16string_view text) override {
    int32_t width = 0;
    for (const char16_t c : text) {
      if (c == u'\r' || c == u'\n') continue;
      width += (c >= u'0' && c <= u'9') ? 7 : (c == u'.' || c == u' ') ? 3 : 6;
      if (bold_) ++width;
    }
    return ok_ ? width : 0;
  }

 private:
  bool ok_ = false;
  int32_t points_ = 0;
  bool bold_ = false;
};

struct Book {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  TFakeMeasurer measurer;
  TXLSScreenUnits units = MeasureScreenUnits(measurer);
  XLSPtr<IXLSRange> At(int32_t row, int32_t column) { return sheet->Cells()->Item(row, column); }
  TXLSAutoFit Fit(const char16_t* a, const char16_t* b) {
    range = sheet->Range(a, b);
    return TXLSAutoFit(*range, measurer, units);
  }
  XLSPtr<IXLSRange> range;
};

TEST(AutoFit, UnitConversions) {
  Book b;
  TXLSAutoFit fit = b.Fit(u"A1", u"A1");
  ASSERT_EQ(fit.StandardCharWidth(), 7);  // "09" is 14 pixels
  ASSERT_EQ(fit.ScreenDpi(), 96);
  EXPECT_DOUBLE_EQ(fit.PixelsToChars(12), 1.0);  // standard width + 5
  EXPECT_DOUBLE_EQ(fit.PixelsToChars(6), 0.5);
  EXPECT_DOUBLE_EQ(fit.PixelsToChars(64), 8.43);  // (6400 - 500) / 7 = 842.86
  EXPECT_DOUBLE_EQ(fit.PixelsToChars(0), 0.0);
  EXPECT_EQ(fit.CharsToPixels(8.43), 64);  // trunc(59.01) + 5
  EXPECT_EQ(fit.CharsToPixels(1.0), 12);
  EXPECT_EQ(fit.CharsToPixels(0.5), 6);
  EXPECT_EQ(fit.PointsToPixels(12.75), 17);
  EXPECT_EQ(fit.PointsToPixels(0.7), 0);
  EXPECT_DOUBLE_EQ(fit.PixelsToPoints(17), 12.75);
}

TEST(AutoFit, WordWrapBreaksAtSpaces) {
  TFakeMeasurer m;
  ASSERT_TRUE(m.SetFont(u"Arial", 10, false));
  struct Case {
    std::u16string text;
    bool wrap;
    int32_t width;
    TTextExtent expected;
  } cases[] = {
      {u"aa aa aa aa", false, 1, {57, 15}},
      {u"aa aa aa aa", true, 28, {27, 30}},    // "aa aa" twice
      {u"aa aa aa aa", true, 27, {27, 30}},    // exactly fits
      {u"aa aa aa aa", true, 26, {12, 60}},    // a word per line
      {u"aaaaaa bb", true, 10, {36, 30}},      // a long word stays whole
      {u"aa\r\nbb\ncc", true, 100, {12, 45}},  // explicit breaks
      {u"aa\r\nbb", false, 1, {24, 15}},       // on one line breaks take no room
      {u"", true, 10, {0, 15}},
  };
  for (const Case& c : cases) {
    const TTextExtent e = m.Measure(c.text, c.wrap, c.width);
    EXPECT_EQ(e.Width, c.expected.Width) << std::string(c.text.begin(), c.text.end()) << " in " << c.width;
    EXPECT_EQ(e.Height, c.expected.Height) << std::string(c.text.begin(), c.text.end()) << " in " << c.width;
  }
}

// Each case fills a sheet, fits columns A:C and checks the widths (8.43 is
// the default width, kept where no cell measures).
TEST(AutoFit, ColumnWidths) {
  struct Case {
    const char* name;
    std::function<void(Book&)> fill;
    const char16_t* first;
    const char16_t* last;
    double a, b;
  } cases[] = {
      // "1234.50": 6 digits and a point = 45; "0" is 7, a third of it 2; + 5.
      {"number under a format",
       [](Book& b) {
         b.At(1, 1)->SetValue(TVariant(1234.5));
         b.At(1, 1)->SetNumberFormat(u"0.00");
         b.At(1, 2)->SetValue(TVariant(u"x"));
       },
       u"A1", u"C3", 6.71, 1.14},  // 52 pixels; "x" gives 6 + 2 + 5 = 13
      {"the widest cell wins, bold is wider",
       [](Book& b) {
         b.At(1, 1)->SetValue(TVariant(u"abc"));
         b.At(2, 1)->SetValue(TVariant(u"abcdef"));  // 36 + 7 = 43
         b.At(1, 2)->SetValue(TVariant(u"abcdef"));
         b.At(1, 2)->Font()->SetBold(true);  // 42 + 3 (bold "0" is 8) + 5 = 50
       },
       u"A1", u"B2", 5.43, 6.43},
      {"an empty column keeps its width",
       [](Book& b) {
         b.At(1, 2)->SetValue(TVariant(u"abc"));
         b.At(1, 1)->SetNumberFormat(u"0.00");  // a cell without a value
       },
       u"A1", u"B1", 8.43, 2.86},  // 18 + 2 + 5 = 25
      {"text turned a quarter turn counts its line height",
       [](Book& b) {
         b.At(1, 1)->SetValue(TVariant(u"a long text, turned"));
         b.At(1, 1)->SetOrientation(TVariant(90));
         b.At(1, 2)->SetValue(TVariant(u"a long text, turned"));
         b.At(1, 2)->SetOrientation(TVariant(-90));
       },
       u"A1", u"B1", 1.71, 1.71},  // line 15 + descent 3 - leading 2 = 16, + 1
      {"merged cells are skipped",
       [](Book& b) {
         b.At(1, 1)->SetValue(TVariant(u"a text far wider than the rest"));
         b.sheet->Range(u"A1", u"B1")->Merge();
         b.At(2, 1)->SetValue(TVariant(u"ab"));  // 12 + 2 + 5 = 19
       },
       u"A1", u"B2", 2.0, 8.43},
      {"a range outside the used range does nothing", [](Book& b) { b.At(1, 1)->SetValue(TVariant(u"abc")); }, u"B2",
       u"C5", 8.43, 8.43},
      {"a font that cannot be found measures nothing",
       [](Book& b) {
         b.At(1, 1)->SetValue(TVariant(u"abc"));
         b.At(1, 1)->Font()->SetName(u"Missing");
         b.At(1, 2)->SetValue(TVariant(u"abc"));
       },
       u"A1", u"B1", 8.43, 2.86},
      {"a wrapped text in a row of two lines takes the searched width",
       [](Book& b) {
         // One line is 57 pixels; the row is 40 pixels, two lines of 15 fit.
         // From best -1: widths 28 (fits), -1, 13, 20 (too narrow) -> 23 + 3.
         b.At(1, 1)->SetValue(TVariant(u"aa aa aa aa"));
         b.At(1, 1)->SetWrapText(TVariant(true));
         b.At(1, 1)->SetRowHeight(TVariant(30.0));
         b.At(2, 2)->SetValue(TVariant(u"aa aa aa"));
         b.At(2, 2)->SetWrapText(TVariant(true));  // one line high: no search
       },
       u"A1", u"B2", 4.0, 6.29},  // 26 + 2 + 5 = 33; 42 + 2 + 5 = 49
      {"a date under its format",
       [](Book& b) {
         b.At(1, 1)->SetValue(TVariant::FromDate(43831));
         b.At(1, 1)->SetNumberFormat(u"yyyy-mm-dd");  // "2020-01-01": 8 digits, 2 dashes
         b.At(1, 2)->SetValue(TVariant(true));        // "True"
       },
       u"A1", u"B1", 10.0, 3.71},  // 56 + 12 + 2 + 5 = 75; 24 + 2 + 5 = 31
  };
  for (const Case& c : cases) {
    Book b;
    c.fill(b);
    b.Fit(c.first, c.last).AutoFitColumns();
    EXPECT_NEAR(b.sheet->ColumnInfo().ColumnWidth(0), c.a, 1e-5) << c.name;
    EXPECT_NEAR(b.sheet->ColumnInfo().ColumnWidth(1), c.b, 1e-5) << c.name;
  }
}

TEST(AutoFit, RowHeights) {
  Book b;
  b.At(1, 1)->SetValue(TVariant(u"big"));
  b.At(1, 1)->Font()->SetSize(20);  // line 30, descent 6: 30 + 6 - 2 + 1 = 35 pixels
  b.At(1, 2)->SetValue(TVariant(u"small"));
  // Row 2 has no values: its cells count with the sample text in the
  // default font: 15 + 3 - 2 + 1 = 17.
  b.At(3, 1)->SetValue(TVariant(u"aa aa aa"));
  b.At(3, 1)->SetWrapText(TVariant(true));
  b.At(3, 1)->SetColumnWidth(TVariant(2.0));  // 19 pixels: three lines, 3 x 17
  b.At(4, 1)->SetValue(TVariant(u"tiny"));
  // Line 8 (< 11), c = 8 + 1 - 2 = 7 (< 9): 8 + 1 + 2 = 11, in both cells.
  b.sheet->Range(u"A4", u"B4")->Font()->SetSize(5);
  b.At(5, 2)->SetValue(TVariant(u"turned and long"));
  b.At(5, 2)->SetOrientation(TVariant(90));  // 13 x 6 + 2 x 3 = 84, + 2 + 5 = 91
  b.At(6, 1)->SetValue(TVariant(u"merged"));
  b.At(6, 1)->Font()->SetSize(20);
  b.sheet->Range(u"A6", u"B6")->Merge();  // still the sample text in its font
  std::u16string words;
  for (int i = 0; i < 200; ++i) words += u"aa ";
  b.At(7, 1)->SetValue(TVariant(words));  // 200 lines of 17 pixels: more than a row can be
  b.At(7, 1)->SetWrapText(TVariant(true));
  b.Fit(u"A1", u"B7").AutoFitRows();
  const double expected[] = {26.25, 12.75, 38.25, 8.25, 68.25, 26.25, 409.5};
  for (int32_t r = 0; r < 7; ++r) EXPECT_NEAR(b.sheet->RowInfo().RowHeight(r), expected[r], 1e-5) << "row " << r + 1;
}

TEST(AutoFit, WithoutAnyFontSizesStay) {
  std::unique_ptr<TTextMeasurer> none =
      CreateFontMeasurer([](const std::string&, bool, std::string&, int32_t&) { return false; });
  const TXLSScreenUnits units = MeasureScreenUnits(*none);
  EXPECT_EQ(units.CharWidth, 0);
  Book b;
  b.At(1, 1)->SetValue(TVariant(u"a long text"));
  b.At(1, 1)->Font()->SetSize(20);
  XLSPtr<IXLSRange> range = b.sheet->Range(u"A1", u"B2");
  TXLSAutoFit fit(*range, *none, units);
  fit.AutoFitColumns();
  fit.AutoFitRows();
  EXPECT_NEAR(b.sheet->ColumnInfo().ColumnWidth(0), 8.43, 1e-5);
  EXPECT_NEAR(b.sheet->RowInfo().RowHeight(0), 12.75, 1e-5);
  EXPECT_EQ(fit.CellWidth(0, 0, -1), -1);
  EXPECT_EQ(fit.CellHeight(0, 0), -1);
}

// The engine's link measures with the installed fonts (scripts/setup.sh
// installs metric-compatible faces for Arial).
TEST(AutoFit, RangeAutoFitThroughTheEngine) {
  if (ScreenUnits().CharWidth == 0) GTEST_SKIP() << "no font to measure with";
  EXPECT_EQ(ScreenUnits().CharWidth, 7);
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  sheet->Cells()->Item(1, 1)->SetValue(TVariant(u"a much longer text than the other"));
  sheet->Cells()->Item(1, 2)->SetValue(TVariant(u"ab"));
  sheet->Cells()->Item(1, 4)->SetValue(TVariant(u"ab"));
  sheet->Cells()->Item(1, 4)->Font()->SetSize(20);
  sheet->Range(u"A1", u"D1")->Columns()->ColumnsAutoFit(true);
  const TXLSColumnInfoList& widths = sheet->ColumnInfo();
  EXPECT_GT(widths.ColumnWidth(0), 20.0);
  EXPECT_LT(widths.ColumnWidth(1), 3.0);
  EXPECT_NEAR(widths.ColumnWidth(2), 8.43, 1e-5);
  EXPECT_GT(widths.ColumnWidth(3), 1.8 * widths.ColumnWidth(1));
  sheet->Range(u"A1", u"D1")->Rows()->RowsAutoFit(false);
  EXPECT_GT(sheet->RowInfo().RowHeight(0), 24.0);
}

}  // namespace
}  // namespace lx
