#include <gtest/gtest.h>

#include "lxBLOB.h"
#include "lxConstants.h"
#include "lxStringTable.h"
#include "support/Hex.h"
#include "support/Records.h"

namespace lx {
namespace {

using test::Hex;
using test::ToHex;

std::vector<uint8_t> Write(TXLSStringTable& table, uint32_t offset) {
  TXLSBlobList list;
  table.WriteSST(list, offset);
  return list.Bytes();
}

// (number, payload) of every record in a stream that must hold whole records only.
std::vector<std::pair<uint16_t, std::vector<uint8_t>>> Records(const std::vector<uint8_t>& bytes) {
  std::vector<std::pair<uint16_t, std::vector<uint8_t>>> records;
  size_t end = 0;
  for (auto& record : test::WalkRecords(bytes)) {
    end = record.offset + 4 + record.payload.size();
    records.emplace_back(record.number, std::move(record.payload));
  }
  EXPECT_EQ(end, bytes.size());
  return records;
}

TEST(StringTable, RepeatedTextsShareOneEntryAndCaseMatters) {
  TXLSStringTable table;
  const int32_t a = table.AddString(u"Total");
  EXPECT_EQ(table.AddString(u"Total"), a);
  EXPECT_EQ(table.RefCount(a), 2);
  EXPECT_EQ(table.TotalReferences(), 2u);
  EXPECT_EQ(table.UniqueCount(), 1u);
  const int32_t b = table.AddString(u"total");
  EXPECT_NE(b, a);
  EXPECT_EQ(table.FindString(u"total"), b);
  EXPECT_EQ(table.FindString(u"TOTAL"), -1);
  EXPECT_EQ(table.UniqueCount(), 2u);
}

TEST(StringTable, FreedIndexesAreReusedMostRecentFirst) {
  TXLSStringTable table;
  const int32_t a = table.AddString(u"a");
  const int32_t b = table.AddString(u"b");
  table.AddString(u"c");
  table.AddString(u"a");
  table.ReleaseString(a);
  EXPECT_EQ(table.GetString(a), u"a");  // still one reference
  table.ReleaseString(a);
  EXPECT_EQ(table.GetString(a), u"");
  EXPECT_EQ(table.FindString(u"a"), -1);
  table.ReleaseString(b);
  EXPECT_EQ(table.HighestIndex(), 3);
  EXPECT_EQ(table.AddString(u"x"), b);
  EXPECT_EQ(table.AddString(u"y"), a);
  EXPECT_EQ(table.AddString(u"z"), 4);
  // Releasing an unused or out-of-range index changes nothing.
  table.ReleaseString(0);
  table.ReleaseString(99);
  EXPECT_EQ(table.TotalReferences(), 4u);
}

TEST(StringTable, ReleasingTheHighestIndexLowersItInsteadOfStackingIt) {
  TXLSStringTable table;
  table.AddString(u"a");
  const int32_t b = table.AddString(u"b");
  table.ReleaseString(b);
  EXPECT_EQ(table.HighestIndex(), 1);
  EXPECT_EQ(table.AddString(u"c"), 2);
  EXPECT_EQ(table.GetSSTIndex(3), -1);
}

TEST(StringTable, ReassignMovesAReferenceWithoutTouchingTexts) {
  TXLSStringTable table;
  const int32_t a = table.AddString(u"a");
  const int32_t b = table.AddString(u"b");
  table.ReassignString(a, b);
  EXPECT_EQ(table.RefCount(a), 0);
  EXPECT_EQ(table.RefCount(b), 2);
  EXPECT_EQ(table.TotalReferences(), 2u);
  table.ReassignString(0, b);
  EXPECT_EQ(table.RefCount(b), 3);
  table.ReassignString(b, 0);
  EXPECT_EQ(table.RefCount(b), 2);
}

TEST(StringTable, SSTOrderFollowsTableIndexesNotInsertionOrder) {
  TXLSStringTable table;
  const int32_t a = table.AddString(u"A");
  const int32_t b = table.AddString(u"B");
  const int32_t c = table.AddString(u"C");
  table.ReleaseString(a);
  const int32_t d = table.AddString(u"D");
  ASSERT_EQ(d, a);
  table.AssignSSTIndexes();
  EXPECT_EQ(table.GetSSTIndex(d), 0);
  EXPECT_EQ(table.GetSSTIndex(b), 1);
  EXPECT_EQ(table.GetSSTIndex(c), 2);
}

TEST(StringTable, EmptyOrUnreferencedTableWritesNothing) {
  TXLSStringTable table;
  EXPECT_TRUE(Write(table, 0).empty());
  table.ReleaseString(table.AddString(u"gone"));
  table.AddString(u"kept");
  table.ReleaseString(table.FindString(u"kept"));
  EXPECT_TRUE(Write(table, 0).empty());
}

TEST(StringTable, SmallTableBytes) {
  TXLSStringTable table;
  table.AddString(u"Ab");
  table.AddString(u"Ab");
  table.AddString(u"x");
  EXPECT_EQ(ToHex(Write(table, 100)), ToHex(Hex("FC 00 14 00  03 00 00 00  02 00 00 00"
                                                "  02 00 01 41 00 62 00   01 00 01 78 00"
                                                "FF 00 0A 00  08 00  70 00 00 00 0C 00 00 00")));
}

TEST(StringTable, FewerThanFiveBytesLeftMovesTheTextToANewContinue) {
  TXLSStringTable table;
  table.SetMaxRecordData(20);
  table.AddString(u"abc");  // leaves 3 bytes of room in the SST record
  table.AddString(u"xy");
  EXPECT_EQ(ToHex(Write(table, 0)), ToHex(Hex("FC 00 11 00  02 00 00 00 02 00 00 00  03 00 01 61 00 62 00 63 00"
                                              "3C 00 07 00  02 00 01 78 00 79 00"
                                              "FF 00 0A 00  08 00  0C 00 00 00 0C 00 00 00")));
}

TEST(StringTable, LongTextsSplitIntoContinuationPiecesWithTheirOwnOptionByte) {
  TXLSStringTable table;
  table.SetMaxRecordData(20);
  table.AddString(u"abcdefghijklmnopqrst");  // 20 characters: 4 + 9 + 7
  table.AddString(u"Z");                     // exactly fills the last record
  EXPECT_EQ(ToHex(Write(table, 0)),
            ToHex(Hex("FC 00 13 00  02 00 00 00 02 00 00 00  14 00 01 61 00 62 00 63 00 64 00"
                      "3C 00 13 00  01 65 00 66 00 67 00 68 00 69 00 6A 00 6B 00 6C 00 6D 00"
                      "3C 00 14 00  01 6E 00 6F 00 70 00 71 00 72 00 73 00 74 00  01 00 01 5A 00"
                      "FF 00 0A 00  08 00  0C 00 00 00 0C 00 00 00")));
}

// A piece never ends between the two halves of a surrogate pair: readers
// decode each piece on its own.
TEST(StringTable, SurrogatePairsStayInOnePiece) {
  TXLSStringTable table;
  table.SetMaxRecordData(20);
  table.AddString(u"abc\U0001F600efghijklmnopqrs");  // the pair would straddle the first split
  const auto records = Records(Write(table, 0));
  ASSERT_GE(records.size(), 3u);
  EXPECT_EQ(ToHex(records[0].second), ToHex(Hex("01 00 00 00 01 00 00 00  14 00 01 61 00 62 00 63 00")));
  EXPECT_EQ(ToHex(std::vector<uint8_t>(records[1].second.begin(), records[1].second.begin() + 5)),
            ToHex(Hex("01 3D D8 00 DE")));
}

TEST(StringTable, ExtSSTEntriesPointAtEveryEighthStringAcrossRecords) {
  TXLSStringTable table;
  table.SetMaxRecordData(20);
  for (char16_t c = u'a'; c <= u'i'; ++c) table.AddString(std::u16string(1, c));
  const auto bytes = Write(table, 1000);
  const auto records = Records(bytes);
  ASSERT_EQ(records.size(), 4u);  // SST, two CONTINUEs, EXTSST
  EXPECT_EQ(records[3].first, kRecExtSST);
  // 1st string at 1000+12 (offset 12 in the SST record); 9th at 1000+60,
  // offset 14 inside the second CONTINUE record, which starts at 1000+46.
  EXPECT_EQ(ToHex(records[3].second), ToHex(Hex("08 00  F4 03 00 00 0C 00 00 00  24 04 00 00 0E 00 00 00")));
  EXPECT_EQ(bytes[60], 0x01);  // the count field of "i" at 60
  EXPECT_EQ(bytes[60 + 3], 'i');
}

TEST(StringTable, FiveThousandCharactersFillTheSSTRecordAndContinue) {
  TXLSStringTable table;
  table.AddString(std::u16string(5000, u'q'));
  const auto records = Records(Write(table, 0));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].first, kRecSST);
  EXPECT_EQ(records[0].second.size(), 8223u);  // 8 + 3 + 2 * 4106; one byte of room stays empty
  EXPECT_EQ(ToHex(std::vector<uint8_t>(records[0].second.begin() + 8, records[0].second.begin() + 11)), "88 13 01");
  EXPECT_EQ(records[1].first, kRecContinue);
  EXPECT_EQ(records[1].second.size(), 1u + 2 * 894);
  EXPECT_EQ(records[1].second[0], 0x01);
  EXPECT_EQ(records[2].first, kRecExtSST);
}

