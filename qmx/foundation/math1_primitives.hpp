#pragma once
/// \file
/// Primitives of the `math1` unit: exchanging values, in-place sorting and
/// selection on flat arrays, insertion into fixed-length sorted arrays, the
/// histogram bin reference, compensated summation, sign and integer rounding,
/// four random generators and polynomial evaluation.

#include <cstdint>
#include <span>
#include <string>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"

namespace qmx {

/// Exchanges the two values.
void ExChange(std::int32_t& a, std::int32_t& b);
void ExChange(std::uint8_t& a, std::uint8_t& b);
void ExChange(float& a, float& b);
void ExChange(double& a, double& b);
void ExChange(Extended& a, Extended& b);
void ExChange(std::string& a, std::string& b);
void ExChange(bool& a, bool& b);
void ExChange(char16_t& a, char16_t& b);
void ExChange(std::uint16_t& a, std::uint16_t& b);
void ExChange(std::int8_t& a, std::int8_t& b);
void ExChange(std::uint32_t& a, std::uint32_t& b);
void ExChange(std::int64_t& a, std::int64_t& b);
/// Exchanges Size bytes of the two storage locations, one by one (0: nothing;
/// a nil location: nothing).
void ExChange(void* a, void* b, std::uint16_t Size);

/// Sorts in place (comb sort, gap shrunk by 1.3 per pass).  After each pass one
/// progress step is made (`ProcStat` + 1, `MathFeedBackProc` called); the
/// abort flag is not polled.  Fewer than two elements: returns at once without
/// progress.  Equal elements are never exchanged; NaN elements compare neither
/// greater nor less and are never moved by a comparison (the values between
/// them are sorted, the sort always terminates).
void SortArray(std::span<double> Data, bool Ascending);
void SortArray(std::span<std::int32_t> Data, bool Ascending);
void SortArray(std::span<float> Data, bool Ascending);
/// Sorts NumElem elements of the given kind (elements 1..NumElem at Data):
/// `vkDouble`/`vkReal` 64-bit float, `vkSingle` 32-bit float, `vkInteger`/
/// `vkLongint` 32-bit signed integer; other kinds, a nil Data or NumElem < 2
/// leave the data unchanged.
void SortArray(void* Data, std::int32_t NumElem, TVarKind Kind, bool Ascending);

/// Inserts Value into the sorted fixed-length array, dropping the last element;
/// returns the index used, or -1 if the value was not inserted (it lies beyond
/// every element, or equals the element at its place and duplicates are not
/// allowed).  An empty array and a NaN Value give -1 and change nothing (a NaN
/// would otherwise settle at index 0 and break the order for every later value).
std::int32_t SortIntoArray(std::span<double> Data, double Value, bool Ascending, bool AllowDuplicates);
std::int32_t SortIntoArray(std::span<float> Data, float Value, bool Ascending, bool AllowDuplicates);
std::int32_t SortIntoArray(std::span<std::int32_t> Data, std::int32_t Value, bool Ascending, bool AllowDuplicates);
/// Untyped form: Value is converted to the element kind first (integer kinds:
/// rounded to nearest, ties to even, saturated to the 32-bit range); -1 for
/// unsupported kinds, a nil Data or NumElem < 1.
std::int32_t SortIntoArray(void* Data, std::int32_t NumElem, TVarKind Kind, double Value, bool Ascending,
                           bool AllowDuplicates);

/// Inserts Value at Index (0-based), shifting later elements up; the last element
/// falls off (Index = highest index overwrites the last element).  A negative
/// index or one beyond the highest index does nothing.
void InsertIntoArray(std::span<double> Data, double Value, std::int32_t Index);
void InsertIntoArray(std::span<float> Data, float Value, std::int32_t Index);
void InsertIntoArray(std::span<std::int32_t> Data, std::int32_t Value, std::int32_t Index);
/// Untyped form (Index 0-based as in the typed forms); Value is converted as for
/// `SortIntoArray`; a NaN Value does nothing for the integer kinds.  Unsupported
/// kinds and a nil Data do nothing.
void InsertIntoArray(void* Data, std::int32_t NumElem, TVarKind Kind, double Value, std::int32_t Index);

/// The k-th smallest value (k an absolute index) among elements Low..High,
/// reordering them; 0 if High < Low.  Invalid indexes (Low < 0, High beyond the
/// highest index, or k outside Low..High) return 0 and leave the array as it
/// was.  NaN elements count as greater than every number (also when one is the
/// pivot), so they gather at the top of the range; the selection always terminates.
double QuickSelect(std::span<double> Data, std::int32_t k, std::int32_t Low, std::int32_t High);
/// The same with the elements equal to (or unordered with) Value set aside; High is not used.
/// Works on a copy: Data itself is not reordered.  Let L be the number of
/// elements less than Value and E the number set aside: k < L selects k, k >= L+E
/// selects k-E among the remaining elements from Low on, otherwise Value is
/// returned.  k outside 0..highest index, or Low < 0 or Low > k, returns 0.
/// Where setting elements aside moves the target index below Low, the selection
/// starts at the target index instead (it never reads beyond the copy).
double QuickSelect(std::span<double> Data, std::int32_t k, std::int32_t Low, std::int32_t High, double Value);

/// The lower edge of the histogram bin of width Width, aligned to Origin, that
/// holds x; Offset receives x minus that edge.  The edge is Origin + n * Width
/// with n the floor of the exact quotient (x - Origin) / Width; it is found
/// from exact remainders, so it lies within one width of x also where n is far
/// beyond the 32-bit range: Offset is in [0, Width), or in (Width, 0] for a
/// negative Width (an edge beyond the double range is infinite).  Width 0 or
/// non-finite input gives NaN for edge and offset.
double HistoBinRef(double x, double Origin, double Width, double& Offset);

/// Compensated (Kahan) summation; starts with sum and compensation 0.  Once the
/// sum overflows or meets an infinity it is that infinity (NaN when both
/// infinities or a NaN were added), as in plain summation.
class TKahanSum : public TComponent {
 public:
  explicit TKahanSum(TComponent* AOwner = nullptr);
  std::string_view ClassName() const override;
  void Reset();
  void Add(double x);
  double Sum() const { return sum_; }

