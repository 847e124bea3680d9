// The photo editor's Save on a 12-megapixel photo (the page's result copied
// and written as JPEG 90, whole or absent) against libjpeg-turbo alone
// encoding the same pixels to a file with the same settings, in the same
// run: medians of wall time and of the CPU time of every thread, their
// ratios, the load average, and whether both files hold the same bytes.
// The anchor is timed twice: as a plain file write, and with the fsync a
// whole-or-absent save needs before it renames its file.
//   photo_save_bench [runs=9]
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "BareJpeg.h"
#include "BenchTiming.h"
#include "DibHelper.h"
#include "ImgFunc.h"
#include "PagePhoto.h"
#include "img/ImageFile.h"
#include "qel/QelWideText.h"

namespace fs = std::filesystem;
using bench::Clock;
using bench::Median;
using bench::Ms;

namespace {

constexpr int32_t kW = 4000, kH = 3000;

img::Bitmap Photo() { return bench::PagePhoto(kW, kH); }

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 9;
  char tmpl[] = "/tmp/photo-save-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const fs::path dir = tmpl;
  const fs::path source = dir / "photo.bmp";
  img::SaveBmp(Photo(), source.string(), {});
  // The page's result: the opened photo (the edit tools do not matter to
  // the save).
  PubImage::QelPicture* result = OpenImgFile(QelFromUTF8(source.string()).c_str(), 0, nullptr, nullptr, 0);
  if (!result) return 1;
  const std::u16string ours = QelFromUTF8((dir / "ours.jpg").string());
  const std::string bare = (dir / "bare.jpg").string();
  // The Save button's record: JPEG at quality 90.
  static const int32_t kJpeg90[2] = {0, 90};
  auto save = [&] {
    PubImage::QelPicture* copy = static_cast<PubImage::QelPicture*>(result->Copy());
    tagOutputOption option{};
    option.nStructSize = int32_t(sizeof option);
    option.reserved2 = 1;
    option.options = kJpeg90;
    const int32_t r = SaveImgFile(copy, ours.c_str(), &option);
    copy->Release();
    return r == 0;
  };
  if (!save()) {
    std::fprintf(stderr, "the save failed\n");
    return 1;
  }
  unsigned char* dib = Pict2Dib(result);
  if (!dib) return 1;
  const uint8_t* bits = dib + 40;
  const size_t stride = DIBStride(kW, 24);
  const bench::JpegLike like = bench::SettingsOf(QelToUTF8(ours), 90);

  std::vector<double> oursMs, oursCpu, bareMs, bareCpu, durableMs, durableCpu;
  for (int i = 0; i < runs; ++i) {
    double c0 = bench::ProcessCpuMs();
    auto t0 = Clock::now();
    if (!save()) return 1;
    oursMs.push_back(Ms(Clock::now() - t0));
    oursCpu.push_back(bench::ProcessCpuMs() - c0);

    c0 = bench::ProcessCpuMs();
    t0 = Clock::now();
    bench::BareJpeg(bits, stride, kW, kH, true, like, bare, false);
    bareMs.push_back(Ms(Clock::now() - t0));
    bareCpu.push_back(bench::ProcessCpuMs() - c0);

    c0 = bench::ProcessCpuMs();
    t0 = Clock::now();
    bench::BareJpeg(bits, stride, kW, kH, true, like, bare, true);
    durableMs.push_back(Ms(Clock::now() - t0));
    durableCpu.push_back(bench::ProcessCpuMs() - c0);
  }
  const bool same = bench::ReadFileBytes(QelToUTF8(ours)) == bench::ReadFileBytes(bare);
  const double o = Median(oursMs), oc = Median(oursCpu), b = Median(bareMs), bc = Median(bareCpu),
               d = Median(durableMs), dc = Median(durableCpu);
  std::printf("photo editor save, %dx%d JPEG 90, median of %d, load %.1f; files %s\n", kW, kH, runs,
              bench::LoadAverage(), same ? "identical" : "DIFFER");
  std::printf("  save %.1f ms (cpu %.1f)\n", o, oc);
  std::printf("  bare libjpeg-turbo to a file %.1f ms (cpu %.1f): ratio %.2f (cpu %.2f)\n", b, bc, o / b, oc / bc);
  std::printf("  bare with fsync %.1f ms (cpu %.1f): ratio %.2f (cpu %.2f)\n", d, dc, o / d, oc / dc);
  DIBDelete(dib);
  result->Release();
  fs::remove_all(dir);
  return same ? 0 : 2;
}
