// Ranges: construction, the views, values and the shape operations.
#include <algorithm>
#include <cmath>
#include <vector>

#include "lxRange.h"
#include "lxRangeWalk.h"

namespace lx {

namespace {

int32_t ClampRow(int32_t row) { return std::clamp(row, 0, kXLSMaxRow); }
int32_t ClampColumn(int32_t column) { return std::clamp(column, 0, kXLSMaxColumn); }

// Reads the elements of a one- or two-dimensional array for offsets (i, j)
// with the repeat-one and beyond-the-end rules of array writes. The bounds
// are read once for the whole write.
class TArrayReader {
 public:
  explicit TArrayReader(const TVariant& array) : array_(array), dims_(array.ArrayDims()) {
    for (int dim = 1; dim <= dims_; ++dim) {
      low_[dim - 1] = array.ArrayLowBound(dim);
      count_[dim - 1] = static_cast<int64_t>(array.ArrayHighBound(dim)) - low_[dim - 1] + 1;
    }
  }

  const TVariant& Element(int32_t i, int32_t j) const {
    static const TVariant kNotAvailable("#N/D");
    int32_t a = 0, b = 0;
    if (dims_ == 1) {
      if (!Pick(0, j, a)) return kNotAvailable;
      return array_.ArrayItem(a);
    }
    if (!Pick(0, i, a) || !Pick(1, j, b)) return kNotAvailable;
    return array_.ArrayItem(a, b);
  }

 private:
  bool Pick(int dim, int32_t offset, int32_t& index) const {
    if (count_[dim] == 1) {
      index = low_[dim];
      return true;
    }
    if (offset >= count_[dim]) return false;
    index = low_[dim] + offset;
    return true;
  }

  const TVariant& array_;
  int dims_;
  int32_t low_[2] = {};
  int64_t count_[2] = {};
};

#if defined(__SANITIZE_ADDRESS__)
#define LX_KEEP_FREED_RANGES 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LX_KEEP_FREED_RANGES 0
#endif
#endif
#ifndef LX_KEEP_FREED_RANGES
#define LX_KEEP_FREED_RANGES 1
#endif

#if LX_KEEP_FREED_RANGES
// Set when the thread's list is gone: ranges released later in the thread's
// (or, on the main thread, the program's) shutdown go straight back to the
// allocator. A plain flag, readable after the list's destructor has run.
thread_local bool freedRangesGone = false;

// Memory of freed range objects, reused by the next range made on the same
// thread; what is left goes back to the allocator when the thread ends.
class TFreedRanges {
 public:
  TFreedRanges() = default;
  TFreedRanges(const TFreedRanges&) = delete;
  TFreedRanges& operator=(const TFreedRanges&) = delete;
  ~TFreedRanges() {
    freedRangesGone = true;
    while (count_ > 0) ::operator delete(memory_[--count_]);
  }
  void* Take() { return count_ > 0 ? memory_[--count_] : nullptr; }
  bool Keep(void* memory) {
    if (count_ == kKept) return false;
    memory_[count_++] = memory;
    return true;
  }

