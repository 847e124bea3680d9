// Usage: planar_levels_bench [brightness=30] [contrast=20] [rounds=200]. Makes
// one 1920x1080 frame of FFmpeg's test pattern (saturated bars and ramps),
// then times the save's planar brightness and contrast on it in each form
// (one thread, best of the rounds), against a copy of the same planes and
// against the luma and chroma tables alone (which keep the tint a clipped
// channel loses), and prints how many 2 x 2 blocks the tables get wrong.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "KernelForm.h"
#include "PlanarLevels.h"
#include "media/Movie.h"

namespace fs = std::filesystem;

namespace {

struct Planes {
  int32_t width = 1920, height = 1080;
  std::vector<uint8_t> bytes[3];
  uint8_t* p[3] = {};
  int32_t rowBytes[3] = {};
  Planes() {
    for (int i = 0; i < 3; ++i) {
      rowBytes[i] = i ? width / 2 : width;
      bytes[i].resize(size_t(rowBytes[i]) * (i ? height / 2 : height));
      p[i] = bytes[i].data();
    }
  }
  void CopyFrom(const Planes& o) {
    for (int i = 0; i < 3; ++i) std::memcpy(p[i], o.p[i], bytes[i].size());
  }
};

template <typename F>
double BestMs(int rounds, F&& f) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int brightness = argc > 1 ? std::atoi(argv[1]) : 30, contrast = argc > 2 ? std::atoi(argv[2]) : 20;
  const int rounds = argc > 3 ? std::max(std::atoi(argv[3]), 1) : 200;
  const fs::path file = fs::temp_directory_path() / ("planar_levels_bench-" + std::to_string(::getpid()) + ".mov");
  if (std::system(("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=s=1920x1080:r=30:d=1 -c:v mpeg4 -q:v 2 '" +
                   file.string() + "'").c_str()) != 0) {
    std::fprintf(stderr, "ffmpeg could not make the frame\n");
    return 1;
  }
  Planes source, work;
  media::Movie movie;
  media::Yuv420View view;
  for (int i = 0; i < 3; ++i) view.planes[i] = source.p[i], view.rowBytes[i] = source.rowBytes[i];
  view.size = {source.width, source.height};
  const bool read = movie.Open(file.string()) == 0 && movie.FrameYuv420Into(300, view, nullptr, nullptr) == 0;
  fs::remove(file);
  PlanarLevels levels;
  if (!read || !MakePlanarLevels(brightness, contrast, &levels)) {
    std::fprintf(stderr, "no frame or no planar levels for %d %d\n", brightness, contrast);
    return 1;
  }
  // Blocks the tables would get wrong: where the forms change a byte.
  Planes tables;
  tables.CopyFrom(source);
  for (int i = 0; i < 3; ++i)
    for (uint8_t& b : tables.bytes[i]) b = (i ? levels.chroma : levels.luma)[b];
  ForceKernelForm(KernelForm::Scalar);
  work.CopyFrom(source);
  ApplyPlanarLevels(levels, work.p, work.rowBytes, work.width, work.height);
  size_t changed = 0;
  for (size_t i = 0; i < work.bytes[1].size(); ++i)
    changed += work.bytes[1][i] != tables.bytes[1][i] || work.bytes[2][i] != tables.bytes[2][i];
  std::printf("brightness %d contrast %d: the tables alone get %.1f%% of the blocks wrong\n", brightness, contrast,
              100.0 * double(changed) / double(work.bytes[1].size()));
  const double copy = BestMs(rounds, [&] { work.CopyFrom(source); });
  std::printf("copy of the planes   %6.3f ms\n", copy);
  const double alone = BestMs(rounds, [&] {
    for (int i = 0; i < 3; ++i) {
      const uint8_t* t = (i ? levels.chroma : levels.luma).data();
      const uint8_t* in = source.p[i];
      uint8_t* out = work.p[i];
      for (size_t k = 0; k < work.bytes[i].size(); ++k) out[k] = t[in[k]];
    }
  });
  std::printf("tables alone         %6.3f ms\n", alone);
  for (KernelForm form : {KernelForm::Scalar, KernelForm::AVX2}) {
    if (ForceKernelForm(form) != form) continue;
    const double ms = BestMs(rounds, [&] {
      work.CopyFrom(source);
      ApplyPlanarLevels(levels, work.p, work.rowBytes, work.width, work.height);
    });
    std::printf("%-6s copy + levels %6.3f ms  (levels %.3f ms)\n", KernelFormName(form), ms, ms - copy);
  }
  return 0;
}
