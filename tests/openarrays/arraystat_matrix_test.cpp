#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "qmx/openarrays/openarrays.hpp"

namespace qmx {
namespace {

/// cols x rows array of uniform values in [-1, 1).
TDouble2DArray RandomArray(std::size_t cols, std::size_t rows) {
  TDouble2DArray a(cols, TDoubleArray(rows));
  for (auto& col : a) {
    for (double& x : col) {
      x = 2.0 * Random() - 1.0;
    }
  }
  return a;
}

/// Naive product with matrix element (r, c) = A[c][r].
TDouble2DArray NaiveProduct(const TDouble2DArray& a, const TDouble2DArray& b) {
  const std::size_t m = a[0].size();
  const std::size_t k = a.size();
  TDouble2DArray c(b.size(), TDoubleArray(m, 0.0));
  for (std::size_t j = 0; j < b.size(); ++j) {
    for (std::size_t i = 0; i < m; ++i) {
      long double s = 0.0L;
      for (std::size_t p = 0; p < k; ++p) {
        s += static_cast<long double>(a[p][i]) * b[j][p];
      }
      c[j][i] = static_cast<double>(s);
    }
  }
  return c;
}

double MaxDiff(const TDouble2DArray& a, const TDouble2DArray& b) {
  EXPECT_EQ(a.size(), b.size());
  double d = 0.0;
  for (std::size_t c = 0; c < std::min(a.size(), b.size()); ++c) {
    EXPECT_EQ(a[c].size(), b[c].size());
    for (std::size_t r = 0; r < std::min(a[c].size(), b[c].size()); ++r) {
      d = std::max(d, std::fabs(a[c][r] - b[c][r]));
    }
  }
  return d;
}

TDouble2DArray Identity(std::size_t n) {
  TDouble2DArray a(n, TDoubleArray(n, 0.0));
  for (std::size_t i = 0; i < n; ++i) {
    a[i][i] = 1.0;
  }
  return a;
}

class ArrayMatrixTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRandSeed(12345);
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
  }
  void TearDown() override {
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
  }
};

// ---- products ----

TEST_F(ArrayMatrixTest, MultiplyArraysMatchesNaiveProductAcrossBlockEdges) {
  const std::size_t shapes[][3] = {{1, 1, 1}, {3, 5, 2}, {37, 53, 29}, {130, 260, 141}, {5, 300, 3}};
  for (const auto& s : shapes) {
    const TDouble2DArray a = RandomArray(s[1], s[0]);  // m x k
    const TDouble2DArray b = RandomArray(s[2], s[1]);  // k x n
    TDouble2DArray c;
    ASSERT_EQ(MultiplyArrays(a, b, c), 0);
    ASSERT_EQ(c.size(), s[2]);
    ASSERT_EQ(c[0].size(), s[0]);
    EXPECT_LT(MaxDiff(c, NaiveProduct(a, b)), 1e-12 * static_cast<double>(s[1]));
  }
}

TEST_F(ArrayMatrixTest, MultiplyArraysCodesAndMixedMembers) {
  TDouble2DArray c{{7}};
  // 2 columns x 3 rows times 4 columns x 2 rows -> 4 columns x 3 rows
  ASSERT_EQ(MultiplyArrays(RandomArray(2, 3), RandomArray(4, 2), c), 0);
  EXPECT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].size(), 3u);
  c = {{7}};
  EXPECT_EQ(MultiplyArrays(RandomArray(2, 3), RandomArray(4, 3), c), -2);
  EXPECT_EQ(c, (TDouble2DArray{{7}}));
  EXPECT_EQ(MultiplyArrays(TDouble2DArray{}, RandomArray(1, 1), c), -1);
  EXPECT_EQ(MultiplyArrays(TDouble2DArray{{1, 2}, {3}}, RandomArray(1, 2), c), -2);

  const TInt2DArray ia{{1, 2}, {3, 4}};  // matrix [[1, 3], [2, 4]]
  const TDouble2DArray db{{0.5, 1}, {2, -1}};
  ASSERT_EQ(MultiplyArrays(ia, db, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{3.5, 5}, {-1, 0}}));
  ASSERT_EQ(MultiplyArrays(db, ia, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{4.5, -1}, {9.5, -1}}));
  TInt2DArray ic;
  ASSERT_EQ(MultiplyArrays(ia, ia, ic), 0);
  EXPECT_EQ(ic, (TInt2DArray{{7, 10}, {15, 22}}));
  // exact 64-bit sums, saturated at the end
  const TInt2DArray big{{2147483647}, {2147483647}};  // 1 x 2
  const TInt2DArray col{{1, -1}};                     // 2 x 1
  ASSERT_EQ(MultiplyArrays(big, col, ic), 0);
  EXPECT_EQ(ic, (TInt2DArray{{0}}));
  ASSERT_EQ(MultiplyArrays(big, TInt2DArray{{2147483647, 2147483647}}, ic), 0);
  EXPECT_EQ(ic, (TInt2DArray{{2147483647}}));
}

