#include "media/MovieWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "MediaTools.h"
#include "media/Movie.h"
#include "TestEnvironment.h"

namespace {

using namespace media;
namespace fs = std::filesystem;

// A textured picture that moves with the frame number.
std::vector<uint8_t> Picture(Size size, int index) {
  std::vector<uint8_t> argb(size_t(size.width) * size.height * 4);
  for (int y = 0; y < size.height; ++y)
    for (int x = 0; x < size.width; ++x) {
      uint8_t* p = &argb[(size_t(y) * size.width + x) * 4];
      p[0] = 255;
      p[1] = uint8_t((x * 7 + y * 13 + index * 8) & 255);
      p[2] = uint8_t((x * y + index) & 255);
      p[3] = uint8_t((x ^ y) * 3);
    }
  return argb;
}

// `seconds` of a 1 kHz tone, 16-bit interleaved.
std::vector<uint8_t> Tone(const SoundFormat& format, double seconds) {
  size_t frames = size_t(std::llround(seconds * format.sampleRate));
  std::vector<int16_t> samples(frames * format.channels);
  for (size_t i = 0; i < frames; ++i)
    for (int c = 0; c < format.channels; ++c)
      samples[i * format.channels + size_t(c)] =
          int16_t(10000 * std::sin(2 * M_PI * 1000.0 * double(i) / format.sampleRate));
  std::vector<uint8_t> bytes(samples.size() * 2);
  std::memcpy(bytes.data(), samples.data(), bytes.size());
  return bytes;
}

struct Written {
  fs::path path;
  int open = 0;
  int finish = 0;
};

// Writes `seconds` of frames and tone, the two from separate threads.
Written Write(MovieWriterSettings settings, double seconds, const std::string& name) {
  Written w;
  w.path = testenv::MakeTempDir("movie") / name;
  settings.path = w.path.string();
  MovieWriter writer;
  w.open = writer.Open(settings);
  if (w.open != 0) return w;
  int frames = int(std::llround(seconds * settings.fps));
  std::thread video([&] {
    for (int i = 0; i < frames; ++i) {
      std::vector<uint8_t> p = Picture(settings.size, i);
      EXPECT_EQ(writer.WriteVideo(p.data(), settings.size.width, settings.size.height,
                                  settings.size.width * 4), 0);
    }
  });
  if (settings.sound) {
    std::vector<uint8_t> tone = Tone(settings.soundInput, seconds);
    // Odd pieces: samples split across calls must join up again.
    for (size_t at = 0; at < tone.size();) {
      size_t take = std::min<size_t>(tone.size() - at, 7777);
      EXPECT_EQ(writer.WriteSound(tone.data() + at, take), 0);
      at += take;
    }
  }
  video.join();
  w.finish = writer.Finish();
  return w;
}

MovieWriterSettings Settings(double fps, uint32_t videoType, bool sound) {
  MovieWriterSettings s;
  s.size = {176, 144};
  s.fps = fps;
  s.videoType = videoType;
  s.quality = 70;
  s.sound = sound;
  s.soundInput = {44100, 2, 16};
  return s;
}

double Seconds(const std::string& text) { return text.empty() ? -1 : std::stod(text); }

struct RateCase {
  double fps;
  uint32_t type;
  const char* tag;
  long long firstDuration;
};

class MovieWriterRates : public ::testing::TestWithParam<RateCase> {};

TEST_P(MovieWriterRates, TimeScale600AndWholeFrameTimes) {
  const RateCase& c = GetParam();
  Written w = Write(Settings(c.fps, c.type, true), 2.0, "rate.mov");
  ASSERT_EQ(w.open, 0);
  ASSERT_EQ(w.finish, 0);
  mediatools::ProbeResult probe(w.path);
  EXPECT_EQ(probe.Get("format.tags.major_brand"), "qt  ");
  EXPECT_EQ(probe.Stream("video", "codec_tag_string"), c.tag);
  EXPECT_EQ(probe.Stream("video", "time_base"), "1/600");
  EXPECT_EQ(probe.Stream("audio", "codec_tag_string"), "sowt");
  EXPECT_EQ(probe.Stream("audio", "sample_rate"), "44100");
  int frames = int(std::llround(2.0 * c.fps));
  EXPECT_EQ(probe.Stream("video", "nb_frames"), std::to_string(frames));
  // Sound and pictures last equally long, within one frame.
  EXPECT_NEAR(Seconds(probe.Stream("video", "duration")), Seconds(probe.Stream("audio", "duration")),
              1.0 / c.fps);
  // Frame n starts at round(n * 600 / fps): no drift at 29.97 either.
  std::vector<long long> durations = probe.Packets("video", "duration");
  ASSERT_EQ(durations.size(), size_t(frames));
  EXPECT_EQ(durations.front(), c.firstDuration);
  long long total = 0;
  for (long long d : durations) total += d;
  EXPECT_EQ(total, std::llround(frames * 600.0 / c.fps));
  EXPECT_EQ(mediatools::DecodeErrors(w.path), "");
}

INSTANTIATE_TEST_SUITE_P(Rates, MovieWriterRates,
                         ::testing::Values(RateCase{5, FourCC('m', 'p', '4', 'v'), "mp4v", 120},
                                           RateCase{10, FourCC('m', 'j', 'p', 'a'), "mjpa", 60},
                                           RateCase{15, FourCC('m', 'p', '4', 'v'), "mp4v", 40},
                                           RateCase{29.97, FourCC('j', 'p', 'e', 'g'), "jpeg", 20}));

struct VideoTypeCase {
  uint32_t type;
  Size size;
  const char* tag;  // what the file holds after fall-backs
};

class MovieWriterVideoTypes : public ::testing::TestWithParam<VideoTypeCase> {};

TEST_P(MovieWriterVideoTypes, WritesADecodableMovie) {
  const VideoTypeCase& c = GetParam();
  MovieWriterSettings s = Settings(10, c.type, false);
  s.size = c.size;
  Written w = Write(s, 0.5, "codec.mov");
  ASSERT_EQ(w.open, 0);
  ASSERT_EQ(w.finish, 0);
  EXPECT_EQ(mediatools::ProbeResult(w.path).Stream("video", "codec_tag_string"), c.tag);
  EXPECT_EQ(mediatools::DecodeErrors(w.path), "");
}

INSTANTIATE_TEST_SUITE_P(
    Types, MovieWriterVideoTypes,
    ::testing::Values(VideoTypeCase{FourCC('r', 'a', 'w', ' '), {64, 48}, "raw "},
                      VideoTypeCase{FourCC('s', 'm', 'c', ' '), {64, 48}, "smc "},
                      VideoTypeCase{FourCC('r', 'l', 'e', ' '), {64, 48}, "rle "},
                      VideoTypeCase{FourCC('r', 'p', 'z', 'a'), {64, 48}, "rpza"},
                      VideoTypeCase{FourCC('t', 'g', 'a', ' '), {64, 48}, "tga "},
                      VideoTypeCase{FourCC('p', 'n', 'g', ' '), {64, 48}, "png "},
                      VideoTypeCase{FourCC('t', 'i', 'f', 'f'), {64, 48}, "tiff"},
                      VideoTypeCase{FourCC('a', 'v', 'c', '1'), {64, 48}, "avc1"},
                      VideoTypeCase{FourCC('h', '2', '6', '3'), {176, 144}, "h263"},
                      VideoTypeCase{FourCC('h', '2', '6', '3'), {64, 48}, "jpeg"},  // not an H.263 size
                      VideoTypeCase{FourCC('m', 'j', 'p', 'b'), {64, 48}, "jpeg"},  // no encoder
                      VideoTypeCase{FourCC('W', 'R', 'L', 'E'), {64, 48}, "jpeg"}));

struct SoundTypeCase {
  uint32_t type;
  uint32_t rate;
  uint16_t bits;
  const char* tag;
};

class MovieWriterSoundTypes : public ::testing::TestWithParam<SoundTypeCase> {};

TEST_P(MovieWriterSoundTypes, TypeAndRateAreKept) {
  const SoundTypeCase& c = GetParam();
  MovieWriterSettings s = Settings(10, FourCC('m', 'p', '4', 'v'), true);
  s.soundType = c.type;
  s.soundInput = {c.rate, 2, c.bits};
  fs::path path;
  if (c.bits == 16) {
    Written w = Write(s, 1.0, "sound.mov");
    ASSERT_EQ(w.open, 0);
    ASSERT_EQ(w.finish, 0);
    path = w.path;
  } else {
    path = testenv::MakeTempDir("u8") / "u8.mov";
    s.path = path.string();
    MovieWriter writer;
    ASSERT_EQ(writer.Open(s), 0);
    std::vector<uint8_t> pcm(c.rate * 2, 128);
    std::vector<uint8_t> p = Picture(s.size, 0);
    for (int i = 0; i < 10; ++i) ASSERT_EQ(writer.WriteVideo(p.data(), 176, 144, 176 * 4), 0);
    ASSERT_EQ(writer.WriteSound(pcm.data(), pcm.size()), 0);
    ASSERT_EQ(writer.Finish(), 0);
  }
  mediatools::ProbeResult probe(path);
  EXPECT_EQ(probe.Stream("audio", "codec_tag_string"), c.tag);
  EXPECT_EQ(probe.Stream("audio", "sample_rate"), std::to_string(c.rate));
  EXPECT_EQ(probe.Stream("audio", "channels"), "2");
  EXPECT_NEAR(Seconds(probe.Stream("audio", "duration")), 1.0, 0.1);
  EXPECT_EQ(mediatools::DecodeErrors(path), "");
}

INSTANTIATE_TEST_SUITE_P(
    Types, MovieWriterSoundTypes,
    ::testing::Values(
        // Rates above 65535 Hz need the newer sound description.
        SoundTypeCase{FourCC('t', 'w', 'o', 's'), 96000, 16, "lpcm"},
        SoundTypeCase{FourCC('N', 'O', 'N', 'E'), 88200, 16, "lpcm"},
        SoundTypeCase{FourCC('N', 'O', 'N', 'E'), 32000, 16, "twos"},
        SoundTypeCase{FourCC('N', 'O', 'N', 'E'), 22050, 8, "raw "},
        SoundTypeCase{FourCC('i', 'n', '2', '4'), 48000, 16, "in24"},
        SoundTypeCase{FourCC('f', 'l', '3', '2'), 44100, 16, "fl32"},
        SoundTypeCase{FourCC('i', 'm', 'a', '4'), 44100, 16, "ima4"},
        SoundTypeCase{FourCC('u', 'l', 'a', 'w'), 8000, 16, "ulaw"},
        SoundTypeCase{FourCC('m', 'p', '4', 'a'), 48000, 16, "mp4a"},
        SoundTypeCase{FourCC('M', 'A', 'C', '3'), 44100, 16, "sowt"}));  // cannot be written

TEST(MovieWriter, NoSoundMeansNoSoundTrack) {
  MovieWriterSettings s = Settings(15, FourCC('m', 'p', '4', 'v'), true);
  fs::path path = testenv::MakeTempDir("silent") / "silent.mov";
  s.path = path.string();
  MovieWriter writer;
  ASSERT_EQ(writer.Open(s), 0);
  EXPECT_TRUE(writer.HasSound());
  std::vector<uint8_t> p = Picture(s.size, 0);
  for (int i = 0; i < 15; ++i) ASSERT_EQ(writer.WriteVideo(p.data(), 176, 144, 176 * 4), 0);
  EXPECT_EQ(writer.VideoTimeMs(), 1000);
  ASSERT_EQ(writer.Finish(), 0);
  mediatools::ProbeResult probe(path);
  EXPECT_EQ(probe.StreamCount(), 1);
  EXPECT_EQ(probe.StreamOf("video"), 0);
}

TEST(MovieWriter, QualityRaisesTheSize) {
  uintmax_t last = 0;
  for (int quality : {0, 50, 100}) {
    MovieWriterSettings s = Settings(10, FourCC('m', 'p', '4', 'v'), false);
    s.quality = quality;
    s.size = {320, 240};
    Written w = Write(s, 1.0, "q.mov");
    ASSERT_EQ(w.finish, 0);
    // A picture with detail, so the quantiser matters.
    uintmax_t size = fs::file_size(w.path);
    EXPECT_GT(size, last) << quality;
    last = size;
  }
}

// Flat 4:2:0 pictures of R, G, B = 200, 100, 50 (video range: Y 123, Cb 91,
// Cr 175) come out as that colour whatever form the encoder takes.
TEST(MovieWriter, TakesPlanarPictures) {
  struct Case {
    uint32_t type;
    Size picture;
    const char* how;
  } cases[] = {
      {FourCC('m', 'p', '4', 'v'), {176, 144}, "as they are"},
      {FourCC('m', 'p', '4', 'v'), {88, 72}, "scaled"},
      {FourCC('j', 'p', 'e', 'g'), {176, 144}, "to full range"},
      {FourCC('p', 'n', 'g', ' '), {176, 144}, "to R, G, B"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    MovieWriterSettings s = Settings(10, c.type, false);
    fs::path path = testenv::MakeTempDir("planar") / "planar.mov";
    s.path = path.string();
    MovieWriter writer;
    ASSERT_EQ(writer.Open(s), 0);
    const int32_t cw = (c.picture.width + 1) / 2, ch = (c.picture.height + 1) / 2;
    std::vector<uint8_t> y(size_t(c.picture.width) * size_t(c.picture.height), 123);
    std::vector<uint8_t> cb(size_t(cw) * size_t(ch), 91), cr(size_t(cw) * size_t(ch), 175);
    Yuv420View view;
    view.planes[0] = y.data(), view.planes[1] = cb.data(), view.planes[2] = cr.data();
    view.rowBytes[0] = c.picture.width, view.rowBytes[1] = view.rowBytes[2] = cw;
    view.size = c.picture;
    for (int i = 0; i < 5; ++i) ASSERT_EQ(writer.WriteVideoYuv420(view), 0);
    Yuv420View missing = view;
    missing.planes[2] = nullptr;
    EXPECT_EQ(writer.WriteVideoYuv420(missing), -1);
    ASSERT_EQ(writer.Finish(), 0);
    EXPECT_EQ(mediatools::DecodeErrors(path), "");
    Movie m;
    ASSERT_EQ(m.Open(path.string()), 0);
    Frame f;
    ASSERT_EQ(m.FrameAt(200, f), 0);
    const uint8_t* p = f.Row(72) + 88 * 4;
    EXPECT_NEAR(p[1], 200, 6);
    EXPECT_NEAR(p[2], 100, 6);
    EXPECT_NEAR(p[3], 50, 6);
  }
}

TEST(MovieWriter, FailuresAreReported) {
  MovieWriterSettings s = Settings(10, FourCC('m', 'p', '4', 'v'), true);
  fs::path dir = testenv::MakeTempDir("fail");
  s.path = (dir / "missing" / "a.mov").string();
  MovieWriter writer;
  EXPECT_EQ(writer.Open(s), -1);
  EXPECT_FALSE(writer.LastError().empty());
  EXPECT_EQ(writer.WriteVideo(nullptr, 1, 1, 4), -1);
  EXPECT_EQ(writer.Finish(), -1);
  EXPECT_FALSE(fs::exists(s.path));

  // A track that cannot be made is left out; the movie goes on without it.
  MovieWriterSettings noVideo = Settings(10, FourCC('m', 'p', '4', 'v'), true);
  noVideo.size = {0, 0};
  noVideo.path = (dir / "sound-only.mov").string();
  MovieWriter soundOnly;
  ASSERT_EQ(soundOnly.Open(noVideo), 0);
  EXPECT_TRUE(soundOnly.VideoTrackFailed());
  std::vector<uint8_t> tone = Tone(noVideo.soundInput, 0.5);
  EXPECT_EQ(soundOnly.WriteSound(tone.data(), tone.size()), 0);
  EXPECT_EQ(soundOnly.SoundTimeMs(), 500);
  EXPECT_EQ(soundOnly.Finish(), 0);
  EXPECT_EQ(mediatools::StreamCount(noVideo.path), 1);
}

}  // namespace
