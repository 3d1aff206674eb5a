// TGridToXLS: exports what a data-aware grid shows into a workbook.
//
// The component writes one header row with the captions of the grid's
// visible columns, then one detail row per record of the grid's dataset, with
// fonts, fills, borders, alignment and number formats taken from the grid
// columns, the fields or its own published settings. With group fields named
// it inserts group title rows and outline levels through the group storage
// (lxGroup.h). Long exports continue on new worksheets after RowsPerSheet
// rows, with the header and the group titles written again. Events fire
// after every header cell, detail cell and row, block, group title, new
// worksheet and export, so that applications can restyle what was written;
// an event may raise the framework's silent abort (Abort()) to stop.
//
// The workbook lives from the first Export until ExportToFile (or the
// component's end) releases it; a second Export appends to it. SaveToFile
// picks the writer by the file name's extension.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lxCellStyle.h"
#include "lxClasses.h"
#include "lxDB.h"
#include "lxDBGrids.h"
#include "lxGraphics.h"
#include "lxGroup.h"
#include "lxHandle.h"

namespace lx {

class TGridToXLS;

using TAfterDBGridDetailCell =
    std::function<void(TGridToXLS* sender, IXLSRange* cell, int32_t rowIndex, int32_t columnIndex, TColumn* column)>;
using TAfterDBGridHeaderCell =
    std::function<void(TGridToXLS* sender, IXLSRange* cell, int32_t columnIndex, TColumn* column)>;
using TAfterDBGridDetailRow = std::function<void(TGridToXLS* sender, IXLSRange* range, int32_t rowIndex)>;
using TAfterDBGridHeader = std::function<void(TGridToXLS* sender, IXLSRange* range)>;
using TAfterDBGridDetail = std::function<void(TGridToXLS* sender, IXLSRange* range)>;
using TAfterDBGridExport = std::function<void(TGridToXLS* sender, IXLSRange* range)>;
using TOnDBGridWorksheetCreate = std::function<void(TGridToXLS* sender, IXLSWorksheet* worksheet)>;
using TAfterGroupTitle =
    std::function<void(TGridToXLS* sender, int32_t groupIndex, IXLSRange* groupRow, IXLSRange* groupCell)>;

// Column width in characters per pixel of grid width.
inline constexpr double kPixelsToColumnWidth = 0.1433;

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

class TGridToXLS : public TComponent {
 public:
  TGridToXLS();
  ~TGridToXLS() override;

  // ---- published properties
  TDBGrid* DBGrid() const { return grid_; }
  void SetDBGrid(TDBGrid* grid);
  const std::string& WorksheetName() const { return worksheetName_; }
  void SetWorksheetName(std::string name) { worksheetName_ = std::move(name); }
  const TFont& HeaderFont() const { return headerFont_; }
  void SetHeaderFont(const TFont& font) { headerFont_.Assign(font); }
  const TFont& DetailFont() const { return detailFont_; }
  void SetDetailFont(const TFont& font) { detailFont_.Assign(font); }
  const TFont& GroupFont() const { return groupFont_; }
  void SetGroupFont(const TFont& font) { groupFont_.Assign(font); }
  TFont& HeaderFont() { return headerFont_; }
  TFont& DetailFont() { return detailFont_; }
  TFont& GroupFont() { return groupFont_; }
  TColor HeaderColor() const { return headerColor_; }
  void SetHeaderColor(TColor color) { headerColor_ = color; }
  TColor DetailColor() const { return detailColor_; }
  void SetDetailColor(TColor color) { detailColor_ = color; }
  TColor GroupColor() const { return groupColor_; }
  void SetGroupColor(TColor color) { groupColor_ = color; }
  bool OriginalHeaderFont() const { return originalHeaderFont_; }
  void SetOriginalHeaderFont(bool value) { originalHeaderFont_ = value; }
  bool OriginalDetailFont() const { return originalDetailFont_; }
  void SetOriginalDetailFont(bool value) { originalDetailFont_ = value; }
  bool OriginalHeaderColor() const { return originalHeaderColor_; }
  void SetOriginalHeaderColor(bool value) { originalHeaderColor_ = value; }
  bool OriginalDetailColor() const { return originalDetailColor_; }
  void SetOriginalDetailColor(bool value) { originalDetailColor_ = value; }
  uint16_t StartRow() const { return startRow_; }
  void SetStartRow(uint16_t row) { startRow_ = row; }
  uint16_t StartCol() const { return startCol_; }
  void SetStartCol(uint16_t column) { startCol_ = column; }
  TBorderStyle HeaderBorderStyle() const { return headerBorderStyle_; }
  void SetHeaderBorderStyle(TBorderStyle style) { headerBorderStyle_ = style; }
  TBorderStyle DetailBorderStyle() const { return detailBorderStyle_; }
  void SetDetailBorderStyle(TBorderStyle style) { detailBorderStyle_ = style; }
  TBorderStyle GroupBorderStyle() const { return groupBorderStyle_; }
  void SetGroupBorderStyle(TBorderStyle style) { groupBorderStyle_ = style; }
  TColor HeaderBorderColor() const { return headerBorderColor_; }
  void SetHeaderBorderColor(TColor color) { headerBorderColor_ = color; }
  TColor DetailBorderColor() const { return detailBorderColor_; }
  void SetDetailBorderColor(TColor color) { detailBorderColor_ = color; }
  TColor GroupBorderColor() const { return groupBorderColor_; }
  void SetGroupBorderColor(TColor color) { groupBorderColor_ = color; }
  const TStrings& GroupFields() const { return groupFields_; }
  TStrings& GroupFields() { return groupFields_; }
  void SetGroupFields(const TStrings& fields) { groupFields_.Assign(fields); }
  int32_t RowsPerSheet() const { return rowsPerSheet_; }
  // Accepted only when StartRow + 1 < value <= 65535.
  void SetRowsPerSheet(int32_t value);
  bool SetColumnsWidth() const { return setColumnsWidth_; }
  void SetSetColumnsWidth(bool value) { setColumnsWidth_ = value; }
  bool ExportHeader() const { return exportHeader_; }
  void SetExportHeader(bool value);
  TFormatOptions DisableFormat() const { return disableFormat_; }
  void SetDisableFormat(TFormatOptions options) { disableFormat_ = options; }
  bool ClearGroupFields() const { return clearGroupFields_; }
  void SetClearGroupFields(bool value) { clearGroupFields_ = value; }

