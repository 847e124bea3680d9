// The staged program driven from outside: a command line for the edit
// module starts it with its page ready, later command lines switch to the
// capture module and back over the command-line socket, and SIGTERM ends
// the program cleanly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ProgramProcess.h"
#include "TestEnvironment.h"
#include "os/CommandLineClient.h"

namespace fs = std::filesystem;
using orvtest::ProgramProcess;
using orvtest::TraceLines;
using orvtest::WaitForTrace;

namespace {

constexpr char kId[] = "com.Talvexa.Orvenna";

size_t Count(const fs::path& trace, const std::string& prefix) {
  size_t n = 0;
  for (const std::string& line : TraceLines(trace)) n += line.rfind(prefix, 0) == 0 ? 1 : 0;
  return n;
}

TEST(EditProgram, CommandLinesOpenTheEditPageAndSwitchModules) {
  orvtest::AdoptOrphans();
  const fs::path media = fs::path(std::getenv("HOME")) / "Documents" / "Document Camera Media" / "Capture";
  fs::create_directories(media);
  testenv::WriteFile(media / "broken.jpg", "not a picture");
  const fs::path trace = testenv::MakeTempDir("trace") / "trace.log";
  ProgramProcess program(trace, {"--cmdl=-Edit/Open"});
  ASSERT_TRUE(WaitForTrace(trace, "edit panel ready"));
  ASSERT_TRUE(WaitForTrace(trace, "edit show photo broken.jpg"));

  // An argument for the module that is up is not for the edit module: it
  // takes none, and nothing changes.
  EXPECT_EQ(plat::SendCommandLine(kId, u"-Edit/Anything", 64), plat::SendStatus::Accepted);
  EXPECT_EQ(plat::SendCommandLine(kId, u"-Capture/Open", 64), plat::SendStatus::Accepted);
  ASSERT_TRUE(WaitForTrace(trace, "capture panel ready"));
  EXPECT_EQ(plat::SendCommandLine(kId, u"-edit/open", 64), plat::SendStatus::Accepted);
  ASSERT_TRUE(WaitForTrace(trace, "edit panel ready", 2));
  EXPECT_EQ(Count(trace, "edit panel ready"), 2u);
  // The photo that no picture can be made of is still there.
  EXPECT_TRUE(fs::exists(media / "broken.jpg"));
  ASSERT_TRUE(program.Terminate());
  EXPECT_EQ(TraceLines(trace).back(), "exit");
}

}  // namespace
