// Robustness of the numeric methods of `TVector` and `TIntVector`: NaN, the
// infinities, signed zeros, the extreme and denormal doubles and the 32-bit
// integer limits as elements, as scalar arguments and as indexes.  Every call
// must return promptly and raise only its documented `EQMXVectorError`;
// results with a clear contract are checked against references computed here.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numeric>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/platform.hpp"
#include "qmx/vector/vectors.hpp"
#include "robustness_util.hpp"
#include "test_util.hpp"

namespace qmx {
namespace {

using test::AllFinite;
using test::IsNaN;
using test::SameValue;
using I32 = std::int32_t;
using LD = long double;
using DL = std::numeric_limits<double>;
constexpr I32 kIntMin = std::numeric_limits<I32>::min();
constexpr I32 kIntMax = std::numeric_limits<I32>::max();

std::size_t gCalls = 0;

/// One guarded call; true when it returned (false: it raised `EQMXVectorError`).
template <class F>
bool Call(const std::string& what, F&& f) {
  ++gCalls;
  return test::Survives<EQMXVectorError>(what, std::forward<F>(f));
}

template <class T>
struct Named {
  std::vector<T> values;
  std::string name;
};

std::vector<Named<double>> Inputs(std::size_t n, double) {
  std::vector<Named<double>> out;
  for (auto& a : test::SpecialArrays(n)) out.push_back({std::move(a.values), std::move(a.name)});
  return out;
}
std::vector<I32> SpecialInts() { return {kIntMin, kIntMin + 1, -1, 0, 1, kIntMax - 1, kIntMax}; }
std::vector<Named<I32>> Inputs(std::size_t n, I32) {
  std::vector<Named<I32>> out;
  std::vector<I32> ordinary(n);
  for (std::size_t i = 0; i < n; ++i) ordinary[i] = static_cast<I32>((i * 7) % 11) - 5;
  for (const I32 s : SpecialInts()) {
    out.push_back({std::vector<I32>(n, s), "all " + std::to_string(s)});
    auto mixed = ordinary;
    mixed[n / 2] = s;
    out.push_back({mixed, "one " + std::to_string(s)});
  }
  std::vector<I32> alt(n);
  for (std::size_t i = 0; i < n; ++i) alt[i] = i % 2 == 0 ? kIntMax : kIntMin;
  out.push_back({alt, "alternating limits"});
  out.push_back({ordinary, "ordinary"});
  return out;
}
/// Scalar arguments of the element type.
std::vector<double> Scalars(double) {
  std::vector<double> s;
  for (const auto& d : test::SpecialDoubles()) s.push_back(d.value);
  s.insert(s.end(), {1.0, 50.0, 100.0, 1e200, -1e-200});
  return s;
}
std::vector<I32> Scalars(I32) { return SpecialInts(); }
std::vector<I32> HostileIndexes(I32 n) { return {kIntMin, -1, 0, 1, n, n + 1, kIntMax}; }

template <class T>
std::vector<T> Ordered(const std::vector<T>& v) {
  std::vector<T> o;
  std::copy_if(v.begin(), v.end(), std::back_inserter(o), [](T x) { return !IsNaN(x); });
  return o;
}
/// Sorted with NaN last, for comparing multisets.
template <class T>
std::vector<T> Canonical(std::vector<T> v) {
  std::sort(v.begin(), v.end(), [](T a, T b) { return !IsNaN(a) && (IsNaN(b) || a < b); });
  return v;
}
template <class T>
bool SameMultiset(const std::vector<T>& a, const std::vector<T>& b) {
  const auto x = Canonical(a);
  const auto y = Canonical(b);
  return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), SameValue<T>);
}
LD RefLength(const std::vector<double>& v) {
  LD s = 0.0L;
  for (const double x : v) s += static_cast<LD>(x) * x;
  return std::sqrt(s);
}
bool Near(double got, LD want, LD rel) {
  // denormal results carry fewer digits: one step of the smallest denormal is allowed
  return std::fabs(static_cast<LD>(got) - want) <= rel * std::fabs(want) + static_cast<LD>(DL::denorm_min());
}

