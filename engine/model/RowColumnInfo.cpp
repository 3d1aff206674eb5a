// Row and column records and the unit conversions of heights and widths.
#include <algorithm>
#include <cmath>

#include "lxCellHeap.h"
#include "lxFormat.h"

namespace lx {

namespace {

// Ties to even under the default floating-point rounding mode.
double RoundEven(double value) { return std::nearbyint(value); }

uint16_t ClampToWord(double value) {
  if (!(value > 0)) return 0;
  if (value > 65535.0) return 65535;
  return static_cast<uint16_t>(value);
}

}  // namespace

uint16_t PointsToTwips(double points) {
  if (!(points > 0)) return 0;
  const double whole = std::trunc(points);
  const double quarters = RoundEven((points - whole) * 4.0);
  return ClampToWord(RoundEven((quarters / 4.0 + whole) * 20.0));
}

float TwipsToPoints(uint16_t twips) { return static_cast<float>(RoundEven(twips / 5.0) / 4.0); }

uint16_t CharactersToColumnWidth(double characters) {
  if (!(characters > 0)) return 0;
  const double whole = std::trunc(characters);
  const double fraction256 = (characters - whole) * 256.0;
  if (whole == 0) return ClampToWord(RoundEven(fraction256 * 1.8));
  return ClampToWord(RoundEven(fraction256) + whole * 256.0 + 182.0);
}

float ColumnWidthToCharacters(uint16_t width) {
  if (width < 438) return static_cast<float>(RoundEven(width / 460.8 * 100.0) / 100.0);
  return static_cast<float>(RoundEven((width - 182) / 256.0 * 100.0) / 100.0);
}

// ---------------------------------------------------------------- rows

TXLSRowInfoList::TXLSRowInfoList(TlxFormatList* formats) : formats_(formats) {
  default_.FormatIndex = 0;
  default_.CustomHeight = true;
}

TXLSRowInfoList::~TXLSRowInfoList() = default;

TXLSRowInfo* TXLSRowInfoList::Find(int32_t row) const {
  if (row < 0 || row > kXLSMaxRow) return nullptr;
  TBlock* block = blocks_[row >> 8];
  return block && block->present[row & 0xFF] ? &block->rows[row & 0xFF] : nullptr;
}

TXLSRowInfo* TXLSRowInfoList::Get(int32_t row) {
  if (row < 0 || row > kXLSMaxRow) return nullptr;
  auto& block = blocks_[row >> 8];
  if (!block) block = storage_.Make<TBlock>();
  TXLSRowInfo* slot = &block->rows[row & 0xFF];
  if (!block->present[row & 0xFF]) {
    block->present.set(row & 0xFF);
    *slot = TXLSRowInfo{};
    slot->Height = default_.Height;
    // A new record holds the built-in default format 15, which is not counted.
    ++count_;
    if (firstRow_ < 0 || row < firstRow_) firstRow_ = row;
    if (row > lastRow_) lastRow_ = row;
  }
  return slot;
}

void TXLSRowInfoList::Remove(int32_t row) {
  if (row < 0 || row > kXLSMaxRow) return;
  TBlock* block = blocks_[row >> 8];
  if (!block || !block->present[row & 0xFF]) return;
  formats_->MoveReference(block->rows[row & 0xFF].FormatIndex, 0);
  block->rows[row & 0xFF] = TXLSRowInfo{};
  block->present.reset(row & 0xFF);
  --count_;
  if (count_ == 0) {
    firstRow_ = lastRow_ = -1;
    return;
  }
  if (row == firstRow_)
    while (!Find(firstRow_)) ++firstRow_;
  if (row == lastRow_)
    while (!Find(lastRow_)) --lastRow_;
}

double TXLSRowInfoList::RowHeight(int32_t row) const {
  const TXLSRowInfo* info = Find(row);
  if (!info) return TwipsToPoints(default_.Height);
  return info->Hidden ? 0.0 : TwipsToPoints(info->Height);
}

void TXLSRowInfoList::SetRowHeight(int32_t row, double points) {
  TXLSRowInfo* info = Get(row);
  if (!info) return;
  info->Hidden = false;
  info->Height = PointsToTwips(points);
  info->CustomHeight = true;
  info->HeightSet = true;
}

bool TXLSRowInfoList::RowHidden(int32_t row) const {
  const TXLSRowInfo* info = Find(row);
  return info ? info->Hidden : default_.Hidden;
}

void TXLSRowInfoList::SetRowHidden(int32_t row, bool hidden) {
  if (TXLSRowInfo* info = Get(row)) info->Hidden = hidden;
}

void TXLSRowInfoList::SetRowFormat(int32_t row, int32_t formatIndex) {
  TXLSRowInfo* info = Get(row);
  if (!info) return;
  formats_->MoveReference(info->FormatIndex, formatIndex);
  info->FormatIndex = formatIndex;
  info->HasRowFormat = true;
}

int32_t TXLSRowInfoList::RowOutlineLevel(int32_t row) const {
  const TXLSRowInfo* info = Find(row);
  return (info ? info->OutlineLevel : default_.OutlineLevel) + 1;
}

void TXLSRowInfoList::SetRowOutlineLevel(int32_t row, int32_t level) {
  if (level < 1 || level > 8) return;
  TXLSRowInfo* info = level == 1 ? Find(row) : Get(row);
  if (info) info->OutlineLevel = static_cast<uint8_t>(level - 1);
}

void TXLSRowInfoList::CopyRowInfo(int32_t row, const TXLSRowInfo* source) {
  TXLSRowInfo* info = Get(row);
  if (!info || info == source) return;
  const TXLSRowInfo& from = source ? *source : default_;
  formats_->MoveReference(info->FormatIndex, from.FormatIndex);
  *info = from;
}

int32_t TXLSRowInfoList::HiddenRowsFromTop() const {
  int32_t count = 0;
  while (count <= kXLSMaxRow) {
    const TXLSRowInfo* info = Find(count);
    if (!info || !info->Hidden) break;
    ++count;
  }
  return count;
}

// ---------------------------------------------------------------- columns

TXLSColumnInfoList::TXLSColumnInfoList(TlxFormatList* formats) : formats_(formats) { default_.FormatIndex = 0; }

TXLSColumnInfoList::~TXLSColumnInfoList() = default;

TXLSColumnInfo* TXLSColumnInfoList::Find(int32_t column) const {
  if (column < 0 || column > kXLSMaxColumn) return nullptr;
  return columns_[column].get();
}

TXLSColumnInfo* TXLSColumnInfoList::Get(int32_t column) {
  if (column < 0 || column > kXLSMaxColumn) return nullptr;
  auto& slot = columns_[column];
  if (!slot) {
    slot = std::make_unique<TXLSColumnInfo>();
    slot->Width = default_.Width;
    slot->FormatIndex = default_.FormatIndex;
    formats_->MoveReference(0, slot->FormatIndex);
    ++count_;
    if (firstColumn_ < 0 || column < firstColumn_) firstColumn_ = column;
    if (column > lastColumn_) lastColumn_ = column;
  }
  return slot.get();
}

void TXLSColumnInfoList::Remove(int32_t column) {
  if (column < 0 || column > kXLSMaxColumn || !columns_[column]) return;
  formats_->MoveReference(columns_[column]->FormatIndex, 0);
  columns_[column].reset();
  --count_;
  if (count_ == 0) {
    firstColumn_ = lastColumn_ = -1;
    return;
  }
  if (column == firstColumn_)
    while (!columns_[firstColumn_]) ++firstColumn_;
  if (column == lastColumn_)
    while (!columns_[lastColumn_]) --lastColumn_;
}

double TXLSColumnInfoList::ColumnWidth(int32_t column) const {
  const TXLSColumnInfo* info = Find(column);
  return ColumnWidthToCharacters(info ? info->Width : default_.Width);
}

void TXLSColumnInfoList::SetColumnWidth(int32_t column, double characters) {
  if (TXLSColumnInfo* info = Get(column)) info->Width = CharactersToColumnWidth(characters);
}

bool TXLSColumnInfoList::ColumnHidden(int32_t column) const {
  const TXLSColumnInfo* info = Find(column);
  return info ? info->Hidden : default_.Hidden;
}

void TXLSColumnInfoList::SetColumnHidden(int32_t column, bool hidden) {
  if (TXLSColumnInfo* info = Get(column)) info->Hidden = hidden;
}

void TXLSColumnInfoList::SetColumnFormat(int32_t column, int32_t formatIndex) {
  TXLSColumnInfo* info = Get(column);
  if (!info) return;
  formats_->MoveReference(info->FormatIndex, formatIndex);
  info->FormatIndex = formatIndex;
}

int32_t TXLSColumnInfoList::ColumnOutlineLevel(int32_t column) const {
  const TXLSColumnInfo* info = Find(column);
  return (info ? info->OutlineLevel : default_.OutlineLevel) + 1;
}

void TXLSColumnInfoList::SetColumnOutlineLevel(int32_t column, int32_t level) {
  if (level < 1 || level > 8) return;
  TXLSColumnInfo* info = level == 1 ? Find(column) : Get(column);
  if (info) info->OutlineLevel = static_cast<uint8_t>(level - 1);
}

void TXLSColumnInfoList::CopyColumnInfo(int32_t column, const TXLSColumnInfo* source) {
  TXLSColumnInfo* info = Get(column);
  if (!info || info == source) return;
  const TXLSColumnInfo& from = source ? *source : default_;
  formats_->MoveReference(info->FormatIndex, from.FormatIndex);
  *info = from;
}

int32_t TXLSColumnInfoList::HiddenColumnsFromLeft() const {
  int32_t count = 0;
  while (count <= kXLSMaxColumn && columns_[count] && columns_[count]->Hidden) ++count;
  return count;
}

}  // namespace lx
