#include <gtest/gtest.h>

#include "CaptureAlbumFixture.h"


TEST_F(CaptureAlbum, ListsTheFolderNewestFirstInThreeAlbums) {
  Photo("old.jpg", 300);
  Photo("Anna's.jpg", 200);
  Movie("clip.mov", 100);
  Photo("new.jpg", 10);
  testenv::WriteFile(Folder() / "notes.txt", "not a photo");
  Open();
  qel::Album* all = Shown();
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(Names(all), (std::vector<std::string>{"new.jpg", "clip.mov", "Anna's.jpg", "old.jpg"}));
  EXPECT_EQ(all->Current(), 0);
  ASSERT_TRUE(ThumbnailsShown(all));

  // The selector shows the photos, then the movies.
  ASSERT_TRUE(hl::SelectItem(nullptr, "comb_default11", 1));
  Pump();
  EXPECT_EQ(Names(Shown()), (std::vector<std::string>{"new.jpg", "Anna's.jpg", "old.jpg"}));
  ASSERT_TRUE(hl::SelectItem(nullptr, "comb_default11", 2));
  Pump();
  EXPECT_EQ(Names(Shown()), (std::vector<std::string>{"clip.mov"}));
  ASSERT_TRUE(ThumbnailsShown(Shown()));

  // Every thumbnail is in the folder's database, one row a file.
  EXPECT_EQ(Sql("SELECT FileName, Type, length(FileTime) FROM MediaRecord ORDER BY FileName;"),
            "Anna's.jpg|1|8\nclip.mov|2|8\nnew.jpg|1|8\nold.jpg|1|8\n");
}

TEST_F(CaptureAlbum, PhotosStayWhenTheirThumbnailsCannotBeStored) {
  Photo("a.jpg", 20);
  Photo("b.jpg", 10);
  fs::create_directories(Folder() / "ZylORVThumb.db");  // no database can live there
  Open();
  qel::Album* all = Shown();
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(Names(all), (std::vector<std::string>{"b.jpg", "a.jpg"}));
  ASSERT_TRUE(ThumbnailsShown(all));
  EXPECT_EQ(Names(all).size(), 2u);
  EXPECT_TRUE(fs::exists(Folder() / "a.jpg"));
  EXPECT_TRUE(fs::exists(Folder() / "b.jpg"));
}

