// A window's menu bar on GTK: a native bar over the layout's "mbar" place,
// items that deliver their commands, and keys that are the menu's.
#include <string>
#include <vector>

#include "GtkTestSupport.h"
#include "QelGtk.h"
#include "qel/QelMenuBar.h"

namespace gtktest {
namespace {

using GtkMenuBarTest = GtkBackendTest;

constexpr uint32_t kOptions = QelFourCC("opti");
constexpr uint32_t kHelp = QelFourCC("help");

const char* kLayout = R"(<layout name="cata_root" w="300" h="120" bg="#ffffff">
  <element type="cata" name="cata_title" x="0" y="0" w="300" h="32">
    <element type="mbar" name="mbar_main" x="40" y="4" w="200" h="24" fg="#202020"/>
  </element>
</layout>)";

qel::MenuBar Bar() {
  qel::MenuBar bar(1);
  bar[0].id = 1;
  bar[0].title = u"_File";
  qel::MenuBarItem options;
  options.text = u"_Options…";
  options.command = kOptions;
  options.key = "<Control>comma";
  qel::MenuBarItem help;
  help.text = u"_Help";
  help.command = kHelp;
  help.key = "F1";
  help.keyShownOnly = true;  // the window answers F1 itself
  bar[0].items = {options, help};
  return bar;
}

int32_t Record(const QelHICommand& c, void* data) {
  if (c.kind != QEL_CMD_PROCESS) return QEL_EVENT_NOT_HANDLED;  // the state question before it
  static_cast<std::vector<uint32_t>*>(data)->push_back(c.commandID);
  return 0;
}

GtkWidget* FindMenuBar(GtkWidget* w) {
  if (GTK_IS_MENU_BAR(w)) return w;
  if (!GTK_IS_CONTAINER(w)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(w));
  GtkWidget* found = nullptr;
  for (GList* l = children; l && !found; l = l->next) found = FindMenuBar(GTK_WIDGET(l->data));
  g_list_free(children);
  return found;
}

void SendControlKey(CQelWindow* w, guint keyval) {
  GtkWidget* top = qel::gtk::NativeWindow(w);
  GdkEvent* ev = gdk_event_new(GDK_KEY_PRESS);
  ev->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(top)));
  ev->key.keyval = keyval;
  ev->key.state = GDK_CONTROL_MASK;
  ev->key.time = GDK_CURRENT_TIME;
  gdk_event_set_device(ev, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
  gtk_main_do_event(ev);
  gdk_event_free(ev);
}

TEST_F(GtkMenuBarTest, BarSitsOnItsPlaceAndItsKeysRunCommands) {
  std::vector<uint32_t> commands;
  void* handler = QelInstallCommandHandler(&Record, &commands);
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Menus"));
  w.SetMenuBar(Bar());
  GtkWidget* bar = FindMenuBar(qel::gtk::NativeWindow(&w));
  ASSERT_NE(bar, nullptr);
  // Where the bar is in the window (overlay children sit in windows of
  // their own, so their allocations start at 0).
  int x = -1, y = -1;
  GtkWidget* top = qel::gtk::NativeWindow(&w);
  ASSERT_TRUE(PumpUntil([&] {
    gtk_widget_translate_coordinates(bar, top, 0, 0, &x, &y);
    return gtk_widget_get_mapped(bar) && x == 40 && y == 4;
  })) << "at " << x << "," << y;

  SendControlKey(&w, GDK_KEY_comma);
  PumpPending();
  EXPECT_EQ(commands, std::vector<uint32_t>{kOptions});
  // A key that is only shown beside its item stays the window's own.
  SendKey(&w, GDK_KEY_F1);
  PumpPending();
  EXPECT_EQ(commands.size(), 1u);

  // Items chosen with the pointer go the same way.
  GList* menus = gtk_container_get_children(GTK_CONTAINER(bar));
  GtkWidget* menu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(menus->data));
  g_list_free(menus);
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  gtk_menu_item_activate(GTK_MENU_ITEM(g_list_nth_data(items, 1)));
  g_list_free(items);
  EXPECT_EQ(commands, (std::vector<uint32_t>{kOptions, kHelp}));

  // The place hidden: the bar goes with it.
  qel::Element::From(w.GetElementByName("mbar_main"))->Show(false);
  EXPECT_TRUE(PumpUntil([&] { return !gtk_widget_get_visible(bar); }));
  QelRemoveCommandHandler(handler);
}

}  // namespace
}  // namespace gtktest
