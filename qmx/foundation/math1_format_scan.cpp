// Scanners and validators of integer and real-number texts.

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>

#include "qmx/foundation/math1_format.hpp"
#include "qmx/foundation/math1_format_detail.hpp"

namespace qmx {

namespace detail {

namespace {

// Case-insensitive match of an upper-case ASCII word at pos.
bool MatchWord(std::string_view s, std::size_t pos, std::string_view word) {
  if (s.size() - pos < word.size()) {
    return false;
  }
  for (std::size_t i = 0; i < word.size(); ++i) {
    char c = s[pos + i];
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
    if (c != word[i]) {
      return false;
    }
  }
  return true;
}

// Index of the engineering group of a prefix character, or -99.
int EngGroup(char c) {
  if (c == ' ') {
    return -99;
  }
  const std::size_t i = kEngPrefixes.find(c);
  return i == std::string_view::npos ? -99 : static_cast<int>(i) - 6;
}

// Appends the digits starting at i to out; returns the index after them.
std::size_t TakeDigits(std::string_view s, std::size_t i, std::string& out) {
  while (i < s.size() && IsDigitChar(s[i])) {
    out.push_back(s[i]);
    ++i;
  }
  return i;
}

}  // namespace

TFPRead ReadFPNumber(std::string_view s, std::size_t pos, const TFPSyntax& syntax) {
  TFPRead out;
  std::size_t i = pos;
  if (i >= s.size()) {
    return out;
  }
  if (s[i] == '+' || s[i] == '-') {
    out.negative = s[i] == '-';
    out.signWritten = true;
    ++i;
  }
  if (syntax.allowSpecial && i < s.size()) {
    if (MatchWord(s, i, "NAN")) {
      out.ok = true;
      out.special = true;
      out.end = i + 3;
      out.value = out.negative ? -std::numeric_limits<double>::quiet_NaN() : std::numeric_limits<double>::quiet_NaN();
      return out;
    }
    if (MatchWord(s, i, "INF")) {
      out.ok = true;
      out.special = true;
      out.end = i + 3;
      out.value = out.negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
      return out;
    }
  }
  // Mantissa, normalised into text that std::from_chars reads.
  std::string text;
  if (out.negative) {
    text.push_back('-');
  }
  const std::size_t intStart = i;
  i = TakeDigits(s, i, text);
  if (i == intStart) {
    return out;
  }
  bool nonZero = text.find_first_of("123456789") != std::string::npos;
  auto isSep = [&](char c) { return (syntax.pointSep && c == '.') || (syntax.commaSep && c == ','); };
  if (i + 1 < s.size() && isSep(s[i]) && IsDigitChar(s[i + 1])) {
    text.push_back('.');
    const std::size_t fracStart = text.size();
    i = TakeDigits(s, i + 1, text);
    nonZero = nonZero || text.find_first_of("123456789", fracStart) != std::string::npos;
    out.hasFraction = true;
  }
  long exponent = 0;
  bool exponentTooLarge = false;
  const int group = (syntax.allowEng && i < s.size()) ? EngGroup(s[i]) : -99;
  if (group != -99) {
    // A unit prefix after the mantissa or in place of its separator.
    ++i;
    if (!out.hasFraction && i < s.size() && IsDigitChar(s[i])) {
      text.push_back('.');
      const std::size_t fracStart = text.size();
      i = TakeDigits(s, i, text);
      nonZero = nonZero || text.find_first_of("123456789", fracStart) != std::string::npos;
      out.hasFraction = true;
    }
    exponent = 3L * group;
  } else if (syntax.allowExp && i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
    std::size_t j = i + 1;
    bool expNegative = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
      expNegative = s[j] == '-';
      ++j;
    }
    if (j < s.size() && IsDigitChar(s[j])) {
      for (; j < s.size() && IsDigitChar(s[j]); ++j) {
        if (exponent < 100000000L) {
          exponent = exponent * 10 + (s[j] - '0');
        } else {
          exponentTooLarge = true;
        }
      }
      if (expNegative) {
        exponent = -exponent;
      }
      i = j;
    }
  }
  if (nonZero && exponentTooLarge) {
    return out;  // far outside the range of double
  }
  if (exponent != 0 && nonZero) {
    text.push_back('e');
    text += std::to_string(exponent);
  }
  double value = 0.0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  if (r.ec != std::errc{} || r.ptr != text.data() + text.size()) {
    return out;
  }
  out.ok = true;
  out.end = i;
  out.value = value;
  return out;
}

}  // namespace detail

