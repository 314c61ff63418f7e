#pragma once
/// \file
/// Private helpers of the array statistics: rank-generic walks over nested
/// arrays and the families written once over element type and rank.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/math1_primitives.hpp"

namespace qmx::detail::arraystat {

using I32 = std::int32_t;

// ---------------------------------------------------------------------------
// Rank and cell type of nested arrays
// ---------------------------------------------------------------------------

template <class T>
struct ArrayInfo {
  static constexpr std::size_t kRank = 0;
  using Cell = T;
};
template <class T, class Alloc>
struct ArrayInfo<std::vector<T, Alloc>> {
  static constexpr std::size_t kRank = 1 + ArrayInfo<T>::kRank;
  using Cell = typename ArrayInfo<T>::Cell;
};
template <class A>
inline constexpr std::size_t kRankOf = ArrayInfo<A>::kRank;
template <class A>
using CellOf = typename ArrayInfo<A>::Cell;
/// One index per dimension.
template <class A>
using Bounds = std::array<I32, kRankOf<A>>;

// ---------------------------------------------------------------------------
// Small numeric helpers
// ---------------------------------------------------------------------------

/// x rounded to the nearest integer, ties to even, independent of the rounding mode.
inline double RoundHalfEven(double x) {
  double r = std::floor(x);
  const double frac = x - r;
  if (frac > 0.5 || (frac == 0.5 && std::fmod(r, 2.0) != 0.0)) {
    r += 1.0;
  }
  return r;
}

/// A 64-bit integer saturated to the 32-bit range.
inline I32 SatInt32(std::int64_t v) {
  return static_cast<I32>(
      std::clamp<std::int64_t>(v, std::numeric_limits<I32>::min(), std::numeric_limits<I32>::max()));
}

/// Largest finite double (start value of minimum searches).
inline constexpr double kMaxDouble = std::numeric_limits<double>::max();

// ---------------------------------------------------------------------------
// Shape helpers
// ---------------------------------------------------------------------------

/// Lengths along the first path A, A[0], A[0][0], ... (0 from the first empty level on).
template <class A>
Bounds<A> LengthsOf(const A& a) {
  Bounds<A> len{};
  len[0] = static_cast<I32>(std::min<std::size_t>(a.size(), std::numeric_limits<I32>::max()));
  if constexpr (kRankOf < A >> 1) {
    if (!a.empty()) {
      const auto inner = LengthsOf(a[0]);
      std::copy(inner.begin(), inner.end(), len.begin() + 1);
    }
  }
  return len;
}

/// True when a length along the first path is 0.
template <class A>
bool IsEmptyArr(const A& a) {
  if (a.empty()) {
    return true;
  }
  if constexpr (kRankOf < A >> 1) {
    return IsEmptyArr(a[0]);
  } else {
    return false;
  }
}

/// True when both arrays have the same length in every sub-array.
template <class A, class B>
bool SameShape(const A& a, const B& b) {
  static_assert(kRankOf<A> == kRankOf<B>);
  if (a.size() != b.size()) {
    return false;
  }
  if constexpr (kRankOf < A >> 1) {
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (!SameShape(a[i], b[i])) {
        return false;
      }
    }
  }
  return true;
}

/// True when every sub-array has the length of the first one at its level.
template <class A>
bool IsRectangular(const A& a) {
  if constexpr (kRankOf < A >> 1) {
    for (std::size_t i = 1; i < a.size(); ++i) {
      if (!SameShape(a[i], a[0])) {
        return false;
      }
    }
    return a.empty() || IsRectangular(a[0]);
  } else {
    return true;
  }
}

