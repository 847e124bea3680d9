#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "AlignedMemory.h"

TEST(AlignedMemory, RefusesAlignmentsThatAreNotPowersOfTwo) {
  EXPECT_EQ(avdJMemAlloc_Aligned(nullptr, 64, 12), nullptr);
  EXPECT_EQ(avdJMemAlloc_Aligned(nullptr, 64, 3), nullptr);
  EXPECT_EQ(avdJMemAlloc_Aligned(nullptr, SIZE_MAX - 4, 16), nullptr);
}

TEST(AlignedMemory, AlignsAndKeepsTheFullBlockAddress) {
  for (size_t alignment : {0, 1, 2, 4, 8, 16, 32, 64, 4096}) {
    auto* p = static_cast<unsigned char*>(avdJMemAlloc_Aligned(nullptr, 100, alignment));
    ASSERT_NE(p, nullptr) << alignment;
    const size_t expected = alignment < 8 ? 8 : alignment;
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % expected, 0u) << alignment;
    // The slot before the block holds the allocation's full 64-bit address,
    // which lies before the slot and within one alignment of it.
    uintptr_t block;
    std::memcpy(&block, p - sizeof(void*), sizeof block);
    EXPECT_LE(block + sizeof(void*), reinterpret_cast<uintptr_t>(p)) << alignment;
    EXPECT_LE(reinterpret_cast<uintptr_t>(p) - block, expected + sizeof(void*)) << alignment;
    std::memset(p, 0xA5, 100);  // the whole size is usable (checked by ASAN)
    avdJMemFree_Aligned(nullptr, p);
  }
  avdJMemFree_Aligned(nullptr, nullptr);
}

TEST(AlignedMemory, WorksOverAStaticHeap) {
  alignas(16) unsigned char buffer[512];
  MHandle heap = MMemMgrCreate(buffer, sizeof buffer);
  void* p = avdJMemAlloc_Aligned(heap, 64, 32);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 32, 0u);
  avdJMemFree_Aligned(heap, p);
  // Freed: the whole heap is one free block again.
  uint32_t size;
  std::memcpy(&size, buffer, 4);
  EXPECT_EQ(size, 512u - 16u);
}
