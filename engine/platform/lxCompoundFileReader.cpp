// The compound-file reader.
//
// Opening a file validates its whole structure once: the header, the FAT and
// its DIFAT, the directory chain, the mini stream and mini FAT, the directory
// tree, and the sector chain of every stream reached from the root. Each
// sector and mini sector may be claimed by one chain only; a chain that comes
// back to a claimed sector loops or overlaps another, and is refused. That one
// rule bounds every walk by the file's sector count and guarantees that all
// streams together never hold more bytes than the file, whatever the
// directory declares. Streams are then read in place through the runs
// recorded here, with no further checks needed.
#include <algorithm>
#include <cstring>
#include <new>

#include "lxCompoundFile.h"
#include "lxCompoundFileFormat.h"

namespace lx {

using namespace cfb;
using detail::TCompoundImage;
using detail::TCompoundNode;
using detail::TCompoundRun;

bool TCompoundImage::ReadAt(uint64_t offset, uint8_t* out, uint64_t count) const {
  if (source == nullptr) {
    std::memcpy(out, bytes.data() + offset, count);
    return true;
  }
  const uint64_t inFile = offset < fileSize ? std::min(count, fileSize - offset) : 0;
  if (inFile > 0) {
    const int64_t at = base + static_cast<int64_t>(offset);
    if (source->Seek(at, TSeekOrigin::soBeginning) != at) return false;
    if (!source->ReadExact(out, static_cast<int64_t>(inFile))) return false;
  }
  std::memset(out + inFile, 0, count - inFile);
  return true;
}

namespace {

// A source that fails while the structure is parsed ends the open.
struct TSourceFailure {};

class TCompoundParser {
 public:
  explicit TCompoundParser(TCompoundImage& image) : image_(image) {}

  TCompoundError Parse() {
    if (TCompoundError e = ReadHeader(); e != TCompoundError::cfNone) return e;
    if (TCompoundError e = ReadFat(); e != TCompoundError::cfNone) return e;
    if (TCompoundError e = ReadDirectoryChain(); e != TCompoundError::cfNone) return e;
    if (TCompoundError e = ReadMiniStream(); e != TCompoundError::cfNone) return e;
    return ReadTree();
  }

 private:
  const uint8_t* Header() const { return header_; }
  // Sector s starts after the header sector.
  uint64_t SectorOffset(uint32_t s) const { return (uint64_t{s} + 1) * sectorSize_; }
  // The bytes of sector s, valid until the next call.
  const uint8_t* Sector(uint32_t s) {
    if (image_.source == nullptr) return image_.bytes.data() + SectorOffset(s);
    scratch_.resize(sectorSize_);
    if (!image_.ReadAt(SectorOffset(s), scratch_.data(), sectorSize_)) throw TSourceFailure{};
    return scratch_.data();
  }
  const uint8_t* Entry(uint32_t id) const { return directory_.data() + uint64_t{id} * kDirEntrySize; }
  // Sizes in version 3 files are 32-bit; older writers left garbage in the
  // high half, which is ignored.
  uint64_t EntrySize(const uint8_t* entry) const {
    const uint64_t size = Load64(entry + kDirSize);
    return image_.version == 3 ? (size & 0xFFFFFFFFu) : size;
  }

