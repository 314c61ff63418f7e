// TSLine: construction, evaluation, messages, and intersections, distances,
// angles and box clipping checked against direct geometry on random lines.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

#include "qmx/sline/sline.hpp"

namespace qmx {
namespace {

constexpr double kPi = std::numbers::pi;

std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EQMXSLineError& e) {
    return e.what();
  }
  return "<no EQMXSLineError>";
}

double Uniform(double lo, double hi) { return lo + (hi - lo) * Random(); }

TEST(SLine, NewLineIsTheXAxis) {
  TSLine l;
  EXPECT_EQ(l.ParA(), 0.0);
  EXPECT_EQ(l.ParB(), 1.0);
  EXPECT_EQ(l.ParC(), 0.0);
  EXPECT_FALSE(l.SubstituteInf());
  EXPECT_EQ(l.CalcY(5), 0.0);
  EXPECT_EQ(l.GetSlope(), 0.0);
  EXPECT_EQ(l.GetDirect(), 0.0);
  EXPECT_FALSE(std::signbit(l.GetDirect()));
  EXPECT_EQ(l.Distance(0, 1), 1.0);
  EXPECT_EQ(l.Distance(0, -1), -1.0);
  EXPECT_EQ(l.ClassName(), "TSLine");
}

TEST(SLine, EveryErrorHasItsMessageAndChangesNothing) {
  TSLine l;
  l.SetParA(2.0);
  l.SetParB(0.0);  // x = 0 with A = 2
  EXPECT_EQ(MessageOf([&] { l.SetParA(0.0); }), "parameter A and B must not both be zero");
  EXPECT_EQ(l.ParA(), 2.0);
  EXPECT_EQ(MessageOf([&] { l.CalcY(1.0); }), "cannot calculate y");
  EXPECT_EQ(MessageOf([&] { l.GetSlope(); }), "slope is infinite");
  EXPECT_EQ(MessageOf([&] { l.GetIntercept(); }), "cannot calculate intercept (line is parallel to y axis)");
  double k = 7, d = 8;
  EXPECT_EQ(MessageOf([&] { l.CalcKDForm(k, d); }), "cannot convert to k-d-form if ParB is zero");
  EXPECT_EQ(k, 7.0);
  EXPECT_EQ(d, 8.0);
  TSLine h;  // y = 0: A = 0
  EXPECT_EQ(MessageOf([&] { h.SetParB(0.0); }), "parameter A and B must not both be zero");
  EXPECT_EQ(h.ParB(), 1.0);
  EXPECT_EQ(MessageOf([&] { h.CalcX(1.0); }), "cannot calculate x");
  // The class derives from the platform's exception directly.
  try {
    h.CalcX(1.0);
  } catch (const EQMXError&) {
    ADD_FAILURE() << "must not be an EQMXError";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "cannot calculate x");
  }
}

TEST(SLine, SubstituteInfDividesByATinyNumber) {
  TSLine l;
  l.LineFrom2Points(2, 0, 2, 1);  // x = 2: B = 0
  l.SetSubstituteInf(true);
  EXPECT_DOUBLE_EQ(l.CalcY(3), (-3 * l.ParA() - l.ParC()) / 1e-100);
  TSLine h;
  h.SetParC(-4);  // y = 4
  h.SetSubstituteInf(true);
  EXPECT_DOUBLE_EQ(h.CalcX(1), (-1 * 1.0 + 4) / 1e-100);
}

TEST(SLine, ConstructionsStoreTheirCoefficients) {
  TSLine l;
  EXPECT_TRUE(l.LineFrom2Points(0, 0, 1, 1));
  EXPECT_EQ(l.ParA(), -1.0);
  EXPECT_EQ(l.ParB(), 1.0);
  EXPECT_EQ(l.ParC(), 0.0);
  EXPECT_DOUBLE_EQ(l.GetSlope(), 1.0);
  EXPECT_DOUBLE_EQ(l.GetIntercept(), 0.0);
  EXPECT_DOUBLE_EQ(l.GetDirect(), kPi / 4);
  EXPECT_FALSE(l.LineFrom2Points(3, 4, 3, 4));
  EXPECT_EQ(l.ParA(), -1.0);  // unchanged

  l.LineFromSlopeIcpt(2.0, -3.0);
  double k = 0, d = 0;
  l.CalcKDForm(k, d);
  EXPECT_DOUBLE_EQ(k, 2.0);
  EXPECT_DOUBLE_EQ(d, -3.0);
  EXPECT_DOUBLE_EQ(l.CalcY(4.0), 5.0);
  EXPECT_DOUBLE_EQ(l.CalcX(5.0), 4.0);

  // Constructions bypass the A–B check of the property setters.
  TSLine z;
  z.LineFromSlopeIcpt(0.0, 1.0);
  EXPECT_EQ(z.ParA(), 0.0);
}

