// Byte streams: the TStream helpers, TMemoryStream, TFileStream and FileExists.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

#include "qmx/foundation/platform.hpp"

namespace qmx {

namespace {

constexpr std::int64_t kCopyChunk = 64 * 1024;
constexpr std::int64_t kMaxPos = std::numeric_limits<std::int64_t>::max();

// origin + offset, saturated to [0, kMaxPos]: a stream position is never negative.
std::int64_t ClampedSum(std::int64_t origin, std::int64_t offset) {
  if (offset > 0 && origin > kMaxPos - offset) {
    return kMaxPos;
  }
  return std::max<std::int64_t>(0, origin + offset);
}

[[noreturn]] void RaiseCannotOpen(const std::string& name) {
  throw EInOutError("Cannot open file \"" + name + "\"");
}

}  // namespace

// ---- TStream -----------------------------------------------------------------

std::string_view TStream::ClassName() const { return "TStream"; }

std::int64_t TStream::Position() const {
  // Seeking by 0 from the current position changes nothing; it only reports.
  return const_cast<TStream*>(this)->Seek(0, TSeekOrigin::soCurrent);
}

void TStream::SetPosition(std::int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  auto* dst = static_cast<std::uint8_t*>(buffer);
  while (count > 0) {
    const std::int64_t n = Read(dst, count);
    if (n <= 0) {
      throw EInOutError("Stream read error");
    }
    dst += n;
    count -= n;
  }
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  const auto* src = static_cast<const std::uint8_t*>(buffer);
  while (count > 0) {
    const std::int64_t n = Write(src, count);
    if (n <= 0) {
      throw EInOutError("Stream write error");
    }
    src += n;
    count -= n;
  }
}

std::int64_t TStream::CopyFrom(TStream* Source, std::int64_t count) {
  if (Source == nullptr || count < 0) {
    return 0;
  }
  if (count == 0) {
    Source->SetPosition(0);
    count = Source->Size();
  }
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min(count, kCopyChunk)));
  std::int64_t left = count;
  while (left > 0) {
    const std::int64_t n = std::min(left, kCopyChunk);
    Source->ReadBuffer(chunk.data(), n);
    WriteBuffer(chunk.data(), n);
    left -= n;
  }
  return count;
}

// ---- TMemoryStream -----------------------------------------------------------

std::string_view TMemoryStream::ClassName() const { return "TMemoryStream"; }

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  const std::int64_t size = Size();
  if (count <= 0 || pos_ >= size) {
    return 0;
  }
  const std::int64_t n = std::min(count, size - pos_);
  std::memcpy(buffer, data_.data() + pos_, static_cast<std::size_t>(n));
  pos_ += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0 || pos_ > kMaxPos - count) {
    return 0;
  }
  const std::int64_t end = pos_ + count;
  if (end > Size()) {
    // Grows geometrically (std::vector); a gap left by a seek past the end is zero-filled.
    try {
      if (static_cast<std::uint64_t>(end) > data_.max_size()) {
        return 0;
      }
      data_.resize(static_cast<std::size_t>(end));
    } catch (const std::bad_alloc&) {
      return 0;  // a short write; WriteBuffer turns it into "Stream write error"
    }
  }
  std::memcpy(data_.data() + pos_, buffer, static_cast<std::size_t>(count));
  pos_ = end;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning:
      pos_ = std::max<std::int64_t>(0, offset);
      break;
    case TSeekOrigin::soCurrent:
      pos_ = ClampedSum(pos_, offset);
      break;
    case TSeekOrigin::soEnd:
      pos_ = ClampedSum(Size(), offset);
      break;
  }
  return pos_;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
  newSize = std::max<std::int64_t>(0, newSize);
  try {
    if (static_cast<std::uint64_t>(newSize) > data_.max_size()) {
      throw std::bad_alloc();
    }
    data_.resize(static_cast<std::size_t>(newSize));
  } catch (const std::bad_alloc&) {
    throw EInOutError("Out of memory while expanding memory stream");
  }
  pos_ = std::min(pos_, newSize);
}

void TMemoryStream::Clear() {
  std::vector<std::uint8_t>().swap(data_);
  pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& FileName) {
  TFileStream file(FileName, TFileMode::fmOpenRead);
  const std::int64_t size = file.Size();
  std::vector<std::uint8_t> bytes;
  try {
    if (static_cast<std::uint64_t>(size) > bytes.max_size()) {
      throw std::bad_alloc();
    }
    bytes.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    throw EInOutError("Out of memory while expanding memory stream");
  }
  file.ReadBuffer(bytes.data(), size);
  // Only a complete read replaces the contents.
  data_.swap(bytes);
  pos_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& FileName) const {
  TFileStream file(FileName, TFileMode::fmCreate);
  file.WriteBuffer(data_.data(), Size());
  file.Flush();
}

