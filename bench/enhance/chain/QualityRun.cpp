#include "QualityRun.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "ColorConvert.h"
#include "PageFrames.h"
#include "VideoRealEffect.h"

namespace {

constexpr int kFrames = 30;
constexpr int kSkipped = 3;  // the first frames set up the noise profile and the previous frame
constexpr float kNoise = 6.0f;

struct Yuy2Frame {
  std::vector<uint8_t> bytes;  // pitch = 2 * width
};

struct Sequence {
  std::vector<Yuy2Frame> clean, noisy;
};

// Clean frames of the page seen with the camera still or shaking by up to a
// pixel each way, and the same frames with noise on the luma bytes.
Sequence MakeSequence(int width, int height, bool shake) {
  Sequence seq;
  std::mt19937 rng(shake ? 77 : 78);
  std::uniform_int_distribution<int> step(-1, 1);
  std::normal_distribution<float> noise(0.0f, kNoise);
  const int pitch = 2 * width;
  for (int f = 0; f < kFrames; ++f) {
    const int dx = shake ? step(rng) : 0, dy = shake ? step(rng) : 0;
    std::mt19937 unused;
    const PageFrame page = RenderPage(width, height, 1 + dx, 1 + dy, 0.0f, unused);
    Yuy2Frame clean;
    clean.bytes.resize(static_cast<size_t>(pitch) * height);
    RGB32ToYUY2(clean.bytes.data(), pitch, page.argb.data(), page.rowBytes, width, height);
    Yuy2Frame noisy = clean;
    for (size_t i = 0; i < noisy.bytes.size(); i += 2) {
      const long v = std::lround(noisy.bytes[i] + noise(rng));
      noisy.bytes[i] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
    }
    seq.clean.push_back(std::move(clean));
    seq.noisy.push_back(std::move(noisy));
  }
  return seq;
}

double LumaMse(const uint8_t* a, const uint8_t* b, size_t bytes) {
  double se = 0;
  for (size_t i = 0; i < bytes; i += 2) {
    const double d = static_cast<double>(a[i]) - b[i];
    se += d * d;
  }
  return se / static_cast<double>(bytes / 2);
}

double Psnr(double mse) { return 10.0 * std::log10(255.0 * 255.0 / std::max(mse, 1e-9)); }

// Mean PSNR over the frames after the skipped ones; level 0: the noisy input.
double DenoisedPsnr(const Sequence& seq, int width, int height, int level) {
  CVideoRealEffect effect(width, height);
  effect.SetThreadCount(1);
  effect.SetDenoiseLevel(level);
  double sum = 0;
  int count = 0;
  for (int f = 0; f < kFrames; ++f) {
    Yuy2Frame work = seq.noisy[f];
    if (level > 0) effect.Denoise(work.bytes.data(), width, height, 2 * width);
    if (f < kSkipped) continue;
    sum += Psnr(LumaMse(work.bytes.data(), seq.clean[f].bytes.data(), work.bytes.size()));
    ++count;
  }
  return sum / count;
}

// Planar 4:2:2 as FFmpeg reads it.
void ToPlanar(const Yuy2Frame& f, int width, int height, std::vector<uint8_t>* out) {
  out->resize(static_cast<size_t>(width) * height * 2);
  uint8_t* y = out->data();
  uint8_t* u = y + static_cast<size_t>(width) * height;
  uint8_t* v = u + static_cast<size_t>(width / 2) * height;
  for (int r = 0; r < height; ++r)
    for (int x = 0; x < width / 2; ++x) {
      const uint8_t* s = f.bytes.data() + static_cast<size_t>(r) * 2 * width + 4 * x;
      y[r * width + 2 * x] = s[0];
      y[r * width + 2 * x + 1] = s[2];
      u[r * (width / 2) + x] = s[1];
      v[r * (width / 2) + x] = s[3];
    }
}

std::string QualityPath(const std::string& dir, bool shake, bool noisy, int width, int height) {
  return dir + "/quality_" + (shake ? "shake" : "still") + "_" + (noisy ? "noisy" : "clean") + "_" +
         std::to_string(width) + "x" + std::to_string(height) + ".yuv422p";
}

}  // namespace

void PrintQuality(int width, int height) {
  std::printf("luma PSNR in dB, %dx%d, noise %.0f on the luma, frames %d-%d of %d\n", width, height, kNoise,
              kSkipped + 1, kFrames, kFrames);
  std::printf("%-8s %8s %8s %8s %8s\n", "camera", "noisy", "ours 30", "ours 60", "ours 100");
  for (bool shake : {false, true}) {
    const Sequence seq = MakeSequence(width, height, shake);
    std::printf("%-8s", shake ? "shaking" : "still");
    for (int level : {0, 30, 60, 100}) std::printf(" %8.2f", DenoisedPsnr(seq, width, height, level));
    std::printf("\n");
    std::fflush(stdout);
  }
}

bool WriteQualityFrames(const std::string& dir, int width, int height, std::string* error) {
  for (bool shake : {false, true}) {
    const Sequence seq = MakeSequence(width, height, shake);
    for (bool noisy : {false, true}) {
      const std::string path = QualityPath(dir, shake, noisy, width, height);
      FILE* out = std::fopen(path.c_str(), "wb");
      bool ok = out != nullptr;
      std::vector<uint8_t> planar;
      for (const Yuy2Frame& f : noisy ? seq.noisy : seq.clean) {
        ToPlanar(f, width, height, &planar);
        ok = ok && std::fwrite(planar.data(), 1, planar.size(), out) == planar.size();
      }
      if (out && std::fclose(out) != 0) ok = false;
      if (!ok) {
        if (error) *error = "cannot write " + path;
        return false;
      }
    }
  }
  return true;
}

double RawLumaPsnr(const std::string& clean, const std::string& processed, int width, int height) {
  FILE* a = std::fopen(clean.c_str(), "rb");
  FILE* b = std::fopen(processed.c_str(), "rb");
  const size_t frame = static_cast<size_t>(width) * height * 2, luma = static_cast<size_t>(width) * height;
  std::vector<uint8_t> fa(frame), fb(frame);
  double sum = 0;
  int count = 0;
  for (int f = 0; a && b; ++f) {
    if (std::fread(fa.data(), 1, frame, a) != frame || std::fread(fb.data(), 1, frame, b) != frame) break;
    if (f < kSkipped) continue;
    double se = 0;
    for (size_t i = 0; i < luma; ++i) {
      const double d = static_cast<double>(fa[i]) - fb[i];
      se += d * d;
    }
    sum += Psnr(se / static_cast<double>(luma));
    ++count;
  }
  if (a) std::fclose(a);
  if (b) std::fclose(b);
  return count > 0 ? sum / count : -1.0;
}
