// The album under the pointer and the arrow keys, when the edit page looks
// at them before the album does.
#include "CaptureView.h"
#include "EditGlobals.h"
#include "EditPanel.h"

namespace {

constexpr uint32_t kLeftDown = 513, kLeftDouble = 515, kRightDown = 516, kRightUp = 517;
constexpr uint32_t kKeyLeft = 28, kKeyRight = 29, kKeyUp = 30, kKeyDown = 31;
constexpr uint32_t kOtherMessage = 0x1000000, kAlbumOff = 0xFF000000u;

}  // namespace

uint32_t CCaptureView::DoMouseMsg(uint32_t msg, QELWPARAM, QELLPARAM lParam, int& handled) {
  handled = 0;
  if (msg < 512 || msg > 525) return kOtherMessage;
  qel::Element* panel = m_pAlbumPanel ? qel::Element::From(m_pAlbumPanel->Handle()) : nullptr;
  qel::Album* album = GetCurrentAlbum();
  if (!panel || !album || !panel->EffectivelyVisible() || !panel->EffectivelyEnabled()) return kAlbumOff;
  const POINT at{int16_t(lParam & 0xFFFF), int16_t((lParam >> 16) & 0xFFFF)};
  const SRect32 box = album->Bounds();
  if (at.x < box.left || at.y < box.top || at.x >= box.right || at.y >= box.bottom) return 1;
  const int32_t index = album->IndexAt(POINT{at.x - box.left, at.y - box.top});
  CEditPanel* edit = vGetPanelHandle();
  switch (msg) {
    case kLeftDown:
      if (edit && edit->GetReset() && index >= 0 && index != album->Current()) {
        SelectByAsk(index);
        handled = 1;
      }
      return 2;
    case kLeftDouble:
      handled = 1;
      return 2;
    case kRightDown:
      if (index >= 0 && !album->IsSelected(index)) SelectOnly(index);
      return 2;
    case kRightUp:
      Notify(kAlbumNotifyRightRelease, -1);
      return 258;
    default:
      return 2;
  }
}

int32_t CCaptureView::SelectByAsk(int32_t target) {
  qel::Album* album = GetCurrentAlbum();
  CEditPanel* edit = vGetPanelHandle();
  if (!album || !edit) return 0;
  const std::u16string clicked = GetThumbnailPath(target);
  switch (edit->WarningSaveNew()) {
    case 0:  // cancelled: the edited file stays the chosen one
      SelectOnly(album->Current());
      return 0;
    case 1: {  // saved: the album may have gained a file, so find it again
      const int32_t again = GetThumbnailIndexByName(clicked.c_str());
      if (again >= 0) SelectOnly(again);
      return 1;
    }
    default:
      SelectOnly(target);
      return 1;
  }
}

int32_t CCaptureView::DoKeyMsg(uint32_t, uint32_t key, QELLPARAM, int& handled) {
  handled = 0;
  CEditPanel* edit = vGetPanelHandle();
  if (!edit || !edit->IsAlbumShow()) return 2;
  if (!edit->GetReset()) return 2;  // the album moves by itself
  qel::Album* album = GetCurrentAlbum();
  if (!album) return 0;
  const int32_t length = album->PerLine();
  const int32_t c = album->Current(), n = album->Count();
  int32_t target = -1;
  switch (key) {
    case kKeyLeft:
      if (c % length != 0) target = c - 1;
      break;
    case kKeyRight:
      if ((c + 1) % length != 0 && c + 1 != n) target = c + 1;
      break;
    case kKeyUp:
      if (c - length >= 0) target = c - length;
      break;
    case kKeyDown:
      if (c + length + 1 <= n) target = c + length;
      break;
    default:
      return 0;
  }
  // With edits open the album never moves by itself, not even across rows.
  handled = 1;
  if (target >= 0 && c >= 0) SelectByAsk(target);
  return 0;
}
