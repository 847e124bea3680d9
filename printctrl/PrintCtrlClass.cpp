// The 'prtc' element class: registration, the four class functions and the
// routing of toolkit calls to the element's print project.
#include "PrintCtrlClass.h"

#include "FunctionImgCtrl.h"
#include "PrintProject.h"
#include "qel/QelCore.h"

namespace {

constexpr uint32_t kClass = QelFourCC("prtc");
constexpr uint32_t kParent = QelFourCC("cata");
constexpr int32_t kCommandClass = 53;

void FInit(QelObject element);
void FUninit(QelObject element);
int32_t FCopy(QelObject source, QelObject destination);
intptr_t FInterface(QelObject element, int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l);

QELCLASSDESC cQelPrintCtrlClass = {sizeof(QELCLASSDESC), 0, kParent, kClass, sizeof(CPrintProject*),
                                   &FInit, &FUninit, &FCopy, &FInterface, nullptr, {}};

CPrintProject** Data(QelObject element) {
  return static_cast<CPrintProject**>(Qel0GetObjDataC(&cQelPrintCtrlClass, element));
}

void FInit(QelObject element) {
  CPrintProject** d = Data(element);
  if (!d) return;
  *d = nullptr;  // made when the element reports itself created
  CFunctionImgCtrl::AcquireShared();
}

void FUninit(QelObject element) {
  CPrintProject** d = Data(element);
  if (!d) return;
  CFunctionImgCtrl::ReleaseShared();
  delete *d;
  *d = nullptr;
}

int32_t FCopy(QelObject source, QelObject destination) {
  if (!source) return 1;
  CPrintProject** d = Data(Qel0CopyOnWrite(destination));
  if (!d) return 0;
  *d = new CPrintProject(destination);  // nothing of the source project is copied
  CFunctionImgCtrl::AcquireShared();
  return 1;
}

intptr_t Forward(QelObject e, int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) {
  return cQelPrintCtrlClass.ParentInterface ? cQelPrintCtrlClass.ParentInterface(e, iface, method, w, l) : 0;
}

intptr_t FInterface(QelObject element, int32_t iface, int32_t method, QELWPARAM w, QELLPARAM l) {
  CPrintProject** d = Data(element);
  if (iface == QEL_IF_LIFECYCLE && method == QEL_LIFE_CREATED) {
    // A copy already has its project; a new element gets one.
    if (d && !*d) *d = new CPrintProject(element);
    return Forward(element, iface, method, w, l);
  }
  if (iface == kCommandClass) {
    if (!d || !*d) return 1;
    return (*d)->Interface(uint32_t(method), w, reinterpret_cast<const void*>(l));
  }
  return Forward(element, iface, method, w, l);
}

}  // namespace

extern "C" {

PRTC_EXPORT int32_t PrintControlInit() { return Qel0RegisterClass(&cQelPrintCtrlClass, nullptr) ? 1 : 0; }

PRTC_EXPORT int32_t Qel0Init(void* context) { return Qel0RegisterClass(&cQelPrintCtrlClass, context) ? 1 : 0; }

PRTC_EXPORT int32_t PrintControlUninit() { return Qel0UnregisterClass(kClass); }

PRTC_EXPORT int32_t Qel0Uninit() { return Qel0UnregisterClass(kClass); }

}  // extern "C"

CPrintProject* PrintCtrlProjectOf(QelObject element) {
  CPrintProject** d = Data(element);
  return d ? *d : nullptr;
}
