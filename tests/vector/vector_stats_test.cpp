// TVector statistics and measures: extremes, sums, means, order statistics
// (against direct computations), moments, products, correlation, histogram
// and integration (against closed forms).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "qmx/foundation/platform.hpp"
#include "vector/vector_test_util.hpp"

namespace qmx {
namespace {

using vectest::MessageOf;
using vectest::SetAll;
using vectest::TEventLog;
using vectest::Values;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

std::vector<double> Uniform(std::size_t n, std::uint64_t seed) {
  SetRandSeed(seed);
  std::vector<double> d(n);
  for (double& x : d) {
    x = Random() * 100.0 - 30.0;
  }
  return d;
}

TEST(VectorStats, MinMaxFirstOccurrenceAndRange) {
  TVector v;
  SetAll(v, std::vector<double>{4, -1, 7, -1, 7, 2});
  double mn = 0, mx = 0;
  std::int32_t mnIx = 0, mxIx = 0;
  v.MinMax(0, 0, mn, mx, mnIx, mxIx);
  EXPECT_EQ(mn, -1.0);
  EXPECT_EQ(mx, 7.0);
  EXPECT_EQ(mnIx, 2);
  EXPECT_EQ(mxIx, 3);
  v.MinMax(6, 4, mn, mx, mnIx, mxIx);
  EXPECT_EQ(mn, -1.0);
  EXPECT_EQ(mnIx, 4);
  EXPECT_EQ(mxIx, 5);
}

TEST(VectorStats, MinMaxHandlesValuesBeyondTheStartValues) {
  TVector v;
  SetAll(v, std::vector<double>{kInf, 1.75e308, kInf});
  double mn = 0, mx = 0;
  std::int32_t mnIx = 0, mxIx = 0;
  v.MinMax(0, 0, mn, mx, mnIx, mxIx);
  EXPECT_EQ(mn, 1.75e308);
  EXPECT_EQ(mnIx, 2);
  EXPECT_EQ(mx, kInf);
  EXPECT_EQ(mxIx, 1);
  SetAll(v, std::vector<double>{kNaN, -kInf, kNaN});
  v.MinMax(0, 0, mn, mx, mnIx, mxIx);
  EXPECT_EQ(mn, -kInf);
  EXPECT_EQ(mx, -kInf);
  EXPECT_EQ(mnIx, 2);
  EXPECT_EQ(mxIx, 2);
  // Only NaN: the start values and index 0.
  SetAll(v, std::vector<double>{kNaN, kNaN});
  v.MinMax(0, 0, mn, mx, mnIx, mxIx);
  EXPECT_EQ(mn, 1.7e308);
  EXPECT_EQ(mx, -1.7e308);
  EXPECT_EQ(mnIx, 0);
  EXPECT_EQ(mxIx, 0);
}

TEST(VectorStats, SumAndMeanVarAgainstDirectSums) {
  const std::vector<double> d = Uniform(1003, 1);
  TVector v;
  SetAll(v, d);
  const double direct = std::accumulate(d.begin(), d.end(), 0.0);
  EXPECT_NEAR(v.Sum(0, 0), direct, 1e-9);
  EXPECT_NEAR(v.Sum(10, 20), std::accumulate(d.begin() + 9, d.begin() + 20, 0.0), 1e-11);
  double mean = 0, var = 0;
  v.MeanVar(0, 0, mean, var);
  const double m = direct / 1003.0;
  double ss = 0;
  for (double x : d) {
    ss += (x - m) * (x - m);
  }
  EXPECT_NEAR(mean, m, 1e-12);
  EXPECT_NEAR(var, ss / 1002.0, 1e-8);
}

TEST(VectorStats, MeanVarUsesOneForFewerThanThree) {
  TVector v;
  SetAll(v, std::vector<double>{3, 8});
  double mean = 0, var = 0;
  v.MeanVar(0, 0, mean, var);
  EXPECT_EQ(mean, 5.5);
  EXPECT_EQ(var, 1.0);
  SetAll(v, std::vector<double>{3, 8, 10});
  v.MeanVar(0, 0, mean, var);
  EXPECT_DOUBLE_EQ(mean, 7.0);
  EXPECT_DOUBLE_EQ(var, (16.0 + 1.0 + 9.0) / 2.0);
  SetAll(v, std::vector<double>{0.1, 0.1, 0.1, 0.1});
  v.MeanVar(0, 0, mean, var);
  EXPECT_GE(var, 0.0);  // rounding never makes it negative
}

TEST(VectorStats, GeometricAndHarmonicMean) {
  TVector v;
  v.SetName("M");
  SetAll(v, std::vector<double>{1, 4, 16});
  EXPECT_NEAR(v.GeometricMean(0, 0), 4.0, 1e-12);
  EXPECT_NEAR(v.HarmonicMean(0, 0), 3.0 / (1 + 0.25 + 0.0625), 1e-12);
  v.SetVal(2, 0.0);
  EXPECT_EQ(v.GeometricMean(0, 0), 0.0);
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { (void)v.HarmonicMean(0, 0); }),
            "Component \"M\": negative or zero argument passed to HarmonicMean");
  v.SetVal(3, -1.0);
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { (void)v.GeometricMean(0, 0); }),
            "Component \"M\": negative argument passed to GeometricMean");
  EXPECT_EQ(v.GeometricMean(1, 2), 0.0);  // the negative element is outside the range
}