  // ---- events
  const TAfterDBGridDetailCell& AfterDetailCell() const { return afterDetailCell_; }
  void SetAfterDetailCell(TAfterDBGridDetailCell handler) { afterDetailCell_ = std::move(handler); }
  const TAfterDBGridHeaderCell& AfterHeaderCell() const { return afterHeaderCell_; }
  void SetAfterHeaderCell(TAfterDBGridHeaderCell handler) { afterHeaderCell_ = std::move(handler); }
  const TAfterDBGridDetailRow& AfterDetailRow() const { return afterDetailRow_; }
  void SetAfterDetailRow(TAfterDBGridDetailRow handler) { afterDetailRow_ = std::move(handler); }
  const TAfterDBGridHeader& AfterHeader() const { return afterHeader_; }
  void SetAfterHeader(TAfterDBGridHeader handler) { afterHeader_ = std::move(handler); }
  const TAfterDBGridDetail& AfterDetail() const { return afterDetail_; }
  void SetAfterDetail(TAfterDBGridDetail handler) { afterDetail_ = std::move(handler); }
  const TAfterDBGridExport& AfterExport() const { return afterExport_; }
  void SetAfterExport(TAfterDBGridExport handler) { afterExport_ = std::move(handler); }
  const TOnDBGridWorksheetCreate& OnWorksheetCreate() const { return onWorksheetCreate_; }
  void SetOnWorksheetCreate(TOnDBGridWorksheetCreate handler) { onWorksheetCreate_ = std::move(handler); }
  const TAfterGroupTitle& AfterGroupTitle() const { return afterGroupTitle_; }
  void SetAfterGroupTitle(TAfterGroupTitle handler) { afterGroupTitle_ = std::move(handler); }

  // ---- operations
  // Writes the grid into the held workbook (created when none is held): on
  // a new sheet or the current one; row and column are the 0-based origin,
  // -1 for automatic placement below the used block.
  void Export(bool newSheet, int32_t row, int32_t column);
  void Export(bool newSheet) { Export(newSheet, -1, -1); }
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
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // What the detail cells of one grid column are written with, read from
  // the column, its field and the settings. The entries are read again
  // whenever an event handler has run since (an event may change any of
  // it), so between events each cell costs no lookups by name.
  struct TDetailColumn {
    uint64_t generation = 0;  // generation_ when read; 0 never
    TColumn* column = nullptr;
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
  int32_t FindGroupColumn(const std::string& name) const;
  void SplitSheet(int32_t& q, int32_t& firstDetailRow, int32_t k);
  void SetDataSet(TDataSet* dataSet);
  XLSPtr<IXLSRange> Block(int32_t firstRow, int32_t firstColumn, int32_t lastRow, int32_t lastColumn);

  TDBGrid* grid_ = nullptr;  // not owned; cleared when it is destroyed
  std::string worksheetName_;
  TFont headerFont_;
  TFont detailFont_;
  TFont groupFont_;
  TColor headerColor_ = clNone;
  TColor detailColor_ = clNone;
  TColor groupColor_ = clNone;
  bool originalHeaderFont_ = true;
  bool originalDetailFont_ = true;
  bool originalHeaderColor_ = true;
  bool originalDetailColor_ = true;
  uint16_t startRow_ = 0;
  uint16_t startCol_ = 0;
  TBorderStyle headerBorderStyle_ = BorderStyleSingleThin;
  TBorderStyle detailBorderStyle_ = BorderStyleSingleThin;
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

  TAfterDBGridDetailCell afterDetailCell_;
  TAfterDBGridHeaderCell afterHeaderCell_;
  TAfterDBGridDetailRow afterDetailRow_;
  TAfterDBGridHeader afterHeader_;
  TAfterDBGridDetail afterDetail_;
  TAfterDBGridExport afterExport_;
  TOnDBGridWorksheetCreate onWorksheetCreate_;
  TAfterGroupTitle afterGroupTitle_;

  // Export state.
  TDataSet* dataSet_ = nullptr;  // not owned; taken from the grid per export
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
