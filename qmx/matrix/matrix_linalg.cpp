// TMatrix: products, element-wise arithmetic, the cross-product matrix,
// transposition, inversion, decompositions, determinant, norms, balancing,
// correlation, the hat matrix and distances between rows.

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <thread>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/matrix/intmatrix.hpp"
#include "qmx/matrix/linalg_detail.hpp"
#include "qmx/matrix/linalg_kernels.hpp"
#include "qmx/matrix/matrix.hpp"
#include "qmx/matrix/svd.hpp"
#include "qmx/openarrays/arraystat.hpp"
#include "qmx/vector/vector.hpp"

namespace qmx {

namespace {

/// The storage of M as the library's 2-D array (outer index the column).
TDouble2DArray ToArray(const TMatrix& M) {
  const auto cols = static_cast<std::size_t>(M.NrOfColumns());
  const auto rows = static_cast<std::size_t>(M.NrOfRows());
  const auto data = M.Data();
  TDouble2DArray a;
  try {
    a.resize(cols);
    for (std::size_t c = 0; c < cols; ++c) {
      a[c].assign(data.begin() + static_cast<std::ptrdiff_t>(c * rows),
                  data.begin() + static_cast<std::ptrdiff_t>((c + 1) * rows));
    }
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(&M, kMsgNotEnoughMemoryOnHeap);
  }
  return a;
}

/// The column-major values of a rectangular n x n array.
std::vector<double> FromSquareArray(const TDouble2DArray& A, std::size_t n) {
  std::vector<double> v(n * n);
  for (std::size_t c = 0; c < n; ++c) {
    std::copy_n(A[c].begin(), n, v.begin() + static_cast<std::ptrdiff_t>(c * n));
  }
  return v;
}

std::int32_t DefaultSquareThreads() {
  const unsigned hw = std::thread::hardware_concurrency();
  return hw >= 2 ? static_cast<std::int32_t>(hw - 1) : 1;
}

}  // namespace

// ---- products and element-wise arithmetic ------------------------------------------------

bool TMatrix::Multiply(const TMatrix* B, TMatrix* R) {
  if (!detail::MatProduct(*this, B, R, false, false)) {
    return false;
  }
  Changed();
  return true;
}

bool TMatrix::Multiply(const TVector* V, TVector* W) {
  if (!detail::MatVecProduct(*this, V, W, false)) {
    return false;
  }
  Changed();
  return true;
}

bool TMatrix::MultiplyTransposed(const TMatrix* B, TMatrix* R) {
  if (!detail::MatProduct(*this, B, R, false, true)) {
    return false;
  }
  Changed();
  return true;
}

bool TMatrix::TransposeAndMultiply(const TMatrix* B, TMatrix* R) {
  return detail::MatProduct(*this, B, R, true, false);
}

bool TMatrix::TransposeAndMultiply(const TVector* V, TVector* W) {
  return detail::MatVecProduct(*this, V, W, true);
}

bool TMatrix::EMult(const TMatrix* B, TMatrix* R) {
  if (!detail::MatEMult(*this, B, R)) {
    return false;
  }
  Changed();
  return true;
}

bool TMatrix::Add(const TMatrix* B) { return detail::MatAddSub(*this, B, false); }

bool TMatrix::Subtract(const TMatrix* B) { return detail::MatAddSub(*this, B, true); }

void TMatrix::SMult(double S) { detail::MatScalar(*this, S, true); }

void TMatrix::SAdd(double S) { detail::MatScalar(*this, S, false); }

// ---- cross-product matrix, transposition ---------------------------------------------------

bool TMatrix::Square(TMatrix* R, double D) { return Square(R, D, DefaultSquareThreads()); }

bool TMatrix::Square(TMatrix* R, double D, std::int32_t Threads) {
  if (R == nullptr) {
    return false;
  }
  const std::int32_t n = ncols_;
  const auto m = static_cast<std::size_t>(nrows_);
  if (R == this) {
    // The source must stay intact while the columns are computed.
    std::vector<double> out = detail::WorkBuffer<double>(this, static_cast<std::size_t>(n) * n);
    const bool ok = detail::SquareKernel(data_.data(), m, static_cast<std::size_t>(n), D, out.data(), Threads);
    const bool resized = n != nrows_;
    AdoptStorage(std::move(out), n, n);
    if (resized) {
      Changed();
      Resized();
    }
    Changed();
    return ok;
  }
  R->Resize(n, n);
  if (R->NrOfColumns() != n || R->NrOfRows() != n || !R->HasStorage()) {
    return false;  // a resize handler changed the shape again
  }
  const bool ok = detail::SquareKernel(data_.data(), m, static_cast<std::size_t>(n), D, R->data_.data(), Threads);
  R->Changed();
  return ok;
}

void TMatrix::Transpose() {
  std::vector<double> t = detail::TransposedData<double>(this, data_, ncols_, nrows_);
  AdoptStorage(std::move(t), nrows_, ncols_);
  Changed();
  Resized();
}

// ---- inversion and decompositions --------------------------------------------------------------

bool TMatrix::Invert() {
  if (ncols_ != nrows_) {
    return false;
  }
  TDouble2DArray a = ToArray(*this);
  if (InvertArray(a) != 0) {
    return false;
  }
  const auto n = static_cast<std::size_t>(ncols_);
  for (std::size_t c = 0; c < n; ++c) {
    std::copy_n(a[c].begin(), n, data_.begin() + static_cast<std::ptrdiff_t>(c * n));
  }
  Changed();
  return true;
}

bool TMatrix::LUdecomposition(TMatrix* L, TMatrix* U) {
  if (L == nullptr || U == nullptr || ncols_ != nrows_) {
    return false;
  }
  TDouble2DArray l;
  TDouble2DArray u;
  if (qmx::LUdecomposition(ToArray(*this), l, u) != 0) {
    return false;
  }
  const auto n = static_cast<std::size_t>(ncols_);
  const std::vector<double> lv = FromSquareArray(l, n);
  const std::vector<double> uv = FromSquareArray(u, n);
  detail::StoreMatrixResult(*L, ncols_, ncols_, lv);
  detail::StoreMatrixResult(*U, ncols_, ncols_, uv);
  return true;
}

bool TMatrix::CholeskyDecomp(TMatrix* L) {
  if (L == nullptr || ncols_ != nrows_) {
    return false;
  }
  const auto n = static_cast<std::size_t>(ncols_);
  std::vector<double> piv = detail::WorkBuffer<double>(this, n);
  const std::size_t done = detail::CholeskyKernel(data_.data(), n, piv.data());
  // Read the factor out of this matrix before L is touched (L may be this matrix).
  std::vector<double> lower = detail::WorkBuffer<double>(this, n * n);
  for (std::size_t i = 0; i < done; ++i) {
    lower[i * n + i] = piv[i];
    for (std::size_t j = i + 1; j < n; ++j) {
      lower[i * n + j] = data_[j * n + i];  // L(j, i) is stored at row i, column j
    }
  }
  L->Resize(ncols_, ncols_);
  if (L->NrOfColumns() == ncols_ && L->NrOfRows() == ncols_ && L->HasStorage()) {
    double* l = L->data_.data();
    for (std::size_t i = 0; i < n; ++i) {
      std::copy_n(lower.begin() + static_cast<std::ptrdiff_t>(i * n + i), n - i, l + i * n + i);
    }
  }
  L->Changed();
  return done == n;
}

double TMatrix::Determinant() const {
  double det = 0.0;
  if (ncols_ != nrows_ || qmx::Determinant(ToArray(*this), det) != 0) {
    return 0.0;
  }
  return det;
}

// ---- norms, balancing, correlation -------------------------------------------------------------------

double TMatrix::Norm(TNormType NormType) const {
  const auto m = static_cast<std::size_t>(nrows_);
  const auto n = static_cast<std::size_t>(ncols_);
  switch (NormType) {
    case TNormType::ntColwise:
      return detail::NormColwiseKernel(data_.data(), m, n);
    case TNormType::ntRowwise:
      return detail::NormRowwiseKernel(data_.data(), m, n);
    case TNormType::ntFrobenius:
      return detail::NormFrobeniusKernel(data_.data(), data_.size());
    case TNormType::ntSpectral: {
      // A NaN element makes the norm NaN, an infinite one infinite; the
      // decomposition itself would only give meaningless values.
      bool infinite = false;
      for (const double x : data_) {
        if (std::isnan(x)) {
          return x;
        }
        infinite = infinite || std::isinf(x);
      }
      if (infinite) {
        return std::numeric_limits<double>::infinity();
      }
      std::vector<double> a(data_);
      std::vector<double> w = detail::WorkBuffer<double>(this, n);
      const detail::TSvdStatus st =
          detail::SvdKernel(a.data(), m, n, w.data(), nullptr, false, detail::TSvdProgress::spReductionOnly);
      if (st != detail::TSvdStatus::svdOk) {
        throw EQMXMatrixError("near singular covariance matrix");
      }
      double best = 0.0;
      for (const double x : w) {
        best = std::max(best, x);
      }
      return best;
    }
  }
  return 0.0;
}

bool TMatrix::Balance(double Precision) {
  if (ncols_ != nrows_) {
    return false;
  }
  detail::BalanceKernel(data_.data(), static_cast<std::size_t>(ncols_), Precision);
  return true;
}

double TMatrix::Correlate(const TMatrix* B) const {
  if (B == nullptr || B->ncols_ != ncols_ || B->nrows_ != nrows_) {
    RaiseComponentError<EQMXMatrixError>(this, "\": matrices do not match");
  }
  return detail::CorrelateKernel(data_.data(), B->data_.data(), data_.size());
}

std::int32_t TMatrix::CalcHatMatrix(TMatrix* H) const {
  if (H == nullptr) {
    return -1;
  }
  const TDouble2DArray x = ToArray(*this);  // taken first: H may be this matrix
  H->Resize(nrows_, nrows_);
  TDouble2DArray h;
  const std::int32_t res = qmx::CalcHatMatrix(x, h);
  if (res != 0) {
    return res;
  }
  const auto n = static_cast<std::size_t>(x.empty() ? 0 : x[0].size());
  if (H->NrOfColumns() == H->NrOfRows() && static_cast<std::size_t>(H->NrOfRows()) == n && h.size() == n) {
    const std::vector<double> hv = FromSquareArray(h, n);
    std::copy(hv.begin(), hv.end(), H->data_.begin());
  }
  H->Changed();
  return res;
}

// ---- distances ---------------------------------------------------------------------------------------

double TMatrix::DistanceOfObjects(TDistMode Mode, std::int32_t Row1, std::int32_t Row2) {
  if (Mode == TDistMode::dmUser) {
    double dist = 0.0;
    if (OnCalcDistance) {
      OnCalcDistance(this, Row1, Row2, dist);
    }
    return dist;
  }
  const auto n = static_cast<std::size_t>(ncols_);
  const auto stride = static_cast<std::size_t>(nrows_);
  const std::vector<double> zeros(n, 0.0);
  const bool in1 = Row1 >= 1 && Row1 <= nrows_;
  const bool in2 = Row2 >= 1 && Row2 <= nrows_;
  const double* x = in1 ? data_.data() + (Row1 - 1) : zeros.data();
  const double* y = in2 ? data_.data() + (Row2 - 1) : zeros.data();
  if (in1 && in2) {
    return detail::ObjectDistance(Mode, x, y, n, stride);
  }
  // At least one row is all zeros: copy the other into contiguous form.
  std::vector<double> row(n, 0.0);
  if (in1 || in2) {
    const double* src = in1 ? x : y;
    for (std::size_t c = 0; c < n; ++c) {
      row[c] = src[c * stride];
    }
  }
  return detail::ObjectDistance(Mode, in1 ? row.data() : zeros.data(), in2 ? row.data() : zeros.data(), n, 1);
}

std::int32_t TMatrix::CalcDistMat(TDistMode Mode, TMatrix* D) {
  if (D == nullptr || D->ncols_ != D->nrows_) {
    return -1;
  }
  if (D->nrows_ != nrows_) {
    return -2;
  }
  const auto m = static_cast<std::size_t>(nrows_);
  if (Mode == TDistMode::dmUser || static_cast<std::uint8_t>(Mode) > static_cast<std::uint8_t>(TDistMode::dmUser)) {
    for (std::int32_t i = 1; i <= nrows_; ++i) {
      D->data_[static_cast<std::size_t>(i - 1) * m + static_cast<std::size_t>(i - 1)] = 0.0;
      for (std::int32_t j = i + 1; j <= nrows_; ++j) {
        const double v = DistanceOfObjects(Mode, i, j);
        if (D->ncols_ != nrows_ || D->nrows_ != nrows_ || D->data_.empty()) {
          return -2;  // a handler resized D
        }
        D->data_[static_cast<std::size_t>(j - 1) * m + static_cast<std::size_t>(i - 1)] = v;
        D->data_[static_cast<std::size_t>(i - 1) * m + static_cast<std::size_t>(j - 1)] = v;
      }
    }
  } else {
    std::vector<double> out = detail::WorkBuffer<double>(this, m * m);
    detail::DistanceMatrixKernel(Mode, data_.data(), m, static_cast<std::size_t>(ncols_), out.data());
    std::copy(out.begin(), out.end(), D->data_.begin());
  }
  D->Changed();
  return 0;
}

// ---- copying from an integer matrix ---------------------------------------------------------------

void TMatrix::CopyFrom(const TIntMatrix* Source, std::int32_t SrcLoCol, std::int32_t SrcLoRow, std::int32_t SrcHiCol,
                       std::int32_t SrcHiRow, std::int32_t DestCol, std::int32_t DestRow) {
  if (Source == nullptr) {
    return;
  }
  Source->MakeValidColRange(SrcLoCol, SrcHiCol);
  Source->MakeValidRowRange(SrcLoRow, SrcHiRow);
  const std::int64_t dc = std::int64_t{DestCol} - SrcLoCol;
  const std::int64_t dr = std::int64_t{DestRow} - SrcLoRow;
  for (std::int32_t c = SrcLoCol; c <= SrcHiCol; ++c) {
    for (std::int32_t r = SrcLoRow; r <= SrcHiRow; ++r) {
      StoreCell(c + dc, r + dr, static_cast<double>(Source->GetVal(c, r)));
    }
  }
  Changed();
}

}  // namespace qmx
