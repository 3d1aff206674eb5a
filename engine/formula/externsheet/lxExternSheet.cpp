#include "lxExternSheet.h"

#include <algorithm>
#include <utility>

#include "lxCodePage.h"
#include "lxConstants.h"

namespace lx {

namespace {

// SUPBOOK payload of the internal reference and of an add-in: two words.
constexpr uint16_t kSupBookShortPayload = 4;
// EXTERNNAME of an add-in function: options, two reserved words, name length,
// option byte, then the name, formula size and the formula; 12 bytes besides
// the name's characters.
constexpr uint16_t kExternNameFixedPayload = 12;
constexpr uint16_t kExternNameFormulaSize = 2;
// The formula of an add-in name: the error constant #REF!.
constexpr uint8_t kTokenErr = 0x1C;
constexpr uint8_t kErrorRef = 0x17;
// Option byte of an uncompressed (UTF-16) string.
constexpr uint8_t kStringUtf16 = 0x01;
constexpr uint32_t kMaxShortLength = 0xFF;
constexpr uint32_t kXtiSize = 6;

std::u16string DecimalText(int32_t value) { return std::u16string(TDecimalKey(value).View()); }

// A BIFF8 string with a 16-bit count and an option byte (bit 0: UTF-16).
bool ReadCountedString(const uint8_t* data, uint32_t size, uint32_t& pos, std::u16string& text) {
  if (pos > size || size - pos < 3) return false;
  const uint32_t count = data[pos] | (data[pos + 1] << 8);
  const bool wide = (data[pos + 2] & 1) != 0;
  pos += 3;
  const uint32_t bytes = wide ? count * 2 : count;
  if (bytes > size - pos) return false;
  text.clear();
  text.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    if (wide) {
      text.push_back(static_cast<char16_t>(data[pos + 2 * i] | (data[pos + 2 * i + 1] << 8)));
    } else {
      text.push_back(static_cast<char16_t>(data[pos + i]));
    }
  }
  pos += bytes;
  return true;
}

void AddCountedString(TXLSBlob& blob, std::u16string_view text) {
  blob.AddWord(static_cast<uint16_t>(text.size()));
  blob.AddByte(kStringUtf16);
  blob.AddWide(text);
}

// A sheet name for formula text: in apostrophes, inner apostrophes doubled so
// that the formula lexer reads the name back unchanged.
std::u16string QuotedSheetName(std::u16string_view name) {
  std::u16string text(1, u'\'');
  for (char16_t c : name) {
    text.push_back(c);
    if (c == u'\'') text.push_back(c);
  }
  text.push_back(u'\'');
  return text;
}

}  // namespace

// ---------------------------------------------------------------------------
// TXLSSupBook

int32_t TXLSSupBook::AddInternal() {
  if (internalIndex_ >= 0) return internalIndex_;
  TXLSSupBookItem item;
  item.internal = true;
  items_.push_back(std::move(item));
  internalIndex_ = static_cast<int32_t>(items_.size()) - 1;
  return internalIndex_;
}

int32_t TXLSSupBook::AddFromRecord(const uint8_t* payload, uint32_t size) {
  if (payload == nullptr || size < kSupBookShortPayload) return kResultFail;
  const uint16_t sheetCount = static_cast<uint16_t>(payload[0] | (payload[1] << 8));
  const uint16_t mark = static_cast<uint16_t>(payload[2] | (payload[3] << 8));
  TXLSSupBookItem item;
  if (mark == kSupBookInternalMark) {
    item.internal = true;
  } else if (sheetCount == 1 && mark == kSupBookAddInMark) {
    item.addIn = true;
  } else {
    uint32_t pos = 2;
    if (!ReadCountedString(payload, size, pos, item.fileName)) return kResultFail;
    for (uint16_t i = 0; i < sheetCount; ++i) {
      std::u16string name;
      if (!ReadCountedString(payload, size, pos, name)) return kResultFail;
      item.sheetNames.push_back(std::move(name));
    }
  }
  items_.push_back(std::move(item));
  const int32_t index = static_cast<int32_t>(items_.size()) - 1;
  if (items_.back().internal && internalIndex_ < 0) internalIndex_ = index;
  return index;
}

bool TXLSSupBook::AttachAddInName(std::u16string_view name) {
  if (items_.empty()) return false;
  items_.back().addInName.assign(name);
  return true;
}

