// The primitives and scalar helpers of math1 given NaN, infinities, signed
// zeros, the extreme doubles and denormals in every argument position: each
// call returns promptly, raises only its documented error, and gives a result
// within its documented range.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

#include "foundation_robustness_sweep.hpp"
#include "qmx/foundation/math1_primitives.hpp"
#include "qmx/foundation/math1_scalar.hpp"

namespace qmx {
namespace {

using test::SameOrBothNaN;
using test::SpecialArrays;
using test::SpecialInts;
using test::Sweep;
using std::isfinite;
using std::isnan;

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

bool AllFinite(std::initializer_list<double> xs) {
  return std::all_of(xs.begin(), xs.end(), [](double x) { return isfinite(x); });
}
bool AnyNaN(std::initializer_list<double> xs) {
  return std::any_of(xs.begin(), xs.end(), [](double x) { return isnan(x); });
}

/// The bit patterns of the elements, sorted: equal for two permutations.
std::vector<std::uint64_t> Bits(const std::vector<double>& v) {
  std::vector<std::uint64_t> b(v.size());
  std::memcpy(b.data(), v.data(), v.size() * sizeof(double));
  std::sort(b.begin(), b.end());
  return b;
}

/// A saturating conversion (an out-of-range double becomes an infinite float).
float ToFloat(double x) {
  if (std::fabs(x) > std::numeric_limits<float>::max()) return x > 0 ? HUGE_VALF : -HUGE_VALF;
  return static_cast<float>(x);
}

const std::size_t kSizes[] = {1, 2, 7, 33};

using FoundationRobustness = test::SweepTest;

TEST_F(FoundationRobustness, SignAndIntegerRounding) {
  Sweep("Signum", std::array{1.0}, [](auto a) {
    EXPECT_EQ(Signum(a[0]), a[0] < 0 ? -1 : 1);
  });
  Sweep("IntPos/IntNeg", std::array{1.0}, [](auto a) {
    const double x = a[0];
    const std::int32_t p = IntPos(x);
    const std::int32_t n = IntNeg(x);
    if (isnan(x)) {
      EXPECT_EQ(p, 0);
      EXPECT_EQ(n, 0);
    } else if (x > kIntMax) {
      EXPECT_EQ(p, kIntMax);
      EXPECT_EQ(n, kIntMax);
    } else if (x < kIntMin) {
      EXPECT_EQ(p, kIntMin);
      EXPECT_EQ(n, kIntMin);
    } else {
      EXPECT_TRUE(p >= x && p - 1 < x) << p;
      EXPECT_TRUE(n <= x && n + 1 > x) << n;
    }
  });
  Sweep("SortSwap", std::array{1.0, 2.0}, [](auto a) {
    for (const bool asc : {true, false}) {
      double x = a[0], y = a[1];
      SortSwap(x, y, asc);
      EXPECT_TRUE((SameOrBothNaN(x, a[0]) && SameOrBothNaN(y, a[1])) ||
                  (SameOrBothNaN(x, a[1]) && SameOrBothNaN(y, a[0])));
      if (!AnyNaN({x, y})) {
        EXPECT_TRUE(asc ? x <= y : x >= y);
      }
    }
  });
  Sweep("RoundLimit", std::array{1.0}, [](auto a) {
    constexpr std::int64_t kLo[] = {std::numeric_limits<std::int64_t>::min(), -5, 0};
    constexpr std::int64_t kHi[] = {std::numeric_limits<std::int64_t>::max(), 5, 0};
    for (const std::int64_t lo : kLo) {
      for (const std::int64_t hi : kHi) {
        const std::int64_t r = RoundLimit(a[0], lo, hi);
        EXPECT_TRUE(r >= std::min(lo, hi) && r <= std::max(lo, hi));
        if (isnan(a[0])) {
          EXPECT_EQ(r, std::min(lo, hi));
        }
      }
    }
  });
}

TEST_F(FoundationRobustness, HistogramAndPolynomials) {
  Sweep("HistoBinRef", std::array{2.5, -1.0, 0.75}, [](auto a) {
    double offset = 0.0;
    const double edge = HistoBinRef(a[0], a[1], a[2], offset);
    if (!AllFinite({a[0], a[1], a[2]}) || a[2] == 0.0) {
      EXPECT_TRUE(isnan(edge) && isnan(offset));
    } else {
      // Finite input has a bin; its edge lies within one width of x.
      EXPECT_FALSE(isnan(edge) || isnan(offset)) << edge << " " << offset;
      if (isfinite(edge)) {
        EXPECT_EQ(offset, a[0] - edge);
        EXPECT_TRUE(offset * a[2] >= 0.0 && std::fabs(offset) <= std::fabs(a[2])) << edge << " " << offset;
      }
    }
  });
  const std::vector<double> coeffs = {1.0, -2.0, 0.5};
  Sweep("Polynomial", std::array{0.5, 3.0}, [&](auto a) {
    const double x = a[0];
    std::vector<double> c = coeffs;
    c[1] = a[1];
    for (std::int32_t order = 0; order <= 2; ++order) {
      const double p = Polynomial(c, order, x);
      const double q = CenteredPolynomial(c, order, a[1], x);
      if (order >= 1 && AnyNaN({x, c[order]})) {
        EXPECT_TRUE(isnan(p));
      }
      if (AllFinite({x, c[1]}) && std::fabs(x) < 1e100 && std::fabs(c[1]) < 1e100) {
        EXPECT_TRUE(isfinite(p));
      }
      static_cast<void>(q);
    }
  });
  for (const std::size_t n : kSizes) {
    for (const auto& arr : SpecialArrays(n)) {
      for (const double x : {kNaN, 0.0, 1.0, -1e308}) {
        test::Probe("Polynomial(" + arr.name + ")", [&] {
          const double p = Polynomial(arr.values, static_cast<std::int32_t>(n - 1), x);
          if (isnan(x) && n > 1) {
            EXPECT_TRUE(isnan(p));
          }
        });
      }
    }
  }
}

TEST_F(FoundationRobustness, KahanSumOfSpecialArrays) {
  for (const std::size_t n : kSizes) {
    for (const auto& arr : SpecialArrays(n)) {
      test::Probe("TKahanSum(" + arr.name + ")", [&] {
        TKahanSum k;
        bool nan = false, pinf = false, ninf = false, tame = true;
        long double exact = 0.0L;
        for (const double x : arr.values) {
          k.Add(x);
          nan |= isnan(x);
          pinf |= x == HUGE_VAL;
          ninf |= x == -HUGE_VAL;
          exact += x;
          tame = tame && std::fabs(exact) <= 0.5L * std::numeric_limits<double>::max();
        }
        const double s = k.Sum();
        if (nan || (pinf && ninf)) {
          EXPECT_TRUE(isnan(s)) << s;
        } else if (pinf || ninf) {
          EXPECT_EQ(s, pinf ? HUGE_VAL : -HUGE_VAL);
        } else if (tame) {
          EXPECT_NEAR(s, static_cast<double>(exact), 1e-12 * std::fabs(static_cast<double>(exact)) + 1e-300);
        }
      });
    }
  }
}

TEST_F(FoundationRobustness, SortingAndSelection) {
  for (const std::size_t n : kSizes) {
    for (const auto& arr : SpecialArrays(n)) {
      const auto& in = arr.values;
      for (const bool asc : {true, false}) {
        test::Probe("SortArray(" + arr.name + ")", [&] {
          std::vector<double> d = in;
          SortArray(std::span<double>(d), asc);
          EXPECT_EQ(Bits(d), Bits(in));
          // NaN keeps its place; the runs between NaNs are sorted.
          for (std::size_t i = 0; i < n; ++i) {
            EXPECT_EQ(isnan(d[i]), isnan(in[i]));
            if (i > 0 && !isnan(d[i]) && !isnan(d[i - 1])) {
              EXPECT_TRUE(asc ? d[i - 1] <= d[i] : d[i - 1] >= d[i]);
            }
          }
          std::vector<float> f(n);
          std::transform(in.begin(), in.end(), f.begin(), ToFloat);
          SortArray(std::span<float>(f), asc);
          for (std::size_t i = 1; i < n; ++i) {
            if (!isnan(f[i]) && !isnan(f[i - 1])) {
              EXPECT_TRUE(asc ? f[i - 1] <= f[i] : f[i - 1] >= f[i]);
            }
          }
          std::vector<double> u = in;
          SortArray(u.data(), static_cast<std::int32_t>(n), TVarKind::vkDouble, asc);
          EXPECT_EQ(Bits(u), Bits(in));
        });
        test::Probe("SortIntoArray/InsertIntoArray(" + arr.name + ")", [&] {
          for (const auto& v : test::SpecialDoubles()) {
            std::vector<double> d = in;
            const std::int32_t ix = SortIntoArray(std::span<double>(d), v.value, asc, true);
            EXPECT_TRUE(ix >= -1 && ix < static_cast<std::int32_t>(n));
            if (isnan(v.value)) {
              EXPECT_EQ(ix, -1);
            }
            std::vector<std::int32_t> iv(n, 3);
            const std::int32_t jx = SortIntoArray(iv.data(), static_cast<std::int32_t>(n), TVarKind::vkInteger,
                                                  v.value, asc, false);
            EXPECT_TRUE(jx >= -1 && jx < static_cast<std::int32_t>(n));
            for (const std::int32_t at : {kIntMin, -1, 0, static_cast<std::int32_t>(n) - 1, kIntMax}) {
              InsertIntoArray(iv.data(), static_cast<std::int32_t>(n), TVarKind::vkLongint, v.value, at);
              InsertIntoArray(d.data(), static_cast<std::int32_t>(n), TVarKind::vkSingle, v.value, at);
              InsertIntoArray(std::span<double>(d), v.value, at);
            }
            if (isnan(v.value)) {
              EXPECT_EQ(iv, std::vector<std::int32_t>(n, 3));
            }
            std::vector<float> fv(n, 1.0F);
            const std::int32_t fx = SortIntoArray(std::span<float>(fv), ToFloat(v.value), asc, true);
            EXPECT_TRUE(fx >= -1 && fx < static_cast<std::int32_t>(n));
            InsertIntoArray(std::span<float>(fv), ToFloat(v.value), fx);
            InsertIntoArray(std::span<std::int32_t>(iv), static_cast<std::int32_t>(n), fx);
          }
        });
      }
      // Selection: the k-th of the order that puts NaN last.
      std::vector<double> order = in;
      std::stable_sort(order.begin(), order.end(), [](double x, double y) { return !isnan(x) && (isnan(y) || x < y); });
      for (std::size_t k = 0; k < n; ++k) {
        test::Probe("QuickSelect(" + arr.name + ", k=" + std::to_string(k) + ")", [&] {
          std::vector<double> d = in;
          const auto kk = static_cast<std::int32_t>(k);
          const double r = QuickSelect(std::span<double>(d), kk, 0, static_cast<std::int32_t>(n - 1));
          EXPECT_TRUE(SameOrBothNaN(r, order[k])) << r << " vs " << order[k];
          EXPECT_EQ(Bits(d), Bits(in));
          for (const auto& v : test::SpecialDoubles()) {
            std::vector<double> e = in;
            const double s = QuickSelect(std::span<double>(e), kk, 0, 0, v.value);
            EXPECT_TRUE(SameOrBothNaN(s, v.value) || std::any_of(in.begin(), in.end(), [&](double x) {
                          return SameOrBothNaN(x, s);
                        }));
            EXPECT_EQ(std::memcmp(e.data(), in.data(), n * sizeof(double)), 0);
          }
          for (const std::int32_t bad : {kIntMin, -1, static_cast<std::int32_t>(n), kIntMax}) {
            EXPECT_EQ(QuickSelect(std::span<double>(d), bad, 0, static_cast<std::int32_t>(n - 1)), 0.0);
            EXPECT_EQ(QuickSelect(std::span<double>(d), kk, bad, bad), 0.0);
            EXPECT_EQ(QuickSelect(std::span<double>(d), bad, 0, 0, 1.0), 0.0);
          }
        });
      }
    }
  }
}

TEST_F(FoundationRobustness, IntegerArraysWithExtremeValues) {
  const auto& ints = SpecialInts();
  for (const bool asc : {true, false}) {
    test::Probe("SortArray/SortIntoArray(int extremes)", [&] {
      std::vector<std::int32_t> d = ints;
      SortArray(std::span<std::int32_t>(d), asc);
      EXPECT_TRUE(std::is_sorted(d.begin(), d.end(),
                                 [&](std::int32_t x, std::int32_t y) { return asc ? x < y : x > y; }));
      for (const std::int32_t v : ints) {
        std::vector<std::int32_t> e = d;
        const std::int32_t ix = SortIntoArray(std::span<std::int32_t>(e), v, asc, false);
        EXPECT_TRUE(ix == -1 || e[static_cast<std::size_t>(ix)] == v);
        EXPECT_TRUE(std::is_sorted(e.begin(), e.end(), [&](std::int32_t x, std::int32_t y) { return asc ? x < y : x > y; }));
      }
    });
  }
}

TEST_F(FoundationRobustness, RandomGeneratorsWithExtremeParameters) {
  Sweep("BRandom", std::array{0.5}, [](auto a) {
    const bool b = BRandom(a[0]);
    if (a[0] >= 1.0) {
      EXPECT_TRUE(b);
    }
    if (!(a[0] > 0.0)) {
      EXPECT_FALSE(b);
    }
  });
  Sweep("CRandom", std::array{0.0, 1.0}, [](auto a) {
    const double c = CRandom(a[0], a[1]);
    if (AnyNaN({a[0], a[1]})) {
      EXPECT_TRUE(isnan(c));
    }
    if (a[1] == 0.0 && isfinite(a[0])) {
      EXPECT_EQ(c, a[0]);
    }
  });
  for (const std::int32_t seed : SpecialInts()) {
    test::Probe("LongRand(" + std::to_string(seed) + ")", [&] {
      for (int i = 0; i < 3; ++i) {
        const double r = LongRand(i == 0 ? seed : 0);
        EXPECT_TRUE(r >= 0.0 && r < 1.0) << r;
      }
      const double g = GRandom();
      EXPECT_TRUE(isfinite(g));
    });
  }
}

TEST_F(FoundationRobustness, AnglesAndTrigonometry) {
  Sweep("AngleToXAxis", std::array{1.0, -1.0}, [](auto a) {
    const double r = AngleToXAxis(a[0], a[1]);
    if (AnyNaN({a[0], a[1]})) {
      EXPECT_TRUE(isnan(r));
    } else {
      EXPECT_TRUE(r >= 0.0 && r < 2.0 * kPi) << r;
    }
  });
  const std::vector<test::Named<double>> angles = test::SpecialValuesOf<double>(
      {{std::nextafter(180.0, 0.0), "180-ulp"}, {-180.0, "-180"}, {180.0, "180"},
       {std::nextafter(540.0, 0.0), "540-ulp"}, {-kPi, "-pi"}, {kPi, "pi"}, {3.0 * kPi, "3pi"},
       {std::nextafter(-180.0, 0.0), "-180+ulp"}, {1e17 + 180.0, "1e17+180"}, {-720.0, "-720"}});
  Sweep("CanonicalAngle", angles, std::array{1.0}, [](auto a) {
    const double r = CanonicalAngleRadians(a[0]);
    const double d = CanonicalAngleDegrees(a[0]);
    if (!isfinite(a[0])) {
      EXPECT_TRUE(isnan(r) && isnan(d));
    } else {
      EXPECT_TRUE(r >= -kPi && r <= kPi) << r;
      EXPECT_TRUE(d >= -180.0 && d < 180.0) << d;
    }
  });
  Sweep("sinh/cosh/tgh", std::array{0.5}, [](auto a) {
    const double x = a[0];
    const double s = qmx::sinh(x), c = qmx::cosh(x), t = tgh(x);
    if (isnan(x)) {
      EXPECT_TRUE(isnan(s) && isnan(c) && isnan(t));
      return;
    }
    EXPECT_EQ(qmx::sinh(-x), -s);
    EXPECT_GE(c, 1.0);
    EXPECT_TRUE(t >= -1.0 && t <= 1.0);
    if (std::fabs(x) < 1e-150) {
      EXPECT_EQ(s, x);
      EXPECT_EQ(t, x);
    }
    if (std::isinf(x)) {
      EXPECT_EQ(t, x > 0 ? 1.0 : -1.0);
    }
  });
  Sweep<EMathError>("tg/cot", std::array{0.5}, [](auto a) {
    const double x = a[0];
    const double t = tg(x);
    if (!isfinite(x)) {
      EXPECT_TRUE(isnan(t));
    }
    if (x == 0.0) {
      EXPECT_THROW(cot(x), EMathError);
    }
  });
  Sweep("lg/ld", std::array{2.0}, [](auto a) {
    const double x = a[0];
    if (x <= 0.0) {
      EXPECT_THROW(lg(x), EMathError);
      EXPECT_THROW(ld(x), EMathError);
    } else if (isnan(x)) {
      EXPECT_TRUE(isnan(lg(x)) && isnan(ld(x)));
    } else {
      EXPECT_FALSE(isnan(lg(x)) || isnan(ld(x)));
      if (x == 0x1p-1074) {
        EXPECT_EQ(ld(x), -1074.0);
      }
    }
  });
  Sweep("modr", std::array{5.5, 2.0}, [](auto a) {
    const double r = modr(a[0], a[1]);
    if (AnyNaN({a[0], a[1]}) || std::isinf(a[0]) || a[1] == 0.0) {
      EXPECT_TRUE(isnan(r));
    } else if (std::isinf(a[1])) {
      EXPECT_EQ(r, a[0]);
    } else {
      EXPECT_LE(std::fabs(r), std::fabs(a[1]));
      EXPECT_TRUE(r == 0.0 || std::signbit(r) == std::signbit(a[0])) << r;
    }
  });
  Sweep("Squash", std::array{0.5, 2.0, 1.0, 0.0}, [](auto a) {
    const double r = Squash(a[0], a[1], a[2], a[3]);
    if (AnyNaN({a[0], a[1], a[2], a[3]})) {
      EXPECT_TRUE(isnan(r));
    } else if (AllFinite({a[0], a[1], a[2], a[3]})) {
      EXPECT_FALSE(isnan(r));
      EXPECT_LE(std::fabs(r), std::fabs(a[1]));
    }
  });
}

}  // namespace
}  // namespace qmx
