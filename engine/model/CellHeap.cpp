// The sparse cell store of a worksheet.
#include "lxCellHeap.h"
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

std::unique_ptr<TXLSCellRef>* TXLSCellHeap::Slot(int32_t row, int32_t column) const {
  if (row < 0 || row > kXLSMaxRow || column < 0 || column > kXLSMaxColumn) return nullptr;
  const auto& rowBlock = top_[row >> 8];
  if (!rowBlock) return nullptr;
  const auto& pair = (*rowBlock)[row & 0xFF];
  if (!pair) return nullptr;
  const auto& block = (*pair)[column >> 7];
  if (!block) return nullptr;
  return &(*block)[column & 0x7F];
}

TXLSCellRef* TXLSCellHeap::FindCell(int32_t row, int32_t column) const {
  std::unique_ptr<TXLSCellRef>* slot = Slot(row, column);
  return slot ? slot->get() : nullptr;
}

TXLSCellRef* TXLSCellHeap::GetCell(int32_t row, int32_t column) {
  if (row < 0 || row > kXLSMaxRow || column < 0 || column > kXLSMaxColumn) return nullptr;
  auto& rowBlock = top_[row >> 8];
  if (!rowBlock) rowBlock = std::make_unique<TRowBlock>();
  auto& pair = (*rowBlock)[row & 0xFF];
  if (!pair) pair = std::make_unique<TColumnPair>();
  auto& block = (*pair)[column >> 7];
  if (!block) block = std::make_unique<TColumnBlock>();
  auto& slot = (*block)[column & 0x7F];
  if (slot) return slot.get();

  // The effective format is read before the cell exists, so that it comes
  // from the row or column record.
  const int32_t format = sheet_->EffectiveFormat(row, column);
  slot = std::make_unique<TXLSCellRef>();
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
  if (TXLSRowInfo* info = sheet_->RowInfo().Get(row)) {
    if (info->FirstUsedColumn < 0 || column < info->FirstUsedColumn) info->FirstUsedColumn = column;
    if (column > info->LastUsedColumn) info->LastUsedColumn = column;
  }
  return slot.get();
}

void TXLSCellHeap::DeleteCell(int32_t row, int32_t column) {
  std::unique_ptr<TXLSCellRef>* slot = Slot(row, column);
  if (!slot || !*slot) return;
  TXLSCellRef& cell = **slot;
  if (cell.Merged) DissolveMergedArea(&cell);
  TXLSWorkbook* book = sheet_->Workbook();
  if (cell.Kind == ckString && book->HasStringTable()) book->StringTable().ReleaseString(cell.StringIndex);
  // The cell's format use goes with it, so that use counts keep matching
  // the cells that hold each format.
  book->Formats().MoveReference(cell.FormatIndex, 0);
  slot->reset();
  --cellCount_;
}

void TXLSCellHeap::DissolveMergedArea(TXLSCellRef* cell) {
  if (!cell || !cell->Merged) return;
  TXLSCellRef* owner = cell->MergeOwner ? cell->MergeOwner : cell;
  const int32_t rows = owner->MergeRows > 0 ? owner->MergeRows : 1;
  const int32_t columns = owner->MergeColumns > 0 ? owner->MergeColumns : 1;
  const int32_t top = owner->Row;
  const int32_t left = owner->Column;
  for (int32_t r = top; r < top + rows && r <= kXLSMaxRow; ++r) {
    for (int32_t c = left; c < left + columns && c <= kXLSMaxColumn; ++c) {
      TXLSCellRef* member = FindCell(r, c);
      if (!member || member->MergeOwner != owner) continue;
      member->Merged = false;
      member->MergeOwner = nullptr;
      member->MergeRows = 0;
      member->MergeColumns = 0;
    }
  }
  owner->Merged = false;
  owner->MergeOwner = nullptr;
  owner->MergeRows = 0;
  owner->MergeColumns = 0;
  // A cell whose owner pointer was stale still must not stay merged.
  cell->Merged = false;
  cell->MergeOwner = nullptr;
}

bool TXLSCellHeap::MergedAreaOf(const TXLSCellRef* cell, int32_t& top, int32_t& left, int32_t& bottom,
                                int32_t& right) const {
  if (!cell || !cell->Merged || !cell->MergeOwner) return false;
  const TXLSCellRef* owner = cell->MergeOwner;
  top = owner->Row;
  left = owner->Column;
  bottom = top + (owner->MergeRows > 0 ? owner->MergeRows : 1) - 1;
  right = left + (owner->MergeColumns > 0 ? owner->MergeColumns : 1) - 1;
  return true;
}

}  // namespace lx
