#include "KernelForm.h"

#include <atomic>

namespace kernel_form_detail {
constinit std::atomic<int> g_active{-1};
}  // namespace kernel_form_detail

namespace {
using kernel_form_detail::g_active;

// -1: automatic.
std::atomic<int> g_forced{-1};

int Detect() {
  __builtin_cpu_init();
  return static_cast<int>(__builtin_cpu_supports("avx2") ? KernelForm::AVX2 : KernelForm::SSE2);
}

int Best() {
  static const int best = Detect();
  return best;
}

int Refresh() {
  const int forced = g_forced.load(std::memory_order_relaxed);
  const int active = forced < 0 ? Best() : forced;
  g_active.store(active, std::memory_order_relaxed);
  return active;
}
}  // namespace

KernelForm BestKernelForm() { return static_cast<KernelForm>(Best()); }

KernelForm kernel_form_detail::Settle() {
  int active = g_active.load(std::memory_order_relaxed);
  if (active < 0) {
    // First use: a form forced meanwhile has stored itself and wins.
    const int forced = g_forced.load(std::memory_order_relaxed);
    int expected = -1;
    if (!g_active.compare_exchange_strong(expected, forced < 0 ? Best() : forced, std::memory_order_relaxed))
      return static_cast<KernelForm>(expected);
    active = g_active.load(std::memory_order_relaxed);
  }
  return static_cast<KernelForm>(active);
}

KernelForm ForceKernelForm(KernelForm form) {
  if (static_cast<int>(form) > static_cast<int>(BestKernelForm())) form = BestKernelForm();
  g_forced.store(static_cast<int>(form), std::memory_order_relaxed);
  Refresh();
  return form;
}

void ResetKernelForm() {
  g_forced.store(-1, std::memory_order_relaxed);
  Refresh();
}

const char* KernelFormName(KernelForm form) {
  switch (form) {
    case KernelForm::Scalar: return "scalar";
    case KernelForm::SSE2: return "sse2";
    case KernelForm::AVX2: return "avx2";
  }
  return "?";
}
