#pragma once
/// \file
/// What `TVector` and `TIntVector` share, written once: the element storage,
/// the events, ranges, resizing, element access, fills, copies, sorting,
/// searches, the common statistics and the common file and stream formats.
/// The template is instantiated for `double` and `std::int32_t` in the unit's
/// own source files; the public classes derive from it.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"

namespace qmx {

// ---------------------------------------------------------------------------
// Result codes of the ASC reader `ImportASC` of the vectors.  Codes -1 to -4
// are those of `ReadHeaderOfASC` (file cannot be opened, truncated header,
// bad counts, bad flags), passed through unchanged.
// ---------------------------------------------------------------------------

inline constexpr std::int32_t kVecAscOk = 0;
/// A row attribute cannot be read as a number.
inline constexpr std::int32_t kVecAscBadRowAttrib = -5;
/// A value cannot be read as a number (also: the file ends before the last row).
inline constexpr std::int32_t kVecAscBadValue = -6;
/// The header declares more than one column.
inline constexpr std::int32_t kVecAscTooManyColumns = -7;
/// The file does not exist.
inline constexpr std::int32_t kVecAscNoFile = -8;
/// The header declares more rows than the bytes after the header can hold
/// (every row takes at least one byte); the vector is left unchanged.
inline constexpr std::int32_t kVecAscTooManyRows = -9;

namespace detail {

/// The state and behaviour shared by the double and the 32-bit integer vector.
/// Elements are numbered 1..NrOfElem and held in one contiguous buffer
/// (element i at position i - 1); there is always at least one element.
///
/// Ranges (LoIx, HiIx): (0, 0) is the whole vector; otherwise both bounds are
/// clamped into 1..NrOfElem and put in order (`MakeValidElemRange`).
///
/// Events: `Changed` fires `OnChange`, `Resized` fires `OnResize`,
/// `SortExchange` fires `OnSortExchange`; each only if assigned.  `SetVal`
/// fires `OnChange` per element written; bulk operations fire it once at the
/// end; `MeanCenter`, `Standardize`, `QNormalize` and `ShuffleElems` fire
/// nothing.  A handler may read the vector; the operations that fire per
/// element re-check their bounds after each call.
///
/// Integer arithmetic (`Add`, `Subtract`, `SMult`, `AbsVal`, `FillSerial` of
/// the integer vector) wraps around modulo 2^32 (two's complement) instead of
/// overflowing.
template <class T, class Derived>
class TVectorBase : public TComponent {
 public:
  using TArray = std::vector<T>;
  using T2DArray = std::vector<std::vector<T>>;

  /// Fired by `Changed`, after element values changed.
  TNotifyEvent OnChange;
  /// Fired by `Resized`, after the number of elements changed (always after `OnChange`).
  TNotifyEvent OnResize;
  /// Fired by `SortExchange`: for vectors ExchgWhat is 0, Index1 and Index2 are
  /// the two exchanged elements, First and Last are 0.
  TSortExchgEvent OnSortExchange;

  ~TVectorBase() override;

  // ---- size, events, copying ----------------------------------------------

  /// The number of elements (at least 1).
  std::int32_t NrOfElem() const { return static_cast<std::int32_t>(data_.size()); }
  /// Sets the number of elements.  NewSize = NrOfElem: true, nothing else (no
  /// event).  NewSize < 1: false, nothing changes.  Otherwise elements
  /// 1..min(old, new) keep their values, new ones are 0, then `Changed` and
  /// `Resized` fire and the result is true.  When the memory cannot be
  /// obtained: `EQMXVectorError` "not enough memory", the vector keeps its size.
  bool Resize(std::int32_t NewSize);
  /// Fires `OnChange(this)` if assigned.
  void Changed();
  /// Fires `OnResize(this)` if assigned.
  void Resized();
  /// Fires `OnSortExchange(this, ExchgWhat, Ix1, Ix2, Ix3, Ix4)` if assigned.
  void SortExchange(std::uint8_t ExchgWhat, std::int32_t Ix1, std::int32_t Ix2, std::int32_t Ix3,
                    std::int32_t Ix4);
  /// From a vector of the same class: copies the size, every element and the
  /// three event handlers; fires no event.  Other classes: the platform's
  /// default (`Source->AssignTo(this)`).  An allocation failure raises
  /// `EQMXVectorError` "not enough memory on heap" and changes nothing.
  void Assign(const TPersistent* Source) override;
  /// Makes this vector a copy of Source: `Resize` to its size, every element
  /// through `SetVal`, then `Changed`.  Handlers are not copied.  Nil: nothing.
  void Clone(const Derived* Source);

