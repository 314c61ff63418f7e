#pragma once
// Member definitions of the shared matrix template: the binary file and
// stream format, the plain text format and the ASC text format.  Included
// only by the sources that instantiate the template.

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <type_traits>
#include <vector>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/platform.hpp"
#include "qmx/matrix/matrix_formats.hpp"
#include "qmx/matrix/matrix_impl_core.hpp"

namespace qmx::detail {

namespace matimpl {

/// Size of a file in bytes, -1 if it cannot be determined.
inline std::int64_t FileSizeOf(const std::string& FName) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(FName, ec);
  return ec ? -1 : static_cast<std::int64_t>(size);
}

/// One element in little-endian bytes, and back.
template <class T>
void PutElement(std::uint8_t* out, T v) {
  if constexpr (std::is_integral_v<T>) {
    PutLE32(out, v);
  } else {
    PutLEDouble(out, v);
  }
}
template <class T>
T GetElement(const std::uint8_t* in) {
  if constexpr (std::is_integral_v<T>) {
    return GetLE32(in);
  } else {
    return GetLEDouble(in);
  }
}

/// A word of a text file as an element; "NAN" and "###" mark a missing value
/// (NaN for doubles, 0 for integers) where Missing allows them.
template <class T>
bool WordToElement(std::string_view Word, T& Value, bool Missing) {
  if (Missing && (Word == "NAN" || Word == "###")) {
    if constexpr (std::is_integral_v<T>) {
      Value = 0;
    } else {
      Value = std::numeric_limits<double>::quiet_NaN();
    }
    return true;
  }
  return ParseMatWord(Word, Value);
}

/// Reads one quoted (or white-space delimited) name character by character;
/// false when the text ends before a name was found.
inline bool ReadQuotedName(TTextFile& File, std::string& Name) {
  TQuotedNameState state;
  char ch = 0;
  while (File.ReadChar(ch)) {
    if (ParseQuotedName(ch, '"', state)) {
      Name = std::move(state.Name);
      return true;
    }
  }
  // An unquoted name at the very end of the text is complete as well.
  if (state.Stage == TQuotedNameStage::qnsUnquoted) {
    Name = std::move(state.Name);
    return true;
  }
  return false;
}

/// A name made safe for a quoted field: '"' becomes "'", CR and LF blanks.
inline std::string QuotedName(std::string_view Name) {
  std::string s;
  s.reserve(Name.size() + 2);
  s.push_back('"');
  for (const char c : Name) {
    s.push_back(c == '"' ? '\'' : (c == '\r' || c == '\n') ? ' ' : c);
  }
  s.push_back('"');
  return s;
}

/// A positive 32-bit integer word ("+" allowed).
inline bool PositiveIndex(std::string_view w, std::int32_t& v) {
  if (!w.empty() && w.front() == '+') {
    w.remove_prefix(1);
  }
  const auto [end, ec] = std::from_chars(w.data(), w.data() + w.size(), v, 10);
  return ec == std::errc() && end == w.data() + w.size() && !w.empty() && v >= 1;
}

}  // namespace matimpl

// ---------------------------------------------------------------------------
// Cell texts and write errors
// ---------------------------------------------------------------------------

template <class T, class D>
TMatCellFormat TMatrixBase<T, D>::CellFormat() const {
  if constexpr (std::is_integral_v<T>) {
    return TMatCellFormat{0, 0};
  } else {
    return static_cast<const D*>(this)->CellFormatOfClass();
  }
}

template <class T, class D>
std::string TMatrixBase<T, D>::CellText(T v, bool Padded) const {
  const TMatCellFormat f = CellFormat();
  if constexpr (std::is_integral_v<T>) {
    return FormatMatCell(v, Padded ? f.Width : 0);
  } else {
    return FormatMatCell(v, Padded ? f.Width : 0, f.Decimals);
  }
}

template <class T, class D>
void TMatrixBase<T, D>::RaiseWriteError(std::string_view Operation, const std::string& FName) const {
  throw EInOutError(std::string(ClassName()) + "." + std::string(Operation) + ": cannot write file \"" + FName +
                    "\"");
}

