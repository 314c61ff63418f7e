// TMatrix: binary files and streams, plain text and ASC files - round trips,
// formats on disk, and malformed or truncated input.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "qmx/foundation/basepack.hpp"
#include "qmx/matrix/matrices.hpp"
#include "test_util.hpp"

namespace qmx {
namespace {

using test::ReadFile;
using test::TempPath;
using test::WriteFile;

/// A matrix with awkward values: every element distinct, with fractions that
/// need all 17 digits, tiny and huge magnitudes, and a negative zero.
void AwkwardMatrix(TMatrix& m, std::int32_t NCols, std::int32_t NRows) {
  m.Resize(NCols, NRows);
  for (std::int32_t c = 1; c <= NCols; ++c) {
    for (std::int32_t r = 1; r <= NRows; ++r) {
      m.SetVal(c, r, (c * 1000.0 + r) / 7.0 * ((c + r) % 2 == 0 ? 1.0 : -1.0));
    }
  }
  m.SetVal(1, 1, 1e-310);
  m.SetVal(NCols, NRows, -1.7976931348623157e308);
  if (NRows > 1) {
    m.SetVal(1, 2, -0.0);
  }
}

std::uint32_t LE32At(const std::string& bytes, std::size_t pos) {
  std::uint32_t v = 0;
  for (int k = 3; k >= 0; --k) {
    v = (v << 8) | static_cast<std::uint8_t>(bytes[pos + static_cast<std::size_t>(k)]);
  }
  return v;
}

TEST(MatrixBinary, RoundTripAcrossSeveralRecordsAndLayout) {
  TMatrix m;
  AwkwardMatrix(m, 7, 100);  // 700 elements: two element records
  const std::string path = TempPath("mx_700.bin");
  ASSERT_TRUE(m.SaveBinary(path, "seven hundred"));
  const std::string bytes = ReadFile(path);
  ASSERT_EQ(bytes.size(), 3u * 4096u);  // header + 2 records, the last padded
  EXPECT_EQ(LE32At(bytes, 0), 7u);
  EXPECT_EQ(LE32At(bytes, 4), 100u);
  EXPECT_EQ(LE32At(bytes, 8), 0u);
  EXPECT_EQ(LE32At(bytes, 12), 0u);
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[16]), 13u);
  EXPECT_EQ(bytes.substr(17, 13), "seven hundred");
  EXPECT_EQ(LE32At(bytes, 272), 1u);
  // Row by row, columns innermost: the second element is (2, 1).
  double second = 0;
  std::memcpy(&second, bytes.data() + 4096 + 8, 8);
  EXPECT_EQ(second, m.Elem(2, 1));
  double last = 0;
  std::memcpy(&last, bytes.data() + 4096 + 699 * 8, 8);
  EXPECT_EQ(last, m.Elem(7, 100));
  EXPECT_EQ(bytes[4096 + 700 * 8], 0);

  TMatrix back;
  std::string log;
  back.OnChange = [&](TObject*) { log += 'C'; };
  back.OnResize = [&](TObject*) { log += 'R'; };
  ASSERT_TRUE(back.LoadBinary(path));
  EXPECT_EQ(log, "CRC");
  EXPECT_EQ(back.NrOfColumns(), 7);
  EXPECT_EQ(back.NrOfRows(), 100);
  EXPECT_EQ(back.CRCofData(), m.CRCofData());
  EXPECT_TRUE(std::signbit(back.Elem(1, 2)));

  std::int32_t nc = 0;
  std::int32_t nr = 0;
  std::string comment;
  std::int32_t format = 0;
  EXPECT_TRUE(back.ReadBinaryHeader(path, nc, nr, comment, format));
  EXPECT_EQ(nc, 7);
  EXPECT_EQ(nr, 100);
  EXPECT_EQ(comment, "seven hundred");
  EXPECT_EQ(format, 1);
  EXPECT_FALSE(back.ReadBinaryHeader(TempPath("mx_missing.bin"), nc, nr, comment, format));
  EXPECT_EQ(nc, 0);
}

