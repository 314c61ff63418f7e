#pragma once
// Member definitions of the shared vector template: the comb sort.
// Included only by vector_base.cpp.
//
// The sort without a sort-exchange handler runs on the storage directly,
// with the handler test hoisted out of the passes.  Measured on 10^6
// doubles, the passes are bound by memory traffic and branch prediction in
// about equal parts; a plain compare-and-exchange, which stores only on an
// exchange, was faster than branch-free and blocked (vectorised) forms, whose
// extra stores cost more than the mispredictions they avoid.

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "qmx/vector/vector_impl_core.hpp"

namespace qmx::detail {

namespace vecimpl {

/// The next comb-sort gap: the integer part of gap / 1.3, at least 1.
inline std::int64_t NextCombGap(std::int64_t gap) {
  const auto g = static_cast<std::int64_t>(static_cast<double>(gap) / 1.3);
  return g < 1 ? 1 : g;
}

template <bool Ascending, class T>
inline bool OutOfOrder(T a, T b) {
  if constexpr (Ascending) {
    return a > b;
  } else {
    return a < b;
  }
}

/// One pass over d[0..n-1] with the given gap; true if anything was exchanged.
template <bool Ascending, class T>
bool CombPass(T* d, std::size_t n, std::size_t gap) {
  if (gap >= n) {
    return false;
  }
  bool any = false;
  for (std::size_t i = 0; i + gap < n; ++i) {
    if (OutOfOrder<Ascending>(d[i], d[i + gap])) {
      std::swap(d[i], d[i + gap]);
      any = true;
    }
  }
  return any;
}

}  // namespace vecimpl

template <class T, class D>
template <bool Ascending>
void TVectorBase<T, D>::CombSort(std::size_t First, std::size_t Last) {
  T* d = data_.data() + First;
  const std::size_t n = Last - First + 1;
  std::int64_t gap = static_cast<std::int64_t>(n) - 1;
  // Gap-1 passes are bubble passes: n of them always finish the sort.
  std::size_t bubblePasses = 0;
  bool exchanged = true;
  while (gap > 1 || (exchanged && bubblePasses <= n)) {
    gap = vecimpl::NextCombGap(gap);
    exchanged = vecimpl::CombPass<Ascending>(d, n, static_cast<std::size_t>(gap));
    if (gap == 1) {
      ++bubblePasses;
    }
  }
}

template <class T, class D>
template <bool Ascending>
void TVectorBase<T, D>::CombSortReporting(std::int32_t LoIx, std::int32_t HiIx) {
  // Sequential passes with one SortExchange per exchange, in index order.
  // Handlers may change the vector: every access re-checks the size, and the
  // number of bubble passes is bounded as in CombSort.
  const std::int64_t lo = LoIx;
  std::int64_t gap = static_cast<std::int64_t>(HiIx) - LoIx;
  const auto bubbleLimit = static_cast<std::size_t>(HiIx - LoIx + 1);
  std::size_t bubblePasses = 0;
  bool exchanged = true;
  while (gap > 1 || (exchanged && bubblePasses <= bubbleLimit)) {
    gap = vecimpl::NextCombGap(gap);
    exchanged = false;
    for (std::int64_t i = lo; i + gap <= HiIx; ++i) {
      const std::int64_t j = i + gap;
      if (j > NrOfElem()) {
        break;
      }
      T& a = data_[static_cast<std::size_t>(i - 1)];
      T& b = data_[static_cast<std::size_t>(j - 1)];
      if (vecimpl::OutOfOrder<Ascending>(a, b)) {
        std::swap(a, b);
        exchanged = true;
        SortExchange(0, static_cast<std::int32_t>(i), static_cast<std::int32_t>(j), 0, 0);
      }
    }
    if (gap == 1) {
      ++bubblePasses;
    }
  }
}

template <class T, class D>
void TVectorBase<T, D>::SortElems(bool Ascending, std::int32_t LoIx, std::int32_t HiIx) {
  MakeValidElemRange(LoIx, HiIx);
  if (HiIx - LoIx < 1) {
    return;
  }
  if (OnSortExchange) {
    if (Ascending) {
      CombSortReporting<true>(LoIx, HiIx);
    } else {
      CombSortReporting<false>(LoIx, HiIx);
    }
  } else {
    const auto first = static_cast<std::size_t>(LoIx - 1);
    const auto last = static_cast<std::size_t>(HiIx - 1);
    if (Ascending) {
      CombSort<true>(first, last);
    } else {
      CombSort<false>(first, last);
    }
  }
  Changed();
}

}  // namespace qmx::detail
