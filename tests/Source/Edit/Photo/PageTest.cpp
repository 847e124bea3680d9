// The photo page: a photo opened from a file into an image control, edits
// as a record rebuilt from the origin, the page's own actions (turns,
// mirrors, crops) and their undo and redo, compared with Pillow; and undo
// steps that name pictures instead of copying them.
#include <gtest/gtest.h>

#include <vector>

#include "CActionManage.h"
#include "Page.h"
#include "TestEnvironment.h"
#include "TestPictures.h"
#include "img/ImageFile.h"
#include "img/Operations.h"
#include "qel/QelHeadless.h"
#include "qel/QelImage.h"
#include "qel/QelWindow.h"

namespace {

using imgtest::Psnr;
using imgtest::SamePixels;

// A picture's pixels as shown (its layers composed).
img::Bitmap Pixels(PubImage::QelPicture* p) {
  qel::Picture* pic = p ? qel::Picture::From(p->Handle()) : nullptr;
  return pic ? pic->Flatten() : img::Bitmap();
}

// The extra references on a toolkit object beyond the caller's own.
int32_t Holders(PubImage::QelPicture* p) {
  int32_t n = p->Retain();
  p->Release();
  return n - 1;
}

class PhotoPage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(window_.Create(PHOTO_TEST_LAYOUTS "/PhotoPage.aui", nullptr, nullptr), 1);
    panel_ = reinterpret_cast<PubQelmar::QelPanel*>(qel::headless::FindElement(&window_, "cata_image")->Handle());
    dir_ = testenv::MakeTempDir("page");
    photo_ = imgtest::Scene(61, 43);
    path_ = (dir_ / "photo.bmp").u16string();
    ASSERT_EQ(img::SaveBmp(photo_, (dir_ / "photo.bmp").string(), {}), img::Status::kOk);
    page_ = new CPage();
    page_->SetOriginalPath(path_.c_str());
    ASSERT_NE(page_->GetPictCtrl(PAGE_GET_RESULT), nullptr);
    page_->SetPanel(panel_);
  }
  void TearDown() override {
    delete history_;
    MyRelease(page_);
  }
  // One user edit: an action inside a collector on the history.
  void Do(int32_t id, intptr_t data) {
    CActionCollect collect(history_);
    page_->DoAction(id, data);
  }
  void Apply(const tagFrameParam& p) { Do(PAGE_ACTION_APPLY, reinterpret_cast<intptr_t>(&p)); }
  tagFrameParam Record() { return *page_->GetFrameParam(); }
  img::Bitmap Shown() { return Pixels(page_->GetPictCtrl(PAGE_GET_RESULT)); }
  img::Bitmap Pillow(const img::Bitmap& in, const std::vector<std::string>& op) {
    img::Bitmap out = imgtest::PillowReference(in, op, dir_);
    EXPECT_FALSE(out.empty()) << op[0];
    return out;
  }
  // What the editor does after a crop or auto-enhance: the result becomes
  // the origin and a fresh record names it.
  void Bake() {
    auto* baked = page_->GetResultPict();
    page_->OriginPicture(baked);
    tagFrameParam fresh;
    page_->GetDisplayPictSize(fresh.szTarget);
    fresh.pPicOrigin.Reset(baked);
    *page_->GetFrameParam() = fresh;
    baked->Release();
  }

  CQelWindow window_;
  PubQelmar::QelPanel* panel_ = nullptr;
  std::filesystem::path dir_;
  img::Bitmap photo_;
  std::u16string path_;
  CPage* page_ = nullptr;
  CActionManage* history_ = new CActionManage();
};

