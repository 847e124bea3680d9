// The photo editor on the edit page's own layout: opening at 100 % or
// fitted, the zoom table around the fit zoom, the sliders as continuous
// edits, auto-enhance, turns and mirrors against Pillow, the crop frame,
// undo and redo through the buttons, and Save: JPEG at quality 90 or BMP by
// the file's extension, the photo's EXIF kept, and a save cut off at any
// point leaving the old file or the new one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Page.h"
#include "PhotoEdit.h"
#include "TestEnvironment.h"
#include "TestPictures.h"
#include "img/ImageFile.h"
#include "img/Operations.h"
#include "qel/QelHeadless.h"
#include "qel/QelImage.h"
#include "qel/QelInput.h"
#include "qel/QelWindow.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

using imgtest::Psnr;
using imgtest::SamePixels;

// Left, top, right, bottom, to compare and print.
std::vector<int32_t> Sides(const SRect32& r) { return {r.left, r.top, r.right, r.bottom}; }

std::vector<uint8_t> Bytes(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

class PhotoEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(window_.Create(EDIT_UI_DIR "/Edit.aui", nullptr, nullptr), 1);
    for (const char* name : {"cata_view", "hcata_tools", "cata_butn", "butn_AutoEnhance", "cata_sharpen"}) {
      hl::FindElement(&window_, name)->Show(true);
    }
    dir_ = testenv::MakeTempDir("photo");
    editor_ = new CPhotoEdit();
    editor_->Init(Panel("cata_view"), Panel("hcata_tools"), Panel("cata_butn"), window_.GetWindowRef());
    hl::UseManualClock(true);
  }
  void TearDown() override {
    delete editor_;
    hl::UseManualClock(false);
  }
  PubQelmar::QelPanel* Panel(const char* name) {
    return reinterpret_cast<PubQelmar::QelPanel*>(hl::FindElement(&window_, name)->Handle());
  }
  // A photo written losslessly, shown in the editor.
  fs::path Open(const img::Bitmap& photo, const std::string& name = "photo.bmp") {
    fs::path path = dir_ / name;
    std::string lower = name;
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    if (lower.ends_with(".jpg")) {
      img::JpegOptions o;
      o.quality = 95;
      img::ExifFields exif;
      exif.date_time = "2024:05:06 07:08:09";
      o.exif = exif;
      EXPECT_EQ(img::SaveJpeg(photo, path.string(), o), img::Status::kOk);
    } else {
      EXPECT_EQ(img::SaveBmp(photo, path.string(), {}), img::Status::kOk);
    }
    EXPECT_EQ(editor_->PreviewImageFile(path.u16string().c_str()), 1);
    return path;
  }
  img::Bitmap Shown() {
    PubImage::QelPicture* p = editor_->Page()->GetPictCtrl(PAGE_GET_RESULT);
    return qel::Picture::From(p->Handle())->Flatten();
  }
  const tagFrameParam& Record() { return *editor_->Page()->GetFrameParam(); }
  bool Click(const char* name) {
    bool ok = hl::Click(&window_, name);
    hl::Advance(10);  // the zoom buttons act on their repeat tick
    hl::PumpUntilIdle();
    return ok;
  }
  // The panel forwards the brightness and contrast sliders; sharpen is the
  // editor's own.
  void Slide(const char* name, int32_t pos) {
    ASSERT_TRUE(hl::MoveSlider(&window_, name, pos));
    if (std::string(name) == "hscrl_1") editor_->OnBrightnessProc(0);
    if (std::string(name) == "hscrl_2") editor_->OnContrastProc(0);
  }
  bool Enabled(const char* name) { return hl::Read(&window_, name).enabled; }
  img::Bitmap Pillow(const img::Bitmap& in, const std::vector<std::string>& op) {
    img::Bitmap out = imgtest::PillowReference(in, op, dir_);
    EXPECT_FALSE(out.empty()) << op[0];
    return out;
  }
  // Pointer input on the crop frame, in window coordinates.
  void Pointer(qel::PointerInput::Kind kind, POINT at) {
    qel::PointerInput in;
    in.kind = kind;
    in.at = at;
    qel::input::Pointer(&window_, in);
  }
  // A press, a move through every pixel on the way, a release.
  void Drag(POINT from, POINT to) {
    Pointer(qel::PointerInput::kDown, from);
    const int32_t steps = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
    for (int32_t i = 1; i <= steps; ++i) {
      Pointer(qel::PointerInput::kMove, POINT{from.x + (to.x - from.x) * i / steps, from.y + (to.y - from.y) * i / steps});
    }
    Pointer(qel::PointerInput::kUp, to);
  }

  CQelWindow window_;
  fs::path dir_;
  CPhotoEdit* editor_ = nullptr;
};

