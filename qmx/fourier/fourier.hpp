#pragma once
/// \file
/// `TFastFourier`: one block of n complex samples (n a power of two), weighted by
/// a window and transformed in place by a radix-2 fast Fourier transform; the
/// spectrum is read out as power, magnitude, phase, Fourier-series coefficients
/// and band RMS.  The inverse transform works on the same block.

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"
#include "qmx/fourier/fourier_detail.hpp"

namespace qmx {

/// Weighting windows applied by `TFastFourier::Transform`.
enum class TFastFourierWgtWin : std::uint8_t {
  fwRectangle,
  fwTriangle,
  fwCos2,
  fwGauss,
  fwHamming,
  fwBlackman,
  fwBlkmHarris,
  fwBlkmNuttall,
  fwTukey,
  fwUserDef
};

/// A block of n complex values (line i = 1..n) with its forward and inverse
/// Fourier transform.  After construction n = 256, the block is 0, the weights
/// are 1, the window is `fwRectangle` and `TukeyAlpha` is 0.
///
/// The forward transform computes X_k = Σ_j x_j·e^(+2πi·jk/n) without scaling,
/// the inverse x_j = (1/n)·Σ_k X_k·e^(−2πi·jk/n).  The twiddle factors come from
/// exact tables shared by all objects of the same size (built on first use), so
/// results agree with the textbook recurrence to rounding, and are more accurate.
class TFastFourier : public TComponent {
 public:
  explicit TFastFourier(TComponent* AOwner = nullptr);
  std::string_view ClassName() const override;

  /// n, the number of complex values.
  std::int32_t SpectrumSize() const { return n_; }
  /// Sets n and clears the block (2n zeros) and the weights (n zeros).  n must be
  /// 2^k with 0 <= k <= 23, else `EQMXFourierError` ("data length must be power
  /// of 2") and nothing changes; "not enough memory on heap" when the block
  /// cannot be allocated (nothing changes either).
  void SetNumData(std::int32_t n);

  /// Real or imaginary part of line i (1..n); 0 outside.
  double GetRealVal(std::int32_t i) const;
  double GetImagVal(std::int32_t i) const;
  /// Stores the real or imaginary part of line i (ignored outside 1..n).
  void SetRealVal(std::int32_t i, double v);
  void SetImagVal(std::int32_t i, double v);
  /// Weight i (1..n) of the user-defined window; 0 / ignored outside.
  double GetWgtVal(std::int32_t i) const;
  void SetWgtVal(std::int32_t i, double v);

  TFastFourierWgtWin WeightingWindow() const { return window_; }
  void SetWgtWin(TFastFourierWgtWin w);
  /// Fraction of the block covered by the two cosine tapers of `fwTukey`, 0..1.
  double TukeyAlpha() const { return tukeyAlpha_; }
  /// Stores a clamped to [0, 1] (NaN counts as 0).
  void SetTukAlpha(double a);

  /// Multiplies the block by the window, then `DoFFT(1)`.
  ///
  /// Window weights of line i, with t = (i − n/2)/n (n/2 rounded down):
  /// `fwTriangle` 2i/n for lines i and n+1−i, i = 1..n/2; `fwCos2` cos²(πt);
  /// `fwGauss` exp(−0.5·(6t)²); `fwHamming` 0.543478261 + 0.456521739·cos(2πt);
  /// `fwBlackman`, `fwBlkmHarris`, `fwBlkmNuttall` their cosine sums in t;
  /// `fwUserDef` the weights; `fwRectangle` and values outside the enumeration
  /// leave the block as it is.  `fwTukey` with a = `TukeyAlpha`: 1 for
  /// n·a/2 <= i <= n − n·a/2, 0.5·(1 − cos(2π·i/(a·n))) below, and the mirror
  /// image of that start taper about n/2, 0.5·(1 − cos(2π·(n − i)/(a·n))), above,
  /// so the window is symmetric for every a.  The weights of a built-in window
  /// are computed once and kept until the size, the window or `TukeyAlpha` change.
  void Transform();
  /// `DoFFT(-1)`, without a window.
  void InverseTransform();
  /// The transform itself: X_k = Σ_j x_j·e^(Sign·2πi·jk/n), divided by n when
  /// Sign < 0.  Signs other than ±1 use the trigonometric recurrence for the
  /// angle Sign·2π/span (slower, as the textbook algorithm).
  void DoFFT(std::int32_t Sign);

