// The capture page as a user meets it inside the program: the stand-in
// camera running, every control clicked through the X server and its effect
// checked on the page, in the capture folder or in the window it opens.
#include <set>

#include "LoopWait.h"
#include "ProgramUser.h"

namespace fs = std::filesystem;

namespace {

class CapturePageClick : public ProgramUser {
 public:
  // A click on the photo button until a photo is written: the stand-in
  // camera's first frame may still be on its way.
  void TakePhoto() {
    const size_t before = Files({".jpg"}).size();
    bool written = false;
    for (int attempt = 0; attempt < 5 && !written; ++attempt) {
      ASSERT_TRUE(user_->Click(Frame(), "butn_image"));
      written = user_->WaitFor([&] { return Files({".jpg"}).size() == before + 1; }, 4);
    }
    ASSERT_TRUE(written);
  }
  void Open() {
    Start();
    OpenCapture();
    // The camera runs once the photo button can be used.
    ASSERT_TRUE(user_->WaitFor([this] { return Enabled("butn_image"); }, 30));
  }
  int Check(const char* name) {
    qel::Element* e = Find(name);
    return e ? e->Check() : -1;
  }
  // The files below the test's private home with one of these extensions.
  static std::set<fs::path> Files(const std::set<std::string>& extensions) {
    std::set<fs::path> found;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(testenv::Root(), ec); it != fs::recursive_directory_iterator();
         it.increment(ec)) {
      if (ec) break;
      std::string ext = it->path().extension().string();
      for (char& c : ext) c = char(std::tolower(static_cast<unsigned char>(c)));
      if (it->is_regular_file(ec) && extensions.count(ext)) found.insert(it->path());
    }
    return found;
  }
  // Runs `inside` on the next modal window once it is up, then waits for it to go.
  void InDialog(const std::function<void(CQelModalWnd*)>& inside) {
    CQelModalWnd* dialog = nullptr;
    ASSERT_TRUE(user_->WaitFor([&] { return (dialog = Modal()) != nullptr; }));
    inside(dialog);
    ASSERT_TRUE(user_->WaitFor([this] { return Modal() == nullptr && OnlyTheMainWindow(); }));
  }
};

TEST_F(CapturePageClick, PhotoMovieAndPageControls) {
  Open();
  TakePhoto();

  const auto movies = Files({".mov", ".mp4"});
  ASSERT_TRUE(user_->Click(Frame(), "chck_video"));
  ASSERT_TRUE(user_->WaitFor([&] { return Check("chck_video") == 1 && !Enabled("butn_image"); }));
  ASSERT_TRUE(user_->Click(Frame(), "chck_video"));
  EXPECT_TRUE(user_->WaitFor([&] { return Check("chck_video") == 0 && Enabled("butn_image"); }));
  EXPECT_TRUE(user_->WaitFor([&] { return Files({".mov", ".mp4"}).size() == movies.size() + 1; }));

  struct Row {
    const char* element;
    std::function<bool(CapturePageClick*)> effect;
  };
  const Row rows[] = {
      {"chck_ShowHideLeftPanel", [](CapturePageClick* t) { return !ShownIn(t->Frame(), "cata_Left"); }},
      {"chck_ShowHideLeftPanel", [](CapturePageClick* t) { return ShownIn(t->Frame(), "cata_Left"); }},
      {"chck_SupperQuality", [](CapturePageClick* t) { return t->Check("chck_SupperQuality") == 1; }},
      {"chck_SupperQuality", [](CapturePageClick* t) { return t->Check("chck_SupperQuality") == 0; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.element) + " in row " + std::to_string(&row - rows));
    ASSERT_TRUE(user_->Click(Frame(), row.element));
    EXPECT_TRUE(user_->WaitFor([&] { return row.effect(this); }));
  }
}

TEST_F(CapturePageClick, DropDownListsChooseThroughTheirMenus) {
  Open();
  for (const char* list : {"comb_resolution", "comb_default11"}) {
    SCOPED_TRACE(list);
    int before = -1;
    user_->OnMain([&] { before = Find(list)->Selection(); });
    ASSERT_TRUE(user_->Click(Frame(), list));
    std::vector<std::string> items;
    ASSERT_TRUE(user_->WaitFor([&] { return (items = user_->OpenMenuItems()).size() >= 2; }));
    const std::string pick = items[before == 0 ? 1 : 0];
    ASSERT_TRUE(user_->ClickMenuItem(pick));
    EXPECT_TRUE(user_->WaitFor([&] { return Find(list)->Selection() != before && user_->OpenMenuItems().empty(); }));
  }
}

