// The reference-counted object base and the one smart pointer of the engine.
//
// Every interface of the object model (workbook, range, font, borders, ...) is an
// abstract class whose first three virtual slots are the reference-counting slots
// of IXLSUnknown; the operations of the interface follow in their documented
// order. An implementation derives from TXLSInterfaced<Interfaces...>, which puts
// the count in the one base object TXLSObject and implements the three slots for
// all of its interfaces at once. Callers hold objects and interfaces through
// XLSPtr<T>, an intrusive pointer that calls AddRef and Release.
#pragma once

#include <cstdint>
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

namespace lx {

// A 128-bit interface identifier, laid out like the platform's GUID.
struct TXLSGuid {
  // First 32 bits.
  uint32_t data1;
  // Next 16 bits.
  uint16_t data2;
  // Next 16 bits.
  uint16_t data3;
  // Last 8 bytes.
  uint8_t data4[8];

  // Identifiers are equal when all 16 bytes are.
  friend bool operator==(const TXLSGuid& a, const TXLSGuid& b) { return std::memcmp(&a, &b, sizeof(TXLSGuid)) == 0; }
};

// QueryInterface's result when the object does not have the interface asked for.
inline constexpr int32_t kNoInterface = static_cast<int32_t>(0x80004002u);
// QueryInterface's result when it hands out the interface.
inline constexpr int32_t kQueryOk = 0;

// The three reference-counting slots every interface starts with.
class IXLSUnknown {
 public:
  // The identifier of IXLSUnknown itself.
  static constexpr TXLSGuid kIID{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

  // Stores in *object the interface named by iid, with one reference added that the caller releases, and returns
  // kQueryOk; kNoInterface (and null) when the object has no such interface.
  virtual int32_t QueryInterface(const TXLSGuid& iid, void** object) = 0;
  // Adds a reference; returns the new count.
  virtual uint32_t AddRef() = 0;
  // Drops a reference and deletes the object when it was the last; returns the new count.
  virtual uint32_t Release() = 0;

 protected:
  ~IXLSUnknown() = default;
};

// Holds the reference count. Objects start with a count of 0; the first
// XLSPtr that takes them raises it to 1, and the last Release deletes them.
class TXLSObject {
 public:
  TXLSObject() = default;
  TXLSObject(const TXLSObject&) = delete;
  TXLSObject& operator=(const TXLSObject&) = delete;
  virtual ~TXLSObject() = default;

  // Adds a reference; returns the new count.
  uint32_t AddRefObject() noexcept { return ++refCount_; }
  // Drops a reference and deletes this object when none is left; returns the new count.
  uint32_t ReleaseObject() noexcept {
    const uint32_t count = --refCount_;
    if (count == 0) delete this;
    return count;
  }
  // The number of references held.
  uint32_t RefCount() const noexcept { return refCount_; }

 private:
  uint32_t refCount_ = 0;
};

// Implements the reference-counting slots of every listed interface.
// QueryInterface answers for IXLSUnknown and for each listed interface that
// declares a static kIID.
template <class... Interfaces>
class TXLSInterfaced : public TXLSObject, public Interfaces... {
 public:
  // Adds a reference to the object.
  uint32_t AddRef() override { return AddRefObject(); }
  // Drops a reference; the last one deletes the object.
  uint32_t Release() override { return ReleaseObject(); }
  // Hands out IXLSUnknown or a listed interface with a kIID, adding a reference; kNoInterface otherwise.
  int32_t QueryInterface(const TXLSGuid& iid, void** object) override {
    if (object == nullptr) return kNoInterface;
    *object = nullptr;
    if (iid == IXLSUnknown::kIID) {
      *object = static_cast<IXLSUnknown*>(static_cast<FirstInterface*>(this));
    } else {
      (TryInterface<Interfaces>(iid, object) || ...);
    }
    if (*object == nullptr) return kNoInterface;
    AddRefObject();
    return kQueryOk;
  }

 private:
  using FirstInterface = std::tuple_element_t<0, std::tuple<Interfaces...>>;

  template <class I>
  bool TryInterface(const TXLSGuid& iid, void** object) {
    if constexpr (requires { I::kIID; }) {
      if (iid == I::kIID) {
        *object = static_cast<I*>(this);
        return true;
      }
    }
    return false;
  }
};

// Intrusive smart pointer for anything with AddRef and Release.
template <class T>
class XLSPtr {
 public:
  XLSPtr() noexcept = default;
  // Holds nothing.
  XLSPtr(std::nullptr_t) noexcept {}
  // Takes a reference to p (which may be null).
  XLSPtr(T* p) noexcept : p_(p) {
    if (p_) p_->AddRef();
  }
  // Takes another reference to what other holds.
  XLSPtr(const XLSPtr& other) noexcept : XLSPtr(other.p_) {}
  // Takes over other's reference; other is left empty.
  XLSPtr(XLSPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  // Takes a reference to what a pointer to a derived type holds.
  template <class U>
  requires std::is_convertible_v<U*, T*> XLSPtr(const XLSPtr<U>& other)
  noexcept : XLSPtr(other.Get()) {}
  // Releases the held reference.
  ~XLSPtr() { Reset(); }

  // Releases the held reference and takes one to what other holds.
  XLSPtr& operator=(const XLSPtr& other) noexcept {
    XLSPtr(other).Swap(*this);
    return *this;
  }
  // Releases the held reference and takes over other's.
  XLSPtr& operator=(XLSPtr&& other) noexcept {
    XLSPtr(std::move(other)).Swap(*this);
    return *this;
  }

  // Releases the held reference and holds nothing.
  void Reset() noexcept {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  // Exchanges what two pointers hold.
  void Swap(XLSPtr& other) noexcept { std::swap(p_, other.p_); }

  // The held object (not an extra reference), or null.
  T* Get() const noexcept { return p_; }
  // The held object.
  T* operator->() const noexcept { return p_; }
  // The held object.
  T& operator*() const noexcept { return *p_; }
  // Whether an object is held.
  explicit operator bool() const noexcept { return p_ != nullptr; }

  // Whether both hold the same object.
  friend bool operator==(const XLSPtr& a, const XLSPtr& b) { return a.p_ == b.p_; }
  // Whether nothing is held.
  friend bool operator==(const XLSPtr& a, std::nullptr_t) { return a.p_ == nullptr; }

 private:
  T* p_ = nullptr;
};

// Creates an implementation object and hands it out as an interface pointer.
template <class T, class... Args>
XLSPtr<T> MakeXLS(Args&&... args) {
  return XLSPtr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace lx
