// TIntVector files and streams: integer ASC and plain text formats, rounding
// of real values on reading, and the 4-byte stream format.

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/platform.hpp"
#include "test_util.hpp"
#include "vector/vector_test_util.hpp"

namespace qmx {
namespace {

using test::ReadFile;
using test::TempPath;
using test::WriteFile;
using vectest::SetAll;
using vectest::TEventLog;
using vectest::Values;

using IntVec = std::vector<std::int32_t>;
constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

TEST(IntVectorAsc, ExportWritesPlainIntegers) {
  TIntVector v;
  SetAll(v, IntVec{1, -2});
  const std::string f = TempPath("ivec.asc");
  ASSERT_EQ(v.ExportAsASC(f, ""), 0);
  EXPECT_EQ(ReadFile(f),
            "Exported by QMX TIntVector component: " + f +
                "\r\n1\t;nr. of columns\r\n2\t;nr. of rows\r\n"
                "FALSE FALSE FALSE FALSE\t;row attributes, column names, row names, nominal variables\r\n"
                "1\r\n-2\r\n");
  EXPECT_EQ(v.ExportAsASC(TempPath("no_dir/ivec.asc"), ""), -1);
}

TEST(IntVectorAsc, RoundTripAndRounding) {
  TIntVector v;
  SetAll(v, IntVec{kMinInt, kMaxInt, 0, -17});
  const std::string f = TempPath("ivec_rt.asc");
  ASSERT_EQ(v.ExportAsASC(f, "ints"), 0);
  TIntVector w;
  std::string comment;
  ASSERT_EQ(w.ImportASC(f, comment), 0);
  EXPECT_EQ(comment, "ints");
  EXPECT_EQ(Values(w), Values(v));

  WriteFile(f, "c\n1\t;c\n7\t;r\nFALSE FALSE FALSE FALSE\n2.5\n3.5\n-0.5\n-2.5\nNAN\n###\n1e3\n");
  ASSERT_EQ(w.ImportASC(f, comment), 0);
  EXPECT_EQ(Values(w), (IntVec{2, 4, 0, -2, 0, 0, 1000}));
  for (const char* bad : {"1e10", "INF", "2147483647.5", "-2147483648.6", "x"}) {
    w.Clear();
    WriteFile(f, std::string("c\n1\t;c\n2\t;r\nFALSE FALSE FALSE FALSE\n5\n") + bad + "\n");
    EXPECT_EQ(w.ImportASC(f, comment), kVecAscBadValue) << bad;
    EXPECT_EQ(Values(w), (IntVec{5, 0})) << bad;
  }
  EXPECT_EQ(w.ImportASC(TempPath("missing.asc"), comment), kVecAscNoFile);
}

TEST(IntVectorPlain, StoreAndLoad) {
  TIntVector v;
  SetAll(v, IntVec{5, -6, kMaxInt, kMinInt});
  const std::string f = TempPath("ivec.txt");
  ASSERT_TRUE(v.StoreOnFile(4, 2, f));
  EXPECT_EQ(ReadFile(f), "2 4\r\n-6\r\n2147483647\r\n-2147483648\r\n");
  ASSERT_TRUE(v.StoreOnFile(0, 0, f));
  TIntVector w;
  ASSERT_TRUE(w.LoadFromFile(f, true));
  EXPECT_EQ(Values(w), Values(v));
  EXPECT_FALSE(v.StoreOnFile(0, 0, TempPath("no_dir/ivec.txt")));

  // Reals round to the nearest integer, ties to even; a value beyond 32 bits ends the reading.
  WriteFile(f, "1 4\n0.5\n1.5\n-7.49\n3e9\n");
  w.Fill(9);
  TEventLog log;
  log.Attach(w);
  EXPECT_TRUE(w.LoadFromFile(f, false));
  EXPECT_EQ(Values(w), (IntVec{0, 2, -7, 9}));
  EXPECT_EQ(log.Count("change"), 4);
  WriteFile(f, "1 3000000000\n1\n");
  EXPECT_FALSE(w.LoadFromFile(f, true));
  WriteFile(f, "1 2000000000\n1\n");
  log.Clear();
  EXPECT_FALSE(w.LoadFromFile(f, true));
  EXPECT_TRUE(log.events.empty());
  EXPECT_EQ(w.NrOfElem(), 4);
}

TEST(IntVectorStream, RoundTripsAndLayout) {
  TIntVector v;
  SetAll(v, IntVec{7, kMinInt, kMaxInt});
  TMemoryStream* ms = nullptr;
  v.SaveToStream(ms, 0, 0);
  std::unique_ptr<TMemoryStream> owner(ms);
  ASSERT_EQ(ms->Size(), 20);
  const std::uint8_t* b = ms->Memory();
  EXPECT_EQ(b[0], 1);   // Lo
  EXPECT_EQ(b[4], 3);   // Hi
  EXPECT_EQ(b[8], 7);   // element 1, little-endian
  EXPECT_EQ(b[15], 0x80);
  ms->SetPosition(0);
  TIntVector w;
  ASSERT_TRUE(w.LoadFromStream(ms, true));
  EXPECT_EQ(Values(w), Values(v));

  const std::string f = TempPath("ivec.bin");
  {
    TFileStream out(f, TFileMode::fmCreate);
    v.SaveToStream(&out, 2, 3);
  }
  TFileStream in(f, TFileMode::fmOpenRead);
  TIntVector z;
  z.Resize(3);
  ASSERT_TRUE(z.LoadFromStream(&in, false));
  EXPECT_EQ(Values(z), (IntVec{0, kMinInt, kMaxInt}));
}

TEST(IntVectorStream, MalformedStreams) {
  TIntVector v;
  v.Resize(2);
  TEventLog log;
  log.Attach(v);
  {
    TMemoryStream s;  // Hi that the stream cannot hold
    WriteLongintToStream(&s, 1);
    WriteLongintToStream(&s, 1000000000);
    WriteLongintToStream(&s, 5);
    s.SetPosition(0);
    EXPECT_FALSE(v.LoadFromStream(&s, true));
    EXPECT_EQ(v.NrOfElem(), 2);
    EXPECT_TRUE(log.events.empty());
  }
  {
    TMemoryStream s;  // truncated inside the values
    WriteLongintToStream(&s, 1);
    WriteLongintToStream(&s, 2);
    WriteLongintToStream(&s, 5);
    s.Write("\x01\x02", 2);
    s.SetPosition(0);
    EXPECT_FALSE(v.LoadFromStream(&s, false));
    EXPECT_EQ(Values(v), (IntVec{5, 0}));
    EXPECT_EQ(log.Count("change"), 2);
  }
  {
    TMemoryStream s;  // only Lo
    WriteLongintToStream(&s, 1);
    s.SetPosition(0);
    log.Clear();
    EXPECT_FALSE(v.LoadFromStream(&s, true));
    EXPECT_TRUE(log.events.empty());
  }
  {
    TMemoryStream s;  // Hi beyond the vector, no AdjustSize
    WriteLongintToStream(&s, 1);
    WriteLongintToStream(&s, 3);
    for (int i = 0; i < 3; ++i) {
      WriteLongintToStream(&s, 4);
    }
    s.SetPosition(0);
    EXPECT_FALSE(v.LoadFromStream(&s, false));
    EXPECT_EQ(log.events, (std::vector<std::string>{"change"}));
    EXPECT_EQ(Values(v), (IntVec{5, 0}));
  }
}

}  // namespace
}  // namespace qmx
