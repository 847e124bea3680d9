// Saving an edited movie: the kept part with its sound, judged by ffprobe
// and FFmpeg's decoder; cancelled saves leave the file as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "MediaTools.h"
#include "MovieSource.h"
#include "VideoSave.h"
#include "media/Movie.h"
#include "os/Offscreen.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;

namespace {

// Stream type → duration in seconds, as ffprobe reads them.
std::map<std::string, double> StreamDurations(const fs::path& file) {
  std::istringstream lines(mediatools::Run(std::string(FFPROBE) + " -v error -show_entries stream=codec_type,duration -of csv=p=0 '" +
                               file.string() + "'"));
  std::map<std::string, double> out;
  std::string line;
  while (std::getline(lines, line)) {
    auto comma = line.find(',');
    if (comma != std::string::npos) out[line.substr(0, comma)] = std::atof(line.c_str() + comma + 1);
  }
  return out;
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class MovieSave : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) / ("movie-save-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path Copy(const char* clip) {
    fs::path to = dir_ / clip;
    fs::copy_file(fs::path(CLIPS_DIR) / clip, to);
    return to;
  }
  CSource* Open(const fs::path& file, int32_t start, int32_t end, int32_t brightness = 0, int32_t contrast = 0) {
    auto* s = new CSource();
    s->AddRef();
    s->SetFilePath(QelFromUTF8(file.string()).c_str());
    EXPECT_EQ(s->Open(), 1);
    s->SetBound(start, end);
    AdjustBothCrop(s);
    s->SetEffect(brightness, contrast);
    return s;
  }
  MovieSaveResult Save(CSource* s, const fs::path& target, std::function<bool(int32_t)> poll = {}) {
    MovieSaveResult r = SaveMovie(s, QelFromUTF8(target.string()), poll);
    s->Close();
    s->Release();
    return r;
  }
  size_t FilesInFolder() const { return size_t(std::distance(fs::directory_iterator(dir_), {})); }

  fs::path dir_;
};

TEST_F(MovieSave, KeepsTheTrimmedPartWithItsSound) {
  struct Case {
    const char* clip;
    int32_t start, end;
    double seconds;
    int firstFrame;
    bool sound;
  } cases[] = {
      {"index.mov", 600, 1200, 1.0, 10, true},       // little-endian stereo
      {"bigendian.mov", 300, 1500, 2.0, 5, true},    // big-endian mono
      {"index.mov", 0, 1800, 3.0, 0, true},          // untrimmed
      {"silent.mov", 200, 1000, 800.0 / 600, 10, false},  // no sound track
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.clip) + " " + std::to_string(c.start));
    fs::path file = Copy(c.clip);
    fs::path saved = dir_ / "saved.mov";
    ASSERT_EQ(Save(Open(file, c.start, c.end), saved), kSaveDone);
    auto d = StreamDurations(saved);
    const double frame = c.sound ? 0.1 : 1.0 / 30;
    EXPECT_NEAR(d["video"], c.seconds, frame + 1e-3);
    if (c.sound) {
      ASSERT_TRUE(d.count("audio"));
      EXPECT_NEAR(d["audio"], d["video"], frame + 1e-3);
    } else {
      EXPECT_FALSE(d.count("audio"));
    }
    EXPECT_EQ(mediatools::Run(std::string(FFMPEG) + " -nostdin -v error -i '" + saved.string() + "' -f null - 2>&1"), "");
    // The kept frames, in order from the trim start.
    media::Movie m;
    ASSERT_EQ(m.Open(saved.string()), 0);
    media::Frame f;
    const int fps = c.sound ? 10 : 30;
    for (int n : {0, 1, 5}) {
      ASSERT_EQ(m.FrameAt(std::lround(n * 600.0 / fps), f), 0);
      // Lossy re-encoding moves a grey level by a few; the next frame is 8 away.
      EXPECT_NEAR(f.Row(8)[8 * 4 + 2], (c.firstFrame + n) * 8, 4) << "frame " << n;
    }
    if (c.sound) {
      // Decoded and converted, never byte-swapped: the samples are the ones
      // of the original at the trim start.
      media::Movie original;
      ASSERT_EQ(original.Open(file.string()), 0);
      std::vector<uint8_t> want, got;
      ASSERT_EQ(original.SeekSound(c.start), 0);
      original.ReadSound(2000, want);
      m.SeekSound(0);
      m.ReadSound(2000, got);
      ASSERT_EQ(want.size(), got.size());
      EXPECT_TRUE(want == got);
    }
    fs::remove(saved);
    fs::remove(file);
  }
  EXPECT_EQ(FilesInFolder(), 0u);  // no temporary file left behind
}

