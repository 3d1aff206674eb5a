#include "lxDrawingObjects.h"

#include <cmath>
#include <memory>

#include "lxCellHeap.h"
#include "lxFormula.h"

namespace lx {

TXLSDrawingObjects::TXLSDrawingObjects(IXLSWorksheet& sheet) : sheet_(sheet) {
  // Comment boxes the engine makes are placed over the sheet's columns and
  // rows as they are when the file is written.
  drawing_.SetGeometry({[&sheet](int32_t column) {
                          const TXLSColumnInfoList& columns = sheet.ColumnInfo();
                          if (columns.ColumnHidden(column)) return 0.0;
                          return std::nearbyint(columns.ColumnWidth(column) * 225 / 40 * 100) / 100;
                        },
                        [&sheet](int32_t row) {
                          const TXLSRowInfoList& rows = sheet.RowInfo();
                          if (rows.RowHidden(row)) return 0.0;
                          return std::nearbyint(rows.RowHeight(row) * 100) / 100;
                        }});
  // The filter asks the drawing for its arrows; arrows read from a file
  // are given to the filter.
  autofilter_.SetArrows(this);
  drawing_.SetArrowFound([this](uint16_t row, uint16_t column, TMsoShapeContainer& arrow) {
    autofilter_.ArrowFound(row, column, arrow.ObjectId());
  });
}

namespace {

bool OnSheet(int32_t row, int32_t column) {
  return row >= 0 && row <= kXLSMaxRow && column >= 0 && column <= kXLSMaxColumn;
}

}  // namespace

void TXLSDrawingObjects::FinishDrawingRead() {
  drawing_.FinishDrawingRead();
  pictures_.Build();
}

IXLSComment* TXLSDrawingObjects::GetOrAddComment(int32_t row, int32_t column) {
  if (!OnSheet(row, column)) return nullptr;
  return &comments_.GetOrAddComment(static_cast<uint16_t>(row), static_cast<uint16_t>(column));
}

IXLSComment* TXLSDrawingObjects::FindComment(int32_t row, int32_t column) {
  if (!OnSheet(row, column)) return nullptr;
  return comments_.FindComment(static_cast<uint16_t>(row), static_cast<uint16_t>(column));
}

void TXLSDrawingObjects::DeleteComments(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) {
  comments_.DeleteComments(firstRow, firstColumn, lastColumn, lastRow);
}

std::vector<TCommentCopy> TXLSDrawingObjects::CommentsIn(int32_t firstRow, int32_t firstColumn, int32_t lastColumn,
                                                         int32_t lastRow) {
  std::vector<TCommentCopy> found;
  for (size_t i = 1; i <= comments_.Count(); ++i) {
    TXLSComment& comment = comments_.Item(i);
    if (comment.Row() >= firstRow && comment.Column() >= firstColumn && (lastRow < 0 || comment.Row() <= lastRow) &&
        (lastColumn < 0 || comment.Column() <= lastColumn))
      found.push_back({comment.Row(), comment.Column(), comment.Text()});
  }
  return found;
}

// Only this layer makes the objects the model holds, so the model's base
// pointers always point at these classes.

TXLSDrawingObjects& DrawingObjects(IXLSWorksheet& sheet) {
  if (!sheet.SheetObjects()) sheet.SetSheetObjects(std::make_unique<TXLSDrawingObjects>(sheet));
  return *static_cast<TXLSDrawingObjects*>(sheet.SheetObjects());
}

TXLSDrawingObjects* FindDrawingObjects(const IXLSWorksheet& sheet) {
  return static_cast<TXLSDrawingObjects*>(sheet.SheetObjects());
}

const TXLSCustomChart* ChartSheetOf(const IXLSWorksheet& sheet) {
  const TXLSDrawingObjects* objects = FindDrawingObjects(sheet);
  return objects ? objects->ChartSheet() : nullptr;
}

const TXLSCustomChart* ChartSheetToWrite(const IXLSWorksheet& sheet, bool biff8) {
  const TXLSCustomChart* chart = biff8 ? ChartSheetOf(sheet) : nullptr;
  return chart && chart->Version() >= kBiff8Version ? chart : nullptr;
}

TXLSDrawingBookObjects& DrawingBookObjects(TXLSWorkbook& book) {
  if (!book.BookObjects()) book.SetBookObjects(std::make_unique<TXLSDrawingBookObjects>(book));
  return *static_cast<TXLSDrawingBookObjects*>(book.BookObjects());
}

TXLSDrawingBookObjects* FindDrawingBookObjects(const TXLSWorkbook& book) {
  return static_cast<TXLSDrawingBookObjects*>(book.BookObjects());
}

}  // namespace lx
