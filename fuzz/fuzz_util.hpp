#pragma once
// Helpers shared by the libFuzzer harnesses: a check that aborts with its
// place and condition, a reader of the fuzz bytes, and a scratch file per
// process for readers that take only a file name.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace qmx::fuzz {

/// Aborts (libFuzzer records a crash and writes the input) when cond is false.
#define QMX_FUZZ_CHECK(cond)                                                              \
  do {                                                                                    \
    if (!(cond)) {                                                                        \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);       \
      std::abort();                                                                       \
    }                                                                                     \
  } while (false)

/// Takes bytes from the front of the fuzz input; past the end it gives zeros.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  /// Up to n bytes as text.
  std::string_view Take(std::size_t n) {
    const std::size_t k = n < size_ - pos_ ? n : size_ - pos_;
    const std::string_view s(reinterpret_cast<const char*>(data_ + pos_), k);
    pos_ += k;
    return s;
  }
  /// Everything not yet taken, as text.
  std::string_view Rest() { return Take(size_ - pos_); }
  std::size_t Left() const { return size_ - pos_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

/// A file whose name holds the harness tag and the process id, so that
/// harnesses and parallel jobs never share one.  It lives in /dev/shm where
/// that is a writable directory (a file on disk costs milliseconds per run),
/// else in the temporary directory.  Removed when the process ends normally.
class ScratchFile {
 public:
  explicit ScratchFile(std::string_view tag) {
    std::error_code ec;
    std::filesystem::path dir = "/dev/shm";
    if (!std::filesystem::is_directory(dir, ec) || ::access(dir.c_str(), W_OK) != 0) {
      dir = std::filesystem::temp_directory_path(ec);
      if (ec) {
        dir = "/tmp";
      }
    }
    path_ = (dir / ("qmx_fuzz_" + std::string(tag) + "_" + std::to_string(::getpid()))).string();
  }
  ~ScratchFile() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& Path() const { return path_; }
  /// Replaces the contents; false when the file cannot be written.
  bool Write(std::string_view bytes) const {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (f == nullptr) {
      return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
  }

 private:
  std::string path_;
};

}  // namespace qmx::fuzz
