#include "img/Bitmap.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

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

// Large pixel buffers come from the kernel as fresh pages, and touching
// fresh pages costs far more than the pixel work itself (a 12-megapixel
// picture is 9000 page faults; on virtual machines each can take tens of
// microseconds). A photo editor makes and drops one such picture per slider
// step, so released large buffers are kept for the next picture of about
// the same size, up to a few of them; large fresh buffers ask for huge
// pages. The address sanitizer build keeps plain heap blocks so it can check
// every access.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kRecycle = false;
#else
constexpr bool kRecycle = true;
#endif
constexpr size_t kRecycleMin = size_t(1) << 20;     // smaller blocks: the heap
constexpr size_t kHugeAlign = size_t(2) << 20;
constexpr size_t kCacheBytes = size_t(192) << 20;  // kept at most
constexpr size_t kCacheCount = 6;

struct Block {
  uint8_t* p;
  size_t capacity;  // bytes mapped (a multiple of kHugeAlign)
};

class BufferCache {
 public:
  static BufferCache& Get() {
    // Never destroyed: pictures may be released by static destructors.
    static BufferCache* cache = new BufferCache();
    return *cache;
  }

  // A block of at least `bytes`: a kept one that is not much larger, else
  // a new mapping.
  Block Take(size_t bytes) {
    {
      std::lock_guard<std::mutex> g(lock_);
      size_t best = kept_.size();
      for (size_t i = 0; i < kept_.size(); ++i) {
        size_t c = kept_[i].capacity;
        if (c >= bytes && c - bytes <= bytes / 4 + kHugeAlign &&
            (best == kept_.size() || c < kept_[best].capacity)) {
          best = i;
        }
      }
      if (best != kept_.size()) {
        Block b = kept_[best];
        kept_.erase(kept_.begin() + long(best));
        kept_bytes_ -= b.capacity;
        return b;
      }
    }
    return Map(bytes);
  }

  void Give(Block b) {
    std::unique_lock<std::mutex> g(lock_);
    if (b.capacity <= kCacheBytes) {
      // Oldest first out.
      while (!kept_.empty() && (kept_.size() >= kCacheCount || kept_bytes_ + b.capacity > kCacheBytes)) {
        Block old = kept_.front();
        kept_.erase(kept_.begin());
        kept_bytes_ -= old.capacity;
        munmap(old.p, old.capacity);
      }
      kept_.push_back(b);
      kept_bytes_ += b.capacity;
      return;
    }
    g.unlock();
    munmap(b.p, b.capacity);
  }

  void Trim() {
    std::vector<Block> all;
    {
      std::lock_guard<std::mutex> g(lock_);
      all.swap(kept_);
      kept_bytes_ = 0;
    }
    for (const Block& b : all) munmap(b.p, b.capacity);
  }

 private:
  static Block Map(size_t bytes) {
    size_t capacity = (bytes + kHugeAlign - 1) & ~(kHugeAlign - 1);
    // Over-map by one huge page so the block can start on a 2 MB boundary.
    size_t span = capacity + kHugeAlign;
    void* m = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (m == MAP_FAILED) return {nullptr, 0};
    uintptr_t start = reinterpret_cast<uintptr_t>(m);
    uintptr_t aligned = (start + kHugeAlign - 1) & ~uintptr_t(kHugeAlign - 1);
    if (aligned > start) munmap(m, aligned - start);
    uintptr_t end = start + span, used_end = aligned + capacity;
    if (end > used_end) munmap(reinterpret_cast<void*>(used_end), end - used_end);
    madvise(reinterpret_cast<void*>(aligned), capacity, MADV_HUGEPAGE);
    return {reinterpret_cast<uint8_t*>(aligned), capacity};
  }

  std::mutex lock_;
  std::vector<Block> kept_;
  size_t kept_bytes_ = 0;
};

// 64-byte aligned, so vector kernels can read whole lines.
std::shared_ptr<uint8_t> AlignedNew(size_t bytes) {
  if (kRecycle && bytes >= kRecycleMin) {
    Block b = BufferCache::Get().Take(bytes);
    if (!b.p) return nullptr;
    return std::shared_ptr<uint8_t>(b.p, [b](uint8_t*) { BufferCache::Get().Give(b); });
  }
  size_t rounded = (bytes + 63) & ~size_t(63);
  auto* p = static_cast<uint8_t*>(std::aligned_alloc(64, rounded + 64));
  if (!p) return nullptr;
  return std::shared_ptr<uint8_t>(p, [](uint8_t* q) { std::free(q); });
}

}  // namespace

bool Pixels::Allocate(int32_t width, int32_t height, int32_t channels) {
  size_t n = CheckedImageBytes(width, height, channels);
  if (n == 0) return false;
  std::shared_ptr<uint8_t> p = AlignedNew(n);
  if (!p) return false;
  buffer_ = std::move(p);
  width_ = width;
  height_ = height;
  channels_ = channels;
  return true;
}

uint8_t* Pixels::mutable_data() {
  if (buffer_ && buffer_.use_count() > 1) {
    std::shared_ptr<uint8_t> p = AlignedNew(bytes());
    if (!p) throw std::bad_alloc();
    std::memcpy(p.get(), buffer_.get(), bytes());
    buffer_ = std::move(p);
  }
  return buffer_.get();
}

}  // namespace detail

void TrimBufferCache() {
  if (detail::kRecycle) detail::BufferCache::Get().Trim();
}

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
