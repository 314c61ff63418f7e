#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>

#include "qmx/foundation/math1_scalar.hpp"

namespace qmx {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(PlaneGeometry, DistancesAndOrientation) {
  EXPECT_DOUBLE_EQ(EuclideanDistance(1, 2, 4, 6), 5.0);
  EXPECT_DOUBLE_EQ(EuclideanDistance(TPointDouble{-1, -1}, TPointDouble{2, 3}), 5.0);
  // No overflow of the squares.
  EXPECT_DOUBLE_EQ(EuclideanDistance(0, 0, 3e300, 4e300), 5e300);

  const TPointDouble o{0, 0}, ex{1, 0}, ey{0, 1};
  EXPECT_EQ(CcwTriangle(o, ex, ey), 1);
  EXPECT_EQ(CcwTriangle(o, ey, ex), -1);
  EXPECT_EQ(CcwTriangle(o, ex, TPointDouble{5, 0}), 0);
}

TEST(PlaneGeometry, SegmentsIntersect) {
  const TPointDouble a1{0, 0}, a2{2, 2};
  EXPECT_TRUE(SegmentsIntersect(a1, a2, {0, 2}, {2, 0}));     // crossing
  EXPECT_FALSE(SegmentsIntersect(a1, a2, {3, 0}, {4, 1}));    // apart
  EXPECT_FALSE(SegmentsIntersect(a1, a2, {0, 1}, {0.4, 1}));  // line crosses, segment does not reach
  EXPECT_TRUE(SegmentsIntersect(a1, a2, {2, 2}, {3, 0}));     // touching at an end point
  EXPECT_TRUE(SegmentsIntersect(a1, a2, {1, 1}, {2, 0}));     // end point on the other segment
  // Collinear segments count as intersecting, even when disjoint.
  EXPECT_TRUE(SegmentsIntersect(a1, a2, {5, 5}, {6, 6}));
  EXPECT_TRUE(SegmentsIntersect(a1, a2, {1, 1}, {3, 3}));
}

TEST(PlaneGeometry, DistanceToSegmentMatchesSampling) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(-5.0, 5.0);
  for (int trial = 0; trial < 50; ++trial) {
    const TPointDouble p{u(gen), u(gen)}, a{u(gen), u(gen)}, b{u(gen), u(gen)};
    double best = std::numeric_limits<double>::infinity();
    const int n = 20000;
    for (int i = 0; i <= n; ++i) {
      const double t = static_cast<double>(i) / n;
      best = std::min(best, std::hypot(p.x - (a.x + t * (b.x - a.x)), p.y - (a.y + t * (b.y - a.y))));
    }
    const double d = DistanceToSegment(p, a, b);
    EXPECT_LE(d, best + 1e-12);
    EXPECT_GE(d, best - 1e-3);
  }
  // Degenerate segment: the distance from its single point.
  EXPECT_DOUBLE_EQ(DistanceToSegment({4, 5}, {1, 1}, {1, 1}), 5.0);
  // Beyond either end: the distance from that end.
  EXPECT_DOUBLE_EQ(DistanceToSegment({-3, 4}, {0, 0}, {10, 0}), 5.0);
  EXPECT_DOUBLE_EQ(DistanceToSegment({13, -4}, {0, 0}, {10, 0}), 5.0);
  EXPECT_DOUBLE_EQ(DistanceToSegment({5, -4}, {0, 0}, {10, 0}), 4.0);
}

