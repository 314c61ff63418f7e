// TMatrix: statistics checked against direct computations, histogram,
// normalisation, differences, sorting with its events, mirroring, edge
// vectors and resampling.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "qmx/foundation/basepack.hpp"
#include "qmx/matrix/matrices.hpp"
#include "qmx/vector/vectors.hpp"

namespace qmx {
namespace {

/// A matrix of NCols x NRows uniform values in [-5, 5) with a fixed seed.
void RandomMatrix(TMatrix& m, std::int32_t NCols, std::int32_t NRows, std::uint64_t Seed) {
  m.Resize(NCols, NRows);
  SetRandSeed(Seed);
  m.FillRandomUniform(-5.0, 5.0);
}

/// The elements of the region (1-based, inclusive) in column-major order.
std::vector<double> RegionValues(const TMatrix& m, int c1, int r1, int c2, int r2) {
  std::vector<double> v;
  for (int c = c1; c <= c2; ++c) {
    for (int r = r1; r <= r2; ++r) {
      v.push_back(m.Elem(c, r));
    }
  }
  return v;
}

TEST(MatrixStats, MomentsAgainstDirectComputation) {
  TMatrix m;
  RandomMatrix(m, 7, 11, 3);
  const std::vector<double> x = RegionValues(m, 2, 3, 6, 10);
  const auto n = static_cast<double>(x.size());
  double s = 0.0;
  for (double v : x) {
    s += v;
  }
  const double mean = s / n;
  double d2 = 0.0;
  double d3 = 0.0;
  double d4 = 0.0;
  for (double v : x) {
    const double d = v - mean;
    d2 += d * d;
    d3 += d * d * d;
    d4 += d * d * d * d;
  }
  const double var = d2 / (n - 1);
  // Corner form with reversed corners selects the same region.
  double gotMean = 0;
  double gotVar = 0;
  m.MeanVar(6, 10, 2, 3, gotMean, gotVar);
  EXPECT_NEAR(gotMean, mean, 1e-13);
  EXPECT_NEAR(gotVar, var, 1e-12);
  EXPECT_NEAR(m.Sum(2, 3, 6, 10), s, 1e-12);
  double mn = 0;
  double mx = 0;
  m.MinMax(2, 3, 6, 10, mn, mx);
  EXPECT_EQ(mn, *std::min_element(x.begin(), x.end()));
  EXPECT_EQ(mx, *std::max_element(x.begin(), x.end()));
  double skew = 0;
  double kurt = 0;
  m.SkewKurt(2, 3, 6, 10, skew, kurt);
  const double sd = std::sqrt(var);
  EXPECT_NEAR(skew, d3 / n / (sd * sd * sd), 1e-12);
  EXPECT_NEAR(kurt, d4 / n / (sd * sd * sd * sd) - 3, 1e-12);
  double skewS = 0;
  double kurtS = 0;
  m.SkewKurtSample(2, 3, 6, 10, skewS, kurtS);
  EXPECT_NEAR(skewS, skew * n * n / ((n - 1) * (n - 2)), 1e-12);
  EXPECT_NEAR(kurtS,
              (kurt + 3) * n * n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) - 3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3)),
              1e-12);

  TMatrix p;
  RandomMatrix(p, 4, 5, 4);
  p.Fill(0, 0, 0, 0, 0.0);  // keep the shape, then positive values
  p.FillRandomUniform(0.5, 3.0);
  const std::vector<double> y = RegionValues(p, 1, 1, 4, 5);
  double logs = 0.0;
  double inv = 0.0;
  for (double v : y) {
    logs += std::log(v);
    inv += 1.0 / v;
  }
  EXPECT_NEAR(p.GeometricMean(0, 0, 0, 0), std::exp(logs / 20.0), 1e-13);
  EXPECT_NEAR(p.HarmonicMean(0, 0, 0, 0), 20.0 / inv, 1e-13);
  p.SetVal(2, 2, 0.0);
  EXPECT_EQ(p.GeometricMean(0, 0, 0, 0), 0.0);
  p.SetName("P");
  try {
    (void)p.HarmonicMean(0, 0, 0, 0);
    FAIL();
  } catch (const EQMXMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"P\": negative or zero argument passed to HarmonicMean");
  }
  p.SetVal(4, 5, -1.0);  // after the zero: still an error
  EXPECT_THROW((void)p.GeometricMean(0, 0, 0, 0), EQMXMatrixError);
  EXPECT_NO_THROW((void)p.GeometricMean(1, 1, 3, 4));
}

