// Readers of XML-like tags on text files and strings, and small XML text helpers.
//
// Both readers run the same scanner over a character source; every loop ends
// at the end of the source, and a tag may not grow beyond kMaxTagLength.

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

#include "qmx/foundation/basepack.hpp"
#include "qmx/foundation/basepack_detail.hpp"

namespace qmx {

namespace {

// ---- character sources ----

class StringSource {
 public:
  StringSource(std::string_view text, std::size_t pos) : text_(text), pos_(pos) {}
  bool Get(char& c) {
    if (pos_ >= text_.size()) {
      return false;
    }
    c = text_[pos_++];
    return true;
  }
  bool Peek(char& c) const {
    if (pos_ >= text_.size()) {
      return false;
    }
    c = text_[pos_];
    return true;
  }
  std::size_t Pos() const { return pos_; }

 private:
  std::string_view text_;
  std::size_t pos_;
};

class FileSource {
 public:
  explicit FileSource(TTextFile& file) : file_(file) {}
  bool Get(char& c) { return file_.ReadChar(c); }
  bool Peek(char& c) { return file_.PeekChar(c); }

 private:
  TTextFile& file_;
};

// ---- helpers ----

using detail::EqualNoCase;
using detail::IsWhiteChar;

bool IsNameStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || u >= 0x80u;
}

void Append(std::string* out, char c) {
  if (out != nullptr) {
    out->push_back(c);
  }
}

/// Skips (and copies to raw) the rest of `<!...`: a comment `<!-- -->`, a
/// CDATA section (whose text also goes to cdata) or a declaration, whose
/// nested brackets and quoted strings are honoured.  "<!" has been read.
template <class Src>
std::int32_t ScanBang(Src& src, std::string* raw, std::string* cdata) {
  char c = 0;
  char n = 0;
  if (src.Peek(n) && n == '-') {
    src.Get(c);
    Append(raw, c);
    if (src.Peek(n) && n == '-') {
      src.Get(c);
      Append(raw, c);
      int dashes = 0;
      while (src.Get(c)) {
        Append(raw, c);
        if (c == '>' && dashes >= 2) {
          return 0;
        }
        dashes = (c == '-') ? dashes + 1 : 0;
      }
      return kTagMalformed;
    }
  } else if (src.Peek(n) && n == '[') {
    static constexpr std::string_view kCData = "[CDATA[";
    std::size_t matched = 0;
    while (matched < kCData.size() && src.Peek(n) && n == kCData[matched]) {
      src.Get(c);
      Append(raw, c);
      ++matched;
    }
    if (matched == kCData.size()) {
      int brackets = 0;
      std::string text;
      while (src.Get(c)) {
        Append(raw, c);
        if (c == '>' && brackets >= 2) {
          text.resize(text.size() - 2);  // the "]]" before ">"
          if (cdata != nullptr) {
            *cdata += text;
          }
          return 0;
        }
        brackets = (c == ']') ? brackets + 1 : 0;
        text.push_back(c);
      }
      return kTagMalformed;
    }
  }
  // A declaration such as <!DOCTYPE ...[ <!ELEMENT ...> ]>.
  int depth = 0;
  char quote = 0;
  while (src.Get(c)) {
    Append(raw, c);
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '<') {
      ++depth;
    } else if (c == '>') {
      if (depth == 0) {
        return 0;
      }
      --depth;
    }
  }
  return kTagMalformed;
}

/// Skips (and copies to raw) the rest of a processing instruction; "<?" has been read.
template <class Src>
std::int32_t ScanQuestion(Src& src, std::string* raw) {
  char c = 0;
  bool question = false;
  while (src.Get(c)) {
    Append(raw, c);
    if (c == '>' && question) {
      return 0;
    }
    question = (c == '?');
  }
  return kTagMalformed;
}

/// Reads the body of a tag up to its ">" (not included); "<" has been read.
template <class Src>
std::int32_t ScanTagBody(Src& src, std::string& body) {
  body.clear();
  char c = 0;
  char quote = 0;
  while (src.Get(c)) {
    if (quote != 0) {
      if (c == quote) {
        quote = 0;
      }
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      return 0;
    }
    if (body.size() >= kMaxTagLength) {
      return kTagMalformed;
    }
    body.push_back(c);
  }
  return kTagMalformed;
}

