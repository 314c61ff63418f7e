// TIntMatrix: the file operations in sparse mode (readers switch to dense
// mode, writers write the dense form) and the sparse entry file.

#include <array>
#include <cstring>
#include <memory>
#include <new>

#include "qmx/foundation/basepack.hpp"
#include "qmx/matrix/intmatrix.hpp"

namespace qmx {

namespace {

constexpr std::array<char, 8> kSparseSignature = {'Q', 'M', 'X', 'S', 'P', 'I', 'N', 'T'};
constexpr std::int32_t kSparseVersion = 1;
constexpr std::int64_t kSparseHeaderSize = 28;
constexpr std::int64_t kSparseEntrySize = 12;

void PutInt32(std::uint8_t* p, std::int32_t v) {
  const auto u = static_cast<std::uint32_t>(v);
  p[0] = static_cast<std::uint8_t>(u);
  p[1] = static_cast<std::uint8_t>(u >> 8);
  p[2] = static_cast<std::uint8_t>(u >> 16);
  p[3] = static_cast<std::uint8_t>(u >> 24);
}

std::int32_t GetInt32(const std::uint8_t* p) {
  const std::uint32_t u = std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) |
                          (std::uint32_t{p[3]} << 24);
  return static_cast<std::int32_t>(u);
}

/// Writes the entry file: header, then the entries in blocks.
template <class TEntries>
void WriteSparse(TStream& Stream, std::int32_t NCols, std::int32_t NRows, std::int32_t Increment,
                 std::int32_t Count, TEntries ForEachEntry) {
  std::array<std::uint8_t, kSparseHeaderSize> head{};
  std::memcpy(head.data(), kSparseSignature.data(), kSparseSignature.size());
  PutInt32(head.data() + 8, kSparseVersion);
  PutInt32(head.data() + 12, NCols);
  PutInt32(head.data() + 16, NRows);
  PutInt32(head.data() + 20, Increment);
  PutInt32(head.data() + 24, Count);
  Stream.WriteBuffer(head.data(), kSparseHeaderSize);
  constexpr std::size_t kBlock = 341;  // entries per write: about 4 KB
  std::array<std::uint8_t, kBlock * kSparseEntrySize> buf{};
  std::size_t fill = 0;
  ForEachEntry([&](std::int32_t c, std::int32_t r, std::int32_t v) {
    std::uint8_t* p = buf.data() + fill * kSparseEntrySize;
    PutInt32(p, c);
    PutInt32(p + 4, r);
    PutInt32(p + 8, v);
    if (++fill == kBlock) {
      Stream.WriteBuffer(buf.data(), static_cast<std::int64_t>(fill * kSparseEntrySize));
      fill = 0;
    }
  });
  if (fill > 0) {
    Stream.WriteBuffer(buf.data(), static_cast<std::int64_t>(fill * kSparseEntrySize));
  }
}

}  // namespace

// ---- readers: dense mode first --------------------------------------------------------------------

bool TIntMatrix::LoadFromFile(const std::string& FName, bool AdjustSize) {
  MakeDense();
  return Base::LoadFromFile(FName, AdjustSize);
}

bool TIntMatrix::LoadFromFile(TTextFile& InFile, bool AdjustSize) {
  MakeDense();
  return Base::LoadFromFile(InFile, AdjustSize);
}

bool TIntMatrix::LoadBinary(const std::string& FName) {
  MakeDense();
  return Base::LoadBinary(FName);
}

bool TIntMatrix::LoadFromStream(TMemoryStream* Stream) {
  MakeDense();
  return Base::LoadFromStream(Stream);
}

bool TIntMatrix::LoadFromStream(TFileStream* Stream) {
  MakeDense();
  return Base::LoadFromStream(Stream);
}

std::int32_t TIntMatrix::ImportASC(const std::string& FName, std::string& Comment) {
  MakeDense();
  return Base::ImportASC(FName, Comment);
}

std::int32_t TIntMatrix::ImportASC(const std::string& FName, std::string& Comment, TStrArray& ColNames,
                                   TStrArray& RowNames) {
  MakeDense();
  return Base::ImportASC(FName, Comment, ColNames, RowNames);
}