TEST_F(CapturePageClick, TheAlbumsContextMenu) {
  Open();
  TakePhoto();
  // The new photo's thumbnail is the album's first.
  auto first = Inside("albumtable", 60, 60);
  ASSERT_TRUE(first);
  user_->Run([&] {
    ASSERT_TRUE(user_->ClickAt(*first));
    ASSERT_TRUE(user_->WaitFor([&] { return Enabled("butn_FindTarget"); })) << "one photo selected";

    ASSERT_TRUE(user_->ClickAt(*first, 3));
    std::vector<std::string> shown;
    ASSERT_TRUE(user_->WaitFor([&] { return !(shown = user_->OpenMenuItems()).empty(); }));
    EXPECT_EQ(shown, (std::vector<std::string>{"Open", "Properties", "Refresh", "Show in Folder"}));
    ASSERT_TRUE(user_->ClickMenuItem("Properties"));
    // The menu goes, the properties dialog comes.
    CQelModalWnd* properties = nullptr;
    ASSERT_TRUE(user_->WaitFor([&] {
      properties = Modal();
      return properties && ShownIn(properties, "butn_Close");
    }));
    ASSERT_TRUE(user_->Click(properties, "butn_Close"));
    ASSERT_TRUE(user_->WaitFor([this] { return Modal() == nullptr && OnlyTheMainWindow(); }));

    // The main window has the focus back before the next menu opens (a
    // pop-up that loses the focus goes).
    ASSERT_TRUE(user_->Focus(Frame()));
    ASSERT_TRUE(user_->ClickAt(*first, 3));
    ASSERT_TRUE(user_->ClickMenuItem("Refresh"));
    ASSERT_TRUE(user_->WaitFor([this] { return Modal() == nullptr && OnlyTheMainWindow(); }));
  });
}

// The camera button's settings: a click near a slider's right end raises
// the camera's brightness, the check box turns automatic white balance off,
// Defaults puts both back and Close leaves.
TEST_F(CapturePageClick, CameraSettingsAnswerTheirControls) {
  Open();
  user_->Run([&] {
    ASSERT_TRUE(user_->Click(Frame(), "butn_camsetting"));
    InDialog([&](CQelModalWnd* d) {
      const auto element = [d](const char* name) { return d->Root()->FindByName(name, true); };
      int32_t width = 0;
      ASSERT_TRUE(user_->OnMain([&] {
        SRect32 r = element("scrl_value_9963776")->Bounds();
        width = r.right - r.left;
      }));
      auto centre = user_->Where(d, "scrl_value_9963776");
      ASSERT_TRUE(centre);
      ASSERT_TRUE(user_->ClickAt(POINT{centre->x + width / 2 - 3, centre->y}));
      int32_t brightness = 0;
      ASSERT_TRUE(user_->WaitFor([&] { return (brightness = element("scrl_value_9963776")->Scroll().pos) > 0; }));
      ASSERT_TRUE(user_->WaitFor([&] {
        return element("text_value_9963776")->Text() == qel::ToU16(std::to_string(brightness));
      }));
      ASSERT_TRUE(user_->Click(d, "chck_value_9963788"));
      ASSERT_TRUE(user_->WaitFor([&] { return element("chck_value_9963788")->Check() == 0; }));
      ASSERT_TRUE(user_->Click(d, "butn_Default"));
      ASSERT_TRUE(user_->WaitFor([&] {
        return element("scrl_value_9963776")->Scroll().pos == 0 && element("chck_value_9963788")->Check() == 1;
      }));
      ASSERT_TRUE(user_->Click(d, "butn_OK"));
    });
  });
}

TEST_F(CapturePageClick, TheTitleBarButtonsOpenTheirWindows) {
  Open();
  user_->Run([&] {
    // Capture settings: left by Cancel, by the close button and by OK.
    for (const char* way : {"butn_Cancel", "butn_close_mac", "butn_OK"}) {
      SCOPED_TRACE(way);
      ASSERT_TRUE(user_->Click(Frame(), "butn_CaptureSettings"));
      InDialog([&](CQelModalWnd* d) { ASSERT_TRUE(user_->Click(d, way)); });
    }
    // Full screen: its close button brings the page back.
    ASSERT_TRUE(user_->Click(Frame(), "butn_fullScreen"));
    InDialog([&](CQelModalWnd* d) { ASSERT_TRUE(user_->Key(d, "Escape")); });
  });
}

