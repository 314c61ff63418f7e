// TWavelet1D: sizes, orders and filters, the three extensions checked against
// explicitly extended signals, round trips, multi-level bookkeeping, messages.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "qmx/wavelet/wavelet.hpp"

namespace qmx {
namespace {

std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const EQMXWaveletError& e) {
    return e.what();
  }
  return "<no EQMXWaveletError>";
}

std::vector<double> Fill(TWavelet1D& w, std::int32_t n, std::uint64_t seed) {
  SetRandSeed(seed);
  w.SetNumData(n);
  std::vector<double> x(static_cast<std::size_t>(n));
  for (std::int32_t i = 0; i < n; ++i) {
    x[static_cast<std::size_t>(i)] = 2 * Random() - 1;
    w.SetDataVal(i + 1, x[static_cast<std::size_t>(i)]);
  }
  return x;
}

std::vector<double> Data(const TWavelet1D& w) {
  std::vector<double> x(static_cast<std::size_t>(w.Size()));
  for (std::int32_t i = 0; i < w.Size(); ++i) x[static_cast<std::size_t>(i)] = w.GetDataVal(i + 1);
  return x;
}

TEST(Wavelet, Defaults) {
  TWavelet1D w;
  EXPECT_EQ(w.Size(), 256);
  EXPECT_EQ(w.Order(), 2);
  EXPECT_EQ(w.SignalExtMode(), TWLSigExtMode::wseWrap);
  EXPECT_EQ(w.WaveletFamily(), TWaveletFamily::wlfDaubechies);
  EXPECT_EQ(w.ClassName(), "TWavelet1D");
  for (std::int32_t i = 1; i <= 256; ++i) ASSERT_EQ(w.GetDataVal(i), 0.0);
}

TEST(Wavelet, SizesAndOrdersAreChecked) {
  TWavelet1D w;
  w.SetName("W1");
  w.SetDataVal(1, 5.0);
  for (std::int32_t bad : {6, 0, -4, 3, 1 << 24, (1 << 24) + 1}) {
    EXPECT_EQ(MessageOf([&] { w.SetNumData(bad); }), "Component \"W1\": data length must be power of 2") << bad;
  }
  EXPECT_EQ(w.Size(), 256);
  EXPECT_EQ(w.GetDataVal(1), 5.0);
  for (std::int32_t bad : {4, 0, -1}) {
    EXPECT_EQ(MessageOf([&] { w.SetOrder(bad); }), "Component \"W1\": invalid order of Daubechies wavelet family");
  }
  EXPECT_EQ(w.Order(), 2);
  w.SetNumData(1);
  EXPECT_EQ(w.Size(), 1);
  w.SetNumData(1 << 10);
  EXPECT_EQ(w.GetDataVal(1), 0.0);  // resizing clears
  TWavelet1D unnamed;
  EXPECT_EQ(MessageOf([&] { unnamed.SetOrder(9); }), "Component \"\": invalid order of Daubechies wavelet family");
}

TEST(Wavelet, DataAccessOutsideTheBufferIsIgnored) {
  TWavelet1D w;
  w.SetNumData(4);
  w.SetDataVal(0, 1.0);
  w.SetDataVal(5, 1.0);
  EXPECT_EQ(w.GetDataVal(0), 0.0);
  EXPECT_EQ(w.GetDataVal(5), 0.0);
  w.SetDataVal(4, 2.5);
  EXPECT_EQ(w.GetDataVal(4), 2.5);
  w.Clear();
  EXPECT_EQ(w.GetDataVal(4), 0.0);
}

