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
  ASSERT_GE(row->Children().size(), 1u);  // the modules in their order: capture first
  qel::Element* tile = row->Children().front()->FindByName("butn_active", true);
  ASSERT_NE(tile, nullptr);
  EXPECT_EQ(tile->Text(), u"Capture");
  for (const char* name : kToolbar) EXPECT_FALSE(Shown(name)) << name;
}

TEST_F(CaptureModuleTest, ACommandLineOpensThePageWithTheLivePicture) {
  Start();
  LaunchCapture();
  qel::Element* area = Find("cata_module");
  ASSERT_NE(area, nullptr);
  EXPECT_TRUE(Shown("cata_module"));
  qel::Element* page = Find("cata_capturepage");
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->Parent(), area);
  for (const char* name : kToolbar) EXPECT_TRUE(Shown(name)) << name;

  // The embedded launch started the camera at once.
  EXPECT_EQ(Trace("capture camera"), std::vector<std::string>{"capture camera 1"});
  ASSERT_TRUE(WaitForPicture());
  EXPECT_TRUE(Shown("view_PreviewCamera"));
  EXPECT_FALSE(Shown("Panel_Disconnect"));
  EXPECT_TRUE(Enabled("butn_camsetting"));
  EXPECT_TRUE(Enabled("butn_fullScreen"));
  EXPECT_EQ(Find("chck_SoftEject")->Check(), 1);
  EXPECT_TRUE(Enabled("chck_video"));   // 640 x 480 is within the recording limit
  EXPECT_FALSE(Enabled("chck_burst"));  // bursts are never offered

  // The photo sizes: the record's list and the enlarged last one.
  qel::Element* sizes = Find("comb_resolution");
  ASSERT_TRUE(sizes && sizes->EffectivelyVisible());
  std::vector<std::u16string> texts;
  for (const qel::ComboItem& item : sizes->Items()) texts.push_back(item.text);
  const std::vector<std::u16string> expected{u"160 x 120 (SQVGA)", u"320 x 240 (QVGA)", u"640 x 480 (VGA)",
                                             u"(*)1280 x 960 (1.3MP)"};
  EXPECT_EQ(texts, expected);
  EXPECT_EQ(sizes->Selection(), 2);

  EXPECT_TRUE(fs::is_directory(MediaFolder() / "Capture"));
  EXPECT_EQ(Preference("Media Folder"), "\"" + MediaFolder().string() + "\"");
  EXPECT_EQ(Preference("VideoDevice"), "\"Input 1\"");
  EXPECT_EQ(Preference("VideoResolution"), std::to_string(480 << 16 | 640));
  EXPECT_EQ(Preference("ImageResolution"), std::to_string(480 << 16 | 640));
}

TEST_F(CaptureModuleTest, WithoutACameraThePageSaysSoAndCommandsDoNothing) {
  UseNoCamera();
  Start();
  LaunchCapture();
  EXPECT_EQ(Trace("capture camera"), std::vector<std::string>{"capture camera 0"});
  EXPECT_TRUE(Shown("Panel_Disconnect"));
  EXPECT_FALSE(Shown("cata_view_camera"));
  EXPECT_FALSE(Enabled("butn_camsetting"));
  EXPECT_FALSE(Enabled("butn_fullScreen"));
  EXPECT_TRUE(Enabled("butn_CaptureSettings"));
  EXPECT_EQ(Find("chck_SoftEject")->Check(), 0);
  EXPECT_FALSE(Shown("comb_resolution"));
  for (const char16_t* verb : {u"Capture", u"Record", u"ZoomIn", u"zoomout"}) Command(u"-Capture/" + std::u16string(verb));
  const std::vector<std::string> expected{"capture command Capture 0", "capture command Record 0",
                                          "capture command ZoomIn 0", "capture command zoomout 0"};
  EXPECT_EQ(Trace("capture command"), expected);
  EXPECT_TRUE(Trace("capture photo").empty());

  // Switching the camera on fails and says so.
  std::u16string message;
  hl::AnswerNextModalBy([&message](CQelWindow* w) { message = hl::Read(w, "text_Msg").text; }, "butn_OK");
  ASSERT_TRUE(hl::Click(&Frame(), "chck_SoftEject"));
  Pump();
  EXPECT_EQ(message, u"The camera cannot be started. Check that it is connected and not used by another program.");
  EXPECT_EQ(Trace("capture camera").size(), 2u);
}

// A photo asked for while the camera is still starting (as by the camera
// button that started the program) is taken once the picture shows.
TEST_F(CaptureModuleTest, APhotoAskedBeforeTheFirstPictureIsTakenWhenItShows) {
  Start();
  LaunchCapture();
  const bool early = Trace("capture first frame").empty();
  Command(u"-Capture/Capture");
  ASSERT_TRUE(WaitFor([this] { return !Trace("capture photo ").empty(); }));
  EXPECT_EQ(Trace("capture photo ").size(), 1u);
  if (early) {
    EXPECT_EQ(Trace("capture command Capture waits").size(), 1u);
  }
}

