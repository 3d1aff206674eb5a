#include <gtest/gtest.h>

#include "lxFormat.h"

namespace lx {
namespace {

constexpr int32_t kNone = -4142;
constexpr int32_t kAutomatic = -4105;

// Lays down a format built from fields at the next free index and returns it.
int32_t AddFormat(TlxFormatList& list, const TXLSXFFields& fields) {
  const int32_t index = list.Count();
  list.SetKeyAt(index, fields.Key());
  return index;
}

TXLSXFFields FieldsOf(const TlxFormatList& list, int32_t index) { return TXLSXFFields::Parse(list.GetKey(index)); }

TEST(FormatList, NewListHoldsTheDefaultFormatsAndStyles) {
  TlxFormatList list;
  EXPECT_EQ(list.Count(), 21);
  EXPECT_EQ(list.DefaultCount(), 21);
  EXPECT_EQ(list.GetKey(0), u"000000001FFFF20000000000000000000000020C000");
  for (int32_t i = 1; i <= 14; ++i) EXPECT_EQ(list.GetKey(i), u"000000001FFFF20000000000000000000000020C0F4");
  EXPECT_EQ(list.GetKey(15), u"000000001000020000000000000000000000020C000");
  EXPECT_EQ(list.GetKey(16), u"0001002C50FFF20000000000000000000000020C03E");
  EXPECT_EQ(list.GetKey(20), u"0001002950FFF20000000000000000000000020C03E");
  // Every default key reads back to itself through the field layout.
  for (int32_t i = 0; i < 21; ++i) EXPECT_EQ(FieldsOf(list, i).Key(), list.GetKey(i));
  EXPECT_EQ(list.Fonts().Count(), 4);
  EXPECT_EQ(list.Styles().Count(), 6);
  EXPECT_EQ(list.Styles().Style(0)->BuiltInNumber(), 3);
  EXPECT_EQ(list.Styles().Style(0)->XFIndex(), 19);
  EXPECT_EQ(list.Styles().Style(5)->BuiltInNumber(), 0);
  EXPECT_EQ(list.Styles().Style(5)->XFIndex(), 0);
}

TEST(FormatList, BoldOnManyFreshCellsMakesOneFormatAndOneFont) {
  TlxFormatList list;
  int32_t bold = 0;
  for (int i = 0; i < 10000; ++i) bold = list.SetXFFontBold(0, true, false);
  EXPECT_EQ(bold, 21);
  EXPECT_EQ(list.Count(), 22);
  EXPECT_EQ(list.RefCount(bold), 10000);
  EXPECT_EQ(list.Fonts().Count(), 5);
  EXPECT_TRUE(list.Fonts().GetFontBold(list.GetXFFont(bold)));
  EXPECT_FALSE(list.Fonts().GetFontBold(list.GetXFFont(0)));

  list.PrepareForSave();
  EXPECT_EQ(list.OutputCount(), 22);
  EXPECT_EQ(list.Fonts().OutputCount(), 5);
  EXPECT_EQ(list.Fonts().OutputIndex(list.GetXFFont(bold)), 5);
  EXPECT_EQ(list.OutputIndex(bold), 22);
}

TEST(FormatList, SettingBackDoesNotReturnToTheDefaultButReusesTheFirstFormat) {
  TlxFormatList list;
  const int32_t centred = list.SetXFHorizontalAlignment(0, 2, false);
  EXPECT_EQ(centred, 21);
  const int32_t general = list.SetXFHorizontalAlignment(centred, 0, true);
  EXPECT_EQ(general, 22);  // the alignment flag is set now, so not format 15
  EXPECT_EQ(list.RefCount(centred), 0);
  EXPECT_EQ(list.RefCount(general), 1);
  EXPECT_EQ(list.SetXFHorizontalAlignment(general, 2, true), centred);
  EXPECT_EQ(list.RefCount(centred), 1);
  EXPECT_EQ(list.RefCount(general), 0);
  // Without the release flag the old format keeps its reference.
  EXPECT_EQ(list.SetXFWrapText(centred, true, false), 23);
  EXPECT_EQ(list.RefCount(centred), 1);
  EXPECT_EQ(list.RefCount(23), 1);
}

TEST(FormatList, UnusedFormatsAreNotWrittenAndNumberingHasNoGaps) {
  TlxFormatList list;
  const int32_t a = list.SetXFFontItalic(0, true, false);
  const int32_t b = list.SetXFWrapText(0, true, false);
  const int32_t c = list.SetXFRotation(0, 90, false);
  list.MoveReference(b, 0);
  list.PrepareForSave();
  EXPECT_EQ(list.OutputCount(), 23);
  EXPECT_EQ(list.OutputIndex(a), 22);
  EXPECT_EQ(list.OutputIndex(b), 0);
  EXPECT_EQ(list.OutputIndex(c), 23);
  EXPECT_EQ(list.OutputEntry(22), c);
  EXPECT_EQ(list.BuildXFRecord(23, kSaveBiff8), nullptr);
}

TEST(FormatList, ReadsInheritFromTheParentStyleUnlessEitherSideMarksTheGroup) {
  TlxFormatList list;
  TXLSXFFields style;
  style.Parent = 0xFFFF;
  style.Font = 2;
  style.NumFormat = 10;
  style.Alignment = 0x23;
  const int32_t styleIndex = AddFormat(list, style);

  TXLSXFFields cell;
  cell.Parent = static_cast<uint16_t>(styleIndex);
  cell.Font = 1;
  const int32_t inherits = AddFormat(list, cell);
  EXPECT_EQ(list.GetXFFont(inherits), 2);
  EXPECT_EQ(list.GetXFHorizontalAlignment(inherits), 3);
  EXPECT_EQ(list.GetXFNumberFormat(inherits), 10);

  cell.Used = kXFUsedFont;
  const int32_t ownFont = AddFormat(list, cell);
  EXPECT_EQ(list.GetXFFont(ownFont), 1);
  EXPECT_EQ(list.GetXFHorizontalAlignment(ownFont), 3);

  // A number format of its own wins even without its flag.
  cell.Used = 0;
  cell.NumFormat = 4;
  const int32_t ownNumber = AddFormat(list, cell);
  EXPECT_EQ(list.GetXFNumberFormat(ownNumber), 4);

  // In the style, a set flag means "not part of the style": the cell's value.
  style.Used = kXFUsedFont | kXFUsedAlignment;
  const int32_t partialStyle = AddFormat(list, style);
  cell.Parent = static_cast<uint16_t>(partialStyle);
  cell.NumFormat = 0;
  const int32_t underPartial = AddFormat(list, cell);
  EXPECT_EQ(list.GetXFFont(underPartial), 1);
  EXPECT_EQ(list.GetXFHorizontalAlignment(underPartial), 0);
  EXPECT_EQ(list.GetXFNumberFormat(underPartial), 10);

  // A write starts from the inherited group and marks it as the cell's own.
  const int32_t wrapped = list.SetXFWrapText(inherits, true, true);
  EXPECT_EQ(list.GetXFHorizontalAlignment(wrapped), 3);
  EXPECT_TRUE(list.GetXFWrapText(wrapped));
  EXPECT_EQ(FieldsOf(list, wrapped).Used, kXFUsedAlignment);
  EXPECT_EQ(FieldsOf(list, wrapped).Alignment, 0x2B);

  // Index 0 reads as the default cell format; a style XF reads itself.
  EXPECT_EQ(list.GetXFVerticalAlignment(0), 2);
  EXPECT_TRUE(list.GetXFLocked(0));
  EXPECT_EQ(list.GetXFFont(16), 1);
  EXPECT_EQ(list.GetXFNumberFormat(styleIndex), 10);
}

TEST(FormatList, FontWritesChangeTheEffectiveFont) {
  TlxFormatList list;
  int32_t f = list.SetXFFontName(0, u"Courier New", false);
  f = list.SetXFFontSize(f, 12, true);
  f = list.SetXFFontColor(f, 10, true);
  f = list.SetXFFontUnderline(f, 1, true);
  f = list.SetXFFontSuperscript(f, true, true);
  f = list.SetXFFontCharset(f, 238, true);
  const TXLSFontList& fonts = list.Fonts();
  const int32_t font = list.GetXFFont(f);
  EXPECT_EQ(fonts.GetFontName(font), u"Courier New");
  EXPECT_EQ(fonts.GetFontSize(font), 12.0);
  EXPECT_EQ(fonts.GetFontColor(font), 10);
  EXPECT_EQ(fonts.GetFontUnderline(font), 1);
  EXPECT_TRUE(fonts.GetFontSuperscript(font));
  EXPECT_EQ(fonts.GetFontCharset(font), 238);
  EXPECT_EQ(FieldsOf(list, f).Used, kXFUsedFont);
  // Only the last format and its font remain in use.
  EXPECT_EQ(list.InUseCount(), 1);
  EXPECT_EQ(fonts.InUseCount(), 1);
}

TEST(FormatList, NumberFormatAndProtectionWrites) {
  TlxFormatList list;
  const int32_t dated = list.SetXFNumberFormat(0, u"dd.mm.yyyy", false);
  EXPECT_EQ(list.GetXFNumberFormat(dated), 164);
  EXPECT_EQ(list.GetXFNumberFormatText(dated), u"dd.mm.yyyy");
  EXPECT_TRUE(list.IsXFDateFormat(dated));
  const int32_t percent = list.SetXFNumberFormat(dated, u"0%", true);
  EXPECT_EQ(list.GetXFNumberFormat(percent), 9);
  EXPECT_FALSE(list.IsXFDateFormat(percent));

  const int32_t unlocked = list.SetXFLocked(0, false, false);
  EXPECT_FALSE(list.GetXFLocked(unlocked));
  const int32_t hidden = list.SetXFFormulaHidden(unlocked, true, true);
  EXPECT_FALSE(list.GetXFLocked(hidden));
  EXPECT_TRUE(list.GetXFFormulaHidden(hidden));
  EXPECT_EQ(FieldsOf(list, hidden).Protection, 2);
  EXPECT_EQ(FieldsOf(list, hidden).Used, kXFUsedProtection);
}

TEST(FormatList, AlignmentRulesKeepIndentAndHorizontalCodeConsistent) {
  TlxFormatList list;
  int32_t f = list.SetXFIndentLevel(0, 3, false);
  EXPECT_EQ(list.GetXFHorizontalAlignment(f), 1);  // indent forces left
  f = list.SetXFHorizontalAlignment(f, 3, true);
  EXPECT_EQ(list.GetXFIndentLevel(f), 3);  // right keeps the indent
  f = list.SetXFHorizontalAlignment(f, 2, true);
  EXPECT_EQ(list.GetXFIndentLevel(f), 0);  // centre drops it

  f = list.SetXFWrapText(f, true, true);
  f = list.SetXFIndentLevel(f, 2, true);
  EXPECT_EQ(list.GetXFHorizontalAlignment(f), 1);
  EXPECT_TRUE(list.GetXFWrapText(f));
  EXPECT_EQ(list.GetXFIndentLevel(f), 2);

  f = list.SetXFVerticalAlignment(f, 1, true);
  EXPECT_EQ(list.GetXFVerticalAlignment(f), 1);
  EXPECT_EQ(list.GetXFHorizontalAlignment(f), 1);
  f = list.SetXFShrinkToFit(f, true, true);
  f = list.SetXFReadingOrder(f, 2, true);
  EXPECT_TRUE(list.GetXFShrinkToFit(f));
  EXPECT_EQ(list.GetXFReadingOrder(f), 2);
  EXPECT_EQ(list.GetXFIndentLevel(f), 2);
  EXPECT_EQ(FieldsOf(list, f).Indent, 0x92);
  f = list.SetXFReadingOrder(f, 1, true);
  EXPECT_EQ(FieldsOf(list, f).Indent, 0x52);
  f = list.SetXFRotation(f, 255, true);
  EXPECT_EQ(list.GetXFRotation(f), 255);
  EXPECT_EQ(FieldsOf(list, f).Alignment, 0x19);
}

// A format whose left edge carries the given BIFF line code.
int32_t WithLeftCode(TlxFormatList& list, uint32_t code) {
  TXLSXFFields f;
  f.Border1 = code | (8u << 16);
  f.Used = kXFUsedBorders;
  return AddFormat(list, f);
}

uint32_t LeftCode(const TlxFormatList& list, int32_t index) { return FieldsOf(list, index).Border1 & 0xF; }

TEST(FormatList, LineStyleWritesKeepTheCurrentWeight) {
  // Current codes standing for the four weights: thin 1, medium 2, thick 5,
  // hairline 7.
  const uint32_t weights[] = {1, 2, 5, 7};
  struct Row {
    int32_t style;
    uint32_t expected[4];
  };
  const Row rows[] = {
      {1, {1, 2, 5, 7}},     {-4115, {3, 8, 3, 3}},  {-4118, {4, 4, 4, 4}}, {-4119, {6, 6, 6, 6}}, {4, {9, 10, 9, 9}},
      {5, {11, 12, 11, 11}}, {13, {13, 13, 13, 13}}, {-4142, {0, 0, 0, 0}}, {99, {0, 0, 0, 0}},
  };
  TlxFormatList list;
  for (const Row& row : rows) {
    for (int w = 0; w < 4; ++w) {
      const int32_t f = list.SetXFBorderLineStyle(WithLeftCode(list, weights[w]), kXFEdgeLeft, row.style, false);
      EXPECT_EQ(LeftCode(list, f), row.expected[w]) << "style " << row.style << " from code " << weights[w];
    }
  }
}

TEST(FormatList, WeightWritesKeepTheCurrentLineStyle) {
  // Current codes standing for the line styles: none 0, continuous 1, dash 3,
  // dot 4, double 6, dash-dot 9, dash-dot-dot 11, slant 13.
  const uint32_t styles[] = {0, 1, 3, 4, 6, 9, 11, 13};
  struct Row {
    int32_t weight;
    uint32_t expected[8];
  };
  const Row rows[] = {
      {1, {7, 7, 7, 7, 7, 7, 7, 7}},        {2, {1, 1, 3, 4, 1, 9, 11, 1}}, {4, {5, 5, 5, 5, 6, 5, 5, 5}},
      {-4138, {2, 2, 8, 2, 2, 10, 12, 13}}, {3, {0, 0, 0, 0, 0, 0, 0, 0}},
  };
  TlxFormatList list;
  for (const Row& row : rows) {
    for (int s = 0; s < 8; ++s) {
      const int32_t f = list.SetXFBorderWeight(WithLeftCode(list, styles[s]), kXFEdgeLeft, row.weight, false);
      EXPECT_EQ(LeftCode(list, f), row.expected[s]) << "weight " << row.weight << " from code " << styles[s];
    }
  }
}

TEST(FormatList, BorderReadsMapCodesBackToStylesAndWeights) {
  TlxFormatList list;
  const int32_t styles[14] = {kNone, 1, 1, -4115, -4118, 1, -4119, 1, -4115, 4, 4, 5, 5, 13};
  const int32_t weights[14] = {2, 2, -4138, 2, 2, 4, 4, 1, -4138, 2, -4138, 2, -4138, -4138};
  for (uint32_t code = 0; code < 14; ++code) {
    const int32_t f = WithLeftCode(list, code);
    EXPECT_EQ(list.GetXFBorderLineStyle(f, kXFEdgeLeft), styles[code]) << code;
    EXPECT_EQ(list.GetXFBorderWeight(f, kXFEdgeLeft), weights[code]) << code;
  }
}

TEST(FormatList, BorderSidesTakeColoursAndLinesTogether) {
  TlxFormatList list;
  // A colour on a side without a line draws a thin line in that colour.
  int32_t f = list.SetXFBorderColorIndex(0, kXFEdgeLeft | kXFEdgeRight | kXFEdgeTop | kXFEdgeBottom, 3, false);
  for (int32_t edge : {kXFEdgeLeft, kXFEdgeRight, kXFEdgeTop, kXFEdgeBottom}) {
    EXPECT_EQ(list.GetXFBorderLineStyle(f, edge), 1);
    EXPECT_EQ(list.GetXFBorderColorIndex(f, edge), 3);
  }
  EXPECT_EQ(FieldsOf(list, f).Border1, 0x050A1111u);
  EXPECT_EQ(FieldsOf(list, f).Border2, 0x0000050Au);
  EXPECT_TRUE(list.HasXFBorders(f));
  EXPECT_FALSE(list.HasXFBorders(0));

  // A line without a colour gets the automatic colour.
  int32_t g = list.SetXFBorderLineStyle(0, kXFEdgeTop, -4119, false);
  EXPECT_EQ(list.GetXFBorderColorIndex(g, kXFEdgeTop), kAutomatic);
  // "None" clears the side's colour.
  g = list.SetXFBorderLineStyle(g, kXFEdgeTop, kNone, true);
  EXPECT_EQ(FieldsOf(list, g).Border2, 0u);
  EXPECT_EQ(list.GetXFBorderColorIndex(g, kXFEdgeTop), kNone);

  // Diagonals: the requested bits, one shared style and colour.
  f = list.SetXFBorderLineStyle(f, kXFEdgeDiagonalDown | kXFEdgeDiagonalUp, 1, true);
  EXPECT_EQ(FieldsOf(list, f).Border1 >> 30, 3u);
  EXPECT_EQ(list.GetXFBorderColorIndex(f, kXFEdgeDiagonalUp), kAutomatic);
  // Clearing the left colour leaves the right side and the diagonals alone.
  f = list.SetXFBorderColorIndex(f, kXFEdgeLeft, kNone, true);
  EXPECT_EQ(list.GetXFBorderLineStyle(f, kXFEdgeLeft), kNone);
  EXPECT_EQ(list.GetXFBorderColorIndex(f, kXFEdgeLeft), kNone);
  EXPECT_EQ(list.GetXFBorderColorIndex(f, kXFEdgeRight), 3);
  EXPECT_EQ(FieldsOf(list, f).Border1 >> 30, 3u);
  // Removing one diagonal keeps the other.
  f = list.SetXFBorderLineStyle(f, kXFEdgeDiagonalDown, kNone, true);
  EXPECT_EQ(list.GetXFBorderLineStyle(f, kXFEdgeDiagonalDown), kNone);
  EXPECT_EQ(list.GetXFBorderLineStyle(f, kXFEdgeDiagonalUp), 1);
  EXPECT_EQ(list.GetXFBorderColorIndex(f, kXFEdgeDiagonalUp), kAutomatic);
  // Removing the last one clears the shared style and colour.
  f = list.SetXFBorderColorIndex(f, kXFEdgeDiagonalUp, 0, true);
  EXPECT_EQ(FieldsOf(list, f).Border1 >> 30, 0u);
  EXPECT_EQ(FieldsOf(list, f).Border2 >> 14, 0u);
  // A diagonal colour alone draws a thin diagonal.
  f = list.SetXFBorderColorIndex(f, kXFEdgeDiagonalUp, 56, true);
  EXPECT_EQ(FieldsOf(list, f).Border2 >> 14, (1u << 7) | 63u);
  EXPECT_EQ(list.GetXFBorderColorIndex(f, kXFEdgeDiagonalUp), 56);
}

TEST(FormatList, UnknownBorderColourLeavesTheFormatButHandsOutAReference) {
  TlxFormatList list;
  const int32_t f = list.SetXFWrapText(0, true, false);
  EXPECT_EQ(list.SetXFBorderColorIndex(f, kXFEdgeLeft, 57, true), f);
  EXPECT_EQ(list.RefCount(f), 1);
  EXPECT_EQ(list.SetXFBorderColorIndex(f, kXFEdgeLeft, -1, false), f);
  EXPECT_EQ(list.RefCount(f), 2);
  EXPECT_EQ(list.SetXFBorderColorIndex(0, kXFEdgeLeft, 100, false), 0);
  EXPECT_EQ(list.Count(), 22);
}

TEST(FormatList, PatternColoursFollowThePattern) {
  TlxFormatList list;
  int32_t f = list.SetXFFillColorIndex(0, 17, false);
  EXPECT_EQ(list.GetXFPattern(f), 1);
  EXPECT_EQ(FieldsOf(list, f).PatternColors, 17 | (64 << 7));
  EXPECT_EQ(list.GetXFFillColorIndex(f), 17);
  EXPECT_EQ(list.GetXFPatternColorIndex(f), 64);
  f = list.SetXFPattern(f, 2, true);
  EXPECT_EQ(FieldsOf(list, f).PatternColors, 17 | (64 << 7));
  f = list.SetXFFillColorIndex(f, 10, true);
  EXPECT_EQ(FieldsOf(list, f).PatternColors, 17 | (10 << 7));
  EXPECT_EQ(list.GetXFFillColorIndex(f), 10);
  EXPECT_EQ(list.GetXFPatternColorIndex(f), 17);
  f = list.SetXFPatternColorIndex(f, 12, true);
  EXPECT_EQ(list.GetXFPatternColorIndex(f), 12);
  EXPECT_EQ(list.GetXFFillColorIndex(f), 10);
  // Back to solid: the fill colour moves into the foreground ...
  f = list.SetXFPattern(f, 1, true);
  EXPECT_EQ(list.GetXFFillColorIndex(f), 10);
  EXPECT_EQ(list.GetXFPatternColorIndex(f), 12);
  // ... and solid again changes nothing.
  const int32_t again = list.SetXFPattern(f, 1, false);
  EXPECT_EQ(again, f);
  f = list.SetXFPatternColorIndex(f, 20, true);
  EXPECT_EQ(list.GetXFPatternColorIndex(f), 20);
  EXPECT_EQ(list.GetXFFillColorIndex(f), 10);
  // Colour 0 removes the fill.
  f = list.SetXFFillColorIndex(f, 0, true);
  EXPECT_EQ(list.GetXFPattern(f), 0);
  EXPECT_EQ(FieldsOf(list, f).PatternColors, 64 | (65 << 7));
  EXPECT_EQ(list.GetXFFillColorIndex(f), 0);
  // A pattern colour on an unfilled cell: solid, the old background in front.
  f = list.SetXFPatternColorIndex(f, 30, true);
  EXPECT_EQ(list.GetXFPattern(f), 1);
  EXPECT_EQ(FieldsOf(list, f).PatternColors, 65 | (30 << 7));
}

TEST(FormatList, ExportedFormatsArriveWithTheirFontAndNumberFormat) {
  TlxFormatList source;
  int32_t f = source.SetXFFontBold(0, true, false);
  f = source.SetXFFontName(f, u"Verdana", true);
  f = source.SetXFNumberFormat(f, u"0.000 \"kg\"", true);
  f = source.SetXFBorderLineStyle(f, kXFEdgeBottom, -4119, true);
  f = source.SetXFFillColorIndex(f, 13, true);
  const WideString text = source.ExportFormat(f);

  TlxFormatList target;
  target.SetXFNumberFormat(0, u"#,##0.0", false);  // takes 164 in the target
  const int32_t g = target.ImportFormat(text);
  EXPECT_GT(g, 21);
  EXPECT_EQ(target.GetXFNumberFormatText(g), u"0.000 \"kg\"");
  EXPECT_EQ(target.GetXFNumberFormat(g), 165);
  const int32_t font = target.GetXFFont(g);
  EXPECT_TRUE(target.Fonts().GetFontBold(font));
  EXPECT_EQ(target.Fonts().GetFontName(font), u"Verdana");
  EXPECT_EQ(target.GetXFBorderLineStyle(g, kXFEdgeBottom), -4119);
  EXPECT_EQ(target.GetXFFillColorIndex(g), 13);
  EXPECT_EQ(target.RefCount(g), 1);
  // The inherited groups travel as the cell's own.
  EXPECT_EQ(FieldsOf(target, g).Parent, 0);
  EXPECT_EQ(FieldsOf(target, g).Used & 0x3C, 0x3C);
  EXPECT_EQ(target.GetXFVerticalAlignment(g), 2);
  // Importing the same text again finds the same format.
  EXPECT_EQ(target.ImportFormat(text), g);
  EXPECT_EQ(target.RefCount(g), 2);

  // Built-in formats travel by number; digit-only custom texts stay texts.
  const int32_t builtIn = source.SetXFNumberFormat(0, u"0.00%", false);
  EXPECT_EQ(target.GetXFNumberFormat(target.ImportFormat(source.ExportFormat(builtIn))), 10);
  const int32_t padded = source.SetXFNumberFormat(0, u"000", false);
  EXPECT_EQ(target.GetXFNumberFormatText(target.ImportFormat(source.ExportFormat(padded))), u"000");

  EXPECT_EQ(target.ImportFormat(u"garbage"), 0);
  EXPECT_EQ(target.ImportFormat(text.substr(0, text.size() - 1)), 0);
}

TEST(FormatList, ClearFormatsEmptiesEverythingForAFileRead) {
  TlxFormatList list;
  TXLSNumFormatList& numFormats = list.NumFormats();
  list.SetXFNumberFormat(list.SetXFFontBold(0, true, false), u"0.0000", true);
  list.SetXFNumberFormat(0, u"yyyy", false);
  list.ClearFormats();
  EXPECT_EQ(&list.NumFormats(), &numFormats);
  EXPECT_FALSE(numFormats.IsDateFormat(165));
  EXPECT_TRUE(numFormats.IsDateFormat(14));
  EXPECT_EQ(numFormats.GetAt(14), u"M/D/YY");
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.DefaultCount(), 16);
  EXPECT_EQ(list.Styles().Count(), 0);
  EXPECT_EQ(list.Fonts().Count(), 0);
  EXPECT_EQ(list.Fonts().DefaultCount(), 4);
  EXPECT_FALSE(list.NumFormats().IsCustomFormat(164));
  EXPECT_EQ(list.NumFormats().AddOrFind(u"0.0000"), 164);
}

}  // namespace
}  // namespace lx

