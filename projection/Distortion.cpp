#include "projection/Distortion.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Steps of the differences, radians. With the first, the truncation error
// of a smooth map (h^2 f'''/6) stays near 1e-10 of the scale, and noise in
// Forward of e units of Radius costs e/h: rounding (1e-16 |x|/Radius) costs
// 1e-11, and the loss of a fold by arcsin(sin a) at a = 90 degrees (the
// interrupted Mollweide's lobes), e = 1e-16/h there, costs 1e-6. Where a
// map is smooth only to first order (Eckert II folds its meridians at the
// equator) the error is about h, 2e-6 there. The wider steps serve only
// where both sides of the narrower are refused, as in the band of 4.5e-5 rad
// around the centre that the azimuthal equidistant and the Lambert
// azimuthal kinds refuse.
constexpr double kSteps[] = {1e-5, 1e-4, 1e-3};

// Two neighbouring slopes that differ by more than this share of their
// sizes have a cut between them. On a smooth map they differ by about
// h |f''|, a millionth of the slope or less away from singular points;
// across a cut one of them is the jump divided by the step, a hundred
// thousand times the slope for a jump of one radius.
constexpr double kCutShare = 0.5;
// Slopes below this many pixels per radian per pixel of Radius are noise:
// rounding makes about 1e-10 R, and the smallest true slope (east, a step
// away from a pole that the map draws as a point) is about 1e-5 R.
constexpr double kSlopeFloor = 1e-7;

// The latitude step can overshoot a pole by rounding; Forward takes such a
// sample as it stands.
constexpr double kPoleSlack = 1e-9;  // degrees

}  // namespace

// The point where the derivatives are taken.
struct TDistortionProbe::Point {
  double lon, lat;  // degrees
  double x, y;      // pixels
  bool exact;       // x, y came from Forward at (lon, lat), not from a hint
};

// A point beside it along one coordinate.
struct TDistortionProbe::Sample {
  double x = 0, y = 0;  // pixels
  double t = 0;         // the offset actually taken, radians, signed
  double offset = 0;    // the offset asked for, degrees, signed
  bool ok = false;
};

namespace {

// Longitudes as Forward brings them within one turn of the centre.
double Wrapped(double lonDeg) {
  return std::fabs(lonDeg) <= 180.0 ? lonDeg : std::remainder(lonDeg, 360.0);
}

// How far from a pole the differences are taken: where the map has a
// singular point there (the apex of a cone, whose scale grows without
// bound), the step must be small beside this distance, or the differences
// would reach into the singularity; at 100 steps they are off by about
// 1e-4. Where the map is smooth at the pole (a polar azimuthal map) the
// values change by about 1e-7 over this distance, and it lies outside the
// band that the azimuthal kinds refuse around their centre.
constexpr double kPoleOffset = 1e-3;  // radians
const double kPoleLimit = 90.0 - kPoleOffset * gx::kRadToDeg;

bool IsNearPole(double latDeg) { return std::fabs(latDeg) > kPoleLimit; }

struct Knot {
  double x, y, t;
};

double Length(double dx, double dy) { return std::sqrt(dx * dx + dy * dy); }

// True when the slopes a->b and b->c disagree as across a cut (lengths
// compared squared: the test runs for every pixel of a distortion map).
bool Kinked(const Knot& a, const Knot& b, const Knot& c, double radius) {
  const double s1x = (b.x - a.x) / (b.t - a.t), s1y = (b.y - a.y) / (b.t - a.t);
  const double s2x = (c.x - b.x) / (c.t - b.t), s2y = (c.y - b.y) / (c.t - b.t);
  const double dx = s1x - s2x, dy = s1y - s2y, floor = kSlopeFloor * radius;
  return !(dx * dx + dy * dy <=
           kCutShare * kCutShare * (s1x * s1x + s1y * s1y + s2x * s2x + s2y * s2y) + floor * floor);
}

}  // namespace

TDistortionProbe::TDistortionProbe(const TGxProjectionL& p) : q_(p) {
  q_.DropHandlers();
  q_.GxConvert = nullptr;
  // Grid kinds take metres, and mpPutnins2 projects nothing: neither has a
  // distortion to speak of.
  usable_ = ListPositionOf(q_.Projection) >= kFirstListedPosition && std::isfinite(q_.Radius) &&
            q_.Radius > 0;
}

bool TDistortionProbe::Project(double lonDeg, double latDeg, double& x, double& y) {
  q_.Forward(lonDeg, latDeg);
  if (q_.ErrorCode != 0 || !std::isfinite(q_.X) || !std::isfinite(q_.Y)) return false;
  x = q_.X;
  y = q_.Y;
  return true;
}

