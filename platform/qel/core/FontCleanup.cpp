// Text measuring and painting load the font configuration once per process;
// under the address sanitizer hand it back at exit so the leak checker sees a
// clean process. Ordinary builds leave it to the process's end: cairo's reset
// aborts when anything (a late static, pango's own start-up thread) still
// holds a font, and a program must never fail on its way out.
#include <dlfcn.h>
#include <pango/pangocairo.h>

#include <atomic>

namespace qel {

std::atomic<bool> g_fonts_used{false};
// Set by a display backend whose toolkit keeps fonts and surfaces until the
// process ends: resetting cairo under it would trip cairo's own checks.
std::atomic<bool> g_fonts_held_by_display{false};

namespace {

struct FontCleanup {
  ~FontCleanup() {
#if defined(__SANITIZE_ADDRESS__)
    if (!g_fonts_used.load() || g_fonts_held_by_display.load()) return;
    pango_cairo_font_map_set_default(nullptr);
    cairo_debug_reset_static_data();
    // fontconfig is loaded with pango; free its caches when nothing holds them.
    if (auto fini = reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, "FcFini"))) fini();
#endif
  }
};

FontCleanup g_cleanup;

}  // namespace

}  // namespace qel
