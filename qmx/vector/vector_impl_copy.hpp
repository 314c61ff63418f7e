#pragma once
// Member definitions of the shared vector template: copies from vectors and
// arrays and into arrays.  Included only by vector_base.cpp.

#include <algorithm>
#include <new>
#include <utility>

#include "qmx/vector/vector_impl_core.hpp"

namespace qmx::detail {

template <class T, class D>
std::int32_t TVectorBase<T, D>::CopyFrom(const D* Source, std::int32_t SrcLo, std::int32_t SrcHi,
                                         std::int32_t DestIx) {
  if (Source == nullptr) {
    return -1;
  }
  const TVectorBase& s = *Source;
  const std::int32_t sn = s.NrOfElem();
  if (SrcLo == 0 && SrcHi == 0) {
    SrcLo = 1;
    SrcHi = sn;
  } else {
    if (DestIx < 1 || DestIx > NrOfElem()) {
      return -3;
    }
    if (SrcLo < 1 || SrcLo > sn || SrcHi < 1 || SrcHi > sn) {
      return -2;
    }
    if (SrcLo > SrcHi) {
      std::swap(SrcLo, SrcHi);
    }
  }
  StoreRun(DestIx, std::span<const T>(s.data_).subspan(static_cast<std::size_t>(SrcLo - 1),
                                                        static_cast<std::size_t>(SrcHi - SrcLo + 1)));
  Changed();
  return 0;
}

template <class T, class D>
std::int32_t TVectorBase<T, D>::CopyFrom(const TArray& Source, std::int32_t SrcLo, std::int32_t SrcHi,
                                         std::int32_t DestIx) {
  if (Source.empty()) {
    return -1;
  }
  const auto sn = static_cast<std::int64_t>(Source.size());
  std::int64_t lo = SrcLo;
  std::int64_t hi = SrcHi;
  if (SrcLo == 0 && SrcHi == 0) {
    hi = sn - 1;
  } else {
    if (DestIx < 1 || DestIx > NrOfElem()) {
      return -3;
    }
    if (lo < 0 || lo >= sn || hi < 0 || hi >= sn) {
      return -2;
    }
    if (lo > hi) {
      std::swap(lo, hi);
    }
  }
  StoreRun(DestIx, std::span<const T>(Source).subspan(static_cast<std::size_t>(lo), static_cast<std::size_t>(hi - lo + 1)));
  Changed();
  return 0;
}

template <class T, class D>
void TVectorBase<T, D>::CopyFrom2DArrayRow(const T2DArray& A, std::int32_t RowIx, std::int32_t ColLo,
                                           std::int32_t ColHi, std::int32_t DestIx) {
  if (A.empty() || A[0].empty()) {
    return;
  }
  const auto ncols = static_cast<std::int64_t>(A.size());
  const auto nrows = static_cast<std::int64_t>(A[0].size());
  const std::int64_t row = std::clamp<std::int64_t>(RowIx, 0, nrows - 1);
  std::int64_t lo = std::clamp<std::int64_t>(ColLo, 0, ncols - 1);
  std::int64_t hi = std::clamp<std::int64_t>(ColHi, 0, ncols - 1);
  if (lo > hi) {
    std::swap(lo, hi);
  }
  if (!(lo - hi < DestIx && DestIx <= NrOfElem())) {
    return;
  }
  vecimpl::StoreIndexed<TVectorBase, T>(*this, DestIx, hi - lo + 1, [&](std::int64_t k, T& v) {
    const auto& column = A[static_cast<std::size_t>(lo + k)];
    if (row >= static_cast<std::int64_t>(column.size())) {
      return false;  // a shorter column: skipped
    }
    v = column[static_cast<std::size_t>(row)];
    return true;
  });
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::CopyFrom2DArrayColumn(const T2DArray& A, std::int32_t ColIx, std::int32_t RowLo,
                                              std::int32_t RowHi, std::int32_t DestIx) {
  if (A.empty() || A[0].empty()) {
    return;
  }
  const auto ncols = static_cast<std::int64_t>(A.size());
  const auto nrows = static_cast<std::int64_t>(A[0].size());
  const std::int64_t col = std::clamp<std::int64_t>(ColIx, 0, ncols - 1);
  std::int64_t lo = std::clamp<std::int64_t>(RowLo, 0, nrows - 1);
  std::int64_t hi = std::clamp<std::int64_t>(RowHi, 0, nrows - 1);
  if (lo > hi) {
    std::swap(lo, hi);
  }
  if (!(lo - hi < DestIx && DestIx <= NrOfElem())) {
    return;
  }
  const auto& column = A[static_cast<std::size_t>(col)];
  vecimpl::StoreIndexed<TVectorBase, T>(*this, DestIx, hi - lo + 1, [&](std::int64_t k, T& v) {
    const std::int64_t r = lo + k;
    if (r >= static_cast<std::int64_t>(column.size())) {
      return false;
    }
    v = column[static_cast<std::size_t>(r)];
    return true;
  });
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::CopyToArray(TArray& A, std::int32_t LoIx, std::int32_t HiIx, std::int32_t DestIx) const {
  std::size_t first = 0;
  std::size_t count = 0;
  ValidRange(LoIx, HiIx, first, count);
  const auto dest = static_cast<std::size_t>(std::max(DestIx, 0));
  try {
    A.resize(count + dest);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXVectorError>(this, kMsgNotEnoughMemoryOnHeap);
  } catch (const std::length_error&) {
    RaiseComponentError<EQMXVectorError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(first), count, A.begin() + static_cast<std::ptrdiff_t>(dest));
}

template <class T, class D>
void TVectorBase<T, D>::CopyToArray(T2DArray& A, std::int32_t LoIx, std::int32_t HiIx, std::int32_t ColIx,
                                    std::int32_t RowIx, bool IntoColumn) const {
  if (A.empty() || A[0].empty()) {
    return;
  }
  std::size_t first = 0;
  std::size_t count = 0;
  ValidRange(LoIx, HiIx, first, count);
  const auto col = static_cast<std::size_t>(std::clamp<std::int64_t>(ColIx, 0, static_cast<std::int64_t>(A.size()) - 1));
  const auto row =
      static_cast<std::size_t>(std::clamp<std::int64_t>(RowIx, 0, static_cast<std::int64_t>(A[0].size()) - 1));
  if (IntoColumn) {
    auto& column = A[col];
    for (std::size_t k = 0; k < count && row + k < column.size(); ++k) {
      column[row + k] = data_[first + k];
    }
  } else {
    for (std::size_t k = 0; k < count && col + k < A.size(); ++k) {
      auto& column = A[col + k];
      if (row < column.size()) {
        column[row] = data_[first + k];
      }
    }
  }
}

}  // namespace qmx::detail
