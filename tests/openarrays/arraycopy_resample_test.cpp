#include <cmath>
#include <cstdint>
#include <set>

#include <gtest/gtest.h>

#include "arraycopy_test_util.hpp"
#include "qmx/openarrays/openarrays.hpp"

namespace qmx {
namespace {

using test::Make2D;

struct TResampleOut {
  TDouble2DArray B{{0.0}};
  TIntArray Cols{0};
  TIntArray Rows{0};
};

int Resample(const TDouble2DArray& a, TResampleOut& o, double pc, double pr, bool rep) {
  return Resample2DArray(a, o.B, pc, pr, rep, o.Cols, o.Rows);
}

void ExpectCellsFollowIndexes(const TDouble2DArray& a, const TResampleOut& o) {
  ASSERT_EQ(o.B.size(), o.Cols.size());
  for (std::size_t i = 0; i < o.Cols.size(); ++i) {
    ASSERT_EQ(o.B[i].size(), o.Rows.size());
    for (std::size_t j = 0; j < o.Rows.size(); ++j)
      EXPECT_EQ(o.B[i][j], a[static_cast<std::size_t>(o.Cols[i] - 1)][static_cast<std::size_t>(o.Rows[j] - 1)]);
  }
}

TEST(ArrayCopyResample, CodesInTheirOrder) {
  const auto a = Make2D(4, 5);
  TResampleOut o;
  TDouble2DArray emptyB;
  TIntArray emptyIdx;
  EXPECT_EQ(Resample2DArray(TDouble2DArray{}, emptyB, 0.0, 0.0, false, emptyIdx, emptyIdx), -3);
  EXPECT_EQ(Resample2DArray(TDouble2DArray(2), o.B, 50.0, 50.0, false, o.Cols, o.Rows), -3);
  EXPECT_EQ(Resample2DArray(a, emptyB, 0.0, 0.0, false, emptyIdx, emptyIdx), -4);
  EXPECT_EQ(Resample2DArray(a, o.B, 0.0, 0.0, false, emptyIdx, o.Rows), -5);
  EXPECT_EQ(Resample2DArray(a, o.B, 0.0, 0.0, false, o.Cols, emptyIdx), -5);
  EXPECT_EQ(Resample(a, o, 100.1, 0.0, false), -1);
  EXPECT_EQ(Resample(a, o, 10.0, 0.0, false), -1);   // round(0.4) = 0
  EXPECT_EQ(Resample(a, o, -50.0, 0.0, false), -1);
  EXPECT_EQ(Resample(a, o, std::nan(""), 50.0, false), -1);
  EXPECT_EQ(Resample(a, o, 50.0, 100.5, false), -2);
  EXPECT_EQ(Resample(a, o, 50.0, 5.0, false), -2);   // round(0.25) = 0
  EXPECT_EQ(Resample(a, o, 50.0, std::nan(""), true), -2);
  // Nothing was changed by a failing call.
  EXPECT_EQ(o.B, (TDouble2DArray{{0.0}}));
  EXPECT_EQ(o.Cols, TIntArray{0});
  EXPECT_EQ(o.Rows, TIntArray{0});
  // A ragged source cannot be resampled.
  EXPECT_EQ(Resample(TDouble2DArray{{1, 2}, {3}}, o, 100.0, 100.0, true), -3);
}

TEST(ArrayCopyResample, CountsRoundHalfToEven) {
  TResampleOut o;
  SetRandSeed(8);
  ASSERT_EQ(Resample(Make2D(5, 7), o, 50.0, 50.0, false), 0);  // 2.5 -> 2, 3.5 -> 4
  EXPECT_EQ(o.Cols.size(), 2u);
  EXPECT_EQ(o.Rows.size(), 4u);
  ASSERT_EQ(Resample(Make2D(3, 2), o, 50.0, 75.0, false), 0);  // 1.5 -> 2, 1.5 -> 2
  EXPECT_EQ(o.Cols.size(), 2u);
  EXPECT_EQ(o.Rows.size(), 2u);
}

TEST(ArrayCopyResample, HandComputedSelection) {
  // All columns keep their order; the rows follow RowIdx.
  const TDouble2DArray a{{1, 2, 3}, {4, 5, 6}};
  TResampleOut o;
  SetRandSeed(42);
  ASSERT_EQ(Resample(a, o, 100.0, 100.0, false), 0);
  EXPECT_EQ(o.Cols, (TIntArray{1, 2}));
  ASSERT_EQ(o.Rows.size(), 3u);
  EXPECT_EQ(std::set<int>(o.Rows.begin(), o.Rows.end()), (std::set<int>{1, 2, 3}));
  TDouble2DArray expect(2, TDoubleArray(3));
  for (int j = 0; j < 3; ++j) {
    expect[0][j] = 1.0 + (o.Rows[j] - 1);
    expect[1][j] = 4.0 + (o.Rows[j] - 1);
  }
  EXPECT_EQ(o.B, expect);
}

TEST(ArrayCopyResample, RandomSubsetsAreDistinctAndConsistent) {
  const auto a = Make2D(9, 12);
  for (int seed = 0; seed < 30; ++seed) {
    SetRandSeed(static_cast<std::uint64_t>(seed));
    TResampleOut o;
    ASSERT_EQ(Resample(a, o, 40.0, 50.0, seed % 2 == 0), 0);
    ASSERT_EQ(o.Cols.size(), 4u);  // round(3.6)
    ASSERT_EQ(o.Rows.size(), 6u);
    EXPECT_EQ(std::set<int>(o.Cols.begin(), o.Cols.end()).size(), 4u);
    for (int c : o.Cols) EXPECT_TRUE(c >= 1 && c <= 9);
    for (int r : o.Rows) EXPECT_TRUE(r >= 1 && r <= 12);
    if (seed % 2 != 0) {
      EXPECT_EQ(std::set<int>(o.Rows.begin(), o.Rows.end()).size(), 6u);
    }
    ExpectCellsFollowIndexes(a, o);
  }
}

TEST(ArrayCopyResample, SeededRunsRepeatAndRepetitionsOccur) {
  const auto a = Make2D(6, 6);
  TResampleOut o1, o2;
  SetRandSeed(11);
  ASSERT_EQ(Resample(a, o1, 50.0, 100.0, true), 0);
  SetRandSeed(11);
  ASSERT_EQ(Resample(a, o2, 50.0, 100.0, true), 0);
  EXPECT_EQ(o1.B, o2.B);
  EXPECT_EQ(o1.Cols, o2.Cols);
  EXPECT_EQ(o1.Rows, o2.Rows);

  // Drawing 6 of 6 rows with repetitions repeats a row in most runs.
  int withRepeat = 0;
  for (int trial = 0; trial < 50; ++trial) {
    ASSERT_EQ(Resample(a, o1, 100.0, 100.0, true), 0);
    if (std::set<int>(o1.Rows.begin(), o1.Rows.end()).size() < 6) ++withRepeat;
  }
  EXPECT_GT(withRepeat, 40);

  // Picking one column of two picks each of them sometimes.
  std::set<int> picked;
  for (int trial = 0; trial < 40; ++trial) {
    ASSERT_EQ(Resample(Make2D(2, 3), o1, 50.0, 100.0, false), 0);
    picked.insert(o1.Cols[0]);
  }
  EXPECT_EQ(picked, (std::set<int>{1, 2}));
}

}  // namespace
}  // namespace qmx
