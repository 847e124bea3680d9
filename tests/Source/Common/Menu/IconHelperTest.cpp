// Icons kept as PNG bytes (load, save, from a file and from a bundle,
// destroy) and a file's desktop icon put into an element's picture layer.
#include <cairo.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "ORVIconHelper.h"
#include "TestEnvironment.h"
#include "img/ImageFile.h"
#include "os/Bundle.h"
#include "qel/QelElementLayers.h"
#include "qel/QelLayout.h"
#include "qel/QelWideText.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> PngBytes(int32_t w, int32_t h) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(img::EncodePng(img::Bitmap::Filled(w, h, 90), img::Plane::Filled(w, h, 255), {}, bytes), img::Status::kOk);
  return bytes;
}

TEST(IconHelper, IconsLoadSaveAndGo) {
  std::vector<uint8_t> png = PngBytes(32, 32);
  IconRef icon = CORVIconHelper::LoadIcon(png.data(), uint32_t(png.size()));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(CORVIconHelper::IconSize(icon).cx, 32);
  unsigned char* saved = nullptr;
  uint32_t size = CORVIconHelper::SaveIcon(icon, &saved);
  ASSERT_EQ(size, png.size());
  EXPECT_TRUE(std::equal(png.begin(), png.end(), saved)) << "the family comes back as it was given";
  delete[] saved;
  EXPECT_EQ(CORVIconHelper::SaveIcon(icon, nullptr), 0u);
  EXPECT_EQ(CORVIconHelper::DestroyIcon(icon), 1);
  EXPECT_EQ(CORVIconHelper::DestroyIcon(icon), 0) << "released once";
  EXPECT_EQ(CORVIconHelper::SaveIcon(icon, &saved), 0u) << "a released icon has no family";

  const unsigned char junk[] = "not an icon";
  EXPECT_EQ(CORVIconHelper::LoadIcon(junk, sizeof junk), nullptr);
  EXPECT_EQ(CORVIconHelper::LoadIcon(static_cast<const unsigned char*>(nullptr), 10), nullptr);
  EXPECT_EQ(CORVIconHelper::LoadPicture(png.data(), uint32_t(png.size())), nullptr);
  EXPECT_EQ(CORVIconHelper::DestroyIcon(nullptr), 0);
}

TEST(IconHelper, IconsFromFilesAndBundles) {
  fs::path app = testenv::MakeTempDir("icons") / "Icons.app";
  fs::create_directories(app / "Contents/Resources");
  testenv::WriteFile(app / "Contents/Info.plist",
                     "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                     "<key>CFBundleIdentifier</key><string>com.talvexa.icons</string></dict></plist>");
  std::vector<uint8_t> png = PngBytes(16, 16);
  testenv::WriteFile(app / "Contents/Resources/Camera.png", std::string(png.begin(), png.end()));
  testenv::WriteFile(app / "Contents/Resources/Broken.png", "broken");

  FSRef ref;
  ASSERT_EQ(FSPathMakeRef((app / "Contents/Resources/Camera.png").c_str(), &ref, nullptr), noErr);
  IconRef fromFile = CORVIconHelper::CreateIconFromFile(&ref);
  ASSERT_NE(fromFile, nullptr);
  EXPECT_EQ(CORVIconHelper::IconSize(fromFile).cy, 16);
  EXPECT_EQ(CORVIconHelper::DestroyIcon(fromFile), 1);

  auto bundle = plat::Bundle::AtPath(app.string());
  ASSERT_TRUE(bundle);
  IconRef named = CORVIconHelper::LoadIcon(u"Camera", &*bundle);
  ASSERT_NE(named, nullptr);
  EXPECT_EQ(CORVIconHelper::DestroyIcon(named), 1);
  EXPECT_EQ(CORVIconHelper::LoadIcon(u"Missing", &*bundle), nullptr);
  EXPECT_EQ(CORVIconHelper::LoadIcon(u"Broken.png", &*bundle), nullptr);
  EXPECT_EQ(CORVIconHelper::LoadIcon(u"Camera", nullptr), nullptr);
  EXPECT_EQ(CORVIconHelper::CreateIconFromFile(nullptr), nullptr);
}

TEST(IconHelper, OpenWithIconOfAFileIntoAnElement) {
  if (!fs::exists("/usr/share/icons/Adwaita/16x16/mimetypes/text-x-generic.png"))
    GTEST_SKIP() << "the desktop's icon theme is not installed";
  fs::path file = testenv::MakeTempDir("openwith") / "notes.txt";
  testenv::WriteFile(file, "some notes\n");
  qel::Element* root = qel::LoadLayoutString(
      R"(<layout name="cata_root" w="40" h="40"><element type="view" name="view_icon" w="16" h="16"/></layout>)", ".");
  ASSERT_NE(root, nullptr);
  qel::Element* view = root->FindByName("view_icon", true);
  CORVIconHelper::ExtractOpenWithIcon(QelFromUTF8(file.string()).c_str(), view->Handle());
  QelObject set = reinterpret_cast<QelObject>(Qel0Inter(view->Handle(), QEL_IF_ELEMENT, 23, 0, 0));
  auto* layer = static_cast<qel::ElementLayer*>(
      qel::Object::FromHandle(reinterpret_cast<QelObject>(Qel0Inter(set, QEL_IF_LAYERSET, 2, 0, 0))));
  ASSERT_NE(layer, nullptr);
  ASSERT_NE(layer->Surface(), nullptr) << "the text file's icon";
  EXPECT_EQ(cairo_image_surface_get_width(layer->Surface()), 16);
  EXPECT_EQ(cairo_image_surface_get_format(layer->Surface()), CAIRO_FORMAT_ARGB32) << "with its mask";

  // Nothing for no path, no element or a file GIO finds no icon for.
  qel::Element* other = root->FindByName("view_icon", true);
  CORVIconHelper::ExtractOpenWithIcon(nullptr, other->Handle());
  CORVIconHelper::ExtractOpenWithIcon(QelFromUTF8(file.string()).c_str(), nullptr);
  root->Release();
}

}  // namespace
