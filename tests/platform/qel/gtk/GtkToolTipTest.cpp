// Tool tips and the dark look of what GTK draws itself, through the X
// server: a tip says what the control under the pointer says now, is drawn
// opaque in the suite's dark colours, and is gone while a drop-down list is
// open; the list is dark too.
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

const char* kLayout = R"(<layout name="cata_root" w="360" h="200" bg="#242424">
  <element type="butn" name="butn_play" x="20" y="20" w="100" h="32" fg="#ffffff" text="Play" tip="Play the movie"/>
  <element type="butn" name="butn_stop" x="140" y="20" w="100" h="32" fg="#ffffff" text="Stop" tip="Stop"/>
  <element type="comb" name="comb_size" x="20" y="80" w="200" h="32" fg="#ffffff" tip="Picture size"/>
</layout>)";

bool IsTip(GtkWidget* w) { return std::string(G_OBJECT_TYPE_NAME(w)) == "GtkTooltipWindow"; }

// The text of the tool tip on screen, "" when none shows.
std::string ShownTip() {
  std::string text;
  GList* all = gtk_window_list_toplevels();
  for (GList* l = all; l; l = l->next) {
    GtkWidget* w = GTK_WIDGET(l->data);
    if (!gtk_widget_get_mapped(w) || !IsTip(w)) continue;
    std::function<void(GtkWidget*)> find = [&](GtkWidget* c) {
      if (GTK_IS_LABEL(c) && gtk_widget_get_visible(c)) text = gtk_label_get_text(GTK_LABEL(c));
      if (GTK_IS_CONTAINER(c)) {
        GList* kids = gtk_container_get_children(GTK_CONTAINER(c));
        for (GList* k = kids; k; k = k->next) find(GTK_WIDGET(k->data));
        g_list_free(kids);
      }
    };
    find(w);
  }
  g_list_free(all);
  return text;
}

// The open tip's window, or the window holding an open menu.
GtkWidget* ShownToplevel(bool tip) {
  GtkWidget* found = nullptr;
  GList* all = gtk_window_list_toplevels();
  for (GList* l = all; l; l = l->next) {
    GtkWidget* w = GTK_WIDGET(l->data);
    if (!gtk_widget_get_mapped(w)) continue;
    GtkWidget* child = GTK_IS_BIN(w) ? gtk_bin_get_child(GTK_BIN(w)) : nullptr;
    if (tip ? IsTip(w) : (child && GTK_IS_MENU(child))) found = w;
  }
  g_list_free(all);
  return found;
}

// The average brightness (0..255) of a window as the X server shows it, and
// how many of its pixels are pure black.
struct Screen {
  double brightness = 255;
  int black = -1;
  int pixels = 0;
};
Screen OnScreen(GtkWidget* w) {
  Screen s;
  GdkWindow* win = gtk_widget_get_window(w);
  if (!win) return s;
  int x = 0, y = 0;
  gdk_window_get_origin(win, &x, &y);
  const int width = gdk_window_get_width(win), height = gdk_window_get_height(win);
  GdkPixbuf* shot = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), x, y, width, height);
  if (!shot) return s;
  const int stride = gdk_pixbuf_get_rowstride(shot), channels = gdk_pixbuf_get_n_channels(shot);
  const guchar* px = gdk_pixbuf_get_pixels(shot);
  double sum = 0;
  s.black = 0;
  for (int row = 0; row < height; ++row) {
    for (int col = 0; col < width; ++col) {
      const guchar* p = px + row * stride + col * channels;
      sum += (p[0] + p[1] + p[2]) / 3.0;
      s.black += p[0] == 0 && p[1] == 0 && p[2] == 0;
    }
  }
  s.pixels = width * height;
  s.brightness = s.pixels ? sum / s.pixels : 255;
  g_object_unref(shot);
  return s;
}

