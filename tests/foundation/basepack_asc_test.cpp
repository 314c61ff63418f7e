#include <gtest/gtest.h>

#include <random>
#include <string>

#include "qmx/foundation/basepack.hpp"
#include "test_util.hpp"

namespace qmx {
namespace {

struct Header {
  std::int32_t status = 99;
  std::string comment = "old";
  std::int32_t cols = -9;
  std::int32_t rows = -9;
  bool rowAttrib = true;
  bool colNames = true;
  bool rowNames = true;
  bool nomVars = true;
};

Header ReadFromFile(const std::string& name, const std::string& bytes) {
  const std::string path = test::TempPath(name);
  test::WriteFile(path, bytes);
  Header h;
  h.status = ReadHeaderOfASC(path, h.comment, h.cols, h.rows, h.rowAttrib, h.colNames, h.rowNames, h.nomVars);
  return h;
}

Header ReadFromText(const std::string& text, std::int64_t maxCells = kAscMaxCells) {
  TTextFile tf;
  tf.OpenReadString(text);
  Header h;
  h.status = ReadHeaderOfASC(tf, h.comment, h.cols, h.rows, h.rowAttrib, h.colNames, h.rowNames, h.nomVars, maxCells);
  return h;
}

void ExpectCleared(const Header& h) {
  EXPECT_EQ(h.comment, "");
  EXPECT_EQ(h.cols, 0);
  EXPECT_EQ(h.rows, 0);
  EXPECT_FALSE(h.rowAttrib || h.colNames || h.rowNames || h.nomVars);
}

const std::string kBody = "1.5\n2.5\n3.5\n";

TEST(BasepackAscHeader, WellFormedWithCrLfAndLf) {
  for (const std::string eol : {"\r\n", "\n"}) {
    const std::string text = "Exported by QMX TVector component: v.asc" + eol + "1\t;nr. of columns" + eol +
                             "3\t;nr. of rows" + eol +
                             "FALSE TRUE FALSE TRUE\t;row attributes, column names, row names, nominal variables" +
                             eol + "\"x\"" + eol + kBody;
    const Header h = ReadFromFile("good.asc", text);
    EXPECT_EQ(h.status, kAscOk);
    EXPECT_EQ(h.comment, "Exported by QMX TVector component: v.asc");
    EXPECT_EQ(h.cols, 1);
    EXPECT_EQ(h.rows, 3);
    EXPECT_FALSE(h.rowAttrib);
    EXPECT_TRUE(h.colNames);
    EXPECT_FALSE(h.rowNames);
    EXPECT_TRUE(h.nomVars);
  }
}

TEST(BasepackAscHeader, LenientSpellingsAreAccepted) {
  const Header h = ReadFromText("\xEF\xBB\xBF" "comment ; with semicolon\n  +2 ;cols\n3\ntrue False TRUE false\n" + kBody + kBody);
  EXPECT_EQ(h.status, kAscOk);
  EXPECT_EQ(h.comment, "comment ; with semicolon");  // byte-order mark dropped
  EXPECT_EQ(h.cols, 2);
  EXPECT_EQ(h.rows, 3);
  EXPECT_TRUE(h.rowAttrib);
  EXPECT_FALSE(h.colNames);
  EXPECT_TRUE(h.rowNames);
  EXPECT_FALSE(h.nomVars);
  // Empty comment line, zero counts.
  const Header z = ReadFromText("\n0\n0\nFALSE FALSE FALSE FALSE\n");
  EXPECT_EQ(z.status, kAscOk);
  EXPECT_EQ(z.comment, "");
  // The flag line may be the last line of the file, without a line end.
  EXPECT_EQ(ReadFromFile("noeol.asc", "c\r\n0\r\n0\r\nTRUE TRUE TRUE TRUE").status, kAscOk);
}

TEST(BasepackAscHeader, RandomHeadersGiveAKnownStatus) {
  const std::string alphabet = "0123456789-+;\t\n\r TRUEFALSEx\"";
  std::mt19937 gen(5);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  for (int round = 0; round < 3000; ++round) {
    std::string text(static_cast<std::size_t>(round % 60), ' ');
    for (char& c : text) {
      c = alphabet[pick(gen)];
    }
    const Header h = ReadFromText(text, 1000);
    ASSERT_TRUE(h.status == kAscOk || h.status == kAscTruncatedHeader || h.status == kAscBadCounts ||
                h.status == kAscBadFlags)
        << h.status;
    if (h.status == kAscOk) {
      EXPECT_GE(h.cols, 0);
      EXPECT_GE(h.rows, 0);
      EXPECT_LE(static_cast<std::int64_t>(h.cols) * h.rows, 1000);
    }
  }
}

TEST(BasepackAscHeader, FileStaysAtFirstDataLine) {
  TTextFile tf;
  tf.OpenReadString("c\r\n1\r\n2\r\nFALSE FALSE FALSE FALSE\r\n7.25\r\n8\r\n");
  Header h;
  ASSERT_EQ(ReadHeaderOfASC(tf, h.comment, h.cols, h.rows, h.rowAttrib, h.colNames, h.rowNames, h.nomVars), kAscOk);
  std::string word;
  ASSERT_TRUE(ReadNextWordInTextFile(tf, word));
  EXPECT_EQ(word, "7.25");
  ASSERT_TRUE(ReadNextWordInTextFile(tf, word));
  EXPECT_EQ(word, "8");
  EXPECT_FALSE(ReadNextWordInTextFile(tf, word));
}

TEST(BasepackAscHeader, MissingFileAndMissingLines) {
  Header h;
  h.status = ReadHeaderOfASC(test::TempPath("does_not_exist.asc"), h.comment, h.cols, h.rows, h.rowAttrib,
                             h.colNames, h.rowNames, h.nomVars);
  EXPECT_EQ(h.status, kAscCannotOpen);
  ExpectCleared(h);
  h.status = ReadHeaderOfASC(test::TempDir().string(), h.comment, h.cols, h.rows, h.rowAttrib, h.colNames,
                             h.rowNames, h.nomVars);
  EXPECT_EQ(h.status, kAscCannotOpen);  // a folder
  for (const std::string text : {"", "only a comment", "c\n1\n", "c\n1\n2", "c\r\n1\r\n2\r\n"}) {
    const Header t = ReadFromFile("short.asc", text);
    EXPECT_EQ(t.status, kAscTruncatedHeader) << text;
    ExpectCleared(t);
  }
  // An unopened text file reads like an empty one.
  TTextFile closed;
  Header c;
  EXPECT_EQ(ReadHeaderOfASC(closed, c.comment, c.cols, c.rows, c.rowAttrib, c.colNames, c.rowNames, c.nomVars),
            kAscTruncatedHeader);
}

TEST(BasepackAscHeader, BadCounts) {
  const std::string flags = "FALSE FALSE FALSE FALSE\n";
  for (const std::string counts : {"x\n3\n", "1\nthree\n", "-1\n3\n", "1\n-3\n", "1.0\n3\n", "1e3\n3\n", "\n3\n",
                                   ";1\n3\n", "1\n2147483648\n", "99999999999\n1\n", "1\n3abc\n", "+\n3\n"}) {
    const Header h = ReadFromText("c\n" + counts + flags + kBody);
    EXPECT_EQ(h.status, kAscBadCounts) << counts;
    ExpectCleared(h);
  }
  // Counts that the file cannot hold: every cell takes at least one byte.
  EXPECT_EQ(ReadFromFile("huge.asc", "c\n1\n2000000000\n" + flags + kBody).status, kAscBadCounts);
  EXPECT_EQ(ReadFromFile("huge2.asc", "c\n100\n100\n" + flags + kBody).status, kAscBadCounts);
  EXPECT_EQ(ReadFromText("c\n65536\n65536\n" + flags).status, kAscBadCounts);  // product beyond 32 bits
  EXPECT_EQ(ReadFromText("c\n10\n10\n" + flags, 99).status, kAscBadCounts);
  EXPECT_EQ(ReadFromText("c\n10\n10\n" + flags, 100).status, kAscOk);
  EXPECT_EQ(ReadFromText("c\n0\n200\n" + flags, 100).status, kAscBadCounts);
}

TEST(BasepackAscHeader, BadFlagLine) {
  for (const std::string line : {"FALSE FALSE FALSE\t;row attributes", "", "FALSE FALSE FALSE YES", "0 0 0 0",
                                 "FALSE;FALSE FALSE FALSE", "FALSEFALSE FALSE FALSE FALSE"}) {
    const Header h = ReadFromText("c\n1\n3\n" + line + "\n" + kBody);
    EXPECT_EQ(h.status, kAscBadFlags) << line;
    ExpectCleared(h);
  }
}

TEST(BasepackQuotedName, QuotedUnquotedAndUnterminated) {
  auto parse = [](const std::string& text, TQuotedNameState& st) {
    std::size_t used = 0;
    for (const char c : text) {
      ++used;
      if (ParseQuotedName(c, '"', st)) {
        return used;
      }
    }
    return std::size_t{0};
  };
  TQuotedNameState st;
  EXPECT_EQ(parse("  \t\"col 1\" rest", st), 10u);
  EXPECT_EQ(st.Name, "col 1");
  EXPECT_FALSE(st.Unterminated);
  // The same state goes on with the next name.
  EXPECT_EQ(parse("\r\n\"\"", st), 4u);
  EXPECT_EQ(st.Name, "");
  EXPECT_EQ(parse(" bare\tx", st), 6u);
  EXPECT_EQ(st.Name, "bare");
  TQuotedNameState open;
  EXPECT_EQ(parse("\"no end\r\n\"next\"", open), 8u);
  EXPECT_EQ(open.Name, "no end");
  EXPECT_TRUE(open.Unterminated);
  TQuotedNameState partial;
  EXPECT_EQ(parse("\"abc", partial), 0u);
  EXPECT_EQ(partial.Stage, TQuotedNameStage::qnsQuoted);
  EXPECT_EQ(partial.Name, "abc");
  TQuotedNameState single;
  EXPECT_EQ(parse("'it''", single), 0u);  // another quote character than the one given
  TQuotedNameState sq;
  for (const char c : std::string("'ab c'")) {
    ParseQuotedName(c, '\'', sq);
  }
  EXPECT_EQ(sq.Stage, TQuotedNameStage::qnsComplete);
  EXPECT_EQ(sq.Name, "ab c");
}

TEST(BasepackQuotedName, OverlongNamesAreCut) {
  TQuotedNameState st;
  ParseQuotedName('"', '"', st);
  for (std::size_t i = 0; i < kMaxQuotedNameLength + 100; ++i) {
    ASSERT_FALSE(ParseQuotedName('x', '"', st));
  }
  EXPECT_TRUE(ParseQuotedName('"', '"', st));
  EXPECT_EQ(st.Name.size(), kMaxQuotedNameLength);
}

}  // namespace
}  // namespace qmx
