// Record buffers and record lists.
//
// Every BIFF record is assembled whole in a TXLSBlob: a little-endian byte
// buffer holding the 4-byte record header (number, payload length) and the
// payload. Finished records are appended in file order to a TXLSBlobList, which
// packs their bytes into 4048-byte chunks and later writes the chunks one after
// the other into a stream of the compound document. The reading side (workbook
// reader, drawing parser) uses the same classes to fetch byte ranges, numbers
// and strings back out.
//
// Records longer than the format's payload limit are split into CONTINUE
// records by SplitRecord, which knows nothing of the record's structure;
// records whose layout needs structure-aware continuation (the shared string
// table, the drawing group) split themselves before they get here.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "lxConstants.h"
#include "lxLargePages.h"

namespace lx {

class TStream;

// Record number of CONTINUE (the rest of a record longer than the payload limit).
inline constexpr uint16_t kRecContinue = 0x003C;
// Bytes of a record header: number and payload length, 16 bits each.
inline constexpr uint16_t kRecordHeaderSize = 4;
// Largest record payload in bytes.
inline constexpr uint16_t kMaxRecordDataBiff8 = 8224;
// Largest record payload of BIFF5 in bytes.
inline constexpr uint16_t kMaxRecordDataBiff5 = 2080;

// Frees a record buffer the blob owns; a lent one is left to its lender.
struct TXLSBufferDeleter {
  // Whether the buffer is the blob's own (freed with it) or lent.
  bool owned = true;
  // Frees an owned buffer.
  void operator()(uint8_t* buffer) const noexcept {
    if (owned) delete[] buffer;
  }
};

// A record buffer: bytes assembled little-endian, with a length (bytes written) within a capacity (bytes allocated).
// Owns its buffer unless lent one.
class TXLSBlob {
 public:
  // Allocates exactly `capacity` bytes (nothing when 0); length starts at 0.
  explicit TXLSBlob(uint32_t capacity = 0);
  // Works in `capacity` bytes at `buffer`, which stays the lender's: the
  // record lists lend their chunks slices of large blocks. Growing beyond
  // the capacity moves the content to a buffer of the blob's own.
  struct TLent {};
  // Works in the lent buffer (see above).
  TXLSBlob(uint8_t* buffer, uint32_t capacity, TLent);
  TXLSBlob(const TXLSBlob&) = delete;
  TXLSBlob& operator=(const TXLSBlob&) = delete;
  // Takes over other's buffer; other is left empty.
  TXLSBlob(TXLSBlob&& other) noexcept;
  // Frees the buffer and takes over other's.
  TXLSBlob& operator=(TXLSBlob&& other) noexcept;

  // The buffer (owned by the blob or its lender); null when nothing is allocated.
  uint8_t* Data() { return data_.get(); }
  // The buffer.
  const uint8_t* Data() const { return data_.get(); }
  // The bytes allocated.
  uint32_t Capacity() const { return capacity_; }
  // The bytes written.
  uint32_t Length() const { return length_; }
  // Length becomes the smaller of n and the capacity.
  void SetLength(uint32_t n) { length_ = n < capacity_ ? n : capacity_; }
  // Sets the length to 0, keeping the buffer.
  void Clear() { length_ = 0; }
  // Zeroes the whole buffer; the length stays.
  void ZeroFill();

