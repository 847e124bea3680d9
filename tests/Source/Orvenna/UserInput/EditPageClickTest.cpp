// The edit page as a user meets it inside the program: a photo of the
// capture folder chosen in the album, the photo editor's tools and the
// resize dialog clicked through the X server, and the album's context menu.
#include <gdk-pixbuf/gdk-pixbuf.h>

#include "ProgramUser.h"

namespace fs = std::filesystem;

namespace {

class EditPageClick : public ProgramUser {
 public:
  void SetUp() override {
    // A photo in the capture folder of the default media folder.
    const fs::path folder = testenv::Root() / "home/Documents/Document Camera Media/Capture";
    fs::create_directories(folder);
    GdkPixbuf* photo = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 320, 240);
    gdk_pixbuf_fill(photo, 0x3584e4ff);
    photo_ = folder / "desk.jpg";
    ASSERT_TRUE(gdk_pixbuf_save(photo, photo_.c_str(), "jpeg", nullptr, nullptr));
    g_object_unref(photo);
  }
  qel::Element* Find(const char* name) { return qel::Element::From(Frame()->GetElementByName(name)); }
  bool Enabled(const char* name) {
    qel::Element* e = Find(name);
    return e && e->EffectivelyVisible() && e->EffectivelyEnabled();
  }
  void OpenEdit() {
    Start();
    // The second module button of the home page.
    qel::Element* edit = nullptr;
    user_->OnMain([&] {
      qel::Element* row = Find("cata_Butn");
      int seen = 0;
      std::function<void(qel::Element*)> walk = [&](qel::Element* e) {
        if (e->Name() == "butn_active" && ++seen == 2) edit = e;
        for (qel::Element* c : e->Children()) walk(c);
      };
      if (row) walk(row);
    });
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(user_->Click(Frame(), edit));
    ASSERT_TRUE(user_->WaitFor([this] { return Module() == "Edit" && !Frame()->LaunchInProgress(); }));
  }
  std::optional<POINT> Inside(const char* name, int dx, int dy) {
    auto centre = user_->Where(Frame(), name);
    if (!centre) return std::nullopt;
    SRect32 r{};
    user_->OnMain([&] { r = Find(name)->Bounds(); });
    return POINT{centre->x - (r.right - r.left) / 2 + dx, centre->y - (r.bottom - r.top) / 2 + dy};
  }

  fs::path photo_;
};

TEST_F(EditPageClick, ThePhotoEditorsToolsAndTheResizeDialog) {
  OpenEdit();
  auto first = Inside("albumtable", 60, 60);
  ASSERT_TRUE(first);
  user_->Run([&] {
    ASSERT_TRUE(user_->ClickAt(*first));
    ASSERT_TRUE(user_->WaitFor([&] { return Enabled("butn_rotate_left"); })) << "the photo is in the editor";
    ASSERT_TRUE(user_->Click(Frame(), "butn_rotate_left"));
    ASSERT_TRUE(user_->WaitFor([&] { return Enabled("butn_undo") && Enabled("butn_Save"); }));
    ASSERT_TRUE(user_->Click(Frame(), "butn_undo"));
    ASSERT_TRUE(user_->WaitFor([&] { return Enabled("butn_redo"); }));

    // Resize: a width typed in the dialog, then cancelled.
    ASSERT_TRUE(user_->Click(Frame(), "butn_resize"));
    CQelModalWnd* resize = nullptr;
    ASSERT_TRUE(user_->WaitFor([&] { return (resize = Modal()) != nullptr && ShownIn(resize, "butn_OK"); }));
    GtkWidget* width = nullptr;
    user_->OnMain([&] {
      width = qel::gtk::NativeEntry(resize, qel::Element::From(resize->GetElementByName("cedt_H")));
    });
    ASSERT_NE(width, nullptr);
    ASSERT_TRUE(user_->Click(width));
    ASSERT_TRUE(user_->Key("ctrl+a"));
    ASSERT_TRUE(user_->Type("160"));
    EXPECT_TRUE(user_->WaitFor([&] { return std::string(gtk_entry_get_text(GTK_ENTRY(width))) == "160"; }));
    ASSERT_TRUE(user_->Click(resize, "butn_Cancel"));
    ASSERT_TRUE(user_->WaitFor([] { return Modal() == nullptr; }));
  });
}

TEST_F(EditPageClick, TheAlbumsContextMenu) {
  OpenEdit();
  auto first = Inside("albumtable", 60, 60);
  ASSERT_TRUE(first);
  user_->Run([&] {
    ASSERT_TRUE(user_->ClickAt(*first, 3));
    std::vector<std::string> shown;
    ASSERT_TRUE(user_->WaitFor([&] { return !(shown = user_->OpenMenuItems()).empty(); }));
    EXPECT_EQ(shown, (std::vector<std::string>{"Open", "Properties", "Refresh", "Show in Folder"}));
    ASSERT_TRUE(user_->ClickMenuItem("Properties"));
    CQelModalWnd* properties = nullptr;
    ASSERT_TRUE(user_->WaitFor([&] { return (properties = Modal()) != nullptr && ShownIn(properties, "butn_Close"); }));
    ASSERT_TRUE(user_->Click(properties, "butn_Close"));
    ASSERT_TRUE(user_->WaitFor([this] { return Modal() == nullptr && OnlyTheMainWindow(); }));
  });
}

}  // namespace
