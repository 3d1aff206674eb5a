// The range object behind the four range interfaces.
//
// TXLSRange is a rectangle of one worksheet. It holds no cell data: every
// operation works on the worksheet's cell store and row and column records
// (lxCellHeap.h). One object implements the plain, row, columns and rows
// views (lxHandle.h); the views share slots 3 to 86, which TXLSRange
// implements once, and differ in the few slots the small view classes below
// implement.
//
// Every formatting write goes through ApplyFormatChange, which asks the
// format list for the changed index of each run of equal formats (a one-entry
// cache) and keeps the use counts: the font, borders and interior objects call
// it with their own attribute writes. The source is split by subject:
// Range.cpp (values, shape, views), RangeFormat.cpp (formatting, widths and
// heights, outline), RangeMerge.cpp (merged areas), RangeCopy.cpp (copy,
// clear, insert and delete).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "lxHandle.h"
#include "lxRangeWalk.h"

namespace lx {

// A number read from a cell under a date format, turned into the date Value
// gives for it: serials below 60 count one day more, as the spreadsheet's
// calendar has a 29 February 1900.
void NumberToDateValue(TVariant& value);

class TXLSRange;

class TXLSPlainView : public IXLSRange {
 public:
  int32_t ItemCount() override;
  TVariant Hidden() override;
  void SetHidden(const TVariant& value) override;
  XLSPtr<IXLSRowRange> Item(int32_t n) override;
  void ColumnsAutoFit(bool columns) override;
  void ColumnsGroup(bool rows) override;
  void ColumnsUngroup(bool rows) override;
  int32_t ColumnsOutlineLevel() override;
  void SetColumnsOutlineLevel(int32_t level) override;

 private:
  TXLSRange& Self();
};

class TXLSRowView : public IXLSRowRange {
 public:
  int32_t ItemCount() override;
  TVariant Hidden() override;
  void SetHidden(const TVariant& value) override;
  XLSPtr<IXLSRange> Item(int32_t n) override;
  void RowsAutoFit(bool columns) override;

 private:
  TXLSRange& Self();
};

class TXLSColsView : public IXLSColsRange {
 public:
  int32_t ItemCount() override;
  TVariant Hidden() override;
  void SetHidden(const TVariant& value) override;
  XLSPtr<IXLSRange> Item(int32_t n) override;
  void ColumnsAutoFit(bool columns) override;
  void ColumnsGroup(bool rows) override;
  void ColumnsUngroup(bool rows) override;
  int32_t ColumnsOutlineLevel() override;
  void SetColumnsOutlineLevel(int32_t level) override;

 private:
  TXLSRange& Self();
};

class TXLSRowsView : public IXLSRowsRange {
 public:
  int32_t ItemCount() override;
  TVariant Hidden() override;
  void SetHidden(const TVariant& value) override;
  XLSPtr<IXLSRowRange> Item(int32_t n) override;
  void RowsAutoFit(bool columns) override;

 private:
  TXLSRange& Self();
};

class TXLSRange final : public TXLSInterfaced<TXLSPlainView, TXLSRowView, TXLSColsView, TXLSRowsView> {
 public:
  // 0-based corners in any order; they are clamped to the sheet and ordered.
  TXLSRange(IXLSWorksheet* sheet, int32_t row1, int32_t column1, int32_t row2, int32_t column2);

  // New range objects handed out through one view.
  static XLSPtr<IXLSRange> Create(IXLSWorksheet* sheet, int32_t row1, int32_t column1, int32_t row2, int32_t column2);
  static XLSPtr<IXLSRowRange> CreateRow(IXLSWorksheet* sheet, int32_t row1, int32_t column1, int32_t row2,
                                        int32_t column2);
  static XLSPtr<IXLSRowsRange> CreateRows(IXLSWorksheet* sheet, int32_t row1, int32_t column1, int32_t row2,
                                          int32_t column2);
  static XLSPtr<IXLSColsRange> CreateCols(IXLSWorksheet* sheet, int32_t row1, int32_t column1, int32_t row2,
                                          int32_t column2);
  // The implementation behind any range interface of this engine.
  static TXLSRange* From(IXLSRangeBase* range);

  // Cells.Item loops make and drop one range per cell. Freed range objects
  // wait in a short per-thread list for the next one, which spares the
  // allocator that round trip (not in sanitizer builds, where every object
  // should come from the checked allocator).
  static void* operator new(std::size_t size);
  static void operator delete(void* memory, std::size_t size) noexcept;

