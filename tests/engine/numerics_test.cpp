// The numerical library: ellipsoid selection, series and the solvers' codes.
#include "EngineTest.h"

#include "conversion/GxConvertL.h"
#include "projection/Numerics.h"

using namespace gx;

namespace {
// WGS 84's eccentricity and meridian series.
const double es = 0.0066943800, e = std::sqrt(es), kNaN = std::nan("");
const double e0 = MeridianE0(es), e1 = MeridianE1(es), e2 = MeridianE2(es), e3 = MeridianE3(es);
}  // namespace

// WGS 84 for every index outside the table, records beyond it only from an
// attached converter, and never for the component's initial index.
TEST(Ellipsoid, SelectionRules) {
  TGxProjectionL p;
  const double wgs84 = 1 - 1 / 298.2572236;
  for (int m : {220, 250, 52, 60, -1, -2147483647 - 1}) {
    p.MapInput = m;
    EXPECT_NEAR(p.EllipsoidAxes().ratio, wgs84, 1e-15) << m;
    EXPECT_EQ(p.EllipsoidAxes().a, 6378137.0) << m;
  }
  p.MapInput = 22;  // International 1924
  EXPECT_EQ(p.EllipsoidAxes().a, 6378388.0);
  EXPECT_NEAR(p.SemiMinorAxis(), 6378388.0 - 6378388.0 / 297.0, 1e-6);
  p.MapInput = 31;  // b = a - 1 m
  EXPECT_NEAR(p.SemiMinorAxis(), 6378136.0, 1e-9);
  TGxConvertL convert;
  convert.AddEllipsoid(60, {7000000.0, 100.0});
  p.GxConvert = &convert;
  p.MapInput = 61;  // not in the converter's store either: the fallback
  EXPECT_EQ(p.EllipsoidAxes().a, 6378137.0);
  convert.AddEllipsoid(220, {7000000.0, 100.0});
  p.MapInput = 220;  // the component's initial index never asks the converter
  EXPECT_EQ(p.EllipsoidAxes().a, 6378137.0);
}

// WGS 84 meridian arcs to 30, 45 and 90 degrees, by Simpson's rule on
// a (1 - e^2) / (1 - e^2 sin^2)^(3/2) (python3): each latitude weighs other terms.
TEST(Series, KnownValues) {
  const double arcs[][2] = {{30, 3320113.397942822}, {45, 4984944.377980778}, {90, 10001965.729314812}};
  for (const auto& [deg, metres] : arcs)
    EXPECT_NEAR(MeridianDistance(e0, e1, e2, e3, deg * kDegToRad) * 6378137.0, metres, 1e-3) << deg;
  EXPECT_NEAR(AuthalicQ(e, 1, 0), 1.9955311, 1e-7);
  // A sine pushed past 1 by rounding gives the pole, not NaN.
  EXPECT_EQ(SafeArcSin(1.0000001), kHalfPi);
  EXPECT_EQ(SafeArcSin(-3), -kHalfPi);
  EXPECT_EQ(SafeSqrt(-1e-18), 0);
}

