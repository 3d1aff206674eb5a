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

using TAfterDetailCell =
    std::function<void(TDataToXLS* sender, IXLSRange* cell, int32_t rowIndex, int32_t fieldIndex, TField* field)>;
using TAfterHeaderCell = std::function<void(TDataToXLS* sender, IXLSRange* cell, int32_t fieldIndex, TField* field)>;
using TAfterDetailRow = std::function<void(TDataToXLS* sender, IXLSRange* range, int32_t rowIndex)>;
using TAfterHeader = std::function<void(TDataToXLS* sender, IXLSRange* range)>;
using TAfterDetail = std::function<void(TDataToXLS* sender, IXLSRange* range)>;
using TAfterExport = std::function<void(TDataToXLS* sender, IXLSRange* range)>;
using TOnWorksheetCreate = std::function<void(TDataToXLS* sender, IXLSWorksheet* worksheet)>;
using TAfterDataGroupTitle =
    std::function<void(TDataToXLS* sender, int32_t groupIndex, IXLSRange* groupRow, IXLSRange* groupCell)>;

class TDataToXLS : public TXLSExportBase {
 public:
  // No borders until a border style is set.
  TDataToXLS();
  ~TDataToXLS() override;

  // ---- published properties
  // The dataset to export; not owned, forgotten when it is destroyed.
  TDataSet* Dataset() const { return ExportDataSet(); }
  void SetDataset(TDataSet* dataSet) { SetExportDataSet(dataSet); }
  THeaderSource HeaderSource() const { return headerSource_; }
  void SetHeaderSource(THeaderSource source) { headerSource_ = source; }
  bool VisibleFieldsOnly() const { return visibleFieldsOnly_; }
  void SetVisibleFieldsOnly(bool value) { visibleFieldsOnly_ = value; }
  // Holds the workbook (none releases the held one) and forgets the current
  // worksheet: the next Export appends to it.
  void SetWorkbook(IXLSWorkBook* workbook) { HoldWorkbook(XLSPtr<IXLSWorkBook>(workbook)); }

  // ---- events
  const TAfterDetailCell& AfterDetailCell() const { return afterDetailCell_; }
  void SetAfterDetailCell(TAfterDetailCell handler);
  const TAfterHeaderCell& AfterHeaderCell() const { return afterHeaderCell_; }
  void SetAfterHeaderCell(TAfterHeaderCell handler);
  const TAfterDetailRow& AfterDetailRow() const { return afterDetailRow_; }
  void SetAfterDetailRow(TAfterDetailRow handler);
  const TAfterHeader& AfterHeader() const { return afterHeader_; }
  void SetAfterHeader(TAfterHeader handler);
  const TAfterDetail& AfterDetail() const { return afterDetail_; }
  void SetAfterDetail(TAfterDetail handler);
  const TAfterExport& AfterExport() const { return afterExport_; }
  void SetAfterExport(TAfterExport handler);
  const TOnWorksheetCreate& OnWorksheetCreate() const { return onWorksheetCreate_; }
  void SetOnWorksheetCreate(TOnWorksheetCreate handler);
  const TAfterDataGroupTitle& AfterGroupTitle() const { return afterGroupTitle_; }
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
