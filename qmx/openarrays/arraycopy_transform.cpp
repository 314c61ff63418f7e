// Reshaping and value transforms of the shared arrays: flips, masks to numbers,
// dichotomies, comparisons, accumulation, permutation, rescaling, discretising.

#include <cmath>

#include "qmx/openarrays/arraycopy.hpp"
#include "qmx/openarrays/arraycopy_detail.hpp"

namespace qmx {

namespace ac = detail::arraycopy;

namespace {

template <class Mask, class Out, class T>
int BoolToNum(const Mask& mask, T falseValue, T trueValue, Out& b) {
  if (ac::HasNoCells(mask)) {
    return -1;
  }
  b = ac::Transformed<Out>(mask, [falseValue, trueValue](bool m) { return m ? trueValue : falseValue; });
  return 0;
}

template <class A, class T>
int DichotomizeAbove(const A& a, T threshold, ac::RebindOf<A, bool>& b) {
  if (ac::HasNoCells(a)) {
    return -1;
  }
  b = ac::Transformed<ac::RebindOf<A, bool>>(a, [threshold](T v) { return v > threshold; });
  return 0;
}

template <class A, class T>
int DichotomizeBetween(const A& a, T low, T high, ac::RebindOf<A, bool>& b) {
  if (ac::HasNoCells(a)) {
    return -1;
  }
  if (high < low) {
    std::swap(low, high);
  }
  b = ac::Transformed<ac::RebindOf<A, bool>>(a, [low, high](T v) { return low <= v && v <= high; });
  return 0;
}

template <class T>
int Permute(std::vector<T>& a, const TIntArray& perm) {
  if (a.empty()) {
    return -1;
  }
  if (perm.size() != a.size()) {
    return -2;
  }
  std::vector<bool> seen(a.size(), false);
  for (const std::int32_t p : perm) {
    if (p < 0 || p >= ac::Len(a) || seen[static_cast<std::size_t>(p)]) {
      return -2;
    }
    seen[static_cast<std::size_t>(p)] = true;
  }
  std::vector<T> out(a.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    out[i] = a[static_cast<std::size_t>(perm[i])];
  }
  a = std::move(out);
  return 0;
}

template <class A>
int Rescale(A& a, double newLow, double newHigh) {
  if (ac::HasNoCells(a)) {
    return -1;
  }
  bool finite = true;
  double lo = 0.0;
  double hi = 0.0;
  bool first = true;
  auto scan = [&](double& v) {
    if (!std::isfinite(v)) {
      finite = false;
    } else if (first) {
      lo = hi = v;
      first = false;
    } else {
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  };
  ac::ForEachCell(a, scan);
  if (!finite || first || !(hi > lo)) {
    return -2;
  }
  // Extended keeps hi - lo finite for any pair of finite doubles.
  // Weighted form: the smallest cell lands exactly on NewLow and the largest
  // exactly on NewHigh even when one bound dwarfs the other.
  const Extended range = static_cast<Extended>(hi) - lo;
  auto map = [&](double& v) {
    const Extended t = (static_cast<Extended>(v) - lo) / range;
    v = static_cast<double>((1.0L - t) * newLow + t * newHigh);
  };
  ac::ForEachCell(a, map);
  return 0;
}

}  // namespace

// ---- flips ----

int FlipDimArray(TDoubleArray& A, std::int32_t Dim) { return ac::FlipDimArray(A, Dim); }
int FlipDimArray(TDouble2DArray& A, std::int32_t Dim) { return ac::FlipDimArray(A, Dim); }
int FlipDimArray(TDouble3DArray& A, std::int32_t Dim) { return ac::FlipDimArray(A, Dim); }
int FlipDimArray(TDouble4DArray& A, std::int32_t Dim) { return ac::FlipDimArray(A, Dim); }
int FlipDimArray(TIntArray& A, std::int32_t Dim) { return ac::FlipDimArray(A, Dim); }
int FlipDimArray(TInt2DArray& A, std::int32_t Dim) { return ac::FlipDimArray(A, Dim); }
int FlipDimArray(TInt3DArray& A, std::int32_t Dim) { return ac::FlipDimArray(A, Dim); }
int FlipDimArray(TInt4DArray& A, std::int32_t Dim) { return ac::FlipDimArray(A, Dim); }

// ---- masks to numbers and dichotomies ----

int BoolToNumArray(const TBoolArray& Mask, std::int32_t FalseValue, std::int32_t TrueValue, TIntArray& B) {
  return BoolToNum(Mask, FalseValue, TrueValue, B);
}
int BoolToNumArray(const TBoolArray& Mask, double FalseValue, double TrueValue, TDoubleArray& B) {
  return BoolToNum(Mask, FalseValue, TrueValue, B);
}
int BoolToNumArray(const TBool2DArray& Mask, std::int32_t FalseValue, std::int32_t TrueValue, TInt2DArray& B) {
  return BoolToNum(Mask, FalseValue, TrueValue, B);
}
int BoolToNumArray(const TBool2DArray& Mask, double FalseValue, double TrueValue, TDouble2DArray& B) {
  return BoolToNum(Mask, FalseValue, TrueValue, B);
}

int DichotomizeArray(const TDouble2DArray& A, double Threshold, TBool2DArray& B) {
  return DichotomizeAbove(A, Threshold, B);
}
int DichotomizeArray(const TInt2DArray& A, std::int32_t Threshold, TBool2DArray& B) {
  return DichotomizeAbove(A, Threshold, B);
}
int DichotomizeArray(const TIntArray& A, std::int32_t Threshold, TBoolArray& B) {
  return DichotomizeAbove(A, Threshold, B);
}
int DichotomizeArray(const TDouble2DArray& A, double Low, double High, TBool2DArray& B) {
  return DichotomizeBetween(A, Low, High, B);
}
int DichotomizeArray(const TInt2DArray& A, std::int32_t Low, std::int32_t High, TBool2DArray& B) {
  return DichotomizeBetween(A, Low, High, B);
}
int DichotomizeArray(const TIntArray& A, std::int32_t Low, std::int32_t High, TBoolArray& B) {
  return DichotomizeBetween(A, Low, High, B);
}

// ---- comparison ----

bool EqualArrays(const TIntArray& A, const TIntArray& B) { return ac::EqualArrays(A, B); }
bool EqualArrays(const TInt2DArray& A, const TInt2DArray& B) { return ac::EqualArrays(A, B); }
bool EqualArrays(const TInt3DArray& A, const TInt3DArray& B) { return ac::EqualArrays(A, B); }
bool EqualArrays(const TInt4DArray& A, const TInt4DArray& B) { return ac::EqualArrays(A, B); }

// ---- accumulation, permutation, rescaling ----

int AccumulateArray(const TDoubleArray& A, TDoubleArray& Accu) { return ac::AccumulateArray(A, Accu); }
int AccumulateArray(const TDouble2DArray& A, TDouble2DArray& Accu) { return ac::AccumulateArray(A, Accu); }
int AccumulateArray(const TDouble3DArray& A, TDouble3DArray& Accu) { return ac::AccumulateArray(A, Accu); }
int AccumulateArray(const TDouble4DArray& A, TDouble4DArray& Accu) { return ac::AccumulateArray(A, Accu); }
int AccumulateArray(const TIntArray& A, TIntArray& Accu) { return ac::AccumulateArray(A, Accu); }
int AccumulateArray(const TInt2DArray& A, TInt2DArray& Accu) { return ac::AccumulateArray(A, Accu); }
int AccumulateArray(const TInt3DArray& A, TInt3DArray& Accu) { return ac::AccumulateArray(A, Accu); }
int AccumulateArray(const TInt4DArray& A, TInt4DArray& Accu) { return ac::AccumulateArray(A, Accu); }

int PermuteArray(TDoubleArray& A, const TIntArray& Perm) { return Permute(A, Perm); }
int PermuteArray(TIntArray& A, const TIntArray& Perm) { return Permute(A, Perm); }

int RescaleArray(TDoubleArray& A, double NewLow, double NewHigh) { return Rescale(A, NewLow, NewHigh); }
int RescaleArray(TDouble2DArray& A, double NewLow, double NewHigh) { return Rescale(A, NewLow, NewHigh); }

// ---- discretising ----

int DiscretizeArray(TDouble2DArray& A, std::int32_t NumLevels, double LowIn, double HighIn, double LowOut,
                    double HighOut) {
  if (NumLevels < 3) {
    return -1;
  }
  if (!(LowIn < HighIn) || !std::isfinite(LowIn) || !std::isfinite(HighIn)) {
    return -2;  // an infinite bound would make every bin infinitely wide
  }
  const double binWidth = (HighIn - LowIn) / static_cast<double>(NumLevels - 2);
  const double maxLevel = static_cast<double>(NumLevels - 2);
  const double levels = static_cast<double>(NumLevels - 1);
  if (std::isfinite(binWidth) && binWidth >= 1e-290 && std::isfinite((HighOut - LowOut) * maxLevel)) {
    auto level = [&](double& v) {
      if (v <= LowIn) {
        v = LowOut;
      } else if (v >= HighIn) {
        v = HighOut;
      } else if (!std::isnan(v)) {
        // Rounding may put a value just below HighIn into the next bin: keep it inside.
        const double k = std::min(std::floor((v - LowIn) / binWidth) + 1.0, maxLevel);
        v = LowOut + k * (HighOut - LowOut) / levels;
      }
    };
    ac::ForEachCell(A, level);
    return 0;
  }
  // Bounds near the largest double (or bins of denormal width): widths and
  // levels in 80 bits, where they neither overflow nor lose their digits.
  const Extended wideWidth = (static_cast<Extended>(HighIn) - LowIn) / static_cast<Extended>(NumLevels - 2);
  auto wideLevel = [&](double& v) {
    if (v <= LowIn) {
      v = LowOut;
    } else if (v >= HighIn) {
      v = HighOut;
    } else if (!std::isnan(v)) {
      const Extended k =
          std::min(std::floor((static_cast<Extended>(v) - LowIn) / wideWidth) + 1.0L, static_cast<Extended>(maxLevel));
      v = static_cast<double>(LowOut + k * (static_cast<Extended>(HighOut) - LowOut) / static_cast<Extended>(levels));
    }
  };
  ac::ForEachCell(A, wideLevel);
  return 0;
}

}  // namespace qmx
