#include "XUser.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "LoopWait.h"
#include "PrivateDisplay.h"
#include "QelGtk.h"
#include "qel/QelElement.h"
#include "qel/QelWideText.h"

// Xlib's macros (None, Bool, ...) last.
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

namespace testenv {

namespace {

bool WindowManagerRunning(Display* d) {
  Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool found = XGetWindowProperty(d, DefaultRootWindow(d), check, 0, 1, False, XA_WINDOW, &type, &format, &count,
                                  &after, &data) == Success &&
               count == 1;
  if (data) XFree(data);
  return found;
}

bool InShape(Display* d, unsigned long xid, POINT p) {
  int count = 0, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(d, xid, ShapeBounding, &count, &ordering);
  bool in = false;
  for (int i = 0; i < count; ++i) {
    const XRectangle& r = rects[i];
    in = in || (p.x >= r.x && p.x < r.x + r.width && p.y >= r.y && p.y < r.y + r.height);
  }
  if (rects) XFree(rects);
  return in;
}

// A point of a window (`local`, from its top-left corner) on the screen,
// where the X server has the window now: GTK learns of a window manager's
// move (a dialog placed over its parent) only a little later. None while
// the window is not on screen.
std::optional<POINT> OnScreen(Display* d, unsigned long xid, POINT local) {
  XWindowAttributes attributes{};
  int rx = 0, ry = 0;
  Window child = 0;
  if (!XGetWindowAttributes(d, xid, &attributes) || attributes.map_state != IsViewable ||
      !XTranslateCoordinates(d, xid, DefaultRootWindow(d), local.x, local.y, &rx, &ry, &child))
    return std::nullopt;
  return POINT{rx, ry};
}

bool StartOpenbox() {
  if (!StartPrivateDisplay()) return false;
  Display* d = XOpenDisplay(nullptr);
  if (!d) return false;
  pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    int devnull = open("/dev/null", O_RDWR);
    if (devnull >= 0) {
      dup2(devnull, 1);
      dup2(devnull, 2);
    }
    execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
    _exit(127);
  }
  bool running = false;
  for (int i = 0; pid > 0 && i < 400 && !running; ++i) {
    running = WindowManagerRunning(d);
    if (!running) usleep(50000);
  }
  XCloseDisplay(d);
  return running;
}

std::string WithoutMnemonic(const char* label) {
  std::string out;
  for (const char* p = label ? label : ""; *p; ++p) {
    if (*p == '_' && p[1] != '\0') ++p;
    out += *p;
  }
  return out;
}

// The centre of a widget on the screen, in device pixels.
std::optional<POINT> WidgetCentre(GtkWidget* w) {
  if (!w || !gtk_widget_is_drawable(w)) return std::nullopt;
  GtkWidget* top = gtk_widget_get_toplevel(w);
  GdkWindow* gw = top ? gtk_widget_get_window(top) : nullptr;
  if (!gw) return std::nullopt;
  GtkAllocation a;
  gtk_widget_get_allocation(w, &a);
  int x = 0, y = 0, ox = 0, oy = 0;
  if (!gtk_widget_translate_coordinates(w, top, a.width / 2, a.height / 2, &x, &y)) return std::nullopt;
  gdk_window_get_origin(gw, &ox, &oy);
  int scale = gdk_window_get_scale_factor(gw);
  return POINT{(ox + x) * scale, (oy + y) * scale};
}

void CollectMenuItems(GtkWidget* w, std::vector<GtkWidget*>* out) {
  if (GTK_IS_MENU_ITEM(w)) out->push_back(w);
  if (GTK_IS_CONTAINER(w)) {
    GList* kids = gtk_container_get_children(GTK_CONTAINER(w));
    for (GList* k = kids; k; k = k->next) CollectMenuItems(GTK_WIDGET(k->data), out);
    g_list_free(kids);
  }
}

// The items of the pop-up menus on screen, the most recent menu first.
std::vector<GtkWidget*> OpenMenuWidgets() {
  std::vector<GtkWidget*> items;
  GList* tops = gtk_window_list_toplevels();
  for (GList* t = g_list_last(tops); t; t = t->prev) {
    auto* top = GTK_WIDGET(t->data);
    if (!gtk_widget_get_mapped(top) || gtk_window_get_window_type(GTK_WINDOW(top)) != GTK_WINDOW_POPUP) continue;
    std::vector<GtkWidget*> found;
    CollectMenuItems(top, &found);
    for (GtkWidget* item : found) {
      if (gtk_widget_get_visible(item) && !GTK_IS_SEPARATOR_MENU_ITEM(item)) items.push_back(item);
    }
  }
  g_list_free(tops);
  return items;
}

GtkWidget* OpenMenuItem(const std::string& label) {
  for (GtkWidget* item : OpenMenuWidgets()) {
    if (WithoutMnemonic(gtk_menu_item_get_label(GTK_MENU_ITEM(item))) == label) return item;
  }
  return nullptr;
}

// The items of the toolkit's own pop-up menus on screen (windows of "mece"
// elements), with their windows.
void CollectToolkitItems(qel::Element* e, CQelWindow* w, std::vector<std::pair<CQelWindow*, qel::Element*>>* out) {
  if (e->ClassName() == "mece" && e->EffectivelyVisible()) out->push_back({w, e});
  for (qel::Element* c : e->Children()) CollectToolkitItems(c, w, out);
}

std::vector<std::pair<CQelWindow*, qel::Element*>> ToolkitMenuItems() {
  std::vector<std::pair<CQelWindow*, qel::Element*>> items;
  for (CQelWindow* w : QelWindows()) {
    auto* modal = dynamic_cast<CQelModalWnd*>(w);
    GtkWidget* top = qel::gtk::NativeWindow(w);
    if (modal && modal->InModal() && w->Root() && top && gtk_widget_get_mapped(top)) {
      CollectToolkitItems(w->Root(), w, &items);
    }
  }
  return items;
}

GtkWidget* FindMenuBar(GtkWidget* w) {
  if (GTK_IS_MENU_BAR(w)) return w;
  GtkWidget* found = nullptr;
  if (GTK_IS_CONTAINER(w)) {
    GList* kids = gtk_container_get_children(GTK_CONTAINER(w));
    for (GList* k = kids; k && !found; k = k->next) found = FindMenuBar(GTK_WIDGET(k->data));
    g_list_free(kids);
  }
  return found;
}

// Xlib's shifted keys: the key and whether Shift is needed for it.
bool KeyFor(Display* d, KeySym sym, KeyCode* code, bool* shift) {
  *code = XKeysymToKeycode(d, sym);
  if (!*code) return false;
  *shift = XkbKeycodeToKeysym(d, *code, 0, 0) != sym && XkbKeycodeToKeysym(d, *code, 0, 1) == sym;
  return true;
}

}  // namespace

