#include <cfenv>
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
using test::Pick;

constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();

// Independent reference: clamp, then the FPU's round-to-nearest-even.
std::int32_t RefToInt(double v) {
  if (std::isnan(v)) return 0;
  v = std::fmin(std::fmax(v, -2147483648.0), 2147483647.0);
  return static_cast<std::int32_t>(std::nearbyint(v));
}

TEST(ArrayCopyClone, DoubleToIntClampsAndRoundsHalfToEven) {
  TIntArray b;
  ASSERT_EQ(CloneArray(TDoubleArray{2.5, 3.5, -1e12}, b), 0);
  EXPECT_EQ(b, (TIntArray{2, 4, kIntMin}));

  const TDoubleArray a{-2.5, -3.5, 0.5, 1.5, -0.5, 2.4999999, 2.5000001, 1e12, 2147483646.5, 2147483647.4,
                       -2147483648.6, std::numeric_limits<double>::infinity(),
                       -std::numeric_limits<double>::infinity(), std::nan("")};
  ASSERT_EQ(CloneArray(a, b), 0);
  EXPECT_EQ(b, (TIntArray{-2, -4, 0, 2, 0, 2, 3, kIntMax, 2147483646, kIntMax, kIntMin, kIntMax, kIntMin, 0}));
}

TEST(ArrayCopyClone, DoubleToIntHigherRanksMatchReference) {
  ASSERT_EQ(std::fegetround(), FE_TONEAREST);
  TDouble4DArray a = Make4D(2, 3, 2, 4);
  for (auto& l1 : a)
    for (auto& l2 : l1)
      for (auto& l3 : l2)
        for (auto& v : l3) v = (v - 1e6) * 0.37 + 0.5;  // many exact and near halves
  TInt4DArray b;
  ASSERT_EQ(CloneArray(a, b), 0);
  ASSERT_EQ(b.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i)
    for (std::size_t j = 0; j < 3; ++j)
      for (std::size_t k = 0; k < 2; ++k)
        for (std::size_t l = 0; l < 4; ++l) EXPECT_EQ(b[i][j][k][l], RefToInt(a[i][j][k][l]));

  TDouble3DArray a3 = Make3D(3, 2, 2, -30000.5);
  TInt3DArray b3;
  ASSERT_EQ(CloneArray(a3, b3), 0);
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 2; ++j)
      for (std::size_t k = 0; k < 2; ++k) EXPECT_EQ(b3[i][j][k], RefToInt(a3[i][j][k]));

  TInt2DArray b2;
  ASSERT_EQ(CloneArray(TDouble2DArray{{0.5, 1.5}, {-1.5, 7.2}}, b2), 0);
  EXPECT_EQ(b2, (TInt2DArray{{0, 2}, {-2, 7}}));
}

TEST(ArrayCopyClone, EmptySourceLeavesTargetUntouched) {
  TDoubleArray b1{7.0};
  EXPECT_EQ(CloneArray(TDoubleArray{}, b1), -1);
  EXPECT_EQ(b1, TDoubleArray{7.0});
  TDouble2DArray b2{{1.0}};
  EXPECT_EQ(CloneArray(TDouble2DArray(3), b2), -1);  // three empty columns hold no cell
  EXPECT_EQ(b2, (TDouble2DArray{{1.0}}));
  TInt4DArray b4{{{{5}}}};
  EXPECT_EQ(CloneArray(TInt4DArray{{{}}}, b4), -1);
  EXPECT_EQ(b4[0][0][0][0], 5);
  TBoolArray bb{true};
  EXPECT_EQ(CloneArray(TBoolArray{}, bb), -1);
  TSingleArray bs{1.0f};
  EXPECT_EQ(CloneArray(TDoubleArray{}, bs), -1);
  EXPECT_EQ(bs.size(), 1u);
}

