#pragma once
// Saving an edited movie: the save source feeds the exporter, which encodes
// into a temporary file in the target's folder; only a complete file is
// renamed over the target, so a cancelled or failed save leaves the target
// as it was.
#include <cstdint>
#include <functional>
#include <string>

#include "ORVParameters.h"
#include "qel/QelTypes.h"

class CSource;

enum MovieSaveResult : int32_t { kSaveRunning = 0, kSaveDone = 3, kSaveFailed = 4, kSaveCancelled = 5 };

// Frame snapping of the trim bounds (`step` = time units per frame).
int32_t SnapTrimStart(int32_t start, int32_t step);
int32_t SnapTrimEnd(int32_t end, int32_t step, int32_t duration);
// Snaps the source's bounds to its frames, start first.
void AdjustBothCrop(CSource* source);

// The exporter's settings for the save source, writing to `output`.
bool FillSaveParameters(CSource* source, const std::u16string& output, tagORVParameters* out);

// Encodes the opened and bounded save source into a temporary file beside
// `target` and renames it over the target when complete. `poll(percent)`
// runs about every 50 ms on the calling thread; answering false cancels.
MovieSaveResult SaveMovie(CSource* source, const std::u16string& target, const std::function<bool(int32_t)>& poll);
