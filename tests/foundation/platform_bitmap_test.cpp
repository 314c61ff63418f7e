// TBitmap: pixels, the BMP writer and reader (also on malformed files), PNG and
// JPEG output, and the in-process clipboard.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <png.h>

#include "qmx/foundation/platform.hpp"
#include "tests/test_util.hpp"

namespace qmx {
namespace {

using test::ReadFile;
using test::TempPath;
using test::WriteFile;

// A bitmap whose every pixel differs from its neighbours in all three channels.
TBitmap TestPattern(std::int32_t w, std::int32_t h) {
  TBitmap bmp(w, h);
  for (std::int32_t y = 0; y < h; ++y) {
    for (std::int32_t x = 0; x < w; ++x) {
      const auto r = static_cast<TColor>((x * 37 + y * 11) & 0xFF);
      const auto g = static_cast<TColor>((x * 5 + y * 71 + 3) & 0xFF);
      const auto b = static_cast<TColor>((x * y + 101) & 0xFF);
      bmp.SetPixel(x, y, r | (g << 8) | (b << 16));
    }
  }
  return bmp;
}

void ExpectSamePixels(const TBitmap& a, const TBitmap& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  for (std::int32_t y = 0; y < a.Height(); ++y) {
    for (std::int32_t x = 0; x < a.Width(); ++x) {
      ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << "at " << x << "," << y;
    }
  }
}

std::uint32_t U32At(const std::string& s, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at])) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 1])) << 8) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 2])) << 16) |
         (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 3])) << 24);
}

void PutU32At(std::string& s, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    s[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFFu);
  }
}

template <class F>
std::string InOutMessage(F&& f) {
  try {
    f();
  } catch (const EInOutError& e) {
    return e.what();
  }
  return "<no EInOutError>";
}

TEST(PlatformBitmap, SizePixelsAndFill) {
  TBitmap bmp(3, 2);
  EXPECT_EQ(bmp.ClassName(), "TBitmap");
  EXPECT_EQ(bmp.Pixel(2, 1), 0u);
  bmp.SetPixel(2, 1, 0xFF123456);  // the unused top byte is dropped
  EXPECT_EQ(bmp.Pixel(2, 1), 0x123456u);
  bmp.SetPixel(3, 0, 0xFF);  // outside: ignored
  bmp.SetPixel(-1, 0, 0xFF);
  EXPECT_EQ(bmp.Pixel(3, 0), 0u);
  EXPECT_EQ(bmp.Pixel(0, -1), 0u);
  bmp.Fill(0xABCDEF);
  EXPECT_EQ(bmp.Pixel(0, 0), 0xABCDEFu);
  bmp.SetSize(4, 4);
  EXPECT_EQ(bmp.Pixel(0, 0), 0u);  // resizing blackens
  bmp.SetSize(-2, 5);
  EXPECT_EQ(bmp.Width(), 0);
  EXPECT_EQ(bmp.Height(), 5);
  EXPECT_EQ(bmp.Pixel(0, 0), 0u);

  TBitmap copy;
  const TBitmap src = TestPattern(5, 3);
  copy.Assign(&src);
  ExpectSamePixels(copy, src);
  copy.Assign(&copy);
  ExpectSamePixels(copy, src);
}

TEST(PlatformBitmap, BmpLayoutOnDisk) {
  TBitmap bmp(3, 2);  // 9 bytes per row, padded to 12
  bmp.SetPixel(0, 0, 0x030201);  // top left: R=01 G=02 B=03
  bmp.SetPixel(0, 1, 0x0C0B0A);  // bottom left: R=0A G=0B B=0C
  const std::string path = TempPath("layout.bmp");
  bmp.SaveToBMP(path);
  const std::string f = ReadFile(path);
  ASSERT_EQ(f.size(), 54u + 2 * 12);
  EXPECT_EQ(f.substr(0, 2), "BM");
  EXPECT_EQ(U32At(f, 2), 78u);   // file size
  EXPECT_EQ(U32At(f, 10), 54u);  // pixel offset
  EXPECT_EQ(U32At(f, 14), 40u);  // info header size
  EXPECT_EQ(U32At(f, 18), 3u);
  EXPECT_EQ(U32At(f, 22), 2u);  // positive: bottom-up
  EXPECT_EQ(U32At(f, 26), 1u | (24u << 16));  // planes, bits per pixel
  EXPECT_EQ(U32At(f, 30), 0u);                // uncompressed
  EXPECT_EQ(U32At(f, 34), 24u);               // image bytes
  // The first stored row is the bottom one, each pixel blue, green, red.
  EXPECT_EQ(f.substr(54, 3), "\x0C\x0B\x0A");
  EXPECT_EQ(f.substr(63, 3), std::string(3, '\0'));  // row padding
  EXPECT_EQ(f.substr(66, 3), "\x03\x02\x01");
}

