#include "os/AppleEvents.h"

#include <gtest/gtest.h>

#include <glib.h>

#include <csignal>
#include <thread>

namespace {

using namespace plat;

void Drain() {
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
}

TEST(AppleEvents, DispatchesByClassAndIdWithRefCon) {
  intptr_t seen = 0;
  AEInstallEventHandler(kCoreEventClass, kAEOpenApplication,
                        [&](const AppleEvent& e, intptr_t ref) {
                          seen = ref;
                          return e.HasParam(kCommandLineParam) ? kAEEventNotHandled : kAENoErr;
                        },
                        42);
  EXPECT_EQ(AEDispatch(AppleEvent(kCoreEventClass, kAEOpenApplication)), kAENoErr);
  EXPECT_EQ(seen, 42);
  AppleEvent withText(kCoreEventClass, kAEOpenApplication);
  withText.PutParam(kCommandLineParam, AEDesc::FromText(kCommandLineType, u"x"));
  EXPECT_EQ(AEDispatch(withText), kAEEventNotHandled);
  EXPECT_EQ(AEDispatch(AppleEvent(kCoreEventClass, kAEOpenDocuments)), kAEEventNotHandled);  // none installed
  EXPECT_TRUE(AERemoveEventHandler(kCoreEventClass, kAEOpenApplication));
  EXPECT_FALSE(AERemoveEventHandler(kCoreEventClass, kAEOpenApplication));
}

TEST(AppleEvents, CommandLineParameterErrors) {
  std::u16string t = u"unchanged";
  EXPECT_EQ(AppleEvent(kCoreEventClass, kAEOpenDocuments).GetCommandLine(&t), kAEDescNotFound);
  AppleEvent wrongType(kCoreEventClass, kAEOpenDocuments);
  wrongType.PutParam(kCommandLineParam, AEDesc::FromText(FourCC("TEXT"), u"x"));
  EXPECT_EQ(wrongType.GetCommandLine(&t), kAECoercionFail);
  EXPECT_EQ(t, u"unchanged");
  EXPECT_EQ(MakeCommandLineEvent(u"-Capture/Record").GetCommandLine(&t), kAENoErr);
  EXPECT_EQ(t, u"-Capture/Record");
  // Data that carries its own terminator, and an odd trailing byte.
  AEDesc d{kCommandLineType, {'a', 0, 0, 0, 'b', 0}};
  EXPECT_EQ(d.Text(), u"a");
  AEDesc odd{kCommandLineType, {'a', 0, 'b'}};
  EXPECT_EQ(odd.Text(), u"a");
}

TEST(AppleEvents, PostedEventsRunOnMainLoopInOrder) {
  std::vector<std::u16string> got;
  AEInstallEventHandler(kCoreEventClass, kAEOpenDocuments,
                        [&](const AppleEvent& e, intptr_t) {
                          std::u16string t;
                          e.GetCommandLine(&t);
                          got.push_back(t);
                          return kAENoErr;
                        },
                        0);
  AEPost(MakeCommandLineEvent(u"1"));
  std::thread([] { AEPost(MakeCommandLineEvent(u"2")); }).join();
  EXPECT_TRUE(got.empty());  // nothing runs before the loop does
  Drain();
  EXPECT_EQ(got, (std::vector<std::u16string>{u"1", u"2"}));
  AERemoveEventHandler(kCoreEventClass, kAEOpenDocuments);
}

TEST(AppleEvents, PostedEventWaitsForItsHandler) {
  AEPost(MakeCommandLineEvent(u"early"));
  AEPost(AppleEvent(kCoreEventClass, kAEOpenApplication));
  Drain();  // no handler yet: nothing is lost
  std::vector<std::u16string> got;
  int opened = 0;
  AEInstallEventHandler(kCoreEventClass, kAEOpenApplication, [&](const AppleEvent&, intptr_t) {
    ++opened;
    return kAENoErr;
  }, 0);
  AEInstallEventHandler(kCoreEventClass, kAEOpenDocuments,
                        [&](const AppleEvent& e, intptr_t) {
                          std::u16string t;
                          e.GetCommandLine(&t);
                          got.push_back(t);
                          return kAENoErr;
                        },
                        0);
  AEPost(MakeCommandLineEvent(u"later"));
  Drain();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(got, (std::vector<std::u16string>{u"early", u"later"}));
  AERemoveEventHandler(kCoreEventClass, kAEOpenDocuments);
  AERemoveEventHandler(kCoreEventClass, kAEOpenApplication);
}

TEST(AppleEvents, TermSignalBecomesQuitThatHandlerMaySwallow) {
  int quits = 0, defaults = 0;
  bool swallow = true;
  AEInstallEventHandler(kCoreEventClass, kAEQuitApplication,
                        [&](const AppleEvent&, intptr_t) {
                          ++quits;
                          return swallow ? kAENoErr : kAEEventNotHandled;
                        },
                        0);
  WatchQuitSignals([&] { ++defaults; });
  raise(SIGTERM);
  while (quits < 1) g_main_context_iteration(nullptr, TRUE);
  EXPECT_EQ(defaults, 0);
  swallow = false;
  raise(SIGINT);
  while (quits < 2) g_main_context_iteration(nullptr, TRUE);
  EXPECT_EQ(defaults, 1);
  AERemoveEventHandler(kCoreEventClass, kAEQuitApplication);
  raise(SIGTERM);  // no handler: the default quit runs
  while (defaults < 2) g_main_context_iteration(nullptr, TRUE);
  // A quit asked from inside the program takes the same path.
  EXPECT_EQ(RequestQuit(), kAEEventNotHandled);
  EXPECT_EQ(defaults, 3);
  StopQuitSignals();
}

}  // namespace
