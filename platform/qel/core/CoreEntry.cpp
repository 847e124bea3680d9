// The Qel0* entry points over qel::Object.
#include <glib.h>

#include <cstdlib>
#include <map>
#include <string>
#include <mutex>

#include "qel/QelAnimation.h"
#include "qel/QelElement.h"
#include "qel/QelImageControl.h"
#include "qel/QelLayout.h"

namespace qel {
ObjectFactory FindObjectFactory(uint32_t kind);
}

using qel::Object;

int32_t Qel0Retain(QelObject obj) {
  Object* o = Object::FromHandle(obj);
  return o ? o->Retain() : QEL_E_POINTER;
}

int32_t Qel0Release(QelObject obj) {
  Object* o = Object::FromHandle(obj);
  return o ? o->Release() : QEL_E_POINTER;
}

QelObject Qel0CopyObject(QelObject obj) {
  Object* o = Object::FromHandle(obj);
  Object* c = o ? o->Copy() : nullptr;
  return c ? c->Handle() : nullptr;
}

uint32_t Qel0GetType(QelObject obj) {
  Object* o = Object::FromHandle(obj);
  return o ? o->Kind() : 0;
}

QelObject Qel0CreateObj(uint32_t kind, QELWPARAM wparam, QELLPARAM lparam) {
  if (auto factory = qel::FindObjectFactory(kind)) {
    Object* o = factory(wparam, lparam);
    return o ? o->Handle() : nullptr;
  }
  switch (kind) {
    case QEL_KIND_STRINGTABLE:
      return (new qel::StringTable())->Handle();
    case QEL_KIND_ANIMATION:
    case QEL_KIND_FADE:
      return (new qel::Animation(kind))->Handle();
    default:
      break;
  }
  if (Object* o = qel::CreateImageObject(kind)) return o->Handle();
  // Any other four printable characters name an element class.
  for (int shift = 24; shift >= 0; shift -= 8) {
    char c = char((kind >> shift) & 0xff);
    if (!g_ascii_isalnum(c)) return nullptr;
  }
  return qel::CreateElement(kind)->Handle();
}

intptr_t Qel0Inter(QelObject obj, int32_t iface, int32_t method, QELWPARAM wparam,
                   QELLPARAM lparam) {
  Object* o = Object::FromHandle(obj);
  if (!o) return QEL_E_POINTER;
  return o->Inter(iface, method, wparam, lparam);
}

// ---- global values and engine configuration ----

namespace {
std::mutex g_values_lock;
std::map<int32_t, intptr_t> g_values;
std::map<int32_t, int32_t> g_engine_ints;
double g_ratio = 0.0;  // 0 until first read

}  // namespace

intptr_t Qel0GetGValue(int32_t id) {
  std::lock_guard<std::mutex> lock(g_values_lock);
  auto it = g_values.find(id);
  return it == g_values.end() ? 0 : it->second;
}

intptr_t Qel0SetGValue(int32_t id, intptr_t value) {
  std::lock_guard<std::mutex> lock(g_values_lock);
  intptr_t old = g_values[id];
  g_values[id] = value;
  return old;
}

int32_t Qel0InitCore() { return QEL_S_OK; }
int32_t Qel0InitEngine() { return QEL_S_OK; }
int32_t Qel0InitImage() { return QEL_S_OK; }
int32_t Qel0InitInter() { return QEL_S_OK; }

int32_t Qel0ConfigEngine(int32_t option, const void* value) {
  if (!value) return QEL_E_POINTER;
  std::lock_guard<std::mutex> lock(g_values_lock);
  if (option == QEL_ENGINE_DISPLAY_RATIO) {
    double v = *static_cast<const double*>(value);
    if (!(v > 0.0)) return QEL_E_INVALIDARG;
    g_ratio = v;
  } else {
    g_engine_ints[option] = *static_cast<const int32_t*>(value);
  }
  return QEL_S_OK;
}

int32_t Qel0GetSelValue(int32_t id, int32_t defaultValue) {
  if (id != 2) return defaultValue;
  for (const char* var : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(var);
    if (!v || !*v) continue;
    std::string lang(v);
    if (lang == "C" || lang.rfind("C.", 0) == 0 || lang == "POSIX") return 25966;
    if (lang.size() >= 2 && g_ascii_isalpha(lang[0]) && g_ascii_isalpha(lang[1]) &&
        (lang.size() == 2 || !g_ascii_isalpha(lang[2]))) {
      return (int32_t(g_ascii_tolower(lang[0])) << 8) | int32_t(g_ascii_tolower(lang[1]));
    }
    return defaultValue;
  }
  return defaultValue;
}

int32_t Qel0GetEngineConfig(int32_t option, void* value) {
  if (!value) return QEL_E_POINTER;
  std::lock_guard<std::mutex> lock(g_values_lock);
  if (option == QEL_ENGINE_DISPLAY_RATIO) {
    // The window system scales the interface (see the GTK backend): the
    // programs' own sizes keep a ratio of 1 unless one is configured.
    if (g_ratio == 0.0) g_ratio = 1.0;
    *static_cast<double*>(value) = g_ratio;
    return QEL_S_OK;
  }
  auto it = g_engine_ints.find(option);
  *static_cast<int32_t*>(value) = it == g_engine_ints.end() ? 0 : it->second;
  return QEL_S_OK;
}
