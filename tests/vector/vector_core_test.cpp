// TVector life cycle, size, events, element access, ranges, copying between
// vectors, checksum, fills and element-wise arithmetic.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/math1_primitives.hpp"
#include "vector/vector_test_util.hpp"

namespace qmx {
namespace {

using vectest::MessageOf;
using vectest::SetAll;
using vectest::TEventLog;
using vectest::Values;

TEST(VectorCore, NewVectorHoldsOneZero) {
  TVector v;
  EXPECT_EQ(v.ClassName(), "TVector");
  EXPECT_EQ(v.NrOfElem(), 1);
  EXPECT_EQ(v.GetVal(1), 0.0);
  EXPECT_FALSE(v.OnChange);
  EXPECT_FALSE(v.OnResize);
  EXPECT_FALSE(v.OnSortExchange);
}

TEST(VectorCore, OwnerDestroysVector) {
  auto owner = std::make_unique<TComponent>();
  auto* v = new TVector(owner.get());
  EXPECT_EQ(v->Owner(), owner.get());
  EXPECT_EQ(owner->ComponentCount(), 1);
  owner.reset();  // must free v (checked by the sanitizer build)
}

TEST(VectorCore, ResizeFiresChangeThenResizeAndKeepsValues) {
  TVector v;
  v.SetVal(1, 4.5);
  TEventLog log;
  log.Attach(v);
  ASSERT_TRUE(v.Resize(4));
  EXPECT_EQ(log.events, (std::vector<std::string>{"change", "resize"}));
  EXPECT_EQ(log.lastSender, &v);
  EXPECT_EQ(Values(v), (std::vector<double>{4.5, 0, 0, 0}));

  log.Clear();
  EXPECT_TRUE(v.Resize(4));  // same size: nothing happens
  EXPECT_FALSE(v.Resize(0));
  EXPECT_FALSE(v.Resize(-7));
  EXPECT_TRUE(log.events.empty());
  EXPECT_EQ(v.NrOfElem(), 4);

  ASSERT_TRUE(v.Resize(2));
  EXPECT_EQ(Values(v), (std::vector<double>{4.5, 0}));
  EXPECT_EQ(log.events, (std::vector<std::string>{"change", "resize"}));

  log.Clear();
  v.SetVecSize(0);
  v.SetVecSize(2);
  EXPECT_TRUE(log.events.empty());
  v.SetVecSize(3);
  EXPECT_EQ(v.NrOfElem(), 3);
  EXPECT_EQ(log.Count("resize"), 1);
}

TEST(VectorCore, SetValFiresPerElementAndIgnoresOutside) {
  TVector v;
  v.Resize(3);
  TEventLog log;
  log.Attach(v);
  v.SetVal(0, 1.0);
  v.SetVal(4, 1.0);
  v.SetVal(-100, 1.0);
  EXPECT_TRUE(log.events.empty());
  EXPECT_EQ(v.GetVal(0), 0.0);
  EXPECT_EQ(v.GetVal(4), 0.0);
  v.SetVal(1, 1.5);
  v.SetVal(3, -2.0);
  EXPECT_EQ(log.Count("change"), 2);
  EXPECT_EQ(v.GetVal(1), 1.5);
  EXPECT_EQ(v.GetVal(3), -2.0);
}

TEST(VectorCore, MakeValidElemRange) {
  TVector v;
  v.Resize(10);
  struct Case {
    std::int32_t lo, hi, wantLo, wantHi;
    bool changed;
  };
  for (const Case& c : {Case{0, 0, 1, 10, false}, Case{3, 7, 3, 7, false}, Case{7, 3, 3, 7, false},
                        Case{-5, 4, 1, 4, true}, Case{0, 4, 1, 4, true}, Case{2, 11, 2, 10, true},
                        Case{20, -3, 1, 10, true}, Case{10, 10, 10, 10, false},
                        Case{std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), 1,
                             10, true}}) {
    std::int32_t lo = c.lo;
    std::int32_t hi = c.hi;
    EXPECT_EQ(v.MakeValidElemRange(lo, hi), c.changed) << c.lo << " " << c.hi;
    EXPECT_EQ(lo, c.wantLo);
    EXPECT_EQ(hi, c.wantHi);
  }
}

TEST(VectorCore, AssignCopiesElementsAndHandlersWithoutEvents) {
  TVector src;
  SetAll(src, std::vector<double>{1, 2, 3});
  TEventLog srcLog;
  srcLog.Attach(src);
  TVector dst;
  dst.SetName("D");
  TEventLog dstLog;
  dstLog.Attach(dst);
  dst.Assign(&src);
  EXPECT_EQ(Values(dst), (std::vector<double>{1, 2, 3}));
  EXPECT_TRUE(dstLog.events.empty());
  EXPECT_TRUE(srcLog.events.empty());
  // The handlers now are those of the source: dst notifies srcLog.
  dst.SetVal(1, 9.0);
  EXPECT_EQ(srcLog.events, (std::vector<std::string>{"change"}));
  EXPECT_EQ(srcLog.lastSender, &dst);
  EXPECT_TRUE(dstLog.events.empty());
  EXPECT_EQ(dst.Name(), "D");

  dst.Assign(&dst);  // self: nothing changes
  EXPECT_EQ(Values(dst), (std::vector<double>{9, 2, 3}));
}

TEST(VectorCore, AssignAcrossClassesIsAConversionError) {
  TVector v;
  TIntVector iv;
  EXPECT_THROW(v.Assign(&iv), EConvertError);
  EXPECT_THROW(iv.Assign(&v), EConvertError);
  EXPECT_THROW(v.Assign(nullptr), EConvertError);
}

TEST(VectorCore, CloneCopiesElementsThroughSetValNotHandlers) {
  TVector src;
  SetAll(src, std::vector<double>{1, 2, 3});
  TEventLog srcLog;
  srcLog.Attach(src);
  TVector dst;
  TEventLog log;
  log.Attach(dst);
  dst.Clone(&src);
  EXPECT_EQ(Values(dst), (std::vector<double>{1, 2, 3}));
  // Resize (change, resize), three SetVal, one final change.
  EXPECT_EQ(log.events, (std::vector<std::string>{"change", "resize", "change", "change", "change", "change"}));
  EXPECT_TRUE(srcLog.events.empty());
  log.Clear();
  dst.Clone(nullptr);
  EXPECT_TRUE(log.events.empty());

  // Clone does not copy handlers.
  TVector plain;
  plain.Clone(&src);
  EXPECT_FALSE(plain.OnChange);
  EXPECT_EQ(Values(plain), (std::vector<double>{1, 2, 3}));
}

TEST(VectorCore, CRCofDataFollowsTheElementBytes) {
  TVector v;
  const std::string zero = v.CRCofData();
  ASSERT_EQ(zero.size(), 64u);
  EXPECT_EQ(zero, std::string(zero.substr(0, 8)) + zero.substr(0, 8) + zero.substr(0, 8) + zero.substr(0, 8) +
                      zero.substr(0, 8) + zero.substr(0, 8) + zero.substr(0, 8) + zero.substr(0, 8));
  // An independent lane computation.
  SetAll(v, std::vector<double>{1.5, -2.25, 1e300});
  std::uint32_t acc[8];
  std::fill(acc, acc + 8, 0xFFFFFFFFu);
  for (double x : Values(v)) {
    std::uint8_t b[8];
    std::memcpy(b, &x, 8);
    for (int k = 0; k < 8; ++k) {
      acc[k] = CalcNextCRC32(b[k], acc[k]);
    }
  }
  std::string want;
  for (std::uint32_t a : acc) {
    char buf[9];
    std::snprintf(buf, sizeof buf, "%08X", ~a);
    want += buf;
  }
  EXPECT_EQ(v.CRCofData(), want);
  const std::string before = v.CRCofData();
  v.SetVal(2, -2.2500000000000004);
  EXPECT_NE(v.CRCofData(), before);
}

TEST(VectorCore, FillsFireOneChange) {
  TVector v;
  v.Resize(5);
  TEventLog log;
  log.Attach(v);
  v.Fill(2.5);
  EXPECT_EQ(Values(v), std::vector<double>(5, 2.5));
  v.FillSerial(0.0, 0.1);
  double x = 0.0;
  for (std::int32_t i = 1; i <= 5; ++i) {
    EXPECT_EQ(v.GetVal(i), x);  // repeated addition, bit for bit
    x += 0.1;
  }
  v.Clear();
  EXPECT_EQ(Values(v), std::vector<double>(5, 0.0));
  EXPECT_EQ(log.events, (std::vector<std::string>{"change", "change", "change"}));
}

TEST(VectorCore, RandomFills) {
  TVector v;
  v.Resize(20000);
  TEventLog log;
  log.Attach(v);
  SetRandSeed(11);
  v.FillRandomUniform(-2.0, 3.0);
  double mn = 0, mx = 0;
  v.MinMax(0, 0, mn, mx);
  EXPECT_GE(mn, -2.0);
  EXPECT_LT(mx, 3.0);
  EXPECT_NEAR(v.Sum(0, 0) / 20000.0, 0.5, 0.05);
  v.FillRandomGauss(10.0, 2.0);
  double mean = 0, var = 0;
  v.MeanVar(0, 0, mean, var);
  EXPECT_NEAR(mean, 10.0, 0.1);
  EXPECT_NEAR(std::sqrt(var), 2.0, 0.1);
  EXPECT_EQ(log.Count("change"), 2);
}

TEST(VectorCore, ElementwiseArithmetic) {
  TVector a;
  TVector b;
  a.SetName("A");
  SetAll(a, std::vector<double>{1, -2, 3});
  SetAll(b, std::vector<double>{0.5, 0.5, -1});
  TEventLog log;
  log.Attach(a);
  a.Add(&b);
  EXPECT_EQ(Values(a), (std::vector<double>{1.5, -1.5, 2}));
  a.Subtract(&b);
  EXPECT_EQ(Values(a), (std::vector<double>{1, -2, 3}));
  a.SMult(-2);
  EXPECT_EQ(Values(a), (std::vector<double>{-2, 4, -6}));
  a.AbsVal();
  EXPECT_EQ(Values(a), (std::vector<double>{2, 4, 6}));
  a.Mirror();
  EXPECT_EQ(Values(a), (std::vector<double>{6, 4, 2}));
  EXPECT_EQ(log.Count("change"), 5);

  log.Clear();
  a.Add(nullptr);
  a.Subtract(nullptr);
  EXPECT_TRUE(log.events.empty());

  TVector c;
  c.Resize(4);
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { a.Add(&c); }), "Component \"A\": vectors have different dimensions");
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { a.Subtract(&c); }),
            "Component \"A\": vectors have different dimensions");
  EXPECT_EQ(MessageOf<EQMXVectorError>([&] { (void)c.DotProduct(&a); }),
            "Component \"\": vectors have different dimensions");
  EXPECT_EQ(Values(a), (std::vector<double>{6, 4, 2}));
  EXPECT_TRUE(log.events.empty());

  a.Add(&a);  // adding itself doubles
  EXPECT_EQ(Values(a), (std::vector<double>{12, 8, 4}));

  TVector one;
  TEventLog oneLog;
  oneLog.Attach(one);
  one.Mirror();
  EXPECT_EQ(oneLog.Count("change"), 1);
}

