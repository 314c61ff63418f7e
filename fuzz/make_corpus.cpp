// Writes the seed corpora of the harnesses into <dir>/<harness>/ (normally
// fuzz/corpus): small valid inputs made by the library's own writers, and the
// malformed cases of the unit tests.  Each harness directory it writes is
// emptied first.  Usage: qmx_make_corpus <dir>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/math1_format.hpp"

namespace {

namespace fs = std::filesystem;
using qmx::fuzz::ScratchFile;

class Corpus {
 public:
  Corpus(const fs::path& root, std::string_view harness) : dir_(root / harness) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void Add(std::string_view bytes) {
    char name[32];
    std::snprintf(name, sizeof name, "seed-%03d", ++count_);
    std::FILE* f = std::fopen((dir_ / name).c_str(), "wb");
    if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0) {
      throw std::runtime_error("cannot write " + (dir_ / name).string());
    }
  }
  void Add(std::initializer_list<std::string_view> all) {
    for (const std::string_view s : all) {
      Add(s);
    }
  }

 private:
  fs::path dir_;
  int count_ = 0;
};

/// A string literal with the zero bytes in it.
template <std::size_t N>
std::string_view Lit(const char (&s)[N]) {
  return std::string_view(s, N - 1);
}

std::string Bytes(const qmx::TMemoryStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Memory()), static_cast<std::size_t>(s.Size()));
}

/// Lines written by the text writer (CR LF ends).
std::string TextLines(std::initializer_list<std::string_view> lines) {
  qmx::TMemoryStream s;
  qmx::TTextFile f;
  f.OpenWriteStream(&s);
  for (const std::string_view l : lines) {
    f.WriteLn(l);
  }
  f.Close();
  return Bytes(s);
}

std::string FileBytes(const std::string& path) {
  qmx::TMemoryStream s;
  s.LoadFromFile(path);
  return Bytes(s);
}

void AscHeaders(const fs::path& root) {
  Corpus c(root, "basepack_asc_fuzz");
  c.Add(TextLines({"Exported by QMX TVector component: v.asc", "1\t;nr. of columns", "3\t;nr. of rows",
                   "FALSE TRUE FALSE TRUE\t;row attributes, column names, row names, nominal variables", "\"x\"",
                   qmx::strff(1.5, 1, 1), qmx::strff(-2.25, 1, 2), qmx::strff(3e10, 1, -3)}));
  c.Add(TextLines({"matrix", "2 ;cols", "2 ;rows", "TRUE TRUE TRUE TRUE", "\"a\" \"b\"", "r1 1 2", "r2 3 4"}));
  c.Add("\xEF\xBB\xBF" "comment ; with semicolon\n  +2 ;cols\n3\ntrue False TRUE false\n1.5\n2.5\n3.5\n");
  c.Add("\n0\n0\nFALSE FALSE FALSE FALSE\n");
  c.Add("c\r\n0\r\n0\r\nTRUE TRUE TRUE TRUE");
  for (const std::string_view bad : {"", "only a comment", "c\n1\n", "c\n1\n2", "c\r\n1\r\n2\r\n"}) {
    c.Add(bad);
  }
  const std::string flags = "FALSE FALSE FALSE FALSE\n";
  for (const std::string_view counts : {"x\n3\n", "1\nthree\n", "-1\n3\n", "1.0\n3\n", "1e3\n3\n", ";1\n3\n",
                                        "1\n2147483648\n", "99999999999\n1\n", "1\n3abc\n", "+\n3\n",
                                        "65536\n65536\n"}) {
    c.Add("c\n" + std::string(counts) + flags + "1\n2\n3\n");
  }
  for (const std::string_view line : {"FALSE FALSE FALSE\t;row attributes", "FALSE FALSE FALSE YES", "0 0 0 0",
                                      "FALSE;FALSE FALSE FALSE", "FALSEFALSE FALSE FALSE FALSE"}) {
    c.Add("c\n1\n3\n" + std::string(line) + "\n1\n2\n3\n");
  }
}

