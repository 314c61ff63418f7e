#pragma once
// Member definitions of the shared matrix template: descriptive statistics,
// mean vectors, dichotomising, edge vectors and differences.  Included only
// by the sources that instantiate the template.

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>
#include <vector>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/math1_primitives.hpp"
#include "qmx/matrix/matrix_impl_core.hpp"
#include "qmx/vector/vector.hpp"

namespace qmx::detail {

namespace matimpl {

/// Σx and Σx² of n contiguous values in 80-bit precision (two interleaved
/// accumulator pairs).
template <class T>
void SumAndSquares(const T* p, std::size_t n, Extended& s1, Extended& s2) {
  Extended a1 = 0.0L;
  Extended a2 = 0.0L;
  Extended b1 = 0.0L;
  Extended b2 = 0.0L;
  std::size_t k = 0;
  for (; k + 1 < n; k += 2) {
    const Extended x = p[k];
    const Extended y = p[k + 1];
    a1 += x;
    a2 += x * x;
    b1 += y;
    b2 += y * y;
  }
  if (k < n) {
    const Extended x = p[k];
    a1 += x;
    a2 += x * x;
  }
  s1 += a1 + b1;
  s2 += a2 + b2;
}

/// The k-th smallest of the work values (k clamped to 0..n-1): `QuickSelect`
/// for what its 32-bit indexes can address, a NaN-last selection beyond.
inline double SelectKth(std::vector<double>& w, std::int64_t k) {
  const auto n = static_cast<std::int64_t>(w.size());
  k = std::clamp<std::int64_t>(k, 0, n - 1);
  if (n <= std::numeric_limits<std::int32_t>::max()) {
    return QuickSelect(w, static_cast<std::int32_t>(k), 0, static_cast<std::int32_t>(n - 1));
  }
  std::nth_element(w.begin(), w.begin() + k, w.end(),
                   [](double a, double b) { return a < b || (!std::isnan(a) && std::isnan(b)); });
  return w[static_cast<std::size_t>(k)];
}

/// lo + (hi - lo)·f for sorted neighbours lo <= hi and 0 <= f < 1: equal
/// neighbours (also equal infinities) give lo itself, finite ones are
/// interpolated in 80 bits (hi - lo cannot overflow), an infinite neighbour
/// gives that infinity (and NaN between -inf and +inf).
inline double Interpolate(double lo, double hi, double f) {
  if (f == 0.0 || lo == hi) {
    return lo;
  }
  if (std::isfinite(lo) && std::isfinite(hi)) {
    const Extended l = lo;
    return static_cast<double>(l + (static_cast<Extended>(hi) - l) * f);
  }
  return (1.0 - f) * lo + f * hi;
}

}  // namespace matimpl

template <class T, class D>
void TMatrixBase<T, D>::MinMax(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                               T& MinVal, T& MaxVal) const {
  MinVal = std::numeric_limits<T>::max();
  MaxVal = -std::numeric_limits<T>::max();
  if (data_.empty()) {
    return;
  }
  const TMatRegion R = CornerRegion(LoCol, LoRow, HiCol, HiRow);
  T mn = MinVal;
  T mx = MaxVal;
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
    const T* p = ColumnPtr(c) + (R.LoRow - 1);
    for (std::int64_t k = 0; k < R.Rows(); ++k) {
      const T x = p[k];
      if (x < mn) {
        mn = x;
      }
      if (x > mx) {
        mx = x;
      }
    }
  }
  MinVal = mn;
  MaxVal = mx;
}

template <class T, class D>
typename TMatrixBase<T, D>::TSum TMatrixBase<T, D>::Sum(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol,
                                                        std::int32_t HiRow) const {
  if (data_.empty()) {
    return TSum{};
  }
  const TMatRegion R = CornerRegion(LoCol, LoRow, HiCol, HiRow);
  if constexpr (std::is_integral_v<T>) {
    std::int64_t s = 0;
    for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
      const T* p = ColumnPtr(c) + (R.LoRow - 1);
      for (std::int64_t k = 0; k < R.Rows(); ++k) {
        s += p[k];
      }
    }
    return static_cast<TSum>(s);
  } else {
    Extended s = 0.0L;
    for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
      const T* p = ColumnPtr(c) + (R.LoRow - 1);
      for (std::int64_t k = 0; k < R.Rows(); ++k) {
        s += p[k];
      }
    }
    return static_cast<TSum>(s);
  }
}

