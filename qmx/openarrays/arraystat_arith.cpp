/// \file
/// Element-wise arithmetic on arrays and logical negation of truth-value arrays.

#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraystat_detail.hpp"

namespace qmx {

using detail::arraystat::I32;

// ---- AddArrays, SubtractArrays, MultiplyArraysElemw ----

I32 AddArrays(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpAdd{});
}
I32 AddArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpAdd{});
}
I32 AddArrays(const TDouble3DArray& A, const TDouble3DArray& B, TDouble3DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpAdd{});
}
I32 AddArrays(const TDouble4DArray& A, const TDouble4DArray& B, TDouble4DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpAdd{});
}
I32 AddArrays(const TIntArray& A, const TIntArray& B, TIntArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpAdd{});
}
I32 AddArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpAdd{});
}
I32 AddArrays(const TInt3DArray& A, const TInt3DArray& B, TInt3DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpAdd{});
}
I32 AddArrays(const TInt4DArray& A, const TInt4DArray& B, TInt4DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpAdd{});
}

I32 SubtractArrays(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpSub{});
}
I32 SubtractArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpSub{});
}
I32 SubtractArrays(const TDouble3DArray& A, const TDouble3DArray& B, TDouble3DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpSub{});
}
I32 SubtractArrays(const TDouble4DArray& A, const TDouble4DArray& B, TDouble4DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpSub{});
}
I32 SubtractArrays(const TIntArray& A, const TIntArray& B, TIntArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpSub{});
}
I32 SubtractArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpSub{});
}
I32 SubtractArrays(const TInt3DArray& A, const TInt3DArray& B, TInt3DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpSub{});
}
I32 SubtractArrays(const TInt4DArray& A, const TInt4DArray& B, TInt4DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpSub{});
}

I32 MultiplyArraysElemw(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpMul{});
}
I32 MultiplyArraysElemw(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpMul{});
}
I32 MultiplyArraysElemw(const TIntArray& A, const TIntArray& B, TIntArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpMul{});
}
I32 MultiplyArraysElemw(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C) {
  return detail::arraystat::ZipChecked(A, B, C, detail::arraystat::OpMul{});
}

// ---- MultiplyArrayByScalar, AddScalarToArray, IncArray ----

I32 MultiplyArrayByScalar(const TDoubleArray& A, double s, TDoubleArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(const TDouble2DArray& A, double s, TDouble2DArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(const TDouble3DArray& A, double s, TDouble3DArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(const TDouble4DArray& A, double s, TDouble4DArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(const TIntArray& A, I32 s, TIntArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(const TInt2DArray& A, I32 s, TInt2DArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(const TInt3DArray& A, I32 s, TInt3DArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(const TInt4DArray& A, I32 s, TInt4DArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(TDoubleArray& A, double s) {
  return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(TDouble2DArray& A, double s) {
  return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(TDouble3DArray& A, double s) {
  return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(TDouble4DArray& A, double s) {
  return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(TIntArray& A, I32 s) {
  return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(TInt2DArray& A, I32 s) {
  return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(TInt3DArray& A, I32 s) {
  return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpMul{});
}
I32 MultiplyArrayByScalar(TInt4DArray& A, I32 s) {
  return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpMul{});
}
I32 AddScalarToArray(const TDoubleArray& A, double s, TDoubleArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpAdd{});
}
I32 AddScalarToArray(const TDouble2DArray& A, double s, TDouble2DArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpAdd{});
}
I32 AddScalarToArray(const TDouble3DArray& A, double s, TDouble3DArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpAdd{});
}
I32 AddScalarToArray(const TDouble4DArray& A, double s, TDouble4DArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpAdd{});
}
I32 AddScalarToArray(const TIntArray& A, I32 s, TIntArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpAdd{});
}
I32 AddScalarToArray(const TInt2DArray& A, I32 s, TInt2DArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpAdd{});
}
I32 AddScalarToArray(const TInt3DArray& A, I32 s, TInt3DArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpAdd{});
}
I32 AddScalarToArray(const TInt4DArray& A, I32 s, TInt4DArray& B) {
  return detail::arraystat::ScalarChecked(A, s, B, detail::arraystat::OpAdd{});
}
I32 IncArray(TDoubleArray& A, double s) {
  return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpAdd{});
}
I32 IncArray(TDouble2DArray& A, double s) {
  return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpAdd{});
}
I32 IncArray(TDouble3DArray& A, double s) {
  return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpAdd{});
}
I32 IncArray(TDouble4DArray& A, double s) {
  return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpAdd{});
}
I32 IncArray(TIntArray& A, I32 s) { return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpAdd{}); }
I32 IncArray(TInt2DArray& A, I32 s) { return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpAdd{}); }
I32 IncArray(TInt3DArray& A, I32 s) { return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpAdd{}); }
I32 IncArray(TInt4DArray& A, I32 s) { return detail::arraystat::ScalarChecked(A, s, A, detail::arraystat::OpAdd{}); }

// ---- AbsValArray, ReciprocalArray ----

I32 AbsValArray(TDoubleArray& A) { return detail::arraystat::InPlaceChecked(A, detail::arraystat::OpAbs{}); }
I32 AbsValArray(TDouble2DArray& A) { return detail::arraystat::InPlaceChecked(A, detail::arraystat::OpAbs{}); }
I32 AbsValArray(TDouble3DArray& A) { return detail::arraystat::InPlaceChecked(A, detail::arraystat::OpAbs{}); }
I32 AbsValArray(TDouble4DArray& A) { return detail::arraystat::InPlaceChecked(A, detail::arraystat::OpAbs{}); }
I32 AbsValArray(TIntArray& A) { return detail::arraystat::InPlaceChecked(A, detail::arraystat::OpAbs{}); }
I32 AbsValArray(TInt2DArray& A) { return detail::arraystat::InPlaceChecked(A, detail::arraystat::OpAbs{}); }
I32 AbsValArray(TInt3DArray& A) { return detail::arraystat::InPlaceChecked(A, detail::arraystat::OpAbs{}); }
I32 AbsValArray(TInt4DArray& A) { return detail::arraystat::InPlaceChecked(A, detail::arraystat::OpAbs{}); }
I32 ReciprocalArray(TDoubleArray& A, double ZeroValue) {
  return detail::arraystat::InPlaceChecked(A, [ZeroValue](double v) { return v == 0.0 ? ZeroValue : 1.0 / v; });
}
I32 ReciprocalArray(TDouble2DArray& A, double ZeroValue) {
  return detail::arraystat::InPlaceChecked(A, [ZeroValue](double v) { return v == 0.0 ? ZeroValue : 1.0 / v; });
}
I32 ReciprocalArray(TDouble3DArray& A, double ZeroValue) {
  return detail::arraystat::InPlaceChecked(A, [ZeroValue](double v) { return v == 0.0 ? ZeroValue : 1.0 / v; });
}
I32 ReciprocalArray(TDouble4DArray& A, double ZeroValue) {
  return detail::arraystat::InPlaceChecked(A, [ZeroValue](double v) { return v == 0.0 ? ZeroValue : 1.0 / v; });
}

// ---- InvertArray (truth values) ----

I32 InvertArray(TBoolArray& A) {
  if (A.empty()) {
    return -1;
  }
  A.flip();
  return 0;
}

I32 InvertArray(TBool2DArray& A) {
  if (detail::arraystat::IsEmptyArr(A)) {
    return -1;
  }
  for (auto& col : A) {
    col.flip();
  }
  return 0;
}

}  // namespace qmx