template <class V, class T>
void Load(V& v, const std::vector<T>& x) {
  v.Resize(static_cast<I32>(x.size()));
  std::copy(x.begin(), x.end(), v.Data().begin());
}
template <class V>
auto Values(const V& v) {
  return std::vector(v.Data().begin(), v.Data().end());
}

// ---------------------------------------------------------------------------
// Shared by both vector classes
// ---------------------------------------------------------------------------

template <class V, class T>
void Statistics(const std::vector<T>& x, const std::string& name, bool hostile) {
  V v;
  Load(v, x);
  const I32 n = static_cast<I32>(x.size());
  const std::vector<T> valid = Ordered(x);
  const bool noNaN = valid.size() == x.size();
  const std::vector<I32> idx = hostile ? HostileIndexes(n) : std::vector<I32>{0};

  for (const I32 lo : idx) {
    for (const I32 hi : idx) {
      Call("MinMax and range " + name, [&] {
        I32 l = lo;
        I32 h = hi;
        v.MakeValidElemRange(l, h);
        ASSERT_TRUE(l >= 1 && l <= h && h <= n) << l << " " << h;
        T mn{};
        T mx{};
        I32 mnIx = -1;
        I32 mxIx = -1;
        v.MinMax(lo, hi, mn, mx, mnIx, mxIx);
        const std::vector<T> part = Ordered(std::vector<T>(x.begin() + l - 1, x.begin() + h));
        if (part.empty()) {
          EXPECT_TRUE(mnIx == 0 && mxIx == 0);
        } else {
          ASSERT_TRUE(mnIx >= l && mnIx <= h && mxIx >= l && mxIx <= h) << mnIx << " " << mxIx;
          EXPECT_EQ(mn, *std::min_element(part.begin(), part.end()));
          EXPECT_EQ(mx, *std::max_element(part.begin(), part.end()));
          EXPECT_EQ(x[static_cast<std::size_t>(mnIx - 1)], mn);
        }
        const double sum = v.Sum(lo, hi);
        if constexpr (std::is_integral_v<T>) {
          EXPECT_EQ(sum, static_cast<double>(std::accumulate(x.begin() + l - 1, x.begin() + h, std::int64_t{0})));
        }
        double mean = 0.0;
        double var = -1.0;
        v.MeanVar(lo, hi, mean, var);
        EXPECT_TRUE(var >= 0.0 || std::isnan(var)) << var;
        if (h - l + 1 < 3) {
          EXPECT_EQ(var, 1.0);
        }
        double sk = 0.0;
        double ku = 0.0;
        I32 num = -1;
        v.SkewKurtIntern(lo, hi, sk, ku, num);
        EXPECT_EQ(num, h - l + 1);
        if (AllFinite(x) && num > 3) {
          EXPECT_FALSE(std::isnan(sk) || std::isnan(ku)) << "moments of finite elements";
        }
        if constexpr (std::is_floating_point_v<T>) {
          if (AllFinite(x)) {
            const std::vector<T> range(x.begin() + l - 1, x.begin() + h);
            LD m = 0.0L;
            for (const T e : range) m += e;
            m /= static_cast<LD>(range.size());
            LD dev = 0.0L;
            for (const T e : range) dev += (e - m) * (e - m);
            EXPECT_TRUE(Near(mean, m, 1e-12L) || std::fabs(m) < 1e-300L) << mean << " want " << static_cast<double>(m);
            const LD want = range.size() < 3 ? 1.0L : dev / static_cast<LD>(range.size() - 1);
            if (want <= static_cast<LD>(DL::max())) {
              EXPECT_TRUE(Near(var, want, 1e-9L) || want < 1e-300L) << var << " want " << static_cast<double>(want);
            }
          }
        }
        v.SkewKurt(lo, hi, sk, ku);
        v.SkewKurtSample(lo, hi, sk, ku);
        double q1 = 0.0;
        double q2 = 0.0;
        double q3 = 0.0;
        EXPECT_TRUE(v.Quartiles(lo, hi, q1, q2, q3));
        if (noNaN) {
          const double a = static_cast<double>(*std::min_element(x.begin() + l - 1, x.begin() + h));
          const double b = static_cast<double>(*std::max_element(x.begin() + l - 1, x.begin() + h));
          EXPECT_TRUE(a <= q1 && q1 <= q2 && q2 <= q3 && q3 <= b) << q1 << " " << q2 << " " << q3;
        }
        const T mode = v.Mode(lo, hi);
        if (!part.empty()) {
          EXPECT_FALSE(IsNaN(mode)) << "the mode of a range holding numbers";
        }
      });
      Call("GeometricMean " + name, [&] {
        const double g = v.GeometricMean(lo, hi);
        EXPECT_TRUE(g >= 0.0 || std::isnan(g)) << g;
      });
      Call("HarmonicMean " + name, [&] {
        const double hm = v.HarmonicMean(lo, hi);
        I32 l = lo;
        I32 h = hi;
        v.MakeValidElemRange(l, h);
        const auto [a, b] = std::minmax_element(x.begin() + l - 1, x.begin() + h);
        if (noNaN && AllFinite(x)) {
          const double slack = 4 * DL::epsilon() * static_cast<double>(*b);
          EXPECT_TRUE(hm >= static_cast<double>(*a) - slack && hm <= static_cast<double>(*b) + slack) << hm;
        }
      });
    }
  }
  // which elements make the means raise
  const bool negative = std::any_of(x.begin(), x.end(), [](T e) { return e < 0; });
  const bool nonPositive = std::any_of(x.begin(), x.end(), [](T e) { return e <= 0; });
  EXPECT_EQ(Call("GeometricMean raises " + name, [&] { v.GeometricMean(0, 0); }), !negative);
  EXPECT_EQ(Call("HarmonicMean raises " + name, [&] { v.HarmonicMean(0, 0); }), !nonPositive);

  Call("Mode " + name, [&] {
    const T mode = v.Mode(0, 0);
    if (valid.empty()) {
      EXPECT_TRUE(IsNaN(mode));
      return;
    }
    auto s = valid;
    std::sort(s.begin(), s.end());
    T best = s[0];
    std::size_t bestRun = 0;
    for (std::size_t i = 0, run = 0; i < s.size(); ++i) {
      run = (i > 0 && s[i] == s[i - 1]) ? run + 1 : 0;
      if (run > bestRun) {
        bestRun = run;
        best = s[i];
      }
    }
    EXPECT_EQ(mode, best);
  });

  for (const double perc : Scalars(0.0)) {
    Call("Percentile " + name, [&] {
      const double p = v.Percentile(perc, 0, 0);
      if (std::isnan(perc)) {
        EXPECT_TRUE(std::isnan(p));
      } else if (noNaN) {
        const auto [a, b] = std::minmax_element(x.begin(), x.end());
        EXPECT_TRUE(p >= static_cast<double>(*a) && p <= static_cast<double>(*b)) << p << " at " << perc;
      }
    });
  }

  Call("lengths and products " + name, [&] {
    const double len = v.CalcVecLeng();
    EXPECT_TRUE(len >= 0.0 || std::isnan(len));
    if constexpr (std::is_floating_point_v<T>) {
      const LD want = RefLength(x);
      if (AllFinite(x) && want <= static_cast<LD>(DL::max())) {
        EXPECT_TRUE(Near(len, want, 1e-12L)) << len << " want " << static_cast<double>(want);
      }
    }
    V w;
    Load(w, x);
    EXPECT_TRUE(SameValue(v.DotProduct(&w), w.DotProduct(&v)));
    const double d = v.EuclideanDistance(&w);
    EXPECT_TRUE(AllFinite(x) ? d == 0.0 : (d >= 0.0 || std::isnan(d))) << d;
    const double r = v.PearsonCorrCoeff(&w);
    EXPECT_TRUE(AllFinite(x) ? std::fabs(r) <= 1.0 + 1e-9 : (std::isnan(r) || std::fabs(r) <= 1.0 + 1e-9)) << r;
    V u;
    auto reversed = x;
    std::reverse(reversed.begin(), reversed.end());
    Load(u, reversed);
    const double r2 = v.PearsonCorrCoeff(&u);
    if (AllFinite(x)) {
      EXPECT_TRUE(std::fabs(r2) <= 1.0 + 1e-9) << r2;
    }
    EXPECT_EQ(v.PearsonCorrCoeff(nullptr), 0.0);
    for (const I32 lag : {kIntMin, -n, -1, 0, 1, n, kIntMax}) v.Correlate(&w, lag);
    V other;
    other.Resize(n + 1);
    EXPECT_FALSE(Call("DotProduct of different sizes", [&] { v.DotProduct(&other); }));
    EXPECT_FALSE(Call("EuclideanDistance of different sizes", [&] { v.EuclideanDistance(&other); }));
    if constexpr (std::is_floating_point_v<T>) {
      w.Fill(0.0);
      const double dist = v.EuclideanDistance(&w);
      if (AllFinite(x) && RefLength(x) <= static_cast<LD>(DL::max())) {
        EXPECT_TRUE(Near(dist, RefLength(x), 1e-12L)) << dist;
      }
    }
  });

  Call("IsDichotomous " + name, [&] {
    T v1{};
    T v2{};
    if (v.IsDichotomous(v1, v2)) {
      for (const T e : x) {
        EXPECT_TRUE(SameValue(e, v1) || SameValue(e, v2));
      }
    } else if (n >= 2 && noNaN) {
      auto s = x;
      std::sort(s.begin(), s.end());
      EXPECT_GT(std::unique(s.begin(), s.end()) - s.begin(), 2);
    }
  });

  for (const T value : Scalars(T{})) {
    Call("Find " + name, [&] {
      const I32 f = v.Find(0, 0, value);
      const I32 exact = v.FindExact(0, 0, value);
      ASSERT_TRUE(f >= 0 && f <= n && exact >= 0 && exact <= n);
      if (exact != 0) {
        EXPECT_TRUE(SameValue(x[static_cast<std::size_t>(exact - 1)], value));
        EXPECT_EQ(f, exact) << "an exact match is the nearest element";
      }
      for (const I32 lo : idx) {
        const I32 g = v.Find(lo, kIntMax, value);
        EXPECT_TRUE(g >= 0 && g <= n);
      }
    });
  }
  if (noNaN) {
    for (const bool ascending : {true, false}) {
      V s;
      auto sorted = x;
      std::sort(sorted.begin(), sorted.end());
      if (!ascending) std::reverse(sorted.begin(), sorted.end());
      Load(s, sorted);
      for (const T value : Scalars(T{})) {
        Call("FindInSortedVector " + name, [&] {
          const I32 f = s.FindInSortedVector(ascending, value);
          ASSERT_TRUE(f >= 1 && f <= n) << f;
          if (std::find(sorted.begin(), sorted.end(), value) != sorted.end()) {
            EXPECT_EQ(sorted[static_cast<std::size_t>(f - 1)], value);
          }
        });
      }
    }
  }
}

