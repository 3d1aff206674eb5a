// Hyperlinks: the collection, the link look of anchors, HLINK records and the
// interface objects.
#include "lxHyperlinks.h"

#include <algorithm>
#include <cstring>

#include "lxRange.h"
#include "lxStyle.h"

namespace lx {

namespace {

constexpr uint8_t kStdLinkClass[16] = {0xD0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                       0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
constexpr uint8_t kUrlMonikerClass[16] = {0xE0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                          0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
constexpr uint8_t kFileMonikerClass[16] = {0x03, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                           0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr uint32_t kStdLinkVersion = 2;
// The fixed part of a file moniker after its 8-bit path.
constexpr uint8_t kFileMonikerMark[4] = {0xFF, 0xFF, 0xAD, 0xDE};
constexpr uint32_t kFileMonikerReserved = 20;
constexpr uint16_t kFileMonikerUnicodeKey = 3;
// Record number, anchor.
constexpr uint32_t kTooltipHead = 10;

constexpr uint32_t kLinkColor = 0xFF0000;  // blue in 0x00BBGGRR
constexpr uint32_t kPlainColor = 0;

bool StartsWith(const std::string& text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

void AddCounted(TXLSBlob& out, const WideString& text) {
  out.AddDWord(static_cast<uint32_t>(text.size() + 1));
  out.AddWide(text);
  out.AddWord(0);
}

// Bounds-checked reading of an HLINK payload.
class TPayloadReader {
 public:
  TPayloadReader(const uint8_t* data, uint32_t size) : data_(data), size_(size) {}
  bool Seek(uint32_t offset) {
    if (offset > size_) return false;
    at_ = offset;
    return true;
  }
  bool Skip(uint32_t count) { return count <= size_ - at_ && Seek(at_ + count); }
  bool Word(uint16_t& value) {
    if (size_ - at_ < 2) return false;
    value = static_cast<uint16_t>(data_[at_] | data_[at_ + 1] << 8);
    at_ += 2;
    return true;
  }
  bool DWord(uint32_t& value) {
    if (size_ - at_ < 4) return false;
    value = static_cast<uint32_t>(data_[at_]) | static_cast<uint32_t>(data_[at_ + 1]) << 8 |
            static_cast<uint32_t>(data_[at_ + 2]) << 16 | static_cast<uint32_t>(data_[at_ + 3]) << 24;
    at_ += 4;
    return true;
  }
  bool Wide(uint32_t characters, WideString& text) {
    if (characters > (size_ - at_) / 2) return false;
    text.clear();
    for (uint32_t i = 0; i < characters; ++i) {
      text.push_back(static_cast<char16_t>(data_[at_] | data_[at_ + 1] << 8));
      at_ += 2;
    }
    return true;
  }
  // A character count including a terminating NUL, the characters, the NUL.
  bool Counted(WideString& text) {
    uint32_t count = 0;
    if (!DWord(count) || !Wide(count, text)) return false;
    while (!text.empty() && text.back() == 0) text.pop_back();
    return true;
  }
  bool Bytes(uint32_t count, std::string& text) {
    if (count > size_ - at_) return false;
    text.assign(reinterpret_cast<const char*>(data_ + at_), count);
    at_ += count;
    return true;
  }
  const uint8_t* Here() const { return data_ + at_; }
  uint32_t Left() const { return size_ - at_; }

 private:
  const uint8_t* data_;
  uint32_t size_;
  uint32_t at_ = 0;
};

}  // namespace

uint8_t ClassifyAddress(const WideString& address) {
  std::string text = WideToAnsi(address);
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  for (const std::string_view prefix : {"http://", "https://", "mailto:", "www.", "ftp."})
    if (StartsWith(text, prefix)) return kHyperlinkUrl;
  if (StartsWith(text, "\\\\")) return kHyperlinkNetworkPath;
  if (text.find('/') != std::string::npos) return kHyperlinkUrl;
  return text.empty() ? kHyperlinkPlace : kHyperlinkFile;
}

bool TXLSCustomHyperlink::Intersects(int32_t row1, int32_t column1, int32_t row2, int32_t column2) const {
  return std::max(firstRow, row1) <= std::min(lastRow, row2) &&
         std::max(firstColumn, column1) <= std::min(lastColumn, column2);
}

// ---------------------------------------------------------------- collection

TXLSCustomHyperlink* TXLSCustomHyperlinks::Item(int32_t index) const {
  if (index < 1 || index > Count()) return nullptr;
  return items_[static_cast<size_t>(index - 1)].get();
}

TXLSCustomHyperlink* TXLSCustomHyperlinks::FindSerial(uint32_t serial) const {
  for (const auto& item : items_)
    if (item->serial == serial) return item.get();
  return nullptr;
}

TXLSCustomHyperlink& TXLSCustomHyperlinks::Append() {
  items_.push_back(std::make_unique<TXLSCustomHyperlink>());
  TXLSCustomHyperlink& link = *items_.back();
  link.index = Count();
  link.serial = nextSerial_++;
  return link;
}

void TXLSCustomHyperlinks::ApplyLook(const TXLSCustomHyperlink& link, bool linkLook) {
  if (!worksheet_) return;
  XLSPtr<IXLSRange> range =
      TXLSRange::Create(worksheet_, link.firstRow, link.firstColumn, link.lastRow, link.lastColumn);
  XLSPtr<IXLSFont> font = range->Font();
  font->SetName(u"Arial");
  font->SetSize(10);
  font->SetBold(false);
  font->SetItalic(false);
  font->SetUnderline(linkLook ? xlUnderlineStyleSingle : xlNone);
  font->SetColor(linkLook ? kLinkColor : kPlainColor);
}

TXLSCustomHyperlink* TXLSCustomHyperlinks::Add(int32_t row1, int32_t column1, int32_t row2, int32_t column2,
                                               const WideString& address, const WideString& textToDisplay,
                                               const WideString& screenTip, const WideString& subAddress) {
  TXLSCustomHyperlink& link = Append();
  link.firstRow = std::min(row1, row2);
  link.lastRow = std::max(row1, row2);
  link.firstColumn = std::min(column1, column2);
  link.lastColumn = std::max(column1, column2);
  ApplyLook(link, true);
  SetAddress(link, address);
  link.subAddress = subAddress;
  WideString text = textToDisplay;
  if (text.empty()) {
    if (subAddress.empty())
      text = address;
    else
      text = address.empty() ? subAddress : address + u"#" + subAddress;
  }
  SetTextToDisplay(link, text);
  link.screenTip = screenTip;
  return &link;
}

void TXLSCustomHyperlinks::Delete(int32_t index) {
  const TXLSCustomHyperlink* link = Item(index);
  if (!link) return;
  ApplyLook(*link, false);
  items_.erase(items_.begin() + (index - 1));
  for (int32_t i = index; i <= Count(); ++i) items_[static_cast<size_t>(i - 1)]->index = i;
}

void TXLSCustomHyperlinks::SetAddress(TXLSCustomHyperlink& link, const WideString& address) {
  link.address = address;
  link.kind = ClassifyAddress(address);
}

void TXLSCustomHyperlinks::SetSubAddress(TXLSCustomHyperlink& link, const WideString& subAddress) {
  link.kind = ClassifyAddress(link.address);
  link.subAddress = subAddress;
}

void TXLSCustomHyperlinks::SetTextToDisplay(TXLSCustomHyperlink& link, const WideString& text) {
  link.textToDisplay = text;
  if (!worksheet_) return;
  XLSPtr<IXLSRange> cell =
      TXLSRange::Create(worksheet_, link.firstRow, link.firstColumn, link.firstRow, link.firstColumn);
  cell->SetValue(TVariant(u"'" + text));
}

void TXLSCustomHyperlinks::SetAnchor(TXLSCustomHyperlink& link, int32_t row1, int32_t column1, int32_t row2,
                                     int32_t column2) {
  ApplyLook(link, false);
  link.firstRow = std::min(row1, row2);
  link.lastRow = std::max(row1, row2);
  link.firstColumn = std::min(column1, column2);
  link.lastColumn = std::max(column1, column2);
  ApplyLook(link, true);
}

std::unique_ptr<TXLSBlob> TXLSCustomHyperlinks::BuildHLinkRecord(const TXLSCustomHyperlink& link) {
  TXLSBlob body;
  body.AddWord(static_cast<uint16_t>(link.firstRow));
  body.AddWord(static_cast<uint16_t>(link.lastRow));
  body.AddWord(static_cast<uint16_t>(link.firstColumn));
  body.AddWord(static_cast<uint16_t>(link.lastColumn));
  body.AddBytes(kStdLinkClass, sizeof kStdLinkClass);
  body.AddDWord(kStdLinkVersion);
  uint32_t options = 0;
  if (!link.textToDisplay.empty()) options |= kHLinkHasDescription;
  if (!link.targetFrame.empty()) options |= kHLinkHasFrame;
  if (!link.subAddress.empty()) options |= kHLinkHasTextMark;
  const bool upward = link.address.compare(0, 2, u"..") == 0;
  if (link.kind == kHyperlinkUrl || link.kind == kHyperlinkFile)
    options |= kHLinkHasMoniker | (upward ? 0 : kHLinkAbsolute);
  else if (link.kind == kHyperlinkNetworkPath)
    options |= kHLinkHasMoniker | kHLinkAbsolute | kHLinkUncPath;
  body.AddDWord(options);
  if (!link.textToDisplay.empty()) AddCounted(body, link.textToDisplay);
  if (!link.targetFrame.empty()) AddCounted(body, link.targetFrame);
  const auto n = static_cast<uint32_t>(link.address.size());
  switch (link.kind) {
    case kHyperlinkUrl:
      body.AddBytes(kUrlMonikerClass, sizeof kUrlMonikerClass);
      body.AddDWord(2 * n + 2);
      body.AddWide(link.address);
      body.AddWord(0);
      break;
    case kHyperlinkNetworkPath:
      AddCounted(body, link.address);
      break;
    case kHyperlinkFile:
      body.AddBytes(kFileMonikerClass, sizeof kFileMonikerClass);
      body.AddWord(0);
      // No short 8-bit form of the path on this platform: its length 0.
      body.AddDWord(0);
      body.AddBytes(kFileMonikerMark, sizeof kFileMonikerMark);
      for (uint32_t i = 0; i < kFileMonikerReserved; ++i) body.AddByte(0);
      body.AddDWord(2 * n + 6);
      body.AddDWord(2 * n);
      body.AddWord(kFileMonikerUnicodeKey);
      body.AddWide(link.address);
      break;
    default:
      break;
  }
  if (!link.subAddress.empty()) AddCounted(body, link.subAddress);
  auto record = NewRecord(kRecHLink, body.Length());
  record->AddBytes(body.Data(), body.Length());
  return record;
}

std::unique_ptr<TXLSBlob> TXLSCustomHyperlinks::BuildTooltipRecord(const TXLSCustomHyperlink& link) {
  auto record = NewRecord(kRecHLinkTooltip, kTooltipHead + 2 * static_cast<uint32_t>(link.screenTip.size()) + 2);
  record->AddWord(kRecHLinkTooltip);
  record->AddWord(static_cast<uint16_t>(link.firstRow));
  record->AddWord(static_cast<uint16_t>(link.lastRow));
  record->AddWord(static_cast<uint16_t>(link.firstColumn));
  record->AddWord(static_cast<uint16_t>(link.lastColumn));
  record->AddWide(link.screenTip);
  record->AddWord(0);
  return record;
}

std::vector<std::unique_ptr<TXLSBlob>> TXLSCustomHyperlinks::BuildRecords(uint32_t maxRecordData) const {
  std::vector<std::unique_ptr<TXLSBlob>> records;
  for (const auto& link : items_) {
    auto record = BuildHLinkRecord(*link);
    if (record->Length() > maxRecordData + kRecordHeaderSize) continue;
    records.push_back(std::move(record));
    if (link->screenTip.empty()) continue;
    auto tip = BuildTooltipRecord(*link);
    if (tip->Length() <= maxRecordData + kRecordHeaderSize) records.push_back(std::move(tip));
  }
  return records;
}

bool TXLSCustomHyperlinks::ReadHyperlinkRecord(const uint8_t* payload, uint32_t size) {
  TPayloadReader reader(payload, size);
  TXLSCustomHyperlink link;
  uint16_t r1 = 0, r2 = 0, c1 = 0, c2 = 0;
  uint32_t options = 0;
  if (!reader.Word(r1) || !reader.Word(r2) || !reader.Word(c1) || !reader.Word(c2) || !reader.Seek(28) ||
      !reader.DWord(options)) {
    return false;
  }
  if ((options & kHLinkHasDescription) == kHLinkHasDescription && !reader.Counted(link.textToDisplay)) return false;
  if ((options & kHLinkHasFrame) && !reader.Counted(link.targetFrame)) return false;
  if (options & kHLinkUncPath) {
    if (!reader.Counted(link.address)) return false;
    link.kind = kHyperlinkNetworkPath;
  } else if (options & kHLinkHasMoniker) {
    if (reader.Left() < 16) return false;
    uint8_t moniker[16];
    std::memcpy(moniker, reader.Here(), sizeof moniker);
    (void)reader.Skip(16);
    if (std::memcmp(moniker, kUrlMonikerClass, 4) == 0) {
      uint32_t bytes = 0;
      if (!reader.DWord(bytes) || !reader.Wide(bytes / 2, link.address)) return false;
      while (!link.address.empty() && link.address.back() == 0) link.address.pop_back();
      link.kind = kHyperlinkUrl;
    } else if (std::memcmp(moniker, kFileMonikerClass, 4) == 0) {
      uint16_t levels = 0;
      uint32_t length = 0, extended = 0;
      std::string path;
      if (!reader.Word(levels) || !reader.DWord(length) || !reader.Bytes(length, path) || !reader.Skip(24) ||
          !reader.DWord(extended)) {
        return false;
      }
      while (!path.empty() && path.back() == 0) path.pop_back();
      link.address = AnsiToWide(path);
      if (extended > 0) {
        uint32_t bytes = 0;
        if (!reader.DWord(bytes) || !reader.Skip(2) || !reader.Wide(bytes / 2, link.address)) return false;
      }
      WideString up;
      for (uint16_t i = 0; i < levels; ++i) up += u"..\\";
      link.address = up + link.address;
      link.kind = kHyperlinkFile;
    } else {
      return false;
    }
  } else {
    link.kind = kHyperlinkPlace;
  }
  if ((options & kHLinkHasTextMark) && !reader.Counted(link.subAddress)) return false;
  TXLSCustomHyperlink& added = Append();
  link.index = added.index;
  link.serial = added.serial;
  link.firstRow = std::min(r1, r2);
  link.lastRow = std::max(r1, r2);
  link.firstColumn = std::min(c1, c2);
  link.lastColumn = std::max(c1, c2);
  added = std::move(link);
  return true;
}

void TXLSCustomHyperlinks::ReadHyperlinkTooltip(const uint8_t* payload, uint32_t size) {
  if (items_.empty()) return;
  TXLSCustomHyperlink& link = *items_.back();
  TPayloadReader reader(payload, size);
  uint16_t number = 0, r1 = 0, r2 = 0, c1 = 0, c2 = 0;
  if (!link.screenTip.empty() || !reader.Word(number) || !reader.Word(r1) || !reader.Word(r2) || !reader.Word(c1) ||
      !reader.Word(c2)) {
    return;
  }
  if (r1 != link.firstRow || r2 != link.lastRow || c1 != link.firstColumn || c2 != link.lastColumn) return;
  WideString tip;
  if (!reader.Wide(reader.Left() / 2, tip)) return;
  while (!tip.empty() && tip.back() == 0) tip.pop_back();
  link.screenTip = std::move(tip);
}

// ---------------------------------------------------------------- interface objects

void TXLSHyperLink::Delete() {
  if (const TXLSCustomHyperlink* link = Find()) links_->Delete(link->index);
}

WideString TXLSHyperLink::Address() {
  const TXLSCustomHyperlink* link = Find();
  return link ? link->address : WideString();
}

void TXLSHyperLink::SetAddress(const WideString& value) {
  if (TXLSCustomHyperlink* link = Find()) links_->SetAddress(*link, value);
}

WideString TXLSHyperLink::SubAddress() {
  const TXLSCustomHyperlink* link = Find();
  return link ? link->subAddress : WideString();
}

void TXLSHyperLink::SetSubAddress(const WideString& value) {
  if (TXLSCustomHyperlink* link = Find()) links_->SetSubAddress(*link, value);
}

WideString TXLSHyperLink::ScreenTip() {
  const TXLSCustomHyperlink* link = Find();
  return link ? link->screenTip : WideString();
}

void TXLSHyperLink::SetScreenTip(const WideString& value) {
  if (TXLSCustomHyperlink* link = Find()) link->screenTip = value;
}

WideString TXLSHyperLink::TextToDisplay() {
  const TXLSCustomHyperlink* link = Find();
  return link ? link->textToDisplay : WideString();
}

void TXLSHyperLink::SetTextToDisplay(const WideString& value) {
  if (TXLSCustomHyperlink* link = Find()) links_->SetTextToDisplay(*link, value);
}

XLSPtr<IXLSRange> TXLSHyperLink::Range() {
  const TXLSCustomHyperlink* link = Find();
  if (!link || !links_->Worksheet()) return {};
  return TXLSRange::Create(links_->Worksheet(), link->firstRow, link->firstColumn, link->lastRow, link->lastColumn);
}

void TXLSHyperLink::SetRange(IXLSRange* range) {
  TXLSCustomHyperlink* link = Find();
  if (!link || !range || range->Worksheet() != links_->Worksheet()) return;
  links_->SetAnchor(*link, range->FirstRow(), range->FirstColumn(), range->LastRow(), range->LastColumn());
}

TXLSHyperLinks::TXLSHyperLinks(IXLSWorksheet* sheet, IXLSWorksheet* rangeSheet, int32_t row1, int32_t column1,
                               int32_t row2, int32_t column2)
    : sheet_(sheet),
      bound_(true),
      rangeSheet_(rangeSheet),
      row1_(std::min(row1, row2)),
      column1_(std::min(column1, column2)),
      row2_(std::max(row1, row2)),
      column2_(std::max(column1, column2)) {}

bool TXLSHyperLinks::Sees(const TXLSCustomHyperlink& link) const {
  if (!bound_) return true;
  return rangeSheet_ == sheet_ && link.Intersects(row1_, column1_, row2_, column2_);
}

int32_t TXLSHyperLinks::Count() {
  const TXLSCustomHyperlinks* links = sheet_ ? sheet_->HyperlinkList() : nullptr;
  if (!links) return 0;
  int32_t count = 0;
  for (int32_t i = 1; i <= links->Count(); ++i)
    if (Sees(*links->Item(i))) ++count;
  return count;
}

XLSPtr<IXLSHyperlink> TXLSHyperLinks::Item(int32_t n) {
  TXLSCustomHyperlinks* links = sheet_ ? sheet_->HyperlinkList() : nullptr;
  if (links) {
    int32_t seen = 0;
    for (int32_t i = 1; i <= links->Count(); ++i) {
      const TXLSCustomHyperlink* link = links->Item(i);
      if (Sees(*link) && ++seen == n) return XLSPtr<IXLSHyperlink>(new TXLSHyperLink(links, link->serial));
    }
  }
  return XLSPtr<IXLSHyperlink>(new TXLSHyperLink(nullptr, 0));
}

void TXLSHyperLinks::Delete() {
  TXLSCustomHyperlinks* links = sheet_ ? sheet_->HyperlinkList() : nullptr;
  if (!links) return;
  for (int32_t i = links->Count(); i >= 1; --i)
    if (Sees(*links->Item(i))) links->Delete(i);
}

XLSPtr<IXLSHyperlink> TXLSHyperLinks::Add(IXLSRange* anchor, const WideString& address, const WideString& textToDisplay,
                                          const WideString& screenTip, const WideString& subAddress) {
  if (!sheet_ || !anchor || anchor->Worksheet() != sheet_) return XLSPtr<IXLSHyperlink>(new TXLSHyperLink(nullptr, 0));
  TXLSCustomHyperlinks& links = sheet_->GetHyperlinkList();
  const TXLSCustomHyperlink* link = links.Add(anchor->FirstRow(), anchor->FirstColumn(), anchor->LastRow(),
                                              anchor->LastColumn(), address, textToDisplay, screenTip, subAddress);
  return XLSPtr<IXLSHyperlink>(new TXLSHyperLink(&links, link->serial));
}

XLSPtr<IXLSHyperlinks> TXLSRange::Hyperlinks() {
  return XLSPtr<IXLSHyperlinks>(new TXLSHyperLinks(sheet_, sheet_, firstRow_, firstColumn_, lastRow_, lastColumn_));
}

}  // namespace lx
