// Singular value decomposition by Householder bidiagonalisation and
// implicit-shift QR sweeps (Golub–Reinsch), back substitution and the
// least-squares solver built on them.

#include "qmx/matrix/svd.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/matrix/linalg_kernels.hpp"
#include "qmx/matrix/matrix.hpp"
#include "qmx/vector/vector.hpp"

namespace qmx {
namespace detail {

namespace {

/// sqrt(a² + b²) without overflow or underflow: the 80-bit exponent range
/// holds the squares of all doubles.
double Pythag(double a, double b) {
  const Extended s = static_cast<Extended>(a) * a + static_cast<Extended>(b) * b;
  return static_cast<double>(std::sqrt(s));
}

/// |a| with the sign of b (b = -0 counts as positive).
double WithSignOf(double a, double b) { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

/// Applies the plane rotation (c, s) to the columns p and q (len elements each).
void RotateColumns(double* colP, double* colQ, std::size_t len, double c, double s) {
  for (std::size_t r = 0; r < len; ++r) {
    const double y = colP[r];
    const double z = colQ[r];
    colP[r] = y * c + z * s;
    colQ[r] = z * c - y * s;
  }
}

/// For each column j in [J0, J1): s_j := Σ_k X[k]·ColumnOf(j)[k] over k <
/// Len (80 bits), then Apply(j, s_j); four columns share one sweep over X.
/// Apply may change column j, but no column of the range another one reads.
template <class TColumnOf, class TApply>
void DotColumns(const double* X, std::size_t Len, std::size_t J0, std::size_t J1, TColumnOf ColumnOf,
                TApply Apply) {
  std::size_t j = J0;
  for (; j + 3 < J1; j += 4) {
    Extended s0;
    Extended s1;
    Extended s2;
    Extended s3;
    DotExt4(X, ColumnOf(j), ColumnOf(j + 1), ColumnOf(j + 2), ColumnOf(j + 3), Len, s0, s1, s2, s3);
    Apply(j, s0);
    Apply(j + 1, s1);
    Apply(j + 2, s2);
    Apply(j + 3, s3);
  }
  for (; j < J1; ++j) {
    Apply(j, DotExt(X, ColumnOf(j), Len));
  }
}

/// The binary exponent by which the Count elements of A are scaled down
/// before a decomposition: that of the largest magnitude when it lies outside
/// 2^-256..2^256 (where neither the Householder scale sums nor the products
/// of the sweeps can leave the double range), else 0.  0 also for a zero
/// matrix and for NaN or infinite elements, which no scaling helps.
int SvdScaleExponent(const double* A, std::size_t Count) {
  double amax = 0.0;
  for (std::size_t k = 0; k < Count; ++k) {
    const double x = std::fabs(A[k]);
    if (!(x <= std::numeric_limits<double>::max())) {
      return 0;
    }
    amax = std::max(amax, x);
  }
  if (amax == 0.0) {
    return 0;
  }
  int e = 0;
  (void)std::frexp(amax, &e);
  return (e > 256 || e < -256) ? e : 0;
}

/// The working state of one decomposition.
class TSvd {
 public:
  TSvd(double* A, std::size_t m, std::size_t n, double* W, double* V, bool WantVectors, TSvdProgress Progress)
      : a_(A), m_(m), n_(n), w_(W), v_(V), vectors_(WantVectors), allSteps_(Progress == TSvdProgress::spAllStages),
        e_(n, 0.0), work_(m, Extended{0}), rowSum_(m, 0.0), row_(n, 0.0) {}

  TSvdStatus Run() {
    if (!Bidiagonalise()) {
      return TSvdStatus::svdAborted;
    }
    if (vectors_ && (!AccumulateRight() || !AccumulateLeft())) {
      return TSvdStatus::svdAborted;
    }
    return Diagonalise();
  }

 private:
  double& At(std::size_t r, std::size_t c) { return a_[c * m_ + r]; }
  double* Col(std::size_t c) { return a_ + c * m_; }
  double* VCol(std::size_t c) { return v_ + c * n_; }
  bool Negligible(double x) const { return std::fabs(x) + anorm_ == anorm_; }
  /// One progress step of a stage that reports; true when the caller must stop.
  bool Step(bool Reports) { return Reports && ProgressStep(); }

  /// Householder reduction to upper bidiagonal form: w_ the diagonal, e_ the
  /// superdiagonal (e_[i] couples w_[i-1] and w_[i]; e_[0] = 0).
  bool Bidiagonalise() {
    double g = 0.0;
    double scale = 0.0;
    for (std::size_t i = 0; i < n_; ++i) {
      const std::size_t l = i + 1;
      e_[i] = scale * g;
      g = 0.0;
      scale = 0.0;
      if (i < m_) {
        // Left transformation: zero column i below the diagonal.
        double* ci = Col(i);
        Extended sc = 0;
        for (std::size_t k = i; k < m_; ++k) {
          sc += std::fabs(ci[k]);
        }
        scale = static_cast<double>(sc);
        if (scale != 0.0) {
          Extended s = 0;
          for (std::size_t k = i; k < m_; ++k) {
            ci[k] /= scale;
            s += static_cast<Extended>(ci[k]) * ci[k];
          }
          const double f = ci[i];
          const double sd = static_cast<double>(s);
          g = -WithSignOf(std::sqrt(sd), f);
          const double h = f * g - sd;
          ci[i] = f - g;
          DotColumns(
              ci + i, m_ - i, l, n_, [&](std::size_t j) { return Col(j) + i; },
              [&](std::size_t j, Extended dot) {
                double* cj = Col(j);
                const double t = static_cast<double>(dot / h);
                for (std::size_t k = i; k < m_; ++k) {
                  cj[k] += t * ci[k];
                }
              });
          for (std::size_t k = i; k < m_; ++k) {
            ci[k] *= scale;
          }
        }
      }
      w_[i] = scale * g;
      g = 0.0;
      scale = 0.0;
      if (i < m_ && l != n_) {
        // Right transformation: zero row i right of the superdiagonal.
        Extended sc = 0;
        for (std::size_t k = l; k < n_; ++k) {
          sc += std::fabs(At(i, k));
        }
        scale = static_cast<double>(sc);
        if (scale != 0.0) {
          Extended s = 0;
          for (std::size_t k = l; k < n_; ++k) {
            double& x = At(i, k);
            x /= scale;
            s += static_cast<Extended>(x) * x;
          }
          const double f = At(i, l);
          const double sd = static_cast<double>(s);
          g = -WithSignOf(std::sqrt(sd), f);
          const double h = f * g - sd;
          At(i, l) = f - g;
          for (std::size_t k = l; k < n_; ++k) {
            e_[k] = At(i, k) / h;  // scratch until e_[k] is set for column k
          }
          if (l < m_) {
            // Rows l..m-1: t_j := Σ_k A(j, k)·A(i, k), then A(j, k) += t_j·e_k;
            // swept column by column (each t_j still sums in the order of k).
            SumRowProducts(i, l);
            for (std::size_t k = l; k < n_; ++k) {
              const double ek = e_[k];
              double* ck = Col(k);
              for (std::size_t j = l; j < m_; ++j) {
                ck[j] += rowSum_[j] * ek;
              }
            }
          }
          for (std::size_t k = l; k < n_; ++k) {
            At(i, k) *= scale;
          }
        }
      }
      anorm_ = std::max(anorm_, std::fabs(w_[i]) + std::fabs(e_[i]));
      if (ProgressStep()) {
        return false;
      }
    }
    return true;
  }

  /// rowSum_[j] := Σ_k A(j, k)·A(i, k) over k = l..n-1 for the rows j =
  /// l..m-1, swept eight columns at a time (each sum in the order of k).
  void SumRowProducts(std::size_t i, std::size_t l) {
    std::fill(work_.begin() + static_cast<std::ptrdiff_t>(l), work_.begin() + static_cast<std::ptrdiff_t>(m_),
              Extended{0});
    std::size_t k = l;
    for (; k + 7 < n_; k += 8) {
      Extended f[8];
      const double* c[8];
      for (std::size_t q = 0; q < 8; ++q) {
        f[q] = At(i, k + q);
        c[q] = Col(k + q);
      }
      for (std::size_t j = l; j < m_; ++j) {
        Extended t = work_[j];
        t += f[0] * c[0][j];
        t += f[1] * c[1][j];
        t += f[2] * c[2][j];
        t += f[3] * c[3][j];
        t += f[4] * c[4][j];
        t += f[5] * c[5][j];
        t += f[6] * c[6][j];
        t += f[7] * c[7][j];
        work_[j] = t;
      }
    }
    for (; k < n_; ++k) {
      const Extended f0 = At(i, k);
      const double* c0 = Col(k);
      for (std::size_t j = l; j < m_; ++j) {
        work_[j] += f0 * c0[j];
      }
    }
    for (std::size_t j = l; j < m_; ++j) {
      rowSum_[j] = static_cast<double>(work_[j]);
    }
  }

  /// Accumulates the right-hand transformations into V.
  bool AccumulateRight() {
    double g = 0.0;
    std::size_t l = n_;
    for (std::size_t i = n_; i-- > 0;) {
      if (i + 1 < n_) {
        if (g != 0.0) {
          // Row i of A from column l on: the Householder vector of step i.
          for (std::size_t j = l; j < n_; ++j) {
            row_[j] = At(i, j);
          }
          double* vi = VCol(i);
          for (std::size_t j = l; j < n_; ++j) {
            vi[j] = (row_[j] / row_[l]) / g;  // two divisions avoid an underflow
          }
          DotColumns(
              row_.data() + l, n_ - l, l, n_, [&](std::size_t j) { return VCol(j) + l; },
              [&](std::size_t j, Extended dot) {
                double* vj = VCol(j);
                const double t = static_cast<double>(dot);
                for (std::size_t k = l; k < n_; ++k) {
                  vj[k] += t * vi[k];
                }
              });
        }
        for (std::size_t j = l; j < n_; ++j) {
          VCol(j)[i] = 0.0;
          VCol(i)[j] = 0.0;
        }
      }
      VCol(i)[i] = 1.0;
      g = e_[i];
      l = i;
      if (Step(allSteps_)) {
        return false;
      }
    }
    return true;
  }

  /// Accumulates the left-hand transformations into A, which becomes U.
  bool AccumulateLeft() {
    for (std::size_t i = std::min(m_, n_); i-- > 0;) {
      const std::size_t l = i + 1;
      for (std::size_t j = l; j < n_; ++j) {
        At(i, j) = 0.0;
      }
      double* ci = Col(i);
      double g = w_[i];
      if (g != 0.0) {
        g = 1.0 / g;
        const std::size_t len = l < m_ ? m_ - l : 0;
        DotColumns(
            ci + l, len, l, n_, [&](std::size_t j) { return Col(j) + l; },
            [&](std::size_t j, Extended dot) {
              double* cj = Col(j);
              const double f = static_cast<double>(dot / ci[i]) * g;
              for (std::size_t k = i; k < m_; ++k) {
                cj[k] += f * ci[k];
              }
            });
        for (std::size_t k = i; k < m_; ++k) {
          ci[k] *= g;
        }
      } else {
        for (std::size_t k = i; k < m_; ++k) {
          ci[k] = 0.0;
        }
      }
      ci[i] += 1.0;
      if (Step(allSteps_)) {
        return false;
      }
    }
    return true;
  }

  /// Makes w_[k] non-negative, negating column k of V with it.
  void MakePositive(std::size_t k) {
    if (w_[k] < 0.0) {
      w_[k] = -w_[k];
      if (vectors_) {
        double* vk = VCol(k);
        for (std::size_t j = 0; j < n_; ++j) {
          vk[j] = -vk[j];
        }
      }
    }
  }

  /// Diagonalises the bidiagonal form, from the last singular value upward.
  TSvdStatus Diagonalise() {
    bool converged = true;
    for (std::size_t k = n_; k-- > 0;) {
      for (int sweeps = 0;; ++sweeps) {
        // Find the top l of the unreduced block ending at k; when w_[l-1] is
        // negligible the coupling e_[l] is chased away first.
        std::size_t l = k;
        bool cancel = true;
        for (;;) {
          if (l == 0 || Negligible(e_[l])) {
            cancel = false;
            break;
          }
          if (Negligible(w_[l - 1])) {
            break;
          }
          --l;
        }
        if (cancel) {
          CancelCoupling(l, k);
        }
        if (l == k) {
          MakePositive(k);
          break;
        }
        if (sweeps == 30) {
          converged = false;  // taken as it stands
          MakePositive(k);
          break;
        }
        QrSweep(l, k);
      }
      if (Step(allSteps_)) {
        return TSvdStatus::svdAborted;
      }
    }
    return converged ? TSvdStatus::svdOk : TSvdStatus::svdNotConverged;
  }

  /// Zeroes e_[l] by rotations against rows l..k when w_[l-1] is negligible.
  void CancelCoupling(std::size_t l, std::size_t k) {
    const std::size_t nm = l - 1;
    double c = 0.0;
    double s = 1.0;
    for (std::size_t i = l; i <= k; ++i) {
      const double f = s * e_[i];
      e_[i] = c * e_[i];
      if (Negligible(f)) {
        break;
      }
      const double g = w_[i];
      const double h = Pythag(f, g);
      w_[i] = h;
      c = g / h;
      s = -f / h;
      if (vectors_) {
        RotateColumns(Col(nm), Col(i), m_, c, s);
      }
    }
  }

  /// One implicit-shift QR sweep over the block l..k, the shift taken from
  /// the trailing 2 x 2 minor.
  void QrSweep(std::size_t l, std::size_t k) {
    const std::size_t nm = k - 1;
    const double z0 = w_[k];
    double x = w_[l];
    double y = w_[nm];
    double g = e_[nm];
    double h = e_[k];
    double f = ((y - z0) * (y + z0) + (g - h) * (g + h)) / (2.0 * h * y);
    g = Pythag(f, 1.0);
    f = ((x - z0) * (x + z0) + h * ((y / (f + WithSignOf(g, f))) - h)) / x;
    double c = 1.0;
    double s = 1.0;
    for (std::size_t j = l; j <= nm; ++j) {
      const std::size_t i = j + 1;
      g = e_[i];
      y = w_[i];
      h = s * g;
      g = c * g;
      double z = Pythag(f, h);
      e_[j] = z;
      if (z != 0.0) {
        c = f / z;
        s = h / z;
      } else {
        c = 1.0;
        s = 0.0;
      }
      f = x * c + g * s;
      g = g * c - x * s;
      h = y * s;
      y *= c;
      if (vectors_) {
        RotateColumns(VCol(j), VCol(i), n_, c, s);
      }
      z = Pythag(f, h);
      w_[j] = z;
      if (z != 0.0) {
        c = f / z;
        s = h / z;
      }
      f = c * g + s * y;
      x = c * y - s * g;
      if (vectors_) {
        RotateColumns(Col(j), Col(i), m_, c, s);
      }
    }
    e_[l] = 0.0;
    e_[k] = f;
    w_[k] = x;
  }

  double* a_;
  std::size_t m_;
  std::size_t n_;
  double* w_;
  double* v_;
  bool vectors_;
  bool allSteps_;
  double anorm_ = 0.0;
  std::vector<double> e_;
  std::vector<Extended> work_;    // 80-bit row sums of the right transformation
  std::vector<double> rowSum_;    // the same rounded
  std::vector<double> row_;
};

}  // namespace

TSvdStatus SvdKernel(double* A, std::size_t m, std::size_t n, double* W, double* V, bool WantVectors,
                     TSvdProgress Progress) {
  if (m == 0 || n == 0) {
    return TSvdStatus::svdOk;
  }
  // Every step of the decomposition commutes with scaling by a power of two,
  // so a matrix of very large or very small finite elements is brought near
  // 1 first (the scale overflowed or the products underflowed otherwise) and
  // the singular values are scaled back at the end; U and V do not change.
  const int shift = SvdScaleExponent(A, m * n);
  if (shift != 0) {
    for (std::size_t k = 0; k < m * n; ++k) {
      A[k] = std::ldexp(A[k], -shift);
    }
  }
  TSvd svd(A, m, n, W, V, WantVectors && V != nullptr, Progress);
  const TSvdStatus status = svd.Run();
  if (shift != 0) {
    for (std::size_t k = 0; k < n; ++k) {
      W[k] = std::ldexp(W[k], shift);
    }
    if (!WantVectors || V == nullptr) {
      for (std::size_t k = 0; k < m * n; ++k) {
        A[k] = std::ldexp(A[k], shift);  // the reduced state at the caller's scale
      }
    }
  }
  return status;
}

}  // namespace detail

bool SvdDecompose(TMatrix* A, TMatrix* V, TVector* W) {
  if (A == nullptr || V == nullptr || W == nullptr || V == A || !A->HasStorage()) {
    return false;
  }
  const std::int32_t k = A->NrOfColumns();
  const std::int32_t m = A->NrOfRows();
  V->Resize(k, k);
  W->Resize(k);
  const detail::TSvdStatus st =
      detail::SvdKernel(A->Data().data(), static_cast<std::size_t>(m), static_cast<std::size_t>(k),
                        W->Data().data(), V->Data().data(), true, detail::TSvdProgress::spAllStages);
  A->Changed();
  V->Changed();
  W->Changed();
  return st != detail::TSvdStatus::svdAborted;
}

bool SvdBackSubstitute(const TMatrix* U, const TMatrix* V, const TVector* W, TVector* Sigma, TVector* x,
                       const TVector* b) {
  if (U == nullptr || V == nullptr || W == nullptr || x == nullptr || b == nullptr || !U->HasStorage()) {
    return false;
  }
  const std::size_t k = static_cast<std::size_t>(U->NrOfColumns());
  const std::size_t m = static_cast<std::size_t>(U->NrOfRows());
  if (static_cast<std::size_t>(b->NrOfElem()) != m || static_cast<std::size_t>(W->NrOfElem()) != k ||
      static_cast<std::size_t>(V->NrOfColumns()) != k || static_cast<std::size_t>(V->NrOfRows()) != k) {
    return false;
  }
  const double* u = U->Data().data();
  const double* v = V->Data().data();
  const double* w = W->Data().data();
  const double* rhs = b->Data().data();
  // tmp_j := (U column j · b) / w_j.
  std::vector<Extended> tmp(k, Extended{0});
  for (std::size_t j = 0; j < k; ++j) {
    if (w[j] != 0.0) {
      tmp[j] = detail::DotExt(u + j * m, rhs, m) / w[j];
    }
  }
  // x_j := Σ_l V(row j, column l)·tmp_l, swept column by column of V.
  std::vector<Extended> sol(k, Extended{0});
  std::vector<Extended> sig(k, Extended{0});
  for (std::size_t l = 0; l < k; ++l) {
    const double* vl = v + l * k;
    for (std::size_t j = 0; j < k; ++j) {
      sol[j] += vl[j] * tmp[l];
    }
    if (Sigma != nullptr && w[l] != 0.0) {
      const Extended wl2 = static_cast<Extended>(w[l]) * w[l];
      for (std::size_t j = 0; j < k; ++j) {
        sig[j] += static_cast<Extended>(vl[j]) * vl[j] / wl2;
      }
    }
  }
  x->Resize(static_cast<std::int32_t>(k));
  std::span<double> xd = x->Data();
  for (std::size_t j = 0; j < k; ++j) {
    xd[j] = static_cast<double>(sol[j]);
  }
  x->Changed();
  if (Sigma != nullptr) {
    Sigma->Resize(static_cast<std::int32_t>(k));
    std::span<double> sd = Sigma->Data();
    for (std::size_t j = 0; j < k; ++j) {
      sd[j] = static_cast<double>(std::sqrt(sig[j]));
    }
    Sigma->Changed();
  }
  return true;
}

bool SvdLeastSquares(TMatrix* A, const TVector* b, TVector* x, bool& Singular, TVector* Sigma) {
  Singular = false;
  if (A == nullptr || b == nullptr || x == nullptr || b->NrOfElem() != A->NrOfRows()) {
    return false;
  }
  TMatrix V;
  TVector W;
  if (!SvdDecompose(A, &V, &W)) {
    return false;
  }
  std::span<double> w = W.Data();
  double wmax = 0.0;
  for (const double wj : w) {
    wmax = std::max(wmax, wj);
  }
  const double thresh = 1e-14 * wmax;
  for (double& wj : w) {
    if (wj < thresh || wj == 0.0) {
      wj = 0.0;
      Singular = true;
    }
  }
  return SvdBackSubstitute(A, &V, &W, Sigma, x, b);
}

}  // namespace qmx
