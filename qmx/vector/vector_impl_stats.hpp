#pragma once
// Member definitions of the shared vector template: extremes, sums, means,
// order statistics, moments, products and searches.  Included only by
// vector_base.cpp.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/math1_primitives.hpp"
#include "qmx/vector/vector_impl_core.hpp"

namespace qmx::detail {

namespace vecimpl {

/// Σ p[i] in four interleaved 64-bit partial sums.
template <class T>
double SumOf(const T* p, std::size_t n) {
  double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    s0 += static_cast<double>(p[i]);
    s1 += static_cast<double>(p[i + 1]);
    s2 += static_cast<double>(p[i + 2]);
    s3 += static_cast<double>(p[i + 3]);
  }
  for (; i < n; ++i) {
    s0 += static_cast<double>(p[i]);
  }
  return (s0 + s1) + (s2 + s3);
}

/// Σ p[i] and Σ p[i]² in four interleaved 64-bit partial sums each.
template <class T>
void SumAndSquares(const T* p, std::size_t n, double& Sum, double& SumSq) {
  double s[4] = {0.0, 0.0, 0.0, 0.0};
  double q[4] = {0.0, 0.0, 0.0, 0.0};
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    for (std::size_t l = 0; l < 4; ++l) {
      const auto x = static_cast<double>(p[i + l]);
      s[l] += x;
      q[l] += x * x;
    }
  }
  for (; i < n; ++i) {
    const auto x = static_cast<double>(p[i]);
    s[0] += x;
    q[0] += x * x;
  }
  Sum = (s[0] + s[1]) + (s[2] + s[3]);
  SumSq = (q[0] + q[1]) + (q[2] + q[3]);
}

/// |a - b| as a double, computed without overflow for integers; 0 for equal
/// values (also two equal infinities).
template <class T>
double Distance(T a, T b) {
  if constexpr (std::is_integral_v<T>) {
    return static_cast<double>(std::llabs(static_cast<long long>(a) - static_cast<long long>(b)));
  } else {
    return a == b ? 0.0 : std::fabs(a - b);
  }
}

template <class T>
bool HasNaN(std::span<const T> v) {
  if constexpr (std::is_floating_point_v<T>) {
    return std::any_of(v.begin(), v.end(), [](T x) { return x != x; });
  } else {
    (void)v;
    return false;
  }
}

/// Sorts ascending: `std::sort` when every value is ordered, else the
/// library's comb sort, which leaves NaN values where they are.
template <class T>
void SortAscending(std::vector<T>& v) {
  if (HasNaN<T>(v)) {
    SortArray(std::span<T>(v), true);
  } else {
    std::sort(v.begin(), v.end());
  }
}

}  // namespace vecimpl

template <class T, class D>
void TVectorBase<T, D>::MinMax(std::int32_t LoIx, std::int32_t HiIx, T& MinVal, T& MaxVal, std::int32_t& MinIx,
                               std::int32_t& MaxIx) const {
  std::size_t first = 0;
  std::size_t count = 0;
  ValidRange(LoIx, HiIx, first, count);
  if constexpr (std::is_integral_v<T>) {
    MinVal = 2147483647;
    MaxVal = -2147483647;
  } else {
    MinVal = 1.7e308;
    MaxVal = -1.7e308;
  }
  MinIx = 0;
  MaxIx = 0;
  const T* d = data_.data();
  std::size_t i = first;
  const std::size_t end = first + count;
  while (i < end && IsNaNValue(d[i])) {
    ++i;
  }
  if (i == end) {
    return;
  }
  T mn = d[i];
  T mx = d[i];
  std::size_t mnIx = i;
  std::size_t mxIx = i;
  for (++i; i < end; ++i) {
    const T v = d[i];
    if (v < mn) {
      mn = v;
      mnIx = i;
    }
    if (v > mx) {
      mx = v;
      mxIx = i;
    }
  }
  MinVal = mn;
  MaxVal = mx;
  MinIx = static_cast<std::int32_t>(mnIx + 1);
  MaxIx = static_cast<std::int32_t>(mxIx + 1);
}

template <class T, class D>
void TVectorBase<T, D>::MinMax(std::int32_t LoIx, std::int32_t HiIx, T& MinVal, T& MaxVal) const {
  std::int32_t minIx = 0;
  std::int32_t maxIx = 0;
  MinMax(LoIx, HiIx, MinVal, MaxVal, minIx, maxIx);
}

