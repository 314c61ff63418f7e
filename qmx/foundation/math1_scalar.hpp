#pragma once
/// \file
/// Scalar math and plane helpers of the `math1` unit: angles and trigonometry,
/// plane geometry on points, segments, rectangles and ellipses, integer and
/// bit utilities (prime table, bit reversal, Gray code, byte order), rounding
/// onto the 1-2-5 series and axis scaling, and interpolation in tables.
/// All functions are free functions without state.

#include <array>
#include <cstdint>
#include <span>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"

namespace qmx {

// ---------------------------------------------------------------------------
// Angles and trigonometry (radians unless the name says degrees)
// ---------------------------------------------------------------------------

/// Angle of the vector (dx, dy) against the positive x axis, in [0, 2*pi).
/// (0, 0) gives 3*pi/2, like every vector with dx = 0 and dy <= 0.  A NaN
/// component gives NaN; two infinite components give the diagonal of their
/// quadrant (pi/4, 3*pi/4, ...).  The result is always below the double 2*pi.
double AngleToXAxis(double dx, double dy);
/// Reduces an angle in radians to (-pi, pi]; NaN and infinities give NaN.
double CanonicalAngleRadians(double a);
/// Reduces an angle in degrees to [-180, 180); NaN and infinities give NaN.
double CanonicalAngleDegrees(double a);

/// Hyperbolic sine from one exponential.
/// Computed from expm1 of |x| so that small arguments keep their full
/// relative precision (the plain (e^x - e^-x)/2 cancels to 0 near 0).
double sinh(double x);
/// Hyperbolic cosine (e^x + e^-x)/2 from one exponential.
double cosh(double x);
/// Hyperbolic tangent 1 - 2/(e^(2x) + 1); computed from expm1 so that small
/// arguments keep their relative precision; +-1 for large |x|.
double tgh(double x);
/// Tangent sin x / cos x; raises `EMathError` "tangens overflow" when cos x is exactly 0.
double tg(double x);
/// Cotangent cos x / sin x; raises `EMathError` "cotangens overflow" when sin x is exactly 0.
double cot(double x);
/// Decimal logarithm; raises `EMathError` "logarithm: invalid argument" for x <= 0.
/// A NaN argument gives NaN.
double lg(double x);
/// Binary logarithm; raises `EMathError` "logarithm: invalid argument" for x <= 0.
/// A NaN argument gives NaN.
double ld(double x);
/// Remainder of a real division, frac(a/b)*b (sign of a); NaN for b = 0, for
/// an infinite a and for NaN; a finite a with an infinite b gives a.
double modr(double a, double b);
/// Symmetric sigmoid limited to +-range, falling through 0 at x = center with
/// the given slope: (2/(e^t + 1) - 1)*range with t = -2*slope/range*(x - center).
/// Range 0 gives 0; a NaN argument, an infinite range, or x and center equal
/// to the same infinity give NaN.
double Squash(double x, double range, double slope, double center);

// ---------------------------------------------------------------------------
// Plane geometry
// ---------------------------------------------------------------------------

/// Distance between (x1, y1) and (x2, y2) (computed in extended precision, so
/// squares of large coordinates do not overflow).
double EuclideanDistance(double x1, double y1, double x2, double y2);
double EuclideanDistance(const TPointDouble& P1, const TPointDouble& P2);
/// Orientation of the triangle P0, P1, P2: 1 counter-clockwise (y axis up),
/// -1 clockwise, 0 collinear (also when a coordinate is NaN).
std::int32_t CcwTriangle(const TPointDouble& P0, const TPointDouble& P1, const TPointDouble& P2);
/// True when segment A1-A2 and segment B1-B2 intersect.  Touching segments
/// count as intersecting, and so do all collinear segments, even disjoint ones.
/// A NaN coordinate gives false.
bool SegmentsIntersect(const TPointDouble& A1, const TPointDouble& A2, const TPointDouble& B1,
                       const TPointDouble& B2);
/// Distance of P from the segment A-B (from A when A = B).
double DistanceToSegment(const TPointDouble& P, const TPointDouble& A, const TPointDouble& B);
/// Integer distance of an integer point from a rectangle (0 inside and on the
/// border; corner regions: the rounded distance to the nearest corner).
/// The rectangle is ordered first (Left <= Right, Top <= Bottom); the result is
/// limited to the largest 32-bit integer.
std::int32_t DistFromRect(const TPoint& P, const TRect& R);
/// Distance of P from the axis-parallel ellipse with semi-axes a (along x) and
/// b (along y) centred at (cx, cy); Q receives the nearest point of the ellipse.
/// Negative semi-axes count by their absolute values; a zero semi-axis makes
/// the ellipse a segment (both zero: the centre).  A NaN argument gives NaN and
/// Q = (NaN, NaN); an infinite point with a finite ellipse gives +inf and
/// Q = (NaN, NaN); an infinite ellipse gives NaN.
double DistFromEllipse(const TPointDouble& P, double a, double b, double cx, double cy, TPointDouble& Q);
/// True when lo <= x <= hi (lo and hi are exchanged when lo > hi).
bool WithinBounds(double x, double lo, double hi);
/// True when lo - tol <= x <= hi + tol (lo and hi are exchanged when lo > hi).
bool WithinBounds(double x, double lo, double hi, double tol);
/// x clipped into [lo, hi] (lo and hi are exchanged when lo > hi); NaN stays NaN.
double ConfineValue(double x, double lo, double hi);
float ConfineValue(float x, float lo, float hi);
std::int32_t ConfineValue(std::int32_t x, std::int32_t lo, std::int32_t hi);
/// True when P lies inside R or on its border; R may have Left > Right or Top > Bottom.
/// Overloads for the integer and the 64-bit float point and rectangle.
bool WithinRect(const TPoint& P, const TRect& R);
bool WithinRect(const TPointDouble& P, const TRectDouble& R);
/// Clips P into R (ordered first) in place; true when P was changed.
/// Overloads for the integer and the 64-bit float point and rectangle.
bool ConfinePointToRect(TPoint& P, const TRect& R);
bool ConfinePointToRect(TPointDouble& P, const TRectDouble& R);
/// Bilinear interpolation in a unit cell: fx, fy in [0, 1] are the positions
/// along x and y; zXY is the value at corner (X, Y), X and Y being 1 or 2.
/// Computed in extended precision: finite arguments never give NaN.
double InterpolZofXYRect(double fx, double fy, double z11, double z21, double z12, double z22);

// ---------------------------------------------------------------------------
// Integers and bits
// ---------------------------------------------------------------------------

/// Number of primes held in the fixed prime table (2 up to 46337).
inline constexpr std::int32_t kNumberOfListedPrimes = 4792;
/// The i-th prime for 1 <= i <= 4792 (1: 2, 4792: 46337); 0 for any other i.
std::int32_t ListOfPrimes(std::int32_t i);
/// True when no d with 2 <= d <= trunc(sqrt(|n|)) divides n; so 0, 1 and -1
/// also give true, and the sign of n is otherwise ignored.
bool IsPrime(std::int32_t n);
/// The prime factors of n in ascending order with repetition; empty for n < 2.
void FindPrimeFactors(std::int32_t n, TIntArray& factors);
/// Cancels the fraction num/den by all their common divisors; the signs stay as
/// they are, and a fraction with a zero part stays unchanged.
/// (Divides by the greatest common divisor, which gives the same result as
/// repeated trial division by every common divisor, in logarithmic time.)
void CancelFraction(std::int32_t& num, std::int32_t& den);
/// The product a*(a+1)*...*b (bounds exchanged when a > b); 0 when the smaller
/// bound is 0, -2 when it is negative, -1 when the product exceeds the largest
/// 64-bit integer.
std::int64_t ProductConsecInts(std::int32_t a, std::int32_t b);
/// n! in extended precision (1 for n < 2); raises `EQMXMath1Error`
/// "Factorial: negative argument" for n < 0 and "Factorial: argument too big" for n > 1000.
Extended Factorial(std::int32_t n);
/// True when n is a power of two, and for n = 0.
bool CheckPowerOfTwo(std::uint32_t n);

namespace detail {
/// Builds the byte bit-reversal table at compile time, bit by bit.
constexpr std::array<std::uint8_t, 256> MakeBitReversalTable() {
  std::array<std::uint8_t, 256> t{};
  for (unsigned v = 0; v < 256; ++v) {
    unsigned r = 0;
    for (unsigned bit = 0; bit < 8; ++bit) {
      if ((v >> bit) & 1u) r |= 1u << (7 - bit);
    }
    t[v] = static_cast<std::uint8_t>(r);
  }
  return t;
}
/// The byte with its bits in reverse order, for each byte value.
inline constexpr std::array<std::uint8_t, 256> kBitReversalTable = MakeBitReversalTable();
}  // namespace detail

/// The byte b with its 8 bits in reverse order.
constexpr std::uint8_t BitReversal(std::uint8_t b) { return detail::kBitReversalTable[b]; }
/// Number of set bits of a byte.
std::int32_t CountBits(std::uint8_t b);
/// 1 shl i for 0 <= i <= 7, else 0.
std::uint8_t DecodeBit(std::int32_t i);
/// 1 shl i for 0 <= i <= 31, else 0 (bit 31 gives 0x80000000 as an unsigned value).
std::uint32_t DecodeLong(std::int32_t i);
/// Index (0..31) of the lowest set bit of n; 31 when n = 0.
std::int32_t EncodeLong(std::uint32_t n);
/// 16-bit Gray code of w (w xor (w shr 1)).
std::uint16_t GrayCode(std::uint16_t w);
/// The value with its byte order reversed.
std::uint16_t ConvertEndian(std::uint16_t x);
std::int32_t ConvertEndian(std::int32_t x);
float ConvertEndian(float x);
double ConvertEndian(double x);

// ---------------------------------------------------------------------------
// Rounding and axis scaling
// ---------------------------------------------------------------------------
// The 1-2-5 rounding functions split |x| into 10^k * m with 1 <= m < 10.  A
// decimal logarithm within 1e-14 of an integer is snapped to it (m = 1), and m
// itself is formed by an exact division by the power of ten, with values
// within a relative 1e-14 of a class boundary (1.5, 2, 3, 5, 8) snapped onto
// it, so that 2, 0.2 or 5e-7 are recognised as series values despite rounding.
// Results above 1 in magnitude are rounded to integers.  NaN and infinite
// arguments are returned unchanged.

/// Rounds |x| to the nearest value of the series 1, 2, 5 * 10^k, keeping the
/// sign (m < 1.5: 1, < 3: 2, < 8: 5, else 10); 0 stays 0.
double Round125(double x);
/// Rounds x upwards (towards +inf) onto the series 1, 2, 5 * 10^k; 0 stays 0.
double RoundPos125(double x);
/// Rounds x downwards (towards -inf) onto the series 1, 2, 5 * 10^k; 0 stays 0.
double RoundNeg125(double x);
/// x rounded to the nearest integer (ties to even) and clipped into [lo, hi]
/// (lo and hi are exchanged when lo > hi).  NaN gives lo.
std::int64_t RoundLimit(double x, std::int64_t lo, std::int64_t hi);
/// The angle steps used by `RoundDegrees`, in ascending order.
inline constexpr std::array<std::int32_t, 12> kDegreeSteps = {1, 2, 3, 5, 10, 15, 20, 30, 60, 90, 180, 360};
/// Rounds an angle of deg degrees, min minutes and sec seconds down (or up
/// with Up) to a round value of the step table: the degrees when deg > 0, else
/// the minutes when min > 0, else the seconds; the finer parts become 0.
/// Any negative part sets all three to 0; minutes and seconds above 59 count as 59.
/// The comparisons are made exactly, in whole seconds.
void RoundDegrees(std::int32_t& deg, std::int32_t& min, std::int32_t& sec, bool Up);
/// Tick layout of a chart axis from low to high with about nTicks intervals:
/// the first tick start (the first multiple of step at or beyond low, towards
/// high, within 0.001 step), the signed step 1, 2 or 5 * 10^k (negative when
/// low > high) and the number of minor intervals per step (5 for steps 1 and
/// 5, 4 for step 2).  nTicks = 0 gives the unit step (also signed with the
/// direction of the axis) with minor 5 for ranges up to 10, else 1; a negative
/// nTicks counts by its absolute value.  low = high, or a bound that is not
/// finite, gives start = low, step = 0, minor = 1.
void CalcScalePars(std::int32_t nTicks, double low, double high, double& start, double& step,
                   std::int32_t& minor);

// ---------------------------------------------------------------------------
// Interpolation in tables
// ---------------------------------------------------------------------------

/// Linear interpolation in a pivot table: table[0] holds the x pivots
/// (ascending or descending), table[1] the y values.  Outside the pivots the
/// first or last two pivots are extended when Extrapolate, else 0 is returned.
/// Raises `EQMXMath1Error` "InterpolXYTable: pivot array must contain 2 columns"
/// unless the table has exactly two columns (checked first), and
/// "InterpolXYTable: pivot array must contain at least 2 rows" for fewer than 2
/// pivots.  Columns of different lengths are used up to the shorter one.  A
/// segment between two equal pivots gives the y value of its pivot nearer the
/// low end inside the range, and of the outer pivot when extrapolating.  A NaN
/// x gives NaN (after the checks of the table).
double InterpolXYTable(double x, const TDouble2DArray& table, bool Extrapolate);
/// Linear interpolation in a table of samples at equidistant abscissae from x1
/// (first entry) to x2 (last entry), x1 > x2 allowed; outside [x1, x2] the first
/// or last segment is extended.  Raises `EQMXMath1Error`
/// "InterpolTable: pivot array must contain at least 2 values" for fewer than 2
/// entries and "InterpolTable: specified range of pivot array is zero" for x1 = x2.
/// A NaN argument gives NaN, and so does a position in the table that is not
/// defined (infinite x and x1, or infinite x1 and x2).
double InterpolTable(double x, double x1, double x2, std::span<const double> table);
double InterpolTable(double x, double x1, double x2, std::span<const std::int32_t> table);

}  // namespace qmx
