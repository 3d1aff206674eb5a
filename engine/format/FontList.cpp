// The font list: font keys, attribute reads and writes, FONT records.
#include <algorithm>
#include <cmath>

#include "HexKey.h"
#include "lxCodePage.h"
#include "lxConstants.h"
#include "lxList.h"

namespace lx {

namespace {

// 0-based offsets of the font key fields.
constexpr size_t kHeightAt = 0;
constexpr size_t kColorAt = 4;
constexpr size_t kBoldAt = 8;
constexpr size_t kItalicAt = 9;
constexpr size_t kStrikeoutAt = 10;
constexpr size_t kOutlineAt = 11;
constexpr size_t kShadowAt = 12;
constexpr size_t kUnderlineAt = 13;
constexpr size_t kSubscriptAt = 15;
constexpr size_t kSuperscriptAt = 16;
constexpr size_t kFamilyAt = 17;
constexpr size_t kCharsetAt = 19;
constexpr size_t kNameAt = 21;

constexpr uint16_t kWeightNormal = 400;
constexpr uint16_t kWeightBold = 700;
// Option bit 0 repeats the bold weight for readers that look only at the
// options.
constexpr uint16_t kOptionBold = 0x0001;
constexpr uint16_t kOptionItalic = 0x0002;
constexpr uint16_t kOptionStrikeout = 0x0008;
constexpr uint16_t kOptionOutline = 0x0010;
constexpr uint16_t kOptionShadow = 0x0020;
// Fixed part of the FONT payload before the name characters.
constexpr uint32_t kFontFixedBiff5 = 15;
constexpr uint32_t kFontFixedBiff8 = 16;
constexpr uint8_t kUncompressedText = 1;
constexpr size_t kMaxShortText = 255;

bool Flag(const WideString& key, size_t at) { return at < key.size() && key[at] == u'1'; }

}  // namespace

WideString TXLSFontFields::Key() const {
  WideString key;
  key.reserve(kNameAt + Name.size());
  hexkey::Append(key, 4, Height);
  hexkey::Append(key, 4, Color);
  for (bool flag : {Bold, Italic, Strikeout, Outline, Shadow}) key.push_back(flag ? u'1' : u'0');
  hexkey::Append(key, 2, Underline);
  key.push_back(Subscript ? u'1' : u'0');
  key.push_back(Superscript ? u'1' : u'0');
  hexkey::Append(key, 2, Family);
  hexkey::Append(key, 2, Charset);
  key += Name;
  return key;
}

TXLSFontFields TXLSFontFields::Parse(const WideString& key) {
  TXLSFontFields f;
  f.Height = static_cast<uint16_t>(hexkey::Read(key, kHeightAt, 4));
  f.Color = static_cast<uint16_t>(hexkey::Read(key, kColorAt, 4));
  f.Bold = Flag(key, kBoldAt);
  f.Italic = Flag(key, kItalicAt);
  f.Strikeout = Flag(key, kStrikeoutAt);
  f.Outline = Flag(key, kOutlineAt);
  f.Shadow = Flag(key, kShadowAt);
  f.Underline = static_cast<uint8_t>(hexkey::Read(key, kUnderlineAt, 2));
  f.Subscript = Flag(key, kSubscriptAt);
  f.Superscript = Flag(key, kSuperscriptAt);
  f.Family = static_cast<uint8_t>(hexkey::Read(key, kFamilyAt, 2));
  f.Charset = static_cast<uint8_t>(hexkey::Read(key, kCharsetAt, 2));
  f.Name = key.size() > kNameAt ? key.substr(kNameAt) : WideString();
  return f;
}

const WideString& TXLSFontList::DefaultKey() {
  static const WideString key = TXLSFontFields().Key();
  return key;
}

TXLSFontList::TXLSFontList() {
  SetBaseIndex(0);
  SetDefaultCount(kDefaultFonts);
  SetFallbackKey(DefaultKey());
  for (int32_t i = 0; i < kDefaultFonts; ++i) SetKeyAt(i, DefaultKey());
  MapKey(DefaultKey(), 0);
}

int32_t TXLSFontList::OutputIndex(int32_t index) const {
  const int32_t o = TXLSKeyList::OutputIndex(index);
  return o >= 1 && o <= kDefaultFonts ? o - 1 : o;
}

double TXLSFontList::GetFontSize(int32_t index) const { return hexkey::Read(GetKey(index), kHeightAt, 4) / 20.0; }

int32_t TXLSFontList::GetFontColor(int32_t index) const {
  const int32_t color = static_cast<int32_t>(hexkey::Read(GetKey(index), kColorAt, 4));
  return color == kAutomaticColor ? xlAutomatic : color;
}

bool TXLSFontList::GetFontBold(int32_t index) const { return Flag(GetKey(index), kBoldAt); }
bool TXLSFontList::GetFontItalic(int32_t index) const { return Flag(GetKey(index), kItalicAt); }
bool TXLSFontList::GetFontStrikethrough(int32_t index) const { return Flag(GetKey(index), kStrikeoutAt); }
bool TXLSFontList::GetFontOutline(int32_t index) const { return Flag(GetKey(index), kOutlineAt); }
bool TXLSFontList::GetFontShadow(int32_t index) const { return Flag(GetKey(index), kShadowAt); }
bool TXLSFontList::GetFontSubscript(int32_t index) const { return Flag(GetKey(index), kSubscriptAt); }
bool TXLSFontList::GetFontSuperscript(int32_t index) const { return Flag(GetKey(index), kSuperscriptAt); }

int32_t TXLSFontList::GetFontUnderline(int32_t index) const {
  return static_cast<int32_t>(hexkey::Read(GetKey(index), kUnderlineAt, 2));
}
int32_t TXLSFontList::GetFontFamily(int32_t index) const {
  return static_cast<int32_t>(hexkey::Read(GetKey(index), kFamilyAt, 2));
}
int32_t TXLSFontList::GetFontCharset(int32_t index) const {
  return static_cast<int32_t>(hexkey::Read(GetKey(index), kCharsetAt, 2));
}

WideString TXLSFontList::GetFontName(int32_t index) const {
  const WideString& key = GetKey(index);
  return key.size() > kNameAt ? key.substr(kNameAt) : WideString();
}

int32_t TXLSFontList::SetField(int32_t index, size_t at, size_t width, uint32_t value) {
  WideString key = GetKey(index);
  // A key shorter than its fixed fields (only possible for keys laid down
  // from outside) gets its missing digits as zeros.
  if (key.size() < kNameAt) key.resize(kNameAt, u'0');
  hexkey::Write(key, at, width, value);
  return Rekey(index, key);
}

int32_t TXLSFontList::SetFontSize(int32_t index, double points) {
  // Rounded to the nearest twip, ties to even; clipped to the 16-bit field.
  double twips = std::nearbyint(points * 20.0);
  if (!(twips >= 0.0)) twips = 0.0;
  twips = std::min(twips, 65535.0);
  return SetField(index, kHeightAt, 4, static_cast<uint32_t>(twips));
}

int32_t TXLSFontList::SetFontColor(int32_t index, int32_t color) {
  uint32_t stored = static_cast<uint32_t>(color) & 0xFFFF;
  if (color == xlAutomatic) stored = kAutomaticColor;
  // "No colour" is not a palette index; 0 is written as the automatic colour.
  if (color == xlNone) stored = 0;
  return SetField(index, kColorAt, 4, stored);
}

int32_t TXLSFontList::SetFontBold(int32_t index, bool value) { return SetField(index, kBoldAt, 1, value); }
int32_t TXLSFontList::SetFontItalic(int32_t index, bool value) { return SetField(index, kItalicAt, 1, value); }
int32_t TXLSFontList::SetFontStrikethrough(int32_t index, bool value) {
  return SetField(index, kStrikeoutAt, 1, value);
}
int32_t TXLSFontList::SetFontOutline(int32_t index, bool value) { return SetField(index, kOutlineAt, 1, value); }
int32_t TXLSFontList::SetFontShadow(int32_t index, bool value) { return SetField(index, kShadowAt, 1, value); }
int32_t TXLSFontList::SetFontSubscript(int32_t index, bool value) { return SetField(index, kSubscriptAt, 1, value); }
int32_t TXLSFontList::SetFontSuperscript(int32_t index, bool value) {
  return SetField(index, kSuperscriptAt, 1, value);
}
int32_t TXLSFontList::SetFontUnderline(int32_t index, int32_t value) {
  return SetField(index, kUnderlineAt, 2, static_cast<uint32_t>(value) & 0xFF);
}
int32_t TXLSFontList::SetFontFamily(int32_t index, int32_t value) {
  return SetField(index, kFamilyAt, 2, static_cast<uint32_t>(value) & 0xFF);
}
int32_t TXLSFontList::SetFontCharset(int32_t index, int32_t value) {
  return SetField(index, kCharsetAt, 2, static_cast<uint32_t>(value) & 0xFF);
}

int32_t TXLSFontList::SetFontName(int32_t index, const WideString& name) {
  WideString key = GetKey(index);
  key.resize(kNameAt, u'0');
  key += name;
  return Rekey(index, key);
}

std::unique_ptr<TXLSBlob> TXLSFontList::BuildFontRecord(int32_t outputPosition, int32_t fileFormat) const {
  const int32_t index = OutputEntry(outputPosition);
  if (index < 0) return nullptr;
  return BuildFontRecordFromKey(GetKey(index), fileFormat);
}

std::unique_ptr<TXLSBlob> TXLSFontList::BuildFontRecordFromKey(const WideString& key, int32_t fileFormat) {
  const TXLSFontFields f = TXLSFontFields::Parse(key);
  const bool biff8 = fileFormat != kSaveBiff5;
  // The name length is one byte in both formats.
  WideString name = f.Name.substr(0, kMaxShortText);
  std::string ansiName;
  uint32_t nameBytes;
  if (biff8) {
    nameBytes = 2 * static_cast<uint32_t>(name.size());
  } else {
    ansiName = WideToAnsi(name);
    if (ansiName.size() > kMaxShortText) ansiName.resize(kMaxShortText);
    nameBytes = static_cast<uint32_t>(ansiName.size());
  }
  const uint32_t payload = (biff8 ? kFontFixedBiff8 : kFontFixedBiff5) + nameBytes;
  auto record = NewRecord(kRecFont, payload);
  record->AddWord(f.Height);
  uint16_t options = 0;
  if (f.Bold) options |= kOptionBold;
  if (f.Italic) options |= kOptionItalic;
  if (f.Strikeout) options |= kOptionStrikeout;
  if (f.Outline) options |= kOptionOutline;
  if (f.Shadow) options |= kOptionShadow;
  record->AddWord(options);
  record->AddWord(f.Color == 0 ? static_cast<uint16_t>(kAutomaticColor) : f.Color);
  record->AddWord(f.Bold ? kWeightBold : kWeightNormal);
  // Escapement: 1 superscript, 2 subscript (both set gives 3).
  record->AddWord(static_cast<uint16_t>((f.Superscript ? 1 : 0) + (f.Subscript ? 2 : 0)));
  record->AddByte(f.Underline);
  record->AddByte(f.Family);
  record->AddByte(f.Charset);
  record->AddByte(0);
  if (biff8) {
    record->AddByte(static_cast<uint8_t>(name.size()));
    record->AddByte(kUncompressedText);
    record->AddWide(name);
  } else {
    record->AddByte(static_cast<uint8_t>(ansiName.size()));
    record->AddAnsi(ansiName);
  }
  return record;
}

}  // namespace lx
