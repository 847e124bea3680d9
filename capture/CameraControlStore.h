#pragma once
// A camera's picture settings kept in the preferences, one value per
// setting and camera (by the device's name), so that each camera comes back
// as its user left it.
#include <cstdint>

#include "media/CaptureDevices.h"

namespace CameraControlStore {

void Store(const media::CaptureDevice& camera, uint32_t id, int32_t value);
// Forgets every kept setting of the camera (back to the device's defaults).
void Forget(const media::CaptureDevice& camera);
// Sets every kept setting the camera still offers; the number set.
int Restore(const media::CaptureDevice& camera);

}  // namespace CameraControlStore