const TXLSSupBookItem* TXLSSupBook::Item(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &items_[static_cast<size_t>(index)];
}

std::vector<std::unique_ptr<TXLSBlob>> TXLSSupBook::BuildRecords(uint16_t sheetCount) const {
  std::vector<std::unique_ptr<TXLSBlob>> records;
  for (const TXLSSupBookItem& item : items_) {
    std::unique_ptr<TXLSBlob> blob;
    if (item.internal) {
      blob = NewRecord(kRecSupBook, kSupBookShortPayload);
      blob->AddWord(sheetCount);
      blob->AddWord(kSupBookInternalMark);
    } else if (item.addIn) {
      // The name length field is one byte wide.
      const std::u16string_view name =
          std::u16string_view(item.addInName).substr(0, std::min<size_t>(item.addInName.size(), kMaxShortLength));
      const uint16_t nameBytes = static_cast<uint16_t>(2 * name.size());
      const uint16_t externNamePayload = static_cast<uint16_t>(kExternNameFixedPayload + nameBytes);
      blob = std::make_unique<TXLSBlob>(2 * kRecordHeaderSize + kSupBookShortPayload + externNamePayload);
      blob->AddWord(kRecSupBook);
      blob->AddWord(kSupBookShortPayload);
      blob->AddWord(1);
      blob->AddWord(kSupBookAddInMark);
      blob->AddWord(kRecExternName);
      blob->AddWord(externNamePayload);
      blob->AddWord(0);  // options
      blob->AddWord(0);
      blob->AddWord(0);
      blob->AddByte(static_cast<uint8_t>(name.size()));
      blob->AddByte(kStringUtf16);
      blob->AddWide(name);
      blob->AddWord(kExternNameFormulaSize);
      blob->AddByte(kTokenErr);
      blob->AddByte(kErrorRef);
    } else {
      uint32_t payload = 2 + 3 + 2 * static_cast<uint32_t>(item.fileName.size());
      for (const std::u16string& name : item.sheetNames) payload += 3 + 2 * static_cast<uint32_t>(name.size());
      blob = NewRecord(kRecSupBook, payload);
      blob->AddWord(static_cast<uint16_t>(item.sheetNames.size()));
      AddCountedString(*blob, item.fileName);
      for (const std::u16string& name : item.sheetNames) AddCountedString(*blob, name);
    }
    records.push_back(std::move(blob));
  }
  return records;
}

// ---------------------------------------------------------------------------
// TlxExternSheetSheet

TlxExternSheetSheet::TlxExternSheetSheet(TlxExternSheetWorkbookLinks workbook, TlxExternSheetNameLinks names)
    : workbook_(std::move(workbook)), names_(std::move(names)) {}

int32_t TlxExternSheetSheet::FindOrAdd(const std::u16string& key, int32_t first, int32_t last, bool internal,
                                       int32_t supBook, int32_t explicitIndex) {
  int32_t index;
  if (explicitIndex > 0) {
    index = explicitIndex;
    highest_ = std::max(highest_, explicitIndex);
  } else {
    // An entry read from a file may have taken over the index a key pointed
    // to; the key only counts while its entry still names the same sheets.
    if (const int32_t* found = keys_.Find(key); found != nullptr) {
      const TlxExternSheetSheetItem* item = items_.Get(*found);
      if (item != nullptr && item->firstSheet == first && item->lastSheet == last && item->internal == internal &&
          (internal || item->supBook == supBook)) {
        return *found;
      }
    }
    index = ++highest_;
  }
  auto item = std::make_unique<TlxExternSheetSheetItem>();
  item->firstSheet = first;
  item->lastSheet = last;
  item->internal = internal;
  item->supBook = supBook;
  items_.Set(index, std::move(item));
  keys_.Set(key, index);
  return index;
}

int32_t TlxExternSheetSheet::FindOrAddSheetIdentifiers(int32_t firstIdentifier, int32_t lastIdentifier,
                                                       int32_t explicitIndex) {
  if (firstIdentifier < 1 || lastIdentifier < 1) return kResultFail;
  if (firstIdentifier > lastIdentifier) std::swap(firstIdentifier, lastIdentifier);
  const std::u16string key = DecimalText(firstIdentifier) + u":" + DecimalText(lastIdentifier);
  return FindOrAdd(key, firstIdentifier, lastIdentifier, true, supBook_.InternalIndex(), explicitIndex);
}

