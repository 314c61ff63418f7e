#pragma once
/// \file
/// Statistics, extreme values, counting, element-wise arithmetic and small
/// matrix operations on the shared dynamic arrays.
///
/// Conventions of every function here:
/// - arrays are 0-based; a 2-D array is A[column][row] (Length(A) columns,
///   Length(A[0]) rows), 3-D and 4-D arrays add layer and time-slot indices;
/// - result codes: 0 success, -1 an input array is empty, -2 an index range is
///   invalid or two sizes differ; further codes are given per function;
/// - ranges come in *corner order* (all lower bounds, then all upper bounds:
///   Lo1, Lo2, Hi1, Hi2) or in *pair order* (Lo1, Hi1, Lo2, Hi2), as stated;
/// - 3-D and 4-D ranges follow the 2-D rule dimension by dimension;
/// - "empty" means that a length along A, A[0], A[0][0], ... is 0;
/// - rows of unequal length are never read beyond their end: a range that does
///   not fit every sub-array it touches is an invalid range (-2), whole-array
///   walks visit each sub-array over its own length;
/// - integer results that do not fit their type saturate at its limits.
/// No function raises an exception of its own.

#include <cstdint>
#include <span>

#include "qmx/foundation/frame.hpp"

namespace qmx {

// ---------------------------------------------------------------------------
// Mean and standard deviation
// ---------------------------------------------------------------------------

/// Mean of the cells FirstIx..LastIx, summed in 80-bit precision.  Mean := 0
/// first; -1 empty array; -2 unless 0 <= FirstIx <= LastIx < Length(A).
std::int32_t MeanArray(const TDoubleArray& A, std::int32_t FirstIx, std::int32_t LastIx, double& Mean);
std::int32_t MeanArray(const TIntArray& A, std::int32_t FirstIx, std::int32_t LastIx, double& Mean);
/// Mean of a block in corner order (Lo1, Lo2, Hi1, Hi2); each dimension is checked as in 1-D.
std::int32_t MeanArray(const TDouble2DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1, std::int32_t Hi2,
                       double& Mean);
std::int32_t MeanArray(const TInt2DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1, std::int32_t Hi2,
                       double& Mean);
/// Mean of a block in corner order (Lo1, Lo2, Lo3, Hi1, Hi2, Hi3).
std::int32_t MeanArray(const TDouble3DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3, std::int32_t Hi1,
                       std::int32_t Hi2, std::int32_t Hi3, double& Mean);
std::int32_t MeanArray(const TInt3DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3, std::int32_t Hi1,
                       std::int32_t Hi2, std::int32_t Hi3, double& Mean);
/// Mean of a block in corner order (Lo1..Lo4, Hi1..Hi4).
std::int32_t MeanArray(const TDouble4DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3, std::int32_t Lo4,
                       std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Hi4, double& Mean);
std::int32_t MeanArray(const TInt4DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3, std::int32_t Lo4,
                       std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Hi4, double& Mean);

/// Sample standard deviation (denominator n - 1) of the selected cells, with the
/// arguments, range orders and codes of `MeanArray`; a single cell gives 0.
/// Computed in two passes (mean, then squared deviations) in 80-bit precision,
/// rooted before rounding: finite whenever it fits a double.
std::int32_t StdDevArray(const TDoubleArray& A, std::int32_t FirstIx, std::int32_t LastIx, double& StdDev);
std::int32_t StdDevArray(const TIntArray& A, std::int32_t FirstIx, std::int32_t LastIx, double& StdDev);
std::int32_t StdDevArray(const TDouble2DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                         std::int32_t Hi2, double& StdDev);
std::int32_t StdDevArray(const TInt2DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1, std::int32_t Hi2,
                         double& StdDev);
std::int32_t StdDevArray(const TDouble3DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                         std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, double& StdDev);
std::int32_t StdDevArray(const TInt3DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3, std::int32_t Hi1,
                         std::int32_t Hi2, std::int32_t Hi3, double& StdDev);
std::int32_t StdDevArray(const TDouble4DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
                         std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Hi4,
                         double& StdDev);
std::int32_t StdDevArray(const TInt4DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3, std::int32_t Lo4,
                         std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Hi4, double& StdDev);

/// Mean absolute deviation from the mean, (1/n) * sum |A[i] - mean|, of the first
/// NData cells (A[0..NData-1]), in 80-bit precision.  MeanDev := 0 first;
/// -1 empty array; -2 unless 1 <= NData <= Length(A).
std::int32_t MeanAbsDev(const TDoubleArray& A, std::int32_t NData, double& MeanDev);
std::int32_t MeanAbsDev(const TIntArray& A, std::int32_t NData, double& MeanDev);

/// Mean and sample variance (denominator n - 1; 0 for a single cell) of the
/// cells FirstIx..LastIx, in 80-bit precision.  Both := 0 first; codes as `MeanArray`.
std::int32_t MeanVarArray(const TDoubleArray& A, std::int32_t FirstIx, std::int32_t LastIx, double& Mean,
                          double& Variance);
std::int32_t MeanVarArray(const TIntArray& A, std::int32_t FirstIx, std::int32_t LastIx, double& Mean,
                          double& Variance);
/// The same over a block in corner order (Lo1, Lo2, Hi1, Hi2).
std::int32_t MeanVarArray(const TDouble2DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                          std::int32_t Hi2, double& Mean, double& Variance);
std::int32_t MeanVarArray(const TInt2DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1, std::int32_t Hi2,
                          double& Mean, double& Variance);

// ---------------------------------------------------------------------------
// Extreme values
// ---------------------------------------------------------------------------

/// The largest cell and the index of its first occurrence.  An empty array
/// returns -2147483648 and leaves Ix unchanged.  NaN cells are skipped in every
/// extreme search below; only an array (range) of NaN alone gives NaN, at its
/// first cell.
double MaxArray(const TDoubleArray& A, std::int32_t& Ix);
double MaxArray(const TDoubleArray& A);
std::int32_t MaxArray(const TIntArray& A, std::int32_t& Ix);
std::int32_t MaxArray(const TIntArray& A);
/// The largest cell of a 2-D array with its column Ix1 and row Ix2 (columns
/// walked outer, first occurrence wins; both indices start at 0).
double MaxArray(const TDouble2DArray& A, std::int32_t& Ix1, std::int32_t& Ix2);
std::int32_t MaxArray(const TInt2DArray& A, std::int32_t& Ix1, std::int32_t& Ix2);
double MaxArray(const TDouble2DArray& A);
std::int32_t MaxArray(const TInt2DArray& A);
double MaxArray(const TDouble3DArray& A);
std::int32_t MaxArray(const TInt3DArray& A);
double MaxArray(const TDouble4DArray& A);
std::int32_t MaxArray(const TInt4DArray& A);

/// The smallest cell, mirror image of `MaxArray`; an empty array returns 2147483647.
double MinArray(const TDoubleArray& A, std::int32_t& Ix);
double MinArray(const TDoubleArray& A);
std::int32_t MinArray(const TIntArray& A, std::int32_t& Ix);
std::int32_t MinArray(const TIntArray& A);
double MinArray(const TDouble2DArray& A, std::int32_t& Ix1, std::int32_t& Ix2);
std::int32_t MinArray(const TInt2DArray& A, std::int32_t& Ix1, std::int32_t& Ix2);
double MinArray(const TDouble2DArray& A);
std::int32_t MinArray(const TInt2DArray& A);
double MinArray(const TDouble3DArray& A);
std::int32_t MinArray(const TInt3DArray& A);
double MinArray(const TDouble4DArray& A);
std::int32_t MinArray(const TInt4DArray& A);

/// Both extremes of all cells (NaN cells skipped).  MinVal := the largest finite double, MaxVal := its
/// negative (integer arrays: 2147483647 and -2147483648); -1 for an empty array
/// (the start values are kept); otherwise both start at the first cell, 0.
/// The 32-bit float member reports through double outputs.
std::int32_t MinMaxArray(const TSingleArray& A, double& MinVal, double& MaxVal);
std::int32_t MinMaxArray(const TDoubleArray& A, double& MinVal, double& MaxVal);
std::int32_t MinMaxArray(const TDouble2DArray& A, double& MinVal, double& MaxVal);
std::int32_t MinMaxArray(const TDouble3DArray& A, double& MinVal, double& MaxVal);
std::int32_t MinMaxArray(const TDouble4DArray& A, double& MinVal, double& MaxVal);
std::int32_t MinMaxArray(std::span<const double> A, double& MinVal, double& MaxVal);
std::int32_t MinMaxArray(const TIntArray& A, std::int32_t& MinVal, std::int32_t& MaxVal);
std::int32_t MinMaxArray(const TInt2DArray& A, std::int32_t& MinVal, std::int32_t& MaxVal);
std::int32_t MinMaxArray(const TInt3DArray& A, std::int32_t& MinVal, std::int32_t& MaxVal);
std::int32_t MinMaxArray(const TInt4DArray& A, std::int32_t& MinVal, std::int32_t& MaxVal);
std::int32_t MinMaxArray(std::span<const std::int32_t> A, std::int32_t& MinVal, std::int32_t& MaxVal);
/// Extremes of A[FirstIx..LastIx] and their first positions.  The outputs start
/// at (largest double, its negative, 0, 0); -1 empty; -2 if a bound lies outside
/// 0..Length - 1; FirstIx > LastIx scans nothing.  A scan starts at the first
/// cell of the range, so ranges holding infinities report them correctly.
std::int32_t MinMaxArray(const TDoubleArray& A, std::int32_t FirstIx, std::int32_t LastIx, double& MinVal,
                         double& MaxVal, std::int32_t& MinIx, std::int32_t& MaxIx);
std::int32_t MinMaxArray(const TIntArray& A, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t& MinVal,
                         std::int32_t& MaxVal, std::int32_t& MinIx, std::int32_t& MaxIx);
/// The 2-D form in corner order (Lo1, Lo2, Hi1, Hi2); positions as (column, row);
/// Hi < Lo in a dimension scans nothing.
std::int32_t MinMaxArray(const TDouble2DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                         std::int32_t Hi2, double& MinVal, double& MaxVal, std::int32_t& MinIx1, std::int32_t& MinIx2,
                         std::int32_t& MaxIx1, std::int32_t& MaxIx2);
std::int32_t MinMaxArray(const TInt2DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1, std::int32_t Hi2,
                         std::int32_t& MinVal, std::int32_t& MaxVal, std::int32_t& MinIx1, std::int32_t& MinIx2,
                         std::int32_t& MaxIx1, std::int32_t& MaxIx2);

// ---------------------------------------------------------------------------
// Percentiles and frequency distributions
// ---------------------------------------------------------------------------

/// The Perc-th percentile (Perc clamped to 0..100) without interpolation: the
/// k-th smallest cell with k = round-half-even(n * Perc / 100), at most n - 1,
/// found by selection on a copy.  0 for an empty array; NaN for a NaN Perc;
/// NaN cells rank above every number.
double PercentileArray(double Perc, const TDoubleArray& A);
/// The same over A[FirstIx..LastIx]; each bound is clamped to 0..Length - 1, then ordered.
double PercentileArray(double Perc, const TDoubleArray& A, std::int32_t FirstIx, std::int32_t LastIx);
double PercentileArray(double Perc, const TIntArray& A);
/// The same over a block in corner order, bounds clamped to the dimensions and ordered.
double PercentileArray(double Perc, const TDouble2DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                       std::int32_t Hi2);

/// Histogram of A[FirstIx..LastIx] ((0, 0) = the whole array) in
/// NBins = round-half-even(|LastBin - FirstBin| / BinWidth) + 1 bins of width
/// BinWidth starting at FirstBin.  Codes: -1 a bound is negative or >= Length(A);
/// -2 LastIx < FirstIx; -3 FirstBin >= LastBin; -4 BinWidth <= 0; -5 more than
/// 1000 bins.  On success Histo := NBins counts; values below FirstBin count as
/// Underflow, values beyond the last bin as Overflow; NaN cells are not counted;
/// MaxCnt is the largest bin count.  On failure the outputs are untouched.
std::int32_t FrequDistOfArray(const TDoubleArray& A, std::int32_t FirstIx, std::int32_t LastIx, double FirstBin,
                              double LastBin, double BinWidth, TIntArray& Histo, std::int32_t& Underflow,
                              std::int32_t& Overflow, std::int32_t& MaxCnt);
/// The 2-D form in corner order; all four bounds 0 = the whole array; -1 for a
/// bound outside its dimension, -2 for Hi < Lo in a dimension.
std::int32_t FrequDistOfArray(const TDouble2DArray& A, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
                              std::int32_t Hi2, double FirstBin, double LastBin, double BinWidth, TIntArray& Histo,
                              std::int32_t& Underflow, std::int32_t& Overflow, std::int32_t& MaxCnt);
/// The 2-D form with a mask: cells whose mask value is true are skipped; -6 if
/// the mask's dimensions differ from the data's.
std::int32_t FrequDistOfArray(const TDouble2DArray& A, const TBool2DArray& Mask, std::int32_t Lo1, std::int32_t Lo2,
                              std::int32_t Hi1, std::int32_t Hi2, double FirstBin, double LastBin, double BinWidth,
                              TIntArray& Histo, std::int32_t& Underflow, std::int32_t& Overflow, std::int32_t& MaxCnt);

// ---------------------------------------------------------------------------
// Counting and masked sums
// ---------------------------------------------------------------------------

/// Number of cells of A[FirstIx..LastIx] with LowVal <= v <= HighVal.  -1 empty;
/// -2 if a bound lies outside 0..Length - 1, LastIx < FirstIx or HighVal < LowVal.
std::int32_t CountValues(const TDoubleArray& A, std::int32_t FirstIx, std::int32_t LastIx, double LowVal,
                         double HighVal);
std::int32_t CountValues(const TIntArray& A, std::int32_t FirstIx, std::int32_t LastIx, std::int32_t LowVal,
                         std::int32_t HighVal);
/// The same over a block in pair order (Lo1, Hi1, Lo2, Hi2, ...).
std::int32_t CountValues(const TDouble2DArray& A, std::int32_t Lo1, std::int32_t Hi1, std::int32_t Lo2,
                         std::int32_t Hi2, double LowVal, double HighVal);
std::int32_t CountValues(const TInt2DArray& A, std::int32_t Lo1, std::int32_t Hi1, std::int32_t Lo2, std::int32_t Hi2,
                         std::int32_t LowVal, std::int32_t HighVal);
std::int32_t CountValues(const TDouble3DArray& A, std::int32_t Lo1, std::int32_t Hi1, std::int32_t Lo2,
                         std::int32_t Hi2, std::int32_t Lo3, std::int32_t Hi3, double LowVal, double HighVal);
std::int32_t CountValues(const TInt3DArray& A, std::int32_t Lo1, std::int32_t Hi1, std::int32_t Lo2, std::int32_t Hi2,
                         std::int32_t Lo3, std::int32_t Hi3, std::int32_t LowVal, std::int32_t HighVal);
std::int32_t CountValues(const TDouble4DArray& A, std::int32_t Lo1, std::int32_t Hi1, std::int32_t Lo2,
                         std::int32_t Hi2, std::int32_t Lo3, std::int32_t Hi3, std::int32_t Lo4, std::int32_t Hi4,
                         double LowVal, double HighVal);
std::int32_t CountValues(const TInt4DArray& A, std::int32_t Lo1, std::int32_t Hi1, std::int32_t Lo2, std::int32_t Hi2,
                         std::int32_t Lo3, std::int32_t Hi3, std::int32_t Lo4, std::int32_t Hi4, std::int32_t LowVal,
                         std::int32_t HighVal);

/// Number of true cells.
std::int32_t CountTrueCellsOfArray(const TBoolArray& A);
std::int32_t CountTrueCellsOfArray(const TBool2DArray& A);
/// Number of true cells of a block in pair order: -1 empty array; a pair (0, 0)
/// means the whole dimension; each pair is ordered; -2 if a bound lies outside.
std::int32_t CountTrueCellsOfArray(const TBool2DArray& A, std::int32_t Lo1, std::int32_t Hi1, std::int32_t Lo2,
                                   std::int32_t Hi2);

/// Sum of the cells whose mask value is false (an empty Mask sums every cell).
/// Sum := 0; -2 empty array; -1 if a mask is given and its dimensions differ;
/// otherwise the number of cells summed.  The double sum is accumulated in
/// 80-bit precision; the integer sum is exact in 64 bits.
std::int32_t SumArrayMasked(const TDouble2DArray& A, const TBool2DArray& Mask, double& Sum);
std::int32_t SumArrayMasked(const TInt2DArray& A, const TBool2DArray& Mask, std::int64_t& Sum);

/// Sum of (A[i] - B[i])^2; -1.0 if either array is empty, -2.0 if the lengths differ.
double SumOfSquaredDiffs(const TDoubleArray& A, const TDoubleArray& B);
/// The same between A and column M[ColIx]: -1.0 empty, -2.0 if Length(A) differs
/// from the column length, -3.0 if ColIx lies outside 0..Length(M) - 1.
double SumOfSquaredDiffs(const TDoubleArray& A, const TDouble2DArray& M, std::int32_t ColIx);

// ---------------------------------------------------------------------------
// Correlation and distances
// ---------------------------------------------------------------------------

/// Pearson correlation of columns Col1 and Col2 over all Length(A[0]) rows; 0 when
/// n < 3, a column has no spread, Sum x^2 or Sum y^2 is 0, or a column index is invalid.
double PearsonCorrCoeffColsOfArray(const TDouble2DArray& A, std::int32_t Col1, std::int32_t Col2);

/// Distance or similarity of the objects (rows) RowA and RowB over the variables
/// (columns) FirstCol..LastCol: ordinal 0 Tanimoto, 1 Manhattan, 2 Euclidean,
/// 3 squared Euclidean, 4 Dice.  Dist := 0; codes, later checks overwriting
/// earlier ones: -1 mode `dmUser` (or beyond), -2 a row outside the array, -3 a
/// column outside, -4 LastCol < FirstCol.  A similarity whose denominator is 0
/// (two zero objects) is 0.
std::int32_t DistanceOfObjects(const TDouble2DArray& A, TDistMode Mode, std::int32_t RowA, std::int32_t RowB,
                               std::int32_t FirstCol, std::int32_t LastCol, double& Dist);

// ---------------------------------------------------------------------------
// Local statistics and linearity
// ---------------------------------------------------------------------------

/// Mean of A[Center] and of its neighbours Center -+ k (k = 1..Radius) lying
/// within LowLimit..HighLimit; all four arguments are clamped to 0..Length - 1.
/// 0 for an empty array.
double LocalMean(const TDoubleArray& A, std::int32_t Center, std::int32_t Radius, std::int32_t LowLimit,
                 std::int32_t HighLimit);
double LocalMean(const TIntArray& A, std::int32_t Center, std::int32_t Radius, std::int32_t LowLimit,
                 std::int32_t HighLimit);
/// Median of the cells `LocalMean` selects (the mean of the two middle ones for
/// an even count, taken in 80 bits so that it cannot overflow); 0 for an empty array.
double LocalMedian(const TDoubleArray& A, std::int32_t Center, std::int32_t Radius, std::int32_t LowLimit,
                   std::int32_t HighLimit);
double LocalMedian(const TIntArray& A, std::int32_t Center, std::int32_t Radius, std::int32_t LowLimit,
                   std::int32_t HighLimit);

/// Finds where the step between neighbours changes: Breaks := the indices i - 1
/// at which A[i] - A[i-1] differs from the step before (which then becomes the
/// new step); returns their number.  Fewer than 3 cells: 0, Breaks untouched.
std::int32_t CheckLinearity(const TIntArray& A, TIntArray& Breaks);
/// The same with a tolerance: a break is a change of step by more than Tol.
std::int32_t CheckLinearity(const TDoubleArray& A, double Tol, TIntArray& Breaks);

// ---------------------------------------------------------------------------
// Monotony and dichotomy
// ---------------------------------------------------------------------------

/// True when the cells never change direction (equal neighbours allowed);
/// true for fewer than 3 cells; false if a cell is NaN.
bool IsMonotone(const TDoubleArray& A);
bool IsMonotone(const TIntArray& A);
/// True when every neighbour pair differs in the same direction; true for fewer
/// than 3 cells; false if a cell is NaN.
bool IsStrictlyMonotone(const TDoubleArray& A);
bool IsStrictlyMonotone(const TIntArray& A);
/// True when the array holds exactly two different values, returned ordered
/// (Val1 < Val2).  Val1 := Val2 := 0 first; false for fewer than 2 cells, for a
/// single value, for three or more values, and for arrays holding NaN.
bool IsDichotomous(const TDoubleArray& A, double& Val1, double& Val2);
bool IsDichotomous(const TIntArray& A, std::int32_t& Val1, std::int32_t& Val2);

// ---------------------------------------------------------------------------
// Element-wise arithmetic (-1 an input is empty, -2 the sizes differ; the
// output array is (re)sized like the input and may be one of the inputs;
// integer results saturate at the 32-bit limits)
// ---------------------------------------------------------------------------

/// C := A + B.
std::int32_t AddArrays(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C);
std::int32_t AddArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C);
std::int32_t AddArrays(const TDouble3DArray& A, const TDouble3DArray& B, TDouble3DArray& C);
std::int32_t AddArrays(const TDouble4DArray& A, const TDouble4DArray& B, TDouble4DArray& C);
std::int32_t AddArrays(const TIntArray& A, const TIntArray& B, TIntArray& C);
std::int32_t AddArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C);
std::int32_t AddArrays(const TInt3DArray& A, const TInt3DArray& B, TInt3DArray& C);
std::int32_t AddArrays(const TInt4DArray& A, const TInt4DArray& B, TInt4DArray& C);

