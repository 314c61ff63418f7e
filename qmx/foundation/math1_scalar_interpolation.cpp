// Linear interpolation in pivot tables and in tables of equidistant samples.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "qmx/foundation/math1_scalar.hpp"

namespace qmx {

namespace detail {

/// Linear interpolation in an equidistant table; the first and last segments
/// are extended outside [x1, x2].
template <class T>
double InterpolTable(double x, double x1, double x2, std::span<const T> table) {
  if (table.size() < 2) throw EQMXMath1Error("InterpolTable: pivot array must contain at least 2 values");
  if (x1 == x2) throw EQMXMath1Error("InterpolTable: specified range of pivot array is zero");
  const std::size_t lastSeg = table.size() - 2;
  const Extended pos =
      (static_cast<Extended>(x) - x1) / (static_cast<Extended>(x2) - x1) * static_cast<Extended>(table.size() - 1);
  if (std::isnan(pos)) return std::numeric_limits<double>::quiet_NaN();
  const Extended fl = std::floor(pos);
  std::size_t i;
  if (!(fl >= 0.0L)) {
    i = 0;  // before the table
  } else if (fl >= static_cast<Extended>(lastSeg)) {
    i = lastSeg;
  } else {
    i = static_cast<std::size_t>(fl);
  }
  const Extended y0 = table[i];
  const Extended diff = static_cast<Extended>(table[i + 1]) - y0;
  if (diff == 0.0L) return static_cast<double>(y0);  // also for an infinite x
  return static_cast<double>(y0 + (pos - static_cast<Extended>(i)) * diff);
}

}  // namespace detail

namespace {

/// The straight line through (x0, y0) and (x1, y1) at x; y0 when x0 = x1.
double Line(double x, double x0, double y0, double x1, double y1) {
  if (x1 == x0) return y0;
  return static_cast<double>(static_cast<Extended>(y0) +
                             (static_cast<Extended>(x) - x0) * (static_cast<Extended>(y1) - y0) /
                                 (static_cast<Extended>(x1) - x0));
}

}  // namespace

double InterpolXYTable(double x, const TDouble2DArray& table, bool Extrapolate) {
  if (table.size() != 2) throw EQMXMath1Error("InterpolXYTable: pivot array must contain 2 columns");
  const TDoubleArray& xs = table[0];
  const TDoubleArray& ys = table[1];
  const std::size_t n = std::min(xs.size(), ys.size());
  if (n < 2) throw EQMXMath1Error("InterpolXYTable: pivot array must contain at least 2 rows");
  if (std::isnan(x)) return x;

  // Walk from the end holding the smallest pivot towards the largest.
  const bool ascending = xs[0] <= xs[n - 1];
  auto at = [&](std::size_t j) { return ascending ? j : n - 1 - j; };  // j-th pivot from the low end
  const std::size_t lo = at(0);
  const std::size_t hi = at(n - 1);

  if (x < xs[lo]) {
    if (!Extrapolate) return 0.0;
    return Line(x, xs[lo], ys[lo], xs[at(1)], ys[at(1)]);
  }
  if (x > xs[hi]) {
    if (!Extrapolate) return 0.0;
    // The outer pivot first: a vertical end segment then gives its y value.
    return Line(x, xs[hi], ys[hi], xs[at(n - 2)], ys[at(n - 2)]);
  }
  std::size_t j = 0;
  while (j < n - 2 && !(x <= xs[at(j + 1)])) ++j;
  return Line(x, xs[at(j)], ys[at(j)], xs[at(j + 1)], ys[at(j + 1)]);
}

double InterpolTable(double x, double x1, double x2, std::span<const double> table) {
  return detail::InterpolTable(x, x1, x2, table);
}

double InterpolTable(double x, double x1, double x2, std::span<const std::int32_t> table) {
  return detail::InterpolTable(x, x1, x2, table);
}

}  // namespace qmx
