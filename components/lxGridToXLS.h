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

class TGridToXLS : public TXLSExportBase {
 public:
  TGridToXLS();
  ~TGridToXLS() override;

  // ---- published properties
  TDBGrid* DBGrid() const { return grid_; }
  void SetDBGrid(TDBGrid* grid);
  bool OriginalHeaderFont() const { return originalHeaderFont_; }
  void SetOriginalHeaderFont(bool value) { originalHeaderFont_ = value; }
  bool OriginalDetailFont() const { return originalDetailFont_; }
  void SetOriginalDetailFont(bool value) { originalDetailFont_ = value; }
  bool OriginalHeaderColor() const { return originalHeaderColor_; }
  void SetOriginalHeaderColor(bool value) { originalHeaderColor_ = value; }
  bool OriginalDetailColor() const { return originalDetailColor_; }
  void SetOriginalDetailColor(bool value) { originalDetailColor_ = value; }

  // ---- events
  const TAfterDBGridDetailCell& AfterDetailCell() const { return afterDetailCell_; }
  void SetAfterDetailCell(TAfterDBGridDetailCell handler);
  const TAfterDBGridHeaderCell& AfterHeaderCell() const { return afterHeaderCell_; }
  void SetAfterHeaderCell(TAfterDBGridHeaderCell handler);
  const TAfterDBGridDetailRow& AfterDetailRow() const { return afterDetailRow_; }
  void SetAfterDetailRow(TAfterDBGridDetailRow handler);
  const TAfterDBGridHeader& AfterHeader() const { return afterHeader_; }
  void SetAfterHeader(TAfterDBGridHeader handler);
  const TAfterDBGridDetail& AfterDetail() const { return afterDetail_; }
  void SetAfterDetail(TAfterDBGridDetail handler);
  const TAfterDBGridExport& AfterExport() const { return afterExport_; }
  void SetAfterExport(TAfterDBGridExport handler);
  const TOnDBGridWorksheetCreate& OnWorksheetCreate() const { return onWorksheetCreate_; }
  void SetOnWorksheetCreate(TOnDBGridWorksheetCreate handler);
  const TAfterGroupTitle& AfterGroupTitle() const { return afterGroupTitle_; }
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
