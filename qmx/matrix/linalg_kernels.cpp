// The raw-buffer kernels of the matrix linear algebra: products with 80-bit
// accumulation, the cross-product matrix with worker threads, Cholesky,
// balancing, norms, correlation and distances between rows.

#include "qmx/matrix/linalg_kernels.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace qmx::detail {

namespace {

// ---- products ----------------------------------------------------------------------
//
// The product kernels work in the "dot form": every row of op(A) and every
// column of op(B) is a contiguous run of the inner index k (op(A) rows are
// packed when A is not transposed, op(B) columns when B is transposed).  The
// inner index is cut into blocks of kKc; the accumulators of a tile are
// carried from one block to the next in 80 bits, so every element still sums
// its terms in the order k = 0, 1, ..., p-1.  Within a block, B is walked in
// panels of kNc columns (kept in the second-level cache) and each row of
// op(A) (kept in the first-level cache) meets every group of four columns
// of the panel in a 1 x 4 tile of independent accumulators.

constexpr std::size_t kKc = 512;  // inner block: one row of op(A) = 4 KB
constexpr std::size_t kNc = 32;   // columns of op(B) per panel: 128 KB

/// Copies the transpose of S (rows x cols) into T (cols x rows), by tiles.
void TransposeInto(const double* S, std::size_t rows, std::size_t cols, double* T) {
  constexpr std::size_t kTile = 32;
  for (std::size_t c0 = 0; c0 < cols; c0 += kTile) {
    const std::size_t c1 = std::min(cols, c0 + kTile);
    for (std::size_t r0 = 0; r0 < rows; r0 += kTile) {
      const std::size_t r1 = std::min(rows, r0 + kTile);
      for (std::size_t c = c0; c < c1; ++c) {
        const double* s = S + c * rows;
        for (std::size_t r = r0; r < r1; ++r) {
          T[r * cols + c] = s[r];
        }
      }
    }
  }
}

/// The accumulators of one tile: they start at 0 in the first block, are
/// carried through the buffer between blocks and rounded in the last one.
struct TTileState {
  Extended* Carry;  // m x n carry buffer, nullptr when there is a single block
  double* C;
  std::size_t m;
  bool First;
  bool Last;

  Extended Load(std::size_t r, std::size_t c) const { return First ? Extended{0} : Carry[c * m + r]; }
  void Store(std::size_t r, std::size_t c, Extended v) const {
    if (Last) {
      C[c * m + r] = static_cast<double>(v);
    } else {
      Carry[c * m + r] = v;
    }
  }
};

/// One row of op(A) against four columns of op(B): four independent sums
/// sharing the element of A (the x87 stack then holds the four sums, the
/// shared factor and one product).
void Tile1x4(const double* a0, const double* b0, std::size_t ldb, std::size_t len, const TTileState& st,
             std::size_t r, std::size_t c) {
  const double* b1 = b0 + ldb;
  const double* b2 = b1 + ldb;
  const double* b3 = b2 + ldb;
  Extended s0 = st.Load(r, c);
  Extended s1 = st.Load(r, c + 1);
  Extended s2 = st.Load(r, c + 2);
  Extended s3 = st.Load(r, c + 3);
  for (std::size_t k = 0; k < len; ++k) {
    const Extended x = a0[k];
    s0 += x * b0[k];
    s1 += x * b1[k];
    s2 += x * b2[k];
    s3 += x * b3[k];
  }
  st.Store(r, c, s0);
  st.Store(r, c + 1, s1);
  st.Store(r, c + 2, s2);
  st.Store(r, c + 3, s3);
}

void Tile1x1(const double* a0, const double* b0, std::size_t len, const TTileState& st, std::size_t r,
             std::size_t c) {
  Extended s = st.Load(r, c);
  for (std::size_t k = 0; k < len; ++k) {
    s += static_cast<Extended>(a0[k]) * b0[k];
  }
  st.Store(r, c, s);
}

}  // namespace

