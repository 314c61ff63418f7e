// TMatrix linear algebra: products against a naive reference (shapes, events,
// aliasing), the threaded cross-product matrix, transposition, inversion,
// LU and Cholesky decompositions reconstructing their input, determinant,
// norms, balancing, correlation, the hat matrix and distances.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/matrix/matrices.hpp"
#include "qmx/vector/vectors.hpp"

namespace qmx {
namespace {

class LinalgMatrix : public ::testing::Test {
 protected:
  void SetUp() override {
    ProcStat = 0.0;
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
  }
  void TearDown() override {
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
  }
};

void FillRandom(TMatrix& m, std::int32_t cols, std::int32_t rows, unsigned seed, double diag = 0.0) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(-3.0, 3.0);
  m.Resize(cols, rows);
  for (double& x : m.Data()) {
    x = u(gen);
  }
  for (std::int32_t i = 1; i <= std::min(cols, rows); ++i) {
    m.SetVal(i, i, m.Elem(i, i) + diag);
  }
}

/// Sets m to the matrix written row by row: Rows[r][c] is element (c + 1, r + 1).
void SetRows(TMatrix& m, const std::vector<std::vector<double>>& Rows) {
  m.Resize(static_cast<std::int32_t>(Rows[0].size()), static_cast<std::int32_t>(Rows.size()));
  for (std::size_t r = 0; r < Rows.size(); ++r) {
    for (std::size_t c = 0; c < Rows[r].size(); ++c) {
      m.SetVal(static_cast<std::int32_t>(c + 1), static_cast<std::int32_t>(r + 1), Rows[r][c]);
    }
  }
}

/// The naive product: R(r, c) = Σ_k a(r, k)·b(k, c) with 80-bit sums.
std::vector<double> NaiveProduct(const TMatrix& a, const TMatrix& b, bool ta, bool tb) {
  const std::int32_t m = ta ? a.NrOfColumns() : a.NrOfRows();
  const std::int32_t p = ta ? a.NrOfRows() : a.NrOfColumns();
  const std::int32_t n = tb ? b.NrOfRows() : b.NrOfColumns();
  std::vector<double> out;
  for (std::int32_t c = 1; c <= n; ++c) {
    for (std::int32_t r = 1; r <= m; ++r) {
      long double s = 0;
      for (std::int32_t k = 1; k <= p; ++k) {
        const double x = ta ? a.Elem(r, k) : a.Elem(k, r);
        const double y = tb ? b.Elem(k, c) : b.Elem(c, k);
        s += static_cast<long double>(x) * y;
      }
      out.push_back(static_cast<double>(s));
    }
  }
  return out;
}

std::vector<double> Values(const TMatrix& m) { return {m.Data().begin(), m.Data().end()}; }

TEST_F(LinalgMatrix, ProductShapesAndMismatch) {
  TMatrix a;
  TMatrix b;
  TMatrix r;
  FillRandom(a, 2, 3, 1);
  FillRandom(b, 4, 2, 2);
  ASSERT_TRUE(a.Multiply(&b, &r));
  EXPECT_EQ(r.NrOfColumns(), 4);
  EXPECT_EQ(r.NrOfRows(), 3);
  EXPECT_EQ(Values(r), NaiveProduct(a, b, false, false));
  TMatrix b3;
  FillRandom(b3, 4, 3, 3);
  const std::string before = r.CRCofData();
  EXPECT_FALSE(a.Multiply(&b3, &r));
  EXPECT_EQ(r.CRCofData(), before);
  EXPECT_EQ(r.NrOfColumns(), 4);
  EXPECT_FALSE(a.Multiply(static_cast<const TMatrix*>(nullptr), &r));
  EXPECT_FALSE(a.Multiply(&b, static_cast<TMatrix*>(nullptr)));
}

TEST_F(LinalgMatrix, ProductsOnRandomShapesEqualTheNaiveReference) {
  std::mt19937 gen(99);
  std::uniform_int_distribution<std::int32_t> dim(1, 13);
  for (int trial = 0; trial < 25; ++trial) {
    const std::int32_t m = trial == 0 ? 1 : dim(gen);
    const std::int32_t p = dim(gen);
    const std::int32_t n = trial == 1 ? 1 : dim(gen);
    TMatrix a;
    TMatrix b;
    TMatrix bt;
    TMatrix at;
    TMatrix r;
    FillRandom(a, p, m, 10 + trial);   // m rows, p columns
    FillRandom(b, n, p, 50 + trial);   // p rows, n columns
    FillRandom(bt, p, n, 90 + trial);  // n rows, p columns
    FillRandom(at, m, p, 130 + trial); // p rows, m columns
    ASSERT_TRUE(a.Multiply(&b, &r));
    EXPECT_EQ(Values(r), NaiveProduct(a, b, false, false));
    ASSERT_TRUE(a.MultiplyTransposed(&bt, &r));
    EXPECT_EQ(Values(r), NaiveProduct(a, bt, false, true));
    ASSERT_TRUE(at.TransposeAndMultiply(&b, &r));
    EXPECT_EQ(Values(r), NaiveProduct(at, b, true, false));

    // The vector forms agree with the products by a one-column matrix.
    TVector v;
    TVector w;
    v.Resize(p);
    TMatrix vm;
    vm.Resize(1, p);
    for (std::int32_t k = 1; k <= p; ++k) {
      v.SetVal(k, 0.5 * k - 1.0);
      vm.SetVal(1, k, 0.5 * k - 1.0);
    }
    ASSERT_TRUE(a.Multiply(&v, &w));
    EXPECT_EQ(std::vector<double>(w.Data().begin(), w.Data().end()), NaiveProduct(a, vm, false, false));
    ASSERT_TRUE(at.TransposeAndMultiply(&v, &w));
    EXPECT_EQ(std::vector<double>(w.Data().begin(), w.Data().end()), NaiveProduct(at, vm, true, false));
  }
}

TEST_F(LinalgMatrix, ProductEventsAndAliasing) {
  TMatrix a;
  TMatrix r;
  FillRandom(a, 3, 3, 4);
  std::string log;
  a.OnChange = [&log](TObject*) { log += 'A'; };
  r.OnChange = [&log](TObject*) { log += 'c'; };
  r.OnResize = [&log](TObject*) { log += 'r'; };
  ASSERT_TRUE(a.Multiply(&a, &r));
  // Resize (c r), nine elements through the setter, then this matrix.
  EXPECT_EQ(log, "cr" + std::string(9, 'c') + "A");
  log.clear();
  ASSERT_TRUE(a.TransposeAndMultiply(&a, &r));
  EXPECT_EQ(log, std::string(9, 'c'));  // no event of this matrix

  // The result may be an operand: A := A·A.
  a.OnChange = nullptr;
  const std::vector<double> expect = NaiveProduct(a, a, false, false);
  ASSERT_TRUE(a.Multiply(&a, &a));
  EXPECT_EQ(Values(a), expect);
}

TEST_F(LinalgMatrix, ElementwiseAndScalarArithmetic) {
  TMatrix a;
  TMatrix b;
  TMatrix r;
  FillRandom(a, 2, 3, 5);
  FillRandom(b, 2, 3, 6);
  const std::vector<double> av = Values(a);
  const std::vector<double> bv = Values(b);
  ASSERT_TRUE(a.EMult(&b, &r));
  for (std::size_t k = 0; k < av.size(); ++k) {
    EXPECT_EQ(r.Data()[k], av[k] * bv[k]);
  }
  ASSERT_TRUE(a.Add(&b));
  ASSERT_TRUE(a.Subtract(&b));
  for (std::size_t k = 0; k < av.size(); ++k) {
    EXPECT_EQ(a.Data()[k], (av[k] + bv[k]) - bv[k]);
  }
  a.SMult(2.0);
  a.SAdd(1.0);
  EXPECT_EQ(a.Data()[0], (av[0] + bv[0] - bv[0]) * 2.0 + 1.0);
  TMatrix other;
  other.Resize(3, 2);
  EXPECT_FALSE(a.Add(&other));
  EXPECT_FALSE(a.Subtract(nullptr));
  EXPECT_FALSE(a.EMult(&other, &r));
}

TEST_F(LinalgMatrix, SquareSingleAndThreadedAgree) {
  TMatrix a;
  TMatrix r;
  SetRows(a, {{1}, {2}, {3}});
  ASSERT_TRUE(a.Square(&r, 1.0, 1));
  EXPECT_EQ(r.NrOfColumns(), 1);
  EXPECT_EQ(r.Elem(1, 1), 14.0);

  FillRandom(a, 37, 50, 8);
  TMatrix ref;
  ASSERT_TRUE(a.Square(&ref, 49.0, 1));
  const std::vector<double> naive = NaiveProduct(a, a, true, false);
  for (std::size_t k = 0; k < naive.size(); ++k) {
    EXPECT_NEAR(ref.Data()[k], naive[k] / 49.0, 1e-15 * std::fabs(naive[k]));
  }
  TMatrix t;
  ASSERT_TRUE(a.Square(&t, 49.0, 5));
  EXPECT_EQ(Values(t), Values(ref));
  ASSERT_TRUE(a.Square(&r, 49.0));  // the processor default
  EXPECT_EQ(Values(r), Values(ref));
  EXPECT_FALSE(a.Square(nullptr, 1.0));

  // The result may be the matrix itself.
  TMatrix self;
  self.Assign(&a);
  ASSERT_TRUE(self.Square(&self, 49.0, 3));
  EXPECT_EQ(Values(self), Values(ref));
}

TEST_F(LinalgMatrix, SquareAbortsFromTheFeedback) {
  TMatrix a;
  TMatrix r;
  FillRandom(a, 120, 200, 9);
  for (std::int32_t threads : {1, 3}) {
    MathFeedBackProc = [](double) { AbortMathProc = true; };
    AbortMathProc = false;
    EXPECT_FALSE(a.Square(&r, 1.0, threads)) << threads;
    EXPECT_EQ(r.NrOfColumns(), 120);
  }
}

TEST_F(LinalgMatrix, Transpose) {
  TMatrix a;
  SetRows(a, {{11, 21}, {12, 22}, {13, 23}});  // element (c, r) = 10c + r
  std::string log;
  a.OnChange = [&log](TObject*) { log += 'C'; };
  a.OnResize = [&log](TObject*) { log += 'R'; };
  a.Transpose();
  EXPECT_EQ(log, "CR");
  EXPECT_EQ(a.NrOfColumns(), 3);
  EXPECT_EQ(a.NrOfRows(), 2);
  EXPECT_EQ(a.Elem(3, 2), 23.0);
  EXPECT_EQ(a.Elem(1, 2), 21.0);
}

TEST_F(LinalgMatrix, InvertAndLUReconstruct) {
  TMatrix a;
  FillRandom(a, 12, 12, 11, 6.0);
  TMatrix inv;
  inv.Assign(&a);
  ASSERT_TRUE(inv.Invert());
  TMatrix prod;
  ASSERT_TRUE(a.Multiply(&inv, &prod));
  for (std::int32_t c = 1; c <= 12; ++c) {
    for (std::int32_t r = 1; r <= 12; ++r) {
      EXPECT_NEAR(prod.Elem(c, r), c == r ? 1.0 : 0.0, 1e-13);
    }
  }
  TMatrix l;
  TMatrix u;
  const std::string crc = a.CRCofData();
  ASSERT_TRUE(a.LUdecomposition(&l, &u));
  EXPECT_EQ(a.CRCofData(), crc);
  for (std::int32_t c = 1; c <= 12; ++c) {
    EXPECT_EQ(l.Elem(c, c), 1.0);
    for (std::int32_t r = c + 1; r <= 12; ++r) {
      EXPECT_EQ(u.Elem(c, r), 0.0);  // U upper triangular
      EXPECT_EQ(l.Elem(r, c), 0.0);  // L lower triangular
    }
  }
  ASSERT_TRUE(l.Multiply(&u, &prod));
  for (std::size_t k = 0; k < prod.Data().size(); ++k) {
    EXPECT_NEAR(prod.Data()[k], a.Data()[k], 1e-12);
  }

  TMatrix sing;
  sing.Resize(2, 2);
  sing.Fill(1.0);
  EXPECT_FALSE(sing.Invert());
  EXPECT_EQ(sing.Elem(2, 2), 1.0);
  TMatrix rect;
  rect.Resize(2, 3);
  EXPECT_FALSE(rect.Invert());
  EXPECT_FALSE(rect.LUdecomposition(&l, &u));
  EXPECT_FALSE(a.LUdecomposition(&l, nullptr));
}

TEST_F(LinalgMatrix, CholeskyDecomposition) {
  TMatrix a;
  SetRows(a, {{4, 2}, {2, 3}});
  TMatrix l;
  ASSERT_TRUE(a.CholeskyDecomp(&l));
  EXPECT_EQ(l.Elem(1, 1), 2.0);
  EXPECT_EQ(l.Elem(2, 1), 0.0);
  EXPECT_EQ(l.Elem(1, 2), 1.0);
  EXPECT_DOUBLE_EQ(l.Elem(2, 2), std::sqrt(2.0));

  // Random SPD: L·Lᵀ reproduces the input.
  TMatrix b;
  FillRandom(b, 10, 10, 12);
  TMatrix spd;
  ASSERT_TRUE(b.MultiplyTransposed(&b, &spd));
  for (std::int32_t i = 1; i <= 10; ++i) {
    spd.SetVal(i, i, spd.Elem(i, i) + 1.0);
  }
  TMatrix keep;
  keep.Assign(&spd);
  ASSERT_TRUE(spd.CholeskyDecomp(&l));
  TMatrix prod;
  ASSERT_TRUE(l.MultiplyTransposed(&l, &prod));
  for (std::size_t k = 0; k < prod.Data().size(); ++k) {
    EXPECT_NEAR(prod.Data()[k], keep.Data()[k], 1e-12 * 30);
  }

  TMatrix bad;
  bad.Resize(2, 2);
  bad.Fill(1.0);
  bad.SetVal(2, 2, 0.5);  // [[1, 1], [1, 0.5]] is indefinite
  EXPECT_FALSE(bad.CholeskyDecomp(&l));
  EXPECT_EQ(l.Elem(1, 1), 1.0);  // the first column was done
  EXPECT_EQ(l.Elem(2, 2), 0.0);
  bad.SetVal(1, 1, std::numeric_limits<double>::quiet_NaN());
  EXPECT_FALSE(bad.CholeskyDecomp(&l));
  EXPECT_EQ(l.Elem(1, 1), 0.0);
  TMatrix rect;
  rect.Resize(3, 2);
  EXPECT_FALSE(rect.CholeskyDecomp(&l));
}

TEST_F(LinalgMatrix, Determinant) {
  TMatrix a;
  a.Resize(3, 3);
  a.FillDiag(1.0);
  EXPECT_EQ(a.Determinant(), 1.0);
  TMatrix swap;
  SetRows(swap, {{0, 1}, {1, 0}});
  EXPECT_EQ(swap.Determinant(), -1.0);  // needs a row exchange
  TMatrix sing;
  sing.Resize(2, 2);
  sing.Fill(2.0);
  EXPECT_EQ(sing.Determinant(), 0.0);
  TMatrix rect;
  rect.Resize(2, 3);
  EXPECT_EQ(rect.Determinant(), 0.0);
  TMatrix m;
  SetRows(m, {{3, 8}, {4, 6}});
  EXPECT_NEAR(m.Determinant(), 3 * 6 - 8 * 4, 1e-14);
}

TEST_F(LinalgMatrix, NormsBalanceAndCorrelation) {
  TMatrix row;
  SetRows(row, {{3, 4}});
  EXPECT_EQ(row.Norm(TNormType::ntFrobenius), 5.0);
  TMatrix m;
  SetRows(m, {{1, -2}, {3, 4}});
  EXPECT_EQ(m.Norm(TNormType::ntColwise), 6.0);
  EXPECT_EQ(m.Norm(TNormType::ntRowwise), 7.0);
  TMatrix d;
  SetRows(d, {{3, 0}, {0, -4}});
  EXPECT_NEAR(d.Norm(TNormType::ntSpectral), 4.0, 1e-15);
  ProcStat = 0.0;
  AbortMathProc = true;
  try {
    (void)m.Norm(TNormType::ntSpectral);
    ADD_FAILURE() << "no exception";
  } catch (const EQMXMatrixError& e) {
    EXPECT_STREQ(e.what(), "near singular covariance matrix");
  }
  AbortMathProc = false;
  EXPECT_EQ(ProcStat.load(), 1.0);  // one step of the reduction, then the flag

  TMatrix rect;
  rect.Resize(2, 3);
  EXPECT_FALSE(rect.Balance(1.01));
  const std::string before = d.CRCofData();
  EXPECT_TRUE(d.Balance(1.01));
  EXPECT_EQ(d.CRCofData(), before);

  TMatrix x;
  TMatrix y;
  x.Resize(2, 2);
  y.Resize(2, 2);
  for (std::int32_t k = 0; k < 4; ++k) {
    x.Data()[k] = k;
    y.Data()[k] = 3.0 * k + 1.0;
  }
  EXPECT_NEAR(x.Correlate(&y), 1.0, 1e-15);
  x.SetName("X");
  TMatrix z;
  z.Resize(1, 4);
  try {
    (void)x.Correlate(&z);
    ADD_FAILURE() << "no exception";
  } catch (const EQMXMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"X\": matrices do not match");
  }
}

