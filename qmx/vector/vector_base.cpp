// The shared vector template, instantiated once for both element types.

#include "qmx/vector/intvector.hpp"
#include "qmx/vector/vector.hpp"
#include "qmx/vector/vector_impl_copy.hpp"
#include "qmx/vector/vector_impl_core.hpp"
#include "qmx/vector/vector_impl_io.hpp"
#include "qmx/vector/vector_impl_sort.hpp"
#include "qmx/vector/vector_impl_stats.hpp"

namespace qmx::detail {

template class TVectorBase<double, TVector>;
template class TVectorBase<std::int32_t, TIntVector>;

}  // namespace qmx::detail
