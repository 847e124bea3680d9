#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "MMem.h"

namespace {

struct Header {
  uint32_t size, inUse;
};

Header HeaderAt(const void* p) {
  Header h;
  std::memcpy(&h, p, sizeof h);
  return h;
}

Header HeaderBefore(const void* payload) { return HeaderAt(static_cast<const unsigned char*>(payload) - 8); }

}  // namespace

TEST(StaticHeap, CreateNeedsRoomForAPayload) {
  alignas(8) unsigned char buffer[64];
  EXPECT_EQ(MMemMgrCreate(nullptr, 64), nullptr);
  EXPECT_EQ(MMemMgrCreate(buffer, 16), nullptr);
  EXPECT_EQ(MMemMgrCreate(buffer + 1, 3), nullptr);
  MHandle heap = MMemMgrCreate(buffer, 64);
  ASSERT_EQ(heap, buffer);
  EXPECT_EQ(HeaderAt(buffer).size, 48u);
  EXPECT_EQ(HeaderAt(buffer).inUse, 0u);
  EXPECT_EQ(HeaderAt(buffer + 56).size, 0xFFFFFFFFu);
  MMemMgrDestroy(heap);
}

TEST(StaticHeap, CreateSkipsToAFourByteBoundary) {
  alignas(8) unsigned char buffer[72];
  MHandle heap = MMemMgrCreate(buffer + 1, 67);
  ASSERT_EQ(heap, buffer + 4);
  EXPECT_EQ(HeaderAt(buffer + 4).size, 48u);  // (67 - 3) rounded down, less two headers
}

TEST(StaticHeap, SplitsOnlyWhenTheRestIsWorthABlock) {
  alignas(8) unsigned char buffer[64];
  MHandle heap = MMemMgrCreate(buffer, 64);
  void* one = MMemAllocStatic(heap, 1);
  ASSERT_EQ(one, buffer + 8);
  EXPECT_EQ(HeaderBefore(one).size, 4u);
  EXPECT_EQ(HeaderBefore(one).inUse, 1u);
  EXPECT_EQ(HeaderAt(buffer + 12).size, 36u);
  EXPECT_EQ(HeaderAt(buffer + 12).inUse, 0u);
  MMemFreeStatic(heap, one);
  EXPECT_EQ(HeaderAt(buffer).size, 48u);

  void* whole = MMemAllocStatic(heap, 20);
  ASSERT_EQ(whole, buffer + 8);
  EXPECT_EQ(HeaderBefore(whole).size, 48u);
  EXPECT_EQ(MMemAllocStatic(heap, 4), nullptr);
}

TEST(StaticHeap, RefusesEmptyAndOversizedRequests) {
  alignas(8) unsigned char buffer[64];
  MHandle heap = MMemMgrCreate(buffer, 64);
  EXPECT_EQ(MMemAllocStatic(heap, 0), nullptr);
  EXPECT_EQ(MMemAllocStatic(heap, 49), nullptr);
  EXPECT_EQ(MMemAllocStatic(nullptr, 4), nullptr);
  EXPECT_EQ(MMemAllocStatic(heap, SIZE_MAX - 1), nullptr);
}

TEST(StaticHeap, FreeingNeighboursInEitherOrderMergesThem) {
  for (int order = 0; order < 2; ++order) {
    alignas(8) unsigned char buffer[256];
    MHandle heap = MMemMgrCreate(buffer, sizeof buffer);
    const uint32_t total = HeaderAt(buffer).size;
    void* a = MMemAlloc(heap, 40);
    void* b = MMemAlloc(heap, 40);
    void* c = MMemAlloc(heap, 40);
    ASSERT_TRUE(a && b && c);
    MMemFree(heap, order ? b : a);
    MMemFree(heap, order ? a : b);
    EXPECT_EQ(HeaderAt(buffer).size, 40u + 8u + 40u) << order;
    EXPECT_EQ(HeaderAt(buffer).inUse, 0u);
    MMemFree(heap, c);
    EXPECT_EQ(HeaderAt(buffer).size, total) << order;
    // The merged space serves one large block again.
    EXPECT_EQ(MMemAlloc(heap, total), buffer + 8);
  }
}

TEST(StaticHeap, ForeignAndRepeatedFreesAreIgnored) {
  alignas(8) unsigned char buffer[128];
  MHandle heap = MMemMgrCreate(buffer, sizeof buffer);
  void* a = MMemAllocStatic(heap, 8);
  void* b = MMemAllocStatic(heap, 8);
  int other = 0;
  MMemFreeStatic(heap, &other);
  MMemFreeStatic(heap, nullptr);
  MMemFreeStatic(heap, a);
  const Header merged = HeaderAt(buffer);
  MMemFreeStatic(heap, a);
  EXPECT_EQ(HeaderAt(buffer).size, merged.size);
  EXPECT_EQ(HeaderBefore(b).inUse, 1u);
}
