#pragma once
// Basic types shared by the toolkit layer and everything that calls it.
// Numbers the toolkit keeps as 32-bit stay 32-bit; handles are pointer-sized.
#include <cstddef>
#include <cstdint>

typedef char16_t WCHAR;
typedef int32_t QELRESULT;    // result of every Qel0Inter call
typedef intptr_t QELWPARAM;   // wparam / lparam of Qel0Inter and messages
typedef intptr_t QELLPARAM;

typedef void* QelObject;      // opaque, reference-counted toolkit object
typedef void* WindowRef;      // a toolkit window (CQelWindow underneath)

struct SIZE {
  int32_t cx;
  int32_t cy;
};

struct POINT {
  int32_t x;
  int32_t y;
};

struct SRect32 {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// Marks the toolkit's exported entry points: plug-ins are built with hidden
// visibility, so what they call in libqel must say it is public.
#ifndef QEL_API
#define QEL_API __attribute__((visibility("default")))
#endif
