#include "lxDBGrids.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace lx {

namespace {

// The width of an average character of a font in pixels: half the font's
// pixel height is close to the digit width of the usual sans-serif faces.
int AverageCharWidth(const TFont& font) {
  return std::max(1, static_cast<int>(std::lround(std::abs(font.Height()) * 0.5)));
}

// Pixels added to a column's text width for the cell margins.
constexpr int kColumnMargin = 4;

}  // namespace

// ---------------------------------------------------------------- title

std::string TColumnTitle::Caption() const {
  if (caption_) return *caption_;
  if (TField* field = column_->Field()) return field->DisplayLabel();
  return column_->FieldName();
}

const TFont& TColumnTitle::Font() const { return font_ ? *font_ : column_->Grid()->TitleFont(); }

// ---------------------------------------------------------------- column

TColumn::TColumn(TDBGrid* grid, std::string fieldName) : grid_(grid), fieldName_(std::move(fieldName)), title_(this) {}

int TColumn::Index() const { return grid_->Columns().IndexOf(this); }

TField* TColumn::Field() const {
  TDataSet* dataSet = grid_->DataSet();
  if (!dataSet || fieldName_.empty()) return nullptr;
  return dataSet->FindField(fieldName_);
}

std::string TColumn::DisplayName() const { return fieldName_.empty() ? std::string("TColumn") : fieldName_; }

int TColumn::Width() const {
  if (width_) return *width_;
  const TField* field = Field();
  const int characters = field ? field->DisplayWidth() : 10;
  const int text = characters * AverageCharWidth(Font());
  const int title = static_cast<int>(Title().Caption().size()) * AverageCharWidth(Title().Font());
  return std::max(text, title) + kColumnMargin;
}

const TFont& TColumn::Font() const { return font_ ? *font_ : grid_->Font(); }

TColor TColumn::Color() const { return color_ ? *color_ : grid_->Color(); }

TAlignment TColumn::Alignment() const {
  if (alignment_) return *alignment_;
  if (const TField* field = Field()) return field->Alignment();
  return taLeftJustify;
}

// ---------------------------------------------------------------- columns

void TDBGridColumns::Sync() const {
  if (customized_) return;
  std::vector<std::string> names;
  if (TDataSet* dataSet = grid_->DataSet())
    for (int i = 0; i < dataSet->FieldCount(); ++i) names.push_back(dataSet->Fields(i)->FieldName());
  if (names == defaultNames_ && items_.size() == names.size()) return;
  items_.clear();
  for (const std::string& name : names) items_.push_back(std::make_unique<TColumn>(grid_, name));
  defaultNames_ = std::move(names);
}

int TDBGridColumns::Count() const {
  Sync();
  return static_cast<int>(items_.size());
}

TColumn* TDBGridColumns::Items(int index) const {
  Sync();
  if (index < 0 || index >= static_cast<int>(items_.size()))
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return items_[static_cast<size_t>(index)].get();
}

TColumn* TDBGridColumns::Add(std::string fieldName) {
  if (!customized_) {
    items_.clear();
    defaultNames_.clear();
    customized_ = true;
  }
  items_.push_back(std::make_unique<TColumn>(grid_, std::move(fieldName)));
  return items_.back().get();
}

void TDBGridColumns::Clear() {
  items_.clear();
  defaultNames_.clear();
  customized_ = false;
}

int TDBGridColumns::IndexOf(const TColumn* column) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == column) return static_cast<int>(i);
  return -1;
}

// ---------------------------------------------------------------- grid

TDBGrid::TDBGrid() : columns_(this) {}

TDBGrid::~TDBGrid() { SetDataSource(nullptr); }

void TDBGrid::SetDataSource(TDataSource* dataSource) {
  if (dataSource_) RemoveFreeNotification(dataSource_);
  dataSource_ = dataSource;
  if (dataSource_) FreeNotification(dataSource_);
}

void TDBGrid::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == dataSource_) dataSource_ = nullptr;
}

}  // namespace lx