TEST(PlatformBitmap, BmpRoundTripIsPixelExact) {
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {2, 3}, {3, 2}, {5, 7}, {64, 33}, {0, 0}}) {
    const TBitmap src = TestPattern(w, h);
    const std::string path = TempPath("rt_" + std::to_string(w) + "x" + std::to_string(h) + ".bmp");
    src.SaveToBMP(path);
    TBitmap back(9, 9);
    ASSERT_TRUE(back.LoadFromBMP(path)) << w << "x" << h;
    ExpectSamePixels(back, src);
  }
}

// A 2 x 2 32-bit BMP stored top-down (negative height) with a 108-byte info header.
std::string TopDown32BitBmp() {
  std::string f(14 + 108 + 16, '\0');
  f[0] = 'B';
  f[1] = 'M';
  PutU32At(f, 2, static_cast<std::uint32_t>(f.size()));
  PutU32At(f, 10, 14 + 108);
  PutU32At(f, 14, 108);
  PutU32At(f, 18, 2);
  PutU32At(f, 22, static_cast<std::uint32_t>(-2));
  PutU32At(f, 26, 1u | (32u << 16));
  const unsigned char px[16] = {1, 2, 3, 0xFF, 4, 5, 6, 0xFF, 7, 8, 9, 0, 10, 11, 12, 0};
  f.replace(122, 16, reinterpret_cast<const char*>(px), 16);
  return f;
}

TEST(PlatformBitmap, BitmapWithoutPixelsSavesAsZeroByZero) {
  const std::string path = TempPath("empty.bmp");
  TBitmap(0, 5).SaveToBMP(path);
  EXPECT_EQ(ReadFile(path).size(), 54u);
  TBitmap back(3, 3);
  ASSERT_TRUE(back.LoadFromBMP(path));
  EXPECT_EQ(back.Width(), 0);
  EXPECT_EQ(back.Height(), 0);
}

TEST(PlatformBitmap, Loads32BitTopDownBmp) {
  const std::string path = TempPath("td32.bmp");
  WriteFile(path, TopDown32BitBmp());
  TBitmap bmp;
  ASSERT_TRUE(bmp.LoadFromBMP(path));
  ASSERT_EQ(bmp.Width(), 2);
  ASSERT_EQ(bmp.Height(), 2);
  EXPECT_EQ(bmp.Pixel(0, 0), 0x010203u);
  EXPECT_EQ(bmp.Pixel(1, 0), 0x040506u);
  EXPECT_EQ(bmp.Pixel(0, 1), 0x070809u);
  EXPECT_EQ(bmp.Pixel(1, 1), 0x0A0B0Cu);
}

TEST(PlatformBitmap, TruncatedBmpIsRefused) {
  const std::string path = TempPath("trunc_src.bmp");
  TestPattern(5, 4).SaveToBMP(path);
  const std::string full = ReadFile(path);
  const std::string cut = TempPath("trunc.bmp");
  const TBitmap before = TestPattern(2, 2);
  for (std::size_t n = 0; n < full.size(); ++n) {
    WriteFile(cut, full.substr(0, n));
    TBitmap bmp = before;
    EXPECT_FALSE(bmp.LoadFromBMP(cut)) << n << " bytes";
    ExpectSamePixels(bmp, before);  // unchanged on failure
  }
  WriteFile(cut, full);
  TBitmap bmp;
  EXPECT_TRUE(bmp.LoadFromBMP(cut));
}

