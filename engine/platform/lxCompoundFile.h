// Compound files: our own structured-storage writer and reader.
//
// An XLS file is a compound file (the OLE structured-storage layout published
// as MS-CFB): a small file system of storages (folders) and streams (files)
// packed into fixed-size sectors. This unit replaces the platform's
// structured-storage service. The writer builds the whole tree in memory and
// serialises it in one pass on Commit, as a version 3 file (512-byte sectors)
// unless asked for version 4. The reader parses a file held in memory, or
// reads a file or stream on demand keeping only its tables in memory; it
// accepts versions 3 and 4, and treats every input as hostile: the header, the FAT,
// every chain and the directory tree are validated once when the file is
// opened, so that nothing read later can point outside the file, loop or claim
// more bytes than the file holds.
//
// The operations mirror what the container layer (biff/lxOLE.h) needs from
// IStorage and IStream: CreateStream, CreateStorage, OpenStream, OpenStorage,
// EnumElements, and Read/Write/Seek on streams, which are TStreams.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "lxLargePages.h"
#include "lxStreams.h"

namespace lx {

// Element names hold at most 31 UTF-16 code units and none of / \ : !
inline constexpr size_t kCompoundMaxNameLength = 31;
// Streams shorter than this live in the mini stream, in 64-byte mini sectors.
inline constexpr uint32_t kCompoundMiniStreamCutoff = 4096;

enum class TCompoundElementType : uint8_t { ceStorage = 1, ceStream = 2 };

enum class TCompoundVersion : uint16_t { cvVersion3 = 3, cvVersion4 = 4 };

// One element of a storage, as enumeration reports it.
struct TCompoundElement {
  std::u16string Name;
  TCompoundElementType Type;
  uint64_t Size;  // 0 for storages
};

bool IsValidCompoundName(std::u16string_view name);
// Upper-cases one code unit the way element names are compared: ASCII,
// Latin-1, Latin Extended-A, basic Greek and Cyrillic, and full-width Latin
// letters; every other code unit (surrogates included) is left as it is.
char16_t CompoundUpperCase(char16_t c);
// The sibling order of the directory tree: a shorter name sorts first; names
// of equal length compare by their upper-cased code units. <0, 0 or >0.
int CompareCompoundNames(std::u16string_view a, std::u16string_view b);
inline bool SameCompoundName(std::u16string_view a, std::u16string_view b) { return CompareCompoundNames(a, b) == 0; }

// ---------------------------------------------------------------------------
// Writer

// A stream being written: its bytes live in memory until the file is
// committed. Reads, writes and seeks behave like a memory stream. The bytes
// are kept in blocks of kBlockSize so that a growing stream is never copied
// to a larger buffer; a block is one large page (lxLargePages.h).
class TCompoundWriteStream final : public TStream {
 public:
  static constexpr size_t kBlockSize = kLargePageSize;

  // One block: a buffer from AllocateLargeBlock and the bytes used in it.
  class TBlock {
   public:
    const uint8_t* data() const { return static_cast<const uint8_t*>(buffer_.Data()); }
    uint8_t* data() { return static_cast<uint8_t*>(buffer_.Data()); }
    size_t size() const { return size_; }
    size_t capacity() const { return buffer_.Size(); }
    // Room for at least `capacity` bytes; the content is kept.
    void Reserve(size_t capacity);
    // Appends count bytes (zeros when bytes is null); the caller has made
    // room for them.
    void Append(const uint8_t* bytes, size_t count);

   private:
    TLargeBlock buffer_;
    size_t size_ = 0;
  };

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }
  int64_t Length() const { return size_; }

  // The content in order; every block but the last holds kBlockSize bytes.
  const std::vector<TBlock>& Blocks() const { return blocks_; }
  // Drops the content (used when a stream is created again).
  void Truncate() {
    blocks_.clear();
    source_ = nullptr;
    size_ = 0;
    position_ = 0;
  }

  // Lets the content be written straight into the file at the commit
  // instead of being kept here: the stream takes `size` bytes that `source`
  // writes to the target then, so a large stream is never held twice. The
  // caller keeps what the source reads alive until the commit. Only for an
  // empty stream of at least kCompoundMiniStreamCutoff bytes (small streams
  // live in the mini stream, which is assembled in memory); false otherwise.
  // Reads and writes fail while a source is set.
  using TSource = std::function<bool(TStream& target)>;
  bool SetSource(int64_t size, TSource source);
  bool HasSource() const { return static_cast<bool>(source_); }
  // Writes the content to target: the source's bytes or the blocks.
  bool WriteContent(TStream& target) const;

 private:
  // Appends count bytes from bytes, or zeros when bytes is null.
  void Append(const uint8_t* bytes, size_t count);

  std::vector<TBlock> blocks_;
  TSource source_;
  int64_t size_ = 0;
  int64_t position_ = 0;
};

class TCompoundWriteStorage {
 public:
  TCompoundWriteStorage() = default;
  TCompoundWriteStorage(const TCompoundWriteStorage&) = delete;
  TCompoundWriteStorage& operator=(const TCompoundWriteStorage&) = delete;

