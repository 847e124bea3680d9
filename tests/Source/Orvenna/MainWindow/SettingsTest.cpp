// The background setting and the media folder at start-up.
#include <filesystem>

#include "MainWindowFixture.h"
#include "Profile.h"
#include "TestEnvironment.h"
#include "os/UserFolders.h"
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
  std::string BundlePicture() {
    fs::path picture = app_ / "Contents/Resources/Skin/background.jpg";
    testenv::WriteFile(picture, "not decoded here");
    return picture.string();
  }
};

TEST_F(SettingsTest, MissingPersonalPictureFallsBackToTheBundlePicture) {
  std::string picture = BundlePicture();
  SaveProfileInt(u"Option", u"Background Mode", 3);
  SaveProfileString(u"Option", u"Personal Photo", QelFromUTF8((dir_ / "gone.jpg").string()).c_str());
  Start();
  EXPECT_EQ(LoadProfileInt(u"Option", u"Background Mode", 0), 1);
  EXPECT_EQ(Text(u"Personal Photo"), u"");
  qel::Element* mask = Find("cata_mask");
  ASSERT_NE(mask, nullptr);
  EXPECT_TRUE(mask->Visible());
  EXPECT_EQ(mask->ImagePath(), picture);
  EXPECT_DOUBLE_EQ(mask->Opacity(), 1.0);  // not blended
}

TEST_F(SettingsTest, BackgroundModes) {
  std::string picture = BundlePicture();
  fs::path personal = dir_ / "me.png";
  testenv::WriteFile(personal, "x");
  SaveProfileString(u"Option", u"Personal Photo", QelFromUTF8(personal.string()).c_str());
  Start();
  qel::Element* mask = Find("cata_mask");
  ASSERT_NE(mask, nullptr);
  EXPECT_FALSE(mask->Visible());  // mode 1 by default

  SaveProfileInt(u"Option", u"Background Mode", 2);
  Frame().SetBackGround(0);
  EXPECT_TRUE(mask->Visible());
  EXPECT_EQ(mask->ImagePath(), picture);
  EXPECT_LT(mask->Opacity(), 1.0);  // blended

  SaveProfileInt(u"Option", u"Background Mode", 3);
  Frame().SetBackGround(0);
  EXPECT_EQ(mask->ImagePath(), personal.string());

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
