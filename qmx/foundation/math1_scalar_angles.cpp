// Angles, hyperbolic and trigonometric functions, logarithms and the sigmoid.

#include <cmath>
#include <limits>
#include <numbers>

#include "qmx/foundation/math1_scalar.hpp"

namespace qmx {

namespace {

constexpr Extended kPi = std::numbers::pi_v<Extended>;
constexpr Extended kTwoPi = 2.0L * kPi;

/// Fractional part with the sign of x (NaN for infinite x).
Extended Frac(Extended x) { return x - std::trunc(x); }

}  // namespace

double AngleToXAxis(double dx, double dy) {
  if (std::isnan(dx) || std::isnan(dy)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (std::isinf(dx) && std::isinf(dy)) {
    // Both infinite: the diagonal of their quadrant (dy/dx would be NaN).
    dx = std::copysign(1.0, dx);
    dy = std::copysign(1.0, dy);
  }
  Extended a;
  if (dx != 0.0) {
    a = std::atan(static_cast<Extended>(dy) / static_cast<Extended>(dx));
    if (dx < 0.0) a += kPi;
  } else {
    a = (dy > 0.0) ? kPi / 2.0L : 3.0L * kPi / 2.0L;
  }
  if (a < 0.0L) a += kTwoPi;
  if (a > kTwoPi) a -= kTwoPi;
  // An angle just below 2*pi (a tiny negative one) can round up to the double
  // nearest 2*pi, which lies outside the range; 0 is the nearer end of it.
  const double r = static_cast<double>(a);
  return r >= 2.0 * std::numbers::pi ? 0.0 : r;
}

double CanonicalAngleRadians(double a) {
  Extended x = a;
  if (x > kTwoPi) {
    x = Frac(x / kTwoPi) * kTwoPi;
  } else if (x < -kTwoPi) {
    x = Frac(-x / kTwoPi) * (-kTwoPi);
  }
  if (x > kPi) {
    x -= kTwoPi;
  } else if (x < -kPi) {
    x += kTwoPi;
  }
  return static_cast<double>(x);
}

double CanonicalAngleDegrees(double a) {
  Extended x = a;
  if (x >= 360.0L) {
    x = Frac(x / 360.0L) * 360.0L;
  } else if (x < -360.0L) {
    x = Frac(-x / 360.0L) * (-360.0L);
  }
  if (x >= 180.0L) {
    x -= 360.0L;
  } else if (x < -180.0L) {
    x += 360.0L;
  }
  return static_cast<double>(x);
}

double sinh(double x) {
  // u = e^|x| - 1; e^|x| - e^-|x| = u + u/(u + 1).
  const Extended u = std::expm1(std::fabs(static_cast<Extended>(x)));
  const Extended r = std::isinf(u) ? u : 0.5L * (u + u / (u + 1.0L));
  return static_cast<double>(std::signbit(x) ? -r : r);
}

double cosh(double x) {
  const Extended e = std::exp(std::fabs(static_cast<Extended>(x)));
  return static_cast<double>(0.5L * (e + 1.0L / e));
}

double tgh(double x) {
  // With u = e^(2|x|) - 1: 1 - 2/(e^(2|x|) + 1) = u/(u + 2).
  const Extended u = std::expm1(2.0L * std::fabs(static_cast<Extended>(x)));
  const Extended r = std::isinf(u) ? 1.0L : u / (u + 2.0L);
  return static_cast<double>(std::signbit(x) ? -r : r);
}

double tg(double x) {
  const Extended c = std::cos(static_cast<Extended>(x));
  if (c == 0.0L) throw EMathError("tangens overflow");
  return static_cast<double>(std::sin(static_cast<Extended>(x)) / c);
}

double cot(double x) {
  const Extended s = std::sin(static_cast<Extended>(x));
  if (s == 0.0L) throw EMathError("cotangens overflow");
  return static_cast<double>(std::cos(static_cast<Extended>(x)) / s);
}

double lg(double x) {
  if (x <= 0.0) throw EMathError("logarithm: invalid argument");
  return static_cast<double>(std::log10(static_cast<Extended>(x)));
}

double ld(double x) {
  if (x <= 0.0) throw EMathError("logarithm: invalid argument");
  return static_cast<double>(std::log2(static_cast<Extended>(x)));
}

double modr(double a, double b) {
  // frac(a/b)*b tends to a as |b| grows; 0 * inf would give NaN instead.
  if (std::isinf(b) && std::isfinite(a)) return a;
  const Extended bb = b;
  return static_cast<double>(Frac(static_cast<Extended>(a) / bb) * bb);
}

double Squash(double x, double range, double slope, double center) {
  // A zero range allows only 0 (t would be infinite or NaN); NaN still propagates.
  if (range == 0.0 && !std::isnan(x) && !std::isnan(slope) && !std::isnan(center)) return 0.0;
  const Extended r = range;
  const Extended t = -2.0L * static_cast<Extended>(slope) / r * (static_cast<Extended>(x) - center);
  if (std::fabs(t) >= 200.0L) return (t > 0.0L) ? -range : range;
  return static_cast<double>((2.0L / (std::exp(t) + 1.0L) - 1.0L) * r);
}

}  // namespace qmx
