// The capture module inside the main program: its page and toolbar in the
// host, the media folder, the host messages and camera-button commands with
// no camera present, the settings dialog and its preferences, the soft eject
// box and the way home.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "CaptureModuleFixture.h"
#include "Profile.h"
#include "qel/QelHeadless.h"
#include "qel/QelMessage.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

constexpr const char* kToolbar[] = {"butn_camsetting", "butn_CaptureSettings", "butn_fullScreen", "chck_SoftEject"};

TEST_F(CaptureModuleTest, TheHomePageOffersTheModule) {
  Start();
  qel::Element* row = Find("cata_Butn");
  ASSERT_NE(row, nullptr);
  ASSERT_EQ(row->Children().size(), 1u);
  qel::Element* tile = row->Children().front()->FindByName("butn_active", true);
  ASSERT_NE(tile, nullptr);
  EXPECT_EQ(tile->Text(), u"Capture");
  for (const char* name : kToolbar) EXPECT_FALSE(Shown(name)) << name;
}

TEST_F(CaptureModuleTest, ACommandLineOpensThePageAndItsToolbarWithoutACamera) {
  Start();
  LaunchCapture();
  qel::Element* area = Find("cata_module");
  ASSERT_NE(area, nullptr);
  EXPECT_TRUE(Shown("cata_module"));
  qel::Element* page = Find("cata_capturepage");
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->Parent(), area);
  for (const char* name : kToolbar) EXPECT_TRUE(Shown(name)) << name;
  EXPECT_FALSE(Shown("EditVideo") && !Find("EditVideo")->Children().empty());

  // The embedded launch tried the camera at once; none is there.
  EXPECT_EQ(Trace("capture camera"), std::vector<std::string>{"capture camera 0"});
  EXPECT_TRUE(Shown("Panel_Disconnect"));
  EXPECT_FALSE(Shown("cata_view_camera"));
  EXPECT_FALSE(Enabled("butn_camsetting"));
  EXPECT_FALSE(Enabled("butn_fullScreen"));
  EXPECT_TRUE(Enabled("butn_CaptureSettings"));
  EXPECT_TRUE(Enabled("chck_SoftEject"));
  EXPECT_EQ(Find("chck_SoftEject")->Check(), 0);
  EXPECT_FALSE(Shown("comb_resolution"));

  // The media folder and its "Capture" subfolder exist and are stored.
  EXPECT_TRUE(fs::is_directory(MediaFolder() / "Capture"));
  EXPECT_EQ(Preference("Media Folder"), "\"" + MediaFolder().string() + "\"");
  EXPECT_EQ(Preference("VideoResolution"), std::to_string(480 << 16 | 640));
  EXPECT_EQ(Preference("ImageResolution"), std::to_string(480 << 16 | 640));
}

TEST_F(CaptureModuleTest, CommandsFindNoCameraAndDoNothing) {
  Start();
  LaunchCapture();
  for (const char* verb : {"Capture", "Record", "ZoomIn", "zoomout", "Burst", "Nonsense"}) {
    Command(u"-Capture/" + std::u16string(verb, verb + std::char_traits<char>::length(verb)));
  }
  const std::vector<std::string> expected{"capture command Capture 0", "capture command Record 0",
                                          "capture command ZoomIn 0",  "capture command zoomout 0",
                                          "capture command Burst 0",   "capture command Nonsense 0"};
  EXPECT_EQ(Trace("capture command"), expected);
  EXPECT_TRUE(Trace("capture photo").empty());
  EXPECT_TRUE(Trace("capture record").empty());
}

TEST_F(CaptureModuleTest, TheMediaFolderFollowsTheHostsSetting) {
  Start();
  LaunchCapture();
  // A folder whose name holds characters other systems use as separators.
  const fs::path chosen = fs::path(std::getenv("HOME")) / "Scans: 2024\\A" / "Media";
  ASSERT_EQ(Mac_SetPreferenceValue(u"Media Folder", plat::PlistValue::String(chosen.string())), 1);
  PostMessage(Frame().GetWindowRef(), 2026, 0, 0);
  Pump();
  EXPECT_TRUE(fs::is_directory(chosen / "Capture"));
  EXPECT_EQ(Trace("capture folder").back(), "capture folder " + (chosen / "Capture").string());
}

TEST_F(CaptureModuleTest, AnAnimatedLaunchTriesTheCameraOnceBothAnimationsEnded) {
  Start();
  qel::Element* tile = Find("cata_Butn")->Children().front()->FindByName("butn_active", true);
  ASSERT_TRUE(tile->Click());
  Pump();
  EXPECT_FALSE(Trace("capture panel ready").empty());
  EXPECT_EQ(Trace("capture camera").size(), 1u);
}

TEST_F(CaptureModuleTest, SoftEjectWithoutACameraSaysSo) {
  Start();
  LaunchCapture();
  std::u16string message;
  hl::AnswerNextModalBy([&message](CQelWindow* w) { message = hl::Read(w, "text_Msg").text; }, "butn_OK");
  ASSERT_TRUE(hl::Click(&Frame(), "chck_SoftEject"));
  Pump();
  EXPECT_EQ(message, u"The camera cannot be started. Check that it is connected and not used by another program.");
  EXPECT_EQ(Trace("capture camera").size(), 2u);
}

TEST_F(CaptureModuleTest, GoingHomeTakesThePageAndToolbarAwayAndSavesTheProfile) {
  Start();
  LaunchCapture();
  ASSERT_TRUE(hl::Click(&Frame(), "butn_home"));
  Pump();
  EXPECT_EQ(Find("cata_capturepage"), nullptr);
  for (const char* name : kToolbar) EXPECT_FALSE(Shown(name)) << name;
  EXPECT_EQ(Preference("ImageType"), "\"jpg\"");
  EXPECT_EQ(Preference("ImageFileNum"), "0");
  EXPECT_EQ(Preference("TimeStapEnable"), "1");
  EXPECT_EQ(Preference("bWithAudio"), "0");
}

}  // namespace