TEST_F(LinalgMatrix, HatMatrix) {
  TMatrix x;
  FillRandom(x, 3, 8, 14);
  TMatrix h;
  ASSERT_EQ(x.CalcHatMatrix(&h), 0);
  ASSERT_EQ(h.NrOfColumns(), 8);
  ASSERT_EQ(h.NrOfRows(), 8);
  TMatrix hx;
  ASSERT_TRUE(h.Multiply(&x, &hx));  // H·X = X
  for (std::size_t k = 0; k < hx.Data().size(); ++k) {
    EXPECT_NEAR(hx.Data()[k], x.Data()[k], 1e-12);
  }
  for (std::int32_t c = 1; c <= 8; ++c) {
    for (std::int32_t r = 1; r <= 8; ++r) {
      EXPECT_NEAR(h.Elem(c, r), h.Elem(r, c), 1e-14);
    }
  }
  EXPECT_EQ(x.CalcHatMatrix(nullptr), -1);
}

TEST_F(LinalgMatrix, DistancesBetweenRows) {
  TMatrix m;
  FillRandom(m, 3, 4, 15);
  EXPECT_EQ(m.DistanceOfObjects(TDistMode::dmUser, 1, 2), 0.0);
  m.OnCalcDistance = [](TObject*, std::int32_t r1, std::int32_t r2, double& dist) {
    EXPECT_EQ(dist, 0.0);
    dist = 100.0 * r1 + r2;
  };
  EXPECT_EQ(m.DistanceOfObjects(TDistMode::dmUser, 3, 4), 304.0);
  double expect = 0;
  for (std::int32_t c = 1; c <= 3; ++c) {
    expect += std::fabs(m.Elem(c, 1) - m.Elem(c, 3));
  }
  EXPECT_NEAR(m.DistanceOfObjects(TDistMode::dmManhattan, 1, 3), expect, 1e-14);
  // A row outside the matrix counts as zeros.
  double sq = 0;
  for (std::int32_t c = 1; c <= 3; ++c) {
    sq += m.Elem(c, 2) * m.Elem(c, 2);
  }
  EXPECT_NEAR(m.DistanceOfObjects(TDistMode::dmEuclidSq, 2, 9), sq, 1e-14);
  EXPECT_NEAR(m.DistanceOfObjects(TDistMode::dmEuclidSq, 0, 2), sq, 1e-14);

  TMatrix d;
  d.Resize(3, 3);
  EXPECT_EQ(m.CalcDistMat(TDistMode::dmEuclid, &d), -2);
  d.Resize(4, 3);
  EXPECT_EQ(m.CalcDistMat(TDistMode::dmEuclid, &d), -1);
  EXPECT_EQ(m.CalcDistMat(TDistMode::dmEuclid, nullptr), -1);
  d.Resize(4, 4);
  for (const TDistMode mode : {TDistMode::dmTanimoto, TDistMode::dmEuclid, TDistMode::dmDice, TDistMode::dmUser}) {
    ASSERT_EQ(m.CalcDistMat(mode, &d), 0);
    for (std::int32_t i = 1; i <= 4; ++i) {
      EXPECT_EQ(d.Elem(i, i), 0.0);
      for (std::int32_t j = i + 1; j <= 4; ++j) {
        EXPECT_EQ(d.Elem(i, j), m.DistanceOfObjects(mode, i, j));
        EXPECT_EQ(d.Elem(j, i), d.Elem(i, j));
      }
    }
  }
}

