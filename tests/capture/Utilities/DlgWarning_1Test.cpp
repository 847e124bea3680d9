// The capture page's reminder: Return answers Continue, or Cancel when the
// dialog was made for Return to cancel; Escape always cancels.
#include <gtest/gtest.h>

#include <cstdlib>

#include "DlgWarning_1.h"
#include "TestEnvironment.h"
#include "qel/QelHeadless.h"
#include "qel/QelMessage.h"

namespace hl = qel::headless;

namespace {

TEST(DlgWarning_1, ReturnAnswersAsTheDialogWasMade) {
  ::setenv("DUNSELLOW_BUNDLE", (testenv::StageDir() / "Dunsellow.app").c_str(), 1);
  struct Case {
    int32_t returnMeansCancel;
    uint32_t key;
    bool tick;
    int32_t answer;
    bool showAgain;
  };
  const Case cases[] = {
      {0, QEL_KEY_RETURN, false, 0, true},
      {1, QEL_KEY_RETURN, true, 1, false},
      {1, QEL_KEY_ENTER, false, 1, true},
      {0, QEL_KEY_ESCAPE, false, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "return cancels " << c.returnMeansCancel << ", key " << c.key);
    CDlgWarning_1 dialog(nullptr, u"Super quality costs speed.", c.returnMeansCancel);
    ASSERT_TRUE(dialog.Create(u"$app\\UI\\WarningLowQuality.aui", nullptr, nullptr));
    EXPECT_EQ(hl::Read(&dialog, "view").text, u"Super quality costs speed.");
    hl::AnswerNextModalBy([&c](CQelWindow* w) {
      if (c.tick) {
        EXPECT_TRUE(hl::Click(w, "chck_NotShowAgain"));
      }
      hl::PressKey(w, c.key);
    });
    EXPECT_EQ(dialog.DoModal(), c.answer);
    EXPECT_EQ(dialog.ShowAgain(), c.showAgain);
  }
  ::unsetenv("DUNSELLOW_BUNDLE");
}

}  // namespace