TEST_F(PhotoEditor, ASmallPhotoOpensAtFullSizeAndALargeOneFitted) {
  Open(imgtest::Scene(200, 150));
  EXPECT_FALSE(editor_->IsFitMode());
  EXPECT_EQ(editor_->ZoomIndex(), 16);
  EXPECT_EQ(editor_->CurrentZoom().num, editor_->CurrentZoom().den);
  EXPECT_FALSE(Enabled("butn_undo"));
  EXPECT_FALSE(Enabled("butn_Save"));
  EXPECT_TRUE(Enabled("butn_AutoEnhance"));

  Open(imgtest::Scene(1600, 1200));
  EXPECT_TRUE(editor_->IsFitMode());
  EXPECT_TRUE(editor_->IsAtFit());
  const tagZoomRatio fit = editor_->FitZoom();
  EXPECT_LT(fit.num * 4, fit.den);  // well below 1/4 in this view
  // The fit zoom lies between two entries; zooming in goes to the larger.
  const float fitIndex = editor_->FitIndex();
  ASSERT_NE(fitIndex, float(int(fitIndex)));
  Click("butn_zoomin");
  const int32_t above = int32_t(fitIndex + 0.5f);
  EXPECT_EQ(editor_->ZoomIndex(), above);
  EXPECT_EQ(editor_->CurrentZoom().num, CPhotoEdit::s_ZoomParam[above].num);
  EXPECT_FALSE(editor_->IsFitMode());
  // Out again: the fit zoom first, then the entry below it.
  Click("butn_zoomout");
  EXPECT_EQ(int64_t(editor_->CurrentZoom().num) * fit.den, int64_t(fit.num) * editor_->CurrentZoom().den);
  Click("butn_zoomout");
  EXPECT_EQ(editor_->ZoomIndex(), above - 1);
  // All the way in: 8/1 is the last entry.
  for (int i = 0; i < 40 && Enabled("butn_zoomin"); ++i) Click("butn_zoomin");
  EXPECT_EQ(editor_->ZoomIndex(), 35);
  EXPECT_EQ(editor_->CurrentZoom().num, 8 * editor_->CurrentZoom().den);
  EXPECT_FALSE(Enabled("butn_zoomin"));
  EXPECT_TRUE(Enabled("butn_zoomout"));
}

TEST_F(PhotoEditor, SliderRunsAreOneUndoStepEach) {
  const img::Bitmap photo = imgtest::Scene(200, 150);
  Open(photo);
  for (int pos = 5; pos <= 50; pos += 5) Slide("hscrl_1", pos);
  EXPECT_TRUE(Enabled("butn_undo"));
  EXPECT_TRUE(Enabled("butn_Reset"));
  EXPECT_TRUE(Enabled("butn_Save"));
  EXPECT_FALSE(Enabled("butn_redo"));
  img::Bitmap bright = photo;
  img::ApplyBrightnessContrast(bright, 50, 0);
  EXPECT_TRUE(SamePixels(Shown(), bright));
  Slide("hscrl_2", 20);
  img::Bitmap both = photo;
  img::ApplyBrightnessContrast(both, 50, 20);
  EXPECT_TRUE(SamePixels(Shown(), both));
  // Sharpen position 3 is {60, 2, 0}; back to 0 removes it.
  Slide("hscrl_3", 3);
  EXPECT_EQ(Record().Sharpen, (tagSharpenParam{60, 2, 0}));
  Slide("hscrl_3", 0);
  EXPECT_EQ(Record().Sharpen, (tagSharpenParam{0, 0, 0}));
  EXPECT_TRUE(SamePixels(Shown(), both));

  Click("butn_undo");  // the sharpen run
  Click("butn_undo");  // the contrast run
  EXPECT_TRUE(SamePixels(Shown(), bright));
  EXPECT_EQ(hl::Read(&window_, "hscrl_2").scroll_pos, 0);
  EXPECT_EQ(hl::Read(&window_, "hscrl_1").scroll_pos, 50);
  Click("butn_undo");  // the ten brightness steps at once
  EXPECT_TRUE(SamePixels(Shown(), photo));
  EXPECT_FALSE(Enabled("butn_undo"));
  EXPECT_FALSE(editor_->GetReset());
  EXPECT_FALSE(Enabled("butn_Save"));
  Click("butn_redo");
  Click("butn_redo");
  EXPECT_TRUE(SamePixels(Shown(), both));
  EXPECT_TRUE(editor_->GetReset());
}

