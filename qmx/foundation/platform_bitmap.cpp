// TBitmap: pixel storage, our own BMP writer and reader, PNG through libpng and
// JPEG through libjpeg.
#include <sys/stat.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

#include <jpeglib.h>
#include <png.h>

#include "qmx/foundation/platform.hpp"

namespace qmx {

namespace {

constexpr TColor kRgbMask = 0x00FFFFFFu;
constexpr std::uint32_t kBmpFileHeaderSize = 14;
constexpr std::uint32_t kBmpInfoHeaderSize = 40;
constexpr std::uint32_t kBmpPixelsPerMetre = 2835;  // 72 dpi
constexpr std::size_t kErrorTextSize = 256;

std::uint8_t RedOf(TColor c) { return static_cast<std::uint8_t>(c & 0xFFu); }
std::uint8_t GreenOf(TColor c) { return static_cast<std::uint8_t>((c >> 8) & 0xFFu); }
std::uint8_t BlueOf(TColor c) { return static_cast<std::uint8_t>((c >> 16) & 0xFFu); }
TColor ColorOf(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}

// ---- files ---------------------------------------------------------------------

struct TFileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFilePtr = std::unique_ptr<std::FILE, TFileCloser>;

[[noreturn]] void RaiseCannotOpen(const std::string& name) {
  throw EInOutError("Cannot open file \"" + name + "\"");
}

TFilePtr CreateForWriting(const std::string& name) {
  TFilePtr f(std::fopen(name.c_str(), "wb"));
  if (!f) {
    RaiseCannotOpen(name);
  }
  return f;
}

// Closes a file written by one of the savers; a failed write or close removes the
// incomplete file and raises EInOutError with the given reason.
void FinishWriting(TFilePtr f, const std::string& name, bool ok, const std::string& reason) {
  std::FILE* raw = f.release();
  ok = (std::fflush(raw) == 0) && ok;
  ok = (std::fclose(raw) == 0) && ok;
  if (!ok) {
    struct stat st {};
    if (::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      std::remove(name.c_str());  // never a device such as /dev/full
    }
    throw EInOutError("Cannot write file \"" + name + "\"" + (reason.empty() ? "" : ": " + reason));
  }
}

// PNG and JPEG have no empty pictures; refused before the file is created.
void RaiseIfEmpty(bool empty, const std::string& name) {
  if (empty) {
    throw EInOutError("Cannot write file \"" + name + "\": the bitmap is empty");
  }
}

// ---- little-endian fields ------------------------------------------------------------

void PutU16(std::uint8_t*& p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v & 0xFFu);
  p[1] = static_cast<std::uint8_t>((v >> 8) & 0xFFu);
  p += 2;
}
void PutU32(std::uint8_t*& p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    p[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFFu);
  }
  p += 4;
}
std::uint32_t GetU16(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8);
}
std::uint32_t GetU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t GetI32(const std::uint8_t* p) {
  const std::uint32_t u = GetU32(p);
  std::int32_t v = 0;
  std::memcpy(&v, &u, sizeof v);  // two's complement reinterpretation
  return v;
}

// Bytes of one BMP pixel row: bitsPerPixel * width bits rounded up to whole 32-bit words.
std::uint64_t BmpStride(std::uint64_t width, std::uint32_t bitsPerPixel) {
  return (width * bitsPerPixel + 31u) / 32u * 4u;
}

// ---- PNG -------------------------------------------------------------------------------
// libpng reports errors by longjmp.  The frame that calls setjmp holds only trivially
// destructible locals, so jumping back into it skips no destructor.

struct TPngJob {
  std::FILE* file;
  const TColor* pixels;
  png_uint_32 width;
  png_uint_32 height;
  png_bytep row;  // 3 * width bytes, provided by the caller
  char message[kErrorTextSize];
};