  /// Element Ix (1..NrOfElem); 0 outside.
  T GetVal(std::int32_t Ix) const {
    return (Ix >= 1 && Ix <= NrOfElem()) ? data_[static_cast<std::size_t>(Ix - 1)] : T{};
  }
  /// Stores Value at Ix and fires `OnChange`; ignored (no event) outside 1..NrOfElem.
  void SetVal(std::int32_t Ix, T Value);
  /// The elements in order, element 1 first.  Writes through the mutable
  /// view fire no event: call `Changed` afterwards.
  std::span<const T> Data() const { return data_; }
  std::span<T> Data() { return data_; }

  /// Validates a range.  (0, 0): LoIx := 1, HiIx := NrOfElem, result false.
  /// Otherwise bounds below 1 become 1 and bounds above NrOfElem become
  /// NrOfElem (result true if any bound was changed); then the two are put in
  /// order (an exchange alone does not make the result true).
  bool MakeValidElemRange(std::int32_t& LoIx, std::int32_t& HiIx) const;
  /// The content checksum of the elements: 8 hexadecimal digits per byte of
  /// an element (64 for doubles, 32 for integers).
  std::string CRCofData() const;

  // ---- filling and element-wise arithmetic (each fires OnChange once) ------

  /// Every element := Value.
  void Fill(T Value);
  /// Element 1 := FirstValue, each next one := previous + Increment (repeated addition).
  void FillSerial(T FirstValue, T Increment);
  /// Every element := 0.
  void Clear();
  /// Every element := its absolute value.
  void AbsVal();
  /// Every element := element * Factor.
  void SMult(T Factor);
  /// Element i += V[i].  Nil V: nothing.  Different sizes: `EQMXVectorError`
  /// "vectors have different dimensions", the vector is unchanged.
  void Add(const Derived* V);
  /// Element i -= V[i]; as `Add`.
  void Subtract(const Derived* V);
  /// Reverses the order of the elements (fires `OnChange` also for one element).
  void Mirror();
  /// Reseeds the platform's generator from the clock, then NrOfElem times
  /// exchanges two elements drawn uniformly from 1..NrOfElem.  No event.
  void ShuffleElems();
  /// Comb sort of the range (gap divided by 1.3 per pass, truncated, at least
  /// 1; passes end after a gap-1 pass without exchange).  Every exchange of
  /// elements i and i + gap calls `SortExchange(0, i, i + gap, 0, 0)`;
  /// `OnChange` fires once at the end.  A range of one element does nothing.
  /// Equal elements are never exchanged; NaN elements are never moved.
  void SortElems(bool Ascending, std::int32_t LoIx, std::int32_t HiIx);

  // ---- copying --------------------------------------------------------------

