#include <gtest/gtest.h>

#include <vector>

#include "TestEnvironment.h"
#include "qel/QelInput.h"
#include "qel/QelLayout.h"
#include "qel/QelWindow.h"

namespace {

// Records the key and wheel messages the window receives.
class RecordingWindow : public CQelWindow {
 public:
  struct Message {
    uint32_t msg;
    QELWPARAM wp;
    QELLPARAM lp;
  };
  std::vector<Message> seen;
  intptr_t ProcessMessage(uint32_t msg, QELWPARAM wp, QELLPARAM lp, bool& handled) override {
    if (msg == 256 || msg == 257 || msg == 522) seen.push_back({msg, wp, lp});
    return CQelWindow::ProcessMessage(msg, wp, lp, handled);
  }
};

}  // namespace

TEST(InputTest, KeysCarryTheRepeatMarkAndWheelStepsNoElementTakesReachTheWindow) {
  auto dir = testenv::MakeTempDir("input");
  qel::Element* root = qel::LoadLayoutString(
      "<layout w=\"200\" h=\"100\"><element type=\"cata\" name=\"cata_area\" x=\"0\" y=\"0\" w=\"200\" h=\"100\"/></layout>",
      dir.string());
  ASSERT_NE(root, nullptr);
  RecordingWindow w;
  ASSERT_EQ(w.CreateFromPanel(root->Handle(), nullptr, nullptr), 1);
  root->Release();

  qel::input::Key(&w, 29, true);
  qel::input::Key(&w, 29, true, qel::input::kKeyRepeat);
  qel::input::Key(&w, 29, false);
  ASSERT_EQ(w.seen.size(), 3u);
  EXPECT_EQ(w.seen[0].lp, 0);
  EXPECT_EQ(w.seen[1].lp, qel::input::kKeyRepeat);
  EXPECT_EQ(w.seen[2].msg, 257u);

  w.seen.clear();
  qel::PointerInput wheel;
  wheel.kind = qel::PointerInput::kWheel;
  wheel.at = POINT{50, 50};
  for (double step : {1.0, -1.0}) {
    wheel.wheel = step;
    qel::input::Pointer(&w, wheel);
  }
  ASSERT_EQ(w.seen.size(), 2u);
  // A step towards the user (down) is negative, as on the original system.
  EXPECT_EQ(static_cast<int16_t>(uint32_t(w.seen[0].wp) >> 16), -120);
  EXPECT_EQ(static_cast<int16_t>(uint32_t(w.seen[1].wp) >> 16), 120);

  qel::input::SetModifiers(qel::PointerInput::kControl);
  EXPECT_EQ(qel::input::Modifiers(), qel::PointerInput::kControl);
  qel::input::SetModifiers(0);
  EXPECT_EQ(qel::input::Modifiers(), 0u);
}

namespace {

struct PointerLog {
  std::vector<std::pair<int32_t, QELLPARAM>> events;
};

int32_t LogPointer(QelObject, int32_t event, QELLPARAM param, void* data) {
  if (event == QEL_EV_LAYOUT_CHANGED) return 0;  // the frame hears where it was laid out too
  static_cast<PointerLog*>(data)->events.push_back({event, param});
  return 0;
}

}  // namespace

TEST(InputTest, AnElementThatAsksForThePointerGetsThePressTheDragAndTheRelease) {
  auto dir = testenv::MakeTempDir("input");
  qel::Element* root = qel::LoadLayoutString(
      "<layout w=\"200\" h=\"100\"><element type=\"cata\" name=\"cata_frame\" x=\"20\" y=\"10\" w=\"100\" h=\"60\">"
      "<element type=\"cata\" name=\"cata_mask\" x=\"0\" y=\"0\" w=\"100\" h=\"10\"/></element></layout>",
      dir.string());
  ASSERT_NE(root, nullptr);
  CQelWindow w;
  ASSERT_EQ(w.CreateFromPanel(root->Handle(), nullptr, nullptr), 1);
  qel::Element* frame = root->FindByName("cata_frame", true);
  root->Release();
  PointerLog log;
  frame->SetCallback(LogPointer, &log);
  auto send = [&](qel::PointerInput::Kind kind, POINT at) {
    qel::PointerInput in;
    in.kind = kind;
    in.at = at;
    return qel::input::Pointer(&w, in);
  };
  // Without asking, a plain panel takes nothing.
  EXPECT_FALSE(send(qel::PointerInput::kDown, POINT{30, 15}));
  EXPECT_TRUE(log.events.empty());
  send(qel::PointerInput::kUp, POINT{30, 15});

  // Asked for: a press on a child of it reaches it, and the drag follows
  // it outside its bounds until the release.
  Qel0Inter(frame->Handle(), QEL_IF_ELEMENT, 91, 1, 0);
  EXPECT_TRUE(send(qel::PointerInput::kDown, POINT{30, 15}));
  EXPECT_TRUE(send(qel::PointerInput::kMove, POINT{150, 90}));
  EXPECT_TRUE(send(qel::PointerInput::kUp, POINT{160, 95}));
  ASSERT_EQ(log.events.size(), 3u);
  EXPECT_EQ(log.events[0].first, 0x40000002);
  EXPECT_EQ(log.events[0].second, QELLPARAM(30 | (15 << 16)));
  EXPECT_EQ(log.events[1].first, 0x40000001);
  EXPECT_EQ(log.events[2].first, 0x40000003);
  EXPECT_EQ(log.events[2].second, QELLPARAM(160 | (95 << 16)));
  // A press outside it goes elsewhere.
  EXPECT_FALSE(send(qel::PointerInput::kDown, POINT{190, 95}));
  EXPECT_EQ(log.events.size(), 3u);
}
