/// \file
/// Percentiles of arrays by selection (no interpolation).

#include <algorithm>
#include <cmath>
#include <limits>

#include "qmx/foundation/math1_primitives.hpp"
#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraystat_detail.hpp"

namespace qmx {

using detail::arraystat::I32;

namespace {

/// The k-th smallest value of the scratch copy with k = round-half-even(n * Perc / 100).
double SelectPercentile(double perc, TDoubleArray& work) {
  if (std::isnan(perc)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (work.empty()) {
    return 0.0;
  }
  perc = std::clamp(perc, 0.0, 100.0);
  const auto n = static_cast<I32>(work.size());
  auto k = static_cast<I32>(detail::arraystat::RoundHalfEven(static_cast<double>(n) * perc / 100.0));
  k = std::min(k, n - 1);
  return QuickSelect(std::span<double>(work), k, 0, n - 1);
}

/// Clamps both bounds to 0..len - 1 and orders them.
void ClampAndOrder(I32& lo, I32& hi, I32 len) {
  lo = std::clamp(lo, 0, len - 1);
  hi = std::clamp(hi, 0, len - 1);
  if (lo > hi) {
    std::swap(lo, hi);
  }
}

}  // namespace

double PercentileArray(double Perc, const TDoubleArray& A) {
  TDoubleArray work(A);
  return SelectPercentile(Perc, work);
}

double PercentileArray(double Perc, const TDoubleArray& A, I32 FirstIx, I32 LastIx) {
  if (A.empty()) {
    TDoubleArray none;
    return SelectPercentile(Perc, none);
  }
  ClampAndOrder(FirstIx, LastIx, static_cast<I32>(A.size()));
  TDoubleArray work(A.begin() + FirstIx, A.begin() + LastIx + 1);
  return SelectPercentile(Perc, work);
}

double PercentileArray(double Perc, const TIntArray& A) {
  TDoubleArray work(A.begin(), A.end());
  return SelectPercentile(Perc, work);
}

double PercentileArray(double Perc, const TDouble2DArray& A, I32 Lo1, I32 Lo2, I32 Hi1, I32 Hi2) {
  TDoubleArray work;
  if (!detail::arraystat::IsEmptyArr(A)) {
    const auto len = detail::arraystat::LengthsOf(A);
    ClampAndOrder(Lo1, Hi1, len[0]);
    ClampAndOrder(Lo2, Hi2, len[1]);
    work.reserve(static_cast<std::size_t>(Hi1 - Lo1 + 1) * static_cast<std::size_t>(Hi2 - Lo2 + 1));
    for (I32 c = Lo1; c <= Hi1; ++c) {
      const auto& col = A[static_cast<std::size_t>(c)];
      // a shorter column contributes only the rows it has
      const I32 last = std::min(Hi2, static_cast<I32>(col.size()) - 1);
      for (I32 r = Lo2; r <= last; ++r) {
        work.push_back(col[static_cast<std::size_t>(r)]);
      }
    }
  }
  return SelectPercentile(Perc, work);
}

}  // namespace qmx