template <class T, class D>
typename TMatrixBase<T, D>::TSum TMatrixBase<T, D>::Trace() const {
  if (data_.empty() || ncols_ != nrows_) {
    return TSum{};
  }
  if constexpr (std::is_integral_v<T>) {
    std::int64_t s = 0;
    for (std::int32_t i = 1; i <= ncols_; ++i) {
      s += data_[Pos(i, i)];
    }
    return static_cast<TSum>(s);
  } else {
    Extended s = 0.0L;
    for (std::int32_t i = 1; i <= ncols_; ++i) {
      s += data_[Pos(i, i)];
    }
    return static_cast<TSum>(s);
  }
}

template <class T, class D>
void TMatrixBase<T, D>::MeanVar(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                                double& Mean, double& Variance) const {
  Mean = 0.0;
  Variance = 0.0;
  if (data_.empty()) {
    return;
  }
  const TMatRegion R = CornerRegion(LoCol, LoRow, HiCol, HiRow);
  Extended s1 = 0.0L;
  Extended s2 = 0.0L;
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
    matimpl::SumAndSquares(ColumnPtr(c) + (R.LoRow - 1), static_cast<std::size_t>(R.Rows()), s1, s2);
  }
  const auto n = static_cast<Extended>(R.Count());
  Mean = static_cast<double>(s1 / n);
  Extended var = 1.0L;
  if (R.Count() >= 3) {
    var = (s2 - s1 * s1 / n) / (n - 1);
  }
  if (var < 0) {
    var = 0.0L;
  }
  Variance = static_cast<double>(var);
}

template <class T, class D>
double TMatrixBase<T, D>::GeometricMean(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol,
                                        std::int32_t HiRow) const {
  if (data_.empty()) {
    return 0.0;
  }
  const TMatRegion R = CornerRegion(LoCol, LoRow, HiCol, HiRow);
  bool zero = false;
  Extended s = 0.0L;
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
    const T* p = ColumnPtr(c) + (R.LoRow - 1);
    for (std::int64_t k = 0; k < R.Rows(); ++k) {
      const T x = p[k];
      if (x < 0) {
        RaiseComponentError<EQMXMatrixError>(this, kMsgNegGeometricMean);
      }
      if (x == 0) {
        zero = true;
      } else if (!zero) {
        s += std::log(static_cast<Extended>(x));
      }
    }
  }
  return zero ? 0.0 : static_cast<double>(std::exp(s / static_cast<Extended>(R.Count())));
}

template <class T, class D>
double TMatrixBase<T, D>::HarmonicMean(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol,
                                       std::int32_t HiRow) const {
  if (data_.empty()) {
    return 0.0;
  }
  const TMatRegion R = CornerRegion(LoCol, LoRow, HiCol, HiRow);
  Extended s = 0.0L;
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
    const T* p = ColumnPtr(c) + (R.LoRow - 1);
    for (std::int64_t k = 0; k < R.Rows(); ++k) {
      const T x = p[k];
      if (x <= 0) {
        RaiseComponentError<EQMXMatrixError>(this, kMsgNonPosHarmonicMean);
      }
      s += 1.0L / static_cast<Extended>(x);
    }
  }
  return static_cast<double>(static_cast<Extended>(R.Count()) / s);
}

