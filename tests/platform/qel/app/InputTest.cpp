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