/// Histograms of the double vector (bin layout as doubles).
void DoubleHistograms(const std::vector<double>& x, const std::string& name, bool hostile) {
  TVector v;
  Load(v, x);
  const I32 n = static_cast<I32>(x.size());
  std::vector<std::array<double, 3>> layouts{
      {0.0, 9.0, 1.0}, {-DL::max(), DL::max(), DL::max()}, {-1.0, 1.0, DL::min()}, {5.0, -5.0, 1.0}, {0.0, 0.0, 1.0}};
  for (const double s : Scalars(0.0)) {
    layouts.push_back({s, 5.0, 1.0});
    layouts.push_back({-5.0, s, 1.0});
    layouts.push_back({-5.0, 5.0, s});
  }
  const std::vector<I32> idx = hostile ? HostileIndexes(n) : std::vector<I32>{1};
  for (const auto& [first, last, width] : layouts) {
    for (const I32 lo : idx) {
      for (const I32 hi : hostile ? HostileIndexes(n) : std::vector<I32>{n}) {
        Call("Histogram " + name, [&] {
          TIntArray histo{77};
          I32 under = -1;
          I32 over = -1;
          I32 maxCnt = -1;
          const bool ok = v.Histogram(lo, hi, first, last, width, histo, under, over, maxCnt);
          if (!ok) {
            EXPECT_TRUE(histo == TIntArray{77} && under == -1 && over == -1 && maxCnt == -1);
            return;
          }
          ASSERT_TRUE(histo.size() >= 1 && histo.size() <= 500) << histo.size();
          const std::int64_t count = hi >= lo ? std::int64_t{hi} - lo + 1 : 0;
          const std::int64_t counted = std::accumulate(histo.begin(), histo.end(), std::int64_t{under} + over);
          if (count < kIntMax) {
            EXPECT_EQ(counted, count);
          }
          EXPECT_EQ(maxCnt, *std::max_element(histo.begin(), histo.end()));
          TIntVector hv;
          I32 u2 = 0;
          I32 o2 = 0;
          I32 m2 = 0;
          EXPECT_TRUE(v.Histogram(lo, hi, first, last, width, &hv, u2, o2, m2));
          EXPECT_EQ(hv.NrOfElem(), static_cast<I32>(histo.size()));
        });
      }
    }
  }
}