TEST_F(LinalgMatrix, CopyFromAnIntegerMatrix) {
  TIntMatrix src;
  src.Resize(3, 2);
  src.FillSerial(1, 1);  // 1 2 | 3 4 | 5 6
  TMatrix m;
  m.Resize(2, 2);
  m.CopyFrom(&src, 2, 1, 3, 2, 1, 1);
  EXPECT_EQ(m.Elem(1, 1), 3.0);
  EXPECT_EQ(m.Elem(2, 2), 6.0);
  // From a sparse matrix the entries are read; the region is clamped to its
  // nominal dimensions.
  TIntMatrix sp(nullptr, 4);
  sp.SetVal(1, 1, -7);
  sp.SetVal(2, 2, 9);
  m.CopyFrom(&sp, 1, 1, 2, 2, 1, 1);
  EXPECT_EQ(m.Elem(1, 1), -7.0);
  EXPECT_EQ(m.Elem(2, 2), 6.0);
  m.CopyFrom(static_cast<const TIntMatrix*>(nullptr), 1, 1, 1, 1, 1, 1);
}

TEST_F(LinalgMatrix, NormsOfSpecialValues) {
  using L = std::numeric_limits<double>;
  TMatrix m;
  SetRows(m, {{1, 2}, {3, 4}});
  m.SetVal(2, 1, L::quiet_NaN());
  for (const TNormType t : {TNormType::ntColwise, TNormType::ntRowwise, TNormType::ntSpectral,
                            TNormType::ntFrobenius}) {
    EXPECT_TRUE(std::isnan(m.Norm(t))) << static_cast<int>(t);
  }
  m.SetVal(2, 1, -L::infinity());
  for (const TNormType t : {TNormType::ntColwise, TNormType::ntRowwise, TNormType::ntSpectral,
                            TNormType::ntFrobenius}) {
    EXPECT_EQ(m.Norm(t), L::infinity()) << static_cast<int>(t);
  }
  // Elements whose sums overflow: the largest singular value of a column of
  // three equal values v is sqrt(3)·v.
  TMatrix col;
  col.Resize(1, 3);
  col.Fill(L::max() / 2);
  EXPECT_NEAR(col.Norm(TNormType::ntSpectral) / (L::max() / 2), std::sqrt(3.0), 1e-15);
  col.Fill(L::min());
  EXPECT_NEAR(col.Norm(TNormType::ntSpectral) / L::min(), std::sqrt(3.0), 1e-15);
}

