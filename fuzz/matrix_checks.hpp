#pragma once
// The checks shared by the harnesses of the two matrix classes (`TMatrix`,
// `TIntMatrix`).  The first input byte picks the format (bits 0-1: binary,
// XML, plain text, ASC; bit 2: the integer matrix starts in sparse mode), the
// rest is the text or file.  Each format's readers are run on the same bytes
// from memory, from an open text file or stream and from a scratch file; they
// must agree, leave the matrix unchanged when they refuse, never grow it
// beyond what the input can describe, and what they accept must be written by
// the matching writer and read back unchanged.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>

#include "fuzz_util.hpp"
#include "qmx/foundation/basepack.hpp"
#include "qmx/matrix/matrices.hpp"

namespace qmx::fuzz {

enum class MatrixFormat : std::uint8_t { Binary, Xml, Plain, Asc };

/// The start state of every matrix a reader fills: 2 x 2 with one non-zero
/// element and a data id; the integer matrix optionally in sparse mode.
template <class M>
void PrepareMatrix(M& m, bool sparse) {
  m.Resize(2, 2);
  m.SetVal(1, 2, 3);
  m.SetDataID("prep");
  if constexpr (std::is_same_v<M, TIntMatrix>) {
    if (sparse) {
      m.ArrayToSparse(2);
    }
  } else {
    (void)sparse;
  }
}

/// What a refusing reader leaves: the start state, made dense (the readers of
/// the integer matrix convert a sparse matrix before they read).
template <class M>
void BaselineMatrix(M& m, bool sparse) {
  PrepareMatrix(m, sparse);
  if constexpr (std::is_same_v<M, TIntMatrix>) {
    m.SparseToArray();
  }
}

/// Same dimensions and elements (bit for bit; NaNs are equal whatever their bits).
template <class M>
bool SameValues(const M& a, const M& b) {
  if (a.NrOfColumns() != b.NrOfColumns() || a.NrOfRows() != b.NrOfRows()) {
    return false;
  }
  for (std::int32_t c = 1; c <= a.NrOfColumns(); ++c) {
    for (std::int32_t r = 1; r <= a.NrOfRows(); ++r) {
      const auto x = a.GetVal(c, r);
      const auto y = b.GetVal(c, r);
      if constexpr (std::is_floating_point_v<decltype(x)>) {
        if (std::isnan(x) && std::isnan(y)) {
          continue;
        }
        if (std::bit_cast<std::uint64_t>(x) != std::bit_cast<std::uint64_t>(y)) {
          return false;
        }
      } else if (x != y) {
        return false;
      }
    }
  }
  return true;
}

template <class M>
bool SameMatrix(const M& a, const M& b) {
  return SameValues(a, b) && a.DataID() == b.DataID();
}

/// No reader makes a matrix of more cells than its input has bytes (plus the
/// slack the XML reader grants for omitted cells, and the start size).
template <class M>
void CheckCells(const M& m, std::int64_t bytes) {
  QMX_FUZZ_CHECK(m.NrOfColumns() >= 1 && m.NrOfRows() >= 1);
  QMX_FUZZ_CHECK(std::int64_t{m.NrOfColumns()} * m.NrOfRows() <= std::max<std::int64_t>(bytes, 4));
}

inline void FillStream(TMemoryStream& s, std::string_view bytes) {
  s.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  s.SetPosition(0);
}

inline std::uint32_t LE32(std::string_view b, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    v |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + k])) << (8 * k);
  }
  return v;
}

// ---- binary file and stream ------------------------------------------------

