#pragma once
/// \file
/// The dense machinery shared by the double matrix `TMatrix` and the 32-bit
/// integer matrix `TIntMatrix`, written once: storage, shape and resizing with
/// events, ranges, element access, fills, copies, searches, statistics,
/// sorting, mirroring, the content checksum, the XML tags and the file and
/// stream formats.  The public classes derive from `TMatrixBase` (CRTP) and
/// the template is instantiated in the unit's source files.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"
#include "qmx/matrix/matrix_formats.hpp"

namespace qmx {

class TVector;
class TIntVector;

namespace detail {

/// The types that go with an element type.
template <class T>
struct TMatrixTraits;

template <>
struct TMatrixTraits<double> {
  /// The vector class of the same element type.
  using TVec = TVector;
  /// The result type of `Sum` and `Trace`.
  using TSum = double;
  /// The format identifier of the binary header.
  static constexpr std::int32_t kFormat = kMatFormatDouble;
};

template <>
struct TMatrixTraits<std::int32_t> {
  using TVec = TIntVector;
  using TSum = std::int64_t;
  static constexpr std::int32_t kFormat = kMatFormatInt32;
};

/// A validated rectangular region, 1-based inclusive bounds.
struct TMatRegion {
  std::int32_t LoCol = 1;
  std::int32_t HiCol = 1;
  std::int32_t LoRow = 1;
  std::int32_t HiRow = 1;
  std::int64_t Columns() const { return std::int64_t{HiCol} - LoCol + 1; }
  std::int64_t Rows() const { return std::int64_t{HiRow} - LoRow + 1; }
  std::int64_t Count() const { return Columns() * Rows(); }
};

/// How the text writers format a cell: minimum field width and decimals
/// (decimals < 0: the shortest text that reads back unchanged).  Integer
/// matrices use only the width.
struct TMatCellFormat {
  std::int32_t Width = 0;
  std::int32_t Decimals = -1;
};

/// The state and behaviour shared by the dense matrices.
///
/// Storage: one contiguous column-major buffer; element (c, r), both counted
/// from 1, lives at position (c - 1) * NrOfRows + (r - 1).  A matrix normally
/// holds NrOfColumns x NrOfRows elements (at least 1 x 1).  A derived class may
/// release the storage while keeping its dimensions (the sparse mode of the
/// integer matrix); every operation here then acts as on a matrix without
/// elements: reads give 0, writes and fills are ignored, statistics give the
/// values stated for "no storage".
///
/// Regions: the *corner form* (low column, low row, high column, high row) and
/// the *range form* (low column, high column, low row, high row), both 1-based
/// and inclusive.  Every region first passes `MakeValidColRange` and
/// `MakeValidRowRange`: (0, 0) selects the whole extent, other bounds are
/// clamped into the matrix and put in order.
///
/// Events: `Changed` fires `OnChange` after values changed, `Resized` fires
/// `OnResize` after the dimensions changed (always after `OnChange`),
/// `SortExchange` fires `OnSortExchange` once per exchange of two rows or
/// columns.  `SetVal` fires `OnChange` for every accepted write; operations
/// that write "through the element setter" (`Clone`, `CopyFrom`, `CopyFromVec`,
/// `CopyFromArray`) therefore fire it once per element written and once more
/// at the end; other bulk operations fire it once.  A handler may read or even
/// resize the matrix: per-element operations re-check every position.
///
/// A derived class befriends the base and provides `AssignDerived(const
/// Derived&)` (its own settings and handlers, for `Assign`) and, for double
/// elements, `TMatCellFormat CellFormatOfClass() const` (the text writers'
/// format).
template <class T, class Derived>
class TMatrixBase : public TComponent {
 public:
  using TVec = typename TMatrixTraits<T>::TVec;
  using TSum = typename TMatrixTraits<T>::TSum;
  using TArray = std::vector<T>;
  using T2DArray = std::vector<std::vector<T>>;

  /// Fired by `Changed`, after element values changed.
  TNotifyEvent OnChange;
  /// Fired by `Resized`, after the dimensions changed (always after `OnChange`).
  TNotifyEvent OnResize;
  /// Fired by `SortExchange`: kind 1 = two columns, 2 = two rows exchanged; the
  /// two indexes; the low and high row (columns) or column (rows) of the region.
  TSortExchgEvent OnSortExchange;

  ~TMatrixBase() override;

  // ---- shape, events, element access ---------------------------------------

