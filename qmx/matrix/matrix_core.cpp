// TMatrix: construction, the settings of its own, random fills and the
// integer-vector copy.

#include <algorithm>

#include "qmx/foundation/math1_primitives.hpp"
#include "qmx/matrix/matrix.hpp"
#include "qmx/vector/intvector.hpp"

namespace qmx {

TMatrix::TMatrix(TComponent* AOwner) : Base(AOwner) {}

std::string_view TMatrix::ClassName() const { return "TMatrix"; }

void TMatrix::PercDone(TObject* Sender, std::int32_t Percent) {
  (void)Sender;
  if (OnPercentDone) {
    OnPercentDone(this, Percent);
  }
}

std::int32_t TMatrix::GetFPrecis(std::int32_t Index) const { return Index <= 1 ? precis1_ : precis2_; }

void TMatrix::SetFPrecis(std::int32_t Index, std::int32_t Value) {
  Value = std::clamp(Value, -1, 25);
  if (Index <= 1) {
    precis1_ = Value;
  } else {
    precis2_ = Value;
  }
}

void TMatrix::AssignDerived(const TMatrix& Source) {
  precis1_ = Source.precis1_;
  precis2_ = Source.precis2_;
  OnCalcDistance = Source.OnCalcDistance;
  OnPercentDone = Source.OnPercentDone;
}

void TMatrix::FillRandomUniform(double Low, double High) { FillRandomUniform(0, 0, 0, 0, Low, High); }

void TMatrix::FillRandomUniform(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow, std::int32_t HiRow,
                                double Low, double High) {
  if (data_.empty()) {
    return;
  }
  const detail::TMatRegion R = RangeRegion(LoCol, HiCol, LoRow, HiRow);
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
    double* p = ColumnPtr(c) + (R.LoRow - 1);
    for (std::int64_t k = 0; k < R.Rows(); ++k) {
      p[k] = Low + Random() * (High - Low);
    }
  }
  Changed();
}

void TMatrix::FillRandomGauss(double Mean, double StdDev) { FillRandomGauss(0, 0, 0, 0, Mean, StdDev); }

void TMatrix::FillRandomGauss(std::int32_t LoCol, std::int32_t HiCol, std::int32_t LoRow, std::int32_t HiRow,
                              double Mean, double StdDev) {
  if (data_.empty()) {
    return;
  }
  const detail::TMatRegion R = RangeRegion(LoCol, HiCol, LoRow, HiRow);
  for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
    double* p = ColumnPtr(c) + (R.LoRow - 1);
    for (std::int64_t k = 0; k < R.Rows(); ++k) {
      p[k] = Mean + GRandom() * StdDev;
    }
  }
  Changed();
}

void TMatrix::CopyFromVec(TDims Dims, const TIntVector* Vec, std::int32_t LoElem, std::int32_t HiElem,
                          std::int32_t DestCol, std::int32_t DestRow) {
  if (Vec == nullptr || (Dims != TDims::dimColumns && Dims != TDims::dimRows)) {
    return;
  }
  Vec->MakeValidElemRange(LoElem, HiElem);
  for (std::int32_t k = LoElem; k <= HiElem; ++k) {
    const double v = Vec->GetVal(k);
    const std::int64_t off = std::int64_t{k} - LoElem;
    if (Dims == TDims::dimColumns) {
      StoreCell(DestCol + off, DestRow, v);
    } else {
      StoreCell(DestCol, DestRow + off, v);
    }
  }
  Changed();
}

}  // namespace qmx
