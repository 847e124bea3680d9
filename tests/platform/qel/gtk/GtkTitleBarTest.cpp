// The title bar a window draws itself, used through the X server: a control
// in it gets its click, the bare bar moves the window under a window manager
// and a double click on it maximises.
#include <optional>

#include "GtkTestSupport.h"
#include "QelGtk.h"
#include "XUser.h"
#include "qel/QelCore.h"

namespace gtktest {
namespace {

const char* kLayout = R"(<layout name="cata_root" w="320" h="160" bg="#242424">
  <element type="cata" name="cata_drag_mac" x="0" y="0" width="fill" right="0" h="40" bg="#303030">
    <element type="cata" name="cata_title" x="0" y="0" w="200" h="40" flow="h">
      <element type="butn" name="butn_home" x="4" y="4" w="32" h="32" text="H"/>
      <element type="chck" name="chck_eject" x="4" y="4" w="32" h="32" text="E"/>
      <element type="text" name="text_name" x="8" y="10" w="80" h="20" text="Name"/>
    </element>
    <element type="butn" name="butn_maximize_mac" x="0" y="4" right="40" w="32" h="32" text="M" anchor="right"/>
  </element>
  <element type="butn" name="butn_body" x="10" y="60" w="90" h="30" text="Body"/>
</layout>)";

class GtkTitleBarTest : public GtkBackendTest {
 protected:
  void Open(bool maximizable) {
    ASSERT_TRUE(w_.Open(kLayout, u"Title bar"));
    w_.SetDefaultCallBackName("cata_drag_mac", QEL_FRAME_DRAG);
    if (maximizable) w_.SetDefaultCallBackName("butn_maximize_mac", QEL_FRAME_MAXIMIZE);
    user_.emplace();
    ASSERT_TRUE(user_->Ready());
  }
  POINT Origin() {
    int x = 0, y = 0;
    gdk_window_get_origin(gtk_widget_get_window(qel::gtk::NativeWindow(&w_)), &x, &y);
    return POINT{x, y};
  }

  RecordingWindow w_;
  std::optional<testenv::XUser> user_;
};

TEST_F(GtkTitleBarTest, ControlsInTheBarTakeTheirClicks) {
  Open(true);
  for (const char* name : {"butn_home", "chck_eject", "butn_body"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(user_->Click(&w_, name));
    EXPECT_TRUE(user_->WaitFor([&] { return w_.Count(name, QEL_EV_CLICK) == 1; }));
  }
  EXPECT_FALSE(w_.IsMaximized());
}

TEST_F(GtkTitleBarTest, TheBareBarMovesTheWindowUnderAWindowManager) {
  if (!testenv::StartWindowManager()) GTEST_SKIP() << "no window manager";
  Open(true);
  ASSERT_TRUE(user_->Focus(&w_));
  std::optional<POINT> bar = user_->Where(&w_, "text_name");
  ASSERT_TRUE(bar);
  const POINT before = Origin();
  ASSERT_TRUE(user_->PressAt(*bar));
  user_->Settle();
  // The window manager takes the pointer when it starts the move; the window
  // follows the moves after that.
  auto moved = [&] {
    POINT now = Origin();
    return now.x > before.x + 20 && now.y > before.y + 15;
  };
  POINT to = *bar;
  for (int step = 0; step < 40 && !moved(); ++step) {
    to = POINT{to.x + 4, to.y + 3};
    user_->MoveTo(to);
    user_->WaitFor(moved, 1);
  }
  ASSERT_TRUE(user_->ReleaseAt(to));
  EXPECT_TRUE(user_->WaitFor(moved));
  EXPECT_EQ(w_.Count("text_name", QEL_EV_CLICK), 0);
}

TEST_F(GtkTitleBarTest, ADoubleClickOnTheBareBarMaximisesAWindowThatCan) {
  Open(true);
  ASSERT_TRUE(user_->DoubleClick(&w_, "text_name"));
  EXPECT_TRUE(user_->WaitFor([&] { return w_.IsMaximized(); }));
}

TEST_F(GtkTitleBarTest, ADialogIsNotMaximisedByADoubleClick) {
  Open(false);
  ASSERT_TRUE(user_->DoubleClick(&w_, "text_name"));
  user_->Settle();
  // Then a click that must arrive after the double click did.
  ASSERT_TRUE(user_->Click(&w_, "butn_body"));
  ASSERT_TRUE(user_->WaitFor([&] { return w_.Count("butn_body", QEL_EV_CLICK) == 1; }));
  EXPECT_FALSE(w_.IsMaximized());
}

}  // namespace
}  // namespace gtktest