TEST(VectorStats, Mode) {
  TVector v;
  SetAll(v, std::vector<double>{3, 1, 3, 1, 2});
  EXPECT_EQ(v.Mode(0, 0), 1.0);
  SetAll(v, std::vector<double>{9, 4, 6, 5});
  EXPECT_EQ(v.Mode(0, 0), 4.0);
  SetAll(v, std::vector<double>{5, 2, 5, 2, 5, 7, 7});
  EXPECT_EQ(v.Mode(0, 0), 5.0);
  EXPECT_EQ(v.Mode(2, 4), 2.0);  // (2, 5, 2)
}

double DirectPercentile(std::vector<double> s, double perc) {
  std::sort(s.begin(), s.end());
  const double pos = static_cast<double>(s.size() - 1) * perc / 100.0;
  const auto k = static_cast<std::size_t>(pos);
  if (k + 1 >= s.size()) {
    return s.back();
  }
  return s[k] + (pos - static_cast<double>(k)) * (s[k + 1] - s[k]);
}

TEST(VectorStats, PercentileAgainstDirectComputation) {
  for (std::size_t n : {1u, 2u, 7u, 100u, 4097u}) {
    const std::vector<double> d = Uniform(n, 40 + n);
    TVector v;
    SetAll(v, d);
    for (double p : {0.0, 0.5, 10.0, 25.0, 33.3, 50.0, 75.0, 99.9, 100.0}) {
      EXPECT_DOUBLE_EQ(v.Percentile(p, 0, 0), DirectPercentile(d, p)) << n << " " << p;
    }
    EXPECT_EQ(v.Percentile(150, 0, 0), v.Percentile(100, 0, 0));
    EXPECT_EQ(v.Percentile(-5, 0, 0), v.Percentile(0, 0, 0));
    EXPECT_EQ(v.Percentile(0, 0, 0), *std::min_element(d.begin(), d.end()));
    EXPECT_EQ(v.Percentile(100, 0, 0), *std::max_element(d.begin(), d.end()));
    if (n > 10) {
      EXPECT_DOUBLE_EQ(v.Percentile(40, 3, 9), DirectPercentile(std::vector<double>(d.begin() + 2, d.begin() + 9), 40));
    }
  }
  TVector v;
  EXPECT_TRUE(std::isnan(v.Percentile(kNaN, 0, 0)));
  // The vector itself is not reordered.
  SetAll(v, std::vector<double>{5, 1, 4});
  (void)v.Percentile(50, 0, 0);
  EXPECT_EQ(Values(v), (std::vector<double>{5, 1, 4}));
  // A neighbouring infinity does not spoil an exact rank.
  SetAll(v, std::vector<double>{1, 2, kInf});
  EXPECT_EQ(v.Percentile(50, 0, 0), 2.0);
}

