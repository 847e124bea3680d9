// Pointer and key input of the GTK backend reaches the elements.
#include "GtkTestSupport.h"
#include "QelGtk.h"
#include "qel/QelElement.h"

namespace gtktest {
namespace {

const char* kLayout = R"(<layout name="cata_root" w="300" h="160">
  <element type="butn" name="butn_Go" x="10" y="10" w="100" h="30" text="Go"/>
  <element type="butn" name="butn_Off" x="120" y="10" w="100" h="30" text="Off" enabled="0"/>
  <element type="cedt" name="cedt_Name" x="10" y="60" w="200" h="24" limit="5"/>
  <element type="scrl" name="scrl_Zoom" x="10" y="100" w="200" h="16" min="0" max="100"/>
  <element type="comb" name="comb_Size" x="220" y="60" w="70" h="24">
    <item text="Small"/><item text="Large"/>
  </element>
</layout>)";

constexpr int32_t kEnter = 0x40000007;
constexpr int32_t kLeave = 0x40000008;

using GtkInputTest = GtkBackendTest;

TEST_F(GtkInputTest, PressAndReleaseOnAButtonClicksIt) {
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Input"));
  ClickAtPoint(&w, CentreOf(&w, "butn_Go"));
  EXPECT_EQ(w.Count("butn_Go", QEL_EV_CLICK), 1);

  // Released somewhere else: no click.
  Press(&w, CentreOf(&w, "butn_Go"));
  Release(&w, POINT{280, 150});
  EXPECT_EQ(w.Count("butn_Go", QEL_EV_CLICK), 1);

  // A disabled button does nothing.
  ClickAtPoint(&w, CentreOf(&w, "butn_Off"));
  EXPECT_EQ(w.Count("butn_Off", QEL_EV_CLICK), 0);
}

TEST_F(GtkInputTest, PointerEnteringAndLeavingIsReported) {
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Hover"));
  MoveTo(&w, CentreOf(&w, "butn_Go"));
  MoveTo(&w, POINT{20, 20});  // still inside
  EXPECT_EQ(w.Count("butn_Go", kEnter), 1);
  EXPECT_EQ(w.Count("butn_Go", kLeave), 0);
  EXPECT_EQ(w.Count("cata_root", kEnter), 1);
  MoveTo(&w, POINT{280, 150});
  EXPECT_EQ(w.Count("butn_Go", kLeave), 1);
  EXPECT_EQ(w.Count("cata_root", kLeave), 0);  // the pointer is still over the panel
}

TEST_F(GtkInputTest, NativeEntryAndEditElementStayInStep) {
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Edit"));
  qel::Element* edit = qel::Element::From(w.GetElementByName("cedt_Name"));
  GtkWidget* entry = qel::gtk::NativeEntry(&w, edit);
  ASSERT_NE(entry, nullptr);

  gtk_entry_set_text(GTK_ENTRY(entry), "Tray");
  EXPECT_EQ(edit->Text(), u"Tray");
  EXPECT_GE(w.Count("cedt_Name", QEL_EV_EDIT_CHANGED), 1);

  gtk_entry_set_text(GTK_ENTRY(entry), "Document");  // past the limit of 5
  EXPECT_EQ(edit->Text(), u"Docum");

  edit->SetText(u"Set");
  ASSERT_TRUE(PumpUntil([&] { return std::string(gtk_entry_get_text(GTK_ENTRY(entry))) == "Set"; }));

  edit->Show(false);
  ASSERT_TRUE(PumpUntil([&] { return qel::gtk::NativeEntry(&w, edit) == nullptr; }));
}

TEST_F(GtkInputTest, ReturnInAnEntryStillGoesToTheWindow) {
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Keys"));
  qel::Element* edit = qel::Element::From(w.GetElementByName("cedt_Name"));
  GtkWidget* entry = qel::gtk::NativeEntry(&w, edit);
  ASSERT_NE(entry, nullptr);
  gtk_widget_grab_focus(entry);
  std::vector<uint32_t> keys;
  w.RegisterMessage(QEL_WM_KEYDOWN, [&](QELWPARAM wp, QELLPARAM, bool& handled) {
    keys.push_back(uint32_t(wp));
    handled = true;
    return intptr_t(0);
  });
  SendKey(&w, GDK_KEY_a);       // typing stays in the entry
  SendKey(&w, GDK_KEY_Return);
  gtk_widget_grab_focus(qel::gtk::NativeContent(&w));
  SendKey(&w, GDK_KEY_Left);
  EXPECT_EQ(keys, (std::vector<uint32_t>{13, 28}));
}

TEST_F(GtkInputTest, DraggingASliderMovesItsPosition) {
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Slider"));
  qel::Element* slider = qel::Element::From(w.GetElementByName("scrl_Zoom"));
  SRect32 r = slider->Bounds();
  Press(&w, POINT{r.left + 4 + (r.right - r.left - 8) / 2, r.top + 4});
  EXPECT_EQ(slider->Scroll().pos, 50);
  MoveTo(&w, POINT{r.right + 40, r.top + 4});
  Release(&w, POINT{r.right + 40, r.top + 4});
  EXPECT_EQ(slider->Scroll().pos, 100);
  EXPECT_GE(w.Count("scrl_Zoom", QEL_EV_SLIDER_END), 2);
}

TEST_F(GtkInputTest, ComboPopUpPicksAnItem) {
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Combo"));
  qel::Element* combo = qel::Element::From(w.GetElementByName("comb_Size"));
  Press(&w, CentreOf(&w, "comb_Size"));
  GList* menus = gtk_menu_get_for_attach_widget(qel::gtk::NativeContent(&w));
  ASSERT_NE(menus, nullptr);
  GtkWidget* menu = GTK_WIDGET(menus->data);
  GList* items = gtk_container_get_children(GTK_CONTAINER(menu));
  ASSERT_EQ(g_list_length(items), 2u);
  EXPECT_STREQ(gtk_menu_item_get_label(GTK_MENU_ITEM(g_list_nth_data(items, 1))), "Large");
  gtk_menu_shell_activate_item(GTK_MENU_SHELL(menu), GTK_WIDGET(g_list_nth_data(items, 1)), TRUE);
  g_list_free(items);
  EXPECT_EQ(combo->Selection(), 1);
  EXPECT_EQ(w.Count("comb_Size", QEL_EV_SEL_CHANGE), 1);
  // The menu goes once it has closed.
  ASSERT_TRUE(PumpUntil([&] { return gtk_menu_get_for_attach_widget(qel::gtk::NativeContent(&w)) == nullptr; }));
}

TEST_F(GtkInputTest, OpenComboPopUpGoesWithItsWindow) {
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Combo closing"));
  Press(&w, CentreOf(&w, "comb_Size"));
  GList* menus = gtk_menu_get_for_attach_widget(qel::gtk::NativeContent(&w));
  ASSERT_NE(menus, nullptr);
  gpointer menu = menus->data;
  g_object_add_weak_pointer(G_OBJECT(menu), &menu);
  EXPECT_EQ(w.Close(), 1);
  ASSERT_TRUE(PumpUntil([&] { return menu == nullptr; }));
}

}  // namespace
}  // namespace gtktest
