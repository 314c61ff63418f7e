// The threaded cross-product matrix under concurrency: an abort raised by
// another thread while the workers run, callers squaring different matrices at
// the same time, and more threads than columns.  These are the tests the
// ThreadSanitizer build runs.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/matrix/matrix.hpp"

namespace qmx {
namespace {

class SquareThreads : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }
  static void Reset() {
    ProcStat = 0.0;
    AbortMathProc = false;
    MathFeedBackProc = nullptr;
  }
};

void FillRandom(TMatrix& m, std::int32_t cols, std::int32_t rows, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> u(-2.0, 2.0);
  m.Resize(cols, rows);
  for (double& x : m.Data()) {
    x = u(gen);
  }
}

std::vector<double> Values(const TMatrix& m) { return std::vector<double>(m.Data().begin(), m.Data().end()); }

TEST_F(SquareThreads, AbortFromAnotherThreadStopsTheWorkers) {
  TMatrix a;
  FillRandom(a, 240, 1500, 1);
  for (const std::int32_t threads : {2, 4}) {
    Reset();
    std::atomic<bool> raised{false};
    std::thread aborter([&raised] {
      // Waits until the workers have finished a column, then raises the flag.
      const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(60);
      while (ProcStat.load() < 1.0 && std::chrono::steady_clock::now() < give_up) {
        std::this_thread::yield();
      }
      AbortMathProc = true;
      raised = true;
    });
    TMatrix r;
    const bool finished = a.Square(&r, 1.0, threads);
    aborter.join();
    ASSERT_TRUE(raised.load());
    EXPECT_FALSE(finished) << threads << " threads";
    // The workers were joined before Square returned: the count stays put.
    const double after = ProcStat.load();
    EXPECT_LT(after, 240.0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ProcStat.load(), after);
    EXPECT_EQ(r.NrOfColumns(), 240);
  }
}

TEST_F(SquareThreads, ConcurrentCallersGetTheSingleThreadedBits) {
  TMatrix a;
  TMatrix b;
  FillRandom(a, 23, 90, 2);
  FillRandom(b, 31, 70, 3);
  TMatrix refA;
  TMatrix refB;
  ASSERT_TRUE(a.Square(&refA, 3.0, 1));
  ASSERT_TRUE(b.Square(&refB, 5.0, 1));
  std::vector<std::thread> callers;
  std::vector<TMatrix> results(4);
  std::atomic<int> failures{0};
  for (std::size_t k = 0; k < results.size(); ++k) {
    callers.emplace_back([&, k] {
      const bool ok = (k % 2 == 0) ? a.Square(&results[k], 3.0, 3) : b.Square(&results[k], 5.0, 2 + static_cast<std::int32_t>(k));
      if (!ok) {
        ++failures;
      }
    });
  }
  for (std::thread& t : callers) {
    t.join();
  }
  EXPECT_EQ(failures.load(), 0);
  for (std::size_t k = 0; k < results.size(); ++k) {
    EXPECT_EQ(Values(results[k]), Values(k % 2 == 0 ? refA : refB)) << "caller " << k;
  }
}

TEST_F(SquareThreads, ManyThreadCountsAgreeAndReportOnTheCallersThread) {
  TMatrix a;
  FillRandom(a, 7, 40, 4);
  TMatrix ref;
  ASSERT_TRUE(a.Square(&ref, 2.0, 1));
  const std::thread::id caller = std::this_thread::get_id();
  for (const std::int32_t threads : {0, 2, 3, 7, 8, 64}) {
    Reset();
    bool elsewhere = false;
    MathFeedBackProc = [&elsewhere, caller](double) { elsewhere = elsewhere || std::this_thread::get_id() != caller; };
    TMatrix r;
    ASSERT_TRUE(a.Square(&r, 2.0, threads)) << threads;
    EXPECT_EQ(Values(r), Values(ref)) << threads << " threads";
    EXPECT_EQ(ProcStat.load(), 7.0) << threads;
    EXPECT_FALSE(elsewhere) << "feedback called off the caller's thread with " << threads << " threads";
  }
}

}  // namespace
}  // namespace qmx