TEST(PlatformBitmap, MalformedBmpIsRefused) {
  const std::string path = TempPath("good.bmp");
  TestPattern(4, 3).SaveToBMP(path);
  const std::string good = ReadFile(path);
  const std::string bad = TempPath("bad.bmp");
  auto refused = [&](std::size_t at, std::uint32_t value) {
    std::string f = good;
    PutU32At(f, at, value);
    WriteFile(bad, f);
    TBitmap bmp;
    return !bmp.LoadFromBMP(bad);
  };
  EXPECT_FALSE(refused(0, U32At(good, 0)));                          // the untouched file loads
  EXPECT_TRUE(refused(0, 0x4D41u | (U32At(good, 0) & 0xFFFF0000u)));  // "AM"
  EXPECT_TRUE(refused(18, 0x7FFFFFFFu));                             // absurd width, small file
  EXPECT_TRUE(refused(22, 0x7FFFFFFFu));                             // absurd height
  EXPECT_TRUE(refused(18, 0xFFFFFFFFu));                             // negative width
  EXPECT_TRUE(refused(22, 0x80000000u));                             // height that cannot be negated
  EXPECT_TRUE(refused(22, 0));                                       // no rows, yet a width
  EXPECT_TRUE(refused(10, 0xFFFFFFF0u));                             // pixel offset beyond the file
  EXPECT_TRUE(refused(10, 20));                                      // pixels inside the header
  EXPECT_TRUE(refused(14, 12));                                      // old core header
  EXPECT_TRUE(refused(14, 0x10000u));                                // absurd header size
  EXPECT_TRUE(refused(26, 1u | (8u << 16)));                         // palette image
  EXPECT_TRUE(refused(26, 2u | (24u << 16)));                        // two planes
  EXPECT_TRUE(refused(30, 1));                                       // RLE compressed
  EXPECT_TRUE(refused(30, 3));                                       // bit fields

  TBitmap bmp;
  EXPECT_FALSE(bmp.LoadFromBMP(TempPath("missing.bmp")));
  EXPECT_FALSE(bmp.LoadFromBMP(test::TempDir().string()));
}

TEST(PlatformBitmap, RandomlyDamagedHeadersNeverCrash) {
  const std::string path = TempPath("fuzz_src.bmp");
  TestPattern(7, 5).SaveToBMP(path);
  const std::string good = ReadFile(path);
  const std::string bad = TempPath("fuzz.bmp");
  SetRandSeed(2024);
  for (int round = 0; round < 300; ++round) {
    std::string f = good;
    const int flips = 1 + Random(4);
    for (int k = 0; k < flips; ++k) {
      f[static_cast<std::size_t>(Random(54))] = static_cast<char>(Random(256));
    }
    WriteFile(bad, f);
    TBitmap bmp;
    if (bmp.LoadFromBMP(bad)) {
      // Whatever loads fits the file: at least 3 bytes per pixel are present.
      EXPECT_LE(static_cast<std::uint64_t>(bmp.Width()) * static_cast<std::uint64_t>(bmp.Height()) * 3,
                f.size());
    }
  }
}

TEST(PlatformBitmap, SavingToUnopenablePathsRaises) {
  const TBitmap bmp = TestPattern(2, 2);
  const std::string dir = test::TempDir().string();
  const std::string missing = TempPath("no_dir/a.img");
  EXPECT_EQ(InOutMessage([&] { bmp.SaveToBMP(dir); }), "Cannot open file \"" + dir + "\"");
  EXPECT_EQ(InOutMessage([&] { bmp.SaveToBMP(missing); }), "Cannot open file \"" + missing + "\"");
  EXPECT_EQ(InOutMessage([&] { bmp.SaveToPNG(missing); }), "Cannot open file \"" + missing + "\"");
  EXPECT_EQ(InOutMessage([&] { bmp.SaveToJPEG(missing); }), "Cannot open file \"" + missing + "\"");
}

// Reads an 8-bit RGB PNG with libpng into a bitmap; false on any libpng error.
bool ReadPngWithLibpng(const std::string& path, TBitmap& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    return false;
  }
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  const png_uint_32 w = png_get_image_width(png, info);
  const png_uint_32 h = png_get_image_height(png, info);
  const bool rgb8 = png_get_color_type(png, info) == PNG_COLOR_TYPE_RGB && png_get_bit_depth(png, info) == 8;
  png_bytepp rows = png_get_rows(png, info);
  if (rgb8) {
    out.SetSize(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h));
    for (png_uint_32 y = 0; y < h; ++y) {
      for (png_uint_32 x = 0; x < w; ++x) {
        const png_bytep p = rows[y] + 3 * x;
        out.SetPixel(static_cast<std::int32_t>(x), static_cast<std::int32_t>(y),
                     static_cast<TColor>(p[0]) | (static_cast<TColor>(p[1]) << 8) | (static_cast<TColor>(p[2]) << 16));
      }
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
  return rgb8;
}

TEST(PlatformBitmap, PngRoundTripThroughLibpng) {
  const TBitmap src = TestPattern(37, 21);
  const std::string path = TempPath("pattern.png");
  src.SaveToPNG(path);
  const std::string f = ReadFile(path);
  ASSERT_GE(f.size(), 8u);
  EXPECT_EQ(f.substr(0, 8), "\x89PNG\r\n\x1A\n");
  TBitmap back;
  ASSERT_TRUE(ReadPngWithLibpng(path, back));
  ExpectSamePixels(back, src);
}