GtkWidget* ShownToplevel(GType type) {
  GtkWidget* found = nullptr;
  GList* all = gtk_window_list_toplevels();
  for (GList* l = all; l; l = l->next) {
    GtkWidget* w = GTK_WIDGET(l->data);
    if (type && G_TYPE_CHECK_INSTANCE_TYPE(w, type) && gtk_widget_get_mapped(w)) found = w;
  }
  g_list_free(all);
  return found;
}

GtkWidget* ShownToplevel(const char* typeName) { return ShownToplevel(g_type_from_name(typeName)); }

bool StartWindowManager() {
  static const bool started = StartOpenbox();
  return started;
}

XUser::XUser() : gtk_thread_(std::this_thread::get_id()) {
  display_ = XOpenDisplay(nullptr);
  int event = 0, error = 0, major = 0, minor = 0;
  if (display_ && !XTestQueryExtension(display_, &event, &error, &major, &minor)) {
    XCloseDisplay(display_);
    display_ = nullptr;
  }
}

XUser::~XUser() {
  if (!display_) return;
  if (spare_keycode_) {
    KeySym none = NoSymbol;
    XChangeKeyboardMapping(display_, spare_keycode_, 1, &none, 1);
  }
  XCloseDisplay(display_);
}

void XUser::Flush() { XSync(display_, False); }

