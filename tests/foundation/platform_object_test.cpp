// The object and component model, the default Assign, and the process-wide random generator.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "qmx/foundation/platform.hpp"

namespace qmx {
namespace {

// A component that records its destruction in a shared log.
class TLoggedComponent : public TComponent {
 public:
  TLoggedComponent(TComponent* owner, std::string tag, std::vector<std::string>* log)
      : TComponent(owner), tag_(std::move(tag)), log_(log) {}
  ~TLoggedComponent() override { log_->push_back(tag_); }

 private:
  std::string tag_;
  std::vector<std::string>* log_;
};

TEST(PlatformComponent, OwnerDestroysOwnedInReverseOrder) {
  std::vector<std::string> log;
  {
    TLoggedComponent owner(nullptr, "owner", &log);
    auto* a = new TLoggedComponent(&owner, "a", &log);
    new TLoggedComponent(&owner, "b", &log);
    new TLoggedComponent(a, "a.child", &log);  // owned two levels down
    EXPECT_EQ(owner.ComponentCount(), 2);
    EXPECT_EQ(owner.Components(0), a);
    EXPECT_EQ(owner.Components(2), nullptr);
    EXPECT_EQ(owner.Components(-1), nullptr);
    EXPECT_EQ(a->Owner(), &owner);
  }
  // The derived destructor runs first, then TComponent's destroys the owned ones.
  EXPECT_EQ(log, (std::vector<std::string>{"owner", "b", "a", "a.child"}));
}

TEST(PlatformComponent, ComponentDestroyedFirstLeavesOwnersList) {
  std::vector<std::string> log;
  {
    TComponent owner;
    auto* a = new TLoggedComponent(&owner, "a", &log);
    auto* b = new TLoggedComponent(&owner, "b", &log);
    delete a;
    EXPECT_EQ(owner.ComponentCount(), 1);
    EXPECT_EQ(owner.Components(0), b);
  }
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));  // "a" destroyed once only
}

TEST(PlatformComponent, NameAndClassName) {
  TComponent c;
  EXPECT_EQ(c.Name(), "");
  c.SetName("Data");
  EXPECT_EQ(c.Name(), "Data");
  EXPECT_EQ(c.ClassName(), "TComponent");
  EXPECT_EQ(c.Owner(), nullptr);
}

TEST(PlatformPersistent, DefaultAssignRaisesConvertError) {
  TPersistent p;
  TComponent c;
  try {
    p.Assign(&c);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a TComponent to a TPersistent");
  }
  try {
    c.Assign(nullptr);
    FAIL() << "no exception";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Cannot assign a nil to a TComponent");
  }
  TBitmap bmp(2, 2);
  EXPECT_THROW(bmp.Assign(&c), EConvertError);
  EXPECT_THROW(c.Assign(&bmp), EConvertError);
  EXPECT_EQ(bmp.Width(), 2);
}

TEST(PlatformRandom, SameSeedGivesSameSequence) {
  SetRandSeed(12345);
  std::vector<double> first;
  for (int i = 0; i < 100; ++i) {
    first.push_back(Random());
  }
  SetRandSeed(12345);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(Random(), first[static_cast<std::size_t>(i)]) << i;
  }
  SetRandSeed(12346);
  EXPECT_NE(Random(), first[0]);
}

TEST(PlatformRandom, UniformRangesAndBounds) {
  SetRandSeed(7);
  std::vector<int> hits(7, 0);
  for (int i = 0; i < 70000; ++i) {
    const double u = Random();
    ASSERT_GE(u, 0.0);
    ASSERT_LT(u, 1.0);
    const std::int32_t k = Random(7);
    ASSERT_GE(k, 0);
    ASSERT_LE(k, 6);
    ++hits[static_cast<std::size_t>(k)];
  }
  for (int h : hits) {
    EXPECT_NEAR(h, 10000, 500);  // about 5 standard deviations
  }
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-3), 0);
  EXPECT_EQ(Random(1), 0);
}

TEST(PlatformRandom, GaussianMeanAndDeviation) {
  SetRandSeed(99);
  const int n = 200000;
  Extended sum = 0;
  Extended sumSq = 0;
  for (int i = 0; i < n; ++i) {
    const double g = RandG(3.0, 2.0);
    ASSERT_TRUE(std::isfinite(g));
    sum += g;
    sumSq += static_cast<Extended>(g) * g;
  }
  const double mean = static_cast<double>(sum / n);
  const double sd = std::sqrt(static_cast<double>((sumSq - sum * sum / n) / (n - 1)));
  EXPECT_NEAR(mean, 3.0, 0.02);  // standard error 2 / sqrt(n) = 0.0045
  EXPECT_NEAR(sd, 2.0, 0.02);
}

}  // namespace
}  // namespace qmx
