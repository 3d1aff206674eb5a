// Borders of a range: the border walk that writes cell sides, and the edge
// reads that look at both cells sharing a side.
#include <algorithm>
#include <functional>

#include "lxRangeWalk.h"
#include "lxStyle.h"

namespace lx {

namespace {

// Sides of a cell as the format list's edge sets name them.
constexpr int32_t kLeft = kXFEdgeLeft;
constexpr int32_t kRight = kXFEdgeRight;
constexpr int32_t kTop = kXFEdgeTop;
constexpr int32_t kBottom = kXFEdgeBottom;
constexpr int32_t kAllSides = kLeft | kRight | kTop | kBottom;

constexpr int32_t kUserColors = 56;

// A border write: (format index, sides, release) -> new format index.
using TBorderChange = std::function<int32_t(int32_t index, int32_t sides, bool release)>;

// Writes one attribute to chosen sides of the cells of rectangles, one step
// at a time. A step over a block fetches every cell (creating missing ones)
// and passes its format through the change, with a one-entry cache and the
// same use-count moves as the range's own format walk; merged cells are not
// skipped, since the outer lines of a merged area are drawn from the sides of
// its hidden cells. On a range of whole columns, a step that reaches from the
// first or second row to the last or last but one goes through the column
// records instead, and on a range of whole rows a step across (nearly) all
// columns through the row records, so that no cell is created across the
// sheet: the few positions the step leaves out are fetched as cells first,
// so that the record's change does not show through them. A neighbour step
// visits existing cells only and takes the line off the sides facing the
// range, so that an old line of the neighbour does not show beside the new
// one.
class TXLSBorderWalk {
 public:
  TXLSBorderWalk(TXLSRange& range, TBorderChange change)
      : range_(range), sheet_(*range.Worksheet()), formats_(range.Formats()), change_(std::move(change)) {}

  void Step(int32_t top, int32_t left, int32_t bottom, int32_t right, int32_t sides) {
    top = std::clamp(top, 0, kXLSMaxRow);
    bottom = std::clamp(bottom, 0, kXLSMaxRow);
    left = std::clamp(left, 0, kXLSMaxColumn);
    right = std::clamp(right, 0, kXLSMaxColumn);
    if (range_.IsWholeColumns() && top <= 1 && bottom >= kXLSMaxRow - 1) {
      ColumnStep(top, left, bottom, right, sides);
      return;
    }
    if (range_.IsWholeRows() && left <= 1 && right >= kXLSMaxColumn - 1) {
      RowStep(top, left, bottom, right, sides);
      return;
    }
    ResetCache();
    TXLSCellHeap& cells = sheet_.CellHeap();
    for (int32_t r = top; r <= bottom; ++r)
      for (int32_t c = left; c <= right; ++c) ChangeCell(cells.GetCell(r, c), sides);
  }

  // A neighbour step; positions outside the sheet have no neighbour.
  void Neighbour(int32_t top, int32_t left, int32_t bottom, int32_t right, int32_t sides) {
    if (top < 0 || left < 0 || bottom > kXLSMaxRow || right > kXLSMaxColumn) return;
    TXLSChangeCache cache;
    ForExistingCells(sheet_.CellHeap(), top, left, bottom, right, [&](TXLSCellRef& cell) {
      const int32_t old = cell.FormatIndex;
      // A cell without a format of its own has no line to take off.
      if (old <= 0 || !formats_.HasXFBorders(old)) return;
      int32_t result;
      if (!cache.Find(old, result)) {
        result = formats_.SetXFBorderLineStyle(old, sides, xlNone, true);
        cache.Remember(old, result);
      } else {
        formats_.MoveReference(old, result);
      }
      cell.FormatIndex = result;
    });
  }

