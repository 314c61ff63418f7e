// TMatrix: shape, events, element access, ranges, copying between matrices,
// arrays and vectors, fills, searches and the content checksum.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "qmx/matrix/matrices.hpp"
#include "qmx/vector/vectors.hpp"

namespace qmx {
namespace {

/// Records the events of a matrix as a string: C = change, R = resize.
struct EventLog {
  std::string log;
  void Attach(TMatrix& m) {
    m.OnChange = [this](TObject*) { log += 'C'; };
    m.OnResize = [this](TObject*) { log += 'R'; };
  }
};

/// A matrix whose element (c, r) is 10c + r.
void FillPattern(TMatrix& m) {
  for (std::int32_t c = 1; c <= m.NrOfColumns(); ++c) {
    for (std::int32_t r = 1; r <= m.NrOfRows(); ++r) {
      m.SetVal(c, r, 10.0 * c + r);
    }
  }
}

TEST(MatrixCore, NewMatrixAndElementAccess) {
  TMatrix m;
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(m.Elem(1, 1), 0.0);
  EXPECT_EQ(m.GetFPrecis(1), 15);
  EXPECT_EQ(m.GetFPrecis(2), -1);
  EXPECT_EQ(m.ClassName(), "TMatrix");
  EventLog ev;
  ev.Attach(m);
  EXPECT_EQ(m.Elem(0, 1), 0.0);
  EXPECT_EQ(m.GetVal(1, 2), 0.0);
  m.SetVal(2, 1, 5.0);  // outside: ignored, no event
  m.SetVal(1, 0, 5.0);
  EXPECT_EQ(ev.log, "");
  m.SetVal(1, 1, 7.5);
  EXPECT_EQ(ev.log, "C");
  EXPECT_EQ(m.Elem(1, 1), 7.5);
  EXPECT_EQ(m.Data().size(), 1u);
}

TEST(MatrixCore, ColumnMajorStorage) {
  TMatrix m;
  m.Resize(3, 2);
  FillPattern(m);
  const std::vector<double> expect = {11, 12, 21, 22, 31, 32};
  EXPECT_EQ(std::vector<double>(m.Data().begin(), m.Data().end()), expect);
}

TEST(MatrixCore, ResizeKeepsOverlapAndFiresChangeThenResize) {
  TMatrix m;
  m.Resize(2, 2);
  FillPattern(m);
  EventLog ev;
  ev.Attach(m);
  EXPECT_FALSE(m.Resize(2, 2));  // same size: nothing
  EXPECT_FALSE(m.Resize(0, 3));
  EXPECT_FALSE(m.Resize(3, -1));
  EXPECT_EQ(ev.log, "");
  EXPECT_TRUE(m.Resize(3, 1));
  EXPECT_EQ(ev.log, "CR");
  EXPECT_EQ(m.Elem(1, 1), 11.0);
  EXPECT_EQ(m.Elem(2, 1), 21.0);
  EXPECT_EQ(m.Elem(3, 1), 0.0);
  EXPECT_EQ(m.Elem(1, 2), 0.0);  // row 2 dropped
  // Growing rows and columns at once keeps every old element in place.
  EXPECT_TRUE(m.Resize(4, 3));
  EXPECT_EQ(m.Elem(2, 1), 21.0);
  EXPECT_EQ(m.Elem(4, 3), 0.0);
  // Same row count: the column-major prefix stays.
  EXPECT_TRUE(m.Resize(2, 3));
  EXPECT_EQ(m.Elem(1, 1), 11.0);
  EXPECT_EQ(m.Elem(2, 1), 21.0);
}

TEST(MatrixCore, ResizeAndClearAndDimensionSetters) {
  TMatrix m;
  m.Resize(2, 2);
  FillPattern(m);
  EventLog ev;
  ev.Attach(m);
  EXPECT_FALSE(m.ResizeAndClear(2, 2));
  EXPECT_EQ(m.Elem(2, 2), 22.0);  // kept
  EXPECT_EQ(ev.log, "");
  EXPECT_TRUE(m.ResizeAndClear(2, 3));
  EXPECT_EQ(ev.log, "CRCR");  // Resize's pair, then the pair after clearing
  EXPECT_EQ(m.Elem(1, 1), 0.0);
  ev.log.clear();
  m.SetNCols(0);  // changes nothing
  m.SetNCols(-4);
  m.SetNRows(0);
  EXPECT_EQ(ev.log, "");
  EXPECT_EQ(m.NrOfColumns(), 2);
  m.SetNCols(5);
  m.SetNRows(1);
  EXPECT_EQ(m.NrOfColumns(), 5);
  EXPECT_EQ(m.NrOfRows(), 1);
  EXPECT_EQ(ev.log, "CRCR");
}

TEST(MatrixCore, ResizeBeyondMemoryRaisesNamedError) {
  TMatrix m;
  m.SetName("Big");
  m.SetVal(1, 1, 3.0);
  try {
    m.Resize(2147483647, 2147483647);
    FAIL() << "no exception";
  } catch (const EQMXMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"Big\": not enough memory on heap");
  }
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.Elem(1, 1), 3.0);
}