// Auto-enhance is baked into a new origin: a later rebuild (another
// slider) never enhances twice, and the tool waits for another change.
TEST_F(PhotoEditor, AutoEnhanceIsAppliedOnceAndUndone) {
  if (!imgtest::HavePillow()) GTEST_SKIP() << "python3-pil missing";
  img::Bitmap dull = imgtest::Scene(200, 150);
  img::ApplyTable(dull, img::BrightnessContrastTable(-20, -50));
  Open(dull);
  Slide("hscrl_1", 10);
  img::Bitmap before = Shown();
  ASSERT_TRUE(Click("butn_AutoEnhance"));
  // Auto-enhance comes before brightness and contrast in the record's order.
  img::Bitmap enhanced = Pillow(dull, {"autocontrast", "0.5"});
  img::ApplyBrightnessContrast(enhanced, 10, 0);
  EXPECT_GE(Psnr(Shown(), enhanced), 60);
  EXPECT_FALSE(Enabled("butn_AutoEnhance"));
  EXPECT_EQ(hl::Read(&window_, "hscrl_1").scroll_pos, 0);

  Slide("hscrl_2", 15);
  EXPECT_TRUE(Enabled("butn_AutoEnhance"));
  img::Bitmap once = dull;
  img::AutoLevels(once, 0.5);
  img::ApplyBrightnessContrast(once, 10, 0);
  img::ApplyBrightnessContrast(once, 0, 15);
  EXPECT_TRUE(SamePixels(Shown(), once));

  Click("butn_undo");  // contrast
  Click("butn_undo");  // auto-enhance: the first origin and its record again
  EXPECT_TRUE(SamePixels(Shown(), before));
  EXPECT_EQ(Record().BrightContrast.nBrightness, 10);
  EXPECT_TRUE(Enabled("butn_AutoEnhance"));
}

TEST_F(PhotoEditor, TurnsAndMirrorsMatchPillowAndUndoAll) {
  if (!imgtest::HavePillow()) GTEST_SKIP() << "python3-pil missing";
  const img::Bitmap photo = imgtest::Scene(180, 120);
  Open(photo);
  Click("butn_rotate_left");
  img::Bitmap expect = Pillow(photo, {"rotate", "90"});
  EXPECT_TRUE(SamePixels(Shown(), expect));
  Click("butn_flip");  // turned by 90: still mirrors what is shown left to right
  EXPECT_EQ(Record().bVertFlip, 1);
  expect = Pillow(expect, {"flip", "lr"});
  EXPECT_TRUE(SamePixels(Shown(), expect));
  Click("butn_rotate_right");
  Click("butn_rotate_right");
  expect = Pillow(expect, {"rotate", "270"});
  expect = Pillow(expect, {"rotate", "270"});
  EXPECT_TRUE(SamePixels(Shown(), expect));
  EXPECT_EQ(Record().nDegree, 270);
  // A slider rebuilds from the origin: the same picture.
  Slide("hscrl_1", 1);
  Slide("hscrl_1", 0);
  EXPECT_TRUE(SamePixels(Shown(), expect));
  for (int i = 0; i < 5; ++i) Click("butn_undo");
  EXPECT_TRUE(SamePixels(Shown(), photo));
  EXPECT_FALSE(Enabled("butn_undo"));
}

// A file that is there but cannot be read: nothing is shown, every tool
// does nothing, and Save never writes over it.
TEST_F(PhotoEditor, AnUnreadableFileShowsNothingAndNoToolTouchesIt) {
  const fs::path path = dir_ / "broken.jpg";
  testenv::WriteFile(path, "\xFF\xD8 not really a photo");
  const std::vector<uint8_t> before = Bytes(path);
  ASSERT_EQ(editor_->PreviewImageFile(path.u16string().c_str()), 1);
  EXPECT_EQ(editor_->Page()->GetPictCtrl(PAGE_GET_RESULT), nullptr);
  Slide("hscrl_1", 30);
  Slide("hscrl_3", 5);
  for (const char* button : {"butn_AutoEnhance", "butn_rotate_left", "butn_flip", "butn_zoomin", "butn_undo"}) {
    Click(button);
  }
  EXPECT_EQ(editor_->DoSave(), 0);
  EXPECT_EQ(Bytes(path), before);
  EXPECT_EQ(editor_->PreviewImageFile((dir_ / "gone.jpg").u16string().c_str()), 0);
}

