// Robustness of the open-array functions: NaN, the infinities, signed zeros,
// the extreme and denormal doubles and the 32-bit integer limits, as whole
// arrays, mixed among ordinary values, as scalar arguments and as indexes.
// Every call must return promptly without an undocumented exception; where a
// result has a clear contract it is checked against a reference computed here.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numeric>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "qmx/foundation/platform.hpp"
#include "qmx/openarrays/openarrays.hpp"
#include "robustness_util.hpp"

namespace qmx {
namespace {

using test::NamedArray;
using test::SpecialArrays;
using test::AllFinite;
using test::IsNaN;
using test::SameValue;
using test::SpecialDoubles;
using I32 = std::int32_t;
using LD = long double;
using DL = std::numeric_limits<double>;
constexpr I32 kIntMin = std::numeric_limits<I32>::min();
constexpr I32 kIntMax = std::numeric_limits<I32>::max();

/// Sizes of the 1-D inputs; 4 and 36 are squares and have several 2-D shapes.
constexpr std::array<std::size_t, 4> kSizes{1, 2, 4, 36};

std::size_t gCalls = 0;

/// One guarded call: no open-array function raises.
template <class F>
void Call(const std::string& what, F&& f) {
  ++gCalls;
  test::Survives<>(what, std::forward<F>(f));
}

// ---------------------------------------------------------------------------
// Inputs
// ---------------------------------------------------------------------------

template <class T>
struct Named {
  std::vector<T> values;
  std::string name;
};

std::vector<Named<double>> DoubleInputs(std::size_t n) {
  std::vector<Named<double>> out;
  for (auto& a : SpecialArrays(n)) {
    out.push_back({std::move(a.values), std::move(a.name)});
  }
  return out;
}

const std::vector<I32>& SpecialInts() {
  static const std::vector<I32> v{kIntMin, kIntMin + 1, -1, 0, 1, kIntMax - 1, kIntMax};
  return v;
}

std::vector<Named<I32>> IntInputs(std::size_t n) {
  std::vector<Named<I32>> out;
  TIntArray ordinary(n);
  for (std::size_t i = 0; i < n; ++i) {
    ordinary[i] = static_cast<I32>((i * 7) % 11) - 5;
  }
  for (const I32 s : SpecialInts()) {
    out.push_back({TIntArray(n, s), "all " + std::to_string(s)});
    TIntArray mixed = ordinary;
    mixed[n / 2] = s;
    out.push_back({mixed, "one " + std::to_string(s)});
  }
  TIntArray alt(n);
  for (std::size_t i = 0; i < n; ++i) {
    alt[i] = i % 2 == 0 ? kIntMax : kIntMin;
  }
  out.push_back({alt, "alternating limits"});
  out.push_back({ordinary, "ordinary"});
  return out;
}

/// Scalar arguments: the special doubles and the ones that matter to percentiles.
std::vector<double> Scalars() {
  std::vector<double> s;
  for (const auto& d : SpecialDoubles()) {
    s.push_back(d.value);
  }
  s.insert(s.end(), {1.0, 50.0, 100.0, 1e300, -1e-300});
  return s;
}

/// Indexes that a careless range check lets through.
std::vector<I32> HostileIndexes(I32 len) { return {kIntMin, -1, 0, len - 1, len, kIntMax}; }

// ---------------------------------------------------------------------------
// Small helpers and references
// ---------------------------------------------------------------------------

template <class T>
bool AnyNaN(const std::vector<T>& v) {
  return std::any_of(v.begin(), v.end(), [](T x) { return IsNaN(x); });
}
template <class T>
bool Contains(const std::vector<T>& v, double x) {
  return std::any_of(v.begin(), v.end(), [x](T c) { return SameValue(static_cast<double>(c), x); });
}
/// The non-NaN cells.
template <class T>
std::vector<T> Ordered(const std::vector<T>& v) {
  std::vector<T> o;
  std::copy_if(v.begin(), v.end(), std::back_inserter(o), [](T x) { return !IsNaN(x); });
  return o;
}
I32 SatInt(std::int64_t v) { return static_cast<I32>(std::clamp<std::int64_t>(v, kIntMin, kIntMax)); }
/// Nearest 32-bit integer, ties to even, clamped; NaN gives 0.
I32 RefToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v <= -2147483648.0) return kIntMin;
  if (v >= 2147483647.0) return kIntMax;
  return static_cast<I32>(std::nearbyint(v));
}
/// Sample standard deviation in 80-bit precision.
template <class T>
LD RefStdDev(const std::vector<T>& v) {
  LD m = 0.0L;
  for (const T x : v) m += static_cast<LD>(x);
  m /= static_cast<LD>(v.size());
  LD s = 0.0L;
  for (const T x : v) s += (static_cast<LD>(x) - m) * (static_cast<LD>(x) - m);
  return v.size() > 1 ? std::sqrt(s / static_cast<LD>(v.size() - 1)) : 0.0L;
}
bool NearLD(LD got, LD want, LD rel) { return std::fabs(got - want) <= rel * std::max(std::fabs(want), 1e-300L); }

// ---- nested arrays ----

template <class T>
struct Rank {
  static constexpr std::size_t value = 0;
  using Cell = T;
};
template <class T>
struct Rank<std::vector<T>> {
  static constexpr std::size_t value = 1 + Rank<T>::value;
  using Cell = typename Rank<T>::Cell;
};
template <class A>
constexpr std::size_t kRank = Rank<A>::value;

template <class A>
std::array<I32, kRank<A>> DimsOf(const A& a) {
  std::array<I32, kRank<A>> d{};
  d[0] = static_cast<I32>(a.size());
  if constexpr (kRank < A >> 1) {
    const auto inner = DimsOf(a[0]);
    std::copy(inner.begin(), inner.end(), d.begin() + 1);
  }
  return d;
}

template <class T>
std::vector<std::vector<T>> To2D(const std::vector<T>& v, std::size_t cols) {
  const std::size_t rows = v.size() / cols;
  std::vector<std::vector<T>> a(cols, std::vector<T>(rows));
  for (std::size_t c = 0; c < cols; ++c) {
    std::copy(v.begin() + static_cast<std::ptrdiff_t>(c * rows),
              v.begin() + static_cast<std::ptrdiff_t>((c + 1) * rows), a[c].begin());
  }
  return a;
}
template <class T>
std::vector<std::vector<std::vector<T>>> To3D(const std::vector<T>& v, std::size_t d1) {
  std::vector<std::vector<std::vector<T>>> a;
  const std::size_t block = v.size() / d1;
  for (std::size_t i = 0; i < d1; ++i) {
    std::vector<T> part(v.begin() + static_cast<std::ptrdiff_t>(i * block),
                        v.begin() + static_cast<std::ptrdiff_t>((i + 1) * block));
    a.push_back(To2D(part, block % 2 == 0 ? 2 : 1));
  }
  return a;
}
template <class T>
std::vector<std::vector<std::vector<std::vector<T>>>> To4D(const std::vector<T>& v, std::size_t d1) {
  std::vector<std::vector<std::vector<std::vector<T>>>> a;
  const std::size_t block = v.size() / d1;
  for (std::size_t i = 0; i < d1; ++i) {
    std::vector<T> part(v.begin() + static_cast<std::ptrdiff_t>(i * block),
                        v.begin() + static_cast<std::ptrdiff_t>((i + 1) * block));
    a.push_back(To3D(part, block % 2 == 0 ? 2 : 1));
  }
  return a;
}
/// Column counts of the 2-D shapes of n cells: 1, n and a square root.
std::vector<std::size_t> Shapes2D(std::size_t n) {
  std::vector<std::size_t> s{1};
  if (n > 1) s.push_back(n);
  const auto k = static_cast<std::size_t>(std::lround(std::sqrt(static_cast<double>(n))));
  if (k > 1 && k * k == n) s.push_back(k);
  return s;
}
template <class T>
std::vector<T> Flat(const std::vector<std::vector<T>>& a) {
  std::vector<T> f;
  for (const auto& c : a) f.insert(f.end(), c.begin(), c.end());
  return f;
}

