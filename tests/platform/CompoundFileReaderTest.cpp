// The reader against files built byte by byte here, sound and damaged.
#include <gtest/gtest.h>

#include <functional>

#include "lxCompoundFile.h"
#include "lxText.h"

namespace lx {
namespace {

constexpr uint32_t kEnd = 0xFFFFFFFE;
constexpr uint32_t kFree = 0xFFFFFFFF;
constexpr uint32_t kNone = 0xFFFFFFFF;

// A version 3 file of a given number of 512-byte sectors, with the FAT in
// sector 0 and the directory in sector 1.
class TImage {
 public:
  explicit TImage(uint32_t sectors) : bytes((sectors + 1) * 512, 0) {
    const uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(std::begin(signature), std::end(signature), bytes.begin());
    Put16(24, 0x3E);
    Put16(26, 3);
    Put16(28, 0xFFFE);
    Put16(30, 9);
    Put16(32, 6);
    Put32(44, 1);     // FAT sectors
    Put32(48, 1);     // first directory sector
    Put32(56, 4096);  // mini stream cutoff
    Put32(60, kEnd);  // no mini FAT
    Put32(68, kEnd);  // no DIFAT sector
    for (uint32_t i = 0; i < 109; ++i) Put32(76 + 4 * i, kFree);
    Put32(76, 0);
    for (uint32_t s = 0; s < 128; ++s) Fat(s, kFree);
    Fat(0, 0xFFFFFFFD);
    Fat(1, kEnd);
    for (uint32_t id = 0; id < 4; ++id) Entry(id, u"", 0, kNone, kNone, kNone, 0, 0);
  }

  size_t Sector(uint32_t s) const { return (size_t{s} + 1) * 512; }
  void Put16(size_t at, uint16_t v) {
    bytes[at] = v & 0xFF;
    bytes[at + 1] = v >> 8;
  }
  void Put32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = (v >> (8 * i)) & 0xFF;
  }
  void Fat(uint32_t s, uint32_t next) { Put32(Sector(0) + 4 * s, next); }
  size_t EntryAt(uint32_t id) const { return Sector(1) + id * 128; }
  void Entry(uint32_t id, std::u16string_view name, uint8_t type, uint32_t left, uint32_t right, uint32_t child,
             uint32_t start, uint32_t size) {
    const size_t at = EntryAt(id);
    for (size_t i = 0; i < 64; ++i) bytes[at + i] = 0;
    for (size_t i = 0; i < name.size(); ++i) Put16(at + 2 * i, name[i]);
    Put16(at + 64, name.empty() ? 0 : static_cast<uint16_t>(2 * (name.size() + 1)));
    bytes[at + 66] = type;
    bytes[at + 67] = 1;
    Put32(at + 68, left);
    Put32(at + 72, right);
    Put32(at + 76, child);
    Put32(at + 116, start);
    Put32(at + 120, size);
    Put32(at + 124, 0);
  }