TEST(ArrayCopyClone, PlainCopiesAreIndependentAndExact) {
  for (int round = 0; round < 5; ++round) {
    const auto a = Make3D(Pick(1, 5), Pick(1, 5), Pick(1, 5), 0.125);
    TDouble3DArray b{{{99.0}}};
    ASSERT_EQ(CloneArray(a, b), 0);
    EXPECT_EQ(a, b);
    b[0][0][0] = -1.0;
    EXPECT_NE(a[0][0][0], -1.0);
  }
  const TBool2DArray m{{true, false}, {false, false}, {true, true}};
  TBool2DArray mb;
  ASSERT_EQ(CloneArray(m, mb), 0);
  EXPECT_EQ(m, mb);
  // Ragged arrays keep their layout.
  const TInt2DArray ragged{{1, 2, 3}, {4}, {5, 6}};
  TInt2DArray rb;
  ASSERT_EQ(CloneArray(ragged, rb), 0);
  EXPECT_EQ(ragged, rb);
  // Cloning into itself is harmless.
  TDoubleArray self{1.0, 2.0};
  ASSERT_EQ(CloneArray(self, self), 0);
  EXPECT_EQ(self, (TDoubleArray{1.0, 2.0}));
}

TEST(ArrayCopyClone, FloatConversions) {
  TDoubleArray d;
  ASSERT_EQ(CloneArray(TSingleArray{0.1f, -3.0f, 1e38f}, d), 0);
  EXPECT_EQ(d, (TDoubleArray{static_cast<double>(0.1f), -3.0, static_cast<double>(1e38f)}));
  TSingleArray s;
  ASSERT_EQ(CloneArray(TDoubleArray{0.1, 1e300, -1e300, 1e-300}, s), 0);
  EXPECT_EQ(s[0], 0.1f);
  EXPECT_EQ(s[1], std::numeric_limits<float>::infinity());
  EXPECT_EQ(s[2], -std::numeric_limits<float>::infinity());
  EXPECT_EQ(s[3], 0.0f);

  const auto ai = test::ToInt(Make4D(2, 2, 3, 2, -5.0));
  TDouble4DArray ad;
  ASSERT_EQ(CloneArray(ai, ad), 0);
  EXPECT_EQ(ad, Make4D(2, 2, 3, 2, -5.0));
  TDoubleArray big;
  ASSERT_EQ(CloneArray(TIntArray{kIntMin, kIntMax}, big), 0);
  EXPECT_EQ(big, (TDoubleArray{-2147483648.0, 2147483647.0}));
}

TEST(ArrayCopyClone, CloneAndReverseAllMembers) {
  TDoubleArray d;
  ASSERT_EQ(CloneAndReverseArray(TDoubleArray{1.0, 2.0, 3.0}, d), 0);
  EXPECT_EQ(d, (TDoubleArray{3.0, 2.0, 1.0}));
  TIntArray i;
  ASSERT_EQ(CloneAndReverseArray(TIntArray{4, 5}, i), 0);
  EXPECT_EQ(i, (TIntArray{5, 4}));
  TBoolArray b;
  ASSERT_EQ(CloneAndReverseArray(TBoolArray{true, false, false}, b), 0);
  EXPECT_EQ(b, (TBoolArray{false, false, true}));
  ASSERT_EQ(CloneAndReverseArray(TSingleArray{0.5f, 1.5f}, d), 0);
  EXPECT_EQ(d, (TDoubleArray{1.5, 0.5}));
  TSingleArray s;
  ASSERT_EQ(CloneAndReverseArray(TDoubleArray{0.25, 1e300}, s), 0);
  EXPECT_EQ(s, (TSingleArray{std::numeric_limits<float>::infinity(), 0.25f}));
  ASSERT_EQ(CloneAndReverseArray(TDoubleArray{2.5, 3.5, -1e12}, i), 0);
  EXPECT_EQ(i, (TIntArray{kIntMin, 4, 2}));
  ASSERT_EQ(CloneAndReverseArray(TIntArray{7, -8}, d), 0);
  EXPECT_EQ(d, (TDoubleArray{-8.0, 7.0}));

  TIntArray keep{1};
  EXPECT_EQ(CloneAndReverseArray(TIntArray{}, keep), -1);
  EXPECT_EQ(keep, TIntArray{1});
  // Reversing into the source itself.
  TIntArray self{1, 2, 3};
  ASSERT_EQ(CloneAndReverseArray(self, self), 0);
  EXPECT_EQ(self, (TIntArray{3, 2, 1}));
}

}  // namespace
}  // namespace qmx
