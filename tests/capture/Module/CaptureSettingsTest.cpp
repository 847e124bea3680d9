// The capture settings dialog, opened from the host toolbar of the running
// program: what it shows from the stored preferences, what OK writes (read
// back by an independent reader), and the prefixes it refuses.
#include <gtest/gtest.h>

#include <string>

#include "CaptureModuleFixture.h"
#include "qel/QelHeadless.h"

namespace hl = qel::headless;

namespace {

std::u16string Item(CQelWindow* w, const char* combo) {
  qel::Element* e = hl::FindElement(w, combo);
  if (!e || e->Selection() < 0) return u"(none)";
  return e->Items()[size_t(e->Selection())].text;
}

TEST_F(CaptureModuleTest, SettingsRoundTripThroughThePropertyList) {
  Start();
  LaunchCapture();
  bool checked = false;
  hl::AnswerNextModalBy([&checked](CQelWindow* w) {
    // As the factory defaults have it.
    qel::Element* formats = hl::FindElement(w, "comb_ImageFmt");
    ASSERT_NE(formats, nullptr);
    ASSERT_EQ(formats->Items().size(), 2u);
    EXPECT_EQ(Item(w, "comb_ImageFmt"), u"JPG");
    EXPECT_EQ(Item(w, "comb_VideoFmt"), u"MOV");
    EXPECT_FALSE(hl::Read(w, "comb_VideoFmt").enabled);
    EXPECT_FALSE(hl::Read(w, "comb_VideoDevice").enabled);  // fewer than two cameras
    EXPECT_FALSE(hl::Read(w, "cata_Audio").visible);
    EXPECT_EQ(hl::Read(w, "chck_Add").check, 1);
    EXPECT_EQ(hl::Read(w, "cedt_name").text, u"Talvexa");
    EXPECT_EQ(hl::Read(w, "chck_showdate").check, 1);
    EXPECT_EQ(hl::Read(w, "view_Image1").text, u"(Normal)");

    // Photo quality up, then BMP: the quality group is off and not stored.
    EXPECT_TRUE(hl::MoveSlider(w, "scrl_Image", 80));
    EXPECT_EQ(hl::Read(w, "scrl_Image").scroll_pos, 100);
    EXPECT_EQ(hl::Read(w, "view_Image1").text, u"(High)");
    EXPECT_TRUE(hl::SelectItem(w, "comb_ImageFmt", 1));
    EXPECT_FALSE(hl::Read(w, "scrl_Image").enabled);
    EXPECT_EQ(hl::Read(w, "view_Image1").text, u"(Low)");
    // Movie quality 50 moved to 30 snaps to 0.
    EXPECT_TRUE(hl::MoveSlider(w, "scrl_Video", 30));
    EXPECT_EQ(hl::Read(w, "scrl_Video").scroll_pos, 0);
    EXPECT_TRUE(hl::Click(w, "chck_WithAudio"));
    EXPECT_TRUE(hl::Read(w, "cata_Audio").visible);
    EXPECT_TRUE(hl::TypeText(w, "cedt_name", u"Scans"));
    EXPECT_TRUE(hl::Click(w, "chck_showdate"));
    checked = true;
  }, "butn_OK");
  ASSERT_TRUE(hl::Click(&Frame(), "butn_CaptureSettings"));
  Pump();
  ASSERT_TRUE(checked);
  EXPECT_EQ(Trace("capture settings"), std::vector<std::string>{"capture settings 0"});

  struct Stored {
    const char* key;
    std::string json;
  };
  const Stored stored[] = {
      {"ImageType", "\"BMP\""},   {"ImageFileQuality", "50"}, {"VideoFileQuality", "0"},
      {"bWithAudio", "1"},        {"AudioDevice", "\"Tone 1\""}, {"VideoDevice", "\"Input 1\""},
      {"PrefixEnable", "1"},      {"PrefixName", "\"Scans\""}, {"TimeStapEnable", "0"},
  };
  for (const Stored& s : stored) EXPECT_EQ(Preference(s.key), s.json) << s.key;
  // The sound switch changed: the camera started again, now with the
  // microphone, whose input was stored.
  EXPECT_EQ(Trace("capture camera 1").size(), 2u);
}

TEST_F(CaptureModuleTest, StoredSettingsShowAsStoredAndCancelWritesNothing) {
  SeedPreferences("{\"ImageType\": \"bmp\", \"VideoFileQuality\": 250, \"PrefixEnable\": 0, "
                  "\"PrefixName\": \"Old\", \"TimeStapEnable\": 0, \"ImageFileQuality\": 100}");
  Start();
  LaunchCapture();
  hl::AnswerNextModalBy([](CQelWindow* w) {
    EXPECT_EQ(Item(w, "comb_ImageFmt"), u"BMP");
    EXPECT_FALSE(hl::Read(w, "scrl_Image").enabled);
    EXPECT_EQ(hl::Read(w, "scrl_Video").scroll_pos, 100);
    EXPECT_EQ(hl::Read(w, "view_Video1").text, u"(High)");
    EXPECT_EQ(hl::Read(w, "chck_Add").check, 0);
    EXPECT_FALSE(hl::Read(w, "cata_name").visible);
    EXPECT_EQ(hl::Read(w, "chck_showdate").check, 0);
    EXPECT_TRUE(hl::Click(w, "chck_Add"));
    EXPECT_EQ(hl::Read(w, "cedt_name").text, u"Old");
  }, "butn_Cancel");
  ASSERT_TRUE(hl::Click(&Frame(), "butn_CaptureSettings"));
  Pump();
  EXPECT_EQ(Trace("capture settings"), std::vector<std::string>{"capture settings 1"});
  EXPECT_EQ(Preference("VideoFileQuality"), "250");
  EXPECT_EQ(Preference("PrefixEnable"), "0");
  EXPECT_EQ(Preference("PrefixName"), "\"Old\"");
}

TEST_F(CaptureModuleTest, APrefixThatWouldLeaveTheCaptureFolderIsRefused) {
  Start();
  LaunchCapture();
  for (const char16_t* prefix : {u"../up", u".hidden", u"a/b"}) {
    bool warned = false, stillOpen = false;
    hl::AnswerNextModalBy([&](CQelWindow* w) {
      EXPECT_TRUE(hl::TypeText(w, "cedt_name", prefix));
      hl::AnswerNextModalBy([&warned](CQelWindow* warning) {
        warned = hl::Read(warning, "text_Msg").text.find(u"cannot start with a dot") != std::u16string::npos;
      }, "butn_OK");
      EXPECT_TRUE(hl::Click(w, "butn_OK"));
      stillOpen = !static_cast<CQelModalWnd*>(w)->ModalEnding();
      EXPECT_TRUE(hl::Click(w, "butn_Cancel"));
    });
    ASSERT_TRUE(hl::Click(&Frame(), "butn_CaptureSettings"));
    Pump();
    EXPECT_TRUE(warned);
    EXPECT_TRUE(stillOpen);
  }
  EXPECT_EQ(Preference("PrefixName"), "null");
  EXPECT_EQ(Trace("capture settings"), std::vector<std::string>(3, "capture settings 1"));
}

}  // namespace
