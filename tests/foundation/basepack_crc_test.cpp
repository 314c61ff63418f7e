#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

#include "qmx/foundation/basepack.hpp"

namespace qmx {
namespace {

std::uint32_t Crc32Of(std::string_view text) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char c : text) {
    crc = CalcNextCRC32(static_cast<std::uint8_t>(c), crc);
  }
  return ~crc;
}

// Bit-at-a-time CRC-32 with the reflected IEEE polynomial, independent of the table.
std::uint32_t BitwiseCrc32(const std::vector<std::uint8_t>& data) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const std::uint8_t b : data) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) {
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
  }
  return ~crc;
}

TEST(BasepackCRC32, KnownCheckValues) {
  EXPECT_EQ(Crc32Of(""), 0x00000000u);
  EXPECT_EQ(Crc32Of("a"), 0xE8B7BE43u);
  EXPECT_EQ(Crc32Of("123456789"), 0xCBF43926u);
  EXPECT_EQ(Crc32Of("The quick brown fox jumps over the lazy dog"), 0x414FA339u);
}

TEST(BasepackCRC32, MatchesBitwiseReferenceOnRandomData) {
  std::mt19937 gen(42);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int len : {1, 2, 7, 64, 1000}) {
    std::vector<std::uint8_t> data(static_cast<std::size_t>(len));
    for (auto& b : data) {
      b = static_cast<std::uint8_t>(byte(gen));
    }
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t b : data) {
      crc = CalcNextCRC32(b, crc);
    }
    EXPECT_EQ(~crc, BitwiseCrc32(data)) << "length " << len;
  }
}

}  // namespace
}  // namespace qmx
