#pragma once
/// \file
/// The matrix arithmetic shared by `TMatrix` and `TIntMatrix`, written once
/// for both element types: products of matrices and vectors, element-wise
/// and scalar arithmetic and the transposed storage.  Double products sum in
/// 80 bits (`GemmExt`); integer arithmetic wraps modulo 2^32, as all integer
/// arithmetic of the matrices does.
///
/// A matrix without dense storage (an integer matrix in sparse mode) takes
/// part in no product: the operations then return false and change nothing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <span>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"
#include "qmx/matrix/linalg_kernels.hpp"

namespace qmx::detail {

/// C (m x n) := op(A) · op(B) for either element type.
inline void ProductKernel(bool TransA, bool TransB, std::size_t m, std::size_t n, std::size_t p, const double* A,
                          const double* B, double* C) {
  GemmExt(TransA, TransB, m, n, p, A, B, C);
}
inline void ProductKernel(bool TransA, bool TransB, std::size_t m, std::size_t n, std::size_t p,
                          const std::int32_t* A, const std::int32_t* B, std::int32_t* C) {
  GemmInt(TransA, TransB, m, n, p, A, B, C);
}
/// y := A·x (Trans false, A m x p) or Aᵀ·x (Trans true).
inline void MatVecKernel(bool Trans, std::size_t m, std::size_t p, const double* A, const double* x, double* y) {
  if (Trans) {
    MatTVecExt(m, p, A, x, y);
  } else {
    MatVecExt(m, p, A, x, y);
  }
}
inline void MatVecKernel(bool Trans, std::size_t m, std::size_t p, const std::int32_t* A, const std::int32_t* x,
                         std::int32_t* y) {
  if (Trans) {
    MatTVecInt(m, p, A, x, y);
  } else {
    MatVecInt(m, p, A, x, y);
  }
}

/// Element arithmetic: doubles as they are, integers modulo 2^32.
template <class T>
T ElemMul(T a, T b) {
  if constexpr (std::is_integral_v<T>) {
    return static_cast<T>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
  } else {
    return a * b;
  }
}
template <class T>
T ElemAdd(T a, T b) {
  if constexpr (std::is_integral_v<T>) {
    return static_cast<T>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
  } else {
    return a + b;
  }
}
template <class T>
T ElemSub(T a, T b) {
  if constexpr (std::is_integral_v<T>) {
    return static_cast<T>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
  } else {
    return a - b;
  }
}

/// A work buffer of Count elements; an allocation failure raises the "not
/// enough memory on heap" error of Owner.
template <class T>
std::vector<T> WorkBuffer(const TComponent* Owner, std::size_t Count) {
  try {
    return std::vector<T>(Count);
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(Owner, kMsgNotEnoughMemoryOnHeap);
  } catch (const std::length_error&) {
    RaiseComponentError<EQMXMatrixError>(Owner, kMsgNotEnoughMemoryOnHeap);
  }
}

/// Sizes R to NCols x NRows and writes Values (column-major) through the
/// element setter, so that R fires `OnChange` once per element; without an
/// `OnChange` handler (and when the resize took) the values are copied at once.
template <class TM, class T>
void StoreMatrixResult(TM& R, std::int32_t NCols, std::int32_t NRows, const std::vector<T>& Values) {
  R.Resize(NCols, NRows);
  if (!R.OnChange && R.NrOfColumns() == NCols && R.NrOfRows() == NRows && R.HasStorage()) {
    std::copy(Values.begin(), Values.end(), R.Data().begin());
    return;
  }
  for (std::int32_t c = 1; c <= NCols; ++c) {
    for (std::int32_t r = 1; r <= NRows; ++r) {
      R.SetVal(c, r, Values[static_cast<std::size_t>(c - 1) * static_cast<std::size_t>(NRows) +
                            static_cast<std::size_t>(r - 1)]);
    }
  }
}

/// The same for a vector of N elements.
template <class TV, class T>
void StoreVectorResult(TV& W, std::int32_t N, const std::vector<T>& Values) {
  W.Resize(N);
  if (!W.OnChange && W.NrOfElem() == N) {
    std::copy(Values.begin(), Values.end(), W.Data().begin());
    return;
  }
  for (std::int32_t k = 1; k <= N; ++k) {
    W.SetVal(k, Values[static_cast<std::size_t>(k - 1)]);
  }
}

/// R := op(A) · op(B) (op = transpose when the flag is set).  False, with
/// nothing changed, for a nil B or R, a matrix without dense storage or
/// inner dimensions that differ.  The product is formed aside first, so R may
/// be A or B.
template <class TM>
bool MatProduct(const TM& A, const TM* B, TM* R, bool TransA, bool TransB) {
  using T = std::remove_cv_t<typename decltype(A.Data())::element_type>;
  if (B == nullptr || R == nullptr || !A.HasStorage() || !B->HasStorage() || !R->HasStorage()) {
    return false;
  }
  const std::int32_t m = TransA ? A.NrOfColumns() : A.NrOfRows();
  const std::int32_t p = TransA ? A.NrOfRows() : A.NrOfColumns();
  const std::int32_t pb = TransB ? B->NrOfColumns() : B->NrOfRows();
  const std::int32_t n = TransB ? B->NrOfRows() : B->NrOfColumns();
  if (p != pb) {
    return false;
  }
  std::vector<T> c = WorkBuffer<T>(&A, static_cast<std::size_t>(m) * static_cast<std::size_t>(n));
  ProductKernel(TransA, TransB, static_cast<std::size_t>(m), static_cast<std::size_t>(n),
                static_cast<std::size_t>(p), A.Data().data(), B->Data().data(), c.data());
  StoreMatrixResult(*R, n, m, c);
  return true;
}

/// W := op(A) · V.  False, with nothing changed, for a nil V or W, a matrix
/// without dense storage or a length of V that does not fit.  W may be V.
template <class TM, class TV>
bool MatVecProduct(const TM& A, const TV* V, TV* W, bool TransA) {
  using T = std::remove_cv_t<typename decltype(A.Data())::element_type>;
  if (V == nullptr || W == nullptr || !A.HasStorage()) {
    return false;
  }
  const std::int32_t m = A.NrOfRows();
  const std::int32_t p = A.NrOfColumns();
  if (V->NrOfElem() != (TransA ? m : p)) {
    return false;
  }
  const std::int32_t len = TransA ? p : m;
  std::vector<T> y = WorkBuffer<T>(&A, static_cast<std::size_t>(len));
  MatVecKernel(TransA, static_cast<std::size_t>(m), static_cast<std::size_t>(p), A.Data().data(),
               V->Data().data(), y.data());
  StoreVectorResult(*W, len, y);
  return true;
}

/// R := A ∘ B element by element; false for a nil argument, a matrix without
/// dense storage or different dimensions.
template <class TM>
bool MatEMult(const TM& A, const TM* B, TM* R) {
  using T = std::remove_cv_t<typename decltype(A.Data())::element_type>;
  if (B == nullptr || R == nullptr || !A.HasStorage() || !B->HasStorage() || !R->HasStorage() ||
      A.NrOfColumns() != B->NrOfColumns() || A.NrOfRows() != B->NrOfRows()) {
    return false;
  }
  const auto a = A.Data();
  const auto b = B->Data();
  std::vector<T> c = WorkBuffer<T>(&A, a.size());
  for (std::size_t k = 0; k < a.size(); ++k) {
    c[k] = ElemMul(a[k], b[k]);
  }
  StoreMatrixResult(*R, A.NrOfColumns(), A.NrOfRows(), c);
  return true;
}

/// A := A + B (Subtract: A - B) in place; false for a nil B, a matrix without
/// dense storage or different dimensions.  Fires `OnChange` of A.
template <class TM>
bool MatAddSub(TM& A, const TM* B, bool Subtract) {
  if (B == nullptr || !A.HasStorage() || !B->HasStorage() || A.NrOfColumns() != B->NrOfColumns() ||
      A.NrOfRows() != B->NrOfRows()) {
    return false;
  }
  auto a = A.Data();
  const auto b = B->Data();
  if (Subtract) {
    for (std::size_t k = 0; k < a.size(); ++k) {
      a[k] = ElemSub(a[k], b[k]);
    }
  } else {
    for (std::size_t k = 0; k < a.size(); ++k) {
      a[k] = ElemAdd(a[k], b[k]);
    }
  }
  A.Changed();
  return true;
}

/// Every element multiplied by S (SAdd: increased by S); fires `OnChange`.
template <class TM, class T>
void MatScalar(TM& A, T S, bool Multiply) {
  auto a = A.Data();
  if (Multiply) {
    for (auto& x : a) {
      x = ElemMul(x, S);
    }
  } else {
    for (auto& x : a) {
      x = ElemAdd(x, S);
    }
  }
  A.Changed();
}

/// The transposed copy (NRows x NCols) of the column-major Data of NCols x NRows.
template <class T>
std::vector<T> TransposedData(const TComponent* Owner, std::span<const T> Data, std::int32_t NCols,
                              std::int32_t NRows) {
  std::vector<T> out = WorkBuffer<T>(Owner, Data.size());
  const auto rows = static_cast<std::size_t>(NRows);
  const auto cols = static_cast<std::size_t>(NCols);
  constexpr std::size_t kTile = 32;
  for (std::size_t c0 = 0; c0 < cols; c0 += kTile) {
    const std::size_t c1 = std::min(cols, c0 + kTile);
    for (std::size_t r0 = 0; r0 < rows; r0 += kTile) {
      const std::size_t r1 = std::min(rows, r0 + kTile);
      for (std::size_t c = c0; c < c1; ++c) {
        for (std::size_t r = r0; r < r1; ++r) {
          out[r * cols + c] = Data[c * rows + r];
        }
      }
    }
  }
  return out;
}

}  // namespace qmx::detail
