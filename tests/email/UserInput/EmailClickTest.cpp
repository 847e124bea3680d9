// Sending by e-mail as a user meets it: the album's files in the confirm
// dialog, stepped through, a subject typed, attached or given up with the
// mouse and the keyboard, and the progress window's own controls, all
// through the X server. A fake xdg-email records what reached the mail
// program.
#include <glib.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "EmailTestSupport.h"
#include "EmailTestUser.h"
#include "FakeXdgEmail.h"
#include "MediaTools.h"
#include "NuvoDlgParam.h"
#include "PrivateDisplay.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "XUser.h"
#include "qel/QelBackend.h"
#include "qel/QelHeadless.h"
#include "qel/QelWideText.h"
#include "qel/QelWindow.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

using emailtest::ModalWith;

class EmailClick : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could be started";
    if (!testenv::StartWindowManager()) GTEST_SKIP() << "no window manager";
    if (qel::IsHeadless()) GTEST_SKIP() << "GTK cannot use the X server";
    ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
    media_ = testenv::MakeTempDir("media");
    emailtest::MakePhoto(media_ / "board.jpg", "640x480");
    emailtest::MakeMovie(media_ / "experiment.mov");
    fake_.emplace();
    user_.emplace();
    ASSERT_TRUE(user_->Ready()) << "the X server has no XTest";
  }

  // Starts the album's call on the GTK thread; it runs while the script acts.
  void StartSending() {
    answer_ = 99;
    g_idle_add([](gpointer self) {
      auto* t = static_cast<EmailClick*>(self);
      std::vector<std::u16string> files{QelFromUTF8((t->media_ / "board.jpg").string()),
                                        QelFromUTF8((t->media_ / "experiment.mov").string())};
      bool found = false;
      t->answer_ = CallBundleDialog(u"ZylEmail.bundle", "OrvMailDlg", files, nullptr, false, nullptr, &found);
      return gboolean(G_SOURCE_REMOVE);
    }, this);
  }
  bool Done() { return user_->WaitFor([this] { return answer_ != 99; }); }

  // Runs a script of user steps against the call started by StartSending.
  // A step that fails leaves windows open: they are closed afterwards, so
  // the call ends and the failure is reported instead of a hang.
  void Script(const std::function<void()>& steps) {
    user_->Run([&] {
      steps();
      for (int round = 0; round < 20 && !user_->WaitFor([this] { return answer_ != 99; }, 2); ++round) {
        ADD_FAILURE() << "a window was left open";
        user_->OnMain([] {
          for (CQelWindow* w : QelWindows()) {
            if (auto* modal = dynamic_cast<CQelModalWnd*>(w); modal && modal->InModal())
              modal->EndModal(CQelModalWnd::kResultCancel);
          }
        });
      }
    });
  }

  // The window holding `element` once it is up and has come to rest where
  // the window manager put it (asked from a script).
  CQelWindow* WaitForWindow(const char* element) {
    CQelWindow* found = nullptr;
    if (!user_->WaitFor([&] { return (found = ModalWith(element)) != nullptr; })) return nullptr;
    std::optional<POINT> before;
    for (int tries = 0; tries < 50; ++tries) {
      std::optional<POINT> now = user_->Where(found, element);
      // At rest and given the keyboard by the window manager, as a new
      // dialog is before a user reaches it.
      if (now && before && now->x == before->x && now->y == before->y) return user_->Focus(found) ? found : nullptr;
      before = now;
      user_->Settle();
    }
    return nullptr;
  }
  bool Click(CQelWindow* w, const char* element) { return emailtest::HandClick(*user_, w, element); }
  std::u16string TextOf(CQelWindow* w, const char* element) {
    std::u16string text;
    user_->OnMain([&] { text = hl::Read(w, element).text; });
    return text;
  }
  bool TextBecomes(CQelWindow* w, const char* element, const std::u16string& expected) {
    return user_->WaitFor([&] { return hl::Read(w, element).text == expected; });
  }

  fs::path media_;
  std::optional<testmail::FakeXdgEmail> fake_;
  std::optional<testenv::XUser> user_;
  int32_t answer_ = 99;
};

