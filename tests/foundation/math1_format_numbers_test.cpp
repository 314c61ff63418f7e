#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <random>
#include <string>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/math1.hpp"

namespace qmx {
namespace {

// Value of a Roman numeral by the usual subtractive reading (independent of
// the greedy writer).
int ReadRoman(const std::string& s) {
  auto value = [](char c) {
    switch (c) {
      case 'I': return 1;
      case 'V': return 5;
      case 'X': return 10;
      case 'L': return 50;
      case 'C': return 100;
      case 'D': return 500;
      case 'M': return 1000;
      default: return -100000;
    }
  };
  int total = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const int v = value(s[i]);
    total += (i + 1 < s.size() && v < value(s[i + 1])) ? -v : v;
  }
  return total;
}

// Replaces one character of s by one that no number text of any base contains
// at that place (signs are left out: a sign swap keeps a number valid).
std::string Mutate(std::string s, std::mt19937_64& rng, const std::string& bad = "GxZ#/.,_") {
  const std::size_t at = rng() % s.size();
  s[at] = bad[rng() % bad.size()];
  return s;
}

TEST(IntegerTexts, EdgeCases) {
  EXPECT_EQ(Hex(255, 4), "00FF");
  EXPECT_EQ(Hex(255, 0), "F");
  EXPECT_EQ(Hex(-1, 10), "00FFFFFFFF");
  EXPECT_EQ(Hex(-1, 99), "00000000FFFFFFFF");
  EXPECT_EQ(Hex(0x7ABCDEF0, -3), "0");
  EXPECT_EQ(Decimal(-42, 5), "-00042");
  EXPECT_EQ(Decimal(12345, 3), "345");
  EXPECT_EQ(Decimal(7, 0), "7");
  EXPECT_EQ(Decimal(std::numeric_limits<std::int32_t>::min(), 12), "-002147483648");
  EXPECT_EQ(Decimal(5, 1000).size(), 255u);
  EXPECT_EQ(Octal(8, 3), "010");
  EXPECT_EQ(Octal(-1, 11), "37777777777");
  EXPECT_EQ(Octal(-1, 20), "37777777777");
  EXPECT_EQ(Bin(5, 6), "000101");
  EXPECT_EQ(Bin(std::numeric_limits<std::int32_t>::min(), 40), "1" + std::string(31, '0'));
}

TEST(IntegerTexts, ScannersAndValidatorsReadBackWhatIsWritten) {
  std::mt19937_64 rng(11);
  for (int i = 0; i < 3000; ++i) {
    const auto n = static_cast<std::int32_t>(static_cast<std::uint32_t>(rng()));
    const std::string texts[4] = {Decimal(n, 10 + static_cast<int>(rng() % 5)), Hex(n, 8 + static_cast<int>(rng() % 9)),
                                  Octal(n, 11), Bin(n, 32)};
    std::size_t pos = 0;
    EXPECT_EQ(ScanDecimal(texts[0], pos), n);
    EXPECT_EQ(pos, texts[0].size());
    pos = 0;
    EXPECT_EQ(ScanHex(texts[1], pos), n);
    pos = 0;
    EXPECT_EQ(ScanOctal(texts[2], pos), n);
    pos = 0;
    EXPECT_EQ(ScanBin(texts[3], pos), n);
    EXPECT_TRUE(IsValidDecInt(texts[0]));
    EXPECT_TRUE(IsValidHex(texts[1]));
    EXPECT_TRUE(IsValidOct(texts[2]));
    EXPECT_TRUE(IsValidBin(texts[3]));
    EXPECT_EQ(StrToIntDefault(texts[0], 0), n);
    // Shortened texts still scan as their lowest digits.
    const std::string low = Hex(n, 3);
    pos = 0;
    EXPECT_EQ(ScanHex(low, pos), static_cast<std::int32_t>(static_cast<std::uint32_t>(n) & 0xFFFu));

    const std::string bad[4] = {Mutate(texts[0], rng), Mutate(texts[1], rng), Mutate(texts[2], rng),
                                Mutate(texts[3], rng)};
    EXPECT_FALSE(IsValidDecInt(bad[0])) << bad[0];
    EXPECT_EQ(StrToIntDefault(bad[0], 77), 77) << bad[0];
    EXPECT_FALSE(IsValidHex(bad[1])) << bad[1];
    EXPECT_FALSE(IsValidOct(bad[2])) << bad[2];
    EXPECT_FALSE(IsValidBin(bad[3])) << bad[3];
  }
  // Digits of the wrong base.
  EXPECT_FALSE(IsValidOct("0128"));
  EXPECT_FALSE(IsValidBin("0102"));
  EXPECT_FALSE(IsValidDecInt("12A"));
  EXPECT_FALSE(IsValidDecInt("--12"));
  EXPECT_FALSE(IsValidHex("-1F"));
}

TEST(Roman, EdgeCasesAndEveryNumberReadsBack) {
  EXPECT_EQ(Roman(1994), "MCMXCIV");
  EXPECT_EQ(Roman(4000), "MMMM");
  EXPECT_EQ(Roman(29999), std::string(29, 'M') + "CMXCIX");
  EXPECT_EQ(Roman(0), "");
  EXPECT_EQ(Roman(30000), "");
  EXPECT_EQ(Roman(-5), "");
  for (int n = 1; n < 30000; ++n) {
    ASSERT_EQ(ReadRoman(Roman(n)), n);
  }
}

TEST(Strf, FixedPointTexts) {
  EXPECT_EQ(strf(3.14159, 8, 2), "    3.14");
  EXPECT_EQ(strf(-3.14159, 0, 3), "-3.142");
  EXPECT_EQ(strf(2.5, 0, 0), "2");  // exact tie: to even
  EXPECT_EQ(strf(1234567.0, 3, 1), "1234567.0");
  EXPECT_EQ(strf(0.1, 1, 70).size(), 62u);  // decimals clipped to 60
  EXPECT_EQ(strf(-0.001, 0, 2), "0.00");    // no "-" in front of zeros
  EXPECT_EQ(strf(-0.006, 0, 2), "-0.01");
  EXPECT_EQ(strf(1.0, 1000, 1).size(), 255u);
  EXPECT_EQ(strf(1e300, 0, 0).size(), 301u);
  EXPECT_EQ(strf(std::numeric_limits<double>::quiet_NaN(), 5, 2), "  NAN");
  EXPECT_EQ(strf(-std::numeric_limits<double>::infinity(), 0, 2), "-INF");
  EXPECT_EQ(strf(std::numeric_limits<double>::infinity(), 4, -2), " INF");
}

TEST(Strf, ScientificTexts) {
  EXPECT_EQ(strf(1234.56, 10, -2), " 1.235E+03");
  EXPECT_EQ(strf(-0.000123, 10, -2), "-1.230E-04");
  EXPECT_EQ(strf(1.5e300, 10, -2), "**********");
  EXPECT_EQ(strf(-1e-100, 12, -2), "************");
  EXPECT_EQ(strf(0.0, 8, -2), " 0.0E+00");
  EXPECT_EQ(strf(-0.0, 8, -2), " 0.0E+00");
  EXPECT_EQ(strf(5.0, 0, -2), " 5.0E+00");  // at least one decimal
  EXPECT_EQ(strf(1234.56, 20, -1), " 1.23456000000E+0003");
  EXPECT_EQ(strf(1.5e300, 10, -1), " 1.5E+0300");
  EXPECT_EQ(strf(1.0, 30, -2), std::string(8, ' ') + "1.0000000000000000E+00");
}

TEST(Strf, FixedFormIsTheBaseLayersText) {
  std::mt19937_64 rng(8);
  for (int i = 0; i < 2000; ++i) {
    const double x = std::bit_cast<double>(rng());
    const int width = static_cast<int>(rng() % 40);
    const int decimals = static_cast<int>(rng() % 61);
    ASSERT_EQ(strf(x, width, decimals), strff(x, width, decimals)) << x;
  }
}

TEST(Strf, TextsReadBackWithinTheirRounding) {
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> mant(-10.0, 10.0);
  for (int i = 0; i < 3000; ++i) {
    const double x = mant(rng) * std::pow(10.0, static_cast<int>(rng() % 40) - 20);
    const int width = static_cast<int>(rng() % 30);
    const int decimals = static_cast<int>(rng() % 12) - 2;
    const std::string s = strf(x, width, decimals);
    if (s.find('*') != std::string::npos) {
      continue;
    }
    EXPECT_GE(s.size(), static_cast<std::size_t>(width));
    EXPECT_TRUE(IsValidDouble(s)) << s;
    EXPECT_TRUE(IsValidFPNum(s)) << s;
    std::size_t pos = 0;
    const double back = ScanFPNum(s, false, pos);
    EXPECT_EQ(pos, s.size()) << s;
    double tol = 0.0;
    if (decimals >= 0) {
      tol = 0.5 * std::pow(10.0, -decimals) + 1e-15 * std::fabs(x);
    } else {
      const int m = std::clamp((decimals == -2 ? width + 2 : width) - 9, 1, 16);
      tol = std::fabs(x) * 0.5 * std::pow(10.0, -m) * 1.000001;
    }
    EXPECT_LE(std::fabs(back - x), tol) << s;
    // (a "." may turn an integer text into another valid number)
    const std::string bad = Mutate(s, rng, s.find('.') == std::string::npos ? "GxZ#/,_" : "GxZ#/.,_");
    if (bad != s) {
      EXPECT_FALSE(IsValidDouble(bad)) << bad << " from " << s;
    }
  }
}

TEST(MakeEFormat, NormalisedMantissa) {
  EXPECT_EQ(MakeEFormat(1234.5678, 12, 4), "  0.1235E+04");
  EXPECT_EQ(MakeEFormat(-0.000123, 0, 3), "-0.123E-03");
  EXPECT_EQ(MakeEFormat(0.0, 10, 2), "  0.00E+00");
  EXPECT_EQ(MakeEFormat(9.99, 8, 2), " 0.10E+02");
  EXPECT_EQ(MakeEFormat(1e-300, 8, 2), " 0.10E-299");
  EXPECT_EQ(MakeEFormat(0.5, 100, 1).size(), 40u);
  EXPECT_EQ(MakeEFormat(0.5, 8, 99), " 0.500000000000000E+00");
  std::mt19937_64 rng(3);
  for (int i = 0; i < 2000; ++i) {
    double x = 0.0;
    do {
      x = std::bit_cast<double>(rng());
    } while (!std::isfinite(x));
    const int sig = 2 + static_cast<int>(rng() % 14);
    const std::string s = MakeEFormat(x, 8, sig);
    ASSERT_TRUE(IsValidDouble(s)) << s;
    std::size_t pos = 0;
    const double back = ScanFPNum(s, false, pos);
    EXPECT_LE(std::fabs(back - x), std::fabs(x) * 5.0 * std::pow(10.0, -sig)) << s;
    // The mantissa lies in [0.1, 1): its first digit is not 0.
    EXPECT_NE(s[s.find("0.") + 2], '0') << s;
  }
}

TEST(EEngStr, PrefixesAndDigits) {
  EXPECT_EQ(EEngStr(0.0047, 2), "4.7m");
  EXPECT_EQ(EEngStr(-4700.0, -2), "-4k7");
  EXPECT_EQ(EEngStr(1e-20, 3), "0.0100a");
  EXPECT_EQ(EEngStr(1234.0, 3), "1.23k");
  EXPECT_EQ(EEngStr(999.96, 3), "1.00k");
  EXPECT_EQ(EEngStr(2.2e-6, -2), "2u2");
  EXPECT_EQ(EEngStr(0.047, -2), "47m");
  EXPECT_EQ(EEngStr(4.7, -2), "4.7");  // no prefix: the point stays
  EXPECT_EQ(EEngStr(-1.5e9, 2), "-1.5G");
  EXPECT_EQ(EEngStr(1e15, 3), "1000T");
  EXPECT_EQ(EEngStr(0.0, 3), "0.00");
  EXPECT_EQ(EEngStr(0.0, 0), "0");
  EXPECT_EQ(EEngStr(123.0, 0), "123");
  EXPECT_EQ(EEngStr(123456.0, 99), "123.456000k");
  // Far below the atto group the mantissa keeps its digits (more decimals
  // than the base layer's strff allows).
  const std::string tiny = EEngStr(1e-100, 2);
  EXPECT_EQ(tiny, "0." + std::string(81, '0') + "10a");
  std::size_t pos = 0;
  EXPECT_DOUBLE_EQ(ScanFPNum(tiny, true, pos), 1e-100);
  EXPECT_EQ(EEngStr(std::numeric_limits<double>::quiet_NaN(), 3), "NAN");
  EXPECT_EQ(EEngStr(-std::numeric_limits<double>::infinity(), 3), "-INF");
}

TEST(EEngStr, TextsReadBackThroughTheEngineeringScanner) {
  std::mt19937_64 rng(9);
  std::uniform_real_distribution<double> mant(1.0, 9.99);
  for (int i = 0; i < 3000; ++i) {
    const int e = static_cast<int>(rng() % 50) - 25;
    const double x = ((rng() & 1) ? -1.0 : 1.0) * mant(rng) * std::pow(10.0, e);
    const int digits = static_cast<int>(rng() % 19) - 9;
    const int nd = std::max(1, std::abs(digits));
    const std::string s = EEngStr(x, digits);
    ASSERT_TRUE(IsValidFPNum(s)) << s;
    std::size_t pos = 0;
    const double back = ScanFPNum(s, true, pos);
    EXPECT_EQ(pos, s.size()) << s;
    const double ex = std::floor(std::log10(std::fabs(x)));
    EXPECT_LE(std::fabs(back - x), 0.5 * std::pow(10.0, ex - nd + 1) * 1.000001) << s << " " << x;
    if (std::fabs(x) >= 1e-3 && std::fabs(x) < 0.9) {
      EXPECT_FALSE(IsValidDouble(s)) << s;  // the prefix "m" is not part of plain notation
    }
  }
}

TEST(HexBitPatterns, KnownPatterns) {
  EXPECT_EQ(FPNumToHex(std::numbers::pi), "400921FB54442D18");
  EXPECT_EQ(HexToDouble("400921FB54442D18"), std::numbers::pi);
  EXPECT_EQ(HexToDouble("400921fb54442d18"), std::numbers::pi);
  EXPECT_EQ(HexToDouble("182D4454FB210940", false), std::numbers::pi);
  EXPECT_EQ(FPNumToHex(1.0F), "3F800000");
  EXPECT_EQ(HexToSingle("0000803F", false), 1.0F);
  EXPECT_EQ(FPNumToHex(-2.0), "C000000000000000");
  EXPECT_EQ(FPNumToHex(1.0L), "3FFF8000000000000000");
  EXPECT_EQ(FPNumToHex(std::numbers::pi_v<long double>), "4000C90FDAA22168C235");
  EXPECT_EQ(HexToExtended("4000C90FDAA22168C235"), std::numbers::pi_v<long double>);
}

TEST(HexBitPatterns, InvalidTextsRaiseTheBaseError) {
  auto message = [](auto&& call) -> std::string {
    try {
      call();
    } catch (const EQMXMath1Error&) {
      return "wrong class";
    } catch (const EQMXError& e) {
      return e.what();
    }
    return "no exception";
  };
  EXPECT_EQ(message([] { HexToDouble("400921FB54442D1"); }), "HexToDouble: invalid hex string \"400921FB54442D1\"");
  EXPECT_EQ(message([] { HexToDouble("400921FB54442D1G", false); }),
            "HexToDouble: invalid hex string \"400921FB54442D1G\"");
  EXPECT_EQ(message([] { HexToSingle(""); }), "HexToSingle: invalid hex string \"\"");
  EXPECT_EQ(message([] { HexToSingle("3F80 000"); }), "HexToSingle: invalid hex string \"3F80 000\"");
  EXPECT_EQ(message([] { HexToExtended("4000C90FDAA22168C2350"); }),
            "HexToExtended: invalid hex string \"4000C90FDAA22168C2350\"");
}

TEST(HexBitPatterns, RandomPatternsRoundTripBitExactly) {
  std::mt19937_64 rng(2024);
  for (int i = 0; i < 20000; ++i) {
    const double d = std::bit_cast<double>(rng());
    if (std::isfinite(d)) {
      const double back = HexToDouble(FPNumToHex(d));
      ASSERT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(d));
      // Least significant byte first: the byte pairs in reverse order.
      const std::string h = FPNumToHex(d);
      std::string reversed;
      for (std::size_t k = h.size(); k >= 2; k -= 2) {
        reversed += h.substr(k - 2, 2);
      }
      ASSERT_EQ(std::bit_cast<std::uint64_t>(HexToDouble(reversed, false)), std::bit_cast<std::uint64_t>(d));
    }
    const float f = std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
    if (std::isfinite(f)) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(HexToSingle(FPNumToHex(f))), std::bit_cast<std::uint32_t>(f));
    }
    // A finite 80-bit value: sign, exponent below all ones, explicit integer
    // bit set for normal numbers and clear for subnormals.
    unsigned char bytes[sizeof(long double)] = {};
    const std::uint64_t mantissa = rng();
    const auto exponent = static_cast<std::uint16_t>(rng() % 0x7FFF);
    const std::uint64_t m = exponent == 0 ? (mantissa >> 1) : (mantissa | (std::uint64_t{1} << 63));
    const auto top = static_cast<std::uint16_t>(exponent | ((rng() & 1) << 15));
    std::memcpy(bytes, &m, 8);
    std::memcpy(bytes + 8, &top, 2);
    long double x = 0.0L;
    std::memcpy(&x, bytes, sizeof(x));
    const long double back = HexToExtended(FPNumToHex(x));
    ASSERT_EQ(std::memcmp(&back, bytes, 10), 0) << FPNumToHex(x);
    ASSERT_EQ(back, x);
  }
}

}  // namespace
}  // namespace qmx