  /// The number of columns (at least 1).
  std::int32_t NrOfColumns() const { return ncols_; }
  /// The number of rows (at least 1).
  std::int32_t NrOfRows() const { return nrows_; }
  /// Sets the column count (a negative count is taken as 0, which changes
  /// nothing); `Resize` with the row count unchanged.
  void SetNCols(std::int32_t NCols);
  /// Sets the row count likewise.
  void SetNRows(std::int32_t NRows);
  /// Changes the dimensions.  False, with nothing changed and no event, when
  /// a count is below 1 or both equal the current counts.  Otherwise the
  /// elements present in both sizes keep their values, new ones are 0,
  /// `Changed` and `Resized` fire and the result is true.  When the storage
  /// cannot be allocated: `EQMXMatrixError` "not enough memory on heap", the
  /// matrix unchanged.
  bool Resize(std::int32_t NCols, std::int32_t NRows);
  /// `Resize`; only if it returned true every element := 0, then `Changed`
  /// and `Resized` fire (again).  Returns `Resize`'s result.
  bool ResizeAndClear(std::int32_t NCols, std::int32_t NRows);
  /// Validates a column range.  (0, 0): Lo := 1, Hi := NrOfColumns, false.
  /// Otherwise each bound is clamped into 1..NrOfColumns (true if that
  /// changed a bound), then the two are put in order (an exchange alone does
  /// not make the result true).
  bool MakeValidColRange(std::int32_t& Lo, std::int32_t& Hi) const;
  /// The same for rows.
  bool MakeValidRowRange(std::int32_t& Lo, std::int32_t& Hi) const;
  /// Fires `OnChange(this)` if assigned.
  void Changed();
  /// Fires `OnResize(this)` if assigned.
  void Resized();
  /// Fires `OnSortExchange(this, Kind, Ix1, Ix2, First, Last)` if assigned.
  void SortExchange(std::uint8_t Kind, std::int32_t Ix1, std::int32_t Ix2, std::int32_t First, std::int32_t Last);

  /// Element (Col, Row); 0 outside the matrix or without storage.
  T GetVal(std::int32_t Col, std::int32_t Row) const {
    return Inside(Col, Row) ? data_[Pos(Col, Row)] : T{};
  }
  /// The same as `GetVal` (the element property).
  T Elem(std::int32_t Col, std::int32_t Row) const { return GetVal(Col, Row); }
  /// Stores Value at (Col, Row) and fires `OnChange`; ignored (no event) outside.
  void SetVal(std::int32_t Col, std::int32_t Row, T Value);
  /// True when the matrix holds its element storage.
  bool HasStorage() const { return !data_.empty(); }
  /// The column-major element storage (empty without storage).  Writes
  /// through the mutable view fire no event: call `Changed` afterwards.
  std::span<const T> Data() const { return data_; }
  std::span<T> Data() { return data_; }

  /// The free identifier of the data (default empty; copied by `Assign`).
  const std::string& DataID() const { return dataID_; }
  void SetDataID(std::string ID) { dataID_ = std::move(ID); }

  /// The checksum of the element values in column-major order: one CRC-32
  /// lane per byte of an element, 64 hexadecimal digits for doubles, 32 for
  /// integers; empty without storage.
  std::string CRCofData() const;

  /// Removes column Ix: false when Ix lies outside 1..NrOfColumns or the
  /// matrix has one column; otherwise the later columns move forward and
  /// `Resize` drops the last one (firing `Changed` and `Resized`).
  bool RemoveColumn(std::int32_t Ix);
  /// Removes row Ix likewise.
  bool RemoveRow(std::int32_t Ix);

  /// From a matrix of the same class: copies the dimensions, `DataID`, every
  /// element and the event handlers (and the class's own settings); fires no
  /// event.  Other classes: the platform's default (`Source->AssignTo(this)`).
  void Assign(const TPersistent* Source) override;
  /// Makes this matrix a copy of Source: `Resize` to its dimensions, every
  /// element through `SetVal`, then `Changed` and `Resized`.  Handlers and
  /// `DataID` are not copied.  Nil: nothing.
  void Clone(const Derived* Source);

  // ---- copying ----------------------------------------------------------------

