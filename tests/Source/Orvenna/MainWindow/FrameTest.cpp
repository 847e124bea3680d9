// The main window's frame and title bar: it stays within reach on the
// screen, its top corners are cut by the corner masks, its background
// picture is painted, and the strip of module tabs slides in and out as the
// pointer moves over the tabs.
#include <cairo.h>

#include <algorithm>
#include <filesystem>

#include "MainWindowFixture.h"
#include "ModuleButton.h"
#include "Profile.h"
#include "TestEnvironment.h"
#include "img/ImageFile.h"
#include "qel/QelHeadless.h"
#include "qel/QelWideText.h"

namespace {

namespace fs = std::filesystem;
namespace hl = qel::headless;

class FrameTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    fs::copy(testenv::SourceDir() / "Source/Orvenna/Resources", app_ / "Contents/Resources",
             fs::copy_options::recursive);
  }
  // Whether any of the tab strip can be seen inside its clipping panel.
  bool StripInView() { return InView("cata_process"); }
  // The pointer at a point of the window.
  void PointerAt(POINT inWindow) {
    SRect32 b = Frame().Bounds();
    POINT screen{b.left + inWindow.x, b.top + inWindow.y};
    QelSetCursorPos(&screen);
  }
  static POINT Inside(qel::Element* e, int32_t dy = 0) {
    SRect32 r = e->Bounds();
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2 + dy};
  }
};

TEST_F(FrameTest, AMovedWindowStaysWithinReach) {
  Start();
  // The headless work area is 0,22 - 1440,900; the window is 720 x 540.
  struct Case {
    const char* what;
    int32_t left, top;
    int32_t wantLeft, wantTop;
  } cases[] = {
      {"inside", 300, 200, 300, 200},
      {"above the work area", 300, -60, 300, 22},
      {"below it", 300, 880, 300, 870},
      {"off to the left", -700, 200, -690, 200},
      {"off to the right", 1420, 200, 1410, 200},
      {"off at a corner", -719, 899, -690, 870},
  };
  for (const Case& c : cases) {
    SRect32 to{c.left, c.top, c.left + 720, c.top + 540};
    Frame().MoveWindow(&to);
    SRect32 now = Frame().Bounds();
    EXPECT_EQ(now.left, c.wantLeft) << c.what;
    EXPECT_EQ(now.top, c.wantTop) << c.what;
    EXPECT_EQ(now.right - now.left, 720) << c.what << ": the size is kept";
    EXPECT_EQ(now.bottom - now.top, 540) << c.what;
  }
}

TEST_F(FrameTest, TopCornersAreCutByTheMasksAndFollowTheSize) {
  Start();
  auto covered = [&](int32_t x, int32_t y) {
    for (const SRect32& r : Frame().Shape()) {
      if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    }
    return false;
  };
  SRect32 b = Frame().Bounds();
  int32_t w = b.right - b.left, h = b.bottom - b.top;
  ASSERT_FALSE(Frame().Shape().empty());
  // The masks' white corner pixels are cut; their black part and the rest stay.
  EXPECT_FALSE(covered(0, 0));
  EXPECT_FALSE(covered(w - 1, 0));
  EXPECT_TRUE(covered(7, 0)) << "the mask's black top-right pixel";
  EXPECT_TRUE(covered(0, 7));
  EXPECT_TRUE(covered(w / 2, 0));
  EXPECT_TRUE(covered(0, h - 1)) << "bottom corners stay square";
  EXPECT_TRUE(covered(w - 1, h - 1));

  SRect32 wider{b.left, b.top, b.left + 900, b.top + 600};
  Frame().MoveWindow(&wider);
  EXPECT_FALSE(covered(899, 0)) << "the right corner moves with the edge";
  EXPECT_TRUE(covered(899, 599));
  EXPECT_TRUE(covered(w - 1, 0)) << "the old corner is no corner any more";

  Frame().ShowWindow(3);  // maximised: the screen's edges, square corners
  EXPECT_TRUE(Frame().Shape().empty());
  Frame().ShowWindow(9);
  EXPECT_FALSE(Frame().Shape().empty());
}