namespace {

using detail::SkipBlanks;

// Reads digits of the given base at pos whose value fits 32 bits.
struct TUIntRead {
  bool ok = false;
  std::size_t end = 0;
  std::uint32_t value = 0;
};

int DigitValue(char c, int base) {
  int v = 99;
  if (c >= '0' && c <= '9') {
    v = c - '0';
  } else if (c >= 'A' && c <= 'F') {
    v = c - 'A' + 10;
  } else if (c >= 'a' && c <= 'f') {
    v = c - 'a' + 10;
  }
  return v < base ? v : -1;
}

TUIntRead ReadUnsigned(std::string_view s, std::size_t pos, int base, std::uint64_t limit) {
  TUIntRead out;
  std::uint64_t value = 0;
  bool overflow = false;
  std::size_t i = pos;
  for (; i < s.size(); ++i) {
    const int d = DigitValue(s[i], base);
    if (d < 0) {
      break;
    }
    value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
    if (value > limit) {
      overflow = true;
      value = limit + 1;  // keeps the accumulator bounded
    }
  }
  if (i == pos || overflow) {
    return out;
  }
  out.ok = true;
  out.end = i;
  out.value = static_cast<std::uint32_t>(value);
  return out;
}

struct TIntRead {
  bool ok = false;
  std::size_t end = 0;
  std::int32_t value = 0;
};

TIntRead ReadSignedDecimal(std::string_view s, std::size_t pos) {
  TIntRead out;
  bool negative = false;
  std::size_t i = pos;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  const std::uint64_t limit = negative ? 2147483648ULL : 2147483647ULL;
  const TUIntRead u = ReadUnsigned(s, i, 10, limit);
  if (!u.ok) {
    return out;
  }
  out.ok = true;
  out.end = u.end;
  out.value = negative ? static_cast<std::int32_t>(0u - u.value) : static_cast<std::int32_t>(u.value);
  return out;
}

std::int32_t ScanPattern(std::string_view s, std::size_t& CurPos, int base) {
  const TUIntRead r = ReadUnsigned(s, SkipBlanks(s, CurPos), base, 0xFFFFFFFFULL);
  if (!r.ok) {
    return 0;
  }
  CurPos = r.end;
  return static_cast<std::int32_t>(r.value);
}

bool IsValidPattern(std::string_view s, int base) {
  const TUIntRead r = ReadUnsigned(s, SkipBlanks(s, 0), base, 0xFFFFFFFFULL);
  return r.ok && SkipBlanks(s, r.end) == s.size();
}

detail::TFPSyntax SyntaxOf(TDecPSep DecPSep, bool allowEng) {
  detail::TFPSyntax syntax;
  syntax.pointSep = DecPSep != TDecPSep::dpsComma;
  syntax.commaSep = DecPSep != TDecPSep::dpsPoint;
  syntax.allowEng = allowEng;
  return syntax;
}

bool IsValidReal(std::string_view s, const detail::TFPSyntax& syntax) {
  const detail::TFPRead r = detail::ReadFPNumber(s, SkipBlanks(s, 0), syntax);
  return r.ok && SkipBlanks(s, r.end) == s.size();
}

}  // namespace

std::int32_t ScanHex(std::string_view Instring, std::size_t& CurPos) { return ScanPattern(Instring, CurPos, 16); }
std::int32_t ScanOctal(std::string_view Instring, std::size_t& CurPos) { return ScanPattern(Instring, CurPos, 8); }
std::int32_t ScanBin(std::string_view Instring, std::size_t& CurPos) { return ScanPattern(Instring, CurPos, 2); }

std::int32_t ScanDecimal(std::string_view Instring, std::size_t& CurPos) {
  const TIntRead r = ReadSignedDecimal(Instring, SkipBlanks(Instring, CurPos));
  if (!r.ok) {
    return 0;
  }
  CurPos = r.end;
  return r.value;
}

double ScanFPNum(std::string_view Instring, bool AllowEngPrefix, std::size_t& CurPos) {
  const detail::TFPRead r =
      detail::ReadFPNumber(Instring, SkipBlanks(Instring, CurPos), SyntaxOf(TDecPSep::dpsPoint, AllowEngPrefix));
  if (!r.ok) {
    return 0.0;
  }
  CurPos = r.end;
  return r.value;
}

bool IsValidDouble(std::string_view s, TDecPSep DecPSep) { return IsValidReal(s, SyntaxOf(DecPSep, false)); }
bool IsValidFPNum(std::string_view s, TDecPSep DecPSep) { return IsValidReal(s, SyntaxOf(DecPSep, true)); }
bool IsValidHex(std::string_view s) { return IsValidPattern(s, 16); }
bool IsValidOct(std::string_view s) { return IsValidPattern(s, 8); }
bool IsValidBin(std::string_view s) { return IsValidPattern(s, 2); }

bool IsValidDecInt(std::string_view s) {
  const TIntRead r = ReadSignedDecimal(s, SkipBlanks(s, 0));
  return r.ok && SkipBlanks(s, r.end) == s.size();
}

std::int32_t StrToIntDefault(std::string_view s, std::int32_t Default) {
  const TIntRead r = ReadSignedDecimal(s, SkipBlanks(s, 0));
  return (r.ok && SkipBlanks(s, r.end) == s.size()) ? r.value : Default;
}

}  // namespace qmx
