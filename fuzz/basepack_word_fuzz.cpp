// libFuzzer harness of the word reader (`ReadNextWordInTextFile`).  The words
// read from any text must be exactly its runs of characters other than blanks,
// tabs, CR and LF, from a string and from a stream (whose 64 KiB read-ahead
// chunk ends inside the text for some input lengths).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"

namespace {

std::vector<std::string_view> Words(std::string_view text) {
  constexpr std::string_view kSeparators = " \t\r\n";
  std::vector<std::string_view> words;
  std::size_t pos = text.find_first_not_of(kSeparators);
  while (pos != std::string_view::npos) {
    std::size_t end = text.find_first_of(kSeparators, pos);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    words.push_back(text.substr(pos, end - pos));
    pos = text.find_first_not_of(kSeparators, end);
  }
  return words;
}

void CheckWords(qmx::TTextFile& file, std::string_view text) {
  const std::vector<std::string_view> expected = Words(text);
  std::string word;
  for (const std::string_view w : expected) {
    QMX_FUZZ_CHECK(qmx::ReadNextWordInTextFile(file, word));
    QMX_FUZZ_CHECK(word == w);
  }
  QMX_FUZZ_CHECK(!qmx::ReadNextWordInTextFile(file, word));
  QMX_FUZZ_CHECK(!qmx::ReadNextWordInTextFile(file, word));  // stays at the end
  QMX_FUZZ_CHECK(file.Eof());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  qmx::TTextFile fromString;
  fromString.OpenReadString(text);
  CheckWords(fromString, text);

  // For one input length in 64, a filler word that ends a few bytes before
  // the stream's first chunk does, so that a word or a run of separators of the
  // input spans two chunks (it costs a 64 KiB text per run).
  std::string padded = size % 64 == 5 ? std::string(65536 - 1 - size % 13, 'w') : std::string();
  padded += text;
  qmx::TMemoryStream stream;
  stream.WriteBuffer(padded.data(), static_cast<std::int64_t>(padded.size()));
  stream.SetPosition(0);
  qmx::TTextFile fromStream;
  QMX_FUZZ_CHECK(fromStream.OpenReadStream(&stream));
  CheckWords(fromStream, padded);
  return 0;
}
