// TMatrix linear algebra beside Eigen in the same run: Multiply and Square
// at n = 500, Invert at n = 300 and the singular value decomposition of a
// 300 x 200 matrix.  The library sums in 80-bit precision (x87), Eigen in
// doubles with SIMD, so the library is expected to be slower; the ratio shows
// what the extended precision costs.  Square runs with 1 and with 2 threads
// (and the processor default); Eigen forms AᵀA single-threaded.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "qmx/matrix/matrix.hpp"
#include "qmx/matrix/svd.hpp"
#include "qmx/vector/vector.hpp"

#ifdef QMX_HAVE_EIGEN
#include <Eigen/Dense>
#include <Eigen/SVD>
#endif

namespace {

/// Uniform values in [-1, 1), the same for every benchmark of a size; the
/// square ones get 2·n added to the diagonal so that they are well conditioned.
std::vector<double> Values(std::int32_t cols, std::int32_t rows, bool diagonal) {
  qmx::SetRandSeed(7);
  std::vector<double> v(static_cast<std::size_t>(cols) * rows);
  for (double& x : v) {
    x = 2.0 * qmx::Random() - 1.0;
  }
  if (diagonal) {
    for (std::int32_t i = 0; i < std::min(cols, rows); ++i) {
      v[static_cast<std::size_t>(i) * rows + i] += 2.0 * cols;
    }
  }
  return v;
}

void Load(qmx::TMatrix& m, std::int32_t cols, std::int32_t rows, bool diagonal = false) {
  m.Resize(cols, rows);
  const std::vector<double> v = Values(cols, rows, diagonal);
  std::copy(v.begin(), v.end(), m.Data().begin());
}

void BM_QmxMultiply(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  qmx::TMatrix a;
  qmx::TMatrix b;
  qmx::TMatrix r;
  Load(a, n, n);
  Load(b, n, n);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a.Multiply(&b, &r));
  }
}

void BM_QmxSquare(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const auto threads = static_cast<std::int32_t>(state.range(1));
  qmx::TMatrix a;
  qmx::TMatrix r;
  Load(a, n, n);
  for (auto _ : state) {
    if (threads == 0) {
      benchmark::DoNotOptimize(a.Square(&r, 1.0));
    } else {
      benchmark::DoNotOptimize(a.Square(&r, 1.0, threads));
    }
  }
}

void BM_QmxInvert(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  qmx::TMatrix src;
  qmx::TMatrix a;
  Load(src, n, n, true);
  for (auto _ : state) {
    state.PauseTiming();
    a.Assign(&src);
    state.ResumeTiming();
    benchmark::DoNotOptimize(a.Invert());
  }
}

void BM_QmxSvd(benchmark::State& state) {
  const auto rows = static_cast<std::int32_t>(state.range(0));
  const auto cols = static_cast<std::int32_t>(state.range(1));
  qmx::TMatrix src;
  qmx::TMatrix u;
  qmx::TMatrix v;
  qmx::TVector w;
  Load(src, cols, rows);
  for (auto _ : state) {
    state.PauseTiming();
    u.Assign(&src);
    state.ResumeTiming();
    benchmark::DoNotOptimize(qmx::SvdDecompose(&u, &v, &w));
  }
}

BENCHMARK(BM_QmxMultiply)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QmxSquare)->Args({500, 1})->Args({500, 2})->Args({500, 0})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QmxInvert)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QmxSvd)->Args({300, 200})->Unit(benchmark::kMillisecond);

#ifdef QMX_HAVE_EIGEN

Eigen::MatrixXd EigenValues(std::int32_t cols, std::int32_t rows, bool diagonal = false) {
  const std::vector<double> v = Values(cols, rows, diagonal);
  return Eigen::Map<const Eigen::MatrixXd>(v.data(), rows, cols);
}

void BM_EigenMultiply(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const Eigen::MatrixXd a = EigenValues(n, n);
  const Eigen::MatrixXd b = EigenValues(n, n);
  Eigen::MatrixXd r(n, n);
  for (auto _ : state) {
    r.noalias() = a * b;
    benchmark::DoNotOptimize(r.data());
  }
}

void BM_EigenSquare(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const Eigen::MatrixXd a = EigenValues(n, n);
  Eigen::MatrixXd r(n, n);
  for (auto _ : state) {
    r.noalias() = a.transpose() * a;
    benchmark::DoNotOptimize(r.data());
  }
}

void BM_EigenInvert(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const Eigen::MatrixXd a = EigenValues(n, n, true);
  Eigen::MatrixXd r(n, n);
  for (auto _ : state) {
    r = a.inverse();
    benchmark::DoNotOptimize(r.data());
  }
}

void BM_EigenJacobiSvd(benchmark::State& state) {
  const auto rows = static_cast<std::int32_t>(state.range(0));
  const auto cols = static_cast<std::int32_t>(state.range(1));
  const Eigen::MatrixXd a = EigenValues(cols, rows);
  for (auto _ : state) {
    Eigen::JacobiSVD<Eigen::MatrixXd> svd(a, Eigen::ComputeThinU | Eigen::ComputeThinV);
    benchmark::DoNotOptimize(svd.singularValues().data());
  }
}

void BM_EigenBdcSvd(benchmark::State& state) {
  const auto rows = static_cast<std::int32_t>(state.range(0));
  const auto cols = static_cast<std::int32_t>(state.range(1));
  const Eigen::MatrixXd a = EigenValues(cols, rows);
  for (auto _ : state) {
    Eigen::BDCSVD<Eigen::MatrixXd> svd(a, Eigen::ComputeThinU | Eigen::ComputeThinV);
    benchmark::DoNotOptimize(svd.singularValues().data());
  }
}

BENCHMARK(BM_EigenMultiply)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EigenSquare)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EigenInvert)->Arg(300)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EigenJacobiSvd)->Args({300, 200})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EigenBdcSvd)->Args({300, 200})->Unit(benchmark::kMillisecond);

#endif

}  // namespace

BENCHMARK_MAIN();
