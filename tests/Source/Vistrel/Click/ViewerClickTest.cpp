// The photo viewer as a user meets it: its window on a private X server with
// three real photos, every control of the window and of the full-screen
// tool bar clicked through the X server and its effect checked; the tool
// bar dragged by its handle.
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include "App.h"
#include "BaseWnd.h"
#include "FullScreenToolbar.h"
#include "FullScreenWnd.h"
#include "MainFrame.h"
#include "PictureReader.h"
#include "PrivateDisplay.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "TestView.h"
#include "XUser.h"
#include "os/AppleEvents.h"
#include "qel/QelBackend.h"
#include "qel/QelElement.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace {

class ViewerClick : public ::testing::Test {
 public:  // the table rows ask too
  void Start() {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    SetPictureReader(nullptr);  // the imaging library's reader
    const fs::path dir = testenv::MakeTempDir("viewer-clicks");
    std::u16string line;
    for (int i = 0; i < 3; ++i) {
      GdkPixbuf* photo = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 1600, 1200);
      gdk_pixbuf_fill(photo, 0x3584e4ffu + uint32_t(i) * 0x20000000u);
      const fs::path file = dir / ("photo_" + std::to_string(i + 1) + ".jpg");
      ASSERT_TRUE(gdk_pixbuf_save(photo, file.c_str(), "jpeg", nullptr, nullptr));
      g_object_unref(photo);
      line += u"\"" + QelFromUTF8(file.string()) + u"\" ";
    }
    theApp.SetBundleContents((testenv::StageDir() / "Dunsellow.app/Contents/Dunsellow Vistrel.app/Contents").string());
    ASSERT_NE(theApp.InitInstance(), 0);
    started_ = true;
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
    user_.emplace();
    ASSERT_TRUE(user_->Ready()) << "the X server has no XTest";
    plat::AEDispatch(plat::MakeCommandLineEvent(line));
    ASSERT_TRUE(user_->WaitFor([this] { return Settled(); }));
    user_->Settle();
  }
  void TearDown() override {
    if (started_) theApp.ExitInstance();
    vistreltest::ResetViewer();
  }
  CMainFrame& Main() { return *theApp.GetMainFrame(); }
  CBaseWnd& View() {
    return Main().IsInFullScreenMode() ? static_cast<CBaseWnd&>(Main().FullScreenWindow()) : Main();
  }
  bool Settled() { return !View().IsReadingCurThumb() && View().ShownPicture() != nullptr; }
  std::u16string Title() { return std::u16string(Main().Title()); }
  bool Names(const char16_t* file) { return Title().find(file) != std::u16string::npos; }
  qel::Element* ToolbarElement(const char* name) {
    return qel::Element::From(Main().FullScreenToolbar().Panel()->GetElementByName(name, 1));
  }

  struct Row {
    const char* element;
    std::function<bool(ViewerClick*)> effect;
  };
  // Clicks each row's element of `w` and waits for its effect.
  void ClickRows(CQelWindow* w, const std::vector<Row>& rows) {
    for (size_t i = 0; i < rows.size(); ++i) {
      SCOPED_TRACE(std::string(rows[i].element) + " in row " + std::to_string(i));
      user_->Settle();
      ASSERT_TRUE(user_->Click(w, rows[i].element));
      EXPECT_TRUE(user_->WaitFor([&] { return rows[i].effect(this) && Settled(); }));
    }
  }

  std::optional<testenv::XUser> user_;
  bool started_ = false;
};

TEST_F(ViewerClick, EveryControlOfTheWindow) {
  Start();
  ASSERT_TRUE(Names(u"photo_1.jpg"));
  ClickRows(&Main(), {
      {"butn_Next", [](ViewerClick* t) { return t->Names(u"photo_2.jpg"); }},
      {"butn_Previous", [](ViewerClick* t) { return t->Names(u"photo_1.jpg"); }},
      {"butn_ZoomIn", [](ViewerClick* t) { return !t->Main().IsFitIn(); }},
      {"butn_fit", [](ViewerClick* t) { return t->Main().IsFitIn(); }},
      {"butn_ActualSize", [](ViewerClick* t) { return !t->Main().CanDoActualSize() && !t->Main().IsFitIn(); }},
      {"butn_ZoomOut", [](ViewerClick* t) { return t->Main().CanDoActualSize(); }},
      // The degree counts turns to the left.
      {"butn_rotate_right", [](ViewerClick*) { return CBaseWnd::m_nRotateDegree == 270; }},
      {"butn_rotate_left", [](ViewerClick*) { return CBaseWnd::m_nRotateDegree == 0; }},
      {"butn_maximize_mac", [](ViewerClick* t) { return t->Main().IsMaximized(); }},
      {"butn_maximize_mac", [](ViewerClick* t) { return !t->Main().IsMaximized(); }},
  });
  const fs::path out = testenv::BuildDir() / "screenshots";
  fs::create_directories(out);
  EXPECT_TRUE(qel::gtk::SaveWindowPng(&Main(), (out / "viewer-window.png").string()));
  ClickRows(&Main(), {{"butn_close_mac", [](ViewerClick* t) { return !t->Main().IsWindowVisible(); }}});
}