TEST(MatrixStats, SmallRegionRules) {
  TMatrix m;
  m.Resize(2, 1);
  m.SetVal(1, 1, 1.0);
  m.SetVal(2, 1, 2.0);
  double mean = 0;
  double var = 0;
  m.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 1.5);
  EXPECT_EQ(var, 1.0);  // fewer than three elements
  double skew = 9;
  double kurt = 9;
  m.SkewKurt(1, 1, 1, 1, skew, kurt);
  EXPECT_EQ(skew, 0.0);
  EXPECT_EQ(kurt, 0.0);
  m.SkewKurtSample(0, 0, 0, 0, skew, kurt);
  EXPECT_EQ(skew, 0.0);
  m.Resize(3, 1);
  m.Fill(4.0);
  m.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(var, 0.0);
  m.SkewKurt(0, 0, 0, 0, skew, kurt);  // no spread
  EXPECT_EQ(skew, 0.0);
  EXPECT_EQ(kurt, 0.0);
  EXPECT_EQ(m.Trace(), 0.0);  // not square
  m.Resize(2, 2);
  m.FillSerial(1.0, 1.0);
  EXPECT_EQ(m.Trace(), 1.0 + 4.0);
}

TEST(MatrixStats, QuartilesAndPercentiles) {
  TMatrix m;
  m.Resize(1, 3);
  m.SetVal(1, 1, 3.0);
  m.SetVal(1, 2, 1.0);
  m.SetVal(1, 3, 2.0);
  double q1 = 0;
  double q2 = 0;
  double q3 = 0;
  EXPECT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q1, 1.0);
  EXPECT_EQ(q2, 2.0);
  EXPECT_EQ(q3, 3.0);
  EXPECT_EQ(m.Percentile(50.0, 0, 0, 0, 0), 3.0);  // k = round-even(1.5) = 2
  EXPECT_EQ(m.Percentile(0.0, 0, 0, 0, 0), 1.0);
  EXPECT_EQ(m.Percentile(-5.0, 0, 0, 0, 0), 1.0);
  EXPECT_EQ(m.Percentile(100.0, 0, 0, 0, 0), 3.0);  // one beyond the last: the largest
  EXPECT_EQ(m.Percentile(1e9, 0, 0, 0, 0), 3.0);
  EXPECT_TRUE(std::isnan(m.Percentile(std::numeric_limits<double>::quiet_NaN(), 0, 0, 0, 0)));
  EXPECT_EQ(m.Elem(1, 1), 3.0);  // the matrix is not reordered
  m.Resize(1, 2);
  m.SetVal(1, 1, 1.0);
  m.SetVal(1, 2, 2.0);
  EXPECT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q1, 1.0);
  EXPECT_EQ(q2, 1.5);
  EXPECT_EQ(q3, 2.0);
  m.Resize(1, 1);
  EXPECT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q1, 1.0);
  EXPECT_EQ(q3, 1.0);

  TMatrix r;
  RandomMatrix(r, 6, 9, 11);
  std::vector<double> x = RegionValues(r, 2, 2, 5, 8);
  std::sort(x.begin(), x.end());
  for (double p : {0.0, 10.0, 33.0, 50.0, 90.0, 99.0}) {
    const auto k = static_cast<std::size_t>(std::nearbyint(static_cast<double>(x.size()) * p / 100.0));
    EXPECT_EQ(r.Percentile(p, 2, 2, 5, 8), x[std::min(k, x.size() - 1)]) << p;
    EXPECT_EQ(r.Percentile(p, 2, 2, 5, 8, 0), r.Percentile(p, 2, 2, 5, 8));  // no sampling
    EXPECT_EQ(r.Percentile(p, 2, 2, 5, 8, 1000), r.Percentile(p, 2, 2, 5, 8));
  }
  const double n = static_cast<double>(x.size());
  auto interp = [&](double q) {
    const double pos = (n + 1) * q;
    const auto k = static_cast<std::size_t>(pos);
    return x[k - 1] + (x[k] - x[k - 1]) * (pos - static_cast<double>(k));
  };
  EXPECT_TRUE(r.Quartiles(2, 2, 5, 8, q1, q2, q3));
  EXPECT_NEAR(q1, interp(0.25), 1e-14);
  EXPECT_NEAR(q2, interp(0.5), 1e-14);
  EXPECT_NEAR(q3, interp(0.75), 1e-14);
}

