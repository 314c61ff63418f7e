#pragma once
/// \file
/// Number formatting and conversion of the `math1` unit: fixed, scientific and
/// engineering texts, hexadecimal, octal, binary and Roman numerals, angle
/// texts, floating-point bit patterns, and the scanners and validators that
/// read those texts back.
///
/// All texts are written and read independently of the C and C++ locale; the
/// decimal separator of every formatter is ".".
///
/// Conventions of the scanners (`ScanHex`, `ScanOctal`, `ScanBin`,
/// `ScanDecimal`, `ScanFPNum`, `ScanDegrees`, `ScanDateTime`): `CurPos` is a
/// 0-based byte index into the text.  A scanner skips blanks and tabs from
/// `CurPos`, reads the longest number of its grammar that starts there, and
/// moves `CurPos` to the first byte after it.  When no number of its grammar
/// starts there (or the number does not fit the result type) it returns 0 and
/// leaves `CurPos` unchanged; a scanner never raises.
///
/// Conventions of the validators (`IsValid...`): the whole text must be one
/// number of the grammar, optionally surrounded by blanks and tabs.  They
/// accept every text the matching formatter produces and never raise.
///
/// Non-finite values are written as "NAN", "INF" and "-INF" by every
/// formatter of real numbers (as by the base layer's `strff`); the real-number
/// scanners and validators accept these words (in either case, with an
/// optional sign).  No formatter writes "-" in front of a text that shows only
/// zeros.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"

