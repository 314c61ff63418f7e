// Date and time texts.

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "qmx/foundation/math1_format.hpp"
#include "qmx/foundation/math1_format_detail.hpp"

namespace qmx {

namespace {

using detail::IsBlankChar;
using detail::IsDigitChar;

struct TMonthName {
  std::string_view name;  // lower case, UTF-8
  int month;
};

constexpr std::array<TMonthName, 24> kEnglishMonths{{
    {"january", 1}, {"february", 2}, {"march", 3},     {"april", 4},    {"may", 5},      {"june", 6},
    {"july", 7},    {"august", 8},   {"september", 9}, {"october", 10}, {"november", 11}, {"december", 12},
    {"jan", 1},     {"feb", 2},      {"mar", 3},       {"apr", 4},      {"jun", 6},      {"jul", 7},
    {"aug", 8},     {"sep", 9},      {"oct", 10},      {"nov", 11},     {"dec", 12},     {"sept", 9},
}};

constexpr std::array<TMonthName, 25> kGermanMonths{{
    {"januar", 1},      {"februar", 2}, {"m\xC3\xA4rz", 3}, {"april", 4},    {"mai", 5},       {"juni", 6},
    {"juli", 7},        {"august", 8},  {"september", 9},   {"oktober", 10}, {"november", 11}, {"dezember", 12},
    {"jan", 1},         {"feb", 2},     {"m\xC3\xA4r", 3},  {"apr", 4},      {"jun", 6},       {"jul", 7},
    {"aug", 8},         {"sep", 9},     {"okt", 10},        {"nov", 11},     {"dez", 12},      {"mrz", 3},
    {"maerz", 3},
}};

// Reads between minDigits and maxDigits decimal digits at pos (no more may follow).
bool ReadNumber(std::string_view s, std::size_t& pos, int minDigits, int maxDigits, int& value) {
  std::size_t i = pos;
  int v = 0;
  while (i < s.size() && IsDigitChar(s[i]) && static_cast<int>(i - pos) < maxDigits) {
    v = v * 10 + (s[i] - '0');
    ++i;
  }
  const int count = static_cast<int>(i - pos);
  if (count < minDigits || (i < s.size() && IsDigitChar(s[i]))) {
    return false;
  }
  value = v;
  pos = i;
  return true;
}

bool Expect(std::string_view s, std::size_t& pos, char c) {
  if (pos < s.size() && s[pos] == c) {
    ++pos;
    return true;
  }
  return false;
}

// Reads a month name (a run of letters, UTF-8 letters included) of the language.
bool ReadMonthName(std::string_view s, std::size_t& pos, TLanguage language, int& month) {
  std::string word;
  std::size_t i = pos;
  while (i < s.size() && word.size() < 16) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 'A' && c <= 'Z') {
      word.push_back(static_cast<char>(c - 'A' + 'a'));
    } else if ((c >= 'a' && c <= 'z') || c >= 0x80) {
      word.push_back(static_cast<char>(c));
    } else {
      break;
    }
    ++i;
  }
  // Upper-case umlaut A (C3 84) as lower case (C3 A4).
  for (std::size_t k = 0; k + 1 < word.size(); ++k) {
    if (word[k] == '\xC3' && word[k + 1] == '\x84') {
      word[k + 1] = '\xA4';
    }
  }
  auto search = [&](const auto& table) {
    for (const TMonthName& m : table) {
      if (m.name == word) {
        month = m.month;
        pos = i;
        return true;
      }
    }
    return false;
  };
  return language == TLanguage::lgGerman ? search(kGermanMonths) : search(kEnglishMonths);
}

void SkipSeparators(std::string_view s, std::size_t& pos) {
  while (pos < s.size() && (IsBlankChar(s[pos]) || s[pos] == '-')) {
    ++pos;
  }
}

void SkipBlanksAt(std::string_view s, std::size_t& pos) { pos = detail::SkipBlanks(s, pos); }

struct TDate {
  int year = 0;
  int month = 0;
  int day = 0;
};

