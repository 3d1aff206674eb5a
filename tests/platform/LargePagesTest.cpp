#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "lxLargePages.h"

namespace lx {
namespace {

TEST(LargePages, BlocksAreUsableToTheLastByteAndAccountedUntilFreed) {
  const size_t before = LargeBlockBytesMapped();
  const size_t bytes = 3 * (size_t{1} << 20);  // rounds up to two large pages
  void* block = AllocateLargeBlock(bytes);
  ASSERT_NE(block, nullptr);
  auto* p = static_cast<uint8_t*>(block);
  std::memset(p, 0xA5, bytes);
  EXPECT_EQ(p[0], 0xA5);
  EXPECT_EQ(p[bytes - 1], 0xA5);
#if defined(__linux__)
  EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % kLargePageSize, 0u) << "mapped blocks start on a large page";
  EXPECT_EQ(LargeBlockBytesMapped() - before, 2 * kLargePageSize);
#endif
  FreeLargeBlock(block, bytes);
  EXPECT_EQ(LargeBlockBytesMapped(), before);

  // Small blocks come from the ordinary allocator and are not counted.
  void* small = AllocateLargeBlock(4096);
  EXPECT_EQ(LargeBlockBytesMapped(), before);
  FreeLargeBlock(small, 4096);
  FreeLargeBlock(nullptr, bytes);  // nothing to free
  EXPECT_EQ(LargeBlockBytesMapped(), before);
}

TEST(LargePages, OwnerAndAllocatorGiveTheMemoryBack) {
  const size_t before = LargeBlockBytesMapped();
  {
    TLargeBlock a(kLargePageSize);
    TLargeBlock b(std::move(a));
    EXPECT_EQ(a.Data(), nullptr);
    ASSERT_NE(b.Data(), nullptr);
    static_cast<uint8_t*>(b.Data())[kLargePageSize - 1] = 1;
    TLargeBlock c(kLargeBlockMinimum);
    c = std::move(b);  // c's own block is freed here
    EXPECT_EQ(c.Size(), kLargePageSize);

    std::vector<uint64_t, TLargePageAllocator<uint64_t>> values(kLargePageSize / sizeof(uint64_t), 7);
    EXPECT_EQ(values.back(), 7u);
  }
  EXPECT_EQ(LargeBlockBytesMapped(), before);
}

TEST(LargePages, CarvedSlicesAreAlignedAndNeverOverlap) {
  TLargeBlockCarver carver(4096);
  std::vector<std::pair<uint8_t*, size_t>> slices;
  // Slices that fill blocks unevenly, one larger than the next block would be.
  for (size_t bytes : {1001u, 3000u, 1000u, 5003u, 100000u, 8u, 3000000u / 2}) {
    auto* slice = static_cast<uint8_t*>(carver.Take(bytes));
    ASSERT_NE(slice, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(slice) % alignof(std::max_align_t), 0u) << bytes;
    std::memset(slice, static_cast<int>(slices.size() + 1), bytes);
    slices.emplace_back(slice, bytes);
  }
  for (size_t i = 0; i < slices.size(); ++i) {
    const auto [slice, bytes] = slices[i];
    EXPECT_EQ(slice[0], i + 1);
    EXPECT_EQ(slice[bytes - 1], i + 1) << "a later slice overwrote slice " << i;
  }
}

}  // namespace
}  // namespace lx
