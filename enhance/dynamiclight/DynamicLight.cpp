#include "DynamicLight.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <vector>

#include "ExactTable.h"

#include "AdlRetinex.h"
#include "AdlScene.h"
#include "AdlStretch.h"
#include "MMem.h"
#include "WorkerPool.h"

struct AdlEngine {
  int16_t* gainTable = nullptr;  // 65536 entries, used from its middle
  int16_t* work = nullptr;
  int64_t workBytes = 0;
  uint32_t* histogram = nullptr;  // 256 counters of the video pass
  double scene = 0.0;             // scene value the gain table was built for
  int32_t lowHint = -1;           // the stretch's low bin of the last frame, -1 none
  int32_t params[ADL_PARAM_COUNT] = {};
};

namespace {

constexpr int32_t kGainEntries = 65536;
// Strength, decay, chroma gain, an unused 128, thirteen reserved words, and
// the video pass's stretch level.
constexpr auto kVideoDefaults =
    ExactTable<int32_t, ADL_PARAM_COUNT>({60, 75, 32, 128, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 50});

// A picture smaller than this gives the scene estimate no samples and the
// illumination maps a single row, whose deviation would not be one.
bool TooSmall(const AdlFrameDesc& f) { return f.width < 4 || f.height < 4; }

bool IsPlanes(int32_t format) {
  return format == ADL_FMT_YUV420LP || format == ADL_FMT_YUV422LP ||
         format == ADL_FMT_YUV420PLANAR || format == ADL_FMT_YUV422PLANAR;
}

// Bytes a row and rows of plane i of a picture (0 when the plane is unused).
void PlaneSize(const AdlFrameDesc& f, int i, int64_t* rowBytes, int32_t* rows) {
  *rowBytes = 0;
  *rows = f.height;
  switch (f.format) {
    case ADL_FMT_BGR24: *rowBytes = i == 0 ? 3LL * f.width : 0; break;
    case ADL_FMT_UYVY: case ADL_FMT_YUY2: case ADL_FMT_Y8U4V4: case ADL_FMT_YYUV:
      *rowBytes = i == 0 ? 2LL * f.width : 0;
      break;
    case ADL_FMT_YUV420LP: case ADL_FMT_YUV422LP:
      *rowBytes = i < 2 ? f.width : 0;
      if (i == 1 && f.format == ADL_FMT_YUV420LP) *rows = f.height / 2;
      break;
    case ADL_FMT_YUV420PLANAR: case ADL_FMT_YUV422PLANAR:
      *rowBytes = i == 0 ? f.width : f.width / 2;
      if (i > 0 && f.format == ADL_FMT_YUV420PLANAR) *rows = f.height / 2;
      break;
    default: break;
  }
}

const uint8_t* PlaneOf(const AdlFrameDesc& f, int i) { return IsPlanes(f.format) ? f.plane[i] : f.pixels; }

// The checks of the image pass for the formats it runs: sizes the format
// allows, every plane it touches present and its pitch wide enough.
bool ValidFrame(const AdlFrameDesc& f) {
  switch (f.format) {
    case ADL_FMT_BGR24:
      if (f.width <= 0 || f.height <= 0) return false;
      break;
    case ADL_FMT_Y8U4V4:
      if (f.width <= 0 || f.height <= 0 || (f.width & 7) || (f.height & 1)) return false;
      break;
    case ADL_FMT_UYVY: case ADL_FMT_YUY2: case ADL_FMT_YYUV: case ADL_FMT_YUV420LP:
    case ADL_FMT_YUV422LP: case ADL_FMT_YUV420PLANAR: case ADL_FMT_YUV422PLANAR:
      if (f.width <= 0 || f.height <= 0 || (f.width & 1) || (f.height & 1)) return false;
      break;
    default: return false;  // the 16-bit raw input and its gain map are not run
  }
  for (int i = 0; i < 3; ++i) {
    int64_t rowBytes;
    int32_t rows;
    PlaneSize(f, i, &rowBytes, &rows);
    if (rowBytes == 0) continue;
    if (!PlaneOf(f, i) || f.pitch[i] < rowBytes) return false;
  }
  return true;
}

bool SameLayout(const AdlFrameDesc& a, const AdlFrameDesc& b) {
  return a.width == b.width && a.height == b.height && a.format == b.format &&
         a.pitch[0] == b.pitch[0] && a.pitch[1] == b.pitch[1] && a.pitch[2] == b.pitch[2];
}

bool IsPacked422(int32_t format) { return format == ADL_FMT_UYVY || format == ADL_FMT_YUY2; }

int32_t LumaOffset(int32_t format) { return format == ADL_FMT_YUY2 ? 0 : 1; }

int32_t ReductionLevel(int32_t width, int32_t height) {
  const int64_t n = static_cast<int64_t>(width) * height;
  if ((5 * n + 10) / 4 <= 1048576) return 1;
  if ((5 * n + 40) / 16 + 4LL * width <= 1048576) return 2;
  return 3;
}

void CopyPicture(const AdlFrameDesc& src, const AdlFrameDesc& dst) {
  for (int i = 0; i < 3; ++i) {
    int64_t rowBytes;
    int32_t rows;
    PlaneSize(src, i, &rowBytes, &rows);
    for (int32_t r = 0; rowBytes && r < rows; ++r)
      std::memcpy(const_cast<uint8_t*>(PlaneOf(dst, i)) + static_cast<intptr_t>(r) * src.pitch[i],
                  PlaneOf(src, i) + static_cast<intptr_t>(r) * src.pitch[i], rowBytes);
  }
}


// Strips of rows, at least 64 rows each, two a thread.
int32_t StripsOf(int32_t height) { return std::max(1, std::min(enh::ParallelThreads() * 2, height / 64)); }
int32_t StripRow(int32_t height, int32_t strips, int32_t i) {
  return static_cast<int32_t>(static_cast<int64_t>(height) * i / strips);
}

// The stretch's bounds: low, the first luma value at which a thousandth of
// the pixels is reached counting up; high, the largest luma value. Successive
// frames of a scene keep their low value, so a count of the pixels at most a
// few values about the last one places it without a histogram; when it has
// moved away the full histogram is built.
void StretchBounds(AdlEngine* handle, const adl::PackedLuma& luma, int32_t height, int32_t* low, int32_t* high) {
  const uint64_t threshold = (static_cast<uint64_t>(height) * luma.width + 512) >> 10;
  const int32_t strips = StripsOf(height);
  if (handle->lowHint >= 0) {
    const int32_t base = std::clamp(handle->lowHint - 2, 0, 255 - adl::kAtMostCount + 1);
    std::vector<adl::LumaAtMost> stripCounts(strips);
    enh::ParallelFor(strips, [&](int32_t i) {
      adl::CountAtMost(luma, StripRow(height, strips, i), StripRow(height, strips, i + 1), base, &stripCounts[i]);
    });
    adl::LumaAtMost all;
    for (const adl::LumaAtMost& c : stripCounts) {
      for (int32_t i = 0; i < adl::kAtMostCount; ++i) all.atMost[i] += c.atMost[i];
      all.max = std::max(all.max, c.max);
    }
    // The first value that reaches the threshold is low when the value below
    // it is counted too (or there is none below).
    for (int32_t i = 0; i < adl::kAtMostCount; ++i)
      if (all.atMost[i] >= threshold) {
        if (i == 0 && base > 0) break;
        *low = base + i;
        *high = all.max;
        handle->lowHint = *low;
        return;
      }
  }
  uint32_t* counts = handle->histogram;
  std::memset(counts, 0, 256 * sizeof(uint32_t));
  // Strips count into tables of their own; the sums do not depend on the split.
  std::vector<std::array<uint32_t, 256>> stripCounts(strips);
  enh::ParallelFor(strips, [&](int32_t i) {
    stripCounts[i].fill(0);
    adl::CountLuma(luma, StripRow(height, strips, i), StripRow(height, strips, i + 1), stripCounts[i].data());
  });
  for (const auto& c : stripCounts)
    for (int b = 0; b < 256; ++b) counts[b] += c[b];
  *low = 255;
  uint64_t sum = 0;
  for (int32_t b = 0; b < 256; ++b) {
    sum += counts[b];
    if (sum >= threshold) {
      *low = b;
      break;
    }
  }
  *high = 0;
  for (int32_t b = 255; b >= 0; --b)
    if (counts[b]) {
      *high = b;
      break;
    }
  handle->lowHint = *low;
}

}  // namespace