  // Appenders write at offset Length() and advance it, growing the buffer to
  // exactly the size needed when the capacity is short.
  // The fixed-size appenders are inline: record assembly calls them for
  // every field of every cell record.
  void AddByte(uint8_t value) { AddScalar(value); }
  // Appends a 16-bit value.
  void AddWord(uint16_t value) { AddScalar(value); }
  // Appends a 32-bit value.
  void AddDWord(uint32_t value) { AddScalar(value); }
  // Appends an IEEE double.
  void AddDouble(double value) { AddScalar(value); }
  // Appends count bytes.
  void AddBytes(const void* bytes, uint32_t count);
  // Appends 8-bit text as it is.
  void AddAnsi(std::string_view text);
  // Appends UTF-16 text, two bytes a code unit.
  void AddWide(std::u16string_view text);
  // Appends other's written bytes.
  void AppendBlob(const TXLSBlob& other);
  // Appends count bytes of other starting at sourceOffset. Does not grow: the
  // caller has sized this buffer; bytes that do not fit, or that lie outside
  // other's written bytes, are not copied.
  void CopyFrom(const TXLSBlob& other, uint32_t sourceOffset, uint32_t count);
  // Copies count bytes of other to targetOffset (growing when needed); length
  // becomes the larger of length and targetOffset + count.
  void CopyAt(const TXLSBlob& other, uint32_t sourceOffset, uint32_t count, uint32_t targetOffset);

  // Patchers store at an offset without changing the length.
  void PutByte(uint32_t offset, uint8_t value);
  // Stores a 16-bit value at offset, growing the buffer when it ends before.
  void PutWord(uint32_t offset, uint16_t value);
  // Stores a 32-bit value at offset.
  void PutDWord(uint32_t offset, uint32_t value);
  // Stores a double at offset.
  void PutDouble(uint32_t offset, double value);
  // Stores UTF-16 text at offset, growing the buffer when needed.
  void PutWide(uint32_t offset, std::u16string_view text);

  // Readers look at the allocated bytes; anything outside reads as 0 (numbers)
  // or is cut off (texts), so a malformed record never reads out of bounds.
  uint8_t GetByte(uint32_t offset) const;
  // The 16-bit value at offset.
  uint16_t GetWord(uint32_t offset) const;
  // The 32-bit value at offset.
  uint32_t GetDWord(uint32_t offset) const;
  // The double at offset.
  double GetDouble(uint32_t offset) const;
  // count bytes as 8-bit text; the text ends before the first NUL.
  std::string GetAnsi(uint32_t offset, uint32_t count) const;
  // count bytes as UTF-16 (count / 2 code units); ends before the first NUL.
  std::u16string GetWide(uint32_t offset, uint32_t count) const;
  // Reads a BIFF string at position (advanced past it): a 1-byte (shortCount)
  // or 2-byte character count, then an option byte when hasOptions is set
  // (bit 0: 16-bit characters), then the characters; without an option byte
  // the characters are 8-bit. Characters past the buffer's end are dropped.
  std::u16string ReadUnicodeString(uint32_t& position, bool shortCount, bool hasOptions) const;

  // Writes Length() bytes; 1 when the stream took them all, -1 otherwise.
  [[nodiscard]] int32_t WriteToStream(TStream& stream) const;

 private:
  // Makes room for size bytes at offset (exact growth, no spare room).
  void Reserve(uint32_t offset, uint32_t size);
  // Stores a value little-endian at Length() (host order: the build refuses
  // big-endian hosts) and advances.
  template <class T>
  void AddScalar(T value) {
    if (capacity_ - length_ < sizeof(T)) Reserve(length_, sizeof(T));
    std::memcpy(data_.get() + length_, &value, sizeof(T));
    length_ += sizeof(T);
  }
  bool InBounds(uint32_t offset, uint32_t size) const { return offset <= capacity_ && size <= capacity_ - offset; }

  std::unique_ptr<uint8_t[], TXLSBufferDeleter> data_;
  uint32_t capacity_ = 0;
  uint32_t length_ = 0;
};

// Splits a record whose payload is longer than maxRecordData into the record
// itself (its length field set to maxRecordData) followed by CONTINUE records
// carrying the rest. A record within the limit is left as it is.
void SplitRecord(std::unique_ptr<TXLSBlob>& record, uint16_t maxRecordData);

// A record buffer with the header of a record of `payload` bytes written and
// room for exactly that payload. The length field keeps the low 16 bits of a
// longer payload until the record is split into CONTINUE records.
std::unique_ptr<TXLSBlob> NewRecord(uint16_t number, uint32_t payload);
// A whole record whose payload is one 16-bit value.
std::unique_ptr<TXLSBlob> WordRecord(uint16_t number, uint16_t value);

// A record list: the bytes of many records, kept in chunks in writing order, as they go into a stream. Owns its chunks.
class TXLSBlobList {
 public:
  // Records are packed into chunks of this many bytes.
  static constexpr uint16_t kChunkSize = 4048;