template <class T, class D>
double TVectorBase<T, D>::Sum(std::int32_t LoIx, std::int32_t HiIx) const {
  std::size_t first = 0;
  std::size_t count = 0;
  ValidRange(LoIx, HiIx, first, count);
  return vecimpl::SumOf(data_.data() + first, count);
}

template <class T, class D>
void TVectorBase<T, D>::MeanVar(std::int32_t LoIx, std::int32_t HiIx, double& Mean, double& Variance) const {
  std::size_t first = 0;
  std::size_t count = 0;
  ValidRange(LoIx, HiIx, first, count);
  double sum = 0.0;
  double sumSq = 0.0;
  vecimpl::SumAndSquares(data_.data() + first, count, sum, sumSq);
  const auto n = static_cast<double>(count);
  if constexpr (std::is_floating_point_v<T>) {
    if (!std::isfinite(sum) || !SumOfSquaresSafe(sumSq)) {
      // A sum overflowed or squares underflowed: two passes in 80 bits.
      const T* d = data_.data() + first;
      Extended m = 0.0L;
      for (std::size_t i = 0; i < count; ++i) {
        m += static_cast<Extended>(d[i]);
      }
      m /= static_cast<Extended>(count);
      Extended dev = 0.0L;
      for (std::size_t i = 0; i < count; ++i) {
        const Extended e = static_cast<Extended>(d[i]) - m;
        dev += e * e;
      }
      Mean = static_cast<double>(m);
      Variance = count < 3 ? 1.0 : static_cast<double>(dev / static_cast<Extended>(count - 1));
      return;
    }
  }
  Mean = sum / n;
  if (count < 3) {
    Variance = 1.0;
  } else {
    Variance = (sumSq - sum * sum / n) / (n - 1.0);
    if (Variance < 0.0) {
      Variance = 0.0;
    }
  }
}

template <class T, class D>
double TVectorBase<T, D>::GeometricMean(std::int32_t LoIx, std::int32_t HiIx) const {
  std::size_t first = 0;
  std::size_t count = 0;
  ValidRange(LoIx, HiIx, first, count);
  double sum = 0.0;
  bool zero = false;
  for (std::size_t i = first; i < first + count; ++i) {
    const T v = data_[i];
    if (v < 0) {
      RaiseComponentError<EQMXVectorError>(this, kMsgNegGeometricMean);
    }
    if (v == 0) {
      zero = true;
    } else {
      sum += std::log(static_cast<double>(v));  // NaN elements make the result NaN
    }
  }
  return zero ? 0.0 : std::exp(sum / static_cast<double>(count));
}

template <class T, class D>
double TVectorBase<T, D>::HarmonicMean(std::int32_t LoIx, std::int32_t HiIx) const {
  std::size_t first = 0;
  std::size_t count = 0;
  ValidRange(LoIx, HiIx, first, count);
  Extended sum = 0.0L;  // reciprocals of denormals overflow a double
  for (std::size_t i = first; i < first + count; ++i) {
    const T v = data_[i];
    if (v <= 0) {
      RaiseComponentError<EQMXVectorError>(this, kMsgNonPosHarmonicMean);
    }
    sum += 1.0L / static_cast<Extended>(v);
  }
  return static_cast<double>(static_cast<Extended>(count) / sum);
}

template <class T, class D>
T TVectorBase<T, D>::Mode(std::int32_t LoIx, std::int32_t HiIx) const {
  std::vector<T> s = RangeCopy(LoIx, HiIx);
  if constexpr (std::is_floating_point_v<T>) {
    // NaN elements are no values to count; a range of NaN only gives NaN.
    const auto numbers = std::remove_if(s.begin(), s.end(), [](T x) { return x != x; });
    if (numbers == s.begin()) {
      return s[0];
    }
    s.erase(numbers, s.end());
  }
  SortArray(std::span<T>(s), true);
  std::size_t best = 0;
  std::size_t run = 0;
  std::size_t pos = 0;
  for (std::size_t k = 1; k < s.size(); ++k) {
    run = (s[k] == s[k - 1]) ? run + 1 : 0;
    if (run > best) {
      best = run;
      pos = k;
    }
  }
  return s[pos];
}