TEST(SLine, DirectionAngleCoversTheCircle) {
  TSLine l;
  for (int i = -40; i <= 80; ++i) {
    const double phi = i * 0.1;
    l.LineThroughPoint(1.0, 2.0, phi);
    double expect = std::fmod(phi, 2 * kPi);
    if (expect < 0) expect += 2 * kPi;
    const double got = l.GetDirect();
    EXPECT_GE(got, 0.0);
    EXPECT_LT(got, 2 * kPi);
    EXPECT_NEAR(std::remainder(got - expect, 2 * kPi), 0.0, 1e-12) << phi;
  }
  // Vertical lines: B = 0.
  l.SetParA(1.0);
  l.SetParB(0.0);
  EXPECT_DOUBLE_EQ(l.GetDirect(), 3 * kPi / 2);
  l.SetParA(-1.0);
  EXPECT_DOUBLE_EQ(l.GetDirect(), kPi / 2);
  // A direction a hair below the x axis stays inside [0, 2π).
  l.LineThroughPoint(0, 0, -1e-20);
  EXPECT_LT(l.GetDirect(), 2 * kPi);
}

TEST(SLine, NormalAndParallelLinesPassThroughThePoint) {
  SetRandSeed(900);
  TSLine base, normal, parallel;
  for (int trial = 0; trial < 200; ++trial) {
    base.LineThroughPoint(Uniform(-5, 5), Uniform(-5, 5), Uniform(0, 2 * kPi));
    const double x = Uniform(-10, 10), y = Uniform(-10, 10);
    normal.NormalLine(x, y, &base);
    parallel.ParallelLine(x, y, &base);
    EXPECT_NEAR(normal.Distance(x, y), 0.0, 1e-12);
    EXPECT_NEAR(parallel.Distance(x, y), 0.0, 1e-12);
    EXPECT_NEAR(base.AngleBetweenLines(&normal), kPi / 2, 1e-12);
    EXPECT_NEAR(base.AngleBetweenLines(&parallel), 0.0, 1e-12);
    double ix = 0, iy = 0;
    EXPECT_FALSE(base.InterSection(&parallel, ix, iy));
    // The foot of the perpendicular lies at |Distance| from the point.
    ASSERT_TRUE(base.InterSection(&normal, ix, iy));
    EXPECT_NEAR(std::hypot(ix - x, iy - y), std::fabs(base.Distance(x, y)), 1e-10);
  }
  // Nil lines change nothing and intersect nothing.
  const double a = normal.ParA();
  normal.NormalLine(0, 0, nullptr);
  normal.ParallelLine(0, 0, nullptr);
  EXPECT_EQ(normal.ParA(), a);
  double ix = 1, iy = 2;
  EXPECT_FALSE(normal.InterSection(nullptr, ix, iy));
  EXPECT_EQ(ix, 1.0);
  EXPECT_EQ(normal.AngleBetweenLines(nullptr), 0.0);
}

TEST(SLine, DistanceMatchesProjectionOntoTheLine) {
  SetRandSeed(901);
  TSLine l;
  for (int trial = 0; trial < 200; ++trial) {
    const double x1 = Uniform(-10, 10), y1 = Uniform(-10, 10), x2 = Uniform(-10, 10), y2 = Uniform(-10, 10);
    ASSERT_TRUE(l.LineFrom2Points(x1, y1, x2, y2));
    const double px = Uniform(-10, 10), py = Uniform(-10, 10);
    // |cross product| / |direction| is the distance; its sign follows the normal (A, B).
    const double dx = x2 - x1, dy = y2 - y1;
    const double cross = dx * (py - y1) - dy * (px - x1);
    const double expect = cross / std::hypot(dx, dy);
    EXPECT_NEAR(l.Distance(px, py), expect, 1e-11);
    const double normalSide = l.ParA() * (px - x1) + l.ParB() * (py - y1);
    if (std::fabs(expect) > 1e-9) {
      EXPECT_EQ(l.Distance(px, py) > 0, normalSide > 0);
    }
  }
}

