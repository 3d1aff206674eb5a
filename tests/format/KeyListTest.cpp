#include <gtest/gtest.h>

#include "lxList.h"
#include "support/Hex.h"

namespace lx {
namespace {

using test::ToHex;

std::string RecordHex(const std::unique_ptr<TXLSBlob>& record) {
  return record ? ToHex(record->Data(), record->Length()) : std::string("<none>");
}

TEST(KeyList, RekeyDeduplicatesAndMovesOneReference) {
  TXLSKeyList list;  // base 1, no defaults
  const int32_t a = list.Rekey(0, u"A");
  EXPECT_EQ(a, 1);
  EXPECT_EQ(list.Rekey(0, u"A"), 1);
  EXPECT_EQ(list.RefCount(1), 2);
  const int32_t b = list.Rekey(1, u"B");
  EXPECT_EQ(b, 2);
  EXPECT_EQ(list.RefCount(1), 1);
  EXPECT_EQ(list.RefCount(2), 1);
  // Back to A: B's only reference goes, A gains one.
  EXPECT_EQ(list.Rekey(2, u"A"), 1);
  EXPECT_EQ(list.RefCount(1), 2);
  EXPECT_EQ(list.RefCount(2), 0);
  EXPECT_EQ(list.InUseCount(), 1);
  EXPECT_EQ(list.Count(), 2);

  list.Renumber();
  EXPECT_EQ(list.OutputCount(), 1);
  EXPECT_EQ(list.OutputIndex(1), 1);
  EXPECT_EQ(list.OutputIndex(2), 0);
  EXPECT_EQ(list.OutputIndex(99), 0);
  EXPECT_EQ(list.OutputEntry(0), 1);
  EXPECT_EQ(list.OutputEntry(1), -1);
}

TEST(KeyList, SameKeyAtCurrentIndexIsReturnedWithoutCountingAgain) {
  TXLSKeyList list;
  list.SetBaseIndex(0);
  const int32_t x = list.Rekey(0, u"X");  // index 0: never found by key
  const int32_t y = list.Rekey(0, u"Y");
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 1);
  EXPECT_EQ(list.Rekey(1, u"Y"), 1);  // shortcut: above the base and same key
  EXPECT_EQ(list.RefCount(1), 1);
  // Index 0 is never reached through its key: a new entry takes the key.
  EXPECT_EQ(list.Rekey(0, u"X"), 2);
  EXPECT_EQ(list.Rekey(0, u"X"), 2);
  EXPECT_EQ(list.GetKey(2), u"X");
}

TEST(KeyList, DefaultsAreAlwaysWrittenAndNeverCounted) {
  TXLSKeyList list;
  list.SetBaseIndex(0);
  list.SetDefaultCount(2);
  list.SetKeyAt(0, u"D0");
  list.SetKeyAt(1, u"D1");
  list.AddReference(0);
  EXPECT_EQ(list.RefCount(0), 0);
  // A default found by key is returned without a reference.
  EXPECT_EQ(list.Rekey(0, u"D1"), 1);
  EXPECT_EQ(list.RefCount(1), 0);
  const int32_t e = list.Rekey(1, u"E");
  EXPECT_EQ(e, 2);
  const int32_t f = list.Rekey(0, u"F");
  list.MoveReference(f, e);
  EXPECT_EQ(list.RefCount(e), 2);
  EXPECT_EQ(list.RefCount(f), 0);
  list.Renumber();
  EXPECT_EQ(list.OutputCount(), 3);
  EXPECT_EQ(list.OutputIndex(0), 1);
  EXPECT_EQ(list.OutputIndex(1), 2);
  EXPECT_EQ(list.OutputIndex(e), 3);
  EXPECT_EQ(list.OutputIndex(f), 0);
  list.ResetReferences();
  EXPECT_EQ(list.RefCount(e), 0);
  EXPECT_EQ(list.InUseCount(), 0);
}

TEST(KeyList, SurplusReleaseDoesNotHideALaterUser) {
  TXLSKeyList list;
  const int32_t a = list.Rekey(0, u"A");
  list.ReleaseReference(a);
  list.ReleaseReference(a);  // one too many
  EXPECT_EQ(list.RefCount(a), 0);
  list.AddReference(a);
  list.Renumber();
  EXPECT_EQ(list.OutputIndex(a), 1);
}

TEST(KeyList, SetKeyAtExtendsAndClearAllEmpties) {
  TXLSKeyList list;
  list.SetFallbackKey(u"fallback");
  list.SetKeyAt(3, u"C");  // base 1: position 2
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.RefCount(3), 1);
  EXPECT_EQ(list.GetKey(3), u"C");
  EXPECT_EQ(list.GetKey(4), u"fallback");
  EXPECT_EQ(list.GetKey(0), u"fallback");
  EXPECT_EQ(list.Rekey(0, u"C"), 3);
  list.ClearAll();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Rekey(0, u"C"), 1);
}

