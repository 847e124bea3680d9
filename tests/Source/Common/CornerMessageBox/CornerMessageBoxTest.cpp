// The corner message box on the headless toolkit: buttons and icon by
// style, answers, size and shape.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "CCornerMessageBox.h"
#include "ORVPubTools.h"
#include "TestEnvironment.h"
#include "qel/QelHeadless.h"
#include "qel/QelLayout.h"
#include "qel/QelMessage.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

const fs::path kResources = fs::path("Source") / "Orvenna" / "Resources";

// A main bundle holding the shipped layout and masks; `edit` may change the
// layout text first.
fs::path MakeMainBundle(const std::string& edit_from = {}, const std::string& edit_to = {}) {
  fs::path bundle = testenv::MakeTempDir("apps") / "Dunsellow.app";
  fs::path contents = bundle / "Contents";
  testenv::WriteFile(contents / "Info.plist",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n"
                     "<key>CFBundleIdentifier</key><string>com.Talvexa.Orvenna</string>\n"
                     "<key>CFBundleDevelopmentRegion</key><string>English</string>\n</dict></plist>\n");
  const fs::path src = testenv::SourceDir() / kResources;
  std::string layout = testenv::ReadFile(src / "English.lproj" / "UI" / "messagebox.aui");
  if (!edit_from.empty()) {
    auto at = layout.find(edit_from);
    EXPECT_NE(at, std::string::npos);
    if (at != std::string::npos) layout.replace(at, edit_from.size(), edit_to);
  }
  testenv::WriteFile(contents / "Resources" / "English.lproj" / "UI" / "messagebox.aui", layout);
  fs::copy_file(src / "MainWndLT.bmp", contents / "Resources" / "MainWndLT.bmp");
  fs::copy_file(src / "MainWndRT.bmp", contents / "Resources" / "MainWndRT.bmp");
  ::setenv("DUNSELLOW_BUNDLE", bundle.c_str(), 1);
  return bundle;
}

std::u16string LayoutPath() {
  return u"$M\\" + std::u16string(CORVPubTools::GetBundleLocalizeUIPathWithName(nullptr, u"messagebox.aui").c_str());
}

// Notes what the box shows when its modal loop starts.
class ObservedBox : public CCornerMessageBox {
 public:
  using CCornerMessageBox::CCornerMessageBox;
  int32_t DoModal() override {
    for (const char* name : kButtonNames) visible[name] = hl::Read(this, name).visible;
    for (const char* name : kIconNames) visible[name] = hl::Read(this, name).visible;
    text = hl::Read(this, "view_text").text;
    caption = hl::Read(this, "view_title_mac").text;
    GetWindowRect(&bounds);
    shape = Shape();
    shapeProperty = GetProperty(kCornerPropCreator, kShapePropTag);
    return CCornerMessageBox::DoModal();
  }
  std::map<std::string, bool> visible;
  std::u16string text, caption;
  SRect32 bounds{};
  std::vector<SRect32> shape;
  void* shapeProperty = nullptr;
};

std::vector<std::string> Shown(const ObservedBox& box) {
  std::vector<std::string> out;
  for (const auto& [name, on] : box.visible) {
    if (on) out.push_back(name);
  }
  return out;
}

struct StyleCase {
  uint32_t flags;
  const char* answer;  // a button to click, or null for a key
  uint32_t key;
  int result;
  std::vector<std::string> shown;  // sorted
};

}  // namespace

TEST(CornerMessageBox, StyleChoosesButtonsAndIconAndTheAnswerIsTheButtonCode) {
  MakeMainBundle();
  const std::vector<StyleCase> cases = {
      {0x24, "butn_No", 0, 7, {"butn_No", "butn_Yes", "view_iconQUESTION"}},
      {0x24, "butn_Yes", 0, 6, {"butn_No", "butn_Yes", "view_iconQUESTION"}},
      {0x00, "butn_close_mac", 0, 2, {"butn_Ok", "view_iconINFORMATION"}},
      {0x02, "butn_Ok", 0, 1, {"butn_Ok", "view_iconINFORMATION"}},
      {0x31, "butn_Cancel", 0, 2, {"butn_Cancel", "butn_Ok", "view_iconEXCLAMATION"}},
      {0x13, "butn_Yes", 0, 6, {"butn_Cancel", "butn_No", "butn_Yes", "view_iconERROR"}},
      {0x43, "butn_No", 0, 7, {"butn_Cancel", "butn_No", "butn_Yes", "view_iconINFORMATION"}},
      // Escape never answers OK or Yes; Return presses the first button.
      {0x24, nullptr, QEL_KEY_ESCAPE, 2, {"butn_No", "butn_Yes", "view_iconQUESTION"}},
      {0x24, nullptr, QEL_KEY_RETURN, 6, {"butn_No", "butn_Yes", "view_iconQUESTION"}},
      {0x01, nullptr, QEL_KEY_RETURN, 1, {"butn_Cancel", "butn_Ok", "view_iconINFORMATION"}},
  };
  for (const StyleCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "flags " << c.flags << " answer " << (c.answer ? c.answer : "key"));
    if (c.answer) hl::AnswerNextModal(c.answer);
    else hl::AnswerNextModalKey(c.key);
    ObservedBox box(nullptr, u"Delete the selected photos?", u"Dunsellow", c.flags);
    EXPECT_EQ(box.ShowMessageBox(), c.result);
    EXPECT_EQ(Shown(box), c.shown);
    EXPECT_EQ(box.text, u"Delete the selected photos?");
    EXPECT_EQ(box.caption, u"Dunsellow");
    EXPECT_FALSE(box.IsCreated());
  }
  EXPECT_EQ(hl::PendingModalAnswers(), 0u);
}