void PngError(png_structp png, png_const_charp msg) {
  auto* job = static_cast<TPngJob*>(png_get_error_ptr(png));
  std::snprintf(job->message, sizeof job->message, "%s", msg != nullptr ? msg : "libpng error");
  png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

bool RunPngWrite(TPngJob& job) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, PngError, PngWarning);
  if (png == nullptr) {
    std::snprintf(job.message, sizeof job.message, "%s", "out of memory");
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    std::snprintf(job.message, sizeof job.message, "%s", "out of memory");
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, job.file);
  png_set_IHDR(png, info, job.width, job.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (png_uint_32 y = 0; y < job.height; ++y) {
    const TColor* src = job.pixels + static_cast<std::size_t>(y) * job.width;
    png_bytep dst = job.row;
    for (png_uint_32 x = 0; x < job.width; ++x) {
      dst[0] = RedOf(src[x]);
      dst[1] = GreenOf(src[x]);
      dst[2] = BlueOf(src[x]);
      dst += 3;
    }
    png_write_row(png, job.row);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

// ---- JPEG ------------------------------------------------------------------------------

struct TJpegErrorMgr {
  jpeg_error_mgr base;  // first member: libjpeg sees a pointer to it
  std::jmp_buf jump;
  char message[kErrorTextSize];
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TJpegErrorMgr*>(cinfo->err);
  char text[JMSG_LENGTH_MAX] = {};
  (*cinfo->err->format_message)(cinfo, text);
  std::snprintf(err->message, sizeof err->message, "%s", text);
  std::longjmp(err->jump, 1);
}

void JpegOutputMessage(j_common_ptr) {}

struct TJpegJob {
  std::FILE* file;
  const TColor* pixels;
  JDIMENSION width;
  JDIMENSION height;
  int quality;
  JSAMPLE* row;  // 3 * width samples, provided by the caller
  char message[kErrorTextSize];
};

bool RunJpegWrite(TJpegJob& job) {
  jpeg_compress_struct cinfo;
  TJpegErrorMgr err;
  std::memset(&cinfo, 0, sizeof cinfo);
  std::memset(&err, 0, sizeof err);
  cinfo.err = jpeg_std_error(&err.base);
  err.base.error_exit = JpegErrorExit;
  err.base.output_message = JpegOutputMessage;
  if (setjmp(err.jump)) {
    std::snprintf(job.message, sizeof job.message, "%s", err.message);
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, job.file);
  cinfo.image_width = job.width;
  cinfo.image_height = job.height;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, job.quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const TColor* src = job.pixels + static_cast<std::size_t>(cinfo.next_scanline) * job.width;
    JSAMPLE* dst = job.row;
    for (JDIMENSION x = 0; x < job.width; ++x) {
      dst[0] = RedOf(src[x]);
      dst[1] = GreenOf(src[x]);
      dst[2] = BlueOf(src[x]);
      dst += 3;
    }
    JSAMPROW rows[1] = {job.row};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

// ---- pixels --------------------------------------------------------------------------------

TBitmap::TBitmap(std::int32_t Width, std::int32_t Height) { SetSize(Width, Height); }

std::string_view TBitmap::ClassName() const { return "TBitmap"; }

void TBitmap::Assign(const TPersistent* Source) {
  if (const auto* src = dynamic_cast<const TBitmap*>(Source)) {
    if (src != this) {
      pixels_ = src->pixels_;
      width_ = src->width_;
      height_ = src->height_;
    }
    return;
  }
  TPersistent::Assign(Source);
}

void TBitmap::SetSize(std::int32_t Width, std::int32_t Height) {
  Width = std::max(Width, 0);
  Height = std::max(Height, 0);
  const std::uint64_t count = static_cast<std::uint64_t>(Width) * static_cast<std::uint64_t>(Height);
  std::vector<TColor> fresh;
  if (count > fresh.max_size()) {
    throw std::bad_alloc();
  }
  fresh.assign(static_cast<std::size_t>(count), 0);
  pixels_.swap(fresh);
  width_ = Width;
  height_ = Height;
}

TColor TBitmap::Pixel(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return 0;
  }
  return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

void TBitmap::SetPixel(std::int32_t x, std::int32_t y, TColor Color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) {
    return;
  }
  pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] =
      Color & kRgbMask;
}

void TBitmap::Fill(TColor Color) { std::fill(pixels_.begin(), pixels_.end(), Color & kRgbMask); }

// ---- BMP -------------------------------------------------------------------------------------

void TBitmap::SaveToBMP(const std::string& FileName) const {
  // A bitmap without pixels is written as 0 x 0, whatever its one nonzero side.
  const bool empty = pixels_.empty();
  const std::int32_t width = empty ? 0 : width_;
  const std::int32_t height = empty ? 0 : height_;
  const std::uint64_t stride = BmpStride(static_cast<std::uint64_t>(width), 24);
  const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(height);
  const std::uint64_t offset = kBmpFileHeaderSize + kBmpInfoHeaderSize;
  if (offset + imageSize > std::numeric_limits<std::uint32_t>::max()) {
    throw EInOutError("Cannot write file \"" + FileName + "\": bitmap too large for BMP");
  }

  std::uint8_t header[kBmpFileHeaderSize + kBmpInfoHeaderSize];
  std::uint8_t* p = header;
  *p++ = 'B';
  *p++ = 'M';
  PutU32(p, static_cast<std::uint32_t>(offset + imageSize));  // file size
  PutU16(p, 0);                                                // reserved
  PutU16(p, 0);
  PutU32(p, static_cast<std::uint32_t>(offset));               // pixel data offset
  PutU32(p, kBmpInfoHeaderSize);
  PutU32(p, static_cast<std::uint32_t>(width));
  PutU32(p, static_cast<std::uint32_t>(height));  // positive: bottom-up rows
  PutU16(p, 1);                                     // planes
  PutU16(p, 24);                                    // bits per pixel
  PutU32(p, 0);                                     // BI_RGB, uncompressed
  PutU32(p, static_cast<std::uint32_t>(imageSize));
  PutU32(p, kBmpPixelsPerMetre);
  PutU32(p, kBmpPixelsPerMetre);
  PutU32(p, 0);  // colours used
  PutU32(p, 0);  // important colours

  TFilePtr f = CreateForWriting(FileName);
  bool ok = std::fwrite(header, 1, sizeof header, f.get()) == sizeof header;
  std::vector<std::uint8_t> row(static_cast<std::size_t>(stride), 0);  // padding stays 0
  for (std::int32_t y = height - 1; ok && y >= 0; --y) {
    const TColor* src = pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    std::uint8_t* dst = row.data();
    for (std::int32_t x = 0; x < width; ++x) {
      dst[0] = BlueOf(src[x]);
      dst[1] = GreenOf(src[x]);
      dst[2] = RedOf(src[x]);
      dst += 3;
    }
    ok = std::fwrite(row.data(), 1, row.size(), f.get()) == row.size();
  }
  FinishWriting(std::move(f), FileName, ok, "");
}

bool TBitmap::LoadFromBMP(const std::string& FileName) {
  TFilePtr f(std::fopen(FileName.c_str(), "rb"));
  if (!f) {
    return false;
  }
  struct stat st {};
  if (::fstat(::fileno(f.get()), &st) != 0 || !S_ISREG(st.st_mode)) {
    return false;
  }
  const auto fileSize = static_cast<std::uint64_t>(st.st_size);

  // File header and the start of the info header (its size and the fields we use).
  std::uint8_t h[kBmpFileHeaderSize + kBmpInfoHeaderSize];
  if (fileSize < sizeof h || std::fread(h, 1, sizeof h, f.get()) != sizeof h) {
    return false;
  }
  if (h[0] != 'B' || h[1] != 'M') {
    return false;
  }
  const std::uint32_t dataOffset = GetU32(h + 10);
  const std::uint32_t infoSize = GetU32(h + 14);
  const std::int32_t width = GetI32(h + 18);
  const std::int32_t height = GetI32(h + 22);
  const std::uint32_t planes = GetU16(h + 26);
  const std::uint32_t bits = GetU16(h + 28);
  const std::uint32_t compression = GetU32(h + 30);

  // BITMAPINFOHEADER and its later extensions (52, 56, 108, 124 bytes).
  if (infoSize < kBmpInfoHeaderSize || infoSize > 124) {
    return false;
  }
  if (planes != 1 || (bits != 24 && bits != 32) || compression != 0) {
    return false;
  }
  // A negative height marks top-down rows; negative widths and the height
  // that cannot be negated are refused.
  if (width < 0 || height == std::numeric_limits<std::int32_t>::min()) {
    return false;
  }
  const bool topDown = height < 0;
  const std::int32_t rows = topDown ? -height : height;
  if ((width == 0) != (rows == 0)) {
    return false;  // no pixels, yet one side claims a size: only 0 x 0 is an empty picture
  }
  const std::uint64_t stride = BmpStride(static_cast<std::uint64_t>(width), bits);
  const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(rows);  // < 2^33 * 2^31: no overflow
  if (dataOffset < kBmpFileHeaderSize + infoSize || dataOffset > fileSize ||
      imageSize > fileSize - dataOffset) {
    return false;  // the pixels the header promises are not in the file
  }

  // Every size is now bounded by the file length.
  std::vector<std::uint8_t> data(static_cast<std::size_t>(imageSize));
  if (std::fseek(f.get(), static_cast<long>(dataOffset), SEEK_SET) != 0 ||
      std::fread(data.data(), 1, data.size(), f.get()) != data.size()) {
    return false;
  }
  TBitmap loaded(width, rows);
  const std::size_t bytesPerPixel = bits / 8;
  for (std::int32_t r = 0; r < rows; ++r) {
    const std::int32_t y = topDown ? r : rows - 1 - r;
    const std::uint8_t* src = data.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(stride);
    TColor* dst = loaded.pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    for (std::int32_t x = 0; x < width; ++x) {
      dst[x] = ColorOf(src[2], src[1], src[0]);  // stored as blue, green, red (, unused)
      src += bytesPerPixel;
    }
  }
  width_ = loaded.width_;
  height_ = loaded.height_;
  pixels_.swap(loaded.pixels_);
  return true;
}

// ---- PNG and JPEG ----------------------------------------------------------------------------

void TBitmap::SaveToPNG(const std::string& FileName) const {
  RaiseIfEmpty(pixels_.empty(), FileName);
  std::vector<png_byte> row(static_cast<std::size_t>(width_) * 3u);
  TFilePtr f = CreateForWriting(FileName);
  TPngJob job{};
  job.file = f.get();
  job.pixels = pixels_.data();
  job.width = static_cast<png_uint_32>(width_);
  job.height = static_cast<png_uint_32>(height_);
  job.row = row.data();
  const bool ok = RunPngWrite(job);
  FinishWriting(std::move(f), FileName, ok, ok ? "" : job.message);
}

void TBitmap::SaveToJPEG(const std::string& FileName, int Quality) const {
  RaiseIfEmpty(pixels_.empty(), FileName);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(width_) * 3u);
  TFilePtr f = CreateForWriting(FileName);
  TJpegJob job{};
  job.file = f.get();
  job.pixels = pixels_.data();
  job.width = static_cast<JDIMENSION>(width_);
  job.height = static_cast<JDIMENSION>(height_);
  job.quality = std::clamp(Quality, 1, 100);
  job.row = row.data();
  const bool ok = RunJpegWrite(job);
  FinishWriting(std::move(f), FileName, ok, ok ? "" : job.message);
}

}  // namespace qmx