/// Histograms of the integer vector, which raises for too many bins.
void IntHistograms(const std::vector<I32>& x, const std::string& name, bool hostile) {
  TIntVector v;
  Load(v, x);
  const I32 n = static_cast<I32>(x.size());
  std::vector<std::array<I32, 3>> layouts{{0, 9, 1}, {-5, 5, 0}, {5, -5, kIntMin}};
  for (const I32 s : SpecialInts()) {
    layouts.push_back({s, 5, 1});
    layouts.push_back({-5, s, 1});
    layouts.push_back({-5, 5, s});
    layouts.push_back({s, s, kIntMax});
    layouts.push_back({kIntMin, kIntMax, s});
  }
  for (const auto& [first, last, width] : layouts) {
    for (const I32 lo : hostile ? HostileIndexes(n) : std::vector<I32>{1}) {
      for (const I32 hi : hostile ? HostileIndexes(n) : std::vector<I32>{n}) {
        TIntArray histo;
        I32 under = -1;
        I32 over = -1;
        I32 maxCnt = -1;
        const std::int64_t w = std::max(width, 1);
        const std::int64_t bins = std::abs(std::int64_t{last} - first) / w + 1;
        const bool returned = Call("integer Histogram " + name,
                                   [&] { v.Histogram(lo, hi, first, last, width, histo, under, over, maxCnt); });
        EXPECT_EQ(returned, bins <= 500) << first << " " << last << " " << width;
        if (!returned) continue;
        ASSERT_EQ(static_cast<std::int64_t>(histo.size()), bins);
        const std::int64_t count = hi >= lo ? std::int64_t{hi} - lo + 1 : 0;
        const std::int64_t counted = std::accumulate(histo.begin(), histo.end(), std::int64_t{under} + over);
        if (count < kIntMax) {
          EXPECT_EQ(counted, count);
        }
      }
    }
  }
}

