// The picture toolbox: DIBs, fit sizes, rectangle mapping, the turn-and-flip
// merge against literal turns and flips, and refusal of hostile sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "CQelStringW.h"
#include "DibHelper.h"
#include "FunctionImgCtrl.h"
#include "MemoryHandles.h"
#include "PictureFunctions.h"
#include "PictureHandles.h"
#include "PrintCtrlTestSupport.h"
#include "TestEnvironment.h"
#include "TestPictures.h"
#include "img/Operations.h"

namespace {

struct Shared : ::testing::Test {
  void SetUp() override { CFunctionImgCtrl::AcquireShared(); }
  void TearDown() override { CFunctionImgCtrl::ReleaseShared(); }
};

tagBITMAPINFOHEADER HeaderOf(DIBBLOCK dib, int heap) {
  tagBITMAPINFOHEADER h;
  std::memcpy(&h, DibLock(dib, heap), sizeof h);
  DibUnlock(dib, heap);
  return h;
}

TEST(DibNewTest, FillsPixelsPaletteAndPadding) {
  // 24 bits: stride 12 for 3 pixels, rows of 00 00 FF and zero padding.
  DIBBLOCK d = DibNew(3, 2, 24, 0, 0x0000FF);
  ASSERT_NE(d, nullptr);
  tagBITMAPINFOHEADER h = HeaderOf(d, 1);
  EXPECT_EQ(h.biSizeImage, 24u);
  EXPECT_EQ(h.biClrUsed, 0u);
  const uint8_t* px = DibLock(d, 1) + 40;
  const uint8_t row[12] = {0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0xFF, 0, 0, 0};
  EXPECT_EQ(std::memcmp(px, row, 12), 0);
  EXPECT_EQ(std::memcmp(px + 12, row, 12), 0);
  DibFree(d, 1);

  // 8 bits: a grey ramp palette and the colour's grey (150 * 255) / 255.
  d = DibNew(1, 1, 8, 0, 0x00FF00);
  ASSERT_NE(d, nullptr);
  h = HeaderOf(d, 1);
  EXPECT_EQ(h.biClrUsed, 256u);
  EXPECT_EQ(h.biSizeImage, 4u);
  const uint8_t* base = DibLock(d, 1);
  EXPECT_EQ(base[40 + 4 * 200], 200);
  EXPECT_EQ(base[40 + 1024], 150);
  DibFree(d, 1);

  // 1 bit: black then white, every byte 0xFF for a non-zero colour.
  d = DibNew(9, 1, 1, 0, 1);
  ASSERT_NE(d, nullptr);
  base = DibLock(d, 1);
  EXPECT_EQ(base[40 + 4], 0xFF);
  EXPECT_EQ(base[48], 0xFF);
  DibFree(d, 1);
}

TEST(DibNewTest, RefusesHostileSizes) {
  for (long w : {0L, -5L, 70000L}) EXPECT_EQ(DibNew(w, 10, 24, 0, 0), nullptr) << w;
  EXPECT_EQ(DibNew(65535, 65535, 24, 0, 0), nullptr);  // over the pixel budget
  EXPECT_EQ(DibNew(10, 10, 16, 0, 0), nullptr);
}

TEST(DibTest, LayerRoundTripKeepsRowsUpright) {
  img::Bitmap b = imgtest::Noise(7, 5);
  PubImage::QelLayer* layer = pichandle::Wrap(qel::Layer::Make(b));
  // Bottom-up in a handle, as printing hands it out.
  DIBBLOCK dib = Layer2Dib(layer, 0, 0);
  ASSERT_NE(dib, nullptr);
  EXPECT_GT(HeaderOf(dib, 0).biHeight, 0);
  PubImage::QelLayer* back = CreateLayerFromDib(dib, 0, 0);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(imgtest::SamePixels(pichandle::Lyr(back)->Pixels(), b));
  // Top-down: the stored order is the picture's order.
  DIBBLOCK top = Layer2Dib(layer, 1, 0);
  EXPECT_LT(HeaderOf(top, 0).biHeight, 0);
  PubImage::QelLayer* asStored = CreateLayerFromDib(top, 0, 1);
  EXPECT_TRUE(imgtest::SamePixels(pichandle::Lyr(asStored)->Pixels(), b));
  for (auto* l : {layer, back, asStored}) l->Release();
  DisposeHandle(dib);
  DisposeHandle(top);
}

TEST(DibTest, ALyingHeaderIsRefused) {
  // The header claims more rows than the block holds.
  Handle h = NewHandleClear(40 + 16);
  tagBITMAPINFOHEADER hd{};
  hd.biSize = 40, hd.biWidth = 4, hd.biHeight = 1000, hd.biPlanes = 1, hd.biBitCount = 24;
  std::memcpy(*h, &hd, sizeof hd);
  EXPECT_EQ(CreateLayerFromDib(h, 0, 0), nullptr);
  EXPECT_EQ(ProcessFlipVertically(h, 0), nullptr);
  DisposeHandle(h);
}

TEST(FitSizeTest, Table) {
  struct Case {
    long bw, bh, pw, ph;
    long fitW, fitH, halfW, halfH, cropW, cropH;
  } cases[] = {
      {100, 100, 400, 300, 100, 75, 100, 75, 133, 100},
      {100, 100, 40, 30, 100, 75, 40, 30, 133, 100},
      {800, 800, 4000, 3000, 800, 600, 800, 600, 1067, 800},
      {300, 100, 10, 1000, 1, 100, 1, 100, 300, 30000},
  };
  for (const Case& c : cases) {
    long w = -1, h = -1;
    GetFitInSize(c.bw, c.bh, c.pw, c.ph, w, h);
    EXPECT_EQ(w, c.fitW);
    EXPECT_EQ(h, c.fitH);
    GetHalfFitInSize(c.bw, c.bh, c.pw, c.ph, w, h);
    EXPECT_EQ(w, c.halfW);
    EXPECT_EQ(h, c.halfH);
    GetAutoCropSize(c.bw, c.bh, c.pw, c.ph, w, h);
    EXPECT_EQ(w, c.cropW);
    EXPECT_EQ(h, c.cropH);
  }
  long w = 7, h = 7;
  GetFitInSize(0, 10, 10, 10, w, h);
  EXPECT_EQ(w, 0);
  w = h = 7;
  GetAutoCropSize(0, 10, 10, 10, w, h);
  EXPECT_EQ(w, 7);  // untouched
}

TEST(ZoomRectTest, MapsBetweenSpaces) {
  SIZE from{1000, 500}, to{100, 50};
  SRect32 whole{0, 0, 1000, 500}, out{};
  ASSERT_EQ(GetZoomRect(from, whole, to, out, false), 1);
  EXPECT_EQ(out.left, 0);
  EXPECT_EQ(out.right, 100);
  EXPECT_EQ(out.bottom, 50);
  // Touching the right edge stays on the right edge.
  SRect32 right{333, 10, 1000, 20};
  GetZoomRect(from, right, to, out, true);
  EXPECT_EQ(out.right, 100);
  EXPECT_EQ(out.left, 33);
  SIZE zero{0, 10};
  EXPECT_EQ(GetZoomRect(zero, right, to, out, true), 0);

  SRect32 r{10, 10, 30, 20};
  ASSERT_EQ(ZoomRect(r, 2.0), 1);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 5);
  EXPECT_EQ(r.right, 40);
  EXPECT_EQ(r.bottom, 25);
  SRect32 empty{5, 5, 5, 9};
  EXPECT_EQ(ZoomRect(empty, 2.0), 0);
  EXPECT_EQ(ZoomRect(r, std::nan("")), 0);
}

