#pragma once
// Windows-style functions that code written against that interface calls.
// Text is UTF-16 (WCHAR); 32-bit numbers stay 32-bit.
#include <cstdint>

#include "qel/QelTypes.h"

// Code pages of the two conversions; any other number means Mac Roman.
inline constexpr uint32_t CP_WINDOWS_LATIN1 = 0;
inline constexpr uint32_t CP_MAC_ROMAN = 1;
inline constexpr uint32_t CP_UTF8 = 65001;

// Zeroes `count` bytes when count > 0.
void BlockZero(void* block, int32_t count);
// Length in UTF-16 units; 0 for null.
int lstrlenW(const WCHAR* text);
// The next unit (no terminator test).
const WCHAR* CharNextW(const WCHAR* text);
WCHAR* CharNextW(WCHAR* text);
// Atomic counters; answer the new value.
int32_t InterlockedIncrement(int32_t* value);
int32_t InterlockedDecrement(int32_t* value);

// `length` bytes of `text` (-1: up to the terminator) into `out` of
// `outSize` units. outSize 0 asks for the room needed (length + 1). Answers
// the units written with the terminator, or 0 when they do not fit (out is
// then left empty) or the arguments are bad. `flags` is ignored.
int32_t MultiByteToWideChar(uint32_t codePage, uint32_t flags, const char* text, int32_t length, WCHAR* out,
                            int32_t outSize);
// `length` units of `text` (-1: up to the terminator) into `out` of `outSize`
// bytes. outSize 0 asks for the room needed (length x 3 + 3). Answers the
// bytes written with the terminator, or 0 when they do not fit, a character
// has no form in the code page (out is then left empty) or the arguments are
// bad. `flags`, `defaultChar` and `usedDefault` are ignored.
int32_t WideCharToMultiByte(uint32_t codePage, uint32_t flags, const WCHAR* text, int32_t length, char* out,
                            int32_t outSize, const char* defaultChar, int32_t* usedDefault);

// Removes leading and trailing blanks (U+0020 only) in place; answers the
// new length (0 for an empty text).
int TrimStringSpace(WCHAR* text);
