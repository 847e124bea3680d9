#include "os/AppleEvents.h"

#include <glib-unix.h>
#include <glib.h>

#include <csignal>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>

namespace plat {

AEDesc AEDesc::FromText(OSType type, const std::u16string& text) {
  AEDesc d;
  d.type = type;
  d.data.resize(text.size() * sizeof(char16_t));
  if (!text.empty()) std::memcpy(d.data.data(), text.data(), d.data.size());
  return d;
}

std::u16string AEDesc::Text() const {
  std::u16string s(data.size() / sizeof(char16_t), u'\0');
  if (!s.empty()) std::memcpy(s.data(), data.data(), s.size() * sizeof(char16_t));
  size_t zero = s.find(u'\0');
  if (zero != std::u16string::npos) s.resize(zero);
  return s;
}

int32_t AppleEvent::GetParamDesc(OSType keyword, OSType type, AEDesc* out) const {
  auto it = params_.find(keyword);
  if (it == params_.end()) return kAEDescNotFound;
  if (it->second.type != type) return kAECoercionFail;
  if (out) *out = it->second;
  return kAENoErr;
}

int32_t AppleEvent::GetCommandLine(std::u16string* out) const {
  AEDesc d;
  int32_t err = GetParamDesc(kCommandLineParam, kCommandLineType, &d);
  if (err == kAENoErr && out) *out = d.Text();
  return err;
}

AppleEvent MakeCommandLineEvent(const std::u16string& text) {
  AppleEvent e(kCoreEventClass, kAEOpenDocuments);
  e.PutParam(kCommandLineParam, AEDesc::FromText(kCommandLineType, text));
  return e;
}

namespace {

struct Installed {
  AEEventHandler handler;
  intptr_t refCon = 0;
};

struct Registry {
  std::mutex mutex;
  std::map<std::pair<OSType, OSType>, Installed> handlers;
  std::deque<AppleEvent> queue;
  std::deque<AppleEvent> held;  // posted before their handler was installed
  bool drainScheduled = false;
  std::function<void()> defaultQuit;
  guint sigterm = 0;
  guint sigint = 0;
};

Registry& R() {
  static Registry* r = new Registry;  // lives for the process; handlers may run at exit
  return *r;
}

void ScheduleDrainLocked();

gboolean DrainQueue(gpointer) {
  for (;;) {
    std::optional<AppleEvent> next;
    {
      std::lock_guard<std::mutex> lock(R().mutex);
      // Skip past events that have no handler yet: they wait in `held`.
      while (!R().queue.empty() &&
             !R().handlers.count({R().queue.front().eventClass(), R().queue.front().eventId()})) {
        R().held.push_back(std::move(R().queue.front()));
        R().queue.pop_front();
      }
      if (R().queue.empty()) {
        R().drainScheduled = false;
        return G_SOURCE_REMOVE;
      }
      next.emplace(std::move(R().queue.front()));
      R().queue.pop_front();
    }
    AEDispatch(*next);
  }
}

void ScheduleDrainLocked() {
  if (R().drainScheduled || R().queue.empty()) return;
  R().drainScheduled = true;
  GSource* s = g_idle_source_new();
  g_source_set_priority(s, G_PRIORITY_DEFAULT);
  g_source_set_callback(s, DrainQueue, nullptr, nullptr);
  g_source_attach(s, g_main_context_default());
  g_source_unref(s);
}

gboolean OnQuitSignal(gpointer) {
  RequestQuitBySignal();
  return G_SOURCE_CONTINUE;
}

guint AddSignal(int signum) {
  GSource* s = g_unix_signal_source_new(signum);
  g_source_set_callback(s, OnQuitSignal, nullptr, nullptr);
  guint id = g_source_attach(s, g_main_context_default());
  g_source_unref(s);
  return id;
}

}  // namespace

void AEInstallEventHandler(OSType eventClass, OSType eventId, AEEventHandler handler, intptr_t refCon) {
  std::lock_guard<std::mutex> lock(R().mutex);
  R().handlers[{eventClass, eventId}] = Installed{std::move(handler), refCon};
  // Events held for this handler go first, in the order they were posted.
  std::deque<AppleEvent> keep, release;
  for (auto& e : R().held)
    ((e.eventClass() == eventClass && e.eventId() == eventId) ? release : keep).push_back(std::move(e));
  R().held = std::move(keep);
  for (auto it = release.rbegin(); it != release.rend(); ++it) R().queue.push_front(std::move(*it));
  ScheduleDrainLocked();
}

bool AERemoveEventHandler(OSType eventClass, OSType eventId) {
  std::lock_guard<std::mutex> lock(R().mutex);
  return R().handlers.erase({eventClass, eventId}) != 0;
}

int32_t AEDispatch(const AppleEvent& event) {
  Installed h;
  {
    std::lock_guard<std::mutex> lock(R().mutex);
    auto it = R().handlers.find({event.eventClass(), event.eventId()});
    if (it == R().handlers.end() || !it->second.handler) return kAEEventNotHandled;
    h = it->second;  // a copy: the handler may reinstall or remove itself
  }
  return h.handler(event, h.refCon);
}

void AEPost(AppleEvent event) {
  std::lock_guard<std::mutex> lock(R().mutex);
  R().queue.push_back(std::move(event));
  ScheduleDrainLocked();
}

namespace {

// The quit rule: the handler may take the request, else the default quit.
int32_t Quit(const AppleEvent& event) {
  int32_t answer = AEDispatch(event);
  if (answer == kAEEventNotHandled) {
    std::function<void()> quit;
    {
      std::lock_guard<std::mutex> lock(R().mutex);
      quit = R().defaultQuit;
    }
    if (quit) quit();
  }
  return answer;
}

}  // namespace

int32_t RequestQuit() { return Quit(AppleEvent(kCoreEventClass, kAEQuitApplication)); }

int32_t RequestQuitBySignal() {
  AppleEvent event(kCoreEventClass, kAEQuitApplication);
  event.PutParam(kQuitSignalParam, AEDesc{kQuitSignalParam, {}});
  return Quit(event);
}

void WatchQuitSignals(std::function<void()> defaultQuit) {
  std::lock_guard<std::mutex> lock(R().mutex);
  R().defaultQuit = std::move(defaultQuit);
  if (!R().sigterm) R().sigterm = AddSignal(SIGTERM);
  if (!R().sigint) R().sigint = AddSignal(SIGINT);
}

void StopQuitSignals() {
  guint term, intr;
  {
    std::lock_guard<std::mutex> lock(R().mutex);
    term = R().sigterm;
    intr = R().sigint;
    R().sigterm = R().sigint = 0;
    R().defaultQuit = nullptr;
  }
  if (term) g_source_remove(term);
  if (intr) g_source_remove(intr);
}

}  // namespace plat
