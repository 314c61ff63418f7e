// libFuzzer harness of the integer matrix readers: the binary stream form,
// the XML stream form and the plain text form (through memory), and the ASC
// reader (through a scratch file), each on a dense and on a sparse matrix.
// Any bytes must load or be refused without a crash, a hang or an allocation
// beyond the input's size; what loads must save and load back unchanged.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"
#include "qmx/matrix/matrices.hpp"

namespace {

qmx::TMemoryStream* StreamOf(std::string_view bytes, qmx::TMemoryStream& s) {
  s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
  return &s;
}

/// A matrix to read into: dense 2 x 2, or sparse with one entry.
void Prepare(qmx::TIntMatrix& m, bool sparse) {
  m.Resize(2, 2);
  m.SetVal(1, 2, 3);
  if (sparse) {
    m.ArrayToSparse(2);
  }
}

bool AscCodeIsDocumented(std::int32_t rc) {
  return rc == qmx::kMatAscOk || rc == qmx::kMatAscNoFile || rc == qmx::kMatAscBadRowAttrib ||
         rc == qmx::kMatAscBadValue || rc == qmx::kMatAscBadName || rc == qmx::kAscCannotOpen ||
         rc == qmx::kAscTruncatedHeader || rc == qmx::kAscBadCounts || rc == qmx::kAscBadFlags || rc == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bool sparse = size > 0 && (data[0] & 1) != 0;
  {
    qmx::TMemoryStream s;
    qmx::TIntMatrix m;
    Prepare(m, sparse);
    if (m.LoadFromStream(StreamOf(bytes, s))) {
      QMX_FUZZ_CHECK(static_cast<std::size_t>(m.NrOfColumns()) * m.NrOfRows() * 4 <= size);
      qmx::TMemoryStream* out = nullptr;
      m.SaveToStream(out);
      out->SetPosition(0);
      qmx::TIntMatrix back;
      QMX_FUZZ_CHECK(back.LoadFromStream(out));
      QMX_FUZZ_CHECK(back.CRCofData() == m.CRCofData());
      delete out;
    }
  }
  {
    qmx::TMemoryStream s;
    qmx::TIntMatrix m;
    Prepare(m, sparse);
    if (m.ReadFromXMLStream(StreamOf(bytes, s))) {
      qmx::TMemoryStream out;
      m.WriteToXMLStream(&out, true);
      out.SetPosition(0);
      qmx::TIntMatrix back;
      QMX_FUZZ_CHECK(back.ReadFromXMLStream(&out));
      QMX_FUZZ_CHECK(back.CRCofData() == m.CRCofData());
    }
  }
  {
    qmx::TTextFile text;
    text.OpenReadString(std::string(bytes));
    qmx::TIntMatrix m;
    Prepare(m, sparse);
    (void)m.LoadFromFile(text, true);
    QMX_FUZZ_CHECK(m.NrOfColumns() >= 1 && m.NrOfRows() >= 1);
  }
  if (size > 0 && data[0] == 0x5A) {  // the file-based ASC reader, rarely
    static const qmx::fuzz::ScratchFile file("intmatrix_io");
    if (file.Write(bytes)) {
      qmx::TIntMatrix m;
      Prepare(m, sparse);
      std::string comment;
      QMX_FUZZ_CHECK(AscCodeIsDocumented(m.ImportASC(file.Path(), comment)));
    }
  }
  return 0;
}
