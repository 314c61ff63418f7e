#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "qmx/foundation/basepack.hpp"
#include "test_util.hpp"

namespace qmx {
namespace {

using XLimits = std::numeric_limits<Extended>;

bool SameExtended(Extended a, Extended b) {
  if (std::isnan(a) || std::isnan(b)) {
    return std::isnan(a) && std::isnan(b);
  }
  return a == b && std::signbit(a) == std::signbit(b);
}

std::vector<Extended> ExtremeExtendeds() {
  return {0.0L,
          -0.0L,
          1.0L,
          -1.5L,
          3.141592653589793238462643383279502884L,
          XLimits::max(),
          -XLimits::max(),
          XLimits::min(),
          XLimits::denorm_min(),
          -XLimits::denorm_min(),
          XLimits::min() / 3.0L,
          XLimits::infinity(),
          -XLimits::infinity(),
          XLimits::quiet_NaN(),
          static_cast<Extended>(DBL_MAX),
          static_cast<Extended>(std::numeric_limits<double>::denorm_min()),
          9223372036854775807.0L,
          1e-4000L,
          123456789.0L};
}

TEST(BasepackStreamIO, LongintRoundTripAndLayout) {
  TMemoryStream ms;
  const std::int32_t values[] = {0, 1, -1, 123456789, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()};
  for (const std::int32_t v : values) {
    EXPECT_TRUE(WriteLongintToStream(&ms, v));
  }
  ASSERT_EQ(ms.Size(), 24);
  // Little-endian: 1 is 01 00 00 00, -1 is FF FF FF FF.
  EXPECT_EQ(ms.Memory()[4], 1);
  EXPECT_EQ(ms.Memory()[5], 0);
  EXPECT_EQ(ms.Memory()[8], 0xFF);
  ms.SetPosition(0);
  for (const std::int32_t v : values) {
    std::int32_t back = 7;
    EXPECT_TRUE(ReadLongintFromStream(&ms, back));
    EXPECT_EQ(back, v);
  }
  std::int32_t back = 7;
  EXPECT_FALSE(ReadLongintFromStream(&ms, back));
  EXPECT_EQ(back, 0);
}

TEST(BasepackStreamIO, ExtendedRoundTripOfExtremes) {
  TMemoryStream ms;
  const auto values = ExtremeExtendeds();
  for (const Extended v : values) {
    EXPECT_TRUE(WriteExtendedToStream(&ms, v));
  }
  EXPECT_EQ(ms.Size(), static_cast<std::int64_t>(values.size()) * 10);
  ms.SetPosition(0);
  for (const Extended v : values) {
    Extended back = 0;
    EXPECT_TRUE(ReadExtendedFromStream(&ms, back));
    EXPECT_TRUE(SameExtended(back, v)) << static_cast<double>(v);
  }
}

TEST(BasepackStreamIO, ExtendedByteLayoutIsX87LittleEndian) {
  TMemoryStream ms;
  ASSERT_TRUE(WriteExtendedToStream(&ms, 1.0L));
  ASSERT_TRUE(WriteExtendedToStream(&ms, -2.0L));
  const std::uint8_t one[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F};
  const std::uint8_t minusTwo[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0};
  EXPECT_EQ(std::memcmp(ms.Memory(), one, 10), 0);
  EXPECT_EQ(std::memcmp(ms.Memory() + 10, minusTwo, 10), 0);
}

TEST(BasepackStreamIO, PortableCodecAgreesWithNativeOne) {
  std::mt19937_64 gen(7);
  auto values = ExtremeExtendeds();
  for (int i = 0; i < 2000; ++i) {
    const std::uint64_t bits = gen();
    const int e = static_cast<int>(gen() % 32000) - 16000;
    values.push_back(std::ldexp(static_cast<Extended>(bits | 1u), e) * ((bits & 2u) != 0 ? -1 : 1));
  }
  for (const Extended v : values) {
    std::uint8_t native[10];
    std::uint8_t portable[10];
    detail::PackExtended80(v, native);
    detail::PackExtended80Portable(v, portable);
    if (!std::isnan(v)) {
      EXPECT_EQ(std::memcmp(native, portable, 10), 0) << static_cast<double>(v);
    }
    Extended a = 0;
    Extended b = 0;
    EXPECT_TRUE(detail::UnpackExtended80(native, a));
    EXPECT_TRUE(detail::UnpackExtended80Portable(native, b));
    EXPECT_TRUE(SameExtended(a, v));
    EXPECT_TRUE(SameExtended(b, v));
  }
}

TEST(BasepackStreamIO, InvalidX87EncodingsFail) {
  // An unnormal: exponent 1, integer bit clear.
  const std::uint8_t unnormal[10] = {0, 0, 0, 0, 0, 0, 0, 0x40, 0x01, 0x00};
  // A pseudo-infinity: maximal exponent, integer bit clear.
  const std::uint8_t pseudoInf[10] = {0, 0, 0, 0, 0, 0, 0, 0x00, 0xFF, 0x7F};
  for (const auto* bytes : {unnormal, pseudoInf}) {
    TMemoryStream ms;
    ms.WriteBuffer(bytes, 10);
    ms.SetPosition(0);
    Extended v = 1;
    EXPECT_FALSE(ReadExtendedFromStream(&ms, v));
    EXPECT_TRUE(std::isnan(v));
    EXPECT_EQ(ms.Position(), 10);  // consumed
  }
  // A pseudo-denormal (exponent 0, integer bit set) is a valid operand.
  const std::uint8_t pseudoDenormal[10] = {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x00};
  Extended v = 0;
  EXPECT_TRUE(detail::UnpackExtended80(pseudoDenormal, v));
  EXPECT_EQ(v, XLimits::min());
  EXPECT_TRUE(detail::UnpackExtended80Portable(pseudoDenormal, v));
  EXPECT_EQ(v, XLimits::min());
}

TEST(BasepackStreamIO, TruncatedStreamsAndNilFailWithoutMoving) {
  EXPECT_FALSE(WriteLongintToStream(nullptr, 1));
  EXPECT_FALSE(WriteExtendedToStream(nullptr, 1));
  std::int32_t i = 5;
  Extended x = 5;
  EXPECT_FALSE(ReadLongintFromStream(nullptr, i));
  EXPECT_FALSE(ReadExtendedFromStream(nullptr, x));
  for (int len = 0; len < 10; ++len) {
    TMemoryStream ms;
    ASSERT_TRUE(WriteExtendedToStream(&ms, 2.5L));
    ms.SetSize(len);
    ms.SetPosition(0);
    EXPECT_FALSE(ReadExtendedFromStream(&ms, x)) << len;
    EXPECT_EQ(x, 0.0L);
    EXPECT_EQ(ms.Position(), 0);
    if (len < 4) {
      EXPECT_FALSE(ReadLongintFromStream(&ms, i));
      EXPECT_EQ(ms.Position(), 0);
    }
  }
  // Reading from a position beyond the end.
  TMemoryStream ms;
  ASSERT_TRUE(WriteLongintToStream(&ms, 3));
  ms.SetPosition(100);
  EXPECT_FALSE(ReadLongintFromStream(&ms, i));
}

TEST(BasepackStreamIO, FileStreamRoundTrip) {
  const std::string path = test::TempPath("basepack_streamio.bin");
  {
    TFileStream fs(path, TFileMode::fmCreate);
    EXPECT_TRUE(WriteLongintToStream(&fs, -42));
    EXPECT_TRUE(WriteExtendedToStream(&fs, -XLimits::denorm_min()));
  }
  TFileStream fs(path, TFileMode::fmOpenRead);
  EXPECT_EQ(fs.Size(), 14);
  std::int32_t i = 0;
  Extended x = 0;
  EXPECT_TRUE(ReadLongintFromStream(&fs, i));
  EXPECT_TRUE(ReadExtendedFromStream(&fs, x));
  EXPECT_EQ(i, -42);
  EXPECT_TRUE(SameExtended(x, -XLimits::denorm_min()));
  EXPECT_FALSE(ReadLongintFromStream(&fs, i));
  EXPECT_FALSE(WriteLongintToStream(&fs, 1));  // read-only
}

}  // namespace
}  // namespace qmx
