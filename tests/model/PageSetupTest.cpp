#include <gtest/gtest.h>

#include <string>

#include "lxPageSetup.h"

namespace lx {
namespace {

// What a variant property reads: "false", or the 32-bit integer it holds.
std::string Read(const TVariant& value) {
  if (value.VarType() == varBoolean) return value.ToBool() ? "true" : "false";
  if (value.VarType() != varInteger) return "type " + std::to_string(value.VarType());
  return std::to_string(value.ToInt32());
}

TEST(PageSetup, DefaultsOfANewSheet) {
  XLSPtr<TXLSPageSetup> setup = MakeXLS<TXLSPageSetup>();
  EXPECT_EQ(setup->Orientation(), 1);
  EXPECT_EQ(setup->PaperSize(), 256);
  EXPECT_EQ(setup->StoredPaperSize(), 0);
  EXPECT_EQ(Read(setup->Zoom()), "100");
  EXPECT_EQ(Read(setup->FitToPagesTall()), "false");
  EXPECT_EQ(Read(setup->FitToPagesWide()), "false");
  EXPECT_TRUE(setup->PrintGridlines());
  EXPECT_FALSE(setup->PrintHeadings());
  EXPECT_DOUBLE_EQ(setup->HeaderMargin(), 0.5);
  EXPECT_DOUBLE_EQ(setup->FooterMargin(), 0.5);
  EXPECT_DOUBLE_EQ(setup->TopMargin(), 1.0);
  EXPECT_DOUBLE_EQ(setup->BottomMargin(), 1.0);
  EXPECT_DOUBLE_EQ(setup->LeftMargin(), 0.75);
  EXPECT_DOUBLE_EQ(setup->RightMargin(), 0.75);
  EXPECT_EQ(setup->PrintArea(), "");
  EXPECT_FALSE(setup->HasPrintArea());
  EXPECT_EQ(setup->ExternSheetIndex(), -1);
}

TEST(PageSetup, ReachableThroughItsInterface) {
  XLSPtr<TXLSPageSetup> setup = MakeXLS<TXLSPageSetup>();
  IXLSPageSetup* face = nullptr;
  ASSERT_EQ(setup->QueryInterface(IXLSPageSetup::kIID, reinterpret_cast<void**>(&face)), kQueryOk);
  XLSPtr<IXLSPageSetup> held(face);
  face->Release();
  held->SetOrientation(2);
  EXPECT_EQ(setup->Orientation(), 2);
}

TEST(PageSetup, OrientationAndPaperSizeIgnoreOtherValues) {
  TXLSPageSetup setup;
  setup.SetOrientation(2);
  EXPECT_FALSE(setup.Portrait());
  setup.SetOrientation(3);
  setup.SetOrientation(0);
  EXPECT_EQ(setup.Orientation(), 2);
  setup.SetOrientation(1);
  EXPECT_TRUE(setup.Portrait());

  setup.SetPaperSize(9);
  EXPECT_EQ(setup.PaperSize(), 9);
  setup.SetPaperSize(256);  // "not set"
  EXPECT_EQ(setup.StoredPaperSize(), 0);
  EXPECT_EQ(setup.PaperSize(), 256);
  setup.SetPaperSize(-1);
  setup.SetPaperSize(70000);
  EXPECT_EQ(setup.StoredPaperSize(), 0);
}

TEST(PageSetup, ZoomAndFitToPageInterplay) {
  TXLSPageSetup setup;
  setup.SetZoom(false);
  EXPECT_EQ(Read(setup.Zoom()), "false");
  EXPECT_TRUE(setup.FitToPage());
  setup.SetZoom(75);
  EXPECT_EQ(Read(setup.Zoom()), "75");
  EXPECT_FALSE(setup.FitToPage());
  setup.SetZoom(5);  // out of 10..400: nothing changes
  setup.SetZoom(401);
  EXPECT_EQ(Read(setup.Zoom()), "75");
  setup.SetZoom(false);
  setup.SetZoom(9.6);  // rounds to 10
  EXPECT_EQ(Read(setup.Zoom()), "10");
  setup.SetZoom(false);
  setup.SetZoom(true);  // true means "not fit to page"
  EXPECT_EQ(Read(setup.Zoom()), "10");
}

TEST(PageSetup, FitToPagesTakesBooleanOrCount) {
  TXLSPageSetup setup;
  setup.SetFitToPagesTall(2);
  EXPECT_EQ(Read(setup.FitToPagesTall()), "2");
  EXPECT_EQ(Read(setup.Zoom()), "false");  // a count turns fit to page on
  setup.SetZoom(80);
  EXPECT_FALSE(setup.FitToPage());
  EXPECT_EQ(Read(setup.FitToPagesTall()), "2");  // the count stays
  setup.SetFitToPagesTall(true);
  EXPECT_TRUE(setup.FitToPage());
  EXPECT_EQ(setup.FitTall(), 2);
  setup.SetFitToPagesTall(false);
  EXPECT_EQ(Read(setup.FitToPagesTall()), "false");
  EXPECT_FALSE(setup.FitToPage());
  EXPECT_EQ(Read(setup.Zoom()), "80");

  setup.SetFitToPagesWide(3);
  EXPECT_EQ(setup.FitWide(), 3);
  EXPECT_EQ(setup.FitTall(), 0);
  setup.SetFitToPagesWide(-1);
  EXPECT_EQ(setup.FitWide(), 3);
}

TEST(PageSetup, HeaderAndFooterTextLeaveOutEmptyParts) {
  TXLSPageSetup setup;
  EXPECT_EQ(setup.HeaderText(), u"");
  setup.SetCenterHeader(u"Title");
  EXPECT_EQ(setup.HeaderText(), u"&CTitle");
  setup.SetRightHeader(u"&P");
  setup.SetLeftHeader(u"Left");
  EXPECT_EQ(setup.HeaderText(), u"&LLeft&CTitle&R&P");
  setup.SetCenterHeader(u"");
  EXPECT_EQ(setup.HeaderText(), u"&LLeft&R&P");
  // Footer parts are kept apart from the header parts.
  EXPECT_EQ(setup.FooterText(), u"");
  setup.SetRightFooter(u"r");
  EXPECT_EQ(setup.FooterText(), u"&Rr");
  EXPECT_EQ(setup.RightFooter(), u"r");
  EXPECT_EQ(setup.RightHeader(), u"&P");
}

TEST(PageSetup, PrintAreaText) {
  TXLSPageSetup setup;
  setup.SetPrintArea("b2:d10");
  EXPECT_EQ(setup.PrintArea(), "B2:D10");
  EXPECT_EQ(setup.PrintAreaFirstRow(), 1);
  EXPECT_EQ(setup.PrintAreaLastRow(), 9);
  EXPECT_EQ(setup.PrintAreaFirstColumn(), 1);
  EXPECT_EQ(setup.PrintAreaLastColumn(), 3);

  setup.SetPrintArea("D10:B2");  // corners the other way round
  EXPECT_EQ(setup.PrintArea(), "B2:D10");
  EXPECT_EQ(setup.PrintAreaFirstRow(), 1);
  EXPECT_EQ(setup.PrintAreaLastColumn(), 3);

  for (const char* bad : {"B2", "A0:B2", "IW1:IW2", "$A$1:$B$2", "A1:B65537", "AAA1:B2", "1A:B2", ":"}) {
    setup.SetPrintArea(bad);
    EXPECT_EQ(setup.PrintArea(), "B2:D10") << bad;
  }
  setup.SetPrintArea("AA1:IV65536");
  EXPECT_EQ(setup.PrintArea(), "AA1:IV65536");
  EXPECT_EQ(setup.PrintAreaFirstColumn(), 26);
  EXPECT_EQ(setup.PrintAreaLastColumn(), 255);
  EXPECT_EQ(setup.PrintAreaLastRow(), 65535);

  setup.SetPrintArea("");
  EXPECT_FALSE(setup.HasPrintArea());
  EXPECT_EQ(setup.PrintArea(), "");
  EXPECT_EQ(setup.PrintAreaFirstRow(), -1);
}

TEST(PageSetup, PrintAreaCellsMustBeOrderedAndInside) {
  TXLSPageSetup setup;
  setup.SetPrintAreaCells(4, 2, 1, 9);  // first column after last
  setup.SetPrintAreaCells(9, 1, 2, 4);  // first row after last
  setup.SetPrintAreaCells(0, 0, 256, 5);
  setup.SetPrintAreaCells(0, 0, 5, 65536);
  setup.SetPrintAreaCells(-1, 0, 5, 5);
  EXPECT_FALSE(setup.HasPrintArea());
  setup.SetPrintAreaCells(0, 0, 255, 65535);
  EXPECT_EQ(setup.PrintArea(), "A1:IV65536");
}

TEST(PageSetup, PrintTitleSpans) {
  TXLSPageSetup setup;
  setup.SetPrintTitleColumns("$A:$C");
  EXPECT_EQ(setup.PrintTitleColumns(), "$A:$C");
  EXPECT_EQ(setup.TitleFirstColumn(), 1);
  EXPECT_EQ(setup.TitleLastColumn(), 3);
  setup.SetPrintTitleColumns(" c : $ a ");  // trimmed, ordered, case-insensitive
  EXPECT_EQ(setup.PrintTitleColumns(), "$A:$C");
  setup.SetPrintTitleColumns("$AA:$IV");
  EXPECT_EQ(setup.TitleFirstColumn(), 27);
  EXPECT_EQ(setup.TitleLastColumn(), 256);
  EXPECT_EQ(setup.PrintTitleColumns(), "$AA:$IV");
  for (const char* bad : {"$IW:$A", "A", "1:2", "$A:", "$A:$ZZ"}) {
    setup.SetPrintTitleColumns(bad);
    EXPECT_EQ(setup.PrintTitleColumns(), "$AA:$IV") << bad;
  }

  setup.SetPrintTitleRows("$1:$3");
  EXPECT_EQ(setup.PrintTitleRows(), "$1:$3");
  setup.SetPrintTitleRows("7 : 2");
  EXPECT_EQ(setup.TitleFirstRow(), 2);
  EXPECT_EQ(setup.TitleLastRow(), 7);
  EXPECT_EQ(setup.PrintTitleRows(), "$2:$7");
  for (const char* bad : {"0:3", "1:65536", "x:1", "A:B", "5", "1:-2", "$$1:2"}) {
    setup.SetPrintTitleRows(bad);
    EXPECT_EQ(setup.PrintTitleRows(), "$2:$7") << bad;
  }
  setup.SetPrintTitleRows("1:65535");
  EXPECT_EQ(setup.TitleLastRow(), 65535);

  setup.SetPrintTitleRows("");
  EXPECT_EQ(setup.PrintTitleRows(), "");
  EXPECT_TRUE(setup.HasPrintTitles());  // columns still set
  setup.SetPrintTitleColumns("");
  EXPECT_FALSE(setup.HasPrintTitles());
}

TEST(PageSetup, AsksForItsExternalSheetOnceWhenPrintNamesAreSet) {
  int calls = 0;
  int32_t answer = -1;
  TXLSPageSetup setup(nullptr, [&] {
    ++calls;
    return answer;
  });
  setup.SetPrintArea("nonsense");
  setup.SetPrintTitleRows("bad");
  EXPECT_EQ(calls, 0);  // nothing was set
  setup.SetPrintArea("A1:B2");
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(setup.ExternSheetIndex(), -1);  // the table had no entry to give
  answer = 4;
  setup.PrintTitleRows();  // reading a title asks again
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(setup.ExternSheetIndex(), 4);
  setup.SetPrintTitleColumns("A:A");
  setup.SetPrintArea("C3:D4");
  setup.PrintTitleColumns();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(setup.ExternSheetIndex(), 4);
}

}  // namespace
}  // namespace lx
