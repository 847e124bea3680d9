#pragma once
// A test-only interface through which the test plug-in shows its own copies
// of common-library globals.
#include "IORVUnknown.h"

constexpr ORV_GUID IID_ITestProbe = {
    0x1D2C3B4A, 0x5E6F, 0x4A1B, {0x9C, 0x8D, 0x7E, 0x6F, 0x50, 0x41, 0x32, 0x23}};

class ITestProbe : public IORVUnknown {
 public:
  virtual const void* IdentifierAddress() = 0;  // its IID_IORVAction
  virtual const void* AppHelperAddress() = 0;   // its g_AppHelper
  virtual const void* StringTable() = 0;        // what its g_AppHelper holds
  virtual int32_t LiveObjects() = 0;

 protected:
  ~ITestProbe() = default;
};