template <class M>
void CheckBinaryHeader(const M& m, std::string_view bytes, const ScratchFile& file) {
  std::int32_t nc = -1;
  std::int32_t nr = -1;
  std::int32_t format = -1;
  std::string comment = "stale";
  const bool ok = m.ReadBinaryHeader(file.Path(), nc, nr, comment, format);
  if (bytes.size() < detail::kMatHeaderFieldBytes) {
    QMX_FUZZ_CHECK(!ok && nc == 0 && nr == 0 && format == 0 && comment.empty());
    return;
  }
  const auto len = static_cast<std::uint8_t>(bytes[16]);
  const std::int32_t expectedFormat = std::is_same_v<M, TIntMatrix> ? kMatFormatInt32 : kMatFormatDouble;
  QMX_FUZZ_CHECK(nc == static_cast<std::int32_t>(LE32(bytes, 0)) && nr == static_cast<std::int32_t>(LE32(bytes, 4)));
  QMX_FUZZ_CHECK(format == static_cast<std::int32_t>(LE32(bytes, 272)));
  QMX_FUZZ_CHECK(comment == bytes.substr(17, len));
  QMX_FUZZ_CHECK(ok == (LE32(bytes, 8) == 0 && LE32(bytes, 12) == 0 && format == expectedFormat));
}

/// The elements follow the header record row by row, columns innermost.
template <class M>
void CheckBinaryElements(const M& m, std::string_view bytes) {
  std::size_t at = static_cast<std::size_t>(kMatRecordSize);
  for (std::int32_t r = 1; r <= m.NrOfRows(); ++r) {
    for (std::int32_t c = 1; c <= m.NrOfColumns(); ++c) {
      const auto x = m.GetVal(c, r);
      if constexpr (std::is_floating_point_v<decltype(x)>) {
        const std::uint64_t bits = std::uint64_t{LE32(bytes, at)} | (std::uint64_t{LE32(bytes, at + 4)} << 32);
        QMX_FUZZ_CHECK(std::bit_cast<std::uint64_t>(x) == bits);
        at += 8;
      } else {
        QMX_FUZZ_CHECK(static_cast<std::uint32_t>(x) == LE32(bytes, at));
        at += 4;
      }
    }
  }
}

template <class M>
void CheckBinary(std::string_view bytes, const ScratchFile& file, bool sparse) {
  using T = std::remove_cvref_t<decltype(std::declval<const M&>().GetVal(1, 1))>;
  const auto size = static_cast<std::int64_t>(bytes.size());
  M base;
  BaselineMatrix(base, sparse);

  TMemoryStream s;
  FillStream(s, bytes);
  M a;
  PrepareMatrix(a, sparse);
  const bool ok = a.LoadFromStream(&s);
  std::int64_t end = 0;
  if (ok) {
    const std::int64_t n = std::int64_t{a.NrOfColumns()} * a.NrOfRows();
    QMX_FUZZ_CHECK(n * static_cast<std::int64_t>(sizeof(T)) <= size - kMatRecordSize);
    QMX_FUZZ_CHECK(a.NrOfColumns() == static_cast<std::int32_t>(LE32(bytes, 0)) &&
                   a.NrOfRows() == static_cast<std::int32_t>(LE32(bytes, 4)));
    CheckBinaryElements(a, bytes);
    const std::int64_t perRecord = kMatRecordSize / static_cast<std::int64_t>(sizeof(T));
    end = std::min(size, ((n + perRecord - 1) / perRecord + 1) * kMatRecordSize);
  } else {
    QMX_FUZZ_CHECK(SameMatrix(a, base));
  }
  QMX_FUZZ_CHECK(s.Position() == end);

  // The same bytes behind a prefix, from the prefix's end.
  TMemoryStream shifted;
  shifted.WriteBuffer("qmx", 3);
  shifted.WriteBuffer(bytes.data(), size);
  shifted.SetPosition(3);
  M b;
  PrepareMatrix(b, sparse);
  QMX_FUZZ_CHECK(b.LoadFromStream(&shifted) == ok && SameMatrix(b, a) && shifted.Position() == end + 3);

  // The file and the file stream.
  M c;
  PrepareMatrix(c, sparse);
  QMX_FUZZ_CHECK(c.LoadBinary(file.Path()) == ok && SameMatrix(c, a));
  {
    TFileStream fs(file.Path(), TFileMode::fmOpenRead);
    M d;
    PrepareMatrix(d, sparse);
    QMX_FUZZ_CHECK(d.LoadFromStream(&fs) == ok && SameMatrix(d, a) && fs.Position() == end);
  }
  CheckBinaryHeader(a, bytes, file);

  if (ok) {
    TMemoryStream* out = nullptr;
    a.SaveToStream(out);
    const std::unique_ptr<TMemoryStream> owner(out);
    out->SetPosition(0);
    M back;
    QMX_FUZZ_CHECK(back.LoadFromStream(out) && back.CRCofData() == a.CRCofData() && SameValues(back, a));
    QMX_FUZZ_CHECK(out->Position() == out->Size());
  }
}

