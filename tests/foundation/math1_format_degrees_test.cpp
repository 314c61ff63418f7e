#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "qmx/foundation/math1.hpp"

namespace qmx {
namespace {

const std::string kDeg = "\xC2\xB0";

TEST(DegreeToStr, TheFourForms) {
  EXPECT_EQ(DegreeToStr(12.5, TDegreeFormat::dfDegDec, 2), "12.50" + kDeg);
  EXPECT_EQ(DegreeToStr(12.5, TDegreeFormat::dfDecimal, 2), "12.50");
  EXPECT_EQ(DegreeToStr(12.5, TDegreeFormat::dfDegMinDec, 2), "12" + kDeg + " 30.00'");
  EXPECT_EQ(DegreeToStr(12.5125, TDegreeFormat::dfDegMinSec, 1), "12" + kDeg + " 30' 45.0\"");
  EXPECT_EQ(DegreeToStr(-12.5, TDegreeFormat::dfDegMinDec, 2), "-12" + kDeg + " 30.00'");
  EXPECT_EQ(DegreeToStr(-0.5, TDegreeFormat::dfDegMinDec, 2), "-0" + kDeg + " 30.00'");
  EXPECT_EQ(DegreeToStr(10.0 + 5.0 / 60.0, TDegreeFormat::dfDegMinDec, 2), "10" + kDeg + "  5.00'");
  EXPECT_EQ(DegreeToStr(0.0, TDegreeFormat::dfDegMinSec, 0), "0" + kDeg + "  0'   0\"");
  // Rounding carries into the larger units and never shows 60.
  EXPECT_EQ(DegreeToStr(12.99999999, TDegreeFormat::dfDegMinDec, 2), "13" + kDeg + "  0.00'");
  EXPECT_EQ(DegreeToStr(-0.9999999999, TDegreeFormat::dfDegMinSec, 2), "-1" + kDeg + "  0'  0.00\"");
  // A negative angle that rounds to 0 loses its sign.
  EXPECT_EQ(DegreeToStr(-0.0001, TDegreeFormat::dfDegMinDec, 0), "0" + kDeg + "   0'");
  // decimals clipped to 0 .. 8
  EXPECT_EQ(DegreeToStr(1.0, TDegreeFormat::dfDecimal, 12), "1.00000000");
  EXPECT_EQ(DegreeToStr(1.25, TDegreeFormat::dfDegDec, -3), "1" + kDeg);
  EXPECT_EQ(DegreeToStr(std::numeric_limits<double>::quiet_NaN(), TDegreeFormat::dfDegMinSec, 2), "NAN" + kDeg);
  EXPECT_EQ(DegreeToStr(1e300, TDegreeFormat::dfDegMinDec, 1).size(), 301 + kDeg.size() + 6);
}

TEST(DegreeToStr, EveryFormReadsBackThroughScanDegrees) {
  std::mt19937_64 rng(77);
  std::uniform_real_distribution<double> dist(-400.0, 400.0);
  const TDegreeFormat formats[4] = {TDegreeFormat::dfDegDec, TDegreeFormat::dfDegMinDec, TDegreeFormat::dfDegMinSec,
                                    TDegreeFormat::dfDecimal};
  const double unit[4] = {1.0, 60.0, 3600.0, 1.0};
  for (int i = 0; i < 4000; ++i) {
    const double angle = (i % 10 == 0) ? std::round(dist(rng)) + (i % 3) / 60.0 : dist(rng);
    const int f = i % 4;
    const int decimals = static_cast<int>(rng() % 9);
    const std::string s = DegreeToStr(angle, formats[f], decimals);
    std::size_t pos = 0;
    const double back = ScanDegrees(s, pos);
    ASSERT_EQ(pos, s.size()) << s;
    EXPECT_LE(std::fabs(back - angle), 0.5 * std::pow(10.0, -decimals) / unit[f] + 1e-12) << s;
  }
}

TEST(ScanDegrees, FormsPositionsAndRejections) {
  std::size_t pos = 0;
  EXPECT_DOUBLE_EQ(ScanDegrees("  -12" + kDeg + "  5'  3.0\" N", pos), -(12 + 5 / 60.0 + 3 / 3600.0));
  EXPECT_EQ(pos, 17u);
  pos = 0;
  EXPECT_DOUBLE_EQ(ScanDegrees("12" + kDeg + "30.5'", pos), 12 + 30.5 / 60);  // blanks optional
  pos = 0;
  EXPECT_EQ(ScanDegrees("12.5" + kDeg + " 30'", pos), 12.5);  // decimal degrees end at the sign
  EXPECT_EQ(pos, 6u);
  pos = 0;
  EXPECT_EQ(ScanDegrees("-12" + kDeg + " -30'", pos), -12.0);  // minutes carry no sign
  EXPECT_EQ(pos, 5u);
  pos = 0;
  EXPECT_EQ(ScanDegrees("12" + kDeg + " 30.5' 10\"", pos), 12 + 30.5 / 60);  // fractional minutes end it
  EXPECT_EQ(pos, 10u);
  pos = 0;
  EXPECT_EQ(ScanDegrees("7.25 m", pos), 7.25);
  EXPECT_EQ(pos, 4u);
  const std::vector<std::string> bads{"12" + kDeg + " 60.00'", "12" + kDeg + " 30' 60\"", "x12", "", "1e3"};
  for (const std::string& bad : bads) {
    pos = 0;
    const double v = ScanDegrees(bad, pos);
    if (bad == "1e3") {
      EXPECT_EQ(v, 1.0);  // no exponent: the number ends before "e"
      EXPECT_EQ(pos, 1u);
      continue;
    }
    EXPECT_EQ(v, 0.0) << bad;
    EXPECT_EQ(pos, 0u) << bad;
  }
}

TEST(ConvertDegrees, BetweenTheThreeForms) {
  double d = 12.0;
  double m = 30.0;
  double s = 99.0;
  EXPECT_EQ(ConvertDegrees(d, m, s, TDegreeFormat::dfDegMinDec, TDegreeFormat::dfDegDec), 12.5);
  EXPECT_EQ(d, 12.5);
  EXPECT_EQ(m, 0.0);
  EXPECT_EQ(s, 0.0);
  d = 12.5125;
  ConvertDegrees(d, m, s, TDegreeFormat::dfDegDec, TDegreeFormat::dfDegMinSec);
  EXPECT_EQ(d, 12.0);
  EXPECT_EQ(m, 30.0);
  EXPECT_NEAR(s, 45.0, 1e-9);
  // The sign lives in the degrees, also as a negative zero.
  d = -0.0;
  m = 30.0;
  EXPECT_EQ(ConvertDegrees(d, m, s, TDegreeFormat::dfDegMinDec, TDegreeFormat::dfDegDec), -0.5);
  ConvertDegrees(d, m, s, TDegreeFormat::dfDegDec, TDegreeFormat::dfDegMinDec);
  EXPECT_EQ(d, 0.0);
  EXPECT_TRUE(std::signbit(d));
  EXPECT_EQ(m, 30.0);
  // Minutes are ignored (not checked) when the source form has none.
  d = 3.0;
  m = 99.0;
  EXPECT_EQ(ConvertDegrees(d, m, s, TDegreeFormat::dfDecimal, TDegreeFormat::dfDegMinDec), 3.0);
  EXPECT_EQ(m, 0.0);

  std::mt19937_64 rng(4);
  std::uniform_real_distribution<double> dist(-1000.0, 1000.0);
  for (int i = 0; i < 2000; ++i) {
    const double angle = dist(rng);
    d = angle;
    ConvertDegrees(d, m, s, TDegreeFormat::dfDegDec, TDegreeFormat::dfDegMinSec);
    ASSERT_GE(m, 0.0);
    ASSERT_LT(m, 60.0);
    ASSERT_GE(s, 0.0);
    ASSERT_LT(s, 60.0);
    EXPECT_EQ(m, std::trunc(m));
    EXPECT_NEAR(ConvertDegrees(d, m, s, TDegreeFormat::dfDegMinSec, TDegreeFormat::dfDegDec), angle, 1e-11);
  }
}

TEST(ConvertDegrees, OutOfRangeMinutesAndSeconds) {
  auto message = [](double deg, double min, double sec, TDegreeFormat from) -> std::string {
    try {
      ConvertDegrees(deg, min, sec, from, TDegreeFormat::dfDegDec);
    } catch (const EQMXMath1Error& e) {
      return e.what();
    }
    return "no exception";
  };
  const std::string minutes = "ConvertDegrees: invalid range of minutes";
  const std::string seconds = "ConvertDegrees: invalid range of seconds";
  EXPECT_EQ(message(1, 60, 0, TDegreeFormat::dfDegMinDec), minutes);
  EXPECT_EQ(message(1, -0.5, 0, TDegreeFormat::dfDegMinSec), minutes);
  EXPECT_EQ(message(1, std::nan(""), 0, TDegreeFormat::dfDegMinDec), minutes);
  EXPECT_EQ(message(1, 10, 60, TDegreeFormat::dfDegMinSec), seconds);
  EXPECT_EQ(message(1, 10, -1, TDegreeFormat::dfDegMinSec), seconds);
  EXPECT_EQ(message(1, 10, 75, TDegreeFormat::dfDegMinDec), "no exception");
}

TEST(ConvertDegrees, NonFiniteAngleIsNotSplit) {
  for (const double v : {HUGE_VAL, -HUGE_VAL, std::numeric_limits<double>::quiet_NaN()}) {
    for (const TDegreeFormat to : {TDegreeFormat::dfDegMinDec, TDegreeFormat::dfDegMinSec}) {
      double deg = v, min = 0.0, sec = 0.0;
      const double a = ConvertDegrees(deg, min, sec, TDegreeFormat::dfDegDec, to);
      EXPECT_TRUE(a == v || (std::isnan(a) && std::isnan(v)));
      EXPECT_TRUE(deg == v || (std::isnan(deg) && std::isnan(v)));
      EXPECT_EQ(min, 0.0);  // was NaN (inf - inf)
      EXPECT_EQ(sec, 0.0);
    }
  }
}

}  // namespace
}  // namespace qmx
