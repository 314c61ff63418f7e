#include "qmx/foundation/complex.hpp"

#include <cmath>

namespace qmx {

// hypot: the squares of large or tiny extended parts would overflow or underflow.
Extended CpxAbs(const TComplex& z) { return std::hypot(z.re, z.im); }

TComplex CpxDiv(const TComplex& a, const TComplex& b) {
  const Extended d = b.re * b.re + b.im * b.im;
  if (d == 0.0L || !std::isfinite(d)) {
    throw EQMXComplexError("CpxDiv: division by zero");
  }
  const TComplex q{(a.re * b.re + a.im * b.im) / d, (a.im * b.re - a.re * b.im) / d};
  if ((!std::isfinite(q.re) || !std::isfinite(q.im)) && std::isfinite(a.re) && std::isfinite(a.im)) {
    throw EQMXComplexError("CpxDiv: division by zero");
  }
  return q;
}

bool CpxIsNearEqual(const TComplex& a, const TComplex& b) {
  const Extended tol = CpxNearZero;
  return std::fabs(a.re - b.re) < tol && std::fabs(a.im - b.im) < tol;
}

bool CpxIsZero(const TComplex& z) {
  TComplex c = z;
  const Extended tol = CpxNearZero;
  if (std::fabs(c.re) < tol) {
    c.re = 0.0L;
  }
  if (std::fabs(c.im) < tol) {
    c.im = 0.0L;
  }
  return c.re == 0.0L && c.im == 0.0L;
}

TComplexPolar ConvertRectToPolar(const TComplex& z) { return TComplexPolar{CpxAbs(z), std::atan2(z.im, z.re)}; }

TComplex ConvertPolarToRect(const TComplexPolar& p) {
  return TComplex{p.r * std::cos(p.phi), p.r * std::sin(p.phi)};
}

}  // namespace qmx