TEST_F(ArrayMatrixTest, MultiplyArraysOuterProduct) {
  TDouble2DArray c;
  ASSERT_EQ(MultiplyArrays(TDoubleArray{1, 2, 3}, TDoubleArray{10, 20}, c), 0);
  EXPECT_EQ(c, (TDouble2DArray{{10, 20, 30}, {20, 40, 60}}));
  TInt2DArray ic;
  ASSERT_EQ(MultiplyArrays(TIntArray{65536, 2}, TIntArray{-65536}, ic), 0);
  EXPECT_EQ(ic, (TInt2DArray{{std::numeric_limits<std::int32_t>::min(), -131072}}));
  EXPECT_EQ(MultiplyArrays(TIntArray{}, TIntArray{1}, ic), -1);
}

TEST_F(ArrayMatrixTest, VectorProducts) {
  double d = 5.0;
  ASSERT_EQ(VectorDotProduct(TDoubleArray{1, 2, 3}, TDoubleArray{4, 5, 6}, d), 0);
  EXPECT_EQ(d, 32.0);
  EXPECT_EQ(VectorDotProduct(TDoubleArray{1}, TDoubleArray{1, 2}, d), -2);
  EXPECT_EQ(d, 0.0);
  EXPECT_EQ(VectorDotProduct(TDoubleArray{}, TDoubleArray{}, d), -1);
  std::int64_t id = 0;
  const TIntArray m(4, std::numeric_limits<std::int32_t>::min());
  ASSERT_EQ(VectorDotProduct(m, m, id), 0);
  EXPECT_EQ(id, std::numeric_limits<std::int64_t>::max());  // 2^64 saturates
  ASSERT_EQ(VectorDotProduct(TIntArray{2, 3}, TIntArray{-1, 1}, id), 0);
  EXPECT_EQ(id, 1);
  TDoubleArray c;
  ASSERT_EQ(VectorCrossProduct(TDoubleArray{1, 0, 0}, TDoubleArray{0, 1, 0}, c), 0);
  EXPECT_EQ(c, (TDoubleArray{0, 0, 1}));
  EXPECT_EQ(VectorCrossProduct(TDoubleArray{1, 0}, TDoubleArray{0, 1, 0}, c), -2);
  TIntArray ic;
  ASSERT_EQ(VectorCrossProduct(TIntArray{1, 2, 3}, TIntArray{4, 5, 6}, ic), 0);
  EXPECT_EQ(ic, (TIntArray{-3, 6, -3}));
  EXPECT_EQ(VectorCrossProduct(TIntArray{}, TIntArray{4, 5, 6}, ic), -1);
}

// ---- inversion ----

TEST_F(ArrayMatrixTest, InvertArrayTimesOriginalIsIdentity) {
  for (const std::size_t n : {1u, 2u, 3u, 8u, 9u, 17u, 64u, 101u}) {
    TDouble2DArray a = RandomArray(n, n);
    for (std::size_t i = 0; i < n; ++i) {
      a[i][i] += 2.0;  // keeps the random matrix well conditioned
    }
    TDouble2DArray inv = a;
    ASSERT_EQ(InvertArray(inv), 0) << n;
    TDouble2DArray prod;
    ASSERT_EQ(MultiplyArrays(inv, a, prod), 0);
    EXPECT_LT(MaxDiff(prod, Identity(n)), 1e-12) << n;
    ASSERT_EQ(MultiplyArrays(a, inv, prod), 0);
    EXPECT_LT(MaxDiff(prod, Identity(n)), 1e-12) << n;
  }
}

