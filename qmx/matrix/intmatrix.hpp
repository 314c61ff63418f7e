#pragma once
/// \file
/// `TIntMatrix`: the two-dimensional container of 32-bit signed integers,
/// the integer twin of `TMatrix`, with a sparse mode that stores only a
/// sorted list of (column, row, value) entries.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"
#include "qmx/matrix/matrix_detail.hpp"
#include "qmx/matrix/matrix_formats.hpp"

namespace qmx {

class TIntVector;

/// One entry of the sparse form (12 bytes).
struct TSpMatElemInt {
  std::int32_t Column = 0;
  std::int32_t Row = 0;
  std::int32_t Value = 0;
};

/// A matrix of 32-bit integers, NrOfColumns x NrOfRows, addressed (column,
/// row) from (1, 1).  The operations shared with `TMatrix` are documented in
/// `detail::TMatrixBase`; their statistics return doubles, `MinMax` returns
/// elements, `Sum` and `Trace` 64-bit integers.  Integer arithmetic (fills,
/// products, sums of products) wraps modulo 2^32.  The text readers take
/// integers only.
///
/// Dense mode (the default) holds every element.  Sparse mode holds the
/// entries sorted by column, then row, at most one per position, and their
/// bounding box; NrOfColumns and NrOfRows keep the values they had and do
/// not bound the entries.  In sparse mode:
/// - `GetVal`, `SetVal`, `Elem`, `CRCofData` (32 zeros: no dense storage),
///   `Assign`, `StoreSparseMat` and the entry accessors work on the entries;
/// - the operations that give the matrix a new shape or new contents as a
///   whole (`Resize`, `SetNCols`, `SetNRows`, `ResizeAndClear`,
///   `RemoveColumn`, `RemoveRow`, `Clone`, `Diff`, `ResampleExtMat`,
///   `Transpose` and the readers of binary, stream, text, ASC and XML files)
///   first convert it to dense mode by `SparseToArray`;
/// - `ProcessXmlTag` stores cells as entries (no resize);
/// - the writers write the dense form that `SparseToArray` would give;
/// - every other operation sees a matrix without element storage (reads
///   give 0, writes, fills and sorts do nothing, statistics give their
///   values for no storage, products return false).
class TIntMatrix : public detail::TMatrixBase<std::int32_t, TIntMatrix> {
  using Base = detail::TMatrixBase<std::int32_t, TIntMatrix>;
  friend Base;

 public:
  /// Reports the progress of long operations in percent.
  TOnPercentDoneEvent OnPercentDone;

  /// A dense 1 x 1 matrix holding 0.
  explicit TIntMatrix(TComponent* AOwner = nullptr);
  /// A sparse matrix without entries (nominally 1 x 1) whose capacity grows
  /// by Increment entries (at least 1).
  TIntMatrix(TComponent* AOwner, std::int32_t Increment);
  std::string_view ClassName() const override;

  /// Fires `OnPercentDone(this, Percent)` if assigned (Sender is not passed on).
  void PercDone(TObject* Sender, std::int32_t Percent);

  // ---- element access ---------------------------------------------------------

  /// Element (Col, Row).  Dense: 0 outside the matrix.  Sparse: the value of
  /// the entry at that position, 0 where there is none.
  std::int32_t GetVal(std::int32_t Col, std::int32_t Row) const;
  /// The same as `GetVal` (the element property).
  std::int32_t Elem(std::int32_t Col, std::int32_t Row) const { return GetVal(Col, Row); }
  /// Dense: stores Value and fires `OnChange` (ignored outside the matrix).
  /// Sparse: ignored for Col < 1 or Row < 1; otherwise overwrites the entry
  /// at that position or inserts a new one in order (also for a value of 0),
  /// widens the bounding box and fires `OnChange`.
  void SetVal(std::int32_t Col, std::int32_t Row, std::int32_t Value);
  /// The checksum of the dense elements (32 hexadecimal digits); in sparse
  /// mode, without dense storage, that of no elements: 32 zeros.
  std::string CRCofData() const;

  // ---- sparse mode ------------------------------------------------------------

