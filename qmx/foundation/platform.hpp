#pragma once
/// \file
/// The platform layer: the object and component model, the exception hierarchy,
/// the process-wide random generator, byte streams, text files, bitmaps and the
/// in-process clipboard.  Everything else in the library rests on these.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qmx {

/// 80-bit extended float (x86-64 `long double`).
using Extended = long double;

// ---------------------------------------------------------------------------
// Exceptions
// ---------------------------------------------------------------------------

/// Base class of every exception the library raises; `what()` is the exact message.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& msg) : std::runtime_error(msg) {}
};
/// Arithmetic errors of scalar functions.
class EMathError : public Exception { using Exception::Exception; };
/// A conversion that cannot be made (also the default `Assign`/`AssignTo`).
class EConvertError : public Exception { using Exception::Exception; };
/// Input/output failures of files and streams.
class EInOutError : public Exception { using Exception::Exception; };
/// Errors of the straight-line class.
class EQMXSLineError : public Exception { using Exception::Exception; };
/// Base of the library's own per-unit error classes.
class EQMXError : public Exception { using Exception::Exception; };
class EQMXMath1Error : public EQMXError { using EQMXError::EQMXError; };
class EQMXComplexError : public EQMXError { using EQMXError::EQMXError; };
class EQMXVectorError : public EQMXError { using EQMXError::EQMXError; };
class EQMXMatrixError : public EQMXError { using EQMXError::EQMXError; };
class EQMXDataTableError : public EQMXError { using EQMXError::EQMXError; };
class EQMXStatisError : public EQMXError { using EQMXError::EQMXError; };
class EQMXMath2Error : public EQMXError { using EQMXError::EQMXError; };
class EQMXMathExp : public EQMXError { using EQMXError::EQMXError; };
class EQMXFourierError : public EQMXError { using EQMXError::EQMXError; };
class EQMXWaveletError : public EQMXError { using EQMXError::EQMXError; };

// ---------------------------------------------------------------------------
// Object and component model
// ---------------------------------------------------------------------------

/// Root of the class hierarchy; gives every object a virtual destructor and a class name.
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject();
  /// The class name, for messages and diagnostics ("TObject", "TMatrix", ...).
  virtual std::string_view ClassName() const;
};

/// An object that can copy its state from another object (`Assign`).
class TPersistent : public TObject {
 public:
  std::string_view ClassName() const override;
  /// Copies the state of Source into this object.  The default hands over to
  /// `Source->AssignTo(this)`; a nil Source raises `EConvertError`.
  virtual void Assign(const TPersistent* Source);

 protected:
  /// Copies this object into Dest.  The default raises `EConvertError`
  /// ("Cannot assign a <source class> to a <dest class>").
  virtual void AssignTo(TPersistent* Dest) const;
  /// Lets a derived class call a peer's protected `AssignTo`.
  static void CallAssignTo(const TPersistent* Source, TPersistent* Dest) { Source->AssignTo(Dest); }
};

/// A persistent object with an owner and a name.  The owner destroys the
/// components it owns; a component destroyed first leaves its owner's list.
/// Components are neither copyable nor movable: copy with `Assign`/`Clone`.
class TComponent : public TPersistent {
 public:
  explicit TComponent(TComponent* AOwner = nullptr);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;
  TComponent(TComponent&&) = delete;
  TComponent& operator=(TComponent&&) = delete;

  std::string_view ClassName() const override;
  TComponent* Owner() const { return owner_; }
  const std::string& Name() const { return name_; }
  void SetName(std::string AName) { name_ = std::move(AName); }
  /// Number of components this one owns, and the i-th of them (0-based).
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int i) const;

 private:
  void InsertComponent(TComponent* c);
  void RemoveComponent(TComponent* c);

  TComponent* owner_ = nullptr;
  std::string name_;
  std::vector<TComponent*> components_;
};

// ---------------------------------------------------------------------------
// Process-wide uniform and Gaussian random generator
// ---------------------------------------------------------------------------