/// Sorting, shuffling, mirroring: always a permutation of the elements.
template <class V, class T>
void Reordering(const std::vector<T>& x, const std::string& name, bool hostile) {
  const I32 n = static_cast<I32>(x.size());
  for (const bool reporting : {false, true}) {
    for (const bool ascending : {true, false}) {
      for (const I32 lo : hostile ? HostileIndexes(n) : std::vector<I32>{0}) {
        for (const I32 hi : hostile ? HostileIndexes(n) : std::vector<I32>{0}) {
          Call("SortElems " + name, [&] {
            V v;
            Load(v, x);
            std::size_t exchanges = 0;
            if (reporting) {
              v.OnSortExchange = [&](TObject*, std::uint8_t, I32 i1, I32 i2, I32, I32) {
                ++exchanges;
                EXPECT_TRUE(i1 >= 1 && i1 < i2 && i2 <= n);
              };
            }
            v.SortElems(ascending, lo, hi);
            const auto y = Values(v);
            ASSERT_TRUE(SameMultiset(x, y));
            I32 l = lo;
            I32 h = hi;
            if (l > h) std::swap(l, h);
            v.MakeValidElemRange(l, h);
            for (I32 i = 1; i <= n; ++i) {
              const auto k = static_cast<std::size_t>(i - 1);
              if (i < l || i > h || IsNaN(x[k])) {
                EXPECT_TRUE(SameValue(x[k], y[k])) << "element " << i << " moved";
              }
            }
            const std::vector<T> inside(y.begin() + l - 1, y.begin() + h);
            if (Ordered(inside).size() == inside.size()) {
              EXPECT_TRUE(ascending ? std::is_sorted(inside.begin(), inside.end())
                                    : std::is_sorted(inside.rbegin(), inside.rend()));
            }
          });
        }
      }
    }
  }
  Call("ShuffleElems and Mirror " + name, [&] {
    V v;
    Load(v, x);
    v.ShuffleElems();
    EXPECT_TRUE(SameMultiset(x, Values(v)));
    Load(v, x);
    v.Mirror();
    const auto y = Values(v);
    EXPECT_TRUE(std::equal(x.rbegin(), x.rend(), y.begin(), SameValue<T>));
  });
}

