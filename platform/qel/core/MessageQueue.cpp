// Posted messages: one FIFO for all windows, drained on the main thread by
// an idle source on the default context. Senders on any thread.
#include <glib.h>

#include <deque>
#include <future>
#include <mutex>
#include <set>
#include <thread>

#include "qel/QelMessage.h"

class CQelWindow;

namespace qel {

intptr_t DispatchWindowMessage(CQelWindow* w, uint32_t msg, QELWPARAM wp, QELLPARAM lp);  // app

namespace {

struct Entry {
  WindowRef window = nullptr;
  uint32_t msg = 0;
  QELWPARAM wp = 0;
  QELLPARAM lp = 0;
  std::function<void()> fn;
  std::shared_ptr<std::promise<intptr_t>> answer;
};

std::mutex g_lock;
std::deque<Entry> g_queue;
std::set<WindowRef> g_windows;
bool g_scheduled = false;
const std::thread::id g_main_thread = std::this_thread::get_id();
// The main context (and its wake-up descriptor) made at load, before any
// thread that posts to it exists: GLib makes it on first use under a lock
// of its own, which does not order a poster's wake-up after its creation.
GMainContext* const g_main_context = g_main_context_default();

gboolean Drain(gpointer);

void ScheduleLocked() {
  if (g_scheduled) return;
  g_scheduled = true;
  GSource* s = g_idle_source_new();
  g_source_set_priority(s, G_PRIORITY_DEFAULT);
  // A handler may run a modal loop; messages must still flow inside it.
  g_source_set_can_recurse(s, TRUE);
  g_source_set_callback(s, Drain, nullptr, nullptr);
  g_source_attach(s, g_main_context);
  g_source_unref(s);
}

void Deliver(Entry& e) {
  if (e.fn) {
    e.fn();
    return;
  }
  bool alive;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    alive = g_windows.count(e.window) != 0;
  }
  intptr_t r = alive ? DispatchWindowMessage(static_cast<CQelWindow*>(e.window), e.msg, e.wp, e.lp) : 0;
  if (e.answer) e.answer->set_value(r);
}

// Delivers what was queued when it started; later posts wait for the next turn.
bool DeliverBatch() {
  size_t n;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    n = g_queue.size();
  }
  for (size_t i = 0; i < n; ++i) {
    Entry e;
    {
      std::lock_guard<std::mutex> lock(g_lock);
      if (g_queue.empty()) break;
      e = std::move(g_queue.front());
      g_queue.pop_front();
    }
    Deliver(e);
  }
  std::lock_guard<std::mutex> lock(g_lock);
  if (g_queue.empty()) {
    g_scheduled = false;
    return false;
  }
  return true;
}

gboolean Drain(gpointer) { return DeliverBatch() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE; }

}  // namespace

void RegisterWindow(WindowRef w) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_windows.insert(w);
}

void UnregisterWindow(WindowRef w) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_windows.erase(w);
  for (auto it = g_queue.begin(); it != g_queue.end();) {
    if (!it->fn && it->window == w) {
      if (it->answer) it->answer->set_value(0);
      it = g_queue.erase(it);
    } else {
      ++it;
    }
  }
}

bool IsWindowAlive(WindowRef w) {
  std::lock_guard<std::mutex> lock(g_lock);
  return w && g_windows.count(w) != 0;
}

void RunOnMain(std::function<void()> fn) {
  std::lock_guard<std::mutex> lock(g_lock);
  Entry e;
  e.fn = std::move(fn);
  g_queue.push_back(std::move(e));
  ScheduleLocked();
}

void DeliverPostedMessages() {
  if (!QelIsMainThread()) return;
  while (DeliverBatch()) {
  }
}

}  // namespace qel

bool QelIsMainThread() { return std::this_thread::get_id() == qel::g_main_thread; }

namespace {
// Queues a message for a live window; false when the window is gone.
bool EnqueueLocked(WindowRef window, uint32_t msg, QELWPARAM wparam, QELLPARAM lparam,
                   std::shared_ptr<std::promise<intptr_t>> answer) {
  if (!window || !qel::g_windows.count(window)) return false;
  qel::Entry e;
  e.window = window;
  e.msg = msg;
  e.wp = wparam;
  e.lp = lparam;
  e.answer = std::move(answer);
  qel::g_queue.push_back(std::move(e));
  qel::ScheduleLocked();
  return true;
}
}  // namespace

int32_t PostMessage(WindowRef window, uint32_t msg, QELWPARAM wparam, QELLPARAM lparam) {
  std::lock_guard<std::mutex> lock(qel::g_lock);
  return EnqueueLocked(window, msg, wparam, lparam, nullptr) ? 1 : 0;
}

intptr_t SendMessage(WindowRef window, uint32_t msg, QELWPARAM wparam, QELLPARAM lparam) {
  if (QelIsMainThread()) {
    if (!qel::IsWindowAlive(window)) return 0;
    return qel::DispatchWindowMessage(static_cast<CQelWindow*>(window), msg, wparam, lparam);
  }
  auto answer = std::make_shared<std::promise<intptr_t>>();
  std::future<intptr_t> result = answer->get_future();
  {
    std::lock_guard<std::mutex> lock(qel::g_lock);
    if (!EnqueueLocked(window, msg, wparam, lparam, answer)) return 0;
  }
  return result.get();
}
