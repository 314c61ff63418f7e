/// \file
/// Small matrix operations on 2-D arrays: trace, transpose, column and row
/// normalisation, mean centring, the hat matrix, dot and cross products.

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraystat_detail.hpp"

namespace qmx {

using detail::arraystat::I32;

I32 TraceOfArray(const TDouble2DArray& A, double& Trace) { return detail::arraystat::TraceOf(A, Trace); }
I32 TraceOfArray(const TInt2DArray& A, std::int64_t& Trace) { return detail::arraystat::TraceOf(A, Trace); }

I32 TransposeArray(TDouble2DArray& A) { return detail::arraystat::TransposeOf(A); }
I32 TransposeArray(TInt2DArray& A) { return detail::arraystat::TransposeOf(A); }
I32 TransposeArray(TBool2DArray& A) { return detail::arraystat::TransposeOf(A); }

// ---- normalisation and centring ----

namespace {

/// A norm that a double holds to full precision: dividing by its rounded
/// value is as good as dividing by the 80-bit one.
bool IsOrdinaryNorm(Extended norm) { return norm >= 1e-300L && norm <= 1e300L; }

/// Divides n cells (stride apart) by norm: in doubles for an ordinary norm,
/// else in 80 bits, so that a norm beyond the double range (huge cells) or in
/// its denormal range (tiny cells) is not rounded first.
void DivideByNorm(double* p, std::size_t n, std::size_t stride, Extended norm) {
  if (IsOrdinaryNorm(norm)) {
    const auto d = static_cast<double>(norm);
    for (std::size_t i = 0; i < n; ++i) {
      p[i * stride] /= d;
    }
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      p[i * stride] = static_cast<double>(p[i * stride] / norm);
    }
  }
}

}  // namespace

I32 NormalizeColumns(TDouble2DArray& A) {
  I32 rc = 0;
  for (auto& col : A) {
    Extended s = 0.0L;
    for (const double v : col) {
      s += static_cast<Extended>(v) * v;
    }
    const Extended norm = std::sqrt(s);
    if (norm == 0.0L) {
      rc = -1;
      continue;
    }
    DivideByNorm(col.data(), col.size(), 1, norm);
  }
  return rc;
}

I32 NormalizeRows(TDouble2DArray& A) {
  if (A.empty()) {
    return 0;
  }
  const std::size_t rows = A[0].size();
  std::vector<Extended> sums(rows, 0.0L);
  for (const auto& col : A) {
    const std::size_t nr = std::min(rows, col.size());  // rows beyond the first column's are left alone
    for (std::size_t r = 0; r < nr; ++r) {
      sums[r] += static_cast<Extended>(col[r]) * col[r];
    }
  }
  I32 rc = 0;
  std::vector<Extended> norms(rows);
  for (std::size_t r = 0; r < rows; ++r) {
    norms[r] = std::sqrt(sums[r]);
    if (norms[r] == 0.0L) {
      rc = -1;
      norms[r] = 1.0L;
    }
  }
  bool ordinary = true;
  for (const Extended n : norms) {
    ordinary = ordinary && IsOrdinaryNorm(n);
  }
  for (auto& col : A) {
    const std::size_t nr = std::min(rows, col.size());
    for (std::size_t r = 0; r < nr; ++r) {
      col[r] = ordinary ? col[r] / static_cast<double>(norms[r]) : static_cast<double>(col[r] / norms[r]);
    }
  }
  return rc;
}

void MeanCenterColumnsOfArray(TDouble2DArray& A, TDoubleArray& Means) {
  const bool keep = !Means.empty();
  if (keep) {
    Means.assign(A.size(), 0.0);
  }
  for (std::size_t c = 0; c < A.size(); ++c) {
    auto& col = A[c];
    if (col.empty()) {
      continue;
    }
    const auto mean =
        static_cast<double>(detail::arraystat::SumRun(col.data(), col.size()) / static_cast<Extended>(col.size()));
    for (double& v : col) {
      v -= mean;
    }
    if (keep) {
      Means[c] = mean;
    }
  }
}