  /// Copies the region (corner form, clamped into Source and ordered) of
  /// Source to (DestCol + c - LoCol, DestRow + r - LoRow) through `SetVal`
  /// (positions outside this matrix are dropped; no resize), then `Changed`.
  /// Nil Source: nothing.  Copying a matrix onto itself behaves as if the
  /// region had been copied aside first.
  void CopyFrom(const Derived* Source, std::int32_t SrcLoCol, std::int32_t SrcLoRow, std::int32_t SrcHiCol,
                std::int32_t SrcHiRow, std::int32_t DestCol, std::int32_t DestRow);
  /// Copies vector elements Lo..Hi (clipped by the vector's `MakeValidElemRange`)
  /// through `SetVal`: `dimColumns` along row DestRow from column DestCol on,
  /// `dimRows` down column DestCol from row DestRow on; then `Changed`.  Nil
  /// vector: nothing.
  void CopyFromVec(TDims Dims, const TVec* Vec, std::int32_t LoElem, std::int32_t HiElem, std::int32_t DestCol,
                   std::int32_t DestRow);
  /// The same with Vertical true for `dimRows`, false for `dimColumns`.
  void CopyFromVec(const TVec* Vec, std::int32_t LoElem, std::int32_t HiElem, std::int32_t DestCol,
                   std::int32_t DestRow, bool Vertical);
  /// Fills Vec with 0, then vector element k := (LoCol + k - 1, Row) for the
  /// column range (validated) cut to the vector's length; Row is clamped into
  /// the matrix.  The vector is not resized; it fires `OnChange` once.  Nil: nothing.
  void CopyRowToVec(TVec* Vec, std::int32_t Row, std::int32_t LoCol, std::int32_t HiCol) const;
  /// The whole row: Vec is resized to NrOfColumns and receives the row.
  void CopyRowToVec(TVec* Vec, std::int32_t Row) const;
  /// Fills Vec with 0, then element k := (Col, LoRow + k - 1), as `CopyRowToVec`.
  void CopyColToVec(TVec* Vec, std::int32_t Col, std::int32_t LoRow, std::int32_t HiRow) const;
  /// The whole column: Vec is resized to NrOfRows and receives the column.
  void CopyColToVec(TVec* Vec, std::int32_t Col) const;
  /// Copies column Col (clamped into the matrix), rows LoRow..HiRow
  /// (validated), into A (not resized): A is first set to 0, then element
  /// (Col, r) goes to A[StartIx + r - LoRow]; positions outside A are skipped.
  /// Nothing happens for an empty A, a StartIx beyond A's last position, or
  /// one so far below 0 that no element would land in A.
  void CopyColTo1DArray(TArray& A, std::int32_t Col, std::int32_t LoRow, std::int32_t HiRow,
                        std::int32_t StartIx) const;
  /// The same for row Row, columns LoCol..HiCol.
  void CopyRowTo1DArray(TArray& A, std::int32_t Row, std::int32_t LoCol, std::int32_t HiCol,
                        std::int32_t StartIx) const;
  /// Copies the region (corner form) into A[DestCol + c - LoCol][DestRow + r -
  /// LoRow] (0-based positions), cut where it runs past the end of A or of a
  /// column of A.  0; -1 A (or A[0]) empty or no storage; -2 the column bounds
  /// had to be clamped; -3 the row bounds had to be clamped; -4 DestCol or
  /// DestRow outside A.  Nothing is copied on an error.  Integer arrays
  /// receive the values rounded to the nearest integer (ties to even,
  /// limited to the 32-bit range, NaN as 0).
  std::int32_t CopyToArray(TDouble2DArray& A, std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol,
                           std::int32_t HiRow, std::int32_t DestCol, std::int32_t DestRow) const;
  std::int32_t CopyToArray(TInt2DArray& A, std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol,
                           std::int32_t HiRow, std::int32_t DestCol, std::int32_t DestRow) const;
  /// Writes A[i], i = LoIx..HiIx (put in order; (0, 0) = the whole array),
  /// through `SetVal` to (DestCol, DestRow + i) when Vertical, else to
  /// (DestCol + i, DestRow): the offset is the array index itself.  Positions
  /// beyond the matrix are dropped.  0; -1 empty A; -4 LoIx or HiIx outside
  /// 0..size-1; -5 (DestCol, DestRow) outside the matrix.  `Changed` at the end.
  /// Integer matrices receive double values rounded as in `CopyToArray`.
  std::int32_t CopyFromArray(const TDoubleArray& A, std::int32_t LoIx, std::int32_t HiIx, std::int32_t DestCol,
                             std::int32_t DestRow, bool Vertical);
  std::int32_t CopyFromArray(const TIntArray& A, std::int32_t LoIx, std::int32_t HiIx, std::int32_t DestCol,
                             std::int32_t DestRow, bool Vertical);
  /// Writes A[i][j] for i = Lo1..Hi1 and j = Lo2..Hi2 (each pair put in order;
  /// (0, 0) = the whole extent) through `SetVal` to (DestCol + i, DestRow + j).
  /// 0; -1 empty A (or A[0]); -2 Lo1 or Hi1 outside A; -3 Lo2 or Hi2 outside
  /// 0..size-1 of a selected A[i] (all of them for (0, 0): the shortest);
  /// -5 (DestCol, DestRow) outside the matrix.  `Changed` at the end.
  std::int32_t CopyFromArray(const TDouble2DArray& A, std::int32_t Lo1, std::int32_t Hi1, std::int32_t Lo2,
                             std::int32_t Hi2, std::int32_t DestCol, std::int32_t DestRow);
  std::int32_t CopyFromArray(const TInt2DArray& A, std::int32_t Lo1, std::int32_t Hi1, std::int32_t Lo2,
                             std::int32_t Hi2, std::int32_t DestCol, std::int32_t DestRow);
  /// Sets A to NrOfColumns x NrOfRows (outer index the column) holding every
  /// element and returns 0; -1 (A unchanged) when the A passed in is empty.
  /// An allocation failure raises "not enough memory on heap".
  std::int32_t DuplicateDataAsArray(T2DArray& A) const;