void Words(const fs::path& root) {
  Corpus c(root, "basepack_word_fuzz");
  c.Add(TextLines({"c", "1\t;nr. of columns", "FALSE FALSE", "7.25", "8"}));
  c.Add(TextLines({qmx::strff(-1234.5678, 12, 3) + qmx::strff(1e-300, 12, -4), "\t\t word\r tail"}));
  c.Add({"", " \t\r\n", "one", "a  b\t\tc\r\n\r\nd\n"});
  c.Add("x\ry\rz");  // a lone CR is no separator
}

const std::string kMatrixXml =
    "<?xml version=\"1.0\"?>\r\n"
    "<!-- written by <cell> test -->\r\n"
    "<matrix id=\"M1\">\r\n"
    "<NumCols>3</NumCols>\r\n"
    "<numrows> 2 </numrows>\r\n"
    "<cell ix=\"3\" iy=\"2\" note=\"a>b\">1.5</cell>\r\n"
    "<cell ix=\"1\" iy=\"1\"/>\r\n"
    "</matrix>\r\n";

const std::string kModelXml =
    "<modeldata><datatable><!-- </modeldata> --><modeldata>x</modeldata><modeldata/></datatable></MODELDATA>tail";

/// An element written with the escaping writer.
std::string WrittenElement() {
  return TextLines({"<vector name=\"" + qmx::XmlEscape("v<1> & \"q\"") + "\" size=\"3\">",
                    "<elem i='1'>" + qmx::strff(0.5, 1, 3) + "</elem>", "<elem i='2'>" + qmx::XmlEscape("<nan>") + "</elem>",
                    "<a/><A></a></vector>"});
}

void Tags(const fs::path& root) {
  Corpus c(root, "basepack_tag_fuzz");
  c.Add({kMatrixXml, kModelXml, WrittenElement(), "<kohonen><sizex>4</sizex></kohonen>",
         "a < b, 3<4 <!DOCTYPE x [<!ELEMENT y (z)>]>c<![CDATA[<raw> & ]]>d<? pi ?><!-- <end> --><end/>"});
  for (const std::string_view bad : {"text <cell ix=\"1\"", "abc<", "<!-- open", "<?xml version", "<cell a=\"x>", "</>",
                                     "</ cell>", "<!DOCTYPE a [", "<![CDATA[abc]]"}) {
    c.Add(bad);
  }
}

void TagContents(const fs::path& root) {
  Corpus c(root, "basepack_tagcontent_fuzz");
  // The harness takes the tag name from the first line.
  c.Add("modeldata\n" + kModelXml.substr(std::string_view("<modeldata>").size()));
  c.Add("modeldata\n" + kModelXml);
  c.Add("matrix\n" + kMatrixXml);
  c.Add("vector\n" + WrittenElement());
  c.Add("elem\n1.5</elem><elem>2</ELEM >x<elem/></elem>");
  c.Add("a\n<![CDATA[</a>]]></a><!-- </a> --></a>");
  for (const std::string_view bad : {"modeldata\n<datatable></data", "a\n<", "a\n<!-- open", "a\n<?pi",
                                     "a\n<b c=\"x>", "a\n</>"}) {
    c.Add(bad);
  }
}

void Xml(const fs::path& root) {
  Corpus c(root, "basepack_xml_fuzz");
  c.Add({"ix=\"3\" iy='2'  name = \"a b\" flag z=4 empty=\"\" six=\"6\"", "= = ==\"", "id=\"unterminated",
         "&#65;&#x42;&#x20AC;&#x1F600;", "&#xD800;&#0;&#x110000;&unknown;&amp &#;&#x;", "&"});
  c.Add("note=\"" + qmx::XmlEscape("a<b & \"c\" > 'd'") + "\"");
  c.Add(qmx::XmlEscape("\xE2\x82\xAC <tag attr='v'>"));
}

