// Window housekeeping: widgets, bounds, title, showing, painting, modal
// state and the rendering saved as a PNG.
#include "GtkWindowHost.h"

#include <gdk/gdkx.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "GtkBackend.h"
#include "qel/QelApp.h"
#include "qel/QelMessage.h"
#include "qel/QelPaint.h"

namespace qel::gtk {

namespace {

constexpr double kBackdrop = 0.94;  // as the headless rendering

// QEL_SCREENSHOT: taken once per process.
bool g_screenshot_taken = false;

const char* ScreenshotPath() {
  const char* p = std::getenv("QEL_SCREENSHOT");
  return p && *p ? p : nullptr;
}

bool IsScreenshotWindow(CQelWindow* w) {
  if (g_screenshot_taken || !ScreenshotPath()) return false;
  CQelApp* app = CQelApp::GetApp();
  CQelWindow* main = app ? app->GetQelMainWnd() : nullptr;
  return !main || main == w;
}

// A window with cut corners carries its shape as this property: the address
// of a std::vector<SRect32> in window coordinates (empty: no shape).
constexpr uint32_t kShapeCreator = QelFourCC("QELA");
constexpr uint32_t kShapeTag = QelFourCC("SHPE");

bool SameRects(const std::vector<SRect32>& a, const std::vector<SRect32>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0);
}

bool PositionsAreReal() {
  GdkDisplay* d = gdk_display_get_default();
  return d && GDK_IS_X11_DISPLAY(d);
}

}  // namespace

GtkWindowHost::GtkWindowHost(CQelWindow* w) : window_(w) {
  toplevel_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_decorated(GTK_WINDOW(toplevel_), FALSE);
  overlay_ = gtk_overlay_new();
  area_ = gtk_drawing_area_new();
  gtk_widget_set_can_focus(area_, TRUE);
  gtk_widget_add_events(area_, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                   GDK_POINTER_MOTION_MASK | GDK_ENTER_NOTIFY_MASK |
                                   GDK_LEAVE_NOTIFY_MASK | GDK_SCROLL_MASK | GDK_SMOOTH_SCROLL_MASK);
  gtk_container_add(GTK_CONTAINER(overlay_), area_);
  gtk_container_add(GTK_CONTAINER(toplevel_), overlay_);

  g_signal_connect(area_, "draw", G_CALLBACK(&GtkWindowHost::OnDraw), this);
  g_signal_connect(area_, "button-press-event", G_CALLBACK(&GtkWindowHost::OnButtonPress), this);
  g_signal_connect(area_, "button-release-event", G_CALLBACK(&GtkWindowHost::OnButtonRelease), this);
  g_signal_connect(area_, "motion-notify-event", G_CALLBACK(&GtkWindowHost::OnMotion), this);
  g_signal_connect(area_, "leave-notify-event", G_CALLBACK(&GtkWindowHost::OnLeave), this);
  g_signal_connect(area_, "scroll-event", G_CALLBACK(&GtkWindowHost::OnScroll), this);
  gtk_widget_set_has_tooltip(area_, TRUE);
  g_signal_connect(area_, "query-tooltip", G_CALLBACK(&GtkWindowHost::OnQueryTooltip), this);
  g_signal_connect(overlay_, "get-child-position", G_CALLBACK(&GtkWindowHost::OnChildPosition), this);
  g_signal_connect(toplevel_, "key-press-event", G_CALLBACK(&GtkWindowHost::OnKey), this);
  g_signal_connect(toplevel_, "key-release-event", G_CALLBACK(&GtkWindowHost::OnKey), this);
  g_signal_connect(toplevel_, "configure-event", G_CALLBACK(&GtkWindowHost::OnConfigure), this);
  g_signal_connect(toplevel_, "delete-event", G_CALLBACK(&GtkWindowHost::OnDelete), this);
  g_signal_connect(toplevel_, "notify::is-active", G_CALLBACK(&GtkWindowHost::OnActiveChanged), this);

  gtk_widget_show_all(overlay_);
  // The window has the keys when it opens (GTK would give them to its first
  // entry); Tab moves them on from there.
  gtk_widget_grab_focus(area_);
  ApplyWindowKind();
  ApplyTitle();
  ApplyBounds();
  SyncEntries();
  ApplyMenuBar();
}

GtkWindowHost::~GtkWindowHost() { Detach(); }

