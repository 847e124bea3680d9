// The USB core on a scripted bus: which camera it takes, the request it
// sends, failures, and unplugging and plugging back.
#include <gtest/gtest.h>

#include "BMDeviceInfoModels.h"
#include "BMUSBDeviceCore.h"
#include "usb/FakeUsbBus.h"

using plat::usb::FakeUsbBus;
using plat::usb::FakeUsbDevice;

namespace {

FakeUsbDevice::Spec Camera(const char* name, uint16_t product, plat::usb::Location location) {
  return {.name = name, .vendor = 0x04B8, .product = product, .location = std::move(location)};
}

class CoreTest : public ::testing::Test {
 protected:
  std::shared_ptr<FakeUsbDevice> Plugged(FakeUsbDevice::Spec spec) {
    auto d = bus.Add(std::move(spec));
    bus.Plug(d);
    return d;
  }
  FakeUsbBus bus;
  BMDeviceInfoManager models;
};

TEST_F(CoreTest, SendsTheVendorRequestAndDecodes) {
  auto cam = Plugged(Camera("zoom", 0x0F01, {1, 2}));
  cam->QueueBytes({0xBF});
  BMUSBDeviceCore core(&bus, models);
  ASSERT_EQ(core.runUSBConnectionCheck(), 0);
  EXPECT_EQ(core.getUSBConnectionStatus(), 1);
  EXPECT_TRUE(cam->isOpen());
  std::shared_ptr<BMNotification> n;
  EXPECT_EQ(core.getBtnStatus(&n), 1);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->commandLine(), u"-Capture/Zoomin");
  ASSERT_EQ(cam->requests().size(), 1u);
  EXPECT_EQ(cam->requests()[0], (std::vector<uint8_t>{0xC1, 0x00, 0x00, 0x00, 0x84, 0x00, 0x01, 0x00}));
}

TEST_F(CoreTest, TakesTheFirstModelInListOrderThenTheSmallestLocation) {
  struct Case {
    const char* why;
    std::vector<FakeUsbDevice::Spec> cameras;
    const char* taken;
  };
  const std::vector<Case> cases = {
      {"record model before zoom model",
       {Camera("zoom", 0x0F01, {1, 1}), Camera("lumbrel", 0x0C02, {1, 5})}, "lumbrel"},
      {"Quorvin before Lumbrel", {Camera("lumbrel", 0x0C02, {1, 1}), Camera("quorvin", 0x0C05, {2, 1})}, "quorvin"},
      {"smallest location", {Camera("far", 0x0F01, {2, 1}), Camera("near", 0x0F01, {1, 4, 2})}, "near"},
      {"shorter port path first", {Camera("deep", 0x0F01, {1, 3, 1}), Camera("top", 0x0F01, {1, 3})}, "top"},
      {"equal locations keep the first seen", {Camera("first", 0x0F01, {1, 2}), Camera("second", 0x0F01, {1, 2})},
       "first"},
  };
  for (const Case& c : cases) {
    FakeUsbBus caseBus;
    BMDeviceInfoManager caseModels;
    for (const auto& spec : c.cameras) caseBus.Plug(caseBus.Add(spec));
    BMUSBDeviceCore core(&caseBus, caseModels);
    ASSERT_EQ(core.runUSBConnectionCheck(), 0) << c.why;
    EXPECT_EQ(core.getUSBConnectionStatus(), 1) << c.why;
    core.getBtnStatus(nullptr);
    for (const auto& spec : c.cameras) {
      bool asked = !caseBus.Find(spec.name)->requests().empty();
      EXPECT_EQ(asked, spec.name == c.taken) << c.why << ": " << spec.name;
    }
  }
}

TEST_F(CoreTest, AHeldCameraStaysUntilUnpluggedThenOneStillPresentIsTaken) {
  BMUSBDeviceCore core(&bus, models);
  ASSERT_EQ(core.runUSBConnectionCheck(), 0);
  EXPECT_EQ(core.getUSBConnectionStatus(), 0);
  EXPECT_EQ(core.getBtnStatus(nullptr), -1);

  auto first = Plugged(Camera("first", 0x0F01, {3, 1}));
  core.processUSBEvents();
  EXPECT_EQ(core.getUSBConnectionStatus(), 1);
  auto second = Plugged(Camera("second", 0x0C02, {1, 1}));  // would win at arming, but one is held
  core.processUSBEvents();
  core.getBtnStatus(nullptr);
  EXPECT_EQ(first->requests().size(), 1u);
  EXPECT_TRUE(second->requests().empty());

  bus.Unplug(first);
  core.processUSBEvents();
  EXPECT_EQ(core.getUSBConnectionStatus(), 1);
  EXPECT_EQ(core.deviceInfo()->productId(), 0x0C02);
  core.getBtnStatus(nullptr);
  EXPECT_EQ(second->requests().size(), 1u);

  bus.Unplug(second);
  core.processUSBEvents();
  EXPECT_EQ(core.getUSBConnectionStatus(), 0);
  EXPECT_EQ(core.deviceInfo(), nullptr);
  // Plugged back: re-armed.
  bus.Plug(first);
  core.processUSBEvents();
  EXPECT_EQ(core.getUSBConnectionStatus(), 1);
}