// ---------------------------------------------------------------------------
// Binary files and streams
// ---------------------------------------------------------------------------

template <class T, class D>
void TMatrixBase<T, D>::WriteBinary(TStream& Stream, const std::string& Comment) const {
  TMatBinaryHeader h;
  h.NrOfColumns = ncols_;
  h.NrOfRows = nrows_;
  h.NrOfLayers = 0;
  h.NrOfTimeSlots = 0;
  h.Comment = Comment;
  h.Format = TMatrixTraits<T>::kFormat;
  WriteMatBinaryHeader(Stream, h);
  std::array<std::uint8_t, static_cast<std::size_t>(kMatRecordSize)> rec{};
  std::size_t fill = 0;
  for (std::int32_t r = 1; r <= nrows_; ++r) {
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      matimpl::PutElement<T>(rec.data() + fill, GetVal(c, r));
      fill += sizeof(T);
      if (fill == rec.size()) {
        Stream.WriteBuffer(rec.data(), kMatRecordSize);
        fill = 0;
      }
    }
  }
  if (fill > 0) {
    std::fill(rec.begin() + static_cast<std::ptrdiff_t>(fill), rec.end(), std::uint8_t{0});
    Stream.WriteBuffer(rec.data(), kMatRecordSize);
  }
}

template <class T, class D>
bool TMatrixBase<T, D>::ReadBinary(TStream& Stream) {
  const std::int64_t start = Stream.Position();
  TMatBinaryHeader h;
  if (!ReadMatBinaryHeader(Stream, h)) {
    return false;
  }
  const std::int64_t n = std::int64_t{h.NrOfColumns} * h.NrOfRows;
  const std::int64_t available = Stream.Size() - start - kMatRecordSize;
  if (h.NrOfLayers != 0 || h.NrOfTimeSlots != 0 || h.Format != TMatrixTraits<T>::kFormat || h.NrOfColumns < 1 ||
      h.NrOfRows < 1 || available < 0 || n > available / static_cast<std::int64_t>(sizeof(T))) {
    Stream.SetPosition(start);
    return false;
  }
  std::vector<T> values;
  try {
    values.resize(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    Stream.SetPosition(start);
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  Stream.SetPosition(start + kMatRecordSize);
  std::array<std::uint8_t, static_cast<std::size_t>(kMatRecordSize)> rec{};
  constexpr std::int64_t perRecord = kMatRecordSize / static_cast<std::int64_t>(sizeof(T));
  const auto rows = static_cast<std::size_t>(h.NrOfRows);
  std::int64_t k = 0;  // row-major element number in the file
  while (k < n) {
    const std::int64_t count = std::min(perRecord, n - k);
    Stream.ReadBuffer(rec.data(), count * static_cast<std::int64_t>(sizeof(T)));
    for (std::int64_t j = 0; j < count; ++j, ++k) {
      const auto r = static_cast<std::size_t>(k / h.NrOfColumns);
      const auto c = static_cast<std::size_t>(k % h.NrOfColumns);
      values[c * rows + r] = matimpl::GetElement<T>(rec.data() + j * static_cast<std::int64_t>(sizeof(T)));
    }
  }
  // Step over the padding of the last record, as far as the stream holds it.
  const std::int64_t records = (n + perRecord - 1) / perRecord;
  Stream.SetPosition(std::min(Stream.Size(), start + (records + 1) * kMatRecordSize));
  LoadWhole(std::move(values), h.NrOfColumns, h.NrOfRows);
  return true;
}

template <class T, class D>
bool TMatrixBase<T, D>::ReadBinaryHeader(const std::string& FName, std::int32_t& NCols, std::int32_t& NRows,
                                         std::string& Comment, std::int32_t& Format) const {
  TMatBinaryHeader h;
  const bool ok = ReadMatBinaryHeader(FName, h);
  NCols = h.NrOfColumns;
  NRows = h.NrOfRows;
  Comment = h.Comment;
  Format = h.Format;
  return ok && h.NrOfLayers == 0 && h.NrOfTimeSlots == 0 && h.Format == TMatrixTraits<T>::kFormat;
}

template <class T, class D>
bool TMatrixBase<T, D>::SaveBinary(const std::string& FName, const std::string& Comment) const {
  std::unique_ptr<TFileStream> file;
  try {
    file = std::make_unique<TFileStream>(FName, TFileMode::fmCreate);
  } catch (const EInOutError&) {
    return false;
  }
  try {
    WriteBinary(*file, Comment);
    file->Flush();
  } catch (const EInOutError&) {
    RaiseWriteError("SaveBinary", FName);
  }
  return true;
}

template <class T, class D>
bool TMatrixBase<T, D>::LoadBinary(const std::string& FName) {
  if (!FileExists(FName)) {
    return false;
  }
  std::unique_ptr<TFileStream> file;
  try {
    file = std::make_unique<TFileStream>(FName, TFileMode::fmOpenRead);
  } catch (const EInOutError&) {
    return false;
  }
  return ReadBinary(*file);
}

template <class T, class D>
void TMatrixBase<T, D>::SaveToStream(TMemoryStream*& Stream) const {
  if (Stream == nullptr) {
    Stream = new TMemoryStream();  // owned by the caller from here on
  }
  WriteBinary(*Stream, std::string());
}

template <class T, class D>
void TMatrixBase<T, D>::SaveToStream(TFileStream* Stream) const {
  if (Stream != nullptr) {
    WriteBinary(*Stream, std::string());
  }
}

template <class T, class D>
bool TMatrixBase<T, D>::LoadFromStream(TMemoryStream* Stream) {
  return Stream != nullptr && ReadBinary(*Stream);
}

template <class T, class D>
bool TMatrixBase<T, D>::LoadFromStream(TFileStream* Stream) {
  return Stream != nullptr && ReadBinary(*Stream);
}

// ---------------------------------------------------------------------------
// Plain text
// ---------------------------------------------------------------------------

template <class T, class D>
void TMatrixBase<T, D>::WritePlain(TTextFile& File, const TMatRegion& R) const {
  File.WriteLn(std::to_string(R.LoCol) + " " + std::to_string(R.LoRow) + " " + std::to_string(R.HiCol) + " " +
               std::to_string(R.HiRow));
  std::string line;
  for (std::int32_t r = R.LoRow; r <= R.HiRow; ++r) {
    line.clear();
    for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
      if (c > R.LoCol) {
        line.push_back(' ');
      }
      line += CellText(GetVal(c, r), true);
    }
    File.WriteLn(line);
  }
}

template <class T, class D>
bool TMatrixBase<T, D>::StoreOnFile(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                                    const std::string& FName) const {
  TTextFile file;
  if (!file.OpenWrite(FName)) {
    return false;
  }
  WritePlain(file, CornerRegion(LoCol, LoRow, HiCol, HiRow));
  file.Close();
  if (!file.WriteOk()) {
    RaiseWriteError("StoreOnFile", FName);
  }
  return true;
}

template <class T, class D>
void TMatrixBase<T, D>::StoreOnFile(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                                    TTextFile& OutFile) const {
  WritePlain(OutFile, CornerRegion(LoCol, LoRow, HiCol, HiRow));
}

template <class T, class D>
bool TMatrixBase<T, D>::ReadPlain(TTextFile& File, bool AdjustSize, std::int64_t SizeLimit) {
  // The header is the next line that is not blank (the line end after the
  // last value of a previous matrix in the same text is skipped).
  std::string line;
  std::int64_t bytes = 0;
  TStrArray words;
  while (words.empty()) {
    if (!File.ReadLine(line)) {
      return false;
    }
    bytes += static_cast<std::int64_t>(line.size()) + 1;
    words = Tokenize(line, " \t\r\v\f");
  }
  std::array<std::int32_t, 4> b{};  // LoCol, LoRow, HiCol, HiRow
  if (words.size() != 4) {
    return false;
  }
  for (std::size_t k = 0; k < 4; ++k) {
    if (!matimpl::PositiveIndex(words[k], b[k])) {
      return false;
    }
  }
  const TMatRegion R{b[0], b[2], b[1], b[3]};
  if (R.LoCol > R.HiCol || R.LoRow > R.HiRow) {
    return false;
  }
  if (!AdjustSize && (R.HiCol > ncols_ || R.HiRow > nrows_ || data_.empty())) {
    return false;
  }
  std::vector<T> values;
  std::string word;
  const std::int64_t count = R.Count();
  for (std::int64_t k = 0; k < count; ++k) {
    T v{};
    if (!File.ReadWord(word) || !matimpl::WordToElement(word, v, false)) {
      return false;
    }
    bytes += static_cast<std::int64_t>(word.size()) + 1;
    values.push_back(v);  // grows with what the text holds, never with what it announces
  }
  if (AdjustSize) {
    const std::int64_t cells = std::int64_t{R.HiCol} * R.HiRow;
    if (cells > static_cast<std::int64_t>(data_.size()) && cells > std::max(bytes, SizeLimit)) {
      return false;
    }
    Resize(R.HiCol, R.HiRow);
    if (data_.empty()) {
      return false;
    }
  }
  std::size_t k = 0;
  for (std::int32_t r = R.LoRow; r <= R.HiRow; ++r) {
    for (std::int32_t c = R.LoCol; c <= R.HiCol; ++c) {
      data_[Pos(c, r)] = values[k++];
    }
  }
  Changed();
  return true;
}

template <class T, class D>
bool TMatrixBase<T, D>::LoadFromFile(const std::string& FName, bool AdjustSize) {
  TTextFile file;
  if (!file.OpenRead(FName)) {
    return false;
  }
  return ReadPlain(file, AdjustSize, matimpl::FileSizeOf(FName));
}

template <class T, class D>
bool TMatrixBase<T, D>::LoadFromFile(TTextFile& InFile, bool AdjustSize) {
  return ReadPlain(InFile, AdjustSize, 0);
}

// ---------------------------------------------------------------------------
// ASC text files
// ---------------------------------------------------------------------------

template <class T, class D>
std::int32_t TMatrixBase<T, D>::WriteASC(const std::string& FName, const std::string& Comment,
                                         const TStrArray* ColNames, const TStrArray* RowNames) const {
  TTextFile file;
  if (!file.OpenWrite(FName)) {
    return -1;
  }
  const bool colNames = ColNames != nullptr && !ColNames->empty();
  const bool rowNames = RowNames != nullptr && !RowNames->empty();
  if (Comment.empty()) {
    file.WriteLn("Exported by QMX " + std::string(ClassName()) + " component: " + FName);
  } else {
    file.WriteLn(ReplaceCharInString(Comment, '\n', ' '));
  }
  file.WriteLn(std::to_string(ncols_) + "\t;nr. of columns");
  file.WriteLn(std::to_string(nrows_) + "\t;nr. of rows");
  file.WriteLn(std::string("FALSE ") + (colNames ? "TRUE " : "FALSE ") + (rowNames ? "TRUE " : "FALSE ") +
               "FALSE\t;row attributes, column names, row names, nominal variables");
  std::string line;
  if (colNames) {
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      if (c > 1) {
        line.push_back(' ');
      }
      const auto k = static_cast<std::size_t>(c - 1);
      line += matimpl::QuotedName(k < ColNames->size() ? std::string_view((*ColNames)[k]) : std::string_view());
    }
    file.WriteLn(line);
  }
  for (std::int32_t r = 1; r <= nrows_; ++r) {
    line.clear();
    if (rowNames) {
      const auto k = static_cast<std::size_t>(r - 1);
      line += matimpl::QuotedName(k < RowNames->size() ? std::string_view((*RowNames)[k]) : std::string_view());
      line.push_back(' ');
    }
    for (std::int32_t c = 1; c <= ncols_; ++c) {
      if (c > 1) {
        line.push_back(' ');
      }
      line += CellText(GetVal(c, r), true);
    }
    file.WriteLn(line);
  }
  file.Close();
  if (!file.WriteOk()) {
    RaiseWriteError("ExportAsASC", FName);
  }
  return 0;
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::ExportAsASC(const std::string& FName, const std::string& Comment) const {
  return WriteASC(FName, Comment, nullptr, nullptr);
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::ExportAsASC(const std::string& FName, const std::string& Comment,
                                            const TStrArray& ColNames, const TStrArray& RowNames) const {
  return WriteASC(FName, Comment, &ColNames, &RowNames);
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::ReadASC(const std::string& FName, std::string& Comment, TStrArray& ColNames,
                                        TStrArray& RowNames) {
  Comment.clear();
  ColNames.clear();
  RowNames.clear();
  if (!FileExists(FName)) {
    return kMatAscNoFile;
  }
  const std::int64_t fileSize = matimpl::FileSizeOf(FName);
  TTextFile file;
  if (fileSize < 0 || !file.OpenRead(FName)) {
    return kAscCannotOpen;
  }
  std::int32_t nCols = 0;
  std::int32_t nRows = 0;
  bool rowAttrib = false;
  bool colNames = false;
  bool rowNames = false;
  bool nomVars = false;
  // The file size bounds the counts: every cell takes at least one byte.
  const std::int32_t rc =
      ReadHeaderOfASC(file, Comment, nCols, nRows, rowAttrib, colNames, rowNames, nomVars, fileSize);
  if (rc != kAscOk) {
    return rc;
  }
  if (nCols < 1 || nRows < 1) {
    return kMatAscOk;
  }
  std::string word;
  if (colNames) {
    for (std::int32_t c = 0; c < nCols; ++c) {
      if (!matimpl::ReadQuotedName(file, word)) {
        return kMatAscBadName;
      }
      ColNames.push_back(word);
    }
  }
  std::vector<T> values;  // row-major, grows with what the file holds
  std::int32_t result = kMatAscOk;
  std::int32_t complete = 0;
  for (std::int32_t r = 1; r <= nRows && result == kMatAscOk; ++r) {
    if (rowAttrib) {
      double attrib = 0.0;
      if (!ReadNextWordInTextFile(file, word) || !matimpl::WordToElement(word, attrib, true)) {
        result = kMatAscBadRowAttrib;
        break;
      }
    }
    if (rowNames) {
      if (!matimpl::ReadQuotedName(file, word)) {
        result = kMatAscBadName;
        break;
      }
      RowNames.push_back(word);
    }
    for (std::int32_t c = 1; c <= nCols; ++c) {
      T v{};
      if (!ReadNextWordInTextFile(file, word) || !matimpl::WordToElement(word, v, true)) {
        result = kMatAscBadValue;
        break;
      }
      values.push_back(v);
    }
    if (result == kMatAscOk) {
      complete = r;
    }
  }
  file.Close();
  if (complete < 1) {
    return result;
  }
  std::vector<T> colMajor;
  try {
    colMajor.resize(static_cast<std::size_t>(std::int64_t{nCols} * complete));
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  std::size_t k = 0;
  for (std::int32_t r = 0; r < complete; ++r) {
    for (std::int32_t c = 0; c < nCols; ++c) {
      colMajor[static_cast<std::size_t>(c) * static_cast<std::size_t>(complete) + static_cast<std::size_t>(r)] =
          values[k++];
    }
  }
  LoadWhole(std::move(colMajor), nCols, complete);
  return result;
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::ImportASC(const std::string& FName, std::string& Comment) {
  TStrArray colNames;
  TStrArray rowNames;
  return ReadASC(FName, Comment, colNames, rowNames);
}

template <class T, class D>
std::int32_t TMatrixBase<T, D>::ImportASC(const std::string& FName, std::string& Comment, TStrArray& ColNames,
                                          TStrArray& RowNames) {
  return ReadASC(FName, Comment, ColNames, RowNames);
}

}  // namespace qmx::detail
