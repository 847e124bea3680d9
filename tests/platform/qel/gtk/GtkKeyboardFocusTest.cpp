// The keyboard focus among a window's painted controls, used through the X
// server: Tab and Shift+Tab walk the controls in reading order, a ring shows
// the focused one, Space and the arrows work it, a click moves the focus
// without the ring.
#include <filesystem>
#include <optional>

#include "GtkTestSupport.h"
#include "QelGtk.h"
#include "TestEnvironment.h"
#include "XUser.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"

namespace gtktest {
namespace {

// The file lists the controls out of reading order on purpose.
const char* kLayout = R"(<layout name="cata_root" w="400" h="220" bg="#242424">
  <element type="butn" name="butn_second" x="150" y="10" w="100" h="32" fg="#ffffff" text="Second"/>
  <element type="butn" name="butn_first" x="10" y="14" w="100" h="28" fg="#ffffff" text="First"/>
  <element type="text" name="text_label" x="270" y="10" w="100" h="20" fg="#ffffff" text="Label"/>
  <element type="chck" name="chck_box" x="210" y="60" w="150" h="28" fg="#ffffff" text="Box"/>
  <element type="cedt" name="cedt_name" x="10" y="60" w="180" h="28" fg="#ffffff"/>
  <element type="scrl" name="scrl_level" x="10" y="110" w="200" h="24" fg="#ffffff" min="0" max="100" pos="50"/>
  <element type="butn" name="butn_hidden" x="250" y="110" w="100" h="28" fg="#ffffff" text="Hidden" visible="0"/>
  <element type="butn" name="butn_off" x="250" y="150" w="100" h="28" fg="#ffffff" text="Off" enabled="0"/>
  <element type="butn" name="butn_last" x="10" y="170" w="100" h="28" fg="#ffffff" text="Last"/>
</layout>)";

class GtkKeyboardFocusTest : public GtkBackendTest {
 protected:
  void Open() {
    ASSERT_TRUE(w_.Open(kLayout, u"Keyboard focus"));
    user_.emplace();
    ASSERT_TRUE(user_->Ready());
    ASSERT_TRUE(user_->Focus(&w_));
  }
  // The focused control's name ("" for none) and whether its ring shows.
  std::string Focused(bool* ring = nullptr) {
    qel::Element* e = qel::gtk::KeyboardFocus(&w_, ring);
    return e ? e->Name() : "";
  }
  qel::Element* E(const char* name) { return qel::Element::From(w_.GetElementByName(name)); }

