// The objects a worksheet and a workbook keep besides cells, formats and
// names: shapes, comments, pictures, conditional formats, validations, the
// autofilter and charts. They are built by the drawing layer, which sits
// above the model; the model owns them through these bases and tells a
// sheet's objects when its cells are cleared or move.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lx {

class IXLSComment;

// A comment's cell and text, as collected for a copy.
struct TCommentCopy {
  // The comment's row, 0-based.
  int32_t Row;
  // The comment's column, 0-based.
  int32_t Column;
  // The comment's text.
  std::u16string Text;
};

// A worksheet's objects (made by the drawing layer, owned by the sheet).
// Bounds are 0-based; -1 leaves a side unbounded.
class TXLSSheetObjects {
 public:
  virtual ~TXLSSheetObjects() = default;

  // The cells of the rectangle were cleared: objects bound to them go.
  virtual void ClearArea(int32_t /*firstRow*/, int32_t /*firstColumn*/, int32_t /*lastColumn*/, int32_t /*lastRow*/) {}
  // The cells of the block moved by the offsets (rows inserted or deleted
  // above them, columns left of them): objects bound to them follow.
  virtual void ShiftArea(int32_t /*firstRow*/, int32_t /*firstColumn*/, int32_t /*lastColumn*/, int32_t /*lastRow*/,
                         int32_t /*rowOffset*/, int32_t /*columnOffset*/) {}
  // A range's AutoFilter: the sheet's filter goes, or one is made over the
  // rectangle when the sheet has none.
  virtual void AutoFilter(int32_t /*firstRow*/, int32_t /*firstColumn*/, int32_t /*lastColumn*/, int32_t /*lastRow*/) {}

  // Comments. The pointers returned are borrowed: the caller takes its own
  // reference.
  // The comment of a cell, made when missing; null where comments cannot be made.
  virtual IXLSComment* GetOrAddComment(int32_t /*row*/, int32_t /*column*/) { return nullptr; }
  // The comment of a cell, or null.
  virtual IXLSComment* FindComment(int32_t /*row*/, int32_t /*column*/) { return nullptr; }
  // Removes every comment whose cell lies in the rectangle (bounds included).
  virtual void DeleteComments(int32_t /*firstRow*/, int32_t /*firstColumn*/, int32_t /*lastColumn*/,
                              int32_t /*lastRow*/) {}
  // The cells and texts of the comments in the rectangle.
  virtual std::vector<TCommentCopy> CommentsIn(int32_t /*firstRow*/, int32_t /*firstColumn*/, int32_t /*lastColumn*/,
                                               int32_t /*lastRow*/) {
    return {};
  }
};

// A workbook's objects (made by the drawing layer, owned by the workbook).
class TXLSBookObjects {
 public:
  virtual ~TXLSBookObjects() = default;
};

}  // namespace lx