TEST(VectorStats, Quartiles) {
  TVector v;
  double q1 = -1, q2 = -1, q3 = -1;
  SetAll(v, std::vector<double>{2, 1});
  EXPECT_TRUE(v.Quartiles(0, 0, q1, q2, q3));
  EXPECT_EQ(q1, 1.0);
  EXPECT_EQ(q2, 1.5);
  EXPECT_EQ(q3, 2.0);
  SetAll(v, std::vector<double>{3, 1, 2});
  v.Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ(q1, 1.0);
  EXPECT_EQ(q2, 2.0);
  EXPECT_EQ(q3, 3.0);
  SetAll(v, std::vector<double>{6});
  v.Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ(q1, 6.0);
  EXPECT_EQ(q3, 6.0);
  // Against positions (n + 1)p of the sorted data on random input.
  std::vector<double> d = Uniform(999, 8);
  SetAll(v, d);
  std::sort(d.begin(), d.end());
  v.Quartiles(0, 0, q1, q2, q3);
  EXPECT_DOUBLE_EQ(q1, d[249]);           // position 250
  EXPECT_DOUBLE_EQ(q2, d[499]);           // position 500
  EXPECT_DOUBLE_EQ(q3, d[749]);           // position 750
  SetAll(v, std::vector<double>{1, 2, 3, 4, 5, 6});
  v.Quartiles(0, 0, q1, q2, q3);          // positions 1.75, 3.5, 5.25
  EXPECT_DOUBLE_EQ(q1, 1.75);
  EXPECT_DOUBLE_EQ(q2, 3.5);
  EXPECT_DOUBLE_EQ(q3, 5.25);
}

TEST(VectorStats, SkewKurtAgainstDirectMoments) {
  const std::vector<double> d{1, 2, 2, 3, 9, 4, 4.5, -2};
  TVector v;
  SetAll(v, d);
  const double n = static_cast<double>(d.size());
  const double m = std::accumulate(d.begin(), d.end(), 0.0) / n;
  double s2 = 0, s3 = 0, s4 = 0;
  for (double x : d) {
    s2 += (x - m) * (x - m);
    s3 += std::pow(x - m, 3);
    s4 += std::pow(x - m, 4);
  }
  const double s = std::sqrt(s2 / (n - 1));
  const double g1 = (s3 / n) / (s * s * s);
  const double g2 = (s4 / n) / (s * s * s * s) - 3.0;
  double skew = 0, kurt = 0;
  std::int32_t num = 0;
  v.SkewKurtIntern(0, 0, skew, kurt, num);
  EXPECT_EQ(num, 8);
  EXPECT_NEAR(skew, g1, 1e-12);
  EXPECT_NEAR(kurt, g2, 1e-12);
  v.SkewKurt(0, 0, skew, kurt);
  EXPECT_NEAR(skew, g1, 1e-12);
  v.SkewKurtSample(0, 0, skew, kurt);
  EXPECT_NEAR(skew, n * g1 * n / (n - 1) / (n - 2), 1e-12);
  EXPECT_NEAR(kurt,
              ((g2 + 3) * n * n * (n + 1) / (n - 1)) / ((n - 2) * (n - 3)) - 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3)),
              1e-12);
  // Four or fewer elements: zeros.
  v.SkewKurtIntern(1, 3, skew, kurt, num);
  EXPECT_EQ(num, 3);
  EXPECT_EQ(skew, 0.0);
  EXPECT_EQ(kurt, 0.0);
  v.SkewKurtSample(2, 4, skew, kurt);
  EXPECT_EQ(skew, 0.0);
  EXPECT_EQ(kurt, 0.0);
}