TEST_F(ViewerClick, TheFullScreenToolBar) {
  Start();
  ASSERT_TRUE(user_->Click(&Main(), "butn_FullScreen_mac"));
  ASSERT_TRUE(user_->WaitFor([this] { return Main().IsInFullScreenMode() && Settled(); }));
  CQelWindow* full = &Main().FullScreenWindow();
  ASSERT_TRUE(user_->WaitFor([&] { return ToolbarElement("butn_Next")->EffectivelyVisible(); }));
  ClickRows(full, {
      {"butn_Next", [](ViewerClick* t) { return t->View().GetCurIndex() == 1; }},
      {"butn_Previous", [](ViewerClick* t) { return t->View().GetCurIndex() == 0; }},
      {"butn_ZoomIn", [](ViewerClick* t) { return !t->View().IsFitIn(); }},
      {"butn_fit", [](ViewerClick* t) { return t->View().IsFitIn(); }},
      {"butn_ActualSize", [](ViewerClick* t) { return !t->View().CanDoActualSize(); }},
      {"butn_ZoomOut", [](ViewerClick* t) { return t->View().CanDoActualSize(); }},
      {"butn_rotate_left", [](ViewerClick*) { return CBaseWnd::m_nRotateDegree == 90; }},
      {"butn_rotate_right", [](ViewerClick*) { return CBaseWnd::m_nRotateDegree == 0; }},
  });

  // The handle drags the bar; it stays whole on the screen.
  qel::Element* bar = qel::Element::From(Main().FullScreenToolbar().Panel());
  const SRect32 before = bar->Bounds();
  auto handle = user_->Where(full, "cata_drag");
  ASSERT_TRUE(handle);
  ASSERT_TRUE(user_->PressAt(*handle));
  user_->Settle();
  for (int step = 1; step <= 6; ++step) {
    user_->MoveTo(POINT{handle->x - 30 * step, handle->y - 20 * step});
    user_->Settle();
  }
  ASSERT_TRUE(user_->ReleaseAt(POINT{handle->x - 180, handle->y - 120}));
  EXPECT_TRUE(user_->WaitFor([&] {
    const SRect32 now = bar->Bounds();
    return now.left == before.left - 180 && now.top == before.top - 120;
  }));
  auto far = user_->Where(full, "cata_drag");
  ASSERT_TRUE(far);
  ASSERT_TRUE(user_->PressAt(*far));
  for (int step = 1; step <= 4; ++step) {
    user_->MoveTo(POINT{far->x + 1000 * step, far->y + 1000 * step});
    user_->Settle();
  }
  ASSERT_TRUE(user_->ReleaseAt(POINT{far->x + 4000, far->y + 4000}));
  user_->Settle();
  const SRect32 screen = full->Root()->Bounds(), placed = bar->Bounds();
  EXPECT_LE(placed.right, screen.right);
  EXPECT_LE(placed.bottom, screen.bottom);

  ClickRows(full, {{"butn_Back", [](ViewerClick* t) { return !t->Main().IsInFullScreenMode(); }}});
  EXPECT_TRUE(user_->WaitFor([this] { return Main().IsWindowVisible(); }));

  // Again into full screen, and out by the bar's close button: the viewer ends.
  ASSERT_TRUE(user_->Click(&Main(), "butn_FullScreen_mac"));
  ASSERT_TRUE(user_->WaitFor([this] { return Main().IsInFullScreenMode(); }));
  ASSERT_TRUE(user_->WaitFor([&] { return ToolbarElement("butn_close")->EffectivelyVisible(); }));
  user_->Settle();
  ASSERT_TRUE(user_->Click(full, "butn_close"));
  EXPECT_TRUE(user_->WaitFor([this] { return !Main().IsInFullScreenMode() && !Main().IsWindowVisible(); }));
}

}  // namespace