// Calls with bounds in corner order (all lows, then all highs) or pair order.
template <std::size_t N, class F>
auto Corner(const std::array<I32, N>& lo, const std::array<I32, N>& hi, F&& f) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) { return f(lo[I]..., hi[I]...); }
  (std::make_index_sequence<N>{});
}
template <std::size_t N, class F>
auto Pairs(const std::array<I32, N>& lo, const std::array<I32, N>& hi, F&& f) {
  std::array<I32, 2 * N> p{};
  for (std::size_t i = 0; i < N; ++i) {
    p[2 * i] = lo[i];
    p[2 * i + 1] = hi[i];
  }
  return [&]<std::size_t... I>(std::index_sequence<I...>) { return f(p[I]...); }
  (std::make_index_sequence<2 * N>{});
}
/// The whole block, then (when Hostile) each bound replaced in turn by each hostile index.
template <std::size_t N>
std::vector<std::pair<std::array<I32, N>, std::array<I32, N>>> Blocks(const std::array<I32, N>& dims, bool hostile) {
  std::array<I32, N> lo{};
  std::array<I32, N> hi{};
  for (std::size_t d = 0; d < N; ++d) hi[d] = dims[d] - 1;
  std::vector<std::pair<std::array<I32, N>, std::array<I32, N>>> out{{lo, hi}};
  if (!hostile) return out;
  for (std::size_t d = 0; d < 2 * N; ++d) {
    for (const I32 x : HostileIndexes(dims[d % N])) {
      auto l = lo;
      auto h = hi;
      (d < N ? l[d] : h[d - N]) = x;
      out.push_back({l, h});
    }
  }
  return out;
}

/// The cells of a nested array in storage order (first index outer).
template <class A>
std::vector<typename Rank<A>::Cell> Flat2(const A& a) {
  if constexpr (kRank<A> == 1) {
    return a;
  } else {
    std::vector<typename Rank<A>::Cell> f;
    for (const auto& s : a) {
      const auto part = Flat2(s);
      f.insert(f.end(), part.begin(), part.end());
    }
    return f;
  }
}
template <class A, class T>
void ForEachFill(A& a, T v) {
  if constexpr (kRank<A> == 1) {
    std::fill(a.begin(), a.end(), v);
  } else {
    for (auto& s : a) ForEachFill(s, v);
  }
}
/// The array type of the same shape with cells of type U.
template <class A, class U>
struct Rebind {
  using type = U;
};
template <class T, class U>
struct Rebind<std::vector<T>, U> {
  using type = std::vector<typename Rebind<T, U>::type>;
};
template <class T>
TDoubleArray ToDoubles(const std::vector<T>& a) {
  return TDoubleArray(a.begin(), a.end());
}
template <std::size_t>
constexpr I32 kZeroAt = 0;
/// CopyArray of a source block (lows, highs) to the first cell of dest.
template <class A, std::size_t N>
int RangedCopy(const A& a, const std::array<I32, N>& lo, const std::array<I32, N>& hi, A& dest) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    return CopyArray(a, lo[I]..., hi[I]..., kZeroAt<I>..., dest);
  }
  (std::make_index_sequence<N>{});
}
/// CopyArray of the whole source to the destination indexes at.
template <class A, std::size_t N>
int PointCopy(const A& a, const std::array<I32, N>& at, A& dest) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) { return CopyArray(a, at[I]..., dest); }
  (std::make_index_sequence<N>{});
}

// ---------------------------------------------------------------------------
// Families over every rank (1-D to 4-D), double and integer cells
// ---------------------------------------------------------------------------

template <class A>
void RankFamilies(const A& a, const std::string& name, bool hostile) {
  using T = typename Rank<A>::Cell;
  const std::vector<T> flat = Flat2(a);
  constexpr std::size_t R = kRank<A>;
  const auto dims = DimsOf(a);
  const std::string tag = name + " rank " + std::to_string(R);
  const std::vector<T> valid = Ordered(flat);

  for (const auto& [lo, hi] : Blocks<R>(dims, hostile)) {
    const bool whole = lo == std::array<I32, R>{} && hi == Blocks<R>(dims, false)[0].second;
    Call("MeanArray " + tag, [&] {
      double mean = 1.0;
      const I32 rc = Corner<R>(lo, hi, [&](auto... b) { return MeanArray(a, b..., mean); });
      EXPECT_TRUE(rc == 0 || rc == -2) << rc;
      if (whole) {
        EXPECT_EQ(rc, 0);
        if (AllFinite(flat)) {
          const auto [mn, mx] = std::minmax_element(flat.begin(), flat.end());
          EXPECT_TRUE(mean >= static_cast<double>(*mn) && mean <= static_cast<double>(*mx)) << mean;
        }
      } else if (rc != 0) {
        EXPECT_EQ(mean, 0.0);
      }
    });
    Call("StdDevArray " + tag, [&] {
      double sd = -1.0;
      const I32 rc = Corner<R>(lo, hi, [&](auto... b) { return StdDevArray(a, b..., sd); });
      EXPECT_TRUE(rc == 0 || rc == -2) << rc;
      if (whole && AllFinite(flat)) {
        const LD want = RefStdDev(flat);
        if (want < static_cast<LD>(DL::max())) {
          EXPECT_TRUE(NearLD(sd, want, 1e-12L)) << sd << " want " << static_cast<double>(want);
        }
      }
    });
    Call("CountValues " + tag, [&] {
      for (const T low : {T(-2), T(0), std::numeric_limits<T>::lowest()}) {
        const T high = std::numeric_limits<T>::max();
        const I32 rc = Pairs<R>(lo, hi, [&](auto... b) { return CountValues(a, b..., low, high); });
        if (whole) {
          const auto want = std::count_if(flat.begin(), flat.end(), [&](T v) { return v >= low && v <= high; });
          EXPECT_EQ(rc, want);
        } else {
          EXPECT_TRUE(rc == -2 || (rc >= 0 && rc <= static_cast<I32>(flat.size()))) << rc;
        }
      }
    });
  }
  if constexpr (std::is_floating_point_v<T>) {
    for (const double s : Scalars()) {
      Call("CountValues scalar " + tag, [&] {
        const auto [lo, hi] = Blocks<R>(dims, false)[0];
        const I32 rc = Pairs<R>(lo, hi, [&](auto... b) { return CountValues(a, b..., s, 1.0); });
        if (s > 1.0) {
          EXPECT_EQ(rc, -2);
        } else {
          EXPECT_EQ(rc, std::count_if(flat.begin(), flat.end(), [&](T v) { return v >= s && v <= 1.0; }));
        }
      });
    }
  }

  Call("MaxArray/MinArray " + tag, [&] {
    const T mx = MaxArray(a);
    const T mn = MinArray(a);
    if (valid.empty()) {
      EXPECT_TRUE(IsNaN(mx) && IsNaN(mn));
    } else {
      EXPECT_TRUE(SameValue(mx, *std::max_element(valid.begin(), valid.end()))) << mx;
      EXPECT_TRUE(SameValue(mn, *std::min_element(valid.begin(), valid.end()))) << mn;
    }
  });
  Call("MinMaxArray " + tag, [&] {
    using Out = std::conditional_t<std::is_floating_point_v<T>, double, I32>;
    Out mn{};
    Out mx{};
    EXPECT_EQ(MinMaxArray(a, mn, mx), 0);
    if (!valid.empty()) {
      EXPECT_TRUE(SameValue(mx, static_cast<Out>(*std::max_element(valid.begin(), valid.end())))) << mx;
      EXPECT_TRUE(SameValue(mn, static_cast<Out>(*std::min_element(valid.begin(), valid.end())))) << mn;
    }
  });

  // element-wise arithmetic against an ordinary partner of the same shape
  A partner = a;
  ForEachFill(partner, T(3));
  Call("element-wise " + tag, [&] {
    A c;
    EXPECT_EQ(AddArrays(a, partner, c), 0);
    EXPECT_EQ(SubtractArrays(a, a, c), 0);
    if constexpr (R <= 2) {
      EXPECT_EQ(MultiplyArraysElemw(a, a, c), 0);
      if constexpr (std::is_integral_v<T>) {
        const auto f = Flat2(c);
        for (std::size_t i = 0; i < f.size(); ++i) {
          EXPECT_EQ(f[i], SatInt(std::int64_t{flat[i]} * flat[i]));
        }
      }
    }
    A empty;
    EXPECT_EQ(AddArrays(a, empty, c), -1);
  });
  const std::vector<T> factors = [] {
    if constexpr (std::is_floating_point_v<T>) {
      return Scalars();
    } else {
      return SpecialInts();
    }
  }();
  for (const T s : factors) {
    Call("scalar arithmetic " + tag, [&] {
      A b;
      EXPECT_EQ(MultiplyArrayByScalar(a, s, b), 0);
      if constexpr (std::is_integral_v<T>) {
        const auto f = Flat2(b);
        for (std::size_t i = 0; i < f.size(); ++i) {
          EXPECT_EQ(f[i], SatInt(std::int64_t{flat[i]} * s));
        }
      }
      EXPECT_EQ(AddScalarToArray(a, s, b), 0);
      if constexpr (std::is_integral_v<T>) {
        const auto f = Flat2(b);
        for (std::size_t i = 0; i < f.size(); ++i) {
          EXPECT_EQ(f[i], SatInt(std::int64_t{flat[i]} + s));
        }
      }
      A c = a;
      EXPECT_EQ(MultiplyArrayByScalar(c, s), 0);
      EXPECT_EQ(IncArray(c, s), 0);
      FillArray(c, s);
      if constexpr (std::is_floating_point_v<T>) {
        EXPECT_EQ(ReciprocalArray(c, s), 0);
        c = a;
        EXPECT_EQ(ReciprocalArray(c, s), 0);
        const auto f = Flat2(c);
        for (std::size_t i = 0; i < f.size(); ++i) {
          EXPECT_TRUE(SameValue(f[i], flat[i] == 0.0 ? s : 1.0 / flat[i]));
        }
        FillRandomUniform(c, s, 2.0);
        FillRandomUniform(c, -2.0, s);
        FillRandomNormal(c, s, 1.0);
        FillRandomNormal(c, 0.0, s);
        if (std::isfinite(s)) {
          FillRandomUniform(c, -s, s);
          for (const double v : Flat2(c)) {
            EXPECT_TRUE(v >= -std::fabs(s) && v <= std::fabs(s)) << v << " drawn between " << -s << " and " << s;
          }
        }
      } else {
        for (const T high : SpecialInts()) {
          const int rc = FillRandomUniform(c, s, high);
          EXPECT_EQ(rc, s > high ? -2 : 0);
          if (rc == 0) {
            for (const T v : Flat2(c)) {
              EXPECT_TRUE(v >= s && (v < high || (v == s && s == high))) << v;
            }
          }
        }
      }
      if constexpr (R <= 3 || std::is_floating_point_v<T>) {
        EXPECT_EQ(FillArraySerial(c, s, s), 0);
        EXPECT_EQ(FillArraySerial(c, T(1), s), 0);
      }
      if constexpr (R >= 2) {
        const int rc = FillDiagArray(c, s);
        EXPECT_TRUE(rc == 0 || rc == -2);
      }
    });
  }
  Call("AbsValArray " + tag, [&] {
    A c = a;
    EXPECT_EQ(AbsValArray(c), 0);
    const auto f = Flat2(c);
    for (std::size_t i = 0; i < f.size(); ++i) {
      if constexpr (std::is_integral_v<T>) {
        EXPECT_EQ(f[i], flat[i] == kIntMin ? kIntMax : std::abs(flat[i]));
      } else {
        EXPECT_TRUE(SameValue(f[i], std::fabs(flat[i])));
      }
    }
  });
  Call("clone, flip, accumulate " + tag, [&] {
    A b;
    EXPECT_EQ(CloneArray(a, b), 0);
    EXPECT_EQ(Flat2(b).size(), flat.size());
    if constexpr (std::is_floating_point_v<T>) {
      using IA = typename Rebind<A, I32>::type;
      IA ia;
      EXPECT_EQ(CloneArray(a, ia), 0);
      const auto f = Flat2(ia);
      for (std::size_t i = 0; i < f.size(); ++i) {
        EXPECT_EQ(f[i], RefToInt(flat[i])) << flat[i];
      }
    } else {
      using DA = typename Rebind<A, double>::type;
      DA da;
      EXPECT_EQ(CloneArray(a, da), 0);
    }
    for (const I32 dim : {kIntMin, 0, 1, static_cast<I32>(R), static_cast<I32>(R) + 1, kIntMax}) {
      A c = a;
      const int rc = FlipDimArray(c, dim);
      EXPECT_EQ(rc, dim >= 1 && dim <= static_cast<I32>(R) ? 0 : -2);
    }
    A accu;
    EXPECT_EQ(AccumulateArray(a, accu), 0);
    EXPECT_EQ(AccumulateArray(a, accu), 0);
    A wrong = partner;
    wrong.push_back(wrong[0]);
    EXPECT_EQ(AccumulateArray(a, wrong), -2);
    if constexpr (std::is_integral_v<T>) {
      EXPECT_TRUE(EqualArrays(a, b));
    }
  });
  for (const auto& [lo, hi] : Blocks<R>(dims, hostile)) {
    Call("ranged fill and copy " + tag, [&] {
      A c = a;
      const int rc = Corner<R>(lo, hi, [&](auto... b) { return FillArray(c, T(7), b...); });
      EXPECT_TRUE(rc == 0 || rc == -2);
      A dest = partner;
      const int rc2 = RangedCopy(a, lo, hi, dest);
      EXPECT_TRUE(rc2 == 0 || rc2 == -2) << rc2;
      const int rc3 = PointCopy(a, lo, dest);
      EXPECT_TRUE(rc3 == 0 || rc3 == -2) << rc3;
    });
  }
}