TEST_F(FrameTest, BackgroundPictureIsPaintedBlendedOverTheWindow) {
  fs::path photo = dir_ / "red.jpg";
  ASSERT_TRUE(img::SaveJpeg([] {
                img::Bitmap b = img::Bitmap::Create(64, 48);
                uint8_t* p = b.mutable_data();
                for (int32_t i = 0; i < 64 * 48; ++i) p[3 * i] = 0, p[3 * i + 1] = 0, p[3 * i + 2] = 255;  // B, G, R
                return b;
              }(), photo.string(), {}) == img::Status::kOk);
  SaveProfileInt(u"Option", u"Background Mode", 3);
  SaveProfileString(u"Option", u"Personal Photo", QelFromUTF8(photo.string()).c_str());
  Start();
  ASSERT_TRUE(Shown("cata_mask"));
  fs::path png = dir_ / "main.png";
  ASSERT_TRUE(hl::RenderPng(&Frame(), png.string()));
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  ASSERT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  // A point of the home page where nothing else is drawn: 70 % of the red
  // picture over the window's own dark colour.
  qel::Element* mask = Find("cata_mask");
  SRect32 r = mask->Bounds();
  int32_t x = r.right - 20, y = r.bottom - 20;
  const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) +
                                                       size_t(y) * size_t(cairo_image_surface_get_stride(s)));
  uint32_t px = row[x];
  cairo_surface_destroy(s);
  EXPECT_NEAR(int((px >> 16) & 0xff), 191, 8) << std::hex << px;
  EXPECT_NEAR(int((px >> 8) & 0xff), 14, 8) << std::hex << px;
  EXPECT_NEAR(int(px & 0xff), 16, 8) << std::hex << px;

  // The picture goes: mode 1 comes back and nothing is painted.
  fs::remove(photo);
  Frame().SetBackGround(1);
  EXPECT_EQ(LoadProfileInt(u"Option", u"Background Mode", 0), 1);
  EXPECT_EQ(Frame().SetBkImage(CQelStringW(QelFromUTF8(photo.string()).c_str()), mask->Handle(), nullptr, 1), 0);
}

TEST_F(FrameTest, TabStripFollowsThePointerOverTheTabs) {
  Stage({.folder = "Alpha", .index = "1"});
  Stage({.folder = "Beta", .index = "2"});
  Start();
  EXPECT_FALSE(StripInView()) << "no module launched: no strip";
  IconOf("Alpha")->Click();
  Pump();
  qel::Element* tab = Find("butn_Alpha");  // the shown module's tab beside the home button
  qel::Element* radio = Find("butn_BetaP");  // Beta's tab in the strip
  ASSERT_TRUE(tab && radio);

  tab->Fire(CModuleButton::kEventPointerEnter);
  Pump();
  EXPECT_EQ(Frame().BtnProcessState(), 1);
  EXPECT_TRUE(StripInView());

  qel::Element* process = Find("cata_process");
  struct Case {
    const char* where;
    qel::Element* left;  // the element the pointer leaves
    POINT to;
    int32_t state;
  } cases[] = {
      {"from the tab into the strip", tab, Inside(process), 1},
      {"from the tab to just below the strip", tab, POINT{Inside(process).x, process->Bounds().bottom + 3}, 1},
      {"from the strip back onto the tab", radio, Inside(tab), 1},
      {"from the strip onto empty window space", radio, POINT{400, 300}, 0},
      {"from the tab onto empty window space", tab, POINT{400, 300}, 0},
  };
  for (const Case& c : cases) {
    tab->Fire(CModuleButton::kEventPointerEnter);  // shown again
    Pump();
    PointerAt(c.to);
    c.left->Fire(CModuleButton::kEventPointerLeave);
    Pump();
    EXPECT_EQ(Frame().BtnProcessState(), c.state) << c.where;
    EXPECT_EQ(StripInView(), c.state == 1) << c.where;
  }
  // Activating the window while a module is launched slides it away too.
  tab->Fire(CModuleButton::kEventPointerEnter);
  Pump();
  Frame().PostMessage(6, 1, 0);
  Pump();
  EXPECT_EQ(Frame().BtnProcessState(), 0);
}

}  // namespace
