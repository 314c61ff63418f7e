// The shared pieces of the matrix file formats: binary header record,
// little-endian coding, and the text forms of cell values.

#include "qmx/matrix/matrix_formats.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

#include "qmx/foundation/basepack.hpp"

namespace qmx::detail {

namespace {

constexpr double kMaxDouble = std::numeric_limits<double>::max();

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) {
    s.remove_prefix(1);
  }
  while (!s.empty() && IsBlank(s.back())) {
    s.remove_suffix(1);
  }
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    if (x >= 'a' && x <= 'z') {
      x = static_cast<char>(x - 'a' + 'A');
    }
    if (x != b[i]) {
      return false;
    }
  }
  return true;
}

/// "NAN", "INF" with an optional sign (any case); false otherwise.
bool ParseNonFinite(std::string_view w, double& v) {
  bool neg = false;
  std::string_view body = w;
  if (!body.empty() && (body.front() == '+' || body.front() == '-')) {
    neg = body.front() == '-';
    body.remove_prefix(1);
  }
  if (EqualsNoCase(body, "NAN")) {
    v = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  if (EqualsNoCase(body, "INF")) {
    v = neg ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    return true;
  }
  return false;
}

/// The longest prefix of s of the form digits[.digits][(e|E)[sign]digits]
/// (after an optional sign, which the caller has removed); the number of
/// mantissa digits goes to Digits.
std::size_t NumberPrefix(std::string_view s, std::size_t& Digits) {
  std::size_t i = 0;
  Digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
    ++i;
    ++Digits;
  }
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      ++i;
      ++Digits;
    }
  }
  if (Digits == 0) {
    return 0;
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
      ++j;
    }
    const std::size_t expStart = j;
    while (j < s.size() && s[j] >= '0' && s[j] <= '9') {
      ++j;
    }
    if (j > expStart) {
      i = j;
    }
  }
  return i;
}

/// The decimal order of magnitude of an unsigned number text (the exponent
/// of its leading non-zero digit); decides whether an out-of-range value is
/// too large or too small.
std::int64_t DecimalMagnitude(std::string_view s) {
  std::int64_t lead = 0;
  bool seenNonZero = false;
  bool afterPoint = false;
  std::int64_t intDigits = 0;
  std::int64_t zerosAfterPoint = 0;
  std::size_t i = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '.') {
      afterPoint = true;
      continue;
    }
    if (c < '0' || c > '9') {
      break;
    }
    if (!afterPoint) {
      if (seenNonZero || c != '0') {
        seenNonZero = true;
        ++intDigits;
      }
    } else if (!seenNonZero) {
      if (c == '0') {
        ++zerosAfterPoint;
      } else {
        seenNonZero = true;
      }
    }
  }
  lead = intDigits > 0 ? intDigits - 1 : -(zerosAfterPoint + 1);
  std::int64_t exp = 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      neg = s[i] == '-';
      ++i;
    }
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
      exp = std::min<std::int64_t>(exp * 10 + (s[i] - '0'), 1'000'000'000);
    }
    if (neg) {
      exp = -exp;
    }
  }
  return lead + exp;
}

/// Converts an unsigned number text that matched `NumberPrefix` completely.
double ConvertNumber(std::string_view s, bool negative) {
  double v = 0.0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    v = DecimalMagnitude(s) > 0 ? kMaxDouble : 0.0;
  } else if (ec != std::errc()) {
    v = 0.0;
  }
  return negative ? -v : v;
}

}  // namespace

// ---------------------------------------------------------------------------
// Little-endian coding and the header record
// ---------------------------------------------------------------------------

void PutLE32(std::uint8_t* Out, std::int32_t Value) {
  const auto u = static_cast<std::uint32_t>(Value);
  for (int k = 0; k < 4; ++k) {
    Out[k] = static_cast<std::uint8_t>(u >> (8 * k));
  }
}

std::int32_t GetLE32(const std::uint8_t* In) {
  std::uint32_t u = 0;
  for (int k = 0; k < 4; ++k) {
    u |= static_cast<std::uint32_t>(In[k]) << (8 * k);
  }
  return static_cast<std::int32_t>(u);
}