TEST(PlaneGeometry, DistFromRect) {
  const TRect r{10, 20, 30, 40};  // Left, Top, Right, Bottom
  EXPECT_EQ(DistFromRect({15, 25}, r), 0);   // inside
  EXPECT_EQ(DistFromRect({15, 12}, r), 8);   // above
  EXPECT_EQ(DistFromRect({15, 45}, r), 5);   // below
  EXPECT_EQ(DistFromRect({4, 25}, r), 6);    // left
  EXPECT_EQ(DistFromRect({33, 25}, r), 3);   // right
  EXPECT_EQ(DistFromRect({7, 16}, r), 5);    // corner region: 3-4-5
  EXPECT_EQ(DistFromRect({31, 41}, r), 1);   // sqrt(2) rounds to 1
  // On the border: 0, also on the left and right edges.
  EXPECT_EQ(DistFromRect({10, 25}, r), 0);
  EXPECT_EQ(DistFromRect({30, 25}, r), 0);
  EXPECT_EQ(DistFromRect({15, 20}, r), 0);
  EXPECT_EQ(DistFromRect({10, 20}, r), 0);
  // Corners given in reverse order describe the same rectangle.
  EXPECT_EQ(DistFromRect({4, 25}, TRect{30, 40, 10, 20}), 6);
  EXPECT_EQ(DistFromRect({15, 25}, TRect{30, 40, 10, 20}), 0);
  // Extreme coordinates neither overflow nor go negative.
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(DistFromRect({0, kMin}, TRect{-5, kMax - 1, 5, kMax}), kMax);
  EXPECT_EQ(DistFromRect({kMin, kMin}, TRect{kMax - 1, kMax - 1, kMax, kMax}), kMax);
}

/// Nearest distance from (px, py) to the ellipse by dense sampling of its
/// parameter, refined around the best sample.
double BruteEllipseDistance(double px, double py, double a, double b, double cx, double cy) {
  auto dist = [&](double t) { return std::hypot(cx + a * std::cos(t) - px, cy + b * std::sin(t) - py); };
  const int n = 40000;
  const double h = 2 * kPi / n;
  double bestT = 0.0;
  double best = dist(0.0);
  for (int i = 1; i < n; ++i) {
    const double d = dist(i * h);
    if (d < best) {
      best = d;
      bestT = i * h;
    }
  }
  const int m = 20000;
  for (int i = -m; i <= m; ++i) best = std::min(best, dist(bestT + i * h / m));
  return best;
}

void CheckEllipse(double px, double py, double a, double b, double cx, double cy) {
  TPointDouble q;
  const double d = DistFromEllipse({px, py}, a, b, cx, cy, q);
  const double ref = BruteEllipseDistance(px, py, a, b, cx, cy);
  EXPECT_NEAR(d, ref, 1e-7 * std::max(1.0, std::max(a, b))) << px << "," << py << " a=" << a << " b=" << b;
  // Q lies on the ellipse, at the returned distance from P.
  const double qx = (q.x - cx) / a;
  const double qy = (q.y - cy) / b;
  EXPECT_NEAR(qx * qx + qy * qy, 1.0, 1e-12);
  EXPECT_NEAR(std::hypot(q.x - px, q.y - py), d, 1e-12 * std::max(1.0, d));
}

TEST(DistFromEllipse, AgreesWithBruteForce) {
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> axis(0.5, 6.0);
  std::uniform_real_distribution<double> coord(-10.0, 10.0);
  for (int trial = 0; trial < 40; ++trial) {
    const double a = axis(gen), b = axis(gen), cx = coord(gen), cy = coord(gen);
    // Points outside, inside and near the ellipse, in every quadrant.
    const double s = (trial % 3 == 0) ? 0.3 : (trial % 3 == 1 ? 0.97 : 2.5);
    std::uniform_real_distribution<double> ang(0.0, 2 * kPi);
    const double t = ang(gen);
    CheckEllipse(cx + s * a * std::cos(t), cy + s * b * std::sin(t), a, b, cx, cy);
  }
}

