// Singular value decomposition, back substitution and least squares:
// reconstruction of random matrices, orthogonality, progress and abort,
// singular designs and solutions checked against the normal equations.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/matrix/matrix.hpp"
#include "qmx/matrix/svd.hpp"
#include "qmx/vector/vector.hpp"

namespace qmx {
namespace {

class Svd : public ::testing::Test {
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

void FillRandom(TMatrix& a, std::int32_t cols, std::int32_t rows, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(-5.0, 5.0);
  a.Resize(cols, rows);
  for (double& x : a.Data()) {
    x = u(gen);
  }
}

/// Largest |A - U·diag(W)·Vᵀ| over all elements.
double ReconstructionError(const TMatrix& a, const TMatrix& u, const TMatrix& v, const TVector& w) {
  double worst = 0.0;
  for (std::int32_t c = 1; c <= a.NrOfColumns(); ++c) {
    for (std::int32_t r = 1; r <= a.NrOfRows(); ++r) {
      long double s = 0;
      for (std::int32_t l = 1; l <= w.NrOfElem(); ++l) {
        s += static_cast<long double>(u.Elem(l, r)) * w.GetVal(l) * v.Elem(l, c);
      }
      worst = std::max(worst, std::fabs(a.Elem(c, r) - static_cast<double>(s)));
    }
  }
  return worst;
}

/// Largest |XᵀX - I| over the first `count` columns of X.
double OrthogonalityError(const TMatrix& x, std::int32_t count) {
  double worst = 0.0;
  for (std::int32_t i = 1; i <= count; ++i) {
    for (std::int32_t j = 1; j <= count; ++j) {
      double s = 0;
      for (std::int32_t r = 1; r <= x.NrOfRows(); ++r) {
        s += x.Elem(i, r) * x.Elem(j, r);
      }
      worst = std::max(worst, std::fabs(s - (i == j ? 1.0 : 0.0)));
    }
  }
  return worst;
}

TEST_F(Svd, ReconstructsRandomMatricesOfEveryShape) {
  struct Shape {
    std::int32_t cols, rows;
  };
  for (const Shape s : {Shape{1, 1}, Shape{1, 7}, Shape{5, 5}, Shape{8, 30}, Shape{20, 13}, Shape{7, 1}}) {
    TMatrix a;
    FillRandom(a, s.cols, s.rows, 17u + static_cast<unsigned>(s.cols));
    TMatrix u;
    u.Assign(&a);
    TMatrix v;
    TVector w;
    ProcStat = 0.0;
    ASSERT_TRUE(SvdDecompose(&u, &v, &w)) << s.cols << "x" << s.rows;
    // One step per column of the reduction and of the right-hand
    // accumulation, per column of the left-hand one, per singular value.
    EXPECT_EQ(ProcStat.load(), 3.0 * s.cols + std::min(s.cols, s.rows));
    ASSERT_EQ(v.NrOfColumns(), s.cols);
    ASSERT_EQ(w.NrOfElem(), s.cols);
    for (const double x : w.Data()) {
      EXPECT_GE(x, 0.0);
    }
    EXPECT_LT(ReconstructionError(a, u, v, w), 1e-12 * 5.0 * s.cols * s.rows);
    EXPECT_LT(OrthogonalityError(v, s.cols), 1e-13);
    if (s.rows >= s.cols) {
      EXPECT_LT(OrthogonalityError(u, s.cols), 1e-13);
    }
  }
}

TEST_F(Svd, KnownSingularValuesAndSpectralCheck) {
  // diag(3, -2) has singular values 3 and 2: the sign goes into V.
  TMatrix a;
  a.Resize(2, 2);
  a.SetVal(1, 1, 3.0);
  a.SetVal(2, 2, -2.0);
  TMatrix v;
  TVector w;
  ASSERT_TRUE(SvdDecompose(&a, &v, &w));
  std::vector<double> sv(w.Data().begin(), w.Data().end());
  std::sort(sv.begin(), sv.end());
  EXPECT_NEAR(sv[0], 2.0, 1e-15);
  EXPECT_NEAR(sv[1], 3.0, 1e-15);

  // The values only (no vectors) agree with the full decomposition.
  TMatrix b;
  FillRandom(b, 6, 9, 4);
  std::vector<double> raw(b.Data().begin(), b.Data().end());
  std::vector<double> wOnly(6);
  EXPECT_EQ(detail::SvdKernel(raw.data(), 9, 6, wOnly.data(), nullptr, false, detail::TSvdProgress::spReductionOnly),
            detail::TSvdStatus::svdOk);
  TMatrix vb;
  TVector wb;
  ASSERT_TRUE(SvdDecompose(&b, &vb, &wb));
  for (std::size_t i = 0; i < 6; ++i) {
    EXPECT_NEAR(wOnly[i], wb.Data()[i], 1e-13);
  }
}

TEST_F(Svd, AbortAndBadInput) {
  TMatrix a;
  FillRandom(a, 4, 6, 2);
  TMatrix v;
  TVector w;
  AbortMathProc = true;
  EXPECT_FALSE(SvdDecompose(&a, &v, &w));
  EXPECT_EQ(ProcStat.load(), 1.0);  // stopped after its first step
  AbortMathProc = false;

  // Stopped from the feedback during the diagonalisation.
  ProcStat = 0.0;
  MathFeedBackProc = [](double s) {
    if (s >= 13.0) {
      AbortMathProc = true;
    }
  };
  FillRandom(a, 4, 6, 2);
  EXPECT_FALSE(SvdDecompose(&a, &v, &w));
  EXPECT_EQ(ProcStat.load(), 13.0);
  MathFeedBackProc = nullptr;
  AbortMathProc = false;

  EXPECT_FALSE(SvdDecompose(nullptr, &v, &w));
  EXPECT_FALSE(SvdDecompose(&a, &a, &w));
  // NaN and infinite elements end without hanging.
  a.Resize(3, 3);
  a.Fill(1.0);
  a.SetVal(2, 2, std::numeric_limits<double>::quiet_NaN());
  a.SetVal(1, 3, std::numeric_limits<double>::infinity());
  (void)SvdDecompose(&a, &v, &w);
  SUCCEED();
}

TEST_F(Svd, LeastSquaresMatchesTheNormalEquations) {
  // Straight line through (x, y) with y = 1 + 2x + noise: x by hand from the
  // 2 x 2 normal equations, σ from the diagonal of (AᵀA)⁻¹.
  const std::vector<double> xs = {0, 1, 2, 3, 4, 5};
  const std::vector<double> ys = {1.1, 2.9, 5.2, 6.8, 9.1, 11.0};
  TMatrix a;
  a.Resize(2, 6);
  TVector b;
  b.Resize(6);
  double sx = 0, sxx = 0, sy = 0, sxy = 0;
  for (std::int32_t i = 0; i < 6; ++i) {
    a.SetVal(1, i + 1, 1.0);
    a.SetVal(2, i + 1, xs[i]);
    b.SetVal(i + 1, ys[i]);
    sx += xs[i];
    sxx += xs[i] * xs[i];
    sy += ys[i];
    sxy += xs[i] * ys[i];
  }
  const double det = 6 * sxx - sx * sx;
  const double slope = (6 * sxy - sx * sy) / det;
  const double icpt = (sxx * sy - sx * sxy) / det;
  TVector x;
  TVector sigma;
  bool singular = true;
  ASSERT_TRUE(SvdLeastSquares(&a, &b, &x, singular, &sigma));
  EXPECT_FALSE(singular);
  EXPECT_NEAR(x.GetVal(1), icpt, 1e-13);
  EXPECT_NEAR(x.GetVal(2), slope, 1e-13);
  EXPECT_NEAR(sigma.GetVal(1), std::sqrt(sxx / det), 1e-13);
  EXPECT_NEAR(sigma.GetVal(2), std::sqrt(6 / det), 1e-13);
}

TEST_F(Svd, SingularAndExactlyDeterminedSystems) {
  // Two identical columns: Singular, finite coefficients that still fit.
  TMatrix a;
  a.Resize(3, 4);
  TVector b;
  b.Resize(4);
  for (std::int32_t r = 1; r <= 4; ++r) {
    a.SetVal(1, r, 1.0);
    a.SetVal(2, r, r);
    a.SetVal(3, r, r);
    b.SetVal(r, 2.0 + 3.0 * r);
  }
  TVector x;
  bool singular = false;
  ASSERT_TRUE(SvdLeastSquares(&a, &b, &x, singular, nullptr));
  EXPECT_TRUE(singular);
  EXPECT_NEAR(x.GetVal(1), 2.0, 1e-12);
  EXPECT_NEAR(x.GetVal(2), 1.5, 1e-12);  // the minimum-norm split of 3
  EXPECT_NEAR(x.GetVal(3), 1.5, 1e-12);

  // A zero design is singular and gives x = 0.
  TMatrix z;
  z.Resize(2, 3);
  TVector bz;
  bz.Resize(3);
  bz.Fill(1.0);
  ASSERT_TRUE(SvdLeastSquares(&z, &bz, &x, singular, nullptr));
  EXPECT_TRUE(singular);
  EXPECT_EQ(x.GetVal(1), 0.0);
  EXPECT_EQ(x.GetVal(2), 0.0);

  // An exactly determined full-rank system reproduces b.
  TMatrix sq;
  FillRandom(sq, 5, 5, 23);
  TMatrix keep;
  keep.Assign(&sq);
  TVector rhs;
  rhs.Resize(5);
  for (std::int32_t i = 1; i <= 5; ++i) {
    rhs.SetVal(i, i * 1.5 - 4.0);
  }
  ASSERT_TRUE(SvdLeastSquares(&sq, &rhs, &x, singular, nullptr));
  EXPECT_FALSE(singular);
  for (std::int32_t r = 1; r <= 5; ++r) {
    double s = 0;
    for (std::int32_t c = 1; c <= 5; ++c) {
      s += keep.Elem(c, r) * x.GetVal(c);
    }
    EXPECT_NEAR(s, rhs.GetVal(r), 1e-12);
  }

  // A right-hand side of the wrong length: false, A untouched.
  TVector shortB;
  shortB.Resize(4);
  EXPECT_FALSE(SvdLeastSquares(&keep, &shortB, &x, singular, nullptr));
  EXPECT_FALSE(SvdBackSubstitute(&keep, &keep, &rhs, nullptr, &x, &shortB));
}

TEST_F(Svd, VeryLargeAndVerySmallElements) {
  using L = std::numeric_limits<double>;
  // A column of three equal values v has the single singular value sqrt(3)·v,
  // U = (1, 1, 1)/sqrt(3) and V = 1, at every magnitude.
  for (const double v : {L::max() / 2, 1e300, L::min(), 3 * L::denorm_min()}) {
    TMatrix a;
    a.Resize(1, 3);
    a.Fill(v);
    TMatrix vm;
    TVector w;
    ASSERT_TRUE(SvdDecompose(&a, &vm, &w));
    EXPECT_NEAR(w.GetVal(1) / v, std::sqrt(3.0), v < L::min() ? 0.5 : 1e-15) << v;
    EXPECT_NEAR(std::fabs(a.Elem(1, 2)), 1 / std::sqrt(3.0), 1e-15) << v;
    EXPECT_NEAR(std::fabs(vm.Elem(1, 1)), 1.0, 1e-15) << v;
  }
  // A 2 x 2 matrix of equal huge values: singular values 2v and 0.
  TMatrix b;
  b.Resize(2, 2);
  b.Fill(L::max() / 4);
  TMatrix vm;
  TVector w;
  ASSERT_TRUE(SvdDecompose(&b, &vm, &w));
  const double hi = std::max(w.GetVal(1), w.GetVal(2));
  const double lo = std::min(w.GetVal(1), w.GetVal(2));
  EXPECT_NEAR(hi / (L::max() / 2), 1.0, 1e-15);
  EXPECT_LE(lo, hi * 1e-15);
  // Singular values beyond the double range are infinite.
  b.Fill(L::max());
  ASSERT_TRUE(SvdDecompose(&b, &vm, &w));
  EXPECT_EQ(std::max(w.GetVal(1), w.GetVal(2)), L::infinity());
}

}  // namespace
}  // namespace qmx
