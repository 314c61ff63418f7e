#pragma once
// Helpers shared by the tests of the scalar math functions.

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

namespace qmx::test {

/// Checks that fn throws exactly the class E (not a class derived from it) with
/// the message msg.
template <class E, class Fn>
void ExpectThrowExact(Fn&& fn, const std::string& msg) {
  try {
    fn();
    ADD_FAILURE() << "no exception, expected \"" << msg << "\"";
  } catch (const E& e) {
    EXPECT_EQ(typeid(e), typeid(E));
    EXPECT_EQ(std::string(e.what()), msg);
  } catch (...) {
    ADD_FAILURE() << "wrong exception class, expected \"" << msg << "\"";
  }
}

}  // namespace qmx::test