/// C := A - B.
std::int32_t SubtractArrays(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C);
std::int32_t SubtractArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C);
std::int32_t SubtractArrays(const TDouble3DArray& A, const TDouble3DArray& B, TDouble3DArray& C);
std::int32_t SubtractArrays(const TDouble4DArray& A, const TDouble4DArray& B, TDouble4DArray& C);
std::int32_t SubtractArrays(const TIntArray& A, const TIntArray& B, TIntArray& C);
std::int32_t SubtractArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C);
std::int32_t SubtractArrays(const TInt3DArray& A, const TInt3DArray& B, TInt3DArray& C);
std::int32_t SubtractArrays(const TInt4DArray& A, const TInt4DArray& B, TInt4DArray& C);

/// C := A * B cell by cell.
std::int32_t MultiplyArraysElemw(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C);
std::int32_t MultiplyArraysElemw(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C);
std::int32_t MultiplyArraysElemw(const TIntArray& A, const TIntArray& B, TIntArray& C);
std::int32_t MultiplyArraysElemw(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C);

/// B := A * s, or A := A * s in place.
std::int32_t MultiplyArrayByScalar(const TDoubleArray& A, double s, TDoubleArray& B);
std::int32_t MultiplyArrayByScalar(const TDouble2DArray& A, double s, TDouble2DArray& B);
std::int32_t MultiplyArrayByScalar(const TDouble3DArray& A, double s, TDouble3DArray& B);
std::int32_t MultiplyArrayByScalar(const TDouble4DArray& A, double s, TDouble4DArray& B);
std::int32_t MultiplyArrayByScalar(const TIntArray& A, std::int32_t s, TIntArray& B);
std::int32_t MultiplyArrayByScalar(const TInt2DArray& A, std::int32_t s, TInt2DArray& B);
std::int32_t MultiplyArrayByScalar(const TInt3DArray& A, std::int32_t s, TInt3DArray& B);
std::int32_t MultiplyArrayByScalar(const TInt4DArray& A, std::int32_t s, TInt4DArray& B);
std::int32_t MultiplyArrayByScalar(TDoubleArray& A, double s);
std::int32_t MultiplyArrayByScalar(TDouble2DArray& A, double s);
std::int32_t MultiplyArrayByScalar(TDouble3DArray& A, double s);
std::int32_t MultiplyArrayByScalar(TDouble4DArray& A, double s);
std::int32_t MultiplyArrayByScalar(TIntArray& A, std::int32_t s);
std::int32_t MultiplyArrayByScalar(TInt2DArray& A, std::int32_t s);
std::int32_t MultiplyArrayByScalar(TInt3DArray& A, std::int32_t s);
std::int32_t MultiplyArrayByScalar(TInt4DArray& A, std::int32_t s);