  /// Copies Source[SrcLo..SrcHi] (put in order) to DestIx, DestIx + 1, ...
  /// through `SetVal`; positions beyond NrOfElem are dropped (no resize);
  /// then `OnChange`.  (0, 0) is the whole source, and DestIx is then not
  /// checked (positions outside 1..NrOfElem are dropped).  Results: 0; -1 nil
  /// Source; -2 SrcLo or SrcHi outside 1..Source.NrOfElem; -3 DestIx outside
  /// 1..NrOfElem (wins over -2).  Copying a vector onto itself behaves as if
  /// the source range had been copied aside first.
  std::int32_t CopyFrom(const Derived* Source, std::int32_t SrcLo, std::int32_t SrcHi, std::int32_t DestIx);
  /// The same from a 0-based array: -1 empty array; (0, 0) = positions
  /// 0..size-1; -2 SrcLo or SrcHi outside 0..size-1; -3 DestIx outside 1..NrOfElem.
  std::int32_t CopyFrom(const TArray& Source, std::int32_t SrcLo, std::int32_t SrcHi, std::int32_t DestIx);
  /// Copies A[c][RowIx] for c = ColLo..ColHi (A indexed [column][row]) to
  /// elements DestIx + (c - ColLo) through `SetVal`, then `OnChange`.  RowIx is
  /// clamped to the rows of A[0], ColLo and ColHi to the columns of A and put
  /// in order.  Nothing happens unless some target position lies in
  /// 1..NrOfElem and DestIx <= NrOfElem, or when A or A[0] is empty.  Columns
  /// shorter than RowIx + 1 are skipped.
  void CopyFrom2DArrayRow(const T2DArray& A, std::int32_t RowIx, std::int32_t ColLo, std::int32_t ColHi,
                          std::int32_t DestIx);
  /// Copies A[ColIx][r] for r = RowLo..RowHi to elements DestIx + (r - RowLo);
  /// ColIx clamped to the columns, RowLo and RowHi to the rows of A[0]; rows
  /// missing in a shorter column A[ColIx] are skipped.  Otherwise as the row form.
  void CopyFrom2DArrayColumn(const T2DArray& A, std::int32_t ColIx, std::int32_t RowLo, std::int32_t RowHi,
                             std::int32_t DestIx);
  /// A := length (HiIx - LoIx + 1 + max(DestIx, 0)) of the range, keeping its
  /// first entries and zero-filling new ones; A[DestIx + k] := element LoIx + k.
  /// An allocation failure raises `EQMXVectorError` "not enough memory on heap".
  void CopyToArray(TArray& A, std::int32_t LoIx, std::int32_t HiIx, std::int32_t DestIx) const;
  /// Copies the range into A (not resized; ColIx and RowIx clamped to A and
  /// A[0]): IntoColumn: A[ColIx][RowIx + k]; else A[ColIx + k][RowIx].
  /// Elements that do not fit are skipped; an empty A takes nothing.
  void CopyToArray(T2DArray& A, std::int32_t LoIx, std::int32_t HiIx, std::int32_t ColIx, std::int32_t RowIx,
                   bool IntoColumn) const;

  // ---- statistics and measures (read-only, no events) ------------------------

