// The hash containers of the engine (the THash family).
//
// Keyed lists, the number-format date flags, the function table and many small
// lookups sit on these tables, so they are built for cheap lookups: a lookup
// hashes the key in place and allocates nothing, and nodes live in one vector
// linked by index.
//
// Every table is a chained hash keyed by wide text. XLSHashText is the hash
// function; the shared string table uses the same function with a table of
// its own. A table starts with 8 buckets; as soon as the entry count exceeds
// the bucket count - 1 the bucket array doubles. During the doubling, entries
// that stay in their bucket keep their order and entries that move to the new
// upper half are put in front of their new chain one by one (so they end up
// in reverse order). A new key is put in front of its chain. Keys compare
// exactly, code unit by code unit.
//
// THashTable<TValue> is the generic table; the named classes fix its value
// type and what a lookup of an absent key gives:
//   THashString   8-bit text        absent: empty text
//   THashInteger  32-bit integer    absent: 0 (the keyed lists rely on it)
//   THashBool     boolean           absent: false
//   THashObject   owned object      absent: nullptr; a replaced or removed
//                                   object is freed
// and, keyed by the decimal text of a 32-bit integer ("-5", "0", "42"):
//   TIntegerArray    integer        absent: -1
//   TWideStringArray wide text      absent: empty text
//   TBoolArray       boolean        absent: false
//   TObjectArray     owned object   absent: nullptr
// THashObject and TObjectArray own TXLSHashItem objects; THashObjectOf<T> and
// TObjectArrayOf<T> serve any other polymorphic or plain class.
//
// Pointers returned by Find stay valid until the next Set on the same table
// (values live in a vector); the objects of the owning tables never move.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lx {

// h := h * 33 + c over the UTF-16 code units (modulo 2^32, from 0), then
// h + (h >> 5).
uint32_t XLSHashText(std::u16string_view text) noexcept;

template <class TValue>
// A chained hash table from wide-text keys to values (see above). Owns its values.
class THashTable {
 public:
  // The bucket count of a new table.
  static constexpr uint32_t kInitialBuckets = 8;

  THashTable() : buckets_(kInitialBuckets, kNil) {}

  // Stores the value under the key; an earlier value of the key is replaced
  // (and destroyed). Returns true when the key was new.
  bool Set(std::u16string_view key, TValue value) {
    const uint32_t hash = XLSHashText(key);
    if (const int32_t found = Lookup(key, hash); found != kNil) {
      nodes_[found].value = std::move(value);
      return false;
    }
    int32_t index;
    if (!free_.empty()) {
      index = free_.back();
      free_.pop_back();
      Node& node = nodes_[index];
      node.key.assign(key);
      node.value = std::move(value);
      node.hash = hash;
    } else {
      index = static_cast<int32_t>(nodes_.size());
      nodes_.push_back(Node{std::u16string(key), std::move(value), hash, kNil});
    }
    int32_t& head = buckets_[hash & Mask()];
    nodes_[index].next = head;
    head = index;
    ++count_;
    if (count_ > buckets_.size() - 1) Grow();
    return true;
  }

  // The key's value (owned by the table; see above for how long the pointer lives), or null.
  const TValue* Find(std::u16string_view key) const {
    const int32_t found = Lookup(key, XLSHashText(key));
    return found == kNil ? nullptr : &nodes_[found].value;
  }
  // The key's value, or null.
  TValue* Find(std::u16string_view key) {
    const int32_t found = Lookup(key, XLSHashText(key));
    return found == kNil ? nullptr : &nodes_[found].value;
  }
  // Whether the key is present.
  bool Contains(std::u16string_view key) const { return Lookup(key, XLSHashText(key)) != kNil; }

  // Takes the key's value out of the table; an absent key gives a
  // value-initialised TValue.
  TValue Extract(std::u16string_view key) {
    const int32_t index = Unlink(key);
    if (index == kNil) return TValue{};
    TValue value = std::move(nodes_[index].value);
    Release(index);
    return value;
  }

