// Bitmaps and picture helpers: DIB layout, DIB <-> layer round trips,
// thumbnails of image files, photo saving with EXIF read back by exiftool,
// offscreen worlds to pictures and the block iterator.
#include <gtest/gtest.h>

#include <cstdlib>

#include <cstdio>
#include <cstring>

#include "DibHelper.h"
#include "ORVImageTools.h"
#include "TestEnvironment.h"
#include "TestPictures.h"
#include "img/ImageFile.h"
#include "os/Offscreen.h"
#include "qel/QelElement.h"

namespace {

namespace fs = std::filesystem;

std::u16string W(const fs::path& p) { return qel::ToU16(p.string()); }

std::string Capture(const std::string& cmd) {
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[512];
    while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    pclose(p);
  }
  return out;
}

TEST(Dib, LayoutAndRoundTripThroughLayers) {
  unsigned char* dib = DIBNew(3, 2, 24, 72);
  ASSERT_NE(dib, nullptr);
  tagBITMAPINFOHEADER h;
  std::memcpy(&h, dib, 40);
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(DIBStride(3, 24), 12u);
  EXPECT_EQ(h.biSizeImage, 24u);
  EXPECT_EQ(h.biXPelsPerMeter, 72);
  EXPECT_EQ(DIBByteLength(dib), 64u);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(dib[40 + i], 0xFF);
  // Distinct bytes everywhere, then DIB -> layer -> DIB keeps every row in place.
  for (int i = 0; i < 24; ++i) dib[40 + i] = uint8_t(i * 7 + 1);
  PubImage::QelLayer* layer = Dib2Layer(dib);
  ASSERT_NE(layer, nullptr);
  unsigned char* back = Layer2Dib(layer);
  ASSERT_NE(back, nullptr);
  for (int row = 0; row < 2; ++row) EXPECT_EQ(0, std::memcmp(back + 40 + row * 12, dib + 40 + row * 12, 9));
  // The bottom DIB row is the layer's last row.
  EXPECT_EQ(0, std::memcmp(qel::Layer::From(reinterpret_cast<QelObject>(layer))->Pixels().row(1), dib + 40, 9));
  layer->Release();
  PubImage::QelPicture* pic = Dib2Pict(dib);
  ASSERT_NE(pic, nullptr);
  unsigned char* again = Pict2Dib(pic);
  EXPECT_EQ(0, std::memcmp(again + 40, dib + 40, 9));
  pic->Release();
  DIBDelete(again);
  DIBDelete(back);
  // Only 24-bit DIBs convert; sizes are checked.
  unsigned char* eight = DIBNew(4, 4, 8, 72);
  EXPECT_EQ(Dib2Layer(eight), nullptr);
  unsigned char* wide = DIBNew(4, 4, 32, 72);
  EXPECT_EQ(Dib2Layer(wide), nullptr);
  EXPECT_EQ(DIBNew(0, 4, 24, 72), nullptr);
  EXPECT_EQ(DIBNew(60000, 60000, 24, 72), nullptr);
  unsigned char* r = DibResample(dib, 6, 4);
  ASSERT_NE(r, nullptr);
  std::memcpy(&h, r, 40);
  EXPECT_EQ(h.biWidth, 6);
  EXPECT_EQ(h.biHeight, 4);
  for (unsigned char* p : {eight, wide, r, dib}) DIBDelete(p);
  DibFlipY(nullptr);
  DIBDelete(nullptr);
}

TEST(Dib, ThumbnailsOfImageFilesKeepTheAspectAndEnlarge) {
  fs::path dir = testenv::MakeTempDir("thumb");
  struct Case {
    int w, h, tw, th;
  } cases[] = {{100, 50, 80, 40}, {40, 30, 80, 60}, {3000, 4000, 45, 60}};
  for (const auto& c : cases) {
    fs::path f = dir / ("p" + std::to_string(c.w) + ".jpg");
    ASSERT_EQ(img::SaveJpeg(img::Bitmap::Filled(c.w, c.h, 128), f.string(), {}), img::Status::kOk);
    unsigned char* dib = DibGetFromImageFile(W(f).c_str(), 80, 60);
    ASSERT_NE(dib, nullptr) << c.w;
    tagBITMAPINFOHEADER h;
    std::memcpy(&h, dib, 40);
    EXPECT_EQ(h.biWidth, c.tw);
    EXPECT_EQ(h.biHeight, c.th);
    EXPECT_NEAR(dib[40], 128, 3);
    DIBDelete(dib);
  }
  EXPECT_EQ(DibGetFromImageFile(W(dir / "none.jpg").c_str(), 80, 60), nullptr);
  EXPECT_EQ(DibGetFromImageFile(u"", 80, 60), nullptr);
}