/// B := A + s.
std::int32_t AddScalarToArray(const TDoubleArray& A, double s, TDoubleArray& B);
std::int32_t AddScalarToArray(const TDouble2DArray& A, double s, TDouble2DArray& B);
std::int32_t AddScalarToArray(const TDouble3DArray& A, double s, TDouble3DArray& B);
std::int32_t AddScalarToArray(const TDouble4DArray& A, double s, TDouble4DArray& B);
std::int32_t AddScalarToArray(const TIntArray& A, std::int32_t s, TIntArray& B);
std::int32_t AddScalarToArray(const TInt2DArray& A, std::int32_t s, TInt2DArray& B);
std::int32_t AddScalarToArray(const TInt3DArray& A, std::int32_t s, TInt3DArray& B);
std::int32_t AddScalarToArray(const TInt4DArray& A, std::int32_t s, TInt4DArray& B);

/// A := A + s in place.
std::int32_t IncArray(TDoubleArray& A, double s);
std::int32_t IncArray(TDouble2DArray& A, double s);
std::int32_t IncArray(TDouble3DArray& A, double s);
std::int32_t IncArray(TDouble4DArray& A, double s);
std::int32_t IncArray(TIntArray& A, std::int32_t s);
std::int32_t IncArray(TInt2DArray& A, std::int32_t s);
std::int32_t IncArray(TInt3DArray& A, std::int32_t s);
std::int32_t IncArray(TInt4DArray& A, std::int32_t s);

