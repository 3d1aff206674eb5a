// Ranges: copying, moving, clearing, inserting and deleting cells.
#include <algorithm>
#include <vector>

#include "lxRange.h"
#include "lxRangeWalk.h"
#include "lxStringTable.h"

namespace lx {

namespace {

bool Inside(int32_t row, int32_t column) {
  return row >= 0 && row <= kXLSMaxRow && column >= 0 && column <= kXLSMaxColumn;
}

// Gives back a cell's string reference and formula; the cell is blank then.
void BlankCell(IXLSWorksheet* sheet, TXLSCellRef* cell) {
  if (cell->Kind == ckString) sheet->Workbook()->StringTable().ReleaseString(cell->StringIndex);
  cell->StringIndex = -1;
  cell->SetFormula(nullptr);
  cell->Kind = ckBlank;
}

// A merged area to lay down again after its cells moved.
struct TArea {
  int32_t top, left, rows, columns;
};

// Collects and dissolves every merged area whose owner lies in the block.
std::vector<TArea> TakeAreas(TXLSCellHeap& cells, int32_t top, int32_t left, int32_t bottom, int32_t right) {
  std::vector<TArea> areas;
  ForExistingCells(cells, top, left, bottom, right, [&](TXLSCellRef& cell) {
    if (cell.Merged && cell.MergeOwner() == &cell)
      areas.push_back({cell.Row, cell.Column, cell.MergeRows(), cell.MergeColumns()});
  });
  for (const TArea& a : areas) cells.DissolveMergedArea(cells.FindCell(a.top, a.left));
  return areas;
}

void PutArea(TXLSCellHeap& cells, const TArea& a) {
  if (a.top < 0 || a.left < 0 || a.top + a.rows - 1 > kXLSMaxRow || a.left + a.columns - 1 > kXLSMaxColumn) return;
  TXLSCellRef* owner = cells.GetCell(a.top, a.left);
  owner->SetMergeSize(a.rows, static_cast<uint16_t>(a.columns));
  for (int32_t r = a.top; r < a.top + a.rows; ++r) {
    for (int32_t c = a.left; c < a.left + a.columns; ++c) {
      TXLSCellRef* cell = cells.GetCell(r, c);
      cell->Merged = true;
      cell->SetMergeOwner(owner);
    }
  }
}

// Moves a cell with everything it holds (the formula without any shift) to
// an empty or emptied position; a missing source empties the destination.
void MoveCell(IXLSWorksheet* sheet, int32_t sr, int32_t sc, int32_t dr, int32_t dc) {
  TXLSCellHeap& cells = sheet->CellHeap();
  TXLSCellRef* source = cells.FindCell(sr, sc);
  if (!source) {
    cells.DeleteCell(dr, dc);
    return;
  }
  if (!Inside(dr, dc)) {
    cells.DeleteCell(sr, sc);
    return;
  }
  TXLSCellRef* target = cells.GetCell(dr, dc);
  BlankCell(sheet, target);
  TlxFormatList& formats = sheet->Workbook()->Formats();
  formats.MoveReference(target->FormatIndex, source->FormatIndex);
  target->FormatIndex = source->FormatIndex;
  target->Kind = source->Kind;
  target->Number = source->Number;
  if (source->Kind == ckString) {
    target->StringIndex = source->StringIndex;
    source->StringIndex = -1;  // the reference moves with the text
    source->Kind = ckBlank;
  }
  target->SetFormula(source->TakeFormula());
  cells.DeleteCell(sr, sc);
}

}  // namespace

// ---------------------------------------------------------------- clearing

void TXLSRange::ClearCell(int32_t row, int32_t column, int32_t what) {
  if (!Inside(row, column)) return;
  if (what & kCopyComments)
    if (TXLSSheetObjects* objects = sheet_->SheetObjects()) objects->DeleteComments(row, column, column, row);
  TXLSCellHeap& cells = sheet_->CellHeap();
  TlxFormatList& formats = Formats();
  TXLSCellRef* cell = cells.FindCell(row, column);
  if (cell) {
    if (what == kCopyAll) {
      cells.DeleteCell(row, column);
      return;
    }
    if (what & kCopyFormats) {
      formats.MoveReference(cell->FormatIndex, 0);
      cell->FormatIndex = 0;
      if (cell->Merged && cell->MergeOwner() == cell) cells.DissolveMergedArea(cell);
    } else if (what & kCopyNumberFormat) {
      if (formats.GetXFNumberFormat(cell->FormatIndex) != 0) {
        const bool own = cell->FormatIndex > 0;
        cell->FormatIndex = formats.SetXFNumberFormat(own ? cell->FormatIndex : 0, u"General", own);
      }
    }
    if (what & kCopyValues) BlankCell(sheet_, cell);
    return;
  }
  if (what & kCopyFormats) {
    const int32_t inherited = sheet_->EffectiveFormat(row, column);
    if (inherited != 0 && inherited != TlxFormatList::kDefaultCellFormat) {
      TXLSCellRef* created = cells.GetCell(row, column);
      formats.MoveReference(created->FormatIndex, 0);
      created->FormatIndex = 0;
    }
  }
}

void TXLSRange::ClearContents() {
  ForExistingCells(sheet_->CellHeap(), firstRow_, firstColumn_, lastRow_, lastColumn_,
                   [&](TXLSCellRef& cell) { BlankCell(sheet_, &cell); });
  sheet_->Workbook()->RaiseGeneration();
}

void TXLSRange::Clear() {
  TlxFormatList& formats = Formats();
  ForExistingCells(sheet_->CellHeap(), firstRow_, firstColumn_, lastRow_, lastColumn_, [&](TXLSCellRef& cell) {
    BlankCell(sheet_, &cell);
    formats.MoveReference(cell.FormatIndex, 0);
    cell.FormatIndex = 0;
  });
  if (TXLSSheetObjects* objects = sheet_->SheetObjects())
    objects->ClearArea(firstRow_, firstColumn_, lastColumn_, lastRow_);
  sheet_->Workbook()->RaiseGeneration();
}

// ---------------------------------------------------------------- comments

XLSPtr<IXLSComment> TXLSRange::AddComment() {
  TXLSSheetObjects* objects = sheet_->GetSheetObjects();
  return objects ? XLSPtr<IXLSComment>(objects->GetOrAddComment(firstRow_, firstColumn_)) : nullptr;
}

XLSPtr<IXLSComment> TXLSRange::AddComment(const WideString& text) {
  XLSPtr<IXLSComment> comment = AddComment();
  if (comment) comment->SetText(text);
  return comment;
}

void TXLSRange::ClearComments() {
  if (TXLSSheetObjects* objects = sheet_->SheetObjects())
    objects->DeleteComments(firstRow_, firstColumn_, lastColumn_, lastRow_);
}

XLSPtr<IXLSComment> TXLSRange::Comment() {
  TXLSSheetObjects* objects = sheet_->SheetObjects();
  return objects ? XLSPtr<IXLSComment>(objects->FindComment(firstRow_, firstColumn_)) : nullptr;
}

void TXLSRange::AutoFilter() {
  if (TXLSSheetObjects* objects = sheet_->GetSheetObjects())
    objects->AutoFilter(firstRow_, firstColumn_, lastColumn_, lastRow_);
}

// ---------------------------------------------------------------- copying

void TXLSRange::Cut(IXLSRange* destination, int32_t what) {
  if (TXLSRange* target = From(destination)) target->CopyFrom(this, what, false);
}

void TXLSRange::Copy(IXLSRange* destination, int32_t what) {
  if (TXLSRange* target = From(destination)) target->CopyFrom(this, what, true);
}

void TXLSRange::CopyFrom(IXLSRange* sourceRange, int32_t what, bool keepSource) {
  TXLSRange* source = From(sourceRange);
  if (!source) return;
  IXLSWorksheet* from = source->sheet_;
  TXLSWorkbook* fromBook = from->Workbook();
  TXLSWorkbook* toBook = sheet_->Workbook();
  const bool sameBook = fromBook == toBook;
  TXLSCellHeap& fromCells = from->CellHeap();
  TXLSCellHeap& toCells = sheet_->CellHeap();
  TlxFormatList& fromFormats = fromBook->Formats();
  TlxFormatList& toFormats = toBook->Formats();
  // The source bounds are read now: the copy may move a source range that
  // overlaps this one.
  const int32_t sTop = source->firstRow_, sLeft = source->firstColumn_;
  const int32_t sRows = source->RowCount(), sColumns = source->ColumnCount();

  auto copyPair = [&](int32_t dr, int32_t dc, int32_t sr, int32_t sc) {
    if (!Inside(sr, sc)) {
      ClearCell(dr, dc, what);
      return;
    }
    TXLSCellRef* src = fromCells.FindCell(sr, sc);
    if ((what & kCopyNumberFormat) && !(what & kCopyFormats)) {
      const WideString text = fromFormats.GetXFNumberFormatText(from->EffectiveFormat(sr, sc));
      if (text != toFormats.GetXFNumberFormatText(sheet_->EffectiveFormat(dr, dc))) {
        TXLSCellRef* dst = toCells.GetCell(dr, dc);
        const bool own = dst->FormatIndex > 0;
        dst->FormatIndex = toFormats.SetXFNumberFormat(own ? dst->FormatIndex : 0, text, own);
      }
    }
    if (what & kCopyValues) {
      if (src) {
        TXLSCellRef* dst = toCells.GetCell(dr, dc);
        // Within the workbook a formula is copied with its relative
        // references moved as far as the cell moves.
        std::shared_ptr<TXLSCompiledFormula> copied;
        if (sameBook && src->Kind == ckFormula && dst != src && src->Formula())
          copied = toBook->CopyFormula(*src->Formula(), dr - sr, dc - sc);
        if (copied) {
          BlankCell(sheet_, dst);
          dst->SetFormula(std::move(copied));
          dst->Kind = ckFormula;
        } else if (sameBook && src->Kind != ckFormula && dst != src) {
          dst->SetFormula(nullptr);
          const int32_t oldString = dst->Kind == ckString ? dst->StringIndex : 0;
          const int32_t newString = src->Kind == ckString ? src->StringIndex : 0;
          toBook->StringTable().ReassignString(oldString, newString);
          dst->StringIndex = src->Kind == ckString ? src->StringIndex : -1;
          dst->Number = src->Number;
          dst->Kind = src->Kind;
        } else if (dst != src) {
          // Between workbooks (whose sheets a formula cannot name), and for
          // a formula without the formula engine, the value travels.
          BlankCell(sheet_, dst);
          sheet_->SetCellValue(dst, from->ReadCellValue(src));
        }
      } else if (TXLSCellRef* dst = toCells.FindCell(dr, dc)) {
        BlankCell(sheet_, dst);
      }
    }
    if (what & kCopyFormats) {
      if (TXLSCellRef* dst = toCells.FindCell(dr, dc); dst && dst->Merged && dst->MergeOwner() == dst)
        toCells.DissolveMergedArea(dst);
      if (src && src->Merged && src->MergeOwner() == src) {
        const int32_t bottom = std::min(dr + src->MergeRows() - 1, kXLSMaxRow);
        const int32_t right = std::min(dc + src->MergeColumns() - 1, kXLSMaxColumn);
        if (TXLSCellRef* dst = toCells.FindCell(dr, dc); dst && dst->Merged) toCells.DissolveMergedArea(dst);
        DissolveCrossingAreas(dr, dc, bottom, right);
        XLSPtr<IXLSRange> area = Create(sheet_, dr, dc, bottom, right);
        area->Merge(TVariant(false));
      }
      const int32_t srcFormat = from->EffectiveFormat(sr, sc);
      if (sameBook) {
        if (srcFormat != sheet_->EffectiveFormat(dr, dc)) {
          TXLSCellRef* dst = toCells.GetCell(dr, dc);
          toFormats.MoveReference(dst->FormatIndex, srcFormat);
          dst->FormatIndex = srcFormat;
        }
      } else {
        TXLSCellRef* dst = toCells.GetCell(dr, dc);
        const int32_t imported = srcFormat == 0 ? 0 : toFormats.ImportFormat(fromFormats.ExportFormat(srcFormat));
        toFormats.ReleaseReference(dst->FormatIndex);
        dst->FormatIndex = imported;
      }
    }
  };

  // Overlapping copies stay intact when the pass runs away from the source.
  const bool rowsBackwards = sTop < firstRow_ && sameBook && from == sheet_;
  const bool columnsBackwards = sLeft < firstColumn_ && sameBook && from == sheet_;
  const int32_t rows = RowCount();
  const int32_t columns = ColumnCount();
  // Positions where neither side has a cell change nothing; whole rows and
  // columns only walk the parts that can hold cells.
  for (int32_t k = 0; k < rows; ++k) {
    const int32_t i = rowsBackwards ? rows - 1 - k : k;
    const int32_t dr = firstRow_ + i;
    const int32_t sr = sTop + i % sRows;
    for (int32_t m = 0; m < columns; ++m) {
      const int32_t j = columnsBackwards ? columns - 1 - m : m;
      const int32_t dc = firstColumn_ + j;
      const int32_t sc = sLeft + j % sColumns;
      if (k == 0 && (what & kCopyColumnWidths)) {
        const TXLSColumnInfo* info = from->ColumnInfo().Find(sc);
        sheet_->ColumnInfo().Get(dc)->Width = info ? info->Width : from->ColumnInfo().DefaultColumn().Width;
      }
      const bool any = fromCells.FindCell(sr, sc) || toCells.FindCell(dr, dc) || from->EffectiveFormat(sr, sc) != 0 ||
                       sheet_->EffectiveFormat(dr, dc) != 0;
      if (any) copyPair(dr, dc, sr, sc);
    }
  }
  if (what & kCopyValues) toBook->RaiseGeneration();

  // Comments: the destination takes the source's, repeated as the cells
  // are; destination cells whose source has none lose theirs. The source's
  // are collected first, as the copy may overlap them.
  if (what & kCopyComments) {
    std::vector<TCommentCopy> comments;
    if (TXLSSheetObjects* objects = from->SheetObjects())
      comments = objects->CommentsIn(sTop, sLeft, sLeft + sColumns - 1, sTop + sRows - 1);
    TXLSSheetObjects* objects = comments.empty() ? sheet_->SheetObjects() : sheet_->GetSheetObjects();
    if (objects) {
      objects->DeleteComments(firstRow_, firstColumn_, lastColumn_, lastRow_);
      for (const TCommentCopy& comment : comments)
        for (int32_t r = firstRow_ + comment.Row - sTop; r <= lastRow_; r += sRows)
          for (int32_t c = firstColumn_ + comment.Column - sLeft; c <= lastColumn_; c += sColumns)
            if (IXLSComment* made = objects->GetOrAddComment(r, c)) made->SetText(comment.Text);
    }
  }

  if (!keepSource) {
    for (int32_t r = sTop; r < sTop + sRows; ++r)
      for (int32_t c = sLeft; c < sLeft + sColumns; ++c) {
        if (from == sheet_ && r >= firstRow_ && r <= lastRow_ && c >= firstColumn_ && c <= lastColumn_) continue;
        source->ClearCell(r, c, what);
      }
    if (what & kCopyValues) fromBook->RaiseGeneration();
  }
}

// ---------------------------------------------------------------- insert and delete

void TXLSRange::CopyFormat(int32_t sr, int32_t sc, int32_t dr, int32_t dc) {
  // 0 and 15 both mean the default cell format; no cell is made for that.
  auto same = [](int32_t a, int32_t b) {
    auto norm = [](int32_t f) { return f == 0 ? TlxFormatList::kDefaultCellFormat : f; };
    return norm(a) == norm(b);
  };
  const int32_t format = sheet_->EffectiveFormat(sr, sc);
  if (same(format, sheet_->EffectiveFormat(dr, dc))) return;
  TXLSCellRef* cell = sheet_->CellHeap().GetCell(dr, dc);
  Formats().MoveReference(cell->FormatIndex, format);
  cell->FormatIndex = format;
}

void TXLSRange::Insert(const TVariant& shift, TVariant& done) {
  done = TVariant(true);
  const int32_t code = shift.IsInteger() ? shift.ToInt32() : 0;
  const bool right = code == xlShiftToRight || (code != xlShiftDown && IsWholeColumns());
  TXLSCellHeap& cells = sheet_->CellHeap();
  TXLSRowInfoList& rowInfo = sheet_->RowInfo();
  TXLSColumnInfoList& columnInfo = sheet_->ColumnInfo();

  if (!right) {
    const int32_t height = RowCount();
    const int32_t lastUsed = cells.Empty() ? -1 : cells.LastRow();
    if (lastUsed + height > kXLSMaxRow) {
      done = TVariant(false);
      return;
    }
    const int32_t blockEnd = std::max(lastUsed, rowInfo.LastRow());
    DissolveCrossingAreas(firstRow_, firstColumn_, blockEnd, lastColumn_);
    std::vector<TArea> areas = TakeAreas(cells, firstRow_, firstColumn_, blockEnd, lastColumn_);
    // Records move first: moving cells creates records at the new rows.
    if (IsWholeRows()) {
      for (int32_t r = rowInfo.LastRow(); r >= firstRow_ && r >= 0; --r) {
        if (const TXLSRowInfo* info = rowInfo.Find(r)) {
          if (r + height <= kXLSMaxRow) rowInfo.CopyRowInfo(r + height, info);
          rowInfo.Remove(r);
        }
      }
      if (const TXLSRowInfo* above = rowInfo.Find(firstRow_ - 1))
        for (int32_t r = firstRow_; r <= lastRow_; ++r) rowInfo.CopyRowInfo(r, above);
    }
    const int32_t left = cells.Empty() ? firstColumn_ : std::max(firstColumn_, cells.FirstColumn());
    const int32_t rightEnd = cells.Empty() ? -1 : std::min(lastColumn_, cells.LastColumn());
    for (int32_t r = std::min(blockEnd, cells.Empty() ? -1 : cells.LastRow()); r >= firstRow_; --r)
      for (int32_t c = left; c <= rightEnd; ++c) MoveCell(sheet_, r, c, r + height, c);
    for (TArea& a : areas) {
      a.top += height;
      PutArea(cells, a);
    }
    if (firstRow_ > 0) {
      // Whole rows got the record of the row above; only its cells remain.
      for (int32_t c = firstColumn_; c <= lastColumn_; ++c) {
        if (IsWholeRows() && !cells.FindCell(firstRow_ - 1, c)) continue;
        for (int32_t r = firstRow_; r <= lastRow_; ++r) CopyFormat(firstRow_ - 1, c, r, c);
      }
    }
  } else {
    const int32_t width = ColumnCount();
    const int32_t lastUsed = cells.Empty() ? -1 : cells.LastColumn();
    if (lastUsed + width > kXLSMaxColumn) {
      done = TVariant(false);
      return;
    }
    const int32_t blockEnd = std::max(lastUsed, columnInfo.LastColumn());
    DissolveCrossingAreas(firstRow_, firstColumn_, lastRow_, blockEnd);
    std::vector<TArea> areas = TakeAreas(cells, firstRow_, firstColumn_, lastRow_, blockEnd);
    if (IsWholeColumns()) {
      for (int32_t c = columnInfo.LastColumn(); c >= firstColumn_ && c >= 0; --c) {
        if (const TXLSColumnInfo* info = columnInfo.Find(c)) {
          if (c + width <= kXLSMaxColumn) columnInfo.CopyColumnInfo(c + width, info);
          columnInfo.Remove(c);
        }
      }
    }
    const int32_t top = cells.Empty() ? firstRow_ : std::max(firstRow_, cells.FirstRow());
    const int32_t bottom = cells.Empty() ? -1 : std::min(lastRow_, cells.LastRow());
    for (int32_t r = top; r <= bottom; ++r)
      for (int32_t c = std::min(blockEnd, lastUsed); c >= firstColumn_; --c) MoveCell(sheet_, r, c, r, c + width);
    for (TArea& a : areas) {
      a.left += width;
      PutArea(cells, a);
    }
    if (firstColumn_ > 0) {
      if (IsWholeColumns()) {
        // The new columns take the record of the column on the left, so its
        // format shows through them without a cell per row.
        if (const TXLSColumnInfo* leftInfo = columnInfo.Find(firstColumn_ - 1))
          for (int32_t c = firstColumn_; c <= lastColumn_; ++c) columnInfo.CopyColumnInfo(c, leftInfo);
      }
      const int32_t top = IsWholeColumns() ? (cells.Empty() ? 0 : cells.FirstRow()) : firstRow_;
      const int32_t bottom = IsWholeColumns() ? (cells.Empty() ? -1 : cells.LastRow()) : lastRow_;
      for (int32_t r = top; r <= bottom; ++r) {
        if (IsWholeColumns() && !cells.FindCell(r, firstColumn_ - 1)) continue;
        for (int32_t c = firstColumn_; c <= lastColumn_; ++c) CopyFormat(r, firstColumn_ - 1, r, c);
      }
    }
  }
  // What is bound to the cells at and after the range moves with them.
  if (TXLSSheetObjects* objects = sheet_->SheetObjects()) {
    if (right)
      objects->ShiftArea(firstRow_, firstColumn_, -1, lastRow_, 0, ColumnCount());
    else
      objects->ShiftArea(firstRow_, firstColumn_, lastColumn_, -1, RowCount(), 0);
  }
  sheet_->Workbook()->RaiseGeneration();
}

void TXLSRange::Delete(const TVariant& shift, TVariant& done) {
  done = TVariant(true);
  const int32_t code = shift.IsInteger() ? shift.ToInt32() : 0;
  const bool left = code == xlShiftToLeft || (code != xlShiftUp && IsWholeColumns());
  TXLSCellHeap& cells = sheet_->CellHeap();
  TXLSRowInfoList& rowInfo = sheet_->RowInfo();
  TXLSColumnInfoList& columnInfo = sheet_->ColumnInfo();

  if (!left) {
    const int32_t height = RowCount();
    const int32_t blockEnd = std::max(cells.Empty() ? -1 : cells.LastRow(), rowInfo.LastRow());
    DissolveCrossingAreas(firstRow_, firstColumn_, std::max(blockEnd, lastRow_), lastColumn_);
    ForExistingCells(cells, firstRow_, firstColumn_, lastRow_, lastColumn_,
                     [&](TXLSCellRef& cell) { cells.DeleteCell(cell.Row, cell.Column); });
    std::vector<TArea> areas = TakeAreas(cells, lastRow_ + 1, firstColumn_, blockEnd, lastColumn_);
    if (IsWholeRows()) {
      for (int32_t r = firstRow_; r <= lastRow_; ++r) rowInfo.Remove(r);
      const int32_t last = rowInfo.LastRow();
      for (int32_t r = lastRow_ + 1; r <= last; ++r) {
        if (const TXLSRowInfo* info = rowInfo.Find(r)) {
          rowInfo.CopyRowInfo(r - height, info);
          rowInfo.Remove(r);
        }
      }
    }
    if (!cells.Empty()) {
      const int32_t from = std::max(firstColumn_, cells.FirstColumn());
      const int32_t to = std::min(lastColumn_, cells.LastColumn());
      for (int32_t r = lastRow_ + 1; r <= std::min(blockEnd, cells.LastRow()); ++r)
        for (int32_t c = from; c <= to; ++c) MoveCell(sheet_, r, c, r - height, c);
    }
    for (TArea& a : areas) {
      a.top -= height;
      PutArea(cells, a);
    }
  } else {
    const int32_t width = ColumnCount();
    const int32_t blockEnd = std::max(cells.Empty() ? -1 : cells.LastColumn(), columnInfo.LastColumn());
    DissolveCrossingAreas(firstRow_, firstColumn_, lastRow_, std::max(blockEnd, lastColumn_));
    ForExistingCells(cells, firstRow_, firstColumn_, lastRow_, lastColumn_,
                     [&](TXLSCellRef& cell) { cells.DeleteCell(cell.Row, cell.Column); });
    std::vector<TArea> areas = TakeAreas(cells, firstRow_, lastColumn_ + 1, lastRow_, blockEnd);
    if (IsWholeColumns()) {
      for (int32_t c = firstColumn_; c <= lastColumn_; ++c) columnInfo.Remove(c);
      const int32_t last = columnInfo.LastColumn();
      for (int32_t c = lastColumn_ + 1; c <= last; ++c) {
        if (const TXLSColumnInfo* info = columnInfo.Find(c)) {
          columnInfo.CopyColumnInfo(c - width, info);
          columnInfo.Remove(c);
        }
      }
    }
    if (!cells.Empty()) {
      const int32_t from = std::max(firstRow_, cells.FirstRow());
      const int32_t to = std::min(lastRow_, cells.LastRow());
      for (int32_t r = from; r <= to; ++r)
        for (int32_t c = lastColumn_ + 1; c <= std::min(blockEnd, cells.LastColumn()); ++c)
          MoveCell(sheet_, r, c, r, c - width);
    }
    for (TArea& a : areas) {
      a.left -= width;
      PutArea(cells, a);
    }
  }
  // What was bound to the deleted cells goes; what follows them moves back.
  if (TXLSSheetObjects* objects = sheet_->SheetObjects()) {
    objects->ClearArea(firstRow_, firstColumn_, lastColumn_, lastRow_);
    if (left)
      objects->ShiftArea(firstRow_, lastColumn_ + 1, -1, lastRow_, 0, -ColumnCount());
    else
      objects->ShiftArea(lastRow_ + 1, firstColumn_, lastColumn_, -1, -RowCount(), 0);
  }
  sheet_->Workbook()->RaiseGeneration();
}

}  // namespace lx
