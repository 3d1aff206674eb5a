// The drawing layer's objects of a worksheet and of a workbook: what the
// model holds through TXLSSheetObjects and TXLSBookObjects (lxSheetObjects.h),
// and what the writers and the reader reach through DrawingObjects and
// DrawingBookObjects.
#pragma once

#include "lxCondFormat.h"
#include "lxDataCheck.h"
#include "lxFilter.h"
#include "lxHandle.h"
#include "lxSheetObjects.h"

namespace lx {

// One worksheet's shapes, comments, rules and filter.
class TXLSDrawingObjects final : public TXLSSheetObjects {
 public:
  // sheet is not owned; it owns these objects.
  explicit TXLSDrawingObjects(IXLSWorksheet& sheet) : sheet_(sheet) {}

  IXLSWorksheet& Sheet() const { return sheet_; }

  // Conditional formats, data validation and the autofilter (lxCondFormat.h,
  // lxDataCheck.h, lxFilter.h).
  TCondFormatter& CondFormatter() { return condFormatter_; }
  TDataValidator& DataValidator() { return dataValidator_; }
  TXLSAutofilter& Autofilter() { return autofilter_; }

  // Cleared cells take their conditional formats and validations with them;
  // moved cells move them.
  void ClearArea(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) override;
  void ShiftArea(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow, int32_t rowOffset,
                 int32_t columnOffset) override;
  // Removes the sheet's filter, or makes one over the rectangle.
  void AutoFilter(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) override;

 private:
  IXLSWorksheet& sheet_;
  TCondFormatter condFormatter_;
  TDataValidator dataValidator_;
  TXLSAutofilter autofilter_;
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
