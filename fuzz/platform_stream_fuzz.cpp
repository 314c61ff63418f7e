// libFuzzer harness of the byte streams (`TMemoryStream`, `TFileStream`):
// reads, exact reads, seeks from the three origins, writes (also past the end),
// size changes and copies, run on both streams and on a model of the bytes.
// Input: a count byte n (1 + its value mod 16 operation bytes follow), the
// operation bytes, then the start contents.  Operation byte b: b mod 8 picks
// the operation, b >> 3 (0..31) its argument.  Results, positions, sizes and
// contents must follow the model; at the end the file reads back
// (`TMemoryStream::LoadFromFile`) as the model.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "fuzz_util.hpp"
#include "qmx/foundation/platform.hpp"

namespace {

using qmx::TSeekOrigin;

enum class Op : std::uint8_t { Read, ReadBuffer, SeekBegin, SeekCurrent, SeekEnd, Write, SetSize, CopyFrom };

struct Streams {
  qmx::TMemoryStream& mem;
  qmx::TFileStream& file;
  std::string model;
  std::int64_t pos = 0;

  std::int64_t Size() const { return static_cast<std::int64_t>(model.size()); }
  void Check() const {
    QMX_FUZZ_CHECK(mem.Position() == pos && file.Position() == pos);
    QMX_FUZZ_CHECK(mem.Size() == Size() && file.Size() == Size());
  }
};

void Read(Streams& s, std::int64_t count) {
  char a[32];
  char b[32];
  const std::int64_t expected = s.pos < s.Size() ? std::min(count, s.Size() - s.pos) : 0;
  QMX_FUZZ_CHECK(s.mem.Read(a, count) == expected && s.file.Read(b, count) == expected);
  const std::string_view want = std::string_view(s.model).substr(static_cast<std::size_t>(std::min(s.pos, s.Size())),
                                                                  static_cast<std::size_t>(expected));
  QMX_FUZZ_CHECK(std::string_view(a, static_cast<std::size_t>(expected)) == want);
  QMX_FUZZ_CHECK(std::string_view(b, static_cast<std::size_t>(expected)) == want);
  s.pos += expected;
}

/// Exact reads raise `EInOutError` when fewer bytes are left; where the
/// position then stands is not promised, only that both streams agree.
void ReadBuffer(Streams& s, std::int64_t count) {
  char a[32];
  char b[32];
  const bool fits = count == 0 || s.Size() - s.pos >= count;
  bool raisedA = false;
  bool raisedB = false;
  try {
    s.mem.ReadBuffer(a, count);
  } catch (const qmx::EInOutError&) {
    raisedA = true;
  }
  try {
    s.file.ReadBuffer(b, count);
  } catch (const qmx::EInOutError&) {
    raisedB = true;
  }
  QMX_FUZZ_CHECK(raisedA == !fits && raisedB == !fits);
  if (fits && count > 0) {
    const std::string_view want = std::string_view(s.model).substr(static_cast<std::size_t>(s.pos),
                                                                    static_cast<std::size_t>(count));
    QMX_FUZZ_CHECK(std::string_view(a, static_cast<std::size_t>(count)) == want);
    QMX_FUZZ_CHECK(std::string_view(b, static_cast<std::size_t>(count)) == want);
    s.pos += count;
  } else if (!fits) {
    s.pos = s.mem.Position();  // Check() compares the file stream's
  }
}

void Seek(Streams& s, std::int64_t offset, TSeekOrigin origin) {
  const std::int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? s.pos : s.Size();
  s.pos = std::max<std::int64_t>(0, base + offset);
  QMX_FUZZ_CHECK(s.mem.Seek(offset, origin) == s.pos && s.file.Seek(offset, origin) == s.pos);
}

/// What a write of bytes at the position does to the model.
void ModelWrite(Streams& s, std::string_view bytes) {
  if (bytes.empty()) {
    return;
  }
  const auto n = static_cast<std::int64_t>(bytes.size());
  if (s.pos + n > s.Size()) {
    s.model.resize(static_cast<std::size_t>(s.pos + n), '\0');  // a gap is zero-filled
  }
  s.model.replace(static_cast<std::size_t>(s.pos), bytes.size(), bytes);
  s.pos += n;
}

void Write(Streams& s, std::string_view bytes) {
  const auto n = static_cast<std::int64_t>(bytes.size());
  QMX_FUZZ_CHECK(s.mem.Write(bytes.data(), n) == n && s.file.Write(bytes.data(), n) == n);
  ModelWrite(s, bytes);
}

void SetSize(Streams& s, std::int64_t newSize) {
  s.mem.SetSize(newSize);
  s.file.SetSize(newSize);
  newSize = std::max<std::int64_t>(0, newSize);
  s.model.resize(static_cast<std::size_t>(newSize), '\0');
  s.pos = std::min(s.pos, newSize);
}

/// Copies count bytes (0: all) of a source holding `source` (standing at
/// sourcePos) into both streams.
void CopyFrom(Streams& s, std::string_view source, std::int64_t sourcePos, std::int64_t count) {
  qmx::TMemoryStream a;
  qmx::TMemoryStream b;
  for (qmx::TMemoryStream* src : {&a, &b}) {
    src->WriteBuffer(source.data(), static_cast<std::int64_t>(source.size()));
    src->SetPosition(sourcePos);
  }
  const std::int64_t from = count == 0 ? 0 : sourcePos;
  const std::int64_t n = count == 0 ? static_cast<std::int64_t>(source.size()) : count;
  const bool fits = static_cast<std::int64_t>(source.size()) - from >= n;
  bool raisedA = false;
  bool raisedB = false;
  try {
    QMX_FUZZ_CHECK(s.mem.CopyFrom(&a, count) == n);
  } catch (const qmx::EInOutError&) {
    raisedA = true;
  }
  try {
    QMX_FUZZ_CHECK(s.file.CopyFrom(&b, count) == n);
  } catch (const qmx::EInOutError&) {
    raisedB = true;
  }
  QMX_FUZZ_CHECK(raisedA == !fits && raisedB == !fits);
  if (fits) {
    ModelWrite(s, source.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(n)));
    QMX_FUZZ_CHECK(a.Position() == from + n && b.Position() == from + n);
  }
  // A nil source or a negative count copies nothing.
  QMX_FUZZ_CHECK(s.mem.CopyFrom(nullptr, 3) == 0 && s.file.CopyFrom(&a, -1) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const qmx::fuzz::ScratchFile scratch("platform_stream");
  qmx::fuzz::ByteReader in(data, size);
  const std::size_t count = 1 + in.Byte() % 16u;
  std::uint8_t ops[16];
  for (std::size_t i = 0; i < count; ++i) {
    ops[i] = in.Byte();
  }
  const std::string_view start = in.Rest();
  if (!scratch.Write(start)) {
    return 0;
  }
  qmx::TMemoryStream mem;
  mem.WriteBuffer(start.data(), static_cast<std::int64_t>(start.size()));
  mem.SetPosition(0);
  {
    qmx::TFileStream file(scratch.Path(), qmx::TFileMode::fmOpenReadWrite);
    Streams s{mem, file, std::string(start)};
    s.Check();
    const std::string_view source = start.substr(0, std::min<std::size_t>(start.size(), 40));
    for (std::size_t i = 0; i < count; ++i) {
      const auto arg = static_cast<std::int64_t>(ops[i] >> 3);
      switch (static_cast<Op>(ops[i] % 8u)) {
        case Op::Read: Read(s, arg); break;
        case Op::ReadBuffer: ReadBuffer(s, arg); break;
        case Op::SeekBegin: Seek(s, arg * 3 - 8, TSeekOrigin::soBeginning); break;
        case Op::SeekCurrent: Seek(s, arg - 16, TSeekOrigin::soCurrent); break;
        case Op::SeekEnd: Seek(s, arg - 16, TSeekOrigin::soEnd); break;
        case Op::Write: {
          const std::string bytes(static_cast<std::size_t>(arg), static_cast<char>('a' + i));
          Write(s, bytes);
          break;
        }
        case Op::SetSize: SetSize(s, s.Size() + arg - 16); break;
        case Op::CopyFrom: CopyFrom(s, source, arg % 5, arg % 4 == 0 ? 0 : arg); break;
      }
      s.Check();
    }
    // The file stream reads back the model from the start.
    std::string back(s.model.size(), '\0');
    file.SetPosition(0);
    file.ReadBuffer(back.data(), static_cast<std::int64_t>(back.size()));
    QMX_FUZZ_CHECK(back == s.model);
    QMX_FUZZ_CHECK(mem.Size() == 0 || std::string_view(reinterpret_cast<const char*>(mem.Memory()),
                                                       static_cast<std::size_t>(mem.Size())) == s.model);
  }
  // Loaded from the file (closed above): the same bytes, position 0; a file
  // that cannot be opened raises and keeps the contents.
  const std::string model(reinterpret_cast<const char*>(mem.Memory()), static_cast<std::size_t>(mem.Size()));
  qmx::TMemoryStream loaded;
  loaded.WriteBuffer("old", 3);
  loaded.LoadFromFile(scratch.Path());
  QMX_FUZZ_CHECK(loaded.Position() == 0 && loaded.Size() == mem.Size());
  QMX_FUZZ_CHECK(std::string_view(reinterpret_cast<const char*>(loaded.Memory()),
                                  static_cast<std::size_t>(loaded.Size())) == model);
  bool raised = false;
  try {
    loaded.LoadFromFile(scratch.Path() + ".missing");
  } catch (const qmx::EInOutError&) {
    raised = true;
  }
  QMX_FUZZ_CHECK(raised && loaded.Size() == mem.Size());
  // Positions saturate instead of overflowing and never go below 0.
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  QMX_FUZZ_CHECK(mem.Seek(kMax, TSeekOrigin::soBeginning) == kMax && mem.Seek(kMax, TSeekOrigin::soCurrent) == kMax);
  char c = 0;
  QMX_FUZZ_CHECK(mem.Read(&c, 1) == 0);
  QMX_FUZZ_CHECK(mem.Seek(-kMax, TSeekOrigin::soEnd) == 0 && mem.Seek(-kMax, TSeekOrigin::soCurrent) == 0);
  return 0;
}
