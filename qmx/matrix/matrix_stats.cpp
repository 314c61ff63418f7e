// TMatrix: histogram, standardisation, quantile normalisation and mean
// centring of columns and rows.

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "qmx/matrix/matrix.hpp"
#include "qmx/vector/intvector.hpp"
#include "qmx/vector/vector.hpp"

namespace qmx {

namespace {

std::int32_t Saturated(std::int64_t n) {
  return static_cast<std::int32_t>(std::min<std::int64_t>(n, std::numeric_limits<std::int32_t>::max()));
}

/// Resizes an optional result vector; its data, or an empty span for nil.
std::span<double> ResultSpan(TVector* V, std::int32_t N) {
  if (V == nullptr) {
    return {};
  }
  V->Resize(N);
  return V->Data();
}

void Notify(TVector* V) {
  if (V != nullptr) {
    V->Changed();
  }
}

/// Mean and variance of n values from their 80-bit sums, as `MeanVar` forms them.
void MeanVarOfSums(Extended s1, Extended s2, std::int64_t count, double& Mean, double& Variance) {
  const auto n = static_cast<Extended>(count);
  Mean = static_cast<double>(s1 / n);
  Extended var = 1.0L;
  if (count >= 3) {
    var = (s2 - s1 * s1 / n) / (n - 1);
  }
  Variance = var < 0 ? 0.0 : static_cast<double>(var);
}

}  // namespace

bool TMatrix::Histogram(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                        double FirstBin, double LastBin, double BinWidth, TIntArray& Histo, std::int32_t& Underflow,
                        std::int32_t& Overflow, std::int32_t& MaxCnt) const {
  if (!(BinWidth > 0) || !std::isfinite(BinWidth) || !std::isfinite(FirstBin) || !std::isfinite(LastBin)) {
    return false;
  }
  const double nb = detail::RoundHalfEven(std::fabs(LastBin - FirstBin) / BinWidth) + 1.0;
  if (!(nb <= 500.0)) {
    return false;
  }
  const auto bins = static_cast<std::size_t>(nb);
  std::vector<std::int64_t> counts(bins, 0);
  std::int64_t under = 0;
  std::int64_t over = 0;
  if (!data_.empty()) {
    const detail::TMatRegion R = CornerRegion(LoCol, LoRow, HiCol, HiRow);
    const double top = LastBin + BinWidth;
    for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
      const double* p = ColumnPtr(c) + (R.LoRow - 1);
      for (std::int64_t k = 0; k < R.Rows(); ++k) {
        const double x = p[k];
        if (x < FirstBin) {
          ++under;
        } else if (!(x < top)) {
          ++over;  // also NaN
        } else {
          const double b = std::floor((x - FirstBin) / BinWidth);
          if (b >= static_cast<double>(bins)) {
            ++over;
          } else {
            ++counts[static_cast<std::size_t>(b)];
          }
        }
      }
    }
  }
  if (Histo.size() != bins) {
    Histo.resize(bins);
  }
  std::int64_t largest = 0;
  for (std::size_t b = 0; b < bins; ++b) {
    Histo[b] = Saturated(counts[b]);
    largest = std::max(largest, counts[b]);
  }
  Underflow = Saturated(under);
  Overflow = Saturated(over);
  MaxCnt = Saturated(largest);
  return true;
}

bool TMatrix::Histogram(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                        double FirstBin, double LastBin, double BinWidth, TIntVector* Histo, std::int32_t& Underflow,
                        std::int32_t& Overflow, std::int32_t& MaxCnt) const {
  TIntArray counts;
  if (!Histogram(LoCol, LoRow, HiCol, HiRow, FirstBin, LastBin, BinWidth, counts, Underflow, Overflow, MaxCnt)) {
    return false;
  }
  if (Histo != nullptr) {
    Histo->Resize(static_cast<std::int32_t>(counts.size()));
    std::copy(counts.begin(), counts.end(), Histo->Data().begin());
    Histo->Changed();
  }
  return true;
}

void TMatrix::StandardizeColumns(TVector* Means, TVector* StdDevs) {
  const std::span<double> means = ResultSpan(Means, ncols_);
  const std::span<double> devs = ResultSpan(StdDevs, ncols_);
  for (std::int32_t c = 1; c <= ncols_; ++c) {
    double mean = 0.0;
    double var = 0.0;
    MeanVar(c, 1, c, nrows_, mean, var);
    const double sd = std::sqrt(var);
    if (var > 0 && !data_.empty()) {
      double* p = ColumnPtr(c);
      for (std::int32_t r = 0; r < nrows_; ++r) {
        p[r] = (p[r] - mean) / sd;
      }
    }
    if (!means.empty()) {
      means[static_cast<std::size_t>(c - 1)] = mean;
    }
    if (!devs.empty()) {
      devs[static_cast<std::size_t>(c - 1)] = sd;
    }
  }
  Notify(Means);
  Notify(StdDevs);
  Changed();
}

