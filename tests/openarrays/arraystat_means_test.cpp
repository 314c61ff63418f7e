#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "qmx/openarrays/openarrays.hpp"

namespace qmx {
namespace {

TDouble2DArray Make2D(std::size_t cols, std::size_t rows, double start) {
  TDouble2DArray a(cols, TDoubleArray(rows));
  double v = start;
  for (auto& col : a) {
    for (double& x : col) {
      x = v;
      v += 1.0;
    }
  }
  return a;
}

TEST(MeanArray, OneDimensionalCodesAndValues) {
  const TDoubleArray a{1, 2, 3, 4};
  double mean = 99.0;
  EXPECT_EQ(MeanArray(a, 1, 2, mean), 0);
  EXPECT_DOUBLE_EQ(mean, 2.5);
  mean = 99.0;
  EXPECT_EQ(MeanArray(a, 2, 1, mean), -2);
  EXPECT_EQ(mean, 0.0);
  EXPECT_EQ(MeanArray(a, -1, 2, mean), -2);
  EXPECT_EQ(MeanArray(a, 0, 4, mean), -2);
  mean = 99.0;
  EXPECT_EQ(MeanArray(TDoubleArray{}, 0, 0, mean), -1);
  EXPECT_EQ(mean, 0.0);
  const TIntArray ia{2147483647, 2147483647, 2147483647};
  EXPECT_EQ(MeanArray(ia, 0, 2, mean), 0);
  EXPECT_DOUBLE_EQ(mean, 2147483647.0);  // no integer overflow in the sum
}

TEST(MeanArray, ExtendedPrecisionSum) {
  // 1e16 + 1 + 1 - 1e16 is lost in double arithmetic, kept in 80 bits
  const TDoubleArray a{1e16, 1.0, 1.0, -1e16};
  double mean = 0.0;
  ASSERT_EQ(MeanArray(a, 0, 3, mean), 0);
  EXPECT_DOUBLE_EQ(mean, 0.5);
}

TEST(MeanArray, TwoDimensionalBlockInCornerOrder) {
  const TDouble2DArray a = Make2D(3, 4, 0.0);  // a[c][r] = 4c + r
  double mean = 0.0;
  // columns 1..2, rows 0..1: 4, 5, 8, 9
  ASSERT_EQ(MeanArray(a, 1, 0, 2, 1, mean), 0);
  EXPECT_DOUBLE_EQ(mean, 6.5);
  EXPECT_EQ(MeanArray(a, 1, 0, 3, 1, mean), -2);  // column beyond
  EXPECT_EQ(MeanArray(a, 1, 0, 2, 4, mean), -2);  // row beyond
  EXPECT_EQ(MeanArray(a, 2, 0, 1, 1, mean), -2);  // Hi < Lo
  EXPECT_EQ(MeanArray(TDouble2DArray{{}}, 0, 0, 0, 0, mean), -1);
  EXPECT_EQ(MeanArray(TDouble2DArray{}, 0, 0, 0, 0, mean), -1);
}

TEST(MeanArray, HigherRanksFollowTheTwoDimensionalRule) {
  TDouble3DArray a3(2, TDouble2DArray(3, TDoubleArray(4, 1.0)));
  a3[1][2][3] = 13.0;
  double mean = 0.0;
  ASSERT_EQ(MeanArray(a3, 0, 0, 0, 1, 2, 3, mean), 0);
  EXPECT_DOUBLE_EQ(mean, (23.0 + 13.0) / 24.0);
  EXPECT_EQ(MeanArray(a3, 0, 0, 0, 1, 2, 4, mean), -2);
  EXPECT_EQ(MeanArray(a3, 0, 0, 3, 1, 2, 2, mean), -2);
  EXPECT_EQ(MeanArray(TDouble3DArray(2, TDouble2DArray(3)), 0, 0, 0, 0, 0, 0, mean), -1);

  TInt4DArray a4(2, TInt3DArray(2, TInt2DArray(2, TIntArray(2, 3))));
  a4[1][1][1][1] = 11;
  ASSERT_EQ(MeanArray(a4, 1, 1, 1, 0, 1, 1, 1, 1, mean), 0);
  EXPECT_DOUBLE_EQ(mean, 7.0);
  EXPECT_EQ(MeanArray(a4, 1, 1, 1, 0, 1, 1, 1, 2, mean), -2);
  EXPECT_EQ(MeanArray(a4, 0, 0, 0, -1, 1, 1, 1, 1, mean), -2);
  EXPECT_EQ(MeanArray(TInt4DArray(1, TInt3DArray(1, TInt2DArray(1))), 0, 0, 0, 0, 0, 0, 0, 0, mean), -1);
}

TEST(MeanArray, RaggedRowsAreAnInvalidRangeNotARead) {
  TDouble2DArray a{{1, 2, 3}, {4}};
  double mean = 0.0;
  EXPECT_EQ(MeanArray(a, 0, 0, 1, 2, mean), -2);
  ASSERT_EQ(MeanArray(a, 0, 0, 1, 0, mean), 0);
  EXPECT_DOUBLE_EQ(mean, 2.5);
}

TEST(StdDevArray, MatchesNaiveSampleStdDev) {
  SetRandSeed(7);
  TDouble2DArray a(6, TDoubleArray(9));
  for (auto& col : a) {
    for (double& x : col) {
      x = RandG(10.0, 3.0);
    }
  }
  double sum = 0.0;
  int n = 0;
  for (int c = 1; c <= 4; ++c) {
    for (int r = 2; r <= 7; ++r) {
      sum += a[c][r];
      ++n;
    }
  }
  const double m = sum / n;
  double ss = 0.0;
  for (int c = 1; c <= 4; ++c) {
    for (int r = 2; r <= 7; ++r) {
      ss += (a[c][r] - m) * (a[c][r] - m);
    }
  }
  double sd = 0.0;
  ASSERT_EQ(StdDevArray(a, 1, 2, 4, 7, sd), 0);
  EXPECT_NEAR(sd, std::sqrt(ss / (n - 1)), 1e-12);
  double mean = 0.0;
  double var = 0.0;
  ASSERT_EQ(MeanVarArray(a, 1, 2, 4, 7, mean, var), 0);
  EXPECT_NEAR(mean, m, 1e-12);
  EXPECT_NEAR(var, ss / (n - 1), 1e-11);
}

TEST(StdDevArray, SingleCellAndCodes) {
  double sd = 5.0;
  EXPECT_EQ(StdDevArray(TIntArray{4, 9}, 1, 1, sd), 0);
  EXPECT_EQ(sd, 0.0);
  EXPECT_EQ(StdDevArray(TIntArray{4, 9}, 0, 1, sd), 0);
  EXPECT_NEAR(sd, std::sqrt(12.5), 1e-15);
  EXPECT_EQ(StdDevArray(TIntArray{}, 0, 0, sd), -1);
  EXPECT_EQ(StdDevArray(TIntArray{1}, 0, 1, sd), -2);
  TInt3DArray a3(2, TInt2DArray(2, TIntArray(2, 5)));
  EXPECT_EQ(StdDevArray(a3, 0, 0, 0, 1, 1, 1, sd), 0);
  EXPECT_EQ(sd, 0.0);
  EXPECT_EQ(StdDevArray(a3, 0, 0, 0, 1, 2, 1, sd), -2);
}

TEST(MeanVarArray, OneDimensionalAndCodes) {
  double m = 1.0;
  double v = 1.0;
  ASSERT_EQ(MeanVarArray(TDoubleArray{2, 4, 4, 4, 5, 5, 7, 9}, 0, 7, m, v), 0);
  EXPECT_DOUBLE_EQ(m, 5.0);
  EXPECT_DOUBLE_EQ(v, 32.0 / 7.0);
  EXPECT_EQ(MeanVarArray(TIntArray{}, 0, 0, m, v), -1);
  EXPECT_EQ(m, 0.0);
  EXPECT_EQ(v, 0.0);
  EXPECT_EQ(MeanVarArray(TIntArray{1, 2}, 1, 0, m, v), -2);
  EXPECT_EQ(MeanVarArray(TInt2DArray{{1, 2}, {3, 4}}, 0, 0, 1, 1, m, v), 0);
  EXPECT_DOUBLE_EQ(m, 2.5);
  EXPECT_DOUBLE_EQ(v, 5.0 / 3.0);
}

TEST(MeanAbsDev, FirstNDataCells) {
  double d = 7.0;
  ASSERT_EQ(MeanAbsDev(TDoubleArray{1, 2, 3, 4, 100}, 4, d), 0);
  EXPECT_DOUBLE_EQ(d, 1.0);  // mean 2.5, deviations 1.5, 0.5, 0.5, 1.5
  ASSERT_EQ(MeanAbsDev(TIntArray{2, 2, 2}, 3, d), 0);
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(MeanAbsDev(TIntArray{}, 1, d), -1);
  EXPECT_EQ(MeanAbsDev(TIntArray{1, 2}, 0, d), -2);
  EXPECT_EQ(MeanAbsDev(TIntArray{1, 2}, 3, d), -2);
}

TEST(StdDevArray, FiniteWhereOnlyTheVarianceOverflows) {
  // sd = 1e300 * 2/sqrt(3); its square does not fit a double
  const TDoubleArray a{1e300, -1e300, 1e300, -1e300};
  double sd = 0.0;
  ASSERT_EQ(StdDevArray(a, 0, 3, sd), 0);
  EXPECT_NEAR(sd / 1e300, 2.0 / std::sqrt(3.0), 1e-12);
  const TDouble2DArray m{a, a};
  ASSERT_EQ(StdDevArray(m, 0, 0, 1, 3, sd), 0);
  EXPECT_NEAR(sd / 1e300, std::sqrt(8.0 / 7.0), 1e-12);
}

}  // namespace
}  // namespace qmx
