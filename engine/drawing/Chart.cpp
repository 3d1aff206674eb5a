#include "lxChart.h"

namespace lx {

void TXLSCustomChart::AddRecord(uint16_t number, std::span<const uint8_t> data) {
  items_.push_back({number, std::vector<uint8_t>(data.begin(), data.end())});
}

void TXLSCustomChart::WriteChart(TXLSBlobList& list) const {
  for (const TXLSChartDataItem& item : items_) {
    auto record = NewRecord(item.Number, static_cast<uint32_t>(item.Data.size()));
    if (!item.Data.empty()) record->AddBytes(item.Data.data(), static_cast<uint32_t>(item.Data.size()));
    list.AddRecord(std::move(record));
  }
}

uint32_t TXLSCustomChart::Size() const {
  uint32_t size = 0;
  for (const TXLSChartDataItem& item : items_) size += kRecordHeaderSize + static_cast<uint32_t>(item.Data.size());
  return size;
}

}  // namespace lx