TEST(MatrixBinary, ExactRecordBoundaryAndLongComment) {
  TMatrix m;
  AwkwardMatrix(m, 8, 64);  // exactly one record of 512 elements
  const std::string path = TempPath("mx_512.bin");
  ASSERT_TRUE(m.SaveBinary(path, std::string(300, 'x')));
  EXPECT_EQ(ReadFile(path).size(), 2u * 4096u);
  std::int32_t nc = 0;
  std::int32_t nr = 0;
  std::string comment;
  std::int32_t format = 0;
  ASSERT_TRUE(m.ReadBinaryHeader(path, nc, nr, comment, format));
  EXPECT_EQ(comment, std::string(255, 'x'));
  TMatrix back;
  ASSERT_TRUE(back.LoadBinary(path));
  EXPECT_EQ(back.CRCofData(), m.CRCofData());
}

TEST(MatrixBinary, MalformedFilesAreRefusedUnchanged) {
  TMatrix good;
  AwkwardMatrix(good, 7, 100);
  const std::string path = TempPath("mx_bad.bin");
  ASSERT_TRUE(good.SaveBinary(path, ""));
  const std::string bytes = ReadFile(path);

  TMatrix m;
  m.Resize(2, 2);
  m.Fill(4.0);
  const std::string crc = m.CRCofData();
  auto refuses = [&](const std::string& content, const char* what) {
    WriteFile(path, content);
    int events = 0;
    m.OnChange = [&](TObject*) { ++events; };
    EXPECT_FALSE(m.LoadBinary(path)) << what;
    EXPECT_EQ(events, 0) << what;
    EXPECT_EQ(m.CRCofData(), crc) << what;
    EXPECT_EQ(m.NrOfColumns(), 2) << what;
    m.OnChange = nullptr;
  };
  auto patched = [&](std::size_t pos, std::uint32_t v) {
    std::string b = bytes;
    for (int k = 0; k < 4; ++k) {
      b[pos + static_cast<std::size_t>(k)] = static_cast<char>((v >> (8 * k)) & 0xFF);
    }
    return b;
  };
  refuses("", "empty file");
  refuses(bytes.substr(0, 100), "cut inside the header fields");
  refuses(bytes.substr(0, 4096), "header only");
  refuses(bytes.substr(0, 4096 + 699 * 8 + 7), "last element cut");
  refuses(patched(272, 2), "integer format");
  refuses(patched(8, 1), "layers");
  refuses(patched(12, 3), "time slots");
  refuses(patched(0, 0), "no columns");
  refuses(patched(4, 0xFFFFFFFFu), "negative rows");
  refuses(patched(0, 0x7FFFFFFFu), "more columns than the file holds");
  refuses(patched(4, 0x7FFFFFFFu), "more rows than the file holds");
  EXPECT_FALSE(m.LoadBinary(TempPath("mx_nowhere.bin")));
  // A file without the padding of its last record is complete enough.
  WriteFile(path, bytes.substr(0, 4096 + 700 * 8));
  EXPECT_TRUE(m.LoadBinary(path));
  EXPECT_EQ(m.CRCofData(), good.CRCofData());
}