void QuotedNames(const fs::path& root) {
  Corpus c(root, "basepack_quotedname_fuzz");
  // Quote character, flag byte, text.
  c.Add({Lit("\"\0  \t\"col 1\" rest"), Lit("\"\0\r\n\"\""), Lit("\"\0 bare\tx"), Lit("\"\0\"no end\r\n\"next\""),
         Lit("\"\0\"abc"), Lit("'\0'ab c' 'it''"), Lit("\"\x5A\"x\" y"), Lit("\"\x5Axy z")});
}

std::string MixedOps(std::initializer_list<std::uint8_t> ops) {
  std::string s(1, static_cast<char>(ops.size() - 1));
  for (const std::uint8_t b : ops) {
    s.push_back(static_cast<char>(b));
  }
  return s;
}

void MixedStreams(const fs::path& root) {
  Corpus c(root, "basepack_mixedstream_fuzz");
  const ScratchFile file("make_corpus_mixed");
  constexpr std::uint8_t kLine55 = 63u << 2;     // ReadLn, MaxLen 55
  constexpr std::uint8_t kLine2 = (10u << 2);    // ReadLn, MaxLen 2
  constexpr std::uint8_t kLineNeg = 0;           // ReadLn, MaxLen -8
  {
    qmx::TMixedFStream w(file.Path(), qmx::TMixedFMode::mfmCreate);
    w.WriteLn("qmx mixed file\r\nwith a line break");
    w.WriteInteger(-42);
    w.WriteDouble(3.25);
    w.WriteByte(7);
    w.WriteLn("");
    w.WriteDouble(std::numeric_limits<double>::quiet_NaN());
  }
  const std::string written = FileBytes(file.Path());
  c.Add(MixedOps({kLine55, 2, 3, 1, kLine55, 3}) + written);
  c.Add(MixedOps({kLine2, 1, 2}) + written);
  c.Add(MixedOps({3, kLineNeg}) + written.substr(0, 11));  // truncated
  c.Add(MixedOps({kLine55}) + "a\r\r\nb\rc\r");
  c.Add(MixedOps({2}) + "\x01\x02\x03");
}

std::string StreamOps(std::initializer_list<std::uint8_t> ops) { return MixedOps(ops); }

void StreamValues(const fs::path& root) {
  Corpus c(root, "basepack_streamio_fuzz");
  qmx::TMemoryStream s;
  qmx::WriteLongintToStream(&s, -2);
  for (const qmx::Extended x : {qmx::Extended{1.5L}, -0.0L, std::numeric_limits<qmx::Extended>::infinity(),
                                std::numeric_limits<qmx::Extended>::quiet_NaN(),
                                std::numeric_limits<qmx::Extended>::denorm_min(),
                                std::numeric_limits<qmx::Extended>::max(), qmx::Extended{-1e-4000L}}) {
    qmx::WriteExtendedToStream(&s, x);
  }
  qmx::WriteLongintToStream(&s, 2147483647);
  const std::string values = Bytes(s);
  c.Add(StreamOps({0, 1, 1, 1, 1, 1, 1, 1, 0}) + values);
  c.Add(StreamOps({1, 0, 2, 1}) + values.substr(0, 27));        // truncated, seek back to 0
  c.Add(StreamOps({1, 6 | (10u << 3), 1}) + values);            // seek 10 back from the end
  // Encodings the x87 unit refuses: an unnormal and a pseudo-infinity, and a pseudo-denormal.
  c.Add(StreamOps({1}) + std::string("\x00\x00\x00\x00\x00\x00\x00\x40\xFF\x3F", 10) +
        std::string("\x00\x00\x00\x00\x00\x00\x00\x00\xFF\x7F", 10) +
        std::string("\x01\x00\x00\x00\x00\x00\x00\x80\x00\x00", 10));
}

std::string TextOps(bool pad, std::initializer_list<std::uint8_t> ops) {
  return std::string(1, pad ? '\x5A' : '\0') + MixedOps(ops);
}

