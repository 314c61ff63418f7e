// TVector files and streams: the ASC writer and reader (every result code),
// the plain text format with the digitizer form, and the stream format on
// memory and file streams, including malformed input.

#include <gtest/gtest.h>

#include <cmath>
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

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const std::string kHeaderTail =
    "1\t;nr. of columns\r\n%ROWS%\t;nr. of rows\r\n"
    "FALSE FALSE FALSE FALSE\t;row attributes, column names, row names, nominal variables\r\n";

std::string Header(int rows) {
  std::string h = kHeaderTail;
  h.replace(h.find("%ROWS%"), 6, std::to_string(rows));
  return h;
}

// ---- ASC --------------------------------------------------------------------

TEST(VectorAsc, ExportWritesTheHeaderAndFixedWidthValues) {
  TVector v;
  SetAll(v, std::vector<double>{1.5, -2.0});
  const std::string f = TempPath("vec_export.asc");
  ASSERT_EQ(v.ExportAsASC(f, 3, ""), 0);
  EXPECT_EQ(ReadFile(f), "Exported by QMX TVector component: " + f + "\r\n" + Header(2) +
                             "       1.500\r\n      -2.000\r\n");
  ASSERT_EQ(v.ExportAsASC(f, -2, "first\nsecond"), 0);
  EXPECT_EQ(ReadFile(f), "first second\r\n" + Header(2) + "    1.50E+00\r\n   -2.00E+00\r\n");
  EXPECT_EQ(v.ExportAsASC(TempPath("no_such_dir/x.asc"), 3, ""), -1);
}

TEST(VectorAsc, RoundTripRestoresValuesToTheWrittenPrecision) {
  SetRandSeed(4);
  TVector v;
  v.Resize(300);
  v.FillRandomGauss(0, 1000);
  v.SetVal(7, kNaN);
  v.SetVal(8, kInf);
  v.SetVal(9, -kInf);
  const std::string f = TempPath("vec_roundtrip.asc");
  ASSERT_EQ(v.ExportAsASC(f, 6, "comment line"), 0);
  TVector w;
  TEventLog log;
  log.Attach(w);
  std::string comment;
  ASSERT_EQ(w.ImportASC(f, comment), 0);
  EXPECT_EQ(comment, "comment line");
  ASSERT_EQ(w.NrOfElem(), 300);
  for (std::int32_t i = 1; i <= 300; ++i) {
    if (i == 7) {
      EXPECT_EQ(w.GetVal(i), 0.0);  // "NAN" reads as 0
    } else if (i == 8 || i == 9) {
      EXPECT_EQ(w.GetVal(i), v.GetVal(i));
    } else {
      ASSERT_NEAR(w.GetVal(i), v.GetVal(i), 5e-7) << i;
    }
  }
  // Resize (change, resize), then one change per element stored.
  EXPECT_EQ(log.Count("resize"), 1);
  EXPECT_EQ(log.Count("change"), 301);
}

TEST(VectorAsc, ReaderAcceptsNamesAttributesAndPlaceholders) {
  const std::string f = TempPath("vec_flags.asc");
  WriteFile(f,
            "with names\n1\t;c\n3\t;r\nTRUE TRUE TRUE FALSE\t;flags\n"
            "\"value column\"\n"
            "1.5 \"row a\" 10\n"
            "-2 \"row b\"\t2e1\n"
            "NAN \"r c\" ###\n");
  TVector v;
  std::string comment;
  ASSERT_EQ(v.ImportASC(f, comment), 0);
  EXPECT_EQ(comment, "with names");
  EXPECT_EQ(Values(v), (std::vector<double>{10, 20, 0}));
}

