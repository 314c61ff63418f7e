#pragma once
/// \file
/// Singular value decomposition (Golub–Reinsch), the back substitution that
/// solves a linear system from it, and the least-squares solver built on
/// both.  The least-squares computations of the library (polynomial fits,
/// the pseudo-inverse, local models of the nearest-neighbour estimator) and
/// the spectral norm of `TMatrix` rest on these routines.

#include <cstddef>
#include <cstdint>

namespace qmx {

class TMatrix;
class TVector;

namespace detail {

/// How a decomposition ended.
enum class TSvdStatus : std::uint8_t {
  svdOk,            ///< every singular value converged
  svdNotConverged,  ///< a value was still moving after 30 QR sweeps; it was taken as it stood
  svdAborted        ///< stopped by `AbortMathProc` (the outputs hold partial values)
};

/// Which stages of a decomposition run the progress protocol (one step per
/// unit: add 1 to `ProcStat`, report it, poll `AbortMathProc`).
enum class TSvdProgress : std::uint8_t {
  spAllStages,      ///< each column of the reduction and of both accumulations, each singular value
  spReductionOnly,  ///< each column of the bidiagonal reduction only
};

/// Decomposes A (m x n, column-major, m, n >= 1) as A = U·diag(W)·Vᵀ.
/// With WantVectors, A is overwritten with U (m x n) and V (n x n,
/// column-major) receives V; without, A is left in a reduced state, V is not
/// used (may be nullptr) and only W (n values) is computed.  The singular
/// values are non-negative and unsorted.  A sub-diagonal element e counts as
/// zero when |e| + anorm = anorm, anorm the largest |w_i| + |e_i| of the
/// reduction; each value gets at most 30 implicit-shift QR sweeps.  Sums are
/// accumulated in 80 bits.  Very large or very small finite elements are
/// handled by an exact power-of-two scaling (a singular value beyond the
/// double range becomes infinite).  NaN or infinite input ends in bounded
/// time with meaningless values.
TSvdStatus SvdKernel(double* A, std::size_t m, std::size_t n, double* W, double* V, bool WantVectors,
                     TSvdProgress Progress);

}  // namespace detail

/// Decomposes the design matrix A (k columns = parameters, m rows =
/// observations) as A = U·diag(W)·Vᵀ: A is overwritten with U (m rows, k
/// columns), V is resized to k x k and receives V (V(l, j) is column l, row
/// j), W is resized to k elements and receives the singular values
/// (non-negative, unsorted).  Each column of the Householder reduction and
/// of the two accumulations, and each singular value of the diagonalisation,
/// performs one progress step; the routine returns false at once when
/// `AbortMathProc` is true after a step (the outputs then hold partial
/// values).  A value still moving after 30 QR sweeps is taken as it stands.
/// False also, with nothing changed, when an argument is nil.  V and W fire
/// `OnChange` once (after any resize events); A fires `OnChange` once.
bool SvdDecompose(TMatrix* A, TMatrix* V, TVector* W);

/// Solves A·x = b from the decomposition U (m rows, k columns), V (k x k), W
/// (k values): tmp_j := (Σ_i U(j, i)·b_i) / w_j for w_j ≠ 0, else 0; x_j :=
/// Σ_l V(l, j)·tmp_l (V(l, j): column l, row j).  When Sigma is not nil it
/// receives σ_j := sqrt(Σ_l V(l, j)² / w_l²) over the l with w_l ≠ 0, the
/// standard error of parameter j for unit residual variance.  x (and Sigma)
/// are resized to k.  True; false, with nothing changed, when U, V, W, x or
/// b is nil or the sizes do not fit (b of m elements, V of k x k, W of k).
bool SvdBackSubstitute(const TMatrix* U, const TMatrix* V, const TVector* W, TVector* Sigma, TVector* x,
                       const TVector* b);

/// Least-squares solution x of A·x ≈ b (A: k columns, m rows; b: m values).
/// A is decomposed in place (it holds U afterwards); every singular value
/// below 1e-14 times the largest one, or equal to 0, is set to 0 and makes
/// Singular true; then `SvdBackSubstitute` gives x and (if Sigma is not nil)
/// the standard-error factors.  False only when the decomposition was
/// stopped by `AbortMathProc` (or, with nothing changed, for a nil argument
/// or a b that does not have m elements).
bool SvdLeastSquares(TMatrix* A, const TVector* b, TVector* x, bool& Singular, TVector* Sigma);

}  // namespace qmx
