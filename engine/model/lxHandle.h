// The workbook model: what a user includes to build a workbook.
//
// A TXLSWorkbook, held through IXLSWorkBook, owns an ordered collection of
// worksheets (IXLSWorkSheets), the cell-format list, the shared string table,
// the external-sheet table (lxExternSheet.h) and the palette. Each worksheet (IXLSWorksheet) owns its cell store and
// its row and column records (lxCellHeap.h), its page setup (lxPageSetup.h), panes, protection, page breaks and
// outline. Cells are read and written through ranges: Cells()->Item(row, column) gives a single-cell range, Range("A1",
// "C3") a block; a range's Value, NumberFormat, alignment, merge, copy,
// insert and delete operations work on the worksheet (lxRange.h holds the
// implementation).
//
//   XLSPtr<IXLSWorkBook> book = CreateWorkbook();
//   IXLSWorksheet* sheet = book->Worksheets()->Add();
//   sheet->Cells()->Item(1, 1)->SetValue(TVariant(u"Total"));
//
// Interfaces declare their operations in their slot order after the three
// reference-counting slots. Where an interface has two slots of one name and
// one signature, the second carries a distinguishing name (noted below).
// Worksheets and the collection are plain objects owned by the workbook;
// ranges hold a non-owning pointer to their worksheet and must not outlive
// the workbook.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lxCellHeap.h"
#include "lxConstants.h"
#include "lxExternSheet.h"
#include "lxFormat.h"
#include "lxLinks.h"
#include "lxObject.h"
#include "lxOutline.h"
#include "lxPageBreaks.h"
#include "lxPageSetup.h"
#include "lxPanes.h"
#include "lxProtect.h"
#include "lxSheetObjects.h"
#include "lxText.h"
#include "lxVariant.h"

namespace lx {

class TStream;
class TXLSStringTable;
class TXLSWorkbook;
class TXLSCalculator;
class TXLSCustomNames;
class TXLSCustomHyperlinks;
struct TXLSNameArea;
class IXLSWorksheet;
class IXLSWorkSheets;
class IXLSRange;
class IXLSRowRange;
class IXLSColsRange;
class IXLSRowsRange;

// The one error the model raises: Item of a range outside the sheet.
class EXLSError : public std::exception {
 public:
  // message must be a string that lives as long as the program.
  explicit EXLSError(const char* message) : message_(message) {}
  // The message given at construction.
  const char* what() const noexcept override { return message_; }

 private:
  const char* message_;
};
// The message of the EXLSError that Item throws.
inline constexpr const char* kInvalidIndexError = "Invalid row/column index";

// Objects of later parts of the model. They are reached through their slots
// of the range and workbook interfaces; their own operations are added with
// the objects themselves.
class IXLSFont;      // lxStyle.h
class IXLSInterior;  // lxStyle.h
class IXLSBorders;   // lxStyle.h
// A cell comment (the drawing layer's comment box over a cell).
class IXLSComment : public IXLSUnknown {
 public:
  // The comment's text.
  virtual WideString Text() = 0;  // 3
  // Replaces the comment's text.
  virtual void SetText(const WideString& text) = 0;  // 4
  // The cell's row, 0-based; -1 once the comment was deleted.
  virtual int32_t Row() = 0;  // 5
  // The cell's column, 0-based; -1 once the comment was deleted.
  virtual int32_t Column() = 0;  // 6
  // The author kept with the comment.
  virtual WideString Author() = 0;  // 7
};

// ---------------------------------------------------------------- names and hyperlinks

// One defined name (lxNames.h). Texts are wide; a refers-to text starts with
// "=".
class IXLSName : public IXLSUnknown {
 public:
  // The interface identifier, for QueryInterface.
  static constexpr TXLSGuid kIID{0x6C780001, 0x0010, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x10}};
  // The name's text.
  virtual WideString Name() = 0;  // 3
  // What the name refers to, as formula text starting with "=".
  virtual WideString RefersTo() = 0;  // 4
  // The range the name refers to as a new range, or null when it is no single range.
  virtual XLSPtr<IXLSRange> RefersToRange() = 0;  // 5
  // Sets what the name refers to from formula text.
  virtual void SetRefersTo(const WideString& formula) = 0;  // 6
  // Renames the name.
  virtual void SetName(const WideString& name) = 0;  // 7
  // Removes the name from the workbook.
  virtual void Delete() = 0;  // 8
  // Whether the name is visible (not hidden).
  virtual bool Visible() = 0;  // 9

 protected:
  ~IXLSName() = default;
};

// The workbook-level names.
class IXLSNames : public IXLSUnknown {
 public:
  // The interface identifier, for QueryInterface.
  static constexpr TXLSGuid kIID{0x6C780001, 0x0011, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x11}};
  // The name at a 1-based position or of a text, or null.
  virtual XLSPtr<IXLSName> Item(const TVariant& index) = 0;  // 3
  // The number of names.
  virtual int32_t Count() = 0;  // 4
  // Adds a workbook-level name referring to formula text, visible or hidden; returns it, or null when refused.
  virtual XLSPtr<IXLSName> Add(const WideString& name, const WideString& refersTo, bool visible) = 0;  // 5
  // Adds a visible workbook-level name; returns it, or null when refused.
  virtual XLSPtr<IXLSName> Add(const WideString& name, const WideString& refersTo) = 0;  // 6
  // A name of one sheet, seen by formulas on that sheet in place of a
  // workbook-level name of the same text.
  virtual XLSPtr<IXLSName> AddLocal(IXLSWorksheet* sheet, const WideString& name, const WideString& refersTo,
                                    bool visible) = 0;  // 7

 protected:
  ~IXLSNames() = default;
};

// One hyperlink of a worksheet (lxHyperlinks.h).
class IXLSHyperlink : public IXLSUnknown {
 public:
  // The interface identifier, for QueryInterface.
  static constexpr TXLSGuid kIID{0x6C780001, 0x0012, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x12}};
  // Removes the hyperlink from its sheet.
  virtual void Delete() = 0;  // 3
  // The target address (a URL or file).
  virtual WideString Address() = 0;  // 4
  // Sets the target address.
  virtual void SetAddress(const WideString& value) = 0;  // 5
  // The place inside the target (a cell reference or bookmark).
  virtual WideString SubAddress() = 0;  // 6
  // Sets the place inside the target.
  virtual void SetSubAddress(const WideString& value) = 0;  // 7
  // The text shown on hovering.
  virtual WideString ScreenTip() = 0;  // 8
  // Sets the text shown on hovering.
  virtual void SetScreenTip(const WideString& value) = 0;  // 9
  // The text shown in the cell.
  virtual WideString TextToDisplay() = 0;  // 10
  // Sets the text shown in the cell.
  virtual void SetTextToDisplay(const WideString& value) = 0;  // 11
  // The cells the hyperlink covers, as a new range.
  virtual XLSPtr<IXLSRange> Range() = 0;  // 12
  // Moves the hyperlink to other cells.
  virtual void SetRange(IXLSRange* range) = 0;  // 13

 protected:
  ~IXLSHyperlink() = default;
};