TEST(MatrixStats, SampledPercentile) {
  TMatrix m;
  m.Resize(10, 10);
  m.Fill(0.0);
  m.Fill(1, 1, 1, 10, -1.0);   // 10 % negative
  m.Fill(10, 10, 1, 10, 5.0);  // 10 % positive, the rest zero
  // With 50 draws the fractions are near 0.1 and 0.9, so the median is exactly 0.
  EXPECT_EQ(m.Percentile(50.0, 0, 0, 0, 0, 50), 0.0);
  const double p99 = m.Percentile(99.0, 0, 0, 0, 0, 50);
  EXPECT_TRUE(p99 == 0.0 || p99 == 5.0);
  TMatrix r;
  RandomMatrix(r, 30, 30, 5);
  const double est = r.Percentile(50.0, 0, 0, 0, 0, 400);
  EXPECT_GE(est, -5.0);
  EXPECT_LT(est, 5.0);
  EXPECT_NEAR(est, r.Percentile(50.0, 0, 0, 0, 0), 1.5);
}

TEST(MatrixStats, HistogramBinsAndOverflow) {
  TMatrix m;
  m.Resize(1, 6);
  const double v[] = {-0.5, 0.0, 3.2, 9.5, 10.0, std::numeric_limits<double>::quiet_NaN()};
  for (int k = 0; k < 6; ++k) {
    m.SetVal(1, k + 1, v[k]);
  }
  TIntArray h(3, 77);
  std::int32_t under = -1;
  std::int32_t over = -1;
  std::int32_t maxCnt = -1;
  ASSERT_TRUE(m.Histogram(0, 0, 0, 0, 0.0, 9.0, 1.0, h, under, over, maxCnt));
  ASSERT_EQ(h.size(), 10u);
  EXPECT_EQ(h[0], 1);
  EXPECT_EQ(h[3], 1);
  EXPECT_EQ(h[9], 1);  // 9.5 lands in the last bin
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 2);  // 10 and NaN
  EXPECT_EQ(maxCnt, 1);
  EXPECT_EQ(std::accumulate(h.begin(), h.end(), 0), 3);
  TIntArray keep = h;
  EXPECT_FALSE(m.Histogram(0, 0, 0, 0, 0.0, 599.0, 1.0, h, under, over, maxCnt));  // 600 bins
  EXPECT_FALSE(m.Histogram(0, 0, 0, 0, 0.0, 9.0, 0.0, h, under, over, maxCnt));
  EXPECT_FALSE(m.Histogram(0, 0, 0, 0, 0.0, 9.0, -1.0, h, under, over, maxCnt));
  EXPECT_FALSE(m.Histogram(0, 0, 0, 0, 0.0, std::numeric_limits<double>::infinity(), 1.0, h, under, over, maxCnt));
  EXPECT_EQ(h, keep);
  EXPECT_TRUE(m.Histogram(0, 0, 0, 0, 0.0, 499.0, 1.0, h, under, over, maxCnt));  // 500 bins are fine
  // Bins that stop short of LastBin + BinWidth: 4.5 / 2 rounds to 2, so 3 bins
  // cover [0, 6); 6 <= x < 6.5 is beyond the last bin and counts as overflow.
  m.Fill(6.2);
  EXPECT_TRUE(m.Histogram(0, 0, 0, 0, 0.0, 4.5, 2.0, h, under, over, maxCnt));
  EXPECT_EQ(h.size(), 3u);
  EXPECT_EQ(over, 6);

  TMatrix r;
  RandomMatrix(r, 5, 40, 9);
  TIntVector hv;
  ASSERT_TRUE(r.Histogram(2, 5, 4, 30, -4.0, 3.0, 0.5, &hv, under, over, maxCnt));
  EXPECT_EQ(hv.NrOfElem(), 15);
  std::vector<std::int32_t> direct(15, 0);
  std::int32_t u = 0;
  std::int32_t o = 0;
  for (double x : RegionValues(r, 2, 5, 4, 30)) {
    if (x < -4.0) {
      ++u;
    } else if (x >= 3.5) {
      ++o;
    } else {
      ++direct[static_cast<std::size_t>(std::floor((x + 4.0) / 0.5))];
    }
  }
  for (int k = 0; k < 15; ++k) {
    EXPECT_EQ(hv.GetVal(k + 1), direct[static_cast<std::size_t>(k)]);
  }
  EXPECT_EQ(under, u);
  EXPECT_EQ(over, o);
  EXPECT_EQ(maxCnt, *std::max_element(direct.begin(), direct.end()));
}