  // One edge of the range (Item values); other values write nothing.
  void Edge(int32_t edge) {
    const int32_t top = range_.FirstRow();
    const int32_t bottom = range_.LastRow();
    const int32_t left = range_.FirstColumn();
    const int32_t right = range_.LastColumn();
    switch (edge) {
      case xlDiagonalDown:
        Step(top, left, bottom, right, kXFEdgeDiagonalDown);
        break;
      case xlDiagonalUp:
        Step(top, left, bottom, right, kXFEdgeDiagonalUp);
        break;
      case xlEdgeLeft:
        Step(top, left, bottom, left, kLeft);
        Neighbour(top, left - 1, bottom, left - 1, kRight);
        break;
      case xlEdgeTop:
        Step(top, left, top, right, kTop);
        Neighbour(top - 1, left, top - 1, right, kBottom);
        break;
      case xlEdgeBottom:
        Step(bottom, left, bottom, right, kBottom);
        Neighbour(bottom + 1, left, bottom + 1, right, kTop);
        break;
      case xlEdgeRight:
        Step(top, right, bottom, right, kRight);
        Neighbour(top, right + 1, bottom, right + 1, kLeft);
        break;
      case xlInsideVertical:
        if (right > left) {
          Step(top, left, bottom, left, kRight);
          Step(top, right, bottom, right, kLeft);
          if (right - left > 1) Step(top, left + 1, bottom, right - 1, kLeft | kRight);
        }
        break;
      case xlInsideHorizontal:
        if (bottom > top) {
          Step(top, left, top, right, kBottom);
          Step(bottom, left, bottom, right, kTop);
          if (bottom - top > 1) Step(top + 1, left, bottom - 1, right, kTop | kBottom);
        }
        break;
      case xlAround:
        Edge(xlEdgeRight);
        Edge(xlEdgeTop);
        Edge(xlEdgeBottom);
        Edge(xlEdgeLeft);
        break;
      case xlInside:
        Edge(xlInsideHorizontal);
        Edge(xlInsideVertical);
        break;
      default:
        break;
    }
  }

  // Every side of every cell, and the facing sides of the cells around.
  void All() {
    const int32_t top = range_.FirstRow();
    const int32_t bottom = range_.LastRow();
    const int32_t left = range_.FirstColumn();
    const int32_t right = range_.LastColumn();
    Step(top, left, bottom, right, kAllSides);
    Neighbour(top - 1, left, top - 1, right, kBottom);
    Neighbour(bottom + 1, left, bottom + 1, right, kTop);
    Neighbour(top, left - 1, bottom, left - 1, kRight);
    Neighbour(top, right + 1, bottom, right + 1, kLeft);
  }

 private:
  void ResetCache() { cache_.Reset(); }

  // One cell under the change cache.
  void ChangeCell(TXLSCellRef* cell, int32_t sides) {
    if (!cell) return;
    const bool fromCell = cell->FormatIndex > 0;
    const int32_t old = fromCell ? cell->FormatIndex : 0;
    int32_t result;
    if (!cache_.Find(old, result)) {
      result = change_(old, sides, fromCell);
      cache_.Remember(old, result);
    } else if (fromCell) {
      formats_.MoveReference(old, result);
    } else {
      formats_.AddReference(result);
    }
    cell->FormatIndex = result;
  }

  // Rows top..bottom of whole columns: the column records and the existing
  // cells of those rows.
  void ColumnStep(int32_t top, int32_t left, int32_t bottom, int32_t right, int32_t sides) {
    TXLSCellHeap& cells = sheet_.CellHeap();
    for (int32_t c = left; c <= right; ++c) {
      for (int32_t r = 0; r < top; ++r) cells.GetCell(r, c);
      for (int32_t r = bottom + 1; r <= kXLSMaxRow; ++r) cells.GetCell(r, c);
    }
    for (int32_t c = left; c <= right; ++c) {
      TXLSColumnInfo* info = sheet_.ColumnInfo().Get(c);
      info->FormatIndex = change_(info->FormatIndex, sides, true);
      ResetCache();
      ForExistingCells(cells, top, c, bottom, c, [&](TXLSCellRef& cell) { ChangeCell(&cell, sides); });
    }
  }