bool XUser::OnMain(const std::function<void()>& fn) {
  if (OnGtkThread()) {
    fn();
    return true;
  }
  // Shared with the GTK thread: a call that came too late is not run.
  struct Call {
    std::function<void()> fn;
    std::mutex mutex;
    std::condition_variable cv;
    bool running = false, done = false, dropped = false;
  };
  auto call = std::make_shared<Call>();
  call->fn = fn;
  GSource* source = g_idle_source_new();
  g_source_set_priority(source, G_PRIORITY_DEFAULT);
  // GLib hands the source over under its own futex locks, which the thread
  // sanitizer cannot see; this lock makes the hand-over of the call visible.
  static std::mutex handOver;
  g_source_set_callback(source, [](gpointer data) {
    { std::lock_guard seen(handOver); }
    auto& c = *static_cast<std::shared_ptr<Call>*>(data);
    {
      std::lock_guard lock(c->mutex);
      if (c->dropped) return gboolean(G_SOURCE_REMOVE);
      c->running = true;
    }
    c->fn();
    std::lock_guard lock(c->mutex);
    c->done = true;
    c->cv.notify_all();
    return gboolean(G_SOURCE_REMOVE);
  }, new std::shared_ptr<Call>(call), [](gpointer data) { delete static_cast<std::shared_ptr<Call>*>(data); });
  {
    std::lock_guard published(handOver);
    g_source_attach(source, nullptr);
  }
  g_source_unref(source);
  std::unique_lock lock(call->mutex);
  if (call->cv.wait_for(lock, std::chrono::seconds(30), [&] { return call->done; })) return true;
  if (!call->running) {
    call->dropped = true;
    return false;
  }
  call->cv.wait(lock, [&] { return call->done; });
  return true;
}