TEST(StringTable, ExtSSTRecordsHoldAtMost1027EntriesThenContinue) {
  TXLSStringTable table;
  const int count = 8 * 1028;  // 1028 entries: one more than the first record holds
  for (int i = 0; i < count; ++i) table.AddString(u"s" + std::u16string(1, static_cast<char16_t>(0x4E00 + i)));
  const auto records = Records(Write(table, 0));
  ASSERT_GE(records.size(), 2u);
  const auto& last = records.back();
  const auto& ext = records[records.size() - 2];
  EXPECT_EQ(ext.first, kRecExtSST);
  EXPECT_EQ(ext.second.size(), 2u + 8 * 1027);
  EXPECT_EQ(last.first, kRecContinue);
  EXPECT_EQ(last.second.size(), 8u);
}

TEST(StringTable, TextsLongerThanTheCountFieldAreWrittenCut) {
  TXLSStringTable table;
  std::u16string text(70000, u'w');
  text[65534] = 0xD83D;  // a surrogate pair straddling the cut
  text[65535] = 0xDE00;
  const int32_t index = table.AddString(text);
  EXPECT_EQ(table.GetString(index).size(), 70000u);  // kept whole in memory
  const auto records = Records(Write(table, 0));
  size_t payload = 0;
  for (const auto& record : records) {
    if (record.first != kRecExtSST) payload += record.second.size();
  }
  const size_t continues = records.size() - 2;
  EXPECT_EQ(records[0].second[8] | (records[0].second[9] << 8), 65534);
  EXPECT_EQ(payload, 8u + 3u + 2u * 65534u + continues);
}

TEST(StringTable, BucketsDoubleAndEveryTextStaysFindable) {
  TXLSStringTable table;
  for (int i = 0; i < 100; ++i) table.AddString(u"t" + std::u16string(1, static_cast<char16_t>(u'0' + i)));
  EXPECT_EQ(table.BucketCount(), 128u);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(table.FindString(u"t" + std::u16string(1, static_cast<char16_t>(u'0' + i))), i + 1);
  }
}

TEST(StringTable, StorageIsTrimmedWithAMarginWhenTheTopIsReleased) {
  TXLSStringTable table;
  for (int i = 0; i < 500; ++i) table.AddString(u"n" + std::u16string(1, static_cast<char16_t>(0x3000 + i)));
  EXPECT_EQ(table.BlockCount(), 6u);  // indexes 0..500
  for (int i = 500; i > 50; --i) table.ReleaseString(i);
  EXPECT_EQ(table.HighestIndex(), 50);
  EXPECT_EQ(table.BlockCount(), 2u);
  EXPECT_EQ(table.AddString(u"again"), 51);
}

}  // namespace
}  // namespace lx