bool TDistortionProbe::Locate(Point& c) {
  c.exact = Project(c.lon, c.lat, c.x, c.y);
  return c.exact;
}

TDistortionProbe::Sample TDistortionProbe::Beside(const Point& c, int axis, double offsetDeg) {
  Sample s;
  s.offset = offsetDeg;
  double lon = c.lon, lat = c.lat;
  if (axis == 0) {
    lon += offsetDeg;
    s.t = (lon - c.lon) * gx::kDegToRad;
  } else {
    lat += offsetDeg;
    if (std::fabs(lat) > 90.0 + kPoleSlack) return s;
    s.t = (lat - c.lat) * gx::kDegToRad;
  }
  s.ok = s.t != 0 && Project(lon, lat, s.x, s.y);
  return s;
}

// The side `near` alone, with a second sample beyond it for a difference of
// second order when no cut lies between them.
void TDistortionProbe::OneSided(Point& c, int axis, const Sample& near, double& dx, double& dy) {
  const Sample far = Beside(c, axis, 2 * near.offset);
  const Knot k0{c.x, c.y, 0}, k1{near.x, near.y, near.t}, k2{far.x, far.y, far.t};
  if (far.ok && far.t != near.t && !Kinked(k0, k1, k2, q_.Radius)) {
    // The derivative at 0 of the parabola through the three samples.
    const double t1 = near.t, t2 = far.t;
    const double w0 = -(t1 + t2) / (t1 * t2), w1 = t2 / (t1 * (t2 - t1)),
                 w2 = -t1 / (t2 * (t2 - t1));
    dx = w0 * c.x + w1 * near.x + w2 * far.x;
    dy = w0 * c.y + w1 * near.y + w2 * far.y;
  } else {
    dx = (near.x - c.x) / near.t;
    dy = (near.y - c.y) / near.t;
  }
}

// The map's slope (pixels per radian) along the longitude (axis 0) or the
// latitude (axis 1) at c.
bool TDistortionProbe::Slope(Point& c, int axis, double& dx, double& dy) {
  const double radius = q_.Radius;
  for (const double h : kSteps) {
    const double hDeg = h * gx::kRadToDeg;
    const Sample plus = Beside(c, axis, hDeg), minus = Beside(c, axis, -hDeg);
    if (plus.ok && minus.ok) {
      const Knot lo{minus.x, minus.y, minus.t}, hi{plus.x, plus.y, plus.t};
      bool cut = Kinked(lo, Knot{c.x, c.y, 0}, hi, radius);
      // A hint that is off by more than rounding looks like a cut: the point
      // itself decides.
      if (cut && !c.exact) {
        if (!Locate(c)) return false;
        cut = Kinked(lo, Knot{c.x, c.y, 0}, hi, radius);
      }
      if (!cut) {
        const double t = plus.t - minus.t;
        dx = (plus.x - minus.x) / t;
        dy = (plus.y - minus.y) / t;
        return true;
      }
      // The side across the cut jumps; the gentler side is the map's own.
      const double up = Length(plus.x - c.x, plus.y - c.y) / std::fabs(plus.t);
      const double down = Length(c.x - minus.x, c.y - minus.y) / std::fabs(minus.t);
      OneSided(c, axis, up <= down ? plus : minus, dx, dy);
      return true;
    }
    if (plus.ok || minus.ok) {
      if (!c.exact && !Locate(c)) return false;
      OneSided(c, axis, plus.ok ? plus : minus, dx, dy);
      return true;
    }
  }
  return false;
}

// At a pole the east direction ends: the values there are those a little
// beside it.
bool TDistortionProbe::LeavePole(Point& c) {
  if (!IsNearPole(c.lat)) return true;
  c.lat = std::copysign(kPoleLimit, c.lat);
  return Locate(c);
}

bool TDistortionProbe::Evaluate(Point& c, TDistortion& d) {
  double lonX, lonY, latX, latY;
  if (!Slope(c, 0, lonX, lonY) || !Slope(c, 1, latX, latY)) return false;
  // A kind that projects an ellipsoid has left its axis ratio in AxisRatio
  // during the Forward calls above.
  ratio_ = q_.AxisRatio;
  ratioKnown_ = true;
  return FromSlopes(c.lat, lonX, lonY, latX, latY, c.x, c.y, d);
}

