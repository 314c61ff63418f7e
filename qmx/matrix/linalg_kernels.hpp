#pragma once
/// \file
/// The numerical kernels behind the linear algebra of the matrices, on raw
/// column-major buffers: element (row r, column c), both counted from 0, of a
/// matrix with `rows` rows lives at `c * rows + r`.
///
/// Every sum is accumulated in 80-bit `Extended` precision (each product is
/// formed in `Extended` too) and rounded to a double once at the end.  The
/// products sum their terms strictly in the order of the inner index, so the
/// result of every element is the same as that of the plain triple loop,
/// whatever blocking, packing or threading the kernels use.

#include <cstddef>
#include <cstdint>

#include "qmx/foundation/frame.hpp"

namespace qmx::detail {

// ---- dot products ------------------------------------------------------------------

/// Σ x[k]·y[k] over k = 0..Len-1, in order, in 80 bits.
Extended DotExt(const double* x, const double* y, std::size_t Len);
/// The dot products of x with four vectors at once (four independent sums,
/// each in the order of k, as `DotExt`).
void DotExt4(const double* x, const double* y0, const double* y1, const double* y2, const double* y3,
             std::size_t Len, Extended& s0, Extended& s1, Extended& s2, Extended& s3);

// ---- products -------------------------------------------------------------------

/// C (m x n) := op(A) · op(B) with the inner dimension p (p >= 1).
/// TransA false: A is m x p; true: A is stored p x m and op(A) = Aᵀ.
/// TransB false: B is p x n; true: B is stored n x p and op(B) = Bᵀ.
/// C must not overlap A or B.  Cache-blocked, packed, with 1 x 4 register
/// tiles of independent 80-bit accumulators.
void GemmExt(bool TransA, bool TransB, std::size_t m, std::size_t n, std::size_t p, const double* A,
             const double* B, double* C);

/// y (m) := A · x with A m x p and x of p elements; y must not overlap A or x.
void MatVecExt(std::size_t m, std::size_t p, const double* A, const double* x, double* y);

/// y (p) := Aᵀ · x with A m x p and x of m elements; y must not overlap A or x.
void MatTVecExt(std::size_t m, std::size_t p, const double* A, const double* x, double* y);

/// The integer twins of `GemmExt`, `MatVecExt` and `MatTVecExt`: the same
/// shapes, arithmetic modulo 2^32 (every result is the exact integer result
/// wrapped to 32 bits, as the other integer arithmetic of the matrices).
void GemmInt(bool TransA, bool TransB, std::size_t m, std::size_t n, std::size_t p, const std::int32_t* A,
             const std::int32_t* B, std::int32_t* C);
void MatVecInt(std::size_t m, std::size_t p, const std::int32_t* A, const std::int32_t* x, std::int32_t* y);
void MatTVecInt(std::size_t m, std::size_t p, const std::int32_t* A, const std::int32_t* x, std::int32_t* y);

/// Row i and column i of the cross-product matrix R (n x n) of A (m x n) from
/// the diagonal on: R(i, j) = R(j, i) := Σ_r A(r, i)·A(r, j) / d for
/// j = i..n-1.  The sums are formed in 80 bits and divided by d in 80 bits.
void SquareColumn(const double* A, std::size_t m, std::size_t n, std::size_t i, double d, double* R);

/// The whole cross-product matrix R (n x n) := Aᵀ·A / d of A (m x n), one
/// column at a time with the progress and abort protocol.
///
/// Threads <= 1: on the calling thread; before each column the abort flag is
/// read (stop: false), then one progress step is made and the column computed.
/// Threads > 1: min(Threads, n) worker threads take the columns in ascending
/// order, each adds 1 to `ProcStat` per finished column; the calling thread
/// reports `ProcStat` to `MathFeedBackProc` while it waits and polls the abort
/// flag (stop: the workers finish the column they hold and take no other;
/// all are joined before the call returns false), and reports once more at
/// the end.  Each element is computed by `SquareColumn` whatever the thread
/// count, so the results are identical bit for bit.  True unless aborted.
bool SquareKernel(const double* A, std::size_t m, std::size_t n, double d, double* R, std::int32_t Threads);

// ---- decompositions and transformations ----------------------------------------------

/// Cholesky factorisation in place of the symmetric n x n matrix A (only its
/// lower triangle and diagonal are read).  For i = 0..n-1 and j = i..n-1,
/// s := A(j, i) - Σ_{k<i} A(k, i)·A(k, j); the diagonal sum gives P[i] :=
/// sqrt(s), the others are stored as s / P[i] at A(i, j) above the diagonal
/// (so A(i, j) = L(j, i)).  Stops at the first diagonal sum that is not
/// positive (or not a number).  Returns the number of columns completed (n on
/// success); P[k] for k at or beyond that number is 0.
std::size_t CholeskyKernel(double* A, std::size_t n, double* P);

/// Balances the n x n matrix A in place: each pass visits i = 0..n-1 and,
/// when the off-diagonal sums c = Σ_{j≠i}|A(i, j)| of row i and
/// r = Σ_{j≠i}|A(j, i)| of column i are both non-zero and finite (80-bit
/// sums), divides row i and multiplies column i off the diagonal by
/// f = sqrt(c / r) (applied in 80 bits when f or 1/f leaves the normal
/// double range, so finite elements stay finite).  At most 100
/// passes while the largest deviation max(f, 1/f) of a pass exceeds
/// Precision (limited to 1.000001..1.05).  The diagonal is never changed.
void BalanceKernel(double* A, std::size_t n, double Precision);

// ---- norms, correlation, distances ------------------------------------------------------

/// The largest column sum of absolute values of A (m x n); 0 for none; NaN
/// when an element is NaN.
double NormColwiseKernel(const double* A, std::size_t m, std::size_t n);
/// The largest row sum of absolute values; NaN when an element is NaN.
double NormRowwiseKernel(const double* A, std::size_t m, std::size_t n);
/// sqrt(Σ A(r, c)²).
double NormFrobeniusKernel(const double* A, std::size_t Count);

/// Pearson correlation of the Count pairs (X[k], Y[k]): 0 when Count < 3,
/// Σx² <= 0, Σy² <= 0 or a centred sum of squares is 0; otherwise
/// (Σxy - ΣxΣy/N) / sqrt(|Sxx·Syy|).  NaN when an element is NaN (and for
/// infinite elements, whose centred sums are undefined).
double CorrelateKernel(const double* X, const double* Y, std::size_t Count);

/// The distance or similarity of the two objects X and Y of n variables each,
/// their elements Stride apart (`dmTanimoto` .. `dmDice`; any other mode
/// gives 0).  A similarity whose denominator is 0 (two objects of zeros) is 0.
double ObjectDistance(TDistMode Mode, const double* X, const double* Y, std::size_t n, std::size_t Stride);

/// D (m x m, column-major) := the distances of all pairs of rows of A (m x n)
/// under Mode (`dmTanimoto` .. `dmDice`): D(i, i) := 0, D(i, j) = D(j, i).
void DistanceMatrixKernel(TDistMode Mode, const double* A, std::size_t m, std::size_t n, double* D);

}  // namespace qmx::detail
