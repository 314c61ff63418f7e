#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "math1_scalar_test_util.hpp"
#include "qmx/foundation/math1_scalar.hpp"

namespace qmx {
namespace {

TEST(InterpolXYTable, AscendingAndDescendingPivots) {
  // Pivots (0, 1), (1, 3), (3, -1).
  const TDouble2DArray asc{{0.0, 1.0, 3.0}, {1.0, 3.0, -1.0}};
  const TDouble2DArray desc{{3.0, 1.0, 0.0}, {-1.0, 3.0, 1.0}};
  for (const TDouble2DArray* t : {&asc, &desc}) {
    EXPECT_DOUBLE_EQ(InterpolXYTable(0.0, *t, false), 1.0);
    EXPECT_DOUBLE_EQ(InterpolXYTable(0.5, *t, false), 2.0);
    EXPECT_DOUBLE_EQ(InterpolXYTable(1.0, *t, false), 3.0);
    EXPECT_DOUBLE_EQ(InterpolXYTable(2.0, *t, false), 1.0);
    EXPECT_DOUBLE_EQ(InterpolXYTable(2.5, *t, false), 0.0);
    EXPECT_DOUBLE_EQ(InterpolXYTable(3.0, *t, false), -1.0);
    // Outside: 0, or the end segments extended.
    EXPECT_EQ(InterpolXYTable(-1.0, *t, false), 0.0);
    EXPECT_EQ(InterpolXYTable(4.0, *t, false), 0.0);
    EXPECT_DOUBLE_EQ(InterpolXYTable(-1.0, *t, true), -1.0);
    EXPECT_DOUBLE_EQ(InterpolXYTable(4.0, *t, true), -3.0);
  }
}

TEST(InterpolXYTable, ShapeErrorsAndOddTables) {
  test::ExpectThrowExact<EQMXMath1Error>([] { InterpolXYTable(0.0, TDouble2DArray{{0.0, 1.0}}, false); },
                                         "InterpolXYTable: pivot array must contain 2 columns");
  test::ExpectThrowExact<EQMXMath1Error>(
      [] { InterpolXYTable(0.0, TDouble2DArray{{0.0, 1.0}, {0.0, 1.0}, {0.0, 1.0}}, false); },
      "InterpolXYTable: pivot array must contain 2 columns");
  test::ExpectThrowExact<EQMXMath1Error>([] { InterpolXYTable(0.0, TDouble2DArray{}, false); },
                                         "InterpolXYTable: pivot array must contain 2 columns");
  test::ExpectThrowExact<EQMXMath1Error>([] { InterpolXYTable(0.0, TDouble2DArray{{1.0}, {2.0}}, false); },
                                         "InterpolXYTable: pivot array must contain at least 2 rows");
  test::ExpectThrowExact<EQMXMath1Error>([] { InterpolXYTable(0.0, TDouble2DArray{{1.0, 2.0}, {2.0}}, false); },
                                         "InterpolXYTable: pivot array must contain at least 2 rows");
  // Columns of different lengths: the common length is used.
  EXPECT_DOUBLE_EQ(InterpolXYTable(0.5, TDouble2DArray{{0.0, 1.0, 2.0}, {0.0, 10.0}}, true), 5.0);
  EXPECT_DOUBLE_EQ(InterpolXYTable(1.5, TDouble2DArray{{0.0, 1.0, 2.0}, {0.0, 10.0}}, true), 15.0);
  // Repeated pivots (a step): no division by zero.
  const TDouble2DArray step{{0.0, 1.0, 1.0, 2.0}, {0.0, 0.0, 5.0, 5.0}};
  EXPECT_DOUBLE_EQ(InterpolXYTable(0.5, step, false), 0.0);
  EXPECT_DOUBLE_EQ(InterpolXYTable(1.5, step, false), 5.0);
  EXPECT_DOUBLE_EQ(InterpolXYTable(1.0, step, false), 0.0);
  const TDouble2DArray flat{{1.0, 1.0}, {2.0, 3.0}};
  EXPECT_DOUBLE_EQ(InterpolXYTable(1.0, flat, false), 2.0);
  EXPECT_DOUBLE_EQ(InterpolXYTable(5.0, flat, true), 3.0);
}

TEST(InterpolTable, EquidistantSamples) {
  const std::vector<double> t{10.0, 20.0, 40.0};
  const std::vector<std::int32_t> ti{10, 20, 40};
  EXPECT_DOUBLE_EQ(InterpolTable(0.0, 0.0, 2.0, t), 10.0);
  EXPECT_DOUBLE_EQ(InterpolTable(0.5, 0.0, 2.0, t), 15.0);
  EXPECT_DOUBLE_EQ(InterpolTable(1.5, 0.0, 2.0, t), 30.0);
  EXPECT_DOUBLE_EQ(InterpolTable(2.0, 0.0, 2.0, t), 40.0);
  EXPECT_DOUBLE_EQ(InterpolTable(-1.0, 0.0, 2.0, t), 0.0);   // first segment extended
  EXPECT_DOUBLE_EQ(InterpolTable(3.0, 0.0, 2.0, t), 60.0);   // last segment extended
  // The range may run backwards: x2 is the abscissa of the first entry then.
  EXPECT_DOUBLE_EQ(InterpolTable(0.5, 2.0, 0.0, t), 30.0);
  EXPECT_DOUBLE_EQ(InterpolTable(2.5, 2.0, 0.0, t), 5.0);
  // The integer table gives the same values.
  EXPECT_DOUBLE_EQ(InterpolTable(0.5, 0.0, 2.0, ti), 15.0);
  EXPECT_DOUBLE_EQ(InterpolTable(3.0, 0.0, 2.0, ti), 60.0);
  EXPECT_DOUBLE_EQ(InterpolTable(0.5, 2.0, 0.0, ti), 30.0);
  // No overflow in the integer differences.
  const std::vector<std::int32_t> wide{-2147483647 - 1, 2147483647};
  EXPECT_DOUBLE_EQ(InterpolTable(0.5, 0.0, 1.0, wide), -0.5);
}

TEST(InterpolTable, Errors) {
  const std::vector<double> one{1.0};
  const std::vector<std::int32_t> onei{1};
  const std::vector<double> two{1.0, 2.0};
  test::ExpectThrowExact<EQMXMath1Error>([&] { InterpolTable(0.0, 0.0, 1.0, one); },
                                         "InterpolTable: pivot array must contain at least 2 values");
  test::ExpectThrowExact<EQMXMath1Error>([&] { InterpolTable(0.0, 0.0, 1.0, onei); },
                                         "InterpolTable: pivot array must contain at least 2 values");
  test::ExpectThrowExact<EQMXMath1Error>([&] { InterpolTable(0.0, 0.0, 1.0, std::span<const double>{}); },
                                         "InterpolTable: pivot array must contain at least 2 values");
  test::ExpectThrowExact<EQMXMath1Error>([&] { InterpolTable(0.0, 1.0, 1.0, two); },
                                         "InterpolTable: specified range of pivot array is zero");
}

TEST(Interpolation, NaNArgumentGivesNaN) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const TDouble2DArray flat = {{1.5, 1.5, 1.5}, {4.0, 4.0, 4.0}};
  EXPECT_TRUE(std::isnan(InterpolXYTable(nan, flat, false)));  // was 4 (the equal pivots' value)
  EXPECT_TRUE(std::isnan(InterpolXYTable(nan, {{0.0, 1.0}, {2.0, 3.0}}, true)));
  const std::vector<double> same = {7.0, 7.0, 7.0};
  EXPECT_TRUE(std::isnan(InterpolTable(nan, 0.0, 1.0, same)));  // was 7
  EXPECT_TRUE(std::isnan(InterpolTable(1.0, 0.0, nan, same)));
  EXPECT_TRUE(std::isnan(InterpolTable(1.0, -HUGE_VAL, 0.0, same)));  // inf / inf
  EXPECT_EQ(InterpolTable(HUGE_VAL, 0.0, 1.0, same), 7.0);
}

}  // namespace
}  // namespace qmx
