#pragma once
// Shared machinery of the robustness tests: the special values every numeric
// function must survive, arrays built from them, a watchdog that ends the
// process when a call does not return, and a call wrapper that accepts only
// the documented exceptions.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <limits>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

namespace qmx::test {

/// A double with the name it is reported under.
struct NamedDouble {
  double value;
  const char* name;
};

/// NaN, the infinities, both zeros, the largest and smallest normal doubles,
/// the denormals, and one ordinary value of each sign for mixing.
inline const std::vector<NamedDouble>& SpecialDoubles() {
  using L = std::numeric_limits<double>;
  static const std::vector<NamedDouble> values = {
      {L::quiet_NaN(), "NaN"},      {-L::quiet_NaN(), "-NaN"},   {L::infinity(), "+inf"},
      {-L::infinity(), "-inf"},     {0.0, "+0"},                 {-0.0, "-0"},
      {L::max(), "max"},            {-L::max(), "-max"},         {L::min(), "min"},
      {-L::min(), "-min"},          {L::denorm_min(), "denorm"}, {-L::denorm_min(), "-denorm"},
      {L::min() / 3.0, "min/3"},    {1.5, "1.5"},                {-2.25, "-2.25"},
  };
  return values;
}

/// True for a NaN of a floating-point type; never for an integer.
template <class T>
bool IsNaN(T v) {
  if constexpr (std::is_floating_point_v<T>) {
    return std::isnan(v);
  } else {
    return false;
  }
}
/// Equal, or both NaN.
template <class T>
bool SameValue(T a, T b) {
  return a == b || (IsNaN(a) && IsNaN(b));
}
/// No element is NaN or infinite (always true for integers).
template <class T>
bool AllFinite(const std::vector<T>& v) {
  if constexpr (std::is_floating_point_v<T>) {
    return std::all_of(v.begin(), v.end(), [](T x) { return std::isfinite(x); });
  } else {
    return true;
  }
}

/// A named array of doubles.
struct NamedArray {
  std::vector<double> values;
  std::string name;
};

/// Arrays of n >= 1 elements that stress a numeric routine: each special value
/// filling the whole array, each special value among ordinary values, and
/// mixtures of huge values of both signs (sums overflow) and of NaN with
/// infinities.
inline std::vector<NamedArray> SpecialArrays(std::size_t n) {
  std::vector<NamedArray> arrays;
  std::vector<double> ordinary(n);
  for (std::size_t i = 0; i < n; ++i) {
    ordinary[i] = 1.0 + 0.5 * static_cast<double>((i * 7) % 11) - 2.0 * static_cast<double>(i % 3);
  }
  for (const NamedDouble& s : SpecialDoubles()) {
    arrays.push_back({std::vector<double>(n, s.value), std::string("all ") + s.name});
    std::vector<double> mixed = ordinary;
    mixed[n / 2] = s.value;
    arrays.push_back({mixed, std::string("one ") + s.name});
  }
  using L = std::numeric_limits<double>;
  std::vector<double> huge(n), nonfinite(n), tiny(n);
  for (std::size_t i = 0; i < n; ++i) {
    huge[i] = (i % 2 == 0) ? L::max() : -L::max() * 0.75;
    nonfinite[i] = (i % 3 == 0) ? L::quiet_NaN() : ((i % 3 == 1) ? L::infinity() : -L::infinity());
    tiny[i] = L::denorm_min() * static_cast<double>(i + 1);
  }
  arrays.push_back({huge, "alternating huge"});
  arrays.push_back({nonfinite, "NaN and infinities"});
  arrays.push_back({tiny, "denormals"});
  arrays.push_back({ordinary, "ordinary"});
  return arrays;
}

/// Ends the process with a message naming the call when a call guarded by a
/// `WatchdogScope` does not return within its limit, so that a hang fails the
/// suite at once instead of stalling it.  One thread serves the whole process.
class Watchdog {
 public:
  static Watchdog& Instance() {
    // Never destroyed: its detached thread waits on the members until exit.
    static Watchdog* const dog = new Watchdog;
    return *dog;
  }
  void Arm(std::string what, std::chrono::milliseconds limit) {
    std::lock_guard<std::mutex> lock(mutex_);
    what_ = std::move(what);
    deadline_ = std::chrono::steady_clock::now() + limit;
    limit_ = limit;
    armed_ = true;
    wake_.notify_all();
  }
  void Disarm() {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
    wake_.notify_all();
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  Watchdog() : thread_([this] { Watch(); }) { thread_.detach(); }
  ~Watchdog() = default;

  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      if (!armed_) {
        wake_.wait(lock);
      } else if (wake_.wait_until(lock, deadline_) == std::cv_status::timeout && armed_ &&
                 std::chrono::steady_clock::now() >= deadline_) {
        std::fprintf(stderr, "watchdog: %s did not return within %lld ms\n", what_.c_str(),
                     static_cast<long long>(limit_.count()));
        std::fflush(stderr);
        std::abort();
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::string what_;
  std::chrono::steady_clock::time_point deadline_{};
  std::chrono::milliseconds limit_{0};
  bool armed_ = false;
  std::thread thread_;
};

/// Guards the calls made during its lifetime (scopes do not nest).
class WatchdogScope {
 public:
  explicit WatchdogScope(std::string what, std::chrono::milliseconds limit = std::chrono::milliseconds(10000)) {
    Watchdog::Instance().Arm(std::move(what), limit);
  }
  ~WatchdogScope() { Watchdog::Instance().Disarm(); }
  WatchdogScope(const WatchdogScope&) = delete;
  WatchdogScope& operator=(const WatchdogScope&) = delete;
};

/// Calls f under the watchdog.  Returning is a pass; throwing one of the
/// documented exception classes Allowed... (or a class derived from one) is a
/// pass; any other exception fails the test with what, the exception's type and
/// its message.  Returns true when f returned normally.
template <class... Allowed, class F>
bool Survives(const std::string& what, F&& f) {
  WatchdogScope guard(what);
  try {
    std::forward<F>(f)();
    return true;
  } catch (const std::exception& e) {
    const bool documented = (false || ... || (dynamic_cast<const Allowed*>(&e) != nullptr));
    if (!documented) {
      ADD_FAILURE() << what << " threw an undocumented " << typeid(e).name() << ": " << e.what();
    }
  } catch (...) {
    ADD_FAILURE() << what << " threw something that is not a std::exception";
  }
  return false;
}

}  // namespace qmx::test
