#pragma once
// Which form of the pixel kernels runs. Every form yields the same frame; the
// choice only changes speed. Tests and benchmarks force a form to compare them.

enum class KernelForm { Scalar = 0, SSE2 = 1, AVX2 = 2 };

// The best form this processor supports (AVX2 when present, else SSE2).
KernelForm BestKernelForm();

// The form kernels use now: the forced one if any, else the best.
KernelForm ActiveKernelForm();

// Forces a form (clamped to what the processor supports); returns the form set.
KernelForm ForceKernelForm(KernelForm form);

// Back to the automatic choice.
void ResetKernelForm();

const char* KernelFormName(KernelForm form);
