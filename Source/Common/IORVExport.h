#pragma once
// The movie exporter (10 slots).
#include <cstdint>

#include "IORVSource.h"

enum _SAVE_STATUS_ : int32_t {
  SAVE_STATUS_IDLE = 0,
  SAVE_STATUS_RUNNING = 1,
  SAVE_STATUS_PAUSED = 2,
  SAVE_STATUS_FINISHED = 3,
  SAVE_STATUS_FAILED = 4,
  SAVE_STATUS_CANCELLED = 5,
};
struct tagORVParameters;

class IORVExport : public IORVUnknown {
 public:
  virtual ORVRESULT Start() = 0;
  virtual ORVRESULT Pause() = 0;
  virtual ORVRESULT Resume() = 0;
  virtual ORVRESULT Cancel() = 0;
  virtual ORVRESULT GetStatus(_SAVE_STATUS_& status, int32_t& percent) = 0;
  virtual ORVRESULT SetSource(IORVSource* source) = 0;
  virtual ORVRESULT SetParameter(tagORVParameters parameters) = 0;

 protected:
  ~IORVExport() = default;
};