void DotExt4(const double* x, const double* y0, const double* y1, const double* y2, const double* y3,
          std::size_t len, Extended& s0, Extended& s1, Extended& s2, Extended& s3) {
  Extended t0 = 0;
  Extended t1 = 0;
  Extended t2 = 0;
  Extended t3 = 0;
  for (std::size_t k = 0; k < len; ++k) {
    const Extended v = x[k];
    t0 += v * y0[k];
    t1 += v * y1[k];
    t2 += v * y2[k];
    t3 += v * y3[k];
  }
  s0 = t0;
  s1 = t1;
  s2 = t2;
  s3 = t3;
}

Extended DotExt(const double* x, const double* y, std::size_t len) {
  Extended t = 0;
  for (std::size_t k = 0; k < len; ++k) {
    t += static_cast<Extended>(x[k]) * y[k];
  }
  return t;
}

void GemmExt(bool TransA, bool TransB, std::size_t m, std::size_t n, std::size_t p, const double* A,
             const double* B, double* C) {
  if (m == 0 || n == 0) {
    return;
  }
  if (p == 0) {
    std::fill(C, C + m * n, 0.0);
    return;
  }
  // Rows of op(A) and columns of op(B) as contiguous runs of length p.
  std::vector<double> packA;
  std::vector<double> packB;
  const double* rowsA = A;
  if (!TransA) {
    packA.resize(m * p);
    TransposeInto(A, m, p, packA.data());
    rowsA = packA.data();
  }
  const double* colsB = B;
  if (TransB) {
    packB.resize(n * p);
    TransposeInto(B, n, p, packB.data());
    colsB = packB.data();
  }
  std::vector<Extended> carry;
  if (p > kKc) {
    carry.resize(m * n);
  }
  TTileState st{carry.empty() ? nullptr : carry.data(), C, m, true, false};
  for (std::size_t kb = 0; kb < p; kb += kKc) {
    const std::size_t len = std::min(kKc, p - kb);
    st.First = kb == 0;
    st.Last = kb + len == p;
    for (std::size_t jb = 0; jb < n; jb += kNc) {
      const std::size_t je = std::min(n, jb + kNc);
      for (std::size_t i = 0; i < m; ++i) {
        const double* a0 = rowsA + i * p + kb;
        std::size_t j = jb;
        for (; j + 3 < je; j += 4) {
          Tile1x4(a0, colsB + j * p + kb, p, len, st, i, j);
        }
        for (; j < je; ++j) {
          Tile1x1(a0, colsB + j * p + kb, len, st, i, j);
        }
      }
    }
  }
}

void MatVecExt(std::size_t m, std::size_t p, const double* A, const double* x, double* y) {
  // Column sweeps over a vector of 80-bit sums, four columns per sweep; each
  // sum still takes its terms in the order of k.
  std::vector<Extended> acc(m, Extended{0});
  std::size_t k = 0;
  for (; k + 3 < p; k += 4) {
    const double* c0 = A + k * m;
    const double* c1 = c0 + m;
    const double* c2 = c1 + m;
    const double* c3 = c2 + m;
    const Extended x0 = x[k];
    const Extended x1 = x[k + 1];
    const Extended x2 = x[k + 2];
    const Extended x3 = x[k + 3];
    for (std::size_t r = 0; r < m; ++r) {
      Extended t = acc[r];
      t += x0 * c0[r];
      t += x1 * c1[r];
      t += x2 * c2[r];
      t += x3 * c3[r];
      acc[r] = t;
    }
  }
  for (; k < p; ++k) {
    const double* c0 = A + k * m;
    const Extended x0 = x[k];
    for (std::size_t r = 0; r < m; ++r) {
      acc[r] += x0 * c0[r];
    }
  }
  for (std::size_t r = 0; r < m; ++r) {
    y[r] = static_cast<double>(acc[r]);
  }
}

