#pragma once
// Helpers of the array copy, fill and transform tests: arrays of a given shape
// with distinct cell values, and random shapes from a test-local generator.

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "qmx/foundation/frame.hpp"

namespace qmx::test {

inline std::mt19937& ShapeRng() {
  static std::mt19937 rng(20240611u);
  return rng;
}

/// A uniform integer in lo..hi from the test-local generator.
inline std::int32_t Pick(std::int32_t lo, std::int32_t hi) {
  return std::uniform_int_distribution<std::int32_t>(lo, hi)(ShapeRng());
}

inline TDoubleArray Make1D(std::size_t n1, double base = 0.0) {
  TDoubleArray a(n1);
  for (std::size_t i = 0; i < n1; ++i) a[i] = base + static_cast<double>(i);
  return a;
}
/// Cell (i, j) holds base + 100 i + j.
inline TDouble2DArray Make2D(std::size_t n1, std::size_t n2, double base = 0.0) {
  TDouble2DArray a(n1, TDoubleArray(n2));
  for (std::size_t i = 0; i < n1; ++i)
    for (std::size_t j = 0; j < n2; ++j) a[i][j] = base + 100.0 * i + j;
  return a;
}
/// Cell (i, j, k) holds base + 10000 i + 100 j + k.
inline TDouble3DArray Make3D(std::size_t n1, std::size_t n2, std::size_t n3, double base = 0.0) {
  TDouble3DArray a(n1, TDouble2DArray(n2, TDoubleArray(n3)));
  for (std::size_t i = 0; i < n1; ++i)
    for (std::size_t j = 0; j < n2; ++j)
      for (std::size_t k = 0; k < n3; ++k) a[i][j][k] = base + 10000.0 * i + 100.0 * j + k;
  return a;
}
/// Cell (i, j, k, l) holds base + 1000000 i + 10000 j + 100 k + l.
inline TDouble4DArray Make4D(std::size_t n1, std::size_t n2, std::size_t n3, std::size_t n4, double base = 0.0) {
  TDouble4DArray a(n1, TDouble3DArray(n2, TDouble2DArray(n3, TDoubleArray(n4))));
  for (std::size_t i = 0; i < n1; ++i)
    for (std::size_t j = 0; j < n2; ++j)
      for (std::size_t k = 0; k < n3; ++k)
        for (std::size_t l = 0; l < n4; ++l) a[i][j][k][l] = base + 1e6 * i + 1e4 * j + 100.0 * k + l;
  return a;
}

inline TInt2DArray ToInt(const TDouble2DArray& a) {
  TInt2DArray b(a.size());
  for (std::size_t i = 0; i < a.size(); ++i)
    for (double v : a[i]) b[i].push_back(static_cast<std::int32_t>(v));
  return b;
}
inline TInt3DArray ToInt(const TDouble3DArray& a) {
  TInt3DArray b;
  for (const auto& s : a) b.push_back(ToInt(s));
  return b;
}
inline TInt4DArray ToInt(const TDouble4DArray& a) {
  TInt4DArray b;
  for (const auto& s : a) b.push_back(ToInt(s));
  return b;
}

}  // namespace qmx::test
