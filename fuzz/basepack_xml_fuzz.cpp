// libFuzzer harness of the attribute and entity readers (`XmlAttributeValue`,
// `XmlUnescape`).  Any text must be searched and decoded without a crash; a
// value found is part of the attribute text; decoding never lengthens a text;
// and what `XmlEscape` wrote into an attribute reads back unchanged.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  // Decoding: never longer; plain text unchanged; escaping round-trips.
  const std::string unescaped = qmx::XmlUnescape(text);
  QMX_FUZZ_CHECK(unescaped.size() <= text.size());
  if (text.find('&') == std::string_view::npos) {
    QMX_FUZZ_CHECK(unescaped == text);
  }
  const std::string escaped = qmx::XmlEscape(text);
  QMX_FUZZ_CHECK(escaped.find_first_of("<>\"'") == std::string::npos);
  QMX_FUZZ_CHECK(qmx::XmlUnescape(escaped) == text);

  // The input as an attribute text, searched for the name it starts with.
  std::string value;
  const std::size_t nameEnd = std::min(text.find_first_of("= \t\r\n"), std::min<std::size_t>(size, 16));
  for (const std::string_view name : {text.substr(0, nameEnd), std::string_view("id"), std::string_view()}) {
    if (qmx::XmlAttributeValue(text, name, value)) {
      QMX_FUZZ_CHECK(!name.empty());
      QMX_FUZZ_CHECK(text.find(value) != std::string_view::npos);
    } else {
      QMX_FUZZ_CHECK(value.empty());
    }
  }

  // Escaped values written in front of the input are found as written.
  const std::string attrs = "k1=\"" + escaped + "\" k2='" + escaped + "'\tk3 = \"" + escaped + "\" " + std::string(text);
  for (const std::string_view name : {"k1", "k2", "k3"}) {
    QMX_FUZZ_CHECK(qmx::XmlAttributeValue(attrs, name, value));
    QMX_FUZZ_CHECK(value == escaped);
    QMX_FUZZ_CHECK(qmx::XmlUnescape(value) == text);
  }
  return 0;
}
