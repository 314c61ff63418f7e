#include "qmx/foundation/frame.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#include "qmx/foundation/basepack.hpp"

namespace qmx {

std::string ComponentMessage(const TComponent* Component, std::string_view Tail) {
  std::string msg = "Component \"";
  if (Component != nullptr) {
    msg += Component->Name();
  }
  msg += Tail;
  return msg;
}

bool ProgressStep() {
  const double now = ProcStat.fetch_add(1.0) + 1.0;
  if (MathFeedBackProc) {
    MathFeedBackProc(now);
  }
  return AbortRequested();
}

void ProgressReport() {
  if (MathFeedBackProc) {
    MathFeedBackProc(ProcStat.load());
  }
}

std::int32_t PercentOf(double done, double total) {
  // Extended precision: the quotient of two finite doubles times 100 cannot overflow.
  const Extended p = std::nearbyint(100.0L * static_cast<Extended>(done) / static_cast<Extended>(total));
  if (!(total > 0.0) || std::isnan(p)) {
    return 0;  // also NaN and infinity / infinity
  }
  constexpr Extended lo = std::numeric_limits<std::int32_t>::min();
  constexpr Extended hi = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(p, lo, hi));
}

template <std::size_t Lanes>
void TLaneCRC<Lanes>::AddElement(const std::uint8_t* bytes) {
  for (std::size_t k = 0; k < Lanes; ++k) {
    acc_[k] = CalcNextCRC32(bytes[k], acc_[k]);
  }
}

template <std::size_t Lanes>
void TLaneCRC<Lanes>::AddElements(const void* data, std::size_t count) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < count; ++i) {
    AddElement(bytes + i * Lanes);
  }
}

template <std::size_t Lanes>
std::string TLaneCRC<Lanes>::Result() const {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out(Lanes * 8, '0');
  for (std::size_t k = 0; k < Lanes; ++k) {
    const std::uint32_t v = ~acc_[k];
    for (int d = 0; d < 8; ++d) {
      out[k * 8 + static_cast<std::size_t>(d)] = kDigits[(v >> (28 - 4 * d)) & 0xFu];
    }
  }
  return out;
}

template class TLaneCRC<4>;
template class TLaneCRC<8>;

// The lanes follow the little-endian byte order of the values; x86-64 and the
// other supported targets store them that way.
static_assert(std::endian::native == std::endian::little, "little-endian targets only");

std::string ContentCRC(std::span<const double> Data) {
  if (Data.empty()) {
    return {};
  }
  TLaneCRC<8> crc;
  crc.AddElements(Data.data(), Data.size());
  return crc.Result();
}

std::string ContentCRC(std::span<const std::int32_t> Data) {
  if (Data.empty()) {
    return {};
  }
  TLaneCRC<4> crc;
  crc.AddElements(Data.data(), Data.size());
  return crc.Result();
}

}  // namespace qmx