// The hyperlinks of a worksheet, or those that touch one range.
class IXLSHyperlinks : public IXLSUnknown {
 public:
  // The interface identifier, for QueryInterface.
  static constexpr TXLSGuid kIID{0x6C780001, 0x0013, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x13}};
  // The number of hyperlinks.
  virtual int32_t Count() = 0;  // 3
  // The hyperlink at a 1-based position, or null.
  virtual XLSPtr<IXLSHyperlink> Item(int32_t n) = 0;  // 4
  // Removes every hyperlink of the collection.
  virtual void Delete() = 0;  // 5
  // Adds a hyperlink over the anchor's cells with its address, cell text, hover text and place inside the target.
  virtual XLSPtr<IXLSHyperlink> Add(IXLSRange* anchor, const WideString& address, const WideString& textToDisplay,
                                    const WideString& screenTip, const WideString& subAddress) = 0;  // 6

 protected:
  ~IXLSHyperlinks() = default;
};

// ---------------------------------------------------------------- ranges

// Slots 3 to 86, shared by the four views of a range.
class IXLSRangeBase : public IXLSUnknown {
 public:
  // Copies the source rectangle into this one (what: copy flags); with keepSource false the source cells outside this
  // range are cleared afterwards, which makes it a move.
  virtual void CopyFrom(IXLSRange* source, int32_t what, bool keepSource) = 0;  // 3
  // A new single-cell range at (Row() + row - 1, Column() + column - 1), 1-based and relative to this range; any cell
  // of the sheet may be reached. Throws EXLSError outside the sheet.
  virtual XLSPtr<IXLSRange> Item(int32_t row, int32_t column) = 0;  // 4
  // Writes a value into every cell of the range; a two-dimensional variant array fills the cells one element each. A
  // text beginning with "=" is compiled into a formula.
  virtual void SetValue(const TVariant& value) = 0;  // 5
  // The value of the top-left cell; for several cells a 0-based two-dimensional variant array (rows, columns), missing
  // cells null.
  virtual TVariant Value() = 0;  // 6
  // The formula text of the cell (its value when it holds no formula); for several cells a 0-based two-dimensional
  // array of them.
  virtual TVariant Formula() = 0;  // 7
  // A new range over this range's rows, all columns.
  virtual XLSPtr<IXLSRowsRange> EntireRow() = 0;  // 8
  // A new range over this range's columns, all rows.
  virtual XLSPtr<IXLSColsRange> EntireColumn() = 0;  // 9
  // This range seen as a set of rows.
  virtual XLSPtr<IXLSRowsRange> Rows() = 0;  // 10
  // This range seen as a set of columns.
  virtual XLSPtr<IXLSColsRange> Columns() = 0;  // 11
  // A range of this range's size whose top-left is moved by the offsets; the object is made on first use and reused by
  // later calls.
  virtual XLSPtr<IXLSRange> Offset(int32_t rowOffset, int32_t columnOffset) = 0;  // 12
  // Moves this range in place to a new 0-based top-left, keeping its size.
  virtual void MoveTo(int32_t row, int32_t column) = 0;  // 13
  // The first row, 1-based (FirstRow() is the same, 0-based).
  virtual int32_t Row() = 0;  // 14
  // The first column, 1-based (FirstColumn() is the same, 0-based).
  virtual int32_t Column() = 0;  // 15
  // The number of cells: rows times columns.
  virtual int32_t Count() = 0;  // 16
  // A new font object over the range; changes apply to every cell.
  virtual XLSPtr<IXLSFont> Font() = 0;  // 17
  // A new fill (interior) object over the range.
  virtual XLSPtr<IXLSInterior> Interior() = 0;  // 18
  // The width of one column in characters, or a 0-based array of the widths of several.
  virtual TVariant ColumnWidth() = 0;  // 19
  // Sets the column widths in characters: a number for every column, or an array with one width per column.
  virtual void SetColumnWidth(const TVariant& value) = 0;  // 20
  // The height of one row in points (0 when hidden), or a 0-based array of the heights of several.
  virtual TVariant RowHeight() = 0;  // 21
  // Sets the row heights in points: a number for every row, or an array with one height per row.
  virtual void SetRowHeight(const TVariant& value) = 0;  // 22
  // Whether the top-left cell's format wraps text (a boolean variant).
  virtual TVariant WrapText() = 0;  // 23
  // Sets text wrapping on every cell.
  virtual void SetWrapText(const TVariant& value) = 0;  // 24
  // The text rotation of the top-left cell: -90..90 degrees, or 255 for vertical text.
  virtual TVariant Orientation() = 0;  // 25
  // Sets the text rotation: -90..90 degrees or 255 (vertical text); other values are ignored.
  virtual void SetOrientation(const TVariant& value) = 0;  // 26
  // A new borders object over the range.
  virtual XLSPtr<IXLSBorders> Borders() = 0;  // 27
  // The number format text of the top-left cell.
  virtual WideString NumberFormat() = 0;  // 28
  // Sets the number format text ("#,##0.00", "dd/mm/yyyy") of every cell.
  virtual void SetNumberFormat(const WideString& value) = 0;  // 29
  // Whether the top-left cell is locked when the sheet is protected.
  virtual bool Locked() = 0;  // 30
  // Sets the locked flag of every cell.
  virtual void SetLocked(bool value) = 0;  // 31
  // Whether the top-left cell's formula is hidden when the sheet is protected.
  virtual bool FormulaHidden() = 0;  // 32
  // Sets the formula-hidden flag of every cell.
  virtual void SetFormulaHidden(bool value) = 0;  // 33
  // Whether the top-left cell's text shrinks to fit its width.
  virtual bool ShrinkToFit() = 0;  // 34
  // Sets shrink-to-fit on every cell.
  virtual void SetShrinkToFit(bool value) = 0;  // 35
  // The reading order of the top-left cell: 0 by context, 1 left to right, 2 right to left.
  virtual int32_t ReadingOrder() = 0;  // 36
  // Sets the reading order of every cell (0..2).
  virtual void SetReadingOrder(uint8_t value) = 0;  // 37
  // The horizontal alignment of the top-left cell, one of the xlHAlign constants (0 for an unknown stored code).
  virtual int32_t HorizontalAlignment() = 0;  // 38
  // Sets the horizontal alignment (an xlHAlign constant); other values are ignored.
  virtual void SetHorizontalAlignment(int32_t value) = 0;  // 39
  // The vertical alignment of the top-left cell, one of the xlVAlign constants (0 for an unknown stored code).
  virtual int32_t VerticalAlignment() = 0;  // 40
  // Sets the vertical alignment (an xlVAlign constant); other values are ignored.
  virtual void SetVerticalAlignment(int32_t value) = 0;  // 41
  // This range in its plain cell view.
  virtual XLSPtr<IXLSRange> Cells() = 0;  // 42
  // Grows this range in place until no merged area crosses its border.
  virtual void ExpandToMergedAreas() = 0;  // 43
  // Shrinks this range in place so that it cuts no merged area.
  virtual void ShrinkToWholeMergedAreas() = 0;  // 44
  // Whether any cell of the range holds a formula.
  virtual bool HasFormula() = 0;  // 45
  // Removes the sheet's autofilter, or creates one over this range when there is none.
  virtual void AutoFilter() = 0;  // 46
  // Reserved slot; does nothing.
  virtual void Reserved47() = 0;  // 47
  // Reserved slot; does nothing.
  virtual void Reserved48(int32_t value) = 0;  // 48
  // Reserved slot; does nothing.
  virtual void Reserved49(const TVariant& value) = 0;  // 49
  // Reserved slot; does nothing.
  virtual void Reserved50(int32_t a, int32_t b, const TVariant& value) = 0;  // 50
  // Merges the range into one cell, or each of its rows into one cell when across is true.
  virtual void Merge(const TVariant& across) = 0;  // 51
  // Merges the range into one cell.
  virtual void Merge() = 0;  // 52
  // Makes this range (grown to whole merged areas) the sheet's active cell.
  virtual void Activate() = 0;  // 53
  // Empties every cell of the range, keeping the formats.
  virtual void ClearContents() = 0;  // 54
  // Empties every cell and resets its format, and removes the comments of the range.
  virtual void Clear() = 0;  // 55
  // Inserts cells of this range's size, shifting the others down or right (xlShiftDown, xlShiftToRight); done tells
  // whether it happened.
  virtual void Insert(const TVariant& shift, TVariant& done) = 0;  // 56
  // Deletes the range's cells, shifting the others up or left (xlShiftUp, xlShiftToLeft); done tells whether it
  // happened.
  virtual void Delete(const TVariant& shift, TVariant& done) = 0;  // 57
  // Moves the range's cells (values, formats, merges) to the destination.
  virtual void Cut(IXLSRange* destination) = 0;  // 58
  // Copies the range's cells (values, formats, merges) to the destination.
  virtual void Copy(IXLSRange* destination) = 0;  // 59
  // Moves what the copy flags name to the destination.
  virtual void Cut(IXLSRange* destination, int32_t what) = 0;  // 60
  // Copies what the copy flags name to the destination.
  virtual void Copy(IXLSRange* destination, int32_t what) = 0;  // 61
  // The comment of the top-left cell, created when missing.
  virtual XLSPtr<IXLSComment> AddComment() = 0;  // 62
  // The comment of the top-left cell, created when missing, with the given text.
  virtual XLSPtr<IXLSComment> AddComment(const WideString& text) = 0;  // 63
  // Removes every comment of the range.
  virtual void ClearComments() = 0;  // 64
  // The comment of the top-left cell, or none.
  virtual XLSPtr<IXLSComment> Comment() = 0;  // 65
  // The hyperlinks of the sheet, seen from this range.
  virtual XLSPtr<IXLSHyperlinks> Hyperlinks() = 0;  // 66
  // The first column, 0-based.
  virtual int32_t FirstColumn() = 0;  // 67
  // The last column, 0-based.
  virtual int32_t LastColumn() = 0;  // 68
  // The first row, 0-based.
  virtual int32_t FirstRow() = 0;  // 69
  // The last row, 0-based.
  virtual int32_t LastRow() = 0;  // 70
  // Unmerges every merged area that the range touches.
  virtual void UnMerge() = 0;  // 71
  // Whether the range lies inside the merged area of its top-left cell.
  virtual bool MergeCells() = 0;  // 72
  // Merges the range (true) or unmerges it (false).
  virtual void SetMergeCells(bool value) = 0;  // 73
  // The merged area of the top-left cell as a new range when MergeCells() holds, else this range.
  virtual XLSPtr<IXLSRange> MergeArea() = 0;  // 74
  // The cell-format (XF) index of the top-left cell; 0 when none is set.
  virtual int32_t FormatIndex() = 0;  // 75
  // The worksheet of the range (not owned; lives as long as the workbook).
  virtual IXLSWorksheet* Worksheet() = 0;  // 76
  // Fits the widths of the range's columns to their contents (true) or the heights of its rows (false).
  virtual void AutoFit(bool columns) = 0;  // 77
  // Raises the outline level of the range's rows (true) or columns (false) by one.
  virtual void Group(bool rows) = 0;  // 78
  // Lowers the outline level of the range's rows (true) or columns (false) by one.
  virtual void Ungroup(bool rows) = 0;  // 79
  // Resets the outline level of the range's rows and columns to 1.
  virtual void ClearOutline() = 0;  // 80
  // The highest outline level of the range's rows, 1..8 (1 when none).
  virtual int32_t OutlineLevel() = 0;  // 81
  // Sets the outline level (1..8) of every row of the range; other values are ignored.
  virtual void SetOutlineLevel(int32_t level) = 0;  // 82
  // The indent level of the top-left cell.
  virtual int32_t IndentLevel() = 0;  // 83
  // Sets the indent level (0..15) of every cell; other values are ignored.
  virtual void SetIndentLevel(int32_t level) = 0;  // 84
  // Saves the range as HTML (kSaveHTML), CSV or TSV (kSaveCSV, kSaveTSV and their UTF-16 forms). Returns kResultOk, or
  // -1 for another format or a failed export.
  [[nodiscard]] virtual int32_t SaveAs(const WideString& fileName, int32_t format) = 0;  // 85
  // Writes the range as SaveAs does into a caller stream (not owned). Returns kResultOk or -1.
  [[nodiscard]] virtual int32_t SaveAs(TStream& stream, int32_t format) = 0;  // 86

