#pragma once
/// \file
/// Private templates of the array copy, fill and transform functions (in
/// `qmx::detail::arraycopy`, apart from other units' helpers).  Each
/// family is written once over the element type and the rank of the nested
/// arrays (`std::vector<std::vector<...>>`); the public overloads in
/// `arraycopy.hpp` instantiate them.
///
/// The templates never assume that an array of arrays is rectangular: whole-
/// array operations follow every inner array at its own length, and ranged
/// operations check every inner array that a block touches before anything is
/// written, so ragged input cannot reach memory outside the arrays.

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

#include "qmx/foundation/platform.hpp"

namespace qmx::detail::arraycopy {

// ---------------------------------------------------------------------------
// Nesting traits
// ---------------------------------------------------------------------------

template <class T>
struct TNestTraits {
  static constexpr std::size_t Rank = 0;
  using Elem = T;
  template <class E>
  using Rebind = E;
};

template <class T, class Alloc>
struct TNestTraits<std::vector<T, Alloc>> {
  static constexpr std::size_t Rank = 1 + TNestTraits<T>::Rank;
  using Elem = typename TNestTraits<T>::Elem;
  template <class E>
  using Rebind = std::vector<typename TNestTraits<T>::template Rebind<E>>;
};

/// Number of nesting levels (1 for `TDoubleArray`, 2 for `TDouble2DArray`, ...).
template <class A>
inline constexpr std::size_t RankOf = TNestTraits<A>::Rank;
/// The cell type of a nested array.
template <class A>
using ElemOf = typename TNestTraits<A>::Elem;
/// The same nesting with another cell type.
template <class A, class E>
using RebindOf = typename TNestTraits<A>::template Rebind<E>;

/// Indexes or extents, one per dimension, wide enough that sums cannot overflow.
template <std::size_t R>
using TIx = std::array<std::int64_t, R>;

template <class V>
inline std::int64_t Len(const V& v) {
  return static_cast<std::int64_t>(v.size());
}

// ---------------------------------------------------------------------------
// Shape tests
// ---------------------------------------------------------------------------

/// True when the array holds no cell: Length(A), Length(A[0]), ... is 0.
template <class A>
bool HasNoCells(const A& a) {
  if (a.empty()) {
    return true;
  }
  if constexpr (RankOf<A> > 1) {
    return HasNoCells(a[0]);
  } else {
    return false;
  }
}

/// The lengths Length(A), Length(A[0]), ... (0 beyond an empty level).
template <class A>
TIx<RankOf<A>> ShapeOf(const A& a) {
  TIx<RankOf<A>> s{};
  s[0] = Len(a);
  if constexpr (RankOf<A> > 1) {
    if (!a.empty()) {
      const auto inner = ShapeOf(a[0]);
      std::copy(inner.begin(), inner.end(), s.begin() + 1);
    }
  }
  return s;
}

/// True when every inner array at level k has the length s[k].
template <class A, std::size_t R>
bool HasShape(const A& a, const TIx<R>& s) {
  constexpr std::size_t k = R - RankOf<A>;
  if (Len(a) != s[k]) {
    return false;
  }
  if constexpr (RankOf<A> > 1) {
    for (const auto& sub : a) {
      if (!HasShape(sub, s)) {
        return false;
      }
    }
  }
  return true;
}

/// True when the array is rectangular (all inner arrays of a level equally long).
template <class A>
bool IsBox(const A& a) {
  return HasShape(a, ShapeOf(a));
}

/// True when the two arrays have the same length at every inner array.
template <class A, class B>
bool SameLayout(const A& a, const B& b) {
  static_assert(RankOf<A> == RankOf<B>);
  if (a.size() != b.size()) {
    return false;
  }
  if constexpr (RankOf<A> > 1) {
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (!SameLayout(a[i], b[i])) {
        return false;
      }
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Cell conversions
// ---------------------------------------------------------------------------

/// Clamps to -2147483648 .. 2147483647 and rounds to the nearest integer,
/// ties to even; NaN gives 0.
inline std::int32_t RoundClampToInt32(double v) {
  if (std::isnan(v)) {
    return 0;
  }
  if (v <= -2147483648.0) {
    return std::numeric_limits<std::int32_t>::min();
  }
  if (v >= 2147483647.0) {
    return std::numeric_limits<std::int32_t>::max();
  }
  double f = std::floor(v);
  const double frac = v - f;
  if (frac > 0.5 || (frac == 0.5 && std::fmod(f, 2.0) != 0.0)) {
    f += 1.0;
  }
  return static_cast<std::int32_t>(f);
}

/// Rounds half to even without depending on the floating-point rounding mode.
inline double RoundHalfEven(double v) {
  if (!std::isfinite(v)) {
    return v;
  }
  double f = std::floor(v);
  const double frac = v - f;
  if (frac > 0.5 || (frac == 0.5 && std::fmod(f, 2.0) != 0.0)) {
    f += 1.0;
  }
  return f;
}

/// 64-bit to 32-bit float; values beyond the 32-bit range become +-infinity.
inline float DoubleToSingle(double v) {
  constexpr double kMax = static_cast<double>(std::numeric_limits<float>::max());
  if (v > kMax) {
    return std::numeric_limits<float>::infinity();
  }
  if (v < -kMax) {
    return -std::numeric_limits<float>::infinity();
  }
  return static_cast<float>(v);
}

/// Converts one cell value to the cell type To.
template <class To, class From>
To ConvertCell(From v) {
  if constexpr (std::is_same_v<To, std::int32_t> && std::is_floating_point_v<From>) {
    return RoundClampToInt32(static_cast<double>(v));
  } else if constexpr (std::is_same_v<To, float> && std::is_same_v<From, double>) {
    return DoubleToSingle(v);
  } else {
    return static_cast<To>(v);
  }
}

/// Two's-complement (wrapping) addition of 32-bit integers; plain addition otherwise.
template <class T>
T WrapAdd(T a, T b) {
  if constexpr (std::is_same_v<T, std::int32_t>) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
  } else {
    return a + b;
  }
}

// ---------------------------------------------------------------------------
// Cell visitors
// ---------------------------------------------------------------------------

/// Calls f(cell&) on every cell in storage order (first index outer).  Numeric cells only.
template <class A, class F>
void ForEachCell(A& a, F& f) {
  if constexpr (RankOf<A> == 1) {
    for (auto& x : a) {
      f(x);
    }
  } else {
    for (auto& sub : a) {
      ForEachCell(sub, f);
    }
  }
}

/// Sets every cell to Value.
template <class A>
void FillAll(A& a, const ElemOf<A>& value) {
  if constexpr (RankOf<A> == 1) {
    std::fill(a.begin(), a.end(), value);
  } else {
    for (auto& sub : a) {
      FillAll(sub, value);
    }
  }
}

/// d := f(s) cell by cell; d takes the layout of s.
template <class Src, class Dst, class F>
void TransformInto(const Src& s, Dst& d, F& f) {
  static_assert(RankOf<Src> == RankOf<Dst>);
  d.resize(s.size());
  if constexpr (RankOf<Src> == 1) {
    for (std::size_t i = 0; i < s.size(); ++i) {
      d[i] = f(static_cast<ElemOf<Src>>(s[i]));
    }
  } else {
    for (std::size_t i = 0; i < s.size(); ++i) {
      TransformInto(s[i], d[i], f);
    }
  }
}

/// A new array of the layout of s with f applied to every cell.
template <class Dst, class Src, class F>
Dst Transformed(const Src& s, F f) {
  Dst d;
  TransformInto(s, d, f);
  return d;
}

// ---------------------------------------------------------------------------
// Cloning
// ---------------------------------------------------------------------------

/// B := A converted cell by cell; -1 (B untouched) if A holds no cell.
template <class Src, class Dst>
int CloneArray(const Src& a, Dst& b) {
  if (HasNoCells(a)) {
    return -1;
  }
  if constexpr (std::is_same_v<Src, Dst>) {
    b = a;
  } else {
    b = Transformed<Dst>(a, [](ElemOf<Src> v) { return ConvertCell<ElemOf<Dst>>(v); });
  }
  return 0;
}

/// B[i] := A[n - 1 - i] converted; -1 for an empty A.
template <class Src, class Dst>
int CloneAndReverseArray(const Src& a, Dst& b) {
  static_assert(RankOf<Src> == 1 && RankOf<Dst> == 1);
  if (a.empty()) {
    return -1;
  }
  Dst tmp(a.size());
  const std::size_t n = a.size();
  for (std::size_t i = 0; i < n; ++i) {
    tmp[i] = ConvertCell<ElemOf<Dst>>(static_cast<ElemOf<Src>>(a[n - 1 - i]));
  }
  b = std::move(tmp);
  return 0;
}

// ---------------------------------------------------------------------------
// Block copies
// ---------------------------------------------------------------------------

/// True when 0 <= lo[k] <= hi[k] < length holds for every inner array of a that
/// the block lo..hi touches at level k.
template <class A, std::size_t R>
bool BlockInside(const A& a, const TIx<R>& lo, const TIx<R>& hi) {
  constexpr std::size_t k = R - RankOf<A>;
  if (lo[k] < 0 || lo[k] > hi[k] || hi[k] >= Len(a)) {
    return false;
  }
  if constexpr (RankOf<A> > 1) {
    for (std::int64_t i = lo[k]; i <= hi[k]; ++i) {
      if (!BlockInside(a[static_cast<std::size_t>(i)], lo, hi)) {
        return false;
      }
    }
  }
  return true;
}

/// True when a block of extents ext (each >= 1) placed at dest lies inside every
/// inner array of b that it touches, with each dest[k] a valid index.
template <class B, std::size_t R>
bool PlaceInside(const B& b, const TIx<R>& dest, const TIx<R>& ext) {
  constexpr std::size_t k = R - RankOf<B>;
  if (dest[k] < 0 || dest[k] >= Len(b) || dest[k] + ext[k] > Len(b)) {
    return false;
  }
  if constexpr (RankOf<B> > 1) {
    for (std::int64_t i = 0; i < ext[k]; ++i) {
      if (!PlaceInside(b[static_cast<std::size_t>(dest[k] + i)], dest, ext)) {
        return false;
      }
    }
  }
  return true;
}

/// b[dest + i] := a[lo + i] over the block lo..hi (already checked).
template <class A, std::size_t R>
void CopyBlockInto(const A& a, const TIx<R>& lo, const TIx<R>& hi, A& b, const TIx<R>& dest) {
  constexpr std::size_t k = R - RankOf<A>;
  if constexpr (RankOf<A> == 1) {
    std::copy(a.begin() + lo[k], a.begin() + hi[k] + 1, b.begin() + dest[k]);
  } else {
    for (std::int64_t i = 0; i <= hi[k] - lo[k]; ++i) {
      CopyBlockInto(a[static_cast<std::size_t>(lo[k] + i)], lo, hi, b[static_cast<std::size_t>(dest[k] + i)], dest);
    }
  }
}

/// A new array holding the block lo..hi of a (already checked).
template <class A, std::size_t R>
A ExtractBlock(const A& a, const TIx<R>& lo, const TIx<R>& hi) {
  constexpr std::size_t k = R - RankOf<A>;
  if constexpr (RankOf<A> == 1) {
    return A(a.begin() + lo[k], a.begin() + hi[k] + 1);
  } else {
    A out;
    out.reserve(static_cast<std::size_t>(hi[k] - lo[k] + 1));
    for (std::int64_t i = lo[k]; i <= hi[k]; ++i) {
      out.push_back(ExtractBlock(a[static_cast<std::size_t>(i)], lo, hi));
    }
    return out;
  }
}

/// Copies the block lo..hi of A to B with its first cell at dest; B is not
/// resized.  -1 if A or B holds no cell; -2 if the block is not inside A
/// (including lo > hi) or does not fit into B at dest.
template <class A, std::size_t R>
int CopyRange(const A& a, const TIx<R>& lo, const TIx<R>& hi, A& b, const TIx<R>& dest) {
  static_assert(RankOf<A> == R);
  if (HasNoCells(a) || HasNoCells(b)) {
    return -1;
  }
  if (!BlockInside(a, lo, hi)) {
    return -2;
  }
  TIx<R> ext{};
  for (std::size_t k = 0; k < R; ++k) {
    ext[k] = hi[k] - lo[k] + 1;
  }
  if (!PlaceInside(b, dest, ext)) {
    return -2;
  }
  if (static_cast<const void*>(&a) == static_cast<const void*>(&b)) {
    // Source and destination may overlap: copy through a temporary block.
    const A block = ExtractBlock(a, lo, hi);
    const TIx<R> zero{};
    TIx<R> top{};
    for (std::size_t k = 0; k < R; ++k) {
      top[k] = ext[k] - 1;
    }
    CopyBlockInto(block, zero, top, b, dest);
  } else {
    CopyBlockInto(a, lo, hi, b, dest);
  }
  return 0;
}

/// True when all of a, placed at dest, lies inside b (inner arrays checked one by one).
template <class A, std::size_t R>
bool WholeInside(const A& a, const A& b, const TIx<R>& dest) {
  constexpr std::size_t k = R - RankOf<A>;
  if (dest[k] < 0 || dest[k] >= Len(b) || dest[k] + Len(a) > Len(b)) {
    return false;
  }
  if constexpr (RankOf<A> > 1) {
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (!WholeInside(a[i], b[static_cast<std::size_t>(dest[k]) + i], dest)) {
        return false;
      }
    }
  }
  return true;
}

template <class A, std::size_t R>
void CopyWholeInto(const A& a, A& b, const TIx<R>& dest) {
  constexpr std::size_t k = R - RankOf<A>;
  const auto d = static_cast<std::size_t>(dest[k]);
  if constexpr (RankOf<A> == 1) {
    std::copy(a.begin(), a.end(), b.begin() + static_cast<std::ptrdiff_t>(d));
  } else {
    for (std::size_t i = 0; i < a.size(); ++i) {
      CopyWholeInto(a[i], b[d + i], dest);
    }
  }
}

/// Copies all of A into B with A's first cell at dest; B is not resized.
/// -1 if A or B holds no cell; -2 unless the whole of A fits.
template <class A, std::size_t R>
int CopyWhole(const A& a, const TIx<R>& dest, A& b) {
  static_assert(RankOf<A> == R);
  if (HasNoCells(a) || HasNoCells(b)) {
    return -1;
  }
  if (!WholeInside(a, b, dest)) {
    return -2;
  }
  if (static_cast<const void*>(&a) != static_cast<const void*>(&b)) {
    CopyWholeInto(a, b, dest);  // an array copied onto itself fits only at 0 and is unchanged
  }
  return 0;
}

/// B := A[ColIx][FirstRow..LastRow].  -1 empty A; -2 bad row bounds; -3 bad ColIx.
template <class A2, class A1>
int CopyArrayColumn(const A2& a, std::int32_t colIx, std::int32_t firstRow, std::int32_t lastRow, A1& b) {
  if (HasNoCells(a)) {
    return -1;
  }
  if (firstRow < 0 || lastRow < firstRow || lastRow >= Len(a[0])) {
    return -2;
  }
  if (colIx < 0 || colIx >= Len(a)) {
    return -3;
  }
  const auto& col = a[static_cast<std::size_t>(colIx)];
  if (lastRow >= Len(col)) {
    return -2;
  }
  A1 tmp(col.begin() + firstRow, col.begin() + lastRow + 1);
  b = std::move(tmp);
  return 0;
}

/// B := A[FirstCol..LastCol][RowIx].  -1 empty A; -2 bad column bounds; -3 bad RowIx.
template <class A2, class A1>
int CopyArrayRow(const A2& a, std::int32_t rowIx, std::int32_t firstCol, std::int32_t lastCol, A1& b) {
  if (HasNoCells(a)) {
    return -1;
  }
  if (firstCol < 0 || lastCol < firstCol || lastCol >= Len(a)) {
    return -2;
  }
  if (rowIx < 0 || rowIx >= Len(a[0])) {
    return -3;
  }
  for (std::int32_t c = firstCol; c <= lastCol; ++c) {
    if (rowIx >= Len(a[static_cast<std::size_t>(c)])) {
      return -3;
    }
  }
  A1 tmp(static_cast<std::size_t>(lastCol - firstCol + 1));
  for (std::int32_t c = firstCol; c <= lastCol; ++c) {
    tmp[static_cast<std::size_t>(c - firstCol)] = a[static_cast<std::size_t>(c)][static_cast<std::size_t>(rowIx)];
  }
  b = std::move(tmp);
  return 0;
}

/// Copies V[FirstIx..LastIx] into A along a column (ByRow false: A[ColIx][RowIx + k])
/// or a row (ByRow true: A[ColIx + k][RowIx]), stopping at the end of the column
/// or row.  (0, 0) means all of V.  -1 if a bound lies outside V or LastIx < FirstIx;
/// -2 if ColIx or RowIx lies outside A.
template <class A1, class A2>
int CopyToArrayLine(const A1& v, std::int32_t firstIx, std::int32_t lastIx, std::int32_t colIx,
                    std::int32_t rowIx, A2& a, bool byRow) {
  std::int64_t first = firstIx;
  std::int64_t last = lastIx;
  if (first == 0 && last == 0) {
    last = Len(v) - 1;
  }
  if (first < 0 || first >= Len(v) || last < first || last >= Len(v)) {
    return -1;
  }
  if (colIx < 0 || colIx >= Len(a) || rowIx < 0 || rowIx >= Len(a[static_cast<std::size_t>(colIx)])) {
    return -2;
  }
  // V may be one of A's columns: take the cells before anything is written.
  const A1 block(v.begin() + first, v.begin() + last + 1);
  const auto n = static_cast<std::int64_t>(block.size());
  if (byRow) {
    for (std::int64_t k = 0; k < n && colIx + k < Len(a); ++k) {
      auto& col = a[static_cast<std::size_t>(colIx + k)];
      if (rowIx >= Len(col)) {
        break;  // a shorter column ends the row
      }
      col[static_cast<std::size_t>(rowIx)] = block[static_cast<std::size_t>(k)];
    }
  } else {
    auto& col = a[static_cast<std::size_t>(colIx)];
    const std::int64_t count = std::min(n, Len(col) - rowIx);
    std::copy(block.begin(), block.begin() + count, col.begin() + rowIx);
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Fills
// ---------------------------------------------------------------------------

template <class A, std::size_t R>
void FillBlock(A& a, const TIx<R>& lo, const TIx<R>& hi, const ElemOf<A>& value) {
  constexpr std::size_t k = R - RankOf<A>;
  if constexpr (RankOf<A> == 1) {
    std::fill(a.begin() + lo[k], a.begin() + hi[k] + 1, value);
  } else {
    for (std::int64_t i = lo[k]; i <= hi[k]; ++i) {
      FillBlock(a[static_cast<std::size_t>(i)], lo, hi, value);
    }
  }
}

/// Fills the block lo..hi.  -1 if A holds no cell; -2 if the block is not inside A.
template <class A, std::size_t R>
int FillRange(A& a, const ElemOf<A>& value, const TIx<R>& lo, const TIx<R>& hi) {
  static_assert(RankOf<A> == R);
  if (HasNoCells(a)) {
    return -1;
  }
  if (!BlockInside(a, lo, hi)) {
    return -2;
  }
  FillBlock(a, lo, hi, value);
  return 0;
}

/// 1-D: cell k := First + k * Inc (computed); higher ranks: successive addition in
/// storage order.  32-bit integers wrap around.  -1 if A holds no cell.
template <class A>
int FillArraySerial(A& a, ElemOf<A> first, ElemOf<A> inc) {
  using T = ElemOf<A>;
  if (HasNoCells(a)) {
    return -1;
  }
  if constexpr (RankOf<A> == 1) {
    for (std::size_t k = 0; k < a.size(); ++k) {
      if constexpr (std::is_same_v<T, std::int32_t>) {
        const auto step = static_cast<std::uint32_t>(inc) * static_cast<std::uint32_t>(k);
        a[k] = static_cast<std::int32_t>(static_cast<std::uint32_t>(first) + step);
      } else {
        a[k] = first + static_cast<T>(k) * inc;
      }
    }
  } else {
    T value = first;
    auto next = [&](T& x) {
      x = value;
      value = WrapAdd(value, inc);
    };
    ForEachCell(a, next);
  }
  return 0;
}

template <class A>
ElemOf<A>& DiagCell(A& a, std::size_t i) {
  if constexpr (RankOf<A> == 1) {
    return a[i];
  } else {
    return DiagCell(a[i], i);
  }
}

/// Cells with all indexes equal := Value, every other cell := 0.
/// -1 if A holds no cell; -2 unless every dimension has the same length.
template <class A>
int FillDiagArray(A& a, ElemOf<A> value) {
  if (HasNoCells(a)) {
    return -1;
  }
  TIx<RankOf<A>> cube{};
  cube.fill(Len(a));
  if (!HasShape(a, cube)) {
    return -2;
  }
  FillAll(a, ElemOf<A>{});
  for (std::size_t i = 0; i < a.size(); ++i) {
    DiagCell(a, i) = value;
  }
  return 0;
}

/// Uniform integer in 0 .. span-1 (span >= 1) from the process-wide generator.
inline std::int64_t RandomBelow(std::int64_t span) {
  const auto k = static_cast<std::int64_t>(Random() * static_cast<double>(span));
  return std::min(k, span - 1);
}

/// Fills Out with distinct values drawn uniformly from Low .. Low + Span - 1
/// (Out.size() <= Span): a partial Fisher-Yates shuffle of that list.
void DrawDistinct(std::span<std::int32_t> out, std::int32_t low, std::int64_t span);

/// Low + r * (High - Low); where High - Low overflows (bounds of opposite
/// signs near the largest double) or is infinite, the weighted form
/// (1 - r) Low + r High, which stays between the bounds.
inline double UniformBetween(double r, double low, double high) {
  const double span = high - low;
  if (std::isfinite(span)) {
    return r * span + low;
  }
  return (1.0 - r) * low + r * high;  // also keeps an infinite bound infinite
}

/// Double cells := r * (High - Low) + Low, r uniform on [0, 1).
template <class A>
void FillRandomUniformReal(A& a, double low, double high) {
  auto draw = [low, high](double& x) { x = UniformBetween(Random(), low, high); };
  ForEachCell(a, draw);
}

/// Integer cells := floor(Low + (High - Low) * r), r uniform on [0, 1), so High
/// itself is not produced (unless Low = High).  -1 empty A; -2 Low > High.
template <class A>
int FillRandomUniformInt(A& a, std::int32_t low, std::int32_t high) {
  if (HasNoCells(a)) {
    return -1;
  }
  if (low > high) {
    return -2;
  }
  const double width = static_cast<double>(high) - static_cast<double>(low);
  auto draw = [low, high, width](std::int32_t& x) {
    const double v = std::floor(static_cast<double>(low) + width * Random());
    x = (low < high && v >= static_cast<double>(high)) ? high - 1 : static_cast<std::int32_t>(v);
  };
  ForEachCell(a, draw);
  return 0;
}

/// Double cells := normal deviates of the given mean and standard deviation.
template <class A>
void FillRandomNormal(A& a, double mean, double stdDev) {
  auto draw = [mean, stdDev](double& x) { x = RandG(mean, stdDev); };
  ForEachCell(a, draw);
}

/// Sets the cells whose mask value is false (all cells for an empty mask).
/// -2 empty A; -1 mask layout differs; else the number of cells set.
template <class A>
int FillArrayMasked(A& a, ElemOf<A> value, const std::vector<std::vector<bool>>& mask) {
  if (HasNoCells(a)) {
    return -2;
  }
  if (mask.empty()) {
    std::int64_t n = 0;
    for (auto& col : a) {
      std::fill(col.begin(), col.end(), value);
      n += Len(col);
    }
    return static_cast<int>(std::min<std::int64_t>(n, std::numeric_limits<std::int32_t>::max()));
  }
  if (!SameLayout(a, mask)) {
    return -1;
  }
  std::int64_t n = 0;
  for (std::size_t c = 0; c < a.size(); ++c) {
    for (std::size_t r = 0; r < a[c].size(); ++r) {
      if (!mask[c][r]) {
        a[c][r] = value;
        ++n;
      }
    }
  }
  return static_cast<int>(std::min<std::int64_t>(n, std::numeric_limits<std::int32_t>::max()));
}

// ---------------------------------------------------------------------------
// Transforms
// ---------------------------------------------------------------------------

/// Reverses the order of the inner arrays (or cells) at nesting depth Depth.
template <class A>
void FlipAtDepth(A& a, std::size_t depth) {
  if (depth == 0) {
    std::reverse(a.begin(), a.end());
    return;
  }
  if constexpr (RankOf<A> > 1) {
    for (auto& sub : a) {
      FlipAtDepth(sub, depth - 1);
    }
  }
}

/// Reverses along dimension Dim (1 = first index).  -1 empty A; -2 Dim outside 1..rank.
template <class A>
int FlipDimArray(A& a, std::int32_t dim) {
  if (HasNoCells(a)) {
    return -1;
  }
  if (dim < 1 || static_cast<std::size_t>(dim) > RankOf<A>) {
    return -2;
  }
  FlipAtDepth(a, static_cast<std::size_t>(dim - 1));
  return 0;
}

/// True when both have the same length at every inner array and equal cells.
template <class A>
bool EqualArrays(const A& a, const A& b) {
  if (a.size() != b.size()) {
    return false;
  }
  if constexpr (RankOf<A> == 1) {
    return std::equal(a.begin(), a.end(), b.begin());
  } else {
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (!EqualArrays(a[i], b[i])) {
        return false;
      }
    }
    return true;
  }
}

template <class A>
void AddCellsInto(const A& a, A& accu) {
  if constexpr (RankOf<A> == 1) {
    for (std::size_t i = 0; i < a.size(); ++i) {
      accu[i] = WrapAdd(accu[i], a[i]);
    }
  } else {
    for (std::size_t i = 0; i < a.size(); ++i) {
      AddCellsInto(a[i], accu[i]);
    }
  }
}

/// Cell-wise Accu := Accu + A; an empty Accu starts as a copy of A.
/// -1 if A holds no cell; -2 if the layouts differ.  32-bit integers wrap around.
template <class A>
int AccumulateArray(const A& a, A& accu) {
  if (HasNoCells(a)) {
    return -1;
  }
  if (accu.empty()) {
    accu = a;
    return 0;
  }
  if (!SameLayout(a, accu)) {
    return -2;
  }
  AddCellsInto(a, accu);
  return 0;
}

}  // namespace qmx::detail::arraycopy