TEST(VectorAsc, ReaderResultCodes) {
  TVector v;
  SetAll(v, std::vector<double>{7, 8});
  std::string comment = "x";
  EXPECT_EQ(v.ImportASC(TempPath("missing.asc"), comment), kVecAscNoFile);

  const std::string f = TempPath("vec_codes.asc");
  WriteFile(f, "");
  EXPECT_EQ(v.ImportASC(f, comment), kAscTruncatedHeader);
  WriteFile(f, "c\n1\n2\n");
  EXPECT_EQ(v.ImportASC(f, comment), kAscTruncatedHeader);
  WriteFile(f, "c\nx\t;c\n2\t;r\nFALSE FALSE FALSE FALSE\n1\n2\n");
  EXPECT_EQ(v.ImportASC(f, comment), kAscBadCounts);
  WriteFile(f, "c\n1\t;c\n-2\t;r\nFALSE FALSE FALSE FALSE\n1\n2\n");
  EXPECT_EQ(v.ImportASC(f, comment), kAscBadCounts);
  WriteFile(f, "c\n1\t;c\n2\t;r\nFALSE MAYBE FALSE FALSE\n1\n2\n");
  EXPECT_EQ(v.ImportASC(f, comment), kAscBadFlags);
  WriteFile(f, "c\n2\t;c\n2\t;r\nFALSE FALSE FALSE FALSE\n1 3\n2 4\n");
  EXPECT_EQ(v.ImportASC(f, comment), kVecAscTooManyColumns);
  // More rows than the file has bytes (the header reader refuses it) ...
  WriteFile(f, "c\n1\t;c\n2000000000\t;r\nFALSE FALSE FALSE FALSE\n1\n");
  EXPECT_EQ(v.ImportASC(f, comment), kAscBadCounts);
  // ... and more rows than the bytes after the header.
  WriteFile(f, "c\n1\t;c\n30\t;r\nFALSE FALSE FALSE FALSE\n1\n2\n");
  EXPECT_EQ(v.ImportASC(f, comment), kVecAscTooManyRows);
  EXPECT_EQ(Values(v), (std::vector<double>{7, 8}));  // untouched by all of these

  // Text in a number: -6, the vector is cut to the failing row.
  WriteFile(f, "c\n1\t;c\n5\t;r\nFALSE FALSE FALSE FALSE\n1\n2\n3x\n4\n5\n");
  EXPECT_EQ(v.ImportASC(f, comment), kVecAscBadValue);
  EXPECT_EQ(Values(v), (std::vector<double>{1, 2, 0}));
  // The file ends before the last row.
  WriteFile(f, "c\n1\t;c\n5\t;r\nFALSE FALSE FALSE FALSE\n1.25\n2.5\n          \n");
  EXPECT_EQ(v.ImportASC(f, comment), kVecAscBadValue);
  EXPECT_EQ(Values(v), (std::vector<double>{1.25, 2.5, 0}));
  // A bad row attribute.
  WriteFile(f, "c\n1\t;c\n2\t;r\nTRUE FALSE FALSE FALSE\n1 5\nattr 6\n");
  EXPECT_EQ(v.ImportASC(f, comment), kVecAscBadRowAttrib);
  EXPECT_EQ(Values(v), (std::vector<double>{5, 2.5}));  // the failing row keeps its value
  // Lower-case "nan" and hexadecimal are not numbers.
  WriteFile(f, "c\n1\t;c\n2\t;r\nFALSE FALSE FALSE FALSE\n1\nnan\n");
  EXPECT_EQ(v.ImportASC(f, comment), kVecAscBadValue);
  WriteFile(f, "c\n1\t;c\n2\t;r\nFALSE FALSE FALSE FALSE\n1\n0x10\n");
  EXPECT_EQ(v.ImportASC(f, comment), kVecAscBadValue);
  // A header of no rows keeps the vector.
  SetAll(v, std::vector<double>{3, 4});
  WriteFile(f, "c\n1\t;c\n0\t;r\nFALSE FALSE FALSE FALSE\n");
  EXPECT_EQ(v.ImportASC(f, comment), 0);
  EXPECT_EQ(Values(v), (std::vector<double>{3, 4}));
}

// ---- plain text -----------------------------------------------------------------

TEST(VectorPlain, StoreOnFileFormats) {
  TVector v;
  SetAll(v, std::vector<double>{1.5, -3.0, 0.375});
  const std::string f = TempPath("vec_plain.txt");
  ASSERT_TRUE(v.StoreOnFile(3, 1, 1, f));
  EXPECT_EQ(ReadFile(f), "1 3\r\n1.5\r\n-3.0\r\n0.4\r\n");
  ASSERT_TRUE(v.StoreOnFile(2, 2, -1, f));
  EXPECT_EQ(ReadFile(f), "2 2\r\n-3.000000E+00\r\n");
  ASSERT_TRUE(v.StoreOnFile(1, 1, -2, f));
  EXPECT_EQ(ReadFile(f), "1 1\r\n 1.5000000000000000000E+00\r\n");
  ASSERT_TRUE(v.StoreOnFile(1, 1, -9, f));  // below -2: 2 decimals
  EXPECT_EQ(ReadFile(f), "1 1\r\n1.50\r\n");
  ASSERT_TRUE(v.StoreOnFile(3, 3, 99, f));  // above 20: 20 decimals
  EXPECT_EQ(ReadFile(f), "3 3\r\n0.37500000000000000000\r\n");
  EXPECT_FALSE(v.StoreOnFile(0, 0, 2, TempPath("no_such_dir/x.txt")));
}

