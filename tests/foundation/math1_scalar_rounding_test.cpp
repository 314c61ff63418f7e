#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include "qmx/foundation/math1_scalar.hpp"

namespace qmx {
namespace {

TEST(Round125, EdgeCases) {
  EXPECT_DOUBLE_EQ(RoundPos125(3.2), 5.0);
  EXPECT_DOUBLE_EQ(RoundNeg125(3.2), 2.0);
  EXPECT_DOUBLE_EQ(RoundPos125(-3.2), -2.0);
  EXPECT_DOUBLE_EQ(RoundNeg125(-3.2), -5.0);
  EXPECT_DOUBLE_EQ(Round125(0.0034), 0.005);
  EXPECT_DOUBLE_EQ(Round125(-140.0), -100.0);
  EXPECT_DOUBLE_EQ(Round125(7.9), 5.0);
  EXPECT_DOUBLE_EQ(Round125(8.0), 10.0);
  EXPECT_EQ(Round125(0.0), 0.0);
  EXPECT_EQ(RoundPos125(0.0), 0.0);
  EXPECT_EQ(RoundNeg125(0.0), 0.0);
  // Series values stay where they are, in every decade.
  for (const double v : {1.0, 2.0, 5.0, 0.2, 0.5, 20.0, 5e-7, 2e12, 1e-300, 5e300}) {
    for (const double s : {1.0, -1.0}) {
      EXPECT_EQ(Round125(s * v), s * v) << s * v;
      EXPECT_EQ(RoundPos125(s * v), s * v) << s * v;
      EXPECT_EQ(RoundNeg125(s * v), s * v) << s * v;
    }
  }
  // Results above 1 are whole numbers.
  EXPECT_EQ(Round125(2345.6), 2000.0);
  EXPECT_EQ(RoundPos125(1e15 + 1e3), 2e15);
  // Within the snapping tolerance of a power of ten: that power.
  EXPECT_EQ(RoundPos125(1e15 + 3.0), 1e15);
}

/// The expected series mantissa (1, 2, 5 or 10) of a decimal mantissa m in [1, 10).
double ExpectedNearest(double m) { return m < 1.5 ? 1 : m < 3 ? 2 : m < 8 ? 5 : 10; }
double ExpectedCeil(double m) { return m <= 1 ? 1 : m <= 2 ? 2 : m <= 5 ? 5 : 10; }
double ExpectedFloor(double m) { return m < 2 ? 1 : m < 5 ? 2 : 5; }

/// mant * 10^k from its decimal text (an independent, correctly rounded path).
double FromDecimal(double mant, int k) {
  return std::strtod((std::to_string(static_cast<int>(mant)) + "e" + std::to_string(k)).c_str(), nullptr);
}

TEST(Round125, FamilyAcrossDecadesAndSigns) {
  const char* mantissas[] = {"1", "1.2", "1.49", "1.5", "1.999", "2", "2.5", "2.99", "3",
                             "4", "4.999", "5", "5.001", "7.99", "8", "9.5", "9.999"};
  for (int k = -12; k <= 12; ++k) {
    for (const char* ms : mantissas) {
      const double m = std::strtod(ms, nullptr);
      const double x = std::strtod((std::string(ms) + "e" + std::to_string(k)).c_str(), nullptr);
      auto expect = [&](double mant) {
        // A mantissa of 10 is 1 of the next decade.
        return mant == 10 ? FromDecimal(1, k + 1) : FromDecimal(mant, k);
      };
      EXPECT_DOUBLE_EQ(Round125(x), expect(ExpectedNearest(m))) << x;
      EXPECT_DOUBLE_EQ(Round125(-x), -expect(ExpectedNearest(m))) << -x;
      EXPECT_DOUBLE_EQ(RoundPos125(x), expect(ExpectedCeil(m))) << x;
      EXPECT_DOUBLE_EQ(RoundNeg125(x), expect(ExpectedFloor(m))) << x;
      EXPECT_DOUBLE_EQ(RoundPos125(-x), -expect(ExpectedFloor(m))) << -x;
      EXPECT_DOUBLE_EQ(RoundNeg125(-x), -expect(ExpectedCeil(m))) << -x;
    }
  }
}

TEST(Round125, OrderAndBracketing) {
  std::mt19937 gen(3);
  std::uniform_real_distribution<double> expo(-30.0, 30.0);
  for (int i = 0; i < 2000; ++i) {
    const double x = std::pow(10.0, expo(gen)) * (i % 2 ? -1.0 : 1.0);
    EXPECT_GE(RoundPos125(x), x);
    EXPECT_LE(RoundNeg125(x), x);
    // Neighbours on the series: at most a factor 2.5 apart.
    EXPECT_LE(RoundPos125(x) / RoundNeg125(x), 2.5 + 1e-12);
    EXPECT_GT(RoundPos125(x) / RoundNeg125(x), 0.0);
  }
}

TEST(RoundLimit, RoundsAndClips) {
  EXPECT_EQ(RoundLimit(2.4, 0, 10), 2);
  EXPECT_EQ(RoundLimit(2.5, 0, 10), 2);  // ties to even
  EXPECT_EQ(RoundLimit(3.5, 0, 10), 4);
  EXPECT_EQ(RoundLimit(-2.6, -10, 10), -3);
  EXPECT_EQ(RoundLimit(12.0, 0, 10), 10);
  EXPECT_EQ(RoundLimit(-12.0, 0, 10), 0);
  EXPECT_EQ(RoundLimit(5.0, 10, 0), 5);  // bounds in either order
  EXPECT_EQ(RoundLimit(1e300, 0, 10), 10);
  constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(RoundLimit(1e300, kMin, kMax), kMax);
  EXPECT_EQ(RoundLimit(-1e300, kMin, kMax), kMin);
  EXPECT_EQ(RoundLimit(9223372036854775807.0, kMin, kMax), kMax);
  EXPECT_EQ(RoundLimit(-9223372036854775808.0, kMin, kMax), kMin);
}

struct TDms {
  std::int32_t d, m, s;
};

TDms Rounded(TDms v, bool up) {
  RoundDegrees(v.d, v.m, v.s, up);
  return v;
}

void ExpectDms(TDms got, std::int32_t d, std::int32_t m, std::int32_t s) {
  EXPECT_EQ(got.d, d);
  EXPECT_EQ(got.m, m);
  EXPECT_EQ(got.s, s);
}

TEST(RoundDegrees, StepsOfDegreesMinutesAndSeconds) {
  ExpectDms(Rounded({7, 30, 0}, false), 5, 0, 0);
  ExpectDms(Rounded({7, 30, 0}, true), 10, 0, 0);
  ExpectDms(Rounded({5, 0, 0}, false), 5, 0, 0);
  ExpectDms(Rounded({5, 0, 0}, true), 5, 0, 0);
  ExpectDms(Rounded({5, 0, 1}, true), 10, 0, 0);
  ExpectDms(Rounded({1, 0, 0}, false), 1, 0, 0);
  ExpectDms(Rounded({200, 0, 0}, false), 180, 0, 0);
  ExpectDms(Rounded({200, 0, 0}, true), 360, 0, 0);
  ExpectDms(Rounded({500, 10, 0}, true), 360, 0, 0);
  ExpectDms(Rounded({500, 10, 0}, false), 360, 0, 0);
  // Minutes.
  ExpectDms(Rounded({0, 7, 30}, false), 0, 5, 0);
  ExpectDms(Rounded({0, 7, 30}, true), 0, 10, 0);
  ExpectDms(Rounded({0, 45, 0}, false), 0, 30, 0);
  ExpectDms(Rounded({0, 45, 0}, true), 1, 0, 0);  // 60 minutes are one degree
  ExpectDms(Rounded({0, 99, 99}, true), 1, 0, 0);  // clipped to 59'59"
  // Seconds.
  ExpectDms(Rounded({0, 0, 4}, false), 0, 0, 3);
  ExpectDms(Rounded({0, 0, 4}, true), 0, 0, 5);
  ExpectDms(Rounded({0, 0, 59}, true), 0, 1, 0);  // 60 seconds are one minute
  ExpectDms(Rounded({0, 0, 75}, false), 0, 0, 30);
  // Negative parts and zero.
  ExpectDms(Rounded({5, -1, 0}, true), 0, 0, 0);
  ExpectDms(Rounded({-5, 10, 10}, false), 0, 0, 0);
  ExpectDms(Rounded({0, 0, 0}, true), 0, 0, 0);
}

struct TScale {
  double start, step;
  std::int32_t minor;
};

TScale Scale(std::int32_t n, double lo, double hi) {
  TScale s{};
  CalcScalePars(n, lo, hi, s.start, s.step, s.minor);
  return s;
}

TEST(CalcScalePars, Examples) {
  TScale s = Scale(4, 0, 100);
  EXPECT_DOUBLE_EQ(s.start, 0.0);
  EXPECT_DOUBLE_EQ(s.step, 20.0);
  EXPECT_EQ(s.minor, 4);
  s = Scale(5, 0, 100);
  EXPECT_DOUBLE_EQ(s.start, 0.0);
  EXPECT_DOUBLE_EQ(s.step, 10.0);
  EXPECT_EQ(s.minor, 5);
  s = Scale(2, 0, 100);  // 50 lies on the boundary and falls into the 2 class
  EXPECT_DOUBLE_EQ(s.step, 20.0);
  EXPECT_EQ(s.minor, 4);
  s = Scale(1, 0, 70);  // the 5 class
  EXPECT_DOUBLE_EQ(s.start, 0.0);
  EXPECT_DOUBLE_EQ(s.step, 50.0);
  EXPECT_EQ(s.minor, 5);
  s = Scale(3, 0, 1);  // 0.333: 2 * 10^-1
  EXPECT_DOUBLE_EQ(s.start, 0.0);
  EXPECT_DOUBLE_EQ(s.step, 0.2);
  EXPECT_EQ(s.minor, 4);
  s = Scale(10, -3.7, 12.2);
  EXPECT_DOUBLE_EQ(s.start, -3.0);
  EXPECT_DOUBLE_EQ(s.step, 1.0);
  EXPECT_EQ(s.minor, 5);
  s = Scale(4, 0.0013, 0.0025);  // 3e-4 per tick: 2e-4
  EXPECT_DOUBLE_EQ(s.step, 2e-4);
  EXPECT_EQ(s.minor, 4);
  EXPECT_NEAR(s.start, 0.0014, 1e-15);
  // Degenerate range.
  s = Scale(5, 3.0, 3.0);
  EXPECT_EQ(s.start, 3.0);
  EXPECT_EQ(s.step, 0.0);
  EXPECT_EQ(s.minor, 1);
  // Without a tick count: unit steps.
  s = Scale(0, 0.0, 7.5);
  EXPECT_EQ(s.start, 0.0);
  EXPECT_EQ(s.step, 1.0);
  EXPECT_EQ(s.minor, 5);
  s = Scale(0, 0.5, 30.0);
  EXPECT_EQ(s.start, 1.0);
  EXPECT_EQ(s.step, 1.0);
  EXPECT_EQ(s.minor, 1);
}

TEST(CalcScalePars, ReversedRanges) {
  TScale s = Scale(4, 100, 0);
  EXPECT_DOUBLE_EQ(s.start, 100.0);
  EXPECT_DOUBLE_EQ(s.step, -20.0);
  EXPECT_EQ(s.minor, 4);
  s = Scale(5, 100, 0);
  EXPECT_DOUBLE_EQ(s.start, 100.0);
  EXPECT_DOUBLE_EQ(s.step, -10.0);
  EXPECT_EQ(s.minor, 5);
  s = Scale(10, 12.2, -3.7);
  EXPECT_DOUBLE_EQ(s.start, 12.0);
  EXPECT_DOUBLE_EQ(s.step, -1.0);
  s = Scale(3, 1, 0);
  EXPECT_DOUBLE_EQ(s.start, 1.0);
  EXPECT_DOUBLE_EQ(s.step, -0.2);
  // Without a tick count the unit step also points from low towards high.
  s = Scale(0, 7.5, 0.0);
  EXPECT_EQ(s.start, 7.0);
  EXPECT_EQ(s.step, -1.0);
  EXPECT_EQ(s.minor, 5);
  // A negative tick count counts by its absolute value.
  s = Scale(-4, 0, 100);
  EXPECT_DOUBLE_EQ(s.step, 20.0);
}

TEST(CalcScalePars, LayoutProperties) {
  std::mt19937 gen(5);
  std::uniform_real_distribution<double> expo(-8.0, 8.0);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int i = 0; i < 3000; ++i) {
    const double scale = std::pow(10.0, expo(gen));
    const double lo = unit(gen) * scale * 3.0;
    const double hi = lo + unit(gen) * scale;
    if (lo == hi) continue;
    const std::int32_t n = 1 + i % 12;
    const TScale s = Scale(n, lo, hi);
    const double sign = lo < hi ? 1.0 : -1.0;
    const double range = std::fabs(hi - lo);
    ASSERT_GT(s.step * sign, 0.0);
    const double a = std::fabs(s.step);
    // The step is 1, 2 or 5 times a power of ten, with its minor count.
    const double k = std::floor(std::log10(a) + 1e-9);
    const double mant = a / std::pow(10.0, k);
    const bool m1 = std::fabs(mant - 1) < 1e-9, m2 = std::fabs(mant - 2) < 1e-9, m5 = std::fabs(mant - 5) < 1e-9;
    ASSERT_TRUE(m1 || m2 || m5) << lo << " " << hi << " " << n << " step " << s.step;
    EXPECT_EQ(s.minor, m2 ? 4 : 5);
    // About n intervals: the largest series step not above range/n.
    EXPECT_LE(a, range / n * (1 + 1e-9));
    EXPECT_GT(a, range / n / 2.5 * (1 - 1e-9));
    // The first tick: a multiple of the step at low or less than a step beyond it.
    const double q = s.start / s.step;
    EXPECT_NEAR(q, std::round(q), 1e-6 * std::max(1.0, std::fabs(q)));
    EXPECT_GE((s.start - lo) * sign, -0.001 * a * (1 + 1e-9));
    EXPECT_LT((s.start - lo) * sign, a * (1 + 1e-9));
  }
}

}  // namespace
}  // namespace qmx
