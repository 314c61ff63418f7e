// Histogram bin reference, compensated summation, sign and integer rounding,
// random generators and polynomial evaluation.

#include "qmx/foundation/math1_primitives.hpp"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <numbers>
#include <utility>

#include "qmx/foundation/math1_primitives_detail.hpp"

namespace qmx {

// ---------------------------------------------------------------------------
// Histogram bin reference
// ---------------------------------------------------------------------------

double HistoBinRef(double x, double Origin, double Width, double& Offset) {
  if (Width == 0.0 || !std::isfinite(x) || !std::isfinite(Origin) || !std::isfinite(Width)) {
    Offset = std::numeric_limits<double>::quiet_NaN();
    return Offset;
  }
  // x - edge = (x - Origin) mod Width, taken from the exact remainders of x and
  // Origin: the quotient (x - Origin) / Width and the product of a huge bin
  // number with Width would both be rounded, putting the edge far from x when
  // Origin and x differ greatly in size.
  Extended r = std::fmod(static_cast<Extended>(std::fmod(x, Width)) - std::fmod(Origin, Width),
                         static_cast<Extended>(Width));
  if (Width > 0.0 ? r < 0.0L : r > 0.0L) r += Width;
  const auto edge = static_cast<double>(x - r);
  Offset = x - edge;
  return edge;
}

// ---------------------------------------------------------------------------
// TKahanSum
// ---------------------------------------------------------------------------

TKahanSum::TKahanSum(TComponent* AOwner) : TComponent(AOwner) {}

std::string_view TKahanSum::ClassName() const { return "TKahanSum"; }

void TKahanSum::Reset() {
  compensation_ = 0.0;
  sum_ = 0.0;
}

void TKahanSum::Add(double x) {
  const double y = x - compensation_;
  const double t = sum_ + y;
  if (!std::isfinite(t)) {
    // An infinite or NaN sum has nothing left to compensate; (t - sum) - y
    // would turn an infinite sum into NaN.
    compensation_ = 0.0;
    sum_ = t;
    return;
  }
  compensation_ = (t - sum_) - y;
  sum_ = t;
}

// ---------------------------------------------------------------------------
// Sign, integer rounding, ordering of two values
// ---------------------------------------------------------------------------

std::int32_t Signum(double x) { return x < 0.0 ? -1 : 1; }

std::int32_t IntPos(double x) {
  double r = detail::math1prim::RoundHalfEven(x);
  if (r < x) {
    r += 1.0;
  }
  return detail::math1prim::SaturateToInt32(r);
}

std::int32_t IntNeg(double x) {
  double r = detail::math1prim::RoundHalfEven(x);
  if (r > x) {
    r -= 1.0;
  }
  return detail::math1prim::SaturateToInt32(r);
}

bool SortSwap(double& a, double& b, bool Ascending) {
  if ((a < b) != Ascending) {
    std::swap(a, b);
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Random generators
// ---------------------------------------------------------------------------

bool BRandom(double p) {
  if (p >= 1.0) {
    return true;
  }
  return Random() < p;
}

double CRandom(double Location, double Scale) {
  return Location + Scale * std::tan(std::numbers::pi * (Random() - 0.5));
}

namespace {

/// The cached second value of the polar method; the flag starts cleared.
struct TGaussCache {
  std::mutex mutex;
  bool cached = false;
  double value = 0.0;
};

TGaussCache& GaussCache() {
  static TGaussCache cache;
  return cache;
}

}  // namespace

double GRandom() {
  auto& c = GaussCache();
  std::lock_guard lock(c.mutex);
  if (c.cached) {
    c.cached = false;
    return c.value;
  }
  // A point is accepted with probability pi/4, so the bound on the attempts is
  // never reached with a working uniform generator; it only keeps a broken one
  // from hanging the caller.
  constexpr int kMaxAttempts = 10000;
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    const double u1 = 2.0 * Random() - 1.0;
    const double u2 = 2.0 * Random() - 1.0;
    const double s = u1 * u1 + u2 * u2;
    if (s < 1.0 && s > 0.0) {  // the origin has no direction: draw again
      const double f = std::sqrt(-2.0 * std::log(s) / s);
      c.value = u1 * f;
      c.cached = true;
      return u2 * f;
    }
  }
  return 0.0;
}

namespace {

constexpr std::int32_t kLongRandMod1 = 1001003;
constexpr std::int32_t kLongRandMod2 = 990923;
constexpr std::int32_t kLongRandMod3 = 1400423;

/// A state word of a multiplicative congruential generator must not be 0 (a
/// fixed point); such a word is replaced by 1.
std::int32_t NonZeroWord(std::int64_t w) { return w == 0 ? 1 : static_cast<std::int32_t>(w); }

/// A start value of a state word: a uniform deviate times 990000, rounded.
std::int32_t StartWord() {
  return NonZeroWord(detail::math1prim::SaturateToInt32(detail::math1prim::RoundHalfEven(Random() * 990000.0)));
}

/// The three state words of `LongRand`, started on first use from the
/// platform's uniform generator.
struct TLongRandState {
  std::mutex mutex;
  std::int32_t s1 = 0;
  std::int32_t s2 = 0;
  std::int32_t s3 = 0;

  TLongRandState() {
    s1 = StartWord();
    s2 = StartWord();
    s3 = StartWord();
  }
};

TLongRandState& LongRandState() {
  static TLongRandState state;
  return state;
}

/// (r shifted left by bits, 32-bit wrap-around) xor r, as a signed 32-bit word.
std::int64_t ShiftXor(std::int32_t r, int bits) {
  const auto u = static_cast<std::uint32_t>(r);
  return static_cast<std::int32_t>((u << bits) ^ u);
}

}  // namespace

double LongRand(std::int32_t Seed) {
  auto& st = LongRandState();
  std::lock_guard lock(st.mutex);
  if (Seed != 0) {
    const std::int32_t r = Seed % kLongRandMod2;  // sign of Seed
    st.s1 = NonZeroWord(std::llabs(r));
    st.s2 = NonZeroWord(std::llabs(ShiftXor(r, 8)) % kLongRandMod2);
    st.s3 = NonZeroWord(std::llabs(ShiftXor(r, 16)) % kLongRandMod2);
  }
  st.s1 = static_cast<std::int32_t>((std::int64_t{st.s1} * 1187) % kLongRandMod1);
  st.s2 = static_cast<std::int32_t>((std::int64_t{st.s2} * 983) % kLongRandMod2);
  st.s3 = static_cast<std::int32_t>((std::int64_t{st.s3} * 1283) % kLongRandMod3);
  // Each term is below 1, the sum below 3; subtracting the integer part of a
  // double below 4 is exact, so the result stays below 1.
  const double v = static_cast<double>(st.s1) / kLongRandMod1 + static_cast<double>(st.s2) / kLongRandMod2 +
                   static_cast<double>(st.s3) / kLongRandMod3;
  return v - std::trunc(v);
}

// ---------------------------------------------------------------------------
// Polynomials
// ---------------------------------------------------------------------------

namespace {

double EvalPolynomial(std::span<const double> Coeffs, std::int32_t Order, double x) {
  if (Order < 0 || static_cast<std::size_t>(Order) >= Coeffs.size()) {
    throw EQMXMath1Error("Polynomial: invalid order of polynomial");
  }
  double sum = 0.0;
  double p = 1.0;
  for (std::size_t i = 0; i <= static_cast<std::size_t>(Order); ++i) {
    sum += Coeffs[i] * p;
    p *= x;
  }
  return sum;
}

}  // namespace

double Polynomial(std::span<const double> Coeffs, std::int32_t Order, double x) {
  return EvalPolynomial(Coeffs, Order, x);
}

double CenteredPolynomial(std::span<const double> Coeffs, std::int32_t Order, double Center, double x) {
  return EvalPolynomial(Coeffs, Order, x - Center);
}

}  // namespace qmx