  TCompoundError ReadHeader() {
    const uint64_t size = image_.source != nullptr ? image_.fileSize : image_.bytes.size();
    if (size < kHeaderSize) return TCompoundError::cfTruncated;
    if (!image_.ReadAt(0, header_, kHeaderSize)) return TCompoundError::cfIO;
    const uint8_t* h = header_;
    if (std::memcmp(h + kHdrSignature, kSignature, sizeof kSignature) != 0) return TCompoundError::cfSignature;
    if (Load16(h + kHdrByteOrder) != kByteOrderMark) return TCompoundError::cfByteOrder;
    const uint16_t major = Load16(h + kHdrMajorVersion);
    const uint16_t shift = Load16(h + kHdrSectorShift);
    if (!((major == 3 && shift == kSectorShiftV3) || (major == 4 && shift == kSectorShiftV4))) {
      return TCompoundError::cfVersion;
    }
    if (Load16(h + kHdrMiniSectorShift) != kMiniSectorShift ||
        Load32(h + kHdrMiniStreamCutoff) != kCompoundMiniStreamCutoff) {
      return TCompoundError::cfVersion;
    }
    image_.version = major;
    sectorSize_ = uint64_t{1} << shift;
    // A last sector cut short is read as if padded with zeros, so that every
    // sector below sectorCount_ can be read whole.
    sectorCount_ = size > sectorSize_ ? (size - sectorSize_ + sectorSize_ - 1) / sectorSize_ : 0;
    if (sectorCount_ > kMaxRegSect) return TCompoundError::cfTooLarge;
    fileSize_ = size;
    if (sectorCount_ > 0 && image_.source == nullptr) image_.bytes.resize((sectorCount_ + 1) * sectorSize_, 0);
    claimed_.assign(sectorCount_, 0);
    return TCompoundError::cfNone;
  }

  TCompoundError Claim(std::vector<uint8_t>& claimed, uint32_t s) {
    if (claimed[s]) return TCompoundError::cfChain;
    claimed[s] = 1;
    return TCompoundError::cfNone;
  }

  // The FAT sectors are listed in the header's 109 slots, then in a chain of
  // DIFAT sectors whose last slot links to the next.
  TCompoundError ReadFat() {
    const uint32_t fatCount = Load32(Header() + kHdrFatSectorCount);
    if (fatCount == 0 || fatCount > sectorCount_) return TCompoundError::cfTruncated;
    const uint32_t perSector = static_cast<uint32_t>(sectorSize_ / 4);
    std::vector<uint32_t> fatSectors;
    fatSectors.reserve(fatCount);
    for (uint32_t i = 0; i < fatCount && i < kHeaderDifatSlots; ++i) {
      fatSectors.push_back(Load32(Header() + kHdrDifat + 4 * i));
    }
    uint32_t difat = Load32(Header() + kHdrFirstDifatSector);
    while (fatSectors.size() < fatCount) {
      if (difat == kEndOfChain || difat == kFreeSect) return TCompoundError::cfTruncated;
      if (difat >= sectorCount_) return TCompoundError::cfSectorIndex;
      if (Claim(claimed_, difat) != TCompoundError::cfNone) return TCompoundError::cfChain;
      const uint8_t* p = Sector(difat);
      for (uint32_t i = 0; i + 1 < perSector && fatSectors.size() < fatCount; ++i) {
        fatSectors.push_back(Load32(p + 4 * i));
      }
      difat = Load32(p + 4 * (perSector - 1));
    }
    fat_.resize(uint64_t{fatCount} * perSector);
    for (uint32_t i = 0; i < fatCount; ++i) {
      const uint32_t s = fatSectors[i];
      if (s >= sectorCount_) return TCompoundError::cfSectorIndex;
      if (Claim(claimed_, s) != TCompoundError::cfNone) return TCompoundError::cfChain;
      const uint8_t* p = Sector(s);
      for (uint32_t k = 0; k < perSector; ++k) fat_[uint64_t{i} * perSector + k] = Load32(p + 4 * k);
    }
    return TCompoundError::cfNone;
  }

  // Follows a chain from start to its end, claiming each sector, and leaves
  // its sectors in chain_. limit is the number of (mini) sectors that exist.
  TCompoundError Walk(const std::vector<uint32_t>& table, uint64_t limit, std::vector<uint8_t>& claimed,
                      uint32_t start) {
    chain_.clear();
    for (uint32_t s = start; s != kEndOfChain; s = table[s]) {
      if (s > kMaxRegSect) return TCompoundError::cfChain;  // free or reserved mark inside a chain
      if (s >= limit) return TCompoundError::cfSectorIndex;
      if (s >= table.size()) return TCompoundError::cfChain;  // no table entry says where it goes
      if (Claim(claimed, s) != TCompoundError::cfNone) return TCompoundError::cfChain;
      chain_.push_back(s);
    }
    return TCompoundError::cfNone;
  }

