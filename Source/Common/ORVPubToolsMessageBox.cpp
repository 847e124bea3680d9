// The usual way into the corner message box.
#include "CCornerMessageBox.h"
#include "ORVPubTools.h"

int CORVPubTools::MessageBox(WindowRef parent, const WCHAR* text, const WCHAR* caption, uint32_t flags) {
  CCornerMessageBox box(parent, text, caption, flags);
  return box.ShowMessageBox();
}