/// A := |A| in place (|-2147483648| saturates to 2147483647).
std::int32_t AbsValArray(TDoubleArray& A);
std::int32_t AbsValArray(TDouble2DArray& A);
std::int32_t AbsValArray(TDouble3DArray& A);
std::int32_t AbsValArray(TDouble4DArray& A);
std::int32_t AbsValArray(TIntArray& A);
std::int32_t AbsValArray(TInt2DArray& A);
std::int32_t AbsValArray(TInt3DArray& A);
std::int32_t AbsValArray(TInt4DArray& A);

/// A[i] := 1 / A[i], and A[i] := ZeroValue where A[i] = 0; -1 empty, else 0.
std::int32_t ReciprocalArray(TDoubleArray& A, double ZeroValue);
std::int32_t ReciprocalArray(TDouble2DArray& A, double ZeroValue);
std::int32_t ReciprocalArray(TDouble3DArray& A, double ZeroValue);
std::int32_t ReciprocalArray(TDouble4DArray& A, double ZeroValue);

/// Logical negation of every cell; -1 empty, else 0.
std::int32_t InvertArray(TBoolArray& A);
std::int32_t InvertArray(TBool2DArray& A);

// ---------------------------------------------------------------------------
// Matrix operations on 2-D arrays (A[c][r] is the matrix element of row r and
// column c)
// ---------------------------------------------------------------------------

