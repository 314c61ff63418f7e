// Private helpers of the vector unit: number words and integer rounding.

#include "qmx/vector/vector_internal.hpp"

#include <charconv>
#include <cmath>
#include <system_error>

namespace qmx::detail {

namespace {

template <class F>
bool RoundHalfEven(F x, std::int32_t& Out) {
  if (!(x >= F(-2147483648.5L) && x <= F(2147483647.5L))) {
    return false;  // NaN or surely outside
  }
  const F lower = std::floor(x);
  const F diff = x - lower;
  F r = lower;
  if (diff > F(0.5L)) {
    r = lower + 1;
  } else if (diff == F(0.5L)) {
    r = std::fmod(lower, F(2)) == 0 ? lower : lower + 1;
  }
  if (r < F(-2147483648.0L) || r > F(2147483647.0L)) {
    return false;
  }
  Out = static_cast<std::int32_t>(r);
  return true;
}

}  // namespace

bool RoundToInt32(double x, std::int32_t& Out) { return RoundHalfEven(x, Out); }
bool RoundToInt32(Extended x, std::int32_t& Out) { return RoundHalfEven(x, Out); }

bool ParseRealWord(std::string_view Word, double& Value, bool AllowNonFinite) {
  if (AllowNonFinite) {
    if (Word == "NAN") {
      Value = kVecNaN;
      return true;
    }
    if (Word == "INF" || Word == "+INF") {
      Value = std::numeric_limits<double>::infinity();
      return true;
    }
    if (Word == "-INF") {
      Value = -std::numeric_limits<double>::infinity();
      return true;
    }
  }
  if (Word.size() > 1 && Word[0] == '+' && Word[1] != '-' && Word[1] != '+') {
    Word.remove_prefix(1);
  }
  if (Word.empty()) {
    return false;
  }
  // from_chars also takes "inf", "nan" and "infinity": only digits, signs,
  // points and exponents are numbers here.
  for (const char c : Word) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) {
      return false;
    }
  }
  const char* first = Word.data();
  const char* last = Word.data() + Word.size();
  double v = 0.0;
  const auto [end, ec] = std::from_chars(first, last, v, std::chars_format::general);
  if (end != last) {
    return false;
  }
  if (ec == std::errc::result_out_of_range) {
    // Too small for a double: a signed zero; too large: refused.
    long double wide = 0.0L;
    const auto res = std::from_chars(first, last, wide, std::chars_format::general);
    if (res.ec != std::errc() || res.ptr != last || !(std::fabs(wide) < 1.0L)) {
      return false;
    }
    Value = std::signbit(wide) ? -0.0 : 0.0;
    return true;
  }
  if (ec != std::errc() || !std::isfinite(v)) {
    return false;
  }
  Value = v;
  return true;
}

}  // namespace qmx::detail
