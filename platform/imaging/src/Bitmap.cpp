#include "img/Bitmap.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "img/Status.h"

namespace img {

size_t CheckedImageBytes(int64_t width, int64_t height, int64_t channels) {
  if (width <= 0 || height <= 0 || channels <= 0 || channels > 4) return 0;
  if (width > kMaxSide || height > kMaxSide) return 0;
  uint64_t pixels = uint64_t(width) * uint64_t(height);
  if (pixels > kMaxPixels) return 0;
  return size_t(pixels) * size_t(channels);
}

namespace detail {

namespace {
// 64-byte aligned, so vector kernels can read whole lines.
uint8_t* AlignedNew(size_t bytes) {
  size_t rounded = (bytes + 63) & ~size_t(63);
  return static_cast<uint8_t*>(std::aligned_alloc(64, rounded + 64));
}
void AlignedFree(uint8_t* p) { std::free(p); }
}  // namespace

bool Pixels::Allocate(int32_t width, int32_t height, int32_t channels) {
  size_t n = CheckedImageBytes(width, height, channels);
  if (n == 0) return false;
  uint8_t* p = AlignedNew(n);
  if (!p) return false;
  buffer_ = std::shared_ptr<uint8_t>(p, AlignedFree);
  width_ = width;
  height_ = height;
  channels_ = channels;
  return true;
}

uint8_t* Pixels::mutable_data() {
  if (buffer_ && buffer_.use_count() > 1) {
    uint8_t* p = AlignedNew(bytes());
    if (!p) throw std::bad_alloc();
    std::memcpy(p, buffer_.get(), bytes());
    buffer_ = std::shared_ptr<uint8_t>(p, AlignedFree);
  }
  return buffer_.get();
}

}  // namespace detail

Bitmap Bitmap::Create(int32_t width, int32_t height) {
  Bitmap b;
  if (!b.p_.Allocate(width, height, 3)) return Bitmap();
  return b;
}

Bitmap Bitmap::Filled(int32_t width, int32_t height, uint8_t fill) {
  Bitmap b = Create(width, height);
  if (!b.empty()) std::memset(b.mutable_data(), fill, b.bytes());
  return b;
}

Plane Plane::Create(int32_t width, int32_t height) {
  Plane p;
  if (!p.p_.Allocate(width, height, 1)) return Plane();
  return p;
}

Plane Plane::Filled(int32_t width, int32_t height, uint8_t fill) {
  Plane p = Create(width, height);
  if (!p.empty()) std::memset(p.mutable_data(), fill, p.stride() * size_t(height));
  return p;
}

const char* StatusText(Status s) {
  switch (s) {
    case Status::kOk: return "ok";
    case Status::kBadArgument: return "bad argument";
    case Status::kOpenFailed: return "cannot open or read the file";
    case Status::kUnsupported: return "unsupported format";
    case Status::kCorrupt: return "damaged or truncated data";
    case Status::kTooLarge: return "picture too large";
    case Status::kNoMemory: return "out of memory";
    case Status::kAborted: return "aborted";
    case Status::kWriteFailed: return "cannot write the file";
  }
  return "unknown";
}

}  // namespace img
