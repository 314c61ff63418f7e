#include "qmx/foundation/math1_primitives.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

namespace qmx {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(HistoBinRef, EdgeAndOffset) {
  double off = -1.0;
  EXPECT_DOUBLE_EQ(HistoBinRef(7.3, 1.0, 2.0, off), 7.0);
  EXPECT_NEAR(off, 0.3, 1e-12);
  EXPECT_EQ(HistoBinRef(-0.5, 0.0, 1.0, off), -1.0);
  EXPECT_EQ(off, 0.5);
  EXPECT_EQ(HistoBinRef(3.0, 1.0, 2.0, off), 3.0);  // a bin's lower edge belongs to it
  EXPECT_EQ(off, 0.0);
  EXPECT_EQ(HistoBinRef(-3.0, 1.0, 2.0, off), -3.0);
  // Bin numbers beyond the 32-bit range are kept exactly.
  EXPECT_EQ(HistoBinRef(1e12 + 0.25, 0.0, 1.0, off), 1e12);
  EXPECT_EQ(off, 0.25);
  EXPECT_EQ(HistoBinRef(-1e15, 0.0, 0.5, off), -1e15);
}

TEST(HistoBinRef, DegenerateInputGivesNaN) {
  double off = 0.0;
  EXPECT_TRUE(std::isnan(HistoBinRef(1.0, 0.0, 0.0, off)));
  EXPECT_TRUE(std::isnan(off));
  EXPECT_TRUE(std::isnan(HistoBinRef(0.0, 0.0, 0.0, off)));
  EXPECT_TRUE(std::isnan(HistoBinRef(kNaN, 0.0, 1.0, off)));
  EXPECT_TRUE(std::isnan(HistoBinRef(kInf, 0.0, 1.0, off)));
  EXPECT_TRUE(std::isnan(HistoBinRef(1.0, 0.0, kInf, off)));
  EXPECT_TRUE(std::isnan(off));
}

TEST(TKahanSum, BeatsNaiveSummationOnAnIllConditionedSeries) {
  TKahanSum k;
  EXPECT_EQ(k.ClassName(), "TKahanSum");
  EXPECT_EQ(k.Sum(), 0.0);
  // 1 followed by a million terms of 1e-16, each below half an ulp of 1.
  double naive = 1.0;
  k.Add(1.0);
  for (int i = 0; i < 1000000; ++i) {
    naive += 1e-16;
    k.Add(1e-16);
  }
  const double exact = 1.0 + 1e-10;
  EXPECT_EQ(naive, 1.0);
  EXPECT_NEAR(k.Sum(), exact, 1e-15);
  k.Reset();
  EXPECT_EQ(k.Sum(), 0.0);
  k.Add(2.5);
  EXPECT_EQ(k.Sum(), 2.5);  // no compensation left over from before the reset
}

TEST(TKahanSum, RandomSeriesAgainstExtendedSum) {
  std::mt19937 gen(21);
  std::uniform_real_distribution<double> d(-1.0, 1.0);
  TKahanSum k;
  Extended ref = 0.0L;
  double naive = 0.0;
  for (int i = 0; i < 200000; ++i) {
    const double x = d(gen) * std::pow(10.0, static_cast<double>(i % 9));
    k.Add(x);
    naive += x;
    ref += x;
  }
  EXPECT_LE(std::fabs(k.Sum() - static_cast<double>(ref)), std::fabs(naive - static_cast<double>(ref)));
}

TEST(TKahanSum, IsOwnedByItsOwner) {
  TComponent owner;
  auto* k = new TKahanSum(&owner);
  EXPECT_EQ(k->Owner(), &owner);
  EXPECT_EQ(owner.ComponentCount(), 1);
}

TEST(SignAndRounding, Signum) {
  EXPECT_EQ(Signum(0.0), 1);
  EXPECT_EQ(Signum(-0.0), 1);
  EXPECT_EQ(Signum(-1e-300), -1);
  EXPECT_EQ(Signum(5.0), 1);
  EXPECT_EQ(Signum(-kInf), -1);
  EXPECT_EQ(Signum(kNaN), 1);
}

TEST(SignAndRounding, IntPosAndIntNegAreCeilingAndFloor) {
  EXPECT_EQ(IntPos(2.0), 2);
  EXPECT_EQ(IntNeg(-0.5), -1);
  EXPECT_EQ(IntPos(-0.5), 0);
  EXPECT_EQ(IntPos(2.5), 3);
  EXPECT_EQ(IntNeg(2.5), 2);
  EXPECT_EQ(IntPos(3.5), 4);
  EXPECT_EQ(IntNeg(3.5), 3);
  EXPECT_EQ(IntPos(-2.5), -2);
  EXPECT_EQ(IntNeg(-2.5), -3);
  EXPECT_EQ(IntPos(0.49999999999999994), 1);
  EXPECT_EQ(IntNeg(-0.49999999999999994), -1);
  std::mt19937 gen(22);
  std::uniform_real_distribution<double> d(-1e6, 1e6);
  for (int i = 0; i < 10000; ++i) {
    double x = d(gen);
    if (i % 4 == 0) {
      x = std::round(x) + (i % 8 == 0 ? 0.5 : 0.0);
    }
    EXPECT_EQ(IntPos(x), static_cast<std::int32_t>(std::ceil(x))) << x;
    EXPECT_EQ(IntNeg(x), static_cast<std::int32_t>(std::floor(x))) << x;
  }
}

TEST(SignAndRounding, IntPosAndIntNegSaturate) {
  constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
  constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(IntPos(1e300), kMax);
  EXPECT_EQ(IntNeg(-1e300), kMin);
  EXPECT_EQ(IntPos(kInf), kMax);
  EXPECT_EQ(IntNeg(-kInf), kMin);
  EXPECT_EQ(IntPos(kNaN), 0);
  EXPECT_EQ(IntNeg(kNaN), 0);
  EXPECT_EQ(IntPos(2147483646.5), kMax);
  EXPECT_EQ(IntNeg(-2147483648.0), kMin);
}

TEST(SortSwap, OrdersThePair) {
  double a = 2.0, b = 1.0;
  EXPECT_TRUE(SortSwap(a, b, true));
  EXPECT_EQ(a, 1.0);
  EXPECT_EQ(b, 2.0);
  EXPECT_FALSE(SortSwap(a, b, true));
  EXPECT_TRUE(SortSwap(a, b, false));
  EXPECT_EQ(a, 2.0);
  EXPECT_FALSE(SortSwap(a, b, false));
  double c = 3.0, d = 3.0;
  EXPECT_TRUE(SortSwap(c, d, true));  // equal values are exchanged when ascending
  EXPECT_FALSE(SortSwap(c, d, false));
}

TEST(BRandom, CertainAndImpossibleEvents) {
  SetRandSeed(31);
  for (int i = 0; i < 100; ++i) {
    EXPECT_TRUE(BRandom(1.0));
    EXPECT_TRUE(BRandom(2.0));
  }
  const double next = Random();  // p >= 1 draws nothing
  SetRandSeed(31);
  EXPECT_EQ(Random(), next);
  for (int i = 0; i < 1000; ++i) {
    EXPECT_FALSE(BRandom(0.0));
    EXPECT_FALSE(BRandom(-1.0));
    EXPECT_FALSE(BRandom(kNaN));
  }
  int hits = 0;
  for (int i = 0; i < 100000; ++i) {
    hits += BRandom(0.3) ? 1 : 0;
  }
  EXPECT_NEAR(hits / 100000.0, 0.3, 0.01);
}

TEST(CRandom, MedianAndQuartilesNearLocationAndScale) {
  SetRandSeed(32);
  std::vector<double> v(40001);
  for (auto& x : v) {
    x = CRandom(5.0, 2.0);
  }
  std::sort(v.begin(), v.end());
  EXPECT_NEAR(v[20000], 5.0, 0.1);
  EXPECT_NEAR(v[10000], 3.0, 0.15);  // quartiles of a Cauchy law: location -/+ scale
  EXPECT_NEAR(v[30000], 7.0, 0.15);
}

TEST(GRandom, MomentsOfManyDraws) {
  SetRandSeed(33);
  constexpr int kN = 400000;
  Extended sum = 0.0L, sum2 = 0.0L, sum4 = 0.0L;
  int inside1 = 0;
  for (int i = 0; i < kN; ++i) {
    const double x = GRandom();
    ASSERT_TRUE(std::isfinite(x));
    sum += x;
    sum2 += x * x;
    sum4 += x * x * x * x;
    inside1 += std::fabs(x) < 1.0 ? 1 : 0;
  }
  const double mean = static_cast<double>(sum / kN);
  const double var = static_cast<double>(sum2 / kN) - mean * mean;
  EXPECT_NEAR(mean, 0.0, 0.01);
  EXPECT_NEAR(var, 1.0, 0.01);
  EXPECT_NEAR(static_cast<double>(sum4 / kN), 3.0, 0.06);
  EXPECT_NEAR(inside1 / static_cast<double>(kN), 0.6827, 0.005);
}

/// The pair of the polar method computed by hand from the uniform sequence of seed.
std::pair<double, double> PolarPair(std::uint64_t seed) {
  SetRandSeed(seed);
  for (;;) {
    const double u1 = 2.0 * Random() - 1.0;
    const double u2 = 2.0 * Random() - 1.0;
    const double s = u1 * u1 + u2 * u2;
    if (s < 1.0 && s > 0.0) {
      const double f = std::sqrt(-2.0 * std::log(s) / s);
      return {u2 * f, u1 * f};
    }
  }
}

TEST(GRandom, ReturnsAPairAndThenItsCachedValue) {
  for (std::uint64_t seed : {34u, 35u, 36u}) {
    const auto [first, second] = PolarPair(seed);
    SetRandSeed(seed);
    double g = GRandom();
    if (g != first) {
      g = GRandom();  // the first call handed out a value cached before
    }
    EXPECT_EQ(g, first);
    EXPECT_EQ(GRandom(), second);
  }
}

TEST(LongRand, SameSeedSameSequence) {
  std::vector<double> a, b;
  a.push_back(LongRand(12345));
  for (int i = 0; i < 20; ++i) {
    a.push_back(LongRand(0));
  }
  b.push_back(LongRand(12345));
  for (int i = 0; i < 20; ++i) {
    b.push_back(LongRand(0));
  }
  EXPECT_EQ(a, b);
  EXPECT_NE(LongRand(12346), a[0]);
  EXPECT_NE(a[1], a[2]);
}

TEST(LongRand, FirstValueForSeedOne) {
  // r = 1: s1 = 1, s2 = 256 xor 1 = 257, s3 = 65536 xor 1 = 65537; then one step.
  const double s1 = (1.0 * 1187);
  const double s2 = std::fmod(257.0 * 983, 990923.0);
  const double s3 = std::fmod(65537.0 * 1283, 1400423.0);
  const double v = s1 / 1001003 + s2 / 990923 + s3 / 1400423;
  EXPECT_EQ(LongRand(1), v - std::floor(v));
  // A negative seed uses the magnitude of the remainder for s1 and the
  // two's-complement shifts for s2 and s3.
  const double n1 = LongRand(-1);
  EXPECT_GE(n1, 0.0);
  EXPECT_LT(n1, 1.0);
  EXPECT_NE(n1, v - std::floor(v));
}

TEST(LongRand, UniformOnTheUnitInterval) {
  LongRand(987654);
  constexpr int kN = 200000;
  double sum = 0.0;
  std::vector<int> bins(10, 0);
  for (int i = 0; i < kN; ++i) {
    const double x = LongRand(0);
    ASSERT_GE(x, 0.0);
    ASSERT_LT(x, 1.0);
    sum += x;
    ++bins[static_cast<std::size_t>(x * 10)];
  }
  EXPECT_NEAR(sum / kN, 0.5, 0.005);
  for (int b : bins) {
    EXPECT_NEAR(b, kN / 10, kN / 100);
  }
}

TEST(LongRand, DegenerateSeedsDoNotStickAtZero) {
  for (std::int32_t seed : {990923, -990923, 2 * 990923, std::numeric_limits<std::int32_t>::min(),
                            std::numeric_limits<std::int32_t>::max()}) {
    LongRand(seed);
    double maxSeen = 0.0;
    for (int i = 0; i < 100; ++i) {
      const double x = LongRand(0);
      EXPECT_GE(x, 0.0);
      EXPECT_LT(x, 1.0);
      maxSeen = std::max(maxSeen, x);
    }
    EXPECT_GT(maxSeen, 0.5) << seed;
  }
}

double Horner(const std::vector<double>& c, std::size_t order, double x) {
  double r = 0.0;
  for (std::size_t i = order + 1; i-- > 0;) {
    r = r * x + c[i];
  }
  return r;
}

TEST(Polynomial, AgreesWithHorner) {
  std::mt19937 gen(41);
  std::uniform_real_distribution<double> d(-3.0, 3.0);
  for (int trial = 0; trial < 200; ++trial) {
    std::vector<double> c(1 + static_cast<std::size_t>(trial % 9));
    for (auto& v : c) {
      v = d(gen);
    }
    const auto order = static_cast<std::int32_t>(gen() % c.size());
    const double x = d(gen);
    const double center = d(gen);
    const double h = Horner(c, static_cast<std::size_t>(order), x);
    EXPECT_NEAR(Polynomial(c, order, x), h, 1e-10 * (1.0 + std::fabs(h)));
    const double hc = Horner(c, static_cast<std::size_t>(order), x - center);
    EXPECT_NEAR(CenteredPolynomial(c, order, center, x), hc, 1e-10 * (1.0 + std::fabs(hc)));
  }
  const std::vector<double> c{2.0, -3.0, 0.5};
  EXPECT_EQ(Polynomial(c, 0, 100.0), 2.0);
  EXPECT_EQ(Polynomial(c, 1, 2.0), -4.0);
  EXPECT_EQ(Polynomial(c, 2, 2.0), -2.0);
  EXPECT_EQ(CenteredPolynomial(c, 2, 1.0, 3.0), -2.0);
}

TEST(Polynomial, InvalidOrderRaises) {
  const std::vector<double> c{1.0, 2.0};
  for (std::int32_t order : {-1, 2, 100}) {
    try {
      Polynomial(c, order, 1.0);
      ADD_FAILURE() << "no exception for order " << order;
    } catch (const EQMXMath1Error& e) {
      EXPECT_STREQ(e.what(), "Polynomial: invalid order of polynomial");
    }
    try {
      CenteredPolynomial(c, order, 0.0, 1.0);
      ADD_FAILURE() << "no exception for order " << order;
    } catch (const EQMXMath1Error& e) {
      EXPECT_STREQ(e.what(), "Polynomial: invalid order of polynomial");
    }
  }
  EXPECT_THROW(Polynomial(std::span<const double>(), 0, 1.0), EQMXMath1Error);
}

TEST(TKahanSum, InfinitiesAndOverflowLikePlainSummation) {
  TKahanSum k;
  for (const double x : {1.0, kInf, 2.0}) k.Add(x);
  EXPECT_EQ(k.Sum(), kInf);  // (inf - sum) - y would have made the sum NaN
  k.Add(-kInf);
  EXPECT_TRUE(std::isnan(k.Sum()));
  k.Reset();
  constexpr double kMax = std::numeric_limits<double>::max();
  k.Add(kMax);
  k.Add(kMax);
  k.Add(1.0);
  EXPECT_EQ(k.Sum(), kInf);
}

TEST(HistoBinRef, EdgeStaysWithinOneWidthForDisparateMagnitudes) {
  constexpr double kMax = std::numeric_limits<double>::max();
  double off = -1.0;
  // Origin far from x: the bin number is huge, the edge still lies just below x.
  const double edge = HistoBinRef(2.5, kMax, 0.75, off);
  EXPECT_TRUE(edge <= 2.5 && edge > 1.75) << edge;
  EXPECT_EQ(off, 2.5 - edge);
  EXPECT_EQ(HistoBinRef(2.2250738585072014e-308, -1.0, 5e-324, off), 2.2250738585072014e-308);
  EXPECT_EQ(off, 0.0);
  // (x - Origin) overflows a double but has a bin.
  EXPECT_EQ(HistoBinRef(kMax, -kMax, 1.0, off), kMax);
  EXPECT_EQ(off, 0.0);
  // A negative width counts from the upper edge: the offset is in (Width, 0].
  EXPECT_EQ(HistoBinRef(7.3, 1.0, -2.0, off), 9.0);
  EXPECT_NEAR(off, -1.7, 1e-12);
}

}  // namespace
}  // namespace qmx
