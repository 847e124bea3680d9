// Native entries over the edit elements: typing, selection, clipboard and
// input methods come from GTK; the element keeps the text and hears 2091.
#include <algorithm>

#include "GtkWindowHost.h"

namespace qel::gtk {

namespace {

bool TakesText(Element* e) {
  std::string cls = e->ClassName();
  return cls == "cedt" || cls == "edit";
}

void CollectEdits(Element* e, std::vector<Element*>& out) {
  if (!e->Visible()) return;
  if (TakesText(e)) out.push_back(e);
  for (Element* c : e->Children()) CollectEdits(c, out);
}

// Entries fit the element's frame rather than the theme's generous padding.
GtkCssProvider* CompactEntryStyle() {
  static GtkCssProvider* css = [] {
    GtkCssProvider* p = gtk_css_provider_new();
    gtk_css_provider_load_from_data(
        p, "entry { min-height: 0; padding: 0 8px; border-radius: 5px; }", -1, nullptr);
    return p;
  }();
  return css;
}

}  // namespace

GtkWidget* GtkWindowHost::EntryFor(Element* e) const {
  for (auto& [widget, entry] : entries_) {
    if (entry.element == e) return widget;
  }
  return nullptr;
}

void GtkWindowHost::SyncEntries() {
  if (!window_ || !window_->Root()) return;
  std::vector<Element*> edits;
  CollectEdits(window_->Root(), edits);
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (std::find(edits.begin(), edits.end(), it->second.element) != edits.end()) {
      ++it;
      continue;
    }
    g_signal_handler_disconnect(it->first, it->second.changed);
    gtk_widget_destroy(it->first);
    it->second.element->Release();
    it = entries_.erase(it);
  }
  for (Element* e : edits) {
    GtkWidget* widget = EntryFor(e);
    if (!widget) {
      widget = gtk_entry_new();
      gtk_entry_set_width_chars(GTK_ENTRY(widget), 1);
      gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                     GTK_STYLE_PROVIDER(CompactEntryStyle()),
                                     GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
      // Filling: the overlay's position is the element's frame (at START
      // alignment the entry would shrink to its natural, one-character size).
      gtk_widget_set_halign(widget, GTK_ALIGN_FILL);
      gtk_widget_set_valign(widget, GTK_ALIGN_FILL);
      e->Retain();
      gulong id = g_signal_connect(widget, "changed", G_CALLBACK(&GtkWindowHost::OnEntryChanged), this);
      entries_[widget] = Entry{e, widget, id, e->SelectAllRequests()};
      gtk_overlay_add_overlay(GTK_OVERLAY(overlay_), widget);
      gtk_widget_show(widget);
    }
    Entry& entry = entries_[widget];
    std::string text = ToU8(e->Text());
    if (text != gtk_entry_get_text(GTK_ENTRY(widget))) {
      g_signal_handler_block(widget, entry.changed);
      gtk_entry_set_text(GTK_ENTRY(widget), text.c_str());
      g_signal_handler_unblock(widget, entry.changed);
    }
    if (entry.selected != e->SelectAllRequests()) {
      entry.selected = e->SelectAllRequests();
      gtk_editable_select_region(GTK_EDITABLE(widget), 0, -1);
    }
    gtk_entry_set_max_length(GTK_ENTRY(widget), gint(std::min<uint32_t>(e->TextLimit(), 65535)));
    gtk_widget_set_sensitive(widget, e->EffectivelyEnabled());
  }
  if (!entries_.empty()) gtk_widget_queue_resize(overlay_);  // entries follow their elements
}

void GtkWindowHost::DropEntries() {
  for (auto& [widget, entry] : entries_) {
    g_signal_handler_disconnect(widget, entry.changed);
    entry.element->Release();
  }
  entries_.clear();
}

gboolean GtkWindowHost::OnChildPosition(GtkOverlay*, GtkWidget* child, GdkRectangle* out, gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  if (h->window_ && h->MenuBarPosition(child, out)) return TRUE;
  auto it = h->entries_.find(child);
  if (!h->window_ || it == h->entries_.end()) return FALSE;
  SRect32 b = it->second.element->Bounds();
  out->x = b.left;
  out->y = b.top;
  out->width = std::max(b.right - b.left, 1);
  out->height = std::max(b.bottom - b.top, 1);
  return TRUE;
}

void GtkWindowHost::OnEntryChanged(GtkEditable* editable, gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  auto it = h->entries_.find(GTK_WIDGET(editable));
  if (!h->window_ || it == h->entries_.end()) return;
  Element* e = it->second.element;
  e->Retain();  // the callback may close the window
  e->TypeText(ToU16(gtk_entry_get_text(GTK_ENTRY(editable))));
  e->Release();
}

}  // namespace qel::gtk
