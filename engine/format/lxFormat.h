// Cell formats (XF), styles and the colour palette.
//
// TlxFormatList is the workbook's table of cell formats. Cells, rows and
// columns hold a 32-bit index into it; index 0 means "no format of its own"
// and reads as the default cell format 15. A format is never edited in place:
// every attribute write takes the current index and one new value and returns
// the index of the format that differs in exactly that attribute, found or
// added through the keyed list of lxList.h. The whole XF is spelled out as a
// 43-character hexadecimal key (the BIFF8 XF record in text form), so equal
// formats share one index and one use count. Before a save PrepareForSave
// renumbers the formats and fonts in use; the writers then read OutputIndex
// and build XF, FONT, FORMAT and STYLE records.
//
// The list owns the workbook's font list, number-format list and style list.
// The palette (TXLSPalette) is owned by the workbook and lives here because
// cell formats and fonts refer to its entries by index.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lxBLOB.h"
#include "lxList.h"
#include "lxText.h"

namespace lx {

// Record number of XF (a cell format).
inline constexpr uint16_t kRecXF = 0x00E0;
// Record number of STYLE.
inline constexpr uint16_t kRecStyle = 0x0293;
// Record number of PALETTE.
inline constexpr uint16_t kRecPalette = 0x0092;

// Used-attribute flags of an XF key (positions 42-43).
inline constexpr uint8_t kXFUsedNumFormat = 0x01;
// Used flag: the font.
inline constexpr uint8_t kXFUsedFont = 0x02;
// Used flag: the alignment.
inline constexpr uint8_t kXFUsedAlignment = 0x04;
// Used flag: the borders.
inline constexpr uint8_t kXFUsedBorders = 0x08;
// Used flag: the fill.
inline constexpr uint8_t kXFUsedPattern = 0x10;
// Used flag: the protection.
inline constexpr uint8_t kXFUsedProtection = 0x20;

// Edge sets of the border writes and reads.
inline constexpr int32_t kXFEdgeLeft = 0x01;
// The right edge.
inline constexpr int32_t kXFEdgeRight = 0x02;
// The top edge.
inline constexpr int32_t kXFEdgeTop = 0x04;
// The bottom edge.
inline constexpr int32_t kXFEdgeBottom = 0x08;
// The diagonal from top left to bottom right.
inline constexpr int32_t kXFEdgeDiagonalDown = 0x10;
// The diagonal from bottom left to top right.
inline constexpr int32_t kXFEdgeDiagonalUp = 0x20;

// Palette indexes of the system colours in cell formats.
inline constexpr int32_t kXFSystemForeground = 64;
// The system background colour.
inline constexpr int32_t kXFSystemBackground = 65;

// The fields of an XF key. Key() spells them as 43 upper-case hexadecimal
// characters; Parse reads them back (missing or malformed digits read as 0).
struct TXLSXFFields {
  // The font index.
  uint16_t Font = 0;
  // The number format index.
  uint16_t NumFormat = 0;
  uint8_t Protection = 1;    // bit 0 locked, bit 1 formula hidden
  uint16_t Parent = 0;       // 0xFFFF (any xFFF) marks a style XF
  uint8_t Alignment = 0x20;  // high digit vertical (+8 justify last), low horizontal (+8 wrap)
  // The rotation code: 0-180 degrees, or 255 for vertical text.
  uint8_t Rotation = 0;
  uint8_t Indent = 0;  // high digit: bit 0 shrink, bits 2-3 reading order; low: level
  // The first border word of the BIFF8 XF record (edge line styles, left and right colours).
  uint32_t Border1 = 0;
  // The second border word of the BIFF8 XF record (top, bottom and diagonal colours, diagonal style).
  uint32_t Border2 = 0;
  // The fill pattern.
  uint8_t Pattern = 0;
  uint16_t PatternColors = 0x20C0;  // foreground 64, background 65
  // The kXFUsed flags: the attribute groups this format sets itself.
  uint8_t Used = 0;

