#pragma once
/// \file
/// Private dense-matrix kernels of the array statistics: a contiguous
/// column-major work matrix and the conversions to and from 2-D arrays.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "qmx/foundation/frame.hpp"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
/// Hot kernels are also compiled for AVX2 (without fused multiply-add, so that
/// both versions round alike) and chosen at run time.
#define QMX_ARRAYSTAT_AVX2 1
#endif

namespace qmx::detail::arraystat {

/// True when the processor executes AVX2 instructions (tested once).
bool CpuHasAvx2();

/// A contiguous column-major matrix: element (r, c) at v[c * rows + r], the
/// layout of a 2-D array A[c][r] packed column after column.
struct TDenseMatrix {
  std::size_t rows = 0;
  std::size_t cols = 0;
  std::vector<double> v;

  TDenseMatrix() = default;
  TDenseMatrix(std::size_t r, std::size_t c) : rows(r), cols(c), v(r * c, 0.0) {}
  double& At(std::size_t r, std::size_t c) { return v[c * rows + r]; }
  double At(std::size_t r, std::size_t c) const { return v[c * rows + r]; }
  double* Col(std::size_t c) { return v.data() + c * rows; }
  const double* Col(std::size_t c) const { return v.data() + c * rows; }
};

/// Packs a rectangular, non-empty 2-D array of numbers (converted to double);
/// false for an empty or ragged one.
template <class T>
bool PackArray(const std::vector<std::vector<T>>& a, TDenseMatrix& m) {
  if (a.empty() || a[0].empty()) {
    return false;
  }
  for (const auto& col : a) {
    if (col.size() != a[0].size()) {
      return false;
    }
  }
  m = TDenseMatrix(a[0].size(), a.size());
  for (std::size_t c = 0; c < a.size(); ++c) {
    std::copy(a[c].begin(), a[c].end(), m.Col(c));
  }
  return true;
}
/// Brings the cells of a matrix whose largest magnitude amax lies beyond
/// 2^±500 near 1 by an exact power of two, so that eliminations and
/// rotations neither overflow nor lose digits to underflow; returns the
/// exponent e with original = scaled * 2^e (0: the matrix is left as it is,
/// so ordinary matrices give bit-identical results).
int ScaleToUnitRange(TDenseMatrix& m, double amax);
/// Writes the matrix into a 2-D array of cols columns and rows rows.
void UnpackArray(const TDenseMatrix& m, TDouble2DArray& a);

/// Inverts the square matrix in place (Crout LU with implicit partial pivoting,
/// one progress step per column).  0, or -3 when singular, non-finite or aborted
/// (the matrix then holds intermediate values).
std::int32_t InvertDense(TDenseMatrix& m);

/// C := A * B for column-major operands with leading dimensions (cache-blocked).
/// A is m x k, B is k x n, C is m x n and must not overlap A or B.
void GemmColMajor(std::size_t m, std::size_t n, std::size_t k, const double* a, std::size_t lda, const double* b,
                  std::size_t ldb, double* c, std::size_t ldc);

}  // namespace qmx::detail::arraystat