TEST_F(CoreTest, CamerasThatCannotBeAskedAnswerMinusOne) {
  struct Case {
    const char* why;
    FakeUsbDevice::Spec spec;
  };
  auto novc = Camera("novc", 0x0F01, {1, 1});
  novc.videoControl = false;
  auto noaccess = Camera("noaccess", 0x0F01, {1, 1});
  noaccess.accessDenied = true;
  for (const Case& c : {Case{"no video-control interface", novc}, Case{"access refused", noaccess}}) {
    FakeUsbBus caseBus;
    BMDeviceInfoManager caseModels;
    caseBus.Plug(caseBus.Add(c.spec));
    BMUSBDeviceCore core(&caseBus, caseModels);
    ASSERT_EQ(core.runUSBConnectionCheck(), 0) << c.why;
    EXPECT_EQ(core.getUSBConnectionStatus(), -1) << c.why;
    EXPECT_EQ(core.getBtnStatus(nullptr), -1) << c.why;
  }
}

TEST_F(CoreTest, AFailedRequestLeavesTheModelsLastDecode) {
  auto cam = Plugged(Camera("zoom", 0x0F01, {1, 1}));
  cam->QueueBytes({0xFD});
  cam->QueueError();
  BMUSBDeviceCore core(&bus, models);
  core.runUSBConnectionCheck();
  std::shared_ptr<BMNotification> n;
  EXPECT_EQ(core.getBtnStatus(&n), 2);
  auto kept = n;
  std::shared_ptr<BMNotification> untouched = BMNotification::initWithBtnStatus(1);
  n = untouched;
  EXPECT_EQ(core.getBtnStatus(&n), -1);
  EXPECT_EQ(n, untouched);  // out left as the caller set it
  EXPECT_EQ(core.deviceInfo()->buttonStatusForCurrentStatus(), 2);
  EXPECT_EQ(core.deviceInfo()->notificationForCurrentStatus(), kept);
}

TEST_F(CoreTest, RecordSwitchReconnectedInAnotherPositionSendsNothing) {
  auto cam = Plugged(Camera("record", 0x0C05, {1, 1}));
  cam->QueueBytes({0xFF, 0xFE});
  std::shared_ptr<BMNotification> n;
  {
    BMUSBDeviceCore core(&bus, models);
    core.runUSBConnectionCheck();
    EXPECT_EQ(core.getBtnStatus(&n), 0);
    EXPECT_EQ(n, nullptr);
    EXPECT_EQ(core.getBtnStatus(&n), 3);
    ASSERT_NE(n, nullptr);
    // Unplugged with the switch down, back with it up.
    bus.Unplug(cam);
    core.processUSBEvents();
    cam->QueueBytes({0xFF});
    bus.Plug(cam);
    core.processUSBEvents();
    EXPECT_EQ(core.getBtnStatus(&n), 0);
    EXPECT_EQ(n, nullptr);
  }
  // A new core finds the same model object: the state carries over, and
  // the first byte is again only a baseline.
  BMUSBDeviceCore next(&bus, models);
  next.runUSBConnectionCheck();
  cam->QueueBytes({0xFE});
  EXPECT_EQ(next.getBtnStatus(&n), 3);
  EXPECT_EQ(n, nullptr);
}

TEST_F(CoreTest, WatchesEndWithTheCoreAndFailedWatchingAnswersMinusOne) {
  {
    BMUSBDeviceCore core(&bus, models);
    core.runUSBConnectionCheck();
    EXPECT_EQ(bus.watchCount(), 3u);
    // A re-arming after a removal sets up no second set.
    auto cam = Plugged(Camera("zoom", 0x0F01, {1, 1}));
    core.processUSBEvents();
    bus.Unplug(cam);
    core.processUSBEvents();
    EXPECT_EQ(bus.watchCount(), 3u);
  }
  EXPECT_EQ(bus.watchCount(), 0u);
  bus.FailWatches(true);
  BMUSBDeviceCore failing(&bus, models);
  EXPECT_EQ(failing.runUSBConnectionCheck(), -1);
  BMUSBDeviceCore noBus(nullptr, models);
  EXPECT_EQ(noBus.runUSBConnectionCheck(), -1);
  EXPECT_EQ(noBus.getBtnStatus(nullptr), -1);
}

}  // namespace