  // Removes the key and destroys its value. Returns false for an absent key.
  bool Remove(std::u16string_view key) {
    const int32_t index = Unlink(key);
    if (index == kNil) return false;
    Release(index);
    return true;
  }

  // Removes every entry and returns to the initial buckets.
  void Clear() {
    nodes_.clear();
    free_.clear();
    buckets_.assign(kInitialBuckets, kNil);
    count_ = 0;
  }

  // The number of entries.
  uint32_t Count() const { return count_; }
  // The number of buckets.
  uint32_t BucketCount() const { return static_cast<uint32_t>(buckets_.size()); }

  // The keys of one bucket, front of the chain first.
  std::vector<std::u16string_view> ChainKeys(uint32_t bucket) const {
    std::vector<std::u16string_view> keys;
    if (bucket >= buckets_.size()) return keys;
    for (int32_t i = buckets_[bucket]; i != kNil; i = nodes_[i].next) keys.push_back(nodes_[i].key);
    return keys;
  }

  // Calls visit(key, value) for every entry, bucket by bucket and along each
  // chain. The table must not be changed from inside visit.
  template <class F>
  void ForEach(F&& visit) const {
    for (const int32_t head : buckets_) {
      for (int32_t i = head; i != kNil; i = nodes_[i].next) visit(std::u16string_view(nodes_[i].key), nodes_[i].value);
    }
  }
  // As the const ForEach, with the values writable.
  template <class F>
  void ForEach(F&& visit) {
    for (const int32_t head : buckets_) {
      for (int32_t i = head; i != kNil; i = nodes_[i].next) visit(std::u16string_view(nodes_[i].key), nodes_[i].value);
    }
  }

 private:
  static constexpr int32_t kNil = -1;

  struct Node {
    std::u16string key;
    TValue value;
    uint32_t hash;
    int32_t next;
  };

  uint32_t Mask() const { return static_cast<uint32_t>(buckets_.size()) - 1; }

  int32_t Lookup(std::u16string_view key, uint32_t hash) const {
    for (int32_t i = buckets_[hash & Mask()]; i != kNil; i = nodes_[i].next) {
      const Node& node = nodes_[i];
      if (node.hash == hash && node.key == key) return i;
    }
    return kNil;
  }

  // Takes the key's node out of its chain; the node stays allocated.
  int32_t Unlink(std::u16string_view key) {
    const uint32_t hash = XLSHashText(key);
    int32_t* link = &buckets_[hash & Mask()];
    while (*link != kNil) {
      Node& node = nodes_[*link];
      if (node.hash == hash && node.key == key) {
        const int32_t index = *link;
        *link = node.next;
        --count_;
        return index;
      }
      link = &node.next;
    }
    return kNil;
  }

  void Release(int32_t index) {
    Node& node = nodes_[index];
    node.key.clear();
    node.value = TValue{};
    node.next = kNil;
    free_.push_back(index);
  }

  void Grow() {
    const uint32_t oldCount = BucketCount();
    buckets_.resize(static_cast<size_t>(oldCount) * 2, kNil);
    const uint32_t mask = Mask();
    for (uint32_t bucket = 0; bucket < oldCount; ++bucket) {
      int32_t* link = &buckets_[bucket];
      while (*link != kNil) {
        Node& node = nodes_[*link];
        const uint32_t target = node.hash & mask;
        if (target == bucket) {
          link = &node.next;
          continue;
        }
        const int32_t index = *link;
        *link = node.next;
        node.next = buckets_[target];
        buckets_[target] = index;
      }
    }
  }

  std::vector<Node> nodes_;
  std::vector<int32_t> buckets_;
  std::vector<int32_t> free_;
  uint32_t count_ = 0;
};

// The decimal text of an integer key, built on the stack so that lookups of
// the integer-keyed tables allocate nothing.
class TDecimalKey {
 public:
  // The decimal text of value.
  explicit TDecimalKey(int32_t value) noexcept;
  // The text.
  std::u16string_view View() const noexcept { return {text_, length_}; }
  // The text.
  operator std::u16string_view() const noexcept { return View(); }

