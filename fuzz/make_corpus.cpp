// Writes the seed corpora of the harnesses into <dir>/<harness>/ (normally
// fuzz/corpus): small valid inputs made by the library's own writers, and the
// malformed cases of the unit tests.  Each harness directory it writes is
// emptied first.  Usage: qmx_make_corpus <dir>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/math1_format.hpp"
#include "qmx/matrix/matrices.hpp"
#include "qmx/vector/vectors.hpp"

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


// ---- vectors and matrices: a format byte, then the file or stream ------------------

std::string Sel(char selector, std::string_view bytes) { return std::string(1, selector) + std::string(bytes); }

std::string Int32Bytes(std::int32_t v) {
  qmx::TMemoryStream s;
  qmx::WriteLongintToStream(&s, v);
  return Bytes(s);
}

std::string ExtendedBytes(std::initializer_list<qmx::Extended> values) {
  qmx::TMemoryStream s;
  for (const qmx::Extended x : values) {
    qmx::WriteExtendedToStream(&s, x);
  }
  return Bytes(s);
}

const std::string kAscFlags = "FALSE FALSE FALSE FALSE\n";

/// The malformed ASC files of the vector and matrix tests.
const std::vector<std::string> kBadAsc = {
    "", "c\n1\n2\n", "c\nx\t;c\n2\t;r\n" + kAscFlags + "1\n2\n", "c\n1\t;c\n-2\t;r\n" + kAscFlags + "1\n2\n",
    "c\n1\t;c\n2\t;r\nFALSE MAYBE FALSE FALSE\n1\n2\n", "c\n1\t;c\n2000000000\t;r\n" + kAscFlags + "1\n",
    "c\n1\t;c\n30\t;r\n" + kAscFlags + "1\n2\n", "c\n1\t;c\n5\t;r\n" + kAscFlags + "1\n2\n3x\n4\n5\n",
    "c\n1\t;c\n2\t;r\nTRUE FALSE FALSE FALSE\n1 5\nattr 6\n", "c\n1\t;c\n2\t;r\n" + kAscFlags + "1\nnan\n0x10\n"};

void Vectors(const fs::path& root) {
  Corpus c(root, "vector_io_fuzz");
  const ScratchFile file("make_corpus_vector");
  qmx::TVector v;
  v.Resize(4);
  v.SetVal(1, 1.5);
  v.SetVal(2, -2.25e-300);
  v.SetVal(3, std::numeric_limits<double>::infinity());
  v.SetVal(4, std::nan(""));
  qmx::TIntVector iv;
  iv.Resize(3);
  iv.SetVal(1, -2147483647 - 1);
  iv.SetVal(3, 42);
  // ASC (format byte 0).
  v.ExportAsASC(file.Path(), 3, "Exported by QMX TVector component: v.asc");
  c.Add(Sel(0, FileBytes(file.Path())));
  iv.ExportAsASC(file.Path(), "integers");
  c.Add(Sel(0, FileBytes(file.Path())));
  c.Add(Sel(0, "with names\n1\t;c\n3\t;r\nTRUE TRUE TRUE FALSE\t;flags\n\"value column\"\n"
               "1.5 \"row a\" 10\n-2 \"row b\"\t2e1\nNAN \"r c\" ###\n"));
  c.Add(Sel(0, "\xEF\xBB\xBFno rows\n1\n0\n" + kAscFlags));
  for (const std::string& bad : kBadAsc) {
    c.Add(Sel(0, bad));
  }
  // Plain text and the digitizer form (format byte 1).
  for (const std::int32_t decimals : {-2, 4}) {
    v.StoreOnFile(0, 0, decimals, file.Path());
    c.Add(Sel(1, FileBytes(file.Path())));
  }
  iv.StoreOnFile(3, 2, file.Path());
  c.Add(Sel(1, FileBytes(file.Path())));
  for (const std::string_view text : {"2 3\n7.5\n-8\n", "1 4\n9\n8\nabc\n6\n", "1\n2\n", "1 2.5\n1\n2\n",
                                      "+1 99999999999\n", "\n1 2\n1\n2\n", "1 2000000000\n1\n",
                                      "-2147483648 2\n1\n2\n", "1.5 2.5 //dig\n3.5 //dig\n\nno marker 9\n",
                                      "//dig 4\r\n//dig 5\r\n"}) {
    c.Add(Sel(1, text));
  }
  // Streams (format byte 2).
  qmx::TMemoryStream* s = nullptr;
  v.SaveToStream(s, 0, 0);
  const std::string saved = Bytes(*s);
  delete s;
  c.Add(Sel(2, saved));
  c.Add(Sel(2, saved.substr(0, saved.size() - 5)));  // truncated
  c.Add(Sel(2, saved.substr(0, 15)));                // Hi cut off
  s = nullptr;
  iv.SaveToStream(s, 2, 3);
  c.Add(Sel(2, Bytes(*s)));
  delete s;
  c.Add(Sel(2, Int32Bytes(1) + Int32Bytes(2000000000) + Int32Bytes(5)));
  c.Add(Sel(2, ExtendedBytes({1.0L, 1e20L, 5.0L})));
  c.Add(Sel(2, ExtendedBytes({-2147483648.0L, 1.5L, 8.0L})));
  c.Add(Sel(2, ExtendedBytes({1.0L, 2.0L}) + std::string("\0\0\0\0\0\0\0\0\0\x40", 10) + ExtendedBytes({6.0L})));
}