TEST(ZoomRectTest, CollageKeepsSharedEdges) {
  std::vector<SRect32> src{{0, 0, 333, 333}, {333, 0, 666, 333}, {0, 333, 333, 666}, {10, 10, 10, 10}};
  std::vector<SRect32> dst(src.size());
  ASSERT_EQ(MyZoomRects(src, dst, _QELDIV{1, 3}), 1);
  EXPECT_EQ(dst[0].right, dst[1].left);
  EXPECT_EQ(dst[0].bottom, dst[2].top);
  EXPECT_EQ(dst[1].right, 222);
  std::vector<SRect32> shorter(2);
  EXPECT_EQ(MyZoomRects(src, shorter, _QELDIV{1, 3}), 0);
  EXPECT_EQ(MyZoomRects(src, dst, _QELDIV{1, 0}), 0);
}

TEST(HoldDispRectTest, MovesBackInsideThenCuts) {
  SRect32 bound{0, 0, 100, 100};
  SRect32 r{90, -5, 120, 20};
  HoldDispRect(&r, &bound);
  EXPECT_EQ(r.left, 70);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, 100);
  EXPECT_EQ(r.bottom, 25);
  SRect32 big{-10, -10, 300, 50};
  HoldDispRect(&big, &bound);
  EXPECT_EQ(big.left, 0);
  EXPECT_EQ(big.right, 100);
}