  // Creates a stream, or empties the existing stream of that name and returns
  // it. nullptr for an invalid name or when a storage has that name. The
  // pointer stays valid as long as the writer.
  TCompoundWriteStream* CreateStream(std::u16string_view name);
  // Creates a child storage; nullptr for an invalid name or a name in use.
  TCompoundWriteStorage* CreateStorage(std::u16string_view name);
  // Finds a child by name, compared without regard to case.
  TCompoundWriteStream* OpenStream(std::u16string_view name) const;
  TCompoundWriteStorage* OpenStorage(std::u16string_view name) const;
  // The children in creation order.
  std::vector<TCompoundElement> EnumElements() const;

 private:
  friend class TCompoundFileWriter;
  struct TChild {
    std::u16string name;
    std::unique_ptr<TCompoundWriteStorage> storage;
    std::unique_ptr<TCompoundWriteStream> stream;
  };
  const TChild* Find(std::u16string_view name) const;

  std::vector<TChild> children_;
  // Upper-cased name -> index into children_.
  std::unordered_map<std::u16string, size_t> index_;
};

class TCompoundFileWriter {
 public:
  explicit TCompoundFileWriter(TCompoundVersion version = TCompoundVersion::cvVersion3) : version_(version) {}

  TCompoundWriteStorage& Root() { return root_; }
  TCompoundVersion Version() const { return version_; }

  // Serialises the whole document at the target's current position. False
  // when the target takes fewer bytes than offered or the document is too
  // large for the format (a version 3 stream is limited to 2 GB).
  bool Commit(TStream& target) const;
  // Commits to the file named fileName through TSaveFile (lxStreams.h): a
  // temporary file beside it replaces it only when everything was written, so
  // a failed save leaves an existing file untouched.
  bool CommitToFile(const std::u16string& fileName) const;

 private:
  TCompoundVersion version_;
  TCompoundWriteStorage root_;
};

// ---------------------------------------------------------------------------
// Reader

// Why a file was refused; cfNone after a successful open.
enum class TCompoundError : uint8_t {
  cfNone,
  cfTruncated,    // shorter than its header, or than a structure it declares
  cfSignature,    // not a compound file
  cfByteOrder,    // byte order mark other than FFFE
  cfVersion,      // unknown version, sector size or mini-sector size
  cfSectorIndex,  // a sector number outside the file
  cfChain,        // a chain that loops, shares sectors or ends too early
  cfStreamSize,   // a declared size larger than the file
  cfDirectory,    // bad directory index, cycle or entry type
  cfTooLarge,     // larger than memory allows
  cfIO,           // the file or stream could not be read
};

namespace detail {
struct TCompoundImage;
}

class TCompoundReadStream;

// A storage of an opened file: a small handle that keeps the file's bytes
// alive, so it may outlive the reader.
class TCompoundReadStorage {
 public:
  // The children in the order of the directory tree (sibling order).
  std::vector<TCompoundElement> EnumElements() const;
  // nullptr when there is no stream of that name (compared without regard to case).
  std::unique_ptr<TCompoundReadStream> OpenStream(std::u16string_view name) const;
  std::optional<TCompoundReadStorage> OpenStorage(std::u16string_view name) const;
  std::u16string Name() const;

 private:
  friend class TCompoundFileReader;
  TCompoundReadStorage(std::shared_ptr<const detail::TCompoundImage> image, uint32_t node)
      : image_(std::move(image)), node_(node) {}
  // Index of the child called name, or -1.
  int64_t FindChild(std::u16string_view name) const;

  std::shared_ptr<const detail::TCompoundImage> image_;
  uint32_t node_;
};

// A stream of an opened file, read in place from the file's bytes.
class TCompoundReadStream final : public TStream {
 public:
  TCompoundReadStream(std::shared_ptr<const detail::TCompoundImage> image, uint32_t node);
  int64_t Read(void* buffer, int64_t count) override;
  // Streams of an opened file are read-only.
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }

 private:
  std::shared_ptr<const detail::TCompoundImage> image_;
  uint32_t node_;
  int64_t size_;
  int64_t position_ = 0;
  size_t run_ = 0;  // the run that held the last byte read
};

class TCompoundFileReader {
 public:
  TCompoundFileReader();
  ~TCompoundFileReader();
  TCompoundFileReader(const TCompoundFileReader&) = delete;
  TCompoundFileReader& operator=(const TCompoundFileReader&) = delete;

  // Each Open parses and validates the whole structure; false when the input
  // is not a sound compound file (Error() tells why).
  bool Open(std::vector<uint8_t> bytes);
  // Reads the file's sectors as they are needed: only the file's tables are
  // held in memory, whatever its size.
  bool OpenFile(const std::u16string& fileName);
  // Reads the stream from its current position to its end, into memory.
  bool OpenStream(TStream& source);
  // Reads the document that starts at the source's current position as its
  // sectors are needed, seeking the source as it goes. The source must
  // outlive every storage and stream handed out.
  bool OpenSource(TStream& source);
  void Close();

  bool IsOpen() const { return image_ != nullptr; }
  TCompoundError Error() const { return error_; }
  // The version of the opened file (3 or 4); 0 when none is open.
  uint16_t Version() const;
  // The root storage; only valid while IsOpen().
  TCompoundReadStorage Root() const;

 private:
  bool OpenImage(std::shared_ptr<detail::TCompoundImage> image);
  bool OpenSource(TStream& source, std::unique_ptr<TStream> owned);

  std::shared_ptr<const detail::TCompoundImage> image_;
  TCompoundError error_ = TCompoundError::cfNone;
};

}  // namespace lx
