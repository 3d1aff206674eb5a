// Anchors and shape sizes over the sheet's column widths and row heights.
#include <algorithm>
#include <cmath>

#include "lxDraw.h"

namespace lx {
namespace {

constexpr int32_t kLastColumn = 255;
constexpr int32_t kLastRow = 65535;
constexpr double kColumnUnits = 1024;
constexpr double kRowUnits = 256;
// A comment box stands this far from its cell, and this far above it.
constexpr double kCommentGap = 10.5;
constexpr double kCommentRise = 5;
// A shape whose anchor cannot be measured counts this many points each way.
constexpr double kFallbackSize = 10;

// One axis of the sheet: columns (1024 offset units) or rows (256).
struct TAxis {
  const std::function<double(int32_t)>& size;
  int32_t last;
  double units;
};

uint16_t Units(double fraction, double units) {
  return static_cast<uint16_t>(std::nearbyint(std::clamp(fraction, 0.0, 1.0) * units));
}

// The points between an anchor's first and last edge on one axis; false
// when the anchor is out of order or its offsets out of range.
bool Span(const TAxis& axis, int32_t first, uint16_t firstOffset, int32_t last, uint16_t lastOffset, double& span) {
  if (last < first || firstOffset > axis.units || lastOffset > axis.units) return false;
  span = 0;
  for (int32_t i = first; i <= last; ++i) span += axis.size(i);
  span -= axis.size(first) * firstOffset / axis.units;
  span -= axis.size(last) * (1 - lastOffset / axis.units);
  return true;
}

// Walks distance points forward from the start edge of cell `start` at
// `offset` units into it: the cell where the distance is used up and the
// offset there.
void Extend(const TAxis& axis, int32_t start, uint16_t offset, double distance, uint16_t& end, uint16_t& endOffset) {
  double used = offset / axis.units;  // of the current cell, as a fraction
  for (int32_t i = start;; ++i) {
    if (i > axis.last) {
      // Past the sheet's end: columns end at the last column's far edge,
      // rows at the far edge of the row before the last.
      const bool rows = axis.units == kRowUnits;
      end = static_cast<uint16_t>(rows ? axis.last - 1 : axis.last);
      endOffset = static_cast<uint16_t>(axis.units);
      return;
    }
    const double size = axis.size(i);
    if (size <= 0) continue;
    const double room = size * (1 - used);
    if (distance <= room) {
      end = static_cast<uint16_t>(i);
      endOffset = Units(used + distance / size, axis.units);
      return;
    }
    distance -= room;
    used = 0;
    if (axis.units == kRowUnits && i + 1 >= axis.last) {
      end = static_cast<uint16_t>(axis.last - 1);
      endOffset = static_cast<uint16_t>(axis.units);
      return;
    }
  }
}

// A walk of distance points from the near edge of cell `start` in one
// direction (step +1 or -1): false when it leaves the sheet. An exact fit
// ends at the far edge of its cell.
bool Walk(const TAxis& axis, int32_t start, int step, double distance, uint16_t& cell, uint16_t& offset) {
  for (int32_t i = start; i >= 0 && i <= axis.last; i += step) {
    const double size = axis.size(i);
    if (size <= 0) continue;
    if (distance <= size) {
      cell = static_cast<uint16_t>(i);
      const double fraction = step > 0 ? distance / size : (size - distance) / size;
      offset = Units(fraction, axis.units);
      return true;
    }
    distance -= size;
  }
  return false;
}

}  // namespace

void ShapeSizeFromAnchor(const TMsoFbtClientAnchor& anchor, const TSheetGeometry& geometry, double& width,
                         double& height) {
  const TAxis columns{geometry.ColumnPoints, kLastColumn, kColumnUnits};
  const TAxis rows{geometry.RowPoints, kLastRow, kRowUnits};
  if (!Span(columns, anchor.FirstColumn, anchor.FirstColumnOffset, anchor.LastColumn, anchor.LastColumnOffset, width) ||
      !Span(rows, anchor.FirstRow, anchor.FirstRowOffset, anchor.LastRow, anchor.LastRowOffset, height)) {
    width = height = kFallbackSize;
  }
}

void AnchorFromShapeSize(TMsoFbtClientAnchor& anchor, double width, double height, const TSheetGeometry& geometry) {
  const TAxis columns{geometry.ColumnPoints, kLastColumn, kColumnUnits};
  const TAxis rows{geometry.RowPoints, kLastRow, kRowUnits};
  Extend(columns, anchor.FirstColumn, anchor.FirstColumnOffset, width, anchor.LastColumn, anchor.LastColumnOffset);
  Extend(rows, anchor.FirstRow, anchor.FirstRowOffset, height, anchor.LastRow, anchor.LastRowOffset);
}

void PlaceCommentAnchor(TMsoFbtClientAnchor& anchor, uint16_t row, uint16_t column, double width, double height,
                        const TSheetGeometry& geometry) {
  const TAxis columns{geometry.ColumnPoints, kLastColumn, kColumnUnits};
  const TAxis rows{geometry.RowPoints, kLastRow, kRowUnits};
  TMsoFbtClientAnchor& a = anchor;
  // Columns: to the right of the cell, else to its left, else a fixed box.
  if (!(Walk(columns, column + 1, 1, kCommentGap, a.FirstColumn, a.FirstColumnOffset) &&
        Walk(columns, column + 1, 1, width + kCommentGap, a.LastColumn, a.LastColumnOffset)) &&
      !(Walk(columns, column - 1, -1, kCommentGap, a.LastColumn, a.LastColumnOffset) &&
        Walk(columns, column - 1, -1, width + kCommentGap, a.FirstColumn, a.FirstColumnOffset))) {
    a.FirstColumn = static_cast<uint16_t>(column >= 253 ? column - 1 : column + 1);
    a.FirstColumnOffset = 192;
    a.LastColumn = static_cast<uint16_t>(a.FirstColumn + 1);
    a.LastColumnOffset = 806;
  }
  // Rows: a little above the cell and down from there; else from the row
  // below; else above the cell; else a fixed box.
  const bool placed = (Walk(rows, row - 1, -1, kCommentGap, a.FirstRow, a.FirstRowOffset) &&
                       Walk(rows, row, 1, height - kCommentGap, a.LastRow, a.LastRowOffset)) ||
                      (Walk(rows, row + 1, 1, 0, a.FirstRow, a.FirstRowOffset) &&
                       Walk(rows, row + 1, 1, height, a.LastRow, a.LastRowOffset)) ||
                      (Walk(rows, row - 1, -1, height + kCommentRise, a.FirstRow, a.FirstRowOffset) &&
                       Walk(rows, row - 1, -1, kCommentRise, a.LastRow, a.LastRowOffset));
  if (!placed) {
    const int32_t base = row == 0 ? 0 : (row >= 65532 ? row - 4 : row - 1);
    a.FirstRow = static_cast<uint16_t>(base);
    a.FirstRowOffset = 105;
    a.LastRow = static_cast<uint16_t>(base + 4);
    a.LastRowOffset = 196;
  }
}

}  // namespace lx
