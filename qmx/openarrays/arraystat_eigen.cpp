/// \file
/// Eigenvalues and eigenvectors of symmetric 2-D arrays: Householder reduction
/// to tridiagonal form, then implicit QR iterations with Wilkinson shifts.

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <utility>

#include "qmx/openarrays/arraystat.hpp"
#include "qmx/openarrays/arraystat_dense.hpp"
#include "qmx/openarrays/arraystat_detail.hpp"

namespace qmx {

using detail::arraystat::I32;
using detail::arraystat::TDenseMatrix;

namespace {

/// Allowed asymmetry, relative to the largest magnitude of the matrix.
constexpr double kSymmetryTol = 1e-9;
/// QR iterations allowed per eigenvalue (on average).
constexpr std::size_t kItersPerValue = 30;

/// Reduces the symmetric matrix a (full storage, overwritten) to tridiagonal
/// form T = Q' A Q with diagonal d and sub-diagonal e.  With q, Q is formed.
void Tridiagonalize(TDenseMatrix& a, std::vector<double>& d, std::vector<double>& e, TDenseMatrix* q) {
  const std::size_t n = a.rows;
  d.assign(n, 0.0);
  e.assign(n > 0 ? n - 1 : 0, 0.0);
  std::vector<double> p(n);
  std::vector<double> w(n);
  std::vector<bool> reflected(n, false);
  for (std::size_t k = 0; k + 2 < n; ++k) {
    double* x = a.Col(k) + k + 1;  // the column below the diagonal, length m
    const std::size_t m = n - k - 1;
    double xmax = 0.0;
    for (std::size_t i = 0; i < m; ++i) {
      xmax = std::max(xmax, std::fabs(x[i]));
    }
    double tail = 0.0;
    for (std::size_t i = 1; i < m; ++i) {
      tail += (x[i] / xmax) * (x[i] / xmax);
    }
    if (xmax == 0.0 || tail == 0.0) {
      e[k] = x[0];  // already reduced in this column
      continue;
    }
    // Householder vector v (unit length, stored in place of x) with H x = alpha e1
    const double x0 = x[0] / xmax;
    const double norm = std::sqrt(x0 * x0 + tail);
    const double alpha = x0 >= 0.0 ? -norm : norm;
    x[0] = x0 - alpha;
    for (std::size_t i = 1; i < m; ++i) {
      x[i] /= xmax;
    }
    const double vnorm = std::sqrt(x[0] * x[0] + tail);
    for (std::size_t i = 0; i < m; ++i) {
      x[i] /= vnorm;
    }
    e[k] = alpha * xmax;
    reflected[k] = true;
    // A22 := H A22 H = A22 - 2 (v w' + w v'), with p = A22 v, w = p - (v'p) v
    const std::size_t o = k + 1;
    std::fill(p.begin(), p.begin() + static_cast<std::ptrdiff_t>(m), 0.0);
    for (std::size_t c = 0; c < m; ++c) {
      const double* col = a.Col(o + c) + o;
      const double vc = x[c];
      for (std::size_t r = 0; r < m; ++r) {
        p[r] += col[r] * vc;
      }
    }
    double kv = 0.0;
    for (std::size_t i = 0; i < m; ++i) {
      kv += x[i] * p[i];
    }
    for (std::size_t i = 0; i < m; ++i) {
      w[i] = p[i] - kv * x[i];
    }
    for (std::size_t c = 0; c < m; ++c) {
      double* col = a.Col(o + c) + o;
      const double vc2 = 2.0 * x[c];
      const double wc2 = 2.0 * w[c];
      for (std::size_t r = 0; r < m; ++r) {
        col[r] -= x[r] * wc2 + w[r] * vc2;
      }
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    d[i] = a.At(i, i);
  }
  if (n >= 2) {
    e[n - 2] = a.At(n - 1, n - 2);
  }
  if (q == nullptr) {
    return;
  }
  // Q = H_0 H_1 ... H_(n-3), accumulated from the last reflection backwards
  *q = TDenseMatrix(n, n);
  for (std::size_t i = 0; i < n; ++i) {
    q->At(i, i) = 1.0;
  }
  for (std::size_t k = n >= 3 ? n - 2 : 0; k-- > 0;) {
    if (!reflected[k]) {
      continue;
    }
    const std::size_t o = k + 1;
    const std::size_t m = n - o;
    const double* v = a.Col(k) + o;
    for (std::size_t c = o; c < n; ++c) {
      double* col = q->Col(c) + o;
      double s = 0.0;
      for (std::size_t i = 0; i < m; ++i) {
        s += v[i] * col[i];
      }
      s *= 2.0;
      for (std::size_t i = 0; i < m; ++i) {
        col[i] -= s * v[i];
      }
    }
  }
}

bool Negligible(const std::vector<double>& d, const std::vector<double>& e, std::size_t i) {
  const double ae = std::fabs(e[i]);
  return ae <= std::numeric_limits<double>::epsilon() * (std::fabs(d[i]) + std::fabs(d[i + 1])) ||
         ae < std::numeric_limits<double>::min();
}

/// Diagonalises the symmetric tridiagonal (d, e) by implicit QR steps with
/// Wilkinson shifts; the rotations are applied to the columns of z if given.
/// False when the iteration limit is reached.
bool TridiagonalQR(std::vector<double>& d, std::vector<double>& e, TDenseMatrix* z) {
  const std::size_t n = d.size();
  const std::size_t maxIter = kItersPerValue * std::max<std::size_t>(n, 1);
  std::size_t iter = 0;
  std::size_t hi = n > 0 ? n - 1 : 0;
  while (hi > 0) {
    if (Negligible(d, e, hi - 1)) {
      e[hi - 1] = 0.0;
      --hi;
      continue;
    }
    std::size_t lo = hi - 1;
    while (lo > 0 && !Negligible(d, e, lo - 1)) {
      --lo;
    }
    if (lo > 0) {
      e[lo - 1] = 0.0;
    }
    if (++iter > maxIter) {
      return false;
    }
    // Wilkinson shift: the eigenvalue of the trailing 2 x 2 block nearer d[hi]
    const double dd = 0.5 * (d[hi - 1] - d[hi]);
    const double ee = e[hi - 1];
    const double root = std::hypot(dd, ee);
    const double mu = d[hi] - ee * (ee / (dd + (dd >= 0.0 ? root : -root)));
    double x = d[lo] - mu;
    double zb = e[lo];
    for (std::size_t k = lo; k < hi; ++k) {
      const double r = std::hypot(x, zb);
      const double c = r == 0.0 ? 1.0 : x / r;
      const double s = r == 0.0 ? 0.0 : -zb / r;
      if (k > lo) {
        e[k - 1] = r;
      }
      const double a = d[k];
      const double b = e[k];
      const double cc = d[k + 1];
      d[k] = c * c * a - 2.0 * c * s * b + s * s * cc;
      d[k + 1] = s * s * a + 2.0 * c * s * b + c * c * cc;
      e[k] = c * s * (a - cc) + (c * c - s * s) * b;
      if (k + 1 < hi) {
        zb = -s * e[k + 1];
        e[k + 1] *= c;
        x = e[k];
      }
      if (z != nullptr) {
        double* zk = z->Col(k);
        double* zk1 = z->Col(k + 1);
        for (std::size_t i = 0; i < n; ++i) {
          const double u = zk[i];
          const double v = zk1[i];
          zk[i] = c * u - s * v;
          zk1[i] = s * u + c * v;
        }
      }
    }
  }
  return true;
}

}  // namespace

I32 EigenDecomposition(const TDouble2DArray& A, bool CalcEigVecs, TDouble2DArray& EigVecs, TDoubleArray& EigVals) {
  if (detail::arraystat::IsEmptyArr(A)) {
    return -1;
  }
  TDenseMatrix a;
  if (A.size() != A[0].size() || !detail::arraystat::PackArray(A, a)) {
    return -2;
  }
  const std::size_t n = a.rows;
  double amax = 0.0;
  for (const double v : a.v) {
    if (!std::isfinite(v)) {
      return -3;
    }
    amax = std::max(amax, std::fabs(v));
  }
  // Scaled first, so that neither the symmetry test nor the averaging below
  // overflows on cells near the largest double.
  const int shift = detail::arraystat::ScaleToUnitRange(a, amax);
  amax = std::ldexp(amax, -shift);
  for (std::size_t c = 0; c < n; ++c) {
    for (std::size_t r = c + 1; r < n; ++r) {
      if (std::fabs(a.At(r, c) - a.At(c, r)) > kSymmetryTol * amax) {
        return -3;
      }
      const double mean = 0.5 * (a.At(r, c) + a.At(c, r));
      a.At(r, c) = mean;
      a.At(c, r) = mean;
    }
  }
  std::vector<double> d;
  std::vector<double> e;
  TDenseMatrix z;
  TDenseMatrix* zp = CalcEigVecs ? &z : nullptr;
  Tridiagonalize(a, d, e, zp);
  if (!TridiagonalQR(d, e, zp)) {
    return -4;
  }
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) { return d[i] > d[j]; });
  TDoubleArray vals(n);
  for (std::size_t i = 0; i < n; ++i) {
    vals[i] = std::ldexp(d[order[i]], shift);  // may overflow to an infinity
  }
  TDouble2DArray vecs;
  if (CalcEigVecs) {
    vecs.assign(n, TDoubleArray(n));
    for (std::size_t c = 0; c < n; ++c) {
      const double* src = z.Col(order[c]);
      double norm = 0.0;
      std::size_t big = 0;
      for (std::size_t r = 0; r < n; ++r) {
        norm += src[r] * src[r];
        if (std::fabs(src[r]) > std::fabs(src[big])) {
          big = r;
        }
      }
      norm = std::sqrt(norm);
      const double f = (src[big] < 0.0 ? -1.0 : 1.0) / (norm > 0.0 ? norm : 1.0);
      for (std::size_t r = 0; r < n; ++r) {
        vecs[c][r] = src[r] * f;
      }
    }
  }
  EigVals = std::move(vals);
  EigVecs = std::move(vecs);
  return 0;
}

}  // namespace qmx