TEST(VectorStats, ProductsDistancesAndCorrelation) {
  TVector a;
  TVector b;
  SetAll(a, std::vector<double>{0, 0});
  SetAll(b, std::vector<double>{3, 4});
  EXPECT_DOUBLE_EQ(a.EuclideanDistance(&b), 5.0);
  EXPECT_DOUBLE_EQ(b.CalcVecLeng(), 5.0);
  EXPECT_DOUBLE_EQ(b.DotProduct(&b), 25.0);
  EXPECT_EQ(b.DotProduct(nullptr), 0.0);
  TVector c;
  c.Resize(3);
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { (void)a.EuclideanDistance(&c); }),
            "EuclideanDistance: dimensions of vectors do not match");
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { (void)a.EuclideanDistance(nullptr); }),
            "EuclideanDistance: dimensions of vectors do not match");

  // Pearson against a direct two-pass computation.
  const std::vector<double> x = Uniform(50, 2);
  std::vector<double> y = Uniform(50, 3);
  for (std::size_t i = 0; i < y.size(); ++i) {
    y[i] += 0.7 * x[i];
  }
  SetAll(a, x);
  SetAll(b, y);
  const double mx = std::accumulate(x.begin(), x.end(), 0.0) / 50;
  const double my = std::accumulate(y.begin(), y.end(), 0.0) / 50;
  double sxy = 0, sxx = 0, syy = 0;
  for (std::size_t i = 0; i < 50; ++i) {
    sxy += (x[i] - mx) * (y[i] - my);
    sxx += (x[i] - mx) * (x[i] - mx);
    syy += (y[i] - my) * (y[i] - my);
  }
  EXPECT_NEAR(a.PearsonCorrCoeff(&b), sxy / std::sqrt(sxx * syy), 1e-10);
  EXPECT_EQ(a.PearsonCorrCoeff(nullptr), 0.0);
  EXPECT_EQ(a.PearsonCorrCoeff(&c), 0.0);
  SetAll(c, std::vector<double>{2, 2, 2});
  TVector d3;
  SetAll(d3, std::vector<double>{1, 2, 3});
  EXPECT_EQ(c.PearsonCorrCoeff(&d3), 0.0);  // no spread
  TVector one;
  EXPECT_EQ(one.PearsonCorrCoeff(&one), 0.0);

  // Correlate: Σ a[i]·b[i - lag] over the overlap.
  SetAll(a, std::vector<double>{1, 2, 3, 4});
  SetAll(b, std::vector<double>{10, 20, 30});
  EXPECT_DOUBLE_EQ(a.Correlate(&b, 0), 1 * 10 + 2 * 20 + 3 * 30);
  EXPECT_DOUBLE_EQ(a.Correlate(&b, 1), 2 * 10 + 3 * 20 + 4 * 30);
  EXPECT_DOUBLE_EQ(a.Correlate(&b, -1), 1 * 20 + 2 * 30);
  EXPECT_EQ(a.Correlate(&b, 3), 0.0);   // one overlapping element
  EXPECT_EQ(a.Correlate(&b, -2), 0.0);  // one overlapping element
  EXPECT_EQ(a.Correlate(&b, kMaxInt), 0.0);
  EXPECT_EQ(a.Correlate(&b, kMinInt), 0.0);
  EXPECT_EQ(a.Correlate(nullptr, 0), 0.0);
}

