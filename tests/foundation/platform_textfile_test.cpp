// TTextFile: CR LF writing, line/word/number reading from files, streams and strings.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <locale>
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

std::vector<std::string> AllLines(TTextFile& tf) {
  std::vector<std::string> lines;
  std::string line;
  while (tf.ReadLine(line)) {
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> LinesOfString(std::string text) {
  TTextFile tf;
  tf.OpenReadString(std::move(text));
  return AllLines(tf);
}

using Lines = std::vector<std::string>;

TEST(PlatformTextFile, WriteLnUsesCrLfAndReadsBack) {
  const std::string path = TempPath("lines.txt");
  TTextFile tf;
  ASSERT_TRUE(tf.OpenWrite(path));
  EXPECT_TRUE(tf.IsOpen());
  tf.Write("alpha ");
  tf.WriteLn("beta");
  tf.WriteLn();
  tf.WriteLn("gamma\tdelta");
  tf.Write("tail");
  EXPECT_TRUE(tf.WriteOk());
  tf.Close();
  EXPECT_FALSE(tf.IsOpen());
  EXPECT_TRUE(tf.WriteOk());
  EXPECT_EQ(ReadFile(path), "alpha beta\r\n\r\ngamma\tdelta\r\ntail");

  ASSERT_TRUE(tf.OpenRead(path));
  EXPECT_EQ(AllLines(tf), (Lines{"alpha beta", "", "gamma\tdelta", "tail"}));
  EXPECT_TRUE(tf.Eof());

  ASSERT_TRUE(tf.OpenAppend(path));
  tf.WriteLn("!");
  tf.Close();
  EXPECT_EQ(ReadFile(path), "alpha beta\r\n\r\ngamma\tdelta\r\ntail!\r\n");
}

TEST(PlatformTextFile, LineEnds) {
  EXPECT_EQ(LinesOfString(""), Lines{});
  EXPECT_EQ(LinesOfString("\n"), Lines{""});
  EXPECT_EQ(LinesOfString("a\nb\r\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(LinesOfString("a\r\n\r\n"), (Lines{"a", ""}));
  // A lone CR is an ordinary character, also at the very end.
  EXPECT_EQ(LinesOfString("a\rb\r\r\nc\r"), (Lines{"a\rb\r", "c\r"}));
  EXPECT_EQ(LinesOfString(std::string("x\0y\n", 4)), Lines{std::string("x\0y", 3)});
}

TEST(PlatformTextFile, LinesAcrossReadChunks) {
  // A line longer than the read chunk, then a CR LF split across two chunks.
  const std::string longLine(200000, 'q');
  const std::string split(65535, 'a');
  const std::string text = split + "\r\n" + longLine + "\nlast";
  const std::string path = TempPath("chunks.txt");
  WriteFile(path, text);
  const Lines expected{split, longLine, "last"};

  TTextFile tf;
  ASSERT_TRUE(tf.OpenRead(path));
  EXPECT_EQ(AllLines(tf), expected);

  TMemoryStream ms;
  ms.WriteBuffer(text.data(), static_cast<std::int64_t>(text.size()));
  ms.SetPosition(0);
  ASSERT_TRUE(tf.OpenReadStream(&ms));
  EXPECT_EQ(AllLines(tf), expected);
}

TEST(PlatformTextFile, CharsAndPeek) {
  TTextFile tf;
  tf.OpenReadString("a\r\nb");
  char c = 0;
  EXPECT_FALSE(tf.Eof());
  ASSERT_TRUE(tf.PeekChar(c));
  EXPECT_EQ(c, 'a');
  ASSERT_TRUE(tf.ReadChar(c));
  EXPECT_EQ(c, 'a');
  ASSERT_TRUE(tf.ReadChar(c));
  EXPECT_EQ(c, '\r');
  ASSERT_TRUE(tf.ReadChar(c));
  EXPECT_EQ(c, '\n');
  ASSERT_TRUE(tf.ReadChar(c));
  EXPECT_EQ(c, 'b');
  EXPECT_TRUE(tf.Eof());
  EXPECT_FALSE(tf.ReadChar(c));
  EXPECT_FALSE(tf.PeekChar(c));
}

TEST(PlatformTextFile, WordsStopBeforeTheirSeparator) {
  TTextFile tf;
  tf.OpenReadString("  one\ttwo\r\n\n  three rest of line\nnext");
  std::string w;
  ASSERT_TRUE(tf.ReadWord(w));
  EXPECT_EQ(w, "one");
  ASSERT_TRUE(tf.ReadWord(w));
  EXPECT_EQ(w, "two");
  ASSERT_TRUE(tf.ReadWord(w));
  EXPECT_EQ(w, "three");
  ASSERT_TRUE(tf.ReadLine(w));
  EXPECT_EQ(w, " rest of line");
  ASSERT_TRUE(tf.ReadWord(w));
  EXPECT_EQ(w, "next");
  EXPECT_FALSE(tf.ReadWord(w));
  EXPECT_EQ(w, "");

  tf.OpenReadString(" \t\r\n ");
  EXPECT_FALSE(tf.ReadWord(w));
}

TEST(PlatformTextFile, NumbersAndIntegers) {
  TTextFile tf;
  tf.OpenReadString("1.5 +2.25 -3e2 .5 1,5 12abc nan inf 1e999 0x10 +-1 7");
  double v = 0;
  ASSERT_TRUE(tf.ReadNumber(v));
  EXPECT_EQ(v, 1.5);
  ASSERT_TRUE(tf.ReadNumber(v));
  EXPECT_EQ(v, 2.25);
  ASSERT_TRUE(tf.ReadNumber(v));
  EXPECT_EQ(v, -300.0);
  ASSERT_TRUE(tf.ReadNumber(v));
  EXPECT_EQ(v, 0.5);
  // Rejected words are consumed and leave Value alone.
  for (const char* bad : {"1,5", "12abc", "nan", "inf", "1e999", "0x10", "+-1"}) {
    v = 42;
    EXPECT_FALSE(tf.ReadNumber(v)) << bad;
    EXPECT_EQ(v, 42) << bad;
  }
  ASSERT_TRUE(tf.ReadNumber(v));
  EXPECT_EQ(v, 7.0);
  EXPECT_FALSE(tf.ReadNumber(v));  // the end

  // Too small for a double: a signed zero; denormals stay as they are.
  tf.OpenReadString("1e-400 -1e-400 4.9e-324");
  ASSERT_TRUE(tf.ReadNumber(v));
  EXPECT_EQ(v, 0.0);
  EXPECT_FALSE(std::signbit(v));
  ASSERT_TRUE(tf.ReadNumber(v));
  EXPECT_EQ(v, 0.0);
  EXPECT_TRUE(std::signbit(v));
  ASSERT_TRUE(tf.ReadNumber(v));
  EXPECT_EQ(v, std::numeric_limits<double>::denorm_min());

  tf.OpenReadString("+42 -7 9223372036854775807 9223372036854775808 3.5 12x + 0");
  std::int64_t i = 0;
  ASSERT_TRUE(tf.ReadInteger(i));
  EXPECT_EQ(i, 42);
  ASSERT_TRUE(tf.ReadInteger(i));
  EXPECT_EQ(i, -7);
  ASSERT_TRUE(tf.ReadInteger(i));
  EXPECT_EQ(i, INT64_MAX);
  EXPECT_FALSE(tf.ReadInteger(i));  // overflow
  EXPECT_FALSE(tf.ReadInteger(i));  // not an integer
  EXPECT_FALSE(tf.ReadInteger(i));
  EXPECT_FALSE(tf.ReadInteger(i));  // a lone sign
  ASSERT_TRUE(tf.ReadInteger(i));
  EXPECT_EQ(i, 0);
  EXPECT_FALSE(tf.ReadInteger(i));
}

// A decimal comma for the C++ global locale.
struct TCommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
};

TEST(PlatformTextFile, NumbersIgnoreTheGlobalCppLocale) {
  const std::locale saved = std::locale::global(std::locale(std::locale::classic(), new TCommaPunct));
  TTextFile tf;
  tf.OpenReadString("1.25 1,25");
  double v = 0;
  const bool first = tf.ReadNumber(v);
  const double got = v;
  const bool second = tf.ReadNumber(v);
  std::locale::global(saved);
  EXPECT_TRUE(first);
  EXPECT_EQ(got, 1.25);
  EXPECT_FALSE(second);
}

TEST(PlatformTextFile, NumbersIgnoreTheCLocale) {
  const char* old = std::setlocale(LC_ALL, nullptr);
  const std::string saved = old != nullptr ? old : "C";
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr && std::setlocale(LC_ALL, "de_DE") == nullptr) {
    GTEST_SKIP() << "no German locale installed";
  }
  TTextFile tf;
  tf.OpenReadString("1.25 1,25");
  double v = 0;
  const bool first = tf.ReadNumber(v);
  const bool second = tf.ReadNumber(v);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_TRUE(first);
  EXPECT_FALSE(second);
  EXPECT_EQ(v, 1.25);
}

TEST(PlatformTextFile, StreamsReadFromAndWriteAtTheirPosition) {
  TMemoryStream ms;
  ms.WriteBuffer("skip|a b\r\nc", 11);
  ms.SetPosition(5);
  TTextFile tf;
  ASSERT_TRUE(tf.OpenReadStream(&ms));
  EXPECT_EQ(AllLines(tf), (Lines{"a b", "c"}));
  tf.Close();

  TMemoryStream out;
  out.WriteBuffer("HEAD", 4);
  ASSERT_TRUE(tf.OpenWriteStream(&out));
  tf.WriteLn("x");
  tf.Write("y");
  EXPECT_TRUE(tf.WriteOk());
  tf.Close();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory()), static_cast<std::size_t>(out.Size())),
            "HEADx\r\ny");
  EXPECT_FALSE(tf.OpenReadStream(nullptr));
  EXPECT_FALSE(tf.OpenWriteStream(nullptr));
  EXPECT_FALSE(tf.IsOpen());
}

