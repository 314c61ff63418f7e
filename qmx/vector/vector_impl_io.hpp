#pragma once
// Member definitions of the shared vector template: the ASC reader and
// writer, the plain text reader and writer, and the stream format.
// Included only by vector_base.cpp.

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <type_traits>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/platform.hpp"
#include "qmx/vector/vector_impl_core.hpp"
#include "qmx/vector/vector_internal.hpp"

namespace qmx::detail {

namespace vecimpl {

/// Size of a file in bytes, -1 if it cannot be determined.
inline std::int64_t FileSizeOf(const std::string& FName) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(FName, ec);
  return ec ? -1 : static_cast<std::int64_t>(size);
}

/// Consumes one quoted (or blank-delimited) name; false at the end of the file.
inline bool SkipQuotedName(TTextFile& File) {
  TQuotedNameState state;
  char ch = 0;
  while (File.ReadChar(ch)) {
    if (ParseQuotedName(ch, '"', state)) {
      return true;
    }
  }
  return false;
}

/// A value word of a text file as an element: doubles accept "NAN", "INF",
/// "-INF"; integers take the word as a real rounded to the nearest integer.
template <class T>
bool WordToElement(std::string_view Word, T& Value) {
  double v = 0.0;
  if constexpr (std::is_integral_v<T>) {
    return ParseRealWord(Word, v, false) && RoundToInt32(v, Value);
  } else {
    if (!ParseRealWord(Word, v, true)) {
      return false;
    }
    Value = v;
    return true;
  }
}

/// An element in the plain text format.
template <class T>
std::string PlainText(T Value, std::int32_t Decimals) {
  if constexpr (std::is_integral_v<T>) {
    (void)Decimals;
    return std::to_string(Value);
  } else {
    if (Decimals >= 0) {
      return strff(Value, 1, Decimals);
    }
    // Scientific in a field of 13 (-1) or 26 (-2) characters: sign, digit,
    // point, W - 7 decimals and a four-character exponent.
    const std::int32_t width = Decimals == -1 ? 13 : 26;
    return strff(Value, width, -(width - 7));
  }
}

}  // namespace vecimpl

template <class T, class D>
std::int32_t TVectorBase<T, D>::WriteASC(const std::string& FName, const std::string& Comment,
                                         std::int32_t Decimals) const {
  TTextFile file;
  if (!file.OpenWrite(FName)) {
    return -1;
  }
  if (Comment.empty()) {
    file.WriteLn("Exported by QMX " + std::string(ClassName()) + " component: " + FName);
  } else {
    file.WriteLn(ReplaceCharInString(Comment, '\n', ' '));
  }
  file.WriteLn("1\t;nr. of columns");
  file.WriteLn(std::to_string(NrOfElem()) + "\t;nr. of rows");
  file.WriteLn("FALSE FALSE FALSE FALSE\t;row attributes, column names, row names, nominal variables");
  for (const T v : data_) {
    if constexpr (std::is_integral_v<T>) {
      (void)Decimals;
      file.WriteLn(std::to_string(v));
    } else {
      file.WriteLn(strff(v, 12, Decimals));
    }
  }
  file.Close();
  if (!file.WriteOk()) {
    throw EInOutError("Cannot write file \"" + FName + "\"");
  }
  return 0;
}

