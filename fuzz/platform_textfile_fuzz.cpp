// libFuzzer harness of the text reader (`TTextFile` ReadLine, ReadWord,
// ReadNumber, ReadInteger, ReadChar, PeekChar).  Input: a flag byte (0x5A:
// put a filler line in front so that the stream's 64 KiB read-ahead chunk ends
// inside the text), a count byte n (1 + its value mod 16 operation bytes
// follow), the operation bytes (each mod 7 picks a read), then the text.  A
// reader on the string and one on a memory stream must give the same results;
// numbers must be what an independent parser reads from the same word.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_util.hpp"
#include "qmx/foundation/platform.hpp"

namespace {

enum class Op : std::uint8_t { Line, Word, Number, Integer, Char, Peek, Eof };

struct Result {
  bool ok = false;
  std::string text;
  double number = -7.25;
  std::int64_t integer = -7;
  char ch = '#';
  bool operator==(const Result& o) const {
    return ok == o.ok && text == o.text && std::memcmp(&number, &o.number, sizeof number) == 0 &&
           integer == o.integer && ch == o.ch;
  }
};

Result Apply(qmx::TTextFile& f, Op op) {
  Result r;
  switch (op) {
    case Op::Line: r.ok = f.ReadLine(r.text); break;
    case Op::Word: r.ok = f.ReadWord(r.text); break;
    case Op::Number: r.ok = f.ReadNumber(r.number); break;
    case Op::Integer: r.ok = f.ReadInteger(r.integer); break;
    case Op::Char: r.ok = f.ReadChar(r.ch); break;
    case Op::Peek: r.ok = f.PeekChar(r.ch); break;
    case Op::Eof: r.ok = f.Eof(); break;
  }
  return r;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

/// A decimal number word: sign, digits with an optional point (digits on at
/// least one side), optional exponent.  Parsed by strtod (the "C" locale).
bool ReferenceNumber(const std::string& w, double& v) {
  std::size_t i = (!w.empty() && (w[0] == '+' || w[0] == '-')) ? 1 : 0;
  std::size_t digits = 0;
  while (i < w.size() && IsDigit(w[i])) {
    ++i, ++digits;
  }
  if (i < w.size() && w[i] == '.') {
    ++i;
    while (i < w.size() && IsDigit(w[i])) {
      ++i, ++digits;
    }
  }
  if (digits == 0) {
    return false;
  }
  if (i < w.size() && (w[i] == 'e' || w[i] == 'E')) {
    ++i;
    if (i < w.size() && (w[i] == '+' || w[i] == '-')) {
      ++i;
    }
    std::size_t expDigits = 0;
    while (i < w.size() && IsDigit(w[i])) {
      ++i, ++expDigits;
    }
    if (expDigits == 0) {
      return false;
    }
  }
  if (i != w.size()) {
    return false;
  }
  v = std::strtod(w.c_str(), nullptr);
  return std::isfinite(v);
}

bool ReferenceInteger(const std::string& w, std::int64_t& v) {
  std::size_t i = (!w.empty() && (w[0] == '+' || w[0] == '-')) ? 1 : 0;
  const bool negative = i == 1 && w[0] == '-';
  if (i == w.size()) {
    return false;
  }
  __int128 acc = 0;
  for (; i < w.size(); ++i) {
    if (!IsDigit(w[i])) {
      return false;
    }
    acc = acc * 10 + (w[i] - '0');
    if (acc > static_cast<__int128>(INT64_MAX) + 1) {
      return false;
    }
  }
  acc = negative ? -acc : acc;
  if (acc > INT64_MAX) {
    return false;
  }
  v = static_cast<std::int64_t>(acc);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qmx::fuzz::ByteReader in(data, size);
  const bool pad = in.Byte() == 0x5A;
  const std::size_t count = 1 + in.Byte() % 16u;
  Op ops[16];
  for (std::size_t i = 0; i < count; ++i) {
    ops[i] = static_cast<Op>(in.Byte() % 7u);
  }
  const std::string_view body = in.Rest();
  const std::string filler = pad ? std::string(65535 - body.size() % 29, 'f') : std::string();
  const std::string text = pad ? filler + "\n" + std::string(body) : std::string(body);

  qmx::TTextFile fromString;
  fromString.OpenReadString(text);
  qmx::TMemoryStream stream;
  stream.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  stream.SetPosition(0);
  qmx::TTextFile fromStream;
  QMX_FUZZ_CHECK(fromStream.OpenReadStream(&stream));
  // Reads a word wherever the others read a number, to know the word they consumed.
  qmx::TTextFile words;
  words.OpenReadString(text);
  if (pad) {
    for (qmx::TTextFile* f : {&fromString, &fromStream, &words}) {
      std::string line;
      QMX_FUZZ_CHECK(f->ReadLine(line) && line == filler);
    }
  }

  const std::size_t steps = 2 * (body.size() + count) + 8;
  for (std::size_t i = 0; i < steps; ++i) {
    const Op op = ops[i % count];
    const Result a = Apply(fromString, op);
    QMX_FUZZ_CHECK(Apply(fromStream, op) == a);
    if (op == Op::Number || op == Op::Integer) {
      const Result w = Apply(words, Op::Word);
      if (op == Op::Number) {
        double v = 0.0;
        const bool ref = w.ok && ReferenceNumber(w.text, v);
        QMX_FUZZ_CHECK(a.ok == ref);
        QMX_FUZZ_CHECK(ref ? std::memcmp(&v, &a.number, sizeof v) == 0 : a.number == -7.25);
      } else {
        std::int64_t v = 0;
        const bool ref = w.ok && ReferenceInteger(w.text, v);
        QMX_FUZZ_CHECK(a.ok == ref);
        QMX_FUZZ_CHECK(a.integer == (ref ? v : -7));
      }
    } else {
      QMX_FUZZ_CHECK(Apply(words, op) == a);
    }
    switch (op) {
      case Op::Line: QMX_FUZZ_CHECK(a.text.find('\n') == std::string::npos); break;
      case Op::Word:
        QMX_FUZZ_CHECK(a.ok != a.text.empty());
        QMX_FUZZ_CHECK(a.text.find_first_of(" \t\r\n") == std::string::npos);
        break;
      case Op::Eof: {
        char c = 0;
        QMX_FUZZ_CHECK(a.ok == !fromString.PeekChar(c));
        break;
      }
      default: break;
    }
  }
  return 0;
}