void TMatrix::StandardizeRows(TVector* Means, TVector* StdDevs) {
  const auto rows = static_cast<std::size_t>(nrows_);
  std::vector<Extended> s1(rows, 0.0L);
  std::vector<Extended> s2(rows, 0.0L);
  if (!data_.empty()) {
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      const double* p = ColumnPtr(c);
      for (std::size_t r = 0; r < rows; ++r) {
        const Extended x = p[r];
        s1[r] += x;
        s2[r] += x * x;
      }
    }
  }
  std::vector<double> mean(rows, 0.0);
  std::vector<double> sd(rows, 0.0);
  std::vector<double> var(rows, 0.0);
  for (std::size_t r = 0; r < rows; ++r) {
    if (!data_.empty()) {
      MeanVarOfSums(s1[r], s2[r], ncols_, mean[r], var[r]);
    }
    sd[r] = std::sqrt(var[r]);
  }
  if (!data_.empty()) {
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      double* p = ColumnPtr(c);
      for (std::size_t r = 0; r < rows; ++r) {
        if (var[r] > 0) {
          p[r] = (p[r] - mean[r]) / sd[r];
        }
      }
    }
  }
  const std::span<double> means = ResultSpan(Means, nrows_);
  const std::span<double> devs = ResultSpan(StdDevs, nrows_);
  std::copy(mean.begin(), mean.begin() + static_cast<std::ptrdiff_t>(means.size()), means.begin());
  std::copy(sd.begin(), sd.begin() + static_cast<std::ptrdiff_t>(devs.size()), devs.begin());
  Notify(Means);
  Notify(StdDevs);
  Changed();
}

void TMatrix::QNormalizeColumns(double Quantile, TVector* Centres, TVector* Spreads) {
  const std::span<double> centres = ResultSpan(Centres, ncols_);
  const std::span<double> spreads = ResultSpan(Spreads, ncols_);
  for (std::int32_t c = 1; c <= ncols_; ++c) {
    const double q = Percentile(Quantile, c, 1, c, nrows_);
    const double median = Percentile(50.0, c, 1, c, nrows_);
    const double spread = std::fabs(median - q);
    if (spread > 0 && !data_.empty()) {
      double* p = ColumnPtr(c);
      for (std::int32_t r = 0; r < nrows_; ++r) {
        p[r] = (p[r] - median) / spread;
      }
    }
    if (!centres.empty()) {
      centres[static_cast<std::size_t>(c - 1)] = median;
    }
    if (!spreads.empty()) {
      spreads[static_cast<std::size_t>(c - 1)] = spread;
    }
  }
  Notify(Centres);
  Notify(Spreads);
  Changed();
}

void TMatrix::QNormalizeRows(double Quantile, TVector* Centres, TVector* Spreads) {
  const auto rows = static_cast<std::size_t>(nrows_);
  std::vector<double> median(rows, 0.0);
  std::vector<double> spread(rows, 0.0);
  for (std::int32_t r = 1; r <= nrows_; ++r) {
    const double q = Percentile(Quantile, 1, r, ncols_, r);
    median[static_cast<std::size_t>(r - 1)] = Percentile(50.0, 1, r, ncols_, r);
    spread[static_cast<std::size_t>(r - 1)] = std::fabs(median[static_cast<std::size_t>(r - 1)] - q);
  }
  if (!data_.empty()) {
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      double* p = ColumnPtr(c);
      for (std::size_t r = 0; r < rows; ++r) {
        if (spread[r] > 0) {
          p[r] = (p[r] - median[r]) / spread[r];
        }
      }
    }
  }
  const std::span<double> centres = ResultSpan(Centres, nrows_);
  const std::span<double> spreads = ResultSpan(Spreads, nrows_);
  std::copy(median.begin(), median.begin() + static_cast<std::ptrdiff_t>(centres.size()), centres.begin());
  std::copy(spread.begin(), spread.begin() + static_cast<std::ptrdiff_t>(spreads.size()), spreads.begin());
  Notify(Centres);
  Notify(Spreads);
  Changed();
}

void TMatrix::MeanCenterColumns(TVector* Means) {
  const std::span<double> means = ResultSpan(Means, ncols_);
  for (std::int32_t c = 1; c <= ncols_; ++c) {
    double mean = 0.0;
    if (!data_.empty()) {
      double* p = ColumnPtr(c);
      Extended s = 0.0L;
      for (std::int32_t r = 0; r < nrows_; ++r) {
        s += p[r];
      }
      mean = static_cast<double>(s / nrows_);
      for (std::int32_t r = 0; r < nrows_; ++r) {
        p[r] -= mean;
      }
    }
    if (!means.empty()) {
      means[static_cast<std::size_t>(c - 1)] = mean;
    }
  }
  Notify(Means);
  Changed();
}

void TMatrix::MeanCenterRows(TVector* Means) {
  const auto rows = static_cast<std::size_t>(nrows_);
  std::vector<Extended> s(rows, 0.0L);
  std::vector<double> mean(rows, 0.0);
  if (!data_.empty()) {
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      const double* p = ColumnPtr(c);
      for (std::size_t r = 0; r < rows; ++r) {
        s[r] += p[r];
      }
    }
    for (std::size_t r = 0; r < rows; ++r) {
      mean[r] = static_cast<double>(s[r] / ncols_);
    }
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      double* p = ColumnPtr(c);
      for (std::size_t r = 0; r < rows; ++r) {
        p[r] -= mean[r];
      }
    }
  }
  const std::span<double> means = ResultSpan(Means, nrows_);
  std::copy(mean.begin(), mean.begin() + static_cast<std::ptrdiff_t>(means.size()), means.begin());
  Notify(Means);
  Changed();
}

}  // namespace qmx
