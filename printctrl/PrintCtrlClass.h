#pragma once
// The entry points of the QelPrintCtrl bundle: they register and unregister
// the 'prtc' element class. A host makes 'prtc' elements (in a layout or
// with Qel0CreateObj), sends them commands on element message class 53 and
// receives notifications 2112 to 2131 through the element's callback.
#include <cstdint>

#include "qel/QelElementClass.h"
#include "qel/QelTypes.h"

#define PRTC_EXPORT __attribute__((visibility("default")))

class CPrintProject;

extern "C" {
PRTC_EXPORT int32_t PrintControlInit();
PRTC_EXPORT int32_t PrintControlUninit();
PRTC_EXPORT int32_t Qel0Init(void* context);
PRTC_EXPORT int32_t Qel0Uninit();
}

// The project behind a 'prtc' element (null for another element).
CPrintProject* PrintCtrlProjectOf(QelObject element);