// An album's thumbnail of a photo a camera stored turned: upright.
TEST(Dib, ThumbnailsOfTurnedPhotosAreUpright) {
  if (!imgtest::HavePillow()) GTEST_SKIP() << "python3-pil missing";
  fs::path dir = testenv::MakeTempDir("orient");
  ASSERT_TRUE(imgtest::MakeOrientedPhotos(dir));
  for (int n = 1; n <= 8; ++n) {
    SCOPED_TRACE("orientation " + std::to_string(n));
    const std::string name = "orient-" + std::to_string(n);
    unsigned char* dib = DibGetFromImageFile(W(dir / (name + ".jpg")).c_str(), 48, 48);
    ASSERT_NE(dib, nullptr);
    tagBITMAPINFOHEADER h;
    std::memcpy(&h, dib, 40);
    ASSERT_EQ(h.biWidth, 48);
    ASSERT_EQ(h.biHeight, 32);
    // Rows bottom-up, each padded to four bytes.
    img::Bitmap thumb = img::Bitmap::Create(48, 32);
    const size_t stride = DIBStride(48, 24);
    for (int32_t y = 0; y < 32; ++y) std::memcpy(thumb.mutable_row(y), dib + 40 + size_t(31 - y) * stride, 48 * 3);
    EXPECT_TRUE(imgtest::SameLayout(thumb, imgtest::ReadPpm(dir / (name + "-upright.ppm"))));
    DIBDelete(dib);
  }
}

TEST(Dib, ThumbnailsOfMoviesAreTheirFirstFrame) {
  fs::path dir = testenv::MakeTempDir("movie");
  fs::path clip = dir / "red.mov";
  std::string make = "ffmpeg -v error -y -f lavfi -i color=c=red:size=160x90:rate=10 -t 1 -c:v mjpeg "
                     "-pix_fmt yuvj420p '" + clip.string() + "'";
  ASSERT_EQ(std::system(make.c_str()), 0);
  unsigned char* dib = DibGetFromVideoFile(W(clip).c_str(), 80, 60);
  ASSERT_NE(dib, nullptr);
  tagBITMAPINFOHEADER h;
  std::memcpy(&h, dib, 40);
  EXPECT_EQ(h.biWidth, 80);
  EXPECT_EQ(h.biHeight, 45);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_LT(dib[40], 30);    // blue
  EXPECT_LT(dib[41], 30);    // green
  EXPECT_GT(dib[42], 220);   // red
  DIBDelete(dib);
  testenv::WriteFile(dir / "not.mov", "not a movie");
  EXPECT_EQ(DibGetFromVideoFile(W(dir / "not.mov").c_str(), 80, 60), nullptr);
  EXPECT_EQ(DibGetFromVideoFile(W(dir / "none.mov").c_str(), 80, 60), nullptr);
  EXPECT_EQ(DibGetFromVideoFile(u"", 80, 60), nullptr);
}

