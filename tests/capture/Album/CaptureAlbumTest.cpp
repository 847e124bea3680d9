#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "CaptureModuleFixture.h"
#include "PrivateDisplay.h"
#include "SqliteCli.h"
#include "TestEnvironment.h"
#include "ThumbData.h"
#include "img/ImageFile.h"
#include "os/CommandLineClient.h"
#include "os/Reveal.h"
#include "qel/QelAlbum.h"
#include "qel/QelElementLayers.h"
#include "qel/QelHeadless.h"
#include "qel/QelInput.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

// The capture album in the running program, fed with files made here.
class CaptureAlbum : public CaptureModuleTest {
 protected:
  void SetUp() override {
    CaptureModuleTest::SetUp();
    plat::SetSpawnFunction([this](const std::vector<std::string>& argv, const std::vector<std::string>&) {
      spawned_.push_back(argv);
      return true;
    });
  }
  void TearDown() override {
    CaptureModuleTest::TearDown();
    plat::SetSpawnFunction(nullptr);
  }

  fs::path Folder() const { return MediaFolder() / "Capture"; }
  // A photo or movie whose time lies `age` seconds in the past.
  fs::path Photo(const std::string& name, int age, uint8_t grey = 128) {
    fs::create_directories(Folder());
    fs::path f = Folder() / name;
    EXPECT_EQ(img::SaveJpeg(img::Bitmap::Filled(320, 240, grey), f.string(), {}), img::Status::kOk);
    Age(f, age);
    return f;
  }
  fs::path Movie(const std::string& name, int age) {
    fs::create_directories(Folder());
    fs::path f = Folder() / name;
    std::string make = "ffmpeg -v error -y -f lavfi -i testsrc=size=160x120:rate=10 -t 1 -c:v mjpeg "
                       "-pix_fmt yuvj420p '" + f.string() + "'";
    EXPECT_EQ(std::system(make.c_str()), 0);
    Age(f, age);
    return f;
  }
  // The album goes by the latest of a file's dates, which on Linux is the
  // inode's change time: each new file is made later than the one before.
  void Age(const fs::path& f, int age) {
    fs::last_write_time(f, fs::file_time_type::clock::now() - std::chrono::seconds(age));
    struct stat st {};
    for (int i = 0; i < 100000; ++i) {
      ::chmod(f.c_str(), 0644);
      if (::stat(f.c_str(), &st) != 0 || last_.tv_sec < st.st_ctim.tv_sec ||
          (last_.tv_sec == st.st_ctim.tv_sec && last_.tv_nsec < st.st_ctim.tv_nsec)) {
        break;
      }
    }
    last_ = st.st_ctim;
  }
  struct timespec last_ {};

  void Open() {
    Start();
    LaunchCapture();
  }
  // The album shown now.
  qel::Album* Shown() {
    qel::Element* left = Find("cata_Left");
    if (!left) return nullptr;
    for (qel::Element* e : left->Children()) {
      if (e->Kind() == qel::kAlbumClass && e->Visible()) return static_cast<qel::Album*>(e);
    }
    return nullptr;
  }
  std::vector<std::string> Names(qel::Album* album) {
    std::vector<std::string> out;
    for (int32_t i = 0; album && i < album->Count(); ++i) {
      auto* r = static_cast<_THUMBDATA*>(album->Data(i));
      out.push_back(r ? fs::path(QelToUTF8(r->path)).filename().string() : "?");
    }
    return out;
  }
  // Until every shown item has its thumbnail (the worker posts them).
  bool ThumbnailsShown(qel::Album* album) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      Pump();
      bool all = album != nullptr;
      for (int32_t i = 0; album && i < album->Count(); ++i) {
        qel::Element* panel = album->ItemPanel(i);
        if (!panel) continue;
        qel::Element* image = panel->FindByName("view_ThumbImage", true);
        qel::ElementLayers* layers = image ? image->Layers(false) : nullptr;
        all = all && layers && layers->Layer()->Surface();
      }
      if (all) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  void SelectOnly(qel::Album* album, int32_t index) {
    album->Select(index, true, true);
    album->SetCurrent(index);
    Pump();
  }
  std::string Sql(const std::string& sql) {
    testsql::Result r = testsql::Run(Folder() / "ZylORVThumb.db", sql);
    EXPECT_TRUE(r.ok) << r.err;
    return r.out;
  }

