// Integer, Roman, fixed-point, scientific and engineering texts.

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <system_error>

#include "qmx/foundation/math1_format.hpp"
#include "qmx/foundation/math1_format_detail.hpp"

namespace qmx {

namespace detail {

std::string SpecialText(Extended x) {
  if (std::isnan(x)) {
    return "NAN";
  }
  return x < 0 ? "-INF" : "INF";
}

std::string PadLeft(std::string s, int width) {
  if (width > 0 && s.size() < static_cast<std::size_t>(width)) {
    s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
  }
  return s;
}

namespace {

// Fixed-point digits through std::to_chars; a small stack buffer serves the
// usual sizes, a heap buffer the rare very large values.
template <class T>
std::string FixedStrT(T x, int width, int decimals) {
  if (!std::isfinite(x)) {
    return PadLeft(SpecialText(static_cast<Extended>(x)), width);
  }
  decimals = std::max(decimals, 0);
  std::array<char, 128> small{};
  auto r = std::to_chars(small.data(), small.data() + small.size(), x, std::chars_format::fixed, decimals);
  std::string text;
  if (r.ec == std::errc{}) {
    text.assign(small.data(), r.ptr);
  } else {
    // The longest integer part of an Extended has 4933 digits.
    text.assign(static_cast<std::size_t>(5000 + decimals), '\0');
    r = std::to_chars(text.data(), text.data() + text.size(), x, std::chars_format::fixed, decimals);
    text.resize(r.ec == std::errc{} ? static_cast<std::size_t>(r.ptr - text.data()) : 0);
  }
  // No "-" in front of a text that shows only zeros ("-0.00").
  if (!text.empty() && text[0] == '-' && text.find_first_of("123456789") == std::string::npos) {
    text.erase(0, 1);
  }
  return PadLeft(std::move(text), width);
}

}  // namespace

std::string FixedStr(double x, int width, int decimals) { return FixedStrT(x, width, decimals); }
std::string FixedStr(Extended x, int width, int decimals) { return FixedStrT(x, width, decimals); }

}  // namespace detail

namespace {

using detail::PadLeft;

// The lowest `digits` digits of v in base 2^bits, zero-padded.
std::string PatternDigits(std::uint32_t v, int digits, int bits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const std::uint64_t wide = v;
  const std::uint64_t mask = (std::uint64_t{1} << bits) - 1;
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = 0; i < digits; ++i) {
    const int shift = i * bits;
    if (shift >= 64) {
      break;
    }
    out[static_cast<std::size_t>(digits - 1 - i)] = kDigits[(wide >> shift) & mask];
  }
  return out;
}

// Digits and decimal exponent of |x| rounded to `sig` significant digits
// (x finite and nonzero): digits without the point, exponent of the first digit.
struct TSciDigits {
  std::string digits;
  int exponent = 0;
};

TSciDigits SciDigits(double ax, int sig) {
  std::array<char, 64> buf{};
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), ax, std::chars_format::scientific, sig - 1);
  const std::string_view text(buf.data(), static_cast<std::size_t>(r.ptr - buf.data()));
  const std::size_t e = text.find('e');
  TSciDigits out;
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] != '.') {
      out.digits.push_back(text[i]);
    }
  }
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), out.exponent);
  return out;
}

// The scientific text in a field of w characters: sign character, d.ddd
// with clamp(w - 9, 1, 16) decimals, "E", exponent sign, four exponent digits.
std::string SciText(double x, int w) {
  const int m = std::clamp(w - 9, 1, 16);
  const TSciDigits sd = SciDigits(std::fabs(x), m + 1);
  std::string s;
  s.reserve(static_cast<std::size_t>(std::max(w, m + 9)));
  s.push_back(x < 0.0 ? '-' : ' ');
  s.push_back(sd.digits[0]);
  s.push_back('.');
  s.append(sd.digits, 1, std::string::npos);
  s.push_back('E');
  s.push_back(sd.exponent < 0 ? '-' : '+');
  const int ae = std::abs(sd.exponent);
  s.push_back(static_cast<char>('0' + ae / 1000 % 10));
  s.push_back(static_cast<char>('0' + ae / 100 % 10));
  s.push_back(static_cast<char>('0' + ae / 10 % 10));
  s.push_back(static_cast<char>('0' + ae % 10));
  return PadLeft(std::move(s), w);
}

// Floor division for the decade group of an exponent.
int FloorDiv3(int e) { return e >= 0 ? e / 3 : -((-e + 2) / 3); }

}  // namespace