TEST(MatrixStream, RoundTripsSeveralMatricesBackToBack) {
  TMatrix a;
  AwkwardMatrix(a, 3, 5);
  TMatrix b;
  AwkwardMatrix(b, 26, 27);
  TMemoryStream* stream = nullptr;
  a.SaveToStream(stream);
  ASSERT_NE(stream, nullptr);
  std::unique_ptr<TMemoryStream> owner(stream);
  b.SaveToStream(stream);
  EXPECT_EQ(stream->Size(), (2 + 2 + 1) * 4096);
  stream->SetPosition(0);
  TMatrix x;
  TMatrix y;
  ASSERT_TRUE(x.LoadFromStream(stream));
  EXPECT_EQ(stream->Position(), 2 * 4096);
  ASSERT_TRUE(y.LoadFromStream(stream));
  EXPECT_EQ(x.CRCofData(), a.CRCofData());
  EXPECT_EQ(y.CRCofData(), b.CRCofData());
  EXPECT_EQ(y.NrOfColumns(), 26);
  EXPECT_FALSE(x.LoadFromStream(stream));  // at the end
  EXPECT_FALSE(x.LoadFromStream(static_cast<TMemoryStream*>(nullptr)));

  // A truncated stream: false, matrix and position unchanged.
  TMemoryStream cut;
  cut.Write(stream->Memory() + 2 * 4096, 4096 + 100);
  cut.SetPosition(0);
  EXPECT_FALSE(x.LoadFromStream(&cut));
  EXPECT_EQ(cut.Position(), 0);
  EXPECT_EQ(x.CRCofData(), a.CRCofData());

  const std::string path = TempPath("mx_stream.bin");
  {
    TFileStream fs(path, TFileMode::fmCreate);
    b.SaveToStream(&fs);
    b.SaveToStream(static_cast<TFileStream*>(nullptr));
  }
  TMatrix z;
  ASSERT_TRUE(z.LoadBinary(path));  // the stream format is the binary file format
  EXPECT_EQ(z.CRCofData(), b.CRCofData());
  TFileStream in(path, TFileMode::fmOpenRead);
  ASSERT_TRUE(z.LoadFromStream(&in));
  EXPECT_EQ(z.CRCofData(), b.CRCofData());
}

TEST(MatrixPlainText, RoundTripFullPrecisionAndRegion) {
  TMatrix m;
  AwkwardMatrix(m, 4, 6);
  m.SetVal(2, 3, std::numeric_limits<double>::quiet_NaN());
  m.SetVal(3, 3, -std::numeric_limits<double>::infinity());
  const std::string path = TempPath("mx_plain.txt");
  ASSERT_TRUE(m.StoreOnFile(0, 0, 0, 0, path));
  const std::string text = ReadFile(path);
  EXPECT_EQ(text.substr(0, 9), "1 1 4 6\r\n");
  TMatrix back;
  ASSERT_TRUE(back.LoadFromFile(path, true));
  EXPECT_EQ(back.CRCofData(), m.CRCofData());  // NaN bits aside, exact
  EXPECT_TRUE(std::isnan(back.Elem(2, 3)));

  // A region loaded without adjusting into a matrix large enough.
  ASSERT_TRUE(m.StoreOnFile(3, 2, 2, 5, path));  // columns 2..3, rows 2..5
  TMatrix part;
  part.Resize(3, 5);
  ASSERT_TRUE(part.LoadFromFile(path, false));
  EXPECT_EQ(part.Elem(2, 2), m.Elem(2, 2));
  EXPECT_EQ(part.Elem(3, 5), m.Elem(3, 5));
  EXPECT_EQ(part.Elem(1, 1), 0.0);
  TMatrix small;
  small.Resize(2, 2);
  EXPECT_FALSE(small.LoadFromFile(path, false));  // does not fit
  EXPECT_TRUE(small.LoadFromFile(path, true));
  EXPECT_EQ(small.NrOfColumns(), 3);

  // Fixed decimals and field width from the precisions.
  TMatrix f;
  f.Resize(2, 1);
  f.SetVal(1, 1, 1.23456);
  f.SetVal(2, 1, -2.0);
  f.SetFPrecis(1, 8);
  f.SetFPrecis(2, 2);
  ASSERT_TRUE(f.StoreOnFile(0, 0, 0, 0, path));
  EXPECT_EQ(ReadFile(path), "1 1 2 1\r\n    1.23    -2.00\r\n");
}

