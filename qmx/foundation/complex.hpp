#pragma once
/// \file
/// The `complex` unit: complex numbers in rectangular and polar form and their
/// arithmetic, all in 80-bit extended precision.

#include <cstddef>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"

namespace qmx {

/// A complex number: real part `re` then imaginary part `im`, each in a
/// 16-byte slot (32 bytes in all, `re` at offset 0, `im` at offset 16), so the
/// record can be exchanged in memory with other code.
struct TComplex {
  alignas(16) Extended re = 0.0L;
  alignas(16) Extended im = 0.0L;
};
static_assert(sizeof(TComplex) == 32, "TComplex is two 16-byte extended slots");
static_assert(offsetof(TComplex, im) == 16, "TComplex.im starts at byte 16");

/// A complex number in polar form: magnitude `r` then angle `phi` in radians
/// (-pi .. +pi, as a two-argument arc tangent gives it); same layout as `TComplex`.
struct TComplexPolar {
  alignas(16) Extended r = 0.0L;
  alignas(16) Extended phi = 0.0L;
};
static_assert(sizeof(TComplexPolar) == 32, "TComplexPolar is two 16-byte extended slots");
static_assert(offsetof(TComplexPolar, phi) == 16, "TComplexPolar.phi starts at byte 16");

/// (0, 0) and (1, 0).
inline constexpr TComplex COMPLEX_0{0.0L, 0.0L};
inline constexpr TComplex COMPLEX_1{1.0L, 0.0L};

/// Tolerance of `CpxIsZero` and `CpxIsNearEqual` (1e-15 at start-up).  Callers
/// may change it; it is read on every call.  A plain process-wide variable:
/// set it before other threads use the comparisons.
inline Extended CpxNearZero = 1e-15L;

/// The complex number (re, im).
inline TComplex Cpx(Extended re, Extended im) { return TComplex{re, im}; }
/// re² + im².
inline Extended CpxAbsSqr(const TComplex& z) { return z.re * z.re + z.im * z.im; }
/// sqrt(re² + im²), without overflow or underflow of the squares; an
/// infinite part gives +inf (also with a NaN part).
Extended CpxAbs(const TComplex& z);
/// a + b.
inline TComplex CpxAdd(const TComplex& a, const TComplex& b) { return TComplex{a.re + b.re, a.im + b.im}; }
/// a - b.
inline TComplex CpxSub(const TComplex& a, const TComplex& b) { return TComplex{a.re - b.re, a.im - b.im}; }
/// -z.
inline TComplex CpxNeg(const TComplex& z) { return TComplex{-z.re, -z.im}; }
/// The conjugate (re, -im).
inline TComplex CpxConj(const TComplex& z) { return TComplex{z.re, -z.im}; }
/// a · b.
inline TComplex CpxMult(const TComplex& a, const TComplex& b) {
  return TComplex{a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
/// a / b = ((a.re·b.re + a.im·b.im) / d, (a.im·b.re - a.re·b.im) / d) with
/// d = b.re² + b.im².  Raises `EQMXComplexError` "CpxDiv: division by zero"
/// when d is 0 (also by underflow) or not finite, or when finite a and b give
/// a non-finite result (overflow); a non-finite a is divided without error.
TComplex CpxDiv(const TComplex& a, const TComplex& b);
/// True when both parts are exactly equal.
inline bool CpxIsEqual(const TComplex& a, const TComplex& b) { return a.re == b.re && a.im == b.im; }
/// True when both parts differ by strictly less than `CpxNearZero`.
bool CpxIsNearEqual(const TComplex& a, const TComplex& b);
/// True when both parts are strictly below `CpxNearZero` in magnitude (or 0).
bool CpxIsZero(const TComplex& z);
/// (CpxAbs(z), atan2(im, re)); (0, 0) gives (0, 0), (-1, 0) gives (1, +pi).
TComplexPolar ConvertRectToPolar(const TComplex& z);
/// (r·cos(phi), r·sin(phi)).
TComplex ConvertPolarToRect(const TComplexPolar& p);

}  // namespace qmx
