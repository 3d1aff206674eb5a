// Group storage of the export components, and the formatting steps they share.
//
// The grid and dataset exporters can group their detail rows by one or more
// columns: each time the value of a group column changes from one record to
// the next, a title row with the new value is written above the details, and
// rows get outline levels (outer titles 1, inner titles 2, ..., details one
// deeper than the innermost title) so that the spreadsheet folds the details
// under their titles. TXLSGroupStorage remembers, for one export, which
// columns the rows are grouped by and the value on each group's last title
// row; WriteTitles writes the title rows for a record, in the exporter's
// fonts, colours and borders, which the exporter passes in a
// TXLSGroupTitleStyle.
//
// The exporters also share the way they format a cell: applying a framework
// font (ApplyFont), the border style table (ApplyEdgeBorders), the text
// conversion of 8-bit framework text (FrameworkTextToWide) and access to the
// font, borders and fill objects of a range. They live here because the
// group titles need them as well; lxGridToXLS.h builds on this unit.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lxClasses.h"
#include "lxGraphics.h"
#include "lxHandle.h"
#include "lxStyle.h"
#include "lxVariant.h"

namespace lx {

// Cell borders an exporter draws around header, detail and group cells.
enum TBorderStyle {
  BorderStyleNone,
  BorderStyleSingleHair,
  BorderStyleSingleThick,
  BorderStyleSingleThin,
  BorderStyleDouble,
};

// Formatting steps an exporter can be told to skip.
enum TFormatOption { foBorders, foNumberFormat, foFont, foAlignment };

// A set of TFormatOption values.
class TFormatOptions {
 public:
  constexpr TFormatOptions() = default;
  // The set of the listed options.
  constexpr TFormatOptions(std::initializer_list<TFormatOption> options) {
    for (TFormatOption o : options) bits_ |= Bit(o);
  }
  // Whether the option is in the set.
  constexpr bool Contains(TFormatOption option) const { return (bits_ & Bit(option)) != 0; }
  // Adds the option.
  constexpr void Include(TFormatOption option) { bits_ |= Bit(option); }
  // Removes the option.
  constexpr void Exclude(TFormatOption option) { bits_ &= static_cast<uint8_t>(~Bit(option)); }
  // Whether the set is empty.
  constexpr bool Empty() const { return bits_ == 0; }
  // Sets are equal when they hold the same options.
  friend constexpr bool operator==(TFormatOptions, TFormatOptions) = default;

 private:
  static constexpr uint8_t Bit(TFormatOption option) {
    return static_cast<uint8_t>(1u << static_cast<unsigned>(option));
  }
  uint8_t bits_ = 0;
};

// ---------------------------------------------------------------- shared formatting

// The font, borders and fill objects of a range.
XLSPtr<IXLSFontSlots> FontOf(IXLSRangeBase* range);
// The borders object of a range.
XLSPtr<IXLSBordersSlots> BordersOf(IXLSRangeBase* range);
// The fill object of a range.
XLSPtr<IXLSInteriorSlots> InteriorOf(IXLSRangeBase* range);

// 8-bit framework text to wide text, in the code page of a font's character
// set (CharsetToCodePage).
std::u16string FrameworkTextToWide(std::string_view text, uint8_t charset);

// Gives the cells of a range a framework font: character set, name, size,
// colour (unless clNone), bold and italic; underline and strike-out only when
// the font has them.
void ApplyFont(IXLSRangeBase* range, const TFont& font);

// A framework font resolved against a workbook: the attribute writes
// ApplyFont makes, in its order, with the colour as the workbook's palette
// index (ResolveColor) and the name as wide text.
struct TXLSFontStyle {
  // The character set.
  uint8_t charset = 0;
  // The font's name.
  std::u16string name;
  // The size in points.
  float size = 0;
  // Palette index 1..56; 0 leaves the colour (the font's colour is clNone).
  int32_t colorIndex = 0;
  // Bold.
  bool bold = false;
  // Italic.
  bool italic = false;
  // Single underline.
  bool underline = false;
  // Struck through.
  bool strikeOut = false;

  // Font styles are equal when every field is.
  friend bool operator==(const TXLSFontStyle&, const TXLSFontStyle&) = default;
};
// A framework font resolved against a workbook (not owned).
TXLSFontStyle ResolveFont(const TXLSWorkbook& book, const TFont& font);
// The palette index a colour write of a framework colour stores: the
// workbook's nearest palette entry to its RGB value; 0 for clNone.
int32_t ResolveColor(const TXLSWorkbook& book, TColor color);
// Gives the cells of a range a resolved font.
void ApplyFontStyle(IXLSRangeBase* range, const TXLSFontStyle& font);

// Line style and weight of a border style: hair 1/1, thick 1/4, thin 1/2,
// double -4119/4, anything else -4142/2.
struct TBorderLine {
  // An xl line-style constant (xlContinuous, xlDouble) or xlNone.
  int32_t lineStyle;
  // An xl weight constant (xlHairline, xlThin, xlThick).
  int32_t weight;
};
// The line style and weight of a border style.
TBorderLine BorderLineOf(TBorderStyle style);

// Draws the bottom, left and right edges of a range in a border style and
// colour, and the top edge too unless topHasLine tells that a line is already
// there (the bottom line of the row above counts, so a line is not drawn
// twice). BorderStyleNone draws nothing; clNone leaves the colour.
void ApplyEdgeBorders(IXLSRangeBase* range, TBorderStyle style, TColor color, bool topHasLine);
// The same with the colour as a palette index (0 leaves the colour).
void ApplyEdgeBorderLines(IXLSRangeBase* range, TBorderStyle style, int32_t colorIndex, bool topHasLine);
// Whether the top edge of a range has a line.
bool TopEdgeHasLine(IXLSRangeBase* range);

// ---------------------------------------------------------------- storage

// One group of an export: a group column and the value and row of its last title.
class TXLSGroupItem {
 public:
  // A group over the column at columnIndex, shown at visiblePosition among the exported columns.
  TXLSGroupItem(std::string name, int32_t columnIndex, int32_t visiblePosition)
      : visiblePosition_(visiblePosition), name_(std::move(name)), columnIndex_(columnIndex) {}

