/// \file
/// Counting cells in a value range, counting true cells, masked sums and sums
/// of squared differences.

#include <algorithm>

#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraystat_detail.hpp"

namespace qmx {

using detail::arraystat::CountInBlock;
using detail::arraystat::I32;

// ---- CountValues (pair order) ----

I32 CountValues(const TDoubleArray& A, I32 FirstIx, I32 LastIx, double LowVal, double HighVal) {
  return CountInBlock(A, {FirstIx}, {LastIx}, LowVal, HighVal);
}
I32 CountValues(const TIntArray& A, I32 FirstIx, I32 LastIx, I32 LowVal, I32 HighVal) {
  return CountInBlock(A, {FirstIx}, {LastIx}, LowVal, HighVal);
}
I32 CountValues(const TDouble2DArray& A, I32 Lo1, I32 Hi1, I32 Lo2, I32 Hi2, double LowVal, double HighVal) {
  return CountInBlock(A, {Lo1, Lo2}, {Hi1, Hi2}, LowVal, HighVal);
}
I32 CountValues(const TInt2DArray& A, I32 Lo1, I32 Hi1, I32 Lo2, I32 Hi2, I32 LowVal, I32 HighVal) {
  return CountInBlock(A, {Lo1, Lo2}, {Hi1, Hi2}, LowVal, HighVal);
}
I32 CountValues(const TDouble3DArray& A, I32 Lo1, I32 Hi1, I32 Lo2, I32 Hi2, I32 Lo3, I32 Hi3, double LowVal,
                double HighVal) {
  return CountInBlock(A, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, LowVal, HighVal);
}
I32 CountValues(const TInt3DArray& A, I32 Lo1, I32 Hi1, I32 Lo2, I32 Hi2, I32 Lo3, I32 Hi3, I32 LowVal, I32 HighVal) {
  return CountInBlock(A, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, LowVal, HighVal);
}
I32 CountValues(const TDouble4DArray& A, I32 Lo1, I32 Hi1, I32 Lo2, I32 Hi2, I32 Lo3, I32 Hi3, I32 Lo4, I32 Hi4,
                double LowVal, double HighVal) {
  return CountInBlock(A, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, LowVal, HighVal);
}
I32 CountValues(const TInt4DArray& A, I32 Lo1, I32 Hi1, I32 Lo2, I32 Hi2, I32 Lo3, I32 Hi3, I32 Lo4, I32 Hi4,
                I32 LowVal, I32 HighVal) {
  return CountInBlock(A, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, LowVal, HighVal);
}

// ---- CountTrueCellsOfArray ----

I32 CountTrueCellsOfArray(const TBoolArray& A) {
  return detail::arraystat::SatInt32(static_cast<std::int64_t>(std::count(A.begin(), A.end(), true)));
}

I32 CountTrueCellsOfArray(const TBool2DArray& A) {
  std::int64_t n = 0;
  for (const auto& col : A) {
    n += std::count(col.begin(), col.end(), true);
  }
  return detail::arraystat::SatInt32(n);
}

I32 CountTrueCellsOfArray(const TBool2DArray& A, I32 Lo1, I32 Hi1, I32 Lo2, I32 Hi2) {
  if (detail::arraystat::IsEmptyArr(A)) {
    return -1;
  }
  const auto len = detail::arraystat::LengthsOf(A);
  std::array<I32, 2> lo{Lo1, Lo2};
  std::array<I32, 2> hi{Hi1, Hi2};
  for (std::size_t d = 0; d < 2; ++d) {
    if (lo[d] == 0 && hi[d] == 0) {
      hi[d] = len[d] - 1;
    }
    if (lo[d] > hi[d]) {
      std::swap(lo[d], hi[d]);
    }
    if (lo[d] < 0 || hi[d] >= len[d]) {
      return -2;
    }
  }
  if (!detail::arraystat::BlockFits(A, lo.data(), hi.data())) {
    return -2;
  }
  std::int64_t n = 0;
  for (I32 c = lo[0]; c <= hi[0]; ++c) {
    const auto& col = A[static_cast<std::size_t>(c)];
    n += std::count(col.begin() + lo[1], col.begin() + hi[1] + 1, true);
  }
  return detail::arraystat::SatInt32(n);
}

// ---- SumArrayMasked ----

I32 SumArrayMasked(const TDouble2DArray& A, const TBool2DArray& Mask, double& Sum) {
  return detail::arraystat::SumMasked(A, Mask, Sum);
}
I32 SumArrayMasked(const TInt2DArray& A, const TBool2DArray& Mask, std::int64_t& Sum) {
  return detail::arraystat::SumMasked(A, Mask, Sum);
}

// ---- SumOfSquaredDiffs ----

namespace {
double SquaredDiffs(const TDoubleArray& a, const TDoubleArray& b) {
  Extended s = 0.0L;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const Extended d = static_cast<Extended>(a[i]) - b[i];
    s += d * d;
  }
  return static_cast<double>(s);
}
}  // namespace

double SumOfSquaredDiffs(const TDoubleArray& A, const TDoubleArray& B) {
  if (A.empty() || B.empty()) {
    return -1.0;
  }
  if (A.size() != B.size()) {
    return -2.0;
  }
  return SquaredDiffs(A, B);
}

double SumOfSquaredDiffs(const TDoubleArray& A, const TDouble2DArray& M, I32 ColIx) {
  if (A.empty() || detail::arraystat::IsEmptyArr(M)) {
    return -1.0;
  }
  if (A.size() != M[0].size()) {
    return -2.0;
  }
  if (ColIx < 0 || static_cast<std::size_t>(ColIx) >= M.size()) {
    return -3.0;
  }
  const auto& col = M[static_cast<std::size_t>(ColIx)];
  if (col.size() != A.size()) {
    return -2.0;  // a column of another length than the first
  }
  return SquaredDiffs(A, col);
}

}  // namespace qmx
