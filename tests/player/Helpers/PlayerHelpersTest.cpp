#include <gtest/gtest.h>

#include <utility>

#include "GlobalFun.h"

TEST(PlayerHelpers, TimeTexts) {
  const std::pair<uint32_t, const char16_t*> cases[] = {
      {0, u"00:00:00"},       {999, u"00:00:00"},     {61000, u"00:01:01"},
      {3599999, u"00:59:59"}, {3600000, u"01:00:00"}, {360000000, u"100:00:00"},
      {4294967295u, u"1193:02:47"},
  };
  for (const auto& [ms, text] : cases) EXPECT_EQ(CGlobalFun::GetTimeString(ms), text) << ms;
}

TEST(PlayerHelpers, SupportedFilesGoByTheirExtensionInAnyCase) {
  struct Case {
    const char16_t* path;
    int video, audio;
  };
  const Case cases[] = {
      {u"/m/a.mov", 1, 0},     {u"/m/A.MOV", 1, 0},   {u"/m/a.mp4", 1, 0},  {u"/m/a.Avi", 1, 0},
      {u"/m/a.wav", 0, 1},     {u"/m/a.AIFF", 0, 1},  {u"/m/a.mp3", 0, 1},  {u"/m/a.jpg", 0, 0},
      {u"/m/mov", 0, 0},       {u"/m.mov/a", 0, 0},   {u"/m/a.", 0, 0},     {u"", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CGlobalFun::IsSupportedVideoFile(c.path), c.video);
    EXPECT_EQ(CGlobalFun::IsSupportedAudioFile(c.path), c.audio);
    EXPECT_EQ(CGlobalFun::IsSupportedFile(c.path), c.video || c.audio ? 1 : 0);
  }
  EXPECT_EQ(CGlobalFun::IsSupportedFile(nullptr), 0);
}

TEST(PlayerHelpers, TheErrorMessagePreferenceReadsOneUntilStored) {
  EXPECT_EQ(CGlobalFun::LoadProfileInt(kPrefSectionOptions, kPrefShowErrorMsg, 1), 1);
  EXPECT_EQ(CGlobalFun::SaveProfileInt(kPrefSectionOptions, kPrefShowErrorMsg, 0), 1);
  EXPECT_EQ(CGlobalFun::LoadProfileInt(kPrefSectionOptions, kPrefShowErrorMsg, 1), 0);
  // The section is no part of the key.
  EXPECT_EQ(CGlobalFun::LoadProfileInt(u"Other", kPrefShowErrorMsg, 1), 0);
}
