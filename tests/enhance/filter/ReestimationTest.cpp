// When the noise profile is measured again: the scene-change test on the
// block activity, and how a refit of the finest luma level carries over.

#include <gtest/gtest.h>

#include "filter/AvdFilter.h"
#include "filter/AvdProfileAccess.h"

namespace {

TEST(Reestimation, SceneChangeThresholds) {
  struct Case {
    int32_t activity;
    bool starts;
  };
  for (Case c : {Case{800, false}, Case{1250, false}, Case{1000, false}, Case{799, true}, Case{1251, true},
                 Case{0, true}}) {
    AvdPreFrameState pre;
    pre.activity = 1000;
    pre.frameCounter = 2;
    EXPECT_EQ(avdSceneActivity(&pre, c.activity), c.starts ? 1 : 0) << c.activity;
    EXPECT_EQ(pre.reestCounter, c.starts ? -1 : kAvdReestIdle) << c.activity;
    EXPECT_EQ(pre.activity, c.starts ? c.activity : 1000) << c.activity;
  }
  // Nothing stored yet: the activity is kept, nothing starts.
  AvdPreFrameState fresh;
  fresh.frameCounter = 5;
  EXPECT_EQ(avdSceneActivity(&fresh, 4321), 0);
  EXPECT_EQ(fresh.activity, 4321);
  // The first frame after a reset stores the change but starts nothing.
  AvdPreFrameState first;
  first.activity = 1000;
  first.frameCounter = 0;
  EXPECT_EQ(avdSceneActivity(&first, 3000), 0);
  EXPECT_EQ(first.activity, 3000);
  EXPECT_EQ(first.reestCounter, kAvdReestIdle);
}

TEST(Reestimation, RefitFactor) {
  EXPECT_EQ(avdRefitFactor(100, 300), 768);
  EXPECT_EQ(avdRefitFactor(100, 599), 1533);
  EXPECT_EQ(avdRefitFactor(100, 600), 256);  // six times or more: not trusted
  EXPECT_EQ(avdRefitFactor(100, 50), 128);
  EXPECT_EQ(avdRefitFactor(0, 50), 256);
}

}  // namespace