int32_t TlxExternSheetSheet::FindOrAddSheetNames(std::u16string_view firstName, std::u16string_view lastName,
                                                 int32_t explicitIndex) {
  const int32_t first = IdentifierOfSheetName(firstName);
  const int32_t last = IdentifierOfSheetName(lastName);
  if (first < 1 || last < 1) return kResultFail;
  return FindOrAddSheetIdentifiers(first, last, explicitIndex);
}

int32_t TlxExternSheetSheet::FindOrAddSheetPositions(int32_t firstPosition, int32_t lastPosition,
                                                     int32_t explicitIndex) {
  const std::u16string first = SheetNameAt(firstPosition);
  const std::u16string last = SheetNameAt(lastPosition);
  if (first.empty() || last.empty()) return kResultFail;
  return FindOrAddSheetNames(first, last, explicitIndex);
}

int32_t TlxExternSheetSheet::AddFromFile(int32_t index, int32_t supBook, int32_t firstSheet, int32_t lastSheet) {
  const TXLSSupBookItem* book = supBook_.Item(supBook);
  if (book == nullptr || index < 1) return kResultFail;
  if (book->internal) return FindOrAddSheetPositions(firstSheet, lastSheet, index);
  if (firstSheet > lastSheet) std::swap(firstSheet, lastSheet);
  const std::u16string key = DecimalText(supBook) + u"!" + DecimalText(firstSheet) + u":" + DecimalText(lastSheet);
  return FindOrAdd(key, firstSheet, lastSheet, false, supBook, index);
}

int32_t TlxExternSheetSheet::Resolve(int32_t index, int32_t& supBook, int32_t& firstSheet, int32_t& lastSheet) const {
  const TlxExternSheetSheetItem* item = items_.Get(index);
  if (item == nullptr) return kResultFail;
  if (!item->internal) {
    supBook = item->supBook;
    firstSheet = item->firstSheet;
    lastSheet = item->lastSheet;
    return kResultOk;
  }
  int32_t first = PositionOfSheetIdentifier(item->firstSheet);
  int32_t last = PositionOfSheetIdentifier(item->lastSheet);
  if (first < 1 || last < 1) return kResultFail;
  if (first > last) std::swap(first, last);
  supBook = supBook_.InternalIndex();
  firstSheet = first;
  lastSheet = last;
  return kResultOk;
}

int32_t TlxExternSheetSheet::RefIndex(int32_t index) const {
  const TlxExternSheetSheetItem* item = items_.Get(index);
  return item == nullptr ? kResultFail : item->refIndex;
}

int32_t TlxExternSheetSheet::FirstSheetIdentifier(int32_t index) const {
  const TlxExternSheetSheetItem* item = items_.Get(index);
  return item == nullptr || !item->internal ? kResultFail : item->firstSheet;
}

std::u16string TlxExternSheetSheet::SheetText(int32_t index) const {
  const TlxExternSheetSheetItem* item = items_.Get(index);
  if (item == nullptr || !item->internal) return {};
  const std::u16string first = SheetNameAt(PositionOfSheetIdentifier(item->firstSheet));
  if (first.empty()) return {};
  std::u16string text = QuotedSheetName(first);
  if (item->lastSheet != item->firstSheet) {
    const std::u16string last = SheetNameAt(PositionOfSheetIdentifier(item->lastSheet));
    if (last.empty()) return {};
    text += u':';
    text += QuotedSheetName(last);
  }
  return text;
}

void TlxExternSheetSheet::PrepareForSave() {
  supBook_.AddInternal();
  std::vector<int32_t> order;
  order.reserve(items_.Count());
  items_.ForEach([&](int32_t index, const TlxExternSheetSheetItem*) { order.push_back(index); });
  refList_.clear();
  for (const int32_t index : order) {
    TlxExternSheetSheetItem* item = items_.Get(index);
    if (item == nullptr) continue;
    int32_t supBook = 0;
    int32_t first = -1;
    int32_t last = -1;
    if (!item->used || Resolve(index, supBook, first, last) != kResultOk) {
      item->refIndex = -1;
      item->firstPosition = -1;
      item->lastPosition = -1;
      continue;
    }
    refList_.push_back(index);
    item->refIndex = static_cast<int32_t>(refList_.size());
    item->firstPosition = first;
    item->lastPosition = last;
  }
}

