// libFuzzer harness of the number, angle and date scanners and validators and the
// bit-pattern readers of the formatting unit.  Any text must be read or refused
// without a crash, a hang or an exception (only the documented `EQMXError` of
// the Hex* readers is caught).  A scanner leaves its position inside the text,
// and unchanged with a result of 0 when it reads nothing; a text a validator
// accepts is read to its end by the scanner, with the value an independent
// parser gives; `StrToIntDefault` follows `IsValidDecInt`; the Hex* readers
// accept exactly the texts of their length made of hexadecimal digits and give
// back the bit pattern that `FPNumToHex` writes.
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_util.hpp"
#include "qmx/foundation/math1_format.hpp"

namespace {

template <class Scan>
void CheckScanner(std::string_view s, std::size_t start, Scan scan) {
  std::size_t pos = start;
  const auto value = scan(s, pos);
  QMX_FUZZ_CHECK(pos == start || (pos > start && pos <= s.size()));
  if (pos == start) {
    QMX_FUZZ_CHECK(value == 0);
  }
}

std::size_t EndOfBlanks(std::string_view s, std::size_t pos) {
  while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t')) {
    ++pos;
  }
  return pos;
}

/// Reads s with the scanner from 0; true when it reads to the end (blanks aside).
template <class Scan, class T>
bool ReadsToEnd(std::string_view s, Scan scan, T& value) {
  std::size_t pos = 0;
  value = scan(s, pos);
  return EndOfBlanks(s, pos) == s.size();
}

bool AllHex(std::string_view s) {
  for (const char c : s) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return true;
}

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return u;
}

/// The digit pairs of s in reverse order (least significant byte first <-> most).
std::string SwapPairs(std::string_view s) {
  std::string out;
  for (std::size_t i = s.size(); i >= 2; i -= 2) {
    out += s.substr(i - 2, 2);
  }
  return out;
}

void CheckIntegerValidators(const std::string& text) {
  const std::string_view s(text);
  using namespace qmx;
  const auto hex = [](std::string_view t, std::size_t& p) { return ScanHex(t, p); };
  const auto oct = [](std::string_view t, std::size_t& p) { return ScanOctal(t, p); };
  const auto bin = [](std::string_view t, std::size_t& p) { return ScanBin(t, p); };
  const auto dec = [](std::string_view t, std::size_t& p) { return ScanDecimal(t, p); };
  std::int32_t v = 0;
  if (IsValidHex(s)) {
    QMX_FUZZ_CHECK(ReadsToEnd(s, hex, v));
    QMX_FUZZ_CHECK(static_cast<std::uint32_t>(v) == std::strtoull(text.c_str(), nullptr, 16));
  }
  if (IsValidOct(s)) {
    QMX_FUZZ_CHECK(ReadsToEnd(s, oct, v));
    QMX_FUZZ_CHECK(static_cast<std::uint32_t>(v) == std::strtoull(text.c_str(), nullptr, 8));
  }
  if (IsValidBin(s)) {
    QMX_FUZZ_CHECK(ReadsToEnd(s, bin, v));
    QMX_FUZZ_CHECK(static_cast<std::uint32_t>(v) == std::strtoull(text.c_str(), nullptr, 2));
  }
  if (IsValidDecInt(s)) {
    QMX_FUZZ_CHECK(ReadsToEnd(s, dec, v));
    QMX_FUZZ_CHECK(v == std::strtoll(text.c_str(), nullptr, 10));
    QMX_FUZZ_CHECK(StrToIntDefault(s, 17) == v && StrToIntDefault(s, -5) == v);
  } else {
    QMX_FUZZ_CHECK(StrToIntDefault(s, 17) == 17 && StrToIntDefault(s, -5) == -5);
  }
}

