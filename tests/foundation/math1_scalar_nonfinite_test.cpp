// NaN and infinite arguments make every function with a loop or a search
// return (none of them may hang), with a sensible value where one exists.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "qmx/foundation/math1_scalar.hpp"

namespace qmx {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const double kBad[] = {kNaN, kInf, -kInf};

TEST(NonFinite, DistFromEllipseReturns) {
  TPointDouble q;
  for (const double v : kBad) {
    EXPECT_TRUE(std::isnan(DistFromEllipse({v, 1.0}, 3.0, 2.0, 0.0, 0.0, q)) || std::isinf(v));
    EXPECT_TRUE(std::isnan(q.x) && std::isnan(q.y));
    DistFromEllipse({1.0, v}, 3.0, 2.0, 0.0, 0.0, q);
    EXPECT_TRUE(std::isnan(DistFromEllipse({1.0, 1.0}, v, 2.0, 0.0, 0.0, q)));
    EXPECT_TRUE(std::isnan(DistFromEllipse({1.0, 1.0}, 3.0, v, 0.0, 0.0, q)));
    EXPECT_TRUE(std::isnan(DistFromEllipse({1.0, 1.0}, 3.0, 2.0, v, 0.0, q)));
    EXPECT_TRUE(std::isnan(DistFromEllipse({1.0, 1.0}, 3.0, 2.0, 0.0, v, q)));
  }
  EXPECT_EQ(DistFromEllipse({kInf, 1.0}, 3.0, 2.0, 0.0, 0.0, q), kInf);
  EXPECT_EQ(DistFromEllipse({1.0, -kInf}, 3.0, 2.0, 0.0, 0.0, q), kInf);
  // Extreme but finite shapes still terminate with a point on the ellipse.
  const double d = DistFromEllipse({1.0, 1.0}, 1e300, 1e-300, 0.0, 0.0, q);
  EXPECT_TRUE(std::isfinite(d));
}

TEST(NonFinite, CalcScaleParsReturns) {
  double start = 1.0, step = 1.0;
  std::int32_t minor = 0;
  for (const double v : kBad) {
    for (const std::int32_t n : {0, 5}) {
      CalcScalePars(n, v, 10.0, start, step, minor);
      EXPECT_EQ(step, 0.0);
      EXPECT_EQ(minor, 1);
      CalcScalePars(n, 0.0, v, start, step, minor);
      EXPECT_EQ(step, 0.0);
      EXPECT_EQ(start, 0.0);
    }
  }
  // Huge, tiny and extremely unbalanced ranges.
  CalcScalePars(7, -1.7e308, 1.7e308, start, step, minor);
  EXPECT_TRUE(std::isfinite(step));
  CalcScalePars(2147483647, 0.0, 5e-324, start, step, minor);
  EXPECT_TRUE(std::isfinite(start));
  CalcScalePars(3, 1e300, 1e300 * (1 + 1e-15), start, step, minor);
  EXPECT_GT(step, 0.0);
  CalcScalePars(0, 1e300, -1e300, start, step, minor);
  EXPECT_EQ(step, -1.0);
}

TEST(NonFinite, InterpolationReturns) {
  const TDouble2DArray t{{0.0, 1.0, 2.0}, {0.0, 1.0, 4.0}};
  const std::vector<double> s{1.0, 2.0, 4.0};
  const std::vector<std::int32_t> si{1, 2, 4};
  EXPECT_TRUE(std::isnan(InterpolXYTable(kNaN, t, true)));
  EXPECT_EQ(InterpolXYTable(kInf, t, false), 0.0);
  EXPECT_EQ(InterpolXYTable(-kInf, t, false), 0.0);
  EXPECT_EQ(InterpolXYTable(kInf, t, true), kInf);
  const TDouble2DArray nanPivots{{kNaN, kNaN, kNaN}, {1.0, 2.0, 3.0}};
  InterpolXYTable(1.0, nanPivots, true);
  for (const double v : kBad) {
    InterpolTable(v, 0.0, 2.0, s);
    InterpolTable(1.0, v, 2.0, s);
    InterpolTable(1.0, 0.0, v, s);
    InterpolTable(v, 0.0, 2.0, si);
  }
  EXPECT_TRUE(std::isnan(InterpolTable(kNaN, 0.0, 2.0, s)));
  EXPECT_EQ(InterpolTable(kInf, 0.0, 2.0, s), kInf);
  EXPECT_EQ(InterpolTable(-kInf, 0.0, 2.0, si), -kInf);
  const std::vector<double> flat{3.0, 3.0};
  EXPECT_EQ(InterpolTable(kInf, 0.0, 1.0, flat), 3.0);
}

TEST(NonFinite, RoundingAndAnglesReturn) {
  for (const double v : kBad) {
    EXPECT_TRUE(std::isnan(Round125(v)) == std::isnan(v));
    EXPECT_TRUE(std::isnan(RoundPos125(v)) == std::isnan(v));
    EXPECT_TRUE(std::isnan(RoundNeg125(v)) == std::isnan(v));
    EXPECT_TRUE(std::isnan(CanonicalAngleRadians(v)));
    EXPECT_TRUE(std::isnan(CanonicalAngleDegrees(v)));
    EXPECT_TRUE(std::isnan(modr(v, 2.0)));
    AngleToXAxis(v, 1.0);
    AngleToXAxis(1.0, v);
    Squash(v, 1.0, 1.0, 0.0);
    EXPECT_EQ(WithinBounds(v, 0.0, 1.0), false);
  }
  EXPECT_EQ(Round125(kInf), kInf);
  EXPECT_EQ(RoundNeg125(-kInf), -kInf);
  EXPECT_EQ(RoundLimit(kNaN, -3, 7), -3);
  EXPECT_EQ(RoundLimit(kInf, -3, 7), 7);
  EXPECT_EQ(RoundLimit(-kInf, -3, 7), -3);
  EXPECT_EQ(Squash(kInf, 2.0, 1.0, 0.0), 2.0);
  EXPECT_TRUE(std::isnan(ConfineValue(kNaN, 0.0, 1.0)));
  EXPECT_EQ(ConfineValue(kInf, 0.0, 1.0), 1.0);
  TPointDouble p{kNaN, 0.5};
  EXPECT_FALSE(ConfinePointToRect(p, TRectDouble{0, 0, 1, 1}));
  EXPECT_FALSE(WithinRect(p, TRectDouble{0, 0, 1, 1}));
  EXPECT_TRUE(std::isnan(DistanceToSegment({kNaN, 0.0}, {0, 0}, {1, 1})));
  EXPECT_EQ(CcwTriangle({kNaN, 0.0}, {0, 0}, {1, 1}), 0);
  EXPECT_TRUE(std::isnan(sinh(kNaN)));
  EXPECT_TRUE(std::isnan(tgh(kNaN)));
  EXPECT_EQ(tgh(kInf), 1.0);
  EXPECT_EQ(tgh(-kInf), -1.0);
  EXPECT_EQ(sinh(-kInf), -kInf);
  EXPECT_EQ(cosh(-kInf), kInf);
  EXPECT_TRUE(std::isnan(lg(kNaN)));
  EXPECT_EQ(ld(kInf), kInf);
}

}  // namespace
}  // namespace qmx
