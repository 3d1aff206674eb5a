#include <gtest/gtest.h>

#include "support/FakeSheets.h"

#include <utility>
#include <vector>

#include "lxConstants.h"
#include "lxExternSheet.h"
#include "support/Hex.h"

namespace lx {
namespace {

std::string RecordHex(const TXLSBlob& blob) {
  EXPECT_EQ(blob.Length(), blob.Capacity()) << "record not built at its exact size";
  return test::ToHex(blob.Data(), blob.Length());
}
std::string Norm(std::string_view hex) { return test::ToHex(test::Hex(hex)); }

// A workbook stand-in: sheets in position order with their identifiers.
class ExternSheet : public ::testing::Test {
 protected:
  ExternSheet() : table_(test::FakeSheetLinks(&sheets_)) {}

  test::TFakeSheets sheets_{{1, u"Sheet1"}, {2, u"Sheet2"}, {3, u"Sheet3"}};
  TlxExternSheetSheet table_;
};

TEST_F(ExternSheet, EqualReferencesShareOneEntry) {
  const int32_t sheet2 = table_.FindOrAddSheetNames(u"Sheet2", u"Sheet2");
  EXPECT_EQ(sheet2, 1);
  EXPECT_EQ(table_.FindOrAddSheetNames(u"Sheet2", u"Sheet2"), sheet2);
  EXPECT_EQ(table_.FindOrAddSheetPositions(2, 2), sheet2);
  EXPECT_EQ(table_.FindOrAddSheetIdentifiers(2, 2), sheet2);

  const int32_t range = table_.FindOrAddSheetNames(u"Sheet1", u"Sheet3");
  EXPECT_EQ(range, 2);
  // The reversed range is the same set of sheets.
  EXPECT_EQ(table_.FindOrAddSheetNames(u"Sheet3", u"Sheet1"), range);
  EXPECT_EQ(table_.FindOrAddSheetPositions(3, 1), range);
  EXPECT_EQ(table_.Item(range)->firstSheet, 1);
  EXPECT_EQ(table_.Item(range)->lastSheet, 3);
  EXPECT_EQ(table_.Count(), 2u);
}

TEST_F(ExternSheet, UnknownSheetsFail) {
  EXPECT_EQ(table_.FindOrAddSheetNames(u"Nope", u"Nope"), -1);
  EXPECT_EQ(table_.FindOrAddSheetNames(u"Sheet1", u"Nope"), -1);
  EXPECT_EQ(table_.FindOrAddSheetNames(u"sheet1", u"sheet1"), -1);  // names compare exactly
  EXPECT_EQ(table_.FindOrAddSheetPositions(0, 1), -1);
  EXPECT_EQ(table_.FindOrAddSheetPositions(1, 4), -1);
  EXPECT_EQ(table_.FindOrAddSheetIdentifiers(0, 2), -1);
  EXPECT_EQ(table_.Count(), 0u);
  int32_t book, first, last;
  EXPECT_EQ(table_.Resolve(1, book, first, last), kResultFail);
  EXPECT_EQ(table_.RefIndex(1), -1);
  EXPECT_EQ(table_.SheetText(1), u"");
}

TEST_F(ExternSheet, ExplicitIndexRaisesTheCounter) {
  EXPECT_EQ(table_.FindOrAddSheetNames(u"Sheet1", u"Sheet1", 5), 5);
  EXPECT_EQ(table_.FindOrAddSheetNames(u"Sheet1", u"Sheet1"), 5);
  EXPECT_EQ(table_.FindOrAddSheetNames(u"Sheet2", u"Sheet2"), 6);
  EXPECT_EQ(table_.HighestIndex(), 6);
}

TEST_F(ExternSheet, EntryReadOverAnIndexInUseIsNotFoundByItsOldKey) {
  const uint8_t internal[] = {0x03, 0x00, 0x01, 0x04};
  ASSERT_EQ(table_.SupBook().AddFromRecord(internal, sizeof internal), 0);
  EXPECT_EQ(table_.FindOrAddSheetNames(u"Sheet1", u"Sheet1"), 1);
  EXPECT_EQ(table_.AddFromFile(1, 0, 2, 2), 1);  // index 1 now names Sheet2
  EXPECT_EQ(table_.SheetText(1), u"'Sheet2'");
  const int32_t sheet1 = table_.FindOrAddSheetNames(u"Sheet1", u"Sheet1");
  EXPECT_NE(sheet1, 1);
  EXPECT_EQ(table_.SheetText(sheet1), u"'Sheet1'");
  EXPECT_EQ(table_.FindOrAddSheetNames(u"Sheet2", u"Sheet2"), 1);
}

TEST_F(ExternSheet, RenamedSheetKeepsItsEntry) {
  const int32_t index = table_.FindOrAddSheetNames(u"Sheet2", u"Sheet2");
  EXPECT_EQ(table_.SheetText(index), u"'Sheet2'");
  sheets_[1].second = u"My Data";
  EXPECT_EQ(table_.SheetText(index), u"'My Data'");
  EXPECT_EQ(table_.FindOrAddSheetNames(u"My Data", u"My Data"), index);
  EXPECT_EQ(table_.FindOrAddSheetNames(u"Sheet2", u"Sheet2"), -1);
}

TEST_F(ExternSheet, SheetTextQuotesEveryName) {
  sheets_[2].second = u"Bob's";
  EXPECT_EQ(table_.SheetText(table_.FindOrAddSheetNames(u"Sheet1", u"Sheet2")), u"'Sheet1':'Sheet2'");
  EXPECT_EQ(table_.SheetText(table_.FindOrAddSheetNames(u"Bob's", u"Bob's")), u"'Bob''s'");
}

TEST_F(ExternSheet, MovedSheetsChangeOnlyThePositionsWritten) {
  const int32_t sheet1 = table_.FindOrAddSheetNames(u"Sheet1", u"Sheet1");
  const int32_t range = table_.FindOrAddSheetNames(u"Sheet2", u"Sheet3");
  table_.PrepareForSave();
  ASSERT_EQ(table_.XtiCount(), 2);
  EXPECT_EQ(table_.RefIndex(sheet1), 1);
  EXPECT_EQ(table_.RefIndex(range), 2);
  EXPECT_EQ(RecordHex(*table_.BuildExternSheetBiff8()), Norm("17 00 0E 00 02 00 00 00 00 00 00 00 00 00 01 00 02 00"));

  // Sheet1 moves to the end: order 2, 3, 1. The range's positions stay ordered.
  std::rotate(sheets_.begin(), sheets_.begin() + 1, sheets_.end());
  table_.PrepareForSave();
  EXPECT_EQ(RecordHex(*table_.BuildExternSheetBiff8()), Norm("17 00 0E 00 02 00 00 00 02 00 02 00 00 00 00 00 01 00"));
  int32_t book, first, last;
  ASSERT_EQ(table_.Resolve(range, book, first, last), kResultOk);
  EXPECT_EQ(book, 0);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 2);

