#include <gtest/gtest.h>

#include "lxFormat.h"
#include "support/Hex.h"

namespace lx {
namespace {

using test::ToHex;

std::string RecordHex(const std::unique_ptr<TXLSBlob>& record) {
  return record ? ToHex(record->Data(), record->Length()) : std::string("<none>");
}

TEST(XFRecord, DefaultFormatsInBothFormats) {
  TlxFormatList list;
  list.PrepareForSave();
  ASSERT_EQ(list.OutputCount(), 21);
  // Normal style: style bit, parent FFF, locked, bottom aligned, colours 64/65.
  EXPECT_EQ(RecordHex(list.BuildXFRecord(0, kSaveBiff8)),
            "E0 00 14 00 00 00 00 00 F5 FF 20 00 00 00 00 00 00 00 00 00 00 00 C0 20");
  // Style XFs 1-14 carry the used flags F4 as the byte D0.
  EXPECT_EQ(RecordHex(list.BuildXFRecord(1, kSaveBiff8)),
            "E0 00 14 00 00 00 00 00 F5 FF 20 00 00 D0 00 00 00 00 00 00 00 00 C0 20");
  // The default cell format: parent 0.
  EXPECT_EQ(RecordHex(list.BuildXFRecord(15, kSaveBiff8)),
            "E0 00 14 00 00 00 00 00 01 00 20 00 00 00 00 00 00 00 00 00 00 00 C0 20");
  // Currency style: font 1, format 44, flags 3E as F8.
  EXPECT_EQ(RecordHex(list.BuildXFRecord(16, kSaveBiff8)),
            "E0 00 14 00 01 00 2C 00 F5 FF 20 00 00 F8 00 00 00 00 00 00 00 00 C0 20");
  EXPECT_EQ(RecordHex(list.BuildXFRecord(1, kSaveBiff5)),
            "E0 00 10 00 00 00 00 00 F5 FF 20 D0 C0 20 00 00 00 00 00 00");
  EXPECT_EQ(RecordHex(list.BuildXFRecord(16, kSaveBiff5)),
            "E0 00 10 00 01 00 2C 00 F5 FF 20 F8 C0 20 00 00 00 00 00 00");
  EXPECT_EQ(list.BuildXFRecord(21, kSaveBiff8), nullptr);
}

// A cell format with every field filled: a bold font, custom format 164,
// locked and hidden, vertically centred, wrapped and centred, rotated 90,
// reading order 1, shrink, indent 2, left thin colour 10, right medium colour
// 12, top dashed colour 8, bottom thick colour 9, diagonal down double colour
// 20, pattern 2 in colours 17 and 10, all groups used.
TXLSXFFields FullFormat(uint16_t font) {
  TXLSXFFields f;
  f.Font = font;
  f.NumFormat = 164;
  f.Protection = 3;
  f.Parent = 0;
  f.Alignment = 0x1A;
  f.Rotation = 90;
  f.Indent = 0x52;
  f.Border1 = 0x460A5321;
  f.Border2 = 0x00C50488;
  f.Pattern = 2;
  f.PatternColors = 0x0511;
  f.Used = 0x3F;
  return f;
}

TEST(XFRecord, EveryFieldLandsWhereTheFileFormatWantsIt) {
  TlxFormatList list;
  const int32_t font = list.Fonts().SetFontBold(0, true);
  const int32_t index = list.Count();
  list.SetKeyAt(index, FullFormat(static_cast<uint16_t>(font)).Key());
  list.PrepareForSave();
  ASSERT_EQ(list.OutputIndex(index), 22);
  EXPECT_EQ(RecordHex(list.BuildXFRecord(21, kSaveBiff8)),
            "E0 00 14 00 05 00 A4 00 03 00 1A 5A 52 FC 21 53 0A 46 88 04 C5 08 11 05");
  EXPECT_EQ(RecordHex(list.BuildXFRecord(21, kSaveBiff5)),
            "E0 00 10 00 05 00 A4 00 03 00 1A FE 11 05 42 13 8B 10 0A 06");
}

TEST(XFRecord, Biff5OrientationFollowsTheRotation) {
  struct Case {
    int32_t rotation;
    int orientation;
  };
  const Case cases[] = {{0, 0}, {45, 0}, {46, 2}, {90, 2}, {135, 2}, {136, 3}, {180, 3}, {255, 1}};
  for (const Case& c : cases) {
    TlxFormatList list;
    const int32_t f = list.SetXFRotation(0, c.rotation, false);
    list.PrepareForSave();
    const auto record = list.BuildXFRecord(list.OutputIndex(f) - 1, kSaveBiff5);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ((record->GetWord(10) >> 8) & 3, c.orientation) << "rotation " << c.rotation;
    // BIFF8 keeps the rotation byte itself.
    const auto biff8 = list.BuildXFRecord(list.OutputIndex(f) - 1, kSaveBiff8);
    EXPECT_EQ(biff8->GetByte(11), c.rotation);
  }
}

TEST(StyleRecord, BuiltInAndUserStyles) {
  TlxFormatList list;
  list.PrepareForSave();
  TXLSStyles& styles = list.Styles();
  // Comma -> XF 19; Normal -> XF 0.
  EXPECT_EQ(RecordHex(styles.BuildStyleRecord(0, kSaveBiff8)), "93 02 04 00 13 80 03 FF");
  EXPECT_EQ(RecordHex(styles.BuildStyleRecord(5, kSaveBiff5)), "93 02 04 00 00 80 00 FF");
  EXPECT_EQ(styles.BuildStyleRecord(6, kSaveBiff8), nullptr);

  const int32_t user = styles.AddUserStyle(u"Ab", 15);
  EXPECT_EQ(user, 6);
  EXPECT_EQ(RecordHex(styles.BuildStyleRecord(user, kSaveBiff8)), "93 02 09 00 0F 00 02 00 01 41 00 62 00");
  EXPECT_EQ(RecordHex(styles.BuildStyleRecord(user, kSaveBiff5)), "93 02 05 00 0F 00 02 41 62");
  EXPECT_EQ(styles.Style(user)->UserName(), u"Ab");

  // The same name key replaces the style in place, the first entry included.
  EXPECT_EQ(styles.AddBuiltinStyle(3, 15), 0);
  EXPECT_EQ(styles.AddUserStyle(u"Ab", 16), user);
  EXPECT_EQ(styles.Count(), 7);
  EXPECT_EQ(RecordHex(styles.BuildStyleRecord(0, kSaveBiff8)), "93 02 04 00 0F 80 03 FF");
}

TEST(StyleRecord, StyleOfAnUnwrittenFormatIsNotWritten) {
  TlxFormatList list;
  const int32_t f = list.SetXFWrapText(0, true, false);
  list.MoveReference(f, 0);
  const int32_t style = list.Styles().AddUserStyle(u"Loose", f);
  list.PrepareForSave();
  EXPECT_EQ(list.Styles().BuildStyleRecord(style, kSaveBiff8), nullptr);
}

}  // namespace
}  // namespace lx