bool TIntMatrix::ReadFromOpenXMLFile(TTextFile& InFile) {
  MakeDense();
  return Base::ReadFromOpenXMLFile(InFile);
}

bool TIntMatrix::ReadFromXMLStream(TStream* InStream) {
  MakeDense();
  return Base::ReadFromXMLStream(InStream);
}

bool TIntMatrix::LoadFromXMLFile(const std::string& FName) {
  MakeDense();
  return Base::LoadFromXMLFile(FName);
}

// ---- writers: the dense form ----------------------------------------------------------------------

std::int32_t TIntMatrix::ExportAsASC(const std::string& FName, const std::string& Comment) const {
  return sparse_ ? DenseCopy()->Base::ExportAsASC(FName, Comment) : Base::ExportAsASC(FName, Comment);
}

std::int32_t TIntMatrix::ExportAsASC(const std::string& FName, const std::string& Comment,
                                     const TStrArray& ColNames, const TStrArray& RowNames) const {
  return sparse_ ? DenseCopy()->Base::ExportAsASC(FName, Comment, ColNames, RowNames)
                 : Base::ExportAsASC(FName, Comment, ColNames, RowNames);
}

bool TIntMatrix::StoreOnFile(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                             const std::string& FName) const {
  return sparse_ ? DenseCopy()->Base::StoreOnFile(LoCol, LoRow, HiCol, HiRow, FName)
                 : Base::StoreOnFile(LoCol, LoRow, HiCol, HiRow, FName);
}

void TIntMatrix::StoreOnFile(std::int32_t LoCol, std::int32_t LoRow, std::int32_t HiCol, std::int32_t HiRow,
                             TTextFile& OutFile) const {
  if (sparse_) {
    DenseCopy()->Base::StoreOnFile(LoCol, LoRow, HiCol, HiRow, OutFile);
  } else {
    Base::StoreOnFile(LoCol, LoRow, HiCol, HiRow, OutFile);
  }
}

bool TIntMatrix::SaveBinary(const std::string& FName, const std::string& Comment) const {
  return sparse_ ? DenseCopy()->Base::SaveBinary(FName, Comment) : Base::SaveBinary(FName, Comment);
}

void TIntMatrix::SaveToStream(TMemoryStream*& Stream) const {
  if (sparse_) {
    DenseCopy()->Base::SaveToStream(Stream);
  } else {
    Base::SaveToStream(Stream);
  }
}

void TIntMatrix::SaveToStream(TFileStream* Stream) const {
  if (sparse_) {
    DenseCopy()->Base::SaveToStream(Stream);
  } else {
    Base::SaveToStream(Stream);
  }
}

void TIntMatrix::WriteToOpenXMLFile(TTextFile& OutFile, bool CreateHeader) const {
  if (sparse_) {
    DenseCopy()->Base::WriteToOpenXMLFile(OutFile, CreateHeader);
  } else {
    Base::WriteToOpenXMLFile(OutFile, CreateHeader);
  }
}

void TIntMatrix::WriteToXMLStream(TStream* OutStream, bool CreateHeader) const {
  if (sparse_) {
    DenseCopy()->Base::WriteToXMLStream(OutStream, CreateHeader);
  } else {
    Base::WriteToXMLStream(OutStream, CreateHeader);
  }
}

bool TIntMatrix::SaveAsXMLFile(const std::string& FName) const {
  return sparse_ ? DenseCopy()->Base::SaveAsXMLFile(FName) : Base::SaveAsXMLFile(FName);
}

// ---- the sparse entry file ----------------------------------------------------------------------------

bool TIntMatrix::StoreSparseMat(TStream* Stream) const {
  if (Stream == nullptr) {
    return false;
  }
  if (sparse_) {
    WriteSparse(*Stream, ncols_, nrows_, increment_, NrOfSparseElems(), [this](auto&& Put) {
      for (const TSpMatElemInt& e : entries_) {
        Put(e.Column, e.Row, e.Value);
      }
    });
    return true;
  }
  std::int64_t nonZero = 0;
  for (const std::int32_t v : data_) {
    nonZero += v != 0 ? 1 : 0;
  }
  const auto rows = static_cast<std::size_t>(nrows_);
  WriteSparse(*Stream, ncols_, nrows_, increment_, static_cast<std::int32_t>(nonZero), [this, rows](auto&& Put) {
    for (std::size_t k = 0; k < data_.size(); ++k) {
      if (data_[k] != 0) {
        Put(static_cast<std::int32_t>(k / rows) + 1, static_cast<std::int32_t>(k % rows) + 1, data_[k]);
      }
    }
  });
  return true;
}

