/// \file
/// Matrix products of 2-D arrays: a cache-blocked double kernel, the exact
/// integer product and the outer product of two vectors.

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraystat_dense.hpp"
#include "qmx/openarrays/arraystat_detail.hpp"

namespace qmx {

using detail::arraystat::I32;

namespace detail::arraystat {

namespace {

// Register tile (rows x columns of C kept in registers), depth of a packed
// panel, rows of A packed per block.  An A block (kMC x kKC) stays in the L2
// cache, a B micro-panel (kKC x kNR) in the L1 cache.
constexpr std::size_t kMR = 8;
constexpr std::size_t kNR = 4;
constexpr std::size_t kKC = 256;
constexpr std::size_t kMC = 128;
constexpr std::size_t kNC = 2048;
static_assert(kMC % kMR == 0 && kNC % kNR == 0, "blocks hold whole register panels");

/// Packs the mc x kc block of A at a into panels of kMR rows, each stored
/// depth-major (kMR values per depth step); rows beyond mc are zero.
void PackA(const double* a, std::size_t lda, std::size_t mc, std::size_t kc, double* ap) {
  for (std::size_t ip = 0; ip < mc; ip += kMR) {
    const std::size_t mr = std::min(kMR, mc - ip);
    for (std::size_t p = 0; p < kc; ++p) {
      const double* src = a + p * lda + ip;
      std::size_t i = 0;
      for (; i < mr; ++i) {
        ap[i] = src[i];
      }
      for (; i < kMR; ++i) {
        ap[i] = 0.0;
      }
      ap += kMR;
    }
  }
}

/// Packs the kc x nc block of B at b into panels of kNR columns, each stored
/// depth-major; columns beyond nc are zero.
void PackB(const double* b, std::size_t ldb, std::size_t kc, std::size_t nc, double* bp) {
  for (std::size_t jp = 0; jp < nc; jp += kNR) {
    const std::size_t nr = std::min(kNR, nc - jp);
    for (std::size_t p = 0; p < kc; ++p) {
      std::size_t j = 0;
      for (; j < nr; ++j) {
        bp[j] = b[(jp + j) * ldb + p];
      }
      for (; j < kNR; ++j) {
        bp[j] = 0.0;
      }
      bp += kNR;
    }
  }
}

/// Two and four doubles handled as one value (GCC and Clang vector types).
typedef double TVec2 __attribute__((vector_size(16)));
typedef double TVec4 __attribute__((vector_size(32)));

/// Rows row0 .. row0 + 2W - 1 of the tile (W = lanes of V): acc := sum over the
/// depth of (A panel column) x (B panel row), with independent accumulators.
template <class V>
__attribute__((always_inline)) inline void KernelRows(std::size_t kc, const double* __restrict ap,
                                                      const double* __restrict bp, std::size_t row0,
                                                      double (&acc)[kNR][kMR]) {
  constexpr std::size_t kLanes = sizeof(V) / sizeof(double);
  V c0[kNR] = {};
  V c1[kNR] = {};
  ap += row0;
  for (std::size_t p = 0; p < kc; ++p) {
    V a0;
    V a1;
    std::memcpy(&a0, ap, sizeof a0);
    std::memcpy(&a1, ap + kLanes, sizeof a1);
    for (std::size_t j = 0; j < kNR; ++j) {
      const double bj = bp[j];
      c0[j] += a0 * bj;
      c1[j] += a1 * bj;
    }
    ap += kMR;
    bp += kNR;
  }
  for (std::size_t j = 0; j < kNR; ++j) {
    std::memcpy(&acc[j][row0], &c0[j], sizeof c0[j]);
    std::memcpy(&acc[j][row0 + kLanes], &c1[j], sizeof c1[j]);
  }
}

/// The 8 x 4 tile with the baseline instruction set: two passes of four rows.
void MicroKernelBase(std::size_t kc, const double* ap, const double* bp, double (&acc)[kNR][kMR]) {
  KernelRows<TVec2>(kc, ap, bp, 0, acc);
  KernelRows<TVec2>(kc, ap, bp, 4, acc);
}

#ifdef QMX_ARRAYSTAT_AVX2
/// The 8 x 4 tile in one pass with AVX2 registers.
__attribute__((target("avx2"))) void MicroKernelAvx2(std::size_t kc, const double* ap, const double* bp,
                                                     double (&acc)[kNR][kMR]) {
  KernelRows<TVec4>(kc, ap, bp, 0, acc);
}
#endif

/// The kernel for this processor, chosen once.
void MicroKernel(std::size_t kc, const double* ap, const double* bp, double (&acc)[kNR][kMR]) {
  static_assert(kMR == 8, "the kernels handle tiles of 8 rows");
#ifdef QMX_ARRAYSTAT_AVX2
  if (CpuHasAvx2()) {
    MicroKernelAvx2(kc, ap, bp, acc);
    return;
  }
#endif
  MicroKernelBase(kc, ap, bp, acc);
}

}  // namespace

void GemmColMajor(std::size_t m, std::size_t n, std::size_t k, const double* a, std::size_t lda, const double* b,
                  std::size_t ldb, double* c, std::size_t ldc) {
  for (std::size_t j = 0; j < n; ++j) {
    std::fill(c + j * ldc, c + j * ldc + m, 0.0);
  }
  if (m == 0 || n == 0 || k == 0) {
    return;
  }
  // pack buffers hold whole register panels (blocks rounded up to kMR and kNR)
  const std::size_t ncMax = (std::min(kNC, n) + kNR - 1) / kNR * kNR;
  const std::size_t mcMax = (std::min(kMC, m) + kMR - 1) / kMR * kMR;
  std::vector<double> bPack(kKC * ncMax);
  std::vector<double> aPack(kKC * mcMax);
  double acc[kNR][kMR];
  for (std::size_t jc = 0; jc < n; jc += kNC) {
    const std::size_t nc = std::min(kNC, n - jc);
    for (std::size_t pc = 0; pc < k; pc += kKC) {
      const std::size_t kc = std::min(kKC, k - pc);
      PackB(b + jc * ldb + pc, ldb, kc, nc, bPack.data());
      for (std::size_t ic = 0; ic < m; ic += kMC) {
        const std::size_t mc = std::min(kMC, m - ic);
        PackA(a + pc * lda + ic, lda, mc, kc, aPack.data());
        for (std::size_t jr = 0; jr < nc; jr += kNR) {
          const std::size_t nr = std::min(kNR, nc - jr);
          const double* bp = bPack.data() + jr * kc;
          for (std::size_t ir = 0; ir < mc; ir += kMR) {
            const std::size_t mr = std::min(kMR, mc - ir);
            MicroKernel(kc, aPack.data() + ir * kc, bp, acc);
            double* ct = c + (jc + jr) * ldc + ic + ir;
            for (std::size_t j = 0; j < nr; ++j) {
              for (std::size_t i = 0; i < mr; ++i) {
                ct[j * ldc + i] += acc[j][i];
              }
            }
          }
        }
      }
    }
  }
}

}  // namespace detail::arraystat

namespace {

/// The double product of any two numeric 2-D arrays.
template <class TA, class TB>
I32 MultiplyAsDouble(const std::vector<std::vector<TA>>& A, const std::vector<std::vector<TB>>& B, TDouble2DArray& C) {
  if (detail::arraystat::IsEmptyArr(A) || detail::arraystat::IsEmptyArr(B)) {
    return -1;
  }
  detail::arraystat::TDenseMatrix a;
  detail::arraystat::TDenseMatrix b;
  if (!detail::arraystat::PackArray(A, a) || !detail::arraystat::PackArray(B, b) || a.cols != b.rows) {
    return -2;
  }
  detail::arraystat::TDenseMatrix c(a.rows, b.cols);
  detail::arraystat::GemmColMajor(a.rows, b.cols, a.cols, a.v.data(), a.rows, b.v.data(), b.rows, c.v.data(), c.rows);
  detail::arraystat::UnpackArray(c, C);
  return 0;
}

__extension__ typedef __int128 TInt128;

I32 SatInt32From128(TInt128 v) {
  constexpr TInt128 lo = std::numeric_limits<I32>::min();
  constexpr TInt128 hi = std::numeric_limits<I32>::max();
  return static_cast<I32>(v < lo ? lo : (v > hi ? hi : v));
}

}  // namespace

I32 MultiplyArrays(const TInt2DArray& A, const TDouble2DArray& B, TDouble2DArray& C) {
  return MultiplyAsDouble(A, B, C);
}
I32 MultiplyArrays(const TDouble2DArray& A, const TInt2DArray& B, TDouble2DArray& C) {
  return MultiplyAsDouble(A, B, C);
}
I32 MultiplyArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C) {
  return MultiplyAsDouble(A, B, C);
}

