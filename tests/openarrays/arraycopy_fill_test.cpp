#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <utility>

#include <gtest/gtest.h>

#include "arraycopy_test_util.hpp"
#include "qmx/openarrays/openarrays.hpp"

namespace qmx {
namespace {

using test::Make2D;
using test::Make3D;
using test::Make4D;

constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();

// ---- constants and blocks ----

TEST(ArrayCopyFill, WholeArrays) {
  auto a4 = Make4D(2, 3, 1, 2);
  FillArray(a4, 1.5);
  EXPECT_EQ(a4, TDouble4DArray(2, TDouble3DArray(3, TDouble2DArray(1, TDoubleArray(2, 1.5)))));
  TInt3DArray i3(2, TInt2DArray(2, TIntArray(3, 1)));
  FillArray(i3, -7);
  EXPECT_EQ(i3, TInt3DArray(2, TInt2DArray(2, TIntArray(3, -7))));
  TBool2DArray b2{{false, false, false}, {false}};
  FillArray(b2, true);
  EXPECT_EQ(b2, (TBool2DArray{{true, true, true}, {true}}));  // ragged arrays at their own lengths
  TDoubleArray empty;
  FillArray(empty, 2.0);
  EXPECT_TRUE(empty.empty());
}

TEST(ArrayCopyFill, Ranged1DCodes) {
  TIntArray a(5, 0);
  EXPECT_EQ(FillArray(a, 1, 3, 2), -2);
  EXPECT_EQ(FillArray(a, 1, -1, 2), -2);
  EXPECT_EQ(FillArray(a, 1, 0, 5), -2);
  EXPECT_EQ(a, TIntArray(5, 0));
  TIntArray empty;
  EXPECT_EQ(FillArray(empty, 1, 0, 0), -1);
  ASSERT_EQ(FillArray(a, 9, 1, 3), 0);
  EXPECT_EQ(a, (TIntArray{0, 9, 9, 9, 0}));
  TBoolArray b(3, false);
  ASSERT_EQ(FillArray(b, true, 2, 2), 0);
  EXPECT_EQ(b, (TBoolArray{false, false, true}));
}

TEST(ArrayCopyFill, Ranged2DIsInCornerOrder) {
  auto a = Make2D(4, 5);
  auto expect = a;
  ASSERT_EQ(FillArray(a, -1.0, 1, 2, 3, 4), 0);  // columns 1..3, rows 2..4
  for (int c = 1; c <= 3; ++c)
    for (int r = 2; r <= 4; ++r) expect[c][r] = -1.0;
  EXPECT_EQ(a, expect);
  EXPECT_EQ(FillArray(a, 0.0, 0, 0, 4, 1), -2);
  EXPECT_EQ(FillArray(a, 0.0, 0, 3, 1, 2), -2);
  EXPECT_EQ(a, expect);
  TBool2DArray m(2, TBoolArray(2, false));
  ASSERT_EQ(FillArray(m, true, 1, 0, 1, 1), 0);
  EXPECT_EQ(m, (TBool2DArray{{false, false}, {true, true}}));
  TInt2DArray noRows(2);
  EXPECT_EQ(FillArray(noRows, 1, 0, 0, 0, 0), -1);
}

TEST(ArrayCopyFill, Ranged3DAnd4DFollowThe2DRule) {
  const auto init3 = Make3D(3, 4, 2);
  auto a3 = init3;
  ASSERT_EQ(FillArray(a3, -1.0, 1, 1, 0, 2, 3, 1), 0);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 4; ++j)
      for (int k = 0; k < 2; ++k)
        EXPECT_EQ(a3[i][j][k], (i >= 1 && j >= 1) ? -1.0 : init3[i][j][k]);

