// Integration of a double vector sampled at x = 1, 2, ..., NrOfElem.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "qmx/vector/vector.hpp"
#include "qmx/vector/vector_internal.hpp"

namespace qmx {

namespace {

/// The samples of a vector as a function of the 1-based position.  The rules
/// work in 80 bits, so that sums and differences of huge samples do not
/// overflow before the result is rounded.
class TSamples {
 public:
  explicit TSamples(std::span<const double> Data) : d_(Data) {}
  /// Element k (1-based).
  Extended At(std::int64_t k) const { return d_[static_cast<std::size_t>(k - 1)]; }
  /// Linear interpolation at t in [1, n]; at an integer t the element itself.
  Extended Y(double t) const {
    const double fl = std::floor(t);
    const auto k = static_cast<std::int64_t>(fl);
    const Extended f = t - fl;
    if (f == 0.0L || At(k) == At(k + 1)) {
      return At(k);
    }
    return At(k) + f * (At(k + 1) - At(k));
  }
  /// Trapezoids over the whole cells k = i1..i2-1.
  Extended Trapezoids(std::int64_t i1, std::int64_t i2) const {
    Extended sum = 0.0L;
    for (std::int64_t k = i1; k < i2; ++k) {
      sum += (At(k) + At(k + 1)) / 2.0L;
    }
    return sum;
  }
  /// Simpson-type rules over the whole elements i1..i2 (n = i2 - i1 + 1).
  Extended Inner(std::int64_t i1, std::int64_t i2) const {
    const std::int64_t n = i2 - i1 + 1;
    auto y = [this, i1](std::int64_t j) { return At(i1 + j); };
    switch (n) {
      case 1:
      case 2:
        return Trapezoids(i1, i2);
      case 3:
        return (y(0) + 4.0L * y(1) + y(2)) / 3.0L;
      case 4:
        return 3.0L / 8.0L * (y(0) + 3.0L * y(1) + 3.0L * y(2) + y(3));
      case 5:
        return 2.0L / 45.0L * (7.0L * y(0) + 32.0L * y(1) + 12.0L * y(2) + 32.0L * y(3) + 7.0L * y(4));
      default: {
        Extended middle = 0.0L;
        for (std::int64_t j = 3; j <= n - 4; ++j) {
          middle += y(j);
        }
        return 3.0L / 8.0L * y(0) + 7.0L / 6.0L * y(1) + 23.0L / 24.0L * y(2) + middle + 23.0L / 24.0L * y(n - 3) +
               7.0L / 6.0L * y(n - 2) + 3.0L / 8.0L * y(n - 1);
      }
    }
  }

 private:
  std::span<const double> d_;
};

}  // namespace

double TVector::Integrate(double LoBound, double HiBound, TIntegMethod Method) const {
  if (std::isnan(LoBound) || std::isnan(HiBound)) {
    return detail::kVecNaN;
  }
  const auto n = static_cast<double>(NrOfElem());
  double a = std::clamp(LoBound, 1.0, n);
  double b = std::clamp(HiBound, 1.0, n);
  if (a > b) {
    std::swap(a, b);
  }
  const double w = b - a;
  if (w == 0.0) {
    return 0.0;  // equal bounds: also for infinite samples
  }
  auto i1 = static_cast<std::int64_t>(a);
  if (static_cast<double>(i1) < a) {
    ++i1;
  }
  const auto i2 = static_cast<std::int64_t>(b);
  const TSamples s(Data());

  switch (Method) {
    case TIntegMethod::imSimple: {
      if (i2 < i1) {
        return static_cast<double>((s.At(i1 - 1) + s.At(i1)) / 2.0L * w);
      }
      Extended sum = 0.0L;
      for (std::int64_t k = i1; k <= i2; ++k) {
        sum += s.At(k);
      }
      return static_cast<double>(sum / static_cast<Extended>(i2 - i1 + 1) * w);
    }
    case TIntegMethod::imTrapezoidal:
    case TIntegMethod::imSimpson: {
      if (i2 < i1) {
        return static_cast<double>((s.Y(a) + s.Y(b)) / 2.0L * w);
      }
      // End pieces of zero width add nothing (also for infinite samples).
      Extended ends = 0.0L;
      if (static_cast<double>(i1) > a) {
        ends += (s.Y(a) + s.At(i1)) / 2.0L * (static_cast<double>(i1) - a);
      }
      if (b > static_cast<double>(i2)) {
        ends += (s.At(i2) + s.Y(b)) / 2.0L * (b - static_cast<double>(i2));
      }
      const Extended inner = Method == TIntegMethod::imTrapezoidal ? s.Trapezoids(i1, i2) : s.Inner(i1, i2);
      return static_cast<double>(ends + inner);
    }
  }
  return 0.0;
}

}  // namespace qmx
