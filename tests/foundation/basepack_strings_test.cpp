#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "qmx/foundation/basepack.hpp"

namespace qmx {
namespace {

TEST(BasepackStrings, TokenizeMergesOrKeepsEmptyFields) {
  EXPECT_EQ(Tokenize("  a bb\tccc  ", " \t"), (TStrArray{"a", "bb", "ccc"}));
  EXPECT_TRUE(Tokenize("", " ").empty());
  EXPECT_TRUE(Tokenize("   ", " ").empty());
  EXPECT_EQ(Tokenize("a,,b,", ",", false), (TStrArray{"a", "", "b", ""}));
  EXPECT_EQ(Tokenize("", ",", false), (TStrArray{""}));
  EXPECT_EQ(Tokenize("abc", ""), (TStrArray{"abc"}));
  // The root attributes of a stored model, split at blanks.
  const TStrArray t = Tokenize("sig=\"QMXLIBSIG\" vers=\"1.001\" id=\"A B\"", " ");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[2], "id=\"A");
}

TEST(BasepackStrings, StringIxHonoursCase) {
  static constexpr std::array<std::string_view, 3> kNames = {"Euclid", "Manhattan", "Mahalanobis"};
  EXPECT_EQ(StringIx("manhattan", false, kNames), 1);
  EXPECT_EQ(StringIx("manhattan", true, kNames), -1);
  EXPECT_EQ(StringIx("Mahalanobis", true, kNames), 2);
  EXPECT_EQ(StringIx("", false, kNames), -1);
  const std::vector<std::string> list = {"a", "B", "b"};
  EXPECT_EQ(StringIx("b", false, list), 1);
  EXPECT_EQ(StringIx("b", true, list), 2);
  EXPECT_EQ(StringIx("x", true, std::vector<std::string>{}), -1);
}

TEST(BasepackStrings, StringContains) {
  EXPECT_TRUE(StringContains("12.5 //dig point", "//dig"));
  EXPECT_FALSE(StringContains("12.5 //DIG", "//dig"));
  EXPECT_TRUE(StringContains("12.5 //DIG", "//dig", false));
  EXPECT_TRUE(StringContains("abc", ""));
  EXPECT_TRUE(StringContains("", "", false));
  EXPECT_FALSE(StringContains("ab", "abc", false));
}

TEST(BasepackStrings, StrippingAndReplacing) {
  EXPECT_EQ(StripLTBlanks(" \t 1.5e3 \r\n"), "1.5e3");
  EXPECT_EQ(StripLTBlanks("   "), "");
  EXPECT_EQ(StripLTBlanks("a b"), "a b");
  EXPECT_EQ(StripTrailingChars("abc\"\"", '"'), "abc");
  EXPECT_EQ(StripTrailingChars("\"\"", '"'), "");
  EXPECT_EQ(StripTrailingChars("a\"b", '"'), "a\"b");
  EXPECT_EQ(RemoveControlChars(std::string("a\tb\nc\x7f\x01 d\0e", 11)), "abc de");
  EXPECT_EQ(RemoveControlChars("M\xC3\xBCller"), "M\xC3\xBCller");  // UTF-8 stays
  EXPECT_EQ(ReplaceCharInString("a\nb\nc", '\n', ' '), "a b c");
  EXPECT_EQ(ReplaceCharInString("", 'a', 'b'), "");
}

}  // namespace
}  // namespace qmx
