#include "qmx/wavelet/wavelet.hpp"

#include <algorithm>
#include <bit>
#include <cmath>

namespace qmx {

namespace {

constexpr std::string_view kMsgPowerOf2 = "\": data length must be power of 2";
constexpr std::string_view kMsgInvalidOrder = "\": invalid order of Daubechies wavelet family";

/// Largest accepted number of data: 2^23.
constexpr std::int32_t kMaxSize = std::int32_t{1} << 23;

bool IsValidSize(std::int32_t n) { return n >= 1 && n <= kMaxSize && std::has_single_bit(static_cast<std::uint32_t>(n)); }

/// Daubechies low-pass coefficients of order 1..3 from their closed forms, in
/// 80-bit precision (sum √2, sum of squares 1).
std::vector<Extended> DaubechiesLowPass(std::int32_t order) {
  const Extended sqrt2 = std::sqrt(2.0L);
  switch (order) {
    case 1:
      return {1.0L / sqrt2, 1.0L / sqrt2};
    case 2: {
      const Extended s3 = std::sqrt(3.0L);
      const Extended d = 4.0L * sqrt2;
      return {(1.0L + s3) / d, (3.0L + s3) / d, (3.0L - s3) / d, (1.0L - s3) / d};
    }
    default: {
      const Extended s10 = std::sqrt(10.0L);
      const Extended q = std::sqrt(5.0L + 2.0L * s10);
      const Extended d = 16.0L * sqrt2;
      return {(1.0L + s10 + q) / d,         (5.0L + s10 + 3.0L * q) / d, (10.0L - 2.0L * s10 + 2.0L * q) / d,
              (10.0L - 2.0L * s10 - 2.0L * q) / d, (5.0L + s10 - 3.0L * q) / d, (1.0L + s10 - q) / d};
    }
  }
}

/// Maps a position before the segment start (p < 0) into the segment 0..n-1;
/// returns -1 when the position contributes nothing.
std::int32_t ExtendPosition(std::int32_t p, std::int32_t n, TWLSigExtMode mode) {
  switch (mode) {
    case TWLSigExtMode::wseWrap:
      return p & (n - 1);
    case TWLSigExtMode::wseSymmetric: {
      // Mirror about the start, continued with period 2n: -1 -> 0, -2 -> 1, ...
      // -n -> n-1, -n-1 -> n-1, ...
      const std::int32_t period = 2 * n;
      std::int32_t q = p % period;
      if (q < 0) q += period;
      return q < n ? q : period - 1 - q;
    }
    default:
      return -1;
  }
}

}  // namespace

TWavelet1D::TWavelet1D(TComponent* AOwner) : TComponent(AOwner), data_(256, 0.0L) { SetOrder(2); }

std::string_view TWavelet1D::ClassName() const { return "TWavelet1D"; }

void TWavelet1D::SetOrder(std::int32_t N) {
  if (N < 1 || N > 3) RaiseComponentError<EQMXWaveletError>(this, kMsgInvalidOrder);
  std::vector<Extended> h = DaubechiesLowPass(N);
  // Quadrature mirror: g(2n + 1 - k) = (-1)^k h(k), k = 1..2n.
  const std::size_t len = h.size();
  std::vector<Extended> g(len);
  for (std::size_t k = 1; k <= len; ++k) g[len - k] = (k % 2 == 0) ? h[k - 1] : -h[k - 1];
  h_ = std::move(h);
  g_ = std::move(g);
  order_ = N;
}

void TWavelet1D::SetNumData(std::int32_t N) {
  if (!IsValidSize(N)) RaiseComponentError<EQMXWaveletError>(this, kMsgPowerOf2);
  std::vector<Extended> fresh(static_cast<std::size_t>(N), 0.0L);
  data_.swap(fresh);
  work_.clear();
  work_.shrink_to_fit();
}

double TWavelet1D::GetDataVal(std::int32_t I) const {
  if (I < 1 || I > Size()) return 0.0;
  return static_cast<double>(data_[static_cast<std::size_t>(I - 1)]);
}

void TWavelet1D::SetDataVal(std::int32_t I, double V) {
  if (I < 1 || I > Size()) return;
  data_[static_cast<std::size_t>(I - 1)] = V;
}

void TWavelet1D::Clear() { std::fill(data_.begin(), data_.end(), 0.0L); }

void TWavelet1D::PartialWLT(std::int32_t NumData, std::int32_t FirstIx, bool Inverse) {
  if (NumData < 2) return;
  // Only a length that is no power of two is an error; a power of two beyond the
  // largest buffer is a segment outside the buffer like any other.
  if (!std::has_single_bit(static_cast<std::uint32_t>(NumData))) {
    RaiseComponentError<EQMXWaveletError>(this, kMsgPowerOf2);
  }
  if (FirstIx < 0 || std::int64_t{FirstIx} + NumData > std::int64_t{Size()}) return;
  if (work_.size() < static_cast<std::size_t>(NumData)) work_.resize(static_cast<std::size_t>(NumData));

  const std::int32_t n = NumData;
  const std::int32_t half = n / 2;
  const std::int32_t len = static_cast<std::int32_t>(h_.size());
  Extended* x = data_.data() + FirstIx;
  Extended* t = work_.data();
  const Extended* h = h_.data();
  const Extended* g = g_.data();
  // Output i (0-based) combines the inputs at 2i + 2 - len + k, k = 0..len-1; the
  // first `edge` outputs reach before the segment start.
  const std::int32_t edge = std::min(half, len / 2 - 1);

  if (!Inverse) {
    for (std::int32_t i = 0; i < half; ++i) {
      const std::int32_t p0 = 2 * i + 2 - len;
      Extended a = 0.0L;
      Extended d = 0.0L;
      if (i < edge) {
        for (std::int32_t k = 0; k < len; ++k) {
          std::int32_t p = p0 + k;
          if (p < 0) p = ExtendPosition(p, n, extMode_);
          if (p < 0) continue;
          a += x[p] * h[k];
          d += x[p] * g[k];
        }
      } else {
        const Extended* xp = x + p0;
        for (std::int32_t k = 0; k < len; ++k) {
          a += xp[k] * h[k];
          d += xp[k] * g[k];
        }
      }
      t[i] = a;
      t[half + i] = d;
    }
  } else {
    std::fill(t, t + n, 0.0L);
    for (std::int32_t i = 0; i < half; ++i) {
      const std::int32_t p0 = 2 * i + 2 - len;
      const Extended a = x[i];
      const Extended d = x[half + i];
      if (i < edge) {
        for (std::int32_t k = 0; k < len; ++k) {
          std::int32_t p = p0 + k;
          if (p < 0) p = ExtendPosition(p, n, extMode_);
          if (p < 0) continue;
          t[p] += a * h[k] + d * g[k];
        }
      } else {
        Extended* tp = t + p0;
        for (std::int32_t k = 0; k < len; ++k) tp[k] += a * h[k] + d * g[k];
      }
    }
  }
  std::copy(t, t + n, x);
}

void TWavelet1D::SingleStep(bool Inverse) { PartialWLT(Size(), 0, Inverse); }

void TWavelet1D::DoWLT(std::int32_t Levels, bool Inverse) {
  const std::int32_t size = Size();
  if (size < 2) return;
  const std::int32_t levels = std::max(Levels, std::int32_t{1});
  const std::int32_t maxLevels = std::bit_width(static_cast<std::uint32_t>(size)) - 1;  // log2(size)
  const std::int32_t steps = std::min(levels, maxLevels);
  if (!Inverse) {
    std::int32_t m = size;
    for (std::int32_t s = 0; s < steps; ++s, m /= 2) PartialWLT(m, 0, false);
  } else {
    // Start from the shortest segment the forward transform of `steps` levels
    // produced, so that the inverse undoes it for every number of levels.
    std::int32_t m = size >> (steps - 1);
    for (std::int32_t s = 0; s < steps; ++s, m *= 2) PartialWLT(m, 0, true);
  }
}

void TWavelet1D::Transform(std::int32_t Levels) { DoWLT(Levels, false); }

void TWavelet1D::InverseTransform(std::int32_t Levels) { DoWLT(Levels, true); }

}  // namespace qmx