TEST(MatrixStats, MeanVecDichotomizeEdgeVector) {
  TMatrix m;
  RandomMatrix(m, 4, 6, 21);
  TVector v;
  m.MeanVec(TDims::dimColumns, &v);
  ASSERT_EQ(v.NrOfElem(), 4);
  for (int c = 1; c <= 4; ++c) {
    double mean = 0;
    double var = 0;
    m.MeanVar(c, 1, c, 6, mean, var);
    EXPECT_NEAR(v.GetVal(c), mean, 1e-14);
  }
  m.MeanVec(TDims::dimRows, &v);
  ASSERT_EQ(v.NrOfElem(), 6);
  for (int r = 1; r <= 6; ++r) {
    double s = 0;
    for (int c = 1; c <= 4; ++c) {
      s += m.Elem(c, r);
    }
    EXPECT_NEAR(v.GetVal(r), s / 4, 1e-14);
  }
  m.MeanVec(TDims::dimRows, nullptr);

  TBool2DArray mask;
  const std::int32_t n = m.Dichotomize(0.5, mask);
  ASSERT_EQ(mask.size(), 4u);
  ASSERT_EQ(mask[0].size(), 6u);
  EXPECT_EQ(n, m.CountValues(0, 0, 0, 0, 0.5, 1e300));
  EXPECT_EQ(mask[2][3], m.Elem(3, 4) >= 0.5);

  // Vertical: one entry per column over the selected rows 2, 4, 9 (9 is out).
  EXPECT_EQ(m.EdgeVector(TOrientation::orVertical, TEdgeOp::eoSum, TIntArray{2, 4, 9}, &v), -2);
  ASSERT_EQ(v.NrOfElem(), 4);
  EXPECT_NEAR(v.GetVal(3), m.Elem(3, 2) + m.Elem(3, 4), 1e-14);
  EXPECT_EQ(m.EdgeVector(TOrientation::orVertical, TEdgeOp::eoMean, TIntArray{2, 4}, &v), 0);
  EXPECT_NEAR(v.GetVal(1), (m.Elem(1, 2) + m.Elem(1, 4)) / 2, 1e-14);
  EXPECT_EQ(m.EdgeVector(TOrientation::orVertical, TEdgeOp::eoStdDev, TIntArray{2, 4}, &v), 0);
  EXPECT_EQ(v.GetVal(1), 0.0);  // fewer than three values
  // Horizontal over all columns: per-row extremes and deviations.
  EXPECT_EQ(m.EdgeVector(TOrientation::orHorizontal, TEdgeOp::eoMax, &v), 0);
  ASSERT_EQ(v.NrOfElem(), 6);
  for (int r = 1; r <= 6; ++r) {
    double mn = 0;
    double mx = 0;
    m.MinMax(1, r, 4, r, mn, mx);
    EXPECT_EQ(v.GetVal(r), mx);
  }
  EXPECT_EQ(m.EdgeVector(TOrientation::orHorizontal, TEdgeOp::eoStdDev, &v), 0);
  for (int r = 1; r <= 6; ++r) {
    double mean = 0;
    double var = 0;
    m.MeanVar(1, r, 4, r, mean, var);
    EXPECT_NEAR(v.GetVal(r), std::sqrt(var), 1e-12);
  }
  EXPECT_EQ(m.EdgeVector(TOrientation::orHorizontal, TEdgeOp::eoMin, TIntArray{0, -3}, &v), -2);
  EXPECT_EQ(v.GetVal(1), static_cast<double>(uc_MaxDouble));  // no column used
  EXPECT_EQ(m.EdgeVector(TOrientation::orHorizontal, TEdgeOp::eoMean, TIntArray{7}, &v), -2);
  EXPECT_EQ(v.GetVal(1), 0.0);
  EXPECT_EQ(m.EdgeVector(TOrientation::orHorizontal, TEdgeOp::eoMean, nullptr), -1);
}