// The statistics, ranges and histograms of 1-D arrays.
template <class T>
void OneDimFamilies(const std::vector<T>& a, const std::string& name, bool hostile) {
  const I32 n = static_cast<I32>(a.size());
  const std::vector<T> valid = Ordered(a);
  const auto scalars = Scalars();

  Call("MaxArray/MinArray with index " + name, [&] {
    I32 ix = -7;
    const T mx = MaxArray(a, ix);
    ASSERT_TRUE(ix >= 0 && ix < n) << ix;
    EXPECT_TRUE(SameValue(a[static_cast<std::size_t>(ix)], mx));
    ix = -7;
    const T mn = MinArray(a, ix);
    ASSERT_TRUE(ix >= 0 && ix < n) << ix;
    EXPECT_TRUE(SameValue(a[static_cast<std::size_t>(ix)], mn));
    if (!valid.empty()) {
      EXPECT_FALSE(IsNaN(mx) || IsNaN(mn));
    }
  });
  Call("MinMaxArray span " + name, [&] {
    T mn{};
    T mx{};
    EXPECT_EQ(MinMaxArray(std::span<const T>(a), mn, mx), 0);
    if (!valid.empty()) {
      EXPECT_TRUE(SameValue(mx, *std::max_element(valid.begin(), valid.end())));
      EXPECT_TRUE(SameValue(mn, *std::min_element(valid.begin(), valid.end())));
    }
  });
  for (const I32 first : hostile ? HostileIndexes(n) : std::vector<I32>{0}) {
    for (const I32 last : hostile ? HostileIndexes(n) : std::vector<I32>{n - 1}) {
      Call("ranged statistics " + name, [&] {
        T mn{};
        T mx{};
        I32 mnIx = -5;
        I32 mxIx = -5;
        const I32 rc = MinMaxArray(a, first, last, mn, mx, mnIx, mxIx);
        EXPECT_TRUE(rc == 0 || rc == -2);
        if (rc == 0 && first <= last) {
          ASSERT_TRUE(mnIx >= first && mnIx <= last && mxIx >= first && mxIx <= last) << mnIx << " " << mxIx;
          EXPECT_TRUE(SameValue(a[static_cast<std::size_t>(mnIx)], mn));
          EXPECT_TRUE(SameValue(a[static_cast<std::size_t>(mxIx)], mx));
        }
        double mean = 0.0;
        double var = 0.0;
        const I32 rc2 = MeanVarArray(a, first, last, mean, var);
        EXPECT_TRUE(rc2 == 0 || rc2 == -2);
        EXPECT_TRUE(var >= 0.0 || std::isnan(var)) << var;
        for (const double perc : {0.0, 50.0, 100.0}) {
          const double p = PercentileArray(perc, ToDoubles(a), first, last);
          EXPECT_TRUE(Contains(a, p)) << p;
        }
        TIntArray histo{42};
        I32 under = -1;
        I32 over = -1;
        I32 maxCnt = -1;
        const I32 rc3 = FrequDistOfArray(ToDoubles(a), first, last, -3.0, 3.0, 0.5, histo, under, over, maxCnt);
        EXPECT_TRUE(rc3 == 0 || rc3 == -1 || rc3 == -2) << rc3;
        if (rc3 != 0) {
          EXPECT_EQ(histo, TIntArray{42});
          EXPECT_EQ(under, -1);
        }
      });
    }
  }
  for (const I32 nData : {kIntMin, 0, 1, n, n + 1, kIntMax}) {
    Call("MeanAbsDev " + name, [&] {
      double md = -1.0;
      const I32 rc = MeanAbsDev(a, nData, md);
      EXPECT_EQ(rc, nData >= 1 && nData <= n ? 0 : -2);
      EXPECT_TRUE(md >= 0.0 || std::isnan(md)) << md;
      if (rc == 0 && AllFinite(a)) {
        EXPECT_TRUE(std::isfinite(md)) << md;
      }
    });
  }
  Call("MeanVarArray 2-D " + name, [&] {
    const auto m = To2D(a, 1);
    double mean = 0.0;
    double var = -1.0;
    EXPECT_EQ(MeanVarArray(m, 0, 0, 0, n - 1, mean, var), 0);
    EXPECT_TRUE(var >= 0.0 || std::isnan(var));
  });

  for (const double perc : scalars) {
    Call("PercentileArray " + name, [&] {
      const double p = PercentileArray(perc, a);
      if (std::isnan(perc)) {
        EXPECT_TRUE(std::isnan(p));
        return;
      }
      EXPECT_TRUE(Contains(a, p)) << p;
      if (valid.size() == a.size()) {
        std::vector<T> s = a;
        std::sort(s.begin(), s.end());
        const double k = std::nearbyint(static_cast<double>(n) * std::clamp(perc, 0.0, 100.0) / 100.0);
        EXPECT_TRUE(SameValue(p, static_cast<double>(s[static_cast<std::size_t>(std::min<double>(k, n - 1))])));
      }
      if constexpr (std::is_floating_point_v<T>) {
        const double p2 = PercentileArray(perc, To2D(a, 1), kIntMin, kIntMin, kIntMax, kIntMax);
        EXPECT_TRUE(Contains(a, p2)) << p2;
      }
    });
  }

  // histograms with hostile bin layouts
  if constexpr (std::is_floating_point_v<T>) {
    const std::vector<std::array<double, 3>> layouts = [&] {
      std::vector<std::array<double, 3>> l{
          {0.0, 10.0, 1.0}, {-DL::max(), DL::max(), DL::max()}, {-1.0, 1.0, DL::min()}};
      for (const double s : scalars) {
        l.push_back({s, 5.0, 1.0});
        l.push_back({-5.0, s, 1.0});
        l.push_back({-5.0, 5.0, s});
        l.push_back({s, s * 2.0, s});
      }
      return l;
    }();
    const auto m = To2D(a, a.size() % 2 == 0 ? 2 : 1);
    TBool2DArray mask(m.size(), TBoolArray(m[0].size(), false));
    mask[0][0] = true;
    for (const auto& [firstBin, lastBin, width] : layouts) {
      Call("FrequDistOfArray " + name, [&] {
        TIntArray histo;
        I32 under = -1;
        I32 over = -1;
        I32 maxCnt = -1;
        const I32 rc = FrequDistOfArray(a, 0, 0, firstBin, lastBin, width, histo, under, over, maxCnt);
        ASSERT_TRUE(rc <= 0 && rc >= -5) << rc;
        if (rc == 0) {
          ASSERT_GE(histo.size(), 1u);
          ASSERT_LE(histo.size(), 1000u);
          const auto counted = std::accumulate(histo.begin(), histo.end(), std::int64_t{0});
          EXPECT_EQ(counted + under + over, static_cast<std::int64_t>(valid.size()));
          EXPECT_EQ(maxCnt, *std::max_element(histo.begin(), histo.end()));
        } else {
          EXPECT_TRUE(histo.empty() && under == -1 && over == -1 && maxCnt == -1);
        }
        for (const bool masked : {false, true}) {
          TIntArray h2;
          I32 u2 = 0;
          I32 o2 = 0;
          I32 mc2 = 0;
          const I32 rc2 = masked ? FrequDistOfArray(m, mask, 0, 0, 0, 0, firstBin, lastBin, width, h2, u2, o2, mc2)
                                 : FrequDistOfArray(m, 0, 0, 0, 0, firstBin, lastBin, width, h2, u2, o2, mc2);
          EXPECT_EQ(rc2, rc);
          if (rc2 == 0) {
            const auto counted = std::accumulate(h2.begin(), h2.end(), std::int64_t{0});
            const std::int64_t skipped = masked && !IsNaN(m[0][0]) ? 1 : 0;
            EXPECT_EQ(counted + u2 + o2, static_cast<std::int64_t>(valid.size()) - skipped);
          }
        }
      });
    }
  }

  // local statistics with hostile centres, radii and limits
  const std::vector<I32> idx = hostile ? HostileIndexes(n) : std::vector<I32>{n / 2};
  for (const I32 center : idx) {
    for (const I32 radius : {kIntMin, 0, 1, kIntMax}) {
      for (const I32 lowLimit : idx) {
        Call("LocalMean/LocalMedian " + name, [&] {
          const double mean = LocalMean(a, center, radius, lowLimit, kIntMax);
          const double median = LocalMedian(a, center, radius, lowLimit, n - 1);
          if (AllFinite(a)) {
            const auto [mn, mx] = std::minmax_element(a.begin(), a.end());
            EXPECT_TRUE(mean >= static_cast<double>(*mn) && mean <= static_cast<double>(*mx)) << mean;
            EXPECT_TRUE(median >= static_cast<double>(*mn) && median <= static_cast<double>(*mx)) << median;
          }
        });
      }
    }
  }

  Call("linearity, monotony, dichotomy " + name, [&] {
    const auto check = [&](const TIntArray& breaks, I32 count) {
      EXPECT_EQ(count, static_cast<I32>(n < 3 ? 0 : breaks.size()));
      for (std::size_t i = 0; n >= 3 && i < breaks.size(); ++i) {
        EXPECT_TRUE(breaks[i] >= 1 && breaks[i] <= n - 2 && (i == 0 || breaks[i] > breaks[i - 1]));
      }
    };
    if constexpr (std::is_floating_point_v<T>) {
      for (const double tol : scalars) {
        TIntArray breaks;
        check(breaks, CheckLinearity(a, tol, breaks));
      }
    } else {
      TIntArray breaks;
      check(breaks, CheckLinearity(a, breaks));
    }
    bool up = true;
    bool down = true;
    bool strictUp = true;
    bool strictDown = true;
    for (I32 i = 0; i + 1 < n; ++i) {
      const T x = a[static_cast<std::size_t>(i)];
      const T y = a[static_cast<std::size_t>(i + 1)];
      up = up && x <= y;
      down = down && x >= y;
      strictUp = strictUp && x < y;
      strictDown = strictDown && x > y;
    }
    EXPECT_EQ(IsMonotone(a), n < 3 || up || down);
    EXPECT_EQ(IsStrictlyMonotone(a), n < 3 || strictUp || strictDown);
    T v1{};
    T v2{};
    std::vector<T> distinct = valid;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    const bool dich = IsDichotomous(a, v1, v2);
    EXPECT_EQ(dich, valid.size() == a.size() && distinct.size() == 2);
    if (dich) {
      EXPECT_TRUE(v1 < v2);
    }
  });

  Call("products " + name, [&] {
    using S = std::conditional_t<std::is_floating_point_v<T>, double, std::int64_t>;
    S dot{};
    EXPECT_EQ(VectorDotProduct(a, a, dot), 0);
    if constexpr (std::is_floating_point_v<T>) {
      EXPECT_TRUE(dot >= 0.0 || std::isnan(dot));
    } else {
      __extension__ __int128 want = 0;
      for (const T x : a) want += static_cast<std::int64_t>(x) * x;
      __extension__ const __int128 top = std::numeric_limits<std::int64_t>::max();
      EXPECT_EQ(dot, static_cast<std::int64_t>(std::min(want, top)));
    }
    std::vector<T> c;
    const I32 rc = VectorCrossProduct(a, a, c);
    EXPECT_EQ(rc, n == 3 ? 0 : -2);
    std::vector<std::vector<T>> outer;
    EXPECT_EQ(MultiplyArrays(a, a, outer), 0);
    EXPECT_EQ(outer.size(), a.size());
  });

  Call("conversions " + name, [&] {
    std::vector<T> r;
    EXPECT_EQ(CloneAndReverseArray(a, r), 0);
    TDoubleArray d;
    EXPECT_EQ(CloneAndReverseArray(a, d), 0);
    if constexpr (std::is_floating_point_v<T>) {
      TIntArray ir;
      EXPECT_EQ(CloneAndReverseArray(a, ir), 0);
      for (I32 i = 0; i < n; ++i) {
        EXPECT_EQ(ir[static_cast<std::size_t>(i)], RefToInt(a[static_cast<std::size_t>(n - 1 - i)]));
      }
      TSingleArray s;
      EXPECT_EQ(CloneArray(a, s), 0);
      for (I32 i = 0; i < n; ++i) {
        const double v = a[static_cast<std::size_t>(i)];
        const float f = s[static_cast<std::size_t>(i)];
        EXPECT_TRUE(std::isnan(v) ? std::isnan(f)
                                  : (std::fabs(v) > FLT_MAX ? std::isinf(f) : f == static_cast<float>(v)));
      }
      TDoubleArray back;
      EXPECT_EQ(CloneArray(s, back), 0);
      EXPECT_EQ(CloneAndReverseArray(s, back), 0);
      EXPECT_EQ(CloneAndReverseArray(a, s), 0);
      double smin = 0.0;
      double smax = 0.0;
      EXPECT_EQ(MinMaxArray(s, smin, smax), 0);
    }
  });

  Call("sums of squared differences " + name, [&] {
    if constexpr (std::is_floating_point_v<T>) {
      const double self = SumOfSquaredDiffs(a, a);
      EXPECT_TRUE(AllFinite(a) ? self == 0.0 : std::isnan(self)) << self;
      const auto m = To2D(a, 1);
      for (const I32 col : {kIntMin, -1, 0, 1, kIntMax}) {
        const double r = SumOfSquaredDiffs(a, m, col);
        if (col != 0) {
          EXPECT_EQ(r, -3.0);
        }
      }
    }
  });

  Call("permutations " + name, [&] {
    std::vector<T> b = a;
    TIntArray perm(a.size());
    std::iota(perm.rbegin(), perm.rend(), 0);
    EXPECT_EQ(PermuteArray(b, perm), 0);
    for (I32 i = 0; i < n; ++i) {
      EXPECT_TRUE(SameValue(b[static_cast<std::size_t>(i)], a[static_cast<std::size_t>(n - 1 - i)]));
    }
    for (const I32 bad : {kIntMin, -1, n, kIntMax}) {
      perm[0] = bad;
      b = a;
      EXPECT_EQ(PermuteArray(b, perm), -2);
    }
  });

  if constexpr (std::is_integral_v<T>) {
    for (const I32 low : SpecialInts()) {
      for (const I32 high : SpecialInts()) {
        for (const bool reps : {false, true}) {
          Call("FillRandomUniform without repetitions " + name, [&] {
            TIntArray c = a;
            const int rc = FillRandomUniform(c, low, high, reps);
            const std::int64_t span = std::int64_t{high} - low + 1;
            int want = 0;
            if (high < low)
              want = -2;
            else if (!reps && span < n)
              want = -3;
            else if (!reps && span > 1000000)
              want = -4;
            EXPECT_EQ(rc, want);
            if (rc == 0) {
              for (const I32 v : c) {
                EXPECT_TRUE(v >= low && v <= high);
              }
              if (!reps) {
                std::sort(c.begin(), c.end());
                EXPECT_TRUE(std::adjacent_find(c.begin(), c.end()) == c.end());
              }
            }
          });
        }
      }
    }
  } else {
    for (const double lo : scalars) {
      Call("RescaleArray " + name, [&] {
        for (const double hi : {lo, 1.0, -DL::max(), DL::max()}) {
          TDoubleArray c = a;
          const int rc = RescaleArray(c, lo, hi);
          const bool spread = AllFinite(a) && valid.size() > 0 &&
                              *std::min_element(a.begin(), a.end()) < *std::max_element(a.begin(), a.end());
          EXPECT_EQ(rc, spread ? 0 : -2);
          if (rc != 0) {
            EXPECT_TRUE(std::equal(c.begin(), c.end(), a.begin(), SameValue<double>));
          } else if (std::isfinite(lo) && std::isfinite(hi)) {
            for (const double v : c) {
              EXPECT_TRUE(v >= std::min(lo, hi) && v <= std::max(lo, hi)) << v << " in " << lo << " .. " << hi;
            }
          }
        }
      });
    }
  }
}