double TDistortionProbe::Ratio(double lonDeg, double latDeg) {
  if (!ratioKnown_) {
    q_.AxisRatio = std::numeric_limits<double>::quiet_NaN();
    double x, y;
    Project(lonDeg, latDeg, x, y);
    ratio_ = q_.AxisRatio;
    ratioKnown_ = true;
  }
  return ratio_;
}

bool TDistortionProbe::FromInverseSlopes(double lonDeg, double latDeg, double x, double y,
                                         double lonX, double lonY, double latX, double latY,
                                         TDistortion& d) {
  if (!usable_ || !std::isfinite(lonDeg) || !(std::fabs(latDeg) < 90.0)) return false;
  // The forward's derivatives are the inverse of the inverse's matrix.
  const double det = lonX * latY - lonY * latX;
  if (!(std::fabs(det) > 0) || !std::isfinite(det)) return false;
  Ratio(lonDeg, latDeg);
  return FromSlopes(latDeg, latY / det, -latX / det, -lonY / det, lonX / det, x, y, d);
}

bool TDistortionProbe::FromSlopes(double latDeg, double lonX, double lonY, double latX,
                                  double latY, double x, double y, TDistortion& d) {
  // The globe's lengths of a radian of longitude and of latitude, in units
  // of the semi-major axis: the radius of the parallel and the radius of
  // curvature of the meridian.
  const double ratio = ratio_;
  if (!(latDeg == trigLat_)) {
    const double phi = latDeg * gx::kDegToRad;
    cosLat_ = std::cos(phi);
    sinLat_ = std::sin(phi);
    trigLat_ = latDeg;
  }
  double east = cosLat_ * q_.Radius, north = q_.Radius;
  if (ratio > 0 && ratio < 1) {
    const double es = 1 - ratio * ratio, sphi = sinLat_;
    const double w = 1 - es * sphi * sphi, root = std::sqrt(w);
    east /= root;
    north *= (1 - es) / (w * root);
  }

  // Map y grows downward; the plane's v grows northward.
  const double eu = lonX / east, ev = -lonY / east;
  const double nu = latX / north, nv = -latY / north;
  // The singular values of the 2 x 2 map [E N], free of the cancellation
  // that a - b suffers on a nearly conformal map: a + b and |a - b| are
  // the lengths of these two vectors (swapped on a mirrored map).
  const double p = Length(eu + nv, ev - nu), q = Length(eu - nv, ev + nu);
  if (!(p + q > 0) || !std::isfinite(p + q)) return false;
  d.A = 0.5 * (p + q);
  d.B = 0.5 * std::fabs(p - q);
  d.Area = std::fabs(eu * nv - nu * ev);
  d.EastU = eu;
  d.EastV = ev;
  d.NorthU = nu;
  d.NorthV = nv;
  d.X = x;
  d.Y = y;
  return std::isfinite(d.Area);
}

double TDistortion::Angle() const { return A + B > 0 ? 2 * std::asin((A - B) / (A + B)) : 0; }

double TDistortion::Azimuth() const {
  // The eigenvector of the larger eigenvalue of [E N]^T [E N], as an angle
  // from east towards north, turned into an azimuth.
  const double theta = 0.5 * std::atan2(2 * (EastU * NorthU + EastV * NorthV),
                                        (EastU * EastU + EastV * EastV) -
                                            (NorthU * NorthU + NorthV * NorthV));
  const double azimuth = gx::kHalfPi - theta;
  return azimuth >= gx::kPi ? azimuth - gx::kPi : azimuth;
}

bool TDistortionProbe::At(double lonDeg, double latDeg, TDistortion& d) {
  if (!usable_ || !std::isfinite(lonDeg) || !(std::fabs(latDeg) <= 90.0)) return false;
  Point c{Wrapped(lonDeg), latDeg, 0, 0, false};
  q_.AxisRatio = std::numeric_limits<double>::quiet_NaN();
  // The point must be on the map.
  if (!Locate(c)) return false;
  if (!LeavePole(c)) return false;
  return Evaluate(c, d);
}

bool TDistortionProbe::At(double lonDeg, double latDeg, double x, double y, TDistortion& d) {
  if (!usable_ || !std::isfinite(lonDeg) || !(std::fabs(latDeg) <= 90.0) || !std::isfinite(x) ||
      !std::isfinite(y))
    return false;
  Point c{Wrapped(lonDeg), latDeg, x, y, false};
  q_.AxisRatio = std::numeric_limits<double>::quiet_NaN();
  // A pole is the one place where the hint is not taken on trust: the point
  // moves, and a map that refuses the pole (Mercator) has no value there.
  if (IsNearPole(c.lat) && (!Locate(c) || !LeavePole(c))) return false;
  return Evaluate(c, d);
}
