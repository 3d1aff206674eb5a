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
  explicit EXLSError(const char* message) : message_(message) {}
  const char* what() const noexcept override { return message_; }

 private:
  const char* message_;
};
inline constexpr const char* kInvalidIndexError = "Invalid row/column index";

// Objects of later parts of the model. They are reached through their slots
// of the range and workbook interfaces; their own operations are added with
// the objects themselves.
class IXLSFont;      // lxStyle.h
class IXLSInterior;  // lxStyle.h
class IXLSBorders;   // lxStyle.h
class IXLSComment : public IXLSUnknown {};

// ---------------------------------------------------------------- names and hyperlinks

// One defined name (lxNames.h). Texts are wide; a refers-to text starts with
// "=".
class IXLSName : public IXLSUnknown {
 public:
  static constexpr TXLSGuid kIID{0x6C780001, 0x0010, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x10}};
  virtual WideString Name() = 0;                            // 3
  virtual WideString RefersTo() = 0;                        // 4
  virtual XLSPtr<IXLSRange> RefersToRange() = 0;            // 5
  virtual void SetRefersTo(const WideString& formula) = 0;  // 6
  virtual void SetName(const WideString& name) = 0;         // 7
  virtual void Delete() = 0;                                // 8
  virtual bool Visible() = 0;                               // 9

 protected:
  ~IXLSName() = default;
};

// The workbook-level names.
class IXLSNames : public IXLSUnknown {
 public:
  static constexpr TXLSGuid kIID{0x6C780001, 0x0011, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x11}};
  virtual XLSPtr<IXLSName> Item(const TVariant& index) = 0;                                            // 3
  virtual int32_t Count() = 0;                                                                         // 4
  virtual XLSPtr<IXLSName> Add(const WideString& name, const WideString& refersTo, bool visible) = 0;  // 5
  virtual XLSPtr<IXLSName> Add(const WideString& name, const WideString& refersTo) = 0;                // 6
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
  static constexpr TXLSGuid kIID{0x6C780001, 0x0012, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x12}};
  virtual void Delete() = 0;                                   // 3
  virtual WideString Address() = 0;                            // 4
  virtual void SetAddress(const WideString& value) = 0;        // 5
  virtual WideString SubAddress() = 0;                         // 6
  virtual void SetSubAddress(const WideString& value) = 0;     // 7
  virtual WideString ScreenTip() = 0;                          // 8
  virtual void SetScreenTip(const WideString& value) = 0;      // 9
  virtual WideString TextToDisplay() = 0;                      // 10
  virtual void SetTextToDisplay(const WideString& value) = 0;  // 11
  virtual XLSPtr<IXLSRange> Range() = 0;                       // 12
  virtual void SetRange(IXLSRange* range) = 0;                 // 13

 protected:
  ~IXLSHyperlink() = default;
};

// The hyperlinks of a worksheet, or those that touch one range.
class IXLSHyperlinks : public IXLSUnknown {
 public:
  static constexpr TXLSGuid kIID{0x6C780001, 0x0013, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x13}};
  virtual int32_t Count() = 0;                        // 3
  virtual XLSPtr<IXLSHyperlink> Item(int32_t n) = 0;  // 4
  virtual void Delete() = 0;                          // 5
  virtual XLSPtr<IXLSHyperlink> Add(IXLSRange* anchor, const WideString& address, const WideString& textToDisplay,
                                    const WideString& screenTip, const WideString& subAddress) = 0;  // 6

 protected:
  ~IXLSHyperlinks() = default;
};

// ---------------------------------------------------------------- ranges

