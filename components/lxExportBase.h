// TXLSExportBase: what the grid and dataset exporters have in common.
//
// Both exporters write a header row, one detail row per record of a dataset
// and, with group fields named, group title rows with outline levels; both
// continue long exports on new worksheets, fire the same events at the same
// points and save by the file name's extension. They differ only in where
// their columns come from (the visible columns of a grid, or the fields of a
// dataset) and in what a header cell and a detail cell take from a column.
// This base holds the shared settings, the export walk, the detail cells'
// fast path (lxCellStyle.h), the group titles (lxGroup.h), saving and the
// workbook; a derived exporter answers a few questions about its columns
// (the protected hooks below) and turns the base's untyped event hooks into
// its own typed events.
//
// Column indexes are 0-based over all of the exporter's columns, hidden
// ones included.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lxCellStyle.h"
#include "lxClasses.h"
#include "lxDB.h"
#include "lxGraphics.h"
#include "lxGroup.h"
#include "lxHandle.h"

namespace lx {

// Number format of a text header cell.
inline constexpr char16_t kTextNumberFormat[] = u"@";
// Number format of a currency field without a display format.
inline constexpr char16_t kCurrencyNumberFormat[] = u"#,##0.00";

// Rewrites a framework date-time pattern for the spreadsheet: n becomes m and
// z becomes 0 (lower-case only), then ampm and a/p in any case become AM/PM.
std::string ConvertDateTimeFormat(std::string_view format);
// A framework number pattern for the spreadsheet: S and s are escaped, since
// the spreadsheet reads them as seconds.
std::string ConvertNumberFormat(std::string_view format);
// The spreadsheet's horizontal alignment constant of a framework alignment.
int32_t AlignmentConstant(TAlignment alignment);

// What the grid and dataset exporters share: the settings (fonts, colours, borders, origin, group fields, rows per
// sheet), the export walk, the workbook it fills and saving. The exporter owns the workbook it creates until
// ExportToFile or ReleaseWorkbook releases it.
class TXLSExportBase : public TComponent {
 public:
  ~TXLSExportBase() override;

  // ---- settings shared by both exporters
  // The name of the worksheets the export adds (8-bit text; empty: the default names).
  const std::string& WorksheetName() const { return worksheetName_; }
  // Sets the name of the worksheets the export adds.
  void SetWorksheetName(std::string name) { worksheetName_ = std::move(name); }
  // The font of the header cells.
  const TFont& HeaderFont() const { return headerFont_; }
  // Sets the font of the header cells (copied).
  void SetHeaderFont(const TFont& font) { headerFont_.Assign(font); }
  // The font of the detail cells.
  const TFont& DetailFont() const { return detailFont_; }
  // Sets the font of the detail cells (copied).
  void SetDetailFont(const TFont& font) { detailFont_.Assign(font); }
  // The font of the group title rows.
  const TFont& GroupFont() const { return groupFont_; }
  // Sets the font of the group title rows (copied).
  void SetGroupFont(const TFont& font) { groupFont_.Assign(font); }
  // The font of the header cells, to change in place.
  TFont& HeaderFont() { return headerFont_; }
  // The font of the detail cells, to change in place.
  TFont& DetailFont() { return detailFont_; }
  // The font of the group title rows, to change in place.
  TFont& GroupFont() { return groupFont_; }
  // The fill of the header cells.
  TColor HeaderColor() const { return headerColor_; }
  // Sets the fill of the header cells.
  void SetHeaderColor(TColor color) { headerColor_ = color; }
  // The fill of the detail cells.
  TColor DetailColor() const { return detailColor_; }
  // Sets the fill of the detail cells.
  void SetDetailColor(TColor color) { detailColor_ = color; }
  // The fill of the group title rows.
  TColor GroupColor() const { return groupColor_; }
  // Sets the fill of the group title rows.
  void SetGroupColor(TColor color) { groupColor_ = color; }
  // The 0-based row where the export starts.
  uint16_t StartRow() const { return startRow_; }
  // Sets the 0-based row where the export starts.
  void SetStartRow(uint16_t row) { startRow_ = row; }
  // The 0-based column where the export starts.
  uint16_t StartCol() const { return startCol_; }
  // Sets the 0-based column where the export starts.
  void SetStartCol(uint16_t column) { startCol_ = column; }
  // The borders of the header cells.
  TBorderStyle HeaderBorderStyle() const { return headerBorderStyle_; }
  // Sets the borders of the header cells.
  void SetHeaderBorderStyle(TBorderStyle style) { headerBorderStyle_ = style; }
  // The borders of the detail cells.
  TBorderStyle DetailBorderStyle() const { return detailBorderStyle_; }
  // Sets the borders of the detail cells.
  void SetDetailBorderStyle(TBorderStyle style) { detailBorderStyle_ = style; }
  // The borders of the group title rows.
  TBorderStyle GroupBorderStyle() const { return groupBorderStyle_; }
  // Sets the borders of the group title rows.
  void SetGroupBorderStyle(TBorderStyle style) { groupBorderStyle_ = style; }
  // The border colour of the header cells.
  TColor HeaderBorderColor() const { return headerBorderColor_; }
  // Sets the border colour of the header cells.
  void SetHeaderBorderColor(TColor color) { headerBorderColor_ = color; }
  // The border colour of the detail cells.
  TColor DetailBorderColor() const { return detailBorderColor_; }
  // Sets the border colour of the detail cells.
  void SetDetailBorderColor(TColor color) { detailBorderColor_ = color; }
  // The border colour of the group title rows.
  TColor GroupBorderColor() const { return groupBorderColor_; }
  // Sets the border colour of the group title rows.
  void SetGroupBorderColor(TColor color) { groupBorderColor_ = color; }
  // The names of the fields that group the records, outermost first.
  const TStrings& GroupFields() const { return groupFields_; }
  // The group field names, to change in place.
  TStrings& GroupFields() { return groupFields_; }
  // Sets the group field names (copied).
  void SetGroupFields(const TStrings& fields) { groupFields_.Assign(fields); }
  // The most rows a sheet gets before the export continues on a new one.
  int32_t RowsPerSheet() const { return rowsPerSheet_; }
  // Accepted only when StartRow + 1 < value <= 65535.
  void SetRowsPerSheet(int32_t value);
  // Whether the export sets the column widths.
  bool SetColumnsWidth() const { return setColumnsWidth_; }
  // Sets whether the export sets the column widths.
  void SetSetColumnsWidth(bool value) { setColumnsWidth_ = value; }
  // Whether a header row is written.
  bool ExportHeader() const { return exportHeader_; }
  // Sets whether a header row is written.
  void SetExportHeader(bool value);
  // The formatting steps the export skips.
  TFormatOptions DisableFormat() const { return disableFormat_; }
  // Sets the formatting steps the export skips.
  void SetDisableFormat(TFormatOptions options) { disableFormat_ = options; }
  // Whether group columns are left empty in the detail rows.
  bool ClearGroupFields() const { return clearGroupFields_; }
  // Sets whether group columns are left empty in the detail rows.
  void SetClearGroupFields(bool value) { clearGroupFields_ = value; }

