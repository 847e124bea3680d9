#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ORVPubTools.h"
#include "TestEnvironment.h"

namespace fs = std::filesystem;

namespace {

std::string U(const CQelStringW& s) { return s.ToUTF8(); }

fs::path MakeBundle(const fs::path& parent, const std::string& name) {
  fs::path bundle = parent / name;
  testenv::WriteFile(bundle / "Contents" / "Info.plist",
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n"
                     "<key>CFBundleIdentifier</key><string>com.example.x</string>\n"
                     "<key>CFBundleDevelopmentRegion</key><string>English</string>\n</dict></plist>\n");
  fs::create_directories(bundle / "Contents" / "Resources" / "English.lproj" / "UI");
  return bundle;
}

}  // namespace

TEST(PubToolsGeometry, FitInAndPointInRect) {
  struct Fit {
    int32_t w, h, boxW, boxH;
    int32_t outW, outH;
    double factor;
  } fits[] = {
      {640, 480, 320, 320, 320, 240, 0.5},
      {100, 50, 400, 400, 400, 200, 4.0},
      {0, 50, 400, 400, 0, 50, 0.0},
      {50, 0, 400, 400, 50, 0, 0.0},
      {3, 3, 10, 10, 10, 10, 10.0 / 3},
  };
  for (const Fit& f : fits) {
    int32_t w = f.w, h = f.h;
    EXPECT_DOUBLE_EQ(CORVPubTools::TLFitIn(&w, &h, f.boxW, f.boxH), f.factor);
    EXPECT_EQ(w, f.outW);
    EXPECT_EQ(h, f.outH);
  }

  SRect32 r{10, 20, 40000, 70000};  // beyond 16 bits
  EXPECT_EQ(CORVPubTools::PtInRect(&r, POINT{10, 20}), 1);
  EXPECT_EQ(CORVPubTools::PtInRect(&r, POINT{39999, 69999}), 1);
  EXPECT_EQ(CORVPubTools::PtInRect(&r, POINT{40000, 30}), 0);
  EXPECT_EQ(CORVPubTools::PtInRect(&r, POINT{30, 70000}), 0);
  EXPECT_EQ(CORVPubTools::PtInRect(&r, POINT{9, 30}), 0);
  EXPECT_EQ(CORVPubTools::PtInRect(&r, POINT{35000, 66000}), 1);  // wraps negative in 16 bits
  EXPECT_EQ(CORVPubTools::PtInRect(nullptr, POINT{0, 0}), 0);

  POINT p{5, 6};
  EXPECT_EQ(CORVPubTools::SetCursorPos(&p), 1);
  POINT q{};
  EXPECT_EQ(CORVPubTools::GetCursorPos(&q), 1);
  EXPECT_EQ(CORVPubTools::ScreenToClient(nullptr, &p), 0);
  SRect32 out{};
  EXPECT_EQ(CORVPubTools::GetWindowRect(nullptr, &out), 0);
}

TEST(PubToolsBundle, FolderLayoutOfABundle) {
  fs::path apps = fs::canonical(testenv::MakeTempDir("apps"));
  fs::path main = MakeBundle(apps, "Dunsellow.app");
  fs::path viewer = MakeBundle(main / "Contents", "Dunsellow Vistrel.app");
  ::setenv("DUNSELLOW_BUNDLE", main.c_str(), 1);

  std::string contents = (main / "Contents").string();
  EXPECT_EQ(U(CORVPubTools::GetBundleContentsPath()), contents);
  EXPECT_EQ(U(CORVPubTools::GetBundleModulesPath()), contents + "/Modules");
  EXPECT_EQ(U(CORVPubTools::GetBundleResourcePath()), contents + "/Resources");
  EXPECT_EQ(U(CORVPubTools::GetBundleResourcePathWithName(nullptr, u"Skin")), contents + "/Resources/Skin");
  EXPECT_EQ(U(CORVPubTools::GetBundleLocalizePath()), contents + "/Resources/English.lproj");
  EXPECT_EQ(U(CORVPubTools::GetBundleLocalizeUIPath()), contents + "/Resources/English.lproj/UI");
  EXPECT_EQ(U(CORVPubTools::GetBundleLocalizeUIPathWithName(nullptr, u"main.aui")),
            contents + "/Resources/English.lproj/UI/main.aui");

  std::u16string viewerPath = QelFromUTF8(viewer.string());
  auto bundle = CORVPubTools::CreateBundleByPath(viewerPath.c_str());
  ASSERT_TRUE(bundle.has_value());
  EXPECT_EQ(U(CORVPubTools::GetBundleContentsPath(&*bundle)), (viewer / "Contents").string());
  EXPECT_EQ(U(CORVPubTools::GetLocalizeUIPathWithNameFromBundlePath(viewerPath.c_str(), u"a.aui")),
            (viewer / "Contents/Resources/English.lproj/UI/a.aui").string());
  EXPECT_EQ(U(CORVPubTools::GetResourcePathFromBundlePath(viewerPath.c_str())),
            (viewer / "Contents/Resources").string());

  EXPECT_FALSE(CORVPubTools::CreateBundleByPath(u"/no/such.app").has_value());
  EXPECT_TRUE(CORVPubTools::GetLocalizePathFromBundlePath(u"/no/such.app").IsEmpty());
  EXPECT_TRUE(CORVPubTools::GetResourcePathWithNameFromBundlePath(nullptr, u"x").IsEmpty());

  // A bundle folder whose paths would not fit the file-system buffers.
  fs::path deep = apps;
  for (int i = 0; i < 5; ++i) deep /= std::string(200, char('a' + i));
  fs::path longBundle = MakeBundle(deep, "Long.app");
  std::u16string longPath = QelFromUTF8(longBundle.string());
  EXPECT_TRUE(CORVPubTools::GetResourcePathFromBundlePath(longPath.c_str()).IsEmpty());
}