TEST(PlatformTextFile, UnopenablePaths) {
  TTextFile tf;
  const std::string dir = test::TempDir().string();
  EXPECT_FALSE(tf.OpenRead(TempPath("missing.txt")));
  EXPECT_FALSE(tf.OpenRead(dir));
  EXPECT_FALSE(tf.OpenWrite(dir));
  EXPECT_FALSE(tf.OpenWrite(TempPath("missing_dir/x.txt")));
  EXPECT_FALSE(tf.OpenAppend(TempPath("missing_dir/x.txt")));
  EXPECT_FALSE(tf.IsOpen());
}

TEST(PlatformTextFile, WrongModeAndClosedFile) {
  TTextFile tf;
  std::string line = "keep";
  char c = 0;
  EXPECT_TRUE(tf.Eof());
  EXPECT_FALSE(tf.ReadLine(line));
  EXPECT_FALSE(tf.ReadChar(c));
  tf.Close();  // harmless when closed
  tf.WriteLn("x");
  EXPECT_FALSE(tf.WriteOk());

  // Reading a file opened for writing fails; writing a string source fails.
  const std::string path = TempPath("mode.txt");
  ASSERT_TRUE(tf.OpenWrite(path));
  EXPECT_TRUE(tf.WriteOk());  // reset by opening
  EXPECT_TRUE(tf.Eof());
  EXPECT_FALSE(tf.ReadLine(line));
  tf.OpenReadString("abc");
  tf.Write("x");
  EXPECT_FALSE(tf.WriteOk());
  ASSERT_TRUE(tf.ReadLine(line));
  EXPECT_EQ(line, "abc");
}

