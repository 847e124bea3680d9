// The server runs on this test's main loop; clients run on a thread, as a
// peer process would.
#include "os/CommandLineServer.h"

#include <gtest/gtest.h>

#include <glib.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <set>
#include <thread>
#include <vector>

#include "os/AppleEvents.h"
#include "os/CommandLineClient.h"
#include "os/CommandLineFrame.h"
#include "os/UserFolders.h"

namespace {

const char* kId = "com.example.ServerTest";

class CommandLineServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::AEInstallEventHandler(plat::kCoreEventClass, plat::kAEOpenDocuments,
                                [this](const plat::AppleEvent& e, intptr_t) {
                                  std::u16string t;
                                  int32_t err = e.GetCommandLine(&t);
                                  received.push_back(t);
                                  return err;
                                },
                                0);
  }
  void TearDown() override { plat::AERemoveEventHandler(plat::kCoreEventClass, plat::kAEOpenDocuments); }

  // Runs `client` on a thread while the main loop serves, then drains posted events.
  void RunClient(const std::function<void()>& client) {
    std::atomic<bool> done{false};
    std::thread t([&] {
      client();
      done = true;
      g_main_context_wakeup(nullptr);
    });
    while (!done) g_main_context_iteration(nullptr, TRUE);
    t.join();
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
  }

  std::vector<std::u16string> received;
};

// Senders in these tests may wait long on a loaded machine; only a lost
// command fails them.
constexpr std::chrono::milliseconds kGenerous{60000};

std::u16string Text(int i) {
  std::string n = std::to_string(i);
  return std::u16string(n.begin(), n.end());
}

int Connect(const std::string& path) {
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
  EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  return fd;
}

// Sends raw bytes and answers the status read back, or 1 when the server
// closed without answering.
int32_t Exchange(const std::string& path, const std::vector<uint8_t>& bytes, bool closeEarly = false) {
  int fd = Connect(path);
  (void)!send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  if (closeEarly) {
    close(fd);
    return 1;
  }
  uint8_t r[4];
  ssize_t n = recv(fd, r, 4, MSG_WAITALL);
  close(fd);
  if (n != 4) return 1;
  return int32_t(uint32_t(r[0]) | uint32_t(r[1]) << 8 | uint32_t(r[2]) << 16 | uint32_t(r[3]) << 24);
}

std::vector<uint8_t> Header(const char* magic, uint32_t n) {
  std::vector<uint8_t> f(magic, magic + 4);
  for (int i = 0; i < 4; ++i) f.push_back(uint8_t(n >> (8 * i)));
  return f;
}

TEST_F(CommandLineServerTest, StartupTextComesFirstThenFramesInOrder) {
  plat::CommandLineServer server(kId);
  ASSERT_TRUE(server.Listen(std::u16string(u"-first")));
  RunClient([] {
    EXPECT_EQ(plat::SendCommandLine(kId, u"-Capture/Zoomin", 64), plat::SendStatus::Accepted);
    EXPECT_EQ(plat::SendCommandLine(kId, u"-AssetFilePath \"/tmp/\u00e9.xml\" -MBStatus \"\"", 2048),
              plat::SendStatus::Accepted);
  });
  EXPECT_EQ(received, (std::vector<std::u16string>{u"-first", u"-Capture/Zoomin",
                                                    u"-AssetFilePath \"/tmp/\u00e9.xml\" -MBStatus \"\""}));
}

TEST_F(CommandLineServerTest, ABusyProgramCarriesOutExactlyWhatItsSendersWereToldWasAccepted) {
  plat::CommandLineServer server(kId);
  ASSERT_TRUE(server.Listen());
  // The program's main thread is busy (its loop does not run) for longer
  // than the first sender waits, and less than the second one does.
  std::atomic<bool> gaveUp{false};
  plat::SendStatus impatient = plat::SendStatus::Accepted, patient = plat::SendStatus::Failed;
  std::thread first([&] {
    impatient = plat::SendCommandLine(kId, u"-impatient", 0, std::chrono::milliseconds(200));
    gaveUp = true;
  });
  while (!gaveUp) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  first.join();
  EXPECT_EQ(impatient, plat::SendStatus::Failed);
  RunClient([&] { patient = plat::SendCommandLine(kId, u"-patient", 0, kGenerous); });
  EXPECT_EQ(patient, plat::SendStatus::Accepted);
  // The impatient frame was read once the loop ran again, and dropped.
  EXPECT_EQ(received, (std::vector<std::u16string>{u"-patient"}));
}

TEST_F(CommandLineServerTest, ProbeSeesTheListenerAndDeliversNothing) {
  EXPECT_FALSE(plat::IsCommandLineListening(kId));
  plat::CommandLineServer server(kId);
  ASSERT_TRUE(server.Listen());
  RunClient([] {
    EXPECT_TRUE(plat::IsCommandLineListening(kId));
    EXPECT_EQ(plat::SendCommandLine(kId, u"-after"), plat::SendStatus::Accepted);
  });
  EXPECT_EQ(received, (std::vector<std::u16string>{u"-after"}));
  server.Stop();
  EXPECT_FALSE(plat::IsCommandLineListening(kId));
}