// ---------------------------------------------------------------------------
// Square and rectangular matrices
// ---------------------------------------------------------------------------

void MatrixFamilies(const TDouble2DArray& a, const std::string& name) {
  const std::size_t nc = a.size();
  const std::size_t nr = a[0].size();
  const bool square = nc == nr;
  const std::vector<double> flat = Flat(a);
  const bool finite = AllFinite(flat);

  Call("TraceOfArray " + name, [&] {
    double tr = 1.0;
    const I32 rc = TraceOfArray(a, tr);
    EXPECT_EQ(rc, square ? 0 : -2);
    if (square) {
      LD want = 0.0L;
      for (std::size_t i = 0; i < nc; ++i) want += a[i][i];
      EXPECT_TRUE(SameValue(tr, static_cast<double>(want)));
    }
  });
  Call("TransposeArray " + name, [&] {
    TDouble2DArray t = a;
    EXPECT_EQ(TransposeArray(t), 0);
    EXPECT_EQ(TransposeArray(t), 0);
    EXPECT_TRUE(std::equal(flat.begin(), flat.end(), Flat(t).begin(), SameValue<double>));
  });
  Call("InvertArray " + name, [&] {
    TDouble2DArray inv = a;
    const I32 rc = InvertArray(inv);
    EXPECT_TRUE(square ? (rc == 0 || rc == -3) : rc == -1) << rc;
    if (rc == 0) {
      EXPECT_TRUE(AllFinite(Flat(inv)));
    } else {
      EXPECT_TRUE(std::equal(flat.begin(), flat.end(), Flat(inv).begin(), SameValue<double>));
    }
  });
  TDouble2DArray sym = a;
  for (std::size_t c = 0; square && c < nc; ++c) {
    for (std::size_t r = c + 1; r < nr; ++r) sym[c][r] = sym[r][c];
  }
  Call("Determinant " + name, [&] {
    for (const TDouble2DArray* m : {&a, static_cast<const TDouble2DArray*>(&sym)}) {
      double det = 1.0;
      const I32 rc = Determinant(*m, det);
      EXPECT_EQ(rc, !square ? -2 : (finite ? 0 : -3));
      if (rc == 0) {
        EXPECT_FALSE(std::isnan(det)) << "determinant of a finite matrix";
      }
    }
  });
  Call("LUdecomposition " + name, [&] {
    TDouble2DArray l{{5.0}};
    TDouble2DArray u{{5.0}};
    const I32 rc = LUdecomposition(a, l, u);
    EXPECT_TRUE(!square ? rc == -2 : (finite ? (rc == 0 || rc == -3) : rc == -3)) << rc;
    if (rc == 0) {
      ASSERT_EQ(l.size(), nc);
      EXPECT_TRUE(AllFinite(Flat(l)) && AllFinite(Flat(u))) << "factors of a finite matrix are not finite";
    } else {
      EXPECT_EQ(l, TDouble2DArray{{5.0}});
    }
  });
  Call("LUPdecomposition " + name, [&] {
    TDouble2DArray l;
    TDouble2DArray u;
    TInt2DArray p;
    I32 sign = 0;
    const I32 rc = LUPdecomposition(a, l, u, p, sign);
    EXPECT_TRUE(!square ? rc == -2 : (finite ? (rc == 0 || rc == -3) : rc == -3)) << rc;
    if (rc == 0) {
      EXPECT_TRUE(sign == 1 || sign == -1);
      ASSERT_EQ(p.size(), nc);
      for (std::size_t r = 0; r < nc; ++r) {
        int ones = 0;
        for (std::size_t c = 0; c < nc; ++c) ones += p[c][r];
        EXPECT_EQ(ones, 1);
      }
      for (const double v : Flat(l)) {
        EXPECT_TRUE(std::fabs(v) <= 1.0 || std::isnan(v)) << "pivoting keeps |L| <= 1";
      }
      EXPECT_TRUE(AllFinite(Flat(l)) && AllFinite(Flat(u))) << "factors of a finite matrix are not finite";
    }
  });
  Call("EigenDecomposition " + name, [&] {
    for (const bool vecs : {false, true}) {
      TDouble2DArray ev;
      TDoubleArray vals{9.0};
      const I32 rc = EigenDecomposition(sym, vecs, ev, vals);
      EXPECT_EQ(rc, !square ? -2 : (finite ? 0 : -3));
      if (rc == 0) {
        ASSERT_EQ(vals.size(), nc);
        EXPECT_FALSE(AnyNaN(vals)) << "eigenvalues of a finite symmetric matrix";
        EXPECT_TRUE(std::is_sorted(vals.rbegin(), vals.rend()));
        EXPECT_EQ(ev.size(), vecs ? nc : 0u);
      } else {
        EXPECT_EQ(vals, TDoubleArray{9.0});
      }
      const I32 rc2 = EigenDecomposition(a, vecs, ev, vals);
      EXPECT_TRUE(rc2 <= 0 && rc2 >= -4);
    }
  });
  Call("NormalizeColumns/Rows " + name, [&] {
    for (const bool rows : {false, true}) {
      TDouble2DArray m = a;
      const I32 rc = rows ? NormalizeRows(m) : NormalizeColumns(m);
      EXPECT_TRUE(rc == 0 || rc == -1);
      if (!finite) continue;
      const std::size_t groups = rows ? nr : nc;
      for (std::size_t g = 0; g < groups; ++g) {
        LD before = 0.0L;
        LD after = 0.0L;
        for (std::size_t k = 0; k < (rows ? nc : nr); ++k) {
          const double x = rows ? a[k][g] : a[g][k];
          const double y = rows ? m[k][g] : m[g][k];
          before += static_cast<LD>(x) * x;
          after += static_cast<LD>(y) * y;
        }
        if (before > 0.0L) {
          EXPECT_NEAR(static_cast<double>(after), 1.0, 1e-9) << (rows ? "row " : "column ") << g;
        }
      }
    }
  });
  Call("mean centring " + name, [&] {
    TDouble2DArray m = a;
    TDoubleArray means{0.0};
    MeanCenterColumnsOfArray(m, means);
    EXPECT_EQ(means.size(), nc);
    m = a;
    means = {0.0};
    MeanCenterRowsOfArray(m, means);
    EXPECT_EQ(means.size(), nr);
  });
  Call("CalcHatMatrix " + name, [&] {
    TDouble2DArray h{{4.0}};
    const I32 rc = CalcHatMatrix(a, h);
    EXPECT_TRUE(rc == 0 || rc == -3) << rc;
    if (rc == 0) {
      EXPECT_EQ(h.size(), nr);
      if (finite) {
        EXPECT_TRUE(AllFinite(Flat(h)));
      }
    } else {
      EXPECT_EQ(h, TDouble2DArray{{4.0}});
    }
  });
  Call("MultiplyArrays " + name, [&] {
    TDouble2DArray t = a;
    TransposeArray(t);
    TDouble2DArray c;
    EXPECT_EQ(MultiplyArrays(a, t, c), 0);
    EXPECT_EQ(c.size(), nr);
    TInt2DArray it(t.size(), TIntArray(t[0].size(), kIntMax));
    EXPECT_EQ(MultiplyArrays(a, it, c), 0);
    TInt2DArray ia(nc, TIntArray(nr, kIntMin));
    EXPECT_EQ(MultiplyArrays(ia, t, c), 0);
    EXPECT_EQ(MultiplyArrays(a, a, c), square ? 0 : -2);
  });
  Call("Pearson and distances " + name, [&] {
    for (const I32 c1 : {kIntMin, -1, 0, static_cast<I32>(nc) - 1, static_cast<I32>(nc), kIntMax}) {
      const double r = PearsonCorrCoeffColsOfArray(a, c1, 0);
      if (finite) {
        EXPECT_TRUE(std::fabs(r) <= 1.0 + 1e-9) << r;
      }
    }
    for (std::uint8_t mode = 0; mode <= 6; ++mode) {
      for (const I32 row : {kIntMin, -1, 0, static_cast<I32>(nr) - 1, static_cast<I32>(nr), kIntMax}) {
        for (const I32 lastCol : {kIntMin, 0, static_cast<I32>(nc) - 1, kIntMax}) {
          double d = -9.0;
          const I32 rc = DistanceOfObjects(a, static_cast<TDistMode>(mode), row, 0, 0, lastCol, d);
          EXPECT_TRUE(rc <= 0 && rc >= -4);
          if (rc != 0) {
            EXPECT_EQ(d, 0.0);
            continue;
          }
          if (mode >= 1 && mode <= 3) {
            EXPECT_TRUE(d >= 0.0 || std::isnan(d)) << d;
          }
          if (finite && mode == 4) {
            EXPECT_TRUE(std::fabs(d) <= 1.0 + 1e-12) << "Dice " << d;
          }
          if (finite && mode == 0) {
            EXPECT_TRUE(d >= -1.0 / 3.0 - 1e-12 && d <= 1.0 + 1e-12) << "Tanimoto " << d;
          }
        }
      }
    }
  });
  Call("masked sums and counts " + name, [&] {
    TBool2DArray mask;
    double sum = 0.0;
    EXPECT_EQ(SumArrayMasked(a, mask, sum), static_cast<I32>(flat.size()));
    LD want = 0.0L;
    for (const double v : flat) want += v;
    EXPECT_TRUE(SameValue(sum, static_cast<double>(want)));
    TBool2DArray b;
    EXPECT_EQ(DichotomizeArray(a, 0.0, b), 0);
    for (const I32 lo : {kIntMin, -1, 0, kIntMax}) {
      const I32 rc = CountTrueCellsOfArray(b, lo, 0, 0, kIntMax);
      EXPECT_TRUE(rc == -2 || rc >= 0);
    }
    EXPECT_EQ(CountTrueCellsOfArray(b), std::count_if(flat.begin(), flat.end(), [](double v) { return v > 0.0; }));
  });
}

