#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "arraycopy_test_util.hpp"
#include "qmx/openarrays/openarrays.hpp"

namespace qmx {
namespace {

using test::Make1D;
using test::Make2D;
using test::Make3D;
using test::Make4D;
using test::Pick;

// ---- whole arrays ----

TEST(ArrayCopyBlock, Whole1DCodesLeaveTargetUnchanged) {
  const TDoubleArray a{1.0, 2.0, 3.0};
  TDoubleArray b{9.0, 9.0, 9.0, 9.0};
  EXPECT_EQ(CopyArray(a, 2, b), -2);
  EXPECT_EQ(CopyArray(a, -1, b), -2);
  EXPECT_EQ(CopyArray(a, 4, b), -2);
  EXPECT_EQ(b, (TDoubleArray{9.0, 9.0, 9.0, 9.0}));
  EXPECT_EQ(CopyArray(TDoubleArray{}, 0, b), -1);
  TDoubleArray empty;
  EXPECT_EQ(CopyArray(a, 0, empty), -1);
  ASSERT_EQ(CopyArray(a, 1, b), 0);
  EXPECT_EQ(b, (TDoubleArray{9.0, 1.0, 2.0, 3.0}));

  TIntArray bi{0, 0};
  ASSERT_EQ(CopyArray(TIntArray{5}, 1, bi), 0);
  EXPECT_EQ(bi, (TIntArray{0, 5}));
  TBoolArray bb{false, false, false};
  ASSERT_EQ(CopyArray(TBoolArray{true, true}, 0, bb), 0);
  EXPECT_EQ(bb, (TBoolArray{true, true, false}));
  EXPECT_EQ(CopyArray(TBoolArray{true, true}, 2, bb), -2);
}

TEST(ArrayCopyBlock, Whole2DTo4DMatchNaiveLoops) {
  int copied = 0, rejected = 0;
  for (int round = 0; round < 40; ++round) {
    std::array<int, 4> na{}, nb{}, d{};
    for (int k = 0; k < 4; ++k) {
      na[k] = Pick(1, 3);
      nb[k] = Pick(na[k], 5);
      d[k] = Pick(0, nb[k] - na[k]);
    }
    if (round % 3 == 0) {  // spoil one index: negative, beyond B, or too close to the end
      const int k = Pick(0, 3);
      const int how = Pick(0, 2);
      d[k] = how == 0 ? -1 : how == 1 ? nb[k] : nb[k] - na[k] + 1;
    }
    auto fits = [&](int dims) {
      for (int k = 0; k < dims; ++k)
        if (d[k] < 0 || d[k] >= nb[k] || d[k] + na[k] > nb[k]) return false;
      return true;
    };
    {  // 2-D
      const auto a = Make2D(na[0], na[1], 0.5);
      auto b = Make2D(nb[0], nb[1], -1e7);
      auto expect = b;
      const bool ok = fits(2);
      ASSERT_EQ(CopyArray(a, d[0], d[1], b), ok ? 0 : -2);
      if (ok)
        for (int i = 0; i < na[0]; ++i)
          for (int j = 0; j < na[1]; ++j) expect[d[0] + i][d[1] + j] = a[i][j];
      EXPECT_EQ(b, expect);
    }
    {  // 3-D, integer
      const auto a = test::ToInt(Make3D(na[0], na[1], na[2], 1.0));
      auto b = test::ToInt(Make3D(nb[0], nb[1], nb[2], -500000.0));
      auto expect = b;
      const bool ok = fits(3);
      ASSERT_EQ(CopyArray(a, d[0], d[1], d[2], b), ok ? 0 : -2);
      if (ok)
        for (int i = 0; i < na[0]; ++i)
          for (int j = 0; j < na[1]; ++j)
            for (int k = 0; k < na[2]; ++k) expect[d[0] + i][d[1] + j][d[2] + k] = a[i][j][k];
      EXPECT_EQ(b, expect);
    }
    {  // 4-D
      const auto a = Make4D(na[0], na[1], na[2], na[3], 0.25);
      auto b = Make4D(nb[0], nb[1], nb[2], nb[3], -1e8);
      auto expect = b;
      const bool ok = fits(4);
      ASSERT_EQ(CopyArray(a, d[0], d[1], d[2], d[3], b), ok ? 0 : -2);
      if (ok)
        for (int i = 0; i < na[0]; ++i)
          for (int j = 0; j < na[1]; ++j)
            for (int k = 0; k < na[2]; ++k)
              for (int l = 0; l < na[3]; ++l) expect[d[0] + i][d[1] + j][d[2] + k][d[3] + l] = a[i][j][k][l];
      EXPECT_EQ(b, expect);
      ++(ok ? copied : rejected);
    }
  }
  EXPECT_GT(copied, 10);
  EXPECT_GT(rejected, 5);
}

TEST(ArrayCopyBlock, Whole2DEmptyAndRaggedTargets) {
  TDouble2DArray b = Make2D(3, 3);
  EXPECT_EQ(CopyArray(TDouble2DArray{{}}, 0, 0, b), -1);
  TDouble2DArray emptyRows(2);
  EXPECT_EQ(CopyArray(Make2D(1, 1), 0, 0, emptyRows), -1);
  // A short column of B inside the target area makes the copy invalid.
  TDouble2DArray ragged{{0, 0, 0}, {0}, {0, 0, 0}};
  const auto before = ragged;
  EXPECT_EQ(CopyArray(Make2D(2, 2), 0, 1, ragged), -2);
  EXPECT_EQ(ragged, before);
  ASSERT_EQ(CopyArray(Make2D(1, 2), 2, 1, ragged), 0);
  EXPECT_EQ(ragged[2], (TDoubleArray{0, 0, 1}));
  TBool2DArray mb(2, TBoolArray(2, false));
  ASSERT_EQ(CopyArray(TBool2DArray{{true}}, 1, 1, mb), 0);
  EXPECT_EQ(mb, (TBool2DArray{{false, false}, {false, true}}));
  EXPECT_EQ(CopyArray(TBool2DArray{{true}}, 2, 0, mb), -2);
}

// ---- source blocks ----

TEST(ArrayCopyBlock, Ranged1DCodesAndOverlap) {
  TDoubleArray b(5, -1.0);
  const auto a = Make1D(4, 10.0);
  EXPECT_EQ(CopyArray(a, -1, 2, 0, b), -2);
  EXPECT_EQ(CopyArray(a, 0, 4, 0, b), -2);
  EXPECT_EQ(CopyArray(a, 2, 1, 0, b), -2);
  EXPECT_EQ(CopyArray(a, 0, 2, 5, b), -2);
  EXPECT_EQ(CopyArray(a, 0, 2, -1, b), -2);
  EXPECT_EQ(CopyArray(a, 0, 3, 2, b), -2);
  EXPECT_EQ(b, TDoubleArray(5, -1.0));
  EXPECT_EQ(CopyArray(TDoubleArray{}, 0, 0, 0, b), -1);
  ASSERT_EQ(CopyArray(a, 1, 3, 2, b), 0);
  EXPECT_EQ(b, (TDoubleArray{-1, -1, 11, 12, 13}));

  // Overlapping blocks within one array behave as if copied through a buffer.
  TIntArray s{1, 2, 3, 4, 5};
  ASSERT_EQ(CopyArray(s, 0, 3, 1, s), 0);
  EXPECT_EQ(s, (TIntArray{1, 1, 2, 3, 4}));
  s = {1, 2, 3, 4, 5};
  ASSERT_EQ(CopyArray(s, 1, 4, 0, s), 0);
  EXPECT_EQ(s, (TIntArray{2, 3, 4, 5, 5}));
}

TEST(ArrayCopyBlock, Ranged2DMatchesNaiveLoop) {
  int copied = 0, rejected = 0;
  for (int round = 0; round < 80; ++round) {
    const int a1 = Pick(1, 6), a2 = Pick(1, 6), b1 = Pick(1, 6), b2 = Pick(1, 6);
    int lo1, hi1, lo2, hi2, d1, d2;
    if (round % 2 == 0) {  // anything, mostly invalid
      lo1 = Pick(-1, a1), hi1 = Pick(lo1 - 1, a1), lo2 = Pick(-1, a2), hi2 = Pick(lo2 - 1, a2);
      d1 = Pick(-1, b1), d2 = Pick(-1, b2);
    } else {  // a block that fits
      lo1 = Pick(0, a1 - 1), hi1 = Pick(lo1, std::min(a1 - 1, lo1 + b1 - 1));
      lo2 = Pick(0, a2 - 1), hi2 = Pick(lo2, std::min(a2 - 1, lo2 + b2 - 1));
      d1 = Pick(0, b1 - (hi1 - lo1 + 1)), d2 = Pick(0, b2 - (hi2 - lo2 + 1));
    }
    const auto a = Make2D(a1, a2, 0.5);
    auto b = Make2D(b1, b2, -1e6);
    auto expect = b;
    const bool srcOk = lo1 >= 0 && lo1 <= hi1 && hi1 < a1 && lo2 >= 0 && lo2 <= hi2 && hi2 < a2;
    const bool ok = srcOk && d1 >= 0 && d1 < b1 && d2 >= 0 && d2 < b2 && b1 >= hi1 - lo1 + 1 + d1 &&
                    b2 >= hi2 - lo2 + 1 + d2;
    ASSERT_EQ(CopyArray(a, lo1, lo2, hi1, hi2, d1, d2, b), ok ? 0 : -2)
        << lo1 << " " << lo2 << " " << hi1 << " " << hi2 << " -> " << d1 << " " << d2;
    if (ok)
      for (int i = 0; i <= hi1 - lo1; ++i)
        for (int j = 0; j <= hi2 - lo2; ++j) expect[d1 + i][d2 + j] = a[lo1 + i][lo2 + j];
    EXPECT_EQ(b, expect);
    ++(ok ? copied : rejected);
  }
  EXPECT_GE(copied, 40);
  EXPECT_GT(rejected, 20);
}

TEST(ArrayCopyBlock, Ranged2DEmptyArraysAndSelfOverlap) {
  auto b = test::ToInt(Make2D(3, 3));
  EXPECT_EQ(CopyArray(TInt2DArray{{}}, 0, 0, 0, 0, 0, 0, b), -1);
  TInt2DArray noRows(3);
  EXPECT_EQ(CopyArray(b, 0, 0, 0, 0, 0, 0, noRows), -1);
  EXPECT_EQ(CopyArray(TInt2DArray{}, 0, 0, 0, 0, 0, 0, b), -1);

  // Shift a 2x2 block one cell down and right within the same array.
  auto s = test::ToInt(Make2D(3, 3));
  const auto orig = s;
  ASSERT_EQ(CopyArray(s, 0, 0, 1, 1, 1, 1, s), 0);
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j) EXPECT_EQ(s[1 + i][1 + j], orig[i][j]);
  EXPECT_EQ(s[0], orig[0]);
}

// The rule of the 2-D block copy applied to each dimension of a 3-D or 4-D block:
// any single bound made invalid gives -2 and leaves B unchanged.
template <class Arr, std::size_t R, class Call>
void CheckEachBoundRule(const std::array<int, R>& shapeA, const std::array<int, R>& shapeB, Call call) {
  std::array<int, R> lo{}, hi{}, dest{};
  for (std::size_t k = 0; k < R; ++k) {
    lo[k] = 1;
    hi[k] = shapeA[k] - 1;  // extent shapeA - 1
    dest[k] = shapeB[k] - (hi[k] - lo[k] + 1);  // flush with the end of B
  }
  ASSERT_EQ(call(lo, hi, dest), 0);
  for (std::size_t k = 0; k < R; ++k) {
    auto l = lo, h = hi, d = dest;
    l[k] = -1;
    EXPECT_EQ(call(l, h, d), -2) << "negative low bound, dim " << k;
    l = lo;
    h[k] = shapeA[k];
    EXPECT_EQ(call(l, h, d), -2) << "high bound beyond A, dim " << k;
    h = hi;
    h[k] = lo[k] - 1;
    EXPECT_EQ(call(l, h, d), -2) << "high below low, dim " << k;
    h = hi;
    d[k] = dest[k] + 1;
    EXPECT_EQ(call(l, h, d), -2) << "block beyond B, dim " << k;
    d[k] = -1;
    EXPECT_EQ(call(l, h, d), -2) << "negative destination, dim " << k;
    d[k] = shapeB[k];
    EXPECT_EQ(call(l, h, d), -2) << "destination beyond B, dim " << k;
  }
}

TEST(ArrayCopyBlock, Ranged3DAnd4DFollowThe2DRule) {
  {
    const auto a = Make3D(3, 4, 5, 1.0);
    const auto bInit = Make3D(4, 4, 6, -1e6);
    CheckEachBoundRule<TDouble3DArray, 3>({3, 4, 5}, {4, 4, 6}, [&](auto lo, auto hi, auto d) {
      auto b = bInit;
      const int res = CopyArray(a, lo[0], lo[1], lo[2], hi[0], hi[1], hi[2], d[0], d[1], d[2], b);
      if (res != 0) {
        EXPECT_EQ(b, bInit);
      }
      return res;
    });
  }
  {
    const auto a = test::ToInt(Make4D(3, 2, 3, 4, 1.0));
    const auto bInit = test::ToInt(Make4D(3, 3, 3, 5, -5e7));
    CheckEachBoundRule<TInt4DArray, 4>({3, 2, 3, 4}, {3, 3, 3, 5}, [&](auto lo, auto hi, auto d) {
      auto b = bInit;
      const int res = CopyArray(a, lo[0], lo[1], lo[2], lo[3], hi[0], hi[1], hi[2], hi[3], d[0], d[1], d[2], d[3], b);
      if (res != 0) {
        EXPECT_EQ(b, bInit);
      }
      return res;
    });
    TInt4DArray empty{{{{}}}};
    auto b = bInit;
    EXPECT_EQ(CopyArray(empty, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, b), -1);
    EXPECT_EQ(CopyArray(a, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, empty), -1);
  }
}

TEST(ArrayCopyBlock, Ranged3DAnd4DMatchNaiveLoops) {
  for (int round = 0; round < 25; ++round) {
    const int n1 = Pick(1, 4), n2 = Pick(1, 4), n3 = Pick(1, 4), n4 = Pick(1, 3);
    const int lo1 = Pick(0, n1 - 1), lo2 = Pick(0, n2 - 1), lo3 = Pick(0, n3 - 1), lo4 = Pick(0, n4 - 1);
    const int hi1 = Pick(lo1, n1 - 1), hi2 = Pick(lo2, n2 - 1), hi3 = Pick(lo3, n3 - 1), hi4 = Pick(lo4, n4 - 1);
    const int m1 = Pick(hi1 - lo1 + 1, 5), m2 = Pick(hi2 - lo2 + 1, 5), m3 = Pick(hi3 - lo3 + 1, 5),
              m4 = Pick(hi4 - lo4 + 1, 4);
    const int d1 = Pick(0, m1 - (hi1 - lo1 + 1)), d2 = Pick(0, m2 - (hi2 - lo2 + 1)),
              d3 = Pick(0, m3 - (hi3 - lo3 + 1)), d4 = Pick(0, m4 - (hi4 - lo4 + 1));
    {
      const auto a = Make3D(n1, n2, n3, 0.5);
      auto b = Make3D(m1, m2, m3, -1e6);
      auto expect = b;
      ASSERT_EQ(CopyArray(a, lo1, lo2, lo3, hi1, hi2, hi3, d1, d2, d3, b), 0);
      for (int i = lo1; i <= hi1; ++i)
        for (int j = lo2; j <= hi2; ++j)
          for (int k = lo3; k <= hi3; ++k) expect[d1 + i - lo1][d2 + j - lo2][d3 + k - lo3] = a[i][j][k];
      EXPECT_EQ(b, expect);
    }
    {
      const auto a = Make4D(n1, n2, n3, n4, 0.5);
      auto b = Make4D(m1, m2, m3, m4, -1e8);
      auto expect = b;
      ASSERT_EQ(CopyArray(a, lo1, lo2, lo3, lo4, hi1, hi2, hi3, hi4, d1, d2, d3, d4, b), 0);
      for (int i = lo1; i <= hi1; ++i)
        for (int j = lo2; j <= hi2; ++j)
          for (int k = lo3; k <= hi3; ++k)
            for (int l = lo4; l <= hi4; ++l)
              expect[d1 + i - lo1][d2 + j - lo2][d3 + k - lo3][d4 + l - lo4] = a[i][j][k][l];
      EXPECT_EQ(b, expect);
    }
  }
}

TEST(ArrayCopyBlock, RaggedSourceBlockIsRejected) {
  const TDouble2DArray a{{1, 2, 3}, {4}, {5, 6, 7}};
  auto b = Make2D(3, 3);
  const auto before = b;
  EXPECT_EQ(CopyArray(a, 0, 1, 2, 2, 0, 0, b), -2);  // column 1 has no row 1
  EXPECT_EQ(b, before);
  ASSERT_EQ(CopyArray(a, 0, 0, 2, 0, 0, 2, b), 0);  // row 0 exists everywhere
  EXPECT_EQ(b[0][2], 1.0);
  EXPECT_EQ(b[1][2], 4.0);
  EXPECT_EQ(b[2][2], 5.0);
}

// ---- columns and rows ----

TEST(ArrayCopyBlock, CopyArrayColumnAndRow) {
  const auto a = Make2D(3, 4);
  TDoubleArray b{42.0};
  EXPECT_EQ(CopyArrayColumn(TDouble2DArray{}, 0, 0, 0, b), -1);
  EXPECT_EQ(CopyArrayColumn(a, 0, -1, 2, b), -2);
  EXPECT_EQ(CopyArrayColumn(a, 0, 2, 1, b), -2);
  EXPECT_EQ(CopyArrayColumn(a, 0, 0, 4, b), -2);
  EXPECT_EQ(CopyArrayColumn(a, 3, 0, 1, b), -3);
  EXPECT_EQ(CopyArrayColumn(a, -1, 0, 1, b), -3);
  EXPECT_EQ(b, TDoubleArray{42.0});
  ASSERT_EQ(CopyArrayColumn(a, 2, 1, 3, b), 0);
  EXPECT_EQ(b, (TDoubleArray{201, 202, 203}));

  EXPECT_EQ(CopyArrayRow(a, 0, -1, 1, b), -2);
  EXPECT_EQ(CopyArrayRow(a, 0, 1, 0, b), -2);
  EXPECT_EQ(CopyArrayRow(a, 0, 0, 3, b), -2);
  EXPECT_EQ(CopyArrayRow(a, 4, 0, 1, b), -3);
  EXPECT_EQ(CopyArrayRow(a, -1, 0, 1, b), -3);
  ASSERT_EQ(CopyArrayRow(a, 3, 0, 2, b), 0);
  EXPECT_EQ(b, (TDoubleArray{3, 103, 203}));

  const TBool2DArray m{{true, false}, {false, true}};
  TBoolArray mb;
  ASSERT_EQ(CopyArrayRow(m, 1, 0, 1, mb), 0);
  EXPECT_EQ(mb, (TBoolArray{false, true}));
  ASSERT_EQ(CopyArrayColumn(m, 0, 0, 1, mb), 0);
  EXPECT_EQ(mb, (TBoolArray{true, false}));
  TIntArray ib;
  ASSERT_EQ(CopyArrayRow(TInt2DArray{{1, 2}, {3, 4}, {5, 6}}, 1, 1, 2, ib), 0);
  EXPECT_EQ(ib, (TIntArray{4, 6}));

  // The target may be a column of the source itself.
  TInt2DArray s{{1, 2, 3}, {4, 5, 6}};
  ASSERT_EQ(CopyArrayColumn(s, 0, 1, 2, s[0]), 0);
  EXPECT_EQ(s[0], (TIntArray{2, 3}));
  // A ragged source: the short column cannot give row 2.
  EXPECT_EQ(CopyArrayRow(TInt2DArray{{1, 2, 3}, {4}}, 2, 0, 1, ib), -3);
}

TEST(ArrayCopyBlock, Copy2DColAndRowInto1DAreCutAtTheEnd) {
  const auto a = Make2D(3, 4);
  TDoubleArray b(4, -1.0);
  EXPECT_EQ(Copy2DColTo1DArray(TDouble2DArray{}, 0, 0, 1, b, 0), -1);
  EXPECT_EQ(Copy2DColTo1DArray(a, 0, 2, 1, b, 0), -2);
  EXPECT_EQ(Copy2DColTo1DArray(a, 5, 0, 1, b, 0), -3);
  EXPECT_EQ(Copy2DColTo1DArray(a, 0, 0, 1, b, 4), -4);
  EXPECT_EQ(Copy2DColTo1DArray(a, 0, 0, 1, b, -1), -4);
  EXPECT_EQ(b, TDoubleArray(4, -1.0));
  ASSERT_EQ(Copy2DColTo1DArray(a, 1, 0, 3, b, 2), 0);
  EXPECT_EQ(b, (TDoubleArray{-1, -1, 100, 101}));

  b.assign(4, -1.0);
  EXPECT_EQ(Copy2DRowTo1DArray(a, 0, 0, 3, b, 0), -2);
  EXPECT_EQ(Copy2DRowTo1DArray(a, 4, 0, 2, b, 0), -3);
  EXPECT_EQ(Copy2DRowTo1DArray(a, 1, 0, 2, b, 7), -4);
  ASSERT_EQ(Copy2DRowTo1DArray(a, 1, 0, 2, b, 1), 0);
  EXPECT_EQ(b, (TDoubleArray{-1, 1, 101, 201}));
  TDoubleArray empty;
  EXPECT_EQ(Copy2DRowTo1DArray(a, 1, 0, 2, empty, 0), -4);
}

TEST(ArrayCopyBlock, CopyToArrayColumnAndRow) {
  auto a = Make2D(3, 4);
  const auto orig = a;
  const TDoubleArray v{-1, -2, -3, -4, -5};
  EXPECT_EQ(CopyToArrayColumn(v, 0, 5, 0, 0, a), -1);
  EXPECT_EQ(CopyToArrayColumn(v, -1, 2, 0, 0, a), -1);
  EXPECT_EQ(CopyToArrayColumn(v, 3, 2, 0, 0, a), -1);
  EXPECT_EQ(CopyToArrayColumn(TDoubleArray{}, 0, 0, 0, 0, a), -1);
  EXPECT_EQ(CopyToArrayColumn(v, 0, 0, 3, 0, a), -2);
  EXPECT_EQ(CopyToArrayColumn(v, 0, 0, 0, 4, a), -2);
  EXPECT_EQ(CopyToArrayColumn(v, 0, 0, -1, 0, a), -2);
  EXPECT_EQ(a, orig);

  // (0, 0) copies all of V and stops at the end of the column.
  ASSERT_EQ(CopyToArrayColumn(v, 0, 0, 1, 2, a), 0);
  EXPECT_EQ(a[1], (TDoubleArray{100, 101, -1, -2}));
  EXPECT_EQ(a[0], orig[0]);
  EXPECT_EQ(a[2], orig[2]);
  ASSERT_EQ(CopyToArrayColumn(v, 1, 2, 2, 0, a), 0);
  EXPECT_EQ(a[2], (TDoubleArray{-2, -3, 202, 203}));

  a = orig;
  ASSERT_EQ(CopyToArrayRow(v, 0, 0, 1, 3, a), 0);  // stops at the last column
  EXPECT_EQ(a[0][3], 3.0);
  EXPECT_EQ(a[1][3], -1.0);
  EXPECT_EQ(a[2][3], -2.0);
  EXPECT_EQ(CopyToArrayRow(v, 0, 0, 0, 4, a), -2);

  TInt2DArray ia{{0, 0}, {0, 0}};
  ASSERT_EQ(CopyToArrayRow(TIntArray{7, 8, 9}, 1, 2, 0, 1, ia), 0);
  EXPECT_EQ(ia, (TInt2DArray{{0, 8}, {0, 9}}));
  TBool2DArray ba{{false, false}};
  ASSERT_EQ(CopyToArrayColumn(TBoolArray{true, true, true}, 0, 0, 0, 1, ba), 0);
  EXPECT_EQ(ba, (TBool2DArray{{false, true}}));

  // V may be one of A's columns.
  TInt2DArray s{{1, 2, 3}, {4, 5, 6}};
  ASSERT_EQ(CopyToArrayColumn(s[0], 0, 1, 0, 1, s), 0);
  EXPECT_EQ(s[0], (TIntArray{1, 1, 2}));
  s = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
  ASSERT_EQ(CopyToArrayRow(s[1], 0, 2, 0, 0, s), 0);
  EXPECT_EQ(s[0][0], 4);
  EXPECT_EQ(s[1][0], 5);
  EXPECT_EQ(s[2][0], 6);
}

TEST(ArrayCopyBlock, DeprecatedCopiesAlwaysRaise) {
  auto a = Make2D(2, 2);
  const auto orig = a;
  auto expectRaise = [](auto&& call) {
    try {
      call();
      ADD_FAILURE() << "no exception";
    } catch (const EQMXError& e) {
      EXPECT_STREQ(e.what(), "deprecated function, see help for details");
    }
  };
  expectRaise([&] { CopyVectorToArrayColumn(TDoubleArray{1, 2}, 0, 0, 0, 0, a); });
  expectRaise([&] { CopyVectorToArrayRow(TDoubleArray{1, 2}, 0, 0, 0, 0, a); });
  EXPECT_EQ(a, orig);
  TInt2DArray ia{{0}};
  TBool2DArray ba{{false}};
  expectRaise([&] { CopyVectorToArrayColumn(TIntArray{1}, 0, 0, 0, 0, ia); });
  expectRaise([&] { CopyVectorToArrayRow(TIntArray{1}, 0, 0, 0, 0, ia); });
  expectRaise([&] { CopyVectorToArrayColumn(TBoolArray{true}, 0, 0, 0, 0, ba); });
  expectRaise([&] { CopyVectorToArrayRow(TBoolArray{true}, 0, 0, 0, 0, ba); });
  EXPECT_EQ(ia[0][0], 0);
  EXPECT_FALSE(ba[0][0]);
}

}  // namespace
}  // namespace qmx