namespace qmx {

// ---------------------------------------------------------------------------
// Integer texts
// ---------------------------------------------------------------------------

/// The decimal digits of |n| in a field of exactly `digits` characters,
/// zero-padded on the left; only the lowest `digits` digits appear when |n|
/// has more.  A negative n gets "-" in front.  `digits` is clipped to 1 .. 255
/// (0 and negative values count as 1).
std::string Decimal(std::int32_t n, std::int32_t digits);
/// The lowest `digits` hexadecimal digits (clipped to 1 .. 16) of the 32-bit
/// pattern of n, most significant first, upper case, zero-padded.
std::string Hex(std::int32_t n, std::int32_t digits);
/// The lowest `digits` octal digits (clipped to 1 .. 11) of the 32-bit pattern of n.
std::string Octal(std::int32_t n, std::int32_t digits);
/// The lowest `digits` binary digits (clipped to 1 .. 32) of the 32-bit pattern of n.
std::string Bin(std::int32_t n, std::int32_t digits);

/// Roman numeral of n for 1 <= n < 30000 (greedy; 4000 is "MMMM"); other n
/// give the empty string.
std::string Roman(std::int32_t n);

// ---------------------------------------------------------------------------
// Real-number texts
// ---------------------------------------------------------------------------

/// Fixed-point text of x with `decimals` digits after ".", right-aligned with
/// blanks to at least `width` characters (correctly rounded, round half to
/// even on the exact binary value; the same text as the base layer's `strff`).
/// `width` is clipped to 0 .. 255, `decimals` to at most 60.
///
/// decimals = -2 gives the short scientific form: the scientific text of x
/// (see below) in a field of width + 2 characters with its four-digit exponent
/// cut to two digits, e.g. strf(1234.56, 10, -2) = " 1.235E+03"; when the
/// exponent needs more than two digits every character of that (width-long)
/// result is "*".  Any other negative `decimals` gives the scientific text of
/// x in a field of `width` characters.
///
/// The scientific text in a field of w characters is: a sign character ("-"
/// for x < 0, else a blank), one digit, ".", m digits with
/// m = clamp(w - 9, 1, 16), "E", the exponent sign and a four-digit exponent
/// ("-1.2500E+0003" for w = 13), padded on the left with blanks to w
/// characters.  Digits are correctly rounded (half to even on the exact value).
std::string strf(double x, std::int32_t width, std::int32_t decimals);

/// Normalised scientific text with a leading "0.": the sign character ("-",
/// or a blank for x >= 0), "0.", the first `sigdig` (clipped to 2 .. 15)
/// significant digits of x, "E", the exponent sign and the exponent of the
/// mantissa in [0.1, 1) with at least two digits (three for |exponent| >= 100;
/// 0 has the exponent +00), padded on the left with blanks to `width`
/// (clipped to 8 .. 40) characters.
std::string MakeEFormat(double x, std::int32_t width, std::int32_t sigdig);

/// Engineering notation with a unit prefix (a f p n u m, none, k M G T for
/// 1e-18 .. 1e12).  |digits| (clipped to -9 .. 9, 0 counts as 1) is the number
/// of significant digits; a negative `digits` puts the prefix in place of the
/// decimal point ("4k7").  The decade group is chosen after rounding to the
/// significant digits, so 999.96 with 3 digits gives "1.00k" (not "1000");
/// outside 1e-18 .. 1e15 the group is clipped and the mantissa is written with
/// as many decimals as needed for the digits ("0.0100a" for 1e-20 and 3
/// digits).  Without a prefix (group 0) the "." stays also for negative digits.
std::string EEngStr(double x, std::int32_t digits);

// ---------------------------------------------------------------------------
// Floating-point bit patterns
// ---------------------------------------------------------------------------

/// The bit pattern of x in upper-case hexadecimal, most significant byte first
/// (8 digits).
std::string FPNumToHex(float x);
/// The bit pattern of x, most significant byte first (16 digits).
std::string FPNumToHex(double x);
/// The 80-bit pattern of x (the 10 value bytes), most significant byte first
/// (20 digits).
std::string FPNumToHex(Extended x);

/// The double whose bit pattern the 16 hexadecimal digits of s give (either
/// case); each pair is one byte.  With msbFirst the first pair is the most
/// significant byte (the inverse of `FPNumToHex`), otherwise the least
/// significant.  Raises `EQMXError` "HexToDouble: invalid hex string "<s>""
/// for a wrong length or a non-hexadecimal character.
double HexToDouble(std::string_view s, bool msbFirst = true);
/// The same for 8 digits and a 32-bit float ("HexToSingle: invalid hex string ...").
float HexToSingle(std::string_view s, bool msbFirst = true);
/// The same for 20 digits and an 80-bit float, most significant byte first
/// ("HexToExtended: invalid hex string ...").
Extended HexToExtended(std::string_view s);

// ---------------------------------------------------------------------------
// Angles
// ---------------------------------------------------------------------------

/// Angle text; `decimals` is clipped to 0 .. 8.
/// - dfDegDec: fixed-point degrees and "°" ("12.50°").
/// - dfDegMinDec: whole degrees, "° ", decimal minutes in a field of
///   decimals + 3 characters, "'" ("12° 30.00'", "-0°  5.00'").
/// - dfDegMinSec: whole degrees, "° ", whole minutes in a field of 2, "' ",
///   decimal seconds in a field of decimals + 3, a double-quote character.
/// - dfDecimal: fixed-point degrees without a sign after them.
/// The angle is first rounded to `decimals` decimals of the smallest unit
/// shown (half away from zero); values within 3e-12 of a whole number are
/// taken as that number.  The degree sign is written in UTF-8.
std::string DegreeToStr(double angle, TDegreeFormat format, std::int32_t decimals);

/// Converts an angle in place between decimal degrees (dfDegDec; dfDecimal is
/// taken as the same), degrees with decimal minutes (dfDegMinDec) and degrees,
/// minutes and seconds (dfDegMinSec).  The sign of an angle is held by `deg`
/// alone (a negative zero in `deg` marks a negative angle below one degree);
/// minutes and seconds are never negative.  The parts not used by toFormat
/// are set to 0.  Returns the angle in decimal degrees.  An infinite or NaN
/// angle is not split: `deg` receives it, minutes and seconds are 0.  Raises
/// `EQMXMath1Error` "ConvertDegrees: invalid range of minutes" /
/// "... of seconds" for input minutes or seconds outside [0, 60) (also NaN).
double ConvertDegrees(double& deg, double& min, double& sec, TDegreeFormat fromFormat, TDegreeFormat toFormat);

// ---------------------------------------------------------------------------
// Scanners (see the file comment for the position and failure rules)
// ---------------------------------------------------------------------------

/// Reads 1 or more hexadecimal digits (either case) whose value fits 32 bits
/// and returns that 32-bit pattern ("FFFFFFFF" gives -1).
std::int32_t ScanHex(std::string_view Instring, std::size_t& CurPos);
/// Reads 1 or more octal digits whose value fits 32 bits (the 32-bit pattern).
std::int32_t ScanOctal(std::string_view Instring, std::size_t& CurPos);
/// Reads 1 or more binary digits whose value fits 32 bits (the 32-bit pattern).
std::int32_t ScanBin(std::string_view Instring, std::size_t& CurPos);
/// Reads an optional sign ("+" or "-") and 1 or more decimal digits whose
/// value lies in the 32-bit signed range.
std::int32_t ScanDecimal(std::string_view Instring, std::size_t& CurPos);

/// Reads a real number: optional sign, digits, optionally "." and digits,
/// optionally an exponent ("E" or "e", optional sign, digits), or the words
/// NAN and INF.  With AllowEngPrefix a unit prefix of `EEngStr` may follow the
/// mantissa ("4.7m") or stand in place of its decimal point ("4k7"); it then
/// takes the place of the exponent.  A value outside the range of double
/// (overflow, or a nonzero value below the smallest subnormal) is rejected.
double ScanFPNum(std::string_view Instring, bool AllowEngPrefix, std::size_t& CurPos);

/// Reads an angle in one of the forms of `DegreeToStr` and returns it in
/// decimal degrees: "D.ddd°", "D° M.mm'", "D° M' S.ss"" (blanks after the
/// signs optional, degree sign in UTF-8) or a plain fixed-point number.  Only
/// the degrees carry a sign; minutes and seconds must lie in [0, 60), and a
/// part followed by a smaller unit must be whole.  No exponent is accepted.
double ScanDegrees(std::string_view Instring, std::size_t& CurPos);

/// Reads a date with an optional time of day and returns days since
/// 1899-12-30 00:00 plus the fraction of the day (also below 0 for earlier
/// times, where the value still grows with time).  Dates (year 1 .. 9999):
/// - ISO "YYYY-MM-DD";
/// - "D.M.YYYY" (both languages) and, for lgEnglish, "M/D/YYYY";
/// - "D Month YYYY", "D. Month YYYY", "D-Mon-YYYY" and "Month D, YYYY", with
///   full or three-letter month names of the language in either case
///   (German: Januar .. Dezember, Jan .. Dez, also "Mär"/"Mrz"/"Maerz").
/// The time follows after blanks or a "T": "h:mm", "h:mm:ss" or
/// "h:mm:ss.fff" (hours 0 .. 23).  Invalid calendar dates are rejected.
double ScanDateTime(std::string_view Instring, TLanguage Language, std::size_t& CurPos);

// ---------------------------------------------------------------------------
// Validators (the whole text, blanks around it allowed)
// ---------------------------------------------------------------------------

/// True for a real number in fixed or scientific notation (or NAN, INF) whose
/// value lies in the range of double; the decimal separator is "." or ","
/// (or either) as DecPSep says.
bool IsValidDouble(std::string_view s, TDecPSep DecPSep = TDecPSep::dpsPoint);
/// As `IsValidDouble`, and also the engineering notation of `EEngStr`
/// ("4.7m", "-4k7").
bool IsValidFPNum(std::string_view s, TDecPSep DecPSep = TDecPSep::dpsPoint);
/// True for hexadecimal digits (either case) whose value fits 32 bits.
bool IsValidHex(std::string_view s);
/// True for octal digits whose value fits 32 bits.
bool IsValidOct(std::string_view s);
/// True for binary digits whose value fits 32 bits.
bool IsValidBin(std::string_view s);
/// True for an optionally signed decimal integer in the 32-bit signed range.
bool IsValidDecInt(std::string_view s);

/// The integer value of s (the grammar of `IsValidDecInt`); Default when s is
/// empty or not a valid integer text.
std::int32_t StrToIntDefault(std::string_view s, std::int32_t Default);

}  // namespace qmx
