#include "qmx/sline/sline.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace qmx {

namespace {

/// The divisor used instead of a zero coefficient when infinities are substituted.
constexpr double kSubstituteDivisor = 1e-100;

[[noreturn]] void RaiseSLine(const char* msg) { throw EQMXSLineError(msg); }

bool Finite(double a, double b, double c) { return std::isfinite(a) && std::isfinite(b) && std::isfinite(c); }

/// True when the double product u·v is exact to rounding: zero, or inside the
/// range of normal doubles (a product that underflows into the subnormals loses
/// its relative precision, one that overflows is lost).
bool ProductInRange(double u, double v) {
  const Extended p = std::fabs(static_cast<Extended>(u) * v);
  return p == 0.0L || (p >= static_cast<Extended>(std::numeric_limits<double>::min()) &&
                       p <= static_cast<Extended>(std::numeric_limits<double>::max()));
}

/// Rounds coefficients computed in 80 bits to doubles, all three scaled by one
/// power of two (which leaves the line as it is): the larger of |a| and |b| is
/// brought into [1, 2), or lower where C would overflow.
void StoreScaled(Extended a, Extended b, Extended c, double& A, double& B, double& C) {
  constexpr int kTopExponent = std::numeric_limits<double>::max_exponent - 4;
  const Extended ab = std::max(std::fabs(a), std::fabs(b));
  int shift = ab != 0.0L ? std::ilogb(ab) : 0;
  if (c != 0.0L) shift = std::max(shift, std::ilogb(c) - kTopExponent);
  A = static_cast<double>(std::scalbn(a, -shift));
  B = static_cast<double>(std::scalbn(b, -shift));
  C = static_cast<double>(std::scalbn(c, -shift));
}

/// The coefficients of the line with normal (a, b) through (x, y): C = −a·x − b·y.
/// Where a product under- or overflows although everything is finite, C is formed
/// in 80 bits and the coefficients are scaled (the line keeps its place).
void Through(double a, double b, double x, double y, double& A, double& B, double& C) {
  const double c = -a * x - b * y;
  if (!(std::isfinite(c) && ProductInRange(a, x) && ProductInRange(b, y)) && Finite(a, b, x) && std::isfinite(y)) {
    StoreScaled(a, b, -static_cast<Extended>(a) * x - static_cast<Extended>(b) * y, A, B, C);
    return;
  }
  A = a;
  B = b;
  C = c;
}

}  // namespace

TSLine::TSLine(TComponent* AOwner) : TComponent(AOwner) {}

std::string_view TSLine::ClassName() const { return "TSLine"; }

void TSLine::SetParA(double Value) {
  if (parB_ == 0.0 && Value == 0.0) RaiseSLine("parameter A and B must not both be zero");
  parA_ = Value;
}

void TSLine::SetParB(double Value) {
  if (parA_ == 0.0 && Value == 0.0) RaiseSLine("parameter A and B must not both be zero");
  parB_ = Value;
}

void TSLine::SetParC(double Value) { parC_ = Value; }

bool TSLine::LineFrom2Points(double x1, double y1, double x2, double y2) {
  if (!(Finite(x1, y1, x2) && std::isfinite(y2))) return false;
  if (x1 == x2 && y1 == y2) return false;
  const double a = y1 - y2;
  const double b = x2 - x1;
  const double c = x1 * y2 - y1 * x2;
  if (Finite(a, b, c) && ProductInRange(x1, y2) && ProductInRange(y1, x2)) {
    parA_ = a;
    parB_ = b;
    parC_ = c;
  } else {
    // Far-out or tiny points: the same formula in 80 bits, scaled.
    StoreScaled(static_cast<Extended>(y1) - y2, static_cast<Extended>(x2) - x1,
                static_cast<Extended>(x1) * y2 - static_cast<Extended>(y1) * x2, parA_, parB_, parC_);
  }
  return true;
}

void TSLine::LineThroughPoint(double x, double y, double Angle) {
  Through(-std::sin(Angle), std::cos(Angle), x, y, parA_, parB_, parC_);
}

void TSLine::LineFromSlopeIcpt(double Slope, double Icpt) {
  parA_ = Slope;
  parB_ = -1.0;
  parC_ = Icpt;
}

void TSLine::NormalLine(double x, double y, const TSLine* Line) {
  if (Line == nullptr) return;
  Through(-Line->parB_, Line->parA_, x, y, parA_, parB_, parC_);
}

void TSLine::ParallelLine(double x, double y, const TSLine* Line) {
  if (Line == nullptr) return;
  Through(Line->parA_, Line->parB_, x, y, parA_, parB_, parC_);
}

void TSLine::CalcKDForm(double& K, double& D) const {
  if (parB_ == 0.0) RaiseSLine("cannot convert to k-d-form if ParB is zero");
  K = -parA_ / parB_;
  D = -parC_ / parB_;
}

// The numerators are formed in 80 bits, so that −y·B − C does not overflow
// where the result lies inside the double range.
double TSLine::SolveX(double y, bool substitute) const {
  const Extended num = -static_cast<Extended>(y) * parB_ - parC_;
  if (parA_ != 0.0) return static_cast<double>(num / parA_);
  if (substitute) return static_cast<double>(num / kSubstituteDivisor);
  RaiseSLine("cannot calculate x");
}

