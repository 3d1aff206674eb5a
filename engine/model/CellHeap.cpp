// The sparse cell store of a worksheet.
#include "lxCellHeap.h"

#include <algorithm>

#include "lxFormat.h"
#include "lxHandle.h"
#include "lxStringTable.h"

namespace lx {

TXLSCellHeap::TXLSCellHeap(IXLSWorksheet* sheet) : sheet_(sheet) {}

TXLSCellHeap::~TXLSCellHeap() {
  // At workbook destruction the string table goes first; then there is
  // nothing to give back.
  TXLSWorkbook* book = sheet_ ? sheet_->Workbook() : nullptr;
  if (stringTableAlive_ && book && book->HasStringTable()) {
    TXLSStringTable& strings = book->StringTable();
    ForEachCell([&](TXLSCellRef& cell) {
      if (cell.Kind == ckString) strings.ReleaseString(cell.StringIndex);
    });
  }
}

TXLSCellExtra& TXLSCellRef::Extras() {
  if (!Extra) Extra = std::make_unique<TXLSCellExtra>();
  return *Extra;
}

void TXLSCellRef::TrimExtras() {
  if (Extra && !Extra->Formula && !Extra->MergeOwner && Extra->MergeRows == 0 && Extra->MergeColumns == 0)
    Extra.reset();
}

void TXLSCellRef::SetFormula(std::shared_ptr<TXLSCompiledFormula> formula) {
  if (!formula && !Extra) return;
  Extras().Formula = std::move(formula);
  TrimExtras();
}

std::shared_ptr<TXLSCompiledFormula> TXLSCellRef::TakeFormula() {
  if (!Extra) return nullptr;
  std::shared_ptr<TXLSCompiledFormula> formula = std::move(Extra->Formula);
  Extra->Formula.reset();
  TrimExtras();
  return formula;
}

void TXLSCellRef::SetMergeOwner(TXLSCellRef* owner) {
  if (!owner && !Extra) return;
  Extras().MergeOwner = owner;
  TrimExtras();
}

void TXLSCellRef::SetMergeSize(int32_t rows, uint16_t columns) {
  if (rows == 0 && columns == 0 && !Extra) return;
  TXLSCellExtra& extra = Extras();
  extra.MergeRows = rows;
  extra.MergeColumns = columns;
  TrimExtras();
}

void TXLSCellRef::ClearMerge() {
  if (!Extra) return;
  Extra->MergeOwner = nullptr;
  Extra->MergeRows = 0;
  Extra->MergeColumns = 0;
  TrimExtras();
}

TXLSCellRef* TXLSCellArena::NewSlow() {
  if (!free_.empty()) {
    TXLSCellRef* cell = free_.back();
    free_.pop_back();
    return cell;
  }
  chunkSize_ = chunkSize_ == 0 ? kFirstChunk : chunkSize_ < kLastDoubledChunk ? chunkSize_ * 2 : kLargeChunk;
  chunks_.emplace_back(chunkSize_);
  used_ = 0;
  return &chunks_.back()[used_++];
}

void TXLSCellArena::Delete(TXLSCellRef* cell) {
  *cell = TXLSCellRef{};
  free_.push_back(cell);
}

int TXLSSlotArena::SizeClass(uint32_t count) {
  int size = 0;
  for (uint32_t n = kSmallest; n < count; n *= 2) ++size;
  return size;
}

TXLSCellRef** TXLSSlotArena::New(uint32_t count) {
  std::vector<TXLSCellRef**>& reusable = free_[static_cast<size_t>(SizeClass(count))];
  TXLSCellRef** array = nullptr;
  if (!reusable.empty()) {
    array = reusable.back();
    reusable.pop_back();
  } else {
    array = static_cast<TXLSCellRef**>(storage_.Take(count * sizeof(TXLSCellRef*)));
  }
  std::fill_n(array, count, nullptr);
  return array;
}

void TXLSSlotArena::Delete(TXLSCellRef** array, uint32_t count) {
  free_[static_cast<size_t>(SizeClass(count))].push_back(array);
}

TXLSCellRef** TXLSCellHeap::Slot(int32_t row, int32_t column) const {
  if (row < 0 || row > kXLSMaxRow || column < 0 || column > kXLSMaxColumn) return nullptr;
  const auto& rowBlock = top_[row >> 8];
  if (!rowBlock) return nullptr;
  TRowCells& cells = (*rowBlock)[row & 0xFF];
  return static_cast<uint32_t>(column) < cells.count ? &cells.byColumn[column] : nullptr;
}

TXLSCellRef* TXLSCellHeap::FindCell(int32_t row, int32_t column) const {
  TXLSCellRef** slot = Slot(row, column);
  return slot ? *slot : nullptr;
}

TXLSCellRef* TXLSCellHeap::GetCell(int32_t row, int32_t column) {
  if (row < 0 || row > kXLSMaxRow || column < 0 || column > kXLSMaxColumn) return nullptr;
  auto& rowBlock = top_[row >> 8];
  if (!rowBlock) rowBlock = rowStorage_.Make<TRowBlock>();
  TRowCells& cells = (*rowBlock)[row & 0xFF];
  const auto index = static_cast<uint32_t>(column);
  if (index >= cells.count) {
    // Rows start with 16 slots, enough for most sheets' rows in one go, and
    // grow by doubling up to the sheet's 256 columns; spare slots stay empty.
    uint32_t count = std::max<uint32_t>(16, cells.count * 2);
    while (count <= index) count *= 2;
    TXLSCellRef** grown = slots_.New(count);
    if (cells.count > 0) {
      std::copy_n(cells.byColumn, cells.count, grown);
      slots_.Delete(cells.byColumn, cells.count);
    }
    cells.byColumn = grown;
    cells.count = count;
  }
  TXLSCellRef*& slot = cells.byColumn[index];
  if (slot) return slot;

  // The format comes from the row or column record as they were before the
  // cell existed; only then is the row's record created.
  TXLSRowInfoList& rows = sheet_->RowInfo();
  TXLSRowInfo* info = rows.Find(row);
  const int32_t format = sheet_->FormatWithoutCell(info, column);
  if (!info) info = rows.Get(row);
  slot = arena_.New();
  slot->Row = static_cast<uint16_t>(row);
  slot->Column = static_cast<uint8_t>(column);
  if (format > 0) {
    slot->FormatIndex = format;
    sheet_->Workbook()->Formats().MoveReference(0, format);
  }
  ++cellCount_;

  if (!hasCells_) {
    hasCells_ = true;
    firstRow_ = lastRow_ = row;
    firstColumn_ = lastColumn_ = column;
  } else {
    if (row < firstRow_) firstRow_ = row;
    if (row > lastRow_) lastRow_ = row;
    if (column < firstColumn_) firstColumn_ = column;
    if (column > lastColumn_) lastColumn_ = column;
  }
  if (info->FirstUsedColumn < 0 || column < info->FirstUsedColumn) info->FirstUsedColumn = column;
  if (column > info->LastUsedColumn) info->LastUsedColumn = column;
  return slot;
}

void TXLSCellHeap::DeleteCell(int32_t row, int32_t column) {
  TXLSCellRef** slot = Slot(row, column);
  if (!slot || !*slot) return;
  TXLSCellRef& cell = **slot;
  if (cell.Merged) DissolveMergedArea(&cell);
  TXLSWorkbook* book = sheet_->Workbook();
  if (cell.Kind == ckString && book->HasStringTable()) book->StringTable().ReleaseString(cell.StringIndex);
  // The cell's format use goes with it, so that use counts keep matching
  // the cells that hold each format.
  book->Formats().MoveReference(cell.FormatIndex, 0);
  arena_.Delete(*slot);
  *slot = nullptr;
  --cellCount_;
}

void TXLSCellHeap::DissolveMergedArea(TXLSCellRef* cell) {
  if (!cell || !cell->Merged) return;
  TXLSCellRef* owner = cell->MergeOwner() ? cell->MergeOwner() : cell;
  const int32_t rows = owner->MergeRows() > 0 ? owner->MergeRows() : 1;
  const int32_t columns = owner->MergeColumns() > 0 ? owner->MergeColumns() : 1;
  const int32_t top = owner->Row;
  const int32_t left = owner->Column;
  for (int32_t r = top; r < top + rows && r <= kXLSMaxRow; ++r) {
    for (int32_t c = left; c < left + columns && c <= kXLSMaxColumn; ++c) {
      TXLSCellRef* member = FindCell(r, c);
      if (!member || member == owner || member->MergeOwner() != owner) continue;
      member->Merged = false;
      member->ClearMerge();
    }
  }
  owner->Merged = false;
  owner->ClearMerge();
  // A cell whose owner pointer was stale still must not stay merged.
  cell->Merged = false;
  cell->ClearMerge();
}

bool TXLSCellHeap::MergedAreaOf(const TXLSCellRef* cell, int32_t& top, int32_t& left, int32_t& bottom,
                                int32_t& right) const {
  if (!cell || !cell->Merged || !cell->MergeOwner()) return false;
  const TXLSCellRef* owner = cell->MergeOwner();
  top = owner->Row;
  left = owner->Column;
  bottom = top + (owner->MergeRows() > 0 ? owner->MergeRows() : 1) - 1;
  right = left + (owner->MergeColumns() > 0 ? owner->MergeColumns() : 1) - 1;
  return true;
}

}  // namespace lx