  // The integer a key text spells; 0 for text that is not a decimal integer.
  static int32_t Parse(std::u16string_view text) noexcept;

 private:
  char16_t text_[12];
  uint8_t length_ = 0;
};

// Shared operations of the tables keyed by wide text.
template <class TValue>
class TTextKeyedHash {
 public:
  // Stores the value under the key, replacing an earlier one; true when the key was new.
  bool Set(std::u16string_view key, TValue value) { return table_.Set(key, std::move(value)); }
  // Same as Set: an existing key gets the new value.
  bool Add(std::u16string_view key, TValue value) { return table_.Set(key, std::move(value)); }
  // The key's value (owned by the table), or null.
  const TValue* Find(std::u16string_view key) const { return table_.Find(key); }
  // Whether the key is present.
  bool Contains(std::u16string_view key) const { return table_.Contains(key); }
  // Removes the key; false when it was absent.
  bool Remove(std::u16string_view key) { return table_.Remove(key); }
  // Removes every entry.
  void Clear() { table_.Clear(); }
  // The number of entries.
  uint32_t Count() const { return table_.Count(); }
  // The underlying table.
  const THashTable<TValue>& Table() const { return table_; }

  // Calls visit(key, value) for every entry, in table order.
  template <class F>
  void ForEach(F&& visit) const {
    table_.ForEach(visit);
  }

 protected:
  // The entries.
  THashTable<TValue> table_;
};

// Shared operations of the tables keyed by the decimal text of an integer.
template <class TValue>
class TIntegerKeyedHash {
 public:
  // Stores the value under the key, replacing an earlier one; true when the key was new.
  bool Set(int32_t key, TValue value) { return table_.Set(TDecimalKey(key), std::move(value)); }
  // As Set.
  bool Add(int32_t key, TValue value) { return table_.Set(TDecimalKey(key), std::move(value)); }
  // The key's value (owned by the table), or null.
  const TValue* Find(int32_t key) const { return table_.Find(TDecimalKey(key)); }
  // Whether the key is present.
  bool Contains(int32_t key) const { return table_.Contains(TDecimalKey(key)); }
  // Removes the key; false when it was absent.
  bool Remove(int32_t key) { return table_.Remove(TDecimalKey(key)); }
  // Removes every entry.
  void Clear() { table_.Clear(); }
  // The number of entries.
  uint32_t Count() const { return table_.Count(); }
  // The underlying table.
  const THashTable<TValue>& Table() const { return table_; }

  // Calls visit(key, value) for every entry, in table order.
  template <class F>
  void ForEach(F&& visit) const {
    table_.ForEach([&](std::u16string_view key, const TValue& value) { visit(TDecimalKey::Parse(key), value); });
  }

 protected:
  // The entries, keyed by decimal text.
  THashTable<TValue> table_;
};

// 8-bit texts by wide-text key.
class THashString : public TTextKeyedHash<std::string> {
 public:
  // The key's text; empty when absent.
  const std::string& Get(std::u16string_view key) const;
};

// Integers by wide-text key.
class THashInteger : public TTextKeyedHash<int32_t> {
 public:
  // The key's integer; 0 when absent.
  int32_t Get(std::u16string_view key) const {
    const int32_t* value = Find(key);
    return value != nullptr ? *value : 0;
  }
};

// Booleans by wide-text key.
class THashBool : public TTextKeyedHash<bool> {
 public:
  // The key's boolean; false when absent.
  bool Get(std::u16string_view key) const {
    const bool* value = Find(key);
    return value != nullptr && *value;
  }
};

// Integers by integer key.
class TIntegerArray : public TIntegerKeyedHash<int32_t> {
 public:
  // The key's integer; -1 when absent.
  int32_t Get(int32_t key) const {
    const int32_t* value = Find(key);
    return value != nullptr ? *value : -1;
  }
};

