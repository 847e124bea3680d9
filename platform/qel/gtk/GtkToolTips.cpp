// Tool tips: asked for when GTK is about to show one, so a tip always says
// what the control under the pointer says now (a button that changed says
// its new text), covers only that control's area, and never shows while a
// button is held or a drop-down list or menu is open.
#include "GtkWindowHost.h"
#include "qel/QelMenuBar.h"

namespace qel::gtk {

gboolean GtkWindowHost::OnQueryTooltip(GtkWidget*, gint x, gint y, gboolean keyboard, GtkTooltip* tooltip,
                                       gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  if (!h->window_ || !h->window_->Root() || h->pressed_ || h->sliding_ || h->pointer_taken_ || h->drag_armed_ ||
      QelIsPopupOpen()) {
    return FALSE;
  }
  Element* at = keyboard ? h->focus_ : h->window_->Root()->ElementAt(POINT{x, y});
  for (Element* e = at; e; e = e->Parent()) {
    if (e->Tips().empty()) continue;
    if (!e->EffectivelyVisible()) return FALSE;
    h->tip_ = e->Tips();
    gtk_tooltip_set_text(tooltip, ToU8(h->tip_).c_str());
    // Leaving the control asks again (the next control has its own tip).
    const SRect32 b = e->Bounds();
    GdkRectangle area{b.left, b.top, b.right - b.left, b.bottom - b.top};
    gtk_tooltip_set_tip_area(tooltip, &area);
    return TRUE;
  }
  return FALSE;
}

void GtkWindowHost::RefreshToolTip() {
  if (window_ && area_) gtk_widget_trigger_tooltip_query(area_);
}

void GtkWindowHost::RefreshChangedToolTip() {
  // Asking again restarts GTK's delay before a tip shows: only when the tip
  // under the pointer is not the one last given (a live picture repaints
  // its page all the time).
  const std::u16string* now = nullptr;
  for (Element* e : hover_) {
    if (!e->Tips().empty()) {
      now = &e->Tips();
      break;
    }
  }
  if (now ? *now != tip_ : !tip_.empty()) {
    tip_ = now ? *now : std::u16string();
    RefreshToolTip();
  }
}

}  // namespace qel::gtk
