#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "arraycopy_test_util.hpp"
#include "qmx/openarrays/openarrays.hpp"

namespace qmx {
namespace {

using test::Make2D;
using test::Make3D;
using test::Make4D;

constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

// ---- flips ----

TEST(ArrayCopyTransform, FlipEachDimensionMatchesIndexMapping) {
  const auto orig = Make4D(2, 3, 4, 5);
  for (int dim = 1; dim <= 4; ++dim) {
    auto a = orig;
    ASSERT_EQ(FlipDimArray(a, dim), 0);
    for (int i = 0; i < 2; ++i)
      for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 4; ++k)
          for (int l = 0; l < 5; ++l) {
            const int si = dim == 1 ? 1 - i : i, sj = dim == 2 ? 2 - j : j, sk = dim == 3 ? 3 - k : k,
                      sl = dim == 4 ? 4 - l : l;
            ASSERT_EQ(a[i][j][k][l], orig[si][sj][sk][sl]) << "dim " << dim;
          }
  }
  auto a2 = test::ToInt(Make2D(2, 3));
  ASSERT_EQ(FlipDimArray(a2, 2), 0);
  EXPECT_EQ(a2, (TInt2DArray{{2, 1, 0}, {102, 101, 100}}));
  ASSERT_EQ(FlipDimArray(a2, 1), 0);
  EXPECT_EQ(a2, (TInt2DArray{{102, 101, 100}, {2, 1, 0}}));
  TDoubleArray d{1, 2, 3};
  ASSERT_EQ(FlipDimArray(d, 1), 0);
  EXPECT_EQ(d, (TDoubleArray{3, 2, 1}));
  auto a3 = Make3D(2, 2, 3);
  ASSERT_EQ(FlipDimArray(a3, 3), 0);
  EXPECT_EQ(a3[1][0], (TDoubleArray{10002, 10001, 10000}));
}

TEST(ArrayCopyTransform, FlipCodes) {
  TIntArray empty;
  EXPECT_EQ(FlipDimArray(empty, 1), -1);
  TInt3DArray noLayers(2, TInt2DArray(2));
  EXPECT_EQ(FlipDimArray(noLayers, 1), -1);
  auto a = Make2D(2, 2);
  EXPECT_EQ(FlipDimArray(a, 0), -2);
  EXPECT_EQ(FlipDimArray(a, 3), -2);
  EXPECT_EQ(a, Make2D(2, 2));
  TInt4DArray i4(1, TInt3DArray(1, TInt2DArray(1, TIntArray{1, 2})));
  EXPECT_EQ(FlipDimArray(i4, 5), -2);
  ASSERT_EQ(FlipDimArray(i4, 4), 0);
  EXPECT_EQ(i4[0][0][0], (TIntArray{2, 1}));
}

// ---- masks to numbers, dichotomies ----

TEST(ArrayCopyTransform, BoolToNum) {
  TIntArray b;
  ASSERT_EQ(BoolToNumArray(TBoolArray{true, false}, 0, 1, b), 0);
  EXPECT_EQ(b, (TIntArray{1, 0}));
  TDoubleArray d{5.0};
  EXPECT_EQ(BoolToNumArray(TBoolArray{}, 0.0, 1.0, d), -1);
  EXPECT_EQ(d, TDoubleArray{5.0});
  TDouble2DArray d2;
  ASSERT_EQ(BoolToNumArray(TBool2DArray{{true, false, true}, {false, false, false}}, -1.5, 2.5, d2), 0);
  EXPECT_EQ(d2, (TDouble2DArray{{2.5, -1.5, 2.5}, {-1.5, -1.5, -1.5}}));
  TInt2DArray i2;
  EXPECT_EQ(BoolToNumArray(TBool2DArray{{}}, 0, 1, i2), -1);
  ASSERT_EQ(BoolToNumArray(TBool2DArray{{false}, {true}}, 3, 4, i2), 0);
  EXPECT_EQ(i2, (TInt2DArray{{3}, {4}}));
}

TEST(ArrayCopyTransform, Dichotomize) {
  TBool2DArray b;
  ASSERT_EQ(DichotomizeArray(TDouble2DArray{{0.5, 1.0, 1.5}, {std::nan(""), -3.0, 2.0}}, 1.0, b), 0);
  EXPECT_EQ(b, (TBool2DArray{{false, false, true}, {false, false, true}}));
  ASSERT_EQ(DichotomizeArray(TInt2DArray{{1, 2}, {3, 4}}, 2, b), 0);
  EXPECT_EQ(b, (TBool2DArray{{false, false}, {true, true}}));
  TBoolArray b1;
  ASSERT_EQ(DichotomizeArray(TIntArray{1, 5, 3}, 3, b1), 0);
  EXPECT_EQ(b1, (TBoolArray{false, true, false}));

  // The band form orders its bounds and includes both.
  ASSERT_EQ(DichotomizeArray(TIntArray{1, 2, 3, 4, 5}, 4, 2, b1), 0);
  EXPECT_EQ(b1, (TBoolArray{false, true, true, true, false}));
  ASSERT_EQ(DichotomizeArray(TDouble2DArray{{0.0, 0.5}, {1.0, 1.0000001}}, 1.0, 0.5, b), 0);
  EXPECT_EQ(b, (TBool2DArray{{false, true}, {true, false}}));
  ASSERT_EQ(DichotomizeArray(TInt2DArray{{-1, 0}}, -1, -1, b), 0);
  EXPECT_EQ(b, (TBool2DArray{{true, false}}));

  TBoolArray keep{true};
  EXPECT_EQ(DichotomizeArray(TIntArray{}, 0, keep), -1);
  EXPECT_EQ(DichotomizeArray(TIntArray{}, 0, 1, keep), -1);
  EXPECT_EQ(keep, TBoolArray{true});
  EXPECT_EQ(DichotomizeArray(TDouble2DArray(2), 0.0, 1.0, b), -1);
}

TEST(ArrayCopyTransform, EqualArrays) {
  const auto a = test::ToInt(Make4D(2, 2, 3, 2));
  auto b = a;
  EXPECT_TRUE(EqualArrays(a, b));
  b[1][1][2][1] += 1;
  EXPECT_FALSE(EqualArrays(a, b));
  EXPECT_FALSE(EqualArrays(TInt2DArray{{1, 2}, {3}}, TInt2DArray{{1, 2}, {3, 4}}));
  EXPECT_FALSE(EqualArrays(TInt2DArray{{1}}, TInt2DArray{{1}, {1}}));
  EXPECT_TRUE(EqualArrays(TIntArray{}, TIntArray{}));
  EXPECT_FALSE(EqualArrays(TIntArray{1}, TIntArray{}));
  EXPECT_TRUE(EqualArrays(TInt3DArray{{{1}, {2}}}, TInt3DArray{{{1}, {2}}}));
}

// ---- discretising ----

TEST(ArrayCopyTransform, DiscretizeHandComputed) {
  // Five levels over 0..3: tails at 0 and 4, bins of width 1 giving 1, 2, 3.
  TDouble2DArray a{{-1.0, 0.0, 0.5, 0.999}, {1.0, 2.0, 2.999, 3.0, 10.0}};
  ASSERT_EQ(DiscretizeArray(a, 5, 0.0, 3.0, 0.0, 4.0), 0);
  EXPECT_EQ(a, (TDouble2DArray{{0, 0, 1, 1}, {2, 3, 3, 4, 4}}));

  // Three levels: one inner bin; outputs -1, 0.5, 2.
  TDouble2DArray b{{-5.0, 0.0, 0.1, 9.9, 10.0}};
  ASSERT_EQ(DiscretizeArray(b, 3, 0.0, 10.0, -1.0, 2.0), 0);
  EXPECT_EQ(b, (TDouble2DArray{{-1.0, -1.0, 0.5, 0.5, 2.0}}));

  // A value just below HighIn stays in the last inner bin.
  TDouble2DArray c{{std::nextafter(1.0, 0.0)}};
  ASSERT_EQ(DiscretizeArray(c, 5, 0.0, 1.0, 0.0, 8.0), 0);
  EXPECT_EQ(c[0][0], 6.0);
}

TEST(ArrayCopyTransform, DiscretizeCodes) {
  auto a = Make2D(2, 2);
  EXPECT_EQ(DiscretizeArray(a, 2, 0.0, 1.0, 0.0, 1.0), -1);
  EXPECT_EQ(DiscretizeArray(a, 5, 1.0, 1.0, 0.0, 1.0), -2);
  EXPECT_EQ(DiscretizeArray(a, 5, 2.0, 1.0, 0.0, 1.0), -2);
  EXPECT_EQ(DiscretizeArray(a, 5, std::nan(""), 1.0, 0.0, 1.0), -2);
  EXPECT_EQ(a, Make2D(2, 2));
}

// ---- accumulation, permutation, rescaling ----

TEST(ArrayCopyTransform, Accumulate) {
  TDouble2DArray accu;
  ASSERT_EQ(AccumulateArray(Make2D(2, 2), accu), 0);
  ASSERT_EQ(AccumulateArray(Make2D(2, 2, 1.0), accu), 0);
  EXPECT_EQ(accu, (TDouble2DArray{{1, 3}, {201, 203}}));
  EXPECT_EQ(AccumulateArray(Make2D(2, 3), accu), -2);
  EXPECT_EQ(AccumulateArray(TDouble2DArray{{}}, accu), -1);
  EXPECT_EQ(accu, (TDouble2DArray{{1, 3}, {201, 203}}));

  TIntArray ia{kIntMax, 1};
  ASSERT_EQ(AccumulateArray(TIntArray{1, 2}, ia), 0);
  EXPECT_EQ(ia, (TIntArray{kIntMin, 3}));
  TInt4DArray i4;
  const auto src = test::ToInt(Make4D(1, 2, 2, 2));
  ASSERT_EQ(AccumulateArray(src, i4), 0);
  ASSERT_EQ(AccumulateArray(src, i4), 0);
  EXPECT_EQ(i4[0][1][1][1], 2 * src[0][1][1][1]);
  TDouble3DArray d3{{{1.0}}};
  ASSERT_EQ(AccumulateArray(d3, d3), 0);  // adding an array to itself doubles it
  EXPECT_EQ(d3[0][0][0], 2.0);
}

TEST(ArrayCopyTransform, Permute) {
  TDoubleArray a{10, 20, 30};
  ASSERT_EQ(PermuteArray(a, TIntArray{2, 0, 1}), 0);
  EXPECT_EQ(a, (TDoubleArray{30, 10, 20}));
  EXPECT_EQ(PermuteArray(a, TIntArray{0, 0, 1}), -2);
  EXPECT_EQ(PermuteArray(a, TIntArray{0, 1, 3}), -2);
  EXPECT_EQ(PermuteArray(a, TIntArray{0, 1}), -2);
  EXPECT_EQ(PermuteArray(a, TIntArray{-1, 0, 1}), -2);
  EXPECT_EQ(a, (TDoubleArray{30, 10, 20}));
  TIntArray empty;
  EXPECT_EQ(PermuteArray(empty, TIntArray{}), -1);
  TIntArray ia{1, 2};
  ASSERT_EQ(PermuteArray(ia, TIntArray{1, 0}), 0);
  EXPECT_EQ(ia, (TIntArray{2, 1}));
}

TEST(ArrayCopyTransform, Rescale) {
  TDoubleArray a{1, 2, 5};
  ASSERT_EQ(RescaleArray(a, 0.0, 1.0), 0);
  EXPECT_EQ(a, (TDoubleArray{0.0, 0.25, 1.0}));
  ASSERT_EQ(RescaleArray(a, 10.0, -10.0), 0);
  EXPECT_EQ(a, (TDoubleArray{10.0, 5.0, -10.0}));
  TDouble2DArray wide{{-1e308}, {1e308}, {0.0}};
  ASSERT_EQ(RescaleArray(wide, 0.0, 2.0), 0);
  EXPECT_EQ(wide, (TDouble2DArray{{0.0}, {2.0}, {1.0}}));

  TDoubleArray flat{3, 3};
  EXPECT_EQ(RescaleArray(flat, 0.0, 1.0), -2);
  TDoubleArray withNaN{1, std::nan(""), 2};
  EXPECT_EQ(RescaleArray(withNaN, 0.0, 1.0), -2);
  EXPECT_EQ(withNaN[0], 1.0);
  TDouble2DArray empty(2);
  EXPECT_EQ(RescaleArray(empty, 0.0, 1.0), -1);
}

TEST(ArrayCopyTransform, RescaleHitsBothNewBoundsExactly) {
  TDoubleArray a{0.0, 0.5, 1.0};
  ASSERT_EQ(RescaleArray(a, 1e300, 1.0), 0);
  EXPECT_EQ(a[0], 1e300);
  EXPECT_EQ(a[2], 1.0);
  const double big = std::numeric_limits<double>::max();
  TDouble2DArray m{{-1.0, 1.0}, {0.0, 3.0}};
  ASSERT_EQ(RescaleArray(m, -big, big), 0);
  EXPECT_EQ(m[0][0], -big);
  EXPECT_EQ(m[1][1], big);
  EXPECT_NEAR(m[0][1] / big, 0.0, 1e-15);
}

TEST(ArrayCopyTransform, DiscretizeWithBoundsNearTheLargestDouble) {
  const double big = std::numeric_limits<double>::max();
  TDouble2DArray a{{-1e308, 0.0, 1e308}};
  ASSERT_EQ(DiscretizeArray(a, 4, -big, big, -big, big), 0);
  // two inner bins of width big; levels -big/3 and big/3
  EXPECT_NEAR(a[0][0] / big, -1.0 / 3.0, 1e-15);
  EXPECT_NEAR(a[0][1] / big, 1.0 / 3.0, 1e-15);
  EXPECT_NEAR(a[0][2] / big, 1.0 / 3.0, 1e-15);
  // an infinite input bound makes every bin infinitely wide: refused
  const double inf = std::numeric_limits<double>::infinity();
  TDouble2DArray b{{0.5, 2.0}};
  EXPECT_EQ(DiscretizeArray(b, 4, -inf, 1.0, 0.0, 1.0), -2);
  EXPECT_EQ(DiscretizeArray(b, 4, 0.0, inf, 0.0, 1.0), -2);
  EXPECT_EQ(b, (TDouble2DArray{{0.5, 2.0}}));
}

}  // namespace
}  // namespace qmx
