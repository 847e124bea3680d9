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
  void OpenEdit() {
    Start();
    OpenEditModule();
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
    // A width past the largest is cut back to it, and selected: the next
    // digit typed starts a new number.
    ASSERT_TRUE(user_->Key("ctrl+a"));
    ASSERT_TRUE(user_->Type("9999"));
    auto whole = [&] {
      gint from = 0, to = 0;
      const std::string text = gtk_entry_get_text(GTK_ENTRY(width));
      return !text.empty() && text != "9999" && text != "160" &&
             gtk_editable_get_selection_bounds(GTK_EDITABLE(width), &from, &to) && from == 0 &&
             to == gint(text.size());
    };
    std::string clamped;
    EXPECT_TRUE(user_->WaitFor([&] { return whole(); }));
    user_->OnMain([&] { clamped = gtk_entry_get_text(GTK_ENTRY(width)); });
    EXPECT_LE(std::stoi(clamped.empty() ? "0" : clamped), 4096);
    ASSERT_TRUE(user_->Type("7"));
    EXPECT_TRUE(user_->WaitFor([&] { return std::string(gtk_entry_get_text(GTK_ENTRY(width))) == "7"; }))
        << "clamped to " << clamped << ", then " << gtk_entry_get_text(GTK_ENTRY(width));
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

    // Again, and left by Escape.
    ASSERT_TRUE(user_->Focus(Frame()));
    ASSERT_TRUE(user_->ClickAt(*first, 3));
    ASSERT_TRUE(user_->ClickMenuItem("Properties"));
    ASSERT_TRUE(user_->WaitFor([&] { return (properties = Modal()) != nullptr && ShownIn(properties, "butn_Close"); }));
    ASSERT_TRUE(user_->Key(properties, "Escape"));
    EXPECT_TRUE(user_->WaitFor([this] { return Modal() == nullptr && OnlyTheMainWindow(); }));
  });
}

}  // namespace