bool XUser::WaitFor(const std::function<bool()>& done, unsigned seconds) {
  if (OnGtkThread()) return testloop::PumpUntil(done, seconds);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    bool answer = false;
    OnMain([&] { answer = done(); });
    if (answer) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void XUser::Settle() {
  if (display_) Flush();
  // A round trip of GTK's own connection: what we sent is in its queue then.
  OnMain([] {
    gdk_display_sync(gdk_display_get_default());
    for (int i = 0; i < 10000 && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
  });
}

void XUser::Run(const std::function<void()>& script) {
  std::atomic<bool> over{false};
  std::thread user([&] {
    script();
    over = true;
    g_main_context_wakeup(nullptr);
  });
  // Every step of the script is bounded, so it ends.
  while (!over) g_main_context_iteration(nullptr, TRUE);
  user.join();
}

std::optional<POINT> XUser::Where(CQelWindow* w, const std::string& element) {
  qel::Element* e = nullptr;
  OnMain([&] {
    if (CQelWindow::FetchQelWindow(w)) e = qel::Element::From(w->GetElementByName(element.c_str()));
  });
  return e ? Where(w, e) : std::nullopt;
}

std::optional<POINT> XUser::Where(CQelWindow* w, qel::Element* e) {
  std::optional<POINT> at;
  unsigned long xid = 0;
  POINT local{0, 0};
  OnMain([&] {
    if (!CQelWindow::FetchQelWindow(w)) return;
    GtkWidget* area = qel::gtk::NativeContent(w);
    GtkWidget* top = qel::gtk::NativeWindow(w);
    if (!e || !area || !top || !e->EffectivelyVisible() || !gtk_widget_is_drawable(area)) return;
    SRect32 r = e->Bounds();
    if (r.right <= r.left || r.bottom <= r.top) return;
    // Covered there by another element (or sliding under one), or outside the
    // window as the X server has it still (a resize on its way): not clickable.
    const POINT centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (centre.x >= gtk_widget_get_allocated_width(area) || centre.y >= gtk_widget_get_allocated_height(area)) return;
    qel::Element* hit = w->Root() ? w->Root()->ElementAt(centre) : nullptr;
    while (hit && hit != e) hit = hit->Parent();
    if (!hit) return;
    GdkWindow* gw = gtk_widget_get_window(area);
    int ox = 0, oy = 0, tx = 0, ty = 0;
    gdk_window_get_origin(gw, &ox, &oy);
    gdk_window_get_origin(gtk_widget_get_window(top), &tx, &ty);
    int scale = gdk_window_get_scale_factor(gw);
    at = POINT{(ox + centre.x) * scale, (oy + centre.y) * scale};
    local = POINT{at->x - tx * scale, at->y - ty * scale};
    xid = GDK_WINDOW_XID(gtk_widget_get_window(top));
  });
  // A window cut to a shape takes the pointer only inside it (a shape
  // follows a new size with the next frame).
  if (at && display_ && !InShape(display_, xid, local)) return std::nullopt;
  return at && display_ ? OnScreen(display_, xid, local) : at;
}

std::optional<POINT> XUser::Where(GtkWidget* widget) {
  std::optional<POINT> at;
  unsigned long xid = 0;
  POINT local{0, 0};
  OnMain([&] {
    at = WidgetCentre(widget);
    GtkWidget* top = at ? gtk_widget_get_toplevel(widget) : nullptr;
    GdkWindow* gw = top ? gtk_widget_get_window(top) : nullptr;
    if (!gw) return;
    int tx = 0, ty = 0;
    gdk_window_get_origin(gw, &tx, &ty);
    const int scale = gdk_window_get_scale_factor(gw);
    local = POINT{at->x - tx * scale, at->y - ty * scale};
    xid = GDK_WINDOW_XID(gw);
  });
  return at && xid && display_ ? OnScreen(display_, xid, local) : at;
}

std::optional<POINT> XUser::WhereMenuItem(const std::string& label) {
  std::optional<POINT> at;
  OnMain([&] { at = WidgetCentre(OpenMenuItem(label)); });
  return at;
}

std::vector<std::string> XUser::OpenMenuItems() {
  std::vector<std::string> labels;
  OnMain([&] {
    for (GtkWidget* item : OpenMenuWidgets()) {
      labels.push_back(WithoutMnemonic(gtk_menu_item_get_label(GTK_MENU_ITEM(item))));
    }
    for (auto [w, e] : ToolkitMenuItems()) labels.push_back(WithoutMnemonic(QelToUTF8(e->Text()).c_str()));
  });
  return labels;
}

// The server can take a fake button before the moves sent ahead of it on a
// busy machine, and then gives it the pointer's later place: each step waits
// until the server shows it done, as a hand moves, then presses.
void XUser::WaitForPointer(const std::function<bool(int x, int y, unsigned buttons)>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (;;) {
    Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    if (!XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rx, &ry, &wx, &wy, &mask) ||
        done(rx, ry, mask) || std::chrono::steady_clock::now() > deadline)
      return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool XUser::MoveTo(POINT at) {
  if (!display_) return false;
  XTestFakeMotionEvent(display_, -1, at.x, at.y, CurrentTime);
  Flush();
  // Off the screen the pointer stops at its edge.
  const int w = DisplayWidth(display_, DefaultScreen(display_)), h = DisplayHeight(display_, DefaultScreen(display_));
  const int x = std::clamp<int>(at.x, 0, w - 1), y = std::clamp<int>(at.y, 0, h - 1);
  WaitForPointer([&](int px, int py, unsigned) { return px == x && py == y; });
  return true;
}

bool XUser::Button(int button, bool press) {
  if (!display_) return false;
  XTestFakeButtonEvent(display_, unsigned(button), press ? True : False, CurrentTime);
  Flush();
  if (button >= 1 && button <= 3) {
    const unsigned bit = Button1Mask << (button - 1);
    WaitForPointer([&](int, int, unsigned buttons) { return (buttons & bit) == (press ? bit : 0u); });
  }
  return true;
}

bool XUser::PressAt(POINT at, int button) { return MoveTo(at) && Button(button, true); }
bool XUser::ReleaseAt(POINT at, int button) { return MoveTo(at) && Button(button, false); }

bool XUser::ClickAt(POINT at, int button) {
  if (!MoveTo(at)) return false;
  // The pointer's arrival first: the program sees it enter, as with a hand.
  Settle();
  return Button(button, true) && Button(button, false);
}

bool XUser::DoubleClickAt(POINT at) {
  if (!MoveTo(at)) return false;
  Settle();
  // The server stamps the four button events as it takes them: sent in one
  // go they lie well within the double-click time, however long this thread
  // waits for the processor on a loaded machine.
  for (bool press : {true, false, true, false}) XTestFakeButtonEvent(display_, 1, press ? True : False, CurrentTime);
  Flush();
  return true;
}

bool XUser::Click(CQelWindow* w, const std::string& element, int button) {
  std::optional<POINT> at;
  // As a user waits for a button to come up (a window growing, a strip sliding in).
  WaitFor([&] { return (at = Where(w, element)).has_value(); }, 10);
  return at && ClickAt(*at, button);
}

bool XUser::Click(CQelWindow* w, qel::Element* element, int button) {
  std::optional<POINT> at;
  WaitFor([&] { return (at = Where(w, element)).has_value(); }, 10);
  return at && ClickAt(*at, button);
}

bool XUser::DoubleClick(CQelWindow* w, const std::string& element) {
  std::optional<POINT> at;
  WaitFor([&] { return (at = Where(w, element)).has_value(); }, 10);
  return at && DoubleClickAt(*at);
}

bool XUser::Click(GtkWidget* widget, int button) {
  auto at = Where(widget);
  return at && ClickAt(*at, button);
}

bool XUser::ClickMenuItem(const std::string& label) {
  std::optional<POINT> at;
  CQelWindow* owner = nullptr;
  qel::Element* item = nullptr;
  // A menu that just opened may still be on its way to the screen.
  WaitFor([&] {
    if ((at = WidgetCentre(OpenMenuItem(label)))) return true;
    for (auto [w, e] : ToolkitMenuItems()) {
      if (WithoutMnemonic(QelToUTF8(e->Text()).c_str()) == label) {
        owner = w;
        item = e;
        return true;
      }
    }
    return false;
  }, 10);
  if (item) return Click(owner, item);
  return at && ClickAt(*at);
}

bool XUser::ClickMenu(CQelWindow* w, const std::vector<std::string>& path) {
  if (path.empty()) return false;
  std::optional<POINT> title;
  OnMain([&] {
    GtkWidget* top = CQelWindow::FetchQelWindow(w) ? qel::gtk::NativeWindow(w) : nullptr;
    GtkWidget* bar = top ? FindMenuBar(top) : nullptr;
    if (!bar) return;
    GList* items = gtk_container_get_children(GTK_CONTAINER(bar));
    for (GList* i = items; i && !title; i = i->next) {
      auto* item = GTK_MENU_ITEM(i->data);
      if (WithoutMnemonic(gtk_menu_item_get_label(item)) == path[0]) title = WidgetCentre(GTK_WIDGET(item));
    }
    g_list_free(items);
  });
  if (!title || !ClickAt(*title)) return false;
  for (size_t i = 1; i < path.size(); ++i) {
    if (!ClickMenuItem(path[i])) return false;
  }
  return true;
}

bool XUser::Focus(CQelWindow* w) {
  GtkWidget* top = nullptr;
  // Asked with the server's time: a window manager may refuse a request
  // without one. Asked again now and then while it has not come.
  int polls = 0;
  auto present = [&] {
    top = CQelWindow::FetchQelWindow(w) ? qel::gtk::NativeWindow(w) : nullptr;
    if (!top || !gtk_widget_get_realized(top)) return;
    GdkWindow* gw = gtk_widget_get_window(top);
    gtk_window_present_with_time(GTK_WINDOW(top), gdk_x11_get_server_time(gw));
    // Asked more than once: the X server is told directly, as xdotool does.
    if (polls > 0 && display_ && gdk_window_is_viewable(gw)) {
      XSetInputFocus(display_, GDK_WINDOW_XID(gw), RevertToParent, CurrentTime);
      XFlush(display_);
    }
  };
  OnMain(present);
  return top && WaitFor([&] {
    if (!CQelWindow::FetchQelWindow(w)) return false;
    if (gtk_window_is_active(GTK_WINDOW(top))) return true;
    if (++polls % 25 == 0) present();
    return false;
  }, 10);
}

bool XUser::SendKeySym(unsigned long sym, bool press) {
  KeyCode code = 0;
  bool shift = false;
  if (!KeyFor(display_, sym, &code, &shift)) {
    // No key makes it: a spare key is given the symbol for as long as we live.
    if (!spare_keycode_) {
      int low = 0, high = 0;
      XDisplayKeycodes(display_, &low, &high);
      for (int k = high; k >= low && !spare_keycode_; --k) {
        int per = 0;
        ::KeySym* syms = XGetKeyboardMapping(display_, KeyCode(k), 1, &per);
        bool empty = true;
        for (int i = 0; i < per; ++i) empty = empty && syms[i] == NoSymbol;
        XFree(syms);
        if (empty) spare_keycode_ = k;
      }
      if (!spare_keycode_) return false;
    }
    ::KeySym pair[2] = {sym, sym};
    XChangeKeyboardMapping(display_, spare_keycode_, 2, pair, 1);
    Flush();
    Settle();  // GTK takes in the new map before the key comes
    code = KeyCode(spare_keycode_);
    shift = false;
  }
  KeyCode shift_code = XKeysymToKeycode(display_, XK_Shift_L);
  if (shift && press) XTestFakeKeyEvent(display_, shift_code, True, CurrentTime);
  XTestFakeKeyEvent(display_, code, press ? True : False, CurrentTime);
  if (shift && press) XTestFakeKeyEvent(display_, shift_code, False, CurrentTime);
  Flush();
  return true;
}

bool XUser::Key(const std::string& key) {
  if (!display_) return false;
  std::vector<::KeySym> syms;
  size_t from = 0;
  for (;;) {
    size_t plus = key.find('+', from + 1);  // "+" alone is the plus key
    std::string part = key.substr(from, plus == std::string::npos ? std::string::npos : plus - from);
    ::KeySym sym = NoSymbol;
    if (part == "ctrl" || part == "control") sym = XK_Control_L;
    else if (part == "shift") sym = XK_Shift_L;
    else if (part == "alt") sym = XK_Alt_L;
    else if (part == "super") sym = XK_Super_L;
    else sym = XStringToKeysym(part.c_str());
    if (sym == NoSymbol) return false;
    syms.push_back(sym);
    if (plus == std::string::npos) break;
    from = plus + 1;
  }
  bool ok = true;
  for (::KeySym s : syms) ok = SendKeySym(s, true) && ok;
  for (auto it = syms.rbegin(); it != syms.rend(); ++it) ok = SendKeySym(*it, false) && ok;
  return ok;
}

bool XUser::Type(const std::string& utf8) {
  if (!display_) return false;
  for (const char* p = utf8.c_str(); *p; p = g_utf8_next_char(p)) {
    gunichar c = g_utf8_get_char(p);
    ::KeySym sym = c == '\n' ? XK_Return : c == '\t' ? XK_Tab : (c < 0x100 ? c : 0x01000000 | c);
    if (!SendKeySym(sym, true) || !SendKeySym(sym, false)) return false;
  }
  return true;
}

}  // namespace testenv
