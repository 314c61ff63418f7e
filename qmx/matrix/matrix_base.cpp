// The shared matrix template instantiated for 64-bit float elements.

#include "qmx/matrix/matrix.hpp"
#include "qmx/matrix/matrix_impl_core.hpp"
#include "qmx/matrix/matrix_impl_io.hpp"
#include "qmx/matrix/matrix_impl_stats.hpp"
#include "qmx/matrix/matrix_impl_xml.hpp"

namespace qmx {

template class detail::TMatrixBase<double, TMatrix>;

}  // namespace qmx
