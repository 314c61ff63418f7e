/// \file
/// LU decompositions of square 2-D arrays (without and with row exchanges) and
/// the determinant.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <utility>

#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraystat_dense.hpp"
#include "qmx/openarrays/arraystat_detail.hpp"

namespace qmx {

using detail::arraystat::I32;

namespace {

/// Packs a square, non-empty, finite matrix: -1 empty, -2 not square or ragged,
/// -3 a non-finite cell, else 0.
I32 PackSquare(const TDouble2DArray& A, detail::arraystat::TDenseMatrix& m) {
  if (detail::arraystat::IsEmptyArr(A)) {
    return -1;
  }
  if (A.size() != A[0].size() || !detail::arraystat::PackArray(A, m)) {
    return -2;
  }
  for (const double v : m.v) {
    if (!std::isfinite(v)) {
      return -3;
    }
  }
  return 0;
}

/// Doolittle elimination in place (right-looking, column-major): the strict
/// lower part becomes L (unit diagonal implied), the rest U.  With pivoting the
/// largest magnitude of each column (first occurrence) is moved onto the
/// diagonal, perm[i] is the original row now at row i and sign the parity of the
/// exchanges; a column without a non-zero candidate is skipped.  Without
/// pivoting a zero pivot gives -3.
I32 Doolittle(detail::arraystat::TDenseMatrix& m, bool pivoting, std::vector<std::size_t>& perm, I32& sign) {
  const std::size_t n = m.rows;
  perm.resize(n);
  std::iota(perm.begin(), perm.end(), std::size_t{0});
  sign = 1;
  for (std::size_t j = 0; j < n; ++j) {
    double* cj = m.Col(j);
    if (pivoting) {
      std::size_t p = j;
      for (std::size_t i = j + 1; i < n; ++i) {
        if (std::fabs(cj[i]) > std::fabs(cj[p])) {
          p = i;
        }
      }
      if (p != j) {
        for (std::size_t c = 0; c < n; ++c) {
          std::swap(m.At(p, c), m.At(j, c));
        }
        std::swap(perm[p], perm[j]);
        sign = -sign;
      }
    }
    const double pivot = cj[j];
    if (pivot == 0.0) {
      if (!pivoting) {
        return -3;
      }
      continue;  // the column is zero from the diagonal down: nothing to eliminate
    }
    for (std::size_t i = j + 1; i < n; ++i) {
      cj[i] /= pivot;
    }
    for (std::size_t c = j + 1; c < n; ++c) {
      double* cc = m.Col(c);
      const double u = cc[j];
      if (u == 0.0) {
        continue;
      }
      for (std::size_t i = j + 1; i < n; ++i) {
        cc[i] -= cj[i] * u;
      }
    }
  }
  return 0;
}

/// True when every factor is finite (elimination on huge cells can overflow).
bool FactorsFinite(const detail::arraystat::TDenseMatrix& m) {
  return std::all_of(m.v.begin(), m.v.end(), [](double v) { return std::isfinite(v); });
}

/// Splits the packed factors into L (unit lower) and U (upper) arrays.
void SplitFactors(const detail::arraystat::TDenseMatrix& m, TDouble2DArray& L, TDouble2DArray& U) {
  const std::size_t n = m.rows;
  TDouble2DArray l(n, TDoubleArray(n, 0.0));
  TDouble2DArray u(n, TDoubleArray(n, 0.0));
  for (std::size_t c = 0; c < n; ++c) {
    const double* col = m.Col(c);
    for (std::size_t r = 0; r <= c; ++r) {
      u[c][r] = col[r];
    }
    l[c][c] = 1.0;
    for (std::size_t r = c + 1; r < n; ++r) {
      l[c][r] = col[r];
    }
  }
  L = std::move(l);
  U = std::move(u);
}

}  // namespace

I32 LUdecomposition(const TDouble2DArray& A, TDouble2DArray& L, TDouble2DArray& U) {
  detail::arraystat::TDenseMatrix m;
  I32 rc = PackSquare(A, m);
  if (rc != 0) {
    return rc;
  }
  std::vector<std::size_t> perm;
  I32 sign = 1;
  rc = Doolittle(m, false, perm, sign);
  if (rc == 0 && !FactorsFinite(m)) {
    rc = -3;
  }
  if (rc == 0) {
    SplitFactors(m, L, U);
  }
  return rc;
}

I32 LUPdecomposition(const TDouble2DArray& A, TDouble2DArray& L, TDouble2DArray& U, TInt2DArray& P, I32& Sign) {
  detail::arraystat::TDenseMatrix m;
  const I32 rc = PackSquare(A, m);
  if (rc != 0) {
    return rc;
  }
  std::vector<std::size_t> perm;
  I32 sign = 1;
  Doolittle(m, true, perm, sign);
  if (!FactorsFinite(m)) {
    return -3;
  }
  SplitFactors(m, L, U);
  const std::size_t n = m.rows;
  TInt2DArray p(n, TIntArray(n, 0));
  for (std::size_t r = 0; r < n; ++r) {
    p[perm[r]][r] = 1;
  }
  P = std::move(p);
  Sign = sign;
  return 0;
}

I32 Determinant(const TDouble2DArray& A, double& Det) {
  Det = 0.0;
  detail::arraystat::TDenseMatrix m;
  const I32 rc = PackSquare(A, m);
  if (rc != 0) {
    return rc;
  }
  double amax = 0.0;
  for (const double v : m.v) {
    amax = std::max(amax, std::fabs(v));
  }
  const int shift = detail::arraystat::ScaleToUnitRange(m, amax);
  std::vector<std::size_t> perm;
  I32 sign = 1;
  Doolittle(m, true, perm, sign);
  Extended d = sign;
  for (std::size_t i = 0; i < m.rows; ++i) {
    d *= m.At(i, i);
  }
  // det(A) = det(A / 2^shift) * 2^(n shift); the exponent is bounded so that
  // it fits an int (any bound beyond the extended range gives the same result).
  const auto total =
      std::clamp<std::int64_t>(static_cast<std::int64_t>(shift) * static_cast<std::int64_t>(m.rows), -100000, 100000);
  Det = static_cast<double>(std::ldexp(d, static_cast<int>(total)));
  return 0;
}

}  // namespace qmx