TEST(CornerMessageBox, PublicToolAnswersTheBoxResult) {
  MakeMainBundle();
  hl::AnswerNextModal("butn_No");
  EXPECT_EQ(CORVPubTools::MessageBox(nullptr, u"Overwrite?", u"Dunsellow", 0x24), 7);
  // A box ended by anything but its buttons answers Cancel.
  hl::AnswerNextModalWith(0);
  EXPECT_EQ(CORVPubTools::MessageBox(nullptr, u"Saved.", nullptr, 0), 2);
}

TEST(CornerMessageBox, WithoutItsLayoutNothingShowsAndTheAnswerIsZero) {
  fs::path bundle = MakeMainBundle();
  fs::remove(bundle / "Contents" / "Resources" / "English.lproj" / "UI" / "messagebox.aui");
  hl::AnswerNextModal("butn_Yes");  // must stay unused
  EXPECT_EQ(CORVPubTools::MessageBox(nullptr, u"Delete?", u"Dunsellow", 0x24), 0);
  EXPECT_EQ(hl::PendingModalAnswers(), 1u);
  hl::ClearModalAnswers();
}

TEST(CornerMessageBox, ALayoutMissingAnIconStillShowsTheBox) {
  MakeMainBundle("name=\"view_iconHAND\"", "name=\"view_other\"");
  hl::AnswerNextModal("butn_Ok");
  EXPECT_EQ(CORVPubTools::MessageBox(nullptr, u"Done.", u"Dunsellow", 0x10), 1);
}

TEST(CornerMessageBox, WidthFollowsTheScreenAndTheText) {
  MakeMainBundle();
  CCornerMessageBox box(nullptr, u"The media folder was changed.", u"Dunsellow", 0);
  ASSERT_TRUE(box.Create(LayoutPath().c_str(), nullptr, nullptr));
  ASSERT_EQ(box.InitUI(), 1);
  // On a 1024-pixel-wide screen a text that fits gives at most 640 pixels.
  SIZE s = CCornerMessageBox::MeasureBox(box.Root(), 1024, 768);
  EXPECT_LE(s.cx, 640);
  EXPECT_GE(s.cx, 300);
  EXPECT_GT(s.cy, 60);
  // Never narrower than 300, however small the screen.
  EXPECT_EQ(CCornerMessageBox::MeasureBox(box.Root(), 320, 768).cx, 300);
  // The whole box (buttons included) fits in its height.
  qel::Element* row = box.Root()->FindByName("butn_Ok", true)->Parent();
  EXPECT_LE(row->Bounds().bottom, s.cy);
  EXPECT_GT(box.Root()->FindByName("view_text", true)->Bounds().bottom, 0);

  // Placed in the middle of the work area; the shape cuts both top corners.
  SRect32 b;
  box.GetWindowRect(&b);
  const int32_t w = b.right - b.left, h = b.bottom - b.top;
  EXPECT_GE(w, 300);
  EXPECT_LE(w, 1440);
  EXPECT_GE(b.top, 0);
  ORVRegion shape{SRect32{0, 0, w, h}, box.Shape()};
  EXPECT_FALSE(shape.Contains(POINT{0, 0}));
  EXPECT_FALSE(shape.Contains(POINT{w - 1, 0}));
  EXPECT_TRUE(shape.Contains(POINT{w / 2, 0}));
  EXPECT_TRUE(shape.Contains(POINT{0, h - 1}));
  EXPECT_TRUE(shape.Contains(POINT{w - 1, h - 1}));
  EXPECT_EQ(box.GetProperty(kCornerPropCreator, kCornerPropTag), &box.CornerMasks());
  box.Close();
}

TEST(CornerMessageBox, LongTextTakesTheWiderBox) {
  MakeMainBundle();
  std::u16string text;
  for (int i = 0; i < 400; ++i) text += u"The camera could not be opened. ";
  CCornerMessageBox box(nullptr, text.c_str(), u"Dunsellow", 0);
  ASSERT_TRUE(box.Create(LayoutPath().c_str(), nullptr, nullptr));
  ASSERT_EQ(box.InitUI(), 1);
  SIZE s = CCornerMessageBox::MeasureBox(box.Root(), 1024, 300);
  EXPECT_EQ(s.cx, 896);
  EXPECT_GT(s.cy, 300);
}

TEST(CornerMessageBox, ShippedLayoutHasEveryElementTheBoxUses) {
  const fs::path file = testenv::SourceDir() / kResources / "English.lproj" / "UI" / "messagebox.aui";
  qel::Element* root = qel::LoadLayoutFile(file.string());
  ASSERT_NE(root, nullptr);
  std::vector<const char*> names(CCornerMessageBox::kButtonNames.begin(), CCornerMessageBox::kButtonNames.end());
  names.insert(names.end(), CCornerMessageBox::kIconNames.begin(), CCornerMessageBox::kIconNames.end());
  for (const char* n : {"view_text", "view_title_mac", "cata_drag_mac", "cata_title", "butn_close_mac",
                        "cata_left_caption", "cata_left_text", "cata_left_butn"}) {
    names.push_back(n);
  }
  for (const char* n : names) {
    qel::Element* e = root->FindByName(n, true);
    ASSERT_NE(e, nullptr) << n;
    EXPECT_EQ(e->Name(), n);  // spelled as the box looks it up
  }
  root->Release();
}
