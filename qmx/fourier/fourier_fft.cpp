// The radix-2 decimation-in-time transform: bit-reversal reordering followed by
// log2(n) stages of butterflies t = w·x_j, x_j := x_i − t, x_i := x_i + t.
//
// Speed comes from doing the same butterflies in a better order, never from a
// different algorithm: twiddle factors are read from exact per-size tables
// instead of a running recurrence, the reordering moves whole tiles through a
// small buffer (or swaps precomputed pairs for small sizes), up to three
// consecutive stages are done in one sweep with the values kept in registers,
// and the stages are run depth first on blocks that fit the cache.  Each butterfly computes exactly
// the same floating-point operations in every variant (the scalar and the AVX
// kernels give bit-identical results).

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <mutex>
#include <numbers>

#include "qmx/fourier/fourier_detail.hpp"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define QMX_FFT_AVX 1
#include <immintrin.h>
#define QMX_AVX_TARGET __attribute__((target("avx")))
#endif

namespace qmx::detail {

namespace {

/// Complex values per cache block: stages whose butterfly groups fit in a block
/// are completed block by block while the block stays in the core's cache.
constexpr std::size_t kBlock = std::size_t{1} << 13;
/// Sizes from 2^kTileMinLog2 on (beyond the first-level cache) reorder by tiles.
constexpr int kTileMinLog2 = 12;
static_assert(kTileMinLog2 >= 2 * TFFTTables::kTileBits);
/// Tables up to this size stay cached for the life of the process.
constexpr int kKeepLog2 = 16;
constexpr int kMaxLog2 = 30;

// ---------------------------------------------------------------------------
// Tables
// ---------------------------------------------------------------------------

void BuildTwiddles(TFFTTables& t) {
  const std::size_t n = t.n;
  t.twiddle.assign(2 * n, 0.0);
  if (n < 2) return;
  const std::size_t half = n / 2;
  // The largest stage (h = n/2) holds e^(2πik/n), k = 0..n/2-1.  Only the first
  // octant is evaluated (in 80-bit precision); the rest follows exactly from
  // cos(π/2 − a) = sin a and a rotation by a quarter turn, so that e.g. the
  // quarter-turn factor is exactly i.
  double* top = t.twiddle.data() + 2 * half;
  if (n == 2) {
    top[0] = 1.0;
    top[1] = 0.0;
  } else {
    const std::size_t quarter = n / 4;
    const std::size_t eighth = n / 8;
    const long double step = 2.0L * std::numbers::pi_v<long double> / static_cast<long double>(n);
    for (std::size_t k = 0; k <= eighth; ++k) {
      const long double a = step * static_cast<long double>(k);
      top[2 * k] = static_cast<double>(std::cos(a));
      top[2 * k + 1] = static_cast<double>(std::sin(a));
    }
    for (std::size_t k = eighth + 1; k < quarter; ++k) {
      top[2 * k] = top[2 * (quarter - k) + 1];
      top[2 * k + 1] = top[2 * (quarter - k)];
    }
    for (std::size_t k = quarter; k < half; ++k) {
      top[2 * k] = -top[2 * (k - quarter) + 1] + 0.0;  // + 0.0 turns −0 into +0
      top[2 * k + 1] = top[2 * (k - quarter)];
    }
  }
  // Stage h uses e^(iπk/h) = entry k·(n/2h) of the largest stage.
  for (std::size_t h = half / 2; h >= 1; h /= 2) {
    const std::size_t stride = half / h;
    double* w = t.twiddle.data() + 2 * h;
    for (std::size_t k = 0; k < h; ++k) {
      w[2 * k] = top[2 * k * stride];
      w[2 * k + 1] = top[2 * k * stride + 1];
    }
  }
}

/// Reverses the lowest `bits` bits of v.
std::size_t ReverseBits(std::size_t v, int bits) {
  std::size_t r = 0;
  for (int b = 0; b < bits; ++b, v >>= 1) r = (r << 1) | (v & 1);
  return r;
}

void BuildReordering(TFFTTables& t) {
  const std::size_t n = t.n;
  t.swaps.clear();
  t.tilePairs.clear();
  if (t.log2n >= kTileMinLog2) {
    const int midBits = t.log2n - 2 * TFFTTables::kTileBits;
    const std::size_t tiles = std::size_t{1} << midBits;
    for (std::size_t m = 0; m < tiles; ++m) {
      const std::size_t r = ReverseBits(m, midBits);
      if (m <= r) {
        t.tilePairs.push_back(static_cast<std::uint32_t>(m));
        t.tilePairs.push_back(static_cast<std::uint32_t>(r));
      }
    }
    return;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t j = ReverseBits(i, t.log2n);
    if (i < j) {
      t.swaps.push_back(static_cast<std::uint32_t>(i));
      t.swaps.push_back(static_cast<std::uint32_t>(j));
    }
  }
}

// ---------------------------------------------------------------------------
// Scalar kernels (any processor).  S is the sign of the exponent.
// ---------------------------------------------------------------------------

/// A complex value held in two registers.
struct TCplx {
  double re, im;
};

/// One butterfly t = w·b, b := a − t, a := a + t with the twiddle factor
/// (wr, wi) (wi already carries the sign).
inline void Butterfly(TCplx& a, TCplx& b, double wr, double wi) {
  const double tr = b.re * wr - b.im * wi;
  const double ti = b.im * wr + b.re * wi;
  b.re = a.re - tr;
  b.im = a.im - ti;
  a.re = a.re + tr;
  a.im = a.im + ti;
}

inline TCplx LoadC(const double* p) { return {p[0], p[1]}; }
inline void StoreC(double* p, const TCplx& v) {
  p[0] = v.re;
  p[1] = v.im;
}

struct TScalarKernels {
  /// The first two stages (twiddles 1 and ±i) on groups of 4 values.
  template <int S>
  static void First(double* x, std::size_t len) {
    constexpr double s = S;
    for (std::size_t g = 0; g < len; g += 4) {
      double* v = x + 2 * g;
      const double ar = v[0] + v[2], ai = v[1] + v[3];
      const double br = v[0] - v[2], bi = v[1] - v[3];
      const double cr = v[4] + v[6], ci = v[5] + v[7];
      const double dr = v[4] - v[6], di = v[5] - v[7];
      const double tr = di * -s, ti = dr * s;  // (±i)·d
      v[0] = ar + cr;
      v[1] = ai + ci;
      v[2] = br + tr;
      v[3] = bi + ti;
      v[4] = ar - cr;
      v[5] = ai - ci;
      v[6] = br - tr;
      v[7] = bi - ti;
    }
  }

