// libFuzzer harness of the mixed text and binary file reader (`TMixedFStream`).
// Input: a count byte n (1 + its value mod 16 operation bytes follow), the
// operation bytes, then the file's bytes.  Operation byte b: b & 3 picks
// ReadLn (MaxLen (b >> 2) - 8), ReadByte, ReadInteger or ReadDouble; the
// operations repeat until the file is read.  Every result and position must
// equal a reference model of the byte layout.  A second pass writes values taken
// from the input with the same operations and reads them back.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"

namespace {

using qmx::fuzz::ScratchFile;

enum class Op : std::uint8_t { ReadLn, Byte, Integer, Double };

struct Step {
  Op op;
  std::int32_t maxLen;
};

std::uint64_t LittleEndian(std::string_view bytes) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    v |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(bytes[i])) << (8 * i);
  }
  return v;
}

/// Runs the steps (cyclically, until the file is read and one more round
/// failed) against the reference model of the layout.
void ReadAndCompare(const std::string& path, std::string_view file, const std::vector<Step>& steps) {
  qmx::TMixedFStream s(path, qmx::TMixedFMode::mfmRead);
  QMX_FUZZ_CHECK(s.Size() == static_cast<std::int64_t>(file.size()));
  std::size_t pos = 0;
  const std::size_t limit = 2 * (file.size() + steps.size()) + 8;
  std::size_t roundsAtEnd = 0;
  for (std::size_t i = 0; roundsAtEnd < steps.size() + 1; ++i) {
    QMX_FUZZ_CHECK(i < limit);
    const Step& st = steps[i % steps.size()];
    const std::size_t before = pos;
    if (st.op == Op::ReadLn) {
      std::string line = "stale";
      const bool ok = s.ReadLn(line, st.maxLen);
      QMX_FUZZ_CHECK(ok == (pos < file.size()));
      std::string_view expected;
      if (pos < file.size()) {
        const std::size_t lf = file.find('\n', pos);
        const std::size_t end = lf == std::string_view::npos ? file.size() : lf;
        expected = file.substr(pos, end - pos);
        if (!expected.empty() && expected.back() == '\r') {
          expected.remove_suffix(1);
        }
        pos = lf == std::string_view::npos ? file.size() : lf + 1;
      }
      expected = expected.substr(0, st.maxLen > 0 ? static_cast<std::size_t>(st.maxLen) : 0);
      QMX_FUZZ_CHECK(line == expected);
    } else {
      const std::size_t width = st.op == Op::Byte ? 1 : st.op == Op::Integer ? 4 : 8;
      const bool fits = file.size() - pos >= width;
      const std::uint64_t want = fits ? LittleEndian(file.substr(pos, width)) : 0;
      pos = fits ? pos + width : file.size();
      if (st.op == Op::Byte) {
        std::uint8_t v = 7;
        QMX_FUZZ_CHECK(s.ReadByte(v) == fits && v == want);
      } else if (st.op == Op::Integer) {
        std::int32_t v = 7;
        QMX_FUZZ_CHECK(s.ReadInteger(v) == fits && static_cast<std::uint32_t>(v) == want);
      } else {
        double v = 7.0;
        QMX_FUZZ_CHECK(s.ReadDouble(v) == fits && std::bit_cast<std::uint64_t>(v) == want);
      }
    }
    QMX_FUZZ_CHECK(s.Position() == static_cast<std::int64_t>(pos));
    QMX_FUZZ_CHECK(s.Eof() == (pos >= file.size()));
    roundsAtEnd = (before >= file.size()) ? roundsAtEnd + 1 : 0;
  }
}

/// Writes one value per step taken from the input, then reads them back.
void WriteAndReadBack(const std::string& path, std::string_view source, const std::vector<Step>& steps) {
  std::size_t at = 0;
  auto take = [&](std::size_t n) {
    const std::string_view part = source.substr(std::min(at, source.size()), n);
    at += n;
    return part;
  };
  {
    qmx::TMixedFStream w(path, qmx::TMixedFMode::mfmCreate);
    for (const Step& st : steps) {
      switch (st.op) {
        case Op::ReadLn: w.WriteLn(take(static_cast<std::size_t>(st.maxLen) & 15u)); break;
        case Op::Byte: w.WriteByte(static_cast<std::uint8_t>(LittleEndian(take(1)))); break;
        case Op::Integer: w.WriteInteger(static_cast<std::int32_t>(LittleEndian(take(4)))); break;
        case Op::Double: w.WriteDouble(std::bit_cast<double>(LittleEndian(take(8)))); break;
      }
    }
  }
  at = 0;
  qmx::TMixedFStream r(path, qmx::TMixedFMode::mfmRead);
  for (const Step& st : steps) {
    switch (st.op) {
      case Op::ReadLn: {
        std::string written(take(static_cast<std::size_t>(st.maxLen) & 15u));
        for (char& c : written) {
          c = (c == '\r' || c == '\n') ? ' ' : c;
        }
        std::string line;
        QMX_FUZZ_CHECK(r.ReadLn(line, 1000) && line == written);
        break;
      }
      case Op::Byte: {
        std::uint8_t v = 0;
        QMX_FUZZ_CHECK(r.ReadByte(v) && v == static_cast<std::uint8_t>(LittleEndian(take(1))));
        break;
      }
      case Op::Integer: {
        std::int32_t v = 0;
        QMX_FUZZ_CHECK(r.ReadInteger(v) && v == static_cast<std::int32_t>(LittleEndian(take(4))));
        break;
      }
      case Op::Double: {
        double v = 0;
        QMX_FUZZ_CHECK(r.ReadDouble(v) && std::bit_cast<std::uint64_t>(v) == LittleEndian(take(8)));
        break;
      }
    }
  }
  QMX_FUZZ_CHECK(r.Eof());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchFile input("mixedstream_in");
  static const ScratchFile output("mixedstream_out");
  qmx::fuzz::ByteReader in(data, size);
  const std::size_t count = 1 + in.Byte() % 16u;
  std::vector<Step> steps;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t b = in.Byte();
    steps.push_back({static_cast<Op>(b & 3u), static_cast<std::int32_t>(b >> 2) - 8});
  }
  const std::string_view file = in.Rest();
  if (!input.Write(file)) {
    return 0;
  }
  ReadAndCompare(input.Path(), file, steps);
  WriteAndReadBack(output.Path(), file, steps);
  return 0;
}
