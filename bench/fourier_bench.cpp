// TFastFourier::Transform against FFTW's complex transform of the same size and
// sign (in place, plan made outside the timed loop).  Repeated forward
// transforms grow the data by about √n each, so every few iterations the
// original block is restored outside the timing.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <vector>

#include "qmx/fourier/fourier.hpp"

#ifdef QMX_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

std::vector<double> RandomInterleaved(std::int32_t n) {
  qmx::SetRandSeed(12345);
  std::vector<double> x(2 * static_cast<std::size_t>(n));
  for (double& v : x) v = 2.0 * qmx::Random() - 1.0;
  return x;
}

void Load(qmx::TFastFourier& f, const std::vector<double>& x) {
  const auto n = static_cast<std::int32_t>(x.size() / 2);
  for (std::int32_t i = 0; i < n; ++i) {
    f.SetRealVal(i + 1, x[2 * static_cast<std::size_t>(i)]);
    f.SetImagVal(i + 1, x[2 * static_cast<std::size_t>(i) + 1]);
  }
}

/// Forward transforms between restores, keeping the values far from overflow.
std::int64_t RestoreEvery(std::int32_t n) {
  return std::max<std::int64_t>(1, 1900 / std::bit_width(static_cast<std::uint32_t>(n)) - 2);
}

void BM_QmxTransform(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const auto x = RandomInterleaved(n);
  qmx::TFastFourier f;
  f.SetNumData(n);
  Load(f, x);
  f.Transform();  // builds the shared tables of this size
  Load(f, x);
  const std::int64_t every = RestoreEvery(n);
  std::int64_t done = 0;
  for (auto _ : state) {
    f.Transform();
    benchmark::DoNotOptimize(f.GetRealVal(1));
    if (++done % every == 0) {
      state.PauseTiming();
      Load(f, x);
      state.ResumeTiming();
    }
  }
  const double flops = 5.0 * n * std::log2(static_cast<double>(n));
  state.counters["MFlops"] = benchmark::Counter(flops, benchmark::Counter::kIsIterationInvariantRate, benchmark::Counter::kIs1000);
}

#ifdef QMX_HAVE_FFTW

void RunFftw(benchmark::State& state, unsigned flags) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const auto x = RandomInterleaved(n);
  auto* buf = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * static_cast<std::size_t>(n)));
  // FFTW_BACKWARD is e^(+2πi·jk/n), the sign of TFastFourier::Transform.
  fftw_plan plan = fftw_plan_dft_1d(n, buf, buf, FFTW_BACKWARD, flags);
  const auto load = [&] { std::copy(x.begin(), x.end(), reinterpret_cast<double*>(buf)); };
  load();

  // Both libraries compute the same numbers.
  qmx::TFastFourier f;
  f.SetNumData(n);
  Load(f, x);
  f.Transform();
  fftw_execute(plan);
  double worst = 0, scale = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    worst = std::max({worst, std::fabs(buf[i][0] - f.GetRealVal(i + 1)), std::fabs(buf[i][1] - f.GetImagVal(i + 1))});
    scale = std::max({scale, std::fabs(buf[i][0]), std::fabs(buf[i][1])});
  }
  state.counters["maxRelDiffToQmx"] = worst / scale;
  load();

  const std::int64_t every = RestoreEvery(n);
  std::int64_t done = 0;
  for (auto _ : state) {
    fftw_execute(plan);
    benchmark::DoNotOptimize(buf[0][0]);
    if (++done % every == 0) {
      state.PauseTiming();
      load();
      state.ResumeTiming();
    }
  }
  const double flops = 5.0 * n * std::log2(static_cast<double>(n));
  state.counters["MFlops"] = benchmark::Counter(flops, benchmark::Counter::kIsIterationInvariantRate, benchmark::Counter::kIs1000);
  fftw_destroy_plan(plan);
  fftw_free(buf);
}

void BM_FftwEstimate(benchmark::State& state) { RunFftw(state, FFTW_ESTIMATE); }
void BM_FftwMeasure(benchmark::State& state) { RunFftw(state, FFTW_MEASURE); }

/// FFTW's out-of-place transform (its favourite case), for reference: the input
/// stays untouched, so no restores are needed.
void BM_FftwMeasureOutOfPlace(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const auto x = RandomInterleaved(n);
  auto* in = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * static_cast<std::size_t>(n)));
  auto* out = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * static_cast<std::size_t>(n)));
  fftw_plan plan = fftw_plan_dft_1d(n, in, out, FFTW_BACKWARD, FFTW_MEASURE);
  std::copy(x.begin(), x.end(), reinterpret_cast<double*>(in));
  for (auto _ : state) {
    fftw_execute(plan);
    benchmark::DoNotOptimize(out[0][0]);
  }
  const double flops = 5.0 * n * std::log2(static_cast<double>(n));
  state.counters["MFlops"] = benchmark::Counter(flops, benchmark::Counter::kIsIterationInvariantRate, benchmark::Counter::kIs1000);
  fftw_destroy_plan(plan);
  fftw_free(out);
  fftw_free(in);
}

#endif  // QMX_HAVE_FFTW

void Sizes(benchmark::internal::Benchmark* b) {
  for (int log2n : {10, 16, 20}) b->Arg(std::int64_t{1} << log2n);
  b->Unit(benchmark::kMicrosecond);
}

/// Transform with a cosine window (the window pass reads the shared tables).
void BM_QmxTransformHamming(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const auto x = RandomInterleaved(n);
  qmx::TFastFourier f;
  f.SetNumData(n);
  f.SetWgtWin(qmx::TFastFourierWgtWin::fwHamming);
  Load(f, x);
  const std::int64_t every = RestoreEvery(n);
  std::int64_t done = 0;
  for (auto _ : state) {
    f.Transform();
    benchmark::DoNotOptimize(f.GetRealVal(1));
    if (++done % every == 0) {
      state.PauseTiming();
      Load(f, x);
      state.ResumeTiming();
    }
  }
}

}  // namespace

BENCHMARK(BM_QmxTransform)->Apply(Sizes);
#ifdef QMX_HAVE_FFTW
BENCHMARK(BM_FftwEstimate)->Apply(Sizes);
BENCHMARK(BM_FftwMeasure)->Apply(Sizes);
BENCHMARK(BM_FftwMeasureOutOfPlace)->Apply(Sizes);
#endif
BENCHMARK(BM_QmxTransformHamming)->Apply(Sizes);

BENCHMARK_MAIN();
