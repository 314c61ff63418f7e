// The shared matrix template instantiated for 32-bit integers, as the integer
// matrix will use it: every member must compile for int32, integer arithmetic
// wraps, statistics come out as doubles, and the file formats carry the
// integer format identifier.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "qmx/matrix/matrices.hpp"
#include "qmx/matrix/matrix_impl_core.hpp"
#include "qmx/matrix/matrix_impl_io.hpp"
#include "qmx/matrix/matrix_impl_stats.hpp"
#include "qmx/matrix/matrix_impl_xml.hpp"
#include "test_util.hpp"

// The derived class has external linkage (a named namespace), so that the
// explicit instantiation below defines every member for the whole program.
namespace qmx::matrix_template_test {

class TTestIntMatrix : public detail::TMatrixBase<std::int32_t, TTestIntMatrix> {
  using Base = detail::TMatrixBase<std::int32_t, TTestIntMatrix>;
  friend Base;

 public:
  explicit TTestIntMatrix(TComponent* AOwner = nullptr) : Base(AOwner) {}
  std::string_view ClassName() const override { return "TTestIntMatrix"; }

 private:
  void AssignDerived(const TTestIntMatrix& Source) { (void)Source; }
};

}  // namespace qmx::matrix_template_test

template class qmx::detail::TMatrixBase<std::int32_t, qmx::matrix_template_test::TTestIntMatrix>;

namespace qmx {
namespace {

using matrix_template_test::TTestIntMatrix;

using test::TempPath;

TEST(MatrixTemplateInt32, ArithmeticAndStatistics) {
  TTestIntMatrix m;
  m.Resize(2, 2);
  m.FillSerial(std::numeric_limits<std::int32_t>::max() - 1, 1);  // wraps at the last element
  EXPECT_EQ(m.Elem(2, 1), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(m.CRCofData().size(), 32u);
  m.FillSerial(1, 2);  // 1 3 5 7
  EXPECT_EQ(m.Sum(0, 0, 0, 0), 16);
  EXPECT_EQ(m.Trace(), 8);
  double mean = 0;
  double var = 0;
  m.MeanVar(0, 0, 0, 0, mean, var);
  EXPECT_EQ(mean, 4.0);
  EXPECT_NEAR(var, 20.0 / 3.0, 1e-15);
  EXPECT_EQ(m.Percentile(50.0, 0, 0, 0, 0), 5.0);
  std::int32_t lo = 0;
  std::int32_t hi = 0;
  m.MinMax(0, 0, 0, 0, lo, hi);
  EXPECT_EQ(lo, 1);
  EXPECT_EQ(hi, 7);
  EXPECT_EQ(m.Diff(1, TApplyColRow::acrColumns), 0);
  EXPECT_EQ(m.Elem(1, 1), 2);
  TDouble2DArray a(1, TDoubleArray(1));
  EXPECT_EQ(m.CopyToArray(a, 2, 1, 2, 1, 0, 0), 0);
  EXPECT_EQ(a[0][0], 2.0);
  EXPECT_EQ(m.CopyFromArray(TDoubleArray{2.5, 3.5}, 0, 0, 1, 1, false), 0);  // rounded half to even
  EXPECT_EQ(m.Elem(1, 1), 2);
  EXPECT_EQ(m.Elem(2, 1), 4);
}

TEST(MatrixTemplateInt32, FormatsCarryTheIntegerIdentifier) {
  TTestIntMatrix m;
  m.Resize(3, 400);  // 1200 integers: two element records of 1024
  m.FillSerial(-600, 1);
  const std::string bin = TempPath("mxi.bin");
  ASSERT_TRUE(m.SaveBinary(bin, "ints"));
  EXPECT_EQ(test::ReadFile(bin).size(), 3u * 4096u);
  TTestIntMatrix back;
  ASSERT_TRUE(back.LoadBinary(bin));
  EXPECT_EQ(back.CRCofData(), m.CRCofData());
  TMatrix d;
  EXPECT_FALSE(d.LoadBinary(bin));  // a double matrix refuses integer elements
  std::int32_t nc = 0;
  std::int32_t nr = 0;
  std::string comment;
  std::int32_t format = 0;
  EXPECT_FALSE(d.ReadBinaryHeader(bin, nc, nr, comment, format));
  EXPECT_EQ(format, kMatFormatInt32);
  ASSERT_TRUE(d.SaveBinary(bin, ""));
  EXPECT_FALSE(back.LoadBinary(bin));

  const std::string xml = TempPath("mxi.xml");
  ASSERT_TRUE(m.SaveAsXMLFile(xml));
  TTestIntMatrix fromXml;
  ASSERT_TRUE(fromXml.LoadFromXMLFile(xml));
  EXPECT_EQ(fromXml.CRCofData(), m.CRCofData());
  const std::string asc = TempPath("mxi.asc");
  ASSERT_EQ(m.ExportAsASC(asc, ""), 0);
  TTestIntMatrix fromAsc;
  ASSERT_EQ(fromAsc.ImportASC(asc, comment), kMatAscOk);
  EXPECT_EQ(comment, "Exported by QMX TTestIntMatrix component: " + asc);
  EXPECT_EQ(fromAsc.CRCofData(), m.CRCofData());
  const std::string txt = TempPath("mxi.txt");
  ASSERT_TRUE(m.StoreOnFile(0, 0, 0, 0, txt));
  TTestIntMatrix fromTxt;
  ASSERT_TRUE(fromTxt.LoadFromFile(txt, true));
  EXPECT_EQ(fromTxt.CRCofData(), m.CRCofData());
  // Integer cells in XML tags.
  fromTxt.SetCellPending(true);
  fromTxt.ProcessXmlTag(TMatXmlTag::xmlMatNumCols, "", "2");
  fromTxt.ProcessXmlTag(TMatXmlTag::xmlMatNumRows, "", "2");
  fromTxt.ProcessXmlTag(TMatXmlTag::xmlMatCell, "ix=\"2\" iy=\"2\"", "-17");
  EXPECT_EQ(fromTxt.Elem(2, 2), -17);
}

}  // namespace
}  // namespace qmx
