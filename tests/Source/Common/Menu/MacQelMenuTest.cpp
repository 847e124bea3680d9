// Pop-up menus: item ids, submenus, enabling, and the pop-up answered
// through the headless toolkit.
#include <gtest/gtest.h>

#include <glib.h>

#include "MacQelMenu.h"
#include "qel/QelHeadless.h"
#include "qel/QelMessage.h"

namespace hl = qel::headless;

namespace {

// Menu 5: Open, Print, a separator, Send To (with a submenu 6: Mail, Viewer).
struct AlbumMenu {
  MacQelMenu menu, sendTo;
  AlbumMenu() {
    menu.CreateMenu(5);
    menu.CreateNewMenuItem(0, u"Open", 0, 101);
    menu.CreateNewMenuItem(1, u"Print", 0, 102);
    menu.CreateNewMenuItem(2, u"", MacQelMenu::kAttrSeparator, 0);
    menu.CreateNewMenuItem(3, u"Send To", 0, 0);
    sendTo.CreateMenu(6);
    sendTo.CreateNewMenuItem(0, u"Mail", 0, 201);
    sendTo.CreateNewMenuItem(1, u"Viewer", 0, 202);
    menu.SetChildren(&sendTo, 4);
  }
};

}  // namespace

TEST(MacQelMenu, ItemIdsArePositionsUnderTheMenuId) {
  MacQelMenu menu;
  EXPECT_EQ(menu.CreateNewMenuItem(0, u"x", 0, 0), 0);  // no menu yet
  ASSERT_EQ(menu.CreateMenu(5), 1);
  EXPECT_EQ(menu.CreateNewMenuItem(0, u"a", 0, 1), 5000);
  EXPECT_EQ(menu.CreateNewMenuItem(1, u"b", 0, 2), 5001);
  EXPECT_EQ(menu.CreateNewMenuItem(2, u"c", 0, 3), 5002);
  EXPECT_EQ(menu.CreateNewMenuItem(3, u"d", 0, 4), 5003);
  EXPECT_EQ(menu.CreateNewMenuItem(-1, u"e", 0, 5), 0);
  // Inserting after position 1 puts the item second; far past the end, last.
  menu.CreateNewMenuItem(1, u"between", 0, 9);
  menu.CreateNewMenuItem(99, u"last", 0, 10);
  ASSERT_EQ(menu.CountItems(), 6);
  EXPECT_EQ(menu.GetItem(2)->text, u"between");
  EXPECT_EQ(menu.GetItem(3)->text, u"b");
  EXPECT_EQ(menu.GetItem(6)->text, u"last");
  EXPECT_EQ(menu.GetItem(6)->command, 10);
  EXPECT_EQ(menu.GetItem(0), nullptr);
  EXPECT_EQ(menu.GetItem(7), nullptr);
}

TEST(MacQelMenu, SubmenusAndEnabling) {
  AlbumMenu m;
  MenuRef child = nullptr;
  EXPECT_EQ(m.menu.GetChildren(4, &child), 2);
  EXPECT_EQ(child, &m.sendTo);
  EXPECT_EQ(m.menu.GetChildren(1, &child), 0);
  EXPECT_EQ(child, nullptr);
  EXPECT_EQ(m.menu.SetChildren(&m.sendTo, 9), 0);
  EXPECT_EQ(m.menu.SetChildren(&m.menu, 1), 0);
  EXPECT_EQ(m.menu.Enable(2, 0), 1);
  EXPECT_FALSE(m.menu.GetItem(2)->enabled);
  EXPECT_EQ(m.menu.Enable(0, 0), 1);
  EXPECT_FALSE(m.menu.IsEnabled());
  EXPECT_EQ(m.menu.Enable(9, 1), 0);
}

TEST(MacQelMenu, PopupReportsTheChosenItem) {
  AlbumMenu m;
  int16_t id = -1;
  uint16_t item = 99;
  hl::AnswerNextModal("mece_2");
  EXPECT_EQ(m.menu.PopupMenu(POINT{100, 100}, id, item), 1);
  EXPECT_EQ(id, 5);
  EXPECT_EQ(item, 2);

  // A pick in a submenu names the submenu and its item.
  hl::AnswerNextModal("mece_4");
  hl::AnswerNextModal("mece_2");
  EXPECT_EQ(m.menu.PopupMenu(POINT{1430, 890}, id, item), 1);
  EXPECT_EQ(id, 6);
  EXPECT_EQ(item, 2);
  EXPECT_EQ(hl::PendingModalAnswers(), 0u);
}

TEST(MacQelMenu, DismissedOrDisabledChoosesNothing) {
  AlbumMenu m;
  int16_t id = -1;
  uint16_t item = 99;
  hl::AnswerNextModalKey(27);  // Escape
  EXPECT_EQ(m.menu.PopupMenu(POINT{10, 10}, id, item), 0);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(item, 0);

  // A disabled item cannot be clicked; the pop-up ends without a choice.
  m.menu.Enable(1, 0);
  hl::AnswerNextModal("mece_1");
  EXPECT_EQ(m.menu.PopupMenu(POINT{10, 10}, id, item), 0);
  EXPECT_EQ(item, 0);

  MacQelMenu empty;
  EXPECT_EQ(empty.PopupMenu(POINT{0, 0}, id, item), 0);  // no menu: nothing shown
  EXPECT_EQ(hl::PendingModalAnswers(), 0u);
}

TEST(MacQelMenu, APopupThatLosesTheFocusGoesAwayWithoutAChoice) {
  AlbumMenu m;
  g_idle_add(
      [](gpointer) -> gboolean {
        CQelWindow* popup = hl::FrontWindow();
        if (!popup) return G_SOURCE_CONTINUE;
        popup->SendMessage(QEL_WM_ACTIVATE, 0, 0);
        return G_SOURCE_REMOVE;
      },
      nullptr);
  int16_t id = -1;
  uint16_t item = 99;
  EXPECT_EQ(m.menu.PopupMenu(POINT{10, 10}, id, item), 0);
  EXPECT_EQ(item, 0);
}