TEST(MatrixStats, StandardizeQNormalizeMeanCenter) {
  TMatrix m;
  RandomMatrix(m, 5, 8, 31);
  m.Fill(3, 3, 0, 0, 2.0);  // a column without spread stays as it is
  TMatrix orig;
  orig.Assign(&m);
  TVector means;
  TVector devs;
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  m.StandardizeColumns(&means, &devs);
  EXPECT_EQ(changes, 1);
  ASSERT_EQ(means.NrOfElem(), 5);
  for (int c = 1; c <= 5; ++c) {
    double mean = 0;
    double var = 0;
    orig.MeanVar(c, 1, c, 8, mean, var);
    EXPECT_NEAR(means.GetVal(c), mean, 1e-14);
    EXPECT_NEAR(devs.GetVal(c), std::sqrt(var), 1e-14);
    for (int r = 1; r <= 8; ++r) {
      const double expect = var > 0 ? (orig.Elem(c, r) - mean) / std::sqrt(var) : orig.Elem(c, r);
      EXPECT_NEAR(m.Elem(c, r), expect, 1e-13);
    }
  }
  m.OnChange = nullptr;

  TMatrix rows;
  rows.Assign(&orig);
  rows.StandardizeRows(&means, nullptr);
  ASSERT_EQ(means.NrOfElem(), 8);
  for (int r = 1; r <= 8; ++r) {
    double mean = 0;
    double var = 0;
    orig.MeanVar(1, r, 5, r, mean, var);
    EXPECT_NEAR(means.GetVal(r), mean, 1e-14);
    for (int c = 1; c <= 5; ++c) {
      EXPECT_NEAR(rows.Elem(c, r), (orig.Elem(c, r) - mean) / std::sqrt(var), 1e-12);
    }
  }

  TMatrix q;
  q.Assign(&orig);
  TVector centres;
  TVector spreads;
  q.QNormalizeColumns(25.0, &centres, &spreads);
  for (int c = 1; c <= 5; ++c) {
    const double med = orig.Percentile(50.0, c, 1, c, 8);
    const double spread = std::fabs(med - orig.Percentile(25.0, c, 1, c, 8));
    EXPECT_EQ(centres.GetVal(c), med);
    EXPECT_EQ(spreads.GetVal(c), spread);
    const double expect = spread > 0 ? (orig.Elem(c, 4) - med) / spread : orig.Elem(c, 4);
    EXPECT_NEAR(q.Elem(c, 4), expect, 1e-13);
  }
  q.Assign(&orig);
  q.QNormalizeRows(75.0, nullptr, &spreads);
  ASSERT_EQ(spreads.NrOfElem(), 8);
  EXPECT_EQ(spreads.GetVal(2), std::fabs(orig.Percentile(50.0, 1, 2, 5, 2) - orig.Percentile(75.0, 1, 2, 5, 2)));

  TMatrix mc;
  mc.Assign(&orig);
  mc.MeanCenterColumns(&means);
  double mean = 0;
  double var = 0;
  mc.MeanVar(2, 1, 2, 8, mean, var);
  EXPECT_NEAR(mean, 0.0, 1e-15);
  mc.Assign(&orig);
  mc.MeanCenterRows(nullptr);
  mc.MeanVar(1, 5, 5, 5, mean, var);
  EXPECT_NEAR(mean, 0.0, 1e-15);
}

