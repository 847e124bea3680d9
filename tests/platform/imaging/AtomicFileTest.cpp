// Temporary files of picture saves left by programs killed part-way are
// swept; those of writers still at work are not.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "TestEnvironment.h"
#include "TestPictures.h"
#include "img/ImageFile.h"

namespace {

namespace fs = std::filesystem;

std::set<std::string> Names(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

void MakeOld(const fs::path& p) {
  const timeval old[2] = {{std::time(nullptr) - 3600, 0}, {std::time(nullptr) - 3600, 0}};
  ASSERT_EQ(::utimes(p.c_str(), old), 0) << p;
}

TEST(AtomicFile, TemporariesOfKilledSavesAreSweptAndLiveOnesKept) {
  const fs::path dir = testenv::MakeTempDir("sweep");
  const img::Bitmap photo = imgtest::Scene(1600, 1200);
  // Programs killed while they save photos, again and again.
  for (int round = 0; round < 12; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int n = 0;; ++n) img::SaveJpeg(photo, (dir / ("photo_" + std::to_string(n % 3) + ".jpg")).string(), {});
    }
    ::usleep(useconds_t(20000 + 7000 * round));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
  }
  // Make sure at least one was left, as a kill in the middle of a write does.
  testenv::WriteFile(dir / ".photo_9.jpg.Ab12Cd", "half a photo");
  // A live writer's file: locked by its save at this very moment.
  fs::path live = dir / ".photo_8.png.Zz99zz";
  testenv::WriteFile(live, "being written");
  // Files that are not temporaries of ours stay whatever their age.
  for (const char* keep : {".hidden", ".notes.txt.abcdef", "photo_7.jpg"}) testenv::WriteFile(dir / keep, "x");
  for (const auto& e : fs::directory_iterator(dir)) MakeOld(e.path());
  // A temporary file made a moment ago may be one whose writer is about to lock it.
  testenv::WriteFile(dir / ".photo_6.bmp.Qq11qq", "just made");
  const int live_fd = ::open(live.c_str(), O_RDONLY);
  ASSERT_GE(live_fd, 0);
  ASSERT_EQ(::flock(live_fd, LOCK_EX), 0);

  const std::set<std::string> before = Names(dir);
  size_t temporaries = 0;
  for (const std::string& n : before) temporaries += n.size() > 8 && n[0] == '.' && n[n.size() - 7] == '.';
  EXPECT_EQ(img::SweepTemporaries(dir.string()), int32_t(temporaries - 3));  // not the live, young or .txt one

  std::set<std::string> after = Names(dir);
  std::set<std::string> want = {".hidden", ".notes.txt.abcdef", "photo_7.jpg", ".photo_8.png.Zz99zz", ".photo_6.bmp.Qq11qq"};
  for (const std::string& n : before) {
    if (n.rfind("photo_", 0) == 0) want.insert(n);
  }
  EXPECT_EQ(after, want);
  ::close(live_fd);
  // Every photo that is there is whole.
  for (const std::string& n : after) {
    if (n.rfind("photo_", 0) != 0 || n == "photo_7.jpg") continue;
    img::Decoded d;
    EXPECT_EQ(img::DecodeFile((dir / n).string(), {}, d), img::Status::kOk) << n;
  }
  EXPECT_EQ(img::SweepTemporaries((dir / "missing").string()), 0);
}

}  // namespace
