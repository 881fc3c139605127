#include "base/HugePages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace metrazil {
namespace {

bool OnHugePageBoundary(const void* data) { return reinterpret_cast<std::uintptr_t>(data) % kHugePage == 0; }

TEST(HugePagesTest, AllocatorMapsFromOneHugePageOnAndTakesTheHeapBelow) {
  THugePageAllocator<char> chars;
  for (const std::size_t size : {std::size_t{1}, kHugePage - 1, kHugePage, kHugePage + 1, 3 * kHugePage}) {
    EXPECT_EQ(THugePageAllocator<char>::Maps(size), size >= kHugePage) << size;
    char* data = chars.allocate(size);
    if (size >= kHugePage) {
      EXPECT_TRUE(OnHugePageBoundary(data)) << size;
    }
    // Every byte is there, the last one too.
    std::memset(data, 0x5a, size);
    EXPECT_EQ(data[size - 1], 0x5a);
    chars.deallocate(data, size);
  }
  // The threshold is in bytes, not elements.
  THugePageAllocator<std::uint64_t> words;
  const std::size_t count = kHugePage / sizeof(std::uint64_t);
  EXPECT_FALSE(THugePageAllocator<std::uint64_t>::Maps(count - 1));
  EXPECT_TRUE(THugePageAllocator<std::uint64_t>::Maps(count));
  std::uint64_t* below = words.allocate(count - 1);
  std::uint64_t* at = words.allocate(count);
  below[count - 2] = 1;
  at[count - 1] = 1;
  EXPECT_TRUE(OnHugePageBoundary(at));
  words.deallocate(below, count - 1);
  words.deallocate(at, count);
  EXPECT_THROW(static_cast<void>(words.allocate(static_cast<std::size_t>(-1) / 4)), std::bad_array_new_length);
}

TEST(HugePagesTest, MappedMemoryIsZeroedAndWholePages) {
  EXPECT_EQ(MapHugePages(0), nullptr);
  EXPECT_EQ(MapHugePages(static_cast<std::size_t>(-1)), nullptr);
  auto* data = static_cast<unsigned char*>(MapHugePages(kHugePage + 1));
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(OnHugePageBoundary(data));
  // Rounded up to two pages: the whole second page may be written.
  EXPECT_EQ(data[0], 0);
  EXPECT_EQ(data[2 * kHugePage - 1], 0);
  data[2 * kHugePage - 1] = 1;
  UnmapHugePages(data, kHugePage + 1);
  UnmapHugePages(nullptr, kHugePage);
}

TEST(HugePagesTest, VectorGrowsAcrossTheThreshold) {
  std::vector<char, THugePageAllocator<char>> bytes;
  for (std::size_t i = 0; i < kHugePage + 1; ++i) bytes.push_back(static_cast<char>(i % 251));
  EXPECT_TRUE(OnHugePageBoundary(bytes.data()));
  for (const std::size_t i : {std::size_t{0}, kHugePage - 1, kHugePage})
    EXPECT_EQ(bytes[i], static_cast<char>(i % 251));
  std::vector<char, THugePageAllocator<char>> moved = std::move(bytes);
  EXPECT_EQ(moved.size(), kHugePage + 1);
}

}  // namespace
}  // namespace metrazil
