// Movies recorded from the stand-in camera and microphone through the
// running program's "Record" command, read back by ffprobe and decoded by
// ffmpeg.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "CaptureModuleFixture.h"
#include "qel/QelHeadless.h"
#include "MediaTools.h"
#include "media/ClockStamp.h"
#include "qel/QelMenuBar.h"

namespace fs = std::filesystem;

namespace {

class CaptureRecordTest : public CaptureModuleTest {
 protected:
  // The items of the main window's menus that can be chosen.
  size_t MenuItemsEnabled() {
    size_t n = 0;
    if (const qel::MenuBar* bar = Frame().GetMenuBar()) {
      for (const qel::MenuBarMenu& menu : *bar)
        for (const qel::MenuBarItem& item : menu.items) n += !item.separator && item.enabled;
    }
    return n;
  }
  // Records about `seconds` with the program's own controls; the movie.
  fs::path Record(double seconds) {
    Start();
    LaunchCapture();
    EXPECT_TRUE(WaitForPicture());
    // Sound goes into a movie once the microphone has delivered.
    WaitFor([] { return false; }, 1);
    Command(u"-Capture/Record");
    Pump();
    EXPECT_EQ(Trace("capture recording ").size(), 1u);
    // While it records, what would disturb it is off.
    for (const char* name : {"butn_image", "comb_resolution", "butn_CaptureSettings", "butn_home"})
      EXPECT_FALSE(Enabled(name)) << name;
    EXPECT_TRUE(Enabled("chck_video"));
    EXPECT_EQ(MenuItemsEnabled(), 0u);
    EXPECT_FALSE(QelChooseMenuCommand(&Frame(), QelFourCC("abou")));  // nothing is shown
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    WaitFor([&] { return std::chrono::steady_clock::now() >= end; }, int(seconds) + 30);
    Command(u"-Capture/Record");
    Pump();
    for (const char* name : {"butn_image", "comb_resolution", "butn_CaptureSettings", "butn_home"})
      EXPECT_TRUE(Enabled(name)) << name;
    EXPECT_GT(MenuItemsEnabled(), 0u);
    const std::vector<std::string> movies = Trace("capture movie ");
    if (movies.size() != 1) return {};
    return movies[0].substr(std::string("capture movie ").size());
  }
};

TEST_F(CaptureRecordTest, AMovieWithSoundIsWholeAndItsTracksEndTogether) {
  SeedPreferences("{\"bWithAudio\": 1, \"VideoFileQuality\": 100}");
  const fs::path movie = Record(3.0);
  ASSERT_FALSE(movie.empty());
  EXPECT_EQ(movie.parent_path(), MediaFolder() / "Capture");
  EXPECT_EQ(movie.extension(), ".mov");

  mediatools::ProbeResult probe(movie);
  EXPECT_EQ(probe.Stream("video", "codec_tag_string"), "mp4v");
  EXPECT_EQ(probe.Stream("video", "time_base"), "1/600");
  EXPECT_EQ(probe.Stream("video", "width"), "640");  // the video size chosen, as the camera delivers it
  EXPECT_EQ(probe.Stream("audio", "codec_tag_string"), "sowt");
  const double frame = 1.0 / 15;  // quality 100 records 15 frames a second
  const double video = std::atof(probe.Stream("video", "duration").c_str());
  const double sound = std::atof(probe.Stream("audio", "duration").c_str());
  EXPECT_GT(video, 2.0);
  EXPECT_LT(video, 6.0);
  EXPECT_LE(std::fabs(video - sound), frame) << "video " << video << " s, sound " << sound << " s";
  // Every frame lasts one frame time in the 600 units of a second.
  for (long long d : probe.Packets("video", "duration")) EXPECT_EQ(d, 40);
  EXPECT_EQ(mediatools::DecodeErrors(movie), "");
}

// The camera clock of every frame of a movie, read from the stand-in
// camera's stamp along the top of the picture.
std::vector<uint32_t> FrameClocks(const fs::path& movie, int width) {
  const int band = media::ClockStampSquare(width) * 3;
  const std::string pixels =
      mediatools::Run("ffmpeg -nostdin -v error -i " + mediatools::Quote(movie) + " -map 0:v -vf crop=" +
                      std::to_string(width) + ":" + std::to_string(band) + ":0:0 -f rawvideo -pix_fmt gray -");
  std::vector<uint32_t> clocks;
  const size_t frameBytes = size_t(width) * size_t(band);
  for (size_t at = 0; at + frameBytes <= pixels.size(); at += frameBytes) {
    media::ClockStamp stamp;
    media::ReadClockStamp(width, band, [&](int32_t x, int32_t y) {
      return int(uint8_t(pixels[at + size_t(y) * size_t(width) + size_t(x)]));
    }, &stamp);
    clocks.push_back(stamp.clockMs);
  }
  return clocks;
}

// Where each beep of the stand-in microphone begins, in samples of the
// movie's sound (a beep after a stretch of quiet; one cut by the start
// is not counted).
std::vector<size_t> BeepStarts(const fs::path& movie, uint32_t rate) {
  const std::string bytes = mediatools::Run("ffmpeg -nostdin -v error -i " + mediatools::Quote(movie) +
                                            " -map 0:a -ac 1 -f s16le -acodec pcm_s16le -");
  std::vector<int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  std::vector<size_t> starts;
  const size_t quiet = rate / 2;
  size_t quietRun = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (std::abs(int(samples[i])) > 1000) {
      if (quietRun >= quiet) starts.push_back(i);
      quietRun = 0;
    } else {
      ++quietRun;
    }
  }
  return starts;
}