TEST(VectorCore, ShuffleKeepsTheValuesAndFiresNothing) {
  TVector v;
  v.Resize(500);
  v.FillSerial(1, 1);
  TEventLog log;
  log.Attach(v);
  v.ShuffleElems();
  EXPECT_TRUE(log.events.empty());
  std::vector<double> got = Values(v);
  std::sort(got.begin(), got.end());
  for (std::size_t i = 0; i < got.size(); ++i) {
    ASSERT_EQ(got[i], static_cast<double>(i + 1));
  }
}

TEST(VectorCore, CenteringAndScalingFireNothing) {
  TVector v;
  SetAll(v, std::vector<double>{2, 4, 6, 8});
  TEventLog log;
  log.Attach(v);
  EXPECT_DOUBLE_EQ(v.MeanCenter(), 5.0);
  EXPECT_EQ(Values(v), (std::vector<double>{-3, -1, 1, 3}));

  double mean = 0, sd = 0;
  v.Standardize(mean, sd);
  EXPECT_DOUBLE_EQ(mean, 0.0);
  EXPECT_DOUBLE_EQ(sd, std::sqrt(20.0 / 3.0));
  EXPECT_DOUBLE_EQ(v.GetVal(4), 3.0 / std::sqrt(20.0 / 3.0));

  SetAll(v, std::vector<double>{1, 2, 3, 4, 5});
  log.Clear();
  double median = 0, spread = 0;
  v.QNormalize(25, median, spread);  // q25 = 2, median = 3
  EXPECT_DOUBLE_EQ(median, 3.0);
  EXPECT_DOUBLE_EQ(spread, 1.0);
  EXPECT_EQ(Values(v), (std::vector<double>{-2, -1, 0, 1, 2}));
  EXPECT_TRUE(log.events.empty());

  // Constant data: nothing is divided.
  SetAll(v, std::vector<double>{7, 7, 7});
  log.Clear();
  v.Standardize(mean, sd);
  EXPECT_EQ(sd, 0.0);
  v.QNormalize(10, median, spread);
  EXPECT_EQ(spread, 0.0);
  EXPECT_EQ(Values(v), (std::vector<double>{7, 7, 7}));
  EXPECT_TRUE(log.events.empty());
}

