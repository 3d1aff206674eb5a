#include "lxDrawingObjects.h"

#include <memory>

namespace lx {

// Only this layer makes the objects the model holds, so the model's base
// pointers always point at these classes.

TXLSDrawingObjects& DrawingObjects(IXLSWorksheet& sheet) {
  if (!sheet.SheetObjects()) sheet.SetSheetObjects(std::make_unique<TXLSDrawingObjects>(sheet));
  return *static_cast<TXLSDrawingObjects*>(sheet.SheetObjects());
}

TXLSDrawingObjects* FindDrawingObjects(const IXLSWorksheet& sheet) {
  return static_cast<TXLSDrawingObjects*>(sheet.SheetObjects());
}

TXLSDrawingBookObjects& DrawingBookObjects(TXLSWorkbook& book) {
  if (!book.BookObjects()) book.SetBookObjects(std::make_unique<TXLSDrawingBookObjects>(book));
  return *static_cast<TXLSDrawingBookObjects*>(book.BookObjects());
}

TXLSDrawingBookObjects* FindDrawingBookObjects(const TXLSWorkbook& book) {
  return static_cast<TXLSDrawingBookObjects*>(book.BookObjects());
}

}  // namespace lx
