// The raw-buffer kernels of the matrix linear algebra: products against the
// plain triple loop (bit for bit, since both sum in the order of the inner
// index in 80 bits), the threaded cross-product matrix against the
// single-threaded one, progress and abort, balancing, correlation and
// distances.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/matrix/linalg_kernels.hpp"

namespace qmx {
namespace {

using detail::GemmExt;

std::vector<double> RandomBuffer(std::size_t count, std::mt19937& gen) {
  std::uniform_real_distribution<double> u(-10.0, 10.0);
  std::vector<double> v(count);
  for (double& x : v) {
    x = u(gen);
  }
  return v;
}

/// Element (r, c) of a column-major matrix with `rows` rows, optionally of its transpose.
double At(const std::vector<double>& a, std::size_t rows, std::size_t r, std::size_t c) { return a[c * rows + r]; }

/// Leaves the global hooks as they were found.
class HookGuard : public ::testing::Test {
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

TEST(LinalgKernels, ProductsEqualThePlainLoopBitForBit) {
  std::mt19937 gen(7);
  struct Shape {
    std::size_t m, n, p;
  };
  // Odd sizes exercise the edge tiles; p = 1100 crosses two inner blocks.
  const Shape shapes[] = {{1, 1, 1}, {1, 9, 5}, {9, 1, 5}, {7, 5, 1}, {13, 6, 9}, {3, 11, 1100}, {37, 29, 23}};
  for (const Shape& s : shapes) {
    for (int form = 0; form < 4; ++form) {
      const bool ta = (form & 1) != 0;
      const bool tb = (form & 2) != 0;
      const std::vector<double> a = RandomBuffer(s.m * s.p, gen);
      const std::vector<double> b = RandomBuffer(s.p * s.n, gen);
      std::vector<double> c(s.m * s.n, -1.0);
      GemmExt(ta, tb, s.m, s.n, s.p, a.data(), b.data(), c.data());
      for (std::size_t r = 0; r < s.m; ++r) {
        for (std::size_t col = 0; col < s.n; ++col) {
          Extended sum = 0;
          for (std::size_t k = 0; k < s.p; ++k) {
            const double x = ta ? At(a, s.p, k, r) : At(a, s.m, r, k);
            const double y = tb ? At(b, s.n, col, k) : At(b, s.p, k, col);
            sum += static_cast<Extended>(x) * y;
          }
          ASSERT_EQ(c[col * s.m + r], static_cast<double>(sum))
              << s.m << "x" << s.n << "x" << s.p << " form " << form << " at " << r << "," << col;
        }
      }
    }
  }
}

TEST(LinalgKernels, ExtendedAccumulationKeepsWhatDoublesLose) {
  // 1e16 + 1 - 1e16 loses the 1 in doubles but not in 80 bits.
  const std::vector<double> a = {1e16, 1.0, -1e16};
  const std::vector<double> b = {1.0, 1.0, 1.0};
  double c = 0;
  GemmExt(false, false, 1, 1, 3, a.data(), b.data(), &c);
  EXPECT_EQ(c, 1.0);
}

using LinalgSquare = HookGuard;

TEST_F(LinalgSquare, ThreadCountsGiveIdenticalResultsAndCountTheColumns) {
  std::mt19937 gen(3);
  const std::size_t m = 41;
  const std::size_t n = 23;
  const std::vector<double> a = RandomBuffer(m * n, gen);
  std::vector<double> ref(n * n, 0.0);
  ASSERT_TRUE(detail::SquareKernel(a.data(), m, n, 3.0, ref.data(), 1));
  EXPECT_EQ(ProcStat.load(), static_cast<double>(n));
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = 0; j < n; ++j) {
      Extended s = 0;
      for (std::size_t r = 0; r < m; ++r) {
        s += static_cast<Extended>(At(a, m, r, i)) * At(a, m, r, j);
      }
      ASSERT_EQ(ref[j * n + i], static_cast<double>(s / 3.0L));
    }
  }
  for (std::int32_t threads = 0; threads <= 8; ++threads) {
    ProcStat = 0.0;
    int reports = 0;
    MathFeedBackProc = [&reports](double) { ++reports; };
    std::vector<double> r(n * n, 0.0);
    ASSERT_TRUE(detail::SquareKernel(a.data(), m, n, 3.0, r.data(), threads));
    EXPECT_EQ(r, ref) << threads << " threads";
    EXPECT_EQ(ProcStat.load(), static_cast<double>(n));
    EXPECT_GE(reports, 1);
  }
}

TEST_F(LinalgSquare, AbortStopsTheSingleAndTheThreadedForm) {
  std::mt19937 gen(5);
  const std::size_t n = 60;
  const std::vector<double> a = RandomBuffer(200 * n, gen);
  std::vector<double> r(n * n, 0.0);
  // A flag left set: the single-threaded form stops before its first step.
  AbortMathProc = true;
  EXPECT_FALSE(detail::SquareKernel(a.data(), 200, n, 1.0, r.data(), 1));
  EXPECT_EQ(ProcStat.load(), 0.0);
  AbortMathProc = false;
  // Set from the feedback: the single-threaded form stops after that column.
  MathFeedBackProc = [](double v) {
    if (v >= 3.0) {
      AbortMathProc = true;
    }
  };
  EXPECT_FALSE(detail::SquareKernel(a.data(), 200, n, 1.0, r.data(), 1));
  EXPECT_EQ(ProcStat.load(), 3.0);
  for (std::int32_t threads : {2, 5}) {
    AbortMathProc = false;
    ProcStat = 0.0;
    int calls = 0;
    MathFeedBackProc = [&calls](double) {
      ++calls;
      AbortMathProc = true;
    };
    EXPECT_FALSE(detail::SquareKernel(a.data(), 200, n, 1.0, r.data(), threads));
    // The workers were joined: the count no longer moves.
    const double after = ProcStat.load();
    EXPECT_LE(after, static_cast<double>(n));
    EXPECT_EQ(calls, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(ProcStat.load(), after);
  }
}

TEST(LinalgKernels, BalanceEqualisesRowAndColumnSums) {
  std::vector<double> diag = {3, 0, 0, 0, 5, 0, 0, 0, 7};
  const std::vector<double> before = diag;
  detail::BalanceKernel(diag.data(), 3, 1.0);
  EXPECT_EQ(diag, before);

  std::vector<double> a = {1, 100, 0.5, 0.01, 2, 30, 4, 0.2, 3};
  detail::BalanceKernel(a.data(), 3, 1.0);
  EXPECT_EQ(a[0], 1);
  EXPECT_EQ(a[4], 2);
  EXPECT_EQ(a[8], 3);
  for (std::size_t i = 0; i < 3; ++i) {
    double row = 0;
    double col = 0;
    for (std::size_t j = 0; j < 3; ++j) {
      if (j != i) {
        row += std::fabs(a[j * 3 + i]);
        col += std::fabs(a[i * 3 + j]);
      }
    }
    EXPECT_NEAR(row / col, 1.0, 0.11) << i;
  }
  // A row of zeros off the diagonal is left alone instead of divided by 0.
  std::vector<double> z = {1, 0, 5, 2};  // [[1, 5], [0, 2]]
  detail::BalanceKernel(z.data(), 2, 1.01);
  for (const double v : z) {
    EXPECT_TRUE(std::isfinite(v));
  }
}

TEST(LinalgKernels, CorrelationAndDistances) {
  const std::vector<double> x = {1, 2, 3, 4};
  const std::vector<double> y = {2, 4, 6, 8};
  const std::vector<double> yneg = {-1, -2, -3, -4};
  EXPECT_NEAR(detail::CorrelateKernel(x.data(), y.data(), 4), 1.0, 1e-15);
  EXPECT_NEAR(detail::CorrelateKernel(x.data(), yneg.data(), 4), -1.0, 1e-15);
  EXPECT_EQ(detail::CorrelateKernel(x.data(), y.data(), 2), 0.0);
  const std::vector<double> flat = {2, 2, 2, 2};
  EXPECT_EQ(detail::CorrelateKernel(x.data(), flat.data(), 4), 0.0);

  // Rows (1, 2, 0) and (3, 0, 4) of a 2 x 3 matrix (stride 2).
  const std::vector<double> m = {1, 3, 2, 0, 0, 4};
  const double* r1 = m.data();
  const double* r2 = m.data() + 1;
  EXPECT_EQ(detail::ObjectDistance(TDistMode::dmManhattan, r1, r2, 3, 2), 8.0);
  EXPECT_EQ(detail::ObjectDistance(TDistMode::dmEuclidSq, r1, r2, 3, 2), 24.0);
  EXPECT_EQ(detail::ObjectDistance(TDistMode::dmEuclid, r1, r2, 3, 2), std::sqrt(24.0));
  EXPECT_DOUBLE_EQ(detail::ObjectDistance(TDistMode::dmTanimoto, r1, r2, 3, 2), 3.0 / (5 + 25 - 3));
  EXPECT_DOUBLE_EQ(detail::ObjectDistance(TDistMode::dmDice, r1, r2, 3, 2), 6.0 / 30);
  EXPECT_EQ(detail::ObjectDistance(TDistMode::dmUser, r1, r2, 3, 2), 0.0);
  const std::vector<double> zeros = {0, 0};
  EXPECT_EQ(detail::ObjectDistance(TDistMode::dmTanimoto, zeros.data(), zeros.data(), 2, 1), 0.0);

  std::vector<double> d(4, -1.0);
  detail::DistanceMatrixKernel(TDistMode::dmManhattan, m.data(), 2, 3, d.data());
  EXPECT_EQ(d, (std::vector<double>{0, 8, 8, 0}));
}

}  // namespace
}  // namespace qmx
