#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>

#include "qmx/openarrays/openarrays.hpp"

namespace qmx {
namespace {

constexpr double kBig = std::numeric_limits<double>::max();

TEST(MaxMinArray, EmptySentinelsLeaveIndicesAlone) {
  std::int32_t ix = 42;
  EXPECT_EQ(MaxArray(TDoubleArray{}, ix), -2147483648.0);
  EXPECT_EQ(ix, 42);
  EXPECT_EQ(MinArray(TDoubleArray{}, ix), 2147483647.0);
  EXPECT_EQ(MaxArray(TIntArray{}), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(MinArray(TIntArray{}), std::numeric_limits<std::int32_t>::max());
  std::int32_t i1 = 5;
  std::int32_t i2 = 6;
  EXPECT_EQ(MaxArray(TDouble2DArray{{}}, i1, i2), -2147483648.0);
  EXPECT_EQ(i1, 5);
  EXPECT_EQ(i2, 6);
  EXPECT_EQ(MinArray(TDouble4DArray{}), 2147483647.0);
  EXPECT_EQ(MaxArray(TInt3DArray{}), std::numeric_limits<std::int32_t>::min());
}

TEST(MaxMinArray, FirstOccurrenceWins) {
  std::int32_t ix = -1;
  EXPECT_EQ(MaxArray(TDoubleArray{1, 5, 3, 5}, ix), 5.0);
  EXPECT_EQ(ix, 1);
  EXPECT_EQ(MinArray(TIntArray{4, 1, 1, 9}, ix), 1);
  EXPECT_EQ(ix, 1);
  const TInt2DArray a{{1, 7}, {7, 0}, {-3, 2}};
  std::int32_t c = -1;
  std::int32_t r = -1;
  EXPECT_EQ(MaxArray(a, c, r), 7);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(MinArray(a, c, r), -3);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 0);
  // the first cell is the answer: both indices start at 0
  c = r = -1;
  EXPECT_EQ(MaxArray(TDouble2DArray{{9, 1}, {2, 3}}, c, r), 9.0);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 0);
}

TEST(MaxMinArray, HigherRanks) {
  TDouble4DArray a(2, TDouble3DArray(2, TDouble2DArray(2, TDoubleArray(2, 0.0))));
  a[1][0][1][0] = 8.0;
  a[0][1][0][1] = -4.0;
  EXPECT_EQ(MaxArray(a), 8.0);
  EXPECT_EQ(MinArray(a), -4.0);
  TInt3DArray b(1, TInt2DArray(2, TIntArray{3, -9}));
  EXPECT_EQ(MinArray(b), -9);
  EXPECT_EQ(MaxArray(b), 3);
}

TEST(MinMaxArray, StartValuesAndMembers) {
  double lo = 0.0;
  double hi = 0.0;
  EXPECT_EQ(MinMaxArray(TDoubleArray{}, lo, hi), -1);
  EXPECT_EQ(lo, kBig);
  EXPECT_EQ(hi, -kBig);
  EXPECT_EQ(MinMaxArray(TSingleArray{2.5f, -1.0f, 7.0f}, lo, hi), 0);
  EXPECT_EQ(lo, -1.0);
  EXPECT_EQ(hi, 7.0);
  const std::array<double, 3> open{4.0, -2.0, 1.0};
  EXPECT_EQ(MinMaxArray(std::span<const double>(open), lo, hi), 0);
  EXPECT_EQ(lo, -2.0);
  EXPECT_EQ(hi, 4.0);
  TDouble3DArray d3(2, TDouble2DArray(1, TDoubleArray{1.0, 3.0}));
  d3[1][0][0] = -6.0;
  EXPECT_EQ(MinMaxArray(d3, lo, hi), 0);
  EXPECT_EQ(lo, -6.0);
  EXPECT_EQ(hi, 3.0);
  std::int32_t ilo = 0;
  std::int32_t ihi = 0;
  EXPECT_EQ(MinMaxArray(TInt2DArray{}, ilo, ihi), -1);
  EXPECT_EQ(ilo, 2147483647);
  EXPECT_EQ(ihi, -2147483647 - 1);
  EXPECT_EQ(MinMaxArray(TInt4DArray(1, TInt3DArray(1, TInt2DArray(1, TIntArray{5, -5}))), ilo, ihi), 0);
  EXPECT_EQ(ilo, -5);
  EXPECT_EQ(ihi, 5);
}

TEST(MinMaxArray, RangedOneDimensional) {
  const TDoubleArray a{5, 1, 9, 1, 9, 0};
  double lo = 0.0;
  double hi = 0.0;
  std::int32_t loIx = -1;
  std::int32_t hiIx = -1;
  ASSERT_EQ(MinMaxArray(a, 1, 4, lo, hi, loIx, hiIx), 0);
  EXPECT_EQ(lo, 1.0);
  EXPECT_EQ(loIx, 1);
  EXPECT_EQ(hi, 9.0);
  EXPECT_EQ(hiIx, 2);
  EXPECT_EQ(MinMaxArray(a, 4, 1, lo, hi, loIx, hiIx), 0);  // scans nothing
  EXPECT_EQ(lo, kBig);
  EXPECT_EQ(hi, -kBig);
  EXPECT_EQ(loIx, 0);
  EXPECT_EQ(hiIx, 0);
  EXPECT_EQ(MinMaxArray(a, 0, 6, lo, hi, loIx, hiIx), -2);
  EXPECT_EQ(MinMaxArray(a, -1, 3, lo, hi, loIx, hiIx), -2);
  EXPECT_EQ(MinMaxArray(TDoubleArray{}, 0, 0, lo, hi, loIx, hiIx), -1);
  // infinities inside the range are reported with their positions
  const double inf = std::numeric_limits<double>::infinity();
  ASSERT_EQ(MinMaxArray(TDoubleArray{0, inf, inf}, 1, 2, lo, hi, loIx, hiIx), 0);
  EXPECT_EQ(lo, inf);
  EXPECT_EQ(loIx, 1);
  std::int32_t ilo = 0;
  std::int32_t ihi = 0;
  ASSERT_EQ(MinMaxArray(TIntArray{3, -2, 8}, 0, 2, ilo, ihi, loIx, hiIx), 0);
  EXPECT_EQ(ilo, -2);
  EXPECT_EQ(loIx, 1);
  EXPECT_EQ(ihi, 8);
  EXPECT_EQ(hiIx, 2);
}

TEST(MinMaxArray, RangedTwoDimensional) {
  const TDouble2DArray a{{1, 2, 3}, {4, -5, 6}, {7, 8, 0}};
  double lo = 0.0;
  double hi = 0.0;
  std::int32_t c1 = -1;
  std::int32_t r1 = -1;
  std::int32_t c2 = -1;
  std::int32_t r2 = -1;
  ASSERT_EQ(MinMaxArray(a, 1, 0, 2, 1, lo, hi, c1, r1, c2, r2), 0);
  EXPECT_EQ(lo, -5.0);
  EXPECT_EQ(c1, 1);
  EXPECT_EQ(r1, 1);
  EXPECT_EQ(hi, 8.0);
  EXPECT_EQ(c2, 2);
  EXPECT_EQ(r2, 1);
  EXPECT_EQ(MinMaxArray(a, 2, 0, 1, 1, lo, hi, c1, r1, c2, r2), 0);  // Hi1 < Lo1: nothing
  EXPECT_EQ(lo, kBig);
  EXPECT_EQ(MinMaxArray(a, 0, 0, 3, 1, lo, hi, c1, r1, c2, r2), -2);
  EXPECT_EQ(MinMaxArray(a, 0, 0, 1, 3, lo, hi, c1, r1, c2, r2), -2);
  EXPECT_EQ(MinMaxArray(TDouble2DArray{}, 0, 0, 0, 0, lo, hi, c1, r1, c2, r2), -1);
  std::int32_t ilo = 0;
  std::int32_t ihi = 0;
  ASSERT_EQ(MinMaxArray(TInt2DArray{{5, 1}, {9, 1}}, 0, 0, 1, 1, ilo, ihi, c1, r1, c2, r2), 0);
  EXPECT_EQ(ilo, 1);
  EXPECT_EQ(c1, 0);
  EXPECT_EQ(r1, 1);
  EXPECT_EQ(ihi, 9);
  EXPECT_EQ(c2, 1);
  EXPECT_EQ(r2, 0);
}

TEST(MaxMinArray, LeadingNaNCellsAreSkipped) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const TDoubleArray a{nan, inf, -inf, 2.0};
  std::int32_t ix = -1;
  EXPECT_EQ(MaxArray(a, ix), inf);
  EXPECT_EQ(ix, 1);
  EXPECT_EQ(MinArray(a, ix), -inf);
  EXPECT_EQ(ix, 2);
  double mn = 0.0;
  double mx = 0.0;
  EXPECT_EQ(MinMaxArray(a, mn, mx), 0);
  EXPECT_TRUE(mn == -inf && mx == inf);
  EXPECT_EQ(MinMaxArray(std::span<const double>(a), mn, mx), 0);
  EXPECT_TRUE(mn == -inf && mx == inf);
  std::int32_t mnIx = -1;
  std::int32_t mxIx = -1;
  EXPECT_EQ(MinMaxArray(a, 0, 3, mn, mx, mnIx, mxIx), 0);
  EXPECT_TRUE(mnIx == 2 && mxIx == 1);
  const TDouble2DArray m{{nan, 1.0}, {-3.0, nan}};
  std::int32_t c = -1;
  std::int32_t r = -1;
  EXPECT_EQ(MaxArray(m, c, r), 1.0);
  EXPECT_TRUE(c == 0 && r == 1);
  EXPECT_EQ(MinArray(m), -3.0);
  std::int32_t ix4[4] = {};
  EXPECT_EQ(MinMaxArray(m, 0, 0, 1, 1, mn, mx, ix4[0], ix4[1], ix4[2], ix4[3]), 0);
  EXPECT_TRUE(mn == -3.0 && ix4[0] == 1 && ix4[1] == 0 && mx == 1.0 && ix4[2] == 0 && ix4[3] == 1);
  // only NaN: NaN at the first cell
  EXPECT_TRUE(std::isnan(MaxArray(TDoubleArray{nan, nan}, ix)));
  EXPECT_EQ(ix, 0);
}

}  // namespace
}  // namespace qmx