  TCompoundError ReadDirectoryChain() {
    const uint32_t first = Load32(Header() + kHdrFirstDirSector);
    if (first == kEndOfChain) return TCompoundError::cfDirectory;
    if (TCompoundError e = Walk(fat_, sectorCount_, claimed_, first); e != TCompoundError::cfNone) return e;
    dirSectors_ = chain_;
    entryCount_ = dirSectors_.size() * (sectorSize_ / kDirEntrySize);
    // The directory is read once: its entries are looked at many times.
    directory_.resize(dirSectors_.size() * sectorSize_);
    for (size_t i = 0; i < dirSectors_.size(); ++i) {
      std::memcpy(directory_.data() + i * sectorSize_, Sector(dirSectors_[i]), sectorSize_);
    }
    if (Entry(0)[kDirType] != kTypeRoot) return TCompoundError::cfDirectory;
    return TCompoundError::cfNone;
  }

  TCompoundError ReadMiniStream() {
    const uint8_t* root = Entry(0);
    const uint64_t size = EntrySize(root);
    if (size > 0) {
      if (size > fileSize_) return TCompoundError::cfStreamSize;
      TCompoundError e = Walk(fat_, sectorCount_, claimed_, Load32(root + kDirStart));
      if (e != TCompoundError::cfNone) return e;
      if (chain_.size() < (size + sectorSize_ - 1) / sectorSize_) return TCompoundError::cfChain;
      miniStreamSectors_ = chain_;
      miniSectorCount_ = (size + kMiniSectorSize - 1) / kMiniSectorSize;
    }
    const uint32_t first = Load32(Header() + kHdrFirstMiniFatSector);
    if (first != kEndOfChain) {
      if (TCompoundError e = Walk(fat_, sectorCount_, claimed_, first); e != TCompoundError::cfNone) return e;
      const uint32_t perSector = static_cast<uint32_t>(sectorSize_ / 4);
      miniFat_.resize(chain_.size() * perSector);
      for (size_t i = 0; i < chain_.size(); ++i) {
        const uint8_t* p = Sector(chain_[i]);
        for (uint32_t k = 0; k < perSector; ++k) miniFat_[i * perSector + k] = Load32(p + 4 * k);
      }
    }
    miniClaimed_.assign(miniSectorCount_, 0);
    return TCompoundError::cfNone;
  }

  void AddRun(TCompoundNode& node, uint64_t streamOffset, uint64_t fileOffset, uint64_t length) {
    std::vector<TCompoundRun>& runs = image_.runs;
    if (node.runCount > 0) {
      TCompoundRun& last = runs.back();
      if (last.fileOffset + last.length == fileOffset) {
        last.length += length;
        return;
      }
    }
    runs.push_back({streamOffset, fileOffset, length});
    ++node.runCount;
  }

  TCompoundError ReadStreamRuns(TCompoundNode& node, uint32_t start) {
    node.firstRun = static_cast<uint32_t>(image_.runs.size());
    const uint64_t size = node.size;
    if (size == 0) return TCompoundError::cfNone;
    if (size > fileSize_) return TCompoundError::cfStreamSize;
    if (size < kCompoundMiniStreamCutoff) {
      if (TCompoundError e = Walk(miniFat_, miniSectorCount_, miniClaimed_, start); e != TCompoundError::cfNone) {
        return e;
      }
      const uint64_t needed = (size + kMiniSectorSize - 1) / kMiniSectorSize;
      if (chain_.size() < needed) return TCompoundError::cfChain;
      for (uint64_t i = 0; i < needed; ++i) {
        const uint64_t at = uint64_t{chain_[i]} * kMiniSectorSize;
        const uint64_t fileOffset = SectorOffset(miniStreamSectors_[at / sectorSize_]) + at % sectorSize_;
        AddRun(node, i * kMiniSectorSize, fileOffset, std::min<uint64_t>(kMiniSectorSize, size - i * kMiniSectorSize));
      }
    } else {
      if (TCompoundError e = Walk(fat_, sectorCount_, claimed_, start); e != TCompoundError::cfNone) return e;
      const uint64_t needed = (size + sectorSize_ - 1) / sectorSize_;
      if (chain_.size() < needed) return TCompoundError::cfChain;
      for (uint64_t i = 0; i < needed; ++i) {
        AddRun(node, i * sectorSize_, SectorOffset(chain_[i]), std::min(sectorSize_, size - i * sectorSize_));
      }
    }
    return TCompoundError::cfNone;
  }

