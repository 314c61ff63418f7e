#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include "math1_scalar_test_util.hpp"
#include "qmx/foundation/math1_scalar.hpp"

namespace qmx {
namespace {

/// All primes up to n by the plain sieve of Eratosthenes.
std::vector<std::int32_t> SievePrimes(std::int32_t n) {
  std::vector<bool> composite(static_cast<std::size_t>(n) + 1, false);
  std::vector<std::int32_t> primes;
  for (std::int32_t i = 2; i <= n; ++i) {
    if (composite[static_cast<std::size_t>(i)]) continue;
    primes.push_back(i);
    for (std::int64_t j = static_cast<std::int64_t>(i) * i; j <= n; j += i) composite[static_cast<std::size_t>(j)] = true;
  }
  return primes;
}

TEST(Primes, TableEqualsTheSieve) {
  const std::vector<std::int32_t> ref = SievePrimes(46340);  // up to trunc(sqrt(2^31 - 1))
  ASSERT_EQ(ref.size(), 4792u);
  for (std::int32_t i = 1; i <= 4792; ++i) ASSERT_EQ(ListOfPrimes(i), ref[static_cast<std::size_t>(i - 1)]) << i;
  EXPECT_EQ(ListOfPrimes(1), 2);
  EXPECT_EQ(ListOfPrimes(4792), 46337);
  EXPECT_EQ(ListOfPrimes(0), 0);
  EXPECT_EQ(ListOfPrimes(-1), 0);
  EXPECT_EQ(ListOfPrimes(4793), 0);
  EXPECT_EQ(ListOfPrimes(std::numeric_limits<std::int32_t>::min()), 0);
}

bool NaiveIsPrime(std::int64_t n) {
  n = std::llabs(n);
  for (std::int64_t d = 2; d * d <= n; ++d) {
    if (n % d == 0) return false;
  }
  return true;
}

TEST(Primes, IsPrime) {
  for (std::int32_t n = -2000; n <= 20000; ++n) ASSERT_EQ(IsPrime(n), NaiveIsPrime(n)) << n;
  EXPECT_TRUE(IsPrime(0));
  EXPECT_TRUE(IsPrime(1));
  EXPECT_TRUE(IsPrime(-1));
  EXPECT_TRUE(IsPrime(-7));
  EXPECT_TRUE(IsPrime(2147483647));   // 2^31 - 1
  EXPECT_FALSE(IsPrime(2147483646));
  EXPECT_FALSE(IsPrime(46337 * 46337));  // square of the largest listed prime
  EXPECT_FALSE(IsPrime(46349 * 46327));  // product of primes around sqrt(2^31)
  EXPECT_FALSE(IsPrime(std::numeric_limits<std::int32_t>::min()));
}

TEST(Primes, FindPrimeFactors) {
  TIntArray f{99};
  FindPrimeFactors(1, f);
  EXPECT_TRUE(f.empty());
  FindPrimeFactors(-12, f);
  EXPECT_TRUE(f.empty());
  FindPrimeFactors(360, f);
  EXPECT_EQ(f, (TIntArray{2, 2, 2, 3, 3, 5}));
  FindPrimeFactors(2147483647, f);
  EXPECT_EQ(f, (TIntArray{2147483647}));
  FindPrimeFactors(46337 * 46337, f);
  EXPECT_EQ(f, (TIntArray{46337, 46337}));
  FindPrimeFactors(2 * 1073741789, f);  // 1073741789 is prime
  EXPECT_EQ(f, (TIntArray{2, 1073741789}));
  // Product and primality of the factors, ascending, for many n.
  for (std::int32_t n = 2; n < 30000; n += 7) {
    FindPrimeFactors(n, f);
    std::int64_t prod = 1;
    for (std::size_t i = 0; i < f.size(); ++i) {
      EXPECT_TRUE(NaiveIsPrime(f[i]) && f[i] >= 2) << n;
      if (i > 0) {
        EXPECT_LE(f[i - 1], f[i]);
      }
      prod *= f[i];
    }
    EXPECT_EQ(prod, n);
  }
}

/// Repeated passes over the trial divisors until nothing changes.
void NaiveCancel(std::int32_t& num, std::int32_t& den) {
  bool changed = true;
  while (changed) {
    changed = false;
    const std::int32_t m = std::min(std::abs(num), std::abs(den));
    for (std::int32_t d = 2; d <= m; ++d) {
      if (num % d == 0 && den % d == 0) {
        num /= d;
        den /= d;
        changed = true;
      }
    }
  }
}

TEST(Fractions, CancelFraction) {
  std::int32_t n = 12, d = -18;
  CancelFraction(n, d);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(d, -3);
  for (std::int32_t a = -60; a <= 60; ++a) {
    for (std::int32_t b = -60; b <= 60; ++b) {
      std::int32_t x = a, y = b, rx = a, ry = b;
      CancelFraction(x, y);
      NaiveCancel(rx, ry);
      ASSERT_EQ(x, rx) << a << "/" << b;
      ASSERT_EQ(y, ry) << a << "/" << b;
    }
  }
  n = 0;
  d = 6;
  CancelFraction(n, d);
  EXPECT_EQ(d, 6);
  n = std::numeric_limits<std::int32_t>::min();
  d = std::numeric_limits<std::int32_t>::min();
  CancelFraction(n, d);
  EXPECT_EQ(n, -1);
  EXPECT_EQ(d, -1);
  n = 2147483646;  // 2 * 3^2 * 7 * 11 * 31 * 151 * 331
  d = 1073741823;  // 3^2 * 7 * 11 * 31 * 151 * 331
  CancelFraction(n, d);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(d, 1);
}

TEST(Products, ProductConsecIntsAndFactorial) {
  EXPECT_EQ(ProductConsecInts(0, 5), 0);
  EXPECT_EQ(ProductConsecInts(5, 0), 0);
  EXPECT_EQ(ProductConsecInts(-1, 5), -2);
  EXPECT_EQ(ProductConsecInts(5, 3), 60);
  EXPECT_EQ(ProductConsecInts(7, 7), 7);
  EXPECT_EQ(ProductConsecInts(1, 20), 2432902008176640000LL);
  EXPECT_EQ(ProductConsecInts(1, 21), -1);
  EXPECT_EQ(ProductConsecInts(1, 25), -1);
  EXPECT_EQ(ProductConsecInts(1, std::numeric_limits<std::int32_t>::max()), -1);
  EXPECT_EQ(ProductConsecInts(2147483646, 2147483647), 2147483646LL * 2147483647LL);
  // Agrees with overflow-checked products wherever the result fits.
  for (std::int32_t a = 1; a <= 40; ++a) {
    for (std::int32_t b = a; b <= 60; ++b) {
      std::int64_t p = 1;
      bool over = false;
      for (std::int32_t k = a; k <= b && !over; ++k) over = __builtin_mul_overflow(p, std::int64_t{k}, &p);
      EXPECT_EQ(ProductConsecInts(a, b), over ? -1 : p) << a << ".." << b;
    }
  }

  EXPECT_EQ(Factorial(0), 1.0L);
  EXPECT_EQ(Factorial(1), 1.0L);
  EXPECT_EQ(Factorial(20), 2432902008176640000.0L);
  EXPECT_NEAR(static_cast<double>(std::log(Factorial(1000))), static_cast<double>(std::lgamma(1001.0L)), 1e-9);
  test::ExpectThrowExact<EQMXMath1Error>([] { Factorial(1001); }, "Factorial: argument too big");
  test::ExpectThrowExact<EQMXMath1Error>([] { Factorial(-1); }, "Factorial: negative argument");
}

std::uint8_t ReverseBitByBit(std::uint8_t b) {
  std::uint8_t r = 0;
  for (int i = 0; i < 8; ++i) {
    r = static_cast<std::uint8_t>(r << 1);
    if (b & (1 << i)) r |= 1;
  }
  return r;
}

TEST(Bits, BitReversalTable) {
  static_assert(BitReversal(0x01) == 0x80 && BitReversal(0xF0) == 0x0F && BitReversal(0x2C) == 0x34);
  for (int b = 0; b < 256; ++b) {
    const auto v = static_cast<std::uint8_t>(b);
    EXPECT_EQ(BitReversal(v), ReverseBitByBit(v)) << b;
    EXPECT_EQ(BitReversal(BitReversal(v)), v);
  }
}

TEST(Bits, CountDecodeEncodeGray) {
  for (int b = 0; b < 256; ++b) {
    int n = 0;
    for (int i = 0; i < 8; ++i) n += (b >> i) & 1;
    EXPECT_EQ(CountBits(static_cast<std::uint8_t>(b)), n);
  }
  EXPECT_TRUE(CheckPowerOfTwo(0));
  EXPECT_TRUE(CheckPowerOfTwo(1));
  EXPECT_TRUE(CheckPowerOfTwo(1024));
  EXPECT_TRUE(CheckPowerOfTwo(0x80000000u));
  EXPECT_FALSE(CheckPowerOfTwo(6));
  EXPECT_FALSE(CheckPowerOfTwo(0xFFFFFFFFu));

  for (int i = 0; i < 8; ++i) EXPECT_EQ(DecodeBit(i), 1 << i);
  EXPECT_EQ(DecodeBit(8), 0);
  EXPECT_EQ(DecodeBit(-1), 0);
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(DecodeLong(i), std::uint32_t{1} << i);
    EXPECT_EQ(EncodeLong(DecodeLong(i)), i);
    EXPECT_EQ(EncodeLong(DecodeLong(i) | 0x80000000u), i);
  }
  EXPECT_EQ(DecodeLong(32), 0u);
  EXPECT_EQ(DecodeLong(-5), 0u);
  EXPECT_EQ(EncodeLong(0), 31);
  EXPECT_EQ(EncodeLong(12), 2);