  /// The stage pairing values h apart, on a block of len values.
  template <int S>
  static void Stage(double* x, std::size_t len, std::size_t h, const double* tw) {
    const double* w = tw + 2 * h;
    for (std::size_t base = 0; base < len; base += 2 * h) {
      double* p = x + 2 * base;
      for (std::size_t k = 0; k < h; ++k) {
        TCplx a = LoadC(p + 2 * k), b = LoadC(p + 2 * (k + h));
        Butterfly(a, b, w[2 * k], S * w[2 * k + 1]);
        StoreC(p + 2 * k, a);
        StoreC(p + 2 * (k + h), b);
      }
    }
  }

  /// The stages h and 2h in one sweep, on a block of len values.
  template <int S>
  static void Stage2(double* x, std::size_t len, std::size_t h, const double* tw) {
    const double* w1 = tw + 2 * h;
    const double* w2 = tw + 4 * h;
    for (std::size_t base = 0; base < len; base += 4 * h) {
      double* p = x + 2 * base;
      for (std::size_t k = 0; k < h; ++k) {
        TCplx v[4];
        for (std::size_t j = 0; j < 4; ++j) v[j] = LoadC(p + 2 * (k + j * h));
        const double wr = w1[2 * k], wi = S * w1[2 * k + 1];
        Butterfly(v[0], v[1], wr, wi);
        Butterfly(v[2], v[3], wr, wi);
        for (std::size_t j = 0; j < 2; ++j) {
          Butterfly(v[j], v[j + 2], w2[2 * (k + j * h)], S * w2[2 * (k + j * h) + 1]);
        }
        for (std::size_t j = 0; j < 4; ++j) StoreC(p + 2 * (k + j * h), v[j]);
      }
    }
  }

