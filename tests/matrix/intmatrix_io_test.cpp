// TIntMatrix files: the sparse entry file (round trips from both modes,
// truncated and malformed files, the stream form), and the shared formats
// written from and read into sparse mode.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "qmx/matrix/matrices.hpp"
#include "test_util.hpp"

namespace qmx {
namespace {

using test::ReadFile;
using test::TempPath;
using test::WriteFile;

/// A sparse matrix with entries (1, 4) = 7, (3, 2) = -5, (3, 9) = 2147483647.
void MakeSparse(TIntMatrix& m) {
  m.ArrayToSparse(3);
  m.SetVal(3, 2, -5);
  m.SetVal(1, 4, 7);
  m.SetVal(3, 9, 2147483647);
}

std::string Int32(std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  return std::string{static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF),
                     static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 24) & 0xFF)};
}

std::string SparseFile(std::int32_t cols, std::int32_t rows, std::int32_t inc, std::int32_t count,
                       const std::string& entries) {
  return "QMXSPINT" + Int32(1) + Int32(cols) + Int32(rows) + Int32(inc) + Int32(count) + entries;
}

TEST(IntMatrixSparseFile, RoundTripsFromBothModes) {
  TIntMatrix m;
  m.Resize(2, 2);
  MakeSparse(m);
  const std::string path = TempPath("sparse.qsp");
  ASSERT_TRUE(m.StoreSparseMat(path));
  EXPECT_EQ(ReadFile(path).size(), 28u + 3 * 12);
  TIntMatrix back;
  std::string log;
  back.OnChange = [&log](TObject*) { log += 'C'; };
  back.OnResize = [&log](TObject*) { log += 'R'; };
  ASSERT_TRUE(back.LoadSparseMat(path));
  EXPECT_EQ(log, "CR");
  EXPECT_TRUE(back.SparseMode());
  EXPECT_EQ(back.NrOfColumns(), 2);
  EXPECT_EQ(back.SparseIncrement(), 3);
  ASSERT_EQ(back.NrOfSparseElems(), 3);
  for (std::int32_t k = 1; k <= 3; ++k) {
    EXPECT_EQ(back.SparseElem(k).Column, m.SparseElem(k).Column);
    EXPECT_EQ(back.SparseElem(k).Row, m.SparseElem(k).Row);
    EXPECT_EQ(back.SparseElem(k).Value, m.SparseElem(k).Value);
  }
  std::int32_t lc = 0, hc = 0, lr = 0, hr = 0;
  back.SparseBounds(lc, hc, lr, hr);
  EXPECT_EQ(hr, 9);

  // From dense mode: the non-zero elements.
  TIntMatrix dense;
  dense.Resize(3, 2);
  dense.SetVal(2, 1, 4);
  dense.SetVal(3, 2, -1);
  ASSERT_TRUE(dense.StoreSparseMat(path));
  ASSERT_TRUE(back.LoadSparseMat(path));
  EXPECT_EQ(back.NrOfSparseElems(), 2);
  back.SparseToArray();
  EXPECT_EQ(back.CRCofData(), dense.CRCofData());

  // The stream form, at an offset, ends at the stream's end.
  TMemoryStream s;
  s.Write("xy", 2);
  ASSERT_TRUE(m.StoreSparseMat(&s));
  s.SetPosition(2);
  TIntMatrix fromStream;
  ASSERT_TRUE(fromStream.LoadSparseMat(&s));
  EXPECT_EQ(s.Position(), s.Size());
  EXPECT_EQ(fromStream.GetVal(3, 9), 2147483647);
  EXPECT_FALSE(fromStream.LoadSparseMat(static_cast<TStream*>(nullptr)));
  EXPECT_FALSE(m.StoreSparseMat(static_cast<TStream*>(nullptr)));
  EXPECT_FALSE(m.StoreSparseMat(TempPath("no/such/dir/x.qsp")));
}

TEST(IntMatrixSparseFile, MalformedFilesAreRefusedAndChangeNothing) {
  const std::string e1 = Int32(1) + Int32(2) + Int32(5);
  const std::string e2 = Int32(2) + Int32(1) + Int32(6);
  const std::string good = SparseFile(3, 3, 1, 2, e1 + e2);
  const std::string path = TempPath("bad.qsp");
  WriteFile(path, good);
  TIntMatrix probe;
  ASSERT_TRUE(probe.LoadSparseMat(path));
  const std::string cases[] = {
      good.substr(0, 27),                                   // truncated header
      good.substr(0, good.size() - 1),                      // truncated entry
      good + "x",                                           // trailing byte
      "QMXSPINX" + good.substr(8),                          // signature
      "QMXSPINT" + Int32(2) + good.substr(12),              // version
      SparseFile(0, 3, 1, 2, e1 + e2),                      // no columns
      SparseFile(3, 3, 0, 2, e1 + e2),                      // no increment
      SparseFile(3, 3, 1, -1, ""),                          // negative count
      SparseFile(3, 3, 1, 2, e2 + e1),                      // out of order
      SparseFile(3, 3, 1, 2, e1 + e1),                      // twice the same position
      SparseFile(3, 3, 1, 1, Int32(0) + Int32(1) + Int32(1)),  // column 0
      SparseFile(3, 3, 1, 178956970, e1),                   // a count far beyond the file
      "",
  };
  for (const std::string& bytes : cases) {
    WriteFile(path, bytes);
    TIntMatrix m;
    m.Resize(2, 2);
    m.SetVal(1, 1, 42);
    const std::string crc = m.CRCofData();
    std::string log;
    m.OnChange = [&log](TObject*) { log += 'C'; };
    EXPECT_FALSE(m.LoadSparseMat(path)) << bytes.size();
    EXPECT_FALSE(m.SparseMode());
    EXPECT_EQ(m.CRCofData(), crc);
    EXPECT_EQ(log, "");
    TMemoryStream s;
    s.Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    s.SetPosition(0);
    EXPECT_FALSE(m.LoadSparseMat(&s));
    EXPECT_EQ(s.Position(), 0);
  }
  TIntMatrix m;
  EXPECT_FALSE(m.LoadSparseMat(TempPath("missing.qsp")));
}

TEST(IntMatrixFiles, SparseModeWritesTheDenseFormAndReadersMakeItDense) {
  TIntMatrix m;
  MakeSparse(m);
  const std::string bin = TempPath("sp.bin");
  ASSERT_TRUE(m.SaveBinary(bin, ""));
  EXPECT_TRUE(m.SparseMode());  // writing does not change the mode
  TIntMatrix back;
  ASSERT_TRUE(back.LoadBinary(bin));
  EXPECT_EQ(back.NrOfColumns(), 3);
  EXPECT_EQ(back.NrOfRows(), 9);
  EXPECT_EQ(back.GetVal(1, 4), 7);
  EXPECT_EQ(back.GetVal(3, 9), 2147483647);

  // A reader in sparse mode converts first, then loads.
  TIntMatrix target(nullptr, 2);
  target.SetVal(5, 5, 1);
  ASSERT_TRUE(target.LoadBinary(bin));
  EXPECT_FALSE(target.SparseMode());
  EXPECT_EQ(target.CRCofData(), back.CRCofData());
  // A failing reader leaves the converted matrix.
  TIntMatrix other(nullptr, 2);
  other.SetVal(2, 1, 9);
  EXPECT_FALSE(other.LoadBinary(TempPath("missing.bin")));
  EXPECT_FALSE(other.SparseMode());
  EXPECT_EQ(other.GetVal(2, 1), 9);
}

}  // namespace
}  // namespace qmx