// Slots 3 to 86, shared by the four views of a range.
class IXLSRangeBase : public IXLSUnknown {
 public:
  virtual void CopyFrom(IXLSRange* source, int32_t what, bool keepSource) = 0;           // 3
  virtual XLSPtr<IXLSRange> Item(int32_t row, int32_t column) = 0;                       // 4
  virtual void SetValue(const TVariant& value) = 0;                                      // 5
  virtual TVariant Value() = 0;                                                          // 6
  virtual TVariant Formula() = 0;                                                        // 7
  virtual XLSPtr<IXLSRowsRange> EntireRow() = 0;                                         // 8
  virtual XLSPtr<IXLSColsRange> EntireColumn() = 0;                                      // 9
  virtual XLSPtr<IXLSRowsRange> Rows() = 0;                                              // 10
  virtual XLSPtr<IXLSColsRange> Columns() = 0;                                           // 11
  virtual XLSPtr<IXLSRange> Offset(int32_t rowOffset, int32_t columnOffset) = 0;         // 12
  virtual void MoveTo(int32_t row, int32_t column) = 0;                                  // 13
  virtual int32_t Row() = 0;                                                             // 14
  virtual int32_t Column() = 0;                                                          // 15
  virtual int32_t Count() = 0;                                                           // 16
  virtual XLSPtr<IXLSFont> Font() = 0;                                                   // 17
  virtual XLSPtr<IXLSInterior> Interior() = 0;                                           // 18
  virtual TVariant ColumnWidth() = 0;                                                    // 19
  virtual void SetColumnWidth(const TVariant& value) = 0;                                // 20
  virtual TVariant RowHeight() = 0;                                                      // 21
  virtual void SetRowHeight(const TVariant& value) = 0;                                  // 22
  virtual TVariant WrapText() = 0;                                                       // 23
  virtual void SetWrapText(const TVariant& value) = 0;                                   // 24
  virtual TVariant Orientation() = 0;                                                    // 25
  virtual void SetOrientation(const TVariant& value) = 0;                                // 26
  virtual XLSPtr<IXLSBorders> Borders() = 0;                                             // 27
  virtual WideString NumberFormat() = 0;                                                 // 28
  virtual void SetNumberFormat(const WideString& value) = 0;                             // 29
  virtual bool Locked() = 0;                                                             // 30
  virtual void SetLocked(bool value) = 0;                                                // 31
  virtual bool FormulaHidden() = 0;                                                      // 32
  virtual void SetFormulaHidden(bool value) = 0;                                         // 33
  virtual bool ShrinkToFit() = 0;                                                        // 34
  virtual void SetShrinkToFit(bool value) = 0;                                           // 35
  virtual int32_t ReadingOrder() = 0;                                                    // 36
  virtual void SetReadingOrder(uint8_t value) = 0;                                       // 37
  virtual int32_t HorizontalAlignment() = 0;                                             // 38
  virtual void SetHorizontalAlignment(int32_t value) = 0;                                // 39
  virtual int32_t VerticalAlignment() = 0;                                               // 40
  virtual void SetVerticalAlignment(int32_t value) = 0;                                  // 41
  virtual XLSPtr<IXLSRange> Cells() = 0;                                                 // 42
  virtual void ExpandToMergedAreas() = 0;                                                // 43
  virtual void ShrinkToWholeMergedAreas() = 0;                                           // 44
  virtual bool HasFormula() = 0;                                                         // 45
  virtual void AutoFilter() = 0;                                                         // 46
  virtual void Reserved47() = 0;                                                         // 47
  virtual void Reserved48(int32_t value) = 0;                                            // 48
  virtual void Reserved49(const TVariant& value) = 0;                                    // 49
  virtual void Reserved50(int32_t a, int32_t b, const TVariant& value) = 0;              // 50
  virtual void Merge(const TVariant& across) = 0;                                        // 51
  virtual void Merge() = 0;                                                              // 52
  virtual void Activate() = 0;                                                           // 53
  virtual void ClearContents() = 0;                                                      // 54
  virtual void Clear() = 0;                                                              // 55
  virtual void Insert(const TVariant& shift, TVariant& done) = 0;                        // 56
  virtual void Delete(const TVariant& shift, TVariant& done) = 0;                        // 57
  virtual void Cut(IXLSRange* destination) = 0;                                          // 58
  virtual void Copy(IXLSRange* destination) = 0;                                         // 59
  virtual void Cut(IXLSRange* destination, int32_t what) = 0;                            // 60
  virtual void Copy(IXLSRange* destination, int32_t what) = 0;                           // 61
  virtual XLSPtr<IXLSComment> AddComment() = 0;                                          // 62
  virtual XLSPtr<IXLSComment> AddComment(const WideString& text) = 0;                    // 63
  virtual void ClearComments() = 0;                                                      // 64
  virtual XLSPtr<IXLSComment> Comment() = 0;                                             // 65
  virtual XLSPtr<IXLSHyperlinks> Hyperlinks() = 0;                                       // 66
  virtual int32_t FirstColumn() = 0;                                                     // 67
  virtual int32_t LastColumn() = 0;                                                      // 68
  virtual int32_t FirstRow() = 0;                                                        // 69
  virtual int32_t LastRow() = 0;                                                         // 70
  virtual void UnMerge() = 0;                                                            // 71
  virtual bool MergeCells() = 0;                                                         // 72
  virtual void SetMergeCells(bool value) = 0;                                            // 73
  virtual XLSPtr<IXLSRange> MergeArea() = 0;                                             // 74
  virtual int32_t FormatIndex() = 0;                                                     // 75
  virtual IXLSWorksheet* Worksheet() = 0;                                                // 76
  virtual void AutoFit(bool columns) = 0;                                                // 77
  virtual void Group(bool rows) = 0;                                                     // 78
  virtual void Ungroup(bool rows) = 0;                                                   // 79
  virtual void ClearOutline() = 0;                                                       // 80
  virtual int32_t OutlineLevel() = 0;                                                    // 81
  virtual void SetOutlineLevel(int32_t level) = 0;                                       // 82
  virtual int32_t IndentLevel() = 0;                                                     // 83
  virtual void SetIndentLevel(int32_t level) = 0;                                        // 84
  [[nodiscard]] virtual int32_t SaveAs(const WideString& fileName, int32_t format) = 0;  // 85
  [[nodiscard]] virtual int32_t SaveAs(TStream& stream, int32_t format) = 0;             // 86