  // The views' slot 90 stays reachable through each view.
  using TXLSColsView::Item;
  using TXLSPlainView::Item;
  using TXLSRowsView::Item;
  using TXLSRowView::Item;

  // Slots 3 to 86.
  void CopyFrom(IXLSRange* source, int32_t what, bool keepSource) override;
  XLSPtr<IXLSRange> Item(int32_t row, int32_t column) override;
  void SetValue(const TVariant& value) override;
  TVariant Value() override;
  TVariant Formula() override;
  XLSPtr<IXLSRowsRange> EntireRow() override;
  XLSPtr<IXLSColsRange> EntireColumn() override;
  XLSPtr<IXLSRowsRange> Rows() override;
  XLSPtr<IXLSColsRange> Columns() override;
  XLSPtr<IXLSRange> Offset(int32_t rowOffset, int32_t columnOffset) override;
  void MoveTo(int32_t row, int32_t column) override;
  int32_t Row() override { return firstRow_ + 1; }
  int32_t Column() override { return firstColumn_ + 1; }
  int32_t Count() override { return RowCount() * ColumnCount(); }
  XLSPtr<IXLSFont> Font() override;
  XLSPtr<IXLSInterior> Interior() override;
  TVariant ColumnWidth() override;
  void SetColumnWidth(const TVariant& value) override;
  TVariant RowHeight() override;
  void SetRowHeight(const TVariant& value) override;
  TVariant WrapText() override;
  void SetWrapText(const TVariant& value) override;
  TVariant Orientation() override;
  void SetOrientation(const TVariant& value) override;
  XLSPtr<IXLSBorders> Borders() override;
  WideString NumberFormat() override;
  void SetNumberFormat(const WideString& value) override;
  bool Locked() override;
  void SetLocked(bool value) override;
  bool FormulaHidden() override;
  void SetFormulaHidden(bool value) override;
  bool ShrinkToFit() override;
  void SetShrinkToFit(bool value) override;
  int32_t ReadingOrder() override;
  void SetReadingOrder(uint8_t value) override;
  int32_t HorizontalAlignment() override;
  void SetHorizontalAlignment(int32_t value) override;
  int32_t VerticalAlignment() override;
  void SetVerticalAlignment(int32_t value) override;
  XLSPtr<IXLSRange> Cells() override;
  void ExpandToMergedAreas() override;
  void ShrinkToWholeMergedAreas() override;
  bool HasFormula() override;
  void AutoFilter() override;
  void Reserved47() override {}
  void Reserved48(int32_t) override {}
  void Reserved49(const TVariant&) override {}
  void Reserved50(int32_t, int32_t, const TVariant&) override {}
  void Merge(const TVariant& across) override;
  void Merge() override { Merge(TVariant(false)); }
  void Activate() override;
  void ClearContents() override;
  void Clear() override;
  void Insert(const TVariant& shift, TVariant& done) override;
  void Delete(const TVariant& shift, TVariant& done) override;
  void Cut(IXLSRange* destination) override { Cut(destination, kCopyAll); }
  void Copy(IXLSRange* destination) override { Copy(destination, kCopyAll); }
  void Cut(IXLSRange* destination, int32_t what) override;
  void Copy(IXLSRange* destination, int32_t what) override;
  XLSPtr<IXLSComment> AddComment() override;
  XLSPtr<IXLSComment> AddComment(const WideString& text) override;
  void ClearComments() override;
  XLSPtr<IXLSComment> Comment() override;
  XLSPtr<IXLSHyperlinks> Hyperlinks() override;
  int32_t FirstColumn() override { return firstColumn_; }
  int32_t LastColumn() override { return lastColumn_; }
  int32_t FirstRow() override { return firstRow_; }
  int32_t LastRow() override { return lastRow_; }
  void UnMerge() override;
  bool MergeCells() override;
  void SetMergeCells(bool value) override;
  XLSPtr<IXLSRange> MergeArea() override;
  int32_t FormatIndex() override { return TopLeftFormat(); }
  IXLSWorksheet* Worksheet() override { return sheet_; }
  void AutoFit(bool columns) override;
  void Group(bool rows) override;
  void Ungroup(bool rows) override;
  void ClearOutline() override;
  int32_t OutlineLevel() override;
  void SetOutlineLevel(int32_t level) override;
  int32_t IndentLevel() override;
  void SetIndentLevel(int32_t level) override;
  [[nodiscard]] int32_t SaveAs(const WideString& fileName, int32_t format) override;
  [[nodiscard]] int32_t SaveAs(TStream& stream, int32_t format) override;