  // Gray code: consecutive codes differ in exactly one bit, and all codes differ.
  std::vector<bool> seen(65536, false);
  for (std::uint32_t w = 0; w < 65536; ++w) {
    const std::uint16_t g = GrayCode(static_cast<std::uint16_t>(w));
    EXPECT_FALSE(seen[g]);
    seen[g] = true;
    if (w > 0) {
      EXPECT_EQ(std::popcount(static_cast<unsigned>(g ^ GrayCode(static_cast<std::uint16_t>(w - 1)))), 1);
    }
  }
  EXPECT_EQ(GrayCode(0x8000), 0xC000);
  EXPECT_EQ(GrayCode(0xFFFF), 0x8000);
}

TEST(Bits, ConvertEndian) {
  EXPECT_EQ(ConvertEndian(std::uint16_t{0x1234}), 0x3412);
  EXPECT_EQ(ConvertEndian(std::int32_t{0x01020304}), 0x04030201);
  EXPECT_EQ(ConvertEndian(std::int32_t{-2}), static_cast<std::int32_t>(0xFEFFFFFFu));
  EXPECT_EQ(std::bit_cast<std::uint32_t>(ConvertEndian(1.0f)), 0x0000803Fu);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(ConvertEndian(1.0)), 0x000000000000F03FULL);
  EXPECT_EQ(ConvertEndian(ConvertEndian(-123.456)), -123.456);
  EXPECT_EQ(ConvertEndian(ConvertEndian(3.5f)), 3.5f);
}

}  // namespace
}  // namespace qmx
