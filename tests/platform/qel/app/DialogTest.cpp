#include <gtest/gtest.h>

#include "qel/QelHeadless.h"
#include "qel/QelWindow.h"

namespace {

namespace hl = qel::headless;

class Question : public CQelDialog {
 public:
  bool modal_in_front_seen = false;
  int closes = 0;
  void RegisterCallBacks() override {
    RegisterCallBack("butn_OK", QEL_EV_CLICK, [](QelObject, int32_t, QELLPARAM, void* d) {
      static_cast<Question*>(d)->OnQelOK();
      return 0;
    });
    RegisterCallBack("butn_Cancel", QEL_EV_CLICK, [](QelObject, int32_t, QELLPARAM, void* d) {
      auto* q = static_cast<Question*>(d);
      q->modal_in_front_seen = QelIsModalInFront();
      q->OnQelCancel();
      return 0;
    });
  }
  void DidClose() override { ++closes; }
};

int32_t RunDialog(void (*answer)()) {
  Question q;
  if (q.Create(QEL_TEST_LAYOUTS "/Dialog.aui", nullptr, nullptr) != 1) return -100;
  answer();
  int32_t r = q.DoModal();
  EXPECT_EQ(q.closes, 1);
  EXPECT_FALSE(q.IsCreated());
  return r;
}

TEST(Dialog, AnswersByButtonAndKey) {
  EXPECT_EQ(RunDialog([] { hl::AnswerNextModal("butn_OK"); }), 0);
  EXPECT_EQ(RunDialog([] { hl::AnswerNextModal("BUTN_cancel"); }), 1);
  EXPECT_EQ(RunDialog([] { hl::AnswerNextModalKey(QEL_KEY_RETURN); }), 0);
  EXPECT_EQ(RunDialog([] { hl::AnswerNextModalKey(QEL_KEY_ENTER); }), 0);
  EXPECT_EQ(RunDialog([] { hl::AnswerNextModalKey(QEL_KEY_ESCAPE); }), 1);
  EXPECT_EQ(RunDialog([] { hl::AnswerNextModalWith(2); }), 2);
  EXPECT_EQ(hl::PendingModalAnswers(), 0u);
}

TEST(Dialog, MissingButtonCancelsInsteadOfHanging) {
  EXPECT_EQ(RunDialog([] { hl::AnswerNextModal("butn_Yes"); }), 1);
}

TEST(Dialog, ModalIsInFrontWhileItRuns) {
  Question q;
  ASSERT_EQ(q.Create(QEL_TEST_LAYOUTS "/Dialog.aui", nullptr, nullptr), 1);
  EXPECT_FALSE(QelIsModalInFront());
  hl::AnswerNextModal("butn_Cancel");
  EXPECT_EQ(q.DoModal(), 1);
  EXPECT_TRUE(q.modal_in_front_seen);
  EXPECT_FALSE(QelIsModalInFront());
}

TEST(Dialog, NestedModalsEndInnermostFirst) {
  Question outer;
  ASSERT_EQ(outer.Create(QEL_TEST_LAYOUTS "/Dialog.aui", nullptr, nullptr), 1);
  int32_t inner_result = -1;
  outer.RegisterCallBack("chck_NotShowAgain", QEL_EV_CLICK, [](QelObject, int32_t, QELLPARAM, void* d) {
    Question inner;
    inner.Create(QEL_TEST_LAYOUTS "/Dialog.aui", nullptr, nullptr);
    hl::AnswerNextModal("butn_OK");
    *static_cast<int32_t*>(d) = inner.DoModal();
    return 0;
  }, &inner_result);
  hl::AnswerNextModal("chck_NotShowAgain");
  // The outer dialog is still up after the inner one: end it from a posted message.
  outer.RegisterMessage(3000, [&outer](QELWPARAM, QELLPARAM, bool&) {
    outer.EndModal(0);
    return intptr_t(0);
  });
  outer.RegisterCallBack("chck_NotShowAgain", QEL_EV_CLICK, [](QelObject, int32_t, QELLPARAM, void* d) {
    PostMessage(static_cast<CQelWindow*>(d)->GetWindowRef(), 3000, 0, 0);
    return 0;
  }, static_cast<CQelWindow*>(&outer));
  EXPECT_EQ(outer.DoModal(), 0);
  EXPECT_EQ(inner_result, 0);
}

TEST(Dialog, UncreatedDialogCancels) {
  Question q;
  EXPECT_EQ(q.DoModal(), 1);
}

}  // namespace