extern "C" {

int32_t ADL_GetDynamiclightVersion(AdlVersion* out) {
  if (!out) return ADL_ERR_ARGUMENT;
  *out = AdlVersion{1, 2, 4, 17, "1.2.4.17", "03/04/2009",
                    "Dynamic light: retinex brightening of dark and back-lit pictures."};
  return ADL_OK;
}

int32_t ADL_GetDefaultParam(int32_t* params) {
  if (!params) return ADL_ERR_ARGUMENT;
  std::memcpy(params, kVideoDefaults.data(), 18 * sizeof(int32_t));
  return ADL_OK;
}

int32_t ADL_GetVideoDefaultParam(int32_t* params) {
  if (!params) return ADL_ERR_ARGUMENT;
  std::memcpy(params, kVideoDefaults.data(), sizeof(kVideoDefaults));
  return ADL_OK;
}

int32_t ADL_InitDynamiclight(void* memory, AdlEngine** out, int32_t width, int32_t height,
                             int32_t format) {
  if (!out || !IsPacked422(format) || width < 0 || height < 0 || (width & 1) || (height & 1))
    return ADL_ERR_ARGUMENT;
  const int64_t n = static_cast<int64_t>(width) * height;
  const int64_t words = (n > 8191 ? n / 8 : 1024) + n / 2;

  void* block = MMemAlloc(memory, sizeof(AdlEngine));
  if (!block) return ADL_ERR_MEMORY;
  AdlEngine* engine = new (block) AdlEngine();
  // One spare entry past the end: a 32-bit gather of the last gain stays inside.
  engine->gainTable = static_cast<int16_t*>(MMemAlloc(memory, (kGainEntries + 2) * sizeof(int16_t)));
  if (engine->gainTable)
    engine->work = static_cast<int16_t*>(MMemAlloc(memory, static_cast<size_t>(words) * 2));
  if (engine->work)
    engine->histogram = static_cast<uint32_t*>(MMemAlloc(memory, 256 * sizeof(uint32_t)));
  if (!engine->histogram) {
    MMemFree(memory, engine->work);
    MMemFree(memory, engine->gainTable);
    MMemFree(memory, engine);
    return ADL_ERR_MEMORY;
  }
  std::memset(engine->gainTable, 0, (kGainEntries + 2) * sizeof(int16_t));
  engine->workBytes = words * 2;
  // The image pass reads its parameters from the handle: a fresh handle
  // starts from the defaults, not from a strength of 0 that would switch it off.
  std::memcpy(engine->params, kVideoDefaults.data(), sizeof(kVideoDefaults));
  *out = engine;
  return ADL_OK;
}

int32_t ADL_UninitDynamiclight(void* memory, AdlEngine** handle) {
  if (!handle || !*handle) return ADL_OK;
  AdlEngine* engine = *handle;
  MMemFree(memory, engine->histogram);
  MMemFree(memory, engine->work);
  MMemFree(memory, engine->gainTable);
  engine->~AdlEngine();
  MMemFree(memory, engine);
  *handle = nullptr;
  return ADL_OK;
}

int32_t ADL_ImageDynamiclight(void* memory, const AdlFrameDesc* source, AdlEngine* handle,
                              AdlFrameDesc* destination) {
  if (!source || !handle) return ADL_ERR_ARGUMENT;
  const AdlFrameDesc& src = *source;
  const AdlFrameDesc& dst = destination ? *destination : *source;
  // The destination shares the source's layout (kernels write it with the
  // source's pitches).
  if (!ValidFrame(src) || !ValidFrame(dst) || !SameLayout(src, dst)) return ADL_ERR_ARGUMENT;
  const bool inPlace = PlaneOf(src, 0) == PlaneOf(dst, 0);

  AdlSceneRecord scene;
  const int32_t* params = handle->params;
  scene.decay = params[1] >= 10 && params[1] <= 90 ? params[1] : 75;
  scene.chroma = params[2] >= 16 && params[2] <= 48 ? params[2] : 32;
  const double strength = params[0] >= 0 && params[0] <= 100 ? params[0] / 60.0 : 1.0;

  double value = 0.0;
  if (!TooSmall(src))
    value = adl::GetSceneLuminance(memory, PlaneOf(src, 0), src.width, src.height, src.pitch[0],
                                   src.format, &scene) *
            strength;
  if (value == 0.0) {
    if (!inPlace) CopyPicture(src, dst);
    MMemFree(memory, scene.curve);
    return ADL_NOT_APPLIED;
  }
  if (value != handle->scene) {
    handle->scene = value;
    adl::GetRetinexGainLUT(handle->gainTable + kGainEntries / 2, kGainEntries, value);
  }
  const int16_t* gainCentre = handle->gainTable + kGainEntries / 2;
  int32_t result;
  if (src.format == ADL_FMT_BGR24) {
    result = adl::RetinexEnhanceBGR24(memory, src.pixels, src.height, src.width, src.pitch[0],
                                      dst.pixels, scene.logMean, gainCentre);
  } else {
    adl::RetinexPicture picture;
    picture.format = src.format;
    picture.width = src.width;
    picture.height = src.height;
    for (int i = 0; i < 3; ++i) {
      picture.pitch[i] = src.pitch[i];
      picture.src[i] = PlaneOf(src, i);
      picture.dst[i] = const_cast<uint8_t*>(PlaneOf(dst, i));
    }
    result = adl::RetinexEnhance(picture, scene, gainCentre, handle->work, handle->workBytes,
                                 ReductionLevel(src.width, src.height));
  }
  MMemFree(memory, scene.curve);
  return result;
}

int32_t ADL_VideoDynamiclight(void* memory, AdlEngine* handle, AdlFrameDesc* source,
                              AdlFrameDesc* destination, const int32_t* params) {
  if (!handle || !source) return ADL_ERR_ARGUMENT;
  // Check the record before the stretch touches any byte; a separate
  // destination is refused (the stretch works in place only).
  if (!IsPacked422(source->format) || !ValidFrame(*source)) return ADL_ERR_ARGUMENT;
  if (destination && destination != source &&
      (destination->pixels != source->pixels || destination->format != source->format ||
       destination->width != source->width || destination->height != source->height ||
       destination->pitch[0] != source->pitch[0]))
    return ADL_ERR_ARGUMENT;
  if (TooSmall(*source)) return ADL_NOT_APPLIED;
  // A frame larger than the handle was made for is refused before the stretch.
  if (adl::RetinexWorkWords(source->width, source->height,
                            ReductionLevel(source->width, source->height)) * 2 > handle->workBytes)
    return ADL_ERR_MEMORY;

  int32_t level = 50;
  if (params) {
    std::memcpy(handle->params, params, sizeof(handle->params));
    level = params[ADL_PARAM_STRETCH];
    level = level < 0 ? 0 : (level > 100 ? 100 : level);
  } else {
    std::memcpy(handle->params, kVideoDefaults.data(), sizeof(kVideoDefaults));
  }

  AdlFrameDesc& frame = *source;
  if (level != 0) {
    const adl::PackedLuma luma{frame.pixels, frame.pitch[0], frame.width, LumaOffset(frame.format)};
    int32_t low = 255, high = 0;
    StretchBounds(handle, luma, frame.height, &low, &high);
    if (high < low + 32) return ADL_OK;  // too flat to stretch: left exactly as it was

    adl::StretchMap map;
    map.low = low;
    map.newLow = (((100 - level) * low + 50) / 100) & 255;
    map.scale = ((high - map.newLow) * 16384) / (high - low);
    enh::ParallelRows(frame.height, 32, 1, [&](int32_t r0, int32_t r1) { adl::StretchLuma(luma, r0, r1, map); });
  }
  return ADL_ImageDynamiclight(memory, source, handle, nullptr);
}

}  // extern "C"