TEST(SLine, IntersectionMatchesParametricSolution) {
  SetRandSeed(902);
  TSLine l1, l2;
  for (int trial = 0; trial < 200; ++trial) {
    // Two segments from random points; solve p + s·u = q + t·v by Cramer's rule.
    const double px = Uniform(-5, 5), py = Uniform(-5, 5), ux = Uniform(-1, 1), uy = Uniform(-1, 1);
    const double qx = Uniform(-5, 5), qy = Uniform(-5, 5), vx = Uniform(-1, 1), vy = Uniform(-1, 1);
    const double det = ux * (-vy) - uy * (-vx);
    if (std::fabs(det) < 1e-3) continue;
    const double s = ((qx - px) * (-vy) - (qy - py) * (-vx)) / det;
    l1.LineFrom2Points(px, py, px + ux, py + uy);
    l2.LineFrom2Points(qx, qy, qx + vx, qy + vy);
    double x = 0, y = 0;
    ASSERT_TRUE(l1.InterSection(&l2, x, y));
    EXPECT_NEAR(x, px + s * ux, 1e-8);
    EXPECT_NEAR(y, py + s * uy, 1e-8);
    // The angle between the lines is the acute angle between the directions.
    const double cosang = std::fabs(ux * vx + uy * vy) / (std::hypot(ux, uy) * std::hypot(vx, vy));
    EXPECT_NEAR(l1.AngleBetweenLines(&l2), std::acos(std::min(1.0, cosang)), 1e-7);
  }
  l1.LineFrom2Points(0, 0, 1, 1);
  l2.LineFrom2Points(0, 1, 1, 2);
  double x = 5, y = 6;
  EXPECT_FALSE(l1.InterSection(&l2, x, y));
  EXPECT_EQ(x, 5.0);
  EXPECT_EQ(y, 6.0);
  EXPECT_EQ(l1.AngleBetweenLines(&l1), 0.0);
}

