#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "MovCodecTable.h"
#include "MovieDescription.h"
#include "MovieHelpers.h"
#include "TestEnvironment.h"
#include "media/MovieWriter.h"
#include "os/Offscreen.h"
#include "qel/QelWideText.h"

namespace {

namespace fs = std::filesystem;

// 20 frames at 10 fps, grey level 10 x frame number, with one second of
// 44.1 kHz stereo sound: a lossless movie written by our own writer.
fs::path IndexMovie() {
  static fs::path path;
  if (!path.empty()) return path;
  path = testenv::MakeTempDir("movie") / "index.mov";
  media::MovieWriterSettings s;
  s.path = path.string();
  s.size = {48, 32};
  s.fps = 10;
  s.videoType = media::FourCC('p', 'n', 'g', ' ');
  s.sound = true;
  s.soundInput = {44100, 2, 16};
  media::MovieWriter writer;
  EXPECT_EQ(writer.Open(s), 0);
  std::vector<uint8_t> argb(48 * 32 * 4);
  for (int n = 0; n < 20; ++n) {
    for (size_t i = 0; i < argb.size(); i += 4) {
      argb[i] = 255;
      argb[i + 1] = argb[i + 2] = argb[i + 3] = uint8_t(n * 10);
    }
    EXPECT_EQ(writer.WriteVideo(argb.data(), 48, 32, 48 * 4), 0);
  }
  std::vector<uint8_t> silence(176400);
  EXPECT_EQ(writer.WriteSound(silence.data(), silence.size()), 0);
  EXPECT_EQ(writer.Finish(), 0);
  return path;
}

std::u16string Wide(const fs::path& p) { return QelFromUTF8(p.string()); }

int Grey(GWorldPtr w) { return w->pixels[size_t(w->height / 2) * size_t(w->rowBytes) + size_t(w->width / 2) * 4 + 1]; }

TEST(MovieHelpers, OpensMoviesAndDrawsTheFrameAtATime) {
  fs::path dir = testenv::MakeTempDir("open");
  testenv::WriteFile(dir / "text.mov", "not a movie");
  EXPECT_EQ(OpenMovFile(Wide(dir / "missing.mov").c_str()), nullptr);
  EXPECT_EQ(OpenMovFile(Wide(dir / "text.mov").c_str()), nullptr);
  EXPECT_EQ(OpenMovFile(nullptr), nullptr);

  Movie movie = OpenMovFile(Wide(IndexMovie()).c_str());
  ASSERT_NE(movie, nullptr);
  int32_t start = -1, duration = -1;
  GetMovieActiveSDTime(movie, &start, &duration);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(duration, 1200);
  EXPECT_EQ(GetMovieTimeScale(movie), 600);
  Rect box;
  GetMovieBox(movie, &box);
  EXPECT_EQ(box.right, 48);
  EXPECT_EQ(box.bottom, 32);

  GWorldPtr own = plat::NewOffscreen(4, 4, plat::kOffscreenARGB32);
  SetMovieGWorld(movie, own);
  Rect bounds{10, 20, 42, 68};  // top, left, bottom, right
  GWorldPtr frame = MovieFrameToGWorldSimple(movie, 7 * 60, bounds, 1);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(bounds.top, 0);
  EXPECT_EQ(bounds.left, 0);
  EXPECT_EQ(bounds.right, 48);
  EXPECT_EQ(bounds.bottom, 32);
  EXPECT_EQ(frame->width, 48);
  EXPECT_EQ(Grey(frame), 70);
  EXPECT_EQ(GetMovieGWorld(movie), own) << "the previous world is given back";

  GWorldPtr kept = MovieFrameToGWorldSimple(movie, 3 * 60 + 59, bounds, 0);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(Grey(kept), 30);
  EXPECT_EQ(GetMovieGWorld(movie), kept);
  SetMovieTimeValue(movie, 15 * 60);
  MovieFrameToGWorldSimple(movie);
  EXPECT_EQ(Grey(kept), 150);
  EXPECT_EQ(TickCountToTimeValue(60), 600);

  GWorldPtr copy = CopyGWorld(kept);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(Grey(copy), 150);
  CopyGWorld(frame, copy);
  EXPECT_EQ(Grey(copy), 70);
  for (GWorldPtr w : {own, frame, kept, copy}) DisposeGWorld(w);
  DisposeMovie(movie);
}

TEST(MovieHelpers, BrightnessAndContrastTable) {
  struct Case {
    int b, c, in, out;
  } cases[] = {{20, 0, 100, 120}, {20, 0, 240, 255}, {0, 64, 64, 0}, {0, 64, 128, 129},
               {0, 64, 191, 255}, {-30, 0, 20, 0},  {0, 0, 77, 77}};
  for (const Case& c : cases) {
    GWorldPtr w = plat::NewOffscreen(3, 2, plat::kOffscreenARGB32);
    for (int i = 0; i < w->rowBytes * w->height; ++i) w->pixels[i] = uint8_t(c.in);
    EXPECT_EQ(GWProcessBrightnessAndContrast(w, c.b, c.c, 1), 1);
    EXPECT_EQ(w->pixels[w->rowBytes + 4 + 1], c.out) << c.b << "/" << c.c << " of " << c.in;
    EXPECT_EQ(w->pixels[w->rowBytes + 4], c.in) << "alpha kept";
    DisposeGWorld(w);
  }
  // One colour byte per channel choice.
  for (int channels : {2, 3, 4}) {
    GWorldPtr w = plat::NewOffscreen(1, 1, plat::kOffscreenARGB32);
    std::fill(w->pixels, w->pixels + 4, uint8_t(100));
    GWProcessBrightnessAndContrast(w, 20, 0, channels);
    int changed = channels == 2 ? 1 : channels == 3 ? 2 : 3;
    for (int byte = 1; byte < 4; ++byte) EXPECT_EQ(w->pixels[byte], byte == changed ? 120 : 100);
    DisposeGWorld(w);
  }
  // Rows wider than 4095 pixels follow the whole stride.
  GWorldPtr wide = plat::NewOffscreen(5000, 3, plat::kOffscreenARGB32);
  std::fill(wide->pixels, wide->pixels + size_t(wide->rowBytes) * 3, uint8_t(100));
  GWProcessBrightnessAndContrast(wide, 20, 0, 1);
  EXPECT_EQ(wide->pixels[size_t(2) * size_t(wide->rowBytes) + 4999 * 4 + 3], 120);
  DisposeGWorld(wide);
  GWorldPtr mono = plat::NewOffscreen(8, 8, plat::kOffscreenMono);
  EXPECT_EQ(GWProcessBrightnessAndContrast(mono, 20, 0, 1), 0);
  EXPECT_EQ(mono->pixels[0], 0);
  DisposeGWorld(mono);
  EXPECT_EQ(GWProcessBrightnessAndContrast(nullptr, 20, 0, 1), 0);
}

TEST(MovieDescription, VideoAndSoundOfAWrittenMovie) {
  Movie movie = ORVGF::OpenMovieFile(Wide(IndexMovie()).c_str());
  ASSERT_NE(movie, nullptr);
  ORVGF::__VideoDescription v;
  EXPECT_EQ(v.size, sizeof v);
  ASSERT_TRUE(ORVGF::GetVideoDescription(movie, &v));
  EXPECT_EQ(v.codecType, MovFourCC('p', 'n', 'g', ' '));
  EXPECT_EQ(v.width, 48);
  EXPECT_EQ(v.height, 32);
  EXPECT_EQ(v.frameCount, 20u);
  EXPECT_DOUBLE_EQ(v.durationMs, 2000);
  EXPECT_DOUBLE_EQ(v.frameRate, 10);
  EXPECT_GT(v.dataSize, 0u);
  EXPECT_DOUBLE_EQ(v.dataRate, double(v.dataSize) * 8 * 1000 / 2000) << "bits per second";
  EXPECT_NE(v.codecName[0], 0);
  ORVGF::__AudioDescription a;
  ASSERT_TRUE(ORVGF::GetAudioDescription(movie, &a));
  EXPECT_EQ(a.format, MovFourCC('s', 'o', 'w', 't'));
  EXPECT_EQ(a.channels, 2);
  EXPECT_EQ(a.bitsPerSample, 16);
  EXPECT_EQ(a.sampleRate, 44100);
  EXPECT_EQ(a.dataSize, 176400u);
  EXPECT_NEAR(a.durationMs, 1000, 1);
  EXPECT_EQ(std::u16string(a.compressionName), u"PCM");
  DisposeMovie(movie);
  EXPECT_FALSE(ORVGF::GetVideoDescription(nullptr, &v));

  unsigned char name[256] = {};
  ASSERT_TRUE(ORVGF::GetCodecName(MovFourCC('m', 'p', '4', 'v'), name));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "MPEG-4 part 2");
  EXPECT_TRUE(ORVGF::GetCodecName(MovFourCC('s', 'o', 'w', 't'), name));
  EXPECT_FALSE(ORVGF::GetCodecName(MovFourCC('z', 'z', 'z', 'z'), name));
}

}  // namespace
