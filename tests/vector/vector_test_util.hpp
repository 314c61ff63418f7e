#pragma once
// Helpers of the vector tests: an event log wired to a vector's events, and
// exception message capture.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "qmx/vector/vectors.hpp"

namespace qmx::vectest {

/// Records the events of a vector in the order they fire.
struct TEventLog {
  std::vector<std::string> events;
  struct Exchange {
    std::uint8_t what;
    std::int32_t i1, i2, i3, i4;
  };
  std::vector<Exchange> exchanges;
  const TObject* lastSender = nullptr;

  template <class V>
  void Attach(V& v) {
    v.OnChange = [this](TObject* s) {
      lastSender = s;
      events.push_back("change");
    };
    v.OnResize = [this](TObject* s) {
      lastSender = s;
      events.push_back("resize");
    };
    v.OnSortExchange = [this](TObject* s, std::uint8_t what, std::int32_t a, std::int32_t b, std::int32_t c,
                              std::int32_t d) {
      lastSender = s;
      events.push_back("exchange");
      exchanges.push_back({what, a, b, c, d});
    };
  }
  int Count(const std::string& name) const {
    int n = 0;
    for (const auto& e : events) {
      n += e == name ? 1 : 0;
    }
    return n;
  }
  void Clear() {
    events.clear();
    exchanges.clear();
  }
};

/// The message of the exception E thrown by f, or a marker when none is thrown.
template <class E>
std::string MessageOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const E& e) {
    return e.what();
  }
  return "<no exception>";
}

template <class V, class T>
void SetAll(V& v, const std::vector<T>& values) {
  v.Resize(static_cast<std::int32_t>(values.size()));
  for (std::size_t i = 0; i < values.size(); ++i) {
    v.Data()[i] = values[i];
  }
}

template <class V>
auto Values(const V& v) {
  return std::vector(v.Data().begin(), v.Data().end());
}

}  // namespace qmx::vectest