TEST_F(ArrayMatrixTest, InvertArrayNeedsRowExchanges) {
  // matrix [[0, 1, 0], [0, 0, 2], [4, 0, 0]] has no usable pivot without exchanges
  TDouble2DArray a{{0, 0, 4}, {1, 0, 0}, {0, 2, 0}};
  ASSERT_EQ(InvertArray(a), 0);
  EXPECT_LT(MaxDiff(a, TDouble2DArray{{0, 1, 0}, {0, 0, 0.5}, {0.25, 0, 0}}), 1e-15);
}

TEST_F(ArrayMatrixTest, InvertArrayFailures) {
  TDouble2DArray e;
  EXPECT_EQ(InvertArray(e), -1);
  TDouble2DArray rect = RandomArray(2, 3);
  EXPECT_EQ(InvertArray(rect), -1);
  TDouble2DArray singular{{1, 2, 3}, {2, 4, 6}, {0, 1, 5}};  // two dependent columns
  const TDouble2DArray copy = singular;
  EXPECT_EQ(InvertArray(singular), -3);
  EXPECT_EQ(singular, copy);  // unchanged on failure
  TDouble2DArray zeroRow{{1, 0}, {2, 0}};
  EXPECT_EQ(InvertArray(zeroRow), -3);
  TDouble2DArray nan{{1, 0}, {0, std::nan("")}};
  EXPECT_EQ(InvertArray(nan), -3);
  TDouble2DArray huge{{1e-310, 0}, {0, 1}};
  EXPECT_EQ(InvertArray(huge), -3);  // the inverse overflows
}

TEST_F(ArrayMatrixTest, InvertArrayProgressAndAbort) {
  std::vector<double> reported;
  MathFeedBackProc = [&](double v) { reported.push_back(v); };
  ProcStat = 100.0;
  TDouble2DArray a = RandomArray(5, 5);
  for (std::size_t i = 0; i < 5; ++i) {
    a[i][i] += 3.0;
  }
  ASSERT_EQ(InvertArray(a), 0);
  EXPECT_EQ(reported, (std::vector<double>{101, 102, 103, 104, 105}));
  EXPECT_EQ(ProcStat.load(), 105.0);

  reported.clear();
  AbortMathProc = true;
  TDouble2DArray b = Identity(4);
  EXPECT_EQ(InvertArray(b), -3);
  EXPECT_EQ(reported.size(), 1u);  // stops at its first check
  EXPECT_EQ(b, Identity(4));
  AbortMathProc = false;

  // abort requested from the progress procedure in the middle
  reported.clear();
  MathFeedBackProc = [&](double v) {
    reported.push_back(v);
    if (reported.size() == 3) {
      AbortMathProc = true;
    }
  };
  TDouble2DArray c = Identity(6);
  EXPECT_EQ(InvertArray(c), -3);
  EXPECT_EQ(reported.size(), 3u);
}

// ---- LU, LUP, determinant ----

