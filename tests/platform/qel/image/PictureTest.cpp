// Pictures and layers through the numbered calls: files in and out (with the
// EXIF items read back by exiftool), reduced decodes, layer pixels, merging,
// scaling and the picture operations.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "TestEnvironment.h"
#include "img/ImageFile.h"
#include "img/Operations.h"
#include "qel/QelImage.h"
#include "qel/QelPath.h"
#include "qel/QelElement.h"

namespace {

namespace fs = std::filesystem;

std::string Capture(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[512];
  while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
  pclose(p);
  return out;
}

img::Bitmap Gradient(int32_t w, int32_t h) {
  img::Bitmap b = img::Bitmap::Create(w, h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      uint8_t* p = b.mutable_row(y) + 3 * x;
      p[0] = uint8_t(x * 255 / w), p[1] = uint8_t(y * 255 / h), p[2] = 180;
    }
  return b;
}

// Calls a picture method with a file reference made from `path`.
intptr_t WithFile(QelObject pic, int32_t method, void* record, const fs::path& path) {
  std::u16string wide = qel::ToU16(path.string());
  Qel0FSRef ref = Qel0FSRCreateWithPath(reinterpret_cast<const WCHAR*>(wide.c_str()));
  intptr_t r = Qel0Inter(pic, QEL_IF_PICTURE, method, reinterpret_cast<QELWPARAM>(record),
                         reinterpret_cast<QELLPARAM>(ref));
  Qel0FSRRelease(ref);
  return r;
}

SIZE SizeOf(QelObject pic) {
  SIZE s{};
  Qel0Inter(pic, QEL_IF_PICTURE, 3, 0, reinterpret_cast<QELLPARAM>(&s));
  return s;
}

TEST(Picture, OpensFullPreviewAndThumbnailSizes) {
  fs::path dir = testenv::MakeTempDir("open");
  fs::path jpg = dir / "big.jpg";
  ASSERT_EQ(img::SaveJpeg(Gradient(2000, 1500), jpg.string(), {}), img::Status::kOk);
  struct Case {
    const char* what;
    QelImageOpenOptions o;
    int32_t w, h;
  } cases[] = {
      {"full", {64, 0, 0x00FFFFFF}, 2000, 1500},
      {"preview", {64, 0, 512, 0, 0, 1}, 1000, 750},       // DCT 1/2 keeps >= 512
      {"thumbnail", {64, 0, 512, 1, 0, 7, 160, 160, 1}, 160, 120},
      {"eighth", {64, 0, 512, 0, 0, 6, 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, 3}, 250, 188},
  };
  for (auto& c : cases) {
    QelObject pic = Qel0CreateObj(QEL_KIND_PICTURE);
    ASSERT_EQ(WithFile(pic, 50, &c.o, jpg), QEL_S_OK) << c.what;
    SIZE s = SizeOf(pic);
    EXPECT_EQ(s.cx, c.w) << c.what;
    EXPECT_EQ(s.cy, c.h) << c.what;
    int32_t fw = 0, fh = 0;
    Qel0Inter(pic, QEL_IF_PICTURE, 15, QEL_PICT_PROP_FULL_WIDTH, reinterpret_cast<QELLPARAM>(&fw));
    Qel0Inter(pic, QEL_IF_PICTURE, 15, QEL_PICT_PROP_FULL_HEIGHT, reinterpret_cast<QELLPARAM>(&fh));
    EXPECT_EQ(fw, 2000);
    EXPECT_EQ(fh, 1500);
    Qel0Release(pic);
  }
  // An abort poll that says stop: the open fails and the picture stays empty.
  QelImageOpenOptions stop{64, 0, 0x00FFFFFF};
  stop.ProcAbort = [](void*) -> unsigned long { return 1; };
  QelObject pic = Qel0CreateObj(QEL_KIND_PICTURE);
  EXPECT_LT(WithFile(pic, 50, &stop, jpg), 0);
  EXPECT_EQ(Qel0Inter(pic, QEL_IF_PICTURE, 5, 0, 0), 0);
  EXPECT_LT(WithFile(pic, 50, nullptr, dir / "missing.jpg"), 0);
  Qel0Release(pic);
}

TEST(Picture, SavesJpegWithExifItemsAndBmpAtItsDepth) {
  if (Capture("command -v exiftool").empty()) GTEST_SKIP() << "exiftool missing";
  fs::path dir = testenv::MakeTempDir("save");
  QelObject pic = Qel0CreateObj(QEL_KIND_PICTURE);
  SIZE s{64, 48};
  ASSERT_EQ(Qel0Inter(pic, QEL_IF_PICTURE, 0, 0, reinterpret_cast<QELLPARAM>(&s)), QEL_S_OK);
  qel::Layer* layer = qel::Layer::Make(Gradient(64, 48));
  ASSERT_EQ(Qel0Inter(pic, QEL_IF_PICTURE, 7, 1, reinterpret_cast<QELLPARAM>(layer->Handle())), QEL_S_OK);
  layer->Release();
  char16_t when[1024] = {};
  std::u16string t = u"2011:02:03 04:05:06";
  std::copy(t.begin(), t.end(), when);
  int32_t w = 64, h = 48;
  char16_t version[5] = u"0220";
  QelExifItem items[] = {{QEL_EXIF_DATETIME, when, sizeof when}, {QEL_EXIF_VERSION, version, sizeof version},
                         {QEL_EXIF_PIXEL_X, &w, 4}, {QEL_EXIF_PIXEL_Y, &h, 4}};
  for (auto& it : items) {
    ASSERT_EQ(Qel0Inter(pic, QEL_IF_PICTURE, 48, 0, reinterpret_cast<QELLPARAM>(&it)), QEL_S_OK);
  }
  int32_t jpeg_opt[2] = {0, 75};
  QelImageSaveOptions rec{int32_t(sizeof(QelImageSaveOptions)), 1, 0, 1, {}, jpeg_opt};
  ASSERT_EQ(WithFile(pic, 51, &rec, dir / "p.jpg"), QEL_S_OK);
  EXPECT_EQ(Capture("exiftool -s3 -DateTimeOriginal -ExifVersion -ExifImageWidth -ExifImageHeight '" +
                    (dir / "p.jpg").string() + "'"),
            "2011:02:03 04:05:06\n0220\n64\n48\n");
  EXPECT_EQ(Capture("identify -format '%m %Q' '" + (dir / "p.jpg").string() + "'"), "JPEG 75");
  int32_t bmp_opt[2] = {0, 24};
  QelImageSaveOptions brec{int32_t(sizeof(QelImageSaveOptions)), 2, 0, 1, {}, bmp_opt};
  ASSERT_EQ(WithFile(pic, 51, &brec, dir / "p.bmp"), QEL_S_OK);
  EXPECT_EQ(Capture("identify -format '%m %w %h %z' '" + (dir / "p.bmp").string() + "'"), "BMP3 64 48 8");
  // Type 0 goes by the extension; an unknown one is refused.
  QelImageSaveOptions byname{int32_t(sizeof(QelImageSaveOptions)), 0};
  EXPECT_EQ(WithFile(pic, 51, &byname, dir / "q.png"), QEL_S_OK);
  EXPECT_LT(WithFile(pic, 51, &byname, dir / "q.tiff"), 0);
  EXPECT_FALSE(fs::exists(dir / "q.tiff"));
  Qel0Release(pic);
}

TEST(Picture, LayersMoveMergeAndCarryPixels) {
  qel::Picture* pic = static_cast<qel::Picture*>(qel::Object::FromHandle(Qel0CreateObj(QEL_KIND_PICTURE)));
  pic->SetSize(SIZE{10, 10});
  qel::Layer* base = qel::Layer::Make(img::Bitmap::Filled(10, 10, 0));
  img::Plane half = img::Plane::Filled(2, 2, 128);
  qel::Layer* top = qel::Layer::Make(img::Bitmap::Filled(2, 2, 255), half, 4, 4);
  ASSERT_TRUE(pic->Insert(1, base));
  ASSERT_TRUE(pic->Insert(99, top));
  EXPECT_EQ(pic->LayerAt(2), top);
  QelObject merged = reinterpret_cast<QelObject>(Qel0Inter(pic->Handle(), QEL_IF_PICTURE, 16, 0, 0));
  ASSERT_NE(merged, nullptr);
  const img::Bitmap& m = qel::Layer::From(merged)->Pixels();
  EXPECT_EQ(m.row(0)[0], 0);
  EXPECT_EQ(m.row(4)[3 * 4], 128);  // half-transparent white over black
  // Pixels out and back in, bottom-up with a negative step.
  std::vector<uint8_t> buf(12 * 10);
  QelPixelTransfer t{1, buf.data() + 12 * 9, 0, 0, 4, 10, 24, -12};
  ASSERT_EQ(Qel0Inter(merged, QEL_IF_LAYER, 24, 0, reinterpret_cast<QELLPARAM>(&t)), QEL_S_OK);
  EXPECT_EQ(buf[12 * 5 + 0], 0);   // row 4 of the layer is buffer row 5
  buf[12 * 9] = 77;                // layer row 0, first byte
  ASSERT_EQ(Qel0Inter(base->Handle(), QEL_IF_LAYER, 25, 0, reinterpret_cast<QELLPARAM>(&t)), QEL_S_OK);
  EXPECT_EQ(base->Pixels().row(0)[0], 77);
  // Scaling by a matrix and crop-and-resize answer new layers.
  _LYR_TRANSFORM tr{{0.5, 0, 0, 0, 0.3, 0, 0, 0, 1}, 2, 1};
  QelObject scaled = reinterpret_cast<QelObject>(Qel0Inter(base->Handle(), QEL_IF_LAYER, 43, 0, reinterpret_cast<QELLPARAM>(&tr)));
  ASSERT_NE(scaled, nullptr);
  _QELRECT r{};
  Qel0Inter(scaled, QEL_IF_LAYER, 6, 0, reinterpret_cast<QELLPARAM>(&r));
  EXPECT_EQ(r.right, 5);
  EXPECT_EQ(r.bottom, 3);
  IMGCLYR_CROPRESIZE cr{{2, 2, 8, 6}, {2, 1}, {1, 2}, 1};
  QelObject cropped = reinterpret_cast<QelObject>(Qel0Inter(base->Handle(), QEL_IF_LAYER, 38, 0, reinterpret_cast<QELLPARAM>(&cr)));
  ASSERT_NE(cropped, nullptr);
  Qel0Inter(cropped, QEL_IF_LAYER, 6, 0, reinterpret_cast<QELLPARAM>(&r));
  EXPECT_EQ(r.right - r.left, 12);
  EXPECT_EQ(r.bottom - r.top, 2);
  // Removing hands the picture's reference to the caller.
  EXPECT_EQ(Qel0Inter(pic->Handle(), QEL_IF_PICTURE, 8, 2, 0), QEL_S_OK);
  EXPECT_EQ(pic->LayerCount(), 1);
  EXPECT_EQ(top->RefCount(), 2);
  for (QelObject o : {merged, scaled, cropped}) Qel0Release(o);
  top->Release();
  top->Release();
  base->Release();
  // Copies share layer pixels.
  QelObject copy = Qel0CopyObject(pic->Handle());
  EXPECT_TRUE(qel::Picture::From(copy)->LayerAt(1)->Pixels().SharesPixelsWith(pic->LayerAt(1)->Pixels()));
  Qel0Release(copy);
  pic->Release();
}

TEST(Picture, OperationsChangeThePictureInPlace) {
  qel::Picture* pic = qel::Picture::From(Qel0CreateObj(QEL_KIND_PICTURE));
  img::Bitmap g = Gradient(40, 20);
  pic->SetSingle(g);
  int32_t rot[5] = {1, 90, 0, 0, 0};
  ASSERT_EQ(qel::RunPictureOp(pic, QEL_OP_ROTATE, rot), QEL_S_OK);
  EXPECT_EQ(pic->Size().cx, 20);
  EXPECT_EQ(pic->Size().cy, 40);
  EXPECT_EQ(0, std::memcmp(pic->Flatten().data(), img::Rotate(g, 90).data(), g.bytes()));
  int32_t flip[2] = {1, 1};
  ASSERT_EQ(qel::RunPictureOp(pic, QEL_OP_FLIP, flip), QEL_S_OK);
  EXPECT_EQ(0, std::memcmp(pic->Flatten().data(),
                           img::Flip(img::Rotate(g, 90), img::FlipAxis::kLeftRight).data(), g.bytes()));
  int16_t bc[3] = {20, 0, 0};
  img::Bitmap before = pic->Flatten();
  ASSERT_EQ(qel::RunPictureOp(pic, QEL_OP_BRIGHTNESS_CONTRAST, bc), QEL_S_OK);
  EXPECT_EQ(pic->Flatten().data()[0], img::BrightnessContrastTable(20, 0)[before.data()[0]]);
  EXPECT_EQ(before.data()[0], Gradient(40, 20).data()[3 * 39]);  // the kept copy did not change
  int32_t sharpen[3] = {60, 2, 0};
  EXPECT_EQ(qel::RunPictureOp(pic, QEL_OP_SHARPEN, sharpen), QEL_S_OK);
  EXPECT_EQ(qel::RunPictureOp(pic, QEL_OP_AUTO_ENHANCE, nullptr), QEL_S_OK);
  EXPECT_EQ(qel::RunPictureOp(pic, QEL_OP_AUTO_ENHANCE_END, nullptr), QEL_S_OK);
  int32_t rf[3] = {-270, 1, 1};
  EXPECT_EQ(qel::RunPictureOp(pic, QEL_OP_ROTATE_FLIP, rf), QEL_S_OK);
  EXPECT_EQ(pic->Size().cx, 40);
  int32_t rs[5] = {10, 40, 5, 20, 1};
  EXPECT_EQ(qel::RunPictureOp(pic, QEL_OP_RESAMPLE, rs), QEL_S_OK);
  EXPECT_EQ(pic->Size().cx, 10);
  EXPECT_EQ(pic->Size().cy, 5);
  EXPECT_EQ(qel::RunPictureOp(pic, QEL_OP_ROTATE, nullptr), QEL_E_POINTER);
  EXPECT_EQ(qel::RunPictureOp(pic, 12345, nullptr), QEL_E_NOTIMPL);
  pic->Release();
}

}  // namespace