/// The format bytes of the matrix harnesses (bit 2: the integer matrix starts sparse).
enum : char { kBinary = 0, kXml = 1, kPlain = 2, kAsc = 3, kSparse = 4 };

/// A binary file without the padding of its last record (complete enough).
template <class M>
std::string BinaryOf(const M& m) {
  qmx::TMemoryStream* s = nullptr;
  m.SaveToStream(s);
  std::string bytes = Bytes(*s);
  delete s;
  const std::size_t elements = static_cast<std::size_t>(m.NrOfColumns()) * static_cast<std::size_t>(m.NrOfRows());
  const std::size_t width = std::is_same_v<M, qmx::TIntMatrix> ? 4 : 8;
  return bytes.substr(0, 4096 + elements * width);
}

std::string Patched(std::string bytes, std::size_t at, std::int32_t value) {
  const std::string v = Int32Bytes(value);
  bytes.replace(at, 4, v);
  return bytes;
}

template <class M>
void Matrices(const fs::path& root, std::string_view harness, char sparse) {
  Corpus c(root, harness);
  const ScratchFile file("make_corpus_matrix");
  M m;
  m.Resize(3, 2);
  m.FillSerial(-2, 3);
  m.SetVal(2, 1, 2147483647);
  m.SetDataID("a<b & \"c\"");
  if constexpr (std::is_same_v<M, qmx::TMatrix>) {
    m.SetVal(1, 2, std::nan(""));
    m.SetVal(3, 1, -0.0);
    m.SetVal(3, 2, 5e-324);
  }
  // Binary: valid, then cut, patched and refused forms.
  const std::string binary = BinaryOf(m);
  c.Add(Sel(kBinary, binary));
  c.Add(Sel(static_cast<char>(kBinary | sparse), binary.substr(0, binary.size() - 3)));
  c.Add(Sel(kBinary, binary.substr(0, 4096)));
  c.Add(Sel(kBinary, Patched(binary, 8, 1)));                    // layers
  c.Add(Sel(kBinary, Patched(binary, 272, 3)));                  // format
  c.Add(Sel(kBinary, Patched(binary, 0, 0x7FFFFFFF)));           // more columns than the file holds
  c.Add(Sel(kBinary, Patched(Patched(binary, 0, 1), 4, 1)));     // 1 x 1
  // XML: the writer's form, two matrices, and the malformed cases of the tests.
  qmx::TMemoryStream xml;
  m.WriteToXMLStream(&xml, true);
  c.Add(Sel(kXml, Bytes(xml)));
  M second;
  second.Resize(1, 2);
  second.FillSerial(7, 1);
  second.WriteToXMLStream(&xml, false);
  c.Add(Sel(static_cast<char>(kXml | sparse), "<data>" + Bytes(xml) + "</data>"));
  c.Add(Sel(kXml, "<matrix><NUMROWS>3</NUMROWS><numcols>2</numcols>\n<cell iy=\"3\" ix=\"2\"> 4.5 </cell>"
                  "<note>ignored</note>\n<cell ix='1' iy='1'/><invalidtag/></matrix>"));
  const std::string head = "<matrix><numcols>2</numcols><numrows>2</numrows>";
  for (const std::string& bad :
       {head + "<cell ix=\"1\" iy=\"1\">1", head + "<cell ix=\"1\" iy=\"1\">abc</cell></matrix>",
        head + "<cell ix=\"3\" iy=\"1\">1</cell></matrix>", head + "<cell iy=\"1\">1</cell></matrix>",
        std::string("<matrix><numcols>-3</numcols><numrows>2</numrows></matrix>"),
        std::string("<matrix><numcols>100000</numcols><numrows>100000</numrows><cell ix=\"1\" iy=\"1\">1</cell>"
                    "</matrix>"),
        head + "<numplanes>3</numplanes></matrix>"}) {
    c.Add(Sel(kXml, bad));
  }
  // Plain text: the writer's form (whole and a region), two in one text, malformed.
  using Corners = std::array<std::int32_t, 4>;
  for (const Corners& r : {Corners{0, 0, 0, 0}, Corners{3, 2, 2, 2}}) {
    m.StoreOnFile(r[0], r[1], r[2], r[3], file.Path());
    c.Add(Sel(static_cast<char>(r[0] == 0 ? kPlain : kPlain | sparse), FileBytes(file.Path())));
  }
  {
    qmx::TMemoryStream both;
    qmx::TTextFile out;
    out.OpenWriteStream(&both);
    m.StoreOnFile(0, 0, 0, 0, out);
    second.StoreOnFile(0, 0, 0, 0, out);
    out.Close();
    c.Add(Sel(kPlain, Bytes(both)));
  }
  for (const std::string_view bad : {"1 1 2\r\n1 2\r\n", "0 1 2 2\r\n1 2 3 4\r\n", "2 1 1 1\r\n5\r\n",
                                     "1 1 2 2\r\n1 2 3\r\n", "1 1 99999 99999\r\n1\r\n", "1 1 99999999999 1\r\n1\r\n"}) {
    c.Add(Sel(kPlain, bad));
  }
  // ASC: the writer's form with names, a hand-made file, malformed.
  m.ExportAsASC(file.Path(), "two\nlines", qmx::TStrArray{"alpha", "be\"ta"}, qmx::TStrArray{"r 1", "", "r3"});
  c.Add(Sel(kAsc, FileBytes(file.Path())));
  c.Add(Sel(static_cast<char>(kAsc | sparse),
            "hand made\n2 ;nr. of columns\n3\n true TRUE true false ; flags\n\"c1\" \"c2\"\n"
            "1.5 \"first\" 1 2\n-2 \"second\" NAN 4e1\n### third 5\t###\n"));
  for (const std::string_view bad : {"c\n2\n2\n" "FALSE FALSE FALSE FALSE\n1 x\n3 4\n",
                                     "c\n2\n2\nTRUE FALSE FALSE FALSE\nq 1 2\n",
                                     "c\n2\n2\nFALSE TRUE FALSE FALSE\n\"a\"",
                                     "c\n2\n2\nFALSE FALSE TRUE FALSE\n\"unterminated\n1 2\n",
                                     "c\n2\n4\nFALSE FALSE FALSE FALSE\n1 2\n3 4\n5\n",
                                     "c\n2\n2\nFALSE FALSE FALSE FALSE\n1 2\n3 4e999999\n"}) {
    c.Add(Sel(kAsc, bad));
  }
  for (std::size_t k = 1; k < 6; ++k) {
    c.Add(Sel(kAsc, kBadAsc[k]));  // header failures
  }
}

