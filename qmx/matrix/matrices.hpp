#pragma once
/// \file
/// The `matrix` unit: `TMatrix` (64-bit floats), `TIntMatrix` (32-bit integers)
/// and the shared matrix file formats.

#include "qmx/matrix/intmatrix.hpp"
#include "qmx/matrix/matrix.hpp"
#include "qmx/matrix/matrix_formats.hpp"
