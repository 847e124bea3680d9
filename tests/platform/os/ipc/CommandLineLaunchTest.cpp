// Real receiver processes: started directly, or by the launcher.
#include "os/CommandLineClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>

#include "ReceiverProcess.h"

namespace {

using ostest::ReceiverBundle;

size_t Count(const std::vector<std::string>& lines, char kind) {
  return std::count_if(lines.begin(), lines.end(), [kind](const std::string& l) { return !l.empty() && l[0] == kind; });
}

bool Has(const std::vector<std::string>& lines, const std::string& l) {
  return std::find(lines.begin(), lines.end(), l) != lines.end();
}

class CommandLineLaunchTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (!bundle_.log.empty()) ostest::EndAll(bundle_);
    plat::SetSpawnFunction(nullptr);
  }
  ReceiverBundle bundle_;
};

TEST_F(CommandLineLaunchTest, SenderAddressesRunningReceiver) {
  bundle_ = ostest::MakeReceiverBundle("Receiver", "com.example.Receiver");
  ostest::StartReceiver(bundle_, {"--cmdl=-first"});
  auto lines = ostest::WaitForLog(bundle_, 2);
  ASSERT_TRUE(Has(lines, "T-first"));
  EXPECT_EQ(plat::OpenWithCommandLine(bundle_.bundle.string(), u"-Capture/Record", 2048),
            plat::LaunchStatus::Delivered);
  lines = ostest::WaitForLog(bundle_, 3);
  EXPECT_EQ(lines.back(), "T-Capture/Record");
  EXPECT_EQ(Count(lines, 'P'), 1u);
}

TEST_F(CommandLineLaunchTest, SenderWithoutReceiverStartsIt) {
  bundle_ = ostest::MakeReceiverBundle("Receiver", "com.example.Receiver");
  EXPECT_EQ(plat::OpenWithCommandLine(bundle_.bundle.string(), u"-AssetFilePath \"/p/\u00e9 x.xml\""),
            plat::LaunchStatus::Launched);
  EXPECT_EQ(plat::OpenWithCommandLine(bundle_.bundle.string(), u"-again"), plat::LaunchStatus::Delivered);
  auto lines = ostest::WaitForLog(bundle_, 3);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], "T-AssetFilePath \"/p/\xC3\xA9 x.xml\"");
  EXPECT_EQ(lines[2], "T-again");
}

TEST_F(CommandLineLaunchTest, TwoLaunchesAtOnceLeaveOneInstance) {
  bundle_ = ostest::MakeReceiverBundle("Receiver", "com.example.Receiver");
  auto a = std::async(std::launch::async, [&] { return plat::OpenWithCommandLine(bundle_.bundle.string(), u"-a"); });
  auto b = std::async(std::launch::async, [&] { return plat::OpenWithCommandLine(bundle_.bundle.string(), u"-b"); });
  auto ra = a.get(), rb = b.get();
  EXPECT_NE(ra, plat::LaunchStatus::Failed);
  EXPECT_NE(rb, plat::LaunchStatus::Failed);
  EXPECT_TRUE(ra == plat::LaunchStatus::Launched || rb == plat::LaunchStatus::Launched);
  auto lines = ostest::WaitForLog(bundle_, 3);
  EXPECT_EQ(Count(lines, 'P'), 1u);
  EXPECT_TRUE(Has(lines, "T-a"));
  EXPECT_TRUE(Has(lines, "T-b"));
}

TEST_F(CommandLineLaunchTest, ProgramStartedTwiceHandsOverToFirst) {
  bundle_ = ostest::MakeReceiverBundle("Receiver", "com.example.Receiver");
  ostest::StartReceiver(bundle_, {"--cmdl=-one"});
  ostest::StartReceiver(bundle_, {"--cmdl=-two"});
  auto lines = ostest::WaitForLog(bundle_, 4);  // P, S, and both texts
  EXPECT_EQ(Count(lines, 'P'), 1u);
  EXPECT_EQ(Count(lines, 'S'), 1u);
  EXPECT_TRUE(Has(lines, "T-one"));
  EXPECT_TRUE(Has(lines, "T-two"));
}

TEST_F(CommandLineLaunchTest, LauncherPassesArgvAndOwnBundleWithoutShell) {
  bundle_ = ostest::MakeReceiverBundle("Dunsellow Vistrel", "com.example.Vistrel", "Dunsellow Vistrel");
  std::vector<std::string> argv, env;
  plat::SetSpawnFunction([&](const std::vector<std::string>& a, const std::vector<std::string>& e) {
    argv = a;
    env = e;
    return true;
  });
  EXPECT_EQ(plat::OpenWithCommandLine(bundle_.bundle.string(), u"-x \"$(rm -rf /)\"; `y`"),
            plat::LaunchStatus::Launched);
  ASSERT_EQ(argv.size(), 2u);
  EXPECT_EQ(argv[0], (bundle_.bundle / "Contents/MacOS/Dunsellow Vistrel").string());
  EXPECT_EQ(argv[1], "--cmdl=-x \"$(rm -rf /)\"; `y`");
  EXPECT_EQ(env, std::vector<std::string>{"DUNSELLOW_BUNDLE=" + bundle_.bundle.string()});

  plat::SetSpawnFunction([](auto&, auto&) { return false; });
  EXPECT_EQ(plat::OpenWithCommandLine(bundle_.bundle.string(), u"-x"), plat::LaunchStatus::Failed);
  EXPECT_EQ(plat::OpenWithCommandLine((bundle_.bundle / "missing").string(), u"-x"), plat::LaunchStatus::Failed);
}

}  // namespace
