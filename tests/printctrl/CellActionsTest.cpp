// Command 3's cell actions as the host sees them: what each does to the
// cells, pages and clipboard, what it answers, and what it tells the host.
#include <gtest/gtest.h>

#include <algorithm>

#include "ControlHost.h"
#include "PrintPage.h"
#include "TestPictures.h"
#include "ZylRect.h"

namespace {

struct CellActionsTest : pctest::ElementHost {
  // `n` photos on the four-cell template.
  void Photos(int n) {
    Attach();
    ASSERT_EQ(Cmd(2, 21, nullptr), 1);  // photos keep the way they were taken
    for (int i = 0; i < n; ++i) ASSERT_EQ(AddPhoto(Photo("p" + std::to_string(i) + ".png", imgtest::Scene(60, 40, uint32_t(i + 1)))), 1);
  }
  intptr_t Act(long action, intptr_t arg = 0) {
    got.clear();
    return Action(action, arg);
  }
  CPrintCell* CellOf(long page, long cell) { return project->GetPage(page)->GetCell(unsigned(cell)); }
  long Res(long page, long cell) { return project->GetPage(page)->GetCellResourceIndex(cell); }
  void Select(long page, long cell) { ASSERT_EQ(Act(20, (page << 16) | cell), 1); }
  // The cell's turn and left-right flip, a top-bottom flip written as a
  // left-right flip and a half turn.
  std::tuple<long, int> State(long page, long cell) {
    long a;
    int fa, fb;
    CellOf(page, cell)->GetImgState(a, fa, fb);
    if (fb) fa ^= 1, a += 180;
    return {a % 360, fa};
  }
};

// Turns and flips pile up on the active cell as the picture shows them.
TEST_F(CellActionsTest, TurnsAndFlips) {
  Photos(1);
  struct Step {
    long action;
    long angle;
    int flip;
  } steps[] = {{4, 90, 0}, {4, 180, 0}, {5, 90, 0}, {6, 270, 1}, {7, 270, 0}, {5, 180, 0}};
  for (const Step& s : steps) {
    EXPECT_EQ(Act(s.action), 1) << s.action;
    EXPECT_EQ(State(0, 0), std::make_tuple(s.angle, s.flip)) << "after action " << s.action;
    EXPECT_EQ(Codes().front(), PRTC_ACTIONS);
  }
  // No picture in the active cell: the host is still told, nothing turns.
  Select(0, 1);
  project->SetNeedSave(0);
  EXPECT_EQ(Act(4), 0);
  EXPECT_EQ(Codes().front(), PRTC_ACTIONS);
  EXPECT_EQ(project->GetNeedSave(), 1);
  EXPECT_EQ(std::get<0>(State(0, 1)), 0);
}

TEST_F(CellActionsTest, Zoom) {
  Photos(1);
  const SRect32 whole = CellOf(0, 0)->picRect;
  EXPECT_EQ(Act(1), 1);
  const SRect32 in = CellOf(0, 0)->picRect;
  EXPECT_LT(in.right - in.left, whole.right - whole.left);
  EXPECT_EQ(Act(2), 1);
  EXPECT_EQ(Act(3), 1);  // the whole picture
  const CPrintCell* c = CellOf(0, 0);
  const SRect32 all{0, 0, c->picWidth, c->picHeight};
  EXPECT_TRUE(Zyl_EqualRect(&c->picRect, &all));
  // The preview's own zoom does not arrive here.
  for (long preview : {26, 27, 28, 30}) EXPECT_EQ(Act(preview), 0);
  // Free layout: refused, and nothing is sent.
  ASSERT_EQ(Cmd(2, 6, reinterpret_cast<const void*>(intptr_t(1))), 1);
  ASSERT_EQ(AddPhoto(Photo("f.png", imgtest::Scene(60, 40))), 1);
  for (long zoom : {1, 2, 3}) {
    EXPECT_EQ(Act(zoom), 0);
    EXPECT_TRUE(got.empty());
  }
}

TEST_F(CellActionsTest, CopyCutPaste) {
  Photos(2);
  const long a = Res(0, 0), b = Res(0, 1);
  // Copy the first cell, paste it over the empty third.
  Select(0, 0);
  EXPECT_EQ(Act(8), 0);
  ASSERT_NE(project->GetCellClipBoard(), nullptr);
  Select(0, 2);
  EXPECT_EQ(Act(9), 1);
  EXPECT_EQ(Res(0, 2), a);
  EXPECT_EQ(project->GetImageList()->GetCopies(a), 2);
  // Cut the second: gone from its cell, ready to paste.
  Select(0, 1);
  EXPECT_EQ(Act(10), 0);
  EXPECT_EQ(Res(0, 1), -1);
  EXPECT_EQ(project->GetCellClipBoard()->resIndex, b);
  EXPECT_EQ(Act(9), 1);
  EXPECT_EQ(Res(0, 1), b);
  // Pasting a cell onto itself adds a copy in the first empty cell.
  Select(0, 0);
  EXPECT_EQ(Act(8), 0);
  EXPECT_EQ(Act(9), 0);
  EXPECT_EQ(Res(0, 3), a);
  EXPECT_EQ(project->GetImageList()->GetCopies(a), 3);
  // The limit of printed pictures refuses a paste into an empty cell.
  Select(0, 3);
  EXPECT_EQ(Act(11), 0);
  project->m_nPrintedPictures = 2;
  EXPECT_EQ(Act(9), 0);
  EXPECT_EQ(Res(0, 3), -1);
}

TEST_F(CellActionsTest, DeleteMovesTheSelection) {
  Photos(3);
  Select(0, 1);
  EXPECT_EQ(Act(11), 0);
  EXPECT_EQ(Res(0, 1), -1);
  EXPECT_EQ(project->GetPage(0)->GetActiveCell(), 2);  // the next cell that shows something
  Select(0, 2);
  Act(11);
  EXPECT_EQ(project->GetPage(0)->GetActiveCell(), 0);  // none after it: the one before
  Act(11);
  EXPECT_EQ(project->GetPageCount(), 1);  // the last page stays, empty
  EXPECT_TRUE(project->GetPage(0)->IsPageEmpty());
}

TEST_F(CellActionsTest, Pages) {
  Photos(6);  // two pages
  ASSERT_EQ(project->GetPageCount(), 2);
  ASSERT_EQ(project->GetCurrentPage(), 0);
  struct Step {
    long action;
    intptr_t result;
    long current;
    bool told;
  } steps[] = {{22, 0, 0, false}, {21, 0, 1, true}, {21, 0, 1, false}, {22, 0, 0, true}};
  for (const Step& s : steps) {
    EXPECT_EQ(Act(s.action), s.result);
    EXPECT_EQ(project->GetCurrentPage(), s.current) << s.action;
    EXPECT_EQ(!got.empty(), s.told) << s.action;
    if (s.told) {
      EXPECT_EQ(Codes(), std::vector<int32_t>{PRTC_PAGES});
    }
  }
  // Selecting a cell: both halves checked, the current page kept.
  for (intptr_t bad : {intptr_t(0x8000) << 16, (intptr_t(2) << 16), intptr_t(9), intptr_t(0xFFFF)})
    EXPECT_EQ(Act(20, bad), 0) << bad;
  EXPECT_EQ(Act(20, (1 << 16) | 1), 1);
  EXPECT_EQ(project->GetPage(1)->GetActiveCell(), 1);
  EXPECT_EQ(project->GetCurrentPage(), 0);
  // Deleting the current page; the only page left with pictures leaves one empty page.
  EXPECT_EQ(Act(12), 0);
  EXPECT_EQ(project->GetPageCount(), 1);
  EXPECT_EQ(Codes().front(), PRTC_PAGES);
  EXPECT_EQ(Act(12), 0);
  ASSERT_EQ(project->GetPageCount(), 1);
  EXPECT_TRUE(project->GetPage(0)->IsPageEmpty());
  EXPECT_EQ(project->GetPage(0)->GetCellCount(), 4);
  // The only page, empty: refused without a word.
  EXPECT_EQ(Act(12), 0);
  EXPECT_TRUE(got.empty());
}

TEST_F(CellActionsTest, MoreAndFewerCopies) {
  Photos(1);
  const long a = Res(0, 0);
  EXPECT_EQ(Act(15, 0), 0);
  EXPECT_EQ(project->GetImageList()->GetCopies(a), 2);
  EXPECT_EQ(Res(0, 1), a);
  EXPECT_EQ(Act(16, 0), 0);
  EXPECT_EQ(project->GetImageList()->GetCopies(a), 1);
  EXPECT_EQ(Act(15, 7), 0);  // no such cell
  EXPECT_EQ(Act(15, 2), 0);  // an empty cell
  EXPECT_EQ(project->GetImageList()->GetCopies(a), 1);
}

// Leaving a picture out toggles, and is not an edit of the layout.
TEST_F(CellActionsTest, LeaveOutToggles) {
  Photos(2);
  project->SetNeedSave(0);
  EXPECT_EQ(Act(32, 1), 1);
  EXPECT_TRUE(CellOf(0, 1)->excluded);
  EXPECT_EQ(Act(32, -1), 1);  // the active cell
  EXPECT_TRUE(CellOf(0, 0)->excluded);
  EXPECT_EQ(Act(32, 1), 1);
  EXPECT_FALSE(CellOf(0, 1)->excluded);
  EXPECT_EQ(project->GetNeedSave(), 0);
  EXPECT_EQ(Act(32, 9), 0);  // no such cell
  Select(0, 2);
  EXPECT_EQ(Act(32, 1), 0);  // the active cell shows nothing
  Select(0, 0);
  // Auto-crop comes back once it was given up.
  CellOf(0, 0)->DoAutoCrop(false);
  EXPECT_EQ(Act(29), 1);
  EXPECT_TRUE(CellOf(0, 0)->autoCrop);
  EXPECT_EQ(Act(29), 0);
}

TEST_F(CellActionsTest, NoPageNoAction) {
  for (long a : {1, 4, 8, 9, 11, 12, 21, 32}) EXPECT_EQ(Act(a), 0) << a;
  EXPECT_TRUE(got.empty());
}

}  // namespace
