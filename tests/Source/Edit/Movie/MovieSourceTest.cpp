// The movie source: the frame shown at a time, the effect, the trim bounds
// and their snapping to frames, and the frames and sound a save pulls.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cmath>
#include <string>
#include <thread>

#include "MovieSource.h"
#include "VideoEdit.h"
#include "VideoSave.h"
#include "img/Operations.h"
#include "os/Offscreen.h"
#include "qel/QelWideText.h"

namespace {

const std::u16string kIndex = QelFromUTF8(CLIPS_DIR "/index.mov");

CSource* OpenSource(const std::u16string& path) {
  auto* s = new CSource();
  s->AddRef();
  s->SetFilePath(path.c_str());
  EXPECT_EQ(s->Open(), 1);
  return s;
}

int Grey(GWorldPtr w, int x = 8, int y = 8) { return w->pixels[size_t(y) * size_t(w->rowBytes) + size_t(x) * 4 + 2]; }

TEST(MovieSource, ShowsTheFrameOfEachTime) {
  CSource* s = OpenSource(kIndex);
  EXPECT_EQ(s->GetMovTS(), 600);
  EXPECT_EQ(s->GetDuration(), 1800);
  // 10 frames a second: frame n covers [60 n, 60 n + 60).
  struct Case {
    int32_t t, frame;
  } cases[] = {{0, 0}, {59, 0}, {60, 1}, {659, 10}, {660, 11}, {1790, 29}, {120, 2}};
  for (const Case& c : cases) {
    s->SetPlayTime(c.t);
    ASSERT_NE(s->GetDisplayBuffer(), nullptr);
    EXPECT_NEAR(Grey(s->GetDisplayBuffer()), c.frame * 8, 1) << "t " << c.t;
  }
  s->SetPlayTime(600);
  s->SetEffect(60, 0);
  EXPECT_GT(Grey(s->GetDisplayBuffer()), 80 + 20);
  s->SetEffect(0, 0);
  EXPECT_NEAR(Grey(s->GetDisplayBuffer()), 80, 1);
  s->Close();
  s->Release();
}

TEST(MovieSource, PlaysOnTheSoundClockPausesAndGoesOnFromThere) {
  CSource* s = OpenSource(kIndex);
  s->SetPreviewRect(Rect{0, 0, 48, 64});
  auto playFor = [&](int ms) {
    for (int i = 0; i < ms / 10; ++i) {
      s->PlayEvent();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    s->PlayEvent();
  };
  s->DoCommand(CSource::kPlay);
  EXPECT_EQ(s->IsPlaying(), 1);
  playFor(500);
  s->DoCommand(CSource::kPause);
  const int32_t at = s->GetPosition();
  EXPECT_GT(at, 0);
  // The frame shown is the one of the clock's time (at most one frame behind).
  const int shown = (Grey(s->GetDisplayBuffer()) + 4) / 8;
  EXPECT_LE(shown, at / 60);
  EXPECT_GE(shown, at / 60 - 1);
  // Paused, nothing moves; played again, it goes on from there.
  playFor(0);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(s->GetPosition(), at);
  s->DoCommand(CSource::kPlay);
  playFor(200);
  s->DoCommand(CSource::kPause);
  EXPECT_GE(s->GetPosition(), at);
  s->Close();
  s->Release();
}

TEST(MovieSource, TrimKeepsHalfASecondInsideTheMovie) {
  CSource* s = OpenSource(kIndex);
  struct Case {
    int32_t start, end, wantStart, wantEnd;
  } cases[] = {
      {0, 100, 0, 300},       // the end moves half a second past the start
      {0, 1000, 0, 1000},
      {900, 1000, 700, 1000},  // the start stays half a second before the end
      {-50, 1000, 0, 1000},
      {0, 5000, 0, 1800},     // not past the movie
      {1700, 1800, 1500, 1800},
  };
  for (const Case& c : cases) {
    s->SetBound(c.start, c.end);
    int32_t start = -1, end = -1;
    EXPECT_EQ(s->GetBound(&start, &end), 1);
    EXPECT_EQ(start, c.wantStart) << c.start << ".." << c.end;
    EXPECT_EQ(end, c.wantEnd) << c.start << ".." << c.end;
  }
  EXPECT_EQ(s->GetBound(nullptr, nullptr), 0);
  s->SetBound(0, 1800);
  int32_t ms = 0;
  s->GetDuration(&ms);
  EXPECT_EQ(ms, 3000);
  // The play-head stays inside the bounds.
  s->SetBound(600, 1200);
  EXPECT_EQ(s->SetPosition(100), 600);
  EXPECT_EQ(s->SetPosition(1500), 1199);
  s->Close();
  s->Release();
}

TEST(MovieSource, SnapsTrimBoundsToFrames) {
  // 30 frames a second at 600 units: a frame every 20 units.
  struct Case {
    int32_t value, start, end;
  } cases[] = {{45, 40, 60}, {40, 40, 40}, {0, 0, 0}, {19, 0, 20}, {61, 60, 80}};
  for (const Case& c : cases) {
    EXPECT_EQ(SnapTrimStart(c.value, 20), c.start) << c.value;
    EXPECT_EQ(SnapTrimEnd(c.value, 20, 1000), c.end) << c.value;
  }
  EXPECT_EQ(SnapTrimEnd(1000, 20, 1000), 1000);
  EXPECT_EQ(SnapTrimEnd(990, 20, 995), 995);
}

TEST(MovieSource, SaveDeliversTheTrimmedFramesAndSound) {
  CSource* s = OpenSource(kIndex);
  s->SetBound(600, 1200);
  ASSERT_EQ(s->PrepareSave(), 1);
  EXPECT_EQ(s->CalcFrame(), 10);
  int delivered = 0;
  for (int32_t ms = 0;; ms += 100) {
    GWorldPtr w = s->GetVideoData(ms, nullptr, nullptr);
    if (!w) break;
    EXPECT_NEAR(Grey(w), (10 + delivered) * 8, 1);
    s->ResetVideoData(w);
    ++delivered;
  }
  EXPECT_EQ(delivered, 10);
  // A copy call before any size call has nothing to hand over.
  unsigned char byte = 0;
  EXPECT_EQ(s->GetAudioData(nullptr, 0, 0, nullptr, &byte), ORV_E_FAIL);
  uint32_t total = 0;
  for (;;) {
    uint32_t size = 0;
    ORVRESULT r = s->GetAudioData(nullptr, 0, 0, &size, nullptr);
    if (r == CSource::kNoMoreData) break;
    ASSERT_EQ(r, 0);
    std::vector<unsigned char> chunk(size);
    ASSERT_EQ(s->GetAudioData(nullptr, 0, 0, &size, chunk.data()), 0);
    total += size;
  }
  EXPECT_EQ(total, 44100u * 2 * 2);  // one second, two channels of 16 bits
  EXPECT_EQ(s->GetAudioData(nullptr, 0, 0, nullptr, nullptr), CSource::kNoMoreData);
  s->Close();
  s->Release();
}

GWorldPtr SaveFrame(CSource* s, int n, int fps) {
  // The times the writer asks: frame n in whole milliseconds.
  return s->GetVideoData(int32_t(std::llround(n * 600.0 / fps) * 1000 / 600), nullptr, nullptr);
}

TEST(MovieSource, SaveFramesComeAs420WhereTheMovieDecodesSo) {
  struct Case {
    const char* clip;
    bool planar;
    int32_t depth;
  } cases[] = {
      {"silent.mov", true, plat::kOffscreenYUV420},
      {"silent.mov", false, plat::kOffscreenARGB32},  // not asked for
      {"index.mov", true, plat::kOffscreenARGB32},    // PNG pictures are R, G, B
  };
  for (const Case& c : cases) {
    CSource* s = OpenSource(QelFromUTF8(std::string(CLIPS_DIR "/") + c.clip));
    s->SetEffect(30, 20);
    ASSERT_EQ(s->PrepareSave(c.planar), 1);
    GWorldPtr w = s->GetVideoData(0, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->depth, c.depth) << c.clip << " " << c.planar;
    EXPECT_EQ(w->width, 64);
    s->ResetVideoData(w);
    s->Close();
    s->Release();
  }
  // Made on the planes, the adjustment gives the level table's grey for the
  // frame's own grey (n × 8), in video range, and greys stay grey.
  const std::u16string silent = QelFromUTF8(CLIPS_DIR "/silent.mov");
  struct Effect {
    int32_t brightness, contrast;
  } effects[] = {{30, 20}, {-20, -40}, {0, 0}, {60, 0}, {0, 100}};
  for (const Effect& e : effects) {
    SCOPED_TRACE(std::to_string(e.brightness) + " " + std::to_string(e.contrast));
    const std::array<uint8_t, 256> table = img::BrightnessContrastTable(e.brightness, e.contrast);
    // A level off in the movie's own rounding moves by the table's slope.
    const double slack = 1 + 255.0 / (255 - 2 * e.contrast);
    CSource* s = OpenSource(silent);
    s->SetEffect(e.brightness, e.contrast);
    ASSERT_EQ(s->PrepareSave(true), 1);
    for (int n = 0; n < 20; ++n) {
      GWorldPtr w = SaveFrame(s, n, 30);
      ASSERT_NE(w, nullptr);
      ASSERT_EQ(w->depth, plat::kOffscreenYUV420);
      int32_t yRow = 0, cRow = 0;
      const uint8_t* y = plat::OffscreenPlane(w, 0, &yRow);
      const uint8_t* cb = plat::OffscreenPlane(w, 1, &cRow);
      const uint8_t* cr = plat::OffscreenPlane(w, 2, &cRow);
      EXPECT_NEAR(y[8 * yRow + 8], 16 + table[size_t(n * 8)] * 219.0 / 255.0, slack) << "frame " << n;
      EXPECT_NEAR(cb[4 * cRow + 4], 128, 2);
      EXPECT_NEAR(cr[4 * cRow + 4], 128, 2);
      s->ResetVideoData(w);
    }
    s->Close();
    s->Release();
  }
}

TEST(MovieSource, SaveSettingsFollowTheMovie) {
  struct Case {
    const char* clip;
    double frameRate;
    uint16_t channels;
  } cases[] = {
      {"index.mov", 10.0, 2},
      {"bigendian.mov", 10.0, 1},
      {"silent.mov", 30.0, 2},  // no sound: two channels of 16 bits at 44100 Hz
  };
  for (const Case& c : cases) {
    CSource* s = OpenSource(QelFromUTF8(std::string(CLIPS_DIR "/") + c.clip));
    tagORVParameters p;
    ASSERT_TRUE(FillSaveParameters(s, u"/tmp/x.mov", &p));
    EXPECT_EQ(p.width, 64u) << c.clip;
    EXPECT_EQ(p.height, 48u);
    EXPECT_DOUBLE_EQ(p.frameRate, c.frameRate);
    EXPECT_EQ(p.quality, 100u);
    EXPECT_EQ(p.soundFormat.wFormatTag, 1);
    EXPECT_EQ(p.soundFormat.nChannels, c.channels);
    EXPECT_EQ(p.soundFormat.nSamplesPerSec, 44100u);
    EXPECT_EQ(p.soundFormat.wBitsPerSample, 16);
    EXPECT_EQ(p.soundFormat.nBlockAlign, c.channels * 2);
    EXPECT_EQ(p.soundFormat.nAvgBytesPerSec, 44100u * c.channels * 2);
    s->Close();
    s->Release();
  }
}

TEST(VideoEdit, ReducesTheMovieSizeToItsShape) {
  struct Case {
    int32_t w, h, rw, rh;
  } cases[] = {{640, 480, 4, 3}, {1280, 720, 16, 9}, {352, 288, 11, 9}, {0, 480, 0, 480}};
  for (const Case& c : cases) {
    int32_t w = c.w, h = c.h;
    CVideoEdit::YueFen(w, h);
    EXPECT_EQ(w, c.rw) << c.w << "x" << c.h;
    EXPECT_EQ(h, c.rh) << c.w << "x" << c.h;
  }
}

}  // namespace
