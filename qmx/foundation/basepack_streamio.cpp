// 32-bit integers and 80-bit extended floats on byte streams.

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "qmx/foundation/basepack.hpp"

namespace qmx {

static_assert(std::endian::native == std::endian::little, "little-endian targets only");

namespace {

constexpr std::uint64_t kIntegerBit = std::uint64_t{1} << 63;
constexpr int kExpBias = 16383;
constexpr std::uint16_t kExpMax = 0x7FFF;

/// True when long double is the x87 80-bit format (x86 and x86-64).
constexpr bool kNativeX87 = std::numeric_limits<long double>::digits == 64 &&
                            std::numeric_limits<long double>::max_exponent == 16384;

void StoreFields(std::uint64_t mant, std::uint16_t signExp, std::uint8_t* out) {
  for (int i = 0; i < 8; ++i) {
    out[i] = static_cast<std::uint8_t>(mant >> (8 * i));
  }
  out[8] = static_cast<std::uint8_t>(signExp & 0xFFu);
  out[9] = static_cast<std::uint8_t>(signExp >> 8);
}

void LoadFields(const std::uint8_t* in, std::uint64_t& mant, std::uint16_t& signExp) {
  mant = 0;
  for (int i = 0; i < 8; ++i) {
    mant |= static_cast<std::uint64_t>(in[i]) << (8 * i);
  }
  signExp = static_cast<std::uint16_t>(in[8] | (in[9] << 8));
}

/// Encodings the x87 unit does not accept as operands: a non-zero exponent
/// with the integer bit clear (unnormals, pseudo-infinities, pseudo-NaNs).
bool IsInvalidEncoding(std::uint64_t mant, std::uint16_t signExp) {
  const std::uint16_t e = signExp & kExpMax;
  return e != 0 && (mant & kIntegerBit) == 0;
}

bool HasRoom(TStream* stream, std::int64_t count) {
  return stream->Size() - stream->Position() >= count;
}

/// Reads exactly count bytes or restores the position and fails.
bool ReadAll(TStream* stream, void* buf, std::int64_t count) {
  if (!HasRoom(stream, count)) {
    return false;
  }
  const std::int64_t start = stream->Position();
  if (stream->Read(buf, count) != count) {
    stream->SetPosition(start);
    return false;
  }
  return true;
}

}  // namespace

namespace detail {

void PackExtended80Portable(Extended Value, std::uint8_t* Out10) {
  const std::uint16_t sign = std::signbit(Value) ? 0x8000u : 0u;
  if (std::isnan(Value)) {
    StoreFields(kIntegerBit | (kIntegerBit >> 1), static_cast<std::uint16_t>(sign | kExpMax), Out10);
    return;
  }
  if (std::isinf(Value)) {
    StoreFields(kIntegerBit, static_cast<std::uint16_t>(sign | kExpMax), Out10);
    return;
  }
  if (Value == 0.0L) {
    StoreFields(0, sign, Out10);
    return;
  }
  int e = 0;
  const Extended m = std::frexp(std::fabs(Value), &e);  // |Value| = m 2^e, m in [0.5, 1)
  int biased = e - 1 + kExpBias;
  // The significand with its integer bit on top (truncated where long double is wider).
  auto mant = static_cast<std::uint64_t>(std::ldexp(m, 64));
  if (biased >= kExpMax) {
    StoreFields(kIntegerBit, static_cast<std::uint16_t>(sign | kExpMax), Out10);
    return;
  }
  if (biased <= 0) {
    const int shift = 1 - biased;
    mant = shift >= 64 ? 0 : mant >> shift;
    biased = 0;
  }
  StoreFields(mant, static_cast<std::uint16_t>(sign | static_cast<std::uint16_t>(biased)), Out10);
}

bool UnpackExtended80Portable(const std::uint8_t* In10, Extended& Value) {
  std::uint64_t mant = 0;
  std::uint16_t signExp = 0;
  LoadFields(In10, mant, signExp);
  if (IsInvalidEncoding(mant, signExp)) {
    Value = std::numeric_limits<Extended>::quiet_NaN();
    return false;
  }
  const bool negative = (signExp & 0x8000u) != 0;
  const int e = signExp & kExpMax;
  Extended v = 0.0L;
  if (e == kExpMax) {
    v = (mant << 1) == 0 ? std::numeric_limits<Extended>::infinity() : std::numeric_limits<Extended>::quiet_NaN();
  } else {
    // Denormals (and pseudo-denormals) have the exponent of the smallest normal.
    const int unbiased = (e == 0 ? 1 : e) - kExpBias - 63;
    v = std::ldexp(static_cast<Extended>(mant), unbiased);
  }
  Value = negative ? -v : v;
  return true;
}

void PackExtended80(Extended Value, std::uint8_t* Out10) {
  if constexpr (kNativeX87) {
    std::memcpy(Out10, &Value, 10);
  } else {
    PackExtended80Portable(Value, Out10);
  }
}

bool UnpackExtended80(const std::uint8_t* In10, Extended& Value) {
  if constexpr (kNativeX87) {
    std::uint64_t mant = 0;
    std::uint16_t signExp = 0;
    LoadFields(In10, mant, signExp);
    if (IsInvalidEncoding(mant, signExp)) {
      Value = std::numeric_limits<Extended>::quiet_NaN();
      return false;
    }
    Extended v = 0.0L;  // the padding bytes beyond the 10 used ones stay zero
    std::memcpy(&v, In10, 10);
    Value = v;
    return true;
  } else {
    return UnpackExtended80Portable(In10, Value);
  }
}

}  // namespace detail

bool WriteLongintToStream(TStream* Stream, std::int32_t Value) {
  if (Stream == nullptr) {
    return false;
  }
  const auto u = static_cast<std::uint32_t>(Value);
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8),
                                 static_cast<std::uint8_t>(u >> 16), static_cast<std::uint8_t>(u >> 24)};
  return Stream->Write(bytes, 4) == 4;
}

bool ReadLongintFromStream(TStream* Stream, std::int32_t& Value) {
  Value = 0;
  std::uint8_t bytes[4] = {};
  if (Stream == nullptr || !ReadAll(Stream, bytes, 4)) {
    return false;
  }
  const std::uint32_t u = static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
                          (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
  Value = static_cast<std::int32_t>(u);
  return true;
}

bool WriteExtendedToStream(TStream* Stream, Extended Value) {
  if (Stream == nullptr) {
    return false;
  }
  std::uint8_t bytes[10];
  detail::PackExtended80(Value, bytes);
  return Stream->Write(bytes, 10) == 10;
}

bool ReadExtendedFromStream(TStream* Stream, Extended& Value) {
  Value = 0.0L;
  std::uint8_t bytes[10] = {};
  if (Stream == nullptr || !ReadAll(Stream, bytes, 10)) {
    return false;
  }
  return detail::UnpackExtended80(bytes, Value);
}

}  // namespace qmx
