// Plane geometry: distances, orientation, segment intersection, rectangles,
// the nearest point of an ellipse, bounds and bilinear interpolation.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "qmx/foundation/math1_scalar.hpp"

namespace qmx {

namespace detail {

/// x clipped into [lo, hi] after ordering the bounds; x is returned as is when
/// it is unordered with them (NaN).
template <class T>
T ConfineValue(T x, T lo, T hi) {
  if (lo > hi) std::swap(lo, hi);
  if (x < lo) return lo;
  if (x > hi) return hi;
  return x;
}

/// A rectangle with Left <= Right and Top <= Bottom.
template <class R>
R OrderedRect(R r) {
  if (r.Left > r.Right) std::swap(r.Left, r.Right);
  if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
  return r;
}

template <class P, class R>
bool WithinRect(const P& p, const R& rect) {
  const R r = OrderedRect(rect);
  return r.Left <= p.x && p.x <= r.Right && r.Top <= p.y && p.y <= r.Bottom;
}

template <class P, class R>
bool ConfinePointToRect(P& p, const R& rect) {
  const R r = OrderedRect(rect);
  bool changed = false;
  if (p.x < r.Left) {
    p.x = r.Left;
    changed = true;
  } else if (p.x > r.Right) {
    p.x = r.Right;
    changed = true;
  }
  if (p.y < r.Top) {
    p.y = r.Top;
    changed = true;
  } else if (p.y > r.Bottom) {
    p.y = r.Bottom;
    changed = true;
  }
  return changed;
}

}  // namespace detail

double EuclideanDistance(double x1, double y1, double x2, double y2) {
  const Extended dx = static_cast<Extended>(x2) - x1;
  const Extended dy = static_cast<Extended>(y2) - y1;
  return static_cast<double>(std::sqrt(dx * dx + dy * dy));
}

double EuclideanDistance(const TPointDouble& P1, const TPointDouble& P2) {
  return EuclideanDistance(P1.x, P1.y, P2.x, P2.y);
}

std::int32_t CcwTriangle(const TPointDouble& P0, const TPointDouble& P1, const TPointDouble& P2) {
  const Extended d = (static_cast<Extended>(P1.x) - P0.x) * (static_cast<Extended>(P2.y) - P0.y) -
                     (static_cast<Extended>(P2.x) - P0.x) * (static_cast<Extended>(P1.y) - P0.y);
  if (d > 0.0L) return 1;
  if (d < 0.0L) return -1;
  return 0;
}

bool SegmentsIntersect(const TPointDouble& A1, const TPointDouble& A2, const TPointDouble& B1,
                       const TPointDouble& B2) {
  // A NaN coordinate would make every orientation 0 ("collinear").
  for (const TPointDouble* p : {&A1, &A2, &B1, &B2}) {
    if (std::isnan(p->x) || std::isnan(p->y)) return false;
  }
  if (CcwTriangle(A1, A2, B1) * CcwTriangle(A1, A2, B2) > 0) return false;
  if (CcwTriangle(B1, B2, A1) * CcwTriangle(B1, B2, A2) > 0) return false;
  return true;
}

double DistanceToSegment(const TPointDouble& P, const TPointDouble& A, const TPointDouble& B) {
  const Extended bx = static_cast<Extended>(B.x) - A.x;
  const Extended by = static_cast<Extended>(B.y) - A.y;
  const Extended len2 = bx * bx + by * by;
  Extended t = -1.0L;
  if (len2 != 0.0L) t = ((static_cast<Extended>(P.x) - A.x) * bx + (static_cast<Extended>(P.y) - A.y) * by) / len2;
  Extended nx;
  Extended ny;
  if (t < 0.0L) {
    nx = A.x;
    ny = A.y;
  } else if (t > 1.0L) {
    nx = B.x;
    ny = B.y;
  } else if (t <= 0.5L) {
    nx = A.x + t * bx;
    ny = A.y + t * by;
  } else {
    // From the nearer end: A + t*b cancels badly near B when |b| is huge.
    nx = B.x - (1.0L - t) * bx;
    ny = B.y - (1.0L - t) * by;
  }
  const Extended dx = P.x - nx;
  const Extended dy = P.y - ny;
  return static_cast<double>(std::sqrt(dx * dx + dy * dy));
}

std::int32_t DistFromRect(const TPoint& P, const TRect& R) {
  const TRect r = detail::OrderedRect(R);
  // 64-bit differences: no overflow for any 32-bit coordinates.
  const std::int64_t x = P.x;
  const std::int64_t y = P.y;
  std::int64_t d;
  if (r.Left < x && x < r.Right) {
    if (y < r.Top) {
      d = r.Top - y;
    } else if (y <= r.Bottom) {
      d = 0;
    } else {
      d = y - r.Bottom;
    }
  } else if (r.Top < y && y < r.Bottom) {
    // x lies left of or on the left edge, or right of or on the right edge.
    d = (x >= r.Right) ? x - r.Right : r.Left - x;
  } else {
    double best = std::numeric_limits<double>::infinity();
    const std::int64_t cxs[2] = {r.Left, r.Right};
    const std::int64_t cys[2] = {r.Top, r.Bottom};
    for (const std::int64_t cx : cxs) {
      for (const std::int64_t cy : cys) {
        const auto dx = static_cast<double>(x - cx);
        const auto dy = static_cast<double>(y - cy);
        best = std::min(best, std::sqrt(dx * dx + dy * dy));
      }
    }
    const double rounded = std::nearbyint(best);
    d = rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::max())
            ? std::numeric_limits<std::int32_t>::max()
            : static_cast<std::int64_t>(rounded);
  }
  return static_cast<std::int32_t>(std::min<std::int64_t>(d, std::numeric_limits<std::int32_t>::max()));
}

