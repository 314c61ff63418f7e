// TTextFile: buffered line, word and character reading from a file, a stream or
// a string, and CR LF line writing into a file or a stream.
#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "qmx/foundation/platform.hpp"

namespace qmx {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr std::size_t kFileBuffer = 64 * 1024;

enum class TTextMode : std::uint8_t { tmClosed, tmRead, tmWrite };

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Opens a FILE that is not a directory (the C library opens directories for reading).
std::FILE* OpenFile(const std::string& name, const char* mode) {
  std::FILE* f = std::fopen(name.c_str(), mode);
  if (f == nullptr) {
    return nullptr;
  }
  struct stat st {};
  if (::fstat(::fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
    std::fclose(f);
    return nullptr;
  }
  return f;
}

// A word without one leading '+' (from_chars refuses it); "+-1" stays refused.
std::string_view WithoutPlus(std::string_view w) {
  if (w.size() > 1 && w[0] == '+' && w[1] != '-' && w[1] != '+') {
    w.remove_prefix(1);
  }
  return w;
}

// A whole word as a finite decimal number.  Overflow and "inf"/"nan" are refused;
// a value too small for a double (1e-400) becomes a signed zero, as it would when
// computed.
// The decimal exponent of the leading significant digit of a number text that
// from_chars has accepted as a whole ([-]digits[.digits][e[+-]digits]); the
// exponent saturates, so huge exponents cannot overflow.
std::int64_t LeadingDecimalExponent(std::string_view w) {
  std::size_t i = (!w.empty() && w[0] == '-') ? 1 : 0;
  std::int64_t intDigits = 0;      // digits before the point
  std::int64_t fracDigits = 0;     // digits after the point
  std::int64_t firstIntLead = 0;   // 1-based index of the first non-zero integer digit
  std::int64_t firstFracLead = 0;  // 1-based position of the first non-zero fraction digit
  bool afterPoint = false;
  for (; i < w.size() && w[i] != 'e' && w[i] != 'E'; ++i) {
    if (w[i] == '.') {
      afterPoint = true;
    } else if (afterPoint) {
      ++fracDigits;
      if (firstIntLead == 0 && firstFracLead == 0 && w[i] != '0') {
        firstFracLead = fracDigits;
      }
    } else {
      ++intDigits;
      if (firstIntLead == 0 && w[i] != '0') {
        firstIntLead = intDigits;
      }
    }
  }
  std::int64_t leadExp = 0;
  if (firstIntLead > 0) {
    leadExp = intDigits - firstIntLead;
  } else if (firstFracLead > 0) {
    leadExp = -firstFracLead;
  }
  std::int64_t exp = 0;
  if (i < w.size()) {
    ++i;
    bool neg = false;
    if (i < w.size() && (w[i] == '+' || w[i] == '-')) {
      neg = w[i] == '-';
      ++i;
    }
    for (; i < w.size() && w[i] >= '0' && w[i] <= '9'; ++i) {
      exp = std::min<std::int64_t>(exp * 10 + (w[i] - '0'), std::int64_t{1} << 40);
    }
    if (neg) {
      exp = -exp;
    }
  }
  return leadExp + exp;
}

bool ParseDouble(std::string_view w, double& v) {
  const char* first = w.data();
  const char* last = w.data() + w.size();
  auto [end, ec] = std::from_chars(first, last, v, std::chars_format::general);
  if (ec == std::errc::result_out_of_range && end == last) {
    // Out of range: a tiny magnitude reads as a signed zero, a huge one is refused.
    if (LeadingDecimalExponent(w) >= 0) {
      return false;
    }
    v = (!w.empty() && w[0] == '-') ? -0.0 : 0.0;
    return true;
  }
  return ec == std::errc() && end == last && std::isfinite(v);
}

}  // namespace

struct TTextFile::Impl {
  TTextMode mode = TTextMode::tmClosed;
  std::FILE* file = nullptr;   // owned
  TStream* stream = nullptr;   // not owned
  bool writeOk = true;

  // Read buffer: the unread text is buf[pos, buf.size()).  A string source is
  // the whole buffer from the start; files and streams refill it in chunks.
  std::string buf;
  std::size_t pos = 0;
  bool sourceDone = false;

  // Makes at least one unread character available; false at the end of the text.
  bool Fill() {
    if (pos < buf.size()) {
      return true;
    }
    if (mode != TTextMode::tmRead || sourceDone) {
      return false;
    }
    buf.resize(kReadChunk);
    pos = 0;
    std::size_t n = 0;
    if (file != nullptr) {
      n = std::fread(buf.data(), 1, kReadChunk, file);  // a read error counts as the end
    } else if (stream != nullptr) {
      const std::int64_t got = stream->Read(buf.data(), static_cast<std::int64_t>(kReadChunk));
      n = got > 0 ? static_cast<std::size_t>(got) : 0;
    }
    buf.resize(n);
    if (n == 0) {
      sourceDone = true;
      return false;
    }
    return true;
  }

  void Put(const char* data, std::size_t n) {
    if (n == 0) {
      return;
    }
    if (mode != TTextMode::tmWrite) {
      writeOk = false;
      return;
    }
    if (file != nullptr) {
      if (std::fwrite(data, 1, n, file) != n) {
        writeOk = false;
      }
    } else if (stream != nullptr) {
      try {
        stream->WriteBuffer(data, static_cast<std::int64_t>(n));
      } catch (const EInOutError&) {
        writeOk = false;
      }
    }
  }

