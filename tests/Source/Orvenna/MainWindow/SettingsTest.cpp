// The background setting and the media folder at start-up.
#include <cairo.h>

#include <filesystem>

#include "MainWindowFixture.h"
#include "Profile.h"
#include "TestEnvironment.h"
#include "os/UserFolders.h"
#include "img/ImageFile.h"
#include "qel/QelElementLayers.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace {

std::u16string Text(const WCHAR* key) {
  WCHAR buffer[1024] = {};
  LoadProfileString(u"Option", key, u"", buffer, 1024);
  return buffer;
}

}  // namespace

class SettingsTest : public MainWindowTest {
 protected:
  // A real picture of that size, as the bundle's background.
  std::string BundlePicture() { return Picture(app_ / "Contents/Resources/Skin/background.jpg", 32, 24); }
  static std::string Picture(const fs::path& path, int32_t w, int32_t h) {
    fs::create_directories(path.parent_path());
    EXPECT_EQ(img::SaveJpeg(img::Bitmap::Filled(w, h, 200), path.string(), {}), img::Status::kOk);
    return path.string();
  }
  // What the background element's picture layer holds.
  struct Shown {
    int32_t width = 0, height = 0;
    double alpha = 0;
  };
  static Shown LayerOf(qel::Element* e) {
    Shown s;
    QelObject set = reinterpret_cast<QelObject>(Qel0Inter(e->Handle(), QEL_IF_ELEMENT, 23, 0, 0));
    auto* layer = static_cast<qel::ElementLayer*>(
        qel::Object::FromHandle(reinterpret_cast<QelObject>(Qel0Inter(set, QEL_IF_LAYERSET, 2, 0, 0))));
    if (!layer || !layer->Surface()) return s;
    s.width = cairo_image_surface_get_width(layer->Surface());
    s.height = cairo_image_surface_get_height(layer->Surface());
    s.alpha = layer->Alpha();
    return s;
  }
};

TEST_F(SettingsTest, MissingPersonalPictureFallsBackToTheBundlePicture) {
  BundlePicture();
  SaveProfileInt(u"Option", u"Background Mode", 3);
  SaveProfileString(u"Option", u"Personal Photo", QelFromUTF8((dir_ / "gone.jpg").string()).c_str());
  Start();
  EXPECT_EQ(LoadProfileInt(u"Option", u"Background Mode", 0), 1);
  EXPECT_EQ(Text(u"Personal Photo"), u"");
  qel::Element* mask = Find("cata_mask");
  ASSERT_NE(mask, nullptr);
  EXPECT_TRUE(mask->Visible());
  Shown layer = LayerOf(mask);
  EXPECT_EQ(layer.width, 32);
  EXPECT_EQ(layer.height, 24);
  EXPECT_DOUBLE_EQ(layer.alpha, 1.0);  // not blended
}

TEST_F(SettingsTest, BackgroundModes) {
  BundlePicture();
  fs::path personal = dir_ / "me.jpg";
  Picture(personal, 16, 8);
  SaveProfileString(u"Option", u"Personal Photo", QelFromUTF8(personal.string()).c_str());
  Start();
  qel::Element* mask = Find("cata_mask");
  ASSERT_NE(mask, nullptr);
  EXPECT_FALSE(mask->Visible());  // mode 1 by default

  SaveProfileInt(u"Option", u"Background Mode", 2);
  Frame().SetBackGround(0);
  EXPECT_TRUE(mask->Visible());
  EXPECT_EQ(LayerOf(mask).width, 32);
  EXPECT_NEAR(LayerOf(mask).alpha, 1.0 - 76 / 255.0, 1e-9);  // blended

  SaveProfileInt(u"Option", u"Background Mode", 3);
  Frame().SetBackGround(0);
  EXPECT_EQ(LayerOf(mask).width, 16);
  EXPECT_EQ(LayerOf(mask).height, 8);

  SaveProfileInt(u"Option", u"Background Mode", 1);
  Frame().SetBackGround(0);
  EXPECT_FALSE(mask->Visible());
}

TEST_F(SettingsTest, EmptyMediaFolderBecomesTheDefaultFolder) {
  Start();
  fs::path expected = fs::path(plat::DocumentsFolder()) / "Document Camera Media";
  EXPECT_TRUE(fs::is_directory(expected));
  EXPECT_EQ(QelToUTF8(Text(u"Media Folder")), expected.string());
  EXPECT_TRUE(Frame().MediaFolderJustDefaulted());
}

TEST_F(SettingsTest, StoredMediaFolderIsKept) {
  fs::path mine = dir_ / "Mine";
  fs::create_directories(mine);
  SaveProfileString(u"Option", u"Media Folder", QelFromUTF8("  " + mine.string() + " ").c_str());
  Start();
  EXPECT_EQ(QelToUTF8(Frame().GetMediaFolder()), mine.string());
  EXPECT_FALSE(Frame().MediaFolderJustDefaulted());
}
