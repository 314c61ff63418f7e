// Matrix product and inversion of 2-D arrays against plain textbook loops.

#include <benchmark/benchmark.h>

#include <cmath>
#include <utility>

#include "qmx/openarrays/openarrays.hpp"

namespace {

using qmx::TDouble2DArray;
using qmx::TDoubleArray;

TDouble2DArray RandomSquare(std::size_t n, bool dominant) {
  qmx::SetRandSeed(2024);
  TDouble2DArray a(n, TDoubleArray(n));
  for (auto& col : a) {
    for (double& x : col) {
      x = 2.0 * qmx::Random() - 1.0;
    }
  }
  if (dominant) {
    for (std::size_t i = 0; i < n; ++i) {
      a[i][i] += static_cast<double>(n) / 4.0;
    }
  }
  return a;
}

/// C(r, c) = sum over k of A(r, k) B(k, c), element (r, c) at X[c][r].
void PlainProduct(const TDouble2DArray& a, const TDouble2DArray& b, TDouble2DArray& c) {
  const std::size_t m = a[0].size();
  const std::size_t k = a.size();
  c.assign(b.size(), TDoubleArray(m, 0.0));
  for (std::size_t r = 0; r < m; ++r) {
    for (std::size_t j = 0; j < b.size(); ++j) {
      double s = 0.0;
      for (std::size_t p = 0; p < k; ++p) {
        s += a[p][r] * b[j][p];
      }
      c[j][r] = s;
    }
  }
}

/// Gauss-Jordan elimination with partial pivoting on an augmented copy.
bool PlainGaussJordan(TDouble2DArray& a) {
  const std::size_t n = a.size();
  // w[r] is row r of [A | I]
  std::vector<TDoubleArray> w(n, TDoubleArray(2 * n, 0.0));
  for (std::size_t r = 0; r < n; ++r) {
    for (std::size_t c = 0; c < n; ++c) {
      w[r][c] = a[c][r];
    }
    w[r][n + r] = 1.0;
  }
  for (std::size_t j = 0; j < n; ++j) {
    std::size_t p = j;
    for (std::size_t i = j + 1; i < n; ++i) {
      if (std::fabs(w[i][j]) > std::fabs(w[p][j])) {
        p = i;
      }
    }
    if (w[p][j] == 0.0) {
      return false;
    }
    std::swap(w[p], w[j]);
    const double piv = w[j][j];
    for (double& x : w[j]) {
      x /= piv;
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (i == j) {
        continue;
      }
      const double f = w[i][j];
      for (std::size_t c = 0; c < 2 * n; ++c) {
        w[i][c] -= f * w[j][c];
      }
    }
  }
  for (std::size_t r = 0; r < n; ++r) {
    for (std::size_t c = 0; c < n; ++c) {
      a[c][r] = w[r][n + c];
    }
  }
  return true;
}

void BM_MultiplyArrays(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const TDouble2DArray a = RandomSquare(n, false);
  const TDouble2DArray b = RandomSquare(n, false);
  TDouble2DArray c;
  for (auto _ : state) {
    benchmark::DoNotOptimize(qmx::MultiplyArrays(a, b, c));
    benchmark::ClobberMemory();
  }
  state.counters["GFlop/s"] = benchmark::Counter(
      2.0 * static_cast<double>(n * n * n), benchmark::Counter::kIsIterationInvariantRate, benchmark::Counter::kIs1000);
}

void BM_PlainTripleLoopProduct(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const TDouble2DArray a = RandomSquare(n, false);
  const TDouble2DArray b = RandomSquare(n, false);
  TDouble2DArray c;
  for (auto _ : state) {
    PlainProduct(a, b, c);
    benchmark::ClobberMemory();
  }
  state.counters["GFlop/s"] = benchmark::Counter(
      2.0 * static_cast<double>(n * n * n), benchmark::Counter::kIsIterationInvariantRate, benchmark::Counter::kIs1000);
}

void BM_InvertArray(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const TDouble2DArray a = RandomSquare(n, true);
  for (auto _ : state) {
    state.PauseTiming();
    TDouble2DArray w = a;
    state.ResumeTiming();
    benchmark::DoNotOptimize(qmx::InvertArray(w));
    benchmark::ClobberMemory();
  }
}

void BM_PlainGaussJordanInverse(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  const TDouble2DArray a = RandomSquare(n, true);
  for (auto _ : state) {
    state.PauseTiming();
    TDouble2DArray w = a;
    state.ResumeTiming();
    benchmark::DoNotOptimize(PlainGaussJordan(w));
    benchmark::ClobberMemory();
  }
}

BENCHMARK(BM_MultiplyArrays)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainTripleLoopProduct)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InvertArray)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainGaussJordanInverse)->Arg(300)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
