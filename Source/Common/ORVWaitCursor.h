#pragma once
// The scoped busy cursor: while one lives, every window asks for the watch
// cursor; the last one to go gives each window back the cursor it asked for
// before. Nested waits keep the watch until the outermost ends. Main thread
// only, like the windows.
#include <cstdint>

class CORVWaitCursor {
 public:
  static constexpr int32_t kArrowCursor = 0;
  static constexpr int32_t kWatchCursor = 7;

  CORVWaitCursor();
  ~CORVWaitCursor();
  CORVWaitCursor(const CORVWaitCursor&) = delete;
  CORVWaitCursor& operator=(const CORVWaitCursor&) = delete;

  // The program-wide cursor now: the watch while a wait lives, else the arrow.
  static int32_t CurrentCursor();
};