TEST_F(CaptureRecordTest, PictureAndSoundStartTogetherAndStayTogether) {
  // Read when the module's media layer starts.
  ::setenv("DUNSELLOW_SYNTHETIC_CAMERA", "bounds=1280x720,fps=30,stamp=1", 1);
  ::setenv("DUNSELLOW_SYNTHETIC_MICROPHONE", "beep=1", 1);
  SeedPreferences("{\"bWithAudio\": 1, \"VideoFileQuality\": 100}");
  const fs::path movie = Record(10.0);
  ::unsetenv("DUNSELLOW_SYNTHETIC_MICROPHONE");
  ASSERT_FALSE(movie.empty());

  const double fps = 15, frameMs = 1000.0 / fps;
  const std::vector<uint32_t> clocks = FrameClocks(movie, 640);
  ASSERT_GT(clocks.size(), size_t(9 * fps));
  // A slot shows the camera's latest picture, which is as old as the
  // camera's pace allows (1/30 s here; more on a loaded machine): the
  // largest step between the pictures in the movie bounds it.
  double stale = frameMs;
  for (size_t i = 1; i < clocks.size(); ++i) stale = std::max(stale, double(clocks[i] - clocks[i - 1]));
  // One second of movie holds one second of camera time.
  EXPECT_NEAR(double(clocks[size_t(fps)] - clocks[0]), 1000.0, stale) << "first second";
  const size_t last = clocks.size() - 1;
  EXPECT_NEAR(double(clocks[last] - clocks[0]), double(last) * frameMs, stale) << "whole movie";

  // Each beep starts at a whole second of the camera clock: the frame shown
  // then, and the first frame's clock carried forward, both say so.
  const uint32_t rate = 44100;
  const std::vector<size_t> beeps = BeepStarts(movie, rate);
  ASSERT_GE(beeps.size(), 8u) << movie;
  for (size_t beep : beeps) {
    const double movieMs = double(beep) * 1000.0 / rate;
    const auto offWholeSecond = [](double ms) {
      double r = std::fmod(ms, 1000.0);
      return r > 500 ? r - 1000 : r;
    };
    EXPECT_LE(std::fabs(offWholeSecond(double(clocks[0]) + movieMs)), frameMs)
        << "first frame's clock " << clocks[0] << " ms, beep at " << movieMs << " ms of movie";
    const size_t shown = std::min(last, size_t(movieMs / frameMs));
    EXPECT_LE(std::fabs(offWholeSecond(double(clocks[shown]) + (movieMs - double(shown) * frameMs))), frameMs + stale)
        << "frame " << shown << " at " << movieMs << " ms of movie";
  }
}

TEST_F(CaptureRecordTest, WithoutSoundTheMovieHasNoSoundTrack) {
  SeedPreferences("{\"bWithAudio\": 0, \"VideoFileQuality\": 50}");
  const fs::path movie = Record(1.5);
  ASSERT_FALSE(movie.empty());
  mediatools::ProbeResult probe(movie);
  EXPECT_EQ(probe.StreamOf("audio"), -1);
  EXPECT_EQ(probe.Stream("video", "codec_tag_string"), "mp4v");
  for (long long d : probe.Packets("video", "duration")) EXPECT_EQ(d, 60);  // 10 frames a second
  EXPECT_EQ(mediatools::DecodeErrors(movie), "");
}

// The disk fills up (or a quota is reached) part-way through a recording:
// every write past a size fails from then on, as the kernel's file size
// limit makes it.
TEST_F(CaptureRecordTest, AMovieWhoseWritesStartFailingStopsWithAMessageAndNothingUnplayableIsKept) {
  SeedPreferences("{\"bWithAudio\": 0, \"VideoFileQuality\": 100}");
  Start();
  LaunchCapture();
  ASSERT_TRUE(WaitForPicture());
  std::u16string message;
  qel::headless::AnswerNextModalBy([&message](CQelWindow* w) { message = qel::headless::Read(w, "text_Msg").text; },
                                   "butn_OK");
  Command(u"-Capture/Record");
  Pump();
  ASSERT_EQ(Trace("capture recording ").size(), 1u);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 256 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  // Nobody presses Stop: the page notices by itself.
  const bool told = WaitFor([&] { return !message.empty(); }, 120);
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, SIG_DFL);
  ASSERT_TRUE(told) << "no message about the failed movie";
  EXPECT_NE(message.find(u"could not be written"), std::u16string::npos);
  EXPECT_EQ(Find("chck_video")->Check(), 0);
  EXPECT_TRUE(Enabled("butn_image"));
  // The file had no index yet: it is gone, and the album never listed it.
  EXPECT_TRUE(Trace("capture movie ").empty());
  EXPECT_EQ(Trace("capture discarded movie ").size(), 1u);
  for (const auto& entry : fs::directory_iterator(MediaFolder() / "Capture")) {
    EXPECT_NE(entry.path().extension(), ".mov") << entry.path();
  }
}

}  // namespace
