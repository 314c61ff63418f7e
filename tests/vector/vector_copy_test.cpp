// TVector copies: from vectors and arrays (result codes, dropped positions,
// per-element events, copying onto itself), from 2-D arrays and into arrays.

#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "vector/vector_test_util.hpp"

namespace qmx {
namespace {

using vectest::SetAll;
using vectest::TEventLog;
using vectest::Values;

constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

TEST(VectorCopy, CopyFromVectorResultCodes) {
  TVector src;
  SetAll(src, std::vector<double>{10, 20, 30, 40});
  TVector dst;
  dst.Resize(3);
  TEventLog log;
  log.Attach(dst);
  EXPECT_EQ(dst.CopyFrom(static_cast<const TVector*>(nullptr), 1, 2, 1), -1);
  EXPECT_EQ(dst.CopyFrom(&src, 0, 5, 1), -2);
  EXPECT_EQ(dst.CopyFrom(&src, 1, 2, 4), -3);
  EXPECT_EQ(dst.CopyFrom(&src, 0, 5, 0), -3);  // -3 wins over -2
  EXPECT_EQ(dst.CopyFrom(&src, 5, 1, 1), -2);
  EXPECT_TRUE(log.events.empty());
  EXPECT_EQ(Values(dst), (std::vector<double>{0, 0, 0}));

  // Bounds put in order; positions beyond the end dropped; one change per element written.
  EXPECT_EQ(dst.CopyFrom(&src, 4, 2, 2), 0);
  EXPECT_EQ(Values(dst), (std::vector<double>{0, 20, 30}));
  EXPECT_EQ(log.Count("change"), 3);  // two elements + the final change

  // (0, 0): the whole source; DestIx is not checked, outside positions are dropped.
  log.Clear();
  EXPECT_EQ(dst.CopyFrom(&src, 0, 0, 0), 0);
  EXPECT_EQ(Values(dst), (std::vector<double>{20, 30, 40}));
  EXPECT_EQ(log.Count("change"), 4);
  EXPECT_EQ(dst.CopyFrom(&src, 0, 0, kMaxInt), 0);
  EXPECT_EQ(dst.CopyFrom(&src, 0, 0, kMinInt), 0);
  EXPECT_EQ(Values(dst), (std::vector<double>{20, 30, 40}));
}

TEST(VectorCopy, CopyOntoItselfActsAsIfCopiedAside) {
  for (bool withHandler : {false, true}) {
    TVector v;
    SetAll(v, std::vector<double>{1, 2, 3, 4, 5});
    int changes = 0;
    if (withHandler) {
      v.OnChange = [&](TObject*) { ++changes; };
    }
    EXPECT_EQ(v.CopyFrom(&v, 1, 4, 2), 0);
    EXPECT_EQ(Values(v), (std::vector<double>{1, 1, 2, 3, 4})) << withHandler;
    EXPECT_EQ(v.CopyFrom(&v, 2, 5, 1), 0);
    EXPECT_EQ(Values(v), (std::vector<double>{1, 2, 3, 4, 4})) << withHandler;
    EXPECT_EQ(changes, withHandler ? 10 : 0);
  }
}

TEST(VectorCopy, CopyFromArray) {
  const TDoubleArray a{1.5, 2.5, 3.5};
  TVector v;
  v.Resize(4);
  EXPECT_EQ(v.CopyFrom(TDoubleArray{}, 0, 0, 1), -1);
  EXPECT_EQ(v.CopyFrom(a, 0, 3, 1), -2);
  EXPECT_EQ(v.CopyFrom(a, -1, 2, 1), -2);
  EXPECT_EQ(v.CopyFrom(a, 0, 3, 9), -3);
  EXPECT_EQ(v.CopyFrom(a, 0, 0, 2), 0);
  EXPECT_EQ(Values(v), (std::vector<double>{0, 1.5, 2.5, 3.5}));
  EXPECT_EQ(v.CopyFrom(a, 2, 1, 4), 0);
  EXPECT_EQ(Values(v), (std::vector<double>{0, 1.5, 2.5, 2.5}));
}

TEST(VectorCopy, CopyFrom2DArrayRowAndColumn) {
  // [column][row]: 3 columns of 2 rows.
  const TDouble2DArray a{{1, 2}, {3, 4}, {5, 6}};
  TVector v;
  v.Resize(4);
  TEventLog log;
  log.Attach(v);
  v.CopyFrom2DArrayRow(a, 1, 0, 2, 2);
  EXPECT_EQ(Values(v), (std::vector<double>{0, 2, 4, 6}));
  EXPECT_EQ(log.Count("change"), 4);
  v.CopyFrom2DArrayRow(a, 99, 5, -5, 1);  // row clamped to 1, columns to 0..2
  EXPECT_EQ(Values(v), (std::vector<double>{2, 4, 6, 6}));
  v.CopyFrom2DArrayRow(a, 0, 0, 2, -1);  // only the last column lands (position 1)
  EXPECT_EQ(Values(v), (std::vector<double>{5, 4, 6, 6}));
  log.Clear();
  v.CopyFrom2DArrayRow(a, 0, 0, 2, -2);  // no target position: nothing
  v.CopyFrom2DArrayRow(a, 0, 0, 2, 5);   // DestIx beyond the end: nothing
  v.CopyFrom2DArrayRow(TDouble2DArray{}, 0, 0, 2, 1);
  v.CopyFrom2DArrayRow(TDouble2DArray{{}}, 0, 0, 2, 1);
  EXPECT_TRUE(log.events.empty());

  v.CopyFrom2DArrayColumn(a, 2, 1, 0, 3);
  EXPECT_EQ(Values(v), (std::vector<double>{5, 4, 5, 6}));
  v.CopyFrom2DArrayColumn(a, -4, 0, 9, 1);
  EXPECT_EQ(Values(v), (std::vector<double>{1, 2, 5, 6}));

  // Ragged arrays: missing cells are skipped.
  const TDouble2DArray ragged{{1, 2, 3}, {7}, {8, 9}};
  v.Fill(0);
  v.CopyFrom2DArrayRow(ragged, 2, 0, 2, 1);
  EXPECT_EQ(Values(v), (std::vector<double>{3, 0, 0, 0}));
  v.CopyFrom2DArrayColumn(ragged, 1, 0, 2, 2);
  EXPECT_EQ(Values(v), (std::vector<double>{3, 7, 0, 0}));
}

TEST(VectorCopy, CopyToArray) {
  TVector v;
  SetAll(v, std::vector<double>{1, 2, 3, 4});
  TDoubleArray a{9, 9, 9, 9, 9, 9, 9, 9};
  v.CopyToArray(a, 2, 3, 1);
  EXPECT_EQ(a, (TDoubleArray{9, 2, 3}));  // set to the new length
  v.CopyToArray(a, 0, 0, -3);
  EXPECT_EQ(a, (TDoubleArray{1, 2, 3, 4}));
  a = {7};
  v.CopyToArray(a, 4, 4, 3);
  EXPECT_EQ(a, (TDoubleArray{7, 0, 0, 4}));

  TDouble2DArray m{{0, 0, 0}, {0, 0, 0}};
  v.CopyToArray(m, 0, 0, 1, 1, true);  // column 1 from row 1: two fit
  EXPECT_EQ(m, (TDouble2DArray{{0, 0, 0}, {0, 1, 2}}));
  v.CopyToArray(m, 3, 4, -1, 7, false);  // clamped to column 0, row 2
  EXPECT_EQ(m, (TDouble2DArray{{0, 0, 3}, {0, 1, 4}}));
  TDouble2DArray ragged{{0, 0}, {0}};
  v.CopyToArray(ragged, 0, 0, 0, 1, false);  // column 1 has no row 1: skipped
  EXPECT_EQ(ragged, (TDouble2DArray{{0, 1}, {0}}));
  TDouble2DArray empty;
  v.CopyToArray(empty, 0, 0, 0, 0, true);
  EXPECT_TRUE(empty.empty());
}

}  // namespace
}  // namespace qmx
