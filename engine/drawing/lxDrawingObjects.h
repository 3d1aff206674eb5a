// The drawing layer's objects of a worksheet and of a workbook: what the
// model holds through TXLSSheetObjects and TXLSBookObjects (lxSheetObjects.h),
// and what the writers and the reader reach through DrawingObjects and
// DrawingBookObjects.
#pragma once

#include "lxComments.h"
#include "lxDraw.h"
#include "lxHandle.h"
#include "lxSheetObjects.h"

namespace lx {

// One worksheet's shapes, comments, rules and filter.
class TXLSDrawingObjects final : public TXLSSheetObjects {
 public:
  // sheet is not owned; it owns these objects.
  explicit TXLSDrawingObjects(IXLSWorksheet& sheet);

  IXLSWorksheet& Sheet() const { return sheet_; }
  // The sheet's drawing: its shapes (comments, pictures, charts, controls).
  TMsoDrawing& Drawing() { return drawing_; }
  // The sheet's comments, over the drawing's comment boxes.
  TXLSComments& Comments() { return comments_; }

  void ClearArea(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) override;
  void ShiftArea(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow, int32_t rowOffset,
                 int32_t columnOffset) override;
  IXLSComment* GetOrAddComment(int32_t row, int32_t column) override;
  IXLSComment* FindComment(int32_t row, int32_t column) override;
  void DeleteComments(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) override;
  std::vector<TCommentCopy> CommentsIn(int32_t firstRow, int32_t firstColumn, int32_t lastColumn,
                                       int32_t lastRow) override;

 private:
  IXLSWorksheet& sheet_;
  TMsoDrawing drawing_;
  // After the drawing: the comments go first, letting go of its boxes.
  TXLSComments comments_{drawing_};
};

// One workbook's drawing objects.
class TXLSDrawingBookObjects final : public TXLSBookObjects {
 public:
  // book is not owned; it owns these objects.
  explicit TXLSDrawingBookObjects(TXLSWorkbook& book) : book_(book) {}

  TXLSWorkbook& Book() const { return book_; }
  // The workbook's drawing group: identifier clusters and picture store.
  TMSODrawingGroup& DrawingGroup() { return drawingGroup_; }

 private:
  TXLSWorkbook& book_;
  TMSODrawingGroup drawingGroup_;
};

// The sheet's objects, made and given to the sheet when it has none.
TXLSDrawingObjects& DrawingObjects(IXLSWorksheet& sheet);
// The sheet's objects, or null while it has none.
TXLSDrawingObjects* FindDrawingObjects(const IXLSWorksheet& sheet);
// The workbook's objects, made and given to the workbook when it has none.
TXLSDrawingBookObjects& DrawingBookObjects(TXLSWorkbook& book);
// The workbook's objects, or null while it has none.
TXLSDrawingBookObjects* FindDrawingBookObjects(const TXLSWorkbook& book);

}  // namespace lx
