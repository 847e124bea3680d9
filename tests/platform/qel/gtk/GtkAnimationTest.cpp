// Fades and slides on the GTK backend step on the real clock and end with
// their notifications.
#include "GtkTestSupport.h"
#include "qel/QelAnimation.h"

namespace gtktest {
namespace {

const char* kLayout = R"(<layout name="cata_root" w="300" h="200">
  <element type="cata" name="cata_homepage" x="0" y="0" w="300" h="200" bg="#c04040"/>
  <element type="cata" name="cata_module" x="0" y="0" w="300" h="200" bg="#4040c0"/>
  <element type="cata" name="cata_Active" x="10" y="10" w="40" h="40" bg="#40c040"/>
  <element type="text" name="view_Notify" x="0" y="0" w="10" h="10"/>
</layout>)";

using GtkAnimationTest = GtkBackendTest;

TEST_F(GtkAnimationTest, FadeAndSlideEndWithTheirNotifications) {
  RecordingWindow w;
  ASSERT_TRUE(w.Open(kLayout, u"Animations"));
  QelObject home = w.GetElementByName("cata_homepage");
  QelObject module = w.GetElementByName("cata_module");
  QelObject active = w.GetElementByName("cata_Active");
  QelObject notify = w.GetElementByName("view_Notify");

  QelObject fade = Qel0CreateObj(QEL_KIND_FADE);
  Qel0Inter(fade, QEL_IF_ANIMATION, qel::kAnimSetTarget, 0, reinterpret_cast<QELLPARAM>(home));
  Qel0Inter(fade, QEL_IF_ANIMATION, qel::kAnimSetTarget, 1, reinterpret_cast<QELLPARAM>(module));
  double from = 0.0, to = 1.0;
  Qel0Inter(fade, QEL_IF_ANIMATION, qel::kAnimSetKeyFrames, reinterpret_cast<QELWPARAM>(&from),
            reinterpret_cast<QELLPARAM>(&to));
  Qel0Inter(fade, QEL_IF_ANIMATION, qel::kAnimSetNotify, QEL_EV_ANIM_SWITCH_END,
            reinterpret_cast<QELLPARAM>(notify));

  QelObject slide = Qel0CreateObj(QEL_KIND_ANIMATION);
  SRect32 goal{120, 30, 0, 0};
  SIZE size{80, 60};
  Qel0Inter(slide, QEL_IF_ANIMATION, qel::kAnimSetTarget, 0, reinterpret_cast<QELLPARAM>(active));
  Qel0Inter(slide, QEL_IF_ANIMATION, qel::kAnimSetGoal, reinterpret_cast<QELWPARAM>(&goal),
            reinterpret_cast<QELLPARAM>(&size));
  Qel0Inter(slide, QEL_IF_ANIMATION, qel::kAnimSetNotify, QEL_EV_ANIM_SLIDE_END,
            reinterpret_cast<QELLPARAM>(notify));

  ASSERT_EQ(Qel0Inter(fade, QEL_IF_ANIMATION, qel::kAnimStart, 0, 0), QEL_S_OK);
  ASSERT_EQ(Qel0Inter(slide, QEL_IF_ANIMATION, qel::kAnimStart, 0, 0), QEL_S_OK);
  EXPECT_EQ(Qel0Inter(fade, QEL_IF_ANIMATION, qel::kAnimIsRunning, 0, 0), 1);

  ASSERT_TRUE(PumpUntil([&] {
    return w.Count("view_Notify", QEL_EV_ANIM_SWITCH_END) + w.Count("view_Notify", QEL_EV_ANIM_SLIDE_END) == 2;
  }));
  EXPECT_EQ(w.Count("view_Notify", QEL_EV_ANIM_SWITCH_END), 1);
  EXPECT_EQ(w.Count("view_Notify", QEL_EV_ANIM_SLIDE_END), 1);
  EXPECT_EQ(Qel0Inter(fade, QEL_IF_ANIMATION, qel::kAnimIsRunning, 0, 0), 0);
  EXPECT_DOUBLE_EQ(qel::Element::From(module)->Opacity(), 1.0);
  qel::Element* a = qel::Element::From(active);
  EXPECT_EQ(a->Margin().left, 120);
  EXPECT_EQ(a->Margin().top, 30);
  EXPECT_EQ(a->FrameSize().cx, 80);
  Qel0Release(fade);
  Qel0Release(slide);
}

}  // namespace
}  // namespace gtktest