TEST(PictureTools, PhotosSaveAsJpegWithExifOrBmp) {
  fs::path dir = testenv::MakeTempDir("photo");
  plat::Offscreen* frame = plat::NewOffscreen(64, 48, plat::kOffscreenARGB32);
  ASSERT_NE(frame, nullptr);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      uint8_t* p = frame->pixels + y * frame->rowBytes + 4 * x;
      p[0] = 255, p[1] = 200, p[2] = 100, p[3] = 50;  // A, R, G, B
    }
  PubImage::QelPicture* pic = ORVGF::PixMapHandleToPict(frame);
  ASSERT_NE(pic, nullptr);
  PubImage::QelLayer* layer = pic->GetActiveLayer();
  const uint8_t* bgr = qel::Layer::From(reinterpret_cast<QelObject>(layer))->Pixels().row(5);
  EXPECT_EQ(bgr[0], 50);
  EXPECT_EQ(bgr[1], 100);
  EXPECT_EQ(bgr[2], 200);
  // Enlarged to a resolution, as a photo is.
  ASSERT_EQ(ORVGF::Resample(pic, 128, 96, 64, 48), 1);
  SIZE s{};
  pic->GetSize(&s);
  EXPECT_EQ(s.cx, 128);
  fs::path jpg = dir / "B7.jpg", bmp = dir / "B8.bmp";
  ASSERT_EQ(ORVGF::SaveImageFile(pic, W(jpg).c_str(), 75, 1), 1);
  ASSERT_EQ(ORVGF::SaveImageFile(pic, W(bmp).c_str(), 100, 2), 1);
  EXPECT_EQ(ORVGF::SaveImageFile(pic, W(dir / "x.gif").c_str(), 90, 3), 0);
  std::u16string longpath(1024, u'a');
  EXPECT_EQ(ORVGF::SaveImageFile(pic, longpath.c_str(), 90, 1), 0);
  EXPECT_EQ(ORVGF::SaveImageFile(pic, W(dir / "missing" / "x.jpg").c_str(), 90, 1), 0);
  if (!Capture("command -v exiftool").empty()) {
    std::string out = Capture("exiftool -s3 -ExifVersion -ExifImageWidth -ExifImageHeight -ImageDescription '" +
                              jpg.string() + "'");
    EXPECT_EQ(out, "0220\n128\n96\n\n");
    std::string when = Capture("exiftool -s3 -DateTimeOriginal -ModifyDate '" + jpg.string() + "'");
    EXPECT_EQ(when.size(), 40u) << when;  // two "YYYY:MM:DD hh:mm:ss" lines
    EXPECT_EQ(Capture("identify -format '%m %w %h %Q' '" + jpg.string() + "'"), "JPEG 128 96 75");
    EXPECT_EQ(Capture("identify -format '%m %w %h' '" + bmp.string() + "'"), "BMP3 128 96");
  }
  // Open again: full size and a preview-sized decode.
  PubImage::QelPicture* opened = ORVGF::OpenImageFile(W(bmp).c_str(), 1, nullptr, nullptr, 0);
  ASSERT_NE(opened, nullptr);
  opened->GetSize(&s);
  EXPECT_EQ(s.cx, 128);
  opened->Release();
  EXPECT_EQ(ORVGF::OpenImageFile(nullptr, 1, nullptr, nullptr, 0), nullptr);
  pic->Release();
  plat::DisposeOffscreen(frame);
  plat::Offscreen* other = plat::NewOffscreen(8, 8, plat::kOffscreenARGB32);
  plat::Offscreen* same = plat::NewOffscreen(8, 8, plat::kOffscreenARGB32);
  plat::Offscreen* big = nullptr;
  SRect32 b{0, 0, 9, 8};
  EXPECT_EQ(ORVGF::MyNewGWorld(&big, 32, &b), 0);
  EXPECT_EQ(ORVGF::MyCopyGWorld(other, same), 0);
  EXPECT_EQ(ORVGF::MyCopyGWorld(other, big), -2);
  EXPECT_EQ(ORVGF::MyCopyGWorld(nullptr, big), -1);
  for (auto* w : {other, same, big}) plat::DisposeOffscreen(w);
}

TEST(PictureTools, BlockIteratorCoversTheRectangleOnce) {
  _QELRECT r{-5, 3, 25, 17};
  PSBlock2Unit it(8, 5, 20, 15, r);
  std::vector<_QELRECT> got;
  _QELRECT b;
  while (it.NextRect(b)) got.push_back(b);
  // Clipped to 0..20 x 3..15; cut at block boundaries of 8 x 5.
  ASSERT_EQ(got.size(), 9u);
  EXPECT_EQ(got[0].left, 0);
  EXPECT_EQ(got[0].top, 3);
  EXPECT_EQ(got[0].right, 8);
  EXPECT_EQ(got[0].bottom, 5);
  EXPECT_EQ(got[2].right, 20);
  EXPECT_EQ(got[3].top, 5);
  EXPECT_EQ(got[3].bottom, 10);
  EXPECT_EQ(got[8].bottom, 15);
  int area = 0;
  for (auto& g : got) area += (g.right - g.left) * (g.bottom - g.top);
  EXPECT_EQ(area, 20 * 12);
}

}  // namespace
