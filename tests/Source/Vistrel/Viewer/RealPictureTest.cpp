// The view with real pictures: JPEG files decoded by the imaging library and
// shown in the toolkit's image control.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "BaseWnd.h"
#include "TestEnvironment.h"
#include "TestPictures.h"
#include "TestView.h"
#include "ViewerFixture.h"
#include "img/ImageFile.h"
#include "qel/QelElement.h"
#include "qel/QelImage.h"
#include "qel/QelWideText.h"

using namespace vistreltest;

namespace {

class RealPictureTest : public ViewerFixture {
 protected:
  void SetUp() override {
    ViewerFixture::SetUp();
    SetPictureReader(nullptr);  // the imaging library's reader
    for (int i = 0; i < 3; ++i) {
      std::string path = folder_ + "/real_" + std::to_string(i) + ".jpg";
      img::Bitmap b = img::Bitmap::Filled(2400, 1800, uint8_t(40 + 60 * i));
      ASSERT_EQ(img::SaveJpeg(b, path, img::JpegOptions{}), img::Status::kOk);
      pictures_.push_back(QelFromUTF8(path));
    }
    ASSERT_TRUE(Start());
    SendCommandLine(u"\"" + pictures_[0] + u"\" \"" + pictures_[1] + u"\" \"" + pictures_[2] + u"\"");
    ASSERT_TRUE(Settle());
  }
  PubImage::QelImgControl* Control() {
    return static_cast<PubImage::QelImgControl*>(Main().GetElementByName("ImgCtrl1", 1));
  }
  void ControlZoom(int32_t& num, int32_t& den) { Control()->GetZoom(&num, &den); }

  std::vector<std::u16string> pictures_;
};

}  // namespace

TEST_F(RealPictureTest, APreviewIsShownFittedAndZoomingInBringsTheFullPicture) {
  // 2400 x 1800 for a 640 x 480 area is read at half size.
  EXPECT_EQ(PictureSize(Main().ShownPicture()).cx, 1200);
  EXPECT_TRUE(Main().IsFitIn());
  int m = 0, d = 0;
  Main().GetOrgZoomValue(m, d);
  EXPECT_EQ(m, 265);  // the control is 638 pixels wide (a 1-pixel frame): 638 of 2400
  EXPECT_EQ(d, 1000);
  EXPECT_EQ(CBaseWnd::FullResolutionPicture(), nullptr);

  // Up the table: 10/35, 1/3, 10/25, 1/2, 10/18 -- past 1/2 the preview
  // would be enlarged, so the full picture is read.
  for (int step = 0; step < 5; ++step) Main().DoZoomIn();
  Main().GetOrgZoomValue(m, d);
  EXPECT_EQ(m, 10);
  EXPECT_EQ(d, 18);
  ASSERT_TRUE(PumpUntil([&] { return Main().ShownPicture() && Main().ShownPicture() == CBaseWnd::FullResolutionPicture(); }));
  EXPECT_EQ(PictureSize(Main().ShownPicture()).cx, 2400);
  int32_t num = 0, den = 0;
  ControlZoom(num, den);
  EXPECT_EQ(num * 18, den * 10);  // the zoom is kept on the full picture
  EXPECT_FALSE(Main().IsFitIn());

  Main().DoActualSize();
  ControlZoom(num, den);
  EXPECT_EQ(num, den);
  EXPECT_FALSE(Main().CanDoActualSize());
  Main().DoBestFit();
  EXPECT_TRUE(Main().IsFitIn());
}

TEST_F(RealPictureTest, AQuarterTurnTurnsThePictureAndItsSizes) {
  Main().DoRotate(1);
  EXPECT_EQ(CBaseWnd::m_nRotateDegree, 90);
  SIZE shown = PictureSize(Main().ShownPicture());
  EXPECT_EQ(shown.cx, 900);
  EXPECT_EQ(shown.cy, 1200);
  tag_FILE_INFO* file = (*g_pApp->GetFilelist())[0];
  EXPECT_EQ(file->nImageWidth_org, 1800);
  EXPECT_EQ(file->nImageHeight_org, 2400);
  Main().DoRotate(0);
  EXPECT_EQ(CBaseWnd::m_nRotateDegree, 0);
  EXPECT_EQ(PictureSize(Main().ShownPicture()).cx, 1200);
}

