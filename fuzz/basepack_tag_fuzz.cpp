// libFuzzer harness of the tag readers (`ReadNextTagInString`,
// `ReadNextTagInTextFile`).  Reading any text tag by tag must end, consume at
// least one character per tag, return only documented results, and give the
// same tags from a string, a text file on a string and a text file on a stream.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"

namespace {

constexpr std::array<std::string_view, 10> kTags = {"matrix", "/matrix", "numcols", "numrows", "cell",
                                                    "/cell",  "vector",  "elem",    "/elem",   "a"};

struct Step {
  std::int32_t result = 0;
  std::string before;
  std::string attributes;
  qmx::TTagInfo info;
  bool operator==(const Step& o) const {
    return result == o.result && before == o.before && attributes == o.attributes && info.Name == o.info.Name &&
           info.IsClosing == o.info.IsClosing && info.IsEmptyElement == o.info.IsEmptyElement;
  }
};

void CheckStep(const Step& s) {
  const std::int32_t r = s.result;
  QMX_FUZZ_CHECK(r == qmx::kTagUnknown || r == qmx::kTagEndOfText || r == qmx::kTagMalformed ||
                 (r >= 0 && static_cast<std::size_t>(r) < kTags.size()));
  if (r >= 0 || r == qmx::kTagUnknown) {
    QMX_FUZZ_CHECK(!s.info.Name.empty());
    QMX_FUZZ_CHECK(s.info.IsClosing == (s.info.Name.front() == '/'));
    QMX_FUZZ_CHECK(!(s.info.IsClosing && s.info.IsEmptyElement));
    QMX_FUZZ_CHECK(s.info.Name.size() + s.attributes.size() <= qmx::kMaxTagLength);
    if (r >= 0) {
      QMX_FUZZ_CHECK(s.info.Name.size() == kTags[static_cast<std::size_t>(r)].size());
    }
  } else {
    QMX_FUZZ_CHECK(s.info.Name.empty() && s.attributes.empty());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  qmx::TTextFile fromString;
  fromString.OpenReadString(text);
  qmx::TMemoryStream stream;
  stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  stream.SetPosition(0);
  qmx::TTextFile fromStream;
  QMX_FUZZ_CHECK(fromStream.OpenReadStream(&stream));

  std::size_t pos = 0;
  for (std::size_t calls = 0;; ++calls) {
    QMX_FUZZ_CHECK(calls <= size + 1);
    const std::size_t before = pos;
    Step s;
    s.result = qmx::ReadNextTagInString(text, pos, kTags, s.before, s.attributes, &s.info);
    CheckStep(s);
    QMX_FUZZ_CHECK(pos <= size);
    QMX_FUZZ_CHECK(s.before.size() <= pos - before);
    if (s.result == qmx::kTagEndOfText) {
      QMX_FUZZ_CHECK(pos == size);
    } else {
      QMX_FUZZ_CHECK(pos > before);
    }
    for (qmx::TTextFile* file : {&fromString, &fromStream}) {
      Step f;
      f.result = qmx::ReadNextTagInTextFile(*file, kTags, f.before, f.attributes, &f.info);
      QMX_FUZZ_CHECK(f == s);
    }
    if (s.result == qmx::kTagEndOfText) {
      break;
    }
  }
  // Nothing is left, also not for a start beyond the text; no tag list works too.
  std::string before;
  std::string attributes;
  std::size_t beyond = size + 7;
  QMX_FUZZ_CHECK(qmx::ReadNextTagInString(text, beyond, kTags, before, attributes) == qmx::kTagEndOfText);
  QMX_FUZZ_CHECK(beyond == size + 7 && before.empty());
  std::size_t start = 0;
  const std::int32_t r = qmx::ReadNextTagInString(text, start, {}, before, attributes);
  QMX_FUZZ_CHECK(r == qmx::kTagUnknown || r == qmx::kTagEndOfText || r == qmx::kTagMalformed);
  return 0;
}
