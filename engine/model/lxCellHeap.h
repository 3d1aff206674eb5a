// The cell store of a worksheet and its row and column records.
//
// TXLSCellHeap keeps the cells of one worksheet in a sparse table: a fixed
// table of 256 row blocks (row div 256), each a lazily allocated block of 256
// rows (row mod 256); a row is an array of cell pointers indexed by column,
// as long as the row's last column used. A lookup is three array steps and no
// search, and a row's cells are found left to right without probing empty
// columns. The cells themselves live in a TXLSCellArena: large chunks that
// never move, so cell pointers stay valid, with no per-cell allocation.
// Blocks and rows exist only where cells were created and are released only
// with the store. Beside the table the store keeps the bounds of every cell
// ever created; they only grow, so the used range is known without scanning.
//
// TXLSRowInfoList and TXLSColumnInfoList hold the per-row and per-column
// records (height, width, format, hidden, outline level). Every change of a
// format index held by a row or column record moves one use in the
// workbook's format list, so use counts stay equal to the number of cells,
// rows and columns holding each format.
//
// The worksheet (lxHandle.h) owns one store and one list of each kind; the
// range object works on them through the worksheet.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <vector>

#include "lxLargePages.h"

namespace lx {

class TlxFormatList;
class TXLSCompiledFormula;
class IXLSWorksheet;

// The last row and column index of a sheet (0-based).
inline constexpr int32_t kXLSMaxRow = 65535;
// The last column index of a sheet (0-based).
inline constexpr int32_t kXLSMaxColumn = 255;

// Stored kind of a cell value.
enum TXLSCellKind : uint8_t {
  ckBlank = 0,
  ckString = 1,
  ckNumber = 2,
  ckDate = 3,
  ckBoolean = 4,
  ckFormula = 5,
  // An error value, its code in Number. Only numbers that are not finite
  // make one (NaN and the infinities): no file format holds them, and
  // spreadsheet programs show #NUM! for them.
  ckError = 6,
};

// The error code of #NUM!, as BIFF and error variants carry it.
inline constexpr int32_t kXLSErrorNum = 0x24;

struct TXLSCellRef;

// What few cells carry: a compiled formula, and membership of a merged
// area. Kept out of line so that every cell stays at 32 bytes.
struct TXLSCellExtra {
  // A shared pointer only so that the formula type may stay incomplete
  // here; the cell is its one owner.
  std::shared_ptr<TXLSCompiledFormula> Formula;
  // The top-left cell of the merged area (itself for the top-left cell).
  TXLSCellRef* MergeOwner = nullptr;
  // Rows of the merged area (top-left cell only).
  int32_t MergeRows = 0;
  // Columns of the merged area (top-left cell only).
  uint16_t MergeColumns = 0;
};

// One cell, owned by the cell store. MergeOwner is a non-owning pointer to
// the top-left cell of the merged area the cell belongs to (the top-left cell
// points to itself); cells never move, so the pointer stays valid as long as
// the owner is in the store, and DeleteCell dissolves an area before it frees
// one of its cells.
struct TXLSCellRef {
  // The 0-based row.
  uint16_t Row = 0;
  // The 0-based column.
  uint8_t Column = 0;
  // The value kind (TXLSCellKind).
  uint8_t Kind = ckBlank;
  // The cell format (XF) index; 0 when none is set.
  int32_t FormatIndex = 0;
  // Shared-string index for string cells, -1 (or stale) otherwise.
  int32_t StringIndex = -1;
  // Whether the cell belongs to a merged area.
  bool Merged = false;
  // The number, date serial, boolean (1, 0) or error code of the value.
  double Number = 0.0;
  // The formula and merge data, when the cell has any (owned).
  std::unique_ptr<TXLSCellExtra> Extra;

