#pragma once
// Scene estimate, tone curve and gain table of the dynamic light.

#include <cstdint>

// Per-call scene record: brightness target (luma x 100), mean log luma in
// 1/1024, blend decay percent, chroma gain in 1/32, and the tone curve
// (allocated by the estimate, freed by the image pass).
struct AdlSceneRecord {
  int32_t target = 0;
  int32_t unused1 = 0;
  int32_t logMean = 0;
  int32_t decay = 0;
  int32_t chroma = 0;
  int32_t reserved[15] = {};
  int32_t* curve = nullptr;
};

struct AdlHistogram {
  int32_t bins = 256;
  const uint32_t* counts = nullptr;
  uint64_t total = 0;
};

namespace adl {

// Bin below which permille/1000 of the samples lie (from the top when
// permille > 500).
int32_t GetHistogramBin(const AdlHistogram& histogram, int32_t permille);

// Scene darkness 0.18..0.80, or 0.0 when a buffer could not be allocated or
// the picture is too small to sample. Fills target, logMean and curve.
double GetSceneLuminance(void* memory, const uint8_t* pixels, int32_t width, int32_t height,
                         int32_t pitch, int32_t format, AdlSceneRecord* scene);

// Tone curve in Q14 (out[v] = y(v) / v, the logistic curve between a and b).
void GetWISCurve(double a, double b, int32_t out[256]);

// Gain table in 1/256, addressed from its centre (-32768..32767).
void GetRetinexGainLUT(int16_t* centre, int32_t size, double scene);

}  // namespace adl
