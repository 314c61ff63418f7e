// libFuzzer harness of `TIntMatrix::LoadSparseMat` (stream and file forms).
// Any bytes must be refused (matrix and stream position unchanged) or give a
// sparse matrix with the header's dimensions and increment whose entries are
// ordered, unique, at positions >= 1, and as many as the input holds; the
// stream read from a later position and the file give the same.  What loads
// must store back to the same bytes, and (for a small bounding box) turn
// into the dense matrix of its entries.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_util.hpp"
#include "qmx/matrix/matrices.hpp"

namespace {

std::int32_t LE32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    v |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + k])) << (8 * k);
  }
  return static_cast<std::int32_t>(v);
}

/// The start state: dense 2 x 2 with one element.
void Prepare(qmx::TIntMatrix& m) {
  m.Resize(2, 2);
  m.SetVal(2, 2, 5);
}

bool SameEntries(const qmx::TIntMatrix& a, const qmx::TIntMatrix& b) {
  if (a.SparseMode() != b.SparseMode() || a.NrOfSparseElems() != b.NrOfSparseElems() ||
      a.NrOfColumns() != b.NrOfColumns() || a.NrOfRows() != b.NrOfRows() ||
      a.SparseIncrement() != b.SparseIncrement() || a.CRCofData() != b.CRCofData()) {
    return false;
  }
  for (std::int32_t k = 1; k <= a.NrOfSparseElems(); ++k) {
    const qmx::TSpMatElemInt x = a.SparseElem(k);
    const qmx::TSpMatElemInt y = b.SparseElem(k);
    if (x.Column != y.Column || x.Row != y.Row || x.Value != y.Value) {
      return false;
    }
  }
  return true;
}

void CheckLoaded(const qmx::TIntMatrix& m, std::string_view bytes) {
  QMX_FUZZ_CHECK(m.SparseMode());
  QMX_FUZZ_CHECK(static_cast<std::size_t>(m.NrOfSparseElems()) * 12 + 28 == bytes.size());
  QMX_FUZZ_CHECK(m.NrOfColumns() == LE32(bytes, 12) && m.NrOfRows() == LE32(bytes, 16));
  QMX_FUZZ_CHECK(m.SparseIncrement() == LE32(bytes, 20) && m.NrOfSparseElems() == LE32(bytes, 24));
  QMX_FUZZ_CHECK(m.SparseCapacity() >= 1 && m.SparseCapacity() >= m.NrOfSparseElems());
  std::int32_t loCol = 2147483647;
  std::int32_t hiCol = 1;
  std::int32_t loRow = 2147483647;
  std::int32_t hiRow = 1;
  for (std::int32_t k = 1; k <= m.NrOfSparseElems(); ++k) {
    const qmx::TSpMatElemInt e = m.SparseElem(k);
    QMX_FUZZ_CHECK(e.Column >= 1 && e.Row >= 1);
    QMX_FUZZ_CHECK(m.GetVal(e.Column, e.Row) == e.Value);
    if (k > 1) {
      const qmx::TSpMatElemInt p = m.SparseElem(k - 1);
      QMX_FUZZ_CHECK(p.Column < e.Column || (p.Column == e.Column && p.Row < e.Row));
    }
    loCol = std::min(loCol, e.Column);
    hiCol = std::max(hiCol, e.Column);
    loRow = std::min(loRow, e.Row);
    hiRow = std::max(hiRow, e.Row);
  }
  std::int32_t bounds[4] = {};
  m.SparseBounds(bounds[0], bounds[1], bounds[2], bounds[3]);
  QMX_FUZZ_CHECK(bounds[0] == loCol && bounds[1] == hiCol && bounds[2] == loRow && bounds[3] == hiRow);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const qmx::fuzz::ScratchFile file("intmatrix_sparse");
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qmx::TMemoryStream in;
  in.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  in.SetPosition(0);
  qmx::TIntMatrix m;
  Prepare(m);
  const std::string crc = m.CRCofData();
  const bool ok = m.LoadSparseMat(&in);
  if (ok) {
    QMX_FUZZ_CHECK(in.Position() == in.Size());
    CheckLoaded(m, bytes);
  } else {
    QMX_FUZZ_CHECK(in.Position() == 0);
    QMX_FUZZ_CHECK(!m.SparseMode() && m.NrOfColumns() == 2 && m.NrOfRows() == 2 && m.CRCofData() == crc);
  }

  // From a later position of a stream, and from a file.
  qmx::TMemoryStream shifted;
  shifted.WriteBuffer("qmx", 3);
  shifted.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  shifted.SetPosition(3);
  qmx::TIntMatrix s;
  Prepare(s);
  QMX_FUZZ_CHECK(s.LoadSparseMat(&shifted) == ok && SameEntries(s, m));
  QMX_FUZZ_CHECK(shifted.Position() == (ok ? shifted.Size() : 3));
  if (file.Write(bytes)) {
    qmx::TIntMatrix f;
    Prepare(f);
    QMX_FUZZ_CHECK(f.LoadSparseMat(file.Path()) == ok && SameEntries(f, m));
  }
  if (!ok) {
    return 0;
  }

  // Stored again: the same bytes.
  qmx::TMemoryStream out;
  QMX_FUZZ_CHECK(m.StoreSparseMat(&out));
  QMX_FUZZ_CHECK(out.Size() == static_cast<std::int64_t>(size));
  std::string written(size, '\0');
  out.SetPosition(0);
  out.ReadBuffer(written.data(), static_cast<std::int64_t>(size));
  QMX_FUZZ_CHECK(written == bytes);

  // A small bounding box becomes the dense matrix of the entries.
  std::int32_t loCol = 0;
  std::int32_t hiCol = 0;
  std::int32_t loRow = 0;
  std::int32_t hiRow = 0;
  m.SparseBounds(loCol, hiCol, loRow, hiRow);
  if (std::int64_t{hiCol} * hiRow <= 4096) {
    qmx::TIntMatrix dense;
    dense.Assign(&m);
    dense.SparseToArray();
    QMX_FUZZ_CHECK(!dense.SparseMode() && dense.NrOfColumns() == hiCol && dense.NrOfRows() == hiRow);
    std::int64_t nonZero = 0;
    for (std::int32_t c = 1; c <= hiCol; ++c) {
      for (std::int32_t r = 1; r <= hiRow; ++r) {
        QMX_FUZZ_CHECK(dense.GetVal(c, r) == m.GetVal(c, r));
        nonZero += dense.GetVal(c, r) != 0 ? 1 : 0;
      }
    }
    std::int64_t nonZeroEntries = 0;
    for (std::int32_t k = 1; k <= m.NrOfSparseElems(); ++k) {
      nonZeroEntries += m.SparseElem(k).Value != 0 ? 1 : 0;
    }
    QMX_FUZZ_CHECK(nonZero == nonZeroEntries);
  }
  return 0;
}