 protected:
  ~IXLSRangeBase() = default;
};

// Slots 87-90 are named ItemCount, Hidden, SetHidden and Item(n); slots 91-95
// of the plain and columns views carry a Columns prefix, slot 91 of the row
// views a Rows prefix, since slots 16 and 77-82 already use those names.

// The plain view: cells and blocks.
class IXLSRange : public IXLSRangeBase {
 public:
  static constexpr TXLSGuid kIID{0x6C780001, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
  using IXLSRangeBase::Item;
  virtual int32_t ItemCount() = 0;                         // 87 number of rows
  virtual TVariant Hidden() = 0;                           // 88 column hidden flags
  virtual void SetHidden(const TVariant& value) = 0;       // 89
  virtual XLSPtr<IXLSRowRange> Item(int32_t n) = 0;        // 90 row n
  virtual void ColumnsAutoFit(bool columns) = 0;           // 91
  virtual void ColumnsGroup(bool rows) = 0;                // 92
  virtual void ColumnsUngroup(bool rows) = 0;              // 93
  virtual int32_t ColumnsOutlineLevel() = 0;               // 94
  virtual void SetColumnsOutlineLevel(int32_t level) = 0;  // 95

 protected:
  ~IXLSRange() = default;
};

// One row seen as a list of cells.
class IXLSRowRange : public IXLSRangeBase {
 public:
  static constexpr TXLSGuid kIID{0x6C780001, 0x0002, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x02}};
  using IXLSRangeBase::Item;
  virtual int32_t ItemCount() = 0;                    // 87 number of columns
  virtual TVariant Hidden() = 0;                      // 88 row hidden flags
  virtual void SetHidden(const TVariant& value) = 0;  // 89
  virtual XLSPtr<IXLSRange> Item(int32_t n) = 0;      // 90 cell n
  virtual void RowsAutoFit(bool columns) = 0;         // 91