TEST(VectorPlain, RoundTripsForEveryDecimalsSetting) {
  SetRandSeed(21);
  TVector v;
  v.Resize(200);
  v.FillRandomGauss(0, 1e5);
  v.SetVal(3, kNaN);
  v.SetVal(4, -kInf);
  v.SetVal(5, 1e-300);
  const std::string f = TempPath("vec_plain_rt.txt");
  for (std::int32_t decimals : {-2, -1, 4}) {
    ASSERT_TRUE(v.StoreOnFile(0, 0, decimals, f));
    TVector w;
    ASSERT_TRUE(w.LoadFromFile(f, true));
    ASSERT_EQ(w.NrOfElem(), 200);
    EXPECT_TRUE(std::isnan(w.GetVal(3)));
    EXPECT_EQ(w.GetVal(4), -kInf);
    for (std::int32_t i = 1; i <= 200; ++i) {
      if (i == 3 || i == 4) {
        continue;
      }
      const double x = v.GetVal(i);
      if (decimals == -2) {
        ASSERT_EQ(w.GetVal(i), x) << i;  // exact
      } else if (decimals == -1) {
        ASSERT_NEAR(w.GetVal(i), x, std::fabs(x) * 5e-7) << i;
      } else {
        ASSERT_NEAR(w.GetVal(i), x, 5e-5) << i;
      }
    }
  }
}

TEST(VectorPlain, LoadFromFileRules) {
  const std::string f = TempPath("vec_load.txt");
  TVector v;
  SetAll(v, std::vector<double>{1, 1, 1, 1, 1});
  TEventLog log;
  log.Attach(v);

  // A partial range into the existing elements.
  WriteFile(f, "2 3\n7.5\n-8\n");
  EXPECT_TRUE(v.LoadFromFile(f, false));
  EXPECT_EQ(Values(v), (std::vector<double>{1, 7.5, -8, 1, 1}));
  EXPECT_EQ(log.Count("change"), 3);

  // Hi beyond the vector: false, nothing read, OnChange still fires.
  log.Clear();
  WriteFile(f, "1 6\n1\n2\n3\n4\n5\n6\n");
  EXPECT_FALSE(v.LoadFromFile(f, false));
  EXPECT_EQ(Values(v), (std::vector<double>{1, 7.5, -8, 1, 1}));
  EXPECT_EQ(log.events, (std::vector<std::string>{"change"}));

  // A value that cannot be read ends the reading silently.
  WriteFile(f, "1 4\n9\n8\nabc\n6\n");
  EXPECT_TRUE(v.LoadFromFile(f, false));
  EXPECT_EQ(Values(v), (std::vector<double>{9, 8, -8, 1, 1}));

  // AdjustSize resizes to Hi (not Hi - Lo + 1).
  WriteFile(f, "2 3\n4\n5\n");
  EXPECT_TRUE(v.LoadFromFile(f, true));
  EXPECT_EQ(Values(v), (std::vector<double>{9, 4, 5}));

  // Unreadable files and headers: false and nothing else.
  log.Clear();
  EXPECT_FALSE(v.LoadFromFile(TempPath("missing.txt"), true));
  for (const char* bad : {"", "1\n2\n", "x 2\n1\n", "1 2.5\n1\n2\n", "1 99999999999\n", "\n1 2\n1\n2\n"}) {
    WriteFile(f, bad);
    EXPECT_FALSE(v.LoadFromFile(f, true)) << bad;
  }
  // A Hi that the file cannot hold does not grow the vector.
  WriteFile(f, "1 2000000000\n1\n");
  EXPECT_FALSE(v.LoadFromFile(f, true));
  EXPECT_TRUE(log.events.empty());
  EXPECT_EQ(Values(v), (std::vector<double>{9, 4, 5}));

  // A very negative Lo only consumes words.
  WriteFile(f, "-2147483648 2\n1\n2\n");
  EXPECT_TRUE(v.LoadFromFile(f, false));
  EXPECT_EQ(Values(v), (std::vector<double>{9, 4, 5}));
}