/// Sum of the diagonal A[i][i].  Trace := 0; -1 empty; -2 not square.
std::int32_t TraceOfArray(const TDouble2DArray& A, double& Trace);
std::int32_t TraceOfArray(const TInt2DArray& A, std::int64_t& Trace);

/// Replaces A by its transpose; -1 empty; -2 rows of unequal length.
std::int32_t TransposeArray(TDouble2DArray& A);
std::int32_t TransposeArray(TInt2DArray& A);
std::int32_t TransposeArray(TBool2DArray& A);

/// Replaces the square matrix A by its inverse (Crout LU decomposition with
/// implicit partial pivoting, then substitution against the unit vectors).
/// -1 if A is empty or not square; -3 if A is singular (a zero row, a zero
/// pivot, a non-finite cell or an inverse that overflows) or the calculation was
/// aborted; A is unchanged on failure.  One progress step per column of the
/// decomposition (`ProcStat`, `MathFeedBackProc`); a set `AbortMathProc` stops it.
std::int32_t InvertArray(TDouble2DArray& A);

/// Divides every column (row) by its Euclidean norm (norm and quotients in 80
/// bits, so huge and denormal cells normalise too); a norm of 0 leaves it
/// unchanged and makes the result -1; 0 otherwise, also for an empty array.  A
/// NaN or infinite cell makes the norm non-finite (cells become NaN or 0).
std::int32_t NormalizeColumns(TDouble2DArray& A);
std::int32_t NormalizeRows(TDouble2DArray& A);

