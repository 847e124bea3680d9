#include "media/Movie.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace media;

std::string Clip(const char* name) { return std::string(CLIPS_DIR) + "/" + name; }

// The grey level of the frame's middle pixel (red byte of A, R, G, B).
int Level(const Frame& f) { return f.Row(f.height / 2)[(f.width / 2) * 4 + 1]; }

std::vector<int16_t> Samples(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> s(bytes.size() / 2);
  std::memcpy(s.data(), bytes.data(), s.size() * 2);
  return s;
}

TEST(Movie, FrameShownAtATimeInSixHundredths) {
  Movie movie;
  ASSERT_EQ(movie.Open(Clip("index.mov")), 0);  // its own time scale is 10240
  EXPECT_EQ(movie.Duration(), 1800);
  EXPECT_EQ(movie.NaturalSize(), (Size{64, 48}));
  // Frame n starts at 60 n; times in any order, back and forth.
  struct Case {
    int64_t t;
    int frame;
  } cases[] = {{0, 0},     {59, 0},    {60, 1},   {605, 10},  {1799, 29}, {9000, 29},
               {120, 2},   {1500, 25}, {1440, 24}, {1441, 24}, {0, 0},    {300, 5}};
  for (const Case& c : cases) {
    Frame f;
    ASSERT_EQ(movie.FrameAt(c.t, f), 0) << c.t;
    EXPECT_EQ(Level(f), c.frame * 8) << "at " << c.t;
    EXPECT_EQ(f.index, std::min<int64_t>(c.t, 1799) / 60 * 60) << "starts at";
    EXPECT_EQ(f.Row(0)[0], 255) << "alpha first";
  }
  Frame small;
  ASSERT_EQ(movie.FrameAt(60, small, {16, 12}), 0);
  EXPECT_EQ(small.width, 16);
  EXPECT_EQ(Level(small), 8);
}

TEST(Movie, SeeksIntoGroupsOfPicturesAtNtscRate) {
  Movie movie;
  ASSERT_EQ(movie.Open(Clip("ntsc.mov")), 0);
  EXPECT_EQ(movie.Duration(), 1802);  // 90 frames of 1001/30000 s
  VideoDescription d;
  ASSERT_TRUE(movie.DescribeVideo(&d));
  EXPECT_EQ(d.frameCount, 90);
  EXPECT_NEAR(d.frameRate, 29.97, 0.01);
  // Frame n starts at n x 20.02: t = 20 n + n / 50 rounded.
  for (int n : {0, 1, 13, 12, 11, 50, 89, 7, 30}) {
    int64_t t = std::llround(n * 600.0 * 1001.0 / 30000.0);
    Frame f;
    ASSERT_EQ(movie.FrameAt(t, f), 0);
    EXPECT_NEAR(Level(f), n * 2, 3) << "frame " << n;
  }
}

// A 4:2:0 picture of the caller's, one byte per sample.
struct Planes {
  std::vector<uint8_t> y, cb, cr;
  Yuv420View view;
  explicit Planes(Size size, uint8_t fill = 0) {
    const int32_t cw = (size.width + 1) / 2, ch = (size.height + 1) / 2;
    y.assign(size_t(size.width) * size_t(size.height), fill);
    cb.assign(size_t(cw) * size_t(ch), fill);
    cr.assign(size_t(cw) * size_t(ch), fill);
    view.planes[0] = y.data(), view.planes[1] = cb.data(), view.planes[2] = cr.data();
    view.rowBytes[0] = size.width, view.rowBytes[1] = view.rowBytes[2] = cw;
    view.size = size;
  }
};

TEST(Movie, HandsOverDecodedPlanesThroughTables) {
  struct Case {
    const char* clip;
    bool planar;
  } cases[] = {
      {"ntsc.mov", true},    // MPEG-4, 4:2:0
      {"index.mov", false},  // PNG pictures are R, G, B
      {"wide.mov", false},   // 4:2:0, but shown twice as wide
  };
  for (const Case& c : cases) {
    Movie movie;
    ASSERT_EQ(movie.Open(Clip(c.clip)), 0);
    EXPECT_EQ(movie.DecodesToYuv420(), c.planar) << c.clip;
  }
  Movie movie;
  ASSERT_EQ(movie.Open(Clip("ntsc.mov")), 0);
  const int64_t t = std::llround(30 * 600.0 * 1001.0 / 30000.0);  // frame 30: grey 60
  Planes plain({64, 48});
  ASSERT_EQ(movie.FrameYuv420Into(t, plain.view, nullptr, nullptr), 0);
  EXPECT_NEAR(plain.y[24 * 64 + 32], 16 + 60 * 219 / 255, 3) << "video range";
  EXPECT_NEAR(plain.cb[12 * 32 + 16], 128, 2);
  EXPECT_NEAR(plain.cr[12 * 32 + 16], 128, 2);
  // Every byte through its plane's table, nothing else changed.
  uint8_t invert[256], flat[256];
  for (int i = 0; i < 256; ++i) invert[i] = uint8_t(255 - i), flat[i] = 77;
  Planes mapped({64, 48});
  ASSERT_EQ(movie.FrameYuv420Into(t, mapped.view, invert, flat), 0);
  for (size_t i = 0; i < plain.y.size(); ++i) ASSERT_EQ(mapped.y[i], 255 - plain.y[i]) << i;
  for (const std::vector<uint8_t>* chroma : {&mapped.cb, &mapped.cr})
    for (uint8_t v : *chroma) ASSERT_EQ(v, 77);
  // A picture of another size is not filled.
  Planes small({32, 24}, 5);
  EXPECT_EQ(movie.FrameYuv420Into(t, small.view, nullptr, nullptr), -1);
  EXPECT_EQ(small.y[0], 5);
  Movie png;
  ASSERT_EQ(png.Open(Clip("index.mov")), 0);
  EXPECT_EQ(png.FrameYuv420Into(0, plain.view, nullptr, nullptr), -1);
}

