// TIntMatrix: sparse and dense mode agreeing on random writes, the entry
// order and bounding box, the switch between the modes, the operations that
// convert to dense mode, masked counting, the checksum and the integer
// arithmetic modulo 2^32 against a 64-bit reference.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "qmx/matrix/matrices.hpp"
#include "qmx/vector/vectors.hpp"

namespace qmx {
namespace {


TEST(IntMatrixSparse, EntriesStayOrderedAndUnique) {
  TIntMatrix m(nullptr, 2);
  EXPECT_TRUE(m.SparseMode());
  EXPECT_EQ(m.SparseCapacity(), 2);
  EXPECT_EQ(m.GetVal(3, 2), 0);
  std::string log;
  m.OnChange = [&log](TObject*) { log += 'C'; };
  m.SetVal(3, 2, 5);
  m.SetVal(1, 4, 7);
  ASSERT_EQ(m.NrOfSparseElems(), 2);
  EXPECT_EQ(m.SparseElem(1).Column, 1);
  EXPECT_EQ(m.SparseElem(1).Row, 4);
  EXPECT_EQ(m.SparseElem(2).Column, 3);
  m.SetVal(3, 2, 9);
  EXPECT_EQ(m.NrOfSparseElems(), 2);
  EXPECT_EQ(m.GetVal(3, 2), 9);
  m.SetVal(0, 1, 1);  // ignored
  m.SetVal(2, 3, 0);  // a zero is stored like any other value
  EXPECT_EQ(m.NrOfSparseElems(), 3);
  EXPECT_EQ(m.SparseCapacity(), 4);
  EXPECT_EQ(log, "CCCC");
  std::int32_t lc = 0, hc = 0, lr = 0, hr = 0;
  m.SparseBounds(lc, hc, lr, hr);
  EXPECT_EQ(lc, 1);
  EXPECT_EQ(hc, 3);
  EXPECT_EQ(lr, 2);
  EXPECT_EQ(hr, 4);
  EXPECT_EQ(m.Elem(2, 4), 0);
  EXPECT_EQ(m.SparseElem(4).Value, 0);
  EXPECT_EQ(m.CRCofData(), std::string(32, '0'));  // no dense storage
}

TEST(IntMatrixSparse, SparseAndDenseAgreeOnRandomWrites) {
  std::mt19937 gen(21);
  std::uniform_int_distribution<std::int32_t> col(1, 17);
  std::uniform_int_distribution<std::int32_t> row(1, 11);
  std::uniform_int_distribution<std::int32_t> val(-3, 3);
  TIntMatrix dense;
  dense.Resize(17, 11);
  TIntMatrix sparse(nullptr, 5);
  for (int k = 0; k < 300; ++k) {
    const std::int32_t c = col(gen);
    const std::int32_t r = row(gen);
    const std::int32_t v = val(gen);
    dense.SetVal(c, r, v);
    sparse.SetVal(c, r, v);
  }
  for (std::int32_t c = 0; c <= 18; ++c) {
    for (std::int32_t r = 0; r <= 12; ++r) {
      ASSERT_EQ(sparse.GetVal(c, r), dense.GetVal(c, r)) << c << "," << r;
    }
  }
  for (std::int32_t k = 2; k <= sparse.NrOfSparseElems(); ++k) {
    const TSpMatElemInt a = sparse.SparseElem(k - 1);
    const TSpMatElemInt b = sparse.SparseElem(k);
    EXPECT_TRUE(a.Column < b.Column || (a.Column == b.Column && a.Row < b.Row));
  }
  // Both ways between the modes keep every value.
  TIntMatrix back;
  back.Assign(&dense);
  back.ArrayToSparse(3);
  for (std::int32_t c = 1; c <= 17; ++c) {
    for (std::int32_t r = 1; r <= 11; ++r) {
      ASSERT_EQ(back.GetVal(c, r), dense.GetVal(c, r));
    }
  }
  sparse.SparseToArray();
  EXPECT_FALSE(sparse.SparseMode());
  for (std::int32_t c = 1; c <= 17; ++c) {
    for (std::int32_t r = 1; r <= 11; ++r) {
      EXPECT_EQ(sparse.GetVal(c, r), dense.GetVal(c, r));
    }
  }
}

TEST(IntMatrixSparse, SwitchingModes) {
  TIntMatrix m;
  m.Resize(3, 4);
  std::string log;
  m.OnChange = [&log](TObject*) { log += 'C'; };
  m.OnResize = [&log](TObject*) { log += 'R'; };
  m.ArrayToSparse(0);  // all zeros: no entries, the empty box
  EXPECT_EQ(log, "R");
  EXPECT_EQ(m.NrOfSparseElems(), 0);
  EXPECT_EQ(m.SparseIncrement(), 1);
  EXPECT_EQ(m.NrOfColumns(), 3);
  EXPECT_EQ(m.NrOfRows(), 4);
  std::int32_t lc = 0, hc = 0, lr = 0, hr = 0;
  m.SparseBounds(lc, hc, lr, hr);
  EXPECT_EQ(lc, 2147483647);
  EXPECT_EQ(hc, 1);
  EXPECT_EQ(lr, 2147483647);
  EXPECT_EQ(hr, 1);
  m.SetVal(2, 5, 8);  // beyond the nominal rows: accepted
  log.clear();
  m.SparseToArray();  // the shape of the bounding box
  EXPECT_EQ(log, "R");
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.NrOfRows(), 5);
  EXPECT_EQ(m.GetVal(2, 5), 8);
  EXPECT_EQ(m.CRCofData().size(), 32u);

