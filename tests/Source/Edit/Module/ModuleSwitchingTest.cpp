// The capture and edit bundles side by side in the program: each is reached
// from the home page, the title bar's tabs and the command line, and the
// edit page asks before its edits are left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "EditModuleFixture.h"
#include "ModuleButton.h"
#include "qel/QelHeadless.h"

namespace hl = qel::headless;

namespace {

class ModuleSwitching : public EditModuleTest {
 protected:
  void ClickTile(const char16_t* text) {
    qel::Element* row = Find("cata_Butn");
    ASSERT_NE(row, nullptr);
    for (qel::Element* tile : row->Children()) {
      qel::Element* button = tile->FindByName("butn_active", true);
      if (!button || button->Text() != text) continue;
      button->Fire(CModuleButton::kEventPointerEnter);
      ASSERT_TRUE(button->Click());
      Pump();
      return;
    }
    FAIL() << "no tile " << qel::ToU8(text);
  }
  // The tab strip slides in over the shown module's tab; then the other
  // module's tab is clicked.
  void ClickTab(const char* shownTab, const char* otherTab) {
    qel::Element* shown = Find(shownTab);
    ASSERT_NE(shown, nullptr);
    shown->Fire(CModuleButton::kEventPointerEnter);
    Pump();
    ASSERT_TRUE(Shown(otherTab));
    ASSERT_TRUE(Find(otherTab)->Click());
    Pump();
  }
  bool EditPage() { return Find("cata_editpage") && Shown("cata_editpage"); }
  bool CapturePage() { return Find("cata_capturepage") && Shown("cata_capturepage"); }
};

TEST_F(ModuleSwitching, HomePageTabsAndCommandLineReachBothModules) {
  MakePhoto("a.jpg", 50, 50, 50);
  Start();
  qel::Element* row = Find("cata_Butn");
  ASSERT_NE(row, nullptr);
  ASSERT_EQ(row->Children().size(), 2u) << "the capture and edit modules are both staged";

  ClickTile(u"Edit");
  EXPECT_TRUE(EditPage());
  ClickTab("butn_Edit", "butn_CaptureP");
  EXPECT_TRUE(CapturePage());
  EXPECT_EQ(Find("cata_editpage"), nullptr);
  Command(u"-Edit/Open");
  EXPECT_TRUE(EditPage());
  EXPECT_EQ(Find("cata_capturepage"), nullptr);
  ClickTab("butn_Edit", "butn_CaptureP");
  EXPECT_TRUE(CapturePage());
  ClickTab("butn_Capture", "butn_EditP");
  EXPECT_TRUE(EditPage());
  ASSERT_TRUE(hl::Click(&Frame(), "butn_home"));
  Pump();
  EXPECT_TRUE(Shown("cata_Butn"));
  ClickTile(u"Capture");
  EXPECT_TRUE(CapturePage());
  Command(u"-Edit/Open");
  EXPECT_TRUE(EditPage());
}

TEST_F(ModuleSwitching, EditsOpenWhenAnotherModuleIsAskedForAreAskedAbout) {
  MakePhoto("a.jpg", 50, 50, 50);
  Start();
  LaunchEdit();
  ASSERT_TRUE(hl::MoveSlider(&Frame(), "hscrl_1", 40));
  Pump();
  hl::AnswerNextModal("butn_Cancel");
  Command(u"-Capture/Open");
  EXPECT_EQ(hl::PendingModalAnswers(), 0u);
  EXPECT_TRUE(EditPage());
  hl::AnswerNextModal("butn_Cancel");
  ClickTab("butn_Edit", "butn_CaptureP");
  EXPECT_TRUE(EditPage());
  hl::AnswerNextModal("butn_No");
  Command(u"-Capture/Open");
  EXPECT_TRUE(CapturePage());
}

// Both albums keep their thumbnails in the media folder's database with one
// file-time rule: what one album stored, the other takes as it is.
TEST_F(ModuleSwitching, ThumbnailRowsOfOneAlbumAreTakenByTheOther) {
  MakeMovie("clip.mov");
  MakePhoto("a.jpg", 10, 200, 10);
  const std::string db = (MediaFolder() / "ZylORVThumb.db").string();
  const std::string rows = "sqlite3 '" + db + "' 'SELECT rowid, FileName, hex(FileTime) FROM MediaRecord ORDER BY 2;'";
  Start();
  Command(u"-Capture/Open");
  ASSERT_TRUE(CapturePage());
  ASSERT_TRUE(WaitForThumbnails());
  const std::string byCapture = RunCommand(rows);
  ASSERT_EQ(std::count(byCapture.begin(), byCapture.end(), '\n'), 1) << byCapture;  // two rows

  Command(u"-Edit/Open");
  ASSERT_TRUE(EditPage());
  ASSERT_TRUE(WaitForThumbnails());
  EXPECT_EQ(RunCommand(rows), byCapture);  // nothing was made again

  // A file the edit album sees first, then the capture album.
  MakePhoto("b.jpg", 200, 10, 10);
  hl::AnswerNextModal("mece_3");  // Refresh
  ASSERT_TRUE(PressItem(0, 3));
  ASSERT_TRUE(WaitForThumbnails());
  const std::string byEdit = RunCommand(rows);
  ASSERT_EQ(std::count(byEdit.begin(), byEdit.end(), '\n'), 2) << byEdit;
  Command(u"-Capture/Open");
  ASSERT_TRUE(CapturePage());
  ASSERT_TRUE(WaitForThumbnails());
  EXPECT_EQ(RunCommand(rows), byEdit);
}

}  // namespace