TEST_F(ArrayMatrixTest, DeterminantAndDecompositionsAgree) {
  for (const std::size_t n : {1u, 2u, 4u, 7u, 20u}) {
    const TDouble2DArray a = RandomArray(n, n);
    double det = 0.0;
    ASSERT_EQ(Determinant(a, det), 0);

    TDouble2DArray l;
    TDouble2DArray u;
    TInt2DArray p;
    std::int32_t sign = 0;
    ASSERT_EQ(LUPdecomposition(a, l, u, p, sign), 0);
    double prod = sign;
    for (std::size_t i = 0; i < n; ++i) {
      prod *= u[i][i];
      EXPECT_EQ(l[i][i], 1.0);
      for (std::size_t j = 0; j < i; ++j) {
        EXPECT_EQ(l[i][j], 0.0);             // L(j, i) above the diagonal
        EXPECT_EQ(u[j][i], 0.0);             // U(i, j) below the diagonal
        EXPECT_LE(std::fabs(l[j][i]), 1.0);  // partial pivoting bounds the multipliers
      }
    }
    EXPECT_NEAR(prod, det, 1e-12 * std::max(1.0, std::fabs(det)));
    // P * A = L * U
    TDouble2DArray pa;
    TDouble2DArray lu;
    ASSERT_EQ(MultiplyArrays(p, a, pa), 0);
    ASSERT_EQ(MultiplyArrays(l, u, lu), 0);
    EXPECT_LT(MaxDiff(pa, lu), 1e-13);

    TDouble2DArray l2;
    TDouble2DArray u2;
    ASSERT_EQ(LUdecomposition(a, l2, u2), 0);  // random pivots are non-zero
    ASSERT_EQ(MultiplyArrays(l2, u2, lu), 0);
    EXPECT_LT(MaxDiff(a, lu), 1e-9);
    long double prod2 = 1.0L;
    for (std::size_t i = 0; i < n; ++i) {
      prod2 *= u2[i][i];
    }
    EXPECT_NEAR(static_cast<double>(prod2), det, 1e-8 * std::max(1.0, std::fabs(det)));
  }
}

TEST_F(ArrayMatrixTest, DeterminantKnownValuesAndCodes) {
  double det = 7.0;
  ASSERT_EQ(Determinant(TDouble2DArray{{1, 3}, {2, 4}}, det), 0);  // [[1, 2], [3, 4]]
  EXPECT_DOUBLE_EQ(det, -2.0);
  ASSERT_EQ(Determinant(Identity(5), det), 0);
  EXPECT_EQ(det, 1.0);
  ASSERT_EQ(Determinant(TDouble2DArray{{1, 2}, {2, 4}}, det), 0);
  EXPECT_EQ(det, 0.0);
  ASSERT_EQ(Determinant(TDouble2DArray{{0, 1}, {1, 0}}, det), 0);
  EXPECT_EQ(det, -1.0);
  EXPECT_EQ(Determinant(TDouble2DArray{}, det), -1);
  EXPECT_EQ(det, 0.0);
  EXPECT_EQ(Determinant(RandomArray(2, 3), det), -2);
  EXPECT_EQ(Determinant(TDouble2DArray{{1, std::nan("")}, {0, 1}}, det), -3);
}

TEST_F(ArrayMatrixTest, LUWithoutExchangesFailsOnZeroPivot) {
  TDouble2DArray l{{5}};
  TDouble2DArray u{{5}};
  EXPECT_EQ(LUdecomposition(TDouble2DArray{{0, 1}, {1, 0}}, l, u), -3);
  EXPECT_EQ(l, (TDouble2DArray{{5}}));
  EXPECT_EQ(LUdecomposition(TDouble2DArray{}, l, u), -1);
  EXPECT_EQ(LUdecomposition(RandomArray(3, 2), l, u), -2);
  TInt2DArray p;
  std::int32_t sign = 0;
  ASSERT_EQ(LUPdecomposition(TDouble2DArray{{0, 1}, {1, 0}}, l, u, p, sign), 0);
  EXPECT_EQ(sign, -1);
  EXPECT_EQ(p, (TInt2DArray{{0, 1}, {1, 0}}));
  ASSERT_EQ(LUPdecomposition(TDouble2DArray{{0, 0}, {0, 0}}, l, u, p, sign), 0);  // singular still factors
  EXPECT_EQ(u, (TDouble2DArray{{0, 0}, {0, 0}}));
  EXPECT_EQ(LUPdecomposition(RandomArray(3, 2), l, u, p, sign), -2);
}

// ---- eigen decomposition ----

