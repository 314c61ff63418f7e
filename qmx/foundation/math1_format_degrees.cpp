// Angle texts: degrees, minutes and seconds.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "qmx/foundation/math1_format.hpp"
#include "qmx/foundation/math1_format_detail.hpp"

namespace qmx {

namespace {

constexpr std::string_view kDegreeSign = "\xC2\xB0";  // U+00B0 in UTF-8

// Whole units and remainder of a count of last-digit steps, written as
// "<int>.<frac>" with `decimals` digits (no point for 0 decimals), right-aligned
// in `width` characters.  Count and unit are exact integers below 2^63.
std::string StepsText(std::uint64_t steps, std::uint64_t pow10, int decimals, int width) {
  std::string s = std::to_string(steps / pow10);
  if (decimals > 0) {
    std::string frac = std::to_string(steps % pow10);
    s.push_back('.');
    s.append(static_cast<std::size_t>(decimals) - frac.size(), '0');
    s += frac;
  }
  return detail::PadLeft(std::move(s), width);
}

}  // namespace

std::string DegreeToStr(double angle, TDegreeFormat format, std::int32_t decimals) {
  const int d = std::clamp(decimals, 0, 8);
  if (format == TDegreeFormat::dfDecimal) {
    return detail::FixedStr(angle, 0, d);
  }
  if (format == TDegreeFormat::dfDegDec) {
    return detail::FixedStr(angle, 0, d) + std::string(kDegreeSign);
  }
  if (!std::isfinite(angle)) {
    return detail::SpecialText(angle) + std::string(kDegreeSign);
  }
  // The angle is rounded to d decimals of its smallest unit.  Whole degrees
  // and the fraction of a degree are separated first (exact in Extended), and
  // the fraction is counted in steps of the last digit shown, so minutes and
  // seconds come out exactly and can never read 60.
  std::uint64_t pow10 = 1;
  for (int i = 0; i < d; ++i) {
    pow10 *= 10;
  }
  const std::uint64_t perMinute = pow10 * (format == TDegreeFormat::dfDegMinSec ? 60 : 1);
  const std::uint64_t perDegree = perMinute * 60;
  const Extended a = std::fabs(static_cast<Extended>(angle));
  Extended whole = std::trunc(a);
  std::uint64_t steps = static_cast<std::uint64_t>(std::round((a - whole) * static_cast<Extended>(perDegree)));
  if (steps >= perDegree) {
    steps -= perDegree;
    whole += 1.0L;
  }
  const bool negative = angle < 0.0 && (whole > 0.0L || steps > 0);
  std::string s = negative ? "-" : "";
  s += detail::FixedStr(whole, 0, 0);
  s += kDegreeSign;
  s.push_back(' ');
  if (format == TDegreeFormat::dfDegMinDec) {
    s += StepsText(steps, pow10, d, d + 3);
    s.push_back('\'');
  } else {
    s += detail::PadLeft(std::to_string(steps / perMinute), 2);
    s += "' ";
    s += StepsText(steps % perMinute, pow10, d, d + 3);
    s.push_back('"');
  }
  return s;
}

double ConvertDegrees(double& deg, double& min, double& sec, TDegreeFormat fromFormat, TDegreeFormat toFormat) {
  const bool useMin = fromFormat == TDegreeFormat::dfDegMinDec || fromFormat == TDegreeFormat::dfDegMinSec;
  const bool useSec = fromFormat == TDegreeFormat::dfDegMinSec;
  if (useMin && !(min >= 0.0 && min < 60.0)) {
    throw EQMXMath1Error("ConvertDegrees: invalid range of minutes");
  }
  if (useSec && !(sec >= 0.0 && sec < 60.0)) {
    throw EQMXMath1Error("ConvertDegrees: invalid range of seconds");
  }
  // The sign of the angle is the sign of deg (a negative zero included).
  const bool negative = std::signbit(deg);
  Extended a = std::fabs(static_cast<Extended>(deg));
  if (useMin) {
    a += static_cast<Extended>(min) / 60.0L;
  }
  if (useSec) {
    a += static_cast<Extended>(sec) / 3600.0L;
  }
  const double angle = static_cast<double>(negative ? -a : a);

  const bool split = toFormat == TDegreeFormat::dfDegMinDec || toFormat == TDegreeFormat::dfDegMinSec;
  if (split && std::isfinite(angle)) {
    const Extended ad = std::fabs(static_cast<Extended>(angle));
    Extended whole = std::trunc(ad);
    Extended m = (ad - whole) * 60.0L;
    Extended s = 0.0L;
    if (toFormat == TDegreeFormat::dfDegMinSec) {
      // Minutes within 3e-12 of a whole number are taken as that number.
      const Extended mr = std::round(m);
      if (std::fabs(m - mr) < 3e-12L) {
        m = mr;
      }
      const Extended mw = std::trunc(m);
      s = (m - mw) * 60.0L;
      m = mw;
    }
    if (m >= 60.0L) {
      m -= 60.0L;
      whole += 1.0L;
    }
    deg = static_cast<double>(whole);
    if (negative) {
      deg = -deg;  // -0.0 for angles between -1 and 0
    }
    min = static_cast<double>(m);
    sec = std::min(static_cast<double>(s), std::nextafter(60.0, 0.0));
  } else {
    deg = angle;
    min = 0.0;
    sec = 0.0;
  }
  return angle;
}

double ScanDegrees(std::string_view Instring, std::size_t& CurPos) {
  using detail::ReadFPNumber;
  using detail::SkipBlanks;
  detail::TFPSyntax fixedOnly;
  fixedOnly.allowExp = false;
  detail::TFPSyntax unsignedPart = fixedOnly;
  unsignedPart.allowSpecial = false;

  const detail::TFPRead degPart = ReadFPNumber(Instring, SkipBlanks(Instring, CurPos), fixedOnly);
  if (!degPart.ok) {
    return 0.0;
  }
  std::size_t pos = degPart.end;
  if (Instring.substr(pos, kDegreeSign.size()) != kDegreeSign) {
    CurPos = pos;  // a plain decimal number
    return degPart.value;
  }
  pos += kDegreeSign.size();
  if (degPart.special || degPart.hasFraction) {
    CurPos = pos;  // decimal degrees
    return degPart.value;
  }
  // Minutes, if a number with a minute sign follows.
  std::size_t p = SkipBlanks(Instring, pos);
  detail::TFPRead minPart;
  if (p < Instring.size() && detail::IsDigitChar(Instring[p])) {
    minPart = ReadFPNumber(Instring, p, unsignedPart);
  }
  if (!minPart.ok || minPart.end >= Instring.size() || Instring[minPart.end] != '\'') {
    CurPos = pos;  // whole degrees only
    return degPart.value;
  }
  if (!(minPart.value < 60.0)) {
    return 0.0;
  }
  Extended magnitude = std::fabs(static_cast<Extended>(degPart.value)) + static_cast<Extended>(minPart.value) / 60.0L;
  pos = minPart.end + 1;
  // Seconds, if the minutes are whole and a number with a second sign follows.
  if (!minPart.hasFraction) {
    p = SkipBlanks(Instring, pos);
    detail::TFPRead secPart;
    if (p < Instring.size() && detail::IsDigitChar(Instring[p])) {
      secPart = ReadFPNumber(Instring, p, unsignedPart);
    }
    if (secPart.ok && secPart.end < Instring.size() && Instring[secPart.end] == '"') {
      if (!(secPart.value < 60.0)) {
        return 0.0;
      }
      magnitude += static_cast<Extended>(secPart.value) / 3600.0L;
      pos = secPart.end + 1;
    }
  }
  CurPos = pos;
  return static_cast<double>(degPart.negative ? -magnitude : magnitude);
}

}  // namespace qmx