  // The compiled formula (owned by the cell), or null.
  TXLSCompiledFormula* Formula() const { return Extra ? Extra->Formula.get() : nullptr; }
  // nullptr removes the formula.
  void SetFormula(std::shared_ptr<TXLSCompiledFormula> formula);
  // Hands the formula over, leaving none here.
  std::shared_ptr<TXLSCompiledFormula> TakeFormula();

  // The top-left cell of the merged area (not owned), or null.
  TXLSCellRef* MergeOwner() const { return Extra ? Extra->MergeOwner : nullptr; }
  // Rows of the merged area (top-left cell only), else 0.
  int32_t MergeRows() const { return Extra ? Extra->MergeRows : 0; }
  // Columns of the merged area (top-left cell only), else 0.
  uint16_t MergeColumns() const { return Extra ? Extra->MergeColumns : 0; }
  // Sets the top-left cell of the merged area (not owned).
  void SetMergeOwner(TXLSCellRef* owner);
  // The size of the area, kept by its top-left cell.
  void SetMergeSize(int32_t rows, uint16_t columns);
  // Forgets owner and size (the Merged flag is the caller's).
  void ClearMerge();

  // Merged but not the top-left cell of its area.
  bool HiddenByMerge() const { return Merged && MergeOwner() != nullptr && MergeOwner() != this; }

 private:
  TXLSCellExtra& Extras();
  // Drops the extra record once it holds nothing.
  void TrimExtras();
};
static_assert(sizeof(void*) != 8 || sizeof(TXLSCellRef) == 32, "a cell is 32 bytes on 64-bit systems");

// Unit conversions. Round means round to nearest, ties to even.
// Points to twips in quarter points; twips back to points.
uint16_t PointsToTwips(double points);
// Twips to points.
float TwipsToPoints(uint16_t twips);
// Characters to 1/256 of the digit-zero width, and back.
uint16_t CharactersToColumnWidth(double characters);
// 1/256 of the digit-zero width to characters.
float ColumnWidthToCharacters(uint16_t width);

// The record of one row: height, format, hidden flag, outline level.
struct TXLSRowInfo {
  // The height in twips.
  uint16_t Height = 255;
  // Whether the height was set rather than fitted.
  bool CustomHeight = false;
  // The row's cell format, for cells the row formats.
  int32_t FormatIndex = 15;
  // Whether the row has a format of its own.
  bool HasRowFormat = false;
  // Whether the row is hidden.
  bool Hidden = false;
  uint8_t OutlineLevel = 0;  // 0..7; public 1..8
  // The first column with a cell, -1 for none (kept while writing).
  int32_t FirstUsedColumn = -1;
  // The last column with a cell, -1 for none.
  int32_t LastUsedColumn = -1;
  // Whether a height was given through the model.
  bool HeightSet = false;
};

// A sheet's row records, sparse, and the default row. Owned by the sheet.
class TXLSRowInfoList {
 public:
  // Records whose format uses are counted in formats (not owned).
  explicit TXLSRowInfoList(TlxFormatList* formats);
  ~TXLSRowInfoList();
  TXLSRowInfoList(const TXLSRowInfoList&) = delete;
  TXLSRowInfoList& operator=(const TXLSRowInfoList&) = delete;

  // The record of a row, or nullptr (also outside 0..65535).
  TXLSRowInfo* Find(int32_t row) const;
  // The record of a row, created (with the default height) when missing;
  // nullptr outside 0..65535.
  TXLSRowInfo* Get(int32_t row);
  // Removes a row's record, giving its format use back.
  void Remove(int32_t row);

  // Points; 0 for a hidden row.
  double RowHeight(int32_t row) const;
  // Sets a row's height in points, creating its record.
  void SetRowHeight(int32_t row, double points);
  // Whether a row is hidden.
  bool RowHidden(int32_t row) const;
  // Hides or shows a row.
  void SetRowHidden(int32_t row, bool hidden);
  // Moves a format use and marks the row as formatted.
  void SetRowFormat(int32_t row, int32_t formatIndex);
  int32_t RowOutlineLevel(int32_t row) const;  // 1..8
  // Sets a row's outline level (1..8).
  void SetRowOutlineLevel(int32_t row, int32_t level);
  // Copies all fields of `source` (the default record when nullptr) into the
  // record of `row`, moving the format use.
  void CopyRowInfo(int32_t row, const TXLSRowInfo* source);
  // The number of hidden rows from row 0 down to the first visible one.
  int32_t HiddenRowsFromTop() const;

