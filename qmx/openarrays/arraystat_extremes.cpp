/// \file
/// Largest and smallest cells of arrays, with and without their positions.

#include <limits>

#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraystat_detail.hpp"

namespace qmx {

using detail::arraystat::ExtremeOf;
using detail::arraystat::I32;
using detail::arraystat::kMaxDouble;

namespace {
constexpr I32 kIntMin = std::numeric_limits<I32>::min();
constexpr I32 kIntMax = std::numeric_limits<I32>::max();
}  // namespace

// ---- MaxArray ----

double MaxArray(const TDoubleArray& A, I32& Ix) { return ExtremeOf<true>(A, Ix); }
double MaxArray(const TDoubleArray& A) { return ExtremeOf<true>(A); }
I32 MaxArray(const TIntArray& A, I32& Ix) { return ExtremeOf<true>(A, Ix); }
I32 MaxArray(const TIntArray& A) { return ExtremeOf<true>(A); }
double MaxArray(const TDouble2DArray& A, I32& Ix1, I32& Ix2) { return ExtremeOf<true>(A, Ix1, Ix2); }
I32 MaxArray(const TInt2DArray& A, I32& Ix1, I32& Ix2) { return ExtremeOf<true>(A, Ix1, Ix2); }
double MaxArray(const TDouble2DArray& A) { return ExtremeOf<true>(A); }
I32 MaxArray(const TInt2DArray& A) { return ExtremeOf<true>(A); }
double MaxArray(const TDouble3DArray& A) { return ExtremeOf<true>(A); }
I32 MaxArray(const TInt3DArray& A) { return ExtremeOf<true>(A); }
double MaxArray(const TDouble4DArray& A) { return ExtremeOf<true>(A); }
I32 MaxArray(const TInt4DArray& A) { return ExtremeOf<true>(A); }

// ---- MinArray ----

double MinArray(const TDoubleArray& A, I32& Ix) { return ExtremeOf<false>(A, Ix); }
double MinArray(const TDoubleArray& A) { return ExtremeOf<false>(A); }
I32 MinArray(const TIntArray& A, I32& Ix) { return ExtremeOf<false>(A, Ix); }
I32 MinArray(const TIntArray& A) { return ExtremeOf<false>(A); }
double MinArray(const TDouble2DArray& A, I32& Ix1, I32& Ix2) { return ExtremeOf<false>(A, Ix1, Ix2); }
I32 MinArray(const TInt2DArray& A, I32& Ix1, I32& Ix2) { return ExtremeOf<false>(A, Ix1, Ix2); }
double MinArray(const TDouble2DArray& A) { return ExtremeOf<false>(A); }
I32 MinArray(const TInt2DArray& A) { return ExtremeOf<false>(A); }
double MinArray(const TDouble3DArray& A) { return ExtremeOf<false>(A); }
I32 MinArray(const TInt3DArray& A) { return ExtremeOf<false>(A); }
double MinArray(const TDouble4DArray& A) { return ExtremeOf<false>(A); }
I32 MinArray(const TInt4DArray& A) { return ExtremeOf<false>(A); }

// ---- MinMaxArray ----

I32 MinMaxArray(const TSingleArray& A, double& MinVal, double& MaxVal) {
  return detail::arraystat::MinMaxOf(A, MinVal, MaxVal, kMaxDouble, -kMaxDouble);
}
I32 MinMaxArray(const TDoubleArray& A, double& MinVal, double& MaxVal) {
  return detail::arraystat::MinMaxOf(A, MinVal, MaxVal, kMaxDouble, -kMaxDouble);
}
I32 MinMaxArray(const TDouble2DArray& A, double& MinVal, double& MaxVal) {
  return detail::arraystat::MinMaxOf(A, MinVal, MaxVal, kMaxDouble, -kMaxDouble);
}
I32 MinMaxArray(const TDouble3DArray& A, double& MinVal, double& MaxVal) {
  return detail::arraystat::MinMaxOf(A, MinVal, MaxVal, kMaxDouble, -kMaxDouble);
}
I32 MinMaxArray(const TDouble4DArray& A, double& MinVal, double& MaxVal) {
  return detail::arraystat::MinMaxOf(A, MinVal, MaxVal, kMaxDouble, -kMaxDouble);
}
I32 MinMaxArray(std::span<const double> A, double& MinVal, double& MaxVal) {
  return detail::arraystat::MinMaxOfSpan(A, MinVal, MaxVal, kMaxDouble, -kMaxDouble);
}
I32 MinMaxArray(const TIntArray& A, I32& MinVal, I32& MaxVal) {
  return detail::arraystat::MinMaxOf(A, MinVal, MaxVal, kIntMax, kIntMin);
}
I32 MinMaxArray(const TInt2DArray& A, I32& MinVal, I32& MaxVal) {
  return detail::arraystat::MinMaxOf(A, MinVal, MaxVal, kIntMax, kIntMin);
}
I32 MinMaxArray(const TInt3DArray& A, I32& MinVal, I32& MaxVal) {
  return detail::arraystat::MinMaxOf(A, MinVal, MaxVal, kIntMax, kIntMin);
}
I32 MinMaxArray(const TInt4DArray& A, I32& MinVal, I32& MaxVal) {
  return detail::arraystat::MinMaxOf(A, MinVal, MaxVal, kIntMax, kIntMin);
}
I32 MinMaxArray(std::span<const I32> A, I32& MinVal, I32& MaxVal) {
  return detail::arraystat::MinMaxOfSpan(A, MinVal, MaxVal, kIntMax, kIntMin);
}

I32 MinMaxArray(const TDoubleArray& A, I32 FirstIx, I32 LastIx, double& MinVal, double& MaxVal, I32& MinIx,
                I32& MaxIx) {
  return detail::arraystat::MinMaxOfRange(A, FirstIx, LastIx, MinVal, MaxVal, MinIx, MaxIx, kMaxDouble, -kMaxDouble);
}
I32 MinMaxArray(const TIntArray& A, I32 FirstIx, I32 LastIx, I32& MinVal, I32& MaxVal, I32& MinIx, I32& MaxIx) {
  return detail::arraystat::MinMaxOfRange(A, FirstIx, LastIx, MinVal, MaxVal, MinIx, MaxIx, kIntMax, kIntMin);
}
I32 MinMaxArray(const TDouble2DArray& A, I32 Lo1, I32 Lo2, I32 Hi1, I32 Hi2, double& MinVal, double& MaxVal,
                I32& MinIx1, I32& MinIx2, I32& MaxIx1, I32& MaxIx2) {
  return detail::arraystat::MinMaxOfRange2D(A, Lo1, Lo2, Hi1, Hi2, MinVal, MaxVal, MinIx1, MinIx2, MaxIx1, MaxIx2,
                                            kMaxDouble, -kMaxDouble);
}
I32 MinMaxArray(const TInt2DArray& A, I32 Lo1, I32 Lo2, I32 Hi1, I32 Hi2, I32& MinVal, I32& MaxVal, I32& MinIx1,
                I32& MinIx2, I32& MaxIx1, I32& MaxIx2) {
  return detail::arraystat::MinMaxOfRange2D(A, Lo1, Lo2, Hi1, Hi2, MinVal, MaxVal, MinIx1, MinIx2, MaxIx1, MaxIx2,
                                            kIntMax, kIntMin);
}

}  // namespace qmx
