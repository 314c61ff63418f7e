#pragma once
// Shared helpers of the test suites.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

namespace qmx::test {

/// A fresh folder for this test process's files, removed when the process ends.
inline const std::filesystem::path& TempDir() {
  struct Dir {
    std::filesystem::path path;
    Dir() {
      path = std::filesystem::temp_directory_path() / ("qmx_tests_" + std::to_string(::getpid()));
      std::filesystem::create_directories(path);
    }
    ~Dir() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
  };
  static Dir dir;
  return dir.path;
}

/// A path inside `TempDir()`.
inline std::string TempPath(const std::string& name) { return (TempDir() / name).string(); }

/// Writes bytes to a file, replacing it.
inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

/// Reads a whole file as bytes.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace qmx::test
