// The GTK 3 backend, chosen when a display can be opened.
#include "GtkBackend.h"

#include "os/Bundle.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "GtkLook.h"
#include "QelGtk.h"

namespace qel {
extern std::atomic<bool> g_fonts_held_by_display;  // core
}

namespace qel::gtk {

namespace {

GdkMonitor* MainMonitor() {
  GdkDisplay* d = gdk_display_get_default();
  if (!d) return nullptr;
  GdkMonitor* m = gdk_display_get_primary_monitor(d);
  return m ? m : gdk_display_get_monitor(d, 0);
}

SRect32 ToRect(const GdkRectangle& r) { return SRect32{r.x, r.y, r.x + r.width, r.y + r.height}; }

// GTK scales the whole window by the monitor's scale factor (and by
// QEL_SCALE, handed to it as GDK_SCALE), layouts and drawing alike. The
// display ratio the programs scale their own sizes by therefore stays 1:
// taking the monitor's factor as well would scale those sizes twice.
void AskForScale() {
  const char* forced = std::getenv("QEL_SCALE");
  if (!forced || !*forced || std::getenv("GDK_SCALE")) return;
  int scale = std::atoi(forced);
  if (scale >= 1 && scale <= 8) setenv("GDK_SCALE", std::to_string(scale).c_str(), 1);
}

void ConfigureRatio() {
  double ratio = 1.0;
  Qel0ConfigEngine(QEL_ENGINE_DISPLAY_RATIO, &ratio);
}

std::unique_ptr<Backend> MakeGtkBackend() {
  // Window placement, shapes and keep-on-screen rules need X11; Wayland
  // still works, without them.
  gdk_set_allowed_backends("x11,*");
  AskForScale();
  if (!gtk_init_check(nullptr, nullptr)) {
    std::fprintf(stderr, "qel: the display cannot be opened; using the headless backend\n");
    return nullptr;
  }
  ConfigureRatio();
  return std::make_unique<GtkBackend>();
}

struct Registrar {
  Registrar() { RegisterBackendFactory("gtk", &MakeGtkBackend); }
} g_registrar;

}  // namespace

GtkBackend::GtkBackend() {
  g_fonts_held_by_display = true;
  ApplySuiteLook();
  // Every window carries the suite's icon: the installed one, or the
  // program bundle's own copy when it runs from where it was built.
  gtk_window_set_default_icon_name("dunsellow");
  if (auto bundle = plat::Bundle::Main()) {
    const std::string png = bundle->ResourcesPath() + "/dunsellow.png";
    if (g_file_test(png.c_str(), G_FILE_TEST_IS_REGULAR)) gtk_window_set_default_icon_from_file(png.c_str(), nullptr);
  }
}

GtkBackend::~GtkBackend() {
  if (reap_source_) g_source_remove(reap_source_);
  for (auto& [w, host] : hosts_) host->Detach();
  hosts_.clear();
  detached_.clear();
}

GtkBackend* GtkBackend::Active() { return dynamic_cast<GtkBackend*>(&CurrentBackend()); }

GtkWindowHost* GtkBackend::HostOf(CQelWindow* w) const {
  auto it = hosts_.find(w);
  return it == hosts_.end() ? nullptr : it->second.get();
}

void GtkBackend::WindowCreated(CQelWindow* w) {
  if (!hosts_.count(w)) hosts_[w] = std::make_unique<GtkWindowHost>(w);
}

void GtkBackend::WindowDestroyed(CQelWindow* w) {
  auto it = hosts_.find(w);
  if (it == hosts_.end()) return;
  it->second->Detach();
  // A signal handler of this host may be on the stack (a click that closed
  // the window): the host object goes on the next turn of the loop.
  detached_.push_back(std::move(it->second));
  hosts_.erase(it);
  if (!reap_source_) reap_source_ = g_idle_add(&GtkBackend::OnReap, this);
}

gboolean GtkBackend::OnReap(gpointer self) {
  auto* b = static_cast<GtkBackend*>(self);
  b->reap_source_ = 0;
  b->detached_.clear();
  return G_SOURCE_REMOVE;
}

void GtkBackend::WindowShown(CQelWindow* w, int32_t cmd) {
  if (GtkWindowHost* h = HostOf(w)) h->Show(cmd);
}

void GtkBackend::WindowBoundsChanged(CQelWindow* w) {
  if (GtkWindowHost* h = HostOf(w)) h->ApplyBounds();
}

void GtkBackend::WindowTitleChanged(CQelWindow* w) {
  if (GtkWindowHost* h = HostOf(w)) h->ApplyTitle();
}

void GtkBackend::Invalidate(CQelWindow* w) {
  if (GtkWindowHost* h = HostOf(w)) h->Invalidate();
}

void GtkBackend::InvalidateRect(CQelWindow* w, const SRect32& r) {
  if (GtkWindowHost* h = HostOf(w)) h->InvalidateRect(r);
}

void GtkBackend::BeginFrameAction(CQelWindow* w, int32_t kind) {
  GtkWindowHost* h = HostOf(w);
  if (!h) return;
  GdkEvent* ev = gtk_get_current_event();
  h->BeginFrameAction(kind, ev);
  if (ev) gdk_event_free(ev);
}

void GtkBackend::ModalStarted(CQelWindow* w) {
  if (GtkWindowHost* h = HostOf(w)) h->ModalStarted();
}

void GtkBackend::ModalEnded(CQelWindow* w) {
  if (GtkWindowHost* h = HostOf(w)) h->ModalEnded();
}

SRect32 GtkBackend::ScreenBounds() {
  GdkMonitor* m = MainMonitor();
  if (!m) return SRect32{0, 0, 1440, 900};
  GdkRectangle r;
  gdk_monitor_get_geometry(m, &r);
  return ToRect(r);
}

void GtkBackend::PaintNow(CQelWindow* w) {
  GtkWindowHost* h = HostOf(w);
  GdkWindow* win = h && h->Content() ? gtk_widget_get_window(h->Content()) : nullptr;
  if (!win) return;
  // The one call that draws now without running the main loop (deprecated
  // for ordinary drawing, still the way for a frame-by-frame animation).
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gdk_window_process_updates(win, TRUE);
  G_GNUC_END_IGNORE_DEPRECATIONS
  gdk_display_flush(gdk_window_get_display(win));
}

void GtkBackend::Beep() {
  if (GdkDisplay* d = gdk_display_get_default()) gdk_display_beep(d);
}

SRect32 GtkBackend::WorkArea() {
  GdkMonitor* m = MainMonitor();
  if (!m) return SRect32{0, 0, 1440, 900};
  GdkRectangle r;
  gdk_monitor_get_workarea(m, &r);
  return ToRect(r);
}

// ---- the backend's own API ----

GtkWidget* NativeWindow(CQelWindow* w) {
  GtkBackend* b = GtkBackend::Active();
  GtkWindowHost* h = b ? b->HostOf(w) : nullptr;
  return h ? h->Toplevel() : nullptr;
}

GtkWidget* NativeContent(CQelWindow* w) {
  GtkBackend* b = GtkBackend::Active();
  GtkWindowHost* h = b ? b->HostOf(w) : nullptr;
  return h ? h->Content() : nullptr;
}

GtkWidget* NativeEntry(CQelWindow* w, Element* edit) {
  GtkBackend* b = GtkBackend::Active();
  GtkWindowHost* h = b ? b->HostOf(w) : nullptr;
  return h ? h->EntryFor(edit) : nullptr;
}

Element* KeyboardFocus(CQelWindow* w, bool* ring_shown) {
  GtkBackend* b = GtkBackend::Active();
  GtkWindowHost* h = b ? b->HostOf(w) : nullptr;
  if (ring_shown) *ring_shown = false;
  return h ? h->KeyboardFocus(ring_shown) : nullptr;
}

bool SaveWindowPng(CQelWindow* w, const std::string& path) {
  GtkBackend* b = GtkBackend::Active();
  GtkWindowHost* h = b ? b->HostOf(w) : nullptr;
  return h && h->SavePng(path);
}

}  // namespace qel::gtk