class GtkToolTipTest : public GtkBackendTest {
 protected:
  void Open() {
    ASSERT_TRUE(w_.Open(kLayout, u"Tips"));
    qel::Element* comb = E("comb_size");
    comb->AddItem(u"640 x 480");
    comb->AddItem(u"1280 x 720");
    comb->SetSelection(0);
    user_.emplace();
    ASSERT_TRUE(user_->Ready());
  }
  qel::Element* E(const char* name) { return qel::Element::From(w_.GetElementByName(name)); }

  RecordingWindow w_;
  std::optional<testenv::XUser> user_;
};

TEST_F(GtkToolTipTest, ATipSaysWhatTheControlUnderThePointerSaysNow) {
  Open();
  auto play = user_->Where(&w_, "butn_play"), stop = user_->Where(&w_, "butn_stop");
  ASSERT_TRUE(play && stop);
  ASSERT_TRUE(user_->MoveTo(*play));
  ASSERT_TRUE(user_->WaitFor([] { return ShownTip() == "Play the movie"; }));

  // Drawn opaque in the dark colours: no black box round it.
  GtkWidget* tip = ShownToplevel(true);
  ASSERT_NE(tip, nullptr);
  user_->WaitFor([] { return false; }, 1);
  const Screen seen = OnScreen(tip);
  EXPECT_GT(seen.pixels, 0);
  EXPECT_EQ(seen.black, 0) << "pure black pixels in the tip";
  EXPECT_LT(seen.brightness, 110) << "the tip is dark";

  // The button changes under the pointer: the tip follows it.
  E("butn_play")->SetTips(u"Pause the movie");
  E("butn_play")->Invalidate();
  EXPECT_TRUE(user_->WaitFor([] { return ShownTip() == "Pause the movie"; }));
  // The next button has its own tip.
  ASSERT_TRUE(user_->MoveTo(*stop));
  EXPECT_TRUE(user_->WaitFor([] { return ShownTip() == "Stop"; }));
}

TEST_F(GtkToolTipTest, NoTipOverAnOpenDropDownListAndTheListIsDark) {
  Open();
  auto comb = user_->Where(&w_, "comb_size");
  ASSERT_TRUE(comb);
  ASSERT_TRUE(user_->MoveTo(*comb));
  ASSERT_TRUE(user_->WaitFor([] { return ShownTip() == "Picture size"; }));
  ASSERT_TRUE(user_->ClickAt(*comb));
  ASSERT_TRUE(user_->WaitFor([&] { return !user_->OpenMenuItems().empty(); }));
  EXPECT_TRUE(user_->WaitFor([] { return ShownTip().empty(); }));
  // Resting over the list brings no tip back.
  user_->WaitFor([] { return false; }, 2);
  EXPECT_EQ(ShownTip(), "");
  GtkWidget* list = ShownToplevel(false);
  ASSERT_NE(list, nullptr);
  const Screen seen = OnScreen(list);
  EXPECT_LT(seen.brightness, 110) << "the drop-down list is dark";
  const std::filesystem::path out = testenv::BuildDir() / "screenshots";
  std::filesystem::create_directories(out);
  GdkWindow* root = gdk_get_default_root_window();
  GdkPixbuf* shot = gdk_pixbuf_get_from_window(root, 0, 0, gdk_window_get_width(root), gdk_window_get_height(root));
  ASSERT_NE(shot, nullptr);
  EXPECT_TRUE(gdk_pixbuf_save(shot, (out / "drop-down-list-dark.png").c_str(), "png", nullptr, nullptr));
  g_object_unref(shot);
  ASSERT_TRUE(user_->ClickMenuItem("1280 x 720"));
  EXPECT_TRUE(user_->WaitFor([&] { return E("comb_size")->Selection() == 1; }));
}

TEST_F(GtkToolTipTest, TheDarkVariantIsAskedForOnce) {
  gboolean dark = FALSE;
  g_object_get(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", &dark, nullptr);
  EXPECT_TRUE(dark);
}

}  // namespace
}  // namespace gtktest
