#include "lxOutline.h"

namespace lx {

void TXLSOutline::SetSummaryColumn(int32_t value) {
  if (value == 0 || value == 1) summaryColumn_ = static_cast<uint8_t>(value);
}

void TXLSOutline::SetSummaryRow(int32_t value) {
  if (value == 0 || value == 1) summaryRow_ = static_cast<uint8_t>(value);
}

std::unique_ptr<TXLSBlob> BuildWsBoolRecord(const TXLSOutline* outline, bool fitToPage) {
  const TXLSOutline defaults;
  const TXLSOutline& settings = outline != nullptr ? *outline : defaults;
  uint16_t value = kWsBoolBase;
  if (settings.SummaryRow() != 0) value += kWsBoolRowSummaryBelow;
  if (settings.SummaryColumn() != 0) value += kWsBoolColumnSummaryRight;
  if (fitToPage) value += kWsBoolFitToPage;
  auto blob = NewRecord(kRecWsBool, 2);
  blob->AddWord(value);
  return blob;
}

}  // namespace lx
