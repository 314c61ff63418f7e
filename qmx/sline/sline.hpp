#pragma once
/// \file
/// `TSLine`: a straight line in the plane in the general form A·x + B·y + C = 0,
/// with construction from points, angles, slope and intercept, evaluation,
/// intersection, angles, distances and clipping against an axis-parallel box.
/// Angles are in radians.  Errors raise `EQMXSLineError` with plain messages.

#include <string_view>

#include "qmx/foundation/frame.hpp"
#include "qmx/foundation/platform.hpp"

namespace qmx {

/// A straight line A·x + B·y + C = 0.  A new line is y = 0 (A = 0, B = 1, C = 0).
/// Coefficients may be any doubles.  The constructions from points compute
/// C = −A·x − B·y with plain doubles; where a product would under- or overflow they
/// form it in 80 bits and scale A, B and C by one power of two (so that the larger
/// of |A|, |B| lies in [1, 2) where C allows), which keeps the line exact and its
/// coefficients finite.  Non-finite arguments to
/// `LineThroughPoint`, `LineFromSlopeIcpt`, `NormalLine`, `ParallelLine` and the
/// setters give non-finite coefficients, whose results are NaN or infinite.
class TSLine : public TComponent {
 public:
  explicit TSLine(TComponent* AOwner = nullptr);
  std::string_view ClassName() const override;

  /// Coefficients of A·x + B·y + C = 0.
  double ParA() const { return parA_; }
  double ParB() const { return parB_; }
  double ParC() const { return parC_; }
  /// Sets A; raises "parameter A and B must not both be zero" when Value and B are 0.
  void SetParA(double Value);
  /// Sets B; raises "parameter A and B must not both be zero" when Value and A are 0.
  void SetParB(double Value);
  void SetParC(double Value);
  /// When true, `CalcX`/`CalcY` divide by 1e-100 instead of failing on a zero coefficient.
  bool SubstituteInf() const { return substituteInf_; }
  void SetSubstituteInf(bool Value) { substituteInf_ = Value; }

  /// The line through (x1, y1) and (x2, y2); false (line unchanged) if the points are identical
  /// or a coordinate is not finite.  A = y1 − y2, B = x2 − x1, C = x1·y2 − y1·x2 (scaled
  /// as described above where a product under- or overflows).
  bool LineFrom2Points(double x1, double y1, double x2, double y2);
  /// The line through (x, y) whose direction makes Angle (radians) with the x axis.
  void LineThroughPoint(double x, double y, double Angle);
  /// The line y = Slope·x + Icpt.
  void LineFromSlopeIcpt(double Slope, double Icpt);
  /// Makes this the line through (x, y) perpendicular to Line (a nil Line changes nothing).
  void NormalLine(double x, double y, const TSLine* Line);
  /// Makes this the line through (x, y) parallel to Line (a nil Line changes nothing).
  void ParallelLine(double x, double y, const TSLine* Line);

  /// Slope K and intercept D of y = K·x + D; raises "cannot convert to k-d-form if
  /// ParB is zero" (outputs unchanged) for a line parallel to the y axis.
  void CalcKDForm(double& K, double& D) const;
  /// x of the line at y, (−y·B − C)/A with the numerator formed in 80 bits; raises
  /// "cannot calculate x" when A = 0 (unless `SubstituteInf`).
  double CalcX(double y) const;
  /// y of the line at x, (−x·A − C)/B likewise; raises "cannot calculate y" when B = 0
  /// (unless `SubstituteInf`).
  double CalcY(double x) const;
  /// −A/B; raises "slope is infinite" when B = 0.
  double GetSlope() const;
  /// −C/B; raises "cannot calculate intercept (line is parallel to y axis)" when B = 0.
  double GetIntercept() const;
  /// Angle of the direction vector (B, −A) from the positive x axis, counter-clockwise,
  /// in [0, 2π) (NaN for a line with a NaN coefficient).
  double GetDirect() const;
  /// Signed distance of (x, y) from the line; positive on the side the normal (A, B) points to.
  /// Computed in 80 bits: ±inf only when the distance exceeds the double range.
  double Distance(double x, double y) const;
  /// The intersection point with Line in (X, Y); false (outputs unchanged) for
  /// parallel or identical lines, for a nil Line, and when the point is NaN or
  /// lies beyond the double range (nearly parallel lines).
  bool InterSection(const TSLine* Line, double& X, double& Y) const;
  /// The acute angle between this line and Line, in [0, π/2] (0 for a nil Line; NaN
  /// for lines with non-finite coefficients).
  double AngleBetweenLines(const TSLine* Line) const;
  /// Where the line crosses the border of the box XLow ≤ x ≤ XHigh, YLow ≤ y ≤ YHigh.
  /// The edges are tried in the order x = XLow, x = XHigh, y = YLow, y = YHigh; the
  /// first point found goes to (X1, Y1), the first point found that differs from it
  /// to (X2, Y2).  When the line only touches the box in one point (a corner), both
  /// outputs hold that point.  False (outputs unchanged) when the line misses the box,
  /// and for an empty box (XLow > XHigh, YLow > YHigh or a NaN limit).  The edges
  /// parallel to the line (A or B exactly 0) hold no crossing and are skipped, so a
  /// line along an edge reports that edge's two ends.  Both points lie in the box.
  bool ClipBox(double XLow, double YLow, double XHigh, double YHigh, double& X1, double& Y1, double& X2,
               double& Y2) const;

 private:
  double SolveX(double y, bool substitute) const;
  double SolveY(double x, bool substitute) const;

  double parA_ = 0.0;
  double parB_ = 1.0;
  double parC_ = 0.0;
  bool substituteInf_ = false;
};

}  // namespace qmx
