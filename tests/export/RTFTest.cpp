// RTF: text escaping, the document layout of a small sheet, the font and
// colour tables, cell widths and scaling, merged areas, borders, fills and
// character formats, the workbook and range saves, and failed saves.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "lxHandle.h"
#include "lxRTF.h"
#include "lxRange.h"
#include "lxStyle.h"
#include "support/LocaleGuard.h"
#include "support/TempDir.h"

namespace lx {
namespace {

using test::TLocaleGuard;

std::string Bytes(const TMemoryStream& stream) { return std::string(stream.Bytes().begin(), stream.Bytes().end()); }

// The default sheet's header: one font, no colours, the default margins.
constexpr const char* kDefaultHead =
    "{\\rtf1\\ansi\\uc1\n\r{\\fonttbl {\\f1 \\fnil Arial;}\r\n}\r\n\\margl1080\\margr1080\\margt1440\\margb1440\r\n";

std::string Document(TXLSWorkbook& book) {
  TMemoryStream stream;
  EXPECT_EQ(book.SaveAsRTF(stream), kResultOk);
  return Bytes(stream);
}

// The text between the header and the closing brace.
std::string Body(const std::string& document) {
  const size_t start = document.find("\\trowd");
  return start == std::string::npos ? std::string() : document.substr(start, document.size() - start - 1);
}

TEST(RTF, TextIsEscapedAndForeignCharactersBecomeUnicodeEscapes) {
  const struct {
    std::u16string text;
    std::string expected;
  } cases[] = {
      {u"{a}\\b\r\n", "\\{a\\}\\\\b\\line "},
      {u"one\ntwo\rthree\r\n\nfour", "one\\line two\\line three\\line \\line four"},
      {u"a\tb", "a\\tab b"},
      {u"caf\u00e9 \u20ac5",
       "caf\xe9 \x80"
       "5"},
      {u"\u0416\u65e5", "\\u1046?\\u26085?"},
      {u"\uff21", "\\u-223?"},                 // above 0x7FFF: the signed 16-bit value
      {u"\U0001F600", "\\u-10179?\\u-8704?"},  // a surrogate pair: two escapes
      {std::u16string(u"x\xd800y"), "x?y"},    // half a pair: as the code page gives it
      {u"\u0081\u0090", "\x81\x90"},           // bytes the page leaves undefined survive
  };
  for (const auto& c : cases) {
    std::string out;
    TXLSRTFExport::AppendText(c.text, out);
    EXPECT_EQ(out, c.expected);
  }
}

TEST(RTF, ASheetOfDefaultFormatsIsOneTableWithOneFontAndNoColours) {
  const TLocaleGuard locale{TFormatSettings{}};
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  sheet->Cells()->Item(1, 1)->SetValue(TVariant(u"Name"));
  sheet->Cells()->Item(1, 2)->SetValue(TVariant(42));
  sheet->Cells()->Item(2, 2)->SetValue(TVariant(true));
  EXPECT_EQ(Document(*book), std::string(kDefaultHead) +
                                 "\\trowd\\trql\\trleft36\r\n\\clvertalb\\cellx996\r\n\\clvertalb\\cellx1956\r\n"
                                 "\\pard\\intbl\\plain\r\n\\f1\\fs20\\li30\r\nName\\cell\r\n"
                                 "\\pard\\intbl\\plain\r\n\\f1\\fs20\\qr\\ri30\r\n42\\cell\r\n\\row\r\n\r\n"
                                 "\\trowd\\trql\\trleft36\r\n\\clvertalb\\cellx996\r\n\\clvertalb\\cellx1956\r\n"
                                 "\\pard\\intbl\\plain\r\n\\f1\\fs20\\li30\r\n\\cell\r\n"
                                 "\\pard\\intbl\\plain\r\n\\f1\\fs20\\qr\\ri30\r\nTrue\\cell\r\n\\row\r\n\r\n}");
}

TEST(RTF, FontsAndColoursAreNumberedOnceInOrderOfFirstUse) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  XLSPtr<IXLSRange> cells = sheet->Cells();
  // Each cell's range lives to the end of the statement that formats it.
  auto cell = [&](int32_t column) { return cells->Item(1, column); };
  TXLSRange::From(cell(1).Get())->SetFontName(u"Times New Roman");
  TXLSRange::From(cell(1).Get())->SetFontColorIndex(3);  // red
  cell(2)->Interior()->SetPattern(xlSolid);              // yellow fill, red font
  cell(2)->Interior()->SetColorIndex(6);
  TXLSRange::From(cell(2).Get())->SetFontColorIndex(3);
  cell(3)->SetValue(TVariant(u"plain"));                            // Arial, automatic colour
  TXLSRange::From(cell(4).Get())->SetFontName(u"TIMES NEW ROMAN");  // the first spelling's entry
  TXLSRange::From(cell(4).Get())->SetFontColorIndex(5);             // blue
  const std::string document = Document(*book);
  EXPECT_NE(
      document.find("{\\fonttbl {\\f1 \\fnil Times New Roman;}\r\n{\\f2 \\fnil Arial;}\r\n}\r\n"
                    "{\\colortbl ;\\red255\\green0\\blue0;\\red255\\green255\\blue0;\\red0\\green0\\blue255;}\r\n"),
      std::string::npos)
      << document;
  EXPECT_NE(document.find("\\clvertalb\\cellx996\r\n\\clvertalb\\clcbpat2\\cellx1956\r\n"), std::string::npos);
  const std::string fonts[] = {"\\f1\\fs20\\cf1\\li30", "\\f2\\fs20\\cf1\\li30", "\\f2\\fs20\\li30\r\nplain",
                               "\\f1\\fs20\\cf3\\li30"};
  size_t at = 0;
  for (const std::string& font : fonts) {
    at = document.find(font, at);
    EXPECT_NE(at, std::string::npos) << font;
  }
}

TEST(RTF, CellFormatsBecomeDefinitionAndCharacterControlWords) {
  const TLocaleGuard locale{TFormatSettings{}};
  struct TCase {
    std::function<void(TXLSRange&)> format;
    TVariant value;
    std::string definition;  // before the boundary
    std::string character;   // before the text
  };
  const TCase cases[] = {
      {[](TXLSRange& r) {
         r.SetFontBold(true);
         r.SetFontItalic(true);
         r.SetFontStrikethrough(true);
       },
       TVariant(u"x"), "\\clvertalb", "\\f1\\fs20\\i\\b\\strike\\li30"},
      {[](TXLSRange& r) {
         r.SetFontSize(14);
         r.SetFontUnderline(xlUnderlineStyleSingle);
       },
       TVariant(1.5), "\\clvertalb", "\\f1\\fs28\\ul\\qr\\ri30"},
      {[](TXLSRange& r) { r.SetFontUnderline(xlUnderlineStyleDouble); }, TVariant(), "\\clvertalb",
       "\\f1\\fs20\\uldb\\li30"},
      {[](TXLSRange& r) { r.SetFontUnderline(xlUnderlineStyleSingleAccounting); }, TVariant(), "\\clvertalb",
       "\\f1\\fs20\\uld\\li30"},
      {[](TXLSRange& r) { r.SetHorizontalAlignment(xlHAlignRight); }, TVariant(u"x"), "\\clvertalb",
       "\\f1\\fs20\\qr\\ri30"},
      {[](TXLSRange& r) { r.SetHorizontalAlignment(xlHAlignLeft); }, TVariant(7), "\\clvertalb",
       "\\f1\\fs20\\ql\\li30"},
      {[](TXLSRange& r) {
         r.SetHorizontalAlignment(xlHAlignCenter);
         r.SetVerticalAlignment(xlVAlignTop);
       },
       TVariant(), "\\clvertalt", "\\f1\\fs20\\qc\\sb25"},
      {[](TXLSRange& r) {
         r.SetHorizontalAlignment(xlHAlignJustify);
         r.SetVerticalAlignment(xlVAlignCenter);
       },
       TVariant(), "\\clvertalc", "\\f1\\fs20\\qj"},
      // A date is text to a general alignment.
      {[](TXLSRange& r) { r.SetNumberFormat(u"yyyy-mm-dd"); }, TVariant::FromDate(45000), "\\clvertalb",
       "\\f1\\fs20\\li30\r\n2023-03-15"},
      // Borders: all four edges in red, thin; the colour table's first entry.
      {[](TXLSRange& r) {
         r.Borders()->SetLineStyle(xlContinuous);
         r.Borders()->SetColorIndex(3);
       },
       TVariant(),
       "\\clvertalb\\clbrdrt \\brdrs\\brdrw20\\brdrcf1 \\clbrdrr \\brdrs\\brdrw20\\brdrcf1 "
       "\\clbrdrl \\brdrs\\brdrw20\\brdrcf1 \\clbrdrb \\brdrs\\brdrw20\\brdrcf1 ",
       "\\f1\\fs20\\li30"},
      {[](TXLSRange& r) {
         XLSPtr<IXLSBorder> top = r.Borders()->Item(xlEdgeTop);
         top->SetLineStyle(xlDash);
         top->SetWeight(xlMedium);
         top->SetColorIndex(5);
         XLSPtr<IXLSBorder> bottom = r.Borders()->Item(xlEdgeBottom);
         bottom->SetLineStyle(xlDouble);
         bottom->SetColorIndex(5);
       },
       TVariant(), "\\clvertalb\\clbrdrt \\brdrdashsm\\brdrw40\\brdrcf1 \\clbrdrb \\brdrdb\\brdrw20\\brdrcf1 ",
       "\\f1\\fs20\\li30"},
      {[](TXLSRange& r) {
         r.Borders()->Item(xlEdgeLeft)->SetWeight(xlHairline);
         r.Borders()->Item(xlEdgeRight)->SetLineStyle(xlSlantDashDot);
       },
       TVariant(), "\\clvertalb\\clbrdrr \\brdrdashdotstr\\brdrw40\\brdrcf1 \\clbrdrl \\brdrhair\\brdrcf1 ",
       "\\f1\\fs20\\li30"},
      {[](TXLSRange& r) {
         r.Interior()->SetPattern(xlGray50);
         r.Interior()->SetColorIndex(4);
         r.SetFontColorIndex(4);
       },
       TVariant(), "\\clvertalb\\clcbpat1", "\\f1\\fs20\\cf1\\li30"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
    IXLSWorksheet* sheet = book->Worksheets()->Add();
    XLSPtr<IXLSRange> cell = sheet->Cells()->Item(1, 1);
    cases[i].format(*TXLSRange::From(cell.Get()));
    cell->SetValue(cases[i].value);
    const std::string body = Body(Document(*book));
    EXPECT_EQ(body.substr(0, body.find("\\cellx")), "\\trowd\\trql\\trleft36\r\n" + cases[i].definition) << i;
    EXPECT_NE(body.find("\\pard\\intbl\\plain\r\n" + cases[i].character), std::string::npos) << i << "\n" << body;
  }
}

TEST(RTF, CellBoundariesAccumulateAndFitToOnePageScalesEverything) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  sheet->Cells()->Item(1, 1)->SetValue(TVariant(u"a"));
  sheet->Cells()->Item(1, 4)->SetValue(TVariant(u"d"));
  sheet->Range(u"B1", u"B1")->SetColumnWidth(TVariant(10));
  sheet->Range(u"C1", u"C1")->SetColumnWidth(TVariant(1));
  sheet->Range(u"D1", u"D1")->SetColumnWidth(TVariant(0.5));
  sheet->Range(u"A1", u"A1")->SetRowHeight(TVariant(15));
  std::string body = Body(Document(*book));
  EXPECT_EQ(body.substr(0, body.find("\\pard")),
            "\\trowd\\trql\\trleft36\\trrh-292\r\n\\clvertalb\\cellx996\r\n\\clvertalb\\cellx2121\r\n"
            "\\clvertalb\\cellx2301\r\n\\clvertalb\\cellx2391\r\n");

  // Letter paper, 0.75-inch margins: 10082 twips for 200 characters (21075
  // twips), a scale of 0.478.
  sheet->Range(u"A1", u"D1")->SetColumnWidth(TVariant(50));
  TXLSPageSetup& setup = sheet->PageSetup();
  setup.SetPaperSize(1);
  setup.SetZoom(TVariant(false));
  setup.SetFitToPagesWide(TVariant(1));
  body = Body(Document(*book));
  EXPECT_EQ(body.substr(0, body.find("\\pard")),
            "\\trowd\\trql\\trleft36\\trrh-140\r\n\\clvertalb\\cellx2616\r\n\\clvertalb\\cellx5196\r\n"
            "\\clvertalb\\cellx7776\r\n\\clvertalb\\cellx10356\r\n");
  EXPECT_NE(body.find("\\f1\\fs10\\li14\r\nd\\cell"), std::string::npos) << body;
  // Wider than three pages: too small to read, so not scaled at all.
  sheet->Range(u"A1", u"F1")->SetColumnWidth(TVariant(200));
  body = Body(Document(*book));
  EXPECT_NE(body.find("\\trrh-292"), std::string::npos);
  EXPECT_NE(body.find("\\f1\\fs20\\li30\r\nd\\cell"), std::string::npos);
  // Not in fit-to-page mode: no scale.
  setup.SetZoom(TVariant(100));
  sheet->Range(u"A1", u"F1")->SetColumnWidth(TVariant(50));
  EXPECT_NE(Document(*book).find("\\trrh-292\r\n\\clvertalb\\cellx5361\r\n"), std::string::npos);
}

TEST(RTF, MergedAreasSpanTheirColumnsAndMergeVertically) {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  sheet->Range(u"A1", u"B2")->Merge();
  sheet->Cells()->Item(1, 1)->SetValue(TVariant(u"M"));
  sheet->Range(u"C2", u"D2")->Merge();
  sheet->Cells()->Item(2, 3)->SetValue(TVariant(u"H"));
  const std::string cell = "\\pard\\intbl\\plain\r\n\\f1\\fs20\\li30\r\n";
  const std::string expected =
      "\\trowd\\trql\\trleft36\r\n\\clvmgf\\clvertalb\r\n\\cellx1956\r\n\\clvertalb\\cellx2916\r\n"
      "\\clvertalb\\cellx3876\r\n" +
      cell + "M\\cell\r\n" + cell + "\\cell\r\n" + cell + "\\cell\r\n\\row\r\n\r\n" +
      "\\trowd\\trql\\trleft36\r\n\\clvmrg\r\n\\cellx1956\r\n\\clvertalb\r\n\\cellx3876\r\n" + cell + "\\cell\r\n" +
      cell + "H\\cell\r\n\\row\r\n\r\n";
  EXPECT_EQ(Body(Document(*book)), expected);

  // A range touching a merged area takes the whole area; the caller's range
  // keeps its bounds.
  XLSPtr<IXLSRange> part = sheet->Range(u"B2", u"B2");
  TMemoryStream stream;
  EXPECT_EQ(part->SaveAs(stream, kSaveRTF), kResultOk);
  EXPECT_EQ(part->Column(), 2);
  const std::string document = Bytes(stream);
  EXPECT_NE(document.find("\\clvmrg\r\n\\cellx1956\r\n"), std::string::npos) << document;
  EXPECT_EQ(document.find("\\cellx2916"), std::string::npos);
}

class RTFFiles : public test::TTempDirTest {};

TEST_F(RTFFiles, WorkbookSheetsAndRangesSaveByEveryRoute) {
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  IXLSWorksheet* first = book->Worksheets()->Add();
  IXLSWorksheet* second = book->Worksheets()->Add();
  first->Cells()->Item(1, 1)->SetValue(TVariant(u"first"));
  second->Cells()->Item(3, 2)->SetValue(TVariant(u"second"));
  second->PageSetup().SetPaperSize(9);
  second->PageSetup().SetOrientation(kOrientationLandscape);
  second->PageSetup().SetTopMargin(0);
  ASSERT_EQ(book->SaveAsRTF(Path("book.rtf")), kResultOk);
  const std::string document = Read("book.rtf");
  // The page information of the sheet written last.
  EXPECT_NE(document.find("}\r\n\\paperw16840\\paperh11908\\margl1080\\margr1080\\margb1440\\landscape\r\n\\trowd"),
            std::string::npos)
      << document;
  const size_t breakAt = document.find("\\row\r\n\r\n\\pard \\page \\par\r\n\\trowd");
  EXPECT_NE(breakAt, std::string::npos);
  EXPECT_LT(document.find("first"), breakAt);
  EXPECT_GT(document.find("second"), breakAt);

  EXPECT_EQ(book->SaveAs(Path("code4.rtf"), kSaveRTF), kResultOk);
  EXPECT_EQ(Read("code4.rtf"), document);
  TMemoryStream stream;
  EXPECT_EQ(book->SaveAs(stream, kSaveRTF), kResultOk);
  EXPECT_EQ(Bytes(stream), document);
  EXPECT_EQ(book->Save(), kResultNothingToSave);  // RTF saves are not remembered

  XLSPtr<IXLSRange> range = second->Range(u"B3", u"B3");
  EXPECT_EQ(range->SaveAs(Path("range.rtf"), kSaveRTF), kResultOk);
  EXPECT_EQ(Body(Read("range.rtf")),
            "\\trowd\\trql\\trleft36\r\n\\clvertalb\\cellx996\r\n\\pard\\intbl\\plain\r\n\\f1\\fs20\\li30\r\n"
            "second\\cell\r\n\\row\r\n\r\n");
  TXLSRTFExport exporter;
  TMemoryStream sheetStream;
  EXPECT_EQ(exporter.WriteSheet(*first, sheetStream), kResultOk);
  EXPECT_EQ(Bytes(sheetStream).find("\\page"), std::string::npos);
  EXPECT_NE(Bytes(sheetStream).find("first"), std::string::npos);
}

// A save that fails leaves the file it was to replace as it was: here the
// file-size limit stops the writes part-way; a stream that refuses bytes
// and a folder that does not exist are failures too.
TEST_F(RTFFiles, AFailedSaveKeepsTheOldFile) {
  {
    std::ofstream old(dir_ / "old.rtf", std::ios::binary);
    old << "old bytes";
  }
  XLSPtr<IXLSWorkBook> book = CreateWorkbook();
  IXLSWorksheet* sheet = book->Worksheets()->Add();
  for (int32_t r = 1; r <= 200; ++r) sheet->Cells()->Item(r, 1)->SetValue(TVariant(u"field"));
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int32_t result = book->SaveAsRTF(Path("old.rtf"));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(result, kResultFail);
  EXPECT_EQ(Read("old.rtf"), "old bytes");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), std::filesystem::directory_iterator()), 1);

  EXPECT_EQ(book->SaveAsRTF(Path("missing/book.rtf")), kResultFail);
  class TFullStream final : public TStream {
   public:
    int64_t Read(void*, int64_t) override { return -1; }
    int64_t Write(const void*, int64_t count) override { return count > 16 ? 16 : count; }
    int64_t Seek(int64_t, TSeekOrigin) override { return 0; }
    int64_t Size() override { return 0; }
  } full;
  EXPECT_EQ(book->SaveAsRTF(full), kResultFail);
}

}  // namespace
}  // namespace lx
