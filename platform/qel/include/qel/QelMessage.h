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