  static std::u16string EntryName(const uint8_t* entry) {
    const uint32_t units = std::min<uint32_t>(Load16(entry + kDirNameLength) / 2, kDirNameBytes / 2);
    std::u16string name;
    for (uint32_t i = 0; i < units; ++i) {
      const char16_t c = Load16(entry + kDirName + 2 * i);
      if (c == 0) break;
      name.push_back(c);
    }
    return name;
  }

  // Walks each storage's sibling tree in order (left, node, right) with an
  // explicit stack; an entry reached twice means the tree has a cycle or
  // shares a subtree.
  TCompoundError ReadTree() {
    std::vector<uint8_t> visited(entryCount_, 0);
    std::vector<uint32_t> nodeEntry{0};
    visited[0] = 1;
    TCompoundNode root;
    root.name = EntryName(Entry(0));
    root.type = kTypeRoot;
    image_.nodes.push_back(std::move(root));
    std::vector<uint32_t> stack;
    for (size_t k = 0; k < image_.nodes.size(); ++k) {
      if (image_.nodes[k].type == kTypeStream) continue;
      uint32_t id = Load32(Entry(nodeEntry[k]) + kDirChild);
      stack.clear();
      while (id != kNoStream || !stack.empty()) {
        while (id != kNoStream) {
          if (id >= entryCount_ || visited[id]) return TCompoundError::cfDirectory;
          visited[id] = 1;
          stack.push_back(id);
          id = Load32(Entry(id) + kDirLeft);
        }
        id = stack.back();
        stack.pop_back();
        const uint8_t* entry = Entry(id);
        TCompoundNode node;
        node.type = entry[kDirType];
        if (node.type != kTypeStorage && node.type != kTypeStream) return TCompoundError::cfDirectory;
        node.name = EntryName(entry);
        if (node.type == kTypeStream) {
          node.size = EntrySize(entry);
          if (TCompoundError e = ReadStreamRuns(node, Load32(entry + kDirStart)); e != TCompoundError::cfNone) {
            return e;
          }
        }
        const auto index = static_cast<uint32_t>(image_.nodes.size());
        image_.nodes.push_back(std::move(node));
        nodeEntry.push_back(id);
        image_.nodes[k].children.push_back(index);
        id = Load32(entry + kDirRight);
      }
      IndexByName(image_.nodes[k]);
    }
    return TCompoundError::cfNone;
  }

  void IndexByName(TCompoundNode& storage) {
    const std::vector<TCompoundNode>& nodes = image_.nodes;
    storage.byName = storage.children;
    std::stable_sort(storage.byName.begin(), storage.byName.end(), [&nodes](uint32_t a, uint32_t b) {
      return CompareCompoundNames(nodes[a].name, nodes[b].name) < 0;
    });
  }

