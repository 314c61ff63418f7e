#pragma once
/// \file
/// Private helpers shared by the sources of the `math1` primitives.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace qmx::detail::math1prim {

/// x rounded to the nearest integer, ties to even, independent of the
/// floating-point rounding mode (NaN and infinities pass through).
inline double RoundHalfEven(double x) {
  if (!std::isfinite(x)) {
    return x;
  }
  double r = std::floor(x);
  const double frac = x - r;
  if (frac > 0.5 || (frac == 0.5 && std::fmod(r, 2.0) != 0.0)) {
    r += 1.0;
  }
  return r;
}

/// An integral value converted to a 32-bit integer, saturated to its range; NaN gives 0.
inline std::int32_t SaturateToInt32(double r) {
  if (std::isnan(r)) {
    return 0;
  }
  constexpr double lo = std::numeric_limits<std::int32_t>::min();
  constexpr double hi = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(r, lo, hi));
}

}  // namespace qmx::detail::math1prim
