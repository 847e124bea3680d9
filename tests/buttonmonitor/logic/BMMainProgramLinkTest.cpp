// The real link to the main program, against in-process listeners: which
// bundle is served, whether it counts as running, and delivery in order
// from the link's own thread.
#include <gtest/gtest.h>

#include <glib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "BMMainProgramLink.h"
#include "TestEnvironment.h"
#include "os/AppleEvents.h"
#include "os/CommandLineClient.h"
#include "os/CommandLineServer.h"

namespace fs = std::filesystem;

namespace {

void MakeApp(const fs::path& apps, const std::string& name, const std::string& id) {
  testenv::WriteFile(apps / (name + ".app/Contents/Info.plist"),
                     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>\n"
                     "<key>CFBundleIdentifier</key><string>" + id + "</string>\n"
                     "<key>CFBundleExecutable</key><string>" + name + "</string>\n</dict></plist>\n");
}

TEST(BMMainProgramLink, FindsTheFirstApplicationNameOnly) {
  struct Case {
    std::vector<std::string> installed;
    std::string found;  // empty: none
  };
  const std::vector<Case> cases = {
      {{}, ""}, {{"Dunsellow"}, "Dunsellow"}, {{"Merrowick"}, "Merrowick"}, {{"Dunsellow", "Merrowick"}, "Merrowick"}};
  for (const Case& c : cases) {
    fs::path apps = testenv::MakeTempDir("apps");
    for (const std::string& name : c.installed) MakeApp(apps, name, "com.example." + name);
    BMMainProgramLink link(apps.string());
    auto found = link.FindApplication();
    EXPECT_EQ(found.value_or(""), c.found.empty() ? "" : (apps / (c.found + ".app")).string());
  }
}

TEST(BMMainProgramLink, DeliversInOrderToTheFirstProgramOnlyAndSeesItRunning) {
  fs::path apps = testenv::MakeTempDir("apps");
  MakeApp(apps, "Merrowick", "com.example.Merrowick");
  MakeApp(apps, "Dunsellow", "com.example.Dunsellow");
  std::vector<std::u16string> received;
  plat::AEInstallEventHandler(plat::kCoreEventClass, plat::kAEOpenDocuments,
                              [&](const plat::AppleEvent& e, intptr_t) {
                                std::u16string t;
                                int32_t err = e.GetCommandLine(&t);
                                received.push_back(t);
                                return err;
                              },
                              0);
  // Both programs run; each receiving frame names its program by the text.
  plat::CommandLineServer merrowick("com.example.Merrowick");
  plat::CommandLineServer dunsellow("com.example.Dunsellow");
  ASSERT_TRUE(merrowick.Listen());
  BMMainProgramLink link(apps.string());
  EXPECT_TRUE(link.BMIsAlreadyLaunched("Merrowick"));
  EXPECT_FALSE(link.BMIsAlreadyLaunched("Dunsellow"));
  ASSERT_TRUE(dunsellow.Listen());
  EXPECT_TRUE(link.BMIsAlreadyLaunched("Dunsellow"));

  const std::vector<std::u16string> sent = {u"-Capture/Zoomin", u"-Capture/Zoomout", u"-Capture/Record"};
  for (const auto& text : sent) link.Deliver(text);
  // Both servers run on this thread's loop; only Merrowick's gets frames.
  auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (received.size() < sent.size() && std::chrono::steady_clock::now() < until) {
    if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
  }
  // Serving both would have put Dunsellow's copies among these.
  EXPECT_EQ(received, sent);
  plat::AERemoveEventHandler(plat::kCoreEventClass, plat::kAEOpenDocuments);
}

// The program was not running: the command starts it (as its argument, which
// only opens the capture page) and goes again once the program listens.
TEST(BMMainProgramLink, ACommandThatStartsTheProgramIsSentAgainOnceItListens) {
  fs::path apps = testenv::MakeTempDir("apps");
  MakeApp(apps, "Dunsellow", "com.example.StartedByMonitor");
  const fs::path exe = apps / "Dunsellow.app/Contents/MacOS/Dunsellow";
  testenv::WriteFile(exe, "#!/bin/sh\n");
  fs::permissions(exe, fs::perms::owner_all);
  std::atomic<bool> spawned{false};
  std::vector<std::string> args;
  plat::SetSpawnFunction([&](const std::vector<std::string>& argv, const std::vector<std::string>&) {
    args = argv;
    spawned = true;
    return true;
  });
  std::vector<std::u16string> received;
  plat::AEInstallEventHandler(plat::kCoreEventClass, plat::kAEOpenDocuments,
                              [&](const plat::AppleEvent& e, intptr_t) {
                                std::u16string t;
                                int32_t err = e.GetCommandLine(&t);
                                received.push_back(t);
                                return err;
                              },
                              0);
  plat::CommandLineServer program("com.example.StartedByMonitor");
  {
    BMMainProgramLink link(apps.string());
    link.Deliver(u"-Capture/Record");
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!spawned && std::chrono::steady_clock::now() < until) g_usleep(2000);
    ASSERT_TRUE(spawned);
    ASSERT_TRUE(program.Listen());  // the program has started
    while (received.empty() && std::chrono::steady_clock::now() < until) {
      if (!g_main_context_iteration(nullptr, FALSE)) g_usleep(2000);
    }
  }
  plat::SetSpawnFunction(nullptr);
  plat::AERemoveEventHandler(plat::kCoreEventClass, plat::kAEOpenDocuments);
  bool asArgument = false;
  for (const std::string& a : args) asArgument |= a.find("-Capture/Record") != std::string::npos;
  EXPECT_TRUE(asArgument);
  EXPECT_EQ(received, std::vector<std::u16string>{u"-Capture/Record"});
}

}  // namespace
