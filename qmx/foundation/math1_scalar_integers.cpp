// Integers and bits: the prime table, primality and factorisation, fractions,
// products of consecutive integers, factorials, bit patterns and byte order.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numeric>
#include <utility>

#include "qmx/foundation/math1_scalar.hpp"

namespace qmx {

namespace {

/// Largest listed prime: the largest prime below sqrt(2^31 - 1).
constexpr std::int32_t kLargestListedPrime = 46337;

/// The primes up to kLargestListedPrime, found at compile time by the sieve
/// of Eratosthenes over the odd numbers (entry i stands for 2i + 1).
constexpr std::array<std::int32_t, kNumberOfListedPrimes> MakePrimeTable() {
  constexpr std::size_t kOdd = kLargestListedPrime / 2 + 1;
  std::array<bool, kOdd> composite{};
  for (std::size_t i = 1; (2 * i + 1) * (2 * i + 1) < 2 * kOdd; ++i) {
    if (composite[i]) continue;
    const std::size_t p = 2 * i + 1;
    for (std::size_t j = (p * p) / 2; j < kOdd; j += p) composite[j] = true;
  }
  std::array<std::int32_t, kNumberOfListedPrimes> t{};
  t[0] = 2;
  std::size_t count = 1;
  for (std::size_t i = 1; i < kOdd && count < t.size(); ++i) {
    if (!composite[i]) t[count++] = static_cast<std::int32_t>(2 * i + 1);
  }
  return t;
}

constexpr std::array<std::int32_t, kNumberOfListedPrimes> kPrimes = MakePrimeTable();
static_assert(kPrimes.back() == kLargestListedPrime, "exactly 4792 primes up to 46337");

/// Reverses the bytes of the object representation of a trivially copyable value.
template <class T>
T ReverseBytes(T x) {
  std::array<unsigned char, sizeof(T)> b{};
  std::memcpy(b.data(), &x, sizeof(T));
  for (std::size_t i = 0, j = sizeof(T) - 1; i < j; ++i, --j) {
    const unsigned char c = b[i];
    b[i] = b[j];
    b[j] = c;
  }
  T r;
  std::memcpy(&r, b.data(), sizeof(T));
  return r;
}

}  // namespace

std::int32_t ListOfPrimes(std::int32_t i) {
  if (i < 1 || i > kNumberOfListedPrimes) return 0;
  return kPrimes[static_cast<std::size_t>(i - 1)];
}

bool IsPrime(std::int32_t n) {
  // Every d <= trunc(sqrt(|n|)) <= 46340 that divides n has a prime factor in
  // the table that also divides n, so trial division by the primes suffices.
  const std::int64_t m = n < 0 ? -static_cast<std::int64_t>(n) : n;
  for (const std::int32_t p : kPrimes) {
    if (static_cast<std::int64_t>(p) * p > m) break;
    if (m % p == 0) return false;
  }
  return true;
}

void FindPrimeFactors(std::int32_t n, TIntArray& factors) {
  factors.clear();
  if (n < 2) return;
  // Primes below trunc(sqrt(n)) + 1 of the given n, that is p * p <= n.
  const std::int32_t limit = n;
  std::int32_t rest = n;
  for (const std::int32_t p : kPrimes) {
    if (static_cast<std::int64_t>(p) * p > limit) break;
    while (rest % p == 0) {
      factors.push_back(p);
      rest /= p;
    }
    if (rest == 1) break;
  }
  if (rest >= 2) factors.push_back(rest);
}

void CancelFraction(std::int32_t& num, std::int32_t& den) {
  if (num == 0 || den == 0) return;
  const std::int64_t g = std::gcd(static_cast<std::int64_t>(num), static_cast<std::int64_t>(den));
  if (g < 2) return;
  num = static_cast<std::int32_t>(num / g);
  den = static_cast<std::int32_t>(den / g);
}

std::int64_t ProductConsecInts(std::int32_t a, std::int32_t b) {
  if (a > b) std::swap(a, b);
  if (a == 0) return 0;
  if (a < 0) return -2;
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  const std::int64_t limit = kMax / b;
  std::int64_t p = 1;
  // Every factor is at least 2 after the first, so the loop ends within 63
  // steps by overflow unless b is reached first.
  for (std::int64_t k = a; k <= b; ++k) {
    if (p > limit) return -1;
    p *= k;
  }
  return p;
}

Extended Factorial(std::int32_t n) {
  if (n < 0) throw EQMXMath1Error("Factorial: negative argument");
  if (n > 1000) throw EQMXMath1Error("Factorial: argument too big");
  Extended f = 1.0L;
  for (std::int32_t k = 2; k <= n; ++k) f *= static_cast<Extended>(k);
  return f;
}

bool CheckPowerOfTwo(std::uint32_t n) { return ((n - 1u) & n) == 0u; }

std::int32_t CountBits(std::uint8_t b) { return std::popcount(b); }

std::uint8_t DecodeBit(std::int32_t i) {
  if (i < 0 || i > 7) return 0;
  return static_cast<std::uint8_t>(1u << i);
}

std::uint32_t DecodeLong(std::int32_t i) {
  if (i < 0 || i > 31) return 0;
  return 1u << i;
}

std::int32_t EncodeLong(std::uint32_t n) {
  if (n == 0) return 31;
  return std::countr_zero(n);
}

std::uint16_t GrayCode(std::uint16_t w) { return static_cast<std::uint16_t>(w ^ (w >> 1)); }

std::uint16_t ConvertEndian(std::uint16_t x) { return ReverseBytes(x); }
std::int32_t ConvertEndian(std::int32_t x) { return ReverseBytes(x); }
float ConvertEndian(float x) { return ReverseBytes(x); }
double ConvertEndian(double x) { return ReverseBytes(x); }

}  // namespace qmx