  // ---- filling (each fires OnChange once; nothing without storage) ----------

  /// Every element := Value.
  void Fill(T Value);
  /// Every element of the region (range form) := Value.
  void Fill(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow, std::int32_t HiRow, T Value);
  /// Elements (i, i), i = 1..min(NrOfColumns, NrOfRows) := Value; the others stay.
  void FillDiag(T Value);
  /// The elements in column-major order receive First, First + Step, ... by
  /// successive addition (integers wrap around modulo 2^32).
  void FillSerial(T First, T Step);

  // ---- searching and counting -------------------------------------------------

  /// Position of the element of the region (range form) nearest to Value
  /// (first in column-major order on ties).  An element equal to Value is at
  /// distance 0 (also an infinity equal to an infinite Value); when every
  /// element is infinitely far the first one is taken.  Both 0 without
  /// storage or when no distance is defined (a NaN Value, NaN elements only).
  void Find(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow, std::int32_t HiRow, T Value,
            std::int32_t& Col, std::int32_t& Row) const;
  /// Binary search of column Col, assumed sorted in the given direction: the
  /// row of an element equal to Value met on the way, else the nearer of the
  /// two enclosing rows (ties to the higher).  0 for a column outside the
  /// matrix or without storage.
  std::int32_t FindInSortedColumn(std::int32_t Col, bool Ascending, T Value) const;
  /// Number of elements x of the region (range form) with Low <= x <= High.
  std::int32_t CountValues(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow, std::int32_t HiRow, T Low,
                           T High) const;

  // ---- statistics (corner form regions; read-only) ----------------------------

