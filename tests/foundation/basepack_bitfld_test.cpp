#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "qmx/foundation/basepack.hpp"

namespace qmx {
namespace {

using Ref = std::vector<bool>;

void ExpectSame(const TBitFld& f, const Ref& ref) {
  ASSERT_EQ(f.NumBits(), static_cast<std::int32_t>(ref.size()));
  std::int32_t first = -1;
  std::int32_t count = 0;
  for (std::size_t i = 0; i < ref.size(); ++i) {
    ASSERT_EQ(f.GetBit(static_cast<std::int32_t>(i)), ref[i]) << "bit " << i;
    if (ref[i]) {
      ++count;
      if (first < 0) {
        first = static_cast<std::int32_t>(i);
      }
    }
  }
  EXPECT_EQ(f.FirstTrueBit(), first);
  EXPECT_EQ(f.CountTrueBits(), count);
}

void FillRandom(TBitFld& f, Ref& ref, std::mt19937& gen, double density) {
  std::bernoulli_distribution coin(density);
  for (std::size_t i = 0; i < ref.size(); ++i) {
    ref[i] = coin(gen);
    f.SetBit(static_cast<std::int32_t>(i), ref[i]);
  }
}

bool Apply(bool b, bool s, TLogicOp op) {
  switch (op) {
    case TLogicOp::loAnd: return b && s;
    case TLogicOp::loOr: return b || s;
    case TLogicOp::loXor: return b != s;
    case TLogicOp::loAndNot: return b && !s;
    case TLogicOp::loOrNot: return b || !s;
    case TLogicOp::loXorNot: return b != !s;
  }
  return b;
}

TEST(BasepackBitFld, SizeIndexesAndRangeChecks) {
  TBitFld f;
  EXPECT_EQ(f.Size(), -1);
  EXPECT_EQ(f.NumBits(), 0);
  EXPECT_EQ(f.FirstTrueBit(), -1);
  f.SetSize(10);  // indexes 0..10 are valid
  EXPECT_EQ(f.Size(), 10);
  EXPECT_EQ(f.NumBits(), 11);
  f.SetBit(10, true);
  f.SetBit(11, true);   // ignored
  f.SetBit(-1, true);   // ignored
  EXPECT_TRUE(f.GetBit(10));
  EXPECT_FALSE(f.GetBit(11));
  EXPECT_FALSE(f.GetBit(-1));
  EXPECT_EQ(f.CountTrueBits(), 1);
  EXPECT_EQ(f.FirstTrueBit(), 10);
  f.Clear();
  EXPECT_EQ(f.CountTrueBits(), 0);
  f.SetSize(-5);
  EXPECT_EQ(f.NumBits(), 0);
  EXPECT_FALSE(f.GetBit(0));
}

TEST(BasepackBitFld, ShrinkingDropsBitsThatDoNotReturnOnGrowth) {
  TBitFld f;
  f.SetSize(200);
  f.SetBit(5, true);
  f.SetBit(63, true);
  f.SetBit(64, true);
  f.SetBit(150, true);
  f.SetSize(63);  // keeps 0..63
  EXPECT_EQ(f.CountTrueBits(), 2);
  f.SetSize(40);
  f.SetSize(200);
  EXPECT_EQ(f.CountTrueBits(), 1);
  EXPECT_TRUE(f.GetBit(5));
  EXPECT_FALSE(f.GetBit(63));
  EXPECT_FALSE(f.GetBit(150));
}

TEST(BasepackBitFld, InvertKeepsUnusedBitsClear) {
  for (std::int32_t size : {0, 62, 63, 64, 127, 1000}) {
    TBitFld f;
    f.SetSize(size);
    f.Invert();
    EXPECT_EQ(f.CountTrueBits(), size + 1) << size;
    EXPECT_EQ(f.FirstTrueBit(), 0);
    f.Invert();
    EXPECT_EQ(f.CountTrueBits(), 0);
    EXPECT_EQ(f.FirstTrueBit(), -1);
  }
}

TEST(BasepackBitFld, RandomOperationsMatchVectorOfBool) {
  std::mt19937 gen(2024);
  for (std::int32_t size : {0, 1, 63, 64, 65, 300, 4097}) {
    for (double density : {0.02, 0.5, 0.97}) {
      TBitFld a;
      TBitFld b;
      a.SetSize(size);
      Ref ra(static_cast<std::size_t>(size) + 1);
      FillRandom(a, ra, gen, density);
      ExpectSame(a, ra);

      a.Invert();
      ra.flip();
      ExpectSame(a, ra);

      // The other field is shorter, equal or longer: its missing bits count as false.
      for (std::int32_t otherSize : {size / 2, size, size + 70}) {
        b.SetSize(otherSize);
        Ref rb(static_cast<std::size_t>(otherSize) + 1);
        FillRandom(b, rb, gen, 0.5);
        for (int op = 0; op < 6; ++op) {
          TBitFld c;
          c.Clone(&a);
          Ref rc = ra;
          c.CombineWith(&b, static_cast<TLogicOp>(op));
          for (std::size_t i = 0; i < rc.size(); ++i) {
            rc[i] = Apply(rc[i], i < rb.size() && rb[i], static_cast<TLogicOp>(op));
          }
          ExpectSame(c, rc);
        }
      }
    }
  }
}

TEST(BasepackBitFld, CombineWithIgnoresNilAndUnknownOperations) {
  TBitFld a;
  a.SetSize(9);
  a.SetBit(3, true);
  a.CombineWith(nullptr, TLogicOp::loAnd);
  EXPECT_TRUE(a.GetBit(3));
  TBitFld b;
  b.SetSize(9);
  a.CombineWith(&b, static_cast<TLogicOp>(6));
  EXPECT_TRUE(a.GetBit(3));
  a.CombineWith(&a, TLogicOp::loXor);  // with itself
  EXPECT_EQ(a.CountTrueBits(), 0);
}

TEST(BasepackBitFld, CloneAssignAndOwnership) {
  TComponent owner;
  auto* a = new TBitFld(&owner);  // destroyed by its owner
  a->SetName("flags");
  a->SetSize(70);
  a->SetBit(69, true);
  TBitFld b;
  b.SetSize(3);
  b.SetBit(0, true);
  b.Clone(a);
  EXPECT_EQ(b.Size(), 70);
  EXPECT_TRUE(b.GetBit(69));
  EXPECT_FALSE(b.GetBit(0));
  b.Clone(nullptr);
  EXPECT_EQ(b.Size(), 70);
  TBitFld c;
  c.Assign(a);
  EXPECT_TRUE(c.GetBit(69));
  EXPECT_EQ(c.Name(), "");
  TComponent other;
  EXPECT_THROW(c.Assign(&other), EConvertError);
  EXPECT_EQ(owner.ComponentCount(), 1);
  EXPECT_EQ(a->ClassName(), "TBitFld");
}

}  // namespace
}  // namespace qmx
