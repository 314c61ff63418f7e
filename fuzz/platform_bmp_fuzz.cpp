// libFuzzer harness of the BMP reader: any bytes, as a file, must load or be refused
// without a crash, a hang or an allocation beyond the file's size; a refused file
// leaves the bitmap unchanged, and what loaded saves and loads back the same.
#include <cstdint>
#include <string_view>

#include "fuzz_util.hpp"
#include "qmx/foundation/platform.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const qmx::fuzz::ScratchFile input("bmp_in");
  static const qmx::fuzz::ScratchFile output("bmp_out");
  if (!input.Write(std::string_view(reinterpret_cast<const char*>(data), size))) {
    return 0;
  }
  qmx::TBitmap bmp(2, 1);
  bmp.SetPixel(1, 0, 0x123456);
  if (!bmp.LoadFromBMP(input.Path())) {
    QMX_FUZZ_CHECK(bmp.Width() == 2 && bmp.Height() == 1 && bmp.Pixel(1, 0) == 0x123456);
    return 0;
  }
  QMX_FUZZ_CHECK(bmp.Width() >= 0 && bmp.Height() >= 0);
  QMX_FUZZ_CHECK((bmp.Width() == 0) == (bmp.Height() == 0));
  bmp.SaveToBMP(output.Path());
  qmx::TBitmap back;
  QMX_FUZZ_CHECK(back.LoadFromBMP(output.Path()));
  QMX_FUZZ_CHECK(back.Width() == bmp.Width() && back.Height() == bmp.Height());
  for (std::int32_t y = 0; y < bmp.Height(); ++y) {
    for (std::int32_t x = 0; x < bmp.Width(); ++x) {
      QMX_FUZZ_CHECK(bmp.Pixel(x, y) <= 0xFFFFFFu && back.Pixel(x, y) == bmp.Pixel(x, y));
    }
  }
  return 0;
}
