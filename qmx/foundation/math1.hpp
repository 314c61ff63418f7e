#pragma once
/// \file
/// The `math1` unit: primitives (exchange, sort, select, compensated sums,
/// random generators, polynomials), scalar math and plane helpers, and number
/// formatting and conversion.

#include "qmx/foundation/math1_primitives.hpp"
#include "qmx/foundation/math1_scalar.hpp"
#include "qmx/foundation/math1_format.hpp"
