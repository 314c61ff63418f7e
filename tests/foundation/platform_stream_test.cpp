// Byte streams: memory and file streams, the buffer helpers, copying, and FileExists.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "qmx/foundation/platform.hpp"
#include "tests/test_util.hpp"

namespace qmx {
namespace {

using test::ReadFile;
using test::TempPath;
using test::WriteFile;

std::string Contents(const TMemoryStream& ms) {
  return {reinterpret_cast<const char*>(ms.Memory()), static_cast<std::size_t>(ms.Size())};
}

// Bytes 0, 1, ..., 250, 0, 1, ...: a pattern whose period is not a power of two.
std::vector<std::uint8_t> Pattern(std::size_t n) {
  std::vector<std::uint8_t> v(n);
  for (std::size_t i = 0; i < n; ++i) {
    v[i] = static_cast<std::uint8_t>(i % 251);
  }
  return v;
}

template <class F>
void ExpectInOutError(F&& f, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "no EInOutError, expected: " << message;
  } catch (const EInOutError& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

TEST(PlatformMemoryStream, WriteReadRoundTripAndPositions) {
  TMemoryStream ms;
  EXPECT_EQ(ms.ClassName(), "TMemoryStream");
  const std::int32_t i = -123456;
  const double d = 2.5e-300;
  ms.WriteBuffer(&i, sizeof i);
  ms.WriteBuffer(&d, sizeof d);
  EXPECT_EQ(ms.Size(), 12);
  EXPECT_EQ(ms.Position(), 12);
  ms.SetPosition(0);
  std::int32_t i2 = 0;
  double d2 = 0;
  ms.ReadBuffer(&i2, sizeof i2);
  ms.ReadBuffer(&d2, sizeof d2);
  EXPECT_EQ(i2, i);
  EXPECT_EQ(d2, d);
  // Overwrite in the middle keeps the size.
  ms.SetPosition(2);
  ms.WriteBuffer("xy", 2);
  EXPECT_EQ(ms.Size(), 12);
  EXPECT_EQ(ms.Position(), 4);
}

TEST(PlatformMemoryStream, ReadingPastTheEnd) {
  TMemoryStream ms;
  ms.WriteBuffer("abcde", 5);
  ms.SetPosition(3);
  char buf[8] = {};
  EXPECT_EQ(ms.Read(buf, 8), 2);
  EXPECT_EQ(std::string(buf, 2), "de");
  EXPECT_EQ(ms.Read(buf, 8), 0);
  EXPECT_EQ(ms.Read(buf, -1), 0);
  ms.SetPosition(3);
  ExpectInOutError([&] { ms.ReadBuffer(buf, 3); }, "Stream read error");
  ms.Seek(100, TSeekOrigin::soBeginning);
  EXPECT_EQ(ms.Read(buf, 1), 0);
}

TEST(PlatformMemoryStream, SeekClampsAndWritePastEndZeroFills) {
  TMemoryStream ms;
  ms.WriteBuffer("abc", 3);
  EXPECT_EQ(ms.Seek(-5, TSeekOrigin::soBeginning), 0);
  EXPECT_EQ(ms.Seek(2, TSeekOrigin::soCurrent), 2);
  EXPECT_EQ(ms.Seek(-10, TSeekOrigin::soCurrent), 0);
  EXPECT_EQ(ms.Seek(-1, TSeekOrigin::soEnd), 2);
  EXPECT_EQ(ms.Seek(-100, TSeekOrigin::soEnd), 0);
  EXPECT_EQ(ms.Seek(INT64_MAX, TSeekOrigin::soEnd), INT64_MAX);  // saturates, no overflow
  EXPECT_EQ(ms.Write("z", 1), 0);                                 // nothing fits there
  EXPECT_EQ(ms.Size(), 3);
  EXPECT_EQ(ms.Seek(4, TSeekOrigin::soEnd), 7);
  EXPECT_EQ(ms.Size(), 3);  // seeking alone does not grow
  ms.WriteBuffer("Z", 1);
  EXPECT_EQ(Contents(ms), std::string("abc\0\0\0\0Z", 8));
}

TEST(PlatformMemoryStream, SetSizeAndClear) {
  TMemoryStream ms;
  ms.WriteBuffer("abcdef", 6);
  ms.SetSize(2);
  EXPECT_EQ(ms.Position(), 2);  // moved back to the new end
  EXPECT_EQ(Contents(ms), "ab");
  ms.SetSize(4);
  EXPECT_EQ(Contents(ms), std::string("ab\0\0", 4));
  EXPECT_EQ(ms.Position(), 2);
  ms.SetSize(-3);
  EXPECT_EQ(ms.Size(), 0);
  ms.WriteBuffer("q", 1);
  ms.Clear();
  EXPECT_EQ(ms.Size(), 0);
  EXPECT_EQ(ms.Position(), 0);
}

TEST(PlatformMemoryStream, CopyFrom) {
  const auto bytes = Pattern(200000);  // several copy chunks
  TMemoryStream src;
  src.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  TMemoryStream dst;
  dst.WriteBuffer("head", 4);
  EXPECT_EQ(dst.CopyFrom(&src, 0), 200000);  // 0: everything, from the start
  ASSERT_EQ(dst.Size(), 200004);
  EXPECT_EQ(std::memcmp(dst.Memory() + 4, bytes.data(), bytes.size()), 0);

  src.SetPosition(10);
  TMemoryStream part;
  EXPECT_EQ(part.CopyFrom(&src, 5), 5);
  EXPECT_EQ(std::memcmp(part.Memory(), bytes.data() + 10, 5), 0);
  EXPECT_EQ(src.Position(), 15);

  src.SetPosition(199990);
  ExpectInOutError([&] { part.CopyFrom(&src, 20); }, "Stream read error");
  EXPECT_EQ(part.CopyFrom(nullptr, 0), 0);
  EXPECT_EQ(part.CopyFrom(&src, -1), 0);
}

TEST(PlatformMemoryStream, FileRoundTrip) {
  const std::string path = TempPath("ms_roundtrip.bin");
  const auto bytes = Pattern(70000);
  TMemoryStream ms;
  ms.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  ms.SaveToFile(path);
  EXPECT_EQ(ReadFile(path), std::string(bytes.begin(), bytes.end()));

  TMemoryStream back;
  back.WriteBuffer("old", 3);
  back.LoadFromFile(path);
  EXPECT_EQ(back.Position(), 0);
  ASSERT_EQ(back.Size(), 70000);
  EXPECT_EQ(std::memcmp(back.Memory(), bytes.data(), bytes.size()), 0);

  // A failed load leaves the contents as they were.
  const std::string missing = TempPath("no_such_file.bin");
  ExpectInOutError([&] { back.LoadFromFile(missing); }, "Cannot open file \"" + missing + "\"");
  EXPECT_EQ(back.Size(), 70000);
  const std::string badDir = TempPath("missing_dir/x.bin");
  ExpectInOutError([&] { back.SaveToFile(badDir); }, "Cannot open file \"" + badDir + "\"");
}

TEST(PlatformFileStream, CannotOpen) {
  const std::string missing = TempPath("absent.dat");
  const std::string dir = test::TempDir().string();
  const std::string inMissingFolder = TempPath("nowhere/file.dat");
  ExpectInOutError([&] { TFileStream f(missing, TFileMode::fmOpenRead); }, "Cannot open file \"" + missing + "\"");
  ExpectInOutError([&] { TFileStream f(missing, TFileMode::fmOpenWrite); }, "Cannot open file \"" + missing + "\"");
  ExpectInOutError([&] { TFileStream f(dir, TFileMode::fmOpenRead); }, "Cannot open file \"" + dir + "\"");
  ExpectInOutError([&] { TFileStream f(dir, TFileMode::fmCreate); }, "Cannot open file \"" + dir + "\"");
  ExpectInOutError([&] { TFileStream f(inMissingFolder, TFileMode::fmCreate); },
                   "Cannot open file \"" + inMissingFolder + "\"");
  EXPECT_FALSE(FileExists(missing));
}

TEST(PlatformFileStream, ReadWriteSeekAndSize) {
  const std::string path = TempPath("fs_rw.dat");
  {
    TFileStream f(path, TFileMode::fmCreate);
    EXPECT_EQ(f.ClassName(), "TFileStream");
    EXPECT_EQ(f.FileName(), path);
    f.WriteBuffer("0123456789", 10);
    EXPECT_EQ(f.Size(), 10);  // counts bytes still buffered
    EXPECT_EQ(f.Position(), 10);
    // Read after write and write after read on the same stream.
    f.SetPosition(2);
    char two[2];
    f.ReadBuffer(two, 2);
    EXPECT_EQ(std::string(two, 2), "23");
    f.WriteBuffer("ab", 2);  // at position 4
    f.ReadBuffer(two, 2);
    EXPECT_EQ(std::string(two, 2), "67");
    EXPECT_EQ(f.Seek(-3, TSeekOrigin::soEnd), 7);
    EXPECT_EQ(f.Seek(-100, TSeekOrigin::soCurrent), 0);
    // A write past the end leaves a zero-filled gap.
    EXPECT_EQ(f.Seek(2, TSeekOrigin::soEnd), 12);
    f.WriteBuffer("Z", 1);
    EXPECT_EQ(f.Size(), 13);
    char rest[4];
    EXPECT_EQ(f.Read(rest, 4), 0);
  }
  EXPECT_TRUE(FileExists(path));
  EXPECT_EQ(ReadFile(path), std::string("0123ab6789\0\0Z", 13));
}

TEST(PlatformFileStream, OpenModes) {
  const std::string path = TempPath("fs_modes.dat");
  WriteFile(path, "abcdef");
  {
    TFileStream f(path, TFileMode::fmOpenWrite);  // does not truncate
    EXPECT_EQ(f.Size(), 6);
    f.WriteBuffer("XY", 2);
    char c;
    EXPECT_EQ(f.Read(&c, 1), 0);  // write only
  }
  EXPECT_EQ(ReadFile(path), "XYcdef");
  {
    TFileStream f(path, TFileMode::fmOpenRead);
    char buf[6];
    f.ReadBuffer(buf, 6);
    EXPECT_EQ(std::string(buf, 6), "XYcdef");
    ExpectInOutError([&] { f.ReadBuffer(buf, 1); }, "Stream read error");
    ExpectInOutError([&] { f.WriteBuffer("q", 1); }, "Stream write error");
  }
  {
    TFileStream f(path, TFileMode::fmOpenReadWrite);
    f.Seek(0, TSeekOrigin::soEnd);
    f.WriteBuffer("gh", 2);
    f.SetSize(4);
    EXPECT_EQ(f.Position(), 4);
    f.SetSize(5);
    EXPECT_EQ(f.Size(), 5);
  }
  EXPECT_EQ(ReadFile(path), std::string("XYcd\0", 5));
  {
    TFileStream f(path, TFileMode::fmCreate);  // truncates
    EXPECT_EQ(f.Size(), 0);
  }
  EXPECT_EQ(ReadFile(path), "");
}

TEST(PlatformFileStream, CopyBetweenFileAndMemory) {
  const std::string path = TempPath("fs_copy.dat");
  const auto bytes = Pattern(150001);
  TMemoryStream ms;
  ms.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  {
    TFileStream f(path, TFileMode::fmCreate);
    EXPECT_EQ(f.CopyFrom(&ms, 0), 150001);
  }
  TFileStream f(path, TFileMode::fmOpenRead);
  TMemoryStream back;
  EXPECT_EQ(back.CopyFrom(&f, 0), 150001);
  ASSERT_EQ(back.Size(), 150001);
  EXPECT_EQ(std::memcmp(back.Memory(), bytes.data(), bytes.size()), 0);
}

TEST(PlatformFileStream, FullDiskIsAWriteError) {
  if (!std::filesystem::exists("/dev/full")) {
    GTEST_SKIP() << "no /dev/full";
  }
  TMemoryStream ms;
  ms.SetSize(100000);  // larger than the file buffer, so the write itself fails
  ExpectInOutError([&] { ms.SaveToFile("/dev/full"); }, "Stream write error");
  ms.SetSize(10);  // stays in the buffer; the final flush reports it
  ExpectInOutError([&] { ms.SaveToFile("/dev/full"); }, "Stream write error");
}

TEST(PlatformFileExists, RegularFilesOnly) {
  const std::string path = TempPath("exists.txt");
  WriteFile(path, "x");
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(FileExists(test::TempDir().string()));
  EXPECT_FALSE(FileExists(TempPath("not_there.txt")));
  EXPECT_FALSE(FileExists(""));
}

}  // namespace
}  // namespace qmx
