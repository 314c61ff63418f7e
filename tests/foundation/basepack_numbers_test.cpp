#include <gtest/gtest.h>

#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "qmx/foundation/basepack.hpp"

namespace qmx {
namespace {

TEST(BasepackStrff, FixedPointRightAligned) {
  EXPECT_EQ(strff(3.14159L, 10, 3), "     3.142");
  EXPECT_EQ(strff(-2.5L, 8, 2), "   -2.50");
  EXPECT_EQ(strff(12345.678L, 3, 1), "12345.7");  // wider than the field
  EXPECT_EQ(strff(0.0L, 12, 4), "      0.0000");
  EXPECT_EQ(strff(7.0L, 0, 0), "7");
  EXPECT_EQ(strff(1e20L, 1, 0), "100000000000000000000");
  EXPECT_EQ(strff(0.125L, 1, 2), "0.12");  // exact binary tie rounds to even
  EXPECT_EQ(strff(0.375L, 1, 2), "0.38");
  EXPECT_EQ(strff(2.675L, 1, 2), "2.67");  // 2.675L lies just below the tie
}

TEST(BasepackStrff, NoMinusForZeroAndNegativeZero) {
  EXPECT_EQ(strff(-0.0L, 1, 2), "0.00");
  EXPECT_EQ(strff(-0.001L, 6, 2), "  0.00");
  EXPECT_EQ(strff(-0.005001L, 1, 2), "-0.01");
  EXPECT_EQ(strff(-0.0L, 1, -2), "0.00E+00");
}

TEST(BasepackStrff, ScientificForNegativeDecimals) {
  EXPECT_EQ(strff(12345.678L, 12, -3), "   1.235E+04");
  EXPECT_EQ(strff(-0.00012L, 1, -1), "-1.2E-04");
  EXPECT_EQ(strff(1e300L, 1, -2), "1.00E+300");
  EXPECT_EQ(strff(1e-4000L, 1, -1), "1.0E-4000");
}

TEST(BasepackStrff, SpecialValuesAndLimits) {
  EXPECT_EQ(strff(std::numeric_limits<Extended>::quiet_NaN(), 5, 2), "  NAN");
  EXPECT_EQ(strff(std::numeric_limits<Extended>::infinity(), 1, 2), "INF");
  EXPECT_EQ(strff(-std::numeric_limits<Extended>::infinity(), 6, 2), "  -INF");
  // The largest extended value in fixed form: every integer digit, no crash.
  const std::string big = strff(std::numeric_limits<Extended>::max(), 1, 2);
  EXPECT_EQ(big.size(), 4933u + 3u);
  EXPECT_EQ(strff(1.0L, 100000, 1).size(), static_cast<std::size_t>(kStrffMaxWidth));
  EXPECT_EQ(strff(1.0L, -4, 1000), "1." + std::string(static_cast<std::size_t>(kStrffMaxDecimals), '0'));
}

TEST(BasepackStrff, ReadsBackAndIgnoresTheLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old != nullptr ? old : "C";
  const bool haveComma = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
  for (const double v : {0.1, -123.456, 6.02214076e23, 1.0 / 3.0, 4.9e-324}) {
    const std::string s = strff(v, 30, -17);
    EXPECT_EQ(s.find(','), std::string::npos) << s;
    double back = 0;
    const char* first = s.data() + s.find_first_not_of(' ');
    std::from_chars(first, s.data() + s.size(), back);
    EXPECT_EQ(back, v) << s;
  }
  EXPECT_EQ(strff(1.5L, 1, 1), "1.5");
  std::setlocale(LC_ALL, saved.c_str());
  if (!haveComma) {
    GTEST_LOG_(INFO) << "de_DE locale not installed; checked in the C locale only";
  }
}

TEST(BasepackColours, GrayUsesLumaWeights) {
  EXPECT_DOUBLE_EQ(RGBtoGray(0, 0, 0), 0.0);
  EXPECT_NEAR(RGBtoGray(255, 255, 255), 255.0, 1e-9);
  EXPECT_NEAR(RGBtoGray(255, 0, 0), 76.245, 1e-9);
  EXPECT_NEAR(RGBtoGray(0, 255, 0), 149.685, 1e-9);
  EXPECT_NEAR(RGBtoGray(0, 0, 255), 29.07, 1e-9);
  EXPECT_NEAR(RGBtoGray(300, -5, 0), 76.245, 1e-9);  // clamped
}

TEST(BasepackColours, HsiOfPrimariesAndGreys) {
  double h = -1;
  double s = -1;
  double i = -1;
  RGBtoHSI(255, 0, 0, h, s, i);
  EXPECT_NEAR(h, 0.0, 1e-9);
  EXPECT_NEAR(s, 1.0, 1e-12);
  EXPECT_NEAR(i, 85.0, 1e-12);
  RGBtoHSI(0, 255, 0, h, s, i);
  EXPECT_NEAR(h, 120.0, 1e-9);
  RGBtoHSI(0, 0, 255, h, s, i);
  EXPECT_NEAR(h, 240.0, 1e-9);
  RGBtoHSI(255, 255, 0, h, s, i);
  EXPECT_NEAR(h, 60.0, 1e-9);
  RGBtoHSI(255, 0, 255, h, s, i);
  EXPECT_NEAR(h, 300.0, 1e-9);
  RGBtoHSI(100, 100, 100, h, s, i);
  EXPECT_EQ(h, 0.0);
  EXPECT_NEAR(s, 0.0, 1e-12);
  EXPECT_NEAR(i, 100.0, 1e-12);
  RGBtoHSI(0, 0, 0, h, s, i);
  EXPECT_EQ(h, 0.0);
  EXPECT_EQ(s, 0.0);
  EXPECT_EQ(i, 0.0);
  // Hue against the hexagonal hue where both agree closely (an orange).
  RGBtoHSI(255, 128, 0, h, s, i);
  EXPECT_GT(h, 20.0);
  EXPECT_LT(h, 40.0);
}

TEST(BasepackConstants, Values) {
  EXPECT_EQ(uc_MaxDouble, static_cast<Extended>(DBL_MAX));
  EXPECT_EQ(uc_MaxSingle, static_cast<Extended>(FLT_MAX));
  EXPECT_EQ(static_cast<double>(uc_MaxReal), DBL_MAX);  // finite when stored as a double
  EXPECT_EQ(static_cast<std::int64_t>(uc_MaxInt64), std::numeric_limits<std::int64_t>::max());
  EXPECT_NEAR(uc_sqrt2 * uc_sqrt2, 2.0L, 4 * LDBL_EPSILON);
  EXPECT_NEAR(uc_sqrt2pitom1, 1.0L / std::sqrt(2.0L * 3.141592653589793238462643383279502884L), 2 * LDBL_EPSILON);
}

TEST(BasepackConstants, LnFactorialMatchesLogGamma) {
  EXPECT_EQ(uc_LnFactorial.size(), static_cast<std::size_t>(uc_LnFactorialMax) + 1);
  EXPECT_EQ(uc_LnFactorial[0], 0.0L);
  EXPECT_EQ(uc_LnFactorial[1], 0.0L);
  EXPECT_NEAR(uc_LnFactorial[5], std::log(120.0L), 1e-18L);
  for (int n = 0; n <= uc_LnFactorialMax; ++n) {
    const Extended expected = std::lgamma(static_cast<Extended>(n) + 1.0L);
    EXPECT_NEAR(uc_LnFactorial[static_cast<std::size_t>(n)], expected, 1e-16L * (1.0L + expected)) << n;
  }
}

}  // namespace
}  // namespace qmx