/// Uniform deviate in [0, 1).  One process-wide generator (behind a mutex);
/// the same seed gives the same sequence on every platform.
double Random();
/// Uniform integer in 0 .. range-1 (0 if range <= 0).
std::int32_t Random(std::int32_t range);
/// Restarts the process-wide generator at a fixed seed.
void SetRandSeed(std::uint64_t seed);
/// Reseeds the process-wide generator from the clock.
void Randomize();
/// Normal deviate with the given mean and standard deviation.
double RandG(double mean, double sd);

// ---------------------------------------------------------------------------
// Byte streams
// ---------------------------------------------------------------------------

enum class TSeekOrigin : std::uint8_t { soBeginning, soCurrent, soEnd };

/// A sequential byte stream with a position and a size.
class TStream : public TObject {
 public:
  std::string_view ClassName() const override;
  /// Reads up to count bytes into buffer; returns the number read (0 at the end).
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  /// Writes count bytes; returns the number written.
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  /// Moves the position; returns the new position.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual std::int64_t Size() const = 0;
  virtual void SetSize(std::int64_t newSize) = 0;

  std::int64_t Position() const;
  void SetPosition(std::int64_t pos);
  /// Reads exactly count bytes or raises `EInOutError` ("Stream read error").
  void ReadBuffer(void* buffer, std::int64_t count);
  /// Writes exactly count bytes or raises `EInOutError` ("Stream write error").
  void WriteBuffer(const void* buffer, std::int64_t count);
  /// Copies count bytes from Source (count = 0: all of Source from its start); returns the count.
  /// A nil Source or a negative count copies nothing and returns 0; a short Source
  /// raises `EInOutError` ("Stream read error").
  std::int64_t CopyFrom(TStream* Source, std::int64_t count);
};

/// A stream held in memory.
class TMemoryStream : public TStream {
 public:
  std::string_view ClassName() const override;
  std::int64_t Read(void* buffer, std::int64_t count) override;
  /// Writes at the position, growing the stream; a gap left by seeking past the
  /// end is filled with zeros.  Returns 0 when the memory cannot be had.
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  /// The new position is clamped to >= 0 (and saturates instead of overflowing);
  /// positions past the end are allowed.
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() const override { return static_cast<std::int64_t>(data_.size()); }
  /// Negative sizes count as 0; new bytes are zero; a position beyond the new end
  /// moves back to it.  Raises `EInOutError` ("Out of memory while expanding memory
  /// stream") when the memory cannot be had.
  void SetSize(std::int64_t newSize) override;
  /// Empties the stream.
  void Clear();
  /// The bytes of the stream (valid until the next size change).
  std::uint8_t* Memory() { return data_.data(); }
  const std::uint8_t* Memory() const { return data_.data(); }
  /// Replaces the contents with the file's bytes and sets the position to 0; raises
  /// `EInOutError` if it cannot be read (the contents then stay as they were).
  void LoadFromFile(const std::string& FileName);
  /// Writes the whole contents to a file; raises `EInOutError` on failure.
  void SaveToFile(const std::string& FileName) const;

 private:
  std::vector<std::uint8_t> data_;
  std::int64_t pos_ = 0;
};

/// Open modes of `TFileStream`.
enum class TFileMode : std::uint8_t {
  fmCreate,        ///< create or truncate, read and write
  fmOpenRead,      ///< existing file, read only
  fmOpenWrite,     ///< existing file, write only
  fmOpenReadWrite  ///< existing file, read and write
};