namespace {

/// The nearest point (q0, q1) of the ellipse (q0/e0)^2 + (q1/e1)^2 = 1 with
/// e0 >= e1 > 0 to the point (y0, y1) of the first quadrant (y0, y1 >= 0).
/// Works in extended precision, so that (e0/e1)^2 does not overflow for any
/// pair of finite double semi-axes.
void NearestOnEllipseFirstQuadrant(Extended e0, Extended e1, Extended y0, Extended y1, Extended& q0,
                                   Extended& q1) {
  if (y1 > 0.0L) {
    if (y0 > 0.0L) {
      const Extended z0 = y0 / e0;
      const Extended z1 = y1 / e1;
      const Extended g = z0 * z0 + z1 * z1 - 1.0L;
      if (g == 0.0L) {
        q0 = y0;
        q1 = y1;
        return;
      }
      const Extended r0 = (e0 / e1) * (e0 / e1);
      const Extended n0 = r0 * z0;
      // F(t) = (n0/(t + r0))^2 + (z1/(t + 1))^2 - 1 decreases on t > -1, is
      // >= 0 at the lower end and <= 0 at the upper end of this interval.
      auto F = [&](Extended t) {
        const Extended u = n0 / (t + r0);
        const Extended v = z1 / (t + 1.0L);
        return u * u + v * v - 1.0L;
      };
      Extended lo = z1 - 1.0L;
      Extended hi = std::hypot(n0, z1) - 1.0L;
      Extended t = lo;
      for (int i = 0; i < 1075; ++i) {
        t = 0.5L * (lo + hi);
        if (t == lo || t == hi) break;
        const Extended f = F(t);
        if (f > 0.0L) {
          lo = t;
        } else if (f < 0.0L) {
          hi = t;
        } else {
          break;
        }
      }
      q0 = r0 * y0 / (t + r0);
      q1 = y1 / (t + 1.0L);
    } else {
      q0 = 0.0L;
      q1 = e1;
    }
  } else {
    const Extended numer = e0 * y0;
    const Extended denom = e0 * e0 - e1 * e1;
    if (numer < denom) {
      const Extended x = e0 * e0 * y0 / denom;
      const Extended xa = x / e0;
      q0 = x;
      q1 = e1 * std::sqrt(std::max(0.0L, 1.0L - xa * xa));
    } else {
      q0 = e0;
      q1 = 0.0L;
    }
  }
}

}  // namespace