// Reads one of the date forms at pos.
bool ReadDate(std::string_view s, std::size_t& pos, TLanguage language, TDate& date) {
  std::size_t i = pos;
  if (i < s.size() && IsDigitChar(s[i])) {
    // ISO year-month-day
    std::size_t j = i;
    if (ReadNumber(s, j, 4, 4, date.year) && Expect(s, j, '-') && ReadNumber(s, j, 1, 2, date.month) &&
        Expect(s, j, '-') && ReadNumber(s, j, 1, 2, date.day)) {
      pos = j;
      return true;
    }
    int first = 0;
    if (!ReadNumber(s, i, 1, 2, first)) {
      return false;
    }
    // Day.Month.Year
    std::size_t j2 = i;
    if (Expect(s, j2, '.') && j2 < s.size() && IsDigitChar(s[j2])) {
      if (ReadNumber(s, j2, 1, 2, date.month) && Expect(s, j2, '.') && ReadNumber(s, j2, 4, 4, date.year)) {
        date.day = first;
        pos = j2;
        return true;
      }
      return false;
    }
    // Month/Day/Year (English)
    j2 = i;
    if (language == TLanguage::lgEnglish && Expect(s, j2, '/')) {
      if (ReadNumber(s, j2, 1, 2, date.day) && Expect(s, j2, '/') && ReadNumber(s, j2, 4, 4, date.year)) {
        date.month = first;
        pos = j2;
        return true;
      }
      return false;
    }
    // Day [.] Month [.] Year
    date.day = first;
    Expect(s, i, '.');
    SkipSeparators(s, i);
    if (!ReadMonthName(s, i, language, date.month)) {
      return false;
    }
    Expect(s, i, '.');
    SkipSeparators(s, i);
    if (!ReadNumber(s, i, 4, 4, date.year)) {
      return false;
    }
    pos = i;
    return true;
  }
  // Month [.] Day [,] Year
  if (!ReadMonthName(s, i, language, date.month)) {
    return false;
  }
  Expect(s, i, '.');
  SkipBlanksAt(s, i);
  if (!ReadNumber(s, i, 1, 2, date.day)) {
    return false;
  }
  Expect(s, i, ',');
  SkipBlanksAt(s, i);
  if (!ReadNumber(s, i, 4, 4, date.year)) {
    return false;
  }
  pos = i;
  return true;
}

// Reads "h:mm[:ss[.fff]]" at pos; returns the seconds of the day or -1 if
// no time is there, -2 if a time is there but out of range.
double ReadTime(std::string_view s, std::size_t& pos) {
  std::size_t i = pos;
  int h = 0;
  int m = 0;
  int sec = 0;
  if (!ReadNumber(s, i, 1, 2, h) || !Expect(s, i, ':') || !ReadNumber(s, i, 2, 2, m)) {
    return -1.0;
  }
  double fraction = 0.0;
  std::size_t j = i;
  if (Expect(s, j, ':') && ReadNumber(s, j, 2, 2, sec)) {
    i = j;
    std::size_t k = i;
    if (Expect(s, k, '.') && k < s.size() && IsDigitChar(s[k])) {
      double scale = 0.1;
      for (; k < s.size() && IsDigitChar(s[k]); ++k) {
        fraction += (s[k] - '0') * scale;
        scale *= 0.1;
      }
      i = k;
    }
  } else {
    sec = 0;
  }
  if (h > 23 || m > 59 || sec > 59) {
    return -2.0;
  }
  pos = i;
  return h * 3600.0 + m * 60.0 + sec + fraction;
}

}  // namespace

double ScanDateTime(std::string_view Instring, TLanguage Language, std::size_t& CurPos) {
  std::size_t pos = detail::SkipBlanks(Instring, CurPos);
  TDate date;
  if (!ReadDate(Instring, pos, Language, date)) {
    return 0.0;
  }
  const std::chrono::year_month_day ymd{std::chrono::year{date.year},
                                        std::chrono::month{static_cast<unsigned>(date.month)},
                                        std::chrono::day{static_cast<unsigned>(date.day)}};
  if (date.year < 1 || !ymd.ok()) {
    return 0.0;
  }
  constexpr std::chrono::year_month_day kEpoch{std::chrono::year{1899}, std::chrono::month{12}, std::chrono::day{30}};
  const auto days = (std::chrono::sys_days{ymd} - std::chrono::sys_days{kEpoch}).count();
  double seconds = 0.0;
  std::size_t t = pos;
  if (t < Instring.size() && Instring[t] == 'T') {
    ++t;
  } else {
    t = detail::SkipBlanks(Instring, t);
  }
  if (t > pos && t < Instring.size() && IsDigitChar(Instring[t])) {
    const double read = ReadTime(Instring, t);
    if (read == -2.0) {
      return 0.0;
    }
    if (read >= 0.0) {
      seconds = read;
      pos = t;
    }
  }
  CurPos = pos;
  return static_cast<double>(days) + seconds / 86400.0;
}

}  // namespace qmx