std::vector<std::unique_ptr<TXLSBlob>> TlxExternSheetSheet::BuildSupBookRecords() {
  supBook_.AddInternal();
  return supBook_.BuildRecords(static_cast<uint16_t>(std::max(SheetCount(), 0)));
}

std::unique_ptr<TXLSBlob> TlxExternSheetSheet::BuildExternSheetBiff8() const {
  const uint32_t count = static_cast<uint32_t>(refList_.size());
  const uint32_t payload = 2 + kXtiSize * count;
  // Longer lists are split into CONTINUE records by the record owner.
  auto blob = NewRecord(kRecExternSheet, payload);
  blob->AddWord(static_cast<uint16_t>(count));
  for (const int32_t index : refList_) {
    const TlxExternSheetSheetItem* item = items_.Get(index);
    const int32_t supBook = item->internal ? supBook_.InternalIndex() : item->supBook;
    blob->AddWord(static_cast<uint16_t>(supBook));
    blob->AddWord(static_cast<uint16_t>(item->firstPosition - 1));
    blob->AddWord(static_cast<uint16_t>(item->lastPosition - 1));
  }
  return blob;
}

std::vector<std::unique_ptr<TXLSBlob>> TlxExternSheetSheet::BuildExternSheetsBiff5(int32_t ownPosition) const {
  std::vector<std::unique_ptr<TXLSBlob>> records;
  const int32_t sheets = std::max(SheetCount(), 0);
  auto count = NewRecord(kRecExternCount, 2);
  count->AddWord(static_cast<uint16_t>(sheets + 1));
  records.push_back(std::move(count));
  for (int32_t position = 1; position <= sheets; ++position) {
    std::unique_ptr<TXLSBlob> blob;
    if (position == ownPosition) {
      blob = NewRecord(kRecExternSheet, 2);
      blob->AddByte(1);
      blob->AddByte(kExternSheetOwnSheet);
    } else {
      std::string name = WideToAnsi(SheetNameAt(position));
      if (name.size() > kMaxShortLength) name.resize(kMaxShortLength);
      blob = NewRecord(kRecExternSheet, 2 + static_cast<uint32_t>(name.size()));
      blob->AddByte(static_cast<uint8_t>(name.size()));
      blob->AddByte(kExternSheetSheetOfThisBook);
      blob->AddAnsi(name);
    }
    records.push_back(std::move(blob));
  }
  auto self = NewRecord(kRecExternSheet, 2);
  self->AddByte(1);
  self->AddByte(kExternSheetThisBook);
  records.push_back(std::move(self));
  return records;
}

int32_t TlxExternSheetSheet::NameIdentifier(std::u16string_view text, int32_t sheetIdentifier) const {
  return names_.nameIdentifier ? names_.nameIdentifier(text, sheetIdentifier) : kResultFail;
}

int32_t TlxExternSheetSheet::NameWrittenIndex(int32_t nameIdentifier) const {
  return names_.nameWrittenIndex ? names_.nameWrittenIndex(nameIdentifier) : kResultFail;
}

std::u16string TlxExternSheetSheet::NameText(int32_t nameIdentifier) const {
  return names_.nameText ? names_.nameText(nameIdentifier) : std::u16string();
}

int32_t TlxExternSheetSheet::NameSheetIdentifier(int32_t nameIdentifier) const {
  return names_.nameSheetIdentifier ? names_.nameSheetIdentifier(nameIdentifier) : kResultFail;
}

int32_t TlxExternSheetSheet::SheetCount() const {
  return workbook_.sheetCountPlusOne ? workbook_.sheetCountPlusOne() - 1 : 0;
}

std::u16string TlxExternSheetSheet::SheetNameAt(int32_t position) const {
  return workbook_.sheetNameAt ? workbook_.sheetNameAt(position) : std::u16string();
}

int32_t TlxExternSheetSheet::IdentifierOfSheetName(std::u16string_view name) const {
  return workbook_.identifierOfSheetName ? workbook_.identifierOfSheetName(name) : kResultFail;
}

int32_t TlxExternSheetSheet::PositionOfSheetIdentifier(int32_t identifier) const {
  return workbook_.positionOfSheetIdentifier ? workbook_.positionOfSheetIdentifier(identifier) : kResultFail;
}

}  // namespace lx
