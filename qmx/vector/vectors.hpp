#pragma once
/// \file
/// The `vector` unit: `TVector` (64-bit floats) and `TIntVector` (32-bit integers).

#include "qmx/vector/intvector.hpp"
#include "qmx/vector/vector.hpp"