  /// Smallest and largest element of the range and their indexes (first
  /// occurrence wins).  The search starts at the first element of the range
  /// that is not NaN; NaN elements are skipped.  A range of NaN only gives the
  /// start values (doubles 1.7e308 / -1.7e308, integers 2147483647 /
  /// -2147483647) with both indexes 0.
  void MinMax(std::int32_t LoIx, std::int32_t HiIx, T& MinVal, T& MaxVal, std::int32_t& MinIx,
              std::int32_t& MaxIx) const;
  void MinMax(std::int32_t LoIx, std::int32_t HiIx, T& MinVal, T& MaxVal) const;
  /// Sum of the range in 64-bit floats (four interleaved partial sums).
  double Sum(std::int32_t LoIx, std::int32_t HiIx) const;
  /// Mean and sample variance of the range (sum and sum of squares in
  /// 64-bit floats, four interleaved partial sums each).  The
  /// variance is 1.0 for fewer than three elements; a negative rounding
  /// result becomes 0.  Where a sum overflows or the squares underflow
  /// (elements beyond about 1e150 or below 1e-140), both are computed again
  /// in two passes in 80-bit precision.
  void MeanVar(std::int32_t LoIx, std::int32_t HiIx, double& Mean, double& Variance) const;
  /// exp(mean of ln x) of the range; 0 if an element is 0.  A negative element
  /// raises `EQMXVectorError` "negative argument passed to GeometricMean".
  double GeometricMean(std::int32_t LoIx, std::int32_t HiIx) const;
  /// n / Σ(1/x) of the range, the reciprocals summed in 80 bits (those of
  /// denormals overflow a double).  An element <= 0 raises `EQMXVectorError`
  /// "negative or zero argument passed to HarmonicMean".
  double HarmonicMean(std::int32_t LoIx, std::int32_t HiIx) const;
  /// The most frequent value of the range; among equally frequent values the
  /// smallest (all distinct: the minimum).  NaN elements are not counted; a
  /// range of NaN alone gives NaN.  Sorts a copy with `SortArray`, which
  /// counts its passes in `ProcStat`.
  T Mode(std::int32_t LoIx, std::int32_t HiIx) const;
  /// The Perc-th percentile (Perc clamped to 0..100) of the range by linear
  /// interpolation between closest ranks: with s the sorted range (0-based),
  /// pos = (n - 1)·Perc/100, result s[k] + f·(s[k+1] - s[k]) for k, f the
  /// integer and fractional parts of pos (exactly s[k] where s[k] = s[k+1],
  /// also for infinities; between the two where s[k+1] - s[k] overflows).  A
  /// NaN Perc gives NaN.  Ranges without NaN are searched by selection on a
  /// copy (linear time); with NaN the copy is sorted by `SortArray`, which
  /// leaves NaN values in place.  The copy's allocation failure raises
  /// `EQMXVectorError` "not enough memory on heap".
  double Percentile(double Perc, std::int32_t LoIx, std::int32_t HiIx) const;
  /// Quartiles of the range at positions (n + 1)·p, p = 0.25, 0.5, 0.75 of the
  /// sorted range x(1..n) (position below 1: x(1), at or above n: x(n),
  /// otherwise linear interpolation as in `Percentile`).  Returns true.
  bool Quartiles(std::int32_t LoIx, std::int32_t HiIx, double& Q1, double& Q2, double& Q3) const;
  /// Population skewness and excess kurtosis of the range (0 and 0 for four
  /// or fewer elements).
  void SkewKurt(std::int32_t LoIx, std::int32_t HiIx, double& Skewness, double& Kurtosis) const;
  /// Sample (bias-corrected) skewness and excess kurtosis of the range.
  void SkewKurtSample(std::int32_t LoIx, std::int32_t HiIx, double& Skewness, double& Kurtosis) const;
  /// The common core: NumData := number of elements of the range; for more
  /// than three elements Skewness := (S3/n)/s³, Kurtosis := (S4/n)/s⁴ - 3 with
  /// S3, S4 the sums of cubed and fourth powers of the deviations from the
  /// mean and s the sample standard deviation (mean, s, S3 and S4 in 80-bit
  /// precision, so that huge elements do not overflow).  When s = 0 the raw
  /// sums S3 and S4 are left in the outputs.
  void SkewKurtIntern(std::int32_t LoIx, std::int32_t HiIx, double& Skewness, double& Kurtosis,
                      std::int32_t& NumData) const;
  /// √(Σ element²) (four interleaved partial sums, as `Sum`; where the sum
  /// of squares overflows or underflows it is taken again in 80 bits, so
  /// the length is right whenever it fits a double).
  double CalcVecLeng() const;
  /// Σ element i · V[i] (four interleaved partial sums); 0 for nil V;
  /// different sizes raise `EQMXVectorError`
  /// "vectors have different dimensions".
  double DotProduct(const Derived* V) const;
  /// √(Σ (element i - V[i])²), with the 80-bit retry of `CalcVecLeng`.
  /// Different sizes (or a nil V) raise `EQMXVectorError` "EuclideanDistance:
  /// dimensions of vectors do not match".
  double EuclideanDistance(const Derived* V) const;
  /// Pearson's correlation coefficient with V; 0 unless both have the same
  /// size above 1 and neither has zero spread (also 0 for a nil V).  Sums in
  /// 64-bit floats, taken again in 80 bits where the squares overflow or
  /// underflow there.
  double PearsonCorrCoeff(const Derived* V) const;
  /// Σ element i · V[i - Lag] over the overlap; 0 for nil V or an overlap of
  /// at most one element.
  double Correlate(const Derived* V, std::int32_t Lag) const;
  /// True if the vector holds at most two different values (Val1 the first
  /// element, Val2 the other value or Val1); false (0, 0) for one element.
  bool IsDichotomous(T& Val1, T& Val2) const;
  /// Index of the element of the range nearest to Value (first on ties); 0 if
  /// no distance is below the largest double.  An element equal to Value is
  /// at distance 0 (also an infinity); NaN is at no distance.
  std::int32_t Find(std::int32_t LoIx, std::int32_t HiIx, T Value) const;
  /// First index of the range whose element equals Value; 0 if none.
  std::int32_t FindExact(std::int32_t LoIx, std::int32_t HiIx, T Value) const;
  /// Binary search of the whole vector, sorted in the given direction: the
  /// index of an element equal to Value, else of the nearer of the two
  /// enclosing elements (ties to the higher index).
  std::int32_t FindInSortedVector(bool Ascending, T Value) const;

  // ---- files and streams ----------------------------------------------------

