// libFuzzer harness of the quoted-name parser (`ParseQuotedName`).  Input: the
// quote character, a flag byte (0x5A: repeat the second character of the text
// to make a name longer than the limit) and the text, fed byte by byte.  The
// names completed and the state left at the end must equal those of a
// reference tokenizer.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"

namespace {

struct Name {
  std::string text;
  bool unterminated = false;
};

bool IsWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string Limited(std::string_view s) { return std::string(s.substr(0, qmx::kMaxQuotedNameLength)); }

/// Splits the whole text into names; `last` receives the state of a name the
/// text ends inside.
std::vector<Name> Reference(std::string_view s, char quote, qmx::TQuotedNameState& last) {
  using S = qmx::TQuotedNameStage;
  std::vector<Name> names;
  last = qmx::TQuotedNameState{};
  std::size_t pos = 0;
  while (pos < s.size()) {
    if (s[pos] != quote && IsWhite(s[pos])) {
      ++pos;
      continue;
    }
    if (s[pos] == quote) {
      const std::size_t end = s.find_first_of(std::string{quote, '\r', '\n'}, pos + 1);
      if (end == std::string_view::npos) {
        last.Stage = S::qnsQuoted;
        last.Name = Limited(s.substr(pos + 1));
        return names;
      }
      names.push_back({Limited(s.substr(pos + 1, end - pos - 1)), s[end] != quote});
      pos = end + 1;
    } else {
      std::size_t end = pos;
      while (end < s.size() && !IsWhite(s[end])) {
        ++end;
      }
      if (end == s.size()) {
        last.Stage = S::qnsUnquoted;
        last.Name = Limited(s.substr(pos));
        return names;
      }
      names.push_back({Limited(s.substr(pos, end - pos)), false});
      pos = end + 1;
    }
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qmx::fuzz::ByteReader in(data, size);
  const char quote = static_cast<char>(in.Byte());
  const bool stretch = in.Byte() == 0x5A;
  std::string text(in.Rest());
  if (stretch && text.size() >= 2 && text[1] != quote && !IsWhite(text[1])) {
    // One name longer than the limit: the second character repeated.
    text.insert(1, qmx::kMaxQuotedNameLength + 16, text[1]);
  }
  qmx::TQuotedNameState expectedLast;
  const std::vector<Name> expected = Reference(text, quote, expectedLast);

  qmx::TQuotedNameState st;
  std::size_t done = 0;
  for (const char c : text) {
    const bool complete = qmx::ParseQuotedName(c, quote, st);
    QMX_FUZZ_CHECK(complete == (st.Stage == qmx::TQuotedNameStage::qnsComplete));
    QMX_FUZZ_CHECK(st.Name.size() <= qmx::kMaxQuotedNameLength);
    if (complete) {
      QMX_FUZZ_CHECK(done < expected.size());
      QMX_FUZZ_CHECK(st.Name == expected[done].text);
      QMX_FUZZ_CHECK(st.Unterminated == expected[done].unterminated);
      ++done;
    }
  }
  QMX_FUZZ_CHECK(done == expected.size());
  if (st.Stage != qmx::TQuotedNameStage::qnsComplete) {
    QMX_FUZZ_CHECK(st.Stage == expectedLast.Stage && st.Name == expectedLast.Name && !st.Unterminated);
  } else {
    QMX_FUZZ_CHECK(expectedLast.Stage == qmx::TQuotedNameStage::qnsBefore && expectedLast.Name.empty());
  }
  return 0;
}