void MatTVecExt(std::size_t m, std::size_t p, const double* A, const double* x, double* y) {
  std::size_t c = 0;
  for (; c + 3 < p; c += 4) {
    const double* c0 = A + c * m;
    Extended s0;
    Extended s1;
    Extended s2;
    Extended s3;
    DotExt4(x, c0, c0 + m, c0 + 2 * m, c0 + 3 * m, m, s0, s1, s2, s3);
    y[c] = static_cast<double>(s0);
    y[c + 1] = static_cast<double>(s1);
    y[c + 2] = static_cast<double>(s2);
    y[c + 3] = static_cast<double>(s3);
  }
  for (; c < p; ++c) {
    y[c] = static_cast<double>(DotExt(x, A + c * m, m));
  }
}

// ---- integer products ------------------------------------------------------------------
//
// Sums of products are formed in unsigned 32-bit arithmetic, whose
// wrap-around is exactly the reduction modulo 2^32 of the integer result.

namespace {

/// op(S) as a column-major buffer of rows x cols (S itself when not transposed).
std::vector<std::uint32_t> OperandInt(bool Trans, std::size_t rows, std::size_t cols, const std::int32_t* S) {
  std::vector<std::uint32_t> out(rows * cols);
  if (Trans) {  // S is stored cols x rows
    for (std::size_t c = 0; c < cols; ++c) {
      for (std::size_t r = 0; r < rows; ++r) {
        out[c * rows + r] = static_cast<std::uint32_t>(S[r * cols + c]);
      }
    }
  } else {
    for (std::size_t k = 0; k < rows * cols; ++k) {
      out[k] = static_cast<std::uint32_t>(S[k]);
    }
  }
  return out;
}

}  // namespace

void GemmInt(bool TransA, bool TransB, std::size_t m, std::size_t n, std::size_t p, const std::int32_t* A,
             const std::int32_t* B, std::int32_t* C) {
  const std::vector<std::uint32_t> a = OperandInt(TransA, m, p, A);
  const std::vector<std::uint32_t> b = OperandInt(TransB, p, n, B);
  std::vector<std::uint32_t> col(m);
  for (std::size_t c = 0; c < n; ++c) {
    std::fill(col.begin(), col.end(), 0u);
    for (std::size_t k = 0; k < p; ++k) {
      const std::uint32_t f = b[c * p + k];
      const std::uint32_t* ak = a.data() + k * m;
      for (std::size_t r = 0; r < m; ++r) {
        col[r] += ak[r] * f;
      }
    }
    for (std::size_t r = 0; r < m; ++r) {
      C[c * m + r] = static_cast<std::int32_t>(col[r]);
    }
  }
}

void MatVecInt(std::size_t m, std::size_t p, const std::int32_t* A, const std::int32_t* x, std::int32_t* y) {
  std::vector<std::uint32_t> acc(m, 0u);
  for (std::size_t k = 0; k < p; ++k) {
    const auto f = static_cast<std::uint32_t>(x[k]);
    const std::int32_t* ak = A + k * m;
    for (std::size_t r = 0; r < m; ++r) {
      acc[r] += static_cast<std::uint32_t>(ak[r]) * f;
    }
  }
  for (std::size_t r = 0; r < m; ++r) {
    y[r] = static_cast<std::int32_t>(acc[r]);
  }
}

void MatTVecInt(std::size_t m, std::size_t p, const std::int32_t* A, const std::int32_t* x, std::int32_t* y) {
  for (std::size_t c = 0; c < p; ++c) {
    const std::int32_t* ac = A + c * m;
    std::uint32_t s = 0;
    for (std::size_t k = 0; k < m; ++k) {
      s += static_cast<std::uint32_t>(ac[k]) * static_cast<std::uint32_t>(x[k]);
    }
    y[c] = static_cast<std::int32_t>(s);
  }
}

// ---- the cross-product matrix ------------------------------------------------------------

void SquareColumn(const double* A, std::size_t m, std::size_t n, std::size_t i, double d, double* R) {
  const double* ci = A + i * m;
  const Extended div = d;
  auto put = [&](std::size_t j, Extended s) {
    const double v = static_cast<double>(s / div);
    R[j * n + i] = v;
    R[i * n + j] = v;
  };
  std::size_t j = i;
  for (; j + 3 < n; j += 4) {
    const double* cj = A + j * m;
    Extended s0;
    Extended s1;
    Extended s2;
    Extended s3;
    DotExt4(ci, cj, cj + m, cj + 2 * m, cj + 3 * m, m, s0, s1, s2, s3);
    put(j, s0);
    put(j + 1, s1);
    put(j + 2, s2);
    put(j + 3, s3);
  }
  for (; j < n; ++j) {
    put(j, DotExt(ci, A + j * m, m));
  }
}