TEST(MatrixCore, ValidRangesClipSwapAndSelectAll) {
  TMatrix m;
  m.Resize(3, 4);
  std::int32_t lo = 0;
  std::int32_t hi = 0;
  EXPECT_FALSE(m.MakeValidColRange(lo, hi));
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 3);
  lo = 5;
  hi = 2;  // (5, 1, 2, 3) on a 3-column matrix: columns 2..3
  EXPECT_TRUE(m.MakeValidColRange(lo, hi));
  EXPECT_EQ(lo, 2);
  EXPECT_EQ(hi, 3);
  lo = 3;
  hi = 1;  // an exchange alone is no change
  EXPECT_FALSE(m.MakeValidRowRange(lo, hi));
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 3);
  lo = 0;
  hi = 9;
  EXPECT_TRUE(m.MakeValidRowRange(lo, hi));
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 4);
  lo = -7;
  hi = -2;
  EXPECT_TRUE(m.MakeValidRowRange(lo, hi));
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 1);
}

TEST(MatrixCore, CornerAndRangeFormsAgreeAfterClipping) {
  TMatrix m;
  m.Resize(3, 4);
  FillPattern(m);
  // Corner form (LoCol, LoRow, HiCol, HiRow) = (5, 1, 2, 3): columns 2..3, rows 1..3.
  EXPECT_DOUBLE_EQ(m.Sum(5, 1, 2, 3), 21 + 22 + 23 + 31 + 32 + 33);
  // Range form (LoCol, HiCol, LoRow, HiRow) = (5, 2, 1, 3) selects the same cells.
  EXPECT_EQ(m.CountValues(5, 2, 1, 3, 0.0, 100.0), 6);
  m.Fill(3, 9, 4, 2, -1.0);  // columns 3..3, rows 2..4
  EXPECT_EQ(m.CountValues(0, 0, 0, 0, -1.0, -1.0), 3);
  EXPECT_EQ(m.Elem(3, 1), 31.0);
  EXPECT_EQ(m.Elem(3, 2), -1.0);
  EXPECT_DOUBLE_EQ(m.Sum(0, 0, 0, 0), m.Sum(1, 1, 3, 4));
}

TEST(MatrixCore, RemoveColumnAndRow) {
  TMatrix m;
  EXPECT_FALSE(m.RemoveColumn(1));  // a one-column matrix
  EXPECT_FALSE(m.RemoveRow(1));
  m.Resize(3, 3);
  FillPattern(m);
  EventLog ev;
  ev.Attach(m);
  EXPECT_FALSE(m.RemoveColumn(0));
  EXPECT_FALSE(m.RemoveColumn(4));
  EXPECT_TRUE(m.RemoveColumn(2));
  EXPECT_EQ(ev.log, "CR");
  EXPECT_EQ(m.NrOfColumns(), 2);
  EXPECT_EQ(m.Elem(2, 3), 33.0);
  EXPECT_TRUE(m.RemoveRow(1));
  EXPECT_EQ(m.NrOfRows(), 2);
  EXPECT_EQ(m.Elem(1, 1), 12.0);
  EXPECT_EQ(m.Elem(2, 2), 33.0);
  EXPECT_TRUE(m.RemoveRow(2));  // the last row
  EXPECT_EQ(m.Elem(2, 1), 32.0);
  EXPECT_TRUE(m.RemoveColumn(2));  // the last column
  EXPECT_EQ(m.Elem(1, 1), 12.0);
}