TEST(ObjList, ReplacesByNameInPlaceIncludingTheFirstEntry) {
  TXLSObjList list(0);
  EXPECT_EQ(list.AddOrReplace(std::make_unique<TXLSObjEntry>(u"a")), 0);
  EXPECT_EQ(list.AddOrReplace(std::make_unique<TXLSObjEntry>(u"b")), 1);
  auto replacement = std::make_unique<TXLSObjEntry>(u"a");
  TXLSObjEntry* raw = replacement.get();
  EXPECT_EQ(list.AddOrReplace(std::move(replacement)), 0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.ItemAt(0), raw);
  EXPECT_EQ(list.ItemAt(2), nullptr);
  EXPECT_EQ(list.ItemAt(-1), nullptr);
  EXPECT_EQ(list.IndexOf(u"b"), 1);
  EXPECT_EQ(list.IndexOf(u"c"), -1);
}

TEST(StringList, FindsTheTextAtIndexZeroAndForgetsReplacedTexts) {
  TXLSStringList list;
  EXPECT_EQ(list.AddOrFind(u"zero"), 0);
  EXPECT_TRUE(list.Contains(u"zero"));
  EXPECT_EQ(list.AddOrFind(u"zero"), 0);
  EXPECT_EQ(list.AddOrFind(u"one"), 1);
  list.SetAt(-1, u"ignored");
  EXPECT_FALSE(list.Contains(u"ignored"));
  list.SetAt(1, u"uno");
  EXPECT_FALSE(list.Contains(u"one"));
  EXPECT_EQ(list.Find(u"uno"), 1);
  EXPECT_EQ(list.GetAt(7), u"");
  list.SetAt(60, u"far");
  EXPECT_EQ(list.SlotCount(), 61);
  EXPECT_EQ(list.AddOrFind(u"next"), 61);
}

// --- Fonts ---------------------------------------------------------------

TEST(FontList, NewListHoldsFourDefaultArialFonts) {
  TXLSFontList fonts;
  EXPECT_EQ(TXLSFontList::DefaultKey(), u"00C87FFF0000000000000Arial");
  EXPECT_EQ(fonts.Count(), 4);
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(fonts.GetKey(i), TXLSFontList::DefaultKey());
  EXPECT_EQ(fonts.GetFontSize(0), 10.0);
  EXPECT_EQ(fonts.GetFontColor(0), -4105);
  EXPECT_EQ(fonts.GetFontName(2), u"Arial");
  EXPECT_EQ(fonts.GetKey(50), TXLSFontList::DefaultKey());
}

TEST(FontList, ChangeAndChangeBackFindsTheFirstIndexAgain) {
  TXLSFontList fonts;
  const int32_t bold = fonts.SetFontBold(0, true);
  EXPECT_EQ(bold, 4);
  EXPECT_TRUE(fonts.GetFontBold(bold));
  const int32_t boldItalic = fonts.SetFontItalic(bold, true);
  EXPECT_EQ(boldItalic, 5);
  EXPECT_EQ(fonts.RefCount(bold), 0);
  EXPECT_EQ(fonts.SetFontItalic(boldItalic, false), bold);
  EXPECT_EQ(fonts.RefCount(bold), 1);
  EXPECT_EQ(fonts.RefCount(boldItalic), 0);
  EXPECT_EQ(fonts.Count(), 6);
}

TEST(FontList, BackToTheDefaultKeyAppendsOneEntryThatLaterChangesFind) {
  TXLSFontList fonts;
  const int32_t bold = fonts.SetFontBold(0, true);
  const int32_t plain = fonts.SetFontBold(bold, false);
  EXPECT_EQ(plain, 5);
  EXPECT_EQ(fonts.GetKey(plain), TXLSFontList::DefaultKey());
  const int32_t italic = fonts.SetFontItalic(0, true);
  EXPECT_EQ(fonts.SetFontItalic(italic, false), plain);
}

