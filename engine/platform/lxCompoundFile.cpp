// Element names and the compound-file writer.
#include "lxCompoundFile.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "lxCompoundFileFormat.h"

namespace lx {

using namespace cfb;

// ---------------------------------------------------------------------------
// Names

bool IsValidCompoundName(std::u16string_view name) {
  if (name.empty() || name.size() > kCompoundMaxNameLength) return false;
  for (char16_t c : name) {
    if (c == u'/' || c == u'\\' || c == u':' || c == u'!' || c == 0) return false;
  }
  return true;
}

char16_t CompoundUpperCase(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c;
  if (c == 0xB5) return 0x039C;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  if (c == 0xFF) return 0x0178;
  if (c >= 0x0100 && c <= 0x017F) {
    // Latin Extended-A pairs an upper-case letter with the lower-case one
    // after it; the pairs start on even code points except in 0139-0148 and
    // 0179-017E.
    if (c == 0x0131) return u'I';
    if (c == 0x017F) return u'S';
    if (c == 0x0138 || c == 0x0149) return c;
    const bool oddPairs = (c >= 0x0139 && c <= 0x0148) || (c >= 0x0179 && c <= 0x017E);
    const bool lower = oddPairs ? (c % 2 == 0) : (c % 2 == 1);
    return lower ? static_cast<char16_t>(c - 1) : c;
  }
  if (c >= 0x03B1 && c <= 0x03CB) return c == 0x03C2 ? char16_t{0x03A3} : static_cast<char16_t>(c - 0x20);
  if (c == 0x03AC) return 0x0386;
  if (c >= 0x03AD && c <= 0x03AF) return static_cast<char16_t>(c - 0x25);
  if (c == 0x03CC) return 0x038C;
  if (c == 0x03CD || c == 0x03CE) return static_cast<char16_t>(c - 0x3F);
  if (c >= 0x0430 && c <= 0x044F) return static_cast<char16_t>(c - 0x20);
  if (c >= 0x0450 && c <= 0x045F) return static_cast<char16_t>(c - 0x50);
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 0x20);
  return c;
}

int CompareCompoundNames(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = 0; i < a.size(); ++i) {
    const char16_t x = CompoundUpperCase(a[i]);
    const char16_t y = CompoundUpperCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

namespace {

std::u16string NameKey(std::u16string_view name) {
  std::u16string key(name);
  for (char16_t& c : key) c = CompoundUpperCase(c);
  return key;
}

}  // namespace

// ---------------------------------------------------------------------------
// Writer streams and storages

bool TCompoundWriteStream::SetSource(int64_t size, TSource source) {
  if (!source || size_ != 0 || size < static_cast<int64_t>(kCompoundMiniStreamCutoff)) return false;
  source_ = std::move(source);
  size_ = size;
  return true;
}

bool TCompoundWriteStream::WriteContent(TStream& target) const {
  if (source_) {
    // The declared size is what the directory and the sector chains promise.
    const int64_t before = target.Seek(0, TSeekOrigin::soCurrent);
    if (!source_(target)) return false;
    const int64_t after = target.Seek(0, TSeekOrigin::soCurrent);
    return before < 0 || after < 0 || after - before == size_;
  }
  for (const TBlock& block : blocks_)
    if (!target.WriteAll(block.data(), static_cast<int64_t>(block.size()))) return false;
  return true;
}

int64_t TCompoundWriteStream::Read(void* buffer, int64_t count) {
  if (count < 0 || source_) return -1;
  const int64_t n = std::min(count, std::max<int64_t>(0, size_ - position_));
  auto* out = static_cast<uint8_t*>(buffer);
  for (int64_t done = 0; done < n;) {
    const auto at = static_cast<size_t>(position_);
    const TBlock& block = blocks_[at / kBlockSize];
    const size_t within = at % kBlockSize;
    const size_t k = std::min(block.size() - within, static_cast<size_t>(n - done));
    std::memcpy(out + done, block.data() + within, k);
    done += static_cast<int64_t>(k);
    position_ += static_cast<int64_t>(k);
  }
  return n;
}

void TCompoundWriteStream::TBlock::Reserve(size_t capacity) {
  if (capacity <= buffer_.Size()) return;
  TLargeBlock grown(capacity);
  if (size_ > 0) std::memcpy(grown.Data(), buffer_.Data(), size_);
  buffer_ = std::move(grown);
}

void TCompoundWriteStream::TBlock::Append(const uint8_t* bytes, size_t count) {
  if (bytes != nullptr)
    std::memcpy(data() + size_, bytes, count);
  else
    std::memset(data() + size_, 0, count);
  size_ += count;
}

void TCompoundWriteStream::Append(const uint8_t* bytes, size_t count) {
  while (count > 0) {
    if (blocks_.empty() || blocks_.back().size() == kBlockSize) {
      blocks_.emplace_back();
      // The first block grows with the stream, so that small streams stay
      // small; later ones are allocated whole (pages are touched only when
      // written).
      if (blocks_.size() > 1) blocks_.back().Reserve(kBlockSize);
    }
    TBlock& block = blocks_.back();
    const size_t k = std::min(count, kBlockSize - block.size());
    if (block.size() + k > block.capacity())
      block.Reserve(std::min(kBlockSize, std::max(block.size() + k, 2 * block.capacity())));
    block.Append(bytes, k);
    if (bytes != nullptr) bytes += k;
    size_ += static_cast<int64_t>(k);
    count -= k;
  }
}

int64_t TCompoundWriteStream::Write(const void* buffer, int64_t count) {
  if (count < 0 || source_ || OffsetPosition(position_, count) < 0) return -1;
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  int64_t done = 0;
  // Overwrite what lies before the end, then append the rest.
  while (done < count && position_ < size_) {
    const auto at = static_cast<size_t>(position_);
    TBlock& block = blocks_[at / kBlockSize];
    const size_t within = at % kBlockSize;
    const size_t k = std::min(block.size() - within, static_cast<size_t>(count - done));
    std::memcpy(block.data() + within, bytes + done, k);
    done += static_cast<int64_t>(k);
    position_ += static_cast<int64_t>(k);
  }
  if (done < count) {
    // A position past the end leaves a gap of zeros.
    if (position_ > size_) Append(nullptr, static_cast<size_t>(position_ - size_));
    Append(bytes + done, static_cast<size_t>(count - done));
    position_ += count - done;
  }
  return count;
}

int64_t TCompoundWriteStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  if (origin == TSeekOrigin::soCurrent) base = position_;
  if (origin == TSeekOrigin::soEnd) base = size_;
  const int64_t target = OffsetPosition(base, offset);
  if (target < 0) return -1;
  position_ = target;
  return position_;
}