TEST(MatrixCore, AssignCopiesHandlersCloneDoesNot) {
  TMatrix a;
  a.Resize(2, 3);
  FillPattern(a);
  a.SetDataID("set-1");
  a.SetFPrecis(1, 8);
  a.SetFPrecis(2, 3);
  int changes = 0;
  a.OnChange = [&](TObject*) { ++changes; };
  a.OnCalcDistance = [](TObject*, std::int32_t, std::int32_t, double& d) { d = 1.0; };
  a.OnPercentDone = [](TObject*, std::int32_t) {};

  TMatrix b;
  b.Assign(&a);
  EXPECT_EQ(changes, 0);  // Assign fires nothing
  EXPECT_EQ(b.NrOfColumns(), 2);
  EXPECT_EQ(b.NrOfRows(), 3);
  EXPECT_EQ(b.Elem(2, 3), 23.0);
  EXPECT_EQ(b.DataID(), "set-1");
  EXPECT_EQ(b.GetFPrecis(1), 8);
  EXPECT_EQ(b.GetFPrecis(2), 3);
  EXPECT_TRUE(static_cast<bool>(b.OnCalcDistance));
  EXPECT_TRUE(static_cast<bool>(b.OnPercentDone));
  b.SetVal(1, 1, 0.0);
  EXPECT_EQ(changes, 1);  // b notifies a's handler

  TMatrix c;
  c.Clone(&a);
  EXPECT_EQ(c.CRCofData(), a.CRCofData());
  EXPECT_EQ(c.DataID(), "");
  EXPECT_FALSE(static_cast<bool>(c.OnChange));
  c.Clone(nullptr);
  EXPECT_EQ(c.NrOfRows(), 3);

  TMatrix d;
  a.OnChange = nullptr;
  EXPECT_NO_THROW(static_cast<TPersistent&>(d).Assign(&a));
  TVector v;
  EXPECT_THROW(d.Assign(&v), EConvertError);
  EXPECT_THROW(v.Assign(&d), EConvertError);
}

TEST(MatrixCore, CloneFiresPerElementThenChangeAndResize) {
  TMatrix src;
  src.Resize(2, 2);
  FillPattern(src);
  TMatrix m;
  EventLog ev;
  ev.Attach(m);
  m.Clone(&src);
  EXPECT_EQ(ev.log, "CRCCCCCR");
  EXPECT_EQ(m.Elem(2, 1), 21.0);
}

TEST(MatrixCore, PrecisionsAreLimited) {
  TMatrix m;
  m.SetFPrecis(0, 99);
  EXPECT_EQ(m.GetFPrecis(1), 25);
  m.SetFPrecis(7, -9);
  EXPECT_EQ(m.GetFPrecis(2), -1);
  EXPECT_EQ(m.GetFPrecis(-3), 25);
}

TEST(MatrixCore, PercDonePassesTheMatrixItself) {
  TMatrix m;
  TMatrix other;
  TObject* seen = nullptr;
  std::int32_t percent = -1;
  m.PercDone(&other, 40);  // no handler: nothing
  m.OnPercentDone = [&](TObject* s, std::int32_t p) {
    seen = s;
    percent = p;
  };
  m.PercDone(&other, 40);
  EXPECT_EQ(seen, &m);
  EXPECT_EQ(percent, 40);
}

TEST(MatrixCore, ContentChecksum) {
  TMatrix m;
  const std::string zero = m.CRCofData();
  ASSERT_EQ(zero.size(), 64u);
  for (int k = 1; k < 8; ++k) {
    EXPECT_EQ(zero.substr(static_cast<std::size_t>(k) * 8, 8), zero.substr(0, 8));
  }
  m.SetVal(1, 1, 1.0);
  EXPECT_NE(m.CRCofData(), zero);
  TMatrix a;
  TMatrix b;
  a.Resize(2, 3);
  b.Resize(3, 2);
  a.FillSerial(1.0, 0.5);
  b.FillSerial(1.0, 0.5);
  EXPECT_EQ(a.CRCofData(), b.CRCofData());  // same column-major values, other shape
  b.SetVal(3, 2, 9.0);
  EXPECT_NE(a.CRCofData(), b.CRCofData());
  EXPECT_EQ(a.CRCofData(), ContentCRC(a.Data()));
}