/// Splits a tag body into name, attributes and kind; false if it has no name.
bool ParseTagBody(std::string_view body, TTagInfo& info, std::string& attributes) {
  info = TTagInfo{};
  std::size_t i = 0;
  if (!body.empty() && body.front() == '/') {
    info.IsClosing = true;
    i = 1;
  }
  const std::size_t nameStart = i;
  while (i < body.size() && !IsWhiteChar(body[i]) && body[i] != '/') {
    ++i;
  }
  if (i == nameStart) {
    return false;
  }
  info.Name.assign(body.substr(0, i));  // includes the "/" of a closing tag
  std::string_view rest = body.substr(i);
  while (!rest.empty() && IsWhiteChar(rest.front())) {
    rest.remove_prefix(1);
  }
  while (!rest.empty() && IsWhiteChar(rest.back())) {
    rest.remove_suffix(1);
  }
  if (!info.IsClosing && !rest.empty() && rest.back() == '/') {
    info.IsEmptyElement = true;
    rest.remove_suffix(1);
    while (!rest.empty() && IsWhiteChar(rest.back())) {
      rest.remove_suffix(1);
    }
  }
  attributes.assign(rest);
  return true;
}

/// What follows a "<": the kinds the scanners tell apart.
enum class LtKind { Text, Bang, Question, Tag, End };

template <class Src>
LtKind ClassifyLt(Src& src) {
  char n = 0;
  if (!src.Peek(n)) {
    return LtKind::End;
  }
  if (n == '!' || n == '?') {
    src.Get(n);
    return n == '!' ? LtKind::Bang : LtKind::Question;
  }
  return (IsNameStart(n) || n == '/') ? LtKind::Tag : LtKind::Text;
}

template <class Src>
std::int32_t NextTag(Src& src, std::span<const std::string_view> tagList, std::string& textBefore,
                     std::string& attributes, TTagInfo* infoOut) {
  textBefore.clear();
  attributes.clear();
  TTagInfo info;
  if (infoOut != nullptr) {
    *infoOut = TTagInfo{};
  }
  char c = 0;
  std::string body;
  while (src.Get(c)) {
    if (c != '<') {
      textBefore.push_back(c);
      continue;
    }
    switch (ClassifyLt(src)) {
      case LtKind::End:
        return kTagMalformed;  // a "<" at the very end
      case LtKind::Text:
        textBefore.push_back(c);
        continue;
      case LtKind::Bang:
        if (ScanBang(src, nullptr, &textBefore) != 0) {
          return kTagMalformed;
        }
        continue;
      case LtKind::Question:
        if (ScanQuestion(src, nullptr) != 0) {
          return kTagMalformed;
        }
        continue;
      case LtKind::Tag:
        break;
    }
    if (ScanTagBody(src, body) != 0 || !ParseTagBody(body, info, attributes)) {
      attributes.clear();
      return kTagMalformed;
    }
    if (infoOut != nullptr) {
      *infoOut = info;
    }
    const std::int32_t ix = StringIx(info.Name, false, tagList);
    return ix >= 0 ? ix : kTagUnknown;
  }
  return kTagEndOfText;
}

template <class Src>
std::int32_t TagContent(Src& src, std::string_view tagName, std::string& content) {
  content.clear();
  std::int64_t depth = 0;
  char c = 0;
  std::string body;
  std::string attributes;
  TTagInfo info;
  while (src.Get(c)) {
    if (c != '<') {
      content.push_back(c);
      continue;
    }
    const LtKind kind = ClassifyLt(src);
    if (kind == LtKind::End) {
      content.push_back(c);
      return kTagMalformed;
    }
    if (kind == LtKind::Text) {
      content.push_back(c);
      continue;
    }
    if (kind == LtKind::Bang || kind == LtKind::Question) {
      content += (kind == LtKind::Bang) ? "<!" : "<?";
      const std::int32_t r = (kind == LtKind::Bang) ? ScanBang(src, &content, nullptr) : ScanQuestion(src, &content);
      if (r != 0) {
        return kTagMalformed;
      }
      continue;
    }
    if (ScanTagBody(src, body) != 0 || !ParseTagBody(body, info, attributes)) {
      content += '<';
      content += body;
      return kTagMalformed;
    }
    if (info.IsClosing && EqualNoCase(std::string_view(info.Name).substr(1), tagName)) {
      if (depth == 0) {
        return 0;
      }
      --depth;
    } else if (!info.IsClosing && !info.IsEmptyElement && EqualNoCase(info.Name, tagName)) {
      ++depth;
    }
    content += '<';
    content += body;
    content += '>';
  }
  return kTagMalformed;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80u) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800u) {
    out.push_back(static_cast<char>(0xC0u | (cp >> 6)));
    out.push_back(static_cast<char>(0x80u | (cp & 0x3Fu)));
  } else if (cp < 0x10000u) {
    out.push_back(static_cast<char>(0xE0u | (cp >> 12)));
    out.push_back(static_cast<char>(0x80u | ((cp >> 6) & 0x3Fu)));
    out.push_back(static_cast<char>(0x80u | (cp & 0x3Fu)));
  } else {
    out.push_back(static_cast<char>(0xF0u | (cp >> 18)));
    out.push_back(static_cast<char>(0x80u | ((cp >> 12) & 0x3Fu)));
    out.push_back(static_cast<char>(0x80u | ((cp >> 6) & 0x3Fu)));
    out.push_back(static_cast<char>(0x80u | (cp & 0x3Fu)));
  }
}