  // A range whose sheets swapped places resolves in position order.
  std::swap(sheets_[0], sheets_[1]);  // order 3, 2, 1
  ASSERT_EQ(table_.Resolve(range, book, first, last), kResultOk);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 2);
}

TEST_F(ExternSheet, DeletedSheetIsDroppedAtTheNextSave) {
  const int32_t sheet1 = table_.FindOrAddSheetNames(u"Sheet1", u"Sheet1");
  const int32_t sheet3 = table_.FindOrAddSheetNames(u"Sheet3", u"Sheet3");
  sheets_.erase(sheets_.begin());  // Sheet1 deleted
  table_.PrepareForSave();
  EXPECT_EQ(table_.XtiCount(), 1);
  EXPECT_EQ(table_.RefIndex(sheet1), -1);
  EXPECT_EQ(table_.RefIndex(sheet3), 1);
  EXPECT_EQ(table_.SheetText(sheet1), u"");
  int32_t book, first, last;
  EXPECT_EQ(table_.Resolve(sheet1, book, first, last), kResultFail);
  EXPECT_EQ(RecordHex(*table_.BuildExternSheetBiff8()), Norm("17 00 08 00 01 00 00 00 01 00 01 00"));
}

TEST_F(ExternSheet, NumberingFollowsTheTableOrder) {
  // With eight buckets the key "7" hashes to bucket 0 and "1".."6" to
  // buckets 2..7, so entry 7 is numbered first.
  sheets_.push_back({4, u"Sheet4"});
  const std::pair<int32_t, int32_t> spans[] = {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {1, 2}, {1, 3}, {1, 4}};
  for (const auto& [a, b] : spans) EXPECT_GT(table_.FindOrAddSheetPositions(a, b), 0);
  table_.PrepareForSave();
  ASSERT_EQ(table_.XtiCount(), 7);
  EXPECT_EQ(table_.RefIndex(7), 1);
  for (int32_t i = 1; i <= 6; ++i) EXPECT_EQ(table_.RefIndex(i), i + 1) << i;
  EXPECT_EQ(table_.RefList().front(), 7);
}