TEST(MatrixCore, UnnamedComponentMessage) {
  TMatrix m;
  m.SetVal(1, 1, -1.0);
  try {
    (void)m.GeometricMean(0, 0, 0, 0);
    FAIL();
  } catch (const EQMXMatrixError& e) {
    EXPECT_STREQ(e.what(), "Component \"\": negative argument passed to GeometricMean");
  }
}

TEST(MatrixCore, CopyFromClipsAndFiresPerElement) {
  TMatrix src;
  src.Resize(3, 3);
  FillPattern(src);
  TMatrix m;
  m.Resize(3, 3);
  EventLog ev;
  ev.Attach(m);
  // Source corners (9, 2, 2, 9) become columns 2..3, rows 2..3; the target
  // (3, 2) lets only the first source column land.
  m.CopyFrom(&src, 9, 2, 2, 9, 3, 2);
  EXPECT_EQ(m.Elem(3, 2), 22.0);
  EXPECT_EQ(m.Elem(3, 3), 23.0);
  EXPECT_EQ(m.Sum(0, 0, 0, 0), 45.0);
  EXPECT_EQ(ev.log, "CCC");  // two elements written, one final change
  m.OnChange = nullptr;
  m.CopyFrom(nullptr, 0, 0, 0, 0, 1, 1);
  m.CopyFrom(&src, 0, 0, 0, 0, 1, 1);
  EXPECT_EQ(m.CRCofData(), src.CRCofData());
  m.CopyFrom(&src, 0, 0, 0, 0, -1, -1);  // shifted up-left: (3, 3) lands at (1, 1)
  EXPECT_EQ(m.Elem(1, 1), 33.0);
}

TEST(MatrixCore, CopyFromItselfBehavesAsCopiedAside) {
  TMatrix m;
  m.Resize(1, 5);
  m.FillSerial(1.0, 1.0);  // 1 2 3 4 5
  m.CopyFrom(&m, 1, 1, 1, 4, 1, 2);
  const std::vector<double> expect = {1, 1, 2, 3, 4};
  EXPECT_EQ(std::vector<double>(m.Data().begin(), m.Data().end()), expect);
}

TEST(MatrixCore, HandlersThatReshapeTheMatrixAreSurvived) {
  TMatrix src;
  src.Resize(4, 4);
  FillPattern(src);
  TMatrix m;
  m.Resize(4, 4);
  int calls = 0;
  m.OnChange = [&](TObject*) {
    if (++calls == 2) {
      m.Resize(1, 2);
    }
  };
  m.CopyFrom(&src, 0, 0, 0, 0, 1, 1);
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.Elem(1, 2), 12.0);  // written before the shrink and kept by it
  calls = 0;
  m.Clone(&src);  // the handler shrinks the matrix again during the element copies
  EXPECT_EQ(m.NrOfColumns(), 1);
  EXPECT_EQ(m.Elem(1, 2), 12.0);
  calls = 0;
  TDouble2DArray a(3, TDoubleArray(3, 1.0));
  m.OnChange = [&](TObject*) { a.clear(); };
  EXPECT_EQ(m.CopyFromArray(a, 0, 0, 0, 0, 1, 1), 0);
  TVector v;
  v.Resize(5);
  m.OnChange = [&](TObject*) { v.Resize(1); };
  m.CopyFromVec(TDims::dimRows, &v, 0, 0, 1, 1);

  TMatrix s;
  s.Resize(2, 10);
  s.FillSerial(20.0, -1.0);
  int exchanges = 0;
  s.OnSortExchange = [&](TObject*, std::uint8_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) {
    if (++exchanges == 3) {
      s.Resize(1, 2);
    }
  };
  s.SortRows(1, true, 0, 0, 0, 0);
  EXPECT_EQ(exchanges, 3);
  EXPECT_EQ(s.NrOfRows(), 2);
  s.Resize(10, 2);
  s.FillSerial(20.0, -1.0);
  exchanges = 0;
  s.SortCols(1, true, 0, 0, 0, 0);
  EXPECT_EQ(exchanges, 3);
  EXPECT_EQ(s.NrOfColumns(), 1);
}