/// True when every sub-array inside the block lo..hi is long enough for it.
/// The caller has checked the top level and that every lower bound is >= 0.
template <class A>
bool BlockFits(const A& a, const I32* lo, const I32* hi) {
  if constexpr (kRankOf < A >> 1) {
    for (I32 c = lo[0]; c <= hi[0]; ++c) {
      const auto& s = a[static_cast<std::size_t>(c)];
      if (lo[1] <= hi[1] && static_cast<std::size_t>(hi[1]) >= s.size()) {
        return false;
      }
      if (!BlockFits(s, lo + 1, hi + 1)) {
        return false;
      }
    }
  }
  return true;
}

/// Checks a block given by its lower and upper corner: -1 if the array is empty,
/// -2 unless 0 <= lo <= hi < length in every dimension and every touched
/// sub-array is long enough, else 0.
template <class A>
I32 CheckBlock(const A& a, const Bounds<A>& lo, const Bounds<A>& hi) {
  if (IsEmptyArr(a)) {
    return -1;
  }
  const auto len = LengthsOf(a);
  for (std::size_t d = 0; d < kRankOf<A>; ++d) {
    if (lo[d] < 0 || lo[d] > hi[d] || hi[d] >= len[d]) {
      return -2;
    }
  }
  return BlockFits(a, lo.data(), hi.data()) ? 0 : -2;
}

/// Number of cells of a valid block.
template <std::size_t N>
double BlockCount(const std::array<I32, N>& lo, const std::array<I32, N>& hi) {
  double n = 1.0;
  for (std::size_t d = 0; d < N; ++d) {
    n *= static_cast<double>(hi[d]) - static_cast<double>(lo[d]) + 1.0;
  }
  return n;
}

/// Calls f(p, count) for every contiguous run of innermost cells in the block.
template <class A, class F>
void ForEachRunInBlock(const A& a, const I32* lo, const I32* hi, F&& f) {
  if constexpr (kRankOf<A> == 1) {
    if (lo[0] <= hi[0]) {
      f(a.data() + lo[0], static_cast<std::size_t>(hi[0] - lo[0]) + 1);
    }
  } else {
    for (I32 c = lo[0]; c <= hi[0]; ++c) {
      ForEachRunInBlock(a[static_cast<std::size_t>(c)], lo + 1, hi + 1, f);
    }
  }
}

/// Calls f(cell) for every cell, each sub-array over its own length.
template <class A, class F>
void ForEachCell(const A& a, F&& f) {
  if constexpr (kRankOf<A> == 1) {
    for (const auto v : a) {
      f(v);
    }
  } else {
    for (const auto& s : a) {
      ForEachCell(s, f);
    }
  }
}

/// Calls f(cell&) for every cell of a numeric array (in place).
template <class A, class F>
void ForEachCellMut(A& a, F&& f) {
  if constexpr (kRankOf<A> == 1) {
    for (auto& v : a) {
      f(v);
    }
  } else {
    for (auto& s : a) {
      ForEachCellMut(s, f);
    }
  }
}

/// C := op(A, B) cell by cell; C is sized like A (and may be A or B).
template <class A, class B, class C, class Op>
void ZipInto(const A& a, const B& b, C& c, Op op) {
  if constexpr (kRankOf<A> == 1) {
    c.resize(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      c[i] = op(a[i], b[i]);
    }
  } else {
    c.resize(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      ZipInto(a[i], b[i], c[i], op);
    }
  }
}

/// B := op(A) cell by cell; B is sized like A (and may be A).
template <class A, class B, class Op>
void MapInto(const A& a, B& b, Op op) {
  if constexpr (kRankOf<A> == 1) {
    b.resize(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      b[i] = op(a[i]);
    }
  } else {
    b.resize(a.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
      MapInto(a[i], b[i], op);
    }
  }
}

// ---------------------------------------------------------------------------
// Mean, variance, standard deviation
// ---------------------------------------------------------------------------

/// Sum of a contiguous run in 80-bit precision (two independent accumulators).
template <class T>
Extended SumRun(const T* p, std::size_t n) {
  Extended s0 = 0.0L;
  Extended s1 = 0.0L;
  std::size_t i = 0;
  for (; i + 1 < n; i += 2) {
    s0 += static_cast<Extended>(p[i]);
    s1 += static_cast<Extended>(p[i + 1]);
  }
  if (i < n) {
    s0 += static_cast<Extended>(p[i]);
  }
  return s0 + s1;
}