template <class T, class D>
double TVectorBase<T, D>::Percentile(double Perc, std::int32_t LoIx, std::int32_t HiIx) const {
  if (std::isnan(Perc)) {
    return kVecNaN;
  }
  Perc = std::clamp(Perc, 0.0, 100.0);
  std::vector<T> s = RangeCopy(LoIx, HiIx);
  const std::size_t n = s.size();
  std::size_t k = n - 1;
  double f = 0.0;
  if (n > 1 && Perc < 100.0) {
    const double pos = static_cast<double>(n - 1) * Perc / 100.0;
    k = static_cast<std::size_t>(pos);
    f = pos - static_cast<double>(k);
    if (k >= n - 1) {
      k = n - 1;
      f = 0.0;
    }
  }
  if (vecimpl::HasNaN<T>(s)) {
    SortArray(std::span<T>(s), true);
    return Lerp(static_cast<double>(s[k]), f == 0.0 ? 0.0 : static_cast<double>(s[k + 1]), f);
  }
  // Only the ranks k and k + 1 of the sorted copy are needed.
  const auto kth = s.begin() + static_cast<std::ptrdiff_t>(k);
  std::nth_element(s.begin(), kth, s.end());
  if (f == 0.0) {
    return static_cast<double>(*kth);
  }
  const T next = *std::min_element(kth + 1, s.end());
  return Lerp(static_cast<double>(*kth), static_cast<double>(next), f);
}

template <class T, class D>
bool TVectorBase<T, D>::Quartiles(std::int32_t LoIx, std::int32_t HiIx, double& Q1, double& Q2, double& Q3) const {
  Q1 = Q2 = Q3 = 0.0;
  std::vector<T> x = RangeCopy(LoIx, HiIx);
  vecimpl::SortAscending(x);
  const std::size_t n = x.size();
  auto quartile = [&x, n](double p) {
    if (n == 1) {
      return static_cast<double>(x[0]);
    }
    const double pos = static_cast<double>(n + 1) * p;
    const auto k = static_cast<std::size_t>(pos);
    const double f = pos - static_cast<double>(k);
    if (k == 0) {
      return static_cast<double>(x[0]);
    }
    if (k >= n) {
      return static_cast<double>(x[n - 1]);
    }
    return Lerp(static_cast<double>(x[k - 1]), static_cast<double>(x[k]), f);
  };
  Q1 = quartile(0.25);
  Q2 = quartile(0.5);
  Q3 = quartile(0.75);
  return true;
}

template <class T, class D>
void TVectorBase<T, D>::SkewKurtIntern(std::int32_t LoIx, std::int32_t HiIx, double& Skewness, double& Kurtosis,
                                       std::int32_t& NumData) const {
  Skewness = 0.0;
  Kurtosis = 0.0;
  std::size_t first = 0;
  std::size_t count = 0;
  ValidRange(LoIx, HiIx, first, count);
  NumData = static_cast<std::int32_t>(count);
  if (count <= 3) {
    return;
  }
  const T* d = data_.data() + first;
  const auto n = static_cast<Extended>(count);
  Extended mean = 0.0L;
  for (std::size_t i = 0; i < count; ++i) {
    mean += static_cast<Extended>(d[i]);
  }
  mean /= n;
  Extended s1 = 0.0L;
  Extended s2 = 0.0L;
  Extended s3 = 0.0L;  // third and fourth powers of huge deviations overflow a double
  Extended s4 = 0.0L;
  for (std::size_t i = 0; i < count; ++i) {
    const Extended dev = static_cast<Extended>(d[i]) - mean;
    const Extended dev2 = dev * dev;
    s1 += dev;
    s2 += dev2;
    s3 += dev2 * dev;
    s4 += dev2 * dev2;
  }
  Extended var = (s2 - s1 * s1 / n) / (n - 1.0L);
  if (var < 0.0L) {
    var = 0.0L;
  }
  const Extended s = std::sqrt(var);
  if (s != 0.0L) {
    Skewness = static_cast<double>((s3 / n) / (s * s * s));
    Kurtosis = static_cast<double>((s4 / n) / (s * s * s * s) - 3.0L);
  } else {
    Skewness = static_cast<double>(s3);
    Kurtosis = static_cast<double>(s4);
  }
}

template <class T, class D>
void TVectorBase<T, D>::SkewKurt(std::int32_t LoIx, std::int32_t HiIx, double& Skewness, double& Kurtosis) const {
  std::int32_t numData = 0;
  SkewKurtIntern(LoIx, HiIx, Skewness, Kurtosis, numData);
}