  // The fields as the 43-character key.
  WideString Key() const;
  // The fields of a key.
  static TXLSXFFields Parse(const WideString& key);
  // Takes the fields of one attribute group (a kXFUsed... flag) from source.
  void CopyGroup(const TXLSXFFields& source, uint8_t group);
  // Whether this is a style's XF.
  bool IsStyle() const { return (Parent & 0x0FFF) == 0x0FFF; }
};

class TlxFormatList;

// A style: built-in ones are keyed by their number as two hexadecimal digits,
// user-defined ones by "XX" and their name.
class TXLSStyleEntry : public TXLSObjEntry {
 public:
  // A style under a name key, with the XF it formats with.
  TXLSStyleEntry(WideString nameKey, int32_t xfIndex) : TXLSObjEntry(std::move(nameKey)), xfIndex_(xfIndex) {}
  // The style's XF index.
  int32_t XFIndex() const { return xfIndex_; }
  // Whether the style is built in.
  bool IsBuiltIn() const;
  // The built-in style number (meaningful for built-in styles only).
  int32_t BuiltInNumber() const;
  // The user-defined name (empty for built-in styles).
  WideString UserName() const;

 private:
  int32_t xfIndex_;
};

// The styles of a workbook (base index 0). Holds a non-owning back pointer to
// the format list, whose output indexes the STYLE records carry.
class TXLSStyles : public TXLSObjList {
 public:
  // The styles of formats (not owned).
  explicit TXLSStyles(TlxFormatList* formats);

  // Adds the styles of a new workbook: Comma, Currency, Comma [0],
  // Currency [0], Percent and Normal.
  void AddDefaultStyles();
  // A second style with the same name key replaces the first in place.
  int32_t AddBuiltinStyle(int32_t number, int32_t xfIndex);
  // Adds (or replaces) a user-defined style; returns its index.
  int32_t AddUserStyle(const WideString& name, int32_t xfIndex);
  // The style at index (owned by the list), or null.
  const TXLSStyleEntry* Style(int32_t index) const;
  // The STYLE record of the style at index; nullptr for no style.
  std::unique_ptr<TXLSBlob> BuildStyleRecord(int32_t index, int32_t fileFormat) const;

 private:
  TlxFormatList* formats_;
};

// The workbook's 64-entry colour palette: entries 0-7 the fixed colours,
// 8-63 the user palette that colour indexes 1..56 name.
class TXLSPalette {
 public:
  // Entries of the palette.
  static constexpr int32_t kEntries = 64;
  // The entry of colour index 1.
  static constexpr int32_t kFirstUserEntry = 8;
  // The colours a user may set (indexes 1..56).
  static constexpr int32_t kUserColors = 56;

  TXLSPalette();
  // Restores the default palette.
  void Reset();
  // Colour index 1..56, RGB as 0x00BBGGRR; other indexes are ignored.
  void SetPaletteColor(int32_t colorIndex, uint32_t color);
  // 0 gives entry 0, 1..56 the user entries; -4105 (automatic) the system
  // window-text colour, 80 the tooltip background; anything else black.
  uint32_t GetPaletteColor(int32_t colorIndex) const;
  // The colour index 1..56 of the nearest user entry (sum of channel
  // distances; the first of equally near entries wins).
  int32_t NearestColorIndex(uint32_t color) const;
  // Raw entry 0..63 as 0x00BBGGRR (0 outside).
  uint32_t Entry(int32_t entry) const;
  // The PALETTE record of the user entries.
  std::unique_ptr<TXLSBlob> BuildPaletteRecord() const;

 private:
  std::array<uint32_t, kEntries> colors_;
};

// The workbook's cell formats (see above). Owned by the workbook.
class TlxFormatList : public TXLSKeyList {
 public:
  // The number of built-in formats of a new workbook.
  static constexpr int32_t kDefaultFormats = 21;
  // The XF a format index of 0 stands for.
  static constexpr int32_t kDefaultCellFormat = 15;

  TlxFormatList();
  ~TlxFormatList() override;

  // The font list (owned by the format list).
  TXLSFontList& Fonts() { return *fonts_; }
  // The font list.
  const TXLSFontList& Fonts() const { return *fonts_; }
  // The number-format list (owned by the format list).
  TXLSNumFormatList& NumFormats() { return *numFormats_; }
  // The number-format list.
  const TXLSNumFormatList& NumFormats() const { return *numFormats_; }
  // The style list (owned by the format list).
  TXLSStyles& Styles() { return *styles_; }
  // The style list.
  const TXLSStyles& Styles() const { return *styles_; }

