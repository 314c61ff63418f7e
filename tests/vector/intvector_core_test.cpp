// TIntVector: what differs from TVector (extremes, histogram, checksum,
// wrapping arithmetic, statistics as doubles) and the shared operations at
// the limits of 32-bit integers.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/platform.hpp"
#include "vector/vector_test_util.hpp"

namespace qmx {
namespace {

using vectest::MessageOf;
using vectest::SetAll;
using vectest::TEventLog;
using vectest::Values;

using IntVec = std::vector<std::int32_t>;
constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

TEST(IntVectorCore, NewVectorAndSize) {
  TIntVector v;
  EXPECT_EQ(v.ClassName(), "TIntVector");
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_EQ(v.GetVal(1), 0);
  EXPECT_EQ(v.GetVal(2), 0);
  TEventLog log;
  log.Attach(v);
  v.SetIntVecSize(0);
  v.SetIntVecSize(1);
  EXPECT_TRUE(log.events.empty());
  v.SetIntVecSize(3);
  EXPECT_EQ(log.events, (std::vector<std::string>{"change", "resize"}));
  v.SetVal(4, 9);
  EXPECT_EQ(log.events.size(), 2u);
}

TEST(IntVectorCore, MinMaxFindsTheExtremesOfTheWholeRange) {
  TIntVector v;
  SetAll(v, IntVec{kMinInt});
  std::int32_t mn = 0, mx = 0, mnIx = -1, mxIx = -1;
  v.MinMax(0, 0, mn, mx, mnIx, mxIx);
  EXPECT_EQ(mn, kMinInt);
  EXPECT_EQ(mx, kMinInt);  // not the start value -2147483647
  EXPECT_EQ(mnIx, 1);
  EXPECT_EQ(mxIx, 1);
  SetAll(v, IntVec{kMaxInt, 3, kMaxInt, kMinInt});
  v.MinMax(0, 0, mn, mx, mnIx, mxIx);
  EXPECT_EQ(mx, kMaxInt);
  EXPECT_EQ(mxIx, 1);
  EXPECT_EQ(mn, kMinInt);
  EXPECT_EQ(mnIx, 4);
  v.MinMax(2, 3, mn, mx);
  EXPECT_EQ(mn, 3);
  EXPECT_EQ(mx, kMaxInt);
}

TEST(IntVectorCore, HistogramRules) {
  TIntVector v;
  v.SetName("H");
  SetAll(v, IntVec{0, 9, 10, -1, 4, 4, 12, 11});
  TIntArray h;
  std::int32_t under = -1, over = -1, maxCnt = -1;
  ASSERT_TRUE(v.Histogram(1, 8, 0, 9, 0, h, under, over, maxCnt));  // width 0 counts as 1
  EXPECT_EQ(h, (TIntArray{1, 0, 0, 0, 2, 0, 0, 0, 0, 1}));
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 3);
  EXPECT_EQ(maxCnt, 2);

  // Width 4: 9 div 4 + 1 = 3 bins (0..11); 12 lies below LastBin + 4 = 13 but beyond the bins.
  ASSERT_TRUE(v.Histogram(1, 8, 0, 9, 4, h, under, over, maxCnt));
  EXPECT_EQ(h, (TIntArray{1, 2, 3}));
  EXPECT_EQ(over, 1);
  EXPECT_EQ(under, 1);