/// A stream on a file; the file is closed by the destructor.  Directories cannot be
/// opened; `fmOpenWrite` and `fmOpenReadWrite` keep the contents; seeks clamp to >= 0,
/// and a write past the end leaves a zero-filled gap.
class TFileStream : public TStream {
 public:
  /// Opens the file; raises `EInOutError` ("Cannot open file \"<name>\"") on failure.
  TFileStream(const std::string& FileName, TFileMode Mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::string_view ClassName() const override;
  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() const override;
  /// Truncates or extends (with zeros) the file; the position is kept, or moved back
  /// to the new end.  Raises `EInOutError` if the size cannot be changed.
  void SetSize(std::int64_t newSize) override;
  const std::string& FileName() const { return fileName_; }
  /// Hands buffered bytes to the operating system; raises `EInOutError`
  /// ("Stream write error") when that fails (disk full, ...).
  void Flush();

 private:
  static constexpr std::uint8_t kOpRead = 1;
  static constexpr std::uint8_t kOpWrite = 2;
  /// Inserts the positioning call that the C library needs between reads and writes.
  void PrepareFor(std::uint8_t op);

  std::FILE* file_ = nullptr;
  std::string fileName_;
  std::uint8_t lastOp_ = 0;  ///< 0 none, kOpRead or kOpWrite: the last transfer on file_
};

/// True if a regular file of that name exists (false for directories and devices).
bool FileExists(const std::string& FileName);

// ---------------------------------------------------------------------------
// Text files
// ---------------------------------------------------------------------------

/// A text file (or a text view of a stream or string) read by lines, words or
/// characters, and written by lines ended with CR LF.  Reading accepts LF and
/// CR LF line ends; a lone CR is an ordinary character of its line.  Bytes are
/// passed through unchanged (no encoding conversion, no byte-order-mark handling).
/// Files and streams are read in 64 KiB chunks.  Opened and closed within one call
/// of its user (RAII).
class TTextFile {
 public:
  TTextFile();
  ~TTextFile();
  TTextFile(const TTextFile&) = delete;
  TTextFile& operator=(const TTextFile&) = delete;

  /// Opens an existing file for reading; false if it cannot be opened.
  bool OpenRead(const std::string& FileName);
  /// Creates (or truncates) a file for writing; false if it cannot be created.
  bool OpenWrite(const std::string& FileName);
  /// Opens a file for appending (creates it if missing); false on failure.
  bool OpenAppend(const std::string& FileName);
  /// Reads the remaining bytes of a stream (from its position) as text.
  /// The stream is not owned; nil gives false.  The stream is read ahead in
  /// chunks, so its position runs ahead of the text consumed.
  bool OpenReadStream(TStream* Stream);
  /// Writes into a stream at its position, overwriting what follows; every write goes
  /// straight to the stream.  The stream is not owned; nil gives false.
  bool OpenWriteStream(TStream* Stream);
  /// Reads from a string held in memory.
  void OpenReadString(std::string Text);
  /// Flushes and closes; safe to call when closed.
  void Close();
  bool IsOpen() const;
  /// True when no character is left to read (also when not open for reading).
  bool Eof();

  /// Reads the next line without its line end; false at the end of the text.
  bool ReadLine(std::string& Line);
  /// Reads one character (line ends are returned as they are); false at the end.
  bool ReadChar(char& Ch);
  /// Looks at the next character without consuming it; false at the end.
  bool PeekChar(char& Ch);
  /// Skips blanks, tabs and line ends (CR, LF), then reads the next run of other
  /// characters; the separator that ends the word stays unread.  False if the end
  /// is reached before a word starts.
  bool ReadWord(std::string& Word);
  /// Reads the next word and converts it as a decimal number ("." separator,
  /// locale-independent, one leading '+' allowed); false at the end or when the
  /// whole word is not a finite number ("inf", "nan", overflow, trailing junk),
  /// leaving Value unchanged.  The word is consumed either way.  A value too small
  /// for a double (1e-400) reads as a signed zero.
  bool ReadNumber(double& Value);
  /// Reads the next word as a decimal integer (one leading '+' allowed); false as
  /// for `ReadNumber`, also on overflow of 64 bits.
  bool ReadInteger(std::int64_t& Value);

