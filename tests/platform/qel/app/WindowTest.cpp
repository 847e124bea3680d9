#include <cairo.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestEnvironment.h"
#include "qel/QelHeadless.h"
#include "qel/QelInput.h"
#include "qel/QelLayout.h"
#include "qel/QelWindow.h"

namespace {

namespace hl = qel::headless;

class PanelWindow : public CQelWindow {
 public:
  std::vector<std::string> log;
  int32_t allow_close = 1;

  void RegisterCallBacks() override {
    RegisterCallBack("butn_Photo", QEL_EV_CLICK, &PhotoProc);
    RegisterCallBack("CHCK_record", kAllEvents, &RecordProc);
  }
  int32_t DidCreate() override {
    log.push_back("DidCreate");
    return 0;
  }
  int32_t AskForClose() override {
    log.push_back("AskForClose");
    return allow_close;
  }
  void WillClose() override { log.push_back("WillClose"); }
  void DidClose() override { log.push_back("DidClose"); }

  static int32_t PhotoProc(QelObject, int32_t event, QELLPARAM, void* data) {
    static_cast<PanelWindow*>(data)->log.push_back("photo " + std::to_string(event));
    return 0;
  }
  static int32_t RecordProc(QelObject e, int32_t event, QELLPARAM, void* data) {
    auto* self = static_cast<PanelWindow*>(data);
    self->log.push_back("record " + std::to_string(event) + " " +
                        std::to_string(qel::Element::From(e)->Check()));
    return 0;
  }
};

TEST(Window, LayoutByNameAndCallbacksOnHeadlessClick) {
  PanelWindow w;
  ASSERT_EQ(w.Create(u"$M\\" QEL_TEST_LAYOUTS "/Controls.aui", nullptr, nullptr), 1);
  w.ShowWindow(5);
  EXPECT_TRUE(hl::Click(&w, "butn_photo"));
  EXPECT_TRUE(hl::Click(nullptr, "chck_Record"));  // front window
  EXPECT_FALSE(hl::Click(&w, "butn_Off"));
  EXPECT_FALSE(hl::Click(&w, "butn_Missing"));
  EXPECT_EQ(w.log, (std::vector<std::string>{"DidCreate", "photo 1000", "record 1000 1"}));
  auto state = hl::Read(&w, "chck_Record");
  EXPECT_TRUE(state.found);
  EXPECT_EQ(state.check, 1);
  EXPECT_EQ(state.text, u"Record");
  EXPECT_FALSE(hl::Read(&w, "butn_Hidden").visible);
  EXPECT_FALSE(hl::Read(&w, "butn_Off").enabled);
  EXPECT_FALSE(hl::Read(&w, "nothing").found);
  SRect32 r{};
  w.GetWindowRect(&r);
  EXPECT_EQ(r.right - r.left, 400);
  EXPECT_EQ(r.bottom - r.top, 300);
}

TEST(Window, CloseAsksFirstAndDetaches) {
  PanelWindow w;
  ASSERT_EQ(w.Create(QEL_TEST_LAYOUTS "/Controls.aui", nullptr, nullptr), 1);
  w.allow_close = 0;
  EXPECT_EQ(w.Close(), 0);
  EXPECT_TRUE(w.IsCreated());
  w.allow_close = 1;
  EXPECT_EQ(w.Close(), 1);
  EXPECT_EQ(w.log, (std::vector<std::string>{"DidCreate", "AskForClose", "AskForClose", "WillClose",
                                             "DidClose"}));
  EXPECT_EQ(CQelWindow::FetchQelWindow(w.GetWindowRef()), nullptr);
  EXPECT_EQ(PostMessage(w.GetWindowRef(), 2026, 0, 0), 0);
  // The elements outlive the close (DidClose may read them) but no longer call back.
  auto* photo = qel::Element::From(w.GetElementByName("butn_Photo"));
  ASSERT_NE(photo, nullptr);
  EXPECT_EQ(photo->Callback(), nullptr);
}

TEST(Window, MissingLayoutCreatesNothing) {
  PanelWindow w;
  EXPECT_EQ(w.Create("$M\\/no/such.aui", nullptr, nullptr), 0);
  EXPECT_FALSE(w.IsCreated());
  EXPECT_TRUE(w.log.empty());
}

TEST(Window, FrameControlsSizesAndRendering) {
  PanelWindow w;
  SRect32 at{100, 100, 500, 400};
  ASSERT_EQ(w.Create(QEL_TEST_LAYOUTS "/Dialog.aui", &at, nullptr), 1);
  w.SetMinSize(350, 200);
  SRect32 r{};
  w.GetWindowRect(&r);
  EXPECT_EQ(r.right - r.left, 400);
  SRect32 small{0, 0, 10, 10};
  w.MoveWindow(&small);
  w.GetWindowRect(&r);
  EXPECT_EQ(r.right - r.left, 350);
  EXPECT_EQ(r.bottom - r.top, 200);
  w.RepositionWindow(0);
  w.GetWindowRect(&r);
  EXPECT_EQ(r.left, (1440 - 350) / 2);
  w.ShowWindow(5);
  auto png = testenv::MakeTempDir("png") / "dialog.png";
  ASSERT_TRUE(hl::RenderPng(&w, png));
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  EXPECT_EQ(cairo_surface_status(s), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(s), 350);
  cairo_surface_destroy(s);
  w.SetDefaultCallBackName("butn_close_mac", QEL_FRAME_CLOSE);
  EXPECT_TRUE(hl::Click(&w, "butn_close_mac"));
  EXPECT_FALSE(w.IsCreated());
}

TEST(Window, ShowCommands) {
  PanelWindow w;
  ASSERT_EQ(w.Create(QEL_TEST_LAYOUTS "/Dialog.aui", nullptr, nullptr), 1);
  EXPECT_FALSE(w.IsWindowVisible());
  w.ShowWindow(3);
  EXPECT_TRUE(w.IsMaximized());
  SRect32 r{};
  w.GetWindowRect(&r);
  EXPECT_EQ(r.top, 22);  // the work area
  w.ShowWindow(9);
  w.GetWindowRect(&r);
  EXPECT_EQ(r.right - r.left, 320);
  w.ShowWindow(6);
  EXPECT_TRUE(w.IsMinimized());
  w.ShowWindow(0);
  EXPECT_FALSE(w.IsWindowVisible());
}

}  // namespace

