// The plug-ins' warning and question dialogs on the headless toolkit: which
// buttons show, what each answer returns, the do-not-show-again box, the
// size that follows the message, the on-screen guard, and the answer of a
// dialog that cannot be shown.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "DlgWarning.h"
#include "TestEnvironment.h"
#include "qel/QelBackend.h"
#include "qel/QelHeadless.h"
#include "qel/QelMessage.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

constexpr const char* kButtons[] = {"butn_Yes", "butn_No", "butn_OK", "butn_Cancel"};

// A main bundle with the program's dialog layouts and corner masks.
fs::path MakeMainBundle(bool withLayouts = true) {
  fs::path bundle = testenv::MakeTempDir("apps") / "Dunsellow.app";
  fs::path contents = bundle / "Contents";
  testenv::WriteFile(contents / "Info.plist",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n"
                     "<key>CFBundleIdentifier</key><string>com.Talvexa.Orvenna</string>\n</dict></plist>\n");
  const fs::path src = testenv::SourceDir() / "Source" / "Orvenna";
  fs::create_directories(contents / "UI");
  fs::create_directories(contents / "Resources");
  if (withLayouts) {
    for (const char* name : {"WaringMsg.aui", "WarningMsgWithCheckBox.aui"}) {
      fs::copy_file(src / "UI" / name, contents / "UI" / name);
    }
  }
  for (const char* name : {"MainWndLT.bmp", "MainWndRT.bmp"}) {
    fs::copy_file(src / "Resources" / name, contents / "Resources" / name);
  }
  ::setenv("DUNSELLOW_BUNDLE", bundle.c_str(), 1);
  return bundle;
}

struct Seen {
  std::set<std::string> buttons;
  int32_t height = 0;
  std::u16string text;
};

// Answers the next dialog with `button` (or `key` when button is null),
// noting what it showed first.
void AnswerAndNote(Seen* seen, const char* button, uint32_t key = 0) {
  hl::AnswerNextModalBy([seen, key](CQelWindow* w) {
    for (const char* name : kButtons) {
      if (hl::Read(w, name).visible) seen->buttons.insert(name);
    }
    SRect32 r;
    w->GetWindowRect(&r);
    seen->height = r.bottom - r.top;
    seen->text = hl::Read(w, "text_Msg").text;
    if (key) hl::PressKey(w, key);
  }, button);
}

class DlgWarningTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hl::ClearModalAnswers();
    MakeMainBundle();
  }
  void TearDown() override { hl::ClearModalAnswers(); }
};

using Box = int32_t (*)(WindowRef, const WCHAR*, const WCHAR*, uint32_t);

struct AnswerCase {
  const char* what;
  Box box;
  uint32_t flags;
  const char* button;  // or a key:
  uint32_t key;
  int32_t answer;
  std::set<std::string> shown;
};

TEST_F(DlgWarningTest, ButtonSetsAndAnswers) {
  const std::set<std::string> yesNo{"butn_Yes", "butn_No"};
  const std::set<std::string> yesNoCancel{"butn_Yes", "butn_No", "butn_Cancel"};
  const std::set<std::string> ok{"butn_OK"};
  const std::set<std::string> okCancel{"butn_OK", "butn_Cancel"};
  const AnswerCase cases[] = {
      {"yes/no: Yes", vMessageBox, kWarnYesNo, "butn_Yes", 0, 0, yesNo},
      {"yes/no: No", vMessageBox, kWarnYesNo, "butn_No", 0, 1, yesNo},
      {"yes/no: Return", vMessageBox, kWarnYesNo, nullptr, QEL_KEY_RETURN, 0, yesNo},
      {"yes/no: Escape", vMessageBox, kWarnYesNo, nullptr, QEL_KEY_ESCAPE, 1, yesNo},
      {"OK", vMessageBox, kWarnOK, "butn_OK", 0, 0, ok},
      {"OK: keypad Enter", vMessageBox2, kWarnOK, nullptr, QEL_KEY_ENTER, 0, ok},
      {"OK/Cancel: Cancel", vMessageBox2, kWarnOKCancel, "butn_Cancel", 0, 1, okCancel},
      {"three-way: Yes", vMessageBox3, kWarnYesNoCancel, "butn_Yes", 0, 0, yesNoCancel},
      {"three-way: No", vMessageBox3, kWarnYesNoCancel, "butn_No", 0, 1, yesNoCancel},
      {"three-way: Cancel", vMessageBox3, kWarnYesNoCancel, "butn_Cancel", 0, 2, yesNoCancel},
      {"three-way: Escape", vMessageBox3, kWarnYesNoCancel, nullptr, QEL_KEY_ESCAPE, 2, yesNoCancel},
      {"high bits ignored", vMessageBox, 0x40 | kWarnYesNo, "butn_No", 0, 1, yesNo},
      {"set 2: no button, Return", vMessageBox, 2, nullptr, QEL_KEY_RETURN, 0, {}},
      {"set 5: no button, Escape", vMessageBox, 5, nullptr, QEL_KEY_ESCAPE, 1, {}},
  };
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(c.what);
    Seen seen;
    AnswerAndNote(&seen, c.button, c.key);
    EXPECT_EQ(c.box(nullptr, u"Delete the selected photos?", u"ignored", c.flags), c.answer);
    EXPECT_EQ(seen.buttons, c.shown);
    EXPECT_EQ(seen.text, u"Delete the selected photos?");
    EXPECT_EQ(hl::PendingModalAnswers(), 0u);
  }
}

