// libFuzzer harness of the element content readers (`ReadTagContentInString`,
// `ReadTagContentInTextFile`).  Input: a tag name (up to the first LF, at most
// 40 bytes) and the text after it.  Reading contents one after another must
// end, move forward, return the raw text it passed (a prefix of what it
// consumed, followed by the closing tag on success), and agree with the text
// file reader on the same text.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const std::size_t lf = all.find('\n');
  const std::size_t nameLen = lf == std::string_view::npos || lf > 40 ? std::min<std::size_t>(size, 8) : lf;
  const std::string name(all.substr(0, nameLen));
  const std::string text(all.substr(std::min(size, nameLen + 1)));

  qmx::TTextFile file;
  file.OpenReadString(text);
  std::size_t pos = 0;
  std::string content;
  std::string fileContent;
  for (std::size_t calls = 0; pos < text.size(); ++calls) {
    QMX_FUZZ_CHECK(calls <= text.size());
    const std::size_t start = pos;
    const std::int32_t r = qmx::ReadTagContentInString(text, pos, name, content);
    QMX_FUZZ_CHECK(r == 0 || r == qmx::kTagMalformed);
    QMX_FUZZ_CHECK(pos > start && pos <= text.size());
    // The content is the raw text passed, so a prefix of what was consumed.
    QMX_FUZZ_CHECK(content.size() <= pos - start);
    QMX_FUZZ_CHECK(text.compare(start, content.size(), content) == 0);
    if (r == 0) {
      // Followed by the closing tag of the element: "</" name, maybe blanks, ">".
      const std::string_view closing = std::string_view(text).substr(start + content.size(), pos - start - content.size());
      QMX_FUZZ_CHECK(closing.size() >= 3 + name.size() && closing.starts_with("</") && closing.ends_with(">"));
      QMX_FUZZ_CHECK(EqualNoCase(closing.substr(2, name.size()), name));
    }
    const std::int32_t rf = qmx::ReadTagContentInTextFile(file, name, fileContent);
    QMX_FUZZ_CHECK(rf == r && fileContent == content);
  }
  // Both readers stand at the same place: what the file has left is what the string has.
  std::string rest;
  char c = 0;
  while (file.ReadChar(c)) {
    rest.push_back(c);
  }
  QMX_FUZZ_CHECK(rest.empty() && pos == text.size());
  // At the end of the text (and beyond it) a content is cut off.
  std::size_t end = text.size() + 3;
  QMX_FUZZ_CHECK(qmx::ReadTagContentInString(text, end, name, content) == qmx::kTagMalformed);
  QMX_FUZZ_CHECK(end == text.size() + 3);
  return 0;
}
