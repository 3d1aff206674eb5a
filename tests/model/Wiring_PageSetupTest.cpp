// Each worksheet's page setup, taking its print names' sheet entry from the
// workbook's external-sheet table.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "lxExternSheet.h"
#include "lxHandle.h"
#include "lxPageSetup.h"
#include "support/Hex.h"

namespace lx {
namespace {

std::string RecordHex(const std::unique_ptr<TXLSBlob>& blob) {
  return blob ? test::ToHex(blob->Data(), blob->Length()) : "<none>";
}
std::string Norm(std::string_view hex) { return test::ToHex(test::Hex(hex)); }

struct TwoSheets {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* first = book->Worksheets()->Add();
  IXLSWorksheet* second = book->Worksheets()->Add();
};

TEST(WiringPageSetup, EverySheetHasItsOwnPageSetup) {
  TwoSheets b;
  EXPECT_EQ(b.first->PageSetup().Worksheet(), b.first);
  EXPECT_EQ(b.second->PageSetup().Worksheet(), b.second);
  EXPECT_NE(&b.first->PageSetup(), &b.second->PageSetup());
  // Reachable through its interface as well.
  XLSPtr<IXLSPageSetup> face(&b.second->PageSetup());
  face->SetZoom(50);
  EXPECT_EQ(b.second->PageSetup().Scale(), 50);
  EXPECT_EQ(b.first->PageSetup().Scale(), 100);
  // Nothing asked the table for an entry yet.
  EXPECT_EQ(b.book->ExternSheets().Count(), 0u);
}

TEST(WiringPageSetup, PrintAreaNamesTheSheetThroughTheWorkbooksTable) {
  TwoSheets b;
  TXLSPageSetup& setup = b.second->PageSetup();
  setup.SetPrintArea("B2:D10");
  TlxExternSheetSheet& table = b.book->ExternSheets();
  ASSERT_GT(setup.ExternSheetIndex(), 0);
  EXPECT_EQ(table.FirstSheetIdentifier(setup.ExternSheetIndex()), b.second->Identifier());
  // A formula naming the sheet shares the entry.
  EXPECT_EQ(table.FindOrAddSheetNames(b.second->Name(), b.second->Name()), setup.ExternSheetIndex());
  EXPECT_EQ(table.Count(), 1u);

  table.PrepareForSave();
  std::unique_ptr<TXLSBlob> record;
  ASSERT_EQ(BuildPrintAreaName(setup, table, b.second->Index(), true, record), kResultOk);
  // Built-in name 6 of sheet 2 over rows 1-9, columns 1-3, through REF 0.
  EXPECT_EQ(RecordHex(record), Norm("18 00 1B 00 20 00 00 01 0B 00 00 00 02 00 00 00 00 00 00 06"
                                    "3B 00 00 01 00 09 00 01 00 03 00"));
}

TEST(WiringPageSetup, SheetsGetTheirOwnEntriesThatFollowThemWhenMoved) {
  TwoSheets b;
  b.first->PageSetup().SetPrintTitleRows("$1:$1");
  b.second->PageSetup().SetPrintArea("A1:A5");
  const int32_t firstEntry = b.first->PageSetup().ExternSheetIndex();
  const int32_t secondEntry = b.second->PageSetup().ExternSheetIndex();
  ASSERT_GT(firstEntry, 0);
  ASSERT_GT(secondEntry, 0);
  EXPECT_NE(firstEntry, secondEntry);

  // A sheet inserted in front: the second sheet is now at position 3 and its
  // name record says so.
  ASSERT_NE(b.book->Worksheets()->Insert(1), nullptr);
  ASSERT_EQ(b.second->Index(), 3);
  TlxExternSheetSheet& table = b.book->ExternSheets();
  int32_t supBook = -1, firstSheet = -1, lastSheet = -1;
  ASSERT_EQ(table.Resolve(secondEntry, supBook, firstSheet, lastSheet), kResultOk);
  EXPECT_EQ(firstSheet, 3);
  EXPECT_EQ(lastSheet, 3);
  table.PrepareForSave();
  std::unique_ptr<TXLSBlob> record;
  ASSERT_EQ(BuildPrintAreaName(b.second->PageSetup(), table, b.second->Index(), true, record), kResultOk);
  EXPECT_EQ(RecordHex(record), Norm("18 00 1B 00 20 00 00 01 0B 00 00 00 03 00 00 00 00 00 00 06"
                                    "3B 01 00 00 00 04 00 00 00 00 00"));
}

TEST(WiringPageSetup, VariantZoomAndFitCountsTakeOnlyBooleansAndNumbers) {
  TwoSheets b;
  TXLSPageSetup& setup = b.first->PageSetup();
  // Text, null, empty and dates are not numbers: nothing changes.
  for (const TVariant& ignored :
       {TVariant(u"50"), TVariant("50"), TVariant::Null(), TVariant(), TVariant::FromDate(50.0)}) {
    setup.SetZoom(ignored);
    setup.SetFitToPagesWide(ignored);
    EXPECT_EQ(setup.Scale(), 100);
    EXPECT_FALSE(setup.FitToPage());
    EXPECT_EQ(setup.FitWide(), 0);
  }
  // Every numeric type counts: a 16-bit integer, a single, a currency.
  setup.SetZoom(TVariant(int16_t{150}));
  EXPECT_EQ(setup.Scale(), 150);
  setup.SetFitToPagesWide(TVariant(2.5f));  // ties go to even
  EXPECT_EQ(setup.FitWide(), 2);
  EXPECT_TRUE(setup.FitToPage());
  setup.SetFitToPagesTall(TVariant::FromCurrency(30000));  // 3.0000
  EXPECT_EQ(setup.FitTall(), 3);
  // Reads are the boolean false or a 32-bit integer.
  EXPECT_EQ(setup.Zoom().VarType(), varBoolean);
  EXPECT_FALSE(setup.Zoom().ToBool());
  setup.SetZoom(true);
  const TVariant zoom = setup.Zoom();
  EXPECT_EQ(zoom.VarType(), varInteger);
  EXPECT_EQ(zoom.ToInt32(), 150);
  EXPECT_EQ(setup.FitToPagesWide().VarType(), varInteger);
  EXPECT_EQ(setup.FitToPagesWide().ToInt32(), 2);
}

}  // namespace
}  // namespace lx
