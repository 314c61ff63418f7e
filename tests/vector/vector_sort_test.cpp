// TVector sorting and searching: the comb sort with its exchange events,
// checked against a literal reference, and the nearest, exact and binary
// searches.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <tuple>
#include <vector>

#include "qmx/foundation/platform.hpp"
#include "vector/vector_test_util.hpp"

namespace qmx {
namespace {

using vectest::SetAll;
using vectest::TEventLog;
using vectest::Values;

struct RefExchange {
  std::int32_t i, j;
  bool operator==(const RefExchange&) const = default;
};

// The comb sort as the library describes it, step by step, on 1-based indexes.
std::vector<RefExchange> ReferenceCombSort(std::vector<double>& d, bool ascending, std::int32_t lo, std::int32_t hi) {
  std::vector<RefExchange> ex;
  std::int32_t gap = hi - lo;
  bool swapped = false;
  do {
    gap = static_cast<std::int32_t>(gap / 1.3);
    if (gap < 1) {
      gap = 1;
    }
    swapped = false;
    for (std::int32_t i = lo; i + gap <= hi; ++i) {
      double& a = d[static_cast<std::size_t>(i - 1)];
      double& b = d[static_cast<std::size_t>(i + gap - 1)];
      if (ascending ? a > b : a < b) {
        std::swap(a, b);
        swapped = true;
        ex.push_back({i, i + gap});
      }
    }
  } while (gap > 1 || swapped);
  return ex;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

std::vector<double> RandomData(std::size_t n, std::uint64_t seed, bool withNaN, bool withTies) {
  SetRandSeed(seed);
  std::vector<double> d(n);
  for (double& x : d) {
    x = withTies ? std::floor(Random() * 20.0) : Random() * 1000.0 - 500.0;
    if (withNaN && Random() < 0.05) {
      x = std::numeric_limits<double>::quiet_NaN();
    }
  }
  return d;
}

TEST(VectorSort, ReportsEveryExchangeAndOneChange) {
  TVector v;
  SetAll(v, std::vector<double>{5, 3, 9, 1, 1, 7, 2});
  std::vector<double> ref = Values(v);
  const auto want = ReferenceCombSort(ref, true, 1, 7);
  TEventLog log;
  log.Attach(v);
  v.SortElems(true, 0, 0);
  EXPECT_EQ(Values(v), (std::vector<double>{1, 1, 2, 3, 5, 7, 9}));
  ASSERT_EQ(log.exchanges.size(), want.size());
  for (std::size_t k = 0; k < want.size(); ++k) {
    const auto& e = log.exchanges[k];
    EXPECT_EQ(std::tie(e.what, e.i1, e.i2, e.i3, e.i4),
              std::make_tuple(std::uint8_t{0}, want[k].i, want[k].j, 0, 0));
  }
  // The change event comes once, after the last exchange.
  ASSERT_FALSE(log.events.empty());
  EXPECT_EQ(log.events.back(), "change");
  EXPECT_EQ(log.Count("change"), 1);
  EXPECT_EQ(log.Count("exchange"), static_cast<int>(want.size()));
}

TEST(VectorSort, FastPathMatchesReferenceBitForBit) {
  for (std::size_t n : {2u, 3u, 17u, 100u, 1000u, 20000u}) {
    for (bool nan : {false, true}) {
      for (bool asc : {true, false}) {
        std::vector<double> d = RandomData(n, 100 + n, nan, n % 2 == 0);
        TVector v;
        SetAll(v, d);
        ReferenceCombSort(d, asc, 1, static_cast<std::int32_t>(n));
        v.SortElems(asc, 0, 0);
        ASSERT_TRUE(SameBits(Values(v), d)) << n << " nan=" << nan << " asc=" << asc;
      }
    }
  }
}

TEST(VectorSort, ReportingPathMatchesFastPath) {
  std::vector<double> d = RandomData(3000, 5, true, true);
  TVector fast;
  TVector reporting;
  SetAll(fast, d);
  SetAll(reporting, d);
  int exchanges = 0;
  reporting.OnSortExchange = [&](TObject*, std::uint8_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    ++exchanges;
  };
  fast.SortElems(false, 100, 2900);
  reporting.SortElems(false, 2900, 100);
  EXPECT_TRUE(SameBits(Values(fast), Values(reporting)));
  const auto want = ReferenceCombSort(d, false, 100, 2900);
  EXPECT_EQ(exchanges, static_cast<int>(want.size()));
  EXPECT_TRUE(SameBits(Values(fast), d));
}

TEST(VectorSort, SortsOnlyTheRangeAndMatchesStdSort) {
  std::vector<double> d = RandomData(5000, 9, false, false);
  TVector v;
  SetAll(v, d);
  v.SortElems(true, 4000, 1001);  // bounds put in order
  std::sort(d.begin() + 1000, d.begin() + 4000);
  EXPECT_EQ(Values(v), d);
  v.SortElems(false, -5, 1 << 30);  // clamped to the whole vector
  std::sort(d.begin(), d.end(), std::greater<>());
  EXPECT_EQ(Values(v), d);
}

TEST(VectorSort, NaNStaysInPlaceAndSortTerminates) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  TVector v;
  SetAll(v, std::vector<double>{3, 1, nan, 9, 4, nan, 2});
  v.SortElems(true, 0, 0);
  EXPECT_TRUE(std::isnan(v.GetVal(3)));
  EXPECT_TRUE(std::isnan(v.GetVal(6)));
}

TEST(VectorSort, OneElementRangeDoesNothing) {
  TVector v;
  SetAll(v, std::vector<double>{3, 2, 1});
  TEventLog log;
  log.Attach(v);
  v.SortElems(true, 2, 2);
  TVector one;
  TEventLog oneLog;
  oneLog.Attach(one);
  one.SortElems(true, 0, 0);
  EXPECT_TRUE(log.events.empty());
  EXPECT_TRUE(oneLog.events.empty());
  EXPECT_EQ(Values(v), (std::vector<double>{3, 2, 1}));
}

TEST(VectorSearch, FindNearestAndExact) {
  TVector v;
  SetAll(v, std::vector<double>{5, 1, 3, 1, 8});
  EXPECT_EQ(v.Find(0, 0, 2.0), 2);  // 1 and 3 are equally near: the first wins
  EXPECT_EQ(v.Find(0, 0, 7.9), 5);
  EXPECT_EQ(v.Find(3, 5, 1.2), 4);
  EXPECT_EQ(v.FindExact(0, 0, 1.0), 2);
  EXPECT_EQ(v.FindExact(3, 0, 1.0), 2);  // range (0, 3) clamps to 1..3
  EXPECT_EQ(v.FindExact(0, 0, 2.0), 0);
  // Nothing is nearer than the largest double.
  SetAll(v, std::vector<double>{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()});
  EXPECT_EQ(v.Find(0, 0, 0.0), 0);
  EXPECT_EQ(v.FindExact(0, 0, std::numeric_limits<double>::infinity()), 1);
}

TEST(VectorSearch, FindInSortedVector) {
  TVector v;
  SetAll(v, std::vector<double>{1, 3, 5});
  EXPECT_EQ(v.FindInSortedVector(true, 4.0), 3);  // tie between 3 and 5 goes to the higher index
  EXPECT_EQ(v.FindInSortedVector(true, 5.0), 3);
  EXPECT_EQ(v.FindInSortedVector(true, 3.0), 2);
  EXPECT_EQ(v.FindInSortedVector(true, -10.0), 1);
  EXPECT_EQ(v.FindInSortedVector(true, 99.0), 3);

  // Against a linear scan on a long sorted vector, both directions.
  std::vector<double> d = RandomData(1001, 3, false, false);
  std::sort(d.begin(), d.end());
  SetAll(v, d);
  for (double q : {-499.0, -3.3, 0.0, 12.5, 250.0, 499.9}) {
    const std::int32_t ix = v.FindInSortedVector(true, q);
    const double best = std::fabs(v.GetVal(v.Find(0, 0, q)) - q);
    EXPECT_EQ(std::fabs(v.GetVal(ix) - q), best) << q;
  }
  v.Mirror();
  for (double q : {-499.0, 0.0, 499.9}) {
    const std::int32_t ix = v.FindInSortedVector(false, q);
    EXPECT_EQ(std::fabs(v.GetVal(ix) - q), std::fabs(v.GetVal(v.Find(0, 0, q)) - q)) << q;
  }
  TVector one;
  one.SetVal(1, 2.0);
  EXPECT_EQ(one.FindInSortedVector(true, 7.0), 1);
}

TEST(VectorSearch, IsDichotomous) {
  TVector v;
  double a = -1, b = -1;
  EXPECT_FALSE(v.IsDichotomous(a, b));
  EXPECT_EQ(a, 0.0);
  EXPECT_EQ(b, 0.0);
  SetAll(v, std::vector<double>{2, 2, 5, 2, 5});
  EXPECT_TRUE(v.IsDichotomous(a, b));
  EXPECT_EQ(a, 2.0);
  EXPECT_EQ(b, 5.0);
  SetAll(v, std::vector<double>{4, 4, 4});
  EXPECT_TRUE(v.IsDichotomous(a, b));
  EXPECT_EQ(a, 4.0);
  EXPECT_EQ(b, 4.0);
  SetAll(v, std::vector<double>{1, 2, 3});
  EXPECT_FALSE(v.IsDichotomous(a, b));
  SetAll(v, std::vector<double>{1, 1, 1, 7});
  EXPECT_TRUE(v.IsDichotomous(a, b));
  EXPECT_EQ(b, 7.0);
}

TEST(VectorSearch, InfiniteElementsAreFound) {
  const double inf = std::numeric_limits<double>::infinity();
  TVector v;
  SetAll(v, std::vector<double>{1.0, inf, -inf});
  EXPECT_EQ(v.Find(0, 0, inf), 2);
  EXPECT_EQ(v.Find(0, 0, -inf), 3);
  SetAll(v, std::vector<double>{-inf, 0.0, inf});
  EXPECT_EQ(v.FindInSortedVector(true, -inf), 1);
  EXPECT_EQ(v.FindInSortedVector(true, inf), 3);
}

}  // namespace
}  // namespace qmx
