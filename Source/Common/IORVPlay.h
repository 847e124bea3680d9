#pragma once
// The edit plug-in's movie player (13 slots). The player's states belong to
// it; the enumeration is only named here.
#include <cstdint>

#include "IORVSource.h"

enum _PLAY_STATUS_ : int32_t;
typedef void* ControlRef;

class IORVPlay : public IORVUnknown {
 public:
  virtual ORVRESULT SetWindow(ControlRef control) = 0;
  virtual ORVRESULT SetTrimParam(uint32_t start, uint32_t end) = 0;
  virtual ORVRESULT Start() = 0;
  virtual ORVRESULT Pause() = 0;
  virtual ORVRESULT Resume() = 0;
  virtual ORVRESULT Cancel() = 0;
  virtual ORVRESULT GetStatus(_PLAY_STATUS_& status, int32_t& position) = 0;
  virtual ORVRESULT SetSource(IORVSource* source) = 0;
  virtual ORVRESULT SetVolume(uint32_t volume) = 0;
  virtual ORVRESULT Seek(int32_t position) = 0;

 protected:
  ~IORVPlay() = default;
};
