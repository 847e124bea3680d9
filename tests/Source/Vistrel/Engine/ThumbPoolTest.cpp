#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "App.h"
#include "CmdLineProcessor.h"
#include "FakePictureReader.h"
#include "ThumbPool.h"

using vistreltest::FakePictureReader;

namespace {

std::u16string P(int i) { return u"/photos/p" + std::u16string(1, char16_t(u'a' + i)) + u".jpg"; }

// Waits, with a generous limit, until the pool reports the flag for a path.
bool WaitForFlag(CThumbPool& pool, const std::u16string& path, uint32_t wanted) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < deadline) {
    uint32_t flag = 0;
    SIZE size{};
    if (pool.GetThumbState(path.c_str(), flag, size, nullptr) && flag == wanted) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

class ThumbPoolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CThumbPool::m_nSleepTime = 0;
    for (int i = 0; i < 8; ++i) reader_.AddFile(P(i), 4000 + i, 3000);
  }
  void TearDown() override { g_pApp->ClearFileList(); }

  FakePictureReader reader_;
};

}  // namespace

TEST_F(ThumbPoolTest, ObjectsAreMadeOnceAndTasksAreOrderedByPriority) {
  CThumbPool pool;
  ASSERT_TRUE(pool.Init(IOT_Edit));
  EXPECT_EQ(pool.AddThumb_new(P(0).c_str(), 2), noobject);
  EXPECT_EQ(pool.AddThumb_new(P(0).c_str(), 2), object_nothumbnail);
  for (int i = 1; i < 4; ++i) pool.AddThumb_new(P(i).c_str(), 2);

  EXPECT_FALSE(pool.AddTask(u"/photos/unknown.jpg", TF_160X160, 0));
  EXPECT_TRUE(pool.AddTask(P(0).c_str(), TF_160X160, 0));
  EXPECT_TRUE(pool.AddTask(P(1).c_str(), TF_160X160, 0));
  EXPECT_TRUE(pool.AddTask(P(2).c_str(), TF_160X160, 0));
  EXPECT_TRUE(pool.AddTask(P(0).c_str(), TF_160X160, 0));  // moves to the back
  EXPECT_TRUE(pool.AddTask(P(3).c_str(), TF_160X160, 1));  // high priority: the front
  std::vector<std::u16string> order;
  for (const TASK_ITEM& t : pool.Tasks()) order.push_back(t.sPath.c_str());
  EXPECT_EQ(order, (std::vector<std::u16string>{P(3), P(1), P(2), P(0)}));
  EXPECT_TRUE(pool.RemoveTask(P(1).c_str()));
  EXPECT_EQ(pool.Tasks().size(), 3u);

  // The builder serves the queue front first.
  ASSERT_TRUE(pool.StartCacheThread());
  EXPECT_FALSE(pool.StartCacheThread());  // already running
  ASSERT_TRUE(WaitForFlag(pool, P(0), TF_160X160));
  EXPECT_EQ(reader_.Paths(), (std::vector<std::u16string>{P(3), P(2), P(0)}));
  EXPECT_TRUE(pool.Tasks().empty());
  EXPECT_EQ(pool.AddThumb_new(P(3).c_str(), 2), object_thumbnail);
  EXPECT_TRUE(pool.IsThumbInCache(P(3).c_str()));

  uint32_t flag = 0;
  SIZE size{};
  PubImage::QelPicture* thumb = nullptr;
  ASSERT_TRUE(pool.GetThumbState(P(3).c_str(), flag, size, &thumb));
  EXPECT_EQ(size.cx, 4003);  // the size of the image in the file
  EXPECT_EQ(PictureSize(thumb).cx, 160);
  ReleasePicture(thumb);
  EXPECT_EQ(reader_.Calls()[0].box.cx, 160);

  pool.RemoveCache(P(3).c_str());
  EXPECT_FALSE(pool.IsThumbInCache(P(3).c_str()));
  ASSERT_TRUE(pool.GetThumbState(P(3).c_str(), flag, size, nullptr));
  EXPECT_EQ(flag, uint32_t(TF_Pending));
}