const TCompoundWriteStorage::TChild* TCompoundWriteStorage::Find(std::u16string_view name) const {
  const auto it = index_.find(NameKey(name));
  return it == index_.end() ? nullptr : &children_[it->second];
}

TCompoundWriteStream* TCompoundWriteStorage::CreateStream(std::u16string_view name) {
  if (!IsValidCompoundName(name)) return nullptr;
  if (const TChild* existing = Find(name)) {
    if (!existing->stream) return nullptr;
    existing->stream->Truncate();
    return existing->stream.get();
  }
  index_.emplace(NameKey(name), children_.size());
  children_.push_back({std::u16string(name), nullptr, std::make_unique<TCompoundWriteStream>()});
  return children_.back().stream.get();
}

TCompoundWriteStorage* TCompoundWriteStorage::CreateStorage(std::u16string_view name) {
  if (!IsValidCompoundName(name) || Find(name) != nullptr) return nullptr;
  index_.emplace(NameKey(name), children_.size());
  children_.push_back({std::u16string(name), std::make_unique<TCompoundWriteStorage>(), nullptr});
  return children_.back().storage.get();
}

TCompoundWriteStream* TCompoundWriteStorage::OpenStream(std::u16string_view name) const {
  const TChild* child = Find(name);
  return child ? child->stream.get() : nullptr;
}

TCompoundWriteStorage* TCompoundWriteStorage::OpenStorage(std::u16string_view name) const {
  const TChild* child = Find(name);
  return child ? child->storage.get() : nullptr;
}

std::vector<TCompoundElement> TCompoundWriteStorage::EnumElements() const {
  std::vector<TCompoundElement> elements;
  elements.reserve(children_.size());
  for (const TChild& child : children_) {
    if (child.storage) {
      elements.push_back({child.name, TCompoundElementType::ceStorage, 0});
    } else {
      elements.push_back({child.name, TCompoundElementType::ceStream, static_cast<uint64_t>(child.stream->Length())});
    }
  }
  return elements;
}

// ---------------------------------------------------------------------------
// Serialisation