TEST_F(ArrayMatrixTest, EigenDecompositionReconstructsSymmetricMatrices) {
  for (const std::size_t n : {1u, 2u, 3u, 6u, 40u}) {
    TDouble2DArray a = RandomArray(n, n);
    for (std::size_t c = 0; c < n; ++c) {
      for (std::size_t r = 0; r < c; ++r) {
        a[c][r] = a[r][c];
      }
    }
    TDouble2DArray vecs;
    TDoubleArray vals;
    ASSERT_EQ(EigenDecomposition(a, true, vecs, vals), 0) << n;
    ASSERT_EQ(vals.size(), n);
    ASSERT_EQ(vecs.size(), n);
    EXPECT_TRUE(std::is_sorted(vals.rbegin(), vals.rend()));
    // A = V diag(vals) V'
    TDouble2DArray vd = vecs;
    for (std::size_t c = 0; c < n; ++c) {
      for (double& x : vd[c]) {
        x *= vals[c];
      }
    }
    TDouble2DArray vt = vecs;
    ASSERT_EQ(TransposeArray(vt), 0);
    TDouble2DArray rec;
    ASSERT_EQ(MultiplyArrays(vd, vt, rec), 0);
    EXPECT_LT(MaxDiff(rec, a), 1e-12 * static_cast<double>(n)) << n;
    // orthonormal columns with their largest component positive
    TDouble2DArray vtv;
    ASSERT_EQ(MultiplyArrays(vt, vecs, vtv), 0);
    EXPECT_LT(MaxDiff(vtv, Identity(n)), 1e-12 * static_cast<double>(n));
    for (const auto& v : vecs) {
      const auto big =
          std::max_element(v.begin(), v.end(), [](double x, double y) { return std::fabs(x) < std::fabs(y); });
      EXPECT_GT(*big, 0.0);
    }
    TDouble2DArray none{{1}};
    TDoubleArray vals2;
    ASSERT_EQ(EigenDecomposition(a, false, none, vals2), 0);
    EXPECT_TRUE(none.empty());
    for (std::size_t i = 0; i < n; ++i) {
      EXPECT_NEAR(vals2[i], vals[i], 1e-12 * static_cast<double>(n));
    }
  }
}

TEST_F(ArrayMatrixTest, EigenDecompositionKnownCasesAndCodes) {
  TDouble2DArray vecs;
  TDoubleArray vals;
  ASSERT_EQ(EigenDecomposition(TDouble2DArray{{2, 1}, {1, 2}}, true, vecs, vals), 0);
  EXPECT_NEAR(vals[0], 3.0, 1e-15);
  EXPECT_NEAR(vals[1], 1.0, 1e-15);
  const double h = std::sqrt(0.5);
  EXPECT_NEAR(vecs[0][0], h, 1e-15);
  EXPECT_NEAR(vecs[0][1], h, 1e-15);
  EXPECT_NEAR(std::fabs(vecs[1][0]), h, 1e-15);
  EXPECT_NEAR(vecs[1][0], -vecs[1][1], 1e-15);
  ASSERT_EQ(EigenDecomposition(TDouble2DArray{{1, 0, 0}, {0, 5, 0}, {0, 0, -2}}, true, vecs, vals), 0);
  EXPECT_EQ(vals, (TDoubleArray{5, 1, -2}));
  EXPECT_EQ(vecs, (TDouble2DArray{{0, 1, 0}, {1, 0, 0}, {0, 0, 1}}));
  ASSERT_EQ(EigenDecomposition(TDouble2DArray(4, TDoubleArray(4, 0.0)), true, vecs, vals), 0);
  EXPECT_EQ(vals, TDoubleArray(4, 0.0));

  vals = {42};
  EXPECT_EQ(EigenDecomposition(TDouble2DArray{}, true, vecs, vals), -1);
  EXPECT_EQ(EigenDecomposition(RandomArray(2, 3), true, vecs, vals), -2);
  EXPECT_EQ(EigenDecomposition(TDouble2DArray{{1, 2}, {3, 4}}, true, vecs, vals), -3);
  EXPECT_EQ(EigenDecomposition(TDouble2DArray{{1, std::nan("")}, {std::nan(""), 1}}, true, vecs, vals), -3);
  EXPECT_EQ(vals, TDoubleArray{42});
}

// ---- hat matrix, trace, transpose, normalisation, centring ----