  /// Smallest and largest element of the region; they start at the largest
  /// value of the type and its negative, which is what a matrix without
  /// storage returns.  NaN elements are passed over.
  void MinMax(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow, T& MinVal,
              T& MaxVal) const;
  /// Sum of the region, accumulated in 80-bit precision; 0 without storage.
  TSum Sum(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow) const;
  /// Sum of the diagonal of a square matrix; 0 when not square.
  TSum Trace() const;
  /// Mean Σx/N and variance (Σx² - (Σx)²/N)/(N - 1) of the N elements of the
  /// region (80-bit sums).  The variance is 1.0 when N < 3 and 0 when rounding
  /// makes it negative.  Both 0 without storage.
  void MeanVar(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow, double& Mean,
               double& Variance) const;
  /// exp(Σ ln x / N); 0 if an element is 0 or without storage.  An element < 0
  /// raises `EQMXMatrixError` "negative argument passed to GeometricMean"; a
  /// NaN element (not negative) makes the result NaN, unless an element is 0.
  double GeometricMean(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow) const;
  /// N / Σ(1/x); 0 without storage.  An element <= 0 (also -0) raises
  /// `EQMXMatrixError` "negative or zero argument passed to HarmonicMean"; a
  /// NaN element makes the result NaN, +inf elements add nothing to Σ(1/x).
  double HarmonicMean(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow) const;
  /// Skewness Σd³/N/s³ and excess kurtosis Σd⁴/N/s⁴ - 3 with d = x - mean and
  /// s = sqrt(Σd²/(N - 1)); both 0 for N < 2 or s = 0.
  void SkewKurt(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow, double& Skewness,
                double& Kurtosis) const;
  /// `SkewKurt` corrected for sample bias; both 0 for N < 4.
  void SkewKurtSample(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                      double& Skewness, double& Kurtosis) const;
  /// Quartiles at positions (N + 1)·q, q = 0.25, 0.5, 0.75, of the sorted
  /// region x(1..N), interpolated linearly (a position below 1 gives x(1), at
  /// or beyond N gives x(N)).  True with storage; false and all 0 without.
  /// Equal neighbours give their value (also infinities), the interpolation
  /// of finite neighbours cannot overflow, and next to an infinity the result
  /// is that infinity (NaN between -inf and +inf; NaN elements stay where
  /// the sort leaves them).
  bool Quartiles(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow, double& Q1,
                 double& Median, double& Q3) const;
  /// The Prob-th percentile (Prob in percent, clamped to 0..100) of the
  /// region without interpolation: the k-th smallest element (0-based) with
  /// k = N·Prob/100 rounded half to even, at most N - 1 (so 100 % gives the
  /// largest element).  0 without storage; NaN for a NaN Prob.  NaN elements
  /// rank above every number.
  double Percentile(double Prob, std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol,
                    std::int32_t HiRow) const;
  /// The same estimated from SampleSize elements drawn at random with
  /// replacement (the platform's generator is first reseeded from the
  /// clock).  SampleSize <= 0 or >= N: the exact form.  When Prob/100 falls
  /// strictly between the fractions of negative and of non-positive draws
  /// the result is exactly 0.
  double Percentile(double Prob, std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                    std::int32_t SampleSize) const;
  /// `dimColumns`: Means is resized to NrOfColumns and entry c := mean of
  /// column c; `dimRows`: NrOfRows entries, the row means.  Means fires
  /// `OnChange` once.  Nil Means or another Dims: nothing.
  void MeanVec(TDims Dims, TVector* Means) const;
  /// Mask := [NrOfColumns][NrOfRows] with mask[c][r] = (element >= Threshold);
  /// returns the number of true entries.  Without storage Mask is emptied and
  /// the result is 0.
  std::int32_t Dichotomize(T Threshold, TBool2DArray& Mask) const;
  /// Reduces the matrix to a vector.  `orVertical`: Vec gets NrOfColumns
  /// entries, each reducing its column over the rows listed in Indexes (1-based;
  /// empty: all rows); `orHorizontal`: NrOfRows entries over the listed
  /// columns.  `eoMin`/`eoMax` start at plus/minus the largest double, `eoSum`
  /// adds, `eoMean` divides the sum by the number n of indexes inside the
  /// matrix (0 when n = 0), `eoStdDev` is sqrt((Σx² - (Σx)²/n)/(n - 1)), 0 for
  /// n < 3 or a non-positive variance.  NaN elements are passed over by
  /// `eoMin`/`eoMax` and make `eoSum`, `eoMean` and `eoStdDev` NaN (an
  /// infinity makes `eoStdDev` NaN).  Returns 0; -1 without storage or for a
  /// nil Vec (Vec untouched); -2 when an index was outside the matrix (it is
  /// skipped, the others are used).  Vec fires `OnChange` once.
  std::int32_t EdgeVector(TOrientation Orientation, TEdgeOp Operation, const TIntArray& Indexes,
                          TVector* Vec) const;
  /// The same over all rows or columns.
  std::int32_t EdgeVector(TOrientation Orientation, TEdgeOp Operation, TVector* Vec) const;

  /// Differences of order Order (1..10, else -1): `acrColumns` replaces, Order
  /// times, element i of every column by element i+1 minus element i and then
  /// drops the last Order rows (-2, nothing changed, when NrOfRows <= Order);
  /// `acrRows` does the same along the rows and drops columns.  `Resize` fires
  /// `Changed` and `Resized`, which then fire once more.  Returns 0.
  std::int32_t Diff(std::int32_t Order, TApplyColRow Apply);

  // ---- reordering ----------------------------------------------------------------

  /// Comb sort (gap shrunk by 1.3) of the rows LoRow..HiRow of the region
  /// (corner form) by their elements in column KeyCol.  Each exchange swaps
  /// the two rows' elements in the region's columns (and in the key column if
  /// it lies outside them) and calls `SortExchange(2, row1, row2, LoCol,
  /// HiCol)`.  Equal keys (and NaN keys) are never exchanged.  `Changed` fires
  /// once at the end.  A region of one row or a key column outside the matrix
  /// does nothing.
  void SortRows(std::int32_t KeyCol, bool Ascending, std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol,
                std::int32_t HiRow);
  /// The same for the columns of the region by their elements in row KeyRow;
  /// `SortExchange(1, col1, col2, LoRow, HiRow)`.
  void SortCols(std::int32_t KeyRow, bool Ascending, std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol,
                std::int32_t HiRow);
  /// Reverses the column order; fires `Changed`.
  void MirrorColumns();
  /// Reverses the row order; fires `Changed`.
  void MirrorRows();
  /// Exchanges columns A and B and fires `Changed`; indexes outside the
  /// matrix do nothing.
  void ExchangeColumns(std::int32_t A, std::int32_t B);
  /// Exchanges rows A and B likewise.
  void ExchangeRows(std::int32_t A, std::int32_t B);

