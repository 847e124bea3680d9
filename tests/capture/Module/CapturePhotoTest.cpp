// Photos from the live picture of the stand-in camera, taken through the
// running program's controls: file names and counters, sizes, formats and
// qualities as independent tools read them, EXIF fields, and a disk that
// cannot take the photo.
#include <gtest/gtest.h>
#include <sys/time.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "CaptureModuleFixture.h"
#include "MediaTools.h"
#include "TestEnvironment.h"
#include "img/ImageFile.h"
#include "qel/QelElement.h"
#include "qel/QelHeadless.h"

namespace fs = std::filesystem;
namespace hl = qel::headless;

namespace {

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* p = ::popen(command.c_str(), "r")) {
    char buffer[1024];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    ::pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

// "JPEG 640 480 75", as ImageMagick's identify reads the file.
std::string Identify(const fs::path& file) {
  return Output("identify -format '%m %w %h %Q' '" + file.string() + "' 2>/dev/null");
}

class CapturePhotoTest : public CaptureModuleTest {
 protected:
  void Open() {
    Start();
    LaunchCapture();
    ASSERT_TRUE(WaitForPicture());
  }
  // Presses the photo button; the path written, or empty.
  fs::path Photo() {
    const size_t before = Trace("capture photo ").size();
    EXPECT_TRUE(hl::Click(&Frame(), "butn_image"));
    Pump();
    std::vector<std::string> lines = Trace("capture photo ");
    if (lines.size() == before) return {};
    return lines.back().substr(std::string("capture photo ").size());
  }
  fs::path CaptureFolder() const { return MediaFolder() / "Capture"; }
  void Settings(const std::function<void(CQelWindow*)>& change) {
    hl::AnswerNextModalBy(change, "butn_OK");
    ASSERT_TRUE(hl::Click(&Frame(), "butn_CaptureSettings"));
    Pump();
  }
  void ChooseSize(int32_t index) {
    ASSERT_TRUE(hl::SelectItem(&Frame(), "comb_resolution", index));
    Pump();
    ASSERT_TRUE(WaitFor([this] { return Trace("capture first frame").size() >= Trace("capture camera 1").size(); }));
  }
};

TEST_F(CapturePhotoTest, NamesSkipExistingFilesAndTheCounterIsStored) {
  Open();
  testenv::WriteFile(CaptureFolder() / "Talvexa_Photo0.jpg", "taken");
  testenv::WriteFile(CaptureFolder() / "Talvexa_Photo1.jpg", "taken");
  EXPECT_EQ(Photo(), CaptureFolder() / "Talvexa_Photo2.jpg");
  EXPECT_EQ(Preference("ImageFileNum"), "3");
  EXPECT_EQ(testenv::ReadFile(CaptureFolder() / "Talvexa_Photo0.jpg"), "taken");
  // Without the prefix the name is the base name and the counter alone.
  Settings([](CQelWindow* w) { EXPECT_TRUE(hl::Click(w, "chck_Add")); });
  EXPECT_EQ(Photo(), CaptureFolder() / "Photo3.jpg");
  EXPECT_EQ(Preference("ImageFileNum"), "4");
}

TEST_F(CapturePhotoTest, SizesQualitiesAndFormatsAsChosen) {
  Open();
  struct Step {
    const char* what;
    std::function<void()> choose;
    std::string identified;
  };
  const Step steps[] = {
      {"factory settings", [] {}, "JPEG 640 480 75"},
      {"the enlarged size", [this] { ChooseSize(3); }, "JPEG 1280 960 75"},
      {"high quality",
       [this] { Settings([](CQelWindow* w) { EXPECT_TRUE(hl::MoveSlider(w, "scrl_Image", 90)); }); },
       "JPEG 1280 960 90"},
      {"low quality",
       [this] { Settings([](CQelWindow* w) { EXPECT_TRUE(hl::MoveSlider(w, "scrl_Image", 20)); }); },
       "JPEG 1280 960 60"},
      {"a smaller picture is never made smaller", [this] { ChooseSize(0); }, "JPEG 160 120 60"},
      {"BMP", [this] { Settings([](CQelWindow* w) { EXPECT_TRUE(hl::SelectItem(w, "comb_ImageFmt", 1)); }); },
       "BMP 160 120"},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.choose();
    const fs::path photo = Photo();
    ASSERT_FALSE(photo.empty());
    std::string seen = Identify(photo);
    // A BMP has no quality: only its kind and size count.
    if (seen.rfind("BMP", 0) == 0) seen = "BMP " + seen.substr(seen.find(' ') + 1, seen.rfind(' ') - seen.find(' ') - 1);
    EXPECT_EQ(seen, step.identified) << photo;
  }
}

TEST_F(CapturePhotoTest, AnotherAspectIsCoveredAndCentredNeverStretched) {
  SeedPreferences("{\"VideoResolution\": " + std::to_string(720 << 16 | 1280) +
                  ", \"ImageResolution\": " + std::to_string(1200 << 16 | 1600) + "}");
  Open();
  const fs::path photo = Photo();
  ASSERT_FALSE(photo.empty());
  EXPECT_EQ(Identify(photo), "JPEG 1600 1200 75");
}

TEST_F(CapturePhotoTest, ExifFieldsAreReadBackByAnIndependentReader) {
  Open();
  const fs::path photo = Photo();
  ASSERT_FALSE(photo.empty());
  const std::string exif = Output("exiftool -s -s -s -ExifVersion -ExifImageWidth -ExifImageHeight '" +
                                  photo.string() + "' | tr '\\n' ' '");
  EXPECT_EQ(exif, "0220 640 480");
  const std::string taken = Output("exiftool -s -s -s -DateTimeOriginal '" + photo.string() + "'");
  ASSERT_EQ(taken.size(), 19u) << taken;  // "YYYY:MM:DD HH:MM:SS"
  EXPECT_EQ(taken[4], ':');
  EXPECT_EQ(taken[13], ':');
}

TEST_F(CapturePhotoTest, ADiskThatCannotTakeThePhotoLeavesNothingAndSaysSo) {
  Open();
  // The disk fills up after 2 KiB of the photo.
  img::SimulateDiskFullAfter(2048);
  std::u16string message;
  hl::AnswerNextModalBy([&message](CQelWindow* w) { message = hl::Read(w, "text_Msg").text; }, "butn_OK");
  EXPECT_TRUE(Photo().empty());
  img::SimulateDiskFullAfter(-1);
  EXPECT_NE(message.find(u"could not be saved"), std::u16string::npos);
  EXPECT_EQ(Trace("capture save failed").size(), 1u);
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(CaptureFolder())) {
    // The album's thumbnail database lives there too.
    const std::string name = entry.path().filename().string();
    if (name.rfind("ZylORVThumb.db", 0) != 0) left.push_back(name);
  }
  EXPECT_TRUE(left.empty()) << left.front();
}