  // The record rows without one of their own follow.
  TXLSRowInfo& DefaultRow() { return default_; }
  // The record rows without one of their own follow.
  const TXLSRowInfo& DefaultRow() const { return default_; }
  // First and last row with a record; -1 when there is none.
  int32_t FirstRow() const { return firstRow_; }
  // The last row with a record; -1 when there is none.
  int32_t LastRow() const { return lastRow_; }
  // The number of row records.
  int32_t Count() const { return count_; }
  // The highest outline level seen while writing.
  int32_t MaxOutlineLevel() const { return maxOutline_; }
  // Sets the highest outline level.
  void SetMaxOutlineLevel(int32_t level) { maxOutline_ = level; }

 private:
  // The records of 256 rows, held in place (no allocation per row); a
  // record exists where its bit is set. Blocks are carved from storage_ and
  // live as long as the list.
  struct TBlock {
    std::array<TXLSRowInfo, 256> rows;
    std::bitset<256> present;
  };
  TlxFormatList* formats_;  // not owned
  TLargeBlockCarver storage_{4096};
  std::array<TBlock*, 256> blocks_{};
  TXLSRowInfo default_;
  int32_t firstRow_ = -1;
  int32_t lastRow_ = -1;
  int32_t count_ = 0;
  int32_t maxOutline_ = 0;
};

// The record of one column: width, format, hidden flag, outline level.
struct TXLSColumnInfo {
  // The width in 1/256 of the digit-zero width.
  uint16_t Width = 2340;
  // The column's cell format.
  int32_t FormatIndex = 15;
  // Whether the column is hidden.
  bool Hidden = false;
  uint8_t OutlineLevel = 0;  // 0..7; public 1..8
};

// A sheet's column records and the default column. Owned by the sheet.
class TXLSColumnInfoList {
 public:
  // Records whose format uses are counted in formats (not owned).
  explicit TXLSColumnInfoList(TlxFormatList* formats);
  ~TXLSColumnInfoList();
  TXLSColumnInfoList(const TXLSColumnInfoList&) = delete;
  TXLSColumnInfoList& operator=(const TXLSColumnInfoList&) = delete;

  // The record of a column, or null (also outside 0..255).
  TXLSColumnInfo* Find(int32_t column) const;
  // Created from the default record (width and format) when missing.
  TXLSColumnInfo* Get(int32_t column);
  // Removes a column's record, giving its format use back.
  void Remove(int32_t column);

  double ColumnWidth(int32_t column) const;  // characters
  // Sets a column's width in characters, creating its record.
  void SetColumnWidth(int32_t column, double characters);
  // Whether a column is hidden.
  bool ColumnHidden(int32_t column) const;
  // Hides or shows a column.
  void SetColumnHidden(int32_t column, bool hidden);
  // Moves a format use to a column's new format.
  void SetColumnFormat(int32_t column, int32_t formatIndex);
  int32_t ColumnOutlineLevel(int32_t column) const;  // 1..8
  // Sets a column's outline level (1..8).
  void SetColumnOutlineLevel(int32_t column, int32_t level);
  // Copies all fields of source (the default record when null) into a column's record, moving the format use.
  void CopyColumnInfo(int32_t column, const TXLSColumnInfo* source);
  // The number of hidden columns from column 0 to the first visible one.
  int32_t HiddenColumnsFromLeft() const;