  /// Builds this matrix from a random selection of Source's columns and rows.
  /// ColIx receives round(columns · ColPerc/100) distinct column numbers
  /// (1, 2, ... in order when all are taken), RowIx round(rows · RowPerc/100)
  /// row numbers drawn with or without Repetitions; this matrix is resized to
  /// the two counts and element (c, r) := Source(ColIx[c-1], RowIx[r-1]); then
  /// `Changed` and `Resized`.  0; -3 nil Source; -5 ColIx or RowIx passed in
  /// empty; -1 a column count below 1 or ColPerc above 100; -2 likewise for
  /// the rows.  Source may be this matrix.
  std::int32_t ResampleExtMat(const Derived* Source, double ColPerc, double RowPerc, bool Repetitions,
                              TIntArray& ColIx, TIntArray& RowIx);

  // ---- XML ----------------------------------------------------------------------

  /// Interprets one tag of a matrix in XML form (see `MatXmlTagNames`):
  /// "numcols"/"numrows" set the pending counts from the integer in Content;
  /// "cell", when the cell-pending flag is set, first clears it and resizes to
  /// the pending counts, then stores the number in Content at the column and
  /// row given by the attributes ix="..." and iy="..." through `SetVal`.
  /// Returns 0, 1 at "/matrix", -1 for `xmlInvalid` (and any other value).
  std::int32_t ProcessXmlTag(TMatXmlTag Tag, const std::string& Attributes, const std::string& Content);
  /// The cell-pending flag: set before the first "cell" of a matrix element.
  bool CellPending() const { return cellPending_; }
  void SetCellPending(bool Pending) { cellPending_ = Pending; }

  /// Writes the matrix as XML: `<matrix dataid="...">` (the attribute only
  /// for a non-empty `DataID`), `<numcols>`, `<numrows>`, one `<cell ix=".."
  /// iy="..">value</cell>` per element in column-major order, `</matrix>`;
  /// with CreateHeader preceded by the XML declaration.  Values use the cell
  /// decimals of the class (full precision by default), without padding.
  /// Write errors are left in `OutFile.WriteOk()`.
  void WriteToOpenXMLFile(TTextFile& OutFile, bool CreateHeader) const;
  /// The same into a stream at its position; nil: nothing.  Write errors
  /// raise `EInOutError` "<Class>.WriteToXMLStream: cannot write to the stream".
  void WriteToXMLStream(TStream* OutStream, bool CreateHeader) const;
  /// The same into a new file; false if it cannot be created.  Later write
  /// errors raise `EInOutError` "<Class>.SaveAsXMLFile: cannot write file ...".
  bool SaveAsXMLFile(const std::string& FName) const;
  /// Reads a matrix element from the current position up to and including
  /// its "</matrix>" (a "<matrix>" tag on the way is optional, tags of other
  /// names are skipped).  The counts in effect at the first cell (or at the
  /// end) must be at least 1 and no larger than the text can describe (the
  /// number of bytes read plus 65536); every cell must carry integer ix and
  /// iy inside them and a number as content.  Only then is the matrix
  /// changed: resized to the counts, cleared, the cells stored, `DataID` set
  /// from a dataid attribute of "<matrix>", and `OnChange` fired once.
  /// False (nothing changed) otherwise.
  bool ReadFromOpenXMLFile(TTextFile& InFile);
  /// The same from a stream; the position ends after "</matrix>" on success
  /// and is restored on failure.  Nil: false.
  bool ReadFromXMLStream(TStream* InStream);
  /// The same from a file; false if it cannot be opened.
  bool LoadFromXMLFile(const std::string& FName);

  // ---- ASC text files ---------------------------------------------------------