/// Subtracts from every column (row) its mean; Means receives the means (resized
/// to the number of columns (rows)) only when it is not empty on entry.
void MeanCenterColumnsOfArray(TDouble2DArray& A, TDoubleArray& Means);
void MeanCenterRowsOfArray(TDouble2DArray& A, TDoubleArray& Means);

/// The hat matrix H := X (X'X)^-1 X' (n x n for X of n rows), built from
/// `TransposeArray`, `MultiplyArrays` and `InvertArray` (whose progress steps and
/// abort check it inherits).  -1 empty X; -2 rows of unequal length; -3 X'X is
/// singular or the inversion was aborted (H untouched).
std::int32_t CalcHatMatrix(const TDouble2DArray& X, TDouble2DArray& H);

/// Matrix product C := A * B (C has Length(B) columns and Length(A[0]) rows).
/// -1 an input is empty; -2 Length(A) differs from Length(B[0]) or rows of
/// unequal length.  Double products are accumulated in 64 bits by a cache-blocked
/// kernel; integer products are exact in 64 bits and saturate to the 32-bit range.
std::int32_t MultiplyArrays(const TInt2DArray& A, const TDouble2DArray& B, TDouble2DArray& C);
std::int32_t MultiplyArrays(const TDouble2DArray& A, const TInt2DArray& B, TDouble2DArray& C);
std::int32_t MultiplyArrays(const TDouble2DArray& A, const TDouble2DArray& B, TDouble2DArray& C);
std::int32_t MultiplyArrays(const TInt2DArray& A, const TInt2DArray& B, TInt2DArray& C);
/// Outer product of a column vector A and a row vector B: C[c][r] := A[r] * B[c]
/// (Length(B) columns, Length(A) rows); -1 if a vector is empty.
std::int32_t MultiplyArrays(const TDoubleArray& A, const TDoubleArray& B, TDouble2DArray& C);
std::int32_t MultiplyArrays(const TIntArray& A, const TIntArray& B, TInt2DArray& C);

