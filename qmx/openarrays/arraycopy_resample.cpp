// Random resampling of the columns and rows of a 2-D array.

#include "qmx/openarrays/arraycopy.hpp"
#include "qmx/openarrays/arraycopy_detail.hpp"

namespace qmx {

namespace ac = detail::arraycopy;

namespace {

/// round(n * perc / 100), ties to even; -1 when perc is above 100 or not a number.
std::int64_t ShareOf(std::int64_t n, double perc) {
  if (!(perc <= 100.0)) {
    return -1;
  }
  const double share = ac::RoundHalfEven(static_cast<double>(n) * perc / 100.0);
  return share <= 0.0 ? 0 : static_cast<std::int64_t>(share);
}

}  // namespace

int Resample2DArray(const TDouble2DArray& A, TDouble2DArray& B, double PercCols, double PercRows, bool Repetitions,
                    TIntArray& ColIdx, TIntArray& RowIdx) {
  if (ac::HasNoCells(A) || !ac::IsBox(A)) {
    return -3;
  }
  if (B.empty()) {
    return -4;
  }
  if (ColIdx.empty() || RowIdx.empty()) {
    return -5;
  }
  const std::int64_t nColsA = ac::Len(A);
  const std::int64_t nRowsA = ac::Len(A[0]);
  const std::int64_t nCols = ShareOf(nColsA, PercCols);
  if (nCols <= 0) {
    return -1;
  }
  const std::int64_t nRows = ShareOf(nRowsA, PercRows);
  if (nRows <= 0) {
    return -2;
  }

  TIntArray cols(static_cast<std::size_t>(nCols));
  if (nCols == nColsA) {
    for (std::size_t i = 0; i < cols.size(); ++i) {
      cols[i] = static_cast<std::int32_t>(i + 1);
    }
  } else {
    ac::DrawDistinct(cols, 1, nColsA);
  }
  TIntArray rows(static_cast<std::size_t>(nRows));
  if (Repetitions) {
    for (auto& r : rows) {
      r = static_cast<std::int32_t>(1 + ac::RandomBelow(nRowsA));
    }
  } else {
    ac::DrawDistinct(rows, 1, nRowsA);
  }

  TDouble2DArray out(cols.size(), TDoubleArray(rows.size()));
  for (std::size_t i = 0; i < cols.size(); ++i) {
    const auto& src = A[static_cast<std::size_t>(cols[i] - 1)];
    auto& dst = out[i];
    for (std::size_t j = 0; j < rows.size(); ++j) {
      dst[j] = src[static_cast<std::size_t>(rows[j] - 1)];
    }
  }
  B = std::move(out);
  ColIdx = std::move(cols);
  RowIdx = std::move(rows);
  return 0;
}

}  // namespace qmx