void CheckRealValidators(const std::string& text) {
  const std::string_view s(text);
  using qmx::TDecPSep;
  for (const TDecPSep sep : {TDecPSep::dpsPoint, TDecPSep::dpsComma, TDecPSep::dpsBoth}) {
    if (qmx::IsValidDouble(s, sep)) {
      QMX_FUZZ_CHECK(qmx::IsValidFPNum(s, sep));
      QMX_FUZZ_CHECK(qmx::IsValidDouble(s, TDecPSep::dpsBoth));
    }
    if (qmx::IsValidFPNum(s, sep)) {
      QMX_FUZZ_CHECK(qmx::IsValidFPNum(s, TDecPSep::dpsBoth));
    }
  }
  double v = 0.0;
  if (qmx::IsValidDouble(s)) {
    QMX_FUZZ_CHECK(ReadsToEnd(s, [](std::string_view t, std::size_t& p) { return qmx::ScanFPNum(t, false, p); }, v));
    // strtod reads the same grammar (the "C" locale is in force) and rounds correctly.
    const double ref = std::strtod(text.c_str(), nullptr);
    QMX_FUZZ_CHECK(std::isnan(v) == std::isnan(ref));
    if (!std::isnan(v)) {
      QMX_FUZZ_CHECK(v == ref || std::fabs(v - ref) <= 1e-12 * std::fabs(ref));
    }
  }
  if (qmx::IsValidFPNum(s)) {
    QMX_FUZZ_CHECK(ReadsToEnd(s, [](std::string_view t, std::size_t& p) { return qmx::ScanFPNum(t, true, p); }, v));
  }
}

void CheckHexReaders(std::string_view s) {
  const bool digits = AllHex(s);
  try {
    const double d = qmx::HexToDouble(s);
    QMX_FUZZ_CHECK(s.size() == 16 && digits);
    QMX_FUZZ_CHECK(qmx::FPNumToHex(d) == Upper(s));
    QMX_FUZZ_CHECK(qmx::FPNumToHex(qmx::HexToDouble(SwapPairs(s), false)) == Upper(s));
  } catch (const qmx::EQMXError&) {
    QMX_FUZZ_CHECK(!(s.size() == 16 && digits));
  }
  try {
    const float f = qmx::HexToSingle(s);
    QMX_FUZZ_CHECK(s.size() == 8 && digits);
    QMX_FUZZ_CHECK(qmx::FPNumToHex(f) == Upper(s));
    QMX_FUZZ_CHECK(qmx::FPNumToHex(qmx::HexToSingle(SwapPairs(s), false)) == Upper(s));
  } catch (const qmx::EQMXError&) {
    QMX_FUZZ_CHECK(!(s.size() == 8 && digits));
  }
  try {
    const qmx::Extended x = qmx::HexToExtended(s);
    QMX_FUZZ_CHECK(s.size() == 20 && digits);
    QMX_FUZZ_CHECK(qmx::FPNumToHex(x) == Upper(s));
  } catch (const qmx::EQMXError&) {
    QMX_FUZZ_CHECK(!(s.size() == 20 && digits));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string_view s(text);
  using namespace qmx;
  for (const std::size_t start : {std::size_t{0}, size / 2, size + 3}) {
    CheckScanner(s, start, [](std::string_view t, std::size_t& p) { return ScanHex(t, p); });
    CheckScanner(s, start, [](std::string_view t, std::size_t& p) { return ScanOctal(t, p); });
    CheckScanner(s, start, [](std::string_view t, std::size_t& p) { return ScanBin(t, p); });
    CheckScanner(s, start, [](std::string_view t, std::size_t& p) { return ScanDecimal(t, p); });
    CheckScanner(s, start, [](std::string_view t, std::size_t& p) { return ScanFPNum(t, false, p); });
    CheckScanner(s, start, [](std::string_view t, std::size_t& p) { return ScanFPNum(t, true, p); });
    CheckScanner(s, start, [](std::string_view t, std::size_t& p) { return ScanDegrees(t, p); });
    CheckScanner(s, start, [](std::string_view t, std::size_t& p) { return ScanDateTime(t, TLanguage::lgEnglish, p); });
    CheckScanner(s, start, [](std::string_view t, std::size_t& p) { return ScanDateTime(t, TLanguage::lgGerman, p); });
  }
  CheckIntegerValidators(text);
  CheckRealValidators(text);
  CheckHexReaders(s);
  return 0;
}