  const std::string msg = "Component \"H.Histogram\": invalid number of bins";
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { v.Histogram(1, 8, 0, 1000, 1, h, under, over, maxCnt); }), msg);
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { v.Histogram(1, 8, kMinInt, kMaxInt, 1, h, under, over, maxCnt); }),
            msg);
  TIntVector unnamed;
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { unnamed.Histogram(1, 1, 0, 500, -3, h, under, over, maxCnt); }),
            "Component \".Histogram\": invalid number of bins");
  EXPECT_TRUE(v.Histogram(1, 8, 0, 499, 1, h, under, over, maxCnt));
  EXPECT_EQ(h.size(), 500u);

  // Extreme values neither overflow nor land outside the array.
  SetAll(v, IntVec{kMinInt, kMaxInt, kMaxInt - 1});
  ASSERT_TRUE(v.Histogram(0, 0, kMaxInt - 3, kMaxInt, 2, h, under, over, maxCnt));
  // (0, 0) is index 0 only: the value 0, an underflow.
  EXPECT_EQ(under, 1);
  ASSERT_TRUE(v.Histogram(1, 3, kMaxInt - 3, kMaxInt, 2, h, under, over, maxCnt));
  EXPECT_EQ(h, (TIntArray{0, 2}));
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 0);

  // Into a TIntVector; the counters saturate over the whole index range.
  TIntVector out;
  ASSERT_TRUE(v.Histogram(kMinInt, kMaxInt, -5, 5, 5, &out, under, over, maxCnt));
  EXPECT_EQ(out.NrOfElem(), 3);
  EXPECT_EQ(out.GetVal(2), kMaxInt);  // the zeros of every index outside the vector
  EXPECT_EQ(under, 1);
  EXPECT_EQ(over, 2);
}

TEST(IntVectorCore, CRCofDataHasFourLanes) {
  TIntVector v;
  SetAll(v, IntVec{1, -2, kMinInt});
  const std::string crc = v.CRCofData();
  ASSERT_EQ(crc.size(), 32u);
  std::uint32_t acc[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
  for (std::int32_t x : Values(v)) {
    std::uint8_t b[4];
    std::memcpy(b, &x, 4);
    for (int k = 0; k < 4; ++k) {
      acc[k] = CalcNextCRC32(b[k], acc[k]);
    }
  }
  std::string want;
  for (std::uint32_t a : acc) {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08X", ~a);
    want += buf;
  }
  EXPECT_EQ(crc, want);
  TIntVector zero;
  EXPECT_EQ(zero.CRCofData().size(), 32u);
}

TEST(IntVectorCore, ArithmeticWrapsAroundInsteadOfOverflowing) {
  TIntVector a;
  TIntVector b;
  SetAll(a, IntVec{kMaxInt, kMinInt, 5});
  SetAll(b, IntVec{1, -1, 2});
  a.Add(&b);
  EXPECT_EQ(Values(a), (IntVec{kMinInt, kMaxInt, 7}));
  a.Subtract(&b);
  EXPECT_EQ(Values(a), (IntVec{kMaxInt, kMinInt, 5}));
  a.AbsVal();
  EXPECT_EQ(Values(a), (IntVec{kMaxInt, kMinInt, 5}));
  a.SMult(2);
  EXPECT_EQ(Values(a), (IntVec{-2, 0, 10}));
  a.FillSerial(kMaxInt - 1, 1);
  EXPECT_EQ(Values(a), (IntVec{kMaxInt - 1, kMaxInt, kMinInt}));
  TIntVector c;
  c.SetName("C");
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { c.Add(&a); }), "Component \"C\": vectors have different dimensions");
}

TEST(IntVectorCore, StatisticsAreDoubles) {
  TIntVector v;
  SetAll(v, IntVec{kMaxInt, kMaxInt, kMaxInt});
  EXPECT_EQ(v.Sum(0, 0), 3.0 * kMaxInt);
  double mean = 0, var = 0;
  v.MeanVar(0, 0, mean, var);
  EXPECT_EQ(mean, static_cast<double>(kMaxInt));
  SetAll(v, IntVec{2, 1});
  v.MeanVar(0, 0, mean, var);
  EXPECT_EQ(var, 1.0);
  EXPECT_EQ(v.Percentile(50, 0, 0), 1.5);
  double q1 = 0, q2 = 0, q3 = 0;
  v.Quartiles(0, 0, q1, q2, q3);
  EXPECT_EQ(q1, 1.0);
  EXPECT_EQ(q2, 1.5);
  EXPECT_EQ(q3, 2.0);
  SetAll(v, IntVec{3, 1, 3, 1, 2});
  EXPECT_EQ(v.Mode(0, 0), 1);
  SetAll(v, IntVec{1, 4, 16});
  EXPECT_NEAR(v.GeometricMean(0, 0), 4.0, 1e-12);
  v.SetName("G");
  v.SetVal(1, -1);
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { (void)v.GeometricMean(0, 0); }),
            "Component \"G\": negative argument passed to GeometricMean");
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { (void)v.HarmonicMean(0, 0); }),
            "Component \"G\": negative or zero argument passed to HarmonicMean");

  // Products and distances of extreme values are exact in doubles.
  TIntVector a;
  TIntVector b;
  SetAll(a, IntVec{kMinInt, 0});
  SetAll(b, IntVec{kMaxInt, 3});
  EXPECT_EQ(a.EuclideanDistance(&b), 4294967295.0);
  EXPECT_EQ(a.DotProduct(&b), static_cast<double>(kMinInt) * kMaxInt);
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { (void)a.EuclideanDistance(&v); }),
            "EuclideanDistance: dimensions of vectors do not match");
  EXPECT_EQ(a.Correlate(&b, 1), 0.0);  // one overlapping element
  SetAll(a, IntVec{1, 2, 3});
  SetAll(b, IntVec{2, 4, 7});
  EXPECT_GT(a.PearsonCorrCoeff(&b), 0.98);
  double skew = 0, kurt = 0;
  SetAll(a, IntVec{1, 2, 3, 4, 5});
  a.SkewKurt(0, 0, skew, kurt);
  EXPECT_NEAR(skew, 0.0, 1e-15);
}

