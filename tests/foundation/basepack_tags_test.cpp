#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "qmx/foundation/basepack.hpp"
#include "test_util.hpp"

namespace qmx {
namespace {

constexpr std::array<std::string_view, 8> kMatTags = {"numcols", "numrows", "numplanes", "numtimeslots",
                                                      "cell",    "matrix",  "/matrix",   "invalidtag"};

const std::string kMatrixXml =
    "<?xml version=\"1.0\"?>\r\n"
    "<!-- written by <cell> test -->\r\n"
    "<matrix id=\"M1\">\r\n"
    "<NumCols>3</NumCols>\r\n"
    "<numrows> 2 </numrows>\r\n"
    "<cell ix=\"3\" iy=\"2\" note=\"a>b\">1.5</cell>\r\n"
    "<cell ix=\"1\" iy=\"1\"/>\r\n"
    "</matrix>\r\n";

struct Step {
  std::int32_t result;
  std::string name;
  std::string before;
  std::string attributes;
  std::string content;
  bool operator==(const Step&) const = default;
};

void PrintTo(const Step& s, std::ostream* os) {
  *os << "{" << s.result << ", '" << s.name << "', '" << s.before << "', '" << s.attributes << "', '" << s.content
      << "'}";
}

// Reads elements as a container reader would: the next tag, then the content
// of each known opening tag that is neither empty nor the root.
template <class NextFn, class ContentFn>
std::vector<Step> ReadAll(NextFn next, ContentFn content) {
  std::vector<Step> steps;
  for (int guard = 0; guard < 100; ++guard) {
    Step s;
    TTagInfo info;
    s.result = next(s.before, s.attributes, info);
    s.name = info.Name;
    if (s.result >= 0 && s.result != 5 && !info.IsClosing && !info.IsEmptyElement) {
      EXPECT_EQ(content(kMatTags[static_cast<std::size_t>(s.result)], s.content), 0);
    }
    steps.push_back(s);
    if (s.result < 0 && s.result != kTagUnknown) {
      break;
    }
  }
  return steps;
}

TEST(BasepackTags, MatrixDocumentFromStringAndFile) {
  const std::vector<Step> expected = {
      {5, "matrix", "\r\n\r\n", "id=\"M1\"", ""},
      {0, "NumCols", "\r\n", "", "3"},
      {1, "numrows", "\r\n", "", " 2 "},
      {4, "cell", "\r\n", "ix=\"3\" iy=\"2\" note=\"a>b\"", "1.5"},
      {4, "cell", "\r\n", "ix=\"1\" iy=\"1\"", ""},
      {6, "/matrix", "\r\n", "", ""},
      {kTagEndOfText, "", "\r\n", "", ""},
  };
  std::size_t pos = 0;
  const auto fromString = ReadAll(
      [&](std::string& b, std::string& a, TTagInfo& i) { return ReadNextTagInString(kMatrixXml, pos, kMatTags, b, a, &i); },
      [&](std::string_view n, std::string& c) { return ReadTagContentInString(kMatrixXml, pos, n, c); });
  EXPECT_EQ(fromString, expected);
  EXPECT_EQ(pos, kMatrixXml.size());

  const std::string path = test::TempPath("matrix.xml");
  test::WriteFile(path, kMatrixXml);
  TTextFile tf;
  ASSERT_TRUE(tf.OpenRead(path));
  const auto fromFile = ReadAll(
      [&](std::string& b, std::string& a, TTagInfo& i) { return ReadNextTagInTextFile(tf, kMatTags, b, a, &i); },
      [&](std::string_view n, std::string& c) { return ReadTagContentInTextFile(tf, n, c); });
  EXPECT_EQ(fromFile, expected);
}

TEST(BasepackTags, UnknownAndClosingTagsAreReported) {
  const std::string xml = "<kohonen><sizex>4</sizex></kohonen>";
  constexpr std::array<std::string_view, 2> tags = {"sizex", "/kohonen"};
  std::size_t pos = 0;
  std::string before;
  std::string attr;
  TTagInfo info;
  EXPECT_EQ(ReadNextTagInString(xml, pos, tags, before, attr, &info), kTagUnknown);
  EXPECT_EQ(info.Name, "kohonen");
  EXPECT_EQ(ReadNextTagInString(xml, pos, tags, before, attr, &info), 0);
  EXPECT_EQ(ReadNextTagInString(xml, pos, tags, before, attr, &info), kTagUnknown);
  EXPECT_EQ(before, "4");
  EXPECT_EQ(info.Name, "/sizex");
  EXPECT_TRUE(info.IsClosing);
  EXPECT_EQ(ReadNextTagInString(xml, pos, tags, before, attr, &info), 1);
  EXPECT_EQ(ReadNextTagInString(xml, pos, tags, before, attr, &info), kTagEndOfText);
  EXPECT_EQ(pos, xml.size());
  EXPECT_EQ(ReadNextTagInString(xml, pos, tags, before, attr), kTagEndOfText);  // stays at the end
  std::size_t beyond = xml.size() + 10;
  EXPECT_EQ(ReadNextTagInString(xml, beyond, tags, before, attr), kTagEndOfText);
}

TEST(BasepackTags, TextMarkupAndCData) {
  constexpr std::array<std::string_view, 1> tags = {"end"};
  const std::string xml =
      "a < b, 3<4 <!DOCTYPE x [<!ELEMENT y (z)>]>c<![CDATA[<raw> & ]]>d<? pi ?><!-- <end> --><end/>";
  std::size_t pos = 0;
  std::string before;
  std::string attr;
  TTagInfo info;
  EXPECT_EQ(ReadNextTagInString(xml, pos, tags, before, attr, &info), 0);
  EXPECT_EQ(before, "a < b, 3<4 c<raw> & d");
  EXPECT_TRUE(info.IsEmptyElement);
  EXPECT_EQ(attr, "");
}

TEST(BasepackTags, ContentKeepsNestedElementsAndComments) {
  const std::string xml =
      "<modeldata><datatable><!-- </modeldata> --><modeldata>x</modeldata><modeldata/></datatable></MODELDATA>tail";
  constexpr std::array<std::string_view, 1> tags = {"modeldata"};
  std::size_t pos = 0;
  std::string before;
  std::string attr;
  ASSERT_EQ(ReadNextTagInString(xml, pos, tags, before, attr), 0);
  std::string content;
  ASSERT_EQ(ReadTagContentInString(xml, pos, "modeldata", content), 0);
  EXPECT_EQ(content, "<datatable><!-- </modeldata> --><modeldata>x</modeldata><modeldata/></datatable>");
  EXPECT_EQ(xml.substr(pos), "tail");
  // Without its closing tag the content is malformed.
  pos = 0;
  ASSERT_EQ(ReadNextTagInString(xml, pos, tags, before, attr), 0);
  const std::string cut = xml.substr(0, xml.size() - 16);
  EXPECT_EQ(ReadTagContentInString(cut, pos, "modeldata", content), kTagMalformed);
  EXPECT_EQ(pos, cut.size());
}

TEST(BasepackTags, MalformedInputGivesStatus) {
  constexpr std::array<std::string_view, 1> tags = {"cell"};
  const std::string overlong = "<cell a=\"" + std::string(kMaxTagLength + 10, 'x') + "\">";
  for (const std::string& xml : std::vector<std::string>{"text <cell ix=\"1\"", "abc<", "<!-- open", "<?xml version", "<cell a=\"x>",
                                "</>", "</ cell>", "<!DOCTYPE a [", "<![CDATA[abc]]", overlong}) {
    std::size_t pos = 0;
    std::string before;
    std::string attr;
    EXPECT_EQ(ReadNextTagInString(xml, pos, tags, before, attr), kTagMalformed) << xml.substr(0, 30);
    EXPECT_GT(pos, 0u);
    TTextFile tf;
    tf.OpenReadString(xml);
    EXPECT_EQ(ReadNextTagInTextFile(tf, tags, before, attr), kTagMalformed) << xml.substr(0, 30);
  }
}

TEST(BasepackTags, RandomGarbageAlwaysTerminates) {
  constexpr std::array<std::string_view, 3> tags = {"a", "/a", "b"};
  const std::string alphabet = "<>/!-?\"'ab []CDAT=\n";
  std::mt19937 gen(99);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  for (int round = 0; round < 2000; ++round) {
    std::string text(static_cast<std::size_t>(round % 80), ' ');
    for (char& c : text) {
      c = alphabet[pick(gen)];
    }
    std::string value;
    XmlAttributeValue(text, "a", value);  // must end as well
    std::size_t pos = 0;
    std::string before;
    std::string attr;
    std::string content;
    int calls = 0;
    for (;;) {
      const std::size_t old = pos;
      const std::int32_t r = ReadNextTagInString(text, pos, tags, before, attr);
      ASSERT_LE(pos, text.size());
      if (r == kTagEndOfText) {
        break;
      }
      ASSERT_GT(pos, old) << text;
      if (r == 0) {
        ReadTagContentInString(text, pos, "a", content);
        ASSERT_LE(pos, text.size());
      }
      ASSERT_LT(++calls, 200);
    }
  }
}

TEST(BasepackTags, AttributeValues) {
  const std::string attrs = "ix=\"3\" iy='2'  name = \"a b\" flag z=4 empty=\"\" six=\"6\"";
  std::string v;
  EXPECT_TRUE(XmlAttributeValue(attrs, "ix", v));
  EXPECT_EQ(v, "3");
  EXPECT_TRUE(XmlAttributeValue(attrs, "iy", v));
  EXPECT_EQ(v, "2");
  EXPECT_TRUE(XmlAttributeValue(attrs, "name", v));
  EXPECT_EQ(v, "a b");
  EXPECT_TRUE(XmlAttributeValue(attrs, "z", v));
  EXPECT_EQ(v, "4");
  EXPECT_TRUE(XmlAttributeValue(attrs, "empty", v));
  EXPECT_EQ(v, "");
  EXPECT_TRUE(XmlAttributeValue(attrs, "six", v));
  EXPECT_EQ(v, "6");
  EXPECT_FALSE(XmlAttributeValue(attrs, "flag", v));
  EXPECT_FALSE(XmlAttributeValue(attrs, "x", v));
  EXPECT_FALSE(XmlAttributeValue("", "ix", v));
  EXPECT_FALSE(XmlAttributeValue("= = ==\"", "ix", v));
  EXPECT_TRUE(XmlAttributeValue("id=\"unterminated", "id", v));
  EXPECT_EQ(v, "unterminated");
}

TEST(BasepackTags, EscapeAndUnescape) {
  const std::string raw = "a<b & \"c\" > 'd'";
  EXPECT_EQ(XmlEscape(raw), "a&lt;b &amp; &quot;c&quot; &gt; &apos;d&apos;");
  EXPECT_EQ(XmlUnescape(XmlEscape(raw)), raw);
  EXPECT_EQ(XmlUnescape("&#65;&#x42;&#x20AC;&#x1F600;"), "AB\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(XmlUnescape("&#xD800;&#0;&#x110000;&unknown;&amp &#;&#x;"), "&#xD800;&#0;&#x110000;&unknown;&amp &#;&#x;");
  EXPECT_EQ(XmlUnescape("&"), "&");
}

}  // namespace
}  // namespace qmx
