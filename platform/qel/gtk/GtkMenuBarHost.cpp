// A window's menu bar: a GtkMenuBar laid over the window's first "mbar"
// element (the layout reserves its place, in the title bar of our own
// windows), or at the window's top left when the layout has none. Item keys
// are accelerators of the window.
#include <algorithm>
#include <cstdio>

#include "GtkBackend.h"

namespace qel::gtk {

namespace {

Element* FindMenuBarElement(Element* e) {
  if (!e) return nullptr;
  if (e->ClassName() == "mbar") return e;
  for (Element* c : e->Children()) {
    if (Element* found = FindMenuBarElement(c)) return found;
  }
  return nullptr;
}

std::string Colour(uint32_t argb) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "#%06x", argb & 0xffffffu);
  return buf;
}

void OnItemActivate(GtkMenuItem* item, gpointer self) {
  auto* h = static_cast<GtkWindowHost*>(self);
  auto command = uint32_t(GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(item), "qel-command")));
  if (h->Window()) QelChooseMenuCommand(h->Window(), command);
}

}  // namespace

Element* GtkWindowHost::MenuBarPlace() const {
  return window_ ? FindMenuBarElement(window_->Root()) : nullptr;
}

void GtkWindowHost::ApplyMenuBar() {
  if (!window_) return;
  if (menubar_) {
    gtk_widget_destroy(menubar_);
    menubar_ = nullptr;
  }
  if (accel_) {
    gtk_window_remove_accel_group(GTK_WINDOW(toplevel_), accel_);
    g_object_unref(accel_);
    accel_ = nullptr;
  }
  const MenuBar* bar = window_->GetMenuBar();
  if (!bar || bar->empty()) return;

  accel_ = gtk_accel_group_new();
  gtk_window_add_accel_group(GTK_WINDOW(toplevel_), accel_);
  menubar_ = gtk_menu_bar_new();
  for (const MenuBarMenu& menu : *bar) {
    GtkWidget* title = gtk_menu_item_new_with_mnemonic(ToU8(menu.title).c_str());
    GtkWidget* items = gtk_menu_new();
    gtk_menu_set_accel_group(GTK_MENU(items), accel_);
    for (const MenuBarItem& it : menu.items) {
      GtkWidget* item = it.separator ? gtk_separator_menu_item_new()
                                     : gtk_menu_item_new_with_mnemonic(ToU8(it.text).c_str());
      if (!it.separator) {
        g_object_set_data(G_OBJECT(item), "qel-command", GUINT_TO_POINTER(it.command));
        g_signal_connect(item, "activate", G_CALLBACK(&OnItemActivate), this);
        gtk_widget_set_sensitive(item, it.enabled);
        guint key = 0;
        GdkModifierType mods{};
        if (!it.key.empty()) gtk_accelerator_parse(it.key.c_str(), &key, &mods);
        if (key != 0 && it.keyShownOnly) {
          if (GtkWidget* label = gtk_bin_get_child(GTK_BIN(item)); label && GTK_IS_ACCEL_LABEL(label))
            gtk_accel_label_set_accel(GTK_ACCEL_LABEL(label), key, mods);
        } else if (key != 0) {
          gtk_widget_add_accelerator(item, "activate", accel_, key, mods, GTK_ACCEL_VISIBLE);
        }
      }
      gtk_widget_show(item);  // an item hidden in its menu takes no keys
      gtk_menu_shell_append(GTK_MENU_SHELL(items), item);
    }
    gtk_menu_item_set_submenu(GTK_MENU_ITEM(title), items);
    gtk_menu_shell_append(GTK_MENU_SHELL(menubar_), title);
  }

  // The bar takes the colours of the place the layout gives it.
  Element* place = MenuBarPlace();
  uint32_t fg = place ? place->Foreground() : 0xff2e3436u;
  std::string css = "menubar { background: transparent; border: none; box-shadow: none; padding: 0; min-height: 0; }"
                    " menubar > menuitem { color: " + Colour(fg) + "; padding: 6px 10px; min-height: 0;"
                    " border-radius: 6px; }"
                    " menubar > menuitem:hover { background: alpha(" + Colour(fg) + ", 0.14); color: " +
                    Colour(fg) + "; box-shadow: none; }";
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider(gtk_widget_get_style_context(menubar_), GTK_STYLE_PROVIDER(provider),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  // The list is freed after the walk: the loop's step reads each node's next.
  GList* items = gtk_container_get_children(GTK_CONTAINER(menubar_));
  for (GList* i = items; i; i = i->next) {
    gtk_style_context_add_provider(gtk_widget_get_style_context(GTK_WIDGET(i->data)),
                                   GTK_STYLE_PROVIDER(provider), GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  }
  g_list_free(items);
  g_object_unref(provider);

  gtk_widget_set_halign(menubar_, GTK_ALIGN_START);
  gtk_widget_set_valign(menubar_, GTK_ALIGN_START);
  gtk_overlay_add_overlay(GTK_OVERLAY(overlay_), menubar_);
  gtk_widget_show_all(menubar_);
  SyncMenuBar();
}

void GtkWindowHost::SyncMenuBar() {
  if (!menubar_ || !window_) return;
  Element* place = MenuBarPlace();
  gtk_widget_set_visible(menubar_, !place || place->EffectivelyVisible());
  gtk_widget_queue_resize(overlay_);
}

bool GtkWindowHost::MenuBarPosition(GtkWidget* child, GdkRectangle* out) {
  if (!menubar_ || child != menubar_) return false;
  GtkRequisition natural{};
  gtk_widget_get_preferred_size(menubar_, nullptr, &natural);
  Element* place = MenuBarPlace();
  if (!place) {
    *out = GdkRectangle{0, 0, natural.width, natural.height};
    return true;
  }
  SRect32 b = place->Bounds();
  out->x = b.left;
  out->y = b.top;
  out->width = std::max(b.right - b.left, natural.width);
  out->height = std::max(b.bottom - b.top, 1);
  return true;
}

void GtkWindowHost::DropMenuBar() {
  if (accel_) {
    if (toplevel_) gtk_window_remove_accel_group(GTK_WINDOW(toplevel_), accel_);
    g_object_unref(accel_);
    accel_ = nullptr;
  }
  menubar_ = nullptr;  // goes with the toplevel
}

void GtkBackend::WindowMenuBarChanged(CQelWindow* w) {
  if (GtkWindowHost* h = HostOf(w)) h->ApplyMenuBar();
}

}  // namespace qel::gtk