namespace {

// One directory entry as it will be written.
struct TFlatEntry {
  const std::u16string* name = nullptr;
  const TCompoundWriteStorage* storage = nullptr;  // root or storage
  const TCompoundWriteStream* stream = nullptr;
  uint8_t type = kTypeStorage;
  uint8_t color = kColorBlack;
  uint32_t left = kNoStream;
  uint32_t right = kNoStream;
  uint32_t child = kNoStream;
  uint32_t start = kEndOfChain;
  uint64_t size = 0;
};

// Links entries [lo, hi), already in sibling order, into a balanced binary
// tree and returns its top. Splitting at the middle leaves every empty link
// at depth d or d + 1, where d = floor(log2(n + 1)); colouring the nodes at
// depth d red (they exist only when the tree is not perfect) gives every path
// the same number of black nodes and never two reds in a row, so the result
// is a valid red-black tree with a black top.
uint32_t LinkSiblings(std::vector<TFlatEntry>& entries, uint32_t lo, uint32_t hi, uint32_t depth, uint32_t redDepth) {
  if (lo >= hi) return kNoStream;
  const uint32_t mid = lo + (hi - lo) / 2;
  entries[mid].left = LinkSiblings(entries, lo, mid, depth + 1, redDepth);
  entries[mid].right = LinkSiblings(entries, mid + 1, hi, depth + 1, redDepth);
  entries[mid].color = depth == redDepth ? kColorRed : kColorBlack;
  return mid;
}

uint32_t RedDepth(uint32_t count) {
  uint32_t d = 0;
  while ((uint64_t{2} << d) <= uint64_t{count} + 1) ++d;  // d = floor(log2(count + 1))
  const bool perfect = ((uint64_t{count} + 1) & uint64_t{count}) == 0;
  return perfect ? UINT32_MAX : d;
}

uint64_t CeilDiv(uint64_t a, uint64_t b) { return (a + b - 1) / b; }

// Flattens the tree breadth-first: entry 0 is the root, and the children of
// each storage get consecutive entries in sibling order.
std::vector<TFlatEntry> Flatten(const TCompoundWriteStorage& root, const std::u16string& rootName, auto childrenOf) {
  std::vector<TFlatEntry> entries;
  TFlatEntry top;
  top.name = &rootName;
  top.storage = &root;
  top.type = kTypeRoot;
  entries.push_back(top);
  for (size_t e = 0; e < entries.size(); ++e) {
    if (entries[e].storage == nullptr) continue;
    const auto& children = childrenOf(*entries[e].storage);
    std::vector<size_t> order(children.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](size_t a, size_t b) { return CompareCompoundNames(children[a].name, children[b].name) < 0; });
    const auto first = static_cast<uint32_t>(entries.size());
    for (size_t i : order) {
      TFlatEntry entry;
      entry.name = &children[i].name;
      entry.storage = children[i].storage.get();
      entry.stream = children[i].stream.get();
      entry.type = entry.storage ? kTypeStorage : kTypeStream;
      if (entry.stream) entry.size = static_cast<uint64_t>(entry.stream->Length());
      entries.push_back(entry);
    }
    const auto count = static_cast<uint32_t>(children.size());
    entries[e].child = LinkSiblings(entries, first, first + count, 0, RedDepth(count));
  }
  return entries;
}

void StoreEntry(uint8_t* p, const TFlatEntry& entry) {
  const std::u16string& name = *entry.name;
  for (size_t i = 0; i < name.size(); ++i) Store16(p + kDirName + 2 * i, name[i]);
  Store16(p + kDirNameLength, static_cast<uint16_t>((name.size() + 1) * 2));
  p[kDirType] = entry.type;
  p[kDirColor] = entry.color;
  Store32(p + kDirLeft, entry.left);
  Store32(p + kDirRight, entry.right);
  Store32(p + kDirChild, entry.child);
  Store32(p + kDirStart, entry.start);
  Store64(p + kDirSize, entry.size);
}

void StoreEmptyEntry(uint8_t* p) {
  Store32(p + kDirLeft, kNoStream);
  Store32(p + kDirRight, kNoStream);
  Store32(p + kDirChild, kNoStream);
}

// Marks sectors [first, first + count) as one chain in table.
void LinkChain(std::vector<uint32_t>& table, uint64_t first, uint64_t count) {
  for (uint64_t i = 0; i < count; ++i) {
    table[first + i] = i + 1 < count ? static_cast<uint32_t>(first + i + 1) : kEndOfChain;
  }
}

