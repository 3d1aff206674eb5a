// Cell comments over a sheet drawing.
//
// A comment is a comment box of the sheet's drawing (lxDraw.h): a text-box
// shape that carries the text, the cell and the author. TXLSComments keeps
// the sheet's comments in creation order with a lookup by cell, so a cell
// has at most one; the range reaches them through the sheet's objects
// (lxSheetObjects.h). Comment boxes that the reader adds to the drawing are
// taken over when the collection is next used.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "lxHandle.h"
#include "lxObject.h"

namespace lx {

class TMsoDrawing;
class TMsoShapeContainer;

// One comment. It wraps its comment box, which the sheet drawing owns; once
// the comment is deleted it wraps nothing, so a caller still holding it reads
// an empty comment at row and column -1.
class TXLSComment final : public TXLSInterfaced<IXLSComment> {
 public:
  explicit TXLSComment(TMsoShapeContainer* box) : box_(box) {}

  WideString Text() override;
  void SetText(const WideString& text) override;
  int32_t Row() override;
  int32_t Column() override;
  WideString Author() override;

  TMsoShapeContainer* Box() const { return box_; }
  void Detach() { box_ = nullptr; }

 private:
  TMsoShapeContainer* box_;  // not owned; null once deleted
};

// The comments of one sheet drawing.
class TXLSComments {
 public:
  // drawing is not owned; it outlives the collection.
  explicit TXLSComments(TMsoDrawing& drawing) : drawing_(drawing) {}
  TXLSComments(const TXLSComments&) = delete;
  TXLSComments& operator=(const TXLSComments&) = delete;
  ~TXLSComments();

  // The comment of a cell, made with a new comment box when missing.
  TXLSComment& GetOrAddComment(uint16_t row, uint16_t column);
  // The comment of a cell, or null.
  TXLSComment* FindComment(uint16_t row, uint16_t column);
  // Removes every comment whose cell lies in the rectangle (bounds
  // included), and its comment box. -1 leaves a side unbounded.
  void DeleteComments(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow);
  // The comments of the block move by the offsets; those pushed off the
  // sheet are deleted, and those landing on a cell that keeps its own
  // comment replace it.
  void ShiftComments(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow, int32_t rowOffset,
                     int32_t columnOffset);

  size_t Count();
  // 1-based, in creation order.
  TXLSComment& Item(size_t index);

 private:
  static uint32_t Key(uint32_t row, uint32_t column) { return row << 16 | column; }
  // Takes over the comment boxes the drawing gained from elsewhere (the
  // reader) since the collection last looked.
  void Adopt();
  void Remove(size_t index);

  TMsoDrawing& drawing_;
  // The drawing's shape count when the collection last looked.
  size_t seen_ = 0;
  std::vector<XLSPtr<TXLSComment>> items_;
  std::map<uint32_t, TXLSComment*> byCell_;
};

}  // namespace lx