void GtkWindowHost::Detach() {
  if (!window_) return;
  window_ = nullptr;  // signals from here on are ignored
  if (sync_source_) g_source_remove(sync_source_);
  if (shot_source_) g_source_remove(shot_source_);
  sync_source_ = shot_source_ = 0;
  for (Element* e : hover_) e->Release();
  hover_.clear();
  ReleasePress();
  DropFocus();
  DropEntries();
  DropMenuBar();
  // A combo pop-up still open goes with its window.
  for (GList* m = gtk_menu_get_for_attach_widget(area_); m; m = m->next) {
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(m->data));
  }
  gtk_widget_destroy(toplevel_);
  toplevel_ = overlay_ = area_ = nullptr;
}

void GtkWindowHost::ApplyWindowKind() {
  const QelCreateStruct& cs = window_->CreateStruct();
  GtkWindow* win = GTK_WINDOW(toplevel_);
  CQelWindow* parent = CQelWindow::FetchQelWindow(cs.parent);
  GtkBackend* backend = GtkBackend::Active();
  GtkWindowHost* parent_host = parent && backend ? backend->HostOf(parent) : nullptr;
  // The main window has a class below 5 too: only real modal windows are dialogs.
  bool modal = dynamic_cast<CQelModalWnd*>(window_) != nullptr;
  if (cs.windowClass == 10) {
    gtk_window_set_type_hint(win, GDK_WINDOW_TYPE_HINT_UTILITY);
    gtk_window_set_keep_above(win, TRUE);
  } else if (modal) {
    gtk_window_set_type_hint(win, GDK_WINDOW_TYPE_HINT_DIALOG);
  }
  if (parent_host && (cs.windowClass == 10 || modal)) {
    gtk_window_set_transient_for(win, GTK_WINDOW(parent_host->Toplevel()));
  }
  if (cs.alpha > 0.0 && cs.alpha < 1.0) gtk_widget_set_opacity(toplevel_, cs.alpha);
}

void GtkWindowHost::ApplyTitle() {
  if (!window_) return;
  std::string title = ToU8(window_->Title());
  gtk_window_set_title(GTK_WINDOW(toplevel_), title.c_str());
}

void GtkWindowHost::ApplyBounds() {
  if (!window_) return;
  SRect32 b = window_->Bounds();
  SIZE min = window_->GetMinSize();
  GdkGeometry g{};
  g.min_width = std::max(min.cx, 1);
  g.min_height = std::max(min.cy, 1);
  gtk_window_set_geometry_hints(GTK_WINDOW(toplevel_), nullptr, &g, GDK_HINT_MIN_SIZE);
  if (std::memcmp(&b, &requested_, sizeof b) == 0) return;  // what the screen has
  requested_ = b;
  int w = std::max(b.right - b.left, 1), h = std::max(b.bottom - b.top, 1);
  gtk_window_move(GTK_WINDOW(toplevel_), b.left, b.top);
  gtk_window_resize(GTK_WINDOW(toplevel_), w, h);
}

void GtkWindowHost::Show(int32_t cmd) {
  if (!window_) return;
  GtkWindow* win = GTK_WINDOW(toplevel_);
  switch (cmd) {
    case 0:
      if (window_->GetWindowClass() == 4) gtk_window_unfullscreen(win);
      gtk_widget_hide(toplevel_);
      return;
    case 2:
    case 6:
      gtk_window_iconify(win);
      return;
    default:
      gtk_window_deiconify(win);
      ApplyBounds();
      gtk_widget_show(toplevel_);
      // A full-screen window covers panels and bars too.
      if (window_->GetWindowClass() == 4) gtk_window_fullscreen(win);
      gtk_window_present(win);
      return;
  }
}

void GtkWindowHost::Invalidate() {
  if (!window_) return;
  gtk_widget_queue_draw(area_);
  // Native entries follow their elements once the burst of changes is over.
  if (!sync_source_) sync_source_ = g_idle_add(&GtkWindowHost::OnIdleSync, this);
}