/// Determinant of a square matrix from its LU decomposition with partial
/// pivoting (0 for a singular matrix), the product taken in 80-bit precision.
/// A matrix of cells beyond 2^±500 is decomposed scaled by a power of two, so
/// the result is right (or an infinity or 0 where it leaves the double range).
/// Det := 0; -1 empty; -2 not square; -3 a non-finite cell.
std::int32_t Determinant(const TDouble2DArray& A, double& Det);

/// Doolittle decomposition A = L * U without row exchanges: L unit lower
/// triangular, U upper triangular (both n x n).  -1 empty; -2 not square; -3 a
/// pivot is zero (the matrix needs row exchanges or is singular), a cell is
/// not finite or a factor overflows.  det(A) is the product of the diagonal of U.  L and U are
/// untouched on failure.
std::int32_t LUdecomposition(const TDouble2DArray& A, TDouble2DArray& L, TDouble2DArray& U);

/// Decomposition with partial pivoting P * A = L * U: P the permutation matrix
/// (P[c][r] = 1 when row r of P*A is row c of A), L unit lower triangular, U upper
/// triangular; Sign := +1 or -1, the sign of the permutation, so that
/// det(A) = Sign * product of the diagonal of U.  Exists for every square matrix
/// (a singular one gives a zero on the diagonal of U).  -1 empty; -2 not square;
/// -3 a non-finite cell or a factor that overflows.  The outputs are untouched on failure.
std::int32_t LUPdecomposition(const TDouble2DArray& A, TDouble2DArray& L, TDouble2DArray& U, TInt2DArray& P,
                              std::int32_t& Sign);