  /// Writes text as it is.
  void Write(std::string_view Text);
  /// Writes text followed by CR LF.
  void WriteLn(std::string_view Text = {});
  /// False once a write has failed (disk full, closed file, writing a text opened
  /// for reading, ...).  Opening resets it.  File output is buffered, so a failure
  /// may show only when the buffer is written, at the latest by `Close`; the state
  /// stays readable after `Close`.
  bool WriteOk() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// ---------------------------------------------------------------------------
// Bitmaps and the clipboard
// ---------------------------------------------------------------------------

/// A colour as 0x00BBGGRR.
using TColor = std::uint32_t;

/// A 24-bit RGB picture saved as BMP, PNG or JPEG.  Pixels hold 0x00BBGGRR; the
/// unused top byte of a colour written is dropped.  A save that fails after the
/// file was created removes the incomplete file and raises `EInOutError`
/// ("Cannot write file \"<name>\": <reason>"); a file that cannot be created
/// raises "Cannot open file \"<name>\"".
class TBitmap : public TPersistent {
 public:
  TBitmap() = default;
  TBitmap(std::int32_t Width, std::int32_t Height);
  std::string_view ClassName() const override;
  void Assign(const TPersistent* Source) override;

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  /// Resizes to Width x Height pixels, all black; negative sizes count as 0.
  /// Raises `std::bad_alloc` (bitmap unchanged) when the memory cannot be had.
  void SetSize(std::int32_t Width, std::int32_t Height);
  /// Pixel (x, y), (0, 0) top left; outside the picture reads 0 and writes are ignored.
  TColor Pixel(std::int32_t x, std::int32_t y) const;
  void SetPixel(std::int32_t x, std::int32_t y, TColor Color);
  /// Fills every pixel.
  void Fill(TColor Color);

  /// Saves as an uncompressed bottom-up 24-bit BMP (rows padded to 4 bytes, 72 dpi);
  /// a bitmap without pixels is written as 0 x 0.  Raises `EInOutError` on failure.
  void SaveToBMP(const std::string& FileName) const;
  /// Saves as 8-bit RGB PNG (libpng); raises `EInOutError` on failure, also for a
  /// bitmap without pixels ("...: the bitmap is empty", no file created) or sizes
  /// libpng refuses (wider or higher than 1,000,000 pixels).
  void SaveToPNG(const std::string& FileName) const;
  /// Saves as JPEG with Quality 1..100 (clamped into that range; libjpeg); raises
  /// `EInOutError` on failure, also for a bitmap without pixels or sides above 65500.
  void SaveToJPEG(const std::string& FileName, int Quality = 90) const;
  /// Reads a 24-bit or 32-bit uncompressed BMP (such as `SaveToBMP` writes) with a
  /// 40- to 124-byte info header, bottom-up or top-down (negative height); the
  /// fourth byte of 32-bit pixels is ignored.  False, with the bitmap unchanged,
  /// on a missing or malformed file: compressed or palette images, negative widths,
  /// one side 0 and the other not, and headers promising more pixel bytes than the
  /// file holds.
  bool LoadFromBMP(const std::string& FileName);

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::vector<TColor> pixels_;
};

/// The process-wide in-memory clipboard: text and a bitmap, held side by side
/// (setting one keeps the other).  Safe to use from several threads.
class TClipboard {
 public:
  /// Holds a copy of Text (empty text counts as text held).
  void SetText(std::string Text);
  /// The text held, empty if none.
  std::string Text() const;
  bool HasText() const;
  /// Holds a copy of Bitmap.
  void SetBitmap(const TBitmap& Bitmap);
  /// Copies the held bitmap into Dest; false (Dest unchanged) if none is held.
  bool GetBitmap(TBitmap& Dest) const;
  bool HasBitmap() const;
  /// Drops the text and the bitmap.
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::string text_;
  bool hasText_ = false;
  std::unique_ptr<TBitmap> bitmap_;
};

/// The process-wide clipboard.
TClipboard& Clipboard();

}  // namespace qmx