TEST_F(CommandLineServerTest, MalformedFramesAreRefusedAndServingGoesOn) {
  plat::CommandLineServer server(kId);
  ASSERT_TRUE(server.Listen());
  std::string path = server.socketPath();
  RunClient([&] {
    EXPECT_EQ(Exchange(path, Header("HTTP", 4)), -1);
    EXPECT_EQ(Exchange(path, Header("CMDL", 5)), -1);
    EXPECT_EQ(Exchange(path, Header("CMDL", 65538)), -1);
    EXPECT_EQ(Exchange(path, Header("CMDL", 0)), -1);
    // Short read: the count promises more than arrives before the client leaves.
    auto shortFrame = Header("CMDL", 100);
    shortFrame.insert(shortFrame.end(), {'x', 0});
    Exchange(path, shortFrame, /*closeEarly=*/true);
    // No terminator: the text is the whole payload.
    auto open = Header("CMDL", 6);
    open.insert(open.end(), {'a', 0, 'b', 0, 'c', 0});
    EXPECT_EQ(Exchange(path, open), 0);
    EXPECT_EQ(plat::SendCommandLine(kId, u"after"), plat::SendStatus::Accepted);
  });
  EXPECT_EQ(received, (std::vector<std::u16string>{u"abc", u"after"}));
}

TEST_F(CommandLineServerTest, StalledClientNeitherBlocksOthersNorStaysForever) {
  plat::CommandLineServer server(kId);
  server.SetClientTimeout(std::chrono::milliseconds(200));
  ASSERT_TRUE(server.Listen());
  std::string path = server.socketPath();
  RunClient([&] {
    int stalled = Connect(path);
    const uint8_t part[] = {'C', 'M', 'D'};
    send(stalled, part, sizeof part, MSG_NOSIGNAL);
    EXPECT_EQ(plat::SendCommandLine(kId, u"meanwhile"), plat::SendStatus::Accepted);
    // The stalled client is dropped with a refusal once its time is up.
    uint8_t r[4] = {};
    EXPECT_EQ(recv(stalled, r, 4, MSG_WAITALL), 4);
    EXPECT_EQ(r[0], 0xFF);
    close(stalled);
  });
  EXPECT_EQ(received, (std::vector<std::u16string>{u"meanwhile"}));
}

TEST_F(CommandLineServerTest, SecondServerOfSameProgramIsRefused) {
  plat::CommandLineServer first(kId);
  ASSERT_EQ(first.ClaimInstance(), plat::CommandLineServer::Claim::Primary);
  plat::CommandLineServer second(kId);
  EXPECT_EQ(second.ClaimInstance(), plat::CommandLineServer::Claim::Secondary);
  EXPECT_FALSE(second.Listen());
  EXPECT_EQ(plat::SendCommandLine(kId, u"x"), plat::SendStatus::NotRunning);
  EXPECT_EQ(plat::SendCommandLine("com.example.Nobody", u"x"), plat::SendStatus::NotRunning);
  EXPECT_EQ(plat::SendCommandLine("../escape", u"x"), plat::SendStatus::Failed);
}

TEST_F(CommandLineServerTest, EveryCommandOfABurstArrives) {
  plat::CommandLineServer server(kId);
  ASSERT_TRUE(server.Listen());
  constexpr int kSenders = 200;
  std::atomic<int> accepted{0};
  RunClient([&] {
    std::vector<std::thread> senders;
    for (int i = 0; i < kSenders; ++i)
      senders.emplace_back([&accepted, i] {
        std::u16string text = u"-Capture/" + Text(i);
        if (plat::SendCommandLine(kId, text, 2048, kGenerous) == plat::SendStatus::Accepted) ++accepted;
      });
    for (auto& t : senders) t.join();
  });
  EXPECT_EQ(accepted, kSenders);
  std::set<std::u16string> distinct(received.begin(), received.end());
  EXPECT_EQ(received.size(), size_t(kSenders));
  EXPECT_EQ(distinct.size(), size_t(kSenders));
}

TEST_F(CommandLineServerTest, TricklingClientsCannotCrowdOutCommands) {
  plat::CommandLineServer server(kId);
  server.SetClientTimeout(std::chrono::minutes(10));  // they would hold their slots that long
  ASSERT_TRUE(server.Listen());
  std::string path = server.socketPath();
  constexpr int kTricklers = 40, kSenders = 50;
  std::vector<int> tricklers;
  std::atomic<int> accepted{0};
  RunClient([&] {
    for (int i = 0; i < kTricklers; ++i) {
      int fd = Connect(path);
      (void)!send(fd, "CMD", 3, MSG_NOSIGNAL);  // and nothing more
      tricklers.push_back(fd);
    }
    std::vector<std::thread> senders;
    for (int i = 0; i < kSenders; ++i)
      senders.emplace_back([&accepted, i] {
        if (plat::SendCommandLine(kId, Text(i), 0, kGenerous) == plat::SendStatus::Accepted) ++accepted;
      });
    for (auto& t : senders) t.join();
  });
  EXPECT_EQ(accepted, kSenders);
  EXPECT_EQ(received.size(), size_t(kSenders));
  // The clients that made room were told "busy", never that a frame was taken.
  int busy = 0;
  for (int fd : tricklers) {
    uint8_t r[4];
    if (recv(fd, r, 4, MSG_DONTWAIT) == 4) {
      EXPECT_EQ(r[0], plat::kCommandLineBusy);
      ++busy;
    }
    close(fd);
  }
  EXPECT_GT(busy, 0);
}