TEST_F(CaptureAlbum, AFileNoPictureCanBeMadeOfStaysWithAPlaceholder) {
  Photo("good.jpg", 20);
  testenv::WriteFile(Folder() / "broken.jpg", "not a picture at all");
  Open();
  qel::Album* all = Shown();
  ASSERT_NE(all, nullptr);
  auto placeholderShown = [&] {
    for (int32_t i = 0; i < all->Count(); ++i) {
      qel::Element* panel = all->ItemPanel(i);
      qel::Element* missing = panel ? panel->FindByName("view_ThumbMissing", true) : nullptr;
      if (missing && missing->Visible()) return Names(all)[size_t(i)] == "broken.jpg";
    }
    return false;
  };
  bool shown = false;
  for (int i = 0; i < 3000 && !shown; ++i) {
    Pump();
    shown = placeholderShown();
    if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(shown);
  // Switching to the photos and back keeps it, and it stays on disk.
  ASSERT_TRUE(hl::SelectItem(nullptr, "comb_default11", 1));
  Pump();
  // The two may carry the same file time: either order.
  auto sorted = [this](qel::Album* album) {
    std::vector<std::string> names = Names(album);
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> both{"broken.jpg", "good.jpg"};
  EXPECT_EQ(sorted(Shown()), both);
  ASSERT_TRUE(hl::SelectItem(nullptr, "comb_default11", 0));
  Pump();
  all = Shown();
  EXPECT_EQ(sorted(all), both);
  EXPECT_TRUE(placeholderShown());
  EXPECT_TRUE(fs::exists(Folder() / "broken.jpg"));
}

TEST_F(CaptureAlbum, DeleteAsksFirstThenMovesTheFilesToTheTrash) {
  Photo("a.jpg", 30);
  Photo("b.jpg", 20);
  Photo("c.jpg", 10);
  Open();
  qel::Album* all = Shown();
  ASSERT_TRUE(ThumbnailsShown(all));
  SelectOnly(all, 1);  // b.jpg
  hl::AnswerNextModal("butn_No");
  ASSERT_TRUE(Press("butn_Delete"));
  Pump();
  EXPECT_EQ(Names(all).size(), 3u);
  EXPECT_TRUE(fs::exists(Folder() / "b.jpg"));

  // Deleting the last two leaves the new last item current.
  all->Select(1, true, true);
  all->Select(2, true, false);
  hl::AnswerNextModal("butn_Yes");
  ASSERT_TRUE(Press("butn_Delete"));
  Pump();
  EXPECT_EQ(Names(all), (std::vector<std::string>{"c.jpg"}));
  EXPECT_EQ(all->Current(), 0);
  EXPECT_FALSE(fs::exists(Folder() / "b.jpg"));
  fs::path trash = fs::path(std::getenv("XDG_DATA_HOME")) / "Trash" / "files";
  EXPECT_TRUE(fs::exists(trash / "b.jpg"));
  EXPECT_TRUE(fs::exists(trash / "a.jpg"));
  EXPECT_EQ(Sql("SELECT FileName FROM MediaRecord;"), "c.jpg\n");
}

TEST_F(CaptureAlbum, ViewingStartsTheViewerWithTheAlbumsPhotos) {
  Photo("a.jpg", 30);
  Movie("m.mov", 25);
  Photo("b.jpg", 20);
  Photo("c.jpg", 10);
  Open();
  qel::Album* all = Shown();
  SelectOnly(all, 3);  // a.jpg, the oldest
  ASSERT_TRUE(Press("butn_Media"));
  Pump();
  ASSERT_EQ(spawned_.size(), 1u);
  EXPECT_EQ(fs::path(spawned_[0][0]).filename(), "Dunsellow Vistrel");
  const std::string& cmdl = spawned_[0][1];
  ASSERT_EQ(cmdl.rfind("--cmdl=-AssetFilePath \"", 0), 0u) << cmdl;
  std::string list = cmdl.substr(23, cmdl.find('"', 23) - 23);
  EXPECT_EQ(cmdl.substr(cmdl.size() - 12), "-MBStatus \"\"");
  std::string text = testenv::ReadFile(list);
  // Every photo of the shown album, in its order, the selected one first.
  std::string folder = Folder().string();
  EXPECT_NE(text.find("<FirstFile>" + folder + "/a.jpg</FirstFile>"), std::string::npos) << text;
  size_t c = text.find("<FilePath>" + folder + "/c.jpg"), b = text.find("<FilePath>" + folder + "/b.jpg"),
         a = text.find("<FilePath>" + folder + "/a.jpg");
  EXPECT_TRUE(c < b && b < a && a != std::string::npos) << text;
  EXPECT_EQ(text.find("m.mov"), std::string::npos);
}

TEST_F(CaptureAlbum, MissingBundlesAreReportedAndRevealShowsTheFile) {
  Photo("a.jpg", 10);
  Open();
  qel::Album* all = Shown();
  SelectOnly(all, 0);
  for (const char* button : {"butn_Email", "butn_print"}) {
    hl::AnswerNextModal("butn_OK");
    ASSERT_TRUE(Press(button)) << button;
    Pump();
    EXPECT_EQ(hl::PendingModalAnswers(), 0u) << button << ": no message shown";
  }
  plat::ClearHeadlessDesktopCalls();
  ASSERT_TRUE(Press("butn_FindTarget"));
  Pump();
  EXPECT_EQ(plat::HeadlessDesktopCalls(), (std::vector<std::string>{"reveal " + (Folder() / "a.jpg").string()}));
}

// The e-mail and print bundles get the chosen files; a print the bundle
// could not make is said as such, not as an empty selection.
TEST_F(CaptureAlbum, TheBundlesGetTheChosenFilesAndAFailedPrintIsSaid) {
  const fs::path photo = Photo("a.jpg", 10);
  // The staged program with stand-ins for the two bundles.
  const fs::path app = testenv::MakeTempDir("app") / "Dunsellow.app";
  fs::create_directories(app / "Contents");
  for (const auto& item : fs::directory_iterator(testenv::StageDir() / "Dunsellow.app" / "Contents")) {
    const std::string name = item.path().filename().string();
    if (name != "Printwell.bundle" && name != "ZylEmail.bundle") fs::create_symlink(item.path(), app / "Contents" / name);
  }
  for (const char* name : {"Printwell.bundle", "ZylEmail.bundle"}) {
    const fs::path bundle = app / "Contents" / name / "Contents";
    testenv::WriteFile(bundle / "Info.plist",
                       "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleExecutable</key>"
                       "<string>standin.so</string></dict></plist>");
    fs::create_directories(bundle / "MacOS");
    fs::create_symlink(DIALOG_STANDIN, bundle / "MacOS" / "standin.so");
  }
  ::setenv("DUNSELLOW_BUNDLE", app.c_str(), 1);
  const fs::path log = testenv::MakeTempDir("log") / "handed.txt";
  ::setenv("NUVO_STANDIN_LOG", log.c_str(), 1);
  Open();
  SelectOnly(Shown(), 0);

  ::setenv("NUVO_STANDIN_ANSWER", "5", 1);
  std::u16string said;
  hl::AnswerNextModalBy([&](CQelWindow* w) { said = hl::Read(w, "text_Msg").text; }, "butn_OK");
  ASSERT_TRUE(Press("butn_print"));
  Pump();
  EXPECT_EQ(hl::PendingModalAnswers(), 0u) << "no message after the failed print";
  EXPECT_EQ(QelToUTF8(said), "The files could not be printed.");
  EXPECT_EQ(testenv::ReadFile(log), "parent set\n" + photo.string() + " 0x0\n");

  ::setenv("NUVO_STANDIN_ANSWER", "1", 1);
  hl::ClearModalAnswers();
  ASSERT_TRUE(Press("butn_Email"));
  Pump();
  EXPECT_EQ(testenv::ReadFile(log), "parent set\n" + photo.string() + " -\n");
  ::unsetenv("NUVO_STANDIN_ANSWER");
  ::unsetenv("NUVO_STANDIN_LOG");
}
