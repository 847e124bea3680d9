// The dialog base of the main program: keys that answer it, and the frame
// with or without its cut corners.
#include "DialogFixture.h"
#include "DlgBase.h"

namespace {

namespace hl = qel::headless;

bool Covers(const std::vector<SRect32>& shape, int32_t x, int32_t y) {
  for (const SRect32& r : shape) {
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  }
  return false;
}

TEST_F(DialogTest, DialogBaseAnswersItsKeysAndCutsItsCorners) {
  Start();
  struct Case {
    uint32_t key;
    int32_t result;
  } cases[] = {{QEL_KEY_ESCAPE, 1}, {QEL_KEY_RETURN, 0}, {QEL_KEY_ENTER, 0}};
  for (const Case& c : cases) {
    Orvenna::CDlgBase dialog(1);
    // The 8-bit form takes Mac Roman text.
    ASSERT_EQ(dialog.Create("$app\\UI\\splash.aui", nullptr, Frame().GetWindowRef()), 1);
    SRect32 b = dialog.Bounds();
    EXPECT_FALSE(Covers(dialog.Shape(), 0, 0)) << "top-left corner cut";
    EXPECT_FALSE(Covers(dialog.Shape(), b.right - b.left - 1, 0)) << "top-right corner cut";
    EXPECT_TRUE(Covers(dialog.Shape(), 0, b.bottom - b.top - 1));
    bool stays = false;
    Inside([&] {
      hl::PressKey(nullptr, 'a');  // not a key of the dialog
      stays = dialog.InModal();
      hl::PressKey(nullptr, c.key);
    });
    EXPECT_EQ(dialog.DoModal(), c.result) << c.key;
    EXPECT_TRUE(stays);
  }

  Orvenna::CDlgBase square(0);
  ASSERT_EQ(square.Create(u"$app\\UI\\splash.aui", nullptr, Frame().GetWindowRef()), 1);
  EXPECT_TRUE(square.Shape().empty());
  EXPECT_EQ(square.GetProperty(QelFourCC("QELA"), QelFourCC("SHPE")), nullptr) << "a rectangular frame";
  hl::AnswerNextModalKey(QEL_KEY_ESCAPE);
  EXPECT_EQ(square.DoModal(), 1);

  Orvenna::CDlgBase missing(1);
  EXPECT_EQ(missing.Create("$app\\UI\\no-such.aui", nullptr, nullptr), 0);
}

}  // namespace
