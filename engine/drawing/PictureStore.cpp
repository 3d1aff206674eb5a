// The workbook's picture store: picture entries decoded from the drawing
// group and written back with their data.
#include <cstring>

#include "lxConstants.h"
#include "lxCrypto.h"
#include "lxDraw.h"

namespace lx {
namespace {

uint32_t DWord(std::span<const uint8_t> b, size_t at) {
  uint32_t value;
  std::memcpy(&value, b.data() + at, 4);
  return value;
}

// Offsets in a picture entry's 36-byte header.
constexpr size_t kBseWinType = 0;
constexpr size_t kBseId = 2;
constexpr size_t kBseBlipSize = 20;
constexpr size_t kBseRefCount = 24;
constexpr size_t kBseNameLength = 33;
constexpr uint8_t kBseVersion = 2;
constexpr uint16_t kBseTag = 0x00FF;
// The two bytes that close an entry header as this engine writes it.
constexpr uint8_t kBseClosing[2] = {0x88, 0x02};
// Picture records set bit 0 of their instance when a second identifier
// follows the first.
constexpr uint16_t kBlipSecondId = 1;

// The picture record's instance of each picture type.
uint16_t BlipInstance(uint8_t type) {
  switch (type) {
    case kBlipEmf:
      return 0x03D4;
    case kBlipWmf:
      return 0x0216;
    case kBlipPict:
      return 0x0542;
    case kBlipJpeg:
      return 0x046A;
    case kBlipPng:
      return 0x06E0;
    case kBlipDib:
      return 0x07A8;
    default:
      return 0;
  }
}

}  // namespace

uint32_t TMSOPicture::Size() const {
  if (kept_) return record_.Size();
  uint32_t size = kBseHeaderSize + kMsoHeaderSize + 2 * static_cast<uint32_t>(name_.size());
  if (type_ != kBlipNone)
    size +=
        kMsoHeaderSize + kBlipIdSize + (IsMetafile() ? kMetafileHeaderSize : 1) + static_cast<uint32_t>(data_.size());
  return size;
}

void TMSOPicture::WriteTo(TXLSBlob& blob) const {
  if (kept_) {
    record_.WriteTo(blob);
    return;
  }
  const uint32_t nameBytes = 2 * static_cast<uint32_t>(name_.size());
  // The picture record, header included.
  const uint32_t blipSize = type_ == kBlipNone ? 0 : Size() - kMsoHeaderSize - kBseHeaderSize - nameBytes;
  const auto& id = type_ == kBlipEmf ? storedId_ : id_;
  TMSOHeader{kBseVersion, type_, kFbtBse, Size() - kMsoHeaderSize}.WriteTo(blob);
  blob.AddByte(type_);
  blob.AddByte(type_ == kBlipEmf ? kBlipPict : type_);
  blob.AddBytes(id.data(), kBlipIdSize);
  blob.AddWord(kBseTag);
  blob.AddDWord(blipSize);
  blob.AddDWord(refCount_);
  blob.AddDWord(0);
  blob.AddByte(0);
  blob.AddByte(static_cast<uint8_t>(nameBytes));
  blob.AddBytes(kBseClosing, 2);
  blob.AddWide(name_);
  if (type_ == kBlipNone) return;
  TMSOHeader{0, BlipInstance(type_), static_cast<uint16_t>(kFbtBlipFirst + type_), blipSize - kMsoHeaderSize}.WriteTo(
      blob);
  blob.AddBytes(id.data(), kBlipIdSize);
  if (IsMetafile()) {
    for (uint32_t field :
         {metafile_.UncompressedSize, static_cast<uint32_t>(metafile_.Left), static_cast<uint32_t>(metafile_.Top),
          static_cast<uint32_t>(metafile_.Right), static_cast<uint32_t>(metafile_.Bottom), metafile_.Width,
          metafile_.Height, metafile_.SavedSize})
      blob.AddDWord(field);
    blob.AddByte(metafile_.Compression);
    blob.AddByte(metafile_.Filter);
  } else {
    blob.AddByte(0);
  }
  if (!data_.empty()) blob.AddBytes(data_.data(), static_cast<uint32_t>(data_.size()));
}

// ---------------------------------------------------------------- the store

void TMSOPictureList::Clear() {
  items_.clear();
  nextNumber_ = 0;
  byIdentifier_.clear();
}

const TMSOPicture* TMSOPictureList::Find(const std::array<uint8_t, kBlipIdSize>& identifier) const {
  const auto found = byIdentifier_.find(identifier);
  return found == byIdentifier_.end() ? nullptr : &items_[found->second];
}

uint32_t TMSOPictureList::Size() const {
  uint32_t sum = 0;
  for (const TMSOPicture& entry : items_) sum += entry.Size();
  return sum == 0 ? 0 : kMsoHeaderSize + sum;
}

void TMSOPictureList::WriteTo(TXLSBlob& blob) const {
  const uint32_t size = Size();
  if (size == 0) return;
  TMSOHeader{kMsoContainerVersion, static_cast<uint16_t>(items_.size()), kFbtBStoreContainer, size - kMsoHeaderSize}
      .WriteTo(blob);
  for (const TMSOPicture& entry : items_) entry.WriteTo(blob);
}

void TMSOPictureList::Add(TMSOPicture entry) {
  entry.number_ = nextNumber_++;
  if (!entry.kept_ && entry.type_ != kBlipNone) byIdentifier_.try_emplace(entry.id_, items_.size());
  items_.push_back(std::move(entry));
}

int32_t TMSOPictureList::ReadEntry(const TMSOHeader& header, std::span<const uint8_t> body, TMSOPicture& entry) {
  if (header.Type != kFbtBse || body.size() < kBseHeaderSize) return kResultFail;
  entry.type_ = body[kBseWinType];
  entry.refCount_ = DWord(body, kBseRefCount);
  std::memcpy(entry.id_.data(), body.data() + kBseId, kBlipIdSize);
  const size_t nameBytes = body[kBseNameLength];
  if (nameBytes > body.size() - kBseHeaderSize) return kResultFail;
  entry.name_.clear();
  for (size_t i = 0; i + 1 < nameBytes; i += 2)
    entry.name_.push_back(static_cast<char16_t>(body[kBseHeaderSize + i] | (body[kBseHeaderSize + i + 1] << 8)));
  if (entry.type_ == kBlipNone) return kResultOk;

  const size_t at = kBseHeaderSize + nameBytes;
  TMSOHeader blip;
  if (!TMSOHeader::Read(body, at, blip) || blip.Type != kFbtBlipFirst + entry.type_ ||
      blip.Length > body.size() - at - kMsoHeaderSize ||
      uint64_t{DWord(body, kBseBlipSize)} != uint64_t{blip.Length} + kMsoHeaderSize)
    return kResultFail;
  std::span<const uint8_t> rest = body.subspan(at + kMsoHeaderSize, blip.Length);
  // The identifier, a second one when the instance says so (not kept: the
  // entry is written with one), then the metafile header or a tag byte.
  const size_t ids = (blip.Instance & kBlipSecondId) ? 2 * kBlipIdSize : kBlipIdSize;
  const size_t lead = ids + (entry.IsMetafile() ? kMetafileHeaderSize : 1);
  if (rest.size() < lead) return kResultFail;
  std::memcpy(entry.storedId_.data(), rest.data(), kBlipIdSize);
  if (entry.IsMetafile()) {
    const std::span<const uint8_t> m = rest.subspan(ids);
    TMSOMetafileHeader& h = entry.metafile_;
    h.UncompressedSize = DWord(m, 0);
    h.Left = static_cast<int32_t>(DWord(m, 4));
    h.Top = static_cast<int32_t>(DWord(m, 8));
    h.Right = static_cast<int32_t>(DWord(m, 12));
    h.Bottom = static_cast<int32_t>(DWord(m, 16));
    h.Width = DWord(m, 20);
    h.Height = DWord(m, 24);
    h.SavedSize = DWord(m, 28);
    h.Compression = m[32];
    h.Filter = m[33];
  }
  entry.data_.assign(rest.begin() + static_cast<ptrdiff_t>(lead), rest.end());
  if (!entry.data_.empty()) entry.id_ = TMD4Hash::Digest(entry.data_.data(), entry.data_.size());
  return kResultOk;
}

int32_t TMSOPictureList::Read(std::span<const uint8_t> body) {
  Clear();
  size_t at = 0;
  while (at < body.size()) {
    TMSOHeader header;
    if (!TMSOHeader::Read(body, at, header) || header.Length > body.size() - at - kMsoHeaderSize) {
      Clear();
      return kResultFail;
    }
    const std::span<const uint8_t> record = body.subspan(at + kMsoHeaderSize, header.Length);
    TMSOPicture entry;
    if (header.Type != kFbtBse) {
      entry.kept_ = true;
      entry.record_.Header = header;
      entry.record_.Body.assign(record.begin(), record.end());
    } else if (ReadEntry(header, record, entry) != kResultOk) {
      // The picture is dropped; an entry without picture holds its place
      // with its reference count, for the shapes that count on it.
      entry = TMSOPicture();
      if (record.size() >= kBseHeaderSize) entry.refCount_ = DWord(record, kBseRefCount);
    }
    Add(std::move(entry));
    at += kMsoHeaderSize + header.Length;
  }
  return kResultOk;
}

}  // namespace lx