TEST(MatrixCore, CopyToArrayCodesAndCutting) {
  TMatrix m;
  m.Resize(3, 3);
  FillPattern(m);
  TDouble2DArray empty;
  EXPECT_EQ(m.CopyToArray(empty, 0, 0, 0, 0, 0, 0), -1);
  TDouble2DArray a(2, TDoubleArray(2, -1.0));
  EXPECT_EQ(m.CopyToArray(a, 0, 1, 4, 2, 0, 0), -2);  // column 4 clamped
  EXPECT_EQ(m.CopyToArray(a, 1, 0, 2, 2, 0, 0), -3);  // row 0 clamped
  EXPECT_EQ(m.CopyToArray(a, 1, 1, 2, 2, 2, 0), -4);
  EXPECT_EQ(m.CopyToArray(a, 1, 1, 2, 2, 0, -1), -4);
  EXPECT_EQ(a[0][0], -1.0);  // nothing copied on errors
  EXPECT_EQ(m.CopyToArray(a, 0, 0, 0, 0, 1, 1), 0);  // cut to the array
  EXPECT_EQ(a[1][1], 11.0);
  EXPECT_EQ(a[0][0], -1.0);
  EXPECT_EQ(m.CopyToArray(a, 3, 3, 2, 2, 0, 0), 0);  // reversed corners are ordered
  EXPECT_EQ(a[0][0], 22.0);
  EXPECT_EQ(a[1][1], 33.0);
  m.SetVal(1, 1, 2.5);
  m.SetVal(2, 1, 3.5);
  m.SetVal(1, 2, -2.5);
  m.SetVal(2, 2, std::numeric_limits<double>::quiet_NaN());
  TInt2DArray ia(2, TIntArray(2, 7));
  EXPECT_EQ(m.CopyToArray(ia, 1, 1, 2, 2, 0, 0), 0);
  EXPECT_EQ(ia[0][0], 2);  // ties to even
  EXPECT_EQ(ia[1][0], 4);
  EXPECT_EQ(ia[0][1], -2);
  EXPECT_EQ(ia[1][1], 0);
}

TEST(MatrixCore, CopyFromArrayOneDimensional) {
  TMatrix m;
  m.Resize(4, 4);
  EventLog ev;
  ev.Attach(m);
  const TDoubleArray a = {1, 2, 3, 4, 5};
  EXPECT_EQ(m.CopyFromArray(TDoubleArray{}, 0, 0, 1, 1, true), -1);
  EXPECT_EQ(m.CopyFromArray(a, 0, 5, 1, 1, true), -4);
  EXPECT_EQ(m.CopyFromArray(a, -1, 2, 1, 1, true), -4);
  EXPECT_EQ(m.CopyFromArray(a, 0, 1, 5, 1, true), -5);
  EXPECT_EQ(ev.log, "");
  // The offset is the array index itself: elements 3 and 2 go to rows 1+3, 1+2.
  EXPECT_EQ(m.CopyFromArray(a, 3, 2, 2, 1, true), 0);
  EXPECT_EQ(m.Elem(2, 3), 3.0);
  EXPECT_EQ(m.Elem(2, 4), 4.0);
  EXPECT_EQ(m.Elem(2, 2), 0.0);
  EXPECT_EQ(ev.log, "CCC");
  EXPECT_EQ(m.CopyFromArray(TIntArray{7, 8, 9}, 0, 0, 3, 2, false), 0);  // horizontal, 9 dropped
  EXPECT_EQ(m.Elem(3, 2), 7.0);
  EXPECT_EQ(m.Elem(4, 2), 8.0);
}

