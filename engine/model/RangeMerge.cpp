// Ranges: merged areas.
//
// A merged area lives in its cells: each has the merged flag and points to
// the area's top-left cell, which holds the area's size.
#include <algorithm>

#include "lxRange.h"
#include "lxRangeWalk.h"

namespace lx {

namespace {

bool AcrossFlag(const TVariant& across) {
  if (across.VarType() == varBoolean) return across.ToBool();
  if (across.IsNumeric()) return across.ToDouble() > 0;
  return false;
}

}  // namespace

void TXLSRange::Merge(const TVariant& across) {
  const bool byRow = AcrossFlag(across);
  ExpandToMergedAreas();
  // One cell (or one column merged row by row) is no area.
  if (ColumnCount() == 1 && (byRow || RowCount() == 1)) return;
  TXLSCellHeap& cells = sheet_->CellHeap();
  // Areas inside the rectangle give way to the new one.
  ForExistingCells(cells, firstRow_, firstColumn_, lastRow_, lastColumn_, [&](TXLSCellRef& cell) {
    if (cell.Merged) cells.DissolveMergedArea(&cell);
  });
  for (int32_t r = firstRow_; r <= lastRow_; ++r) {
    TXLSCellRef* owner = cells.GetCell(byRow ? r : firstRow_, firstColumn_);
    for (int32_t c = firstColumn_; c <= lastColumn_; ++c) {
      TXLSCellRef* cell = cells.GetCell(r, c);
      if (cell == owner) {
        cell->SetMergeSize(byRow ? 1 : RowCount(), static_cast<uint16_t>(ColumnCount()));
      } else {
        sheet_->SetCellValue(cell, TVariant::Null());
      }
      cell->SetMergeOwner(owner);
      cell->Merged = true;
    }
  }
}

void TXLSRange::UnMerge() {
  TXLSCellHeap& cells = sheet_->CellHeap();
  ForExistingCells(cells, firstRow_, firstColumn_, lastRow_, lastColumn_, [&](TXLSCellRef& cell) {
    if (cell.Merged) cells.DissolveMergedArea(&cell);
  });
}

bool TXLSRange::MergeCells() {
  const TXLSCellHeap& cells = sheet_->CellHeap();
  const TXLSCellRef* cell = cells.FindCell(firstRow_, firstColumn_);
  int32_t top, left, bottom, right;
  if (!cells.MergedAreaOf(cell, top, left, bottom, right)) return false;
  return firstRow_ >= top && lastRow_ <= bottom && firstColumn_ >= left && lastColumn_ <= right;
}

void TXLSRange::SetMergeCells(bool value) {
  if (value)
    Merge(TVariant(false));
  else
    UnMerge();
}

XLSPtr<IXLSRange> TXLSRange::MergeArea() {
  if (!MergeCells()) return XLSPtr<IXLSRange>(this);
  int32_t top, left, bottom, right;
  const TXLSCellHeap& cells = sheet_->CellHeap();
  cells.MergedAreaOf(cells.FindCell(firstRow_, firstColumn_), top, left, bottom, right);
  return Create(sheet_, top, left, bottom, right);
}

void TXLSRange::ExpandToMergedAreas() {
  const TXLSCellHeap& cells = sheet_->CellHeap();
  if (cells.Empty()) return;
  bool changed = true;
  while (changed) {
    changed = false;
    int32_t top, left, bottom, right;
    const int32_t rowFrom = std::max(firstRow_, cells.FirstRow());
    const int32_t rowTo = std::min(lastRow_, cells.LastRow());
    for (int32_t r = rowFrom; r <= rowTo; ++r) {
      for (int32_t c : {firstColumn_, lastColumn_}) {
        if (!cells.MergedAreaOf(cells.FindCell(r, c), top, left, bottom, right)) continue;
        if (left < firstColumn_) firstColumn_ = left, changed = true;
        if (right > lastColumn_) lastColumn_ = std::min(right, kXLSMaxColumn), changed = true;
      }
    }
    const int32_t columnFrom = std::max(firstColumn_, cells.FirstColumn());
    const int32_t columnTo = std::min(lastColumn_, cells.LastColumn());
    for (int32_t c = columnFrom; c <= columnTo; ++c) {
      for (int32_t r : {firstRow_, lastRow_}) {
        if (!cells.MergedAreaOf(cells.FindCell(r, c), top, left, bottom, right)) continue;
        if (top < firstRow_) firstRow_ = top, changed = true;
        if (bottom > lastRow_) lastRow_ = std::min(bottom, kXLSMaxRow), changed = true;
      }
    }
  }
}

void TXLSRange::ShrinkToWholeMergedAreas() {
  const TXLSCellHeap& cells = sheet_->CellHeap();
  if (cells.Empty()) return;
  int32_t r1 = firstRow_, r2 = lastRow_, c1 = firstColumn_, c2 = lastColumn_;
  bool changed = true;
  while (changed && r1 <= r2 && c1 <= c2) {
    changed = false;
    int32_t top, left, bottom, right;
    for (int32_t r = std::max(r1, cells.FirstRow()); r <= std::min(r2, cells.LastRow()) && c1 <= c2; ++r) {
      if (cells.MergedAreaOf(cells.FindCell(r, c1), top, left, bottom, right) && left < c1)
        c1 = right + 1, changed = true;
      if (c1 <= c2 && cells.MergedAreaOf(cells.FindCell(r, c2), top, left, bottom, right) && right > c2 && left >= c1)
        c2 = left - 1, changed = true;
    }
    for (int32_t c = std::max(c1, cells.FirstColumn()); c <= std::min(c2, cells.LastColumn()) && r1 <= r2; ++c) {
      if (cells.MergedAreaOf(cells.FindCell(r1, c), top, left, bottom, right) && top < r1)
        r1 = bottom + 1, changed = true;
      if (r1 <= r2 && cells.MergedAreaOf(cells.FindCell(r2, c), top, left, bottom, right) && bottom > r2 && top >= r1)
        r2 = top - 1, changed = true;
    }
  }
  if (r1 > r2 || c1 > c2) return;
  firstRow_ = r1;
  lastRow_ = r2;
  firstColumn_ = c1;
  lastColumn_ = c2;
}

void TXLSRange::DissolveCrossingAreas(int32_t top, int32_t left, int32_t bottom, int32_t right) {
  TXLSCellHeap& cells = sheet_->CellHeap();
  if (cells.Empty()) return;
  auto check = [&](int32_t r, int32_t c) {
    TXLSCellRef* cell = cells.FindCell(r, c);
    int32_t t, l, b, rt;
    if (!cells.MergedAreaOf(cell, t, l, b, rt)) return;
    if (t < top || l < left || b > bottom || rt > right) cells.DissolveMergedArea(cell);
  };
  for (int32_t r = std::max(top, cells.FirstRow()); r <= std::min(bottom, cells.LastRow()); ++r) {
    check(r, left);
    check(r, right);
  }
  for (int32_t c = std::max(left, cells.FirstColumn()); c <= std::min(right, cells.LastColumn()); ++c) {
    check(top, c);
    check(bottom, c);
  }
}

}  // namespace lx
