// The drawing objects' part that keeps conditional formats, validations and
// the autofilter in step with the sheet's range operations.
#include "lxDrawingObjects.h"

namespace lx {

void TXLSDrawingObjects::ClearArea(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) {
  const TXLSAreaBounds cut{firstRow, firstColumn, lastColumn, lastRow};
  condFormatter_.ClearArea(cut);
  dataValidator_.ClearArea(cut);
  comments_.DeleteComments(firstRow, firstColumn, lastColumn, lastRow);
}

void TXLSDrawingObjects::ShiftArea(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow,
                                   int32_t rowOffset, int32_t columnOffset) {
  const TXLSAreaBounds block{firstRow, firstColumn, lastColumn, lastRow};
  condFormatter_.ShiftArea(block, rowOffset, columnOffset);
  dataValidator_.ShiftArea(block, rowOffset, columnOffset);
  comments_.ShiftComments(firstRow, firstColumn, lastColumn, lastRow, rowOffset, columnOffset);
}

void TXLSDrawingObjects::AutoFilter(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) {
  if (autofilter_.Valid())
    autofilter_.Remove();
  else
    autofilter_.Create(firstRow + 1, firstColumn + 1, lastColumn + 1, lastRow + 1);
}

int32_t TXLSDrawingObjects::AddAutoFilterArrow(int32_t row, int32_t column) {
  return drawing_.AddAutoFilterArrow(static_cast<uint16_t>(row), static_cast<uint16_t>(column)).ObjectId();
}

void TXLSDrawingObjects::RemoveAutoFilterArrow(int32_t arrow) {
  if (const TMsoShapeContainer* shape = drawing_.FindObject(static_cast<uint16_t>(arrow))) drawing_.RemoveShape(shape);
}

const TXLSAutofilter* ValidAutofilter(IXLSWorksheet& sheet) {
  if (!sheet.SheetObjects()) return nullptr;
  const TXLSAutofilter& filter = DrawingObjects(sheet).Autofilter();
  return filter.Valid() ? &filter : nullptr;
}

}  // namespace lx