TEST(DistFromEllipse, PointsOnTheAxesAndSpecialShapes) {
  // On the major axis inside the ellipse, close to the centre: the nearest
  // point is off the axis (closed form), on both sides.
  CheckEllipse(0.5, 0.0, 4.0, 2.0, 0.0, 0.0);
  CheckEllipse(-0.5, 0.0, 4.0, 2.0, 0.0, 0.0);
  // On the major axis beyond a*x < a^2 - b^2: the vertex.
  TPointDouble q;
  EXPECT_NEAR(DistFromEllipse({3.9, 0.0}, 4.0, 2.0, 0.0, 0.0, q), 0.1, 1e-15);
  EXPECT_DOUBLE_EQ(q.x, 4.0);
  EXPECT_DOUBLE_EQ(q.y, 0.0);
  EXPECT_DOUBLE_EQ(DistFromEllipse({-7.0, 0.0}, 4.0, 2.0, 0.0, 0.0, q), 3.0);
  EXPECT_DOUBLE_EQ(q.x, -4.0);
  // On the minor axis: the co-vertex.
  EXPECT_DOUBLE_EQ(DistFromEllipse({0.0, -0.5}, 4.0, 2.0, 0.0, 0.0, q), 1.5);
  EXPECT_DOUBLE_EQ(q.x, 0.0);
  EXPECT_DOUBLE_EQ(q.y, -2.0);
  // Larger semi-axis along y: the axes are exchanged internally.
  CheckEllipse(0.0, 0.5, 2.0, 4.0, 0.0, 0.0);
  CheckEllipse(1.3, -2.2, 2.0, 4.0, 1.0, -1.0);
  EXPECT_DOUBLE_EQ(DistFromEllipse({1.0, 10.0}, 2.0, 4.0, 1.0, 1.0, q), 5.0);
  EXPECT_DOUBLE_EQ(q.x, 1.0);
  EXPECT_DOUBLE_EQ(q.y, 5.0);
  // Circle, also from its centre (any point of the circle is nearest).
  CheckEllipse(1.0, 2.0, 3.0, 3.0, 0.5, 0.5);
  EXPECT_DOUBLE_EQ(DistFromEllipse({2.0, 2.0}, 3.0, 3.0, 2.0, 2.0, q), 3.0);
  EXPECT_DOUBLE_EQ(std::hypot(q.x - 2.0, q.y - 2.0), 3.0);
  // A point on the ellipse.
  EXPECT_NEAR(DistFromEllipse({4.0 * std::cos(1.0), 2.0 * std::sin(1.0)}, 4.0, 2.0, 0.0, 0.0, q), 0.0, 1e-15);
  // Negative semi-axes count by their absolute values.
  TPointDouble q2;
  EXPECT_DOUBLE_EQ(DistFromEllipse({1.0, 5.0}, -4.0, -2.0, 0.0, 0.0, q2), DistFromEllipse({1.0, 5.0}, 4.0, 2.0, 0.0, 0.0, q));
  // A zero semi-axis: the ellipse is a segment.
  EXPECT_DOUBLE_EQ(DistFromEllipse({5.0, 3.0}, 4.0, 0.0, 0.0, 0.0, q), std::hypot(1.0, 3.0));
  EXPECT_DOUBLE_EQ(q.x, 4.0);
  EXPECT_DOUBLE_EQ(DistFromEllipse({-1.0, 3.0}, 0.0, 4.0, 0.0, 0.0, q), 1.0);
  EXPECT_DOUBLE_EQ(q.y, 3.0);
  EXPECT_DOUBLE_EQ(DistFromEllipse({3.0, 4.0}, 0.0, 0.0, 0.0, 0.0, q), 5.0);
  // Very flat and very elongated ellipses.
  CheckEllipse(0.3, 0.02, 5.0, 0.01, 0.0, 0.0);
  CheckEllipse(3.0, 1.0, 1000.0, 0.5, 0.0, 0.0);
}