  // An entry far out cannot be made dense: the error leaves it sparse.
  TIntMatrix far(nullptr, 1);
  far.SetVal(2000000000, 2000000000, 1);
  EXPECT_THROW(far.SparseToArray(), EQMXMatrixError);
  EXPECT_TRUE(far.SparseMode());
  EXPECT_EQ(far.GetVal(2000000000, 2000000000), 1);
}

TEST(IntMatrixSparse, ShapeOperationsAndAssignInSparseMode) {
  TIntMatrix m(nullptr, 4);
  m.SetVal(2, 3, 6);
  // Assign and Clone carry the entries.
  TIntMatrix copy;
  copy.Assign(&m);
  EXPECT_TRUE(copy.SparseMode());
  EXPECT_EQ(copy.GetVal(2, 3), 6);
  TIntMatrix clone;
  clone.Clone(&m);
  EXPECT_FALSE(clone.SparseMode());
  EXPECT_EQ(clone.NrOfColumns(), 2);
  EXPECT_EQ(clone.GetVal(2, 3), 6);
  // A resize converts to dense mode first.
  ASSERT_TRUE(m.Resize(4, 4));
  EXPECT_FALSE(m.SparseMode());
  EXPECT_EQ(m.GetVal(2, 3), 6);
  EXPECT_EQ(m.GetVal(4, 4), 0);
  // Dense operations see no storage in sparse mode.
  m.ArrayToSparse(1);
  m.Fill(3);
  EXPECT_EQ(m.GetVal(1, 1), 0);
  EXPECT_EQ(m.Sum(0, 0, 0, 0), 0);
  EXPECT_EQ(m.CountMaskedZeros(0, 0, 0, 0, 0), 0);
  TIntMatrix other;
  EXPECT_FALSE(m.Multiply(&other, &other));
  // An XML cell becomes an entry.
  m.SetCellPending(true);
  EXPECT_EQ(m.ProcessXmlTag(TMatXmlTag::xmlMatCell, "ix=\"7\" iy=\"9\"", "12"), 0);
  EXPECT_FALSE(m.CellPending());
  EXPECT_EQ(m.GetVal(7, 9), 12);
  EXPECT_EQ(m.NrOfColumns(), 4);
  m.Transpose();
  EXPECT_FALSE(m.SparseMode());
  EXPECT_EQ(m.GetVal(9, 7), 12);
  EXPECT_EQ(m.GetVal(3, 2), 6);
}

TEST(IntMatrixDense, MaskedZerosAndChecksum) {
  TIntMatrix m;
  m.Resize(2, 3);
  m.FillSerial(1, 1);  // 1..6
  EXPECT_EQ(m.CountMaskedZeros(0, 0, 0, 0, 0), 6);
  EXPECT_EQ(m.CountMaskedZeros(0, 0, 0, 0, 1), 3);  // the even values
  EXPECT_EQ(m.CountMaskedZeros(2, 2, 1, 3, 2), 2);  // column 2 holds 4 5 6: 4 and 5 have bit 1 clear
  EXPECT_EQ(m.CRCofData().size(), 32u);
  EXPECT_EQ(m.ClassName(), "TIntMatrix");
}

/// 64-bit reference product modulo 2^32.
std::int32_t Wrap(std::int64_t v) { return static_cast<std::int32_t>(static_cast<std::uint32_t>(v)); }

TEST(IntMatrixArithmetic, ProductsWrapAsTheReference) {
  std::mt19937 gen(5);
  std::uniform_int_distribution<std::int32_t> val(std::numeric_limits<std::int32_t>::min(),
                                                   std::numeric_limits<std::int32_t>::max());
  TIntMatrix a;
  TIntMatrix b;
  TIntMatrix r;
  a.Resize(4, 3);  // 3 rows, 4 columns
  b.Resize(5, 4);
  for (auto& x : a.Data()) {
    x = val(gen);
  }
  for (auto& x : b.Data()) {
    x = val(gen);
  }
  ASSERT_TRUE(a.Multiply(&b, &r));
  ASSERT_EQ(r.NrOfColumns(), 5);
  ASSERT_EQ(r.NrOfRows(), 3);
  for (std::int32_t c = 1; c <= 5; ++c) {
    for (std::int32_t row = 1; row <= 3; ++row) {
      std::uint64_t s = 0;
      for (std::int32_t k = 1; k <= 4; ++k) {
        s += static_cast<std::uint64_t>(static_cast<std::int64_t>(a.Elem(k, row)) * b.Elem(c, k));
      }
      EXPECT_EQ(r.Elem(c, row), Wrap(static_cast<std::int64_t>(s)));
    }
  }
  ASSERT_TRUE(b.TransposeAndMultiply(&b, &r));
  EXPECT_EQ(r.NrOfColumns(), 5);
  EXPECT_EQ(r.NrOfRows(), 5);
  ASSERT_TRUE(a.MultiplyTransposed(&a, &r));
  EXPECT_EQ(r.NrOfColumns(), 3);
  std::uint64_t s = 0;
  for (std::int32_t k = 1; k <= 4; ++k) {
    s += static_cast<std::uint64_t>(static_cast<std::int64_t>(a.Elem(k, 2)) * a.Elem(k, 3));
  }
  EXPECT_EQ(r.Elem(3, 2), Wrap(static_cast<std::int64_t>(s)));

  TIntVector v;
  TIntVector w;
  v.Resize(4);
  v.FillSerial(1, 1);
  ASSERT_TRUE(a.Multiply(&v, &w));
  ASSERT_EQ(w.NrOfElem(), 3);
  std::uint64_t t = 0;
  for (std::int32_t k = 1; k <= 4; ++k) {
    t += static_cast<std::uint64_t>(static_cast<std::int64_t>(a.Elem(k, 1)) * k);
  }
  EXPECT_EQ(w.GetVal(1), Wrap(static_cast<std::int64_t>(t)));
  EXPECT_FALSE(a.TransposeAndMultiply(&v, &w));  // v needs 3 elements

  TIntMatrix sq;
  sq.Resize(1, 1);
  sq.SetVal(1, 1, 65536);
  ASSERT_TRUE(sq.EMult(&sq, &r));
  EXPECT_EQ(r.Elem(1, 1), 0);  // 2^32 wraps to 0
  sq.SAdd(std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(sq.Elem(1, 1), std::numeric_limits<std::int32_t>::min() + 65535);
  sq.SMult(2);
  EXPECT_EQ(sq.Elem(1, 1), 131070);
  ASSERT_TRUE(sq.Add(&sq));
  ASSERT_TRUE(sq.Subtract(&r));
  EXPECT_EQ(sq.Elem(1, 1), 262140);
  a.Transpose();
  EXPECT_EQ(a.NrOfColumns(), 3);
  EXPECT_EQ(a.NrOfRows(), 4);
}

}  // namespace
}  // namespace qmx
