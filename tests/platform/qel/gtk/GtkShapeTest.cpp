// A window that carries its shape as a property gets that shape on X11.
#include "GtkTestSupport.h"
#include "QelGtk.h"

// Xlib's macros (None, Bool, ...) last, after the test framework.
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

namespace gtktest {
namespace {

using GtkShapeTest = GtkBackendTest;

TEST_F(GtkShapeTest, ShapePropertyCutsTheWindow) {
  RecordingWindow w;
  ASSERT_TRUE(w.Open(R"(<layout name="cata_root" w="100" h="50" bg="#ffffff"/>)", u"Shape"));
  // The top-left 10 x 10 corner is cut away.
  std::vector<SRect32> shape{{10, 0, 100, 10}, {0, 10, 100, 50}};
  w.SetProperty(QelFourCC("QELA"), QelFourCC("SHPE"), &shape);
  w.Invalidate();
  GdkWindow* gw = gtk_widget_get_window(qel::gtk::NativeWindow(&w));
  Display* dpy = GDK_WINDOW_XDISPLAY(gw);
  auto covered = [&](int x, int y) {
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(dpy, GDK_WINDOW_XID(gw), ShapeBounding, &count, &ordering);
    bool in = false;
    for (int i = 0; i < count; ++i) {
      const XRectangle& r = rects[i];
      in = in || (x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height);
    }
    if (rects) XFree(rects);
    return in;
  };
  ASSERT_TRUE(PumpUntil([&] { return !covered(5, 5); }));
  EXPECT_TRUE(covered(50, 5));
  EXPECT_TRUE(covered(5, 30));

  w.SetProperty(QelFourCC("QELA"), QelFourCC("SHPE"), nullptr);
  w.Invalidate();
  EXPECT_TRUE(PumpUntil([&] { return covered(5, 5); }));
}

}  // namespace
}  // namespace gtktest