void GtkWindowHost::InvalidateRect(const SRect32& r) {
  if (!window_ || r.right <= r.left || r.bottom <= r.top) return;
  gtk_widget_queue_draw_area(area_, r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (!sync_source_) sync_source_ = g_idle_add(&GtkWindowHost::OnIdleSync, this);
}

gboolean GtkWindowHost::OnIdleSync(gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  h->sync_source_ = 0;
  h->SyncEntries();
  h->SyncMenuBar();
  h->RefreshChangedToolTip();  // a control that changed under the pointer says so
  return G_SOURCE_REMOVE;
}

void GtkWindowHost::BeginFrameAction(int32_t kind, const GdkEvent* press) {
  if (!window_ || !gtk_widget_get_mapped(toplevel_)) return;
  gint button = 1;
  gint x = 0, y = 0;
  guint32 time = gtk_get_current_event_time();
  if (press && press->type == GDK_BUTTON_PRESS) {
    button = gint(press->button.button);
    x = gint(press->button.x_root);
    y = gint(press->button.y_root);
    time = press->button.time;
  } else {
    GdkSeat* seat = gdk_display_get_default_seat(gtk_widget_get_display(toplevel_));
    gdk_device_get_position(gdk_seat_get_pointer(seat), nullptr, &x, &y);
  }
  GtkWindow* win = GTK_WINDOW(toplevel_);
  if (kind == QEL_FRAME_DRAG) {
    gtk_window_begin_move_drag(win, button, x, y, time);
  } else if (kind == QEL_FRAME_RESIZE) {
    gtk_window_begin_resize_drag(win, GDK_WINDOW_EDGE_SOUTH_EAST, button, x, y, time);
  }
}

void GtkWindowHost::ModalStarted() {
  if (!window_) return;
  GtkWindow* win = GTK_WINDOW(toplevel_);
  if (!gtk_window_get_transient_for(win)) {
    // No parent given: the window in front of it is the one it blocks.
    GtkBackend* backend = GtkBackend::Active();
    std::vector<CQelWindow*> order = QelWindows();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
      if (*it == window_ || !(*it)->IsWindowVisible()) continue;
      if (GtkWindowHost* h = backend ? backend->HostOf(*it) : nullptr) {
        gtk_window_set_transient_for(win, GTK_WINDOW(h->Toplevel()));
        break;
      }
    }
  }
  CenterOnParent();
  gtk_window_set_modal(win, TRUE);
  gtk_window_present(win);
}

void GtkWindowHost::CenterOnParent() {
  // A dialog sits over the window it belongs to (pop-ups stay where the
  // pointer is, a full-screen window covers the screen).
  const int32_t cls = window_->GetWindowClass();
  GtkWindow* parent = gtk_window_get_transient_for(GTK_WINDOW(toplevel_));
  if (cls == 3 || cls == 4 || !parent) return;
  CQelWindow* owner = nullptr;
  if (GtkBackend* backend = GtkBackend::Active()) {
    for (CQelWindow* w : QelWindows()) {
      GtkWindowHost* h = backend->HostOf(w);
      if (h && GTK_WINDOW(h->Toplevel()) == parent) owner = w;
    }
  }
  if (!owner) return;
  const SRect32 p = owner->Bounds(), b = window_->Bounds();
  const int32_t w = b.right - b.left, h = b.bottom - b.top;
  const SRect32 area = CurrentBackend().WorkArea();
  int32_t x = p.left + ((p.right - p.left) - w) / 2, y = p.top + ((p.bottom - p.top) - h) / 2;
  x = std::max(area.left, std::min(x, area.right - w));
  y = std::max(area.top, std::min(y, area.bottom - h));
  SRect32 placed{x, y, x + w, y + h};
  if (std::memcmp(&placed, &b, sizeof b) != 0) window_->MoveWindow(&placed);
}

void GtkWindowHost::ModalEnded() {
  if (window_) gtk_window_set_modal(GTK_WINDOW(toplevel_), FALSE);
}

gboolean GtkWindowHost::OnDraw(GtkWidget*, cairo_t* cr, gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  if (!h->window_) return FALSE;
  cairo_set_source_rgb(cr, kBackdrop, kBackdrop, kBackdrop);
  cairo_paint(cr);
  PaintTree(cr, h->window_->Root());
  h->PaintFocus(cr);
  h->ApplyShape();
  if (!h->shot_source_ && h->window_ && IsScreenshotWindow(h->window_)) {
    // Saved from the loop: the saving draws the window again.
    h->shot_source_ = g_idle_add(&GtkWindowHost::OnScreenshot, h);
  }
  return FALSE;
}

