#pragma once
/// \file
/// What the file formats of the matrix classes (`TMatrix`, `TIntMatrix`,
/// `TMat3D`, `TMat4D`) share: the XML tag vocabulary, the result codes of the
/// ASC reader, the binary header record, and the text forms of cell values.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "qmx/foundation/platform.hpp"

namespace qmx {

// ---------------------------------------------------------------------------
// XML tag vocabulary
// ---------------------------------------------------------------------------

/// The tags of a matrix in XML form, in the order of `MatXmlTagNames`.
enum class TMatXmlTag : std::uint8_t {
  xmlMatNumCols,
  xmlMatNumRows,
  xmlMatNumLayers,
  xmlMatNumTimeSlots,
  xmlMatCell,
  xmlMatBegin,
  xmlMatEnd,
  xmlInvalid
};

/// The tag names, indexed by the ordinal of `TMatXmlTag`.
inline constexpr std::array<std::string_view, 8> MatXmlTagNames = {
    "numcols", "numrows", "numplanes", "numtimeslots", "cell", "matrix", "/matrix", "invalidtag"};

// ---------------------------------------------------------------------------
// Result codes of the ASC reader of the matrices.  Codes -1 to -4 are those
// of `ReadHeaderOfASC` (file cannot be opened, truncated header, counts
// unreadable or larger than the file can hold, bad flags), passed through.
// ---------------------------------------------------------------------------

inline constexpr std::int32_t kMatAscOk = 0;
/// A row attribute cannot be read as a number.
inline constexpr std::int32_t kMatAscBadRowAttrib = -5;
/// A value cannot be read as a number, or the file ends before the last value.
inline constexpr std::int32_t kMatAscBadValue = -6;
/// The file ends inside the column names or before a row name.
inline constexpr std::int32_t kMatAscBadName = -7;
/// The file does not exist.
inline constexpr std::int32_t kMatAscNoFile = -8;

// ---------------------------------------------------------------------------
// Binary files: records of 4096 bytes; record 0 is the header
// ---------------------------------------------------------------------------

/// The size of one record of a binary matrix file.
inline constexpr std::int64_t kMatRecordSize = 4096;
/// Format identifiers of the header: 64-bit float and 32-bit integer elements.
inline constexpr std::int32_t kMatFormatDouble = 1;
inline constexpr std::int32_t kMatFormatInt32 = 2;
/// The longest comment the header holds (bytes).
inline constexpr std::size_t kMatMaxComment = 255;

/// The fields of the header record (all little-endian): bytes 0-3 columns,
/// 4-7 rows, 8-11 layers (0 for a matrix), 12-15 time slots (0 for a matrix
/// and a 3-D array), 16 the comment length, 17-271 the comment bytes, 272-275
/// the format identifier; the rest of the record is zero and is not read.
struct TMatBinaryHeader {
  std::int32_t NrOfColumns = 0;
  std::int32_t NrOfRows = 0;
  std::int32_t NrOfLayers = 0;
  std::int32_t NrOfTimeSlots = 0;
  std::string Comment;
  std::int32_t Format = 0;
};

namespace detail {

/// The number of header bytes that carry fields (0..275).
inline constexpr std::size_t kMatHeaderFieldBytes = 276;

/// Writes the header as one full record of `kMatRecordSize` bytes (the
/// comment is cut to `kMatMaxComment` bytes).  Raises `EInOutError`
/// ("Stream write error") on a short write.
void WriteMatBinaryHeader(TStream& Stream, const TMatBinaryHeader& Header);
/// Decodes the header fields from the first `kMatHeaderFieldBytes` bytes of Record.
void DecodeMatBinaryHeader(std::span<const std::uint8_t, kMatHeaderFieldBytes> Record, TMatBinaryHeader& Header);
/// Reads the header fields at the stream's position; false (Header cleared,
/// position restored) when fewer than `kMatHeaderFieldBytes` bytes are left.
/// On success the position stands after the fields, not after the record.
bool ReadMatBinaryHeader(TStream& Stream, TMatBinaryHeader& Header);
/// Reads the header of a file; false if the file does not exist, cannot be
/// opened or is shorter than the header fields.
bool ReadMatBinaryHeader(const std::string& FName, TMatBinaryHeader& Header);

/// Little-endian encoding of the element types.
void PutLE32(std::uint8_t* Out, std::int32_t Value);
std::int32_t GetLE32(const std::uint8_t* In);
void PutLEDouble(std::uint8_t* Out, double Value);
double GetLEDouble(const std::uint8_t* In);

// ---------------------------------------------------------------------------
// Text forms of cell values
// ---------------------------------------------------------------------------

/// A double as text: Decimals < 0 gives the shortest text that reads back to
/// the same value ("full" precision); 0..25 gives fixed-point with that many
/// decimals.  NaN is written "NAN", infinities "INF" and "-INF".  The text is
/// right-aligned in a field of at least Width characters (Width <= 0: none).
std::string FormatMatCell(double Value, std::int32_t Width, std::int32_t Decimals);
/// An integer as plain decimal text, right-aligned in at least Width characters.
std::string FormatMatCell(std::int32_t Value, std::int32_t Width);

/// Converts a whole word ("." separator, an optional leading sign, an
/// optional exponent; "NAN", "INF", "+INF", "-INF" in any letter case).  False
/// for anything else, including trailing characters; numbers beyond the
/// double range give plus or minus the largest double, numbers too small
/// give a signed zero.
bool ParseMatWord(std::string_view Word, double& Value);
/// Converts a whole word to an integer: a decimal real (as for the double
/// form) rounded to the nearest integer, ties to even; false for NaN,
/// infinities and results outside the 32-bit range.
bool ParseMatWord(std::string_view Word, std::int32_t& Value);

/// The integer of a tag: leading white space skipped, an optional "+" or
/// "-", then decimal digits up to the first other character; no digits give
/// 0; values beyond the 32-bit range are limited to it.
std::int32_t ParseTagInteger(std::string_view Text);
/// The number of a cell: optional white space, sign, digits, "." and digits,
/// and an optional exponent ("E" or "e", sign, digits); what follows is
/// ignored; no digits give 0; "NAN" and "INF" (any case, optionally signed)
/// are read as such.  A value beyond the double range is limited to plus or
/// minus the largest double.
double ParseTagReal(std::string_view Text);
/// The same but for the whole text (surrounding white space allowed): false
/// when it is empty or anything other than one number follows.
bool ParseTagRealStrict(std::string_view Text, double& Value);
/// The integer value of the attribute Name (`name="12"`, quotes ' or ",
/// blanks around "=" allowed) by `ParseTagInteger`; 0 if the attribute is absent.
std::int32_t TagAttributeInteger(std::string_view Attributes, std::string_view Name);
/// The same, false when the attribute is absent or its value is not exactly
/// an integer (surrounding white space allowed) within the 32-bit range.
bool TagAttributeIntegerStrict(std::string_view Attributes, std::string_view Name, std::int32_t& Value);

/// x rounded to the nearest integer, ties to the even neighbour (independent
/// of the floating-point rounding mode); NaN and infinities are returned as they are.
double RoundHalfEven(double x);
/// x rounded as by `RoundHalfEven`, limited to the 32-bit range; NaN gives 0.
std::int32_t RoundHalfEvenToInt32(double x);

}  // namespace detail
}  // namespace qmx