TEST(Wavelet, FiltersMatchPublishedValuesAndAreOrthonormal) {
  const std::vector<std::vector<double>> published = {
      {0.7071067811865476, 0.7071067811865476},
      {0.48296291314453416, 0.8365163037378079, 0.2241438680420134, -0.12940952255126037},
      {0.33267055295008263, 0.8068915093110925, 0.45987750211849154, -0.13501102001025458, -0.08544127388202666,
       0.03522629188570953}};
  TWavelet1D w;
  for (std::int32_t order = 1; order <= 3; ++order) {
    w.SetOrder(order);
    const auto& h = w.LowPass();
    const auto& g = w.HighPass();
    const std::size_t len = 2 * static_cast<std::size_t>(order);
    ASSERT_EQ(h.size(), len);
    ASSERT_EQ(g.size(), len);
    Extended sum = 0;
    for (std::size_t k = 0; k < len; ++k) {
      EXPECT_NEAR(static_cast<double>(h[k]), published[static_cast<std::size_t>(order - 1)][k], 2e-16);
      sum += h[k];
      // g(2n + 1 − k) = (−1)^k h(k), 1-based.
      const Extended expect = ((k + 1) % 2 == 0) ? h[k] : -h[k];
      EXPECT_EQ(g[len - 1 - k], expect);
    }
    EXPECT_NEAR(static_cast<double>(sum), std::sqrt(2.0), 1e-17);
    for (std::size_t shift = 0; shift < len; shift += 2) {
      Extended dot = 0;
      for (std::size_t k = 0; k + shift < len; ++k) dot += h[k] * h[k + shift];
      EXPECT_NEAR(static_cast<double>(dot), shift == 0 ? 1.0 : 0.0, 1e-18) << "order " << order << " shift " << shift;
    }
  }
}

TEST(Wavelet, HaarStepOfTwoValues) {
  TWavelet1D w;
  w.SetOrder(1);
  w.SetNumData(2);
  w.SetDataVal(1, 1.0);
  w.SetDataVal(2, 3.0);
  w.SingleStep(false);
  EXPECT_NEAR(w.GetDataVal(1), 4.0 / std::sqrt(2.0), 1e-15);
  EXPECT_NEAR(w.GetDataVal(2), -2.0 / std::sqrt(2.0), 1e-15);
  w.SingleStep(true);
  EXPECT_NEAR(w.GetDataVal(1), 1.0, 1e-15);
  EXPECT_NEAR(w.GetDataVal(2), 3.0, 1e-15);
}

/// One forward step computed from an explicitly extended signal: ext holds
/// `pad` values before x, output i combines ext[pad + 2i + 2 − len + k].
std::vector<double> ReferenceStep(const std::vector<double>& x, const std::vector<Extended>& h,
                                  const std::vector<Extended>& g, TWLSigExtMode mode) {
  const std::int64_t n = static_cast<std::int64_t>(x.size());
  const std::int64_t len = static_cast<std::int64_t>(h.size());
  const std::int64_t pad = len;
  std::vector<long double> ext(static_cast<std::size_t>(pad + n));
  for (std::int64_t p = -pad; p < n; ++p) {
    long double v = 0;
    if (p >= 0) {
      v = x[static_cast<std::size_t>(p)];
    } else if (mode == TWLSigExtMode::wseWrap) {
      v = x[static_cast<std::size_t>(((p % n) + n) % n)];
    } else if (mode == TWLSigExtMode::wseSymmetric) {
      // The signal mirrored about its start, ... x1 x0 | x0 x1 ..., repeated every 2n.
      std::vector<double> period(x.begin(), x.end());
      period.insert(period.end(), x.rbegin(), x.rend());
      v = period[static_cast<std::size_t>(((p % (2 * n)) + 2 * n) % (2 * n))];
    }
    ext[static_cast<std::size_t>(p + pad)] = v;
  }
  std::vector<double> out(static_cast<std::size_t>(n));
  for (std::int64_t i = 0; i < n / 2; ++i) {
    long double a = 0, d = 0;
    for (std::int64_t k = 0; k < len; ++k) {
      const long double v = ext[static_cast<std::size_t>(pad + 2 * i + 2 - len + k)];
      a += v * h[static_cast<std::size_t>(k)];
      d += v * g[static_cast<std::size_t>(k)];
    }
    out[static_cast<std::size_t>(i)] = static_cast<double>(a);
    out[static_cast<std::size_t>(n / 2 + i)] = static_cast<double>(d);
  }
  return out;
}

