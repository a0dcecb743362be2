// Transverse cylindrical kinds: transverse Mercator and Cassini-Soldner,
// centred on the central meridian Theta with the equator as latitude of origin
// and scale 1 on that meridian. Each has a spherical variant (a nearly round
// ellipsoid) and an ellipsoidal one made of the usual published series; one
// forward and one inverse routine serve both kinds, fed by the rows below.
//
// Lengths of the series are metres on the ellipsoid; the map takes Radius/a
// pixels per metre, so only the ellipsoid's shape shows on the map.
#include <algorithm>
#include <cmath>
#include <limits>

#include "projection/Kernel.h"

namespace gx {
namespace {

// Meridian distance from the equator, metres. The latitude of origin is the
// equator, so M0 = M(0) = 0 throughout.
double Meridian(const Shape& s, double phi) { return s.a * s.M(phi); }

struct Metres {
  double east, north;
};

// ---- Ellipsoidal series, scale factor 1 ------------------------------------

Metres MercatorSeries(const Shape& s, double phi, double dlam) {
  const double A = std::cos(phi) * dlam, A2 = A * A;
  const double C = s.ep2 * std::cos(phi) * std::cos(phi);
  const double T = std::tan(phi) * std::tan(phi);
  const double N = s.a / std::sqrt(1 - s.es * std::sin(phi) * std::sin(phi));
  const double east = N * (A + (1 - T + C) * A * A2 / 6 +
                           (5 - 18 * T + T * T + 72 * C - 58 * s.ep2) * A * A2 * A2 / 120);
  const double north = Meridian(s, phi) +
                       N * std::tan(phi) *
                           (A2 / 2 + (5 - T + 9 * C + 4 * C * C) * A2 * A2 / 24 +
                            (61 - 58 * T + T * T + 600 * C - 330 * s.ep2) * A2 * A2 * A2 / 720);
  return {east, north};
}

Metres CassiniSeries(const Shape& s, double phi, double dlam) {
  const double A = std::cos(phi) * dlam, A2 = A * A;
  const double C = s.ep2 * std::cos(phi) * std::cos(phi);
  const double T = std::tan(phi) * std::tan(phi);
  const double N = s.a / std::sqrt(1 - s.es * std::sin(phi) * std::sin(phi));
  const double east = N * (A - T * A * A2 / 6 - (8 - T + 8 * C) * T * A * A2 * A2 / 120);
  const double north =
      Meridian(s, phi) + N * std::tan(phi) * (A2 / 2 + (5 - T + 6 * C) * A2 * A2 / 24);
  return {east, north};
}

// What the inverse series need at the footpoint latitude phi1.
struct Footpoint {
  double phi1, C1, T1, N1, R1;
  double tanPhi1, cosPhi1;
  double D;  // the easting in units of N1
};

struct Angles {
  double dphi;  // to subtract from phi1
  double dlam;  // from Theta
};

Angles MercatorInverseSeries(const Shape& s, const Footpoint& f) {
  const double D = f.D, D2 = D * D, C1 = f.C1, T1 = f.T1;
  const double dphi =
      (f.N1 * f.tanPhi1 / f.R1) *
      (D2 / 2 - (5 + 3 * T1 + 10 * C1 - 4 * C1 * C1 - 9 * s.ep2) * D2 * D2 / 24 +
       (61 + 90 * T1 + 298 * C1 + 45 * T1 * T1 - 252 * s.ep2 - 3 * C1 * C1) * D2 * D2 * D2 / 720);
  const double dlam = (D - (1 + 2 * T1 + C1) * D * D2 / 6 +
                       (5 - 2 * C1 + 28 * T1 - 3 * C1 * C1 + 8 * s.ep2 + 24 * T1 * T1) * D * D2 * D2 / 120) /
                      f.cosPhi1;
  return {dphi, dlam};
}

Angles CassiniInverseSeries(const Shape&, const Footpoint& f) {
  const double D = f.D, D2 = D * D, T1 = f.T1;
  const double dphi = (f.N1 * f.tanPhi1 / f.R1) * (D2 / 2 - (1 + 3 * T1) * D2 * D2 / 24);
  const double dlam = (D - T1 * D * D2 / 3 + (1 + 3 * T1) * T1 * D * D2 * D2 / 15) / f.cosPhi1;
  return {dphi, dlam};
}

// ---- The two kinds ------------------------------------------------------------

struct TransverseKind {
  TProjection kind;
  int notReadyForward;
  int cutOff;           // ForwardCutOff and |dlam| beyond the series limit
  int outsideBand;
  int notReadyInverse;
  int sphereRange;
  int ellipsoidFailure;
  double seriesLimit;   // |dlam| up to which the series are trusted
  // Inverse range: |u| < uHalfWidth R - margin and |v| < pi R - margin.
  double uHalfWidth;
  double margin;
  // Spherical easting on the unit sphere from B = cos(phi) sin(dlam).
  double (*sphereEasting)(double B);
  // The spherical inverse's easting term (sinh or tan of the easting u/R).
  double (*sphereAcross)(double x);
  Metres (*series)(const Shape&, double phi, double dlam);
  Angles (*inverseSeries)(const Shape&, const Footpoint&);
};

constexpr TransverseKind kKinds[] = {
    {.kind = mpTMercator, .notReadyForward = 290, .cutOff = 295, .outsideBand = 298,
     .notReadyInverse = 291, .sphereRange = 297, .ellipsoidFailure = 296,
     .seriesLimit = 0.8975979010256552,  // 2 pi / 7
     // Any finite easting maps: far out east or west the longitude only nears
     // Theta +- pi/2. A NaN or infinite easting is no position.
     .uHalfWidth = std::numeric_limits<double>::infinity(), .margin = 0,
     .sphereEasting = [](double B) { return 0.5 * std::log((1 + B) / (1 - B)); },
     .sphereAcross = [](double x) { return std::sinh(x); },
     .series = MercatorSeries, .inverseSeries = MercatorInverseSeries},
    {.kind = mpCassiniS, .notReadyForward = 300, .cutOff = 305, .outsideBand = 308,
     .notReadyInverse = 301, .sphereRange = 307, .ellipsoidFailure = 306,
     .seriesLimit = 0.9, .uHalfWidth = kPi / 2, .margin = 1e-5,
     .sphereEasting = [](double B) { return std::asin(B); },
     .sphereAcross = [](double x) { return std::sin(x) / std::cos(x); },
     .series = CassiniSeries, .inverseSeries = CassiniInverseSeries},
};

// Beyond pi - 1 from the central meridian the series diverge whatever
// ForwardCutOff says.
constexpr double kSeriesBand = 2.1415926535897931;  // pi - 1

Out TransverseForward(const Prepared& k, double lambda, double phi) {
  const TransverseKind& t = kKinds[k.Row()];
  const Shape& s = k.shape;
  const double dlam = lambda - k.theta, R = k.R;
  const Out refused = WithAxes(Result(-1, -1, t.outsideBand));
  if (s.sphere) {
    const double B = std::cos(phi) * std::sin(dlam);
    // The poles of the transverse aspect (90 degrees from the central
    // meridian on the equator) lie at infinity or on the map's seam.
    if (!(std::fabs(std::fabs(B) - 1) >= 1e-9)) return refused;
    const double D = std::clamp(std::cos(phi) * std::cos(dlam) / std::sqrt(1 - B * B), -1.0, 1.0);
    const double along = phi < 0 ? -std::acos(D) : std::acos(D);
    return WithAxes(Result(k.x0 + R * t.sphereEasting(B), k.y0 - R * along));
  }
  if (!(std::fabs(dlam) <= kSeriesBand) || !std::isfinite(phi)) return refused;
  if (k.cutOff && std::fabs(dlam) > t.seriesLimit) return WithAxes(Result(-1, -1, t.cutOff));
  const Metres m = t.series(s, phi, dlam);
  return WithAxes(Result(k.x0 + (R / s.a) * m.east, k.y0 - (R / s.a) * m.north));
}

// What the inverse of a row shares: everything that depends on the northing
// v alone, above all the footpoint latitude and its terms.
struct TransverseRow {
  double v, Dd, cD;
};
struct TransverseFoot {
  bool usable;  // on the ellipsoid, with a usable footpoint (D left open)
  Footpoint f;
};

TransverseRow TransverseRowOf(const Prepared& k, double y) {
  const double v = k.y0 - y, Dd = v / k.R;
  return {v, Dd, std::cos(Dd)};
}

TransverseFoot TransverseFootOf(const Prepared& k, const TransverseRow& r) {
  const Shape& s = k.shape;
  // The footpoint latitude: the meridian solver with its own pass limit and
  // tolerance.
  const Solved foot = MeridianLatitude(r.v / k.R, s.e0, s.e1, s.e2, s.e3, 7, 1e-9);
  const double phi1 = foot.status == 0 ? foot.value : std::numeric_limits<double>::quiet_NaN();
  if (!(std::fabs(phi1) < kPi)) return {false, {}};
  const double sphi1 = std::sin(phi1), cphi1 = std::cos(phi1), tphi1 = std::tan(phi1);
  const double W = 1 - s.es * sphi1 * sphi1;
  const double N1 = s.a / std::sqrt(W);
  return {true, Footpoint{.phi1 = phi1, .C1 = s.ep2 * cphi1 * cphi1, .T1 = tphi1 * tphi1, .N1 = N1,
                          .R1 = (1 - s.es) * N1 / W, .tanPhi1 = tphi1, .cosPhi1 = cphi1, .D = 0}};
}

// One pixel of a row; footOf() gives the row's footpoint, which only the
// pixels within the series' reach on the ellipsoid need.
template <class FootOf>
Out TransverseColumn(const Prepared& k, const TransverseRow& r, double x, FootOf footOf) {
  const TransverseKind& t = kKinds[k.Row()];
  const Shape& s = k.shape;
  const double u = x - k.x0, v = r.v;
  const double R = k.R, theta = k.theta;
  if (!(std::fabs(u) < t.uHalfWidth * R - t.margin && std::fabs(v) < kPi * R - t.margin))
    return WithAxes(Result(0, 0, s.sphere ? t.sphereRange : t.ellipsoidFailure));

  // The spherical solution; on the ellipsoid it decides whether the series
  // may be trusted and stands in where the footpoint fails. Its latitude is
  // worked out only where it is the result.
  const double across = t.sphereAcross(u / R);
  const auto sphericalPhi = [&] {
    const double phi = SafeArcSin(std::sqrt((1 - r.cD * r.cD) / (across * across + 1)));
    return r.Dd < 0 ? -phi : phi;
  };
  const double lambda = (across == 0 && r.cD == 0) ? theta : std::atan2(across, r.cD) + theta;
  if (s.sphere) return WithAxes(Result(lambda, sphericalPhi()));
  if (!(std::fabs(lambda - theta) < t.seriesLimit))
    return WithAxes(Result(lambda, sphericalPhi(), t.ellipsoidFailure));
  const TransverseFoot& foot = footOf();
  // No usable footpoint: the pixel keeps the spherical latitude on the
  // central meridian rather than a latitude taken from its raw pixel
  // distance, which would paint it from far off the globe.
  if (!foot.usable) return WithAxes(Result(theta, sphericalPhi()));
  Footpoint f = foot.f;
  f.D = u * s.a / (R * f.N1);
  const Angles d = t.inverseSeries(s, f);
  return WithAxes(Result(theta + d.dlam, f.phi1 - d.dphi));
}

Out TransverseInverse(const Prepared& k, double x, double y) {
  const TransverseRow r = TransverseRowOf(k, y);
  TransverseFoot foot;
  return TransverseColumn(k, r, x, [&]() -> const TransverseFoot& {
    foot = TransverseFootOf(k, r);
    return foot;
  });
}

// The footpoint once per row (when a pixel needs it), not once per pixel.
void TransverseRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const TransverseRow r = TransverseRowOf(k, y);
  TransverseFoot foot;
  bool haveFoot = false;
  const auto footOf = [&]() -> const TransverseFoot& {
    if (!haveFoot) foot = TransverseFootOf(k, r), haveFoot = true;
    return foot;
  };
  ForEachPixel(x0, first, count, out, [&](double x) { return TransverseColumn(k, r, x, footOf); });
}

constexpr KindEntry Transverse(int row) {
  return Kind(kKinds[row].kind, row, TransverseForward, TransverseInverse, TransverseRows,
              kKinds[row].notReadyForward, kWrapsLongitude)
      .WithCodes(kKinds[row].notReadyForward, kKinds[row].notReadyInverse)
      .Ellipsoidal()
      .Leaving(Leaves::MinusOne, Leaves::Zero);
}

constexpr KindEntry kEntries[] = {Transverse(0), Transverse(1)};

static_assert(kKinds[0].kind == mpTMercator && kKinds[1].kind == mpCassiniS);

}  // namespace

std::span<const KindEntry> TransverseKinds() { return kEntries; }

}  // namespace gx
