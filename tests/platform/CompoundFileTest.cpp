#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "lxCompoundFile.h"
#include "lxText.h"
#include "support/Hex.h"

namespace lx {
namespace {

using test::Hex;
using test::ToHex;

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}

std::vector<uint8_t> Slice(const std::vector<uint8_t>& b, size_t at, size_t n) {
  return std::vector<uint8_t>(b.begin() + static_cast<ptrdiff_t>(at), b.begin() + static_cast<ptrdiff_t>(at + n));
}

std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 131 + seed * 7 + (i >> 9)) & 0xFF);
  return bytes;
}

std::vector<uint8_t> Commit(const TCompoundFileWriter& writer) {
  TMemoryStream out;
  EXPECT_TRUE(writer.Commit(out));
  return out.Bytes();
}

std::vector<uint8_t> ReadAll(TStream& stream) {
  std::vector<uint8_t> bytes(static_cast<size_t>(stream.Size()));
  EXPECT_EQ(stream.Read(bytes.data(), static_cast<int64_t>(bytes.size())), static_cast<int64_t>(bytes.size()));
  return bytes;
}

// A tree we mean to write, to compare with what the reader finds.
struct TModel {
  std::u16string name;
  bool storage = true;
  std::vector<uint8_t> bytes;
  std::vector<TModel> children;
};

void Write(TCompoundWriteStorage& parent, const TModel& model) {
  for (const TModel& child : model.children) {
    if (child.storage) {
      TCompoundWriteStorage* s = parent.CreateStorage(child.name);
      ASSERT_NE(s, nullptr);
      Write(*s, child);
    } else {
      TCompoundWriteStream* s = parent.CreateStream(child.name);
      ASSERT_NE(s, nullptr);
      EXPECT_EQ(s->Write(child.bytes.data(), static_cast<int64_t>(child.bytes.size())),
                static_cast<int64_t>(child.bytes.size()));
    }
  }
}

// The reader enumerates in sibling order: by length, then upper-cased.
void ExpectSame(const TCompoundReadStorage& storage, const TModel& model) {
  std::vector<const TModel*> expected;
  for (const TModel& child : model.children) expected.push_back(&child);
  std::sort(expected.begin(), expected.end(),
            [](const TModel* a, const TModel* b) { return CompareCompoundNames(a->name, b->name) < 0; });
  const std::vector<TCompoundElement> elements = storage.EnumElements();
  ASSERT_EQ(elements.size(), expected.size());
  for (size_t i = 0; i < elements.size(); ++i) {
    const TModel& child = *expected[i];
    SCOPED_TRACE(Utf16ToUtf8(child.name));
    EXPECT_EQ(elements[i].Name, child.name);
    if (child.storage) {
      ASSERT_EQ(elements[i].Type, TCompoundElementType::ceStorage);
      const auto sub = storage.OpenStorage(child.name);
      ASSERT_TRUE(sub.has_value());
      ExpectSame(*sub, child);
    } else {
      ASSERT_EQ(elements[i].Type, TCompoundElementType::ceStream);
      EXPECT_EQ(elements[i].Size, child.bytes.size());
      auto stream = storage.OpenStream(child.name);
      ASSERT_NE(stream, nullptr);
      EXPECT_TRUE(ReadAll(*stream) == child.bytes);
    }
  }
}

std::vector<uint8_t> RoundTrip(const TModel& model, TCompoundVersion version = TCompoundVersion::cvVersion3) {
  TCompoundFileWriter writer(version);
  Write(writer.Root(), model);
  std::vector<uint8_t> file = Commit(writer);
  TCompoundFileReader reader;
  EXPECT_TRUE(reader.Open(file)) << static_cast<int>(reader.Error());
  if (reader.IsOpen()) ExpectSame(reader.Root(), model);
  return file;
}

TModel Stream(std::u16string name, size_t size, uint32_t seed = 1) {
  return {std::move(name), false, Pattern(size, seed), {}};
}
TModel Storage(std::u16string name, std::vector<TModel> children = {}) {
  return {std::move(name), true, {}, std::move(children)};
}