TEST_F(LinalgMatrix, BalanceOfVeryDifferentMagnitudes) {
  using L = std::numeric_limits<double>;
  // The factor sqrt(max / denorm_min) lies beyond the double range.
  TMatrix m;
  SetRows(m, {{1, L::max()}, {L::denorm_min(), 2}});
  EXPECT_TRUE(m.Balance(1.01));
  EXPECT_EQ(m.Elem(1, 1), 1.0);
  EXPECT_EQ(m.Elem(2, 2), 2.0);
  const double a = m.Elem(2, 1);
  const double b = m.Elem(1, 2);
  EXPECT_TRUE(std::isfinite(a) && a > 0) << a;
  EXPECT_TRUE(std::isfinite(b) && b > 0) << b;
  EXPECT_NEAR(a / b, 1.0, 0.1);  // both off-diagonal sums are about sqrt(max · denorm_min)
}

TEST_F(LinalgMatrix, CorrelateOfNaN) {
  TMatrix x;
  TMatrix y;
  SetRows(x, {{1, 2}, {3, 4}});
  SetRows(y, {{2, 4}, {6, 8}});
  EXPECT_NEAR(x.Correlate(&y), 1.0, 1e-15);
  x.SetVal(1, 2, std::numeric_limits<double>::quiet_NaN());  // was reported as 0 (no correlation)
  EXPECT_TRUE(std::isnan(x.Correlate(&y)));
  EXPECT_TRUE(std::isnan(y.Correlate(&x)));
}

}  // namespace
}  // namespace qmx