/// Mean of a checked block in 80-bit precision.
template <class A>
Extended BlockMean(const A& a, const Bounds<A>& lo, const Bounds<A>& hi) {
  Extended s = 0.0L;
  ForEachRunInBlock(a, lo.data(), hi.data(), [&](const CellOf<A>* p, std::size_t n) { s += SumRun(p, n); });
  return s / static_cast<Extended>(BlockCount(lo, hi));
}

/// Sum of squared deviations from m over a checked block.
template <class A>
Extended BlockSqDev(const A& a, const Bounds<A>& lo, const Bounds<A>& hi, Extended m) {
  Extended s = 0.0L;
  ForEachRunInBlock(a, lo.data(), hi.data(), [&](const CellOf<A>* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      const Extended d = static_cast<Extended>(p[i]) - m;
      s += d * d;
    }
  });
  return s;
}

template <class A>
I32 MeanOfBlock(const A& a, const Bounds<A>& lo, const Bounds<A>& hi, double& mean) {
  mean = 0.0;
  const I32 rc = CheckBlock(a, lo, hi);
  if (rc != 0) {
    return rc;
  }
  mean = static_cast<double>(BlockMean(a, lo, hi));
  return 0;
}

/// Mean and sample variance of a block in 80-bit precision (both 0 first).
template <class A>
I32 MeanVarOfBlockExt(const A& a, const Bounds<A>& lo, const Bounds<A>& hi, Extended& mean, Extended& variance) {
  mean = 0.0L;
  variance = 0.0L;
  const I32 rc = CheckBlock(a, lo, hi);
  if (rc != 0) {
    return rc;
  }
  mean = BlockMean(a, lo, hi);
  const double n = BlockCount(lo, hi);
  if (n > 1.0) {
    variance = BlockSqDev(a, lo, hi, mean) / static_cast<Extended>(n - 1.0);
  }
  return 0;
}

template <class A>
I32 MeanVarOfBlock(const A& a, const Bounds<A>& lo, const Bounds<A>& hi, double& mean, double& variance) {
  Extended m = 0.0L;
  Extended v = 0.0L;
  const I32 rc = MeanVarOfBlockExt(a, lo, hi, m, v);
  mean = static_cast<double>(m);
  variance = static_cast<double>(v);
  return rc;
}

/// The root is taken before rounding to double, so a standard deviation is
/// finite whenever it fits a double, even where the variance does not.
template <class A>
I32 StdDevOfBlock(const A& a, const Bounds<A>& lo, const Bounds<A>& hi, double& sd) {
  Extended mean = 0.0L;
  Extended var = 0.0L;
  const I32 rc = MeanVarOfBlockExt(a, lo, hi, mean, var);
  sd = static_cast<double>(std::sqrt(var));
  return rc;
}

template <class T>
I32 MeanAbsDevOf(const std::vector<T>& a, I32 nData, double& meanDev) {
  meanDev = 0.0;
  if (a.empty()) {
    return -1;
  }
  if (nData < 1 || static_cast<std::size_t>(nData) > a.size()) {
    return -2;
  }
  const auto n = static_cast<std::size_t>(nData);
  const Extended m = SumRun(a.data(), n) / static_cast<Extended>(n);
  Extended s = 0.0L;
  for (std::size_t i = 0; i < n; ++i) {
    s += std::fabs(static_cast<Extended>(a[i]) - m);
  }
  meanDev = static_cast<double>(s / static_cast<Extended>(n));
  return 0;
}

// ---------------------------------------------------------------------------
// Extreme values
// ---------------------------------------------------------------------------

