#pragma once
/// \file
/// `TIntVector`: the vector of 32-bit signed integers, the integer twin of
/// `TVector` (class labels, cluster numbers, counts, index lists).

#include <cstdint>
#include <string>
#include <string_view>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"
#include "qmx/vector/vector_detail.hpp"

namespace qmx {

/// A vector of 32-bit signed integers, elements 1..NrOfElem.  A new vector
/// holds one 0.  The shared operations are documented in
/// `detail::TVectorBase`; statistics return doubles (`Sum`, `MeanVar`,
/// `Percentile`, `DotProduct`, ...), `Mode`, `MinMax` and `IsDichotomous`
/// return elements.  The text readers take each value as a decimal real and
/// round it to the nearest integer (ties to even); a value that does not fit
/// 32 bits cannot be read.
class TIntVector : public detail::TVectorBase<std::int32_t, TIntVector> {
  using Base = detail::TVectorBase<std::int32_t, TIntVector>;

 public:
  explicit TIntVector(TComponent* AOwner = nullptr);
  std::string_view ClassName() const override;

  /// Resizes to NewSize; ignored if NewSize < 1 or equal to NrOfElem.
  void SetIntVecSize(std::int32_t NewSize);

  /// Counts the values of elements LoIx..HiIx into NBins = |LastBin -
  /// FirstBin| div BinWidth + 1 bins (a BinWidth below 1 counts as 1); bin k
  /// covers FirstBin + k·BinWidth .. FirstBin + (k+1)·BinWidth - 1.  Values
  /// below FirstBin count as Underflow, values at or beyond LastBin + BinWidth
  /// and values beyond the last bin as Overflow; MaxCnt is the largest bin
  /// count.  The range is not clamped: indexes outside 1..NrOfElem count the
  /// value 0 (HiIx < LoIx counts nothing); counters saturate at 2147483647.
  /// NBins above 500 raises `EQMXVectorError` `Component "<Name>.Histogram":
  /// invalid number of bins`.  Returns true.
  bool Histogram(std::int32_t LoIx, std::int32_t HiIx, std::int32_t FirstBin, std::int32_t LastBin,
                 std::int32_t BinWidth, TIntArray& Histo, std::int32_t& Underflow, std::int32_t& Overflow,
                 std::int32_t& MaxCnt) const;
  /// The array form, then Histo (if not nil) is resized to the number of bins
  /// and receives bin k in element k + 1 (one `OnChange` for all bins).
  bool Histogram(std::int32_t LoIx, std::int32_t HiIx, std::int32_t FirstBin, std::int32_t LastBin,
                 std::int32_t BinWidth, TIntVector* Histo, std::int32_t& Underflow, std::int32_t& Overflow,
                 std::int32_t& MaxCnt) const;

  /// Writes the ASC text format as `TVector::ExportAsASC` does, with the
  /// default comment "Exported by QMX TIntVector component: " + FName and each
  /// element as a plain decimal integer.  0, or -1 if the file cannot be
  /// created; later write errors raise `EInOutError`.
  std::int32_t ExportAsASC(const std::string& FName, const std::string& Comment) const;
  /// Writes the plain text format: line 1 "LoIx HiIx", then one plain decimal
  /// integer per line.  True once the file has been created; false if it cannot be.
  bool StoreOnFile(std::int32_t LoIx, std::int32_t HiIx, const std::string& FName) const;
};

}  // namespace qmx