/// The 2-D functions of the copy, fill and transform families.
void TwoDimCopyFamilies(const TDouble2DArray& a, const std::string& name, bool hostile) {
  const I32 nc = static_cast<I32>(a.size());
  const I32 nr = static_cast<I32>(a[0].size());
  const std::vector<double> flat = Flat(a);
  const auto scalars = Scalars();
  const TInt2DArray ia(a.size(), TIntArray(a[0].size(), kIntMin));
  const TBool2DArray ba(a.size(), TBoolArray(a[0].size(), true));

  const std::vector<I32> cols = hostile ? HostileIndexes(nc) : std::vector<I32>{0};
  const std::vector<I32> rows = hostile ? HostileIndexes(nr) : std::vector<I32>{nr - 1};
  for (const I32 c : cols) {
    for (const I32 r : rows) {
      Call("column and row copies " + name, [&] {
        TDoubleArray v;
        TIntArray iv;
        TBoolArray bv;
        EXPECT_TRUE(CopyArrayColumn(a, c, 0, r, v) <= 0);
        EXPECT_TRUE(CopyArrayColumn(ia, c, r, nr - 1, iv) <= 0);
        EXPECT_TRUE(CopyArrayColumn(ba, c, r, r, bv) <= 0);
        EXPECT_TRUE(CopyArrayRow(a, r, 0, c, v) <= 0);
        EXPECT_TRUE(CopyArrayRow(ia, r, c, nc - 1, iv) <= 0);
        EXPECT_TRUE(CopyArrayRow(ba, r, c, c, bv) <= 0);
        TDoubleArray dest(3, 0.0);
        EXPECT_TRUE(Copy2DColTo1DArray(a, c, 0, nr - 1, dest, r) <= 0);
        EXPECT_TRUE(Copy2DRowTo1DArray(a, r, 0, nc - 1, dest, c) <= 0);
        TDouble2DArray m = a;
        TInt2DArray im = ia;
        TBool2DArray bm = ba;
        EXPECT_TRUE(CopyToArrayColumn(flat, 0, 0, c, r, m) <= 0);
        EXPECT_TRUE(CopyToArrayRow(flat, r, c, c, r, m) <= 0);
        EXPECT_TRUE(CopyToArrayColumn(TIntArray{kIntMax, kIntMin}, 0, 0, c, r, im) <= 0);
        EXPECT_TRUE(CopyToArrayRow(TIntArray{kIntMax}, 0, 0, c, r, im) <= 0);
        EXPECT_TRUE(CopyToArrayColumn(TBoolArray{true}, 0, 0, c, r, bm) <= 0);
        EXPECT_TRUE(CopyToArrayRow(TBoolArray{true}, 0, 0, c, r, bm) <= 0);
        EXPECT_TRUE(FillArray(bm, false, c, 0, nc - 1, r) <= 0);
        EXPECT_TRUE(CopyArray(ba, c, r, bm) <= 0);
        EXPECT_TRUE(FillArray(bv, true, c, r) <= 0);
        EXPECT_TRUE(CopyArray(TBoolArray{true, false}, c, bv) <= 0);
        TDoubleArray one{1.0, 2.0};
        EXPECT_TRUE(CopyArray(flat, c, r, 0, one) <= 0);
        EXPECT_TRUE(CopyArray(a, 0, 0, c, r, 0, 0, m) <= 0);
        EXPECT_TRUE(CountTrueCellsOfArray(ba, c, c, r, r) >= -2);
      });
    }
  }
  Call("deprecated copies " + name, [&] {
    TDouble2DArray m = a;
    TInt2DArray im = ia;
    TBool2DArray bm = ba;
    const TIntArray iv{kIntMin, kIntMax};
    const TBoolArray bv{true};
    int raised = 0;
    const auto count = [&raised](auto&& f) {
      try {
        f();
      } catch (const EQMXError&) {
        ++raised;
      }
    };
    count([&] { CopyVectorToArrayColumn(flat, 0, 0, 0, 0, m); });
    count([&] { CopyVectorToArrayRow(flat, kIntMin, kIntMax, kIntMax, kIntMin, m); });
    count([&] { CopyVectorToArrayColumn(iv, 0, 0, 0, 0, im); });
    count([&] { CopyVectorToArrayRow(iv, 0, 0, 0, 0, im); });
    count([&] { CopyVectorToArrayColumn(bv, 0, 0, 0, 0, bm); });
    count([&] { CopyVectorToArrayRow(bv, 0, 0, 0, 0, bm); });
    EXPECT_EQ(raised, 6);
    const auto after = Flat(m);
    EXPECT_TRUE(std::equal(after.begin(), after.end(), flat.begin(), flat.end(), SameValue<double>));
  });
  Call("truth-value arrays " + name, [&] {
    TBool2DArray b;
    ASSERT_EQ(DichotomizeArray(a, 0.0, b), 0);
    const auto trues = CountTrueCellsOfArray(b);
    TBool2DArray nb = b;
    EXPECT_EQ(InvertArray(nb), 0);
    EXPECT_EQ(CountTrueCellsOfArray(nb), static_cast<I32>(flat.size()) - trues);
    TBoolArray b1 = b[0];
    EXPECT_EQ(InvertArray(b1), 0);
    EXPECT_EQ(CountTrueCellsOfArray(b1) + CountTrueCellsOfArray(b[0]), nr);
    TBool2DArray t = b;
    EXPECT_EQ(TransposeArray(t), 0);
    EXPECT_EQ(CountTrueCellsOfArray(t), trues);
    TBool2DArray c2;
    EXPECT_EQ(CloneArray(b, c2), 0);
    TBoolArray c1;
    EXPECT_EQ(CloneArray(b[0], c1), 0);
    EXPECT_EQ(CloneAndReverseArray(b[0], c1), 0);
    FillArray(c1, true);
    FillArray(c2, false);
    EXPECT_EQ(CountTrueCellsOfArray(c1) + CountTrueCellsOfArray(c2), nr);
    TBoolArray empty;
    EXPECT_EQ(InvertArray(empty), -1);
  });
  Call("serial fills " + name, [&] {
    TDouble2DArray m = a;
    TInt2DArray im = ia;
    TDoubleArray v = flat;
    TIntArray iv(flat.size(), kIntMax);
    EXPECT_EQ(FillArraySerial(m), 0);
    EXPECT_EQ(FillArraySerial(im), 0);
    EXPECT_EQ(FillArraySerial(v), 0);
    EXPECT_EQ(FillArraySerial(iv), 0);
    EXPECT_EQ(FillArraySerial(iv, kIntMax, kIntMax), 0);
    TDouble3DArray d3{a};
    TInt3DArray i3{ia};
    TDouble4DArray d4{d3};
    EXPECT_EQ(FillArraySerial(d3), 0);
    EXPECT_EQ(FillArraySerial(i3), 0);
    EXPECT_EQ(FillArraySerial(d4), 0);
  });
  for (const double s : scalars) {
    Call("2-D fills and transforms " + name, [&] {
      TDouble2DArray m = a;
      const TBool2DArray mask(a.size(), TBoolArray(a[0].size(), false));
      EXPECT_EQ(FillArrayMasked(m, s, mask), static_cast<int>(flat.size()));
      TDouble2DArray out;
      EXPECT_EQ(BoolToNumArray(ba, s, -s, out), 0);
      TDoubleArray out1;
      EXPECT_EQ(BoolToNumArray(ba[0], s, 1.0, out1), 0);
      TBool2DArray b;
      EXPECT_EQ(DichotomizeArray(a, s, b), 0);
      for (std::size_t c = 0; c < a.size(); ++c) {
        for (std::size_t r = 0; r < a[c].size(); ++r) {
          EXPECT_EQ(b[c][r], a[c][r] > s);
        }
      }
      EXPECT_EQ(DichotomizeArray(a, s, 1.0, b), 0);
      for (std::size_t c = 0; c < a.size() && !std::isnan(s); ++c) {
        for (std::size_t r = 0; r < a[c].size(); ++r) {
          EXPECT_EQ(b[c][r], a[c][r] >= std::min(s, 1.0) && a[c][r] <= std::max(s, 1.0));
        }
      }
      for (const double p2 : {s, 100.0, 50.0}) {
        TDouble2DArray res{{0.0}};
        TIntArray ci{0};
        TIntArray ri{0};
        const int rc = Resample2DArray(a, res, s, p2, s > 50.0, ci, ri);
        EXPECT_TRUE(rc <= 0 && rc >= -2) << rc;
        if (rc == 0) {
          ASSERT_EQ(res.size(), ci.size());
          for (std::size_t i = 0; i < ci.size(); ++i) {
            ASSERT_TRUE(ci[i] >= 1 && ci[i] <= nc);
            ASSERT_EQ(res[i].size(), ri.size());
            for (std::size_t j = 0; j < ri.size(); ++j) {
              ASSERT_TRUE(ri[j] >= 1 && ri[j] <= nr);
              EXPECT_TRUE(
                  SameValue(res[i][j], a[static_cast<std::size_t>(ci[i] - 1)][static_cast<std::size_t>(ri[j] - 1)]));
            }
          }
        }
      }
      const std::vector<std::array<double, 4>> discr{{s, 1.0, -1.0, 1.0},
                                                     {-1.0, s, -1.0, 1.0},
                                                     {-1.0, 1.0, s, 1.0},
                                                     {-1.0, 1.0, -1.0, s},
                                                     {-DL::max(), DL::max(), -DL::max(), DL::max()},
                                                     {-DL::min(), DL::denorm_min(), 0.0, 1.0}};
      for (const auto& [lowIn, highIn, lowOut, highOut] : discr) {
        for (const I32 levels : {kIntMin, 2, 3, 7, kIntMax}) {
          TDouble2DArray d = a;
          const int rc = DiscretizeArray(d, levels, lowIn, highIn, lowOut, highOut);
          EXPECT_EQ(rc, levels < 3 ? -1 : (lowIn < highIn && std::isfinite(lowIn) && std::isfinite(highIn) ? 0 : -2));
          if (rc != 0 || !std::isfinite(lowOut) || !std::isfinite(highOut)) continue;
          for (std::size_t c = 0; c < d.size(); ++c) {
            for (std::size_t r = 0; r < d[c].size(); ++r) {
              if (std::isnan(a[c][r])) continue;
              EXPECT_TRUE(d[c][r] >= std::min(lowOut, highOut) && d[c][r] <= std::max(lowOut, highOut))
                  << a[c][r] << " -> " << d[c][r] << " with " << levels << " levels in " << lowIn << " " << highIn
                  << " " << lowOut << " " << highOut;
            }
          }
        }
      }
      TDouble2DArray r2 = a;
      const int rc = RescaleArray(r2, s, 1.0);
      EXPECT_TRUE(rc == 0 || rc == -2);
    });
  }
}