TEST(PlatformTextFile, FullDiskClearsWriteOk) {
  if (!std::filesystem::exists("/dev/full")) {
    GTEST_SKIP() << "no /dev/full";
  }
  TTextFile tf;
  ASSERT_TRUE(tf.OpenWrite("/dev/full"));
  tf.WriteLn("short");  // buffered: the failure shows when the buffer is written
  tf.Close();
  EXPECT_FALSE(tf.WriteOk());
}

}  // namespace
}  // namespace qmx

namespace qmx {
namespace {

// Magnitudes below even the 80-bit range read as signed zeros; huge ones are refused.
TEST(PlatformTextFileNumbers, UnderflowBeyondExtendedRangeReadsAsZero) {
  TTextFile f;
  f.OpenReadString("1e-5000 -2E-99999 0.00001e-400 1e5000 123e-400000000000000000000");
  double v = 1.0;
  ASSERT_TRUE(f.ReadNumber(v));
  EXPECT_EQ(v, 0.0);
  EXPECT_FALSE(std::signbit(v));
  ASSERT_TRUE(f.ReadNumber(v));
  EXPECT_EQ(v, 0.0);
  EXPECT_TRUE(std::signbit(v));
  ASSERT_TRUE(f.ReadNumber(v));
  EXPECT_EQ(v, 0.0);
  EXPECT_FALSE(f.ReadNumber(v));
  ASSERT_TRUE(f.ReadNumber(v));
  EXPECT_EQ(v, 0.0);
}

}  // namespace
}  // namespace qmx