TEST(VectorPlain, DigitizerForm) {
  const std::string f = TempPath("vec_dig.txt");
  WriteFile(f, "1.5 2.5 //dig\n3.5 //dig\n\nno marker 9\n");
  TVector v;
  TEventLog log;
  log.Attach(v);
  EXPECT_TRUE(v.LoadFromFile(f, true, true));
  EXPECT_EQ(Values(v), (std::vector<double>{1.5, 2.5}));
  EXPECT_EQ(log.events.back(), "change");
  // Words that are not numbers leave their element as it was.
  WriteFile(f, "//dig 4\r\n//dig 5\r\n");
  v.Fill(-1);
  EXPECT_TRUE(v.LoadFromFile(f, false, true));
  EXPECT_EQ(Values(v), (std::vector<double>{-1, 4}));
  // No marked line: AdjustSize cannot make the vector empty.
  WriteFile(f, "1 2 3\n");
  EXPECT_TRUE(v.LoadFromFile(f, true, true));
  EXPECT_EQ(Values(v), (std::vector<double>{1, 2}));
  EXPECT_FALSE(v.LoadFromFile(TempPath("missing.dig"), true, true));
  // DigitizerFile false is the plain form.
  WriteFile(f, "1 1\n6.5\n");
  EXPECT_TRUE(v.LoadFromFile(f, true, false));
  EXPECT_EQ(Values(v), (std::vector<double>{6.5}));
}

// ---- streams -----------------------------------------------------------------------

Extended ExtendedAt(TMemoryStream& s, std::int64_t offset) {
  s.SetPosition(offset);
  Extended x = 0;
  EXPECT_TRUE(ReadExtendedFromStream(&s, x));
  return x;
}

TEST(VectorStream, MemoryStreamRoundTripAndLayout) {
  TVector v;
  SetAll(v, std::vector<double>{1.25, -7, 1e300, kInf});
  TMemoryStream* ms = nullptr;
  v.SaveToStream(ms, 0, 0);
  ASSERT_NE(ms, nullptr);  // created for the caller, who owns it
  std::unique_ptr<TMemoryStream> owner(ms);
  ASSERT_EQ(ms->Size(), 60);
  EXPECT_EQ(ExtendedAt(*ms, 0), 1.0L);
  EXPECT_EQ(ExtendedAt(*ms, 10), 4.0L);
  EXPECT_EQ(ExtendedAt(*ms, 30), -7.0L);
  EXPECT_EQ(ExtendedAt(*ms, 40), static_cast<Extended>(1e300));

  ms->SetPosition(0);
  TVector w;
  TEventLog log;
  log.Attach(w);
  ASSERT_TRUE(w.LoadFromStream(ms, true));
  EXPECT_EQ(Values(w), Values(v));
  EXPECT_EQ(log.events, (std::vector<std::string>{"change", "resize", "change", "change", "change", "change",
                                                  "change"}));
  EXPECT_EQ(ms->Position(), 60);

  // A second range is appended at the position; a partial range loads into place.
  v.SaveToStream(ms, 3, 2);
  ms->SetPosition(60);
  TVector z;
  z.Resize(4);
  ASSERT_TRUE(z.LoadFromStream(ms, false));
  EXPECT_EQ(Values(z), (std::vector<double>{0, -7, 1e300, 0}));
}

TEST(VectorStream, FileStreamRoundTrip) {
  const std::string f = TempPath("vec_stream.bin");
  TVector v;
  v.Resize(1000);
  v.FillSerial(-3.5, 0.25);
  {
    TFileStream out(f, TFileMode::fmCreate);
    v.SaveToStream(&out, 0, 0);
    v.SaveToStream(static_cast<TFileStream*>(nullptr), 0, 0);  // nothing
  }
  EXPECT_EQ(ReadFile(f).size(), 10u * 1002u);
  TFileStream in(f, TFileMode::fmOpenRead);
  TVector w;
  ASSERT_TRUE(w.LoadFromStream(&in, true));
  EXPECT_EQ(Values(w), Values(v));
  EXPECT_FALSE(w.LoadFromStream(static_cast<TFileStream*>(nullptr), true));
  EXPECT_FALSE(w.LoadFromStream(static_cast<TMemoryStream*>(nullptr), true));
}