 protected:
  ~IXLSRangeBase() = default;
};

// Slots 87-90 are named ItemCount, Hidden, SetHidden and Item(n); slots 91-95
// of the plain and columns views carry a Columns prefix, slot 91 of the row
// views a Rows prefix, since slots 16 and 77-82 already use those names.

// The plain view: cells and blocks.
class IXLSRange : public IXLSRangeBase {
 public:
  // The interface identifier, for QueryInterface.
  static constexpr TXLSGuid kIID{0x6C780001, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
  using IXLSRangeBase::Item;
  // The number of rows.
  virtual int32_t ItemCount() = 0;  // 87 number of rows
  // The hidden flags of the columns.
  virtual TVariant Hidden() = 0;  // 88 column hidden flags
  // Hides or shows the columns.
  virtual void SetHidden(const TVariant& value) = 0;  // 89
  // Row n (1-based) as a row view.
  virtual XLSPtr<IXLSRowRange> Item(int32_t n) = 0;  // 90 row n
  // Fits the widths of the columns (true) or the heights of the rows (false).
  virtual void ColumnsAutoFit(bool columns) = 0;  // 91
  // Raises the outline level of the rows (true) or columns (false).
  virtual void ColumnsGroup(bool rows) = 0;  // 92
  // Lowers the outline level of the rows (true) or columns (false).
  virtual void ColumnsUngroup(bool rows) = 0;  // 93
  // The highest outline level of the columns, 1..8.
  virtual int32_t ColumnsOutlineLevel() = 0;  // 94
  // Sets the outline level (1..8) of every column.
  virtual void SetColumnsOutlineLevel(int32_t level) = 0;  // 95

 protected:
  ~IXLSRange() = default;
};

// One row seen as a list of cells.
class IXLSRowRange : public IXLSRangeBase {
 public:
  // The interface identifier, for QueryInterface.
  static constexpr TXLSGuid kIID{0x6C780001, 0x0002, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x02}};
  using IXLSRangeBase::Item;
  // The number of columns.
  virtual int32_t ItemCount() = 0;  // 87 number of columns
  // The hidden flags of the row.
  virtual TVariant Hidden() = 0;  // 88 row hidden flags
  // Hides or shows the row.
  virtual void SetHidden(const TVariant& value) = 0;  // 89
  // Cell n (1-based) of the row.
  virtual XLSPtr<IXLSRange> Item(int32_t n) = 0;  // 90 cell n
  // Fits the widths of the columns (true) or the height of the row (false).
  virtual void RowsAutoFit(bool columns) = 0;  // 91

