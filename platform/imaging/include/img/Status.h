#pragma once
// Every call of the library answers a Status; nothing throws.
#include <cstdint>

#ifndef IMG_API
#define IMG_API __attribute__((visibility("default")))
#endif

namespace img {

enum class Status : int32_t {
  kOk = 0,
  kBadArgument,   // null pointer, empty picture, value out of range
  kOpenFailed,    // the file cannot be opened or read
  kUnsupported,   // not a format (or a variant) the library reads
  kCorrupt,       // the data is damaged or truncated
  kTooLarge,      // over the size limits of Bitmap.h
  kNoMemory,
  kAborted,       // the caller's abort callback asked to stop
  kWriteFailed,   // the target folder or disk refused the file
};

IMG_API const char* StatusText(Status s);

}  // namespace img