  // ---- operations
  // Writes the columns and records into the held workbook (created when none
  // is held): on a new sheet or the current one; row and column are the
  // 0-based origin, -1 for automatic placement below the used block.
  void Export(bool newSheet, int32_t row, int32_t column);
  // Export at automatic placement.
  void Export(bool newSheet) { Export(newSheet, -1, -1); }
  // Export on a new sheet at automatic placement.
  void Export() { Export(true); }
  // .htm/html: HTML; .rtf: RTF; anything else BIFF8. -1 without a workbook.
  [[nodiscard]] int32_t SaveToFile(const std::u16string& fileName);
  // Export, SaveToFile and release the workbook; -100 when the export was
  // stopped by the silent abort.
  [[nodiscard]] int32_t ExportToFile(const std::u16string& fileName);

  // The workbook held between Export and ExportToFile (null when none).
  IXLSWorkBook* Workbook() const { return workbook_.Get(); }
  // Releases the held workbook.
  void ReleaseWorkbook();
  // The group storage of the last export.
  const TXLSGroupStorage& Groups() const { return *groups_; }

 protected:
  // An exporter whose header and detail cells start with these border styles.
  TXLSExportBase(TBorderStyle headerBorderStyle, TBorderStyle detailBorderStyle);

  // What a header cell is written with.
  struct THeaderCell {
    // The column width to set (when SetColumnsWidth); empty leaves it.
    TVariant width;
    // The cell's text; with clear the cell's contents are cleared instead.
    std::u16string text;
    // Clear the cell's contents instead of writing text.
    bool clear = false;
    // Font and fill; they come in as the previous column left them (the
    // header font and colour for the first column).
    const TFont* font = nullptr;
    // The fill colour.
    TColor color = clNone;
    // An xlHAlign constant; 0 leaves the alignment.
    int32_t horizontalAlignment = 0;
    // The text number format "@" is set (unless foNumberFormat).
    bool textFormat = false;
  };
  // Where the detail cells of a column come from.
  struct TDetailSource {
    // The field whose values the cells show (owned by its dataset).
    TField* field = nullptr;
    // The font of the cells (not owned).
    const TFont* font = nullptr;
    // The fill colour of the cells.
    TColor color = clNone;
    // The alignment of the cells.
    TAlignment alignment = taLeftJustify;
    // Left empty when ClearGroupFields and groups are active.
    bool groupColumn = false;
  };

  // ---- hooks of the derived exporter
  // Step 3 of an export: the number of columns, with the dataset set
  // (SetExportDataSet) for the walk.
  virtual int32_t TakeColumns() = 0;
  // Whether a column is exported.
  virtual bool ColumnVisible(int32_t index) = 0;
  // The header cell of a visible column; called before the cell is written.
  virtual void ReadHeaderCell(int32_t index, THeaderCell& cell) = 0;
  // The detail cells of a visible column.
  virtual void ReadDetailSource(int32_t index, TDetailSource& source) = 0;
  // The field whose value a group column compares; null for none.
  virtual TField* ColumnField(int32_t index) = 0;
  // The column of a group field name; -1 when there is none.
  virtual int32_t FindGroupColumn(const std::string& name) = 0;

