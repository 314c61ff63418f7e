// libFuzzer harness of the ASC header reader (`ReadHeaderOfASC` on an open text
// file).  Any text must give one of the documented results; a refused header
// leaves empty outputs; an accepted one matches the text's lines, respects the
// cell limit and leaves the file at line 5.  String and stream sources agree.
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"

namespace {

struct Header {
  std::int32_t status = 0;
  std::string comment;
  std::int32_t cols = 0;
  std::int32_t rows = 0;
  bool flags[4] = {};
  bool hasLine5 = false;
  std::string line5;
  bool operator==(const Header& o) const {
    return status == o.status && comment == o.comment && cols == o.cols && rows == o.rows &&
           flags[0] == o.flags[0] && flags[1] == o.flags[1] && flags[2] == o.flags[2] &&
           flags[3] == o.flags[3] && hasLine5 == o.hasLine5 && line5 == o.line5;
  }
};

Header Read(qmx::TTextFile& file, std::int64_t maxCells) {
  Header h;
  h.status = qmx::ReadHeaderOfASC(file, h.comment, h.cols, h.rows, h.flags[0], h.flags[1], h.flags[2], h.flags[3],
                                  maxCells);
  if (h.status == qmx::kAscOk) {
    h.hasLine5 = file.ReadLine(h.line5);
  }
  return h;
}

/// The lines of a text as a line reader gives them (LF or CR LF ends).
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t lf = text.find('\n', pos);
    const bool ended = lf != std::string_view::npos;
    if (!ended) {
      lf = text.size();
    }
    std::string_view line = text.substr(pos, lf - pos);
    if (ended && !line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    lines.push_back(line);
    pos = lf + 1;
  }
  return lines;
}

/// The leading count of a header line, read independently of the library.
std::int64_t LeadingCount(std::string_view line) {
  std::size_t i = line.find_first_not_of(" \t\r\n\v\f");
  if (i == std::string_view::npos) {
    return -1;
  }
  if (line[i] == '+') {
    ++i;
  }
  std::int64_t v = -1;
  const auto res = std::from_chars(line.data() + i, line.data() + line.size(), v);
  return res.ec == std::errc() ? v : -1;
}

void CheckHeader(const Header& h, std::string_view text, std::int64_t maxCells) {
  QMX_FUZZ_CHECK(h.status == qmx::kAscOk || h.status == qmx::kAscTruncatedHeader ||
                 h.status == qmx::kAscBadCounts || h.status == qmx::kAscBadFlags);
  if (h.status != qmx::kAscOk) {
    QMX_FUZZ_CHECK(h.comment.empty() && h.cols == 0 && h.rows == 0);
    QMX_FUZZ_CHECK(!h.flags[0] && !h.flags[1] && !h.flags[2] && !h.flags[3]);
    return;
  }
  const std::vector<std::string_view> lines = Lines(text);
  QMX_FUZZ_CHECK(lines.size() >= 4);
  std::string_view comment = lines[0];
  if (comment.starts_with("\xEF\xBB\xBF")) {
    comment.remove_prefix(3);
  }
  QMX_FUZZ_CHECK(h.comment == comment);
  QMX_FUZZ_CHECK(h.cols >= 0 && h.rows >= 0);
  QMX_FUZZ_CHECK(static_cast<std::int64_t>(h.cols) * h.rows <= maxCells);
  QMX_FUZZ_CHECK(h.cols <= maxCells && h.rows <= maxCells);
  QMX_FUZZ_CHECK(LeadingCount(lines[1]) == h.cols);
  QMX_FUZZ_CHECK(LeadingCount(lines[2]) == h.rows);
  QMX_FUZZ_CHECK(h.hasLine5 == (lines.size() > 4));
  if (h.hasLine5) {
    QMX_FUZZ_CHECK(h.line5 == lines[4]);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  // The file name reader bounds the counts by the file size; others pass a
  // limit of their own or none.
  for (const std::int64_t maxCells : {static_cast<std::int64_t>(size), qmx::kAscMaxCells, std::int64_t{-1}}) {
    qmx::TTextFile fromString;
    fromString.OpenReadString(text);
    const Header h = Read(fromString, maxCells);
    CheckHeader(h, text, maxCells < 0 ? 0 : maxCells);

    qmx::TMemoryStream stream;
    stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
    stream.SetPosition(0);
    qmx::TTextFile fromStream;
    QMX_FUZZ_CHECK(fromStream.OpenReadStream(&stream));
    QMX_FUZZ_CHECK(Read(fromStream, maxCells) == h);
  }
  return 0;
}