  // The record columns without one of their own follow.
  TXLSColumnInfo& DefaultColumn() { return default_; }
  // The record columns without one of their own follow.
  const TXLSColumnInfo& DefaultColumn() const { return default_; }
  // The first column with a record; -1 when there is none.
  int32_t FirstColumn() const { return firstColumn_; }
  // The last column with a record; -1 when there is none.
  int32_t LastColumn() const { return lastColumn_; }
  // The number of column records.
  int32_t Count() const { return count_; }
  // The highest outline level seen while writing.
  int32_t MaxOutlineLevel() const { return maxOutline_; }
  // Sets the highest outline level.
  void SetMaxOutlineLevel(int32_t level) { maxOutline_ = level; }

 private:
  TlxFormatList* formats_;  // not owned
  std::array<std::unique_ptr<TXLSColumnInfo>, 256> columns_;
  TXLSColumnInfo default_;
  int32_t firstColumn_ = -1;
  int32_t lastColumn_ = -1;
  int32_t count_ = 0;
  int32_t maxOutline_ = 0;
};

// Storage for the cells of one store. Chunks grow from a few cells to a
// large page, so small sheets stay small and large ones cost few page
// faults; a deleted cell is reset and handed out again by the next New.
class TXLSCellArena {
 public:
  TXLSCellArena() = default;
  TXLSCellArena(const TXLSCellArena&) = delete;
  TXLSCellArena& operator=(const TXLSCellArena&) = delete;

  // A default cell whose address stays valid until it is given to Delete.
  TXLSCellRef* New() {
    if (used_ < chunkSize_ && free_.empty()) return &chunks_.back()[used_++];
    return NewSlow();
  }
  // Resets a cell from New and keeps it for reuse.
  void Delete(TXLSCellRef* cell);

 private:
  // A reused cell, or the first cell of a new chunk.
  TXLSCellRef* NewSlow();

  // Chunks double from 16 cells to 4,096; after that each chunk fills one
  // large page (lxLargePages.h).
  using TChunk = std::vector<TXLSCellRef, TLargePageAllocator<TXLSCellRef>>;
  static constexpr uint32_t kFirstChunk = 16;
  static constexpr uint32_t kLastDoubledChunk = 4096;
  static constexpr uint32_t kLargeChunk = static_cast<uint32_t>(kLargePageSize / sizeof(TXLSCellRef));
  std::vector<TChunk> chunks_;
  uint32_t chunkSize_ = 0;
  uint32_t used_ = 0;
  std::vector<TXLSCellRef*> free_;
};

// The slot arrays of the store's rows: powers of two from 16 to 256 cell
// pointers, carved from chunks that grow to a large page. An array left
// behind by a growing row waits in a free list for the next row of its size.
class TXLSSlotArena {
 public:
  TXLSSlotArena() = default;
  TXLSSlotArena(const TXLSSlotArena&) = delete;
  TXLSSlotArena& operator=(const TXLSSlotArena&) = delete;

  // count empty slots; count is a power of two from 16 to 256.
  TXLSCellRef** New(uint32_t count);
  // Keeps an array from New (of count slots) for reuse.
  void Delete(TXLSCellRef** array, uint32_t count);

 private:
  static constexpr uint32_t kSmallest = 16;
  static constexpr int kSizes = 5;  // 16, 32, 64, 128, 256
  static int SizeClass(uint32_t count);

  TLargeBlockCarver storage_{4096};
  std::array<std::vector<TXLSCellRef**>, kSizes> free_;
};

// A sheet's cells, sparse by row and column; the store owns its cells, which never move.
class TXLSCellHeap {
 public:
  // `sheet` is the owning worksheet (non-owning back pointer); it supplies
  // the effective format of new cells, the row records and the string table.
  explicit TXLSCellHeap(IXLSWorksheet* sheet);
  ~TXLSCellHeap();
  TXLSCellHeap(const TXLSCellHeap&) = delete;
  TXLSCellHeap& operator=(const TXLSCellHeap&) = delete;