TEST(VectorCore, SetVecLeng) {
  TVector v;
  SetAll(v, std::vector<double>{3, 4});
  TEventLog log;
  log.Attach(v);
  v.SetVecLeng(10);
  EXPECT_DOUBLE_EQ(v.GetVal(1), 6.0);
  EXPECT_DOUBLE_EQ(v.GetVal(2), 8.0);
  EXPECT_DOUBLE_EQ(v.CalcVecLeng(), 10.0);
  EXPECT_EQ(log.Count("change"), 1);
  v.Clear();
  log.Clear();
  v.SetVecLeng(10);
  EXPECT_TRUE(log.events.empty());
  EXPECT_EQ(Values(v), (std::vector<double>{0, 0}));
}

TEST(VectorCore, RandomUniformFillBetweenBoundsOfHugeSpan) {
  const double big = std::numeric_limits<double>::max();
  SetRandSeed(3);
  TVector v;
  v.Resize(100);
  v.FillRandomUniform(-big, big);
  for (const double x : Values(v)) { EXPECT_TRUE(std::isfinite(x)) << x; }
}

TEST(VectorCore, SetVecLengOfHugeAndTinyVectors) {
  const double tiny = std::numeric_limits<double>::denorm_min();
  TVector v;
  SetAll(v, std::vector<double>{3e200, 4e200});
  v.SetVecLeng(1.0);
  EXPECT_NEAR(v.GetVal(1), 0.6, 1e-15);
  EXPECT_NEAR(v.GetVal(2), 0.8, 1e-15);
  SetAll(v, std::vector<double>{3 * tiny, 4 * tiny});
  v.SetVecLeng(10.0);
  EXPECT_NEAR(v.GetVal(1), 6.0, 1e-14);
  EXPECT_NEAR(v.GetVal(2), 8.0, 1e-14);
  SetAll(v, std::vector<double>{1e-300, 0.0});
  v.SetVecLeng(1e300);
  EXPECT_EQ(v.GetVal(1), 1e300);
  EXPECT_EQ(v.GetVal(2), 0.0);
}

}  // namespace
}  // namespace qmx
