#include "lxFilter.h"

#include <algorithm>
#include <cstring>

#include "SheetObjectBytes.h"
#include "lxCellHeap.h"
#include "lxCodePage.h"

namespace lx {

namespace {

constexpr uint32_t kAutoFilterFixedSize = 24;
constexpr uint32_t kDoperSize = 10;
constexpr uint16_t kOptionSimple1 = 0x0004;
constexpr uint16_t kOptionSimple2 = 0x0008;
constexpr int kTop10ModeShift = 4;
constexpr int kTop10CountShift = 7;
constexpr size_t kMaxConditionText = 255;

std::u16string ConditionText(const TXLSAutofilterDOPER& c) {
  std::u16string text = c.value.ToWide();
  if (text.size() > kMaxConditionText) text.resize(kMaxConditionText);
  return text;
}

void AddDoper(TXLSBlob& record, const TXLSAutofilterItem& item, int which, bool biff8) {
  const TXLSAutofilterDOPER& c = item.conditions[which];
  uint8_t bytes[kDoperSize] = {};
  // An empty second condition is all zeros; the first is too when unset.
  if (c.type != kDoperNone) {
    bytes[0] = c.type;
    bytes[1] = c.comparison;
    switch (c.type) {
      case kDoperInteger: {
        const uint32_t value = static_cast<uint32_t>(c.value.ToInt32());
        std::memcpy(bytes + 2, &value, 4);
        break;
      }
      case kDoperDouble: {
        const double value = c.value.ToDouble();
        std::memcpy(bytes + 2, &value, 8);
        break;
      }
      case kDoperString: {
        const size_t length =
            biff8 ? ConditionText(c).size() : std::min(WideToAnsi(ConditionText(c)).size(), kMaxConditionText);
        bytes[6] = static_cast<uint8_t>(length);
        break;
      }
      case kDoperBoolErr:
        // The value, then whether it is an error code.
        if (c.value.VarType() == varError) {
          bytes[2] = static_cast<uint8_t>(c.value.ErrorValue());
          bytes[3] = 1;
        } else {
          bytes[2] = c.value.ToBool() ? 1 : 0;
        }
        break;
      default:
        break;
    }
  }
  record.AddBytes(bytes, kDoperSize);
}

// The condition at `at` of an AUTOFILTER record; the length of its text
// when it is a string condition.
size_t ReadDoper(std::span<const uint8_t> data, size_t at, TXLSAutofilterDOPER& c) {
  c.type = data[at];
  c.comparison = data[at + 1];
  switch (c.type) {
    case kDoperInteger:
      c.value = TVariant(static_cast<int32_t>(RecordDWord(data, at + 2)));
      break;
    case kDoperDouble: {
      double value;
      std::memcpy(&value, data.data() + at + 2, 8);
      c.value = TVariant(value);
      break;
    }
    case kDoperString:
      return data[at + 6];
    case kDoperBoolErr:
      c.value = data[at + 3] != 0 ? TVariant::FromError(data[at + 2]) : TVariant(data[at + 2] != 0);
      break;
    default:
      c.value = TVariant();
      break;
  }
  return 0;
}

}  // namespace

bool TXLSAutofilter::AnyActive() const {
  return std::any_of(items_.begin(), items_.end(), [](const TXLSAutofilterItem& item) { return item.Active(); });
}

void TXLSAutofilter::RemoveArrows() {
  for (TXLSAutofilterItem& item : items_) {
    if (item.arrow != 0 && arrows_) arrows_->RemoveAutoFilterArrow(item.arrow);
    item.arrow = 0;
  }
}

void TXLSAutofilter::Create(int32_t headerRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) {
  RemoveArrows();
  if (firstColumn > lastColumn) std::swap(firstColumn, lastColumn);
  headerRow_ = headerRow;
  firstColumn_ = firstColumn;
  lastColumn_ = lastColumn;
  lastRow_ = std::max(lastRow, headerRow);
  items_.assign(static_cast<size_t>(lastColumn - firstColumn + 1), TXLSAutofilterItem{});
  if (!arrows_) return;
  for (int32_t i = 0; i < ColumnCount(); ++i)
    items_[static_cast<size_t>(i)].arrow = arrows_->AddAutoFilterArrow(headerRow - 1, firstColumn - 1 + i);
}

void TXLSAutofilter::Remove() {
  RemoveArrows();
  items_.clear();
  headerRow_ = firstColumn_ = lastColumn_ = lastRow_ = 0;
}

void TXLSAutofilter::SetColumnCount(int32_t n) {
  RemoveArrows();
  items_.assign(static_cast<size_t>(std::clamp(n, 0, kXLSMaxColumn + 1)), TXLSAutofilterItem{});
}

void TXLSAutofilter::SetBounds(int32_t headerRow, int32_t firstColumn, int32_t lastColumn, int32_t lastRow) {
  headerRow_ = headerRow;
  firstColumn_ = firstColumn;
  lastColumn_ = lastColumn;
  lastRow_ = lastRow;
}

bool TXLSAutofilter::ArrowFound(int32_t row, int32_t column, int32_t arrow) {
  if (items_.empty()) return false;
  if (!Valid()) {
    headerRow_ = row + 1;
    firstColumn_ = column + 1;
    if (lastColumn_ < firstColumn_) lastColumn_ = firstColumn_ + ColumnCount() - 1;
    if (lastRow_ < headerRow_) lastRow_ = headerRow_;
  }
  const int32_t index = column + 1 - firstColumn_;
  if (row + 1 != headerRow_ || index < 0 || index >= ColumnCount()) return false;
  TXLSAutofilterItem& item = items_[static_cast<size_t>(index)];
  if (item.arrow != 0 && item.arrow != arrow && arrows_) arrows_->RemoveAutoFilterArrow(item.arrow);
  item.arrow = arrow;
  return true;
}

int32_t TXLSAutofilter::ReadAutoFilter(std::span<const uint8_t> data, bool biff8) {
  if (data.size() < kAutoFilterFixedSize) return kResultOk;
  const uint16_t column = RecordWord(data, 0);
  if (column >= items_.size()) return kResultOk;
  const uint16_t options = RecordWord(data, 2);
  TXLSAutofilterItem& item = items_[column];
  item.join = options & 0x03;
  item.top10Mode = (options >> kTop10ModeShift) & 0x03;
  item.top10Count = options >> kTop10CountShift;
  size_t lengths[2];
  for (int i = 0; i < 2; ++i) lengths[i] = ReadDoper(data, 4 + kDoperSize * i, item.conditions[i]);
  size_t at = kAutoFilterFixedSize;
  for (int i = 0; i < 2; ++i) {
    if (item.conditions[i].type != kDoperString) continue;
    std::u16string text;
    bool read;
    if (biff8) {
      read = RecordText(data, at, lengths[i], text);
    } else {
      read = at <= data.size() && data.size() - at >= lengths[i];
      if (read) {
        text = AnsiToWide(std::string_view(reinterpret_cast<const char*>(data.data() + at), lengths[i]));
        at += lengths[i];
      }
    }
    // A text running past the record leaves the condition without one.
    item.conditions[i].value = read ? TVariant(std::move(text)) : TVariant(std::u16string());
  }
  return kResultOk;
}

std::unique_ptr<TXLSBlob> TXLSAutofilter::BuildFilterMode() const {
  return Valid() && AnyActive() ? NewRecord(kRecFilterMode, 0) : nullptr;
}

std::unique_ptr<TXLSBlob> TXLSAutofilter::BuildFilterInfo() const {
  return Valid() ? WordRecord(kRecAutoFilterInfo, static_cast<uint16_t>(ColumnCount())) : nullptr;
}

void TXLSAutofilter::WriteItems(std::vector<std::unique_ptr<TXLSBlob>>& records, bool biff8) const {
  if (!Valid()) return;
  for (int32_t index = 0; index < ColumnCount(); ++index) {
    const TXLSAutofilterItem& item = items_[static_cast<size_t>(index)];
    if (!item.Active()) continue;
    uint16_t options = item.join & 0x03;
    if (item.conditions[0].type != kDoperNone && item.conditions[0].comparison == kDoperEqual)
      options |= kOptionSimple1;
    if (item.conditions[1].type != kDoperNone && item.conditions[1].comparison == kDoperEqual)
      options |= kOptionSimple2;
    if (biff8 && item.top10Mode != 0)
      options |= static_cast<uint16_t>((item.top10Mode & 0x03) << kTop10ModeShift) |
                 static_cast<uint16_t>((item.top10Count & 0x1FF) << kTop10CountShift);
    // The texts of string conditions follow the fixed part.
    TXLSBlob texts;
    for (const TXLSAutofilterDOPER& c : item.conditions) {
      if (c.type != kDoperString) continue;
      if (biff8) {
        texts.AddByte(1);
        texts.AddWide(ConditionText(c));
      } else {
        std::string text = WideToAnsi(ConditionText(c));
        if (text.size() > kMaxConditionText) text.resize(kMaxConditionText);
        texts.AddAnsi(text);
      }
    }
    auto record = NewRecord(kRecAutoFilter, kAutoFilterFixedSize + texts.Length());
    record->AddWord(static_cast<uint16_t>(index));
    record->AddWord(options);
    AddDoper(*record, item, 0, biff8);
    AddDoper(*record, item, 1, biff8);
    record->AppendBlob(texts);
    records.push_back(std::move(record));
  }
}

}  // namespace lx
