// Syntax tree nodes: ownership, height and copying with a shift.
#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "lxFormula.h"

namespace lx {

TXLSSyntaxItem::~TXLSSyntaxItem() {
  // A work list instead of recursion: however deep the tree, freeing it
  // takes no more stack than one node.
  std::vector<std::unique_ptr<TXLSSyntaxItem>> pending = std::move(children_);
  while (!pending.empty()) {
    std::unique_ptr<TXLSSyntaxItem> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->children_) pending.push_back(std::move(child));
    node->children_.clear();
  }
}

void TXLSSyntaxItem::AddChild(std::unique_ptr<TXLSSyntaxItem> child) {
  child->parent_ = this;
  height_ = std::max(height_, child->height_ + 1);
  children_.push_back(std::move(child));
}

std::unique_ptr<TXLSSyntaxItem> TXLSSyntaxItem::CopyWithOffset(int32_t rowOffset, int32_t columnOffset) const {
  auto copy = std::make_unique<TXLSSyntaxItem>(kind_);
  copy->text_ = text_;
  copy->number_ = number_;
  copy->value_ = value_;
  if (range_) {
    auto range = std::make_unique<TXLSRangeItem>(*range_);
    if (!range->relativeForm) {
      if (!range->firstRowAbsolute) range->firstRow += rowOffset;
      if (!range->firstColumnAbsolute) range->firstColumn += columnOffset;
      if (range->IsArea()) {
        if (!range->lastRowAbsolute) range->lastRow += rowOffset;
        if (!range->lastColumnAbsolute) range->lastColumn += columnOffset;
      }
    }
    if (!range->IsArea()) {
      range->lastRow = range->firstRow;
      range->lastRowAbsolute = range->firstRowAbsolute;
      range->lastColumn = range->firstColumn;
      range->lastColumnAbsolute = range->firstColumnAbsolute;
    }
    if (!range->relativeForm) {
      if (range->lastRow < range->firstRow) {
        std::swap(range->firstRow, range->lastRow);
        std::swap(range->firstRowAbsolute, range->lastRowAbsolute);
      }
      if (range->lastColumn < range->firstColumn) {
        std::swap(range->firstColumn, range->lastColumn);
        std::swap(range->firstColumnAbsolute, range->lastColumnAbsolute);
      }
    }
    copy->range_ = std::move(range);
  }
  // Trees reach here only from the parser and decoder, which bound their
  // height, so this recursion is bounded too.
  for (const auto& child : children_) copy->AddChild(child->CopyWithOffset(rowOffset, columnOffset));
  return copy;
}

}  // namespace lx
