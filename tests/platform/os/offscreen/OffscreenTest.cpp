#include "os/Offscreen.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using namespace plat;

TEST(Offscreen, RowBytesAreAlignedPerDepth) {
  struct Case {
    int32_t width, depth, rowBytes;
  } cases[] = {
      {1, kOffscreenARGB32, 16}, {5, kOffscreenARGB32, 32}, {640, kOffscreenARGB32, 2560},
      {9, kOffscreenMono, 16},   {3, kOffscreenYUYV, 16},   {0, kOffscreenARGB32, 0},
      {10, 16, 0},               {17, kOffscreenYUV420, 32},
  };
  for (const Case& c : cases)
    EXPECT_EQ(OffscreenRowBytes(c.width, c.depth), c.rowBytes) << c.width << "/" << c.depth;
}

TEST(Offscreen, NewWorldIsZeroedAndAligned) {
  Offscreen* world = NewOffscreen(33, 7, kOffscreenARGB32);
  ASSERT_NE(world, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(world->pixels) % 16, 0u);
  for (int32_t i = 0; i < world->rowBytes * world->height; ++i) ASSERT_EQ(world->pixels[i], 0);
  DisposeOffscreen(world);
  EXPECT_EQ(NewOffscreen(0, 5, kOffscreenARGB32), nullptr);
  EXPECT_EQ(NewOffscreen(5, 5, 24), nullptr);
  DisposeOffscreen(nullptr);
}

TEST(Offscreen, CopyNeedsEqualWorlds) {
  Offscreen* a = NewOffscreen(3, 2, kOffscreenARGB32);
  Offscreen* b = NewOffscreen(3, 2, kOffscreenARGB32);
  Offscreen* c = NewOffscreen(4, 2, kOffscreenARGB32);
  a->pixels[a->rowBytes + 11] = 200;
  EXPECT_TRUE(CopyOffscreen(a, b));
  EXPECT_EQ(b->pixels[b->rowBytes + 11], 200);
  EXPECT_FALSE(CopyOffscreen(a, c));
  for (Offscreen* w : {a, b, c}) DisposeOffscreen(w);
}

TEST(Offscreen, PlanarWorldHoldsItsChromaAfterTheLuma) {
  struct Case {
    int32_t width, height, chromaRows;
  } cases[] = {{33, 7, 4}, {64, 48, 24}, {1, 1, 1}};
  for (const Case& c : cases) {
    Offscreen* a = NewOffscreen(c.width, c.height, kOffscreenYUV420);
    Offscreen* b = NewOffscreen(c.width, c.height, kOffscreenYUV420);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    int32_t yRow = 0, cbRow = 0, crRow = 0;
    uint8_t* y = OffscreenPlane(a, 0, &yRow);
    uint8_t* cb = OffscreenPlane(a, 1, &cbRow);
    uint8_t* cr = OffscreenPlane(a, 2, &crRow);
    EXPECT_EQ(y, a->pixels);
    EXPECT_EQ(cbRow, yRow / 2);
    EXPECT_GE(cbRow, (c.width + 1) / 2);
    EXPECT_EQ(cb, y + size_t(yRow) * size_t(c.height));
    EXPECT_EQ(cr, cb + size_t(cbRow) * size_t(c.chromaRows));
    EXPECT_EQ(OffscreenBytes(a), size_t(yRow) * size_t(c.height) + 2 * size_t(cbRow) * size_t(c.chromaRows));
    EXPECT_EQ(OffscreenPlane(a, 3, nullptr), nullptr);
    // The last chroma byte is part of the world and travels with a copy.
    cr[size_t(crRow) * size_t(c.chromaRows - 1) + size_t((c.width - 1) / 2)] = 77;
    EXPECT_TRUE(CopyOffscreen(a, b));
    EXPECT_EQ(OffscreenPlane(b, 2, nullptr)[size_t(crRow) * size_t(c.chromaRows - 1) + size_t((c.width - 1) / 2)], 77);
    for (Offscreen* w : {a, b}) DisposeOffscreen(w);
  }
  // A packed world has one plane only.
  Offscreen* argb = NewOffscreen(4, 4, kOffscreenARGB32);
  EXPECT_EQ(OffscreenPlane(argb, 1, nullptr), nullptr);
  EXPECT_EQ(OffscreenBytes(argb), size_t(argb->rowBytes) * 4);
  DisposeOffscreen(argb);
}

}  // namespace
