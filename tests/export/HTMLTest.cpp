// HTML pages: class rules once per appearance, merged areas, hidden rows and
// columns, sizes, escaping and characters outside code page 1252, the
// frameset's files and tab strip, the stream form and failed exports.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "lxHTML.h"
#include "lxHandle.h"
#include "lxRange.h"
#include "lxStyle.h"
#include "support/LocaleGuard.h"

namespace lx {
namespace {

namespace fs = std::filesystem;
using test::TLocaleGuard;

std::string Bytes(const TMemoryStream& stream) { return std::string(stream.Bytes().begin(), stream.Bytes().end()); }

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The page of a range, written through the range's SaveAs with code 3.
std::string Page(const XLSPtr<IXLSRange>& range) {
  TMemoryStream stream;
  EXPECT_EQ(range->SaveAs(stream, kSaveHTML), kResultOk);
  return Bytes(stream);
}

// The td lines of a page, each as "row:line".
std::vector<std::string> Cells(const std::string& page) {
  std::vector<std::string> cells;
  std::istringstream lines(page);
  std::string line;
  int row = 0;
  while (std::getline(lines, line)) {
    if (line.rfind("<tr>", 0) == 0) ++row;
    if (line.rfind(" <td ", 0) == 0) cells.push_back(std::to_string(row) + ":" + line.substr(0, line.size() - 1));
  }
  return cells;
}

class HTMLTest : public ::testing::Test {
 protected:
  void SetUp() override {
    book_ = CreateXLSWorkbook();
    sheet_ = book_->Worksheets()->Add();
    dir_ = fs::temp_directory_path() / ("lx_html_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  XLSPtr<IXLSRange> Cell(int32_t row, int32_t column) { return sheet_->Cells()->Item(row, column); }
  std::u16string Path(const std::string& name) { return Utf8ToUtf16((dir_ / name).string()); }

  TLocaleGuard locale_{TFormatSettings{}};
  XLSPtr<TXLSWorkbook> book_;
  IXLSWorksheet* sheet_ = nullptr;
  fs::path dir_;
};

TEST_F(HTMLTest, OneRulePerAppearanceAndEveryClassHasItsRule) {
  for (int32_t row = 1; row <= 3; ++row) {
    Cell(row, 1)->SetValue(TVariant(u"t"));
    Cell(row, 2)->SetValue(TVariant(row));
  }
  TXLSFont::Create(TXLSRange::From(Cell(2, 2).Get()))->SetBold(true);
  TXLSFont::Create(TXLSRange::From(Cell(3, 2).Get()))->SetBold(true);
  Cell(3, 1)->SetHorizontalAlignment(xlHAlignRight);
  const std::string page = Page(sheet_->Range(u"A1", u"B3"));
  // Plain, bold and right-aligned: three rules for six cells.
  EXPECT_EQ(Count(page, " td.f"), 3) << page;
  EXPECT_EQ(Count(page, "font-weight: bold; "), 1);
  EXPECT_EQ(Count(page, "text-align: right; padding-left: 0;"), 1);
  int tds = 0;
  for (size_t at = page.find(" class=f"); at != std::string::npos; at = page.find(" class=f", at + 1), ++tds) {
    const std::string key = page.substr(at + 8, page.find('>', at) - at - 8);
    EXPECT_NE(page.find(" td.f" + key + " {"), std::string::npos) << key;
  }
  EXPECT_EQ(tds, 6);
  // General alignment: numbers right, texts left; an explicit alignment no
  // attribute.
  const auto cells = Cells(page);
  ASSERT_EQ(cells.size(), 6u);
  EXPECT_EQ(cells[0].find("align=left "), 7u) << cells[0];
  EXPECT_NE(cells[1].find("align=right "), std::string::npos);
  EXPECT_EQ(cells[4].find("align="), std::string::npos) << cells[4];
}

TEST_F(HTMLTest, MergedAreasSpanAndCoverTheirCells) {
  struct TCase {
    const char* name;
    std::u16string merge;  // first and last cell
    std::u16string from, to;
    std::vector<std::string> expected;  // "row:fragment" per written cell
  };
  const TCase cases[] = {
      {"2x3 block",
       u"B2:D3",
       u"A1",
       u"E3",
       {"1:", "1:", "1:", "1:", "1:", "2:", "2:colspan=3 rowspan=2 ", "2:", "3:", "3:"}},
      // A range that starts inside the area writes it from there.
      {"clipped", u"B2:D3", u"C3", u"E3", {"1:colspan=2 ", "1:"}},
  };
  for (const TCase& c : cases) {
    SetUp();
    sheet_->Range(c.merge.substr(0, 2), c.merge.substr(3))->Merge();
    Cell(2, 2)->SetValue(TVariant(u"merged"));
    const auto cells = Cells(Page(sheet_->Range(c.from, c.to)));
    ASSERT_EQ(cells.size(), c.expected.size()) << c.name;
    for (size_t i = 0; i < cells.size(); ++i) {
      const std::string& want = c.expected[i];
      const std::string row = want.substr(0, want.find(':') + 1);
      EXPECT_EQ(cells[i].rfind(row, 0), 0u) << c.name << " " << cells[i];
      if (want.size() > row.size()) {
        EXPECT_NE(cells[i].find(want.substr(row.size())), std::string::npos) << cells[i];
      }
    }
    TearDown();
  }
}

TEST_F(HTMLTest, MergedAreaWithOtherBottomFormatGetsACompoundKeyAndItsBorder) {
  XLSPtr<IXLSRange> area = sheet_->Range(u"A1", u"B2");
  area->Merge();
  // The bottom-left cell keeps its own double bottom edge (a double line
  // is thick: 2pt + 1.5pt).
  TXLSBorders::Create(TXLSRange::From(Cell(2, 1).Get()))->Item(xlEdgeBottom)->SetLineStyle(xlDouble);
  const std::string page = Page(sheet_->Range(u"A1", u"B2"));
  const int32_t k = Cell(1, 1)->FormatIndex() > 0 ? Cell(1, 1)->FormatIndex() : 15;
  const int32_t kb = Cell(2, 1)->FormatIndex();
  const int32_t kr = Cell(1, 2)->FormatIndex() > 0 ? Cell(1, 2)->FormatIndex() : 15;
  ASSERT_NE(kb, k);
  const std::string key = std::to_string(k) + "r" + std::to_string(kr) + "b" + std::to_string(kb);
  EXPECT_NE(page.find(" class=f" + key + ">"), std::string::npos) << page;
  const size_t rule = page.find(" td.f" + key + " {");
  ASSERT_NE(rule, std::string::npos);
  EXPECT_NE(page.find("border-bottom: 3.5pt double #000000; ", rule), std::string::npos) << page;
}

TEST_F(HTMLTest, HiddenRowsAndColumnsAreLeftOutAndSpansCountWhatIsShown) {
  for (int32_t row = 1; row <= 3; ++row)
    for (int32_t column = 1; column <= 3; ++column) Cell(row, column)->SetValue(TVariant(row * 10 + column));
  sheet_->Range(u"A3", u"C3")->Merge();
  sheet_->Range(u"B1", u"B1")->EntireColumn()->SetHidden(TVariant(true));
  sheet_->Range(u"A2", u"A2")->EntireRow()->SetHidden(TVariant(true));
  const std::string page = Page(sheet_->Range(u"A1", u"C3"));
  EXPECT_EQ(Count(page, " <col "), 2);
  EXPECT_EQ(Count(page, "<tr>"), 2);
  const auto cells = Cells(page);
  ASSERT_EQ(cells.size(), 3u) << page;
  EXPECT_NE(cells[0].find(">11</td"), std::string::npos);
  EXPECT_NE(cells[1].find(">13</td"), std::string::npos);
  EXPECT_NE(cells[2].find("colspan=2 "), std::string::npos) << cells[2];
  EXPECT_EQ(page.find(">12<"), std::string::npos);
  EXPECT_EQ(page.find(">21<"), std::string::npos);
}

TEST_F(HTMLTest, SizesInExtentUnitsAndPoints) {
  Cell(1, 1)->SetValue(TVariant(u"a"));
  Cell(1, 1)->SetRowHeight(TVariant(15.0));
  Cell(2, 1)->SetColumnWidth(TVariant(8.43));
  Cell(1, 2)->SetColumnWidth(TVariant(0.0));
  const std::string page = Page(sheet_->Range(u"A1", u"B2"));
  EXPECT_NE(page.find(" <col width=659730 style='width:49.5pt' >"), std::string::npos) << page;
  EXPECT_NE(page.find(" <col width=61200 style='width:4.6pt' >"), std::string::npos);
  EXPECT_NE(page.find("width=720930 style='border-collapse:collapse;table-layout:fixed;width:54.1pt'>"),
            std::string::npos);
  const auto cells = Cells(page);
  ASSERT_EQ(cells.size(), 4u);
  EXPECT_EQ(cells[0].rfind("1: <td  height=199950 style='height:15pt' align=left  class=f", 0), 0u) << cells[0];
  EXPECT_EQ(cells[1].find("height"), std::string::npos);
  EXPECT_EQ(cells[2].find("height"), std::string::npos);  // the default height is no custom height
}

TEST_F(HTMLTest, TextsAreEscapedAndCharactersOutside1252AreReferences) {
  struct TCase {
    std::u16string text;
    std::string expected;
  };
  const TCase cases[] = {
      {u"<b>&\"x\"", "&lt;b&gt;&amp;&quot;x&quot;"},
      {u"\u0416\u65e5", "&#1046;&#26085;"},
      {u"\u00e9\u20ac\u2014", "\xe9\x80\x97"},  // 1252 holds these: their bytes
      {u"\U0001F600", "&#128512;"},
      {u"\u0081", "&#129;"},  // a byte 1252 leaves undefined
      {u"", "&nbsp;"},
  };
  for (const TCase& c : cases) {
    Cell(1, 1)->SetValue(TVariant(c.text));
    const auto cells = Cells(Page(sheet_->Range(u"A1", u"A1")));
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_NE(cells[0].find(">" + c.expected + "</td>"), std::string::npos) << cells[0];
  }
  // A font name cannot end the rule or the style element.
  TXLSFont::Create(TXLSRange::From(Cell(1, 1).Get()))->SetName(u"A</style><script>;}\u0416");
  const std::string page = Page(sheet_->Range(u"A1", u"A1"));
  EXPECT_NE(page.find("font-family: A\\3C \\2F style\\3E \\3C script\\3E \\3B \\7D \\416 ; "), std::string::npos)
      << page;
  EXPECT_EQ(Count(page, "</STYLE>"), 1);
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_NE(page.find("charset=windows-1252"), std::string::npos);
}

TEST_F(HTMLTest, FramesetFilesTabStripAndActiveSheet) {
  sheet_->SetName(u"<img src=x onerror=alert(1)>");
  book_->Worksheets()->Add()->SetName(u"\u0416 & \"q\"");
  book_->Worksheets()->Item(2)->Activate();
  ASSERT_EQ(book_->SaveAsHTML(Path("my book #1.htm")), kResultOk);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir_ / "my book #1.files"))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Sheet001.htm", "Sheet002.htm", "tabstrip.htm"}));
  const std::string frameset = ReadAll(dir_ / "my book #1.htm");
  EXPECT_NE(frameset.find("<frame src=\"my%20book%20%231.files/Sheet002.htm\" name=\"frSheet\">"), std::string::npos)
      << frameset;
  const std::string tabs = ReadAll(dir_ / "my book #1.files" / "tabstrip.htm");
  EXPECT_NE(tabs.find("<a href=\"Sheet001.htm\" target=\"frSheet\"><font face=\"Arial\" color=\"#000000\">"
                      "&lt;img src=x onerror=alert(1)&gt;</font>"),
            std::string::npos)
      << tabs;
  EXPECT_NE(tabs.find(">&#1046; &amp; &quot;q&quot;</font>"), std::string::npos);
  EXPECT_EQ(tabs.find("<img"), std::string::npos);

