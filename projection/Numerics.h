// The small numerical library of the ellipsoidal kinds (internal to the
// engine): ellipsoid shapes, meridian series, conformal and authalic
// functions, the latitude solvers, the longitude fold and the tilt's turn of
// the sphere. All angles in radians, all lengths in units of the semi-major
// axis unless a name says metres. Everything here is a pure function; the
// component keeps the state.
#pragma once

#include <cmath>

#include "projection/Constants.h"

namespace gx {

// Built-in table, entries 0..51.
extern const EllipsoidRecord kEllipsoids[kEllipsoidTableSize];

// Meridian-distance coefficients, polynomials in the eccentricity squared.
inline double MeridianE0(double es) { return 1.0 - 0.25 * es * (1.0 + es / 16.0 * (3.0 + 1.25 * es)); }
inline double MeridianE1(double es) { return 0.375 * es * (1.0 + 0.25 * es * (1.0 + 0.46875 * es)); }
inline double MeridianE2(double es) { return 0.05859375 * es * es * (1.0 + 0.75 * es); }
inline double MeridianE3(double es) { return es * es * es * (35.0 / 3072.0); }

// Meridian distance from the equator to phi, in units of a.
inline double MeridianDistance(double e0, double e1, double e2, double e3, double phi) {
  return e0 * phi - e1 * std::sin(2 * phi) + e2 * std::sin(4 * phi) - e3 * std::sin(6 * phi);
}

// Radius of the parallel, in units of a.
inline double ParallelRadiusM(double e, double sinphi, double cosphi) {
  return cosphi / std::sqrt(1.0 - e * e * sinphi * sinphi);
}

// Isometric-latitude function t of the conformal kinds.
double ConformalT(double e, double phi, double sinphi);

// Authalic q; the cosine is part of the traditional signature and unused.
double AuthalicQ(double e, double sinphi, double cosphi);

// Arcsine with the argument clamped to [-1, 1]: rounding may push a sine a
// hair beyond 1, which must give the pole rather than NaN. NaN stays NaN.
inline double SafeArcSin(double x) {
  if (x > 1.0) x = 1.0;
  else if (x < -1.0) x = -1.0;
  return std::asin(x);
}

// Square root that treats a negative radicand as 0.
inline double SafeSqrt(double v) { return v >= 0.0 ? std::sqrt(v) : 0.0; }

// ---- The ellipsoid's shape ------------------------------------------------------

// Everything the ellipsoidal kinds derive from the axis ratio b/a, once.
struct Shape {
  double a;      // semi-major axis, metres
  double ratio;  // b/a
  double es;     // eccentricity squared, 1 - (b/a)^2
  double e;      // eccentricity
  double ep2;    // second eccentricity squared, es / (1 - es)
  double e0, e1, e2, e3;  // meridian-distance coefficients
  // Below es = 1e-5 the transverse series add nothing the spherical
  // formulas lack; the one-metre ellipsoid of table entry 31 (es ~ 3.1e-7)
  // counts as a sphere.
  bool sphere;

  double M(double phi) const { return MeridianDistance(e0, e1, e2, e3, phi); }
  double m(double phi) const { return ParallelRadiusM(e, std::sin(phi), std::cos(phi)); }
  double t(double phi) const { return ConformalT(e, phi, std::sin(phi)); }
  double q(double phi) const { return AuthalicQ(e, std::sin(phi), std::cos(phi)); }
};

Shape ShapeOf(double a, double ratio);

// ---- Latitude solvers -----------------------------------------------------------
// Each returns its latitude with a status: 0 when it converged, otherwise the
// marker that the component shows in ErrorCode (10000 or 100000). The pass
// limits and tolerances are fixed: the codes callers see depend on exactly
// when a pass qualifies. A solver whose iterate comes back exactly as it went
// in stops there: every later pass would repeat it bit for bit, so the
// result is the one the full count of passes gives.

struct Solved {
  double value;  // the latitude; meaningful only with status 0
  int status;
};

// Latitude of the authalic q (26 passes at most, 1e-9). Fails with 100000
// when the first estimate lies within 1e-8 of a pole.
Solved LatitudeFromQ(double e, double q);

// Latitude of the conformal t (16 passes at most, 1e-9); value 0 on failure
// (10000).
Solved LatitudeFromT(double e, double t);

// Latitude of the meridian distance M: the fixed-point iteration with its
// pass limit and tolerance as parameters, the only difference between the
// meridian solver (16 passes, 1e-10) and the transverse kinds' footpoint
// (7 passes, 1e-9). Fails with 100000.
Solved MeridianLatitude(double M, double e0, double e1, double e2, double e3, int passes,
                        double tolerance);
inline Solved LatitudeFromMeridian(double M, double e0, double e1, double e2, double e3) {
  return MeridianLatitude(M, e0, e1, e2, e3, 16, 1e-10);
}

// Newton iteration of the ellipsoidal polyconic inverse (15 passes at most,
// 1e-7): the latitude and the auxiliary h of the last qualifying pass.
struct PolyconicSolved {
  double value, aux;
  int status;
};
PolyconicSolved PolyconicLatitude(double es, double e0, double e1, double e2, double e3, double A,
                                  double B);

// ---- Longitude fold and tilt ------------------------------------------------------

// The longitude brought into [-pi, pi] through its sine and cosine: the
// results of Inverse, the interrupted Mollweide's lobe longitude and
// Robinson's outline check all fold this way. A longitude whose sine or
// cosine is exactly 0 (and NaN) stays as it is.
inline double FoldLongitude(double a) {
  const double s = std::sin(a), c = std::cos(a);
  if (c < 0 && s > 0) return kPi - std::asin(s);
  if (c < 0 && s < 0) return -kPi - std::asin(s);
  if (c > 0 && s != 0) return std::asin(s);
  return a;
}

// Inverse's last step: the longitude folded as above and a latitude beyond a
// pole folded back onto the sphere, both into degrees.
inline void FoldedDegrees(double lambda, double phi, double& lon, double& lat) {
  lon = FoldLongitude(lambda) * kRadToDeg;
  lat = std::asin(std::sin(phi)) * kRadToDeg;
}

// The turn of the sphere by the angle theta about the axis through
// (axisLon, axisLat), as the matrix of Rodrigues' formula. Its terms depend
// on the parameters only, so the component makes them once per change.
struct Rotation {
  double m[3][3];

  static Rotation About(double axisLon, double axisLat, double theta);
  // The turned point as (longitude, latitude); the longitude lies in
  // [-pi/2, 3pi/2).
  void Apply(double lambda, double phi, double& lambdaOut, double& phiOut) const;
};

}  // namespace gx
