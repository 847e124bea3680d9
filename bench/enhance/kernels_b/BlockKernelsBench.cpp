// Throughput of the denoiser's block kernels in each form (argument: 0 scalar,
// 1 SSE2, 2 AVX2). Items are 8x8 blocks (or candidates for window kernels).

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "KernelForm.h"
#include "block/BlockKernels.h"

namespace {

struct Area {
  static constexpr int kPitch = 64;
  std::vector<uint8_t> data;
  Area() : data(kPitch * 64) {
    std::mt19937 rng(7);
    for (auto& x : data) x = static_cast<uint8_t>(rng());
  }
  uint8_t* at(int x, int y) { return data.data() + y * kPitch + x; }
};

bool UseForm(benchmark::State& state) {
  KernelForm form = static_cast<KernelForm>(state.range(0));
  if (static_cast<int>(form) > static_cast<int>(BestKernelForm())) {
    state.SkipWithError("form not supported");
    return false;
  }
  ForceKernelForm(form);
  state.SetLabel(KernelFormName(form));
  return true;
}

void BM_MeanAndVar(benchmark::State& state) {
  if (!UseForm(state)) return;
  Area a;
  int32_t s, v;
  for (auto _ : state) {
    avdGetMeanAndVar_B8_U8_SSE2(a.at(3, 5), Area::kPitch, &s, &v);
    benchmark::DoNotOptimize(v);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_SetMean(benchmark::State& state) {
  if (!UseForm(state)) return;
  Area a;
  for (auto _ : state) {
    avdSetMean_88_U8_SSE2(a.at(3, 5), Area::kPitch, 120, 100);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_Expand(benchmark::State& state) {
  if (!UseForm(state)) return;
  Area a;
  for (auto _ : state) {
    avdExpand_88_U8_SSE2(a.at(30, 30), Area::kPitch, a.at(3, 5), Area::kPitch, 100);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_RatioBlend(benchmark::State& state) {
  if (!UseForm(state)) return;
  Area a;
  for (auto _ : state) {
    avdMMSE_B8_U8_SSE2(a.at(3, 5), Area::kPitch, a.at(20, 20), Area::kPitch, a.at(3, 5), Area::kPitch, 300, 100);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_Distance(benchmark::State& state) {
  if (!UseForm(state)) return;
  Area a;
  for (auto _ : state) benchmark::DoNotOptimize(avdDiffAbsSum_B8_U8_SSE2(a.at(3, 5), Area::kPitch, a.at(4, 6), Area::kPitch));
  state.SetItemsProcessed(state.iterations());
}

void BM_QuarterDistance(benchmark::State& state) {
  if (!UseForm(state)) return;
  Area a;
  for (auto _ : state)
    benchmark::DoNotOptimize(avdQtrDiffAbsSum_B8_U8_SSE2(a.at(3, 5), Area::kPitch, a.at(4, 6), Area::kPitch));
  state.SetItemsProcessed(state.iterations());
}

void BM_Window7x7(benchmark::State& state) {
  if (!UseForm(state)) return;
  Area a;
  int32_t out[49];
  for (auto _ : state) {
    avdDiffAbsSum_Block_U8_SSE2(a.at(20, 20), a.at(17, 17), Area::kPitch, 7, 7, out);
    benchmark::DoNotOptimize(out[48]);
  }
  state.SetItemsProcessed(state.iterations() * 49);
}

void BM_WeightSum5x5(benchmark::State& state) {
  if (!UseForm(state)) return;
  Area a;
  int32_t weights[25];
  for (int i = 0; i < 25; ++i) weights[i] = i % 17;
  alignas(32) uint32_t acc[64];
  for (auto _ : state) {
    avdWeightSum_Block_U8_SSE2(acc, 8, a.at(2, 2), Area::kPitch, weights, 5, 5);
    benchmark::DoNotOptimize(acc[63]);
  }
  state.SetItemsProcessed(state.iterations() * 25);
}

void BM_OneWeightSum(benchmark::State& state) {
  if (!UseForm(state)) return;
  Area a;
  alignas(32) uint32_t acc[64] = {};
  for (auto _ : state) {
    avdOneWeightSum_B8_U8_U32_SSE2(acc, a.at(2, 2), Area::kPitch, 9);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_ImgFromSum(benchmark::State& state) {
  if (!UseForm(state)) return;
  Area a;
  alignas(32) uint32_t acc[64];
  for (int i = 0; i < 64; ++i) acc[i] = 100u * 300 + i;
  for (auto _ : state) {
    avdImgFromSum_U8_U32_SSE2(a.at(3, 5), Area::kPitch, a.at(30, 30), Area::kPitch, acc, 300, 8, 60);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

#define FORMS DenseRange(0, 2)
BENCHMARK(BM_MeanAndVar)->FORMS;
BENCHMARK(BM_SetMean)->FORMS;
BENCHMARK(BM_Expand)->FORMS;
BENCHMARK(BM_RatioBlend)->FORMS;
BENCHMARK(BM_Distance)->FORMS;
BENCHMARK(BM_QuarterDistance)->FORMS;
BENCHMARK(BM_Window7x7)->FORMS;
BENCHMARK(BM_WeightSum5x5)->FORMS;
BENCHMARK(BM_OneWeightSum)->FORMS;
BENCHMARK(BM_ImgFromSum)->FORMS;

}  // namespace
