// What only the double vector has: random fills, centring and scaling, the
// floating-point histogram and its file writers and digitizer reader.

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/math1_primitives.hpp"
#include "qmx/vector/intvector.hpp"
#include "qmx/vector/vector.hpp"
#include "qmx/vector/vector_internal.hpp"

namespace qmx {

TVector::TVector(TComponent* AOwner) : Base(AOwner) {}

std::string_view TVector::ClassName() const { return "TVector"; }

void TVector::SetVecSize(std::int32_t NewSize) {
  if (NewSize < 1 || NewSize == NrOfElem()) {
    return;
  }
  Resize(NewSize);
}

void TVector::FillRandomUniform(double Low, double High) {
  for (double& x : data_) {
    x = detail::Lerp(Low, High, Random());
  }
  Changed();
}

void TVector::FillRandomGauss(double Mean, double StdDev) {
  for (double& x : data_) {
    x = GRandom() * StdDev + Mean;
  }
  Changed();
}

double TVector::MeanCenter() {
  double mean = 0.0;
  double variance = 0.0;
  MeanVar(1, NrOfElem(), mean, variance);
  for (double& x : data_) {
    x -= mean;
  }
  return mean;
}

void TVector::Standardize(double& Mean, double& StdDev) {
  double variance = 0.0;
  MeanVar(1, NrOfElem(), Mean, variance);
  StdDev = std::sqrt(variance);
  if (StdDev > 0.0) {
    for (double& x : data_) {
      x = (x - Mean) / StdDev;
    }
  }
}

void TVector::QNormalize(double Perc, double& Median, double& Spread) {
  const double q = Percentile(Perc, 0, 0);
  Median = Percentile(50.0, 0, 0);
  Spread = std::fabs(Median - q);
  if (Spread > 0.0) {
    for (double& x : data_) {
      x = (x - Median) / Spread;
    }
  }
}

void TVector::SetVecLeng(double Length) {
  const double len = CalcVecLeng();
  if (!(len > 0.0)) {
    return;
  }
  const double factor = Length / len;
  if (len >= 1e-140 && len <= 1e140 && std::fabs(factor) >= std::numeric_limits<double>::min() &&
      std::fabs(factor) <= 1e300) {
    for (double& x : data_) {
      x *= factor;
    }
  } else {
    // Huge or tiny lengths or factors: each element is scaled by its share of
    // the exact length (at most 1) in 80 bits, so nothing overflows or is lost.
    const Extended exact = std::sqrt(detail::SumOfSquaresExt(data_.data(), data_.size()));
    for (double& x : data_) {
      x = static_cast<double>(static_cast<Extended>(x) / exact * Length);
    }
  }
  Changed();
}

bool TVector::Histogram(std::int32_t LoIx, std::int32_t HiIx, double FirstBin, double LastBin, double BinWidth,
                        TIntArray& Histo, std::int32_t& Underflow, std::int32_t& Overflow,
                        std::int32_t& MaxCnt) const {
  const double ratio = std::fabs(LastBin - FirstBin) / BinWidth;
  if (!std::isfinite(ratio) || ratio >= 500.5) {
    return false;
  }
  std::int32_t rounded = 0;
  if (!detail::RoundToInt32(ratio, rounded) || rounded + 1 > 500 || rounded + 1 < 1) {
    return false;
  }
  const std::int32_t nBins = rounded + 1;
  if (static_cast<std::int32_t>(Histo.size()) != nBins) {
    Histo.resize(static_cast<std::size_t>(nBins));
  }
  std::fill(Histo.begin(), Histo.end(), 0);
  Underflow = 0;
  Overflow = 0;
  MaxCnt = 0;

  const double limit = LastBin + BinWidth;
  const auto bins = static_cast<double>(nBins);
  // Where a value goes: -1 underflow, nBins overflow, else its bin.
  auto place = [&](double v) -> std::int32_t {
    if (v < FirstBin) {
      return -1;
    }
    if (!(v < limit)) {
      return nBins;  // beyond LastBin + BinWidth, or NaN
    }
    const double k = std::floor((v - FirstBin) / BinWidth);
    if (!(k >= 0.0) || k >= bins) {
      return nBins;  // beyond the last bin
    }
    return static_cast<std::int32_t>(k);
  };
  auto count = [&](std::int32_t where, std::int64_t n) {
    if (where < 0) {
      detail::AddSaturated(Underflow, n);
    } else if (where >= nBins) {
      detail::AddSaturated(Overflow, n);
    } else {
      detail::AddSaturated(Histo[static_cast<std::size_t>(where)], n);
    }
  };

  if (HiIx >= LoIx) {
    // Indexes outside the vector contribute 0.0 each.
    count(place(0.0), detail::IndexesOutside(LoIx, HiIx, NrOfElem()));
    const std::int32_t lo = std::max(LoIx, 1);
    const std::int32_t hi = std::min(HiIx, NrOfElem());
    for (std::int32_t i = lo; i <= hi; ++i) {
      count(place(data_[static_cast<std::size_t>(i - 1)]), 1);
    }
  }
  for (const std::int32_t c : Histo) {
    MaxCnt = std::max(MaxCnt, c);
  }
  return true;
}

bool TVector::Histogram(std::int32_t LoIx, std::int32_t HiIx, double FirstBin, double LastBin, double BinWidth,
                        TIntVector* Histo, std::int32_t& Underflow, std::int32_t& Overflow,
                        std::int32_t& MaxCnt) const {
  TIntArray bins;
  const bool result = Histogram(LoIx, HiIx, FirstBin, LastBin, BinWidth, bins, Underflow, Overflow, MaxCnt);
  if (result && Histo != nullptr && Histo->Resize(static_cast<std::int32_t>(bins.size()))) {
    std::copy(bins.begin(), bins.end(), Histo->Data().begin());
    Histo->Changed();
  }
  return result;
}

std::int32_t TVector::ExportAsASC(const std::string& FName, std::int32_t Decimals, const std::string& Comment) const {
  return WriteASC(FName, Comment, Decimals);
}

bool TVector::StoreOnFile(std::int32_t LoIx, std::int32_t HiIx, std::int32_t Decimals,
                          const std::string& FName) const {
  return WritePlain(LoIx, HiIx, Decimals, FName);
}

bool TVector::LoadFromFile(const std::string& FName, bool AdjustSize, bool DigitizerFile) {
  if (!DigitizerFile) {
    return LoadFromFile(FName, AdjustSize);
  }
  std::int32_t count = 0;
  {
    TTextFile file;
    if (!file.OpenRead(FName)) {
      return false;
    }
    std::string line;
    while (file.ReadLine(line)) {
      if (!line.empty() && StringContains(line, "//dig") && count < std::numeric_limits<std::int32_t>::max()) {
        ++count;
      }
    }
  }
  if (AdjustSize) {
    Resize(count);
  }
  TTextFile file;
  if (!file.OpenRead(FName)) {
    return false;
  }
  std::string word;
  double value = 0.0;
  for (std::int32_t i = 1; i <= NrOfElem(); ++i) {
    if (!ReadNextWordInTextFile(file, word)) {
      break;
    }
    if (detail::ParseRealWord(word, value, true)) {
      SetVal(i, value);
    }
  }
  file.Close();
  Changed();
  return true;
}

}  // namespace qmx
