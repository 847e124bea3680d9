#pragma once
// 16-byte class and interface identifiers, laid out like Windows GUIDs.
// Every binary that links the common library carries its own copy of the
// identifiers (hidden symbols), so they are compared by value, never by
// address.
#include <cstdint>
#include <cstring>

struct ORV_GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};
static_assert(sizeof(ORV_GUID) == 16, "identifiers are 16 bytes");

// Equal when the four 32-bit words are equal (there is no ordering).
inline bool IsEqualORVGUID(const ORV_GUID& a, const ORV_GUID& b) {
  uint32_t wa[4];
  uint32_t wb[4];
  std::memcpy(wa, &a, sizeof wa);
  std::memcpy(wb, &b, sizeof wb);
  for (int i = 0; i < 4; ++i) {
    if (wa[i] != wb[i]) return false;
  }
  return true;
}
inline bool operator==(const ORV_GUID& a, const ORV_GUID& b) { return IsEqualORVGUID(a, b); }
inline bool operator!=(const ORV_GUID& a, const ORV_GUID& b) { return !IsEqualORVGUID(a, b); }

extern const ORV_GUID CLSID_ORVAction;
extern const ORV_GUID IID_IORVAction;
extern const ORV_GUID IID_IORVMainModule;
extern const ORV_GUID IID_IORVUnknown;
extern const ORV_GUID IID_IORVSource;
extern const ORV_GUID IID_IORVPlay;
extern const ORV_GUID IID_IORVExport;
