// The scripted bus: script reading, steps, replies and recorded requests;
// and the libusb bus on a machine that may have no USB at all.
#include <gtest/gtest.h>

#include "usb/FakeUsbBus.h"
#include "usb/LibusbBus.h"

using namespace plat::usb;

namespace {

TEST(FakeUsbBus, PlaysAScriptOneStepPerTakeEvents) {
  std::string error;
  auto bus = FakeUsbBus::FromScript(
      "# two cameras\n"
      "device zoom 04b8:0f01 1-2.3\n"
      "device rec 04B8:0C02 2-1 noaccess\n"
      "plug zoom\n"
      "bytes zoom ff bf err\n"
      "step\n"
      "plug rec\n"
      "step\n"
      "unplug zoom   # gone\n",
      &error);
  ASSERT_NE(bus, nullptr) << error;
  int watch = bus->Watch(0x04B8, 0x0F01);
  bus->Watch(0x04B8, 0x0C02);
  auto zoom = bus->Find("zoom");
  EXPECT_EQ(zoom->GetLocation(), (Location{1, 2, 3}));
  EXPECT_EQ(LocationText(zoom->GetLocation()), "1-2.3");
  EXPECT_EQ(bus->Present(0x04B8, 0x0F01), std::vector<DevicePtr>{zoom});
  // The arrival before the watches was not announced; the first step plugs rec.
  auto events = bus->TakeEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, Event::kArrived);
  EXPECT_EQ(events[0].device, bus->Find("rec"));
  EXPECT_EQ(bus->Find("rec")->OpenForControl(kClassVideo, kSubclassVideoControl), kErrorAccess);

  ASSERT_EQ(zoom->OpenForControl(kClassVideo, kSubclassVideoControl), kOk);
  EXPECT_EQ(zoom->OpenForControl(kClassVideo, 2), kErrorNotFound);
  uint8_t byte = 0;
  ControlRequest r{0xC1, 0, 0, 0x84, 1};
  std::vector<int> answers;
  for (int i = 0; i < 4; ++i) {
    int n = zoom->ControlIn(r, &byte);
    answers.push_back(n == 1 ? byte : n);
  }
  EXPECT_EQ(answers, (std::vector<int>{0xFF, 0xBF, kErrorIo, kErrorIo}));  // the last reply repeats

  events = bus->TakeEvents();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, Event::kLeft);
  EXPECT_EQ(zoom->ControlIn(r, &byte), kErrorNoDevice);
  EXPECT_TRUE(bus->TakeEvents().empty());  // the script has ended

  // Unwatched ids are not announced.
  bus->Unwatch(watch);
  bus->Plug(zoom);
  EXPECT_TRUE(bus->TakeEvents().empty());
}

TEST(FakeUsbBus, RefusesBadScriptsWithTheLine) {
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"device a 04b8 1-1", "line 1"},
      {"device a 04b8:zz01 1-1", "bad ids"},
      {"device a 04b8:0f01 1-x", "bad location"},
      {"device a 04b8:0f01 1-300", "bad location"},
      {"device a 04b8:0f01 1-1 fast", "unknown device flag"},
      {"device a 04b8:0f01 1-1\ndevice a 04b8:0f01 1-2", "named twice"},
      {"plug b", "unknown device"},
      {"device a 04b8:0f01 1-1\nbytes a 1ff", "bad byte"},
      {"device a 04b8:0f01 1-1\njump a", "unknown command"},
      {"device a 04b8:0f01 1-1\nstep\nbytes a ff 100", "line 3"},
      {"device a 04b8:0f01 1-1\nstep\nplug b", "bad step command"},
  };
  for (const auto& [script, why] : cases) {
    std::string error;
    EXPECT_EQ(FakeUsbBus::FromScript(script, &error), nullptr) << script;
    EXPECT_NE(error.find(why), std::string::npos) << script << " -> " << error;
  }
}

TEST(LibusbBus, OpensOrSaysWhyAndFindsNoCameraThatIsNotThere) {
  std::string error;
  auto bus = OpenLibusbBus(&error);
  if (!bus) {
    EXPECT_FALSE(error.empty());
    GTEST_SKIP() << "libusb cannot start here: " << error;
  }
  // A vendor/product pair no device has.
  int handle = bus->Watch(0xFFFE, 0xFFFE);
  ASSERT_GT(handle, 0);
  EXPECT_TRUE(bus->Present(0xFFFE, 0xFFFE).empty());
  EXPECT_TRUE(bus->TakeEvents().empty());
  bus->Unwatch(handle);
}

}  // namespace
