// The number-format list: built-in table, custom formats, date flags and
// FORMAT records.
#include <algorithm>

#include "lxCodePage.h"
#include "lxList.h"

namespace lx {

namespace {

struct TBuiltInFormat {
  int32_t Index;
  const char16_t* Text;
};

// The formats every spreadsheet reader knows by index; they are never written
// to a file. Date letters are upper case throughout.
constexpr TBuiltInFormat kBuiltInFormats[] = {
    {0, u"General"},
    {1, u"0"},
    {2, u"0.00"},
    {3, u"#,##0"},
    {4, u"#,##0.00"},
    {5, u"\"$\"#,##0;(\"$\"#,##0)"},
    {6, u"\"$\"#,##0;[Red](\"$\"#,##0)"},
    {7, u"\"$\"#,##0.00;(\"$\"#,##0.00)"},
    {8, u"\"$\"#,##0.00;[Red](\"$\"#,##0.00)"},
    {9, u"0%"},
    {10, u"0.00%"},
    {11, u"0.00E+00"},
    {12, u"# ?/?"},
    {13, u"# ?\?/??"},
    {14, u"M/D/YY"},
    {15, u"D-MMM-YY"},
    {16, u"D-MMM"},
    {17, u"MMM-YY"},
    {18, u"h:mm AM/PM"},
    {19, u"h:mm:ss AM/PM"},
    {20, u"h:mm"},
    {21, u"h:mm:ss"},
    {22, u"M/D/YY h:mm"},
    {37, u"_(#,##0_);(#,##0)"},
    {38, u"_(#,##0_);[Red](#,##0)"},
    {39, u"_(#,##0.00_);(#,##0.00)"},
    {40, u"_(#,##0.00_);[Red](#,##0.00)"},
    {41, u"_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)"},
    {42, u"_(\"$\"* #,##0_);_(\"$\"* (#,##0);_(\"$\"* \"-\"_);_(@_)"},
    {43, u"_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"?\?_);_(@_)"},
    {44, u"_(\"$\"* #,##0.00_);_(\"$\"* (#,##0.00);_(\"$\"* \"-\"?\?_);_(@_)"},
    {45, u"mm:ss"},
    {46, u"[h]:mm:ss"},
    {47, u"mm:ss.0"},
    {48, u"##0.0E+0"},
    {49, u"@"},
};

constexpr int32_t kBuiltInDates[] = {14, 15, 16, 17, 18, 19, 20, 21, 22, 45, 46, 47};

constexpr uint8_t kUncompressedText = 1;
constexpr size_t kMaxShortText = 255;
constexpr size_t kMaxText = 0xFFFF;

bool HasPair(const WideString& upper, char16_t letter) {
  const char16_t pair[] = {letter, letter, 0};
  return upper.find(pair) != WideString::npos;
}

}  // namespace

TXLSNumFormatList::TXLSNumFormatList() {
  for (const TBuiltInFormat& format : kBuiltInFormats) builtIn_.SetAt(format.Index, format.Text);
  FlagBuiltInDates();
  SetSlotCount(kFirstCustomFormat);
}

void TXLSNumFormatList::FlagBuiltInDates() {
  for (int32_t index : kBuiltInDates) dates_.Set(index, true);
}

void TXLSNumFormatList::Clear() {
  TXLSStringList::Clear();
  dates_.Clear();
  FlagBuiltInDates();
  SetSlotCount(kFirstCustomFormat);
}

void TXLSNumFormatList::SetAt(int32_t index, const WideString& text) {
  if (index < 0) return;
  TXLSStringList::SetAt(index, text);
  dates_.Set(index, LooksLikeDate(text));
}

const WideString& TXLSNumFormatList::GetAt(int32_t index) const {
  const WideString& text = TXLSStringList::GetAt(index);
  if (text.empty() && index >= 0 && index < kFirstCustomFormat) return builtIn_.GetAt(index);
  return text;
}

int32_t TXLSNumFormatList::AddOrFind(const WideString& text) {
  // An empty format means General; storing it would leave cells pointing at a
  // format that is never written.
  if (text.empty()) return 0;
  if (Contains(text)) {
    const int32_t index = Find(text);
    if (LooksLikeDate(text)) dates_.Set(index, true);
    return index;
  }
  if (builtIn_.Contains(text)) return builtIn_.Find(text);
  const int32_t index = SlotCount();
  SetAt(index, text);
  return index;
}

bool TXLSNumFormatList::IsDateFormat(int32_t index) const { return dates_.Get(index); }

bool TXLSNumFormatList::IsCustomFormat(int32_t index) const { return !TXLSStringList::GetAt(index).empty(); }

bool TXLSNumFormatList::LooksLikeDate(const WideString& text) {
  WideString upper(text);
  for (char16_t& c : upper) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  if (HasPair(upper, u'D') || HasPair(upper, u'M')) return true;
  return HasPair(upper, u'Y') || HasPair(upper, u'H') || HasPair(upper, u'S');
}

std::unique_ptr<TXLSBlob> TXLSNumFormatList::BuildFormatRecord(int32_t index, int32_t fileFormat) const {
  if (!IsCustomFormat(index) || index > 0xFFFF) return nullptr;
  const WideString& text = TXLSStringList::GetAt(index);
  if (fileFormat == kSaveBiff5) {
    std::string ansi = WideToAnsi(text);
    if (ansi.size() > kMaxShortText) ansi.resize(kMaxShortText);
    const uint32_t payload = 3 + static_cast<uint32_t>(ansi.size());
    auto record = NewRecord(kRecFormat, payload);
    record->AddWord(static_cast<uint16_t>(index));
    record->AddByte(static_cast<uint8_t>(ansi.size()));
    record->AddAnsi(ansi);
    return record;
  }
  const std::u16string_view chars = std::u16string_view(text).substr(0, kMaxText);
  const uint32_t payload = 5 + 2 * static_cast<uint32_t>(chars.size());
  auto record = std::make_unique<TXLSBlob>(kRecordHeaderSize + payload);
  record->AddWord(kRecFormat);
  // A text near the 16-bit limit makes a record longer than the length field
  // can say; the owner's splitting into CONTINUE records fixes the field.
  record->AddWord(static_cast<uint16_t>(std::min<uint32_t>(payload, 0xFFFF)));
  record->AddWord(static_cast<uint16_t>(index));
  record->AddWord(static_cast<uint16_t>(chars.size()));
  record->AddByte(kUncompressedText);
  record->AddWide(chars);
  return record;
}

}  // namespace lx
