#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "media/Movie.h"
#include "media/MovieWriter.h"
#include "media/VideoCapture.h"

namespace {

using namespace media;
namespace fs = std::filesystem;

constexpr Size kHd = {1920, 1080};

fs::path TempDir() {
  static fs::path dir = [] {
    std::string pattern = (fs::temp_directory_path() / "media-bench-XXXXXX").string();
    return fs::path(mkdtemp(pattern.data()));
  }();
  return dir;
}

// A moving document-like picture: text-sized stripes on paper white.
std::vector<uint8_t> Page(int index) {
  std::vector<uint8_t> argb(size_t(kHd.width) * kHd.height * 4);
  for (int y = 0; y < kHd.height; ++y)
    for (int x = 0; x < kHd.width; ++x) {
      uint8_t* p = &argb[(size_t(y) * kHd.width + x) * 4];
      bool ink = ((y + index) / 3) % 7 == 0 && ((x / 5) % 9) != 0;
      p[0] = 255;
      p[1] = ink ? 30 : 235;
      p[2] = ink ? 30 : 232;
      p[3] = ink ? 40 : 225;
    }
  return argb;
}

void Encode(benchmark::State& state, uint32_t type) {
  std::vector<std::vector<uint8_t>> pages = {Page(0), Page(1), Page(2), Page(3)};
  MovieWriterSettings s;
  s.path = (TempDir() / "bench.mov").string();
  s.size = kHd;
  s.fps = 15;
  s.videoType = type;
  s.quality = 70;
  MovieWriter writer;
  if (writer.Open(s) != 0) {
    state.SkipWithError("cannot open the writer");
    return;
  }
  size_t i = 0;
  for (auto _ : state) writer.WriteVideo(pages[i++ % 4].data(), kHd.width, kHd.height, kHd.width * 4);
  writer.Finish();
  state.counters["fps"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_EncodeMpeg4(benchmark::State& state) { Encode(state, FourCC('m', 'p', '4', 'v')); }
void BM_EncodeMotionJpegA(benchmark::State& state) { Encode(state, FourCC('m', 'j', 'p', 'a')); }
BENCHMARK(BM_EncodeMpeg4)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_EncodeMotionJpegA)->Unit(benchmark::kMillisecond)->MinTime(3);

// The frame at each successive time of a 15 fps movie, as the editor's
// preview and save ask for them.
void BM_FrameAtInOrder(benchmark::State& state) {
  fs::path path = TempDir() / "read.mov";
  {
    MovieWriterSettings s;
    s.path = path.string();
    s.size = kHd;
    s.fps = 15;
    s.videoType = FourCC('m', 'p', '4', 'v');
    s.quality = 70;
    MovieWriter writer;
    writer.Open(s);
    std::vector<uint8_t> page = Page(0);
    for (int i = 0; i < 60; ++i) writer.WriteVideo(page.data(), kHd.width, kHd.height, kHd.width * 4);
    writer.Finish();
  }
  Movie movie;
  if (movie.Open(path.string()) != 0) {
    state.SkipWithError("cannot open the movie");
    return;
  }
  Frame frame;
  int64_t n = 0;
  for (auto _ : state) {
    movie.FrameAt((n++ % 60) * 40, frame);
    benchmark::DoNotOptimize(frame.pixels.data());
  }
}
BENCHMARK(BM_FrameAtInOrder)->Unit(benchmark::kMillisecond)->MinTime(3);

// CPU time the capture thread spends per stand-in camera frame at 1080p
// (generation, decoding, conversion to A, R, G, B) while it runs at 30 fps.
void BM_CaptureStandIn(benchmark::State& state) {
  SetDeviceMode(DeviceMode::SyntheticOnly);
  VideoCapture capture;
  if (capture.SelectInput("Input 1") != 0 || !capture.SetSize(kHd) || capture.Start() != 0) {
    state.SkipWithError("no stand-in camera");
    return;
  }
  uint64_t before = capture.FramesCaptured();
  for (auto _ : state) {
    // One frame interval of wall time per iteration.
    usleep(33333);
  }
  uint64_t frames = capture.FramesCaptured() - before;
  capture.Stop();
  state.counters["frames"] = double(frames);
}
BENCHMARK(BM_CaptureStandIn)->Unit(benchmark::kMillisecond)->Iterations(90)->MeasureProcessCPUTime()->UseRealTime();

}  // namespace