/// Fills, element-wise arithmetic and copies with hostile scalars and indexes.
template <class V, class T>
void Arithmetic(const std::vector<T>& x, const std::string& name, bool hostile) {
  const I32 n = static_cast<I32>(x.size());
  for (const T s : Scalars(T{})) {
    Call("fills and arithmetic " + name, [&] {
      V v;
      Load(v, x);
      V w;
      Load(w, x);
      v.SMult(s);
      if constexpr (std::is_integral_v<T>) {
        for (I32 i = 0; i < n; ++i) {
          const auto k = static_cast<std::size_t>(i);
          EXPECT_EQ(v.Data()[k], static_cast<T>(static_cast<std::uint32_t>(x[k]) * static_cast<std::uint32_t>(s)));
        }
      }
      v.Add(&w);
      v.Subtract(&w);
      v.AbsVal();
      v.Fill(s);
      v.FillSerial(s, s);
      v.FillSerial(T(1), s);
      v.Clear();
      V other;
      other.Resize(n + 1);
      EXPECT_FALSE(Call("Add of different sizes", [&] { v.Add(&other); }));
      EXPECT_FALSE(Call("Subtract of different sizes", [&] { v.Subtract(&other); }));
      v.Add(nullptr);
      v.SetVal(1, s);
      EXPECT_TRUE(SameValue(v.GetVal(1), s));
      for (const I32 i : HostileIndexes(n)) {
        v.SetVal(i, s);
        const T got = v.GetVal(i);
        if (i < 1 || i > n) {
          EXPECT_EQ(got, T{});
        }
      }
      EXPECT_EQ(v.CRCofData().size(), sizeof(T) * 8);
    });
  }
  const std::vector<I32> idx = hostile ? HostileIndexes(n) : std::vector<I32>{0, 1};
  for (const I32 a : idx) {
    for (const I32 b : idx) {
      Call("copies " + name, [&] {
        V v;
        Load(v, x);
        V src;
        Load(src, x);
        const I32 rc = v.CopyFrom(&src, a, b, b);
        EXPECT_TRUE(rc <= 0 && rc >= -3);
        EXPECT_TRUE(SameMultiset(Values(src), x));
        EXPECT_EQ(v.CopyFrom(x, a, b, 1), v.CopyFrom(x, a, b, 1));
        const std::vector<std::vector<T>> m{x, x};
        v.CopyFrom2DArrayRow(m, a, 0, b, a);
        v.CopyFrom2DArrayColumn(m, a, b, 0, b);
        v.CopyFrom2DArrayColumn({}, a, b, a, b);
        std::vector<T> out{T(3)};
        v.CopyToArray(out, a, b, std::min(a, n + 1));  // not kIntMax: a real 16 GiB request
        std::vector<std::vector<T>> grid(3, std::vector<T>(2, T{}));
        v.CopyToArray(grid, a, b, a, b, true);
        v.CopyToArray(grid, b, a, b, a, false);
        V c;
        c.Clone(&v);
        const auto cv = Values(c);
        const auto vv = Values(v);
        EXPECT_TRUE(std::equal(cv.begin(), cv.end(), vv.begin(), vv.end(), SameValue<T>));
      });
    }
  }
}

