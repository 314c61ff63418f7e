#include <gtest/gtest.h>

#include <limits>

#include "qmx/openarrays/openarrays.hpp"

namespace qmx {
namespace {

constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();

TEST(AddSubtractArrays, ValuesCodesAndResizing) {
  TDoubleArray c{9};
  EXPECT_EQ(AddArrays(TDoubleArray{1, 2}, TDoubleArray{10, 20}, c), 0);
  EXPECT_EQ(c, (TDoubleArray{11, 22}));
  EXPECT_EQ(SubtractArrays(TDoubleArray{1, 2}, TDoubleArray{10, 20}, c), 0);
  EXPECT_EQ(c, (TDoubleArray{-9, -18}));
  EXPECT_EQ(AddArrays(TDoubleArray{}, TDoubleArray{1}, c), -1);
  EXPECT_EQ(AddArrays(TDoubleArray{1, 2}, TDoubleArray{1}, c), -2);
  EXPECT_EQ(c, (TDoubleArray{-9, -18}));  // untouched on failure

  TInt2DArray ic;
  EXPECT_EQ(AddArrays(TInt2DArray{{1, 2}, {3, 4}}, TInt2DArray{{1, 1}, {1, kIntMax}}, ic), 0);
  EXPECT_EQ(ic, (TInt2DArray{{2, 3}, {4, kIntMax}}));  // saturated
  EXPECT_EQ(SubtractArrays(TInt2DArray{{kIntMin}}, TInt2DArray{{1}}, ic), 0);
  EXPECT_EQ(ic, (TInt2DArray{{kIntMin}}));
  EXPECT_EQ(AddArrays(TInt2DArray{{1, 2}, {3}}, TInt2DArray{{1, 2}, {3, 4}}, ic), -2);

  TDouble4DArray a(2, TDouble3DArray(1, TDouble2DArray(2, TDoubleArray(3, 1.5))));
  TDouble4DArray b = a;
  b[1][0][1][2] = 10.0;
  TDouble4DArray r;
  ASSERT_EQ(AddArrays(a, b, r), 0);
  EXPECT_EQ(r[1][0][1][2], 11.5);
  EXPECT_EQ(r[0][0][0][0], 3.0);
  TInt3DArray i3a(1, TInt2DArray(1, TIntArray{5}));
  TInt3DArray i3b(1, TInt2DArray(2, TIntArray{5}));
  TInt3DArray i3c;
  EXPECT_EQ(SubtractArrays(i3a, i3b, i3c), -2);
}

TEST(AddArrays, OutputMayBeAnInput) {
  TDoubleArray a{1, 2, 3};
  ASSERT_EQ(AddArrays(a, a, a), 0);
  EXPECT_EQ(a, (TDoubleArray{2, 4, 6}));
  TInt2DArray m{{1, 2}, {3, 4}};
  const TInt2DArray n{{1, 1}, {1, 1}};
  ASSERT_EQ(SubtractArrays(m, n, m), 0);
  EXPECT_EQ(m, (TInt2DArray{{0, 1}, {2, 3}}));
}

TEST(MultiplyArraysElemw, CellByCell) {
  TDouble2DArray c;
  ASSERT_EQ(MultiplyArraysElemw(TDouble2DArray{{1, 2}, {3, 4}}, TDouble2DArray{{2, 2}, {0.5, -1}}, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{2, 4}, {1.5, -4}}));
  TIntArray ic;
  ASSERT_EQ(MultiplyArraysElemw(TIntArray{65536, -3}, TIntArray{65536, 4}, ic), 0);
  EXPECT_EQ(ic, (TIntArray{kIntMax, -12}));
  EXPECT_EQ(MultiplyArraysElemw(TIntArray{1}, TIntArray{1, 2}, ic), -2);
}

TEST(ScalarArithmetic, CopiesAndInPlace) {
  TDoubleArray b;
  ASSERT_EQ(MultiplyArrayByScalar(TDoubleArray{1, -2}, 3.0, b), 0);
  EXPECT_EQ(b, (TDoubleArray{3, -6}));
  TInt3DArray i3(1, TInt2DArray(1, TIntArray{2, kIntMax}));
  ASSERT_EQ(MultiplyArrayByScalar(i3, 2), 0);
  EXPECT_EQ(i3[0][0], (TIntArray{4, kIntMax}));
  TDouble2DArray d2{{1, 2}};
  ASSERT_EQ(AddScalarToArray(TDouble2DArray{{1, 2}}, 0.5, d2), 0);
  EXPECT_EQ(d2, (TDouble2DArray{{1.5, 2.5}}));
  TInt4DArray i4(1, TInt3DArray(1, TInt2DArray(1, TIntArray{1, 2})));
  ASSERT_EQ(IncArray(i4, -3), 0);
  EXPECT_EQ(i4[0][0][0], (TIntArray{-2, -1}));
  TIntArray empty;
  EXPECT_EQ(IncArray(empty, 1), -1);
  TDouble3DArray e3;
  EXPECT_EQ(MultiplyArrayByScalar(e3, 2.0), -1);
  TIntArray ib;
  EXPECT_EQ(AddScalarToArray(TIntArray{kIntMax - 1, 0}, 5, ib), 0);
  EXPECT_EQ(ib, (TIntArray{kIntMax, 5}));
}

TEST(AbsAndReciprocal, InPlace) {
  TIntArray a{-5, 3, kIntMin};
  ASSERT_EQ(AbsValArray(a), 0);
  EXPECT_EQ(a, (TIntArray{5, 3, kIntMax}));
  TDouble2DArray d{{-1.5}, {2}};
  ASSERT_EQ(AbsValArray(d), 0);
  EXPECT_EQ(d, (TDouble2DArray{{1.5}, {2}}));
  TDoubleArray r{2, 0};
  ASSERT_EQ(ReciprocalArray(r, 99), 0);
  EXPECT_EQ(r, (TDoubleArray{0.5, 99}));
  TDouble3DArray r3(1, TDouble2DArray(1, TDoubleArray{-4, 0}));
  ASSERT_EQ(ReciprocalArray(r3, -1), 0);
  EXPECT_EQ(r3[0][0], (TDoubleArray{-0.25, -1}));
  TDouble4DArray e4;
  EXPECT_EQ(ReciprocalArray(e4, 0), -1);
  TIntArray ea;
  EXPECT_EQ(AbsValArray(ea), -1);
}

TEST(InvertArray, TruthValues) {
  TBoolArray a{true, false, false};
  ASSERT_EQ(InvertArray(a), 0);
  EXPECT_EQ(a, (TBoolArray{false, true, true}));
  TBool2DArray b{{true}, {false}};
  ASSERT_EQ(InvertArray(b), 0);
  EXPECT_EQ(b, (TBool2DArray{{false}, {true}}));
  TBoolArray e;
  EXPECT_EQ(InvertArray(e), -1);
  TBool2DArray e2{{}};
  EXPECT_EQ(InvertArray(e2), -1);
}

}  // namespace
}  // namespace qmx
