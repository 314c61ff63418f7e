/// \file
/// The dense work matrix of the array statistics: unpacking into 2-D arrays and
/// the processor test that chooses the kernels.

#include "qmx/openarrays/arraystat_dense.hpp"

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

void UnpackArray(const TDenseMatrix& m, TDouble2DArray& a) {
  TDouble2DArray out(m.cols);
  for (std::size_t c = 0; c < m.cols; ++c) {
    out[c].assign(m.Col(c), m.Col(c) + m.rows);
  }
  a = std::move(out);
}

}  // namespace qmx::detail::arraystat
