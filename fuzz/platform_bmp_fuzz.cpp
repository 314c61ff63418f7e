// libFuzzer harness of the BMP reader: any bytes, as a file, must load or be refused
// without a crash, a hang or an allocation beyond the file's size.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "qmx/foundation/platform.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/qmx_bmp_fuzz_" + std::to_string(::getpid()) + ".bmp";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    return 0;
  }
  const bool written = std::fwrite(data, 1, size, f) == size;
  std::fclose(f);
  if (!written) {
    return 0;
  }
  qmx::TBitmap bmp;
  if (bmp.LoadFromBMP(path)) {
    // What loaded must be saveable and load back the same.
    const std::string again = path + ".out";
    bmp.SaveToBMP(again);
    qmx::TBitmap back;
    if (!back.LoadFromBMP(again) || back.Width() != bmp.Width() || back.Height() != bmp.Height()) {
      __builtin_trap();
    }
    std::remove(again.c_str());
  }
  return 0;
}
