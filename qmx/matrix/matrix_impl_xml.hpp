#pragma once
// Member definitions of the shared matrix template: the XML tags, writer and
// readers.  Included only by the sources that instantiate the template.

#include <cstdint>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/platform.hpp"
#include "qmx/matrix/matrix_formats.hpp"
#include "qmx/matrix/matrix_impl_core.hpp"

namespace qmx::detail {

namespace matimpl {

/// Announced sizes up to this many cells more than the text has bytes are
/// accepted (a matrix element may omit cells whose value is 0).
inline constexpr std::int64_t kXmlCellSlack = 65536;

/// The tag list of the readers, indexed by `TMatXmlTag`.
inline std::span<const std::string_view> MatTagList() { return {MatXmlTagNames.data(), MatXmlTagNames.size()}; }

/// Tags read from an open text file.  Counts the bytes of what it hands out
/// (a lower bound of what was consumed).
class TXmlFileSource {
 public:
  explicit TXmlFileSource(TTextFile& File) : file_(File) {}
  std::int32_t NextTag(std::string& Attributes, TTagInfo& Info) {
    const std::int32_t rc = ReadNextTagInTextFile(file_, MatTagList(), before_, Attributes, &Info);
    consumed_ += static_cast<std::int64_t>(before_.size() + Attributes.size() + Info.Name.size()) + 2;
    return rc;
  }
  std::int32_t Content(std::string_view Name, std::string& Content) {
    const std::int32_t rc = ReadTagContentInTextFile(file_, Name, Content);
    consumed_ += static_cast<std::int64_t>(Content.size() + Name.size()) + 3;
    return rc;
  }
  std::int64_t Consumed() const { return consumed_; }

 private:
  TTextFile& file_;
  std::string before_;
  std::int64_t consumed_ = 0;
};

/// Tags read from a text held in memory, from a start position.
class TXmlStringSource {
 public:
  TXmlStringSource(std::string_view Text, std::size_t Start) : text_(Text), start_(Start), pos_(Start) {}
  std::int32_t NextTag(std::string& Attributes, TTagInfo& Info) {
    return ReadNextTagInString(text_, pos_, MatTagList(), before_, Attributes, &Info);
  }
  std::int32_t Content(std::string_view Name, std::string& Content) {
    return ReadTagContentInString(text_, pos_, Name, Content);
  }
  std::int64_t Consumed() const { return static_cast<std::int64_t>(pos_ - start_); }
  std::size_t Position() const { return pos_; }

 private:
  std::string_view text_;
  std::size_t start_;
  std::size_t pos_;
  std::string before_;
};

/// The value of a cell in a lenient (tag) and a strict (reader) form.
template <class T>
T CellValue(std::string_view Content) {
  if constexpr (std::is_integral_v<T>) {
    return ParseTagInteger(Content);
  } else {
    return ParseTagReal(Content);
  }
}
template <class T>
bool CellValueStrict(std::string_view Content, T& Value) {
  if constexpr (std::is_integral_v<T>) {
    std::string_view s = Content;
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n')) {
      s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
      s.remove_suffix(1);
    }
    return ParseMatWord(s, Value);
  } else {
    return ParseTagRealStrict(Content, Value);
  }
}

}  // namespace matimpl

template <class T, class D>
std::int32_t TMatrixBase<T, D>::ProcessXmlTag(TMatXmlTag Tag, const std::string& Attributes,
                                              const std::string& Content) {
  switch (Tag) {
    case TMatXmlTag::xmlMatNumCols:
      pendingCols_ = ParseTagInteger(Content);
      return 0;
    case TMatXmlTag::xmlMatNumRows:
      pendingRows_ = ParseTagInteger(Content);
      return 0;
    case TMatXmlTag::xmlMatNumLayers:
    case TMatXmlTag::xmlMatNumTimeSlots:
    case TMatXmlTag::xmlMatBegin:
      return 0;
    case TMatXmlTag::xmlMatCell:
      if (cellPending_) {
        cellPending_ = false;
        Resize(pendingCols_, pendingRows_);
      }
      SetVal(TagAttributeInteger(Attributes, "ix"), TagAttributeInteger(Attributes, "iy"),
             matimpl::CellValue<T>(Content));
      return 0;
    case TMatXmlTag::xmlMatEnd:
      return 1;
    case TMatXmlTag::xmlInvalid:
      break;
  }
  return -1;
}

