#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "qmx/foundation/math1_primitives.hpp"

namespace qmx {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// Restores the global hooks after a test that changes them.
class HookGuard {
 public:
  HookGuard() : feedBack_(MathFeedBackProc), abort_(AbortMathProc.load()) {}
  ~HookGuard() {
    MathFeedBackProc = feedBack_;
    AbortMathProc = abort_;
  }
  HookGuard(const HookGuard&) = delete;
  HookGuard& operator=(const HookGuard&) = delete;

 private:
  std::function<void(double)> feedBack_;
  bool abort_;
};

/// Random values drawn from few distinct levels (many duplicates) or spread widely.
template <class T>
std::vector<T> RandomData(std::mt19937& gen, std::size_t n, bool fewLevels) {
  std::vector<T> v(n);
  std::uniform_int_distribution<int> levels(-5, 5);
  std::uniform_real_distribution<double> wide(-1e6, 1e6);
  for (auto& x : v) {
    x = fewLevels ? static_cast<T>(levels(gen)) : static_cast<T>(wide(gen));
  }
  return v;
}

template <class T>
std::vector<T> Reference(std::vector<T> v, bool ascending) {
  if (ascending) {
    std::sort(v.begin(), v.end());
  } else {
    std::sort(v.begin(), v.end(), std::greater<T>());
  }
  return v;
}

template <class T>
void CheckTypedSort(std::mt19937& gen) {
  for (std::size_t n : {0u, 1u, 2u, 3u, 13u, 100u, 1000u, 4097u}) {
    for (bool fewLevels : {false, true}) {
      for (bool ascending : {true, false}) {
        auto v = RandomData<T>(gen, n, fewLevels);
        const auto expected = Reference(v, ascending);
        SortArray(std::span<T>(v), ascending);
        EXPECT_EQ(v, expected) << "n=" << n << " asc=" << ascending << " few=" << fewLevels;
      }
    }
  }
}

TEST(SortArray, TypedOverloadsMatchStdSort) {
  std::mt19937 gen(11);
  CheckTypedSort<double>(gen);
  CheckTypedSort<float>(gen);
  CheckTypedSort<std::int32_t>(gen);
}

TEST(SortArray, IntegersCompareSigned) {
  std::vector<std::int32_t> v{5, -1, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
                              0};
  SortArray(std::span<std::int32_t>(v), true);
  EXPECT_EQ(v, (std::vector<std::int32_t>{std::numeric_limits<std::int32_t>::min(), -1, 0, 5,
                                          std::numeric_limits<std::int32_t>::max()}));
}

template <class T>
void CheckUntypedSort(std::mt19937& gen, TVarKind kind) {
  for (std::size_t n : {0u, 1u, 2u, 57u, 1000u}) {
    for (bool ascending : {true, false}) {
      auto v = RandomData<T>(gen, n, n % 2 == 1);
      const auto expected = Reference(v, ascending);
      SortArray(v.data(), static_cast<std::int32_t>(n), kind, ascending);
      EXPECT_EQ(v, expected) << "kind=" << static_cast<int>(kind) << " n=" << n;
    }
  }
}

TEST(SortArray, UntypedOverloadDispatchesOnKind) {
  std::mt19937 gen(12);
  CheckUntypedSort<double>(gen, TVarKind::vkDouble);
  CheckUntypedSort<double>(gen, TVarKind::vkReal);
  CheckUntypedSort<float>(gen, TVarKind::vkSingle);
  CheckUntypedSort<std::int32_t>(gen, TVarKind::vkInteger);
  CheckUntypedSort<std::int32_t>(gen, TVarKind::vkLongint);
}

TEST(SortArray, UntypedOverloadIgnoresOtherKindsAndSortsOnlyTheCount) {
  std::vector<std::int32_t> v{3, 2, 1, 0};
  const double before = ProcStat.load();
  for (auto kind : {TVarKind::vkByte, TVarKind::vkWord, TVarKind::vkExtended, TVarKind::vkString}) {
    SortArray(v.data(), 4, kind, true);
  }
  EXPECT_EQ(v, (std::vector<std::int32_t>{3, 2, 1, 0}));
  EXPECT_EQ(ProcStat.load(), before);
  SortArray(nullptr, 4, TVarKind::vkInteger, true);
  SortArray(v.data(), -3, TVarKind::vkInteger, true);
  EXPECT_EQ(v, (std::vector<std::int32_t>{3, 2, 1, 0}));
  SortArray(v.data(), 3, TVarKind::vkInteger, true);  // elements 1..3 only
  EXPECT_EQ(v, (std::vector<std::int32_t>{1, 2, 3, 0}));
}

/// Passes of a comb sort over already ordered data: one per gap down to 1.
int PassesOverSortedData(int n) {
  int passes = 0;
  int gap = n;
  do {
    gap = gap * 10 / 13;
    gap = std::max(gap, 1);
    ++passes;
  } while (gap > 1);
  return passes;
}

TEST(SortArray, MakesOneProgressStepPerPassAndIgnoresTheAbortFlag) {
  HookGuard guard;
  std::vector<double> reported;
  MathFeedBackProc = [&](double v) { reported.push_back(v); };

  auto stepsOf = [&](std::vector<double> v) {
    reported.clear();
    const double before = ProcStat.load();
    SortArray(std::span<double>(v), true);
    EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
    const double steps = ProcStat.load() - before;
    EXPECT_EQ(reported.size(), static_cast<std::size_t>(steps));
    for (std::size_t i = 0; i < reported.size(); ++i) {
      EXPECT_EQ(reported[i], before + static_cast<double>(i + 1));
    }
    return steps;
  };
  EXPECT_EQ(stepsOf({}), 0.0);
  EXPECT_EQ(stepsOf({4.0}), 0.0);
  EXPECT_EQ(stepsOf({1.0, 2.0}), 1.0);
  EXPECT_EQ(stepsOf({2.0, 1.0}), 2.0);
  EXPECT_EQ(stepsOf({1.0, 1.0}), 1.0);

  std::vector<double> sorted13(13), sorted100(100);
  for (std::size_t i = 0; i < sorted100.size(); ++i) {
    sorted100[i] = static_cast<double>(i);
    if (i < 13) {
      sorted13[i] = static_cast<double>(i);
    }
  }
  // 13 / 1.3 must give the gap 10 (the 80-bit constant lies just below 1.3).
  EXPECT_EQ(stepsOf(sorted13), PassesOverSortedData(13));
  EXPECT_EQ(stepsOf(sorted100), PassesOverSortedData(100));

  AbortMathProc = true;
  std::vector<double> reversed(sorted100.rbegin(), sorted100.rend());
  EXPECT_GT(stepsOf(reversed), PassesOverSortedData(100));
}

TEST(SortArray, NaNElementsStayInPlaceAndTheRestIsOrderedBetweenThem) {
  std::mt19937 gen(13);
  for (int trial = 0; trial < 50; ++trial) {
    auto v = RandomData<double>(gen, 200, trial % 2 == 0);
    for (int j = 0; j < 1 + trial % 7; ++j) {
      v[gen() % v.size()] = kNaN;
    }
    auto orig = v;
    const bool ascending = trial % 3 != 0;
    SortArray(std::span<double>(v), ascending);
    std::vector<double> a, b;
    for (std::size_t i = 0; i < v.size(); ++i) {
      EXPECT_EQ(std::isnan(v[i]), std::isnan(orig[i])) << i;
      if (!std::isnan(v[i])) {
        a.push_back(v[i]);
        b.push_back(orig[i]);
      }
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    EXPECT_EQ(a, b);  // the same values
    std::size_t start = 0;
    for (std::size_t i = 0; i <= v.size(); ++i) {
      if (i == v.size() || std::isnan(v[i])) {
        EXPECT_TRUE(ascending ? std::is_sorted(v.begin() + start, v.begin() + i)
                              : std::is_sorted(v.begin() + start, v.begin() + i, std::greater<double>()));
        start = i + 1;
      }
    }
  }
}

TEST(SortIntoArray, KeepsTheBestEntries) {
  std::vector<double> v{1, 3, 5};
  auto w = v;
  EXPECT_EQ(SortIntoArray(std::span<double>(w), 4.0, true, false), 2);
  EXPECT_EQ(w, (std::vector<double>{1, 3, 4}));
  w = v;
  EXPECT_EQ(SortIntoArray(std::span<double>(w), 6.0, true, true), -1);
  EXPECT_EQ(w, v);
  EXPECT_EQ(SortIntoArray(std::span<double>(w), 3.0, true, false), -1);
  EXPECT_EQ(w, v);
  EXPECT_EQ(SortIntoArray(std::span<double>(w), 3.0, true, true), 1);
  EXPECT_EQ(w, (std::vector<double>{1, 3, 3}));
  w = v;
  EXPECT_EQ(SortIntoArray(std::span<double>(w), 5.0, true, true), 2);  // equal to the last: replaces it
  EXPECT_EQ(SortIntoArray(std::span<double>(w), 0.0, true, false), 0);
  EXPECT_EQ(w, (std::vector<double>{0, 1, 3}));

  std::vector<std::int32_t> d{9, 5, 2};
  EXPECT_EQ(SortIntoArray(std::span<std::int32_t>(d), 7, false, false), 1);
  EXPECT_EQ(d, (std::vector<std::int32_t>{9, 7, 5}));
  EXPECT_EQ(SortIntoArray(std::span<std::int32_t>(d), 1, false, true), -1);
  EXPECT_EQ(SortIntoArray(std::span<std::int32_t>(d), 9, false, false), -1);
  EXPECT_EQ(SortIntoArray(std::span<std::int32_t>(d), 9, false, true), 0);
  EXPECT_EQ(d, (std::vector<std::int32_t>{9, 9, 7}));
}

TEST(SortIntoArray, RejectsNaNAndEmptyArrays) {
  std::vector<double> w{1, 3, 5};
  EXPECT_EQ(SortIntoArray(std::span<double>(w), kNaN, true, true), -1);
  EXPECT_EQ(SortIntoArray(std::span<double>(w), kNaN, false, true), -1);
  EXPECT_EQ(w, (std::vector<double>{1, 3, 5}));
  EXPECT_EQ(SortIntoArray(std::span<double>(), 1.0, true, true), -1);
  std::vector<float> f;
  EXPECT_EQ(SortIntoArray(std::span<float>(f), 1.0f, true, true), -1);
  EXPECT_EQ(SortIntoArray(f.data(), 0, TVarKind::vkSingle, 1.0, true, true), -1);
}

TEST(SortIntoArray, MaintainsTheSmallestValuesOfAStream) {
  std::mt19937 gen(14);
  std::uniform_int_distribution<int> values(0, 300);
  for (bool duplicates : {true, false}) {
    constexpr std::size_t kKeep = 10;
    std::vector<double> best(kKeep, std::numeric_limits<double>::infinity());
    std::vector<double> seen;
    for (int i = 0; i < 2000; ++i) {
      const double x = values(gen);
      seen.push_back(x);
      SortIntoArray(std::span<double>(best), x, true, duplicates);
    }
    std::sort(seen.begin(), seen.end());
    if (!duplicates) {
      seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    }
    seen.resize(kKeep);
    EXPECT_EQ(best, seen) << "duplicates=" << duplicates;
  }
}

TEST(SortIntoArray, UntypedOverloadConvertsTheValue) {
  std::vector<std::int32_t> v{1, 3, 5, 7};
  // 2.5 rounds to 2 (ties to even), 3.5 to 4.
  EXPECT_EQ(SortIntoArray(v.data(), 4, TVarKind::vkInteger, 2.5, true, false), 1);
  EXPECT_EQ(v, (std::vector<std::int32_t>{1, 2, 3, 5}));
  EXPECT_EQ(SortIntoArray(v.data(), 4, TVarKind::vkLongint, 3.5, true, false), 3);
  EXPECT_EQ(v, (std::vector<std::int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(SortIntoArray(v.data(), 4, TVarKind::vkInteger, -1e300, true, false), 0);  // saturated
  EXPECT_EQ(v[0], std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(SortIntoArray(v.data(), 4, TVarKind::vkInteger, kNaN, true, true), -1);
  EXPECT_EQ(SortIntoArray(v.data(), 4, TVarKind::vkByte, 0.0, true, true), -1);
  EXPECT_EQ(SortIntoArray(nullptr, 4, TVarKind::vkInteger, 0.0, true, true), -1);

  std::vector<float> f{4.0f, 2.0f};
  EXPECT_EQ(SortIntoArray(f.data(), 2, TVarKind::vkSingle, 3.0, false, false), 1);
  EXPECT_EQ(f, (std::vector<float>{4.0f, 3.0f}));
  std::vector<double> d{1.0, 2.0, 3.0};
  EXPECT_EQ(SortIntoArray(d.data(), 2, TVarKind::vkReal, 2.5, true, false), -1);  // beyond the two counted
  EXPECT_EQ(SortIntoArray(d.data(), 3, TVarKind::vkDouble, 2.5, true, false), 2);
  EXPECT_EQ(d, (std::vector<double>{1.0, 2.0, 2.5}));
}

TEST(InsertIntoArray, ShiftsUpAndDropsTheLast) {
  std::vector<double> v{1, 2, 3, 4};
  InsertIntoArray(std::span<double>(v), 9.0, 1);
  EXPECT_EQ(v, (std::vector<double>{1, 9, 2, 3}));
  InsertIntoArray(std::span<double>(v), 7.0, 3);  // the last index overwrites the last element
  EXPECT_EQ(v, (std::vector<double>{1, 9, 2, 7}));
  InsertIntoArray(std::span<double>(v), 5.0, 4);
  InsertIntoArray(std::span<double>(v), 5.0, -1);
  EXPECT_EQ(v, (std::vector<double>{1, 9, 2, 7}));
  InsertIntoArray(std::span<double>(), 5.0, 0);

  std::vector<std::int32_t> i{1, 2};
  InsertIntoArray(std::span<std::int32_t>(i), 0, 0);
  EXPECT_EQ(i, (std::vector<std::int32_t>{0, 1}));
  std::vector<float> f{1, 2, 3};
  InsertIntoArray(std::span<float>(f), 0.5f, 2);
  EXPECT_EQ(f, (std::vector<float>{1, 2, 0.5f}));
}

TEST(InsertIntoArray, UntypedOverload) {
  std::vector<float> f{1, 2, 3, 4};
  InsertIntoArray(f.data(), 3, TVarKind::vkSingle, 8.0, 0);  // only the first three take part
  EXPECT_EQ(f, (std::vector<float>{8, 1, 2, 4}));
  InsertIntoArray(f.data(), 3, TVarKind::vkSingle, 8.0, 3);
  EXPECT_EQ(f, (std::vector<float>{8, 1, 2, 4}));
  std::vector<std::int32_t> i{1, 2, 3};
  InsertIntoArray(i.data(), 3, TVarKind::vkInteger, 4.5, 1);
  EXPECT_EQ(i, (std::vector<std::int32_t>{1, 4, 2}));
  InsertIntoArray(i.data(), 3, TVarKind::vkInteger, kNaN, 1);
  InsertIntoArray(i.data(), 3, TVarKind::vkString, 5.0, 1);
  EXPECT_EQ(i, (std::vector<std::int32_t>{1, 4, 2}));
  std::vector<double> d{1, 2};
  InsertIntoArray(d.data(), 2, TVarKind::vkDouble, 0.0, 0);
  EXPECT_EQ(d, (std::vector<double>{0, 1}));
}

TEST(QuickSelect, MatchesNthElementOnRandomData) {
  std::mt19937 gen(15);
  for (int trial = 0; trial < 40; ++trial) {
    const std::size_t n = 1 + gen() % 300;
    const auto data = RandomData<double>(gen, n, trial % 2 == 0);
    const auto low = static_cast<std::int32_t>(trial % 3 == 0 ? 0 : gen() % n);
    const auto high = static_cast<std::int32_t>(low + gen() % (n - static_cast<std::size_t>(low)));
    for (std::int32_t k = low; k <= high; ++k) {
      auto v = data;
      auto ref = std::vector<double>(data.begin() + low, data.begin() + high + 1);
      std::nth_element(ref.begin(), ref.begin() + (k - low), ref.end());
      EXPECT_EQ(QuickSelect(std::span<double>(v), k, low, high), ref[static_cast<std::size_t>(k - low)])
          << "n=" << n << " k=" << k << " low=" << low << " high=" << high;
      // Only the range is reordered, and only as a permutation.
      EXPECT_TRUE(std::equal(v.begin(), v.begin() + low, data.begin()));
      EXPECT_TRUE(std::equal(v.begin() + high + 1, v.end(), data.begin() + high + 1));
      EXPECT_TRUE(std::is_permutation(v.begin(), v.end(), data.begin()));
    }
  }
}

TEST(QuickSelect, EqualElementsAreNotReordered) {
  std::vector<double> v{0.0, -0.0, 0.0, -0.0};
  EXPECT_EQ(QuickSelect(std::span<double>(v), 2, 0, 3), 0.0);
  EXPECT_FALSE(std::signbit(v[0]));
  EXPECT_TRUE(std::signbit(v[1]));
  EXPECT_TRUE(std::signbit(v[3]));
  std::vector<double> w{7.0, 7.0, 7.0};
  EXPECT_EQ(QuickSelect(std::span<double>(w), 1, 0, 2), 7.0);
}

TEST(QuickSelect, InvalidIndexesReturnZeroAndChangeNothing) {
  const std::vector<double> data{5, 4, 3, 2, 1};
  auto v = data;
  EXPECT_EQ(QuickSelect(std::span<double>(v), 1, 3, 2), 0.0);   // high < low
  EXPECT_EQ(QuickSelect(std::span<double>(v), 0, 1, 4), 0.0);   // k below low
  EXPECT_EQ(QuickSelect(std::span<double>(v), 4, 1, 3), 0.0);   // k above high
  EXPECT_EQ(QuickSelect(std::span<double>(v), 2, -1, 3), 0.0);  // low outside
  EXPECT_EQ(QuickSelect(std::span<double>(v), 2, 0, 5), 0.0);   // high outside
  EXPECT_EQ(QuickSelect(std::span<double>(), 0, 0, 0), 0.0);
  EXPECT_EQ(v, data);
  EXPECT_EQ(QuickSelect(std::span<double>(v), 4, 4, 4), 1.0);
  EXPECT_EQ(QuickSelect(std::span<double>(v), 0, 0, 4), 1.0);
}

TEST(QuickSelect, TerminatesWithNaN) {
  std::mt19937 gen(16);
  for (int trial = 0; trial < 30; ++trial) {
    auto v = RandomData<double>(gen, 64, trial % 2 == 0);
    for (int j = 0; j <= trial % 10; ++j) {
      v[gen() % v.size()] = kNaN;
    }
    const auto data = v;
    for (std::int32_t k = 0; k < 64; k += 3) {
      v = data;
      const double r = QuickSelect(std::span<double>(v), k, 0, 63);
      EXPECT_TRUE(std::isnan(r) || std::find(data.begin(), data.end(), r) != data.end());
    }
  }
  std::vector<double> allNaN(5, kNaN);
  EXPECT_TRUE(std::isnan(QuickSelect(std::span<double>(allNaN), 2, 0, 4)));
}

/// The k-th value of the whole array when the values equal to (or unordered
/// with) value are ranked between the smaller and the greater ones.
double SetAsideReference(const std::vector<double>& data, std::int32_t k, double value) {
  std::vector<double> less, greater;
  for (double x : data) {
    if (x < value) {
      less.push_back(x);
    } else if (x > value) {
      greater.push_back(x);
    }
  }
  std::sort(less.begin(), less.end());
  std::sort(greater.begin(), greater.end());
  const auto e = data.size() - less.size() - greater.size();
  const auto uk = static_cast<std::size_t>(k);
  if (uk < less.size()) {
    return less[uk];
  }
  if (uk >= less.size() + e) {
    return greater[uk - less.size() - e];
  }
  return value;
}

TEST(QuickSelectSetAside, MatchesTheRankingWithTheValueSetAside) {
  std::mt19937 gen(17);
  for (int trial = 0; trial < 30; ++trial) {
    const std::size_t n = 1 + gen() % 120;
    auto data = RandomData<double>(gen, n, true);
    if (trial % 3 == 0) {
      data[gen() % n] = kNaN;
    }
    const double value = static_cast<double>(static_cast<int>(gen() % 11) - 5);
    for (std::int32_t k = 0; k < static_cast<std::int32_t>(n); ++k) {
      auto v = data;
      const double got = QuickSelect(std::span<double>(v), k, 0, -123, value);
      EXPECT_EQ(got, SetAsideReference(data, k, value)) << "n=" << n << " k=" << k << " value=" << value;
      for (std::size_t i = 0; i < n; ++i) {  // the array itself is not touched
        EXPECT_TRUE(v[i] == data[i] || (std::isnan(v[i]) && std::isnan(data[i])));
      }
    }
  }
}

TEST(QuickSelectSetAside, ShortWorkArrayAndInvalidIndexes) {
  std::vector<double> v{5, 5, 5, 5, 1, 9};
  // Four values set aside leave a work array of two; the target index 1 lies
  // below Low = 4, so the selection starts at the target.
  EXPECT_EQ(QuickSelect(std::span<double>(v), 5, 4, 5, 5.0), 9.0);
  EXPECT_EQ(QuickSelect(std::span<double>(v), 3, 2, 5, 5.0), 5.0);
  EXPECT_EQ(QuickSelect(std::span<double>(v), 0, 0, 5, 5.0), 1.0);
  EXPECT_EQ(QuickSelect(std::span<double>(v), 6, 0, 5, 5.0), 0.0);   // k beyond the array
  EXPECT_EQ(QuickSelect(std::span<double>(v), -1, 0, 5, 5.0), 0.0);  // negative k
  EXPECT_EQ(QuickSelect(std::span<double>(v), 1, 2, 5, 5.0), 0.0);   // Low above k
  std::vector<double> same(4, 2.0);
  EXPECT_EQ(QuickSelect(std::span<double>(same), 3, 0, 3, 2.0), 2.0);  // everything set aside
  EXPECT_EQ(QuickSelect(std::span<double>(), 0, 0, 0, 2.0), 0.0);
  std::vector<double> nan{kNaN, kNaN, 3.0};
  EXPECT_EQ(QuickSelect(std::span<double>(nan), 2, 0, 2, 1.0), 3.0);
}

template <class T>
void CheckExChange(T x, T y) {
  T a = x, b = y;
  ExChange(a, b);
  EXPECT_EQ(a, y);
  EXPECT_EQ(b, x);
}

TEST(ExChange, SwapsEveryKind) {
  CheckExChange<std::int32_t>(1, -2);
  CheckExChange<std::uint8_t>(1, 255);
  CheckExChange<float>(1.5f, -2.0f);
  CheckExChange<double>(1.5, -2.0);
  CheckExChange<Extended>(1.5L, -2.5L);
  CheckExChange<std::string>("left", "a longer right side");
  CheckExChange<bool>(true, false);
  CheckExChange<char16_t>(u'a', u'\u00e9');
  CheckExChange<std::uint16_t>(1, 65535);
  CheckExChange<std::int8_t>(-5, 6);
  CheckExChange<std::uint32_t>(7, 0xFFFFFFFFu);
  CheckExChange<std::int64_t>(std::int64_t{1} << 40, -3);
}

TEST(ExChange, UntypedExchangesTheGivenBytes) {
  std::uint8_t p[4] = {1, 2, 3, 4};
  std::uint8_t q[4] = {5, 6, 7, 8};
  ExChange(p, q, 0);
  EXPECT_EQ(p[0], 1);
  ExChange(p, q, 3);
  EXPECT_EQ(std::vector<std::uint8_t>(p, p + 4), (std::vector<std::uint8_t>{5, 6, 7, 4}));
  EXPECT_EQ(std::vector<std::uint8_t>(q, q + 4), (std::vector<std::uint8_t>{1, 2, 3, 8}));
  ExChange(nullptr, q, 4);
  EXPECT_EQ(q[0], 1);
}

TEST(QuickSelect, NaNPivotCountsAsGreatest) {
  // The middle element is the first pivot; a NaN there once passed for the smallest.
  for (std::int32_t k = 0; k < 5; ++k) {
    std::vector<double> d = {4.0, 2.0, kNaN, 1.0, 3.0};
    const double r = QuickSelect(d, k, 0, 4);
    if (k < 4) {
      EXPECT_EQ(r, k + 1.0);
    } else {
      EXPECT_TRUE(std::isnan(r));
    }
  }
  std::vector<double> allNaN(6, kNaN);
  EXPECT_TRUE(std::isnan(QuickSelect(allNaN, 3, 0, 5)));
}

}  // namespace
}  // namespace qmx
