#pragma once
// The guard every window of the suite applies when it is moved: at least
// 30 pixels of it stay inside the screen's work area in each direction, and
// its top never goes above the work area (the title bar stays reachable).
#include "qel/QelWindow.h"

inline constexpr int32_t kORVReachableMargin = 30;

// Moves the window (keeping its size) when it is out of reach; nothing for a
// window not created yet.
void KeepWindowOnScreen(CQelWindow* window);
