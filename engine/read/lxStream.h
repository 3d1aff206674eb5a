// The record reader: the records of a BIFF5 or BIFF8 workbook stream, one at
// a time, decrypted when the workbook is password-protected.
//
// TXLSReadStream finds the stream (the "Workbook" or "Book" stream of a
// compound document, or a bare record stream written straight to a file or a
// caller stream) and reads it once from start to end, never seeking. Each
// record is a 4-byte header (number, data length) and its data. When the
// workbook reader meets FILEPASS it calls StartDecryption; from then on record
// data is decrypted as it is read, except the data of BOF records and of the
// one record that follows FILEPASS. Headers are never encrypted. The key
// stream advances with every byte read, decrypted or not.
//
// Memory stays flat whatever the file's size: the stream is read through one
// fixed buffer that always holds a whole record, record data is handed out as
// a view into it (decrypted in place), and only a record that continues into
// CONTINUE records is copied, into its group (TXLSRecordGroup). No declared
// length makes the reader allocate: a record is at most 65,535 bytes, and a
// group grows only by bytes actually read.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "lxBLOB.h"
#include "lxDecryption.h"
#include "lxOLE.h"
#include "lxStreams.h"

namespace lx {

inline constexpr uint16_t kRecBOFBiff8 = 0x0809;

// One piece of a record group: a record's number and where its data lies in
// the group's data.
struct TXLSRecordPiece {
  uint16_t Number;
  uint32_t Offset;
  uint16_t Length;
};

// A record and the records that continue it, as one dispatch unit. Data() is
// the pieces' data concatenated; Pieces() tells where each piece starts (a
// string split across CONTINUE records repeats its option byte there).
class TXLSRecordGroup {
 public:
  uint16_t Number() const { return pieces_.empty() ? 0 : pieces_.front().Number; }
  std::span<const uint8_t> Data() const { return data_; }
  const std::vector<TXLSRecordPiece>& Pieces() const { return pieces_; }

 private:
  friend class TXLSReadStream;
  std::span<const uint8_t> data_;
  std::vector<TXLSRecordPiece> pieces_;
  std::vector<uint8_t> joined_;  // the data of a group of several pieces
};

// Whether the record numbered next joins the group that began with first:
// a CONTINUE record continues whatever precedes it.
inline bool ContinuesRecord(uint16_t /*first*/, uint16_t next) { return next == kRecContinue; }

class TXLSReadStream {
 public:
  // The password (may be empty) is tried after the default passwords when
  // the stream turns out to be protected.
  explicit TXLSReadStream(std::u16string password = {});
  ~TXLSReadStream();
  TXLSReadStream(const TXLSReadStream&) = delete;
  TXLSReadStream& operator=(const TXLSReadStream&) = delete;

  // Opens a compound document's workbook stream ("workbook", else "book"),
  // or else a bare record stream that starts with a BOF header of 4 to 30
  // bytes of data. 1; -3 when there is no workbook stream or the source is
  // neither. A caller stream must outlive the reading.
  [[nodiscard]] int32_t OpenSource(const std::u16string& fileName);
  [[nodiscard]] int32_t OpenSource(TStream& stream);

  // The next record header: 1, or 100 when fewer than 4 bytes are left.
  [[nodiscard]] int32_t ReadRecordHeader(uint16_t& number, uint16_t& length);
  // The data of the record whose header was just read, decrypted: a view into
  // the reader's buffer, valid until the next read or peek. 1; -1 when the
  // stream ends first. Length 0 gives an empty view.
  [[nodiscard]] int32_t ReadRecordData(uint16_t length, std::span<const uint8_t>& data);
  // The same data in a new record buffer (none for length 0).
  [[nodiscard]] int32_t ReadRecordData(uint16_t length, std::unique_ptr<TXLSBlob>& record);
  // The header of the next record without reading it: 1, or 100 at the end.
  [[nodiscard]] int32_t PeekRecordHeader(uint16_t& number, uint16_t& length);

  // The next record and every following record that joins(first, next)
  // accepts, as one group: 1, 100 at the end of the stream, -1 when a
  // record's data is cut short. A group of one record is not copied.
  template <class Joins>
  [[nodiscard]] int32_t ReadRecordGroup(TXLSRecordGroup& group, Joins joins);
  [[nodiscard]] int32_t ReadRecordGroup(TXLSRecordGroup& group) { return ReadRecordGroup(group, ContinuesRecord); }

  // Accepts the data of a FILEPASS record just read: 1, or the decryption
  // failure (decryption then stays off).
  [[nodiscard]] int32_t StartDecryption(std::span<const uint8_t> filePass);

  void CloseWorkbookStream();
  void CloseContainer();

  bool IsOpen() const { return source_ != nullptr; }
  bool IsCompound() const { return compound_; }
  bool Decrypting() const { return decrypting_; }
  // Bytes read so far, headers and data.
  uint64_t Position() const { return position_; }
  // The compound document, for the snapshots taken after a read.
  const TXLSContainer& Container() const { return container_; }

  // Room for the largest record and a good run of following bytes.
  static constexpr size_t kBufferSize = size_t{1} << 17;

 private:
  [[nodiscard]] int32_t OpenBare(TStream* stream, std::unique_ptr<TFileStream> file);
  // Makes at least count bytes available at pos_ (fewer at the end of the
  // stream); returns how many are.
  size_t Fill(size_t count);
  void Reset();

  std::u16string password_;
  TXLSContainer container_;
  std::unique_ptr<TFileStream> file_;  // a bare stream opened on a file name
  TStream* source_ = nullptr;
  bool compound_ = false;
  bool sourceEnded_ = false;

  std::vector<uint8_t> buffer_;
  size_t pos_ = 0;  // next unread byte in buffer_
  size_t end_ = 0;  // end of the bytes read into buffer_
  uint64_t position_ = 0;

  std::unique_ptr<TXLSDecrypter> decrypter_;
  bool decrypting_ = false;
  bool plainBody_ = false;
};

template <class Joins>
int32_t TXLSReadStream::ReadRecordGroup(TXLSRecordGroup& group, Joins joins) {
  group.pieces_.clear();
  group.joined_.clear();
  group.data_ = {};
  uint16_t number = 0, length = 0;
  int32_t result = ReadRecordHeader(number, length);
  if (result != kResultOk) return result;
  std::span<const uint8_t> data;
  if ((result = ReadRecordData(length, data)) != kResultOk) return result;
  group.pieces_.push_back({number, 0, length});
  group.data_ = data;
  const uint16_t first = number;
  // A peek may move the buffer's bytes; the first piece is copied before
  // that can happen, and only then.
  while (true) {
    if (group.joined_.empty() && end_ - pos_ < kRecordHeaderSize) {
      group.joined_.assign(group.data_.begin(), group.data_.end());
      group.data_ = group.joined_;
    }
    if (PeekRecordHeader(number, length) != kResultOk || !joins(first, number)) return kResultOk;
    if (group.pieces_.size() == 1 && group.joined_.empty()) group.joined_.assign(data.begin(), data.end());
    if ((result = ReadRecordHeader(number, length)) != kResultOk) return result;
    if ((result = ReadRecordData(length, data)) != kResultOk) return result;
    group.pieces_.push_back({number, static_cast<uint32_t>(group.joined_.size()), length});
    group.joined_.insert(group.joined_.end(), data.begin(), data.end());
    group.data_ = group.joined_;
  }
}

}  // namespace lx