// The component's wrappers store a converged latitude (and h) and keep the
// previous ones when the solver fails; the conformal one leaves 0 then. Codes
// from 10000 up are the solvers' markers: no event fires for them.
TEST(Solvers, ComponentWrappersKeepTheLatitudeOnFailure) {
  TGxProjectionL p = MakeReady(mpMercator, 30);
  const double phi = 0.9;
  const auto expect = [&p](const char* what, int code, double lat, double within) {
    EXPECT_TRUE(p.ErrorCode == code && std::fabs(p.IterLat - lat) <= within)
        << what << ": " << p.ErrorCode << " " << p.IterLat;
  };
  p.LatitudeFromT(e, 1);
  expect("t of the equator", 0, 0, 0);
  p.LatitudeFromT(e, ConformalT(e, phi, std::sin(phi)));
  expect("t", 0, phi, 1e-9);
  p.IterLat = 7;
  p.LatitudeFromQ(0, 2);
  expect("q of a pole on the sphere", kSolverNoConvergenceBig, 7, 0);
  p.LatitudeFromQ(e, AuthalicQ(e, std::sin(phi), 0));
  expect("q", 0, phi, 1e-9);
  p.LatitudeFromMeridian(0, e0, e1, e2, e3);
  expect("M of the equator", 0, 0, 0);
  p.LatitudeFromMeridian(MeridianDistance(e0, e1, e2, e3, phi), e0, e1, e2, e3);
  expect("M", 0, phi, 1e-10);
  p.IterLat = 3;
  p.IterAux = 4;
  p.PolyconicLatitude(es, e0, e1, e2, e3, kNaN, 0);
  expect("polyconic NaN", kSolverNoConvergenceBig, 3, 0);
  EXPECT_EQ(p.IterAux, 4);
  EventLog log;
  log.Attach(p);
  for (int code : {0, 10000, 9999}) p.SetError(code);
  p.LatitudeFromT(0.08, kNaN);
  expect("t NaN", kSolverNoConvergence, 0, 0);
  EXPECT_EQ(log.errors, (std::vector<int>{0, 9999}));
}

// The pure solvers: value and status for a table of inputs, non-convergence
// included. Expected latitudes come from the forward functions (the solver
// must undo them), not from the solvers themselves.
TEST(Solvers, ValuesAndStatusesForATableOfInputs) {
  const double at30 = 30 * kDegToRad, at45 = 45 * kDegToRad, at60 = 60 * kDegToRad, south80 = -80 * kDegToRad;
  const auto q = [](double phi) { return AuthalicQ(e, std::sin(phi), 0); };
  const auto arc = [](double phi) { return MeridianDistance(e0, e1, e2, e3, phi); };
  const int none = kSolverNoConvergenceBig;
  struct Case { const char* what; Solved got; double latitude /* NaN: not checked */; int status; };
  const Case cases[] = {
      {"q at 30 deg", LatitudeFromQ(e, q(at30)), at30, 0},
      {"q at -80 deg", LatitudeFromQ(e, q(south80)), south80, 0},
      {"q on the sphere", LatitudeFromQ(0, 1.0), at30, 0},
      {"q beyond the pole", LatitudeFromQ(e, 2.5), kNaN, none},
      {"q NaN", LatitudeFromQ(e, kNaN), kNaN, none},
      {"t at 45 deg", LatitudeFromT(e, ConformalT(e, at45, std::sin(at45))), at45, 0},
      {"M at 60 deg", LatitudeFromMeridian(arc(at60), e0, e1, e2, e3), at60, 0},
      {"M NaN", LatitudeFromMeridian(kNaN, e0, e1, e2, e3), kNaN, none},
      // One pass cannot reach 1e-10 from M itself at 60 degrees.
      {"M, one pass", MeridianLatitude(arc(at60), e0, e1, e2, e3, 1, 1e-10), kNaN, none},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.got.status, c.status) << c.what;
    if (!std::isnan(c.latitude)) { EXPECT_NEAR(c.got.value, c.latitude, 1e-10) << c.what; }
  }
  // The polyconic: its latitude and h = tan(phi) sqrt(1 - es sin^2 phi) at
  // a point of the 45 degree parallel, 10 degrees from the central meridian.
  const double sp = std::sin(at45), m = ParallelRadiusM(e, sp, std::cos(at45)), E = 10 * kDegToRad * sp;
  const double x = m * std::sin(E) / sp, y = arc(at45) + m * (1 - std::cos(E)) / sp;
  const PolyconicSolved p = PolyconicLatitude(es, e0, e1, e2, e3, y, y * y + x * x);
  EXPECT_EQ(p.status, 0);
  EXPECT_NEAR(p.value, at45, 1e-9);
  EXPECT_NEAR(p.aux, std::tan(at45) * std::sqrt(1 - es * sp * sp), 1e-9);
}
