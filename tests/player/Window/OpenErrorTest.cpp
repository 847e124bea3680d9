// A file that cannot be played: the open-error dialog and its preference.
#include <gtest/gtest.h>

#include "ErrorMsgDlg.h"
#include "GlobalFun.h"
#include "MediaTools.h"
#include "PlayerFixture.h"
#include "TestEnvironment.h"
#include "os/Preferences.h"
#include "qel/QelHeadless.h"

using namespace playertest;

namespace {

// "ShowErrorMsg" as Python's plistlib reads the player's preference file
// ("absent" without one).
std::string StoredByPlistlib() {
  const std::string path = plat::Preferences::ForDomain(kPlayerPreferenceDomain).path();
  return mediatools::RunLine("python3 -c 'import plistlib,sys\n"
                             "try:\n d=plistlib.load(open(sys.argv[1],\"rb\"))\n"
                             "except FileNotFoundError:\n d={}\n"
                             "print(d.get(\"ShowErrorMsg\",\"absent\"))' " + mediatools::Quote(path));
}

}  // namespace

TEST_F(PlayerFixture, AFileThatCannotBePlayedIsReportedUntilTheUserSaysNotTo) {
  const fs::path broken = folder_ / "broken.mov";
  testenv::WriteFile(broken, std::string(4096, '\x5a'));
  const fs::path good = Clip("good.mov");
  ASSERT_TRUE(Start());
  EXPECT_EQ(StoredByPlistlib(), "absent");

  // Checked, then unchecked before OK: still shown next time.
  std::u16string title, message;
  qel::headless::AnswerNextModalBy([&](CQelWindow* dialog) {
    title = qel::headless::Read(dialog, "view_title_mac").text;
    message = qel::headless::Read(dialog, "view_ErrorMsg").text;
    qel::headless::Click(dialog, "chck_DontShowAgain");
    EXPECT_EQ(StoredByPlistlib(), "0");  // written the moment it is clicked
    qel::headless::Click(dialog, "chck_DontShowAgain");
  }, "butn_OK");
  Send(Command(AssetList({broken.string(), good.string()}, broken.string())));
  EXPECT_EQ(qel::headless::PendingModalAnswers(), 0u);
  EXPECT_EQ(title, u"Dunsellow Playvane");
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(StoredByPlistlib(), "1");
  // The list and the entry stay, so Next moves on; the play box is off.
  EXPECT_EQ(Main().GetCurrentIndex(), 0);
  EXPECT_EQ(E("chck_Play")->Check(), 0);
  EXPECT_FALSE(Main().PlayWnd().IsFileOpened());
  ASSERT_TRUE(E("butn_Next")->Click());
  EXPECT_TRUE(Main().PlayWnd().IsFileOpened());

  // Checked, then the close button: the dialog is not shown again.
  qel::headless::AnswerNextModalBy([&](CQelWindow* dialog) {
    qel::headless::Click(dialog, "chck_DontShowAgain");
  }, "butn_close_mac");
  ASSERT_TRUE(E("butn_Previous")->Click());
  EXPECT_EQ(qel::headless::PendingModalAnswers(), 0u);
  EXPECT_EQ(StoredByPlistlib(), "0");
  EXPECT_EQ(CGlobalFun::LoadProfileInt(kPrefSectionOptions, kPrefShowErrorMsg, 1), 0);
  qel::headless::AnswerNextModal("butn_OK");
  ASSERT_TRUE(E("butn_Next")->Click());
  ASSERT_TRUE(E("butn_Next")->Click());
  EXPECT_EQ(qel::headless::PendingModalAnswers(), 1u) << "the dialog was shown although turned off";
}

TEST_F(PlayerFixture, TheOpenErrorDialogEndsWithItsCodesAndShowsOneTextForEveryError) {
  ASSERT_TRUE(Start());
  const std::string bundle = theApp.GetBundleContents();
  std::u16string first, second;
  qel::headless::AnswerNextModalBy([&](CQelWindow* d) { first = qel::headless::Read(d, "view_ErrorMsg").text; },
                                   "butn_OK");
  EXPECT_EQ(CErrorMsgDlg().ShowErrorMsg(bundle, Main().GetWindowRef(), -1), CErrorMsgDlg::kEndOK);
  qel::headless::AnswerNextModalBy([&](CQelWindow* d) { second = qel::headless::Read(d, "view_ErrorMsg").text; },
                                   "butn_close_mac");
  EXPECT_EQ(CErrorMsgDlg().ShowErrorMsg(bundle, Main().GetWindowRef(), -1094995529), CErrorMsgDlg::kEndClosed);
  EXPECT_EQ(first, second);
  qel::headless::AnswerNextModalKey(27);
  EXPECT_EQ(CErrorMsgDlg().ShowErrorMsg(bundle, Main().GetWindowRef(), 0), CErrorMsgDlg::kEndClosed);
  // Without its layout the dialog is not shown.
  EXPECT_EQ(CErrorMsgDlg().ShowErrorMsg("/nonexistent", Main().GetWindowRef(), 0), CErrorMsgDlg::kNotShown);
}