  // Attribute writes: (current index, value, release) -> the index of the
  // format equal to the current one with that attribute changed. With release
  // set the caller's reference moves from the current index to the result;
  // otherwise the result gains a reference and nothing is released.
  int32_t SetXFFontName(int32_t index, const WideString& value, bool release);
  // The format like index with the font size in points (see the attribute writes above).
  int32_t SetXFFontSize(int32_t index, double points, bool release);
  // The format like index with the font bold or not (see the attribute writes above).
  int32_t SetXFFontBold(int32_t index, bool value, bool release);
  // The format like index with the font italic or not (see the attribute writes above).
  int32_t SetXFFontItalic(int32_t index, bool value, bool release);
  // The format like index with the font's underline (an xlUnderlineStyle constant or xlNone) (see the attribute writes
  // above).
  int32_t SetXFFontUnderline(int32_t index, int32_t value, bool release);
  // The format like index with the font struck through or not (see the attribute writes above).
  int32_t SetXFFontStrikethrough(int32_t index, bool value, bool release);
  // The format like index with the font superscript or not (see the attribute writes above).
  int32_t SetXFFontSuperscript(int32_t index, bool value, bool release);
  // The format like index with the font subscript or not (see the attribute writes above).
  int32_t SetXFFontSubscript(int32_t index, bool value, bool release);
  // The format like index with the font outlined or not (see the attribute writes above).
  int32_t SetXFFontOutline(int32_t index, bool value, bool release);
  // The format like index with the font shadowed or not (see the attribute writes above).
  int32_t SetXFFontShadow(int32_t index, bool value, bool release);
  // A palette index, or -4105 (automatic).
  int32_t SetXFFontColor(int32_t index, int32_t value, bool release);
  // The format like index with the font family (see the attribute writes above).
  int32_t SetXFFontFamily(int32_t index, int32_t value, bool release);
  // The format like index with the font character set (see the attribute writes above).
  int32_t SetXFFontCharset(int32_t index, int32_t value, bool release);

  // The format like index with the number format text (see the attribute writes above).
  int32_t SetXFNumberFormat(int32_t index, const WideString& format, bool release);

  // The format like index with the locked flag (see the attribute writes above).
  int32_t SetXFLocked(int32_t index, bool value, bool release);
  // The format like index with the formula-hidden flag (see the attribute writes above).
  int32_t SetXFFormulaHidden(int32_t index, bool value, bool release);

  // BIFF codes: horizontal 0-7, vertical 0-4, rotation 0-180 or 255,
  // indent 0-15, reading order 0-2.
  int32_t SetXFHorizontalAlignment(int32_t index, int32_t value, bool release);
  // The format like index with the vertical alignment code (see the attribute writes above).
  int32_t SetXFVerticalAlignment(int32_t index, int32_t value, bool release);
  // The format like index with text wrapping (see the attribute writes above).
  int32_t SetXFWrapText(int32_t index, bool value, bool release);
  // The format like index with the rotation code (see the attribute writes above).
  int32_t SetXFRotation(int32_t index, int32_t value, bool release);
  // The format like index with the indent level (see the attribute writes above).
  int32_t SetXFIndentLevel(int32_t index, int32_t value, bool release);
  // The format like index with shrink-to-fit (see the attribute writes above).
  int32_t SetXFShrinkToFit(int32_t index, bool value, bool release);
  // The format like index with the reading order (see the attribute writes above).
  int32_t SetXFReadingOrder(int32_t index, int32_t value, bool release);

  // Borders: an edge set (kXFEdge...) and an automation line style
  // (1, -4115, -4118, -4119, 4, 5, 13, -4142), weight (1, 2, -4138, 4) or
  // colour index (1..56, -4105, 0 / -4142).
  int32_t SetXFBorderLineStyle(int32_t index, int32_t edges, int32_t lineStyle, bool release);
  // The format like index with the line weight of the edges (see the attribute writes above).
  int32_t SetXFBorderWeight(int32_t index, int32_t edges, int32_t weight, bool release);
  // The format like index with the line colour of the edges (see the attribute writes above).
  int32_t SetXFBorderColorIndex(int32_t index, int32_t edges, int32_t colorIndex, bool release);

  // Fill: BIFF pattern 0-18 and palette indexes.
  int32_t SetXFPattern(int32_t index, int32_t value, bool release);
  // The format like index with the pattern colour (see the attribute writes above).
  int32_t SetXFPatternColorIndex(int32_t index, int32_t value, bool release);
  // The format like index with the background colour (see the attribute writes above).
  int32_t SetXFFillColorIndex(int32_t index, int32_t value, bool release);