/// Eigenvalues and eigenvectors of a symmetric matrix (Householder reduction to
/// tridiagonal form, then implicit QL/QR iterations with Wilkinson shifts).
/// EigVals := the n eigenvalues in descending order; if CalcEigVecs,
/// EigVecs[c] := the unit eigenvector of EigVals[c] (its largest component made
/// positive), else EigVecs := empty.  A matrix of cells beyond 2^±500 is
/// decomposed scaled by a power of two (eigenvalues beyond the double range
/// become infinities).  -1 empty; -2 not square; -3 not symmetric
/// (a difference A[i][j] - A[j][i] beyond 1e-9 times the largest |cell|) or a
/// non-finite cell; -4 the iteration did not converge.  Outputs are untouched on failure.
std::int32_t EigenDecomposition(const TDouble2DArray& A, bool CalcEigVecs, TDouble2DArray& EigVecs,
                                TDoubleArray& EigVals);

/// Dot product of two vectors.  Dot := 0; -1 empty; -2 lengths differ.  The
/// double sum is accumulated in 80-bit precision; the integer sum saturates at
/// the 64-bit limits.
std::int32_t VectorDotProduct(const TDoubleArray& A, const TDoubleArray& B, double& Dot);
std::int32_t VectorDotProduct(const TIntArray& A, const TIntArray& B, std::int64_t& Dot);

/// Cross product C := A x B of two 3-vectors.  -1 empty; -2 unless both have 3 cells.
std::int32_t VectorCrossProduct(const TDoubleArray& A, const TDoubleArray& B, TDoubleArray& C);
std::int32_t VectorCrossProduct(const TIntArray& A, const TIntArray& B, TIntArray& C);

}  // namespace qmx