// Every sequence of up to three steps, merged, gives the same pixels as the
// steps applied one by one (turns counter-clockwise, 3 left-right, 4 top-bottom).
TEST_F(Shared, MergeRotateFlipMatchesTheStepsApplied) {
  const img::Bitmap src = imgtest::Noise(5, 3);
  auto apply = [](img::Bitmap b, int step) {
    switch (step) {
      case 0: return img::Rotate(b, 90);
      case 1: return img::Rotate(b, 180);
      case 2: return img::Rotate(b, 270);
      case 3: return img::Flip(b, img::FlipAxis::kLeftRight);
      default: return img::Flip(b, img::FlipAxis::kTopBottom);
    }
  };
  for (int n = 0; n < 125; ++n) {
    std::vector<RFATYPE> steps{RFATYPE(n % 5), RFATYPE(n / 5 % 5), RFATYPE(n / 25)};
    img::Bitmap literal = src;
    for (RFATYPE s : steps) literal = apply(literal, s);
    long angle = -1;
    int flip = -1;
    MergeRotateFlip(steps, angle, flip);
    PubImage::QelPicture* pic = pichandle::Wrap(new qel::Picture());
    pichandle::Pict(pic)->SetSingle(src);
    if (angle || flip) {
      ASSERT_TRUE(g_lpImgFunc->RotateFlipPic(pic, angle, flip));
    }
    EXPECT_TRUE(imgtest::SamePixels(pctest::Pixels(pic), literal)) << n;
    pic->Release();
  }
  std::vector<RFATYPE> four{RFA_ROTATE90, RFA_ROTATE90, RFA_ROTATE90, RFA_ROTATE90};
  long a;
  int f;
  MergeRotateFlip(four, a, f);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(f, 0);
  std::vector<RFATYPE> flipTurn{RFA_FLIP, RFA_ROTATE90};
  MergeRotateFlip(flipTurn, a, f);
  EXPECT_EQ(a, 270);
  EXPECT_EQ(f, 1);
}

