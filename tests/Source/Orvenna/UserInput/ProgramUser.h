#pragma once
// The real program with its staged modules in the test process, on the GTK
// backend under the private X server, and a user at it (XUser).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "MyQelApp.h"
#include "PrivateDisplay.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "XUser.h"
#include "qel/QelBackend.h"
#include "qel/QelElement.h"
#include "qel/QelWideText.h"

inline CQelModalWnd* OpenModal() {
  for (CQelWindow* w : QelWindows()) {
    auto* modal = dynamic_cast<CQelModalWnd*>(w);
    if (modal && modal->InModal()) return modal;
  }
  return nullptr;
}

inline bool ShownIn(CQelWindow* w, const char* name) {
  qel::Element* e = w ? qel::Element::From(w->GetElementByName(name)) : nullptr;
  return e && e->EffectivelyVisible();
}

class ProgramUser : public ::testing::Test {
 public:  // the table rows ask too
  void Start() {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    ASSERT_EQ(theApp.InitInstance(), 1);
    started_ = true;
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
    user_.emplace();
    ASSERT_TRUE(user_->Ready()) << "the X server has no XTest";
    ASSERT_TRUE(user_->WaitFor([this] { return Shown("cata_homepage"); }));
  }
  void TearDown() override {
    if (!started_) return;
    // Closing can ask a question (unsaved changes) that a failed test left
    // nobody to answer: each one is cancelled, and the program ends anyway.
    const guint answer = g_timeout_add(
        200,
        [](gpointer) -> gboolean {
          if (CQelModalWnd* modal = OpenModal(); modal && !modal->ModalEnding())
            modal->EndModal(CQelModalWnd::kResultCancel);
          return G_SOURCE_CONTINUE;
        },
        nullptr);
    theApp.ExitInstance();
    g_source_remove(answer);
  }
  CMyMainFrame* Frame() { return theApp.GetMainFrame(); }
  bool Shown(const char* name) { return ShownIn(Frame(), name); }
  // The module shown in the main window: its name, or "" on the home page.
  std::string Module() {
    IORVAction* action = nullptr;
    Frame()->GetModuleMgr()->GetActiveEmbeddedAction(&action);
    if (!action) return "";
    uint32_t id = action->GetLibID();
    action->Release();
    return QelToUTF8(std::u16string_view(Frame()->GetModuleMgr()->GetModuleNameByLibID(id).c_str()));
  }
  void OpenCapture() {
    ASSERT_TRUE(user_->Click(Frame(), "butn_active"));
    ASSERT_TRUE(user_->WaitFor(
        [this] { return Module() == "Capture" && Shown("cata_module") && !Frame()->LaunchInProgress(); }));
  }
  // The home page's second module button: the edit module.
  void OpenEditModule() {
    qel::Element* edit = nullptr;
    user_->OnMain([&] {
      qel::Element* row = Find("cata_Butn");
      int seen = 0;
      std::function<void(qel::Element*)> walk = [&](qel::Element* e) {
        if (e->Name() == "butn_active" && ++seen == 2) edit = e;
        for (qel::Element* c : e->Children()) walk(c);
      };
      if (row) walk(row);
    });
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(user_->Click(Frame(), edit));
    ASSERT_TRUE(user_->WaitFor([this] { return Module() == "Edit" && !Frame()->LaunchInProgress(); }));
  }
  SIZE WindowSize() {
    SRect32 b = Frame()->Bounds();
    return SIZE{b.right - b.left, b.bottom - b.top};
  }

  qel::Element* Find(const char* name) { return qel::Element::From(Frame()->GetElementByName(name)); }
  bool Enabled(const char* name) {
    qel::Element* e = Find(name);
    return e && e->EffectivelyVisible() && e->EffectivelyEnabled();
  }
  // A point inside an element, `dx`, `dy` from its top-left corner, on screen.
  std::optional<POINT> Inside(const char* name, int dx, int dy) {
    auto centre = user_->Where(Frame(), name);
    if (!centre) return std::nullopt;
    SRect32 r{};
    user_->OnMain([&] { r = Find(name)->Bounds(); });
    return POINT{centre->x - (r.right - r.left) / 2 + dx, centre->y - (r.bottom - r.top) / 2 + dy};
  }
  // The first modal window open now, or null.
  static CQelModalWnd* Modal() { return OpenModal(); }
  // No window but the main one on screen (a closed dialog's window is gone).
  bool OnlyTheMainWindow() {
    for (CQelWindow* w : QelWindows()) {
      GtkWidget* top = w == Frame() ? nullptr : qel::gtk::NativeWindow(w);
      if (top && gtk_widget_get_mapped(top)) return false;
    }
    return true;
  }

  std::optional<testenv::XUser> user_;
  bool started_ = false;
};
