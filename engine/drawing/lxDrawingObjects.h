// The drawing layer's objects of a worksheet and of a workbook: what the
// model holds through TXLSSheetObjects and TXLSBookObjects (lxSheetObjects.h),
// and what the writers and the reader reach through DrawingObjects and
// DrawingBookObjects.
#pragma once

#include "lxComments.h"
#include "lxCondFormat.h"
#include "lxDataCheck.h"
#include "lxDraw.h"
#include "lxFilter.h"
#include "lxHandle.h"
#include "lxPictures.h"
#include "lxSheetObjects.h"

namespace lx {

// One worksheet's shapes, comments, rules and filter. The filter's
// drop-down arrows are combo boxes of the sheet's drawing.
class TXLSDrawingObjects final : public TXLSSheetObjects, public TXLSAutofilterArrows {
 public:
  // sheet is not owned; it owns these objects.
  explicit TXLSDrawingObjects(IXLSWorksheet& sheet);

  IXLSWorksheet& Sheet() const { return sheet_; }
  // The sheet's drawing: its shapes (comments, pictures, charts, controls).
  TMsoDrawing& Drawing() { return drawing_; }
  // The chart of a chart sheet read from a file: the sheet is written as
  // that chart in a BIFF8 save. Null for a worksheet.
  const TXLSCustomChart* ChartSheet() const { return chartSheet_.get(); }
  void SetChartSheet(std::unique_ptr<TXLSCustomChart> chart) { chartSheet_ = std::move(chart); }
  // Ends the reading of the sheet's drawing and lists its pictures.
  void FinishDrawingRead();
  // The sheet's pictures, over the drawing's picture frames.
  TXLSShapes& Pictures() { return pictures_; }
  // The sheet's comments, over the drawing's comment boxes.
  TXLSComments& Comments() { return comments_; }
  IXLSComment* GetOrAddComment(int32_t row, int32_t column) override;
  IXLSComment* FindComment(int32_t row, int32_t column) override;
  void DeleteComments(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) override;
  std::vector<TCommentCopy> CommentsIn(int32_t firstRow, int32_t firstColumn, int32_t lastColumn,
                                       int32_t lastRow) override;

  // Conditional formats, data validation and the autofilter (lxCondFormat.h,
  // lxDataCheck.h, lxFilter.h).
  TCondFormatter& CondFormatter() { return condFormatter_; }
  TDataValidator& DataValidator() { return dataValidator_; }
  TXLSAutofilter& Autofilter() { return autofilter_; }

  // Cleared cells take their comments, conditional formats and validations
  // with them; moved cells move them.
  void ClearArea(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) override;
  void ShiftArea(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow, int32_t rowOffset,
                 int32_t columnOffset) override;
  // Removes the sheet's filter, or makes one over the rectangle.
  void AutoFilter(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) override;
  // The filter's arrows, numbered by their object identifiers.
  int32_t AddAutoFilterArrow(int32_t row, int32_t column) override;
  void RemoveAutoFilterArrow(int32_t arrow) override;

 private:
  IXLSWorksheet& sheet_;
  TMsoDrawing drawing_;
  TCondFormatter condFormatter_;
  TDataValidator dataValidator_;
  TXLSAutofilter autofilter_;
  std::unique_ptr<TXLSCustomChart> chartSheet_;
  TXLSShapes pictures_{drawing_};
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
// The chart of a chart sheet, or null when the sheet is a worksheet.
const TXLSCustomChart* ChartSheetOf(const IXLSWorksheet& sheet);
// The chart a save writes for the sheet instead of its cells: only a BIFF8
// save of a chart read from a BIFF8 file, the one version its records are
// in. Null otherwise: the sheet is then written as an (empty) worksheet.
const TXLSCustomChart* ChartSheetToWrite(const IXLSWorksheet& sheet, bool biff8);
// The workbook's objects, made and given to the workbook when it has none.
TXLSDrawingBookObjects& DrawingBookObjects(TXLSWorkbook& book);
// The workbook's objects, or null while it has none.
TXLSDrawingBookObjects* FindDrawingBookObjects(const TXLSWorkbook& book);

}  // namespace lx
