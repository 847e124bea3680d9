#pragma once
// Runs a kernel under every form the processor has and compares the bytes.

#include <cstdint>
#include <random>
#include <vector>

#include "KernelForm.h"

inline std::vector<KernelForm> AvailableForms() {
  std::vector<KernelForm> forms{KernelForm::Scalar, KernelForm::SSE2};
  if (BestKernelForm() == KernelForm::AVX2) forms.push_back(KernelForm::AVX2);
  return forms;
}

// Exactly the bytes a region of rows needs, so the sanitizer sees any
// access past its end.
inline size_t RegionBytes(int32_t pitch, int32_t rowBytes, int32_t rows) {
  return rows <= 0 ? 0 : static_cast<size_t>(pitch) * (rows - 1) + rowBytes;
}

inline std::vector<uint8_t> RandomBytes(std::mt19937& rng, size_t n) {
  std::vector<uint8_t> v(n);
  for (auto& b : v) b = static_cast<uint8_t>(rng());
  return v;
}

// Smooth samples (neighbours differ by little), so pyramid details stay small.
inline std::vector<uint8_t> SmoothBytes(std::mt19937& rng, int32_t pitch, int32_t width, int32_t height) {
  std::vector<uint8_t> v(RegionBytes(pitch, width, height));
  const int base = static_cast<int>(rng() % 128) + 64;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) v[static_cast<size_t>(y) * pitch + x] = static_cast<uint8_t>(base + (x + 2 * y) % 23 + rng() % 4);
  return v;
}

struct FormGuard {
  ~FormGuard() { ResetKernelForm(); }
};