 protected:
  ~IXLSRowRange() = default;
};

// A set of whole columns.
class IXLSColsRange : public IXLSRangeBase {
 public:
  // The interface identifier, for QueryInterface.
  static constexpr TXLSGuid kIID{0x6C780001, 0x0003, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x03}};
  using IXLSRangeBase::Item;
  // The number of columns.
  virtual int32_t ItemCount() = 0;  // 87 number of columns
  // The hidden flags of the columns.
  virtual TVariant Hidden() = 0;  // 88
  // Hides or shows the columns.
  virtual void SetHidden(const TVariant& value) = 0;  // 89
  // Column n (1-based) as a range.
  virtual XLSPtr<IXLSRange> Item(int32_t n) = 0;  // 90 column n
  // Fits the widths of the columns (true) or the heights of the rows (false).
  virtual void ColumnsAutoFit(bool columns) = 0;  // 91
  // Raises the outline level of the rows (true) or columns (false).
  virtual void ColumnsGroup(bool rows) = 0;  // 92
  // Lowers the outline level of the rows (true) or columns (false).
  virtual void ColumnsUngroup(bool rows) = 0;  // 93
  // The highest outline level of the columns, 1..8.
  virtual int32_t ColumnsOutlineLevel() = 0;  // 94
  // Sets the outline level (1..8) of every column.
  virtual void SetColumnsOutlineLevel(int32_t level) = 0;  // 95

 protected:
  ~IXLSColsRange() = default;
};

// A set of whole rows.
class IXLSRowsRange : public IXLSRangeBase {
 public:
  // The interface identifier, for QueryInterface.
  static constexpr TXLSGuid kIID{0x6C780001, 0x0004, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x04}};
  using IXLSRangeBase::Item;
  // The number of rows.
  virtual int32_t ItemCount() = 0;  // 87 number of rows
  // The hidden flags of the rows.
  virtual TVariant Hidden() = 0;  // 88
  // Hides or shows the rows.
  virtual void SetHidden(const TVariant& value) = 0;  // 89
  // Row n (1-based) as a row view.
  virtual XLSPtr<IXLSRowRange> Item(int32_t n) = 0;  // 90 row n
  // Fits the widths of the columns (true) or the heights of the rows (false).
  virtual void RowsAutoFit(bool columns) = 0;  // 91

 protected:
  ~IXLSRowsRange() = default;
};

// ---------------------------------------------------------------- worksheets

// One worksheet: a plain object owned by the workbook's collection.
class IXLSWorksheet : public TXLSObject {
 public:
  // Made by the collection (IXLSWorkSheets::Add, Insert); workbook is not owned and outlives the sheet.
  IXLSWorksheet(TXLSWorkbook* workbook, int32_t identifier);
  ~IXLSWorksheet() override;

  // Makes this sheet's tab the first one shown in the tab bar; returns kResultOk.
  virtual int32_t MakeFirstVisibleTab();
  // Splits the window into panes (the arguments as TXLSPanes::Store takes them, lxPanes.h); returns kResultOk.
  virtual int32_t SplitPanes(int32_t firstRow, int32_t firstColumn, int32_t width, int32_t height);
  // Freezes the top rows and left columns, with the first visible cells below and right of them; returns kResultOk.
  virtual int32_t FreezePanes(int32_t rows, int32_t columns, int32_t firstColumn, int32_t firstRow);
  // Reserved slot; returns kResultFail.
  virtual int32_t Reserved3();
  // Reserved slot; returns kResultFail.
  virtual int32_t Reserved4();

  // Every cell of the sheet as one range (the same object each time); Item(row, column) of it reaches a cell.
  XLSPtr<IXLSRange> Cells();
  // Two cell names such as "A1" and "C3"; the single cell A1 when the first
  // does not parse, the first cell alone when only the second does not.
  XLSPtr<IXLSRange> Range(const WideString& firstCell, const WideString& lastCell);
  // 1-based; clamped to the sheet and ordered.
  XLSPtr<IXLSRange> RangeOf(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow);
  // A new range from the first to the last cell that exists (A1 on an empty sheet).
  XLSPtr<IXLSRange> UsedRange();
  // The active cell (A1 until a range's Activate).
  XLSPtr<IXLSRange> ActiveCell();
  // Replaces the active cell range.
  void SetActiveCell(XLSPtr<IXLSRange> range) { activeCell_ = std::move(range); }

  // The sheet's name, as on its tab.
  const WideString& Name() const { return name_; }
  // Renames the sheet; a name that IsValidName refuses is ignored.
  void SetName(const WideString& name);
  // The 1-based position in the collection.
  int16_t Index() const { return index_; }
  // The permanent identifier (1, 2, 3, ... in creation order, never reused).
  int32_t Identifier() const { return identifier_; }
  // Makes this the active and only selected sheet.
  void Activate();
  // Selects the sheet, alone (replace true) or besides the selected ones.
  void Select(bool replace);
  // Whether the sheet's tab is selected.
  bool Selected() const { return selected_; }
  // Selects or deselects the sheet's tab.
  void SetSelected(bool selected) { selected_ = selected; }