  /// The stages h, 2h and 4h in one sweep, on a block of len values.
  template <int S>
  static void Stage3(double* x, std::size_t len, std::size_t h, const double* tw) {
    const double* w1 = tw + 2 * h;
    const double* w2 = tw + 4 * h;
    const double* w4 = tw + 8 * h;
    for (std::size_t base = 0; base < len; base += 8 * h) {
      double* p = x + 2 * base;
      for (std::size_t k = 0; k < h; ++k) {
        TCplx v[8];
        for (std::size_t j = 0; j < 8; ++j) v[j] = LoadC(p + 2 * (k + j * h));
        const double wr = w1[2 * k], wi = S * w1[2 * k + 1];
        for (std::size_t j = 0; j < 8; j += 2) Butterfly(v[j], v[j + 1], wr, wi);
        for (std::size_t j = 0; j < 2; ++j) {
          const double ur = w2[2 * (k + j * h)], ui = S * w2[2 * (k + j * h) + 1];
          Butterfly(v[j], v[j + 2], ur, ui);
          Butterfly(v[j + 4], v[j + 6], ur, ui);
        }
        for (std::size_t j = 0; j < 4; ++j) {
          Butterfly(v[j], v[j + 4], w4[2 * (k + j * h)], S * w4[2 * (k + j * h) + 1]);
        }
        for (std::size_t j = 0; j < 8; ++j) StoreC(p + 2 * (k + j * h), v[j]);
      }
    }
  }
};

// ---------------------------------------------------------------------------
// AVX kernels: two complex values per register, the same operations per value.
// ---------------------------------------------------------------------------

#ifdef QMX_FFT_AVX

/// Butterflies on two value pairs held in registers, twiddles (wr, wr', wi, wi')
/// given as (wr, wr, wr', wr') and the signed (wi, wi, wi', wi').
QMX_AVX_TARGET inline void Butterfly2(__m256d& a, __m256d& b, __m256d wr, __m256d wi) {
  const __m256d swapped = _mm256_permute_pd(b, 0x5);  // (im, re) of each value
  // (re·wr − im·wi, im·wr + re·wi)
  const __m256d t = _mm256_addsub_pd(_mm256_mul_pd(b, wr), _mm256_mul_pd(swapped, wi));
  b = _mm256_sub_pd(a, t);
  a = _mm256_add_pd(a, t);
}

/// Splits two twiddle factors (c0, s0, c1, s1) into (c0, c0, c1, c1) and the signed (s0, s0, s1, s1).
template <int S>
QMX_AVX_TARGET inline void LoadTwiddle(const double* w, __m256d& wr, __m256d& wi) {
  const __m256d v = _mm256_loadu_pd(w);
  wr = _mm256_movedup_pd(v);
  wi = _mm256_permute_pd(v, 0xF);
  if constexpr (S < 0) wi = _mm256_xor_pd(wi, _mm256_set1_pd(-0.0));
}

struct TAvxKernels {
  template <int S>
  QMX_AVX_TARGET static void First(double* x, std::size_t len) {
    const __m256d sign = _mm256_setr_pd(1.0, 1.0, -S, S);
    for (std::size_t g = 0; g < len; g += 4) {
      double* v = x + 2 * g;
      const __m256d v0 = _mm256_loadu_pd(v);
      const __m256d v1 = _mm256_loadu_pd(v + 4);
      const __m256d s0 = _mm256_permute2f128_pd(v0, v0, 0x01);
      const __m256d s1 = _mm256_permute2f128_pd(v1, v1, 0x01);
      // (a + b, a − b) and (c + d, c − d)
      const __m256d u0 = _mm256_permute2f128_pd(_mm256_add_pd(v0, s0), _mm256_sub_pd(v0, s0), 0x20);
      const __m256d u1 = _mm256_permute2f128_pd(_mm256_add_pd(v1, s1), _mm256_sub_pd(v1, s1), 0x20);
      // (c', (±i)·d')
      const __m256d t = _mm256_mul_pd(_mm256_permute_pd(u1, 0x6), sign);
      _mm256_storeu_pd(v, _mm256_add_pd(u0, t));
      _mm256_storeu_pd(v + 4, _mm256_sub_pd(u0, t));
    }
  }

  template <int S>
  QMX_AVX_TARGET static void Stage(double* x, std::size_t len, std::size_t h, const double* tw) {
    const double* w = tw + 2 * h;
    for (std::size_t base = 0; base < len; base += 2 * h) {
      double* p = x + 2 * base;
      for (std::size_t k = 0; k < h; k += 2) {
        __m256d wr, wi;
        LoadTwiddle<S>(w + 2 * k, wr, wi);
        __m256d a = _mm256_loadu_pd(p + 2 * k);
        __m256d b = _mm256_loadu_pd(p + 2 * (k + h));
        Butterfly2(a, b, wr, wi);
        _mm256_storeu_pd(p + 2 * k, a);
        _mm256_storeu_pd(p + 2 * (k + h), b);
      }
    }
  }