TEST(FontList, WritesSpellTheirFieldsIntoTheKey) {
  TXLSFontList fonts;
  int32_t f = fonts.SetFontSize(0, 10.125);  // 202.5 twips: ties to even
  EXPECT_EQ(fonts.GetKey(f).substr(0, 4), u"00CA");
  f = fonts.SetFontSize(f, 10.375);  // 207.5 -> 208
  EXPECT_EQ(fonts.GetKey(f).substr(0, 4), u"00D0");
  EXPECT_EQ(fonts.GetFontSize(f), 10.4);
  f = fonts.SetFontColor(f, 10);
  EXPECT_EQ(fonts.GetFontColor(f), 10);
  f = fonts.SetFontColor(f, -4105);
  EXPECT_EQ(fonts.GetKey(f).substr(4, 4), u"7FFF");
  f = fonts.SetFontColor(f, -4142);
  EXPECT_EQ(fonts.GetKey(f).substr(4, 4), u"0000");
  f = fonts.SetFontUnderline(f, 0x21);
  f = fonts.SetFontFamily(f, 2);
  f = fonts.SetFontCharset(f, 0x1A1);  // clipped to the byte
  f = fonts.SetFontSubscript(f, true);
  f = fonts.SetFontStrikethrough(f, true);
  f = fonts.SetFontName(f, u"Tahoma");
  EXPECT_EQ(fonts.GetKey(f), u"00D0000000100211002A1Tahoma");
  EXPECT_EQ(fonts.GetFontUnderline(f), 0x21);
  EXPECT_EQ(fonts.GetFontFamily(f), 2);
  EXPECT_EQ(fonts.GetFontCharset(f), 0xA1);
  EXPECT_TRUE(fonts.GetFontSubscript(f));
  EXPECT_FALSE(fonts.GetFontSuperscript(f));
  EXPECT_TRUE(fonts.GetFontStrikethrough(f));
  EXPECT_FALSE(fonts.GetFontOutline(f));
}

TEST(FontList, OutputIndexSkipsFour) {
  TXLSFontList fonts;
  const int32_t a = fonts.SetFontBold(0, true);
  const int32_t b = fonts.SetFontItalic(0, true);
  fonts.Renumber();
  EXPECT_EQ(fonts.OutputCount(), 6);
  EXPECT_EQ(fonts.OutputIndex(0), 0);
  EXPECT_EQ(fonts.OutputIndex(3), 3);
  EXPECT_EQ(fonts.OutputIndex(a), 5);
  EXPECT_EQ(fonts.OutputIndex(b), 6);
  EXPECT_EQ(fonts.OutputIndex(77), 0);
}

TEST(FontList, FontRecordsMatchTheFileLayout) {
  TXLSFontList fonts;
  fonts.Renumber();
  EXPECT_EQ(RecordHex(fonts.BuildFontRecord(0, kSaveBiff8)),
            "31 00 1A 00 C8 00 00 00 FF 7F 90 01 00 00 00 00 00 00 05 01 41 00 72 00 69 00 61 00 6C 00");
  EXPECT_EQ(RecordHex(fonts.BuildFontRecord(3, kSaveBiff5)),
            "31 00 14 00 C8 00 00 00 FF 7F 90 01 00 00 00 00 00 00 05 41 72 69 61 6C");
  EXPECT_EQ(fonts.BuildFontRecord(4, kSaveBiff8), nullptr);

  // 12 pt, colour 10, bold, italic, strikeout, outline, shadow, single
  // underline, sub- and superscript, family 2, Greek character set, "Ab".
  TXLSFontFields f;
  f.Height = 240;
  f.Color = 10;
  f.Bold = f.Italic = f.Strikeout = f.Outline = f.Shadow = true;
  f.Underline = 1;
  f.Subscript = f.Superscript = true;
  f.Family = 2;
  f.Charset = 0xA1;
  f.Name = u"Ab";
  EXPECT_EQ(RecordHex(TXLSFontList::BuildFontRecordFromKey(f.Key(), kSaveBiff8)),
            "31 00 14 00 F0 00 3B 00 0A 00 BC 02 03 00 01 02 A1 00 02 01 41 00 62 00");
  f.Bold = f.Italic = f.Strikeout = f.Outline = f.Shadow = f.Superscript = false;
  f.Color = 0;  // written as automatic
  f.Name = u"\u00C4b";
  EXPECT_EQ(RecordHex(TXLSFontList::BuildFontRecordFromKey(f.Key(), kSaveBiff5)),
            "31 00 11 00 F0 00 00 00 FF 7F 90 01 02 00 01 02 A1 00 02 C4 62");
}

