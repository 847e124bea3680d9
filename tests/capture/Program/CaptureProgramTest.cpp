// The staged program driven from outside, as the camera's button monitor and
// other programs drive it: a command line for the capture module starts it,
// later ones reach its panel over the command-line socket, and SIGTERM ends
// it cleanly with the module's profile saved.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "MediaTools.h"
#include "ProgramProcess.h"
#include "TestEnvironment.h"
#include "os/CommandLineClient.h"

namespace fs = std::filesystem;
using orvtest::ProgramProcess;
using orvtest::TraceLines;
using orvtest::WaitForTrace;

namespace {

constexpr char kId[] = "com.Talvexa.Orvenna";

std::vector<std::string> Lines(const fs::path& trace, const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& line : TraceLines(trace)) {
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  }
  return out;
}

TEST(CaptureProgram, CommandLinesStartTheModuleAndReachItsPanel) {
  orvtest::AdoptOrphans();
  const fs::path trace = testenv::MakeTempDir("trace") / "trace.log";
  ProgramProcess program(trace, {"--cmdl=-Capture/Record"});
  // The module was not running: it is launched and the argument dropped.
  ASSERT_TRUE(WaitForTrace(trace, "capture camera"));
  EXPECT_EQ(Lines(trace, "capture panel ready").size(), 1u);
  EXPECT_TRUE(Lines(trace, "capture command").empty());

  // Now it is the active module: the verbs reach it and act on the
  // stand-in camera once it shows its picture.
  ASSERT_TRUE(WaitForTrace(trace, "capture first frame"));
  for (const char16_t* command : {u"-Capture/Capture", u"-capture/zoomin", u"-Capture/Record"}) {
    EXPECT_EQ(plat::SendCommandLine(kId, command, 64), plat::SendStatus::Accepted);
  }
  ASSERT_TRUE(WaitForTrace(trace, "capture command", 3));
  const std::vector<std::string> expected{"capture command Capture 1", "capture command zoomin 1",
                                          "capture command Record 1"};
  EXPECT_EQ(Lines(trace, "capture command"), expected);

  const fs::path media = fs::path(std::getenv("HOME")) / "Documents" / "Document Camera Media";
  EXPECT_TRUE(fs::is_regular_file(media / "Capture" / "Talvexa_Photo0.jpg"));
  ASSERT_TRUE(program.Terminate());
  EXPECT_EQ(TraceLines(trace).back(), "exit");

  // The module saved its profile on the way out.
  const fs::path plist = fs::path(std::getenv("XDG_CONFIG_HOME")) / "dunsellow" / "com.Talvexa.Orvenna.plist";
  const std::string check = "/usr/bin/python3 -I -c 'import plistlib,sys; d=plistlib.load(open(sys.argv[1],\"rb\")); "
                            "sys.exit(0 if d[\"ImageType\"]==\"jpg\" and d[\"Media Folder\"]==sys.argv[2] else 1)' '" +
                            plist.string() + "' '" + media.string() + "'";
  EXPECT_EQ(std::system(check.c_str()), 0);
}

}  // namespace

namespace {

// "Record" twice over the socket, about four seconds apart: a whole movie in
// the capture folder that the tools read and decode.
TEST(CaptureProgram, TwoRecordCommandsMakeAWholeMovie) {
  orvtest::AdoptOrphans();
  const fs::path trace = testenv::MakeTempDir("trace") / "trace.log";
  ProgramProcess program(trace, {"--cmdl=-Capture/Capture"});
  ASSERT_TRUE(WaitForTrace(trace, "capture first frame"));
  ASSERT_EQ(plat::SendCommandLine(kId, u"-Capture/Record", 64), plat::SendStatus::Accepted);
  ASSERT_TRUE(WaitForTrace(trace, "capture recording "));
  std::this_thread::sleep_for(std::chrono::seconds(4));
  ASSERT_EQ(plat::SendCommandLine(kId, u"-Capture/Record", 64), plat::SendStatus::Accepted);
  ASSERT_TRUE(WaitForTrace(trace, "capture movie "));
  const std::vector<std::string> movies = Lines(trace, "capture movie ");
  ASSERT_EQ(movies.size(), 1u);
  const fs::path movie = movies[0].substr(std::string("capture movie ").size());
  ASSERT_TRUE(program.Terminate());

  mediatools::ProbeResult probe(movie);
  EXPECT_EQ(probe.Stream("video", "codec_tag_string"), "mp4v");
  EXPECT_EQ(probe.Stream("video", "time_base"), "1/600");
  const double seconds = std::atof(probe.Stream("video", "duration").c_str());
  EXPECT_GT(seconds, 3.0);
  EXPECT_LT(seconds, 8.0);
  EXPECT_EQ(mediatools::DecodeErrors(movie), "");
}

}  // namespace

namespace {

// The camera goes while a movie is recorded; SIGTERM while the lost-camera
// dialog waits closes it and ends the program normally, the movie whole.
TEST(CaptureProgram, ASignalWhileADialogWaitsEndsTheProgramWithTheMovieKept) {
  orvtest::AdoptOrphans();
  const fs::path trace = testenv::MakeTempDir("trace") / "trace.log";
  const char* before = std::getenv("DUNSELLOW_SYNTHETIC_CAMERA");
  const std::string kept = before ? before : "";
  ::setenv("DUNSELLOW_SYNTHETIC_CAMERA", "bounds=1280x720,fps=30,lose_at=120", 1);
  ProgramProcess program(trace, {"--cmdl=-Capture/Open"});
  if (before) ::setenv("DUNSELLOW_SYNTHETIC_CAMERA", kept.c_str(), 1);
  else ::unsetenv("DUNSELLOW_SYNTHETIC_CAMERA");
  ASSERT_TRUE(WaitForTrace(trace, "capture first frame"));
  ASSERT_EQ(plat::SendCommandLine(kId, u"-Capture/Record", 64), plat::SendStatus::Accepted);
  ASSERT_TRUE(WaitForTrace(trace, "capture recording "));
  ASSERT_TRUE(WaitForTrace(trace, "capture asks about the lost camera"));
  ASSERT_TRUE(program.Terminate());
  EXPECT_EQ(Lines(trace, "quit closes the dialogs").size(), 1u);
  EXPECT_EQ(TraceLines(trace).back(), "exit");
  const std::vector<std::string> movies = Lines(trace, "capture movie ");
  ASSERT_EQ(movies.size(), 1u);
  const fs::path movie = movies[0].substr(std::string("capture movie ").size());
  EXPECT_GT(std::atof(mediatools::ProbeResult(movie).Stream("video", "duration").c_str()), 1.0);
  EXPECT_EQ(mediatools::DecodeErrors(movie), "");
}

}  // namespace
