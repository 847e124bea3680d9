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
      {10, 16, 0},
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

}  // namespace
