#include <gtest/gtest.h>

#include <cstring>

#include "MMem.h"

TEST(MMem, ProcessHeapAllocatesClearedBlocksAndReallocates) {
  auto* p = static_cast<unsigned char*>(MMemAlloc(nullptr, 100));
  ASSERT_NE(p, nullptr);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(p[i], 0);
  MMemSet(p, 0x5A, 100);
  p = static_cast<unsigned char*>(MMemRealloc(nullptr, p, 200));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[99], 0x5A);
  MMemFree(nullptr, p);
  MMemFree(nullptr, nullptr);
}

TEST(MMem, ReallocRefusesAStaticHeap) {
  alignas(8) unsigned char buffer[256];
  MHandle heap = MMemMgrCreate(buffer, sizeof buffer);
  void* p = MMemAlloc(heap, 16);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(MMemRealloc(heap, p, 32), nullptr);
  MMemFree(heap, p);
}

TEST(MMem, CompareGivesTheUnsignedDifferenceOfTheFirstUnequalByte) {
  EXPECT_EQ(MMemCmp("ab", "ac", 2), -1);
  EXPECT_EQ(MMemCmp("ab", "ac", 1), 0);
  const unsigned char hi[] = {0xFF}, lo[] = {0x01};
  EXPECT_EQ(MMemCmp(hi, lo, 1), 0xFE);
  EXPECT_EQ(MMemCmp(lo, hi, 1), -0xFE);
}

TEST(MMem, CopyAndMove) {
  unsigned char a[8] = {1, 2, 3, 4, 5, 6, 7, 8}, b[8] = {};
  EXPECT_EQ(MMemCpy(b, a, 8), b);
  EXPECT_EQ(std::memcmp(a, b, 8), 0);
  // Overlapping forward copy goes first to last, one byte at a time.
  MMemCpy(a + 1, a, 4);
  const unsigned char spread[8] = {1, 1, 1, 1, 1, 6, 7, 8};
  EXPECT_EQ(std::memcmp(a, spread, 8), 0);
  unsigned char c[6] = {1, 2, 3, 4, 5, 6};
  MMemMove(c + 1, c, 4);
  const unsigned char moved[6] = {1, 1, 2, 3, 4, 6};
  EXPECT_EQ(std::memcmp(c, moved, 6), 0);
}
