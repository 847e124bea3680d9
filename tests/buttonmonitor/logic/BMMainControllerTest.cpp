// The controller on a manual clock with a scripted bus and a recording main
// program: poll rhythm, auto-repeat, delivery and debug reports.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "BMMainController.h"
#include "ManualTimers.h"
#include "usb/FakeUsbBus.h"

using plat::usb::FakeUsbBus;
using plat::usb::FakeUsbDevice;
using ms = std::chrono::milliseconds;

namespace {

constexpr char16_t kIn[] = u"-Capture/Zoomin";
constexpr char16_t kOut[] = u"-Capture/Zoomout";
constexpr char16_t kRecord[] = u"-Capture/Record";

struct Sent {
  long at;  // ms on the manual clock
  std::u16string command;
  bool operator==(const Sent&) const = default;
};

void PrintTo(const Sent& s, std::ostream* os) {
  *os << s.at << ":" << std::string(s.command.begin(), s.command.end());
}

class RecordingProgram : public BMMainProgram {
 public:
  explicit RecordingProgram(const ManualTimers& clock) : clock_(clock) {}
  bool BMIsAlreadyLaunched(const std::string& name) override {
    asked.push_back(name);
    return running;
  }
  void Deliver(const std::u16string& text) override { sent.push_back({long(clock_.now().count()), text}); }
  bool running = true;
  std::vector<Sent> sent;
  std::vector<std::string> asked;

 private:
  const ManualTimers& clock_;
};

class ControllerTest : public ::testing::Test {
 protected:
  std::shared_ptr<FakeUsbDevice> Plug(uint16_t product, const char* name = "cam") {
    auto d = bus.Add({.name = name, .vendor = 0x04B8, .product = product, .location = {1, 1}});
    bus.Plug(d);
    return d;
  }
  // Zoom buttons held for `polls` polls (0.1 s apart) from the first poll.
  void Start(bool debug = false) { controller.applicationDidFinishLaunching(debug); }

