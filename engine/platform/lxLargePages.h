// Memory for the engine's bulk storage: the cell arena's chunks and the
// buffers a saved document passes through.
//
// Filling a large sheet touches tens of megabytes of fresh memory, and on
// many machines the first touch of each 4 KB page (a page fault) costs more
// than the work done in it. Blocks of at least kLargeBlockMinimum bytes are
// therefore taken straight from the system in whole 2 MB pages, aligned to
// 2 MB and offered for transparent huge pages, so one fault maps 2 MB; users
// size their blocks to fill the pages (a chunk of cells slightly under 2 MB,
// say). Smaller requests and other systems use the ordinary allocator.
//
// TLargePageAllocator is a standard allocator over the same memory, for
// containers that hold such blocks.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>
#include <vector>

namespace lx {

// The size of a large page: 2 MiB.
inline constexpr size_t kLargePageSize = size_t{2} << 20;
// Blocks from this size on are taken from the system as whole pages.
inline constexpr size_t kLargeBlockMinimum = kLargePageSize / 2;

// Never nullptr: throws std::bad_alloc when the memory is not there.
void* AllocateLargeBlock(size_t bytes);
// bytes is the size given to AllocateLargeBlock.
void FreeLargeBlock(void* block, size_t bytes) noexcept;
// Bytes of the blocks taken straight from the system and not yet freed
// (whole large pages; blocks from the ordinary allocator are not counted).
// For measurements: the C library's heap statistics do not see them.
size_t LargeBlockBytesMapped() noexcept;

// Owns one block from AllocateLargeBlock.
class TLargeBlock {
 public:
  TLargeBlock() = default;
  // A block of bytes; throws std::bad_alloc when the memory is not there.
  explicit TLargeBlock(size_t bytes) : data_(AllocateLargeBlock(bytes)), size_(bytes) {}
  TLargeBlock(const TLargeBlock&) = delete;
  TLargeBlock& operator=(const TLargeBlock&) = delete;
  // Takes over other's block.
  TLargeBlock(TLargeBlock&& other) noexcept : data_(other.data_), size_(other.size_) {
    other.data_ = nullptr;
    other.size_ = 0;
  }
  // Frees the block and takes over other's.
  TLargeBlock& operator=(TLargeBlock&& other) noexcept {
    if (this != &other) {
      FreeLargeBlock(data_, size_);
      data_ = other.data_;
      size_ = other.size_;
      other.data_ = nullptr;
      other.size_ = 0;
    }
    return *this;
  }
  ~TLargeBlock() { FreeLargeBlock(data_, size_); }

  // The block (owned by this object), or null.
  void* Data() const { return data_; }
  // The block's size in bytes.
  size_t Size() const { return size_; }

 private:
  void* data_ = nullptr;
  size_t size_ = 0;
};

// Hands out slices of large blocks to storage that only grows: the blocks
// double from `firstBlock` bytes while they stay small, then jump to whole
// large pages, so small users stay small and large ones cost few page
// faults (a block between a few hundred kilobytes and a large page would
// come from the ordinary allocator and fault in every 4 KB page of it).
// A slice lives as long as the carver and is aligned for any fundamental
// type; a request that does not fit the rest of the last block starts a new
// one (the rest is left).
class TLargeBlockCarver {
 public:
  // A carver whose first block has firstBlock bytes.
  explicit TLargeBlockCarver(size_t firstBlock) : nextBlock_(firstBlock) {}

  // The largest block that doubling gives; the next one is a large page.
  static constexpr size_t kLastDoubledBlock = kLargePageSize / 16;

  // bytes at most kLargePageSize.
  void* Take(size_t bytes) {
    bytes = (bytes + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
    if (blocks_.empty() || blocks_.back().Size() - used_ < bytes) NewBlock(bytes);
    void* slice = static_cast<char*>(blocks_.back().Data()) + used_;
    used_ += bytes;
    return slice;
  }

  // A value-initialised T in a slice of its own. The carver frees its
  // blocks without running destructors, so T must not need one.
  template <class T>
  T* Make() {
    static_assert(std::is_trivially_destructible_v<T> && alignof(T) <= alignof(std::max_align_t));
    return new (Take(sizeof(T))) T();
  }

 private:
  void NewBlock(size_t bytes);

  std::vector<TLargeBlock> blocks_;
  size_t used_ = 0;
  size_t nextBlock_;
};

template <class T>
// A standard allocator over AllocateLargeBlock, for large containers.
class TLargePageAllocator {
 public:
  // The element type.
  using value_type = T;

  TLargePageAllocator() noexcept = default;
  // Allocators of every element type are interchangeable.
  template <class U>
  TLargePageAllocator(const TLargePageAllocator<U>&) noexcept {}

  // Room for n elements; throws std::bad_alloc (or bad_array_new_length) on failure.
  T* allocate(size_t n) {
    if (n > static_cast<size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(AllocateLargeBlock(n * sizeof(T)));
  }
  // Frees room for n elements from allocate.
  void deallocate(T* block, size_t n) noexcept { FreeLargeBlock(block, n * sizeof(T)); }

  // Every allocator of this kind frees what another allocated.
  template <class U>
  bool operator==(const TLargePageAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace lx