  template <int S>
  QMX_AVX_TARGET static void Stage2(double* x, std::size_t len, std::size_t h, const double* tw) {
    const double* w1 = tw + 2 * h;
    const double* w2 = tw + 4 * h;
    for (std::size_t base = 0; base < len; base += 4 * h) {
      double* p = x + 2 * base;
      for (std::size_t k = 0; k < h; k += 2) {
        double* q = p + 2 * k;
        __m256d v0 = _mm256_loadu_pd(q);
        __m256d v1 = _mm256_loadu_pd(q + 2 * h);
        __m256d v2 = _mm256_loadu_pd(q + 4 * h);
        __m256d v3 = _mm256_loadu_pd(q + 6 * h);
        __m256d wr, wi;
        LoadTwiddle<S>(w1 + 2 * k, wr, wi);
        Butterfly2(v0, v1, wr, wi);
        Butterfly2(v2, v3, wr, wi);
        LoadTwiddle<S>(w2 + 2 * k, wr, wi);
        Butterfly2(v0, v2, wr, wi);
        LoadTwiddle<S>(w2 + 2 * (k + h), wr, wi);
        Butterfly2(v1, v3, wr, wi);
        _mm256_storeu_pd(q, v0);
        _mm256_storeu_pd(q + 2 * h, v1);
        _mm256_storeu_pd(q + 4 * h, v2);
        _mm256_storeu_pd(q + 6 * h, v3);
      }
    }
  }