  // The untyped events; a derived exporter sets them when its typed event
  // is assigned (empty otherwise, so nothing is built for them).
  struct THooks {
    // After a header cell.
    std::function<void(IXLSRange* cell, int32_t index)> headerCell;
    // After a detail cell.
    std::function<void(IXLSRange* cell, int32_t row, int32_t index)> detailCell;
    // After a detail row.
    std::function<void(IXLSRange* range, int32_t row)> detailRow;
    // After the header row.
    std::function<void(IXLSRange* range)> header;
    // After the detail rows of a sheet.
    std::function<void(IXLSRange* range)> detail;
    // After the export.
    std::function<void(IXLSRange* range)> exported;
    // For each worksheet the export adds.
    std::function<void(IXLSWorksheet* sheet)> worksheetCreate;
    // After a group title row.
    std::function<void(int32_t groupIndex, IXLSRange* row, IXLSRange* cell)> groupTitle;
  };
  // The events the derived exporter connected.
  THooks hooks_;

  // The dataset walked by the export; the base forgets it when it is
  // destroyed.
  TDataSet* ExportDataSet() const { return dataSet_; }
  // Sets the dataset walked (not owned; forgotten when it is destroyed).
  void SetExportDataSet(TDataSet* dataSet);
  // Holds the given workbook (none releases it) and forgets the current
  // worksheet, so that the next Export appends to that workbook.
  void HoldWorkbook(XLSPtr<IXLSWorkBook> workbook);
  // The group storage of the export in progress.
  const TXLSGroupStorage& GroupStorage() const { return *groups_; }

  void Notification(TComponent* component, TOperation operation) override;

 private:
  // What the detail cells of one column are written with, read from the
  // column, its field and the settings. The entries are read again whenever
  // an event handler has run since (an event may change any of it), so
  // between events each cell costs no lookups by name.
  struct TDetailColumn {
    uint64_t generation = 0;  // generation_ when read; 0 never
    bool visible = false;
    bool groupColumn = false;
    TField* field = nullptr;
    TFieldType type = ftUnknown;
    uint8_t charset = 0;      // of the detail font, for text values
    bool keepsAscii = false;  // TextKeepsAscii
    int32_t style = -1;
    // Date-times without a display format: the style with the short time,
    // for values with a time of day.
    int32_t timeStyle = -1;
    // Booleans show their edit text.
    bool booleanText = false;
  };

  void AddWorksheet();
  void WriteHeader();
  void WriteDetails();
  const TDetailColumn& DetailColumn(int32_t index);
  void ReadDetailColumn(int32_t index, TDetailColumn& entry);
  // The current record's value of a column's field (null without one).
  const TVariant& GroupValue(int32_t columnIndex);
  // Row and column 1-based, as Cells.Item takes them.
  void WriteDetailCell(int32_t row, int32_t column, const TDetailColumn& entry);
  void PrepareGroups();
  void SplitSheet(int32_t& q, int32_t& firstDetailRow, int32_t k);
  XLSPtr<IXLSRange> Block(int32_t firstRow, int32_t firstColumn, int32_t lastRow, int32_t lastColumn);
  // Runs an event hook and notes that the settings may have changed.
  template <class Hook, class... Args>
  void Fire(const Hook& hook, Args... args) {
    hook(args...);
    ++generation_;
  }

  std::string worksheetName_;
  TFont headerFont_;
  TFont detailFont_;
  TFont groupFont_;
  TColor headerColor_ = clNone;
  TColor detailColor_ = clNone;
  TColor groupColor_ = clNone;
  uint16_t startRow_ = 0;
  uint16_t startCol_ = 0;
  TBorderStyle headerBorderStyle_;
  TBorderStyle detailBorderStyle_;
  TBorderStyle groupBorderStyle_ = BorderStyleNone;
  TColor headerBorderColor_ = clNone;
  TColor detailBorderColor_ = clNone;
  TColor groupBorderColor_ = clNone;
  TStringList groupFields_;
  int32_t rowsPerSheet_ = 65535;
  bool setColumnsWidth_ = true;
  bool exportHeader_ = true;
  TFormatOptions disableFormat_;
  bool clearGroupFields_ = true;

  // Export state.
  TDataSet* dataSet_ = nullptr;  // not owned
  XLSPtr<IXLSWorkBook> workbook_;
  IXLSWorksheet* sheet_ = nullptr;  // owned by the workbook
  int32_t columnCount_ = 0;
  int32_t visibleCount_ = 0;
  int32_t detailRows_ = 0;
  int32_t recordsOnSheet_ = 0;
  std::unique_ptr<TXLSGroupStorage> groups_;
  uint16_t originColumn_ = 0;
  uint16_t originRow_ = 0;
  int32_t headerRows_ = 1;
  // Raised by every event and export: the detail columns are read again.
  uint64_t generation_ = 1;
  std::vector<TDetailColumn> detailColumns_;
  TXLSCellStyler styler_;
};

}  // namespace lx
