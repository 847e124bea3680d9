// The trim bar: times to widths and back, handle drags that carry the
// play-head, and steps that always move.
#include <gtest/gtest.h>

#include <vector>

#include "CropCtrl.h"
#include "qel/QelCore.h"
#include "qel/QelElement.h"

namespace {

struct Recorder : ICropCtrlCallback {
  struct Call {
    char which;
    int32_t time, final;
  };
  std::vector<Call> calls;
  void CropPositionChanged(int32_t t, int32_t f) override { calls.push_back({'p', t, f}); }
  void CropLeftChanged(int32_t t, int32_t f) override { calls.push_back({'l', t, f}); }
  void CropRightChanged(int32_t t, int32_t f) override { calls.push_back({'r', t, f}); }
};

class CropCtrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    panel_ = new qel::Element(QelFourCC("cata"), "cata_playcut");
    for (const char* name : {"cata_CropLeft", "butn_CropLeft", "cata_PosLeft", "butn_Pos", "cata_PosRight",
                             "butn_CropRight", "cata_CropRight"}) {
      auto* e = new qel::Element(QelFourCC(name[0] == 'b' ? "butn" : "cata"), name);
      e->SetFrameSize(SIZE{name[0] == 'b' ? 8 : 0, 20});
      e->PutInside(panel_, nullptr);
      e->Release();
    }
    // A strip 100 wide, all of it between the play-head and the right handle.
    panel_->FindByName("cata_PosRight", true)->SetFrameSize(SIZE{100, 20});
    ASSERT_EQ(ctrl_.Init(nullptr, reinterpret_cast<PubQelmar::QelPanel*>(panel_->Handle()), &rec_, 100,
                         CCropCtrl::kFollowPosition),
              1);
  }
  void TearDown() override { panel_->Release(); }

  std::vector<int32_t> Widths() {
    int32_t w[4];
    ctrl_.Widths(w);
    return {w[0], w[1], w[2], w[3]};
  }

  qel::Element* panel_ = nullptr;
  Recorder rec_;
  CCropCtrl ctrl_;
};

TEST_F(CropCtrlTest, TimesBecomeWidthsAndBack) {
  struct Case {
    int32_t duration, position, start, end;
    std::vector<int32_t> widths;
    int32_t readPosition, readStart, readEnd;
  } cases[] = {
      {1000, 500, 200, 800, {20, 30, 30, 20}, 500, 200, 800},
      {1000, 900, 200, 800, {20, 60, 0, 20}, 800, 200, 800},  // end <= position: the play-head at the handle
      {0, 0, 0, 0, {0, 0, 100, 0}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    ctrl_.SetData(c.duration, c.position, c.start, c.end);
    EXPECT_EQ(Widths(), c.widths) << c.duration << " " << c.position;
    int32_t p = -1, s = -1, e = -1;
    EXPECT_EQ(ctrl_.GetData(&p, &s, &e), 1);
    EXPECT_EQ(p, c.readPosition);
    EXPECT_EQ(s, c.readStart);
    EXPECT_EQ(e, c.readEnd);
  }
  EXPECT_EQ(ctrl_.GetData(nullptr, nullptr, nullptr), 0);
}

TEST_F(CropCtrlTest, DraggedHandlesCarryThePlayHeadAndStopAtTheOtherHandle) {
  ctrl_.SetData(1000, 500, 200, 800);
  // The left handle dragged 50 to the right: past the play-head, which follows.
  ctrl_.OnDrag(CCropCtrl::kLeft, 0x40000002, 100);
  ctrl_.OnDrag(CCropCtrl::kLeft, 0x40000001, 150);
  EXPECT_EQ(Widths(), (std::vector<int32_t>{70, 0, 10, 20}));
  // ... and on past the right handle: it stops there.
  ctrl_.OnDrag(CCropCtrl::kLeft, 0x40000003, 400);
  EXPECT_EQ(Widths(), (std::vector<int32_t>{80, 0, 0, 20}));
  ASSERT_GE(rec_.calls.size(), 2u);
  EXPECT_EQ(rec_.calls[rec_.calls.size() - 2].which, 'l');
  EXPECT_EQ(rec_.calls[rec_.calls.size() - 2].final, 1);
  EXPECT_EQ(rec_.calls.back().which, 'p');
  EXPECT_EQ(rec_.calls.back().time, 800);
}

// A handle follows the points its press and moves carried, wherever the
// pointer is by the time they are handled.
TEST_F(CropCtrlTest, AHandleFollowsThePointsOfItsEvents) {
  ctrl_.SetData(1000, 500, 200, 800);
  qel::Element* handle = panel_->FindByName("butn_CropLeft", true);
  for (auto [kind, x] : {std::pair{qel::PointerInput::kDown, 100}, {qel::PointerInput::kMove, 150},
                         {qel::PointerInput::kUp, 130}}) {
    qel::PointerInput in;
    in.kind = kind;
    in.at = POINT{x, 5};
    ASSERT_TRUE(handle->TakePointer(in));
  }
  EXPECT_EQ(Widths(), (std::vector<int32_t>{50, 0, 30, 20}));
  ASSERT_FALSE(rec_.calls.empty());
  EXPECT_EQ(rec_.calls.back().which, 'p');
  EXPECT_EQ(rec_.calls.back().final, 1);
}

TEST_F(CropCtrlTest, AStepMovesThePlayHeadAtLeastOneUnit) {
  // 100 units of a 100 000-unit movie on a 100-wide strip: far below one unit.
  ctrl_.SetData(100000, 50000, 0, 100000);
  ctrl_.OnStep(true, 0x40000002, true);
  EXPECT_EQ(Widths()[1], 51);
  ctrl_.OnStep(false, 0x40000002, true);
  ctrl_.OnStep(false, 0x40000003, true);
  EXPECT_EQ(Widths()[1], 50);
  ASSERT_FALSE(rec_.calls.empty());
  EXPECT_EQ(rec_.calls.back().which, 'p');
  EXPECT_EQ(rec_.calls.back().final, 1);
}

}  // namespace
