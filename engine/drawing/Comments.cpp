#include <algorithm>
#include <set>

#include "lxCellHeap.h"
#include "lxComments.h"
#include "lxDraw.h"

namespace lx {

namespace {

bool InRect(int32_t row, int32_t column, int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) {
  return row >= firstRow && column >= firstColumn && (lastRow < 0 || row <= lastRow) &&
         (lastColumn < 0 || column <= lastColumn);
}

// Moves a read anchor's cells by the offsets, keeping it on the sheet.
void ShiftAnchor(TMsoFbtClientAnchor& anchor, int32_t rowOffset, int32_t columnOffset) {
  auto move = [](uint16_t& at, int32_t by, int32_t max) { at = static_cast<uint16_t>(std::clamp(at + by, 0, max)); };
  move(anchor.FirstRow, rowOffset, kXLSMaxRow);
  move(anchor.LastRow, rowOffset, kXLSMaxRow);
  move(anchor.FirstColumn, columnOffset, kXLSMaxColumn);
  move(anchor.LastColumn, columnOffset, kXLSMaxColumn);
}

}  // namespace

WideString TXLSComment::Text() { return box_ ? box_->Text() : WideString(); }

void TXLSComment::SetText(const WideString& text) {
  if (box_) box_->SetText(text);
}

int32_t TXLSComment::Row() { return box_ ? box_->Row() : -1; }

int32_t TXLSComment::Column() { return box_ ? box_->Column() : -1; }

WideString TXLSComment::Author() { return box_ ? box_->Author() : WideString(); }

TXLSComments::~TXLSComments() {
  for (auto& item : items_) item->Detach();
}

void TXLSComments::Adopt() {
  if (drawing_.Count() == seen_) return;
  std::set<const TMsoShapeContainer*> wrapped;
  for (const auto& item : items_) wrapped.insert(item->Box());
  seen_ = drawing_.Count();
  for (size_t i = 0; i < drawing_.Count(); ++i) {
    TMsoShapeContainer& shape = drawing_.Item(i);
    if (!shape.IsComment() || wrapped.count(&shape)) continue;
    items_.push_back(MakeXLS<TXLSComment>(&shape));
    // A file naming one cell twice: the later comment is the cell's.
    byCell_[Key(shape.Row(), shape.Column())] = items_.back().Get();
  }
}

TXLSComment& TXLSComments::GetOrAddComment(uint16_t row, uint16_t column) {
  if (TXLSComment* found = FindComment(row, column)) return *found;
  items_.push_back(MakeXLS<TXLSComment>(&drawing_.AddCommentBox(row, column)));
  seen_ = drawing_.Count();
  byCell_[Key(row, column)] = items_.back().Get();
  return *items_.back();
}

TXLSComment* TXLSComments::FindComment(uint16_t row, uint16_t column) {
  Adopt();
  const auto found = byCell_.find(Key(row, column));
  return found == byCell_.end() ? nullptr : found->second;
}

void TXLSComments::Remove(size_t index) {
  TXLSComment& comment = *items_[index];
  TMsoShapeContainer* box = comment.Box();
  const auto found = byCell_.find(Key(box->Row(), box->Column()));
  if (found != byCell_.end() && found->second == &comment) byCell_.erase(found);
  comment.Detach();
  drawing_.RemoveShape(box);
  seen_ = drawing_.Count();
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TXLSComments::DeleteComments(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) {
  Adopt();
  for (size_t i = items_.size(); i-- > 0;) {
    const TMsoShapeContainer& box = *items_[i]->Box();
    if (InRect(box.Row(), box.Column(), firstRow, firstColumn, lastColumn, lastRow)) Remove(i);
  }
}

void TXLSComments::ShiftComments(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow,
                                 int32_t rowOffset, int32_t columnOffset) {
  Adopt();
  std::vector<TXLSComment*> moving;
  for (size_t i = items_.size(); i-- > 0;) {
    TMsoShapeContainer& box = *items_[i]->Box();
    if (!InRect(box.Row(), box.Column(), firstRow, firstColumn, lastColumn, lastRow)) continue;
    const int32_t row = box.Row() + rowOffset, column = box.Column() + columnOffset;
    if (row < 0 || row > kXLSMaxRow || column < 0 || column > kXLSMaxColumn) {
      Remove(i);
      continue;
    }
    const auto found = byCell_.find(Key(box.Row(), box.Column()));
    if (found != byCell_.end() && found->second == items_[i].Get()) byCell_.erase(found);
    moving.push_back(items_[i].Get());
  }
  for (TXLSComment* comment : moving) {
    TMsoShapeContainer& box = *comment->Box();
    box.SetCell(static_cast<uint16_t>(box.Row() + rowOffset), static_cast<uint16_t>(box.Column() + columnOffset));
    // Boxes read from a file keep their anchors; they travel with the cell.
    if (box.Width() == 0) ShiftAnchor(box.Anchor(), rowOffset, columnOffset);
  }
  for (TXLSComment* comment : moving) {
    const uint32_t key = Key(comment->Box()->Row(), comment->Box()->Column());
    const auto found = byCell_.find(key);
    if (found != byCell_.end() && found->second != comment) {
      const auto at =
          std::find_if(items_.begin(), items_.end(), [&](const auto& item) { return item.Get() == found->second; });
      if (at != items_.end()) Remove(static_cast<size_t>(at - items_.begin()));
    }
    byCell_[key] = comment;
  }
}

size_t TXLSComments::Count() {
  Adopt();
  return items_.size();
}

TXLSComment& TXLSComments::Item(size_t index) {
  Adopt();
  return *items_.at(index - 1);
}

}  // namespace lx
