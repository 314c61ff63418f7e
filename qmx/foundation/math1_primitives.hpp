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
/// Exchanges Size bytes of the two storage locations, one by one (0: nothing).
void ExChange(void* a, void* b, std::uint16_t Size);

/// Sorts in place (comb sort); one progress step per pass, no abort polling.
void SortArray(std::span<double> Data, bool Ascending);
void SortArray(std::span<std::int32_t> Data, bool Ascending);
void SortArray(std::span<float> Data, bool Ascending);
/// Sorts NumElem elements of the given kind; other kinds leave the data unchanged.
void SortArray(void* Data, std::int32_t NumElem, TVarKind Kind, bool Ascending);

/// Inserts Value into the sorted fixed-length array, dropping the last element;
/// returns the index used, or -1 if the value was not inserted.
std::int32_t SortIntoArray(std::span<double> Data, double Value, bool Ascending, bool AllowDuplicates);
std::int32_t SortIntoArray(std::span<float> Data, float Value, bool Ascending, bool AllowDuplicates);
std::int32_t SortIntoArray(std::span<std::int32_t> Data, std::int32_t Value, bool Ascending, bool AllowDuplicates);
/// Untyped form: Value is converted to the element kind (-1 for unsupported kinds).
std::int32_t SortIntoArray(void* Data, std::int32_t NumElem, TVarKind Kind, double Value, bool Ascending,
                           bool AllowDuplicates);

/// Inserts Value at Index, shifting later elements up; the last element falls
/// off.  An index beyond the highest index does nothing.
void InsertIntoArray(std::span<double> Data, double Value, std::int32_t Index);
void InsertIntoArray(std::span<float> Data, float Value, std::int32_t Index);
void InsertIntoArray(std::span<std::int32_t> Data, std::int32_t Value, std::int32_t Index);
void InsertIntoArray(void* Data, std::int32_t NumElem, TVarKind Kind, double Value, std::int32_t Index);

/// The k-th smallest value (k an absolute index) among elements Low..High,
/// reordering them; 0 if High < Low.
double QuickSelect(std::span<double> Data, std::int32_t k, std::int32_t Low, std::int32_t High);
/// The same with the elements equal to (or unordered with) Value set aside; High is not used.
double QuickSelect(std::span<double> Data, std::int32_t k, std::int32_t Low, std::int32_t High, double Value);

/// The lower edge of the histogram bin of width Width, aligned to Origin, that
/// holds x; Offset receives x minus that edge.
double HistoBinRef(double x, double Origin, double Width, double& Offset);

/// Compensated (Kahan) summation.
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

/// -1 for x < 0, else +1 (also for 0).
std::int32_t Signum(double x);
/// The smallest integer >= x.
std::int32_t IntPos(double x);
/// The largest integer <= x.
std::int32_t IntNeg(double x);
/// Puts a and b in order; true if they were exchanged.
bool SortSwap(double& a, double& b, bool Ascending);

/// True with probability p (always true for p >= 1, without drawing).
bool BRandom(double p);
/// Cauchy deviate with the given location and scale.
double CRandom(double Location, double Scale);
/// Standard normal deviate (polar method, two at a time).
double GRandom();
/// Combined multiplicative congruential generator in [0, 1); a non-zero Seed
/// restarts the sequence, 0 continues it.
double LongRand(std::int32_t Seed);

/// Sum of Coeffs[i] * x^i for i = 0..Order; raises `EQMXMath1Error`
/// "Polynomial: invalid order of polynomial" if Order < 0 or beyond the coefficients.
double Polynomial(std::span<const double> Coeffs, std::int32_t Order, double x);
/// The same polynomial in (x - Center).
double CenteredPolynomial(std::span<const double> Coeffs, std::int32_t Order, double Center, double x);

}  // namespace qmx
