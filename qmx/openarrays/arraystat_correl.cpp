/// \file
/// Correlation of array columns and distances between objects (rows).

#include <algorithm>
#include <cmath>

#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraystat_detail.hpp"

namespace qmx {

using detail::arraystat::I32;

double PearsonCorrCoeffColsOfArray(const TDouble2DArray& A, I32 Col1, I32 Col2) {
  if (detail::arraystat::IsEmptyArr(A)) {
    return 0.0;
  }
  const auto nc = static_cast<std::int64_t>(A.size());
  if (Col1 < 0 || Col1 >= nc || Col2 < 0 || Col2 >= nc) {
    return 0.0;
  }
  const std::size_t n = A[0].size();
  const auto& x = A[static_cast<std::size_t>(Col1)];
  const auto& y = A[static_cast<std::size_t>(Col2)];
  if (n < 3 || x.size() != n || y.size() != n) {
    return 0.0;
  }
  Extended sx = 0.0L;
  Extended sy = 0.0L;
  Extended sxx = 0.0L;
  Extended syy = 0.0L;
  Extended sxy = 0.0L;
  for (std::size_t i = 0; i < n; ++i) {
    const Extended xi = x[i];
    const Extended yi = y[i];
    sx += xi;
    sy += yi;
    sxx += xi * xi;
    syy += yi * yi;
    sxy += xi * yi;
  }
  if (!(sxx > 0.0L) || !(syy > 0.0L)) {
    return 0.0;
  }
  const auto en = static_cast<Extended>(n);
  const Extended qx = sxx - sx * sx / en;
  const Extended qy = syy - sy * sy / en;
  if (qx == 0.0L || qy == 0.0L) {
    return 0.0;
  }
  return static_cast<double>((sxy - sx * sy / en) / std::sqrt(std::fabs(qx * qy)));
}

I32 DistanceOfObjects(const TDouble2DArray& A, TDistMode Mode, I32 RowA, I32 RowB, I32 FirstCol, I32 LastCol,
                      double& Dist) {
  Dist = 0.0;
  const auto len = detail::arraystat::LengthsOf(A);
  I32 rc = 0;
  if (static_cast<std::uint8_t>(Mode) >= static_cast<std::uint8_t>(TDistMode::dmUser)) {
    rc = -1;
  }
  if (RowA < 0 || RowA >= len[1] || RowB < 0 || RowB >= len[1]) {
    rc = -2;
  }
  if (FirstCol < 0 || FirstCol >= len[0] || LastCol < 0 || LastCol >= len[0]) {
    rc = -3;
  }
  if (LastCol < FirstCol) {
    rc = -4;
  }
  if (rc != 0) {
    return rc;
  }
  const auto ra = static_cast<std::size_t>(RowA);
  const auto rb = static_cast<std::size_t>(RowB);
  for (I32 c = FirstCol; c <= LastCol; ++c) {
    if (A[static_cast<std::size_t>(c)].size() <= std::max(ra, rb)) {
      return -2;  // a column too short for the rows
    }
  }
  Extended sxy = 0.0L;
  Extended sxx = 0.0L;
  Extended syy = 0.0L;
  Extended sabs = 0.0L;
  Extended ssq = 0.0L;
  for (I32 c = FirstCol; c <= LastCol; ++c) {
    const auto& col = A[static_cast<std::size_t>(c)];
    const Extended x = col[ra];
    const Extended y = col[rb];
    sxy += x * y;
    sxx += x * x;
    syy += y * y;
    sabs += std::fabs(x - y);
    ssq += (x - y) * (x - y);
  }
  Extended d = 0.0L;
  switch (Mode) {
    case TDistMode::dmTanimoto: {
      const Extended den = sxx + syy - sxy;
      d = den != 0.0L ? sxy / den : 0.0L;
      break;
    }
    case TDistMode::dmManhattan:
      d = sabs;
      break;
    case TDistMode::dmEuclid:
      d = std::sqrt(ssq);
      break;
    case TDistMode::dmEuclidSq:
      d = ssq;
      break;
    case TDistMode::dmDice: {
      const Extended den = sxx + syy;
      d = den != 0.0L ? 2.0L * sxy / den : 0.0L;
      break;
    }
    default:
      break;
  }
  Dist = static_cast<double>(d);
  return 0;
}

}  // namespace qmx