TEST_F(CommandLineServerTest, RunningOutOfDescriptorsNeitherSpinsNorLosesTheClient) {
  plat::CommandLineServer server(kId);
  ASSERT_TRUE(server.Listen());
  // A client waits in the backlog when the process runs out of descriptors.
  int client = Connect(server.socketPath());
  auto frame = plat::EncodeCommandLineFrame(u"-late");
  ASSERT_EQ(send(client, frame.data(), frame.size(), MSG_NOSIGNAL), ssize_t(frame.size()));
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  rlimit low = saved;
  low.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 512);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  std::vector<int> fillers;
  for (int fd; (fd = dup(client)) >= 0;) fillers.push_back(fd);
  ASSERT_EQ(errno, EMFILE);

  // The listening socket stays readable, yet the loop is not woken again
  // and again for it.
  int wakeups = 0;
  for (int i = 0; i < 1000; ++i) wakeups += g_main_context_iteration(nullptr, FALSE);
  EXPECT_LT(wakeups, 50);

  for (int fd : fillers) close(fd);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  pollfd p{client, POLLIN, 0};
  for (int i = 0; i < 10000 && poll(&p, 1, 0) == 0; ++i) g_main_context_iteration(nullptr, TRUE);
  uint8_t r[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(recv(client, r, 4, MSG_WAITALL), 4);
  EXPECT_EQ(r[0], 0);
  close(client);
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  EXPECT_EQ(received, (std::vector<std::u16string>{u"-late"}));
}

TEST(CommandLineClient, BusyAnswerIsRetriedUntilTaken) {
  // A stand-in program: "busy" to the first two connections, then takes the frame.
  std::string path = std::string(getenv("XDG_RUNTIME_DIR")) + "/dunsellow/com.example.Busy.cmdl";
  ASSERT_FALSE(plat::RuntimeFolder().empty());
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(listen(fd, 4), 0);
  std::thread program([fd] {
    for (int32_t status : {plat::kCommandLineBusy, plat::kCommandLineBusy, plat::kCommandLineAccepted}) {
      int c = accept(fd, nullptr, nullptr);
      plat::CommandLineFrameReader reader;
      uint8_t buf[256];
      ssize_t n;
      while (reader.state() == plat::CommandLineFrameReader::State::NeedMore &&
             (n = recv(c, buf, std::min(sizeof buf, reader.Wanted()), 0)) > 0)
        reader.Feed(buf, size_t(n));
      EXPECT_EQ(reader.text(), u"-again");
      uint8_t r[4] = {uint8_t(status), uint8_t(status >> 8), uint8_t(status >> 16), uint8_t(status >> 24)};
      (void)!send(c, r, 4, MSG_NOSIGNAL);
      close(c);
    }
  });
  EXPECT_EQ(plat::SendCommandLine("com.example.Busy", u"-again", 0, kGenerous), plat::SendStatus::Accepted);
  program.join();
  close(fd);
}

TEST(CommandLineClient, ProgramThatStoppedServingDoesNotHangTheSender) {
  // A listener that never accepts or answers: its backlog fills up.
  std::string path = std::string(getenv("XDG_RUNTIME_DIR")) + "/dunsellow/com.example.Stuck.cmdl";
  ASSERT_FALSE(plat::RuntimeFolder().empty());
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  std::strncpy(a.sun_path, path.c_str(), sizeof a.sun_path - 1);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(listen(fd, 0), 0);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(plat::SendCommandLine("com.example.Stuck", u"x", 0, std::chrono::milliseconds(100)),
              plat::SendStatus::Failed);
  close(fd);
}

TEST(StartupCommandLine, TakesCmdlArgumentOrPlainArguments) {
  char prog[] = "prog", cmdl[] = "--cmdl=-AssetFilePath \"/x/\xC3\xA9\"", plain1[] = "-Capture/Record",
       plain2[] = "now", bad[] = "\xFF";
  char* a1[] = {prog, plain1, cmdl, nullptr};
  EXPECT_EQ(plat::StartupCommandLine(3, a1), u"-AssetFilePath \"/x/\u00e9\"");
  char* a2[] = {prog, plain1, plain2, nullptr};
  EXPECT_EQ(plat::StartupCommandLine(3, a2), u"-Capture/Record now");
  char* a3[] = {prog, nullptr};
  EXPECT_EQ(plat::StartupCommandLine(1, a3), std::nullopt);
  char* a4[] = {prog, bad, nullptr};
  EXPECT_EQ(plat::StartupCommandLine(2, a4), std::nullopt);
}

}  // namespace