void TextFiles(const fs::path& root) {
  Corpus c(root, "platform_textfile_fuzz");
  enum : std::uint8_t { Line, Word, Number, Integer, Char, Peek, Eof };
  const std::string numbers = TextLines({qmx::strff(1.5, 1, 2) + " " + qmx::strff(-2e-5, 1, -6), "+7 -8 123456789012",
                                         "1e400 1e-400 inf nan +-1 0x10 1e 1. .5 -.5e+3"});
  c.Add(TextOps(false, {Number, Number, Integer, Word, Line}) + numbers);
  c.Add(TextOps(false, {Integer, Number}) + numbers);
  c.Add(TextOps(false, {Line, Char, Peek, Eof}) + "a\r\nb\rc\n\nlast");
  c.Add(TextOps(true, {Word, Line}) + "spans the chunk end\r\n2 3");
  c.Add(TextOps(false, {Number}) + "9223372036854775808 -9223372036854775808 1e308 2.5e-320");
}

void Bitmaps(const fs::path& root) {
  Corpus c(root, "platform_bmp_fuzz");
  const ScratchFile file("make_corpus_bmp");
  std::vector<std::string> saved;
  for (const auto& [w, h] : std::vector<std::pair<int, int>>{{0, 0}, {1, 1}, {3, 2}, {5, 1}}) {
    qmx::TBitmap b(w, h);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        b.SetPixel(x, y, static_cast<qmx::TColor>(0x102030 * (x + 1) + 0x050403 * y));
      }
    }
    b.SaveToBMP(file.Path());
    saved.push_back(FileBytes(file.Path()));
    c.Add(saved.back());
  }
  std::string topDown = saved[2];  // 3 x 2, rows stored top-down (negative height)
  topDown[22] = '\xFE';
  topDown[23] = topDown[24] = topDown[25] = '\xFF';
  c.Add(topDown);
  std::string compressed = saved[1];
  compressed[30] = 1;
  c.Add(compressed);
  c.Add(saved[2].substr(0, saved[2].size() - 3));  // pixels cut off
  c.Add(saved[1].substr(0, 40));                   // header cut off
}

void Numbers(const fs::path& root) {
  Corpus c(root, "math1_format_scan_fuzz");
  c.Add({qmx::Hex(-1, 8), qmx::Hex(0x1F, 4), qmx::Octal(511, 5), qmx::Bin(5, 8), qmx::Decimal(-2147483647 - 1, 10),
         qmx::strf(1234.56, 10, -2), qmx::strf(-0.5, 13, -1), qmx::strf(2.5, 8, 3), qmx::MakeEFormat(-6.02e23, 12, 5),
         qmx::EEngStr(4700.0, -2), qmx::EEngStr(1e-20, 3), qmx::FPNumToHex(1.5f), qmx::FPNumToHex(-0.1),
         qmx::FPNumToHex(qmx::Extended{3.0L}),
         qmx::DegreeToStr(12.5, qmx::TDegreeFormat::dfDegDec, 2),
         qmx::DegreeToStr(-0.0833, qmx::TDegreeFormat::dfDegMinDec, 2),
         qmx::DegreeToStr(47.123, qmx::TDegreeFormat::dfDegMinSec, 1),
         qmx::DegreeToStr(3.25, qmx::TDegreeFormat::dfDecimal, 3), qmx::strff(std::nan(""), 1, 1)});
  c.Add({"2024-03-15T06:00:00", "15.03.2024  13:45:30.5", "03/15/2024", "15. M\xC3\xA4rz 2024", "Mar 15, 2024",
         "15-MAR-2024", "1. Mai 2024", "9999-12-31 23:59"});
  c.Add({"  -1.5E+0003xyz", " \t1aF rest", "0000000000FFFFFFFF", "-2147483649", "1E999999999999999999999", "4k7k",
         "4E3k", "1e-400", "4.9E-0324", "-1,5E-03", "2024-02-30", "2024-03-15 25:00", "15 Foo 2024", "- 5", "--1"});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus directory>\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  try {
    AscHeaders(root);
    Words(root);
    Tags(root);
    TagContents(root);
    Xml(root);
    QuotedNames(root);
    MixedStreams(root);
    StreamValues(root);
    TextFiles(root);
    Bitmaps(root);
    Numbers(root);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_corpus: %s\n", e.what());
    return 1;
  }
  return 0;
}
