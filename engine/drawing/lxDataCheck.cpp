#include "lxDataCheck.h"

#include "SheetObjectBytes.h"
#include "lxCalculator.h"

namespace lx {

namespace {

constexpr uint32_t kDValPayload = 18;
constexpr uint32_t kAreaSize = 8;

// An empty text is written as one NUL character in 8-bit form; a text that
// is one NUL already is the same thing.
bool WrittenAsEmpty(const std::u16string& text) { return text.empty() || text == std::u16string(1, u'\0'); }

uint32_t TextSize(const std::u16string& text) {
  return WrittenAsEmpty(text) ? 4 : 3 + 2 * static_cast<uint32_t>(text.size());
}

void AddText(TXLSBlob& record, const std::u16string& text) {
  if (WrittenAsEmpty(text)) {
    record.AddWord(1);
    record.AddByte(0);
    record.AddByte(0);
    return;
  }
  record.AddWord(static_cast<uint16_t>(text.size()));
  record.AddByte(1);
  record.AddWide(text);
}

}  // namespace

bool TDataValidation::Read(std::span<const uint8_t> data, const TXLSCalculator& calculator) {
  options_ = RecordDWord(data, 0);
  size_t at = 4;
  for (std::u16string& text : texts_) {
    const uint16_t count = RecordWord(data, at);
    at += 2;
    if (!RecordText(data, at, count, text)) return false;
    if (text == std::u16string(1, u'\0')) text.clear();
  }
  for (TSheetObjectFormula* formula : {&formula1_, &formula2_}) {
    const uint16_t size = RecordWord(data, at);
    at += 4;
    if (at > data.size() || data.size() - at < size) return false;
    formula->Read(data.subspan(at, size), calculator);
    at += size;
  }
  const uint16_t count = RecordWord(data, at);
  at += 2;
  if (at > data.size() || (data.size() - at) / kAreaSize < count) return false;
  for (uint16_t i = 0; i < count; ++i, at += kAreaSize) {
    areas_.Add(TDVRange(RecordWord(data, at), RecordWord(data, at + 4) & 0xFF, RecordWord(data, at + 2),
                        RecordWord(data, at + 6) & 0xFF));
  }
  return true;
}

std::unique_ptr<TXLSBlob> TDataValidation::BuildRecord(const TXLSCalculator& calculator) const {
  // A list names its values by reference; the other kinds compare values.
  const int32_t topClass = Type() == kValidationTypeList ? kClassReference : kClassValue;
  const std::vector<uint8_t> tokens1 = formula1_.Tokens(calculator, topClass);
  const std::vector<uint8_t> tokens2 = formula2_.Tokens(calculator, topClass);
  uint32_t size = 4 + 4 + 4 + 2 + kAreaSize * static_cast<uint32_t>(areas_.Count());
  for (const std::u16string& text : texts_) size += TextSize(text);
  size += static_cast<uint32_t>(tokens1.size() + tokens2.size());
  auto record = NewRecord(kRecDV, size);
  record->AddDWord(options_);
  for (const std::u16string& text : texts_) AddText(*record, text);
  for (const std::vector<uint8_t>* tokens : {&tokens1, &tokens2}) {
    record->AddWord(static_cast<uint16_t>(tokens->size()));
    record->AddWord(0);
    record->AddBytes(tokens->data(), static_cast<uint32_t>(tokens->size()));
  }
  record->AddWord(static_cast<uint16_t>(areas_.Count()));
  areas_.WriteAreas(*record);
  return record;
}

void TDataValidator::RemoveEmpty() {
  std::erase_if(validations_, [](const std::unique_ptr<TDataValidation>& v) { return v->Areas().Empty(); });
}

void TDataValidator::ClearArea(const TXLSAreaBounds& cut) {
  for (auto& v : validations_) v->Areas().ClearArea(cut);
  RemoveEmpty();
}

void TDataValidator::ShiftArea(const TXLSAreaBounds& block, int32_t rowOffset, int32_t columnOffset) {
  for (auto& v : validations_) v->Areas().ShiftArea(block, rowOffset, columnOffset);
  RemoveEmpty();
}

int32_t TDataValidator::ReadRecord(uint16_t number, std::span<const uint8_t> data, const TXLSCalculator& calculator) {
  if (number == kRecDVal) {
    if (data.size() < kDValPayload) return kResultOk;
    options_ = RecordWord(data, 0);
    windowLeft_ = static_cast<int32_t>(RecordDWord(data, 2));
    windowTop_ = static_cast<int32_t>(RecordDWord(data, 6));
    dropDownObject_ = RecordDWord(data, 10);
  } else if (number == kRecDV) {
    auto validation = std::make_unique<TDataValidation>();
    if (validation->Read(data, calculator) && !validation->Areas().Empty())
      validations_.push_back(std::move(validation));
  }
  return kResultOk;
}

int32_t TDataValidator::Write(std::vector<std::unique_ptr<TXLSBlob>>& records, TXLSCalculator& calculator) const {
  if (validations_.empty()) return 0;
  const TRelativeReferenceMode relative(calculator);
  auto dval = NewRecord(kRecDVal, kDValPayload);
  dval->AddWord(options_);
  dval->AddDWord(static_cast<uint32_t>(windowLeft_));
  dval->AddDWord(static_cast<uint32_t>(windowTop_));
  dval->AddDWord(kNoDropDownObject);
  dval->AddDWord(static_cast<uint32_t>(validations_.size()));
  int32_t bytes = static_cast<int32_t>(dval->Length());
  records.push_back(std::move(dval));
  for (const auto& v : validations_) {
    auto record = v->BuildRecord(calculator);
    bytes += static_cast<int32_t>(record->Length());
    records.push_back(std::move(record));
  }
  return bytes;
}

}  // namespace lx