// ---- XML ------------------------------------------------------------------------

/// Feeds the matrix tags of the text to `ProcessXmlTag` (counts above 64 are
/// left out: the tag interface trusts its caller with the sizes).
template <class M>
void CheckProcessXmlTag(std::string_view text, bool sparse) {
  M m;
  PrepareMatrix(m, sparse);
  m.SetCellPending(true);
  const std::span<const std::string_view> tags(MatXmlTagNames.data(), MatXmlTagNames.size());
  std::size_t pos = 0;
  std::string before;
  std::string attributes;
  std::string content;
  TTagInfo info;
  for (std::size_t calls = 0;; ++calls) {
    QMX_FUZZ_CHECK(calls <= text.size() + 1);
    const std::int32_t rc = ReadNextTagInString(text, pos, tags, before, attributes, &info);
    if (rc == kTagEndOfText) {
      break;
    }
    if (rc < 0) {
      continue;
    }
    content.clear();
    if (!info.IsEmptyElement && !info.IsClosing) {
      (void)ReadTagContentInString(text, pos, info.Name, content);
    }
    const auto tag = static_cast<TMatXmlTag>(rc);
    if ((tag == TMatXmlTag::xmlMatNumCols || tag == TMatXmlTag::xmlMatNumRows) &&
        detail::ParseTagInteger(content) > 64) {
      continue;
    }
    const std::int32_t r = m.ProcessXmlTag(tag, attributes, content);
    QMX_FUZZ_CHECK(r == (tag == TMatXmlTag::xmlMatEnd ? 1 : tag == TMatXmlTag::xmlInvalid ? -1 : 0));
    QMX_FUZZ_CHECK(m.NrOfColumns() >= 1 && m.NrOfColumns() <= 64 && m.NrOfRows() >= 1 && m.NrOfRows() <= 64);
  }
}

template <class M>
void CheckXml(std::string_view bytes, const ScratchFile& file, bool sparse) {
  const auto size = static_cast<std::int64_t>(bytes.size());
  M base;
  BaselineMatrix(base, sparse);

  TMemoryStream s;
  FillStream(s, bytes);
  M a;
  PrepareMatrix(a, sparse);
  const bool ok = a.ReadFromXMLStream(&s);
  if (ok) {
    const std::int64_t end = s.Position();
    QMX_FUZZ_CHECK(end >= 9 && end <= size && bytes[static_cast<std::size_t>(end - 1)] == '>');
    CheckCells(a, end + 65536);
  } else {
    QMX_FUZZ_CHECK(s.Position() == 0 && SameMatrix(a, base));
  }

  // The open text file reader counts only what it hands out, so it may refuse
  // a size the stream reader accepts, never the other way round.
  TTextFile text;
  text.OpenReadString(std::string(bytes));
  M b;
  PrepareMatrix(b, sparse);
  const bool okText = b.ReadFromOpenXMLFile(text);
  QMX_FUZZ_CHECK(okText ? ok && SameMatrix(b, a) : SameMatrix(b, base));
  M c;
  PrepareMatrix(c, sparse);
  QMX_FUZZ_CHECK(c.LoadFromXMLFile(file.Path()) == okText && SameMatrix(c, b));

  // Further matrices of the same text: each one read moves on.
  std::int64_t last = s.Position();
  for (std::int64_t k = 0; k <= size && a.ReadFromXMLStream(&s); ++k) {
    QMX_FUZZ_CHECK(s.Position() > last);
    last = s.Position();
  }
  for (std::int64_t k = 0; b.ReadFromOpenXMLFile(text); ++k) {
    QMX_FUZZ_CHECK(k <= size / 9);
  }

  if (ok) {
    M again;
    PrepareMatrix(again, sparse);
    s.SetPosition(0);
    QMX_FUZZ_CHECK(again.ReadFromXMLStream(&s));
    TMemoryStream out;
    again.WriteToXMLStream(&out, true);
    out.SetPosition(0);
    M back;
    QMX_FUZZ_CHECK(back.ReadFromXMLStream(&out) && SameMatrix(back, again));
    QMX_FUZZ_CHECK(out.Position() == out.Size() - 2);  // after "</matrix>", before its line end
  }
  CheckProcessXmlTag<M>(bytes, sparse);
}

