#pragma once
// What a backend hands in when the user acts on a window: a click at a
// window point goes to the deepest visible element there; keys go to the
// window as messages 256 / 257 with the key code in wParam.
#include <cstdint>

#include "qel/QelWindow.h"

namespace qel::input {

// The element hit, after its click ran; null when nothing took the click
// (no element there, or it is disabled).
QEL_API Element* ClickAt(CQelWindow* window, POINT p);
// Key down or up; answers whether the window handled it. A key the window
// leaves unhandled goes to the element of the window that holds the
// keyboard focus (global value 2), when it takes keys. lParam of the key
// message: kKeyRepeat when the key was already down (auto-repeat).
QEL_API bool Key(CQelWindow* window, uint32_t key, bool down, QELLPARAM lparam = 0);
inline constexpr QELLPARAM kKeyRepeat = QELLPARAM(1) << 30;
// The modifier keys (PointerInput::kShift | kControl) held at the last key
// or pointer event a backend handed in.
QEL_API void SetModifiers(uint32_t modifiers);
QEL_API uint32_t Modifiers();
// Pointer input: presses, releases, double presses and moves are first
// offered to the window as mouse messages (QEL_WM_MOUSEMOVE ...
// QEL_WM_MBUTTONDBLCLK), which may mark them handled; then to the elements
// under the point, deepest first (moves and the release go to the element
// that took the press). True when the window or an element took it. The
// pointer position is recorded as for clicks. A wheel step no element takes
// goes to the window as message 522 with the signed delta (120 a step,
// positive away from the user) in wParam's high 16 bits.
QEL_API bool Pointer(CQelWindow* window, const PointerInput& input);
// The element holding the pointer (it took a press not yet released) hears
// kCancel and lets go. The window calls it when it is deactivated.
QEL_API void CancelPointer();
// Hands any event to an element's callback (event code and parameter).
QEL_API int32_t FireEvent(Element* element, int32_t event, QELLPARAM param);
// The pointer moved to a window point; kept in screen coordinates for
// QelGetCursorPos. Clicks record their point too.
QEL_API void PointerAt(CQelWindow* window, POINT p);

}  // namespace qel::input
