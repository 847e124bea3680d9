#include "media/CameraControls.h"

#include <gtest/gtest.h>

namespace {

using namespace media;

TEST(CameraControls, StandInCameraKeepsItsSettings) {
  std::vector<CaptureDevice> devices = ListVideoDevices();
  ASSERT_FALSE(devices.empty());
  std::vector<CameraControl> controls = ListCameraControls(devices[0]);
  ASSERT_GE(controls.size(), 2u);
  EXPECT_EQ(controls[0].name, "Brightness");
  uint32_t brightness = controls[0].id;
  EXPECT_TRUE(SetCameraControl(devices[0], brightness, 12));
  EXPECT_EQ(ListCameraControls(devices[0])[0].value, 12);
  EXPECT_FALSE(SetCameraControl(devices[0], brightness, controls[0].maximum + 1)) << "outside the range";
  EXPECT_FALSE(SetCameraControl(devices[0], 0x12345, 1)) << "no such control";
  EXPECT_TRUE(SetCameraControl(devices[0], brightness, controls[0].defaultValue));

  CaptureDevice notACamera;
  notACamera.backend = "video4linux2";
  notACamera.id = "/dev/null";
  EXPECT_TRUE(ListCameraControls(notACamera).empty());
  EXPECT_FALSE(SetCameraControl(notACamera, brightness, 1));
}

}  // namespace
