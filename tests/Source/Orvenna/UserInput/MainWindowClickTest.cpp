// The main window as a user meets it: the real program with its staged
// modules, clicked and typed at through the X server. Each table row is one
// control and the effect a user sees.
#include "ProgramUser.h"

namespace {

using MainWindowClick = ProgramUser;

TEST_F(MainWindowClick, TheHomePageModuleButtonOpensTheModule) {
  Start();
  ASSERT_TRUE(user_->Click(Frame(), "butn_active"));
  EXPECT_TRUE(user_->WaitFor([this] { return !Module().empty() && Shown("cata_module") && !Shown("cata_homepage"); }));
}

TEST_F(MainWindowClick, TitleBarButtons) {
  Start();
  OpenCapture();
  // The title bar names the module once, beside its tab.
  const std::filesystem::path out = testenv::BuildDir() / "screenshots";
  std::filesystem::create_directories(out);
  EXPECT_TRUE(qel::gtk::SaveWindowPng(Frame(), (out / "main-window-capture.png").string()));
  struct Row {
    const char* element;
    std::function<bool(MainWindowClick*)> effect;
  };
  const Row rows[] = {
      {"butn_maximize_mac", [](MainWindowClick* t) { return t->Frame()->IsMaximized(); }},
      {"butn_maximize_mac", [](MainWindowClick* t) { return !t->Frame()->IsMaximized(); }},
      {"butn_home", [](MainWindowClick* t) { return t->Module().empty() && t->Shown("cata_homepage"); }},
      {"butn_active", [](MainWindowClick* t) { return t->Module() == "Capture"; }},
      {"butn_minimize_mac", [](MainWindowClick* t) { return t->Frame()->IsMinimized(); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.element) + " in row " + std::to_string(&row - rows));
    user_->Settle();
    ASSERT_TRUE(user_->Click(Frame(), row.element));
    EXPECT_TRUE(user_->WaitFor([&] { return row.effect(this); }));
  }
}

TEST_F(MainWindowClick, TheModuleTabsSwitchModules) {
  Start();
  OpenCapture();
  const std::pair<const char*, const char*> rows[] = {{"butn_Capture", "butn_EditP"}, {"butn_Edit", "butn_CaptureP"}};
  for (const auto& [shown, other] : rows) {
    SCOPED_TRACE(other);
    const std::string want = std::string(other) == "butn_EditP" ? "Edit" : "Capture";
    user_->Run([&] {
      // The pointer over the shown module's tab slides the other tabs in.
      auto at = user_->Where(Frame(), shown);
      ASSERT_TRUE(at);
      ASSERT_TRUE(user_->MoveTo(*at));
      std::optional<POINT> last;
      int still = 0;
      ASSERT_TRUE(user_->WaitFor([&] {
        auto now = user_->Where(Frame(), other);
        still = now && last && now->x == last->x && now->y == last->y ? still + 1 : 0;
        last = now;
        return still >= 3;
      }));
      ASSERT_TRUE(user_->ClickAt(*last));
      EXPECT_TRUE(user_->WaitFor([&] { return Module() == want && !Frame()->LaunchInProgress(); }));
    });
  }
}

TEST_F(MainWindowClick, TheBareTitleBarAndTheGripSizeTheWindow) {
  Start();
  const SIZE before = WindowSize();
  auto grip = user_->Where(Frame(), "butn_stretch");
  ASSERT_TRUE(grip);
  ASSERT_TRUE(user_->PressAt(*grip));
  user_->Settle();
  for (int step = 1; step <= 5; ++step) {
    user_->MoveTo(POINT{grip->x + 20 * step, grip->y + 16 * step});
    user_->Settle();
  }
  ASSERT_TRUE(user_->ReleaseAt(POINT{grip->x + 100, grip->y + 80}));
  EXPECT_TRUE(user_->WaitFor([&] { return WindowSize().cx > before.cx + 50 && WindowSize().cy > before.cy + 40; }));

  ASSERT_TRUE(user_->DoubleClick(Frame(), "cata_title"));
  EXPECT_TRUE(user_->WaitFor([&] { return Frame()->IsMaximized(); }));
}

TEST_F(MainWindowClick, TheMenusOpenTheirWindows) {
  Start();
  user_->Run([&] {
    // About: a click anywhere closes it.
    ASSERT_TRUE(user_->ClickMenu(Frame(), {"Dunsellow", "About Dunsellow"}));
    ASSERT_TRUE(user_->WaitFor([] { return OpenModal() != nullptr; }));
    CQelModalWnd* about = nullptr;
    user_->OnMain([&] { about = OpenModal(); });
    ASSERT_TRUE(user_->Click(about, "cata_MouseDown"));
    ASSERT_TRUE(user_->WaitFor([] { return OpenModal() == nullptr; }));

    // Options, left by each of its three ways out.
    for (const char* way : {"butn_Cancel", "butn_close_mac", "butn_OK"}) {
      SCOPED_TRACE(way);
      ASSERT_TRUE(user_->ClickMenu(Frame(), {"Dunsellow", "Options…"}));
      ASSERT_TRUE(user_->WaitFor([] { return OpenModal() != nullptr; }));
      CQelModalWnd* options = nullptr;
      user_->OnMain([&] { options = OpenModal(); });
      ASSERT_TRUE(user_->Click(options, way));
      ASSERT_TRUE(user_->WaitFor([] { return OpenModal() == nullptr; }));
    }
  });
}

TEST_F(MainWindowClick, TheOptionsTabsAndChoices) {
  Start();
  user_->Run([&] {
    ASSERT_TRUE(user_->Key(Frame(), "ctrl+comma"));
    ASSERT_TRUE(user_->WaitFor([] { return OpenModal() != nullptr; }));
    CQelModalWnd* options = nullptr;
    user_->OnMain([&] { options = OpenModal(); });
    struct Row {
      const char* element;
      const char* shows;
    };
    const Row rows[] = {{"tabi_Advanced", "cedt_path1"}, {"tabi_Skins", "rado_custombg"}};
    for (const Row& row : rows) {
      SCOPED_TRACE(row.element);
      ASSERT_TRUE(user_->Click(options, row.element));
      EXPECT_TRUE(user_->WaitFor([&] { return ShownIn(options, row.shows); }));
    }
    for (const char* radio : {"rado_nobg", "rado_custombg", "rado_defaultbg"}) {
      SCOPED_TRACE(radio);
      ASSERT_TRUE(user_->Click(options, radio));
      EXPECT_TRUE(user_->WaitFor([&] {
        qel::Element* e = qel::Element::From(options->GetElementByName(radio));
        return e && e->Check() == 1;
      }));
    }
    ASSERT_TRUE(user_->Key(options, "Escape"));
    ASSERT_TRUE(user_->WaitFor([] { return OpenModal() == nullptr; }));
  });
}

TEST_F(MainWindowClick, TheCloseButtonEndsTheProgram) {
  Start();
  ASSERT_TRUE(user_->Click(Frame(), "butn_close_mac"));
  EXPECT_TRUE(user_->WaitFor([] { return theApp.IsQuitting(); }));
}

TEST_F(MainWindowClick, UnderAWindowManagerKeysOpenAndCloseTheOptions) {
  if (!testenv::StartPrivateDisplay() || !testenv::StartWindowManager()) GTEST_SKIP() << "no window manager";
  Start();
  bool opened = false, closed = false;
  user_->Run([&] {
    ASSERT_TRUE(user_->Key(Frame(), "ctrl+comma"));
    opened = user_->WaitFor([] { return OpenModal() != nullptr; });
    if (!opened) return;
    CQelWindow* modal = nullptr;
    user_->OnMain([&] { modal = OpenModal(); });
    ASSERT_TRUE(user_->Key(modal, "Escape"));
    closed = user_->WaitFor([] { return OpenModal() == nullptr; });
  });
  EXPECT_TRUE(opened);
  EXPECT_TRUE(closed);
}

}  // namespace