namespace {

TEST(Window, BackendClicksByPointReachTheElementUnderIt) {
  PanelWindow w;
  ASSERT_EQ(w.Create(QEL_TEST_LAYOUTS "/Controls.aui", nullptr, nullptr), 1);
  w.ShowWindow(5);
  // butn_Photo sits at (10, 10) size 80 x 24 inside "Capture" at (0, 0).
  qel::Element* hit = qel::input::ClickAt(&w, POINT{20, 20});
  ASSERT_NE(hit, nullptr);
  EXPECT_EQ(hit->Name(), "butn_Photo");
  EXPECT_EQ(qel::input::ClickAt(&w, POINT{105, 125}), nullptr);  // butn_Off is disabled
  EXPECT_EQ(w.log.back(), "photo 1000");
  EXPECT_FALSE(qel::input::Key(&w, QEL_KEY_RETURN, true));  // a plain window ignores it
}

}  // namespace

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

TEST(Window, RenderingPaintsBackgroundsAndImages) {
  auto dir = testenv::MakeTempDir("img");
  cairo_surface_t* red = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 4);
  cairo_t* cr = cairo_create(red);
  cairo_set_source_rgb(cr, 1, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_write_to_png(red, (dir / "red.png").c_str());
  cairo_surface_destroy(red);
  std::string xml =
      "<layout w='100' h='50' bg='#0000ff'>"
      "<element type='view' name='view_Pic' x='50' y='0' w='50' h='50' img='red.png'/></layout>";
  qel::Element* root = qel::LoadLayoutString(xml, dir.string());
  ASSERT_NE(root, nullptr);
  CQelWindow w;
  ASSERT_EQ(w.CreateFromPanel(root->Handle(), nullptr, nullptr), 1);
  root->Release();
  auto png = (dir / "w.png").string();
  ASSERT_TRUE(hl::RenderPng(&w, png));
  EXPECT_EQ(PixelAt(png, 10, 25), 0x0000ffu);  // background
  EXPECT_EQ(PixelAt(png, 75, 25), 0xff0000u);  // the image, scaled into its element
}

}  // namespace
