// TMatrix on a 1000 x 1000 matrix of uniform values: MeanVar of the whole
// matrix, SortRows by one key column, and StandardizeColumns, each beside a
// plain loop over a column-major std::vector that does the same work (double
// sums for the baselines; the matrix sums in 80-bit precision).  Operations
// that change the matrix restore it outside the timing.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "qmx/matrix/matrix.hpp"

namespace {

constexpr std::int32_t kN = 1000;

const std::vector<double>& Source() {
  static const std::vector<double> data = [] {
    qmx::SetRandSeed(2024);
    std::vector<double> v(static_cast<std::size_t>(kN) * kN);
    for (double& x : v) {
      x = 10.0 * qmx::Random() - 3.0;
    }
    return v;
  }();
  return data;
}

void Load(qmx::TMatrix& m) {
  m.Resize(kN, kN);
  std::copy(Source().begin(), Source().end(), m.Data().begin());
}

void BM_MeanVar(benchmark::State& state) {
  qmx::TMatrix m;
  Load(m);
  for (auto _ : state) {
    double mean = 0;
    double var = 0;
    m.MeanVar(0, 0, 0, 0, mean, var);
    benchmark::DoNotOptimize(mean);
    benchmark::DoNotOptimize(var);
  }
  state.SetItemsProcessed(state.iterations() * kN * kN);
}

void BM_MeanVarPlainLoop(benchmark::State& state) {
  const std::vector<double> x = Source();
  for (auto _ : state) {
    double s1 = 0;
    double s2 = 0;
    for (const double v : x) {
      s1 += v;
      s2 += v * v;
    }
    const double n = static_cast<double>(x.size());
    double mean = s1 / n;
    double var = (s2 - s1 * s1 / n) / (n - 1);
    benchmark::DoNotOptimize(mean);
    benchmark::DoNotOptimize(var);
  }
  state.SetItemsProcessed(state.iterations() * kN * kN);
}

void BM_SortRows(benchmark::State& state) {
  qmx::TMatrix m;
  for (auto _ : state) {
    state.PauseTiming();
    Load(m);
    state.ResumeTiming();
    m.SortRows(1, true, 0, 0, 0, 0);
    benchmark::DoNotOptimize(m.Data().data());
  }
}

void BM_SortRowsPlainLoop(benchmark::State& state) {
  std::vector<double> x;
  std::vector<std::int32_t> order(kN);
  std::vector<double> tmp(kN);
  for (auto _ : state) {
    state.PauseTiming();
    x = Source();
    state.ResumeTiming();
    std::iota(order.begin(), order.end(), 0);
    const double* key = x.data();
    std::sort(order.begin(), order.end(), [key](std::int32_t a, std::int32_t b) { return key[a] < key[b]; });
    for (std::int32_t c = 0; c < kN; ++c) {
      double* col = x.data() + static_cast<std::size_t>(c) * kN;
      for (std::int32_t r = 0; r < kN; ++r) {
        tmp[static_cast<std::size_t>(r)] = col[order[static_cast<std::size_t>(r)]];
      }
      std::copy(tmp.begin(), tmp.end(), col);
    }
    benchmark::DoNotOptimize(x.data());
  }
}

void BM_StandardizeColumns(benchmark::State& state) {
  qmx::TMatrix m;
  for (auto _ : state) {
    state.PauseTiming();
    Load(m);
    state.ResumeTiming();
    m.StandardizeColumns(nullptr, nullptr);
    benchmark::DoNotOptimize(m.Data().data());
  }
  state.SetItemsProcessed(state.iterations() * kN * kN);
}

void BM_StandardizeColumnsPlainLoop(benchmark::State& state) {
  std::vector<double> x;
  for (auto _ : state) {
    state.PauseTiming();
    x = Source();
    state.ResumeTiming();
    for (std::int32_t c = 0; c < kN; ++c) {
      double* col = x.data() + static_cast<std::size_t>(c) * kN;
      double s1 = 0;
      double s2 = 0;
      for (std::int32_t r = 0; r < kN; ++r) {
        s1 += col[r];
        s2 += col[r] * col[r];
      }
      const double mean = s1 / kN;
      const double var = (s2 - s1 * s1 / kN) / (kN - 1);
      if (var > 0) {
        const double sd = std::sqrt(var);
        for (std::int32_t r = 0; r < kN; ++r) {
          col[r] = (col[r] - mean) / sd;
        }
      }
    }
    benchmark::DoNotOptimize(x.data());
  }
  state.SetItemsProcessed(state.iterations() * kN * kN);
}

}  // namespace

BENCHMARK(BM_MeanVar)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeanVarPlainLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortRowsPlainLoop)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StandardizeColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StandardizeColumnsPlainLoop)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
