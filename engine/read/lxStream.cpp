// The record reader; see lxStream.h.
#include "lxStream.h"

#include <algorithm>
#include <cstring>

#include "lxConstants.h"

namespace lx {

namespace {

// A bare record stream must start with a BOF whose data length is plausible
// for any BIFF version that has one.
constexpr uint16_t kBareBOFMinLength = 4;
constexpr uint16_t kBareBOFMaxLength = 30;

}  // namespace

TXLSReadStream::TXLSReadStream(std::u16string password) : password_(std::move(password)) {}

TXLSReadStream::~TXLSReadStream() { CloseContainer(); }

void TXLSReadStream::Reset() {
  source_ = nullptr;
  file_.reset();
  compound_ = false;
  sourceEnded_ = false;
  buffer_.clear();
  pos_ = end_ = 0;
  position_ = 0;
  decrypter_.reset();
  decrypting_ = false;
  plainBody_ = false;
}

int32_t TXLSReadStream::OpenSource(const std::u16string& fileName) {
  CloseContainer();
  if (container_.OpenContainer(fileName, nullptr) == kResultOk) {
    if (container_.OpenWorkbookStream() != kResultOk) {
      container_.CloseContainer();
      return kResultCreateMemoryFailed;
    }
    source_ = container_.WorkbookStream();
    compound_ = true;
    return kResultOk;
  }
  std::unique_ptr<TFileStream> file = OpenRegularFile(fileName);
  if (!file) return kResultCreateMemoryFailed;
  return OpenBare(nullptr, std::move(file));
}

int32_t TXLSReadStream::OpenSource(TStream& stream) {
  CloseContainer();
  if (container_.OpenContainer(u"", &stream) == kResultOk) {
    if (container_.OpenWorkbookStream() != kResultOk) {
      container_.CloseContainer();
      return kResultCreateMemoryFailed;
    }
    source_ = container_.WorkbookStream();
    compound_ = true;
    return kResultOk;
  }
  return OpenBare(&stream, nullptr);
}

int32_t TXLSReadStream::OpenBare(TStream* stream, std::unique_ptr<TFileStream> file) {
  TStream& source = file ? *file : *stream;
  if (source.Seek(0, TSeekOrigin::soBeginning) != 0) return kResultCreateMemoryFailed;
  uint8_t header[kRecordHeaderSize];
  const bool ok = source.ReadExact(header, kRecordHeaderSize);
  const uint16_t number = static_cast<uint16_t>(header[0] | (header[1] << 8));
  const uint16_t length = static_cast<uint16_t>(header[2] | (header[3] << 8));
  if (!ok || number != kRecBOFBiff8 || length < kBareBOFMinLength || length > kBareBOFMaxLength ||
      source.Seek(0, TSeekOrigin::soBeginning) != 0) {
    return kResultCreateMemoryFailed;
  }
  file_ = std::move(file);
  source_ = &source;
  return kResultOk;
}

size_t TXLSReadStream::Fill(size_t count) {
  size_t available = end_ - pos_;
  if (available >= count || source_ == nullptr || sourceEnded_) return available;
  if (buffer_.empty()) {
    // No record reaches beyond the end of the stream, so a short stream gets
    // a buffer of its own size: a declared length can never make the reader
    // allocate more than the stream holds.
    const int64_t size = source_->Size();
    const int64_t at = source_->Position();
    const uint64_t left = size >= 0 && at >= 0 && size >= at ? static_cast<uint64_t>(size - at) : kBufferSize;
    buffer_.resize(static_cast<size_t>(std::min<uint64_t>(kBufferSize, left)));
  }
  if (pos_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + pos_, available);
    pos_ = 0;
    end_ = available;
  }
  // Fill the whole buffer: one large read serves many small records.
  while (end_ < buffer_.size()) {
    const int64_t n = source_->Read(buffer_.data() + end_, static_cast<int64_t>(buffer_.size() - end_));
    if (n <= 0) {
      sourceEnded_ = true;
      break;
    }
    end_ += static_cast<size_t>(n);
  }
  return end_ - pos_;
}

int32_t TXLSReadStream::ReadRecordHeader(uint16_t& number, uint16_t& length) {
  number = length = 0;
  const size_t available = Fill(kRecordHeaderSize);
  if (decrypting_) decrypter_->Skip(kRecordHeaderSize);
  if (available < kRecordHeaderSize) {
    position_ += available;
    pos_ = end_;
    return kResultEndOfStream;
  }
  const uint8_t* p = buffer_.data() + pos_;
  number = static_cast<uint16_t>(p[0] | (p[1] << 8));
  length = static_cast<uint16_t>(p[2] | (p[3] << 8));
  pos_ += kRecordHeaderSize;
  position_ += kRecordHeaderSize;
  if (number == kRecBOFBiff8) plainBody_ = true;
  return kResultOk;
}

int32_t TXLSReadStream::PeekRecordHeader(uint16_t& number, uint16_t& length) {
  number = length = 0;
  if (Fill(kRecordHeaderSize) < kRecordHeaderSize) return kResultEndOfStream;
  const uint8_t* p = buffer_.data() + pos_;
  number = static_cast<uint16_t>(p[0] | (p[1] << 8));
  length = static_cast<uint16_t>(p[2] | (p[3] << 8));
  return kResultOk;
}

int32_t TXLSReadStream::ReadRecordData(uint16_t length, std::span<const uint8_t>& data) {
  data = {};
  const bool plain = plainBody_;
  plainBody_ = false;
  if (length == 0) return kResultOk;
  const size_t available = Fill(length);
  if (available < length) {
    position_ += available;
    pos_ = end_;
    return kResultFail;
  }
  uint8_t* p = buffer_.data() + pos_;
  if (decrypting_) {
    if (plain) {
      decrypter_->Skip(length);
    } else {
      decrypter_->Decrypt(p, length);
    }
  }
  pos_ += length;
  position_ += length;
  data = std::span<const uint8_t>(p, length);
  return kResultOk;
}

int32_t TXLSReadStream::ReadRecordData(uint16_t length, std::unique_ptr<TXLSBlob>& record) {
  record.reset();
  std::span<const uint8_t> data;
  const int32_t result = ReadRecordData(length, data);
  if (result != kResultOk || data.empty()) return result;
  record = std::make_unique<TXLSBlob>(length);
  record->AddBytes(data.data(), length);
  return kResultOk;
}

int32_t TXLSReadStream::StartDecryption(std::span<const uint8_t> filePass) {
  decrypter_.reset();
  decrypting_ = false;
  const int32_t result = MakeDecrypter(filePass, password_, decrypter_);
  if (result != kResultOk) return result;
  decrypting_ = true;
  plainBody_ = true;
  decrypter_->Skip(position_);
  return kResultOk;
}

void TXLSReadStream::CloseWorkbookStream() {
  container_.CloseWorkbookStream();
  Reset();
}

void TXLSReadStream::CloseContainer() {
  CloseWorkbookStream();
  container_.CloseContainer();
}

}  // namespace lx