template <class T, class D>
void TVectorBase<T, D>::SkewKurtSample(std::int32_t LoIx, std::int32_t HiIx, double& Skewness,
                                       double& Kurtosis) const {
  std::int32_t numData = 0;
  SkewKurtIntern(LoIx, HiIx, Skewness, Kurtosis, numData);
  if (numData <= 3) {
    Skewness = 0.0;
    Kurtosis = 0.0;
    return;
  }
  const auto n = static_cast<double>(numData);
  const double g1 = Skewness;
  const double g2 = Kurtosis;
  const double d23 = (n - 2.0) * (n - 3.0);
  Kurtosis = ((g2 + 3.0) * n * n * (n + 1.0) / (n - 1.0)) / d23 - 3.0 * (n - 1.0) * (n - 1.0) / d23;
  Skewness = n * g1 * n / (n - 1.0) / (n - 2.0);
}

template <class T, class D>
double TVectorBase<T, D>::CalcVecLeng() const {
  double sum = 0.0;
  double sumSq = 0.0;
  vecimpl::SumAndSquares(data_.data(), data_.size(), sum, sumSq);
  if (std::is_floating_point_v<T> && !SumOfSquaresSafe(sumSq)) {
    return static_cast<double>(std::sqrt(SumOfSquaresExt(data_.data(), data_.size())));
  }
  return std::sqrt(sumSq);
}

template <class T, class D>
double TVectorBase<T, D>::DotProduct(const D* V) const {
  if (V == nullptr) {
    return 0.0;
  }
  const TVectorBase& v = *V;
  if (v.NrOfElem() != NrOfElem()) {
    RaiseComponentError<EQMXVectorError>(this, kMsgVectorsDiffDims);
  }
  double s[4] = {0.0, 0.0, 0.0, 0.0};
  const std::size_t n = data_.size();
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    for (std::size_t l = 0; l < 4; ++l) {
      s[l] += static_cast<double>(data_[i + l]) * static_cast<double>(v.data_[i + l]);
    }
  }
  for (; i < n; ++i) {
    s[0] += static_cast<double>(data_[i]) * static_cast<double>(v.data_[i]);
  }
  return (s[0] + s[1]) + (s[2] + s[3]);
}

template <class T, class D>
double TVectorBase<T, D>::EuclideanDistance(const D* V) const {
  if (V == nullptr || V->NrOfElem() != NrOfElem()) {
    throw EQMXVectorError("EuclideanDistance: dimensions of vectors do not match");
  }
  const TVectorBase& v = *V;
  double sum = 0.0;
  for (std::size_t i = 0, n = data_.size(); i < n; ++i) {
    const double diff = vecimpl::Distance(data_[i], v.data_[i]);
    sum += diff * diff;
  }
  if (std::is_floating_point_v<T> && !SumOfSquaresSafe(sum)) {
    // Huge or tiny differences: again in 80 bits (differences included).
    Extended ext = 0.0L;
    for (std::size_t i = 0, n = data_.size(); i < n; ++i) {
      const Extended diff = data_[i] == v.data_[i] ? 0.0L : static_cast<Extended>(data_[i]) - v.data_[i];
      ext += diff * diff;
    }
    return static_cast<double>(std::sqrt(ext));
  }
  return std::sqrt(sum);
}

template <class T, class D>
double TVectorBase<T, D>::PearsonCorrCoeff(const D* V) const {
  if (V == nullptr || V->NrOfElem() != NrOfElem() || NrOfElem() <= 1) {
    return 0.0;
  }
  const TVectorBase& v = *V;
  double sx = 0.0, sy = 0.0, sxx = 0.0, syy = 0.0, sxy = 0.0;
  for (std::size_t i = 0, n = data_.size(); i < n; ++i) {
    const auto x = static_cast<double>(data_[i]);
    const auto y = static_cast<double>(v.data_[i]);
    sx += x;
    sy += y;
    sxx += x * x;
    syy += y * y;
    sxy += x * y;
  }
  if (std::is_floating_point_v<T> && !(SumOfSquaresSafe(sxx) && SumOfSquaresSafe(syy) && std::isfinite(sxy))) {
    // Squares overflowed or underflowed in 64 bits: the same sums in 80 bits.
    Extended ex = 0.0L, ey = 0.0L, exx = 0.0L, eyy = 0.0L, exy = 0.0L;
    for (std::size_t i = 0, n = data_.size(); i < n; ++i) {
      const auto x = static_cast<Extended>(data_[i]);
      const auto y = static_cast<Extended>(v.data_[i]);
      ex += x;
      ey += y;
      exx += x * x;
      eyy += y * y;
      exy += x * y;
    }
    if (!(exx > 0.0L && eyy > 0.0L)) {
      return 0.0;
    }
    const auto n = static_cast<Extended>(data_.size());
    const Extended qx = exx - ex * ex / n;
    const Extended qy = eyy - ey * ey / n;
    if (qx == 0.0L || qy == 0.0L) {
      return 0.0;
    }
    return static_cast<double>((exy - ex * ey / n) / std::sqrt(std::fabs(qx * qy)));
  }
  if (!(sxx > 0.0 && syy > 0.0)) {
    return 0.0;
  }
  const auto n = static_cast<double>(data_.size());
  const double qx = sxx - sx * sx / n;
  const double qy = syy - sy * sy / n;
  if (qx == 0.0 || qy == 0.0) {
    return 0.0;
  }
  return (sxy - sx * sy / n) / std::sqrt(std::fabs(qx * qy));
}

