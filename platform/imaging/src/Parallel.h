#pragma once
// Splits row ranges over the machine's cores. Small jobs stay on the calling
// thread; larger ones go to a pool of worker threads that lives as long as
// the process, so a slider drag does not start threads (and fault in their
// stacks and scratch memory) on every update.
#include <cstdint>
#include <functional>

namespace img::detail {

// Calls body(begin, end) over [0, count) in contiguous pieces. `cost` is a
// rough amount of work per item (bytes touched); jobs below a threshold run
// on one thread. The calling thread takes pieces too; a call from inside a
// piece runs on its own thread (no nesting).
void ParallelFor(int32_t count, uint64_t cost_per_item,
                 const std::function<void(int32_t begin, int32_t end)>& body);

// The number of threads ParallelFor may use (workers and the caller).
int32_t ParallelThreads();

}  // namespace img::detail