/// Sizes from hostile counts (huge ones are left out: they are honest
/// requests for gigabytes).
template <class V, class T>
void Sizes(const std::vector<T>& x, const std::string& name) {
  const I32 n = static_cast<I32>(x.size());
  for (const I32 size : {kIntMin, -1, 0, 1, n, n + 1}) {
    Call("Resize " + name, [&] {
      V v;
      Load(v, x);
      const bool ok = v.Resize(size);
      EXPECT_EQ(ok, size >= 1);
      EXPECT_EQ(v.NrOfElem(), size >= 1 ? size : n);
      Load(v, x);
      if constexpr (std::is_floating_point_v<T>) {
        v.SetVecSize(size);
      } else {
        v.SetIntVecSize(size);
      }
      EXPECT_EQ(v.NrOfElem(), size >= 1 ? size : n);
    });
  }
}

/// Text, ASC and stream round trips of special values.
template <class V, class T>
void RoundTrips(const std::vector<T>& x, const std::string& name) {
  const std::string path = test::TempPath("vector_robustness.txt");
  Call("StoreOnFile and LoadFromFile " + name, [&] {
    V v;
    Load(v, x);
    if constexpr (std::is_floating_point_v<T>) {
      ASSERT_TRUE(v.StoreOnFile(0, 0, -2, path));
    } else {
      ASSERT_TRUE(v.StoreOnFile(0, 0, path));
    }
    V back;
    ASSERT_TRUE(back.LoadFromFile(path, true));
    const auto y = Values(back);
    ASSERT_EQ(y.size(), x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
      EXPECT_TRUE(SameValue(x[i], y[i])) << x[i] << " read back as " << y[i];
    }
  });
  Call("streams " + name, [&] {
    V v;
    Load(v, x);
    TMemoryStream* stream = nullptr;
    v.SaveToStream(stream, 0, 0);
    ASSERT_NE(stream, nullptr);
    stream->SetPosition(0);
    V back;
    EXPECT_TRUE(back.LoadFromStream(stream, true));
    delete stream;
    const auto y = Values(back);
    ASSERT_EQ(y.size(), x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
      EXPECT_TRUE(SameValue(x[i], y[i])) << x[i] << " read back as " << y[i];
    }
  });
  Call("ExportAsASC and ImportASC " + name, [&] {
    V v;
    Load(v, x);
    if constexpr (std::is_floating_point_v<T>) {
      ASSERT_EQ(v.ExportAsASC(path, -17, ""), 0);
    } else {
      ASSERT_EQ(v.ExportAsASC(path, ""), 0);
    }
    V back;
    std::string comment;
    ASSERT_EQ(back.ImportASC(path, comment), 0);
    const auto y = Values(back);
    ASSERT_EQ(y.size(), x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
      if (IsNaN(x[i])) {
        EXPECT_EQ(y[i], T{});
      } else if constexpr (std::is_floating_point_v<T>) {
        EXPECT_TRUE(x[i] == y[i] || std::fabs(x[i] - y[i]) <= 1e-15 * std::fabs(x[i]) + DL::denorm_min())
            << x[i] << " read back as " << y[i];
      } else {
        EXPECT_EQ(x[i], y[i]);
      }
    }
  });
}

// ---------------------------------------------------------------------------
// What only the double vector has
// ---------------------------------------------------------------------------

