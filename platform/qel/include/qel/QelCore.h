#pragma once
// The toolkit's object system and its one numbered entry point. Objects are
// opaque, reference-counted handles; every element, layout, string table and
// animation is reached through Qel0Inter(object, interface, method, w, l).
#include <cstdint>

#include "qel/QelTypes.h"

#ifndef QEL_API
#define QEL_API __attribute__((visibility("default")))
#endif

// Result codes; a failure is negative as a signed 32-bit value.
constexpr int32_t QEL_S_OK = 0;
constexpr int32_t QEL_E_FAIL = static_cast<int32_t>(0x80000008u);
constexpr int32_t QEL_E_NOTIMPL = static_cast<int32_t>(0x81500001u);
constexpr int32_t QEL_E_POINTER = static_cast<int32_t>(0x81500002u);
constexpr int32_t QEL_E_INVALIDARG = static_cast<int32_t>(0x81500003u);

// Four-character codes, as the kinds of objects are named.
constexpr uint32_t QelFourCC(const char (&s)[5]) {
  return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) |
         (uint32_t(uint8_t(s[2])) << 8) | uint32_t(uint8_t(s[3]));
}

// Object kinds for Qel0CreateObj / Qel0GetType.
constexpr uint32_t QEL_KIND_STRINGTABLE = 120;
constexpr uint32_t QEL_KIND_ANIMATION = QelFourCC("tmap");     // margin/size slide
constexpr uint32_t QEL_KIND_FADE = QelFourCC("tesf");          // fade/switch effect
constexpr uint32_t QEL_KIND_PICTURE = QelFourCC("picc");
constexpr uint32_t QEL_KIND_LAYER = QelFourCC("iclr");
constexpr uint32_t QEL_KIND_IMAGECTRL = QelFourCC("imgc");
constexpr uint32_t QEL_KIND_TOOLLIST = QelFourCC("tlst");

// Interface numbers of Qel0Inter.
enum QelInterface : int32_t {
  QEL_IF_SIZE = 1,
  QEL_IF_ENV = 2,
  QEL_IF_ELEMENT = 3,
  QEL_IF_PANEL = 4,
  QEL_IF_LAYERDATA = 5,
  QEL_IF_AUI = 6,
  QEL_IF_LAYERSET = 13,
  QEL_IF_MARGIN = 18,
  QEL_IF_CHECK = 19,
  QEL_IF_TEXT = 21,
  QEL_IF_SCROLL = 23,
  QEL_IF_EDIT = 24,
  QEL_IF_COMBOBOX = 29,
  QEL_IF_SPLITTER = 30,
  QEL_IF_ALBUM = 36,
  QEL_IF_REPEAT = 39,
  QEL_IF_MENU = 43,
  QEL_IF_ANIMATION = 60,   // our own numbering: 'tmap' / 'tesf' objects
  QEL_IF_IMAGECTRL = 100,
  QEL_IF_PICTURE = 104,
  QEL_IF_LAYER = 105,
};

// Element events handed to element callbacks.
enum QelEvent : int32_t {
  QEL_EV_PRESS = 2,
  QEL_EV_REPEAT = 16,
  QEL_EV_LAYOUT_CHANGED = 17,
  QEL_EV_CLICK = 1000,
  QEL_EV_RADIO_ON = 1002,
  QEL_EV_SLIDER_CHANGE = 1005,
  QEL_EV_SLIDER_BEGIN = 1006,
  QEL_EV_SLIDER_CHANGE2 = 1020,
  QEL_EV_SLIDER_TRACK = 1021,
  QEL_EV_SLIDER_END = 1030,
  QEL_EV_SEL_CHANGE = 2031,
  QEL_EV_SEL_CHANGE2 = 2032,
  QEL_EV_EDIT_CHANGED = 2091,
  QEL_EV_ANIM_SLIDE_END = 2364,
  QEL_EV_ANIM_SWITCH_END = 2366,
  QEL_EV_MENU_COMMAND = 16384,
};

// An element callback: the element, the event, the event's parameter and the
// data given with SetCallback. Handlers answer 0.
typedef int32_t (*QELCALLBACK)(QelObject element, int32_t event, QELLPARAM param, void* data);

// The end marker of PutInsidePanel.
#define ADDEleEnd (reinterpret_cast<QelObject>(static_cast<intptr_t>(-1)))

// Handles.
QEL_API int32_t Qel0Retain(QelObject obj);    // new count, or a failure code
QEL_API int32_t Qel0Release(QelObject obj);   // new count (freed at 0)
QEL_API QelObject Qel0CopyObject(QelObject obj);  // deep copy, count 1; null when not copyable
QEL_API uint32_t Qel0GetType(QelObject obj);  // the kind, 0 for null
// A new object of `kind` with count 1 (elements by their four-character
// class, animations, string tables; kinds served later answer null).
QEL_API QelObject Qel0CreateObj(uint32_t kind, QELWPARAM wparam = 0, QELLPARAM lparam = 0);

// The numbered dispatch. Integer answers are 32-bit results widened; calls
// that hand back an object or text answer its address.
QEL_API intptr_t Qel0Inter(QelObject obj, int32_t iface, int32_t method, QELWPARAM wparam,
                           QELLPARAM lparam);

// Global values (1: element holding the mouse capture / busy flag, 2: the
// current catalog). Unknown ids read 0.
QEL_API intptr_t Qel0GetGValue(int32_t id);
QEL_API intptr_t Qel0SetGValue(int32_t id, intptr_t value);  // the old value

// Engine set-up. Each may be called more than once.
QEL_API int32_t Qel0InitCore();
QEL_API int32_t Qel0InitEngine();
QEL_API int32_t Qel0InitImage();
QEL_API int32_t Qel0InitInter();
// Engine options: 2 = display ratio (double); others a 32-bit number.
constexpr int32_t QEL_ENGINE_DISPLAY_RATIO = 2;
QEL_API int32_t Qel0ConfigEngine(int32_t option, const void* value);
// Selection values: 2 is the user-interface language as two ASCII letters,
// the first in the high byte (25966 = "en"), from LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG ("C" and "POSIX" are English). Other ids, or no
// usable language, answer `defaultValue`.
QEL_API int32_t Qel0GetSelValue(int32_t id, int32_t defaultValue);
QEL_API int32_t Qel0GetEngineConfig(int32_t option, void* value);
