/// \file
/// Means, variances, standard deviations and mean absolute deviations of arrays.

#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraystat_detail.hpp"

namespace qmx {

using detail::arraystat::I32;

// ---- MeanArray ----

I32 MeanArray(const TDoubleArray& A, I32 FirstIx, I32 LastIx, double& Mean) {
  return detail::arraystat::MeanOfBlock(A, {FirstIx}, {LastIx}, Mean);
}
I32 MeanArray(const TIntArray& A, I32 FirstIx, I32 LastIx, double& Mean) {
  return detail::arraystat::MeanOfBlock(A, {FirstIx}, {LastIx}, Mean);
}
I32 MeanArray(const TDouble2DArray& A, I32 Lo1, I32 Lo2, I32 Hi1, I32 Hi2, double& Mean) {
  return detail::arraystat::MeanOfBlock(A, {Lo1, Lo2}, {Hi1, Hi2}, Mean);
}
I32 MeanArray(const TInt2DArray& A, I32 Lo1, I32 Lo2, I32 Hi1, I32 Hi2, double& Mean) {
  return detail::arraystat::MeanOfBlock(A, {Lo1, Lo2}, {Hi1, Hi2}, Mean);
}
I32 MeanArray(const TDouble3DArray& A, I32 Lo1, I32 Lo2, I32 Lo3, I32 Hi1, I32 Hi2, I32 Hi3, double& Mean) {
  return detail::arraystat::MeanOfBlock(A, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, Mean);
}
I32 MeanArray(const TInt3DArray& A, I32 Lo1, I32 Lo2, I32 Lo3, I32 Hi1, I32 Hi2, I32 Hi3, double& Mean) {
  return detail::arraystat::MeanOfBlock(A, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, Mean);
}
I32 MeanArray(const TDouble4DArray& A, I32 Lo1, I32 Lo2, I32 Lo3, I32 Lo4, I32 Hi1, I32 Hi2, I32 Hi3, I32 Hi4,
              double& Mean) {
  return detail::arraystat::MeanOfBlock(A, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, Mean);
}
I32 MeanArray(const TInt4DArray& A, I32 Lo1, I32 Lo2, I32 Lo3, I32 Lo4, I32 Hi1, I32 Hi2, I32 Hi3, I32 Hi4,
              double& Mean) {
  return detail::arraystat::MeanOfBlock(A, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, Mean);
}

// ---- StdDevArray ----

I32 StdDevArray(const TDoubleArray& A, I32 FirstIx, I32 LastIx, double& StdDev) {
  return detail::arraystat::StdDevOfBlock(A, {FirstIx}, {LastIx}, StdDev);
}
I32 StdDevArray(const TIntArray& A, I32 FirstIx, I32 LastIx, double& StdDev) {
  return detail::arraystat::StdDevOfBlock(A, {FirstIx}, {LastIx}, StdDev);
}
I32 StdDevArray(const TDouble2DArray& A, I32 Lo1, I32 Lo2, I32 Hi1, I32 Hi2, double& StdDev) {
  return detail::arraystat::StdDevOfBlock(A, {Lo1, Lo2}, {Hi1, Hi2}, StdDev);
}
I32 StdDevArray(const TInt2DArray& A, I32 Lo1, I32 Lo2, I32 Hi1, I32 Hi2, double& StdDev) {
  return detail::arraystat::StdDevOfBlock(A, {Lo1, Lo2}, {Hi1, Hi2}, StdDev);
}
I32 StdDevArray(const TDouble3DArray& A, I32 Lo1, I32 Lo2, I32 Lo3, I32 Hi1, I32 Hi2, I32 Hi3, double& StdDev) {
  return detail::arraystat::StdDevOfBlock(A, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, StdDev);
}
I32 StdDevArray(const TInt3DArray& A, I32 Lo1, I32 Lo2, I32 Lo3, I32 Hi1, I32 Hi2, I32 Hi3, double& StdDev) {
  return detail::arraystat::StdDevOfBlock(A, {Lo1, Lo2, Lo3}, {Hi1, Hi2, Hi3}, StdDev);
}
I32 StdDevArray(const TDouble4DArray& A, I32 Lo1, I32 Lo2, I32 Lo3, I32 Lo4, I32 Hi1, I32 Hi2, I32 Hi3, I32 Hi4,
                double& StdDev) {
  return detail::arraystat::StdDevOfBlock(A, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, StdDev);
}
I32 StdDevArray(const TInt4DArray& A, I32 Lo1, I32 Lo2, I32 Lo3, I32 Lo4, I32 Hi1, I32 Hi2, I32 Hi3, I32 Hi4,
                double& StdDev) {
  return detail::arraystat::StdDevOfBlock(A, {Lo1, Lo2, Lo3, Lo4}, {Hi1, Hi2, Hi3, Hi4}, StdDev);
}

// ---- MeanAbsDev, MeanVarArray ----

I32 MeanAbsDev(const TDoubleArray& A, I32 NData, double& MeanDev) {
  return detail::arraystat::MeanAbsDevOf(A, NData, MeanDev);
}
I32 MeanAbsDev(const TIntArray& A, I32 NData, double& MeanDev) {
  return detail::arraystat::MeanAbsDevOf(A, NData, MeanDev);
}

I32 MeanVarArray(const TDoubleArray& A, I32 FirstIx, I32 LastIx, double& Mean, double& Variance) {
  return detail::arraystat::MeanVarOfBlock(A, {FirstIx}, {LastIx}, Mean, Variance);
}
I32 MeanVarArray(const TIntArray& A, I32 FirstIx, I32 LastIx, double& Mean, double& Variance) {
  return detail::arraystat::MeanVarOfBlock(A, {FirstIx}, {LastIx}, Mean, Variance);
}
I32 MeanVarArray(const TDouble2DArray& A, I32 Lo1, I32 Lo2, I32 Hi1, I32 Hi2, double& Mean, double& Variance) {
  return detail::arraystat::MeanVarOfBlock(A, {Lo1, Lo2}, {Hi1, Hi2}, Mean, Variance);
}
I32 MeanVarArray(const TInt2DArray& A, I32 Lo1, I32 Lo2, I32 Hi1, I32 Hi2, double& Mean, double& Variance) {
  return detail::arraystat::MeanVarOfBlock(A, {Lo1, Lo2}, {Hi1, Hi2}, Mean, Variance);
}

}  // namespace qmx
