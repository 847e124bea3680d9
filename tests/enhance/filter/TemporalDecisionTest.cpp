// The temporal filter's still-or-moving decision and its blend toward the
// previous frame, against a plain transcription of the arithmetic: every
// sub-block of a level whose samples moved by various amounts, with noise and
// curvature varying over it, on one thread and spread over several.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "WorkerPool.h"
#include "filter/AvdLevelFilter.h"

namespace {

constexpr int kBorder = 8;

// A level of n x n samples with an 8-sample border all round.
struct Level {
  int n, pitch;
  std::vector<uint8_t> samples;
  AvdChannelBlock cb;
  Level(int size, uint32_t kind) : n(size), pitch((size + 2 * kBorder + 15) & ~15),
        samples(static_cast<size_t>(pitch) * (size + 2 * kBorder)) {
    cb.be.block.data = samples.data();
    cb.be.block.kind = kind;
    cb.be.block.width = cb.be.block.height = n + 2 * kBorder;
    cb.be.block.pitch = pitch;
    cb.be.left = cb.be.top = cb.be.right = cb.be.bottom = kBorder;
    cb.picWidth = cb.picHeight = n;
  }
  uint8_t& at(int x, int y) { return samples[static_cast<size_t>(y + kBorder) * pitch + x + kBorder]; }
};

// A map of 64 x 64 cells with 4 cells before sample (0, 0) of the level.
struct Cells {
  std::vector<uint8_t> cells = std::vector<uint8_t>(64 * 64);
  uint8_t& at(int cx, int cy) { return cells[static_cast<size_t>(cy + 4) * 64 + cx + 4]; }
};

// Quarter-weighted distance of two 8 x 8 blocks of one kind.
int32_t QuarterDistance(Level& a, Level& b, int x, int y, bool sgn) {
  int32_t q[4] = {0, 0, 0, 0};
  for (int j = 0; j < 8; ++j)
    for (int i = 0; i < 8; ++i) {
      const int va = sgn ? static_cast<int8_t>(a.at(x + i, y + j)) : a.at(x + i, y + j);
      const int vb = sgn ? static_cast<int8_t>(b.at(x + i, y + j)) : b.at(x + i, y + j);
      q[(j / 4) * 2 + i / 4] += std::abs(va - vb);
    }
  const int32_t s = q[0] + q[1] + q[2] + q[3];
  const int32_t r = (s * s) >> 6;
  if (r > 0x7FFFF) return r;
  const int32_t qmax = *std::max_element(q, q + 4), qmin = *std::min_element(q, q + 4);
  return static_cast<int32_t>(static_cast<int64_t>(r) * (qmax + 1) / (2 * qmin + 2));
}

// The level filtered sub-block by sub-block, in place, in rows.
void Reference(Level& cur, Level& prev, Cells& noise, Cells& curvature, int s, int q, int weight, bool sgn) {
  const int nb = s == 4 ? 2 : 0;
  const int start = cur.n % s < s / 2 ? -s / 2 : 0;
  for (int y = start; y < cur.n; y += s)
    for (int x = start; x < cur.n; x += s) {
      const int cx = x + s / 2, cy = y + s / 2;  // the level is the coarsest grid itself
      const int32_t v = noise.at(cx, cy), e = curvature.at(cx, cy);
      if (v == 0) continue;
      const uint32_t n = static_cast<uint32_t>((v * weight) >> q);
      const uint32_t d = static_cast<uint32_t>(QuarterDistance(cur, prev, x - nb, y - nb, sgn));
      const uint32_t still = std::min<uint32_t>(((e + 16) * n) >> 4, 0x7FFFFFFF);
      const uint32_t t = std::min<uint32_t>(0x7FFFFFFF, ((e + 32) * n) / 32);
      for (int j = 0; j < s; ++j)
        for (int i = 0; i < s; ++i) {
          uint8_t& c = cur.at(x + i, y + j);
          const uint8_t p = prev.at(x + i, y + j);
          if (d <= still) {
            c = p;
          } else if (s == 8) {
            const int32_t wb = static_cast<int32_t>((t * 256) / d), wa = static_cast<int32_t>(((d - t) * 256) / d);
            if (wb == 0) continue;
            const int ca = sgn ? static_cast<int8_t>(c) : c, pb = sgn ? static_cast<int8_t>(p) : p;
            c = static_cast<uint8_t>((ca * wa + pb * wb + 128) >> 8);
          } else {
            const float k = static_cast<float>(t) / static_cast<float>(d);
            const int ca = sgn ? static_cast<int8_t>(c) : c, pb = sgn ? static_cast<int8_t>(p) : p;
            const float prod = static_cast<float>(pb - ca) * k;
            c = static_cast<uint8_t>(static_cast<int32_t>(static_cast<float>(ca) + prod));
          }
        }
    }
}

TEST(TemporalDecision, FollowsTheArithmeticOnEverySubBlock) {
  struct Case { int code, n; uint32_t kind; };
  // Sub-blocks of 8 and of 4 (the latter compare an 8 x 8 neighbourhood that
  // reaches into the ones around), unsigned levels and signed details, sizes
  // whose first sub-block starts early and on time.
  for (const Case c : {Case{0x36, 37, 0x10}, Case{0x36, 44, 0x10}, Case{0x34, 37, 0x10}, Case{0x34, 42, 0x110}}) {
    for (int threads : {1, 4}) {
      std::mt19937 rng(c.code * 7 + c.n);
      Level cur(c.n, c.kind), prev(c.n, c.kind);
      for (int y = -kBorder; y < c.n + kBorder; ++y)
        for (int x = -kBorder; x < c.n + kBorder; ++x) {
          const int base = 40 + (x * 5 + y * 3) % 150;
          // Regions that stayed, drifted a little or changed a lot.
          const int region = ((x + 64) / 9 + (y + 64) / 7) % 3;
          const int change = region == 0 ? static_cast<int>(rng() % 3) : (region == 1 ? static_cast<int>(rng() % 9) : 60);
          cur.at(x, y) = static_cast<uint8_t>(c.kind == 0x10 ? base : base - 128);
          prev.at(x, y) = static_cast<uint8_t>(cur.at(x, y) + ((rng() & 1) ? change : -change));
        }
      Cells noise, curvature;
      for (auto& v : noise.cells) v = static_cast<uint8_t>(rng() % 7 == 0 ? 0 : rng() % 24);
      for (auto& v : curvature.cells) v = static_cast<uint8_t>(rng() % 5 == 0 ? 255 : rng() % 120);
      Level want = cur, wantPrev = prev;
      want.cb.be.block.data = want.samples.data();
      wantPrev.cb.be.block.data = wantPrev.samples.data();
      const int q = 1, weight = 32;  // level 1: temporal weight 32
      Reference(want, wantPrev, noise, curvature, (c.code & 2) ? 8 : 4, q, weight, c.kind == 0x110);

      AvdNoiseMap map;
      map.cells = noise.cells.data();
      map.q = q;
      map.width = map.height = map.pitch = 64;
      map.left = map.top = 4;
      AvdBlockEdge edges;
      edges.block.data = curvature.cells.data();
      edges.block.kind = 0x10;
      edges.block.width = edges.block.height = edges.block.pitch = 64;
      edges.left = edges.top = 4;
      AvdFltLevelParam lp;
      lp.code = c.code;
      lp.level = 1;
      lp.frameCounter = 2;
      lp.previous = &prev.cb;
      lp.curvature = &edges;
      enh::WorkerPool pool(threads);
      const enh::ParallelScope scope(&pool);
      ASSERT_EQ(avdFlt_Block(nullptr, &cur.cb, &lp, &map), 0);
      int wrong = 0;
      for (int y = 0; y < c.n; ++y)
        for (int x = 0; x < c.n; ++x) wrong += cur.at(x, y) != want.at(x, y);
      EXPECT_EQ(wrong, 0) << "code " << std::hex << c.code << std::dec << " size " << c.n << " threads " << threads;
      // The next frame compares against the filtered level and its border.
      for (int y = -kBorder; y < c.n + kBorder; ++y)
        for (int x = -kBorder; x < c.n + kBorder; ++x) ASSERT_EQ(prev.at(x, y), cur.at(x, y)) << x << "," << y;
    }
  }
}

}  // namespace
