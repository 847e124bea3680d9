#include "GtkTestSupport.h"

#include <cairo.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "PrivateDisplay.h"
#include "QelGtk.h"
#include "qel/QelBackend.h"
#include "qel/QelLayout.h"
#include "LoopWait.h"

namespace gtktest {

namespace {

GdkDevice* Pointer() {
  return gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
}

void SendButton(CQelWindow* w, GdkEventType type, POINT p) {
  GtkWidget* area = qel::gtk::NativeContent(w);
  ASSERT_TRUE(area && gtk_widget_get_realized(area));
  GdkEvent* ev = gdk_event_new(type);
  ev->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(area)));
  ev->button.x = p.x;
  ev->button.y = p.y;
  ev->button.x_root = p.x;
  ev->button.y_root = p.y;
  ev->button.button = 1;
  ev->button.time = GDK_CURRENT_TIME;
  gdk_event_set_device(ev, Pointer());
  gtk_main_do_event(ev);
  gdk_event_free(ev);
}

}  // namespace

bool UseGtkOnPrivateDisplay() {
  static int state = 0;  // 0 not tried, 1 usable, 2 not
  if (state == 0) {
    setenv("QEL_BACKEND", "gtk", 1);
    state = testenv::StartPrivateDisplay() && !qel::IsHeadless() ? 1 : 2;
  }
  return state == 1;
}

bool PumpUntil(const std::function<bool()>& done) {
  return testloop::PumpUntil(done, 20);
}

void PumpPending() {
  for (int i = 0; i < 10000 && g_main_context_iteration(nullptr, FALSE); ++i) {
  }
}

void Press(CQelWindow* w, POINT p) { SendButton(w, GDK_BUTTON_PRESS, p); }
void Release(CQelWindow* w, POINT p) { SendButton(w, GDK_BUTTON_RELEASE, p); }

void ClickAtPoint(CQelWindow* w, POINT p) {
  Press(w, p);
  if (CQelWindow::FetchQelWindow(w)) Release(w, p);
}

void MoveTo(CQelWindow* w, POINT p) {
  GtkWidget* area = qel::gtk::NativeContent(w);
  ASSERT_TRUE(area && gtk_widget_get_realized(area));
  GdkEvent* ev = gdk_event_new(GDK_MOTION_NOTIFY);
  ev->motion.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(area)));
  ev->motion.x = p.x;
  ev->motion.y = p.y;
  ev->motion.time = GDK_CURRENT_TIME;
  gdk_event_set_device(ev, Pointer());
  gtk_main_do_event(ev);
  gdk_event_free(ev);
}

void SendKey(CQelWindow* w, guint keyval, bool press) {
  GtkWidget* top = qel::gtk::NativeWindow(w);
  ASSERT_TRUE(top && gtk_widget_get_realized(top));
  GdkEvent* ev = gdk_event_new(press ? GDK_KEY_PRESS : GDK_KEY_RELEASE);
  ev->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(top)));
  ev->key.keyval = keyval;
  ev->key.time = GDK_CURRENT_TIME;
  gdk_event_set_device(ev, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
  gtk_main_do_event(ev);
  gdk_event_free(ev);
}

POINT CentreOf(CQelWindow* w, const char* element) {
  qel::Element* e = qel::Element::From(w->GetElementByName(element));
  if (!e) return POINT{-1, -1};
  SRect32 r = e->Bounds();
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

int CountInkPixels(const std::string& png, int* width, int* height) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
  int ink = -1;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(s);
    int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
    int stride = cairo_image_surface_get_stride(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    ink = 0;
    for (int y = 0; y < h; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      for (int x = 0; x < w; ++x) {
        uint32_t px = row[x];
        if ((px >> 24) == 0xff && (px & 0xffffffu) != 0xf0f0f0u) ++ink;
      }
    }
    if (width) *width = w;
    if (height) *height = h;
  }
  cairo_surface_destroy(s);
  return ink;
}

bool RecordingWindow::Open(const std::string& layout_xml, const char16_t* title) {
  qel::Element* root = qel::LoadLayoutString(layout_xml, ".");
  if (!root) return false;
  SRect32 r{100, 100, 100 + root->FrameSize().cx, 100 + root->FrameSize().cy};
  int32_t ok = CreateFromPanel(root->Handle(), &r, nullptr);
  root->Release();
  if (!ok) return false;
  SetTitle(title);
  ShowWindow(5);
  GtkWidget* top = qel::gtk::NativeWindow(this);
  if (!top) return false;
  return PumpUntil([top] { return gtk_widget_get_mapped(top); }) && (PumpPending(), true);
}

void RecordingWindow::RegisterCallBacks() {
  std::vector<qel::Element*> todo{Root()};
  while (!todo.empty()) {
    qel::Element* e = todo.back();
    todo.pop_back();
    if (!e->Name().empty()) RegisterCallBack(e->Name().c_str(), kAllEvents, &Record, this);
    for (qel::Element* c : e->Children()) todo.push_back(c);
  }
}

int32_t RecordingWindow::Record(QelObject element, int32_t event, QELLPARAM, void* data) {
  auto* self = static_cast<RecordingWindow*>(data);
  qel::Element* e = qel::Element::From(element);
  self->events.push_back(Event{e ? e->Name() : std::string(), event});
  return 0;
}

int RecordingWindow::Count(const char* element, int32_t code) const {
  int n = 0;
  for (const Event& e : events) n += (e.element == element && e.code == code) ? 1 : 0;
  return n;
}

}  // namespace gtktest