// Wide texts by integer key.
class TWideStringArray : public TIntegerKeyedHash<std::u16string> {
 public:
  // The key's text; empty when absent.
  const std::u16string& Get(int32_t key) const;
};

// Booleans by integer key.
class TBoolArray : public TIntegerKeyedHash<bool> {
 public:
  // The key's boolean; false when absent.
  bool Get(int32_t key) const {
    const bool* value = Find(key);
    return value != nullptr && *value;
  }
};

// Base of the objects the owning tables hold by default.
class TXLSHashItem {
 public:
  virtual ~TXLSHashItem() = default;
};

// Owning table keyed by wide text.
template <class T>
class THashObjectOf {
 public:
  // Stores the object under the key and returns it; an object the key held
  // before is freed.
  T* Set(std::u16string_view key, std::unique_ptr<T> object) {
    T* stored = object.get();
    table_.Set(key, std::move(object));
    return stored;
  }
  // As Set.
  T* Add(std::u16string_view key, std::unique_ptr<T> object) { return Set(key, std::move(object)); }
  // The key's object (owned by the table), or null.
  T* Get(std::u16string_view key) const {
    const std::unique_ptr<T>* slot = table_.Find(key);
    return slot != nullptr ? slot->get() : nullptr;
  }
  // As Get.
  T* Find(std::u16string_view key) const { return Get(key); }
  // Whether the key is present.
  bool Contains(std::u16string_view key) const { return table_.Contains(key); }
  // Removes the key and frees its object.
  bool Remove(std::u16string_view key) { return table_.Remove(key); }
  // Removes the key and hands its object to the caller.
  std::unique_ptr<T> Extract(std::u16string_view key) { return table_.Extract(key); }
  // Removes every entry, freeing the objects.
  void Clear() { table_.Clear(); }
  // The number of entries.
  uint32_t Count() const { return table_.Count(); }

  // Calls visit(key, object) for every entry, in table order.
  template <class F>
  void ForEach(F&& visit) const {
    table_.ForEach([&](std::u16string_view key, const std::unique_ptr<T>& object) { visit(key, object.get()); });
  }

 private:
  THashTable<std::unique_ptr<T>> table_;
};

// Owning table keyed by the decimal text of an integer.
template <class T>
class TObjectArrayOf {
 public:
  // Stores the object under the key and returns it; an object the key held before is freed.
  T* Set(int32_t key, std::unique_ptr<T> object) { return objects_.Set(TDecimalKey(key), std::move(object)); }
  // As Set.
  T* Add(int32_t key, std::unique_ptr<T> object) { return Set(key, std::move(object)); }
  // The key's object (owned by the table), or null.
  T* Get(int32_t key) const { return objects_.Get(TDecimalKey(key)); }
  // As Get.
  T* Find(int32_t key) const { return Get(key); }
  // Whether the key is present.
  bool Contains(int32_t key) const { return objects_.Contains(TDecimalKey(key)); }
  // Removes the key and frees its object; false when it was absent.
  bool Remove(int32_t key) { return objects_.Remove(TDecimalKey(key)); }
  // Removes the key and hands its object to the caller; null when absent.
  std::unique_ptr<T> Extract(int32_t key) { return objects_.Extract(TDecimalKey(key)); }
  // Removes every entry, freeing the objects.
  void Clear() { objects_.Clear(); }
  // The number of entries.
  uint32_t Count() const { return objects_.Count(); }

  // Calls visit(key, object) for every entry, in table order.
  template <class F>
  void ForEach(F&& visit) const {
    objects_.ForEach([&](std::u16string_view key, T* object) { visit(TDecimalKey::Parse(key), object); });
  }

 private:
  THashObjectOf<T> objects_;
};

// Owned TXLSHashItem objects by wide-text key.
using THashObject = THashObjectOf<TXLSHashItem>;
// Owned TXLSHashItem objects by integer key.
using TObjectArray = TObjectArrayOf<TXLSHashItem>;

}  // namespace lx