TEST_F(PhotoPage, OpensTheFileLazilyAndShowsACopyOfTheOrigin) {
  EXPECT_TRUE(SamePixels(Shown(), photo_));
  EXPECT_TRUE(SamePixels(Pixels(page_->GetPictCtrl(PAGE_GET_ORIGIN)), photo_));
  EXPECT_NE(page_->GetPictCtrl(PAGE_GET_ORIGIN), page_->GetPictCtrl(PAGE_GET_RESULT));
  tagFrameParam r = Record();
  EXPECT_EQ(r.szTarget.cx, 61);
  EXPECT_EQ(r.szTarget.cy, 43);
  EXPECT_EQ(r.pPicOrigin.get(), page_->GetPictCtrl(PAGE_GET_ORIGIN));
  EXPECT_EQ(page_->GetPictCtrl(PageGetMode(3)), nullptr);

  CPage missing;
  missing.SetOriginalPath((dir_ / "gone.bmp").u16string().c_str());
  EXPECT_EQ(missing.GetPictCtrl(PAGE_GET_RESULT), nullptr);
  CPage unnamed;
  EXPECT_EQ(unnamed.GetPictCtrl(PAGE_GET_ORIGIN), nullptr);
}

// Turns, mirrors and crops are exact; sharpen, auto-enhance and resizing
// come close to Pillow's UnsharpMask, autocontrast and LANCZOS.
TEST_F(PhotoPage, EditsMatchPillow) {
  if (!imgtest::HavePillow()) GTEST_SKIP() << "python3-pil missing";
  // The editor's turn left, then its flip (which, turned by 90, toggles
  // the vertical flag yet mirrors the shown picture left to right).
  Do(PAGE_ACTION_ROTATE, 90);
  img::Bitmap turned = Pillow(photo_, {"rotate", "90"});
  EXPECT_TRUE(SamePixels(Shown(), turned));
  EXPECT_EQ(Record().szTarget.cx, 43);  // sides swapped: no resampling later
  int32_t flags[2] = {0, 1};
  Do(PAGE_ACTION_FLIP, reinterpret_cast<intptr_t>(flags));
  img::Bitmap mirrored = Pillow(turned, {"flip", "lr"});
  EXPECT_TRUE(SamePixels(Shown(), mirrored));
  // A rebuild from the origin gives the same picture.
  tagFrameParam p = Record();
  p.BrightContrast.nReserved = 1;  // any change makes it rebuild
  Apply(p);
  EXPECT_TRUE(SamePixels(Shown(), mirrored));

  SRect32 cut{5, 7, 30, 50};
  Do(PAGE_ACTION_CROP, reinterpret_cast<intptr_t>(&cut));
  img::Bitmap cropped = Pillow(mirrored, {"crop", "5", "7", "30", "50"});
  EXPECT_TRUE(SamePixels(Shown(), cropped));
  EXPECT_EQ(Record().szTarget.cx, 25);

  // Continuous tools on the rebuilt photo.
  struct Case {
    const char* what;
    void (*set)(tagFrameParam&);
    std::vector<std::string> op;
    double min_psnr;
  } cases[] = {
      {"sharpen position 3", [](tagFrameParam& r) { r.Sharpen = {60, 2, 0}; }, {"unsharp", "2", "60"}, 45},
      {"sharpen position 10", [](tagFrameParam& r) { r.Sharpen = {200, 2, 0}; }, {"unsharp", "2", "200"}, 45},
      {"auto-enhance", [](tagFrameParam& r) { r.bAutoEnhance = 1; }, {"autocontrast", "0.5"}, 60},
      {"resize", [](tagFrameParam& r) { r.szTarget = {97, 71}; }, {"lanczos", "97", "71"}, 60},
  };
  img::Bitmap scene = imgtest::Scene(80, 60, 3);
  ASSERT_EQ(img::SaveBmp(scene, (dir_ / "scene.bmp").string(), {}), img::Status::kOk);
  page_->SetOriginalPath((dir_ / "scene.bmp").u16string().c_str());
  ASSERT_EQ(page_->ReloadPicture(), 1);
  for (const auto& c : cases) {
    tagFrameParam r;
    CPage::InitializeFrameParam(&r);
    c.set(r);
    Apply(r);
    double psnr = Psnr(Shown(), Pillow(scene, c.op));
    EXPECT_GE(psnr, c.min_psnr) << c.what;
    std::printf("%s: PSNR %.1f dB against Pillow\n", c.what, psnr);
  }
}

