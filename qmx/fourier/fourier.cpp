#include "qmx/fourier/fourier.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <new>
#include <numbers>

namespace qmx {

namespace {

constexpr std::string_view kMsgPowerOf2 = "\": data length must be power of 2";
constexpr std::int32_t kMaxSize = std::int32_t{1} << 23;

bool IsValidSize(std::int32_t n) {
  return n >= 1 && n <= kMaxSize && std::has_single_bit(static_cast<std::uint32_t>(n));
}

/// Rounds to the nearest integer, halves to even, whatever the rounding mode.
double RoundHalfEven(double v) {
  const double f = std::floor(v);
  const double d = v - f;
  if (d > 0.5) return f + 1.0;
  if (d < 0.5) return f;
  return std::fmod(f, 2.0) == 0.0 ? f : f + 1.0;
}

}  // namespace

TFastFourier::TFastFourier(TComponent* AOwner)
    : TComponent(AOwner), block_(2 * static_cast<std::size_t>(n_), 0.0), weights_(static_cast<std::size_t>(n_), 1.0) {}

std::string_view TFastFourier::ClassName() const { return "TFastFourier"; }

void TFastFourier::SetNumData(std::int32_t n) {
  if (!IsValidSize(n)) RaiseComponentError<EQMXFourierError>(this, kMsgPowerOf2);
  detail::TAlignedVector<double> block;
  std::vector<double> weights;
  try {
    block.assign(2 * static_cast<std::size_t>(n), 0.0);
    weights.assign(static_cast<std::size_t>(n), 0.0);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXFourierError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  block_.swap(block);
  weights_.swap(weights);
  n_ = n;
  if (tables_ && tables_->n != static_cast<std::size_t>(n)) tables_.reset();
  InvalidateWindow();
  Changed();
}

double TFastFourier::GetRealVal(std::int32_t i) const { return (i >= 1 && i <= n_) ? Re(i - 1) : 0.0; }

double TFastFourier::GetImagVal(std::int32_t i) const { return (i >= 1 && i <= n_) ? Im(i - 1) : 0.0; }

void TFastFourier::SetRealVal(std::int32_t i, double v) {
  if (i < 1 || i > n_) return;
  block_[2 * static_cast<std::size_t>(i - 1)] = v;
  Changed();
}

void TFastFourier::SetImagVal(std::int32_t i, double v) {
  if (i < 1 || i > n_) return;
  block_[2 * static_cast<std::size_t>(i - 1) + 1] = v;
  Changed();
}

double TFastFourier::GetWgtVal(std::int32_t i) const {
  return (i >= 1 && i <= n_) ? weights_[static_cast<std::size_t>(i - 1)] : 0.0;
}

void TFastFourier::SetWgtVal(std::int32_t i, double v) {
  if (i >= 1 && i <= n_) weights_[static_cast<std::size_t>(i - 1)] = v;
}

void TFastFourier::SetTukAlpha(double a) {
  tukeyAlpha_ = std::isnan(a) ? 0.0 : std::clamp(a, 0.0, 1.0);
  InvalidateWindow();
}

void TFastFourier::SetWgtWin(TFastFourierWgtWin w) {
  window_ = w;
  InvalidateWindow();
}

void TFastFourier::InvalidateWindow() {
  windowValid_ = false;
  windowWeights_.clear();
  windowWeights_.shrink_to_fit();
}

void TFastFourier::EnsureTables() {
  if (tables_) return;
  try {
    tables_ = detail::FFTTables(std::countr_zero(static_cast<std::uint32_t>(n_)));
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXFourierError>(this, kMsgNotEnoughMemoryOnHeap);
  }
}

void TFastFourier::ComputeWindowWeights(std::vector<double>& w) {
  const std::int32_t n = n_;
  const double dn = n;
  w.assign(static_cast<std::size_t>(n), 1.0);
  const auto at = [&w](std::int32_t i) -> double& { return w[static_cast<std::size_t>(i - 1)]; };  // 1-based
  // cos(2π·m/n) for whole m, from the twiddle table (exact symmetries, no trig calls).
  const detail::TFFTTables* tables = nullptr;
  if (n >= 2) {
    EnsureTables();
    tables = tables_.get();
  }
  const auto cosLine = [tables, dn](std::int64_t m) {
    return tables != nullptr ? tables->CosOfLine(m) : std::cos(2.0 * std::numbers::pi * static_cast<double>(m) / dn);
  };
  // Weighted cosine sums c0 + c1·cos(2πt) + c2·cos(4πt) + c3·cos(6πt), t = m/n.
  const auto cosineSum = [&](double c0, double c1, double c2, double c3) {
    for (std::int32_t i = 1; i <= n; ++i) {
      const std::int64_t m = std::int64_t{i} - n / 2;
      at(i) = c0 + c1 * cosLine(m) + c2 * cosLine(2 * m) + c3 * cosLine(3 * m);
    }
  };

  switch (window_) {
    case TFastFourierWgtWin::fwTriangle:
      for (std::int32_t i = 1; i <= n / 2; ++i) {
        at(i) = 2.0 * i / dn;
        at(n + 1 - i) = 2.0 * i / dn;
      }
      return;
    case TFastFourierWgtWin::fwCos2:
      // cos²(πt) = (1 + cos(2πt))/2
      for (std::int32_t i = 1; i <= n; ++i) at(i) = 0.5 + 0.5 * cosLine(std::int64_t{i} - n / 2);
      return;
    case TFastFourierWgtWin::fwGauss:
      for (std::int32_t i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i - n / 2) / dn;
        at(i) = std::exp(-0.5 * (6.0 * t) * (6.0 * t));
      }
      return;
    case TFastFourierWgtWin::fwHamming:
      cosineSum(0.543478261, 0.456521739, 0.0, 0.0);
      return;
    case TFastFourierWgtWin::fwBlackman:
      cosineSum(0.42659, 0.49656, 0.076848, 0.0);
      return;
    case TFastFourierWgtWin::fwBlkmHarris:
      cosineSum(0.35875, 0.48829, 0.14128, 0.01168);
      return;
    case TFastFourierWgtWin::fwBlkmNuttall:
      cosineSum(0.3635819, 0.4891775, 0.1365995, 0.0106411);
      return;
    case TFastFourierWgtWin::fwTukey: {
      const double a = tukeyAlpha_;
      const double edge = dn * a / 2.0;
      for (std::int32_t i = 1; i <= n; ++i) {
        if (i < edge) {
          at(i) = 0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * i / (a * dn)));
        } else if (i > dn - edge) {
          at(i) = 0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * (n - i) / (a * dn)));
        }
      }
      return;
    }
    default:
      return;
  }
}