TEST_F(ThumbPoolTest, QueryBuildsOnTheCallingThreadOnceAndRecordsFailures) {
  CThumbPool pool;
  ASSERT_TRUE(pool.Init(IOT_Edit));
  for (const std::u16string& path : {P(0), std::u16string(u"/photos/gone.jpg"), std::u16string(u"/photos/clip.mov")})
    pool.AddThumb_new(path.c_str(), 2);
  pool.AddTask(P(0).c_str(), TF_160X160, 0);

  pool.QueryThumbnailTask(P(0).c_str());
  uint32_t flag = 0;
  SIZE size{};
  ASSERT_TRUE(pool.GetThumbState(P(0).c_str(), flag, size, nullptr));
  EXPECT_EQ(flag, uint32_t(TF_160X160));
  EXPECT_TRUE(pool.Tasks().empty());  // its queued task went

  // A picture that cannot be opened counts as attempted with an error.
  pool.QueryThumbnailTask(u"/photos/gone.jpg");
  ASSERT_TRUE(pool.GetThumbState(u"/photos/gone.jpg", flag, size, nullptr));
  EXPECT_EQ(flag, uint32_t(TF_Error));
  EXPECT_TRUE(pool.IsThumbInCache(u"/photos/gone.jpg"));

  // An unsupported file stays pending, is attempted once and never again.
  pool.QueryThumbnailTask(u"/photos/clip.mov");
  pool.QueryThumbnailTask(u"/photos/clip.mov");
  ASSERT_TRUE(pool.GetThumbState(u"/photos/clip.mov", flag, size, nullptr));
  EXPECT_EQ(flag, uint32_t(TF_Pending));
  EXPECT_TRUE(pool.IsThumbInCache(u"/photos/clip.mov"));
  pool.QueryThumbnailTask(P(0).c_str());  // built already: nothing
  EXPECT_EQ(reader_.Paths(), (std::vector<std::u16string>{P(0), u"/photos/gone.jpg"}));

  // Queried while the builder is paused by a held browsing key.
  pool.AddThumb_new(P(1).c_str(), 2);
  ASSERT_TRUE(pool.StartCacheThread());
  pool.PauseCacheThread(1);
  pool.QueryThumbnailTask(P(1).c_str());
  pool.PauseCacheThread(0);
  EXPECT_TRUE(pool.IsThumbInCache(P(1).c_str()));
}

TEST_F(ThumbPoolTest, ANewListAbortsTheDecodeInProgressAndKeepsOnlyTheNearThumbnails) {
  CThumbPool pool;
  ASSERT_TRUE(pool.Init(IOT_Edit));
  for (int i = 0; i < 8; ++i) pool.AddThumb_new(P(i).c_str(), 2);
  for (int i : {0, 1, 4, 6}) pool.QueryThumbnailTask(P(i).c_str());

  reader_.Block(P(7));
  pool.AddTask(P(7).c_str(), TF_160X160, 0);
  pool.AddTask(P(5).c_str(), TF_160X160, 0);
  ASSERT_TRUE(pool.StartCacheThread());
  ASSERT_TRUE(reader_.WaitUntilBlocked(P(7)));

  // The new list keeps p0 .. p7; with the current picture at 0 and one
  // thumbnail each side, p7, p0 and p1 are near (the window wraps).
  FileList* list = g_pApp->GetFilelist();
  for (int i = 0; i < 8; ++i) list->push_back(CCmdLineProcessor::NewFileInfo(P(i)));
  pool.Adjust(list, 0, 1);
  EXPECT_FALSE(pool.IsBuilderRunning());
  EXPECT_TRUE(pool.Tasks().empty());
  EXPECT_EQ(reader_.Aborted(), 1u);
  EXPECT_TRUE(pool.IsThumbInCache(P(0).c_str()));
  EXPECT_TRUE(pool.IsThumbInCache(P(1).c_str()));
  EXPECT_FALSE(pool.IsThumbInCache(P(4).c_str()));
  EXPECT_FALSE(pool.IsThumbInCache(P(6).c_str()));
  // The aborted picture is not marked as attempted: it can be built again.
  EXPECT_FALSE(pool.IsThumbInCache(P(7).c_str()));

  // The next list starts a fresh builder with an empty queue.
  reader_.Release(P(7));
  ASSERT_TRUE(pool.Init(IOT_Edit));
  ASSERT_TRUE(pool.StartCacheThread());
  EXPECT_EQ(pool.AddThumb_new(P(7).c_str(), 2), object_nothumbnail);
  pool.AddTask(P(7).c_str(), TF_160X160, 0);
  EXPECT_TRUE(WaitForFlag(pool, P(7), TF_160X160));
}

TEST_F(ThumbPoolTest, AShortListKeepsEveryThumbnail) {
  CThumbPool pool;
  ASSERT_TRUE(pool.Init(IOT_Edit));
  FileList* list = g_pApp->GetFilelist();
  for (int i = 0; i < 3; ++i) {
    pool.AddThumb_new(P(i).c_str(), 2);
    pool.QueryThumbnailTask(P(i).c_str());
    list->push_back(CCmdLineProcessor::NewFileInfo(P(i)));
  }
  pool.Adjust(list, 2, 4);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(pool.IsThumbInCache(P(i).c_str())) << i;

  // An empty list drops every thumbnail (and divides by nothing).
  g_pApp->ClearFileList();
  pool.Adjust(list, 0, 4);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(pool.IsThumbInCache(P(i).c_str())) << i;
}

TEST_F(ThumbPoolTest, ClearingGivesEveryPictureBack) {
  int before = vistreltest::LivePictures();
  {
    CThumbPool pool;
    ASSERT_TRUE(pool.Init(IOT_Edit));
    for (int i = 0; i < 6; ++i) {
      pool.AddThumb_new(P(i).c_str(), 2);
      pool.AddTask(P(i).c_str(), TF_160X160, 0);
    }
    ASSERT_TRUE(pool.StartCacheThread());
    ASSERT_TRUE(reader_.WaitForOpens(2));
    pool.Clear();
    EXPECT_FALSE(pool.IsBuilderRunning());
    EXPECT_FALSE(pool.IsThumbInCache(P(0).c_str()));
    EXPECT_EQ(pool.GetImgObjByFilePath(P(0).c_str()), nullptr);
  }
  EXPECT_EQ(vistreltest::LivePictures(), before);
}
