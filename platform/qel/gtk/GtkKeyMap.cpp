#include "GtkKeyMap.h"

#include <gdk/gdk.h>

#include "qel/QelMessage.h"

namespace qel::gtk {

uint32_t KeyCodeFor(unsigned int keyval) {
  switch (keyval) {
    case GDK_KEY_Return:
    case GDK_KEY_ISO_Enter:
      return QEL_KEY_RETURN;
    case GDK_KEY_KP_Enter:
      return QEL_KEY_ENTER;
    case GDK_KEY_Escape:
      return QEL_KEY_ESCAPE;
    case GDK_KEY_BackSpace:
      return QEL_KEY_BACKSPACE;
    case GDK_KEY_Help:
    case GDK_KEY_F1:  // the help key of PC keyboards
      return QEL_KEY_HELP;
    case GDK_KEY_Tab:
    case GDK_KEY_ISO_Left_Tab:
      return 9;
    case GDK_KEY_Home:
      return 1;
    case GDK_KEY_End:
      return 4;
    case GDK_KEY_Page_Up:
      return 11;
    case GDK_KEY_Page_Down:
      return 12;
    case GDK_KEY_Left:
      return 28;
    case GDK_KEY_Right:
      return 29;
    case GDK_KEY_Up:
      return 30;
    case GDK_KEY_Down:
      return 31;
    case GDK_KEY_Delete:
      return 127;
    default:
      break;
  }
  uint32_t c = gdk_keyval_to_unicode(keyval);
  return c >= 0x20 && c < 0x7f ? c : 0;
}

}  // namespace qel::gtk