void TFastFourier::ApplyWindow() {
  const double* w = nullptr;
  switch (window_) {
    case TFastFourierWgtWin::fwTriangle:
    case TFastFourierWgtWin::fwCos2:
    case TFastFourierWgtWin::fwGauss:
    case TFastFourierWgtWin::fwHamming:
    case TFastFourierWgtWin::fwBlackman:
    case TFastFourierWgtWin::fwBlkmHarris:
    case TFastFourierWgtWin::fwBlkmNuttall:
    case TFastFourierWgtWin::fwTukey:
      if (!windowValid_) {
        try {
          ComputeWindowWeights(windowWeights_);
        } catch (const std::bad_alloc&) {
          windowWeights_.clear();
          RaiseComponentError<EQMXFourierError>(this, kMsgNotEnoughMemoryOnHeap);
        }
        windowValid_ = true;
      }
      w = windowWeights_.data();
      break;
    case TFastFourierWgtWin::fwUserDef:
      w = weights_.data();
      break;
    default:  // fwRectangle and values outside the enumeration: no weighting
      return;
  }
  double* x = block_.data();
  const auto n = static_cast<std::size_t>(n_);
  for (std::size_t k = 0; k < n; ++k) {
    x[2 * k] *= w[k];
    x[2 * k + 1] *= w[k];
  }
}

void TFastFourier::Transform() {
  ApplyWindow();
  DoFFT(1);
}

void TFastFourier::InverseTransform() { DoFFT(-1); }

void TFastFourier::DoFFT(std::int32_t Sign) {
  Changed();
  double* x = block_.data();
  if (Sign == 1 || Sign == -1) {
    EnsureTables();
    detail::FFTRadix2(x, *tables_, Sign);
  } else {
    detail::FFTRecurrence(x, static_cast<std::size_t>(n_), Sign);
  }
  if (Sign < 0) {
    const double scale = 1.0 / n_;  // exact: n is a power of two
    for (double& v : block_) v *= scale;
  }
}

void TFastFourier::Clear() {
  std::fill(block_.begin(), block_.end(), 0.0);
  Changed();
}

void TFastFourier::ClearReal() {
  for (std::size_t k = 0; k < block_.size(); k += 2) block_[k] = 0.0;
  Changed();
}

void TFastFourier::ClearImag() {
  for (std::size_t k = 1; k < block_.size(); k += 2) block_[k] = 0.0;
  Changed();
}