template <class T, class D>
std::int32_t TVectorBase<T, D>::ImportASC(const std::string& FName, std::string& Comment) {
  Comment.clear();
  if (!FileExists(FName)) {
    return kVecAscNoFile;
  }
  std::int32_t nCols = 0;
  std::int32_t nRows = 0;
  bool rowAttrib = false;
  bool colNames = false;
  bool rowNames = false;
  bool nomVars = false;
  const std::int32_t rc = ReadHeaderOfASC(FName, Comment, nCols, nRows, rowAttrib, colNames, rowNames, nomVars);
  if (rc != kAscOk) {
    return rc;
  }
  if (nCols > 1) {
    return kVecAscTooManyColumns;
  }
  TTextFile file;
  const std::int64_t fileSize = vecimpl::FileSizeOf(FName);
  if (fileSize < 0 || !file.OpenRead(FName)) {
    return kAscCannotOpen;
  }
  // Skip the header, counting at least one line end per line.
  std::int64_t headerBytes = 0;
  std::string line;
  for (int k = 0; k < 4; ++k) {
    if (!file.ReadLine(line)) {
      return kAscTruncatedHeader;
    }
    headerBytes += static_cast<std::int64_t>(line.size()) + 1;
  }
  if (nRows > fileSize - headerBytes) {
    return kVecAscTooManyRows;
  }
  Resize(nRows);  // a header of 0 rows leaves the size as it is
  if (colNames) {
    for (std::int32_t c = 0; c < std::max(nCols, 1); ++c) {
      if (!vecimpl::SkipQuotedName(file)) {
        break;
      }
    }
  }
  std::int32_t result = kVecAscOk;
  std::int32_t i = 1;
  std::string word;
  for (; i <= nRows; ++i) {
    if (rowAttrib) {
      double attrib = 0.0;
      if (!ReadNextWordInTextFile(file, word)) {
        result = kVecAscBadRowAttrib;
        break;
      }
      word = StripLTBlanks(word);
      if (word != "NAN" && word != "###" && !ParseRealWord(word, attrib, true)) {
        result = kVecAscBadRowAttrib;
        break;
      }
    }
    if (rowNames) {
      vecimpl::SkipQuotedName(file);
    }
    if (!ReadNextWordInTextFile(file, word)) {
      result = kVecAscBadValue;
      break;
    }
    word = StripLTBlanks(word);
    T value{};
    if (word != "NAN" && word != "###" && !vecimpl::WordToElement(word, value)) {
      result = kVecAscBadValue;
      break;
    }
    SetVal(i, value);
  }
  file.Close();
  if (i < nRows) {
    Resize(i);
  }
  return result;
}

template <class T, class D>
bool TVectorBase<T, D>::WritePlain(std::int32_t LoIx, std::int32_t HiIx, std::int32_t Decimals,
                                   const std::string& FName) const {
  if (HiIx < LoIx) {
    std::swap(LoIx, HiIx);
  }
  MakeValidElemRange(LoIx, HiIx);
  if (Decimals < -2) {
    Decimals = 2;
  } else if (Decimals > 20) {
    Decimals = 20;
  }
  TTextFile file;
  if (!file.OpenWrite(FName)) {
    return false;
  }
  file.WriteLn(std::to_string(LoIx) + " " + std::to_string(HiIx));
  for (std::int32_t i = LoIx; i <= HiIx; ++i) {
    file.WriteLn(vecimpl::PlainText(data_[static_cast<std::size_t>(i - 1)], Decimals));
  }
  file.Close();  // write errors after the file was created are not reported
  return true;
}

template <class T, class D>
bool TVectorBase<T, D>::LoadFromFile(const std::string& FName, bool AdjustSize) {
  TTextFile file;
  if (!file.OpenRead(FName)) {
    return false;
  }
  std::string line;
  if (!file.ReadLine(line)) {
    return false;
  }
  const TStrArray words = Tokenize(line, " \t\r\v\f");
  std::int32_t lo = 0;
  std::int32_t hi = 0;
  auto toIndex = [](const std::string& w, std::int32_t& out) {
    std::string_view s = w;
    if (s.size() > 1 && s[0] == '+' && s[1] >= '0' && s[1] <= '9') {
      s.remove_prefix(1);  // one '+' before the digits; "+-1" stays refused
    }
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out, 10);
    return ec == std::errc() && end == s.data() + s.size();
  };
  if (words.size() < 2 || !toIndex(words[0], lo) || !toIndex(words[1], hi)) {
    return false;
  }
  if (AdjustSize && hi > NrOfElem() && hi > vecimpl::FileSizeOf(FName)) {
    return false;  // more elements than the file has bytes: a malformed header
  }
  if (AdjustSize) {
    Resize(hi);
  }
  const bool result = hi <= NrOfElem();
  if (result) {
    std::string word;
    T value{};
    for (std::int64_t i = lo; i <= hi; ++i) {
      if (!file.ReadWord(word) || !vecimpl::WordToElement(word, value)) {
        break;
      }
      SetVal(static_cast<std::int32_t>(i), value);
    }
  }
  file.Close();
  Changed();
  return result;
}

