#include "lxStringTable.h"

#include <algorithm>

#include "lxBLOB.h"
#include "lxConstants.h"
#include "lxHash.h"
#include "lxText.h"

namespace lx {

namespace {

const std::u16string kEmptyText;

// Option byte of every string piece: 16-bit characters, no rich text, no
// phonetic block. Texts are never compressed, so pieces never switch width.
constexpr uint8_t kStringOptions = 0x01;
// Count field, option byte and one character: the least a string start needs.
constexpr uint32_t kMinStringStart = 5;

// Number of code units WriteSST writes for a text.
uint32_t WrittenLength(const std::u16string& text) {
  if (text.size() <= kMaxSSTStringLength) return static_cast<uint32_t>(text.size());
  const char16_t last = text[kMaxSSTStringLength - 1];
  return (last >= 0xD800 && last <= 0xDBFF) ? kMaxSSTStringLength - 1 : kMaxSSTStringLength;
}

}  // namespace

TXLSStringTable::TXLSStringTable() : buckets_(8, 0), mask_(7) {}

TXLSStringTable::~TXLSStringTable() = default;

int32_t TXLSStringTable::Lookup(std::u16string_view text, uint32_t hash) const {
  for (int32_t i = buckets_[hash & mask_]; i != 0;) {
    const TEntry& entry = Entry(i);
    if (entry.hash == hash && entry.text == text) return i;
    i = entry.next;
  }
  return -1;
}

void TXLSStringTable::GrowBuckets() {
  const uint32_t oldCount = static_cast<uint32_t>(buckets_.size());
  buckets_.resize(oldCount * 2, 0);
  mask_ = oldCount * 2 - 1;
  // Nodes whose bucket changes under the new mask move to the front of the
  // new chain; the others stay where they are.
  for (uint32_t b = 0; b < oldCount; ++b) {
    int32_t previous = 0;
    int32_t i = buckets_[b];
    while (i != 0) {
      TEntry& entry = Entry(i);
      const int32_t next = entry.next;
      const uint32_t target = entry.hash & mask_;
      if (target != b) {
        if (previous == 0)
          buckets_[b] = next;
        else
          Entry(previous).next = next;
        entry.next = buckets_[target];
        buckets_[target] = i;
      } else {
        previous = i;
      }
      i = next;
    }
  }
}

void TXLSStringTable::Unlink(int32_t index) {
  TEntry& entry = Entry(index);
  int32_t* link = &buckets_[entry.hash & mask_];
  while (*link != 0 && *link != index) link = &Entry(*link).next;
  if (*link == index) *link = entry.next;
  entry.next = 0;
  --nodeCount_;
}

int32_t TXLSStringTable::AddString(std::u16string_view text) {
  // A lone surrogate would make the SST invalid UTF-16, which readers refuse
  // as a whole; the table keeps U+FFFD in its place.
  if (HasLoneSurrogate(text)) return AddString(ReplaceLoneSurrogates(text));
  ++totalReferences_;
  if (nodeCount_ > mask_) GrowBuckets();
  const uint32_t hash = XLSHashText(text);
  if (const int32_t found = Lookup(text, hash); found > 0) {
    ++Entry(found).refCount;
    return found;
  }
  ++uniqueCount_;
  int32_t index;
  if (!freeIndexes_.empty()) {
    index = freeIndexes_.back();
    freeIndexes_.pop_back();
  } else {
    index = ++highestIndex_;
    if (static_cast<uint32_t>(index) / kBlockSize >= blocks_.size()) {
      if (blocks_.size() == blocks_.capacity()) blocks_.reserve(blocks_.size() + kBlockSize);
      blocks_.push_back(std::make_unique<TBlock>());
    }
  }
  TEntry& entry = Entry(index);
  entry.text.assign(text);
  entry.refCount = 1;
  entry.hash = hash;
  entry.next = buckets_[hash & mask_];
  buckets_[hash & mask_] = index;
  ++nodeCount_;
  return index;
}

void TXLSStringTable::ReleaseString(int32_t index) {
  if (!Valid(index)) return;
  TEntry& entry = Entry(index);
  if (entry.refCount <= 0) return;
  --entry.refCount;
  --totalReferences_;
  if (entry.refCount > 0) return;
  --uniqueCount_;
  Unlink(index);
  std::u16string().swap(entry.text);
  entry.sstIndex = -1;
  if (index == highestIndex_) {
    --highestIndex_;
    TrimStorage();
  } else {
    if (freeIndexes_.size() == freeIndexes_.capacity()) freeIndexes_.reserve(freeIndexes_.size() + kBlockSize);
    freeIndexes_.push_back(index);
  }
}

void TXLSStringTable::TrimStorage() {
  // Keep a margin so that a text added and released at the edge of a block
  // does not allocate and free that block over and over.
  constexpr uint32_t kMargin = 2 * kBlockSize;
  const auto used = static_cast<uint32_t>(highestIndex_) + 1;
  while (!blocks_.empty() && blocks_.size() * kBlockSize - used > kMargin) blocks_.pop_back();
  if (blocks_.capacity() - blocks_.size() > kMargin) blocks_.shrink_to_fit();
  if (freeIndexes_.capacity() - freeIndexes_.size() > kMargin) freeIndexes_.shrink_to_fit();
}

void TXLSStringTable::ReassignString(int32_t oldIndex, int32_t newIndex) {
  if (oldIndex > 0) ReleaseString(oldIndex);
  if (newIndex >= 1 && Valid(newIndex) && Entry(newIndex).refCount > 0) {
    ++Entry(newIndex).refCount;
    ++totalReferences_;
  }
}

int32_t TXLSStringTable::FindString(std::u16string_view text) const {
  if (HasLoneSurrogate(text)) return FindString(ReplaceLoneSurrogates(text));
  return Lookup(text, XLSHashText(text));
}

const std::u16string& TXLSStringTable::GetString(int32_t index) const {
  return Valid(index) ? Entry(index).text : kEmptyText;
}

int32_t TXLSStringTable::GetSSTIndex(int32_t index) const { return Valid(index) ? Entry(index).sstIndex : -1; }

int32_t TXLSStringTable::RefCount(int32_t index) const { return Valid(index) ? Entry(index).refCount : 0; }

void TXLSStringTable::AssignSSTIndexes() {
  int32_t position = 0;
  for (int32_t i = 1; i <= highestIndex_; ++i) {
    TEntry& entry = Entry(i);
    entry.sstIndex = entry.refCount >= 1 ? position++ : -1;
  }
}

// Builds the SST and EXTSST record streams of one save.
class TXLSStringTable::TWriter {
 public:
  TWriter(const TXLSStringTable& table, TXLSBlobList& list, uint32_t streamOffset)
      : table_(table),
        list_(list),
        limit_(table.maxRecordData_ + uint32_t{kRecordHeaderSize}),
        position_(streamOffset) {}