TEST_F(ExternSheet, EmptyWorkbookTableWritesInternalSupBookAndEmptyList) {
  table_.PrepareForSave();
  auto supbooks = table_.BuildSupBookRecords();
  ASSERT_EQ(supbooks.size(), 1u);
  EXPECT_EQ(RecordHex(*supbooks[0]), Norm("AE 01 04 00 03 00 01 04"));
  EXPECT_EQ(RecordHex(*table_.BuildExternSheetBiff8()), Norm("17 00 02 00 00 00"));
}

TEST_F(ExternSheet, Biff5ExternSheetBlock) {
  sheets_ = {{1, u"Sheet1"}, {2, u"Donn\u00E9es"}};
  auto globals = table_.BuildExternSheetsBiff5();
  ASSERT_EQ(globals.size(), 4u);
  EXPECT_EQ(RecordHex(*globals[0]), Norm("16 00 02 00 03 00"));
  EXPECT_EQ(RecordHex(*globals[1]), Norm("17 00 08 00 06 03 53 68 65 65 74 31"));
  EXPECT_EQ(RecordHex(*globals[2]), Norm("17 00 09 00 07 03 44 6F 6E 6E E9 65 73"));
  EXPECT_EQ(RecordHex(*globals[3]), Norm("17 00 02 00 01 04"));
  // In a sheet's own substream its own entry is the short self reference.
  auto sheet2 = table_.BuildExternSheetsBiff5(2);
  ASSERT_EQ(sheet2.size(), 4u);
  EXPECT_EQ(RecordHex(*sheet2[1]), Norm("17 00 08 00 06 03 53 68 65 65 74 31"));
  EXPECT_EQ(RecordHex(*sheet2[2]), Norm("17 00 02 00 01 02"));
}

TEST_F(ExternSheet, EntriesReadFromAFile) {
  const uint8_t internal[] = {0x03, 0x00, 0x01, 0x04};
  // Another workbook "x.xls" (8-bit characters) with sheets "A" and "B" (UTF-16).
  const uint8_t external[] = {0x02, 0x00, 0x05, 0x00, 0x00, 'x',  '.',  'x',  'l', 's',
                              0x01, 0x00, 0x01, 'A',  0x00, 0x01, 0x00, 0x01, 'B', 0x00};
  TXLSSupBook& books = table_.SupBook();
  ASSERT_EQ(books.AddFromRecord(external, sizeof external), 0);
  ASSERT_EQ(books.AddFromRecord(internal, sizeof internal), 1);
  EXPECT_EQ(books.InternalIndex(), 1);
  EXPECT_EQ(books.Item(0)->fileName, u"x.xls");
  ASSERT_EQ(books.Item(0)->sheetNames.size(), 2u);
  EXPECT_EQ(books.Item(0)->sheetNames[1], u"B");

  EXPECT_EQ(table_.AddFromFile(1, 1, 3, 2), 1);   // Sheet3:Sheet2 of this workbook
  EXPECT_EQ(table_.AddFromFile(2, 0, 2, 1), 2);   // sheets 1..2 of x.xls
  EXPECT_EQ(table_.AddFromFile(3, 7, 1, 1), -1);  // no such supporting workbook
  // Formulas typed later find the entries read.
  EXPECT_EQ(table_.FindOrAddSheetNames(u"Sheet2", u"Sheet3"), 1);
  EXPECT_EQ(table_.SheetText(2), u"");  // another workbook has no text here

  int32_t book, first, last;
  ASSERT_EQ(table_.Resolve(2, book, first, last), kResultOk);
  EXPECT_EQ(book, 0);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 2);

  table_.PrepareForSave();
  EXPECT_EQ(RecordHex(*table_.BuildExternSheetBiff8()), Norm("17 00 0E 00 02 00 01 00 01 00 02 00 00 00 00 00 01 00"));
  auto supbooks = table_.BuildSupBookRecords();
  ASSERT_EQ(supbooks.size(), 2u);
  EXPECT_EQ(RecordHex(*supbooks[0]), Norm("AE 01 19 00 02 00 05 00 01 78 00 2E 00 78 00 6C 00 73 00"
                                          "01 00 01 41 00 01 00 01 42 00"));
  EXPECT_EQ(RecordHex(*supbooks[1]), Norm("AE 01 04 00 03 00 01 04"));
}

