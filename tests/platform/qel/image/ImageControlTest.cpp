// The image control: fit and zoom arithmetic, origin and window-to-picture
// mapping, the hand tool's panning with its notifications, operations run
// through RunOp, and a rendering of a window showing a picture.
#include <cairo.h>
#include <gtest/gtest.h>

#include <vector>

#include "TestEnvironment.h"
#include "img/Operations.h"
#include "qel/QelHeadless.h"
#include "qel/QelImageControl.h"
#include "qel/QelLayout.h"
#include "qel/QelWindow.h"

namespace {

struct Seen {
  std::vector<int32_t> codes;
};

int32_t Record(QelObject, int32_t code, QELLPARAM, void* data) {
  reinterpret_cast<Seen*>(data)->codes.push_back(code);
  return 0;
}

class ImageControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(window_.Create(QEL_IMAGE_LAYOUTS "/ImageView.aui", nullptr, nullptr), 1);
    ctl_ = qel::ImageControl::From(qel::headless::FindElement(&window_, "imgc")->Handle());
    ASSERT_NE(ctl_, nullptr);
    pic_ = qel::Picture::From(Qel0CreateObj(QEL_KIND_PICTURE));
    // 400 x 200: blue left half, red right half.
    img::Bitmap b = img::Bitmap::Create(400, 200);
    for (int32_t y = 0; y < 200; ++y)
      for (int32_t x = 0; x < 400; ++x) {
        uint8_t* p = b.mutable_row(y) + 3 * x;
        p[0] = x < 200 ? 255 : 0, p[1] = 0, p[2] = x < 200 ? 0 : 255;
      }
    pic_->SetSingle(b);
    Call(8, 0, reinterpret_cast<QELLPARAM>(pic_->Handle()));
  }
  void TearDown() override {
    if (pic_) pic_->Release();
  }
  intptr_t Call(int32_t method, QELWPARAM w, QELLPARAM l) {
    return Qel0Inter(ctl_->Handle(), QEL_IF_IMAGECTRL, method, w, l);
  }
  template <typename T>
  QELLPARAM P(T* p) {
    return reinterpret_cast<QELLPARAM>(p);
  }
  CQelWindow window_;
  qel::ImageControl* ctl_ = nullptr;
  qel::Picture* pic_ = nullptr;
};

TEST_F(ImageControlTest, FitsZoomsAndMapsWindowRectanglesToPicturePixels) {
  int32_t n = 0, d = 0;
  Call(1, reinterpret_cast<QELWPARAM>(&n), P(&d));
  EXPECT_EQ(n * 400, d * 200);  // fit: 200 px control width for 400 px
  SIZE shown{};
  Call(25, 0, P(&shown));
  EXPECT_EQ(shown.cx, 200);
  EXPECT_EQ(shown.cy, 100);
  _QELPOINT org{};
  Call(11, 0, P(&org));
  EXPECT_EQ(org.x, 0);
  EXPECT_EQ(org.y, -30);  // centred vertically in 160 px
  _QELRECT client{};
  Call(14, 0, P(&client));
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 160);

  _OpZoomParam z{nullptr, 1, 1};
  ASSERT_EQ(Call(22, QEL_OP_ZOOM, P(&z)), QEL_S_OK);
  Call(1, reinterpret_cast<QELWPARAM>(&n), P(&d));
  EXPECT_EQ(n, 1);
  EXPECT_EQ(d, 1);
  Call(11, 0, P(&org));
  EXPECT_EQ(org.x, 100);  // the view centre stayed on the picture centre
  EXPECT_EQ(org.y, 20);
  _QELRECT r{0, 0, 50, 40};
  ASSERT_EQ(Call(38, 2, P(&r)), QEL_S_OK);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 150);
  EXPECT_EQ(r.bottom, 60);
  // The origin is kept inside the picture.
  _QELPOINT far{5000, -5000};
  Call(10, 0, P(&far));
  Call(11, 0, P(&org));
  EXPECT_EQ(org.x, 200);
  EXPECT_EQ(org.y, 0);
  // Zoom ratios out of range are refused.
  _OpZoomParam bad{nullptr, 1, 0};
  EXPECT_LT(Call(22, QEL_OP_ZOOM, P(&bad)), 0);
  _OpZoomParam huge{nullptr, 1000, 1};
  EXPECT_LT(Call(22, QEL_OP_ZOOM, P(&huge)), 0);
  // Back to fit mode.
  Call(2, 1, 0);
  Call(25, 0, P(&shown));
  EXPECT_EQ(shown.cx, 200);
}