  // One sheet: one page, no folder; the file is a page of the sheet.
  auto single = CreateXLSWorkbook();
  single->Worksheets()->Add();
  ASSERT_EQ(single->SaveAs(Path("one.html"), kSaveHTML), kResultOk);
  EXPECT_FALSE(fs::exists(dir_ / "one.files"));
  const auto cells = Cells(ReadAll(dir_ / "one.html"));
  ASSERT_EQ(cells.size(), 1u);  // an empty sheet: A1 alone
  EXPECT_NE(cells[0].find(">&nbsp;</td>"), std::string::npos);
}

TEST_F(HTMLTest, SheetNumbersGrowPastThreeDigits) {
  for (int i = 2; i <= 1000; ++i) book_->Worksheets()->Add();
  ASSERT_EQ(book_->SaveAsHTML(Path("many.htm")), kResultOk);
  for (const char* name : {"Sheet001.htm", "Sheet099.htm", "Sheet999.htm", "Sheet1000.htm"})
    EXPECT_TRUE(fs::exists(dir_ / "many.files" / name)) << name;
  EXPECT_FALSE(fs::exists(dir_ / "many.files" / "Sheet1001.htm"));
  const std::string tabs = ReadAll(dir_ / "many.files" / "tabstrip.htm");
  EXPECT_EQ(Count(tabs, "<td bgcolor=\"#FFFFFF\" nowrap>"), 1000);
  EXPECT_NE(tabs.find("<a href=\"Sheet1000.htm\""), std::string::npos);
}

TEST_F(HTMLTest, StreamFormWritesAtThePosition) {
  Cell(1, 1)->SetValue(TVariant(2.5));
  TMemoryStream stream;
  ASSERT_TRUE(stream.WriteAll("head", 4));
  ASSERT_EQ(sheet_->Range(u"A1", u"A1")->SaveAs(stream, kSaveHTML), kResultOk);
  const std::string bytes = Bytes(stream);
  EXPECT_EQ(bytes.rfind("head<html><head>\r\n", 0), 0u);
  EXPECT_NE(bytes.find(">2.5</td>\r\n</tr>\r\n</table></body></html>\r\n"), std::string::npos);
  // The workbook's stream save is the page of the active sheet.
  TMemoryStream book;
  ASSERT_EQ(book_->SaveAs(book, kSaveHTML), kResultOk);
  EXPECT_EQ(Bytes(book), bytes.substr(4));
}

TEST_F(HTMLTest, FailedExportLeavesNothingBehind) {
  book_->Worksheets()->Add();
  std::ofstream(dir_ / "book.htm") << "old";
  // The folder's name is taken by a file: no folder, no pages, old page kept.
  std::ofstream(dir_ / "book.files") << "in the way";
  EXPECT_EQ(book_->SaveAsHTML(Path("book.htm")), kResultFail);
  EXPECT_EQ(ReadAll(dir_ / "book.htm"), "old");
  // A frameset whose own file cannot be written removes the folder it made.
  fs::create_directory(dir_ / "target.htm");
  EXPECT_EQ(book_->SaveAsHTML(Path("target.htm")), kResultFail);
  EXPECT_FALSE(fs::exists(dir_ / "target.files"));
  // A missing directory: nothing is made on the way.
  EXPECT_EQ(book_->SaveAsHTML(Path("missing/deeper.htm")), kResultFail);
  EXPECT_EQ(sheet_->Range(u"A1", u"A1")->SaveAs(Path("missing/page.htm"), kSaveHTML), kResultFail);
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
  size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 3u);  // book.htm, book.files, target.htm
}

}  // namespace
}  // namespace lx