// ---- plain text --------------------------------------------------------------------

template <class M>
void CheckPlain(std::string_view bytes, const ScratchFile& file, bool sparse) {
  const auto size = static_cast<std::int64_t>(bytes.size());
  M base;
  BaselineMatrix(base, sparse);
  for (const bool adjust : {false, true}) {
    TTextFile text;
    text.OpenReadString(std::string(bytes));
    M a;
    PrepareMatrix(a, sparse);
    const bool ok = a.LoadFromFile(text, adjust);
    if (!ok) {
      QMX_FUZZ_CHECK(SameMatrix(a, base));
    } else if (!adjust) {
      QMX_FUZZ_CHECK(a.NrOfColumns() == base.NrOfColumns() && a.NrOfRows() == base.NrOfRows());
    } else {
      CheckCells(a, size);
    }
    // The file reader bounds the size by the file, at least as much as the
    // open text file reader does by the bytes it read.
    M b;
    PrepareMatrix(b, sparse);
    const bool okFile = b.LoadFromFile(file.Path(), adjust);
    if (okFile) {
      CheckCells(b, size);
    } else {
      QMX_FUZZ_CHECK(SameMatrix(b, base));
    }
    if (ok) {
      QMX_FUZZ_CHECK(okFile && SameMatrix(b, a));
    }
    // Further matrices of the same text.
    for (std::int64_t k = 0; a.LoadFromFile(text, adjust); ++k) {
      QMX_FUZZ_CHECK(k < size / 8);
    }
    if (okFile) {
      TMemoryStream out;
      TTextFile writer;
      QMX_FUZZ_CHECK(writer.OpenWriteStream(&out));
      b.StoreOnFile(0, 0, 0, 0, writer);
      writer.Close();
      QMX_FUZZ_CHECK(writer.WriteOk());
      out.SetPosition(0);
      TTextFile reader;
      QMX_FUZZ_CHECK(reader.OpenReadStream(&out));
      M back;
      QMX_FUZZ_CHECK(back.LoadFromFile(reader, true) && SameValues(back, b));
    }
  }
}

// ---- ASC ---------------------------------------------------------------------------------

inline bool AscCodeIsDocumented(std::int32_t rc) {
  return rc == kMatAscOk || rc == kMatAscNoFile || rc == kMatAscBadRowAttrib || rc == kMatAscBadValue ||
         rc == kMatAscBadName || rc == kAscCannotOpen || rc == kAscTruncatedHeader || rc == kAscBadCounts ||
         rc == kAscBadFlags;
}

/// A name as the ASC writer quotes it and the reader gives it back.
inline std::string AsWritten(std::string_view name) {
  std::string s(name);
  for (char& ch : s) {
    ch = ch == '"' ? '\'' : (ch == '\r' || ch == '\n') ? ' ' : ch;
  }
  return s;
}