template <class T, class D>
void TMatrixBase<T, D>::WriteXml(TTextFile& File, bool CreateHeader) const {
  if (CreateHeader) {
    File.WriteLn("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
  }
  if (dataID_.empty()) {
    File.WriteLn("<matrix>");
  } else {
    File.WriteLn("<matrix dataid=\"" + XmlEscape(dataID_) + "\">");
  }
  File.WriteLn("  <numcols>" + std::to_string(ncols_) + "</numcols>");
  File.WriteLn("  <numrows>" + std::to_string(nrows_) + "</numrows>");
  std::string line;
  for (std::int32_t c = 1; c <= ncols_; ++c) {
    const std::string ix = "  <cell ix=\"" + std::to_string(c) + "\" iy=\"";
    for (std::int32_t r = 1; r <= nrows_; ++r) {
      line = ix;
      line += std::to_string(r);
      line += "\">";
      line += CellText(GetVal(c, r), false);
      line += "</cell>";
      File.WriteLn(line);
    }
  }
  File.WriteLn("</matrix>");
}

template <class T, class D>
void TMatrixBase<T, D>::WriteToOpenXMLFile(TTextFile& OutFile, bool CreateHeader) const {
  WriteXml(OutFile, CreateHeader);
}

template <class T, class D>
void TMatrixBase<T, D>::WriteToXMLStream(TStream* OutStream, bool CreateHeader) const {
  if (OutStream == nullptr) {
    return;
  }
  TTextFile file;
  file.OpenWriteStream(OutStream);
  WriteXml(file, CreateHeader);
  file.Close();
  if (!file.WriteOk()) {
    throw EInOutError(std::string(ClassName()) + ".WriteToXMLStream: cannot write to the stream");
  }
}

template <class T, class D>
bool TMatrixBase<T, D>::SaveAsXMLFile(const std::string& FName) const {
  TTextFile file;
  if (!file.OpenWrite(FName)) {
    return false;
  }
  WriteXml(file, true);
  file.Close();
  if (!file.WriteOk()) {
    RaiseWriteError("SaveAsXMLFile", FName);
  }
  return true;
}

template <class T, class D>
template <class Source>
bool TMatrixBase<T, D>::ReadXml(Source& Src) {
  struct TCell {
    std::int32_t Col;
    std::int32_t Row;
    T Value;
  };
  std::vector<TCell> cells;  // grows with what the text holds
  std::int32_t pendCols = 0;
  std::int32_t pendRows = 0;
  std::int32_t cols = -1;  // the counts in effect at the first cell
  std::int32_t rows = -1;
  std::string id;
  bool haveID = false;
  std::string attrs;
  std::string content;
  TTagInfo info;
  for (;;) {  // every tag read consumes text, so the loop ends with the text
    const std::int32_t rc = Src.NextTag(attrs, info);
    if (rc == kTagEndOfText || rc == kTagMalformed) {
      return false;
    }
    if (rc < 0 || rc >= static_cast<std::int32_t>(MatXmlTagNames.size())) {
      continue;  // tags of other names are skipped
    }
    const auto tag = static_cast<TMatXmlTag>(rc);
    if (tag == TMatXmlTag::xmlMatEnd) {
      break;
    }
    if (tag == TMatXmlTag::xmlMatBegin) {
      haveID = XmlAttributeValue(attrs, "dataid", id);
      continue;
    }
    if (tag == TMatXmlTag::xmlInvalid) {
      continue;
    }
    content.clear();
    if (!info.IsEmptyElement && Src.Content(info.Name, content) != 0) {
      return false;
    }
    switch (tag) {
      case TMatXmlTag::xmlMatNumCols:
        pendCols = ParseTagInteger(content);
        break;
      case TMatXmlTag::xmlMatNumRows:
        pendRows = ParseTagInteger(content);
        break;
      case TMatXmlTag::xmlMatNumLayers:
      case TMatXmlTag::xmlMatNumTimeSlots:
        if (ParseTagInteger(content) > 1) {
          return false;  // an array of more than one layer or time slot is no matrix
        }
        break;
      case TMatXmlTag::xmlMatCell: {
        if (cols < 0) {
          cols = pendCols;
          rows = pendRows;
        }
        TCell cell{};
        if (!TagAttributeIntegerStrict(attrs, "ix", cell.Col) || !TagAttributeIntegerStrict(attrs, "iy", cell.Row) ||
            cell.Col < 1 || cell.Col > cols || cell.Row < 1 || cell.Row > rows ||
            !matimpl::CellValueStrict(content, cell.Value)) {
          return false;
        }
        cells.push_back(cell);
        break;
      }
      default:
        break;
    }
  }
  if (cols < 0) {
    cols = pendCols;
    rows = pendRows;
  }
  if (cols < 1 || rows < 1 || std::int64_t{cols} * rows > Src.Consumed() + matimpl::kXmlCellSlack) {
    return false;
  }
  std::vector<T> values;
  try {
    values.assign(static_cast<std::size_t>(std::int64_t{cols} * rows), T{});
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  for (const TCell& cell : cells) {
    values[static_cast<std::size_t>(cell.Col - 1) * static_cast<std::size_t>(rows) +
           static_cast<std::size_t>(cell.Row - 1)] = cell.Value;
  }
  pendingCols_ = cols;
  pendingRows_ = rows;
  cellPending_ = false;
  if (haveID) {
    dataID_ = XmlUnescape(id);
  }
  LoadWhole(std::move(values), cols, rows);
  return true;
}

template <class T, class D>
bool TMatrixBase<T, D>::ReadFromOpenXMLFile(TTextFile& InFile) {
  matimpl::TXmlFileSource src(InFile);
  return ReadXml(src);
}

template <class T, class D>
bool TMatrixBase<T, D>::ReadFromXMLStream(TStream* InStream) {
  if (InStream == nullptr) {
    return false;
  }
  const std::int64_t start = InStream->Position();
  const std::int64_t remaining = InStream->Size() - start;
  if (remaining <= 0) {
    return false;
  }
  std::string text;
  try {
    text.resize(static_cast<std::size_t>(remaining));
  } catch (const std::bad_alloc&) {
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  const std::int64_t got = InStream->Read(text.data(), remaining);
  text.resize(static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
  matimpl::TXmlStringSource src(text, 0);
  if (!ReadXml(src)) {
    InStream->SetPosition(start);
    return false;
  }
  InStream->SetPosition(start + static_cast<std::int64_t>(src.Position()));
  return true;
}

template <class T, class D>
bool TMatrixBase<T, D>::LoadFromXMLFile(const std::string& FName) {
  TTextFile file;
  if (!file.OpenRead(FName)) {
    return false;
  }
  matimpl::TXmlFileSource src(file);
  return ReadXml(src);
}

}  // namespace qmx::detail
