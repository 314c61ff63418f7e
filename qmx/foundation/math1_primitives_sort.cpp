// Exchange, in-place sorting, insertion into fixed-length sorted arrays and
// selection of the k-th smallest value.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "qmx/foundation/math1_primitives.hpp"
#include "qmx/foundation/math1_primitives_detail.hpp"

namespace qmx {

// ---------------------------------------------------------------------------
// ExChange
// ---------------------------------------------------------------------------

void ExChange(std::int32_t& a, std::int32_t& b) { std::swap(a, b); }
void ExChange(std::uint8_t& a, std::uint8_t& b) { std::swap(a, b); }
void ExChange(float& a, float& b) { std::swap(a, b); }
void ExChange(double& a, double& b) { std::swap(a, b); }
void ExChange(Extended& a, Extended& b) { std::swap(a, b); }
void ExChange(std::string& a, std::string& b) { a.swap(b); }
void ExChange(bool& a, bool& b) { std::swap(a, b); }
void ExChange(char16_t& a, char16_t& b) { std::swap(a, b); }
void ExChange(std::uint16_t& a, std::uint16_t& b) { std::swap(a, b); }
void ExChange(std::int8_t& a, std::int8_t& b) { std::swap(a, b); }
void ExChange(std::uint32_t& a, std::uint32_t& b) { std::swap(a, b); }
void ExChange(std::int64_t& a, std::int64_t& b) { std::swap(a, b); }

void ExChange(void* a, void* b, std::uint16_t Size) {
  if (a == nullptr || b == nullptr || a == b) {
    return;
  }
  auto* pa = static_cast<unsigned char*>(a);
  auto* pb = static_cast<unsigned char*>(b);
  for (std::uint16_t i = 0; i < Size; ++i) {
    const unsigned char t = pa[i];
    pa[i] = pb[i];
    pb[i] = t;
  }
}

namespace detail {
namespace {

// ---------------------------------------------------------------------------
// Shared code of the typed and untyped array primitives
// ---------------------------------------------------------------------------

/// Shrink factor of the comb sort's gap, an 80-bit constant.
constexpr Extended kCombShrink = 1.3L;

/// One comb-sort pass with the given gap; OutOfOrder(x, y) tells whether x must
/// move behind y.  Returns true if anything was exchanged.
template <class T, class OutOfOrder>
bool CombPass(T* data, std::size_t n, std::size_t gap, OutOfOrder outOfOrder) {
  bool exchanged = false;
  for (std::size_t i = 0; i + gap < n; ++i) {
    if (outOfOrder(data[i], data[i + gap])) {
      std::swap(data[i], data[i + gap]);
      exchanged = true;
    }
  }
  return exchanged;
}

/// Comb sort of n elements.  Terminates also with NaN elements: every exchange
/// removes at least one inversion among the ordered elements, and the gap
/// reaches 1 after finitely many passes.
template <class T>
void CombSort(T* data, std::size_t n, bool ascending) {
  if (data == nullptr || n < 2) {
    return;
  }
  std::size_t gap = n;
  bool exchanged = false;
  do {
    gap = static_cast<std::size_t>(static_cast<Extended>(gap) / kCombShrink);
    if (gap == 0) {
      gap = 1;
    }
    exchanged = ascending ? CombPass(data, n, gap, [](T x, T y) { return x > y; })
                          : CombPass(data, n, gap, [](T x, T y) { return x < y; });
    // The sort counts and reports its passes but does not poll the abort flag.
    static_cast<void>(ProgressStep());
  } while (gap > 1 || exchanged);
}

template <class T>
bool IsUnordered(T v) {
  if constexpr (std::is_floating_point_v<T>) {
    return std::isnan(v);
  } else {
    return false;
  }
}

/// Inserts value into the sorted fixed-length array; see `SortIntoArray`.
template <class T>
std::int32_t SortInto(T* data, std::size_t n, T value, bool ascending, bool allowDuplicates) {
  if (data == nullptr || n == 0 || IsUnordered(value)) {
    return -1;
  }
  const std::size_t last = n - 1;
  std::size_t i = 0;
  if (ascending) {
    while (i < last && value > data[i]) {
      ++i;
    }
    if (value > data[i]) {
      return -1;
    }
  } else {
    while (i < last && value < data[i]) {
      ++i;
    }
    if (value < data[i]) {
      return -1;
    }
  }
  if (value == data[i] && !allowDuplicates) {
    return -1;
  }
  std::copy_backward(data + i, data + last, data + last + 1);
  data[i] = value;
  return static_cast<std::int32_t>(i);
}

/// Inserts value at index, the last element falling off; invalid indexes do nothing.
template <class T>
void InsertAt(T* data, std::size_t n, T value, std::int32_t index) {
  if (data == nullptr || index < 0 || static_cast<std::size_t>(index) >= n) {
    return;
  }
  const auto i = static_cast<std::size_t>(index);
  std::copy_backward(data + i, data + n - 1, data + n);
  data[i] = value;
}

/// Converts a value of the untyped interface to the element type; false if it
/// cannot be represented (NaN for the integer kinds).
template <class T>
bool ConvertValue(double v, T& out) {
  if constexpr (std::is_same_v<T, std::int32_t>) {
    if (std::isnan(v)) {
      return false;
    }
    out = math1prim::SaturateToInt32(math1prim::RoundHalfEven(v));
  } else {
    out = static_cast<T>(v);
  }
  return true;
}

/// Calls f with Data typed after the element kind (ordinals 0, 1: double; 2:
/// float; 3, 4: int32); returns fallback for the other kinds.
template <class R, class F>
R WithElementType(void* data, TVarKind kind, R fallback, F&& f) {
  switch (static_cast<std::uint8_t>(kind)) {
    case 0:
    case 1:
      return f(static_cast<double*>(data));
    case 2:
      return f(static_cast<float*>(data));
    case 3:
    case 4:
      return f(static_cast<std::int32_t*>(data));
    default:
      return fallback;
  }
}

/// The order of the selection: NaN behind every number (so that a NaN pivot
/// does not pass for the smallest value).
inline bool LessNaNLast(double x, double pv) { return !std::isnan(x) && (x < pv || std::isnan(pv)); }

/// Moves the element at pivot to its final place within low..high: elements
/// less than it before, the others (equal, greater, NaN) behind.  Returns its index.
std::ptrdiff_t Partition(double* a, std::ptrdiff_t low, std::ptrdiff_t high, std::ptrdiff_t pivot) {
  std::swap(a[pivot], a[low]);
  const double pv = a[low];
  std::ptrdiff_t store = low;
  for (std::ptrdiff_t i = low + 1; i <= high; ++i) {
    if (LessNaNLast(a[i], pv)) {
      ++store;
      std::swap(a[store], a[i]);
    }
  }
  std::swap(a[low], a[store]);
  return store;
}

/// Selection of the k-th smallest value in a[low..high]; the indexes must
/// satisfy 0 <= low <= k <= high < size.
///
/// Each round either returns, raises low, or lowers high; a round that keeps
/// high (pivot landed at high) leaves only values less than a[high] below it,
/// so the next round's pivot lands below high.  Hence at most 2 (high - low + 1)
/// rounds.
double SelectInRange(double* a, std::ptrdiff_t k, std::ptrdiff_t low, std::ptrdiff_t high) {
  const double first = a[low];
  bool allEqual = true;
  for (std::ptrdiff_t i = low + 1; i <= high; ++i) {
    if (!(a[i] == first)) {
      allEqual = false;
      break;
    }
  }
  if (allEqual) {
    return first;
  }
  const std::ptrdiff_t maxRounds = 2 * (high - low + 1) + 2;
  for (std::ptrdiff_t round = 0; round < maxRounds; ++round) {
    const std::ptrdiff_t p = Partition(a, low, high, low + (high - low) / 2);
    if (p > k) {
      high = p;
    } else if (p < k) {
      low = p + 1;
      if (low > high) {
        return first;
      }
    } else {
      return a[k];
    }
  }
  return a[k];  // not reached (see the bound above)
}

}  // namespace
}  // namespace detail

// ---------------------------------------------------------------------------
// SortArray
// ---------------------------------------------------------------------------

void SortArray(std::span<double> Data, bool Ascending) { detail::CombSort(Data.data(), Data.size(), Ascending); }
void SortArray(std::span<std::int32_t> Data, bool Ascending) {
  detail::CombSort(Data.data(), Data.size(), Ascending);
}
void SortArray(std::span<float> Data, bool Ascending) { detail::CombSort(Data.data(), Data.size(), Ascending); }

void SortArray(void* Data, std::int32_t NumElem, TVarKind Kind, bool Ascending) {
  if (Data == nullptr || NumElem < 2) {
    return;
  }
  detail::WithElementType(Data, Kind, 0, [&](auto* p) {
    detail::CombSort(p, static_cast<std::size_t>(NumElem), Ascending);
    return 0;
  });
}

// ---------------------------------------------------------------------------
// SortIntoArray, InsertIntoArray
// ---------------------------------------------------------------------------

std::int32_t SortIntoArray(std::span<double> Data, double Value, bool Ascending, bool AllowDuplicates) {
  return detail::SortInto(Data.data(), Data.size(), Value, Ascending, AllowDuplicates);
}
std::int32_t SortIntoArray(std::span<float> Data, float Value, bool Ascending, bool AllowDuplicates) {
  return detail::SortInto(Data.data(), Data.size(), Value, Ascending, AllowDuplicates);
}
std::int32_t SortIntoArray(std::span<std::int32_t> Data, std::int32_t Value, bool Ascending, bool AllowDuplicates) {
  return detail::SortInto(Data.data(), Data.size(), Value, Ascending, AllowDuplicates);
}

std::int32_t SortIntoArray(void* Data, std::int32_t NumElem, TVarKind Kind, double Value, bool Ascending,
                           bool AllowDuplicates) {
  if (Data == nullptr || NumElem < 1) {
    return -1;
  }
  return detail::WithElementType(Data, Kind, std::int32_t{-1}, [&](auto* p) {
    using T = std::remove_pointer_t<decltype(p)>;
    T v{};
    if (!detail::ConvertValue(Value, v)) {
      return std::int32_t{-1};
    }
    return detail::SortInto(p, static_cast<std::size_t>(NumElem), v, Ascending, AllowDuplicates);
  });
}

void InsertIntoArray(std::span<double> Data, double Value, std::int32_t Index) {
  detail::InsertAt(Data.data(), Data.size(), Value, Index);
}
void InsertIntoArray(std::span<float> Data, float Value, std::int32_t Index) {
  detail::InsertAt(Data.data(), Data.size(), Value, Index);
}
void InsertIntoArray(std::span<std::int32_t> Data, std::int32_t Value, std::int32_t Index) {
  detail::InsertAt(Data.data(), Data.size(), Value, Index);
}

void InsertIntoArray(void* Data, std::int32_t NumElem, TVarKind Kind, double Value, std::int32_t Index) {
  if (Data == nullptr || NumElem < 1) {
    return;
  }
  detail::WithElementType(Data, Kind, 0, [&](auto* p) {
    using T = std::remove_pointer_t<decltype(p)>;
    T v{};
    if (detail::ConvertValue(Value, v)) {
      detail::InsertAt(p, static_cast<std::size_t>(NumElem), v, Index);
    }
    return 0;
  });
}

// ---------------------------------------------------------------------------
// QuickSelect
// ---------------------------------------------------------------------------

double QuickSelect(std::span<double> Data, std::int32_t k, std::int32_t Low, std::int32_t High) {
  if (High < Low) {
    return 0.0;
  }
  const auto n = static_cast<std::ptrdiff_t>(Data.size());
  if (Low < 0 || High >= n || k < Low || k > High) {
    return 0.0;
  }
  return detail::SelectInRange(Data.data(), k, Low, High);
}

double QuickSelect(std::span<double> Data, std::int32_t k, std::int32_t Low, std::int32_t /*High*/, double Value) {
  const auto n = static_cast<std::ptrdiff_t>(Data.size());
  if (k < 0 || k >= n || Low < 0 || Low > k) {
    return 0.0;
  }
  std::vector<double> work;
  work.reserve(Data.size());
  std::ptrdiff_t less = 0;
  for (const double x : Data) {
    if (x < Value) {
      ++less;
      work.push_back(x);
    } else if (x > Value) {
      work.push_back(x);
    }
  }
  const auto setAside = n - static_cast<std::ptrdiff_t>(work.size());
  const auto last = static_cast<std::ptrdiff_t>(work.size()) - 1;
  std::ptrdiff_t target = 0;
  if (less > k) {
    target = k;
  } else if (less + setAside <= k) {
    target = k - setAside;
  } else {
    return Value;
  }
  // 0 <= target <= last holds in both cases; Low is only lowered, never raised.
  const std::ptrdiff_t low = std::min<std::ptrdiff_t>(Low, target);
  return detail::SelectInRange(work.data(), target, low, last);
}

}  // namespace qmx
