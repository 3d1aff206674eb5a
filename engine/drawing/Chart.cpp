#include "lxCalculator.h"
#include "lxChart.h"

namespace lx {

namespace {

void WriteBytes(TXLSBlobList& list, uint16_t number, std::span<const uint8_t> data) {
  auto record = NewRecord(number, static_cast<uint32_t>(data.size()));
  if (!data.empty()) record->AddBytes(data.data(), static_cast<uint32_t>(data.size()));
  list.AddRecord(std::move(record));
}

}  // namespace

void TXLSChartDataItem::Write(TXLSBlobList& list, const TXLSCalculator* /*calculator*/) const {
  WriteBytes(list, number_, data_);
}

TXLSChartAreaItem::TXLSChartAreaItem(std::span<const uint8_t> data, const TXLSCalculator* calculator, int32_t version)
    : TXLSChartDataItem(kRecChartBRAI, data) {
  // BIFF5 references name sheets through the sheet substream's own
  // EXTERNSHEET block, which a chart does not carry: those stay as bytes.
  if (!calculator || version < kBiff8Version || data.size() < kChartBRAIFormulaOffset + 2) return;
  TXLSBlob bytes(static_cast<uint32_t>(data.size()));
  bytes.AddBytes(data.data(), static_cast<uint32_t>(data.size()));
  formula_ = calculator->DecodeFormulaBytes(bytes, kChartBRAIFormulaOffset, version);
}

TXLSChartAreaItem::~TXLSChartAreaItem() = default;

void TXLSChartAreaItem::Write(TXLSBlobList& list, const TXLSCalculator* calculator) const {
  // Only a BIFF8 save re-encodes: the formula was decoded from BIFF8 tokens.
  if (!formula_ || !calculator || calculator->Biff5()) {
    WriteBytes(list, number_, data_);
    return;
  }
  TXLSBlob tokens;
  if (calculator->WriteExpression(*formula_, kClassReference, 0, 0, tokens) != kResultOk ||
      kChartBRAIFormulaOffset + tokens.Length() > kMaxRecordDataBiff8) {
    WriteBytes(list, number_, data_);
    return;
  }
  auto record = NewRecord(number_, kChartBRAIFormulaOffset + tokens.Length());
  record->AddBytes(data_.data(), kChartBRAIFormulaOffset);
  record->AppendBlob(tokens);
  list.AddRecord(std::move(record));
}

void TXLSCustomChart::AddRecord(uint16_t number, std::span<const uint8_t> data) {
  if (data.size() > kMaxRecordDataBiff8) sound_ = false;
  if (number == kRecChartBRAI) {
    items_.push_back(std::make_unique<TXLSChartAreaItem>(data, calculator_, version_));
  } else {
    items_.push_back(std::make_unique<TXLSChartDataItem>(number, data));
  }
}

int32_t TXLSCustomChart::WriteChart(TXLSBlobList& list) const {
  for (const auto& item : items_) item->Write(list, calculator_);
  return kResultOk;
}

}  // namespace lx
