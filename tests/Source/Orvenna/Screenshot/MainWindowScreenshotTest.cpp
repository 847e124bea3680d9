// The main window as a user sees it: on a display, the home page with one
// icon per module, titled with the bundle's name.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "TestEnvironment.h"
#include "TestModules.h"

namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

// Distinct colours in the picture (0 when it cannot be read).
size_t DistinctColours(const fs::path& png, int* width, int* height) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return 0;
  }
  *width = cairo_image_surface_get_width(s);
  *height = cairo_image_surface_get_height(s);
  int stride = cairo_image_surface_get_stride(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  std::set<uint32_t> colours;
  for (int y = 0; y < *height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
    for (int x = 0; x < *width; ++x) colours.insert(row[x]);
  }
  cairo_surface_destroy(s);
  return colours.size();
}

}  // namespace

TEST(MainWindowScreenshot, HomePageWithOneIconPerModuleAndTheBundleName) {
  if (std::system("command -v xvfb-run >/dev/null 2>&1 && command -v xwininfo >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "xvfb-run or xwininfo is not installed";
  fs::path dir = testenv::MakeTempDir("screenshot");
  fs::path app = orvtest::MakeTestApp(dir);
  fs::copy(testenv::StageDir() / "Dunsellow.app/Contents/UI", app / "Contents/UI");
  orvtest::StageModule(app / "Contents/Modules", {.folder = "Alpha", .index = "1"});
  orvtest::StageModule(app / "Contents/Modules", {.folder = "Beta", .index = "2"});
  fs::path png = dir / "main.png", tree = dir / "windows.txt";
  fs::path program = testenv::StageDir() / "Dunsellow.app/Contents/MacOS/Dunsellow";

  // The program runs until its window has been drawn and listed, then ends
  // through its quit road.
  fs::path script = dir / "run.sh";
  testenv::WriteFile(script,
                     "\"$1\" & pid=$!\n"
                     "i=0\n"
                     "while [ ! -s \"$2\" ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done\n"
                     "xwininfo -root -tree > \"$3\"\n"
                     "kill -TERM $pid\n"
                     "wait $pid\n");
  std::string command = "env QEL_BACKEND=gtk GDK_BACKEND=x11 NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory"
                        " DUNSELLOW_BUNDLE=" + Quoted(app) + " QEL_SCREENSHOT=" + Quoted(png) +
                        " timeout 60 xvfb-run -a -s '-screen 0 1280x1024x24' sh " + Quoted(script) + " " +
                        Quoted(program) + " " + Quoted(png) + " " + Quoted(tree);
  int status = std::system(command.c_str());
  EXPECT_EQ(status, 0) << command;

  ASSERT_TRUE(fs::exists(png));
  int width = 0, height = 0;
  size_t colours = DistinctColours(png, &width, &height);
  EXPECT_GE(width, 720);
  EXPECT_GE(height, 540);
  // Not blank: background, title bar, icons and their texts.
  EXPECT_GE(colours, 8u);

  std::string windows = testenv::ReadFile(tree);
  EXPECT_NE(windows.find("\"Test\""), std::string::npos) << windows;
}
