#pragma once
// Member definitions of the shared vector template: life cycle, events,
// element access, ranges, checksum, fills and element-wise arithmetic.
// Included only by vector_base.cpp, which instantiates the template.

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"
#include "qmx/vector/vector_detail.hpp"
#include "qmx/vector/vector_internal.hpp"

namespace qmx::detail {

namespace vecimpl {

// Integer arithmetic wraps modulo 2^32; doubles use their own arithmetic.
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
template <class T>
T WrapMul(T a, T b) {
  if constexpr (std::is_integral_v<T>) {
    return static_cast<T>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
  } else {
    return a * b;
  }
}
template <class T>
T WrapAbs(T a) {
  if constexpr (std::is_integral_v<T>) {
    return a < 0 ? static_cast<T>(0u - static_cast<std::uint32_t>(a)) : a;
  } else {
    return std::fabs(a);
  }
}

/// Writes values to positions DestFirst + k, k = 0..Count-1, as `SetVal`
/// would: positions outside 1..NrOfElem are dropped; Get(k, v) says whether
/// the k-th value exists.  With `OnChange` assigned the values are collected
/// first (handlers may change the sources) and stored one by one.
template <class V, class T, class Get>
void StoreIndexed(V& Vec, std::int64_t DestFirst, std::int64_t Count, Get get) {
  const std::int64_t n = Vec.NrOfElem();
  const std::int64_t k0 = std::max<std::int64_t>(0, 1 - DestFirst);
  const std::int64_t k1 = std::min<std::int64_t>(Count, n - DestFirst + 1);
  if (k1 <= k0) {
    return;
  }
  T v{};
  if (!Vec.OnChange) {
    const std::span<T> d = Vec.Data();
    for (std::int64_t k = k0; k < k1; ++k) {
      if (get(k, v)) {
        d[static_cast<std::size_t>(DestFirst - 1 + k)] = v;
      }
    }
    return;
  }
  std::vector<std::pair<std::int32_t, T>> pending;
  pending.reserve(static_cast<std::size_t>(k1 - k0));
  for (std::int64_t k = k0; k < k1; ++k) {
    if (get(k, v)) {
      pending.emplace_back(static_cast<std::int32_t>(DestFirst + k), v);
    }
  }
  for (const auto& [pos, value] : pending) {
    Vec.SetVal(pos, value);
  }
}

}  // namespace vecimpl

template <class T, class D>
TVectorBase<T, D>::TVectorBase(TComponent* AOwner) : TComponent(AOwner) {
  try {
    data_.assign(1, T{});
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXVectorError>(this, kMsgNotEnoughMemoryOnHeap);
  }
}

template <class T, class D>
TVectorBase<T, D>::~TVectorBase() = default;

template <class T, class D>
bool TVectorBase<T, D>::Resize(std::int32_t NewSize) {
  if (NewSize == NrOfElem()) {
    return true;
  }
  if (NewSize < 1) {
    return false;
  }
  try {
    data_.resize(static_cast<std::size_t>(NewSize));  // strong guarantee: unchanged on failure
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXVectorError>(this, kMsgNotEnoughMemory);
  } catch (const std::length_error&) {
    RaiseComponentError<EQMXVectorError>(this, kMsgNotEnoughMemory);
  }
  Changed();
  Resized();
  return true;
}

template <class T, class D>
void TVectorBase<T, D>::Changed() {
  if (OnChange) {
    OnChange(this);
  }
}

template <class T, class D>
void TVectorBase<T, D>::Resized() {
  if (OnResize) {
    OnResize(this);
  }
}

template <class T, class D>
void TVectorBase<T, D>::SortExchange(std::uint8_t ExchgWhat, std::int32_t Ix1, std::int32_t Ix2, std::int32_t Ix3,
                                     std::int32_t Ix4) {
  if (OnSortExchange) {
    OnSortExchange(this, ExchgWhat, Ix1, Ix2, Ix3, Ix4);
  }
}

template <class T, class D>
void TVectorBase<T, D>::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const D*>(Source);
  if (src == nullptr) {
    TComponent::Assign(Source);
    return;
  }
  const TVectorBase& s = *src;
  if (&s == this) {
    return;
  }
  try {
    std::vector<T> copy(s.data_);
    data_.swap(copy);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXVectorError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  OnChange = s.OnChange;
  OnResize = s.OnResize;
  OnSortExchange = s.OnSortExchange;
}

template <class T, class D>
void TVectorBase<T, D>::AssignTo(TPersistent* Dest) const {
  if (auto* dest = dynamic_cast<D*>(Dest)) {
    dest->Assign(this);
    return;
  }
  TComponent::AssignTo(Dest);
}

template <class T, class D>
void TVectorBase<T, D>::Clone(const D* Source) {
  if (Source == nullptr) {
    return;
  }
  const TVectorBase& s = *Source;
  Resize(s.NrOfElem());
  StoreRun(1, s.data_);
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::SetVal(std::int32_t Ix, T Value) {
  if (Ix < 1 || Ix > NrOfElem()) {
    return;
  }
  data_[static_cast<std::size_t>(Ix - 1)] = Value;
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::StoreRun(std::int64_t DestFirst, std::span<const T> Src) {
  const auto count = static_cast<std::int64_t>(Src.size());
  if (!OnChange) {
    const std::int64_t n = NrOfElem();
    const std::int64_t k0 = std::max<std::int64_t>(0, 1 - DestFirst);
    const std::int64_t k1 = std::min<std::int64_t>(count, n - DestFirst + 1);
    if (k1 > k0) {
      // memmove: the source may be a part of this vector.
      std::memmove(data_.data() + (DestFirst - 1 + k0), Src.data() + k0,
                   static_cast<std::size_t>(k1 - k0) * sizeof(T));
    }
    return;
  }
  const std::vector<T> copy(Src.begin(), Src.end());  // handlers may change the source
  vecimpl::StoreIndexed<TVectorBase, T>(*this, DestFirst, count, [&copy](std::int64_t k, T& v) {
    v = copy[static_cast<std::size_t>(k)];
    return true;
  });
}

template <class T, class D>
bool TVectorBase<T, D>::MakeValidElemRange(std::int32_t& LoIx, std::int32_t& HiIx) const {
  const std::int32_t n = NrOfElem();
  if (LoIx == 0 && HiIx == 0) {
    LoIx = 1;
    HiIx = n;
    return false;
  }
  bool changed = false;
  auto clampBound = [n, &changed](std::int32_t& ix) {
    if (ix < 1) {
      ix = 1;
      changed = true;
    } else if (ix > n) {
      ix = n;
      changed = true;
    }
  };
  clampBound(LoIx);
  clampBound(HiIx);
  if (LoIx > HiIx) {
    std::swap(LoIx, HiIx);
  }
  return changed;
}

template <class T, class D>
void TVectorBase<T, D>::ValidRange(std::int32_t LoIx, std::int32_t HiIx, std::size_t& First,
                                   std::size_t& Count) const {
  MakeValidElemRange(LoIx, HiIx);
  First = static_cast<std::size_t>(LoIx - 1);
  Count = static_cast<std::size_t>(HiIx - LoIx + 1);
}

template <class T, class D>
std::vector<T> TVectorBase<T, D>::RangeCopy(std::int32_t LoIx, std::int32_t HiIx) const {
  std::size_t first = 0;
  std::size_t count = 0;
  ValidRange(LoIx, HiIx, first, count);
  try {
    return std::vector<T>(data_.begin() + static_cast<std::ptrdiff_t>(first),
                          data_.begin() + static_cast<std::ptrdiff_t>(first + count));
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXVectorError>(this, kMsgNotEnoughMemoryOnHeap);
  }
}

template <class T, class D>
std::string TVectorBase<T, D>::CRCofData() const {
  return ContentCRC(std::span<const T>(data_));
}

// ---- fills and element-wise arithmetic -------------------------------------

template <class T, class D>
void TVectorBase<T, D>::Fill(T Value) {
  std::fill(data_.begin(), data_.end(), Value);
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::FillSerial(T FirstValue, T Increment) {
  T v = FirstValue;
  for (T& x : data_) {
    x = v;
    v = vecimpl::WrapAdd(v, Increment);
  }
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::Clear() {
  Fill(T{});
}

template <class T, class D>
void TVectorBase<T, D>::AbsVal() {
  for (T& x : data_) {
    x = vecimpl::WrapAbs(x);
  }
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::SMult(T Factor) {
  for (T& x : data_) {
    x = vecimpl::WrapMul(x, Factor);
  }
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::Add(const D* V) {
  if (V == nullptr) {
    return;
  }
  const TVectorBase& v = *V;
  if (v.NrOfElem() != NrOfElem()) {
    RaiseComponentError<EQMXVectorError>(this, kMsgVectorsDiffDims);
  }
  const T* s = v.data_.data();
  T* d = data_.data();
  for (std::size_t i = 0, n = data_.size(); i < n; ++i) {
    d[i] = vecimpl::WrapAdd(d[i], s[i]);
  }
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::Subtract(const D* V) {
  if (V == nullptr) {
    return;
  }
  const TVectorBase& v = *V;
  if (v.NrOfElem() != NrOfElem()) {
    RaiseComponentError<EQMXVectorError>(this, kMsgVectorsDiffDims);
  }
  const T* s = v.data_.data();
  T* d = data_.data();
  for (std::size_t i = 0, n = data_.size(); i < n; ++i) {
    d[i] = vecimpl::WrapSub(d[i], s[i]);
  }
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::Mirror() {
  std::reverse(data_.begin(), data_.end());
  Changed();
}

template <class T, class D>
void TVectorBase<T, D>::ShuffleElems() {
  Randomize();
  const std::int32_t n = NrOfElem();
  for (std::int32_t k = 0; k < n; ++k) {
    const auto i = static_cast<std::size_t>(Random(n));
    const auto j = static_cast<std::size_t>(Random(n));
    std::swap(data_[i], data_[j]);
  }
}

}  // namespace qmx::detail