  /// Writes the library's ASC layout: line 1 the comment (line feeds as
  /// blanks; empty: "Exported by QMX <Class> component: " + FName), the
  /// column and row counts, the four flags (all FALSE), then one line per row
  /// with the row's values separated by blanks (cell format of the class).
  /// 0, or -1 if the file cannot be created; later write errors raise
  /// `EInOutError` "<Class>.ExportAsASC: cannot write file ...".
  std::int32_t ExportAsASC(const std::string& FName, const std::string& Comment) const;
  /// The same with names: a non-empty ColNames sets the column-name flag and
  /// writes a line of double-quoted names after the header; a non-empty
  /// RowNames sets the row-name flag and starts each row with its quoted
  /// name.  Missing names are written "" and the characters '"', CR and LF
  /// in names are written as "'", blank and blank.
  std::int32_t ExportAsASC(const std::string& FName, const std::string& Comment, const TStrArray& ColNames,
                           const TStrArray& RowNames) const;
  /// Reads an ASC file: header by `ReadHeaderOfASC`, then (column names,) and
  /// per row (a row attribute, discarded; a name;) NCols values separated by
  /// white space; "NAN" and "###" stand for a missing value (NaN in a double
  /// matrix, 0 in an integer one).  On success the matrix is resized to the
  /// header's counts and filled (`OnChange` once).  When a row fails, the
  /// complete rows before it are kept (the matrix is resized to them; when
  /// there are none it is left unchanged) and the code tells why:
  /// `kMatAscOk`, `kMatAscNoFile`, `kMatAscBadRowAttrib`, `kMatAscBadValue`,
  /// `kMatAscBadName`, or the code of `ReadHeaderOfASC`.  A header with a
  /// count of 0 leaves the matrix unchanged and returns 0.
  std::int32_t ImportASC(const std::string& FName, std::string& Comment);
  /// The same, also returning the column names and row names (empty when the
  /// file has none; for a failed import, the names read).
  std::int32_t ImportASC(const std::string& FName, std::string& Comment, TStrArray& ColNames,
                         TStrArray& RowNames);

  // ---- plain text -----------------------------------------------------------------

  /// Writes the region (corner form) as plain text: line 1 "LoCol LoRow HiCol
  /// HiRow", then one line per row with the values of the region's columns
  /// separated by blanks (cell format of the class).  True once the file has
  /// been created (later write errors raise `EInOutError`); false if it cannot be.
  bool StoreOnFile(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                   const std::string& FName) const;
  /// The same into an open text file (write errors are left in `OutFile.WriteOk()`).
  void StoreOnFile(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                   TTextFile& OutFile) const;
  /// Reads what `StoreOnFile` wrote.  With AdjustSize the matrix is first
  /// resized to HiCol x HiRow; the region must then lie inside the matrix.
  /// Blank lines before line 1 are skipped.  The values are read before
  /// anything changes: the result is false, with the matrix unchanged, when
  /// the file cannot be opened, line 1 is not four positive 32-bit integers
  /// with Lo <= Hi, a value is missing or not a number ("NAN", "INF" and
  /// "-INF" are numbers), the region does not fit, or AdjustSize would grow
  /// the matrix to more cells than the file has bytes.  On success the
  /// matrix is resized if asked (`Resize`'s events) and `OnChange` fires once.
  bool LoadFromFile(const std::string& FName, bool AdjustSize);
  /// The same from an open text file (reads one header line and the values;
  /// growing is bounded by the bytes read instead of the file size).
  bool LoadFromFile(TTextFile& InFile, bool AdjustSize);

  // ---- binary files and streams ---------------------------------------------------

  /// Reads the header record of a binary matrix file: true when the file
  /// exists, holds the header fields, has 0 layers and 0 time slots and the
  /// format identifier of this class (1 double, 2 integer).  The outputs
  /// receive the fields read (zeros and empty for a missing or short file).
  bool ReadBinaryHeader(const std::string& FName, std::int32_t& NCols, std::int32_t& NRows, std::string& Comment,
                        std::int32_t& Format) const;
  /// Writes a binary matrix file: the header record (Comment cut to 255
  /// bytes), then the elements row by row, columns innermost, little-endian,
  /// 4096 bytes per record (512 doubles or 1024 integers; the last record is
  /// padded with zeros).  False if the file cannot be created; write errors
  /// raise `EInOutError` "<Class>.SaveBinary: cannot write file ...".
  bool SaveBinary(const std::string& FName, const std::string& Comment) const;
  /// Reads a binary matrix file written by `SaveBinary`.  False, with the
  /// matrix unchanged, when the header is not valid for this class, a count
  /// is below 1, or the file is too short for the announced elements.
  /// Otherwise the matrix takes the file's size and elements (`OnChange`
  /// once, after `Resize`'s events).
  bool LoadBinary(const std::string& FName);
  /// Writes the binary file format (empty comment) at the stream's position.
  /// A nil Stream is replaced by a new `TMemoryStream`, which the caller then
  /// owns.  Short writes raise `EInOutError`.
  void SaveToStream(TMemoryStream*& Stream) const;
  /// The same on an open file stream; nil: nothing.
  void SaveToStream(TFileStream* Stream) const;
  /// Reads what `SaveToStream` wrote, from the stream's position, which ends
  /// after the last record (or at the end of the stream).  False, with the
  /// matrix unchanged and the position restored, as for `LoadBinary`; also
  /// for a nil stream.
  bool LoadFromStream(TMemoryStream* Stream);
  bool LoadFromStream(TFileStream* Stream);

