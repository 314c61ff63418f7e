// Number formatting (strff), colour conversions and the ln(n!) table.

#include <algorithm>
#include <charconv>
#include <cmath>

#include "qmx/foundation/basepack.hpp"

namespace qmx {

namespace {

// ---- ln(n!) at compile time ----

constexpr Extended kLn2 = 0.693147180559945309417232121458176568L;

/// ln(x) for x >= 1: x = m 2^e with m in [sqrt(1/2), sqrt(2)], then
/// ln m = 2 atanh((m - 1)/(m + 1)) by its series.
constexpr Extended ConstLn(Extended x) {
  int e = 0;
  while (x >= 2.0L) {
    x /= 2.0L;
    ++e;
  }
  if (x > uc_sqrt2) {
    x /= 2.0L;
    ++e;
  }
  const Extended s = (x - 1.0L) / (x + 1.0L);
  const Extended s2 = s * s;
  Extended term = s;
  Extended sum = 0.0L;
  for (int k = 1; k < 201; k += 2) {
    const Extended add = term / static_cast<Extended>(k);
    sum += add;
    if (add < 1e-30L && add > -1e-30L) {
      break;
    }
    term *= s2;
  }
  return 2.0L * sum + static_cast<Extended>(e) * kLn2;
}

constexpr std::array<Extended, uc_LnFactorialMax + 1> MakeLnFactorial() {
  std::array<Extended, uc_LnFactorialMax + 1> t{};
  // Compensated summation keeps the table within a few units of the last place.
  Extended sum = 0.0L;
  Extended comp = 0.0L;
  t[0] = 0.0L;
  for (int n = 1; n <= uc_LnFactorialMax; ++n) {
    const Extended y = ConstLn(static_cast<Extended>(n)) - comp;
    const Extended next = sum + y;
    comp = (next - sum) - y;
    sum = next;
    t[static_cast<std::size_t>(n)] = sum;
  }
  return t;
}

// ---- strff helpers ----

/// True when the formatted number shows no non-zero digit (mantissa digits
/// only; the exponent of a scientific form is not looked at).
bool ShowsOnlyZeros(const char* first, const char* last) {
  for (const char* p = first; p != last; ++p) {
    if (*p == 'e' || *p == 'E') {
      break;
    }
    if (*p >= '1' && *p <= '9') {
      return false;
    }
  }
  return true;
}

int Clamp255(std::int32_t v) { return std::clamp(v, 0, 255); }

}  // namespace

constinit const std::array<Extended, uc_LnFactorialMax + 1> uc_LnFactorial = MakeLnFactorial();

std::string strff(Extended x, std::int32_t Width, std::int32_t Decimals) {
  const auto width = static_cast<std::size_t>(std::clamp(Width, 0, kStrffMaxWidth));
  std::string body;
  if (std::isnan(x)) {
    body = "NAN";
  } else if (std::isinf(x)) {
    body = x < 0 ? "-INF" : "INF";
  } else {
    // The fixed form of the largest extended value has 4933 integer digits.
    std::array<char, 5120> buf{};
    std::to_chars_result res{};
    if (Decimals >= 0) {
      res = std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::fixed,
                          std::min(Decimals, kStrffMaxDecimals));
    } else {
      const int decimals = Decimals < -kStrffMaxDecimals ? kStrffMaxDecimals : -Decimals;
      res = std::to_chars(buf.data(), buf.data() + buf.size(), x, std::chars_format::scientific, decimals);
    }
    if (res.ec != std::errc()) {
      body = "NAN";  // not reached: the buffer holds every finite value
    } else {
      const char* first = buf.data();
      if (*first == '-' && ShowsOnlyZeros(first + 1, res.ptr)) {
        ++first;  // no "-0.00"
      }
      body.assign(first, static_cast<std::size_t>(res.ptr - first));
      std::replace(body.begin(), body.end(), 'e', 'E');
    }
  }
  if (body.size() < width) {
    body.insert(0, width - body.size(), ' ');
  }
  return body;
}

double RGBtoGray(std::int32_t R, std::int32_t G, std::int32_t B) {
  return 0.299 * Clamp255(R) + 0.587 * Clamp255(G) + 0.114 * Clamp255(B);
}

void RGBtoHSI(std::int32_t R, std::int32_t G, std::int32_t B, double& Hue, double& Saturation,
              double& Intensity) {
  const double r = Clamp255(R);
  const double g = Clamp255(G);
  const double b = Clamp255(B);
  Intensity = (r + g + b) / 3.0;
  const double mn = std::min({r, g, b});
  Saturation = Intensity > 0.0 ? 1.0 - mn / Intensity : 0.0;
  const double num = 0.5 * ((r - g) + (r - b));
  const double den = std::sqrt((r - g) * (r - g) + (r - b) * (g - b));
  if (den <= 0.0) {
    Hue = 0.0;  // grey: the hue is undefined
    return;
  }
  const double c = std::clamp(num / den, -1.0, 1.0);
  double h = std::acos(c) * (180.0 / 3.14159265358979323846);
  if (b > g) {
    h = 360.0 - h;
  }
  if (h >= 360.0) {
    h -= 360.0;
  }
  Hue = h;
}

}  // namespace qmx