TEST(VectorStream, MalformedStreams) {
  TVector v;
  SetAll(v, std::vector<double>{1, 2, 3, 4});
  TMemoryStream ms;
  TMemoryStream* p = &ms;
  v.SaveToStream(p, 0, 0);
  ASSERT_EQ(p, &ms);

  // Truncated: the values present are stored, the result is false.
  TMemoryStream cut;
  cut.Write(ms.Memory(), ms.Size() - 5);
  cut.SetPosition(0);
  TVector w;
  w.Resize(4);
  TEventLog log;
  log.Attach(w);
  EXPECT_FALSE(w.LoadFromStream(&cut, false));
  EXPECT_EQ(Values(w), (std::vector<double>{1, 2, 3, 0}));
  EXPECT_EQ(log.Count("change"), 4);

  // Too short for Lo and Hi: false, nothing changes, no event.
  for (std::int64_t len : {0, 5, 15}) {
    TMemoryStream s;
    s.Write(ms.Memory(), len);
    s.SetPosition(0);
    log.Clear();
    EXPECT_FALSE(w.LoadFromStream(&s, true)) << len;
    EXPECT_TRUE(log.events.empty());
  }

  // Hi beyond the vector without AdjustSize: false, OnChange fires.
  TVector small;
  small.Resize(2);
  TEventLog smallLog;
  smallLog.Attach(small);
  ms.SetPosition(0);
  EXPECT_FALSE(small.LoadFromStream(&ms, false));
  EXPECT_EQ(smallLog.events, (std::vector<std::string>{"change"}));
  EXPECT_EQ(Values(small), (std::vector<double>{0, 0}));

  // An absurd Hi does not grow the vector; Lo or Hi beyond 32 bits are refused.
  for (auto [lo, hi] : {std::pair{1.0L, 2.0e9L}, std::pair{1.0L, 1e20L}, std::pair{-1e20L, 2.0L},
                        std::pair{static_cast<Extended>(kNaN), 2.0L}, std::pair{1.0L, static_cast<Extended>(kInf)}}) {
    TMemoryStream s;
    WriteExtendedToStream(&s, lo);
    WriteExtendedToStream(&s, hi);
    WriteExtendedToStream(&s, 5.0L);
    s.SetPosition(0);
    smallLog.Clear();
    EXPECT_FALSE(small.LoadFromStream(&s, true)) << static_cast<double>(hi);
    EXPECT_EQ(small.NrOfElem(), 2);
    EXPECT_TRUE(smallLog.events.empty());
  }
  // Lo and Hi round half to even; a huge negative Lo only reads what is there.
  {
    TMemoryStream s;
    WriteExtendedToStream(&s, -2147483648.0L);
    WriteExtendedToStream(&s, 1.5L);  // rounds to 2
    WriteExtendedToStream(&s, 8.0L);
    s.SetPosition(0);
    EXPECT_FALSE(small.LoadFromStream(&s, false));  // values run out
    EXPECT_EQ(Values(small), (std::vector<double>{0, 0}));
  }
  // An invalid 80-bit pattern fails that value only.
  {
    TMemoryStream s;
    WriteExtendedToStream(&s, 1.0L);
    WriteExtendedToStream(&s, 2.0L);
    const std::uint8_t unnormal[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x40};  // integer bit clear
    s.Write(unnormal, 10);
    WriteExtendedToStream(&s, 6.0L);
    s.SetPosition(0);
    small.Fill(-1);
    EXPECT_FALSE(small.LoadFromStream(&s, false));
    EXPECT_EQ(Values(small), (std::vector<double>{-1, 6}));
  }
}

// Line 1 of the plain text format takes one sign per bound: "+-1" and "-+1"
// are no integers, so the file is refused and both vectors stay as they were.
TEST(VectorPlain, HeaderBoundsTakeOneSign) {
  const std::string f = TempPath("vec_sign.txt");
  for (const char* text : {"+-1 2\n5\n6\n", "1 +-2\n5\n6\n", "-+1 2\n5\n6\n", "++1 2\n5\n6\n", "+ 2\n5\n"}) {
    WriteFile(f, text);
    TVector v;
    SetAll(v, std::vector<double>{1, 2, 3});
    TIntVector iv;
    iv.Resize(3);
    iv.Fill(4);
    EXPECT_FALSE(v.LoadFromFile(f, false)) << text;
    EXPECT_FALSE(iv.LoadFromFile(f, true)) << text;
    EXPECT_EQ(Values(v), (std::vector<double>{1, 2, 3})) << text;
    EXPECT_EQ(iv.NrOfElem(), 3) << text;
    EXPECT_EQ(iv.GetVal(1), 4) << text;
  }
  WriteFile(f, "+1 +2\n5\n6\n");  // one '+' is fine
  TVector v;
  EXPECT_TRUE(v.LoadFromFile(f, true));
  EXPECT_EQ(Values(v), (std::vector<double>{5, 6}));
}

}  // namespace
}  // namespace qmx
