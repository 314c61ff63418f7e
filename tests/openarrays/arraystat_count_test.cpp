#include <gtest/gtest.h>

#include "qmx/openarrays/openarrays.hpp"

namespace qmx {
namespace {

TEST(CountValues, OneDimensionalCodes) {
  const TDoubleArray a{1, 2, 3, 4, 5};
  EXPECT_EQ(CountValues(a, 0, 4, 2, 4), 3);
  EXPECT_EQ(CountValues(a, 1, 2, 0, 10), 2);
  EXPECT_EQ(CountValues(TDoubleArray{}, 0, 0, 0, 1), -1);
  EXPECT_EQ(CountValues(a, 0, 5, 0, 1), -2);
  EXPECT_EQ(CountValues(a, 3, 2, 0, 1), -2);
  EXPECT_EQ(CountValues(a, 0, 4, 2, 1), -2);
  EXPECT_EQ(CountValues(TIntArray{-3, 0, 3}, 0, 2, -3, 0), 2);
}

TEST(CountValues, PairOrderInEveryRank) {
  const TInt2DArray a{{1, 2, 3}, {4, 5, 6}};
  // pair order: columns 1..1, rows 0..1 -> 4, 5
  EXPECT_EQ(CountValues(a, 1, 1, 0, 1, 0, 100), 2);
  EXPECT_EQ(CountValues(a, 0, 1, 0, 2, 3, 4), 2);
  EXPECT_EQ(CountValues(a, 0, 2, 0, 1, 0, 100), -2);
  EXPECT_EQ(CountValues(a, 0, 1, 0, 3, 0, 100), -2);
  EXPECT_EQ(CountValues(TInt2DArray{{}}, 0, 0, 0, 0, 0, 1), -1);
  TDouble3DArray b(2, TDouble2DArray(3, TDoubleArray(4, 1.0)));
  b[1][2][3] = 5.0;
  EXPECT_EQ(CountValues(b, 0, 1, 0, 2, 0, 3, 2.0, 6.0), 1);
  EXPECT_EQ(CountValues(b, 0, 1, 0, 2, 0, 3, 0.0, 6.0), 24);
  EXPECT_EQ(CountValues(b, 0, 1, 0, 2, 0, 4, 0.0, 6.0), -2);
  EXPECT_EQ(CountValues(b, 0, 1, 2, 0, 0, 3, 0.0, 6.0), -2);
  TInt4DArray c(1, TInt3DArray(2, TInt2DArray(2, TIntArray(2, 7))));
  EXPECT_EQ(CountValues(c, 0, 0, 0, 1, 0, 1, 0, 1, 7, 7), 8);
  EXPECT_EQ(CountValues(c, 0, 0, 0, 1, 0, 1, 1, 1, 7, 7), 4);
  EXPECT_EQ(CountValues(c, 0, 1, 0, 1, 0, 1, 0, 1, 7, 7), -2);
  EXPECT_EQ(CountValues(TInt4DArray{}, 0, 0, 0, 0, 0, 0, 0, 0, 7, 7), -1);
}

TEST(CountValues, RaggedSubArraysAreRangeErrors) {
  // the second column's second row holds only one layer: a block over two
  // layers does not fit there and is refused instead of read past the end
  TDouble3DArray a{{{1, 1}, {1, 1}}, {{1, 1}, {1}}};
  EXPECT_EQ(CountValues(a, 0, 1, 0, 1, 0, 1, 0.0, 2.0), -2);
  EXPECT_EQ(CountValues(a, 0, 1, 0, 1, 0, 0, 0.0, 2.0), 4);
  EXPECT_EQ(CountValues(a, 0, 1, 0, 0, 0, 1, 0.0, 2.0), 4);
}

TEST(CountTrueCellsOfArray, WholeAndBlock) {
  EXPECT_EQ(CountTrueCellsOfArray(TBoolArray{true, false, true}), 2);
  const TBool2DArray a{{true, false, true}, {true, true, false}};
  EXPECT_EQ(CountTrueCellsOfArray(a), 4);
  EXPECT_EQ(CountTrueCellsOfArray(a, 0, 0, 0, 0), 4);  // (0, 0) pairs: whole dimensions
  EXPECT_EQ(CountTrueCellsOfArray(a, 1, 1, 0, 0), 2);
  EXPECT_EQ(CountTrueCellsOfArray(a, 1, 0, 2, 1), 2);  // pairs are ordered
  EXPECT_EQ(CountTrueCellsOfArray(a, 0, 2, 0, 0), -2);
  EXPECT_EQ(CountTrueCellsOfArray(a, 0, 1, -1, 1), -2);
  EXPECT_EQ(CountTrueCellsOfArray(TBool2DArray{}, 0, 0, 0, 0), -1);
}

TEST(SumArrayMasked, MaskSkipsTrueCells) {
  const TDouble2DArray a{{1, 2}, {3, 4}};
  double s = 99.0;
  EXPECT_EQ(SumArrayMasked(a, TBool2DArray{}, s), 4);
  EXPECT_EQ(s, 10.0);
  EXPECT_EQ(SumArrayMasked(a, TBool2DArray{{true, false}, {false, true}}, s), 2);
  EXPECT_EQ(s, 5.0);
  s = 99.0;
  EXPECT_EQ(SumArrayMasked(a, TBool2DArray{{true}, {false, true}}, s), -1);
  EXPECT_EQ(s, 0.0);
  EXPECT_EQ(SumArrayMasked(TDouble2DArray{}, TBool2DArray{}, s), -2);
  std::int64_t is = 0;
  const TInt2DArray big{{2147483647, 2147483647}, {2147483647, 1}};
  EXPECT_EQ(SumArrayMasked(big, TBool2DArray{}, is), 4);
  EXPECT_EQ(is, 3 * std::int64_t{2147483647} + 1);
}

TEST(SumOfSquaredDiffs, VectorsAndColumn) {
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{1, 2, 3}, TDoubleArray{1, 4, 0}), 13.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{}, TDoubleArray{1}), -1.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{1, 2}, TDoubleArray{1}), -2.0);
  const TDouble2DArray m{{0, 0}, {1, 1}};
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{2, 3}, m, 1), 5.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{2, 3, 4}, m, 1), -2.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{2, 3}, m, 2), -3.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{2, 3}, m, -1), -3.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{2, 3}, TDouble2DArray{}, 0), -1.0);
  EXPECT_EQ(SumOfSquaredDiffs(TDoubleArray{2, 3}, TDouble2DArray{{0, 0}, {1}}, 1), -2.0);
}

}  // namespace
}  // namespace qmx
