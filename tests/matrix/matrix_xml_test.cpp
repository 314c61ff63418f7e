// TMatrix: the XML tags, the XML writer and the three readers, and malformed
// XML.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "qmx/matrix/matrices.hpp"
#include "test_util.hpp"

namespace qmx {
namespace {

using test::ReadFile;
using test::TempPath;
using test::WriteFile;

TEST(MatrixXmlTags, TagNamesAndResults) {
  EXPECT_EQ(MatXmlTagNames[static_cast<std::size_t>(TMatXmlTag::xmlMatNumCols)], "numcols");
  EXPECT_EQ(MatXmlTagNames[static_cast<std::size_t>(TMatXmlTag::xmlMatNumLayers)], "numplanes");
  EXPECT_EQ(MatXmlTagNames[static_cast<std::size_t>(TMatXmlTag::xmlMatEnd)], "/matrix");
  EXPECT_EQ(MatXmlTagNames[static_cast<std::size_t>(TMatXmlTag::xmlInvalid)], "invalidtag");
  TMatrix m;
  EXPECT_EQ(m.ProcessXmlTag(TMatXmlTag::xmlMatBegin, "", ""), 0);
  EXPECT_EQ(m.ProcessXmlTag(TMatXmlTag::xmlMatNumLayers, "", "4"), 0);
  EXPECT_EQ(m.ProcessXmlTag(TMatXmlTag::xmlMatEnd, "", ""), 1);
  EXPECT_EQ(m.ProcessXmlTag(TMatXmlTag::xmlInvalid, "", ""), -1);
  EXPECT_EQ(m.ProcessXmlTag(static_cast<TMatXmlTag>(42), "", ""), -1);
}

TEST(MatrixXmlTags, PendingSizeAppliedAtFirstCell) {
  TMatrix m;
  std::string log;
  m.OnChange = [&](TObject*) { log += 'C'; };
  m.OnResize = [&](TObject*) { log += 'R'; };
  EXPECT_EQ(m.ProcessXmlTag(TMatXmlTag::xmlMatNumCols, "", " 3"), 0);
  EXPECT_EQ(m.ProcessXmlTag(TMatXmlTag::xmlMatNumRows, "", "+2 rows"), 0);
  EXPECT_EQ(m.NrOfColumns(), 1);  // not yet
  m.SetCellPending(true);
  EXPECT_EQ(m.ProcessXmlTag(TMatXmlTag::xmlMatCell, "ix=\"3\" iy=\"2\"", "1.5"), 0);
  EXPECT_FALSE(m.CellPending());
  EXPECT_EQ(m.NrOfColumns(), 3);
  EXPECT_EQ(m.NrOfRows(), 2);
  EXPECT_EQ(m.Elem(3, 2), 1.5);
  EXPECT_EQ(log, "CRC");
  // Later cells: no resize; lenient numbers; cells outside are ignored.
  m.ProcessXmlTag(TMatXmlTag::xmlMatCell, "iy='1' ix = \"1\"", "  -2.5E+2xyz");
  EXPECT_EQ(m.Elem(1, 1), -250.0);
  m.ProcessXmlTag(TMatXmlTag::xmlMatCell, "ix=\"2\" iy=\"1\"", "");
  EXPECT_EQ(m.Elem(2, 1), 0.0);
  m.ProcessXmlTag(TMatXmlTag::xmlMatCell, "ix=\"1\" iy=\"2\"", "1e999");
  EXPECT_EQ(m.Elem(1, 2), std::numeric_limits<double>::max());
  m.ProcessXmlTag(TMatXmlTag::xmlMatCell, "ix=\"2\" iy=\"2\"", "-1e999");
  EXPECT_EQ(m.Elem(2, 2), -std::numeric_limits<double>::max());
  m.ProcessXmlTag(TMatXmlTag::xmlMatCell, "ix=\"2\" iy=\"2\"", "1e-999");
  EXPECT_EQ(m.Elem(2, 2), 0.0);
  log.clear();
  m.ProcessXmlTag(TMatXmlTag::xmlMatCell, "ix=\"4\" iy=\"1\"", "7");
  m.ProcessXmlTag(TMatXmlTag::xmlMatCell, "mix=\"1\" iy=\"1\"", "7");  // no ix: column 0
  EXPECT_EQ(log, "");
  EXPECT_EQ(m.NrOfColumns(), 3);
}

TEST(MatrixXml, WriterFormat) {
  TMatrix m;
  m.Resize(2, 1);
  m.SetVal(1, 1, 0.1);
  m.SetVal(2, 1, -3.0);
  m.SetDataID("a<b");
  const std::string path = TempPath("mx_fmt.xml");
  ASSERT_TRUE(m.SaveAsXMLFile(path));
  EXPECT_EQ(ReadFile(path),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<matrix dataid=\"a&lt;b\">\r\n"
            "  <numcols>2</numcols>\r\n"
            "  <numrows>1</numrows>\r\n"
            "  <cell ix=\"1\" iy=\"1\">0.1</cell>\r\n"
            "  <cell ix=\"2\" iy=\"1\">-3</cell>\r\n"
            "</matrix>\r\n");
  m.SetFPrecis(2, 3);
  m.SetDataID("");
  ASSERT_TRUE(m.SaveAsXMLFile(path));
  const std::string text = ReadFile(path);
  EXPECT_NE(text.find("<matrix>\r\n"), std::string::npos);
  EXPECT_NE(text.find(">0.100</cell>"), std::string::npos);
  EXPECT_FALSE(m.SaveAsXMLFile(TempPath("no_dir/x.xml")));
}

TEST(MatrixXml, RoundTripsThroughFileOpenFileAndStream) {
  TMatrix m;
  m.Resize(5, 7);
  SetRandSeed(5);
  m.FillRandomGauss(0.0, 1e5);
  m.SetVal(1, 1, std::numeric_limits<double>::quiet_NaN());
  m.SetVal(2, 1, std::numeric_limits<double>::infinity());
  m.SetVal(3, 1, -0.0);
  m.SetVal(4, 1, 5e-324);
  m.SetDataID("\"id\" & more");
  const std::string path = TempPath("mx_rt.xml");
  ASSERT_TRUE(m.SaveAsXMLFile(path));
  TMatrix back;
  std::string log;
  back.OnChange = [&](TObject*) { log += 'C'; };
  back.OnResize = [&](TObject*) { log += 'R'; };
  ASSERT_TRUE(back.LoadFromXMLFile(path));
  EXPECT_EQ(log, "CRC");  // one change for all cells
  EXPECT_EQ(back.CRCofData(), m.CRCofData());
  EXPECT_EQ(back.DataID(), m.DataID());

  // Two matrices in one open text file, with other content around them.
  TMatrix second;
  second.Resize(2, 2);
  second.FillSerial(1.0, 1.0);
  const std::string both = TempPath("mx_two.xml");
  {
    TTextFile out;
    ASSERT_TRUE(out.OpenWrite(both));
    out.WriteLn("<?xml version=\"1.0\"?>");
    out.WriteLn("<data><!-- two matrices -->");
    m.WriteToOpenXMLFile(out, false);
    out.WriteLn("<other>text</other>");
    second.WriteToOpenXMLFile(out, false);
    out.WriteLn("</data>");
    out.Close();
    ASSERT_TRUE(out.WriteOk());
  }
  TTextFile in;
  ASSERT_TRUE(in.OpenRead(both));
  TMatrix x;
  TMatrix y;
  ASSERT_TRUE(x.ReadFromOpenXMLFile(in));
  ASSERT_TRUE(y.ReadFromOpenXMLFile(in));
  EXPECT_EQ(x.CRCofData(), m.CRCofData());
  EXPECT_EQ(y.CRCofData(), second.CRCofData());
  EXPECT_FALSE(y.ReadFromOpenXMLFile(in));  // no further matrix
  EXPECT_EQ(y.CRCofData(), second.CRCofData());

  // Streams: the position ends after "</matrix>" of the matrix read.
  TMemoryStream stream;
  m.WriteToXMLStream(&stream, true);
  second.WriteToXMLStream(&stream, false);
  m.WriteToXMLStream(nullptr, false);
  stream.SetPosition(0);
  ASSERT_TRUE(x.ReadFromXMLStream(&stream));
  EXPECT_EQ(x.CRCofData(), m.CRCofData());
  ASSERT_TRUE(x.ReadFromXMLStream(&stream));
  EXPECT_EQ(x.CRCofData(), second.CRCofData());
  const std::int64_t end = stream.Position();
  EXPECT_FALSE(x.ReadFromXMLStream(&stream));
  EXPECT_EQ(stream.Position(), end);
  EXPECT_FALSE(x.ReadFromXMLStream(nullptr));
}

TEST(MatrixXml, SparseCellsAreZeroAndOrderIsFree) {
  const std::string path = TempPath("mx_sparse.xml");
  WriteFile(path,
            "<matrix><NUMROWS>3</NUMROWS><numcols>2</numcols>\n"
            "<cell iy=\"3\" ix=\"2\"> 4.5 </cell><note>ignored</note>\n"
            "<cell ix='1' iy='1'>1</cell></matrix>");
  TMatrix m;
  m.Resize(2, 3);
  m.Fill(9.0);
  ASSERT_TRUE(m.LoadFromXMLFile(path));
  EXPECT_EQ(m.Elem(2, 3), 4.5);
  EXPECT_EQ(m.Elem(1, 1), 1.0);
  EXPECT_EQ(m.Elem(1, 2), 0.0);  // no cell: 0, not the old 9
  EXPECT_EQ(m.Sum(0, 0, 0, 0), 5.5);
}

TEST(MatrixXml, MalformedXmlIsRefusedUnchanged) {
  const std::string path = TempPath("mx_bad.xml");
  TMatrix m;
  m.Resize(2, 2);
  m.Fill(7.0);
  m.SetDataID("keep");
  const std::string crc = m.CRCofData();
  const std::string head = "<matrix><numcols>2</numcols><numrows>2</numrows>";
  const std::string cases[] = {
      "",
      "no tags at all",
      "<matrix><numcols>2</numcols>",                                          // no end tag
      head + "<cell ix=\"1\" iy=\"1\">1</cell>",                               // truncated
      head + "<cell ix=\"1\" iy=\"1\">1",                                      // cut inside a cell
      head + "<cell ix=\"1\" iy=\"1\">abc</cell></matrix>",                    // text as value
      head + "<cell ix=\"1\" iy=\"1\"></cell></matrix>",                       // empty value
      head + "<cell ix=\"3\" iy=\"1\">1</cell></matrix>",                      // outside the size
      head + "<cell ix=\"0\" iy=\"1\">1</cell></matrix>",
      head + "<cell ix=\"x\" iy=\"1\">1</cell></matrix>",                      // text as index
      head + "<cell iy=\"1\">1</cell></matrix>",                               // no column
      head + "<cell ix=\"99999999999\" iy=\"1\">1</cell></matrix>",
      head + "<cell ix=\"1\" iy=\"1\">1</cell",                                // cut tag
      "<matrix><numcols>0</numcols><numrows>2</numrows></matrix>",             // no columns
      "<matrix><numcols>-3</numcols><numrows>2</numrows></matrix>",
      "<matrix><numrows>2</numrows><cell ix=\"1\" iy=\"1\">1</cell></matrix>",  // size unknown at the cell
      "<matrix><numcols>100000</numcols><numrows>100000</numrows>"
      "<cell ix=\"1\" iy=\"1\">1</cell></matrix>",                             // more than the text can describe
      "<matrix><numcols>2</numcols><numrows>2</numrows><numplanes>3</numplanes></matrix>",  // no matrix
  };
  for (const std::string& text : cases) {
    WriteFile(path, text);
    int events = 0;
    m.OnChange = [&](TObject*) { ++events; };
    EXPECT_FALSE(m.LoadFromXMLFile(path)) << text;
    EXPECT_EQ(events, 0) << text;
    EXPECT_EQ(m.CRCofData(), crc) << text;
    EXPECT_EQ(m.DataID(), "keep") << text;
    TMemoryStream s;
    s.Write(text.data(), static_cast<std::int64_t>(text.size()));
    s.SetPosition(0);
    EXPECT_FALSE(m.ReadFromXMLStream(&s)) << text;
    EXPECT_EQ(s.Position(), 0) << text;
  }
  EXPECT_FALSE(m.LoadFromXMLFile(TempPath("mx_none.xml")));
  EXPECT_EQ(m.CRCofData(), crc);
  // A sparse matrix of moderate size is still accepted.
  WriteFile(path, "<matrix><numcols>200</numcols><numrows>200</numrows></matrix>");
  m.OnChange = nullptr;
  EXPECT_TRUE(m.LoadFromXMLFile(path));
  EXPECT_EQ(m.NrOfColumns(), 200);
  EXPECT_EQ(m.Sum(0, 0, 0, 0), 0.0);
}

TEST(MatrixXmlAttributes, StrictIntegerTakesOneSignAndNothingElse) {
  std::int32_t v = 7;
  EXPECT_TRUE(detail::TagAttributeIntegerStrict(R"(ix="+12" iy='-3')", "ix", v));
  EXPECT_EQ(v, 12);
  EXPECT_TRUE(detail::TagAttributeIntegerStrict(R"(ix="+12" iy=' -3 ')", "iy", v));
  EXPECT_EQ(v, -3);
  for (const char* bad : {R"(ix="+-5")", R"(ix="-+5")", R"(ix="++5")", R"(ix="+")", R"(ix="5x")",
                          R"(ix="2147483648")", R"(ix="")"}) {
    EXPECT_FALSE(detail::TagAttributeIntegerStrict(bad, "ix", v)) << bad;
  }
}

}  // namespace
}  // namespace qmx