  // The button's click, as the panel binds it (the tools follow the selection).
  bool Press(const char* name) {
    qel::Element* e = Find(name);
    if (!e) return false;
    qel::input::FireEvent(e, QEL_EV_CLICK, 0);
    Pump();
    return true;
  }

  std::vector<std::vector<std::string>> spawned_;
};

}  // namespace

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

namespace {

// Processes of the staged viewer started for this test (they share its
// private runtime folder, where the viewer's socket lies).
std::vector<pid_t> OurViewers() {
  const fs::path viewer =
      fs::canonical(testenv::StageDir() / "Dunsellow.app/Contents/Dunsellow Vistrel.app/Contents/MacOS/Dunsellow Vistrel");
  const std::string mark = std::string("XDG_RUNTIME_DIR=") + std::getenv("XDG_RUNTIME_DIR");
  std::vector<pid_t> out;
  for (const fs::directory_entry& e : fs::directory_iterator("/proc")) {
    const std::string name = e.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::error_code ec;
    if (fs::read_symlink(e.path() / "exe", ec) != viewer || ec) continue;
    const std::string env = testenv::ReadFile(e.path() / "environ");
    if (env.find(mark + '\0') != std::string::npos) out.push_back(pid_t(std::stoi(name)));
  }
  return out;
}

// A top-level window of the private X server with this title.
bool WindowTitled(const std::string& title) {
  const std::string cmd = "xwininfo -root -tree 2>/dev/null | grep -qF '\"" + title + "\"'";
  return std::system(cmd.c_str()) == 0;
}

}  // namespace

// The whole way: a photo from the stand-in camera, "View" in the album
// starting the real viewer on a private X server with the album's asset
// list, the viewer's title naming the photo, and a second "View" reaching
// that same viewer process.
TEST_F(CaptureAlbum, APhotoTakenOpensInTheViewerAndASecondViewReachesTheSameViewer) {
  if (std::system("{ command -v Xvfb && command -v xwininfo; } >/dev/null 2>&1") != 0) GTEST_SKIP() << "no Xvfb";
  Open();
  ASSERT_TRUE(WaitForPicture());
  // This process keeps its headless toolkit; the viewer it starts draws on
  // a private X server with GTK.
  if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could start";
  ::setenv("QEL_BACKEND", "gtk", 1);
  plat::SetSpawnFunction(nullptr);

  auto takeAndView = [this](size_t photoNumber) -> std::string {
    Command(u"-Capture/Capture");
    EXPECT_TRUE(WaitFor([&] { return Trace("capture photo ").size() == photoNumber; }));
    const std::vector<std::string> photos = Trace("capture photo ");
    if (photos.size() != photoNumber) return {};
    const fs::path photo = photos.back().substr(std::string("capture photo ").size());
    qel::Album* album = Shown();
    std::vector<std::string> names = Names(album);
    auto at = std::find(names.begin(), names.end(), photo.filename().string());
    EXPECT_NE(at, names.end()) << photo;
    if (at == names.end()) return {};
    SelectOnly(album, int32_t(at - names.begin()));
    EXPECT_TRUE(Press("butn_Media"));
    return photo.filename().string();
  };
  auto titled = [this](const std::string& name) {
    return WaitFor([&] { return WindowTitled(name + " - Dunsellow Vistrel"); }, 60);
  };

  const std::string first = takeAndView(1);
  ASSERT_FALSE(first.empty());
  EXPECT_TRUE(titled(first)) << "the viewer never showed " << first;
  const std::vector<pid_t> viewers = OurViewers();
  EXPECT_EQ(viewers.size(), 1u);

  const std::string second = takeAndView(2);
  ASSERT_FALSE(second.empty());
  EXPECT_NE(second, first);
  EXPECT_TRUE(titled(second)) << "the second view never reached the viewer";
  EXPECT_EQ(OurViewers(), viewers) << "a second viewer was started";

  for (pid_t pid : OurViewers()) ::kill(pid, SIGTERM);
  EXPECT_TRUE(WaitFor([] { return OurViewers().empty(); }, 30));
  ::unsetenv("QEL_BACKEND");
}
