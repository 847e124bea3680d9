#pragma once
// Window messages: posted ones queue in order and are delivered on the main
// thread; sent ones run at once (from a worker, the caller waits).
#include <cstdint>
#include <functional>

#include "qel/QelCore.h"

// Messages numbered as on Windows.
enum QelMessageId : uint32_t {
  QEL_WM_DESTROY = 2,
  QEL_WM_MOVE = 3,
  QEL_WM_SIZE = 5,
  QEL_WM_ACTIVATE = 6,
  QEL_WM_CLOSE = 16,
  QEL_WM_KEYDOWN = 256,
  QEL_WM_KEYUP = 257,
  QEL_WM_CHAR = 258,
  QEL_WM_SYSKEYDOWN = 260,
  QEL_WM_TIMER = 275,
  // Pointer input, offered to the window before its elements: the point in
  // window coordinates in lParam (x in the low, y in the high 16 bits,
  // signed), the buttons held and the modifiers (QEL_MK_*) in wParam. The
  // wheel (522) comes after the elements, with its delta in wParam.
  QEL_WM_MOUSEMOVE = 512,
  QEL_WM_LBUTTONDOWN = 513,
  QEL_WM_LBUTTONUP = 514,
  QEL_WM_LBUTTONDBLCLK = 515,
  QEL_WM_RBUTTONDOWN = 516,
  QEL_WM_RBUTTONUP = 517,
  QEL_WM_RBUTTONDBLCLK = 518,
  QEL_WM_MBUTTONDOWN = 519,
  QEL_WM_MBUTTONUP = 520,
  QEL_WM_MBUTTONDBLCLK = 521,
  QEL_WM_MOUSEWHEEL = 522,
};

enum QelMouseKeys : uint32_t {
  QEL_MK_LBUTTON = 1,
  QEL_MK_RBUTTON = 2,
  QEL_MK_SHIFT = 4,
  QEL_MK_CONTROL = 8,
  QEL_MK_MBUTTON = 16,
};

// Key codes carried in wParam of key messages.
enum QelKey : uint32_t {
  QEL_KEY_ENTER = 3,
  QEL_KEY_HELP = 5,
  QEL_KEY_BACKSPACE = 8,
  QEL_KEY_RETURN = 13,
  QEL_KEY_ESCAPE = 27,
};

// 1 when queued, 0 for a window that does not exist (any thread).
QEL_API int32_t PostMessage(WindowRef window, uint32_t msg, QELWPARAM wparam, QELLPARAM lparam);
// The window's answer; 0 for a window that does not exist. From a worker
// thread it waits for the main thread to handle it.
QEL_API intptr_t SendMessage(WindowRef window, uint32_t msg, QELWPARAM wparam, QELLPARAM lparam);

QEL_API bool QelIsMainThread();
namespace qel {
// Runs `fn` on the main thread, after the messages already posted.
QEL_API void RunOnMain(std::function<void()> fn);
// Delivers every queued message now (main thread; tests and modal loops).
QEL_API void DeliverPostedMessages();
}  // namespace qel