  void Close() {
    if (file != nullptr) {
      if (std::fclose(file) != 0 && mode == TTextMode::tmWrite) {
        writeOk = false;  // the last buffered bytes could not be written
      }
      file = nullptr;
    }
    stream = nullptr;
    mode = TTextMode::tmClosed;
    std::string().swap(buf);
    pos = 0;
    sourceDone = false;
  }

  void StartRead() {
    mode = TTextMode::tmRead;
    writeOk = true;
    buf.clear();
    pos = 0;
    sourceDone = false;
  }

  bool OpenWriteFile(const std::string& name, const char* fmode) {
    Close();
    file = OpenFile(name, fmode);
    if (file == nullptr) {
      return false;
    }
    std::setvbuf(file, nullptr, _IOFBF, kFileBuffer);
    mode = TTextMode::tmWrite;
    writeOk = true;
    return true;
  }
};

TTextFile::TTextFile() : impl_(std::make_unique<Impl>()) {}

TTextFile::~TTextFile() { impl_->Close(); }

bool TTextFile::OpenRead(const std::string& FileName) {
  impl_->Close();
  std::FILE* f = OpenFile(FileName, "rb");
  if (f == nullptr) {
    return false;
  }
  impl_->StartRead();
  impl_->file = f;
  return true;
}

bool TTextFile::OpenWrite(const std::string& FileName) { return impl_->OpenWriteFile(FileName, "wb"); }

bool TTextFile::OpenAppend(const std::string& FileName) { return impl_->OpenWriteFile(FileName, "ab"); }

bool TTextFile::OpenReadStream(TStream* Stream) {
  impl_->Close();
  if (Stream == nullptr) {
    return false;
  }
  impl_->StartRead();
  impl_->stream = Stream;
  return true;
}

bool TTextFile::OpenWriteStream(TStream* Stream) {
  impl_->Close();
  if (Stream == nullptr) {
    return false;
  }
  impl_->stream = Stream;
  impl_->mode = TTextMode::tmWrite;
  impl_->writeOk = true;
  return true;
}

void TTextFile::OpenReadString(std::string Text) {
  impl_->Close();
  impl_->StartRead();
  impl_->buf = std::move(Text);
  impl_->sourceDone = true;
}

void TTextFile::Close() { impl_->Close(); }

bool TTextFile::IsOpen() const { return impl_->mode != TTextMode::tmClosed; }

bool TTextFile::Eof() { return !impl_->Fill(); }

bool TTextFile::ReadLine(std::string& Line) {
  Impl& d = *impl_;
  Line.clear();
  if (!d.Fill()) {
    return false;
  }
  // Copy whole runs up to the next LF; a line may span several chunks.
  while (d.Fill()) {
    const char* start = d.buf.data() + d.pos;
    const std::size_t avail = d.buf.size() - d.pos;
    const auto* lf = static_cast<const char*>(std::memchr(start, '\n', avail));
    if (lf == nullptr) {
      Line.append(start, avail);
      d.pos = d.buf.size();
      continue;
    }
    Line.append(start, static_cast<std::size_t>(lf - start));
    d.pos += static_cast<std::size_t>(lf - start) + 1;
    if (!Line.empty() && Line.back() == '\r') {
      Line.pop_back();  // CR LF
    }
    return true;
  }
  return true;  // the last line had no line end
}

bool TTextFile::ReadChar(char& Ch) {
  if (!impl_->Fill()) {
    return false;
  }
  Ch = impl_->buf[impl_->pos++];
  return true;
}

bool TTextFile::PeekChar(char& Ch) {
  if (!impl_->Fill()) {
    return false;
  }
  Ch = impl_->buf[impl_->pos];
  return true;
}

bool TTextFile::ReadWord(std::string& Word) {
  Impl& d = *impl_;
  Word.clear();
  // Skip separators.
  for (;;) {
    if (!d.Fill()) {
      return false;
    }
    while (d.pos < d.buf.size() && IsSeparator(d.buf[d.pos])) {
      ++d.pos;
    }
    if (d.pos < d.buf.size()) {
      break;
    }
  }
  // Collect the word; the separator that ends it stays unread.
  while (d.Fill()) {
    const std::size_t start = d.pos;
    while (d.pos < d.buf.size() && !IsSeparator(d.buf[d.pos])) {
      ++d.pos;
    }
    Word.append(d.buf, start, d.pos - start);
    if (d.pos < d.buf.size()) {
      break;
    }
  }
  return true;
}

bool TTextFile::ReadNumber(double& Value) {
  std::string word;
  if (!ReadWord(word)) {
    return false;
  }
  double v = 0.0;
  if (!ParseDouble(WithoutPlus(word), v)) {
    return false;
  }
  Value = v;
  return true;
}

bool TTextFile::ReadInteger(std::int64_t& Value) {
  std::string word;
  if (!ReadWord(word)) {
    return false;
  }
  const std::string_view w = WithoutPlus(word);
  std::int64_t v = 0;
  const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v, 10);
  if (ec != std::errc() || end != w.data() + w.size()) {
    return false;
  }
  Value = v;
  return true;
}

void TTextFile::Write(std::string_view Text) { impl_->Put(Text.data(), Text.size()); }

void TTextFile::WriteLn(std::string_view Text) {
  if (impl_->mode != TTextMode::tmWrite) {
    impl_->writeOk = false;
    return;
  }
  impl_->Put(Text.data(), Text.size());
  impl_->Put("\r\n", 2);
}

bool TTextFile::WriteOk() const { return impl_->writeOk; }

}  // namespace qmx
