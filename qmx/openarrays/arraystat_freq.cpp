/// \file
/// Frequency distributions (histograms) of arrays.

#include <array>
#include <cmath>
#include <utility>

#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraystat_detail.hpp"

namespace qmx {

using detail::arraystat::I32;

namespace {

constexpr I32 kMaxBins = 1000;

/// Checks the bin layout: -3 FirstBin >= LastBin (or NaN), -4 BinWidth <= 0 (or
/// NaN), -5 more than 1000 bins; else 0 with the number of bins.
I32 CheckBins(double firstBin, double lastBin, double binWidth, I32& nBins) {
  if (!(firstBin < lastBin)) {
    return -3;
  }
  if (!(binWidth > 0.0)) {
    return -4;
  }
  const double ratio = std::fabs(lastBin - firstBin) / binWidth;
  if (!(ratio < 2.0 * kMaxBins)) {  // also catches an infinite ratio
    return -5;
  }
  nBins = static_cast<I32>(detail::arraystat::RoundHalfEven(ratio)) + 1;
  return nBins > kMaxBins ? -5 : 0;
}

/// Accumulates values into the bins; values beyond the last bin count as overflow.
class TBinCounter {
 public:
  TBinCounter(double firstBin, double lastBin, double binWidth, I32 nBins)
      : first_(firstBin), width_(binWidth), top_(lastBin + binWidth), histo_(static_cast<std::size_t>(nBins), 0) {}

  void Add(double v) {
    if (std::isnan(v)) {
      return;
    }
    if (v < first_) {
      ++under_;
      return;
    }
    if (v >= top_) {
      ++over_;
      return;
    }
    const double q = std::floor((v - first_) / width_);
    if (!(q < static_cast<double>(histo_.size()))) {
      ++over_;
      return;
    }
    const I32 cnt = ++histo_[static_cast<std::size_t>(q)];
    if (cnt > maxCnt_) {
      maxCnt_ = cnt;
    }
  }

  void Deliver(TIntArray& histo, I32& under, I32& over, I32& maxCnt) {
    histo = std::move(histo_);
    under = under_;
    over = over_;
    maxCnt = maxCnt_;
  }

 private:
  double first_;
  double width_;
  double top_;
  TIntArray histo_;
  I32 under_ = 0;
  I32 over_ = 0;
  I32 maxCnt_ = 0;
};

/// Shared body of the 2-D members; Mask may be empty (no mask).
I32 FrequDist2D(const TDouble2DArray& A, const TBool2DArray* Mask, I32 Lo1, I32 Lo2, I32 Hi1, I32 Hi2, double FirstBin,
                double LastBin, double BinWidth, TIntArray& Histo, I32& Underflow, I32& Overflow, I32& MaxCnt) {
  const auto len = detail::arraystat::LengthsOf(A);
  if (Lo1 == 0 && Lo2 == 0 && Hi1 == 0 && Hi2 == 0) {
    Hi1 = len[0] - 1;
    Hi2 = len[1] - 1;
  }
  if (Lo1 < 0 || Lo1 >= len[0] || Hi1 < 0 || Hi1 >= len[0] || Lo2 < 0 || Lo2 >= len[1] || Hi2 < 0 || Hi2 >= len[1]) {
    return -1;
  }
  if (Hi1 < Lo1 || Hi2 < Lo2) {
    return -2;
  }
  const std::array<I32, 2> lo{Lo1, Lo2};
  const std::array<I32, 2> hi{Hi1, Hi2};
  if (!detail::arraystat::BlockFits(A, lo.data(), hi.data())) {
    return -1;  // a touched column is shorter than the range
  }
  I32 nBins = 0;
  const I32 rc = CheckBins(FirstBin, LastBin, BinWidth, nBins);
  if (rc != 0) {
    return rc;
  }
  if (Mask != nullptr && !detail::arraystat::SameShape(A, *Mask)) {
    return -6;
  }
  TBinCounter counter(FirstBin, LastBin, BinWidth, nBins);
  for (I32 c = Lo1; c <= Hi1; ++c) {
    const auto ci = static_cast<std::size_t>(c);
    for (I32 r = Lo2; r <= Hi2; ++r) {
      const auto ri = static_cast<std::size_t>(r);
      if (Mask == nullptr || !(*Mask)[ci][ri]) {
        counter.Add(A[ci][ri]);
      }
    }
  }
  counter.Deliver(Histo, Underflow, Overflow, MaxCnt);
  return 0;
}

}  // namespace

I32 FrequDistOfArray(const TDoubleArray& A, I32 FirstIx, I32 LastIx, double FirstBin, double LastBin, double BinWidth,
                     TIntArray& Histo, I32& Underflow, I32& Overflow, I32& MaxCnt) {
  const auto n = static_cast<std::int64_t>(A.size());
  if (FirstIx < 0 || FirstIx >= n || LastIx < 0 || LastIx >= n) {
    return -1;
  }
  if (LastIx < FirstIx) {
    return -2;
  }
  I32 nBins = 0;
  const I32 rc = CheckBins(FirstBin, LastBin, BinWidth, nBins);
  if (rc != 0) {
    return rc;
  }
  if (FirstIx == 0 && LastIx == 0) {
    LastIx = static_cast<I32>(n - 1);
  }
  TBinCounter counter(FirstBin, LastBin, BinWidth, nBins);
  for (I32 i = FirstIx; i <= LastIx; ++i) {
    counter.Add(A[static_cast<std::size_t>(i)]);
  }
  counter.Deliver(Histo, Underflow, Overflow, MaxCnt);
  return 0;
}

I32 FrequDistOfArray(const TDouble2DArray& A, I32 Lo1, I32 Lo2, I32 Hi1, I32 Hi2, double FirstBin, double LastBin,
                     double BinWidth, TIntArray& Histo, I32& Underflow, I32& Overflow, I32& MaxCnt) {
  return FrequDist2D(A, nullptr, Lo1, Lo2, Hi1, Hi2, FirstBin, LastBin, BinWidth, Histo, Underflow, Overflow, MaxCnt);
}

I32 FrequDistOfArray(const TDouble2DArray& A, const TBool2DArray& Mask, I32 Lo1, I32 Lo2, I32 Hi1, I32 Hi2,
                     double FirstBin, double LastBin, double BinWidth, TIntArray& Histo, I32& Underflow, I32& Overflow,
                     I32& MaxCnt) {
  return FrequDist2D(A, &Mask, Lo1, Lo2, Hi1, Hi2, FirstBin, LastBin, BinWidth, Histo, Underflow, Overflow, MaxCnt);
}

}  // namespace qmx
