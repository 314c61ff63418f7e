#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>

#include "qmx/foundation/basepack.hpp"
#include "test_util.hpp"

namespace qmx {
namespace {

using DLimits = std::numeric_limits<double>;

TEST(BasepackMixedFStream, CountedLinesAndValuesRoundTrip) {
  const std::string path = test::TempPath("mixed_roundtrip.bin");
  const double doubles[] = {0.0, -0.0, 1.5, DLimits::max(), DLimits::lowest(), DLimits::min(), DLimits::denorm_min(),
                            DLimits::infinity(), -DLimits::infinity(), DLimits::quiet_NaN(),
                            std::bit_cast<double>(std::uint64_t{0x7FF0000000000123u})};  // NaN with payload
  const std::int32_t ints[] = {0, -1, 10, 13, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max()};
  {
    TMixedFStream f(path, TMixedFMode::mfmCreate);
    f.WriteInteger(26);
    f.WriteLn("TMemBasedLearner/ModelDesk");
    f.WriteLn("");
    for (const std::int32_t v : ints) {
      f.WriteInteger(v);
    }
    for (const double v : doubles) {
      f.WriteDouble(v);
    }
    f.WriteByte(10);  // a line-feed byte right after a line must not confuse ReadLn
    f.WriteLn("after\tbyte");
    f.WriteByte(13);
    f.WriteByte(255);
  }
  TMixedFStream f(path, TMixedFMode::mfmRead);
  std::int32_t n = 0;
  std::string line;
  ASSERT_TRUE(f.ReadInteger(n));
  EXPECT_EQ(n, 26);
  ASSERT_TRUE(f.ReadLn(line, n));
  EXPECT_EQ(line, "TMemBasedLearner/ModelDesk");
  ASSERT_TRUE(f.ReadLn(line, 100));
  EXPECT_EQ(line, "");
  for (const std::int32_t v : ints) {
    std::int32_t back = 0;
    ASSERT_TRUE(f.ReadInteger(back));
    EXPECT_EQ(back, v);
  }
  for (const double v : doubles) {
    double back = 0;
    ASSERT_TRUE(f.ReadDouble(back));
    EXPECT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(v));
  }
  std::uint8_t b = 0;
  ASSERT_TRUE(f.ReadByte(b));
  EXPECT_EQ(b, 10);
  ASSERT_TRUE(f.ReadLn(line, 100));
  EXPECT_EQ(line, "after\tbyte");
  ASSERT_TRUE(f.ReadByte(b));
  EXPECT_EQ(b, 13);
  ASSERT_TRUE(f.ReadByte(b));
  EXPECT_EQ(b, 255);
  EXPECT_TRUE(f.Eof());
  EXPECT_FALSE(f.ReadByte(b));
  EXPECT_FALSE(f.ReadLn(line, 10));
}

TEST(BasepackMixedFStream, ByteLayout) {
  const std::string path = test::TempPath("mixed_layout.bin");
  {
    TMixedFStream f(path, TMixedFMode::mfmCreate);
    f.WriteLn("a\nb\rc");
    f.WriteInteger(0x01020304);
    f.WriteDouble(1.0);
    f.WriteByte(0xAB);
  }
  const std::string bytes = test::ReadFile(path);
  const std::string expected = std::string("a b c\r\n") + std::string("\x04\x03\x02\x01", 4) +
                               std::string("\0\0\0\0\0\0\xF0\x3F", 8) + "\xAB";
  EXPECT_EQ(bytes, expected);
  TMixedFStream f(path, TMixedFMode::mfmRead);
  std::string line;
  ASSERT_TRUE(f.ReadLn(line, 100));
  EXPECT_EQ(line, "a b c");  // line ends inside the text became blanks
}

TEST(BasepackMixedFStream, ReadLnLimitsLengthAndAcceptsPlainLf) {
  const std::string path = test::TempPath("mixed_lines.txt");
  test::WriteFile(path, "0123456789\nshort\r\nlast");
  TMixedFStream f(path, TMixedFMode::mfmRead);
  std::string line;
  ASSERT_TRUE(f.ReadLn(line, 4));
  EXPECT_EQ(line, "0123");  // the rest of the line is skipped
  ASSERT_TRUE(f.ReadLn(line, -3));
  EXPECT_EQ(line, "");
  ASSERT_TRUE(f.ReadLn(line, 100));
  EXPECT_EQ(line, "last");  // no line end
  EXPECT_FALSE(f.ReadLn(line, 100));
}

TEST(BasepackMixedFStream, TruncatedValuesFail) {
  const std::string path = test::TempPath("mixed_trunc.bin");
  test::WriteFile(path, std::string("\x01\x02\x03", 3));
  {
    TMixedFStream f(path, TMixedFMode::mfmRead);
    std::int32_t i = 9;
    EXPECT_FALSE(f.ReadInteger(i));
    EXPECT_EQ(i, 0);
    EXPECT_TRUE(f.Eof());
  }
  {
    TMixedFStream f(path, TMixedFMode::mfmRead);
    double d = 9;
    std::uint8_t b = 0;
    EXPECT_TRUE(f.ReadByte(b));
    EXPECT_FALSE(f.ReadDouble(d));
    EXPECT_EQ(d, 0.0);
  }
}

TEST(BasepackMixedFStream, AppendAndOpenErrors) {
  const std::string path = test::TempPath("mixed_append.bin");
  {
    TMixedFStream f(path, TMixedFMode::mfmAppend);  // created
    f.WriteInteger(1);
  }
  {
    TMixedFStream f(path, TMixedFMode::mfmAppend);
    EXPECT_EQ(f.Position(), 4);
    f.WriteInteger(2);
  }
  TMixedFStream f(path, TMixedFMode::mfmRead);
  EXPECT_EQ(f.Size(), 8);
  std::int32_t a = 0;
  std::int32_t b = 0;
  EXPECT_TRUE(f.ReadInteger(a));
  EXPECT_TRUE(f.ReadInteger(b));
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_THROW(f.WriteByte(1), EInOutError);
  EXPECT_THROW(TMixedFStream(test::TempPath("missing/none.bin"), TMixedFMode::mfmRead), EInOutError);
  EXPECT_THROW(TMixedFStream(test::TempPath("missing/none.bin"), TMixedFMode::mfmCreate), EInOutError);
}

}  // namespace
}  // namespace qmx