  ManualTimers timers;
  FakeUsbBus bus;
  BMDeviceInfoManager models;
  RecordingProgram program{timers};
  BMMainController controller{timers, &bus, program, models};
};

TEST_F(ControllerTest, HeldZoomButtonRepeatsAfterSixPollsUntilReleased) {
  auto cam = Plug(0x0F01);
  // Down from the first poll (100 ms) to the poll at 1400 ms, which sees it up.
  cam->QueueBytes({0xBF, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF, 0xFF});
  Start();
  timers.Advance(ms(2000));
  std::vector<Sent> expected;
  for (long t = 100; t <= 600; t += 100) expected.push_back({t, kIn});  // six polls, the sixth starts auto-repeat
  for (long t = 750; t < 1400; t += 150) expected.push_back({t, kIn});  // every 0.15 s
  EXPECT_EQ(program.sent, expected);
  // The repeating timer ended itself at its first tick after the release.
  EXPECT_EQ(timers.pending(), 1u);
}

TEST_F(ControllerTest, ReleasedBeforeTheSixthPollNeverRepeats) {
  auto cam = Plug(0x0F01);
  cam->QueueBytes({0xFD, 0xFD, 0xFD, 0xFD, 0xFD, 0xFF});
  Start();
  timers.Advance(ms(3000));
  EXPECT_EQ(program.sent, (std::vector<Sent>{{100, kOut}, {200, kOut}, {300, kOut}, {400, kOut}, {500, kOut}}));
}

TEST_F(ControllerTest, SwitchingZoomButtonsEndsAutoRepeatAndStartsAfresh) {
  auto cam = Plug(0x0F01);
  // Zoom in for seven polls (into auto-repeat), then zoom out held on.
  cam->QueueBytes({0xBF, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF, 0xBF, 0xFD});
  Start();
  timers.Advance(ms(1500));
  std::vector<Sent> expected;
  for (long t = 100; t <= 600; t += 100) expected.push_back({t, kIn});
  expected.push_back({750, kIn});
  // The poll at 800 sees zoom out: sent at once and at every poll, auto-repeat
  // after five more polls (1300), then every 0.15 s.
  for (long t = 800; t <= 1300; t += 100) expected.push_back({t, kOut});
  expected.push_back({1450, kOut});
  ASSERT_EQ(program.sent.size(), expected.size());
  EXPECT_EQ(program.sent, expected);
}

TEST_F(ControllerTest, RecordSwitchSendsOnPressAndReleaseOnly) {
  auto cam = Plug(0x0C02);
  cam->QueueBytes({0xFF, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFE, 0xFF});
  Start();
  timers.Advance(ms(2000));
  EXPECT_EQ(program.sent, (std::vector<Sent>{{200, kRecord}, {900, kRecord}}));
}

TEST_F(ControllerTest, PollIntervalFollowsCameraAndMainProgram) {
  struct Case {
    const char* why;
    bool camera;
    bool running;
    bool debug;
    long interval;
  };
  const std::vector<Case> cases = {
      {"camera, program running", true, true, false, 100},
      {"no camera: every read fails", false, true, false, 1000},
      {"program not running, not in debug mode", true, false, false, 1000},
      {"program not running, debug mode", true, false, true, 100},
      {"nothing, debug mode", false, false, true, 1000},
  };
  for (const Case& c : cases) {
    ManualTimers caseTimers;
    FakeUsbBus caseBus;
    BMDeviceInfoManager caseModels;
    RecordingProgram caseProgram(caseTimers);
    caseProgram.running = c.running;
    if (c.camera) caseBus.Plug(caseBus.Add({.name = "cam", .vendor = 0x04B8, .product = 0x0F01, .location = {1}}));
    BMMainController caseController(caseTimers, &caseBus, caseProgram, caseModels);
    caseController.applicationDidFinishLaunching(c.debug);
    EXPECT_EQ(caseController.lastPollInterval().count(), 100) << c.why;
    caseTimers.Advance(ms(100));
    EXPECT_EQ(caseController.lastPollInterval().count(), c.interval) << c.why;
    EXPECT_EQ(caseTimers.pending(), 1u) << c.why;  // exactly one poll pending
  }
}

TEST_F(ControllerTest, FirstPressLaunchesTheProgramThenPollsSpeedUp) {
  program.running = false;
  auto cam = Plug(0x0F01);
  cam->QueueBytes({0xFF, 0xBF, 0xFF});
  Start();
  timers.Advance(ms(100));  // idle, program not running: next poll in 1 s
  EXPECT_EQ(controller.lastPollInterval(), ms(1000));
  program.running = true;   // started by the first command
  timers.Advance(ms(1000));
  EXPECT_EQ(program.sent, (std::vector<Sent>{{1100, kIn}}));
  EXPECT_EQ(controller.lastPollInterval(), ms(100));
  EXPECT_EQ(program.asked.front(), "Merrowick");
}

TEST_F(ControllerTest, NoCameraKeepsTheCoreAndTakesOneThatArrives) {
  Start();
  timers.Advance(ms(2100));
  BMUSBDeviceCore* core = controller.usbDevice();
  EXPECT_EQ(core->getUSBConnectionStatus(), 0);
  auto cam = Plug(0x0F01);
  cam->QueueBytes({0xBF, 0xFF});
  timers.Advance(ms(1000));
  EXPECT_EQ(controller.usbDevice(), core);
  EXPECT_EQ(program.sent, (std::vector<Sent>{{3100, kIn}}));
}

TEST_F(ControllerTest, ACameraThatCannotBeAskedIsLookedForAgainEachPoll) {
  auto cam = bus.Add({.name = "cam", .vendor = 0x04B8, .product = 0x0F01, .location = {1}, .videoControl = false});
  bus.Plug(cam);
  Start();
  timers.Advance(ms(100));
  size_t made = bus.watchesMade();
  timers.Advance(ms(1000));
  EXPECT_EQ(bus.watchesMade(), made + 3);  // one new core per poll
  EXPECT_EQ(controller.usbDevice()->getUSBConnectionStatus(), -1);
  EXPECT_EQ(bus.watchCount(), 3u);  // the replaced cores stopped watching
}

TEST_F(ControllerTest, DebugModeReportsOnlyChanges) {
  std::vector<std::pair<std::string, int>> reports;
  for (const char* name : {kBMWebCamSystemStatusChange, kBMZoomBtnStateChange}) {
    controller.notificationCenter().addObserver(name, [&reports, name](int v) { reports.push_back({name, v}); });
  }
  auto cam = Plug(0x0F01);
  cam->QueueBytes({0xFF, 0xFF, 0xBF, 0xBF, 0xFF, 0xFF, 0xFF});
  Start(/*debug=*/true);
  timers.Advance(ms(200));  // status 0 and no button: nothing to report
  EXPECT_TRUE(reports.empty());
  timers.Advance(ms(300));  // zoom in seen at 300, released at 500
  program.running = false;
  timers.Advance(ms(100));  // camera ready, program gone: 2
  bus.Unplug(cam);
  timers.Advance(ms(100));  // no camera: 3, reads fail: -1
  program.running = true;
  timers.Advance(ms(1000));  // program back without camera: 1
  using R = std::pair<std::string, int>;
  EXPECT_EQ(reports, (std::vector<R>{{kBMZoomBtnStateChange, 1},
                                     {kBMZoomBtnStateChange, 0},
                                     {kBMWebCamSystemStatusChange, 2},
                                     {kBMWebCamSystemStatusChange, 3},
                                     {kBMZoomBtnStateChange, -1},
                                     {kBMWebCamSystemStatusChange, 1}}));
}

}  // namespace
