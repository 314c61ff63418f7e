// Number formatting and conversion of math1 (and the base layer's strff) given
// special values: every formatter writes a text, every text of a finite value
// reads back to that value, bit patterns round-trip, and the scanners survive
// hostile texts and positions.

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "foundation_robustness_sweep.hpp"
#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/math1_format.hpp"

namespace qmx {
namespace {

using test::SpecialInts;
using test::Sweep;
using std::isfinite;
using std::isnan;

using EL = std::numeric_limits<Extended>;

/// Reads a whole real-number text (blanks around it allowed); NaN marks a failure.
double ReadBack(const std::string& s, bool eng = false) {
  std::size_t pos = 0;
  const double v = ScanFPNum(s, eng, pos);
  while (pos < s.size() && s[pos] == ' ') ++pos;
  return pos == s.size() ? v : std::numeric_limits<double>::quiet_NaN();
}

/// True when the text is "NAN", "INF" or "-INF" after leading blanks.
bool IsSpecialText(const std::string& s) {
  const std::size_t b = s.find_first_not_of(' ');
  const std::string t = b == std::string::npos ? "" : s.substr(b);
  return t == "NAN" || t == "INF" || t == "-INF";
}

/// No "-" in front of a text that shows only zeros.
bool NoNegativeZero(const std::string& s) {
  const std::size_t m = s.find('-');
  if (m == std::string::npos) return true;
  const std::size_t e = s.find_first_of("Ee", m);
  const std::string mant = s.substr(m, e == std::string::npos ? std::string::npos : e - m);
  return mant.find_first_of("123456789") != std::string::npos || s.find("INF") != std::string::npos;
}

using FoundationFormatRobustness = test::SweepTest;

TEST_F(FoundationFormatRobustness, IntegerTexts) {
  for (const std::int32_t n : SpecialInts()) {
    for (const std::int32_t d : SpecialInts()) {
      test::Probe("Decimal/Hex/Octal/Bin(" + std::to_string(n) + ", " + std::to_string(d) + ")", [&] {
        EXPECT_EQ(Decimal(n, d).size(), static_cast<std::size_t>(std::clamp(d, 1, 255) + (n < 0 ? 1 : 0)));
        EXPECT_EQ(Hex(n, d).size(), static_cast<std::size_t>(std::clamp(d, 1, 16)));
        EXPECT_EQ(Octal(n, d).size(), static_cast<std::size_t>(std::clamp(d, 1, 11)));
        EXPECT_EQ(Bin(n, d).size(), static_cast<std::size_t>(std::clamp(d, 1, 32)));
      });
    }
    test::Probe("Roman/round trips(" + std::to_string(n) + ")", [&] {
      EXPECT_EQ(Roman(n).empty(), n < 1 || n >= 30000);
      std::size_t pos = 0;
      EXPECT_EQ(ScanHex(Hex(n, 8), pos), n);
      pos = 0;
      EXPECT_EQ(ScanOctal(Octal(n, 11), pos), n);
      pos = 0;
      EXPECT_EQ(ScanBin(Bin(n, 32), pos), n);
      pos = 0;
      EXPECT_EQ(ScanDecimal(std::to_string(n), pos), n);
      EXPECT_EQ(StrToIntDefault(std::to_string(n), 5), n);
    });
  }
}

TEST_F(FoundationFormatRobustness, RealNumberTexts) {
  const std::int32_t widths[] = {std::numeric_limits<std::int32_t>::min(), -1, 0, 8, 13, 30, 255, 256,
                                 std::numeric_limits<std::int32_t>::max()};
  const std::int32_t decimals[] = {std::numeric_limits<std::int32_t>::min(), -3, -2, -1, 0, 1, 17, 60, 61,
                                   std::numeric_limits<std::int32_t>::max()};
  for (const std::int32_t w : widths) {
    for (const std::int32_t d : decimals) {
      Sweep("strf(w=" + std::to_string(w) + ", d=" + std::to_string(d) + ")", std::array{1.5}, [&](auto a) {
        const std::string s = strf(a[0], w, d);
        ASSERT_FALSE(s.empty());
        EXPECT_GE(s.size(), static_cast<std::size_t>(std::clamp(w, 0, 255)));
        EXPECT_EQ(IsSpecialText(s), !isfinite(a[0]));
        EXPECT_TRUE(NoNegativeZero(s)) << s;
        // Rounded to few digits, +-max reads back beyond the double range.
        if (isfinite(a[0]) && d != -2 && std::fabs(a[0]) < 1e308) {
          const double back = ReadBack(s);
          const double tol = d >= 0 ? 0.5 * std::pow(10.0, -std::min(d, 60)) : std::fabs(a[0]) * 1e-1;
          EXPECT_LE(std::fabs(back - a[0]), tol * 1.0000001) << s;
        }
      });
    }
  }
  Sweep("strf exact", std::array{1.5}, [](auto a) {
    if (!isfinite(a[0])) return;
    EXPECT_EQ(ReadBack(strf(a[0], 30, -1)), a[0]);  // 17 significant digits
  });
  for (const std::int32_t w : {std::numeric_limits<std::int32_t>::min(), 0, 8, 21, 40, 41}) {
    for (const std::int32_t sd : {std::numeric_limits<std::int32_t>::min(), 1, 2, 15, 16,
                                  std::numeric_limits<std::int32_t>::max()}) {
      Sweep("MakeEFormat(w=" + std::to_string(w) + ", sd=" + std::to_string(sd) + ")", std::array{1.5}, [&](auto a) {
        const std::string s = MakeEFormat(a[0], w, sd);
        EXPECT_GE(s.size(), static_cast<std::size_t>(std::clamp(w, 8, 40)));
        EXPECT_EQ(IsSpecialText(s), !isfinite(a[0]));
        if (isfinite(a[0]) && std::fabs(a[0]) < 1e308) {  // +-max rounds up beyond the double range
          const double back = ReadBack(s);
          EXPECT_LE(std::fabs(back - a[0]), std::fabs(a[0]) * std::pow(10.0, 1 - std::clamp(sd, 2, 15))) << s;
        }
      });
    }
  }
  for (const std::int32_t d : {std::numeric_limits<std::int32_t>::min(), -9, -3, -1, 0, 1, 3, 9,
                               std::numeric_limits<std::int32_t>::max()}) {
    Sweep("EEngStr(d=" + std::to_string(d) + ")", std::array{1.5}, [&](auto a) {
      const std::string s = EEngStr(a[0], d);
      ASSERT_FALSE(s.empty());
      EXPECT_EQ(IsSpecialText(s), !isfinite(a[0]));
      EXPECT_TRUE(IsValidFPNum(s)) << s;
      if (isfinite(a[0])) {
        const int nd = std::max(1, std::abs(std::clamp(d, -9, 9)));
        const double back = ReadBack(s, true);
        EXPECT_LE(std::fabs(back - a[0]), std::fabs(a[0]) * 0.51 * std::pow(10.0, 1 - nd) + 1e-323) << s;
      }
    });
  }
}

TEST_F(FoundationFormatRobustness, BitPatternsAndStrff) {
  const auto values = test::SpecialValuesOf<Extended>({{EL::max(), "ext max"},
                                                       {-EL::max(), "-ext max"},
                                                       {EL::min(), "ext min"},
                                                       {EL::denorm_min(), "ext denorm"},
                                                       {-EL::denorm_min(), "-ext denorm"},
                                                       {0.1L, "0.1L"}});
  Sweep("FPNumToHex", values, std::array{Extended{1.5L}}, [](auto a) {
    const Extended x = a[0];
    const std::string h = FPNumToHex(x);
    ASSERT_EQ(h.size(), 20u);
    EXPECT_EQ(FPNumToHex(HexToExtended(h)), h);
    const double d = static_cast<double>(x);
    for (const bool msb : {true, false}) {
      std::string hd = FPNumToHex(d);
      if (!msb) {
        std::string rev;
        for (std::size_t i = hd.size(); i >= 2; i -= 2) rev += hd.substr(i - 2, 2);
        hd = rev;
      }
      const double back = HexToDouble(hd, msb);
      EXPECT_EQ(std::memcmp(&back, &d, sizeof d), 0) << hd;
    }
    const float f = static_cast<float>(std::fabs(d) < 1e30 ? d : 0.0);
    const float fb = HexToSingle(FPNumToHex(f));
    EXPECT_EQ(std::memcmp(&fb, &f, sizeof f), 0);
  });
  // Patterns the x87 unit rejects (unnormals, pseudo-NaNs) pass through unchanged.
  for (const char* h : {"7FFF0000000000000000", "7FFF4000000000000000", "40000000000000000000",
                        "00008000000000000000", "FFFFFFFFFFFFFFFFFFFF"}) {
    test::Probe(std::string("HexToExtended(") + h + ")", [&] {
      const Extended x = HexToExtended(h);
      EXPECT_EQ(FPNumToHex(x), h);
      EXPECT_FALSE(strff(x, 10, 3).empty());
      EXPECT_FALSE(strf(static_cast<double>(x), 10, 3).empty());
    });
  }
  // Every text is invalid for a double (length or character); one is a valid extended.
  for (const char* bad : {"", "0", "0123456789ABCDEF0", "0123456789ABCDEG", "0x23456789ABCDEF", " 123456789ABCDEF",
                          "\xFF" "123456789ABCDEF", "0123456789ABCDEF0123", "+123456789ABCDEF0123"}) {
    test::Probe(std::string("HexTo...(\"") + bad + "\")", [&] {
      const std::string s = bad;
      EXPECT_THROW(HexToDouble(s), EQMXError);
      EXPECT_THROW(HexToDouble(s, false), EQMXError);
      EXPECT_THROW(HexToSingle(s.substr(0, 7)), EQMXError);
      if (s == "0123456789ABCDEF0123") {
        EXPECT_EQ(FPNumToHex(HexToExtended(s)), s);
      } else {
        EXPECT_THROW(HexToExtended(s), EQMXError);
      }
    });
  }
  for (const std::int32_t w : {std::numeric_limits<std::int32_t>::min(), -1, 0, 5, 1024, 1025,
                               std::numeric_limits<std::int32_t>::max()}) {
    for (const std::int32_t d : {std::numeric_limits<std::int32_t>::min(), -61, -60, -20, -1, 0, 1, 60, 61,
                                 std::numeric_limits<std::int32_t>::max()}) {
      Sweep("strff(w=" + std::to_string(w) + ", d=" + std::to_string(d) + ")", values, std::array{Extended{1.5L}},
            [&](auto a) {
              const std::string s = strff(a[0], w, d);
              EXPECT_GE(s.size(), static_cast<std::size_t>(std::clamp(w, 0, kStrffMaxWidth)));
              EXPECT_EQ(IsSpecialText(s), !std::isfinite(a[0])) << s;
              EXPECT_TRUE(NoNegativeZero(s)) << s;
              if (d == -20 && std::isfinite(a[0]) && !(std::fabs(a[0]) < EL::min() && a[0] != 0)) {
                // 21 significant digits identify every extended value (from_chars
                // refuses extended denormals).
                const std::size_t b = s.find_first_not_of(' ');
                Extended back = 0;
                const auto r = std::from_chars(s.data() + b, s.data() + s.size(), back);
                EXPECT_TRUE(r.ec == std::errc{} && back == a[0]) << s;
              }
            });
    }
  }
}

TEST_F(FoundationFormatRobustness, Degrees) {
  const TDegreeFormat formats[] = {TDegreeFormat::dfDegDec, TDegreeFormat::dfDegMinDec, TDegreeFormat::dfDegMinSec,
                                   TDegreeFormat::dfDecimal, static_cast<TDegreeFormat>(4),
                                   static_cast<TDegreeFormat>(255)};
  for (const TDegreeFormat f : formats) {
    for (const std::int32_t d : {std::numeric_limits<std::int32_t>::min(), 0, 3, 8, 9}) {
      Sweep("DegreeToStr(" + std::to_string(static_cast<int>(f)) + ", " + std::to_string(d) + ")",
            std::array{12.5}, [&](auto a) {
              const std::string s = DegreeToStr(a[0], f, d);
              ASSERT_FALSE(s.empty());
              std::size_t pos = 0;
              const double back = ScanDegrees(s, pos);
              EXPECT_EQ(pos, s.size()) << s;
              if (isnan(a[0])) {
                EXPECT_TRUE(isnan(back)) << s;
              } else {
                // Rounded to d decimals of the smallest unit shown (seconds at most).
                const double unit = static_cast<int>(f) == 1 ? 60.0 : (static_cast<int>(f) == 0 || f == TDegreeFormat::dfDecimal ? 1.0 : 3600.0);
                const double tol = 0.5 * std::pow(10.0, -std::clamp(d, 0, 8)) / unit + std::fabs(a[0]) * 1e-15;
                EXPECT_TRUE(back == a[0] || std::fabs(back - a[0]) <= tol) << s << " " << back;
              }
            });
    }
  }
  for (const TDegreeFormat from : formats) {
    for (const TDegreeFormat to : formats) {
      const std::string name = "ConvertDegrees(" + std::to_string(static_cast<int>(from)) + "->" +
                               std::to_string(static_cast<int>(to)) + ")";
      Sweep<EQMXMath1Error>(name, std::array{-12.0, 30.0, 15.0}, [&](auto a) {
        double deg = a[0], min = a[1], sec = a[2];
        const bool useMin = from == TDegreeFormat::dfDegMinDec || from == TDegreeFormat::dfDegMinSec;
        const bool useSec = from == TDegreeFormat::dfDegMinSec;
        if ((useMin && !(min >= 0.0 && min < 60.0)) || (useSec && !(sec >= 0.0 && sec < 60.0))) {
          EXPECT_THROW(ConvertDegrees(deg, min, sec, from, to), EQMXMath1Error);
          return;
        }
        const double angle = ConvertDegrees(deg, min, sec, from, to);
        EXPECT_TRUE(min >= 0.0 && min < 60.0 && sec >= 0.0 && sec < 60.0) << min << " " << sec;
        EXPECT_EQ(std::signbit(deg), std::signbit(angle));
        if (isnan(a[0])) {
          EXPECT_TRUE(isnan(angle) && isnan(deg));
        }
        const double again = ConvertDegrees(deg, min, sec, to, TDegreeFormat::dfDegDec);
        EXPECT_TRUE(test::SameOrBothNaN(again, angle) || std::fabs(again - angle) <= 1e-9 * (1 + std::fabs(angle)))
            << again << " vs " << angle;
      });
    }
  }
}

TEST_F(FoundationFormatRobustness, ScannersOnHostileTexts) {
  const std::string longDigits(5000, '9');
  const std::vector<std::string> texts = {
      "", " ", "-", "+", ".", "e5", "1e", "1e+", "-0", "0e999999999999", "1e999999999999", "1e-999999999999",
      "4.9406564584124654e-324", "2.4e-324", "2.5e-324", "1e-400", "1.7976931348623157e308",
      "1.7976931348623159e308", "nan", "-NaN", "INF", "-inf", "infinity", "NANO", longDigits, "0." + longDigits,
      longDigits + "e-5000", "1k", "4k7", "-4m7", "1T", "1a", "1.5E", "12\xC2\xB0", "-0\xC2\xB0 59' 59.999\"",
      "1\xC2\xB0 60'", "1\xC2\xB0 30' 60\"", "NAN\xC2\xB0", "\xC2\xB0", "9999-12-31T23:59:59.999", "0001-01-01",
      "0000-01-01", "29 Feb 2000", "31.12.9999 24:00", "1.1.1 0:00", "\xC3\xA4 M\xC3\x84RZ 2000", longDigits + "-1-1",
      "FFFFFFFF", "100000000", "-2147483648", "2147483648", "\t\t", std::string(3, '\0')};
  const std::size_t huge = std::numeric_limits<std::size_t>::max();
  for (const std::string& s : texts) {
    for (const std::size_t start : {std::size_t{0}, s.size() / 2, s.size(), s.size() + 1, huge}) {
      test::Probe("scanners(\"" + s.substr(0, 30) + "\", " + std::to_string(start) + ")", [&] {
        auto check = [&](auto scan) {
          std::size_t pos = start;
          scan(pos);
          EXPECT_TRUE(pos == start || (pos > start && pos <= s.size())) << pos;
        };
        check([&](std::size_t& p) { ScanHex(s, p); });
        check([&](std::size_t& p) { ScanOctal(s, p); });
        check([&](std::size_t& p) { ScanBin(s, p); });
        check([&](std::size_t& p) { ScanDecimal(s, p); });
        check([&](std::size_t& p) { ScanFPNum(s, false, p); });
        check([&](std::size_t& p) { ScanFPNum(s, true, p); });
        check([&](std::size_t& p) { ScanDegrees(s, p); });
        check([&](std::size_t& p) { ScanDateTime(s, TLanguage::lgEnglish, p); });
        check([&](std::size_t& p) { ScanDateTime(s, TLanguage::lgGerman, p); });
        check([&](std::size_t& p) { ScanDateTime(s, static_cast<TLanguage>(9), p); });
      });
    }
    test::Probe("validators(\"" + s.substr(0, 30) + "\")", [&] {
      for (const TDecPSep sep : {TDecPSep::dpsPoint, TDecPSep::dpsComma, TDecPSep::dpsBoth,
                                 static_cast<TDecPSep>(7)}) {
        if (IsValidDouble(s, sep)) {
          EXPECT_TRUE(IsValidFPNum(s, sep)) << s;
        }
      }
      IsValidHex(s);
      IsValidOct(s);
      IsValidBin(s);
      IsValidDecInt(s);
      StrToIntDefault(s, -7);
      if (IsValidDouble(s)) {
        std::size_t pos = 0;
        const double v = ScanFPNum(s, false, pos);
        EXPECT_TRUE(isnan(v) || std::isinf(v) || std::fabs(v) <= std::numeric_limits<double>::max());
      }
    });
  }
}

}  // namespace
}  // namespace qmx
