#pragma once
/// \file
/// The `openarrays` unit: free functions over one- to four-dimensional dynamic
/// arrays (statistics and arithmetic; copy, fill and transform).

#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraycopy.hpp"
