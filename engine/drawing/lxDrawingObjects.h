// The objects of a worksheet that live above the cell model: conditional
// formats, data validation and the autofilter. The sheet owns one
// TXLSDrawingObjects through the model's TXLSSheetObjects base, whose hooks
// the range operations call.
#pragma once

#include <cstdint>

#include "lxCondFormat.h"
#include "lxDataCheck.h"
#include "lxFilter.h"
#include "lxSheetObjects.h"

namespace lx {

class IXLSWorksheet;

class TXLSDrawingObjects final : public TXLSSheetObjects {
 public:
  TCondFormatter& CondFormatter() { return condFormatter_; }
  TDataValidator& DataValidator() { return dataValidator_; }
  TXLSAutofilter& Autofilter() { return autofilter_; }

  // Cleared cells take their conditional formats and validations with them.
  void ClearArea(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) override;
  // Inserted and deleted cells move the conditional formats and validations
  // of the moved block.
  void ShiftArea(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow, int32_t rowOffset,
                 int32_t columnOffset) override;
  // A range's AutoFilter: removes the sheet's filter, or makes one over the
  // range when there is none.
  void AutoFilter(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) override;

 private:
  TCondFormatter condFormatter_;
  TDataValidator dataValidator_;
  TXLSAutofilter autofilter_;
};

// The sheet's objects, installed when it has none.
TXLSDrawingObjects& DrawingObjects(IXLSWorksheet& sheet);

}  // namespace lx