void MeanCenterRowsOfArray(TDouble2DArray& A, TDoubleArray& Means) {
  const std::size_t rows = A.empty() ? 0 : A[0].size();
  std::vector<Extended> sums(rows, 0.0L);
  std::vector<std::size_t> counts(rows, 0);
  for (const auto& col : A) {
    const std::size_t nr = std::min(rows, col.size());
    for (std::size_t r = 0; r < nr; ++r) {
      sums[r] += col[r];
      ++counts[r];
    }
  }
  std::vector<double> means(rows);
  for (std::size_t r = 0; r < rows; ++r) {
    means[r] = static_cast<double>(sums[r] / static_cast<Extended>(counts[r]));
  }
  for (auto& col : A) {
    const std::size_t nr = std::min(rows, col.size());
    for (std::size_t r = 0; r < nr; ++r) {
      col[r] -= means[r];
    }
  }
  if (!Means.empty()) {
    Means = std::move(means);
  }
}

// ---- hat matrix ----

I32 CalcHatMatrix(const TDouble2DArray& X, TDouble2DArray& H) {
  if (detail::arraystat::IsEmptyArr(X)) {
    return -1;
  }
  if (!detail::arraystat::IsRectangular(X)) {
    return -2;
  }
  TDouble2DArray xt(X);
  TransposeArray(xt);
  TDouble2DArray xtx;
  I32 rc = MultiplyArrays(xt, X, xtx);
  if (rc != 0) {
    return rc;
  }
  rc = InvertArray(xtx);
  if (rc != 0) {
    return -3;
  }
  TDouble2DArray xInv;
  MultiplyArrays(X, xtx, xInv);
  return MultiplyArrays(xInv, xt, H);
}

// ---- vector products ----

namespace {
__extension__ typedef __int128 TInt128;
}  // namespace

I32 VectorDotProduct(const TDoubleArray& A, const TDoubleArray& B, double& Dot) {
  Dot = 0.0;
  if (A.empty() || B.empty()) {
    return -1;
  }
  if (A.size() != B.size()) {
    return -2;
  }
  Extended s0 = 0.0L;
  Extended s1 = 0.0L;
  std::size_t i = 0;
  for (; i + 1 < A.size(); i += 2) {
    s0 += static_cast<Extended>(A[i]) * B[i];
    s1 += static_cast<Extended>(A[i + 1]) * B[i + 1];
  }
  if (i < A.size()) {
    s0 += static_cast<Extended>(A[i]) * B[i];
  }
  Dot = static_cast<double>(s0 + s1);
  return 0;
}

I32 VectorDotProduct(const TIntArray& A, const TIntArray& B, std::int64_t& Dot) {
  Dot = 0;
  if (A.empty() || B.empty()) {
    return -1;
  }
  if (A.size() != B.size()) {
    return -2;
  }
  TInt128 s = 0;
  for (std::size_t i = 0; i < A.size(); ++i) {
    s += static_cast<std::int64_t>(A[i]) * B[i];
  }
  constexpr TInt128 lo = std::numeric_limits<std::int64_t>::min();
  constexpr TInt128 hi = std::numeric_limits<std::int64_t>::max();
  Dot = static_cast<std::int64_t>(s < lo ? lo : (s > hi ? hi : s));
  return 0;
}

I32 VectorCrossProduct(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C) {
  if (A.empty() || B.empty()) {
    return -1;
  }
  if (A.size() != 3 || B.size() != 3) {
    return -2;
  }
  TDoubleArray c{A[1] * B[2] - A[2] * B[1], A[2] * B[0] - A[0] * B[2], A[0] * B[1] - A[1] * B[0]};
  C = std::move(c);
  return 0;
}

I32 VectorCrossProduct(const TIntArray& A, const TIntArray& B, TIntArray& C) {
  if (A.empty() || B.empty()) {
    return -1;
  }
  if (A.size() != 3 || B.size() != 3) {
    return -2;
  }
  auto cross = [&](std::size_t i, std::size_t j) {
    return detail::arraystat::SatInt32(static_cast<std::int64_t>(A[i]) * B[j] - static_cast<std::int64_t>(A[j]) * B[i]);
  };
  TIntArray c{cross(1, 2), cross(2, 0), cross(0, 1)};
  C = std::move(c);
  return 0;
}

}  // namespace qmx
