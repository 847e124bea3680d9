#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "App.h"
#include "BaseWnd.h"
#include "FakePictureReader.h"
#include "TestView.h"
#include "ThumbPool.h"

using namespace vistreltest;

namespace {

std::u16string F(int i) { return u"/photos/IMG_" + std::u16string(1, char16_t(u'A' + i)) + u".jpg"; }

std::vector<std::u16string> Files(int count) {
  std::vector<std::u16string> out;
  for (int i = 0; i < count; ++i) out.push_back(F(i));
  return out;
}

class ReadAheadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CThumbPool::m_nSleepTime = 0;
    for (int i = 0; i < 26; ++i) reader_.AddFile(F(i), 4000, 3000);
    livePictures_ = LivePictures();
  }
  void TearDown() override {
    view_.reset();
    ResetViewer();
    EXPECT_EQ(LivePictures(), livePictures_);  // every picture given back
  }
  // The previews read so far (thumbnails of the pool aside).
  std::vector<std::u16string> PreviewReads() {
    std::vector<std::u16string> out;
    for (const ReadCall& c : reader_.Calls()) {
      if (c.reduction != 0) out.push_back(c.path);
    }
    return out;
  }
  // Shows `index` of the list and waits until the queue holds all its previews.
  void ShowAndSettle(int index) {
    view_->SetCurIndex(index);
    view_->DisplayCurImage(1);
    Settle();
  }
  void Settle() {
    ASSERT_TRUE(PumpUntil([&] {
      for (const tagIMGFILEDATA& e : CBaseWnd::QueueSnapshot())
        if (!e.szFile.empty() && !e.objPict) return false;
      return !view_->IsReadingCurThumb();
    }));
  }

  FakePictureReader reader_;
  std::unique_ptr<TestView> view_ = std::make_unique<TestView>();
  int livePictures_ = 0;
};

}  // namespace

TEST_F(ReadAheadTest, PreviewsAreReadCentreFirstThenTheDirectionOfTravel) {
  SetFiles(Files(20));
  ShowAndSettle(5);
  // Slots 4, 5, 6, 7, 8, 3, 2, 1, 0 hold files 5 .. 9, then 4 .. 1.
  EXPECT_EQ(PreviewReads(), (std::vector<std::u16string>{F(5), F(6), F(7), F(8), F(9), F(4), F(3), F(2), F(1)}));
  // 4000 x 3000 pictures for a 640 x 480 area are read at a quarter.
  for (const ReadCall& c : reader_.Calls()) {
    if (c.reduction != 0) {
      EXPECT_EQ(c.reduction, 4);
    }
  }
  EXPECT_EQ(view_->finishedThumbs, 1);  // the centre was handed to the window
  ASSERT_NE(view_->ShownPicture(), nullptr);
  EXPECT_EQ(PictureSize(view_->ShownPicture()).cx, 1000);
  EXPECT_TRUE(view_->IsCurFileOpened());
  tag_FILE_INFO* shown = (*g_pApp->GetFilelist())[5];
  EXPECT_EQ(shown->nImageWidth_org, 4000);
  EXPECT_EQ(shown->dwBrowsed, 1u);

  // Moving on shifts the queue: only the picture that enters is read.
  view_->DoNext();
  Settle();
  EXPECT_EQ(view_->GetCurIndex(), 6);
  EXPECT_EQ(PreviewReads().size(), 10u);
  EXPECT_EQ(PreviewReads().back(), F(10));
  EXPECT_EQ(view_->GetCurPath(), F(6));
  EXPECT_EQ(shown->dwBrowsed, 1u);

  // Going back twice reads what enters on the other side.
  view_->DoPrevious();
  Settle();
  view_->DoPrevious();
  Settle();
  std::vector<std::u16string> reads = PreviewReads();
  ASSERT_EQ(reads.size(), 12u);
  EXPECT_EQ(reads[10], F(1));
  EXPECT_EQ(reads[11], F(0));
  std::vector<tagIMGFILEDATA> queue = CBaseWnd::QueueSnapshot();
  ASSERT_EQ(queue.size(), 9u);
  for (int k = 0; k < 9; ++k) EXPECT_EQ(queue[size_t(k)].szFile, F(k)) << k;
}

