// The whole way from the camera to the player, with real processes: a movie
// recorded with the stand-in camera, "Play" in the capture album starting
// the staged player on a private X server with the album's asset list, the
// player's title naming the movie, and a second "Play" reaching that same
// player process.
#include <signal.h>

#include <algorithm>
#include <cstdlib>

#include "CaptureAlbumFixture.h"
#include "PrivateDisplay.h"
#include "StagedProcesses.h"

namespace {

std::vector<pid_t> OurPlayers() {
  return testenv::OurProcessesOf(testenv::StageDir() /
                                 "Dunsellow.app/Contents/Dunsellow Playvane.app/Contents/MacOS/Dunsellow Playvane");
}

}  // namespace

TEST_F(CaptureAlbum, AMovieRecordedPlaysInThePlayerAndASecondPlayReachesTheSamePlayer) {
  if (std::system("{ command -v Xvfb && command -v xwininfo; } >/dev/null 2>&1") != 0) GTEST_SKIP() << "no Xvfb";
  Open();
  ASSERT_TRUE(WaitForPicture());
  // This process keeps its headless toolkit; the player it starts draws on
  // a private X server with GTK, without a sound device.
  if (!testenv::StartPrivateDisplay()) GTEST_SKIP() << "no X server could start";
  ::setenv("QEL_BACKEND", "gtk", 1);
  ::setenv("DUNSELLOW_SOUND_OUTPUT", "null", 1);
  plat::SetSpawnFunction(nullptr);

  auto recordAndPlay = [this](size_t movieNumber) -> std::string {
    WaitFor([] { return false; }, 1);  // the microphone delivers first
    Command(u"-Capture/Record");
    Pump();
    WaitFor([] { return false; }, 2);
    Command(u"-Capture/Record");
    EXPECT_TRUE(WaitFor([&] { return Trace("capture movie ").size() == movieNumber; }));
    const std::vector<std::string> movies = Trace("capture movie ");
    if (movies.size() != movieNumber) return {};
    const fs::path movie = movies.back().substr(std::string("capture movie ").size());
    qel::Album* album = Shown();
    std::vector<std::string> names = Names(album);
    auto at = std::find(names.begin(), names.end(), movie.filename().string());
    EXPECT_NE(at, names.end()) << movie;
    if (at == names.end()) return {};
    SelectOnly(album, int32_t(at - names.begin()));
    EXPECT_TRUE(Press("butn_Media"));
    return movie.filename().string();
  };
  auto titled = [this](const std::string& name) {
    return WaitFor([&] { return testenv::XWindowTitled(name + " - Dunsellow Playvane"); }, 60);
  };

  const std::string first = recordAndPlay(1);
  ASSERT_FALSE(first.empty());
  EXPECT_TRUE(titled(first)) << "the player never showed " << first;
  const std::vector<pid_t> players = OurPlayers();
  EXPECT_EQ(players.size(), 1u);

  const std::string second = recordAndPlay(2);
  ASSERT_FALSE(second.empty());
  EXPECT_NE(second, first);
  EXPECT_TRUE(titled(second)) << "the second play never reached the player";
  EXPECT_EQ(OurPlayers(), players) << "a second player was started";

  for (pid_t pid : OurPlayers()) ::kill(pid, SIGTERM);
  EXPECT_TRUE(WaitFor([] { return OurPlayers().empty(); }, 30));
  ::unsetenv("QEL_BACKEND");
  ::unsetenv("DUNSELLOW_SOUND_OUTPUT");
}