TEST(CompoundNames, OrderIsLengthThenUpperCasedCodeUnits) {
  EXPECT_LT(CompareCompoundNames(u"Zz", u"aaa"), 0);  // shorter first, whatever the letters
  EXPECT_EQ(CompareCompoundNames(u"Workbook", u"WORKBOOK"), 0);
  EXPECT_LT(CompareCompoundNames(u"abc", u"ABD"), 0);
  EXPECT_GT(CompareCompoundNames(u"_", u"a"), 0);  // '_' (5F) sorts after 'A' (41) once upper-cased
  EXPECT_EQ(CompareCompoundNames(u"\u00e9t\u00e9", u"\u00c9T\u00c9"), 0);
  EXPECT_EQ(CompareCompoundNames(u"\u043a\u043d\u0438\u0433\u0430", u"\u041a\u041d\u0418\u0413\u0410"), 0);
  EXPECT_EQ(CompareCompoundNames(u"\u03c3\u03c2", u"\u03a3\u03a3"), 0);
  EXPECT_EQ(CompareCompoundNames(u"\u0105", u"\u0104"), 0);  // Latin Extended-A pair
  EXPECT_EQ(CompoundUpperCase(0x00FF), 0x0178);
  EXPECT_EQ(CompoundUpperCase(0xD83D), 0xD83D);  // surrogates are never upper-cased
}

TEST(CompoundNames, ValidNamesAreShortAndFreeOfSeparators) {
  EXPECT_TRUE(IsValidCompoundName(std::u16string(31, u'x')));
  EXPECT_FALSE(IsValidCompoundName(std::u16string(32, u'x')));
  EXPECT_FALSE(IsValidCompoundName(u""));
  for (const char16_t* bad : {u"a/b", u"a\\b", u"a:b", u"a!b"}) EXPECT_FALSE(IsValidCompoundName(bad));
  EXPECT_TRUE(IsValidCompoundName(u"\x05SummaryInformation"));
}

TEST(CompoundWriter, EmptyDocumentHasKnownBytes) {
  TCompoundFileWriter writer;
  const std::vector<uint8_t> file = Commit(writer);
  ASSERT_EQ(file.size(), 3u * 512);  // header, one FAT sector, one directory sector
  EXPECT_EQ(ToHex(Slice(file, 0, 0x50)),
            ToHex(Hex("D0CF11E0 A1B11AE1 00000000 00000000 00000000 00000000 3E000300 FEFF0900"
                      "06000000 00000000 00000000 01000000 01000000 00000000 00100000 FEFFFFFF"
                      "00000000 FEFFFFFF 00000000 00000000")));
  EXPECT_TRUE(std::all_of(file.begin() + 0x50, file.begin() + 512, [](uint8_t b) { return b == 0xFF; }));
  // FAT: sector 0 is the FAT itself, sector 1 the one directory sector; the rest is free.
  EXPECT_EQ(ToHex(Slice(file, 512, 12)), ToHex(Hex("FDFFFFFF FEFFFFFF FFFFFFFF")));
  EXPECT_TRUE(std::all_of(file.begin() + 520, file.begin() + 1024, [](uint8_t b) { return b == 0xFF; }));
  std::vector<uint8_t> root = Hex("52006F006F007400200045006E00740072007900");  // "Root Entry"
  root.resize(64, 0);
  const std::vector<uint8_t> tail = Hex("1600 05 01 FFFFFFFF FFFFFFFF FFFFFFFF");
  root.insert(root.end(), tail.begin(), tail.end());
  root.resize(116, 0);
  const std::vector<uint8_t> startAndSize = Hex("FEFFFFFF 00000000 00000000");
  root.insert(root.end(), startAndSize.begin(), startAndSize.end());
  EXPECT_EQ(ToHex(Slice(file, 1024, 128)), ToHex(root));
  std::vector<uint8_t> unused(66, 0);
  const std::vector<uint8_t> links = Hex("00 00 FFFFFFFF FFFFFFFF FFFFFFFF");
  unused.insert(unused.end(), links.begin(), links.end());
  unused.resize(128, 0);
  EXPECT_EQ(ToHex(Slice(file, 1024 + 3 * 128, 128)), ToHex(unused));
}

