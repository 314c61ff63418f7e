/// \file
/// Inversion of square 2-D arrays: Crout LU decomposition with implicit partial
/// pivoting, then forward and back substitution against the unit vectors.

#include <algorithm>
#include <cmath>
#include <numeric>
#include <utility>

#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraystat_dense.hpp"
#include "qmx/openarrays/arraystat_detail.hpp"

namespace qmx {

using detail::arraystat::I32;

namespace detail::arraystat {

namespace {

/// Column j of the Crout decomposition: subtracts from t (the column) the
/// contributions L(i, k) * U(k, j) of the finished columns k = 0..j-1, four at
/// a time; U(k, j) is final once the columns before k are applied.
__attribute__((always_inline)) inline void ApplyFinishedColumnsBody(const double* m, std::size_t n, std::size_t j,
                                                                    double* t) {
  std::size_t k0 = 0;
  for (; k0 + 4 <= j; k0 += 4) {
    const double* l0 = m + k0 * n;
    const double* l1 = l0 + n;
    const double* l2 = l1 + n;
    const double* l3 = l2 + n;
    t[k0 + 1] -= l0[k0 + 1] * t[k0];
    t[k0 + 2] -= l0[k0 + 2] * t[k0] + l1[k0 + 2] * t[k0 + 1];
    t[k0 + 3] -= l0[k0 + 3] * t[k0] + l1[k0 + 3] * t[k0 + 1] + l2[k0 + 3] * t[k0 + 2];
    const double u0 = t[k0];
    const double u1 = t[k0 + 1];
    const double u2 = t[k0 + 2];
    const double u3 = t[k0 + 3];
    for (std::size_t i = k0 + 4; i < n; ++i) {
      t[i] -= (l0[i] * u0 + l1[i] * u1) + (l2[i] * u2 + l3[i] * u3);
    }
  }
  for (; k0 < j; ++k0) {
    const double* l0 = m + k0 * n;
    const double u0 = t[k0];
    for (std::size_t i = k0 + 1; i < n; ++i) {
      t[i] -= l0[i] * u0;
    }
  }
}

void ApplyFinishedColumnsBase(const double* m, std::size_t n, std::size_t j, double* t) {
  ApplyFinishedColumnsBody(m, n, j, t);
}

#ifdef QMX_ARRAYSTAT_AVX2
__attribute__((target("avx2"))) void ApplyFinishedColumnsAvx2(const double* m, std::size_t n, std::size_t j,
                                                              double* t) {
  ApplyFinishedColumnsBody(m, n, j, t);
}
#endif

void ApplyFinishedColumns(const double* m, std::size_t n, std::size_t j, double* t) {
#ifdef QMX_ARRAYSTAT_AVX2
  if (CpuHasAvx2()) {
    ApplyFinishedColumnsAvx2(m, n, j, t);
    return;
  }
#endif
  ApplyFinishedColumnsBase(m, n, j, t);
}

/// Crout decomposition in place of the column-major n x n matrix: afterwards
/// the strict lower part holds L (unit diagonal implied), the rest U, and
/// perm[i] is the original row now at row i.  Columns are built left to right;
/// the pivot of a column is the candidate with the largest magnitude relative
/// to the largest magnitude of its original row (a later row wins ties).
/// 0, or -3 for a singular matrix or an abort.
I32 CroutDecompose(double* m, std::size_t n, std::vector<std::size_t>& perm) {
  // implicit scaling: the reciprocal of the largest magnitude of every row
  std::vector<double> rowMax(n, 0.0);
  for (std::size_t c = 0; c < n; ++c) {
    const double* col = m + c * n;
    for (std::size_t r = 0; r < n; ++r) {
      rowMax[r] = std::max(rowMax[r], std::fabs(col[r]));
    }
  }
  std::vector<double> scale(n);
  for (std::size_t r = 0; r < n; ++r) {
    if (!(rowMax[r] > 0.0) || !std::isfinite(rowMax[r])) {
      return -3;  // a row of zeros (or a non-finite cell)
    }
    scale[r] = 1.0 / rowMax[r];
  }
  perm.resize(n);
  std::iota(perm.begin(), perm.end(), std::size_t{0});

  for (std::size_t j = 0; j < n; ++j) {
    if (ProgressStep()) {
      return -3;
    }
    double* t = m + j * n;
    ApplyFinishedColumns(m, n, j, t);
    // pivot search among rows j..n-1
    std::size_t p = j;
    double big = 0.0;
    for (std::size_t i = j; i < n; ++i) {
      const double v = std::fabs(t[i]) * scale[i];
      if (v >= big) {
        big = v;
        p = i;
      }
    }
    if (!(big > 0.0) || !std::isfinite(t[p])) {
      return -3;
    }
    if (p != j) {
      for (std::size_t c = 0; c < n; ++c) {
        std::swap(m[c * n + p], m[c * n + j]);
      }
      std::swap(scale[p], scale[j]);
      std::swap(perm[p], perm[j]);
    }
    const double pivot = t[j];
    for (std::size_t i = j + 1; i < n; ++i) {
      t[i] /= pivot;
    }
  }
  return 0;
}

/// Rows per block of the blocked substitution; the updates between blocks are
/// matrix products.
constexpr std::size_t kBlock = 64;

/// Solves the diagonal block ib..ib+nb-1 of the factors for the first cols
/// columns of y: with invDiag null against the unit lower triangle (forward), else against
/// the upper triangle whose reciprocal diagonal invDiag holds (backward).
__attribute__((always_inline)) inline void SolveDiagonalBlockBody(const double* lu, const double* invDiag,
                                                                  std::size_t n, std::size_t ib, std::size_t nb,
                                                                  std::size_t cols, double* y) {
  const std::size_t end = ib + nb;
  for (std::size_t c = 0; c < cols; ++c) {
    double* yc = y + c * n;
    if (invDiag == nullptr) {
      for (std::size_t k = ib; k < end; ++k) {
        const double yk = yc[k];
        if (yk == 0.0) {
          continue;
        }
        const double* lk = lu + k * n;
        for (std::size_t i = k + 1; i < end; ++i) {
          yc[i] -= lk[i] * yk;
        }
      }
    } else {
      for (std::size_t k = end; k-- > ib;) {
        const double yk = yc[k] * invDiag[k];
        yc[k] = yk;
        if (yk == 0.0) {
          continue;
        }
        const double* uk = lu + k * n;
        for (std::size_t i = ib; i < k; ++i) {
          yc[i] -= uk[i] * yk;
        }
      }
    }
  }
}

void SolveDiagonalBlockBase(const double* lu, const double* invDiag, std::size_t n, std::size_t ib, std::size_t nb,
                            std::size_t cols, double* y) {
  SolveDiagonalBlockBody(lu, invDiag, n, ib, nb, cols, y);
}

#ifdef QMX_ARRAYSTAT_AVX2
__attribute__((target("avx2"))) void SolveDiagonalBlockAvx2(const double* lu, const double* invDiag, std::size_t n,
                                                            std::size_t ib, std::size_t nb, std::size_t cols,
                                                            double* y) {
  SolveDiagonalBlockBody(lu, invDiag, n, ib, nb, cols, y);
}
#endif

void SolveDiagonalBlock(const double* lu, const double* invDiag, std::size_t n, std::size_t ib, std::size_t nb,
                        std::size_t cols, double* y) {
#ifdef QMX_ARRAYSTAT_AVX2
  if (CpuHasAvx2()) {
    SolveDiagonalBlockAvx2(lu, invDiag, n, ib, nb, cols, y);
    return;
  }
#endif
  SolveDiagonalBlockBase(lu, invDiag, n, ib, nb, cols, y);
}

/// Y := L^-1 for the unit lower triangle of the factors (column-major n x n
/// lu), block row by block row; y holds the identity on entry.  L^-1 is lower
/// triangular, so block row ib only involves its first ib + nb columns.
void InvertUnitLower(const double* lu, std::size_t n, double* y, std::vector<double>& tmp) {
  for (std::size_t ib = 0; ib < n; ib += kBlock) {
    const std::size_t nb = std::min(kBlock, n - ib);
    if (ib > 0) {
      // Y[ib.., 0..ib) -= L[ib.., 0..ib) * Y[0..ib, 0..ib)
      GemmColMajor(nb, ib, ib, lu + ib, n, y, n, tmp.data(), nb);
      for (std::size_t c = 0; c < ib; ++c) {
        double* yc = y + c * n + ib;
        const double* tc = tmp.data() + c * nb;
        for (std::size_t i = 0; i < nb; ++i) {
          yc[i] -= tc[i];
        }
      }
    }
    SolveDiagonalBlock(lu, nullptr, n, ib, nb, ib + nb, y);
  }
}

/// Y := U^-1 Y for the upper triangle of the factors, block row by block row
/// from the bottom.
void BackSubstitute(const double* lu, std::size_t n, double* y, std::vector<double>& tmp) {
  std::vector<double> invDiag(n);
  for (std::size_t i = 0; i < n; ++i) {
    invDiag[i] = 1.0 / lu[i * n + i];
  }
  const std::size_t blocks = (n + kBlock - 1) / kBlock;
  for (std::size_t b = blocks; b-- > 0;) {
    const std::size_t ib = b * kBlock;
    const std::size_t nb = std::min(kBlock, n - ib);
    const std::size_t below = ib + nb;
    if (below < n) {
      // Y[ib.., :] -= U[ib.., below..n) * Y[below..n, :]
      GemmColMajor(nb, n, n - below, lu + below * n + ib, n, y + below, n, tmp.data(), nb);
      for (std::size_t c = 0; c < n; ++c) {
        double* yc = y + c * n + ib;
        const double* tc = tmp.data() + c * nb;
        for (std::size_t i = 0; i < nb; ++i) {
          yc[i] -= tc[i];
        }
      }
    }
    SolveDiagonalBlock(lu, invDiag.data(), n, ib, nb, n, y);
  }
}

}  // namespace

I32 InvertDense(TDenseMatrix& m) {
  const std::size_t n = m.rows;
  std::vector<std::size_t> perm;
  const I32 rc = CroutDecompose(m.v.data(), n, perm);
  if (rc != 0) {
    return rc;
  }
  // A^-1 = U^-1 L^-1 P: y := L^-1, then y := U^-1 y, then the columns are
  // permuted (column c of P is the unit vector of the row now holding
  // original row c)
  std::vector<double> y(n * n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    y[i * n + i] = 1.0;
  }
  std::vector<double> tmp(std::min(kBlock, n) * n);
  InvertUnitLower(m.v.data(), n, y.data(), tmp);
  BackSubstitute(m.v.data(), n, y.data(), tmp);
  std::vector<double> x(n * n);
  for (std::size_t i = 0; i < n; ++i) {
    std::copy(y.data() + i * n, y.data() + (i + 1) * n, x.data() + perm[i] * n);
  }
  for (const double v : x) {
    if (!std::isfinite(v)) {
      return -3;  // the inverse overflows
    }
  }
  m.v = std::move(x);
  return 0;
}

}  // namespace detail::arraystat

I32 InvertArray(TDouble2DArray& A) {
  if (detail::arraystat::IsEmptyArr(A) || A.size() != A[0].size()) {
    return -1;
  }
  detail::arraystat::TDenseMatrix m;
  if (!detail::arraystat::PackArray(A, m)) {
    return -1;  // rows of unequal length: not a square matrix
  }
  const I32 rc = detail::arraystat::InvertDense(m);
  if (rc == 0) {
    detail::arraystat::UnpackArray(m, A);
  }
  return rc;
}

}  // namespace qmx