  // Visibility: 0 visible, 1 hidden, 2 very hidden.
  uint8_t Visible() const { return visibility_; }
  // Sets the visibility: a boolean, or 0 visible, 1 hidden, 2 very hidden.
  void SetVisible(const TVariant& value);
  // The zoom in percent.
  uint16_t Zoom() const { return zoom_; }
  // Sets the zoom in percent (10..400; true gives 100); other values are ignored.
  void SetZoom(const TVariant& value);
  // The 0-based first row shown in the window.
  int32_t FirstVisibleRow() const { return firstVisibleRow_; }
  // The 0-based first column shown in the window.
  int32_t FirstVisibleColumn() const { return firstVisibleColumn_; }
  // Scrolls the window to a 1-based first row; other values are ignored.
  void SetFirstVisibleRow(int32_t row);
  // Scrolls the window to a 1-based first column; other values are ignored.
  void SetFirstVisibleColumn(int32_t column);
  // Whether gridlines are shown.
  bool DisplayGridlines() const { return displayGridlines_; }
  // Shows or hides the gridlines.
  void SetDisplayGridlines(bool value) { displayGridlines_ = value; }
  // Whether the panes are frozen.
  bool FrozenPanes() const { return frozenPanes_; }
  // The active pane (0..3; 3 when not split).
  uint8_t ActivePane() const { return activePane_; }
  // Sets the active pane (0..3).
  void SetActivePane(uint8_t pane) { activePane_ = pane; }
  // Whether zero values are shown.
  bool DisplayZeros() const { return displayZeros_; }
  // Shows or hides zero values.
  void SetDisplayZeros(bool value) { displayZeros_ = value; }
  // Whether the sheet runs right to left.
  bool RightToLeft() const { return rightToLeft_; }
  // Lays the sheet out right to left (true) or left to right.
  void SetRightToLeft(bool value) { rightToLeft_ = value; }
  // Sets the default row height in points.
  void SetStandardHeight(double points);
  // Sets the default column width in characters.
  void SetStandardWidth(double characters);

  // The format that applies at a 0-based position; fromCell tells that it
  // is the cell's own index.
  int32_t EffectiveFormat(int32_t row, int32_t column, bool* fromCell = nullptr) const;
  // The same for a position without a cell, given its row's record (or
  // nullptr): what a cell created there starts with.
  int32_t FormatWithoutCell(const TXLSRowInfo* rowInfo, int32_t column) const;

  // Cell values (see the workbook for the kinds). SetCellValue ignores a
  // cell hidden by a merge.
  void SetCellValue(TXLSCellRef* cell, const TVariant& value);
  // Reads a cell's value into value; returns kResultOk, or kResultFail for a formula that cannot be computed.
  [[nodiscard]] int32_t GetCellValue(const TXLSCellRef* cell, TVariant& value) const;
  // A cell's value (null for none), as a range's Value gives it.
  TVariant ReadCellValue(const TXLSCellRef* cell) const;
  // A cell's formula text ("=A1+1"), or its value when it holds no formula, into value.
  void GetCellFormulaText(const TXLSCellRef* cell, TVariant& value) const;
  // Whether a cell holds a formula.
  bool HasFormula(const TXLSCellRef* cell) const;
  // Sets the cell format (XF index) of a 0-based position, creating the cell when missing.
  void SetCellFormat(int32_t row, int32_t column, int32_t formatIndex);

  // The sheet's cell store (owned by the sheet).
  TXLSCellHeap& CellHeap() { return *cells_; }
  // The sheet's cell store (owned by the sheet).
  const TXLSCellHeap& CellHeap() const { return *cells_; }
  // The row records: heights, formats, outline levels (owned by the sheet).
  TXLSRowInfoList& RowInfo() { return *rows_; }
  // The row records (owned by the sheet).
  const TXLSRowInfoList& RowInfo() const { return *rows_; }
  // The column records: widths, formats, outline levels (owned by the sheet).
  TXLSColumnInfoList& ColumnInfo() { return *columns_; }
  // The column records (owned by the sheet).
  const TXLSColumnInfoList& ColumnInfo() const { return *columns_; }
  // The workbook that owns the sheet (not owned).
  TXLSWorkbook* Workbook() const { return workbook_; }
  // Sets the position; kept up to date by the collection.
  void SetIndex(int16_t index) { index_ = index; }
  // Panes and outline settings exist after their first use (nullptr before).
  TXLSPanes* Panes() const { return panes_.get(); }
  // The sheet's protection settings (owned by the sheet).
  TXLSProtect& Protection() { return protection_; }
  // Created with the sheet. The page setup asks the workbook's
  // external-sheet table for this sheet's entry when a print area or title
  // is set; it must not be used after the sheet is gone.
  TXLSPageSetup& PageSetup() { return *pageSetup_; }
  // The page setup, read only.
  const TXLSPageSetup& PageSetup() const { return *pageSetup_; }
  // The manual page breaks between rows (owned by the sheet).
  TXLSHPageBreaks& HPageBreaks() { return hPageBreaks_; }
  // The manual page breaks between columns (owned by the sheet).
  TXLSVPageBreaks& VPageBreaks() { return vPageBreaks_; }
  // The outline settings, or null before their first use.
  TXLSOutline* Outline() const { return outline_.get(); }
  // The outline settings, created on first use (owned by the sheet).
  TXLSOutline& GetOutline();
  // The sheet's hyperlinks (lxHyperlinks.h): null before the first one,
  // made on first use by GetHyperlinkList; Hyperlinks gives all of them.
  TXLSCustomHyperlinks* HyperlinkList() const { return hyperlinks_.get(); }
  // The hyperlink list, made on first use (owned by the sheet).
  TXLSCustomHyperlinks& GetHyperlinkList();
  // All hyperlinks of the sheet, as a new collection object.
  XLSPtr<IXLSHyperlinks> Hyperlinks();
  // The sheet's objects besides cells (shapes, comments, rules; built by
  // the drawing layer, lxSheetObjects.h), or null while it has none.
  TXLSSheetObjects* SheetObjects() const { return objects_.get(); }
  // The same, made through the workbook's links on first use; null when
  // the workbook has no links that make them.
  TXLSSheetObjects* GetSheetObjects();
  // Gives the sheet its objects (owned by the sheet from now on).
  void SetSheetObjects(std::unique_ptr<TXLSSheetObjects> objects) { objects_ = std::move(objects); }

 private:
  friend class IXLSWorkSheets;

