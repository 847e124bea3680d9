#pragma once
// Result codes of the component interfaces. A result is a failure when it
// is negative as a signed 32-bit number; callers test only that.
#include <cstdint>

typedef int32_t ORVRESULT;

constexpr ORVRESULT ORV_S_OK = 0;
// Missing host or panel, string not found, out of memory, movie file or
// encode threads not created.
constexpr ORVRESULT ORV_E_FAIL = static_cast<ORVRESULT>(0x80000008u);
// Not implemented; class or interface not served.
constexpr ORVRESULT ORV_E_NOTIMPL = static_cast<ORVRESULT>(0x81500001u);
// A required pointer argument is null.
constexpr ORVRESULT ORV_E_POINTER = static_cast<ORVRESULT>(0x81500002u);
// The host could not create the module's string table.
constexpr ORVRESULT ORV_E_NOSTRINGTABLE = static_cast<ORVRESULT>(0x81500006u);

constexpr bool ORV_FAILED(ORVRESULT r) { return r < 0; }
constexpr bool ORV_SUCCEEDED(ORVRESULT r) { return r >= 0; }
