/// \file
/// The dense work matrix of the array statistics: unpacking into 2-D arrays and
/// the processor test that chooses the kernels.

#include "qmx/openarrays/arraystat_dense.hpp"

#include <cmath>
#include <utility>

namespace qmx::detail::arraystat {

bool CpuHasAvx2() {
#ifdef QMX_ARRAYSTAT_AVX2
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
#else
  return false;
#endif
}

int ScaleToUnitRange(TDenseMatrix& m, double amax) {
  if (!(amax > 0.0) || !std::isfinite(amax) || (amax <= 0x1p500 && amax >= 0x1p-500)) {
    return 0;
  }
  const int e = std::ilogb(amax);
  for (double& v : m.v) {
    v = std::ldexp(v, -e);
  }
  return e;
}

void UnpackArray(const TDenseMatrix& m, TDouble2DArray& a) {
  TDouble2DArray out(m.cols);
  for (std::size_t c = 0; c < m.cols; ++c) {
    out[c].assign(m.Col(c), m.Col(c) + m.rows);
  }
  a = std::move(out);
}

}  // namespace qmx::detail::arraystat