TEST(Wavelet, ForwardStepMatchesExplicitlyExtendedSignal) {
  for (auto mode : {TWLSigExtMode::wseWrap, TWLSigExtMode::wseZeroPad, TWLSigExtMode::wseSymmetric}) {
    for (std::int32_t order = 1; order <= 3; ++order) {
      for (std::int32_t n : {2, 4, 8, 64}) {
        TWavelet1D w;
        w.SetOrder(order);
        w.SetSigExtMode(mode);
        const auto x = Fill(w, n, 300 + n);
        const auto ref = ReferenceStep(x, w.LowPass(), w.HighPass(), mode);
        w.SingleStep(false);
        const auto got = Data(w);
        for (std::size_t i = 0; i < got.size(); ++i) {
          ASSERT_NEAR(got[i], ref[i], 1e-15) << "mode " << static_cast<int>(mode) << " order " << order << " n " << n
                                             << " i " << i;
        }
      }
    }
  }
}

TEST(Wavelet, WrapStepPreservesEnergyAndKillsConstantsAndRamps) {
  for (std::int32_t order = 1; order <= 3; ++order) {
    TWavelet1D w;
    w.SetOrder(order);
    const auto x = Fill(w, 128, 400);
    double e0 = 0;
    for (double v : x) e0 += v * v;
    w.SingleStep(false);
    double e1 = 0;
    for (double v : Data(w)) e1 += v * v;
    EXPECT_NEAR(e1, e0, 1e-12) << order;

    // A constant has no detail; a ramp none away from the wrapped start (orders >= 2).
    for (std::int32_t i = 1; i <= 128; ++i) w.SetDataVal(i, 3.0);
    w.SingleStep(false);
    for (std::int32_t i = 1; i <= 64; ++i) ASSERT_NEAR(w.GetDataVal(i), 3.0 * std::sqrt(2.0), 1e-14);
    for (std::int32_t i = 65; i <= 128; ++i) ASSERT_NEAR(w.GetDataVal(i), 0.0, 1e-14);
    if (order >= 2) {
      for (std::int32_t i = 1; i <= 128; ++i) w.SetDataVal(i, 0.5 * i);
      w.SingleStep(false);
      for (std::int32_t i = 64 + order; i <= 128; ++i) ASSERT_NEAR(w.GetDataVal(i), 0.0, 1e-13) << i;
    }
  }
}

TEST(Wavelet, WrapRoundTripsAtEveryOrderAndLevel) {
  for (std::int32_t order = 1; order <= 3; ++order) {
    for (std::int32_t n : {2, 4, 8, 256, 1024}) {
      const std::int32_t maxLevels = static_cast<std::int32_t>(std::log2(n));
      for (std::int32_t levels = 1; levels <= maxLevels + 1; ++levels) {
        TWavelet1D w;
        w.SetOrder(order);
        const auto x = Fill(w, n, 500 + n + levels);
        w.Transform(levels);
        w.InverseTransform(levels);
        const auto y = Data(w);
        for (std::size_t i = 0; i < x.size(); ++i) {
          ASSERT_NEAR(y[i], x[i], 1e-15) << "order " << order << " n " << n << " levels " << levels;
        }
      }
    }
  }
}

TEST(Wavelet, HaarRoundTripsInEveryExtensionMode) {
  // The two Haar taps never reach before a segment start.
  for (auto mode : {TWLSigExtMode::wseWrap, TWLSigExtMode::wseZeroPad, TWLSigExtMode::wseSymmetric}) {
    TWavelet1D w;
    w.SetOrder(1);
    w.SetSigExtMode(mode);
    const auto x = Fill(w, 512, 600);
    w.Transform(9);
    w.InverseTransform(9);
    const auto y = Data(w);
    for (std::size_t i = 0; i < x.size(); ++i) ASSERT_NEAR(y[i], x[i], 1e-15);
  }
}

