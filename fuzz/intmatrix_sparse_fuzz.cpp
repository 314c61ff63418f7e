// libFuzzer harness of `TIntMatrix::LoadSparseMat`: any bytes must be
// refused (matrix and stream position unchanged) or give a sparse matrix
// whose entries are ordered, unique, at positions >= 1, and as many as the
// input can hold; what loads must store and load back to the same bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_util.hpp"
#include "qmx/matrix/matrices.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qmx::TMemoryStream in;
  in.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  in.SetPosition(0);
  qmx::TIntMatrix m;
  m.Resize(2, 2);
  m.SetVal(2, 2, 5);
  const std::string crc = m.CRCofData();
  if (!m.LoadSparseMat(&in)) {
    QMX_FUZZ_CHECK(in.Position() == 0);
    QMX_FUZZ_CHECK(!m.SparseMode());
    QMX_FUZZ_CHECK(m.CRCofData() == crc);
    return 0;
  }
  QMX_FUZZ_CHECK(m.SparseMode());
  QMX_FUZZ_CHECK(in.Position() == in.Size());
  QMX_FUZZ_CHECK(static_cast<std::size_t>(m.NrOfSparseElems()) * 12 + 28 == size);
  for (std::int32_t k = 1; k <= m.NrOfSparseElems(); ++k) {
    const qmx::TSpMatElemInt e = m.SparseElem(k);
    QMX_FUZZ_CHECK(e.Column >= 1 && e.Row >= 1);
    QMX_FUZZ_CHECK(m.GetVal(e.Column, e.Row) == e.Value);
    if (k > 1) {
      const qmx::TSpMatElemInt p = m.SparseElem(k - 1);
      QMX_FUZZ_CHECK(p.Column < e.Column || (p.Column == e.Column && p.Row < e.Row));
    }
  }
  qmx::TMemoryStream out;
  QMX_FUZZ_CHECK(m.StoreSparseMat(&out));
  QMX_FUZZ_CHECK(out.Size() == static_cast<std::int64_t>(size));
  std::string written(size, '\0');
  out.SetPosition(0);
  out.ReadBuffer(written.data(), static_cast<std::int64_t>(size));
  QMX_FUZZ_CHECK(written == bytes);
  return 0;
}
