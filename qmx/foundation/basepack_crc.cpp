#include <array>

#include "qmx/foundation/basepack.hpp"

namespace qmx {

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    std::uint32_t c = n;
    for (int k = 0; k < 8; ++k) {
      c = (c & 1u) ? (0xEDB88320u ^ (c >> 1)) : (c >> 1);
    }
    table[n] = c;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

}  // namespace

std::uint32_t CalcNextCRC32(std::uint8_t Data, std::uint32_t CRC) {
  return kCrcTable[(CRC ^ Data) & 0xFFu] ^ (CRC >> 8);
}

}  // namespace qmx
