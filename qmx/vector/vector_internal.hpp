#pragma once
// Private helpers of the vector unit (not part of the public interface).

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>

#include "qmx/foundation/platform.hpp"

namespace qmx::detail {

/// The NaN of the unit's results.
inline constexpr double kVecNaN = std::numeric_limits<double>::quiet_NaN();

/// True for a NaN double; integers never are.
template <class T>
constexpr bool IsNaNValue(T v) {
  if constexpr (std::is_floating_point_v<T>) {
    return v != v;
  } else {
    (void)v;
    return false;
  }
}

/// x rounded to the nearest integer, halves to the even neighbour,
/// independent of the floating-point rounding mode.  False for NaN and for
/// results outside the 32-bit signed range.
bool RoundToInt32(double x, std::int32_t& Out);
/// The same for an extended value.
bool RoundToInt32(Extended x, std::int32_t& Out);

/// Converts a whole word as a decimal number ("." separator, an optional
/// leading "+", locale-independent).  With AllowNonFinite the words "NAN",
/// "INF", "+INF" and "-INF" give NaN and the infinities.  Overflowing
/// numbers, hexadecimal forms and other non-finite spellings are refused; a
/// number too small for a double becomes a signed zero.
bool ParseRealWord(std::string_view Word, double& Value, bool AllowNonFinite);

/// a + f·(b - a) for f in [0, 1]: exactly a for f = 0 and for a = b (also
/// infinite), and the weighted form (1 - f)·a + f·b where b - a overflows or
/// is infinite, so that the result stays between a and b.
inline double Lerp(double a, double b, double f) {
  if (f == 0.0 || a == b) {
    return a;
  }
  const double d = b - a;
  if (std::isfinite(d)) {
    return a + f * d;
  }
  return (1.0 - f) * a + f * b;  // also keeps an infinite end point infinite
}

/// True when a 64-bit sum of squares can be trusted: finite and far enough
/// above the denormal range that no square was lost to underflow.
inline bool SumOfSquaresSafe(double SumSq) { return SumSq >= 1e-280 && SumSq <= 1e300; }

/// Σ p[i]² in 80 bits: no square of a double overflows or underflows there.
template <class T>
Extended SumOfSquaresExt(const T* p, std::size_t n) {
  Extended s = 0.0L;
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<Extended>(p[i]);
    s += x * x;
  }
  return s;
}

/// Adds n to a counter, saturating at the largest 32-bit integer.
inline void AddSaturated(std::int32_t& Counter, std::int64_t n) {
  const std::int64_t sum = static_cast<std::int64_t>(Counter) + n;
  Counter = sum > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                             : static_cast<std::int32_t>(sum);
}

/// Number of indexes of Lo..Hi outside 1..N (0 when Hi < Lo).
inline std::int64_t IndexesOutside(std::int32_t Lo, std::int32_t Hi, std::int32_t N) {
  if (Hi < Lo) {
    return 0;
  }
  const std::int64_t all = static_cast<std::int64_t>(Hi) - Lo + 1;
  const std::int64_t inLo = std::max<std::int64_t>(Lo, 1);
  const std::int64_t inHi = std::min<std::int64_t>(Hi, N);
  return all - (inHi >= inLo ? inHi - inLo + 1 : 0);
}

}  // namespace qmx::detail
