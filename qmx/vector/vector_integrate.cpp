// Integration of a double vector sampled at x = 1, 2, ..., NrOfElem.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "qmx/vector/vector.hpp"
#include "qmx/vector/vector_internal.hpp"

namespace qmx {

namespace {

/// The samples of a vector as a function of the 1-based position.
class TSamples {
 public:
  explicit TSamples(std::span<const double> Data) : d_(Data) {}
  /// Element k (1-based).
  double At(std::int64_t k) const { return d_[static_cast<std::size_t>(k - 1)]; }
  /// Linear interpolation at t in [1, n]; at an integer t the element itself.
  double Y(double t) const {
    const double fl = std::floor(t);
    const auto k = static_cast<std::int64_t>(fl);
    const double f = t - fl;
    if (f == 0.0) {
      return At(k);
    }
    return At(k) + f * (At(k + 1) - At(k));
  }
  /// Trapezoids over the whole cells k = i1..i2-1.
  double Trapezoids(std::int64_t i1, std::int64_t i2) const {
    double sum = 0.0;
    for (std::int64_t k = i1; k < i2; ++k) {
      sum += (At(k) + At(k + 1)) / 2.0;
    }
    return sum;
  }
  /// Simpson-type rules over the whole elements i1..i2 (n = i2 - i1 + 1).
  double Inner(std::int64_t i1, std::int64_t i2) const {
    const std::int64_t n = i2 - i1 + 1;
    auto y = [this, i1](std::int64_t j) { return At(i1 + j); };
    switch (n) {
      case 1:
      case 2:
        return Trapezoids(i1, i2);
      case 3:
        return (y(0) + 4.0 * y(1) + y(2)) / 3.0;
      case 4:
        return 3.0 / 8.0 * (y(0) + 3.0 * y(1) + 3.0 * y(2) + y(3));
      case 5:
        return 2.0 / 45.0 * (7.0 * y(0) + 32.0 * y(1) + 12.0 * y(2) + 32.0 * y(3) + 7.0 * y(4));
      default: {
        double middle = 0.0;
        for (std::int64_t j = 3; j <= n - 4; ++j) {
          middle += y(j);
        }
        return 3.0 / 8.0 * y(0) + 7.0 / 6.0 * y(1) + 23.0 / 24.0 * y(2) + middle + 23.0 / 24.0 * y(n - 3) +
               7.0 / 6.0 * y(n - 2) + 3.0 / 8.0 * y(n - 1);
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
  auto i1 = static_cast<std::int64_t>(a);
  if (static_cast<double>(i1) < a) {
    ++i1;
  }
  const auto i2 = static_cast<std::int64_t>(b);
  const TSamples s(Data());

  switch (Method) {
    case TIntegMethod::imSimple: {
      if (i2 < i1) {
        return (s.At(i1 - 1) + s.At(i1)) / 2.0 * w;
      }
      double sum = 0.0;
      for (std::int64_t k = i1; k <= i2; ++k) {
        sum += s.At(k);
      }
      return sum / static_cast<double>(i2 - i1 + 1) * w;
    }
    case TIntegMethod::imTrapezoidal:
    case TIntegMethod::imSimpson: {
      if (i2 < i1) {
        return (s.Y(a) + s.Y(b)) / 2.0 * w;
      }
      const double ends = (s.Y(a) + s.At(i1)) / 2.0 * (static_cast<double>(i1) - a) +
                          (s.At(i2) + s.Y(b)) / 2.0 * (b - static_cast<double>(i2));
      const double inner = Method == TIntegMethod::imTrapezoidal ? s.Trapezoids(i1, i2) : s.Inner(i1, i2);
      return ends + inner;
    }
  }
  return 0.0;
}

}  // namespace qmx