  // 0-based position of the group column among the exported columns.
  int32_t VisiblePosition() const { return visiblePosition_; }
  // The group field name as the caller gave it.
  const std::string& Name() const { return name_; }
  // Index of the group column among all grid columns (or fields).
  int32_t ColumnIndex() const { return columnIndex_; }
  // The value on this group's last title row.
  const TVariant& LastValue() const { return lastValue_; }
  // Whether a title has been written, so that LastValue holds its value.
  bool HasValue() const { return hasValue_; }
  // 1-based sheet row of that title; -1 when none.
  int32_t LastTitleRow() const { return lastTitleRow_; }

 private:
  friend class TXLSGroupStorage;
  int32_t visiblePosition_;
  std::string name_;
  int32_t columnIndex_;
  TVariant lastValue_;
  bool hasValue_ = false;
  int32_t lastTitleRow_ = -1;
};

// The settings and callbacks an exporter hands to WriteTitles.
struct TXLSGroupTitleStyle {
  // The sheet the titles go to (not owned).
  IXLSWorksheet* sheet = nullptr;
  // 0-based column of the exported block's origin.
  int32_t startColumn = 0;
  // The font of the title rows (not owned).
  const TFont* font = nullptr;
  // The fill of the title rows.
  TColor color = clNone;
  // The border style of the title rows.
  TBorderStyle borderStyle = BorderStyleNone;
  // The border colour of the title rows.
  TColor borderColor = clNone;
  // Formatting steps to skip.
  TFormatOptions disableFormat;
  // Records written on the current sheet, the current one included.
  int32_t recordsOnSheet = 0;
  // The current record's value of a grid column (or field) by index; an
  // exception while reading gives null.
  std::function<TVariant(int32_t columnIndex)> valueOf;
  // The same value without a copy, for exporters whose values stay in place
  // while a record is written (a field's value does). WriteTitles reads every
  // group's value for every record, and takes this one when it is set.
  std::function<const TVariant&(int32_t columnIndex)> valueRefOf;
  // After each title row: group index, the title row range, the title cell.
  std::function<void(int32_t groupIndex, IXLSRange* row, IXLSRange* cell)> afterGroupTitle;
};

// The groups of an export: which columns group the records, the value of each group's last title, and the writing of
// title rows with outline levels when a group value changes.
class TXLSGroupStorage {
 public:
  TXLSGroupStorage() = default;
  TXLSGroupStorage(const TXLSGroupStorage&) = delete;
  TXLSGroupStorage& operator=(const TXLSGroupStorage&) = delete;

  // At least one group was accepted.
  bool Active() const { return active_; }
  // Marks the storage active (at least one group accepted) or not.
  void SetActive(bool active) { active_ = active; }
  // The number of exported columns, which title rows span.
  int32_t VisibleColumnCount() const { return visibleColumnCount_; }
  // Sets the number of exported columns.
  void SetVisibleColumnCount(int32_t count) { visibleColumnCount_ = count; }

  // Appends a group over the column at columnIndex, shown at visiblePosition.
  void Add(const std::string& name, int32_t columnIndex, int32_t visiblePosition);
  // The number of groups.
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // Raises EListError outside 0..Count-1.
  TXLSGroupItem& Item(int32_t index) const;
  // The column is one of the items' columns.
  bool IsGroupColumn(int32_t columnIndex) const;
  // The name is one of the items' names, ignoring letter case.
  bool IsGroupField(std::string_view name) const;

  // The item has no title yet, or its last value differs from value.
  static bool IsChanged(const TXLSGroupItem& item, const TVariant& value);
  // Records that a title with value was written on 1-based sheet row.
  static void SetTitle(TXLSGroupItem& item, int32_t row, const TVariant& value);
  // Forgets the item's last title, so that the next record writes one.
  static void Reset(TXLSGroupItem& item);

  // Fills a fresh storage: every name of groupFields that findColumn maps to
  // a column index (>= 0) becomes an item, with the column's position among
  // the visible ones; names it maps to -1 are skipped. visible holds every
  // column's visibility, hidden ones included.
  void Prepare(const TStrings& groupFields, const std::vector<bool>& visible,
               const std::function<int32_t(const std::string& name)>& findColumn);

  // How many title rows WriteTitles would write for the record: from the
  // first changed group to the innermost one.
  int32_t PendingTitles(const std::function<TVariant(int32_t columnIndex)>& valueOf) const;
  // Writes the title rows of every changed group of the current record, and
  // of every group inside a changed one, from row (1-based) on, advancing
  // row past them; then gives row, the detail row to come, the outline level
  // below the innermost title. Nothing when inactive.
  void WriteTitles(const TXLSGroupTitleStyle& style, int32_t& row);
  // A new sheet: the outermost group counts as changed, so that every title
  // is written again at its top.
  void ResetOutermost();

 private:
  void WriteTitle(const TXLSGroupTitleStyle& style, int32_t index, const TVariant& value, int32_t row);

  bool active_ = false;
  std::vector<std::pair<std::string, std::unique_ptr<TXLSGroupItem>>> items_;
  // The column index of each item, in item order.
  std::vector<int32_t> columns_;
  int32_t visibleColumnCount_ = 0;
};

}  // namespace lx
