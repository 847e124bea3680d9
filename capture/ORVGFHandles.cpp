// Module-wide handles and element helpers.
#include <optional>

#include "AppHelper.h"
#include "BaseModule.h"
#include "ModuleInstance.h"
#include "ORVGF.h"
#include "qel/QelBackend.h"
#include "qel/QelWideText.h"

namespace ORVGF {

namespace {

struct Handles {
  CBaseModule* module = nullptr;
  WindowRef moduleWindow = nullptr;
  std::optional<plat::Bundle> resources;
  double ratio = 1.0;
  CBasePanel* panel = nullptr;
  WindowRef lastPopup = nullptr;
};

Handles& Store() {
  static Handles handles;
  return handles;
}

}  // namespace

void vStoreModuleHandle(CBaseModule* module) { Store().module = module; }
CBaseModule* vGetModuleHandle() { return Store().module; }
void vStoreModuleQelWin(WindowRef window) { Store().moduleWindow = window; }
WindowRef vGetModuleQelWin() { return Store().moduleWindow; }
void vStoreModuleInst(const plat::Bundle* bundle) { ::vStoreModuleInst(bundle); }
const plat::Bundle* vGetModuleInst() { return ::vGetModuleInst(); }

void vStoreResInst(const plat::Bundle* bundle) {
  if (bundle) Store().resources = *bundle;
  else Store().resources.reset();
}

const plat::Bundle* vGetResInst() { return Store().resources ? &*Store().resources : nullptr; }
void vStoreQelmarUIRatio(double ratio) { Store().ratio = ratio > 0.0 ? ratio : 1.0; }
double vGetQelmarUIRatio() { return Store().ratio; }
void vStorePanelHandle(CBasePanel* panel) { Store().panel = panel; }
CBasePanel* vGetPanelHandle() { return Store().panel; }

void vStoreLastPopupWindow(WindowRef window) { Store().lastPopup = window; }

WindowRef vGetLastPopupWindow() {
  if (!Store().lastPopup || !CQelWindow::FetchQelWindow(Store().lastPopup)) Store().lastPopup = Store().moduleWindow;
  return Store().lastPopup;
}

PubQelmar::QelPanel* vLoadPanel(const WCHAR* name) {
  CBaseModule* module = Store().module;
  return module ? module->LoadPanel(name) : nullptr;
}

void vGetScreenSize(SIZE& size) {
  const SRect32 screen = qel::CurrentBackend().ScreenBounds();
  size = SIZE{screen.right - screen.left, screen.bottom - screen.top};
}

std::u16string vLoadResString(uint32_t id) { return std::u16string(::vLoadResString(id).c_str()); }

std::u16string vLoadResFormat(uint32_t id, const char* conversions, const char16_t* builtIn) {
  std::u16string text = vLoadResString(id);
  if (text.empty() || !qel_format_matches(text.c_str(), conversions)) return builtIn;
  return text;
}

qel::Element* GetElementByName(QelObject container, const char* name) {
  qel::Element* c = container ? qel::Element::From(container) : nullptr;
  if (!c || !name) return nullptr;
  return qel::NamesEqual(c->Name(), name) ? c : c->FindByName(name, true);
}

int32_t SetCallBack(QelObject container, const char* name, QELCALLBACK callback, void* data) {
  qel::Element* e = GetElementByName(container, name);
  if (!e) return 0;
  e->SetCallback(callback, callback ? data : nullptr);
  return 1;
}

int32_t ShowElement(QelObject container, const char* name, int32_t show) {
  qel::Element* e = GetElementByName(container, name);
  if (!e) return 0;
  e->Show(show != 0);
  return 1;
}

int32_t EnableElement(QelObject container, const char* name, int32_t enable) {
  qel::Element* e = GetElementByName(container, name);
  if (!e) return 0;
  e->Enable(enable != 0);
  return 1;
}

}  // namespace ORVGF