TEST(MatrixStats, DiffOrdersAndEvents) {
  TMatrix m;
  m.Resize(2, 5);
  for (int r = 1; r <= 5; ++r) {
    m.SetVal(1, r, static_cast<double>(r * r));  // 1 4 9 16 25
    m.SetVal(2, r, static_cast<double>(r));
  }
  std::string log;
  m.OnChange = [&](TObject*) { log += 'C'; };
  m.OnResize = [&](TObject*) { log += 'R'; };
  EXPECT_EQ(m.Diff(11, TApplyColRow::acrColumns), -1);
  EXPECT_EQ(m.Diff(0, TApplyColRow::acrColumns), -1);
  EXPECT_EQ(m.Diff(5, TApplyColRow::acrColumns), -2);
  EXPECT_EQ(m.Diff(2, TApplyColRow::acrRows), -2);
  EXPECT_EQ(log, "");
  EXPECT_EQ(m.Diff(2, TApplyColRow::acrColumns), 0);
  EXPECT_EQ(log, "CRCR");
  ASSERT_EQ(m.NrOfRows(), 3);
  for (int r = 1; r <= 3; ++r) {
    EXPECT_EQ(m.Elem(1, r), 2.0);  // second differences of squares
    EXPECT_EQ(m.Elem(2, r), 0.0);
  }
  TMatrix h;
  h.Resize(4, 1);
  h.FillSerial(1.0, 3.0);  // 1 4 7 10 along the row
  EXPECT_EQ(h.Diff(1, TApplyColRow::acrRows), 0);
  ASSERT_EQ(h.NrOfColumns(), 3);
  EXPECT_EQ(h.Elem(3, 1), 3.0);
}

/// Rows of the matrix as tuples, for checking that sorting keeps rows intact.
std::vector<std::vector<double>> RowsOf(const TMatrix& m) {
  std::vector<std::vector<double>> rows;
  for (int r = 1; r <= m.NrOfRows(); ++r) {
    rows.push_back(RegionValues(m, 1, r, m.NrOfColumns(), r));
  }
  return rows;
}

TEST(MatrixStats, SortRowsWithAndWithoutHandlerAgree) {
  TMatrix a;
  RandomMatrix(a, 4, 60, 41);
  for (int r = 1; r <= 60; r += 7) {
    a.SetVal(2, r, 1.0);  // equal keys
  }
  TMatrix b;
  b.Assign(&a);
  TMatrix replay;
  replay.Assign(&a);
  std::vector<std::tuple<int, int, int, int, int>> exchanges;
  b.OnSortExchange = [&](TObject* s, std::uint8_t kind, std::int32_t i1, std::int32_t i2, std::int32_t f,
                         std::int32_t l) {
    EXPECT_EQ(s, &b);
    exchanges.emplace_back(kind, i1, i2, f, l);
  };
  int changes = 0;
  b.OnChange = [&](TObject*) { ++changes; };
  a.SortRows(2, true, 0, 0, 0, 0);
  b.SortRows(2, true, 0, 0, 0, 0);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(a.CRCofData(), b.CRCofData());
  ASSERT_FALSE(exchanges.empty());
  for (const auto& [kind, i1, i2, f, l] : exchanges) {
    EXPECT_EQ(kind, 2);
    EXPECT_EQ(f, 1);
    EXPECT_EQ(l, 4);
    replay.ExchangeRows(i1, i2);
  }
  EXPECT_EQ(replay.CRCofData(), a.CRCofData());
  for (int r = 1; r < 60; ++r) {
    EXPECT_LE(a.Elem(2, r), a.Elem(2, r + 1));
  }
  auto before = RowsOf(replay);
  auto after = RowsOf(a);
  std::sort(before.begin(), before.end());
  std::sort(after.begin(), after.end());
  EXPECT_EQ(before, after);
}