  // Declaration order is destruction order in reverse: the ranges go before
  // the cell store they point into.
  std::unique_ptr<TXLSCellHeap> cells_;
  std::unique_ptr<TXLSRowInfoList> rows_;
  std::unique_ptr<TXLSColumnInfoList> columns_;
  std::unique_ptr<TXLSOutline> outline_;
  std::unique_ptr<TXLSCustomHyperlinks> hyperlinks_;
  XLSPtr<IXLSRange> cellsRange_;
  std::unique_ptr<TXLSPanes> panes_;
  TXLSProtect protection_;
  XLSPtr<IXLSRange> activeCell_;
  XLSPtr<TXLSPageSetup> pageSetup_;
  TXLSHPageBreaks hPageBreaks_{this};
  TXLSVPageBreaks vPageBreaks_{this};
  bool displayGridlines_ = true;
  uint16_t zoom_ = 100;
  uint8_t activePane_ = 3;
  bool frozenPanes_ = false;
  bool displayZeros_ = true;
  bool rightToLeft_ = false;
  TXLSWorkbook* workbook_;  // not owned
  int16_t index_ = 0;
  WideString name_;
  int32_t firstVisibleRow_ = 0;
  int32_t firstVisibleColumn_ = 0;
  bool selected_ = false;
  uint8_t visibility_ = 0;
  int32_t identifier_;
  // Last, so that shapes and rules go before the cells and records they
  // refer to.
  std::unique_ptr<TXLSSheetObjects> objects_;
};

// The worksheets of a workbook in tab order.
class IXLSWorkSheets {
 public:
  // Made by the workbook, which owns the collection; workbook is not owned.
  explicit IXLSWorkSheets(TXLSWorkbook* workbook);
  ~IXLSWorkSheets();
  IXLSWorkSheets(const IXLSWorkSheets&) = delete;
  IXLSWorkSheets& operator=(const IXLSWorkSheets&) = delete;

  // Adds a sheet after the last one, named "Sheet<n>", and returns it (owned by the collection).
  IXLSWorksheet* Add();
  // Position 1..Count() + 1; other positions are refused (nullptr).
  IXLSWorksheet* Insert(int32_t position);
  // The sheet at a 1-based position, or null outside 1..Count() (owned by the collection).
  IXLSWorksheet* Item(int32_t position) const;
  // The number of sheets.
  int32_t Count() const { return static_cast<int32_t>(sheets_.size()); }
  // The active sheet, or null (owned by the collection).
  IXLSWorksheet* ActiveSheet() const { return active_; }
  // Makes a sheet of this collection the active one.
  void SetActiveSheet(IXLSWorksheet* sheet) { active_ = sheet; }
  // The identifier of the sheet of exactly that name, or -1.
  int32_t IdentifierOfName(const WideString& name) const;
  // The 1-based position of the sheet with that identifier, or -1.
  int32_t PositionOfIdentifier(int32_t identifier) const;
  // Deselects every sheet's tab.
  void DeselectAll();
  // Whether a name may be given to the sheet at skipPosition (0 for a new sheet): 1..31 characters, no apostrophe at
  // either end, none of [ ] : * ? / \, and no other sheet of that name but for letter case.
  bool IsValidName(int32_t skipPosition, const WideString& name) const;

 private:
  std::vector<std::unique_ptr<IXLSWorksheet>> sheets_;
  TXLSWorkbook* workbook_;  // not owned
  IXLSWorksheet* active_ = nullptr;
  int32_t nextIdentifier_ = 0;
};

// ---------------------------------------------------------------- workbook

// A workbook: its worksheets, palette, protection and date system, and the
// operations that save, export and open it. Create one with CreateWorkbook;
// the XLSPtr that holds it owns it.
class IXLSWorkBook : public IXLSUnknown {
 public:
  // The interface identifier, for QueryInterface.
  static constexpr TXLSGuid kIID{0x6C780001, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x00}};

  // The colour of palette entry index (1..56), 0x00BBGGRR.
  virtual uint32_t Colors(int32_t index) = 0;  // 3
  // Sets palette entry index (1..56) to a colour 0x00BBGGRR; other indexes are ignored.
  virtual void SetColors(int32_t index, uint32_t color) = 0;  // 4
  // The worksheet collection (owned by the workbook).
  virtual IXLSWorkSheets* Worksheets() = 0;  // 5
  // The active worksheet, or null when the workbook has none (owned by the workbook).
  virtual IXLSWorksheet* ActiveSheet() = 0;  // 6
  // Reserved slot; returns kResultOk.
  virtual int32_t Reserved() = 0;  // 7
  // Whether the workbook structure is protected.
  virtual bool ProtectStructure() = 0;  // 8
  // Restores the default palette; returns kResultOk.
  virtual int32_t ResetColors() = 0;  // 9
  // Protects the workbook structure without a password.
  virtual void Protect() = 0;  // 10
  // Protects the workbook structure with a password.
  virtual void Protect(const AnsiString& password) = 0;  // 11
  // Removes a protection set without a password; false when a password is needed.
  virtual bool Unprotect() = 0;  // 12
  // Removes the protection when the password matches; false otherwise.
  virtual bool Unprotect(const AnsiString& password) = 0;  // 13
  // Removes the protection when the password matches; false otherwise.
  virtual bool Unprotect(const WideString& password) = 0;  // 14
  // Saves to a file as BIFF8 (the default format). Returns kResultOk, or -1 for a bad name, -2 when the file cannot be
  // created.
  [[nodiscard]] virtual int32_t SaveAs(const WideString& fileName) = 0;  // 15
  // Saves to a file in a kSave format. Returns kResultOk, -1 for a bad name or format, -2 when the file cannot be
  // created, -3 when the in-memory document fails.
  [[nodiscard]] virtual int32_t SaveAs(const WideString& fileName, int32_t format) = 0;  // 16
  // Saves as BIFF8 into a caller stream (not owned). Returns kResultOk or a negative result code.
  [[nodiscard]] virtual int32_t SaveAs(TStream& stream) = 0;  // 17
  // Saves in a kSave format into a caller stream (not owned). Returns kResultOk or a negative result code.
  [[nodiscard]] virtual int32_t SaveAs(TStream& stream, int32_t format) = 0;  // 18
  // Saves again to the last file name and format. Returns kResultOk, or -4 when the workbook was never saved.
  [[nodiscard]] virtual int32_t Save() = 0;  // 19
  // Saves every sheet as HTML (a frameset when there are several). Returns kResultOk or -1.
  [[nodiscard]] virtual int32_t SaveAsHTML(const WideString& fileName) = 0;  // 20
  // Saves every sheet as an RTF document of tables. Returns kResultOk or -1.
  [[nodiscard]] virtual int32_t SaveAsRTF(const WideString& fileName) = 0;  // 21
  // Writes the RTF document into a caller stream (not owned). Returns kResultOk or -1.
  [[nodiscard]] virtual int32_t SaveAsRTF(TStream& stream) = 0;  // 22
  // Computes a formula text ("=SUM(A1:A3)") into result.
  virtual void Evaluate(const WideString& formula, TVariant& result) = 0;  // 23
  // Whether formulas compute with full precision rather than as displayed.
  virtual bool FullPrecision() = 0;  // 24
  // The defined names of the workbook.
  virtual XLSPtr<IXLSNames> Names() = 0;  // 25
  // Whether dates count from 1904 instead of 1900.
  virtual bool Date1904() = 0;  // 26
  // Chooses the 1904 date system (true) or the 1900 one.
  virtual void SetDate1904(bool value) = 0;  // 27
  // Sets full precision (non-zero) or precision as displayed (0).
  virtual void SetFullPrecision(int32_t value) = 0;  // 28
  // Replaces the workbook with one read from a caller stream (not owned). Returns kResultOk or a negative result code.
  [[nodiscard]] virtual int32_t Open(TStream& stream) = 0;  // 29
  // Replaces the workbook with one read from a file. Returns kResultOk or a negative result code.
  [[nodiscard]] virtual int32_t Open(const WideString& fileName) = 0;  // 30
  // Reads an encrypted workbook from a caller stream with a password. Returns kResultOk, or -1001..-1005 when
  // decryption fails.
  [[nodiscard]] virtual int32_t Open(TStream& stream, const AnsiString& password) = 0;  // 31
  // Reads an encrypted workbook from a file with a password. Returns kResultOk, or -1001..-1005 when decryption fails.
  [[nodiscard]] virtual int32_t Open(const WideString& fileName, const AnsiString& password) = 0;  // 32
  // Forgets the file kept open since the last Open.
  virtual void Close() = 0;  // 33
  // Whether a file read by Open is kept open.
  virtual bool IsOpen() = 0;  // 34
  // A flag for the caller's own use.
  virtual bool UserFlag() = 0;  // 35
  // Sets the caller's flag.
  virtual void SetUserFlag(bool value) = 0;  // 36

 protected:
  ~IXLSWorkBook() = default;
};

