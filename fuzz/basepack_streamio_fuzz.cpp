// libFuzzer harness of the stream value readers (`ReadLongintFromStream`,
// `ReadExtendedFromStream`) on a memory stream.  Input: a count byte n (1 + its
// value mod 16 operation bytes follow), the operation bytes, then the stream's
// bytes.  Operation byte b: b & 3 picks a 32-bit read, an 80-bit read, or a seek
// (to b >> 3 from the start, or b >> 3 back from the end when bit 2 is set).
// Results, values and positions must follow the documented layout; an 80-bit
// value must decode as the portable decoder does and encode back to itself.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"

namespace {

bool SameValue(qmx::Extended a, qmx::Extended b) {
  if (std::isnan(a) || std::isnan(b)) {
    return std::isnan(a) && std::isnan(b);
  }
  return a == b && std::signbit(a) == std::signbit(b);
}

void CheckLongint(qmx::TMemoryStream& s, std::string_view bytes, std::int64_t& pos) {
  std::int32_t v = 7;
  const bool fits = static_cast<std::int64_t>(bytes.size()) - pos >= 4;
  QMX_FUZZ_CHECK(qmx::ReadLongintFromStream(&s, v) == fits);
  if (!fits) {
    QMX_FUZZ_CHECK(v == 0);
    return;
  }
  std::uint32_t want = 0;
  for (int i = 0; i < 4; ++i) {
    want |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[static_cast<std::size_t>(pos) + i])) << (8 * i);
  }
  QMX_FUZZ_CHECK(static_cast<std::uint32_t>(v) == want);
  pos += 4;
}

void CheckExtended(qmx::TMemoryStream& s, std::string_view bytes, std::int64_t& pos) {
  qmx::Extended v = 7.0L;
  const bool fits = static_cast<std::int64_t>(bytes.size()) - pos >= 10;
  const bool ok = qmx::ReadExtendedFromStream(&s, v);
  if (!fits) {
    QMX_FUZZ_CHECK(!ok && v == 0.0L);
    return;
  }
  std::uint8_t raw[10];
  std::memcpy(raw, bytes.data() + pos, 10);
  pos += 10;  // consumed also when the encoding is invalid
  const std::uint16_t exponent = static_cast<std::uint16_t>((raw[8] | (raw[9] << 8)) & 0x7FFF);
  const bool integerBit = (raw[7] & 0x80u) != 0;
  const bool valid = exponent == 0 || integerBit;
  QMX_FUZZ_CHECK(ok == valid);
  qmx::Extended portable = 0.0L;
  QMX_FUZZ_CHECK(qmx::detail::UnpackExtended80Portable(raw, portable) == valid);
  QMX_FUZZ_CHECK(SameValue(v, portable));
  if (!valid) {
    QMX_FUZZ_CHECK(std::isnan(v));
    return;
  }
  // Written again, the value reads back as itself; a canonical encoding (not a
  // NaN, not a denormal exponent with the integer bit set) is written as read.
  std::uint8_t again[10];
  qmx::detail::PackExtended80(v, again);
  qmx::Extended back = 0.0L;
  QMX_FUZZ_CHECK(qmx::detail::UnpackExtended80(again, back) && SameValue(back, v));
  if (!std::isnan(v) && !(exponent == 0 && integerBit)) {
    std::uint8_t portableBytes[10];
    qmx::detail::PackExtended80Portable(v, portableBytes);
    QMX_FUZZ_CHECK(std::memcmp(portableBytes, raw, 10) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qmx::fuzz::ByteReader in(data, size);
  const std::size_t count = 1 + in.Byte() % 16u;
  std::uint8_t ops[16];
  for (std::size_t i = 0; i < count; ++i) {
    ops[i] = in.Byte();
  }
  const std::string_view bytes = in.Rest();
  qmx::TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
  std::int64_t pos = 0;
  const std::size_t steps = 2 * (bytes.size() + count) + 8;
  for (std::size_t i = 0; i < steps; ++i) {
    const std::uint8_t b = ops[i % count];
    switch (b & 3u) {
      case 0: CheckLongint(s, bytes, pos); break;
      case 1: CheckExtended(s, bytes, pos); break;
      default:
        if ((b & 4u) == 0) {
          pos = b >> 3;
          s.Seek(pos, qmx::TSeekOrigin::soBeginning);
        } else {
          pos = std::max<std::int64_t>(0, static_cast<std::int64_t>(bytes.size()) - (b >> 3));
          s.Seek(-(b >> 3), qmx::TSeekOrigin::soEnd);
        }
        break;
    }
    QMX_FUZZ_CHECK(s.Position() == pos);
    QMX_FUZZ_CHECK(s.Size() == static_cast<std::int64_t>(bytes.size()));
  }
  // A nil stream is refused.
  std::int32_t i32 = 1;
  qmx::Extended x = 1.0L;
  QMX_FUZZ_CHECK(!qmx::ReadLongintFromStream(nullptr, i32) && i32 == 0);
  QMX_FUZZ_CHECK(!qmx::ReadExtendedFromStream(nullptr, x) && x == 0.0L);
  return 0;
}
