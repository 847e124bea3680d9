#include "Parallel.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace img::detail {

void ParallelFor(int32_t count, uint64_t cost_per_item,
                 const std::function<void(int32_t, int32_t)>& body) {
  if (count <= 0) return;
  constexpr uint64_t kMinWorkPerThread = 256 * 1024;
  unsigned hw = std::max(1u, std::thread::hardware_concurrency());
  uint64_t total = uint64_t(count) * std::max<uint64_t>(cost_per_item, 1);
  int32_t threads = int32_t(std::min<uint64_t>({hw, total / kMinWorkPerThread, uint64_t(count)}));
  if (threads <= 1) {
    body(0, count);
    return;
  }
  std::vector<std::thread> pool;
  pool.reserve(size_t(threads - 1));
  int32_t per = count / threads, extra = count % threads, at = 0;
  int32_t first_end = 0;
  for (int32_t t = 0; t < threads; ++t) {
    int32_t n = per + (t < extra ? 1 : 0);
    if (t == 0) {
      first_end = at + n;
    } else {
      pool.emplace_back(body, at, at + n);
    }
    at += n;
  }
  body(0, first_end);
  for (auto& th : pool) th.join();
}

}  // namespace img::detail