TEST_F(PhotoPage, TurnsOnlyTheShownPictureAndComesBackAfterFourTurns) {
  tagFrameParam p = Record();
  p.BrightContrast.nBrightness = 30;
  Apply(p);
  img::Bitmap bright = Shown();
  for (int i = 1; i <= 4; ++i) {
    Do(PAGE_ACTION_ROTATE, (90 * i) % 360);
    EXPECT_TRUE(SamePixels(Shown(), img::Rotate(bright, 90 * i))) << i;
  }
  EXPECT_EQ(Record().nDegree, 0);
  EXPECT_EQ(Record().BrightContrast.nBrightness, 30);
  EXPECT_EQ(history_->StepCount(), 5);
}

TEST_F(PhotoPage, AnUnchangedRecordOrAnEmptyCropPushesNothing) {
  Apply(Record());
  SRect32 empty{10, 10, 10, 30};
  Do(PAGE_ACTION_CROP, reinterpret_cast<intptr_t>(&empty));
  Do(PAGE_ACTION_CROP, 0);
  Do(PAGE_ACTION_FLIP, 0);
  EXPECT_EQ(history_->StepCount(), 0);
  EXPECT_EQ(page_->DoWithParam(page_->GetFrameParam()), 0);
  // Mirroring twice sets the flags back but is two steps.
  int32_t on[2] = {1, 0}, off[2] = {0, 0};
  Do(PAGE_ACTION_FLIP, reinterpret_cast<intptr_t>(on));
  Do(PAGE_ACTION_FLIP, reinterpret_cast<intptr_t>(off));
  EXPECT_EQ(history_->StepCount(), 2);
  EXPECT_EQ(Record().bHorzFlip, 0);
  EXPECT_TRUE(SamePixels(Shown(), photo_));
}

TEST_F(PhotoPage, UndoAndRedoSwapRecordsAcrossABakedCrop) {
  tagFrameParam p = Record();
  p.BrightContrast.nBrightness = 25;
  Apply(p);
  img::Bitmap bright = Shown();
  PubImage::QelPicture* first = page_->OriginPicture();
  SRect32 cut{3, 4, 40, 30};
  Do(PAGE_ACTION_CROP, reinterpret_cast<intptr_t>(&cut));
  Bake();
  img::Bitmap cropped = Shown();
  EXPECT_TRUE(SamePixels(cropped, img::Crop(bright, 3, 4, 40, 30)));

  history_->OnUndo();  // the crop: back to the first origin, brightened
  EXPECT_EQ(page_->OriginPicture(), first);
  EXPECT_TRUE(SamePixels(Shown(), bright));
  EXPECT_EQ(Record().BrightContrast.nBrightness, 25);
  history_->OnUndo();  // the brightness
  EXPECT_TRUE(SamePixels(Shown(), photo_));
  history_->OnRedo();
  EXPECT_TRUE(SamePixels(Shown(), bright));
  history_->OnRedo();  // names the baked origin: shown as it is
  EXPECT_NE(page_->OriginPicture(), first);
  EXPECT_TRUE(SamePixels(Shown(), cropped));
  EXPECT_EQ(Record().BrightContrast.nBrightness, 0);
  EXPECT_EQ(Record().szTarget.cx, 37);
}

// Undo steps hold the origin they name, never a copy of it; an origin that
// a bake replaced lives exactly as long as a step names it.
TEST_F(PhotoPage, StepsNamePicturesAndLetGoOfThem) {
  PubImage::QelPicture* first = page_->OriginPicture();
  for (int16_t b = 1; b <= 10; ++b) {
    tagFrameParam p = Record();
    p.BrightContrast.nBrightness = b;
    Apply(p);
  }
  // The page, its record and ten steps' records: no picture was copied.
  EXPECT_EQ(Holders(first), 12);
  img::Bitmap origin_pixels = Pixels(first);
  SRect32 cut{0, 0, 30, 30};
  Do(PAGE_ACTION_CROP, reinterpret_cast<intptr_t>(&cut));
  Bake();
  first->Retain();  // watch it from here
  EXPECT_EQ(Holders(first), 12);  // ten steps, the crop step's record, this test
  EXPECT_TRUE(SamePixels(Pixels(first), origin_pixels));
  history_->ClearActionData();
  EXPECT_EQ(Holders(first), 1);  // only this test
  first->Release();
}

}  // namespace