template <class T, class D>
double TVectorBase<T, D>::Correlate(const D* V, std::int32_t Lag) const {
  if (V == nullptr) {
    return 0.0;
  }
  const TVectorBase& v = *V;
  const std::int64_t lo = std::max<std::int64_t>(1, static_cast<std::int64_t>(Lag) + 1);
  const std::int64_t hi = std::min<std::int64_t>(NrOfElem(), static_cast<std::int64_t>(v.NrOfElem()) + Lag);
  if (lo >= hi) {
    return 0.0;
  }
  double sum = 0.0;
  for (std::int64_t i = lo; i <= hi; ++i) {
    sum += static_cast<double>(data_[static_cast<std::size_t>(i - 1)]) *
           static_cast<double>(v.data_[static_cast<std::size_t>(i - Lag - 1)]);
  }
  return sum;
}

template <class T, class D>
bool TVectorBase<T, D>::IsDichotomous(T& Val1, T& Val2) const {
  Val1 = T{};
  Val2 = T{};
  const std::size_t n = data_.size();
  if (n < 2) {
    return false;
  }
  Val1 = Val2 = data_[0];
  std::size_t i = 0;  // 0-based position of element i + 1
  while (i + 1 < n && data_[i] == Val1) {
    ++i;
  }
  if (data_[i] != Val1) {
    Val2 = data_[i];
  }
  while (i + 1 < n) {
    ++i;
    if (data_[i] != Val1 && data_[i] != Val2) {
      return false;
    }
  }
  return true;
}

template <class T, class D>
std::int32_t TVectorBase<T, D>::Find(std::int32_t LoIx, std::int32_t HiIx, T Value) const {
  std::size_t first = 0;
  std::size_t count = 0;
  ValidRange(LoIx, HiIx, first, count);
  auto best = static_cast<double>(uc_MaxDouble);
  std::int32_t ix = 0;
  for (std::size_t i = first; i < first + count; ++i) {
    const double dist = vecimpl::Distance(data_[i], Value);
    if (dist < best) {
      best = dist;
      ix = static_cast<std::int32_t>(i + 1);
    }
  }
  return ix;
}

template <class T, class D>
std::int32_t TVectorBase<T, D>::FindExact(std::int32_t LoIx, std::int32_t HiIx, T Value) const {
  std::size_t first = 0;
  std::size_t count = 0;
  ValidRange(LoIx, HiIx, first, count);
  for (std::size_t i = first; i < first + count; ++i) {
    if (data_[i] == Value) {
      return static_cast<std::int32_t>(i + 1);
    }
  }
  return 0;
}

template <class T, class D>
std::int32_t TVectorBase<T, D>::FindInSortedVector(bool Ascending, T Value) const {
  std::int32_t lo = 1;
  std::int32_t hi = NrOfElem();
  while (hi - lo >= 2) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    const T m = data_[static_cast<std::size_t>(mid - 1)];
    if (m == Value) {
      return mid;
    }
    const bool below = Value < m;
    if (below != Ascending) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  const double dLo = vecimpl::Distance(data_[static_cast<std::size_t>(lo - 1)], Value);
  const double dHi = vecimpl::Distance(data_[static_cast<std::size_t>(hi - 1)], Value);
  return dLo < dHi ? lo : hi;
}

}  // namespace qmx::detail
