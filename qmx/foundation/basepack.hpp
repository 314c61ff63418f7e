#pragma once
/// \file
/// The base support layer: CRC-32 step, bit field, mixed text and binary file
/// stream, stream value helpers, ASC header reader, tag readers, string
/// helpers, `strff`, colour conversions and numeric constants.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"

namespace qmx {

// ---------------------------------------------------------------------------
// CRC-32
// ---------------------------------------------------------------------------

/// Updates a running CRC-32 (IEEE 802.3 polynomial, reflected, 0xEDB88320) by
/// one byte.  Callers start at 0xFFFFFFFF and complement the final value.
std::uint32_t CalcNextCRC32(std::uint8_t Data, std::uint32_t CRC);

// ---------------------------------------------------------------------------
// Bit field
// ---------------------------------------------------------------------------

/// A Boolean array component.  `SetSize(n)` makes the indexes 0..n valid
/// (n + 1 bits).  Reading an index outside them gives false, writing one is
/// ignored.  The bits are kept in 64-bit words; unused bits of the last word
/// are always zero.
class TBitFld : public TComponent {
 public:
  /// The largest size accepted by `SetSize` (so that every count fits 32 bits).
  static constexpr std::int32_t kMaxSize = std::numeric_limits<std::int32_t>::max() - 1;

  /// A bit field without bits (`Size()` is -1).
  explicit TBitFld(TComponent* AOwner = nullptr);
  std::string_view ClassName() const override;
  /// Copies the bits of another `TBitFld` (not its name); other classes as `TPersistent`.
  void Assign(const TPersistent* Source) override;

  /// Makes the indexes 0..Size valid.  Bits that stay valid keep their value,
  /// new bits are false.  A negative Size leaves no bits; a Size above `kMaxSize`
  /// is taken as `kMaxSize`.  An allocation failure raises `EQMXError` with the
  /// component message "not enough memory" and leaves the field unchanged.
  void SetSize(std::int32_t Size);
  /// The highest valid index (the value given to `SetSize`), -1 when empty.
  std::int32_t Size() const { return static_cast<std::int32_t>(numBits_ - 1); }
  /// The number of bits (`Size() + 1`).
  std::int32_t NumBits() const { return static_cast<std::int32_t>(numBits_); }
  /// Makes every bit false.
  void Clear();
  /// Sets bit Ix; ignored outside 0..Size().
  void SetBit(std::int32_t Ix, bool Value);
  /// Bit Ix; false outside 0..Size().
  bool GetBit(std::int32_t Ix) const;
  /// The lowest index whose bit is true, -1 if none.
  std::int32_t FirstTrueBit() const;
  /// The number of true bits.
  std::int32_t CountTrueBits() const;
  /// Flips every bit.
  void Invert();
  /// Makes this field a copy of Source (size and bits); nil does nothing.
  void Clone(const TBitFld* Source);
  /// Combines every bit b of this field with the bit s of Other at the same
  /// index: `loAnd` b AND s, `loOr` b OR s, `loXor` b XOR s, `loAndNot`
  /// b AND NOT s, `loOrNot` b OR NOT s, `loXorNot` b XOR NOT s.  Bits of Other
  /// beyond its size count as false; the size of this field does not change.
  /// A nil Other or an ordinal outside the six operations changes nothing.
  void CombineWith(const TBitFld* Other, TLogicOp Op);

 private:
  void MaskTail();

