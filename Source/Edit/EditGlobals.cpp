#include "EditGlobals.h"

#include "AppHelper.h"
#include "EditModule.h"
#include "qel/QelWindow.h"

namespace {

CEditModule* g_module = nullptr;
WindowRef g_window = nullptr;
WindowRef g_lastPopup = nullptr;
double g_ratio = 1.0;
CEditPanel* g_panel = nullptr;

}  // namespace

void vStoreModuleHandle(CEditModule* module) { g_module = module; }
CEditModule* vGetModuleHandle() { return g_module; }

void vStoreModuleQelWin(WindowRef window) { g_window = window; }
WindowRef vGetModuleQelWin() { return g_window; }

void vStoreQelmarUIRatio(double ratio) { g_ratio = ratio; }
double vGetQelmarUIRatio() { return g_ratio; }

void vStorePanelHandle(CEditPanel* panel) { g_panel = panel; }
CEditPanel* vGetPanelHandle() { return g_panel; }

WindowRef vGetLastPopupWindow() {
  // A stored window that has been closed is forgotten rather than used.
  if (!g_lastPopup || !CQelWindow::FetchQelWindow(g_lastPopup)) g_lastPopup = g_window;
  return g_lastPopup;
}

PubQelmar::QelPanel* vLoadPanel(const WCHAR* relativePath) {
  if (!g_module) return nullptr;
  return g_module->LoadPanel(relativePath);
}

namespace {

// True when the text has exactly one "%s" and no other conversion ("%%"
// stands for a percent sign).
bool OneStringConversion(const std::u16string& text) {
  int strings = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'%') continue;
    if (i + 1 >= text.size()) return false;
    if (text[i + 1] == u'%') {
      ++i;
    } else if (text[i + 1] == u's') {
      ++strings;
      ++i;
    } else {
      return false;
    }
  }
  return strings == 1;
}

}  // namespace

std::u16string vLoadResFormat(uint32_t id, const char16_t* builtIn, const std::u16string& argument) {
  std::u16string format(vLoadResString(id).c_str());
  if (!OneStringConversion(format)) format = builtIn ? builtIn : u"%s";
  std::u16string out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size()) {
      out += format[i + 1] == u's' ? argument : std::u16string(1, u'%');
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}