// At 100 % the frame's window coordinates are the picture's pixels less the
// picture's place in the window.
TEST_F(PhotoEditor, TheCropFrameDragsWithinThePictureAndCutsIt) {
  if (!imgtest::HavePillow()) GTEST_SKIP() << "python3-pil missing";
  const img::Bitmap photo = imgtest::Scene(200, 160);
  Open(photo);
  ASSERT_TRUE(Enabled("chck_Crop"));
  ASSERT_TRUE(Click("chck_Crop"));
  ASSERT_TRUE(editor_->IsCrop());
  EXPECT_FALSE(Enabled("butn_rotate_left"));
  EXPECT_FALSE(Enabled("hscrl_1"));
  EXPECT_TRUE(hl::Read(&window_, "butn_Crop").visible);
  const SRect32 b = editor_->CropBounds();
  ASSERT_EQ(b.right - b.left, 200);
  ASSERT_EQ(b.bottom - b.top, 160);
  // The middle three quarters each way.
  EXPECT_EQ(editor_->CropRect().left, b.left + 25);
  EXPECT_EQ(editor_->CropRect().bottom, b.bottom - 20);

  struct Step {
    const char* what;
    POINT from, to;
    SRect32 expect;  // relative to the picture's corner
  } steps[] = {
      // A press outside the frame starts nothing.
      {"outside", {b.left + 5, b.top + 5}, {b.left + 60, b.top + 60}, {25, 20, 175, 140}},
      // The bottom-right corner, pulled out past the picture: stops at its edge.
      {"corner out", {b.left + 174, b.top + 139}, {b.left + 260, b.top + 200}, {25, 20, 200, 160}},
      // The left side, pushed far right: stops a fifth of the picture short.
      {"side in", {b.left + 27, b.top + 80}, {b.left + 199, b.top + 80}, {160, 20, 200, 160}},
      // Moved against the top-left: keeps its size.
      {"move", {b.left + 180, b.top + 90}, {b.left + 10, b.top - 50}, {0, 0, 40, 140}},
      // The top-left corner is picked though the top side is near too; at
      // the smallest width only its top follows.
      {"corner in", {b.left + 2, b.top + 3}, {b.left + 10, b.top + 12}, {0, 12, 40, 140}},
  };
  for (const Step& s : steps) {
    Drag(s.from, s.to);
    const SRect32 r = editor_->CropRect();
    EXPECT_EQ(Sides(SRect32{r.left - b.left, r.top - b.top, r.right - b.left, r.bottom - b.top}), Sides(s.expect))
        << s.what;
  }

  ASSERT_TRUE(Click("butn_Crop"));
  EXPECT_FALSE(editor_->IsCrop());
  EXPECT_TRUE(SamePixels(Shown(), Pillow(photo, {"crop", "0", "12", "40", "140"})));
  EXPECT_TRUE(Enabled("butn_undo"));
  Click("butn_undo");
  EXPECT_TRUE(SamePixels(Shown(), photo));
  Click("butn_redo");
  EXPECT_EQ(Shown().width(), 40);
}

TEST_F(PhotoEditor, SaveWritesJpegAtQuality90OrBmpAndKeepsTheExif) {
  if (!imgtest::HaveTool("identify") || !imgtest::HaveTool("exiftool")) GTEST_SKIP() << "imagemagick or exiftool missing";
  const fs::path jpg = Open(imgtest::Scene(200, 160), "photo.JPG");
  Click("butn_rotate_left");
  EXPECT_EQ(editor_->DoSave(), 1);
  EXPECT_FALSE(editor_->GetReset());
  std::string out;
  imgtest::Run({"identify", "-format", "%m %w %h %Q", jpg.string()}, &out);
  EXPECT_EQ(out, "JPEG 160 200 90");
  imgtest::Run({"exiftool", "-s3", "-DateTimeOriginal", "-ExifImageWidth", "-ExifImageHeight", jpg.string()}, &out);
  EXPECT_EQ(out, "2024:05:06 07:08:09\n160\n200\n");

  const fs::path bmp = Open(imgtest::Scene(120, 90), "scan.bmp");
  Slide("hscrl_1", 30);
  img::Bitmap edited = Shown();
  EXPECT_EQ(editor_->DoSave(), 1);
  img::Decoded d;
  ASSERT_EQ(img::DecodeFile(bmp.string(), {}, d), img::Status::kOk);
  EXPECT_TRUE(SamePixels(d.pixels, edited));
  imgtest::Run({"identify", "-format", "%m", bmp.string()}, &out);
  EXPECT_EQ(out, "BMP3");
}