 protected:
  ~IXLSRowRange() = default;
};

// A set of whole columns.
class IXLSColsRange : public IXLSRangeBase {
 public:
  static constexpr TXLSGuid kIID{0x6C780001, 0x0003, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x03}};
  using IXLSRangeBase::Item;
  virtual int32_t ItemCount() = 0;                         // 87 number of columns
  virtual TVariant Hidden() = 0;                           // 88
  virtual void SetHidden(const TVariant& value) = 0;       // 89
  virtual XLSPtr<IXLSRange> Item(int32_t n) = 0;           // 90 column n
  virtual void ColumnsAutoFit(bool columns) = 0;           // 91
  virtual void ColumnsGroup(bool rows) = 0;                // 92
  virtual void ColumnsUngroup(bool rows) = 0;              // 93
  virtual int32_t ColumnsOutlineLevel() = 0;               // 94
  virtual void SetColumnsOutlineLevel(int32_t level) = 0;  // 95

 protected:
  ~IXLSColsRange() = default;
};

// A set of whole rows.
class IXLSRowsRange : public IXLSRangeBase {
 public:
  static constexpr TXLSGuid kIID{0x6C780001, 0x0004, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x04}};
  using IXLSRangeBase::Item;
  virtual int32_t ItemCount() = 0;                    // 87 number of rows
  virtual TVariant Hidden() = 0;                      // 88
  virtual void SetHidden(const TVariant& value) = 0;  // 89
  virtual XLSPtr<IXLSRowRange> Item(int32_t n) = 0;   // 90 row n
  virtual void RowsAutoFit(bool columns) = 0;         // 91

 protected:
  ~IXLSRowsRange() = default;
};

// ---------------------------------------------------------------- worksheets

// One worksheet: a plain object owned by the workbook's collection.
class IXLSWorksheet : public TXLSObject {
 public:
  IXLSWorksheet(TXLSWorkbook* workbook, int32_t identifier);
  ~IXLSWorksheet() override;

  virtual int32_t MakeFirstVisibleTab();
  virtual int32_t SplitPanes(int32_t firstRow, int32_t firstColumn, int32_t width, int32_t height);
  virtual int32_t FreezePanes(int32_t rows, int32_t columns, int32_t firstColumn, int32_t firstRow);
  virtual int32_t Reserved3();
  virtual int32_t Reserved4();

  XLSPtr<IXLSRange> Cells();
  // Two cell names such as "A1" and "C3"; the single cell A1 when the first
  // does not parse, the first cell alone when only the second does not.
  XLSPtr<IXLSRange> Range(const WideString& firstCell, const WideString& lastCell);
  // 1-based; clamped to the sheet and ordered.
  XLSPtr<IXLSRange> RangeOf(int32_t firstRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow);
  XLSPtr<IXLSRange> UsedRange();
  XLSPtr<IXLSRange> ActiveCell();
  void SetActiveCell(XLSPtr<IXLSRange> range) { activeCell_ = std::move(range); }

  const WideString& Name() const { return name_; }
  void SetName(const WideString& name);
  int16_t Index() const { return index_; }
  int32_t Identifier() const { return identifier_; }
  void Activate();
  void Select(bool replace);
  bool Selected() const { return selected_; }
  void SetSelected(bool selected) { selected_ = selected; }

