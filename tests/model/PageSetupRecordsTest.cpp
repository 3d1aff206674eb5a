#include <gtest/gtest.h>

#include "support/FakeSheets.h"

#include <utility>
#include <vector>

#include "lxConstants.h"
#include "lxExternSheet.h"
#include "lxPageSetup.h"
#include "support/Hex.h"

namespace lx {
namespace {

std::string RecordHex(const TXLSBlob& blob) {
  EXPECT_EQ(blob.Length(), blob.Capacity()) << "record not built at its exact size";
  return test::ToHex(blob.Data(), blob.Length());
}
std::string RecordHex(const std::unique_ptr<TXLSBlob>& blob) { return blob ? RecordHex(*blob) : "<none>"; }
std::string Norm(std::string_view hex) { return test::ToHex(test::Hex(hex)); }

TEST(PageSetupRecords, NewSheetRecords) {
  TXLSPageSetup setup;
  EXPECT_EQ(RecordHex(BuildSetupRecord(setup)), Norm("A1 00 22 00 00 00 64 00 01 00 00 00 00 00 02 00 58 02 58 02"
                                                     "00 00 00 00 00 00 E0 3F 00 00 00 00 00 00 E0 3F 01 00"));
  EXPECT_EQ(RecordHex(BuildPrintHeadersRecord(setup)), Norm("2A 00 02 00 00 00"));
  EXPECT_EQ(RecordHex(BuildPrintGridlinesRecord(setup)), Norm("2B 00 02 00 01 00"));
  EXPECT_EQ(RecordHex(BuildGridSetRecord(setup)), Norm("82 00 02 00 00 00"));

  auto margins = BuildMarginRecords(setup);
  ASSERT_EQ(margins.size(), 4u);
  EXPECT_EQ(RecordHex(margins[0]), Norm("29 00 08 00 00 00 00 00 00 00 F0 3F"));  // bottom 1.0
  EXPECT_EQ(RecordHex(margins[1]), Norm("28 00 08 00 00 00 00 00 00 00 F0 3F"));  // top 1.0
  EXPECT_EQ(RecordHex(margins[2]), Norm("27 00 08 00 00 00 00 00 00 00 E8 3F"));  // right 0.75
  EXPECT_EQ(RecordHex(margins[3]), Norm("26 00 08 00 00 00 00 00 00 00 E8 3F"));  // left 0.75

  auto centre = BuildCenterRecords(setup);
  ASSERT_EQ(centre.size(), 2u);
  EXPECT_EQ(RecordHex(centre[0]), Norm("84 00 02 00 00 00"));
  EXPECT_EQ(RecordHex(centre[1]), Norm("83 00 02 00 00 00"));

  auto biff8 = BuildHeaderFooterRecords(setup, true);
  ASSERT_EQ(biff8.size(), 2u);
  EXPECT_EQ(RecordHex(biff8[0]), Norm("15 00 03 00 00 00 01"));  // FOOTER first
  EXPECT_EQ(RecordHex(biff8[1]), Norm("14 00 03 00 00 00 01"));
  auto biff5 = BuildHeaderFooterRecords(setup, false);
  EXPECT_EQ(RecordHex(biff5[0]), Norm("15 00 01 00 00"));
  EXPECT_EQ(RecordHex(biff5[1]), Norm("14 00 01 00 00"));
}

TEST(PageSetupRecords, ChangedSettings) {
  TXLSPageSetup setup;
  setup.SetOrientation(2);
  setup.SetPaperSize(9);
  setup.SetFitToPagesWide(2);
  setup.SetFitToPagesTall(3);
  setup.SetZoom(80);
  setup.SetHeaderMargin(0.25);
  setup.SetFooterMargin(2.0);
  setup.SetPrintGridlines(false);
  setup.SetPrintHeadings(true);
  setup.SetCenterHorizontally(true);
  EXPECT_EQ(RecordHex(BuildSetupRecord(setup)), Norm("A1 00 22 00 09 00 50 00 01 00 02 00 03 00 00 00 58 02 58 02"
                                                     "00 00 00 00 00 00 D0 3F 00 00 00 00 00 00 00 40 01 00"));
  EXPECT_EQ(RecordHex(BuildPrintGridlinesRecord(setup)), Norm("2B 00 02 00 00 00"));
  EXPECT_EQ(RecordHex(BuildGridSetRecord(setup)), Norm("82 00 02 00 01 00"));
  EXPECT_EQ(RecordHex(BuildPrintHeadersRecord(setup)), Norm("2A 00 02 00 01 00"));
  auto centre = BuildCenterRecords(setup);
  EXPECT_EQ(RecordHex(centre[0]), Norm("84 00 02 00 00 00"));
  EXPECT_EQ(RecordHex(centre[1]), Norm("83 00 02 00 01 00"));
}

TEST(PageSetupRecords, HeaderTextInBothVersions) {
  TXLSPageSetup setup;
  setup.SetCenterHeader(u"Page");
  setup.SetRightFooter(u"\u00E9");
  auto biff8 = BuildHeaderFooterRecords(setup, true);
  EXPECT_EQ(RecordHex(biff8[1]), Norm("14 00 0F 00 06 00 01 26 00 43 00 50 00 61 00 67 00 65 00"));
  EXPECT_EQ(RecordHex(biff8[0]), Norm("15 00 09 00 03 00 01 26 00 52 00 E9 00"));
  auto biff5 = BuildHeaderFooterRecords(setup, false);
  EXPECT_EQ(RecordHex(biff5[1]), Norm("14 00 07 00 06 26 43 50 61 67 65"));
  EXPECT_EQ(RecordHex(biff5[0]), Norm("15 00 04 00 03 26 52 E9"));  // e-acute in code page 1252
}

TEST(PageSetupRecords, HeaderTextIsCutAt255Characters) {
  const std::u16string longText(300, u'x');
  auto biff8 = BuildHeaderFooterRecord(kRecHeader, longText, true);
  EXPECT_EQ(biff8->Length(), 4u + 3u + 2u * 255u);
  EXPECT_EQ(biff8->GetWord(4), 255);
  auto biff5 = BuildHeaderFooterRecord(kRecHeader, longText, false);
  EXPECT_EQ(biff5->Length(), 4u + 1u + 255u);
  EXPECT_EQ(biff5->GetByte(4), 255);
}

// Two sheets; the page setup belongs to the second one.
class PrintNames : public ::testing::Test {
 protected:
  PrintNames()
      : externs_(test::FakeSheetLinks(&sheets_)),
        setup_(nullptr, [this] { return externs_.FindOrAddSheetPositions(2, 2); }) {}

