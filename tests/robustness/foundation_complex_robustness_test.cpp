// Complex numbers and the numeric helpers of the frame, base and platform
// layers given special values: complex arithmetic in every argument position
// (double and extended extremes), percentages, checksums, extended values on
// streams, colours and the process-wide random generator.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "foundation_robustness_sweep.hpp"
#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/complex.hpp"
#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"
#include "test_util.hpp"

namespace qmx {
namespace {

using test::SameOrBothNaN;
using test::SpecialInts;
using test::Sweep;
using std::isfinite;
using std::isnan;

using EL = std::numeric_limits<Extended>;

const std::vector<test::Named<Extended>>& ExtendedValues() {
  static const auto values = test::SpecialValuesOf<Extended>({{EL::max(), "ext max"},
                                                              {-EL::max(), "-ext max"},
                                                              {EL::min(), "ext min"},
                                                              {EL::denorm_min(), "ext denorm"},
                                                              {-EL::denorm_min(), "-ext denorm"}});
  return values;
}

bool Same(const TComplex& a, const TComplex& b) { return SameOrBothNaN(a.re, b.re) && SameOrBothNaN(a.im, b.im); }

using FoundationComplexRobustness = test::SweepTest;

TEST_F(FoundationComplexRobustness, UnaryOperations) {
  Sweep("Cpx unary", ExtendedValues(), std::array<Extended, 2>{1.5L, -0.5L}, [](auto a) {
    const TComplex z = Cpx(a[0], a[1]);
    const Extended re = std::fabs(a[0]), im = std::fabs(a[1]);
    const Extended r = CpxAbs(z);
    if (std::isinf(re) || std::isinf(im)) {
      EXPECT_EQ(r, EL::infinity());
    } else if (isnan(re) || isnan(im)) {
      EXPECT_TRUE(isnan(r));
    } else {
      // Neither overflows nor underflows where |z| is representable.
      EXPECT_TRUE(r >= std::max(re, im) && (isfinite(r) || std::max(re, im) > EL::max() / 2)) << r;
    }
    EXPECT_TRUE(Same(CpxNeg(CpxNeg(z)), z));
    EXPECT_TRUE(Same(CpxConj(CpxConj(z)), z));
    static_cast<void>(CpxAbsSqr(z));
    EXPECT_EQ(CpxIsEqual(z, z), !isnan(re) && !isnan(im));
    EXPECT_EQ(CpxIsZero(z), re < CpxNearZero && im < CpxNearZero);
    const TComplexPolar p = ConvertRectToPolar(z);
    if (!isnan(re) && !isnan(im)) {
      EXPECT_TRUE(p.phi >= -std::numbers::pi_v<Extended> && p.phi <= std::numbers::pi_v<Extended>);
      EXPECT_EQ(p.r, r);
    }
    const TComplex back = ConvertPolarToRect(p);
    if (isfinite(r) && r > 1e-4000L && r < 1e4000L) {
      EXPECT_NEAR(static_cast<double>((back.re - z.re) / r), 0.0, 1e-15);
      EXPECT_NEAR(static_cast<double>((back.im - z.im) / r), 0.0, 1e-15);
    }
    const TComplex q = ConvertPolarToRect(TComplexPolar{a[0], a[1]});
    if (isnan(a[0]) || isnan(a[1])) {
      EXPECT_TRUE(isnan(q.re) && isnan(q.im));
    }
  });
}

TEST_F(FoundationComplexRobustness, BinaryOperations) {
  Sweep<EQMXComplexError>("Cpx binary", ExtendedValues(), std::array<Extended, 4>{1.5L, -0.5L, 2.0L, 0.25L},
                          [](auto a) {
    const TComplex x = Cpx(a[0], a[1]), y = Cpx(a[2], a[3]);
    EXPECT_TRUE(Same(CpxAdd(x, y), CpxAdd(y, x)));
    EXPECT_TRUE(Same(CpxMult(x, y), CpxMult(y, x)));
    static_cast<void>(CpxSub(x, y));
    EXPECT_EQ(CpxIsNearEqual(x, y), CpxIsNearEqual(y, x));
    const bool finiteX = isfinite(a[0]) && isfinite(a[1]);
    if (finiteX) {
      EXPECT_TRUE(Same(CpxDiv(x, COMPLEX_1), x));
    }
    try {
      const TComplex q = CpxDiv(x, y);
      if (finiteX) {
        EXPECT_TRUE(isfinite(q.re) && isfinite(q.im));
      }
      EXPECT_TRUE(isfinite(CpxAbsSqr(y)) && CpxAbsSqr(y) > 0);
    } catch (const EQMXComplexError& e) {
      EXPECT_STREQ(e.what(), "CpxDiv: division by zero");
    }
  });
}

TEST_F(FoundationComplexRobustness, ExtremeTolerances) {
  const Extended saved = CpxNearZero;
  for (const auto& t : ExtendedValues()) {
    test::Probe("CpxNearZero = " + t.name, [&] {
      CpxNearZero = t.value;
      for (const auto& v : ExtendedValues()) {
        const TComplex z = Cpx(v.value, 0.5L);
        EXPECT_EQ(CpxIsZero(z), std::fabs(v.value) < t.value && 0.5L < t.value);
        EXPECT_EQ(CpxIsNearEqual(z, z), std::fabs(v.value - v.value) < t.value && 0.0L < t.value);
      }
    });
  }
  CpxNearZero = saved;
}

TEST_F(FoundationComplexRobustness, PercentAndChecksums) {
  Sweep("PercentOf", std::array{1.0, 3.0}, [](auto a) {
    const std::int32_t p = PercentOf(a[0], a[1]);
    if (!(a[1] > 0.0) || isnan(a[0])) {
      EXPECT_EQ(p, 0);
    }
    const long double exact = 100.0L * a[0] / a[1];
    if (a[1] > 0.0 && std::fabs(exact) < 2e9) {
      EXPECT_EQ(p, static_cast<std::int32_t>(std::nearbyint(static_cast<double>(exact))));
    }
    if (a[1] > 0.0 && exact >= 2147483647.0) {
      EXPECT_EQ(p, std::numeric_limits<std::int32_t>::max());
    }
    if (a[1] > 0.0 && exact <= -2147483648.0) {
      EXPECT_EQ(p, std::numeric_limits<std::int32_t>::min());
    }
  });
  for (const std::size_t n : {1u, 2u, 7u, 33u}) {
    for (const auto& arr : test::SpecialArrays(n)) {
      test::Probe("ContentCRC(" + arr.name + ")", [&] {
        const std::string c = ContentCRC(arr.values);
        EXPECT_EQ(c.size(), 64u);
        EXPECT_EQ(c.find_first_not_of("0123456789ABCDEF"), std::string::npos);
        std::vector<double> flipped = arr.values;
        flipped[0] = -flipped[0];  // the sign bit always changes the bytes
        EXPECT_NE(ContentCRC(flipped), c);
      });
    }
  }
  const double savedStat = ProcStat.load();
  for (const auto& v : test::SpecialDoubles()) {
    test::Probe(std::string("ProgressStep(ProcStat = ") + v.name + ")", [&] {
      ProcStat = v.value;
      double reported = 0.0;
      MathFeedBackProc = [&](double x) { reported = x; };
      EXPECT_FALSE(ProgressStep());
      EXPECT_TRUE(SameOrBothNaN(reported, v.value + 1.0));
      MathFeedBackProc = nullptr;
    });
  }
  ProcStat = savedStat;
  test::Probe("ContentCRC(ints)", [] {
    EXPECT_EQ(ContentCRC(std::span<const std::int32_t>(SpecialInts())).size(), 32u);
    EXPECT_EQ(ContentCRC(std::span<const double>()), "");
  });
}

TEST_F(FoundationComplexRobustness, ExtendedValuesOnStreams) {
  Sweep("Extended on streams", ExtendedValues(), std::array<Extended, 1>{1.5L}, [](auto a) {
    const Extended x = a[0];
    std::uint8_t native[10], portable[10];
    detail::PackExtended80(x, native);
    detail::PackExtended80Portable(x, portable);
    if (!isnan(x)) {
      EXPECT_EQ(std::memcmp(native, portable, 10), 0);
    }
    Extended u1 = 0, u2 = 0;
    EXPECT_TRUE(detail::UnpackExtended80(native, u1));
    EXPECT_TRUE(detail::UnpackExtended80Portable(native, u2));
    EXPECT_TRUE(SameOrBothNaN(u1, x) && SameOrBothNaN(u2, x));
    EXPECT_EQ(std::signbit(u1), std::signbit(x));
    TMemoryStream ms;
    ASSERT_TRUE(WriteExtendedToStream(&ms, x));
    ms.SetPosition(0);
    Extended back = 0;
    EXPECT_TRUE(ReadExtendedFromStream(&ms, back));
    EXPECT_TRUE(SameOrBothNaN(back, x));
    EXPECT_FALSE(ReadExtendedFromStream(&ms, back));
  });
  test::Probe("integers on streams, ln n!", [] {
    TMemoryStream ms;
    for (const std::int32_t v : SpecialInts()) ASSERT_TRUE(WriteLongintToStream(&ms, v));
    ms.SetPosition(0);
    for (const std::int32_t v : SpecialInts()) {
      std::int32_t back = 0;
      EXPECT_TRUE(ReadLongintFromStream(&ms, back) && back == v);
    }
    for (std::size_t n = 1; n < uc_LnFactorial.size(); ++n) {
      EXPECT_TRUE(isfinite(uc_LnFactorial[n]) && uc_LnFactorial[n] >= uc_LnFactorial[n - 1]);
    }
  });
  test::Probe("TMixedFStream doubles", [] {
    const std::string file = test::TempPath("foundation_robustness_mixed.bin");
    {
      TMixedFStream out(file, TMixedFMode::mfmCreate);
      for (const auto& v : test::SpecialDoubles()) out.WriteDouble(v.value);
    }
    TMixedFStream in(file, TMixedFMode::mfmRead);
    for (const auto& v : test::SpecialDoubles()) {
      double d = 0.0;
      ASSERT_TRUE(in.ReadDouble(d));
      EXPECT_EQ(std::memcmp(&d, &v.value, sizeof d), 0) << v.name;
    }
  });
  test::Probe("TTextFile numbers", [] {
    TTextFile tf;
    tf.OpenReadString("nan inf -INF 1e-400 -1e-400 1e400 4.9406564584124654e-324 1.7976931348623157e308 "
                      "9223372036854775807 9223372036854775808 -9223372036854775809");
    double v = 7.0;
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(tf.ReadNumber(v));
    EXPECT_EQ(v, 7.0);
    EXPECT_TRUE(tf.ReadNumber(v) && v == 0.0 && !std::signbit(v));
    EXPECT_TRUE(tf.ReadNumber(v) && v == 0.0 && std::signbit(v));
    EXPECT_FALSE(tf.ReadNumber(v));
    EXPECT_TRUE(tf.ReadNumber(v) && v == std::numeric_limits<double>::denorm_min());
    EXPECT_TRUE(tf.ReadNumber(v) && v == std::numeric_limits<double>::max());
    std::int64_t i = 0;
    EXPECT_TRUE(tf.ReadInteger(i) && i == std::numeric_limits<std::int64_t>::max());
    EXPECT_FALSE(tf.ReadInteger(i));
    EXPECT_FALSE(tf.ReadInteger(i));
  });
}

TEST_F(FoundationComplexRobustness, ColoursRandomAndExtremeIndexes) {
  for (const std::int32_t r : SpecialInts()) {
    for (const std::int32_t g : SpecialInts()) {
      test::Probe("RGBtoGray/RGBtoHSI(" + std::to_string(r) + ", " + std::to_string(g) + ")", [&] {
        const double grey = RGBtoGray(r, g, r);
        EXPECT_TRUE(grey >= 0.0 && grey <= 255.0);
        double h = -1, s = -1, in = -1;
        RGBtoHSI(r, g, g, h, s, in);
        EXPECT_TRUE(h >= 0.0 && h < 360.0 && s >= 0.0 && s <= 1.0 && in >= 0.0 && in <= 255.0);
      });
    }
    test::Probe("Random/TBitFld/TBitmap(" + std::to_string(r) + ")", [&] {
      const std::int32_t x = Random(r);
      EXPECT_TRUE(r <= 0 ? x == 0 : (x >= 0 && x < r));
      TBitFld bits;
      bits.SetSize(r < 0 || r > 100000 ? -1 : r);
      bits.SetBit(r, true);
      EXPECT_EQ(bits.GetBit(r), r >= 0 && r <= bits.Size());
      TBitmap bmp(3, 2);
      bmp.SetPixel(r, r, 0xFFFFFF);
      EXPECT_EQ(bmp.Pixel(r, r), r >= 0 && r < 2 ? 0xFFFFFFu : 0u);
      TMemoryStream ms;
      ms.SetSize(r < 0 || r > 100000 ? r % 7 : r);
      for (const std::int64_t off : {std::numeric_limits<std::int64_t>::min(), std::int64_t{-1},
                                     std::numeric_limits<std::int64_t>::max()}) {
        for (const TSeekOrigin o : {TSeekOrigin::soBeginning, TSeekOrigin::soCurrent, TSeekOrigin::soEnd}) {
          EXPECT_GE(ms.Seek(off, o), 0);
        }
      }
    });
  }
  for (const std::uint64_t seed : {std::uint64_t{0}, std::uint64_t{1}, std::numeric_limits<std::uint64_t>::max()}) {
    test::Probe("SetRandSeed(" + std::to_string(seed) + ")", [&] {
      SetRandSeed(seed);
      for (int i = 0; i < 100; ++i) {
        const double u = Random();
        EXPECT_TRUE(u >= 0.0 && u < 1.0);
      }
    });
  }
  Sweep("RandG", std::array{0.0, 1.0}, [](auto a) {
    const double g = RandG(a[0], a[1]);
    if (isnan(a[0]) || isnan(a[1])) {
      EXPECT_TRUE(isnan(g));
    }
    if (a[1] == 0.0 && isfinite(a[0])) {
      EXPECT_EQ(g, a[0]);
    }
  });
}

}  // namespace
}  // namespace qmx
