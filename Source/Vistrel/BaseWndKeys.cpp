// Keys and the mouse wheel of the image view. Holding a browsing key pauses
// the background readers, so that the key's repeats move through the list
// without decoding every file on the way.
#include "BaseWnd.h"
#include "GlobalFun.h"
#include "ThumbPool.h"
#include "qel/QelInput.h"

namespace {

bool s_bNeedPause = false;

// Character codes of the keys.
constexpr uint32_t kPageUp = 11, kPageDown = 12, kLeft = 28, kRight = 29, kUp = 30, kDown = 31, kSpace = 32;
// The Command modifier (Control on this desktop).
constexpr uint32_t kCommandKey = 256;
// A key message's lParam when the key was already down (a repeat).
constexpr intptr_t kRepeatBit = qel::input::kKeyRepeat;

bool IsBrowseKey(uint32_t key) { return key == kPageUp || key == kPageDown || (key >= kLeft && key <= kSpace); }

}  // namespace

void CBaseWnd::OnKeyDown(uint32_t wParam, intptr_t lParam) {
  const bool command = CGlobalFun::IsKeyDown(kCommandKey) != 0;
  switch (wParam) {
    case kPageUp:
    case kLeft:
    case kUp:
      DoPrevious();
      break;
    case kPageDown:
    case kRight:
    case kDown:
    case kSpace:
      DoNext();
      break;
    case u'+':
    case u'=':
      DoZoomIn();
      return;
    case u'-':
    case u'_':
      DoZoomOut();
      return;
    case u'a':
      if (command && CanDoActualSize()) DoActualSize();
      return;
    case u'b':
      if (command && CanDoBestFit()) DoBestFit();
      return;
    case u'l':
      if (command) DoRotate(1);
      return;
    case u'r':
      if (command) DoRotate(0);
      return;
    case u'p':
      UpdateBtnState();
      return;
    default:
      return;
  }
  // A browsing key: its repeats pause the readers until it is released.
  if ((lParam & kRepeatBit) && !s_bNeedPause) {
    if (m_pThumbPool) m_pThumbPool->PauseCacheThread(1);
    PauseReadOrgImage(1);
    s_bNeedPause = true;
  }
}

void CBaseWnd::OnKeyUp(uint32_t wParam, intptr_t) {
  if (!IsBrowseKey(wParam) || !s_bNeedPause) return;
  if (m_pThumbPool) m_pThumbPool->PauseCacheThread(0);
  PauseReadOrgImage(0);
  s_bNeedPause = false;
}

void CBaseWnd::OnMouseWheel(uint32_t wParam, intptr_t) {
  const int16_t delta = static_cast<int16_t>(wParam >> 16);
  if (delta >= 1) {
    DoPrevious();
  } else if (delta < 0) {
    DoNext();
  }
}
