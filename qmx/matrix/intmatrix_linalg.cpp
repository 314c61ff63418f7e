// TIntMatrix: products, element-wise and scalar arithmetic and
// transposition, modulo 2^32.

#include "qmx/matrix/intmatrix.hpp"
#include "qmx/matrix/linalg_detail.hpp"
#include "qmx/vector/intvector.hpp"

namespace qmx {

bool TIntMatrix::Multiply(const TIntMatrix* B, TIntMatrix* R) {
  if (!detail::MatProduct(*this, B, R, false, false)) {
    return false;
  }
  Changed();
  return true;
}

bool TIntMatrix::Multiply(const TIntVector* V, TIntVector* W) {
  if (!detail::MatVecProduct(*this, V, W, false)) {
    return false;
  }
  Changed();
  return true;
}

bool TIntMatrix::MultiplyTransposed(const TIntMatrix* B, TIntMatrix* R) {
  if (!detail::MatProduct(*this, B, R, false, true)) {
    return false;
  }
  Changed();
  return true;
}

bool TIntMatrix::TransposeAndMultiply(const TIntMatrix* B, TIntMatrix* R) {
  return detail::MatProduct(*this, B, R, true, false);
}

bool TIntMatrix::TransposeAndMultiply(const TIntVector* V, TIntVector* W) {
  return detail::MatVecProduct(*this, V, W, true);
}

bool TIntMatrix::EMult(const TIntMatrix* B, TIntMatrix* R) {
  if (!detail::MatEMult(*this, B, R)) {
    return false;
  }
  Changed();
  return true;
}

bool TIntMatrix::Add(const TIntMatrix* B) { return detail::MatAddSub(*this, B, false); }

bool TIntMatrix::Subtract(const TIntMatrix* B) { return detail::MatAddSub(*this, B, true); }

void TIntMatrix::SMult(std::int32_t S) {
  if (!data_.empty()) {
    detail::MatScalar(*this, S, true);
  }
}

void TIntMatrix::SAdd(std::int32_t S) {
  if (!data_.empty()) {
    detail::MatScalar(*this, S, false);
  }
}

void TIntMatrix::Transpose() {
  MakeDense();
  std::vector<std::int32_t> t = detail::TransposedData<std::int32_t>(this, data_, ncols_, nrows_);
  AdoptStorage(std::move(t), nrows_, ncols_);
  Changed();
  Resized();
}

}  // namespace qmx
