#include "media/SoundLevel.h"

#include <pulse/pulseaudio.h>

#include <atomic>
#include <cmath>
#include <string>

namespace media {
namespace {

constexpr int kMaxLevel = 150;
std::atomic<int> g_standInLevel{100};

// One short conversation with the sound server on a loop of its own.
class PulseSession {
 public:
  PulseSession() : loop_(pa_mainloop_new()) {
    if (!loop_) return;
    context_ = pa_context_new(pa_mainloop_get_api(loop_), "Dunsellow");
    if (!context_ || pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return;
    for (;;) {
      const pa_context_state_t s = pa_context_get_state(context_);
      if (s == PA_CONTEXT_READY) {
        ready_ = true;
        return;
      }
      if (!PA_CONTEXT_IS_GOOD(s) || pa_mainloop_iterate(loop_, 1, nullptr) < 0) return;
    }
  }
  ~PulseSession() {
    if (context_) {
      pa_context_disconnect(context_);
      pa_context_unref(context_);
    }
    if (loop_) pa_mainloop_free(loop_);
  }
  bool Ready() const { return ready_; }
  pa_context* Context() const { return context_; }
  // Runs the loop until the operation is done; false when it failed.
  bool Wait(pa_operation* op) {
    if (!op) return false;
    while (pa_operation_get_state(op) == PA_OPERATION_RUNNING)
      if (pa_mainloop_iterate(loop_, 1, nullptr) < 0) break;
    const bool done = pa_operation_get_state(op) == PA_OPERATION_DONE;
    pa_operation_unref(op);
    return done;
  }

 private:
  pa_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  bool ready_ = false;
};

struct SourceVolume {
  bool found = false;
  pa_cvolume volume{};
};

void OnSourceInfo(pa_context*, const pa_source_info* info, int eol, void* data) {
  auto* out = static_cast<SourceVolume*>(data);
  if (eol || !info) return;
  out->found = true;
  out->volume = info->volume;
}

void OnSuccess(pa_context*, int success, void* data) { *static_cast<bool*>(data) = success != 0; }

bool IsPulse(const CaptureDevice& device) { return device.kind == DeviceKind::Sound && device.backend == "pulse"; }

bool IsStandIn(const CaptureDevice& device) { return device.kind == DeviceKind::Sound && device.backend == "lavfi"; }

}  // namespace

int GetSoundInputLevel(const CaptureDevice& device) {
  if (IsStandIn(device)) return g_standInLevel;
  if (!IsPulse(device)) return -1;
  PulseSession session;
  SourceVolume v;
  if (!session.Ready() ||
      !session.Wait(pa_context_get_source_info_by_name(session.Context(), device.id.c_str(), OnSourceInfo, &v)) ||
      !v.found)
    return -1;
  return int(std::lround(double(pa_cvolume_avg(&v.volume)) * 100.0 / PA_VOLUME_NORM));
}

bool SetSoundInputLevel(const CaptureDevice& device, int percent) {
  if (percent < 0 || percent > kMaxLevel) return false;
  if (IsStandIn(device)) {
    g_standInLevel = percent;
    return true;
  }
  if (!IsPulse(device)) return false;
  PulseSession session;
  SourceVolume v;
  if (!session.Ready() ||
      !session.Wait(pa_context_get_source_info_by_name(session.Context(), device.id.c_str(), OnSourceInfo, &v)) ||
      !v.found)
    return false;
  pa_cvolume volume = v.volume;
  pa_cvolume_set(&volume, volume.channels, pa_volume_t(uint64_t(PA_VOLUME_NORM) * uint64_t(percent) / 100u));
  bool ok = false;
  return session.Wait(pa_context_set_source_volume_by_name(session.Context(), device.id.c_str(), &volume, OnSuccess,
                                                           &ok)) &&
         ok;
}

double StandInSoundGain() { return g_standInLevel / 100.0; }

}  // namespace media
