// Rounding onto the 1-2-5 series, limited rounding, rounding of angles to
// round steps, and the tick layout of chart axes.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "qmx/foundation/math1_scalar.hpp"

namespace qmx {

namespace {

/// 10^k in extended precision; exact for |k| <= 27.
Extended Pow10L(int k) {
  if (k < 0 || k > 27) return std::pow(10.0L, static_cast<Extended>(k));
  Extended p = 1.0L;
  for (int i = 0; i < k; ++i) p *= 10.0L;
  return p;
}

/// mant * 10^k as a double, correctly rounded whenever 10^|k| is exact in
/// double precision (|k| <= 22).
double ScaleByPow10(double mant, int k) {
  if (k >= 0 && k <= 22) return mant * static_cast<double>(Pow10L(k));
  if (k < 0 && k >= -22) return mant / static_cast<double>(Pow10L(-k));
  if (k > 0) return static_cast<double>(mant * Pow10L(k));
  return static_cast<double>(mant / Pow10L(-k));
}

/// |x| = 10^k * m with 1 <= m < 10, for a finite non-zero x.
struct TDecade {
  int k;
  Extended m;
};

TDecade SplitDecade(double x) {
  const Extended ax = std::fabs(static_cast<Extended>(x));
  const Extended e = std::log10(ax);
  const Extended r = std::nearbyint(e);
  if (std::fabs(e - r) <= 1e-14L) return {static_cast<int>(r), 1.0L};
  int k = static_cast<int>(std::floor(e));
  Extended m = (k >= 0) ? ax / Pow10L(k) : ax * Pow10L(-k);
  if (m < 1.0L) {
    m *= 10.0L;
    --k;
  } else if (m >= 10.0L) {
    m /= 10.0L;
    ++k;
  }
  // Values that are a class boundary up to rounding count as that boundary.
  for (const Extended s : {1.5L, 2.0L, 3.0L, 5.0L, 8.0L}) {
    if (std::fabs(m - s) <= 1e-14L * s) m = s;
  }
  return {k, m};
}

/// sign * mant * 10^k, rounded to an integer when its magnitude is above 1.
double ComposeSeries(bool negative, int k, double mant) {
  double r = ScaleByPow10(mant, k);
  if (r > 1.0) r = std::nearbyint(r);
  return negative ? -r : r;
}

/// Smallest series mantissa not below m.
double SeriesCeil(Extended m) {
  if (m <= 1.0L) return 1.0;
  if (m <= 2.0L) return 2.0;
  if (m <= 5.0L) return 5.0;
  return 10.0;
}

/// Largest series mantissa not above m (10 only for m >= 10).
double SeriesFloor(Extended m) {
  if (m < 2.0L) return 1.0;
  if (m < 5.0L) return 2.0;
  if (m < 10.0L) return 5.0;
  return 10.0;
}

}  // namespace

double Round125(double x) {
  if (x == 0.0 || !std::isfinite(x)) return x;
  const TDecade d = SplitDecade(x);
  double mant;
  if (d.m < 1.5L) {
    mant = 1.0;
  } else if (d.m < 3.0L) {
    mant = 2.0;
  } else if (d.m < 8.0L) {
    mant = 5.0;
  } else {
    mant = 10.0;
  }
  return ComposeSeries(x < 0.0, d.k, mant);
}

double RoundPos125(double x) {
  if (x == 0.0 || !std::isfinite(x)) return x;
  const TDecade d = SplitDecade(x);
  const double mant = (x > 0.0) ? SeriesCeil(d.m) : SeriesFloor(d.m);
  return ComposeSeries(x < 0.0, d.k, mant);
}

double RoundNeg125(double x) {
  if (x == 0.0 || !std::isfinite(x)) return x;
  const TDecade d = SplitDecade(x);
  const double mant = (x > 0.0) ? SeriesFloor(d.m) : SeriesCeil(d.m);
  return ComposeSeries(x < 0.0, d.k, mant);
}

std::int64_t RoundLimit(double x, std::int64_t lo, std::int64_t hi) {
  if (lo > hi) std::swap(lo, hi);
  if (std::isnan(x)) return lo;
  // 2^63 is exactly representable; every double below it converts safely.
  constexpr double kTwo63 = 9223372036854775808.0;
  const double r = std::nearbyint(x);
  std::int64_t v;
  if (r >= kTwo63) {
    v = std::numeric_limits<std::int64_t>::max();
  } else if (r < -kTwo63) {
    v = std::numeric_limits<std::int64_t>::min();
  } else {
    v = static_cast<std::int64_t>(r);
  }
  return std::clamp(v, lo, hi);
}

void RoundDegrees(std::int32_t& deg, std::int32_t& min, std::int32_t& sec, bool Up) {
  if (deg < 0 || min < 0 || sec < 0) {
    deg = 0;
    min = 0;
    sec = 0;
    return;
  }
  min = std::min(min, 59);
  sec = std::min(sec, 59);
  // The angle in whole seconds; steps are compared in the same unit.
  const std::int64_t v = static_cast<std::int64_t>(deg) * 3600 + static_cast<std::int64_t>(min) * 60 + sec;

  // Chooses among the steps up to maxStep, each worth unit seconds.
  auto choose = [&](std::int32_t maxStep, std::int64_t unit) {
    std::int32_t chosen = 0;
    if (Up) {
      for (const std::int32_t s : kDegreeSteps) {
        if (s > maxStep) break;
        chosen = s;
        if (s * unit >= v) break;
      }
    } else {
      chosen = kDegreeSteps.front();
      for (const std::int32_t s : kDegreeSteps) {
        if (s > maxStep || s * unit > v) break;
        chosen = s;
      }
    }
    return chosen;
  };

  if (deg > 0) {
    deg = choose(360, 3600);
    min = 0;
    sec = 0;
  } else if (min > 0) {
    sec = 0;
    min = choose(60, 60);
    if (min == 60) {
      deg = 1;
      min = 0;
    }
  } else if (sec > 0) {
    sec = choose(60, 1);
    if (sec == 60) {
      min = 1;
      sec = 0;
    }
  }
}

void CalcScalePars(std::int32_t nTicks, double low, double high, double& start, double& step,
                   std::int32_t& minor) {
  if (low == high || !std::isfinite(low) || !std::isfinite(high)) {
    start = low;
    step = 0.0;
    minor = 1;
    return;
  }
  const Extended s = (low < high) ? 1.0L : -1.0L;
  const Extended range = std::fabs(static_cast<Extended>(high) - static_cast<Extended>(low));
  Extended stp;
  if (nTicks != 0) {
    const Extended ticks = std::fabs(static_cast<Extended>(nTicks));
    Extended e = std::log10(range / ticks);
    Extended f = e - std::trunc(e);
    if (std::fabs(f) <= 1e-10L || std::fabs(f) > 0.9999999999L) {
      e = std::nearbyint(e);
      f = 0.0L;
    }
    if (e < 0.0L && f != 0.0L) e -= 1.0L;
    if (f < 0.0L) f += 1.0L;
    const int k = static_cast<int>(std::trunc(e));
    double mant;
    if (f < std::log10(2.0L) + 1e-10L) {
      mant = 1.0;
      minor = 5;
    } else if (f < std::log10(5.0L) + 1e-10L) {
      mant = 2.0;
      minor = 4;
    } else {
      mant = 5.0;
      minor = 5;
    }
    stp = s * ScaleByPow10(mant, k);
  } else {
    // The unit step points along the axis, like the steps of a tick count.
    stp = s;
    minor = (range <= 10.0L) ? 5 : 1;
  }
  if (stp == 0.0L || !std::isfinite(stp)) {
    // The step underflows the double range: no usable scale.
    start = low;
    step = 0.0;
    minor = 1;
    return;
  }
  Extended st = (std::trunc(static_cast<Extended>(low) / stp) - 1.0L) * stp;
  // The first value lies less than two steps before low: a few advances at most.
  const Extended margin = 0.001L * std::fabs(stp);
  for (int i = 0; i < 4 && (static_cast<Extended>(low) - st) * s > margin; ++i) st += stp;
  start = static_cast<double>(st);
  step = static_cast<double>(stp);
}

}  // namespace qmx