 private:
  static constexpr int kKept = 32;
  void* memory_[kKept] = {};
  int count_ = 0;
};

thread_local TFreedRanges freedRanges;
#endif

}  // namespace

// ---------------------------------------------------------------- construction

void* TXLSRange::operator new(std::size_t size) {
#if LX_KEEP_FREED_RANGES
  if (size == sizeof(TXLSRange) && !freedRangesGone)
    if (void* memory = freedRanges.Take()) return memory;
#endif
  return ::operator new(size);
}

void TXLSRange::operator delete(void* memory, std::size_t size) noexcept {
#if LX_KEEP_FREED_RANGES
  if (size == sizeof(TXLSRange) && !freedRangesGone && freedRanges.Keep(memory)) return;
#else
  (void)size;
#endif
  ::operator delete(memory);
}

TXLSRange::TXLSRange(IXLSWorksheet* sheet, int32_t row1, int32_t column1, int32_t row2, int32_t column2)
    : sheet_(sheet) {
  SetBounds(row1, column1, row2, column2);
}

void TXLSRange::SetBounds(int32_t row1, int32_t column1, int32_t row2, int32_t column2) {
  row1 = ClampRow(row1);
  row2 = ClampRow(row2);
  column1 = ClampColumn(column1);
  column2 = ClampColumn(column2);
  firstRow_ = std::min(row1, row2);
  lastRow_ = std::max(row1, row2);
  firstColumn_ = std::min(column1, column2);
  lastColumn_ = std::max(column1, column2);
}

XLSPtr<IXLSRange> TXLSRange::Create(IXLSWorksheet* sheet, int32_t row1, int32_t column1, int32_t row2,
                                    int32_t column2) {
  return XLSPtr<IXLSRange>(new TXLSRange(sheet, row1, column1, row2, column2));
}

XLSPtr<IXLSRowRange> TXLSRange::CreateRow(IXLSWorksheet* sheet, int32_t row1, int32_t column1, int32_t row2,
                                          int32_t column2) {
  return XLSPtr<IXLSRowRange>(new TXLSRange(sheet, row1, column1, row2, column2));
}

XLSPtr<IXLSRowsRange> TXLSRange::CreateRows(IXLSWorksheet* sheet, int32_t row1, int32_t column1, int32_t row2,
                                            int32_t column2) {
  return XLSPtr<IXLSRowsRange>(new TXLSRange(sheet, row1, column1, row2, column2));
}

XLSPtr<IXLSColsRange> TXLSRange::CreateCols(IXLSWorksheet* sheet, int32_t row1, int32_t column1, int32_t row2,
                                            int32_t column2) {
  return XLSPtr<IXLSColsRange>(new TXLSRange(sheet, row1, column1, row2, column2));
}

TXLSRange* TXLSRange::From(IXLSRangeBase* range) { return range ? dynamic_cast<TXLSRange*>(range) : nullptr; }

TlxFormatList& TXLSRange::Formats() const { return sheet_->Workbook()->Formats(); }

// ---------------------------------------------------------------- shape

XLSPtr<IXLSRange> TXLSRange::Item(int32_t row, int32_t column) {
  const int64_t r = static_cast<int64_t>(firstRow_) + row - 1;
  const int64_t c = static_cast<int64_t>(firstColumn_) + column - 1;
  if (r < 0 || r > kXLSMaxRow || c < 0 || c > kXLSMaxColumn) throw EXLSError(kInvalidIndexError);
  return Create(sheet_, static_cast<int32_t>(r), static_cast<int32_t>(c), static_cast<int32_t>(r),
                static_cast<int32_t>(c));
}

XLSPtr<IXLSRowsRange> TXLSRange::EntireRow() { return CreateRows(sheet_, firstRow_, 0, lastRow_, kXLSMaxColumn); }

XLSPtr<IXLSColsRange> TXLSRange::EntireColumn() { return CreateCols(sheet_, 0, firstColumn_, kXLSMaxRow, lastColumn_); }

XLSPtr<IXLSRowsRange> TXLSRange::Rows() { return XLSPtr<IXLSRowsRange>(this); }
XLSPtr<IXLSColsRange> TXLSRange::Columns() { return XLSPtr<IXLSColsRange>(this); }
XLSPtr<IXLSRange> TXLSRange::Cells() { return XLSPtr<IXLSRange>(this); }

XLSPtr<IXLSRange> TXLSRange::Offset(int32_t rowOffset, int32_t columnOffset) {
  if (!offset_) offset_ = Create(sheet_, firstRow_, firstColumn_, lastRow_, lastColumn_);
  TXLSRange* moved = From(offset_.Get());
  moved->SetBounds(firstRow_, firstColumn_, lastRow_, lastColumn_);
  moved->MoveTo(firstRow_ + rowOffset, firstColumn_ + columnOffset);
  return offset_;
}

void TXLSRange::MoveTo(int32_t row, int32_t column) {
  // The size is kept; a top-left that would push the range off the sheet
  // stops at the sheet's edge.
  const int32_t height = RowCount() - 1;
  const int32_t width = ColumnCount() - 1;
  row = std::clamp(row, 0, kXLSMaxRow - height);
  column = std::clamp(column, 0, kXLSMaxColumn - width);
  firstRow_ = row;
  lastRow_ = row + height;
  firstColumn_ = column;
  lastColumn_ = column + width;
}

void TXLSRange::Activate() {
  ExpandToMergedAreas();
  sheet_->SetActiveCell(Create(sheet_, firstRow_, firstColumn_, lastRow_, lastColumn_));
}

// ---------------------------------------------------------------- values

void TXLSRange::SetValue(const TVariant& value) {
  TXLSCellHeap& cells = sheet_->CellHeap();
  const int dims = value.IsArray() ? value.ArrayDims() : 0;
  if (dims == 0) {
    for (int32_t r = firstRow_; r <= lastRow_; ++r)
      for (int32_t c = firstColumn_; c <= lastColumn_; ++c) sheet_->SetCellValue(cells.GetCell(r, c), value);
  } else if (dims <= 2) {
    const TArrayReader array(value);
    for (int32_t r = firstRow_; r <= lastRow_; ++r)
      for (int32_t c = firstColumn_; c <= lastColumn_; ++c)
        sheet_->SetCellValue(cells.GetCell(r, c), array.Element(r - firstRow_, c - firstColumn_));
  }
  sheet_->Workbook()->RaiseGeneration();
}

void NumberToDateValue(TVariant& value) {
  double serial = value.ToDouble();
  if (serial >= 0 && serial < 60) serial += 1;
  value = TVariant::FromDate(serial);
}

TVariant TXLSRange::CellValueAt(int32_t row, int32_t column) const {
  const TXLSCellRef* cell = sheet_->CellHeap().FindCell(row, column);
  if (!cell) return TVariant::Null();
  TVariant value = sheet_->ReadCellValue(cell);
  if (value.VarType() == varDouble && Formats().IsXFDateFormat(sheet_->EffectiveFormat(row, column)))
    NumberToDateValue(value);
  return value;
}

void TXLSRange::ForEachValue(const TValueVisitor& visit) const {
  // Nothing changes formats during the walk, so whether a format is a date
  // format is worked out once per format met.
  std::vector<std::pair<int32_t, bool>> dateFormats;
  auto isDate = [&](int32_t format) {
    for (const auto& [known, date] : dateFormats)
      if (known == format) return date;
    const bool date = Formats().IsXFDateFormat(format);
    dateFormats.emplace_back(format, date);
    return date;
  };
  const TXLSCellHeap& cells = sheet_->CellHeap();
  const TVariant null = TVariant::Null();
  TVariant value;
  for (int32_t r = firstRow_; r <= lastRow_; ++r) {
    // The row's cells in column order; the positions between them are null.
    int32_t next = firstColumn_;
    cells.ForEachCellInRow(r, [&](const TXLSCellRef& cell) {
      const int32_t c = cell.Column;
      if (c < firstColumn_) return true;
      if (c > lastColumn_) return false;
      for (; next < c; ++next) visit(r - firstRow_, next - firstColumn_, null);
      if (sheet_->GetCellValue(&cell, value) != kResultOk) value = TVariant::Null();
      if (value.VarType() == varDouble && isDate(sheet_->EffectiveFormat(r, c))) NumberToDateValue(value);
      visit(r - firstRow_, c - firstColumn_, value);
      next = c + 1;
      return true;
    });
    for (; next <= lastColumn_; ++next) visit(r - firstRow_, next - firstColumn_, null);
  }
}

TVariant TXLSRange::Value() {
  if (RowCount() == 1 && ColumnCount() == 1) return CellValueAt(firstRow_, firstColumn_);
  TVariant result = TVariant::CreateArray(0, RowCount(), 0, ColumnCount());
  ForEachValue([&](int32_t i, int32_t j, const TVariant& value) { result.SetArrayItem(i, j, value); });
  return result;
}

TVariant TXLSRange::Formula() {
  auto formulaAt = [&](int32_t r, int32_t c) {
    TVariant value = TVariant::Null();
    if (const TXLSCellRef* cell = sheet_->CellHeap().FindCell(r, c)) sheet_->GetCellFormulaText(cell, value);
    return value;
  };
  if (RowCount() == 1 && ColumnCount() == 1) return formulaAt(firstRow_, firstColumn_);
  TVariant result = TVariant::CreateArray(0, RowCount(), 0, ColumnCount());
  for (int32_t r = firstRow_; r <= lastRow_; ++r)
    for (int32_t c = firstColumn_; c <= lastColumn_; ++c)
      result.SetArrayItem(r - firstRow_, c - firstColumn_, formulaAt(r, c));
  return result;
}

bool TXLSRange::HasFormula() {
  bool found = false;
  ForExistingCells(sheet_->CellHeap(), firstRow_, firstColumn_, lastRow_, lastColumn_, [&](TXLSCellRef& cell) {
    if (!found && sheet_->HasFormula(&cell)) found = true;
  });
  return found;
}

// ---------------------------------------------------------------- views

TXLSRange& TXLSPlainView::Self() { return static_cast<TXLSRange&>(*this); }
TXLSRange& TXLSRowView::Self() { return static_cast<TXLSRange&>(*this); }
TXLSRange& TXLSColsView::Self() { return static_cast<TXLSRange&>(*this); }
TXLSRange& TXLSRowsView::Self() { return static_cast<TXLSRange&>(*this); }

int32_t TXLSPlainView::ItemCount() { return Self().RowCount(); }
TVariant TXLSPlainView::Hidden() { return Self().ColumnHiddenFlags(); }
void TXLSPlainView::SetHidden(const TVariant& value) { Self().SetColumnHiddenFlags(value); }
XLSPtr<IXLSRowRange> TXLSPlainView::Item(int32_t n) {
  TXLSRange& r = Self();
  const int32_t row = r.FirstRow() + n - 1;
  return TXLSRange::CreateRow(r.Worksheet(), row, r.FirstColumn(), row, r.LastColumn());
}
void TXLSPlainView::ColumnsAutoFit(bool columns) { Self().AutoFit(columns); }
void TXLSPlainView::ColumnsGroup(bool) { Self().Group(false); }
void TXLSPlainView::ColumnsUngroup(bool) { Self().Ungroup(false); }
int32_t TXLSPlainView::ColumnsOutlineLevel() { return Self().ColumnOutlineLevel(); }
void TXLSPlainView::SetColumnsOutlineLevel(int32_t level) { Self().SetColumnOutlineLevel(level); }

int32_t TXLSRowView::ItemCount() { return Self().ColumnCount(); }
TVariant TXLSRowView::Hidden() { return Self().RowHiddenFlags(); }
void TXLSRowView::SetHidden(const TVariant& value) { Self().SetRowHiddenFlags(value); }
XLSPtr<IXLSRange> TXLSRowView::Item(int32_t n) {
  TXLSRange& r = Self();
  const int32_t column = r.FirstColumn() + n - 1;
  return TXLSRange::Create(r.Worksheet(), r.FirstRow(), column, r.LastRow(), column);
}
void TXLSRowView::RowsAutoFit(bool columns) { Self().AutoFit(columns); }

int32_t TXLSColsView::ItemCount() { return Self().ColumnCount(); }
TVariant TXLSColsView::Hidden() { return Self().ColumnHiddenFlags(); }
void TXLSColsView::SetHidden(const TVariant& value) { Self().SetColumnHiddenFlags(value); }
XLSPtr<IXLSRange> TXLSColsView::Item(int32_t n) {
  TXLSRange& r = Self();
  const int32_t column = r.FirstColumn() + n - 1;
  return TXLSRange::Create(r.Worksheet(), r.FirstRow(), column, r.LastRow(), column);
}
void TXLSColsView::ColumnsAutoFit(bool columns) { Self().AutoFit(columns); }
void TXLSColsView::ColumnsGroup(bool) { Self().Group(false); }
void TXLSColsView::ColumnsUngroup(bool) { Self().Ungroup(false); }
int32_t TXLSColsView::ColumnsOutlineLevel() { return Self().ColumnOutlineLevel(); }
void TXLSColsView::SetColumnsOutlineLevel(int32_t level) { Self().SetColumnOutlineLevel(level); }

int32_t TXLSRowsView::ItemCount() { return Self().RowCount(); }
TVariant TXLSRowsView::Hidden() { return Self().RowHiddenFlags(); }
void TXLSRowsView::SetHidden(const TVariant& value) { Self().SetRowHiddenFlags(value); }
XLSPtr<IXLSRowRange> TXLSRowsView::Item(int32_t n) {
  TXLSRange& r = Self();
  const int32_t row = r.FirstRow() + n - 1;
  return TXLSRange::CreateRow(r.Worksheet(), row, r.FirstColumn(), row, r.LastColumn());
}
void TXLSRowsView::RowsAutoFit(bool columns) { Self().AutoFit(columns); }

// Auto-fit and saving a range's cells are done by layers above the model,
// through the workbook's links (lxLinks.h).
const TXLSWorkbookLinks* TXLSRange::Links() const { return sheet_->Workbook()->Links(); }

void TXLSRange::AutoFit(bool columns) {
  const TXLSWorkbookLinks* links = Links();
  if (links && links->autoFit) links->autoFit(*this, columns);
}

int32_t TXLSRange::SaveAs(const WideString& fileName, int32_t format) {
  const TXLSWorkbookLinks* links = Links();
  return links && links->saveRange ? links->saveRange(*this, fileName, nullptr, format) : kResultFail;
}

int32_t TXLSRange::SaveAs(TStream& stream, int32_t format) {
  const TXLSWorkbookLinks* links = Links();
  return links && links->saveRange ? links->saveRange(*this, WideString(), &stream, format) : kResultFail;
}

}  // namespace lx
