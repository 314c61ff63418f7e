// Vector benchmarks on 10^6 doubles: Sum, MeanVar, Percentile and SortElems,
// each beside a plain-loop or standard-library baseline measured in the same run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

#include "qmx/foundation/platform.hpp"
#include "qmx/vector/vectors.hpp"

namespace {

constexpr std::int32_t kN = 1000000;

const std::vector<double>& Data() {
  static const std::vector<double> data = [] {
    qmx::SetRandSeed(12345);
    std::vector<double> d(kN);
    for (double& x : d) {
      x = qmx::Random() * 2000.0 - 1000.0;
    }
    return d;
  }();
  return data;
}

void Fill(qmx::TVector& v) {
  v.Resize(kN);
  std::memcpy(v.Data().data(), Data().data(), sizeof(double) * kN);
}

// ---- Sum ----------------------------------------------------------------------

void BM_TVector_Sum(benchmark::State& state) {
  qmx::TVector v;
  Fill(v);
  for (auto _ : state) {
    benchmark::DoNotOptimize(v.Sum(0, 0));
  }
  state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_TVector_Sum);

void BM_Baseline_StdAccumulate(benchmark::State& state) {
  const std::vector<double>& d = Data();
  for (auto _ : state) {
    benchmark::DoNotOptimize(std::accumulate(d.begin(), d.end(), 0.0));
  }
  state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_Baseline_StdAccumulate);

// ---- MeanVar ----------------------------------------------------------------

void BM_TVector_MeanVar(benchmark::State& state) {
  qmx::TVector v;
  Fill(v);
  double mean = 0.0;
  double var = 0.0;
  for (auto _ : state) {
    v.MeanVar(0, 0, mean, var);
    benchmark::DoNotOptimize(mean);
    benchmark::DoNotOptimize(var);
  }
  state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_TVector_MeanVar);

void BM_Baseline_TwoPassMeanVar(benchmark::State& state) {
  const std::vector<double>& d = Data();
  for (auto _ : state) {
    double sum = 0.0;
    for (const double x : d) {
      sum += x;
    }
    const double mean = sum / kN;
    double ss = 0.0;
    for (const double x : d) {
      ss += (x - mean) * (x - mean);
    }
    benchmark::DoNotOptimize(mean);
    benchmark::DoNotOptimize(ss / (kN - 1));
  }
  state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_Baseline_TwoPassMeanVar);

// ---- Percentile ---------------------------------------------------------------

void BM_TVector_Percentile(benchmark::State& state) {
  qmx::TVector v;
  Fill(v);
  for (auto _ : state) {
    benchmark::DoNotOptimize(v.Percentile(37.5, 0, 0));
  }
  state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_TVector_Percentile)->Unit(benchmark::kMillisecond);

// Copy + nth_element for rank k + min of the rest for rank k + 1.
void BM_Baseline_NthElementCopy(benchmark::State& state) {
  const std::vector<double>& d = Data();
  for (auto _ : state) {
    std::vector<double> s(d);
    const double pos = (kN - 1) * 37.5 / 100.0;
    const auto k = static_cast<std::size_t>(pos);
    std::nth_element(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(k), s.end());
    const double a = s[k];
    const double b = *std::min_element(s.begin() + static_cast<std::ptrdiff_t>(k) + 1, s.end());
    benchmark::DoNotOptimize(a + (pos - static_cast<double>(k)) * (b - a));
  }
  state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_Baseline_NthElementCopy)->Unit(benchmark::kMillisecond);

void BM_Baseline_SortCopy(benchmark::State& state) {
  const std::vector<double>& d = Data();
  for (auto _ : state) {
    std::vector<double> s(d);
    std::sort(s.begin(), s.end());
    const double pos = (kN - 1) * 37.5 / 100.0;
    const auto k = static_cast<std::size_t>(pos);
    benchmark::DoNotOptimize(s[k] + (pos - static_cast<double>(k)) * (s[k + 1] - s[k]));
  }
  state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_Baseline_SortCopy)->Unit(benchmark::kMillisecond);

// ---- SortElems (the unsorted data are copied in each iteration, in both) ------

void BM_TVector_SortElems(benchmark::State& state) {
  qmx::TVector v;
  v.Resize(kN);
  for (auto _ : state) {
    std::memcpy(v.Data().data(), Data().data(), sizeof(double) * kN);
    v.SortElems(true, 0, 0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_TVector_SortElems)->Unit(benchmark::kMillisecond);

void BM_TVector_SortElemsWithExchangeEvent(benchmark::State& state) {
  qmx::TVector v;
  v.Resize(kN);
  std::int64_t exchanges = 0;
  v.OnSortExchange = [&exchanges](qmx::TObject*, std::uint8_t, std::int32_t, std::int32_t, std::int32_t,
                                  std::int32_t) { ++exchanges; };
  for (auto _ : state) {
    std::memcpy(v.Data().data(), Data().data(), sizeof(double) * kN);
    v.SortElems(true, 0, 0);
    benchmark::ClobberMemory();
  }
  state.counters["exchanges"] = static_cast<double>(exchanges) / static_cast<double>(state.iterations());
  state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_TVector_SortElemsWithExchangeEvent)->Unit(benchmark::kMillisecond);

void BM_Baseline_StdSort(benchmark::State& state) {
  std::vector<double> s(kN);
  for (auto _ : state) {
    std::memcpy(s.data(), Data().data(), sizeof(double) * kN);
    std::sort(s.begin(), s.end());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kN);
}
BENCHMARK(BM_Baseline_StdSort)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