TEST(CompoundWriter, SmallStreamGoesToTheMiniStream) {
  TCompoundFileWriter writer;
  writer.Root().CreateStream(u"A")->Write("xyz", 3);
  const std::vector<uint8_t> file = Commit(writer);
  // Sectors: 0 FAT, 1 directory, 2 mini FAT, 3 mini stream.
  ASSERT_EQ(file.size(), 5u * 512);
  EXPECT_EQ(ToHex(Slice(file, 0x30, 0x18)), ToHex(Hex("01000000 00000000 00100000 02000000 01000000 FEFFFFFF")));
  EXPECT_EQ(ToHex(Slice(file, 512, 20)), ToHex(Hex("FDFFFFFF FEFFFFFF FEFFFFFF FEFFFFFF FFFFFFFF")));
  // Root: child 1, mini stream at sector 3, 64 bytes long.
  EXPECT_EQ(ToHex(Slice(file, 1024 + 64, 16)), ToHex(Hex("1600 05 01 FFFFFFFF FFFFFFFF 01000000")));
  EXPECT_EQ(ToHex(Slice(file, 1024 + 116, 12)), ToHex(Hex("03000000 40000000 00000000")));
  // The stream: "A", black, no links, mini sector 0, 3 bytes.
  EXPECT_EQ(ToHex(Slice(file, 1152, 4)), ToHex(Hex("41000000")));
  EXPECT_EQ(ToHex(Slice(file, 1152 + 64, 16)), ToHex(Hex("0400 02 01 FFFFFFFF FFFFFFFF FFFFFFFF")));
  EXPECT_EQ(ToHex(Slice(file, 1152 + 116, 12)), ToHex(Hex("00000000 03000000 00000000")));
  EXPECT_EQ(ToHex(Slice(file, 3 * 512, 8)), ToHex(Hex("FEFFFFFF FFFFFFFF")));  // mini FAT
  EXPECT_EQ(ToHex(Slice(file, 4 * 512, 4)), ToHex(Hex("78797A00")));           // mini stream
}

// Checks one sibling tree of a version 3 file read raw: a binary search tree
// in sibling order, black at the top, no red node with a red child, and the
// same number of black nodes on every path. Returns the black height.
int CheckRedBlack(const std::vector<uint8_t>& file, const std::vector<uint32_t>& dirSectors, uint32_t id,
                  bool parentRed, const std::u16string* low, const std::u16string* high, size_t& count) {
  if (id == 0xFFFFFFFF) return 1;
  const size_t at = (dirSectors[id / 4] + 1) * 512 + (id % 4) * 128;
  std::u16string name;
  for (size_t i = 0; i + 2 < size_t{file[at + 64]}; i += 2)
    name.push_back(static_cast<char16_t>(file[at + i] | (file[at + i + 1] << 8)));
  if (low) {
    EXPECT_LT(CompareCompoundNames(*low, name), 0);
  }
  if (high) {
    EXPECT_LT(CompareCompoundNames(name, *high), 0);
  }
  const bool red = file[at + 67] == 0;
  EXPECT_FALSE(red && parentRed) << Utf16ToUtf8(name);
  ++count;
  const int left = CheckRedBlack(file, dirSectors, U32(file, at + 68), red, low, &name, count);
  const int right = CheckRedBlack(file, dirSectors, U32(file, at + 72), red, &name, high, count);
  EXPECT_EQ(left, right) << Utf16ToUtf8(name);
  return left + (red ? 0 : 1);
}

TEST(CompoundWriter, SiblingTreesAreOrderedRedBlackTrees) {
  for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 13, 31, 32, 40, 100}) {
    SCOPED_TRACE(n);
    TCompoundFileWriter writer;
    for (int i = 0; i < n; ++i) {
      // Names of several lengths and cases, created out of order.
      std::string name = (i % 3 == 0 ? "x" : "Y") + std::to_string((i * 37) % 101) + (i % 2 ? "b" : "B");
      ASSERT_NE(writer.Root().CreateStream(AsciiToWide(name)), nullptr) << name;
    }
    const std::vector<uint8_t> file = Commit(writer);
    // Directory sectors follow the FAT chain from the header's first directory sector.
    std::vector<uint32_t> dirSectors;
    for (uint32_t s = U32(file, 0x30); s != 0xFFFFFFFE; s = U32(file, 512 + 4 * s)) dirSectors.push_back(s);
    const uint32_t top = U32(file, (dirSectors[0] + 1) * 512 + 76);
    const size_t topAt = (dirSectors[top / 4] + 1) * 512 + (top % 4) * 128;
    EXPECT_EQ(file[topAt + 67], 1) << "the top of the tree is black";
    size_t count = 0;
    CheckRedBlack(file, dirSectors, top, false, nullptr, nullptr, count);
    EXPECT_EQ(count, static_cast<size_t>(n));
  }
}

