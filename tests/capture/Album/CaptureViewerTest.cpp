// The whole way from the camera to the viewer, with real processes: run
// alone, as other tests end every viewer process of the user.
#include <signal.h>

#include <algorithm>
#include <cstdlib>

#include "CaptureAlbumFixture.h"
#include "PrivateDisplay.h"
#include "StagedProcesses.h"

namespace {

std::vector<pid_t> OurViewers() {
  return testenv::OurProcessesOf(testenv::StageDir() /
                                 "Dunsellow.app/Contents/Dunsellow Vistrel.app/Contents/MacOS/Dunsellow Vistrel");
}

}  // namespace

// The whole way: a photo from the stand-in camera, "View" in the album
// starting the real viewer on a private X server with the album's asset
// list, the viewer's title naming the photo, and a second "View" reaching
// that same viewer process.
TEST_F(CaptureAlbum, APhotoTakenOpensInTheViewerAndASecondViewReachesTheSameViewer) {
  if (std::system("{ command -v Xvfb && command -v xwininfo; } >/dev/null 2>&1") != 0) GTEST_SKIP() << "no Xvfb";
  Open();
  ASSERT_TRUE(WaitForPicture());
  // This process keeps its headless toolkit; the viewer it starts draws on
  // a private X server with GTK.
  if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could start";
  ::setenv("QEL_BACKEND", "gtk", 1);
  plat::SetSpawnFunction(nullptr);

  auto takeAndView = [this](size_t photoNumber) -> std::string {
    Command(u"-Capture/Capture");
    EXPECT_TRUE(WaitFor([&] { return Trace("capture photo ").size() == photoNumber; }));
    const std::vector<std::string> photos = Trace("capture photo ");
    if (photos.size() != photoNumber) return {};
    const fs::path photo = photos.back().substr(std::string("capture photo ").size());
    qel::Album* album = Shown();
    std::vector<std::string> names = Names(album);
    auto at = std::find(names.begin(), names.end(), photo.filename().string());
    EXPECT_NE(at, names.end()) << photo;
    if (at == names.end()) return {};
    SelectOnly(album, int32_t(at - names.begin()));
    EXPECT_TRUE(Press("butn_Media"));
    return photo.filename().string();
  };
  auto titled = [this](const std::string& name) {
    return WaitFor([&] { return testenv::XWindowTitled(name + " - Dunsellow Vistrel"); }, 60);
  };

  const std::string first = takeAndView(1);
  ASSERT_FALSE(first.empty());
  EXPECT_TRUE(titled(first)) << "the viewer never showed " << first;
  const std::vector<pid_t> viewers = OurViewers();
  EXPECT_EQ(viewers.size(), 1u);

  const std::string second = takeAndView(2);
  ASSERT_FALSE(second.empty());
  EXPECT_NE(second, first);
  EXPECT_TRUE(titled(second)) << "the second view never reached the viewer";
  EXPECT_EQ(OurViewers(), viewers) << "a second viewer was started";

  for (pid_t pid : OurViewers()) ::kill(pid, SIGTERM);
  EXPECT_TRUE(WaitFor([] { return OurViewers().empty(); }, 30));
  ::unsetenv("QEL_BACKEND");
}