// ---- TFileStream ---------------------------------------------------------------

TFileStream::TFileStream(const std::string& FileName, TFileMode Mode) : fileName_(FileName) {
  int flags = O_CLOEXEC;
  const char* fmode = "rb";
  switch (Mode) {
    case TFileMode::fmCreate:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      fmode = "w+b";  // fdopen does not truncate again; O_TRUNC did
      break;
    case TFileMode::fmOpenRead:
      flags |= O_RDONLY;
      fmode = "rb";
      break;
    case TFileMode::fmOpenWrite:
      flags |= O_WRONLY;
      fmode = "wb";
      break;
    case TFileMode::fmOpenReadWrite:
      flags |= O_RDWR;
      fmode = "r+b";
      break;
  }
  const int fd = ::open(FileName.c_str(), flags, 0666);
  if (fd < 0) {
    RaiseCannotOpen(FileName);
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    RaiseCannotOpen(FileName);
  }
  file_ = ::fdopen(fd, fmode);
  if (file_ == nullptr) {
    ::close(fd);
    RaiseCannotOpen(FileName);
  }
}

TFileStream::~TFileStream() {
  if (file_ != nullptr) {
    std::fclose(file_);
  }
}

std::string_view TFileStream::ClassName() const { return "TFileStream"; }

void TFileStream::PrepareFor(std::uint8_t op) {
  // The C library needs a positioning call between a read and a following write
  // (and the other way round) on the same FILE.
  if (lastOp_ != 0 && lastOp_ != op) {
    ::fseeko(file_, 0, SEEK_CUR);
  }
  lastOp_ = op;
}

std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0) {
    return 0;
  }
  PrepareFor(kOpRead);
  const std::size_t n = std::fread(buffer, 1, static_cast<std::size_t>(count), file_);
  if (n < static_cast<std::size_t>(count)) {
    std::clearerr(file_);  // end or error: report the short count, keep the stream usable
  }
  return static_cast<std::int64_t>(n);
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) {
    return 0;
  }
  PrepareFor(kOpWrite);
  const std::size_t n = std::fwrite(buffer, 1, static_cast<std::size_t>(count), file_);
  if (n < static_cast<std::size_t>(count)) {
    std::clearerr(file_);
  }
  return static_cast<std::int64_t>(n);
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  const std::int64_t current = ::ftello(file_);
  std::int64_t target = 0;
  switch (origin) {
    case TSeekOrigin::soBeginning:
      target = std::max<std::int64_t>(0, offset);
      break;
    case TSeekOrigin::soCurrent:
      if (offset == 0) {
        return current;  // a pure query keeps the read buffer
      }
      target = ClampedSum(current, offset);
      break;
    case TSeekOrigin::soEnd:
      target = ClampedSum(Size(), offset);
      break;
  }
  if (::fseeko(file_, static_cast<off_t>(target), SEEK_SET) == 0) {
    lastOp_ = 0;
  }
  return ::ftello(file_);
}

std::int64_t TFileStream::Size() const {
  if (lastOp_ == kOpWrite) {
    std::fflush(file_);  // buffered bytes count towards the size
  }
  struct stat st {};
  if (::fstat(::fileno(file_), &st) != 0) {
    return 0;
  }
  return static_cast<std::int64_t>(st.st_size);
}

void TFileStream::SetSize(std::int64_t newSize) {
  newSize = std::max<std::int64_t>(0, newSize);
  const std::int64_t pos = ::ftello(file_);
  std::fflush(file_);
  if (::ftruncate(::fileno(file_), static_cast<off_t>(newSize)) != 0) {
    throw EInOutError("Cannot change the size of file \"" + fileName_ + "\"");
  }
  ::fseeko(file_, static_cast<off_t>(std::min(pos, newSize)), SEEK_SET);
  lastOp_ = 0;
}

void TFileStream::Flush() {
  if (std::fflush(file_) != 0) {
    std::clearerr(file_);
    throw EInOutError("Stream write error");
  }
}

// ---- FileExists ------------------------------------------------------------------

bool FileExists(const std::string& FileName) {
  struct stat st {};
  return ::stat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace qmx
