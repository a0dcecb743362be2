// Normal-aspect cylindrical kinds: equirectangular, Braun, Mercator, Miller,
// Gall stereographic and the cylindrical equal-area family.
//
// On a cylinder the latitude of a pixel depends on its row alone, so every
// inverse here is written as a row part and a column part: the colour pass
// pays for the row part once per row.
#include <array>
#include <cmath>

#include "projection/Kernel.h"

namespace gx {
namespace {

// ---- Cylinders with an absolute inverse (equirectangular, Braun) ------------
// x = X0 + R(lambda - lambda0), y = Y0 - R f(phi); the inverse works on
// absolute longitudes and finishes with the strict check and wrap.
// Codes: F not ready (forward), F + 1 not ready (inverse), F + 7 out of range.

struct PlainCylinder {
  int F;
  double (*y)(double phi);
  double (*phi)(double v);
};

constexpr int kPlainOutOfRange = 7;

constexpr PlainCylinder kPlain[] = {
    {180, [](double phi) { return phi; }, [](double v) { return v; }},
    {190, [](double phi) { return 2 * std::tan(phi / 2); },
     [](double v) { return 2 * std::atan(0.5 * v); }},
};

Out PlainForward(const Prepared& k, double lambda, double phi) {
  const PlainCylinder& c = kPlain[k.Row()];
  return Result(k.x0 + k.R * (lambda - k.theta), k.y0 - k.R * c.y(phi));
}

void PlainRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const PlainCylinder& c = kPlain[k.Row()];
  const double phi = c.phi((k.y0 - y) / k.R);
  for (int i = 0; i < count; ++i) {
    double lambda = (PixelAt(x0, first + i) - k.x0 + k.R * k.theta) / k.R;
    const bool ok = k.StrictCheckAndWrap(lambda, phi);
    out[i] = Result(lambda, phi, ok ? 0 : c.F + kPlainOutOfRange);
  }
}

// ---- Cylinders with a relative inverse (Miller, Gall) ------------------------
// Codes: F not ready (forward), F + 1 not ready (inverse), then F + 1 + 1 a
// longitude and F + 1 + 2 a latitude out of range.

struct ScaledCylinder {
  int F;
  double xScale;
  double xScaleInverse;
  double (*y)(double phi);
  double (*phi)(double v);
};

constexpr ScaledCylinder kScaled[] = {
    // Miller: Mercator with latitudes scaled by 4/5 and stretched back by 5/4.
    {621, 1.0, 1.0, [](double phi) { return 1.25 * std::log(std::tan(0.4 * phi + kPi / 4)); },
     [](double v) { return 2.5 * (std::atan(std::exp(0.8 * v)) - kPi / 4); }},
    // Gall stereographic: 1/sqrt 2 on x, (1 + sqrt 2 / 2) tan(phi/2) on y.
    {581, 0.70710678118654752, 1.41421356237309505,
     [](double phi) { return std::tan(phi / 2) * 1.70710678118654752; },
     [](double v) { return 2 * std::atan(0.58578643762690495 * v); }},  // 2 - sqrt 2
};

Out ScaledForward(const Prepared& k, double lambda, double phi) {
  const ScaledCylinder& c = kScaled[k.Row()];
  return k.ToPixels((lambda - k.theta) * c.xScale, c.y(phi));
}

void ScaledRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const ScaledCylinder& c = kScaled[k.Row()];
  const double phi = c.phi(k.UnitY(y));
  for (int i = 0; i < count; ++i)
    out[i] = k.Finish(c.F + 1, 0, k.UnitX(PixelAt(x0, first + i)) * c.xScaleInverse, phi);
}

// ---- Mercator on the selected ellipsoid ----------------------------------------
// Codes: 310 not ready (forward), 311 (inverse), 315 the pole, 316 out of
// range or no latitude.

constexpr int kMercator = 310;
constexpr int kMercatorPole = 5, kMercatorRange = 6;

Out MercatorForward(const Prepared& k, double lambda, double phi) {
  if (std::fabs(std::fabs(phi) - kHalfPi) <= 1e-8)
    return WithAxes(Result(-1, -1, kMercator + kMercatorPole));
  const double t = ConformalT(k.shape.e, phi, std::sin(phi));
  return WithAxes(Result(k.x0 + k.R * (lambda - k.theta), k.y0 + k.R * std::log(t)));
}

