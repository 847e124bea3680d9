#pragma once
// Splits row ranges over the machine's cores. Small jobs stay on the calling
// thread; the workers are plain std::threads joined before returning.
#include <cstdint>
#include <functional>

namespace img::detail {

// Calls body(begin, end) over [0, count) in contiguous pieces. `cost` is a
// rough amount of work per item (bytes touched); jobs below a threshold run
// on one thread.
void ParallelFor(int32_t count, uint64_t cost_per_item,
                 const std::function<void(int32_t begin, int32_t end)>& body);

}  // namespace img::detail
