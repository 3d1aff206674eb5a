// Ranges: formatting through the format list, widths, heights, hidden flags
// and outline levels.
#include <algorithm>
#include <array>

#include "lxRange.h"
#include "lxRangeWalk.h"

namespace lx {

namespace {

// Alignment constants in the order of their stored codes.
constexpr std::array<int32_t, 8> kHorizontalConstants{xlHAlignGeneral,
                                                      xlHAlignLeft,
                                                      xlHAlignCenter,
                                                      xlHAlignRight,
                                                      xlHAlignFill,
                                                      xlHAlignJustify,
                                                      xlHAlignCenterAcrossSelection,
                                                      xlHAlignDistributed};
constexpr std::array<int32_t, 5> kVerticalConstants{xlVAlignTop, xlVAlignCenter, xlVAlignBottom, xlVAlignJustify,
                                                    xlVAlignDistributed};
constexpr int32_t kStackedRotation = 255;
constexpr double kMaxColumnCharacters = 255.0;

template <size_t N>
int32_t CodeOf(const std::array<int32_t, N>& constants, int32_t value) {
  for (size_t i = 0; i < N; ++i)
    if (constants[i] == value) return static_cast<int32_t>(i);
  return -1;
}

// Reads per-item values into a scalar (one item) or a 0-based array.
template <class Get>
TVariant PerItem(int32_t first, int32_t last, Get get) {
  if (first == last) return get(first);
  TVariant result = TVariant::CreateArray(0, last - first + 1);
  for (int32_t i = first; i <= last; ++i) result.SetArrayItem(i - first, get(i));
  return result;
}

// A scalar for every item, or an array element per item: one element serves
// all, items beyond a longer array's end are left alone.
template <class Set>
void PerItemWrite(int32_t first, int32_t last, const TVariant& value, Set set) {
  if (!value.IsArray()) {
    for (int32_t i = first; i <= last; ++i) set(i, value);
    return;
  }
  if (value.ArrayDims() != 1) return;
  const int32_t low = value.ArrayLowBound(1);
  const int64_t count = static_cast<int64_t>(value.ArrayHighBound(1)) - low + 1;
  for (int32_t i = first; i <= last; ++i) {
    const int64_t offset = i - first;
    if (count == 1)
      set(i, value.ArrayItem(low));
    else if (offset < count)
      set(i, value.ArrayItem(static_cast<int32_t>(low + offset)));
  }
}

}  // namespace

// ---------------------------------------------------------------- the format walk

int32_t TXLSRange::TopLeftFormat() const { return sheet_->EffectiveFormat(firstRow_, firstColumn_); }

void TXLSRange::ChangeCellFormat(TXLSCellRef* cell) {
  if (!cell || cell->HiddenByMerge()) return;
  const bool fromCell = cell->FormatIndex > 0;
  const int32_t old = fromCell ? cell->FormatIndex : 0;
  int32_t result;
  if (!cache_.Find(old, result)) {
    result = (*change_)(old, fromCell);
    cache_.Remember(old, result);
  } else {
    if (fromCell)
      Formats().MoveReference(old, result);
    else
      Formats().AddReference(result);
  }
  cell->FormatIndex = result;
}

void TXLSRange::ApplyFormatChange(const TChange& change) {
  // The cache belongs to one change: a pair computed for another attribute
  // would give the wrong format.
  change_ = &change;
  ResetCache();
  TXLSCellHeap& cells = sheet_->CellHeap();

  if (IsWholeColumns()) {
    for (int32_t c = firstColumn_; c <= lastColumn_; ++c) {
      TXLSColumnInfo* info = sheet_->ColumnInfo().Get(c);
      info->FormatIndex = change(info->FormatIndex, true);
      ResetCache();
      if (!cells.Empty())
        ForExistingCells(cells, cells.FirstRow(), c, cells.LastRow(), c,
                         [&](TXLSCellRef& cell) { ChangeCellFormat(&cell); });
    }
  } else if (IsWholeRows()) {
    const TXLSColumnInfoList& columns = sheet_->ColumnInfo();
    for (int32_t r = firstRow_; r <= lastRow_; ++r) {
      TXLSRowInfo* info = sheet_->RowInfo().Get(r);
      info->FormatIndex = change(info->FormatIndex, true);
      info->HasRowFormat = true;
      ResetCache();
      int32_t left = cells.Empty() ? kXLSMaxColumn + 1 : cells.FirstColumn();
      int32_t right = cells.Empty() ? -1 : cells.LastColumn();
      if (columns.Count() > 0) {
        left = std::min(left, columns.FirstColumn());
        right = std::max(right, columns.LastColumn());
      }
      for (int32_t c = left; c <= right; ++c) {
        if (TXLSCellRef* cell = cells.FindCell(r, c)) {
          ChangeCellFormat(cell);
          continue;
        }
        const TXLSColumnInfo* column = columns.Find(c);
        // Only a column with a format of its own has to combine with the
        // row; elsewhere the row's new format shows through.
        if (!column || column->FormatIndex == 0 || column->FormatIndex == TlxFormatList::kDefaultCellFormat) continue;
        const int32_t combined = change(column->FormatIndex, false);
        TXLSCellRef* created = cells.GetCell(r, c);
        Formats().ReleaseReference(created->FormatIndex);
        created->FormatIndex = combined;
      }
    }
  } else {
    for (int32_t r = firstRow_; r <= lastRow_; ++r)
      for (int32_t c = firstColumn_; c <= lastColumn_; ++c) ChangeCellFormat(cells.GetCell(r, c));
  }
  change_ = nullptr;
  ResetCache();
}

// ---------------------------------------------------------------- format properties

TVariant TXLSRange::WrapText() { return TVariant(Formats().GetXFWrapText(TopLeftFormat())); }

void TXLSRange::SetWrapText(const TVariant& value) {
  bool ok = false;
  const bool wrap = value.ToBool(&ok);
  if (!ok) return;
  TlxFormatList& formats = Formats();
  ApplyFormatChange([&](int32_t i, bool release) { return formats.SetXFWrapText(i, wrap, release); });
}

TVariant TXLSRange::Orientation() {
  const int32_t rotation = Formats().GetXFRotation(TopLeftFormat());
  return TVariant(rotation != kStackedRotation && rotation > 90 ? 90 - rotation : rotation);
}

void TXLSRange::SetOrientation(const TVariant& value) {
  bool ok = false;
  int32_t v = value.ToInt32(&ok);
  if (!ok) return;
  if (v < 0) v = 90 - v;
  if (!((v >= 0 && v <= 180) || v == kStackedRotation)) return;
  TlxFormatList& formats = Formats();
  ApplyFormatChange([&](int32_t i, bool release) { return formats.SetXFRotation(i, v, release); });
}

WideString TXLSRange::NumberFormat() { return Formats().GetXFNumberFormatText(TopLeftFormat()); }

void TXLSRange::SetNumberFormat(const WideString& value) {
  TlxFormatList& formats = Formats();
  const WideString code = ReplaceLoneSurrogates(value);
  ApplyFormatChange([&](int32_t i, bool release) { return formats.SetXFNumberFormat(i, code, release); });
}

bool TXLSRange::Locked() { return Formats().GetXFLocked(TopLeftFormat()); }

void TXLSRange::SetLocked(bool value) {
  TlxFormatList& formats = Formats();
  ApplyFormatChange([&](int32_t i, bool release) { return formats.SetXFLocked(i, value, release); });
}

bool TXLSRange::FormulaHidden() { return Formats().GetXFFormulaHidden(TopLeftFormat()); }

void TXLSRange::SetFormulaHidden(bool value) {
  TlxFormatList& formats = Formats();
  ApplyFormatChange([&](int32_t i, bool release) { return formats.SetXFFormulaHidden(i, value, release); });
}

bool TXLSRange::ShrinkToFit() { return Formats().GetXFShrinkToFit(TopLeftFormat()); }

void TXLSRange::SetShrinkToFit(bool value) {
  TlxFormatList& formats = Formats();
  ApplyFormatChange([&](int32_t i, bool release) { return formats.SetXFShrinkToFit(i, value, release); });
}

int32_t TXLSRange::ReadingOrder() { return Formats().GetXFReadingOrder(TopLeftFormat()); }

void TXLSRange::SetReadingOrder(uint8_t value) {
  const int32_t order = value & 3;
  TlxFormatList& formats = Formats();
  ApplyFormatChange([&](int32_t i, bool release) { return formats.SetXFReadingOrder(i, order, release); });
}

int32_t TXLSRange::HorizontalAlignment() {
  const int32_t code = Formats().GetXFHorizontalAlignment(TopLeftFormat());
  return code >= 0 && code < 8 ? kHorizontalConstants[code] : 0;
}

void TXLSRange::SetHorizontalAlignment(int32_t value) {
  const int32_t code = CodeOf(kHorizontalConstants, value);
  if (code < 0) return;
  TlxFormatList& formats = Formats();
  ApplyFormatChange([&](int32_t i, bool release) { return formats.SetXFHorizontalAlignment(i, code, release); });
}

int32_t TXLSRange::VerticalAlignment() {
  const int32_t code = Formats().GetXFVerticalAlignment(TopLeftFormat());
  return code >= 0 && code < 5 ? kVerticalConstants[code] : 0;
}

void TXLSRange::SetVerticalAlignment(int32_t value) {
  const int32_t code = CodeOf(kVerticalConstants, value);
  if (code < 0) return;
  TlxFormatList& formats = Formats();
  ApplyFormatChange([&](int32_t i, bool release) { return formats.SetXFVerticalAlignment(i, code, release); });
}

int32_t TXLSRange::IndentLevel() { return Formats().GetXFIndentLevel(TopLeftFormat()); }

void TXLSRange::SetIndentLevel(int32_t level) {
  if (level < 0 || level > 15) return;
  TlxFormatList& formats = Formats();
  ApplyFormatChange([&](int32_t i, bool release) { return formats.SetXFIndentLevel(i, level, release); });
}

// ---------------------------------------------------------------- widths, heights, hidden

TVariant TXLSRange::ColumnWidth() {
  const TXLSColumnInfoList& columns = sheet_->ColumnInfo();
  return PerItem(firstColumn_, lastColumn_, [&](int32_t c) { return TVariant(columns.ColumnWidth(c)); });
}

void TXLSRange::SetColumnWidth(const TVariant& value) {
  TXLSColumnInfoList& columns = sheet_->ColumnInfo();
  PerItemWrite(firstColumn_, lastColumn_, value, [&](int32_t c, const TVariant& v) {
    bool ok = false;
    const double width = v.ToDouble(&ok);
    if (ok) columns.SetColumnWidth(c, std::min(width, kMaxColumnCharacters));
  });
}

TVariant TXLSRange::RowHeight() {
  const TXLSRowInfoList& rows = sheet_->RowInfo();
  return PerItem(firstRow_, lastRow_, [&](int32_t r) { return TVariant(rows.RowHeight(r)); });
}

void TXLSRange::SetRowHeight(const TVariant& value) {
  TXLSRowInfoList& rows = sheet_->RowInfo();
  PerItemWrite(firstRow_, lastRow_, value, [&](int32_t r, const TVariant& v) {
    bool ok = false;
    const double height = v.ToDouble(&ok);
    if (ok) rows.SetRowHeight(r, height);
  });
}

TVariant TXLSRange::ColumnHiddenFlags() {
  const TXLSColumnInfoList& columns = sheet_->ColumnInfo();
  return PerItem(firstColumn_, lastColumn_, [&](int32_t c) { return TVariant(columns.ColumnHidden(c)); });
}

void TXLSRange::SetColumnHiddenFlags(const TVariant& value) {
  TXLSColumnInfoList& columns = sheet_->ColumnInfo();
  PerItemWrite(firstColumn_, lastColumn_, value, [&](int32_t c, const TVariant& v) {
    bool ok = false;
    const bool hidden = v.ToBool(&ok);
    if (ok) columns.SetColumnHidden(c, hidden);
  });
}

TVariant TXLSRange::RowHiddenFlags() {
  const TXLSRowInfoList& rows = sheet_->RowInfo();
  return PerItem(firstRow_, lastRow_, [&](int32_t r) { return TVariant(rows.RowHidden(r)); });
}

void TXLSRange::SetRowHiddenFlags(const TVariant& value) {
  TXLSRowInfoList& rows = sheet_->RowInfo();
  PerItemWrite(firstRow_, lastRow_, value, [&](int32_t r, const TVariant& v) {
    bool ok = false;
    const bool hidden = v.ToBool(&ok);
    if (ok) rows.SetRowHidden(r, hidden);
  });
}

// ---------------------------------------------------------------- outline

void TXLSRange::ShiftOutline(bool rows, int32_t delta) {
  if (rows) {
    TXLSRowInfoList& list = sheet_->RowInfo();
    for (int32_t r = firstRow_; r <= lastRow_; ++r) list.SetRowOutlineLevel(r, list.RowOutlineLevel(r) + delta);
  } else {
    TXLSColumnInfoList& list = sheet_->ColumnInfo();
    for (int32_t c = firstColumn_; c <= lastColumn_; ++c)
      list.SetColumnOutlineLevel(c, list.ColumnOutlineLevel(c) + delta);
  }
}

void TXLSRange::Group(bool rows) { ShiftOutline(rows, 1); }
void TXLSRange::Ungroup(bool rows) { ShiftOutline(rows, -1); }

void TXLSRange::ClearOutline() {
  SetColumnOutlineLevel(1);
  SetOutlineLevel(1);
}

int32_t TXLSRange::OutlineLevel() {
  const TXLSRowInfoList& list = sheet_->RowInfo();
  int32_t level = 1;
  if (list.Count() == 0) return level;
  for (int32_t r = std::max(firstRow_, list.FirstRow()); r <= std::min(lastRow_, list.LastRow()); ++r)
    level = std::max(level, list.RowOutlineLevel(r));
  return level;
}

void TXLSRange::SetOutlineLevel(int32_t level) {
  TXLSRowInfoList& list = sheet_->RowInfo();
  for (int32_t r = firstRow_; r <= lastRow_; ++r) list.SetRowOutlineLevel(r, level);
}

int32_t TXLSRange::ColumnOutlineLevel() {
  const TXLSColumnInfoList& list = sheet_->ColumnInfo();
  int32_t level = 1;
  for (int32_t c = firstColumn_; c <= lastColumn_; ++c) level = std::max(level, list.ColumnOutlineLevel(c));
  return level;
}

void TXLSRange::SetColumnOutlineLevel(int32_t level) {
  TXLSColumnInfoList& list = sheet_->ColumnInfo();
  for (int32_t c = firstColumn_; c <= lastColumn_; ++c) list.SetColumnOutlineLevel(c, level);
}

}  // namespace lx