  std::vector<std::uint64_t> words_;
  std::int64_t numBits_ = 0;
};

// ---------------------------------------------------------------------------
// Mixed text and binary file stream
// ---------------------------------------------------------------------------

/// Open modes of `TMixedFStream`: create (or truncate) for writing and
/// reading, open an existing file for reading, or append to a file (created
/// when missing).
enum class TMixedFMode : std::uint8_t { mfmCreate, mfmRead, mfmAppend };

/// A file that mixes text lines and binary values, read back in the order
/// they were written.  Byte layout:
///  - `WriteLn(text)`: the bytes of text, each CR or LF in it replaced by a
///    blank, then CR LF.  `ReadLn` reads up to the next LF and drops one CR
///    before it, so it returns the text as written (with that replacement).
///  - `WriteByte`: one byte.
///  - `WriteInteger`: 4 bytes, two's complement, little-endian.
///  - `WriteDouble`: 8 bytes, IEEE 754 binary64 bit pattern, little-endian
///    (NaN payloads, infinities, denormals and -0 round-trip bit for bit).
/// There is no header and no padding.  Reads report success; a failed read
/// (not enough bytes left) leaves the value 0 and the position at the end.
class TMixedFStream : public TObject {
 public:
  /// Opens the file; raises `EInOutError` ("Cannot open file \"<name>\"")
  /// when it cannot be opened in the requested mode.
  TMixedFStream(const std::string& FileName, TMixedFMode Mode);
  ~TMixedFStream() override;
  TMixedFStream(const TMixedFStream&) = delete;
  TMixedFStream& operator=(const TMixedFStream&) = delete;
  std::string_view ClassName() const override;

  /// Writes a text line (see the class comment).  Write failures raise
  /// `EInOutError` ("Stream write error"), also in read mode.
  void WriteLn(std::string_view Text);
  void WriteByte(std::uint8_t Value);
  void WriteInteger(std::int32_t Value);
  void WriteDouble(double Value);

  /// Reads the next line.  At most MaxLen characters are kept (negative counts
  /// as 0); the rest of the line and its line end are consumed.  A last line
  /// without line end is returned as well.  False (Line empty) at the end of
  /// the file.
  bool ReadLn(std::string& Line, std::int32_t MaxLen);
  bool ReadByte(std::uint8_t& Value);
  bool ReadInteger(std::int32_t& Value);
  bool ReadDouble(double& Value);

  /// True when no byte is left to read.
  bool Eof() const;
  /// Position in bytes from the start of the file, and the file size.
  std::int64_t Position() const;
  std::int64_t Size() const;
  const std::string& FileName() const { return fileName_; }

 private:
  bool ReadExact(void* Buffer, std::int64_t Count);

