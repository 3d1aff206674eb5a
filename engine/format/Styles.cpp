// The style list and STYLE records.
#include "HexKey.h"
#include "lxCodePage.h"
#include "lxFormat.h"

namespace lx {

namespace {

constexpr uint16_t kStyleBuiltInFlag = 0x8000;
constexpr uint16_t kStyleXFMask = 0x0FFF;
constexpr uint8_t kStyleNoOutlineLevel = 0xFF;
constexpr uint8_t kUncompressedText = 1;
constexpr size_t kMaxShortText = 255;
// Style names are at most 255 characters in both formats.
constexpr size_t kMaxText = 255;
constexpr char16_t kUserStylePrefix[] = u"XX";
constexpr size_t kUserStylePrefixLength = 2;

// Built-in style numbers.
constexpr int32_t kStyleNormal = 0;
constexpr int32_t kStyleComma = 3;
constexpr int32_t kStyleCurrency = 4;
constexpr int32_t kStylePercent = 5;
constexpr int32_t kStyleCommaNoDecimals = 6;
constexpr int32_t kStyleCurrencyNoDecimals = 7;

// The default XFs of those styles.
constexpr int32_t kXFNormal = 0;
constexpr int32_t kXFCurrency = 16;
constexpr int32_t kXFCurrencyNoDecimals = 17;
constexpr int32_t kXFPercent = 18;
constexpr int32_t kXFComma = 19;
constexpr int32_t kXFCommaNoDecimals = 20;

}  // namespace

bool TXLSStyleEntry::IsBuiltIn() const { return Name().compare(0, kUserStylePrefixLength, kUserStylePrefix) != 0; }

int32_t TXLSStyleEntry::BuiltInNumber() const { return static_cast<int32_t>(hexkey::Read(Name(), 0, 2)); }

WideString TXLSStyleEntry::UserName() const {
  return IsBuiltIn() ? WideString() : Name().substr(kUserStylePrefixLength);
}

TXLSStyles::TXLSStyles(TlxFormatList* formats) : TXLSObjList(0), formats_(formats) {}

void TXLSStyles::AddDefaultStyles() {
  AddBuiltinStyle(kStyleComma, kXFComma);
  AddBuiltinStyle(kStyleCurrency, kXFCurrency);
  AddBuiltinStyle(kStyleCommaNoDecimals, kXFCommaNoDecimals);
  AddBuiltinStyle(kStyleCurrencyNoDecimals, kXFCurrencyNoDecimals);
  AddBuiltinStyle(kStylePercent, kXFPercent);
  AddBuiltinStyle(kStyleNormal, kXFNormal);
}

int32_t TXLSStyles::AddBuiltinStyle(int32_t number, int32_t xfIndex) {
  WideString key;
  hexkey::Append(key, 2, static_cast<uint32_t>(number) & 0xFF);
  return AddOrReplace(std::make_unique<TXLSStyleEntry>(key, xfIndex));
}

int32_t TXLSStyles::AddUserStyle(const WideString& name, int32_t xfIndex) {
  return AddOrReplace(std::make_unique<TXLSStyleEntry>(kUserStylePrefix + name, xfIndex));
}

const TXLSStyleEntry* TXLSStyles::Style(int32_t index) const {
  return static_cast<const TXLSStyleEntry*>(ItemAt(index));
}

std::unique_ptr<TXLSBlob> TXLSStyles::BuildStyleRecord(int32_t index, int32_t fileFormat) const {
  const TXLSStyleEntry* style = Style(index);
  if (style == nullptr || formats_ == nullptr) return nullptr;
  // A style whose XF is not written would point at a random XF.
  const int32_t output = formats_->OutputIndex(style->XFIndex());
  if (output <= 0) return nullptr;
  const uint16_t xf = static_cast<uint16_t>((output - 1) & kStyleXFMask);
  if (style->IsBuiltIn()) {
    constexpr uint16_t kPayload = 4;
    auto record = NewRecord(kRecStyle, kPayload);
    record->AddWord(xf | kStyleBuiltInFlag);
    record->AddByte(static_cast<uint8_t>(style->BuiltInNumber()));
    record->AddByte(kStyleNoOutlineLevel);
    return record;
  }
  const WideString name = style->UserName();
  if (fileFormat == kSaveBiff5) {
    std::string ansi = WideToAnsi(name);
    if (ansi.size() > kMaxShortText) ansi.resize(kMaxShortText);
    const uint32_t payload = 3 + static_cast<uint32_t>(ansi.size());
    auto record = NewRecord(kRecStyle, payload);
    record->AddWord(xf);
    record->AddByte(static_cast<uint8_t>(ansi.size()));
    record->AddAnsi(ansi);
    return record;
  }
  const std::u16string_view chars = std::u16string_view(name).substr(0, kMaxText);
  const uint32_t payload = 5 + 2 * static_cast<uint32_t>(chars.size());
  auto record = NewRecord(kRecStyle, payload);
  record->AddWord(xf);
  record->AddWord(static_cast<uint16_t>(chars.size()));
  record->AddByte(kUncompressedText);
  record->AddWide(chars);
  return record;
}

}  // namespace lx