  // Columns left..right of whole rows: the row records, the existing cells
  // of those columns, and cells where a column with a format of its own
  // crosses the row, which would otherwise show the row's format alone.
  void RowStep(int32_t top, int32_t left, int32_t bottom, int32_t right, int32_t sides) {
    TXLSCellHeap& cells = sheet_.CellHeap();
    for (int32_t r = top; r <= bottom; ++r) {
      for (int32_t c = 0; c < left; ++c) cells.GetCell(r, c);
      for (int32_t c = right + 1; c <= kXLSMaxColumn; ++c) cells.GetCell(r, c);
    }
    const TXLSColumnInfoList& columns = sheet_.ColumnInfo();
    for (int32_t r = top; r <= bottom; ++r) {
      TXLSRowInfo* info = sheet_.RowInfo().Get(r);
      info->FormatIndex = change_(info->FormatIndex, sides, true);
      info->HasRowFormat = true;
      ResetCache();
      int32_t first = cells.Empty() ? kXLSMaxColumn + 1 : cells.FirstColumn();
      int32_t last = cells.Empty() ? -1 : cells.LastColumn();
      if (columns.Count() > 0) {
        first = std::min(first, columns.FirstColumn());
        last = std::max(last, columns.LastColumn());
      }
      for (int32_t c = std::max(first, left); c <= std::min(last, right); ++c) {
        if (TXLSCellRef* cell = cells.FindCell(r, c)) {
          ChangeCell(cell, sides);
          continue;
        }
        const TXLSColumnInfo* column = columns.Find(c);
        if (!column || column->FormatIndex == 0 || column->FormatIndex == TlxFormatList::kDefaultCellFormat) continue;
        const int32_t combined = change_(column->FormatIndex, sides, false);
        TXLSCellRef* created = cells.GetCell(r, c);
        // The new cell took a use of the row's format; it holds the
        // combined format instead.
        formats_.ReleaseReference(created->FormatIndex);
        created->FormatIndex = combined;
      }
    }
  }