TEST_F(ImageControlTest, TheHandToolPansAndTheHostHearsThePointer) {
  Seen seen;
  Call(16, reinterpret_cast<QELWPARAM>(&seen), reinterpret_cast<QELLPARAM>(&Record));
  EXPECT_LT(Call(20, 0, QEL_TOOL_HAND), 0);  // no tool set yet
  QelObject tools = Qel0CreateObj(QEL_KIND_TOOLLIST);
  Call(18, 0, reinterpret_cast<QELLPARAM>(tools));
  for (int32_t kind : {QEL_TOOL_HAND, QEL_OP_ZOOM}) {
    QelObject tool = Qel0CreateObj(uint32_t(kind));
    ASSERT_NE(tool, nullptr);
    Qel0Inter(tool, QEL_IF_ELEMENT, 11, reinterpret_cast<QELWPARAM>(tools), reinterpret_cast<QELLPARAM>(ADDEleEnd));
    Qel0Release(tool);
  }
  Qel0Inter(tools, QEL_IF_ELEMENT, 11, reinterpret_cast<QELWPARAM>(ctl_->Handle()), reinterpret_cast<QELLPARAM>(ADDEleEnd));
  ASSERT_EQ(Call(20, 0, QEL_TOOL_HAND), QEL_S_OK);
  const void* tool = nullptr;
  EXPECT_EQ(Call(21, 0, P(&tool)), QEL_TOOL_HAND);
  EXPECT_EQ(Qel0GetType(const_cast<void*>(tool)), uint32_t(QEL_TOOL_HAND));
  Call(0, 2, 1);  // zoom 2/1: 800 x 400 shown, so it pans
  _QELPOINT before{}, after{};
  Call(11, 0, P(&before));
  ctl_->OnPointer(0x40000002, POINT{100, 80});
  ctl_->OnPointer(0x40000001, POINT{70, 60});
  ctl_->OnPointer(0x40000003, POINT{70, 60});
  Call(11, 0, P(&after));
  EXPECT_EQ(after.x, before.x + 30);
  EXPECT_EQ(after.y, before.y + 20);
  std::vector<int32_t> want = {QEL_IMGC_VIEW_CHANGED, QEL_IMGC_BUTTON_DOWN, QEL_IMGC_VIEW_CHANGED,
                               QEL_IMGC_POINTER_MOVED, QEL_IMGC_BUTTON_UP};
  EXPECT_EQ(seen.codes, want);
  // Without the hand tool a drag does not pan.
  Call(20, 0, 0);
  ctl_->OnPointer(0x40000002, POINT{100, 80});
  ctl_->OnPointer(0x40000001, POINT{10, 10});
  ctl_->OnPointer(0x40000003, POINT{10, 10});
  _QELPOINT still{};
  Call(11, 0, P(&still));
  EXPECT_EQ(still.x, after.x);
  Qel0Release(tools);
}

TEST_F(ImageControlTest, RunOpTurnsThePictureAndTheWindowShowsIt) {
  int32_t rot[5] = {1, 90, 0, 0, 0};
  ASSERT_EQ(Call(22, QEL_OP_ROTATE, P(rot)), QEL_S_OK);
  SIZE s{};
  Qel0Inter(pic_->Handle(), QEL_IF_PICTURE, 3, 0, P(&s));
  EXPECT_EQ(s.cx, 200);
  EXPECT_EQ(s.cy, 400);
  QelObject shown = nullptr;
  ASSERT_EQ(Call(9, 0, P(&shown)), QEL_S_OK);
  EXPECT_EQ(shown, pic_->Handle());
  // Turned left: the blue half is now at the bottom.
  std::string png = (testenv::BuildDir() / "screenshots" / "image-control-turned.png").string();
  std::filesystem::create_directories(testenv::BuildDir() / "screenshots");
  ASSERT_TRUE(qel::headless::RenderPng(&window_, png));
  cairo_surface_t* surf = cairo_image_surface_create_from_png(png.c_str());
  ASSERT_EQ(cairo_surface_status(surf), CAIRO_STATUS_SUCCESS);
  auto pixel = [&](int x, int y) {
    const uint8_t* d = cairo_image_surface_get_data(surf);
    return *reinterpret_cast<const uint32_t*>(d + y * cairo_image_surface_get_stride(surf) + 4 * x) & 0xFFFFFF;
  };
  // Fitted 200 x 400 into 200 x 160: 80 x 160, centred at x = 20 + 60 .. 140.
  EXPECT_EQ(pixel(120, 40), 0xFF0000u);   // red on top
  EXPECT_EQ(pixel(120, 140), 0x0000FFu);  // blue below
  EXPECT_EQ(pixel(30, 90), 0x202020u);    // the window's own background beside the picture
  cairo_surface_destroy(surf);
  Call(8, 0, 0);
  EXPECT_EQ(ctl_->Pict(), nullptr);
  EXPECT_LT(Call(22, QEL_OP_ROTATE, P(rot)), 0);  // nothing to turn
}

}  // namespace

namespace {

// The two controls are classes that layouts can name once initialised.
TEST(ImageControlInit, LayoutsMakeImageAndToolControls) {
  EXPECT_EQ(ImageCtrlInit(), 0);
  EXPECT_EQ(ToolsCtrlInit(), 0);
  EXPECT_EQ(ImageCtrlInit(), 0) << "a second call changes nothing";
  qel::Element* root = qel::LoadLayoutString(
      R"(<layout name="cata_root" w="200" h="100"><element type="imgc" name="imgc_view" w="200" h="80"/>)"
      R"(<element type="tlst" name="tlst_tools"/></layout>)",
      ".");
  ASSERT_NE(root, nullptr);
  EXPECT_NE(qel::ImageControl::From(root->FindByName("imgc_view", true)->Handle()), nullptr);
  qel::Element* tools = root->FindByName("toolset", true);
  ASSERT_NE(tools, nullptr) << "the tool list takes its own name";
  EXPECT_EQ(tools->ClassName(), "tlst");
  root->Release();
}

}  // namespace
