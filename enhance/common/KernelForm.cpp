#include "KernelForm.h"

#include <atomic>

namespace {
// -1: automatic.
std::atomic<int> g_forced{-1};
}  // namespace

KernelForm BestKernelForm() {
  static const KernelForm best = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? KernelForm::AVX2 : KernelForm::SSE2;
  }();
  return best;
}

KernelForm ActiveKernelForm() {
  int forced = g_forced.load(std::memory_order_relaxed);
  return forced < 0 ? BestKernelForm() : static_cast<KernelForm>(forced);
}

KernelForm ForceKernelForm(KernelForm form) {
  if (static_cast<int>(form) > static_cast<int>(BestKernelForm())) form = BestKernelForm();
  g_forced.store(static_cast<int>(form), std::memory_order_relaxed);
  return form;
}

void ResetKernelForm() { g_forced.store(-1, std::memory_order_relaxed); }

const char* KernelFormName(KernelForm form) {
  switch (form) {
    case KernelForm::Scalar: return "scalar";
    case KernelForm::SSE2: return "sse2";
    case KernelForm::AVX2: return "avx2";
  }
  return "?";
}