  /// True in sparse mode.
  bool SparseMode() const { return sparse_; }
  /// Switches to sparse mode (nothing if already sparse): an entry for every
  /// non-zero element in column-major order, capacity grown by Increment (at
  /// least 1); the dense storage is released, NrOfColumns and NrOfRows keep
  /// their values, `OnResize` fires.
  void ArrayToSparse(std::int32_t Increment);
  /// Switches to dense mode (nothing if already dense): NrOfColumns and
  /// NrOfRows become the highest column and row of the bounding box (1 x 1
  /// without entries), the entries are copied into zeroed dense storage and
  /// released, `OnResize` fires.  An allocation failure raises
  /// `EQMXMatrixError` "not enough memory on heap" and leaves the matrix sparse.
  void SparseToArray();
  /// The number of entries (0 in dense mode).
  std::int32_t NrOfSparseElems() const { return static_cast<std::int32_t>(entries_.size()); }
  /// Entry Ix (1-based); all zeros outside 1..`NrOfSparseElems`.
  TSpMatElemInt SparseElem(std::int32_t Ix) const;
  /// The capacity of the entry list and its increment.
  std::int32_t SparseCapacity() const { return capacity_; }
  std::int32_t SparseIncrement() const { return increment_; }
  /// The bounding box of the entries; without entries LoCol = LoRow =
  /// 2147483647 and HiCol = HiRow = 1.
  void SparseBounds(std::int32_t& LoCol, std::int32_t& HiCol, std::int32_t& LoRow, std::int32_t& HiRow) const;
  /// Writes the entry list (in dense mode: that of the non-zero elements) as
  /// a binary file: the signature "QMXSPINT", then little-endian 32-bit
  /// integers: version 1, NrOfColumns, NrOfRows, the capacity increment, the
  /// number N of entries, and N x (column, row, value) in order.  False if
  /// the file cannot be created; write errors raise `EInOutError`
  /// "TIntMatrix.StoreSparseMat: cannot write file ...".
  bool StoreSparseMat(const std::string& FName) const;
  /// The same at a stream's position; false for a nil stream.  Short writes
  /// raise `EInOutError`.
  bool StoreSparseMat(TStream* Stream) const;
  /// Reads what `StoreSparseMat` wrote and switches to sparse mode with those
  /// entries and dimensions (`OnChange`, then `OnResize`).  False, with the
  /// matrix unchanged, when the file cannot be opened, is shorter or longer
  /// than its header announces, has another signature or version, a count
  /// below 1 (dimensions, increment) or below 0 (entries), or an entry with a
  /// column or row below 1 or out of order.
  bool LoadSparseMat(const std::string& FName);
  /// The same from a stream's position (the data must reach exactly to the
  /// stream's end); the position ends there on success and is restored on
  /// failure.  False for a nil stream.
  bool LoadSparseMat(TStream* Stream);

  // ---- shape (in sparse mode these first convert to dense mode) --------------

  void SetNCols(std::int32_t NCols);
  void SetNRows(std::int32_t NRows);
  bool Resize(std::int32_t NCols, std::int32_t NRows);
  bool ResizeAndClear(std::int32_t NCols, std::int32_t NRows);
  bool RemoveColumn(std::int32_t Ix);
  bool RemoveRow(std::int32_t Ix);
  void Clone(const TIntMatrix* Source);
  std::int32_t Diff(std::int32_t Order, TApplyColRow Apply);
  std::int32_t ResampleExtMat(const TIntMatrix* Source, double ColPerc, double RowPerc, bool Repetitions,
                              TIntArray& ColIx, TIntArray& RowIx);
  /// As `TMatrixBase::ProcessXmlTag` with integer cells; in sparse mode a
  /// "cell" clears the cell-pending flag and stores an entry without resizing.
  std::int32_t ProcessXmlTag(TMatXmlTag Tag, const std::string& Attributes, const std::string& Content);

  // ---- counting ---------------------------------------------------------------

  /// The number of elements x of the region (range form) with (x and Mask)
  /// = 0; Mask 0 counts every element.  0 without storage.
  std::int32_t CountMaskedZeros(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow, std::int32_t HiRow,
                                std::int32_t Mask) const;

  // ---- arithmetic (modulo 2^32) -------------------------------------------------
  // The products form their result aside and write it through the result's
  // element setter (one `OnChange` per element; all at once without a
  // handler).  False, with nothing changed, for a nil argument, dimensions
  // that do not fit, or a matrix in sparse mode.