/// Extremes, moments and percentiles of 2-D arrays with positions and ranges.
template <class T>
void TwoDimStats(const std::vector<std::vector<T>>& a, const std::string& name, bool hostile) {
  const std::vector<T> flat = Flat(a);
  const std::vector<T> valid = Ordered(flat);
  const I32 nc = static_cast<I32>(a.size());
  const I32 nr = static_cast<I32>(a[0].size());
  Call("MaxArray/MinArray 2-D " + name, [&] {
    I32 c = -3;
    I32 r = -3;
    const T mx = MaxArray(a, c, r);
    ASSERT_TRUE(c >= 0 && c < nc && r >= 0 && r < nr) << c << " " << r;
    EXPECT_TRUE(SameValue(mx, a[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)]));
    const T mn = MinArray(a, c, r);
    ASSERT_TRUE(c >= 0 && c < nc && r >= 0 && r < nr) << c << " " << r;
    EXPECT_TRUE(SameValue(mn, a[static_cast<std::size_t>(c)][static_cast<std::size_t>(r)]));
    if (!valid.empty()) {
      EXPECT_TRUE(SameValue(mx, *std::max_element(valid.begin(), valid.end())));
      EXPECT_TRUE(SameValue(mn, *std::min_element(valid.begin(), valid.end())));
    }
  });
  for (const auto& [lo, hi] : Blocks<2>({nc, nr}, hostile)) {
    Call("ranged 2-D statistics " + name, [&] {
      T mn{};
      T mx{};
      I32 ix[4] = {-3, -3, -3, -3};
      const I32 rc = MinMaxArray(a, lo[0], lo[1], hi[0], hi[1], mn, mx, ix[0], ix[1], ix[2], ix[3]);
      EXPECT_TRUE(rc == 0 || rc == -2);
      if (rc == 0 && lo[0] <= hi[0] && lo[1] <= hi[1]) {
        for (int k = 0; k < 4; ++k) {
          ASSERT_TRUE(ix[k] >= (k % 2 == 0 ? lo[0] : lo[1]) && ix[k] <= (k % 2 == 0 ? hi[0] : hi[1]));
        }
        EXPECT_TRUE(SameValue(mn, a[static_cast<std::size_t>(ix[0])][static_cast<std::size_t>(ix[1])]));
        EXPECT_TRUE(SameValue(mx, a[static_cast<std::size_t>(ix[2])][static_cast<std::size_t>(ix[3])]));
      }
      double mean = 0.0;
      double var = -1.0;
      const I32 rc2 = MeanVarArray(a, lo[0], lo[1], hi[0], hi[1], mean, var);
      EXPECT_TRUE(rc2 == 0 || rc2 == -2);
      EXPECT_TRUE(var >= 0.0 || std::isnan(var));
      if constexpr (std::is_floating_point_v<T>) {
        for (const double perc : {-1.0, 0.0, 50.0, 100.0, DL::infinity()}) {
          EXPECT_TRUE(Contains(flat, PercentileArray(perc, a, lo[0], lo[1], hi[0], hi[1])));
        }
        TIntArray histo;
        I32 u = 0;
        I32 o = 0;
        I32 m = 0;
        const I32 rc3 = FrequDistOfArray(a, lo[0], lo[1], hi[0], hi[1], 0.0, 10.0, 1.0, histo, u, o, m);
        EXPECT_TRUE(rc3 <= 0 && rc3 >= -2);
      }
    });
  }
}