std::string SparseFile(std::int32_t cols, std::int32_t rows, std::int32_t inc, std::int32_t count,
                       const std::string& entries) {
  return "QMXSPINT" + Int32Bytes(1) + Int32Bytes(cols) + Int32Bytes(rows) + Int32Bytes(inc) + Int32Bytes(count) +
         entries;
}

std::string Entry(std::int32_t c, std::int32_t r, std::int32_t v) { return Int32Bytes(c) + Int32Bytes(r) + Int32Bytes(v); }

void SparseMatrices(const fs::path& root) {
  Corpus c(root, "intmatrix_sparse_fuzz");
  qmx::TIntMatrix sparse(nullptr, 3);
  sparse.SetVal(3, 2, -5);
  sparse.SetVal(1, 4, 7);
  sparse.SetVal(3, 9, 2147483647);
  qmx::TMemoryStream s;
  sparse.StoreSparseMat(&s);
  const std::string good = Bytes(s);
  c.Add(good);
  qmx::TIntMatrix dense;
  dense.Resize(3, 2);
  dense.SetVal(2, 1, 4);
  dense.SetVal(3, 2, -1);
  s.Clear();
  dense.StoreSparseMat(&s);
  c.Add(Bytes(s));
  const std::string e1 = Entry(1, 2, 5);
  const std::string e2 = Entry(2, 1, 6);
  c.Add({SparseFile(3, 3, 1, 0, ""), SparseFile(1, 1, 2147483647, 2, e1 + e2), SparseFile(1, 1, 1, 1, Entry(40000, 40000, 1)),
         good.substr(0, 27), good.substr(0, good.size() - 1), good + "x", "QMXSPINX" + good.substr(8),
         "QMXSPINT" + Int32Bytes(2) + good.substr(12), SparseFile(0, 3, 1, 2, e1 + e2), SparseFile(3, 3, 0, 2, e1 + e2),
         SparseFile(3, 3, 1, -1, ""), SparseFile(3, 3, 1, 2, e2 + e1), SparseFile(3, 3, 1, 2, e1 + e1),
         SparseFile(3, 3, 1, 1, Entry(0, 1, 1)), SparseFile(3, 3, 1, 178956970, e1), ""});
}

