// The usual way into the corner message box.
#include "ORVPubTools.h"

#if __has_include("CCornerMessageBox.h")
#include "CCornerMessageBox.h"

int CORVPubTools::MessageBox(WindowRef parent, const WCHAR* text, const WCHAR* caption, uint32_t flags) {
  CCornerMessageBox box(parent, text, caption, flags);
  return box.ShowMessageBox();
}
#else
// Built without the message box window: nothing can be shown.
int CORVPubTools::MessageBox(WindowRef, const WCHAR*, const WCHAR*, uint32_t) { return 0; }
#endif