  std::unique_ptr<TFileStream> stream_;
  std::string fileName_;
};

// ---------------------------------------------------------------------------
// Values on byte streams
// ---------------------------------------------------------------------------

/// Writes a 32-bit integer as 4 little-endian bytes at the stream's position.
/// False for a nil stream or a short write.
bool WriteLongintToStream(TStream* Stream, std::int32_t Value);
/// Reads what `WriteLongintToStream` wrote.  False (Value 0, position
/// unchanged) for a nil stream or fewer than 4 bytes left.
bool ReadLongintFromStream(TStream* Stream, std::int32_t& Value);
/// Writes an 80-bit extended float as 10 little-endian bytes: the 64-bit
/// significand (explicit integer bit) followed by the 16-bit sign and
/// exponent word, as the x87 format holds it.  False for a nil stream or a
/// short write.
bool WriteExtendedToStream(TStream* Stream, Extended Value);
/// Reads what `WriteExtendedToStream` wrote.  False (Value 0, position
/// unchanged) for a nil stream or fewer than 10 bytes left.  Ten bytes that
/// are no valid x87 value (unnormals, pseudo-infinities, pseudo-NaNs) are
/// consumed and give false with Value NaN.
bool ReadExtendedFromStream(TStream* Stream, Extended& Value);

namespace detail {
/// The 10-byte little-endian x87 image of Value (see `WriteExtendedToStream`).
void PackExtended80(Extended Value, std::uint8_t* Out10);
/// Decodes a 10-byte image; false (Value NaN) for an invalid encoding.
bool UnpackExtended80(const std::uint8_t* In10, Extended& Value);
/// The same conversions built from frexp/ldexp, for targets whose
/// `long double` is not the x87 format (on x86-64 they give the same bytes).
void PackExtended80Portable(Extended Value, std::uint8_t* Out10);
bool UnpackExtended80Portable(const std::uint8_t* In10, Extended& Value);
}  // namespace detail

// ---------------------------------------------------------------------------
// ASC text files
// ---------------------------------------------------------------------------

/// Results of `ReadHeaderOfASC`.  They are kept apart from the codes -5..-8
/// of the container readers, which pass these through unchanged.
inline constexpr std::int32_t kAscOk = 0;
inline constexpr std::int32_t kAscCannotOpen = -1;       ///< the file cannot be opened
inline constexpr std::int32_t kAscTruncatedHeader = -2;  ///< fewer than four header lines
inline constexpr std::int32_t kAscBadCounts = -3;        ///< column or row count unreadable, negative or too large
inline constexpr std::int32_t kAscBadFlags = -4;         ///< line 4 does not start with four truth words
/// The largest number of cells (columns x rows) a header may declare.
inline constexpr std::int64_t kAscMaxCells = std::numeric_limits<std::int32_t>::max();

/// Reads the four header lines of an ASC text file.  Line 1 is the comment
/// (a leading UTF-8 byte-order mark is dropped).  Lines 2 and 3 start with
/// the number of columns and of rows: a word of decimal digits (an optional
/// "+"), ended by white space or ";"; what follows is ignored.  Line 4 starts
/// with four words "TRUE" or "FALSE" (any letter case), ended by white space
/// or ";": row attributes, column names, row names, nominal variables.
/// LF and CR LF line ends are accepted.  Counts are refused when either of
/// them or their product exceeds `kAscMaxCells` or the size of the file (every
/// cell takes at least one byte).  On failure the outputs are empty, 0 and
/// false.  Returns one of the `kAsc...` codes.
std::int32_t ReadHeaderOfASC(const std::string& FName, std::string& Comment, std::int32_t& NCols,
                             std::int32_t& NRows, bool& RowAttrib, bool& ColNames, bool& RowNames,
                             bool& NomVars);
/// The same on an open text file, from its current line; afterwards the file
/// stands at the start of line 5.  MaxCells bounds the counts as the file size
/// does above (callers reading a stream pass its remaining size).
std::int32_t ReadHeaderOfASC(TTextFile& TFile, std::string& Comment, std::int32_t& NCols,
                             std::int32_t& NRows, bool& RowAttrib, bool& ColNames, bool& RowNames,
                             bool& NomVars, std::int64_t MaxCells = kAscMaxCells);

/// Reads the next word of an open text file: blanks, tabs and line ends are
/// skipped, then the run of other characters is read.  False at the end.
bool ReadNextWordInTextFile(TTextFile& TFile, std::string& Word);

/// Stages of `ParseQuotedName`.
enum class TQuotedNameStage : std::uint8_t { qnsBefore, qnsQuoted, qnsUnquoted, qnsComplete };

/// The state of one `ParseQuotedName` run, held by the caller.  A fresh
/// (value-initialised) state starts a new name.
struct TQuotedNameState {
  TQuotedNameStage Stage = TQuotedNameStage::qnsBefore;
  /// True when the name was ended by a line end before its closing quote.
  bool Unterminated = false;
  /// The name read so far (complete once the stage is `qnsComplete`).
  std::string Name;
};

/// Names longer than this keep only their first bytes (the rest is consumed).
inline constexpr std::size_t kMaxQuotedNameLength = 65536;

/// Feeds one character to the quoted-name parser; true when the name is
/// complete.  White space before the name is skipped.  A name written between
/// two Quote characters ends at the closing quote (it cannot contain the quote
/// character; a CR or LF before the closing quote ends it as well and sets
/// `Unterminated`).  A name that starts with another character is read up to
/// the next white space, which completes it.  Feeding a character to a
/// complete state starts the next name.
bool ParseQuotedName(char Ch, char Quote, TQuotedNameState& State);

// ---------------------------------------------------------------------------
// XML-like tags
// ---------------------------------------------------------------------------

/// Results of the tag readers other than an index into the tag list.
inline constexpr std::int32_t kTagUnknown = -1;    ///< a well-formed tag whose name is not in the list
inline constexpr std::int32_t kTagEndOfText = -2;  ///< no further tag
inline constexpr std::int32_t kTagMalformed = -3;  ///< a tag, comment or declaration that is cut off or too long
/// The longest tag (from "<" to ">") the readers accept.
inline constexpr std::size_t kMaxTagLength = 65536;

/// What the tag readers found, besides the index.
struct TTagInfo {
  std::string Name;          ///< the name as written; a closing tag has a leading "/"
  bool IsClosing = false;    ///< `</name>`
  bool IsEmptyElement = false;  ///< `<name .../>`: no content and no closing tag follow
};

/// Reads up to and including the next tag of a text file.  A tag is "<" followed
/// by a name (up to white space, "/" or ">"), the attribute text and ">"; a
/// closing tag `</name>` has the name "/name"; ">" inside quoted attribute values
/// does not end a tag.  Comments `<!-- -->`, declarations `<!...>` and processing
/// instructions `<?...?>` are skipped.  A "<" that cannot start a tag (followed
/// by white space, a digit, "=", ...) is ordinary text.
/// TextBefore: the text between the start position and the tag (skipped
/// comments excluded, nothing decoded).  Attributes: the text after the name
/// with surrounding white space and the "/" of an empty-element tag removed.
/// Result: the index of the name in TagList (compared ignoring ASCII letter
/// case; the list holds closing names such as "/matrix" where a caller wants
/// them recognised), `kTagUnknown` for a name not listed, `kTagEndOfText` when
/// no tag follows (TextBefore holds the rest), `kTagMalformed` for a cut-off or
/// over-long tag.  Every call that does not return `kTagEndOfText` consumes at
/// least one character.
std::int32_t ReadNextTagInTextFile(TTextFile& TFile, std::span<const std::string_view> TagList,
                                   std::string& TextBefore, std::string& Attributes,
                                   TTagInfo* Info = nullptr);
/// The same on a string; Pos is the 0-based byte position where reading starts
/// and afterwards the position after what was consumed.
std::int32_t ReadNextTagInString(std::string_view Text, std::size_t& Pos,
                                 std::span<const std::string_view> TagList, std::string& TextBefore,
                                 std::string& Attributes, TTagInfo* Info = nullptr);

/// Reads the content of an element whose opening tag `<TagName ...>` was just
/// read: everything up to the matching `</TagName>` (nested elements of the same
/// name counted; comments kept), which is consumed.  Content is the raw text.
/// Returns 0, or `kTagMalformed` when the text ends first or a tag in it is
/// malformed (Content then holds what was read).
std::int32_t ReadTagContentInTextFile(TTextFile& TFile, std::string_view TagName, std::string& Content);
std::int32_t ReadTagContentInString(std::string_view Text, std::size_t& Pos, std::string_view TagName,
                                    std::string& Content);

/// The value of the attribute Name (exact name; `name="value"` or `name='value'`,
/// blanks around "=" allowed) in an attribute text; false if it is absent.
bool XmlAttributeValue(std::string_view Attributes, std::string_view Name, std::string& Value);
/// Replaces & < > " ' by their entities, for text and attribute values.
std::string XmlEscape(std::string_view Text);
/// Replaces the five named entities and numeric references (`&#65;`, `&#x41;`,
/// written as UTF-8) by their characters; anything else is kept as it is.
std::string XmlUnescape(std::string_view Text);

// ---------------------------------------------------------------------------
// Strings
// ---------------------------------------------------------------------------

/// Splits Text at every character of Delimiters.  With SkipEmpty, runs of
/// delimiters count as one and no empty token is produced ("" gives none);
/// without it every delimiter separates two tokens (n delimiters, n + 1 tokens).
TStrArray Tokenize(std::string_view Text, std::string_view Delimiters, bool SkipEmpty = true);
/// The 0-based index of the first entry of List equal to S, -1 if none.
/// Without CaseSensitive, ASCII letters compare regardless of case.
std::int32_t StringIx(std::string_view S, bool CaseSensitive, std::span<const std::string_view> List);
std::int32_t StringIx(std::string_view S, bool CaseSensitive, std::span<const std::string> List);
/// True when Sub occurs in Text (an empty Sub always does).
bool StringContains(std::string_view Text, std::string_view Sub, bool CaseSensitive = true);
/// Text without leading and trailing white space (blank, tab, CR, LF, VT, FF).
std::string StripLTBlanks(std::string_view Text);
/// Text without every trailing occurrence of Ch.
std::string StripTrailingChars(std::string_view Text, char Ch);
/// Text without control characters (bytes 0..31 and 127); other bytes, also
/// those of UTF-8 sequences, are kept.
std::string RemoveControlChars(std::string_view Text);
/// Text with every OldCh replaced by NewCh.
std::string ReplaceCharInString(std::string_view Text, char OldCh, char NewCh);

// ---------------------------------------------------------------------------
// Number formatting
// ---------------------------------------------------------------------------

/// The largest width and number of decimals `strff` honours.
inline constexpr std::int32_t kStrffMaxWidth = 1024;
inline constexpr std::int32_t kStrffMaxDecimals = 60;

/// Formats x right-aligned in a field of at least Width characters ("."
/// decimal separator, independent of the locale).  Decimals >= 0: fixed-point
/// with that many decimals, correctly rounded ("-" only when a non-zero digit
/// is shown).  Decimals < 0: scientific form with |Decimals| decimals in the
/// mantissa and an exponent of at least two digits, as "-1.235E+04".  NaN
/// gives "NAN", infinities "INF" and "-INF".  Width and |Decimals| are
/// limited to `kStrffMaxWidth` and `kStrffMaxDecimals`.
std::string strff(Extended x, std::int32_t Width, std::int32_t Decimals);

// ---------------------------------------------------------------------------
// Colours
// ---------------------------------------------------------------------------

/// Grey value in [0, 255] of a colour: 0.299 R + 0.587 G + 0.114 B (ITU-R
/// BT.601 luma weights).  Components are clamped to 0..255.
double RGBtoGray(std::int32_t R, std::int32_t G, std::int32_t B);
/// Hue, saturation and intensity of a colour (components clamped to 0..255):
/// Intensity = (R + G + B) / 3 in [0, 255]; Saturation = 1 - min(R, G, B) /
/// Intensity in [0, 1] (0 for black); Hue in degrees [0, 360), 0 red, 120
/// green, 240 blue (0 for greys).
void RGBtoHSI(std::int32_t R, std::int32_t G, std::int32_t B, double& Hue, double& Saturation,
              double& Intensity);

// ---------------------------------------------------------------------------
// Constants
// ---------------------------------------------------------------------------

/// The largest finite 64-bit float.
inline constexpr Extended uc_MaxDouble = std::numeric_limits<double>::max();
/// The largest finite 32-bit float.
inline constexpr Extended uc_MaxSingle = std::numeric_limits<float>::max();
/// The largest finite real (a real is a 64-bit float); the start value of
/// searches for a minimum (and, negated, a maximum).
inline constexpr Extended uc_MaxReal = std::numeric_limits<double>::max();
/// The largest 64-bit signed integer (exact in 80 bits).
inline constexpr Extended uc_MaxInt64 = 9223372036854775807.0L;
/// The square root of 2.
inline constexpr Extended uc_sqrt2 = 1.414213562373095048801688724209698079L;
/// 1 / sqrt(2 pi).
inline constexpr Extended uc_sqrt2pitom1 = 0.398942280401432677939946059934381868L;
/// The highest n in `uc_LnFactorial`.
inline constexpr std::int32_t uc_LnFactorialMax = 1000;
/// ln(n!) for n = 0 .. `uc_LnFactorialMax` (constant-initialised).
extern const std::array<Extended, uc_LnFactorialMax + 1> uc_LnFactorial;

}  // namespace qmx
