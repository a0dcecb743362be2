// The small numerical library of the ellipsoidal kinds: ellipsoid shapes,
// meridian series, conformal and authalic functions. All angles in radians,
// all lengths in units of the semi-major axis.
#pragma once

#include <cmath>
#include <numbers>

namespace gx {

inline constexpr double kPi = std::numbers::pi;
inline constexpr double kHalfPi = std::numbers::pi / 2;
inline constexpr double kTwoPi = 2 * std::numbers::pi;
inline constexpr double kDegToRad = 0.017453292519943295;  // pi/180
inline constexpr double kRadToDeg = 57.295779513082323;    // 180/pi

inline constexpr int kEllipsoidTableSize = 52;
inline constexpr int kFallbackEllipsoid = 30;  // WGS 84

struct EllipsoidRecord {
  double SemiMajor;          // a, metres
  double InverseFlattening;  // 1/f
};

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

}  // namespace gx
