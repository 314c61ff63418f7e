#pragma once
/// \file
/// `TVector`: the one-dimensional container of 64-bit floats, with change
/// events, statistics, searches, sorting, integration and its text, ASC and
/// stream formats.

#include <cstdint>
#include <string>
#include <string_view>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"
#include "qmx/vector/vector_detail.hpp"

namespace qmx {

class TIntVector;

/// Integration rules of `TVector::Integrate`.
enum class TIntegMethod : std::uint8_t { imSimple, imTrapezoidal, imSimpson };

/// A vector of doubles, elements 1..NrOfElem.  A new vector holds one 0.0.
/// The shared operations (size, events, element access, fills, copies,
/// sorting, searches, statistics, ASC reader, plain text reader, streams)
/// are documented in `detail::TVectorBase`.
class TVector : public detail::TVectorBase<double, TVector> {
  using Base = detail::TVectorBase<double, TVector>;

 public:
  explicit TVector(TComponent* AOwner = nullptr);
  std::string_view ClassName() const override;

  /// Resizes to NewSize; ignored if NewSize < 1 or equal to NrOfElem.
  void SetVecSize(std::int32_t NewSize);

  /// Element := r·(High - Low) + Low with r uniform in [0, 1) from `Random`
  /// ((1 - r)·Low + r·High where High - Low overflows); fires `OnChange`.
  void FillRandomUniform(double Low, double High);
  /// Element := g·StdDev + Mean with g from `GRandom`; fires `OnChange`.
  void FillRandomGauss(double Mean, double StdDev);
  /// Subtracts the mean of all elements from each and returns it; no event.
  double MeanCenter();
  /// Mean and StdDev (√ of the `MeanVar` variance) of all elements; if
  /// StdDev > 0 every element := (element - Mean)/StdDev.  No event.
  void Standardize(double& Mean, double& StdDev);
  /// Median := 50th percentile, Spread := |Median - Perc-th percentile|; if
  /// Spread > 0 every element := (element - Median)/Spread.  No event.
  void QNormalize(double Perc, double& Median, double& Spread);
  /// Scales the vector to the Euclidean length Length and fires `OnChange`;
  /// a zero vector is left as it is (no event).  Huge and tiny lengths are
  /// handled in 80 bits, so no element overflows or is lost on the way.
  void SetVecLeng(double Length);

  /// Counts the values of elements LoIx..HiIx into NBins = round-half-even(
  /// |LastBin - FirstBin|/BinWidth) + 1 bins; bin k covers [FirstBin +
  /// k·BinWidth, FirstBin + (k+1)·BinWidth).  The range is not clamped:
  /// indexes outside 1..NrOfElem count the value 0.0 (HiIx < LoIx counts
  /// nothing).  Values below FirstBin count as Underflow; values at or beyond
  /// LastBin + BinWidth, values beyond the last bin (when the bins do not
  /// reach LastBin + BinWidth) and NaN count as Overflow.  MaxCnt is the
  /// largest bin count; counters saturate at 2147483647.  Histo is resized
  /// only when its length differs.  False, with nothing touched, when NBins
  /// is above 500, below 1 or undefined (BinWidth 0, NaN bounds).
  bool Histogram(std::int32_t LoIx, std::int32_t HiIx, double FirstBin, double LastBin, double BinWidth,
                 TIntArray& Histo, std::int32_t& Underflow, std::int32_t& Overflow, std::int32_t& MaxCnt) const;
  /// The array form, then Histo (if not nil) is resized to the number of bins
  /// and receives bin k in element k + 1 (one `OnChange` for all bins).
  bool Histogram(std::int32_t LoIx, std::int32_t HiIx, double FirstBin, double LastBin, double BinWidth,
                 TIntVector* Histo, std::int32_t& Underflow, std::int32_t& Overflow, std::int32_t& MaxCnt) const;

  /// Integral of the elements taken as samples at x = 1, 2, ..., NrOfElem
  /// between LoBound and HiBound (clamped to [1, NrOfElem] and put in order),
  /// with linear interpolation at fractional bounds.  `imSimple`: mean of the
  /// whole elements inside times the width; `imTrapezoidal`: trapezoids;
  /// `imSimpson`: trapezoids for the partial end cells and Simpson's rule
  /// (3 points), the 3/8 rule (4), Boole's rule (5) or the extended rule with
  /// end weights 3/8, 7/6, 23/24 (6 or more) inside.  Other methods: 0.  A NaN
  /// bound gives NaN; equal bounds give 0.  Sums are formed in 80 bits, so
  /// only a result beyond the double range overflows.
  double Integrate(double LoBound, double HiBound, TIntegMethod Method) const;

  /// Writes the ASC text format: line 1 the comment (line feeds replaced by
  /// blanks; empty: "Exported by QMX TVector component: " + FName), then
  /// "1<TAB>;nr. of columns", "<NrOfElem><TAB>;nr. of rows",
  /// "FALSE FALSE FALSE FALSE<TAB>;row attributes, column names, row names,
  /// nominal variables", then one value per line by `strff` (width 12,
  /// Decimals decimals; negative: scientific).  Lines end with CR LF.
  /// 0, or -1 if the file cannot be created; later write errors raise `EInOutError`.
  std::int32_t ExportAsASC(const std::string& FName, std::int32_t Decimals, const std::string& Comment) const;
  /// Writes the plain text format: line 1 "LoIx HiIx" (put in order, then
  /// validated), then one value per line.  Decimals 0..20: fixed-point, no
  /// leading blanks; -1: scientific in 13 characters (7 significant digits);
  /// -2: scientific in 26 characters (20 significant digits, exact).  Below -2
  /// counts as 2, above 20 as 20.  NaN and infinities are written "NAN",
  /// "INF", "-INF" and read back by `LoadFromFile`.  True once the file has
  /// been created (later write errors are not reported); false if it cannot be.
  bool StoreOnFile(std::int32_t LoIx, std::int32_t HiIx, std::int32_t Decimals, const std::string& FName) const;

  using Base::LoadFromFile;
  /// DigitizerFile false: the two-argument form.  True: counts the non-empty
  /// lines containing "//dig"; AdjustSize: `Resize(count)`; then for
  /// i = 1..NrOfElem reads the next white-space-delimited word of the file
  /// into element i through `SetVal`; a word that is not a number leaves
  /// element i unchanged (the next word goes to element i + 1).  `OnChange`
  /// fires; true, or false if the file cannot be opened.
  bool LoadFromFile(const std::string& FName, bool AdjustSize, bool DigitizerFile);
};

}  // namespace qmx