template <class T, class D>
void TVectorBase<T, D>::SaveTo(TStream* Stream, std::int32_t LoIx, std::int32_t HiIx) const {
  MakeValidElemRange(LoIx, HiIx);
  auto put = [Stream](T v) {
    bool ok = false;
    if constexpr (std::is_integral_v<T>) {
      ok = WriteLongintToStream(Stream, v);
    } else {
      ok = WriteExtendedToStream(Stream, static_cast<Extended>(v));
    }
    if (!ok) {
      throw EInOutError("Stream write error");
    }
  };
  put(static_cast<T>(LoIx));
  put(static_cast<T>(HiIx));
  for (std::int32_t i = LoIx; i <= HiIx; ++i) {
    put(data_[static_cast<std::size_t>(i - 1)]);
  }
}

template <class T, class D>
void TVectorBase<T, D>::SaveToStream(TMemoryStream*& Stream, std::int32_t LoIx, std::int32_t HiIx) const {
  if (Stream == nullptr) {
    Stream = new TMemoryStream();  // owned by the caller from here on
  }
  SaveTo(Stream, LoIx, HiIx);
}

template <class T, class D>
void TVectorBase<T, D>::SaveToStream(TFileStream* Stream, std::int32_t LoIx, std::int32_t HiIx) const {
  if (Stream != nullptr) {
    SaveTo(Stream, LoIx, HiIx);
  }
}

template <class T, class D>
bool TVectorBase<T, D>::LoadFrom(TStream* Stream, bool AdjustSize) {
  if (Stream == nullptr) {
    return false;
  }
  constexpr std::int64_t kBytes = std::is_integral_v<T> ? 4 : 10;
  auto get = [Stream](T& v) {
    if constexpr (std::is_integral_v<T>) {
      return ReadLongintFromStream(Stream, v);
    } else {
      Extended x = 0.0L;
      const bool ok = ReadExtendedFromStream(Stream, x);
      v = static_cast<double>(x);
      return ok;
    }
  };
  std::int32_t lo = 0;
  std::int32_t hi = 0;
  if constexpr (std::is_integral_v<T>) {
    if (!get(lo) || !get(hi)) {
      return false;
    }
  } else {
    Extended a = 0.0L;
    Extended b = 0.0L;
    if (!ReadExtendedFromStream(Stream, a) || !ReadExtendedFromStream(Stream, b) || !RoundToInt32(a, lo) ||
        !RoundToInt32(b, hi)) {
      return false;
    }
  }
  std::int64_t remaining = Stream->Size() - Stream->Position();
  if (AdjustSize && hi > NrOfElem() && static_cast<std::int64_t>(hi) * kBytes > remaining) {
    return false;  // the stream cannot hold what the vector would be grown for
  }
  if (AdjustSize) {
    Resize(hi);
  }
  bool result = hi <= NrOfElem();
  if (result) {
    T v{};
    for (std::int64_t i = lo; i <= hi; ++i) {
      if (remaining < kBytes) {
        result = false;  // truncated: every further read would fail
        break;
      }
      remaining -= kBytes;
      if (get(v)) {
        SetVal(static_cast<std::int32_t>(i), v);
      } else {
        result = false;
      }
    }
  }
  Changed();
  return result;
}

template <class T, class D>
bool TVectorBase<T, D>::LoadFromStream(TMemoryStream* Stream, bool AdjustSize) {
  return LoadFrom(Stream, AdjustSize);
}

template <class T, class D>
bool TVectorBase<T, D>::LoadFromStream(TFileStream* Stream, bool AdjustSize) {
  return LoadFrom(Stream, AdjustSize);
}

}  // namespace qmx::detail
