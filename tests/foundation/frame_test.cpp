#include "qmx/foundation/frame.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "qmx/foundation/basepack.hpp"

namespace qmx {
namespace {

TEST(ComponentMessage, UsesNameOrEmptyQuotes) {
  TComponent unnamed;
  EXPECT_EQ(ComponentMessage(&unnamed, kMsgNotEnoughMemoryOnHeap), "Component \"\": not enough memory on heap");
  TComponent named;
  named.SetName("Mat1");
  EXPECT_EQ(ComponentMessage(&named, kMsgInvalidNumberOfBins), "Component \"Mat1.Histogram\": invalid number of bins");
  EXPECT_EQ(ComponentMessage(nullptr, kMsgMatricesDoNotMatch), "Component \"\": matrices do not match");
  try {
    RaiseComponentError<EQMXMatrixError>(&named, kMsgLayerBeyondRange);
    FAIL() << "no exception";
  } catch (const EQMXError& e) {
    EXPECT_STREQ(e.what(), "Component \"Mat1\": specified layer beyond data range");
  }
}

TEST(CRC32, MatchesTheStandardCheckValue) {
  // The CRC-32 of "123456789" is CBF43926 for the IEEE polynomial.
  std::uint32_t crc = 0xFFFFFFFFu;
  for (char c : std::string("123456789")) {
    crc = CalcNextCRC32(static_cast<std::uint8_t>(c), crc);
  }
  EXPECT_EQ(~crc, 0xCBF43926u);
}

TEST(ContentCRC, ZeroElementGivesOneGroupRepeated) {
  std::vector<double> zero{0.0};
  const std::string s = ContentCRC(zero);
  ASSERT_EQ(s.size(), 64u);
  for (int k = 1; k < 8; ++k) {
    EXPECT_EQ(s.substr(static_cast<std::size_t>(k) * 8, 8), s.substr(0, 8));
  }
  EXPECT_EQ(s.find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(ContentCRC(std::span<const double>{}), "");
}

TEST(ContentCRC, OneChangedElementChangesOnlyItsLanes) {
  std::vector<double> a{1.0, 2.0, 3.0, 4.0};
  std::vector<double> b = a;
  // Flip only the lowest byte of element 2: lanes 1..7 must stay, lane 0 must change.
  std::uint64_t bits;
  std::memcpy(&bits, &b[2], 8);
  bits ^= 0x01;
  std::memcpy(&b[2], &bits, 8);
  const std::string sa = ContentCRC(a);
  const std::string sb = ContentCRC(b);
  EXPECT_NE(sa.substr(0, 8), sb.substr(0, 8));
  EXPECT_EQ(sa.substr(8), sb.substr(8));
}

TEST(ContentCRC, IntegerLanesAndLaneIndependenceOfShape) {
  std::vector<std::int32_t> v{0};
  const std::string s = ContentCRC(v);
  ASSERT_EQ(s.size(), 32u);
  EXPECT_EQ(s.substr(0, 8), s.substr(24, 8));
  // The checksum sees only the element sequence: a lane-wise CRC equals the CRC
  // of the byte column fed through CalcNextCRC32 alone.
  std::vector<std::int32_t> w{0x01020304, 0x05060708};
  std::uint32_t lane0 = 0xFFFFFFFFu;
  lane0 = CalcNextCRC32(0x04, lane0);
  lane0 = CalcNextCRC32(0x08, lane0);
  char expect[9];
  std::snprintf(expect, sizeof expect, "%08X", ~lane0);
  EXPECT_EQ(ContentCRC(w).substr(0, 8), expect);
}

class ProgressTest : public ::testing::Test {
 protected:
  void TearDown() override {
    MathFeedBackProc = nullptr;
    AbortMathProc = false;
  }
};

TEST_F(ProgressTest, CountsReportsAndReadsAbort) {
  ProcStat = 10.0;
  std::vector<double> seen;
  MathFeedBackProc = [&](double v) { seen.push_back(v); };
  EXPECT_FALSE(ProgressStep());
  EXPECT_FALSE(ProgressStep());
  AbortMathProc = true;
  EXPECT_TRUE(ProgressStep());
  EXPECT_EQ(seen, (std::vector<double>{11.0, 12.0, 13.0}));
  EXPECT_DOUBLE_EQ(ProcStat.load(), 13.0);
  ProgressAddFromWorker();
  EXPECT_DOUBLE_EQ(ProcStat.load(), 14.0);
  EXPECT_EQ(seen.size(), 3u);  // workers never report
}

TEST(PercentOf, RoundsAndGuardsZeroTotal) {
  EXPECT_EQ(PercentOf(1, 3), 33);
  EXPECT_EQ(PercentOf(2, 3), 67);
  EXPECT_EQ(PercentOf(5, 0), 0);
}

TEST(PercentOf, NaNAndOverflowStayInRange) {
  constexpr double kMax = std::numeric_limits<double>::max();
  EXPECT_EQ(PercentOf(std::nan(""), 3), 0);
  EXPECT_EQ(PercentOf(5, std::nan("")), 0);
  EXPECT_EQ(PercentOf(HUGE_VAL, HUGE_VAL), 0);
  EXPECT_EQ(PercentOf(1, 5e-324), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(PercentOf(-HUGE_VAL, 1), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(PercentOf(kMax, kMax), 100);  // 100 * done would overflow a double
  EXPECT_EQ(PercentOf(1, HUGE_VAL), 0);
}

}  // namespace
}  // namespace qmx
