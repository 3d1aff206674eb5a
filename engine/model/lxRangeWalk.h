// Walks over the existing cells of a rectangle, shared by the range sources.
//
// The walk is limited to the part of the rectangle inside the cell store's
// bounds, so operations on whole rows, whole columns or the whole sheet cost
// what the used area costs, not what the sheet's size would.
#pragma once

#include <algorithm>
#include <cstdint>

#include "lxCellHeap.h"

namespace lx {

template <class F>
void ForExistingCells(const TXLSCellHeap& cells, int32_t top, int32_t left, int32_t bottom, int32_t right, F&& f) {
  if (cells.Empty()) return;
  top = std::max(top, cells.FirstRow());
  bottom = std::min(bottom, cells.LastRow());
  left = std::max(left, cells.FirstColumn());
  right = std::min(right, cells.LastColumn());
  for (int32_t r = top; r <= bottom; ++r)
    for (int32_t c = left; c <= right; ++c)
      if (TXLSCellRef* cell = cells.FindCell(r, c)) f(*cell);
}

}  // namespace lx
