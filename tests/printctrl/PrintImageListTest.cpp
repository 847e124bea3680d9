// The image list: display limits, one entry per file, bounded display
// pictures of large photos, copies, and deleting only its own temporary files.
#include <gtest/gtest.h>

#include <filesystem>

#include "FunctionImgCtrl.h"
#include "PrintCtrlTestSupport.h"
#include "PrintImageList.h"
#include "TestEnvironment.h"
#include "TestPictures.h"
#include "img/ImageFile.h"
#include "img/Operations.h"

namespace fs = std::filesystem;

namespace {

struct ImageListTest : ::testing::Test {
  void SetUp() override {
    CFunctionImgCtrl::AcquireShared();
    dir = testenv::MakeTempDir("list");
  }
  void TearDown() override { CFunctionImgCtrl::ReleaseShared(); }
  std::u16string Png(const std::string& name, int w = 64, int h = 48) {
    return pctest::WritePng(imgtest::Scene(w, h), dir / name);
  }
  std::u16string Jpeg(const std::string& name, int w, int h) {
    img::SaveJpeg(imgtest::Scene(w, h), (dir / name).string(), img::JpegOptions{});
    return pctest::U16(dir / name);
  }
  fs::path dir;
};

TEST(ImageListLimits, DisplayAndThumbnailLimits) {
  CPrintImageList list;
  struct Case {
    int w, h, outW, outH;
  } disp[] = {{5, 200000, 10, 10}, {1200, 900, 1200, 900}, {900, 1200, 900, 900}};
  for (const Case& c : disp) {
    list.SetDisMaxWH(c.w, c.h);
    int w = 0, h = 0;
    list.GetDispMaxWH(&w, &h);
    EXPECT_EQ(w, c.outW);
    EXPECT_EQ(h, c.outH);
  }
  list.SetThumbMaxWH(2000, -3);
  int w = 0, h = 0;
  list.GetThumbMaxWH(&w, &h);
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(h, 0);
  list.GetDispMaxWH(nullptr, nullptr);
}

TEST_F(ImageListTest, OneEntryPerFile) {
  CPrintImageList list;
  std::u16string a = Png("a.png");
  int32_t i = list.AddFile(a.c_str(), false, nullptr);
  ASSERT_EQ(i, 0);
  PubImage::QelPicture* first = list.GetDispPic(i);
  // The same file by another spelling of its path: the same entry, not loaded again.
  std::u16string again = pctest::U16(dir / "." / "a.png");
  EXPECT_EQ(list.AddFile(again.c_str(), false, nullptr), 0);
  EXPECT_EQ(list.GetDispPic(0), first);
  EXPECT_EQ(list.AddFile(Png("b.png").c_str(), false, nullptr), 1);
  // Unreadable and empty files are refused and add nothing.
  testenv::WriteFile(dir / "junk.png", "not a picture");
  EXPECT_EQ(list.AddFile(pctest::U16(dir / "junk.png").c_str(), false, nullptr), -1);
  EXPECT_EQ(list.AddFile(u"", false, nullptr), -1);
  EXPECT_EQ(list.AddFile(nullptr, false, nullptr), -1);
  EXPECT_EQ(list.GetCount(), 2);
}

// The display size snaps to a power-of-two reduction at least as large as
// the fitted size, and the decoder reduces by that much.
TEST_F(ImageListTest, LargePhotosGetBoundedDisplayPictures) {
  CPrintImageList list;
  std::u16string jpg = Jpeg("big.jpg", 4000, 3000);
  int32_t i = list.AddFile(jpg.c_str(), false, nullptr);
  ASSERT_GE(i, 0);
  SIZE org{};
  list.GetOrgSize(i, &org);
  EXPECT_EQ(org.cx, 4000);
  EXPECT_EQ(list.GetDispSize(i).cx, 1000);
  EXPECT_EQ(list.GetDispSize(i).cy, 750);
  img::Bitmap disp = pctest::Pixels(list.GetDispPic(i));
  EXPECT_EQ(disp.width(), 1000);
  EXPECT_EQ(disp.height(), 750);

  // A PNG has no reduced decoding: its display picture is still bounded.
  list.SetFastScale(false);
  std::u16string png = Png("big.png", 4000, 3000);
  int32_t p = list.AddFile(png.c_str(), false, nullptr);
  ASSERT_GE(p, 0);
  img::Bitmap pd = pctest::Pixels(list.GetDispPic(p));
  EXPECT_EQ(pd.width(), 800);
  EXPECT_EQ(pd.height(), 600);

  // Thumbnails fit their own limits; the original opens at full size.
  CPrintImageList thumbs;
  thumbs.SetThumbMaxWH(160, 160);
  int32_t t = thumbs.AddFile(png.c_str(), false, nullptr);
  EXPECT_EQ(pctest::Pixels(thumbs.GetThumbPic(t)).width(), 160);
  EXPECT_EQ(pctest::Pixels(thumbs.GetOrgPic(t)).width(), 4000);
  thumbs.ClearOrgPics();
}

TEST_F(ImageListTest, CopiesAndDroppedEntriesKeepTheirIndex) {
  CPrintImageList list;
  int32_t a = list.AddFile(Png("a.png").c_str(), false, nullptr);
  int32_t b = list.AddFile(Png("b.png").c_str(), false, nullptr);
  list.CopyAdd(a);
  list.CopyAdd(a);
  list.CopyAdd(b);
  EXPECT_EQ(list.GetPrintPicNum(), 3);
  EXPECT_TRUE(list.CanEdit());
  list.CopyDecrease(b, true);
  EXPECT_EQ(list.GetCount(), 2);
  EXPECT_TRUE(list.IsNodeEmpty(b));
  EXPECT_EQ(list.GetDispPic(a) != nullptr, true);
  EXPECT_EQ(list.GetPrintPicNum(), 2);
  const auto& out = list.GetOutFileVect();
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].copies, 2);
  EXPECT_EQ(list.PicIndex2ResIndex(0), a);
  EXPECT_EQ(list.PicIndex2ResIndex(-1), -1);
  EXPECT_EQ(list.PicIndex2ResIndex(1), -1);
  list.SetCopies(a, 5);
  EXPECT_EQ(list.GetPrintPicNum(), 5);
  // A text entry counts one copy at most and no printed picture.
  CMyTextInfo t;
  t.text = u"x";
  int32_t tx = list.AddText(t, 300);
  list.CopyAdd(tx);
  list.CopyAdd(tx);
  EXPECT_EQ(list.GetCopies(tx), 1);
  EXPECT_EQ(list.GetPrintPicNum(), 5);
  CMyTextInfo back;
  EXPECT_EQ(list.GetTextInfo(tx, back), 1);
  EXPECT_EQ(list.GetTextInfo(a, back), 0);
  EXPECT_EQ(list.UpdateText(tx, t, nullptr, 0), 0);  // unchanged
}

