#pragma once
/// \file
/// `TWavelet1D`: the one-dimensional discrete wavelet transform of a signal whose
/// length is a power of two, with Daubechies wavelets of orders 1 to 3 (2, 4 or 6
/// filter coefficients).  The transform works in place on the component's own
/// buffer of 80-bit values: after a forward step the first half of the processed
/// segment holds the approximation (low-pass) coefficients, the second half the
/// detail (high-pass) coefficients.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"

namespace qmx {

/// Wavelet families (only Daubechies).
enum class TWaveletFamily : std::uint8_t { wlfDaubechies };

/// How a segment is extended before its start (positions beyond its end never occur):
/// periodic wrap-around, zeros, or the mirror image about the segment start.  A value
/// outside the enumeration extends with zeros.
enum class TWLSigExtMode : std::uint8_t { wseWrap, wseZeroPad, wseSymmetric };

/// Discrete wavelet transform of 1, 2, 4, ..., 2^23 values.
/// Defaults: `Size` 256 (all 0), `WaveletFamily` `wlfDaubechies`, `SignalExtMode`
/// `wseWrap`, `Order` 2.
class TWavelet1D : public TComponent {
 public:
  explicit TWavelet1D(TComponent* AOwner = nullptr);
  std::string_view ClassName() const override;

  TWaveletFamily WaveletFamily() const { return family_; }
  void SetWaveletFam(TWaveletFamily Value) { family_ = Value; }
  /// Order n of the Daubechies wavelet, 1..3 (2n filter coefficients).
  std::int32_t Order() const { return order_; }
  /// Sets the order and loads its filters; raises `EQMXWaveletError`
  /// ("invalid order of Daubechies wavelet family") outside 1..3.
  void SetOrder(std::int32_t N);
  /// Number of data.
  std::int32_t Size() const { return static_cast<std::int32_t>(data_.size()); }
  /// Resizes the buffer to N values, all 0.  N must be 2^k with 0 <= k <= 23, else
  /// `EQMXWaveletError` ("data length must be power of 2") and nothing changes.
  void SetNumData(std::int32_t N);
  TWLSigExtMode SignalExtMode() const { return extMode_; }
  void SetSigExtMode(TWLSigExtMode Value) { extMode_ = Value; }

  /// Value I (1..Size), 0 outside.
  double GetDataVal(std::int32_t I) const;
  /// Stores value I (1..Size); ignored outside.
  void SetDataVal(std::int32_t I, double V);
  /// Sets all data to 0.
  void Clear();

  /// Low-pass filter h(1..2n) and high-pass filter g(1..2n) of the current order
  /// (index 0-based here); the low-pass coefficients sum to √2.
  const std::vector<Extended>& LowPass() const { return h_; }
  const std::vector<Extended>& HighPass() const { return g_; }

  /// One forward or inverse step on the segment of NumData values starting at the
  /// 0-based position FirstIx.  Nothing happens for NumData < 2 or for a segment
  /// that does not lie inside the buffer (also a power of two above 2^23); a NumData
  /// of 2 or more that is not a power of two raises "data length must be power of 2".
  /// Sums are accumulated in 80 bits; NaN and infinities spread through the sums.
  /// With `wseSymmetric`, positions more than one segment length before the start
  /// continue the mirrored signal periodically (period 2·NumData), so that short
  /// segments with long filters stay inside the segment.
  void PartialWLT(std::int32_t NumData, std::int32_t FirstIx, bool Inverse);
  /// `PartialWLT(Size, 0, Inverse)`.
  void SingleStep(bool Inverse);
  /// Multi-level transform (Levels < 1 count as 1; nothing for Size < 2).  Forward:
  /// transforms the whole buffer, then the approximation part left by each step,
  /// for Levels steps or until the part has fewer than 2 values.  Inverse: undoes a
  /// forward transform of the same number of levels, starting from the shortest
  /// segment that forward transform produced (for Levels >= log2(Size) that is the
  /// segment of 2 values) and doubling it up to the whole buffer.
  void DoWLT(std::int32_t Levels, bool Inverse);
  /// `DoWLT(Levels, false)`.
  void Transform(std::int32_t Levels);
  /// `DoWLT(Levels, true)`.
  void InverseTransform(std::int32_t Levels);

 private:
  std::vector<Extended> data_;
  std::vector<Extended> work_;  // scratch of the segment steps, kept between calls
  std::int32_t order_ = 2;
  std::vector<Extended> h_;
  std::vector<Extended> g_;
  TWLSigExtMode extMode_ = TWLSigExtMode::wseWrap;
  TWaveletFamily family_ = TWaveletFamily::wlfDaubechies;
};

}  // namespace qmx
