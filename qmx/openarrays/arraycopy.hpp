#pragma once

#include "qmx/foundation/frame.hpp"

namespace qmx {}  // namespace qmx
