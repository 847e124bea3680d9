// The album's actions inside the program: delete to the Trash, files that
// vanish behind the program's back, the context menu and properties, play
// and view through the asset list, helpers that are missing, reveal, and
// the thumbnail database shared with the other album.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <cairo.h>

#include "CDBManager.h"
#include "DibHelper.h"
#include "EditModuleFixture.h"
#include "ThumbFileTime.h"
#include "qel/QelElementLayers.h"
#include "TestEnvironment.h"
#include "qel/QelHeadless.h"
#include "os/Reveal.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

using Names = std::vector<std::string>;

std::string Sqlite(const fs::path& db, const std::string& sql) {
  return RunCommand("sqlite3 '" + db.string() + "' \"" + sql + "\"");
}

TEST_F(EditModuleTest, DeleteAsksAndMovesTheFilesToTheTrash) {
  MakePhoto("c.jpg", 3, 3, 3);
  MakePhoto("b.jpg", 2, 2, 2);
  MakePhoto("a.jpg", 1, 1, 1);
  Start();
  LaunchEdit();
  ASSERT_TRUE(WaitForThumbnails());
  hl::AnswerNextModal("butn_No");
  ASSERT_TRUE(hl::Click(&Frame(), "butn_Delete"));
  Pump();
  EXPECT_EQ(AlbumNames(), (Names{"a.jpg", "b.jpg", "c.jpg"}));

  // Two files: the current one and one more picked with Control.
  qel::Album* album = Album();
  album->Select(1, true, false);
  Pump();
  hl::AnswerNextModal("butn_Yes");
  ASSERT_TRUE(hl::Click(&Frame(), "butn_Delete"));
  Pump();
  EXPECT_EQ(AlbumNames(), (Names{"c.jpg"}));
  EXPECT_EQ(Current(), "c.jpg");
  EXPECT_EQ(Trashed(), (Names{"a.jpg", "b.jpg"}));
  EXPECT_FALSE(fs::exists(MediaFolder() / "a.jpg"));
  const fs::path db = MediaFolder() / "ZylORVThumb.db";
  EXPECT_EQ(Sqlite(db, "SELECT FileName FROM MediaRecord ORDER BY FileName;"), "c.jpg");
}

TEST_F(EditModuleTest, AFileRemovedBehindTheProgramsBackLeavesTheAlbumAfterAWarning) {
  MakePhoto("b.jpg", 2, 2, 2);
  MakePhoto("a.jpg", 1, 1, 1);
  Start();
  LaunchEdit();
  fs::remove(MediaFolder() / "b.jpg");
  std::u16string message;
  hl::AnswerNextModalBy(
      [&](CQelWindow* w) {
        message = hl::Read(w, "view").text;
        hl::Click(w, "chck_NotShowAgain");
      },
      "butn_Continue");
  ASSERT_TRUE(PressItem(1));
  EXPECT_EQ(hl::PendingModalAnswers(), 0u);
  EXPECT_NE(message.find(u"moved or deleted"), std::u16string::npos);
  EXPECT_EQ(AlbumNames(), (Names{"a.jpg"}));
  EXPECT_TRUE(Trashed().empty());  // nothing of the user's is touched
  // The warning stays off from now on, also in the preferences.
  hl::Click(&Frame(), "butn_home");
  Pump();
  EXPECT_EQ(Preference("ShowMsgWhenDeleteEdit"), "0");
}

TEST_F(EditModuleTest, AFileWhoseThumbnailCannotBeMadeStaysWithAPlaceholder) {
  MakePhoto("good.jpg", 1, 1, 1);
  MakeFile("broken.jpg", "not a picture at all");
  Start();
  LaunchEdit();
  ASSERT_TRUE(WaitForThumbnails());
  EXPECT_EQ(AlbumNames(), (Names{"broken.jpg", "good.jpg"}));
  EXPECT_TRUE(Album()->ItemPanel(0)->FindByName("view_ThumbMissing", true)->EffectivelyVisible());
  EXPECT_FALSE(Album()->ItemPanel(1)->FindByName("view_ThumbMissing", true)->EffectivelyVisible());
  EXPECT_TRUE(fs::exists(MediaFolder() / "broken.jpg"));
  EXPECT_TRUE(Trashed().empty());
}

