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
// picks the writer by the file name's extension. The export walk, the
// settings and saving are shared with the dataset exporter (lxExportBase.h).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lxDB.h"
#include "lxDBGrids.h"
#include "lxExportBase.h"
#include "lxGraphics.h"
#include "lxHandle.h"

namespace lx {

class TGridToXLS;

// After a detail cell is written: the cell, the 0-based record row and column index, the grid column.
using TAfterDBGridDetailCell =
    std::function<void(TGridToXLS* sender, IXLSRange* cell, int32_t rowIndex, int32_t columnIndex, TColumn* column)>;
// After a header cell is written: the cell, the 0-based column index, the grid column.
using TAfterDBGridHeaderCell =
    std::function<void(TGridToXLS* sender, IXLSRange* cell, int32_t columnIndex, TColumn* column)>;
// After a detail row is written: the row's range and its 0-based record row.
using TAfterDBGridDetailRow = std::function<void(TGridToXLS* sender, IXLSRange* range, int32_t rowIndex)>;
// After the header row is written: its range.
using TAfterDBGridHeader = std::function<void(TGridToXLS* sender, IXLSRange* range)>;
// After all detail rows of a sheet are written: their range.
using TAfterDBGridDetail = std::function<void(TGridToXLS* sender, IXLSRange* range)>;
// After the export: the range of everything written.
using TAfterDBGridExport = std::function<void(TGridToXLS* sender, IXLSRange* range)>;
// When the export adds a worksheet (the first one or one after RowsPerSheet rows).
using TOnDBGridWorksheetCreate = std::function<void(TGridToXLS* sender, IXLSWorksheet* worksheet)>;
// After a group title row is written: the 0-based group level, the row's range and its title cell.
using TAfterGroupTitle =
    std::function<void(TGridToXLS* sender, int32_t groupIndex, IXLSRange* groupRow, IXLSRange* groupCell)>;

// Column width in characters per pixel of grid width.
inline constexpr double kPixelsToColumnWidth = 0.1433;

// Exports what a data-aware grid shows into a workbook: a header row of the visible columns' captions and a row per
// record of the grid's dataset, with group titles, sheet splitting and events. The exporter holds the workbook it fills
// until ExportToFile or ReleaseWorkbook.
class TGridToXLS : public TXLSExportBase {
 public:
  TGridToXLS();
  ~TGridToXLS() override;

  // ---- published properties
  // The grid to export (not owned; forgotten when it is destroyed).
  TDBGrid* DBGrid() const { return grid_; }
  // Sets the grid to export (not owned).
  void SetDBGrid(TDBGrid* grid);
  // Whether header cells take the grid's title fonts instead of HeaderFont.
  bool OriginalHeaderFont() const { return originalHeaderFont_; }
  // Header cells take the grid's title fonts (true) or HeaderFont.
  void SetOriginalHeaderFont(bool value) { originalHeaderFont_ = value; }
  // Whether detail cells take the grid columns' fonts instead of DetailFont.
  bool OriginalDetailFont() const { return originalDetailFont_; }
  // Detail cells take the grid columns' fonts (true) or DetailFont.
  void SetOriginalDetailFont(bool value) { originalDetailFont_ = value; }
  // Whether header cells take the grid's title colours instead of HeaderColor.
  bool OriginalHeaderColor() const { return originalHeaderColor_; }
  // Header cells take the grid's title colours (true) or HeaderColor.
  void SetOriginalHeaderColor(bool value) { originalHeaderColor_ = value; }
  // Whether detail cells take the grid columns' colours instead of DetailColor.
  bool OriginalDetailColor() const { return originalDetailColor_; }
  // Detail cells take the grid columns' colours (true) or DetailColor.
  void SetOriginalDetailColor(bool value) { originalDetailColor_ = value; }

  // ---- events
  // The handler called after each detail cell (empty when none).
  const TAfterDBGridDetailCell& AfterDetailCell() const { return afterDetailCell_; }
  // Sets the handler called after each detail cell.
  void SetAfterDetailCell(TAfterDBGridDetailCell handler);
  // The handler called after each header cell.
  const TAfterDBGridHeaderCell& AfterHeaderCell() const { return afterHeaderCell_; }
  // Sets the handler called after each header cell.
  void SetAfterHeaderCell(TAfterDBGridHeaderCell handler);
  // The handler called after each detail row.
  const TAfterDBGridDetailRow& AfterDetailRow() const { return afterDetailRow_; }
  // Sets the handler called after each detail row.
  void SetAfterDetailRow(TAfterDBGridDetailRow handler);
  // The handler called after the header row.
  const TAfterDBGridHeader& AfterHeader() const { return afterHeader_; }
  // Sets the handler called after the header row.
  void SetAfterHeader(TAfterDBGridHeader handler);
  // The handler called after the detail rows of a sheet.
  const TAfterDBGridDetail& AfterDetail() const { return afterDetail_; }
  // Sets the handler called after the detail rows of a sheet.
  void SetAfterDetail(TAfterDBGridDetail handler);
  // The handler called after the export.
  const TAfterDBGridExport& AfterExport() const { return afterExport_; }
  // Sets the handler called after the export.
  void SetAfterExport(TAfterDBGridExport handler);
  // The handler called for each worksheet the export adds.
  const TOnDBGridWorksheetCreate& OnWorksheetCreate() const { return onWorksheetCreate_; }
  // Sets the handler called for each worksheet the export adds.
  void SetOnWorksheetCreate(TOnDBGridWorksheetCreate handler);
  // The handler called after each group title row.
  const TAfterGroupTitle& AfterGroupTitle() const { return afterGroupTitle_; }
  // Sets the handler called after each group title row.
  void SetAfterGroupTitle(TAfterGroupTitle handler);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  int32_t TakeColumns() override;
  bool ColumnVisible(int32_t index) override;
  void ReadHeaderCell(int32_t index, THeaderCell& cell) override;
  void ReadDetailSource(int32_t index, TDetailSource& source) override;
  TField* ColumnField(int32_t index) override;
  int32_t FindGroupColumn(const std::string& name) override;

  TDBGrid* grid_ = nullptr;  // not owned; cleared when it is destroyed
  bool originalHeaderFont_ = true;
  bool originalDetailFont_ = true;
  bool originalHeaderColor_ = true;
  bool originalDetailColor_ = true;

  TAfterDBGridDetailCell afterDetailCell_;
  TAfterDBGridHeaderCell afterHeaderCell_;
  TAfterDBGridDetailRow afterDetailRow_;
  TAfterDBGridHeader afterHeader_;
  TAfterDBGridDetail afterDetail_;
  TAfterDBGridExport afterExport_;
  TOnDBGridWorksheetCreate onWorksheetCreate_;
  TAfterGroupTitle afterGroupTitle_;
};

}  // namespace lx
