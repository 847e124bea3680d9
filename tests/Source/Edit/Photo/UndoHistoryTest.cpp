// The photo editor's history: 64 steps, undo in reverse and redo in order,
// the redo list dropped by a new step, continuous edits gathered into one
// step, and every record's data and reference given back exactly once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CActionManage.h"

namespace {

// Records what the history calls. A step's data is a heap int naming it.
class Recorder : public CAction {
 public:
  explicit Recorder(std::vector<std::string>* log) : log_(log) {}
  ~Recorder() override { log_->push_back("deleted"); }
  void UndoAction(int32_t id, intptr_t data) override { log_->push_back("undo " + Name(id, data)); }
  void RedoAction(int32_t id, intptr_t data) override { log_->push_back("redo " + Name(id, data)); }
  void DisposeActionData(int32_t id, intptr_t data) override {
    log_->push_back("dispose " + Name(id, data));
    if (id == kActionApplyParam) {
      delete reinterpret_cast<tagFrameParam*>(data);
    } else {
      delete reinterpret_cast<int*>(data);
    }
  }
  // Continuous edits carry the record before the run: its brightness
  // names it here.
  static std::string Name(int32_t id, intptr_t data) {
    if (id == kActionApplyParam) {
      return "run@" + std::to_string(reinterpret_cast<tagFrameParam*>(data)->BrightContrast.nBrightness);
    }
    return std::to_string(*reinterpret_cast<int*>(data));
  }

 private:
  std::vector<std::string>* log_;
};

class UndoHistory : public ::testing::Test {
 protected:
  void SetUp() override { action_ = new Recorder(&log_); }
  void TearDown() override {
    delete history_;
    MyRelease(action_);
  }
  // One step of `records` records, as an edit pushes it.
  void Push(int first, int records = 1) {
    CActionCollect collect(history_);
    for (int i = 0; i < records; ++i) {
      tagActionInfo info{action_, 1, reinterpret_cast<intptr_t>(new int(first + i))};
      CActionCollect::PushActionInfo(&info);
    }
  }
  void Slide(int32_t id, int16_t before) {
    tagFrameParam p;
    p.BrightContrast.nBrightness = before;
    history_->BackupEditData(id, &p, action_);
  }
  std::vector<std::string> Take() { return std::exchange(log_, {}); }

  std::vector<std::string> log_;
  Recorder* action_ = nullptr;
  CActionManage* history_ = new CActionManage();
};

using Log = std::vector<std::string>;

TEST_F(UndoHistory, UndoesInReverseRedoesInOrderAndForgetsTheRedoListOnANewStep) {
  EXPECT_EQ(history_->CanUndo(), 0);
  EXPECT_EQ(history_->CanRedo(), 0);
  history_->OnUndo();
  history_->OnRedo();
  EXPECT_TRUE(Take().empty());

  Push(10, 2);
  Push(20);
  EXPECT_EQ(action_->m_nRtCount, 3);  // one per record
  EXPECT_EQ(history_->CanRedo(), 0);  // redo right after a new step does nothing
  history_->OnRedo();
  history_->OnUndo();
  history_->OnUndo();
  EXPECT_EQ(Take(), (Log{"undo 20", "undo 11", "undo 10"}));
  EXPECT_EQ(history_->CanUndo(), 0);
  history_->OnUndo();  // refused
  history_->OnRedo();
  EXPECT_EQ(Take(), (Log{"redo 10", "redo 11"}));
  EXPECT_EQ(history_->CanUndo(), 1);
  EXPECT_EQ(history_->CanRedo(), 1);

  Push(30);  // drops the step that could have been redone
  EXPECT_EQ(Take(), (Log{"dispose 20"}));
  EXPECT_EQ(history_->CanRedo(), 0);
  EXPECT_EQ(history_->StepCount(), 2);
  EXPECT_EQ(action_->m_nRtCount, 3);
}

TEST_F(UndoHistory, KeepsTheSixtyFourNewestSteps) {
  for (int i = 1; i <= 65; ++i) Push(i);
  EXPECT_EQ(Take(), (Log{"dispose 1"}));
  EXPECT_EQ(history_->StepCount(), 64);
  for (int i = 0; i < 64; ++i) history_->OnUndo();
  Log log = Take();
  ASSERT_EQ(log.size(), 64u);
  EXPECT_EQ(log.front(), "undo 65");
  EXPECT_EQ(log.back(), "undo 2");  // the state after the discarded step
  EXPECT_EQ(history_->CanUndo(), 0);
  history_->OnUndo();
  EXPECT_TRUE(Take().empty());
  for (int i = 0; i < 64; ++i) history_->OnRedo();
  EXPECT_EQ(Take().back(), "redo 65");
  EXPECT_EQ(history_->CanRedo(), 0);
}

TEST_F(UndoHistory, ContinuousEditsBecomeOneStepWhenAnotherKindStartsOrTheUserUndoes) {
  // Ten brightness changes keep the state before the first.
  for (int16_t b = 0; b < 10; ++b) Slide(EDITING_ID_BRIGHTNESS, b);
  EXPECT_EQ(history_->StepCount(), 0);
  EXPECT_EQ(history_->CanUndo(), 1);  // pending data can be undone
  EXPECT_EQ(history_->CanRedo(), 0);
  // The contrast run begins: the brightness run is stored as one step.
  Slide(EDITING_ID_CONTRAST, 9);
  EXPECT_EQ(history_->StepCount(), 1);
  EXPECT_EQ(history_->PendingEditID(), EDITING_ID_CONTRAST);
  EXPECT_EQ(history_->CanUndo(), 1);
  EXPECT_EQ(history_->CanRedo(), 0);
  // Undo with the contrast run pending: it is stored, then undone.
  history_->PushEditData();
  history_->OnUndo();
  EXPECT_EQ(history_->StepCount(), 2);
  EXPECT_EQ(Take(), (Log{"undo run@9"}));
  history_->OnUndo();
  EXPECT_EQ(Take(), (Log{"undo run@0"}));

  // Two resizes in a row are two steps; a new step stores a pending run
  // before itself.
  history_->ClearActionData();
  Take();
  Slide(EDITING_ID_RESIZE, 1);
  Slide(EDITING_ID_RESIZE, 2);
  EXPECT_EQ(history_->StepCount(), 1);
  Push(50);
  EXPECT_EQ(history_->StepCount(), 3);
  history_->OnUndo();
  history_->OnUndo();
  history_->OnUndo();
  EXPECT_EQ(Take(), (Log{"undo 50", "undo run@2", "undo run@1"}));
}

TEST_F(UndoHistory, ClearingGivesBackEveryRecordOnce) {
  Push(1);
  Push(2, 2);
  history_->OnUndo();
  Slide(EDITING_ID_SHARPEN, 7);
  Take();
  history_->ClearActionData();
  EXPECT_EQ(Take(), (Log{"dispose 1", "dispose 2", "dispose 3"}));
  EXPECT_EQ(history_->CanUndo(), 0);  // the pending run is forgotten too
  EXPECT_EQ(history_->CanRedo(), 0);
  EXPECT_EQ(action_->m_nRtCount, 0);

  // Deleting the history gives back what it still holds; the last
  // reference deletes the object.
  Push(4);
  delete history_;
  history_ = nullptr;
  EXPECT_EQ(Take(), (Log{"dispose 4"}));
  MyRetain(action_);
  MyRelease(action_);
  EXPECT_TRUE(Take().empty());
  MyRelease(action_);
  action_ = nullptr;
  EXPECT_EQ(Take(), (Log{"deleted"}));
}

}  // namespace
