// Plane geometry, rounding and axis scaling, interpolation and the integer
// helpers of math1 given special values in every argument position.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numeric>
#include <vector>

#include "foundation_robustness_sweep.hpp"
#include "qmx/foundation/math1_primitives.hpp"
#include "qmx/foundation/math1_scalar.hpp"

namespace qmx {
namespace {

using test::SpecialArrays;
using test::SpecialInts;
using test::Sweep;
using std::isfinite;
using std::isnan;

template <std::size_t N>
bool AllFinite(const std::array<double, N>& a) {
  return std::all_of(a.begin(), a.end(), [](double x) { return isfinite(x); });
}
template <std::size_t N>
bool AnyNaN(const std::array<double, N>& a) {
  return std::any_of(a.begin(), a.end(), [](double x) { return isnan(x); });
}

/// A saturating conversion (an out-of-range double becomes an infinite float).
float ToFloat(double x) {
  if (std::fabs(x) > std::numeric_limits<float>::max()) return x > 0 ? HUGE_VALF : -HUGE_VALF;
  return static_cast<float>(x);
}

using FoundationScalarRobustness = test::SweepTest;

TEST_F(FoundationScalarRobustness, PlaneGeometry) {
  Sweep("EuclideanDistance", std::array{1.0, 2.0, -3.0, 0.5}, [](auto a) {
    const double d = EuclideanDistance(a[0], a[1], a[2], a[3]);
    if (AllFinite(a)) {
      EXPECT_GE(d, 0.0);  // finite input: never NaN (may overflow to inf)
    }
    if (AnyNaN(a)) {
      EXPECT_TRUE(isnan(d));
    }
    EXPECT_TRUE(test::SameOrBothNaN(d, EuclideanDistance({a[2], a[3]}, {a[0], a[1]})));
  });
  Sweep("CcwTriangle", std::array{0.0, 0.0, 2.0, 0.5, 1.0, 3.0}, [](auto a) {
    const TPointDouble p0{a[0], a[1]}, p1{a[2], a[3]}, p2{a[4], a[5]};
    const std::int32_t c = CcwTriangle(p0, p1, p2);
    EXPECT_TRUE(c >= -1 && c <= 1);
    EXPECT_EQ(CcwTriangle(p0, p2, p1), -c);
    if (AnyNaN(a)) {
      EXPECT_EQ(c, 0);
    }
  });
  Sweep("SegmentsIntersect", std::array{0.0, 0.0, 2.0, 2.0, 0.0, 2.0, 2.0, 0.0}, [](auto a) {
    const TPointDouble a1{a[0], a[1]}, a2{a[2], a[3]}, b1{a[4], a[5]}, b2{a[6], a[7]};
    const bool s = SegmentsIntersect(a1, a2, b1, b2);
    EXPECT_EQ(SegmentsIntersect(b1, b2, a1, a2), s);
    // Reversed segments give the same answer where the orientations are exact
    // (coordinates of moderate size; disparate ones are rounded).
    if (std::all_of(a.begin(), a.end(), [](double c) { return c == 0.0 || (std::fabs(c) > 1e-9 && std::fabs(c) < 1e9); })) {
      EXPECT_EQ(SegmentsIntersect(a2, a1, b2, b1), s);
    }
    if (AnyNaN(a)) {
      EXPECT_FALSE(s);
    }
  });
  Sweep("DistanceToSegment", std::array{1.0, 1.0, 0.0, 0.0, 3.0, -1.0}, [](auto a) {
    const TPointDouble p{a[0], a[1]}, s1{a[2], a[3]}, s2{a[4], a[5]};
    const double d = DistanceToSegment(p, s1, s2);
    if (AnyNaN(a)) {
      EXPECT_TRUE(isnan(d));
    }
    if (AllFinite(a)) {
      const double bound = std::min(EuclideanDistance(p, s1), EuclideanDistance(p, s2));
      EXPECT_TRUE(d >= 0.0 && d <= bound * (1 + 1e-12)) << d << " " << bound;
    }
  });
  Sweep("DistFromEllipse", std::array{4.0, 1.0, 3.0, 2.0, 0.5, -0.5}, [](auto a) {
    TPointDouble q;
    const double d = DistFromEllipse({a[0], a[1]}, a[2], a[3], a[4], a[5], q);
    if (AnyNaN(a) || !AllFinite(std::array{a[2], a[3], a[4], a[5]})) {
      EXPECT_TRUE(isnan(d) && isnan(q.x) && isnan(q.y));
    } else if (!AllFinite(a)) {
      EXPECT_EQ(d, HUGE_VAL);
    } else {
      EXPECT_GE(d, 0.0);
      EXPECT_FALSE(isnan(q.x) || isnan(q.y));
    }
  });
  Sweep("WithinBounds/ConfineValue", std::array{0.5, -1.0, 2.0}, [](auto a) {
    const double x = a[0], lo = std::min(a[1], a[2]), hi = std::max(a[1], a[2]);
    const bool w = WithinBounds(x, a[1], a[2]);
    const bool wt = WithinBounds(x, a[1], a[2], 0.25);
    const double c = ConfineValue(x, a[1], a[2]);
    const float cf = ConfineValue(ToFloat(a[0]), ToFloat(a[1]), ToFloat(a[2]));
    if (isnan(x)) {
      EXPECT_FALSE(w || wt);
      EXPECT_TRUE(isnan(c));
    } else if (!AnyNaN(a)) {
      EXPECT_EQ(w, lo <= x && x <= hi);
      EXPECT_TRUE(c >= lo && c <= hi);
      EXPECT_TRUE(!w || wt);
    }
    if (!AnyNaN(a)) {
      EXPECT_TRUE(cf >= ToFloat(lo) && cf <= ToFloat(hi));
    }
  });
  Sweep("WithinRect/ConfinePointToRect", std::array{0.5, 0.5, 0.0, 0.0, 1.0, 1.0}, [](auto a) {
    TPointDouble p{a[0], a[1]};
    const TRectDouble r{a[2], a[3], a[4], a[5]};
    const bool inside = WithinRect(p, r);
    const bool changed = ConfinePointToRect(p, r);
    if (!AnyNaN(a)) {
      EXPECT_EQ(changed, !inside);
      EXPECT_TRUE(WithinRect(p, r));
    }
  });
  Sweep("InterpolZofXYRect", std::array{0.25, 0.75, 1.0, 2.0, 3.0, 4.0}, [](auto a) {
    const double z = InterpolZofXYRect(a[0], a[1], a[2], a[3], a[4], a[5]);
    if (AnyNaN(a)) {
      EXPECT_TRUE(isnan(z));
    }
    if (AllFinite(a)) {
      EXPECT_FALSE(isnan(z));
    }
    if (a[0] == 0.0 && a[1] == 0.0 && AllFinite(a)) {
      EXPECT_EQ(z, a[2]);
    }
  });
}

TEST_F(FoundationScalarRobustness, IntegerGeometry) {
  const auto& ints = SpecialInts();
  for (const std::int32_t u : ints) {
    for (const std::int32_t v : ints) {
      test::Probe("DistFromRect/WithinRect", [&] {
        const TRect rects[] = {{u, v, 0, 0}, {0, 0, u, v}, {u, 0, v, 0}};
        const TPoint points[] = {{u, v}, {v, 0}, {0, u}};
        for (const TRect& r : rects) {
          for (const TPoint& p : points) {
            const std::int32_t d = DistFromRect(p, r);
            EXPECT_GE(d, 0);
            EXPECT_EQ(d == 0, WithinRect(p, r));
            TPoint q = p;
            ConfinePointToRect(q, r);
            EXPECT_TRUE(WithinRect(q, r));
            EXPECT_EQ(ConfineValue(u, v, 0), std::clamp(u, std::min(v, 0), std::max(v, 0)));
          }
        }
      });
    }
  }
}

TEST_F(FoundationScalarRobustness, RoundingAndScaling) {
  Sweep("Round125", std::array{3.0}, [](auto a) {
    const double x = a[0];
    const double r = Round125(x), up = RoundPos125(x), dn = RoundNeg125(x);
    if (x == 0.0 || !isfinite(x)) {
      EXPECT_TRUE(test::SameOrBothNaN(r, x) && test::SameOrBothNaN(up, x) && test::SameOrBothNaN(dn, x));
      return;
    }
    EXPECT_GE(up, x);
    EXPECT_LE(dn, x);
    const long double ratio = static_cast<long double>(r) / x;
    EXPECT_TRUE((ratio >= 0.5L && ratio <= 2.0L) || std::isinf(r)) << r;
  });
  const std::int32_t ticks[] = {std::numeric_limits<std::int32_t>::min(), -3, 0, 1, 5, 7,
                                std::numeric_limits<std::int32_t>::max()};
  for (const std::int32_t n : ticks) {
    Sweep("CalcScalePars(n=" + std::to_string(n) + ")", std::array{-1.0, 13.0}, [n](auto a) {
      double start = 7.0, step = 7.0;
      std::int32_t minor = 7;
      CalcScalePars(n, a[0], a[1], start, step, minor);
      const double low = a[0], high = a[1];
      if (low == high || !AllFinite(a)) {
        EXPECT_TRUE(step == 0.0 && minor == 1 && test::SameOrBothNaN(start, low));
        return;
      }
      EXPECT_TRUE(minor == 1 || minor == 4 || minor == 5);
      EXPECT_TRUE(isfinite(start) && isfinite(step));
      if (step == 0.0) return;  // the range has no usable step
      EXPECT_EQ(step > 0.0, high > low);
      // The first tick lies at or beyond low (within 0.001 step), less than a step later.
      const long double ahead = (static_cast<long double>(start) - low) / step;
      EXPECT_TRUE(ahead > -0.0011L && ahead < 1.0011L) << start << " " << step;
    });
  }
  for (const std::int32_t d : SpecialInts()) {
    for (const std::int32_t m : SpecialInts()) {
      test::Probe("RoundDegrees", [&] {
        for (const bool up : {false, true}) {
          std::int32_t deg = d, min = m, sec = m;
          RoundDegrees(deg, min, sec, up);
          EXPECT_TRUE(deg >= 0 && deg <= 360 && min >= 0 && min < 60 && sec >= 0 && sec < 60);
        }
      });
    }
  }
}

TEST_F(FoundationScalarRobustness, Interpolation) {
  for (const std::size_t n : {2u, 3u, 8u}) {
    const auto arrays = SpecialArrays(n);
    for (const auto& xs : arrays) {
      for (const auto& ys : {arrays.back(), arrays[arrays.size() - 4]}) {
        for (const auto& x : test::SpecialDoubles()) {
          test::Probe("InterpolXYTable(" + std::string(x.name) + ", " + xs.name + ", " + ys.name + ")", [&] {
            const TDouble2DArray table = {xs.values, ys.values};
            for (const bool extra : {false, true}) {
              const double y = InterpolXYTable(x.value, table, extra);
              if (isnan(x.value)) {
                EXPECT_TRUE(isnan(y));
              }
              const bool finite = isfinite(x.value) &&
                                  std::all_of(xs.values.begin(), xs.values.end(), [](double v) { return isfinite(v); }) &&
                                  std::all_of(ys.values.begin(), ys.values.end(), [](double v) { return isfinite(v); });
              if (finite) {
                EXPECT_FALSE(isnan(y));
              }
            }
          });
        }
      }
    }
  }
  const std::vector<double> samples = {1.0, 4.0, -2.0};
  Sweep<EQMXMath1Error>("InterpolTable", std::array{0.5, 0.0, 1.0}, [&](auto a) {
    if (a[1] == a[2]) {
      EXPECT_THROW(InterpolTable(a[0], a[1], a[2], samples), EQMXMath1Error);
      return;
    }
    const double y = InterpolTable(a[0], a[1], a[2], samples);
    const std::vector<std::int32_t> ints = {std::numeric_limits<std::int32_t>::min(), 0,
                                            std::numeric_limits<std::int32_t>::max()};
    const double yi = InterpolTable(a[0], a[1], a[2], ints);
    if (AnyNaN(a)) {
      EXPECT_TRUE(isnan(y) && isnan(yi));
    }
    if (AllFinite(a)) {
      EXPECT_FALSE(isnan(y) || isnan(yi));
    }
  });
  for (const auto& arr : SpecialArrays(5)) {
    for (const auto& x : test::SpecialDoubles()) {
      test::Probe("InterpolTable(" + std::string(x.name) + ", " + arr.name + ")", [&] {
        const double y = InterpolTable(x.value, -1.0, 1.0, arr.values);
        if (isnan(x.value)) {
          EXPECT_TRUE(isnan(y));
        }
      });
    }
  }
}

TEST_F(FoundationScalarRobustness, IntegersAndBits) {
  for (const std::int32_t a : SpecialInts()) {
    test::Probe("integer helpers(" + std::to_string(a) + ")", [&] {
      const std::int32_t p = ListOfPrimes(a);
      EXPECT_TRUE(p == 0 || IsPrime(p));
      TIntArray f;
      FindPrimeFactors(a, f);
      if (a >= 2) {
        const long long prod = std::accumulate(f.begin(), f.end(), 1LL, std::multiplies<long long>());
        EXPECT_EQ(prod, a);
      } else {
        EXPECT_TRUE(f.empty());
      }
      if (a < 0 || a > 1000) {
        EXPECT_THROW(Factorial(a), EQMXMath1Error);
      } else {
        EXPECT_TRUE(isfinite(static_cast<double>(std::log(Factorial(a)))));
      }
      EXPECT_EQ(DecodeBit(a), a >= 0 && a <= 7 ? 1u << a : 0u);
      EXPECT_EQ(DecodeLong(a), a >= 0 && a <= 31 ? 1u << a : 0u);
      EXPECT_EQ(ConvertEndian(ConvertEndian(a)), a);
      const auto u = static_cast<std::uint32_t>(a);
      EXPECT_EQ(CheckPowerOfTwo(u), (u & (u - 1)) == 0);
      EXPECT_TRUE(EncodeLong(u) >= 0 && EncodeLong(u) <= 31);
      for (const std::int32_t b : SpecialInts()) {
        std::int32_t num = a, den = b;
        CancelFraction(num, den);
        EXPECT_EQ(static_cast<long long>(num) * b, static_cast<long long>(a) * den);
        const std::int64_t prod = ProductConsecInts(a, b);
        EXPECT_GE(prod, -2);
      }
    });
  }
  test::Probe("byte and word helpers (every value)", [] {
    for (unsigned b = 0; b < 256; ++b) {
      const auto u = static_cast<std::uint8_t>(b);
      EXPECT_EQ(BitReversal(BitReversal(u)), u);
      EXPECT_EQ(CountBits(u), std::popcount(u));
    }
    for (unsigned w = 0; w < 65536; ++w) {
      const auto u = static_cast<std::uint16_t>(w);
      EXPECT_EQ(ConvertEndian(ConvertEndian(u)), u);
      EXPECT_EQ(std::popcount(static_cast<std::uint16_t>(GrayCode(u) ^ GrayCode(static_cast<std::uint16_t>(u + 1)))), 1);
    }
  });
  for (const auto& v : test::SpecialDoubles()) {
    test::Probe(std::string("ExChange(") + v.name + ")", [&] {
      double a = v.value, b = -1.0;
      ExChange(a, b);
      EXPECT_TRUE(b == v.value || (isnan(b) && isnan(v.value)));
      float fa = ToFloat(v.value), fb = 0.0F;
      ExChange(fa, fb);
      Extended ea = v.value, eb = 2.0L;
      ExChange(ea, eb);
      ExChange(&a, &b, sizeof(double));
      EXPECT_EQ(std::memcmp(&a, &v.value, sizeof(double)), 0);
      ExChange(nullptr, &a, 8);
    });
    test::Probe(std::string("ConvertEndian(") + v.name + ")", [&] {
      const double back = ConvertEndian(ConvertEndian(v.value));
      EXPECT_EQ(std::memcmp(&back, &v.value, sizeof(double)), 0);
      const float f = static_cast<float>(v.value == v.value && std::fabs(v.value) < 1e30 ? v.value : 0.0);
      const float fb = ConvertEndian(ConvertEndian(f));
      EXPECT_EQ(std::memcmp(&fb, &f, sizeof(float)), 0);
    });
  }
}

}  // namespace
}  // namespace qmx
