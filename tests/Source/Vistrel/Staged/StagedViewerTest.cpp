// The staged viewer started with an asset list, and a second start (as a
// second "View" in an album) reaching the same process.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "StagedSupport.h"
#include "TestEnvironment.h"

using namespace vistreltest;

namespace fs = std::filesystem;

namespace {

// Script lines: title NAME waits (up to 20 s) for the viewer's window of that
// picture; the viewer is started in the background on the asset list "$2",
// its process id in $pid.
constexpr const char* kStartViewer =
    "title() { i=0; while ! xwininfo -root -tree | grep -q \"\\\"$1 - Dunsellow Vistrel\\\"\"; do\n"
    "  sleep 0.1; i=$((i+1)); [ $i -gt 200 ] && return 1; done; return 0; }\n"
    "timeout 90 \"$viewer\" --cmdl=\"\\\"$viewer\\\" -AssetFilePath \\\"$2\\\" -MBStatus \\\"\\\"\" & pid=$!\n";

}  // namespace

TEST(StagedViewer, AnAssetListOpensTheViewerAndASecondViewReachesTheSameProcess) {
  if (!HaveXTools()) GTEST_SKIP() << "the X tools are not installed";
  fs::path dir = testenv::MakeTempDir("staged");
  std::vector<fs::path> pictures;
  for (int i = 1; i <= 4; ++i) {
    pictures.push_back(dir / ("photo_" + std::to_string(i) + ".jpg"));
    testenv::WriteFile(pictures.back(), "picture");
  }
  fs::path first = AssetList(dir, "first.xml", pictures, 0);
  fs::path second = AssetList(dir, "second.xml", {pictures[2], pictures[3]}, 0);
  fs::path out = dir / "steps.txt";
  fs::path viewer = ViewerCopy(dir);

  // The script reports each step; the viewer runs until SIGTERM, as when the
  // main program ends it on a module switch.
  fs::path script = dir / "run.sh";
  testenv::WriteFile(script,
                     "viewer=\"$1\"; out=\"$4\"\n"
                     + std::string(kStartViewer) +
                     "title photo_1.jpg && echo first-shown >> \"$out\"\n"
                     "timeout 30 \"$viewer\" --cmdl=\"-AssetFilePath \\\"$3\\\" -MBStatus \\\"\\\"\"\n"
                     "echo second-start-exit $? >> \"$out\"\n"
                     "title photo_3.jpg && echo second-shown >> \"$out\"\n"
                     "kill -0 $pid && echo first-still-running >> \"$out\"\n"
                     "kill -TERM $pid; wait $pid; echo viewer-exit $? >> \"$out\"\n");
  EXPECT_EQ(RunOnPrivateX(script, {viewer.string(), first.string(), second.string(), out.string()}), 0);
  EXPECT_EQ(testenv::ReadFile(out),
            "first-shown\nsecond-start-exit 0\nsecond-shown\nfirst-still-running\nviewer-exit 0\n");
}

TEST(StagedViewer, ANamedPipeCalledLikeAPhotoNeitherHangsTheViewerNorKeepsItFromQuitting) {
  if (!HaveXTools()) GTEST_SKIP() << "the X tools are not installed";
  fs::path dir = testenv::MakeTempDir("staged-fifo");
  const fs::path fifo = dir / "x.jpg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::path list = AssetList(dir, "list.xml", {fifo}, 0);
  fs::path out = dir / "steps.txt";
  fs::path viewer = ViewerCopy(dir);
  // Nobody ever writes to the pipe. The viewer shows its name, and SIGTERM
  // ends it (timeout's own kill would answer 124 or 137).
  fs::path script = dir / "run.sh";
  testenv::WriteFile(script,
                     "viewer=\"$1\"; out=\"$3\"\n"
                     + std::string(kStartViewer) +
                     "title x.jpg && echo shown >> \"$out\"\n"
                     "sleep 1; kill -TERM $pid; wait $pid; echo viewer-exit $? >> \"$out\"\n");
  EXPECT_EQ(RunOnPrivateX(script, {viewer.string(), list.string(), out.string()}), 0);
  EXPECT_EQ(testenv::ReadFile(out), "shown\nviewer-exit 0\n");
}
