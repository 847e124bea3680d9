// The running program and its command-line socket, driven from outside
// with real processes.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ProgramProcess.h"
#include "TestEnvironment.h"
#include "os/CommandLineClient.h"

using orvtest::ProgramProcess;
using orvtest::TraceLines;
using orvtest::WaitForTrace;

namespace {

constexpr char kId[] = "com.Talvexa.Orvenna";

std::string SocketPath() { return std::string(std::getenv("XDG_RUNTIME_DIR")) + "/dunsellow/" + kId + ".cmdl"; }

// Sends raw bytes on one connection; the status the program answers, or
// `none` when it answered nothing.
int32_t SendRaw(const std::vector<uint8_t>& bytes, int32_t none = 12345) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, SocketPath().c_str(), sizeof addr.sun_path - 1);
  int32_t status = none;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    uint8_t reply[4];
    size_t got = 0;
    while (got < 4) {
      ssize_t n = ::recv(fd, reply + got, 4 - got, 0);
      if (n <= 0) break;
      got += size_t(n);
    }
    if (got == 4) status = int32_t(uint32_t(reply[0]) | uint32_t(reply[1]) << 8 | uint32_t(reply[2]) << 16 | uint32_t(reply[3]) << 24);
  }
  ::close(fd);
  return status;
}

std::vector<uint8_t> Frame(const char magic[4], uint32_t n, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> f(magic, magic + 4);
  for (int i = 0; i < 4; ++i) f.push_back(uint8_t(n >> (8 * i)));
  f.insert(f.end(), payload.begin(), payload.end());
  return f;
}

std::vector<uint8_t> Utf16(const std::u16string& text) {
  std::vector<uint8_t> out;
  for (char16_t c : text) {
    out.push_back(uint8_t(c & 0xff));
    out.push_back(uint8_t(c >> 8));
  }
  return out;
}

class SocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    orvtest::AdoptOrphans();
    trace_ = testenv::MakeTempDir("trace") / "trace.log";
  }
  std::filesystem::path trace_;
};

}  // namespace

TEST_F(SocketTest, ARunningProgramReceivesCommandLinesAndEndsCleanlyOnSigterm) {
  ProgramProcess program(trace_, {});
  ASSERT_TRUE(WaitForTrace(trace_, "started"));
  EXPECT_EQ(plat::SendCommandLine(kId, u"-Capture/Zoomin", 64), plat::SendStatus::Accepted);
  ASSERT_TRUE(WaitForTrace(trace_, "odoc -Capture/Zoomin"));
  EXPECT_TRUE(program.Terminate());
  std::vector<std::string> lines = TraceLines(trace_);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "exit");
}

TEST_F(SocketTest, MalformedFramesAreRefusedAndTheProgramRunsOn) {
  ProgramProcess program(trace_, {});
  ASSERT_TRUE(WaitForTrace(trace_, "started"));
  const std::vector<uint8_t> text = Utf16(u"-Capture/Record");
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"bad magic", Frame("CMDX", uint32_t(text.size()), text)},
      {"odd length", Frame("CMDL", 3, {'-', 0, 'C'})},
      {"oversized", Frame("CMDL", 65538, {})},
      {"zero length", Frame("CMDL", 0, {})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(SendRaw(c.bytes), -1);
  }
  // Still serving, and none of them reached the program.
  EXPECT_EQ(SendRaw(Frame("CMDL", uint32_t(text.size()), text)), 0);
  ASSERT_TRUE(WaitForTrace(trace_, "odoc -Capture/Record"));
  size_t odocs = 0;
  for (const std::string& line : TraceLines(trace_)) odocs += line.rfind("odoc", 0) == 0;
  EXPECT_EQ(odocs, 1u);
  EXPECT_TRUE(program.Terminate());
}

TEST_F(SocketTest, ASenderWithoutAReceiverStartsTheProgram) {
  ::setenv("DUNSELLOW_TRACE", trace_.c_str(), 1);
  EXPECT_EQ(plat::OpenWithCommandLine(orvtest::StagedBundle().string(), u"-Capture/Record", 2048),
            plat::LaunchStatus::Launched);
  ASSERT_TRUE(WaitForTrace(trace_, "odoc -Capture/Record"));
  // A second sender now reaches the same instance.
  EXPECT_EQ(plat::OpenWithCommandLine(orvtest::StagedBundle().string(), u"-Capture/Zoomout", 2048),
            plat::LaunchStatus::Delivered);
  ASSERT_TRUE(WaitForTrace(trace_, "odoc -Capture/Zoomout"));
  pid_t pid = -1;
  for (const std::string& line : TraceLines(trace_)) {
    if (line.rfind("started ", 0) == 0) pid = pid_t(std::atoi(line.c_str() + 8));
  }
  ASSERT_GT(pid, 0);
  EXPECT_EQ(orvtest::TerminateAdopted(pid), 0);
}

TEST_F(SocketTest, TwoLaunchesAtOnceLeaveOneInstance) {
  ProgramProcess first(trace_, {"--cmdl=-Capture/Zoomin"});
  ProgramProcess second(trace_, {"--cmdl=-Capture/Zoomout"});
  ASSERT_TRUE(WaitForTrace(trace_, "odoc -Capture/Zoom", 2));
  // One of them handed its command line over and ended with 0.
  pid_t firstPid = first.pid(), secondPid = second.pid();
  size_t started = 0;
  pid_t running = -1;
  for (const std::string& line : TraceLines(trace_)) {
    if (line.rfind("started ", 0) == 0) {
      ++started;
      running = pid_t(std::atoi(line.c_str() + 8));
    }
  }
  EXPECT_EQ(started, 1u);
  ASSERT_TRUE(running == firstPid || running == secondPid);
  ProgramProcess& primary = running == firstPid ? first : second;
  ProgramProcess& secondary = running == firstPid ? second : first;
  EXPECT_EQ(secondary.Wait(), 0);
  EXPECT_TRUE(primary.Terminate());
}
