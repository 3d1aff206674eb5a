// Keyed lists, named-entry lists and string lists.
#include "lxList.h"

namespace lx {

// ---------------------------------------------------------------------------
// TXLSKeyList

TXLSKeyList::TXLSKeyList() = default;
TXLSKeyList::~TXLSKeyList() = default;

bool TXLSKeyList::IsDefault(int32_t index) const {
  const int32_t position = PositionOf(index);
  return position >= 0 && position < defaults_ && position < Count();
}

const WideString& TXLSKeyList::GetKey(int32_t index) const {
  return Contains(index) ? entries_[PositionOf(index)].Key : fallback_;
}

int32_t TXLSKeyList::RefCount(int32_t index) const {
  return Contains(index) ? entries_[PositionOf(index)].RefCount : 0;
}

void TXLSKeyList::SetKeyAt(int32_t index, const WideString& key) {
  const int32_t position = PositionOf(index);
  if (position < 0) return;
  if (position >= Count()) entries_.Resize(position + 1);
  TXLSKeyEntry& entry = entries_[position];
  if (position >= defaults_ && entry.RefCount > 0) --inUse_;
  entry.Key = key;
  KeyChanged(position);
  entry.RefCount = 0;
  entry.OutputIndex = 0;
  entry.Position = position;
  map_.Set(key, index);
  Acquire(position);
}

void TXLSKeyList::MapKey(const WideString& key, int32_t index) { map_.Set(key, index); }

int32_t TXLSKeyList::Rekey(int32_t current, const WideString& key) {
  const int32_t currentPosition = PositionOf(current);
  const bool currentInList = Contains(current);
  if (current > static_cast<int32_t>(base_) && currentInList && entries_[currentPosition].Key == key) return current;

  // A stored 0 reads as absent, so an entry at index 0 is only reached through
  // its index.
  const int32_t found = map_.Get(key);
  if (found == 0 || !Contains(found)) {
    const int32_t position = Count();
    entries_.Resize(position + 1);
    TXLSKeyEntry& entry = entries_[position];
    entry.Key = key;
    entry.Position = position;
    const int32_t index = static_cast<int32_t>(base_) + position;
    map_.Set(key, index);
    Acquire(position);
    if (currentInList) Release(currentPosition);
    return index;
  }
  if (currentInList) Release(currentPosition);
  Acquire(PositionOf(found));
  return found;
}

void TXLSKeyList::ResetReferences() {
  for (int32_t i = 0; i < Count(); ++i) entries_[i].RefCount = 0;
  inUse_ = 0;
}

void TXLSKeyList::Renumber() {
  output_.clear();
  output_.reserve(static_cast<size_t>(inUse_) + static_cast<size_t>(defaults_ > 0 ? defaults_ : 0));
  for (int32_t position = 0; position < Count(); ++position) {
    TXLSKeyEntry& entry = entries_[position];
    if (position < defaults_ || entry.RefCount > 0) {
      output_.push_back(position);
      entry.OutputIndex = static_cast<int32_t>(output_.size());
      entry.Position = position;
    } else {
      entry.OutputIndex = 0;
    }
  }
}

int32_t TXLSKeyList::OutputIndex(int32_t index) const {
  return Contains(index) ? entries_[PositionOf(index)].OutputIndex : 0;
}

int32_t TXLSKeyList::OutputEntry(int32_t outputPosition) const {
  if (outputPosition < 0 || outputPosition >= OutputCount()) return -1;
  return static_cast<int32_t>(base_) + output_[static_cast<size_t>(outputPosition)];
}

void TXLSKeyList::KeyChanged(int32_t) {}

void TXLSKeyList::ClearAll() {
  KeyChanged(-1);
  entries_.Clear();
  map_.Clear();
  output_.clear();
  inUse_ = 0;
}

// ---------------------------------------------------------------------------
// TXLSObjList

TXLSObjList::TXLSObjList(uint16_t base) : base_(base) {}
TXLSObjList::~TXLSObjList() = default;

int32_t TXLSObjList::AddOrReplace(std::unique_ptr<TXLSObjEntry> entry) {
  if (!entry) return -1;
  const WideString name = entry->Name();
  const int32_t stored = map_.Get(name);
  if (stored > 0 && stored <= Count()) {
    entries_[stored - 1] = std::move(entry);
    return static_cast<int32_t>(base_) + stored - 1;
  }
  const int32_t position = Count();
  entries_.Resize(position + 1);
  entries_[position] = std::move(entry);
  map_.Set(name, position + 1);
  return static_cast<int32_t>(base_) + position;
}

TXLSObjEntry* TXLSObjList::ItemAt(int32_t index) const {
  const int32_t position = index - static_cast<int32_t>(base_);
  if (position < 0 || position >= Count()) return nullptr;
  return entries_[position].get();
}

int32_t TXLSObjList::IndexOf(const WideString& name) const {
  const int32_t stored = map_.Get(name);
  return stored > 0 ? static_cast<int32_t>(base_) + stored - 1 : -1;
}

void TXLSObjList::ClearAll() {
  entries_.Clear();
  map_.Clear();
}

// ---------------------------------------------------------------------------
// TXLSStringList

TXLSStringList::TXLSStringList() = default;
TXLSStringList::~TXLSStringList() = default;

void TXLSStringList::SetAt(int32_t index, const WideString& text) {
  if (index < 0) return;
  if (index >= SlotCount()) texts_.Resize(index + 1);
  WideString& slot = texts_[index];
  // The text that leaves the slot must not keep pointing here.
  if (!slot.empty() && map_.Get(slot) == index + 1) map_.Remove(slot);
  slot = text;
  if (!text.empty()) map_.Set(text, index + 1);
}

const WideString& TXLSStringList::GetAt(int32_t index) const {
  static const WideString kEmpty;
  return index >= 0 && index < SlotCount() ? texts_[index] : kEmpty;
}

int32_t TXLSStringList::AddOrFind(const WideString& text) {
  const int32_t stored = map_.Get(text);
  if (stored > 0) return stored - 1;
  const int32_t index = SlotCount();
  SetAt(index, text);
  return index;
}

int32_t TXLSStringList::Find(const WideString& text) const {
  const int32_t stored = map_.Get(text);
  return stored > 0 ? stored - 1 : 0;
}

bool TXLSStringList::Contains(const WideString& text) const { return map_.Get(text) > 0; }

void TXLSStringList::Clear() {
  texts_.Clear();
  map_.Clear();
}

}  // namespace lx