TEST(Wavelet, LevelsDriveTheSegmentSizes) {
  // Transform(0) performs one level: the same as one step on the whole buffer.
  TWavelet1D a, b;
  const auto x = Fill(a, 64, 700);
  Fill(b, 64, 700);
  a.Transform(0);
  b.SingleStep(false);
  EXPECT_EQ(Data(a), Data(b));
  // Two levels: the second step works on the first half only.
  TWavelet1D c, d;
  Fill(c, 64, 701);
  Fill(d, 64, 701);
  c.Transform(2);
  d.PartialWLT(64, 0, false);
  d.PartialWLT(32, 0, false);
  EXPECT_EQ(Data(c), Data(d));
  // Levels beyond log2(Size) stop at segments of two values.
  TWavelet1D e, f;
  Fill(e, 16, 702);
  Fill(f, 16, 702);
  e.Transform(100);
  f.Transform(4);
  EXPECT_EQ(Data(e), Data(f));
  // The inverse of two levels starts from the 32-value segment.
  d.PartialWLT(32, 0, true);
  d.PartialWLT(64, 0, true);
  c.InverseTransform(2);
  EXPECT_EQ(Data(c), Data(d));
}

TEST(Wavelet, PartialStepsWorkOnTheirSegmentOnly) {
  TWavelet1D w;
  w.SetOrder(2);
  const auto x = Fill(w, 32, 800);
  w.PartialWLT(8, 16, false);
  const auto y = Data(w);
  std::vector<double> seg(x.begin() + 16, x.begin() + 24);
  const auto ref = ReferenceStep(seg, w.LowPass(), w.HighPass(), TWLSigExtMode::wseWrap);
  for (std::size_t i = 0; i < 32; ++i) {
    if (i >= 16 && i < 24) {
      EXPECT_NEAR(y[i], ref[i - 16], 1e-15);
    } else {
      EXPECT_EQ(y[i], x[i]);
    }
  }
  // Segments outside the buffer, or shorter than 2, change nothing.
  w.PartialWLT(16, 24, false);
  w.PartialWLT(8, -1, false);
  w.PartialWLT(1, 0, false);
  w.PartialWLT(0, 0, false);
  EXPECT_EQ(Data(w), y);
  w.SetName("W2");
  EXPECT_EQ(MessageOf([&] { w.PartialWLT(6, 0, false); }), "Component \"W2\": data length must be power of 2");
  // Sizes below 2 make the multi-level transforms do nothing.
  w.SetNumData(1);
  w.SetDataVal(1, 4.0);
  w.Transform(3);
  w.InverseTransform(3);
  w.SingleStep(false);
  EXPECT_EQ(w.GetDataVal(1), 4.0);
}

TEST(Wavelet, SymmetricShortSegmentStaysInside) {
  // Six taps on two values reach four positions before the start; the mirror
  // continues periodically instead of leaving the segment.
  TWavelet1D w;
  w.SetOrder(3);
  w.SetSigExtMode(TWLSigExtMode::wseSymmetric);
  w.SetNumData(2);
  w.SetDataVal(1, 1.0);
  w.SetDataVal(2, 1.0);
  w.SingleStep(false);
  // A constant stays constant under the mirror: approximation √2, no detail.
  EXPECT_NEAR(w.GetDataVal(1), std::sqrt(2.0), 1e-15);
  EXPECT_NEAR(w.GetDataVal(2), 0.0, 1e-15);
  w.SingleStep(true);
  EXPECT_TRUE(std::isfinite(w.GetDataVal(1)));
}

TEST(Wavelet, PowerOfTwoSegmentBeyondTheBufferDoesNothing) {
  // 2^24 and 2^30 are powers of two: segments outside the buffer, not errors.
  TWavelet1D w;
  w.SetNumData(4);
  w.SetDataVal(1, 3.0);
  for (std::int32_t n : {1 << 24, 1 << 30}) {
    EXPECT_NO_THROW(w.PartialWLT(n, 0, false));
    EXPECT_NO_THROW(w.PartialWLT(n, 0, true));
  }
  EXPECT_EQ(w.GetDataVal(1), 3.0);
  EXPECT_EQ(MessageOf([&] { w.PartialWLT(3 << 20, 0, false); }), "Component \"\": data length must be power of 2");
}

}  // namespace
}  // namespace qmx
