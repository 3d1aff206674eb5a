// The formatting of one exported cell, and the styler that applies it cheaply.
//
// The export components give every detail cell a font, a fill, lines on its
// edges, a horizontal alignment and a number format, taken from their own
// settings, the grid column or the field. TXLSCellStyle holds those settings
// resolved against the workbook (colours as palette indexes, texts as wide
// strings); ApplyCellStyle makes the format changes they stand for through
// the cell's font, interior and borders objects, one attribute at a time, in
// the order the components have always used.
//
// Made that way every cell costs a dozen format-list writes, each building,
// hashing and looking up a format key, and a few style objects. The styler
// (TXLSCellStyler) does the same work once per situation: formatting a cell
// reads and changes the formats of the cell and of its four neighbours (a new
// edge line takes the facing line off the neighbour, the top line is drawn
// only when the cell above has none) and nothing else, and during an export
// the format lists only grow, so one style meeting the same five format
// indexes always leaves the same five format indexes behind. The first time
// the styler runs ApplyCellStyle and notes the outcome; after that it moves
// the use counts and sets the indexes directly. The format lists, the use
// counts and therefore the saved file are exactly those of ApplyCellStyle.
//
// The values go in without range objects too (SetCellValue, WriteFieldValue).
//
// lxGroup.h holds the other formatting steps the exporters share (fonts and
// edge lines of header and title rows); this unit builds on them.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "lxDB.h"
#include "lxGraphics.h"
#include "lxGroup.h"
#include "lxHandle.h"
#include "lxText.h"

namespace lx {

// The formatting the exporters give a cell, written in one go by ApplyCellStyle or TXLSCellStyler.
struct TXLSCellStyle {
  // Whether font is written.
  bool hasFont = false;
  // The font.
  TXLSFontStyle font;
  // Palette index of the fill, 0 for none written.
  int32_t fillColorIndex = 0;
  // Edge lines (ApplyEdgeBorderLines) when hasBorders.
  bool hasBorders = false;
  // The line style of the edges.
  TBorderStyle borderStyle = BorderStyleNone;
  // The palette index of the edge lines.
  int32_t borderColorIndex = 0;
  // xlHAlign... constant; 0 leaves the alignment.
  int32_t horizontalAlignment = 0;
  // Whether numberFormat is written.
  bool hasNumberFormat = false;
  // The number format text.
  WideString numberFormat;

  // Whether the style writes nothing.
  bool Empty() const {
    return !hasFont && fillColorIndex == 0 && !hasBorders && horizontalAlignment == 0 && !hasNumberFormat;
  }
  // Styles are equal when every field is.
  friend bool operator==(const TXLSCellStyle&, const TXLSCellStyle&) = default;
};

// Gives one cell its style: font, fill, edge lines (the top line only when
// the cell above has none at its bottom and the cell none at its top),
// horizontal alignment, number format.
void ApplyCellStyle(IXLSRange* cell, const TXLSCellStyle& style);

// What Value = value does to the cell at the 0-based position, without a
// range object.
void SetCellValue(IXLSWorksheet& sheet, int32_t row, int32_t column, const TVariant& value);

// Whether the text of a string field, which reaches the cell through the
// dataset's 8-bit code page and back in the code page of a font character
// set (as the framework hands text over), comes out unchanged when it is
// ASCII: both pages are 1252.
bool TextKeepsAscii(const TField& field, uint8_t charset);
// Writes the current value of a field into the cell at the 0-based position
// as the exporters do: a string field its display text in the code page of
// the font's character set (keepsAscii from TextKeepsAscii spares the round
// trip for ASCII), an FMTBcd field a double, other fields their value.
void WriteFieldValue(IXLSWorksheet& sheet, int32_t row, int32_t column, const TField& field, uint8_t charset,
                     bool keepsAscii);

// Applies numbered cell styles fast: it remembers which cell format each style gave a cell of a given format and reuses
// it, instead of going through the range operations for every cell.
class TXLSCellStyler {
 public:
  // The number of a style in this styler; equal styles share one.
  int32_t StyleId(const TXLSCellStyle& style);
  // The style of a number from StyleId.
  const TXLSCellStyle& Style(int32_t id) const { return styles_[static_cast<size_t>(id)]; }

  // Gives the cell at the 0-based position of sheet style `id`, with the
  // same effect as ApplyCellStyle on a range of that cell. A cell that does
  // not exist yet or belongs to a merged area is formatted through
  // ApplyCellStyle every time.
  void Apply(IXLSWorksheet& sheet, int32_t row, int32_t column, int32_t id);

  // Forgets the outcomes (for another workbook). Styles keep their numbers.
  void Forget();
  // With false every cell goes through ApplyCellStyle (for comparisons).
  void SetRemember(bool remember) { remember_ = remember; }

 private:
  // The formats of the cell, of the cells above, left, right and below (-1
  // where there is none) and the format that shows above the cell (-1 on
  // the first row).
  struct TKey {
    int32_t style, self, above, left, right, below, aboveShown;
    friend bool operator==(const TKey&, const TKey&) = default;
  };
  struct TKeyHash {
    size_t operator()(const TKey& key) const;
  };
  // The formats the five cells are left with.
  struct TOutcome {
    int32_t self, above, left, right, below;
  };

  struct TLast {
    bool known = false;
    TKey key{};
    TOutcome outcome{};
  };

  std::vector<TXLSCellStyle> styles_;
  std::unordered_map<TKey, TOutcome, TKeyHash> outcomes_;
  // Per style the last outcome used: a column's cells meet the same
  // formats row after row.
  std::vector<TLast> last_;
  // The format list the outcomes belong to, and its size when they were
  // last noted: another list, or a smaller one (laid down again), makes them
  // void.
  const TlxFormatList* formats_ = nullptr;
  int32_t formatCount_ = 0;
  bool remember_ = true;
};

}  // namespace lx