namespace {

/// The columns of a threaded `SquareKernel`: handed out in ascending order,
/// the finished ones counted, and a stop request for an abort.
struct TSquareJobs {
  TSquareJobs(const double* a, std::size_t rows, std::size_t cols, double div, double* r)
      : A(a), m(rows), n(cols), d(div), R(r) {}

  const double* A;
  std::size_t m;
  std::size_t n;
  double d;
  double* R;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  std::mutex mtx;
  std::condition_variable cv;
  std::size_t done = 0;     // finished columns, under mtx
  std::size_t running = 0;  // workers still running, under mtx

  void Work() {
    for (;;) {
      if (stop.load(std::memory_order_relaxed)) {
        break;
      }
      const std::size_t i = next.fetch_add(1, std::memory_order_relaxed);
      if (i >= n) {
        break;
      }
      SquareColumn(A, m, n, i, d, R);
      ProgressAddFromWorker();
      {
        std::lock_guard<std::mutex> lock(mtx);
        ++done;
      }
      cv.notify_one();
    }
    {
      std::lock_guard<std::mutex> lock(mtx);
      --running;
    }
    cv.notify_one();
  }
};

/// Joins every started worker when it leaves scope (also on exceptions),
/// after asking them to stop taking columns.
struct TWorkerGuard {
  TSquareJobs& Jobs;
  std::vector<std::thread> Threads;
  ~TWorkerGuard() {
    Jobs.stop.store(true);
    for (std::thread& t : Threads) {
      if (t.joinable()) {
        t.join();
      }
    }
  }
};

bool SquareSingle(const double* A, std::size_t m, std::size_t n, double d, double* R) {
  for (std::size_t i = 0; i < n; ++i) {
    if (AbortRequested()) {
      return false;
    }
    (void)ProgressStep();  // the flag was read just before
    SquareColumn(A, m, n, i, d, R);
  }
  return true;
}

}  // namespace

bool SquareKernel(const double* A, std::size_t m, std::size_t n, double d, double* R, std::int32_t Threads) {
  const std::size_t wanted = Threads < 1 ? 1 : static_cast<std::size_t>(Threads);
  const std::size_t nWorkers = std::min(wanted, n);
  if (nWorkers <= 1) {
    return SquareSingle(A, m, n, d, R);
  }
  TSquareJobs jobs(A, m, n, d, R);
  bool aborted = false;
  {
    TWorkerGuard guard{jobs, {}};
    guard.Threads.reserve(nWorkers);
    for (std::size_t t = 0; t < nWorkers; ++t) {
      {
        std::lock_guard<std::mutex> lock(jobs.mtx);
        ++jobs.running;
      }
      try {
        guard.Threads.emplace_back([&jobs] { jobs.Work(); });
      } catch (const std::system_error&) {
        // No more threads to be had: go on with those that run.
        std::lock_guard<std::mutex> lock(jobs.mtx);
        --jobs.running;
        break;
      }
    }
    if (guard.Threads.empty()) {
      // Not a single worker could be started: compute on this thread.
      jobs.stop.store(true);
      return SquareSingle(A, m, n, d, R);
    }
    std::unique_lock<std::mutex> lock(jobs.mtx);
    std::size_t reported = ~std::size_t{0};
    for (;;) {
      if (jobs.done != reported) {
        reported = jobs.done;
        lock.unlock();
        ProgressReport();
        lock.lock();
      }
      if (AbortRequested()) {
        aborted = true;
        break;
      }
      if (jobs.running == 0) {
        break;
      }
      jobs.cv.wait_for(lock, std::chrono::milliseconds(20));
    }
    lock.unlock();
    // The guard stops and joins the workers here.
  }
  if (aborted) {
    return false;
  }
  ProgressReport();
  return true;
}

