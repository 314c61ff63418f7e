#include "qmx/sline/sline.hpp"

#include <cmath>
#include <numbers>

namespace qmx {

namespace {

/// The divisor used instead of a zero coefficient when infinities are substituted.
constexpr double kSubstituteDivisor = 1e-100;

[[noreturn]] void RaiseSLine(const char* msg) { throw EQMXSLineError(msg); }

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
  if (x1 == x2 && y1 == y2) return false;
  parA_ = y1 - y2;
  parB_ = x2 - x1;
  parC_ = x1 * y2 - y1 * x2;
  return true;
}

void TSLine::LineThroughPoint(double x, double y, double Angle) {
  parA_ = -std::sin(Angle);
  parB_ = std::cos(Angle);
  parC_ = -parA_ * x - parB_ * y;
}

void TSLine::LineFromSlopeIcpt(double Slope, double Icpt) {
  parA_ = Slope;
  parB_ = -1.0;
  parC_ = Icpt;
}

void TSLine::NormalLine(double x, double y, const TSLine* Line) {
  if (Line == nullptr) return;
  const double a = -Line->parB_;
  const double b = Line->parA_;
  parA_ = a;
  parB_ = b;
  parC_ = -a * x - b * y;
}

void TSLine::ParallelLine(double x, double y, const TSLine* Line) {
  if (Line == nullptr) return;
  const double a = Line->parA_;
  const double b = Line->parB_;
  parA_ = a;
  parB_ = b;
  parC_ = -a * x - b * y;
}

void TSLine::CalcKDForm(double& K, double& D) const {
  if (parB_ == 0.0) RaiseSLine("cannot convert to k-d-form if ParB is zero");
  K = -parA_ / parB_;
  D = -parC_ / parB_;
}

double TSLine::SolveX(double y, bool substitute) const {
  if (parA_ != 0.0) return (-y * parB_ - parC_) / parA_;
  if (substitute) return (-y * parB_ - parC_) / kSubstituteDivisor;
  RaiseSLine("cannot calculate x");
}

double TSLine::SolveY(double x, bool substitute) const {
  if (parB_ != 0.0) return (-x * parA_ - parC_) / parB_;
  if (substitute) return (-x * parA_ - parC_) / kSubstituteDivisor;
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

double TSLine::Distance(double x, double y) const {
  return (parA_ * x + parB_ * y + parC_) / std::hypot(parA_, parB_);
}

bool TSLine::InterSection(const TSLine* Line, double& X, double& Y) const {
  if (Line == nullptr) return false;
  const double det = parA_ * Line->parB_ - Line->parA_ * parB_;
  if (det == 0.0) return false;
  X = (parB_ * Line->parC_ - Line->parB_ * parC_) / det;
  Y = (Line->parA_ * parC_ - parA_ * Line->parC_) / det;
  return true;
}

double TSLine::AngleBetweenLines(const TSLine* Line) const {
  if (Line == nullptr) return 0.0;
  const double d = parA_ * Line->parA_ + parB_ * Line->parB_;
  if (d == 0.0) return std::numbers::pi / 2;
  return std::fabs(std::atan((parA_ * Line->parB_ - parB_ * Line->parA_) / d));
}

bool TSLine::ClipBox(double XLow, double YLow, double XHigh, double YHigh, double& X1, double& Y1, double& X2,
                     double& Y2) const {
  // Candidates on the four closed edges, in the order x = XLow, x = XHigh,
  // y = YLow, y = YHigh.  Zero coefficients are replaced by a tiny divisor so a
  // line parallel to an edge gives a huge coordinate outside the box.
  struct Pt {
    double x, y;
  };
  Pt found[4];
  int count = 0;
  const auto onVerticalEdge = [&](double x) {
    const double y = SolveY(x, true);
    if (YLow <= y && y <= YHigh) found[count++] = {x, y};
  };
  const auto onHorizontalEdge = [&](double y) {
    const double x = SolveX(y, true);
    if (XLow <= x && x <= XHigh) found[count++] = {x, y};
  };
  onVerticalEdge(XLow);
  onVerticalEdge(XHigh);
  onHorizontalEdge(YLow);
  onHorizontalEdge(YHigh);
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
