// What only the integer vector has: its size setter, the integer histogram
// and the integer file writers.

#include <algorithm>
#include <cstdint>
#include <string>

#include "qmx/vector/intvector.hpp"
#include "qmx/vector/vector_internal.hpp"

namespace qmx {

TIntVector::TIntVector(TComponent* AOwner) : Base(AOwner) {}

std::string_view TIntVector::ClassName() const { return "TIntVector"; }

void TIntVector::SetIntVecSize(std::int32_t NewSize) {
  if (NewSize < 1 || NewSize == NrOfElem()) {
    return;
  }
  Resize(NewSize);
}

bool TIntVector::Histogram(std::int32_t LoIx, std::int32_t HiIx, std::int32_t FirstBin, std::int32_t LastBin,
                           std::int32_t BinWidth, TIntArray& Histo, std::int32_t& Underflow, std::int32_t& Overflow,
                           std::int32_t& MaxCnt) const {
  const std::int64_t width = std::max(BinWidth, 1);
  const std::int64_t first = FirstBin;
  const std::int64_t span = std::abs(static_cast<std::int64_t>(LastBin) - first);
  const std::int64_t nBins = span / width + 1;
  if (nBins < 1 || nBins > 500) {
    RaiseComponentError<EQMXVectorError>(this, kMsgInvalidNumberOfBins);
  }
  Histo.assign(static_cast<std::size_t>(nBins), 0);
  Underflow = 0;
  Overflow = 0;
  MaxCnt = 0;
  const std::int64_t limit = static_cast<std::int64_t>(LastBin) + width;
  // Where a value goes: -1 underflow, nBins overflow, else its bin.
  auto place = [&](std::int64_t v) -> std::int64_t {
    if (v < first) {
      return -1;
    }
    if (v >= limit) {
      return nBins;
    }
    const std::int64_t k = (v - first) / width;
    return k < nBins ? k : nBins;  // beyond the last bin: overflow
  };
  auto count = [&](std::int64_t where, std::int64_t n) {
    if (where < 0) {
      detail::AddSaturated(Underflow, n);
    } else if (where >= nBins) {
      detail::AddSaturated(Overflow, n);
    } else {
      detail::AddSaturated(Histo[static_cast<std::size_t>(where)], n);
    }
  };
  if (HiIx >= LoIx) {
    count(place(0), detail::IndexesOutside(LoIx, HiIx, NrOfElem()));
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

bool TIntVector::Histogram(std::int32_t LoIx, std::int32_t HiIx, std::int32_t FirstBin, std::int32_t LastBin,
                           std::int32_t BinWidth, TIntVector* Histo, std::int32_t& Underflow, std::int32_t& Overflow,
                           std::int32_t& MaxCnt) const {
  TIntArray bins;
  const bool result = Histogram(LoIx, HiIx, FirstBin, LastBin, BinWidth, bins, Underflow, Overflow, MaxCnt);
  if (result && Histo != nullptr && Histo->Resize(static_cast<std::int32_t>(bins.size()))) {
    std::copy(bins.begin(), bins.end(), Histo->Data().begin());
    Histo->Changed();
  }
  return result;
}

std::int32_t TIntVector::ExportAsASC(const std::string& FName, const std::string& Comment) const {
  return WriteASC(FName, Comment, 0);
}

bool TIntVector::StoreOnFile(std::int32_t LoIx, std::int32_t HiIx, const std::string& FName) const {
  return WritePlain(LoIx, HiIx, 0, FName);
}

}  // namespace qmx
