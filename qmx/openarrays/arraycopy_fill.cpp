// Filling the shared arrays: constants, blocks, series, diagonals, random values, masks.

#include "qmx/openarrays/arraycopy.hpp"
#include "qmx/openarrays/arraycopy_detail.hpp"

namespace qmx {

namespace ac = detail::arraycopy;

using detail::arraycopy::TIx;

namespace detail::arraycopy {

void DrawDistinct(std::span<std::int32_t> out, std::int32_t low, std::int64_t span) {
  if (out.empty() || span <= 0) {
    return;
  }
  std::vector<std::int32_t> pool(static_cast<std::size_t>(span));
  for (std::size_t i = 0; i < pool.size(); ++i) {
    // low + span - 1 never exceeds the caller's upper bound (at most INT32_MAX).
    pool[i] = static_cast<std::int32_t>(low + static_cast<std::int64_t>(i));
  }
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto j = i + static_cast<std::size_t>(RandomBelow(span - static_cast<std::int64_t>(i)));
    std::swap(pool[i], pool[j]);
    out[i] = pool[i];
  }
}

}  // namespace detail::arraycopy

// ---- constants ----

void FillArray(TDoubleArray& A, double Value) { ac::FillAll(A, Value); }
void FillArray(TDouble2DArray& A, double Value) { ac::FillAll(A, Value); }
void FillArray(TDouble3DArray& A, double Value) { ac::FillAll(A, Value); }
void FillArray(TDouble4DArray& A, double Value) { ac::FillAll(A, Value); }
void FillArray(TIntArray& A, std::int32_t Value) { ac::FillAll(A, Value); }
void FillArray(TInt2DArray& A, std::int32_t Value) { ac::FillAll(A, Value); }
void FillArray(TInt3DArray& A, std::int32_t Value) { ac::FillAll(A, Value); }
void FillArray(TInt4DArray& A, std::int32_t Value) { ac::FillAll(A, Value); }
void FillArray(TBoolArray& A, bool Value) { ac::FillAll(A, Value); }
void FillArray(TBool2DArray& A, bool Value) { ac::FillAll(A, Value); }

int FillArray(TDoubleArray& A, double Value, std::int32_t FirstIx, std::int32_t LastIx) {
  return ac::FillRange(A, Value, TIx<1>{FirstIx}, TIx<1>{LastIx});
}
int FillArray(TIntArray& A, std::int32_t Value, std::int32_t FirstIx, std::int32_t LastIx) {
  return ac::FillRange(A, Value, TIx<1>{FirstIx}, TIx<1>{LastIx});
}
int FillArray(TBoolArray& A, bool Value, std::int32_t FirstIx, std::int32_t LastIx) {
  return ac::FillRange(A, Value, TIx<1>{FirstIx}, TIx<1>{LastIx});
}
int FillArray(TDouble2DArray& A, double Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
              std::int32_t Hi2) {
  return ac::FillRange(A, Value, TIx<2>{Lo1, Lo2}, TIx<2>{Hi1, Hi2});
}
int FillArray(TInt2DArray& A, std::int32_t Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1,
              std::int32_t Hi2) {
  return ac::FillRange(A, Value, TIx<2>{Lo1, Lo2}, TIx<2>{Hi1, Hi2});
}
int FillArray(TBool2DArray& A, bool Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Hi1, std::int32_t Hi2) {
  return ac::FillRange(A, Value, TIx<2>{Lo1, Lo2}, TIx<2>{Hi1, Hi2});
}
int FillArray(TDouble3DArray& A, double Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
              std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3) {
  return ac::FillRange(A, Value, TIx<3>{Lo1, Lo2, Lo3}, TIx<3>{Hi1, Hi2, Hi3});
}
int FillArray(TInt3DArray& A, std::int32_t Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
              std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3) {
  return ac::FillRange(A, Value, TIx<3>{Lo1, Lo2, Lo3}, TIx<3>{Hi1, Hi2, Hi3});
}
int FillArray(TDouble4DArray& A, double Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
              std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Hi4) {
  return ac::FillRange(A, Value, TIx<4>{Lo1, Lo2, Lo3, Lo4}, TIx<4>{Hi1, Hi2, Hi3, Hi4});
}
int FillArray(TInt4DArray& A, std::int32_t Value, std::int32_t Lo1, std::int32_t Lo2, std::int32_t Lo3,
              std::int32_t Lo4, std::int32_t Hi1, std::int32_t Hi2, std::int32_t Hi3, std::int32_t Hi4) {
  return ac::FillRange(A, Value, TIx<4>{Lo1, Lo2, Lo3, Lo4}, TIx<4>{Hi1, Hi2, Hi3, Hi4});
}

// ---- series ----