  std::vector<uint8_t> bytes;
};

// Root -> "Big" (5,000 bytes in sectors 2..11, chained out of order) with
// right sibling "Sub" (a storage) -> "Small" (100 bytes in the mini stream).
// Sector 12 holds the mini stream, sector 13 the mini FAT.
TImage SoundImage() {
  TImage image(14);
  const uint32_t chain[] = {2, 4, 3, 5, 6, 7, 8, 9, 10, 11};
  for (size_t i = 0; i < 10; ++i) image.Fat(chain[i], i + 1 < 10 ? chain[i + 1] : kEnd);
  image.Fat(12, kEnd);
  image.Fat(13, kEnd);
  for (uint32_t s = 2; s <= 11; ++s) {
    for (size_t i = 0; i < 512; ++i) image.bytes[image.Sector(s) + i] = static_cast<uint8_t>(s * 16 + i);
  }
  for (size_t i = 0; i < 128; ++i) image.bytes[image.Sector(12) + i] = static_cast<uint8_t>(i ^ 0x5A);
  image.Put32(image.Sector(13), 1);
  image.Put32(image.Sector(13) + 4, kEnd);
  for (uint32_t m = 2; m < 128; ++m) image.Put32(image.Sector(13) + 4 * m, kFree);
  image.Put32(60, 13);
  image.Put32(64, 1);
  image.Entry(0, u"Root Entry", 5, kNone, kNone, 1, 12, 128);
  image.Entry(1, u"Big", 2, kNone, 2, kNone, 2, 5000);
  image.Entry(2, u"Sub", 1, kNone, kNone, 3, 0, 0);
  image.Entry(3, u"Small", 2, kNone, kNone, kNone, 0, 100);
  return image;
}

std::vector<uint8_t> ExpectedBig(size_t size = 5000) {
  std::vector<uint8_t> bytes;
  for (uint32_t s : {2, 4, 3, 5, 6, 7, 8, 9, 10, 11}) {
    for (size_t i = 0; i < 512 && bytes.size() < size; ++i) bytes.push_back(static_cast<uint8_t>(s * 16 + i));
  }
  return bytes;
}

std::vector<uint8_t> ReadAll(TStream& stream) {
  std::vector<uint8_t> bytes(static_cast<size_t>(stream.Size()));
  EXPECT_EQ(stream.Read(bytes.data(), static_cast<int64_t>(bytes.size())), stream.Size());
  return bytes;
}

TEST(CompoundReader, ReadsAFileBuiltByHand) {
  TCompoundFileReader reader;
  ASSERT_TRUE(reader.Open(SoundImage().bytes)) << static_cast<int>(reader.Error());
  const auto elements = reader.Root().EnumElements();
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[0].Name, u"Big");
  EXPECT_EQ(elements[0].Size, 5000u);
  EXPECT_EQ(elements[1].Type, TCompoundElementType::ceStorage);
  auto big = reader.Root().OpenStream(u"big");
  ASSERT_NE(big, nullptr);
  EXPECT_TRUE(ReadAll(*big) == ExpectedBig());
  auto small = reader.Root().OpenStorage(u"SUB")->OpenStream(u"small");
  ASSERT_NE(small, nullptr);
  const std::vector<uint8_t> bytes = ReadAll(*small);
  ASSERT_EQ(bytes.size(), 100u);
  for (size_t i = 0; i < 100; ++i) ASSERT_EQ(bytes[i], static_cast<uint8_t>(i ^ 0x5A)) << i;
}

TEST(CompoundReader, ToleratesWhatOlderWritersLeave) {
  TImage garbageHigh = SoundImage();
  garbageHigh.Put32(garbageHigh.EntryAt(1) + 124, 0xDEADBEEF);  // high half of a version 3 size
  TImage longChain = SoundImage();
  longChain.Put32(longChain.EntryAt(1) + 120, 4200);  // 9 sectors needed, 10 chained
  TImage shortLastSector = SoundImage();
  shortLastSector.bytes.resize(15 * 512 - 300);  // the mini FAT's unused tail is cut

  TCompoundFileReader reader;
  ASSERT_TRUE(reader.Open(garbageHigh.bytes));
  EXPECT_EQ(reader.Root().EnumElements()[0].Size, 5000u);
  ASSERT_TRUE(reader.Open(longChain.bytes));
  EXPECT_TRUE(ReadAll(*reader.Root().OpenStream(u"Big")) == ExpectedBig(4200));
  EXPECT_TRUE(reader.Open(shortLastSector.bytes)) << static_cast<int>(reader.Error());
}

struct TDamage {
  const char* what;
  std::function<void(TImage&)> damage;
  TCompoundError error;
};

