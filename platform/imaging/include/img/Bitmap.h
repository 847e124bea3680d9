#pragma once
// Pixels in memory: a 24-bit picture (B, G, R bytes, rows top-down, no row
// padding) and an 8-bit plane (masks, alpha). Copies share their pixels;
// the first write through a copy gives it its own buffer (copy on write), so
// undo steps and layers can hold the same photo without copying it.
#include <cstddef>
#include <cstdint>
#include <memory>

#ifndef IMG_API
#define IMG_API __attribute__((visibility("default")))
#endif

namespace img {

// Limits every allocation of the library checks before it allocates.
inline constexpr int32_t kMaxSide = 65535;
inline constexpr uint64_t kMaxPixels = uint64_t(1) << 28;  // 268 megapixels

// Bytes for width x height x channels, or 0 when the size is empty, over a
// limit or would overflow.
IMG_API size_t CheckedImageBytes(int64_t width, int64_t height, int64_t channels);

// Large pixel buffers of released pictures are kept for the next picture of
// about the same size (a few, under 200 MB); this gives them back to the
// system, for a program leaving its editor.
IMG_API void TrimBufferCache();

namespace detail {
// One pixel buffer with a channel count; shared between copies.
class IMG_API Pixels {
 public:
  Pixels() = default;
  bool Allocate(int32_t width, int32_t height, int32_t channels);  // contents undefined
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  int32_t channels() const { return channels_; }
  size_t stride() const { return size_t(width_) * size_t(channels_); }
  size_t bytes() const { return stride() * size_t(height_); }
  bool empty() const { return !buffer_; }
  const uint8_t* data() const { return buffer_.get(); }
  uint8_t* mutable_data();  // detaches a shared buffer first
  bool Shares(const Pixels& o) const { return buffer_ && buffer_ == o.buffer_; }
  long use_count() const { return buffer_.use_count(); }

 private:
  std::shared_ptr<uint8_t> buffer_;
  int32_t width_ = 0, height_ = 0, channels_ = 0;
};
}  // namespace detail

// B, G, R bytes per pixel.
class IMG_API Bitmap {
 public:
  Bitmap() = default;
  // An uninitialised picture; empty when the size is refused or memory is short.
  static Bitmap Create(int32_t width, int32_t height);
  // The same, every byte set to `fill`.
  static Bitmap Filled(int32_t width, int32_t height, uint8_t fill);

  bool empty() const { return p_.empty(); }
  int32_t width() const { return p_.width(); }
  int32_t height() const { return p_.height(); }
  size_t stride() const { return p_.stride(); }
  size_t bytes() const { return p_.bytes(); }
  const uint8_t* data() const { return p_.data(); }
  const uint8_t* row(int32_t y) const { return p_.data() + size_t(y) * p_.stride(); }
  uint8_t* mutable_data() { return p_.mutable_data(); }
  uint8_t* mutable_row(int32_t y) { return mutable_data() + size_t(y) * p_.stride(); }
  bool SharesPixelsWith(const Bitmap& o) const { return p_.Shares(o.p_); }
  // Another copy holds the same pixels (a write would detach).
  bool IsShared() const { return p_.use_count() > 1; }

 private:
  detail::Pixels p_;
};

// One byte per pixel.
class IMG_API Plane {
 public:
  Plane() = default;
  static Plane Create(int32_t width, int32_t height);
  static Plane Filled(int32_t width, int32_t height, uint8_t fill);

  bool empty() const { return p_.empty(); }
  int32_t width() const { return p_.width(); }
  int32_t height() const { return p_.height(); }
  size_t stride() const { return p_.stride(); }
  const uint8_t* data() const { return p_.data(); }
  const uint8_t* row(int32_t y) const { return p_.data() + size_t(y) * p_.stride(); }
  uint8_t* mutable_data() { return p_.mutable_data(); }
  uint8_t* mutable_row(int32_t y) { return mutable_data() + size_t(y) * p_.stride(); }
  bool SharesPixelsWith(const Plane& o) const { return p_.Shares(o.p_); }

 private:
  detail::Pixels p_;
};

}  // namespace img
