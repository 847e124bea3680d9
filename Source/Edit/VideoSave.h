#pragma once
// Saving an edited movie: the save source feeds the exporter, which encodes
// into a temporary file in the target's folder; only a complete file is
// renamed over the target, so a cancelled or failed save leaves the target
// as it was.
#include <cstdint>
#include <functional>
#include <string>

#include "MovieDescription.h"
#include "ORVParameters.h"
#include "qel/QelTypes.h"

class CORVExport;
class CSource;

enum MovieSaveResult : int32_t { kSaveRunning = 0, kSaveDone = 3, kSaveFailed = 4, kSaveCancelled = 5 };

// Frame snapping of the trim bounds (`step` = time units per frame).
int32_t SnapTrimStart(int32_t start, int32_t step);
int32_t SnapTrimEnd(int32_t end, int32_t step, int32_t duration);
// Time units per frame of a movie described by `v` (0 when it has no length).
int32_t FrameStep(const ORVGF::__VideoDescription& v, int32_t timeScale);
// Snaps the source's bounds to its frames, start first.
void AdjustBothCrop(CSource* source);

// The exporter's settings for the save source, writing to `output`.
bool FillSaveParameters(CSource* source, const std::u16string& output, tagORVParameters* out);

// One save of an opened and bounded save source: the exporter encodes into a
// temporary file beside the target, which is renamed over the target only
// when complete. Main thread; the encoding runs on the exporter's threads.
class MovieSaveTask {
 public:
  MovieSaveTask() = default;
  ~MovieSaveTask();
  MovieSaveTask(const MovieSaveTask&) = delete;
  MovieSaveTask& operator=(const MovieSaveTask&) = delete;

  // False when the save cannot start (Result() is then kSaveFailed).
  bool Start(CSource* source, const std::u16string& target);
  // Looks at the exporter once: kSaveRunning while it encodes, else the
  // result, the target replaced or left alone. `percent` may be null.
  MovieSaveResult Poll(int32_t* percent);
  // Stops the encoding; the next Poll answers kSaveCancelled.
  void Cancel();
  MovieSaveResult Result() const { return m_result; }

 private:
  MovieSaveResult Finish(MovieSaveResult result);
  void CloseTemp();

  CORVExport* m_exporter = nullptr;
  int32_t m_expectedFrames = 0;  // what the source promised for the trimmed part
  std::string m_target, m_temp, m_folder;
  int m_tempFd = -1;  // the temporary file, for its writeback and sync
  MovieSaveResult m_result = kSaveFailed;
};

// The whole save on the calling thread: `poll(percent)` runs about every
// 10 ms; answering false cancels.
MovieSaveResult SaveMovie(CSource* source, const std::u16string& target, const std::function<bool(int32_t)>& poll);