TEST(MatrixCore, CopyFromArrayTwoDimensional) {
  TMatrix m;
  m.Resize(3, 3);
  const TDouble2DArray a = {{1, 2, 3}, {4, 5, 6}};
  EXPECT_EQ(m.CopyFromArray(TDouble2DArray{}, 0, 0, 0, 0, 1, 1), -1);
  EXPECT_EQ(m.CopyFromArray(a, 0, 2, 0, 0, 1, 1), -2);
  EXPECT_EQ(m.CopyFromArray(a, 0, 1, 1, 3, 1, 1), -3);
  EXPECT_EQ(m.CopyFromArray(a, 0, 1, 0, 2, 1, 0), -5);
  EXPECT_EQ(m.CopyFromArray(a, 0, 0, 0, 0, 1, 1), 0);
  EXPECT_EQ(m.Elem(1, 1), 1.0);
  EXPECT_EQ(m.Elem(2, 3), 6.0);
  m.Fill(0.0);
  EXPECT_EQ(m.CopyFromArray(a, 1, 1, 2, 1, 1, 1), 0);  // [1][1..2] to (2, 2..3)
  EXPECT_EQ(m.Elem(2, 2), 5.0);
  EXPECT_EQ(m.Elem(2, 3), 6.0);
  EXPECT_EQ(m.Sum(0, 0, 0, 0), 11.0);
  const TInt2DArray ragged = {{1, 2, 3}, {4}};
  EXPECT_EQ(m.CopyFromArray(ragged, 0, 0, 0, 2, 1, 1), -3);  // the short column decides
  EXPECT_EQ(m.CopyFromArray(ragged, 0, 0, 0, 0, 1, 1), 0);   // (0, 0): the common rows
}

TEST(MatrixCore, VectorsAndOneDimensionalArrays) {
  TMatrix m;
  m.Resize(3, 4);
  FillPattern(m);
  TVector v;
  v.Resize(2);
  m.CopyRowToVec(&v, 9, 0, 0);  // row clamped to 4, cut to two entries
  EXPECT_EQ(v.GetVal(1), 14.0);
  EXPECT_EQ(v.GetVal(2), 24.0);
  v.Resize(5);
  m.CopyColToVec(&v, 2, 3, 2);
  EXPECT_EQ(v.GetVal(1), 22.0);
  EXPECT_EQ(v.GetVal(2), 23.0);
  EXPECT_EQ(v.GetVal(3), 0.0);
  m.CopyColToVec(&v, 3);
  EXPECT_EQ(v.NrOfElem(), 4);
  EXPECT_EQ(v.GetVal(4), 34.0);
  m.CopyRowToVec(&v, 1);
  EXPECT_EQ(v.NrOfElem(), 3);
  EXPECT_EQ(v.GetVal(3), 31.0);
  m.CopyRowToVec(nullptr, 1);

  TMatrix t;
  t.Resize(3, 3);
  TVector w;
  w.Resize(4);
  w.FillSerial(1.0, 1.0);
  t.CopyFromVec(TDims::dimColumns, &w, 2, 9, 2, 1);  // 2, 3 along row 1 from column 2; 4 dropped
  EXPECT_EQ(t.Elem(2, 1), 2.0);
  EXPECT_EQ(t.Elem(3, 1), 3.0);
  t.CopyFromVec(&w, 0, 0, 1, 1, true);  // down column 1
  EXPECT_EQ(t.Elem(1, 3), 3.0);
  TIntVector iv;
  iv.Resize(2);
  iv.SetVal(2, 9);
  t.CopyFromVec(TDims::dimRows, &iv, 0, 0, 3, 2);
  EXPECT_EQ(t.Elem(3, 3), 9.0);

  TDoubleArray arr(5, -1.0);
  m.CopyColTo1DArray(arr, 2, 1, 4, 3);  // rows 1, 2 land at 3, 4
  EXPECT_EQ(arr, (TDoubleArray{0, 0, 0, 21, 22}));
  m.CopyRowTo1DArray(arr, 4, 0, 0, -1);  // a negative start cuts the front
  EXPECT_EQ(arr, (TDoubleArray{24, 34, 0, 0, 0}));
  arr.assign(2, -1.0);
  m.CopyColTo1DArray(arr, 1, 1, 2, 2);  // start beyond the array: nothing
  m.CopyColTo1DArray(arr, 1, 1, 2, -2);  // all below 0: nothing
  EXPECT_EQ(arr, (TDoubleArray{-1, -1}));

  TDouble2DArray dup;
  EXPECT_EQ(m.DuplicateDataAsArray(dup), -1);
  dup.assign(1, TDoubleArray(1));
  EXPECT_EQ(m.DuplicateDataAsArray(dup), 0);
  ASSERT_EQ(dup.size(), 3u);
  ASSERT_EQ(dup[2].size(), 4u);
  EXPECT_EQ(dup[2][3], 34.0);
}