bool TIntMatrix::StoreSparseMat(const std::string& FName) const {
  std::unique_ptr<TFileStream> file;
  try {
    file = std::make_unique<TFileStream>(FName, TFileMode::fmCreate);
  } catch (const EInOutError&) {
    return false;
  }
  try {
    StoreSparseMat(file.get());
    file->Flush();
  } catch (const EInOutError&) {
    throw EInOutError("TIntMatrix.StoreSparseMat: cannot write file \"" + FName + "\"");
  }
  return true;
}

bool TIntMatrix::LoadSparseMat(TStream* Stream) {
  if (Stream == nullptr) {
    return false;
  }
  const std::int64_t start = Stream->Position();
  const std::int64_t available = Stream->Size() - start;
  auto fail = [&] {
    Stream->SetPosition(start);
    return false;
  };
  if (available < kSparseHeaderSize) {
    return fail();
  }
  std::array<std::uint8_t, kSparseHeaderSize> head{};
  if (Stream->Read(head.data(), kSparseHeaderSize) != kSparseHeaderSize) {
    return fail();
  }
  const std::int32_t version = GetInt32(head.data() + 8);
  const std::int32_t nc = GetInt32(head.data() + 12);
  const std::int32_t nr = GetInt32(head.data() + 16);
  const std::int32_t inc = GetInt32(head.data() + 20);
  const std::int32_t count = GetInt32(head.data() + 24);
  // Sizes are checked against the stream before anything is allocated.
  if (std::memcmp(head.data(), kSparseSignature.data(), kSparseSignature.size()) != 0 || version != kSparseVersion ||
      nc < 1 || nr < 1 || inc < 1 || count < 0 ||
      available != kSparseHeaderSize + std::int64_t{count} * kSparseEntrySize) {
    return fail();
  }
  std::vector<TSpMatElemInt> list;
  try {
    list.resize(static_cast<std::size_t>(count));
  } catch (const std::bad_alloc&) {
    Stream->SetPosition(start);
    RaiseComponentError<EQMXMatrixError>(this, kMsgNotEnoughMemoryOnHeap);
  }
  std::array<std::uint8_t, 4092> buf{};  // 341 entries
  std::size_t k = 0;
  while (k < list.size()) {
    const std::size_t take = std::min<std::size_t>(list.size() - k, buf.size() / kSparseEntrySize);
    const auto bytes = static_cast<std::int64_t>(take) * kSparseEntrySize;
    if (Stream->Read(buf.data(), bytes) != bytes) {
      return fail();
    }
    for (std::size_t j = 0; j < take; ++j, ++k) {
      const std::uint8_t* p = buf.data() + j * kSparseEntrySize;
      TSpMatElemInt e{GetInt32(p), GetInt32(p + 4), GetInt32(p + 8)};
      if (e.Column < 1 || e.Row < 1) {
        return fail();
      }
      if (k > 0) {
        const TSpMatElemInt& prev = list[k - 1];
        if (e.Column < prev.Column || (e.Column == prev.Column && e.Row <= prev.Row)) {
          return fail();
        }
      }
      list[k] = e;
    }
  }
  // Accepted: switch to sparse mode with the file's entries.
  ClearEntries();
  entries_.swap(list);
  for (const TSpMatElemInt& e : entries_) {
    Widen(e.Column, e.Row);
  }
  sparse_ = true;
  increment_ = inc;
  capacity_ = increment_;
  GrowCapacity(entries_.size());
  AdoptStorage({}, nc, nr);
  Changed();
  Resized();
  return true;
}

bool TIntMatrix::LoadSparseMat(const std::string& FName) {
  if (!FileExists(FName)) {
    return false;
  }
  std::unique_ptr<TFileStream> file;
  try {
    file = std::make_unique<TFileStream>(FName, TFileMode::fmOpenRead);
  } catch (const EInOutError&) {
    return false;
  }
  return LoadSparseMat(file.get());
}

}  // namespace qmx
