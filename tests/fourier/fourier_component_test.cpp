// The component around the transform: size and messages, windows, read-outs,
// band RMS, extremes, frequency conversions.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <vector>

#include "qmx/fourier/fourier.hpp"

namespace qmx {
namespace {

constexpr double kPi = std::numbers::pi;

std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EQMXFourierError& e) {
    return e.what();
  }
  return "<no EQMXFourierError>";
}

TEST(FourierComponent, StartsWith256ZerosUnitWeightsAndRectangle) {
  TFastFourier f;
  EXPECT_EQ(f.SpectrumSize(), 256);
  EXPECT_EQ(f.WeightingWindow(), TFastFourierWgtWin::fwRectangle);
  EXPECT_EQ(f.TukeyAlpha(), 0.0);
  EXPECT_EQ(f.ClassName(), "TFastFourier");
  for (std::int32_t i = 1; i <= 256; ++i) {
    ASSERT_EQ(f.GetRealVal(i), 0.0);
    ASSERT_EQ(f.GetImagVal(i), 0.0);
    ASSERT_EQ(f.GetWgtVal(i), 1.0);
  }
}

TEST(FourierComponent, SizeMustBeAPowerOfTwo) {
  TFastFourier f;
  f.SetName("FFT1");
  f.SetRealVal(3, 7.0);
  for (std::int32_t bad : {100, 0, -1, -256, 3, 1 << 24, (1 << 24) + 1, std::numeric_limits<std::int32_t>::min() + 1}) {
    EXPECT_EQ(MessageOf([&] { f.SetNumData(bad); }), "Component \"FFT1\": data length must be power of 2")
        << bad;
  }
  // The block is left as it was.
  EXPECT_EQ(f.SpectrumSize(), 256);
  EXPECT_EQ(f.GetRealVal(3), 7.0);

  TFastFourier unnamed;
  EXPECT_EQ(MessageOf([&] { unnamed.SetNumData(6); }), "Component \"\": data length must be power of 2");
  EXPECT_THROW(unnamed.SetNumData(6), EQMXError);
}

TEST(FourierComponent, ResizeZeroesBlockAndWeights) {
  TFastFourier f;
  f.SetRealVal(1, 1.0);
  f.SetImagVal(2, 2.0);
  f.SetNumData(512);
  EXPECT_EQ(f.SpectrumSize(), 512);
  for (std::int32_t i = 1; i <= 512; ++i) {
    ASSERT_EQ(f.GetRealVal(i), 0.0);
    ASSERT_EQ(f.GetImagVal(i), 0.0);
    ASSERT_EQ(f.GetWgtVal(i), 0.0);
  }
  f.SetNumData(1);  // 2^0 is a power of two
  EXPECT_EQ(f.SpectrumSize(), 1);
}

TEST(FourierComponent, AccessOutsideTheLinesIsIgnored) {
  TFastFourier f;
  f.SetNumData(8);
  for (std::int32_t i : {0, 9, -1}) {
    f.SetRealVal(i, 5.0);
    f.SetImagVal(i, 5.0);
    f.SetWgtVal(i, 5.0);
    EXPECT_EQ(f.GetRealVal(i), 0.0);
    EXPECT_EQ(f.GetImagVal(i), 0.0);
    EXPECT_EQ(f.GetWgtVal(i), 0.0);
  }
  f.SetWgtVal(8, 0.25);
  EXPECT_EQ(f.GetWgtVal(8), 0.25);
}

TEST(FourierComponent, ClearsPartsSelectively) {
  TFastFourier f;
  f.SetNumData(4);
  for (std::int32_t i = 1; i <= 4; ++i) {
    f.SetRealVal(i, i);
    f.SetImagVal(i, -i);
  }
  f.ClearReal();
  EXPECT_EQ(f.GetRealVal(2), 0.0);
  EXPECT_EQ(f.GetImagVal(2), -2.0);
  f.ClearImag();
  EXPECT_EQ(f.GetImagVal(2), 0.0);
  f.SetRealVal(1, 3.0);
  f.Clear();
  EXPECT_EQ(f.GetRealVal(1), 0.0);
}

