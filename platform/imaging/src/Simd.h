#pragma once
// Row kernels are built twice, for AVX2 and for the x86-64 baseline, and
// the loader picks one for the machine. A multi-versioned function is
// resolved while the library is being loaded, before ThreadSanitizer has
// started; its instrumented resolver would crash the program then, so
// sanitizer builds keep the one baseline version.
#if defined(__SANITIZE_THREAD__) || !defined(__x86_64__)
#define IMG_ROW_KERNEL
#else
#define IMG_ROW_KERNEL __attribute__((target_clones("avx2", "default")))
#endif