TEST(VectorStats, HistogramBinsAndCounters) {
  TVector v;
  SetAll(v, std::vector<double>{0, 0.5, 9.999, 10.0, -0.1, 3, 3.2, kNaN});
  TIntArray h;
  std::int32_t under = -1, over = -1, maxCnt = -1;
  ASSERT_TRUE(v.Histogram(1, 8, 0, 9, 1, h, under, over, maxCnt));
  ASSERT_EQ(h.size(), 10u);
  EXPECT_EQ(h, (TIntArray{2, 0, 0, 2, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 2);  // 10.0 and NaN
  EXPECT_EQ(maxCnt, 2);

  // Too many bins: false, nothing touched.
  h = {7};
  under = over = maxCnt = -1;
  EXPECT_FALSE(v.Histogram(1, 8, 0, 600, 1, h, under, over, maxCnt));
  EXPECT_FALSE(v.Histogram(1, 8, 0, 9, 0, h, under, over, maxCnt));
  EXPECT_FALSE(v.Histogram(1, 8, kNaN, 9, 1, h, under, over, maxCnt));
  EXPECT_FALSE(v.Histogram(1, 8, 0, 9, -1, h, under, over, maxCnt));
  EXPECT_EQ(h, (TIntArray{7}));
  EXPECT_EQ(under, -1);
  EXPECT_TRUE(v.Histogram(1, 8, 0, 499, 1, h, under, over, maxCnt));
  EXPECT_EQ(h.size(), 500u);

  // Width 4 over 0..9: round(9/4) + 1 = 3 bins reaching 12, while values
  // below LastBin + BinWidth = 13 are not underflow: 12.5 lies beyond the last bin.
  SetAll(v, std::vector<double>{11.9, 12.5, 13});
  ASSERT_TRUE(v.Histogram(0, 0, 0, 9, 4, h, under, over, maxCnt));  // (0, 0): index 0 only, value 0.0
  EXPECT_EQ(h, (TIntArray{1, 0, 0}));
  ASSERT_TRUE(v.Histogram(1, 3, 0, 9, 4, h, under, over, maxCnt));
  EXPECT_EQ(h, (TIntArray{0, 0, 1}));
  EXPECT_EQ(over, 2);

  // Indexes outside the vector count the value 0.0; HiIx < LoIx counts nothing.
  ASSERT_TRUE(v.Histogram(-2, 4, 0, 9, 4, h, under, over, maxCnt));
  EXPECT_EQ(h, (TIntArray{4, 0, 1}));
  ASSERT_TRUE(v.Histogram(3, 1, 0, 9, 4, h, under, over, maxCnt));
  EXPECT_EQ(h, (TIntArray{0, 0, 0}));
  EXPECT_EQ(under + over + maxCnt, 0);
  // The whole index range: counters saturate instead of overflowing.
  ASSERT_TRUE(v.Histogram(kMinInt, kMaxInt, 0, 9, 4, h, under, over, maxCnt));
  EXPECT_EQ(h[0], kMaxInt);
  EXPECT_EQ(maxCnt, kMaxInt);
}

TEST(VectorStats, HistogramIntoIntVector) {
  TVector v;
  SetAll(v, std::vector<double>{0.5, 1.5, 1.7, 2.5});
  TIntVector h;
  TEventLog log;
  log.Attach(h);
  std::int32_t under = 0, over = 0, maxCnt = 0;
  ASSERT_TRUE(v.Histogram(0, 4, 0, 2, 1, &h, under, over, maxCnt));
  EXPECT_EQ(Values(h), (std::vector<std::int32_t>{2, 2, 1}));  // index 0 adds a 0.0
  EXPECT_EQ(log.events, (std::vector<std::string>{"change", "resize", "change"}));
  log.Clear();
  EXPECT_FALSE(v.Histogram(1, 4, 0, 1000, 1, &h, under, over, maxCnt));
  EXPECT_TRUE(log.events.empty());
  EXPECT_TRUE(v.Histogram(1, 4, 0, 2, 1, static_cast<TIntVector*>(nullptr), under, over, maxCnt));
  EXPECT_EQ(maxCnt, 2);
}

// Samples of a polynomial at x = 1..n.
void Sample(TVector& v, std::int32_t n, const std::vector<double>& coeffs) {
  v.Resize(n);
  for (std::int32_t i = 1; i <= n; ++i) {
    double y = 0;
    for (std::size_t k = coeffs.size(); k-- > 0;) {
      y = y * i + coeffs[k];
    }
    v.SetVal(i, y);
  }
}

double PolyIntegral(const std::vector<double>& c, double a, double b) {
  double s = 0;
  for (std::size_t k = 0; k < c.size(); ++k) {
    s += c[k] * (std::pow(b, static_cast<double>(k + 1)) - std::pow(a, static_cast<double>(k + 1))) /
         static_cast<double>(k + 1);
  }
  return s;
}

TEST(VectorIntegrate, SimpsonIsExactForCubics) {
  const std::vector<double> cubic{1.5, -2.0, 0.75, 0.3};
  for (std::int32_t n : {3, 4, 5, 6, 7, 8, 11, 40}) {
    TVector v;
    Sample(v, n, cubic);
    EXPECT_NEAR(v.Integrate(1, n, TIntegMethod::imSimpson), PolyIntegral(cubic, 1, n), 1e-9 * n * n * n * n) << n;
    // Bounds given in reverse order and beyond the vector.
    EXPECT_NEAR(v.Integrate(n + 10.0, -3.0, TIntegMethod::imSimpson), PolyIntegral(cubic, 1, n),
                1e-9 * n * n * n * n);
  }
  // Boole's rule is exact up to degree 5.
  const std::vector<double> quintic{0, 1, -1, 0.5, 0.2, -0.1};
  TVector v;
  Sample(v, 5, quintic);
  EXPECT_NEAR(v.Integrate(1, 5, TIntegMethod::imSimpson), PolyIntegral(quintic, 1, 5), 1e-9);
}

TEST(VectorIntegrate, LinearFunctionsAreExactWithFractionalBounds) {
  const std::vector<double> line{2.0, 0.5};
  TVector v;
  Sample(v, 9, line);
  for (auto [a, b] : {std::pair{1.3, 7.6}, std::pair{2.5, 2.75}, std::pair{4.0, 8.2}, std::pair{1.1, 9.0}}) {
    EXPECT_NEAR(v.Integrate(a, b, TIntegMethod::imTrapezoidal), PolyIntegral(line, a, b), 1e-12) << a << " " << b;
    EXPECT_NEAR(v.Integrate(a, b, TIntegMethod::imSimpson), PolyIntegral(line, a, b), 1e-12) << a << " " << b;
  }
  EXPECT_NEAR(v.Integrate(2, 8, TIntegMethod::imSimple), PolyIntegral(line, 2, 8), 1e-12);
}

TEST(VectorIntegrate, EdgeCases) {
  TVector v;
  SetAll(v, std::vector<double>{4, 4, 4, 4, 4});
  EXPECT_DOUBLE_EQ(v.Integrate(1, 5, TIntegMethod::imTrapezoidal), 4.0 * 4);
  SetAll(v, std::vector<double>{1, 2, 6, 3});
  EXPECT_NEAR(v.Integrate(2.3, 2.7, TIntegMethod::imSimple), (2.0 + 6.0) / 2 * 0.4, 1e-14);
  // Same cell, trapezoid of the interpolated end values.
  EXPECT_DOUBLE_EQ(v.Integrate(2.25, 2.75, TIntegMethod::imTrapezoidal), (3.0 + 5.0) / 2 * 0.5);
  EXPECT_EQ(v.Integrate(3, 3, TIntegMethod::imSimpson), 0.0);
  EXPECT_EQ(v.Integrate(-5, 0.5, TIntegMethod::imTrapezoidal), 0.0);  // both clamped to 1
  EXPECT_EQ(v.Integrate(1, 4, static_cast<TIntegMethod>(9)), 0.0);
  EXPECT_TRUE(std::isnan(v.Integrate(kNaN, 2, TIntegMethod::imSimple)));
  TVector one;
  one.SetVal(1, 3.0);
  EXPECT_EQ(one.Integrate(1, 1, TIntegMethod::imSimple), 0.0);
  EXPECT_EQ(one.Integrate(-1, 1e9, TIntegMethod::imSimpson), 0.0);
}

TEST(VectorStats, PercentileAndQuartilesInterpolateWithoutOverflow) {
  const double big = std::numeric_limits<double>::max();
  TVector v;
  SetAll(v, std::vector<double>{-big, big});
  EXPECT_EQ(v.Percentile(50.0, 0, 0), 0.0);
  double q1 = 0.0;
  double q2 = 1.0;
  double q3 = 0.0;
  v.Quartiles(0, 0, q1, q2, q3);
  EXPECT_TRUE(q1 == -big && q2 == 0.0 && q3 == big);
  SetAll(v, std::vector<double>{kInf, kInf});
  EXPECT_EQ(v.Percentile(50.0, 0, 0), kInf);
  SetAll(v, std::vector<double>{-kInf, 1.0});
  EXPECT_EQ(v.Percentile(50.0, 0, 0), -kInf);
  v.Quartiles(0, 0, q1, q2, q3);
  EXPECT_TRUE(q1 == -kInf && q2 == -kInf && q3 == 1.0);
}

TEST(VectorStats, ModeIgnoresNaN) {
  TVector v;
  SetAll(v, std::vector<double>{kNaN, 5.0, 2.0, 5.0});
  EXPECT_EQ(v.Mode(0, 0), 5.0);
  SetAll(v, std::vector<double>{kNaN, 3.0, kNaN, 1.0});
  EXPECT_EQ(v.Mode(0, 0), 1.0);
  SetAll(v, std::vector<double>{kNaN, kNaN});
  EXPECT_TRUE(std::isnan(v.Mode(0, 0)));
}

TEST(VectorStats, HarmonicMeanOfDenormalsAndHugeValues) {
  const double tiny = std::numeric_limits<double>::denorm_min();
  const double big = std::numeric_limits<double>::max();
  TVector v;
  SetAll(v, std::vector<double>{tiny, tiny});
  EXPECT_EQ(v.HarmonicMean(0, 0), tiny);
  SetAll(v, std::vector<double>{big});
  EXPECT_EQ(v.HarmonicMean(0, 0), big);
}

TEST(VectorStats, MomentsOfHugeElements) {
  const double big = std::numeric_limits<double>::max();
  TVector v;
  double mean = 0.0;
  double var = -1.0;
  SetAll(v, std::vector<double>{big, big, big});
  v.MeanVar(0, 0, mean, var);
  EXPECT_EQ(mean, big);
  EXPECT_EQ(var, 0.0);
  SetAll(v, std::vector<double>{1e200, 2e200, 3e200});
  v.MeanVar(0, 0, mean, var);
  EXPECT_NEAR(mean / 2e200, 1.0, 1e-15);
  // skewness and kurtosis do not depend on the scale
  double sk1 = 0.0;
  double ku1 = 0.0;
  double sk2 = 0.0;
  double ku2 = 0.0;
  SetAll(v, std::vector<double>{1.0, 2.0, 3.0, 4.0, 10.0});
  v.SkewKurt(0, 0, sk1, ku1);
  SetAll(v, std::vector<double>{1e100, 2e100, 3e100, 4e100, 10e100});
  v.SkewKurt(0, 0, sk2, ku2);
  EXPECT_NEAR(sk2, sk1, 1e-12);
  EXPECT_NEAR(ku2, ku1, 1e-12);
}

TEST(VectorStats, LengthsDistancesAndCorrelationOfHugeAndTinyVectors) {
  TVector v;
  TVector w;
  SetAll(v, std::vector<double>{3e200, 4e200});
  EXPECT_NEAR(v.CalcVecLeng() / 5e200, 1.0, 1e-15);
  SetAll(v, std::vector<double>{3e-200, 4e-200});
  EXPECT_NEAR(v.CalcVecLeng() / 5e-200, 1.0, 1e-15);
  SetAll(v, std::vector<double>{3e200, 0.0});
  SetAll(w, std::vector<double>{0.0, 4e200});
  EXPECT_NEAR(v.EuclideanDistance(&w) / 5e200, 1.0, 1e-15);
  SetAll(v, std::vector<double>{3e200, 1e200, 2e200});
  SetAll(w, std::vector<double>{3.0, 1.0, 2.0});
  EXPECT_NEAR(v.PearsonCorrCoeff(&w), 1.0, 1e-12);
}

TEST(VectorIntegrate, HugeAndInfiniteSamples) {
  const double big = std::numeric_limits<double>::max();
  TVector v;
  SetAll(v, std::vector<double>{big});
  for (const auto m : {TIntegMethod::imSimple, TIntegMethod::imTrapezoidal, TIntegMethod::imSimpson}) {
    EXPECT_EQ(v.Integrate(1.0, 1.0, m), 0.0);
  }
  SetAll(v, std::vector<double>{big, big});
  EXPECT_EQ(v.Integrate(1.0, 1.5, TIntegMethod::imTrapezoidal), 0.5 * big);
  SetAll(v, std::vector<double>{big, -big});
  EXPECT_EQ(v.Integrate(1.0, 1.5, TIntegMethod::imTrapezoidal), 0.25 * big);
  SetAll(v, std::vector<double>{kInf, kInf, kInf});
  EXPECT_EQ(v.Integrate(2.0, 2.0, TIntegMethod::imSimpson), 0.0);
  EXPECT_EQ(v.Integrate(1.0, 3.0, TIntegMethod::imTrapezoidal), kInf);
}

}  // namespace
}  // namespace qmx