  TXLSBlobList() = default;
  TXLSBlobList(const TXLSBlobList&) = delete;
  TXLSBlobList& operator=(const TXLSBlobList&) = delete;
  // Takes over another list's chunks.
  TXLSBlobList(TXLSBlobList&&) noexcept = default;
  // Frees the chunks and takes over another list's.
  TXLSBlobList& operator=(TXLSBlobList&&) noexcept = default;

  // Appends the record's bytes; the record is freed afterwards.
  void AddRecord(std::unique_ptr<TXLSBlob> record);
  // Appends the record's bytes; the caller keeps the record.
  void AddRecord(const TXLSBlob& record);
  // Appends another list's bytes in order; the other list keeps its chunks.
  void AddList(const TXLSBlobList& other);

  // The number of chunks.
  uint32_t Count() const { return static_cast<uint32_t>(chunks_.size()); }
  // The chunk at index, or nullptr past the end.
  const TXLSBlob* Item(uint32_t index) const;
  // index == Count() appends the chunk (adding its length to Total); a lower
  // index replaces that chunk.
  void SetItem(uint32_t index, std::unique_ptr<TXLSBlob> chunk);
  // Number of bytes appended so far.
  uint32_t Total() const { return total_; }

  // Writes every chunk in order; stops at the first result other than 1.
  [[nodiscard]] int32_t WriteToStream(TStream& stream) const;
  // Copies count bytes starting at offset into a new buffer of capacity count.
  // -1 (and no buffer) when the range is not wholly inside the list.
  [[nodiscard]] int32_t ReadBytes(uint32_t offset, uint32_t count, std::unique_ptr<TXLSBlob>& result) const;
  // Reads an option byte (1: UTF-16 characters, else 8-bit) and count
  // characters at offset. consumed is 1 + the bytes of the characters.
  [[nodiscard]] int32_t ReadString(uint32_t offset, uint32_t count, std::u16string& text, uint32_t& consumed) const;

  // The whole byte stream, concatenated (for tests and small lists).
  std::vector<uint8_t> Bytes() const;

 private:
  // Record-sized appends that fit the current chunk are the common case.
  void AppendBytes(const uint8_t* bytes, uint32_t count) {
    if (count > 0 && count <= uint32_t{kChunkSize} - fill_) {
      TXLSBlob& chunk = *chunks_.back();
      std::memcpy(chunk.Data() + fill_, bytes, count);
      fill_ = static_cast<uint16_t>(fill_ + count);
      chunk.SetLength(fill_);
      total_ += count;
      return;
    }
    AppendAcrossChunks(bytes, count);
  }
  void AppendAcrossChunks(const uint8_t* bytes, uint32_t count);
  // A new empty chunk in the list's storage.
  std::unique_ptr<TXLSBlob> NewChunk();
  // Chunk index and offset in it of a list offset; false past the end.
  bool Locate(uint32_t offset, uint32_t& chunk, uint32_t& within) const;

  // The chunks' bytes: blocks that double from one chunk to a large page.
  TLargeBlockCarver storage_{kChunkSize};
  std::vector<std::unique_ptr<TXLSBlob>> chunks_;
  uint32_t total_ = 0;
  uint16_t fill_ = kChunkSize;
  // True while every chunk but the last is exactly kChunkSize long, so that
  // offsets map to chunks by division; SetItem can break it.
  bool uniform_ = true;
};

}  // namespace lx