TEST(SLine, ClipBoxOfTheDiagonalAndOfTouchingLines) {
  TSLine l;
  l.LineFrom2Points(0, 0, 1, 1);
  double x1 = -1, y1 = -1, x2 = -1, y2 = -1;
  ASSERT_TRUE(l.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(x1, 0.0);
  EXPECT_EQ(y1, 0.0);
  EXPECT_EQ(x2, 10.0);
  EXPECT_EQ(y2, 10.0);
  EXPECT_FALSE(l.SubstituteInf());  // restored

  // Touching a corner only: that corner twice.
  l.LineFrom2Points(10, 0, 11, 1);
  ASSERT_TRUE(l.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(x1, 10.0);
  EXPECT_EQ(y1, 0.0);
  EXPECT_EQ(x2, 10.0);
  EXPECT_EQ(y2, 0.0);

  // Through a corner and out through another edge: the corner, then the exit.
  l.LineFrom2Points(0, 0, 1, 2);
  ASSERT_TRUE(l.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(x1, 0.0);
  EXPECT_EQ(y1, 0.0);
  EXPECT_DOUBLE_EQ(x2, 5.0);
  EXPECT_DOUBLE_EQ(y2, 10.0);

  // Along an edge: its two ends.
  l.LineFrom2Points(0, 0, 0, 1);
  ASSERT_TRUE(l.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(x1, 0.0);
  EXPECT_EQ(y1, 0.0);
  EXPECT_EQ(x2, 0.0);
  EXPECT_EQ(y2, 10.0);

  // Horizontal and vertical lines through the inside, and a miss.
  TSLine h;
  h.SetParC(-3);  // y = 3
  ASSERT_TRUE(h.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(x1, 0.0);
  EXPECT_EQ(y1, 3.0);
  EXPECT_EQ(x2, 10.0);
  EXPECT_EQ(y2, 3.0);
  h.SetParC(-30);
  x1 = 99;
  EXPECT_FALSE(h.ClipBox(0, 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(x1, 99.0);
}

TEST(SLine, ClipBoxMatchesDirectGeometryOnRandomLines) {
  SetRandSeed(903);
  TSLine l;
  const double xl = -2, yl = -1, xh = 3, yh = 4;
  for (int trial = 0; trial < 2000; ++trial) {
    l.LineThroughPoint(Uniform(-6, 6), Uniform(-6, 6), Uniform(0, kPi));
    // The line meets the inside when the corners lie on both sides of it.
    const double s[4] = {l.Distance(xl, yl), l.Distance(xh, yl), l.Distance(xl, yh), l.Distance(xh, yh)};
    const bool pos = s[0] > 1e-9 || s[1] > 1e-9 || s[2] > 1e-9 || s[3] > 1e-9;
    const bool neg = s[0] < -1e-9 || s[1] < -1e-9 || s[2] < -1e-9 || s[3] < -1e-9;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    const bool hit = l.ClipBox(xl, yl, xh, yh, x1, y1, x2, y2);
    if (pos && neg) {
      ASSERT_TRUE(hit);
      EXPECT_GT(std::hypot(x2 - x1, y2 - y1), 0.0);
    } else if (pos != neg) {
      ASSERT_FALSE(hit);
      continue;
    }
    if (!hit) continue;
    for (const auto& p : {std::pair{x1, y1}, std::pair{x2, y2}}) {
      EXPECT_NEAR(l.Distance(p.first, p.second), 0.0, 1e-12);
      const bool onBorder = std::fabs(p.first - xl) < 1e-12 || std::fabs(p.first - xh) < 1e-12 ||
                            std::fabs(p.second - yl) < 1e-12 || std::fabs(p.second - yh) < 1e-12;
      EXPECT_TRUE(onBorder);
      EXPECT_TRUE(p.first >= xl && p.first <= xh && p.second >= yl && p.second <= yh);
    }
  }
}

TEST(SLine, ConstructionsFromFarOutOrTinyPointsKeepTheLine) {
  constexpr double kMax = std::numeric_limits<double>::max();
  constexpr double kDenorm = std::numeric_limits<double>::denorm_min();
  const auto passes = [](const TSLine& l, double x, double y) {
    return std::isfinite(l.ParA()) && std::isfinite(l.ParB()) && std::isfinite(l.ParC()) &&
           std::fabs(l.Distance(x, y)) <= 1e-15 * (std::fabs(x) + std::fabs(y)) + 1e-300;
  };
  TSLine l;
  // Non-finite points make no line.
  l.LineFromSlopeIcpt(2.0, 3.0);
  EXPECT_FALSE(l.LineFrom2Points(std::nan(""), 0, 1, 1));
  EXPECT_FALSE(l.LineFrom2Points(0, 0, 1, HUGE_VAL));
  EXPECT_EQ(l.ParA(), 2.0);
  EXPECT_EQ(l.ParC(), 3.0);
  // x + y = 1e200: C = 1e400 is scaled back into range with A and B.
  ASSERT_TRUE(l.LineFrom2Points(1e200, 0, 0, 1e200));
  EXPECT_TRUE(passes(l, 1e200, 0) && passes(l, 0, 1e200));
  EXPECT_EQ(l.ParA(), l.ParB());
  ASSERT_TRUE(l.LineFrom2Points(kMax, -kMax, -kMax, kMax));  // y = −x, A and B overflow
  EXPECT_TRUE(passes(l, kMax, -kMax) && passes(l, 1.0, -1.0));
  // Products that underflow lost the line: y = 1.5 became y = 2, x + y = 1e-200 became x + y = 0.
  ASSERT_TRUE(l.LineFrom2Points(0, 1.5, kDenorm, 1.5));
  EXPECT_EQ(l.CalcY(0.0), 1.5);
  ASSERT_TRUE(l.LineFrom2Points(1e-200, 0, 0, 1e-200));
  EXPECT_TRUE(passes(l, 1e-200, 0) && passes(l, 0, 1e-200) && !passes(l, 0, 0));
  // Lines through a point: C overflows, or its product underflows.
  TSLine base;
  base.SetParA(1.0);  // x + y = 0
  base.ParallelLine(kMax, kMax, &base);  // x + y = 2·max
  EXPECT_TRUE(passes(base, kMax, kMax));
  EXPECT_EQ(base.ParA(), base.ParB());
  l.LineThroughPoint(kMax, -kMax, kPi / 4);
  EXPECT_TRUE(passes(l, kMax, -kMax));
  EXPECT_NEAR(l.GetDirect(), kPi / 4, 1e-15);
  base.SetParA(kDenorm);
  base.SetParB(0.0);  // a vertical line with a subnormal normal
  l.ParallelLine(1.5, 0.0, &base);
  EXPECT_EQ(l.CalcX(7.0), 1.5);
  l.NormalLine(0.0, 1.5, &base);
  EXPECT_EQ(l.CalcY(7.0), 1.5);
}

TEST(SLine, EvaluationsDoNotOverflowOnTheWay) {
  constexpr double kMax = std::numeric_limits<double>::max();
  TSLine l;
  l.LineFrom2Points(0, 0, 1, 1);
  l.SetParA(2.0);
  l.SetParB(-2.0);  // y = x with |A| = |B| = 2
  EXPECT_EQ(l.Distance(kMax, kMax), 0.0);  // was inf − inf
  EXPECT_DOUBLE_EQ(l.Distance(kMax, 0.0), kMax / std::sqrt(2.0));  // 2·max overflowed
  l.SetParA(1.0);
  l.SetParB(kMax);
  l.SetParC(-kMax);
  EXPECT_DOUBLE_EQ(l.CalcX(1.5), -0.5 * kMax);  // −1.5·max + max, was −inf
  EXPECT_EQ(l.CalcY(-kMax), 2.0);  // was inf
  // x + y = max and x − y = max meet at (max, 0); Cramer's numerators overflow.
  TSLine a, b;
  a.SetParA(1.0);
  a.SetParC(-kMax);
  b.SetParA(1.0);
  b.SetParB(-1.0);
  b.SetParC(-kMax);
  double x = 0, y = 0;
  ASSERT_TRUE(a.InterSection(&b, x, y));
  EXPECT_EQ(x, kMax);
  EXPECT_EQ(y, 0.0);
  // Nearly parallel lines whose crossing lies beyond the double range, and NaN lines: false.
  b.SetParA(1.0 + 1e-16 * 2);
  b.SetParB(1.0);
  b.SetParC(kMax);
  x = 5;
  EXPECT_FALSE(a.InterSection(&b, x, y));
  b.SetParA(std::nan(""));
  EXPECT_FALSE(a.InterSection(&b, x, y));
  EXPECT_EQ(x, 5.0);
  // Angles: products that overflowed (inf − inf) or underflowed (a false right angle).
  a.SetParA(kMax);
  a.SetParB(kMax);
  b.SetParA(kMax);
  b.SetParB(-kMax);
  EXPECT_DOUBLE_EQ(a.AngleBetweenLines(&b), kPi / 2);
  a.SetParA(1e-200);
  a.SetParB(0.0);
  b.SetParA(1e-200);
  b.SetParB(1e-300);
  EXPECT_LT(a.AngleBetweenLines(&b), 1e-90);
}

TEST(SLine, ClipBoxOfEmptyBoxesAndOfLinesAlongAnEdge) {
  TSLine l;
  l.SetParC(-5);  // y = 5
  double x1 = 99, y1 = 99, x2 = 99, y2 = 99;
  EXPECT_FALSE(l.ClipBox(10, 0, 0, 10, x1, y1, x2, y2));  // XLow > XHigh
  EXPECT_FALSE(l.ClipBox(0, 10, 10, 0, x1, y1, x2, y2));
  EXPECT_FALSE(l.ClipBox(std::nan(""), 0, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(x1, 99.0);
  EXPECT_EQ(y2, 99.0);
  // x = 0 along the left edge of a box that reaches below y = 0: the edge's ends,
  // not a point made up by dividing by a tiny number.
  l.LineFrom2Points(0, 0, 0, 1);
  ASSERT_TRUE(l.ClipBox(0, -5, 10, 10, x1, y1, x2, y2));
  EXPECT_EQ(x1, 0.0);
  EXPECT_EQ(y1, -5.0);
  EXPECT_EQ(x2, 0.0);
  EXPECT_EQ(y2, 10.0);
  // −x + 1e-99 = 0 just inside the left edge: vertical, not through (0, −10).
  l.SetParC(1e-99);
  ASSERT_TRUE(l.ClipBox(0, -50, 100, 100, x1, y1, x2, y2));
  EXPECT_EQ(x1, 1e-99);
  EXPECT_EQ(y1, -50.0);
  EXPECT_EQ(x2, 1e-99);
  EXPECT_EQ(y2, 100.0);
}

}  // namespace
}  // namespace qmx