TEST(CompoundWriter, CreateRulesFollowTheStorageInterface) {
  TCompoundFileWriter writer;
  TCompoundWriteStorage& root = writer.Root();
  TCompoundWriteStream* s = root.CreateStream(u"Data");
  s->Write("abcdef", 6);
  // Creating an existing stream again empties it and hands back the same stream.
  EXPECT_EQ(root.CreateStream(u"DATA"), s);
  EXPECT_EQ(s->Size(), 0);
  EXPECT_EQ(root.CreateStorage(u"data"), nullptr);  // the name is taken
  ASSERT_NE(root.CreateStorage(u"Sub"), nullptr);
  EXPECT_EQ(root.CreateStorage(u"SUB"), nullptr);
  EXPECT_EQ(root.CreateStream(u"sub"), nullptr);  // a storage is never replaced by a stream
  EXPECT_EQ(root.CreateStream(u"a:b"), nullptr);
  EXPECT_EQ(root.OpenStream(u"dAtA"), s);
  EXPECT_EQ(root.OpenStorage(u"Data"), nullptr);
  const auto elements = root.EnumElements();
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[0].Name, u"Data");
  EXPECT_EQ(elements[1].Type, TCompoundElementType::ceStorage);
}

TEST(CompoundWriter, WriteStreamBehavesLikeAMemoryStreamAcrossBlocks) {
  // The same operations on a memory stream give the expected bytes.
  TCompoundWriteStream stream;
  TMemoryStream reference;
  const int64_t block = static_cast<int64_t>(TCompoundWriteStream::kBlockSize);
  const std::vector<uint8_t> data = Pattern(3 * TCompoundWriteStream::kBlockSize, 9);
  auto both = [&](auto operation) {
    EXPECT_EQ(operation(static_cast<TStream&>(stream)), operation(static_cast<TStream&>(reference)));
  };
  for (int64_t done = 0; done < 2 * block + 1000; done += 4048) {
    both([&](TStream& s) { return s.Write(data.data() + done, 4048); });
  }
  both([&](TStream& s) { return s.Seek(block - 100, TSeekOrigin::soBeginning); });
  both([&](TStream& s) { return s.Write(data.data() + 7, 300); });  // overwrites across a block edge
  both([&](TStream& s) { return s.Seek(-50, TSeekOrigin::soEnd); });
  both([&](TStream& s) { return s.Write(data.data() + 11, 200); });  // half overwrite, half append
  both([&](TStream& s) { return s.Seek(block / 2, TSeekOrigin::soEnd); });
  both([&](TStream& s) { return s.Write(data.data(), 10); });  // after a gap of zeros
  both([&](TStream& s) { return s.Size(); });
  both([&](TStream& s) { return s.Seek(block - 3, TSeekOrigin::soBeginning); });
  std::vector<uint8_t> got(static_cast<size_t>(stream.Size() + 10));
  EXPECT_EQ(stream.Read(got.data(), static_cast<int64_t>(got.size())), stream.Size() - (block - 3));
  got.resize(static_cast<size_t>(stream.Size() - (block - 3)));
  EXPECT_TRUE(std::equal(got.begin(), got.end(), reference.Bytes().begin() + (block - 3)));
  for (size_t i = 0; i + 1 < stream.Blocks().size(); ++i)
    EXPECT_EQ(stream.Blocks()[i].size(), TCompoundWriteStream::kBlockSize);

  TCompoundFileWriter writer;
  TCompoundWriteStream* big = writer.Root().CreateStream(u"Big");
  big->Write(reference.Bytes().data(), reference.Size());
  TCompoundFileReader reader;
  ASSERT_TRUE(reader.Open(Commit(writer)));
  EXPECT_TRUE(ReadAll(*reader.Root().OpenStream(u"Big")) == reference.Bytes());
}

