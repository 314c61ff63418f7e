#pragma once
// Member definitions of the shared matrix template: life cycle, shape and
// events, element access, ranges, checksum, copies, fills, searches,
// sorting, mirroring and resampling.  Included only by matrix_base.cpp (and
// by the source that instantiates the template for another element type).

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numeric>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"
#include "qmx/matrix/matrix_detail.hpp"
#include "qmx/openarrays/arraycopy.hpp"
#include "qmx/vector/intvector.hpp"
#include "qmx/vector/vector.hpp"

namespace qmx::detail {

namespace matimpl {

/// Integer arithmetic wraps modulo 2^32; doubles use their own arithmetic.
template <class T>
T WrapAdd(T a, T b) {
  if constexpr (std::is_integral_v<T>) {
    return static_cast<T>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
  } else {
    return a + b;
  }
}
template <class T>
T WrapSub(T a, T b) {
  if constexpr (std::is_integral_v<T>) {
    return static_cast<T>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
  } else {
    return a - b;
  }
}

/// Converts between the element types of matrices and arrays: doubles to
/// integers by rounding half to even (limited to the 32-bit range, NaN as 0).
template <class To, class From>
To Convert(From v) {
  if constexpr (std::is_same_v<To, From>) {
    return v;
  } else if constexpr (std::is_integral_v<To>) {
    return RoundHalfEvenToInt32(static_cast<double>(v));
  } else {
    return static_cast<To>(v);
  }
}

/// Distance |x - v| as a double: 0 for equal values (also equal
/// infinities), NaN when either is NaN.
template <class T>
double Distance(T x, T v) {
  const auto a = static_cast<double>(x);
  const auto b = static_cast<double>(v);
  return a == b ? 0.0 : std::fabs(a - b);
}

/// Count distinct uniform draws from Lo..Hi (a partial Fisher-Yates shuffle),
/// or independent draws with Repetitions, by the platform's generator.
inline void DrawIndexes(TIntArray& Out, std::int32_t Lo, std::int32_t Hi, bool Repetitions) {
  const std::int32_t range = Hi - Lo + 1;
  if (Repetitions) {
    for (auto& v : Out) {
      v = Lo + Random(range);
    }
    return;
  }
  std::vector<std::int32_t> pool(static_cast<std::size_t>(range));
  std::iota(pool.begin(), pool.end(), Lo);
  for (std::size_t k = 0; k < Out.size(); ++k) {
    const auto j = k + static_cast<std::size_t>(Random(static_cast<std::int32_t>(pool.size() - k)));
    std::swap(pool[k], pool[j]);
    Out[k] = pool[k];
  }
}

}  // namespace matimpl

// ---------------------------------------------------------------------------
// Life cycle, shape and events
// ---------------------------------------------------------------------------

template <class T, class D>
TMatrixBase<T, D>::TMatrixBase(TComponent* AOwner) : TComponent(AOwner) {
  try {
    data_.assign(1, T{});
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
}

template <class T, class D>
TMatrixBase<T, D>::~TMatrixBase() = default;

template <class T, class D>
void TMatrixBase<T, D>::SetNCols(std::int32_t NCols) {
  Resize(std::max(NCols, 0), nrows_);
}

template <class T, class D>
void TMatrixBase<T, D>::SetNRows(std::int32_t NRows) {
  Resize(ncols_, std::max(NRows, 0));
}

template <class T, class D>
bool TMatrixBase<T, D>::Resize(std::int32_t NCols, std::int32_t NRows) {
  if (NCols < 1 || NRows < 1) {
    return false;
  }
  if (NCols == ncols_ && NRows == nrows_) {
    return false;
  }
  const std::int64_t count = std::int64_t{NCols} * NRows;
  try {
    if (count > static_cast<std::int64_t>(data_.max_size())) {
      throw std::bad_alloc();
    }
    const auto n = static_cast<std::size_t>(count);
    if (NRows == nrows_ && !data_.empty()) {
      data_.resize(n);  // column-major: the kept columns stay in place
    } else {
      std::vector<T> fresh(n);
      if (!data_.empty()) {
        const auto keepRows = static_cast<std::size_t>(std::min(NRows, nrows_));
        const std::int32_t keepCols = std::min(NCols, ncols_);
        for (std::int32_t c = 0; c < keepCols; ++c) {
          std::copy_n(data_.data() + static_cast<std::size_t>(c) * nrows_, keepRows,
                      fresh.data() + static_cast<std::size_t>(c) * NRows);
        }
      }
      data_.swap(fresh);
    }
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  } catch (const std::length_error&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  ncols_ = NCols;
  nrows_ = NRows;
  Changed();
  Resized();
  return true;
}

template <class T, class D>
bool TMatrixBase<T, D>::ResizeAndClear(std::int32_t NCols, std::int32_t NRows) {
  const bool result = Resize(NCols, NRows);
  if (result) {
    std::fill(data_.begin(), data_.end(), T{});
    Changed();
    Resized();
  }
  return result;
}

template <class T, class D>
bool TMatrixBase<T, D>::MakeValidColRange(std::int32_t& Lo, std::int32_t& Hi) const {
  if (Lo == 0 && Hi == 0) {
    Lo = 1;
    Hi = ncols_;
    return false;
  }
  const std::int32_t lo = std::clamp(Lo, 1, ncols_);
  const std::int32_t hi = std::clamp(Hi, 1, ncols_);
  const bool changed = lo != Lo || hi != Hi;
  Lo = std::min(lo, hi);
  Hi = std::max(lo, hi);
  return changed;
}

template <class T, class D>
bool TMatrixBase<T, D>::MakeValidRowRange(std::int32_t& Lo, std::int32_t& Hi) const {
  if (Lo == 0 && Hi == 0) {
    Lo = 1;
    Hi = nrows_;
    return false;
  }
  const std::int32_t lo = std::clamp(Lo, 1, nrows_);
  const std::int32_t hi = std::clamp(Hi, 1, nrows_);
  const bool changed = lo != Lo || hi != Hi;
  Lo = std::min(lo, hi);
  Hi = std::max(lo, hi);
  return changed;
}

template <class T, class D>
TMatRegion TMatrixBase<T, D>::CornerRegion(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol,
                                           std::int32_t HiRow) const {
  MakeValidColRange(LoCol, HiCol);
  MakeValidRowRange(LoRow, HiRow);
  return TMatRegion{LoCol, HiCol, LoRow, HiRow};
}

template <class T, class D>
TMatRegion TMatrixBase<T, D>::RangeRegion(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow,
                                          std::int32_t HiRow) const {
  return CornerRegion(LoCol, LoRow, HiCol, HiRow);
}

template <class T, class D>
template <class U>
std::vector<U> TMatrixBase<T, D>::RegionCopy(const TMatRegion& R) const {
  std::vector<U> out;
  if (data_.empty()) {
    return out;
  }
  try {
    out.resize(static_cast<std::size_t>(R.Count()));
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  const auto rows = static_cast<std::size_t>(R.Rows());
  U* dst = out.data();
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c, dst += rows) {
    std::copy_n(ColumnPtr(c) + (R.LoRow - 1), rows, dst);
  }
  return out;
}

template <class T, class D>
void TMatrixBase<T, D>::Changed() {
  if (OnChange) {
    OnChange(this);
  }
}

template <class T, class D>
void TMatrixBase<T, D>::Resized() {
  if (OnResize) {
    OnResize(this);
  }
}

template <class T, class D>
void TMatrixBase<T, D>::SortExchange(std::uint8_t Kind, std::int32_t Ix1, std::int32_t Ix2, std::int32_t First,
                                     std::int32_t Last) {
  if (OnSortExchange) {
    OnSortExchange(this, Kind, Ix1, Ix2, First, Last);
  }
}

template <class T, class D>
void TMatrixBase<T, D>::SetVal(std::int32_t Col, std::int32_t Row, T Value) {
  if (!Inside(Col, Row)) {
    return;
  }
  data_[Pos(Col, Row)] = Value;
  Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::StoreCell(std::int64_t Col, std::int64_t Row, T v) {
  if (Col < 1 || Col > ncols_ || Row < 1 || Row > nrows_ || data_.empty()) {
    return;
  }
  data_[Pos(static_cast<std::int32_t>(Col), static_cast<std::int32_t>(Row))] = v;
  Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::AdoptStorage(std::vector<T>&& Data, std::int32_t NCols, std::int32_t NRows) {
  data_ = std::move(Data);
  ncols_ = NCols;
  nrows_ = NRows;
}

template <class T, class D>
void TMatrixBase<T, D>::LoadWhole(std::vector<T>&& Values, std::int32_t NCols, std::int32_t NRows) {
  const bool resized = NCols != ncols_ || NRows != nrows_;
  AdoptStorage(std::move(Values), NCols, NRows);
  if (resized) {
    Changed();
    Resized();
  }
  Changed();
}

template <class T, class D>
std::string TMatrixBase<T, D>::CRCofData() const {
  return ContentCRC(std::span<const T>(data_));
}

template <class T, class D>
bool TMatrixBase<T, D>::RemoveColumn(std::int32_t Ix) {
  if (Ix < 1 || Ix > ncols_ || ncols_ < 2) {
    return false;
  }
  if (!data_.empty() && Ix < ncols_) {
    std::copy(data_.begin() + static_cast<std::ptrdiff_t>(Pos(Ix + 1, 1)), data_.end(),
              data_.begin() + static_cast<std::ptrdiff_t>(Pos(Ix, 1)));
  }
  Resize(ncols_ - 1, nrows_);
  return true;
}

template <class T, class D>
bool TMatrixBase<T, D>::RemoveRow(std::int32_t Ix) {
  if (Ix < 1 || Ix > nrows_ || nrows_ < 2) {
    return false;
  }
  if (!data_.empty()) {
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      T* col = ColumnPtr(c);
      std::copy(col + Ix, col + nrows_, col + (Ix - 1));
    }
  }
  Resize(ncols_, nrows_ - 1);
  return true;
}

template <class T, class D>
void TMatrixBase<T, D>::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const D*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  if (static_cast<const TPersistent*>(src) == static_cast<const TPersistent*>(this)) {
    return;
  }
  const TMatrixBase& s = *src;
  try {
    std::vector<T> copy(s.data_);
    data_.swap(copy);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  ncols_ = s.ncols_;
  nrows_ = s.nrows_;
  dataID_ = s.dataID_;
  OnChange = s.OnChange;
  OnResize = s.OnResize;
  OnSortExchange = s.OnSortExchange;
  static_cast<D*>(this)->AssignDerived(*src);
}

template <class T, class D>
void TMatrixBase<T, D>::AssignTo(TPersistent* Dest) const {
  if (auto* dest = dynamic_cast<D*>(Dest)) {
    dest->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

template <class T, class D>
void TMatrixBase<T, D>::Clone(const D* Source) {
  if (Source == nullptr) {
    return;
  }
  const TMatrixBase& s = *Source;
  std::vector<T> values;  // the source may be this matrix, or change under a handler
  try {
    values = s.data_;
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  const std::int32_t nc = s.ncols_;
  const std::int32_t nr = s.nrows_;
  Resize(nc, nr);
  if (!values.empty()) {
    if (!OnChange && ncols_ == nc && nrows_ == nr && data_.size() == values.size()) {
      data_.swap(values);
    } else {
      for (std::int32_t c = 1; c <= nc; ++c) {
        for (std::int32_t r = 1; r <= nr; ++r) {
          StoreCell(c, r, values[static_cast<std::size_t>(c - 1) * nr + (r - 1)]);
        }
      }
    }
  }
  Changed();
  Resized();
}

// ---------------------------------------------------------------------------
// Copies
// ---------------------------------------------------------------------------

template <class T, class D>
void TMatrixBase<T, D>::CopyFrom(const D* Source, std::int32_t SrcLoCol, std::int32_t SrcLoRow,
                                 std::int32_t SrcHiCol, std::int32_t SrcHiRow, std::int32_t DestCol,
                                 std::int32_t DestRow) {
  if (Source == nullptr) {
    return;
  }
  const TMatrixBase& s = *Source;
  const TMatRegion R = s.CornerRegion(SrcLoCol, SrcLoRow, SrcHiCol, SrcHiRow);
  const std::int64_t dc = std::int64_t{DestCol} - R.LoCol;
  const std::int64_t dr = std::int64_t{DestRow} - R.LoRow;
  if (!s.data_.empty()) {
    if (!OnChange && &s != this && !data_.empty()) {
      // Direct copy of the part of the region that lands inside this matrix.
      const std::int64_t c0 = std::max<std::int64_t>(R.LoCol, 1 - dc);
      const std::int64_t c1 = std::min<std::int64_t>(R.HiCol, ncols_ - dc);
      const std::int64_t r0 = std::max<std::int64_t>(R.LoRow, 1 - dr);
      const std::int64_t r1 = std::min<std::int64_t>(R.HiRow, nrows_ - dr);
      if (c0 <= c1 && r0 <= r1) {
        const auto n = static_cast<std::size_t>(r1 - r0 + 1);
        for (std::int64_t c = c0; c <= c1; ++c) {
          std::copy_n(s.data_.data() + s.Pos(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r0)), n,
                      data_.data() + Pos(static_cast<std::int32_t>(c + dc), static_cast<std::int32_t>(r0 + dr)));
        }
      }
    } else {
      const std::vector<T> values = s.RegionCopy(R);
      std::size_t k = 0;
      for (std::int64_t c = R.LoCol; c <= R.HiCol; ++c) {
        for (std::int64_t r = R.LoRow; r <= R.HiRow; ++r, ++k) {
          StoreCell(c + dc, r + dr, values[k]);
        }
      }
    }
  }
  Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::CopyFromVec(TDims Dims, const TVec* Vec, std::int32_t LoElem, std::int32_t HiElem,
                                    std::int32_t DestCol, std::int32_t DestRow) {
  if (Vec == nullptr || (Dims != TDims::dimColumns && Dims != TDims::dimRows)) {
    return;
  }
  Vec->MakeValidElemRange(LoElem, HiElem);
  for (std::int32_t k = LoElem; k <= HiElem; ++k) {
    const T v = Vec->GetVal(k);  // re-read: a handler may change the vector
    const std::int64_t off = std::int64_t{k} - LoElem;
    if (Dims == TDims::dimColumns) {
      StoreCell(DestCol + off, DestRow, v);
    } else {
      StoreCell(DestCol, DestRow + off, v);
    }
  }
  Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::CopyFromVec(const TVec* Vec, std::int32_t LoElem, std::int32_t HiElem, std::int32_t DestCol,
                                    std::int32_t DestRow, bool Vertical) {
  CopyFromVec(Vertical ? TDims::dimRows : TDims::dimColumns, Vec, LoElem, HiElem, DestCol, DestRow);
}

template <class T, class D>
void TMatrixBase<T, D>::CopyRowToVec(TVec* Vec, std::int32_t Row, std::int32_t LoCol, std::int32_t HiCol) const {
  if (Vec == nullptr) {
    return;
  }
  MakeValidColRange(LoCol, HiCol);
  Row = std::clamp(Row, 1, nrows_);
  const std::span<T> v = Vec->Data();
  std::fill(v.begin(), v.end(), T{});
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(HiCol - LoCol + 1), v.size());
  for (std::size_t k = 0; k < n; ++k) {
    v[k] = GetVal(LoCol + static_cast<std::int32_t>(k), Row);
  }
  Vec->Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::CopyRowToVec(TVec* Vec, std::int32_t Row) const {
  if (Vec == nullptr) {
    return;
  }
  Vec->Resize(ncols_);
  CopyRowToVec(Vec, Row, 0, 0);
}

template <class T, class D>
void TMatrixBase<T, D>::CopyColToVec(TVec* Vec, std::int32_t Col, std::int32_t LoRow, std::int32_t HiRow) const {
  if (Vec == nullptr) {
    return;
  }
  MakeValidRowRange(LoRow, HiRow);
  Col = std::clamp(Col, 1, ncols_);
  const std::span<T> v = Vec->Data();
  std::fill(v.begin(), v.end(), T{});
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(HiRow - LoRow + 1), v.size());
  if (!data_.empty()) {
    std::copy_n(ColumnPtr(Col) + (LoRow - 1), n, v.begin());
  }
  Vec->Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::CopyColToVec(TVec* Vec, std::int32_t Col) const {
  if (Vec == nullptr) {
    return;
  }
  Vec->Resize(nrows_);
  CopyColToVec(Vec, Col, 0, 0);
}

template <class T, class D>
void TMatrixBase<T, D>::CopyColTo1DArray(TArray& A, std::int32_t Col, std::int32_t LoRow, std::int32_t HiRow,
                                         std::int32_t StartIx) const {
  if (A.empty()) {
    return;
  }
  MakeValidRowRange(LoRow, HiRow);
  Col = std::clamp(Col, 1, ncols_);
  const auto size = static_cast<std::int64_t>(A.size());
  const std::int64_t n = std::int64_t{HiRow} - LoRow + 1;
  if (StartIx >= size || StartIx + n <= 0) {
    return;
  }
  std::fill(A.begin(), A.end(), T{});
  for (std::int64_t k = std::max<std::int64_t>(0, -std::int64_t{StartIx}); k < n && StartIx + k < size; ++k) {
    A[static_cast<std::size_t>(StartIx + k)] = GetVal(Col, LoRow + static_cast<std::int32_t>(k));
  }
}

template <class T, class D>
void TMatrixBase<T, D>::CopyRowTo1DArray(TArray& A, std::int32_t Row, std::int32_t LoCol, std::int32_t HiCol,
                                         std::int32_t StartIx) const {
  if (A.empty()) {
    return;
  }
  MakeValidColRange(LoCol, HiCol);
  Row = std::clamp(Row, 1, nrows_);
  const auto size = static_cast<std::int64_t>(A.size());
  const std::int64_t n = std::int64_t{HiCol} - LoCol + 1;
  if (StartIx >= size || StartIx + n <= 0) {
    return;
  }
  std::fill(A.begin(), A.end(), T{});
  for (std::int64_t k = std::max<std::int64_t>(0, -std::int64_t{StartIx}); k < n && StartIx + k < size; ++k) {
    A[static_cast<std::size_t>(StartIx + k)] = GetVal(LoCol + static_cast<std::int32_t>(k), Row);
  }
}

namespace matimpl {

/// The body of both `CopyToArray` overloads.
template <class T, class U, class M>
std::int32_t CopyRegionToArray(const M& m, std::span<const T> data, std::vector<std::vector<U>>& A,
                               std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                               std::int32_t DestCol, std::int32_t DestRow) {
  if (A.empty() || A[0].empty() || data.empty()) {
    return -1;
  }
  if (m.MakeValidColRange(LoCol, HiCol)) {
    return -2;
  }
  if (m.MakeValidRowRange(LoRow, HiRow)) {
    return -3;
  }
  if (DestCol < 0 || static_cast<std::size_t>(DestCol) >= A.size() || DestRow < 0 ||
      static_cast<std::size_t>(DestRow) >= A[static_cast<std::size_t>(DestCol)].size()) {
    return -4;
  }
  const auto rows = static_cast<std::size_t>(m.NrOfRows());
  for (std::int32_t c = LoCol; c <= HiCol; ++c) {
    const std::size_t ac = static_cast<std::size_t>(DestCol) + static_cast<std::size_t>(c - LoCol);
    if (ac >= A.size()) {
      break;
    }
    std::vector<U>& col = A[ac];
    const T* src = data.data() + static_cast<std::size_t>(c - 1) * rows;
    for (std::int32_t r = LoRow; r <= HiRow; ++r) {
      const std::size_t ar = static_cast<std::size_t>(DestRow) + static_cast<std::size_t>(r - LoRow);
      if (ar >= col.size()) {
        break;
      }
      col[ar] = Convert<U>(src[r - 1]);
    }
  }
  return 0;
}

}  // namespace matimpl

template <class T, class D>
std::int32_t TMatrixBase<T, D>::CopyToArray(TDouble2DArray& A, std::int32_t LoCol, std::int32_t LoRow,
                                            std::int32_t HiCol, std::int32_t HiRow, std::int32_t DestCol,
                                            std::int32_t DestRow) const {
  return matimpl::CopyRegionToArray<T>(*this, std::span<const T>(data_), A, LoCol, LoRow, HiCol, HiRow, DestCol,
                                       DestRow);
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::CopyToArray(TInt2DArray& A, std::int32_t LoCol, std::int32_t LoRow,
                                            std::int32_t HiCol, std::int32_t HiRow, std::int32_t DestCol,
                                            std::int32_t DestRow) const {
  return matimpl::CopyRegionToArray<T>(*this, std::span<const T>(data_), A, LoCol, LoRow, HiCol, HiRow, DestCol,
                                       DestRow);
}

namespace matimpl {

/// The body of the one-dimensional `CopyFromArray` overloads.
template <class T, class U, class M, class Store>
std::int32_t CopyArrayToMatrix(M& m, Store store, const std::vector<U>& A, std::int32_t LoIx, std::int32_t HiIx,
                               std::int32_t DestCol, std::int32_t DestRow, bool Vertical) {
  if (A.empty()) {
    return -1;
  }
  const auto last = static_cast<std::int64_t>(A.size()) - 1;
  if (LoIx == 0 && HiIx == 0) {
    HiIx = static_cast<std::int32_t>(std::min<std::int64_t>(last, std::numeric_limits<std::int32_t>::max()));
  }
  if (LoIx < 0 || LoIx > last || HiIx < 0 || HiIx > last) {
    return -4;
  }
  if (DestCol < 1 || DestCol > m.NrOfColumns() || DestRow < 1 || DestRow > m.NrOfRows() || !m.HasStorage()) {
    return -5;
  }
  if (LoIx > HiIx) {
    std::swap(LoIx, HiIx);
  }
  for (std::int64_t i = LoIx; i <= HiIx && i <= static_cast<std::int64_t>(A.size()) - 1; ++i) {
    const T v = Convert<T>(A[static_cast<std::size_t>(i)]);
    if (Vertical) {
      store(DestCol, DestRow + i, v);
    } else {
      store(DestCol + i, DestRow, v);
    }
  }
  m.Changed();
  return 0;
}

/// The body of the two-dimensional `CopyFromArray` overloads.
template <class T, class U, class M, class Store>
std::int32_t CopyArray2DToMatrix(M& m, Store store, const std::vector<std::vector<U>>& A, std::int32_t Lo1, std::int32_t Hi1,
                                 std::int32_t Lo2, std::int32_t Hi2, std::int32_t DestCol, std::int32_t DestRow) {
  if (A.empty() || A[0].empty()) {
    return -1;
  }
  const auto last1 = static_cast<std::int64_t>(A.size()) - 1;
  std::int64_t lo1 = Lo1;
  std::int64_t hi1 = Hi1;
  if (lo1 == 0 && hi1 == 0) {
    hi1 = last1;
  }
  if (lo1 < 0 || lo1 > last1 || hi1 < 0 || hi1 > last1) {
    return -2;
  }
  if (lo1 > hi1) {
    std::swap(lo1, hi1);
  }
  std::int64_t lo2 = Lo2;
  std::int64_t hi2 = Hi2;
  std::int64_t shortest = std::numeric_limits<std::int64_t>::max();
  for (std::int64_t i = lo1; i <= hi1; ++i) {
    shortest = std::min<std::int64_t>(shortest, static_cast<std::int64_t>(A[static_cast<std::size_t>(i)].size()));
  }
  if (lo2 == 0 && hi2 == 0) {
    hi2 = shortest - 1;
  }
  if (lo2 < 0 || lo2 >= shortest || hi2 < 0 || hi2 >= shortest) {
    return -3;
  }
  if (lo2 > hi2) {
    std::swap(lo2, hi2);
  }
  if (DestCol < 1 || DestCol > m.NrOfColumns() || DestRow < 1 || DestRow > m.NrOfRows() || !m.HasStorage()) {
    return -5;
  }
  for (std::int64_t i = lo1; i <= hi1; ++i) {
    for (std::int64_t j = lo2; j <= hi2; ++j) {
      // Re-checked: a handler may change the array.
      if (static_cast<std::size_t>(i) >= A.size() || static_cast<std::size_t>(j) >= A[static_cast<std::size_t>(i)].size()) {
        break;
      }
      store(DestCol + i, DestRow + j, Convert<T>(A[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)]));
    }
  }
  m.Changed();
  return 0;
}

}  // namespace matimpl

template <class T, class D>
std::int32_t TMatrixBase<T, D>::CopyFromArray(const TDoubleArray& A, std::int32_t LoIx, std::int32_t HiIx,
                                              std::int32_t DestCol, std::int32_t DestRow, bool Vertical) {
  return matimpl::CopyArrayToMatrix<T>(*this, StoreFn(), A, LoIx, HiIx, DestCol, DestRow, Vertical);
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::CopyFromArray(const TIntArray& A, std::int32_t LoIx, std::int32_t HiIx,
                                              std::int32_t DestCol, std::int32_t DestRow, bool Vertical) {
  return matimpl::CopyArrayToMatrix<T>(*this, StoreFn(), A, LoIx, HiIx, DestCol, DestRow, Vertical);
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::CopyFromArray(const TDouble2DArray& A, std::int32_t Lo1, std::int32_t Hi1,
                                              std::int32_t Lo2, std::int32_t Hi2, std::int32_t DestCol,
                                              std::int32_t DestRow) {
  return matimpl::CopyArray2DToMatrix<T>(*this, StoreFn(), A, Lo1, Hi1, Lo2, Hi2, DestCol, DestRow);
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::CopyFromArray(const TInt2DArray& A, std::int32_t Lo1, std::int32_t Hi1,
                                              std::int32_t Lo2, std::int32_t Hi2, std::int32_t DestCol,
                                              std::int32_t DestRow) {
  return matimpl::CopyArray2DToMatrix<T>(*this, StoreFn(), A, Lo1, Hi1, Lo2, Hi2, DestCol, DestRow);
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::DuplicateDataAsArray(T2DArray& A) const {
  if (A.empty()) {
    return -1;
  }
  T2DArray out;
  try {
    out.resize(static_cast<std::size_t>(ncols_));
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      auto& col = out[static_cast<std::size_t>(c - 1)];
      if (data_.empty()) {
        col.assign(static_cast<std::size_t>(nrows_), T{});
      } else {
        col.assign(ColumnPtr(c), ColumnPtr(c) + nrows_);
      }
    }
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  A.swap(out);
  return 0;
}

// ---------------------------------------------------------------------------
// Filling
// ---------------------------------------------------------------------------

template <class T, class D>
void TMatrixBase<T, D>::Fill(T Value) {
  if (data_.empty()) {
    return;
  }
  std::fill(data_.begin(), data_.end(), Value);
  Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::Fill(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow, std::int32_t HiRow,
                             T Value) {
  if (data_.empty()) {
    return;
  }
  const TMatRegion R = RangeRegion(LoCol, HiCol, LoRow, HiRow);
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
    std::fill_n(ColumnPtr(c) + (R.LoRow - 1), static_cast<std::size_t>(R.Rows()), Value);
  }
  Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::FillDiag(T Value) {
  if (data_.empty()) {
    return;
  }
  const std::int32_t n = std::min(ncols_, nrows_);
  for (std::int32_t i = 1; i <= n; ++i) {
    data_[Pos(i, i)] = Value;
  }
  Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::FillSerial(T First, T Step) {
  if (data_.empty()) {
    return;
  }
  T v = First;
  for (T& x : data_) {
    x = v;
    v = matimpl::WrapAdd(v, Step);
  }
  Changed();
}

// ---------------------------------------------------------------------------
// Searching and counting
// ---------------------------------------------------------------------------

template <class T, class D>
void TMatrixBase<T, D>::Find(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow, std::int32_t HiRow,
                             T Value, std::int32_t& Col, std::int32_t& Row) const {
  Col = 0;
  Row = 0;
  if (data_.empty()) {
    return;
  }
  const TMatRegion R = RangeRegion(LoCol, HiCol, LoRow, HiRow);
  double best = std::numeric_limits<double>::quiet_NaN();  // no defined distance yet
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
    const T* p = ColumnPtr(c);
    for (std::int32_t r = R.LoRow; r <= R.HiRow; ++r) {
      const double d = matimpl::Distance(p[r - 1], Value);
      if (d < best || (std::isnan(best) && !std::isnan(d))) {
        best = d;
        Col = c;
        Row = r;
      }
    }
  }
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::FindInSortedColumn(std::int32_t Col, bool Ascending, T Value) const {
  if (Col < 1 || Col > ncols_ || data_.empty()) {
    return 0;
  }
  const T* p = ColumnPtr(Col) - 1;  // p[r] is row r
  std::int32_t lo = 1;
  std::int32_t hi = nrows_;
  while (hi - lo >= 2) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    if (p[mid] == Value) {
      return mid;
    }
    if ((Value < p[mid]) != Ascending) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return matimpl::Distance(p[lo], Value) < matimpl::Distance(p[hi], Value) ? lo : hi;
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::CountValues(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow,
                                            std::int32_t HiRow, T Low, T High) const {
  if (data_.empty()) {
    return 0;
  }
  const TMatRegion R = RangeRegion(LoCol, HiCol, LoRow, HiRow);
  std::int64_t count = 0;
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
    const T* p = ColumnPtr(c) + (R.LoRow - 1);
    for (std::int64_t k = 0; k < R.Rows(); ++k) {
      count += (p[k] >= Low && p[k] <= High) ? 1 : 0;
    }
  }
  return static_cast<std::int32_t>(std::min<std::int64_t>(count, std::numeric_limits<std::int32_t>::max()));
}

// ---------------------------------------------------------------------------
// Sorting, mirroring, exchanging
// ---------------------------------------------------------------------------

template <class T, class D>
void TMatrixBase<T, D>::PermuteRows(const TMatRegion& R, std::int32_t KeyCol, const std::vector<std::int32_t>& Perm) {
  // Each column part is first copied aside in order (streaming from memory),
  // then gathered back from the copy, which stays in the first-level cache.
  std::vector<T> tmp(Perm.size());
  const std::int32_t* perm = Perm.data();
  const std::size_t n = Perm.size();
  auto permute = [&](std::int32_t c) {
    T* col = ColumnPtr(c) + (R.LoRow - 1);
    T* aside = tmp.data();
    std::copy_n(col, n, aside);
    for (std::size_t k = 0; k < n; ++k) {
      col[k] = aside[perm[k]];
    }
  };
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
    permute(c);
  }
  if (KeyCol < R.LoCol || KeyCol > R.HiCol) {
    permute(KeyCol);
  }
}

template <class T, class D>
template <bool Ascending>
void TMatrixBase<T, D>::CombSortRows(std::int32_t KeyCol, const TMatRegion& R) {
  auto outOfOrder = [](T a, T b) { return Ascending ? a > b : a < b; };
  std::int32_t gap = R.HiRow - R.LoRow;
  bool swapped = true;
  if (!OnSortExchange) {
    // Sort the keys alone, then move every column of the region once.
    std::vector<T> key(ColumnPtr(KeyCol) + (R.LoRow - 1), ColumnPtr(KeyCol) + R.HiRow);
    std::vector<std::int32_t> perm(key.size());
    std::iota(perm.begin(), perm.end(), 0);
    const auto n = static_cast<std::int32_t>(key.size());
    while (gap > 1 || swapped) {
      gap = std::max(1, static_cast<std::int32_t>(gap / 1.3));
      swapped = false;
      for (std::int32_t i = 0; i + gap < n; ++i) {
        if (outOfOrder(key[static_cast<std::size_t>(i)], key[static_cast<std::size_t>(i + gap)])) {
          std::swap(key[static_cast<std::size_t>(i)], key[static_cast<std::size_t>(i + gap)]);
          std::swap(perm[static_cast<std::size_t>(i)], perm[static_cast<std::size_t>(i + gap)]);
          swapped = true;
        }
      }
    }
    PermuteRows(R, KeyCol, perm);
    return;
  }
  // With a handler every exchange is made at once and reported; the handler
  // sees the matrix as it is.  A handler that reshapes the matrix ends the sort.
  const bool keyOutside = KeyCol < R.LoCol || KeyCol > R.HiCol;
  const std::int32_t nc = ncols_;
  const std::int32_t nr = nrows_;
  const T* const base = data_.data();
  while (gap > 1 || swapped) {
    gap = std::max(1, static_cast<std::int32_t>(gap / 1.3));
    swapped = false;
    for (std::int32_t i = R.LoRow; i + gap <= R.HiRow; ++i) {
      if (!outOfOrder(data_[Pos(KeyCol, i)], data_[Pos(KeyCol, i + gap)])) {
        continue;
      }
      for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
        std::swap(data_[Pos(c, i)], data_[Pos(c, i + gap)]);
      }
      if (keyOutside) {
        std::swap(data_[Pos(KeyCol, i)], data_[Pos(KeyCol, i + gap)]);
      }
      swapped = true;
      SortExchange(2, i, i + gap, R.LoCol, R.HiCol);
      if (ncols_ != nc || nrows_ != nr || data_.data() != base) {
        return;
      }
    }
  }
}

template <class T, class D>
template <bool Ascending>
void TMatrixBase<T, D>::CombSortCols(std::int32_t KeyRow, const TMatRegion& R) {
  auto outOfOrder = [](T a, T b) { return Ascending ? a > b : a < b; };
  const bool keyOutside = KeyRow < R.LoRow || KeyRow > R.HiRow;
  const auto rows = static_cast<std::size_t>(R.Rows());
  const std::int32_t nc = ncols_;
  const std::int32_t nr = nrows_;
  const T* const base = data_.data();
  std::int32_t gap = R.HiCol - R.LoCol;
  bool swapped = true;
  while (gap > 1 || swapped) {
    gap = std::max(1, static_cast<std::int32_t>(gap / 1.3));
    swapped = false;
    for (std::int32_t i = R.LoCol; i + gap <= R.HiCol; ++i) {
      if (!outOfOrder(data_[Pos(i, KeyRow)], data_[Pos(i + gap, KeyRow)])) {
        continue;
      }
      T* a = ColumnPtr(i) + (R.LoRow - 1);
      T* b = ColumnPtr(i + gap) + (R.LoRow - 1);
      std::swap_ranges(a, a + rows, b);
      if (keyOutside) {
        std::swap(data_[Pos(i, KeyRow)], data_[Pos(i + gap, KeyRow)]);
      }
      swapped = true;
      if (OnSortExchange) {
        SortExchange(1, i, i + gap, R.LoRow, R.HiRow);
        if (ncols_ != nc || nrows_ != nr || data_.data() != base) {
          return;
        }
      }
    }
  }
}

template <class T, class D>
void TMatrixBase<T, D>::SortRows(std::int32_t KeyCol, bool Ascending, std::int32_t LoCol, std::int32_t LoRow,
                                 std::int32_t HiCol, std::int32_t HiRow) {
  if (data_.empty() || KeyCol < 1 || KeyCol > ncols_) {
    return;
  }
  const TMatRegion R = CornerRegion(LoCol, LoRow, HiCol, HiRow);
  if (R.HiRow - R.LoRow < 1) {
    return;
  }
  if (Ascending) {
    CombSortRows<true>(KeyCol, R);
  } else {
    CombSortRows<false>(KeyCol, R);
  }
  Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::SortCols(std::int32_t KeyRow, bool Ascending, std::int32_t LoCol, std::int32_t LoRow,
                                 std::int32_t HiCol, std::int32_t HiRow) {
  if (data_.empty() || KeyRow < 1 || KeyRow > nrows_) {
    return;
  }
  const TMatRegion R = CornerRegion(LoCol, LoRow, HiCol, HiRow);
  if (R.HiCol - R.LoCol < 1) {
    return;
  }
  if (Ascending) {
    CombSortCols<true>(KeyRow, R);
  } else {
    CombSortCols<false>(KeyRow, R);
  }
  Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::MirrorColumns() {
  if (!data_.empty()) {
    for (std::int32_t a = 1, b = ncols_; a < b; ++a, --b) {
      std::swap_ranges(ColumnPtr(a), ColumnPtr(a) + nrows_, ColumnPtr(b));
    }
  }
  Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::MirrorRows() {
  if (!data_.empty()) {
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      std::reverse(ColumnPtr(c), ColumnPtr(c) + nrows_);
    }
  }
  Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::ExchangeColumns(std::int32_t A, std::int32_t B) {
  if (A < 1 || A > ncols_ || B < 1 || B > ncols_ || data_.empty()) {
    return;
  }
  if (A != B) {
    std::swap_ranges(ColumnPtr(A), ColumnPtr(A) + nrows_, ColumnPtr(B));
  }
  Changed();
}

template <class T, class D>
void TMatrixBase<T, D>::ExchangeRows(std::int32_t A, std::int32_t B) {
  if (A < 1 || A > nrows_ || B < 1 || B > nrows_ || data_.empty()) {
    return;
  }
  if (A != B) {
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      std::swap(data_[Pos(c, A)], data_[Pos(c, B)]);
    }
  }
  Changed();
}

// ---------------------------------------------------------------------------
// Resampling
// ---------------------------------------------------------------------------

template <class T, class D>
std::int32_t TMatrixBase<T, D>::ResampleExtMat(const D* Source, double ColPerc, double RowPerc, bool Repetitions,
                                               TIntArray& ColIx, TIntArray& RowIx) {
  if (Source == nullptr) {
    return -3;
  }
  if (ColIx.empty() || RowIx.empty()) {
    return -5;
  }
  const TMatrixBase& s = *Source;
  const std::int32_t sc = s.ncols_;
  const std::int32_t sr = s.nrows_;
  const std::int32_t nc = RoundHalfEvenToInt32(sc * ColPerc / 100.0);
  if (nc < 1 || !(ColPerc <= 100.0)) {
    return -1;
  }
  const std::int32_t nr = RoundHalfEvenToInt32(sr * RowPerc / 100.0);
  if (nr < 1 || !(RowPerc <= 100.0)) {
    return -2;
  }
  ColIx.assign(static_cast<std::size_t>(nc), 0);
  if (nc == sc) {
    std::iota(ColIx.begin(), ColIx.end(), 1);
  } else if (qmx::FillRandomUniform(ColIx, 1, sc, false) != 0) {
    matimpl::DrawIndexes(ColIx, 1, sc, false);
  }
  RowIx.assign(static_cast<std::size_t>(nr), 0);
  if (qmx::FillRandomUniform(RowIx, 1, sr, Repetitions) != 0) {
    matimpl::DrawIndexes(RowIx, 1, sr, Repetitions);
  }
  std::vector<T> values;
  try {
    values.resize(static_cast<std::size_t>(std::int64_t{nc} * nr));
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  for (std::int32_t c = 0; c < nc; ++c) {
    for (std::int32_t r = 0; r < nr; ++r) {
      values[static_cast<std::size_t>(c) * nr + r] =
          s.GetVal(ColIx[static_cast<std::size_t>(c)], RowIx[static_cast<std::size_t>(r)]);
    }
  }
  Resize(nc, nr);
  if (ncols_ == nc && nrows_ == nr) {
    data_.swap(values);
  }
  Changed();
  Resized();
  return 0;
}

}  // namespace qmx::detail
