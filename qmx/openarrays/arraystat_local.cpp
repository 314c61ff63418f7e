/// \file
/// Local means and medians, linearity breaks, monotony and dichotomy of 1-D arrays.

#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraystat_detail.hpp"

namespace qmx {

using detail::arraystat::I32;

double LocalMean(const TDoubleArray& A, I32 Center, I32 Radius, I32 LowLimit, I32 HighLimit) {
  return detail::arraystat::LocalMeanOf(A, Center, Radius, LowLimit, HighLimit);
}
double LocalMean(const TIntArray& A, I32 Center, I32 Radius, I32 LowLimit, I32 HighLimit) {
  return detail::arraystat::LocalMeanOf(A, Center, Radius, LowLimit, HighLimit);
}
double LocalMedian(const TDoubleArray& A, I32 Center, I32 Radius, I32 LowLimit, I32 HighLimit) {
  return detail::arraystat::LocalMedianOf(A, Center, Radius, LowLimit, HighLimit);
}
double LocalMedian(const TIntArray& A, I32 Center, I32 Radius, I32 LowLimit, I32 HighLimit) {
  return detail::arraystat::LocalMedianOf(A, Center, Radius, LowLimit, HighLimit);
}

I32 CheckLinearity(const TIntArray& A, TIntArray& Breaks) {
  return detail::arraystat::CheckLinearityOf(A, 0.0, Breaks);
}
I32 CheckLinearity(const TDoubleArray& A, double Tol, TIntArray& Breaks) {
  return detail::arraystat::CheckLinearityOf(A, Tol, Breaks);
}

bool IsMonotone(const TDoubleArray& A) { return detail::arraystat::IsMonotoneOf(A); }
bool IsMonotone(const TIntArray& A) { return detail::arraystat::IsMonotoneOf(A); }
bool IsStrictlyMonotone(const TDoubleArray& A) { return detail::arraystat::IsStrictlyMonotoneOf(A); }
bool IsStrictlyMonotone(const TIntArray& A) { return detail::arraystat::IsStrictlyMonotoneOf(A); }
bool IsDichotomous(const TDoubleArray& A, double& Val1, double& Val2) {
  return detail::arraystat::IsDichotomousOf(A, Val1, Val2);
}
bool IsDichotomous(const TIntArray& A, I32& Val1, I32& Val2) {
  return detail::arraystat::IsDichotomousOf(A, Val1, Val2);
}

}  // namespace qmx
