#include "lxLargePages.h"

#include <atomic>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace lx {

namespace {

std::atomic<size_t> mappedBytes{0};

#if defined(__linux__) && defined(MADV_HUGEPAGE)
size_t RoundUp(size_t bytes) { return (bytes + kLargePageSize - 1) & ~(kLargePageSize - 1); }

bool IsMapped(size_t bytes) { return bytes >= kLargeBlockMinimum; }

void* MapAligned(size_t bytes) {
  // Map one large page more than needed and give back the unaligned head
  // and the tail, so the block starts on a 2 MB boundary.
  const size_t size = RoundUp(bytes);
  const size_t mapped = size + kLargePageSize;
  void* raw = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<uintptr_t>(raw);
  const uintptr_t aligned = (start + kLargePageSize - 1) & ~(uintptr_t{kLargePageSize} - 1);
  if (aligned > start) munmap(raw, aligned - start);
  const uintptr_t end = start + mapped;
  if (end > aligned + size) munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
  void* block = reinterpret_cast<void*>(aligned);
  mappedBytes.fetch_add(size, std::memory_order_relaxed);
  // Only advice: without huge pages the block still works with small ones.
  madvise(block, size, MADV_HUGEPAGE);
  return block;
}
#endif

}  // namespace

void* AllocateLargeBlock(size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (IsMapped(bytes)) {
    if (void* block = MapAligned(bytes)) return block;
    throw std::bad_alloc();
  }
#endif
  return ::operator new(bytes);
}

void FreeLargeBlock(void* block, size_t bytes) noexcept {
  if (!block) return;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  if (IsMapped(bytes)) {
    munmap(block, RoundUp(bytes));
    mappedBytes.fetch_sub(RoundUp(bytes), std::memory_order_relaxed);
    return;
  }
#endif
  ::operator delete(block);
}

void TLargeBlockCarver::NewBlock(size_t bytes) {
  size_t size = nextBlock_;
  while (size < bytes) size *= 2;
  blocks_.emplace_back(size);
  used_ = 0;
  nextBlock_ = size < kLastDoubledBlock ? size * 2 : kLargePageSize;
}

size_t LargeBlockBytesMapped() noexcept { return mappedBytes.load(std::memory_order_relaxed); }

}  // namespace lx