TEST_F(Shared, LayerHelpers) {
  SRect32 r{5, 6, 25, 16};
  PubImage::QelLayer* l = CreateLayerObj(&r);
  ASSERT_NE(l, nullptr);
  SIZE s{};
  GetLayerSize(l, s);
  EXPECT_EQ(s.cx, 20);
  EXPECT_EQ(s.cy, 10);
  SRect32 bad{5, 5, 5, 9};
  EXPECT_EQ(CreateLayerObj(&bad), nullptr);
  EXPECT_EQ(CreateLayerObj(nullptr), nullptr);

  // The wash: v becomes (v + 765) / 4.
  img::Bitmap px = img::Bitmap::Filled(2, 2, 0);
  qel::Layer* dark = qel::Layer::Make(px);
  ASSERT_EQ(FoggyLayer(dark), 1);
  EXPECT_EQ(dark->Pixels().row(0)[0], 191);
  EXPECT_EQ(FoggyLayer(nullptr), 0);

  PubImage::QelLayer* half = ResampleLayer(dark, 1, 1, 1);
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(pichandle::Lyr(half)->Pixels().width(), 1);
  SRect32 cut{0, 0, 1, 2};
  PubImage::QelLayer* part = CropLayer(dark, cut, 1);
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(pichandle::Lyr(part)->Pixels().height(), 2);
  SRect32 none{1, 1, 1, 1};
  EXPECT_EQ(CropLayer(dark, none, 1), nullptr);
  EXPECT_EQ(CreatePicObj(SIZE{0, 4}), nullptr);
  EXPECT_EQ(CreatePicObj(SIZE{60000, 60000}), nullptr);  // over the pixel budget
  EXPECT_EQ(ResamplePic(nullptr, 4, 4, 1), nullptr);
  for (auto* o : {l, half, part}) o->Release();
  dark->Release();
}

TEST(ImageFilesTest, SizesLevelsSavesAndFreeNames) {
  auto dir = testenv::MakeTempDir("files");
  std::u16string png = pctest::WritePng(imgtest::Scene(64, 48), dir / "a.png");
  SIZE s = GetImgFileDimension(png.c_str());
  EXPECT_EQ(s.cx, 64);
  EXPECT_EQ(s.cy, 48);
  EXPECT_EQ(GetImgFileDimension(u"/nonexistent.png").cx, 0);
  EXPECT_EQ(ReductionLevelFor(1000, 100), 3);
  EXPECT_EQ(ReductionLevelFor(1000, 501), 0);
  EXPECT_EQ(ReductionLevelFor(1000, 300), 1);

  PubImage::QelPicture* pic = OpenImgFile(png.c_str(), false, nullptr, nullptr);
  ASSERT_NE(pic, nullptr);
  // A save that fails never counts as written, even over an existing file.
  EXPECT_EQ(SaveImgFile(pic, png.c_str(), 300, nullptr), 1);
  std::u16string gif = pctest::U16(dir / "a.gif");
  EXPECT_EQ(SaveImgFile(pic, gif.c_str(), 300, nullptr), 0);
  int32_t jpeg[2] = {1, 80};
  std::u16string jpg = pctest::U16(dir / "p.jpg");
  EXPECT_EQ(SaveImgFile(pic, jpg.c_str(), 200, jpeg), 1);
  pic->Release();

  CQelStringW name(jpg.c_str());
  ASSERT_EQ(GetNotExistedFileName(name), 1);
  EXPECT_EQ(std::u16string(name.c_str()), pctest::U16(dir / "p_1.jpg"));
  CQelStringW fresh(pctest::U16(dir / "q.jpg").c_str());
  GetNotExistedFileName(fresh);
  EXPECT_EQ(std::u16string(fresh.c_str()), pctest::U16(dir / "q.jpg"));
}

// An abort hook answering 0 stops decoding.
TEST(ImageFilesTest, AbortStopsTheOpen) {
  auto dir = testenv::MakeTempDir("abort");
  std::u16string png = pctest::WritePng(imgtest::Scene(300, 200), dir / "a.png");
  auto stop = [](void*) -> unsigned long { return 0; };
  EXPECT_EQ(OpenImgFile(png.c_str(), true, stop, nullptr), nullptr);
  auto go = [](void*) -> unsigned long { return 1; };
  PubImage::QelPicture* p = OpenImgFile(png.c_str(), true, go, nullptr);
  ASSERT_NE(p, nullptr);
  p->Release();
}

}  // namespace