double DistFromEllipse(const TPointDouble& P, double a, double b, double cx, double cy, TPointDouble& Q) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  if (std::isnan(P.x) || std::isnan(P.y) || std::isnan(a) || std::isnan(b) || std::isnan(cx) || std::isnan(cy) ||
      std::isinf(a) || std::isinf(b) || std::isinf(cx) || std::isinf(cy)) {
    Q = {kNaN, kNaN};
    return kNaN;
  }
  if (std::isinf(P.x) || std::isinf(P.y)) {
    Q = {kNaN, kNaN};
    return std::numeric_limits<double>::infinity();
  }
  // To the ellipse's frame, into the first quadrant, larger semi-axis first.
  Extended x = static_cast<Extended>(P.x) - cx;
  Extended y = static_cast<Extended>(P.y) - cy;
  const bool negX = x < 0.0L;
  const bool negY = y < 0.0L;
  x = std::fabs(x);
  y = std::fabs(y);
  Extended e0 = std::fabs(static_cast<Extended>(a));
  Extended e1 = std::fabs(static_cast<Extended>(b));
  const bool exchanged = e0 < e1;
  if (exchanged) {
    std::swap(e0, e1);
    std::swap(x, y);
  }
  Extended q0;
  Extended q1;
  if (e1 == 0.0L) {
    // Degenerate ellipse: the segment from (-e0, 0) to (e0, 0).
    q0 = std::min(x, e0);
    q1 = 0.0;
  } else {
    NearestOnEllipseFirstQuadrant(e0, e1, x, y, q0, q1);
  }
  const Extended dist = std::hypot(q0 - x, q1 - y);
  if (exchanged) std::swap(q0, q1);
  if (negX) q0 = -q0;
  if (negY) q1 = -q1;
  Q = {static_cast<double>(q0 + cx), static_cast<double>(q1 + cy)};
  return static_cast<double>(dist);
}

bool WithinBounds(double x, double lo, double hi) {
  if (lo > hi) std::swap(lo, hi);
  return lo <= x && x <= hi;
}

bool WithinBounds(double x, double lo, double hi, double tol) {
  if (lo > hi) std::swap(lo, hi);
  return lo - tol <= x && x <= hi + tol;
}

double ConfineValue(double x, double lo, double hi) { return detail::ConfineValue(x, lo, hi); }
float ConfineValue(float x, float lo, float hi) { return detail::ConfineValue(x, lo, hi); }
std::int32_t ConfineValue(std::int32_t x, std::int32_t lo, std::int32_t hi) {
  return detail::ConfineValue(x, lo, hi);
}

bool WithinRect(const TPoint& P, const TRect& R) { return detail::WithinRect(P, R); }
bool WithinRect(const TPointDouble& P, const TRectDouble& R) { return detail::WithinRect(P, R); }

bool ConfinePointToRect(TPoint& P, const TRect& R) { return detail::ConfinePointToRect(P, R); }
bool ConfinePointToRect(TPointDouble& P, const TRectDouble& R) { return detail::ConfinePointToRect(P, R); }

double InterpolZofXYRect(double fx, double fy, double z11, double z21, double z12, double z22) {
  // Extended precision: differences of finite doubles such as z21 - z11 cannot
  // overflow (which would give inf * 0 = NaN at fx = 0).
  const Extended z1 = z11 + fx * (static_cast<Extended>(z21) - z11);
  const Extended z2 = z12 + fx * (static_cast<Extended>(z22) - z12);
  return static_cast<double>(z1 + fy * (z2 - z1));
}

}  // namespace qmx