TEST_F(ArrayMatrixTest, CalcHatMatrixIsAProjection) {
  const TDouble2DArray x = RandomArray(3, 12);  // 12 objects, 3 variables
  TDouble2DArray h;
  ASSERT_EQ(CalcHatMatrix(x, h), 0);
  ASSERT_EQ(h.size(), 12u);
  ASSERT_EQ(h[0].size(), 12u);
  TDouble2DArray hh;
  ASSERT_EQ(MultiplyArrays(h, h, hh), 0);
  EXPECT_LT(MaxDiff(hh, h), 1e-12);
  TDouble2DArray hx;
  ASSERT_EQ(MultiplyArrays(h, x, hx), 0);
  EXPECT_LT(MaxDiff(hx, x), 1e-12);
  double trace = 0.0;
  ASSERT_EQ(TraceOfArray(h, trace), 0);
  EXPECT_NEAR(trace, 3.0, 1e-12);
  TDouble2DArray h2{{1}};
  EXPECT_EQ(CalcHatMatrix(TDouble2DArray{{1, 2, 3}, {2, 4, 6}}, h2), -3);  // collinear columns
  EXPECT_EQ(h2, TDouble2DArray{{1}});
  EXPECT_EQ(CalcHatMatrix(TDouble2DArray{}, h2), -1);
}

TEST_F(ArrayMatrixTest, TraceAndTranspose) {
  double t = 9.0;
  EXPECT_EQ(TraceOfArray(TDouble2DArray{{1, 2}, {3, 4}}, t), 0);
  EXPECT_EQ(t, 5.0);
  EXPECT_EQ(TraceOfArray(TDouble2DArray{{1, 2}}, t), -2);
  EXPECT_EQ(t, 0.0);
  EXPECT_EQ(TraceOfArray(TDouble2DArray{}, t), -1);
  std::int64_t it = 0;
  EXPECT_EQ(TraceOfArray(TInt2DArray{{2147483647, 0}, {0, 2147483647}}, it), 0);
  EXPECT_EQ(it, 2 * std::int64_t{2147483647});

  TInt2DArray a{{1, 2, 3}, {4, 5, 6}};
  ASSERT_EQ(TransposeArray(a), 0);
  EXPECT_EQ(a, (TInt2DArray{{1, 4}, {2, 5}, {3, 6}}));
  TBool2DArray b{{true, false}};
  ASSERT_EQ(TransposeArray(b), 0);
  EXPECT_EQ(b, (TBool2DArray{{true}, {false}}));
  TDouble2DArray ragged{{1, 2}, {3}};
  EXPECT_EQ(TransposeArray(ragged), -2);
  TDouble2DArray empty;
  EXPECT_EQ(TransposeArray(empty), -1);
}