namespace lx {
namespace {

// Attribute reads and writes remember each format's fields; a key laid down
// again at the same index (as a file reader does) must not leave the old
// fields behind.
TEST(FormatList, FieldsFollowAKeyReplacedAtTheSameIndex) {
  TlxFormatList list;
  const int32_t bold = list.SetXFFontBold(0, true, false);
  const int32_t italic = list.SetXFFontItalic(0, true, false);
  EXPECT_TRUE(list.Fonts().GetFontBold(list.GetXFFont(bold)));

  list.SetKeyAt(bold, list.GetKey(italic));
  EXPECT_EQ(list.GetXFFont(bold), list.GetXFFont(italic));
  EXPECT_FALSE(list.Fonts().GetFontBold(list.GetXFFont(bold)));
  // A write on the replaced entry starts from its new fields.
  const int32_t underlined = list.SetXFFontUnderline(bold, 2, false);
  EXPECT_TRUE(list.Fonts().GetFontItalic(list.GetXFFont(underlined)));
  EXPECT_FALSE(list.Fonts().GetFontBold(list.GetXFFont(underlined)));

  // After the list is emptied and laid down again nothing old is read.
  const int32_t centred = list.SetXFHorizontalAlignment(0, 2, false);
  const int32_t centredValue = list.GetXFHorizontalAlignment(centred);
  const WideString centredKey = list.GetKey(centred);
  const int32_t plainValue = list.GetXFHorizontalAlignment(bold);
  ASSERT_NE(centredValue, plainValue);
  list.ClearFormats();
  for (int32_t i = 0; i <= bold; ++i) list.SetKeyAt(i, centredKey);
  EXPECT_EQ(list.GetXFHorizontalAlignment(bold), centredValue);
}

}  // namespace
}  // namespace lx
