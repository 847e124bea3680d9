#pragma once
// The edit plug-in's module-wide state: the module object, the main window
// it was launched in, the display ratio and the one edit panel, each kept in
// a plain global with a setter and a getter, plus the layout loader and the
// parent window of message boxes. Main thread only.
#include <cstdint>
#include <string>

#include "PubQelmar.h"
#include "qel/QelTypes.h"

class CEditModule;
class CEditPanel;

// The module object (set by its constructor, cleared by its destructor).
void vStoreModuleHandle(CEditModule* module);
CEditModule* vGetModuleHandle();
// The main window the module was launched in (null after ExitLaunch).
void vStoreModuleQelWin(WindowRef window);
WindowRef vGetModuleQelWin();
// The toolkit's display ratio while the module is initialised, else 1.0.
void vStoreQelmarUIRatio(double ratio);
double vGetQelmarUIRatio();
// The edit panel (set by its constructor, cleared by its destructor).
void vStorePanelHandle(CEditPanel* panel);
CEditPanel* vGetPanelHandle();
// Parent of the plug-in's message boxes: the module window unless another
// window was stored (none is) or the stored one is gone.
WindowRef vGetLastPopupWindow();

// Text `id` of the module's string table used as a message with one "%s":
// the argument put in its place. A text that is missing or asks for other
// conversions gives way to `builtIn` (which has the same one "%s").
std::u16string vLoadResFormat(uint32_t id, const char16_t* builtIn, const std::u16string& argument);

// A layout "UI/<relativePath>" of the module's folder through the host;
// null without a module object. The caller owns the panel.
PubQelmar::QelPanel* vLoadPanel(const WCHAR* relativePath);
