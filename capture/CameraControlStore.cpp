#include "CameraControlStore.h"

#include <climits>
#include <string>

#include "Profile.h"
#include "media/CameraControls.h"
#include "qel/QelWideText.h"

namespace {

constexpr char16_t kSection[] = u"Section_CameraControls";
constexpr int32_t kUnset = INT32_MIN;

std::u16string Key(const media::CaptureDevice& camera, uint32_t id) {
  return QelFromUTF8("CameraControl " + camera.name + " " + std::to_string(id));
}

}  // namespace

namespace CameraControlStore {

void Store(const media::CaptureDevice& camera, uint32_t id, int32_t value) {
  SaveProfileInt(kSection, Key(camera, id).c_str(), value);
}

void Forget(const media::CaptureDevice& camera) {
  for (const media::CameraControl& c : media::ListCameraControls(camera))
    SaveProfileInt(kSection, Key(camera, c.id).c_str(), c.defaultValue);
}

int Restore(const media::CaptureDevice& camera) {
  int set = 0;
  for (const media::CameraControl& c : media::ListCameraControls(camera)) {
    const int32_t kept = LoadProfileInt(kSection, Key(camera, c.id).c_str(), kUnset);
    if (kept == kUnset || kept == c.value) continue;
    set += media::SetCameraControl(camera, c.id, kept) ? 1 : 0;
  }
  return set;
}

}  // namespace CameraControlStore