double TSLine::SolveY(double x, bool substitute) const {
  const Extended num = -static_cast<Extended>(x) * parA_ - parC_;
  if (parB_ != 0.0) return static_cast<double>(num / parB_);
  if (substitute) return static_cast<double>(num / kSubstituteDivisor);
  RaiseSLine("cannot calculate y");
}

double TSLine::CalcX(double y) const { return SolveX(y, substituteInf_); }

double TSLine::CalcY(double x) const { return SolveY(x, substituteInf_); }

double TSLine::GetSlope() const {
  if (parB_ == 0.0) RaiseSLine("slope is infinite");
  return -parA_ / parB_;
}

double TSLine::GetIntercept() const {
  if (parB_ == 0.0) RaiseSLine("cannot calculate intercept (line is parallel to y axis)");
  return -parC_ / parB_;
}

double TSLine::GetDirect() const {
  constexpr double pi = std::numbers::pi;
  double phi;
  if (parB_ != 0.0) {
    phi = std::atan(-parA_ / parB_);
  } else {
    phi = parA_ > 0.0 ? pi / 2 : -pi / 2;
  }
  if (parB_ <= 0.0) {
    phi += pi;
  } else if (parA_ > 0.0) {
    phi += 2 * pi;
  }
  // A direction a hair below the x axis rounds up to 2π; the range is [0, 2π).
  if (phi >= 2 * pi) phi = 0.0;
  return phi + 0.0;  // turns −0 into +0
}

// Distance, intersection and angle work in 80 bits: products of two doubles
// neither overflow nor underflow there, so finite lines give finite answers
// wherever the answer itself lies inside the double range.
double TSLine::Distance(double x, double y) const {
  const Extended a = parA_, b = parB_;
  const Extended num = a * x + b * y + parC_;
  return static_cast<double>(num / std::sqrt(a * a + b * b));
}

bool TSLine::InterSection(const TSLine* Line, double& X, double& Y) const {
  if (Line == nullptr) return false;
  const Extended a1 = parA_, b1 = parB_, c1 = parC_;
  const Extended a2 = Line->parA_, b2 = Line->parB_, c2 = Line->parC_;
  const Extended det = a1 * b2 - a2 * b1;
  if (det == 0.0L || std::isnan(det)) return false;
  const Extended x = (b1 * c2 - b2 * c1) / det;
  const Extended y = (a2 * c1 - a1 * c2) / det;
  constexpr Extended kMax = std::numeric_limits<double>::max();
  if (!(std::fabs(x) <= kMax && std::fabs(y) <= kMax)) return false;  // beyond the double range, or NaN
  X = static_cast<double>(x);
  Y = static_cast<double>(y);
  return true;
}

double TSLine::AngleBetweenLines(const TSLine* Line) const {
  if (Line == nullptr) return 0.0;
  const Extended a1 = parA_, b1 = parB_, a2 = Line->parA_, b2 = Line->parB_;
  const Extended d = a1 * a2 + b1 * b2;
  if (d == 0.0L) return std::numbers::pi / 2;
  return static_cast<double>(std::fabs(std::atan((a1 * b2 - b1 * a2) / d)));
}

bool TSLine::ClipBox(double XLow, double YLow, double XHigh, double YHigh, double& X1, double& Y1, double& X2,
                     double& Y2) const {
  // An empty box (a limit above its partner, or NaN) is missed by every line.
  if (!(XLow <= XHigh && YLow <= YHigh)) return false;
  // Candidates on the four closed edges, in the order x = XLow, x = XHigh,
  // y = YLow, y = YHigh.  The edges parallel to the line (B = 0: the vertical
  // ones, A = 0: the horizontal ones) are skipped: they hold no single crossing,
  // and a line along one of them has its ends on the other two.
  struct Pt {
    double x, y;
  };
  Pt found[4];
  int count = 0;
  const auto onVerticalEdge = [&](double x) {
    const double y = SolveY(x, false);
    if (YLow <= y && y <= YHigh) found[count++] = {x, y};
  };
  const auto onHorizontalEdge = [&](double y) {
    const double x = SolveX(y, false);
    if (XLow <= x && x <= XHigh) found[count++] = {x, y};
  };
  if (parB_ != 0.0) {
    onVerticalEdge(XLow);
    onVerticalEdge(XHigh);
  }
  if (parA_ != 0.0) {
    onHorizontalEdge(YLow);
    onHorizontalEdge(YHigh);
  }
  if (count == 0) return false;
  // The second point is the first one that differs from the first: a line through
  // a corner finds that corner on two edges, which must not hide the point where
  // it leaves the box.  A line that only touches a corner reports it twice.
  Pt second = found[0];
  for (int i = 1; i < count; ++i) {
    if (found[i].x != found[0].x || found[i].y != found[0].y) {
      second = found[i];
      break;
    }
  }
  X1 = found[0].x;
  Y1 = found[0].y;
  X2 = second.x;
  Y2 = second.y;
  return true;
}

}  // namespace qmx