TEST_F(ExternSheet, InternalReferenceIsAddedWhenOnlyOtherBooksWereRead) {
  const uint8_t external[] = {0x00, 0x00, 0x01, 0x00, 0x00, 'y'};
  ASSERT_EQ(table_.SupBook().AddFromRecord(external, sizeof external), 0);
  const int32_t index = table_.FindOrAddSheetNames(u"Sheet1", u"Sheet1");
  table_.PrepareForSave();
  EXPECT_EQ(table_.SupBook().InternalIndex(), 1);
  // The entry names the internal reference wherever it ended up.
  EXPECT_EQ(table_.RefIndex(index), 1);
  EXPECT_EQ(RecordHex(*table_.BuildExternSheetBiff8()), Norm("17 00 08 00 01 00 01 00 00 00 00 00"));
}

TEST_F(ExternSheet, AddInSupBookCarriesItsExternName) {
  const uint8_t addIn[] = {0x01, 0x00, 0x01, 0x3A};
  TXLSSupBook books;
  EXPECT_FALSE(books.AttachAddInName(u"F"));
  ASSERT_EQ(books.AddFromRecord(addIn, sizeof addIn), 0);
  EXPECT_TRUE(books.Item(0)->addIn);
  EXPECT_TRUE(books.AttachAddInName(u"F"));
  auto records = books.BuildRecords(3);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(RecordHex(*records[0]), Norm("AE 01 04 00 01 00 01 3A"
                                         "23 00 0E 00 00 00 00 00 00 00 01 01 46 00 02 00 1C 17"));
}

TEST_F(ExternSheet, MalformedSupBookRecordsAreRejected) {
  TXLSSupBook books;
  const uint8_t shortRecord[] = {0x01, 0x00, 0x01};
  EXPECT_EQ(books.AddFromRecord(shortRecord, sizeof shortRecord), -1);
  EXPECT_EQ(books.AddFromRecord(nullptr, 0), -1);
  // The file name claims 9 characters but only 2 follow.
  const uint8_t cutName[] = {0x00, 0x00, 0x09, 0x00, 0x00, 'a', 'b'};
  EXPECT_EQ(books.AddFromRecord(cutName, sizeof cutName), -1);
  // Two sheet names announced, one present; UTF-16 name cut in half.
  const uint8_t cutSheets[] = {0x02, 0x00, 0x01, 0x00, 0x00, 'a', 0x01, 0x00, 0x01, 'A', 0x00};
  EXPECT_EQ(books.AddFromRecord(cutSheets, sizeof cutSheets), -1);
  const uint8_t halfWide[] = {0x00, 0x00, 0x01, 0x00, 0x01, 'a'};
  EXPECT_EQ(books.AddFromRecord(halfWide, sizeof halfWide), -1);
  EXPECT_EQ(books.Count(), 0);
  EXPECT_FALSE(books.HasInternal());
}

TEST_F(ExternSheet, NameConnectionsPassThrough) {
  EXPECT_EQ(table_.NameIdentifier(u"Total", 0), -1);
  EXPECT_EQ(table_.NameText(3), u"");
  table_.SetNameLinks(TlxExternSheetNameLinks{
      [](std::u16string_view text, int32_t sheet) { return text == u"Total" && sheet == 2 ? 9 : -1; },
      [](int32_t id) { return id == 9 ? 4 : -1; }, [](int32_t id) { return id == 9 ? u"Total" : u""; },
      [](int32_t id) { return id == 9 ? 2 : -1; }});
  EXPECT_EQ(table_.NameIdentifier(u"Total", 2), 9);
  EXPECT_EQ(table_.NameWrittenIndex(9), 4);
  EXPECT_EQ(table_.NameText(9), u"Total");
  EXPECT_EQ(table_.NameSheetIdentifier(9), 2);
}

}  // namespace
}  // namespace lx
