#pragma once
// Argument sweeps shared by the foundation robustness tests: each special value
// in each argument position, and each pair of special values in each pair of
// positions (for two arguments: every combination), while the other arguments
// keep ordinary values.  Every call runs under the watchdog of `Survives` and
// is counted.

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "robustness_util.hpp"

namespace qmx::test {

/// A value of any arithmetic type with the name it is reported under.
template <class T>
struct Named {
  T value;
  std::string name;
};

/// The special doubles converted to T, followed by `extra`.
template <class T = double>
std::vector<Named<T>> SpecialValuesOf(std::vector<Named<T>> extra = {}) {
  std::vector<Named<T>> out;
  for (const NamedDouble& d : SpecialDoubles()) out.push_back({static_cast<T>(d.value), d.name});
  out.insert(out.end(), extra.begin(), extra.end());
  return out;
}

/// The extremes of the 32-bit integers and a few ordinary values.
inline const std::vector<std::int32_t>& SpecialInts() {
  using L = std::numeric_limits<std::int32_t>;
  static const std::vector<std::int32_t> v = {L::min(), L::min() + 1, -1000, -1, 0, 1, 2, 7, 1000,
                                              L::max() - 1, L::max()};
  return v;
}

/// Number of calls made by the sweeps of the running process.
inline std::size_t& SweepCalls() {
  static std::size_t n = 0;
  return n;
}

/// Runs f once under `Survives<Allowed...>`, counted and traced under `what`.
template <class... Allowed, class F>
void Probe(const std::string& what, F&& f) {
  SCOPED_TRACE(what);
  ++SweepCalls();
  Survives<Allowed...>(what, f);
}

/// Calls f(args) for every special value in every position and every pair of
/// special values in every pair of positions; the other positions hold `base`.
template <class... Allowed, class T, std::size_t N, class F>
void Sweep(const std::string& name, const std::vector<Named<T>>& values, const std::array<T, N>& base, F&& f) {
  std::array<T, N> args = base;
  std::array<std::string, N> names;
  names.fill("ord");
  auto call = [&] {
    std::string what = name + "(";
    for (std::size_t i = 0; i < N; ++i) what += (i ? ", " : "") + names[i];
    Probe<Allowed...>(what + ")", [&] { f(args); });
  };
  for (std::size_t i = 0; i < N; ++i) {
    for (const auto& v : values) {
      args[i] = v.value;
      names[i] = v.name;
      call();
    }
    args[i] = base[i];
    names[i] = "ord";
  }
  for (std::size_t i = 0; i < N; ++i) {
    for (std::size_t j = i + 1; j < N; ++j) {
      for (const auto& v : values) {
        for (const auto& w : values) {
          args[i] = v.value;
          names[i] = v.name;
          args[j] = w.value;
          names[j] = w.name;
          call();
        }
      }
      args[i] = base[i];
      args[j] = base[j];
      names[i] = names[j] = "ord";
    }
  }
}

/// The same over the special doubles.
template <class... Allowed, std::size_t N, class F>
void Sweep(const std::string& name, const std::array<double, N>& base, F&& f) {
  static const std::vector<Named<double>> values = SpecialValuesOf<double>();
  Sweep<Allowed...>(name, values, base, f);
}

/// True when a and b are both NaN or compare equal.
template <class T>
bool SameOrBothNaN(T a, T b) {
  return (a != a && b != b) || a == b;
}

/// Resets the call count before a test and prints it afterwards.
class SweepTest : public ::testing::Test {
 protected:
  void SetUp() override { SweepCalls() = 0; }
  void TearDown() override {
    std::printf("[ calls    ] %zu function x value calls\n", SweepCalls());
  }
};

}  // namespace qmx::test
