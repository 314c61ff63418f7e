// Robustness of the matrix numerics: every numeric operation of TMatrix and
// TIntMatrix and the decomposition routines, called with NaN, infinities,
// signed zeros, the extreme and the denormal doubles (and the extreme 32-bit
// integers), as whole matrices and mixed among ordinary values, in shapes
// 1 x 1, 1 x n, n x 1, 2 x 2 and 6 x 5, and as scalar arguments.  Every call
// must return promptly, raise only its documented error and keep the
// contracts checked here (results inside the data, counts that add up,
// inputs unchanged on failure, shapes as documented).

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/matrix/matrices.hpp"
#include "qmx/matrix/svd.hpp"
#include "qmx/vector/vectors.hpp"
#include "robustness/robustness_util.hpp"

namespace qmx {
namespace {

using test::NamedArray;
using test::SpecialArrays;
using test::SpecialDoubles;
using test::Survives;
using Lim = std::numeric_limits<double>;
constexpr std::int32_t kIMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kIMax = std::numeric_limits<std::int32_t>::max();

// ---- inputs ---------------------------------------------------------------------------

struct TShape {
  std::int32_t Cols;
  std::int32_t Rows;
};
/// 1 x 1, one row, one column, 2 x 2 and a moderate non-square matrix.
constexpr TShape kShapes[] = {{1, 1}, {5, 1}, {1, 5}, {2, 2}, {6, 5}};

/// A matrix of the test: its name and its elements in column-major order.
template <class T>
struct TCase {
  std::string Name;
  std::int32_t Cols;
  std::int32_t Rows;
  std::vector<T> Values;
};

std::string ShapeName(const TShape& s) { return std::to_string(s.Cols) + "x" + std::to_string(s.Rows); }

const std::vector<TCase<double>>& DoubleCases() {
  static const std::vector<TCase<double>> cases = [] {
    std::vector<TCase<double>> out;
    for (const TShape& s : kShapes) {
      const auto n = static_cast<std::size_t>(s.Cols * s.Rows);
      for (NamedArray& a : SpecialArrays(n)) {
        out.push_back({a.name + " " + ShapeName(s), s.Cols, s.Rows, std::move(a.values)});
      }
      // Huge and tiny magnitudes side by side: ratios beyond the double range.
      std::vector<double> extremes(n);
      for (std::size_t i = 0; i < n; ++i) {
        const double pick[] = {Lim::max(), Lim::denorm_min(), -Lim::max() / 2, Lim::min() / 3, 1.0};
        extremes[i] = pick[i % 5];
      }
      out.push_back({"huge and tiny " + ShapeName(s), s.Cols, s.Rows, extremes});
    }
    return out;
  }();
  return cases;
}

const std::vector<TCase<std::int32_t>>& IntCases() {
  static const std::vector<TCase<std::int32_t>> cases = [] {
    std::vector<TCase<std::int32_t>> out;
    for (const TShape& s : kShapes) {
      const auto n = static_cast<std::size_t>(s.Cols * s.Rows);
      std::vector<std::int32_t> ordinary(n);
      std::vector<std::int32_t> alternating(n);
      for (std::size_t i = 0; i < n; ++i) {
        ordinary[i] = static_cast<std::int32_t>((i * 7) % 11) - 4;
        alternating[i] = i % 2 == 0 ? kIMin : kIMax;
      }
      for (const std::int32_t v : {kIMin, kIMax, 0, -1}) {
        out.push_back({"all " + std::to_string(v) + " " + ShapeName(s), s.Cols, s.Rows,
                       std::vector<std::int32_t>(n, v)});
        std::vector<std::int32_t> one = ordinary;
        one[n / 2] = v;
        out.push_back({"one " + std::to_string(v) + " " + ShapeName(s), s.Cols, s.Rows, one});
      }
      out.push_back({"alternating extremes " + ShapeName(s), s.Cols, s.Rows, alternating});
      out.push_back({"ordinary " + ShapeName(s), s.Cols, s.Rows, ordinary});
    }
    return out;
  }();
  return cases;
}

template <class M, class T>
void Load(M& m, const TCase<T>& c) {
  m.Resize(c.Cols, c.Rows);
  std::copy(c.Values.begin(), c.Values.end(), m.Data().begin());
}

// ---- checks -----------------------------------------------------------------------------

template <class T>
bool SameBits(std::span<const T> a, std::span<const T> b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

/// The elements as sorted bit patterns: a multiset that NaN does not disturb.
template <class T>
std::vector<std::uint64_t> BitMultiset(std::span<const T> v) {
  std::vector<std::uint64_t> out;
  for (const T x : v) {
    if constexpr (sizeof(T) == 8) {
      out.push_back(std::bit_cast<std::uint64_t>(x));
    } else {
      out.push_back(static_cast<std::uint32_t>(x));
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

template <class T>
bool IsOneOf(double x, const std::vector<T>& v) {
  return std::any_of(v.begin(), v.end(), [x](T y) {
    return static_cast<double>(y) == x || (std::isnan(x) && std::isnan(static_cast<double>(y)));
  });
}

struct TFacts {
  bool NaN = false;
  bool PosInf = false;
  bool NegInf = false;
  bool Negative = false;     // some x < 0
  bool NonPositive = false;  // some x <= 0
  double Min = Lim::max();   // of the values that are not NaN
  double Max = -Lim::max();
  bool Finite() const { return !NaN && !PosInf && !NegInf; }
};

template <class T>
TFacts FactsOf(const std::vector<T>& v) {
  TFacts f;
  for (const T t : v) {
    const auto x = static_cast<double>(t);
    f.NaN = f.NaN || std::isnan(x);
    f.PosInf = f.PosInf || x == Lim::infinity();
    f.NegInf = f.NegInf || x == -Lim::infinity();
    f.Negative = f.Negative || x < 0;
    f.NonPositive = f.NonPositive || x <= 0;
    if (!std::isnan(x)) {
      f.Min = std::min(f.Min, x);
      f.Max = std::max(f.Max, x);
    }
  }
  return f;
}

/// Σx² in 80 bits (the squared Frobenius norm; no double overflows there).
Extended SumOfSquares(std::span<const double> v) {
  Extended s = 0;
  for (const double x : v) {
    s += static_cast<Extended>(x) * x;
  }
  return s;
}

/// Checks a largest singular value against the Frobenius norm Fro of a
/// matrix of finite elements: Fro/sqrt(k) <= Value <= Fro (k the smaller
/// dimension), where a true value beyond the double range must be infinite.
void ExpectSpectralBetween(double Value, Extended Fro, std::int32_t k) {
  const Extended hi = Fro * (1 + 1e-12L) + 4 * static_cast<Extended>(Lim::denorm_min());
  const Extended lo = Fro / std::sqrt(static_cast<Extended>(k)) * (1 - 1e-12L) -
                      4 * static_cast<Extended>(Lim::denorm_min());
  ASSERT_FALSE(std::isnan(Value));
  if (std::isinf(Value)) {
    EXPECT_GT(hi, static_cast<Extended>(Lim::max())) << static_cast<double>(Fro);
  } else {
    EXPECT_LE(static_cast<Extended>(Value), hi) << static_cast<double>(Fro);
    EXPECT_GE(static_cast<Extended>(Value), lo) << static_cast<double>(Fro);
  }
}

/// A named operation on a freshly loaded matrix; it checks what it can.
template <class M, class T>
struct TOp {
  const char* Name;
  std::function<void(M& m, const TCase<T>& c)> Run;
};

/// Calls every operation on a fresh copy of every case.  Returns the number of calls.
template <class M, class T>
std::size_t RunTable(const std::vector<TCase<T>>& cases, const std::vector<TOp<M, T>>& ops) {
  std::size_t calls = 0;
  for (const TCase<T>& c : cases) {
    for (const TOp<M, T>& op : ops) {
      SCOPED_TRACE(std::string(op.Name) + " on " + c.Name);
      M m;
      Load(m, c);
      Survives<>(std::string(op.Name) + " on " + c.Name, [&] { op.Run(m, c); });
      ++calls;
    }
  }
  return calls;
}

/// An ordinary matrix of the given shape.
void Ordinary(TMatrix& m, std::int32_t cols, std::int32_t rows) {
  m.Resize(cols, rows);
  std::int32_t k = 0;
  for (double& x : m.Data()) {
    x = 0.5 + static_cast<double>((k * 5) % 7) - static_cast<double>(k % 3);
    ++k;
  }
}

// ---- TMatrix: one operation per entry, run on every special matrix ------------------------------

std::vector<TOp<TMatrix, double>> StatisticsOps() {
  using C = TCase<double>;
  return {
      {"MinMax",
       [](TMatrix& m, const C& c) {
         const TFacts f = FactsOf(c.Values);
         double mn = 0;
         double mx = 0;
         m.MinMax(0, 0, 0, 0, mn, mx);
         EXPECT_EQ(mn, f.Min);
         EXPECT_EQ(mx, f.Max);
       }},
      {"Sum, Trace",
       [](TMatrix& m, const C& c) {
         const double s = m.Sum(0, 0, 0, 0);
         if (FactsOf(c.Values).NaN) {
           EXPECT_TRUE(std::isnan(s));
         }
         (void)m.Sum(2, 2, 99, -7);
         (void)m.Trace();
       }},
      {"MeanVar",
       [](TMatrix& m, const C& c) {
         double mean = 0;
         double var = 0;
         m.MeanVar(0, 0, 0, 0, mean, var);
         EXPECT_FALSE(var < 0);
         if (FactsOf(c.Values).NaN) {
           EXPECT_TRUE(std::isnan(mean));
         }
       }},
      {"GeometricMean",
       [](TMatrix& m, const C& c) {
         bool threw = false;
         try {
           const double g = m.GeometricMean(0, 0, 0, 0);
           EXPECT_FALSE(g < 0);
         } catch (const EQMXMatrixError&) {
           threw = true;
         }
         EXPECT_EQ(threw, FactsOf(c.Values).Negative);
       }},
      {"HarmonicMean",
       [](TMatrix& m, const C& c) {
         bool threw = false;
         try {
           const double h = m.HarmonicMean(0, 0, 0, 0);
           EXPECT_FALSE(h < 0);
         } catch (const EQMXMatrixError&) {
           threw = true;
         }
         EXPECT_EQ(threw, FactsOf(c.Values).NonPositive);
       }},
      {"SkewKurt, SkewKurtSample",
       [](TMatrix& m, const C&) {
         double s = 0;
         double k = 0;
         m.SkewKurt(0, 0, 0, 0, s, k);
         m.SkewKurtSample(0, 0, 0, 0, s, k);
         m.SkewKurtSample(1, 1, 2, 2, s, k);
       }},
      {"Quartiles",
       [](TMatrix& m, const C& c) {
         double q1 = 0;
         double q2 = 0;
         double q3 = 0;
         EXPECT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
         const TFacts f = FactsOf(c.Values);
         if (!f.NaN && !(f.PosInf && f.NegInf)) {
           // Interpolated between sorted neighbours: inside the data and ordered.
           EXPECT_TRUE(f.Min <= q1 && q1 <= q2 && q2 <= q3 && q3 <= f.Max) << q1 << " " << q2 << " " << q3;
         }
       }},
      {"Percentile",
       [](TMatrix& m, const C& c) {
         for (const double p : {0.0, 25.0, 50.0, 99.0, 100.0}) {
           EXPECT_TRUE(IsOneOf(m.Percentile(p, 0, 0, 0, 0), c.Values)) << p;
           const double s = m.Percentile(p, 0, 0, 0, 0, 3);
           EXPECT_TRUE(s == 0.0 || IsOneOf(s, c.Values)) << p;
         }
       }},
      {"Histogram",
       [](TMatrix& m, const C& c) {
         TIntArray h;
         std::int32_t under = -1;
         std::int32_t over = -1;
         std::int32_t maxCnt = -1;
         ASSERT_TRUE(m.Histogram(0, 0, 0, 0, -3.0, 3.0, 0.5, h, under, over, maxCnt));
         ASSERT_EQ(h.size(), 13u);
         std::int64_t total = std::int64_t{under} + over;
         for (const std::int32_t k : h) {
           total += k;
         }
         EXPECT_EQ(total, static_cast<std::int64_t>(c.Values.size()));
         EXPECT_EQ(maxCnt, *std::max_element(h.begin(), h.end()));
         TIntVector hv;
         EXPECT_TRUE(m.Histogram(0, 0, 0, 0, -3.0, 3.0, 0.5, &hv, under, over, maxCnt));
         EXPECT_TRUE(m.Histogram(0, 0, 0, 0, -3.0, 3.0, 0.5, static_cast<TIntVector*>(nullptr), under, over, maxCnt));
       }},
      {"MeanVec, Dichotomize",
       [](TMatrix& m, const C& c) {
         TVector v;
         m.MeanVec(TDims::dimColumns, &v);
         EXPECT_EQ(v.NrOfElem(), c.Cols);
         m.MeanVec(TDims::dimRows, &v);
         EXPECT_EQ(v.NrOfElem(), c.Rows);
         TBool2DArray mask;
         const std::int32_t n = m.Dichotomize(0.0, mask);
         EXPECT_EQ(n, std::count_if(c.Values.begin(), c.Values.end(), [](double x) { return x >= 0.0; }));
         EXPECT_EQ(mask.size(), static_cast<std::size_t>(c.Cols));
       }},
      {"EdgeVector",
       [](TMatrix& m, const C& c) {
         TVector v;
         for (const TOrientation o : {TOrientation::orHorizontal, TOrientation::orVertical}) {
           for (std::uint8_t op = 0; op <= 4; ++op) {
             EXPECT_EQ(m.EdgeVector(o, static_cast<TEdgeOp>(op), &v), 0);
             EXPECT_EQ(v.NrOfElem(), o == TOrientation::orVertical ? c.Cols : c.Rows);
             if (o == TOrientation::orVertical && op >= 2 && (op < 4 || c.Rows >= 3)) {
               for (std::int32_t col = 1; col <= c.Cols; ++col) {
                 const auto first = c.Values.begin() + (col - 1) * c.Rows;
                 if (std::any_of(first, first + c.Rows, [](double x) { return std::isnan(x); })) {
                   EXPECT_TRUE(std::isnan(v.GetVal(col))) << int{op};  // sums of NaN are NaN
                 }
               }
             }
             EXPECT_EQ(m.EdgeVector(o, static_cast<TEdgeOp>(op), TIntArray{1, 99, -1}, &v), -2);
           }
         }
       }},
      {"Find, FindInSortedColumn, CountValues",
       [](TMatrix& m, const C& c) {
         std::int32_t col = -1;
         std::int32_t row = -1;
         m.Find(0, 0, 0, 0, 0.0, col, row);
         if (FactsOf(c.Values).NaN && std::all_of(c.Values.begin(), c.Values.end(), [](double x) { return std::isnan(x); })) {
           EXPECT_EQ(col, 0);
         } else {
           EXPECT_TRUE(col >= 1 && col <= c.Cols && row >= 1 && row <= c.Rows) << col << " " << row;
         }
         for (const bool asc : {true, false}) {
           const std::int32_t r = m.FindInSortedColumn(1, asc, 1.0);
           EXPECT_TRUE(r >= 1 && r <= c.Rows) << r;
         }
         EXPECT_EQ(m.CountValues(0, 0, 0, 0, -1.0, 1.0),
                   std::count_if(c.Values.begin(), c.Values.end(), [](double x) { return x >= -1.0 && x <= 1.0; }));
       }},
  };
}

std::vector<TOp<TMatrix, double>> ReshapeOps() {
  using C = TCase<double>;
  return {
      {"StandardizeColumns, StandardizeRows",
       [](TMatrix& m, const C& c) {
         TVector mean;
         TVector sd;
         m.StandardizeColumns(&mean, &sd);
         EXPECT_EQ(sd.NrOfElem(), c.Cols);
         m.StandardizeRows(&mean, &sd);
         EXPECT_EQ(sd.NrOfElem(), c.Rows);
         m.StandardizeRows(nullptr, nullptr);
         EXPECT_EQ(m.NrOfColumns(), c.Cols);
         EXPECT_EQ(m.NrOfRows(), c.Rows);
       }},
      {"QNormalizeColumns, QNormalizeRows",
       [](TMatrix& m, const C& c) {
         TVector centre;
         TVector spread;
         m.QNormalizeColumns(25.0, &centre, &spread);
         EXPECT_EQ(spread.NrOfElem(), c.Cols);
         m.QNormalizeRows(75.0, &centre, &spread);
         EXPECT_EQ(spread.NrOfElem(), c.Rows);
       }},
      {"MeanCenterColumns, MeanCenterRows",
       [](TMatrix& m, const C& c) {
         TVector mean;
         m.MeanCenterColumns(&mean);
         EXPECT_EQ(mean.NrOfElem(), c.Cols);
         m.MeanCenterRows(&mean);
         EXPECT_EQ(mean.NrOfElem(), c.Rows);
       }},
      {"Diff",
       [](TMatrix& m, const C& c) {
         const std::int32_t rc = m.Diff(1, TApplyColRow::acrColumns);
         EXPECT_EQ(rc, c.Rows > 1 ? 0 : -2);
         EXPECT_EQ(m.NrOfRows(), c.Rows > 1 ? c.Rows - 1 : c.Rows);
         (void)m.Diff(1, TApplyColRow::acrRows);
       }},
      {"SortRows, SortCols",
       [](TMatrix& m, const C& c) {
         const auto before = BitMultiset<double>(c.Values);
         m.SortRows(1, true, 0, 0, 0, 0);
         m.SortCols(1, false, 0, 0, 0, 0);
         std::int32_t exchanges = 0;
         m.OnSortExchange = [&](TObject*, std::uint8_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
           ++exchanges;
         };
         m.SortRows(m.NrOfColumns(), false, 1, 1, 1, 99);
         m.SortCols(m.NrOfRows(), true, 0, 0, 0, 0);
         EXPECT_LT(exchanges, 1000);
         EXPECT_EQ(BitMultiset<double>(m.Data()), before);
       }},
      {"Mirror, Exchange, Transpose",
       [](TMatrix& m, const C& c) {
         m.MirrorColumns();
         m.MirrorRows();
         m.ExchangeColumns(1, c.Cols);
         m.ExchangeRows(1, c.Rows);
         m.ExchangeRows(1, c.Rows);
         m.ExchangeColumns(1, c.Cols);
         m.MirrorRows();
         m.MirrorColumns();
         m.Transpose();
         EXPECT_EQ(m.NrOfColumns(), c.Rows);
         m.Transpose();
         EXPECT_TRUE(SameBits<double>(m.Data(), c.Values));
       }},
      {"Clone, Assign, CopyFrom, Resize, Remove",
       [](TMatrix& m, const C& c) {
         TMatrix a;
         a.Clone(&m);
         EXPECT_TRUE(SameBits<double>(a.Data(), c.Values));
         TMatrix b;
         b.Assign(&m);
         EXPECT_TRUE(SameBits<double>(b.Data(), c.Values));
         m.CopyFrom(&m, 1, 1, 0, 0, 2, 2);
         EXPECT_TRUE(m.Resize(c.Cols + 1, c.Rows + 1));
         EXPECT_EQ(std::bit_cast<std::uint64_t>(m.GetVal(1, 1)), std::bit_cast<std::uint64_t>(c.Values[0]));
         EXPECT_TRUE(m.RemoveColumn(1));
         EXPECT_TRUE(m.RemoveRow(1));
         EXPECT_TRUE(m.ResizeAndClear(c.Cols + 2, 1));
         EXPECT_EQ(m.GetVal(1, 1), 0.0);
       }},
      {"CopyToArray, CopyFromArray, DuplicateDataAsArray",
       [](TMatrix& m, const C& c) {
         TDouble2DArray d(static_cast<std::size_t>(c.Cols), TDoubleArray(static_cast<std::size_t>(c.Rows)));
         EXPECT_EQ(m.CopyToArray(d, 0, 0, 0, 0, 0, 0), 0);
         TInt2DArray i(static_cast<std::size_t>(c.Cols), TIntArray(static_cast<std::size_t>(c.Rows)));
         EXPECT_EQ(m.CopyToArray(i, 0, 0, 0, 0, 0, 0), 0);
         EXPECT_EQ(i[0][0], detail::RoundHalfEvenToInt32(c.Values[0]));
         TDouble2DArray dup(1);
         EXPECT_EQ(m.DuplicateDataAsArray(dup), 0);
         EXPECT_TRUE(SameBits<double>(dup[0], std::span<const double>(c.Values).first(static_cast<std::size_t>(c.Rows))));
         TMatrix t;
         t.Resize(c.Cols, c.Rows);
         EXPECT_EQ(t.CopyFromArray(d, 0, 0, 0, 0, 1, 1), 0);
         EXPECT_TRUE(SameBits<double>(t.Data(), c.Values));
         EXPECT_EQ(t.CopyFromArray(c.Values, 0, 0, 1, 1, true), 0);
         TIntMatrix im;
         im.Resize(c.Cols, c.Rows);
         EXPECT_EQ(im.CopyFromArray(c.Values, 0, 0, 1, 1, false), 0);
         EXPECT_EQ(im.GetVal(1, 1), detail::RoundHalfEvenToInt32(c.Values[0]));
       }},
      {"CopyRowToVec, CopyColToVec, 1-D arrays, CopyFromVec, CRCofData",
       [](TMatrix& m, const C& c) {
         TVector v;
         m.CopyRowToVec(&v, 1);
         m.CopyColToVec(&v, c.Cols);
         EXPECT_TRUE(SameBits<double>(v.Data(), std::span<const double>(c.Values).last(static_cast<std::size_t>(c.Rows))));
         TDoubleArray a(4);
         m.CopyColTo1DArray(a, 1, 0, 0, -1);
         m.CopyRowTo1DArray(a, 1, 0, 0, 2);
         m.CopyFromVec(TDims::dimRows, &v, 0, 0, 1, 1);
         TIntVector iv;
         iv.Resize(3);
         iv.Fill(kIMin);
         m.CopyFromVec(TDims::dimColumns, &iv, 0, 0, 1, 1);
         EXPECT_EQ(m.CRCofData().size(), 64u);
       }},
  };
}

std::vector<TOp<TMatrix, double>> AlgebraOps() {
  using C = TCase<double>;
  return {
      {"Multiply, MultiplyTransposed, TransposeAndMultiply (self)",
       [](TMatrix& m, const C& c) {
         TMatrix r;
         EXPECT_EQ(m.Multiply(&m, &r), c.Cols == c.Rows);
         EXPECT_TRUE(m.MultiplyTransposed(&m, &r));
         EXPECT_EQ(r.NrOfColumns(), c.Rows);
         EXPECT_TRUE(m.TransposeAndMultiply(&m, &r));
         EXPECT_EQ(r.NrOfColumns(), c.Cols);
         EXPECT_EQ(r.NrOfRows(), c.Cols);
         TMatrix o;
         Ordinary(o, 3, c.Cols);
         EXPECT_TRUE(m.Multiply(&o, &r));
         EXPECT_TRUE(o.MultiplyTransposed(&o, &r));
         if (c.Rows == c.Cols) {
           EXPECT_TRUE(m.Multiply(&m, &m));  // the result in place of an operand
         }
       }},
      {"Multiply, TransposeAndMultiply (vectors)",
       [](TMatrix& m, const C& c) {
         TVector v;
         v.Resize(c.Cols);
         std::copy_n(c.Values.begin(), c.Cols, v.Data().begin());
         TVector w;
         EXPECT_TRUE(m.Multiply(&v, &w));
         EXPECT_EQ(w.NrOfElem(), c.Rows);
         EXPECT_TRUE(m.TransposeAndMultiply(&w, &v));
         EXPECT_EQ(v.NrOfElem(), c.Cols);
       }},
      {"EMult, Add, Subtract, SMult, SAdd",
       [](TMatrix& m, const C& c) {
         TMatrix r;
         EXPECT_TRUE(m.EMult(&m, &r));
         EXPECT_TRUE(m.Add(&r));
         EXPECT_TRUE(m.Subtract(&m));
         TMatrix o;
         Ordinary(o, c.Cols + 1, c.Rows);
         EXPECT_FALSE(m.Add(&o));
         m.SMult(Lim::max());
         m.SAdd(-Lim::infinity());
       }},
      {"Square (thread counts, in place)",
       [](TMatrix& m, const C& c) {
         TMatrix r1;
         ASSERT_TRUE(m.Square(&r1, 1.0, 1));
         EXPECT_EQ(r1.NrOfColumns(), c.Cols);
         EXPECT_EQ(r1.NrOfRows(), c.Cols);
         for (const std::int32_t threads : {2, 3, 0, -4}) {
           TMatrix r;
           EXPECT_TRUE(m.Square(&r, 1.0, threads));
           EXPECT_TRUE(SameBits<double>(r.Data(), r1.Data())) << threads;
         }
         TMatrix r;
         EXPECT_TRUE(m.Square(&r, 3.0));
         EXPECT_TRUE(m.Square(&m, 1.0, 2));
         EXPECT_TRUE(SameBits<double>(m.Data(), r1.Data()));
       }},
      {"Invert",
       [](TMatrix& m, const C& c) {
         const bool ok = m.Invert();
         if (c.Cols != c.Rows || !FactsOf(c.Values).Finite()) {
           EXPECT_FALSE(ok);
         }
         if (ok) {  // an inverse that overflows is a failure
           EXPECT_TRUE(std::all_of(m.Data().begin(), m.Data().end(), [](double x) { return std::isfinite(x); }));
         }
         if (!ok) {
           EXPECT_TRUE(SameBits<double>(m.Data(), c.Values));
         }
       }},
      {"LUdecomposition, Determinant",
       [](TMatrix& m, const C& c) {
         TMatrix l;
         TMatrix u;
         const bool ok = m.LUdecomposition(&l, &u);
         const bool usable = c.Cols == c.Rows && FactsOf(c.Values).Finite();
         if (!usable) {
           EXPECT_FALSE(ok);
         }
         if (ok) {
           EXPECT_EQ(u.NrOfColumns(), c.Cols);
         } else {
           EXPECT_EQ(l.NrOfColumns(), 1);
           EXPECT_EQ(u.GetVal(1, 1), 0.0);
         }
         const double det = m.Determinant();
         if (!usable) {
           EXPECT_EQ(det, 0.0);
         }
         EXPECT_TRUE(SameBits<double>(m.Data(), c.Values));
       }},
      {"CholeskyDecomp",
       [](TMatrix& m, const C& c) {
         TMatrix l;
         const bool ok = m.CholeskyDecomp(&l);
         if (c.Cols != c.Rows) {
           EXPECT_FALSE(ok);
           EXPECT_EQ(l.NrOfColumns(), 1);
         } else {
           EXPECT_EQ(l.NrOfColumns(), c.Cols);
           EXPECT_EQ(l.NrOfRows(), c.Cols);
           if (std::isnan(c.Values[0])) {
             EXPECT_FALSE(ok);
           }
         }
         (void)m.CholeskyDecomp(&m);
       }},
      {"Norm",
       [](TMatrix& m, const C& c) {
         const TFacts f = FactsOf(c.Values);
         const Extended fro = std::sqrt(SumOfSquares(c.Values));
         for (const TNormType t : {TNormType::ntColwise, TNormType::ntRowwise, TNormType::ntSpectral,
                                   TNormType::ntFrobenius}) {
           SCOPED_TRACE(static_cast<int>(t));
           double v = 0;
           try {
             v = m.Norm(t);
           } catch (const EQMXMatrixError&) {
             EXPECT_EQ(t, TNormType::ntSpectral);  // documented for a decomposition that does not converge
             continue;
           }
           if (f.NaN) {
             EXPECT_TRUE(std::isnan(v)) << v;
           } else if (f.PosInf || f.NegInf) {
             EXPECT_EQ(v, Lim::infinity());
           } else {
             EXPECT_GE(v, 0.0);
           }
           if (t == TNormType::ntSpectral && f.Finite()) {
             ExpectSpectralBetween(v, fro, std::min(c.Cols, c.Rows));
           }
           if (t == TNormType::ntFrobenius && f.Finite()) {
             EXPECT_EQ(v, static_cast<double>(fro));
           }
         }
         EXPECT_TRUE(SameBits<double>(m.Data(), c.Values));
       }},
      {"Balance",
       [](TMatrix& m, const C& c) {
         for (const double p : {0.0, 1.01, 2.0}) {
           const bool ok = m.Balance(p);
           EXPECT_EQ(ok, c.Cols == c.Rows);
           if (FactsOf(c.Values).Finite()) {
             // A similarity scaling that evens out the sums cannot overflow.
             EXPECT_TRUE(std::all_of(m.Data().begin(), m.Data().end(), [](double x) { return std::isfinite(x); }));
           }
           for (std::int32_t i = 1; i <= std::min(c.Cols, c.Rows); ++i) {
             const double d = c.Values[static_cast<std::size_t>((i - 1) * c.Rows + (i - 1))];
             EXPECT_TRUE(std::bit_cast<std::uint64_t>(m.GetVal(i, i)) == std::bit_cast<std::uint64_t>(d));
           }
         }
       }},
      {"Correlate",
       [](TMatrix& m, const C& c) {
         const double r = m.Correlate(&m);
         EXPECT_TRUE(std::isnan(r) || std::fabs(r) <= 1 + 1e-12) << r;
         if (FactsOf(c.Values).NaN && c.Values.size() >= 3) {
           EXPECT_TRUE(std::isnan(r)) << r;
         }
         TMatrix o;
         Ordinary(o, c.Cols, c.Rows);
         (void)m.Correlate(&o);
         TMatrix other;
         other.Resize(c.Cols + 1, c.Rows);
         EXPECT_THROW((void)m.Correlate(&other), EQMXMatrixError);
       }},
      {"CalcHatMatrix",
       [](TMatrix& m, const C& c) {
         TMatrix h;
         const std::int32_t rc = m.CalcHatMatrix(&h);
         EXPECT_TRUE(rc == 0 || rc == -3) << rc;
         EXPECT_EQ(h.NrOfRows(), c.Rows);
         (void)m.CalcHatMatrix(&m);
       }},
      {"DistanceOfObjects, CalcDistMat",
       [](TMatrix& m, const C& c) {
         m.OnCalcDistance = [](TObject*, std::int32_t, std::int32_t, double& d) { d = Lim::quiet_NaN(); };
         for (std::uint8_t mode = 0; mode <= 6; ++mode) {
           const auto dm = static_cast<TDistMode>(mode);
           (void)m.DistanceOfObjects(dm, 1, c.Rows);
           (void)m.DistanceOfObjects(dm, 0, 1);
           (void)m.DistanceOfObjects(dm, 99, -99);
           TMatrix d;
           d.Resize(c.Rows, c.Rows);
           EXPECT_EQ(m.CalcDistMat(dm, &d), 0);
           for (std::int32_t i = 1; i <= c.Rows; ++i) {
             EXPECT_EQ(d.GetVal(i, i), 0.0);
           }
         }
       }},
      {"SvdDecompose, SvdBackSubstitute",
       [](TMatrix& m, const C& c) {
         TMatrix v;
         TVector w;
         const Extended fro2 = SumOfSquares(c.Values);
         ASSERT_TRUE(SvdDecompose(&m, &v, &w));
         ASSERT_EQ(w.NrOfElem(), c.Cols);
         EXPECT_EQ(v.NrOfColumns(), c.Cols);
         const Extended w2 = SumOfSquares(w.Data());
         const bool finite = FactsOf(c.Values).Finite();
         for (const double x : w.Data()) {
           EXPECT_FALSE(x < 0);
           EXPECT_FALSE(finite && std::isnan(x));
         }
         const auto big = static_cast<Extended>(Lim::max());
         const auto small = static_cast<Extended>(Lim::min() / Lim::epsilon());
         if (finite && fro2 > small * small && fro2 < big * big) {
           // Σ w² is the squared Frobenius norm (a value beyond the double range is infinite).
           if (std::isfinite(static_cast<double>(w2))) {
             EXPECT_NEAR(static_cast<double>(w2 / fro2), 1.0, 1e-9);
           } else {
             EXPECT_GT(fro2, big * big / static_cast<Extended>(c.Cols) * (1 - 1e-9L));
           }
         }
         TVector b;
         b.Resize(c.Rows);
         b.Fill(1.0);
         TVector x;
         TVector sigma;
         EXPECT_TRUE(SvdBackSubstitute(&m, &v, &w, &sigma, &x, &b));
         EXPECT_EQ(x.NrOfElem(), c.Cols);
       }},
      {"SvdLeastSquares",
       [](TMatrix& m, const C& c) {
         TVector b;
         b.Resize(c.Rows);
         std::copy_n(c.Values.rbegin(), c.Rows, b.Data().begin());
         TVector x;
         TVector sigma;
         bool singular = false;
         EXPECT_TRUE(SvdLeastSquares(&m, &b, &x, singular, &sigma));
         EXPECT_EQ(x.NrOfElem(), c.Cols);
         EXPECT_EQ(sigma.NrOfElem(), c.Cols);
       }},
  };
}

TEST(MatrixRobustness, DoubleMatricesOfSpecialValues) {
  AbortMathProc = false;
  MathFeedBackProc = nullptr;
  std::size_t calls = RunTable(DoubleCases(), StatisticsOps());
  calls += RunTable(DoubleCases(), ReshapeOps());
  calls += RunTable(DoubleCases(), AlgebraOps());
  RecordProperty("calls", static_cast<int>(calls));
}

// ---- TMatrix: special scalar arguments on ordinary matrices ----------------------------------

TEST(MatrixRobustness, SpecialScalarArguments) {
  AbortMathProc = false;
  MathFeedBackProc = nullptr;
  const std::vector<TShape> shapes = {{1, 1}, {2, 2}, {6, 5}};
  for (const TShape& s : shapes) {
    for (const test::NamedDouble& sd : SpecialDoubles()) {
      const double x = sd.value;
      const std::string where = std::string(sd.name) + " on " + ShapeName(s);
      SCOPED_TRACE(where);
      TMatrix ref;
      Ordinary(ref, s.Cols, s.Rows);
      const std::vector<double> vals(ref.Data().begin(), ref.Data().end());
      const std::vector<std::pair<const char*, std::function<void()>>> calls = {
          {"SMult, SAdd",
           [&] {
             TMatrix m;
             Ordinary(m, s.Cols, s.Rows);
             m.SMult(x);
             m.SAdd(x);
           }},
          {"Fill, FillDiag, FillSerial",
           [&] {
             TMatrix m;
             Ordinary(m, s.Cols, s.Rows);
             m.Fill(x);
             m.Fill(2, 1, 99, 2, x);
             m.FillDiag(x);
             m.FillSerial(x, x);
             m.FillSerial(1.0, x);
             m.FillSerial(x, 1.0);
             m.SetVal(1, 1, x);
             EXPECT_EQ(std::bit_cast<std::uint64_t>(m.GetVal(1, 1)), std::bit_cast<std::uint64_t>(x));
           }},
          {"FillRandomUniform, FillRandomGauss",
           [&] {
             TMatrix m;
             Ordinary(m, s.Cols, s.Rows);
             m.FillRandomUniform(x, 1.0);
             m.FillRandomUniform(-Lim::max(), x);
             m.FillRandomUniform(1, 2, 1, 2, x, x);
             m.FillRandomGauss(x, 1.0);
             m.FillRandomGauss(0.0, x);
             m.FillRandomGauss(1, 2, 1, 2, x, x);
           }},
          {"Find, FindInSortedColumn, CountValues, Dichotomize",
           [&] {
             std::int32_t col = -1;
             std::int32_t row = -1;
             ref.Find(0, 0, 0, 0, x, col, row);
             if (std::isnan(x)) {
               EXPECT_EQ(col, 0);
             } else {
               EXPECT_TRUE(col >= 1 && col <= s.Cols && row >= 1 && row <= s.Rows);
             }
             const std::int32_t r = ref.FindInSortedColumn(1, true, x);
             EXPECT_TRUE(r >= 1 && r <= s.Rows);
             EXPECT_EQ(ref.CountValues(0, 0, 0, 0, x, x),
                       std::count_if(vals.begin(), vals.end(), [&](double v) { return v >= x && v <= x; }));
             (void)ref.CountValues(0, 0, 0, 0, -x, x);
             TBool2DArray mask;
             EXPECT_EQ(ref.Dichotomize(x, mask),
                       std::count_if(vals.begin(), vals.end(), [&](double v) { return v >= x; }));
           }},
          {"Percentile, QNormalize",
           [&] {
             const double p = ref.Percentile(x, 0, 0, 0, 0);
             EXPECT_TRUE(std::isnan(x) ? std::isnan(p) : IsOneOf(p, vals)) << p;
             const double q = ref.Percentile(x, 0, 0, 0, 0, 2);
             EXPECT_TRUE(std::isnan(x) ? std::isnan(q) : (q == 0.0 || IsOneOf(q, vals))) << q;
             TMatrix m;
             Ordinary(m, s.Cols, s.Rows);
             TVector c;
             TVector sp;
             m.QNormalizeColumns(x, &c, &sp);
             m.QNormalizeRows(x, nullptr, &sp);
           }},
          {"Histogram",
           [&] {
             TIntArray h;
             std::int32_t under = 0;
             std::int32_t over = 0;
             std::int32_t maxCnt = 0;
             const double args[][3] = {{x, 3.0, 0.5}, {-3.0, x, 0.5}, {-3.0, 3.0, x}, {x, x, x},
                                       {-x, x, 1.0}, {-Lim::max(), Lim::max(), Lim::max() / 4}};
             for (const auto& a : args) {
               h.assign(3, 7);
               if (ref.Histogram(0, 0, 0, 0, a[0], a[1], a[2], h, under, over, maxCnt)) {
                 std::int64_t total = std::int64_t{under} + over;
                 for (const std::int32_t k : h) {
                   total += k;
                 }
                 EXPECT_EQ(total, static_cast<std::int64_t>(vals.size())) << a[0] << " " << a[1] << " " << a[2];
                 EXPECT_LE(h.size(), 500u);
               } else {
                 EXPECT_EQ(h, TIntArray(3, 7));
               }
             }
           }},
          {"Square, Balance",
           [&] {
             TMatrix r1;
             TMatrix r2;
             EXPECT_TRUE(ref.Square(&r1, x, 1));
             EXPECT_TRUE(ref.Square(&r2, x, 2));
             EXPECT_TRUE(SameBits<double>(r1.Data(), r2.Data()));
             TMatrix m;
             Ordinary(m, s.Cols, s.Rows);
             EXPECT_EQ(m.Balance(x), s.Cols == s.Rows);
           }},
          {"ResampleExtMat",
           [&] {
             TMatrix m;
             TIntArray ci(1);
             TIntArray ri(1);
             for (const auto& [cp, rp] : {std::pair{x, 50.0}, std::pair{50.0, x}, std::pair{x, x}}) {
               const std::int32_t rc = m.ResampleExtMat(&ref, cp, rp, true, ci, ri);
               EXPECT_TRUE(rc == 0 || rc == -1 || rc == -2) << rc;
               if (rc == 0) {
                 for (const std::int32_t k : ci) {
                   EXPECT_TRUE(k >= 1 && k <= s.Cols);
                 }
                 for (const std::int32_t k : ri) {
                   EXPECT_TRUE(k >= 1 && k <= s.Rows);
                 }
               }
               ci.assign(1, 0);
               ri.assign(1, 0);
             }
           }},
          {"CopyFromArray, CopyToArray into integers",
           [&] {
             TIntMatrix im;
             im.Resize(2, 2);
             EXPECT_EQ(im.CopyFromArray(TDoubleArray{x, -x}, 0, 0, 1, 1, true), 0);
             EXPECT_EQ(im.GetVal(1, 2), detail::RoundHalfEvenToInt32(-x));
             TMatrix m;
             Ordinary(m, s.Cols, s.Rows);
             m.Fill(x);
             TInt2DArray a(1, TIntArray(1));
             EXPECT_EQ(m.CopyToArray(a, 1, 1, 1, 1, 0, 0), 0);
             EXPECT_EQ(a[0][0], detail::RoundHalfEvenToInt32(x));
           }},
      };
      for (const auto& [name, f] : calls) {
        Survives<>(std::string(name) + " with " + where, f);
      }
    }
  }
}

// ---- TIntMatrix ----------------------------------------------------------------------------

std::vector<TOp<TIntMatrix, std::int32_t>> IntOps() {
  using C = TCase<std::int32_t>;
  return {
      {"MinMax, Sum, Trace",
       [](TIntMatrix& m, const C& c) {
         std::int32_t mn = 0;
         std::int32_t mx = 0;
         m.MinMax(0, 0, 0, 0, mn, mx);
         EXPECT_EQ(mn, *std::min_element(c.Values.begin(), c.Values.end()));
         EXPECT_EQ(mx, std::max(*std::max_element(c.Values.begin(), c.Values.end()), -kIMax));
         std::int64_t s = 0;
         for (const std::int32_t v : c.Values) {
           s += v;
         }
         EXPECT_EQ(m.Sum(0, 0, 0, 0), s);
         (void)m.Trace();
       }},
      {"MeanVar, GeometricMean, HarmonicMean, SkewKurt",
       [](TIntMatrix& m, const C& c) {
         const TFacts f = FactsOf(c.Values);
         double mean = 0;
         double var = 0;
         m.MeanVar(0, 0, 0, 0, mean, var);
         EXPECT_TRUE(mean >= f.Min && mean <= f.Max);
         EXPECT_GE(var, 0.0);
         bool threw = false;
         try {
           (void)m.GeometricMean(0, 0, 0, 0);
         } catch (const EQMXMatrixError&) {
           threw = true;
         }
         EXPECT_EQ(threw, f.Negative);
         threw = false;
         try {
           (void)m.HarmonicMean(0, 0, 0, 0);
         } catch (const EQMXMatrixError&) {
           threw = true;
         }
         EXPECT_EQ(threw, f.NonPositive);
         double sk = 0;
         double ku = 0;
         m.SkewKurt(0, 0, 0, 0, sk, ku);
         m.SkewKurtSample(0, 0, 0, 0, sk, ku);
         EXPECT_FALSE(std::isnan(sk) || std::isnan(ku));
       }},
      {"Quartiles, Percentile",
       [](TIntMatrix& m, const C& c) {
         const TFacts f = FactsOf(c.Values);
         double q1 = 0;
         double q2 = 0;
         double q3 = 0;
         EXPECT_TRUE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
         EXPECT_TRUE(f.Min <= q1 && q1 <= q2 && q2 <= q3 && q3 <= f.Max);
         for (const double p : {0.0, 50.0, 100.0, Lim::quiet_NaN(), -Lim::infinity(), Lim::max()}) {
           const double v = m.Percentile(p, 0, 0, 0, 0);
           EXPECT_TRUE(std::isnan(p) ? std::isnan(v) : IsOneOf(v, c.Values)) << p;
           const double s = m.Percentile(p, 0, 0, 0, 0, 2);
           EXPECT_TRUE(std::isnan(p) ? std::isnan(s) : (s == 0.0 || IsOneOf(s, c.Values))) << p;
         }
       }},
      {"MeanVec, Dichotomize, EdgeVector",
       [](TIntMatrix& m, const C& c) {
         TVector v;
         m.MeanVec(TDims::dimColumns, &v);
         m.MeanVec(TDims::dimRows, &v);
         EXPECT_EQ(v.NrOfElem(), c.Rows);
         TBool2DArray mask;
         EXPECT_EQ(m.Dichotomize(kIMin, mask), static_cast<std::int32_t>(c.Values.size()));
         EXPECT_EQ(m.Dichotomize(kIMax, mask), std::count(c.Values.begin(), c.Values.end(), kIMax));
         for (const TOrientation o : {TOrientation::orHorizontal, TOrientation::orVertical}) {
           for (std::uint8_t op = 0; op <= 4; ++op) {
             EXPECT_EQ(m.EdgeVector(o, static_cast<TEdgeOp>(op), &v), 0);
           }
         }
       }},
      {"Find, FindInSortedColumn, CountValues, CountMaskedZeros",
       [](TIntMatrix& m, const C& c) {
         const auto n = static_cast<std::int32_t>(c.Values.size());
         for (const std::int32_t x : {kIMin, kIMax, 0}) {
           std::int32_t col = 0;
           std::int32_t row = 0;
           m.Find(0, 0, 0, 0, x, col, row);
           EXPECT_TRUE(col >= 1 && col <= c.Cols && row >= 1 && row <= c.Rows);
           const std::int32_t r = m.FindInSortedColumn(1, x == 0, x);
           EXPECT_TRUE(r >= 1 && r <= c.Rows);
           EXPECT_EQ(m.CountMaskedZeros(0, 0, 0, 0, x), std::count_if(c.Values.begin(), c.Values.end(),
                                                                        [x](std::int32_t v) { return (v & x) == 0; }));
         }
         EXPECT_EQ(m.CountValues(0, 0, 0, 0, kIMin, kIMax), n);
         EXPECT_EQ(m.CountValues(0, 0, 0, 0, kIMax, kIMin), 0);
       }},
      {"Diff, sorting, mirroring, Transpose",
       [](TIntMatrix& m, const C& c) {
         const auto before = BitMultiset<std::int32_t>(c.Values);
         m.SortRows(1, true, 0, 0, 0, 0);
         m.SortCols(1, false, 0, 0, 0, 0);
         m.MirrorColumns();
         m.MirrorRows();
         m.ExchangeColumns(1, c.Cols);
         m.ExchangeRows(c.Rows, 1);
         EXPECT_EQ(BitMultiset<std::int32_t>(m.Data()), before);
         TIntMatrix t;
         Load(t, c);
         t.Transpose();
         t.Transpose();
         EXPECT_TRUE(SameBits<std::int32_t>(t.Data(), c.Values));
         EXPECT_EQ(m.Diff(2, TApplyColRow::acrRows), c.Cols > 2 ? 0 : -2);
         (void)m.Diff(10, TApplyColRow::acrColumns);
       }},
      {"Copies, CRCofData",
       [](TIntMatrix& m, const C& c) {
         TDouble2DArray d(static_cast<std::size_t>(c.Cols), TDoubleArray(static_cast<std::size_t>(c.Rows)));
         EXPECT_EQ(m.CopyToArray(d, 0, 0, 0, 0, 0, 0), 0);
         EXPECT_EQ(d[0][0], static_cast<double>(c.Values[0]));
         TInt2DArray i(1, TIntArray(1));
         EXPECT_EQ(m.DuplicateDataAsArray(i), 0);
         TIntArray a(3);
         m.CopyColTo1DArray(a, 1, 0, 0, 1);
         TMatrix dm;
         dm.Resize(c.Cols, c.Rows);
         dm.CopyFrom(&m, 0, 0, 0, 0, 1, 1);
         EXPECT_EQ(dm.GetVal(1, 1), static_cast<double>(c.Values[0]));
         TIntMatrix cl;
         cl.Clone(&m);
         EXPECT_TRUE(SameBits<std::int32_t>(cl.Data(), c.Values));
         EXPECT_EQ(m.CRCofData().size(), 32u);
         EXPECT_EQ(m.CopyFromArray(TIntArray{kIMin, kIMax}, 0, 0, 1, 1, false), 0);
       }},
      {"products (modulo 2^32)",
       [](TIntMatrix& m, const C& c) {
         TIntMatrix r;
         EXPECT_EQ(m.Multiply(&m, &r), c.Cols == c.Rows);
         EXPECT_TRUE(m.MultiplyTransposed(&m, &r));
         EXPECT_TRUE(m.TransposeAndMultiply(&m, &r));
         TIntVector v;
         v.Resize(c.Cols);
         v.Fill(kIMin);
         TIntVector w;
         EXPECT_TRUE(m.Multiply(&v, &w));
         EXPECT_TRUE(m.TransposeAndMultiply(&w, &v));
         EXPECT_TRUE(m.EMult(&m, &r));
         for (std::size_t k = 0; k < c.Values.size(); ++k) {
           const auto u = static_cast<std::uint32_t>(c.Values[k]);
           EXPECT_EQ(r.Data()[k], static_cast<std::int32_t>(u * u));
         }
         EXPECT_TRUE(m.Add(&m));
         EXPECT_TRUE(m.Subtract(&r));
         m.SMult(kIMin);
         m.SAdd(kIMax);
         m.FillSerial(kIMax, kIMax);
         EXPECT_EQ(m.Data()[c.Values.size() - 1],
                   static_cast<std::int32_t>(static_cast<std::uint32_t>(kIMax) * static_cast<std::uint32_t>(c.Values.size())));
       }},
      {"sparse mode",
       [](TIntMatrix& m, const C& c) {
         m.ArrayToSparse(1);
         EXPECT_TRUE(m.SparseMode());
         EXPECT_EQ(m.GetVal(1, 1), c.Values[0]);
         std::int32_t mn = 0;
         std::int32_t mx = 0;
         m.MinMax(0, 0, 0, 0, mn, mx);
         double q1 = 0;
         double q2 = 0;
         double q3 = 0;
         EXPECT_FALSE(m.Quartiles(0, 0, 0, 0, q1, q2, q3));
         (void)m.Percentile(50, 0, 0, 0, 0);
         TIntMatrix r;
         EXPECT_FALSE(m.Multiply(&m, &r));
         EXPECT_FALSE(m.Add(&m));
         m.SMult(kIMin);
         m.SortRows(1, true, 0, 0, 0, 0);
         TMatrix dm;
         dm.CopyFrom(&m, 0, 0, 0, 0, 1, 1);
         m.SetVal(c.Cols, c.Rows, kIMin);
         m.SetVal(kIMin, 1, 5);  // ignored
         m.SparseToArray();
         EXPECT_EQ(m.NrOfColumns(), c.Cols);
         EXPECT_EQ(m.GetVal(c.Cols, c.Rows), kIMin);
         m.ArrayToSparse(kIMin);
         m.SetVal(kIMax, kIMax, 1);
         EXPECT_THROW(m.SparseToArray(), EQMXMatrixError);  // far too large for dense storage
         EXPECT_TRUE(m.SparseMode());
         EXPECT_EQ(m.GetVal(kIMax, kIMax), 1);
       }},
      {"ResampleExtMat",
       [](TIntMatrix& m, const C& c) {
         TIntMatrix r;
         TIntArray ci(1);
         TIntArray ri(1);
         EXPECT_EQ(r.ResampleExtMat(&m, 100.0, 100.0, false, ci, ri), 0);
         EXPECT_EQ(BitMultiset<std::int32_t>(r.Data()), BitMultiset<std::int32_t>(c.Values));
         EXPECT_EQ(r.ResampleExtMat(&m, Lim::quiet_NaN(), 50.0, true, ci, ri), -1);
         EXPECT_EQ(r.ResampleExtMat(&m, 100.0, Lim::infinity(), true, ci, ri), -2);
       }},
  };
}

TEST(MatrixRobustness, IntMatricesOfExtremeValues) {
  AbortMathProc = false;
  MathFeedBackProc = nullptr;
  const std::size_t calls = RunTable(IntCases(), IntOps());
  RecordProperty("calls", static_cast<int>(calls));
}

TEST(MatrixRobustness, IntScalarArguments) {
  AbortMathProc = false;
  MathFeedBackProc = nullptr;
  for (const std::int32_t x : {kIMin, kIMax, 0, -1, 1}) {
    const std::int32_t nx = x == kIMin ? kIMax : -x;
    Survives<>("integer scalar " + std::to_string(x), [x, nx] {
      TIntMatrix m;
      m.Resize(3, 2);
      m.FillSerial(x, x);
      m.SMult(x);
      m.SAdd(x);
      m.Fill(x);
      m.Fill(1, 2, 1, 1, nx);
      m.FillDiag(x);
      std::int32_t col = 0;
      std::int32_t row = 0;
      m.Find(0, 0, 0, 0, x, col, row);
      EXPECT_TRUE(col >= 1 && row >= 1);
      (void)m.CountValues(0, 0, 0, 0, x, nx);
      (void)m.CountMaskedZeros(0, 0, 0, 0, x);
      TBool2DArray mask;
      (void)m.Dichotomize(x, mask);
      TIntMatrix sp(nullptr, x);
      sp.SetVal(1, 1, x);
      sp.SetVal(2, 3, x);
      EXPECT_EQ(sp.GetVal(2, 3), x);
      EXPECT_GE(sp.SparseIncrement(), 1);
      sp.SparseToArray();
      EXPECT_EQ(sp.NrOfColumns(), 2);
      EXPECT_EQ(sp.NrOfRows(), 3);
    });
  }
}

}  // namespace
}  // namespace qmx
