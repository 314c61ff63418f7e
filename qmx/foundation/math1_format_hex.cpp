// Floating-point bit patterns as hexadecimal text and back.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "qmx/foundation/math1_format.hpp"

namespace qmx {

namespace {

// Number of value bytes of an 80-bit extended float (the rest of its storage is padding).
constexpr std::size_t kExtendedBytes = 10;
static_assert(sizeof(Extended) >= kExtendedBytes, "Extended must hold the 80-bit format");

// Upper-case hexadecimal of `count` bytes in memory (little-endian) order,
// most significant byte first.
std::string BytesToHex(const unsigned char* bytes, std::size_t count) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out(2 * count, '0');
  for (std::size_t i = 0; i < count; ++i) {
    const unsigned char b = bytes[count - 1 - i];
    out[2 * i] = kDigits[b >> 4];
    out[2 * i + 1] = kDigits[b & 0x0F];
  }
  return out;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  return -1;
}

// Reads exactly `count` bytes of hex digit pairs into memory order; raises
// EQMXError "<function>: invalid hex string "<s>"" on any fault.
std::array<unsigned char, kExtendedBytes> HexToBytes(std::string_view s, std::size_t count, bool msbFirst,
                                                     std::string_view function) {
  std::array<unsigned char, kExtendedBytes> bytes{};
  bool ok = s.size() == 2 * count;
  for (std::size_t i = 0; ok && i < count; ++i) {
    const int hi = HexDigitValue(s[2 * i]);
    const int lo = HexDigitValue(s[2 * i + 1]);
    ok = hi >= 0 && lo >= 0;
    const std::size_t at = msbFirst ? count - 1 - i : i;
    bytes[at] = static_cast<unsigned char>(ok ? hi * 16 + lo : 0);
  }
  if (!ok) {
    std::string msg(function);
    msg += ": invalid hex string \"";
    msg += s;
    msg += '"';
    throw EQMXError(msg);
  }
  return bytes;
}

}  // namespace

std::string FPNumToHex(float x) {
  unsigned char bytes[sizeof(float)];
  std::memcpy(bytes, &x, sizeof(float));
  return BytesToHex(bytes, sizeof(float));
}

std::string FPNumToHex(double x) {
  unsigned char bytes[sizeof(double)];
  std::memcpy(bytes, &x, sizeof(double));
  return BytesToHex(bytes, sizeof(double));
}

std::string FPNumToHex(Extended x) {
  unsigned char bytes[sizeof(Extended)];
  std::memcpy(bytes, &x, sizeof(Extended));
  return BytesToHex(bytes, kExtendedBytes);
}

double HexToDouble(std::string_view s, bool msbFirst) {
  const auto bytes = HexToBytes(s, sizeof(double), msbFirst, "HexToDouble");
  double x = 0.0;
  std::memcpy(&x, bytes.data(), sizeof(double));
  return x;
}

float HexToSingle(std::string_view s, bool msbFirst) {
  const auto bytes = HexToBytes(s, sizeof(float), msbFirst, "HexToSingle");
  float x = 0.0F;
  std::memcpy(&x, bytes.data(), sizeof(float));
  return x;
}

Extended HexToExtended(std::string_view s) {
  const auto bytes = HexToBytes(s, kExtendedBytes, true, "HexToExtended");
  Extended x = 0.0L;
  std::memset(&x, 0, sizeof(Extended));
  std::memcpy(&x, bytes.data(), kExtendedBytes);
  return x;
}

}  // namespace qmx
