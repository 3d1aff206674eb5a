#include "lxDataToXLS.h"

namespace lx {

TDataToXLS::TDataToXLS() : TXLSExportBase(BorderStyleNone, BorderStyleNone) {}

TDataToXLS::~TDataToXLS() = default;

// ---------------------------------------------------------------- events

void TDataToXLS::SetAfterDetailCell(TAfterDetailCell handler) {
  afterDetailCell_ = std::move(handler);
  hooks_.detailCell = nullptr;
  if (afterDetailCell_)
    hooks_.detailCell = [this](IXLSRange* cell, int32_t row, int32_t index) {
      afterDetailCell_(this, cell, row, index, Dataset()->Fields(index));
    };
}

void TDataToXLS::SetAfterHeaderCell(TAfterHeaderCell handler) {
  afterHeaderCell_ = std::move(handler);
  hooks_.headerCell = nullptr;
  if (afterHeaderCell_)
    hooks_.headerCell = [this](IXLSRange* cell, int32_t index) {
      afterHeaderCell_(this, cell, index, Dataset()->Fields(index));
    };
}

void TDataToXLS::SetAfterDetailRow(TAfterDetailRow handler) {
  afterDetailRow_ = std::move(handler);
  hooks_.detailRow = nullptr;
  if (afterDetailRow_) hooks_.detailRow = [this](IXLSRange* range, int32_t row) { afterDetailRow_(this, range, row); };
}

void TDataToXLS::SetAfterHeader(TAfterHeader handler) {
  afterHeader_ = std::move(handler);
  hooks_.header = nullptr;
  if (afterHeader_) hooks_.header = [this](IXLSRange* range) { afterHeader_(this, range); };
}

void TDataToXLS::SetAfterDetail(TAfterDetail handler) {
  afterDetail_ = std::move(handler);
  hooks_.detail = nullptr;
  if (afterDetail_) hooks_.detail = [this](IXLSRange* range) { afterDetail_(this, range); };
}

void TDataToXLS::SetAfterExport(TAfterExport handler) {
  afterExport_ = std::move(handler);
  hooks_.exported = nullptr;
  if (afterExport_) hooks_.exported = [this](IXLSRange* range) { afterExport_(this, range); };
}

void TDataToXLS::SetOnWorksheetCreate(TOnWorksheetCreate handler) {
  onWorksheetCreate_ = std::move(handler);
  hooks_.worksheetCreate = nullptr;
  if (onWorksheetCreate_) hooks_.worksheetCreate = [this](IXLSWorksheet* sheet) { onWorksheetCreate_(this, sheet); };
}

void TDataToXLS::SetAfterGroupTitle(TAfterDataGroupTitle handler) {
  afterGroupTitle_ = std::move(handler);
  hooks_.groupTitle = nullptr;
  if (afterGroupTitle_)
    hooks_.groupTitle = [this](int32_t index, IXLSRange* row, IXLSRange* cell) {
      afterGroupTitle_(this, index, row, cell);
    };
}

// ---------------------------------------------------------------- fields

int32_t TDataToXLS::TakeColumns() { return Dataset() ? Dataset()->FieldCount() : 0; }

bool TDataToXLS::ColumnVisible(int32_t index) { return !visibleFieldsOnly_ || Dataset()->Fields(index)->Visible(); }

void TDataToXLS::ReadHeaderCell(int32_t index, THeaderCell& cell) {
  const TField* field = Dataset()->Fields(index);
  // Display widths are whole characters; none leaves the column as it is.
  if (field->DisplayWidth() > 0) cell.width = TVariant(static_cast<int32_t>(field->DisplayWidth()));
  cell.font = &HeaderFont();
  cell.color = HeaderColor();
  switch (headerSource_) {
    case hsFieldName:
      cell.text = FrameworkTextToWide(field->FieldName(), cell.font->Charset());
      break;
    case hsDisplayLabel:
      cell.text = FrameworkTextToWide(field->DisplayLabel(), cell.font->Charset());
      break;
    default:
      cell.clear = true;
      break;
  }
  // Every header cell is centred, whatever the field's alignment; header
  // cells get no number format.
  cell.horizontalAlignment = xlHAlignCenter;
  cell.textFormat = false;
}

void TDataToXLS::ReadDetailSource(int32_t index, TDetailSource& source) {
  TField* field = Dataset()->Fields(index);
  source.field = field;
  source.font = &DetailFont();
  // DetailColor is a published setting, but detail cells get no fill.
  source.color = clNone;
  source.alignment = field->Alignment();
  source.groupColumn = GroupStorage().IsGroupField(field->FieldName());
}

TField* TDataToXLS::ColumnField(int32_t index) { return Dataset() ? Dataset()->Fields(index) : nullptr; }

int32_t TDataToXLS::FindGroupColumn(const std::string& name) {
  const TField* field = Dataset()->FindField(name);
  return field ? field->Index() : -1;
}

}  // namespace lx
