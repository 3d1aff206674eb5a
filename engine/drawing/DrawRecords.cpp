// OfficeArt records and the workbook's drawing group.
#include <algorithm>
#include <cstring>

#include "lxConstants.h"
#include "lxDraw.h"

namespace lx {
namespace {

uint16_t Word(std::span<const uint8_t> b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t DWord(std::span<const uint8_t> b, size_t at) {
  uint32_t value;
  std::memcpy(&value, b.data() + at, 4);
  return value;
}

// The split-menu colours every drawing group carries.
constexpr uint32_t kSplitMenuColors[4] = {0x0800000D, 0x0800000C, 0x08000017, 0x100000F7};
constexpr uint16_t kSplitMenuColorsInstance = 4;
constexpr uint8_t kDggVersion = 0;
constexpr uint8_t kOptVersion = 3;

}  // namespace

void TMSOHeader::WriteTo(TXLSBlob& blob) const {
  blob.AddWord(static_cast<uint16_t>((Version & 0xF) | (Instance << 4)));
  blob.AddWord(Type);
  blob.AddDWord(Length);
}

bool TMSOHeader::Read(std::span<const uint8_t> bytes, size_t at, TMSOHeader& header) {
  if (at > bytes.size() || bytes.size() - at < kMsoHeaderSize) return false;
  const uint16_t first = Word(bytes, at);
  header.Version = static_cast<uint8_t>(first & 0xF);
  header.Instance = static_cast<uint16_t>(first >> 4);
  header.Type = Word(bytes, at + 2);
  header.Length = DWord(bytes, at + 4);
  return true;
}

void TMsoFbtUnknown::WriteTo(TXLSBlob& blob) const {
  TMSOHeader header = Header;
  header.Length = static_cast<uint32_t>(Body.size());
  header.WriteTo(blob);
  if (!Body.empty()) blob.AddBytes(Body.data(), static_cast<uint32_t>(Body.size()));
}

// ---------------------------------------------------------------- properties

uint32_t TMsoFbtOpt::Value(uint16_t number) const {
  const auto found = items_.find(number & 0x3FFF);
  return found == items_.end() ? 0 : found->second.Value;
}

void TMsoFbtOpt::SetValue(uint16_t number, uint32_t value) {
  number &= 0x3FFF;
  auto [item, created] = items_.try_emplace(number);
  if (created) item->second.Id = number;
  item->second.Value = value;
}

uint32_t TMsoFbtOpt::Size() const {
  uint32_t size = kMsoHeaderSize;
  for (const auto& [number, item] : items_) size += 6 + static_cast<uint32_t>(item.Extra.size());
  return size;
}

void TMsoFbtOpt::WriteTo(TXLSBlob& blob) const {
  TMSOHeader{kOptVersion, static_cast<uint16_t>(items_.size()), kFbtOpt, Size() - kMsoHeaderSize}.WriteTo(blob);
  for (const auto& [number, item] : items_) {
    blob.AddWord(item.Id);
    blob.AddDWord((item.Id & 0x8000) ? static_cast<uint32_t>(item.Extra.size()) : item.Value);
  }
  for (const auto& [number, item] : items_)
    if (!item.Extra.empty()) blob.AddBytes(item.Extra.data(), static_cast<uint32_t>(item.Extra.size()));
}

int32_t TMsoFbtOpt::Read(std::span<const uint8_t> body, uint16_t count) {
  items_.clear();
  // A table cannot hold more entries than its bytes.
  if (uint64_t{count} * 6 > body.size()) return kResultFail;
  std::vector<TMsoFbtOptItem> read;
  read.reserve(count);
  uint64_t extra = 0;
  for (uint16_t i = 0; i < count; ++i) {
    TMsoFbtOptItem item;
    item.Id = Word(body, size_t{i} * 6);
    item.Value = DWord(body, size_t{i} * 6 + 2);
    if (item.Id & 0x8000) extra += item.Value;
    read.push_back(std::move(item));
  }
  size_t at = size_t{count} * 6;
  if (extra > body.size() - at) return kResultFail;
  for (TMsoFbtOptItem& item : read) {
    if (item.Id & 0x8000) {
      item.Extra.assign(body.begin() + static_cast<ptrdiff_t>(at),
                        body.begin() + static_cast<ptrdiff_t>(at + item.Value));
      at += item.Value;
    }
    const uint16_t number = item.Id & 0x3FFF;
    items_[number] = std::move(item);
  }
  return kResultOk;
}

// ---------------------------------------------------------------- anchor, shape atom

void TMsoFbtClientAnchor::WriteTo(TXLSBlob& blob) const {
  TMSOHeader{0, 0, kFbtClientAnchor, kBodySize}.WriteTo(blob);
  for (uint16_t field : {Flags, FirstColumn, FirstColumnOffset, FirstRow, FirstRowOffset, LastColumn, LastColumnOffset,
                         LastRow, LastRowOffset})
    blob.AddWord(field);
}

int32_t TMsoFbtClientAnchor::Read(std::span<const uint8_t> body) {
  if (body.size() != kBodySize) return kResultFail;
  uint16_t* fields[9] = {&Flags,      &FirstColumn,      &FirstColumnOffset, &FirstRow,     &FirstRowOffset,
                         &LastColumn, &LastColumnOffset, &LastRow,           &LastRowOffset};
  for (size_t i = 0; i < 9; ++i) *fields[i] = Word(body, 2 * i);
  return kResultOk;
}

void TMsoFbtSp::WriteTo(TXLSBlob& blob) const {
  TMSOHeader{Version, ShapeType, kFbtSp, 8}.WriteTo(blob);
  blob.AddDWord(ShapeId);
  blob.AddDWord(Flags);
}

// ---------------------------------------------------------------- identifiers

uint32_t TMsoFbtDGG::AllocateShapeId(uint32_t drawingId) {
  size_t k = clusters_.size();
  for (size_t i = clusters_.size(); i-- > 0;) {
    if (clusters_[i].DrawingId == drawingId && clusters_[i].Used < kShapeIdsPerCluster) {
      k = i;
      break;
    }
  }
  if (k == clusters_.size()) clusters_.push_back({drawingId, 0});
  TMsoFbtDGGItem& cluster = clusters_[k];
  const uint32_t id = kShapeIdsPerCluster * static_cast<uint32_t>(k + 1) + cluster.Used;
  ++cluster.Used;
  maxShapeId_ = std::max(maxShapeId_, id);
  ++shapes_;
  return id;
}

void TMsoFbtDGG::ReleaseDrawingId(uint32_t drawingId) {
  if (drawingId == 0) return;
  const auto found = std::find_if(clusters_.begin(), clusters_.end(),
                                  [drawingId](const TMsoFbtDGGItem& item) { return item.DrawingId == drawingId; });
  if (found != clusters_.end()) clusters_.erase(found);
  if (drawings_ > 0) --drawings_;
}

uint32_t TMsoFbtDGG::Size() const { return clusters_.empty() ? 0 : 24 + 8 * static_cast<uint32_t>(clusters_.size()); }

void TMsoFbtDGG::WriteTo(TXLSBlob& blob) const {
  if (clusters_.empty()) return;
  TMSOHeader{kDggVersion, 0, kFbtDgg, Size() - kMsoHeaderSize}.WriteTo(blob);
  blob.AddDWord(maxShapeId_ + 1);
  blob.AddDWord(static_cast<uint32_t>(clusters_.size()) + 1);
  blob.AddDWord(shapes_);
  blob.AddDWord(drawings_);
  for (const TMsoFbtDGGItem& item : clusters_) {
    blob.AddDWord(item.DrawingId);
    blob.AddDWord(item.Used);
  }
}

int32_t TMsoFbtDGG::Read(std::span<const uint8_t> body) {
  if (body.size() < 16) return kResultFail;
  maxShapeId_ = DWord(body, 0) > 0 ? DWord(body, 0) - 1 : 0;
  shapes_ = DWord(body, 8);
  drawings_ = DWord(body, 12);
  // The clusters the body holds, whatever its count field claims.
  clusters_.clear();
  for (size_t at = 16; at + 8 <= body.size(); at += 8) clusters_.push_back({DWord(body, at), DWord(body, at + 4)});
  return kResultOk;
}

// ---------------------------------------------------------------- drawing group

TMSODrawingGroup::TMSODrawingGroup() {
  splitMenuColors_.Header = {0, kSplitMenuColorsInstance, kFbtSplitMenuColors, 16};
  for (uint32_t value : kSplitMenuColors)
    for (int shift = 0; shift < 32; shift += 8) splitMenuColors_.Body.push_back(static_cast<uint8_t>(value >> shift));
}

void TMSODrawingGroup::ClearDrawingGroup() {
  dgg_ = TMsoFbtDGG();
  properties_ = TMsoFbtOpt();
  pictures_.Clear();
}

void TMSODrawingGroup::WriteDrawingGroup(TXLSBlobList& list, uint16_t maxRecordData) const {
  if (!HasContent()) return;
  const uint32_t body = dgg_.Size() + pictures_.Size() + properties_.Size() + splitMenuColors_.Size();
  auto record = NewRecord(kRecMsoDrawingGroup, kMsoHeaderSize + body);
  TMSOHeader{kMsoContainerVersion, 0, kFbtDggContainer, body}.WriteTo(*record);
  dgg_.WriteTo(*record);
  pictures_.WriteTo(*record);
  properties_.WriteTo(*record);
  splitMenuColors_.WriteTo(*record);
  SplitRecord(record, maxRecordData);
  list.AddRecord(std::move(record));
}

int32_t TMSODrawingGroup::ReadDrawingGroup(std::span<const uint8_t> data) {
  TMSOHeader container;
  if (!TMSOHeader::Read(data, 0, container) || container.Type != kFbtDggContainer) return kResultOk;
  const auto fail = [this] {
    ClearDrawingGroup();
    return kResultFail;
  };
  if (container.Length > data.size() - kMsoHeaderSize) return fail();
  const std::span<const uint8_t> children = data.subspan(kMsoHeaderSize, container.Length);
  size_t at = 0;
  while (at < children.size()) {
    TMSOHeader child;
    if (!TMSOHeader::Read(children, at, child) || child.Length > children.size() - at - kMsoHeaderSize) return fail();
    const std::span<const uint8_t> body = children.subspan(at + kMsoHeaderSize, child.Length);
    switch (child.Type) {
      case kFbtBStoreContainer:
        if (pictures_.Read(body) != kResultOk) return fail();
        break;
      case kFbtDgg:
        if (dgg_.Read(body) != kResultOk) return fail();
        break;
      case kFbtOpt:
        if (properties_.Read(body, child.Instance) != kResultOk) return fail();
        break;
      default:
        break;
    }
    at += kMsoHeaderSize + child.Length;
  }
  return kResultOk;
}

}  // namespace lx
