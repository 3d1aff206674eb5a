// Defined names: which texts are names, how formulas find them (sheet names
// before workbook names), the NAME records and the numbers tName tokens
// carry, and what renaming and deleting a used name does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lxHandle.h"
#include "lxNames.h"
#include "lxWriteGlobals.h"
#include "lxWriteSheet.h"
#include "support/Hex.h"
#include "support/Records.h"

namespace lx {
namespace {

using test::Hex;

std::vector<test::TRecord> GlobalRecords(TXLSGlobalsWriter& writer, uint16_t number) {
  std::vector<uint8_t> bytes;
  for (const TXLSBlobList* list : writer.Lists()) {
    const std::vector<uint8_t> part = list->Bytes();
    bytes.insert(bytes.end(), part.begin(), part.end());
    if (list == writer.Lists()[1]) break;  // the globals end with the second list
  }
  std::vector<test::TRecord> found;
  for (auto& r : test::WalkRecords(bytes))
    if (r.number == number) found.push_back(r);
  return found;
}

// The tokens of the FORMULA record of a sheet's only formula cell.
std::vector<uint8_t> FormulaTokens(TXLSGlobalsWriter& writer, int32_t sheet) {
  for (auto& r : test::WalkRecords(writer.Sheet(sheet)->List(TXLSSheetWriter::lkCells).Bytes()))
    if (r.number == kRecFormula) return std::vector<uint8_t>(r.payload.begin() + 22, r.payload.end());
  return {};
}

struct Book {
  XLSPtr<TXLSWorkbook> book = CreateXLSWorkbook();
  IXLSWorksheet* first = book->Worksheets()->Add();
  IXLSWorksheet* second = book->Worksheets()->Add();
  XLSPtr<IXLSNames> names = book->Names();
};

TEST(Names, ValidTexts) {
  const std::u16string longest(kMaxNameLength, u'n');
  const std::vector<std::pair<std::u16string, bool>> cases = {
      {u"Total", true},
      {u"_x", true},
      {u"Name1", true},
      {u"Straße", true},
      {longest, true},
      {u"", false},
      {u"1st", false},
      {u"My Name", false},
      {u"A.B", false},
      {u"a-b", false},
      {u"x!y", false},
      {u"t\tab", false},
      {longest + u"n", false},
      // What the formula parser reads as a cell address or a boolean.
      {u"A1", false},
      {u"iv65536", false},
      {u"TRUE", false},
      {u"false", false},
      // Past the last column or row these are no addresses.
      {u"IW1", true},
      {u"A65537", true},
  };
  for (const auto& [text, valid] : cases) EXPECT_EQ(TXLSCustomNames::IsValidName(text), valid) << WideToAnsi(text);
}

TEST(Names, AddRefusesInvalidDuplicateAndUncompilableWithoutChange) {
  Book b;
  ASSERT_TRUE(b.names->Add(u"Total", u"='Sheet1'!$B$2:$B$9"));
  EXPECT_FALSE(b.names->Add(u"Total", u"='Sheet1'!$C$1"));
  EXPECT_TRUE(b.names->Add(u"total", u"='Sheet1'!$C$1"));  // texts compare exactly
  EXPECT_FALSE(b.names->Add(u"Rate", u"Sheet1!$C$1"));     // no "="
  EXPECT_FALSE(b.names->Add(u"Rate", u"="));
  EXPECT_FALSE(b.names->Add(u"Rate", u"=SUM(("));
  EXPECT_FALSE(b.names->Add(u"Rate", u"=Nowhere!A1"));
  EXPECT_FALSE(b.names->Add(u"My Name", u"=1"));
  EXPECT_EQ(b.names->Count(), 2);
  EXPECT_EQ(b.names->Item(TVariant(int32_t{1}))->Name(), u"Total");
  EXPECT_EQ(b.names->Item(TVariant(u"total"))->RefersTo(), u"='Sheet1'!$C$1");
  EXPECT_FALSE(b.names->Item(TVariant(int32_t{3})));
  EXPECT_FALSE(b.names->Item(TVariant(u"Rate")));

  // A failed RefersTo or Name write changes nothing.
  XLSPtr<IXLSName> total = b.names->Item(TVariant(u"Total"));
  total->SetRefersTo(u"Sheet1!A1");
  total->SetRefersTo(u"=SUM((");
  total->SetName(u"total");
  total->SetName(u"1x");
  EXPECT_EQ(total->Name(), u"Total");
  EXPECT_EQ(total->RefersTo(), u"='Sheet1'!$B$2:$B$9");
  total->SetRefersTo(u"='Sheet2'!$A$1:$A$3");
  EXPECT_EQ(total->RefersTo(), u"='Sheet2'!$A$1:$A$3");
  XLSPtr<IXLSRange> range = total->RefersToRange();
  ASSERT_TRUE(range);
  EXPECT_EQ(range->Worksheet(), b.second);
  EXPECT_EQ(range->LastRow(), 2);
}

TEST(Names, NameRecordsAndTheIndexesTNameTokensCarry) {
  Book b;
  // Written in store order: workbook names first, then the second sheet's.
  ASSERT_TRUE(b.names->Add(u"Tax", u"=Sheet1!$A$1", false));
  ASSERT_TRUE(b.names->Add(u"Base", u"=Sheet1!$A$2:$B$3"));
  ASSERT_TRUE(b.names->AddLocal(b.second, u"Here", u"=Sheet2!$C$1", true));
  b.first->Cells()->Item(1, 3)->SetValue(TVariant(u"=Tax+Base"));
  b.second->Cells()->Item(1, 1)->SetValue(TVariant(u"=Here*Tax"));
  TXLSGlobalsWriter writer(*b.book, kSaveBiff8);
  ASSERT_EQ(writer.WriteWorkbook(), 1);
  const auto names = GlobalRecords(writer, kRecName);
  ASSERT_EQ(names.size(), 3u);
  // Hidden option, name length 3, 7 token bytes, workbook level, option
  // byte and UTF-16 text, tRef3d (reference class) REF index 0, $A$1.
  EXPECT_EQ(test::ToHex(names[0].payload),
            test::ToHex(Hex("01 00 00 03 07 00 00 00 00 00 00 00 00 00 01 54 00 61 00 78 00 3A 00 00 00 00 00 00")));
  // tArea3d; not hidden.
  EXPECT_EQ(test::ToHex(names[1].payload), test::ToHex(Hex("00 00 00 04 0B 00 00 00 00 00 00 00 00 00 01 42 00 61 00 "
                                                           "73 00 65 00 3B 00 00 01 00 02 00 00 00 01 00")));
  // The sheet name: itab 2 (the second sheet), REF index 1.
  EXPECT_EQ(test::ToHex(names[2].payload), test::ToHex(Hex("00 00 00 04 07 00 00 00 02 00 00 00 00 00 01 48 00 65 00 "
                                                           "72 00 65 00 3A 01 00 00 00 02 00")));
  // tName (value class) carries those numbers.
  EXPECT_EQ(test::ToHex(FormulaTokens(writer, 1)), test::ToHex(Hex("43 01 00 00 00  43 02 00 00 00  03")));
  EXPECT_EQ(test::ToHex(FormulaTokens(writer, 2)), test::ToHex(Hex("43 03 00 00 00  43 01 00 00 00  05")));

  // BIFF5: the sheet name's ixals and itab are both its sheet position, the
  // text is 8-bit, and tName has twelve reserved bytes.
  TXLSGlobalsWriter biff5(*b.book, kSaveBiff5);
  ASSERT_EQ(biff5.WriteWorkbook(), 1);
  const auto names5 = GlobalRecords(biff5, kRecName);
  ASSERT_EQ(names5.size(), 3u);
  EXPECT_EQ(test::ToHex(std::vector<uint8_t>(names5[2].payload.begin(), names5[2].payload.begin() + 18)),
            test::ToHex(Hex("00 00 00 04 12 00 02 00 02 00 00 00 00 00 48 65 72 65")));
  EXPECT_EQ(test::ToHex(FormulaTokens(biff5, 2)),
            test::ToHex(Hex("43 03 00 00 00 00 00 00 00 00 00 00 00 00 00  43 01 00 00 00 00 00 00 00 00 00 00 00 00 "
                            "00  05")));
}

TEST(Names, SheetNameHidesWorkbookNameOnItsSheetOnly) {
  Book b;
  ASSERT_TRUE(b.names->Add(u"Rate", u"=Sheet1!$A$1"));
  ASSERT_TRUE(b.names->AddLocal(b.second, u"Rate", u"=Sheet2!$A$1", true));
  EXPECT_FALSE(b.names->AddLocal(b.second, u"Rate", u"=Sheet2!$A$2", true));  // taken on that sheet
  b.first->Cells()->Item(2, 1)->SetValue(TVariant(u"=Rate"));
  b.second->Cells()->Item(2, 1)->SetValue(TVariant(u"=Rate"));
  TXLSGlobalsWriter writer(*b.book, kSaveBiff8);
  ASSERT_EQ(writer.WriteWorkbook(), 1);
  EXPECT_EQ(test::ToHex(FormulaTokens(writer, 1)), test::ToHex(Hex("43 01 00 00 00")));
  EXPECT_EQ(test::ToHex(FormulaTokens(writer, 2)), test::ToHex(Hex("43 02 00 00 00")));
  // Sheet2!Rate on the first sheet means the second sheet's name.
  b.first->Cells()->Item(2, 1)->SetValue(TVariant(u"=Sheet2!Rate"));
  EXPECT_EQ(b.first->Cells()->Item(2, 1)->Formula().ToWide(), u"='Sheet2'!Rate");
  EXPECT_EQ(b.names->Count(), 1);  // the collection holds workbook names
}

TEST(Names, RenamingShowsInFormulasDeletingLeavesIndexZero) {
  Book b;
  XLSPtr<IXLSName> rate = b.names->Add(u"Rate", u"=Sheet1!$A$1");
  ASSERT_TRUE(b.names->Add(u"Other", u"=Sheet1!$A$2"));
  XLSPtr<IXLSRange> cell = b.first->Cells()->Item(3, 1);
  cell->SetValue(TVariant(u"=Rate*2+Other"));
  rate->SetName(u"Tax");
  EXPECT_EQ(cell->Formula().ToWide(), u"=Tax*2+Other");
  EXPECT_FALSE(b.names->Add(u"Tax", u"=1"));
  EXPECT_TRUE(b.names->Add(u"Rate", u"=1"));  // the old text is free again
  EXPECT_EQ(cell->Formula().ToWide(), u"=Tax*2+Other");

  rate->Delete();
  EXPECT_EQ(rate->Name(), u"");  // the object outlives its name harmlessly
  EXPECT_EQ(b.names->Count(), 2);
  EXPECT_EQ(cell->Formula().ToWide(), u"=NAME!*2+Other");
  TXLSGlobalsWriter writer(*b.book, kSaveBiff8);
  ASSERT_EQ(writer.WriteWorkbook(), 1);
  EXPECT_EQ(GlobalRecords(writer, kRecName).size(), 2u);
  // Other is now the first NAME record.
  EXPECT_EQ(test::ToHex(FormulaTokens(writer, 1)),
            test::ToHex(Hex("43 00 00 00 00  1F 00 00 00 00 00 00 00 40  05  43 01 00 00 00  03")));
}

TEST(Names, HiddenAndSelfReferringNames) {
  Book b;
  XLSPtr<IXLSName> hidden = b.names->Add(u"Secret", u"=Sheet1!$A$1", false);
  XLSPtr<IXLSName> loop = b.names->Add(u"Loop", u"=Sheet1!$B$1");
  ASSERT_TRUE(hidden && loop);
  EXPECT_FALSE(hidden->Visible());
  EXPECT_TRUE(loop->Visible());
  // A name cannot use itself before it exists, but can be made to afterwards,
  // directly or through another name: nothing follows the loop forever.
  EXPECT_FALSE(b.names->Add(u"Self", u"=Self"));
  loop->SetRefersTo(u"=Loop");
  EXPECT_EQ(loop->RefersTo(), u"=Loop");
  EXPECT_FALSE(loop->RefersToRange());
  hidden->SetRefersTo(u"=Loop");
  EXPECT_FALSE(hidden->RefersToRange());
  TXLSGlobalsWriter writer(*b.book, kSaveBiff8);
  ASSERT_EQ(writer.WriteWorkbook(), 1);
  const auto names = GlobalRecords(writer, kRecName);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].payload[0], 0x01);
  EXPECT_EQ(names[1].payload[0], 0x00);
  // Loop's own tokens name record 2.
  EXPECT_EQ(test::ToHex(std::vector<uint8_t>(names[1].payload.end() - 5, names[1].payload.end())),
            test::ToHex(Hex("23 02 00 00 00")));
}

