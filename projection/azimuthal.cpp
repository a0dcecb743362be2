// Azimuthal kinds: orthographic, stereographic, gnomonic, azimuthal
// equidistant, Lambert azimuthal equal-area and the general vertical near-side
// perspective. All six put the sphere on the plane tangent at the centre
// (Theta, Phi0) and differ only in the radial scale k' of a point at angular
// distance c from the centre (forward), in the angular distance z that a pixel
// distance rho stands for (inverse), and in their guards. One forward and one
// inverse routine serve all six, fed by the rows at the end of this file.
//
// With g = cos c the unit-plane point is
//   u = k' cos(phi) sin(dlam),  v = k' (cos(phi0) sin(phi) - sin(phi0) cos(phi) cos(dlam)),
// and the inverse goes back through
//   sin(phi) = cos(z) sin(phi0) + Y sin(z) cos(phi0) / rho.
#include <cmath>
#include <cstdint>
#include <numbers>

#include "projection/Kernel.h"

namespace gx {
namespace {

// The point as the forward kernels see it: the cosine g of its angular
// distance from the centre, and what the orthographic far-side test works
// with: the point's longitude and the sine and cosine of its latitude, and
// the centre as a unit vector.
struct Sight {
  double g;
  double P;  // distance of the point of perspective from the globe's centre, in radii
  double lambda, sphi, cphi;
  double cx, cy, cz;
};

// The centre's sines and cosines, from the constant block: every point
// needs them, and they were a fifth of a point's cost.
struct Centre {
  double sphi0, cphi0;
  double cx, cy, cz;  // the centre on the unit sphere
  double P;           // Other / R + 1: the point of perspective's distance, in radii
};

void PrepareCentre(Prepared& k) {
  const double lambda0 = k.theta, phi0 = k.phi0;
  k.SetFamily(Centre{std::sin(phi0), std::cos(phi0), std::cos(phi0) * std::cos(lambda0),
                     std::cos(phi0) * std::sin(lambda0), std::sin(phi0), k.other / k.R + 1});
}

// A forward kernel sets the radial scale k' and returns false when the point
// cannot be drawn. Every test is written so that a NaN fails it.
using ScaleFn = bool (*)(const Sight& s, double& k);

// Inverse kernels: whether a pixel distance lies on the map, and the angular
// distance z it stands for (called only beyond the centre threshold).
using RangeFn = bool (*)(double rho, double R, double P);
using DistanceFn = double (*)(double rho, double R, double P);

// The far side is found from the chord between the point and the centre: it
// is longer than sqrt 2 beyond the rim, and a chord of exactly sqrt 2 (a point
// on the rim) is still drawn.
bool OrthographicScale(const Sight& s, double& k) {
  const double dx = s.cphi * std::cos(s.lambda) - s.cx;
  const double dy = s.cphi * std::sin(s.lambda) - s.cy;
  const double dz = s.sphi - s.cz;
  k = 1;
  return std::sqrt(dx * dx + dy * dy + dz * dz) / std::numbers::sqrt2 <= 1.0;
}

bool StereographicScale(const Sight& s, double& k) {
  if (!(std::fabs(s.g + 1) > 1e-9)) return false;  // the antipode
  k = 2 / (1 + s.g);
  return true;
}

// Points on or near the horizon would land arbitrarily far out.
bool GnomonicScale(const Sight& s, double& k) {
  if (!(s.g > 1e-7)) return false;
  k = 1 / s.g;
  return true;
}

// The equidistant and the equal-area kind both refuse a band of about
// 4.5e-5 rad around the centre (arccos loses its digits there) and the
// antipode; the centre itself is caught before. The great circle 90 degrees
// from the centre (g = 0) lies well inside both maps and used to be refused
// as well, leaving a ring of holes in the graticule and the coasts.
bool AwayFromCentreAndAntipode(double g) { return std::fabs(std::fabs(g) - 1) > 1e-9; }

bool EquidistantScale(const Sight& s, double& k) {
  if (!AwayFromCentreAndAntipode(s.g)) return false;
  const double c = std::acos(s.g);
  k = c / std::sin(c);
  return true;
}

bool EqualAreaScale(const Sight& s, double& k) {
  if (!AwayFromCentreAndAntipode(s.g)) return false;
  k = std::sqrt(2 / (1 + s.g));
  return true;
}

// Beyond the horizon (g < 1/P) the point is hidden behind the globe.
bool PerspectiveScale(const Sight& s, double& k) {
  if (!(s.g >= 1 / s.P && std::fabs(s.P - s.g) >= 1e-9)) return false;
  k = (s.P - 1) / (s.P - s.g);
  return true;
}

// Stereographic and gnomonic have no edge: only a pixel at a finite distance
// is on their map.
bool Unbounded(double rho, double, double) { return std::isfinite(rho); }

// Where the radial distance's direction is lost (a pixel over the pole of the
// sphere), some kinds keep the central longitude instead of the arctangent's.
enum class LongitudeGuard { None, ExactlyZero, NearZero };

// What a point the kind cannot draw leaves in the pair.
enum class Rejected { MinusOne, Centre };

struct AzimuthalKind {
  TProjection kind;
  // Forward.
  int notReadyForward;
  int rejected;
  Readiness readiness;     // the orthographic needs Ready only
  bool usesHeight;         // Other is the height of the point of perspective
  bool wrapsLongitude;
  bool centreShortcut;     // the centre itself is drawn without a code
  Leaves afterNotReady;
  Rejected afterRejection;
  ScaleFn scale;
  // Inverse.
  int notReadyInverse;
  int outOfRange;
  int negativeHeight;      // 0: the kind has no height
  RangeFn inRange;
  DistanceFn distance;
  double centre;           // pixel distance that still counts as the centre
  bool centreInclusive;
  double polarBand;        // ||phi0| - pi/2| within it: the polar aspect
  double polarLatitudeFrom;  // polar aspect: phi is solved when rho >= this, else phi0
  double latitudeAbove;      // other aspects: phi is solved when rho > this, else phi0
  LongitudeGuard guard;
};

constexpr double kNoThreshold = -1;  // rho >= 0 always passes

constexpr AzimuthalKind kKinds[] = {
    {.kind = mpOrthographic, .notReadyForward = 107, .rejected = 106,
     .readiness = Readiness::RadiusNotNaN, .usesHeight = false, .wrapsLongitude = false,
     .centreShortcut = false, .afterNotReady = Leaves::Input,
     .afterRejection = Rejected::MinusOne, .scale = OrthographicScale,
     .notReadyInverse = 111, .outOfRange = 110, .negativeHeight = 0,
     .inRange = [](double rho, double R, double) { return rho <= R; },
     .distance = [](double rho, double R, double) { return SafeArcSin(rho / R); },
     .centre = 0.1, .centreInclusive = false, .polarBand = 1e-9,
     .polarLatitudeFrom = 1, .latitudeAbove = 0.5, .guard = LongitudeGuard::None},
    {.kind = mpStereographic, .notReadyForward = 380, .rejected = 382,
     .readiness = Readiness::Radius, .usesHeight = false, .wrapsLongitude = true,
     .centreShortcut = false, .afterNotReady = Leaves::MinusOne,
     .afterRejection = Rejected::MinusOne, .scale = StereographicScale,
     // The stereographic has no range code of its own: a pixel at no finite
     // distance is refused with the code of a point that cannot be drawn.
     .notReadyInverse = 381, .outOfRange = 382, .negativeHeight = 0, .inRange = Unbounded,
     .distance = [](double rho, double R, double) { return 2 * std::atan(rho / (2 * R)); },
     .centre = 1e-9, .centreInclusive = true, .polarBand = 1e-9,
     .polarLatitudeFrom = kNoThreshold, .latitudeAbove = kNoThreshold,
     .guard = LongitudeGuard::NearZero},
    {.kind = mpGnomonic, .notReadyForward = 280, .rejected = 282,
     .readiness = Readiness::Radius, .usesHeight = false, .wrapsLongitude = true,
     .centreShortcut = false, .afterNotReady = Leaves::MinusOne,
     .afterRejection = Rejected::MinusOne, .scale = GnomonicScale,
     .notReadyInverse = 281, .outOfRange = 282, .negativeHeight = 0, .inRange = Unbounded,
     .distance = [](double rho, double R, double) { return std::atan(rho / R); },
     .centre = 1e-9, .centreInclusive = true, .polarBand = 1e-9,
     .polarLatitudeFrom = kNoThreshold, .latitudeAbove = kNoThreshold,
     .guard = LongitudeGuard::None},
    // mpAzimuthalEA is the azimuthal *equidistant* projection, in both directions.
    {.kind = mpAzimuthalEA, .notReadyForward = 220, .rejected = 228,
     .readiness = Readiness::Radius, .usesHeight = false, .wrapsLongitude = true,
     .centreShortcut = true, .afterNotReady = Leaves::Input,
     .afterRejection = Rejected::MinusOne, .scale = EquidistantScale,
     .notReadyInverse = 221, .outOfRange = 227, .negativeHeight = 0,
     .inRange = [](double rho, double R, double) { return rho <= kPi * R; },
     .distance = [](double rho, double R, double) { return rho / R; },
     .centre = 0.01, .centreInclusive = false, .polarBand = 1e-7,
     .polarLatitudeFrom = 1, .latitudeAbove = 1e-6, .guard = LongitudeGuard::None},
    {.kind = mpLaAzimuthalEA, .notReadyForward = 230, .rejected = 238,
     .readiness = Readiness::Radius, .usesHeight = false, .wrapsLongitude = true,
     .centreShortcut = true, .afterNotReady = Leaves::Input,
     .afterRejection = Rejected::Centre, .scale = EqualAreaScale,
     .notReadyInverse = 231, .outOfRange = 237, .negativeHeight = 0,
     .inRange = [](double rho, double R, double) { return rho / (2 * R) <= 1; },
     .distance = [](double rho, double R, double) { return 2 * SafeArcSin(rho / (2 * R)); },
     .centre = 0.01, .centreInclusive = true, .polarBand = 1e-9,
     .polarLatitudeFrom = kNoThreshold, .latitudeAbove = kNoThreshold,
     .guard = LongitudeGuard::ExactlyZero},
    {.kind = mpGvnsp, .notReadyForward = 200, .rejected = 202,
     .readiness = Readiness::RadiusAndHeight, .usesHeight = true, .wrapsLongitude = true,
     .centreShortcut = false, .afterNotReady = Leaves::MinusOne,
     .afterRejection = Rejected::MinusOne, .scale = PerspectiveScale,
     .notReadyInverse = 201, .outOfRange = 203, .negativeHeight = 204,
     // The horizon circle lies at r = sqrt((P - 1)/(P + 1)).
     .inRange = [](double rho, double R, double P) { return rho / R <= std::sqrt((P - 1) / (P + 1)); },
     .distance =
         [](double rho, double R, double P) {
           const double r = rho / R;
           const double sinz = (P - std::sqrt(1 - r * r * (P + 1) / (P - 1))) / ((P - 1) / r + r / (P - 1));
           return SafeArcSin(sinz);
         },
     .centre = 1e-9, .centreInclusive = false, .polarBand = 1e-9,
     .polarLatitudeFrom = kNoThreshold, .latitudeAbove = kNoThreshold,
     .guard = LongitudeGuard::NearZero},
};

// Both routines are instantiated per row of the table, so that each kind's
// guards and radial functions are inlined into them rather than called
// through pointers for every point.
template <int Row>
Out AzimuthalForward(const Prepared& k, double lambda, double phi) {
  constexpr const AzimuthalKind& a = kKinds[Row];
  const double phi0 = k.phi0;
  if (a.centreShortcut && phi == phi0 && lambda == k.theta) return Quiet(k.x0, k.y0);
  const double dlam = lambda - k.theta;
  const double sphi = std::sin(phi), cphi = std::cos(phi);
  const Centre& o = k.Family<Centre>();
  const double sphi0 = o.sphi0, cphi0 = o.cphi0;
  const double cdlam = std::cos(dlam);
  const Sight s{.g = sphi0 * sphi + cphi0 * cphi * cdlam,
                .P = a.usesHeight ? o.P : 0,
                .lambda = lambda, .sphi = sphi, .cphi = cphi,
                .cx = o.cx, .cy = o.cy, .cz = o.cz};
  double scale = 0;
  if (!a.scale(s, scale)) {
    if (a.afterRejection == Rejected::Centre) return Result(k.x0, k.y0, a.rejected);
    return Result(-1, -1, a.rejected);
  }
  return k.ToPixels(scale * cphi * std::sin(dlam), scale * (cphi0 * sphi - sphi0 * cphi * cdlam));
}

// What the inverse of a pixel works out from its distance to the centre and
// its row alone: the same for its mirror image across the central column.
struct Radial {
  double sz, phi;
  double across;  // away from the poles: cos z - sin phi0 sin phi
};

template <int Row>
Out AzimuthalInverseShared(const Prepared& k, double x, double y, MirrorShare<Radial>& share) {
  constexpr const AzimuthalKind& a = kKinds[Row];
  const double X = x - k.x0, Y = k.y0 - y;
  const Centre& o = k.Family<Centre>();
  const double R = k.R, H = k.other, P = o.P;
  const double rho = std::sqrt(X * X + Y * Y);
  if (a.negativeHeight != 0 && H < 0) return Result(0, 0, a.negativeHeight);
  if (!a.inRange(rho, R, P)) return Result(0, 0, a.outOfRange);
  const double lambda0 = k.theta, phi0 = k.phi0;
  if (a.centreInclusive ? rho <= a.centre : rho < a.centre) return Result(lambda0, phi0);
  const double sphi0 = o.sphi0, cphi0 = o.cphi0;
  const bool polar = std::fabs(std::fabs(phi0) - kHalfPi) <= a.polarBand;
  const Radial r = share.Get(rho, Y, [&] {
    const double z = a.distance(rho, R, P);
    const double sz = std::sin(z), cz = std::cos(z);
    const bool solved = polar ? rho >= a.polarLatitudeFrom : rho > a.latitudeAbove;
    const double phi = solved ? SafeArcSin(cz * sphi0 + Y * sz * cphi0 / rho) : phi0;
    return Radial{sz, phi, polar ? 0.0 : cz - sphi0 * std::sin(phi)};
  });
  const double phi = r.phi;

  double lambda;
  if (polar) {
    lambda = phi0 >= 0 ? lambda0 + std::atan2(X, -Y) : lambda0 - std::atan2(-X, Y);
  } else {
    // Both arguments carry the factor cos(phi0); a centre beyond the pole
    // (cos(phi0) < 0) turns the arctangent by half a circle, which the
    // correction takes back. Mended for every kind, not only the two that
    // always had it: without it the inverse of a stereographic map centred at
    // phi0 = 120 degrees put every point on the opposite meridian.
    const double across = r.across;
    lambda = lambda0 + std::atan2(X * r.sz * cphi0, across * rho);
    if (cphi0 < 0) lambda += kPi;
    // The equal-area kind's exception holds only at the centre line itself:
    // with across = 0 but X != 0 the point lies a quarter turn from the
    // centre's meridian plane, and the arctangent gives exactly that.
    const bool lost = (a.guard == LongitudeGuard::ExactlyZero && across == 0 && X == 0) ||
                      (a.guard == LongitudeGuard::NearZero && std::fabs(across) < 1e-9 &&
                       std::fabs(X) < 1e-9);
    if (lost) lambda = lambda0;
  }
  return Result(lambda, phi);
}

template <int Row>
constexpr KindEntry Azimuthal() {
  constexpr const AzimuthalKind& a = kKinds[Row];
  return Kind(a.kind, Row, AzimuthalForward<Row>,
              InverseAlone<Radial, AzimuthalInverseShared<Row>>, nullptr, a.notReadyForward,
              a.wrapsLongitude ? kWrapsLongitude : kNoPreStep)
      .Mirrored(InversePair<Radial, AzimuthalInverseShared<Row>>)
      .WithCodes(a.notReadyForward, a.notReadyInverse)
      .ReadyWhen(a.readiness, Readiness::Radius)
      .Leaving(a.afterNotReady, Leaves::Zero)
      .PreparedBy(PrepareCentre);
}

constexpr KindEntry kEntries[] = {Azimuthal<0>(), Azimuthal<1>(), Azimuthal<2>(),
                                  Azimuthal<3>(), Azimuthal<4>(), Azimuthal<5>()};

}  // namespace

std::span<const KindEntry> AzimuthalKinds() { return kEntries; }

}  // namespace gx
