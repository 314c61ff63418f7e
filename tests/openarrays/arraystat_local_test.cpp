#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "qmx/openarrays/openarrays.hpp"

namespace qmx {
namespace {

TEST(PearsonCorrCoeffColsOfArray, AgainstClosedForms) {
  const TDouble2DArray a{{1, 2, 3, 4}, {2, 4, 6, 8}, {4, 3, 2, 1}, {5, 5, 5, 5}};
  EXPECT_NEAR(PearsonCorrCoeffColsOfArray(a, 0, 1), 1.0, 1e-15);
  EXPECT_NEAR(PearsonCorrCoeffColsOfArray(a, 0, 2), -1.0, 1e-15);
  EXPECT_EQ(PearsonCorrCoeffColsOfArray(a, 0, 3), 0.0);                               // no spread
  EXPECT_EQ(PearsonCorrCoeffColsOfArray(TDouble2DArray{{1, 2}, {2, 1}}, 0, 1), 0.0);  // n < 3
  EXPECT_EQ(PearsonCorrCoeffColsOfArray(a, 0, 4), 0.0);
  const TDouble2DArray b{{1, 2, 3, 5}, {1, 3, 2, 4}};
  // r = Sxy / sqrt(Sxx Syy) with Sxx = 8.75, Syy = 5, Sxy = 5.5
  EXPECT_NEAR(PearsonCorrCoeffColsOfArray(b, 0, 1), 5.5 / std::sqrt(8.75 * 5.0), 1e-14);
}

TEST(DistanceOfObjects, ModesAndCodes) {
  const TDouble2DArray a{{0, 3}, {0, 4}};  // rows (0, 0) and (3, 4)
  double d = 1.0;
  ASSERT_EQ(DistanceOfObjects(a, TDistMode::dmEuclid, 0, 1, 0, 1, d), 0);
  EXPECT_DOUBLE_EQ(d, 5.0);
  ASSERT_EQ(DistanceOfObjects(a, TDistMode::dmEuclidSq, 0, 1, 0, 1, d), 0);
  EXPECT_DOUBLE_EQ(d, 25.0);
  ASSERT_EQ(DistanceOfObjects(a, TDistMode::dmManhattan, 0, 1, 0, 1, d), 0);
  EXPECT_DOUBLE_EQ(d, 7.0);
  const TDouble2DArray b{{1, 2}, {2, 1}, {0, 1}};  // rows (1, 2, 0) and (2, 1, 1)
  ASSERT_EQ(DistanceOfObjects(b, TDistMode::dmTanimoto, 0, 1, 0, 2, d), 0);
  EXPECT_DOUBLE_EQ(d, 4.0 / (5.0 + 6.0 - 4.0));
  ASSERT_EQ(DistanceOfObjects(b, TDistMode::dmDice, 0, 1, 0, 2, d), 0);
  EXPECT_DOUBLE_EQ(d, 8.0 / 11.0);
  ASSERT_EQ(DistanceOfObjects(TDouble2DArray{{0, 0}}, TDistMode::dmDice, 0, 1, 0, 0, d), 0);
  EXPECT_EQ(d, 0.0);  // two zero objects
  d = 1.0;
  EXPECT_EQ(DistanceOfObjects(a, TDistMode::dmUser, 0, 1, 0, 1, d), -1);
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(DistanceOfObjects(a, TDistMode::dmEuclid, 0, 2, 0, 1, d), -2);
  EXPECT_EQ(DistanceOfObjects(a, TDistMode::dmEuclid, 0, 1, 0, 2, d), -3);
  EXPECT_EQ(DistanceOfObjects(a, TDistMode::dmEuclid, 0, 1, 1, 0, d), -4);
  // later checks overwrite earlier codes
  EXPECT_EQ(DistanceOfObjects(a, TDistMode::dmUser, 5, 1, 1, 0, d), -4);
  EXPECT_EQ(DistanceOfObjects(a, TDistMode::dmUser, 5, 1, 0, 1, d), -2);
}

TEST(LocalMeanMedian, NeighbourhoodWithinLimits) {
  const TDoubleArray a{10, 1, 2, 3, 50, 4};
  // centre 2, radius 2, limits 1..4: cells 1..4 -> 1, 2, 3, 50
  EXPECT_DOUBLE_EQ(LocalMean(a, 2, 2, 1, 4), 14.0);
  EXPECT_DOUBLE_EQ(LocalMedian(a, 2, 2, 1, 4), 2.5);
  EXPECT_DOUBLE_EQ(LocalMedian(a, 2, 1, 0, 5), 2.0);
  // centre is always taken; clamping of out-of-range arguments
  EXPECT_DOUBLE_EQ(LocalMean(a, 99, 1, 0, 99), 27.0);
  EXPECT_DOUBLE_EQ(LocalMean(a, 0, 0, 3, 3), 10.0);
  EXPECT_EQ(LocalMean(TDoubleArray{}, 0, 1, 0, 0), 0.0);
  EXPECT_EQ(LocalMedian(TIntArray{}, 0, 1, 0, 0), 0.0);
  EXPECT_DOUBLE_EQ(LocalMedian(TIntArray{5, 1, 9, 7}, 1, 5, -3, 99), 6.0);
  EXPECT_DOUBLE_EQ(LocalMean(TIntArray{5, 1, 9, 7}, 1, 5, -3, 99), 5.5);
}

TEST(CheckLinearity, BreaksOfTheStep) {
  TIntArray breaks{42};
  EXPECT_EQ(CheckLinearity(TIntArray{1, 2, 3, 5, 7}, breaks), 1);
  EXPECT_EQ(breaks, TIntArray{2});
  EXPECT_EQ(CheckLinearity(TIntArray{1, 2}, breaks), 0);
  EXPECT_EQ(breaks, TIntArray{2});  // left alone
  EXPECT_EQ(CheckLinearity(TIntArray{0, 1, 2, 3}, breaks), 0);
  EXPECT_TRUE(breaks.empty());
  // steps that overflow 32 bits are still compared exactly
  EXPECT_EQ(CheckLinearity(TIntArray{-2147483647 - 1, 0, 2147483647}, breaks), 1);
  EXPECT_EQ(breaks, TIntArray{1});
  EXPECT_EQ(CheckLinearity(TDoubleArray{0, 1, 2.05, 3, 5}, 0.1, breaks), 1);
  EXPECT_EQ(breaks, TIntArray{3});
  TIntArray many(400);
  for (std::size_t i = 0; i < many.size(); ++i) {
    many[i] = static_cast<std::int32_t>(i * i);
  }
  EXPECT_EQ(CheckLinearity(many, breaks), 398);
  EXPECT_EQ(breaks.size(), 398u);
  EXPECT_EQ(breaks.back(), 398);
}

TEST(Monotony, DirectionAndStrictness) {
  EXPECT_TRUE(IsMonotone(TDoubleArray{1, 1, 2, 3, 3}));
  EXPECT_TRUE(IsMonotone(TDoubleArray{3, 3, 1}));
  EXPECT_FALSE(IsMonotone(TDoubleArray{1, 2, 1}));
  EXPECT_TRUE(IsMonotone(TIntArray{5, 1}));
  EXPECT_FALSE(IsMonotone(TIntArray{0, 0, 1, 0}));
  EXPECT_FALSE(IsMonotone(TDoubleArray{1, std::nan(""), 0}));
  EXPECT_TRUE(IsStrictlyMonotone(TDoubleArray{3, 2, 1}));
  EXPECT_FALSE(IsStrictlyMonotone(TDoubleArray{3, 3, 1}));
  EXPECT_FALSE(IsStrictlyMonotone(TIntArray{1, 2, 2}));
  EXPECT_TRUE(IsStrictlyMonotone(TIntArray{1, 1}));  // fewer than 3 cells
  EXPECT_TRUE(IsStrictlyMonotone(TIntArray{-2147483647 - 1, 0, 2147483647}));
}

TEST(IsDichotomous, TwoValuesOrdered) {
  double v1 = 9.0;
  double v2 = 9.0;
  EXPECT_TRUE(IsDichotomous(TDoubleArray{2, 1, 2, 1}, v1, v2));
  EXPECT_EQ(v1, 1.0);
  EXPECT_EQ(v2, 2.0);
  EXPECT_FALSE(IsDichotomous(TDoubleArray{3, 3}, v1, v2));
  EXPECT_FALSE(IsDichotomous(TDoubleArray{1, 2, 3}, v1, v2));
  EXPECT_FALSE(IsDichotomous(TDoubleArray{1}, v1, v2));
  EXPECT_EQ(v1, 0.0);
  EXPECT_EQ(v2, 0.0);
  EXPECT_FALSE(IsDichotomous(TDoubleArray{std::nan(""), std::nan("")}, v1, v2));
  std::int32_t i1 = 0;
  std::int32_t i2 = 0;
  EXPECT_TRUE(IsDichotomous(TIntArray{0, -4, 0}, i1, i2));
  EXPECT_EQ(i1, -4);
  EXPECT_EQ(i2, 0);
}

TEST(LocalMeanMedian, MedianOfHugeMiddleCellsDoesNotOverflow) {
  const double big = std::numeric_limits<double>::max();
  EXPECT_EQ(LocalMedian(TDoubleArray{big, big}, 0, 1, 0, 1), big);
  EXPECT_EQ(LocalMedian(TDoubleArray{-big, -big, 1.0, big}, 1, 1, 0, 3), -big);
  EXPECT_EQ(LocalMedian(TDoubleArray{-big, big}, 0, 1, 0, 1), 0.0);
}

}  // namespace
}  // namespace qmx
