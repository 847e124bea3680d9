#pragma once
// A media source that feeds the exporter and the player (12 slots).
#include <cstdint>

#include "IORVUnknown.h"
#include "qel/QelTypes.h"

struct tWAVEFORMATEX;
namespace plat {
struct Offscreen;
}
typedef plat::Offscreen* GWorldPtr;

class IORVSource : public IORVUnknown {
 public:
  virtual ORVRESULT SetFilePath(const WCHAR* path) = 0;
  virtual ORVRESULT GetAudioData(tWAVEFORMATEX* format, int32_t time, uint32_t wanted,
                                 uint32_t* got, unsigned char* buffer) = 0;
  // The frame's offscreen world; null when there is none.
  virtual GWorldPtr GetVideoData(int32_t time, int64_t* start, int64_t* end) = 0;
  virtual ORVRESULT ResetVideoData(GWorldPtr world) = 0;
  virtual ORVRESULT SetEffect(int32_t a, int32_t b) = 0;
  virtual ORVRESULT SetTrimParam(uint32_t start, uint32_t end) = 0;
  virtual ORVRESULT Open() = 0;
  virtual ORVRESULT Close() = 0;
  virtual ORVRESULT GetDuration(int32_t* duration) = 0;

 protected:
  ~IORVSource() = default;
};
