// Walks over the existing cells of a rectangle, shared by the range sources,
// and the cache of format changes the formatting walks use.
//
// The walk is limited to the part of the rectangle inside the cell store's
// bounds, so operations on whole rows, whole columns or the whole sheet cost
// what the used area costs, not what the sheet's size would.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>

#include "lxCellHeap.h"

namespace lx {

// Calls f with every cell that exists in the 0-based rectangle, row by row.
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

// Remembers, during one format change over many cells, which format each
// old format became, so that each distinct old format is computed once and
// the other cells only move a use. While a change runs the format lists only
// grow, so the new index depends on the old index alone; a few pairs cover
// the formats of a block (a row of mixed columns has several). The walks
// forget the pairs wherever a row's or column's own format changes.
class TXLSChangeCache {
 public:
  // Forgets every pair.
  void Reset() { count_ = 0; }
  // The format old became, into result; false when old is not remembered.
  bool Find(int32_t old, int32_t& result) const {
    for (int i = 0; i < count_; ++i)
      if (old_[i] == old) {
        result = new_[i];
        return true;
      }
    return false;
  }
  // Remembers that old became result.
  void Remember(int32_t old, int32_t result) {
    // Full: the oldest pair gives way.
    const int at = count_ < kPairs ? count_++ : next_++ % kPairs;
    old_[at] = old;
    new_[at] = result;
  }

 private:
  static constexpr int kPairs = 8;
  std::array<int32_t, kPairs> old_{};
  std::array<int32_t, kPairs> new_{};
  int count_ = 0;
  int next_ = 0;
};

}  // namespace lx