template <class T, class D>
void TMatrixBase<T, D>::SkewKurt(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                                 double& Skewness, double& Kurtosis) const {
  Skewness = 0.0;
  Kurtosis = 0.0;
  if (data_.empty()) {
    return;
  }
  const TMatRegion R = CornerRegion(LoCol, LoRow, HiCol, HiRow);
  const std::int64_t count = R.Count();
  if (count < 2) {
    return;
  }
  const auto n = static_cast<Extended>(count);
  Extended s1 = 0.0L;
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
    const T* p = ColumnPtr(c) + (R.LoRow - 1);
    for (std::int64_t k = 0; k < R.Rows(); ++k) {
      s1 += p[k];
    }
  }
  const Extended mean = s1 / n;
  Extended d2 = 0.0L;
  Extended d3 = 0.0L;
  Extended d4 = 0.0L;
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
    const T* p = ColumnPtr(c) + (R.LoRow - 1);
    for (std::int64_t k = 0; k < R.Rows(); ++k) {
      const Extended d = static_cast<Extended>(p[k]) - mean;
      const Extended dd = d * d;
      d2 += dd;
      d3 += dd * d;
      d4 += dd * dd;
    }
  }
  const Extended s = std::sqrt(d2 / (n - 1));
  if (s == 0) {
    return;
  }
  Skewness = static_cast<double>(d3 / n / (s * s * s));
  Kurtosis = static_cast<double>(d4 / n / (s * s * s * s) - 3);
}

template <class T, class D>
void TMatrixBase<T, D>::SkewKurtSample(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol,
                                       std::int32_t HiRow, double& Skewness, double& Kurtosis) const {
  SkewKurt(LoCol, LoRow, HiCol, HiRow, Skewness, Kurtosis);
  const TMatRegion R = CornerRegion(LoCol, LoRow, HiCol, HiRow);
  if (data_.empty() || R.Count() < 4) {
    Skewness = 0.0;
    Kurtosis = 0.0;
    return;
  }
  const auto n = static_cast<Extended>(R.Count());
  Skewness = static_cast<double>(Skewness * n * n / ((n - 1) * (n - 2)));
  Kurtosis = static_cast<double>((Kurtosis + 3) * n * n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) -
                                 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3)));
}

template <class T, class D>
bool TMatrixBase<T, D>::Quartiles(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                                  double& Q1, double& Median, double& Q3) const {
  Q1 = Median = Q3 = 0.0;
  if (data_.empty()) {
    return false;
  }
  std::vector<double> x = RegionCopy<double>(CornerRegion(LoCol, LoRow, HiCol, HiRow));
  SortArray(std::span<double>(x), true);
  const auto n = static_cast<std::int64_t>(x.size());
  auto quartile = [&](double q) {
    if (n == 1) {
      return x[0];
    }
    const double pos = static_cast<double>(n + 1) * q;
    auto kk = static_cast<std::int64_t>(pos);  // 1-based
    double f = pos - static_cast<double>(kk);
    if (kk == 0) {
      kk = 1;
      f = 0.0;
    }
    if (kk >= n) {
      return x[static_cast<std::size_t>(n - 1)];
    }
    return matimpl::Interpolate(x[static_cast<std::size_t>(kk - 1)], x[static_cast<std::size_t>(kk)], f);
  };
  Q1 = quartile(0.25);
  Median = quartile(0.5);
  Q3 = quartile(0.75);
  return true;
}

