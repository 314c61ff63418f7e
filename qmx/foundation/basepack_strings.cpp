// String helpers of the base support layer.

#include <algorithm>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/basepack_detail.hpp"

namespace qmx {

namespace {

using detail::EqualNoCase;
using detail::IsWhiteChar;
using detail::LowerAscii;

template <class Str>
std::int32_t StringIxImpl(std::string_view s, bool caseSensitive, std::span<const Str> list) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string_view entry(list[i]);
    if (caseSensitive ? entry == s : EqualNoCase(entry, s)) {
      return static_cast<std::int32_t>(i);
    }
  }
  return -1;
}

}  // namespace

TStrArray Tokenize(std::string_view Text, std::string_view Delimiters, bool SkipEmpty) {
  TStrArray tokens;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = Text.find_first_of(Delimiters, start);
    const std::string_view token = Text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!SkipEmpty || !token.empty()) {
      tokens.emplace_back(token);
    }
    if (end == std::string_view::npos) {
      break;
    }
    start = end + 1;
  }
  return tokens;
}

std::int32_t StringIx(std::string_view S, bool CaseSensitive, std::span<const std::string_view> List) {
  return StringIxImpl(S, CaseSensitive, List);
}

std::int32_t StringIx(std::string_view S, bool CaseSensitive, std::span<const std::string> List) {
  return StringIxImpl(S, CaseSensitive, List);
}

bool StringContains(std::string_view Text, std::string_view Sub, bool CaseSensitive) {
  if (CaseSensitive) {
    return Text.find(Sub) != std::string_view::npos;
  }
  if (Sub.size() > Text.size()) {
    return false;
  }
  const auto it = std::search(Text.begin(), Text.end(), Sub.begin(), Sub.end(),
                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
  return it != Text.end() || Sub.empty();
}

std::string StripLTBlanks(std::string_view Text) {
  std::size_t b = 0;
  std::size_t e = Text.size();
  while (b < e && IsWhiteChar(Text[b])) {
    ++b;
  }
  while (e > b && IsWhiteChar(Text[e - 1])) {
    --e;
  }
  return std::string(Text.substr(b, e - b));
}

std::string StripTrailingChars(std::string_view Text, char Ch) {
  std::size_t e = Text.size();
  while (e > 0 && Text[e - 1] == Ch) {
    --e;
  }
  return std::string(Text.substr(0, e));
}

std::string RemoveControlChars(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (const char c : Text) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 32u && u != 127u) {
      out.push_back(c);
    }
  }
  return out;
}

std::string ReplaceCharInString(std::string_view Text, char OldCh, char NewCh) {
  std::string out(Text);
  std::replace(out.begin(), out.end(), OldCh, NewCh);
  return out;
}

}  // namespace qmx