/// The integer matrix functions, checked against exact 128-bit references.
void IntMatrixFamilies(const TInt2DArray& a, const std::string& name) {
  const std::size_t nc = a.size();
  const std::size_t nr = a[0].size();
  const TIntArray flat = Flat(a);
  Call("integer trace and transpose " + name, [&] {
    std::int64_t tr = 1;
    const I32 rc = TraceOfArray(a, tr);
    EXPECT_EQ(rc, nc == nr ? 0 : -2);
    if (rc == 0) {
      std::int64_t want = 0;
      for (std::size_t i = 0; i < nc; ++i) want += a[i][i];
      EXPECT_EQ(tr, want);
    }
    TInt2DArray t = a;
    EXPECT_EQ(TransposeArray(t), 0);
    EXPECT_EQ(TransposeArray(t), 0);
    EXPECT_EQ(t, a);
  });
  Call("integer matrix product " + name, [&] {
    TInt2DArray t = a;
    TransposeArray(t);
    TInt2DArray c;
    ASSERT_EQ(MultiplyArrays(a, t, c), 0);
    ASSERT_EQ(c.size(), nr);
    for (std::size_t j = 0; j < nr; ++j) {
      for (std::size_t i = 0; i < nr; ++i) {
        __extension__ __int128 s = 0;
        for (std::size_t k = 0; k < nc; ++k) s += static_cast<std::int64_t>(a[k][i]) * t[j][k];
        const I32 want = s < kIntMin ? kIntMin : (s > kIntMax ? kIntMax : static_cast<I32>(s));
        EXPECT_EQ(c[j][i], want);
      }
    }
  });
  Call("integer masked sums and thresholds " + name, [&] {
    std::int64_t sum = 0;
    EXPECT_EQ(SumArrayMasked(a, TBool2DArray{}, sum), static_cast<I32>(flat.size()));
    EXPECT_EQ(sum, std::accumulate(flat.begin(), flat.end(), std::int64_t{0}));
    for (const I32 s : SpecialInts()) {
      TBool2DArray b;
      EXPECT_EQ(DichotomizeArray(a, s, b), 0);
      EXPECT_EQ(Flat(b).size(), flat.size());
      EXPECT_EQ(DichotomizeArray(a, s, s == kIntMin ? kIntMax : -s, b), 0);
      TBoolArray b1;
      EXPECT_EQ(DichotomizeArray(a[0], s, b1), 0);
      EXPECT_EQ(DichotomizeArray(a[0], kIntMax, s, b1), 0);
      for (std::size_t r = 0; r < nr; ++r) {
        EXPECT_EQ(b1[r], a[0][r] >= s);
      }
      TInt2DArray m = a;
      EXPECT_EQ(FillArrayMasked(m, s, TBool2DArray{}), static_cast<int>(flat.size()));
      TInt2DArray out;
      EXPECT_EQ(BoolToNumArray(TBool2DArray(nc, TBoolArray(nr, true)), s, kIntMin, out), 0);
      TIntArray out1;
      EXPECT_EQ(BoolToNumArray(TBoolArray(nr, false), s, kIntMax, out1), 0);
      EXPECT_EQ(out1, TIntArray(nr, s));
    }
  });
}

