#pragma once
/// \file
/// Character helpers shared by the source files of the base support layer.

#include <cstddef>
#include <string_view>

namespace qmx::detail {

/// Blank, tab, CR, LF, vertical tab or form feed.
constexpr bool IsWhiteChar(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

/// The lower-case form of an ASCII letter; other bytes unchanged.
constexpr char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

/// Equality ignoring the case of ASCII letters.
constexpr bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace qmx::detail