  uint8_t Visible() const { return visibility_; }
  void SetVisible(const TVariant& value);
  uint16_t Zoom() const { return zoom_; }
  void SetZoom(const TVariant& value);
  int32_t FirstVisibleRow() const { return firstVisibleRow_; }
  int32_t FirstVisibleColumn() const { return firstVisibleColumn_; }
  void SetFirstVisibleRow(int32_t row);
  void SetFirstVisibleColumn(int32_t column);
  bool DisplayGridlines() const { return displayGridlines_; }
  void SetDisplayGridlines(bool value) { displayGridlines_ = value; }
  bool FrozenPanes() const { return frozenPanes_; }
  uint8_t ActivePane() const { return activePane_; }
  void SetActivePane(uint8_t pane) { activePane_ = pane; }
  bool DisplayZeros() const { return displayZeros_; }
  void SetDisplayZeros(bool value) { displayZeros_ = value; }
  bool RightToLeft() const { return rightToLeft_; }
  void SetRightToLeft(bool value) { rightToLeft_ = value; }
  void SetStandardHeight(double points);
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
  [[nodiscard]] int32_t GetCellValue(const TXLSCellRef* cell, TVariant& value) const;
  TVariant ReadCellValue(const TXLSCellRef* cell) const;
  void GetCellFormulaText(const TXLSCellRef* cell, TVariant& value) const;
  bool HasFormula(const TXLSCellRef* cell) const;
  void SetCellFormat(int32_t row, int32_t column, int32_t formatIndex);

  TXLSCellHeap& CellHeap() { return *cells_; }
  const TXLSCellHeap& CellHeap() const { return *cells_; }
  TXLSRowInfoList& RowInfo() { return *rows_; }
  const TXLSRowInfoList& RowInfo() const { return *rows_; }
  TXLSColumnInfoList& ColumnInfo() { return *columns_; }
  const TXLSColumnInfoList& ColumnInfo() const { return *columns_; }
  TXLSWorkbook* Workbook() const { return workbook_; }
  void SetIndex(int16_t index) { index_ = index; }
  // Panes and outline settings exist after their first use (nullptr before).
  TXLSPanes* Panes() const { return panes_.get(); }
  TXLSProtect& Protection() { return protection_; }
  // Created with the sheet. The page setup asks the workbook's
  // external-sheet table for this sheet's entry when a print area or title
  // is set; it must not be used after the sheet is gone.
  TXLSPageSetup& PageSetup() { return *pageSetup_; }
  const TXLSPageSetup& PageSetup() const { return *pageSetup_; }
  TXLSHPageBreaks& HPageBreaks() { return hPageBreaks_; }
  TXLSVPageBreaks& VPageBreaks() { return vPageBreaks_; }
  TXLSOutline* Outline() const { return outline_.get(); }
  TXLSOutline& GetOutline();
  // The sheet's hyperlinks (lxHyperlinks.h): null before the first one,
  // made on first use by GetHyperlinkList; Hyperlinks gives all of them.
  TXLSCustomHyperlinks* HyperlinkList() const { return hyperlinks_.get(); }
  TXLSCustomHyperlinks& GetHyperlinkList();
  XLSPtr<IXLSHyperlinks> Hyperlinks();

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
};

// The worksheets of a workbook in tab order.
class IXLSWorkSheets {
 public:
  explicit IXLSWorkSheets(TXLSWorkbook* workbook);
  ~IXLSWorkSheets();
  IXLSWorkSheets(const IXLSWorkSheets&) = delete;
  IXLSWorkSheets& operator=(const IXLSWorkSheets&) = delete;

  IXLSWorksheet* Add();
  // Position 1..Count() + 1; other positions are refused (nullptr).
  IXLSWorksheet* Insert(int32_t position);
  IXLSWorksheet* Item(int32_t position) const;
  int32_t Count() const { return static_cast<int32_t>(sheets_.size()); }
  IXLSWorksheet* ActiveSheet() const { return active_; }
  void SetActiveSheet(IXLSWorksheet* sheet) { active_ = sheet; }
  int32_t IdentifierOfName(const WideString& name) const;
  int32_t PositionOfIdentifier(int32_t identifier) const;
  void DeselectAll();
  bool IsValidName(int32_t skipPosition, const WideString& name) const;

 private:
  std::vector<std::unique_ptr<IXLSWorksheet>> sheets_;
  TXLSWorkbook* workbook_;  // not owned
  IXLSWorksheet* active_ = nullptr;
  int32_t nextIdentifier_ = 0;
};

// ---------------------------------------------------------------- workbook

