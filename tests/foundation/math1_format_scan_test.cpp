#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "qmx/foundation/math1.hpp"

namespace qmx {
namespace {

TEST(IntegerScanners, PositionsBlanksAndFailures) {
  std::size_t pos = 0;
  EXPECT_EQ(ScanHex(" \t1aF rest", pos), 0x1AF);
  EXPECT_EQ(pos, 5u);
  pos = 0;
  EXPECT_EQ(ScanHex("xyz", pos), 0);
  EXPECT_EQ(pos, 0u);
  pos = 0;
  EXPECT_EQ(ScanHex("100000000", pos), 0);  // more than 32 bits
  EXPECT_EQ(pos, 0u);
  pos = 0;
  EXPECT_EQ(ScanHex("0000000000FFFFFFFF", pos), -1);
  pos = 99;
  EXPECT_EQ(ScanHex("12", pos), 0);  // position beyond the text
  EXPECT_EQ(pos, 99u);
  pos = 3;
  EXPECT_EQ(ScanOctal("xx 777 8", pos), 0777);
  EXPECT_EQ(pos, 6u);
  pos = 0;
  EXPECT_EQ(ScanOctal("40000000000", pos), 0);
  pos = 0;
  EXPECT_EQ(ScanBin("1012", pos), 5);
  EXPECT_EQ(pos, 3u);
  pos = 0;
  EXPECT_EQ(ScanDecimal("-2147483648,", pos), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(pos, 11u);
  pos = 0;
  EXPECT_EQ(ScanDecimal("2147483648", pos), 0);
  EXPECT_EQ(pos, 0u);
  pos = 0;
  EXPECT_EQ(ScanDecimal("+12", pos), 12);
  pos = 0;
  EXPECT_EQ(ScanDecimal("- 5", pos), 0);
  EXPECT_EQ(pos, 0u);
}

TEST(IntegerValidators, WholeTextOnly) {
  EXPECT_TRUE(IsValidHex("FFFFFFFF"));
  EXPECT_TRUE(IsValidHex(" 00ff "));
  EXPECT_FALSE(IsValidHex("100000000"));
  EXPECT_FALSE(IsValidHex(""));
  EXPECT_FALSE(IsValidHex("   "));
  EXPECT_FALSE(IsValidHex("0x1F"));
  EXPECT_FALSE(IsValidHex("1F 2"));
  EXPECT_TRUE(IsValidDecInt("-2147483648"));
  EXPECT_FALSE(IsValidDecInt("-2147483649"));
  EXPECT_FALSE(IsValidDecInt("1.0"));
  EXPECT_EQ(StrToIntDefault("", 7), 7);
  EXPECT_EQ(StrToIntDefault(" 42 ", 7), 42);
  EXPECT_EQ(StrToIntDefault("4x2", 7), 7);
  EXPECT_EQ(StrToIntDefault("99999999999", 7), 7);
  EXPECT_EQ(StrToIntDefault("-0", 7), 0);
}

TEST(ScanFPNum, GrammarAndPositions) {
  std::size_t pos = 0;
  EXPECT_EQ(ScanFPNum("  -1.5E+0003xyz", false, pos), -1500.0);
  EXPECT_EQ(pos, 12u);
  pos = 0;
  EXPECT_EQ(ScanFPNum("12.", false, pos), 12.0);  // the point needs digits after it
  EXPECT_EQ(pos, 2u);
  pos = 0;
  EXPECT_EQ(ScanFPNum("1e+", false, pos), 1.0);
  EXPECT_EQ(pos, 1u);
  pos = 0;
  EXPECT_EQ(ScanFPNum(".5", false, pos), 0.0);
  EXPECT_EQ(pos, 0u);
  pos = 0;
  EXPECT_EQ(ScanFPNum("4k7", false, pos), 4.0);
  EXPECT_EQ(pos, 1u);
  pos = 0;
  EXPECT_EQ(ScanFPNum("4k7", true, pos), 4700.0);
  EXPECT_EQ(pos, 3u);
  pos = 0;
  EXPECT_EQ(ScanFPNum("4.7mV", true, pos), 0.0047);
  EXPECT_EQ(pos, 4u);
  pos = 0;
  EXPECT_EQ(ScanFPNum("1e400", false, pos), 0.0);  // overflow
  EXPECT_EQ(pos, 0u);
  pos = 0;
  EXPECT_EQ(ScanFPNum("1e-400", false, pos), 0.0);  // below the smallest subnormal
  EXPECT_EQ(pos, 0u);
  pos = 0;
  EXPECT_EQ(ScanFPNum("0.0E-99999999999999", false, pos), 0.0);
  EXPECT_EQ(pos, 19u);
  pos = 0;
  EXPECT_EQ(ScanFPNum("1E999999999999999999999", false, pos), 0.0);
  EXPECT_EQ(pos, 0u);
  pos = 0;
  EXPECT_EQ(ScanFPNum("4.9E-0324", false, pos), std::numeric_limits<double>::denorm_min());
  pos = 0;
  EXPECT_TRUE(std::isnan(ScanFPNum(" nan", false, pos)));
  EXPECT_EQ(pos, 4u);
  pos = 0;
  EXPECT_EQ(ScanFPNum("-INF", false, pos), -std::numeric_limits<double>::infinity());
  pos = 0;
  const std::string big = "1" + std::string(308, '0') + ".00";
  EXPECT_EQ(ScanFPNum(big, false, pos), 1e308);
  EXPECT_EQ(pos, big.size());
}

TEST(RealValidators, SeparatorsAndNotations) {
  EXPECT_TRUE(IsValidDouble("1.5"));
  EXPECT_FALSE(IsValidDouble("1,5"));
  EXPECT_TRUE(IsValidDouble("1,5", TDecPSep::dpsComma));
  EXPECT_FALSE(IsValidDouble("1.5", TDecPSep::dpsComma));
  EXPECT_TRUE(IsValidDouble("1.5", TDecPSep::dpsBoth));
  EXPECT_TRUE(IsValidDouble("-1,5E-03", TDecPSep::dpsBoth));
  EXPECT_FALSE(IsValidDouble("1.5,5", TDecPSep::dpsBoth));
  EXPECT_TRUE(IsValidDouble("  +12  "));
  EXPECT_TRUE(IsValidDouble("+INF"));
  for (const char* bad : {"", " ", "1 2", "1.5.2", "--1", "5.", ".5", "1E", "1E+", "E5", "1e400", "0x10", "1.5q"}) {
    EXPECT_FALSE(IsValidDouble(bad)) << bad;
    EXPECT_FALSE(IsValidFPNum(bad)) << bad;
  }
  EXPECT_TRUE(IsValidFPNum("4k7"));
  EXPECT_TRUE(IsValidFPNum("-0.0100a"));
  EXPECT_TRUE(IsValidFPNum("4,7m", TDecPSep::dpsComma));
  EXPECT_FALSE(IsValidDouble("4k7"));
  EXPECT_FALSE(IsValidFPNum("4.7m7"));
  EXPECT_FALSE(IsValidFPNum("4k7k"));
  EXPECT_FALSE(IsValidFPNum("4E3k"));
  EXPECT_FALSE(IsValidFPNum("4 k"));
}

// Days since 1899-12-30 counted the slow way.
double NaiveDays(int y, int m, int d) {
  auto leap = [](int yy) { return (yy % 4 == 0 && yy % 100 != 0) || yy % 400 == 0; };
  auto dayNumber = [&](int yy, int mm, int dd) {
    static const int kLen[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    long n = 0;
    for (int k = 1; k < yy; ++k) {
      n += leap(k) ? 366 : 365;
    }
    for (int k = 1; k < mm; ++k) {
      n += kLen[k - 1] + (k == 2 && leap(yy) ? 1 : 0);
    }
    return n + dd;
  };
  return static_cast<double>(dayNumber(y, m, d) - dayNumber(1899, 12, 30));
}

double Scan(const std::string& s, TLanguage lang = TLanguage::lgEnglish, std::size_t* end = nullptr) {
  std::size_t pos = 0;
  const double v = ScanDateTime(s, lang, pos);
  if (end != nullptr) {
    *end = pos;
  }
  return v;
}

TEST(ScanDateTime, DateForms) {
  EXPECT_EQ(Scan("1899-12-30"), 0.0);
  EXPECT_EQ(Scan("1900-01-01"), 2.0);
  EXPECT_EQ(Scan("2000-01-01"), 36526.0);
  EXPECT_EQ(Scan("1899-12-29"), -1.0);
  const double d = NaiveDays(2024, 3, 15);
  for (const char* s : {"2024-03-15", "15.03.2024", "15.3.2024", "03/15/2024", "3/15/2024", "15 Mar 2024",
                        "15 march 2024", "15-MAR-2024", "Mar 15, 2024", "March 15 2024", "15. Mar. 2024"}) {
    std::size_t end = 0;
    EXPECT_EQ(Scan(s, TLanguage::lgEnglish, &end), d) << s;
    EXPECT_EQ(end, std::string(s).size()) << s;
  }
  for (const char* s : {"15.03.2024", "15. M\xC3\xA4rz 2024", "15. M\xC3\x84RZ 2024", "15 Mrz 2024",
                        "15-Maerz-2024", "M\xC3\xA4r 15, 2024", "2024-03-15"}) {
    EXPECT_EQ(Scan(s, TLanguage::lgGerman), d) << s;
  }
  EXPECT_EQ(Scan("1. Mai 2024", TLanguage::lgGerman), NaiveDays(2024, 5, 1));
  EXPECT_EQ(Scan("1 Oktober 2024", TLanguage::lgGerman), NaiveDays(2024, 10, 1));
  EXPECT_EQ(Scan("0001-01-01"), NaiveDays(1, 1, 1));
  EXPECT_EQ(Scan("9999-12-31"), NaiveDays(9999, 12, 31));
}

TEST(ScanDateTime, TimesAndRejections) {
  const double d = NaiveDays(2024, 3, 15);
  EXPECT_EQ(Scan("2024-03-15 12:00"), d + 0.5);
  EXPECT_EQ(Scan("2024-03-15T06:00:00"), d + 0.25);
  EXPECT_NEAR(Scan("15.03.2024  13:45:30.5"), d + (13 * 3600 + 45 * 60 + 30.5) / 86400.0, 1e-9);
  std::size_t end = 0;
  EXPECT_EQ(Scan("2024-03-15 noon", TLanguage::lgEnglish, &end), d);  // no time: the date alone
  EXPECT_EQ(end, 10u);
  EXPECT_EQ(Scan("2024-03-15 12", TLanguage::lgEnglish, &end), d);
  EXPECT_EQ(end, 10u);
  for (const char* bad : {"", "2024-02-30", "2023-02-29", "0000-01-01", "2024-13-01", "2024-03-15 25:00",
                          "2024-03-15 12:60", "15 Foo 2024", "15 Mar 24", "03/15/2024x"}) {
    std::size_t pos = 0;
    const double v = ScanDateTime(bad, TLanguage::lgEnglish, pos);
    if (std::string(bad) == "03/15/2024x") {
      EXPECT_EQ(pos, 10u);  // the date is read, the rest stays
      continue;
    }
    EXPECT_EQ(v, 0.0) << bad;
    EXPECT_EQ(pos, 0u) << bad;
  }
  EXPECT_EQ(Scan("2024-02-29"), NaiveDays(2024, 2, 29));
  std::size_t pos = 0;
  EXPECT_EQ(ScanDateTime("03/15/2024", TLanguage::lgGerman, pos), 0.0);  // month first is English only
  EXPECT_EQ(Scan("Mai 1, 2024"), 0.0);                                    // German name in English
}

TEST(ScanDateTime, RandomDatesAgainstNaiveCount) {
  std::mt19937 rng(17);
  static const char* kNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  for (int i = 0; i < 300; ++i) {
    const int y = 1 + static_cast<int>(rng() % 9999);
    const int m = 1 + static_cast<int>(rng() % 12);
    const int d = 1 + static_cast<int>(rng() % 28);
    const int h = static_cast<int>(rng() % 24);
    const int mi = static_cast<int>(rng() % 60);
    char iso[40];
    std::snprintf(iso, sizeof iso, "%04d-%02d-%02d %d:%02d", y, m, d, h, mi);
    char named[40];
    std::snprintf(named, sizeof named, "%d %s %04d", d, kNames[m - 1], y);
    const double expected = NaiveDays(y, m, d);
    EXPECT_NEAR(Scan(iso), expected + (h * 60 + mi) / 1440.0, 1e-9) << iso;
    EXPECT_EQ(Scan(named), expected) << named;
  }
}

}  // namespace
}  // namespace qmx

namespace qmx {
namespace {

TEST(NumberTexts, IgnoreTheCLocale) {
  const char* found = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      found = name;
      break;
    }
  }
  if (found == nullptr) {
    GTEST_SKIP() << "no locale with a decimal comma installed";
  }
  const std::string fixed = strf(1234.5, 0, 2);
  const std::string sci = strf(1234.5, 12, -2);
  std::size_t pos = 0;
  const double back = ScanFPNum("1234.5", false, pos);
  const bool valid = IsValidDouble("1.5");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(fixed, "1234.50");
  EXPECT_EQ(sci, " 1.23450E+03");
  EXPECT_EQ(back, 1234.5);
  EXPECT_TRUE(valid);
}

}  // namespace
}  // namespace qmx