TEST(Names, Biff5LeavesOutNamesItsCodePageCannotSpell) {
  Book b;
  ASSERT_TRUE(b.names->Add(u"\u65e5\u672c", u"=Sheet1!$A$1"));
  ASSERT_TRUE(b.names->Add(u"Plain", u"=Sheet1!$A$2"));
  b.first->Cells()->Item(1, 2)->SetValue(TVariant(u"=Plain"));
  for (const int32_t format : {kSaveBiff8, kSaveBiff5}) {
    TXLSGlobalsWriter writer(*b.book, format);
    ASSERT_EQ(writer.WriteWorkbook(), 1);
    const bool biff8 = format == kSaveBiff8;
    EXPECT_EQ(GlobalRecords(writer, kRecName).size(), biff8 ? 2u : 1u);
    const std::vector<uint8_t> tokens = FormulaTokens(writer, 1);
    ASSERT_FALSE(tokens.empty());
    EXPECT_EQ(tokens[1], biff8 ? 2 : 1) << format;  // Plain moves up to the first record
  }
}

TEST(Names, UserNamesComeBeforeBuiltInPrintNames) {
  Book b;
  b.second->PageSetup().SetPrintArea("A1:C5");
  ASSERT_TRUE(b.names->Add(u"Total", u"=Sheet1!$A$1"));
  TXLSGlobalsWriter writer(*b.book, kSaveBiff8);
  ASSERT_EQ(writer.WriteWorkbook(), 1);
  const auto names = GlobalRecords(writer, kRecName);
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0].payload[0], 0x00);
  EXPECT_EQ(names[1].payload[0], kNameOptionBuiltIn);
  EXPECT_EQ(names[1].payload[15], kBuiltInPrintArea);
}

}  // namespace
}  // namespace lx