class IXLSWorkBook : public IXLSUnknown {
 public:
  static constexpr TXLSGuid kIID{0x6C780001, 0x0000, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x00}};

  virtual uint32_t Colors(int32_t index) = 0;                                                      // 3
  virtual void SetColors(int32_t index, uint32_t color) = 0;                                       // 4
  virtual IXLSWorkSheets* Worksheets() = 0;                                                        // 5
  virtual IXLSWorksheet* ActiveSheet() = 0;                                                        // 6
  virtual int32_t Reserved() = 0;                                                                  // 7
  virtual bool ProtectStructure() = 0;                                                             // 8
  virtual int32_t ResetColors() = 0;                                                               // 9
  virtual void Protect() = 0;                                                                      // 10
  virtual void Protect(const AnsiString& password) = 0;                                            // 11
  virtual bool Unprotect() = 0;                                                                    // 12
  virtual bool Unprotect(const AnsiString& password) = 0;                                          // 13
  virtual bool Unprotect(const WideString& password) = 0;                                          // 14
  [[nodiscard]] virtual int32_t SaveAs(const WideString& fileName) = 0;                            // 15
  [[nodiscard]] virtual int32_t SaveAs(const WideString& fileName, int32_t format) = 0;            // 16
  [[nodiscard]] virtual int32_t SaveAs(TStream& stream) = 0;                                       // 17
  [[nodiscard]] virtual int32_t SaveAs(TStream& stream, int32_t format) = 0;                       // 18
  [[nodiscard]] virtual int32_t Save() = 0;                                                        // 19
  [[nodiscard]] virtual int32_t SaveAsHTML(const WideString& fileName) = 0;                        // 20
  [[nodiscard]] virtual int32_t SaveAsRTF(const WideString& fileName) = 0;                         // 21
  [[nodiscard]] virtual int32_t SaveAsRTF(TStream& stream) = 0;                                    // 22
  virtual void Evaluate(const WideString& formula, TVariant& result) = 0;                          // 23
  virtual bool FullPrecision() = 0;                                                                // 24
  virtual XLSPtr<IXLSNames> Names() = 0;                                                           // 25
  virtual bool Date1904() = 0;                                                                     // 26
  virtual void SetDate1904(bool value) = 0;                                                        // 27
  virtual void SetFullPrecision(int32_t value) = 0;                                                // 28
  [[nodiscard]] virtual int32_t Open(TStream& stream) = 0;                                         // 29
  [[nodiscard]] virtual int32_t Open(const WideString& fileName) = 0;                              // 30
  [[nodiscard]] virtual int32_t Open(TStream& stream, const AnsiString& password) = 0;             // 31
  [[nodiscard]] virtual int32_t Open(const WideString& fileName, const AnsiString& password) = 0;  // 32
  virtual void Close() = 0;                                                                        // 33
  virtual bool IsOpen() = 0;                                                                       // 34
  virtual bool UserFlag() = 0;                                                                     // 35
  virtual void SetUserFlag(bool value) = 0;                                                        // 36

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
XLSPtr<TXLSWorkbook> CreateXLSWorkbook();

// ---------------------------------------------------------------- reference text

WideString CellName(int32_t row, int32_t column);  // 0-based
WideString RangeName(int32_t row1, int32_t column1, int32_t row2, int32_t column2);
WideString ColumnLetters(int32_t column);         // 1-based
int32_t ColumnNumber(const WideString& letters);  // 1-based or -1
bool ParseCellName(const WideString& text, int32_t& row, int32_t& column);
bool ParseRangeName(const WideString& text, int32_t& row1, int32_t& column1, int32_t& row2, int32_t& column2);
bool ParseRowSpan(const WideString& text, int32_t& first, int32_t& last);
bool ParseColumnSpan(const WideString& text, int32_t& first, int32_t& last);
WideString RowSpanText(int32_t first, int32_t last);
WideString ColumnSpanText(int32_t first, int32_t last);
WideString TextToCellText(const WideString& text);
WideString NumberToText(double value);

}  // namespace lx