// Temporary files are deleted when their entry goes, but only inside the
// project's temporary folder: a user's photo is never deleted.
TEST_F(ImageListTest, DeletesOnlyItsOwnTemporaryFiles) {
  fs::path tmp = testenv::MakeTempDir("own");
  std::u16string own = pctest::WritePng(imgtest::Scene(20, 20), tmp / "edited.png");
  std::u16string user = Png("photo.png");
  {
    CPrintImageList list;
    list.SetTempFolder(tmp);
    int32_t o = list.AddFile(own.c_str(), true, nullptr);
    int32_t u = list.AddFile(user.c_str(), true, nullptr);
    list.SetTmp2(u, true);
    ASSERT_GE(o, 0);
    ASSERT_GE(u, 0);
    list.ClearDirty(true);
    EXPECT_EQ(list.GetCount(), 0);
  }
  EXPECT_FALSE(fs::exists(tmp / "edited.png"));
  EXPECT_TRUE(fs::exists(dir / "photo.png"));
  {
    CPrintImageList list;  // no temporary folder: nothing is ever deleted
    int32_t u = list.AddFile(user.c_str(), true, nullptr);
    list.SetTmp2(u, true);
  }
  EXPECT_TRUE(fs::exists(dir / "photo.png"));
}

TEST_F(ImageListTest, RefreshFillsTheSameIndex) {
  CPrintImageList list;
  int32_t a = list.AddFile(Png("a.png", 64, 48).c_str(), false, nullptr);
  list.CopyAdd(a);
  std::u16string wide = Png("wide.png", 90, 30);
  ASSERT_EQ(list.RefreshFile(a, wide.c_str()), 1);
  EXPECT_EQ(list.GetCopies(a), 1);
  EXPECT_EQ(list.GetDispSize(a).cx, 90);
  EXPECT_EQ(std::u16string(list.GetFileName(a).c_str()), wide);
  // A file that cannot be read any more: the copies leave the count.
  ASSERT_EQ(list.RefreshFile(a, u"/nonexistent/x.png"), 0);
  EXPECT_EQ(list.GetPrintPicNum(), 0);
}

TEST_F(ImageListTest, AutoRotateTurnsTheDisplayPicture) {
  CPrintImageList list;
  int32_t a = list.AddFile(Png("a.png", 60, 40).c_str(), false, nullptr);
  img::Bitmap before = pctest::Pixels(list.GetDispPic(a));
  EXPECT_EQ(list.DoAutoRotate(a, 100, 200), 1);
  EXPECT_EQ(list.GetOrgDispPiclAngle(a), 270);
  EXPECT_EQ(list.GetDispSize(a).cx, 40);
  EXPECT_TRUE(imgtest::SamePixels(pctest::Pixels(list.GetDispPic(a)), img::Rotate(before, 270)));
  EXPECT_EQ(list.DoAutoRotate(a, 100, 200), 0);  // already turned
  EXPECT_EQ(list.DoAutoRotate(a, 200, 100), 1);  // back
  EXPECT_EQ(list.GetOrgDispPiclAngle(a), 0);
  EXPECT_TRUE(imgtest::SamePixels(pctest::Pixels(list.GetDispPic(a)), before));
}

}  // namespace
