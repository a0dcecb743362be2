#include "projection/Numerics.h"

#include <cmath>


namespace gx {

// (a in metres, 1/f). Entry 31 (1/f = a) is a sphere in all but name: its b is
// a - 1 m, which the ellipsoidal kinds treat as spherical.
const EllipsoidRecord kEllipsoids[kEllipsoidTableSize] = {
    {6377563.396, 299.3249646},  // 0
    {6378160.0, 298.25},  // 1
    {6378876.0, 299.1528128},  // 2
    {6377483.865, 299.1528128},  // 3
    {6377397.155, 299.1528128},  // 4
    {6378206.4, 294.9786982},  // 5
    {6378025.0, 293.4660502},  // 6
    {6378249.145, 293.465},  // 7
    {6377304.063, 300.8017},  // 8
    {6377276.345, 300.8017},  // 9
    {6377301.243, 300.8017},  // 10
    {6377295.664, 300.8017},  // 11
    {6377309.613, 300.8017},  // 12
    {6377298.556, 300.8017},  // 13
    {6378166.0, 298.3},  // 14
    {6378150.0, 298.3},  // 15
    {6378160.0, 298.2471674},  // 16
    {6378140.0, 298.257},  // 17
    {6378137.0, 298.2572221},  // 18
    {6378200.0, 298.3},  // 19
    {6378270.0, 297.0},  // 20
    {6378160.0, 298.247},  // 21
    {6378388.0, 297.0},  // 22
    {6378245.0, 298.3},  // 23
    {6377340.189, 299.3249646},  // 24
    {6378155.0, 298.3},  // 25
    {6378160.0, 298.25},  // 26
    {6378165.0, 298.3},  // 27
    {6378145.0, 298.25},  // 28
    {6378135.0, 298.26},  // 29
    {6378137.0, 298.2572236},  // 30
    {6378137.0, 6378137.0},  // 31
    {6378135.0, 298.2570011},  // 32
    {6378293.64, 294.2606697},  // 33
    {6378450.047, 294.9786843},  // 34
    {6378249.145, 293.4663158},  // 35
    {6378300.79, 293.4662346},  // 36
    {6378249.145, 293.4650061},  // 37
    {6378249.145, 293.4650061},  // 38
    {6378249.2, 293.4659808},  // 39
    {6378137.0, 298.2572201},  // 40
    {6378160.0, 298.2471662},  // 41
    {6378137.0, 298.2572201},  // 42
    {6378166.0, 298.3000008},  // 43
    {6378150.0, 298.5366106},  // 44
    {6378135.0, 298.5087138},  // 45
    {6378145.0, 298.2499932},  // 46
    {6378136.2, 298.2572246},  // 47
    {6378136.3, 298.2572293},  // 48
    {6376523.0, 308.6399962},  // 49
    {6378298.3, 294.7300045},  // 50
    {6378300.583, 295.999997},  // 51
};

double ConformalT(double e, double phi, double sinphi) {
  const double es = e * sinphi;
  return std::tan((kHalfPi - phi) / 2) / std::pow((1 - es) / (1 + es), e / 2);
}

double AuthalicQ(double e, double sinphi, double /*cosphi*/) {
  if (e > 1e-10) {
    const double k = e * sinphi;
    return (1 - e * e) * (sinphi / (1 - k * k) - (0.5 / e) * std::log((1 - k) / (1 + k)));
  }
  return 2 * sinphi;
}

Shape ShapeOf(double a, double ratio) {
  const double es = 1 - ratio * ratio;
  constexpr double kSphereBelow = 1e-5;
  return {a,
          ratio,
          es,
          std::sqrt(es),
          es / (1 - es),
          MeridianE0(es),
          MeridianE1(es),
          MeridianE2(es),
          MeridianE3(es),
          es < kSphereBelow};
}

// ---- Solvers ---------------------------------------------------------------------

namespace {

// A solver that runs a fixed number of passes and keeps the result of the
// last qualifying one need not run the passes that can only repeat what is
// known. A pass depends on its starting iterate alone, so once an iterate
// comes back exactly, to itself (a fixed point) or to the one before (the
// two neighbouring doubles between which a Newton step often settles), the
// remaining passes repeat the last one or two, and their outcome follows from
// how many remain. Settled says so, and leaves in r what the full count
// would have left.
template <class Result>
class Repeats {
 public:
  // One pass went from `from` to `to` and, when it qualified, produced
  // `result` (already in r). `left` passes remain.
  bool Settled(double from, double to, bool qualifies, const Result& result, int left, Result& r) {
    const bool fixedPoint = to == from;
    const bool twoCycle = started_ && to == previousFrom_;
    if (fixedPoint || left == 0) return true;
    if (twoCycle) {
      // The remaining passes alternate: the previous pass's kind first.
      // The last of them decides, or the one before it when the last does
      // not qualify.
      const bool lastIsPrevious = left % 2 == 1;
      const bool lastQualifies = lastIsPrevious ? previousQualifies_ : qualifies;
      if (lastQualifies)
        r = lastIsPrevious ? previous_ : result;
      else if (lastIsPrevious ? qualifies : previousQualifies_)
        r = lastIsPrevious ? result : previous_;
      return true;
    }
    started_ = true;
    previousFrom_ = from;
    previousQualifies_ = qualifies;
    previous_ = result;
    return false;
  }