TEST(MatrixCore, Fills) {
  TMatrix m;
  m.Resize(3, 2);
  EventLog ev;
  ev.Attach(m);
  m.Fill(2.0);
  m.FillDiag(5.0);
  EXPECT_EQ(m.Elem(1, 1), 5.0);
  EXPECT_EQ(m.Elem(2, 2), 5.0);
  EXPECT_EQ(m.Elem(3, 2), 2.0);  // off the diagonal: kept
  m.FillSerial(1.0, 2.0);
  EXPECT_EQ(m.Elem(1, 2), 3.0);
  EXPECT_EQ(m.Elem(3, 2), 11.0);
  EXPECT_EQ(ev.log, "CCC");
  SetRandSeed(7);
  m.FillRandomUniform(2.0, 3.0);
  double lo = 0;
  double hi = 0;
  m.MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_GE(lo, 2.0);
  EXPECT_LT(hi, 3.0);
  m.Fill(0.0);
  m.FillRandomUniform(2, 2, 1, 1, -1.0, 0.0);
  EXPECT_EQ(m.CountValues(0, 0, 0, 0, 0.0, 0.0), 5);
  m.FillRandomGauss(2, 3, 2, 2, 100.0, 0.0);
  EXPECT_EQ(m.Elem(3, 2), 100.0);
  EXPECT_EQ(m.Elem(1, 2), 0.0);
  EXPECT_EQ(ev.log.size(), 7u);
}

TEST(MatrixCore, FindAndCount) {
  TMatrix m;
  m.Resize(3, 3);
  FillPattern(m);
  std::int32_t c = -1;
  std::int32_t r = -1;
  m.Find(0, 0, 0, 0, 22.4, c, r);
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 2);
  m.Find(0, 0, 0, 0, 22.5, c, r);  // a tie: the first in column-major order
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 2);
  m.Find(3, 3, 0, 0, 0.0, c, r);
  EXPECT_EQ(c, 3);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(m.CountValues(0, 0, 0, 0, 12.0, 22.0), 4);  // 12 13 21 22
  m.SetVal(1, 1, std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(m.CountValues(0, 0, 0, 0, -1e300, 1e300), 8);

  TMatrix s;
  s.Resize(2, 6);
  const double col[] = {1, 3, 5, 7, 9, 11};
  for (int k = 0; k < 6; ++k) {
    s.SetVal(1, k + 1, col[k]);
    s.SetVal(2, k + 1, col[5 - k]);
  }
  EXPECT_EQ(s.FindInSortedColumn(1, true, 7.0), 4);
  EXPECT_EQ(s.FindInSortedColumn(1, true, 7.9), 4);
  EXPECT_EQ(s.FindInSortedColumn(1, true, 8.0), 5);  // tie: the higher
  EXPECT_EQ(s.FindInSortedColumn(1, true, -50.0), 1);
  EXPECT_EQ(s.FindInSortedColumn(1, true, 50.0), 6);
  EXPECT_EQ(s.FindInSortedColumn(2, false, 3.2), 5);
  EXPECT_EQ(s.FindInSortedColumn(3, true, 1.0), 0);  // no such column
  EXPECT_EQ(s.FindInSortedColumn(0, true, 1.0), 0);
}

TEST(MatrixCore, FindWithInfinities) {
  using L = std::numeric_limits<double>;
  TMatrix m;
  m.Resize(2, 2);
  m.Data()[0] = 1.0;
  m.Data()[1] = -L::infinity();
  m.Data()[2] = L::infinity();
  m.Data()[3] = 2.0;
  std::int32_t c = 0;
  std::int32_t r = 0;
  m.Find(0, 0, 0, 0, L::infinity(), c, r);  // the equal infinity, at distance 0
  EXPECT_EQ(c, 2);
  EXPECT_EQ(r, 1);
  m.Find(0, 0, 0, 0, -L::infinity(), c, r);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 2);
  m.Fill(3.0);
  m.Find(0, 0, 0, 0, L::infinity(), c, r);  // every element infinitely far: the first
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 1);
  m.Fill(L::infinity());
  m.Find(0, 0, 0, 0, 0.0, c, r);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 1);
  m.Find(0, 0, 0, 0, L::quiet_NaN(), c, r);  // no distance is defined
  EXPECT_EQ(c, 0);
  EXPECT_EQ(r, 0);
}

}  // namespace
}  // namespace qmx