  /// R := this · B; then `OnChange` of this matrix.
  bool Multiply(const TIntMatrix* B, TIntMatrix* R);
  /// W := this · V; then `OnChange` of this matrix.
  bool Multiply(const TIntVector* V, TIntVector* W);
  /// R := this · Bᵀ; then `OnChange` of this matrix.
  bool MultiplyTransposed(const TIntMatrix* B, TIntMatrix* R);
  /// R := thisᵀ · B.
  bool TransposeAndMultiply(const TIntMatrix* B, TIntMatrix* R);
  /// W := thisᵀ · V.
  bool TransposeAndMultiply(const TIntVector* V, TIntVector* W);
  /// R := this ∘ B element by element; then `OnChange` of this matrix.
  bool EMult(const TIntMatrix* B, TIntMatrix* R);
  /// this := this + B (equal dimensions); fires `OnChange`.
  bool Add(const TIntMatrix* B);
  /// this := this - B (equal dimensions); fires `OnChange`.
  bool Subtract(const TIntMatrix* B);
  /// Every element multiplied by S; fires `OnChange` (nothing in sparse mode).
  void SMult(std::int32_t S);
  /// Every element increased by S; fires `OnChange` (nothing in sparse mode).
  void SAdd(std::int32_t S);
  /// Transposes in place and fires `OnChange` and `OnResize`.
  void Transpose();

  // ---- files (in sparse mode: readers convert to dense mode first, writers
  // write the dense form) ----------------------------------------------------------

  bool LoadFromFile(const std::string& FName, bool AdjustSize);
  bool LoadFromFile(TTextFile& InFile, bool AdjustSize);
  bool LoadBinary(const std::string& FName);
  bool LoadFromStream(TMemoryStream* Stream);
  bool LoadFromStream(TFileStream* Stream);
  std::int32_t ImportASC(const std::string& FName, std::string& Comment);
  std::int32_t ImportASC(const std::string& FName, std::string& Comment, TStrArray& ColNames,
                         TStrArray& RowNames);
  bool ReadFromOpenXMLFile(TTextFile& InFile);
  bool ReadFromXMLStream(TStream* InStream);
  bool LoadFromXMLFile(const std::string& FName);

  std::int32_t ExportAsASC(const std::string& FName, const std::string& Comment) const;
  std::int32_t ExportAsASC(const std::string& FName, const std::string& Comment, const TStrArray& ColNames,
                           const TStrArray& RowNames) const;
  bool StoreOnFile(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                   const std::string& FName) const;
  void StoreOnFile(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                   TTextFile& OutFile) const;
  bool SaveBinary(const std::string& FName, const std::string& Comment) const;
  void SaveToStream(TMemoryStream*& Stream) const;
  void SaveToStream(TFileStream* Stream) const;
  void WriteToOpenXMLFile(TTextFile& OutFile, bool CreateHeader) const;
  void WriteToXMLStream(TStream* OutStream, bool CreateHeader) const;
  bool SaveAsXMLFile(const std::string& FName) const;

 private:
  /// Copies the settings, handlers and sparse state that the base does not hold.
  void AssignDerived(const TIntMatrix& Source);
  /// Converts to dense mode if sparse (the shape and whole-content operations).
  void MakeDense() {
    if (sparse_) {
      SparseToArray();
    }
  }
  /// A dense copy of this sparse matrix for the writers.
  std::unique_ptr<TIntMatrix> DenseCopy() const;
  /// Index (0-based) of the first entry at or after (Col, Row) in entry order.
  std::size_t LowerEntry(std::int32_t Col, std::int32_t Row) const;
  /// Empties the entry list and the bounding box.
  void ClearEntries();
  /// Widens the bounding box by (Col, Row).
  void Widen(std::int32_t Col, std::int32_t Row);
  /// Grows the nominal capacity by the increment until it holds Count entries.
  void GrowCapacity(std::size_t Count);

  bool sparse_ = false;
  std::int32_t capacity_ = 0;
  std::int32_t increment_ = 1;
  std::int32_t loCol_ = 2147483647;
  std::int32_t hiCol_ = 1;
  std::int32_t loRow_ = 2147483647;
  std::int32_t hiRow_ = 1;
  std::vector<TSpMatElemInt> entries_;
};

extern template class detail::TMatrixBase<std::int32_t, TIntMatrix>;

}  // namespace qmx