TEST_F(MovieSave, OverTheFileReplacesItWhole) {
  fs::path file = Copy("index.mov");
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_EQ(Save(Open(file, 600, 1200, 40), file), kSaveDone);
  EXPECT_NEAR(StreamDurations(file)["video"], 1.0, 0.101);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  // Brighter than frame 10's grey.
  media::Movie m;
  ASSERT_EQ(m.Open(file.string()), 0);
  media::Frame f;
  ASSERT_EQ(m.FrameAt(0, f), 0);
  EXPECT_GT(f.Row(8)[8 * 4 + 2], 80 + 10);
  EXPECT_EQ(FilesInFolder(), 1u);
}

// An MPEG-4 movie is adjusted on its 4:2:0 planes: its colours come out as
// the 32-bit path (the preview's) makes them, within what re-encoding moves,
// also where the adjustment clips one channel of a colour but not the others
// (near-white paper, saturated colours): the clipped channel takes no tint
// along into the others.
TEST_F(MovieSave, AdjustedColoursAreThoseOfThePreview) {
  struct Case {
    const char* clip;
    int32_t brightness, contrast;
  } cases[] = {{"colours.mov", 30, 20},  {"colours.mov", -20, -40}, {"colours.mov", 40, 0},
               {"colours.mov", 0, 40},   {"clipping.mov", 30, 0},   {"clipping.mov", 30, 20},
               {"clipping.mov", 0, 60},  {"clipping.mov", -40, 10}, {"clipping.mov", 60, -30}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.clip) + " " + std::to_string(c.brightness) + " " + std::to_string(c.contrast));
    fs::path file = dir_ / c.clip;
    if (!fs::exists(file)) file = Copy(c.clip);
    CSource* preview = Open(file, 0, 600, c.brightness, c.contrast);
    ASSERT_EQ(preview->PrepareSave(false), 1);
    GWorldPtr want = preview->GetVideoData(0, nullptr, nullptr);
    ASSERT_NE(want, nullptr);
    fs::path saved = dir_ / "saved.mov";
    ASSERT_EQ(Save(Open(file, 0, 600, c.brightness, c.contrast), saved), kSaveDone);
    media::Movie m;
    ASSERT_EQ(m.Open(saved.string()), 0);
    media::Frame f;
    ASSERT_EQ(m.FrameAt(0, f), 0);
    for (auto [x, y] : {std::pair{16, 12}, {48, 12}, {16, 36}, {48, 36}})
      for (int channel = 1; channel <= 3; ++channel)
        EXPECT_NEAR(f.Row(y)[x * 4 + channel], want->pixels[y * want->rowBytes + x * 4 + channel], 4)
            << x << "," << y << " channel " << channel;
    preview->ResetVideoData(want);
    preview->Close();
    preview->Release();
    fs::remove(saved);
  }
}

TEST_F(MovieSave, CancelledOrFailedLeavesTheOriginal) {
  fs::path file = Copy("long.mov");
  const std::string before = Bytes(file);
  // Cancelled at once, and after some progress (twenty seconds of pictures
  // take longer than two polls to encode).
  for (int cancelAt : {1, 3}) {
    int polls = 0;
    EXPECT_EQ(Save(Open(file, 0, 12000, 30), file, [&](int32_t) { return ++polls < cancelAt; }), kSaveCancelled);
    EXPECT_TRUE(Bytes(file) == before);
    EXPECT_EQ(FilesInFolder(), 1u);
  }
  // A folder that does not exist: nothing written anywhere.
  EXPECT_EQ(Save(Open(file, 0, 600), dir_ / "missing" / "x.mov"), kSaveFailed);
  EXPECT_TRUE(Bytes(file) == before);
  EXPECT_EQ(FilesInFolder(), 1u);
}

// A source that stops handing over frames part way, as one out of memory.
class ShortSource : public CSource {
 public:
  GWorldPtr GetVideoData(int32_t ms, int64_t* start, int64_t* end) override {
    return ++handed_ > 3 ? nullptr : CSource::GetVideoData(ms, start, end);
  }

 private:
  int handed_ = 0;
};

TEST_F(MovieSave, AShortMovieNeverReplacesTheFile) {
  fs::path file = Copy("index.mov");
  const std::string before = Bytes(file);
  auto* s = new ShortSource();
  s->AddRef();
  s->SetFilePath(QelFromUTF8(file.string()).c_str());
  ASSERT_EQ(s->Open(), 1);
  s->SetBound(0, 1200);
  AdjustBothCrop(s);
  EXPECT_EQ(Save(s, file), kSaveFailed);
  EXPECT_TRUE(Bytes(file) == before);
  EXPECT_EQ(FilesInFolder(), 1u);
}

}  // namespace