void DoubleOnly(const std::vector<double>& x, const std::string& name) {
  const I32 n = static_cast<I32>(x.size());
  const bool finite = AllFinite(x);
  const LD len = RefLength(x);
  for (const double s : Scalars(0.0)) {
    Call("random fills " + name, [&] {
      TVector v;
      Load(v, x);
      v.FillRandomUniform(s, 1.0);
      v.FillRandomUniform(-1.0, s);
      v.FillRandomGauss(s, 1.0);
      v.FillRandomGauss(0.0, s);
      if (std::isfinite(s)) {
        v.FillRandomUniform(-s, s);
        for (const double e : Values(v)) {
          EXPECT_TRUE(e >= -std::fabs(s) && e <= std::fabs(s)) << e << " drawn between " << -s << " and " << s;
        }
      }
    });
    Call("scaling " + name, [&] {
      TVector v;
      Load(v, x);
      double median = 0.0;
      double spread = 0.0;
      v.QNormalize(s, median, spread);
      EXPECT_TRUE(spread >= 0.0 || std::isnan(spread));
      Load(v, x);
      v.SetVecLeng(s);
      if (finite && len > 0.0L && len <= static_cast<LD>(DL::max()) && std::fabs(s) <= 1e300 &&
          std::fabs(s) >= 1e-300) {
        EXPECT_TRUE(Near(v.CalcVecLeng(), std::fabs(s), 1e-9L)) << v.CalcVecLeng() << " after SetVecLeng(" << s << ")";
      }
    });
    for (const double hiBound : {s, 1.0, 2.5, static_cast<double>(n)}) {
      Call("Integrate " + name, [&] {
        TVector v;
        Load(v, x);
        for (const auto method : {TIntegMethod::imSimple, TIntegMethod::imTrapezoidal, TIntegMethod::imSimpson,
                                  static_cast<TIntegMethod>(7)}) {
          const double r = v.Integrate(s, hiBound, method);
          if (std::isnan(s) || std::isnan(hiBound)) {
            EXPECT_TRUE(std::isnan(r));
          } else if (static_cast<int>(method) > 2) {
            EXPECT_EQ(r, 0.0);
          } else if (finite && std::all_of(x.begin(), x.end(), [&](double e) { return e == x[0]; })) {
            const double a = std::clamp(s, 1.0, static_cast<double>(n));
            const double b = std::clamp(hiBound, 1.0, static_cast<double>(n));
            const LD want = static_cast<LD>(x[0]) * std::fabs(b - a);
            if (std::fabs(want) <= static_cast<LD>(DL::max()) / 4) {
              EXPECT_TRUE(Near(r, want, 1e-12L) || std::fabs(static_cast<LD>(r) - want) < 1e-300L) << r;
            }
          }
        }
      });
    }
  }
  Call("digitizer file " + name, [&] {
    const std::string path = test::TempPath("vector_robustness_dig.txt");
    std::string text;
    for (const double e : x) text += (std::isnan(e) ? std::string("NAN") : strff(e, 1, -19)) + " //dig\r\n";
    text += "1e400 //dig\r\n-INF //dig\r\nnan //dig\r\n";
    test::WriteFile(path, text);
    TVector v;
    ASSERT_TRUE(v.LoadFromFile(path, true, true));
    EXPECT_EQ(v.NrOfElem(), n + 3);
  });
  Call("centring and standardising " + name, [&] {
    TVector v;
    Load(v, x);
    const double m = v.MeanCenter();
    (void)m;
    Load(v, x);
    double mean = 0.0;
    double sd = -1.0;
    v.Standardize(mean, sd);
    EXPECT_TRUE(sd >= 0.0 || std::isnan(sd));
  });
}

template <class V, class T>
void AllFamilies() {
  for (const std::size_t n : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{36}}) {
    for (const auto& in : Inputs(n, T{})) {
      const std::string name = in.name + " (n=" + std::to_string(n) + ")";
      SCOPED_TRACE(name);
      const bool hostile = in.name == "ordinary" || in.name == "all NaN" || in.name == "all 2147483647";
      Statistics<V>(in.values, name, hostile);
      Reordering<V>(in.values, name, hostile);
      Arithmetic<V>(in.values, name, hostile);
      RoundTrips<V>(in.values, name);
      Sizes<V>(in.values, name);
      if constexpr (std::is_floating_point_v<T>) {
        DoubleHistograms(in.values, name, hostile);
        DoubleOnly(in.values, name);
      } else {
        IntHistograms(in.values, name, hostile);
      }
    }
  }
}

TEST(VectorRobustness, DoubleVector) {
  AllFamilies<TVector, double>();
  std::printf("[ vectors ] %zu guarded calls in this process so far\n", gCalls);
}

TEST(VectorRobustness, IntegerVector) {
  AllFamilies<TIntVector, I32>();
  std::printf("[ vectors ] %zu guarded calls in this process so far\n", gCalls);
}

}  // namespace
}  // namespace qmx