TEST(PlatformBitmap, PngAndJpegErrorsRaiseAndLeaveNoFile) {
  const TBitmap empty;
  const std::string png = TempPath("empty.png");
  const std::string jpg = TempPath("empty.jpg");
  EXPECT_EQ(InOutMessage([&] { empty.SaveToPNG(png); }), "Cannot write file \"" + png + "\": the bitmap is empty");
  EXPECT_EQ(InOutMessage([&] { empty.SaveToJPEG(jpg); }), "Cannot write file \"" + jpg + "\": the bitmap is empty");
  EXPECT_FALSE(std::filesystem::exists(png));
  EXPECT_FALSE(std::filesystem::exists(jpg));
  // Wider than libpng and libjpeg accept: their errors come back through longjmp,
  // the partial file is removed and nothing leaks (checked by the sanitizer build).
  const TBitmap wide(1000001, 1);
  const std::string pngMsg = InOutMessage([&] { wide.SaveToPNG(png); });
  EXPECT_EQ(pngMsg.rfind("Cannot write file \"" + png + "\": ", 0), 0u) << pngMsg;
  EXPECT_GT(pngMsg.size(), png.size() + 21) << "libpng's reason is missing";
  const std::string jpgMsg = InOutMessage([&] { wide.SaveToJPEG(jpg); });
  EXPECT_EQ(jpgMsg.rfind("Cannot write file \"" + jpg + "\": ", 0), 0u) << jpgMsg;
  EXPECT_GT(jpgMsg.size(), jpg.size() + 21) << "libjpeg's reason is missing";
  EXPECT_FALSE(std::filesystem::exists(png));
  EXPECT_FALSE(std::filesystem::exists(jpg));
}

TEST(PlatformBitmap, JpegSignatureAndQuality) {
  const TBitmap src = TestPattern(64, 48);
  const std::string lo = TempPath("q10.jpg");
  const std::string hi = TempPath("q100.jpg");
  src.SaveToJPEG(lo, 10);
  src.SaveToJPEG(hi, 100);
  const std::string a = ReadFile(lo);
  const std::string b = ReadFile(hi);
  ASSERT_GE(a.size(), 4u);
  EXPECT_EQ(a.substr(0, 3), "\xFF\xD8\xFF");
  EXPECT_EQ(a.substr(a.size() - 2), "\xFF\xD9");
  EXPECT_GT(b.size(), a.size());
  // Out-of-range qualities are clamped to 1..100.
  const std::string clamped = TempPath("q1000.jpg");
  src.SaveToJPEG(clamped, 1000);
  EXPECT_EQ(ReadFile(clamped), b);
  EXPECT_NO_THROW(src.SaveToJPEG(TempPath("q0.jpg"), 0));
}

TEST(PlatformClipboard, TextAndBitmap) {
  TClipboard& cb = Clipboard();
  EXPECT_EQ(&cb, &Clipboard());
  cb.Clear();
  EXPECT_FALSE(cb.HasText());
  EXPECT_FALSE(cb.HasBitmap());
  EXPECT_EQ(cb.Text(), "");
  cb.SetText("");
  EXPECT_TRUE(cb.HasText());  // empty text is still text
  cb.SetText("1\t2\r\n");
  EXPECT_EQ(cb.Text(), "1\t2\r\n");

  TBitmap dest = TestPattern(2, 2);
  EXPECT_FALSE(cb.GetBitmap(dest));
  ExpectSamePixels(dest, TestPattern(2, 2));  // unchanged

  TBitmap src = TestPattern(6, 4);
  cb.SetBitmap(src);
  src.Fill(0);  // the clipboard holds its own copy
  EXPECT_TRUE(cb.HasBitmap());
  EXPECT_TRUE(cb.HasText());  // text and bitmap are held side by side
  ASSERT_TRUE(cb.GetBitmap(dest));
  ExpectSamePixels(dest, TestPattern(6, 4));

  cb.Clear();
  EXPECT_FALSE(cb.HasText());
  EXPECT_FALSE(cb.HasBitmap());
}

TEST(PlatformClipboard, ConcurrentUse) {
  TClipboard cb;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&cb, t] {
      TBitmap mine(3, 3);
      mine.Fill(static_cast<TColor>(t));
      TBitmap seen;
      for (int i = 0; i < 500; ++i) {
        cb.SetText(std::string(16, static_cast<char>('a' + t)));
        const std::string s = cb.Text();
        EXPECT_EQ(s.size(), 16u);
        EXPECT_EQ(s.find_first_not_of(s[0]), std::string::npos);  // never a torn write
        cb.SetBitmap(mine);
        ASSERT_TRUE(cb.GetBitmap(seen));
        EXPECT_EQ(seen.Width(), 3);
      }
    });
  }
  for (auto& th : threads) {
    th.join();
  }
}

}  // namespace
}  // namespace qmx