template <class T, class D>
double TMatrixBase<T, D>::Percentile(double Prob, std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol,
                                     std::int32_t HiRow) const {
  if (std::isnan(Prob)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (data_.empty()) {
    return 0.0;
  }
  Prob = std::clamp(Prob, 0.0, 100.0);
  std::vector<double> w = RegionCopy<double>(CornerRegion(LoCol, LoRow, HiCol, HiRow));
  const double pos = RoundHalfEven(static_cast<double>(w.size()) * Prob / 100.0);
  return matimpl::SelectKth(w, static_cast<std::int64_t>(pos));
}

template <class T, class D>
double TMatrixBase<T, D>::Percentile(double Prob, std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol,
                                     std::int32_t HiRow, std::int32_t SampleSize) const {
  if (std::isnan(Prob)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (data_.empty()) {
    return 0.0;
  }
  const TMatRegion R = CornerRegion(LoCol, LoRow, HiCol, HiRow);
  if (SampleSize <= 0 || SampleSize >= R.Count()) {
    return Percentile(Prob, LoCol, LoRow, HiCol, HiRow);
  }
  Prob = std::clamp(Prob, 0.0, 100.0);
  Randomize();
  std::vector<double> w(static_cast<std::size_t>(SampleSize));
  std::int64_t negative = 0;
  std::int64_t zero = 0;
  const auto cols = static_cast<std::int32_t>(R.Columns());
  const auto rows = static_cast<std::int32_t>(R.Rows());
  for (double& v : w) {
    const std::int32_t c = R.LoCol + Random(cols);
    const std::int32_t r = R.LoRow + Random(rows);
    v = static_cast<double>(data_[Pos(c, r)]);
    negative += v < 0 ? 1 : 0;
    zero += v == 0 ? 1 : 0;
  }
  const double p = Prob / 100.0;
  const auto s = static_cast<double>(SampleSize);
  if (p > static_cast<double>(negative) / s && p < static_cast<double>(negative + zero) / s) {
    return 0.0;
  }
  return matimpl::SelectKth(w, static_cast<std::int64_t>(RoundHalfEven(s * p)));
}

template <class T, class D>
void TMatrixBase<T, D>::MeanVec(TDims Dims, TVector* Means) const {
  if (Means == nullptr || (Dims != TDims::dimColumns && Dims != TDims::dimRows)) {
    return;
  }
  if (Dims == TDims::dimColumns) {
    Means->Resize(ncols_);
    const std::span<double> m = Means->Data();
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      Extended s = 0.0L;
      if (!data_.empty()) {
        const T* p = ColumnPtr(c);
        for (std::int32_t r = 0; r < nrows_; ++r) {
          s += p[r];
        }
      }
      m[static_cast<std::size_t>(c - 1)] = static_cast<double>(s / nrows_);
    }
  } else {
    Means->Resize(nrows_);
    std::vector<Extended> s(static_cast<std::size_t>(nrows_), 0.0L);
    if (!data_.empty()) {
      for (std::int32_t c = 1; c <= ncols_; ++c) {
        const T* p = ColumnPtr(c);
        for (std::int32_t r = 0; r < nrows_; ++r) {
          s[static_cast<std::size_t>(r)] += p[r];
        }
      }
    }
    const std::span<double> m = Means->Data();
    for (std::size_t r = 0; r < s.size(); ++r) {
      m[r] = static_cast<double>(s[r] / ncols_);
    }
  }
  Means->Changed();
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::Dichotomize(T Threshold, TBool2DArray& Mask) const {
  if (data_.empty()) {
    Mask.clear();
    return 0;
  }
  Mask.assign(static_cast<std::size_t>(ncols_), TBoolArray(static_cast<std::size_t>(nrows_), false));
  std::int64_t count = 0;
  for (std::int32_t c = 1; c <= ncols_; ++c) {
    const T* p = ColumnPtr(c);
    TBoolArray& m = Mask[static_cast<std::size_t>(c - 1)];
    for (std::int32_t r = 0; r < nrows_; ++r) {
      if (p[r] >= Threshold) {
        m[static_cast<std::size_t>(r)] = true;
        ++count;
      }
    }
  }
  return static_cast<std::int32_t>(std::min<std::int64_t>(count, std::numeric_limits<std::int32_t>::max()));
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::EdgeVector(TOrientation Orientation, TEdgeOp Operation, const TIntArray& Indexes,
                                           TVector* Vec) const {
  if (data_.empty() || Vec == nullptr) {
    return -1;
  }
  const bool vertical = Orientation == TOrientation::orVertical;
  const std::int32_t limit = vertical ? nrows_ : ncols_;  // what the indexes select
  const std::int32_t outLen = vertical ? ncols_ : nrows_;
  std::int32_t result = 0;
  std::vector<std::int32_t> sel;
  if (Indexes.empty()) {
    sel.resize(static_cast<std::size_t>(limit));
    std::iota(sel.begin(), sel.end(), 1);
  } else {
    sel.reserve(Indexes.size());
    for (const std::int32_t ix : Indexes) {
      if (ix >= 1 && ix <= limit) {
        sel.push_back(ix);
      } else {
        result = -2;
      }
    }
  }
  const auto n = static_cast<std::int64_t>(sel.size());
  const auto len = static_cast<std::size_t>(outLen);
  std::vector<double> mn(len, static_cast<double>(uc_MaxDouble));
  std::vector<double> mx(len, -static_cast<double>(uc_MaxDouble));
  std::vector<Extended> s1(len, 0.0L);
  std::vector<Extended> s2(len, 0.0L);
  auto take = [&](std::size_t e, double x) {
    if (x < mn[e]) {
      mn[e] = x;
    }
    if (x > mx[e]) {
      mx[e] = x;
    }
    s1[e] += x;
    s2[e] += static_cast<Extended>(x) * x;
  };
  if (vertical) {
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      const T* p = ColumnPtr(c) - 1;
      for (const std::int32_t r : sel) {
        take(static_cast<std::size_t>(c - 1), static_cast<double>(p[r]));
      }
    }
  } else {
    for (const std::int32_t c : sel) {
      const T* p = ColumnPtr(c);
      for (std::int32_t r = 0; r < nrows_; ++r) {
        take(static_cast<std::size_t>(r), static_cast<double>(p[r]));
      }
    }
  }
  Vec->Resize(outLen);
  const std::span<double> v = Vec->Data();
  for (std::size_t e = 0; e < len; ++e) {
    double out = 0.0;
    switch (Operation) {
      case TEdgeOp::eoMin:
        out = mn[e];
        break;
      case TEdgeOp::eoMax:
        out = mx[e];
        break;
      case TEdgeOp::eoSum:
        out = static_cast<double>(s1[e]);
        break;
      case TEdgeOp::eoMean:
        out = n > 0 ? static_cast<double>(s1[e] / static_cast<Extended>(n)) : 0.0;
        break;
      case TEdgeOp::eoStdDev:
        if (n >= 3) {
          const auto nn = static_cast<Extended>(n);
          const Extended var = (s2[e] - s1[e] * s1[e] / nn) / (nn - 1);
          out = var <= 0 ? 0.0 : static_cast<double>(std::sqrt(var));  // NaN stays NaN
        }
        break;
    }
    v[e] = out;
  }
  Vec->Changed();
  return result;
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::EdgeVector(TOrientation Orientation, TEdgeOp Operation, TVector* Vec) const {
  return EdgeVector(Orientation, Operation, TIntArray{}, Vec);
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::Diff(std::int32_t Order, TApplyColRow Apply) {
  if (Order < 1 || Order > 10) {
    return -1;
  }
  if (Apply == TApplyColRow::acrColumns) {
    if (nrows_ <= Order) {
      return -2;
    }
    if (!data_.empty()) {
      for (std::int32_t pass = 1; pass <= Order; ++pass) {
        const std::int32_t len = nrows_ - pass;  // the differences still valid after this pass
        for (std::int32_t c = 1; c <= ncols_; ++c) {
          T* p = ColumnPtr(c);
          for (std::int32_t i = 0; i < len; ++i) {
            p[i] = matimpl::WrapSub(p[i + 1], p[i]);
          }
        }
      }
    }
    Resize(ncols_, nrows_ - Order);
  } else if (Apply == TApplyColRow::acrRows) {
    if (ncols_ <= Order) {
      return -2;
    }
    if (!data_.empty()) {
      for (std::int32_t pass = 1; pass <= Order; ++pass) {
        for (std::int32_t c = 1; c <= ncols_ - pass; ++c) {
          T* a = ColumnPtr(c);
          const T* b = ColumnPtr(c + 1);
          for (std::int32_t r = 0; r < nrows_; ++r) {
            a[r] = matimpl::WrapSub(b[r], a[r]);
          }
        }
      }
    }
    Resize(ncols_ - Order, nrows_);
  } else {
    return -1;
  }
  Changed();
  Resized();
  return 0;
}

}  // namespace qmx::detail
