#pragma once
/// \file
/// Copying, converting, filling and reshaping the shared dynamic arrays.
///
/// Conventions: arrays are 0-based; a 2-D array is A[column][row] (the outer
/// index is the column), 3-D and 4-D arrays add layer and time-slot indexes.
/// Integer results: 0 success, -1 an input array is empty, -2 an index range is
/// invalid or two sizes differ; further codes are given per function.  An array
/// "is empty" when it holds no cell: Length(A), Length(A[0]), ... is 0.
/// Ranges are in corner order (all lower bounds, then all upper bounds) unless
/// stated otherwise.  Output arrays are replaced only on success.
/// Arrays of arrays may be ragged: whole-array operations follow every inner
/// array at its own length, and ranged operations check every inner array a
/// block touches (a block that does not fit counts as an invalid range).
///
/// Random fills draw from the process-wide generator (`Random`, `RandG`)
/// without reseeding it: call `SetRandSeed` for a reproducible sequence or
/// `Randomize` for one seeded from the clock.  Reseeding from the clock on
/// every call would make two fills within one clock tick identical and would
/// defeat `SetRandSeed`.

#include <cstdint>

#include "qmx/foundation/frame.hpp"

namespace qmx {

// ---------------------------------------------------------------------------
// Cloning and conversion
// ---------------------------------------------------------------------------

/// B := a new array of A's layout holding A's values; -1 (B untouched) if A is empty, else 0.
int CloneArray(const TDoubleArray& A, TDoubleArray& B);
int CloneArray(const TDouble2DArray& A, TDouble2DArray& B);
int CloneArray(const TDouble3DArray& A, TDouble3DArray& B);
int CloneArray(const TDouble4DArray& A, TDouble4DArray& B);
int CloneArray(const TIntArray& A, TIntArray& B);
int CloneArray(const TInt2DArray& A, TInt2DArray& B);
int CloneArray(const TInt3DArray& A, TInt3DArray& B);
int CloneArray(const TInt4DArray& A, TInt4DArray& B);
int CloneArray(const TBoolArray& A, TBoolArray& B);
int CloneArray(const TBool2DArray& A, TBool2DArray& B);
/// 32-bit to 64-bit float (exact).
int CloneArray(const TSingleArray& A, TDoubleArray& B);
/// 64-bit to 32-bit float (nearest; values beyond the 32-bit range become +-infinity).
int CloneArray(const TDoubleArray& A, TSingleArray& B);
/// Integer to double (exact).
int CloneArray(const TIntArray& A, TDoubleArray& B);
int CloneArray(const TInt2DArray& A, TDouble2DArray& B);
int CloneArray(const TInt3DArray& A, TDouble3DArray& B);
int CloneArray(const TInt4DArray& A, TDouble4DArray& B);
/// Double to integer: each value is clamped to -2147483648 .. 2147483647 and
/// rounded to the nearest integer, ties to even; NaN becomes 0.
int CloneArray(const TDoubleArray& A, TIntArray& B);
int CloneArray(const TDouble2DArray& A, TInt2DArray& B);
int CloneArray(const TDouble3DArray& A, TInt3DArray& B);
int CloneArray(const TDouble4DArray& A, TInt4DArray& B);

/// B[i] := A[n - 1 - i], converted as `CloneArray` converts; -1 (B untouched) for an empty A.
int CloneAndReverseArray(const TBoolArray& A, TBoolArray& B);
int CloneAndReverseArray(const TIntArray& A, TIntArray& B);
int CloneAndReverseArray(const TDoubleArray& A, TDoubleArray& B);
int CloneAndReverseArray(const TSingleArray& A, TDoubleArray& B);
int CloneAndReverseArray(const TDoubleArray& A, TSingleArray& B);
int CloneAndReverseArray(const TDoubleArray& A, TIntArray& B);
int CloneAndReverseArray(const TIntArray& A, TDoubleArray& B);

// ---------------------------------------------------------------------------
// Copying blocks (B is never resized)
// ---------------------------------------------------------------------------

/// Copies all of A into B starting at DestIx.  -1 if A or B is empty; -2 if
/// DestIx < 0, DestIx >= Length(B) or DestIx + Length(A) > Length(B) (B unchanged).
int CopyArray(const TDoubleArray& A, std::int32_t DestIx, TDoubleArray& B);
int CopyArray(const TIntArray& A, std::int32_t DestIx, TIntArray& B);
int CopyArray(const TBoolArray& A, std::int32_t DestIx, TBoolArray& B);
/// Copies all of A into B with A[0][0] at B[DestCol][DestRow]; -1 if A or B is
/// empty; -2 unless the whole of A fits.
int CopyArray(const TDouble2DArray& A, std::int32_t DestCol, std::int32_t DestRow, TDouble2DArray& B);
int CopyArray(const TInt2DArray& A, std::int32_t DestCol, std::int32_t DestRow, TInt2DArray& B);
int CopyArray(const TBool2DArray& A, std::int32_t DestCol, std::int32_t DestRow, TBool2DArray& B);
/// The same in three and four dimensions (A[0][0][0] lands at B[DestIx1][DestIx2][DestIx3]).
int CopyArray(const TDouble3DArray& A, std::int32_t DestIx1, std::int32_t DestIx2, std::int32_t DestIx3,
              TDouble3DArray& B);
int CopyArray(const TInt3DArray& A, std::int32_t DestIx1, std::int32_t DestIx2, std::int32_t DestIx3,
              TInt3DArray& B);
int CopyArray(const TDouble4DArray& A, std::int32_t DestIx1, std::int32_t DestIx2, std::int32_t DestIx3,
              std::int32_t DestIx4, TDouble4DArray& B);
int CopyArray(const TInt4DArray& A, std::int32_t DestIx1, std::int32_t DestIx2, std::int32_t DestIx3,
              std::int32_t DestIx4, TInt4DArray& B);

/// Copies A[SrcLo..SrcHi] to B[DestIx..].  -1 if A or B is empty; -2 if SrcLo or
/// SrcHi lies outside A, SrcLo > SrcHi, DestIx lies outside B, or the block does
/// not fit into B.  A and B may be the same array (overlapping blocks are safe).
int CopyArray(const TDoubleArray& A, std::int32_t SrcLo, std::int32_t SrcHi, std::int32_t DestIx, TDoubleArray& B);
int CopyArray(const TIntArray& A, std::int32_t SrcLo, std::int32_t SrcHi, std::int32_t DestIx, TIntArray& B);
/// B[DestCol + i][DestRow + j] := A[SrcLoCol + i][SrcLoRow + j] over the source
/// block (corner order).  -1 if A, A[0], B or B[0] is empty; -2 if a source bound
/// lies outside A, a low bound exceeds its high bound, a destination index lies
/// outside B, or the block does not fit into B.
int CopyArray(const TDouble2DArray& A, std::int32_t SrcLoCol, std::int32_t SrcLoRow, std::int32_t SrcHiCol,
              std::int32_t SrcHiRow, std::int32_t DestCol, std::int32_t DestRow, TDouble2DArray& B);
int CopyArray(const TInt2DArray& A, std::int32_t SrcLoCol, std::int32_t SrcLoRow, std::int32_t SrcHiCol,
              std::int32_t SrcHiRow, std::int32_t DestCol, std::int32_t DestRow, TInt2DArray& B);
/// The 3-D block copy: source block in corner order (three low bounds, three
/// high bounds), then the three destination indexes of its first cell.  Codes
/// as for the 2-D block copy, each dimension checked as there.
int CopyArray(const TDouble3DArray& A, std::int32_t SrcLo1, std::int32_t SrcLo2, std::int32_t SrcLo3,
              std::int32_t SrcHi1, std::int32_t SrcHi2, std::int32_t SrcHi3, std::int32_t DestIx1,
              std::int32_t DestIx2, std::int32_t DestIx3, TDouble3DArray& B);
int CopyArray(const TInt3DArray& A, std::int32_t SrcLo1, std::int32_t SrcLo2, std::int32_t SrcLo3,
              std::int32_t SrcHi1, std::int32_t SrcHi2, std::int32_t SrcHi3, std::int32_t DestIx1,
              std::int32_t DestIx2, std::int32_t DestIx3, TInt3DArray& B);
/// The 4-D block copy: four low bounds, four high bounds, four destination indexes.
int CopyArray(const TDouble4DArray& A, std::int32_t SrcLo1, std::int32_t SrcLo2, std::int32_t SrcLo3,
              std::int32_t SrcLo4, std::int32_t SrcHi1, std::int32_t SrcHi2, std::int32_t SrcHi3,
              std::int32_t SrcHi4, std::int32_t DestIx1, std::int32_t DestIx2, std::int32_t DestIx3,
              std::int32_t DestIx4, TDouble4DArray& B);
int CopyArray(const TInt4DArray& A, std::int32_t SrcLo1, std::int32_t SrcLo2, std::int32_t SrcLo3,
              std::int32_t SrcLo4, std::int32_t SrcHi1, std::int32_t SrcHi2, std::int32_t SrcHi3,
              std::int32_t SrcHi4, std::int32_t DestIx1, std::int32_t DestIx2, std::int32_t DestIx3,
              std::int32_t DestIx4, TInt4DArray& B);

/// B := A[ColIx][FirstRow..LastRow] (B resized).  -1 empty A; -2 if FirstRow < 0,
/// LastRow < FirstRow or a row bound is >= Length(A[0]); -3 if ColIx lies outside A.
int CopyArrayColumn(const TDouble2DArray& A, std::int32_t ColIx, std::int32_t FirstRow, std::int32_t LastRow,
                    TDoubleArray& B);
int CopyArrayColumn(const TInt2DArray& A, std::int32_t ColIx, std::int32_t FirstRow, std::int32_t LastRow,
                    TIntArray& B);
int CopyArrayColumn(const TBool2DArray& A, std::int32_t ColIx, std::int32_t FirstRow, std::int32_t LastRow,
                    TBoolArray& B);
/// B := A[FirstCol..LastCol][RowIx] (B resized).  -1 empty A; -2 if FirstCol < 0,
/// LastCol < FirstCol or LastCol >= Length(A); -3 if RowIx lies outside the rows.
int CopyArrayRow(const TDouble2DArray& A, std::int32_t RowIx, std::int32_t FirstCol, std::int32_t LastCol,
                 TDoubleArray& B);
int CopyArrayRow(const TInt2DArray& A, std::int32_t RowIx, std::int32_t FirstCol, std::int32_t LastCol,
                 TIntArray& B);
int CopyArrayRow(const TBool2DArray& A, std::int32_t RowIx, std::int32_t FirstCol, std::int32_t LastCol,
                 TBoolArray& B);

/// Copies A[ColIx][FirstRow..LastRow] into B from DestIx on without resizing B;
/// the block is cut at the end of B.  -1 empty A; -2 row bounds; -3 ColIx;
/// -4 DestIx < 0 or >= Length(B).
int Copy2DColTo1DArray(const TDouble2DArray& A, std::int32_t ColIx, std::int32_t FirstRow, std::int32_t LastRow,
                       TDoubleArray& B, std::int32_t DestIx);
/// Copies A[FirstCol..LastCol][RowIx] into B from DestIx on without resizing B;
/// the block is cut at the end of B.  -1 empty A; -2 column bounds; -3 RowIx;
/// -4 DestIx < 0 or >= Length(B).
int Copy2DRowTo1DArray(const TDouble2DArray& A, std::int32_t RowIx, std::int32_t FirstCol, std::int32_t LastCol,
                       TDoubleArray& B, std::int32_t DestIx);

/// Copies V[FirstIx..LastIx] to A[ColIx][RowIx], A[ColIx][RowIx + 1], ... and stops
/// at the end of the column.  (FirstIx, LastIx) = (0, 0) means all of V.
/// -1 if a bound lies outside V or LastIx < FirstIx; -2 if ColIx or RowIx lies outside A.
int CopyToArrayColumn(const TDoubleArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                      std::int32_t RowIx, TDouble2DArray& A);
int CopyToArrayColumn(const TIntArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                      std::int32_t RowIx, TInt2DArray& A);
int CopyToArrayColumn(const TBoolArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                      std::int32_t RowIx, TBool2DArray& A);
/// The row counterpart: A[ColIx + k][RowIx]; stops at the last column (or at a
/// column too short to hold RowIx).
int CopyToArrayRow(const TDoubleArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                   std::int32_t RowIx, TDouble2DArray& A);
int CopyToArrayRow(const TIntArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                   std::int32_t RowIx, TInt2DArray& A);
int CopyToArrayRow(const TBoolArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                   std::int32_t RowIx, TBool2DArray& A);

/// Withdrawn: always raises `EQMXError` "deprecated function, see help for
/// details" and copies nothing (use `CopyToArrayColumn`, `CopyToArrayRow`).
int CopyVectorToArrayColumn(const TDoubleArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                            std::int32_t RowIx, TDouble2DArray& A);
int CopyVectorToArrayColumn(const TIntArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                            std::int32_t RowIx, TInt2DArray& A);
int CopyVectorToArrayColumn(const TBoolArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                            std::int32_t RowIx, TBool2DArray& A);
int CopyVectorToArrayRow(const TDoubleArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                         std::int32_t RowIx, TDouble2DArray& A);
int CopyVectorToArrayRow(const TIntArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                         std::int32_t RowIx, TInt2DArray& A);
int CopyVectorToArrayRow(const TBoolArray& V, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t ColIx,
                         std::int32_t RowIx, TBool2DArray& A);

// ---------------------------------------------------------------------------
// Filling
// ---------------------------------------------------------------------------

/// Every cell := Value.
void FillArray(TDoubleArray& A, double Value);
void FillArray(TDouble2DArray& A, double Value);
void FillArray(TDouble3DArray& A, double Value);
void FillArray(TDouble4DArray& A, double Value);
void FillArray(TIntArray& A, std::int32_t Value);
void FillArray(TInt2DArray& A, std::int32_t Value);
void FillArray(TInt3DArray& A, std::int32_t Value);
void FillArray(TInt4DArray& A, std::int32_t Value);
void FillArray(TBoolArray& A, bool Value);
void FillArray(TBool2DArray& A, bool Value);

/// Fills the block given in corner order (1-D: FirstIx, LastIx; 2-D: Lo1, Lo2,
/// Hi1, Hi2; 3-D: three low, three high bounds; 4-D: four and four).
/// -1 empty A; -2 if a high bound is below its low bound or a bound lies outside A.
int FillArray(TDoubleArray& A, double Value, std::int32_t FirstIx, std::int32_t LastIx);
int FillArray(TIntArray& A, std::int32_t Value, std::int32_t FirstIx, std::int32_t LastIx);
int FillArray(TBoolArray& A, bool Value, std::int32_t FirstIx, std::int32_t LastIx);
int FillArray(TDouble2DArray& A, double Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
              std::int32_t Hi2);
int FillArray(TInt2DArray& A, std::int32_t Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
              std::int32_t Hi2);
int FillArray(TBool2DArray& A, bool Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1, std::int32_t Hi2);
int FillArray(TDouble3DArray& A, double Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
              std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3);
int FillArray(TInt3DArray& A, std::int32_t Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
              std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3);
int FillArray(TDouble4DArray& A, double Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
              std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Hi4);
int FillArray(TInt4DArray& A, std::int32_t Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
              std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Hi4);

/// 1-D: cell k := FirstValue + k * Increment.  2-D and higher: the cells in
/// storage order (first index outer) receive FirstValue, FirstValue + Increment,
/// ... by successive addition.  Integer values wrap around at the 32-bit limits.
/// -1 for an empty array, else 0.
int FillArraySerial(TDoubleArray& A, double FirstValue, double Increment);
int FillArraySerial(TDouble2DArray& A, double FirstValue, double Increment);
int FillArraySerial(TDouble3DArray& A, double FirstValue, double Increment);
int FillArraySerial(TDouble4DArray& A, double FirstValue, double Increment);
int FillArraySerial(TIntArray& A, std::int32_t FirstValue, std::int32_t Increment);
int FillArraySerial(TInt2DArray& A, std::int32_t FirstValue, std::int32_t Increment);
int FillArraySerial(TInt3DArray& A, std::int32_t FirstValue, std::int32_t Increment);
/// The same with FirstValue 0 and Increment 1.
int FillArraySerial(TDoubleArray& A);
int FillArraySerial(TDouble2DArray& A);
int FillArraySerial(TDouble3DArray& A);
int FillArraySerial(TDouble4DArray& A);
int FillArraySerial(TIntArray& A);
int FillArraySerial(TInt2DArray& A);
int FillArraySerial(TInt3DArray& A);

/// Cells whose indexes are all equal (A[i][i], A[i][i][i], ...) := Value, every
/// other cell := 0.  -1 empty; -2 unless all dimensions have the same length.
int FillDiagArray(TDouble2DArray& A, double Value);
int FillDiagArray(TDouble3DArray& A, double Value);
int FillDiagArray(TDouble4DArray& A, double Value);
int FillDiagArray(TInt2DArray& A, std::int32_t Value);
int FillDiagArray(TInt3DArray& A, std::int32_t Value);
int FillDiagArray(TInt4DArray& A, std::int32_t Value);

/// Cell := r * (High - Low) + Low with r uniform on [0, 1), in storage order;
/// where High - Low overflows, (1 - r) * Low + r * High (cells stay between
/// the bounds).
void FillRandomUniform(TDoubleArray& A, double Low, double High);
void FillRandomUniform(TDouble2DArray& A, double Low, double High);
void FillRandomUniform(TDouble3DArray& A, double Low, double High);
void FillRandomUniform(TDouble4DArray& A, double Low, double High);
/// Cell := floor(Low + (High - Low) * r) with r uniform on [0, 1): Low .. High - 1
/// (High itself is not produced; Low = High gives Low).  -1 empty A; -2 Low > High.
int FillRandomUniform(TIntArray& A, std::int32_t Low, std::int32_t High);
int FillRandomUniform(TInt2DArray& A, std::int32_t Low, std::int32_t High);
int FillRandomUniform(TInt3DArray& A, std::int32_t Low, std::int32_t High);
int FillRandomUniform(TInt4DArray& A, std::int32_t Low, std::int32_t High);
/// Uniform integers in Low .. High inclusive.  With Repetitions each cell is drawn
/// independently; without, the cells are Length(A) distinct values, each subset
/// and order equally likely (a partial Fisher-Yates shuffle of Low .. High).
/// -1 empty A; -2 High < Low; without repetitions also -3 if High - Low + 1 <
/// Length(A) and -4 if High - Low + 1 > 1000000.
int FillRandomUniform(TIntArray& A, std::int32_t Low, std::int32_t High, bool Repetitions);

/// Cell := a normal deviate of mean Mean and standard deviation StdDev (`RandG`).
void FillRandomNormal(TDoubleArray& A, double Mean, double StdDev);
void FillRandomNormal(TDouble2DArray& A, double Mean, double StdDev);
void FillRandomNormal(TDouble3DArray& A, double Mean, double StdDev);
void FillRandomNormal(TDouble4DArray& A, double Mean, double StdDev);

/// Sets the cells whose mask value is false to Value; an empty (nil) mask sets
/// every cell.  -2 for an empty A; -1 if a mask is given and its layout differs
/// from A's; otherwise the number of cells set.
int FillArrayMasked(TDouble2DArray& A, double Value, const TBool2DArray& Mask);
int FillArrayMasked(TInt2DArray& A, std::int32_t Value, const TBool2DArray& Mask);

// ---------------------------------------------------------------------------
// Transforms
// ---------------------------------------------------------------------------

/// Reverses the order along dimension Dim (1 = first index, 2 = second, ...).
/// -1 for an empty array; -2 (A unchanged) if Dim lies outside 1 .. rank.
int FlipDimArray(TDoubleArray& A, std::int32_t Dim);
int FlipDimArray(TDouble2DArray& A, std::int32_t Dim);
int FlipDimArray(TDouble3DArray& A, std::int32_t Dim);
int FlipDimArray(TDouble4DArray& A, std::int32_t Dim);
int FlipDimArray(TIntArray& A, std::int32_t Dim);
int FlipDimArray(TInt2DArray& A, std::int32_t Dim);
int FlipDimArray(TInt3DArray& A, std::int32_t Dim);
int FlipDimArray(TInt4DArray& A, std::int32_t Dim);

/// B sized like Mask; cell := TrueValue where Mask is true, else FalseValue.
/// -1 (B untouched) for an empty mask.
int BoolToNumArray(const TBoolArray& Mask, std::int32_t FalseValue, std::int32_t TrueValue, TIntArray& B);
int BoolToNumArray(const TBoolArray& Mask, double FalseValue, double TrueValue, TDoubleArray& B);
int BoolToNumArray(const TBool2DArray& Mask, std::int32_t FalseValue, std::int32_t TrueValue, TInt2DArray& B);
int BoolToNumArray(const TBool2DArray& Mask, double FalseValue, double TrueValue, TDouble2DArray& B);

/// B := (cell > Threshold), sized like A.  -1 (B untouched) for an empty A.
int DichotomizeArray(const TDouble2DArray& A, double Threshold, TBool2DArray& B);
int DichotomizeArray(const TInt2DArray& A, std::int32_t Threshold, TBool2DArray& B);
int DichotomizeArray(const TIntArray& A, std::int32_t Threshold, TBoolArray& B);
/// Low and High are ordered first; B := (Low <= cell <= High).  -1 for an empty A.
int DichotomizeArray(const TDouble2DArray& A, double Low, double High, TBool2DArray& B);
int DichotomizeArray(const TInt2DArray& A, std::int32_t Low, std::int32_t High, TBool2DArray& B);
int DichotomizeArray(const TIntArray& A, std::int32_t Low, std::int32_t High, TBoolArray& B);

/// True when A and B have the same lengths in every dimension and all cells are
/// equal (stops at the first difference).
bool EqualArrays(const TIntArray& A, const TIntArray& B);
bool EqualArrays(const TInt2DArray& A, const TInt2DArray& B);
bool EqualArrays(const TInt3DArray& A, const TInt3DArray& B);
bool EqualArrays(const TInt4DArray& A, const TInt4DArray& B);

/// Draws a random sub-array of A.  ColIdx, RowIdx and B must be non-empty on
/// entry.  Codes, checked in this order: -3 A empty or not rectangular; -4 B
/// empty; -5 ColIdx or RowIdx empty; NCols := round(Length(A) * PercCols / 100)
/// (ties to even), -1 if NCols <= 0 or PercCols > 100; NRows likewise from
/// Length(A[0]) and PercRows, -2.  ColIdx := NCols 1-based column numbers (all
/// columns in order when NCols = Length(A), otherwise distinct random ones);
/// RowIdx := NRows 1-based row numbers drawn with or without repetitions as
/// Repetitions says; B := NCols x NRows with B[i][j] = A[ColIdx[i] - 1][RowIdx[j] - 1].
/// Result 0.
int Resample2DArray(const TDouble2DArray& A, TDouble2DArray& B, double PercCols, double PercRows, bool Repetitions,
                    TIntArray& ColIdx, TIntArray& RowIdx);

/// Maps every cell onto NumLevels output levels: LowOut if v <= LowIn, HighOut if
/// v >= HighIn, otherwise LowOut + k * (HighOut - LowOut) / (NumLevels - 1) with
/// k = floor((v - LowIn) / ((HighIn - LowIn) / (NumLevels - 2))) + 1 (at most
/// NumLevels - 2).  -1 if NumLevels < 3; -2 unless LowIn < HighIn, both finite.  Result 0.
/// Widths and levels are computed in 80 bits (bounds near the largest double
/// do not overflow); NaN cells stay NaN.
int DiscretizeArray(TDouble2DArray& A, std::int32_t NumLevels, double LowIn, double HighIn, double LowOut,
                    double HighOut);

/// Adds A cell by cell into the running sum Accu; an empty Accu is first set to
/// a copy of A.  -1 for an empty A; -2 if Accu is not empty and its layout
/// differs from A's (Accu unchanged).  Integer sums wrap around at the 32-bit limits.
int AccumulateArray(const TDoubleArray& A, TDoubleArray& Accu);
int AccumulateArray(const TDouble2DArray& A, TDouble2DArray& Accu);
int AccumulateArray(const TDouble3DArray& A, TDouble3DArray& Accu);
int AccumulateArray(const TDouble4DArray& A, TDouble4DArray& Accu);
int AccumulateArray(const TIntArray& A, TIntArray& Accu);
int AccumulateArray(const TInt2DArray& A, TInt2DArray& Accu);
int AccumulateArray(const TInt3DArray& A, TInt3DArray& Accu);
int AccumulateArray(const TInt4DArray& A, TInt4DArray& Accu);

/// Reorders A so that new A[i] = old A[Perm[i]] (Perm 0-based).  -1 for an empty
/// A; -2 (A unchanged) if Perm is not a permutation of 0 .. Length(A) - 1.
int PermuteArray(TDoubleArray& A, const TIntArray& Perm);
int PermuteArray(TIntArray& A, const TIntArray& Perm);

/// Maps the cells linearly so that the smallest becomes NewLow and the largest
/// NewHigh exactly (NewLow > NewHigh reverses the order).  -1 for an empty array; -2
/// (A unchanged) if a cell is not finite or all cells are equal.
int RescaleArray(TDoubleArray& A, double NewLow, double NewHigh);
int RescaleArray(TDouble2DArray& A, double NewLow, double NewHigh);

}  // namespace qmx