  test::TFakeSheets sheets_{{1, u"Sheet1"}, {2, u"Sheet2"}};
  TlxExternSheetSheet externs_;
  TXLSPageSetup setup_;
};

TEST_F(PrintNames, PrintAreaBiff8UsesTheSheetsRefIndex) {
  ASSERT_EQ(externs_.FindOrAddSheetNames(u"Sheet1", u"Sheet1"), 1);  // some formula's entry
  setup_.SetPrintArea("B2:D10");
  EXPECT_EQ(setup_.ExternSheetIndex(), 2);
  externs_.PrepareForSave();
  ASSERT_EQ(externs_.RefIndex(2), 2);
  std::unique_ptr<TXLSBlob> record;
  ASSERT_EQ(BuildPrintAreaName(setup_, externs_, 2, true, record), kResultOk);
  EXPECT_EQ(RecordHex(record), Norm("18 00 1B 00 20 00 00 01 0B 00 00 00 02 00 00 00 00 00 00 06"
                                    "3B 01 00 01 00 09 00 01 00 03 00"));
}

TEST_F(PrintNames, PrintAreaBiff5NamesTheSheetByPosition) {
  setup_.SetPrintArea("B2:D10");
  std::unique_ptr<TXLSBlob> record;
  ASSERT_EQ(BuildPrintAreaName(setup_, externs_, 2, false, record), kResultOk);
  EXPECT_EQ(RecordHex(record), Norm("18 00 24 00 20 00 00 01 15 00 02 00 02 00 00 00 00 00 06"
                                    "3B FE FF 00 00 00 00 87 10 05 80 01 00 01 00 01 00 09 00 01 03"));
}

TEST_F(PrintNames, NothingToNameGivesNoRecord) {
  std::unique_ptr<TXLSBlob> record = std::make_unique<TXLSBlob>(1);
  EXPECT_EQ(BuildPrintAreaName(setup_, externs_, 2, true, record), kResultOk);
  EXPECT_EQ(record, nullptr);
  EXPECT_EQ(BuildPrintTitlesName(setup_, externs_, 2, true, record), kResultOk);
  EXPECT_EQ(record, nullptr);
}

TEST_F(PrintNames, Biff8FailsWithoutRefIndex) {
  setup_.SetPrintTitleRows("1:2");
  std::unique_ptr<TXLSBlob> record;
  // The table was never numbered for a save.
  EXPECT_EQ(BuildPrintTitlesName(setup_, externs_, 2, true, record), kResultFail);
  EXPECT_EQ(record, nullptr);
  // The sheet was removed before the save: its entry does not resolve.
  sheets_.pop_back();
  externs_.PrepareForSave();
  EXPECT_EQ(BuildPrintTitlesName(setup_, externs_, 2, true, record), kResultFail);
  // A page setup that never got an entry fails the same way.
  TXLSPageSetup unwired;
  unwired.SetPrintArea("A1:A2");
  EXPECT_EQ(BuildPrintAreaName(unwired, externs_, 1, true, record), kResultFail);
  // BIFF5 does not need the table.
  EXPECT_EQ(BuildPrintAreaName(unwired, externs_, 1, false, record), kResultOk);
  EXPECT_NE(record, nullptr);
}

TEST_F(PrintNames, TitleRowsOnly) {
  setup_.SetPrintTitleRows("$1:$2");
  externs_.PrepareForSave();
  std::unique_ptr<TXLSBlob> record;
  ASSERT_EQ(BuildPrintTitlesName(setup_, externs_, 2, true, record), kResultOk);
  // Rows 0-1 over all columns; the sheet's entry is the only one: REF 1.
  EXPECT_EQ(RecordHex(record), Norm("18 00 1B 00 20 00 00 01 0B 00 00 00 02 00 00 00 00 00 00 07"
                                    "3B 00 00 00 00 01 00 00 00 FF 00"));
}

TEST_F(PrintNames, TitleColumnsOnlyCoverAllRowsOfTheVersion) {
  setup_.SetPrintTitleColumns("$B:$C");
  externs_.PrepareForSave();
  std::unique_ptr<TXLSBlob> record;
  ASSERT_EQ(BuildPrintTitlesName(setup_, externs_, 2, true, record), kResultOk);
  EXPECT_EQ(RecordHex(record), Norm("18 00 1B 00 20 00 00 01 0B 00 00 00 02 00 00 00 00 00 00 07"
                                    "3B 00 00 00 00 FF FF 01 00 02 00"));
  ASSERT_EQ(BuildPrintTitlesName(setup_, externs_, 2, false, record), kResultOk);
  EXPECT_EQ(RecordHex(record), Norm("18 00 24 00 20 00 00 01 15 00 02 00 02 00 00 00 00 00 07"
                                    "3B FE FF 00 00 00 00 87 10 05 80 01 00 01 00 00 00 FF 3F 01 02"));
}

TEST_F(PrintNames, TitleRowsAndColumnsMakeAUnion) {
  setup_.SetPrintTitleRows("$1:$2");
  setup_.SetPrintTitleColumns("$A:$A");
  externs_.PrepareForSave();
  std::unique_ptr<TXLSBlob> record;
  ASSERT_EQ(BuildPrintTitlesName(setup_, externs_, 2, true, record), kResultOk);
  EXPECT_EQ(RecordHex(record), Norm("18 00 2A 00 20 00 00 01 1A 00 00 00 02 00 00 00 00 00 00 07"
                                    "29 17 00"
                                    "3B 00 00 00 00 FF FF 00 00 00 00"  // column A, all rows
                                    "3B 00 00 00 00 01 00 00 00 FF 00"  // rows 1-2, all columns
                                    "10"));
  ASSERT_EQ(BuildPrintTitlesName(setup_, externs_, 2, false, record), kResultOk);
  EXPECT_EQ(RecordHex(record), Norm("18 00 3D 00 20 00 00 01 2E 00 02 00 02 00 00 00 00 00 07"
                                    "29 2B 00"
                                    "3B FE FF 00 00 00 00 87 10 08 80 01 00 01 00 00 00 FF 3F 00 00"
                                    "3B FE FF 00 00 00 00 87 10 08 80 01 00 01 00 00 00 01 00 00 FF"
                                    "10"));
}

TEST_F(PrintNames, PrintAreaAndTitlesShareTheSheetsEntry) {
  setup_.SetPrintArea("A1:B2");
  setup_.SetPrintTitleRows("1:1");
  EXPECT_EQ(externs_.Count(), 1u);
  // A formula naming the sheet finds the same entry.
  EXPECT_EQ(externs_.FindOrAddSheetNames(u"Sheet2", u"Sheet2"), setup_.ExternSheetIndex());
}

TEST(PageSetupRecords, BuiltInNameTakesOneOrTwoAreas) {
  EXPECT_EQ(BuildBuiltInName(kBuiltInFilterDatabase, 0x21, 1, 1, {}, true), nullptr);
  EXPECT_EQ(BuildBuiltInName(kBuiltInFilterDatabase, 0x21, 1, 1, {{}, {}, {}}, true), nullptr);
  auto filter = BuildBuiltInName(kBuiltInFilterDatabase, 0x21, 1, 3, {{2, 9, 0, 4}}, true);
  EXPECT_EQ(RecordHex(filter), Norm("18 00 1B 00 21 00 00 01 0B 00 00 00 01 00 00 00 00 00 00 0D"
                                    "3B 02 00 02 00 09 00 00 00 04 00"));
}

}  // namespace
}  // namespace lx
