#include "lxGridToXLS.h"

#include <cctype>

namespace lx {

namespace {

std::string Trim(std::string_view text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return std::string(text.substr(first, last - first));
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

}  // namespace

TGridToXLS::TGridToXLS() : TXLSExportBase(BorderStyleSingleThin, BorderStyleSingleThin) {}

TGridToXLS::~TGridToXLS() = default;

void TGridToXLS::SetDBGrid(TDBGrid* grid) {
  if (grid_ == grid) return;
  if (grid_) RemoveFreeNotification(grid_);
  grid_ = grid;
  if (grid_) FreeNotification(grid_);
}

void TGridToXLS::Notification(TComponent* component, TOperation operation) {
  TXLSExportBase::Notification(component, operation);
  if (operation == opRemove && component == grid_) grid_ = nullptr;
}

// ---------------------------------------------------------------- events

void TGridToXLS::SetAfterDetailCell(TAfterDBGridDetailCell handler) {
  afterDetailCell_ = std::move(handler);
  hooks_.detailCell = nullptr;
  if (afterDetailCell_)
    hooks_.detailCell = [this](IXLSRange* cell, int32_t row, int32_t index) {
      afterDetailCell_(this, cell, row, index, grid_->Columns()[index]);
    };
}

void TGridToXLS::SetAfterHeaderCell(TAfterDBGridHeaderCell handler) {
  afterHeaderCell_ = std::move(handler);
  hooks_.headerCell = nullptr;
  if (afterHeaderCell_)
    hooks_.headerCell = [this](IXLSRange* cell, int32_t index) {
      afterHeaderCell_(this, cell, index, grid_->Columns()[index]);
    };
}

void TGridToXLS::SetAfterDetailRow(TAfterDBGridDetailRow handler) {
  afterDetailRow_ = std::move(handler);
  hooks_.detailRow = nullptr;
  if (afterDetailRow_) hooks_.detailRow = [this](IXLSRange* range, int32_t row) { afterDetailRow_(this, range, row); };
}

void TGridToXLS::SetAfterHeader(TAfterDBGridHeader handler) {
  afterHeader_ = std::move(handler);
  hooks_.header = nullptr;
  if (afterHeader_) hooks_.header = [this](IXLSRange* range) { afterHeader_(this, range); };
}

void TGridToXLS::SetAfterDetail(TAfterDBGridDetail handler) {
  afterDetail_ = std::move(handler);
  hooks_.detail = nullptr;
  if (afterDetail_) hooks_.detail = [this](IXLSRange* range) { afterDetail_(this, range); };
}

void TGridToXLS::SetAfterExport(TAfterDBGridExport handler) {
  afterExport_ = std::move(handler);
  hooks_.exported = nullptr;
  if (afterExport_) hooks_.exported = [this](IXLSRange* range) { afterExport_(this, range); };
}

void TGridToXLS::SetOnWorksheetCreate(TOnDBGridWorksheetCreate handler) {
  onWorksheetCreate_ = std::move(handler);
  hooks_.worksheetCreate = nullptr;
  if (onWorksheetCreate_) hooks_.worksheetCreate = [this](IXLSWorksheet* sheet) { onWorksheetCreate_(this, sheet); };
}

void TGridToXLS::SetAfterGroupTitle(TAfterGroupTitle handler) {
  afterGroupTitle_ = std::move(handler);
  hooks_.groupTitle = nullptr;
  if (afterGroupTitle_)
    hooks_.groupTitle = [this](int32_t index, IXLSRange* row, IXLSRange* cell) {
      afterGroupTitle_(this, index, row, cell);
    };
}

// ---------------------------------------------------------------- columns

int32_t TGridToXLS::TakeColumns() {
  SetExportDataSet(grid_ ? grid_->DataSet() : nullptr);
  return grid_ ? grid_->Columns().Count() : 0;
}

bool TGridToXLS::ColumnVisible(int32_t index) { return grid_->Columns()[index]->Visible(); }

void TGridToXLS::ReadHeaderCell(int32_t index, THeaderCell& cell) {
  TColumn* column = grid_->Columns()[index];
  cell.width = TVariant(column->Width() * kPixelsToColumnWidth);
  if (originalHeaderFont_) cell.font = &column->Title().Font();
  if (originalHeaderColor_) cell.color = column->Title().Color();
  cell.text = FrameworkTextToWide(column->Title().Caption(), cell.font->Charset());
  cell.horizontalAlignment = AlignmentConstant(column->Title().Alignment());
  cell.textFormat = true;
}

void TGridToXLS::ReadDetailSource(int32_t index, TDetailSource& source) {
  TColumn* column = grid_->Columns()[index];
  source.field = column->Field();
  source.font = originalDetailFont_ ? &column->Font() : &DetailFont();
  source.color = originalDetailColor_ ? column->Color() : DetailColor();
  source.alignment = column->Alignment();
  source.groupColumn = GroupStorage().IsGroupColumn(index);
}

TField* TGridToXLS::ColumnField(int32_t index) { return grid_->Columns()[index]->Field(); }

int32_t TGridToXLS::FindGroupColumn(const std::string& name) {
  try {
    const std::string wanted = UpperCase(Trim(name));
    const int32_t count = grid_->Columns().Count();
    for (int32_t j = 0; j < count; ++j)
      if (UpperCase(grid_->Columns()[j]->DisplayName()) == wanted) return j;
  } catch (const Exception&) {
  }
  return -1;
}

}  // namespace lx
