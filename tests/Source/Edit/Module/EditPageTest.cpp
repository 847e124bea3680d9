// The edit module inside the main program: its page in the host, the album
// of the media folder, and which editor shows the chosen file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "EditModuleFixture.h"
#include "TestEnvironment.h"
#include "qel/QelHeadless.h"
#include "qel/QelImageControl.h"
#include "qel/QelInput.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

using Names = std::vector<std::string>;

TEST_F(EditModuleTest, TheHomePageOffersTheModuleAndTheCommandLineOpensIt) {
  Start();
  qel::Element* tile = Find("cata_Butn") ? Find("cata_Butn")->FindByName("butn_active", true) : nullptr;
  ASSERT_NE(tile, nullptr);
  LaunchEdit();
  qel::Element* page = Find("cata_editpage");
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->Parent(), Find("cata_module"));
  EXPECT_TRUE(Shown("cata_editpage"));
  EXPECT_FALSE(Shown("Capture"));
  EXPECT_FALSE(Shown("EditVideo"));
  // The media folder is made and stored as the main program does.
  EXPECT_TRUE(fs::is_directory(MediaFolder()));
  EXPECT_EQ(Preference("Media Folder"), "\"" + MediaFolder().parent_path().string() + "\"");
  // An empty album: no editor, only the hint.
  EXPECT_TRUE(AlbumNames().empty());
  for (const char* name : {"cata_view", "vcata1", "hcata_tools", "cata_butn"}) EXPECT_FALSE(Shown(name)) << name;
  EXPECT_TRUE(Shown("cata_hint"));
  for (const char* name : {"butn_Delete", "butn_print", "butn_Email", "butn_FindTarget"}) {
    EXPECT_FALSE(Enabled(name)) << name;
  }
}

TEST_F(EditModuleTest, TheThreeAlbumsListTheFolderNewestFirst) {
  // A file's latest date (here: when it was written) orders the album.
  MakePhoto("old.jpg", 0, 0, 255);
  MakeMovie("clip.mov");
  MakePhoto("new.JPG", 0, 255, 0);
  MakeFile("notes.txt", "not media");
  MakeFile("scan.jpeg", "another extension");
  Start();
  LaunchEdit();
  EXPECT_EQ(AlbumNames(), (Names{"new.JPG", "clip.mov", "old.jpg"}));
  EXPECT_EQ(Current(), "new.JPG");
  ASSERT_TRUE(WaitForThumbnails());

  const struct {
    int album;
    Names names;
  } cases[] = {{1, {"new.JPG", "old.jpg"}}, {2, {"clip.mov"}}, {0, {"new.JPG", "clip.mov", "old.jpg"}}};
  for (const auto& c : cases) {
    ASSERT_TRUE(hl::SelectItem(&Frame(), "comb_capture", c.album));
    Pump();
    EXPECT_EQ(AlbumNames(), c.names) << c.album;
    EXPECT_EQ(Current(), c.names.front()) << c.album;
  }
  qel::Element* combo = Find("comb_capture");
  ASSERT_EQ(combo->Items().size(), 3u);
  EXPECT_EQ(combo->Items()[1].tip, u"Photos");
}