 protected:
  /// A 1 x 1 matrix holding 0.  An allocation failure raises `EQMXMatrixError`
  /// "not enough memory on heap".
  explicit TMatrixBase(TComponent* AOwner);
  /// Calls `Dest->Assign(this)` for a matrix of the same class, else the default.
  void AssignTo(TPersistent* Dest) const override;

  std::size_t Pos(std::int32_t Col, std::int32_t Row) const {
    return static_cast<std::size_t>(Col - 1) * static_cast<std::size_t>(nrows_) + static_cast<std::size_t>(Row - 1);
  }
  bool Inside(std::int32_t Col, std::int32_t Row) const {
    return Col >= 1 && Col <= ncols_ && Row >= 1 && Row <= nrows_ && !data_.empty();
  }
  T* ColumnPtr(std::int32_t Col) { return data_.data() + static_cast<std::size_t>(Col - 1) * nrows_; }
  const T* ColumnPtr(std::int32_t Col) const {
    return data_.data() + static_cast<std::size_t>(Col - 1) * nrows_;
  }
  /// The validated region of a corner-form and of a range-form argument list.
  TMatRegion CornerRegion(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow) const;
  TMatRegion RangeRegion(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow, std::int32_t HiRow) const;
  /// The elements of a region in column-major order (a work copy), converted
  /// to U (double for the order statistics of integer matrices).
  template <class U = T>
  std::vector<U> RegionCopy(const TMatRegion& R) const;
  /// Stores v at (Col, Row) as `SetVal` does; without an `OnChange` handler
  /// directly (bounds checked).
  void StoreCell(std::int64_t Col, std::int64_t Row, T v);
  /// `StoreCell` as a callable for the shared copy helpers.
  auto StoreFn() {
    return [this](std::int64_t Col, std::int64_t Row, T v) { StoreCell(Col, Row, v); };
  }
  /// Replaces storage and dimensions (no events); the derived classes'
  /// loaders and the sparse mode use it.
  void AdoptStorage(std::vector<T>&& Data, std::int32_t NCols, std::int32_t NRows);

  std::int32_t ncols_ = 1;
  std::int32_t nrows_ = 1;
  std::int32_t pendingCols_ = 0;
  std::int32_t pendingRows_ = 0;
  std::string dataID_;
  std::vector<T> data_;
  bool cellPending_ = false;

 private:
  /// Resizes as `Resize` does after its checks, then loads Values (column-major,
  /// NCols x NRows) and fires `Changed`.
  void LoadWhole(std::vector<T>&& Values, std::int32_t NCols, std::int32_t NRows);
  /// Applies the region-row permutation found by a key sort.
  void PermuteRows(const TMatRegion& R, std::int32_t KeyCol, const std::vector<std::int32_t>& Perm);
  template <bool Ascending>
  void CombSortRows(std::int32_t KeyCol, const TMatRegion& R);
  template <bool Ascending>
  void CombSortCols(std::int32_t KeyRow, const TMatRegion& R);
  void WriteBinary(TStream& Stream, const std::string& Comment) const;
  bool ReadBinary(TStream& Stream);
  void WriteXml(TTextFile& File, bool CreateHeader) const;
  template <class Source>
  bool ReadXml(Source& Src);
  void WritePlain(TTextFile& File, const TMatRegion& R) const;
  bool ReadPlain(TTextFile& File, bool AdjustSize, std::int64_t SizeLimit);
  std::int32_t WriteASC(const std::string& FName, const std::string& Comment, const TStrArray* ColNames,
                        const TStrArray* RowNames) const;
  std::int32_t ReadASC(const std::string& FName, std::string& Comment, TStrArray& ColNames, TStrArray& RowNames);
  /// The cell format of the derived class (doubles) or the plain one (integers).
  TMatCellFormat CellFormat() const;
  std::string CellText(T v, bool Padded) const;
  /// "<Class>.<Operation>: cannot write file \"<FName>\"".
  [[noreturn]] void RaiseWriteError(std::string_view Operation, const std::string& FName) const;
};

}  // namespace detail
}  // namespace qmx
