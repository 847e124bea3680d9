// The capture page's dialogs in the running program: the camera lost while
// another input remains, and the reminder before super quality at a large
// preview size.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "CaptureModuleFixture.h"
#include "qel/QelHeadless.h"
#include "qel/QelMessage.h"

namespace hl = qel::headless;

namespace {

TEST_F(CaptureModuleTest, YesToALostCameraWithOneInputLeftStartsItAgain) {
  // The stand-in goes away after 15 frames of every start.
  ::setenv("DUNSELLOW_SYNTHETIC_CAMERA", "bounds=1280x720,fps=30,lose_at=15", 1);
  Start();
  LaunchCapture();
  bool hidden = false;
  hl::AnswerNextModalBy([&hidden](CQelWindow* w) { hidden = !hl::Read(w, "comb_devicelist").visible; }, "butn_Yes");
  hl::AnswerNextModal("butn_No");
  ASSERT_TRUE(WaitFor([this] { return Trace("capture device lost").size() == 2; }));
  EXPECT_TRUE(hidden);
  EXPECT_EQ(Trace("capture device lost"),
            (std::vector<std::string>{"capture device lost 0", "capture device lost 1"}));
  EXPECT_EQ(Preference("VideoDevice"), "\"Input 1\"");
  EXPECT_EQ(Trace("capture camera 1").size(), 2u);  // started again after Yes
}

TEST_F(CaptureModuleTest, ReturnInTheLostCameraDialogKeepsTheChosenInput) {
  ::setenv("DUNSELLOW_SYNTHETIC_CAMERA", "bounds=1280x720,fps=30,lose_at=15,inputs=Input 1|Input 2", 1);
  Start();
  LaunchCapture();
  bool shown = false;
  hl::AnswerNextModalBy([&shown](CQelWindow* w) {
    shown = hl::Read(w, "comb_devicelist").visible;
    hl::SelectItem(w, "comb_devicelist", 1);
    hl::PressKey(w, 13);
  });
  hl::AnswerNextModal("butn_No");
  const bool asked = WaitFor([this] { return !Trace("capture device lost 1").empty(); });
  ASSERT_TRUE(asked);
  EXPECT_TRUE(shown);
  EXPECT_EQ(Trace("capture device lost 0").size(), 1u);  // Return is Yes
  EXPECT_EQ(Preference("VideoDevice"), "\"Input 2\"");
}

TEST_F(CaptureModuleTest, SuperQualityAtALargeSizeAsksFirst) {
  SeedPreferences("{\"VideoResolution\": " + std::to_string(720 << 16 | 1280) + "}");
  Start();
  LaunchCapture();
  ASSERT_TRUE(WaitForPicture());

  // Cancel: super quality stays off and the reminder comes again.
  hl::AnswerNextModal("butn_Cancel");
  ASSERT_TRUE(hl::Click(&Frame(), "chck_SupperQuality"));
  Pump();
  EXPECT_EQ(Find("chck_SupperQuality")->Check(), 0);
  EXPECT_FALSE(Shown("cata_denoise"));
  EXPECT_EQ(Preference("RemindSupperQuality"), "1");

  // Continue with the box ticked: on, and never asked again.
  hl::AnswerNextModalBy([](CQelWindow* w) { EXPECT_TRUE(hl::Click(w, "chck_NotShowAgain")); }, "butn_Continue");
  ASSERT_TRUE(hl::Click(&Frame(), "chck_SupperQuality"));
  Pump();
  EXPECT_EQ(Find("chck_SupperQuality")->Check(), 1);
  EXPECT_TRUE(Shown("cata_denoise"));
  EXPECT_TRUE(Shown("cata_delighting"));
  EXPECT_EQ(Preference("RemindSupperQuality"), "0");
  EXPECT_EQ(Preference("EnableSupperQuality"), "1");

  ASSERT_TRUE(hl::Click(&Frame(), "chck_SupperQuality"));  // off
  ASSERT_TRUE(hl::Click(&Frame(), "chck_SupperQuality"));  // on, without a question
  Pump();
  EXPECT_EQ(Find("chck_SupperQuality")->Check(), 1);
  EXPECT_EQ(Trace("capture super quality reminder"),
            (std::vector<std::string>{"capture super quality reminder 1", "capture super quality reminder 0"}));
}

}  // namespace