TEST(FourierComponent, TukeyAlphaIsClamped) {
  TFastFourier f;
  f.SetTukAlpha(1.5);
  EXPECT_EQ(f.TukeyAlpha(), 1.0);
  f.SetTukAlpha(-0.5);
  EXPECT_EQ(f.TukeyAlpha(), 0.0);
  f.SetTukAlpha(0.3);
  EXPECT_EQ(f.TukeyAlpha(), 0.3);
  f.SetTukAlpha(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(f.TukeyAlpha(), 0.0);
}

// ---------------------------------------------------------------------------
// Windows: the weights are recovered by transforming a block of equal values
// and transforming back, then compared with the closed forms.
// ---------------------------------------------------------------------------

std::vector<double> AppliedWeights(TFastFourier& f, std::int32_t n) {
  for (std::int32_t i = 1; i <= n; ++i) {
    f.SetRealVal(i, 1.0);
    f.SetImagVal(i, -2.0);
  }
  f.Transform();
  f.InverseTransform();
  std::vector<double> w(static_cast<std::size_t>(n) + 1);
  for (std::int32_t i = 1; i <= n; ++i) {
    w[static_cast<std::size_t>(i)] = f.GetRealVal(i);
    EXPECT_NEAR(f.GetImagVal(i), -2.0 * f.GetRealVal(i), 1e-12) << "both parts are weighted, line " << i;
  }
  return w;
}

struct WindowCase {
  TFastFourierWgtWin window;
  std::function<double(std::int32_t i, std::int32_t n)> weight;
};

TEST(FourierWindows, WeightsFollowTheClosedForms) {
  const auto t = [](std::int32_t i, std::int32_t n) { return (i - n / 2) / static_cast<double>(n); };
  const std::vector<WindowCase> cases = {
      {TFastFourierWgtWin::fwRectangle, [](std::int32_t, std::int32_t) { return 1.0; }},
      {TFastFourierWgtWin::fwTriangle,
       [](std::int32_t i, std::int32_t n) { return i <= n / 2 ? 2.0 * i / n : 2.0 * (n + 1 - i) / n; }},
      {TFastFourierWgtWin::fwCos2,
       [&](std::int32_t i, std::int32_t n) { return std::pow(std::cos(kPi * t(i, n)), 2); }},
      {TFastFourierWgtWin::fwGauss,
       [&](std::int32_t i, std::int32_t n) { return std::exp(-0.5 * std::pow((i - n / 2) * 3.0 / n * 2.0, 2)); }},
      {TFastFourierWgtWin::fwHamming,
       [&](std::int32_t i, std::int32_t n) { return 0.543478261 + 0.456521739 * std::cos(2 * kPi * t(i, n)); }},
      {TFastFourierWgtWin::fwBlackman,
       [&](std::int32_t i, std::int32_t n) {
         return 0.42659 + 0.49656 * std::cos(2 * kPi * t(i, n)) + 0.076848 * std::cos(4 * kPi * t(i, n));
       }},
      {TFastFourierWgtWin::fwBlkmHarris,
       [&](std::int32_t i, std::int32_t n) {
         return 0.35875 + 0.48829 * std::cos(2 * kPi * t(i, n)) + 0.14128 * std::cos(4 * kPi * t(i, n)) +
                0.01168 * std::cos(6 * kPi * t(i, n));
       }},
      {TFastFourierWgtWin::fwBlkmNuttall,
       [&](std::int32_t i, std::int32_t n) {
         return 0.3635819 + 0.4891775 * std::cos(2 * kPi * t(i, n)) + 0.1365995 * std::cos(4 * kPi * t(i, n)) +
                0.0106411 * std::cos(6 * kPi * t(i, n));
       }},
  };
  for (std::int32_t n : {8, 64, 1024}) {
    for (const auto& c : cases) {
      TFastFourier f;
      f.SetNumData(n);
      f.SetWgtWin(c.window);
      const auto w = AppliedWeights(f, n);
      for (std::int32_t i : {1, 2, n / 4, n / 2 - 1, n / 2, n / 2 + 1, 3 * n / 4 + 1, n - 1, n}) {
        EXPECT_NEAR(w[static_cast<std::size_t>(i)], c.weight(i, n), 1e-13)
            << "window " << static_cast<int>(c.window) << ", n = " << n << ", line " << i;
      }
    }
  }
}

TEST(FourierWindows, TukeyTapersBothEndsSymmetrically) {
  const std::int32_t n = 256;
  for (double a : {1.0, 0.5, 0.25, 0.3, 0.7}) {
    TFastFourier f;
    f.SetNumData(n);
    f.SetWgtWin(TFastFourierWgtWin::fwTukey);
    f.SetTukAlpha(a);
    const auto w = AppliedWeights(f, n);
    const double edge = n * a / 2;
    for (std::int32_t i = 1; i <= n; ++i) {
      double expect = 1.0;
      if (i < edge) expect = 0.5 * (1 - std::cos(2 * kPi * i / (a * n)));
      if (i > n - edge) expect = 0.5 * (1 - std::cos(2 * kPi * (n - i) / (a * n)));
      ASSERT_NEAR(w[static_cast<std::size_t>(i)], expect, 1e-13) << "alpha " << a << ", line " << i;
      // Mirror image about n/2: line i and line n − i carry the same weight.
      if (i < n) {
        ASSERT_NEAR(w[static_cast<std::size_t>(i)], w[static_cast<std::size_t>(n - i)], 1e-13);
      }
    }
    // Where 1/a is whole, the end taper equals the start expression with the same i.
    if (a == 0.5 || a == 0.25 || a == 1.0) {
      for (std::int32_t i = static_cast<std::int32_t>(n - edge) + 1; i <= n; ++i) {
        ASSERT_NEAR(w[static_cast<std::size_t>(i)], 0.5 * (1 - std::cos(2 * kPi * i / (a * n))), 1e-13);
      }
    }
  }
}

TEST(FourierWindows, TukeyWithAlphaZeroAndRectangleLeaveTheBlock) {
  TFastFourier f;
  f.SetNumData(32);
  f.SetWgtWin(TFastFourierWgtWin::fwTukey);
  f.SetTukAlpha(0.0);
  const auto tukey = AppliedWeights(f, 32);
  for (std::int32_t i = 1; i <= 32; ++i) EXPECT_NEAR(tukey[static_cast<std::size_t>(i)], 1.0, 1e-15);
  TFastFourier g;
  g.SetNumData(32);
  g.SetWgtWin(static_cast<TFastFourierWgtWin>(42));  // outside the enumeration: no weighting
  const auto w = AppliedWeights(g, 32);
  for (std::int32_t i = 1; i <= 32; ++i) EXPECT_NEAR(w[static_cast<std::size_t>(i)], 1.0, 1e-15);
}

TEST(FourierWindows, KeptWeightsFollowChangesOfWindowAlphaAndSize) {
  TFastFourier f;
  f.SetNumData(64);
  f.SetWgtWin(TFastFourierWgtWin::fwTukey);
  f.SetTukAlpha(0.5);
  EXPECT_NEAR(AppliedWeights(f, 64)[4], 0.5 * (1 - std::cos(2 * kPi * 4 / 32.0)), 1e-13);
  f.SetTukAlpha(1.0);
  EXPECT_NEAR(AppliedWeights(f, 64)[4], 0.5 * (1 - std::cos(2 * kPi * 4 / 64.0)), 1e-13);
  f.SetWgtWin(TFastFourierWgtWin::fwTriangle);
  EXPECT_NEAR(AppliedWeights(f, 64)[4], 8.0 / 64, 1e-13);
  f.SetNumData(16);
  EXPECT_NEAR(AppliedWeights(f, 16)[4], 8.0 / 16, 1e-13);
  f.SetWgtWin(TFastFourierWgtWin::fwRectangle);
  EXPECT_NEAR(AppliedWeights(f, 16)[4], 1.0, 1e-15);
}

TEST(FourierWindows, UserDefinedWindowUsesTheWeights) {
  TFastFourier f;
  f.SetNumData(16);
  f.SetWgtWin(TFastFourierWgtWin::fwUserDef);
  for (std::int32_t i = 1; i <= 16; ++i) f.SetWgtVal(i, 0.1 * i);
  const auto w = AppliedWeights(f, 16);
  for (std::int32_t i = 1; i <= 16; ++i) EXPECT_NEAR(w[static_cast<std::size_t>(i)], 0.1 * i, 1e-14);
}

TEST(FourierWindows, InverseTransformAppliesNoWindow) {
  TFastFourier f;
  f.SetNumData(8);
  f.SetWgtWin(TFastFourierWgtWin::fwTriangle);
  f.SetRealVal(1, 8.0);
  f.InverseTransform();
  for (std::int32_t i = 1; i <= 8; ++i) EXPECT_DOUBLE_EQ(f.GetRealVal(i), 1.0);
}

// ---------------------------------------------------------------------------
// Read-outs
// ---------------------------------------------------------------------------

TEST(FourierReadOuts, SeriesCoefficientsOfASynthesisedRealSignal) {
  // x_j = a0 + Σ a_k·cos(2πjk/n) + b_k·sin(2πjk/n) gives back a0, a_k and b_k.
  const std::int32_t n = 64;
  SetRandSeed(201);
  std::vector<double> a(n / 2), b(n / 2);
  for (std::int32_t k = 0; k < n / 2; ++k) {
    a[static_cast<std::size_t>(k)] = 2 * Random() - 1;
    b[static_cast<std::size_t>(k)] = k == 0 ? 0.0 : 2 * Random() - 1;
  }
  TFastFourier f;
  f.SetNumData(n);
  for (std::int32_t j = 0; j < n; ++j) {
    double x = a[0];
    for (std::int32_t k = 1; k < n / 2; ++k) {
      x += a[static_cast<std::size_t>(k)] * std::cos(2 * kPi * j * k / n) +
           b[static_cast<std::size_t>(k)] * std::sin(2 * kPi * j * k / n);
    }
    f.SetRealVal(j + 1, x);
  }
  f.Transform();
  EXPECT_NEAR(f.GetFSerCos(0), a[0], 1e-13);
  for (std::int32_t k = 1; k < n / 2; ++k) {
    const double ak = a[static_cast<std::size_t>(k)], bk = b[static_cast<std::size_t>(k)];
    EXPECT_NEAR(f.GetFSerCos(k), ak, 1e-13) << k;
    EXPECT_NEAR(f.GetFSerSin(k), bk, 1e-13) << k;
    EXPECT_NEAR(f.GetMagnitude(k), std::hypot(ak, bk), 1e-13) << k;
    EXPECT_NEAR(f.GetPowerSpec(k), n * (ak * ak + bk * bk) / 2, 1e-11) << k;
  }
  EXPECT_NEAR(f.GetMagnitude(0), std::fabs(a[0]), 1e-13);
  EXPECT_NEAR(f.GetFSerSin(n / 2), 0.0, 1e-13);
}

TEST(FourierReadOuts, ValuesOfAKnownBlockAndTheirRanges) {
  const std::int32_t n = 8;
  TFastFourier f;
  f.SetNumData(n);
  const double re[n] = {1, 2, -3, 4, 5, -6, 7, 8}, im[n] = {0.5, -1, 2, 0, -4, 3, 1, -2};
  for (std::int32_t i = 0; i < n; ++i) {
    f.SetRealVal(i + 1, re[i]);
    f.SetImagVal(i + 1, im[i]);
  }
  EXPECT_DOUBLE_EQ(f.GetPowerSpec(0), (1 + 0.25) / 8);
  EXPECT_DOUBLE_EQ(f.GetPowerSpec(3), (16 + 0 + 36 + 9) / 8.0);
  EXPECT_DOUBLE_EQ(f.GetPowerSpec(4), 2 * 25.0 / 8 + 2 * 16.0 / 8);  // line n/2 counts twice
  EXPECT_DOUBLE_EQ(f.GetMagnitude(2), std::hypot(-3 + 7, 2 - 1) / 8);
  EXPECT_DOUBLE_EQ(f.GetFSerCos(0), 1.0 / 8);
  EXPECT_DOUBLE_EQ(f.GetFSerCos(1), (2 + 8) / 8.0);
  EXPECT_DOUBLE_EQ(f.GetFSerSin(1), (-1 + 2) / 8.0);
  EXPECT_DOUBLE_EQ(f.GetPhase(1), std::atan(-1.0 / 2));
  EXPECT_DOUBLE_EQ(f.GetPhase(2), std::atan(2.0 / -3));  // not divided by n, range −π/2..π/2
  for (std::int32_t k : {-1, 5, 100}) {
    EXPECT_EQ(f.GetPowerSpec(k), 0.0);
    EXPECT_EQ(f.GetMagnitude(k), 0.0);
    EXPECT_EQ(f.GetFSerCos(k), 0.0);
    EXPECT_EQ(f.GetFSerSin(k), 0.0);
    EXPECT_EQ(f.GetPhase(k), 0.0);
  }
  EXPECT_EQ(f.GetFSerSin(0), 0.0);
  EXPECT_EQ(f.GetPhase(0), 0.0);
  // Zero real part: ±π/2 by the sign of the imaginary part (−π/2 for 0).
  f.SetRealVal(4, 0.0);
  f.SetImagVal(4, 2.0);
  EXPECT_DOUBLE_EQ(f.GetPhase(3), kPi / 2);
  f.SetImagVal(4, 0.0);
  EXPECT_DOUBLE_EQ(f.GetPhase(3), -kPi / 2);
}

TEST(FourierReadOuts, RmsSumsPowerTermsOverTheClampedBand) {
  const std::int32_t n = 16;
  SetRandSeed(202);
  TFastFourier f;
  f.SetNumData(n);
  std::vector<double> re(n), im(n);
  for (std::int32_t i = 0; i < n; ++i) {
    re[static_cast<std::size_t>(i)] = Random() - 0.5;
    im[static_cast<std::size_t>(i)] = Random() - 0.5;
    f.SetRealVal(i + 1, re[static_cast<std::size_t>(i)]);
    f.SetImagVal(i + 1, im[static_cast<std::size_t>(i)]);
  }
  const auto term = [&](std::int32_t k) {
    auto sq = [&](std::int32_t j) {
      return re[static_cast<std::size_t>(j)] * re[static_cast<std::size_t>(j)] +
             im[static_cast<std::size_t>(j)] * im[static_cast<std::size_t>(j)];
    };
    return k == 0 ? sq(0) : sq(k) + sq(n - k);
  };
  const auto direct = [&](std::int32_t lo, std::int32_t hi) {
    double s = 0;
    for (std::int32_t k = lo; k <= hi; ++k) s += term(k);
    return std::sqrt(s) / n;
  };
  EXPECT_NEAR(f.RMS(2, 5), direct(2, 5), 1e-15);
  EXPECT_NEAR(f.RMS(5, 2), direct(2, 5), 1e-15);
  EXPECT_NEAR(f.RMS(-10, 100), direct(0, n / 2), 1e-15);
  EXPECT_NEAR(f.RMS(3, 3), std::sqrt(f.GetPowerSpec(3) / n), 1e-15);
  EXPECT_NEAR(f.RMS(100, 200), direct(n / 2, n / 2), 1e-15);
}

TEST(FourierReadOuts, ExtremesAreRecomputedAfterEveryChange) {
  TFastFourier f;
  f.SetNumData(8);
  const double re[8] = {1, -2, 3, 0.5, 0, 0, 0, 0}, im[8] = {0, 4, -1, 0, 0, 0, 0, 9};
  for (std::int32_t i = 0; i < 8; ++i) {
    f.SetRealVal(i + 1, re[i]);
    f.SetImagVal(i + 1, im[i]);
  }
  EXPECT_EQ(f.GetMaxReal(), 3.0);
  EXPECT_EQ(f.GetMinReal(), -2.0);
  EXPECT_EQ(f.GetMaxImag(), 9.0);
  EXPECT_EQ(f.GetMinImag(), -1.0);
  // Power and magnitude over lines 1..n/2−1 only.
  double maxPow = 0, maxMag = 0;
  for (std::int32_t k = 1; k < 4; ++k) {
    maxPow = std::max(maxPow, f.GetPowerSpec(k));
    maxMag = std::max(maxMag, f.GetMagnitude(k));
  }
  EXPECT_DOUBLE_EQ(f.GetMaxPower(), maxPow);
  EXPECT_DOUBLE_EQ(f.GetMaxMagni(), maxMag);
  // Each change of the block invalidates the cached values.
  f.SetRealVal(5, 10.0);
  EXPECT_EQ(f.GetMaxReal(), 10.0);
  f.SetImagVal(2, -7.0);
  EXPECT_EQ(f.GetMinImag(), -7.0);
  f.ClearReal();
  EXPECT_EQ(f.GetMaxReal(), 0.0);
  f.Clear();
  EXPECT_EQ(f.GetMaxImag(), 0.0);
  f.SetRealVal(1, 1.0);
  EXPECT_EQ(f.GetMaxReal(), 1.0);
  f.Transform();  // a delta becomes all ones
  EXPECT_EQ(f.GetMinReal(), 1.0);
  f.SetNumData(2);
  EXPECT_EQ(f.GetMaxReal(), 0.0);
  EXPECT_EQ(f.GetMaxPower(), 0.0);  // no line between 0 and n/2
}

TEST(FourierReadOuts, SingleLineBlockHasItsValueAsExtremes) {
  TFastFourier f;
  f.SetNumData(1);
  f.SetRealVal(1, -3.0);
  EXPECT_EQ(f.GetMaxReal(), -3.0);
  EXPECT_EQ(f.GetMinReal(), -3.0);
  EXPECT_EQ(f.GetMaxMagni(), 0.0);
}

TEST(FourierReadOuts, FrequencyOfLineAndLineOfFrequency) {
  TFastFourier f;
  f.SetNumData(1024);
  const double dt = 0.001;  // 1 kHz sampling
  EXPECT_DOUBLE_EQ(f.FreqOfLine(1, dt), 1.0 / dt / 1024);
  EXPECT_DOUBLE_EQ(f.FreqOfLine(512, dt), 500.0);
  EXPECT_EQ(f.FreqOfLine(0, dt), 0.0);
  EXPECT_EQ(f.FreqOfLine(513, dt), 0.0);
  EXPECT_EQ(f.LineOfFreq(500.0, dt), 512);
  EXPECT_EQ(f.LineOfFreq(501.0, dt), 0);  // above the Nyquist line
  EXPECT_EQ(f.LineOfFreq(0.1, dt), 0);
  for (std::int32_t line : {1, 7, 100, 511}) EXPECT_EQ(f.LineOfFreq(f.FreqOfLine(line, dt), dt), line);
  // Halves go to the even neighbour.
  EXPECT_EQ(f.LineOfFreq(2.5 / 1024 / dt, dt), 2);
  EXPECT_EQ(f.LineOfFreq(3.5 / 1024 / dt, dt), 4);
  EXPECT_EQ(f.LineOfFreq(std::numeric_limits<double>::quiet_NaN(), dt), 0);
  EXPECT_EQ(f.LineOfFreq(1e300, 1e300), 0);
  EXPECT_EQ(f.LineOfFreq(-5.0, dt), 0);
}

}  // namespace
}  // namespace qmx
