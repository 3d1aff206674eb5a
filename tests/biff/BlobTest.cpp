#include <gtest/gtest.h>

#include "lxBLOB.h"
#include "lxConstants.h"
#include "lxStreams.h"
#include "support/Hex.h"

namespace lx {
namespace {

using test::Hex;
using test::ToHex;

std::vector<uint8_t> BlobBytes(const TXLSBlob& blob) {
  return std::vector<uint8_t>(blob.Data(), blob.Data() + blob.Length());
}

// A record of the given payload size whose payload bytes count up from 0.
std::unique_ptr<TXLSBlob> MakeRecord(uint16_t number, uint32_t payload) {
  auto record = std::make_unique<TXLSBlob>(payload + 4);
  record->AddWord(number);
  record->AddWord(static_cast<uint16_t>(payload));
  for (uint32_t i = 0; i < payload; ++i) record->AddByte(static_cast<uint8_t>(i));
  return record;
}

TEST(Blob, StoresLittleEndianAndPatchesWithoutMovingLength) {
  TXLSBlob blob(0);
  blob.AddWord(0x0809);
  blob.AddWord(0);
  blob.AddDWord(0x12345678);
  blob.AddDouble(1.5);
  blob.AddAnsi("Ab");
  blob.AddWide(u"\u0416");
  blob.PutWord(2, static_cast<uint16_t>(blob.Length() - 4));
  EXPECT_EQ(ToHex(BlobBytes(blob)), "09 08 10 00 78 56 34 12 00 00 00 00 00 00 F8 3F 41 62 16 04");
  // Growth is exact: no spare room beyond what was stored.
  EXPECT_EQ(blob.Capacity(), 20u);
  EXPECT_EQ(blob.GetWord(0), 0x0809);
  EXPECT_EQ(blob.GetDWord(4), 0x12345678u);
  EXPECT_EQ(blob.GetDouble(8), 1.5);
  EXPECT_EQ(blob.GetAnsi(16, 2), "Ab");
  EXPECT_EQ(blob.GetWide(18, 2), u"\u0416");
}

TEST(Blob, ReadsOutsideTheBufferGiveZeroAndEmptyText) {
  TXLSBlob blob(3);
  blob.AddByte(1);
  blob.AddByte(2);
  blob.AddByte(3);
  EXPECT_EQ(blob.GetWord(2), 0);
  EXPECT_EQ(blob.GetDWord(0xFFFFFFFE), 0u);
  EXPECT_EQ(blob.GetAnsi(1, 100), "\x02\x03");
  EXPECT_EQ(blob.GetWide(7, 4), u"");
}

TEST(Blob, TextsEndAtTheFirstNul) {
  TXLSBlob blob(0);
  blob.AddAnsi(std::string("ab\0cd", 5));
  blob.AddWide(std::u16string(u"x\0y", 3));
  EXPECT_EQ(blob.GetAnsi(0, 5), "ab");
  EXPECT_EQ(blob.GetWide(5, 6), u"x");
}

TEST(Blob, ReadUnicodeStringHandlesCountWidthsAndOptionBits) {
  TXLSBlob blob(0);
  for (uint8_t b : Hex("03 00 00 41 42 43  02 01 16 04 17 04  02 68 69  05 00 01 41 00")) blob.AddByte(b);
  uint32_t pos = 0;
  EXPECT_EQ(blob.ReadUnicodeString(pos, false, true), u"ABC");
  EXPECT_EQ(pos, 6u);
  EXPECT_EQ(blob.ReadUnicodeString(pos, true, true), u"\u0416\u0417");
  EXPECT_EQ(pos, 12u);
  EXPECT_EQ(blob.ReadUnicodeString(pos, true, false), u"hi");
  EXPECT_EQ(pos, 15u);
  // Declares 5 wide characters but only one is there: the text is cut off.
  EXPECT_EQ(blob.ReadUnicodeString(pos, false, true), u"A");
  EXPECT_EQ(pos, 15u + 3 + 10);
}

TEST(Blob, CopyFromDoesNotGrowButCopyAtDoes) {
  TXLSBlob source(0);
  source.AddAnsi("abcdef");
  TXLSBlob small(4);
  small.CopyFrom(source, 1, 3);
  EXPECT_EQ(small.GetAnsi(0, 3), "bcd");
  small.CopyFrom(source, 0, 2);  // does not fit into the one byte left
  EXPECT_EQ(small.Length(), 3u);
  small.CopyAt(source, 0, 6, 2);
  EXPECT_EQ(small.Length(), 8u);
  EXPECT_EQ(small.GetAnsi(0, 8), "bcabcdef");
}

TEST(BlobList, ChunksFillExactlyAndRecordsStraddleChunkEnds) {
  TXLSBlobList list;
  list.AddRecord(MakeRecord(1, 4044));  // 4048 bytes: one full chunk
  ASSERT_EQ(list.Count(), 1u);
  EXPECT_EQ(list.Item(0)->Length(), 4048u);
  list.AddRecord(MakeRecord(2, 4038));  // 4042 bytes: six bytes of room stay
  EXPECT_EQ(list.Count(), 2u);
  list.AddRecord(MakeRecord(3, 6));  // 10 bytes: split 6 + 4
  ASSERT_EQ(list.Count(), 3u);
  EXPECT_EQ(list.Item(1)->Length(), 4048u);
  EXPECT_EQ(list.Item(2)->Length(), 4u);
  EXPECT_EQ(list.Total(), 4048u + 4042u + 10u);
  EXPECT_EQ(list.Item(3), nullptr);
  const auto bytes = list.Bytes();
  EXPECT_EQ(ToHex(&bytes[4048 + 4042], 10), "03 00 06 00 00 01 02 03 04 05");
}

TEST(BlobList, KeepFlagLeavesTheRecordWithTheCaller) {
  TXLSBlobList list;
  TXLSBlob record(0);
  record.AddDWord(0xAABBCCDD);
  list.AddRecord(record);
  EXPECT_EQ(record.Length(), 4u);
  TXLSBlobList other;
  other.AddList(list);
  other.AddList(list);
  EXPECT_EQ(ToHex(other.Bytes()), "DD CC BB AA DD CC BB AA");
  EXPECT_EQ(list.Total(), 4u);
}

TEST(BlobList, ReadBytesAcrossChunksAndOverflow) {
  TXLSBlobList list;
  list.AddRecord(MakeRecord(7, 5000));
  std::unique_ptr<TXLSBlob> out;
  ASSERT_EQ(list.ReadBytes(4040, 20, out), kResultOk);
  ASSERT_TRUE(out);
  EXPECT_EQ(out->Length(), 20u);
  for (uint32_t i = 0; i < 20; ++i) EXPECT_EQ(out->GetByte(i), static_cast<uint8_t>(4036 + i));
  EXPECT_EQ(list.ReadBytes(list.Total() - 3, 4, out), kResultFail);
  EXPECT_FALSE(out);
  EXPECT_EQ(list.ReadBytes(list.Total(), 0, out), kResultOk);
  EXPECT_EQ(list.ReadBytes(0xFFFFFFFF, 2, out), kResultFail);
}

TEST(BlobList, ReadStringWideAndNarrow) {
  TXLSBlobList list;
  TXLSBlob bytes(0);
  for (uint8_t b : Hex("01 41 00 42 00 43 00  00 78 79 7A")) bytes.AddByte(b);
  list.AddRecord(bytes);
  std::u16string text;
  uint32_t consumed = 0;
  ASSERT_EQ(list.ReadString(0, 3, text, consumed), kResultOk);
  EXPECT_EQ(text, u"ABC");
  EXPECT_EQ(consumed, 7u);
  ASSERT_EQ(list.ReadString(7, 3, text, consumed), kResultOk);
  EXPECT_EQ(text, u"xyz");
  EXPECT_EQ(consumed, 4u);
  EXPECT_EQ(list.ReadString(7, 4, text, consumed), kResultFail);
}

TEST(BlobList, SetItemAppendsOrReplacesChunksAndReadsStillLocateBytes) {
  TXLSBlobList list;
  auto first = std::make_unique<TXLSBlob>(0);
  first->AddAnsi("abc");
  list.SetItem(0, std::move(first));
  list.AddRecord(MakeRecord(9, 0));
  EXPECT_EQ(list.Total(), 7u);
  std::unique_ptr<TXLSBlob> out;
  ASSERT_EQ(list.ReadBytes(2, 3, out), kResultOk);
  EXPECT_EQ(ToHex(BlobBytes(*out)), "63 09 00");
  auto replacement = std::make_unique<TXLSBlob>(0);
  replacement->AddAnsi("Z");
  list.SetItem(0, std::move(replacement));
  EXPECT_EQ(list.Total(), 5u);
  EXPECT_EQ(ToHex(list.Bytes()), "5A 09 00 00 00");
}

struct SplitCase {
  uint16_t limit;
  uint32_t payload;
  std::vector<uint32_t> pieces;  // payload lengths of the record and its CONTINUEs
};

class SplitRecordTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitRecordTest, PiecesHaveTheExpectedHeadersAndBytes) {
  const SplitCase& c = GetParam();
  auto record = MakeRecord(0x00E5, c.payload);
  SplitRecord(record, c.limit);
  uint32_t expectedSize = 0;
  for (uint32_t piece : c.pieces) expectedSize += 4 + piece;
  ASSERT_EQ(record->Length(), expectedSize);
  EXPECT_EQ(record->Capacity(), expectedSize);  // sized exactly up front
  uint32_t offset = 0;
  uint32_t payloadIndex = 0;
  for (size_t i = 0; i < c.pieces.size(); ++i) {
    EXPECT_EQ(record->GetWord(offset), i == 0 ? 0x00E5 : 0x003C) << "piece " << i;
    EXPECT_EQ(record->GetWord(offset + 2), c.pieces[i]) << "piece " << i;
    for (uint32_t k = 0; k < c.pieces[i]; ++k, ++payloadIndex) {
      ASSERT_EQ(record->GetByte(offset + 4 + k), static_cast<uint8_t>(payloadIndex));
    }
    offset += 4 + c.pieces[i];
  }
}

INSTANTIATE_TEST_SUITE_P(Thresholds, SplitRecordTest,
                         ::testing::Values(SplitCase{8224, 8224, {8224}}, SplitCase{8224, 8225, {8224, 1}},
                                           SplitCase{8224, 20000, {8224, 8224, 3552}},
                                           SplitCase{8224, 16448, {8224, 8224}}, SplitCase{2080, 2080, {2080}},
                                           SplitCase{2080, 2081, {2080, 1}}, SplitCase{2080, 5000, {2080, 2080, 840}}));

TEST(Blob, WriteToStreamReportsShortWrites) {
  class FullStream : public TStream {
   public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void*, int64_t count) override { return count > 2 ? 2 : count; }
    int64_t Seek(int64_t, TSeekOrigin) override { return 0; }
    int64_t Size() override { return 0; }
  } full;
  TXLSBlob blob(0);
  blob.AddDWord(1);
  EXPECT_EQ(blob.WriteToStream(full), kResultFail);
  TXLSBlobList list;
  list.AddRecord(blob);
  EXPECT_EQ(list.WriteToStream(full), kResultFail);
  TMemoryStream memory;
  EXPECT_EQ(list.WriteToStream(memory), kResultOk);
  EXPECT_EQ(ToHex(memory.Bytes()), "01 00 00 00");
}

}  // namespace
}  // namespace lx