  // Never allocates; nullptr outside the sheet or for an empty slot.
  TXLSCellRef* FindCell(int32_t row, int32_t column) const;
  // The existing cell or a new blank one with the position's effective
  // format; nullptr outside the sheet.
  TXLSCellRef* GetCell(int32_t row, int32_t column);
  // Gives back the cell's string reference and format use, dissolves a
  // merged area it belongs to and frees it. Bounds do not shrink.
  void DeleteCell(int32_t row, int32_t column);
  // Clears owner, counts and the merged flag of every cell of the merged
  // area `cell` belongs to.
  void DissolveMergedArea(TXLSCellRef* cell);
  // The 0-based corners of the merged area of a merged cell.
  bool MergedAreaOf(const TXLSCellRef* cell, int32_t& top, int32_t& left, int32_t& bottom, int32_t& right) const;

  // Whether the store has no cell.
  bool Empty() const { return !hasCells_; }
  // The first row with a cell.
  int32_t FirstRow() const { return firstRow_; }
  // The last row with a cell.
  int32_t LastRow() const { return lastRow_; }
  // Rows from the first to the last with a cell; 0 when empty.
  int32_t RowCount() const { return hasCells_ ? lastRow_ - firstRow_ + 1 : 0; }
  // The first column with a cell.
  int32_t FirstColumn() const { return firstColumn_; }
  // The last column with a cell.
  int32_t LastColumn() const { return lastColumn_; }
  // Columns from the first to the last with a cell; 0 when empty.
  int32_t ColumnCount() const { return hasCells_ ? lastColumn_ - firstColumn_ + 1 : 0; }
  // Cells currently in the store.
  int32_t CellCount() const { return cellCount_; }

  // Calls f(TXLSCellRef&) for every cell, row by row, left to right.
  template <class F>
  void ForEachCell(F&& f) const {
    for (const auto& rowBlock : top_) {
      if (!rowBlock) continue;
      for (const TRowCells& row : *rowBlock)
        for (uint32_t i = 0; i < row.count; ++i)
          if (TXLSCellRef* cell = row.byColumn[i]) f(*cell);
    }
  }

  // Calls f(TXLSCellRef&) for the cells of one row, left to right, while f
  // returns true.
  template <class F>
  void ForEachCellInRow(int32_t row, F&& f) const {
    if (row < 0 || row > kXLSMaxRow || !top_[row >> 8]) return;
    const TRowCells& cells = (*top_[row >> 8])[row & 0xFF];
    for (uint32_t i = 0; i < cells.count; ++i)
      if (TXLSCellRef* cell = cells.byColumn[i]; cell && !f(*cell)) return;
  }

  // Cleared by an owner that destroys the store after the string table has
  // gone, so that no string reference is given back to it.
  void SetStringTableAlive(bool alive) { stringTableAlive_ = alive; }

 private:
  // A row's cells by column (slots from the slot arena); empty slots are
  // nullptr.
  struct TRowCells {
    TXLSCellRef** byColumn = nullptr;
    uint32_t count = 0;
  };
  // The rows of 256 row numbers, carved from rowStorage_ when the first of
  // them gets a cell; they live as long as the store.
  using TRowBlock = std::array<TRowCells, 256>;

  // The slot of a cell position, or nullptr outside the rows and columns
  // allocated so far.
  TXLSCellRef** Slot(int32_t row, int32_t column) const;

  IXLSWorksheet* sheet_;  // not owned
  TXLSCellArena arena_;
  TXLSSlotArena slots_;
  TLargeBlockCarver rowStorage_{4096};
  std::array<TRowBlock*, 256> top_{};
  bool hasCells_ = false;
  int32_t firstRow_ = 0;
  int32_t lastRow_ = 0;
  int32_t firstColumn_ = 0;
  int32_t lastColumn_ = 0;
  int32_t cellCount_ = 0;
  bool stringTableAlive_ = true;
};

}  // namespace lx