// --- Number formats ------------------------------------------------------

TEST(NumFormats, BuiltInTextsFindTheirIndexAndAreNeverWritten) {
  TXLSNumFormatList formats;
  EXPECT_EQ(formats.AddOrFind(u"0.00"), 2);
  EXPECT_EQ(formats.BuildFormatRecord(2, kSaveBiff8), nullptr);
  EXPECT_EQ(formats.AddOrFind(u"General"), 0);
  EXPECT_EQ(formats.AddOrFind(u""), 0);
  EXPECT_EQ(formats.AddOrFind(u"mm:ss"), 45);
  EXPECT_TRUE(formats.IsDateFormat(45));
  EXPECT_EQ(formats.GetAt(15), u"D-MMM-YY");
  EXPECT_EQ(formats.GetAt(41), u"_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)");
  EXPECT_EQ(formats.GetAt(13), u"# ?\?/??");
  EXPECT_EQ(formats.GetAt(30), u"");
  for (int32_t i : {14, 15, 16, 17, 18, 19, 20, 21, 22, 45, 46, 47}) EXPECT_TRUE(formats.IsDateFormat(i)) << i;
  for (int32_t i : {0, 1, 13, 23, 44, 48, 49}) EXPECT_FALSE(formats.IsDateFormat(i)) << i;
  EXPECT_EQ(formats.SlotCount(), 164);
}

TEST(NumFormats, CustomFormatsStartAt164AndAreWritten) {
  TXLSNumFormatList formats;
  EXPECT_EQ(formats.AddOrFind(u"0.000"), 164);
  EXPECT_EQ(formats.AddOrFind(u"yyyy-mm-dd"), 165);
  EXPECT_EQ(formats.AddOrFind(u"0.000"), 164);
  EXPECT_TRUE(formats.IsDateFormat(165));
  EXPECT_FALSE(formats.IsDateFormat(164));
  EXPECT_EQ(RecordHex(formats.BuildFormatRecord(164, kSaveBiff8)),
            "1E 04 0F 00 A4 00 05 00 01 30 00 2E 00 30 00 30 00 30 00");
  EXPECT_EQ(RecordHex(formats.BuildFormatRecord(164, kSaveBiff5)), "1E 04 08 00 A4 00 05 30 2E 30 30 30");
  EXPECT_EQ(formats.BuildFormatRecord(166, kSaveBiff8), nullptr);
}

TEST(NumFormats, FormatsReadFromAFileKeepTheirIndexes) {
  TXLSNumFormatList formats;
  formats.SetAt(5, u"#,##0 \"EUR\"");
  formats.SetAt(170, u"0.00");  // a built-in text stored as custom is written
  EXPECT_EQ(formats.GetAt(5), u"#,##0 \"EUR\"");
  EXPECT_EQ(formats.AddOrFind(u"0.00"), 170);
  EXPECT_NE(formats.BuildFormatRecord(5, kSaveBiff8), nullptr);
  EXPECT_NE(formats.BuildFormatRecord(170, kSaveBiff8), nullptr);
  EXPECT_EQ(formats.AddOrFind(u"0.0"), 171);
  formats.SetAt(171, u"h:mm");
  EXPECT_TRUE(formats.IsDateFormat(171));
  formats.SetAt(171, u"0.0");
  EXPECT_FALSE(formats.IsDateFormat(171));
}

TEST(NumFormats, DateDetectionLooksForDoubledDateLetters) {
  for (const char16_t* text : {u"dd/mm", u"[Red]0 \"mm\"", u"yy", u"[hh]", u"ss.0", u"Mmm", u"d.m.yyyy"}) {
    EXPECT_TRUE(TXLSNumFormatList::LooksLikeDate(text)) << Utf16ToUtf8(text);
  }
  for (const char16_t* text :
       {u"0.00E+00", u"#,##0;[Red]-#,##0", u"@", u"[Blue]0%", u"d-m", u"0 \"Days\"", u"[Magenta]0", u"[Yellow]0"}) {
    EXPECT_FALSE(TXLSNumFormatList::LooksLikeDate(text)) << Utf16ToUtf8(text);
  }
}

}  // namespace
}  // namespace lx
