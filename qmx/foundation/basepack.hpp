#pragma once
/// \file
/// The base support layer: CRC-32 step, bit field, mixed text and binary file
/// stream, stream value helpers, ASC header reader, tag readers, string
/// helpers, `strff`, colour conversions and numeric constants.

#include <cstdint>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"

namespace qmx {

/// Updates a running CRC-32 (IEEE 802.3 polynomial, reflected, 0xEDB88320) by
/// one byte.  Callers start at 0xFFFFFFFF and complement the final value.
std::uint32_t CalcNextCRC32(std::uint8_t Data, std::uint32_t CRC);

}  // namespace qmx