TEST(MatrixPlainText, SeveralMatricesInOneOpenFile) {
  TMatrix a;
  AwkwardMatrix(a, 2, 3);
  TMatrix b;
  AwkwardMatrix(b, 3, 1);
  const std::string path = TempPath("mx_open.txt");
  {
    TTextFile out;
    ASSERT_TRUE(out.OpenWrite(path));
    a.StoreOnFile(0, 0, 0, 0, out);
    b.StoreOnFile(0, 0, 0, 0, out);
    out.Close();
    ASSERT_TRUE(out.WriteOk());
  }
  TTextFile in;
  ASSERT_TRUE(in.OpenRead(path));
  TMatrix x;
  TMatrix y;
  ASSERT_TRUE(x.LoadFromFile(in, true));
  ASSERT_TRUE(y.LoadFromFile(in, true));
  EXPECT_EQ(x.CRCofData(), a.CRCofData());
  EXPECT_EQ(y.CRCofData(), b.CRCofData());
  EXPECT_FALSE(x.LoadFromFile(in, true));  // nothing left
}

TEST(MatrixPlainText, MalformedFilesAreRefusedUnchanged) {
  const std::string path = TempPath("mx_plain_bad.txt");
  TMatrix m;
  m.Resize(3, 3);
  m.Fill(1.0);
  const std::string crc = m.CRCofData();
  const char* cases[] = {
      "",                                 // empty
      "1 1 2\r\n1 2\r\n",                 // three bounds
      "0 1 2 2\r\n1 2 3 4\r\n",           // a bound of 0
      "2 1 1 1\r\n5\r\n",                 // Lo > Hi
      "1 1 2 2\r\n1 2 3\r\n",             // truncated
      "1 1 2 2\r\n1 2 x 4\r\n",           // text in a number field
      "1 1 a 2\r\n",                      // text in the header
      "1 1 99999 99999\r\n1\r\n",         // more cells than the file has bytes
      "1 1 2147483647 2147483647\r\n1\r\n",
      "1 1 99999999999 1\r\n1\r\n",       // beyond 32 bits
  };
  for (const char* text : cases) {
    WriteFile(path, text);
    EXPECT_FALSE(m.LoadFromFile(path, true)) << text;
    EXPECT_EQ(m.CRCofData(), crc) << text;
    EXPECT_EQ(m.NrOfRows(), 3) << text;
  }
  EXPECT_FALSE(m.LoadFromFile(TempPath("mx_plain_none.txt"), true));
}

TEST(MatrixAsc, RoundTripWithAndWithoutNames) {
  TMatrix m;
  AwkwardMatrix(m, 3, 4);
  m.SetVal(2, 2, std::numeric_limits<double>::quiet_NaN());
  m.SetVal(3, 1, std::numeric_limits<double>::infinity());
  const std::string path = TempPath("mx.asc");
  ASSERT_EQ(m.ExportAsASC(path, ""), 0);
  const std::string text = ReadFile(path);
  const std::string head = "Exported by QMX TMatrix component: " + path +
                           "\r\n3\t;nr. of columns\r\n4\t;nr. of rows\r\n"
                           "FALSE FALSE FALSE FALSE\t;row attributes, column names, row names, nominal variables\r\n";
  EXPECT_EQ(text.substr(0, head.size()), head);
  TMatrix back;
  std::string comment;
  ASSERT_EQ(back.ImportASC(path, comment), kMatAscOk);
  EXPECT_EQ(comment, "Exported by QMX TMatrix component: " + path);
  EXPECT_EQ(back.CRCofData(), m.CRCofData());
  EXPECT_TRUE(std::isnan(back.Elem(2, 2)));

  ASSERT_EQ(m.ExportAsASC(path, "two\nlines", TStrArray{"alpha", "be\"ta"}, TStrArray{"r 1", "", "r3"}), 0);
  TStrArray cols;
  TStrArray rows;
  ASSERT_EQ(back.ImportASC(path, comment, cols, rows), kMatAscOk);
  EXPECT_EQ(comment, "two lines");
  EXPECT_EQ(cols, (TStrArray{"alpha", "be'ta", ""}));
  EXPECT_EQ(rows, (TStrArray{"r 1", "", "r3", ""}));
  EXPECT_EQ(back.CRCofData(), m.CRCofData());
  EXPECT_EQ(m.ExportAsASC(TempPath("no_dir/x.asc"), ""), -1);
}

