// The ASC header reader, the word reader and the quoted-name parser.

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/basepack_detail.hpp"

namespace qmx {

namespace {

using detail::IsWhiteChar;

/// The first words of a header line, ended by white space or by ";" (which
/// also ends the line's data part).  At most Max words are taken.
template <std::size_t Max>
std::size_t LeadingWords(std::string_view line, std::array<std::string_view, Max>& words) {
  const std::size_t stop = std::min(line.find(';'), line.size());
  std::size_t n = 0;
  std::size_t i = 0;
  while (n < Max) {
    while (i < stop && IsWhiteChar(line[i])) {
      ++i;
    }
    if (i >= stop) {
      break;
    }
    const std::size_t start = i;
    while (i < stop && !IsWhiteChar(line[i])) {
      ++i;
    }
    words[n++] = line.substr(start, i - start);
  }
  return n;
}

/// A count of the header: decimal digits with an optional "+", at most the
/// range of a 32-bit signed integer.
bool ParseCount(std::string_view line, std::int64_t& value) {
  std::array<std::string_view, 1> words;
  if (LeadingWords(line, words) != 1) {
    return false;
  }
  std::string_view w = words[0];
  if (!w.empty() && w.front() == '+') {
    w.remove_prefix(1);
  }
  if (w.empty() || w.size() > 10) {
    return false;
  }
  std::int64_t v = 0;
  for (const char c : w) {
    if (c < '0' || c > '9') {
      return false;
    }
    v = v * 10 + (c - '0');
  }
  if (v > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  value = v;
  return true;
}

bool ParseTruthWord(std::string_view w, bool& value) {
  if (detail::EqualNoCase(w, "TRUE")) {
    value = true;
    return true;
  }
  if (detail::EqualNoCase(w, "FALSE")) {
    value = false;
    return true;
  }
  return false;
}

}  // namespace

std::int32_t ReadHeaderOfASC(TTextFile& TFile, std::string& Comment, std::int32_t& NCols, std::int32_t& NRows,
                             bool& RowAttrib, bool& ColNames, bool& RowNames, bool& NomVars, std::int64_t MaxCells) {
  Comment.clear();
  NCols = 0;
  NRows = 0;
  RowAttrib = ColNames = RowNames = NomVars = false;

  std::array<std::string, 4> lines;
  for (std::string& line : lines) {
    if (!TFile.ReadLine(line)) {
      return kAscTruncatedHeader;
    }
  }

  std::int64_t cols = 0;
  std::int64_t rows = 0;
  const std::int64_t limit = std::clamp<std::int64_t>(MaxCells, 0, kAscMaxCells);
  if (!ParseCount(lines[1], cols) || !ParseCount(lines[2], rows) || cols > limit || rows > limit ||
      cols * rows > limit) {
    return kAscBadCounts;
  }

  std::array<std::string_view, 4> words;
  std::array<bool, 4> flags{};
  if (LeadingWords(lines[3], words) != 4) {
    return kAscBadFlags;
  }
  for (std::size_t k = 0; k < 4; ++k) {
    if (!ParseTruthWord(words[k], flags[k])) {
      return kAscBadFlags;
    }
  }

  std::string_view comment = lines[0];
  if (comment.starts_with("\xEF\xBB\xBF")) {
    comment.remove_prefix(3);
  }
  Comment.assign(comment);
  NCols = static_cast<std::int32_t>(cols);
  NRows = static_cast<std::int32_t>(rows);
  RowAttrib = flags[0];
  ColNames = flags[1];
  RowNames = flags[2];
  NomVars = flags[3];
  return kAscOk;
}

std::int32_t ReadHeaderOfASC(const std::string& FName, std::string& Comment, std::int32_t& NCols,
                             std::int32_t& NRows, bool& RowAttrib, bool& ColNames, bool& RowNames, bool& NomVars) {
  Comment.clear();
  NCols = 0;
  NRows = 0;
  RowAttrib = ColNames = RowNames = NomVars = false;
  std::error_code ec;
  const auto size = std::filesystem::file_size(FName, ec);
  TTextFile file;
  if (ec || !file.OpenRead(FName)) {
    return kAscCannotOpen;
  }
  const std::int64_t maxCells = std::min<std::int64_t>(kAscMaxCells, static_cast<std::int64_t>(size));
  return ReadHeaderOfASC(file, Comment, NCols, NRows, RowAttrib, ColNames, RowNames, NomVars, maxCells);
}

bool ReadNextWordInTextFile(TTextFile& TFile, std::string& Word) { return TFile.ReadWord(Word); }

bool ParseQuotedName(char Ch, char Quote, TQuotedNameState& State) {
  using S = TQuotedNameStage;
  auto append = [&State](char c) {
    if (State.Name.size() < kMaxQuotedNameLength) {
      State.Name.push_back(c);
    }
  };
  if (State.Stage == S::qnsComplete) {
    State = TQuotedNameState{};
  }
  switch (State.Stage) {
    case S::qnsBefore:
      if (Ch == Quote) {
        State.Stage = S::qnsQuoted;
      } else if (!IsWhiteChar(Ch)) {
        State.Stage = S::qnsUnquoted;
        append(Ch);
      }
      return false;
    case S::qnsQuoted:
      if (Ch == Quote) {
        State.Stage = S::qnsComplete;
        return true;
      }
      if (Ch == '\r' || Ch == '\n') {
        State.Unterminated = true;
        State.Stage = S::qnsComplete;
        return true;
      }
      append(Ch);
      return false;
    case S::qnsUnquoted:
      if (IsWhiteChar(Ch)) {
        State.Stage = S::qnsComplete;
        return true;
      }
      append(Ch);
      return false;
    case S::qnsComplete:
      break;
  }
  return true;
}

}  // namespace qmx