class TXLSWorkbook : public TXLSInterfaced<IXLSWorkBook> {
 public:
  // links (not owned) must outlive the workbook; lxengine's CreateWorkbook
  // passes its own, which live as long as the process. Without links, the
  // operations done by the layers above the model (lxLinks.h) fail.
  explicit TXLSWorkbook(const TXLSWorkbookLinks* links = nullptr);
  ~TXLSWorkbook() override;

  // IXLSWorkBook
  uint32_t Colors(int32_t index) override { return palette_.GetPaletteColor(index); }
  void SetColors(int32_t index, uint32_t color) override { palette_.SetPaletteColor(index, color); }
  IXLSWorkSheets* Worksheets() override { return sheets_.get(); }
  IXLSWorksheet* ActiveSheet() override { return sheets_->ActiveSheet(); }
  int32_t Reserved() override { return kResultOk; }
  bool ProtectStructure() override { return protection_.Protected(); }
  int32_t ResetColors() override;
  void Protect() override;
  void Protect(const AnsiString& password) override;
  bool Unprotect() override;
  bool Unprotect(const AnsiString& password) override;
  bool Unprotect(const WideString& password) override;
  [[nodiscard]] int32_t SaveAs(const WideString& fileName) override;
  [[nodiscard]] int32_t SaveAs(const WideString& fileName, int32_t format) override;
  [[nodiscard]] int32_t SaveAs(TStream& stream) override;
  [[nodiscard]] int32_t SaveAs(TStream& stream, int32_t format) override;
  [[nodiscard]] int32_t Save() override;
  [[nodiscard]] int32_t SaveAsHTML(const WideString& fileName) override;
  [[nodiscard]] int32_t SaveAsRTF(const WideString& fileName) override;
  [[nodiscard]] int32_t SaveAsRTF(TStream& stream) override;
  void Evaluate(const WideString& formula, TVariant& result) override;
  bool FullPrecision() override { return fullPrecision_; }
  XLSPtr<IXLSNames> Names() override;
  bool Date1904() override { return date1904_; }
  void SetDate1904(bool value) override { date1904_ = value; }
  void SetFullPrecision(int32_t value) override { fullPrecision_ = value != 0; }
  [[nodiscard]] int32_t Open(TStream& stream) override;
  [[nodiscard]] int32_t Open(const WideString& fileName) override;
  [[nodiscard]] int32_t Open(TStream& stream, const AnsiString& password) override;
  [[nodiscard]] int32_t Open(const WideString& fileName, const AnsiString& password) override;
  void Close() override { kept_ = false; }
  bool IsOpen() override { return kept_; }
  bool UserFlag() override { return userFlag_; }
  void SetUserFlag(bool value) override { userFlag_ = value; }

  // Own virtual operations after the constructor.
  virtual int32_t ReservedOperation() { return kResultOk; }
  virtual int32_t Failing() { return kResultFail; }
  virtual int32_t SetCodePage(uint16_t codePage);

  // Plain methods used by the rest of the engine.
  void Reset();
  // Formulas are compiled by the formula engine through the compile link;
  // without it no text compiles and these give nothing.
  std::shared_ptr<TXLSCompiledFormula> CompileFormula(const AnsiString& text, int32_t sheetIdentifier);
  AnsiString FormulaText(const TXLSCompiledFormula* formula, int32_t row, int32_t sheetIdentifier, int32_t column);
  // The formula with its relative references moved by the offsets; null
  // without the formula engine.
  std::shared_ptr<TXLSCompiledFormula> CopyFormula(const TXLSCompiledFormula& formula, int32_t rowOffset,
                                                   int32_t columnOffset);
  [[nodiscard]] int32_t EvaluateFormula(int32_t sheetPosition, const TXLSCompiledFormula* formula, TVariant& result,
                                        int32_t column, int32_t row);
  [[nodiscard]] int32_t CellValue(int32_t sheetPosition, int32_t row, int32_t column, TVariant& value, bool& beyond);
  int32_t SheetCountPlusOne() const { return sheets_->Count() + 1; }
  WideString SheetNameAt(int32_t position) const;
  int32_t IdentifierOfSheetName(const WideString& name) const { return sheets_->IdentifierOfName(name); }
  int32_t PositionOfSheetIdentifier(int32_t id) const { return sheets_->PositionOfIdentifier(id); }
  uint32_t GetPaletteColor(int32_t index) const { return palette_.GetPaletteColor(index); }
  int32_t NearestColorIndex(uint32_t color) const { return palette_.NearestColorIndex(color); }
  void RaiseGeneration() { generation_ = generation_ == -1 ? 1 : generation_ + 1; }
  int32_t Generation() const { return generation_; }

