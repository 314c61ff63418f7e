#pragma once
// Private helpers of the number formatting and conversion part of `math1`,
// shared by its source files.  Not part of the public interface.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "qmx/foundation/platform.hpp"

namespace qmx::detail {

/// Fixed-point text of x with `decimals` (>= 0) digits after ".", right-aligned
/// with blanks to at least `width` characters; no "-" when only zeros are
/// shown; "NAN", "INF", "-INF" for non-finite values.  Locale-independent and
/// correctly rounded.  The same text as the fixed form of the base layer's
/// `strff`, but without its limit on the number of decimals, which `EEngStr`
/// needs for values far below 1e-18 (mantissas such as 0.000...01 before "a").
std::string FixedStr(double x, int width, int decimals);
std::string FixedStr(Extended x, int width, int decimals);

/// "NAN", "INF" or "-INF" for a non-finite value (as the base layer's `strff`).
std::string SpecialText(Extended x);

/// Pads s on the left with blanks to at least `width` characters.
std::string PadLeft(std::string s, int width);

inline bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }
inline bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

/// Index of the first byte at or after pos that is not a blank or tab.
inline std::size_t SkipBlanks(std::string_view s, std::size_t pos) {
  while (pos < s.size() && IsBlankChar(s[pos])) {
    ++pos;
  }
  return pos;
}

/// Syntax options of the real-number reader.
struct TFPSyntax {
  bool pointSep = true;      ///< "." may separate the fraction
  bool commaSep = false;     ///< "," may separate the fraction
  bool allowExp = true;      ///< an exponent "E[sign]digits" may follow
  bool allowEng = false;     ///< a unit prefix may follow or replace the separator
  bool allowSpecial = true;  ///< the words NAN and INF are numbers
};

/// Result of the real-number reader.
struct TFPRead {
  bool ok = false;           ///< a number was read
  std::size_t end = 0;       ///< index of the first byte after it
  double value = 0.0;        ///< its value
  bool negative = false;     ///< it was written with "-"
  bool hasFraction = false;  ///< it has a separator and fraction digits (or a prefix in place of them)
  bool special = false;      ///< it was NAN or INF
  bool signWritten = false;  ///< it starts with "+" or "-"
};

/// Reads the longest real number of the given syntax that starts exactly at
/// pos (no blanks skipped).  Values outside the range of double are not read.
TFPRead ReadFPNumber(std::string_view s, std::size_t pos, const TFPSyntax& syntax);

/// The unit prefixes of the engineering notation, groups -6 .. 4 (index group + 6;
/// group 0 has none).
inline constexpr std::string_view kEngPrefixes = "afpnum kMGT";

}  // namespace qmx::detail