TEST_F(CapturePhotoTest, UnfinishedPhotosOfAKilledProgramAreSweptAtStart) {
  // What a save killed before its rename leaves: a hidden temporary file.
  fs::create_directories(CaptureFolder());
  const fs::path left = CaptureFolder() / ".Talvexa_Photo4.jpg.x7Yq2B";
  testenv::WriteFile(left, "half a photo");
  const timeval old[2] = {{std::time(nullptr) - 600, 0}, {std::time(nullptr) - 600, 0}};
  ASSERT_EQ(::utimes(left.c_str(), old), 0);
  Open();
  EXPECT_FALSE(fs::exists(left));
  EXPECT_EQ(Trace("capture swept 1 ").size(), 1u);
  EXPECT_FALSE(Photo().empty());
}

}  // namespace

namespace {

// The mean brightness of a photo, read by ffmpeg.
double MeanBrightness(const fs::path& photo) {
  const std::string pixels = mediatools::Run("ffmpeg -nostdin -v error -i " + mediatools::Quote(photo) +
                                             " -vf scale=64:48 -f rawvideo -pix_fmt gray -");
  double sum = 0;
  for (char c : pixels) sum += uint8_t(c);
  return pixels.empty() ? -1 : sum / double(pixels.size());
}

// The camera button's dialog lists the stand-in camera's own settings with
// their ranges; moving brightness changes the picture at once, and the
// value is kept for that camera.
TEST_F(CapturePhotoTest, CameraSettingsListTheCameraControlsAndReachTheCamera) {
  constexpr char kBrightness[] = "scrl_value_9963776";  // the V4L2 brightness control
  SeedPreferences("{\"bWithAudio\": 1}");  // the sound input's part shows too
  Open();
  const fs::path before = Photo();
  ASSERT_FALSE(before.empty());
  hl::ElementState brightness, contrast, balance, level;
  int32_t lowest = 0, highest = 0;
  hl::AnswerNextModalBy([&](CQelWindow* w) {
    brightness = hl::Read(w, kBrightness);
    if (qel::Element* e = hl::FindElement(w, kBrightness)) lowest = e->Scroll().min, highest = e->Scroll().max;
    contrast = hl::Read(w, "scrl_value_9963777");
    balance = hl::Read(w, "chck_value_9963788");
    level = hl::Read(w, "scrl_audiolevel");
    EXPECT_EQ(hl::Read(w, "text_name_9963776").text, u"Brightness");
    EXPECT_TRUE(hl::MoveSlider(w, kBrightness, 40));
  }, "butn_OK");
  ASSERT_TRUE(hl::Click(&Frame(), "butn_camsetting"));
  Pump();
  EXPECT_EQ(Trace("camera settings shown").size(), 1u);
  EXPECT_TRUE(brightness.visible);
  EXPECT_EQ(lowest, -64);
  EXPECT_EQ(highest, 64);
  EXPECT_EQ(brightness.scroll_pos, 0);
  EXPECT_EQ(contrast.scroll_pos, 50);
  EXPECT_TRUE(balance.visible);
  EXPECT_EQ(balance.check, 1);
  EXPECT_TRUE(level.visible);
  EXPECT_EQ(Trace("camera setting Brightness 40").size(), 1u);
  EXPECT_EQ(Preference("CameraControl Test Camera A 9963776"), "40");

  WaitFor([] { return false; }, 1);  // frames taken since
  const fs::path after = Photo();
  ASSERT_FALSE(after.empty());
  EXPECT_GT(MeanBrightness(after), MeanBrightness(before) + 40);
}

}  // namespace