void GtkWindowHost::ApplyShape() {
  auto* wanted = static_cast<const std::vector<SRect32>*>(window_->GetProperty(kShapeCreator, kShapeTag));
  std::vector<SRect32> rects = wanted ? *wanted : std::vector<SRect32>{};
  if (SameRects(rects, shape_)) return;
  shape_ = rects;
  // GDK hands a new shape to the X server with the next frame.
  gtk_widget_queue_draw(toplevel_);
  if (rects.empty()) {
    gtk_widget_shape_combine_region(toplevel_, nullptr);
    return;
  }
  cairo_region_t* region = cairo_region_create();
  for (const SRect32& r : rects) {
    cairo_rectangle_int_t c{r.left, r.top, r.right - r.left, r.bottom - r.top};
    if (c.width > 0 && c.height > 0) cairo_region_union_rectangle(region, &c);
  }
  gtk_widget_shape_combine_region(toplevel_, region);
  cairo_region_destroy(region);
}

gboolean GtkWindowHost::OnScreenshot(gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  h->shot_source_ = 0;
  if (g_screenshot_taken || !h->window_) return G_SOURCE_REMOVE;
  g_screenshot_taken = true;
  const char* path = ScreenshotPath();
  if (h->SavePng(path)) {
    std::fprintf(stderr, "qel: screenshot of \"%s\" written to %s\n",
                 gtk_window_get_title(GTK_WINDOW(h->toplevel_)), path);
  } else {
    std::fprintf(stderr, "qel: cannot write the screenshot %s\n", path);
  }
  const char* quit = std::getenv("QEL_SCREENSHOT_EXIT");
  if (quit && std::strcmp(quit, "1") == 0) {
    if (CQelApp* app = CQelApp::GetApp()) app->Quit(0);
  }
  return G_SOURCE_REMOVE;
}

gboolean GtkWindowHost::OnConfigure(GtkWidget*, GdkEventConfigure* ev, gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  if (!h->window_) return FALSE;
  SRect32 now = h->window_->Bounds();
  SRect32 r = now;
  if (PositionsAreReal()) {
    gint x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(h->toplevel_), &x, &y);
    r.left = x;
    r.top = y;
  }
  r.right = r.left + ev->width;
  r.bottom = r.top + ev->height;
  if (std::memcmp(&r, &h->requested_, sizeof r) == 0 || std::memcmp(&r, &now, sizeof r) == 0) {
    return FALSE;
  }
  // The user (or the window manager) moved or sized it: the toolkit follows.
  h->requested_ = r;
  h->window_->MoveWindow(&r);
  return FALSE;
}

gboolean GtkWindowHost::OnDelete(GtkWidget*, GdkEvent*, gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  // The window decides through its close message; GTK never destroys it.
  if (h->window_) PostMessage(h->window_->GetWindowRef(), QEL_WM_CLOSE, 0, 0);
  return TRUE;
}

void GtkWindowHost::OnActiveChanged(GObject*, GParamSpec*, gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  if (!h->window_) return;
  bool active = gtk_window_is_active(GTK_WINDOW(h->toplevel_));
  if (active == h->active_) return;
  h->active_ = active;
  // As on Windows: wParam 1 activated, 0 deactivated.
  SendMessage(h->window_->GetWindowRef(), QEL_WM_ACTIVATE, active ? 1 : 0, 0);
}

bool GtkWindowHost::SavePng(const std::string& path) {
  if (!window_) return false;
  int w = 0, h = 0;
  bool native = gtk_widget_get_realized(overlay_) && gtk_widget_get_allocated_width(overlay_) > 1;
  if (native) {
    w = gtk_widget_get_allocated_width(overlay_);
    h = gtk_widget_get_allocated_height(overlay_);
  } else {
    SRect32 b = window_->Bounds();
    w = b.right - b.left;
    h = b.bottom - b.top;
  }
  if (w <= 0 || h <= 0) return false;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(s);
  if (native) {
    gtk_container_check_resize(GTK_CONTAINER(toplevel_));  // entries where they belong now
    gtk_widget_draw(overlay_, cr);
  } else {
    cairo_set_source_rgb(cr, kBackdrop, kBackdrop, kBackdrop);
    cairo_paint(cr);
    PaintTree(cr, window_->Root());
  }
  cairo_destroy(cr);
  bool ok = cairo_surface_write_to_png(s, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(s);
  return ok;
}

}  // namespace qel::gtk