TEST_F(ArrayMatrixTest, NormalizeColumnsAndRows) {
  TDouble2DArray a{{3, 4}, {0, 0}, {0, 2}};
  EXPECT_EQ(NormalizeColumns(a), -1);  // the zero column is left alone
  EXPECT_EQ(a, (TDouble2DArray{{0.6, 0.8}, {0, 0}, {0, 1}}));
  TDouble2DArray b{{3, 0}, {4, 0}};
  EXPECT_EQ(NormalizeRows(b), -1);
  EXPECT_EQ(b, (TDouble2DArray{{0.6, 0}, {0.8, 0}}));
  TDouble2DArray c{{1, 2}, {1, 2}};
  EXPECT_EQ(NormalizeRows(c), 0);
  EXPECT_NEAR(c[0][0], std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(c[1][1], std::sqrt(0.5), 1e-15);
  TDouble2DArray e;
  EXPECT_EQ(NormalizeColumns(e), 0);
  EXPECT_EQ(NormalizeRows(e), 0);
}

TEST_F(ArrayMatrixTest, MeanCentring) {
  TDouble2DArray a{{1, 3}, {10, 20}};
  TDoubleArray means;  // empty: not filled
  MeanCenterColumnsOfArray(a, means);
  EXPECT_EQ(a, (TDouble2DArray{{-1, 1}, {-5, 5}}));
  EXPECT_TRUE(means.empty());
  TDouble2DArray b{{1, 3}, {10, 20}};
  means = {0};
  MeanCenterColumnsOfArray(b, means);
  EXPECT_EQ(means, (TDoubleArray{2, 15}));
  TDouble2DArray c{{1, 3}, {10, 20}, {4, 4}};
  means = {0};
  MeanCenterRowsOfArray(c, means);
  EXPECT_EQ(means, (TDoubleArray{5, 9}));
  EXPECT_EQ(c, (TDouble2DArray{{-4, -6}, {5, 11}, {-1, -5}}));
}

TEST_F(ArrayMatrixTest, NormalizeHugeAndDenormalColumnsAndRows) {
  const double big = std::numeric_limits<double>::max();
  const double tiny = std::numeric_limits<double>::denorm_min();
  TDouble2DArray a{{big, big}, {3 * tiny, 4 * tiny}};
  ASSERT_EQ(NormalizeColumns(a), 0);
  EXPECT_NEAR(a[0][0], std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(a[0][1], std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(a[1][0], 0.6, 1e-15);
  EXPECT_NEAR(a[1][1], 0.8, 1e-15);
  TDouble2DArray b{{big, 3 * tiny}, {big, 4 * tiny}};
  ASSERT_EQ(NormalizeRows(b), 0);
  EXPECT_NEAR(b[0][0], std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(b[1][1], 0.8, 1e-15);
}

TEST_F(ArrayMatrixTest, OverflowingFactorsAreAFailure) {
  const double big = std::numeric_limits<double>::max();
  // [[1, big], [big, 1]] without row exchanges: u22 = 1 - big^2
  TDouble2DArray l{{7.0}};
  TDouble2DArray u{{7.0}};
  EXPECT_EQ(LUdecomposition(TDouble2DArray{{1.0, big}, {big, 1.0}}, l, u), -3);
  EXPECT_EQ(l, TDouble2DArray{{7.0}});
  // growth of 4 under partial pivoting in the last column
  const double c = big / 2;
  const TDouble2DArray g{{1.0, -1.0, -1.0}, {0.0, 1.0, -1.0}, {c, c, c}};
  TInt2DArray p;
  std::int32_t sign = 0;
  EXPECT_EQ(LUPdecomposition(g, l, u, p, sign), -3);
  EXPECT_EQ(u, TDouble2DArray{{7.0}});
  // the determinant is 4c = 2 big: an infinity, not a failure
  double det = 0.0;
  EXPECT_EQ(Determinant(g, det), 0);
  EXPECT_EQ(det, std::numeric_limits<double>::infinity());
}

TEST_F(ArrayMatrixTest, EigenAndDeterminantOfCellsNearTheLargestDouble) {
  TDouble2DArray ev;
  TDoubleArray vals;
  ASSERT_EQ(EigenDecomposition(TDouble2DArray{{0.0, 1e308}, {1e308, 0.0}}, true, ev, vals), 0);
  ASSERT_EQ(vals.size(), 2u);
  EXPECT_NEAR(vals[0] / 1e308, 1.0, 1e-15);
  EXPECT_NEAR(vals[1] / 1e308, -1.0, 1e-15);
  EXPECT_NEAR(std::fabs(ev[0][0]), std::sqrt(0.5), 1e-15);
  // a symmetric 6 x 6 matrix of +-big cells: elimination used to reach inf - inf
  const double big = std::numeric_limits<double>::max();
  TDouble2DArray a(6, TDoubleArray(6));
  for (std::size_t c = 0; c < 6; ++c) {
    for (std::size_t r = 0; r < 6; ++r) a[c][r] = (c * 6 + r) % 2 == 0 ? big : -0.75 * big;
  }
  for (std::size_t c = 0; c < 6; ++c) {
    for (std::size_t r = c + 1; r < 6; ++r) a[c][r] = a[r][c];
  }
  double det = 0.0;
  ASSERT_EQ(Determinant(a, det), 0);
  EXPECT_EQ(det, -std::numeric_limits<double>::infinity());  // -1050.4 * 2^6138
  ASSERT_EQ(EigenDecomposition(a, false, ev, vals), 0);
  for (const double v : vals) { EXPECT_FALSE(std::isnan(v)); }
}

}  // namespace
}  // namespace qmx