  void WriteText(const std::u16string& text, uint32_t ordinal) {
    const uint32_t length = WrittenLength(text);
    for (;;) {
      if (!record_) OpenRecord();
      const uint32_t room = Room();
      if (3 + 2 * length <= room) {
        WriteStart(text, length, length, ordinal);
        return;
      }
      if (room < kMinStringStart) {
        CloseRecord();
        continue;
      }
      const uint32_t first = PieceLength(text, 0, (room - 3) / 2);
      WriteStart(text, length, first, ordinal);
      CloseRecord();
      WriteContinuation(text, first, length);
      return;
    }
  }

  void Finish() {
    if (record_ && record_->Length() > kRecordHeaderSize) CloseRecord();
    if (ext_ && ext_->Length() > kRecordHeaderSize) CloseExt();
    for (auto& record : extRecords_) list_.AddRecord(std::move(record));
  }

 private:
  uint32_t Room() const { return limit_ - record_->Length(); }

  // How many code units from start go into a piece that has room for
  // count: one fewer when the last would be the first half of a surrogate
  // pair, which readers cannot decode once the pair is split across
  // records (a piece keeps at least one unit).
  static uint32_t PieceLength(const std::u16string& text, uint32_t start, uint32_t count) {
    const char16_t last = text[start + count - 1];
    return count > 1 && last >= 0xD800 && last <= 0xDBFF ? count - 1 : count;
  }

