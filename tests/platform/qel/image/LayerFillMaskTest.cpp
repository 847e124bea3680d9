// Layer fill, masks from a layer's grey levels, picture resolution, and the
// imaging library's washes behind them.
#include <gtest/gtest.h>

#include "img/Tint.h"
#include "qel/QelCore.h"
#include "qel/QelImage.h"

namespace {

TEST(LayerFillMaskTest, FillAndMask) {
  qel::Layer* l = qel::Layer::Make(img::Bitmap::Filled(3, 2, 0));
  ASSERT_EQ(l->Inter(QEL_IF_LAYER, 20, 0x00FF8040, 0), 0);  // 0x00BBGGRR
  const uint8_t* px = l->Pixels().row(1);
  EXPECT_EQ(px[0], 0xFF);  // blue
  EXPECT_EQ(px[1], 0x80);
  EXPECT_EQ(px[2], 0x40);
  qel::Layer* grey = qel::Layer::Make(img::Bitmap::Filled(3, 2, 200));
  ASSERT_EQ(l->Inter(QEL_IF_LAYER, 28, 0, reinterpret_cast<QELLPARAM>(grey->Handle())), 0);
  ASSERT_FALSE(l->Mask().empty());
  EXPECT_EQ(l->Mask().row(0)[0], 200);
  qel::Layer* wrong = qel::Layer::Make(img::Bitmap::Filled(4, 2, 0));
  EXPECT_NE(l->Inter(QEL_IF_LAYER, 28, 0, reinterpret_cast<QELLPARAM>(wrong->Handle())), 0);
  EXPECT_EQ(l->Inter(QEL_IF_LAYER, 28, 0, 0), 0);  // none: opaque again
  EXPECT_TRUE(l->Mask().empty());
  for (auto* o : {l, grey, wrong}) o->Release();
}

TEST(LayerFillMaskTest, PictureResolution) {
  auto* p = new qel::Picture();
  EXPECT_EQ(p->Inter(QEL_IF_PICTURE, 28, 300, 0), 0);
  EXPECT_EQ(p->Inter(QEL_IF_PICTURE, 31, 0, 0), 300);
  EXPECT_NE(p->Inter(QEL_IF_PICTURE, 30, 0, 0), 0);
  p->Release();
}

TEST(LayerFillMaskTest, Washes) {
  img::Bitmap b = img::Bitmap::Filled(2, 2, 0);
  img::WashTowardWhite(b);
  EXPECT_EQ(b.row(0)[0], 191);  // (0 + 765) / 4
  img::Bitmap w = img::Bitmap::Filled(2, 1, 255);
  img::WashTowardWhite(w);
  EXPECT_EQ(w.row(0)[5], 255);
  img::FillColour(b, 1, 2, 3);
  EXPECT_EQ(b.row(1)[3], 3);
  EXPECT_EQ(b.row(1)[5], 1);
}

}  // namespace
