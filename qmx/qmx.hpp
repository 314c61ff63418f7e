#pragma once
/// \file
/// Umbrella header: includes every unit of the library.

#include "qmx/foundation/platform.hpp"
#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/math1.hpp"
#include "qmx/foundation/complex.hpp"
#include "qmx/openarrays/openarrays.hpp"
#include "qmx/vector/vectors.hpp"
#include "qmx/fourier/fourier.hpp"
#include "qmx/wavelet/wavelet.hpp"
#include "qmx/sline/sline.hpp"
#include "qmx/matrix/matrices.hpp"
