#include <glib.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel/QelAnimation.h"
#include "qel/QelHeadless.h"
#include "qel/QelTimer.h"

namespace {

std::vector<std::string> g_log;

void Log(void* owner, uint32_t id, void*) {
  g_log.push_back(std::string(static_cast<const char*>(owner)) + std::to_string(id));
}

void RemoveSelf(void* owner, uint32_t id, void*) {
  Log(owner, id, nullptr);
  QelRemoveTimer(owner, id);
}

class Timers : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    qel::headless::UseManualClock(true);
  }
  void TearDown() override {
    QelRemoveTimersOf(const_cast<char*>(a));
    QelRemoveTimersOf(const_cast<char*>(b));
    qel::headless::UseManualClock(false);
  }
  const char* a = "a";
  const char* b = "b";
};

TEST_F(Timers, FirstDelayThenIntervalInDueOrder) {
  QelInstallTimer(const_cast<char*>(a), 1, 1000, 10, &Log, nullptr);
  QelInstallTimer(const_cast<char*>(b), 2, 0, 30, &Log, nullptr);
  qel::headless::Advance(0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"b2"}));  // first fire at 0
  qel::headless::Advance(1020);
  // b2 at 30..990 (33 more), a1 at 1000, 1010, 1020; b2 at 1020 after a1.
  EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "a1"), 3);
  EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "b2"), 1 + 34);
  auto first_a = std::find(g_log.begin(), g_log.end(), "a1");
  EXPECT_EQ(*(first_a - 1), "b2");
  // At 1020 both are due: the one installed first goes first.
  EXPECT_EQ(g_log[g_log.size() - 2], "a1");
  EXPECT_EQ(g_log.back(), "b2");
}

TEST_F(Timers, InstalledIdIsLeftAloneAndOneShotsGo) {
  QelInstallTimer(const_cast<char*>(a), 7, 100, 100, &Log, nullptr);
  QelInstallTimer(const_cast<char*>(a), 7, 5, 5, &Log, nullptr);  // no-op
  qel::headless::Advance(99);
  EXPECT_TRUE(g_log.empty());
  qel::headless::Advance(1);
  EXPECT_EQ(g_log.size(), 1u);
  QelInstallTimer(const_cast<char*>(b), 1, 50, 0, &Log, nullptr);
  qel::headless::Advance(500);
  EXPECT_FALSE(QelIsTimerInstalled(const_cast<char*>(b), 1));
  EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "b1"), 1);
  EXPECT_TRUE(QelRemoveTimer(const_cast<char*>(a), 7));
  EXPECT_FALSE(QelRemoveTimer(const_cast<char*>(a), 7));
}

TEST_F(Timers, HandlerMayRemoveItsOwnTimer) {
  QelInstallTimer(const_cast<char*>(a), 3, 10, 10, &RemoveSelf, nullptr);
  qel::headless::Advance(100);
  EXPECT_EQ(g_log.size(), 1u);
  EXPECT_EQ(QelTickCount(), 6u);  // 100 ms of manual clock
}

TEST(RealClockTimers, FireThroughTheMainLoop) {
  g_log.clear();
  static const char* owner = "r";
  QelInstallTimer(const_cast<char*>(owner), 1, 0, 1, &RemoveSelf, nullptr);
  QelInstallTimer(const_cast<char*>(owner), 2, 2, 0, &Log, nullptr);
  while (g_log.size() < 2) g_main_context_iteration(nullptr, TRUE);
  EXPECT_EQ(g_log, (std::vector<std::string>{"r1", "r2"}));
}

struct Ends {
  std::vector<int32_t> events;
  static int32_t Proc(QelObject, int32_t event, QELLPARAM, void* data) {
    static_cast<Ends*>(data)->events.push_back(event);
    return 0;
  }
};

TEST(Animations, EndAtOnceHeadlessButThroughTheLoopInOrder) {
  auto* target = new qel::Element(QelFourCC("cata"), "cata_show");
  auto* host = new qel::Element(QelFourCC("cata"), "main");
  Ends ends;
  host->SetCallback(&Ends::Proc, &ends);
  auto* slide = static_cast<qel::Animation*>(qel::Object::FromHandle(Qel0CreateObj(QEL_KIND_ANIMATION)));
  auto* fade = static_cast<qel::Animation*>(qel::Object::FromHandle(Qel0CreateObj(QEL_KIND_FADE)));
  slide->SetTarget(0, target);
  slide->SetGoal(SRect32{-100, 4, 0, 0}, SIZE{0, 30});
  slide->SetEndNotify(host, QEL_EV_ANIM_SLIDE_END);
  fade->SetTarget(0, host);
  fade->SetTarget(1, target);
  fade->SetKeyFrames(0.0, 0.5);
  fade->SetEndNotify(host, QEL_EV_ANIM_SWITCH_END);
  ASSERT_TRUE(fade->Start());
  ASSERT_TRUE(slide->Start());
  EXPECT_TRUE(ends.events.empty());  // not inside Start
  qel::headless::PumpUntilIdle();
  EXPECT_EQ(ends.events, (std::vector<int32_t>{QEL_EV_ANIM_SWITCH_END, QEL_EV_ANIM_SLIDE_END}));
  EXPECT_EQ(target->Margin().left, -100);
  EXPECT_EQ(target->FrameSize().cy, 30);
  EXPECT_DOUBLE_EQ(target->Opacity(), 0.5);
  slide->Release();
  fade->Release();
  target->Release();
  host->Release();
}

