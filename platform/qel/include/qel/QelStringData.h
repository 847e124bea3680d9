#pragma once
// The header that stands before the characters of every CQelStringW buffer,
// and the one shared empty-string data. The empty data lives in libqel so
// that every binary of the process (each with its own copy of the common
// library) agrees on it; it is never freed and its count never changes.
#include "qel/QelTypes.h"

struct CQelStringData {
  int32_t nRefs;         // < 0: locked, never shared
  int32_t nDataLength;   // units, without the terminator
  int32_t nAllocLength;  // units the buffer holds, without the terminator
  WCHAR* data() { return reinterpret_cast<WCHAR*>(this + 1); }
  const WCHAR* data() const { return reinterpret_cast<const WCHAR*>(this + 1); }
};
static_assert(sizeof(CQelStringData) == 12, "header of three 32-bit numbers");

extern "C" QEL_API CQelStringData* QelEmptyStringData();