void PutLEDouble(std::uint8_t* Out, double Value) {
  const auto u = std::bit_cast<std::uint64_t>(Value);
  for (int k = 0; k < 8; ++k) {
    Out[k] = static_cast<std::uint8_t>(u >> (8 * k));
  }
}

double GetLEDouble(const std::uint8_t* In) {
  std::uint64_t u = 0;
  for (int k = 0; k < 8; ++k) {
    u |= static_cast<std::uint64_t>(In[k]) << (8 * k);
  }
  return std::bit_cast<double>(u);
}

void WriteMatBinaryHeader(TStream& Stream, const TMatBinaryHeader& Header) {
  std::array<std::uint8_t, static_cast<std::size_t>(kMatRecordSize)> rec{};
  PutLE32(rec.data() + 0, Header.NrOfColumns);
  PutLE32(rec.data() + 4, Header.NrOfRows);
  PutLE32(rec.data() + 8, Header.NrOfLayers);
  PutLE32(rec.data() + 12, Header.NrOfTimeSlots);
  const std::size_t len = std::min(Header.Comment.size(), kMatMaxComment);
  rec[16] = static_cast<std::uint8_t>(len);
  std::memcpy(rec.data() + 17, Header.Comment.data(), len);
  PutLE32(rec.data() + 272, Header.Format);
  Stream.WriteBuffer(rec.data(), kMatRecordSize);
}

void DecodeMatBinaryHeader(std::span<const std::uint8_t, kMatHeaderFieldBytes> Record, TMatBinaryHeader& Header) {
  Header.NrOfColumns = GetLE32(Record.data() + 0);
  Header.NrOfRows = GetLE32(Record.data() + 4);
  Header.NrOfLayers = GetLE32(Record.data() + 8);
  Header.NrOfTimeSlots = GetLE32(Record.data() + 12);
  const std::size_t len = Record[16];  // at most 255: the comment never runs into the format field
  Header.Comment.assign(reinterpret_cast<const char*>(Record.data() + 17), len);
  Header.Format = GetLE32(Record.data() + 272);
}

bool ReadMatBinaryHeader(TStream& Stream, TMatBinaryHeader& Header) {
  Header = TMatBinaryHeader{};
  const std::int64_t start = Stream.Position();
  if (Stream.Size() - start < static_cast<std::int64_t>(kMatHeaderFieldBytes)) {
    return false;
  }
  std::array<std::uint8_t, kMatHeaderFieldBytes> fields{};
  if (Stream.Read(fields.data(), static_cast<std::int64_t>(fields.size())) !=
      static_cast<std::int64_t>(fields.size())) {
    Stream.SetPosition(start);
    return false;
  }
  DecodeMatBinaryHeader(fields, Header);
  return true;
}

bool ReadMatBinaryHeader(const std::string& FName, TMatBinaryHeader& Header) {
  Header = TMatBinaryHeader{};
  if (!FileExists(FName)) {
    return false;
  }
  try {
    TFileStream file(FName, TFileMode::fmOpenRead);
    return ReadMatBinaryHeader(file, Header);
  } catch (const EInOutError&) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// Text forms
// ---------------------------------------------------------------------------

std::string FormatMatCell(double Value, std::int32_t Width, std::int32_t Decimals) {
  std::string text;
  if (std::isnan(Value)) {
    text = "NAN";
  } else if (std::isinf(Value)) {
    text = Value < 0 ? "-INF" : "INF";
  } else if (Decimals < 0) {
    std::array<char, 64> buf{};
    const auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), Value);
    text.assign(buf.data(), ec == std::errc() ? end : buf.data());
  } else {
    text = strff(Value, 1, std::min(Decimals, kStrffMaxDecimals));
  }
  if (Width > 0 && text.size() < static_cast<std::size_t>(Width)) {
    text.insert(0, static_cast<std::size_t>(Width) - text.size(), ' ');
  }
  return text;
}