TEST_F(RealPictureTest, APipeAndAPictureTooLargeToDecodeSayWhyNothingIsShown) {
  // A named pipe called like a photo: nobody writes to it, so a reader that
  // waited in open() would never come back.
  const std::string fifo = folder_ + "/x.jpg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A BMP header declaring 30000 x 30000 pixels, and a few bytes of them.
  std::vector<uint8_t> bmp;
  ASSERT_EQ(img::EncodeBmp(img::Bitmap::Filled(4, 4, 90), {}, bmp), img::Status::kOk);
  for (int i = 0; i < 2; ++i) {
    const uint32_t side = 30000;
    std::memcpy(bmp.data() + 18 + 4 * i, &side, 4);
  }
  const std::string huge = folder_ + "/huge.bmp";
  testenv::WriteFile(huge, std::string(bmp.begin(), bmp.end()));

  struct Case {
    std::string path;
    std::u16string text;
  } cases[] = {
      {fifo, u"This file cannot be shown as a picture"},
      {huge, u"This picture is too large to show"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    SendCommandLine(u"\"" + QelFromUTF8(c.path) + u"\"");
    ASSERT_TRUE(PumpUntil([&] { return !Main().IsReadingCurThumb() && Visible("view_NoPre"); }));
    EXPECT_EQ(Main().ShownPicture(), nullptr);
    EXPECT_EQ(Main().GetCurPath(), QelFromUTF8(c.path));
    auto* text = qel::Element::From(Main().GetElementByName("view_NoPre", 1));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->Text(), c.text);
  }
  // A picture again: the usual view.
  SendCommandLine(u"\"" + pictures_[1] + u"\"");
  ASSERT_TRUE(Settle());
  EXPECT_NE(Main().ShownPicture(), nullptr);
  EXPECT_FALSE(Visible("view_NoPre"));
}

namespace {

// Photos of every EXIF orientation, as cameras and phones write them.
class OrientedPictureTest : public ViewerFixture {
 protected:
  void SetUp() override {
    ViewerFixture::SetUp();
    if (!imgtest::HavePillow()) GTEST_SKIP() << "python3-pil missing";
    SetPictureReader(nullptr);  // the imaging library's reader
    ASSERT_TRUE(imgtest::MakeOrientedPhotos(folder_));
    ASSERT_TRUE(Start());
    std::u16string line;
    for (int n = 1; n <= 8; ++n) line += u"\"" + QelFromUTF8(Photo(n)) + u"\" ";
    SendCommandLine(line);
    ASSERT_TRUE(Settle());
  }
  std::string Photo(int n) const { return folder_ + "/orient-" + std::to_string(n) + ".jpg"; }
};

}  // namespace

TEST_F(OrientedPictureTest, EveryPhotoIsShownUprightWithItsUprightSize) {
  for (int n = 1; n <= 8; ++n) {
    SCOPED_TRACE("orientation " + std::to_string(n));
    ASSERT_EQ(Main().GetCurIndex(), n - 1);
    const img::Bitmap want = imgtest::ReadPpm(folder_ + "/orient-" + std::to_string(n) + "-upright.ppm");
    ASSERT_NE(Main().ShownPicture(), nullptr);
    const img::Bitmap shown = qel::Picture::From(Main().ShownPicture()->Handle())->Flatten();
    EXPECT_EQ(shown.width(), 96);
    EXPECT_EQ(shown.height(), 64);
    EXPECT_TRUE(imgtest::SamePixels(shown, want));
    tag_FILE_INFO* file = (*g_pApp->GetFilelist())[size_t(n - 1)];
    EXPECT_EQ(file->nImageWidth_org, 96);
    EXPECT_EQ(file->nImageHeight_org, 64);
    if (n < 8) {
      Main().DoNext();
      ASSERT_TRUE(Settle());
    }
  }
}