template <class M>
void CheckAsc(std::string_view bytes, const ScratchFile& file, const ScratchFile& out, bool sparse) {
  const auto size = static_cast<std::int64_t>(bytes.size());
  M base;
  BaselineMatrix(base, sparse);
  M a;
  PrepareMatrix(a, sparse);
  std::string comment = "stale";
  const std::int32_t rc = a.ImportASC(file.Path(), comment);
  QMX_FUZZ_CHECK(AscCodeIsDocumented(rc));
  QMX_FUZZ_CHECK(rc != kMatAscNoFile && rc != kAscCannotOpen);  // the scratch file is there
  CheckCells(a, size);
  if (rc == kAscTruncatedHeader || rc == kAscBadCounts || rc == kAscBadFlags) {
    QMX_FUZZ_CHECK(comment.empty() && SameMatrix(a, base));
  } else {
    // The matrix takes the header's size; a failing row keeps the complete
    // rows before it (none: unchanged); a header without cells changes nothing.
    TTextFile text;
    text.OpenReadString(std::string(bytes));
    std::string headComment;
    std::int32_t cols = 0;
    std::int32_t rows = 0;
    bool flags[4] = {};
    QMX_FUZZ_CHECK(ReadHeaderOfASC(text, headComment, cols, rows, flags[0], flags[1], flags[2], flags[3], size) ==
                   kAscOk);
    QMX_FUZZ_CHECK(headComment == comment);
    if (rc == kMatAscOk && cols >= 1 && rows >= 1) {
      QMX_FUZZ_CHECK(a.NrOfColumns() == cols && a.NrOfRows() == rows);
    } else {
      QMX_FUZZ_CHECK(SameMatrix(a, base) || (rc != kMatAscOk && a.NrOfColumns() == cols && a.NrOfRows() < rows &&
                                             a.DataID() == base.DataID()));
    }
  }
  M b;
  PrepareMatrix(b, sparse);
  std::string commentB;
  TStrArray cols{"stale"};
  TStrArray rows{"stale"};
  QMX_FUZZ_CHECK(b.ImportASC(file.Path(), commentB, cols, rows) == rc && commentB == comment && SameMatrix(b, a));
  if (rc != kMatAscOk) {
    return;
  }
  QMX_FUZZ_CHECK(cols.empty() || cols.size() == static_cast<std::size_t>(b.NrOfColumns()));
  QMX_FUZZ_CHECK(rows.empty() || rows.size() == static_cast<std::size_t>(b.NrOfRows()));
  QMX_FUZZ_CHECK(b.ExportAsASC(out.Path(), comment, cols, rows) == 0);
  M back;
  std::string commentBack;
  TStrArray colsBack;
  TStrArray rowsBack;
  QMX_FUZZ_CHECK(back.ImportASC(out.Path(), commentBack, colsBack, rowsBack) == kMatAscOk);
  QMX_FUZZ_CHECK(SameValues(back, b));
  QMX_FUZZ_CHECK(colsBack.size() == cols.size() && rowsBack.size() == rows.size());
  for (std::size_t k = 0; k < cols.size(); ++k) {
    QMX_FUZZ_CHECK(colsBack[k] == AsWritten(cols[k]));
  }
  for (std::size_t k = 0; k < rows.size(); ++k) {
    QMX_FUZZ_CHECK(rowsBack[k] == AsWritten(rows[k]));
  }
  // An empty comment is written as the default; a leading byte-order mark is dropped.
  if (!comment.empty() && !comment.starts_with("\xEF\xBB\xBF")) {
    QMX_FUZZ_CHECK(commentBack == comment);
  }
}

// ---- the harness body -----------------------------------------------------------------------

template <class M>
int FuzzMatrixReaders(const std::uint8_t* data, std::size_t size, const ScratchFile& file,
                      const ScratchFile& out) {
  ByteReader in(data, size);
  const std::uint8_t selector = in.Byte();
  const std::string_view bytes = in.Rest();
  const bool sparse = (selector & 4u) != 0;
  if (!file.Write(bytes)) {
    return 0;
  }
  switch (static_cast<MatrixFormat>(selector & 3u)) {
    case MatrixFormat::Binary: CheckBinary<M>(bytes, file, sparse); break;
    case MatrixFormat::Xml: CheckXml<M>(bytes, file, sparse); break;
    case MatrixFormat::Plain: CheckPlain<M>(bytes, file, sparse); break;
    case MatrixFormat::Asc: CheckAsc<M>(bytes, file, out, sparse); break;
  }
  return 0;
}

}  // namespace qmx::fuzz