  const std::array<int, 4> shape{3, 2, 4, 3};
  const auto init4 = test::ToInt(Make4D(3, 2, 4, 3));
  for (int k = 0; k < 4; ++k) {
    std::array<int, 4> lo{0, 0, 0, 0}, hi{2, 1, 3, 2};
    for (int bad = 0; bad < 3; ++bad) {
      auto l = lo, h = hi;
      if (bad == 0) l[k] = -1;
      if (bad == 1) h[k] = shape[k];
      if (bad == 2) {
        l[k] = 1;
        h[k] = 0;
      }
      auto a4 = init4;
      EXPECT_EQ(FillArray(a4, 5, l[0], l[1], l[2], l[3], h[0], h[1], h[2], h[3]), -2) << k << " " << bad;
      EXPECT_EQ(a4, init4);
    }
  }
  auto a4 = init4;
  ASSERT_EQ(FillArray(a4, 5, 2, 1, 3, 2, 2, 1, 3, 2), 0);
  auto expect = init4;
  expect[2][1][3][2] = 5;
  EXPECT_EQ(a4, expect);
}

// ---- series and diagonals ----

TEST(ArrayCopyFill, SerialFills) {
  TDouble2DArray a(2, TDoubleArray(2));
  ASSERT_EQ(FillArraySerial(a, 1.0, 2.0), 0);
  EXPECT_EQ(a, (TDouble2DArray{{1, 3}, {5, 7}}));

  // 1-D cells are computed, not summed: cell k is exactly k * 0.1.
  TDoubleArray d(50);
  ASSERT_EQ(FillArraySerial(d, 0.0, 0.1), 0);
  for (std::size_t k = 0; k < d.size(); ++k) { EXPECT_EQ(d[k], static_cast<double>(k) * 0.1); }

  TInt3DArray i3(2, TInt2DArray(3, TIntArray(2)));
  ASSERT_EQ(FillArraySerial(i3), 0);
  int expect = 0;
  for (const auto& l : i3)
    for (const auto& c : l)
      for (int v : c) { EXPECT_EQ(v, expect++); }

  TDouble4DArray d4(2, TDouble3DArray(1, TDouble2DArray(2, TDoubleArray(2))));
  ASSERT_EQ(FillArraySerial(d4, 10.0, -1.0), 0);
  EXPECT_EQ(d4[1][0][1][1], 3.0);

  TIntArray w(3);
  ASSERT_EQ(FillArraySerial(w, kIntMax - 1, 1), 0);
  EXPECT_EQ(w, (TIntArray{kIntMax - 1, kIntMax, kIntMin}));
  TInt2DArray w2(1, TIntArray(3));
  ASSERT_EQ(FillArraySerial(w2, kIntMax - 1, 1), 0);
  EXPECT_EQ(w2[0], w);

  TIntArray empty;
  EXPECT_EQ(FillArraySerial(empty), -1);
  TDouble2DArray noRows(4);
  EXPECT_EQ(FillArraySerial(noRows, 1.0, 1.0), -1);
}

TEST(ArrayCopyFill, DiagonalFills) {
  auto a = Make2D(3, 3);
  ASSERT_EQ(FillDiagArray(a, 2.0), 0);
  EXPECT_EQ(a, (TDouble2DArray{{2, 0, 0}, {0, 2, 0}, {0, 0, 2}}));
  auto r = Make2D(2, 3);
  EXPECT_EQ(FillDiagArray(r, 1.0), -2);
  EXPECT_EQ(r, Make2D(2, 3));
  TDouble2DArray empty;
  EXPECT_EQ(FillDiagArray(empty, 1.0), -1);

  auto c3 = test::ToInt(Make3D(3, 3, 3, 5.0));
  ASSERT_EQ(FillDiagArray(c3, 7), 0);
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      for (int k = 0; k < 3; ++k) { EXPECT_EQ(c3[i][j][k], (i == j && j == k) ? 7 : 0); }
  auto nc3 = test::ToInt(Make3D(3, 3, 2));
  EXPECT_EQ(FillDiagArray(nc3, 7), -2);
  auto c4 = Make4D(2, 2, 2, 2, 1.0);
  ASSERT_EQ(FillDiagArray(c4, -1.0), 0);
  EXPECT_EQ(c4[1][1][1][1], -1.0);
  EXPECT_EQ(c4[1][1][1][0], 0.0);
  EXPECT_EQ(c4[0][0][0][0], -1.0);
  TDouble4DArray nc4 = Make4D(2, 2, 2, 3);
  EXPECT_EQ(FillDiagArray(nc4, 1.0), -2);
  // A square outer shape with one short inner array is not a cube.
  TDouble2DArray ragged{{0, 0}, {0}};
  EXPECT_EQ(FillDiagArray(ragged, 1.0), -2);
}

// ---- random fills ----

TEST(ArrayCopyFill, SeededUniformDoubleFillsAreReproducibleAndInRange) {
  TDouble3DArray a(3, TDouble2DArray(4, TDoubleArray(5)));
  auto b = a;
  SetRandSeed(1234);
  FillRandomUniform(a, -2.0, 3.0);
  SetRandSeed(1234);
  FillRandomUniform(b, -2.0, 3.0);
  EXPECT_EQ(a, b);
  FillRandomUniform(b, -2.0, 3.0);
  EXPECT_NE(a, b);  // a second fill continues the sequence
  for (const auto& l : a)
    for (const auto& c : l)
      for (double v : c) {
        EXPECT_GE(v, -2.0);
        EXPECT_LT(v, 3.0);
      }
  TDoubleArray d(2000);
  FillRandomUniform(d, 10.0, 11.0);
  const auto [mn, mx] = std::minmax_element(d.begin(), d.end());
  EXPECT_GE(*mn, 10.0);
  EXPECT_LT(*mx, 11.0);
  EXPECT_LT(*mn, 10.01);
  EXPECT_GT(*mx, 10.99);
  TDouble4DArray d4(1, TDouble3DArray(1, TDouble2DArray(1, TDoubleArray(3))));
  SetRandSeed(5);
  FillRandomUniform(d4, 0.0, 1.0);
  SetRandSeed(5);
  TDoubleArray d1(3);
  FillRandomUniform(d1, 0.0, 1.0);
  EXPECT_EQ(d4[0][0][0], d1);  // storage order, one draw per cell
}

TEST(ArrayCopyFill, UniformIntegerFillExcludesHigh) {
  TInt2DArray a(10, TIntArray(100));
  SetRandSeed(77);
  ASSERT_EQ(FillRandomUniform(a, 1, 4), 0);
  std::set<int> seen;
  for (const auto& c : a) seen.insert(c.begin(), c.end());
  EXPECT_EQ(seen, (std::set<int>{1, 2, 3}));
  auto b = a;
  SetRandSeed(77);
  ASSERT_EQ(FillRandomUniform(b, 1, 4), 0);
  EXPECT_EQ(a, b);

  TIntArray same(5);
  ASSERT_EQ(FillRandomUniform(same, 6, 6), 0);
  EXPECT_EQ(same, TIntArray(5, 6));
  EXPECT_EQ(FillRandomUniform(same, 7, 6), -2);
  EXPECT_EQ(same, TIntArray(5, 6));
  TInt3DArray empty(2);
  EXPECT_EQ(FillRandomUniform(empty, 0, 1), -1);

  TInt4DArray wide(2, TInt3DArray(2, TInt2DArray(2, TIntArray(50))));
  ASSERT_EQ(FillRandomUniform(wide, kIntMin, kIntMax), 0);
  bool negative = false, positive = false;
  for (const auto& x : wide)
    for (const auto& y : x)
      for (const auto& z : y)
        for (int v : z) {
          EXPECT_LT(v, kIntMax);
          negative |= v < 0;
          positive |= v > 0;
        }
  EXPECT_TRUE(negative && positive);
}

TEST(ArrayCopyFill, UniformWithRepetitionsIncludesHigh) {
  TIntArray a(1000);
  SetRandSeed(3);
  ASSERT_EQ(FillRandomUniform(a, -1, 1, true), 0);
  EXPECT_EQ(std::set<int>(a.begin(), a.end()), (std::set<int>{-1, 0, 1}));
  TIntArray full(10);
  ASSERT_EQ(FillRandomUniform(full, kIntMin, kIntMax, true), 0);
  TIntArray empty;
  EXPECT_EQ(FillRandomUniform(empty, 0, 5, true), -1);
  EXPECT_EQ(FillRandomUniform(a, 2, 1, true), -2);
}

TEST(ArrayCopyFill, UniformWithoutRepetitionsGivesDistinctValues) {
  TIntArray five(5, 0);
  EXPECT_EQ(FillRandomUniform(five, 1, 3, false), -3);
  EXPECT_EQ(five, TIntArray(5, 0));
  EXPECT_EQ(FillRandomUniform(five, 0, 1000000, false), -4);
  EXPECT_EQ(FillRandomUniform(five, 3, 1, false), -2);
  TIntArray empty;
  EXPECT_EQ(FillRandomUniform(empty, 1, 3, false), -1);

  for (int seed = 0; seed < 20; ++seed) {
    SetRandSeed(static_cast<std::uint64_t>(seed));
    TIntArray a(30);
    ASSERT_EQ(FillRandomUniform(a, -10, 40, false), 0);
    std::set<int> s(a.begin(), a.end());
    EXPECT_EQ(s.size(), a.size());
    EXPECT_GE(*s.begin(), -10);
    EXPECT_LE(*s.rbegin(), 40);
  }
  TIntArray perm(8);
  ASSERT_EQ(FillRandomUniform(perm, 1, 8, false), 0);
  std::sort(perm.begin(), perm.end());
  EXPECT_EQ(perm, (TIntArray{1, 2, 3, 4, 5, 6, 7, 8}));
  ASSERT_EQ(FillRandomUniform(perm, kIntMax - 7, kIntMax, false), 0);
  EXPECT_EQ(*std::min_element(perm.begin(), perm.end()), kIntMax - 7);

  // Every value can land in the first cell and every value is drawn about
  // equally often (a single-cycle shuffle would never put Low first).
  SetRandSeed(99);
  std::map<int, int> first;
  for (int trial = 0; trial < 3000; ++trial) {
    TIntArray one(1);
    ASSERT_EQ(FillRandomUniform(one, 1, 3, false), 0);
    ++first[one[0]];
  }
  ASSERT_EQ(first.size(), 3u);
  for (const auto& [value, count] : first) { EXPECT_NEAR(count, 1000, 150) << value; }
}

TEST(ArrayCopyFill, NormalFillsAreReproducibleWithTheRightMoments) {
  TDouble2DArray a(20, TDoubleArray(1000));
  SetRandSeed(2024);
  FillRandomNormal(a, 5.0, 2.0);
  auto b = TDouble2DArray(20, TDoubleArray(1000));
  SetRandSeed(2024);
  FillRandomNormal(b, 5.0, 2.0);
  EXPECT_EQ(a, b);
  long double sum = 0, sq = 0;
  for (const auto& c : a)
    for (double v : c) {
      sum += v;
      sq += static_cast<long double>(v) * v;
    }
  const long double n = 20000.0L;
  const long double mean = sum / n;
  const long double sd = std::sqrt((sq - n * mean * mean) / (n - 1));
  EXPECT_NEAR(static_cast<double>(mean), 5.0, 0.05);
  EXPECT_NEAR(static_cast<double>(sd), 2.0, 0.05);
  TDouble4DArray d4(1, TDouble3DArray(1, TDouble2DArray(1, TDoubleArray(2))));
  FillRandomNormal(d4, 0.0, 0.0);
  EXPECT_EQ(d4[0][0][0], (TDoubleArray{0.0, 0.0}));
}

// ---- masks ----

TEST(ArrayCopyFill, MaskedFills) {
  auto a = Make2D(2, 3);
  EXPECT_EQ(FillArrayMasked(a, -1.0, {}), 6);
  EXPECT_EQ(a, TDouble2DArray(2, TDoubleArray(3, -1.0)));

  auto b = test::ToInt(Make2D(2, 2));
  const TBool2DArray mask{{true, false}, {false, false}};
  EXPECT_EQ(FillArrayMasked(b, 9, mask), 3);
  EXPECT_EQ(b, (TInt2DArray{{0, 9}, {9, 9}}));

  const auto before = b;
  EXPECT_EQ(FillArrayMasked(b, 1, TBool2DArray{{true, false}}), -1);
  EXPECT_EQ(FillArrayMasked(b, 1, TBool2DArray{{true, false}, {false}}), -1);
  EXPECT_EQ(b, before);
  TInt2DArray empty;
  EXPECT_EQ(FillArrayMasked(empty, 1, {}), -2);
  TDouble2DArray noRows(3);
  EXPECT_EQ(FillArrayMasked(noRows, 1.0, TBool2DArray{{true}}), -2);
}

TEST(ArrayCopyFill, UniformDoubleFillBetweenBoundsOfHugeSpan) {
  const double big = std::numeric_limits<double>::max();
  const double inf = std::numeric_limits<double>::infinity();
  SetRandSeed(7);
  for (const auto& [low, high] : {std::pair{-big, big}, std::pair{big, -big}}) {
    TDoubleArray a(200);
    FillRandomUniform(a, low, high);
    int negative = 0;
    for (const double v : a) {
      ASSERT_TRUE(std::isfinite(v) && v >= -big && v <= big) << v;
      negative += v < 0.0 ? 1 : 0;
    }
    EXPECT_TRUE(negative > 50 && negative < 150) << negative;
  }
  // an infinite bound gives that infinity, not NaN
  TDouble2DArray m(2, TDoubleArray(3));
  FillRandomUniform(m, -inf, 0.0);
  for (const auto& col : m) {
    for (const double v : col) { EXPECT_EQ(v, -inf); }
  }
}

}  // namespace
}  // namespace qmx