/// The sentinel of an empty maximum (minimum) search.
template <class T>
constexpr T EmptyMax() {
  return static_cast<T>(std::numeric_limits<I32>::min());
}
template <class T>
constexpr T EmptyMin() {
  return static_cast<T>(std::numeric_limits<I32>::max());
}

/// True for a NaN cell; integer cells never are.
template <class T>
bool IsNaNCell(T v) {
  if constexpr (std::is_floating_point_v<T>) {
    return std::isnan(v);
  } else {
    (void)v;
    return false;
  }
}

/// Extreme of all cells (first occurrence wins); NaN cells are skipped, so the
/// result is NaN only when every cell is; the sentinel for an empty array.
template <bool kMax, class A>
CellOf<A> ExtremeOf(const A& a) {
  using T = CellOf<A>;
  if (IsEmptyArr(a)) {
    return kMax ? EmptyMax<T>() : EmptyMin<T>();
  }
  bool first = true;
  T m{};
  ForEachCell(a, [&](T v) {
    if (first) {
      m = v;
      first = IsNaNCell(v);  // a leading NaN is replaced by the first number
    } else if (kMax ? (v > m) : (v < m)) {
      m = v;
    }
  });
  return m;
}

/// Extreme of a 1-D array with its index (NaN cells skipped; an array of NaN
/// only gives NaN at index 0).
template <bool kMax, class T>
T ExtremeOf(const std::vector<T>& a, I32& ix) {
  if (a.empty()) {
    return kMax ? EmptyMax<T>() : EmptyMin<T>();
  }
  const auto n = static_cast<I32>(a.size());
  I32 best = 0;
  while (best + 1 < n && IsNaNCell(a[static_cast<std::size_t>(best)])) {
    ++best;
  }
  if (IsNaNCell(a[static_cast<std::size_t>(best)])) {
    best = 0;
  }
  T m = a[static_cast<std::size_t>(best)];
  for (I32 i = best + 1; i < n; ++i) {
    const T v = a[static_cast<std::size_t>(i)];
    if (kMax ? (v > m) : (v < m)) {
      m = v;
      best = i;
    }
  }
  ix = best;
  return m;
}

/// Extreme of a 2-D array with its column and row (NaN cells skipped; an
/// array of NaN only gives NaN at (0, 0)).
template <bool kMax, class T>
T ExtremeOf(const std::vector<std::vector<T>>& a, I32& ix1, I32& ix2) {
  if (IsEmptyArr(a)) {
    return kMax ? EmptyMax<T>() : EmptyMin<T>();
  }
  I32 c1 = 0;
  I32 c2 = 0;
  T m = a[0][0];
  bool have = !IsNaNCell(m);
  const auto nc = static_cast<I32>(a.size());
  for (I32 c = 0; c < nc; ++c) {
    const auto& col = a[static_cast<std::size_t>(c)];
    const auto nr = static_cast<I32>(col.size());
    for (I32 r = 0; r < nr; ++r) {
      const T v = col[static_cast<std::size_t>(r)];
      if (!have ? !IsNaNCell(v) : (kMax ? (v > m) : (v < m))) {
        m = v;
        c1 = c;
        c2 = r;
        have = true;
      }
    }
  }
  ix1 = c1;
  ix2 = c2;
  return m;
}

/// Both extremes of all cells (NaN cells skipped); Out is double or int32.
template <class A, class Out>
I32 MinMaxOf(const A& a, Out& minVal, Out& maxVal, Out startMin, Out startMax) {
  minVal = startMin;
  maxVal = startMax;
  if (IsEmptyArr(a)) {
    return -1;
  }
  bool first = true;
  ForEachCell(a, [&](auto v) {
    const Out x = static_cast<Out>(v);
    if (first) {
      minVal = x;
      maxVal = x;
      first = IsNaNCell(x);
    } else {
      if (x < minVal) {
        minVal = x;
      }
      if (x > maxVal) {
        maxVal = x;
      }
    }
  });
  return 0;
}

