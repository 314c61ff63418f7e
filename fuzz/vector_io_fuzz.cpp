// libFuzzer harness of the vector readers of `TVector` and `TIntVector`: the
// ASC reader `ImportASC` (with the file form of `ReadHeaderOfASC`), the plain
// text `LoadFromFile` (and the digitizer form of `TVector`), and
// `LoadFromStream` on a memory stream and on a file stream.  Input: a format
// byte (mod 3: ASC, plain text, stream), then the bytes.  Any bytes must give
// a documented result, leave at least one element, never grow a vector beyond
// what the input can hold, give the same on a memory and a file stream, and
// what loads must be written by the matching writer and read back unchanged.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"
#include "qmx/vector/vectors.hpp"

namespace {

using qmx::fuzz::ScratchFile;

constexpr std::int32_t kStartSize = 3;

bool AscCodeIsDocumented(std::int32_t rc) {
  return rc == qmx::kVecAscOk || rc == qmx::kVecAscBadRowAttrib || rc == qmx::kVecAscBadValue ||
         rc == qmx::kVecAscTooManyColumns || rc == qmx::kVecAscNoFile || rc == qmx::kVecAscTooManyRows ||
         rc == qmx::kAscCannotOpen || rc == qmx::kAscTruncatedHeader || rc == qmx::kAscBadCounts ||
         rc == qmx::kAscBadFlags;
}

/// The start state of every vector a reader fills.
template <class V>
void Prepare(V& v) {
  v.Resize(kStartSize);
  v.SetVal(2, 7);
}

/// Element i of a prepared vector after it was resized to any size.
double PreparedValue(std::int32_t i) { return i == 2 ? 7.0 : 0.0; }

/// Elements outside Lo..Hi are those of the prepared vector.
template <class V>
void CheckOutside(const V& v, std::int64_t lo, std::int64_t hi) {
  for (std::int32_t i = 1; i <= v.NrOfElem(); ++i) {
    if (i < lo || i > hi) {
      QMX_FUZZ_CHECK(static_cast<double>(v.GetVal(i)) == PreparedValue(i));
    }
  }
}

/// A reader may keep the start size or grow to at most one element per bytesPerElement.
template <class V>
void CheckSize(const V& v, std::size_t inputBytes, std::int64_t bytesPerElement) {
  QMX_FUZZ_CHECK(v.NrOfElem() >= 1);
  QMX_FUZZ_CHECK(v.NrOfElem() <= kStartSize ||
                 static_cast<std::int64_t>(v.NrOfElem()) * bytesPerElement <= static_cast<std::int64_t>(inputBytes));
}

/// How two vectors are compared: bit for bit (NaNs equal whatever their
/// bits), or by value as the text formats keep them (the sign of a zero is not
/// written, and the ASC reader may read a NaN as 0).
enum class Compare : std::uint8_t { Bits, Text, TextNanAsZero };

template <class V>
bool SameValues(const V& a, const V& b, Compare how) {
  if (a.NrOfElem() != b.NrOfElem()) {
    return false;
  }
  for (std::int32_t i = 1; i <= a.NrOfElem(); ++i) {
    const auto x = a.GetVal(i);
    const auto y = b.GetVal(i);
    if constexpr (std::is_floating_point_v<decltype(x)>) {
      if (std::isnan(x) && (how == Compare::TextNanAsZero ? y == 0.0 : std::isnan(y))) {
        continue;
      }
      if (how == Compare::Bits ? std::bit_cast<std::uint64_t>(x) != std::bit_cast<std::uint64_t>(y) : x != y) {
        return false;
      }
    } else if (x != y) {
      return false;
    }
  }
  return true;
}

// ---- ASC ----------------------------------------------------------------------

/// The file form of the header reader bounds the counts by the file size, as
/// the open text file form does with that limit.
void CheckHeaderReaders(std::string_view bytes, const ScratchFile& file) {
  std::string comment[2];
  std::int32_t cols[2] = {};
  std::int32_t rows[2] = {};
  bool flags[2][4] = {};
  const std::int32_t rc = qmx::ReadHeaderOfASC(file.Path(), comment[0], cols[0], rows[0], flags[0][0], flags[0][1],
                                               flags[0][2], flags[0][3]);
  qmx::TTextFile text;
  text.OpenReadString(std::string(bytes));
  QMX_FUZZ_CHECK(qmx::ReadHeaderOfASC(text, comment[1], cols[1], rows[1], flags[1][0], flags[1][1], flags[1][2],
                                      flags[1][3], static_cast<std::int64_t>(bytes.size())) == rc);
  QMX_FUZZ_CHECK(comment[0] == comment[1] && cols[0] == cols[1] && rows[0] == rows[1]);
  for (int k = 0; k < 4; ++k) {
    QMX_FUZZ_CHECK(flags[0][k] == flags[1][k]);
  }
}

/// The row count of the header, -1 for a header the reader refuses.
std::int32_t HeaderRows(std::string_view bytes) {
  qmx::TTextFile text;
  text.OpenReadString(std::string(bytes));
  std::string comment;
  std::int32_t cols = 0;
  std::int32_t rows = 0;
  bool flags[4] = {};
  const std::int32_t rc = qmx::ReadHeaderOfASC(text, comment, cols, rows, flags[0], flags[1], flags[2], flags[3],
                                               static_cast<std::int64_t>(bytes.size()));
  return rc == qmx::kAscOk ? rows : -1;
}

template <class V>
std::int32_t FuzzAsc(std::string_view bytes, const ScratchFile& file, const ScratchFile& out) {
  V v;
  Prepare(v);
  std::string comment = "stale";
  const std::int32_t rc = v.ImportASC(file.Path(), comment);
  QMX_FUZZ_CHECK(AscCodeIsDocumented(rc) && rc != qmx::kVecAscNoFile && rc != qmx::kAscCannotOpen);
  CheckSize(v, bytes.size(), 1);
  // Rows are read into a vector sized to the header; a failing row cuts it
  // there; a header of no rows or a refused one leaves it as it was.
  const std::int32_t rows = HeaderRows(bytes);
  if (rc == qmx::kVecAscOk && rows >= 1) {
    QMX_FUZZ_CHECK(v.NrOfElem() == rows);
  } else if (rc == qmx::kVecAscBadRowAttrib || rc == qmx::kVecAscBadValue) {
    QMX_FUZZ_CHECK(rows >= 1 && v.NrOfElem() >= 1 && v.NrOfElem() <= rows);
  } else {
    QMX_FUZZ_CHECK(v.NrOfElem() == kStartSize);
    CheckOutside(v, 0, -1);
  }
  if (rc != qmx::kVecAscOk) {
    return rc;
  }
  if constexpr (std::is_same_v<V, qmx::TVector>) {
    QMX_FUZZ_CHECK(v.ExportAsASC(out.Path(), -17, comment) == 0);  // 18 digits: exact
  } else {
    QMX_FUZZ_CHECK(v.ExportAsASC(out.Path(), comment) == 0);
  }
  V back;
  std::string commentBack;
  QMX_FUZZ_CHECK(back.ImportASC(out.Path(), commentBack) == qmx::kVecAscOk);
  QMX_FUZZ_CHECK(SameValues(v, back, Compare::TextNanAsZero));  // the reader takes "NAN" as 0
  if (!comment.empty() && !comment.starts_with("\xEF\xBB\xBF")) {
    QMX_FUZZ_CHECK(commentBack == comment);
  }
  return rc;
}

// ---- plain text -----------------------------------------------------------------

/// An optionally signed decimal integer in the 32-bit range (one sign only).
bool ReferenceIndex(std::string_view w, std::int64_t& v) {
  const std::size_t start = (!w.empty() && (w[0] == '+' || w[0] == '-')) ? 1 : 0;
  if (start == w.size()) {
    return false;
  }
  v = 0;
  for (std::size_t i = start; i < w.size(); ++i) {
    if (w[i] < '0' || w[i] > '9') {
      return false;
    }
    v = v * 10 + (w[i] - '0');
    if (v > 2147483648LL) {
      return false;
    }
  }
  v = w[0] == '-' ? -v : v;
  return v >= -2147483648LL && v <= 2147483647LL;
}

/// Lo and Hi of line 1 of the plain text format; false if line 1 does not start with two integers.
bool ReferenceRange(std::string_view bytes, std::int64_t& lo, std::int64_t& hi) {
  if (bytes.empty()) {
    return false;
  }
  const std::string_view line = bytes.substr(0, bytes.find('\n'));
  constexpr std::string_view kBlanks = " \t\r\v\f";
  std::string_view words[2];
  std::size_t pos = 0;
  for (std::string_view& w : words) {
    pos = line.find_first_not_of(kBlanks, pos);
    if (pos == std::string_view::npos) {
      return false;
    }
    const std::size_t end = std::min(line.find_first_of(kBlanks, pos), line.size());
    w = line.substr(pos, end - pos);
    pos = end;
  }
  return ReferenceIndex(words[0], lo) && ReferenceIndex(words[1], hi);
}

template <class V>
void FuzzPlain(std::string_view bytes, const ScratchFile& file, const ScratchFile& out) {
  std::int64_t lo = 0;
  std::int64_t hi = 0;
  const bool header = ReferenceRange(bytes, lo, hi);
  for (const bool adjust : {false, true}) {
    V v;
    Prepare(v);
    const bool ok = v.LoadFromFile(file.Path(), adjust);
    CheckSize(v, bytes.size(), 1);
    // With AdjustSize the size follows Hi (unless the file cannot hold it);
    // the result tells whether Hi fits; elements outside Lo..Hi stay.
    const bool refused = !header || (adjust && hi > kStartSize && hi > static_cast<std::int64_t>(bytes.size()));
    QMX_FUZZ_CHECK(v.NrOfElem() == (!refused && adjust && hi >= 1 ? hi : kStartSize));
    QMX_FUZZ_CHECK(ok == (!refused && hi <= v.NrOfElem()));
    CheckOutside(v, header ? lo : 0, header ? hi : -1);
    if (!ok) {
      continue;
    }
    if constexpr (std::is_same_v<V, qmx::TVector>) {
      QMX_FUZZ_CHECK(v.StoreOnFile(0, 0, -2, out.Path()));  // 20 digits: exact
    } else {
      QMX_FUZZ_CHECK(v.StoreOnFile(0, 0, out.Path()));
    }
    V back;
    QMX_FUZZ_CHECK(back.LoadFromFile(out.Path(), true) && SameValues(v, back, Compare::Text));
  }
}

/// The digitizer form: the vector takes one element per line that holds the
/// marker (when asked to adjust and there is such a line).
void FuzzDigitizer(std::string_view bytes, const ScratchFile& file) {
  std::int32_t marked = 0;
  for (std::size_t pos = 0; pos < bytes.size();) {
    std::size_t lf = bytes.find('\n', pos);
    lf = lf == std::string_view::npos ? bytes.size() : lf;
    marked += bytes.substr(pos, lf - pos).find("//dig") != std::string_view::npos ? 1 : 0;
    pos = lf + 1;
  }
  for (const bool adjust : {false, true}) {
    qmx::TVector v;
    Prepare(v);
    QMX_FUZZ_CHECK(v.LoadFromFile(file.Path(), adjust, true));
    QMX_FUZZ_CHECK(v.NrOfElem() == (adjust && marked > 0 ? marked : kStartSize));
  }
}

// ---- streams --------------------------------------------------------------------------

/// Elements Lo..Hi are the values of the stream in order, the others stay.
template <class V>
void CheckStreamValues(const V& v, std::string_view bytes) {
  qmx::TMemoryStream s;
  s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
  std::int64_t lo = 0;
  std::int64_t hi = 0;
  if constexpr (std::is_same_v<V, qmx::TIntVector>) {
    std::int32_t a = 0;
    std::int32_t b = 0;
    QMX_FUZZ_CHECK(qmx::ReadLongintFromStream(&s, a) && qmx::ReadLongintFromStream(&s, b));
    lo = a;
    hi = b;
  } else {
    qmx::Extended a = 0;
    qmx::Extended b = 0;
    QMX_FUZZ_CHECK(qmx::ReadExtendedFromStream(&s, a) && qmx::ReadExtendedFromStream(&s, b));
    lo = std::llround(a);  // halves do not matter here: both bounds round alike below
    hi = std::llround(b);
    if (std::fabs(a - std::trunc(a)) == 0.5L || std::fabs(b - std::trunc(b)) == 0.5L) {
      return;  // rounding of halves is the reader's own (to even)
    }
  }
  for (std::int64_t i = std::max<std::int64_t>(lo, 1); i <= std::min<std::int64_t>(hi, v.NrOfElem()); ++i) {
    const std::int64_t k = i - lo;
    if constexpr (std::is_same_v<V, qmx::TIntVector>) {
      s.SetPosition(8 + 4 * k);
      std::int32_t x = 0;
      QMX_FUZZ_CHECK(qmx::ReadLongintFromStream(&s, x) && v.GetVal(static_cast<std::int32_t>(i)) == x);
    } else {
      s.SetPosition(20 + 10 * k);
      qmx::Extended x = 0;
      QMX_FUZZ_CHECK(qmx::ReadExtendedFromStream(&s, x));
      const double want = static_cast<double>(x);
      const double got = v.GetVal(static_cast<std::int32_t>(i));
      QMX_FUZZ_CHECK((std::isnan(want) && std::isnan(got)) ||
                     std::bit_cast<std::uint64_t>(want) == std::bit_cast<std::uint64_t>(got));
    }
  }
  CheckOutside(v, lo, hi);
}

template <class V>
void FuzzStream(std::string_view bytes, const ScratchFile& file, std::int64_t bytesPerElement) {
  for (const bool adjust : {false, true}) {
    qmx::TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    stream.SetPosition(0);
    V v;
    Prepare(v);
    const bool ok = v.LoadFromStream(&stream, adjust);
    CheckSize(v, bytes.size(), bytesPerElement);
    QMX_FUZZ_CHECK(stream.Position() <= stream.Size());
    {
      qmx::TFileStream fs(file.Path(), qmx::TFileMode::fmOpenRead);
      V w;
      Prepare(w);
      QMX_FUZZ_CHECK(w.LoadFromStream(&fs, adjust) == ok && SameValues(v, w, Compare::Bits));
      QMX_FUZZ_CHECK(fs.Position() == stream.Position());
    }
    if (!ok) {
      continue;
    }
    CheckStreamValues(v, bytes);
    qmx::TMemoryStream* out = nullptr;
    v.SaveToStream(out, 0, 0);
    const std::unique_ptr<qmx::TMemoryStream> owner(out);
    QMX_FUZZ_CHECK(out->Size() == (v.NrOfElem() + 2) * bytesPerElement);
    out->SetPosition(0);
    V back;
    QMX_FUZZ_CHECK(back.LoadFromStream(out, true) && SameValues(v, back, Compare::Bits));
    QMX_FUZZ_CHECK(out->Position() == out->Size());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchFile file("vector_io_in");
  static const ScratchFile out("vector_io_out");
  qmx::fuzz::ByteReader in(data, size);
  const std::uint8_t selector = in.Byte();
  const std::string_view bytes = in.Rest();
  if (!file.Write(bytes)) {
    return 0;
  }
  switch (selector % 3u) {
    case 0: {
      CheckHeaderReaders(bytes, file);
      const std::int32_t a = FuzzAsc<qmx::TVector>(bytes, file, out);
      const std::int32_t b = FuzzAsc<qmx::TIntVector>(bytes, file, out);
      // Header and layout results do not depend on the element type.
      for (const std::int32_t code : {qmx::kAscTruncatedHeader, qmx::kAscBadCounts, qmx::kAscBadFlags,
                                      qmx::kVecAscTooManyColumns, qmx::kVecAscTooManyRows}) {
        QMX_FUZZ_CHECK((a == code) == (b == code));
      }
      break;
    }
    case 1:
      FuzzPlain<qmx::TVector>(bytes, file, out);
      FuzzPlain<qmx::TIntVector>(bytes, file, out);
      FuzzDigitizer(bytes, file);
      break;
    default:
      FuzzStream<qmx::TVector>(bytes, file, 10);
      FuzzStream<qmx::TIntVector>(bytes, file, 4);
      break;
  }
  return 0;
}