  // Plain methods.
  using TChange = std::function<int32_t(int32_t index, bool release)>;
  // The single path of every formatting write; `change` is one of the format
  // list's attribute writes bound to its new value.
  void ApplyFormatChange(const TChange& change);
  // The effective format of the top-left position.
  int32_t TopLeftFormat() const;
  // The font of the cells: reads from the top-left format, each write one
  // format change (FontObject.cpp; the font object delegates here).
  WideString FontName();
  double FontSize();
  int32_t FontColorIndex();
  uint32_t FontColor();
  bool FontBold();
  bool FontItalic();
  bool FontStrikethrough();
  bool FontOutline();
  bool FontShadow();
  int32_t FontUnderline();
  bool FontSubscript();
  bool FontSuperscript();
  uint8_t FontCharset();
  uint8_t FontFamily();
  void SetFontSize(float points);
  void SetFontColorIndex(int32_t value);
  void SetFontColor(uint32_t rgb);
  void SetFontBold(bool value);
  void SetFontItalic(bool value);
  void SetFontStrikethrough(bool value);
  void SetFontOutline(bool value);
  void SetFontShadow(bool value);
  void SetFontUnderline(int32_t value);
  void SetFontSubscript(bool value);
  void SetFontSuperscript(bool value);
  void SetFontName(const WideString& name);
  void SetFontCharset(uint8_t value);
  void SetFontFamily(uint8_t value);
  int32_t RowCount() const { return lastRow_ - firstRow_ + 1; }
  int32_t ColumnCount() const { return lastColumn_ - firstColumn_ + 1; }
  bool IsWholeColumns() const { return firstRow_ == 0 && lastRow_ == kXLSMaxRow; }
  bool IsWholeRows() const { return !IsWholeColumns() && firstColumn_ == 0 && lastColumn_ == kXLSMaxColumn; }
  void SetBounds(int32_t row1, int32_t column1, int32_t row2, int32_t column2);
  TlxFormatList& Formats() const;
  // The value Value gives for one position of the sheet (0-based): null for
  // no cell, dates for numbers under a date format. Writers that walk a
  // range read it cell by cell instead of building Value's array.
  TVariant CellValueAt(int32_t row, int32_t column) const;
  // Every value of the range in rows, as Value gives them, with its offsets
  // from the top-left corner.
  using TValueVisitor = std::function<void(int32_t rowOffset, int32_t columnOffset, const TVariant& value)>;
  void ForEachValue(const TValueVisitor& visit) const;
  // The links of the range's workbook (null when it has none).
  const TXLSWorkbookLinks* Links() const;

  // Shared by the views.
  TVariant ColumnHiddenFlags();
  void SetColumnHiddenFlags(const TVariant& value);
  TVariant RowHiddenFlags();
  void SetRowHiddenFlags(const TVariant& value);
  int32_t ColumnOutlineLevel();
  void SetColumnOutlineLevel(int32_t level);

 private:
  friend class TXLSRangeCopier;

  // Applies the change to one cell under the one-entry cache.
  void ChangeCellFormat(TXLSCellRef* cell);
  void ResetCache() { cache_.Reset(); }
  // Dissolves every merged area met along the borders of the rectangle that
  // reaches outside it.
  void DissolveCrossingAreas(int32_t top, int32_t left, int32_t bottom, int32_t right);
  void MergeRectangle(bool across);
  void ClearCell(int32_t row, int32_t column, int32_t what);
  // Gives a cell the effective format of another position of this sheet.
  void CopyFormat(int32_t sr, int32_t sc, int32_t dr, int32_t dc);
  void ShiftOutline(bool rows, int32_t delta);

  IXLSWorksheet* sheet_;  // not owned
  int32_t firstRow_ = 0;
  int32_t lastRow_ = 0;
  int32_t firstColumn_ = 0;
  int32_t lastColumn_ = 0;
  XLSPtr<IXLSRange> offset_;
  // The pairs of ApplyFormatChange.
  const TChange* change_ = nullptr;
  TXLSChangeCache cache_;
};

}  // namespace lx