TEST(CompoundWriter, StreamFromASourceIsTheSameDocumentAsAWrittenOne) {
  const std::vector<uint8_t> data = Pattern(70000, 3);
  auto document = [&](bool fromSource) {
    TCompoundFileWriter writer;
    writer.Root().CreateStream(u"Small")->Write(data.data(), 100);
    TCompoundWriteStream* big = writer.Root().CreateStream(u"Big");
    if (fromSource) {
      EXPECT_TRUE(big->SetSource(static_cast<int64_t>(data.size()), [&](TStream& target) {
        return target.WriteAll(data.data(), 1000) && target.WriteAll(data.data() + 1000, 69000);
      }));
      EXPECT_EQ(big->Size(), 70000);
      EXPECT_EQ(big->Write(data.data(), 1), -1) << "a stream with a source takes no writes";
    } else {
      big->Write(data.data(), static_cast<int64_t>(data.size()));
    }
    return Commit(writer);
  };
  EXPECT_TRUE(document(true) == document(false));

  // Small or already written streams keep their bytes in memory.
  TCompoundWriteStream stream;
  auto nothing = [](TStream&) { return true; };
  EXPECT_FALSE(stream.SetSource(4095, nothing));
  stream.Write(data.data(), 10);
  EXPECT_FALSE(stream.SetSource(5000, nothing));

  // A source that writes fewer bytes than it promised fails the commit.
  TCompoundFileWriter writer;
  ASSERT_TRUE(writer.Root().CreateStream(u"Short")->SetSource(
      5000, [&](TStream& target) { return target.WriteAll(data.data(), 4999); }));
  TMemoryStream out;
  EXPECT_FALSE(writer.Commit(out));
}

TEST(CompoundRoundTrip, EmptyAndNestedStorages) {
  RoundTrip(Storage(u""));
  RoundTrip(Storage(u"", {Storage(u"Empty"), Storage(u"A", {Storage(u"B", {Storage(u"C")})})}));
  RoundTrip(
      Storage(u"", {Stream(u"Workbook", 5000), Stream(u"\x05SummaryInformation", 200),
                    Storage(u"_VBA_PROJECT_CUR",
                            {Stream(u"PROJECT", 300), Stream(u"PROJECTwm", 0),
                             Storage(u"VBA", {Stream(u"dir", 1000), Stream(u"\u041a\u043d\u0438\u0433\u0430", 9000),
                                              Storage(u"Deeper", {Stream(u"x", 1)})})})}));
}

TEST(CompoundRoundTrip, ManySmallStreamsFillSeveralMiniFatSectors) {
  TModel model = Storage(u"");
  for (int i = 0; i < 600; ++i)
    model.children.push_back(Stream(u"s" + AsciiToWide(std::to_string(i)), (i * 37) % 4096, i));
  const std::vector<uint8_t> file = RoundTrip(model);
  EXPECT_GT(U32(file, 0x40), 1u) << "mini FAT sectors";
}

TEST(CompoundRoundTrip, SizesOnSectorAndMiniSectorBoundaries) {
  TModel model = Storage(u"");
  for (size_t size : {0, 1, 63, 64, 65, 511, 512, 513, 4031, 4032, 4095, 4096, 4097, 8191, 8192, 8193}) {
    model.children.push_back(Stream(u"n" + AsciiToWide(std::to_string(size)), size, static_cast<uint32_t>(size)));
  }
  RoundTrip(model);
  RoundTrip(model, TCompoundVersion::cvVersion4);
}

TEST(CompoundRoundTrip, StreamPast8MBNeedsDifatSectors) {
  const size_t size = 9 * 1024 * 1024 + 77;
  const std::vector<uint8_t> file = RoundTrip(Storage(u"", {Stream(u"Workbook", size), Stream(u"Ctls", 10)}));
  // 18,435 data sectors need 146 FAT sectors: 109 in the header, 37 in one DIFAT sector.
  EXPECT_EQ(U32(file, 0x2C), 146u);
  EXPECT_EQ(U32(file, 0x44), 146u) << "first DIFAT sector follows the FAT";
  EXPECT_EQ(U32(file, 0x48), 1u);
  EXPECT_EQ(U32(file, 0x4C + 108 * 4), 108u);
  const size_t difat = (146 + 1) * 512;
  EXPECT_EQ(U32(file, difat), 109u);
  EXPECT_EQ(U32(file, difat + 36 * 4), 145u);
  EXPECT_EQ(U32(file, difat + 37 * 4), 0xFFFFFFFFu);
  EXPECT_EQ(U32(file, difat + 127 * 4), 0xFFFFFFFEu);
}