  /// Zero both parts, the real parts or the imaginary parts of every line.
  void Clear();
  void ClearReal();
  void ClearImag();

  /// Frequency of spectral line Line: Line/SampleInterval/n for 1 <= Line <= n/2, else 0.
  /// A zero or non-finite SampleInterval gives the IEEE quotient (±inf, 0 or NaN).
  double FreqOfLine(std::int32_t Line, double SampleInterval) const;
  /// The line nearest to Freq: n·Freq·SampleInterval rounded (halves to even) if
  /// it lies in 1..n/2, else 0 (also when the product is NaN or infinite).
  std::int32_t LineOfFreq(double Freq, double SampleInterval) const;

  /// Spectrum read-outs of the 0-based line index k (0..n/2; `GetFSerSin` and
  /// `GetPhase` 1..n/2), each divided by n except the phase; 0 outside.
  /// Power: k = 0: |X_0|²; k >= 1: |X_k|² + |X_(n−k)|² (so line n/2 counts twice).
  double GetPowerSpec(std::int32_t k) const;
  /// Magnitude: k = 0: |X_0|; k >= 1: √((r_k + r_(n−k))² + (m_k − m_(n−k))²).
  double GetMagnitude(std::int32_t k) const;
  /// arctan(m_k/r_k) in −π/2..π/2; ±π/2 when r_k = 0 (−π/2 for m_k <= 0); NaN when a
  /// part is NaN or both are infinite.
  double GetPhase(std::int32_t k) const;
  /// m_k − m_(n−k).
  double GetFSerSin(std::int32_t k) const;
  /// k = 0: r_0; k >= 1: r_k + r_(n−k).
  double GetFSerCos(std::int32_t k) const;
  /// √(Σ power terms of lines Lo..Hi)/n, the bounds clamped to 0..n/2 and put in order.
  double RMS(std::int32_t Lo, std::int32_t Hi) const;

  /// Extremes of the real and imaginary parts over all lines, and the largest
  /// power and magnitude over lines 1..n/2−1 (0 when n < 4).  Computed on
  /// demand and kept until the block changes.  NaN values take no part: when every
  /// value is NaN the maxima stay at −max and the minima at +max (the start values),
  /// and the largest power and magnitude at 0.
  double GetMaxPower() const;
  double GetMaxMagni() const;
  double GetMaxReal() const;
  double GetMaxImag() const;
  double GetMinReal() const;
  double GetMinImag() const;
  /// Recomputes all six extremes.
  void CalcMaxValues() const;

 private:
  void EnsureTables();
  void ApplyWindow();
  /// The weights of the current built-in window (all 1 where it leaves a line alone).
  void ComputeWindowWeights(std::vector<double>& w);
  void InvalidateWindow();
  void Changed() { extremesValid_ = false; }
  double Re(std::int32_t k) const { return block_[2 * static_cast<std::size_t>(k)]; }
  double Im(std::int32_t k) const { return block_[2 * static_cast<std::size_t>(k) + 1]; }
  /// r_k² + m_k² (+ the same of line n − k for k >= 1), not divided by n.
  Extended PowerTerm(std::int32_t k) const;

  std::int32_t n_ = 256;
  detail::TAlignedVector<double> block_;  // n interleaved (real, imaginary) values
  std::vector<double> weights_;
  TFastFourierWgtWin window_ = TFastFourierWgtWin::fwRectangle;
  double tukeyAlpha_ = 0.0;
  mutable double maxReal_ = 0.0;
  mutable double maxImag_ = 0.0;
  mutable double minReal_ = 0.0;
  mutable double minImag_ = 0.0;
  mutable double maxPower_ = 0.0;
  mutable double maxMagni_ = 0.0;
  mutable bool extremesValid_ = false;
  std::shared_ptr<const detail::TFFTTables> tables_;  // tables of size n, fetched on first use
  std::vector<double> windowWeights_;  // the built-in window's weights, computed on first use
  bool windowValid_ = false;
};

}  // namespace qmx