TEST_F(CaptureModuleTest, CommandsActOnlyWhereTheirConditionsHold) {
  Start();
  LaunchCapture();
  ASSERT_TRUE(WaitForPicture());
  for (const char16_t* verb : {u"Capture", u"Record", u"Burst", u"Nonsense"}) Command(u"-Capture/" + std::u16string(verb));
  const std::vector<std::string> expected{"capture command Capture 1", "capture command Record 1",
                                          "capture command Burst 0", "capture command Nonsense 0"};
  EXPECT_EQ(Trace("capture command"), expected);
  EXPECT_EQ(Trace("capture photo").size(), 1u);
  EXPECT_EQ(Trace("capture record requested"), std::vector<std::string>{"capture record requested on"});

  // Zoom: 24 steps of 0.125 reach 4.0, which is the end; back to 1.0 likewise.
  for (int i = 0; i < 26; ++i) Command(u"-Capture/ZoomIn");
  std::vector<std::string> zooms = Trace("capture zoom");
  ASSERT_EQ(zooms.size(), 26u);
  EXPECT_EQ(zooms[0], "capture zoom 1.125");
  EXPECT_EQ(zooms[23], "capture zoom 4.000");
  EXPECT_EQ(zooms[25], "capture zoom 4.000");
  for (int i = 0; i < 26; ++i) Command(u"-Capture/zoomout");
  zooms = Trace("capture zoom");
  EXPECT_EQ(zooms.back(), "capture zoom 1.000");
  EXPECT_EQ(zooms[26 + 23], "capture zoom 1.000");
}

TEST_F(CaptureModuleTest, ALostCameraIsReported) {
  ::setenv("DUNSELLOW_SYNTHETIC_CAMERA", "bounds=1280x720,fps=30,lose_at=15", 1);
  Start();
  LaunchCapture();
  // The first loss: the user keeps the camera off.
  bool listed = false;
  hl::AnswerNextModalBy([&listed](CQelWindow* w) {
    qel::Element* list = hl::FindElement(w, "comb_devicelist");
    listed = list && !list->Items().empty() && list->Items()[0].text == u"Input 1";
  }, "butn_No");
  ASSERT_TRUE(WaitFor([this] { return !Trace("capture device lost").empty(); }));
  EXPECT_TRUE(listed);
  EXPECT_EQ(Trace("capture device lost"), std::vector<std::string>{"capture device lost 1"});
  EXPECT_EQ(Trace("capture stopped").size(), 1u);
  EXPECT_TRUE(Shown("Panel_Disconnect"));
  EXPECT_EQ(Find("chck_SoftEject")->Check(), 0);
  EXPECT_EQ(Trace("capture camera 1").size(), 1u);
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

namespace {

// The first live window holding an element of that name, other than `not`.
CQelWindow* WindowWith(const char* name, CQelWindow* not_this) {
  for (CQelWindow* w : QelWindows()) {
    if (w != not_this && w->Root() && w->Root()->FindByName(name, true)) return w;
  }
  return nullptr;
}

TEST_F(CaptureModuleTest, FullScreenShowsThePictureAndItsToolbarTakesPhotos) {
  Start();
  LaunchCapture();
  ASSERT_TRUE(WaitForPicture());
  bool checked = false;
  hl::AnswerNextModalBy([this, &checked](CQelWindow* full) {
    SRect32 r;
    full->GetWindowRect(&r);
    EXPECT_EQ(r.right - r.left, 1440);  // the headless screen
    EXPECT_EQ(r.bottom - r.top, 900);
    qel::Element* view = full->Root()->FindByName("view_PreviewCamera", true);
    ASSERT_NE(view, nullptr);
    // Fit: a 640 x 480 picture on 1440 x 900 is 1200 x 900, centred.
    EXPECT_EQ(view->Bounds().left, 120);
    EXPECT_EQ(view->Bounds().right, 1320);
    CQelWindow* toolbar = WindowWith("butn_Image", &Frame());
    ASSERT_NE(toolbar, nullptr);
    EXPECT_TRUE(hl::Click(toolbar, "butn_Image"));
    EXPECT_EQ(Trace("capture photo ").size(), 1u);
    // The next display mode fills the screen: 1440 x 1080, reaching past it.
    full->SendMessage(3029, 0, 0);
    EXPECT_EQ(view->Bounds().top, -90);
    CQelWindow* bar = WindowWith("butn_close", full);
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(hl::Click(bar, "butn_close"));
    checked = true;
  });
  ASSERT_TRUE(hl::Click(&Frame(), "butn_fullScreen"));
  Pump();
  EXPECT_TRUE(checked);
  EXPECT_EQ(Trace("capture full screen closed").size(), 1u);
  EXPECT_EQ(WindowWith("butn_Image", &Frame()), nullptr);  // the bars went with it
}

}  // namespace
