#include "QelFreeFunctions.h"

namespace {

PubQelmar::QelElement* Find(PubQelmar::QelPanel* panel, const char* name) {
  return panel && name ? panel->GetElementByName(name, 1) : nullptr;
}

PubQelmar::QelElement* Find(PubQelmar::QelMenu* menu, const char* name) {
  return menu && name ? menu->GetMenuItemByName(name, 1) : nullptr;
}

}  // namespace

int32_t SetCallBack(PubQelmar::QelPanel* panel, const char* name, QELCALLBACK callback, void* data) {
  PubQelmar::QelElement* e = Find(panel, name);
  return e ? e->SetCallback(callback, data) : 0;
}

int32_t SetCallBack(PubQelmar::QelMenu* menu, const char* name, QELCALLBACK callback, void* data) {
  PubQelmar::QelElement* e = Find(menu, name);
  return e ? e->SetCallback(callback, data) : 0;
}

int32_t EnableElement(PubQelmar::QelPanel* panel, const char* name, int32_t enable) {
  PubQelmar::QelElement* e = Find(panel, name);
  return e ? e->Enable(enable) : 0;
}

int32_t EnableElement(PubQelmar::QelMenu* menu, const char* name, int32_t enable) {
  PubQelmar::QelElement* e = Find(menu, name);
  return e ? e->Enable(enable) : 0;
}

int32_t ShowElement(PubQelmar::QelMenu* menu, const char* name, int32_t show) {
  PubQelmar::QelElement* e = Find(menu, name);
  return e ? e->Show(show) : 0;
}
