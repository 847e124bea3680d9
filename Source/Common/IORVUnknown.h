#pragma once
// The base of every component interface: three slots, no destructor.
#include <cstdint>

#include "ORVGuid.h"
#include "ORVResult.h"

class IORVUnknown {
 public:
  virtual int32_t AddRef() = 0;   // the new count
  virtual int32_t Release() = 0;  // the new count; the object is gone at 0
  virtual ORVRESULT QueryInterface(const ORV_GUID& iid, void** out) = 0;

 protected:
  ~IORVUnknown() = default;  // objects go through Release
};