std::string SizeTag(std::size_t n) { return " (n=" + std::to_string(n) + ")"; }
bool Hostile(const std::string& name) { return name == "ordinary" || name == "all NaN" || name == "all 2147483647"; }

TEST(ArraysRobustness, DoubleArraysOfEveryRank) {
  for (const std::size_t n : kSizes) {
    for (const auto& in : DoubleInputs(n)) {
      const std::string name = in.name + SizeTag(n);
      SCOPED_TRACE(name);
      const bool hostile = Hostile(in.name);
      RankFamilies(in.values, name, hostile);
      for (const std::size_t cols : Shapes2D(n)) RankFamilies(To2D(in.values, cols), name, hostile);
      RankFamilies(To3D(in.values, n % 2 == 0 ? 2 : 1), name, hostile);
      RankFamilies(To4D(in.values, n % 2 == 0 ? 2 : 1), name, hostile);
    }
  }
}

TEST(ArraysRobustness, IntegerArraysOfEveryRank) {
  for (const std::size_t n : kSizes) {
    for (const auto& in : IntInputs(n)) {
      const std::string name = in.name + SizeTag(n);
      SCOPED_TRACE(name);
      const bool hostile = Hostile(in.name);
      RankFamilies(in.values, name, hostile);
      for (const std::size_t cols : Shapes2D(n)) RankFamilies(To2D(in.values, cols), name, hostile);
      RankFamilies(To3D(in.values, n % 2 == 0 ? 2 : 1), name, hostile);
      RankFamilies(To4D(in.values, n % 2 == 0 ? 2 : 1), name, hostile);
    }
  }
}

TEST(ArraysRobustness, OneDimensionalStatistics) {
  for (const std::size_t n : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{36}}) {
    for (const auto& in : DoubleInputs(n)) {
      SCOPED_TRACE(in.name + SizeTag(n));
      OneDimFamilies(in.values, in.name + SizeTag(n), Hostile(in.name));
    }
    for (const auto& in : IntInputs(n)) {
      SCOPED_TRACE(in.name + SizeTag(n));
      OneDimFamilies(in.values, in.name + SizeTag(n), Hostile(in.name));
    }
  }
}

TEST(ArraysRobustness, MatricesAndTwoDimensionalArrays) {
  for (const std::size_t n : kSizes) {
    for (const auto& in : DoubleInputs(n)) {
      for (const std::size_t cols : Shapes2D(n)) {
        const auto a = To2D(in.values, cols);
        const std::string name = in.name + " " + std::to_string(cols) + "x" + std::to_string(n / cols);
        SCOPED_TRACE(name);
        MatrixFamilies(a, name);
        TwoDimStats(a, name, Hostile(in.name));
        TwoDimCopyFamilies(a, name, Hostile(in.name));
      }
    }
    for (const auto& in : IntInputs(n)) {
      for (const std::size_t cols : Shapes2D(n)) {
        const auto a = To2D(in.values, cols);
        const std::string name = in.name + " " + std::to_string(cols) + "x" + std::to_string(n / cols);
        SCOPED_TRACE(name);
        IntMatrixFamilies(a, name);
        TwoDimStats(a, name, Hostile(in.name));
      }
    }
  }
  std::printf("[ arrays  ] %zu guarded calls in this process so far\n", gCalls);
}

}  // namespace
}  // namespace qmx
