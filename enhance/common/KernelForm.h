#pragma once
// Which form of the pixel kernels runs. Every form yields the same frame; the
// choice only changes speed. Tests and benchmarks force a form to compare them.

#include <atomic>

enum class KernelForm { Scalar = 0, SSE2 = 1, AVX2 = 2 };

// The best form this processor supports (AVX2 when present, else SSE2).
KernelForm BestKernelForm();

namespace kernel_form_detail {
// The form in use, -1 until first asked. Read on every kernel call: an inline
// load, the first call settles it.
extern constinit std::atomic<int> g_active;
KernelForm Settle();
}  // namespace kernel_form_detail

// The form kernels use now: the forced one if any, else the best.
inline KernelForm ActiveKernelForm() {
  const int active = kernel_form_detail::g_active.load(std::memory_order_relaxed);
  return active >= 0 ? static_cast<KernelForm>(active) : kernel_form_detail::Settle();
}

// Forces a form (clamped to what the processor supports); returns the form set.
KernelForm ForceKernelForm(KernelForm form);

// Back to the automatic choice.
void ResetKernelForm();

const char* KernelFormName(KernelForm form);