 private:
  bool started_ = false;
  double previousFrom_ = 0;
  bool previousQualifies_ = false;
  Result previous_{};
};

}  // namespace

Solved LatitudeFromQ(double e, double q) {
  Solved r{0, kSolverNoConvergenceBig};
  double phi = SafeArcSin(q / 2);
  if (!(std::fabs(phi) <= 1.5707963167948966)) return r;  // at a pole (or NaN)
  if (e < 1e-9) return {phi, 0};
  // The result is that of the last pass whose correction qualified.
  constexpr int kPasses = 26;
  Repeats<Solved> repeats;
  for (int pass = 0; pass < kPasses; ++pass) {
    const double s = std::sin(phi), k = e * s, w = 1 - k * k;
    const double delta = (0.5 * w * w / std::cos(phi)) *
                         (q / (1 - e * e) - s / w + (0.5 / e) * std::log((1 - k) / (1 + k)));
    const double next = phi + delta;
    const bool qualifies = std::fabs(delta) <= 1e-9;
    if (qualifies) r = {next, 0};
    if (repeats.Settled(phi, next, qualifies, Solved{next, 0}, kPasses - 1 - pass, r)) break;
    phi = next;
  }
  return r;
}

Solved LatitudeFromT(double e, double t) {
  double phi = kHalfPi - 2 * std::atan(t);
  for (int pass = 0; pass < 16; ++pass) {
    const double es = e * std::sin(phi);
    const double next = kHalfPi - 2 * std::atan(t * std::pow((1 - es) / (1 + es), e / 2));
    if (std::fabs(next - phi) <= 1e-9) return {next, 0};
    phi = next;
  }
  return {0, kSolverNoConvergence};
}

Solved MeridianLatitude(double M, double e0, double e1, double e2, double e3, int passes,
                        double tolerance) {
  double phi = M;
  for (int pass = 0; pass < passes; ++pass) {
    const double delta =
        (M + e1 * std::sin(2 * phi) - e2 * std::sin(4 * phi) + e3 * std::sin(6 * phi)) / e0 - phi;
    phi += delta;
    if (std::fabs(delta) <= tolerance) return {phi, 0};
  }
  return {0, kSolverNoConvergenceBig};
}

PolyconicSolved PolyconicLatitude(double es, double e0, double e1, double e2, double e3, double A,
                                  double B) {
  PolyconicSolved r{0, 0, kSolverNoConvergenceBig};
  double phi = A;
  // The results are those of the last qualifying pass.
  constexpr int kPasses = 15;
  Repeats<PolyconicSolved> repeats;
  for (int pass = 0; pass < kPasses; ++pass) {
    const double s = std::sin(phi);
    const double h = std::tan(phi) * std::sqrt(1 - es * s * s);
    const double s2 = std::sin(2 * phi);
    const double ml = e0 * phi - e1 * s2 + e2 * std::sin(4 * phi) - e3 * std::sin(6 * phi);
    const double mlp = e0 - 2 * e1 * std::cos(2 * phi) + 4 * e2 * std::cos(4 * phi) -
                       6 * e3 * std::cos(6 * phi);
    const double con1 = 2 * ml + h * (ml * ml + B) - 2 * A * (h * ml + 1);
    const double con2 = es * s2 * (ml * ml + B - 2 * A * ml) / (2 * h);
    const double con3 = 2 * (A - ml) * (h * mlp - 2 / s2) - 2 * mlp;
    const double delta = con1 / (con2 + con3);
    const double next = phi + delta;
    const bool qualifies = std::fabs(delta) < 1e-7;
    if (qualifies) r = {next, h, 0};
    if (repeats.Settled(phi, next, qualifies, PolyconicSolved{next, h, 0}, kPasses - 1 - pass, r))
      break;
    phi = next;
  }
  return r;
}

// ---- The tilt ------------------------------------------------------------------------

Rotation Rotation::About(double axisLon, double axisLat, double theta) {
  const double k1 = std::cos(axisLat) * std::cos(axisLon);
  const double k2 = std::cos(axisLat) * std::sin(axisLon);
  const double k3 = std::sin(axisLat);
  const double g = std::cos(theta), s = std::sin(theta), h = 1 - g;
  return {{{h * k1 * k1 + g, h * k1 * k2 - s * k3, h * k1 * k3 + s * k2},
           {h * k1 * k2 + s * k3, h * k2 * k2 + g, h * k2 * k3 - s * k1},
           {h * k1 * k3 - s * k2, h * k2 * k3 + s * k1, h * k3 * k3 + g}}};
}

void Rotation::Apply(double lambda, double phi, double& lambdaOut, double& phiOut) const {
  const double p1 = std::cos(phi) * std::cos(lambda);
  const double p2 = std::cos(phi) * std::sin(lambda);
  const double p3 = std::sin(phi);
  const double xr = m[0][0] * p1 + m[0][1] * p2 + m[0][2] * p3;
  const double yr = m[1][0] * p1 + m[1][1] * p2 + m[1][2] * p3;
  const double zr = m[2][0] * p1 + m[2][1] * p2 + m[2][2] * p3;
  if (std::fabs(xr) <= 1e-11)
    lambdaOut = yr >= 0 ? kHalfPi : -kHalfPi;
  else if (xr > 0)
    lambdaOut = std::atan(yr / xr);
  else
    lambdaOut = std::atan(yr / xr) + kPi;
  // The turned vector's length is 1 only up to rounding; a z of 1 + 2e-16 at
  // the pole must give the pole, not NaN.
  phiOut = SafeArcSin(zr);
}

}  // namespace gx
