// TIntMatrix: construction, element access in dense and sparse mode, the
// switch between the modes, the shape operations and masked counting.

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>

#include "qmx/matrix/intmatrix.hpp"
#include "qmx/matrix/matrix_impl_xml.hpp"

namespace qmx {

TIntMatrix::TIntMatrix(TComponent* AOwner) : Base(AOwner) {}

TIntMatrix::TIntMatrix(TComponent* AOwner, std::int32_t Increment) : Base(AOwner) {
  sparse_ = true;
  increment_ = std::max(Increment, 1);
  capacity_ = increment_;
  AdoptStorage({}, ncols_, nrows_);
}

std::string_view TIntMatrix::ClassName() const { return "TIntMatrix"; }

void TIntMatrix::PercDone(TObject* Sender, std::int32_t Percent) {
  (void)Sender;
  if (OnPercentDone) {
    OnPercentDone(this, Percent);
  }
}

void TIntMatrix::AssignDerived(const TIntMatrix& Source) {
  OnPercentDone = Source.OnPercentDone;
  try {
    entries_ = Source.entries_;
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  sparse_ = Source.sparse_;
  capacity_ = Source.capacity_;
  increment_ = Source.increment_;
  loCol_ = Source.loCol_;
  hiCol_ = Source.hiCol_;
  loRow_ = Source.loRow_;
  hiRow_ = Source.hiRow_;
}

std::string TIntMatrix::CRCofData() const {
  if (data_.empty()) {
    return TLaneCRC<4>().Result();  // no test for missing storage: the empty checksum
  }
  return ContentCRC(std::span<const std::int32_t>(data_));
}

// ---- element access ----------------------------------------------------------------------

std::size_t TIntMatrix::LowerEntry(std::int32_t Col, std::int32_t Row) const {
  const auto it = std::lower_bound(entries_.begin(), entries_.end(), Col, [Row](const TSpMatElemInt& e, std::int32_t c) {
    return e.Column < c || (e.Column == c && e.Row < Row);
  });
  return static_cast<std::size_t>(it - entries_.begin());
}

std::int32_t TIntMatrix::GetVal(std::int32_t Col, std::int32_t Row) const {
  if (!sparse_) {
    return Base::GetVal(Col, Row);
  }
  if (entries_.empty() || Col < loCol_ || Col > hiCol_ || Row < loRow_ || Row > hiRow_) {
    return 0;
  }
  const std::size_t k = LowerEntry(Col, Row);
  if (k < entries_.size() && entries_[k].Column == Col && entries_[k].Row == Row) {
    return entries_[k].Value;
  }
  return 0;
}

void TIntMatrix::SetVal(std::int32_t Col, std::int32_t Row, std::int32_t Value) {
  if (!sparse_) {
    Base::SetVal(Col, Row, Value);
    return;
  }
  if (Col < 1 || Row < 1) {
    return;
  }
  const std::size_t k = LowerEntry(Col, Row);
  if (k < entries_.size() && entries_[k].Column == Col && entries_[k].Row == Row) {
    entries_[k].Value = Value;
    Changed();
    return;
  }
  try {
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(k), TSpMatElemInt{Col, Row, Value});
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  } catch (const std::length_error&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  GrowCapacity(entries_.size());
  Widen(Col, Row);
  Changed();
}

// ---- sparse mode ------------------------------------------------------------------------------

void TIntMatrix::ClearEntries() {
  entries_.clear();
  entries_.shrink_to_fit();
  loCol_ = std::numeric_limits<std::int32_t>::max();
  hiCol_ = 1;
  loRow_ = std::numeric_limits<std::int32_t>::max();
  hiRow_ = 1;
}

void TIntMatrix::Widen(std::int32_t Col, std::int32_t Row) {
  loCol_ = std::min(loCol_, Col);
  hiCol_ = std::max(hiCol_, Col);
  loRow_ = std::min(loRow_, Row);
  hiRow_ = std::max(hiRow_, Row);
}

void TIntMatrix::GrowCapacity(std::size_t Count) {
  if (Count <= static_cast<std::size_t>(capacity_)) {
    return;
  }
  const std::int64_t inc = increment_;
  const std::int64_t blocks = (static_cast<std::int64_t>(Count) + inc - 1) / inc;
  capacity_ = static_cast<std::int32_t>(std::min<std::int64_t>(blocks * inc, std::numeric_limits<std::int32_t>::max()));
}

TSpMatElemInt TIntMatrix::SparseElem(std::int32_t Ix) const {
  if (Ix < 1 || Ix > NrOfSparseElems()) {
    return {};
  }
  return entries_[static_cast<std::size_t>(Ix - 1)];
}

void TIntMatrix::SparseBounds(std::int32_t& LoCol, std::int32_t& HiCol, std::int32_t& LoRow,
                              std::int32_t& HiRow) const {
  LoCol = loCol_;
  HiCol = hiCol_;
  LoRow = loRow_;
  HiRow = hiRow_;
}

void TIntMatrix::ArrayToSparse(std::int32_t Increment) {
  if (sparse_) {
    return;
  }
  std::vector<TSpMatElemInt> list;
  try {
    std::size_t nonZero = 0;
    for (const std::int32_t v : data_) {
      nonZero += v != 0 ? 1 : 0;
    }
    list.reserve(nonZero);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  ClearEntries();
  const auto rows = static_cast<std::size_t>(nrows_);
  for (std::size_t k = 0; k < data_.size(); ++k) {
    if (data_[k] != 0) {
      const auto c = static_cast<std::int32_t>(k / rows) + 1;
      const auto r = static_cast<std::int32_t>(k % rows) + 1;
      list.push_back(TSpMatElemInt{c, r, data_[k]});
      Widen(c, r);
    }
  }
  entries_.swap(list);
  sparse_ = true;
  increment_ = std::max(Increment, 1);
  capacity_ = increment_;
  GrowCapacity(entries_.size());
  AdoptStorage({}, ncols_, nrows_);
  Resized();
}

void TIntMatrix::SparseToArray() {
  if (!sparse_) {
    return;
  }
  const std::int32_t nc = hiCol_;
  const std::int32_t nr = hiRow_;
  std::vector<std::int32_t> dense;
  try {
    const std::int64_t count = std::int64_t{nc} * nr;
    if (count > static_cast<std::int64_t>(dense.max_size())) {
      throw std::bad_alloc();
    }
    dense.assign(static_cast<std::size_t>(count), 0);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  } catch (const std::length_error&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  for (const TSpMatElemInt& e : entries_) {
    dense[static_cast<std::size_t>(e.Column - 1) * static_cast<std::size_t>(nr) + static_cast<std::size_t>(e.Row - 1)] =
        e.Value;
  }
  sparse_ = false;
  ClearEntries();
  capacity_ = 0;
  AdoptStorage(std::move(dense), nc, nr);
  Resized();
}

// ---- shape -------------------------------------------------------------------------------------

void TIntMatrix::SetNCols(std::int32_t NCols) {
  MakeDense();
  Base::SetNCols(NCols);
}

void TIntMatrix::SetNRows(std::int32_t NRows) {
  MakeDense();
  Base::SetNRows(NRows);
}

bool TIntMatrix::Resize(std::int32_t NCols, std::int32_t NRows) {
  MakeDense();
  return Base::Resize(NCols, NRows);
}

bool TIntMatrix::ResizeAndClear(std::int32_t NCols, std::int32_t NRows) {
  MakeDense();
  return Base::ResizeAndClear(NCols, NRows);
}

bool TIntMatrix::RemoveColumn(std::int32_t Ix) {
  MakeDense();
  return Base::RemoveColumn(Ix);
}

bool TIntMatrix::RemoveRow(std::int32_t Ix) {
  MakeDense();
  return Base::RemoveRow(Ix);
}

void TIntMatrix::Clone(const TIntMatrix* Source) {
  if (Source == nullptr) {
    return;
  }
  MakeDense();
  if (Source->sparse_) {
    const std::unique_ptr<TIntMatrix> dense = Source->DenseCopy();
    Base::Clone(dense.get());
    return;
  }
  Base::Clone(Source);
}

std::int32_t TIntMatrix::Diff(std::int32_t Order, TApplyColRow Apply) {
  MakeDense();
  return Base::Diff(Order, Apply);
}

std::int32_t TIntMatrix::ResampleExtMat(const TIntMatrix* Source, double ColPerc, double RowPerc, bool Repetitions,
                                        TIntArray& ColIx, TIntArray& RowIx) {
  MakeDense();
  if (Source != nullptr && Source->sparse_) {
    const std::unique_ptr<TIntMatrix> dense = Source->DenseCopy();
    return Base::ResampleExtMat(dense.get(), ColPerc, RowPerc, Repetitions, ColIx, RowIx);
  }
  return Base::ResampleExtMat(Source, ColPerc, RowPerc, Repetitions, ColIx, RowIx);
}

std::int32_t TIntMatrix::ProcessXmlTag(TMatXmlTag Tag, const std::string& Attributes, const std::string& Content) {
  if (sparse_ && Tag == TMatXmlTag::xmlMatCell) {
    cellPending_ = false;
    SetVal(detail::TagAttributeInteger(Attributes, "ix"), detail::TagAttributeInteger(Attributes, "iy"),
           detail::matimpl::CellValue<std::int32_t>(Content));
    return 0;
  }
  return Base::ProcessXmlTag(Tag, Attributes, Content);
}

std::unique_ptr<TIntMatrix> TIntMatrix::DenseCopy() const {
  auto copy = std::make_unique<TIntMatrix>(nullptr);
  copy->Assign(this);
  copy->OnChange = nullptr;
  copy->OnResize = nullptr;
  copy->OnSortExchange = nullptr;
  copy->OnPercentDone = nullptr;
  copy->SparseToArray();
  return copy;
}

// ---- counting ------------------------------------------------------------------------------------

std::int32_t TIntMatrix::CountMaskedZeros(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow,
                                          std::int32_t HiRow, std::int32_t Mask) const {
  if (data_.empty()) {
    return 0;
  }
  const detail::TMatRegion R = RangeRegion(LoCol, HiCol, LoRow, HiRow);
  std::int64_t count = 0;
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
    const std::int32_t* p = ColumnPtr(c) + (R.LoRow - 1);
    for (std::int64_t k = 0; k < R.Rows(); ++k) {
      count += (p[k] & Mask) == 0 ? 1 : 0;
    }
  }
  return static_cast<std::int32_t>(std::min<std::int64_t>(count, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace qmx
