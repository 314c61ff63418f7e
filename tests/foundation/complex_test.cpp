#include "qmx/foundation/complex.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <string>

namespace qmx {
namespace {

using LC = std::complex<long double>;

// Restores the tolerance after a test that changes it.
struct TToleranceGuard {
  Extended saved = CpxNearZero;
  ~TToleranceGuard() { CpxNearZero = saved; }
};

std::string DivMessage(const TComplex& a, const TComplex& b) {
  try {
    CpxDiv(a, b);
  } catch (const EQMXComplexError& e) {
    return e.what();
  }
  return "no exception";
}

TEST(Complex, LayoutAndConstants) {
  EXPECT_EQ(sizeof(TComplex), 32u);
  TComplex z = Cpx(1.5L, -2.5L);
  unsigned char bytes[32];
  std::memcpy(bytes, &z, sizeof z);
  Extended re = 0;
  Extended im = 0;
  std::memcpy(&re, bytes, 10);
  std::memcpy(&im, bytes + 16, 10);
  EXPECT_EQ(re, 1.5L);
  EXPECT_EQ(im, -2.5L);
  EXPECT_TRUE(CpxIsEqual(COMPLEX_0, Cpx(0, 0)));
  EXPECT_TRUE(CpxIsEqual(COMPLEX_1, Cpx(1, 0)));
  EXPECT_EQ(CpxNearZero, 1e-15L);
}

TEST(Complex, ArithmeticAgreesWithStdComplex) {
  std::mt19937_64 rng(31);
  std::uniform_real_distribution<long double> dist(-1e3L, 1e3L);
  for (int i = 0; i < 5000; ++i) {
    const TComplex a = Cpx(dist(rng), dist(rng));
    const TComplex b = Cpx(dist(rng), dist(rng));
    const LC ra(a.re, a.im);
    const LC rb(b.re, b.im);
    auto expectClose = [](const TComplex& got, const LC& want, long double rel) {
      const long double scale = std::abs(want) + 1e-300L;
      EXPECT_LE(std::fabs(got.re - want.real()), rel * scale);
      EXPECT_LE(std::fabs(got.im - want.imag()), rel * scale);
    };
    expectClose(CpxAdd(a, b), ra + rb, 0.0L);
    expectClose(CpxSub(a, b), ra - rb, 0.0L);
    expectClose(CpxNeg(a), -ra, 0.0L);
    expectClose(CpxConj(a), std::conj(ra), 0.0L);
    expectClose(CpxMult(a, b), ra * rb, 1e-18L);
    expectClose(CpxDiv(a, b), ra / rb, 1e-17L);
    EXPECT_NEAR(static_cast<double>(CpxAbs(a)), static_cast<double>(std::abs(ra)), 1e-12);
    EXPECT_NEAR(static_cast<double>(CpxAbsSqr(a)), static_cast<double>(std::norm(ra)), 1e-9);
    const TComplexPolar p = ConvertRectToPolar(a);
    EXPECT_NEAR(static_cast<double>(p.phi), static_cast<double>(std::arg(ra)), 1e-15);
    const TComplex back = ConvertPolarToRect(p);
    expectClose(back, ra, 1e-17L);
    // a / b · b returns a.
    expectClose(CpxMult(CpxDiv(a, b), b), ra, 1e-17L);
  }
}

TEST(Complex, DivisionByZeroRaises) {
  EXPECT_EQ(DivMessage(Cpx(1, 2), COMPLEX_0), "CpxDiv: division by zero");
  EXPECT_EQ(DivMessage(COMPLEX_0, COMPLEX_0), "CpxDiv: division by zero");
  EXPECT_EQ(DivMessage(Cpx(1, 0), Cpx(1e-3000L, 0)), "CpxDiv: division by zero");        // d underflows
  EXPECT_EQ(DivMessage(Cpx(1e4000L, 0), Cpx(1e-2000L, 0)), "CpxDiv: division by zero");  // result overflows
  EXPECT_EQ(DivMessage(Cpx(1, 0), Cpx(std::numeric_limits<Extended>::quiet_NaN(), 0)), "CpxDiv: division by zero");
  const TComplex q = CpxDiv(Cpx(std::numeric_limits<Extended>::infinity(), 0), Cpx(2, 0));  // no error
  EXPECT_TRUE(std::isinf(q.re));
  EXPECT_EQ(DivMessage(Cpx(3, 4), Cpx(0, 1e-2000L)), "no exception");
}

TEST(Complex, ToleranceComparisons) {
  EXPECT_TRUE(CpxIsZero(Cpx(1e-16L, -1e-16L)));
  EXPECT_FALSE(CpxIsZero(Cpx(1e-15L, 0)));  // strict
  EXPECT_FALSE(CpxIsZero(Cpx(0, -1e-15L)));
  EXPECT_TRUE(CpxIsZero(COMPLEX_0));
  const TComplex z = Cpx(1e-16L, 5);
  EXPECT_FALSE(CpxIsZero(z));
  EXPECT_EQ(z.re, 1e-16L);  // the argument is not changed
  EXPECT_FALSE(CpxIsNearEqual(Cpx(0, 0), Cpx(CpxNearZero, 0)));  // a difference equal to the tolerance
  EXPECT_FALSE(CpxIsNearEqual(Cpx(0, 0), Cpx(0, -CpxNearZero)));
  EXPECT_TRUE(CpxIsNearEqual(Cpx(1, 1), Cpx(1 + 1e-16L, 1 - 1e-16L)));
  EXPECT_FALSE(CpxIsEqual(Cpx(1, 1), Cpx(1 + 1e-16L, 1)));
  EXPECT_FALSE(CpxIsZero(Cpx(std::numeric_limits<Extended>::quiet_NaN(), 0)));

  TToleranceGuard guard;
  CpxNearZero = 1e-3L;
  EXPECT_TRUE(CpxIsZero(Cpx(1e-4L, -9e-4L)));
  EXPECT_TRUE(CpxIsNearEqual(Cpx(1, 1), Cpx(1.0005L, 0.9995L)));
  CpxNearZero = 0;
  EXPECT_FALSE(CpxIsZero(Cpx(1e-4000L, 0)));
  EXPECT_TRUE(CpxIsZero(COMPLEX_0));
}

TEST(Complex, PolarForm) {
  TComplexPolar p = ConvertRectToPolar(Cpx(-1, 0));
  EXPECT_EQ(p.r, 1.0L);
  EXPECT_EQ(p.phi, std::numbers::pi_v<long double>);
  p = ConvertRectToPolar(COMPLEX_0);
  EXPECT_EQ(p.r, 0.0L);
  EXPECT_EQ(p.phi, 0.0L);
  p = ConvertRectToPolar(Cpx(3, -4));
  EXPECT_EQ(p.r, 5.0L);
  EXPECT_LT(p.phi, 0.0L);
  const TComplex z = ConvertPolarToRect(TComplexPolar{2.0L, std::numbers::pi_v<long double> / 2});
  EXPECT_NEAR(static_cast<double>(z.re), 0.0, 1e-18);
  EXPECT_EQ(z.im, 2.0L);
}

TEST(Complex, AbsWithoutOverflowOrUnderflow) {
  using EL = std::numeric_limits<Extended>;
  EXPECT_EQ(CpxAbs(Cpx(EL::max(), 0)), EL::max());  // the square overflowed to inf
  EXPECT_EQ(CpxAbs(Cpx(0, -EL::denorm_min())), EL::denorm_min());  // the square underflowed to 0
  EXPECT_EQ(CpxAbs(Cpx(std::ldexp(3.0L, -16000), std::ldexp(4.0L, -16000))), std::ldexp(5.0L, -16000));
  EXPECT_EQ(CpxAbs(Cpx(EL::infinity(), EL::quiet_NaN())), EL::infinity());
  EXPECT_EQ(ConvertRectToPolar(Cpx(EL::max() / 2, EL::max() / 2)).r, CpxAbs(Cpx(EL::max() / 2, EL::max() / 2)));
  EXPECT_TRUE(std::isfinite(CpxAbs(Cpx(EL::max() / 2, EL::max() / 2))));
}

}  // namespace
}  // namespace qmx