TEST_F(EditModuleTest, TheContextMenuOpensThePropertiesOfTheFileUnderThePointer) {
  MakeMovie("clip.mov");
  MakePhoto("photo.jpg", 9, 9, 9, 640, 480);
  Start();
  LaunchEdit();
  std::u16string resolution, name, length;
  hl::AnswerNextModal("mece_2");  // the second shown item: Properties
  hl::AnswerNextModalBy([&](CQelWindow* w) {
    resolution = hl::Read(w, "edit_fileformat").text;
    name = hl::Read(w, "edit_filename").text;
  }, "butn_Close");
  ASSERT_TRUE(PressItem(0, 3));
  EXPECT_EQ(hl::PendingModalAnswers(), 0u);
  EXPECT_EQ(name, u"photo.jpg");
  EXPECT_EQ(resolution, u"640 x 480 (VGA)");

  // A movie: its length, sound and picture.
  std::u16string audio;
  hl::AnswerNextModal("mece_2");
  hl::AnswerNextModalBy([&](CQelWindow* w) {
    length = hl::Read(w, "edit_mediaduration").text;
    audio = hl::Read(w, "edit_audioformat").text;
  }, "butn_Close");
  ASSERT_TRUE(PressItem(1, 3));
  EXPECT_EQ(Current(), "clip.mov");
  EXPECT_EQ(length, u"00:00:02");
  EXPECT_NE(audio.find(u"44.1 kHz"), std::u16string::npos) << qel::ToU8(audio);
}

TEST_F(EditModuleTest, PlayHandsTheViewerTheAlbumsPhotosStartingWithTheChosenOne) {
  UseBundleTree(kViewer | kPlayer);
  MakeMovie("clip.mov");
  MakePhoto("second.jpg", 2, 2, 2);
  MakePhoto("first.jpg", 1, 1, 1);
  Start();
  LaunchEdit();
  ASSERT_TRUE(PressItem(1));
  ASSERT_EQ(Current(), "second.jpg");
  hl::AnswerNextModal("mece_1");  // Open
  ASSERT_TRUE(PressItem(1, 3));
  ASSERT_EQ(Spawned().size(), 1u);
  const std::vector<std::string>& argv = Spawned()[0];
  ASSERT_EQ(argv.size(), 2u);
  EXPECT_NE(argv[0].find("Dunsellow Vistrel.app/Contents/MacOS/stand-in"), std::string::npos);
  const std::string prefix = "--cmdl=-AssetFilePath \"";
  ASSERT_EQ(argv[1].rfind(prefix, 0), 0u) << argv[1];
  const std::string tail = "\" -MBStatus \"\"";
  ASSERT_GT(argv[1].size(), prefix.size() + tail.size());
  const std::string list = argv[1].substr(prefix.size(), argv[1].size() - prefix.size() - tail.size());
  // An independent XML reader: the first file, then every photo in order.
  const std::string read = RunCommand(
      "/usr/bin/python3 -I -c 'import sys,os,xml.etree.ElementTree as E; r=E.parse(sys.argv[1]).getroot(); "
      "print(r.tag, *[c.tag+\"=\"+os.path.basename(c.text) for c in r])' '" + list + "'");
  EXPECT_EQ(read, "SelectedAssetList FirstFile=second.jpg FilePath=first.jpg FilePath=second.jpg");
}

