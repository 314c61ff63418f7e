// The shared matrix template instantiated for 32-bit integer elements.

#include "qmx/matrix/intmatrix.hpp"
#include "qmx/matrix/matrix_impl_core.hpp"
#include "qmx/matrix/matrix_impl_io.hpp"
#include "qmx/matrix/matrix_impl_stats.hpp"
#include "qmx/matrix/matrix_impl_xml.hpp"

namespace qmx {

template class detail::TMatrixBase<std::int32_t, TIntMatrix>;

}  // namespace qmx