  void OpenRecord() {
    record_ = std::make_unique<TXLSBlob>(limit_);
    if (firstRecord_) {
      firstRecord_ = false;
      record_->AddWord(kRecSST);
      record_->AddWord(0);
      record_->AddDWord(table_.totalReferences_);
      record_->AddDWord(table_.uniqueCount_);
      position_ += 12;
    } else {
      record_->AddWord(kRecContinue);
      record_->AddWord(0);
      position_ += kRecordHeaderSize;
    }
  }

  void CloseRecord() {
    record_->PutWord(2, static_cast<uint16_t>(record_->Length() - kRecordHeaderSize));
    list_.AddRecord(std::move(record_));
  }

  void WriteStart(const std::u16string& text, uint32_t length, uint32_t count, uint32_t ordinal) {
    if (ordinal % kExtSSTBucketSize == 0) AddExtEntry(position_, static_cast<uint16_t>(record_->Length()));
    record_->AddWord(static_cast<uint16_t>(length));
    record_->AddByte(kStringOptions);
    record_->AddWide(std::u16string_view(text).substr(0, count));
    position_ += 3 + 2 * count;
  }

  void WriteContinuation(const std::u16string& text, uint32_t done, uint32_t length) {
    while (done < length) {
      OpenRecord();
      const uint32_t remaining = length - done;
      const uint32_t room = Room();
      const uint32_t count = 1 + 2 * remaining <= room ? remaining : PieceLength(text, done, (room - 1) / 2);
      record_->AddByte(kStringOptions);
      record_->AddWide(std::u16string_view(text).substr(done, count));
      position_ += 1 + 2 * count;
      done += count;
      if (done < length) CloseRecord();
    }
  }

  void AddExtEntry(uint32_t position, uint16_t offset) {
    if (!ext_) OpenExt();
    if (ext_->Length() + 8 > limit_) {
      CloseExt();
      OpenExt();
    }
    ext_->AddDWord(position);
    ext_->AddWord(offset);
    ext_->AddWord(0);
  }

  void OpenExt() {
    ext_ = std::make_unique<TXLSBlob>(limit_);
    if (firstExt_) {
      firstExt_ = false;
      ext_->AddWord(kRecExtSST);
      ext_->AddWord(0);
      ext_->AddWord(kExtSSTBucketSize);
    } else {
      ext_->AddWord(kRecContinue);
      ext_->AddWord(0);
    }
  }

  void CloseExt() {
    ext_->PutWord(2, static_cast<uint16_t>(ext_->Length() - kRecordHeaderSize));
    extRecords_.push_back(std::move(ext_));
  }

  const TXLSStringTable& table_;
  TXLSBlobList& list_;
  const uint32_t limit_;
  uint32_t position_;
  bool firstRecord_ = true;
  bool firstExt_ = true;
  std::unique_ptr<TXLSBlob> record_;
  std::unique_ptr<TXLSBlob> ext_;
  std::vector<std::unique_ptr<TXLSBlob>> extRecords_;
};

void TXLSStringTable::WriteSST(TXLSBlobList& list, uint32_t streamOffset) {
  TWriter writer(*this, list, streamOffset);
  uint32_t ordinal = 0;
  for (int32_t i = 1; i <= highestIndex_; ++i) {
    const TEntry& entry = Entry(i);
    if (entry.refCount < 1) continue;
    writer.WriteText(entry.text, ordinal++);
  }
  writer.Finish();
}

}  // namespace lx
