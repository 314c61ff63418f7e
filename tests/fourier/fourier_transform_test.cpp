// The transform itself: against a direct discrete Fourier sum, an independent
// recursive FFT for large sizes, Parseval's identity, round trips, the kernel
// variants and the general-sign path.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "qmx/fourier/fourier.hpp"
#include "qmx/fourier/fourier_detail.hpp"

namespace qmx {
namespace {

using CplxL = std::complex<long double>;

std::vector<CplxL> RandomBlock(std::int32_t n) {
  std::vector<CplxL> x(static_cast<std::size_t>(n));
  for (auto& v : x) v = CplxL(2.0 * Random() - 1.0, 2.0 * Random() - 1.0);
  return x;
}

void Load(TFastFourier& f, const std::vector<CplxL>& x) {
  f.SetNumData(static_cast<std::int32_t>(x.size()));
  for (std::size_t j = 0; j < x.size(); ++j) {
    f.SetRealVal(static_cast<std::int32_t>(j + 1), static_cast<double>(x[j].real()));
    f.SetImagVal(static_cast<std::int32_t>(j + 1), static_cast<double>(x[j].imag()));
  }
}

/// X_k = Σ_j x_j·e^(sign·2πi·jk/n), summed directly in 80-bit precision.
std::vector<CplxL> DirectDFT(const std::vector<CplxL>& x, int sign) {
  const std::size_t n = x.size();
  std::vector<CplxL> root(n);
  for (std::size_t m = 0; m < n; ++m) {
    const long double a = 2.0L * std::numbers::pi_v<long double> * static_cast<long double>(m) / n;
    root[m] = CplxL(std::cos(a), sign * std::sin(a));
  }
  std::vector<CplxL> out(n);
  for (std::size_t k = 0; k < n; ++k) {
    CplxL s = 0;
    for (std::size_t j = 0; j < n; ++j) s += x[j] * root[(j * k) % n];
    out[k] = s;
  }
  return out;
}

/// Recursive radix-2 FFT (even/odd split) in 80-bit precision, X_k = Σ x_j·e^(+2πi·jk/n).
std::vector<CplxL> RecursiveFFT(const std::vector<CplxL>& x) {
  const std::size_t n = x.size();
  if (n == 1) return x;
  std::vector<CplxL> even(n / 2), odd(n / 2);
  for (std::size_t j = 0; j < n / 2; ++j) {
    even[j] = x[2 * j];
    odd[j] = x[2 * j + 1];
  }
  const auto e = RecursiveFFT(even);
  const auto o = RecursiveFFT(odd);
  std::vector<CplxL> out(n);
  for (std::size_t k = 0; k < n / 2; ++k) {
    const long double a = 2.0L * std::numbers::pi_v<long double> * static_cast<long double>(k) / n;
    const CplxL t = CplxL(std::cos(a), std::sin(a)) * o[k];
    out[k] = e[k] + t;
    out[k + n / 2] = e[k] - t;
  }
  return out;
}

long double Norm2(const std::vector<CplxL>& x) {
  long double s = 0;
  for (const auto& v : x) s += std::norm(v);
  return std::sqrt(s);
}

/// Largest deviation of the object's block from ref.
long double MaxDeviation(const TFastFourier& f, const std::vector<CplxL>& ref) {
  long double worst = 0;
  for (std::size_t k = 0; k < ref.size(); ++k) {
    const CplxL got(f.GetRealVal(static_cast<std::int32_t>(k + 1)), f.GetImagVal(static_cast<std::int32_t>(k + 1)));
    worst = std::max(worst, std::abs(got - ref[k]));
  }
  return worst;
}

/// Rounding bound of a radix-2 FFT: a few ulps times log2(n) on the norm of the input.
long double Tolerance(const std::vector<CplxL>& x) {
  const long double stages = std::log2(static_cast<long double>(x.size())) + 1;
  return 4 * std::numeric_limits<double>::epsilon() * stages * Norm2(x);
}

TEST(FourierTransform, MatchesDirectSumOnRandomBlocks) {
  SetRandSeed(101);
  for (std::int32_t n : {1, 2, 4, 8, 16, 32, 128, 512, 2048}) {
    const auto x = RandomBlock(n);
    TFastFourier f;
    Load(f, x);
    f.Transform();
    EXPECT_LT(MaxDeviation(f, DirectDFT(x, +1)), Tolerance(x)) << "n = " << n;
  }
}

TEST(FourierTransform, InverseMatchesDirectSumDividedByN) {
  SetRandSeed(102);
  for (std::int32_t n : {1, 2, 4, 64, 1024}) {
    const auto x = RandomBlock(n);
    TFastFourier f;
    Load(f, x);
    f.InverseTransform();
    auto ref = DirectDFT(x, -1);
    for (auto& v : ref) v /= static_cast<long double>(n);
    EXPECT_LT(MaxDeviation(f, ref), Tolerance(x) / n) << "n = " << n;
  }
}

TEST(FourierTransform, LargeBlocksMatchRecursiveReference) {
  // Sizes beyond the cache block exercise the depth-first driver and the fused
  // two-stage sweeps over the whole block.
  SetRandSeed(103);
  for (std::int32_t n : {1 << 14, 1 << 15, 1 << 17}) {
    const auto x = RandomBlock(n);
    TFastFourier f;
    Load(f, x);
    f.Transform();
    EXPECT_LT(MaxDeviation(f, RecursiveFFT(x)), Tolerance(x)) << "n = " << n;
  }
}

TEST(FourierTransform, ParsevalIdentityHolds) {
  SetRandSeed(104);
  for (std::int32_t n : {2, 16, 1024, 1 << 16}) {
    const auto x = RandomBlock(n);
    TFastFourier f;
    Load(f, x);
    f.Transform();
    long double spectrum = 0;
    for (std::int32_t k = 1; k <= n; ++k) {
      spectrum += static_cast<long double>(f.GetRealVal(k)) * f.GetRealVal(k) +
                  static_cast<long double>(f.GetImagVal(k)) * f.GetImagVal(k);
    }
    const long double signal = Norm2(x) * Norm2(x);
    EXPECT_NEAR(static_cast<double>(spectrum / n), static_cast<double>(signal), 1e-12 * static_cast<double>(signal))
        << "n = " << n;
  }
}

TEST(FourierTransform, ForwardThenInverseRestoresTheBlock) {
  SetRandSeed(105);
  for (std::int32_t n : {1, 2, 4, 8, 256, 8192, 1 << 16}) {
    const auto x = RandomBlock(n);
    TFastFourier f;
    Load(f, x);
    f.Transform();
    f.InverseTransform();
    EXPECT_LT(MaxDeviation(f, x), 1e-14 * std::log2(2.0 * n)) << "n = " << n;
  }
}

TEST(FourierTransform, DeltaGivesFlatSpectrum) {
  TFastFourier f;
  f.SetNumData(16);
  f.SetRealVal(1, 1.0);
  f.Transform();
  for (std::int32_t k = 1; k <= 16; ++k) {
    EXPECT_DOUBLE_EQ(f.GetRealVal(k), 1.0);
    EXPECT_DOUBLE_EQ(f.GetImagVal(k), 0.0);
  }
  EXPECT_DOUBLE_EQ(f.GetPowerSpec(0), 1.0 / 16);
  for (std::int32_t k = 1; k <= 8; ++k) EXPECT_DOUBLE_EQ(f.GetPowerSpec(k), 2.0 / 16);
}

TEST(FourierTransform, SignConventionIsPositiveExponent) {
  // x_j = e^(−2πi·3j/n) is gathered into line 3 (index 3) by e^(+2πi·jk/n).
  const std::int32_t n = 32;
  TFastFourier f;
  f.SetNumData(n);
  for (std::int32_t j = 0; j < n; ++j) {
    const double a = -2.0 * std::numbers::pi * 3 * j / n;
    f.SetRealVal(j + 1, std::cos(a));
    f.SetImagVal(j + 1, std::sin(a));
  }
  f.Transform();
  for (std::int32_t k = 0; k < n; ++k) {
    EXPECT_NEAR(f.GetRealVal(k + 1), k == 3 ? n : 0.0, 1e-12);
    EXPECT_NEAR(f.GetImagVal(k + 1), 0.0, 1e-12);
  }
}

TEST(FourierTransform, ScalarAndVectorKernelsGiveTheSameBits) {
  SetRandSeed(106);
  for (int log2n : {2, 3, 5, 10, 13, 14, 15, 16}) {
    const auto tables = detail::FFTTables(log2n);
    const std::size_t n = tables->n;
    std::vector<double> a(2 * n);
    for (double& v : a) v = 2.0 * Random() - 1.0;
    for (int sign : {1, -1}) {
      std::vector<double> x = a, y = a;
      detail::FFTRadix2(x.data(), *tables, sign);
      detail::FFTRadix2Scalar(y.data(), *tables, sign);
      ASSERT_EQ(x, y) << "log2 n = " << log2n << ", sign " << sign;
    }
  }
}

TEST(FourierTransform, TablesAreSharedAndExact) {
  const auto a = detail::FFTTables(10);
  const auto b = detail::FFTTables(10);
  EXPECT_EQ(a.get(), b.get());
  EXPECT_EQ(detail::FFTTables(31), nullptr);
  // The quarter-turn factor of every stage is exactly i; the others are accurate.
  for (std::size_t h = 2; h <= 512; h *= 2) {
    EXPECT_EQ(a->twiddle[2 * (h + h / 2)], 0.0);
    EXPECT_EQ(a->twiddle[2 * (h + h / 2) + 1], 1.0);
    for (std::size_t k = 0; k < h; ++k) {
      const long double ang = std::numbers::pi_v<long double> * k / h;
      EXPECT_NEAR(a->twiddle[2 * (h + k)], static_cast<double>(std::cos(ang)), 1.2e-16);
      EXPECT_NEAR(a->twiddle[2 * (h + k) + 1], static_cast<double>(std::sin(ang)), 1.2e-16);
    }
  }
  EXPECT_DOUBLE_EQ(a->CosOfLine(0), 1.0);
  EXPECT_DOUBLE_EQ(a->CosOfLine(512), -1.0);
  EXPECT_DOUBLE_EQ(a->CosOfLine(-1024 * 3 + 256), a->CosOfLine(256));
  EXPECT_NEAR(a->CosOfLine(700), std::cos(2 * std::numbers::pi * 700 / 1024), 1e-15);
}

TEST(FourierTransform, OtherSignsUseTheRecurrence) {
  // An odd sign s computes Σ x_j·e^(s·2πi·jk/n); negative signs also divide by n.
  SetRandSeed(107);
  for (std::int32_t sign : {3, -3}) {
    const auto x = RandomBlock(64);
    TFastFourier f;
    Load(f, x);
    f.DoFFT(sign);
    std::vector<CplxL> ref(x.size());
    for (std::size_t k = 0; k < x.size(); ++k) {
      CplxL s = 0;
      for (std::size_t j = 0; j < x.size(); ++j) {
        const long double a = 2.0L * std::numbers::pi_v<long double> * sign * static_cast<long double>((j * k) % 64) / 64;
        s += x[j] * CplxL(std::cos(a), std::sin(a));
      }
      ref[k] = sign < 0 ? s / 64.0L : s;
    }
    EXPECT_LT(MaxDeviation(f, ref), 1e-11) << "sign " << sign;
  }
  // The recurrence agrees with the table-driven kernels for the ordinary sign.
  const auto tables = detail::FFTTables(12);
  std::vector<double> a(2 * tables->n);
  for (double& v : a) v = Random();
  std::vector<double> b = a;
  detail::FFTRadix2(a.data(), *tables, 1);
  detail::FFTRecurrence(b.data(), tables->n, 1);
  for (std::size_t i = 0; i < a.size(); ++i) ASSERT_NEAR(a[i], b[i], 1e-9);
}

TEST(FourierTransform, NonFiniteInputTerminates) {
  TFastFourier f;
  f.SetNumData(64);
  f.SetRealVal(5, std::numeric_limits<double>::quiet_NaN());
  f.SetImagVal(9, std::numeric_limits<double>::infinity());
  f.Transform();
  f.InverseTransform();
  EXPECT_TRUE(std::isnan(f.GetRealVal(1)));
  f.CalcMaxValues();
  EXPECT_TRUE(std::isnan(f.RMS(0, 32)));
}

}  // namespace
}  // namespace qmx