std::string Decimal(std::int32_t n, std::int32_t digits) {
  const int d = std::clamp(digits, 1, 255);
  std::uint32_t a = n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n);
  std::string out(static_cast<std::size_t>(d) + (n < 0 ? 1 : 0), '0');
  if (n < 0) {
    out[0] = '-';
  }
  for (std::size_t i = out.size(); a != 0 && i > (n < 0 ? 1u : 0u); --i) {
    out[i - 1] = static_cast<char>('0' + a % 10);
    a /= 10;
  }
  return out;
}

std::string Hex(std::int32_t n, std::int32_t digits) {
  return PatternDigits(static_cast<std::uint32_t>(n), std::clamp(digits, 1, 16), 4);
}

std::string Octal(std::int32_t n, std::int32_t digits) {
  return PatternDigits(static_cast<std::uint32_t>(n), std::clamp(digits, 1, 11), 3);
}

std::string Bin(std::int32_t n, std::int32_t digits) {
  return PatternDigits(static_cast<std::uint32_t>(n), std::clamp(digits, 1, 32), 1);
}

std::string Roman(std::int32_t n) {
  static constexpr std::array<std::int32_t, 13> kValues{1000, 900, 500, 400, 100, 90, 50, 40, 10, 9, 5, 4, 1};
  static constexpr std::array<std::string_view, 13> kSymbols{"M",  "CM", "D",  "CD", "C",  "XC", "L",
                                                             "XL", "X",  "IX", "V",  "IV", "I"};
  std::string out;
  if (n < 1 || n >= 30000) {
    return out;
  }
  for (std::size_t i = 0; i < kValues.size(); ++i) {
    while (n >= kValues[i]) {
      out += kSymbols[i];
      n -= kValues[i];
    }
  }
  return out;
}

std::string strf(double x, std::int32_t width, std::int32_t decimals) {
  const int w = std::clamp(width, 0, 255);
  if (!std::isfinite(x)) {
    return PadLeft(detail::SpecialText(x), w);
  }
  if (decimals == -2) {
    std::string s = SciText(x, w + 2);
    const std::size_t len = s.size();
    if (s[len - 4] == '0' && s[len - 3] == '0') {
      s.erase(len - 4, 2);
    } else {
      s.assign(len - 2, '*');
    }
    return s;
  }
  if (decimals < 0) {
    return SciText(x, w);
  }
  return detail::FixedStr(x, w, std::min(decimals, 60));
}

std::string MakeEFormat(double x, std::int32_t width, std::int32_t sigdig) {
  const int sd = std::clamp(sigdig, 2, 15);
  const int w = std::clamp(width, 8, 40);
  if (!std::isfinite(x)) {
    return PadLeft(detail::SpecialText(x), w);
  }
  std::string digits(static_cast<std::size_t>(sd), '0');
  int exponent = 0;
  if (x != 0.0) {
    const TSciDigits sci = SciDigits(std::fabs(x), sd);
    digits = sci.digits;
    exponent = sci.exponent + 1;
  }
  std::string s;
  s.reserve(static_cast<std::size_t>(w));
  s.push_back(x < 0.0 ? '-' : ' ');
  s += "0.";
  s += digits;
  s.push_back('E');
  s.push_back(exponent < 0 ? '-' : '+');
  const int ae = std::abs(exponent);
  if (ae < 10) {
    s.push_back('0');
  }
  s += std::to_string(ae);
  return PadLeft(std::move(s), w);
}

std::string EEngStr(double x, std::int32_t digits) {
  const int d = std::clamp(digits, -9, 9);
  const int nd = std::max(1, std::abs(d));
  if (!std::isfinite(x)) {
    return detail::SpecialText(x);
  }
  if (x == 0.0) {
    return detail::FixedStr(0.0, 1, nd - 1);
  }
  const double ax = std::fabs(x);
  // The decade after rounding to nd digits, so that a carry (999.96 -> 1.00e3)
  // moves the value into the next group.
  const int e = SciDigits(ax, nd).exponent;
  const int k = std::clamp(FloorDiv3(e), -6, 4);
  Extended scale = 1.0L;
  for (int i = 0; i < std::abs(k) * 3; ++i) {
    scale *= 10.0L;  // exact: at most 10^18
  }
  const Extended mant = k >= 0 ? static_cast<Extended>(ax) / scale : static_cast<Extended>(ax) * scale;
  const int decimals = std::max(0, nd - 1 - (e - 3 * k));
  std::string text = detail::FixedStr(mant, 1, decimals);
  if (k != 0) {
    const char prefix = detail::kEngPrefixes[static_cast<std::size_t>(k + 6)];
    const std::size_t point = text.find('.');
    if (d < 0 && point != std::string::npos) {
      text[point] = prefix;
    } else {
      text.push_back(prefix);
    }
  }
  if (x < 0.0) {
    text.insert(0, 1, '-');
  }
  return text;
}

}  // namespace qmx
