#pragma once
// Running GLib's default context in a test: until a condition holds, with a
// generous guard so that a test never hangs, or for a while.
#include <glib.h>

#include <functional>

namespace testloop {

// False when the guard ran out first.
inline bool PumpUntil(const std::function<bool()>& done, unsigned seconds = 30) {
  bool expired = false;
  guint guard = g_timeout_add_seconds(seconds, [](gpointer flag) {
    *static_cast<bool*>(flag) = true;
    return gboolean(G_SOURCE_REMOVE);
  }, &expired);
  while (!done() && !expired) g_main_context_iteration(nullptr, TRUE);
  if (!expired) g_source_remove(guard);
  return !expired;
}

inline void PumpFor(unsigned ms) {
  bool over = false;
  g_timeout_add(ms, [](gpointer flag) {
    *static_cast<bool*>(flag) = true;
    return gboolean(G_SOURCE_REMOVE);
  }, &over);
  while (!over) g_main_context_iteration(nullptr, TRUE);
}

}  // namespace testloop