TEST(PlaneGeometry, BoundsAndConfinement) {
  EXPECT_TRUE(WithinBounds(2.0, 1.0, 3.0));
  EXPECT_TRUE(WithinBounds(2.0, 3.0, 1.0));
  EXPECT_TRUE(WithinBounds(3.0, 1.0, 3.0));
  EXPECT_FALSE(WithinBounds(3.5, 3.0, 1.0));
  EXPECT_TRUE(WithinBounds(3.5, 3.0, 1.0, 0.5));
  EXPECT_TRUE(WithinBounds(0.5, 3.0, 1.0, 0.5));
  EXPECT_FALSE(WithinBounds(0.4, 3.0, 1.0, 0.5));

  EXPECT_EQ(ConfineValue(5.0, 1.0, 3.0), 3.0);
  EXPECT_EQ(ConfineValue(-5.0, 3.0, 1.0), 1.0);
  EXPECT_EQ(ConfineValue(2.5f, 3.0f, 1.0f), 2.5f);
  EXPECT_EQ(ConfineValue(7, 1, 3), 3);
  EXPECT_EQ(ConfineValue(-7, 3, 1), 1);
  EXPECT_EQ(ConfineValue(2, 1, 3), 2);

  EXPECT_TRUE(WithinRect(TPoint{10, 20}, TRect{10, 20, 30, 40}));
  EXPECT_TRUE(WithinRect(TPoint{15, 25}, TRect{30, 40, 10, 20}));
  EXPECT_FALSE(WithinRect(TPoint{9, 25}, TRect{30, 40, 10, 20}));
  EXPECT_TRUE(WithinRect(TPointDouble{0.5, -0.5}, TRectDouble{1, 0, 0, -1}));
  EXPECT_FALSE(WithinRect(TPointDouble{0.5, 0.5}, TRectDouble{1, 0, 0, -1}));

  TPoint p{50, 25};
  EXPECT_TRUE(ConfinePointToRect(p, TRect{30, 40, 10, 20}));
  EXPECT_EQ(p.x, 30);
  EXPECT_EQ(p.y, 25);
  EXPECT_FALSE(ConfinePointToRect(p, TRect{30, 40, 10, 20}));
  TPointDouble pd{-1.0, 9.0};
  EXPECT_TRUE(ConfinePointToRect(pd, TRectDouble{0, 0, 2, 2}));
  EXPECT_EQ(pd.x, 0.0);
  EXPECT_EQ(pd.y, 2.0);
}

TEST(PlaneGeometry, BilinearInterpolation) {
  EXPECT_EQ(InterpolZofXYRect(0, 0, 1, 2, 3, 4), 1.0);
  EXPECT_EQ(InterpolZofXYRect(1, 0, 1, 2, 3, 4), 2.0);
  EXPECT_EQ(InterpolZofXYRect(0, 1, 1, 2, 3, 4), 3.0);
  EXPECT_EQ(InterpolZofXYRect(1, 1, 1, 2, 3, 4), 4.0);
  // z = 1 + x + 2y + 3xy at (0.25, 0.5), corners z11=1, z21=2, z12=3, z22=7.
  EXPECT_DOUBLE_EQ(InterpolZofXYRect(0.25, 0.5, 1, 2, 3, 7), 1 + 0.25 + 1.0 + 3 * 0.125);
}

TEST(PlaneGeometry, NaNSegmentsDoNotIntersect) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  const TPointDouble a1{0, 0}, a2{2, 2}, b1{0, 2}, b2{2, 0};
  EXPECT_TRUE(SegmentsIntersect(a1, a2, b1, b2));
  EXPECT_FALSE(SegmentsIntersect({kNaN, 0}, a2, b1, b2));  // every orientation was 0: "collinear"
  EXPECT_FALSE(SegmentsIntersect(a1, a2, b1, {2, kNaN}));
}

TEST(PlaneGeometry, ExtremeValuesWithoutCancellation) {
  constexpr double kMax = std::numeric_limits<double>::max();
  // z21 - z11 overflows a double: inf * 0 once gave NaN for finite corners.
  EXPECT_EQ(InterpolZofXYRect(0.0, 0.0, -kMax, kMax, 1.0, 2.0), -kMax);
  EXPECT_EQ(InterpolZofXYRect(0.5, 0.0, -kMax, kMax, 1.0, 2.0), 0.0);
  EXPECT_FALSE(std::isnan(InterpolZofXYRect(0.25, 0.75, kMax, -kMax, 3.0, 4.0)));
  // A huge segment whose nearest point is its end B: A + t*(B - A) cancelled
  // to a point far from B.
  const TPointDouble p{1.0, -2.25}, a{0.0, kMax}, b{3.0, -1.0};
  EXPECT_NEAR(DistanceToSegment(p, a, b), EuclideanDistance(p, b), 1e-12);
}

}  // namespace
}  // namespace qmx
