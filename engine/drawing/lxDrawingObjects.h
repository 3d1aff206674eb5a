// The drawing layer's objects of a worksheet and of a workbook: what the
// model holds through TXLSSheetObjects and TXLSBookObjects (lxSheetObjects.h),
// and what the writers and the reader reach through DrawingObjects and
// DrawingBookObjects.
#pragma once

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
  // The chart of a chart sheet read from a file: the sheet is written as
  // that chart in a BIFF8 save. Null for a worksheet.
  const TXLSCustomChart* ChartSheet() const { return chartSheet_.get(); }
  void SetChartSheet(std::unique_ptr<TXLSCustomChart> chart) { chartSheet_ = std::move(chart); }

 private:
  IXLSWorksheet& sheet_;
  TMsoDrawing drawing_;
  std::unique_ptr<TXLSCustomChart> chartSheet_;
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
