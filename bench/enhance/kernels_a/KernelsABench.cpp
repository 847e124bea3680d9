// Throughput of the channel, arithmetic, pyramid and integral kernels in every
// form the processor has (argument: 0 scalar, 1 SSE2, 2 AVX2), on a VGA frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "KernelForm.h"
#include "image/AvdResample.h"
#include "image/AvdSupport.h"
#include "pyramid/PyramidKernels.h"

namespace {

constexpr int32_t kW = 640, kH = 480;

std::vector<uint8_t> Frame(size_t bytes, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(bytes);
  for (auto& b : v) b = static_cast<uint8_t>(rng());
  return v;
}

// Forces the form named by the argument; skips forms the processor lacks.
bool UseForm(benchmark::State& state) {
  const auto form = static_cast<KernelForm>(state.range(0));
  if (ForceKernelForm(form) != form) {
    state.SkipWithError("form not available on this processor");
    return false;
  }
  state.SetLabel(KernelFormName(form));
  return true;
}

void Finish(benchmark::State& state, int64_t bytesPerRun) {
  state.SetBytesProcessed(state.iterations() * bytesPerRun);
  ResetKernelForm();
}

void BM_SplitYC1YC2(benchmark::State& state) {
  if (!UseForm(state)) return;
  auto packed = Frame(2 * kW * kH, 1);
  std::vector<uint8_t> y(kW * kH), u(kW / 2 * kH), v(kW / 2 * kH);
  for (auto _ : state) {
    avdAccessChannel_YC1YC2_SSE2(packed.data(), 2 * kW, y.data(), kW, u.data(), kW / 2, v.data(), kW / 2, kW, kH, 1);
    benchmark::ClobberMemory();
  }
  Finish(state, 2 * kW * kH);
}

void BM_MergeYC1YC2(benchmark::State& state) {
  if (!UseForm(state)) return;
  std::vector<uint8_t> packed(2 * kW * kH);
  auto y = Frame(kW * kH, 2), u = Frame(kW / 2 * kH, 3), v = Frame(kW / 2 * kH, 4);
  for (auto _ : state) {
    avdAccessChannel_YC1YC2_SSE2(packed.data(), 2 * kW, y.data(), kW, u.data(), kW / 2, v.data(), kW / 2, kW, kH, 0);
    benchmark::ClobberMemory();
  }
  Finish(state, 2 * kW * kH);
}

void BM_LumaSplit(benchmark::State& state) {
  if (!UseForm(state)) return;
  auto packed = Frame(2 * kW * kH, 5);
  std::vector<uint8_t> y(kW * kH);
  for (auto _ : state) {
    avdAccessLuminChannel_YC1YC2_SSE2(packed.data(), 2 * kW, y.data(), kW, kW, kH, 1);
    benchmark::ClobberMemory();
  }
  Finish(state, 2 * kW * kH);
}

void BM_AbsSum(benchmark::State& state) {
  if (!UseForm(state)) return;
  auto plane = Frame(kW * kH, 6);
  for (auto _ : state) benchmark::DoNotOptimize(ImgABS_I8_SSE2(plane.data(), kW, kW, kH));
  Finish(state, kW * kH);
}

void BM_MultiConst(benchmark::State& state) {
  if (!UseForm(state)) return;
  auto src = Frame(kW * kH, 7);
  std::vector<uint8_t> dst(kW * kH);
  for (auto _ : state) {
    ImgMultiConst_I8_SSE2(src.data(), kW, dst.data(), kW, kW, kH, 300);
    benchmark::ClobberMemory();
  }
  Finish(state, kW * kH);
}

void BM_Subtract(benchmark::State& state) {
  if (!UseForm(state)) return;
  auto a = Frame(kW * kH, 8), b = Frame(kW * kH, 9);
  std::vector<uint8_t> dst(kW * kH);
  for (auto _ : state) {
    ImgSubtract_U8U8I8_SSE(a.data(), kW, b.data(), kW, dst.data(), kW, kW, kH);
    benchmark::ClobberMemory();
  }
  Finish(state, kW * kH);
}

void BM_Add(benchmark::State& state) {
  if (!UseForm(state)) return;
  auto a = Frame(kW * kH, 10), d = Frame(kW * kH, 11);
  std::vector<uint8_t> dst(kW * kH);
  for (auto _ : state) {
    ImgAdd_U8I8U8_SSE(a.data(), kW, d.data(), kW, dst.data(), kW, kW, kH);
    benchmark::ClobberMemory();
  }
  Finish(state, kW * kH);
}

void BM_Reduce(benchmark::State& state) {
  if (!UseForm(state)) return;
  auto fine = Frame(kW * kH, 12);
  std::vector<uint8_t> coarse(kW / 2 * kH / 2);
  for (auto _ : state) {
    avdReduceBlock(nullptr, fine.data(), kW, kW, kH, 0, kW / 2, 0, kH / 2, coarse.data(), kW / 2, 0x10);
    benchmark::ClobberMemory();
  }
  Finish(state, kW * kH);
}

template <int Step>
void BM_Upsample(benchmark::State& state) {
  if (!UseForm(state)) return;
  auto coarse = Frame(kW / 2 * kH / 2, 13);
  auto fine = Frame(kW * kH, 14);
  for (auto _ : state) {
    if (Step == 0)
      avdAnalysisBlock(nullptr, fine.data(), kW, 0, kW, 0, kH, coarse.data(), kW / 2, kW / 2, kH / 2, 0x10);
    else if (Step == 1)
      avdSynthesisBlock(nullptr, fine.data(), kW, 0, kW, 0, kH, coarse.data(), kW / 2, kW / 2, kH / 2, 0x10);
    else
      avdExpandBlock(fine.data(), kW, 0, kW, 0, kH, coarse.data(), kW / 2, kW / 2, kH / 2, 0x10);
    benchmark::ClobberMemory();
  }
  Finish(state, kW * kH);
}

void BM_Integral(benchmark::State& state) {
  if (!UseForm(state)) return;
  auto src = Frame(kW * kH, 15);
  const int32_t stride = kW + 16;
  std::vector<uint16_t> sums(static_cast<size_t>(stride) * (kH + 1));
  std::vector<uint32_t> squares(static_cast<size_t>(stride) * (kH + 1));
  for (auto _ : state) {
    avdIntegral(src.data(), kW, 0x10, sums.data(), squares.data(), stride, kW, kH);
    benchmark::ClobberMemory();
  }
  Finish(state, kW * kH);
}

void BM_ImageCopy(benchmark::State& state) {
  if (!UseForm(state)) return;
  auto src = Frame(2 * kW * kH, 16);
  std::vector<uint8_t> dst(static_cast<size_t>(2 * kW + 32) * kH);
  for (auto _ : state) {
    avdJImgMemCpy(dst.data() + 1, 2 * kW + 32, src.data(), 2 * kW, 2 * kW, kH - 8);
    benchmark::ClobberMemory();
  }
  Finish(state, 2 * kW * (kH - 8));
}

#define FORMS ->Arg(0)->Arg(1)->Arg(2)
BENCHMARK(BM_SplitYC1YC2) FORMS;
BENCHMARK(BM_MergeYC1YC2) FORMS;
BENCHMARK(BM_LumaSplit) FORMS;
BENCHMARK(BM_AbsSum) FORMS;
BENCHMARK(BM_MultiConst) FORMS;
BENCHMARK(BM_Subtract) FORMS;
BENCHMARK(BM_Add) FORMS;
BENCHMARK(BM_Reduce) FORMS;
BENCHMARK(BM_Upsample<0>)->Name("BM_Analysis") FORMS;
BENCHMARK(BM_Upsample<1>)->Name("BM_Synthesis") FORMS;
BENCHMARK(BM_Upsample<2>)->Name("BM_Expand") FORMS;
BENCHMARK(BM_Integral) FORMS;
BENCHMARK(BM_ImageCopy) FORMS;

}  // namespace