// The latitude is solved for the first pixel of the row that needs it: a
// row, or a single pixel, beyond the map's sides needs none.
void MercatorRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const double v = k.y0 - y;
  Solved lat{0, 0};
  bool solved = false;
  for (int i = 0; i < count; ++i) {
    const double u = PixelAt(x0, first + i) - k.x0;
    if (std::fabs(u) > kPi * k.R) {
      out[i] = Result(0, 0, kMercator + kMercatorRange);
      continue;
    }
    if (!solved) {
      lat = LatitudeFromT(k.shape.e, std::exp(-v / k.R));
      solved = true;
    }
    const double lambda = u / k.R + k.theta;
    // No latitude limit applies: any y is accepted.
    out[i] = WithIterLat(WithAxes(lat.status != 0 ? Result(lambda, 0, kMercator + kMercatorRange)
                                                  : Result(lambda, lat.value)),
                         lat.value);
  }
}

// ---- Cylindrical equal-area family -----------------------------------------------
// One projection with the standard parallel as the only difference; x carries no
// cos(phi_s) factor, so the members differ in their height alone. Codes: B + 1
// not ready (forward), B + 2 (inverse), B + 3 no latitude, B + 4 out of range.

struct EqualAreaMember {
  double standardParallelDeg;
  int B;
};

constexpr EqualAreaMember kEqualArea[] = {
    {0, 410}, {30, 420}, {37.383, 430}, {44.138, 440}, {45, 450}, {50, 460},
};

// The cosines of the standard parallels, computed once.
const std::array<double, std::size(kEqualArea)>& EqualAreaCosines() {
  static const auto cosines = [] {
    std::array<double, std::size(kEqualArea)> c{};
    for (std::size_t i = 0; i < c.size(); ++i)
      c[i] = std::cos(kEqualArea[i].standardParallelDeg * kDegToRad);
    return c;
  }();
  return cosines;
}

// Success reports no code: the frame's 0 stands, no event fires.
Out EqualAreaForward(const Prepared& k, double lambda, double phi) {
  return Quiet(k.x0 + k.R * (lambda - k.theta), k.y0 - k.R * std::sin(phi) / EqualAreaCosines()[k.Row()]);
}

void EqualAreaRows(const Prepared& k, double y, RowPixels x0, int first, int count, Out* out) {
  const int B = kEqualArea[k.Row()].B;
  const double s = -(y - k.y0) * EqualAreaCosines()[k.Row()] / k.R;
  // No latitude has this height: the pixel's y stays.
  const bool none = s > 1 || s < -1;
  const double phi = none ? y : std::asin(s);
  for (int i = 0; i < count; ++i) {
    double lambda = (PixelAt(x0, first + i) - k.x0 + k.R * k.theta) / k.R;
    int status = 1;
    if (!none) status = k.StrictCheckAndWrap(lambda, phi) ? 0 : 2;
    out[i] = Result(lambda, phi, status != 0 ? B + 2 + status : 0);
  }
}

// ---- The family's kinds ------------------------------------------------------------

template <RowKernel Rows>
constexpr KindEntry Cylinder(TProjection kind, int row, ForwardKernel forward, int F) {
  return Kind(kind, row, forward, InverseThroughRow<Rows>, Rows, F, kWrapsLongitude);
}

constexpr KindEntry kKinds[] = {
    Cylinder<PlainRows>(mpEquirectangular, 0, PlainForward, kPlain[0].F),
    Cylinder<PlainRows>(mpBStereo, 1, PlainForward, kPlain[1].F),
    Cylinder<MercatorRows>(mpMercator, 0, MercatorForward, kMercator)
        .Ellipsoidal()
        .Leaving(Leaves::MinusOne, Leaves::Zero),
    Cylinder<ScaledRows>(mpMiller, 0, ScaledForward, kScaled[0].F),
    Cylinder<ScaledRows>(mpGall, 1, ScaledForward, kScaled[1].F),
    Cylinder<EqualAreaRows>(mpLamCylindricalEA, 0, EqualAreaForward, kEqualArea[0].B + 1),
    Cylinder<EqualAreaRows>(mpBerCylindricalEA, 1, EqualAreaForward, kEqualArea[1].B + 1),
    Cylinder<EqualAreaRows>(mpTristanEdwards, 2, EqualAreaForward, kEqualArea[2].B + 1),
    Cylinder<EqualAreaRows>(mpPeters, 3, EqualAreaForward, kEqualArea[3].B + 1),
    Cylinder<EqualAreaRows>(mpGallOrth, 4, EqualAreaForward, kEqualArea[4].B + 1),
    Cylinder<EqualAreaRows>(mpBalthasart, 5, EqualAreaForward, kEqualArea[5].B + 1),
};

}  // namespace

std::span<const KindEntry> CylindricalKinds() { return kKinds; }

}  // namespace gx
