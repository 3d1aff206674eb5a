// The cell-format list at save time (renumbering, XF records) and the
// portable form of a format that carries it from one workbook to another.
#include "HexKey.h"
#include "lxFormat.h"

namespace lx {

namespace {

constexpr uint16_t kXFPayloadBiff8 = 20;
constexpr uint16_t kXFPayloadBiff5 = 16;
constexpr uint16_t kXFTypeStyle = 0x0004;
constexpr uint8_t kRotationStacked = 255;
// BIFF5 text orientation.
constexpr uint16_t kOrientNone = 0;
constexpr uint16_t kOrientStacked = 1;
constexpr uint16_t kOrientCounterClockwise = 2;
constexpr uint16_t kOrientClockwise = 3;

// Number formats below this index travel as their number: every workbook has
// the same built-in table.
constexpr int32_t kPortableBuiltInLimit = 50;
// Portable text: font key length (4), number-format text length (4), then
// positions 9-43 of the XF key.
constexpr size_t kPortableHeader = 8;
constexpr size_t kPortableTailAt = 8;  // offset of the key tail in an XF key
constexpr size_t kPortableTail = 35;
constexpr size_t kMaxPortableField = 0xFFFF;

uint16_t Biff5Orientation(uint8_t rotation) {
  if (rotation == kRotationStacked) return kOrientStacked;
  if (rotation >= 136) return kOrientClockwise;
  if (rotation < 46) return kOrientNone;
  return kOrientCounterClockwise;
}

WideString DecimalText(int32_t value) { return AsciiToWide(std::to_string(value)); }

// A number-format index that travelled as its number: plain decimal digits
// without leading zeros, below the built-in limit. Texts such as "00" are
// formats, not numbers.
bool ParsePortableNumber(const WideString& text, int32_t& value) {
  if (text.empty() || text.size() > 2) return false;
  if (text.size() > 1 && text[0] == u'0') return false;
  value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    value = value * 10 + (c - u'0');
  }
  return value < kPortableBuiltInLimit;
}

}  // namespace

void TlxFormatList::PrepareForSave() {
  fonts_->ResetReferences();
  Renumber();
  for (int32_t position = 0; position < OutputCount(); ++position) {
    fonts_->AddReference(TXLSXFFields::Parse(GetKey(OutputEntry(position))).Font);
  }
  fonts_->Renumber();
}

std::unique_ptr<TXLSBlob> TlxFormatList::BuildXFRecord(int32_t outputPosition, int32_t fileFormat) const {
  const int32_t index = OutputEntry(outputPosition);
  if (index < 0) return nullptr;
  const TXLSXFFields f = TXLSXFFields::Parse(GetKey(index));
  const bool biff8 = fileFormat != kSaveBiff5;
  const uint16_t payload = biff8 ? kXFPayloadBiff8 : kXFPayloadBiff5;
  auto record = NewRecord(kRecXF, payload);
  record->AddWord(static_cast<uint16_t>(fonts_->OutputIndex(f.Font)));
  record->AddWord(f.NumFormat);
  uint16_t type = static_cast<uint16_t>((f.Protection & 3) | static_cast<uint16_t>(f.Parent << 4));
  if (f.IsStyle()) type |= kXFTypeStyle;
  record->AddWord(type);
  if (biff8) {
    record->AddByte(f.Alignment);
    record->AddByte(f.Rotation);
    record->AddByte(f.Indent);
    record->AddByte(static_cast<uint8_t>(f.Used << 2));
    record->AddDWord(f.Border1);
    record->AddDWord(f.Border2 | (static_cast<uint32_t>(f.Pattern) << 26));
    record->AddWord(f.PatternColors);
    return record;
  }
  const uint32_t w1 = f.Border1;
  const uint32_t w2 = f.Border2;
  record->AddWord(static_cast<uint16_t>(f.Alignment | (Biff5Orientation(f.Rotation) << 8) | (f.Used << 10)));
  record->AddWord(f.PatternColors);
  // Fill pattern, bottom line style, bottom colour.
  record->AddWord(static_cast<uint16_t>((f.Pattern & 0x3F) | ((w1 & 0xF000) >> 6) | ((w2 & 0x3F80) << 2)));
  // Top, left and right line styles, top colour.
  record->AddWord(static_cast<uint16_t>(((w1 >> 8) & 0xF) | ((w1 & 0xF) << 3) | ((w1 & 0xF0) << 2) | (w2 << 9)));
  // Left and right colours.
  record->AddWord(static_cast<uint16_t>(((w1 >> 16) & 0x7F) | (((w1 >> 23) & 0x7F) << 7)));
  return record;
}

WideString TlxFormatList::ExportFormat(int32_t index) const {
  TXLSXFFields fields = Fields(index);
  fields.Parent = 0;
  for (uint8_t group : {kXFUsedProtection, kXFUsedAlignment, kXFUsedBorders, kXFUsedPattern}) {
    fields.CopyGroup(Effective(index, group), group);
    fields.Used |= group;
  }
  const WideString fontKey = fonts_->GetKey(GetXFFont(index)).substr(0, kMaxPortableField);
  const int32_t numFormat = GetXFNumberFormat(index);
  const WideString formatText =
      (numFormat < kPortableBuiltInLimit ? DecimalText(numFormat) : numFormats_->GetAt(numFormat))
          .substr(0, kMaxPortableField);
  WideString text;
  text.reserve(kPortableHeader + kPortableTail + fontKey.size() + formatText.size());
  hexkey::Append(text, 4, static_cast<uint32_t>(fontKey.size()));
  hexkey::Append(text, 4, static_cast<uint32_t>(formatText.size()));
  text += fields.Key().substr(kPortableTailAt);
  text += fontKey;
  text += formatText;
  return text;
}

int32_t TlxFormatList::ImportFormat(const WideString& text) {
  if (text.size() < kPortableHeader + kPortableTail) return 0;
  const size_t fontLength = hexkey::Read(text, 0, 4);
  const size_t formatLength = hexkey::Read(text, 4, 4);
  if (text.size() != kPortableHeader + kPortableTail + fontLength + formatLength) return 0;
  const WideString tail = text.substr(kPortableHeader, kPortableTail);
  const WideString fontKey = text.substr(kPortableHeader + kPortableTail, fontLength);
  const WideString formatText = text.substr(kPortableHeader + kPortableTail + fontLength, formatLength);

  const int32_t font = fonts_->Rekey(0, fontKey);
  int32_t numFormat;
  if (!ParsePortableNumber(formatText, numFormat)) numFormat = numFormats_->AddOrFind(formatText);
  WideString key;
  key.reserve(kPortableTailAt + kPortableTail);
  hexkey::Append(key, 4, static_cast<uint32_t>(font));
  hexkey::Append(key, 4, static_cast<uint32_t>(numFormat));
  key += tail;
  return Rekey(0, key);
}

}  // namespace lx