TEST(Animations, StepOnTheManualClock) {
  qel::headless::UseManualClock(true);
  auto* target = new qel::Element(QelFourCC("cata"), "cata_Active");
  Ends ends;
  target->SetCallback(&Ends::Proc, &ends);
  QelObject h = Qel0CreateObj(QEL_KIND_ANIMATION);
  SRect32 goal{300, 0, 0, 0};
  SIZE size{40, 40};
  Qel0Inter(h, QEL_IF_ANIMATION, qel::kAnimSetTarget, 0, reinterpret_cast<QELLPARAM>(target->Handle()));
  Qel0Inter(h, QEL_IF_ANIMATION, qel::kAnimSetGoal, reinterpret_cast<QELWPARAM>(&goal),
            reinterpret_cast<QELLPARAM>(&size));
  Qel0Inter(h, QEL_IF_ANIMATION, qel::kAnimSetSteps, 30, 0);
  Qel0Inter(h, QEL_IF_ANIMATION, qel::kAnimSetNotify, QEL_EV_ANIM_SLIDE_END,
            reinterpret_cast<QELLPARAM>(target->Handle()));
  EXPECT_EQ(Qel0Inter(h, QEL_IF_ANIMATION, qel::kAnimStart, 0, 0), 0);
  qel::headless::Advance(16 * 10);
  EXPECT_GT(target->Margin().left, 0);
  EXPECT_LT(target->Margin().left, 300);
  EXPECT_EQ(Qel0Inter(h, QEL_IF_ANIMATION, qel::kAnimIsRunning, 0, 0), 1);
  qel::headless::Advance(16 * 30);
  EXPECT_EQ(target->Margin().left, 300);
  EXPECT_EQ(ends.events, (std::vector<int32_t>{QEL_EV_ANIM_SLIDE_END}));
  Qel0Release(h);
  target->Release();
  qel::headless::UseManualClock(false);
}

TEST(Animations, ASwitchRunsItsFadeByKeyFramesWithinItsRate) {
  qel::headless::UseManualClock(true);
  auto* home = new qel::Element(QelFourCC("cata"), "cata_homepage");
  auto* module = new qel::Element(QelFourCC("cata"), "cata_module");
  Ends ends;
  home->SetCallback(&Ends::Proc, &ends);
  QelObject fade = Qel0CreateObj(QEL_KIND_FADE);
  QelObject launch = Qel0CreateObj(QEL_KIND_ANIMATION);
  Qel0Inter(fade, QEL_IF_ANIMATION, qel::kAnimSetTarget, 0, reinterpret_cast<QELLPARAM>(home->Handle()));
  Qel0Inter(fade, QEL_IF_ANIMATION, qel::kAnimSetTarget, 1, reinterpret_cast<QELLPARAM>(module->Handle()));
  // Value 0 at the start, 1.0 at half a second; the switch lasts 0.5 s.
  double first[2] = {0.0, 0.0}, second[2] = {0.5, 1.0};
  Qel0Inter(fade, QEL_IF_ANIMATION, qel::kAnimSetKeyFrame, 0, reinterpret_cast<QELLPARAM>(first));
  Qel0Inter(fade, QEL_IF_ANIMATION, qel::kAnimSetKeyFrame, 1, reinterpret_cast<QELLPARAM>(second));
  EXPECT_EQ(Qel0Inter(launch, QEL_IF_ANIMATION, qel::kAnimSetEffect, 0, reinterpret_cast<QELLPARAM>(launch)),
            QEL_E_INVALIDARG) << "only a fade is an effect";
  ASSERT_EQ(Qel0Inter(launch, QEL_IF_ANIMATION, qel::kAnimSetEffect, 0, reinterpret_cast<QELLPARAM>(fade)), QEL_S_OK);
  Qel0Inter(launch, QEL_IF_ANIMATION, qel::kAnimSetNotify, QEL_EV_ANIM_SWITCH_END,
            reinterpret_cast<QELLPARAM>(home->Handle()));
  auto* effect = static_cast<qel::Animation*>(qel::Object::FromHandle(fade));
  EXPECT_DOUBLE_EQ(effect->EffectValueAt(0.25), 0.5);
  EXPECT_DOUBLE_EQ(effect->EffectValueAt(2.0), 1.0) << "the last value holds";

  ASSERT_EQ(Qel0Inter(launch, QEL_IF_ANIMATION, qel::kAnimStart, 0, 0), QEL_S_OK) << "a switch needs no target";
  qel::headless::Advance(250);
  EXPECT_NEAR(module->Opacity(), 0.5, 0.05) << "half way at a quarter second";
  EXPECT_NEAR(home->Opacity(), 0.5, 0.05);
  EXPECT_TRUE(ends.events.empty());
  qel::headless::Advance(300);
  EXPECT_EQ(ends.events, (std::vector<int32_t>{QEL_EV_ANIM_SWITCH_END}));
  EXPECT_DOUBLE_EQ(module->Opacity(), 1.0);
  Qel0Release(launch);
  Qel0Release(fade);
  home->Release();
  module->Release();
  qel::headless::UseManualClock(false);
}

}  // namespace