// Soft eject asks first and switches the camera off, a second click brings
// it back; the album's tools act on the chosen photo.
TEST_F(CapturePageClick, SoftEjectAndTheAlbumTools) {
  Open();
  TakePhoto();
  user_->Run([&] {
    ASSERT_TRUE(user_->Click(Frame(), "chck_SoftEject"));
    InDialog([&](CQelModalWnd* d) { ASSERT_TRUE(user_->Click(d, "butn_Yes")); });
    EXPECT_TRUE(user_->WaitFor([&] { return Check("chck_SoftEject") == 0 && !Enabled("butn_image"); }));
    ASSERT_TRUE(user_->Click(Frame(), "chck_SoftEject"));
    EXPECT_TRUE(user_->WaitFor([&] { return Check("chck_SoftEject") == 1 && Enabled("butn_image"); }, 30));

    auto first = Inside("albumtable", 60, 60);
    ASSERT_TRUE(first);
    ASSERT_TRUE(user_->ClickAt(*first));
    ASSERT_TRUE(user_->WaitFor([&] { return Enabled("butn_Email") && Enabled("butn_Delete"); }));
    // E-mail: the confirm dialog, given up.
    ASSERT_TRUE(user_->Click(Frame(), "butn_Email"));
    InDialog([&](CQelModalWnd* d) { ASSERT_TRUE(user_->Click(d, "butn_Cancel")); });
    // Delete: asked first, then the photo is gone from the folder.
    const auto photos = Files({".jpg"});
    ASSERT_EQ(photos.size(), 1u);
    ASSERT_TRUE(user_->Click(Frame(), "butn_Delete"));
    InDialog([&](CQelModalWnd* d) { ASSERT_TRUE(user_->Click(d, "butn_Yes")); });
    EXPECT_TRUE(user_->WaitFor([&] { return !fs::exists(*photos.begin()); }));
  });
}

}  // namespace

namespace {

// Nothing on this desktop opens a web page or a folder.
class NothingOpensClick : public CapturePageClick {
 protected:
  void SetUp() override {
    const fs::path empty = testenv::MakeTempDir("no-handlers");
    ::setenv("XDG_DATA_DIRS", empty.c_str(), 1);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (empty / "no-bus").string()).c_str(), 1);
  }
};

TEST_F(NothingOpensClick, HelpAndShowInFolderSaySoWhenNothingCanOpenThem) {
  Open();
  TakePhoto();
  auto first = Inside("albumtable", 60, 60);
  ASSERT_TRUE(first);
  user_->Run([&] {
    ASSERT_TRUE(user_->ClickMenu(Frame(), {"Help", "Dunsellow Help"}));
    InDialog([&](CQelModalWnd* box) { ASSERT_TRUE(user_->Key(box, "Return")); });

    ASSERT_TRUE(user_->ClickAt(*first));
    ASSERT_TRUE(user_->WaitFor([&] { return Enabled("butn_FindTarget"); }));
    ASSERT_TRUE(user_->Click(Frame(), "butn_FindTarget"));
    InDialog([&](CQelModalWnd* box) { ASSERT_TRUE(user_->Key(box, "Return")); });
  });
}

}  // namespace

namespace {

TEST_F(CapturePageClick, MaximisedTheLivePictureFillsItsArea) {
  Open();
  ASSERT_TRUE(user_->Click(Frame(), "butn_maximize_mac"));
  ASSERT_TRUE(user_->WaitFor([this] { return Frame()->IsMaximized(); }));
  // The area grows with the window; the picture sits in its middle, at its
  // own size (640 x 480) when that fits, else fitted with its shape kept.
  auto fills = [this] {
    qel::Element* area = Find("cata_view_camera");
    qel::Element* picture = Find("cata_image_camera");
    if (!area || !picture) return false;
    const SRect32 a = area->Bounds(), p = picture->Bounds();
    const int aw = a.right - a.left, ah = a.bottom - a.top, pw = p.right - p.left, ph = p.bottom - p.top;
    const bool centred = std::abs((p.left - a.left) - (a.right - p.right)) <= 2 &&
                         std::abs((p.top - a.top) - (a.bottom - p.bottom)) <= 2;
    const bool sized = (pw == 640 && ph == 480) || pw == aw || ph == ah;
    return aw > 900 && centred && sized;
  };
  EXPECT_TRUE(user_->WaitFor(fills));
  testloop::PumpFor(500);  // a few frames of the stand-in camera
  const fs::path out = testenv::BuildDir() / "screenshots";
  fs::create_directories(out);
  EXPECT_TRUE(qel::gtk::SaveWindowPng(Frame(), (out / "capture-page-maximised.png").string()));
}

}  // namespace
