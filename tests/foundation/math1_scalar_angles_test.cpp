#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "math1_scalar_test_util.hpp"
#include "qmx/foundation/math1_scalar.hpp"

namespace qmx {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(AngleToXAxis, EdgeCasesAndQuadrants) {
  EXPECT_DOUBLE_EQ(AngleToXAxis(0, 0), 1.5 * kPi);
  EXPECT_DOUBLE_EQ(AngleToXAxis(0, -2), 1.5 * kPi);
  EXPECT_DOUBLE_EQ(AngleToXAxis(0, 2), 0.5 * kPi);
  EXPECT_DOUBLE_EQ(AngleToXAxis(-1, 0), kPi);
  EXPECT_DOUBLE_EQ(AngleToXAxis(1, -1), 1.75 * kPi);
  EXPECT_DOUBLE_EQ(AngleToXAxis(1, 0), 0.0);
  // Agrees with atan2 moved into [0, 2pi) all around the circle.
  for (int i = 0; i < 360; ++i) {
    const double t = (i + 0.5) * kPi / 180.0;
    const double dx = 3.0 * std::cos(t);
    const double dy = 3.0 * std::sin(t);
    double ref = std::atan2(dy, dx);
    if (ref < 0) ref += 2 * kPi;
    const double a = AngleToXAxis(dx, dy);
    EXPECT_NEAR(a, ref, 1e-13) << i;
    EXPECT_GE(a, 0.0);
    EXPECT_LT(a, 2 * kPi);
  }
}

TEST(CanonicalAngle, RadiansReduceToMinusPiPi) {
  for (double a = -50.0; a <= 50.0; a += 0.37) {
    const double r = CanonicalAngleRadians(a);
    EXPECT_GT(r, -kPi - 1e-12);
    EXPECT_LE(r, kPi + 1e-12);
    // Same direction as the input.
    EXPECT_NEAR(std::cos(r), std::cos(a), 1e-12) << a;
    EXPECT_NEAR(std::sin(r), std::sin(a), 1e-12) << a;
  }
  EXPECT_DOUBLE_EQ(CanonicalAngleRadians(1.0), 1.0);
  EXPECT_DOUBLE_EQ(CanonicalAngleRadians(-1.0), -1.0);
  EXPECT_NEAR(CanonicalAngleRadians(1.5 * kPi), -0.5 * kPi, 1e-15);
  EXPECT_NEAR(CanonicalAngleRadians(2 * kPi), 0.0, 1e-15);
}

TEST(CanonicalAngle, DegreesReduceToMinus180To180) {
  EXPECT_DOUBLE_EQ(CanonicalAngleDegrees(180.0), -180.0);
  EXPECT_DOUBLE_EQ(CanonicalAngleDegrees(-180.0), -180.0);
  EXPECT_DOUBLE_EQ(CanonicalAngleDegrees(360.0), 0.0);
  EXPECT_DOUBLE_EQ(CanonicalAngleDegrees(-360.0), 0.0);
  EXPECT_DOUBLE_EQ(CanonicalAngleDegrees(270.0), -90.0);
  EXPECT_DOUBLE_EQ(CanonicalAngleDegrees(-190.0), 170.0);
  EXPECT_NEAR(CanonicalAngleDegrees(725.5), 5.5, 1e-12);
  EXPECT_NEAR(CanonicalAngleDegrees(-725.5), -5.5, 1e-12);
  for (double a = -1000.0; a <= 1000.0; a += 7.3) {
    const double r = CanonicalAngleDegrees(a);
    EXPECT_GE(r, -180.0);
    EXPECT_LT(r, 180.0);
    const double turns = (a - r) / 360.0;
    EXPECT_NEAR(turns, std::round(turns), 1e-12) << a;
  }
}

TEST(Hyperbolic, AgreeWithTheStandardFunctions) {
  for (double x = -30.0; x <= 30.0; x += 0.173) {
    EXPECT_NEAR(sinh(x), std::sinh(x), 1e-15 * std::cosh(x)) << x;
    EXPECT_NEAR(cosh(x), std::cosh(x), 1e-15 * std::cosh(x)) << x;
    EXPECT_NEAR(tgh(x), std::tanh(x), 1e-15) << x;
  }
  // Small arguments keep their relative precision.
  EXPECT_DOUBLE_EQ(sinh(1e-20), 1e-20);
  EXPECT_DOUBLE_EQ(tgh(-1e-20), -1e-20);
  EXPECT_DOUBLE_EQ(cosh(0.0), 1.0);
  // Large arguments saturate instead of failing.
  EXPECT_EQ(tgh(1e6), 1.0);
  EXPECT_EQ(tgh(-1e6), -1.0);
  EXPECT_EQ(sinh(1e6), HUGE_VAL);
  EXPECT_EQ(sinh(-1e6), -HUGE_VAL);
  EXPECT_EQ(cosh(-1e6), HUGE_VAL);
}

TEST(Trigonometry, TangentCotangentAndErrors) {
  EXPECT_NEAR(tg(0.3), std::tan(0.3), 1e-15);
  EXPECT_NEAR(cot(0.3), 1.0 / std::tan(0.3), 1e-14);
  EXPECT_EQ(tg(0.0), 0.0);
  // cos(pi/2) of a double is tiny but not zero: a large finite value.
  EXPECT_GT(std::fabs(tg(kPi / 2)), 1e15);
  test::ExpectThrowExact<EMathError>([] { cot(0.0); }, "cotangens overflow");
}

TEST(Logarithms, ValuesAndInvalidArguments) {
  EXPECT_EQ(lg(1000.0), 3.0);
  EXPECT_EQ(lg(1e-5), -5.0);
  EXPECT_EQ(ld(1024.0), 10.0);
  EXPECT_NEAR(ld(3.0), std::log(3.0) / std::log(2.0), 1e-15);
  test::ExpectThrowExact<EMathError>([] { lg(0.0); }, "logarithm: invalid argument");
  test::ExpectThrowExact<EMathError>([] { lg(-1.0); }, "logarithm: invalid argument");
  test::ExpectThrowExact<EMathError>([] { ld(0.0); }, "logarithm: invalid argument");
  test::ExpectThrowExact<EMathError>([] { ld(-HUGE_VAL); }, "logarithm: invalid argument");
}

TEST(Modr, RemainderWithTheSignOfTheQuotient) {
  EXPECT_DOUBLE_EQ(modr(5.5, 2.0), 1.5);
  EXPECT_DOUBLE_EQ(modr(-5.5, 2.0), -1.5);
  EXPECT_DOUBLE_EQ(modr(5.5, -2.0), 1.5);
  EXPECT_DOUBLE_EQ(modr(6.0, 2.0), 0.0);
  for (double a = -20.0; a <= 20.0; a += 0.71) {
    EXPECT_NEAR(modr(a, 3.0), std::fmod(a, 3.0), 1e-13) << a;
  }
  EXPECT_TRUE(std::isnan(modr(1.0, 0.0)));
}

TEST(Squash, SymmetricSigmoidLimitedToRange) {
  EXPECT_DOUBLE_EQ(Squash(3.0, 2.0, 1.0, 3.0), 0.0);
  // Rising with the given slope at the centre.
  const double h = 1e-6;
  EXPECT_NEAR((Squash(3.0 + h, 2.0, 0.7, 3.0) - Squash(3.0 - h, 2.0, 0.7, 3.0)) / (2 * h), 0.7, 1e-8);
  EXPECT_NEAR(Squash(5.0, 2.0, 0.7, 3.0), -Squash(1.0, 2.0, 0.7, 3.0), 1e-15);
  // |t| >= 200 gives exactly +-range.
  EXPECT_EQ(Squash(1000.0, 2.0, 1.0, 0.0), 2.0);
  EXPECT_EQ(Squash(-1000.0, 2.0, 1.0, 0.0), -2.0);
  // Closed form (2/(e^t + 1) - 1) * range = range * tanh(-t/2).
  EXPECT_NEAR(Squash(1.0, 3.0, 1.5, 0.0), 3.0 * std::tanh(1.5 / 3.0 * 1.0), 1e-15);
}

TEST(NonFiniteAngles, NaNPropagatesAndRangesHold) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(std::isnan(AngleToXAxis(0.0, kNaN)));  // was 3*pi/2
  EXPECT_TRUE(std::isnan(AngleToXAxis(kNaN, 1.0)));
  EXPECT_DOUBLE_EQ(AngleToXAxis(HUGE_VAL, HUGE_VAL), kPi / 4);
  EXPECT_DOUBLE_EQ(AngleToXAxis(-HUGE_VAL, -HUGE_VAL), 5 * kPi / 4);
  // A tiny negative angle rounds to the double 2*pi, outside [0, 2*pi): 0 instead.
  EXPECT_EQ(AngleToXAxis(1.0, -5e-324), 0.0);
  EXPECT_LT(AngleToXAxis(1.0, -1e-15), 2 * kPi);
  EXPECT_TRUE(std::isnan(CanonicalAngleRadians(HUGE_VAL)));
  EXPECT_TRUE(std::isnan(CanonicalAngleDegrees(-HUGE_VAL)));
}

TEST(NonFiniteAngles, ModrAndSquashLimits) {
  EXPECT_EQ(modr(1.5, HUGE_VAL), 1.5);  // was 0 * inf = NaN
  EXPECT_EQ(modr(-2.5, -HUGE_VAL), -2.5);
  EXPECT_TRUE(std::isnan(modr(HUGE_VAL, 2.0)));
  EXPECT_TRUE(std::isnan(modr(1.0, 0.0)));
  EXPECT_EQ(Squash(0.0, 0.0, 1.0, 0.0), 0.0);  // was inf * 0 = NaN
  EXPECT_EQ(Squash(3.0, 0.0, 0.0, 1.0), 0.0);
  EXPECT_TRUE(std::isnan(Squash(std::nan(""), 0.0, 1.0, 0.0)));
}

}  // namespace
}  // namespace qmx
