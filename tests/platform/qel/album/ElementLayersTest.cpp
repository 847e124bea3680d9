#include <gtest/gtest.h>

#include <cairo.h>

#include <string>

#include "TestEnvironment.h"
#include "qel/QelElementLayers.h"
#include "qel/QelHeadless.h"
#include "qel/QelLayout.h"
#include "qel/QelWindow.h"

namespace hl = qel::headless;

namespace {

uint32_t PixelAt(const std::string& png, int x, int y) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  uint32_t v = 0;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(s);
    auto* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    v = reinterpret_cast<uint32_t*>(row)[x] & 0xffffffu;
  }
  cairo_surface_destroy(s);
  return v;
}

QelObject LayerOf(qel::Element* e) {
  EXPECT_EQ(Qel0Inter(e->Handle(), QEL_IF_ELEMENT, 22, 0, 0), 1);
  auto set = reinterpret_cast<QelObject>(Qel0Inter(e->Handle(), QEL_IF_ELEMENT, 23, 0, 0));
  EXPECT_NE(set, nullptr);
  EXPECT_EQ(Qel0Inter(set, QEL_IF_LAYERSET, 1, 0, 0), 1);
  return reinterpret_cast<QelObject>(Qel0Inter(set, QEL_IF_LAYERSET, 2, 0, 0));
}

}  // namespace

TEST(ElementLayers, ABottomUpBitmapIsDrawnUprightIntoTheElement) {
  qel::Element* root = qel::LoadLayoutString(
      "<layout w='60' h='40' bg='#000000'><element type='view' name='view_ThumbImage' x='20' y='0' w='40' h='40'/>"
      "</layout>",
      "");
  ASSERT_NE(root, nullptr);
  CQelWindow w;
  ASSERT_EQ(w.CreateFromPanel(root->Handle(), nullptr, nullptr), 1);
  root->Release();
  QelObject layer = LayerOf(hl::FindElement(&w, "view_ThumbImage"));
  ASSERT_NE(layer, nullptr);

  // 2 x 2, rows padded to 8 bytes, stored bottom-up: the first stored row is
  // the bottom one (blue, green), the second the top one (red, white).
  const unsigned char dib[16] = {255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0};
  QelLayerPixels pixels{sizeof(QelLayerPixels), 0, 2, 2, -8, 24, dib + 8};
  QelLayerProperty set{sizeof(QelLayerProperty), qel::kLayerBitmap, 0, &pixels};
  ASSERT_EQ(Qel0Inter(layer, QEL_IF_LAYERDATA, 8, 0, reinterpret_cast<QELLPARAM>(&set)), QEL_S_OK);

  auto png = (testenv::MakeTempDir("layers") / "l.png").string();
  ASSERT_TRUE(hl::RenderPng(&w, png));
  EXPECT_EQ(PixelAt(png, 10, 20), 0x000000u);  // beside the element
  EXPECT_EQ(PixelAt(png, 25, 5), 0xff0000u);   // top left: red
  EXPECT_EQ(PixelAt(png, 55, 5), 0xffffffu);
  EXPECT_EQ(PixelAt(png, 25, 35), 0x0000ffu);  // bottom left: blue
  EXPECT_EQ(PixelAt(png, 55, 35), 0x00ff00u);

  // Records it cannot take leave the picture as it was.
  struct Bad {
    const char* what;
    QelLayerPixels p;
  } bad[] = {{"32 bits", {sizeof(QelLayerPixels), 0, 2, 2, 8, 32, dib}},
             {"rows too short", {sizeof(QelLayerPixels), 0, 2, 2, 5, 24, dib}},
             {"a mask", {sizeof(QelLayerPixels), 1, 2, 2, 8, 24, dib}},
             {"no pixels", {sizeof(QelLayerPixels), 0, 2, 2, 8, 24, nullptr}},
             {"no size", {sizeof(QelLayerPixels), 0, 0, 2, 8, 24, dib}}};
  for (const Bad& b : bad) {
    QelLayerProperty p{sizeof(QelLayerProperty), qel::kLayerBitmap, 0, &b.p};
    EXPECT_EQ(Qel0Inter(layer, QEL_IF_LAYERDATA, 8, 0, reinterpret_cast<QELLPARAM>(&p)), QEL_E_INVALIDARG) << b.what;
  }
  // Half blended over the black background.
  QelLayerProperty blend{sizeof(QelLayerProperty), qel::kLayerBlend, 128, nullptr};
  ASSERT_EQ(Qel0Inter(layer, QEL_IF_LAYERDATA, 8, 0, reinterpret_cast<QELLPARAM>(&blend)), QEL_S_OK);
  ASSERT_TRUE(hl::RenderPng(&w, png));
  uint32_t half = PixelAt(png, 55, 5);
  EXPECT_NEAR(double(half & 0xff), 128.0, 2.0);
  w.Close();
}