TEST(CompoundRoundTrip, Version4UsesFourKilobyteSectors) {
  TCompoundFileWriter writer(TCompoundVersion::cvVersion4);
  writer.Root().CreateStream(u"Workbook")->Write(Pattern(5000, 3).data(), 5000);
  const std::vector<uint8_t> file = Commit(writer);
  EXPECT_EQ(ToHex(Slice(file, 0x1A, 6)), ToHex(Hex("0400 FEFF 0C00")));
  EXPECT_EQ(U32(file, 0x28), 1u) << "version 4 counts its directory sectors";
  EXPECT_EQ(file.size() % 4096, 0u);
  TCompoundFileReader reader;
  ASSERT_TRUE(reader.Open(file));
  EXPECT_EQ(reader.Version(), 4);
  auto stream = reader.Root().OpenStream(u"workbook");
  ASSERT_NE(stream, nullptr);
  EXPECT_TRUE(ReadAll(*stream) == Pattern(5000, 3));
}

TEST(CompoundReader, StreamsSeekReadAndOutliveTheReader) {
  TCompoundFileWriter writer;
  const std::vector<uint8_t> big = Pattern(70000, 5);
  writer.Root().CreateStream(u"Big")->Write(big.data(), static_cast<int64_t>(big.size()));
  writer.Root().CreateStorage(u"Folder");
  std::unique_ptr<TCompoundReadStream> stream;
  {
    TCompoundFileReader reader;
    ASSERT_TRUE(reader.Open(Commit(writer)));
    EXPECT_EQ(reader.Root().OpenStream(u"Folder"), nullptr);
    EXPECT_FALSE(reader.Root().OpenStorage(u"BIG").has_value());
    stream = reader.Root().OpenStream(u"BIG");
  }
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->Size(), 70000);
  // Odd-sized reads across sector boundaries, then seeks back and forth.
  std::vector<uint8_t> got;
  uint8_t buffer[777];
  for (int64_t n; (n = stream->Read(buffer, sizeof buffer)) > 0;) got.insert(got.end(), buffer, buffer + n);
  EXPECT_TRUE(got == big);
  EXPECT_EQ(stream->Seek(-1000, TSeekOrigin::soEnd), 69000);
  ASSERT_EQ(stream->Read(buffer, 10), 10);
  EXPECT_TRUE(std::equal(buffer, buffer + 10, big.begin() + 69000));
  EXPECT_EQ(stream->Seek(511, TSeekOrigin::soBeginning), 511);
  ASSERT_EQ(stream->Read(buffer, 2), 2);
  EXPECT_EQ(buffer[1], big[512]);
  EXPECT_EQ(stream->Seek(80000, TSeekOrigin::soBeginning), 80000);
  EXPECT_EQ(stream->Read(buffer, 10), 0);
  EXPECT_EQ(stream->Write("x", 1), -1);
}

TEST(CompoundReader, OpenStreamReadsFromTheCurrentPosition) {
  TCompoundFileWriter writer;
  writer.Root().CreateStream(u"S")->Write("hello", 5);
  const std::vector<uint8_t> file = Commit(writer);
  TMemoryStream source;
  source.Write("junk", 4);
  source.Write(file.data(), static_cast<int64_t>(file.size()));
  source.Seek(4, TSeekOrigin::soBeginning);
  TCompoundFileReader reader;
  ASSERT_TRUE(reader.OpenStream(source));
  EXPECT_EQ(reader.Root().EnumElements().at(0).Size, 5u);
  source.Seek(0, TSeekOrigin::soBeginning);
  EXPECT_FALSE(reader.OpenStream(source));
  EXPECT_EQ(reader.Error(), TCompoundError::cfSignature);
}

class CompoundFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("lx_cfb_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  size_t FileCount() const { return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir_), {})); }
  std::filesystem::path dir_;
};

TEST_F(CompoundFiles, CommitToFileReplacesTheTargetOnlyWhenItSucceeds) {
  const std::filesystem::path target = dir_ / "book.xls";
  { std::ofstream(target) << std::string(100000, 'o'); }
  TCompoundFileWriter writer;
  writer.Root().CreateStream(u"Workbook")->Write("data", 4);
  ASSERT_TRUE(writer.CommitToFile(Utf8ToUtf16(target.string())));
  EXPECT_EQ(std::filesystem::file_size(target), 5u * 512);  // nothing of the longer old file is left
  EXPECT_EQ(FileCount(), 1u);
  TCompoundFileReader reader;
  ASSERT_TRUE(reader.OpenFile(Utf8ToUtf16(target.string())));
  // A target that cannot be replaced (a folder) fails and leaves no temporary file.
  std::filesystem::create_directories(dir_ / "folder" / "inside");
  EXPECT_FALSE(writer.CommitToFile(Utf8ToUtf16((dir_ / "folder").string())));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "folder" / "inside"));
  EXPECT_EQ(FileCount(), 2u);
  EXPECT_FALSE(writer.CommitToFile(Utf8ToUtf16((dir_ / "missing" / "x.xls").string())));
  EXPECT_FALSE(reader.OpenFile(Utf8ToUtf16((dir_ / "missing.xls").string())));
  EXPECT_EQ(reader.Error(), TCompoundError::cfIO);
}