template <class T>
I32 MinMaxOfSpan(std::span<const T> a, T& minVal, T& maxVal, T startMin, T startMax) {
  minVal = startMin;
  maxVal = startMax;
  if (a.empty()) {
    return -1;
  }
  std::size_t i = 0;
  while (i + 1 < a.size() && IsNaNCell(a[i])) {
    ++i;
  }
  T lo = a[i];
  T hi = a[i];
  for (++i; i < a.size(); ++i) {
    if (a[i] < lo) {
      lo = a[i];
    }
    if (a[i] > hi) {
      hi = a[i];
    }
  }
  minVal = lo;
  maxVal = hi;
  return 0;
}

/// Extremes of A[first..last] with their positions (NaN cells skipped; a
/// range of NaN only gives NaN at first).
template <class T>
I32 MinMaxOfRange(const std::vector<T>& a, I32 first, I32 last, T& minVal, T& maxVal, I32& minIx, I32& maxIx,
                  T startMin, T startMax) {
  minVal = startMin;
  maxVal = startMax;
  minIx = 0;
  maxIx = 0;
  if (a.empty()) {
    return -1;
  }
  const auto n = static_cast<std::int64_t>(a.size());
  if (first < 0 || first > n - 1 || last < 0 || last > n - 1) {
    return -2;
  }
  if (first > last) {
    return 0;
  }
  I32 start = first;
  while (start < last && IsNaNCell(a[static_cast<std::size_t>(start)])) {
    ++start;
  }
  if (IsNaNCell(a[static_cast<std::size_t>(start)])) {
    start = first;
  }
  minVal = maxVal = a[static_cast<std::size_t>(start)];
  minIx = maxIx = start;
  for (I32 i = start + 1; i <= last; ++i) {
    const T v = a[static_cast<std::size_t>(i)];
    if (v < minVal) {
      minVal = v;
      minIx = i;
    }
    if (v > maxVal) {
      maxVal = v;
      maxIx = i;
    }
  }
  return 0;
}

