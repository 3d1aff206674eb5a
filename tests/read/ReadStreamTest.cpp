#include <gtest/gtest.h>
#include <malloc.h>

#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "lxCompoundFile.h"
#include "lxDecryption.h"
#include "lxStream.h"
#include "read/RecordStreams.h"
#include "support/Hex.h"
#include "support/TempDir.h"

// Counts the bytes the program holds through operator new, and the most it
// held since the count was last reset, so that a test can bound what a read
// allocates.
namespace {
size_t gHeld = 0;
size_t gPeak = 0;
void* Take(size_t n) {
  void* p = std::malloc(n == 0 ? 1 : n);
  if (p == nullptr) throw std::bad_alloc();
  gHeld += malloc_usable_size(p);
  if (gHeld > gPeak) gPeak = gHeld;
  return p;
}
void Give(void* p) {
  if (p == nullptr) return;
  gHeld -= malloc_usable_size(p);
  std::free(p);
}
}  // namespace
void* operator new(size_t n) { return Take(n); }
void* operator new[](size_t n) { return Take(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept {
  try {
    return Take(n);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { Give(p); }
void operator delete[](void* p) noexcept { Give(p); }
void operator delete(void* p, size_t) noexcept { Give(p); }
void operator delete[](void* p, size_t) noexcept { Give(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Give(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Give(p); }

namespace lx {
namespace {

using test::Filled;
using test::Hex;
using test::Join;
using test::TRec;

const std::vector<uint8_t> kBOF8 = Hex("00 06 05 00 bb 0d cc 07 00 00 00 00 06 00 00 00");
const std::vector<uint8_t> kBOFSheet = Hex("00 06 10 00 bb 0d cc 07 00 00 00 00 06 00 00 00");

// Reads every record (FILEPASS starts decryption) and returns them, or the
// code that stopped the read.
struct TReadAll {
  int32_t result = 0;
  std::vector<TRec> records;
};
TReadAll ReadAll(TXLSReadStream& reader) {
  TReadAll out;
  while (true) {
    uint16_t number = 0, length = 0;
    if ((out.result = reader.ReadRecordHeader(number, length)) != 1) return out;
    std::span<const uint8_t> data;
    if ((out.result = reader.ReadRecordData(length, data)) != 1) return out;
    out.records.push_back({number, {data.begin(), data.end()}});
    if (number == kRecFilePass && (out.result = reader.StartDecryption(data)) != 1) return out;
  }
}

TReadAll ReadBytes(const std::vector<uint8_t>& bytes, const std::u16string& password = {}) {
  TMemoryStream source(bytes);
  TXLSReadStream reader(password);
  TReadAll out;
  out.result = reader.OpenSource(source);
  if (out.result == 1) out = ReadAll(reader);
  return out;
}

// A protected stream's plain records: BOF, FILEPASS, the record after it
// (read in the clear), bodies that straddle 1,024-byte blocks or fill several,
// empty records, and a sheet BOF in the encrypted part (read in the clear
// while the key stream runs on).
std::vector<TRec> ProtectedRecords(const std::vector<uint8_t>& filePass) {
  return {{0x0809, kBOF8},           {kRecFilePass, filePass},
          {0x00E1, Hex("b0 04")},    {0x0042, Hex("e4 04")},
          {0x00FC, Filled(1000, 1)}, {0x003C, Filled(3000, 2)},
          {0x0203, Filled(14, 3)},   {0x000A, {}},
          {0x0809, kBOFSheet},       {0x0201, Filled(6, 4)},
          {0x00FD, Filled(8224, 5)}, {0x0207, Filled(1017, 6)},
          {0x0203, Filled(14, 7)},   {0x000A, {}}};
}

TEST(ReadStream, DecryptsBothSchemesAcrossBlocksAndPlainBodies) {
  struct Case {
    const char* name;
    std::vector<uint8_t> filePass;
    std::u16string protect;  // the password the stream is protected with
    std::u16string given;    // the password given to the reader
    bool xorScheme;
  };
  const std::string xorPassword = "hunter2";
  const uint16_t xorKey = 0xA1C3;
  const uint16_t verifier = test::PublishedXorVerifier(xorPassword);
  const std::vector<uint8_t> xorBiff8 = {0,
                                         0,
                                         static_cast<uint8_t>(xorKey),
                                         static_cast<uint8_t>(xorKey >> 8),
                                         static_cast<uint8_t>(verifier),
                                         static_cast<uint8_t>(verifier >> 8)};
  // BIFF5: 4 bytes, key and verifier alone, whatever the first word says.
  const std::vector<uint8_t> xorBiff5(xorBiff8.begin() + 2, xorBiff8.end());
  const Case cases[] = {
      {"rc4", test::RC4FilePass(u"s3cret pass"), u"s3cret pass", u"s3cret pass", false},
      {"rc4 default", test::RC4FilePass(kDefaultPassword), kDefaultPassword, u"", false},
      {"rc4 published default", test::RC4FilePass(kPublishedDefaultPassword), kPublishedDefaultPassword, u"whatever",
       false},
      {"xor biff8", xorBiff8, u"hunter2", u"hunter2", true},
      {"xor biff5", xorBiff5, u"hunter2", u"hunter2", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<TRec> plain = ProtectedRecords(c.filePass);
    std::vector<uint8_t> bytes = Join(plain);
    if (c.xorScheme) {
      test::EncryptXor(bytes, xorPassword, xorKey);
    } else {
      test::EncryptRC4(bytes, c.protect);
    }
    ASSERT_NE(bytes, Join(plain));
    const TReadAll read = ReadBytes(bytes, c.given);
    EXPECT_EQ(read.result, 100);
    ASSERT_EQ(read.records.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i) {
      EXPECT_EQ(read.records[i].number, plain[i].number) << i;
      EXPECT_TRUE(read.records[i].data == plain[i].data) << "record " << i;
    }
  }
}

TEST(ReadStream, ResultCodes) {
  const std::vector<uint8_t> rc4 = test::RC4FilePass(u"right");
  std::vector<uint8_t> shortRC4(rc4.begin(), rc4.end() - 1);
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    std::u16string password;
    int32_t result;
    size_t records;  // read before the result
  };
  Case cases[] = {
      {"plain stream ends after a record", Join({{0x0809, kBOF8}, {0x000A, {}}}), u"", 100, 2},
      {"stream ends inside a header", Join({{0x0809, kBOF8}, {0x000A, {}}, {0x0203, {}}}), u"", 100, 2},
      {"stream ends inside data", Join({{0x0809, kBOF8}, {0x0203, Filled(14, 0)}}), u"", -1, 1},
      {"not a record stream", Hex("41 42 43 44 45 46 47 48"), u"", -3, 0},
      {"bare BOF data too long", Join({{0x0809, Filled(31, 0)}}), u"", -3, 0},
      {"bare BOF data too short", Join({{0x0809, Filled(3, 0)}}), u"", -3, 0},
      {"empty source", {}, u"", -3, 0},
      {"FILEPASS of 1 byte", Join({{0x0809, kBOF8}, {kRecFilePass, {1}}}), u"x", -1001, 2},
      {"FILEPASS of 0 bytes", Join({{0x0809, kBOF8}, {kRecFilePass, {}}}), u"x", -1001, 2},
      {"XOR FILEPASS of 3 bytes", Join({{0x0809, kBOF8}, {kRecFilePass, {0, 0, 1}}}), u"x", -1001, 2},
      {"XOR FILEPASS of 5 bytes", Join({{0x0809, kBOF8}, {kRecFilePass, {0, 0, 1, 2, 3}}}), u"x", -1001, 2},
      {"RC4 FILEPASS cut short", Join({{0x0809, kBOF8}, {kRecFilePass, shortRC4}}), u"right", -1001, 2},
      {"unknown scheme", Join({{0x0809, kBOF8}, {kRecFilePass, Hex("02 00 01 00 01 00")}}), u"x", -1002, 2},
      {"no password given", Join({{0x0809, kBOF8}, {kRecFilePass, rc4}}), u"", -1003, 2},
      {"password of 32 characters", Join({{0x0809, kBOF8}, {kRecFilePass, rc4}}), u"0123456789abcdef0123456789abcdef",
       -1004, 2},
      {"wrong password", Join({{0x0809, kBOF8}, {kRecFilePass, rc4}}), u"wrong", -1005, 2},
      {"right password", Join({{0x0809, kBOF8}, {kRecFilePass, rc4}}), u"right", 100, 2},
  };
  // Cut the last header short: two of its four bytes remain.
  cases[1].bytes.erase(cases[1].bytes.end() - 2, cases[1].bytes.end());
  // Cut the last record's data short: 10 of its 14 bytes remain.
  cases[2].bytes.erase(cases[2].bytes.end() - 4, cases[2].bytes.end());
  for (const Case& c : cases) {
    const TReadAll read = ReadBytes(c.bytes, c.password);
    EXPECT_EQ(read.result, c.result) << c.name;
    EXPECT_EQ(read.records.size(), c.records) << c.name;
  }
}

TEST(ReadStream, PasswordOf31CharactersIsTried) {
  const std::u16string password = u"0123456789abcdef0123456789abcde";
  std::vector<uint8_t> bytes = Join(
      {{0x0809, kBOF8}, {kRecFilePass, test::RC4FilePass(password)}, {0x00E1, Hex("b0 04")}, {0x0042, Hex("e4 04")}});
  test::EncryptRC4(bytes, password);
  const TReadAll read = ReadBytes(bytes, password);
  EXPECT_EQ(read.result, 100);
  ASSERT_EQ(read.records.size(), 4u);
  EXPECT_EQ(read.records[3].data, Hex("e4 04"));
}

TEST(XorDecrypter, ArrayAndVerifierMatchThePublishedMethod) {
  // Password "abc", key 0x1234. The published array is aa38abd4e5f647f6
  // e5d55a09458e1ad6; the decrypter keeps it rotated left by 3 bits, so
  // that decrypting is one rotation and one XOR.
  const std::vector<uint8_t> abc = {'a', 'b', 'c'};
  EXPECT_EQ(test::PublishedXorArray("abc", 0x1234), Hex("aa38abd4e5f647f6e5d55a09458e1ad6"));
  const std::array<uint8_t, 16> array = TXLSDecrypterXOR::MakeArray(abc, 0x1234);
  EXPECT_EQ(std::vector<uint8_t>(array.begin(), array.end()), Hex("55c15da62fb73ab72faed2482a74d0b6"));
  for (const std::string password : {"abc", "x", "password", "QuietHarborLamp", "0123456789abcdefXYZ"}) {
    const std::vector<uint8_t> bytes(password.begin(), password.end());
    EXPECT_EQ(TXLSDecrypterXOR::Verifier(bytes), test::PublishedXorVerifier(password)) << password;
  }
  EXPECT_EQ(TXLSDecrypterXOR::Verifier(abc), 0xCC1A);
}

TEST(ReadStream, GroupsContinueRecordsWithoutCopyingSingleRecords) {
  const std::vector<uint8_t> bytes = Join({{0x0809, kBOF8},
                                           {0x00FC, Hex("01 02 03")},
                                           {0x003C, Hex("04 05")},
                                           {0x003C, {}},
                                           {0x003C, Hex("06")},
                                           {0x0203, Hex("aa bb")},
                                           {0x00EB, Hex("10")},
                                           {0x00EB, Hex("11")}});
  TMemoryStream source(bytes);
  TXLSReadStream reader;
  ASSERT_EQ(reader.OpenSource(source), 1);
  TXLSRecordGroup group;
  ASSERT_EQ(reader.ReadRecordGroup(group), 1);
  EXPECT_EQ(group.Number(), 0x0809);
  ASSERT_EQ(reader.ReadRecordGroup(group), 1);
  EXPECT_EQ(group.Number(), 0x00FC);
  EXPECT_EQ(std::vector<uint8_t>(group.Data().begin(), group.Data().end()), Hex("01 02 03 04 05 06"));
  ASSERT_EQ(group.Pieces().size(), 4u);
  EXPECT_EQ(group.Pieces()[1].Offset, 3u);
  EXPECT_EQ(group.Pieces()[3].Offset, 5u);
  EXPECT_EQ(group.Pieces()[3].Number, 0x003C);
  ASSERT_EQ(reader.ReadRecordGroup(group), 1);
  EXPECT_EQ(group.Number(), 0x0203);
  EXPECT_EQ(group.Pieces().size(), 1u);
  // A caller rule joins a drawing-group record to the one before it.
  ASSERT_EQ(reader.ReadRecordGroup(group,
                                   [](uint16_t first, uint16_t next) {
                                     return next == kRecContinue || (first == 0x00EB && next == 0x00EB);
                                   }),
            1);
  EXPECT_EQ(std::vector<uint8_t>(group.Data().begin(), group.Data().end()), Hex("10 11"));
  EXPECT_EQ(reader.ReadRecordGroup(group), 100);
}

// Records that do not fit what is left of the reader's buffer are read whole
// after the buffer moves; groups that meet the buffer's end keep their data.
TEST(ReadStream, LongStreamsReadThroughTheBufferUnchanged) {
  std::vector<TRec> records = {{0x0809, kBOF8}};
  for (uint16_t i = 0; records.size() < 3000; ++i) {
    records.push_back({static_cast<uint16_t>(0x0200 + i % 7), Filled((i * 37) % 300, static_cast<uint8_t>(i))});
    if (i % 5 == 0) records.push_back({kRecContinue, Filled(i % 50, static_cast<uint8_t>(i + 1))});
    if (i % 97 == 0) records.push_back({0x00FD, Filled(8224, static_cast<uint8_t>(i))});
  }
  const std::vector<uint8_t> bytes = Join(records);
  ASSERT_GT(bytes.size(), 3 * TXLSReadStream::kBufferSize);
  TMemoryStream source(bytes);
  TXLSReadStream reader;
  ASSERT_EQ(reader.OpenSource(source), 1);
  TXLSRecordGroup group;
  size_t index = 0;
  int32_t result;
  while ((result = reader.ReadRecordGroup(group)) == 1) {
    std::vector<uint8_t> expected = records[index++].data;
    while (index < records.size() && records[index].number == kRecContinue) {
      expected.insert(expected.end(), records[index].data.begin(), records[index].data.end());
      ++index;
    }
    ASSERT_TRUE(std::vector<uint8_t>(group.Data().begin(), group.Data().end()) == expected) << index;
  }
  EXPECT_EQ(result, 100);
  EXPECT_EQ(index, records.size());
  EXPECT_EQ(reader.Position(), bytes.size());
}

// What a read allocates beyond its source: the reader's buffer and the
// container's tables, however long the stream or whatever a record declares.
TEST(ReadStream, MemoryStaysFlatWhateverTheFileOrDeclaredSizes) {
  std::vector<TRec> records = {{0x0809, kBOF8}};
  while (records.size() < 2200) records.push_back({0x00FC, Filled(8224, static_cast<uint8_t>(records.size()))});
  const std::vector<uint8_t> stream = Join(records);  // 18 MB
  TMemoryStream compound;
  {
    TCompoundFileWriter writer;
    ASSERT_TRUE(writer.Root().CreateStream(u"Workbook")->WriteAll(stream.data(), stream.size()));
    ASSERT_TRUE(writer.Commit(compound));
    compound.Seek(0, TSeekOrigin::soBeginning);
  }
  std::vector<uint8_t> declared = Join({{0x0809, kBOF8}});
  for (const uint8_t b : {0xFC, 0x00, 0xFF, 0xFF, 1, 2, 3}) declared.push_back(b);  // 65,535 bytes declared, 3 there
  TMemoryStream bare(declared);
  const struct {
    const char* name;
    TStream& source;
    size_t records;
    int32_t result;
    size_t limit;
  } cases[] = {{"18 MB workbook stream", compound, records.size(), 100, 1u << 20},
               {"record longer than the file", bare, 1, -1, 1024}};
  for (const auto& c : cases) {
    gPeak = gHeld;
    const size_t before = gHeld;
    {
      TXLSReadStream reader;
      ASSERT_EQ(reader.OpenSource(c.source), 1) << c.name;
      size_t count = 0;
      int32_t result;
      uint16_t number, length;
      std::span<const uint8_t> data;
      while ((result = reader.ReadRecordHeader(number, length)) == 1 &&
             (result = reader.ReadRecordData(length, data)) == 1) {
        ++count;
      }
      EXPECT_EQ(result, c.result) << c.name;
      EXPECT_EQ(count, c.records) << c.name;
    }
    EXPECT_LT(gPeak - before, c.limit) << c.name;
  }
}

class ReadStreamFiles : public test::TTempDirTest {};

TEST_F(ReadStreamFiles, CompoundAndBareSourcesByNameAndStream) {
  const std::vector<uint8_t> records = Join({{0x0809, kBOF8}, {0x0042, Hex("e4 04")}, {0x000A, {}}});
  struct Case {
    const char* name;
    const char16_t* streamName;  // nullptr: a bare record stream
    int32_t result;
  };
  const Case cases[] = {{"Workbook", u"Workbook", 100},
                        {"Book", u"BOOK", 100},
                        {"bare", nullptr, 100},
                        {"no workbook stream", u"Other", -3}};
  for (const Case& c : cases) {
    std::vector<uint8_t> file = records;
    if (c.streamName != nullptr) {
      TCompoundFileWriter writer;
      ASSERT_TRUE(writer.Root().CreateStream(c.streamName)->WriteAll(records.data(), records.size()));
      TMemoryStream out;
      ASSERT_TRUE(writer.Commit(out));
      file = out.Bytes();
    }
    const std::u16string path = Path("source.xls");
    {
      TFileStream f(path, TFileMode::fmCreate);
      ASSERT_TRUE(f.WriteAll(file.data(), static_cast<int64_t>(file.size())));
    }
    for (bool byName : {true, false}) {
      TXLSReadStream reader;
      TMemoryStream memory(file);
      const int32_t open = byName ? reader.OpenSource(path) : reader.OpenSource(memory);
      if (c.result < 0) {
        EXPECT_EQ(open, c.result) << c.name;
        continue;
      }
      ASSERT_EQ(open, 1) << c.name;
      EXPECT_EQ(reader.IsCompound(), c.streamName != nullptr) << c.name;
      const TReadAll read = ReadAll(reader);
      EXPECT_EQ(read.result, c.result) << c.name;
      EXPECT_EQ(read.records.size(), 3u) << c.name;
    }
  }
  TXLSReadStream reader;
  EXPECT_EQ(reader.OpenSource(u""), -3) << "neither a name nor a stream";
  EXPECT_EQ(reader.OpenSource(Path("missing.xls")), -3);
}

}  // namespace
}  // namespace lx
