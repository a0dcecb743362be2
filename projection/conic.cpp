// Conic kinds: the Lambert conformal, equidistant and Albers equal-area conics
// on the ellipsoid that MapInput selects, the spherical Bonne projection and
// the ellipsoidal polyconic. The cone constants come from the component's
// constant block, made whenever a parameter changes: deriving them was up to
// half of a point's cost for the Lambert, equidistant and Albers kinds.
#include <cmath>
#include <limits>

#include "projection/Kernel.h"

namespace gx {
namespace {

// ---- The cone frame -----------------------------------------------------------
// A point at cone radius rho (units of the semi-major axis) turned by theta from
// the central meridian hangs below the apex row apexY, or above it when sense
// is -1 (a cone mirrored onto the southern hemisphere).

Out ConePoint(const Prepared& k, double apexY, double rho, double theta, double sense = 1) {
  return Result(k.x0 + k.R * rho * std::sin(theta), apexY + sense * k.R * rho * std::cos(theta));
}

// The pixel in polar form about the apex. For a cone that opens to the south
// (n < 0) every radius is negative, so the radius and the angle take the sign
// of n; theta is then what the forward turned by, and lambda = lambda0 + theta/n.
struct Polar {
  double rho, theta;
};

Polar ConePolar(const Prepared& k, double x, double y, double apexY, double n, double sense = 1) {
  const double u = (x - k.x0) / k.R;
  const double v = sense * (y - apexY) / k.R;
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
// Codes: 270 not ready, 271 symmetric parallels, 272 a flat cone or a point
// without image; inverse 275 not ready, 273 symmetric, 274 flat, 276 off the
// map (a failed latitude reports 277, then 276).

struct LambertConstants {
  double n, F;
  double sense;   // +1 northern cone, -1 southern
  bool drawable;  // false: a flat cone (meaningless for symmetric parallels)
};

void PrepareLambert(Prepared& k) {
  const Shape& s = k.shape;
  LambertConstants c{0, 0, 0, false};
  c.sense = k.phi1 + k.phi2 < 0 ? -1.0 : 1.0;
  const double phi1 = c.sense * k.phi1, phi2 = c.sense * k.phi2;
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
    c.drawable = c.F > 0 && std::isfinite(c.F);
  }
  k.SetFamily(c);
}

// The failure code of the cone, or 0 (symmetric parallels first).
int LambertRefusal(const Prepared& k, int symmetric, int flat) {
  if (!(std::fabs(k.phi1 + k.phi2) >= 1e-7)) return symmetric;
  return k.Family<LambertConstants>().drawable ? 0 : flat;
}

Out LambertForward(const Prepared& k, double lambda, double phi) {
  const LambertConstants& c = k.Family<LambertConstants>();
  if (const int refused = LambertRefusal(k, 271, 272)) return WithAxes(Result(-1, -1, refused));
  const double phim = c.sense * phi;
  double rho = 0;
  bool ok = true;
  if (std::fabs(std::fabs(phi) - kHalfPi) <= 1e-9)
    ok = phim * c.n > 0;  // the far pole has no image
  else
    rho = c.F * std::pow(k.shape.t(phim), c.n);
  // A latitude beyond a pole (or NaN) has no t: refuse it rather than
  // report NaN as a point.
  if (!(ok && std::isfinite(rho))) return WithAxes(Result(-1, -1, 272));
  return WithAxes(ConePoint(k, k.y0, rho, c.n * (lambda - k.theta), c.sense));
}

Out LambertInverse(const Prepared& k, double x, double y, MirrorShare<Solved>& share) {
  const LambertConstants& c = k.Family<LambertConstants>();
  if (const int refused = LambertRefusal(k, 273, 274)) return WithAxes(Result(0, 0, refused));
  const Polar pol = ConePolar(k, x, y, k.y0, c.n, c.sense);
  const double dlambda = pol.theta / c.n;
  if (k.drawing && !Within(dlambda, kPi)) {  // off the map whatever the latitude
    ++k.banded;
    return WithAxes(Result(0, 0, 276));
  }
  const Solved lat = SharedLatitude(k, pol.rho, share, [](double phi) { return Solved{phi, 0}; }, [&] {
    return LatitudeFromT(k.shape.e, std::pow(pol.rho / c.F, 1 / c.n));
  });
  if (lat.status != 0) return WithIterLat(WithAxes(Twice(0, 0, 277, 276)), lat.value);
  const double phi = c.sense * lat.value;
  // Off the map the latitude found stays.
  const Out o = Within(dlambda, kPi) ? Result(k.theta + dlambda, phi) : Result(0, phi, 276);
  return WithIterLat(WithAxes(o), lat.value);
}

// The cone radius that the inverse solves the (mirrored) latitude from.
double LambertKey(const Prepared& k, double phi) {
  const LambertConstants& c = k.Family<LambertConstants>();
  if (LambertRefusal(k, 1, 1)) return std::numeric_limits<double>::quiet_NaN();
  return c.F * std::pow(k.shape.t(phi), c.n);
}

// ---- Equidistant conic ------------------------------------------------------------
// Equator through (X0, Y0); meridians keep their true length. With Other below 1
// the cone touches the one parallel Phi1, which is the pair (Phi1, Phi1).
// Whatever the order of the parallels the map stands upright, forward and
// inverse alike, so that graticule and colour map agree. Codes: 360 not
// ready, 361 then 368 symmetric parallels; inverse 362 not ready, 363 then
// 367 symmetric, 367 off the map.

struct EquidistantConstants {
  double n, G;  // G = rho0, the cone radius of the equator
  bool flat;
};

void PrepareEquidistant(Prepared& k) {
  const Shape& s = k.shape;
  // With Other below 1 the second parallel is the first.
  const double phi1 = k.phi1;
  const double phi2 = k.other >= 1 ? k.phi2 : k.phi1;
  EquidistantConstants c{0, 0, false};
  const double m1 = s.m(phi1), M1 = s.M(phi1);
  bool flat = !(std::fabs(phi1 + phi2) >= 1e-9);
  if (!flat) {
    c.n = std::fabs(phi1 - phi2) < 1e-9 ? std::sin(phi2) : ConeRatio(m1 - s.m(phi2), s.M(phi2) - M1);
    flat = !(c.n != 0) || !std::isfinite(c.n);
  }
  c.flat = flat;
  if (!flat) c.G = m1 / c.n + M1;
  k.SetFamily(c);
}

// Parallels symmetric about the equator (or the one parallel on it) give a
// cylinder, not a cone. Both codes are reported, so OnError fires twice.
Out EquidistantForward(const Prepared& k, double lambda, double phi) {
  const EquidistantConstants& c = k.Family<EquidistantConstants>();
  if (c.flat) return WithAxes(Twice(-1, -1, 361, 368));
  phi = std::asin(std::sin(phi));
  return WithAxes(ConePoint(k, k.y0 - k.R * c.G, c.G - k.shape.M(phi), c.n * (lambda - k.theta)));
}

// The apex pixel (rho = 0) is solved like any other: it lies on the globe
// only when the cone touches the pole and is otherwise refused below.
Out EquidistantInverse(const Prepared& k, double x, double y, MirrorShare<Solved>& share) {
  const EquidistantConstants& c = k.Family<EquidistantConstants>();
  if (c.flat) return WithAxes(Twice(0, 0, 363, 367));
  const Shape& s = k.shape;
  const Polar pol = ConePolar(k, x, y, k.y0 - k.R * c.G, c.n);
  const double M = c.G - pol.rho;
  const double dlambda = pol.theta / c.n;
  // Drawing a map's rows, a pixel off the map is refused whatever its
  // latitude: the frame solves for it only where the fields need it.
  if (k.drawing && (!Within(dlambda, kPi) || !Within(M, kHalfPi))) {
    ++k.banded;
    return WithAxes(Result(0, 0, 367));
  }
  const Solved lat = SharedLatitude(k, M, share, [](double phi) { return Solved{phi, 0}; },
                                    [&] { return LatitudeFromMeridian(M, s.e0, s.e1, s.e2, s.e3); });
  Out o = lat.status != 0 || !Within(dlambda, kPi) || !Within(M, kHalfPi)
              ? Result(0, 0, 367)
              : Result(k.theta + dlambda, lat.value);
  if (lat.status == 0) o = WithIterLat(o, lat.value);
  return WithAxes(o);
}

// The meridian distance that the inverse solves the latitude from.
double EquidistantKey(const Prepared& k, double phi) { return k.shape.M(phi); }

// ---- Albers equal-area conic --------------------------------------------------------
// Latitude of origin the equator. A southern cone draws its equator at half of
// Y0, forward and inverse alike, which lifts the southern map into the frame.
// Codes: 370 not ready, 371 no cone; inverse 372, 373, 374 off the map.

struct AlbersConstants {
  double n, K, rho0;
  double qp;        // q of the pole
  double equatorY;  // pixel row of the equator on the central meridian
  bool symmetric;   // the parallels' sum within 1e-9 of 0
  bool cone;        // false: symmetric, or n = 0 or not finite
};

void PrepareAlbers(Prepared& k) {
  const Shape& s = k.shape;
  AlbersConstants c{0, 0, 0, 0, 0, false, false};
  const double phi1 = k.phi1, phi2 = k.phi2;
  c.symmetric = !(std::fabs(phi1 + phi2) >= 1e-9);
  if (!c.symmetric) {
    const double m1 = s.m(phi1), q1 = s.q(phi1);
    if (std::fabs(phi1 - phi2) <= 1e-9) {
      c.n = std::sin(phi1);
    } else {
      const double m2 = s.m(phi2);
      c.n = ConeRatio(m1 * m1 - m2 * m2, s.q(phi2) - q1);
    }
    // n = 0 (a parallel on the equator) would be a cylinder as well.
    c.cone = c.n != 0 && std::isfinite(c.n);
    if (c.cone) {
      c.K = m1 * m1 + c.n * q1;
      c.rho0 = SafeSqrt(c.K) / c.n;
    }
  }
  // q of the pole: 1 - ((1 - es)/(2e)) ln((1 - e)/(1 + e)).
  c.qp = s.e < 1e-10 ? 2.0 : 1 - ((1 - s.es) * 0.5 / s.e) * std::log((1 - s.e) / (1 + s.e));
  c.equatorY = phi1 + phi2 < 0 ? k.y0 / 2 : k.y0;
  k.SetFamily(c);
}

// The refusal of a cone that is not one: the pair is stored only when the
// parallels were looked at.
Out AlbersRefusal(const AlbersConstants& c, double v, int code) {
  const Out o = Result(v, v, code);
  return c.symmetric ? o : WithAxes(o);
}

Out AlbersForward(const Prepared& k, double lambda, double phi) {
  const AlbersConstants& c = k.Family<AlbersConstants>();
  if (!c.cone) return AlbersRefusal(c, -1, 371);
  phi = std::asin(std::sin(phi));
  // Rounding may push the radicand a hair below 0 at the pole of a cone that
  // touches it; that is the apex.
  const double rho = SafeSqrt(c.K - c.n * k.shape.q(phi)) / c.n;
  return WithAxes(ConePoint(k, c.equatorY - k.R * c.rho0, rho, c.n * (lambda - k.theta)));
}

// The latitude of an Albers pixel, and whether the iteration found it (a
// pixel at a pole's q needs none).
struct AlbersLatitude {
  Solved lat;
  bool solved;
};

Out AlbersInverse(const Prepared& k, double x, double y, MirrorShare<AlbersLatitude>& share) {
  const AlbersConstants& c = k.Family<AlbersConstants>();
  if (!c.cone) return AlbersRefusal(c, 0, 373);
  const Polar pol = ConePolar(k, x, y, c.equatorY - k.R * c.rho0, c.n);
  const double q = (c.K - (pol.rho * c.n) * (pol.rho * c.n)) / c.n;
  const double dlambda = pol.theta / c.n;
  if (k.drawing && !Within(dlambda, kPi)) {  // off the map whatever the latitude
    ++k.banded;
    return WithAxes(Result(0, 0, 374));
  }
  const Shape& s = k.shape;
  const auto banded = [](double phi) { return AlbersLatitude{{phi, 0}, true}; };
  const auto [lat, solved] = SharedLatitude(k, q, share, banded, [&] {
    if (s.e >= 1e-10 && std::fabs(std::fabs(c.qp) - std::fabs(q)) <= 1e-10)
      return AlbersLatitude{{q >= 0 ? kHalfPi : -kHalfPi, 0}, false};
    return AlbersLatitude{LatitudeFromQ(s.e, q), true};
  });
  Out o = lat.status != 0 || !Within(dlambda, kPi) ? Result(0, 0, 374)
                                                   : Result(k.theta + dlambda, lat.value);
  if (solved && lat.status == 0) o = WithIterLat(o, lat.value);
  return WithAxes(o);
}

// The authalic q that the inverse solves the latitude from.
double AlbersKey(const Prepared& k, double phi) {
  return k.Family<AlbersConstants>().cone ? k.shape.q(phi) : std::numeric_limits<double>::quiet_NaN();
}

// ---- Bonne (sphere) ----------------------------------------------------------------
// Standard parallel phi0 with cone radius c0 = cot phi0; the apex lies at
// (X0, Y0 - R c0) and phi0 runs through (X0, Y0). The map is a heart whose
// upper lobes reach beyond the apex's line: the angle about the apex, E =
// cos phi dlambda / rho, never exceeds pi (rho >= pi/2 - phi >= cos phi, as
// cot phi0 >= pi/2 - phi0), so the heart never overlaps itself and the
// inverse, with the angle taken by a two-argument arctangent, gives back
// every point the forward draws. (Taken by arctan(X'/(c0 - Y')) it refused
// every pixel beyond the apex's line and cut the lobes off the picture; the
// cut-off, which removed those points from the lines to match, has nothing
// left to remove.)
// Codes: 411 not ready; inverse 412 not ready, 413 beyond the apex and off
// the map, 415 off the map (the pixel stays). 414 (cut off) is no longer given.

struct BonneConstants {
  double c0;  // cot phi0
};

// With phi0 on the equator the cone is the sinusoidal projection, codes and
// all.
void PrepareBonne(Prepared& k) {
  if (std::fabs(k.phi0) < 1e-9) {
    k.entry = EntryOf(mpSinusoidal);
    if (k.entry && k.entry->prepare) k.entry->prepare(k);
    return;
  }
  k.SetFamily(BonneConstants{std::cos(k.phi0) / std::sin(k.phi0)});
}

Out BonneForward(const Prepared& k, double lambda, double phi) {
  const double phi0 = k.phi0, c0 = k.Family<BonneConstants>().c0;
  const double dlambda = lambda - k.theta;
  const double rho = c0 + phi0 - phi;
  const double apexY = k.y0 - k.R * c0;
  // The apex itself, where E has no value. Only phi0 = +-90 degrees brings
  // a pole there, and then the apex is (X0, Y0) up to rounding.
  if (std::fabs(rho) <= 1e-11) return Result(k.x0, apexY);
  const double E = std::cos(phi) * dlambda / rho;
  return ConePoint(k, apexY, rho, E);
}

Out BonneInverse(const Prepared& k, double x, double y) {
  const double phi0 = k.phi0, c0 = k.Family<BonneConstants>().c0;
  const double u = (x - k.x0) / k.R, v = (k.y0 - y) / k.R;
  const double d = c0 - v;  // > 0: below the apex
  const double rho = std::sqrt(u * u + d * d);
  const double sgn = phi0 > 0 ? 1.0 : -1.0;
  const double phi = c0 + phi0 - sgn * rho;
  // The angle about the apex, from the apex's downward direction (upward for
  // a southern cone): arctan(u/d) below the apex's line, beyond it the
  // lobes' angles of up to pi.
  const double E = std::atan2(sgn * u, sgn * d);
  const double lambda = k.theta + sgn * rho * E / std::cos(phi);
  if (!Within(phi, kHalfPi) || !(lambda <= k.theta + kPi && lambda >= k.theta - kPi))
    return Result(x, y, sgn * d > 0 ? 415 : 413);
  return Result(lambda, phi);
}

// ---- Polyconic (ellipsoid) -------------------------------------------------------
// Latitude of origin the equator (M0 = 0). Far from the central meridian the
// parallels curl back; the drawn region is the ellipse with semi-axes sqrt 2 R
// across and pi R/2 up and down, which the inverse always keeps to and the
// forward keeps to when ForwardCutOff is set. Codes: 250 not ready, 258 cut
// off; inverse 251 not ready, 257 off the map or no latitude.

constexpr double kEllipseStretch = 1.1107207345395915;  // pi/(2 sqrt 2)

// Distance of a pixel from (X0, Y0), with x stretched so that the ellipse
// becomes the circle of radius pi R/2.
double EllipseDistance(const Prepared& k, double x, double y) {
  const double u = (x - k.x0) * kEllipseStretch, v = k.y0 - y;
  return std::sqrt(u * u + v * v);
}

Out PolyconicForward(const Prepared& k, double lambda, double phi) {
  const Shape& s = k.shape;
  const double dlambda = lambda - k.theta;
  Out o;
  if (std::fabs(phi) < 1e-8) {
    o = Result(k.x0 + k.R * dlambda, k.y0);
  } else {
    const double sinphi = std::sin(phi);
    const double E = dlambda * sinphi;
    const double m = s.m(phi);
    o = Result(k.x0 + k.R * m * std::sin(E) / sinphi,
               k.y0 - k.R * (s.M(phi) + m * (1 - std::cos(E)) / sinphi));
  }
  if (k.cutOff && EllipseDistance(k, o.x, o.y) > kPi * k.R / 2) o = Result(-1, -1, 258);
  return WithAxes(o);
}

Out PolyconicInverse(const Prepared& k, double x0, double y0, MirrorShare<PolyconicSolved>& share) {
  if (!(EllipseDistance(k, x0, y0) <= kPi * k.R / 2)) return Result(0, 0, 257);
  const Shape& s = k.shape;
  const double x = x0 - k.x0, y = k.y0 - y0;
  const double A = y / k.R;
  const double B = A * A + (x / k.R) * (x / k.R);
  // The equator: no iteration, and no event either.
  if (std::fabs(A) < 1e-9) return WithAxes(Quiet(k.theta + x / k.R, 0));
  const PolyconicSolved lat =
      share.Get(A, B, [&] { return PolyconicLatitude(s.es, s.e0, s.e1, s.e2, s.e3, A, B); });
  if (lat.status != 0) return WithAxes(Result(0, 0, 257));
  const double sinphi = std::sin(lat.value);
  Out o = sinphi == 0 ? Result(0, 0, 257)
                      : Result(k.theta + SafeArcSin(x * lat.aux / k.R) / sinphi, lat.value);
  o.effects |= kSetsIterLat | kSetsIterAux;
  o.iterLat = lat.value;
  o.iterAux = lat.aux;
  return WithAxes(o);
}

// ---- The family's kinds -------------------------------------------------------------

constexpr KindEntry kKinds[] = {
    Kind(mpLaConformalConic, 0, LambertForward, InverseAlone<Solved, LambertInverse>, nullptr, 270,
         kWrapsLongitude)
        .Mirrored(InversePair<Solved, LambertInverse>)
        .Banded(LambertKey)
        .Solving()
        .PreparedBy(PrepareLambert)
        .Ellipsoidal(true)
        .Leaving(Leaves::MinusOne, Leaves::Zero)
        .WithCodes(270, 275),
    Kind(mpEDConical, 0, EquidistantForward, InverseAlone<Solved, EquidistantInverse>, nullptr, 360,
         kWrapsLongitude)
        .Mirrored(InversePair<Solved, EquidistantInverse>)
        .Banded(EquidistantKey)
        .Solving()
        .PreparedBy(PrepareEquidistant)
        .Ellipsoidal(true)
        .Leaving(Leaves::MinusOne, Leaves::Zero)
        .WithCodes(360, 362),
    Kind(mpAlbertsCEA, 0, AlbersForward, InverseAlone<AlbersLatitude, AlbersInverse>, nullptr, 370,
         kWrapsLongitude)
        .Mirrored(InversePair<AlbersLatitude, AlbersInverse>)
        .Banded(AlbersKey)
        .Solving()
        .PreparedBy(PrepareAlbers)
        .Ellipsoidal()
        .Leaving(Leaves::MinusOne, Leaves::Zero)
        .WithCodes(370, 372),
    Kind(mpBonne, 0, BonneForward, BonneInverse, nullptr, 411, kWrapsLongitude)
        .PreparedBy(PrepareBonne),
    Kind(mpPolyconic, 0, PolyconicForward, InverseAlone<PolyconicSolved, PolyconicInverse>, nullptr, 250,
         kWrapsLongitude)
        .Mirrored(InversePair<PolyconicSolved, PolyconicInverse>)
        .Solving()
        .Ellipsoidal()
        .Leaving(Leaves::Input, Leaves::Zero),
};

}  // namespace

std::span<const KindEntry> ConicKinds() { return kKinds; }

}  // namespace gx