TEST(MatrixStats, SortRowsRegionWithKeyOutside) {
  TMatrix m;
  m.Resize(3, 5);
  const double key[] = {5, 1, 4, 2, 3};
  for (int r = 1; r <= 5; ++r) {
    m.SetVal(1, r, key[r - 1]);
    m.SetVal(2, r, 10.0 * r);
    m.SetVal(3, r, 100.0 * r);
  }
  // Rows 2..5 of columns 2..2, keyed by column 1 outside the region: the key
  // elements move along, column 3 stays.
  std::vector<std::tuple<int, int, int, int>> ex;
  m.OnSortExchange = [&](TObject*, std::uint8_t kind, std::int32_t i1, std::int32_t i2, std::int32_t f,
                         std::int32_t l) {
    ex.emplace_back(kind, i1 < i2 ? i1 : i2, f, l);
  };
  m.SortRows(1, false, 2, 2, 2, 5);
  for (const auto& [kind, lowRow, f, l] : ex) {
    EXPECT_EQ(kind, 2);
    EXPECT_GE(lowRow, 2);
    EXPECT_EQ(f, 2);
    EXPECT_EQ(l, 2);
  }
  const double keyAfter[] = {5, 4, 3, 2, 1};
  const double col2After[] = {10, 30, 50, 40, 20};
  for (int r = 1; r <= 5; ++r) {
    EXPECT_EQ(m.Elem(1, r), keyAfter[r - 1]);
    EXPECT_EQ(m.Elem(2, r), col2After[r - 1]);
    EXPECT_EQ(m.Elem(3, r), 100.0 * r);
  }
  // One-row regions and key columns outside the matrix do nothing.
  int changes = 0;
  m.OnChange = [&](TObject*) { ++changes; };
  m.SortRows(1, true, 0, 3, 0, 3);
  m.SortRows(4, true, 0, 0, 0, 0);
  m.SortCols(9, true, 0, 0, 0, 0);
  EXPECT_EQ(changes, 0);
}

TEST(MatrixStats, SortColsMirrorExchange) {
  TMatrix m;
  m.Resize(5, 3);
  const double key[] = {3, 1, 2, 5, 4};
  for (int c = 1; c <= 5; ++c) {
    m.SetVal(c, 1, 7.0 * c);
    m.SetVal(c, 2, key[c - 1]);
    m.SetVal(c, 3, -1.0 * c);
  }
  std::vector<std::tuple<int, int, int, int, int>> ex;
  m.OnSortExchange = [&](TObject*, std::uint8_t kind, std::int32_t i1, std::int32_t i2, std::int32_t f,
                         std::int32_t l) { ex.emplace_back(kind, i1, i2, f, l); };
  m.SortCols(2, true, 0, 1, 0, 2);  // rows 1..2 only; row 3 stays
  for (int c = 1; c <= 5; ++c) {
    EXPECT_EQ(m.Elem(c, 2), static_cast<double>(c));
    EXPECT_EQ(m.Elem(c, 3), -1.0 * c);
  }
  EXPECT_EQ(m.Elem(1, 1), 14.0);  // column 2 (key 1) came first
  ASSERT_FALSE(ex.empty());
  EXPECT_EQ(std::get<0>(ex[0]), 1);
  EXPECT_EQ(std::get<3>(ex[0]), 1);
  EXPECT_EQ(std::get<4>(ex[0]), 2);

  m.OnSortExchange = nullptr;
  TMatrix t;
  t.Resize(3, 2);
  t.FillSerial(1.0, 1.0);  // columns (1 2) (3 4) (5 6)
  t.MirrorColumns();
  EXPECT_EQ(t.Elem(1, 1), 5.0);
  EXPECT_EQ(t.Elem(3, 2), 2.0);
  t.MirrorRows();
  EXPECT_EQ(t.Elem(1, 1), 6.0);
  t.ExchangeColumns(1, 3);
  EXPECT_EQ(t.Elem(3, 1), 6.0);
  t.ExchangeRows(1, 2);
  EXPECT_EQ(t.Elem(3, 2), 6.0);
  const std::string crc = t.CRCofData();
  t.ExchangeRows(0, 2);  // invalid indexes: nothing
  t.ExchangeColumns(1, 4);
  EXPECT_EQ(t.CRCofData(), crc);
}