void Streams(const fs::path& root) {
  Corpus c(root, "platform_stream_fuzz");
  enum : std::uint8_t { Read, ReadBuffer, SeekBegin, SeekCurrent, SeekEnd, Write, SetSize, CopyFrom };
  auto op = [](std::uint8_t kind, std::uint8_t arg) { return static_cast<std::uint8_t>(kind | (arg << 3)); };
  const std::string text = "0123456789abcdefghijklmnopqrstuvwxyz";
  c.Add(MixedOps({op(Read, 5), op(ReadBuffer, 10), op(SeekCurrent, 12), op(Read, 31), op(Read, 1)}) + text);
  c.Add(MixedOps({op(SeekEnd, 20), op(Write, 7), op(SeekBegin, 2), op(ReadBuffer, 31)}) + text);
  c.Add(MixedOps({op(SetSize, 31), op(Write, 3), op(SetSize, 0), op(Read, 8)}) + text.substr(0, 10));
  c.Add(MixedOps({op(CopyFrom, 0), op(CopyFrom, 6), op(SeekBegin, 0), op(ReadBuffer, 3), op(CopyFrom, 31)}) + text);
  c.Add(MixedOps({op(SeekBegin, 0), op(SeekCurrent, 0), op(Write, 31), op(SeekEnd, 0), op(Read, 4)}));
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
    Vectors(root);
    Matrices<qmx::TMatrix>(root, "matrix_io_fuzz", 0);
    Matrices<qmx::TIntMatrix>(root, "intmatrix_io_fuzz", kSparse);
    SparseMatrices(root);
    Streams(root);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_corpus: %s\n", e.what());
    return 1;
  }
  return 0;
}