/// 2-D extremes of the block (lo1..hi1, lo2..hi2) with their positions (NaN
/// cells skipped; a block of NaN only gives NaN at (lo1, lo2)).
template <class T>
I32 MinMaxOfRange2D(const std::vector<std::vector<T>>& a, I32 lo1, I32 lo2, I32 hi1, I32 hi2, T& minVal, T& maxVal,
                    I32& minIx1, I32& minIx2, I32& maxIx1, I32& maxIx2, T startMin, T startMax) {
  minVal = startMin;
  maxVal = startMax;
  minIx1 = minIx2 = maxIx1 = maxIx2 = 0;
  if (IsEmptyArr(a)) {
    return -1;
  }
  const auto len = LengthsOf(a);
  const std::array<I32, 2> lo{lo1, lo2};
  const std::array<I32, 2> hi{hi1, hi2};
  for (std::size_t d = 0; d < 2; ++d) {
    if (lo[d] < 0 || lo[d] > len[d] - 1 || hi[d] < 0 || hi[d] > len[d] - 1) {
      return -2;
    }
  }
  if (!BlockFits(a, lo.data(), hi.data())) {
    return -2;
  }
  if (lo1 > hi1 || lo2 > hi2) {
    return 0;
  }
  minVal = maxVal = a[static_cast<std::size_t>(lo1)][static_cast<std::size_t>(lo2)];
  minIx1 = maxIx1 = lo1;
  minIx2 = maxIx2 = lo2;
  bool have = !IsNaNCell(minVal);
  for (I32 c = lo1; c <= hi1; ++c) {
    const auto& col = a[static_cast<std::size_t>(c)];
    for (I32 r = lo2; r <= hi2; ++r) {
      const T v = col[static_cast<std::size_t>(r)];
      if (!have) {
        if (!IsNaNCell(v)) {
          minVal = maxVal = v;
          minIx1 = maxIx1 = c;
          minIx2 = maxIx2 = r;
          have = true;
        }
        continue;
      }
      if (v < minVal) {
        minVal = v;
        minIx1 = c;
        minIx2 = r;
      }
      if (v > maxVal) {
        maxVal = v;
        maxIx1 = c;
        maxIx2 = r;
      }
    }
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Counting
// ---------------------------------------------------------------------------

/// Number of cells with low <= v <= high in a block given in pair order.
template <class A>
I32 CountInBlock(const A& a, const Bounds<A>& lo, const Bounds<A>& hi, CellOf<A> low, CellOf<A> high) {
  if (IsEmptyArr(a)) {
    return -1;
  }
  if (high < low) {
    return -2;
  }
  const I32 rc = CheckBlock(a, lo, hi);
  if (rc != 0) {
    return rc;
  }
  I32 count = 0;
  ForEachRunInBlock(a, lo.data(), hi.data(), [&](const CellOf<A>* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      count += static_cast<I32>(p[i] >= low && p[i] <= high);
    }
  });
  return count;
}

/// Sum of the cells whose mask value is false (or of all cells for an empty mask).
template <class T, class S>
I32 SumMasked(const std::vector<std::vector<T>>& a, const TBool2DArray& mask, S& sum) {
  sum = 0;
  if (IsEmptyArr(a)) {
    return -2;
  }
  const bool useMask = !mask.empty();
  if (useMask && !SameShape(a, mask)) {
    return -1;
  }
  std::int64_t count = 0;
  if constexpr (std::is_floating_point_v<T>) {
    Extended s = 0.0L;
    for (std::size_t c = 0; c < a.size(); ++c) {
      const auto& col = a[c];
      if (useMask) {
        const auto& m = mask[c];
        for (std::size_t r = 0; r < col.size(); ++r) {
          if (!m[r]) {
            s += col[r];
            ++count;
          }
        }
      } else {
        s += SumRun(col.data(), col.size());
        count += static_cast<std::int64_t>(col.size());
      }
    }
    sum = static_cast<S>(s);
  } else {
    std::int64_t s = 0;  // 32-bit cells cannot overflow 64 bits below 2^32 cells
    for (std::size_t c = 0; c < a.size(); ++c) {
      const auto& col = a[c];
      for (std::size_t r = 0; r < col.size(); ++r) {
        if (!useMask || !mask[c][r]) {
          s += col[r];
          ++count;
        }
      }
    }
    sum = s;
  }
  return SatInt32(count);
}

// ---------------------------------------------------------------------------
// Local statistics, linearity, monotony, dichotomy (1-D, double and integer)
// ---------------------------------------------------------------------------

/// Collects A[Center] and the neighbours Center -+ k (k = 1..Radius) that lie
/// within LowLimit..HighLimit, all four arguments clamped to 0..Length - 1.
template <class T, class F>
void ForLocalCells(const std::vector<T>& a, I32 center, I32 radius, I32 lowLimit, I32 highLimit, F&& f) {
  const auto top = static_cast<I32>(std::min<std::size_t>(a.size(), std::numeric_limits<I32>::max())) - 1;
  center = std::clamp(center, 0, top);
  radius = std::clamp(radius, 0, top);
  lowLimit = std::clamp(lowLimit, 0, top);
  highLimit = std::clamp(highLimit, 0, top);
  f(a[static_cast<std::size_t>(center)]);
  for (std::int64_t k = 1; k <= radius; ++k) {
    const std::int64_t below = center - k;
    const std::int64_t above = center + k;
    if (below >= lowLimit && below <= highLimit) {
      f(a[static_cast<std::size_t>(below)]);
    }
    if (above >= lowLimit && above <= highLimit) {
      f(a[static_cast<std::size_t>(above)]);
    }
  }
}

template <class T>
double LocalMeanOf(const std::vector<T>& a, I32 center, I32 radius, I32 lowLimit, I32 highLimit) {
  if (a.empty()) {
    return 0.0;
  }
  Extended s = 0.0L;
  std::int64_t n = 0;
  ForLocalCells(a, center, radius, lowLimit, highLimit, [&](T v) {
    s += static_cast<Extended>(v);
    ++n;
  });
  return static_cast<double>(s / static_cast<Extended>(n));
}

/// Median of the cells `ForLocalCells` selects, by sorting a copy.
template <class T>
double LocalMedianOf(const std::vector<T>& a, I32 center, I32 radius, I32 lowLimit, I32 highLimit) {
  if (a.empty()) {
    return 0.0;
  }
  TDoubleArray cells;
  cells.reserve(2 * std::min<std::size_t>(static_cast<std::size_t>(std::max(radius, 0)), a.size()) + 1);
  ForLocalCells(a, center, radius, lowLimit, highLimit, [&](T v) { cells.push_back(static_cast<double>(v)); });
  SortArray(std::span<double>(cells), true);
  const std::size_t n = cells.size();
  if (n % 2 == 1) {
    return cells[n / 2];
  }
  // the midpoint in 80 bits: two huge middle cells must not overflow
  return static_cast<double>((static_cast<Extended>(cells[n / 2 - 1]) + cells[n / 2]) / 2.0L);
}

/// Sign of a - b (-1, 0, +1) without overflow.
template <class T>
int SignOfDiff(T a, T b) {
  return (a > b) - (a < b);
}

template <class T>
bool HasNaN(const std::vector<T>& a) {
  if constexpr (std::is_floating_point_v<T>) {
    return std::any_of(a.begin(), a.end(), [](T v) { return std::isnan(v); });
  } else {
    return false;
  }
}

/// Breaks of the step between neighbours; integer steps are compared exactly
/// (in 64 bits), float steps with the tolerance.
template <class T>
I32 CheckLinearityOf(const std::vector<T>& a, double tol, TIntArray& breaks) {
  if (a.size() < 3) {
    return 0;
  }
  using D = std::conditional_t<std::is_integral_v<T>, std::int64_t, double>;
  breaks.clear();
  D step = static_cast<D>(a[1]) - static_cast<D>(a[0]);
  for (std::size_t i = 2; i < a.size(); ++i) {
    const D d = static_cast<D>(a[i]) - static_cast<D>(a[i - 1]);
    bool isBreak = false;
    if constexpr (std::is_integral_v<T>) {
      isBreak = d != step;
    } else {
      isBreak = std::fabs(d - step) > tol;
    }
    if (isBreak) {
      breaks.push_back(static_cast<I32>(i - 1));
      step = d;
    }
  }
  breaks.shrink_to_fit();
  return static_cast<I32>(breaks.size());
}

template <class T>
bool IsMonotoneOf(const std::vector<T>& a) {
  if (a.size() < 3) {
    return true;
  }
  if (HasNaN(a)) {
    return false;
  }
  int dir = 0;
  for (std::size_t i = 0; i + 1 < a.size(); ++i) {
    const int s = SignOfDiff(a[i], a[i + 1]);
    if (s == 0) {
      continue;
    }
    if (dir == 0) {
      dir = s;
    } else if (s != dir) {
      return false;
    }
  }
  return true;
}

template <class T>
bool IsStrictlyMonotoneOf(const std::vector<T>& a) {
  if (a.size() < 3) {
    return true;
  }
  if (HasNaN(a)) {
    return false;
  }
  const int dir = SignOfDiff(a[0], a[1]);
  if (dir == 0) {
    return false;
  }
  for (std::size_t i = 1; i + 1 < a.size(); ++i) {
    if (SignOfDiff(a[i], a[i + 1]) != dir) {
      return false;
    }
  }
  return true;
}

template <class T>
bool IsDichotomousOf(const std::vector<T>& a, T& val1, T& val2) {
  val1 = 0;
  val2 = 0;
  if (a.size() < 2 || HasNaN(a)) {
    return false;
  }
  val1 = a[0];
  bool haveSecond = false;
  for (std::size_t i = 1; i < a.size(); ++i) {
    const T v = a[i];
    if (v == val1) {
      continue;
    }
    if (!haveSecond) {
      val2 = v;
      haveSecond = true;
    } else if (v != val2) {
      return false;
    }
  }
  if (!haveSecond) {
    return false;
  }
  if (val1 > val2) {
    std::swap(val1, val2);
  }
  return true;
}

// ---------------------------------------------------------------------------
// Element-wise arithmetic (integer results saturate at the 32-bit limits)
// ---------------------------------------------------------------------------

struct OpAdd {
  double operator()(double a, double b) const { return a + b; }
  I32 operator()(I32 a, I32 b) const { return SatInt32(std::int64_t{a} + b); }
};
struct OpSub {
  double operator()(double a, double b) const { return a - b; }
  I32 operator()(I32 a, I32 b) const { return SatInt32(std::int64_t{a} - b); }
};
struct OpMul {
  double operator()(double a, double b) const { return a * b; }
  I32 operator()(I32 a, I32 b) const { return SatInt32(std::int64_t{a} * b); }
};
struct OpAbs {
  double operator()(double a) const { return std::fabs(a); }
  I32 operator()(I32 a) const { return SatInt32(a < 0 ? -std::int64_t{a} : std::int64_t{a}); }
};

/// C := op(A, B): -1 an input is empty, -2 the shapes differ.
template <class A, class Op>
I32 ZipChecked(const A& a, const A& b, A& c, Op op) {
  if (IsEmptyArr(a) || IsEmptyArr(b)) {
    return -1;
  }
  if (!SameShape(a, b)) {
    return -2;
  }
  ZipInto(a, b, c, op);
  return 0;
}

/// B := op(A, s): -1 for an empty A.  B may be A.
template <class A, class S, class Op>
I32 ScalarChecked(const A& a, S s, A& b, Op op) {
  if (IsEmptyArr(a)) {
    return -1;
  }
  MapInto(a, b, [&](CellOf<A> v) { return op(v, static_cast<CellOf<A>>(s)); });
  return 0;
}

/// A := op(A) in place: -1 for an empty A.
template <class A, class Op>
I32 InPlaceChecked(A& a, Op op) {
  if (IsEmptyArr(a)) {
    return -1;
  }
  ForEachCellMut(a, [&](CellOf<A>& v) { v = op(v); });
  return 0;
}

// ---------------------------------------------------------------------------
// Matrix helpers on 2-D arrays
// ---------------------------------------------------------------------------

/// Sum of the diagonal (S: Extended for doubles, 64-bit for integers).
template <class T, class S>
I32 TraceOf(const std::vector<std::vector<T>>& a, S& trace) {
  trace = 0;
  if (IsEmptyArr(a)) {
    return -1;
  }
  if (a.size() != a[0].size() || !IsRectangular(a)) {
    return -2;
  }
  std::conditional_t<std::is_floating_point_v<T>, Extended, std::int64_t> s = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    s += a[i][i];
  }
  trace = static_cast<S>(s);
  return 0;
}

/// Replaces A by its transpose: -1 empty, -2 ragged.
template <class T>
I32 TransposeOf(std::vector<std::vector<T>>& a) {
  if (IsEmptyArr(a)) {
    return -1;
  }
  if (!IsRectangular(a)) {
    return -2;
  }
  const std::size_t cols = a.size();
  const std::size_t rows = a[0].size();
  std::vector<std::vector<T>> t(rows, std::vector<T>(cols));
  for (std::size_t c = 0; c < cols; ++c) {
    for (std::size_t r = 0; r < rows; ++r) {
      t[r][c] = a[c][r];
    }
  }
  a = std::move(t);
  return 0;
}

}  // namespace qmx::detail::arraystat
