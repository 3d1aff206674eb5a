// The autofilter of a worksheet.
//
// An autofilter spans the columns of a block of rows whose first row holds
// the column titles (the header row). Every column has an item with up to
// two conditions (TXLSAutofilterDOPER: a comparison with a number, text,
// boolean or error value, or "all blanks" / "all non-blanks"), joined by
// AND or OR, or a top-10 setting; a column with either is active. Each
// column also shows a drop-down arrow on the header row: a combo-box shape
// of the sheet's drawing, which the filter asks for and gives back through
// TXLSAutofilterArrows, so that the filter itself knows nothing of shapes.
//
// The filter is made by a range's AutoFilter or read from a file
// (AUTOFILTERINFO gives the column count, each AUTOFILTER record one item's
// conditions, the sheet's filter-database name the block, and the arrows
// read from the drawing the header row when no name gave it). At save time
// the sheet writer asks for FILTERMODE, AUTOFILTERINFO and the AUTOFILTER
// records, and the globals writer writes the filter-database name.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "lxBLOB.h"
#include "lxVariant.h"

namespace lx {

class IXLSWorksheet;

inline constexpr uint16_t kRecFilterMode = 0x009B;
inline constexpr uint16_t kRecAutoFilterInfo = 0x009D;
inline constexpr uint16_t kRecAutoFilter = 0x009E;

// Value types of a condition.
inline constexpr uint8_t kDoperNone = 0;
inline constexpr uint8_t kDoperInteger = 2;
inline constexpr uint8_t kDoperDouble = 4;
inline constexpr uint8_t kDoperString = 6;
inline constexpr uint8_t kDoperBoolErr = 8;
inline constexpr uint8_t kDoperAllBlanks = 12;
inline constexpr uint8_t kDoperNonBlanks = 14;
// Comparison of a condition: equal.
inline constexpr uint8_t kDoperEqual = 2;

// One condition of a filter column.
struct TXLSAutofilterDOPER {
  uint8_t type = kDoperNone;
  uint8_t comparison = 0;
  TVariant value;
};

// One filter column.
struct TXLSAutofilterItem {
  // The drop-down arrow's shape as TXLSAutofilterArrows numbers it; 0: none.
  int32_t arrow = 0;
  uint8_t join = 0;          // 2 bits
  uint8_t top10Mode = 0;     // 2 bits
  uint16_t top10Count = 10;  // 9 bits
  TXLSAutofilterDOPER conditions[2];

  bool Active() const { return top10Mode != 0 || conditions[0].type != kDoperNone; }
};

// Where the drop-down arrows come from: the sheet's drawing.
class TXLSAutofilterArrows {
 public:
  virtual ~TXLSAutofilterArrows() = default;
  // A new arrow over the cell (row, column), 0-based; its non-zero number.
  virtual int32_t AddAutoFilterArrow(int32_t row, int32_t column) = 0;
  // Takes the arrow of that number off the sheet.
  virtual void RemoveAutoFilterArrow(int32_t arrow) = 0;
};

class TXLSAutofilter {
 public:
  // arrows is not owned and may be null (no arrows are made).
  void SetArrows(TXLSAutofilterArrows* arrows) { arrows_ = arrows; }

  // Header row, first and last column, last row: 1-based; 0 while unknown.
  int32_t HeaderRow() const { return headerRow_; }
  int32_t FirstColumn() const { return firstColumn_; }
  int32_t LastColumn() const { return lastColumn_; }
  int32_t LastRow() const { return lastRow_; }
  int32_t ColumnCount() const { return static_cast<int32_t>(items_.size()); }
  const TXLSAutofilterItem& Item(int32_t index) const { return items_[static_cast<size_t>(index)]; }
  TXLSAutofilterItem& Item(int32_t index) { return items_[static_cast<size_t>(index)]; }
  // At least one column, and a header row and first column are known.
  bool Valid() const { return !items_.empty() && headerRow_ >= 1 && firstColumn_ >= 1; }
  bool AnyActive() const;

  // A filter over the columns firstColumn..lastColumn of the rows
  // headerRow..lastRow (1-based), with an arrow per column and no
  // condition; the arrows of a previous filter are removed.
  void Create(int32_t headerRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow);
  // No filter any more: its arrows, items and bounds go.
  void Remove();
  // n empty items without arrows (AUTOFILTERINFO), at most one per column
  // of the sheet; previous arrows and items go.
  void SetColumnCount(int32_t n);
  // The block as the sheet's filter-database name gives it (1-based).
  void SetBounds(int32_t headerRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow);
  // An arrow read from the drawing over the cell (row, column), 0-based:
  // it places a filter that has no header row yet, and becomes the arrow of
  // its column's item when it lies on the header row (the item's previous
  // arrow is removed). False when no item takes it.
  bool ArrowFound(int32_t row, int32_t column, int32_t arrow);

  // An AUTOFILTER record's payload (biff8: the file is BIFF8). Records for
  // no known column or too short are passed over. Always 1.
  int32_t ReadAutoFilter(std::span<const uint8_t> data, bool biff8);

  // FILTERMODE when the filter is valid and filters anything, else null.
  std::unique_ptr<TXLSBlob> BuildFilterMode() const;
  // AUTOFILTERINFO when the filter is valid, else null.
  std::unique_ptr<TXLSBlob> BuildFilterInfo() const;
  // One AUTOFILTER per active item.
  void WriteItems(std::vector<std::unique_ptr<TXLSBlob>>& records, bool biff8) const;

 private:
  void RemoveArrows();

  TXLSAutofilterArrows* arrows_ = nullptr;
  int32_t headerRow_ = 0;
  int32_t firstColumn_ = 0;
  int32_t lastColumn_ = 0;
  int32_t lastRow_ = 0;
  std::vector<TXLSAutofilterItem> items_;
};

// The sheet's autofilter when it has a valid one, else null; installs
// nothing on a sheet without sheet objects.
const TXLSAutofilter* ValidAutofilter(IXLSWorksheet& sheet);

}  // namespace lx
