#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "CORVExport.h"
#include "CQTSave.h"
#include "FakeSource.h"
#include "MediaTools.h"
#include "MovCodecTable.h"
#include "TestEnvironment.h"
#include "qel/QelWideText.h"

namespace {

namespace fs = std::filesystem;

void CopyText(WCHAR* out, const std::u16string& text) { qel_wcslcpy(out, text.c_str(), 1024); }

tagORVParameters Parameters(const fs::path& path, double fps, uint32_t quality = 70) {
  tagORVParameters p;
  p.width = 160;
  p.height = 120;
  CopyText(p.videoCompressor, u"MPEG4 Codec");
  CopyText(p.audioCompressor, u"16-bit little endian");
  p.frameRate = fps;
  p.quality = quality;
  p.soundFormat.wFormatTag = 1;
  p.soundFormat.nChannels = 2;
  p.soundFormat.nSamplesPerSec = 44100;
  p.soundFormat.wBitsPerSample = 16;
  p.soundFormat.nBlockAlign = 4;
  p.soundFormat.nAvgBytesPerSec = 176400;
  CopyText(p.outputPath, QelFromUTF8(path.string()));
  return p;
}

// Polls the exporter's state (the threads decide when it changes).
bool WaitFor(CORVExport* exporter, const std::function<bool(_SAVE_STATUS_, int32_t)>& done) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    _SAVE_STATUS_ status;
    int32_t percent;
    exporter->GetStatus(status, percent);
    if (done(status, percent)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return false;
}

bool StatusIs(CORVExport* exporter, _SAVE_STATUS_ wanted) {
  return WaitFor(exporter, [&](_SAVE_STATUS_ s, int32_t) { return s == wanted; });
}

TEST(MovieWriterSettings, ValuesDerivedFromTheSettings) {
  fs::path dir = testenv::MakeTempDir("save");
  struct Case {
    double fps;
    uint32_t quality;
    int64_t frameDuration;
    uint32_t sampleDuration;
    uint32_t codecQuality;
  } cases[] = {{25, 150, 400000, 24, 1024}, {29.97, 50, 333667, 20, 512}, {10, 99, 1000000, 60, 1013}};
  for (const Case& c : cases) {
    int32_t result = -1;
    CQTSave save(Parameters(dir / "a.mov", c.fps, c.quality), 0, &result);
    EXPECT_EQ(result, ORV_S_OK);
    EXPECT_EQ(save.FrameDuration(), c.frameDuration) << c.fps;
    EXPECT_EQ(save.SampleDuration(), c.sampleDuration) << c.fps;
    EXPECT_EQ(save.CodecQuality(), c.codecQuality) << c.quality;
    EXPECT_EQ(save.VideoCodecType(), MovFourCC('m', 'p', '4', 'v'));
    EXPECT_EQ(save.AudioCodecType(), MovFourCC('s', 'o', 'w', 't'));
  }
  tagORVParameters unknown = Parameters(dir / "b.mov", 10);
  CopyText(unknown.videoCompressor, u"Nothing");
  CopyText(unknown.audioCompressor, u"Nothing");
  int32_t result = -1;
  CQTSave save(unknown, 0, &result);
  EXPECT_EQ(save.VideoCodecType(), MovFourCC('j', 'p', 'e', 'g'));
  EXPECT_EQ(save.AudioCodecType(), MovFourCC('N', 'O', 'N', 'E'));
}

TEST(MovieWriterSettings, WritesFramesAndReportsTimes) {
  fs::path path = testenv::MakeTempDir("save") / "ten.mov";
  {
    int32_t result = -1;
    CQTSave save(Parameters(path, 10), 0, &result);
    ASSERT_EQ(result, ORV_S_OK);
    plat::Offscreen* frame = plat::NewOffscreen(160, 120, plat::kOffscreenARGB32);
    for (int i = 0; i < 10; ++i) ASSERT_EQ(save.UpdateVideo(frame, 0, 0), ORV_S_OK);
    plat::Offscreen* mono = plat::NewOffscreen(160, 120, plat::kOffscreenMono);
    EXPECT_EQ(save.UpdateVideo(mono, 0, 0), ORV_E_FAIL);
    EXPECT_EQ(save.UpdateVideo(nullptr, 0, 0), ORV_E_FAIL);
    plat::DisposeOffscreen(mono);
    plat::DisposeOffscreen(frame);
    std::vector<unsigned char> second(176400);
    EXPECT_EQ(save.UpdateAudio(nullptr, 10), ORV_S_OK);
    EXPECT_EQ(save.UpdateAudio(second.data(), uint32_t(second.size())), ORV_S_OK);
    int32_t ms = 0;
    EXPECT_EQ(save.GetCurrVideoTime(&ms), ORV_S_OK);
    EXPECT_EQ(ms, 1000);
    EXPECT_EQ(save.GetCurrAudioTime(&ms), ORV_S_OK);
    EXPECT_EQ(ms, 1000);
    EXPECT_EQ(save.GetCurrVideoTime(nullptr), ORV_E_FAIL);
  }  // the destructor finishes the file
  EXPECT_EQ(mediatools::StreamCount(path), 2);
  EXPECT_EQ(mediatools::Probe(path, "v:0", "stream=nb_frames")["nb_frames"], "10");
  EXPECT_EQ(mediatools::DecodeErrors(path), "");

  const fs::path dir = testenv::MakeTempDir("save");
  fs::path missing = dir / "no" / "such.mov";
  // The failure goes to the program's trace, not to standard output.
  const fs::path trace = dir / "trace.log";
  ::setenv("DUNSELLOW_TRACE", trace.c_str(), 1);
  testing::internal::CaptureStdout();
  int32_t result = 0;
  {
    CQTSave save(Parameters(missing, 10), 0, &result);
    EXPECT_EQ(save.MOVSavingEnd(), 0);
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ::unsetenv("DUNSELLOW_TRACE");
  std::ifstream lines(trace);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line.rfind("movie writer: cannot create ", 0), 0u) << line;
  EXPECT_EQ(result, ORV_E_FAIL);
  EXPECT_FALSE(fs::exists(missing));
}

class MovieExport : public ::testing::Test {
 protected:
  void SetUp() override { path_ = testenv::MakeTempDir("export") / "out.mov"; }
  // frames at 10 fps with `seconds` of stereo sound in 0.1 s blocks.
  void Make(int frames, double seconds) {
    source_ = new FakeSource(frames, 160, 120, uint32_t(std::llround(seconds * 10)) * 17640, 17640);
    source_->AddRef();
    exporter_ = new CORVExport;
    exporter_->AddRef();
  }
  void TearDown() override {
    if (source_) source_->Open_();
    if (exporter_) exporter_->Release();
    if (source_) source_->Release();
  }
  void Finish() {
    source_->Open_();
    exporter_->Release();
    exporter_ = nullptr;
  }
  fs::path path_;
  FakeSource* source_ = nullptr;
  CORVExport* exporter_ = nullptr;
};

TEST_F(MovieExport, WritesTheWholeSourceAndReportsFinished) {
  Make(30, 3.0);
  source_->m_duration = 3000;
  _SAVE_STATUS_ status;
  int32_t percent = -1;
  exporter_->GetStatus(status, percent);
  EXPECT_EQ(status, SAVE_STATUS_IDLE);
  EXPECT_EQ(percent, 0);
  exporter_->SetSource(source_);
  EXPECT_EQ(exporter_->Duration(), 3000u);
  exporter_->SetParameter(Parameters(path_, 10));
  ASSERT_EQ(exporter_->Start(), ORV_S_OK);
  ASSERT_TRUE(WaitFor(exporter_, [](_SAVE_STATUS_ s, int32_t p) { return s == SAVE_STATUS_FINISHED && p == 100; }));
  EXPECT_EQ(exporter_->FramesWritten(), 30);
  EXPECT_EQ(source_->m_resets, 30);
  Finish();
  auto video = mediatools::Probe(path_, "v:0", "stream=codec_tag_string,time_base,duration");
  auto audio = mediatools::Probe(path_, "a:0", "stream=codec_tag_string,duration");
  EXPECT_EQ(video["codec_tag_string"], "mp4v");
  EXPECT_EQ(video["time_base"], "1/600");
  EXPECT_EQ(audio["codec_tag_string"], "sowt");
  EXPECT_NEAR(std::stod(video["duration"]), std::stod(audio["duration"]), 0.1);
  EXPECT_EQ(mediatools::DecodeErrors(path_), "");
}

TEST_F(MovieExport, PercentFollowsTheVideoTime) {
  Make(100, 10.0);
  source_->m_duration = 10000;
  source_->HoldAt(25);
  exporter_->SetSource(source_);
  exporter_->SetParameter(Parameters(path_, 10));
  ASSERT_EQ(exporter_->Start(), ORV_S_OK);
  source_->WaitHeld();
  ASSERT_TRUE(WaitFor(exporter_, [](_SAVE_STATUS_ s, int32_t p) { return s == SAVE_STATUS_RUNNING && p == 25; }));
  Finish();
}

TEST_F(MovieExport, PauseResumeAndCancel) {
  Make(1000, 100.0);
  exporter_->SetSource(source_);  // duration 0: stays unknown
  EXPECT_EQ(exporter_->Duration(), CORVExport::kUnknownDuration);
  exporter_->SetParameter(Parameters(path_, 10));
  source_->HoldAt(5);
  ASSERT_EQ(exporter_->Start(), ORV_S_OK);
  source_->WaitHeld();
  _SAVE_STATUS_ status;
  int32_t percent = -1;
  exporter_->Pause();
  source_->Open_();
  exporter_->GetStatus(status, percent);
  EXPECT_EQ(status, SAVE_STATUS_PAUSED);
  EXPECT_EQ(percent, 0) << "the duration is unknown";
  exporter_->Resume();
  exporter_->GetStatus(status, percent);
  EXPECT_EQ(status, SAVE_STATUS_RUNNING);
  exporter_->Pause();
  exporter_->Cancel();
  exporter_->GetStatus(status, percent);
  EXPECT_EQ(status, SAVE_STATUS_CANCELLED);
  exporter_->Resume();  // a cancelled export stays cancelled
  exporter_->GetStatus(status, percent);
  EXPECT_EQ(status, SAVE_STATUS_CANCELLED);
  Finish();  // the threads stop without running on to the end of the source
  EXPECT_LT(source_->m_resets, 1000);
  EXPECT_EQ(mediatools::DecodeErrors(path_), "") << "a cancelled export leaves a whole file";
}

TEST_F(MovieExport, ReleaseWhilePausedDoesNotWait) {
  Make(1000, 100.0);
  exporter_->SetSource(source_);
  exporter_->SetParameter(Parameters(path_, 10));
  ASSERT_EQ(exporter_->Start(), ORV_S_OK);
  exporter_->Pause();
  Finish();
  EXPECT_LT(source_->m_resets, 1000);
}

TEST_F(MovieExport, FailuresAreFinal) {
  struct Case {
    const char* what;
    bool audioFails;
    bool badFrames;
  } cases[] = {{"sound", true, false}, {"video", false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Make(50, 5.0);
    source_->m_audioFails = c.audioFails;
    source_->m_badFrames = c.badFrames;
    exporter_->SetSource(source_);
    exporter_->SetParameter(Parameters(path_, 10));
    ASSERT_EQ(exporter_->Start(), ORV_S_OK);
    ASSERT_TRUE(StatusIs(exporter_, SAVE_STATUS_FAILED));
    for (auto step : {&CORVExport::Resume, &CORVExport::Cancel, &CORVExport::Pause}) {
      (exporter_->*step)();
      _SAVE_STATUS_ status;
      int32_t percent;
      exporter_->GetStatus(status, percent);
      EXPECT_EQ(status, SAVE_STATUS_FAILED);
    }
    Finish();
    source_->Release();
    source_ = nullptr;
  }
}

TEST_F(MovieExport, SoundEndingFirstWaitsForTheVideo) {
  Make(30, 1.0);
  source_->HoldAt(20);
  exporter_->SetSource(source_);
  exporter_->SetParameter(Parameters(path_, 10));
  ASSERT_EQ(exporter_->Start(), ORV_S_OK);
  source_->WaitHeld();
  // The sound is all written while the pictures wait: still running.
  ASSERT_TRUE(WaitFor(exporter_, [&](_SAVE_STATUS_ s, int32_t) { return s == SAVE_STATUS_RUNNING; }));
  source_->Open_();
  ASSERT_TRUE(StatusIs(exporter_, SAVE_STATUS_FINISHED));
  Finish();
}

TEST_F(MovieExport, StartNeedsASourceAndAFile) {
  Make(10, 1.0);
  exporter_->SetParameter(Parameters(path_, 10));
  EXPECT_EQ(exporter_->Start(), ORV_E_FAIL);
  exporter_->Release();
  exporter_ = new CORVExport;
  exporter_->AddRef();
  exporter_->SetSource(source_);
  exporter_->SetParameter(Parameters(path_.parent_path() / "no" / "x.mov", 10));
  testing::internal::CaptureStdout();
  EXPECT_EQ(exporter_->Start(), ORV_E_FAIL);
  testing::internal::GetCapturedStdout();
  void* itf = nullptr;
  EXPECT_EQ(exporter_->QueryInterface(IID_IORVUnknown, &itf), ORV_S_OK);
  EXPECT_EQ(itf, static_cast<IORVExport*>(exporter_));
  exporter_->Release();
  EXPECT_EQ(exporter_->QueryInterface(IID_IORVExport, &itf), ORV_E_NOTIMPL);
}

}  // namespace
