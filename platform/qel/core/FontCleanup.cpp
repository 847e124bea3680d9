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
    // Pango's own start-up thread holds the font map for a while; letting
    // it go there would free the fonts beside cairo's reset. The last
    // reference is dropped here, once the others are gone, or cairo is left
    // as it is.
    PangoFontMap* map = pango_cairo_font_map_get_default();
    g_object_ref(map);
    pango_cairo_font_map_set_default(nullptr);
    for (int i = 0; i < 2000 && g_atomic_int_get(&G_OBJECT(map)->ref_count) > 1; ++i) g_usleep(1000);
    const bool last = g_atomic_int_get(&G_OBJECT(map)->ref_count) == 1;
    g_object_unref(map);
    if (!last) return;
    cairo_debug_reset_static_data();
    // fontconfig is loaded with pango; free its caches when nothing holds them.
    if (auto fini = reinterpret_cast<void (*)()>(dlsym(RTLD_DEFAULT, "FcFini"))) fini();
#endif
  }
};

FontCleanup g_cleanup;

}  // namespace

}  // namespace qel