TEST(CompoundReader, RefusesDamagedFiles) {
  const TDamage cases[] = {
      {"truncated header", [](TImage& f) { f.bytes.resize(300); }, TCompoundError::cfTruncated},
      {"empty input", [](TImage& f) { f.bytes.clear(); }, TCompoundError::cfTruncated},
      {"wrong signature", [](TImage& f) { f.bytes[7] = 0; }, TCompoundError::cfSignature},
      {"wrong byte order mark", [](TImage& f) { f.Put16(28, 0xFEFF); }, TCompoundError::cfByteOrder},
      {"version 3 with 4 KB sectors", [](TImage& f) { f.Put16(30, 12); }, TCompoundError::cfVersion},
      {"mini sector size", [](TImage& f) { f.Put16(32, 7); }, TCompoundError::cfVersion},
      {"more FAT sectors than the file holds", [](TImage& f) { f.Put32(44, 1000); }, TCompoundError::cfTruncated},
      {"FAT sector past the end", [](TImage& f) { f.Put32(76, 900); }, TCompoundError::cfSectorIndex},
      {"FAT sector listed twice",
       [](TImage& f) {
         f.Put32(44, 2);
         f.Put32(80, 0);
       },
       TCompoundError::cfChain},
      {"FAT loop in a stream", [](TImage& f) { f.Fat(11, 2); }, TCompoundError::cfChain},
      {"FAT self loop", [](TImage& f) { f.Fat(5, 5); }, TCompoundError::cfChain},
      {"chain ends early", [](TImage& f) { f.Fat(8, kEnd); }, TCompoundError::cfChain},
      {"free sector inside a chain", [](TImage& f) { f.Fat(8, kFree); }, TCompoundError::cfChain},
      {"chain runs past the end", [](TImage& f) { f.Fat(5, 400); }, TCompoundError::cfSectorIndex},
      {"stream start past the end", [](TImage& f) { f.Put32(f.EntryAt(1) + 116, 500); }, TCompoundError::cfSectorIndex},
      {"stream larger than the file", [](TImage& f) { f.Put32(f.EntryAt(1) + 120, 0x7FFFFFF0); },
       TCompoundError::cfStreamSize},
      {"mini stream larger than the file", [](TImage& f) { f.Put32(f.EntryAt(0) + 120, 0x10000000); },
       TCompoundError::cfStreamSize},
      {"two chains share a sector", [](TImage& f) { f.Put32(f.EntryAt(0) + 116, 11); }, TCompoundError::cfChain},
      {"directory chain starts on a free mark", [](TImage& f) { f.Put32(48, kFree); }, TCompoundError::cfChain},
      {"no directory", [](TImage& f) { f.Put32(48, kEnd); }, TCompoundError::cfDirectory},
      {"directory loop through a sibling", [](TImage& f) { f.Put32(f.EntryAt(2) + 72, 1); },
       TCompoundError::cfDirectory},
      {"directory loop back to the root", [](TImage& f) { f.Put32(f.EntryAt(2) + 76, 0); },
       TCompoundError::cfDirectory},
      {"storage that contains itself", [](TImage& f) { f.Put32(f.EntryAt(2) + 76, 2); }, TCompoundError::cfDirectory},
      {"sibling index past the directory", [](TImage& f) { f.Put32(f.EntryAt(1) + 68, 50); },
       TCompoundError::cfDirectory},
      {"root entry of the wrong type", [](TImage& f) { f.bytes[f.EntryAt(0) + 66] = 1; }, TCompoundError::cfDirectory},
      {"unallocated entry in the tree", [](TImage& f) { f.bytes[f.EntryAt(1) + 66] = 0; }, TCompoundError::cfDirectory},
      {"second root in the tree", [](TImage& f) { f.bytes[f.EntryAt(3) + 66] = 5; }, TCompoundError::cfDirectory},
      {"small stream without a mini stream", [](TImage& f) { f.Put32(f.EntryAt(0) + 120, 0); },
       TCompoundError::cfSectorIndex},
      {"mini FAT loop", [](TImage& f) { f.Put32(f.Sector(13) + 4, 0); }, TCompoundError::cfChain},
      {"small stream longer than its mini chain", [](TImage& f) { f.Put32(f.EntryAt(3) + 120, 3000); },
       TCompoundError::cfChain},
  };
  for (const TDamage& c : cases) {
    TImage image = SoundImage();
    c.damage(image);
    TCompoundFileReader reader;
    EXPECT_FALSE(reader.Open(image.bytes)) << c.what;
    EXPECT_EQ(reader.Error(), c.error) << c.what;
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_TRUE(reader.Root().EnumElements().empty());
  }
}

TEST(CompoundReader, RefusesALoopingDifatChain) {
  // 300 FAT sectors are declared: 109 in the header, the rest in DIFAT
  // sectors; the only DIFAT sector links back to itself.
  TImage image(400);
  image.Put32(44, 300);
  for (uint32_t i = 0; i < 109; ++i) image.Put32(76 + 4 * i, i);
  image.Put32(68, 109);
  image.Put32(72, 2);
  for (uint32_t i = 0; i < 127; ++i) image.Put32(image.Sector(109) + 4 * i, 110 + i);
  image.Put32(image.Sector(109) + 508, 109);
  TCompoundFileReader reader;
  EXPECT_FALSE(reader.Open(image.bytes));
  EXPECT_EQ(reader.Error(), TCompoundError::cfChain);
  image.Put32(image.Sector(109) + 508, kEnd);  // and a chain that ends too soon
  EXPECT_FALSE(reader.Open(image.bytes));
  EXPECT_EQ(reader.Error(), TCompoundError::cfTruncated);
}

}  // namespace
}  // namespace lx
