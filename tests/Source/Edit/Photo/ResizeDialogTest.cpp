// The resize dialog on its own layout: the largest sizes, what typing in
// either field does in pixels and in percent with and without the kept
// proportion, switching the unit, and the two choices kept in the
// preferences by OK only.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "DlgResizePhoto.h"
#include "Profile.h"
#include "qel/QelHeadless.h"

namespace hl = qel::headless;

namespace {

constexpr const char* kLayout = EDIT_UI_DIR "/Resize.aui";

struct Fields {
  std::u16string width, height;
};

// Runs the dialog on a picture of w x h, lets `act` type into it, and
// answers with `button`; the fields as they were before the answer.
Fields RunDialog(CDlgResizePhoto& dialog, const std::function<void(CQelWindow*)>& act, const char* button = "butn_OK") {
  Fields seen;
  EXPECT_EQ(dialog.Create(kLayout, nullptr, nullptr), 1);
  hl::AnswerNextModalBy(
      [&](CQelWindow* w) {
        act(w);
        seen = Fields{hl::Read(w, "cedt_H").text, hl::Read(w, "cedt_H1").text};
      },
      button);
  dialog.DoModal();
  return seen;
}

void SetChoices(int pixels, int keep) {
  SaveProfileInt(u"Edit", u"IsPixelModeEdit", pixels);
  SaveProfileInt(u"Edit", u"KeepProportionEdit", keep);
}

TEST(ResizeDialog, TheLargestSizesKeepTheProportionWithin4096) {
  struct Case {
    int32_t w, h, maxW, maxH, maxPercent;
  } cases[] = {{4000, 3000, 4096, 3072, 102}, {3000, 4000, 3072, 4096, 102}, {500, 500, 4096, 4096, 819}};
  for (const Case& c : cases) {
    CDlgResizePhoto dialog(c.w, c.h);
    RunDialog(dialog, [](CQelWindow*) {}, "butn_Cancel");
    EXPECT_EQ(dialog.MaxWidth(), c.maxW) << c.w;
    EXPECT_EQ(dialog.MaxHeight(), c.maxH) << c.w;
    EXPECT_EQ(dialog.MaxPercent(), c.maxPercent) << c.w;
  }
}

TEST(ResizeDialog, TypingFollowsTheUnitTheProportionAndTheLimits) {
  struct Case {
    const char* what;
    int pixels, keep;
    const char* field;
    std::u16string typed;
    Fields expect;
  } cases[] = {
      {"pixels, kept", 1, 1, "cedt_H", u"320", {u"320", u"240"}},
      {"pixels, kept, height", 1, 1, "cedt_H1", u"120", {u"160", u"120"}},
      {"pixels, kept, too wide", 1, 1, "cedt_H", u"9999", {u"4096", u"3072"}},
      {"pixels, free, too wide", 1, 0, "cedt_H", u"9999", {u"4096", u"480"}},
      {"percent, kept", 0, 1, "cedt_H", u"50", {u"50", u"50"}},
      {"percent, free, too much", 0, 0, "cedt_H1", u"9999", {u"100", u"853"}},
      {"nothing", 1, 1, "cedt_H", u"", {u"1", u"1"}},
      {"not a number", 1, 0, "cedt_H1", u"abc", {u"640", u"1"}},
  };
  for (const Case& c : cases) {
    SetChoices(c.pixels, c.keep);
    CDlgResizePhoto dialog(640, 480);
    Fields f = RunDialog(dialog, [&](CQelWindow* w) { hl::TypeText(w, c.field, c.typed); });
    EXPECT_EQ(f.width, c.expect.width) << c.what;
    EXPECT_EQ(f.height, c.expect.height) << c.what;
  }
}

TEST(ResizeDialog, SwitchingTheUnitConvertsAndOkGivesTheSizeInPixels) {
  SetChoices(0, 1);
  CDlgResizePhoto dialog(640, 480);
  Fields f = RunDialog(dialog, [](CQelWindow* w) {
    hl::TypeText(w, "cedt_H", u"50");
    hl::SelectItem(w, "comb_single", 0);
  });
  EXPECT_EQ(f.width, u"320");
  EXPECT_EQ(f.height, u"240");
  int32_t w = 0, h = 0;
  dialog.GetNewWidthHeight(w, h);
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 240);
  EXPECT_EQ(LoadProfileInt(u"Edit", u"IsPixelModeEdit", -1), 1);  // OK stores the unit in use

  // One percent of a small picture is still a pixel.
  SetChoices(0, 1);
  CDlgResizePhoto tiny(80, 60);
  RunDialog(tiny, [](CQelWindow* w) { hl::TypeText(w, "cedt_H", u"1"); });
  tiny.GetNewWidthHeight(w, h);
  EXPECT_EQ(w, 1);
  EXPECT_EQ(h, 1);
}

TEST(ResizeDialog, CancelLeavesThePreferencesAndOkStoresBoth) {
  SetChoices(1, 1);
  {
    CDlgResizePhoto dialog(640, 480);
    RunDialog(dialog, [](CQelWindow* w) {
      hl::Click(w, "chck2");
      hl::SelectItem(w, "comb_single", 1);
    }, "butn_Cancel");
  }
  EXPECT_EQ(LoadProfileInt(u"Edit", u"IsPixelModeEdit", -1), 1);
  EXPECT_EQ(LoadProfileInt(u"Edit", u"KeepProportionEdit", -1), 1);
  {
    CDlgResizePhoto dialog(640, 480);
    Fields f = RunDialog(dialog, [](CQelWindow* w) {
      hl::Click(w, "chck2");
      hl::SelectItem(w, "comb_single", 1);
    });
    EXPECT_EQ(f.width, u"100");
  }
  EXPECT_EQ(LoadProfileInt(u"Edit", u"IsPixelModeEdit", -1), 0);
  EXPECT_EQ(LoadProfileInt(u"Edit", u"KeepProportionEdit", -1), 0);
  // A stored value other than 1 means 0.
  SaveProfileInt(u"Edit", u"IsPixelModeEdit", 7);
  CDlgResizePhoto again(640, 480);
  EXPECT_EQ(again.IsPixelMode(), 0);
}

}  // namespace
