#pragma once
// The state that the two image windows and the two reader threads share:
// the picture queue and its lock, the current path lock with the
// full-resolution picture, the pause lock, the threads, and the hand-overs
// in flight. One per process, made on first use.
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <semaphore>
#include <vector>

#include "BaseWnd.h"
#include "VdlCriticalSection.h"

namespace vistrel {

using CSLock = Vardel::CQelCriticalSection;

// A reader waits on it until the window has taken its result.
struct HandOver {
  std::binary_semaphore done{0};
};

struct ReaderState {
  ReaderState();
  ~ReaderState();

  // Queue entries, the preview area's size and every entry's bReading.
  QelCriticalSection csImgData;
  // Each window's current path and the full-resolution picture.
  QelCriticalSection csCurPath;
  // Held by the preview reader around each entry, and by the window's
  // thread while a browsing key repeats.
  QelCriticalSection csPause;
  bool paused = false;  // window's thread only

  std::vector<tagIMGFILEDATA> queue;  // 2N+1 entries
  std::vector<int> orderNext, orderPrevious;
  SIZE previewArea{0, 0};
  PubImage::QelPicture* orgImgPict = nullptr;

  QelThreadRef readThumbThread = nullptr;
  QelEventRef readThumbEvent = nullptr;
  std::atomic<bool> stopReadThumb{false};
  std::atomic<bool> readThumbExited{false};
  QelThreadRef readOrgThread = nullptr;
  QelEventRef readOrgEvent = nullptr;
  std::atomic<bool> stopReadOrg{false};
  std::atomic<bool> readingOrgImg{false};

  std::mutex handOverLock;
  std::map<intptr_t, std::shared_ptr<HandOver>> handOvers;
  intptr_t nextToken = 0;
};

ReaderState& Shared();

inline int QueueCentre() { return CBaseWnd::m_nOrgPictNum; }

}  // namespace vistrel
