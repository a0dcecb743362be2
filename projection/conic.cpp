// Conic kinds: the Lambert conformal, equidistant and Albers equal-area conics
// on the ellipsoid that MapInput selects, the spherical Bonne projection and
// the ellipsoidal polyconic. The cone constants and the ellipsoid's series
// are kept in the component between calls (its Derived store) and derived
// anew whenever the bits of a parameter they come from differ: the parameters
// may change between any two calls, and deriving them was up to half of a
// point's cost for the Lambert, equidistant and Albers kinds.
#include <cmath>
#include <cstdint>
#include <limits>

#include "projection/Families.h"

namespace {

using gx::kHalfPi;
using gx::kPi;

// ---- The ellipsoid ------------------------------------------------------------

// Shape of the selected ellipsoid; the pair is stored in the component first.
struct Shape {
  double es, e;
  double e0, e1, e2, e3;

  double M(double phi) const { return gx::MeridianDistance(e0, e1, e2, e3, phi); }
  double m(double phi) const { return gx::ParallelRadiusM(e, std::sin(phi), std::cos(phi)); }
  double t(double phi) const { return gx::ConformalT(e, phi, std::sin(phi)); }
  double q(double phi) const { return gx::AuthalicQ(e, std::sin(phi), std::cos(phi)); }
};

Shape ShapeOfRatio(double ratio) {
  const double es = 1 - ratio * ratio;
  return {es, std::sqrt(es), gx::MeridianE0(es), gx::MeridianE1(es), gx::MeridianE2(es),
          gx::MeridianE3(es)};
}

// ---- Constants kept between calls ----------------------------------------------------

// Owners of the component's Derived store.
enum Family : std::uint32_t { kLambertFamily = 0x434f4e01, kEquidistantFamily, kAlbersFamily,
                              kBonneFamily };

// The selected ellipsoid's shape, its pair stored in the component as always.
Shape ShapeOf(TGxProjectionL& p) { return ShapeOfRatio(p.StoreEllipsoidAxes().ratio); }

// ---- The cone frame -----------------------------------------------------------
// A point at cone radius rho (units of the semi-major axis) turned by theta from
// the central meridian hangs below the apex row apexY, or above it when sense
// is -1 (a cone mirrored onto the southern hemisphere).

void ConePoint(TGxProjectionL& p, double apexY, double rho, double theta, double sense = 1) {
  p.X = p.X0 + p.Radius * rho * std::sin(theta);
  p.Y = apexY + sense * p.Radius * rho * std::cos(theta);
}

// The pixel in polar form about the apex. For a cone that opens to the south
// (n < 0) every radius is negative, so the radius and the angle take the sign
// of n; theta is then what the forward turned by, and lambda = lambda0 + theta/n.
struct Polar {
  double rho, theta;
};

Polar ConePolar(const TGxProjectionL& p, double apexY, double n, double sense = 1) {
  const double u = (p.X - p.X0) / p.Radius;
  const double v = sense * (p.Y - apexY) / p.Radius;
  const double s = n >= 0 ? 1.0 : -1.0;
  const double rho = s * std::sqrt(u * u + v * v);
  return {rho, rho != 0 ? std::atan2(s * u, s * v) : 0.0};
}

// A cone constant as num/den; NaN when den is 0 (two parallels that the
// rounding no longer tells apart), which the callers' validity tests refuse.
double ConeRatio(double num, double den) {
  return den != 0 ? num / den : std::numeric_limits<double>::quiet_NaN();
}

// A range test written so that NaN fails it too.
bool Within(double v, double bound) { return v <= bound && v >= -bound; }

// ---- Lambert conformal conic ----------------------------------------------------
// The latitude of origin is the pole, so the apex lies at (X0, Y0) for every pair
// of parallels. A southern cone (phi1 + phi2 < 0) is the exact mirror image of
// the northern cone of (-phi1, -phi2): apex (the south pole) at (X0, Y0), the map
// above it. Its constants are taken at the mirrored parallels; taken at the
// negative parallels themselves they shrink the whole southern map by
// t(|phi1|)^(2n) (to 0.22 of its size for -49/-51 degrees).

struct LambertCone {
  double n, F;
  double sense;  // +1 northern cone, -1 southern
};

struct LambertConstants {
  Shape s;
  LambertCone c;
  bool drawable;  // false: a flat cone (meaningless for symmetric parallels)
};

LambertConstants DeriveLambert(double ratio, double Phi1, double Phi2) {
  LambertConstants k{ShapeOfRatio(ratio), {0, 0, 0}, false};
  const Shape& s = k.s;
  LambertCone& c = k.c;
  c.sense = Phi1 + Phi2 < 0 ? -1.0 : 1.0;
  const double phi1 = c.sense * Phi1, phi2 = c.sense * Phi2;
  const double m1 = s.m(phi1), t1 = s.t(phi1);
  if (std::fabs(kHalfPi - phi2) < 1e-7)
    c.n = 1;
  else if (std::fabs(phi1 - phi2) < 1e-7)
    c.n = std::sin(phi1);
  else
    c.n = ConeRatio(std::log(m1 / s.m(phi2)), std::log(t1 / s.t(phi2)));
  // A standard parallel at a pole or beyond leaves no cone to draw on.
  const double scale = c.n * std::pow(t1, c.n);
  if (c.n >= 0.001 && scale > 0) {
    c.F = m1 / scale;
    k.drawable = c.F > 0 && std::isfinite(c.F);
  }
  return k;
}

LambertConstants LambertOf(TGxProjectionL& p) {
  const double ratio = p.StoreEllipsoidAxes().ratio;
  const double phi1 = p.Phi1, phi2 = p.Phi2;
  return p.Derived.Of<LambertConstants>(kLambertFamily, ratio, phi1, phi2,
                                         [&] { return DeriveLambert(ratio, phi1, phi2); });
}

// False after reporting the failure code (not ready, symmetric parallels or a
// flat cone, in that order).
bool LambertConeOf(TGxProjectionL& p, const LambertConstants& k, int notReady, int symmetric,
                   int flat) {
  if (p.NotReady(notReady)) return false;
  if (!(std::fabs(p.Phi1 + p.Phi2) >= 1e-7)) {
    p.SetError(symmetric);
    return false;
  }
  if (k.drawable) return true;
  p.SetError(flat);
  return false;
}

void LambertForward(TGxProjectionL& p, int) {
  const LambertConstants k = LambertOf(p);
  const Shape& s = k.s;
  const LambertCone& c = k.c;
  bool ok = LambertConeOf(p, k, 270, 271, 272);
  if (ok) {
    p.WrapLongitude();
    const double phim = c.sense * p.Y;
    double rho = 0;
    if (std::fabs(std::fabs(p.Y) - kHalfPi) <= 1e-9)
      ok = phim * c.n > 0;  // the far pole has no image
    else
      rho = c.F * std::pow(s.t(phim), c.n);
    // A latitude beyond a pole (or NaN) has no t: refuse it rather than
    // report NaN as a point.
    ok = ok && std::isfinite(rho);
    if (ok) {
      ConePoint(p, p.Y0, rho, c.n * (p.X - p.Theta), c.sense);
      p.SetError(0);
    } else {
      p.SetError(272);
    }
  }
  if (!ok) p.X = p.Y = -1;
}

void LambertInverse(TGxProjectionL& p, int) {
  const LambertConstants k = LambertOf(p);
  const Shape& s = k.s;
  const LambertCone& c = k.c;
  if (!LambertConeOf(p, k, 275, 273, 274)) {
    p.X = p.Y = 0;
    return;
  }
  const Polar pol = ConePolar(p, p.Y0, c.n, c.sense);
  p.LatitudeFromT(s.e, std::pow(pol.rho / c.F, 1 / c.n));
  if (p.ErrorCode != 0) {
    p.SetError(277);
    p.SetError(276);
    p.X = p.Y = 0;
    return;
  }
  const double dlambda = pol.theta / c.n;
  p.Y = c.sense * p.IterLat;
  if (Within(dlambda, kPi)) {
    p.X = p.Theta + dlambda;
    p.SetError(0);
  } else {
    p.X = 0;  // the latitude found stays
    p.SetError(276);
  }
}

// ---- Equidistant conic ------------------------------------------------------------
// Equator through (X0, Y0); meridians keep their true length. With Other below 1
// the cone touches the one parallel Phi1, which is the pair (Phi1, Phi1).
// Whatever the order of the parallels the map stands upright, forward and
// inverse alike, so that graticule and colour map agree.

struct EquidistantCone {
  double n, G;  // G = rho0, the cone radius of the equator
};

struct EquidistantConstants {
  Shape s;
  EquidistantCone c;
  bool flat;
};

EquidistantConstants DeriveEquidistant(double ratio, double phi1, double phi2) {
  EquidistantConstants k{ShapeOfRatio(ratio), {0, 0}, false};
  const Shape& s = k.s;
  EquidistantCone& c = k.c;
  const double m1 = s.m(phi1), M1 = s.M(phi1);
  bool flat = !(std::fabs(phi1 + phi2) >= 1e-9);
  if (!flat) {
    c.n = std::fabs(phi1 - phi2) < 1e-9 ? std::sin(phi2)
                                        : ConeRatio(m1 - s.m(phi2), s.M(phi2) - M1);
    flat = !(c.n != 0) || !std::isfinite(c.n);
  }
  k.flat = flat;
  if (!flat) c.G = m1 / c.n + M1;
  return k;
}

// With Other below 1 the second parallel is the first.
EquidistantConstants EquidistantOf(TGxProjectionL& p) {
  const double ratio = p.StoreEllipsoidAxes().ratio;
  const double phi1 = p.Phi1;
  const double phi2 = p.Other >= 1 ? p.Phi2 : p.Phi1;
  return p.Derived.Of<EquidistantConstants>(kEquidistantFamily, ratio, phi1, phi2,
                                             [&] { return DeriveEquidistant(ratio, phi1, phi2); });
}

bool EquidistantConeOf(TGxProjectionL& p, const EquidistantConstants& k, int symmetric,
                       int failed) {
  if (k.flat) {
    // Parallels symmetric about the equator (or the one parallel on it) give a
    // cylinder, not a cone. Both codes are reported, so OnError fires twice.
    p.SetError(symmetric);
    p.SetError(failed);
    return false;
  }
  return true;
}

void EquidistantForward(TGxProjectionL& p, int) {
  p.Y = std::asin(std::sin(p.Y));
  p.WrapLongitude();
  const EquidistantConstants k = EquidistantOf(p);
  const Shape& s = k.s;
  const EquidistantCone& c = k.c;
  if (p.NotReady(360) || !EquidistantConeOf(p, k, 361, 368)) {
    p.X = p.Y = -1;
    return;
  }
  ConePoint(p, p.Y0 - p.Radius * c.G, c.G - s.M(p.Y), c.n * (p.X - p.Theta));
  p.SetError(0);
}

void EquidistantInverse(TGxProjectionL& p, int) {
  const EquidistantConstants k = EquidistantOf(p);
  const Shape& s = k.s;
  const EquidistantCone& c = k.c;
  if (p.NotReady(362) || !EquidistantConeOf(p, k, 363, 367)) {
    p.X = p.Y = 0;
    return;
  }
  // The apex pixel (rho = 0) is solved like any other: it lies on the globe
  // only when the cone touches the pole and is otherwise refused below.
  const Polar pol = ConePolar(p, p.Y0 - p.Radius * c.G, c.n);
  const double M = c.G - pol.rho;
  p.LatitudeFromMeridian(M, s.e0, s.e1, s.e2, s.e3);
  const double dlambda = pol.theta / c.n;
  if (p.ErrorCode != 0 || !Within(dlambda, kPi) || !Within(M, kHalfPi)) {
    p.X = p.Y = 0;
    p.SetError(367);
    return;
  }
  p.X = p.Theta + dlambda;
  p.Y = p.IterLat;
  p.SetError(0);
}

// ---- Albers equal-area conic --------------------------------------------------------
// Latitude of origin the equator. A southern cone draws its equator at half of
// Y0, forward and inverse alike, which lifts the southern map into the frame.

struct AlbersCone {
  double n, K, rho0;
  double equatorY;  // pixel row of the equator on the central meridian
};

struct AlbersConstants {
  Shape s;
  double n, K, rho0;
  double qp;  // q of the pole
  bool cone;  // false: n = 0 or not finite
};

AlbersConstants DeriveAlbers(double ratio, double phi1, double phi2) {
  AlbersConstants k{ShapeOfRatio(ratio), 0, 0, 0, 0, false};
  const Shape& s = k.s;
  const double m1 = s.m(phi1), q1 = s.q(phi1);
  if (std::fabs(phi1 - phi2) <= 1e-9) {
    k.n = std::sin(phi1);
  } else {
    const double m2 = s.m(phi2);
    k.n = ConeRatio(m1 * m1 - m2 * m2, s.q(phi2) - q1);
  }
  // n = 0 (a parallel on the equator) would be a cylinder as well.
  k.cone = k.n != 0 && std::isfinite(k.n);
  if (k.cone) {
    k.K = m1 * m1 + k.n * q1;
    k.rho0 = gx::SafeSqrt(k.K) / k.n;
  }
  // q of the pole: 1 - ((1 - es)/(2e)) ln((1 - e)/(1 + e)).
  k.qp = s.e < 1e-10 ? 2.0 : 1 - ((1 - s.es) * 0.5 / s.e) * std::log((1 - s.e) / (1 + s.e));
  return k;
}

bool AlbersConeOf(TGxProjectionL& p, int notReady, int symmetric, AlbersConstants& k,
                  AlbersCone& c) {
  if (p.NotReady(notReady)) return false;
  const double phi1 = p.Phi1, phi2 = p.Phi2;
  if (std::fabs(phi1 + phi2) >= 1e-9) {
    const double ratio = p.StoreEllipsoidAxes().ratio;
    k = p.Derived.Of<AlbersConstants>(kAlbersFamily, ratio, phi1, phi2,
                                      [&] { return DeriveAlbers(ratio, phi1, phi2); });
    if (k.cone) {
      c.n = k.n;
      c.K = k.K;
      c.rho0 = k.rho0;
      c.equatorY = phi1 + phi2 < 0 ? p.Y0 / 2 : p.Y0;
      return true;
    }
  }
  p.SetError(symmetric);
  return false;
}

void AlbersForward(TGxProjectionL& p, int) {
  const double phi = std::asin(std::sin(p.Y));
  p.WrapLongitude();
  AlbersConstants k;
  AlbersCone c;
  if (!AlbersConeOf(p, 370, 371, k, c)) {
    p.X = p.Y = -1;
    return;
  }
  // Rounding may push the radicand a hair below 0 at the pole of a cone that
  // touches it; that is the apex.
  const double rho = gx::SafeSqrt(c.K - c.n * k.s.q(phi)) / c.n;
  ConePoint(p, c.equatorY - p.Radius * c.rho0, rho, c.n * (p.X - p.Theta));
  p.SetError(0);
}

void AlbersInverse(TGxProjectionL& p, int) {
  AlbersConstants k;
  AlbersCone c;
  if (!AlbersConeOf(p, 372, 373, k, c)) {
    p.X = p.Y = 0;
    return;
  }
  const Polar pol = ConePolar(p, c.equatorY - p.Radius * c.rho0, c.n);
  const double q = (c.K - (pol.rho * c.n) * (pol.rho * c.n)) / c.n;
  bool found = true;
  double phi = 0;
  const Shape& s = k.s;
  const double qp = k.qp;
  if (s.e >= 1e-10 && std::fabs(std::fabs(qp) - std::fabs(q)) <= 1e-10) {
    phi = q >= 0 ? kHalfPi : -kHalfPi;
  } else {
    p.LatitudeFromQ(s.e, q);
    found = p.ErrorCode == 0;
    phi = p.IterLat;
  }
  const double dlambda = pol.theta / c.n;
  if (!found || !Within(dlambda, kPi)) {
    p.X = p.Y = 0;
    p.SetError(374);
    return;
  }
  p.X = p.Theta + dlambda;
  p.Y = phi;
  p.SetError(0);
}

// ---- Bonne (sphere) ----------------------------------------------------------------
// Standard parallel phi0 with cone radius c0 = cot phi0; the apex lies at
// (X0, Y0 - R c0) and phi0 runs through (X0, Y0). Its inverse reaches only the
// points below the apex (above it for a southern phi0), so the cut-off removes
// exactly the points beyond the apex: the sign of the test follows phi0.

// With phi0 on the equator the cone is the sinusoidal projection. Until that
// kind has routines the Bonne behaves like a kind without any.
void Sinusoidal(TGxProjectionL& p, bool forward) {
  if (const KindRoutines* r = RoutinesOf(mpSinusoidal)) {
    const KindRoutine routine = forward ? r->Forward : r->Inverse;
    if (routine) routine(p, r->Row);
  }
}

// c0 = cot phi0.
double BonneCot(TGxProjectionL& p, double phi0) {
  return p.Derived.Of<double>(kBonneFamily, phi0, 0, 0,
                              [&] { return std::cos(phi0) / std::sin(phi0); });
}

void BonneForward(TGxProjectionL& p, int) {
  const double phi0 = p.Phi0;
  if (std::fabs(phi0) < 1e-9) return Sinusoidal(p, true);
  if (p.NotReady(411)) return;
  p.WrapLongitude();
  const double c0 = BonneCot(p, phi0);
  const double phi = p.Y, dlambda = p.X - p.Theta;
  const double rho = c0 + phi0 - phi;
  const double apexY = p.Y0 - p.Radius * c0;
  if (std::fabs(rho) <= 1e-11) {
    // The apex itself, where E has no value. Only phi0 = +-90 degrees brings
    // a pole there, and then the apex is (X0, Y0) up to rounding.
    p.X = p.X0;
    p.Y = apexY;
    p.SetError(0);
    return;
  }
  const double E = std::cos(phi) * dlambda / rho;
  ConePoint(p, apexY, rho, E);
  const double below = rho * std::cos(E);  // > 0: below the apex on the map
  if (p.ForwardCutOff && (phi0 > 0 ? below < 0 : below > 0)) {
    p.X = p.Y = -1;
    p.SetError(414);
    return;
  }
  p.SetError(0);
}

void BonneInverse(TGxProjectionL& p, int) {
  const double phi0 = p.Phi0;
  if (std::fabs(phi0) < 1e-9) return Sinusoidal(p, false);
  if (p.NotReady(412)) return;
  const double c0 = BonneCot(p, phi0);
  const double u = (p.X - p.X0) / p.Radius, v = (p.Y0 - p.Y) / p.Radius;
  const double d = c0 - v;  // > 0: below the apex
  if (!(phi0 > 0 ? d > 0 : d < 0)) {
    p.SetError(413);
    return;
  }
  const double rho = std::sqrt(u * u + d * d);
  const double sgn = phi0 > 0 ? 1.0 : -1.0;
  const double phi = c0 + phi0 - sgn * rho;
  const double lambda = p.Theta + sgn * rho * std::atan(u / d) / std::cos(phi);
  if (!Within(phi, kHalfPi) || !(lambda <= p.Theta + kPi && lambda >= p.Theta - kPi)) {
    p.SetError(415);
    return;
  }
  p.X = lambda;
  p.Y = phi;
  p.SetError(0);
}

// ---- Polyconic (ellipsoid) -------------------------------------------------------
// Latitude of origin the equator (M0 = 0). Far from the central meridian the
// parallels curl back; the drawn region is the ellipse with semi-axes sqrt 2 R
// across and pi R/2 up and down, which the inverse always keeps to and the
// forward keeps to when ForwardCutOff is set.

constexpr double kEllipseStretch = 1.1107207345395915;  // pi/(2 sqrt 2)

// Distance of a pixel from (X0, Y0), with x stretched so that the ellipse
// becomes the circle of radius pi R/2.
double EllipseDistance(const TGxProjectionL& p, double x, double y) {
  const double u = (x - p.X0) * kEllipseStretch, v = p.Y0 - y;
  return std::sqrt(u * u + v * v);
}

void PolyconicForward(TGxProjectionL& p, int) {
  if (p.NotReady(250)) return;
  const Shape s = ShapeOf(p);
  p.WrapLongitude();
  const double phi = p.Y, dlambda = p.X - p.Theta;
  if (std::fabs(phi) < 1e-8) {
    p.X = p.X0 + p.Radius * dlambda;
    p.Y = p.Y0;
  } else {
    const double sinphi = std::sin(phi);
    const double E = dlambda * sinphi;
    const double m = s.m(phi);
    p.X = p.X0 + p.Radius * m * std::sin(E) / sinphi;
    p.Y = p.Y0 - p.Radius * (s.M(phi) + m * (1 - std::cos(E)) / sinphi);
  }
  if (p.ForwardCutOff && EllipseDistance(p, p.X, p.Y) > kPi * p.Radius / 2) {
    p.X = p.Y = -1;
    p.SetError(258);
    return;
  }
  p.SetError(0);
}

void PolyconicInverse(TGxProjectionL& p, int) {
  const double d = EllipseDistance(p, p.X, p.Y);
  const double x = p.X - p.X0, y = p.Y0 - p.Y;
  p.X = p.Y = 0;
  if (p.NotReady(251)) return;
  if (!(d <= kPi * p.Radius / 2)) {
    p.SetError(257);
    return;
  }
  const Shape s = ShapeOf(p);
  const double A = y / p.Radius;
  const double B = A * A + (x / p.Radius) * (x / p.Radius);
  if (std::fabs(A) < 1e-9) {
    // The equator: no iteration, and no event either.
    p.X = p.Theta + x / p.Radius;
    p.ErrorCode = 0;
    return;
  }
  p.PolyconicLatitude(s.es, s.e0, s.e1, s.e2, s.e3, A, B);
  const double phi = p.IterLat;
  const double sinphi = std::sin(phi);
  if (p.ErrorCode != 0 || sinphi == 0) {
    p.SetError(257);
    return;
  }
  p.X = p.Theta + gx::SafeArcSin(x * p.IterAux / p.Radius) / sinphi;
  p.Y = phi;
  p.SetError(0);
}

constexpr KindRoutines kConic[] = {
    {mpLaConformalConic, LambertForward, LambertInverse, 0},
    {mpEDConical, EquidistantForward, EquidistantInverse, 0},
    {mpAlbertsCEA, AlbersForward, AlbersInverse, 0},
    {mpBonne, BonneForward, BonneInverse, 0},
    {mpPolyconic, PolyconicForward, PolyconicInverse, 0},
};

}  // namespace

std::span<const KindRoutines> ConicRoutines() { return kConic; }
