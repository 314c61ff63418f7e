#pragma once
/// \file
/// `TMatrix`: the two-dimensional container of 64-bit floats.  Element
/// access, resizing and its events, ranges, copies, fills, searches,
/// descriptive statistics, normalisation, sorting, mirroring, the XML tags
/// and the XML, ASC, plain text, binary and stream formats; the linear
/// algebra (products, the cross-product matrix, inversion, decompositions,
/// determinant, norms, balancing, correlation, hat matrix, distances).  The
/// operations shared with the integer matrix are documented in
/// `detail::TMatrixBase`.

#include <cstddef>
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
class TIntMatrix;

/// The matrix norms of `TMatrix::Norm`.
enum class TNormType : std::uint8_t { ntColwise, ntRowwise, ntSpectral, ntFrobenius };

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

  using Base::CopyFrom;
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
  /// nothing changed, for more than 500 bins (also bounds so far apart that
  /// their distance overflows), a BinWidth that is not positive and finite,
  /// or non-finite bounds.
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

  // ---- linear algebra ------------------------------------------------------------------
  // Products form their result aside and then write every element through
  // the result's element setter (one `OnChange` per element; all at once
  // when it has no handler), so the result may be this matrix or the other
  // operand.  Sums are accumulated in 80 bits.  False, with nothing changed,
  // for a nil argument or dimensions that do not fit.

  /// R := this · B (B.NrOfColumns columns, NrOfRows rows); needs NrOfColumns =
  /// B.NrOfRows.  Then fires `OnChange` of this matrix.
  bool Multiply(const TMatrix* B, TMatrix* R);
  /// W := this · V (NrOfRows elements); needs NrOfColumns = V's length.  Then
  /// fires `OnChange` of this matrix.
  bool Multiply(const TVector* V, TVector* W);
  /// R := this · Bᵀ (B.NrOfRows columns, NrOfRows rows); needs equal column
  /// counts.  Then fires `OnChange` of this matrix.
  bool MultiplyTransposed(const TMatrix* B, TMatrix* R);
  /// R := thisᵀ · B (B.NrOfColumns columns, NrOfColumns rows); needs equal row counts.
  bool TransposeAndMultiply(const TMatrix* B, TMatrix* R);
  /// W := thisᵀ · V (NrOfColumns elements); needs NrOfRows = V's length.
  bool TransposeAndMultiply(const TVector* V, TVector* W);
  /// R := this ∘ B element by element (R sized like this); needs equal
  /// dimensions.  Then fires `OnChange` of this matrix.
  bool EMult(const TMatrix* B, TMatrix* R);
  /// this := this + B; needs equal dimensions.  Fires `OnChange`.
  bool Add(const TMatrix* B);
  /// this := this - B; needs equal dimensions.  Fires `OnChange`.
  bool Subtract(const TMatrix* B);
  /// Every element multiplied by S; fires `OnChange`.
  void SMult(double S);
  /// Every element increased by S; fires `OnChange`.
  void SAdd(double S);

  /// R := thisᵀ · this / D (NrOfColumns x NrOfColumns, symmetric), one column
  /// at a time with the progress protocol, on Threads threads: 1 (or less)
  /// computes on the calling thread, reading `AbortMathProc` before each
  /// column's progress step; more start min(Threads, NrOfColumns) workers
  /// while the calling thread reports `ProcStat` to `MathFeedBackProc` and
  /// polls `AbortMathProc`.  Every thread count gives the same bits.  False
  /// for a nil R or when aborted (R then holds the columns done; the workers
  /// never outlive the call).  R fires `OnChange` once at the end (after its
  /// resize events).  D = 0 gives infinities and NaN.
  bool Square(TMatrix* R, double D, std::int32_t Threads);
  /// The same on the number of processors minus 1 (at least 1) threads.
  bool Square(TMatrix* R, double D);
  /// Transposes in place and fires `OnChange` and `OnResize`.  An allocation
  /// failure raises `EQMXMatrixError` "not enough memory on heap".
  void Transpose();
  /// Inverts in place by `InvertArray` (Crout LU with partial pivoting; one
  /// progress step per column, stopped by `AbortMathProc`).  True, and
  /// `OnChange`, on success; false (unchanged) for a matrix that is not
  /// square, singular, not finite, or when aborted.
  bool Invert();
  /// L and U := the factors of the Doolittle decomposition this = L·U without
  /// row exchanges (array `LUdecomposition`), n x n each, L unit lower
  /// triangular.  False, with nothing changed, for a nil L or U, a matrix
  /// that is not square, a zero pivot or a non-finite element.  This matrix
  /// is not changed.
  bool LUdecomposition(TMatrix* L, TMatrix* U);
  /// L := the lower triangular Cholesky factor of this symmetric positive
  /// definite matrix (A = L·Lᵀ; only the lower triangle and the diagonal are
  /// read).  The part above the diagonal of this matrix is overwritten with
  /// Lᵀ's off-diagonal elements; L is resized to n x n, receives the diagonal
  /// and the part below it and keeps above it what `Resize` left.  The
  /// factorisation stops at the first diagonal sum that is not positive: the
  /// result is then false and L holds the columns done before it (the later
  /// ones 0 on and below the diagonal).  False, with nothing changed, for a
  /// nil L or a matrix that is not square.  No event of this matrix; L fires
  /// `OnChange` once.
  bool CholeskyDecomp(TMatrix* L);
  /// The determinant, from the LU decomposition with partial pivoting and the
  /// sign of its row exchanges (80-bit product of the pivots); 0 for a matrix
  /// that is not square, singular or has a non-finite element.
  double Determinant() const;
  /// The norm of the given type: `ntColwise` the largest column sum of
  /// absolute values, `ntRowwise` the largest row sum, `ntSpectral` the
  /// largest singular value (by the singular value decomposition of a copy,
  /// one progress step per column of the bidiagonal reduction), `ntFrobenius`
  /// sqrt(Σ x²).  `ntSpectral` raises `EQMXMatrixError` "near singular
  /// covariance matrix" when the decomposition is aborted or does not converge.
  /// Every norm is NaN when an element is NaN, and infinite when an element
  /// is infinite (`ntSpectral` then does not decompose); a norm beyond the
  /// double range is infinite.
  double Norm(TNormType NormType) const;
  /// Scales a square matrix so that each row and the matching column have
  /// about equal off-diagonal absolute sums: each pass divides row i and
  /// multiplies column i (off the diagonal) by sqrt(row sum / column sum)
  /// when both are non-zero; at most 100 passes, until every factor of a
  /// pass lies within Precision (limited to 1.000001..1.05) of 1 (in either
  /// direction).  The diagonal stays.  False for a matrix that is not
  /// square.  No event.  Rows whose sums are NaN, infinite or beyond the
  /// double range are left as they are; finite elements stay finite; a NaN
  /// Precision makes no pass.
  bool Balance(double Precision);
  /// The correlation coefficient of the elements of this matrix and B, paired
  /// position by position (80-bit sums): 0 when there are fewer than 3
  /// elements, Σx² or Σy² is 0, or either centred sum of squares is 0; NaN
  /// when an element is NaN or infinite.  A nil B or other dimensions raise `EQMXMatrixError` "matrices do
  /// not match".
  double Correlate(const TMatrix* B) const;
  /// Resizes H to NrOfRows x NrOfRows and computes the hat matrix
  /// X (XᵀX)⁻¹ Xᵀ of this matrix X into it with the array `CalcHatMatrix`,
  /// returning its result: 0; -3 XᵀX singular or the inversion aborted (H
  /// then holds what `Resize` left).  A nil H: -1.  H fires `OnChange` on success.
  std::int32_t CalcHatMatrix(TMatrix* H) const;
  /// The distance or similarity of the objects (rows) Row1 and Row2 over all
  /// columns (80-bit sums; a row outside the matrix counts as zeros):
  /// `dmTanimoto` Σxy/(Σx² + Σy² - Σxy), `dmManhattan` Σ|x - y|,
  /// `dmEuclid` sqrt(Σ(x - y)²), `dmEuclidSq` Σ(x - y)², `dmDice`
  /// 2Σxy/(Σx² + Σy²) (the two similarities are 0 when their denominator is
  /// 0), `dmUser` the value `OnCalcDistance` sets (preset 0; 0 without a
  /// handler); any other mode 0.
  double DistanceOfObjects(TDistMode Mode, std::int32_t Row1, std::int32_t Row2);
  /// D(i, i) := 0 and D(i, j) = D(j, i) := `DistanceOfObjects`(Mode, i, j)
  /// for all pairs of rows; D is not resized and fires `OnChange` once.
  /// 0; -1 nil or not square D; -2 D not of NrOfRows x NrOfRows.
  std::int32_t CalcDistMat(TDistMode Mode, TMatrix* D);
  /// Copies the region (corner form, clamped into Source and ordered) of an
  /// integer matrix as `CopyFrom` does for a `TMatrix`; from a sparse one its
  /// entries (zeros elsewhere) within its nominal dimensions.  Nil Source: nothing.
  void CopyFrom(const TIntMatrix* Source, std::int32_t SrcLoCol, std::int32_t SrcLoRow, std::int32_t SrcHiCol,
                std::int32_t SrcHiRow, std::int32_t DestCol, std::int32_t DestRow);
  /// A literal nil source (of either class): nothing.
  void CopyFrom(std::nullptr_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                std::int32_t) {}

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