// ---- Cholesky, balancing ---------------------------------------------------------------------

std::size_t CholeskyKernel(double* A, std::size_t n, double* P) {
  std::fill(P, P + n, 0.0);
  for (std::size_t i = 0; i < n; ++i) {
    // Rows 0..i-1 of column i hold L(i, k) (written by the earlier steps),
    // rows 0..i-1 of column j hold L(j, k): both runs are contiguous.
    const double* ci = A + i * n;
    Extended s = static_cast<Extended>(ci[i]) - DotExt(ci, ci, i);
    if (!(s > 0)) {
      return i;
    }
    const Extended piv = std::sqrt(s);
    P[i] = static_cast<double>(piv);
    const Extended pi = P[i];
    std::size_t j = i + 1;
    for (; j + 3 < n; j += 4) {
      double* cj = A + j * n;
      Extended s0;
      Extended s1;
      Extended s2;
      Extended s3;
      DotExt4(ci, cj, cj + n, cj + 2 * n, cj + 3 * n, i, s0, s1, s2, s3);
      cj[i] = static_cast<double>((ci[j] - s0) / pi);
      cj[n + i] = static_cast<double>((ci[j + 1] - s1) / pi);
      cj[2 * n + i] = static_cast<double>((ci[j + 2] - s2) / pi);
      cj[3 * n + i] = static_cast<double>((ci[j + 3] - s3) / pi);
    }
    for (; j < n; ++j) {
      double* cj = A + j * n;
      cj[i] = static_cast<double>((ci[j] - DotExt(ci, cj, i)) / pi);
    }
  }
  return n;
}

void BalanceKernel(double* A, std::size_t n, double Precision) {
  const double prec = std::clamp(Precision, 1.000001, 1.05);
  double fmax = 2.1;
  for (int pass = 0; pass < 100 && fmax > prec; ++pass) {
    fmax = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      Extended c = 0;  // row i
      Extended r = 0;  // column i
      double* col = A + i * n;
      for (std::size_t j = 0; j < n; ++j) {
        if (j != i) {
          c += std::fabs(A[j * n + i]);
          r += std::fabs(col[j]);
        }
      }
      if (r == 0 || c == 0 || !std::isfinite(static_cast<double>(c)) || !std::isfinite(static_cast<double>(r))) {
        continue;
      }
      const Extended fe = std::sqrt(c / r);
      const double f = static_cast<double>(fe);
      fmax = std::max(fmax, static_cast<double>(std::max(fe, 1 / fe)));
      if (std::isnormal(f) && std::isnormal(1.0 / f)) {
        for (std::size_t j = 0; j < n; ++j) {
          if (j != i) {
            A[j * n + i] /= f;
            col[j] *= f;
          }
        }
      } else {
        // A factor beyond the double range (sums of very different
        // magnitudes): scale in 80 bits, where it is representable.
        for (std::size_t j = 0; j < n; ++j) {
          if (j != i) {
            A[j * n + i] = static_cast<double>(A[j * n + i] / fe);
            col[j] = static_cast<double>(col[j] * fe);
          }
        }
      }
    }
  }
}

// ---- norms, correlation, distances ------------------------------------------------------------

namespace {

/// The largest of the absolute-value sums, NaN as soon as one of them is NaN.
double LargestSumOrNaN(const std::vector<Extended>& sums) {
  double best = 0.0;
  for (const Extended s : sums) {
    const double v = static_cast<double>(s);
    if (std::isnan(v)) {
      return v;
    }
    best = std::max(best, v);
  }
  return best;
}

}  // namespace

double NormColwiseKernel(const double* A, std::size_t m, std::size_t n) {
  std::vector<Extended> sums(n, Extended{0});
  for (std::size_t c = 0; c < n; ++c) {
    const double* col = A + c * m;
    for (std::size_t r = 0; r < m; ++r) {
      sums[c] += std::fabs(col[r]);
    }
  }
  return LargestSumOrNaN(sums);
}