bool WriteTable(TStream& target, const std::vector<uint32_t>& table) {
  std::vector<uint8_t> bytes(table.size() * 4);
  for (size_t i = 0; i < table.size(); ++i) Store32(bytes.data() + 4 * i, table[i]);
  return target.WriteAll(bytes.data(), static_cast<int64_t>(bytes.size()));
}

}  // namespace

bool TCompoundFileWriter::Commit(TStream& target) const {
  const uint16_t shift = version_ == TCompoundVersion::cvVersion4 ? kSectorShiftV4 : kSectorShiftV3;
  const uint64_t ss = uint64_t{1} << shift;
  const uint64_t perSector = ss / 4;
  const uint64_t streamLimit = version_ == TCompoundVersion::cvVersion4 ? (uint64_t{1} << 48) : 0x80000000u;

  const std::u16string rootName(kRootName);
  std::vector<TFlatEntry> entries = Flatten(
      root_, rootName, [](const TCompoundWriteStorage& s) -> const auto& { return s.children_; });

  // Small streams go to the mini stream, one after the other.
  uint64_t miniSectors = 0;
  uint64_t largeSectors = 0;
  for (TFlatEntry& entry : entries) {
    if (entry.stream == nullptr || entry.size == 0) continue;
    if (entry.size > streamLimit) return false;
    if (entry.size < kCompoundMiniStreamCutoff) {
      entry.start = static_cast<uint32_t>(miniSectors);
      miniSectors += CeilDiv(entry.size, kMiniSectorSize);
    } else {
      largeSectors += CeilDiv(entry.size, ss);
    }
  }
  const uint64_t dirSectors = CeilDiv(entries.size() * kDirEntrySize, ss);
  const uint64_t miniFatSectors = CeilDiv(miniSectors * 4, ss);
  const uint64_t miniStreamSectors = CeilDiv(miniSectors * kMiniSectorSize, ss);
  const uint64_t dataSectors = dirSectors + miniFatSectors + miniStreamSectors + largeSectors;

  // The FAT must also cover its own sectors and the DIFAT sectors that list
  // the FAT sectors beyond the header's 109 slots.
  auto difatFor = [&](uint64_t fat) {
    return fat > kHeaderDifatSlots ? CeilDiv(fat - kHeaderDifatSlots, perSector - 1) : 0;
  };
  uint64_t fatSectors = std::max<uint64_t>(1, dataSectors / perSector);
  while (fatSectors * perSector < dataSectors + fatSectors + difatFor(fatSectors)) ++fatSectors;
  const uint64_t difatSectors = difatFor(fatSectors);
  const uint64_t totalSectors = fatSectors + difatSectors + dataSectors;
  if (totalSectors > kMaxRegSect || entries.size() > kMaxRegSect) return false;

  // Sector layout: FAT, DIFAT, directory, mini FAT, mini stream, large streams.
  std::vector<uint32_t> fat(fatSectors * perSector, kFreeSect);
  for (uint64_t s = 0; s < fatSectors; ++s) fat[s] = kFatSect;
  for (uint64_t s = 0; s < difatSectors; ++s) fat[fatSectors + s] = kDifSect;
  uint64_t next = fatSectors + difatSectors;
  const uint64_t dirStart = next;
  LinkChain(fat, dirStart, dirSectors);
  next += dirSectors;
  const uint64_t miniFatStart = next;
  LinkChain(fat, miniFatStart, miniFatSectors);
  next += miniFatSectors;
  const uint64_t miniStreamStart = next;
  LinkChain(fat, miniStreamStart, miniStreamSectors);
  next += miniStreamSectors;
  for (TFlatEntry& entry : entries) {
    if (entry.stream == nullptr || entry.size < kCompoundMiniStreamCutoff) continue;
    const uint64_t count = CeilDiv(entry.size, ss);
    entry.start = static_cast<uint32_t>(next);
    LinkChain(fat, next, count);
    next += count;
  }
  if (miniSectors > 0) {
    entries[0].start = static_cast<uint32_t>(miniStreamStart);
    entries[0].size = miniSectors * kMiniSectorSize;
  }

  // Header.
  std::vector<uint8_t> header(version_ == TCompoundVersion::cvVersion4 ? ss : kHeaderSize, 0);
  uint8_t* h = header.data();
  std::memcpy(h + kHdrSignature, kSignature, sizeof kSignature);
  Store16(h + kHdrMinorVersion, kMinorVersion);
  Store16(h + kHdrMajorVersion, static_cast<uint16_t>(version_));
  Store16(h + kHdrByteOrder, kByteOrderMark);
  Store16(h + kHdrSectorShift, shift);
  Store16(h + kHdrMiniSectorShift, kMiniSectorShift);
  // Version 3 files must leave the directory sector count at zero.
  if (version_ == TCompoundVersion::cvVersion4) Store32(h + kHdrDirSectorCount, static_cast<uint32_t>(dirSectors));
  Store32(h + kHdrFatSectorCount, static_cast<uint32_t>(fatSectors));
  Store32(h + kHdrFirstDirSector, static_cast<uint32_t>(dirStart));
  Store32(h + kHdrMiniStreamCutoff, kCompoundMiniStreamCutoff);
  Store32(h + kHdrFirstMiniFatSector, miniFatSectors ? static_cast<uint32_t>(miniFatStart) : kEndOfChain);
  Store32(h + kHdrMiniFatSectorCount, static_cast<uint32_t>(miniFatSectors));
  Store32(h + kHdrFirstDifatSector, difatSectors ? static_cast<uint32_t>(fatSectors) : kEndOfChain);
  Store32(h + kHdrDifatSectorCount, static_cast<uint32_t>(difatSectors));
  for (uint32_t i = 0; i < kHeaderDifatSlots; ++i) {
    Store32(h + kHdrDifat + 4 * i, i < fatSectors ? i : kFreeSect);
  }
  if (!target.WriteAll(header.data(), static_cast<int64_t>(header.size()))) return false;
  if (!WriteTable(target, fat)) return false;

  // DIFAT sectors: FAT sector numbers from the 110th on; the last slot of
  // each sector links to the next DIFAT sector.
  if (difatSectors > 0) {
    std::vector<uint32_t> difat(difatSectors * perSector, kFreeSect);
    for (uint64_t f = kHeaderDifatSlots; f < fatSectors; ++f) {
      const uint64_t k = f - kHeaderDifatSlots;
      difat[(k / (perSector - 1)) * perSector + k % (perSector - 1)] = static_cast<uint32_t>(f);
    }
    for (uint64_t d = 0; d < difatSectors; ++d) {
      difat[d * perSector + perSector - 1] =
          d + 1 < difatSectors ? static_cast<uint32_t>(fatSectors + d + 1) : kEndOfChain;
    }
    if (!WriteTable(target, difat)) return false;
  }

  // Directory; unused entries at the end of the last sector are left empty.
  {
    std::vector<uint8_t> dir(dirSectors * ss, 0);
    const uint64_t slots = dir.size() / kDirEntrySize;
    for (uint64_t i = 0; i < slots; ++i) {
      uint8_t* p = dir.data() + i * kDirEntrySize;
      if (i < entries.size()) {
        StoreEntry(p, entries[i]);
      } else {
        StoreEmptyEntry(p);
      }
    }
    if (!target.WriteAll(dir.data(), static_cast<int64_t>(dir.size()))) return false;
  }

  // Mini FAT and mini stream.
  if (miniSectors > 0) {
    std::vector<uint32_t> miniFat(miniFatSectors * perSector, kFreeSect);
    std::vector<uint8_t> mini(miniStreamSectors * ss, 0);
    for (const TFlatEntry& entry : entries) {
      if (entry.stream == nullptr || entry.size == 0 || entry.size >= kCompoundMiniStreamCutoff) continue;
      LinkChain(miniFat, entry.start, CeilDiv(entry.size, kMiniSectorSize));
      // A small stream fits in its first block.
      std::memcpy(mini.data() + uint64_t{entry.start} * kMiniSectorSize, entry.stream->Blocks()[0].data(), entry.size);
    }
    if (!WriteTable(target, miniFat)) return false;
    if (!target.WriteAll(mini.data(), static_cast<int64_t>(mini.size()))) return false;
  }

  // Large streams, each padded to a whole sector.
  const std::vector<uint8_t> padding(ss, 0);
  for (const TFlatEntry& entry : entries) {
    if (entry.stream == nullptr || entry.size < kCompoundMiniStreamCutoff) continue;
    if (!entry.stream->WriteContent(target)) return false;
    const uint64_t tail = (ss - entry.size % ss) % ss;
    if (tail > 0 && !target.WriteAll(padding.data(), static_cast<int64_t>(tail))) return false;
  }
  return true;
}

bool TCompoundFileWriter::CommitToFile(const std::u16string& fileName) const {
  TSaveFile file;
  if (!file.Open(fileName)) return false;
  if (!Commit(file.Stream())) return false;  // file's destructor removes the temporary file
  return file.Commit();
}

}  // namespace lx