int FillArraySerial(TDoubleArray& A, double FirstValue, double Increment) {
  return ac::FillArraySerial(A, FirstValue, Increment);
}
int FillArraySerial(TDouble2DArray& A, double FirstValue, double Increment) {
  return ac::FillArraySerial(A, FirstValue, Increment);
}
int FillArraySerial(TDouble3DArray& A, double FirstValue, double Increment) {
  return ac::FillArraySerial(A, FirstValue, Increment);
}
int FillArraySerial(TDouble4DArray& A, double FirstValue, double Increment) {
  return ac::FillArraySerial(A, FirstValue, Increment);
}
int FillArraySerial(TIntArray& A, std::int32_t FirstValue, std::int32_t Increment) {
  return ac::FillArraySerial(A, FirstValue, Increment);
}
int FillArraySerial(TInt2DArray& A, std::int32_t FirstValue, std::int32_t Increment) {
  return ac::FillArraySerial(A, FirstValue, Increment);
}
int FillArraySerial(TInt3DArray& A, std::int32_t FirstValue, std::int32_t Increment) {
  return ac::FillArraySerial(A, FirstValue, Increment);
}
int FillArraySerial(TDoubleArray& A) { return FillArraySerial(A, 0.0, 1.0); }
int FillArraySerial(TDouble2DArray& A) { return FillArraySerial(A, 0.0, 1.0); }
int FillArraySerial(TDouble3DArray& A) { return FillArraySerial(A, 0.0, 1.0); }
int FillArraySerial(TDouble4DArray& A) { return FillArraySerial(A, 0.0, 1.0); }
int FillArraySerial(TIntArray& A) { return FillArraySerial(A, 0, 1); }
int FillArraySerial(TInt2DArray& A) { return FillArraySerial(A, 0, 1); }
int FillArraySerial(TInt3DArray& A) { return FillArraySerial(A, 0, 1); }

// ---- diagonals ----

int FillDiagArray(TDouble2DArray& A, double Value) { return ac::FillDiagArray(A, Value); }
int FillDiagArray(TDouble3DArray& A, double Value) { return ac::FillDiagArray(A, Value); }
int FillDiagArray(TDouble4DArray& A, double Value) { return ac::FillDiagArray(A, Value); }
int FillDiagArray(TInt2DArray& A, std::int32_t Value) { return ac::FillDiagArray(A, Value); }
int FillDiagArray(TInt3DArray& A, std::int32_t Value) { return ac::FillDiagArray(A, Value); }
int FillDiagArray(TInt4DArray& A, std::int32_t Value) { return ac::FillDiagArray(A, Value); }

// ---- random values ----

void FillRandomUniform(TDoubleArray& A, double Low, double High) { ac::FillRandomUniformReal(A, Low, High); }
void FillRandomUniform(TDouble2DArray& A, double Low, double High) { ac::FillRandomUniformReal(A, Low, High); }
void FillRandomUniform(TDouble3DArray& A, double Low, double High) { ac::FillRandomUniformReal(A, Low, High); }
void FillRandomUniform(TDouble4DArray& A, double Low, double High) { ac::FillRandomUniformReal(A, Low, High); }
int FillRandomUniform(TIntArray& A, std::int32_t Low, std::int32_t High) {
  return ac::FillRandomUniformInt(A, Low, High);
}
int FillRandomUniform(TInt2DArray& A, std::int32_t Low, std::int32_t High) {
  return ac::FillRandomUniformInt(A, Low, High);
}
int FillRandomUniform(TInt3DArray& A, std::int32_t Low, std::int32_t High) {
  return ac::FillRandomUniformInt(A, Low, High);
}
int FillRandomUniform(TInt4DArray& A, std::int32_t Low, std::int32_t High) {
  return ac::FillRandomUniformInt(A, Low, High);
}

int FillRandomUniform(TIntArray& A, std::int32_t Low, std::int32_t High, bool Repetitions) {
  if (A.empty()) {
    return -1;
  }
  if (High < Low) {
    return -2;
  }
  const std::int64_t span = static_cast<std::int64_t>(High) - Low + 1;
  if (Repetitions) {
    for (auto& x : A) {
      x = static_cast<std::int32_t>(Low + ac::RandomBelow(span));
    }
    return 0;
  }
  if (span < ac::Len(A)) {
    return -3;
  }
  if (span > 1000000) {
    return -4;
  }
  ac::DrawDistinct(A, Low, span);
  return 0;
}

void FillRandomNormal(TDoubleArray& A, double Mean, double StdDev) { ac::FillRandomNormal(A, Mean, StdDev); }
void FillRandomNormal(TDouble2DArray& A, double Mean, double StdDev) { ac::FillRandomNormal(A, Mean, StdDev); }
void FillRandomNormal(TDouble3DArray& A, double Mean, double StdDev) { ac::FillRandomNormal(A, Mean, StdDev); }
void FillRandomNormal(TDouble4DArray& A, double Mean, double StdDev) { ac::FillRandomNormal(A, Mean, StdDev); }

// ---- masks ----

int FillArrayMasked(TDouble2DArray& A, double Value, const TBool2DArray& Mask) {
  return ac::FillArrayMasked(A, Value, Mask);
}
int FillArrayMasked(TInt2DArray& A, std::int32_t Value, const TBool2DArray& Mask) {
  return ac::FillArrayMasked(A, Value, Mask);
}

}  // namespace qmx