double NormRowwiseKernel(const double* A, std::size_t m, std::size_t n) {
  std::vector<Extended> sums(m, Extended{0});
  for (std::size_t c = 0; c < n; ++c) {
    const double* col = A + c * m;
    for (std::size_t r = 0; r < m; ++r) {
      sums[r] += std::fabs(col[r]);
    }
  }
  return LargestSumOrNaN(sums);
}

double NormFrobeniusKernel(const double* A, std::size_t Count) {
  Extended s = 0;
  for (std::size_t k = 0; k < Count; ++k) {
    s += static_cast<Extended>(A[k]) * A[k];
  }
  return static_cast<double>(std::sqrt(s));
}

double CorrelateKernel(const double* X, const double* Y, std::size_t Count) {
  if (Count < 3) {
    return 0.0;
  }
  Extended sx = 0;
  Extended sy = 0;
  Extended sxx = 0;
  Extended syy = 0;
  Extended sxy = 0;
  for (std::size_t k = 0; k < Count; ++k) {
    const Extended x = X[k];
    const Extended y = Y[k];
    sx += x;
    sy += y;
    sxx += x * x;
    syy += y * y;
    sxy += x * y;
  }
  if (sxx <= 0 || syy <= 0) {
    return 0.0;  // NaN sums go on and give NaN
  }
  const Extended nn = static_cast<Extended>(Count);
  const Extended cxx = sxx - sx * sx / nn;
  const Extended cyy = syy - sy * sy / nn;
  if (cxx == 0 || cyy == 0) {
    return 0.0;
  }
  return static_cast<double>((sxy - sx * sy / nn) / std::sqrt(std::fabs(cxx * cyy)));
}

namespace {

/// The sums one distance needs, over n pairs with the given strides.
Extended DistanceSums(TDistMode Mode, const double* X, const double* Y, std::size_t n, std::size_t Stride) {
  switch (Mode) {
    case TDistMode::dmTanimoto:
    case TDistMode::dmDice: {
      Extended sxy = 0;
      Extended sxx = 0;
      Extended syy = 0;
      for (std::size_t k = 0; k < n; ++k) {
        const Extended x = X[k * Stride];
        const Extended y = Y[k * Stride];
        sxy += x * y;
        sxx += x * x;
        syy += y * y;
      }
      const Extended den = Mode == TDistMode::dmTanimoto ? sxx + syy - sxy : sxx + syy;
      if (den == 0) {
        return 0;
      }
      return Mode == TDistMode::dmTanimoto ? sxy / den : 2 * sxy / den;
    }
    case TDistMode::dmManhattan: {
      Extended s = 0;
      for (std::size_t k = 0; k < n; ++k) {
        s += std::fabs(static_cast<Extended>(X[k * Stride]) - Y[k * Stride]);
      }
      return s;
    }
    case TDistMode::dmEuclid:
    case TDistMode::dmEuclidSq: {
      Extended s = 0;
      for (std::size_t k = 0; k < n; ++k) {
        const Extended t = static_cast<Extended>(X[k * Stride]) - Y[k * Stride];
        s += t * t;
      }
      return Mode == TDistMode::dmEuclid ? std::sqrt(s) : s;
    }
    default:
      return 0;
  }
}

}  // namespace

double ObjectDistance(TDistMode Mode, const double* X, const double* Y, std::size_t n, std::size_t Stride) {
  return static_cast<double>(DistanceSums(Mode, X, Y, n, Stride));
}

void DistanceMatrixKernel(TDistMode Mode, const double* A, std::size_t m, std::size_t n, double* D) {
  // The objects are rows: transpose once so that each is contiguous.
  std::vector<double> rows(m * n);
  TransposeInto(A, m, n, rows.data());
  for (std::size_t i = 0; i < m; ++i) {
    D[i * m + i] = 0.0;
    const double* x = rows.data() + i * n;
    for (std::size_t j = i + 1; j < m; ++j) {
      const double v = static_cast<double>(DistanceSums(Mode, x, rows.data() + j * n, n, 1));
      D[j * m + i] = v;
      D[i * m + j] = v;
    }
  }
}

}  // namespace qmx::detail
