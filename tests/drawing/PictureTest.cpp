#include <gtest/gtest.h>

#include <string>

#include "lxConstants.h"
#include "lxDraw.h"
#include "lxPictures.h"
#include "support/Hex.h"

namespace lx {
namespace {

using test::Hex;
using test::ToHex;

std::string Expected(std::string_view hex) { return ToHex(Hex(hex)); }
std::string Repeat(const char* byte, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += byte;
  return text;
}

// The MD4 digest of "abc" (RFC 1320), the picture data of these entries.
const std::string kAbcId = "a448017aaf21d8525fc10ae87aa6729d";
const std::string kZeroId = Repeat("00", 16);
const std::string kEmfId = Repeat("22", 16);
const std::string kAbc = "61 62 63";
// Metafile header: uncompressed size 3, bounds 1 2 3 4, size 5 6, saved
// size 3, no compression, no filter.
const std::string kMeta = "03000000 01000000 02000000 03000000 04000000 05000000 06000000 03000000 FE FE";

// A type-0 entry: 44 bytes, no picture record.
const std::string kEmptyEntry =
    "02 00 07 F0 24 00 00 00  00 00" + Repeat("11", 16) + "FF 00 00000000 03000000 00000000 00 00 88 02";
const std::string kPngOut = "62 00 07 F0 40 00 00 00  06 06" + kAbcId + "FF 00 1C000000 01000000 00000000 00 00 88 02" +
                            "00 6E 1E F0 14 00 00 00" + kAbcId + "00" + kAbc;
const std::string kJpegOut = "52 00 07 F0 42 00 00 00  05 05" + kAbcId +
                             "FF 00 1C000000 01000000 00000000 00 02 88 02  50 00" + "A0 46 1D F0 14 00 00 00" +
                             kAbcId + "00" + kAbc;

TEST(PictureStore, EntriesWrittenWithTheirPicturesAndDigests) {
  struct TCase {
    const char* name;
    std::string in, out;
    uint8_t type;
  } cases[] = {
      {"type 0", kEmptyEntry, kEmptyEntry, kBlipNone},
      // The tag byte and the identifiers as another writer left them.
      {"PNG",
       "62 00 07 F0 40 00 00 00  06 06" + kZeroId + "FF 00 1C000000 01000000 00000000 00 00 00 00" +
           "00 6E 1E F0 14 00 00 00" + kZeroId + "FF" + kAbc,
       kPngOut, kBlipPng},
      {"PNG with a second identifier",
       "62 00 07 F0 50 00 00 00  06 06" + kZeroId + "FF 00 2C000000 01000000 00000000 00 00 00 00" +
           "10 6E 1E F0 24 00 00 00" + Repeat("33", 16) + Repeat("44", 16) + "FF" + kAbc,
       kPngOut, kBlipPng},
      {"named JPEG", kJpegOut, kJpegOut, kBlipJpeg},
      {"WMF",
       "32 00 07 F0 61 00 00 00  03 03" + kZeroId + "FF 00 3D000000 01000000 00000000 00 00 88 02" +
           "60 21 1B F0 35 00 00 00" + kZeroId + kMeta + kAbc,
       "32 00 07 F0 61 00 00 00  03 03" + kAbcId + "FF 00 3D000000 01000000 00000000 00 00 88 02" +
           "60 21 1B F0 35 00 00 00" + kAbcId + kMeta + kAbc,
       kBlipWmf},
      // EMF keeps the identifier it was stored with; its Macintosh type is 4.
      {"EMF",
       "22 00 07 F0 61 00 00 00  02 02" + kZeroId + "FF 00 3D000000 01000000 00000000 00 00 88 02" +
           "40 3D 1A F0 35 00 00 00" + kEmfId + kMeta + kAbc,
       "22 00 07 F0 61 00 00 00  02 04" + kEmfId + "FF 00 3D000000 01000000 00000000 00 00 88 02" +
           "40 3D 1A F0 35 00 00 00" + kEmfId + kMeta + kAbc,
       kBlipEmf},
      // PICT carries a metafile header too, and keeps its data.
      {"PICT",
       "42 00 07 F0 61 00 00 00  04 04" + kZeroId + "FF 00 3D000000 01000000 00000000 00 00 88 02" +
           "20 54 1C F0 35 00 00 00" + kZeroId + kMeta + kAbc,
       "42 00 07 F0 61 00 00 00  04 04" + kAbcId + "FF 00 3D000000 01000000 00000000 00 00 88 02" +
           "20 54 1C F0 35 00 00 00" + kAbcId + kMeta + kAbc,
       kBlipPict},
  };
  for (const TCase& c : cases) {
    TMSOPictureList store;
    ASSERT_EQ(store.Read(Hex(c.in)), kResultOk) << c.name;
    ASSERT_EQ(store.Count(), 1u) << c.name;
    const TMSOPicture& entry = store.Item(0);
    EXPECT_EQ(entry.PictureType(), c.type) << c.name;
    EXPECT_EQ(entry.Size(), Hex(c.out).size()) << c.name;
    EXPECT_EQ(store.Size(), Hex(c.out).size() + 8) << c.name;
    TXLSBlob blob(0);
    entry.WriteTo(blob);
    EXPECT_EQ(ToHex(std::vector<uint8_t>(blob.Data(), blob.Data() + blob.Length())), Expected(c.out)) << c.name;
    if (c.type == kBlipNone) continue;
    EXPECT_EQ(entry.Data(), Hex(kAbc)) << c.name;
    EXPECT_EQ(ToHex(std::vector<uint8_t>(entry.Identifier().begin(), entry.Identifier().end())), Expected(kAbcId))
        << c.name;
    EXPECT_EQ(store.Find(entry.Identifier()), &entry) << c.name;
  }
}

TEST(PictureStore, UnreadableEntriesHoldTheirPlacesAndLaterOnesAreRead) {
  // A PNG whose header gives a picture size one byte too long (reference
  // count 2), a JPEG, a record that is no entry, an entry of type 0.
  const std::string badPng = "62 00 07 F0 40 00 00 00  06 06" + kZeroId +
                             "FF 00 1D000000 02000000 00000000 00 00 00 00" + "00 6E 1E F0 14 00 00 00" + kZeroId +
                             "FF" + kAbc;
  const std::string other = "00 00 2A F1 02 00 00 00 AB CD";
  const std::vector<uint8_t> body = Hex(badPng + kJpegOut + other + kEmptyEntry);
  TMSOPictureList store;
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(store.Read(body), kResultOk);
    ASSERT_EQ(store.Count(), 4u);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(store.Item(i).PictureNumber(), i) << "numbered from 0 at every read";
  }
  EXPECT_EQ(store.Item(0).PictureType(), kBlipNone);
  EXPECT_EQ(store.Item(0).RefCount(), 2u);
  EXPECT_EQ(store.Item(1).PictureType(), kBlipJpeg);
  EXPECT_EQ(store.Item(1).Name(), u"P");
  EXPECT_TRUE(store.Item(2).IsKept());
  TXLSBlob blob(0);
  store.WriteTo(blob);
  const std::string dropped =
      "02 00 07 F0 24 00 00 00  00 00" + kZeroId + "FF 00 00000000 02000000 00000000 00 00 88 02";
  EXPECT_EQ(ToHex(std::vector<uint8_t>(blob.Data(), blob.Data() + blob.Length())),
            Expected("4F 00 01 F0 AC 00 00 00" + dropped + kJpegOut + other + kEmptyEntry));
  store.Clear();
  EXPECT_EQ(store.Size(), 0u) << "an empty store is not written";
}

TEST(PictureStore, MalformedStoresNeverCrash) {
  const std::string pngHead = "62 00 07 F0 40 00 00 00  06 06" + kZeroId + "FF 00 1C000000 01000000 00000000";
  struct TCase {
    const char* name;
    std::string body;
    int32_t result;
    size_t count;
    uint8_t type;
  } cases[] = {
      {"truncated record header", "02 00 07", kResultFail, 0, 0},
      {"length past the end", "02 00 07 F0 FF 00 00 00 00", kResultFail, 0, 0},
      {"entry header shorter than 36 bytes", "02 00 07 F0 04 00 00 00 06 06 00 00", kResultOk, 1, kBlipNone},
      {"picture record of another type", pngHead + "00 00 00 00" + "00 6E 1F F0 14 00 00 00" + kZeroId + "FF" + kAbc,
       kResultOk, 1, kBlipNone},
      {"picture record shorter than its identifier",
       "62 00 07 F0 36 00 00 00  06 06" + kZeroId + "FF 00 12000000 01000000 00000000 00 00 00 00" +
           "00 6E 1E F0 0A 00 00 00" + Repeat("00", 10),
       kResultOk, 1, kBlipNone},
      {"metafile header cut short",
       "32 00 07 F0 3C 00 00 00  03 03" + kZeroId + "FF 00 18000000 01000000 00000000 00 00 00 00" +
           "60 21 1B F0 10 00 00 00" + kZeroId,
       kResultOk, 1, kBlipNone},
      // A type byte past the known ones still names its picture record.
      {"type byte out of range",
       "F2 0F 07 F0 40 00 00 00  FF FF" + kZeroId + "FF 00 1C000000 01000000 00000000 00 00 00 00" +
           "00 00 17 F1 14 00 00 00" + kZeroId + "FF" + kAbc,
       kResultOk, 1, 0xFF},
  };
  for (const TCase& c : cases) {
    TMSOPictureList store;
    EXPECT_EQ(store.Read(Hex(c.body)), c.result) << c.name;
    ASSERT_EQ(store.Count(), c.count) << c.name;
    if (c.count) {
      EXPECT_EQ(store.Item(0).PictureType(), c.type) << c.name;
    }
  }
  // Every cut of a good store reads or fails without reading past its bytes.
  const std::vector<uint8_t> good = Hex(kPngOut + kEmptyEntry + kJpegOut);
  for (size_t n = 0; n <= good.size(); ++n) {
    TMSOPictureList store;
    (void)store.Read(std::span<const uint8_t>(good).first(n));
    EXPECT_LE(store.Count(), 3u);
  }
}

// A sheet drawing of the top group shape, two picture frames naming store
// entries 1 and 2, and a text box, each shape followed by its OBJ record.
TEST(Pictures, PictureFramesAreListedWhenTheDrawingIsRead) {
  const auto shape = [](uint16_t type, uint32_t blip, uint16_t row, uint16_t column) {
    TXLSBlob blob(0);
    TMSOHeader{0xF, 0, kFbtSpContainer, blip ? 64u : 50u}.WriteTo(blob);
    TMsoFbtSp{2, type, 1025, kShapeFlagsNew}.WriteTo(blob);
    if (blip) {
      TMsoFbtOpt opt;
      opt.SetValue(kPropBlip, blip);
      opt.WriteTo(blob);
    }
    TMsoFbtClientAnchor anchor;
    anchor.FirstRow = row, anchor.FirstColumn = column;
    anchor.WriteTo(blob);
    TMSOHeader{0, 0, kFbtClientData, 0}.WriteTo(blob);
    return std::vector<uint8_t>(blob.Data(), blob.Data() + blob.Length());
  };
  const auto obj = [](uint16_t type, uint16_t id) {
    std::vector<uint8_t> data = Hex("15 00 12 00 00 00 00 00 11 60" + Repeat("00", 16));
    data[4] = static_cast<uint8_t>(type), data[6] = static_cast<uint8_t>(id);
    return data;
  };
  TXLSBlob head(0);
  TMSOHeader{0xF, 0, kFbtDgContainer, 8 + 250}.WriteTo(head);
  TMSOHeader{0xF, 0, kFbtSpgrContainer, 250}.WriteTo(head);
  TMSOHeader{0xF, 0, kFbtSpContainer, 40}.WriteTo(head);
  TMSOHeader{1, 0, kFbtSpgr, 16}.WriteTo(head);
  head.AddBytes(std::vector<uint8_t>(16).data(), 16);
  TMsoFbtSp{2, 0, 1024, kShapeFlagGroup | kShapeFlagPatriarch}.WriteTo(head);

  TMsoDrawing drawing;
  ASSERT_EQ(drawing.ReadDrawingData(std::span<const uint8_t>(head.Data(), head.Length())), kResultOk);
  ASSERT_EQ(drawing.ReadDrawingData(shape(kShapeTypePictureFrame, 1, 3, 2)), kResultOk);
  ASSERT_EQ(drawing.ReadObjRecord(obj(8, 1)), kResultOk);
  ASSERT_EQ(drawing.ReadDrawingData(shape(kShapeTypePictureFrame, 2, 9, 4)), kResultOk);
  ASSERT_EQ(drawing.ReadObjRecord(obj(8, 2)), kResultOk);
  ASSERT_EQ(drawing.ReadDrawingData(shape(kShapeTypeTextBox, 0, 1, 1)), kResultOk);
  ASSERT_EQ(drawing.ReadObjRecord(obj(6, 3)), kResultOk);
  drawing.FinishDrawingRead();
  ASSERT_FALSE(drawing.ReadFailed());
  ASSERT_EQ(drawing.Count(), 3u);

  TXLSShapes pictures(drawing);
  EXPECT_EQ(pictures.Count(), 0u) << "listed only once the reading is finished";
  pictures.Build();
  ASSERT_EQ(pictures.Count(), 2u);
  EXPECT_EQ(pictures.Item(1).PictureIndex(), 1u);
  EXPECT_EQ(pictures.Item(2).PictureIndex(), 2u);
  EXPECT_EQ(pictures.Item(2).Row(), 9);
  EXPECT_EQ(pictures.Item(2).Column(), 4);
  EXPECT_EQ(&pictures.Item(1).Shape(), &drawing.Item(0));
  EXPECT_EQ(&pictures.Item(1).Owner(), &pictures);
  pictures.Build();
  EXPECT_EQ(pictures.Count(), 2u) << "built again, not twice";
}

}  // namespace
}  // namespace lx