  RecordingWindow w_;
  std::optional<testenv::XUser> user_;
};

TEST_F(GtkKeyboardFocusTest, TabWalksTheControlsInReadingOrderAndShiftTabWalksBack) {
  Open();
  const std::vector<std::string> order = {"butn_first", "butn_second", "cedt_name", "chck_box", "scrl_level",
                                          "butn_last"};
  for (size_t round = 0; round < order.size() + 1; ++round) {
    const std::string& want = order[round % order.size()];
    SCOPED_TRACE("Tab " + std::to_string(round + 1));
    ASSERT_TRUE(user_->Key("Tab"));
    bool ring = false;
    EXPECT_TRUE(user_->WaitFor([&] { return Focused(&ring) == want; })) << "focused: " << Focused();
    EXPECT_TRUE(ring);
  }
  // Back from the first control round to the last.
  for (const char* want : {"butn_last", "scrl_level", "chck_box", "cedt_name"}) {
    SCOPED_TRACE(want);
    ASSERT_TRUE(user_->Key("shift+Tab"));
    EXPECT_TRUE(user_->WaitFor([&] { return Focused() == want; })) << "focused: " << Focused();
  }
  // The entry has the keys: typing goes into it.
  ASSERT_TRUE(user_->Type("abc"));
  EXPECT_TRUE(user_->WaitFor([&] { return E("cedt_name")->Text() == u"abc"; }));
}

TEST_F(GtkKeyboardFocusTest, TheRingShowsWhereTheFocusIs) {
  Open();
  ASSERT_TRUE(user_->Key("Tab"));
  ASSERT_TRUE(user_->WaitFor([&] { return Focused() == "butn_first"; })) << "focused: " << Focused();
  user_->Settle();
  const std::filesystem::path out = testenv::BuildDir() / "screenshots";
  std::filesystem::create_directories(out);
  const std::string png = (out / "keyboard-focus.png").string();
  ASSERT_TRUE(qel::gtk::SaveWindowPng(&w_, png));
  // The accent colour on the button's left edge, and nowhere round the
  // button that has no focus.
  GdkPixbuf* shot = gdk_pixbuf_new_from_file(png.c_str(), nullptr);
  ASSERT_NE(shot, nullptr);
  auto accent_rows = [&](int x, int top, int bottom) {
    int n = 0;
    const int stride = gdk_pixbuf_get_rowstride(shot), channels = gdk_pixbuf_get_n_channels(shot);
    const guchar* px = gdk_pixbuf_get_pixels(shot);
    for (int y = top; y < bottom; ++y) {
      for (int dx = -2; dx <= 1; ++dx) {
        const guchar* p = px + y * stride + (x + dx) * channels;
        if (p[2] > 150 && p[0] < 120 && p[1] > 90) {
          ++n;
          break;
        }
      }
    }
    return n;
  };
  EXPECT_GT(accent_rows(10, 20, 36), 10) << "the ring left of the focused button";
  EXPECT_EQ(accent_rows(150, 16, 36), 0) << "no ring round the other button";
  g_object_unref(shot);
}

TEST_F(GtkKeyboardFocusTest, SpaceReturnAndTheArrowsWorkTheFocusedControl) {
  Open();
  struct Row {
    int tabs;
    const char* key;
    std::function<bool()> effect;
  };
  const Row rows[] = {
      {1, "space", [&] { return w_.Count("butn_first", QEL_EV_CLICK) == 1; }},
      {2, "Return", [&] { return w_.Count("butn_second", QEL_EV_CLICK) == 1; }},
      {4, "space", [&] { return E("chck_box")->Check() == 1; }},
      {5, "Right", [&] { return E("scrl_level")->Scroll().pos > 50; }},
      {5, "Left", [&] { return E("scrl_level")->Scroll().pos == 50; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.key) + " after " + std::to_string(row.tabs) + " tabs");
    // Start again from outside: a click on the bare window leaves no ring.
    ASSERT_TRUE(user_->Click(&w_, "text_label"));
    for (int i = 0; i < row.tabs; ++i) ASSERT_TRUE(user_->Key("Tab"));
    user_->Settle();
    ASSERT_TRUE(user_->Key(row.key));
    EXPECT_TRUE(user_->WaitFor(row.effect));
  }
}

TEST_F(GtkKeyboardFocusTest, AClickMovesTheFocusWithoutTheRing) {
  Open();
  ASSERT_TRUE(user_->Key("Tab"));
  ASSERT_TRUE(user_->WaitFor([&] { return Focused() == "butn_first"; })) << "focused: " << Focused();
  ASSERT_TRUE(user_->Click(&w_, "chck_box"));
  bool ring = true;
  ASSERT_TRUE(user_->WaitFor([&] { return Focused(&ring) == "chck_box" && !ring; }));
  // Space without the ring is the window's, not the box's.
  ASSERT_TRUE(user_->Key("space"));
  user_->Settle();
  EXPECT_EQ(E("chck_box")->Check(), 1);
  // Tab goes on from the clicked control.
  ASSERT_TRUE(user_->Key("Tab"));
  EXPECT_TRUE(user_->WaitFor([&] { return Focused(&ring) == "scrl_level" && ring; }));
}

}  // namespace
}  // namespace gtktest