namespace fs = std::filesystem;

class CompoundSaves : public CompoundFiles {
 protected:
  void SetUp() override {
    CompoundFiles::SetUp();
    writer_.Root().CreateStream(u"Workbook")->Write("data", 4);
  }
  bool Save(const fs::path& name) const { return writer_.CommitToFile(Utf8ToUtf16(name.string())); }
  static bool IsDocument(const fs::path& name) {
    TCompoundFileReader reader;
    return reader.OpenFile(Utf8ToUtf16(name.string()));
  }
  TCompoundFileWriter writer_;
};

TEST_F(CompoundSaves, LinksAreFollowedToTheFileTheyName) {
  { std::ofstream(dir_ / "book.xls") << "old"; }
  fs::create_symlink("book.xls", dir_ / "link.xls");
  fs::create_symlink(dir_ / "link.xls", dir_ / "link2.xls");
  fs::create_symlink("new.xls", dir_ / "dangling.xls");
  for (const char* name : {"link.xls", "link2.xls", "dangling.xls"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(Save(dir_ / name));
    EXPECT_TRUE(fs::is_symlink(dir_ / name)) << "the link stays a link";
  }
  EXPECT_TRUE(IsDocument(dir_ / "book.xls"));
  EXPECT_TRUE(IsDocument(dir_ / "new.xls"));
  fs::create_symlink("loop2", dir_ / "loop1");
  fs::create_symlink("loop1", dir_ / "loop2");
  EXPECT_FALSE(Save(dir_ / "loop1"));
  EXPECT_EQ(FileCount(), 7u) << "no temporary file is left";
}

TEST_F(CompoundSaves, AReplacedFileKeepsItsPermissionBits) {
  const fs::path name = dir_ / "private.xls";
  for (auto mode : {fs::perms(0600), fs::perms(0640), fs::perms(0444), fs::perms(0755)}) {
    fs::remove(name);
    { std::ofstream(name) << "old"; }
    fs::permissions(name, mode);
    ASSERT_TRUE(Save(name));
    EXPECT_EQ(fs::status(name).permissions(), mode);
    EXPECT_TRUE(IsDocument(name));
  }
  EXPECT_EQ(FileCount(), 1u);
}

// 255 bytes is the longest name of a directory entry; the temporary name
// beside the target must not go past it.
TEST_F(CompoundSaves, NamesUpToTheLengthLimitCanBeSaved) {
  std::string euros;
  for (int i = 0; i < 85; ++i) euros += "\xE2\x82\xAC";  // 255 bytes in 85 characters
  for (const std::string& name : {std::string(246, 'x'), std::string(255, 'y'), euros}) {
    SCOPED_TRACE(name.size());
    ASSERT_TRUE(Save(dir_ / name));
    EXPECT_TRUE(IsDocument(dir_ / name));
  }
  EXPECT_EQ(FileCount(), 3u);
}

TEST_F(CompoundSaves, PipesAreWrittenInPlaceWhenSomeoneReads) {
  const fs::path pipe = dir_ / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_FALSE(Save(pipe)) << "a pipe without a reader is refused, not waited on";
  EXPECT_TRUE(fs::is_fifo(pipe));
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  ASSERT_TRUE(Save(pipe));
  EXPECT_TRUE(fs::is_fifo(pipe));
  const std::vector<uint8_t> expected = Commit(writer_);
  std::vector<uint8_t> got(expected.size() + 1);
  EXPECT_EQ(::read(reader, got.data(), got.size()), static_cast<ssize_t>(expected.size()));
  got.resize(expected.size());
  EXPECT_TRUE(got == expected);
  ::close(reader);
  EXPECT_EQ(FileCount(), 1u);

  // The same through a link whose text is no path, as /dev/stdout's is when
  // the output goes to a pipe.
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_TRUE(Save("/proc/self/fd/" + std::to_string(ends[1])));
  got.assign(expected.size() + 1, 0);
  EXPECT_EQ(::read(ends[0], got.data(), got.size()), static_cast<ssize_t>(expected.size()));
  ::close(ends[0]);
  ::close(ends[1]);
}

TEST_F(CompoundSaves, DevicesAreWrittenInPlaceAndOwnersKept) {
  if (::geteuid() != 0) GTEST_SKIP() << "device nodes and owners need root";
  const fs::path null = dir_ / "null", full = dir_ / "full";
  ASSERT_EQ(::mknod(null.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  ASSERT_EQ(::mknod(full.c_str(), S_IFCHR | 0666, makedev(1, 7)), 0);
  fs::create_symlink("null", dir_ / "to-null");
  EXPECT_TRUE(Save(null));
  EXPECT_TRUE(Save(dir_ / "to-null"));
  EXPECT_FALSE(Save(full)) << "the device's failure is the save's";
  EXPECT_TRUE(fs::is_character_file(null));
  EXPECT_TRUE(fs::is_character_file(full));
  EXPECT_TRUE(fs::is_symlink(dir_ / "to-null"));

  const fs::path owned = dir_ / "owned.xls";
  { std::ofstream(owned) << "old"; }
  ASSERT_EQ(::chown(owned.c_str(), 4321, 4322), 0);
  ASSERT_EQ(::chmod(owned.c_str(), 0640), 0);
  ASSERT_TRUE(Save(owned));
  struct stat st;
  ASSERT_EQ(::stat(owned.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4321u);
  EXPECT_EQ(st.st_gid, 4322u);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(FileCount(), 4u);
}

TEST_F(CompoundFiles, OpenFileRefusesWhatIsNotARegularFile) {
  TCompoundFileReader reader;
  EXPECT_FALSE(reader.OpenFile(Utf8ToUtf16(dir_.string())));
  EXPECT_EQ(reader.Error(), TCompoundError::cfIO);

  // Opening a pipe that has no writer would wait for one; should that
  // happen, this thread comes as the writer after a while, so the test ends
  // either way.
  const fs::path pipe = dir_ / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::mutex mutex;
  std::condition_variable done;
  bool opened = false, rescued = false;
  std::thread rescue([&] {
    std::unique_lock<std::mutex> lock(mutex);
    if (done.wait_for(lock, std::chrono::seconds(10), [&] { return opened; })) return;
    const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
    rescued = fd >= 0;
    if (fd >= 0) ::close(fd);
  });
  EXPECT_FALSE(reader.OpenFile(Utf8ToUtf16(pipe.string())));
  {
    std::lock_guard<std::mutex> lock(mutex);
    opened = true;
  }
  done.notify_one();
  rescue.join();
  EXPECT_FALSE(rescued) << "the open waited for a writer";
  EXPECT_EQ(reader.Error(), TCompoundError::cfIO);
}

// Opening every child of a storage by name used to scan the siblings for
// each, so a walk of 20,000 streams whose names differ only at the end took
// most of a minute. The bound is far above what a near-linear walk takes even
// in the sanitizer build; the speed itself is measured in
// bench/bench_compound.cpp.
TEST(CompoundReader, WalkOfTwentyThousandStreamsIsNotQuadratic) {
  constexpr uint32_t kStreams = 20000;
  // 31 characters, all but the last six shared.
  auto name = [](uint32_t i) {
    char text[32];
    std::snprintf(text, sizeof text, "Twenty thousand streams #%06u", static_cast<unsigned>(i));
    return Utf8ToUtf16(text);
  };
  TCompoundFileWriter writer;
  TCompoundWriteStorage* many = writer.Root().CreateStorage(u"Many");
  for (uint32_t i = 0; i < kStreams; ++i) many->CreateStream(name(i))->Write(&i, sizeof i);
  const std::vector<uint8_t> file = Commit(writer);

  const auto start = std::chrono::steady_clock::now();
  TCompoundFileReader reader;
  ASSERT_TRUE(reader.Open(file));
  const std::optional<TCompoundReadStorage> storage = reader.Root().OpenStorage(u"MANY");
  ASSERT_TRUE(storage.has_value());
  uint32_t walked = 0;
  for (const TCompoundElement& element : storage->EnumElements()) {
    const auto stream = storage->OpenStream(element.Name);
    uint32_t value = kStreams;
    if (stream == nullptr || stream->Read(&value, sizeof value) != sizeof value || name(value) != element.Name) break;
    ++walked;
  }
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(walked, kStreams);
  EXPECT_LT(seconds, 15.0);
}

}  // namespace
}  // namespace lx
