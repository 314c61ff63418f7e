#pragma once
/// \file
/// `TMatrix`: the two-dimensional container of 64-bit floats.  Element
/// access, resizing and its events, ranges, copies, fills, searches,
/// descriptive statistics, normalisation, sorting, mirroring, the XML tags
/// and the XML, ASC, plain text, binary and stream formats.  The operations
/// shared with the integer matrix are documented in `detail::TMatrixBase`.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"
#include "qmx/matrix/matrix_detail.hpp"
#include "qmx/matrix/matrix_formats.hpp"

namespace qmx {

class TVector;
class TIntVector;

/// The user-defined distance between the objects (rows) Row1 and Row2 of a
/// matrix; Distance arrives preset to 0.
using TOnCalcDistanceEvent =
    std::function<void(TObject* Sender, std::int32_t Row1, std::int32_t Row2, double& Distance)>;

/// A matrix of doubles with NrOfColumns x NrOfRows elements, addressed as
/// (column, row) from (1, 1).  A new matrix is 1 x 1 holding 0.0.
///
/// The two format precisions steer the text writers (ASC, plain text, XML):
/// precision 1 (default 15) is the minimum field width of a value in the
/// columnar texts (ASC and plain text; -1 or 0: no padding), precision 2
/// (default -1) the number of decimals: -1 writes the shortest text that
/// reads back to the same double ("full" precision), 0..25 fixed-point with
/// that many decimals.
///
/// Event fields in order: `OnChange`, `OnResize`, `OnSortExchange` (from the
/// shared base), `OnCalcDistance`, `OnPercentDone`.
class TMatrix : public detail::TMatrixBase<double, TMatrix> {
  using Base = detail::TMatrixBase<double, TMatrix>;
  friend Base;

 public:
  /// Supplies the user-defined distance between two rows.
  TOnCalcDistanceEvent OnCalcDistance;
  /// Reports the progress of long operations in percent.
  TOnPercentDoneEvent OnPercentDone;

  /// A 1 x 1 matrix holding 0.0, precisions 15 and -1, no handlers.
  explicit TMatrix(TComponent* AOwner = nullptr);
  std::string_view ClassName() const override;

  /// Fires `OnPercentDone(this, Percent)` if assigned (Sender is not passed on).
  void PercDone(TObject* Sender, std::int32_t Percent);

  /// Format precision Index (Index <= 1: precision 1, else precision 2).
  std::int32_t GetFPrecis(std::int32_t Index) const;
  /// Sets a format precision; the value is limited to -1..25.
  void SetFPrecis(std::int32_t Index, std::int32_t Value);

  // ---- random fills (each fires OnChange once; nothing without storage) ------

  /// Every element := Low + U·(High - Low), U uniform in [0, 1) from `Random`.
  void FillRandomUniform(double Low, double High);
  /// The same for the region (range form).
  void FillRandomUniform(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow, std::int32_t HiRow,
                         double Low, double High);
  /// Every element := Mean + G·StdDev, G a standard normal deviate from `GRandom`.
  void FillRandomGauss(double Mean, double StdDev);
  /// The same for the region (range form).
  void FillRandomGauss(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow, std::int32_t HiRow,
                       double Mean, double StdDev);

  using Base::CopyFromVec;
  /// Copies elements of an integer vector as the `TVector` form does.
  void CopyFromVec(TDims Dims, const TIntVector* Vec, std::int32_t LoElem, std::int32_t HiElem,
                   std::int32_t DestCol, std::int32_t DestRow);

  // ---- histogram and normalisation ---------------------------------------------

  /// Counts the region (corner form) into bins = round-half-even(|LastBin -
  /// FirstBin| / BinWidth) + 1 bins of width BinWidth from FirstBin: x <
  /// FirstBin counts as Underflow; x >= LastBin + BinWidth, a bin number
  /// beyond the last bin and NaN count as Overflow; otherwise bin
  /// floor((x - FirstBin)/BinWidth) (from 0).  MaxCnt is the largest bin
  /// count.  Histo is resized only if its length differs.  False, with
  /// nothing changed, for more than 500 bins, a BinWidth that is not positive
  /// and finite, or non-finite bounds.
  bool Histogram(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow, double FirstBin,
                 double LastBin, double BinWidth, TIntArray& Histo, std::int32_t& Underflow,
                 std::int32_t& Overflow, std::int32_t& MaxCnt) const;
  /// The same into an integer vector: bin k goes to element k + 1 (the vector
  /// is resized to the number of bins and fires `OnChange` once); a nil Histo
  /// only computes the counters.
  bool Histogram(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow, double FirstBin,
                 double LastBin, double BinWidth, TIntVector* Histo, std::int32_t& Underflow,
                 std::int32_t& Overflow, std::int32_t& MaxCnt) const;

  /// For each column: mean and variance as `MeanVar` over the whole column;
  /// if the variance is positive each element := (x - mean)/sqrt(variance).
  /// Means and StdDevs (either may be nil) are resized to NrOfColumns and
  /// receive the means and sqrt(variance).  Fires `OnChange` once.
  void StandardizeColumns(TVector* Means, TVector* StdDevs);
  /// The same per row (vectors of NrOfRows entries).
  void StandardizeRows(TVector* Means, TVector* StdDevs);
  /// For each column: median := `Percentile`(50), spread := |median -
  /// `Percentile`(Quantile)|; if the spread is positive each element :=
  /// (x - median)/spread.  Centres and Spreads (optional) receive them.
  /// Fires `OnChange` once.
  void QNormalizeColumns(double Quantile, TVector* Centres, TVector* Spreads);
  /// The same per row.
  void QNormalizeRows(double Quantile, TVector* Centres, TVector* Spreads);
  /// Subtracts each column's mean from its elements; Means (optional)
  /// receives the means.  Fires `OnChange` once.
  void MeanCenterColumns(TVector* Means);
  /// The same per row.
  void MeanCenterRows(TVector* Means);

 private:
  /// Copies the settings and handlers that the base does not hold.
  void AssignDerived(const TMatrix& Source);
  /// The text format of the writers: width = precision 1, decimals = precision 2.
  detail::TMatCellFormat CellFormatOfClass() const { return {precis1_, precis2_}; }

  std::int32_t precis1_ = 15;
  std::int32_t precis2_ = -1;
};

extern template class detail::TMatrixBase<double, TMatrix>;

}  // namespace qmx