// Photos as cameras and phones write them: shown upright, and saved upright
// so that other programs (Pillow, exiftool) do not turn them again.
TEST_F(PhotoEditor, TurnedPhotosShowAndSaveUpright) {
  if (!imgtest::HavePillow() || !imgtest::HaveTool("exiftool")) GTEST_SKIP() << "python3-pil or exiftool missing";
  ASSERT_TRUE(imgtest::MakeOrientedPhotos(dir_));
  for (int n = 1; n <= 8; ++n) {
    SCOPED_TRACE("orientation " + std::to_string(n));
    const std::string name = "orient-" + std::to_string(n);
    const img::Bitmap want = imgtest::ReadPpm(dir_ / (name + "-upright.ppm"));
    const fs::path path = dir_ / (name + ".jpg");
    ASSERT_EQ(editor_->PreviewImageFile(path.u16string().c_str()), 1);
    const img::Bitmap shown = Shown();
    EXPECT_EQ(shown.width(), 96);
    EXPECT_EQ(shown.height(), 64);
    EXPECT_TRUE(SamePixels(shown, want));
    if (n == 1) continue;
    Slide("hscrl_1", 10);
    const img::Bitmap edited = Shown();
    ASSERT_EQ(editor_->DoSave(), 1);
    std::string out;
    imgtest::Run({"exiftool", "-s3", "-n", "-Orientation", "-ImageSize", "-ExifImageWidth", "-ExifImageHeight",
                  "-Make", path.string()}, &out);
    EXPECT_EQ(out, "1\n96 64\n96\n64\nDunsellow test camera\n");
    EXPECT_TRUE(imgtest::SameLayout(imgtest::PillowUpright(path, dir_), edited));
  }
}

// The file is written beside the target and renamed over it: cut off at
// any byte, or the writer killed, the old photo is still there, whole.
TEST_F(PhotoEditor, AnInterruptedSaveLeavesTheOldFileOrTheNewOne) {
  const fs::path path = Open(imgtest::Scene(300, 200), "photo.jpg");
  const std::vector<uint8_t> old = Bytes(path);
  Slide("hscrl_1", 40);
  ASSERT_EQ(editor_->DoSave(), 1);
  const std::vector<uint8_t> fresh = Bytes(path);
  ASSERT_NE(fresh, old);
  auto restore = [&] {
    std::ofstream back(path, std::ios::binary | std::ios::trunc);
    back.write(reinterpret_cast<const char*>(old.data()), std::streamsize(old.size()));
  };
  Slide("hscrl_1", 41);
  Slide("hscrl_1", 40);
  for (size_t cut : {size_t(0), size_t(1), size_t(600), fresh.size() / 2, fresh.size() - 1}) {
    restore();
    img::SimulateDiskFullAfter(int64_t(cut));
    EXPECT_EQ(editor_->DoSave(), 0) << cut;
    img::SimulateDiskFullAfter(-1);
    EXPECT_EQ(Bytes(path), old) << cut;
    EXPECT_TRUE(editor_->GetReset());
  }
  size_t files = 0;
  for (auto& e : fs::directory_iterator(dir_)) files += e.path().extension() != ".ppm";
  EXPECT_EQ(files, 1u);  // no half-written file left behind

  // A writer that dies while writing: the target is the old file or the
  // new one, never a mixture.
  for (int attempt = 0; attempt < 3; ++attempt) {
    restore();
    pid_t child = fork();
    if (child == 0) {
      for (;;) editor_->DoSave();
    }
    // Killed once a temporary file has shown up (or after a while).
    for (int looks = 0; looks < 100000; ++looks) {
      bool writing = false;
      for (auto& e : fs::directory_iterator(dir_)) writing |= e.path().filename().string().starts_with(".photo.jpg");
      if (writing) break;
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::vector<uint8_t> now = Bytes(path);
    EXPECT_TRUE(now == old || now == fresh) << attempt;
  }
}

}  // namespace
