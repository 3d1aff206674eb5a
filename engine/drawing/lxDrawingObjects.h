// The drawing layer's objects of a worksheet and of a workbook: what the
// model holds through TXLSSheetObjects and TXLSBookObjects (lxSheetObjects.h),
// and what the writers and the reader reach through DrawingObjects and
// DrawingBookObjects.
#pragma once

#include "lxHandle.h"
#include "lxSheetObjects.h"

namespace lx {

// One worksheet's shapes, comments, rules and filter.
class TXLSDrawingObjects final : public TXLSSheetObjects {
 public:
  // sheet is not owned; it owns these objects.
  explicit TXLSDrawingObjects(IXLSWorksheet& sheet) : sheet_(sheet) {}

  IXLSWorksheet& Sheet() const { return sheet_; }

 private:
  IXLSWorksheet& sheet_;
};

// One workbook's drawing objects.
class TXLSDrawingBookObjects final : public TXLSBookObjects {
 public:
  // book is not owned; it owns these objects.
  explicit TXLSDrawingBookObjects(TXLSWorkbook& book) : book_(book) {}

  TXLSWorkbook& Book() const { return book_; }

 private:
  TXLSWorkbook& book_;
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