TEST(MatrixAsc, ReadsTheCommonLayoutWrittenByHand) {
  const std::string path = TempPath("mx_hand.asc");
  WriteFile(path,
            "hand made\n2 ;nr. of columns\n3\n true TRUE true false ; flags\n"
            "\"c1\" \"c2\"\n"
            "1.5 \"first\" 1 2\n"
            "-2 \"second\" NAN 4e1\n"
            "### \"third\" 5\t###\n");
  TMatrix m;
  std::string comment;
  TStrArray cols;
  TStrArray rows;
  ASSERT_EQ(m.ImportASC(path, comment, cols, rows), kMatAscOk);
  EXPECT_EQ(comment, "hand made");
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.NrOfRows(), 3);
  EXPECT_EQ(m.Elem(2, 2), 40.0);
  EXPECT_TRUE(std::isnan(m.Elem(1, 2)));
  EXPECT_TRUE(std::isnan(m.Elem(2, 3)));
  EXPECT_EQ(rows, (TStrArray{"first", "second", "third"}));
  EXPECT_EQ(cols, (TStrArray{"c1", "c2"}));
}

TEST(MatrixAsc, MalformedFiles) {
  const std::string path = TempPath("mx_bad.asc");
  TMatrix m;
  m.Resize(2, 2);
  m.Fill(3.0);
  const std::string crc = m.CRCofData();
  std::string comment;
  auto import = [&](const std::string& text) {
    WriteFile(path, text);
    return m.ImportASC(path, comment);
  };
  EXPECT_EQ(m.ImportASC(TempPath("mx_none.asc"), comment), kMatAscNoFile);
  EXPECT_EQ(import("c\n2\n"), kAscTruncatedHeader);
  EXPECT_EQ(import("c\nx\n2\nFALSE FALSE FALSE FALSE\n1 2\n"), kAscBadCounts);
  EXPECT_EQ(import("c\n2000\n2000\nFALSE FALSE FALSE FALSE\n1 2\n"), kAscBadCounts);  // beyond the file
  EXPECT_EQ(import("c\n2\n2\nFALSE maybe FALSE FALSE\n1 2\n"), kAscBadFlags);
  EXPECT_EQ(import("c\n2\n2\nFALSE FALSE FALSE FALSE\n1 x\n3 4\n"), kMatAscBadValue);
  EXPECT_EQ(import("c\n2\n2\nTRUE FALSE FALSE FALSE\nq 1 2\n"), kMatAscBadRowAttrib);
  EXPECT_EQ(import("c\n2\n2\nFALSE TRUE FALSE FALSE\n\"a\""), kMatAscBadName);
  EXPECT_EQ(m.CRCofData(), crc);  // nothing complete was read so far
  EXPECT_EQ(m.NrOfRows(), 2);
  EXPECT_EQ(import("c\n0\n5\nFALSE FALSE FALSE FALSE\n"), kMatAscOk);  // no cells: unchanged
  EXPECT_EQ(m.CRCofData(), crc);
  // The complete rows before a failure are kept.
  EXPECT_EQ(import("c\n2\n4\nFALSE FALSE FALSE FALSE\n1 2\n3 4\n5\n"), kMatAscBadValue);
  EXPECT_EQ(m.NrOfRows(), 2);
  EXPECT_EQ(m.Elem(2, 2), 4.0);
  EXPECT_EQ(import("c\n2\n2\nFALSE FALSE FALSE FALSE\n1 2\n3 4e999999\n"), kMatAscOk);  // limited, not refused
  EXPECT_EQ(m.Elem(2, 2), std::numeric_limits<double>::max());
}

}  // namespace
}  // namespace qmx
