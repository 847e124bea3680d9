#include "LayoutMenuPopup.h"

#include <vector>

#include "MacQelMenu.h"
#include "ORVPubTools.h"
#include "qel/QelCore.h"

namespace ORVGF {

bool PopupLayoutMenu(WindowRef window, qel::Element* bar, POINT windowPoint) {
  if (!bar) return false;
  MacQelMenu popup;
  popup.CreateMenu(1);
  std::vector<qel::Element*> items;
  for (qel::Element* item : bar->Children()) {
    if (!item->Visible()) continue;
    popup.CreateNewMenuItem(int(items.size()), item->Text().c_str(), 0, 0);
    items.push_back(item);
    if (!item->Enabled()) popup.Enable(int(items.size()), 0);
  }
  if (items.empty()) return false;
  POINT screen = windowPoint;
  CORVPubTools::ClientToScreen(window, &screen);
  int16_t menuId = 0;
  uint16_t chosen = 0;
  if (!popup.PopupMenu(screen, menuId, chosen) || chosen == 0 || chosen > items.size()) return false;
  qel::Element* item = items[chosen - 1];
  item->Retain();
  item->Fire(QEL_EV_MENU_COMMAND, item->MenuId());
  item->Release();
  return true;
}

}  // namespace ORVGF