TEST(IntVectorCore, SearchesWithoutOverflow) {
  TIntVector v;
  SetAll(v, IntVec{kMinInt, kMaxInt});
  EXPECT_EQ(v.Find(0, 0, 0), 2);  // 2^31 - 1 is nearer than 2^31
  EXPECT_EQ(v.Find(0, 0, -1), 1);
  EXPECT_EQ(v.FindInSortedVector(true, 0), 2);
  EXPECT_EQ(v.FindInSortedVector(true, -5), 1);
  EXPECT_EQ(v.FindExact(0, 0, kMaxInt), 2);
  SetAll(v, IntVec{1, 3, 5});
  EXPECT_EQ(v.FindInSortedVector(true, 4), 3);
  std::int32_t a = 0, b = 0;
  SetAll(v, IntVec{4, 4, -1, 4});
  EXPECT_TRUE(v.IsDichotomous(a, b));
  EXPECT_EQ(a, 4);
  EXPECT_EQ(b, -1);
}

TEST(IntVectorCore, SortCopyAssignClone) {
  SetRandSeed(77);
  IntVec d(5000);
  for (std::int32_t& x : d) {
    x = Random(200) - 100;
  }
  TIntVector v;
  SetAll(v, d);
  TEventLog log;
  log.Attach(v);
  v.SortElems(false, 0, 0);
  std::sort(d.begin(), d.end(), std::greater<>());
  EXPECT_EQ(Values(v), d);
  EXPECT_GT(log.Count("exchange"), 0);
  EXPECT_EQ(log.Count("change"), 1);
  for (const auto& e : log.exchanges) {
    ASSERT_EQ(e.what, 0);
    ASSERT_LT(e.i1, e.i2);
    ASSERT_EQ(e.i3, 0);
    ASSERT_EQ(e.i4, 0);
  }

  TIntVector w;
  w.Assign(&v);
  EXPECT_EQ(Values(w), d);
  EXPECT_TRUE(static_cast<bool>(w.OnSortExchange));
  TIntVector c;
  c.Clone(&v);
  EXPECT_FALSE(static_cast<bool>(c.OnChange));
  EXPECT_EQ(Values(c), d);

  EXPECT_EQ(c.CopyFrom(TIntArray{7, 8, 9}, 2, 1, 4999), 0);
  EXPECT_EQ(c.GetVal(4999), 8);
  EXPECT_EQ(c.GetVal(5000), 9);
  TIntArray out;
  c.CopyToArray(out, 4999, 5000, 0);
  EXPECT_EQ(out, (TIntArray{8, 9}));
  TInt2DArray m{{0}, {0}};
  c.CopyToArray(m, 4999, 5000, 0, 0, false);
  EXPECT_EQ(m, (TInt2DArray{{8}, {9}}));
  c.CopyFrom2DArrayColumn(TInt2DArray{{5, 6}}, 0, 0, 1, 1);
  EXPECT_EQ(c.GetVal(1), 5);
  EXPECT_EQ(c.GetVal(2), 6);
}

}  // namespace
}  // namespace qmx