I32 MultiplyArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C) {
  if (detail::arraystat::IsEmptyArr(A) || detail::arraystat::IsEmptyArr(B)) {
    return -1;
  }
  if (!detail::arraystat::IsRectangular(A) || !detail::arraystat::IsRectangular(B) || A.size() != B[0].size()) {
    return -2;
  }
  const std::size_t m = A[0].size();
  const std::size_t k = A.size();
  std::vector<TInt128> acc(m);
  TInt2DArray out(B.size(), TIntArray(m));
  for (std::size_t c = 0; c < B.size(); ++c) {
    std::fill(acc.begin(), acc.end(), TInt128{0});
    for (std::size_t p = 0; p < k; ++p) {
      const std::int64_t bv = B[c][p];
      const I32* col = A[p].data();
      for (std::size_t r = 0; r < m; ++r) {
        acc[r] += static_cast<std::int64_t>(col[r]) * bv;
      }
    }
    for (std::size_t r = 0; r < m; ++r) {
      out[c][r] = SatInt32From128(acc[r]);
    }
  }
  C = std::move(out);
  return 0;
}

I32 MultiplyArrays(const TDoubleArray& A, const TDoubleArray& B, TDouble2DArray& C) {
  if (A.empty() || B.empty()) {
    return -1;
  }
  TDouble2DArray out(B.size(), TDoubleArray(A.size()));
  for (std::size_t c = 0; c < B.size(); ++c) {
    const double bc = B[c];
    for (std::size_t r = 0; r < A.size(); ++r) {
      out[c][r] = A[r] * bc;
    }
  }
  C = std::move(out);
  return 0;
}

I32 MultiplyArrays(const TIntArray& A, const TIntArray& B, TInt2DArray& C) {
  if (A.empty() || B.empty()) {
    return -1;
  }
  TInt2DArray out(B.size(), TIntArray(A.size()));
  for (std::size_t c = 0; c < B.size(); ++c) {
    const std::int64_t bc = B[c];
    for (std::size_t r = 0; r < A.size(); ++r) {
      out[c][r] = detail::arraystat::SatInt32(A[r] * bc);
    }
  }
  C = std::move(out);
  return 0;
}

}  // namespace qmx