TEST_F(EditModuleTest, APhotoShowsInThePhotoViewAndAMovieInTheMovieArea) {
  MakeMovie("clip.mov");
  MakePhoto("photo.jpg", 255, 0, 0);
  Start();
  LaunchEdit();
  EXPECT_EQ(Trace("edit show"), (Names{"edit show photo photo.jpg"}));
  EXPECT_TRUE(Shown("cata_view"));
  EXPECT_FALSE(Shown("vcata1"));
  for (const char* name : {"hcata_tools", "cata_butn", "cata_sharpen", "butn_AutoEnhance", "hscrl_1"}) {
    EXPECT_TRUE(Shown(name)) << name;
  }
  auto* control = dynamic_cast<qel::ImageControl*>(Find("imgc"));
  ASSERT_NE(control, nullptr);
  ASSERT_NE(control->Pict(), nullptr);
  EXPECT_TRUE(control->EffectivelyVisible());

  ASSERT_TRUE(PressItem(1));
  EXPECT_EQ(Current(), "clip.mov");
  EXPECT_EQ(Trace("edit show").back(), "edit show movie clip.mov");
  EXPECT_TRUE(Shown("vcata1"));
  EXPECT_FALSE(Shown("cata_view"));
  // Brightness and contrast serve both editors; the rest is for photos.
  for (const char* name : {"hscrl_1", "hscrl_2", "cata_butn"}) EXPECT_TRUE(Shown(name)) << name;
  for (const char* name : {"cata_sharpen", "butn_AutoEnhance", "vcata"}) EXPECT_FALSE(Shown(name)) << name;
  EXPECT_TRUE(Shown("view_PreviewFrame"));
  EXPECT_EQ(Find("view_Duration")->Text(), u"00:00:02");
}

TEST_F(EditModuleTest, TheShownFileIsReloadedOnlyWhenTheAlbumWasSwitched) {
  MakePhoto("a.jpg", 10, 10, 10);
  Start();
  LaunchEdit();
  ASSERT_EQ(Trace("edit show").size(), 1u);
  // The host showing the module again, or choosing the same file, keeps it.
  Frame().PostMessage(2027, 0, 0);
  Pump();
  ASSERT_TRUE(PressItem(0));
  EXPECT_EQ(Trace("edit show").size(), 1u);
  // Switching to the photos album shows its first file anew.
  ASSERT_TRUE(hl::SelectItem(&Frame(), "comb_capture", 1));
  Pump();
  EXPECT_EQ(Trace("edit show").size(), 2u);
}

TEST_F(EditModuleTest, TheAlbumPanelCanBeHiddenAndShown) {
  MakePhoto("a.jpg", 10, 10, 10);
  Start();
  LaunchEdit();
  EXPECT_EQ(Find("chck_ShowHideLeftPanel")->Tips(), u"Hide the album");
  ASSERT_TRUE(hl::Click(&Frame(), "chck_ShowHideLeftPanel"));
  Pump();
  EXPECT_FALSE(Shown("cata_Left"));
  EXPECT_FALSE(Shown("splt_splt"));
  EXPECT_EQ(Find("chck_ShowHideLeftPanel")->Tips(), u"Show the album");
  ASSERT_TRUE(hl::Click(&Frame(), "chck_ShowHideLeftPanel"));
  Pump();
  EXPECT_TRUE(Shown("cata_Left"));
}

TEST_F(EditModuleTest, KeysMoveInTheAlbumSelectAllAndDelete) {
  MakePhoto("c.jpg", 3, 3, 3);
  MakePhoto("b.jpg", 2, 2, 2);
  MakePhoto("a.jpg", 1, 1, 1);
  Start();
  LaunchEdit();
  // The album has the keys from the start: no edits are open, so it moves.
  auto key = [&](uint32_t code) {
    qel::input::Key(&Frame(), code, true);
    qel::input::Key(&Frame(), code, false);
    Pump();
  };
  key(29);
  EXPECT_EQ(Current(), "b.jpg");
  EXPECT_EQ(Trace("edit show").back(), "edit show photo b.jpg");
  qel::input::SetModifiers(qel::PointerInput::kControl);
  key('a');
  qel::input::SetModifiers(0);
  EXPECT_EQ(Album()->SelectedCount(), 3);
  hl::AnswerNextModal("butn_Yes");
  key(8);  // Backspace
  EXPECT_EQ(hl::PendingModalAnswers(), 0u);
  EXPECT_TRUE(AlbumNames().empty());
  EXPECT_EQ(Trashed(), (Names{"a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_TRUE(Shown("cata_hint"));
}

}  // namespace
