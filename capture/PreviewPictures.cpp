#include "PreviewPictures.h"

#include <ctime>
#include <utility>

namespace {

uint64_t ThreadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return uint64_t(t.tv_sec) * 1000000000u + uint64_t(t.tv_nsec);
}

// Frames made after the view last asked: a view that stopped showing
// frames (hidden, closed) stops costing the capture thread.
constexpr int64_t kAskedFor = 30;

}  // namespace

void CPreviewPictures::Ask(int32_t width, int32_t height, double zoom) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_width = width;
  m_height = height;
  m_zoom = zoom;
  m_askedAt = m_shownIndex;
}

void CPreviewPictures::Make(const media::Frame& frame) {
  int32_t width, height;
  double zoom;
  Slot* slot;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_width <= 0 || m_height <= 0 || m_askedAt < 0 || frame.index > m_askedAt + kAskedFor) return;
    width = m_width, height = m_height, zoom = m_zoom;
    slot = &m_slots[m_making];
  }
  const uint64_t cpu0 = ThreadCpuNs();
  // The slot being made belongs to this thread until it is handed over.
  const plat::Offscreen world{frame.width, frame.height, plat::kOffscreenARGB32, frame.rowBytes,
                              const_cast<uint8_t*>(frame.pixels.data())};
  const bool made = slot->surface.Update(&world, width, height, zoom);
  {
    std::lock_guard<std::mutex> hold(m_lock);
    slot->index = made ? frame.index : -1;
    if (made) std::swap(m_making, m_ready);
  }
  m_cpuNs += ThreadCpuNs() - cpu0;
}

void CPreviewPictures::Show(int64_t index) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_shownIndex = index;
  if (m_slots[m_ready].index == index) std::swap(m_ready, m_shown);
}

const CPreviewSurface* CPreviewPictures::Shown(const plat::Offscreen* world, int32_t width, int32_t height,
                                               double zoom) const {
  std::lock_guard<std::mutex> hold(m_lock);
  const Slot& slot = m_slots[m_shown];
  if (slot.index < 0 || slot.index != m_shownIndex || !slot.surface.Matches(world, width, height, zoom)) return nullptr;
  return &slot.surface;
}

void CPreviewPictures::Reset() {
  std::lock_guard<std::mutex> hold(m_lock);
  for (Slot& slot : m_slots) slot.index = -1;
  m_askedAt = -1;
  m_shownIndex = -1;
}