  /// Reads an ASC text file of one column (see `ExportAsASC` of the derived
  /// classes): rows are stored through `SetVal` after `Resize(NRows)`; the
  /// words "NAN" and "###" store 0.  Comment receives header line 1.  Returns
  /// `kVecAscOk` or a `kVecAsc...` code, or the non-zero code of
  /// `ReadHeaderOfASC`.  When a row fails, the vector is cut to that row (the
  /// failing element keeps the value it had).  A header of 0 rows leaves the
  /// vector's size and elements as they were and returns 0.
  std::int32_t ImportASC(const std::string& FName, std::string& Comment);
  /// Reads the plain text format: line 1 "Lo Hi", then the values (white-space
  /// separated) into elements Lo..Hi through `SetVal`.  AdjustSize: `Resize(Hi)`
  /// first.  True if Hi <= NrOfElem (a value that cannot be read ends the
  /// reading silently); false if Hi > NrOfElem (nothing read).  `OnChange`
  /// fires after reading.  False and nothing else when the file cannot be
  /// opened or line 1 does not hold two 32-bit integers, and when AdjustSize
  /// would grow the vector to more elements than the file has bytes (a
  /// partial range is loaded into a larger vector by sizing it first).
  bool LoadFromFile(const std::string& FName, bool AdjustSize);

  /// Writes LoIx and HiIx (after `MakeValidElemRange`) and the elements
  /// LoIx..HiIx at the stream's position (doubles: 10-byte extended floats;
  /// integers: 4-byte integers, all little-endian).  A nil Stream is replaced
  /// by a new `TMemoryStream`, which the caller then owns and must delete.
  /// A short write raises `EInOutError` ("Stream write error").
  void SaveToStream(TMemoryStream*& Stream, std::int32_t LoIx, std::int32_t HiIx) const;
  /// The same on an open file stream; a nil stream writes nothing.
  void SaveToStream(TFileStream* Stream, std::int32_t LoIx, std::int32_t HiIx) const;
  /// Reads what `SaveToStream` wrote, from the stream's position.  False and
  /// nothing changed for a nil stream, an unreadable Lo or Hi (doubles: also
  /// a value that does not round into the 32-bit range), and when AdjustSize
  /// would grow the vector to more elements than the stream has values left.
  /// AdjustSize: `Resize(Hi)`.  If Hi <= NrOfElem the values are stored in
  /// elements Lo..Hi through `SetVal` and the result is true unless a value
  /// cannot be read (a truncated stream); if Hi > NrOfElem nothing is read and
  /// the result is false.  `OnChange` fires at the end in both cases.
  bool LoadFromStream(TMemoryStream* Stream, bool AdjustSize);
  bool LoadFromStream(TFileStream* Stream, bool AdjustSize);

 protected:
  /// A vector of one element of value 0.  An allocation failure raises
  /// `EQMXVectorError` "not enough memory on heap".
  explicit TVectorBase(TComponent* AOwner);
  /// Calls `Dest->Assign(this)` for a vector of the same class, else the default.
  void AssignTo(TPersistent* Dest) const override;

  /// Writes src to positions DestFirst, DestFirst + 1, ... as `SetVal` would
  /// (per-element `OnChange`, positions outside 1..NrOfElem dropped); no final event.
  void StoreRun(std::int64_t DestFirst, std::span<const T> Src);
  /// The validated range as 0-based [first, last] positions.
  void ValidRange(std::int32_t LoIx, std::int32_t HiIx, std::size_t& First, std::size_t& Count) const;
  /// A copy of the range; raises "not enough memory on heap" on failure.
  std::vector<T> RangeCopy(std::int32_t LoIx, std::int32_t HiIx) const;
  /// The ASC writer behind `ExportAsASC`: the header (default comment
  /// "Exported by QMX <ClassName> component: <FName>") and one line per
  /// element (doubles: `strff` width 12 with Decimals; integers: plain
  /// decimal).  0, or -1 if the file cannot be created; later write errors
  /// raise `EInOutError`.
  std::int32_t WriteASC(const std::string& FName, const std::string& Comment, std::int32_t Decimals) const;
  /// The plain text writer behind `StoreOnFile` (Decimals ignored for integers).
  bool WritePlain(std::int32_t LoIx, std::int32_t HiIx, std::int32_t Decimals, const std::string& FName) const;

  std::vector<T> data_;

 private:
  void SaveTo(TStream* Stream, std::int32_t LoIx, std::int32_t HiIx) const;
  bool LoadFrom(TStream* Stream, bool AdjustSize);
  template <bool Ascending>
  void CombSort(std::size_t First, std::size_t Last);
  template <bool Ascending>
  void CombSortReporting(std::int32_t LoIx, std::int32_t HiIx);
};

}  // namespace detail
}  // namespace qmx
