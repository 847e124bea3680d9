#pragma once
// The decode budget of DecodeOptions, checked by every decoder once it knows
// a picture's size and before it allocates anything of that size: a file of
// a few bytes can declare a picture of gigabytes.
#include "img/ImageFile.h"

namespace img::detail {

// A side of `n` pixels read at 1/r.
inline int32_t ReducedSide(int32_t n, int32_t r) { return (n + r - 1) / r; }

// kOk when a decode giving `out_w` x `out_h` pixels (plus an alpha plane when
// `alpha`) and holding `work` bytes of its own at once fits the caller's
// budget; kTooLarge otherwise (also for sizes over the library's limits).
Status CheckDecodeBudget(const DecodeOptions& opt, int64_t out_w, int64_t out_h, bool alpha,
                         uint64_t work);

}  // namespace img::detail
