// Helpers of the file dialogs: file specifications, colours, fitting, the
// folder chooser and the picture choice of the Options dialog.
#include <gtest/gtest.h>

#include <filesystem>

#include "NavFunctions.h"
#include "TestEnvironment.h"
#include "qel/QelHeadless.h"
#include "qel/QelWideText.h"

namespace {

namespace fs = std::filesystem;
namespace hl = qel::headless;

TEST(NavFunctions, FileSpecificationsOfExistingItems) {
  fs::path dir = testenv::MakeTempDir("spec");
  testenv::WriteFile(dir / "Photo.jpg", "x");
  testenv::WriteFile(dir / "photo.jpg", "y");
  FSSpec upper, lower, again;
  ASSERT_EQ(Mac_GetFileByPath((dir / "Photo.jpg").c_str(), &upper), 1);
  ASSERT_EQ(Mac_GetFileByPath(QelFromUTF8((dir / "photo.jpg").string()).c_str(), &lower), 1);
  ASSERT_EQ(Mac_GetFileByPath((dir / "." / "Photo.jpg").c_str(), &again), 1);
  EXPECT_TRUE(Mac_CompareFSSpec(upper, again));
  EXPECT_FALSE(Mac_CompareFSSpec(upper, lower)) << "two names differing in case are two files";
  char path[4096];
  ASSERT_EQ(Mac_GetPathByFile(&upper, path, sizeof path), 1);
  EXPECT_EQ(fs::path(path), fs::canonical(dir / "Photo.jpg"));
  EXPECT_EQ(Mac_GetPathByFile(&upper, path, 4), 0) << "a path that does not fit is not cut";

  FSSpec none;
  EXPECT_EQ(Mac_GetFileByPath((dir / "missing.jpg").c_str(), &none), 0);
  EXPECT_EQ(Mac_GetFileByPath(static_cast<const char*>(nullptr), &none), 0);
  EXPECT_EQ(Mac_GetPathByFile(&none, path, sizeof path), 0);
}

TEST(NavFunctions, ColoursBothWays) {
  RGBColor c;
  RGB2RGBColor(0x00FF8000u, &c);  // red 0, green 128, blue 255
  EXPECT_EQ(c.red, 0);
  EXPECT_EQ(c.green, 32768);
  EXPECT_EQ(c.blue, 65280);
  EXPECT_EQ(RGBColor2RGB(c), 0x00FF8000u);
  RGBColor odd{0x12ff, 0x3400, 0xab01};
  EXPECT_EQ(RGBColor2RGB(odd), 0x00ab3412u) << "the high byte of each component";
}

TEST(NavFunctions, FitInRectKeepsTheAspectAndCentres) {
  struct Case {
    Rect box;
    int32_t w, h;
    bool enlarge;
    Rect out;
  } cases[] = {
      {{0, 0, 100, 200}, 400, 100, false, {25, 0, 75, 200}},    // wide picture, shrunk to the width
      {{0, 0, 100, 200}, 50, 20, false, {40, 75, 60, 125}},     // small: kept, centred
      {{0, 0, 100, 200}, 50, 20, true, {10, 0, 90, 200}},      // small, enlarged to fit
      {{10, 20, 110, 120}, 100, 100, false, {10, 20, 110, 120}},
  };
  for (const Case& c : cases) {
    Rect r = c.box;
    NavFitInRect(&r, c.w, c.h, c.enlarge);
    EXPECT_EQ(r.top, c.out.top);
    EXPECT_EQ(r.left, c.out.left);
    EXPECT_EQ(r.bottom, c.out.bottom);
    EXPECT_EQ(r.right, c.out.right);
  }
}

TEST(NavFunctions, FolderChooserAndPictureChoice) {
  fs::path dir = testenv::MakeTempDir("choose");
  hl::ClearFileChoosers();
  hl::AnswerNextFileChooser({dir.string()});
  FSRef start, chosen;
  start.path = dir.string();
  EXPECT_EQ(Mac_GetCacheFolderPath(&start, &chosen), 1);
  EXPECT_EQ(fs::path(chosen.path), fs::canonical(dir));
  EXPECT_EQ(hl::FileChooserRequests().back().action, qel::FileChooserRequest::kSelectFolder);
  EXPECT_EQ(hl::FileChooserRequests().back().folder, dir.string());
  hl::CancelNextFileChooser();
  EXPECT_EQ(Mac_GetCacheFolderPath(&start, &chosen), 0);

  testenv::WriteFile(dir / "b.jpeg", "x");
  CQelStringW path(QelFromUTF8((dir / "old.jpg").string()).c_str());
  hl::CancelNextFileChooser();
  EXPECT_EQ(NavGetPicturePath(nullptr, path), 1);
  EXPECT_EQ(path.ToUTF8(), (dir / "old.jpg").string()) << "nothing chosen: the path stays";
  hl::AnswerNextFileChooser({(dir / "b.jpeg").string()});
  EXPECT_EQ(NavGetPicturePath(nullptr, path), 1);
  EXPECT_EQ(fs::path(path.ToUTF8()), fs::canonical(dir / "b.jpeg"));
  const qel::FileChooserRequest asked = hl::FileChooserRequests().back();
  ASSERT_EQ(asked.filters.size(), 1u);
  EXPECT_EQ(asked.filters[0].name, u"JPEG (*.JPG, *.JPEG)");
}

}  // namespace