std::string FormatMatCell(std::int32_t Value, std::int32_t Width) {
  std::string text = std::to_string(Value);
  if (Width > 0 && text.size() < static_cast<std::size_t>(Width)) {
    text.insert(0, static_cast<std::size_t>(Width) - text.size(), ' ');
  }
  return text;
}

bool ParseMatWord(std::string_view Word, double& Value) {
  if (Word.empty()) {
    return false;
  }
  if (ParseNonFinite(Word, Value)) {
    return true;
  }
  bool negative = false;
  std::string_view s = Word;
  if (s.front() == '+' || s.front() == '-') {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  std::size_t digits = 0;
  if (NumberPrefix(s, digits) != s.size() || s.empty()) {
    return false;
  }
  Value = ConvertNumber(s, negative);
  return true;
}

bool ParseMatWord(std::string_view Word, std::int32_t& Value) {
  double v = 0.0;
  if (!ParseMatWord(Word, v) || !std::isfinite(v) || v < -2147483649.0 || v > 2147483648.0) {
    return false;
  }
  const double r = RoundHalfEven(v);
  if (r < -2147483648.0 || r > 2147483647.0) {
    return false;
  }
  Value = static_cast<std::int32_t>(r);
  return true;
}

std::int32_t ParseTagInteger(std::string_view Text) {
  std::size_t i = 0;
  while (i < Text.size() && IsBlank(Text[i])) {
    ++i;
  }
  bool negative = false;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) {
    negative = Text[i] == '-';
    ++i;
  }
  std::int64_t v = 0;
  for (; i < Text.size() && Text[i] >= '0' && Text[i] <= '9'; ++i) {
    v = std::min<std::int64_t>(v * 10 + (Text[i] - '0'), std::int64_t{1} << 32);
  }
  if (negative) {
    v = -v;
  }
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

double ParseTagReal(std::string_view Text) {
  std::size_t i = 0;
  while (i < Text.size() && IsBlank(Text[i])) {
    ++i;
  }
  std::string_view s = Text.substr(i);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  double v = 0.0;
  if (s.size() >= 3 && ParseNonFinite(s.substr(0, 3), v)) {
    return negative ? -v : v;
  }
  std::size_t digits = 0;
  const std::size_t len = NumberPrefix(s, digits);
  if (len == 0) {
    return 0.0;
  }
  return ConvertNumber(s.substr(0, len), negative);
}

bool ParseTagRealStrict(std::string_view Text, double& Value) { return ParseMatWord(Trim(Text), Value); }

std::int32_t TagAttributeInteger(std::string_view Attributes, std::string_view Name) {
  std::string value;
  if (!XmlAttributeValue(Attributes, Name, value)) {
    return 0;
  }
  return ParseTagInteger(value);
}

bool TagAttributeIntegerStrict(std::string_view Attributes, std::string_view Name, std::int32_t& Value) {
  std::string text;
  if (!XmlAttributeValue(Attributes, Name, text)) {
    return false;
  }
  std::string_view s = Trim(text);
  // One sign at most: a '+' is dropped only before a digit, so "+-5" stays refused.
  if (s.size() >= 2 && s.front() == '+' && s[1] >= '0' && s[1] <= '9') {
    s.remove_prefix(1);
  }
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), Value, 10);
  return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

double RoundHalfEven(double x) {
  if (!std::isfinite(x)) {
    return x;
  }
  double r = std::floor(x);
  const double d = x - r;
  if (d > 0.5 || (d == 0.5 && std::fmod(r, 2.0) != 0.0)) {
    r += 1.0;
  }
  return r;
}

std::int32_t RoundHalfEvenToInt32(double x) {
  if (std::isnan(x)) {
    return 0;
  }
  const double r = RoundHalfEven(x);
  if (r <= -2147483648.0) {
    return std::numeric_limits<std::int32_t>::min();
  }
  if (r >= 2147483647.0) {
    return std::numeric_limits<std::int32_t>::max();
  }
  return static_cast<std::int32_t>(r);
}

}  // namespace qmx::detail