TEST_F(DlgWarningTest, ADialogThatCannotBeShownNeverAgrees) {
  MakeMainBundle(false);
  hl::AnswerNextModal("butn_Yes");  // must stay unused: nothing is shown
  EXPECT_EQ(vMessageBox(nullptr, u"Delete?", u"", kWarnYesNo), 1);
  EXPECT_EQ(vMessageBox2(nullptr, u"Delete?", u"", kWarnOKCancel), 1);
  EXPECT_EQ(vMessageBox3(nullptr, u"Save?", u"", kWarnYesNoCancel), 2);
  EXPECT_EQ(hl::PendingModalAnswers(), 1u);
}

TEST_F(DlgWarningTest, TheDialogGrowsWithItsMessageAndKeepsItsLeastHeight) {
  Seen shortText, longText, emptyText;
  AnswerAndNote(&shortText, "butn_OK");
  vMessageBox(nullptr, u"Done.", u"", kWarnOK);
  std::u16string paragraph;
  for (int i = 0; i < 12; ++i) paragraph += u"This line of the message is long enough to wrap in the dialog. ";
  AnswerAndNote(&longText, "butn_OK");
  vMessageBox(nullptr, paragraph.c_str(), u"", kWarnOK);
  AnswerAndNote(&emptyText, "butn_OK");
  vMessageBox(nullptr, u"", u"", kWarnOK);
  EXPECT_GT(longText.height, shortText.height + 60);
  // A one-line message still leaves room for the icon: never shorter than
  // the layout's title, icon and buttons.
  EXPECT_GE(shortText.height, 38 + 20 + 32 + 54);
  EXPECT_GT(emptyText.height, 0);
}

TEST_F(DlgWarningTest, ADialogMovedOutOfReachComesBack) {
  SRect32 moved{};
  const SRect32 work = qel::CurrentBackend().WorkArea();
  hl::AnswerNextModalBy([&moved](CQelWindow* w) {
    SRect32 r;
    w->GetWindowRect(&r);
    const int32_t width = r.right - r.left, height = r.bottom - r.top;
    SRect32 above{r.left, -300, r.left + width, -300 + height};
    w->MoveWindow(&above);
    w->GetWindowRect(&moved);
    SRect32 right{5000, r.top, 5000 + width, r.top + height};
    w->MoveWindow(&right);
    SRect32 after;
    w->GetWindowRect(&after);
    moved.right = after.left;  // where the second move ended
  }, "butn_OK");
  vMessageBox(nullptr, u"Moved", u"", kWarnOK);
  EXPECT_EQ(moved.top, work.top);
  EXPECT_EQ(moved.right, work.right - 30);
}

class DlgWarningWithCheckTest : public DlgWarningTest {
 protected:
  static CQelStringW Layout() { return vGetWarningUI(u"WarningMsgWithCheckBox.aui", 1); }
};

TEST_F(DlgWarningWithCheckTest, AnswersAndTheDoNotShowAgainBox) {
  struct Case {
    const char* what;
    bool tick;
    const char* button;
    uint32_t key;
    int32_t answer;
    bool showAgain;
  };
  const Case cases[] = {
      {"continue", false, "butn_Continue", 0, 0, true},
      {"ticked, continue", true, "butn_Continue", 0, 0, false},
      {"ticked, Return", true, nullptr, QEL_KEY_RETURN, 0, false},
      {"cancel", false, "butn_Cancel", 0, 1, true},
      {"Escape", false, nullptr, QEL_KEY_ESCAPE, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CDlgWarningWithCheck dialog(nullptr, u"Super quality is slower.", 0, 0);
    ASSERT_TRUE(dialog.Create(Layout().c_str(), nullptr, nullptr));
    EXPECT_EQ(hl::Read(&dialog, "view").text, u"Super quality is slower.");
    hl::AnswerNextModalBy([&c](CQelWindow* w) {
      if (c.tick) EXPECT_TRUE(hl::Click(w, "chck_NotShowAgain"));
      if (c.key) hl::PressKey(w, c.key);
    }, c.button);
    EXPECT_EQ(dialog.DoModal(), c.answer);
    EXPECT_EQ(dialog.ShowAgain(), c.showAgain);
  }
}

TEST_F(DlgWarningWithCheckTest, OkOnlyShowsOneButton) {
  CDlgWarningWithCheck dialog(nullptr, u"Noted.", 0, 1);
  ASSERT_TRUE(dialog.Create(Layout().c_str(), nullptr, nullptr));
  EXPECT_FALSE(hl::Read(&dialog, "butn_Continue").visible);
  EXPECT_FALSE(hl::Read(&dialog, "butn_Cancel").visible);
  EXPECT_TRUE(hl::Read(&dialog, "butn_Ok").visible);
  hl::AnswerNextModal("butn_Ok");
  EXPECT_EQ(dialog.DoModal(), 0);
}

}  // namespace