TEST_F(ReadAheadTest, NavigationWrapsAroundAShortList) {
  SetFiles(Files(3));
  ShowAndSettle(0);
  std::vector<tagIMGFILEDATA> queue = CBaseWnd::QueueSnapshot();
  // Nine slots over three files: slot k holds file (k - 4) mod 3.
  for (int k = 0; k < 9; ++k) EXPECT_EQ(queue[size_t(k)].szFile, F(((k - 4) % 3 + 3) % 3)) << k;
  view_->DoPrevious();
  EXPECT_EQ(view_->GetCurIndex(), 2);
  view_->DoNext();
  view_->DoNext();
  EXPECT_EQ(view_->GetCurIndex(), 1);
  Settle();
  EXPECT_EQ(view_->GetCurPath(), F(1));
}

TEST_F(ReadAheadTest, AnEmptyListShowsNothingAndIgnoresNavigation) {
  SetFiles({});
  EXPECT_FALSE(view_->DisplayCurImage(1));
  EXPECT_TRUE(view_->DisplayCurImage(0));  // before the first display: nothing changes
  view_->DoNext();
  view_->DoPrevious();
  view_->InitThumbFileList();
  EXPECT_EQ(view_->GetCurIndex(), 0);
  EXPECT_FALSE(view_->IsCurFileOpened());
  EXPECT_EQ(view_->ShownPicture(), nullptr);
  EXPECT_TRUE(view_->GetCurPath().empty());
  EXPECT_TRUE(reader_.Calls().empty());
}

TEST_F(ReadAheadTest, ANewListDropsTheWorkOfTheOldOne) {
  SetFiles(Files(10));
  reader_.Block(F(3));
  view_->SetCurIndex(3);
  view_->DisplayCurImage(1);
  ASSERT_TRUE(reader_.WaitUntilBlocked(F(3)));  // the reader is filling the centre

  // A new command line: the readers are told to drop their work, then the
  // list is replaced and shown from its first picture.
  CBaseWnd::AbortReadThreadAndClear();
  std::vector<std::u16string> fresh;
  for (int i = 15; i < 25; ++i) fresh.push_back(F(i));
  SetFiles(fresh);
  view_->SetCurIndex(0);
  view_->DisplayCurImage(1);
  Settle();
  reader_.Release(F(3));

  EXPECT_EQ(reader_.Aborted(), 1u);
  for (const tagIMGFILEDATA& e : CBaseWnd::QueueSnapshot()) {
    EXPECT_GE(e.szFile, F(15)) << std::string(e.szFile.begin(), e.szFile.end());
    EXPECT_NE(e.objPict, nullptr);
  }
  EXPECT_EQ(view_->GetCurPath(), F(15));
}

TEST_F(ReadAheadTest, TheFullResolutionPictureReplacesThePreviewUntilTheNextFile) {
  SetFiles(Files(10));
  ShowAndSettle(2);
  PubImage::QelPicture* preview = view_->ShownPicture();
  ASSERT_TRUE(view_->StartReadOrgImgThread());
  ASSERT_TRUE(PumpUntil([&] { return view_->finishedFull == 1; }));
  ASSERT_NE(CBaseWnd::FullResolutionPicture(), nullptr);
  EXPECT_EQ(view_->ShownPicture(), CBaseWnd::FullResolutionPicture());
  EXPECT_NE(view_->ShownPicture(), preview);
  EXPECT_EQ(PictureSize(view_->ShownPicture()).cx, 4000);
  EXPECT_EQ(reader_.Calls().back().reduction, 1);

  // Showing the same path again keeps it; another file drops it.
  view_->DisplayCurImage(1);
  EXPECT_NE(CBaseWnd::FullResolutionPicture(), nullptr);
  view_->DoNext();
  EXPECT_EQ(CBaseWnd::FullResolutionPicture(), nullptr);
  Settle();
  EXPECT_EQ(PictureSize(view_->ShownPicture()).cx, 1000);
}

TEST_F(ReadAheadTest, StoppingNeverWaitsForAWindowThatDoesNotTakeTheResult) {
  SetFiles(Files(10));
  view_->SetCurIndex(0);
  view_->DisplayCurImage(1);
  // The centre is read and offered to the window, which never pumps its
  // messages: the reader waits for it until it is stopped.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (CBaseWnd::PendingHandOvers() == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(CBaseWnd::PendingHandOvers(), 1u);
  CBaseWnd::StopAllReadThread();
  EXPECT_EQ(CBaseWnd::PendingHandOvers(), 0u);
  EXPECT_EQ(view_->finishedThumbs, 0);
  // The stale message finds no reader waiting when it is finally delivered.
  ASSERT_TRUE(PumpUntil([&] { return view_->finishedThumbs == 1; }));
}
