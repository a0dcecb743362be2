// Normal-aspect cylindrical kinds: equirectangular, Braun, Mercator, Miller,
// Gall stereographic and the cylindrical equal-area family.
#include <array>
#include <cmath>

#include "projection/Families.h"

namespace {

using gx::kPi;

// ---- Cylinders with an absolute inverse (equirectangular, Braun) ------------
// x = X0 + R(lambda - lambda0), y = Y0 - R f(phi); the inverse works on
// absolute longitudes and finishes with the strict check and wrap.

struct PlainCylinder {
  int notReadyForward;
  int notReadyInverse;
  int outOfRange;
  double (*y)(double phi);
  double (*phi)(double v);
};

constexpr PlainCylinder kPlain[] = {
    {180, 181, 187, [](double phi) { return phi; }, [](double v) { return v; }},
    {190, 191, 197, [](double phi) { return 2 * std::tan(phi / 2); },
     [](double v) { return 2 * std::atan(0.5 * v); }},
};

void PlainForward(TGxProjectionL& p, int row) {
  const PlainCylinder& c = kPlain[row];
  if (p.NotReady(c.notReadyForward)) return;
  p.WrapLongitude();
  const double phi = p.Y;
  p.X = p.X0 + p.Radius * (p.X - p.Theta);
  p.Y = p.Y0 - p.Radius * c.y(phi);
  p.SetError(0);
}

void PlainInverse(TGxProjectionL& p, int row) {
  const PlainCylinder& c = kPlain[row];
  if (p.NotReady(c.notReadyInverse)) return;
  const double x = p.X, y = p.Y;
  p.X = (x - p.X0 + p.Radius * p.Theta) / p.Radius;
  p.Y = c.phi((p.Y0 - y) / p.Radius);
  p.SetError(p.StrictCheckAndWrap() ? 0 : c.outOfRange);
}

// ---- Cylinders with a relative inverse (Miller, Gall) ------------------------

struct ScaledCylinder {
  int notReadyForward;
  int inverseBase;  // not ready; +1 longitude; +2 latitude
  double xScale;
  double xScaleInverse;
  double (*y)(double phi);
  double (*phi)(double v);
};

constexpr ScaledCylinder kScaled[] = {
    // Miller: Mercator with latitudes scaled by 4/5 and stretched back by 5/4.
    {621, 622, 1.0, 1.0, [](double phi) { return 1.25 * std::log(std::tan(0.4 * phi + kPi / 4)); },
     [](double v) { return 2.5 * (std::atan(std::exp(0.8 * v)) - kPi / 4); }},
    // Gall stereographic: 1/sqrt 2 on x, (1 + sqrt 2 / 2) tan(phi/2) on y.
    {581, 582, 0.70710678118654752, 1.41421356237309505,
     [](double phi) { return std::tan(phi / 2) * 1.70710678118654752; },
     [](double v) { return 2 * std::atan(0.58578643762690495 * v); }},  // 2 - sqrt 2
};

void ScaledForward(TGxProjectionL& p, int row) {
  const ScaledCylinder& c = kScaled[row];
  if (p.NotReady(c.notReadyForward)) return;
  p.CentreLongitude();
  p.X *= c.xScale;
  p.Y = c.y(p.Y);
  p.ToPixels();
  p.SetError(0);
}

void ScaledInverse(TGxProjectionL& p, int row) {
  const ScaledCylinder& c = kScaled[row];
  if (p.NotReady(c.inverseBase)) return;
  p.FromPixels();
  p.X *= c.xScaleInverse;
  p.Y = c.phi(p.Y);
  p.FinishInverse(c.inverseBase, 0);
}

// ---- Mercator on the selected ellipsoid ----------------------------------------

void MercatorForward(TGxProjectionL& p, int) {
  if (!p.NotReady(310)) {
    const auto ax = p.StoreEllipsoidAxes();
    const double e = std::sqrt(1 - ax.ratio * ax.ratio);
    p.WrapLongitude();
    const double phi = p.Y;
    if (std::fabs(std::fabs(phi) - gx::kHalfPi) <= 1e-8) {
      p.SetError(315);
    } else {
      const double t = gx::ConformalT(e, phi, std::sin(phi));
      p.X = p.X0 + p.Radius * (p.X - p.Theta);
      p.Y = p.Y0 + p.Radius * std::log(t);
      p.SetError(0);
    }
  }
  if (p.ErrorCode != 0) {
    p.X = -1;
    p.Y = -1;
  }
}

void MercatorInverse(TGxProjectionL& p, int) {
  double lambda = 0, phi = 0;
  const double u = p.X - p.X0, v = p.Y0 - p.Y;
  if (p.NotReady(311)) {
  } else if (std::fabs(u) > kPi * p.Radius) {
    p.SetError(316);
  } else {
    const auto ax = p.StoreEllipsoidAxes();
    const double e = std::sqrt(1 - ax.ratio * ax.ratio);
    const double t = std::exp(-v / p.Radius);
    lambda = u / p.Radius + p.Theta;
    p.LatitudeFromT(e, t);
    if (p.ErrorCode != 0) {
      p.SetError(316);
    } else {
      phi = p.IterLat;
      p.SetError(0);
    }
  }
  p.X = lambda;
  p.Y = phi;
}

// ---- Cylindrical equal-area family -----------------------------------------------
// One projection with the standard parallel as the only difference; x carries no
// cos(phi_s) factor, so the members differ in their height alone.

struct EqualAreaMember {
  double standardParallelDeg;
  int base;  // +1 forward not ready; +2 inverse not ready; +3 no latitude; +4 out of range
};

constexpr EqualAreaMember kEqualArea[] = {
    {0, 410}, {30, 420}, {37.383, 430}, {44.138, 440}, {45, 450}, {50, 460},
};

// The cosines of the standard parallels, computed once.
const std::array<double, std::size(kEqualArea)>& EqualAreaCosines() {
  static const auto cosines = [] {
    std::array<double, std::size(kEqualArea)> c{};
    for (std::size_t i = 0; i < c.size(); ++i)
      c[i] = std::cos(kEqualArea[i].standardParallelDeg * gx::kDegToRad);
    return c;
  }();
  return cosines;
}

void EqualAreaForward(TGxProjectionL& p, int row) {
  if (p.NotReady(kEqualArea[row].base + 1)) return;
  p.WrapLongitude();
  const double phi = p.Y;
  p.X = p.X0 + p.Radius * (p.X - p.Theta);
  p.Y = p.Y0 - p.Radius * std::sin(phi) / EqualAreaCosines()[row];
  // Success reports no code: the 0 of the dispatcher stands, no event fires.
}

void EqualAreaInverse(TGxProjectionL& p, int row) {
  const int base = kEqualArea[row].base;
  if (p.NotReady(base + 2)) return;
  const double y = p.Y;
  p.X = (p.X - p.X0 + p.Radius * p.Theta) / p.Radius;
  const double s = -(y - p.Y0) * EqualAreaCosines()[row] / p.Radius;
  int status = 0;
  if (s > 1 || s < -1) {
    status = 1;  // no latitude has this height; Y keeps the pixel y
  } else {
    p.Y = std::asin(s);
    if (!p.StrictCheckAndWrap()) status = 2;
  }
  p.SetError(status != 0 ? base + 2 + status : 0);
}

constexpr KindRoutines kCylindrical[] = {
    {mpEquirectangular, PlainForward, PlainInverse, 0},
    {mpBStereo, PlainForward, PlainInverse, 1},
    {mpMercator, MercatorForward, MercatorInverse, 0},
    {mpMiller, ScaledForward, ScaledInverse, 0},
    {mpGall, ScaledForward, ScaledInverse, 1},
    {mpLamCylindricalEA, EqualAreaForward, EqualAreaInverse, 0},
    {mpBerCylindricalEA, EqualAreaForward, EqualAreaInverse, 1},
    {mpTristanEdwards, EqualAreaForward, EqualAreaInverse, 2},
    {mpPeters, EqualAreaForward, EqualAreaInverse, 3},
    {mpGallOrth, EqualAreaForward, EqualAreaInverse, 4},
    {mpBalthasart, EqualAreaForward, EqualAreaInverse, 5},
};

}  // namespace

std::span<const KindRoutines> CylindricalRoutines() { return kCylindrical; }