TEST_F(EmailClick, StepThroughTypeASubjectAndAttach) {
  // The mail program keeps xdg-email waiting: the progress window stays up
  // until its Cancel stops the wait.
  ::setenv("FAKE_MAIL_SLEEP", "30", 1);
  StartSending();
  Script([&] {
    CQelWindow* confirm = WaitForWindow("imgc_EmailPreview");
    ASSERT_NE(confirm, nullptr);
    ASSERT_TRUE(TextBecomes(confirm, "view_AttachNum", u"1/2"));
    ASSERT_TRUE(Click(confirm, "butn_next"));
    ASSERT_TRUE(TextBecomes(confirm, "view_AttachNum", u"2/2"));
    ASSERT_TRUE(Click(confirm, "butn_Previous"));
    ASSERT_TRUE(TextBecomes(confirm, "view_AttachNum", u"1/2"));
    ASSERT_TRUE(Click(confirm, "edit_Subject"));
    // The keys go to the subject once its entry has the keyboard.
    ASSERT_TRUE(user_->WaitFor([&] {
      GtkWidget* entry = qel::gtk::NativeEntry(confirm, hl::FindElement(confirm, "edit_Subject"));
      return entry && gtk_widget_has_focus(entry);
    }));
    ASSERT_TRUE(user_->Key("ctrl+a"));
    ASSERT_TRUE(user_->Type("Field trip, part 2"));
    ASSERT_TRUE(TextBecomes(confirm, "edit_Subject", u"Field trip, part 2"));
    ASSERT_TRUE(Click(confirm, "butn_Attach"));
    CQelWindow* progress = WaitForWindow("hscl_progress");
    ASSERT_NE(progress, nullptr);
    ASSERT_TRUE(user_->WaitFor([&] { return !fake_->Calls().empty(); }));
    ASSERT_TRUE(Click(progress, "butn_Cancel"));
  });
  ::unsetenv("FAKE_MAIL_SLEEP");
  ASSERT_TRUE(Done());
  EXPECT_EQ(answer_, 1);
  const auto calls = fake_->Calls();
  ASSERT_EQ(calls.size(), 1u);
  ASSERT_EQ(calls[0].size(), 9u);
  EXPECT_EQ(calls[0][2], "Field trip, part 2");
  EXPECT_NE(calls[0][6].find("/Attachment0.jpg"), std::string::npos);
  EXPECT_NE(calls[0][8].find("/Attachment1.mov"), std::string::npos);
}

TEST_F(EmailClick, KeysAndButtonsEndTheDialogs) {
  struct Case {
    const char* how;      // a key name, or an element of the confirm dialog
    bool key;
    const char* progress; // an element clicked in the progress window, or null
    size_t calls;         // messages the mail program has got after this case
  };
  const Case cases[] = {
      {"Return", true, nullptr, 1},
      {"Escape", true, nullptr, 1},
      {"butn_Cancel", false, nullptr, 1},
      {"butn_close_mac", false, nullptr, 1},
      {"butn_Attach", false, "butn_close_mac", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    if (c.progress) ::setenv("FAKE_MAIL_SLEEP", "30", 1);
    StartSending();
    Script([&] {
      CQelWindow* confirm = WaitForWindow("imgc_EmailPreview");
      ASSERT_NE(confirm, nullptr);
      ASSERT_TRUE(c.key ? user_->Key(confirm, c.how) : Click(confirm, c.how));
      if (!c.progress) return;
      CQelWindow* progress = WaitForWindow("hscl_progress");
      ASSERT_NE(progress, nullptr);
      ASSERT_TRUE(user_->WaitFor([&] { return fake_->Calls().size() == c.calls; }));
      ASSERT_TRUE(Click(progress, c.progress));
    });
    ::unsetenv("FAKE_MAIL_SLEEP");
    ASSERT_TRUE(Done());
    EXPECT_EQ(answer_, 1);
    // Return hands the message over at once (the fake does not wait).
    EXPECT_TRUE(user_->WaitFor([&] { return fake_->Calls().size() == c.calls; }));
  }
}

}  // namespace
