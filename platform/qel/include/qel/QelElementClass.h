#pragma once
// Element classes that plug-in bundles register at run time by descriptor:
// a four-character class derived from a parent class, with a block of data
// per element and four functions. Whatever the class's interface function
// does not handle it hands to the parent's interface (filled in at
// registration). A bundle unregisters its classes before it is unloaded.
#include <cstdint>

#include "qel/QelTypes.h"

struct QELCLASSDESC {
  uint32_t size;        // sizeof(QELCLASSDESC)
  uint32_t reserved;
  uint32_t parentKind;  // an element class ('cata' ...)
  uint32_t kind;
  uint32_t dataSize;    // bytes of data per element, cleared
  void (*FInit)(QelObject element);
  void (*FUninit)(QelObject element);
  int32_t (*FCopy)(QelObject source, QelObject destination);
  intptr_t (*FInterface)(QelObject element, int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l);
  // Filled by Qel0RegisterClass: the parent class's handling.
  intptr_t (*ParentInterface)(QelObject element, int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l);
  uintptr_t reserved2[5];
};

// Interface 9, method 2: sent to a new element (also a copy) once it exists.
enum : int32_t { QEL_IF_LIFECYCLE = 9, QEL_LIFE_CREATED = 2 };

// 1 when registered; 0 for a bad descriptor or a class already taken.
QEL_API int32_t Qel0RegisterClass(QELCLASSDESC* desc, void* context);
// 1 when the class was registered; elements made before keep working.
QEL_API int32_t Qel0UnregisterClass(uint32_t kind);
// The element's data block of that class, or null.
QEL_API void* Qel0GetObjDataC(const QELCLASSDESC* desc, QelObject element);
// Elements are never shared between copies here: answers the element.
QEL_API QelObject Qel0CopyOnWrite(QelObject element);
