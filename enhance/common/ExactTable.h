#pragma once
// Constant tables typed in by hand. A table declared with its size silently
// fills a short list with zeros; these helpers let the compiler count the
// values instead, so a list one value short or long does not build.
//
//   constexpr auto kWeights = ExactTable<uint8_t, 64>({16, 15, ...});
//   constexpr auto kShape = JoinRows<float, 16, 16>({{0, 0, 1, ...}, ...});

#include <array>
#include <cstddef>

// The values of a braced list of exactly N entries.
template <typename T, std::size_t N, std::size_t Count>
  requires(Count == N)
consteval std::array<T, N> ExactTable(const T (&values)[Count]) {
  std::array<T, N> out{};
  for (std::size_t i = 0; i < N; ++i) out[i] = values[i];
  return out;
}

// One row of a table printed in rows: exactly Width values.
template <typename T, std::size_t Width>
struct ExactRow {
  std::array<T, Width> values{};
  template <typename... V>
    requires(sizeof...(V) == Width)
  consteval ExactRow(V... list) : values{static_cast<T>(list)...} {}  // NOLINT: implicit by design
};

// Rows of exactly Width values each, Rows of them, joined into one table.
template <typename T, std::size_t Width, std::size_t Rows, std::size_t Count>
  requires(Count == Rows)
consteval std::array<T, Width * Rows> JoinRows(const ExactRow<T, Width> (&rows)[Count]) {
  std::array<T, Width * Rows> out{};
  for (std::size_t r = 0; r < Rows; ++r)
    for (std::size_t i = 0; i < Width; ++i) out[r * Width + i] = rows[r].values[i];
  return out;
}
