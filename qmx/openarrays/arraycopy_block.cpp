// Copying whole arrays, blocks, columns and rows between the shared arrays.

#include <algorithm>

#include "qmx/openarrays/arraycopy.hpp"
#include "qmx/openarrays/arraycopy_detail.hpp"

namespace qmx {

namespace ac = detail::arraycopy;

using detail::arraycopy::TIx;

// ---- whole arrays placed into a larger one ----

int CopyArray(const TDoubleArray& A, std::int32_t DestIx, TDoubleArray& B) {
  return ac::CopyWhole(A, TIx<1>{DestIx}, B);
}
int CopyArray(const TIntArray& A, std::int32_t DestIx, TIntArray& B) {
  return ac::CopyWhole(A, TIx<1>{DestIx}, B);
}
int CopyArray(const TBoolArray& A, std::int32_t DestIx, TBoolArray& B) {
  return ac::CopyWhole(A, TIx<1>{DestIx}, B);
}
int CopyArray(const TDouble2DArray& A, std::int32_t DestCol, std::int32_t DestRow, TDouble2DArray& B) {
  return ac::CopyWhole(A, TIx<2>{DestCol, DestRow}, B);
}
int CopyArray(const TInt2DArray& A, std::int32_t DestCol, std::int32_t DestRow, TInt2DArray& B) {
  return ac::CopyWhole(A, TIx<2>{DestCol, DestRow}, B);
}
int CopyArray(const TBool2DArray& A, std::int32_t DestCol, std::int32_t DestRow, TBool2DArray& B) {
  return ac::CopyWhole(A, TIx<2>{DestCol, DestRow}, B);
}
int CopyArray(const TDouble3DArray& A, std::int32_t DestIx1, std::int32_t DestIx2, std::int32_t DestIx3,
              TDouble3DArray& B) {
  return ac::CopyWhole(A, TIx<3>{DestIx1, DestIx2, DestIx3}, B);
}
int CopyArray(const TInt3DArray& A, std::int32_t DestIx1, std::int32_t DestIx2, std::int32_t DestIx3,
              TInt3DArray& B) {
  return ac::CopyWhole(A, TIx<3>{DestIx1, DestIx2, DestIx3}, B);
}
int CopyArray(const TDouble4DArray& A, std::int32_t DestIx1, std::int32_t DestIx2, std::int32_t DestIx3,
              std::int32_t DestIx4, TDouble4DArray& B) {
  return ac::CopyWhole(A, TIx<4>{DestIx1, DestIx2, DestIx3, DestIx4}, B);
}
int CopyArray(const TInt4DArray& A, std::int32_t DestIx1, std::int32_t DestIx2, std::int32_t DestIx3,
              std::int32_t DestIx4, TInt4DArray& B) {
  return ac::CopyWhole(A, TIx<4>{DestIx1, DestIx2, DestIx3, DestIx4}, B);
}

// ---- source blocks ----

int CopyArray(const TDoubleArray& A, std::int32_t SrcLo, std::int32_t SrcHi, std::int32_t DestIx, TDoubleArray& B) {
  return ac::CopyRange(A, TIx<1>{SrcLo}, TIx<1>{SrcHi}, B, TIx<1>{DestIx});
}
int CopyArray(const TIntArray& A, std::int32_t SrcLo, std::int32_t SrcHi, std::int32_t DestIx, TIntArray& B) {
  return ac::CopyRange(A, TIx<1>{SrcLo}, TIx<1>{SrcHi}, B, TIx<1>{DestIx});
}
int CopyArray(const TDouble2DArray& A, std::int32_t SrcLoCol, std::int32_t SrcLoRow, std::int32_t SrcHiCol,
              std::int32_t SrcHiRow, std::int32_t DestCol, std::int32_t DestRow, TDouble2DArray& B) {
  return ac::CopyRange(A, TIx<2>{SrcLoCol, SrcLoRow}, TIx<2>{SrcHiCol, SrcHiRow}, B, TIx<2>{DestCol, DestRow});
}
int CopyArray(const TInt2DArray& A, std::int32_t SrcLoCol, std::int32_t SrcLoRow, std::int32_t SrcHiCol,
              std::int32_t SrcHiRow, std::int32_t DestCol, std::int32_t DestRow, TInt2DArray& B) {
  return ac::CopyRange(A, TIx<2>{SrcLoCol, SrcLoRow}, TIx<2>{SrcHiCol, SrcHiRow}, B, TIx<2>{DestCol, DestRow});
}
int CopyArray(const TDouble3DArray& A, std::int32_t SrcLo1, std::int32_t SrcLo2, std::int32_t SrcLo3,
              std::int32_t SrcHi1, std::int32_t SrcHi2, std::int32_t SrcHi3, std::int32_t DestIx1,
              std::int32_t DestIx2, std::int32_t DestIx3, TDouble3DArray& B) {
  return ac::CopyRange(A, TIx<3>{SrcLo1, SrcLo2, SrcLo3}, TIx<3>{SrcHi1, SrcHi2, SrcHi3}, B,
                           TIx<3>{DestIx1, DestIx2, DestIx3});
}
int CopyArray(const TInt3DArray& A, std::int32_t SrcLo1, std::int32_t SrcLo2, std::int32_t SrcLo3,
              std::int32_t SrcHi1, std::int32_t SrcHi2, std::int32_t SrcHi3, std::int32_t DestIx1,
              std::int32_t DestIx2, std::int32_t DestIx3, TInt3DArray& B) {
  return ac::CopyRange(A, TIx<3>{SrcLo1, SrcLo2, SrcLo3}, TIx<3>{SrcHi1, SrcHi2, SrcHi3}, B,
                           TIx<3>{DestIx1, DestIx2, DestIx3});
}
int CopyArray(const TDouble4DArray& A, std::int32_t SrcLo1, std::int32_t SrcLo2, std::int32_t SrcLo3,
              std::int32_t SrcLo4, std::int32_t SrcHi1, std::int32_t SrcHi2, std::int32_t SrcHi3,
              std::int32_t SrcHi4, std::int32_t DestIx1, std::int32_t DestIx2, std::int32_t DestIx3,
              std::int32_t DestIx4, TDouble4DArray& B) {
  return ac::CopyRange(A, TIx<4>{SrcLo1, SrcLo2, SrcLo3, SrcLo4}, TIx<4>{SrcHi1, SrcHi2, SrcHi3, SrcHi4}, B,
                           TIx<4>{DestIx1, DestIx2, DestIx3, DestIx4});
}
int CopyArray(const TInt4DArray& A, std::int32_t SrcLo1, std::int32_t SrcLo2, std::int32_t SrcLo3,
              std::int32_t SrcLo4, std::int32_t SrcHi1, std::int32_t SrcHi2, std::int32_t SrcHi3,
              std::int32_t SrcHi4, std::int32_t DestIx1, std::int32_t DestIx2, std::int32_t DestIx3,
              std::int32_t DestIx4, TInt4DArray& B) {
  return ac::CopyRange(A, TIx<4>{SrcLo1, SrcLo2, SrcLo3, SrcLo4}, TIx<4>{SrcHi1, SrcHi2, SrcHi3, SrcHi4}, B,
                           TIx<4>{DestIx1, DestIx2, DestIx3, DestIx4});
}

// ---- columns and rows to 1-D arrays ----

int CopyArrayColumn(const TDouble2DArray& A, std::int32_t ColIx, std::int32_t FirstRow, std::int32_t LastRow,
                    TDoubleArray& B) {
  return ac::CopyArrayColumn(A, ColIx, FirstRow, LastRow, B);
}
int CopyArrayColumn(const TInt2DArray& A, std::int32_t ColIx, std::int32_t FirstRow, std::int32_t LastRow,
                    TIntArray& B) {
  return ac::CopyArrayColumn(A, ColIx, FirstRow, LastRow, B);
}
int CopyArrayColumn(const TBool2DArray& A, std::int32_t ColIx, std::int32_t FirstRow, std::int32_t LastRow,
                    TBoolArray& B) {
  return ac::CopyArrayColumn(A, ColIx, FirstRow, LastRow, B);
}
int CopyArrayRow(const TDouble2DArray& A, std::int32_t RowIx, std::int32_t FirstCol, std::int32_t LastCol,
                 TDoubleArray& B) {
  return ac::CopyArrayRow(A, RowIx, FirstCol, LastCol, B);
}
int CopyArrayRow(const TInt2DArray& A, std::int32_t RowIx, std::int32_t FirstCol, std::int32_t LastCol,
                 TIntArray& B) {
  return ac::CopyArrayRow(A, RowIx, FirstCol, LastCol, B);
}
int CopyArrayRow(const TBool2DArray& A, std::int32_t RowIx, std::int32_t FirstCol, std::int32_t LastCol,
                 TBoolArray& B) {
  return ac::CopyArrayRow(A, RowIx, FirstCol, LastCol, B);
}

int Copy2DColTo1DArray(const TDouble2DArray& A, std::int32_t ColIx, std::int32_t FirstRow, std::int32_t LastRow,
                       TDoubleArray& B, std::int32_t DestIx) {
  TDoubleArray block;
  const int res = ac::CopyArrayColumn(A, ColIx, FirstRow, LastRow, block);
  if (res != 0) {
    return res;
  }
  if (DestIx < 0 || DestIx >= ac::Len(B)) {
    return -4;
  }
  const auto count = std::min<std::size_t>(block.size(), B.size() - static_cast<std::size_t>(DestIx));
  std::copy_n(block.begin(), count, B.begin() + DestIx);
  return 0;
}

int Copy2DRowTo1DArray(const TDouble2DArray& A, std::int32_t RowIx, std::int32_t FirstCol, std::int32_t LastCol,
                       TDoubleArray& B, std::int32_t DestIx) {
  TDoubleArray block;
  const int res = ac::CopyArrayRow(A, RowIx, FirstCol, LastCol, block);
  if (res != 0) {
    return res;
  }
  if (DestIx < 0 || DestIx >= ac::Len(B)) {
    return -4;
  }
  const auto count = std::min<std::size_t>(block.size(), B.size() - static_cast<std::size_t>(DestIx));
  std::copy_n(block.begin(), count, B.begin() + DestIx);
  return 0;
}

// ---- 1-D arrays into columns and rows ----

int CopyToArrayColumn(const TDoubleArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                      std::int32_t RowIx, TDouble2DArray& A) {
  return ac::CopyToArrayLine(V, FirstIx, LastIx, ColIx, RowIx, A, false);
}
int CopyToArrayColumn(const TIntArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                      std::int32_t RowIx, TInt2DArray& A) {
  return ac::CopyToArrayLine(V, FirstIx, LastIx, ColIx, RowIx, A, false);
}
int CopyToArrayColumn(const TBoolArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                      std::int32_t RowIx, TBool2DArray& A) {
  return ac::CopyToArrayLine(V, FirstIx, LastIx, ColIx, RowIx, A, false);
}
int CopyToArrayRow(const TDoubleArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                   std::int32_t RowIx, TDouble2DArray& A) {
  return ac::CopyToArrayLine(V, FirstIx, LastIx, ColIx, RowIx, A, true);
}
int CopyToArrayRow(const TIntArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                   std::int32_t RowIx, TInt2DArray& A) {
  return ac::CopyToArrayLine(V, FirstIx, LastIx, ColIx, RowIx, A, true);
}
int CopyToArrayRow(const TBoolArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                   std::int32_t RowIx, TBool2DArray& A) {
  return ac::CopyToArrayLine(V, FirstIx, LastIx, ColIx, RowIx, A, true);
}

// ---- withdrawn functions ----

namespace {
[[noreturn]] void RaiseDeprecated() { throw EQMXError("deprecated function, see help for details"); }
}  // namespace

int CopyVectorToArrayColumn(const TDoubleArray&, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                            TDouble2DArray&) {
  RaiseDeprecated();
}
int CopyVectorToArrayColumn(const TIntArray&, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                            TInt2DArray&) {
  RaiseDeprecated();
}
int CopyVectorToArrayColumn(const TBoolArray&, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                            TBool2DArray&) {
  RaiseDeprecated();
}
int CopyVectorToArrayRow(const TDoubleArray&, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                         TDouble2DArray&) {
  RaiseDeprecated();
}
int CopyVectorToArrayRow(const TIntArray&, std::int32_t, std::int32_t, std::int32_t, std::int32_t, TInt2DArray&) {
  RaiseDeprecated();
}
int CopyVectorToArrayRow(const TBoolArray&, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                         TBool2DArray&) {
  RaiseDeprecated();
}

}  // namespace qmx