  // Reads follow the inheritance rule: a group whose used flag is clear comes
  // from the parent style unless the parent marks it as its own.
  int32_t GetXFFont(int32_t index) const;
  // The number format index.
  int32_t GetXFNumberFormat(int32_t index) const;
  // The number format text.
  WideString GetXFNumberFormatText(int32_t index) const;
  // Whether the number format shows dates or times.
  bool IsXFDateFormat(int32_t index) const;
  // The locked flag.
  bool GetXFLocked(int32_t index) const;
  // The formula-hidden flag.
  bool GetXFFormulaHidden(int32_t index) const;
  // The horizontal alignment code (0-7).
  int32_t GetXFHorizontalAlignment(int32_t index) const;
  // The vertical alignment code (0-4).
  int32_t GetXFVerticalAlignment(int32_t index) const;
  // Whether text wraps.
  bool GetXFWrapText(int32_t index) const;
  // The rotation code.
  int32_t GetXFRotation(int32_t index) const;
  // The indent level.
  int32_t GetXFIndentLevel(int32_t index) const;
  // Whether text shrinks to fit.
  bool GetXFShrinkToFit(int32_t index) const;
  // The reading order (0-2).
  int32_t GetXFReadingOrder(int32_t index) const;
  // One edge (the lowest bit of the set); automation constants.
  int32_t GetXFBorderLineStyle(int32_t index, int32_t edge) const;
  // The line weight of one edge.
  int32_t GetXFBorderWeight(int32_t index, int32_t edge) const;
  // The line colour index of one edge.
  int32_t GetXFBorderColorIndex(int32_t index, int32_t edge) const;
  // The fill pattern.
  int32_t GetXFPattern(int32_t index) const;
  // The pattern colour index.
  int32_t GetXFPatternColorIndex(int32_t index) const;
  // The background colour index.
  int32_t GetXFFillColorIndex(int32_t index) const;
  // Whether the format itself carries border information (flag 0x08).
  bool HasXFBorders(int32_t index) const;

  // Renumbers formats and fonts in use; called before any record is built.
  void PrepareForSave();
  // The XF record of the format at an output position; nullptr outside.
  std::unique_ptr<TXLSBlob> BuildXFRecord(int32_t outputPosition, int32_t fileFormat) const;

  // A self-contained text of a format (its own font key and number-format
  // text) that ImportFormat turns into a format of another workbook.
  WideString ExportFormat(int32_t index) const;
  // The index of the imported format (with one reference); 0 when the text is
  // malformed.
  int32_t ImportFormat(const WideString& text);

  // Before a file is read: empties the formats (the reader lays them down
  // again; 16 of them count as defaults), the styles, the number formats and
  // the fonts. The owned lists stay the same objects.
  void ClearFormats();

 private:
  // The key fields of index (0 read as 15) and of the format a group is read
  // from under the inheritance rule.
  TXLSXFFields Fields(int32_t index) const;
  // The key fields of an index as it stands (0 is not mapped), parsed once
  // per entry: every attribute write reads them, and parsing the key text
  // was the largest part of a write.
  const TXLSXFFields& ParsedFields(int32_t index) const;
  void KeyChanged(int32_t position) override;
  TXLSXFFields Effective(int32_t index, uint8_t group) const;
  // Replaces one group of index by the same group of `source`, marks it used
  // and re-keys.
  int32_t Commit(int32_t index, const TXLSXFFields& source, uint8_t group, bool release);
  template <class Change>
  int32_t ChangeFont(int32_t index, bool release, Change change);
  int32_t ChangeBorderCodes(int32_t index, int32_t edges, bool release, int32_t (*code)(int32_t current, int32_t value),
                            int32_t value);

  std::unique_ptr<TXLSFontList> fonts_;
  std::unique_ptr<TXLSNumFormatList> numFormats_;
  std::unique_ptr<TXLSStyles> styles_;
  // ParsedFields' memory by list position; known_ tells which are filled.
  mutable std::vector<TXLSXFFields> parsed_;
  mutable std::vector<uint8_t> known_;
  mutable TXLSXFFields outside_;
};

}  // namespace lx