/// Decodes the entity that starts at text[0] == '&'; returns its length (0 if none).
std::size_t DecodeEntity(std::string_view text, std::string& out) {
  const std::size_t semi = text.find(';');
  if (semi == std::string_view::npos || semi > 12) {
    return 0;
  }
  const std::string_view name = text.substr(1, semi - 1);
  static constexpr std::array<std::pair<std::string_view, char>, 5> kNamed = {
      {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}}};
  for (const auto& [n, ch] : kNamed) {
    if (name == n) {
      out.push_back(ch);
      return semi + 1;
    }
  }
  if (name.size() < 2 || name.front() != '#') {
    return 0;
  }
  std::string_view digits = name.substr(1);
  int base = 10;
  if (digits.front() == 'x' || digits.front() == 'X') {
    base = 16;
    digits.remove_prefix(1);
  }
  std::uint32_t cp = 0;
  const auto res = std::from_chars(digits.data(), digits.data() + digits.size(), cp, base);
  if (digits.empty() || res.ec != std::errc() || res.ptr != digits.data() + digits.size() || cp == 0 ||
      cp > 0x10FFFFu || (cp >= 0xD800u && cp <= 0xDFFFu)) {
    return 0;
  }
  AppendUtf8(out, cp);
  return semi + 1;
}

}  // namespace

std::int32_t ReadNextTagInTextFile(TTextFile& TFile, std::span<const std::string_view> TagList,
                                   std::string& TextBefore, std::string& Attributes, TTagInfo* Info) {
  FileSource src(TFile);
  return NextTag(src, TagList, TextBefore, Attributes, Info);
}

std::int32_t ReadNextTagInString(std::string_view Text, std::size_t& Pos, std::span<const std::string_view> TagList,
                                 std::string& TextBefore, std::string& Attributes, TTagInfo* Info) {
  StringSource src(Text, Pos);
  const std::int32_t r = NextTag(src, TagList, TextBefore, Attributes, Info);
  Pos = std::max(Pos, src.Pos());
  return r;
}

std::int32_t ReadTagContentInTextFile(TTextFile& TFile, std::string_view TagName, std::string& Content) {
  FileSource src(TFile);
  return TagContent(src, TagName, Content);
}

std::int32_t ReadTagContentInString(std::string_view Text, std::size_t& Pos, std::string_view TagName,
                                    std::string& Content) {
  StringSource src(Text, Pos);
  const std::int32_t r = TagContent(src, TagName, Content);
  Pos = std::max(Pos, src.Pos());
  return r;
}

bool XmlAttributeValue(std::string_view Attributes, std::string_view Name, std::string& Value) {
  Value.clear();
  std::size_t i = 0;
  const std::size_t n = Attributes.size();
  while (i < n) {
    while (i < n && IsWhiteChar(Attributes[i])) {
      ++i;
    }
    const std::size_t nameStart = i;
    while (i < n && !IsWhiteChar(Attributes[i]) && Attributes[i] != '=') {
      ++i;
    }
    const std::string_view name = Attributes.substr(nameStart, i - nameStart);
    while (i < n && IsWhiteChar(Attributes[i])) {
      ++i;
    }
    if (i >= n || Attributes[i] != '=') {
      if (i == nameStart) {
        ++i;  // a stray character: step over it
      }
      continue;  // an attribute without value
    }
    ++i;
    while (i < n && IsWhiteChar(Attributes[i])) {
      ++i;
    }
    std::string_view value;
    if (i < n && (Attributes[i] == '"' || Attributes[i] == '\'')) {
      const char quote = Attributes[i++];
      const std::size_t end = std::min(Attributes.find(quote, i), n);
      value = Attributes.substr(i, end - i);
      i = end < n ? end + 1 : n;
    } else {
      const std::size_t start = i;
      while (i < n && !IsWhiteChar(Attributes[i])) {
        ++i;
      }
      value = Attributes.substr(start, i - start);
    }
    if (name == Name && !name.empty()) {
      Value.assign(value);
      return true;
    }
  }
  return false;
}

std::string XmlEscape(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (const char c : Text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out.push_back(c); break;
    }
  }
  return out;
}

std::string XmlUnescape(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size();) {
    if (Text[i] == '&') {
      const std::size_t used = DecodeEntity(Text.substr(i), out);
      if (used > 0) {
        i += used;
        continue;
      }
    }
    out.push_back(Text[i]);
    ++i;
  }
  return out;
}

}  // namespace qmx
