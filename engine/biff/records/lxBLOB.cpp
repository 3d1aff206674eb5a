#include "lxBLOB.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>

#include "lxConstants.h"
#include "lxStreams.h"

namespace lx {

namespace {

static_assert(std::endian::native == std::endian::little,
              "record buffers store values in host order, which must be little-endian");

template <class T>
void StoreLE(uint8_t* p, T value) {
  std::memcpy(p, &value, sizeof(T));
}

template <class T>
T LoadLE(const uint8_t* p) {
  T value;
  std::memcpy(&value, p, sizeof(T));
  return value;
}

}  // namespace

TXLSBlob::TXLSBlob(uint32_t capacity) {
  if (capacity == 0) return;
  // An allocation failure leaves an empty buffer that grows on the first store.
  data_.reset(new (std::nothrow) uint8_t[capacity]);
  if (data_) capacity_ = capacity;
}

TXLSBlob::TXLSBlob(uint8_t* buffer, uint32_t capacity, TLent)
    : data_(buffer, TXLSBufferDeleter{false}), capacity_(buffer ? capacity : 0) {}

TXLSBlob::TXLSBlob(TXLSBlob&& other) noexcept
    : data_(std::move(other.data_)),
      capacity_(std::exchange(other.capacity_, 0)),
      length_(std::exchange(other.length_, 0)) {}

TXLSBlob& TXLSBlob::operator=(TXLSBlob&& other) noexcept {
  data_ = std::move(other.data_);
  capacity_ = std::exchange(other.capacity_, 0);
  length_ = std::exchange(other.length_, 0);
  return *this;
}

void TXLSBlob::ZeroFill() {
  if (capacity_) std::memset(data_.get(), 0, capacity_);
}

void TXLSBlob::Reserve(uint32_t offset, uint32_t size) {
  const uint64_t needed = uint64_t{offset} + size;
  if (needed <= capacity_) return;
  if (needed > UINT32_MAX) throw std::length_error("TXLSBlob larger than 4 GiB");
  decltype(data_) grown(new uint8_t[static_cast<size_t>(needed)](), TXLSBufferDeleter{});
  if (capacity_) std::memcpy(grown.get(), data_.get(), capacity_);
  data_ = std::move(grown);
  capacity_ = static_cast<uint32_t>(needed);
}

void TXLSBlob::AddBytes(const void* bytes, uint32_t count) {
  if (count == 0) return;
  Reserve(length_, count);
  std::memcpy(data_.get() + length_, bytes, count);
  length_ += count;
}

void TXLSBlob::AddAnsi(std::string_view text) { AddBytes(text.data(), static_cast<uint32_t>(text.size())); }

void TXLSBlob::AddWide(std::u16string_view text) {
  const auto bytes = static_cast<uint32_t>(text.size() * 2);
  PutWide(length_, text);
  length_ += bytes;
}

void TXLSBlob::AppendBlob(const TXLSBlob& other) { AddBytes(other.Data(), other.Length()); }

void TXLSBlob::CopyFrom(const TXLSBlob& other, uint32_t sourceOffset, uint32_t count) {
  if (sourceOffset > other.length_ || count > other.length_ - sourceOffset) return;
  if (!InBounds(length_, count)) return;
  if (count) std::memcpy(data_.get() + length_, other.data_.get() + sourceOffset, count);
  length_ += count;
}

void TXLSBlob::CopyAt(const TXLSBlob& other, uint32_t sourceOffset, uint32_t count, uint32_t targetOffset) {
  if (sourceOffset > other.length_ || count > other.length_ - sourceOffset) return;
  Reserve(targetOffset, count);
  if (count) std::memmove(data_.get() + targetOffset, other.data_.get() + sourceOffset, count);
  length_ = std::max(length_, targetOffset + count);
}

void TXLSBlob::PutByte(uint32_t offset, uint8_t value) {
  Reserve(offset, 1);
  data_[offset] = value;
}

void TXLSBlob::PutWord(uint32_t offset, uint16_t value) {
  Reserve(offset, 2);
  StoreLE(data_.get() + offset, value);
}

void TXLSBlob::PutDWord(uint32_t offset, uint32_t value) {
  Reserve(offset, 4);
  StoreLE(data_.get() + offset, value);
}

void TXLSBlob::PutDouble(uint32_t offset, double value) {
  Reserve(offset, 8);
  StoreLE(data_.get() + offset, value);
}

void TXLSBlob::PutWide(uint32_t offset, std::u16string_view text) {
  if (text.empty()) return;
  const auto bytes = static_cast<uint32_t>(text.size() * 2);
  Reserve(offset, bytes);
  // char16_t is stored in host order, which is little-endian here.
  std::memcpy(data_.get() + offset, text.data(), bytes);
}

uint8_t TXLSBlob::GetByte(uint32_t offset) const { return InBounds(offset, 1) ? data_[offset] : 0; }

uint16_t TXLSBlob::GetWord(uint32_t offset) const {
  return InBounds(offset, 2) ? LoadLE<uint16_t>(data_.get() + offset) : 0;
}

uint32_t TXLSBlob::GetDWord(uint32_t offset) const {
  return InBounds(offset, 4) ? LoadLE<uint32_t>(data_.get() + offset) : 0;
}

double TXLSBlob::GetDouble(uint32_t offset) const {
  return InBounds(offset, 8) ? LoadLE<double>(data_.get() + offset) : 0.0;
}

std::string TXLSBlob::GetAnsi(uint32_t offset, uint32_t count) const {
  if (offset >= capacity_) return {};
  count = std::min(count, capacity_ - offset);
  const auto* begin = reinterpret_cast<const char*>(data_.get() + offset);
  const auto* nul = static_cast<const char*>(std::memchr(begin, 0, count));
  return std::string(begin, nul ? static_cast<size_t>(nul - begin) : count);
}

std::u16string TXLSBlob::GetWide(uint32_t offset, uint32_t count) const {
  if (offset >= capacity_) return {};
  const uint32_t units = std::min(count, capacity_ - offset) / 2;
  std::u16string text(units, u'\0');
  if (units) std::memcpy(text.data(), data_.get() + offset, units * 2);
  const auto nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  return text;
}

std::u16string TXLSBlob::ReadUnicodeString(uint32_t& position, bool shortCount, bool hasOptions) const {
  uint32_t count;
  if (shortCount) {
    count = GetByte(position);
    position += 1;
  } else {
    count = GetWord(position);
    position += 2;
  }
  bool wide = false;
  if (hasOptions) {
    wide = (GetByte(position) & 0x01) != 0;
    position += 1;
  }
  const uint32_t available = position < capacity_ ? capacity_ - position : 0;
  std::u16string text;
  if (wide) {
    const uint32_t units = std::min(count, available / 2);
    text.resize(units);
    if (units) std::memcpy(text.data(), data_.get() + position, units * 2);
    position += count * 2;
  } else {
    const uint32_t units = std::min(count, available);
    text.resize(units);
    for (uint32_t i = 0; i < units; ++i) text[i] = data_[position + i];
    position += count;
  }
  return text;
}

int32_t TXLSBlob::WriteToStream(TStream& stream) const {
  if (length_ == 0) return kResultOk;
  return stream.Write(data_.get(), length_) == length_ ? kResultOk : kResultFail;
}

void SplitRecord(std::unique_ptr<TXLSBlob>& record, uint16_t maxRecordData) {
  const uint32_t size = record->Length();
  const uint32_t limit = maxRecordData + uint32_t{kRecordHeaderSize};
  if (size <= limit || maxRecordData == 0) return;
  const uint32_t rest = size - limit;
  uint32_t capacity = limit * (rest / maxRecordData + 1);
  if (rest % maxRecordData) capacity += rest % maxRecordData + kRecordHeaderSize;

  auto split = std::make_unique<TXLSBlob>(capacity);
  split->CopyFrom(*record, 0, limit);
  split->PutWord(2, maxRecordData);
  for (uint32_t offset = limit; offset < size;) {
    const uint32_t piece = std::min<uint32_t>(maxRecordData, size - offset);
    split->AddWord(kRecContinue);
    split->AddWord(static_cast<uint16_t>(piece));
    split->CopyFrom(*record, offset, piece);
    offset += piece;
  }
  record = std::move(split);
}

void TXLSBlobList::AddRecord(std::unique_ptr<TXLSBlob> record) {
  if (record) AppendBytes(record->Data(), record->Length());
}

void TXLSBlobList::AddRecord(const TXLSBlob& record) { AppendBytes(record.Data(), record.Length()); }

void TXLSBlobList::AddList(const TXLSBlobList& other) {
  for (const auto& chunk : other.chunks_) AppendBytes(chunk->Data(), chunk->Length());
}

void TXLSBlobList::AppendAcrossChunks(const uint8_t* bytes, uint32_t count) {
  uint32_t copied = 0;
  while (copied < count) {
    if (fill_ == kChunkSize || chunks_.empty()) {
      if (!chunks_.empty() && chunks_.back()->Length() != kChunkSize) uniform_ = false;
      chunks_.push_back(NewChunk());
      fill_ = 0;
    }
    TXLSBlob& chunk = *chunks_.back();
    const uint32_t k = std::min<uint32_t>(kChunkSize - fill_, count - copied);
    std::memcpy(chunk.Data() + fill_, bytes + copied, k);
    fill_ = static_cast<uint16_t>(fill_ + k);
    chunk.SetLength(fill_);
    total_ += k;
    copied += k;
  }
}

std::unique_ptr<TXLSBlob> TXLSBlobList::NewChunk() {
  return std::make_unique<TXLSBlob>(static_cast<uint8_t*>(storage_.Take(kChunkSize)), kChunkSize, TXLSBlob::TLent{});
}

const TXLSBlob* TXLSBlobList::Item(uint32_t index) const {
  return index < chunks_.size() ? chunks_[index].get() : nullptr;
}

void TXLSBlobList::SetItem(uint32_t index, std::unique_ptr<TXLSBlob> chunk) {
  if (!chunk) return;
  if (index == chunks_.size()) {
    if (!chunks_.empty() && chunks_.back()->Length() != kChunkSize) uniform_ = false;
    total_ += chunk->Length();
    fill_ = static_cast<uint16_t>(std::min<uint32_t>(chunk->Length(), kChunkSize));
    if (chunk->Capacity() < kChunkSize) fill_ = kChunkSize;  // cannot take more bytes
    chunks_.push_back(std::move(chunk));
  } else if (index < chunks_.size()) {
    total_ = total_ - chunks_[index]->Length() + chunk->Length();
    if (chunk->Length() != kChunkSize && index + 1 < chunks_.size()) uniform_ = false;
    chunks_[index] = std::move(chunk);
  }
}

int32_t TXLSBlobList::WriteToStream(TStream& stream) const {
  for (const auto& chunk : chunks_) {
    const int32_t result = chunk->WriteToStream(stream);
    if (result != kResultOk) return result;
  }
  return kResultOk;
}

bool TXLSBlobList::Locate(uint32_t offset, uint32_t& chunk, uint32_t& within) const {
  if (offset >= total_) return false;
  if (uniform_) {
    chunk = offset / kChunkSize;
    within = offset % kChunkSize;
    return chunk < chunks_.size();
  }
  uint32_t start = 0;
  for (uint32_t i = 0; i < chunks_.size(); ++i) {
    const uint32_t length = chunks_[i]->Length();
    if (offset < start + length) {
      chunk = i;
      within = offset - start;
      return true;
    }
    start += length;
  }
  return false;
}

int32_t TXLSBlobList::ReadBytes(uint32_t offset, uint32_t count, std::unique_ptr<TXLSBlob>& result) const {
  result.reset();
  if (offset > total_ || count > total_ - offset) return kResultFail;  // "XLSBlobList overflow"
  auto buffer = std::make_unique<TXLSBlob>(count);
  if (count > 0) {
    uint32_t chunk = 0;
    uint32_t within = 0;
    if (!Locate(offset, chunk, within)) return kResultFail;
    uint32_t copied = 0;
    while (copied < count) {
      if (chunk >= chunks_.size()) return kResultFail;
      const TXLSBlob& source = *chunks_[chunk];
      const uint32_t k = std::min(source.Length() - within, count - copied);
      buffer->AddBytes(source.Data() + within, k);
      copied += k;
      ++chunk;
      within = 0;
    }
  }
  result = std::move(buffer);
  return kResultOk;
}

int32_t TXLSBlobList::ReadString(uint32_t offset, uint32_t count, std::u16string& text, uint32_t& consumed) const {
  text.clear();
  consumed = 0;
  std::unique_ptr<TXLSBlob> option;
  if (ReadBytes(offset, 1, option) != kResultOk) return kResultFail;
  const bool wide = option->GetByte(0) == 1;
  const uint64_t bytes = wide ? uint64_t{count} * 2 : count;
  if (bytes > UINT32_MAX) return kResultFail;
  std::unique_ptr<TXLSBlob> chars;
  if (offset == UINT32_MAX || ReadBytes(offset + 1, static_cast<uint32_t>(bytes), chars) != kResultOk) {
    return kResultFail;
  }
  if (wide) {
    text.resize(count);
    if (count) std::memcpy(text.data(), chars->Data(), bytes);
  } else {
    text.resize(count);
    for (uint32_t i = 0; i < count; ++i) text[i] = chars->Data()[i];
  }
  consumed = 1 + static_cast<uint32_t>(bytes);
  return kResultOk;
}

std::vector<uint8_t> TXLSBlobList::Bytes() const {
  std::vector<uint8_t> bytes;
  bytes.reserve(total_);
  for (const auto& chunk : chunks_) bytes.insert(bytes.end(), chunk->Data(), chunk->Data() + chunk->Length());
  return bytes;
}

std::unique_ptr<TXLSBlob> NewRecord(uint16_t number, uint32_t payload) {
  auto record = std::make_unique<TXLSBlob>(kRecordHeaderSize + payload);
  record->AddWord(number);
  record->AddWord(static_cast<uint16_t>(payload));
  return record;
}

std::unique_ptr<TXLSBlob> WordRecord(uint16_t number, uint16_t value) {
  auto record = NewRecord(number, 2);
  record->AddWord(value);
  return record;
}

}  // namespace lx