TEST(Movie, DescriptionsOfPicturesAndSound) {
  Movie movie;
  ASSERT_EQ(movie.Open(Clip("index.mov")), 0);
  VideoDescription v;
  ASSERT_TRUE(movie.DescribeVideo(&v));
  EXPECT_EQ(v.type, 0x706E6720u);  // 'png '
  EXPECT_EQ(v.size, (Size{64, 48}));
  EXPECT_EQ(v.frameCount, 30);
  EXPECT_DOUBLE_EQ(v.durationMs, 3000);
  EXPECT_DOUBLE_EQ(v.frameRate, 10);
  EXPECT_GT(v.dataSize, 0u);
  EXPECT_DOUBLE_EQ(v.dataRate, double(v.dataSize) * 8 * 1000 / 3000);
  EXPECT_FALSE(v.mpeg);
  SoundDescription s;
  ASSERT_TRUE(movie.DescribeSound(&s));
  EXPECT_EQ(s.format, 0x736F7774u);  // 'sowt'
  EXPECT_EQ(s.channels, 2);
  EXPECT_EQ(s.bits, 16);
  EXPECT_EQ(s.sampleRate, 44100u);
  EXPECT_EQ(s.dataSize, 3u * 44100 * 4);
  EXPECT_NEAR(s.durationMs, 3000, 1);
  EXPECT_EQ(s.name, "PCM");

  Movie wide;
  ASSERT_EQ(wide.Open(Clip("wide.mov")), 0);
  EXPECT_EQ(wide.FrameSize(), (Size{64, 48}));
  EXPECT_EQ(wide.NaturalSize(), (Size{128, 48})) << "square pixels as shown";
  EXPECT_FALSE(wide.HasSound());
  EXPECT_FALSE(wide.DescribeSound(&s));
}

TEST(Movie, SoundFromAPositionInItsRealByteOrder) {
  for (const char* name : {"index.mov", "bigendian.mov"}) {
    SCOPED_TRACE(name);
    Movie movie;
    ASSERT_EQ(movie.Open(Clip(name)), 0);
    EXPECT_EQ(movie.SoundRate(), 44100u);
    EXPECT_EQ(movie.SoundChannels(), 2);
    ASSERT_EQ(movie.SeekSound(600), 0);  // 1 s: the tone's phase is 0 again
    std::vector<uint8_t> bytes;
    ASSERT_EQ(movie.ReadSound(4410, bytes), 4410);
    std::vector<int16_t> s = Samples(bytes);
    // sine(2 pi 1000 n / 44100) at 1/8 of full scale, spread over both
    // channels at -3 dB.
    for (int n : {0, 1, 11, 22, 100, 4409}) {
      double expected = 32767.0 / 8 * M_SQRT1_2 * std::sin(2 * M_PI * 1000.0 * n / 44100.0);
      EXPECT_NEAR(s[size_t(n) * 2], expected, 40) << n;
      EXPECT_EQ(s[size_t(n) * 2], s[size_t(n) * 2 + 1]);
    }
    // To the end: two seconds are left.
    size_t total = 4410;
    for (int got; (got = movie.ReadSound(44100, bytes)) > 0;) total += size_t(got);
    EXPECT_EQ(total, 2u * 44100);
    EXPECT_EQ(movie.ReadSound(100, bytes), 0);
  }
}

TEST(Movie, SoundOnlyAndUnreadableFiles) {
  Movie movie;
  ASSERT_EQ(movie.Open(Clip("tone.m4a")), 0);
  EXPECT_FALSE(movie.HasVideo());
  EXPECT_TRUE(movie.HasSound());
  EXPECT_EQ(movie.NaturalSize(), (Size{0, 0}));
  EXPECT_NEAR(double(movie.Duration()), 1800, 2);
  Frame f;
  EXPECT_EQ(movie.FrameAt(0, f), -1);
  std::vector<uint8_t> bytes;
  EXPECT_EQ(movie.ReadSound(1000, bytes), 1000);

  EXPECT_EQ(movie.Open(Clip("notamovie.mov")), -1);
  EXPECT_FALSE(movie.IsOpen());
  EXPECT_EQ(movie.Open(Clip("missing.mov")), -1);
  EXPECT_EQ(movie.FrameAt(0, f), -1);
  EXPECT_EQ(movie.SeekSound(0), -1);
  EXPECT_EQ(movie.Open(CLIPS_DIR), -1);
}

// Only regular files are read, and only through the file protocol: names
// that FFmpeg would take for another protocol, folders and pipes are refused.
TEST(Movie, OnlyRegularFilesAreOpened) {
  Movie movie;
  ASSERT_EQ(movie.Open(Clip("tone.m4a")), 0);
  const std::string clip = Clip("tone.m4a");
  const std::string fifo = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/movie-fifo";
  ::unlink(fifo.c_str());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::vector<std::string> names = {"concat:" + clip + "|" + clip, "file:" + clip,
                                         "subfile,,start,0,end,0,,:" + clip, "http://127.0.0.1:9/a.mov",
                                         std::string(CLIPS_DIR), fifo};
  for (const std::string& name : names) {
    EXPECT_EQ(movie.Open(name), -1) << name;
    EXPECT_FALSE(movie.IsOpen()) << name;
  }
  ::unlink(fifo.c_str());
}

}  // namespace