  TlxFormatList& Formats() { return *formats_; }
  TXLSStringTable& StringTable() { return *strings_; }
  bool HasStringTable() const { return strings_ != nullptr; }
  TXLSPalette& Palette() { return palette_; }
  TXLSProtect& Protection() { return protection_; }
  // The defined names (lxNames.h); replaced by Reset.
  TXLSCustomNames& NameStore() { return *names_; }
  // The rectangle and sheet a formula refers to when it is one reference,
  // directly or through names, evaluated on sheetIdentifier (which becomes
  // the reference's sheet); false otherwise or without the formula engine.
  bool ReferenceArea(const TXLSCompiledFormula& formula, int32_t& sheetIdentifier, TXLSNameArea& area);
  // Sheet references of formulas and built-in names; replaced by Reset, so
  // callers look it up each time instead of keeping the reference.
  TlxExternSheetSheet& ExternSheets() { return *externSheets_; }
  const TlxExternSheetSheet& ExternSheets() const { return *externSheets_; }
  uint16_t CodePage() const { return codePage_; }
  const WideString& SheetNamePrefix() const { return namePrefix_; }
  void SetSheetNamePrefix(const WideString& prefix) { namePrefix_ = prefix; }
  int32_t FirstVisibleTab() const { return firstVisibleTab_; }
  void SetFirstVisibleTab(int32_t tab) { firstVisibleTab_ = tab; }
  const WideString& FileName() const { return fileName_; }
  int32_t DefaultSaveFormat() const { return defaultSaveFormat_; }
  // Cleared while a save writes the compound document.
  bool NoDocument() const { return noDocument_; }
  void SetNoDocument(bool value) { noDocument_ = value; }
  // The writer's BIFF version code, set per save.
  int32_t FormatCode() const { return formatCode_; }
  void SetFormatCode(int32_t code) { formatCode_ = code; }
  int32_t LastFormat() const { return lastFormat_; }
  int32_t LastOpenFormat() const { return lastOpenFormat_; }
  // After a file or stream was read: its format (1 BIFF5, 2 BIFF8) becomes
  // the one a plain Save uses, and a file's name the stored name.
  void NoteFileRead(int32_t format, const WideString& fileName);
  const TXLSWorkbookLinks* Links() const { return links_; }
  // The formula engine's calculator, made by the formula layer the first
  // time it is needed and kept with the workbook; null until then.
  TXLSCalculator* Calculator() const { return calculator_.get(); }
  void SetCalculator(std::shared_ptr<TXLSCalculator> calculator) { calculator_ = std::move(calculator); }
  // The workbook's objects besides sheets (the drawing group; built by the
  // drawing layer, lxSheetObjects.h), or null while it has none; emptied by
  // Reset.
  TXLSBookObjects* BookObjects() const { return bookObjects_.get(); }
  // The same, made through the links on first use; null without them.
  TXLSBookObjects* GetBookObjects();
  // Gives the workbook its objects (owned by the workbook from now on).
  void SetBookObjects(std::unique_ptr<TXLSBookObjects> objects) { bookObjects_ = std::move(objects); }

 private:
  std::unique_ptr<TlxExternSheetSheet> MakeExternSheets();
  [[nodiscard]] int32_t SaveThroughLink(const WideString& fileName, TStream* stream, int32_t format);
  [[nodiscard]] int32_t OpenThroughLink(const WideString& fileName, TStream* stream, const AnsiString* password);

  const TXLSWorkbookLinks* links_;  // not owned

  bool noDocument_ = true;
  WideString namePrefix_ = u"Sheet";
  TXLSPalette palette_;
  uint16_t codePage_ = 1252;
  std::unique_ptr<TlxFormatList> formats_;
  TXLSProtect protection_;
  bool date1904_ = false;
  int32_t formatCode_ = 16;
  WideString fileName_;
  int32_t firstVisibleTab_ = 0;
  // Before the sheets, so that sheet objects can still reach it while they
  // are destroyed.
  std::unique_ptr<TXLSBookObjects> bookObjects_;
  std::unique_ptr<IXLSWorkSheets> sheets_;
  std::unique_ptr<TXLSStringTable> strings_;
  int32_t defaultSaveFormat_ = kSaveBiff8;
  int32_t lastFormat_ = 0;
  std::unique_ptr<TlxExternSheetSheet> externSheets_;
  std::unique_ptr<TXLSCustomNames> names_;
  int32_t generation_ = 1;
  bool fullPrecision_ = true;
  int32_t lastOpenFormat_ = 0;
  bool kept_ = false;
  bool userFlag_ = false;
  std::shared_ptr<TXLSCalculator> calculator_;
};

// A new empty workbook (no worksheets yet) whose saving, opening, exporting
// and formula compiling work: defined by lxengine (lxEngine.cpp), which links
// the layers above the model in.
XLSPtr<IXLSWorkBook> CreateWorkbook();
// As CreateWorkbook, held as the implementation class.
XLSPtr<TXLSWorkbook> CreateXLSWorkbook();

// ---------------------------------------------------------------- reference text

WideString CellName(int32_t row, int32_t column);  // 0-based
// The name of a 0-based range: "A1:C3".
WideString RangeName(int32_t row1, int32_t column1, int32_t row2, int32_t column2);
WideString ColumnLetters(int32_t column);         // 1-based
int32_t ColumnNumber(const WideString& letters);  // 1-based or -1
// Reads a cell name ("B7") into 0-based row and column; false when it is none or outside the sheet.
bool ParseCellName(const WideString& text, int32_t& row, int32_t& column);
// Reads a range name ("A1:C3") into 0-based corners; false when it is none.
bool ParseRangeName(const WideString& text, int32_t& row1, int32_t& column1, int32_t& row2, int32_t& column2);
// Reads a row span ("1:3" or "$1:$3") into its row numbers, ordered; false when it is none.
bool ParseRowSpan(const WideString& text, int32_t& first, int32_t& last);
// Reads a column span ("A:C" or "$A:$C") into its column numbers, ordered; false when it is none.
bool ParseColumnSpan(const WideString& text, int32_t& first, int32_t& last);
// The text of a 1-based row span, "$1:$3"; empty when a row is below 1.
WideString RowSpanText(int32_t first, int32_t last);
// The text of a 1-based column span, "$A:$C"; empty when a column is below 1.
WideString ColumnSpanText(int32_t first, int32_t last);
// A text as a cell keeps it: line breaks (CR LF or LF) become CR.
WideString TextToCellText(const WideString& text);
// A number with at most one decimal ("12.5", "-3"), halves rounded away from zero; empty for zero and for values that
// are not finite.
WideString NumberToText(double value);

}  // namespace lx