 private:
  double compensation_ = 0.0;
  double sum_ = 0.0;
};

/// -1 for x < 0, else +1 (also for 0 and NaN).
std::int32_t Signum(double x);
/// The smallest integer >= x.  Results beyond the 32-bit range are saturated to
/// it; NaN gives 0.
std::int32_t IntPos(double x);
/// The largest integer <= x (saturated like `IntPos`; NaN gives 0).
std::int32_t IntNeg(double x);
/// Puts a and b in order; true if they were exchanged.  The pair is exchanged
/// when (a < b) differs from Ascending, so equal values are exchanged when
/// Ascending is true.
bool SortSwap(double& a, double& b, bool Ascending);

/// True with probability p (always true for p >= 1, without drawing).
bool BRandom(double p);
/// Cauchy deviate with the given location and scale.
double CRandom(double Location, double Scale);
/// Standard normal deviate (polar method, two at a time: the second value of a
/// pair is cached for the next call).  A point at the origin (s = 0) is drawn
/// again.  Process-wide state, guarded by a lock.
double GRandom();
/// Combined multiplicative congruential generator in [0, 1); a non-zero Seed
/// restarts the sequence, 0 continues it.  The three state words start at
/// round(Random() * 990000) each on first use.  Zero is a fixed point of each
/// word, so a word that would start at 0 (e.g. a seed that is a multiple of
/// 990923) starts at 1 instead.  Process-wide state, guarded by a lock.
double LongRand(std::int32_t Seed);

/// Sum of Coeffs[i] * x^i for i = 0..Order; raises `EQMXMath1Error`
/// "Polynomial: invalid order of polynomial" if Order < 0 or beyond the coefficients.
double Polynomial(std::span<const double> Coeffs, std::int32_t Order, double x);
/// The same polynomial in (x - Center); raises the same `EQMXMath1Error` message.
double CenteredPolynomial(std::span<const double> Coeffs, std::int32_t Order, double Center, double x);

}  // namespace qmx
