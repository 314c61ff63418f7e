// Object and component model, and the process-wide random generator.
#include "qmx/foundation/platform.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace qmx {

// ---- TObject / TPersistent --------------------------------------------------

TObject::~TObject() = default;
std::string_view TObject::ClassName() const { return "TObject"; }

std::string_view TPersistent::ClassName() const { return "TPersistent"; }

void TPersistent::Assign(const TPersistent* Source) {
  if (Source == nullptr) {
    throw EConvertError("Cannot assign a nil to a " + std::string(ClassName()));
  }
  Source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* Dest) const {
  const std::string destName = Dest != nullptr ? std::string(Dest->ClassName()) : std::string("nil");
  throw EConvertError("Cannot assign a " + std::string(ClassName()) + " to a " + destName);
}

// ---- TComponent ------------------------------------------------------------

TComponent::TComponent(TComponent* AOwner) : owner_(AOwner) {
  if (owner_ != nullptr) {
    owner_->InsertComponent(this);
  }
}

TComponent::~TComponent() {
  // Destroy owned components last-created first; each removes itself from our list.
  while (!components_.empty()) {
    TComponent* child = components_.back();
    delete child;
  }
  if (owner_ != nullptr) {
    owner_->RemoveComponent(this);
  }
}

std::string_view TComponent::ClassName() const { return "TComponent"; }

TComponent* TComponent::Components(int i) const {
  if (i < 0 || i >= ComponentCount()) {
    return nullptr;
  }
  return components_[static_cast<std::size_t>(i)];
}

void TComponent::InsertComponent(TComponent* c) { components_.push_back(c); }

void TComponent::RemoveComponent(TComponent* c) {
  auto it = std::find(components_.begin(), components_.end(), c);
  if (it != components_.end()) {
    components_.erase(it);
  }
}

// ---- Random generator --------------------------------------------------------
// xoshiro256** seeded through splitmix64: fast, well distributed, and fully
// specified by integer arithmetic, so a seed gives the same sequence everywhere.

namespace {

class TRandomState {
 public:
  TRandomState() { Seed(0x5DEECE66DULL); }

  void Seed(std::uint64_t seed) {
    std::uint64_t x = seed;
    for (auto& w : s_) {
      x += 0x9E3779B97F4A7C15ULL;
      std::uint64_t z = x;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
      w = z ^ (z >> 31);
    }
  }

  std::uint64_t Next() {
    const std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
  }

  double NextDouble() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

  std::mutex mutex;

 private:
  static std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::uint64_t s_[4]{};
};

TRandomState& State() {
  static TRandomState state;
  return state;
}

}  // namespace

double Random() {
  auto& st = State();
  std::lock_guard lock(st.mutex);
  return st.NextDouble();
}

std::int32_t Random(std::int32_t range) {
  if (range <= 0) {
    return 0;
  }
  const auto r = static_cast<std::int32_t>(Random() * static_cast<double>(range));
  return std::min(r, range - 1);
}

void SetRandSeed(std::uint64_t seed) {
  auto& st = State();
  std::lock_guard lock(st.mutex);
  st.Seed(seed);
}

void Randomize() {
  const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
  SetRandSeed(static_cast<std::uint64_t>(ticks));
}

double RandG(double mean, double sd) {
  // Polar method; a zero radius is drawn again (its logarithm is undefined).
  double u1 = 0.0;
  double s = 0.0;
  do {
    u1 = 2.0 * Random() - 1.0;
    const double u2 = 2.0 * Random() - 1.0;
    s = u1 * u1 + u2 * u2;
  } while (s >= 1.0 || s == 0.0);
  return mean + sd * u1 * std::sqrt(-2.0 * std::log(s) / s);
}

}  // namespace qmx
