#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "qmx/openarrays/openarrays.hpp"

namespace qmx {
namespace {

TEST(PercentileArray, SelectsWithoutInterpolation) {
  const TDoubleArray a{4, 1, 3, 2};
  EXPECT_EQ(PercentileArray(50, a), 3.0);  // k = 2
  EXPECT_EQ(PercentileArray(100, a), 4.0);
  EXPECT_EQ(PercentileArray(250, a), 4.0);   // clamped to 100
  EXPECT_EQ(PercentileArray(-10, a), 1.0);   // clamped to 0
  EXPECT_EQ(PercentileArray(62.5, a), 3.0);  // 2.5 rounds to even 2
  EXPECT_EQ(PercentileArray(87.5, a), 4.0);  // 3.5 rounds to even 4, cut to n - 1
  EXPECT_EQ(PercentileArray(50, TDoubleArray{}), 0.0);
  EXPECT_TRUE(std::isnan(PercentileArray(std::nan(""), a)));
  EXPECT_EQ(a, (TDoubleArray{4, 1, 3, 2}));                 // the input is not reordered
  EXPECT_EQ(PercentileArray(50, TIntArray{7, 5, 6}), 7.0);  // 1.5 rounds to even 2
}

TEST(PercentileArray, RangesAreClampedAndOrdered) {
  const TDoubleArray a{9, 1, 2, 3, 4, 0};
  EXPECT_EQ(PercentileArray(0, a, 4, 1), 1.0);
  EXPECT_EQ(PercentileArray(100, a, 1, 4), 4.0);
  EXPECT_EQ(PercentileArray(100, a, -5, 99), 9.0);
  const TDouble2DArray m{{5, 1, 8}, {2, 7, 3}, {6, 0, 4}};
  // columns 0..1, rows 1..2: 1, 8, 7, 3 -> sorted 1 3 7 8
  EXPECT_EQ(PercentileArray(50, m, 0, 1, 1, 2), 7.0);
  EXPECT_EQ(PercentileArray(50, m, 1, 2, 0, 1), 7.0);  // bounds ordered
  EXPECT_EQ(PercentileArray(0, m, -3, -3, 10, 10), 0.0);
}

TEST(PercentileArray, MatchesSortedReferenceOnRandomData) {
  SetRandSeed(11);
  for (int trial = 0; trial < 20; ++trial) {
    TDoubleArray a(1 + static_cast<std::size_t>(Random(50)));
    for (double& x : a) {
      x = RandG(0.0, 1.0);
    }
    TDoubleArray sorted = a;
    std::sort(sorted.begin(), sorted.end());
    const double perc = Random() * 100.0;
    const double kd = std::nearbyint(static_cast<double>(a.size()) * perc / 100.0);
    const auto k = std::min(static_cast<std::size_t>(kd), a.size() - 1);
    EXPECT_EQ(PercentileArray(perc, a), sorted[k]);
  }
}

TEST(FrequDistOfArray, CodesInOrder) {
  const TDoubleArray a{1, 2, 3};
  TIntArray h{77};
  std::int32_t u = 5;
  std::int32_t o = 5;
  std::int32_t mx = 5;
  EXPECT_EQ(FrequDistOfArray(TDoubleArray{}, 0, 0, 0, 1, 1, h, u, o, mx), -1);
  EXPECT_EQ(FrequDistOfArray(a, 0, 3, 0, 1, 1, h, u, o, mx), -1);
  EXPECT_EQ(FrequDistOfArray(a, 2, 1, 0, 1, 1, h, u, o, mx), -2);
  EXPECT_EQ(FrequDistOfArray(a, 0, 2, 1, 1, 1, h, u, o, mx), -3);
  EXPECT_EQ(FrequDistOfArray(a, 0, 2, 0, 1, 0, h, u, o, mx), -4);
  EXPECT_EQ(FrequDistOfArray(a, 0, 2, 0, 1000, 1, h, u, o, mx), -5);  // 1001 bins
  EXPECT_EQ(FrequDistOfArray(a, 0, 2, 0, 999, 1, h, u, o, mx), 0);    // 1000 bins
  EXPECT_EQ(h.size(), 1000u);
  h = {77};
  u = 5;
  EXPECT_EQ(FrequDistOfArray(a, 0, 2, 0, 1, std::nan(""), h, u, o, mx), -4);
  EXPECT_EQ(FrequDistOfArray(a, 0, 2, 0, 1e300, 1e-300, h, u, o, mx), -5);
  EXPECT_EQ(h, TIntArray{77});  // untouched on failure
  EXPECT_EQ(u, 5);
}

TEST(FrequDistOfArray, CountsBinsUnderAndOverflow) {
  const TDoubleArray a{-1, 0, 0.5, 1, 1.99, 2, 2.5, 3, 3.1, std::nan("")};
  TIntArray h;
  std::int32_t u = 0;
  std::int32_t o = 0;
  std::int32_t mx = 0;
  // bins [0,1) [1,2) [2,3); values >= LastBin + BinWidth = 3 overflow
  ASSERT_EQ(FrequDistOfArray(a, 0, 0, 0, 2, 1, h, u, o, mx), 0);
  EXPECT_EQ(h, (TIntArray{2, 2, 2}));
  EXPECT_EQ(u, 1);
  EXPECT_EQ(o, 2);
  EXPECT_EQ(mx, 2);
  ASSERT_EQ(FrequDistOfArray(a, 1, 3, 0, 2, 1, h, u, o, mx), 0);
  EXPECT_EQ(h, (TIntArray{2, 1, 0}));
  EXPECT_EQ(mx, 2);
}

TEST(FrequDistOfArray, BinCountRoundedDownKeepsValuesInRange) {
  // (2.4 - 0) / 1 rounds to 2: three bins, but LastBin + BinWidth = 3.4
  TIntArray h;
  std::int32_t u = 0;
  std::int32_t o = 0;
  std::int32_t mx = 0;
  ASSERT_EQ(FrequDistOfArray(TDoubleArray{0.5, 3.2}, 0, 1, 0, 2.4, 1, h, u, o, mx), 0);
  EXPECT_EQ(h, (TIntArray{1, 0, 0}));
  EXPECT_EQ(o, 1);
}

TEST(FrequDistOfArray, TwoDimensionalAndMasked) {
  const TDouble2DArray a{{0.5, 1.5}, {1.5, 2.5}, {9, -1}};
  TIntArray h;
  std::int32_t u = 0;
  std::int32_t o = 0;
  std::int32_t mx = 0;
  ASSERT_EQ(FrequDistOfArray(a, 0, 0, 0, 0, 0, 2, 1, h, u, o, mx), 0);  // whole array
  EXPECT_EQ(h, (TIntArray{1, 2, 1}));
  EXPECT_EQ(u, 1);
  EXPECT_EQ(o, 1);
  EXPECT_EQ(mx, 2);
  ASSERT_EQ(FrequDistOfArray(a, 1, 0, 1, 1, 0, 2, 1, h, u, o, mx), 0);
  EXPECT_EQ(h, (TIntArray{0, 1, 1}));
  EXPECT_EQ(FrequDistOfArray(a, 0, 0, 3, 1, 0, 2, 1, h, u, o, mx), -1);
  EXPECT_EQ(FrequDistOfArray(a, 2, 0, 1, 1, 0, 2, 1, h, u, o, mx), -2);
  EXPECT_EQ(FrequDistOfArray(a, 0, 0, 1, 1, 2, 2, 1, h, u, o, mx), -3);
  const TBool2DArray mask{{false, true}, {false, false}, {true, false}};
  ASSERT_EQ(FrequDistOfArray(a, mask, 0, 0, 0, 0, 0, 2, 1, h, u, o, mx), 0);
  EXPECT_EQ(h, (TIntArray{1, 1, 1}));
  EXPECT_EQ(u, 1);
  EXPECT_EQ(o, 0);
  EXPECT_EQ(FrequDistOfArray(a, TBool2DArray{{false}}, 0, 0, 0, 0, 0, 2, 1, h, u, o, mx), -6);
}

}  // namespace
}  // namespace qmx