  TXLSRange& range_;
  IXLSWorksheet& sheet_;
  TlxFormatList& formats_;
  TBorderChange change_;
  TXLSChangeCache cache_;
};

// What an edge read gives.
struct TEdgeLine {
  int32_t LineStyle = xlNone;
  int32_t Weight = xlThin;
  int32_t ColorIndex = xlNone;
};

// The line of one side at a position, when that side has one.
bool SideLine(TXLSRange& range, int32_t row, int32_t column, int32_t side, TEdgeLine& line) {
  if (row < 0 || row > kXLSMaxRow || column < 0 || column > kXLSMaxColumn) return false;
  const TlxFormatList& formats = range.Formats();
  const int32_t format = range.Worksheet()->EffectiveFormat(row, column);
  if (format <= 0 || !formats.HasXFBorders(format)) return false;
  const int32_t style = formats.GetXFBorderLineStyle(format, side);
  if (style == xlNone) return false;
  line.LineStyle = style;
  line.Weight = formats.GetXFBorderWeight(format, side);
  line.ColorIndex = formats.GetXFBorderColorIndex(format, side);
  return true;
}

// A line between two cells may be stored on either of them: the side of the
// neighbour is looked at first, then the range's own.
TEdgeLine ReadEdge(TXLSRange& range, int32_t edge) {
  const int32_t top = range.FirstRow();
  const int32_t bottom = range.LastRow();
  const int32_t left = range.FirstColumn();
  const int32_t right = range.LastColumn();
  TEdgeLine line;
  switch (edge) {
    case xlDiagonalDown:
      SideLine(range, top, left, kXFEdgeDiagonalDown, line);
      break;
    case xlDiagonalUp:
      SideLine(range, top, left, kXFEdgeDiagonalUp, line);
      break;
    case xlEdgeLeft:
      if (!SideLine(range, top, left - 1, kRight, line)) SideLine(range, top, left, kLeft, line);
      break;
    case xlEdgeTop:
    case xlAround:
      if (!SideLine(range, top - 1, left, kBottom, line)) SideLine(range, top, left, kTop, line);
      break;
    case xlEdgeBottom:
      if (!SideLine(range, bottom + 1, left, kTop, line)) SideLine(range, bottom, left, kBottom, line);
      break;
    case xlEdgeRight:
      if (!SideLine(range, top, right + 1, kLeft, line)) SideLine(range, top, right, kRight, line);
      break;
    case xlInsideVertical:
    case xlInside:
      if (right > left && !SideLine(range, top, left + 1, kLeft, line)) SideLine(range, top, left, kRight, line);
      break;
    case xlInsideHorizontal:
      if (bottom > top && !SideLine(range, top + 1, left, kTop, line)) SideLine(range, top, left, kBottom, line);
      break;
    default:
      break;
  }
  return line;
}

// Border colour indexes the format list accepts; others are ignored.
bool IsBorderColorIndex(int32_t value) {
  return (value >= 0 && value <= kUserColors) || value == xlAutomatic || value == xlNone;
}

TBorderChange LineStyleChange(TlxFormatList& formats, int32_t value) {
  return [&formats, value](int32_t index, int32_t sides, bool release) {
    return formats.SetXFBorderLineStyle(index, sides, value, release);
  };
}
TBorderChange WeightChange(TlxFormatList& formats, int32_t value) {
  return [&formats, value](int32_t index, int32_t sides, bool release) {
    return formats.SetXFBorderWeight(index, sides, value, release);
  };
}
TBorderChange ColorIndexChange(TlxFormatList& formats, int32_t value) {
  return [&formats, value](int32_t index, int32_t sides, bool release) {
    return formats.SetXFBorderColorIndex(index, sides, value, release);
  };
}

uint32_t PaletteColor(TXLSRange& range, int32_t colorIndex) {
  return range.Worksheet()->Workbook()->GetPaletteColor(colorIndex);
}
int32_t NearestColorIndex(TXLSRange& range, uint32_t rgb) {
  return range.Worksheet()->Workbook()->NearestColorIndex(rgb);
}

}  // namespace

// ---------------------------------------------------------------- one edge

TXLSBorder::TXLSBorder(TXLSRange* range, int32_t edge) : TXLSStyleObject(range), edge_(edge) {}

XLSPtr<IXLSBorder> TXLSBorder::Create(TXLSRange* range, int32_t edge) { return MakeXLS<TXLSBorder>(range, edge); }

uint32_t TXLSBorder::Color() { return PaletteColor(Range(), ColorIndex()); }
int32_t TXLSBorder::ColorIndex() { return ReadEdge(Range(), edge_).ColorIndex; }
int32_t TXLSBorder::LineStyle() { return ReadEdge(Range(), edge_).LineStyle; }
int32_t TXLSBorder::Weight() { return ReadEdge(Range(), edge_).Weight; }

void TXLSBorder::SetColor(uint32_t rgb) { SetColorIndex(NearestColorIndex(Range(), rgb)); }

void TXLSBorder::SetColorIndex(int32_t value) {
  if (!IsBorderColorIndex(value)) return;
  TXLSBorderWalk(Range(), ColorIndexChange(Range().Formats(), value)).Edge(edge_);
}

void TXLSBorder::SetLineStyle(int32_t value) {
  TXLSBorderWalk(Range(), LineStyleChange(Range().Formats(), value)).Edge(edge_);
}

void TXLSBorder::SetWeight(int32_t value) {
  TXLSBorderWalk(Range(), WeightChange(Range().Formats(), value)).Edge(edge_);
}

// ---------------------------------------------------------------- all borders

TXLSBorders::TXLSBorders(TXLSRange* range) : TXLSStyleObject(range) {}

XLSPtr<IXLSBorders> TXLSBorders::Create(TXLSRange* range) { return MakeXLS<TXLSBorders>(range); }

uint32_t TXLSBorders::Color() { return PaletteColor(Range(), ColorIndex()); }
int32_t TXLSBorders::ColorIndex() { return ReadEdge(Range(), xlEdgeTop).ColorIndex; }
int32_t TXLSBorders::LineStyle() { return ReadEdge(Range(), xlEdgeTop).LineStyle; }
int32_t TXLSBorders::Weight() { return ReadEdge(Range(), xlEdgeTop).Weight; }

void TXLSBorders::SetColor(uint32_t rgb) { SetColorIndex(NearestColorIndex(Range(), rgb)); }

void TXLSBorders::SetColorIndex(int32_t value) {
  if (!IsBorderColorIndex(value)) return;
  TXLSBorderWalk(Range(), ColorIndexChange(Range().Formats(), value)).All();
}

void TXLSBorders::SetLineStyle(int32_t value) {
  TXLSBorderWalk(Range(), LineStyleChange(Range().Formats(), value)).All();
}

void TXLSBorders::SetWeight(int32_t value) { TXLSBorderWalk(Range(), WeightChange(Range().Formats(), value)).All(); }

XLSPtr<IXLSBorder> TXLSBorders::Item(int32_t edge) { return TXLSBorder::Create(&Range(), edge); }

XLSPtr<IXLSBorders> TXLSRange::Borders() { return TXLSBorders::Create(this); }

}  // namespace lx