TEST_F(EditModuleTest, MissingHelpersAreReportedInADialog) {
  UseBundleTree(0);
  MakeMovie("clip.mov");
  MakePhoto("photo.jpg", 1, 1, 1);
  Start();
  LaunchEdit();
  struct Case {
    const char* action;  // an element of the page, or a menu item
    int item;
    const char* expected;
  };
  const Case cases[] = {
      {"mece_1", 0, "The photo viewer is not installed"},
      {"mece_1", 1, "The media player is not installed"},
      {"butn_Email", 0, "Sending by e-mail is not installed"},
      {"butn_print", 0, "Printing is not installed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    std::u16string message;
    const bool menu = std::string(c.action).rfind("mece_", 0) == 0;
    if (menu) hl::AnswerNextModal(c.action);
    hl::AnswerNextModalBy([&](CQelWindow* w) { message = hl::Read(w, "text_Msg").text; }, "butn_OK");
    if (menu) {
      ASSERT_TRUE(PressItem(c.item, 3));
    } else {
      ASSERT_TRUE(PressItem(c.item));
      ASSERT_TRUE(hl::Click(&Frame(), c.action));
      Pump();
    }
    EXPECT_EQ(hl::PendingModalAnswers(), 0u);
    EXPECT_EQ(qel::ToU8(message).rfind(c.expected, 0), 0u) << qel::ToU8(message);
  }
  EXPECT_TRUE(Spawned().empty());
}

// The thumbnail store of the media folder is shared with the capture album:
// both go through the common library's database manager with one file-time
// rule, so a row written by one is taken by the other.
TEST_F(EditModuleTest, TheThumbnailDatabaseIsSharedWithTheOtherAlbum) {
  const fs::path stored = MakePhoto("stored.jpg", 0, 255, 0);
  const fs::path made = MakePhoto("made.jpg", 0, 0, 255);
  {
    // A row for "stored.jpg" as the other album leaves it: magenta.
    CDBManager db;
    ASSERT_TRUE(db.Connect(qel::ToU16(MediaFolder().string()).c_str()));
    _THUMBDATA record(1, qel::ToU16(stored.string()).c_str());
    ASSERT_EQ(GetThumbFileTime(record.path, &record.fileTime), 1);
    unsigned char* dib = DIBNew(80, 60, 24, 72);
    ASSERT_NE(dib, nullptr);
    const size_t stride = DIBStride(80, 24);
    for (int32_t y = 0; y < 60; ++y) {
      for (int32_t x = 0; x < 80; ++x) {
        unsigned char* p = dib + 40 + size_t(y) * stride + 3 * size_t(x);
        p[0] = 255, p[1] = 0, p[2] = 255;
      }
    }
    record.SetDib(dib);
    ASSERT_TRUE(db.InsertOneRecord(&record));
  }
  Start();
  LaunchEdit();
  ASSERT_TRUE(WaitForThumbnails());
  ASSERT_EQ(AlbumNames(), (Names{"made.jpg", "stored.jpg"}));
  auto centre = [&](int32_t index) {
    qel::Element* view = Album()->ItemPanel(index)->FindByName("view_ThumbImage", true);
    cairo_surface_t* s = view->Layers(false)->Layer()->Surface();
    cairo_surface_flush(s);
    const unsigned char* row = cairo_image_surface_get_data(s) +
                               size_t(cairo_image_surface_get_height(s) / 2) * size_t(cairo_image_surface_get_stride(s));
    return *reinterpret_cast<const uint32_t*>(row + 4 * (cairo_image_surface_get_width(s) / 2)) & 0xFFFFFFu;
  };
  EXPECT_EQ(centre(1), 0xFF00FFu);  // taken from the row, not made again
  const uint32_t red = centre(0);
  EXPECT_GT((red >> 16) & 0xFF, 200u);
  EXPECT_LT(red & 0xFF, 60u);

  // The row the album wrote for "made.jpg" is one the other album takes.
  const fs::path db = MediaFolder() / "ZylORVThumb.db";
  EXPECT_EQ(Sqlite(db, "SELECT FileName FROM MediaRecord ORDER BY FileName;"), "made.jpg\nstored.jpg");
  CDBManager other;
  ASSERT_TRUE(other.Connect(qel::ToU16(MediaFolder().string()).c_str()));
  _THUMBDATA probe(1, qel::ToU16(made.string()).c_str());
  GetThumbFileTime(probe.path, &probe.fileTime);
  int mustMake = -1;
  EXPECT_TRUE(other.FindOneRecord(&probe, &mustMake));
  EXPECT_EQ(mustMake, 0);
  ASSERT_NE(probe.dib, nullptr);
  EXPECT_EQ(reinterpret_cast<const tagBITMAPINFOHEADER*>(probe.dib)->biWidth, 80);
}

TEST_F(EditModuleTest, ShowInFolderRevealsTheFile) {
  MakePhoto("photo.jpg", 1, 1, 1);
  Start();
  LaunchEdit();
  plat::ClearHeadlessDesktopCalls();
  ASSERT_TRUE(hl::Click(&Frame(), "butn_FindTarget"));
  Pump();
  EXPECT_EQ(plat::HeadlessDesktopCalls(), (Names{"reveal " + (MediaFolder() / "photo.jpg").string()}));
}

}  // namespace
