// The staged viewer started with an asset list, and a second start (as a
// second "View" in an album) reaching the same process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "TestEnvironment.h"

namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

// A copy of the staged viewer under a name of its own: the main program's
// tests end every process named "Dunsellow Vistrel" of the user, and they
// may run at the same time as this one.
fs::path ViewerCopy(const fs::path& dir) {
  fs::path app = dir / "Viewer Under Test.app";
  fs::copy(testenv::StageDir() / "Dunsellow.app/Contents/Dunsellow Vistrel.app", app, fs::copy_options::recursive);
  fs::rename(app / "Contents/MacOS/Dunsellow Vistrel", app / "Contents/MacOS/Viewer Under Test");
  return app / "Contents/MacOS/Viewer Under Test";
}

bool HaveXTools() {
  return std::system("command -v Xvfb >/dev/null 2>&1 && command -v xwininfo >/dev/null 2>&1") == 0;
}

// An asset list as the albums write it.
fs::path AssetList(const fs::path& dir, const std::string& name, const std::vector<fs::path>& files, size_t first) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SelectedAssetList>\n  <FirstFile>" +
                    files[first].string() + "</FirstFile>\n";
  for (const fs::path& f : files) xml += "  <FilePath>" + f.string() + "</FilePath>\n";
  xml += "</SelectedAssetList>\n";
  testenv::WriteFile(dir / name, xml);
  return dir / name;
}

}  // namespace

TEST(StagedViewer, AnAssetListOpensTheViewerAndASecondViewReachesTheSameProcess) {
  if (!HaveXTools()) GTEST_SKIP() << "Xvfb or xwininfo is not installed";
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
                     "title() { i=0; while ! xwininfo -root -tree | grep -q \"\\\"$1 - Dunsellow Vistrel\\\"\"; do\n"
                     "  sleep 0.1; i=$((i+1)); [ $i -gt 200 ] && return 1; done; return 0; }\n"
                     "timeout 90 \"$viewer\" --cmdl=\"\\\"$viewer\\\" -AssetFilePath \\\"$2\\\" -MBStatus \\\"\\\"\" & pid=$!\n"
                     "title photo_1.jpg && echo first-shown >> \"$out\"\n"
                     "timeout 30 \"$viewer\" --cmdl=\"-AssetFilePath \\\"$3\\\" -MBStatus \\\"\\\"\"\n"
                     "echo second-start-exit $? >> \"$out\"\n"
                     "title photo_3.jpg && echo second-shown >> \"$out\"\n"
                     "kill -0 $pid && echo first-still-running >> \"$out\"\n"
                     "kill -TERM $pid; wait $pid; echo viewer-exit $? >> \"$out\"\n");
  std::string command = "env QEL_BACKEND=gtk GDK_BACKEND=x11 NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory"
                        " timeout 100 sh " + Quoted(testenv::SourceDir() / "tests/Source/Vistrel/Staged/with-xvfb.sh") +
                        " 1280x800 sh " + Quoted(script) + " " +
                        Quoted(viewer) + " " + Quoted(first) + " " + Quoted(second) + " " + Quoted(out);
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(testenv::ReadFile(out),
            "first-shown\nsecond-start-exit 0\nsecond-shown\nfirst-still-running\nviewer-exit 0\n");
}