double TFastFourier::FreqOfLine(std::int32_t Line, double SampleInterval) const {
  if (Line < 1 || Line > n_ / 2) return 0.0;
  return Line / SampleInterval / n_;
}

std::int32_t TFastFourier::LineOfFreq(double Freq, double SampleInterval) const {
  const double line = RoundHalfEven(n_ * Freq * SampleInterval);
  if (!(line >= 1.0 && line <= n_ / 2)) return 0;  // also NaN
  return static_cast<std::int32_t>(line);
}

Extended TFastFourier::PowerTerm(std::int32_t k) const {
  const Extended r = Re(k), m = Im(k);
  Extended s = r * r + m * m;
  if (k >= 1) {
    const Extended r2 = Re(n_ - k), m2 = Im(n_ - k);
    s += r2 * r2 + m2 * m2;
  }
  return s;
}

double TFastFourier::GetPowerSpec(std::int32_t k) const {
  if (k < 0 || k > n_ / 2) return 0.0;
  return static_cast<double>(PowerTerm(k) / n_);
}

double TFastFourier::GetMagnitude(std::int32_t k) const {
  if (k < 0 || k > n_ / 2) return 0.0;
  if (k == 0) return std::hypot(Re(0), Im(0)) / n_;
  return std::hypot(Re(k) + Re(n_ - k), Im(k) - Im(n_ - k)) / n_;
}

double TFastFourier::GetPhase(std::int32_t k) const {
  if (k < 1 || k > n_ / 2) return 0.0;
  const double r = Re(k), m = Im(k);
  if (r != 0.0) return std::atan(m / r);
  return m > 0.0 ? std::numbers::pi / 2 : -std::numbers::pi / 2;
}

double TFastFourier::GetFSerSin(std::int32_t k) const {
  if (k < 1 || k > n_ / 2) return 0.0;
  return (Im(k) - Im(n_ - k)) / n_;
}

double TFastFourier::GetFSerCos(std::int32_t k) const {
  if (k < 0 || k > n_ / 2) return 0.0;
  if (k == 0) return Re(0) / n_;
  return (Re(k) + Re(n_ - k)) / n_;
}

double TFastFourier::RMS(std::int32_t Lo, std::int32_t Hi) const {
  const std::int32_t top = n_ / 2;
  Lo = std::clamp(Lo, std::int32_t{0}, top);
  Hi = std::clamp(Hi, std::int32_t{0}, top);
  if (Lo > Hi) std::swap(Lo, Hi);
  Extended s = 0.0L;
  for (std::int32_t k = Lo; k <= Hi; ++k) s += PowerTerm(k);
  return static_cast<double>(std::sqrt(s) / n_);
}

void TFastFourier::CalcMaxValues() const {
  double maxRe = -std::numeric_limits<double>::max();
  double maxIm = maxRe;
  double minRe = std::numeric_limits<double>::max();
  double minIm = minRe;
  for (std::int32_t k = 0; k < n_; ++k) {
    const double r = Re(k), m = Im(k);
    if (r > maxRe) maxRe = r;
    if (r < minRe) minRe = r;
    if (m > maxIm) maxIm = m;
    if (m < minIm) minIm = m;
  }
  double maxPow = 0.0;
  double maxMag = 0.0;
  for (std::int32_t k = 1; k < n_ / 2; ++k) {
    const double p = static_cast<double>(PowerTerm(k) / n_);
    if (p > maxPow) maxPow = p;
    const double mag = std::hypot(Re(k) + Re(n_ - k), Im(k) - Im(n_ - k)) / n_;
    if (mag > maxMag) maxMag = mag;
  }
  maxReal_ = maxRe;
  maxImag_ = maxIm;
  minReal_ = minRe;
  minImag_ = minIm;
  maxPower_ = maxPow;
  maxMagni_ = maxMag;
  extremesValid_ = true;
}

double TFastFourier::GetMaxPower() const {
  if (!extremesValid_) CalcMaxValues();
  return maxPower_;
}

double TFastFourier::GetMaxMagni() const {
  if (!extremesValid_) CalcMaxValues();
  return maxMagni_;
}

double TFastFourier::GetMaxReal() const {
  if (!extremesValid_) CalcMaxValues();
  return maxReal_;
}

double TFastFourier::GetMaxImag() const {
  if (!extremesValid_) CalcMaxValues();
  return maxImag_;
}

double TFastFourier::GetMinReal() const {
  if (!extremesValid_) CalcMaxValues();
  return minReal_;
}

double TFastFourier::GetMinImag() const {
  if (!extremesValid_) CalcMaxValues();
  return minImag_;
}

}  // namespace qmx