  template <int S>
  QMX_AVX_TARGET static void Stage3(double* x, std::size_t len, std::size_t h, const double* tw) {
    const double* w1 = tw + 2 * h;
    const double* w2 = tw + 4 * h;
    const double* w4 = tw + 8 * h;
    for (std::size_t base = 0; base < len; base += 8 * h) {
      double* p = x + 2 * base;
      for (std::size_t k = 0; k < h; k += 2) {
        double* q = p + 2 * k;
        __m256d v0 = _mm256_loadu_pd(q);
        __m256d v1 = _mm256_loadu_pd(q + 2 * h);
        __m256d v2 = _mm256_loadu_pd(q + 4 * h);
        __m256d v3 = _mm256_loadu_pd(q + 6 * h);
        __m256d v4 = _mm256_loadu_pd(q + 8 * h);
        __m256d v5 = _mm256_loadu_pd(q + 10 * h);
        __m256d v6 = _mm256_loadu_pd(q + 12 * h);
        __m256d v7 = _mm256_loadu_pd(q + 14 * h);
        __m256d wr, wi;
        LoadTwiddle<S>(w1 + 2 * k, wr, wi);
        Butterfly2(v0, v1, wr, wi);
        Butterfly2(v2, v3, wr, wi);
        Butterfly2(v4, v5, wr, wi);
        Butterfly2(v6, v7, wr, wi);
        LoadTwiddle<S>(w2 + 2 * k, wr, wi);
        Butterfly2(v0, v2, wr, wi);
        Butterfly2(v4, v6, wr, wi);
        LoadTwiddle<S>(w2 + 2 * (k + h), wr, wi);
        Butterfly2(v1, v3, wr, wi);
        Butterfly2(v5, v7, wr, wi);
        LoadTwiddle<S>(w4 + 2 * k, wr, wi);
        Butterfly2(v0, v4, wr, wi);
        LoadTwiddle<S>(w4 + 2 * (k + h), wr, wi);
        Butterfly2(v1, v5, wr, wi);
        LoadTwiddle<S>(w4 + 2 * (k + 2 * h), wr, wi);
        Butterfly2(v2, v6, wr, wi);
        LoadTwiddle<S>(w4 + 2 * (k + 3 * h), wr, wi);
        Butterfly2(v3, v7, wr, wi);
        _mm256_storeu_pd(q, v0);
        _mm256_storeu_pd(q + 2 * h, v1);
        _mm256_storeu_pd(q + 4 * h, v2);
        _mm256_storeu_pd(q + 6 * h, v3);
        _mm256_storeu_pd(q + 8 * h, v4);
        _mm256_storeu_pd(q + 10 * h, v5);
        _mm256_storeu_pd(q + 12 * h, v6);
        _mm256_storeu_pd(q + 14 * h, v7);
      }
    }
  }
};

bool CpuHasAvx() {
  static const bool has = __builtin_cpu_supports("avx") != 0;
  return has;
}

#endif  // QMX_FFT_AVX

// ---------------------------------------------------------------------------
// Driver
// ---------------------------------------------------------------------------

/// Completes every stage whose butterfly groups lie within x[0..len) (len >= 4,
/// a power of two), depth first so that small stages run while their block is
/// in the cache; up to three stages per sweep.
template <class K, int S>
void Blocks(double* x, std::size_t len, const double* tw) {
  if (len <= kBlock) {
    K::template First<S>(x, len);
    std::size_t h = 4;
    switch ((std::countr_zero(len) - 2) % 3) {
      case 1:
        K::template Stage<S>(x, len, h, tw);
        h *= 2;
        break;
      case 2:
        K::template Stage2<S>(x, len, h, tw);
        h *= 4;
        break;
      default:
        break;
    }
    for (; 8 * h <= len; h *= 8) K::template Stage3<S>(x, len, h, tw);
    return;
  }
  const std::size_t e = len / 8;
  for (std::size_t j = 0; j < 8; ++j) Blocks<K, S>(x + 2 * j * e, e, tw);
  K::template Stage3<S>(x, len, e, tw);
}

/// The bit-reversal permutation by exchanging precomputed pairs (small sizes).
void SwapPairs(double* x, const std::vector<std::uint32_t>& swaps) {
  const std::uint32_t* s = swaps.data();
  const std::size_t count = swaps.size();
  for (std::size_t p = 0; p < count; p += 2) {
    double* a = x + 2 * std::size_t{s[p]};
    double* b = x + 2 * std::size_t{s[p + 1]};
    const TCplx va = LoadC(a);
    StoreC(a, LoadC(b));
    StoreC(b, va);
  }
}

/// The bit-reversal permutation tile by tile.  Position (a, m, c) (top, middle
/// and low bits, a and c of kTileBits bits) receives the value at
/// (rev c, rev m, rev a): the rows of tile m are copied out, the rows of tile
/// rev(m) likewise, and each tile is refilled from the other's copy read with
/// rows and columns exchanged and reversed.  Every cache line is used whole.
void SwapTiles(double* x, const TFFTTables& t) {
  constexpr int kBits = TFFTTables::kTileBits;
  constexpr std::size_t kSide = std::size_t{1} << kBits;
  static constexpr auto kRev = [] {
    std::array<std::uint8_t, kSide> r{};
    for (std::size_t v = 0; v < kSide; ++v) {
      std::size_t b = 0;
      for (int i = 0; i < kBits; ++i) b |= ((v >> i) & 1) << (kBits - 1 - i);
      r[v] = static_cast<std::uint8_t>(b);
    }
    return r;
  }();
  const std::size_t rowStride = std::size_t{1} << (t.log2n - kBits);  // complex values between rows
  alignas(64) TCplx first[kSide * kSide];
  alignas(64) TCplx second[kSide * kSide];
  const auto gather = [&](TCplx* buf, const double* tile) {
    for (std::size_t a = 0; a < kSide; ++a) {
      const double* row = tile + 2 * a * rowStride;
      for (std::size_t c = 0; c < kSide; ++c) buf[a * kSide + c] = LoadC(row + 2 * c);
    }
  };
  const auto scatter = [&](double* tile, const TCplx* buf) {
    for (std::size_t a = 0; a < kSide; ++a) {
      double* row = tile + 2 * a * rowStride;
      const TCplx* col = buf + kRev[a];
      for (std::size_t c = 0; c < kSide; ++c) StoreC(row + 2 * c, col[kRev[c] * kSide]);
    }
  };
  const std::uint32_t* pairs = t.tilePairs.data();
  const std::size_t count = t.tilePairs.size();
  for (std::size_t p = 0; p < count; p += 2) {
    double* tileM = x + 2 * (std::size_t{pairs[p]} << kBits);
    double* tileR = x + 2 * (std::size_t{pairs[p + 1]} << kBits);
    gather(first, tileM);
    if (tileR == tileM) {
      scatter(tileM, first);
    } else {
      gather(second, tileR);
      scatter(tileM, second);
      scatter(tileR, first);
    }
  }
}

void BitReverse(double* x, const TFFTTables& t) {
  if (!t.tilePairs.empty()) {
    SwapTiles(x, t);
  } else {
    SwapPairs(x, t.swaps);
  }
}

template <class K>
void Run(double* x, const TFFTTables& t, int Sign) {
  if (Sign > 0) {
    Blocks<K, 1>(x, t.n, t.twiddle.data());
  } else {
    Blocks<K, -1>(x, t.n, t.twiddle.data());
  }
}

/// One butterfly with w = 1 on the two values of a block of 2.
void TransformOfTwo(double* x) {
  TCplx a = LoadC(x), b = LoadC(x + 2);
  Butterfly(a, b, 1.0, 0.0);
  StoreC(x, a);
  StoreC(x + 2, b);
}

}  // namespace

std::shared_ptr<const TFFTTables> FFTTables(int log2n) {
  if (log2n < 0 || log2n > kMaxLog2) return nullptr;
  static std::mutex mutex;
  static std::array<std::weak_ptr<const TFFTTables>, kMaxLog2 + 1> cached;
  static std::array<std::shared_ptr<const TFFTTables>, kKeepLog2 + 1> kept;
  std::lock_guard<std::mutex> lock(mutex);
  if (auto p = cached[static_cast<std::size_t>(log2n)].lock()) return p;
  auto t = std::make_shared<TFFTTables>();
  t->log2n = log2n;
  t->n = std::size_t{1} << log2n;
  BuildTwiddles(*t);
  BuildReordering(*t);
  cached[static_cast<std::size_t>(log2n)] = t;
  if (log2n <= kKeepLog2) kept[static_cast<std::size_t>(log2n)] = t;
  return t;
}

bool FFTUsesVectorKernels() {
#ifdef QMX_FFT_AVX
  return CpuHasAvx();
#else
  return false;
#endif
}

void FFTRadix2(double* data, const TFFTTables& tables, int Sign) {
  const std::size_t n = tables.n;
  if (n < 2) return;
  if (n == 2) {
    TransformOfTwo(data);
    return;
  }
  BitReverse(data, tables);
#ifdef QMX_FFT_AVX
  if (CpuHasAvx()) {
    Run<TAvxKernels>(data, tables, Sign);
    return;
  }
#endif
  Run<TScalarKernels>(data, tables, Sign);
}

void FFTRadix2Scalar(double* data, const TFFTTables& tables, int Sign) {
  const std::size_t n = tables.n;
  if (n < 2) return;
  if (n == 2) {
    TransformOfTwo(data);
    return;
  }
  BitReverse(data, tables);
  Run<TScalarKernels>(data, tables, Sign);
}

void FFTRecurrence(double* data, std::size_t n, std::int32_t Sign) {
  if (n < 2) return;
  // Bit-reversal reordering with the running reversed index j.
  std::size_t j = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (j > i) {
      std::swap(data[2 * i], data[2 * j]);
      std::swap(data[2 * i + 1], data[2 * j + 1]);
    }
    std::size_t m = n >> 1;
    while (m >= 1 && (j & m) != 0) {
      j ^= m;
      m >>= 1;
    }
    j |= m;
  }
  // Stages: butterflies h values apart, θ = Sign·2π/(2h).
  for (std::size_t h = 1; h < n; h *= 2) {
    const double theta = static_cast<double>(Sign) * (6.283185307179586 / static_cast<double>(2 * h));
    const double sh = std::sin(0.5 * theta);
    const double wpr = -2.0 * sh * sh;
    const double wpi = std::sin(theta);
    double wr = 1.0;
    double wi = 0.0;
    for (std::size_t k = 0; k < h; ++k) {
      for (std::size_t i = k; i < n; i += 2 * h) {
        TCplx a = LoadC(data + 2 * i), b = LoadC(data + 2 * (i + h));
        Butterfly(a, b, wr, wi);
        StoreC(data + 2 * i, a);
        StoreC(data + 2 * (i + h), b);
      }
      const double wt = wr;
      wr = wr * wpr - wi * wpi + wr;
      wi = wi * wpr + wt * wpi + wi;
    }
  }
}

}  // namespace qmx::detail
