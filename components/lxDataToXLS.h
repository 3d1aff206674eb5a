// TDataToXLS: exports the fields of a dataset into a workbook.
//
// The dataset twin of the grid exporter (lxGridToXLS.h): no grid stands in
// between, so the columns are the dataset's fields in their order (only the
// visible ones when VisibleFieldsOnly), the header cells show each field's
// name or display label (HeaderSource) in HeaderFont and HeaderColor, and
// the detail cells take DetailFont and each field's own alignment. Column
// widths come from the fields' display widths, in characters. Group fields
// are found by field name. Everything else (the export walk, group titles,
// sheet splitting, number formats, events, saving) is the shared exporter's
// (lxExportBase.h); field indexes in events are 0-based over all fields,
// also when hidden fields are skipped.
//
// A workbook can be handed in (SetWorkbook): the next Export appends to it,
// on a new sheet or below the used block of its active sheet.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "lxDB.h"
#include "lxExportBase.h"
#include "lxHandle.h"

namespace lx {

class TDataToXLS;

// What the header cells show.
enum THeaderSource { hsFieldName, hsDisplayLabel, hsEmpty };

// After a detail cell is written: the cell, the 0-based record row and field index, the field.
using TAfterDetailCell =
    std::function<void(TDataToXLS* sender, IXLSRange* cell, int32_t rowIndex, int32_t fieldIndex, TField* field)>;
// After a header cell is written: the cell, the 0-based field index, the field.
using TAfterHeaderCell = std::function<void(TDataToXLS* sender, IXLSRange* cell, int32_t fieldIndex, TField* field)>;
// After a detail row is written: the row's range and its 0-based record row.
using TAfterDetailRow = std::function<void(TDataToXLS* sender, IXLSRange* range, int32_t rowIndex)>;
// After the header row is written: its range.
using TAfterHeader = std::function<void(TDataToXLS* sender, IXLSRange* range)>;
// After all detail rows of a sheet are written: their range.
using TAfterDetail = std::function<void(TDataToXLS* sender, IXLSRange* range)>;
// After the export: the range of everything written.
using TAfterExport = std::function<void(TDataToXLS* sender, IXLSRange* range)>;
// When the export adds a worksheet (the first one or one after RowsPerSheet rows).
using TOnWorksheetCreate = std::function<void(TDataToXLS* sender, IXLSWorksheet* worksheet)>;
// After a group title row is written: the 0-based group level, the row's range and its title cell.
using TAfterDataGroupTitle =
    std::function<void(TDataToXLS* sender, int32_t groupIndex, IXLSRange* groupRow, IXLSRange* groupCell)>;

// Exports the records of a dataset into a workbook: a header row from the fields' names or display labels and a row per
// record, with group titles, sheet splitting and events. The exporter holds the workbook it fills until ExportToFile or
// ReleaseWorkbook.
class TDataToXLS : public TXLSExportBase {
 public:
  // No borders until a border style is set.
  TDataToXLS();
  ~TDataToXLS() override;

  // ---- published properties
  // The dataset to export; not owned, forgotten when it is destroyed.
  TDataSet* Dataset() const { return ExportDataSet(); }
  // Sets the dataset to export (not owned).
  void SetDataset(TDataSet* dataSet) { SetExportDataSet(dataSet); }
  // What the header cells show: field names, display labels or nothing.
  THeaderSource HeaderSource() const { return headerSource_; }
  // Sets what the header cells show.
  void SetHeaderSource(THeaderSource source) { headerSource_ = source; }
  // Whether only the visible fields are exported.
  bool VisibleFieldsOnly() const { return visibleFieldsOnly_; }
  // Sets whether only the visible fields are exported.
  void SetVisibleFieldsOnly(bool value) { visibleFieldsOnly_ = value; }
  // Holds the workbook (none releases the held one) and forgets the current
  // worksheet: the next Export appends to it.
  void SetWorkbook(IXLSWorkBook* workbook) { HoldWorkbook(XLSPtr<IXLSWorkBook>(workbook)); }

  // ---- events
  // The handler called after each detail cell (empty when none).
  const TAfterDetailCell& AfterDetailCell() const { return afterDetailCell_; }
  // Sets the handler called after each detail cell.
  void SetAfterDetailCell(TAfterDetailCell handler);
  // The handler called after each header cell.
  const TAfterHeaderCell& AfterHeaderCell() const { return afterHeaderCell_; }
  // Sets the handler called after each header cell.
  void SetAfterHeaderCell(TAfterHeaderCell handler);
  // The handler called after each detail row.
  const TAfterDetailRow& AfterDetailRow() const { return afterDetailRow_; }
  // Sets the handler called after each detail row.
  void SetAfterDetailRow(TAfterDetailRow handler);
  // The handler called after the header row.
  const TAfterHeader& AfterHeader() const { return afterHeader_; }
  // Sets the handler called after the header row.
  void SetAfterHeader(TAfterHeader handler);
  // The handler called after the detail rows of a sheet.
  const TAfterDetail& AfterDetail() const { return afterDetail_; }
  // Sets the handler called after the detail rows of a sheet.
  void SetAfterDetail(TAfterDetail handler);
  // The handler called after the export.
  const TAfterExport& AfterExport() const { return afterExport_; }
  // Sets the handler called after the export.
  void SetAfterExport(TAfterExport handler);
  // The handler called for each worksheet the export adds.
  const TOnWorksheetCreate& OnWorksheetCreate() const { return onWorksheetCreate_; }
  // Sets the handler called for each worksheet the export adds.
  void SetOnWorksheetCreate(TOnWorksheetCreate handler);
  // The handler called after each group title row.
  const TAfterDataGroupTitle& AfterGroupTitle() const { return afterGroupTitle_; }
  // Sets the handler called after each group title row.
  void SetAfterGroupTitle(TAfterDataGroupTitle handler);

 private:
  int32_t TakeColumns() override;
  bool ColumnVisible(int32_t index) override;
  void ReadHeaderCell(int32_t index, THeaderCell& cell) override;
  void ReadDetailSource(int32_t index, TDetailSource& source) override;
  TField* ColumnField(int32_t index) override;
  int32_t FindGroupColumn(const std::string& name) override;

  THeaderSource headerSource_ = hsDisplayLabel;
  bool visibleFieldsOnly_ = false;

  TAfterDetailCell afterDetailCell_;
  TAfterHeaderCell afterHeaderCell_;
  TAfterDetailRow afterDetailRow_;
  TAfterHeader afterHeader_;
  TAfterDetail afterDetail_;
  TAfterExport afterExport_;
  TOnWorksheetCreate onWorksheetCreate_;
  TAfterDataGroupTitle afterGroupTitle_;
};

}  // namespace lx