namespace {

// Where the window manager shows a window: its frame's rectangle on screen.
GdkRectangle OnScreen(CQelWindow* w) {
  GdkRectangle r{};
  gdk_window_get_frame_extents(gtk_widget_get_window(qel::gtk::NativeWindow(w)), &r);
  return r;
}

TEST_F(MainWindowClick, UnderAWindowManagerADialogSitsOverItsWindow) {
  if (!testenv::StartPrivateDisplay() || !testenv::StartWindowManager()) GTEST_SKIP() << "no window manager";
  Start();
  EXPECT_NE(gtk_window_get_default_icon_list(), nullptr) << "the windows carry the suite's icon";
  user_->Run([&] {
    ASSERT_TRUE(user_->Focus(Frame()));  // placed and shown by the window manager
    ASSERT_TRUE(user_->ClickMenu(Frame(), {"Dunsellow", "Options…"}));
    CQelModalWnd* options = nullptr;
    ASSERT_TRUE(user_->WaitFor([&] {
      options = Modal();
      GtkWidget* top = options ? qel::gtk::NativeWindow(options) : nullptr;
      return top && gtk_widget_get_mapped(top);
    }));
    bool over = false;
    ASSERT_TRUE(user_->WaitFor([&] {
      const GdkRectangle p = OnScreen(Frame()), d = OnScreen(options);
      const int dx = (d.x + d.width / 2) - (p.x + p.width / 2), dy = (d.y + d.height / 2) - (p.y + p.height / 2);
      GtkWindow* top = GTK_WINDOW(qel::gtk::NativeWindow(options));
      over = std::abs(dx) <= 8 && std::abs(dy) <= 8 &&
             gtk_window_get_transient_for(top) == GTK_WINDOW(qel::gtk::NativeWindow(Frame())) &&
             gtk_window_get_type_hint(top) == GDK_WINDOW_TYPE_HINT_DIALOG;
      return over;
    }));
    user_->WaitFor([] { return false; }, 1);  // its first frames drawn
    user_->OnMain([&] {
      // The whole screen, as a user sees it.
      GdkWindow* root = gdk_get_default_root_window();
      GdkPixbuf* shot = gdk_pixbuf_get_from_window(root, 0, 0, gdk_window_get_width(root), gdk_window_get_height(root));
      const std::filesystem::path out = testenv::BuildDir() / "screenshots";
      std::filesystem::create_directories(out);
      EXPECT_TRUE(shot && gdk_pixbuf_save(shot, (out / "dialog-over-its-window.png").c_str(), "png", nullptr, nullptr));
      if (shot) g_object_unref(shot);
    });
    ASSERT_TRUE(user_->Click(options, "butn_Cancel"));
    ASSERT_TRUE(user_->WaitFor([] { return Modal() == nullptr; }));
  });
}

}  // namespace