  TCompoundImage& image_;
  uint64_t sectorSize_ = 0;
  uint64_t sectorCount_ = 0;
  uint64_t fileSize_ = 0;
  uint64_t entryCount_ = 0;
  uint64_t miniSectorCount_ = 0;
  std::vector<uint32_t> fat_;
  std::vector<uint32_t> miniFat_;
  std::vector<uint8_t> claimed_;
  std::vector<uint8_t> miniClaimed_;
  std::vector<uint32_t> dirSectors_;
  std::vector<uint32_t> miniStreamSectors_;
  std::vector<uint32_t> chain_;
  uint8_t header_[kHeaderSize] = {};
  std::vector<uint8_t> directory_;
  std::vector<uint8_t> scratch_;
};

}  // namespace

// ---------------------------------------------------------------------------

TCompoundFileReader::TCompoundFileReader() = default;
TCompoundFileReader::~TCompoundFileReader() = default;

bool TCompoundFileReader::OpenImage(std::shared_ptr<TCompoundImage> image) {
  try {
    TCompoundParser parser(*image);
    error_ = parser.Parse();
    if (error_ == TCompoundError::cfNone) image_ = std::move(image);
  } catch (const std::bad_alloc&) {
    error_ = TCompoundError::cfTooLarge;
  } catch (const TSourceFailure&) {
    error_ = TCompoundError::cfIO;
  }
  return IsOpen();
}

bool TCompoundFileReader::Open(std::vector<uint8_t> bytes) {
  Close();
  auto image = std::make_shared<TCompoundImage>();
  image->bytes = std::move(bytes);
  return OpenImage(std::move(image));
}

bool TCompoundFileReader::OpenSource(TStream& source, std::unique_ptr<TStream> owned) {
  Close();
  const int64_t position = source.Position();
  const int64_t size = source.Size();
  if (position < 0 || size < 0) {
    error_ = TCompoundError::cfIO;
    return false;
  }
  auto image = std::make_shared<TCompoundImage>();
  image->source = &source;
  image->ownedSource = std::move(owned);
  image->base = position;
  image->fileSize = static_cast<uint64_t>(std::max<int64_t>(0, size - position));
  return OpenImage(std::move(image));
}

bool TCompoundFileReader::OpenSource(TStream& source) { return OpenSource(source, nullptr); }

bool TCompoundFileReader::OpenStream(TStream& source) {
  Close();
  const int64_t position = source.Position();
  const int64_t size = source.Size();
  if (position < 0 || size < 0) {
    error_ = TCompoundError::cfIO;
    return false;
  }
  const int64_t count = std::max<int64_t>(0, size - position);
  std::vector<uint8_t> bytes;
  try {
    // Room for padding a short last sector without moving the bytes.
    bytes.reserve(static_cast<size_t>(count) + (uint64_t{1} << kSectorShiftV4));
  } catch (const std::exception&) {
    error_ = TCompoundError::cfTooLarge;
    return false;
  }
  // Read through a small buffer and appended: the image is written once,
  // where sizing it first would clear all of it before the read fills it.
  constexpr int64_t kChunk = 64 * 1024;
  std::vector<uint8_t> chunk(static_cast<size_t>(std::min(count, kChunk)));
  for (int64_t done = 0; done < count;) {
    const int64_t want = std::min(kChunk, count - done);
    if (!source.ReadExact(chunk.data(), want)) {
      error_ = TCompoundError::cfIO;
      return false;
    }
    bytes.insert(bytes.end(), chunk.begin(), chunk.begin() + want);
    done += want;
  }
  return Open(std::move(bytes));
}

bool TCompoundFileReader::OpenFile(const std::u16string& fileName) {
  Close();
  // Only a regular file is read: a directory has no bytes to give, and a
  // named pipe or a device could block or never end.
  std::unique_ptr<TFileStream> file = OpenRegularFile(fileName);
  if (!file) {
    error_ = TCompoundError::cfIO;
    return false;
  }
  TStream& source = *file;
  return OpenSource(source, std::move(file));
}

void TCompoundFileReader::Close() {
  image_.reset();
  error_ = TCompoundError::cfNone;
}

uint16_t TCompoundFileReader::Version() const { return image_ ? image_->version : 0; }

TCompoundReadStorage TCompoundFileReader::Root() const { return TCompoundReadStorage(image_, 0); }

// ---------------------------------------------------------------------------

std::u16string TCompoundReadStorage::Name() const { return image_ ? image_->nodes[node_].name : std::u16string(); }

std::vector<TCompoundElement> TCompoundReadStorage::EnumElements() const {
  std::vector<TCompoundElement> elements;
  if (!image_) return elements;
  for (uint32_t child : image_->nodes[node_].children) {
    const TCompoundNode& node = image_->nodes[child];
    const bool storage = node.type == kTypeStorage;
    elements.push_back({node.name, storage ? TCompoundElementType::ceStorage : TCompoundElementType::ceStream,
                        storage ? 0 : node.size});
  }
  return elements;
}

int64_t TCompoundReadStorage::FindChild(std::u16string_view name) const {
  if (!image_) return -1;
  // A binary search: a walk that opens every child of a large storage by
  // name stays near-linear in the number of children.
  const std::vector<TCompoundNode>& nodes = image_->nodes;
  const std::vector<uint32_t>& byName = nodes[node_].byName;
  const auto it = std::lower_bound(byName.begin(), byName.end(), name, [&nodes](uint32_t child, std::u16string_view n) {
    return CompareCompoundNames(nodes[child].name, n) < 0;
  });
  if (it == byName.end() || !SameCompoundName(nodes[*it].name, name)) return -1;
  return *it;
}

std::unique_ptr<TCompoundReadStream> TCompoundReadStorage::OpenStream(std::u16string_view name) const {
  const int64_t child = FindChild(name);
  if (child < 0 || image_->nodes[child].type != kTypeStream) return nullptr;
  return std::make_unique<TCompoundReadStream>(image_, static_cast<uint32_t>(child));
}

std::optional<TCompoundReadStorage> TCompoundReadStorage::OpenStorage(std::u16string_view name) const {
  const int64_t child = FindChild(name);
  if (child < 0 || image_->nodes[child].type != kTypeStorage) return std::nullopt;
  return TCompoundReadStorage(image_, static_cast<uint32_t>(child));
}

// ---------------------------------------------------------------------------

TCompoundReadStream::TCompoundReadStream(std::shared_ptr<const TCompoundImage> image, uint32_t node)
    : image_(std::move(image)), node_(node), size_(static_cast<int64_t>(image_->nodes[node].size)) {}

int64_t TCompoundReadStream::Read(void* buffer, int64_t count) {
  if (count < 0) return -1;
  if (position_ >= size_ || count == 0) return 0;
  const int64_t n = std::min(count, size_ - position_);
  const TCompoundNode& node = image_->nodes[node_];
  const TCompoundRun* runs = image_->runs.data() + node.firstRun;
  const auto pos = static_cast<uint64_t>(position_);
  if (run_ >= node.runCount || pos < runs[run_].streamOffset || pos >= runs[run_].streamOffset + runs[run_].length) {
    // Runs are sorted by stream offset and cover the stream without gaps.
    const TCompoundRun* after = std::upper_bound(runs, runs + node.runCount, pos,
                                                 [](uint64_t p, const TCompoundRun& r) { return p < r.streamOffset; });
    run_ = static_cast<size_t>(after - runs) - 1;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t done = 0;
  while (done < n) {
    const TCompoundRun& run = runs[run_];
    const uint64_t within = static_cast<uint64_t>(position_) - run.streamOffset;
    const uint64_t k = std::min<uint64_t>(run.length - within, static_cast<uint64_t>(n - done));
    if (!image_->ReadAt(run.fileOffset + within, out + done, k)) return -1;
    done += static_cast<int64_t>(k);
    position_ += static_cast<int64_t>(k);
    if (within + k == run.length && run_ + 1 < node.runCount) ++run_;
  }
  return n;
}

int64_t TCompoundReadStream::Write(const void*, int64_t) { return -1; }

int64_t TCompoundReadStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  if (origin == TSeekOrigin::soCurrent) base = position_;
  if (origin == TSeekOrigin::soEnd) base = size_;
  const int64_t target = OffsetPosition(base, offset);
  if (target < 0) return -1;
  position_ = target;
  return position_;
}

}  // namespace lx
