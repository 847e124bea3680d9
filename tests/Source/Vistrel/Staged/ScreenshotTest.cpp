// What a user sees, saved as PNG files in the build folder: the main window
// with a picture, and full screen with its toolbar.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "StagedSupport.h"
#include "TestEnvironment.h"

namespace fs = std::filesystem;
using namespace vistreltest;

TEST(ViewerScreenshot, TheWindowWithAPictureAndFullScreenWithTheToolbar) {
  if (!HaveXTools()) GTEST_SKIP() << "the X tools are not installed";
  fs::path dir = testenv::MakeTempDir("screens");
  fs::path viewer = ViewerCopy(dir);
  fs::path photo = dir / "halves.jpg";
  WriteTwoColourJpeg(photo, 1600, 1200);
  fs::path shots = testenv::BuildDir() / "screenshots";
  fs::create_directories(shots);
  fs::path window = shots / "viewer-window.png", full = shots / "viewer-fullscreen.png";
  fs::remove(window);
  fs::remove(full);

  // The picture's red half is on screen: shot. Then F through the keyboard,
  // and the same for full screen.
  fs::path script = dir / "run.sh";
  testenv::WriteFile(script,
                     "viewer=\"$1\"; photo=\"$2\"; window=\"$3\"; full=\"$4\"; helpers=\"$5\"\n"
                     "timeout 90 \"$viewer\" \"$photo\" & pid=$!\n"
                     "/usr/bin/python3 \"$helpers/shoot-when.py\" \"$window\" 208 32 32 60000 40 || echo no-window-picture\n"
                     "id=$(xdotool search --sync --onlyvisible --name 'Dunsellow Vistrel' | head -1)\n"
                     "xdotool windowfocus --sync \"$id\" && xdotool key f\n"
                     "/usr/bin/python3 \"$helpers/shoot-when.py\" \"$full\" 208 32 32 300000 40 || echo no-full-screen\n"
                     "kill -TERM $pid; wait $pid\n");
  EXPECT_EQ(RunOnPrivateX(script, {viewer.string(), photo.string(), window.string(), full.string(),
                                   HelperDir().string()}),
            0);

  // The window: both halves of the picture, fitted into a 640 x 480 area.
  long red = CountNear(window, 0xd0, 0x20, 0x20), blue = CountNear(window, 0x20, 0x40, 0xd0);
  EXPECT_GT(red, 100000);
  EXPECT_GT(blue, 100000);
  EXPECT_LT(red + blue, 640 * 480 + 5000);  // the window shows it fitted, not the whole screen

  // Full screen: the picture fills the screen's height (1067 x 800 of 1280 x
  // 800), and the toolbar covers its corner.
  long fullRed = CountNear(full, 0xd0, 0x20, 0x20), fullBlue = CountNear(full, 0x20, 0x40, 0xd0);
  EXPECT_GT(fullRed, 380000);
  EXPECT_GT(fullBlue, 300000);
  EXPECT_LT(fullBlue, 1067 * 800 / 2 - 556 * 56 / 2);
}