TEST(MatrixStats, ResampleExtMat) {
  TMatrix src;
  src.Resize(6, 10);
  for (int c = 1; c <= 6; ++c) {
    for (int r = 1; r <= 10; ++r) {
      src.SetVal(c, r, 100.0 * c + r);
    }
  }
  TMatrix m;
  TIntArray ci(1);
  TIntArray ri(1);
  EXPECT_EQ(m.ResampleExtMat(nullptr, 50, 50, false, ci, ri), -3);
  TIntArray none;
  EXPECT_EQ(m.ResampleExtMat(&src, 50, 50, false, none, ri), -5);
  EXPECT_EQ(m.ResampleExtMat(&src, 5, 50, false, ci, ri), -1);  // 0.3 columns
  EXPECT_EQ(m.ResampleExtMat(&src, 101, 50, false, ci, ri), -1);
  EXPECT_EQ(m.ResampleExtMat(&src, 50, 1, false, ci, ri), -2);
  EXPECT_EQ(m.ResampleExtMat(&src, 50, 150, true, ci, ri), -2);
  std::string log;
  m.OnChange = [&](TObject*) { log += 'C'; };
  m.OnResize = [&](TObject*) { log += 'R'; };
  SetRandSeed(99);
  ASSERT_EQ(m.ResampleExtMat(&src, 100, 50, false, ci, ri), 0);
  EXPECT_EQ(log, "CRCR");
  ASSERT_EQ(ci, (TIntArray{1, 2, 3, 4, 5, 6}));  // all columns: in order
  ASSERT_EQ(ri.size(), 5u);
  TIntArray sorted = ri;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());  // no repetitions
  EXPECT_EQ(m.NrOfColumns(), 6);
  EXPECT_EQ(m.NrOfRows(), 5);
  for (int c = 1; c <= 6; ++c) {
    for (int r = 1; r <= 5; ++r) {
      EXPECT_EQ(m.Elem(c, r), 100.0 * c + ri[static_cast<std::size_t>(r - 1)]);
    }
  }
  ASSERT_EQ(m.ResampleExtMat(&m, 50, 100, true, ci, ri), 0);  // from itself
  EXPECT_EQ(m.NrOfColumns(), 3);
  EXPECT_EQ(m.NrOfRows(), 5);
  for (int r = 1; r <= 5; ++r) {
    EXPECT_GE(ri[static_cast<std::size_t>(r - 1)], 1);
    EXPECT_LE(ri[static_cast<std::size_t>(r - 1)], 5);
  }
}

TEST(MatrixStats, QuartilesOfInfinitiesAndExtremes) {
  using L = std::numeric_limits<double>;
  TMatrix m;
  m.Resize(1, 4);
  double q1 = 0;
  double q2 = 0;
  double q3 = 0;
  m.Fill(L::infinity());  // equal neighbours: their value, not inf - inf
  EXPECT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q1, L::infinity());
  EXPECT_EQ(q2, L::infinity());
  EXPECT_EQ(q3, L::infinity());
  m.Fill(1.0);
  m.SetVal(1, 1, -L::infinity());  // -inf, 1, 1, 1: next to -inf the result is -inf
  EXPECT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q1, -L::infinity());
  EXPECT_EQ(q2, 1.0);
  m.Resize(1, 2);
  m.SetVal(1, 1, -L::max());
  m.SetVal(1, 2, L::max());  // hi - lo overflows a double
  EXPECT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
  EXPECT_EQ(q1, -L::max());
  EXPECT_EQ(q2, 0.0);
  EXPECT_EQ(q3, L::max());
}

TEST(MatrixStats, EdgeVectorStdDevOfNaN) {
  TMatrix m;
  m.Resize(2, 4);
  m.FillSerial(1.0, 1.0);
  m.SetVal(2, 3, std::numeric_limits<double>::quiet_NaN());
  TVector v;
  EXPECT_EQ(m.EdgeVector(TOrientation::orVertical, TEdgeOp::eoStdDev, &v), 0);
  EXPECT_NEAR(v.GetVal(1), std::sqrt(5.0 / 3.0), 1e-15);
  EXPECT_TRUE(std::isnan(v.GetVal(2)));  // was reported as 0
  EXPECT_EQ(m.EdgeVector(TOrientation::orVertical, TEdgeOp::eoMax, &v), 0);
  EXPECT_EQ(v.GetVal(2), 8.0);  // NaN passed over
}

}  // namespace
}  // namespace qmx
