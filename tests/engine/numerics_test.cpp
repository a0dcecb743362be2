// The numerical library: ellipsoid selection, series and the solvers' codes.
#include "EngineTest.h"

#include "conversion/GxConvertL.h"

using namespace gx;

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

  // Records beyond the table come from an attached converter only.
  TGxConvertL convert;
  convert.AddEllipsoid(60, {7000000.0, 100.0});
  p.MapInput = 60;
  p.GxConvert = &convert;
  EXPECT_EQ(p.EllipsoidAxes().a, 7000000.0);
  EXPECT_NEAR(p.EllipsoidAxes().ratio, 0.99, 1e-15);
  p.MapInput = 61;  // not in the store: the fallback
  EXPECT_EQ(p.EllipsoidAxes().a, 6378137.0);
  convert.AddEllipsoid(220, {7000000.0, 100.0});
  p.MapInput = 220;  // the component's initial index never asks the converter
  EXPECT_EQ(p.EllipsoidAxes().a, 6378137.0);
}

TEST(Series, KnownValues) {
  const double es = 0.0066943800, e = std::sqrt(es);
  const double e0 = MeridianE0(es), e1 = MeridianE1(es), e2 = MeridianE2(es), e3 = MeridianE3(es);
  // WGS 84 meridian arcs to 30, 45 and 90 degrees, by Simpson's rule on
  // a (1 - e^2) / (1 - e^2 sin^2)^(3/2) (python3): each latitude weighs other terms.
  const double arcs[][2] = {{30, 3320113.397942822}, {45, 4984944.377980778}, {90, 10001965.729314812}};
  for (const auto& [deg, metres] : arcs)
    EXPECT_NEAR(MeridianDistance(e0, e1, e2, e3, deg * kDegToRad) * 6378137.0, metres, 1e-3) << deg;
  EXPECT_NEAR(ConformalT(e, 0, 0), 1, 1e-15);
  EXPECT_EQ(AuthalicQ(0, 0.5, 0), 1.0);  // 2 sin(phi) on the sphere
  EXPECT_NEAR(AuthalicQ(e, 1, 0), 1.9955311, 1e-7);
  EXPECT_DOUBLE_EQ(ParallelRadiusM(0, 0.5, 0.8), 0.8);
  // A sine pushed past 1 by rounding gives the pole, not NaN.
  EXPECT_EQ(SafeArcSin(1.0000001), kHalfPi);
  EXPECT_EQ(SafeArcSin(-3), -kHalfPi);
  EXPECT_EQ(SafeSqrt(-1e-18), 0);
}

TEST(Solvers, CodesAndEdgeValues) {
  TGxProjectionL p;
  const double es = 0.0066943800, e = std::sqrt(es), phi = 0.9;
  const double e0 = MeridianE0(es), e1 = MeridianE1(es), e2 = MeridianE2(es), e3 = MeridianE3(es);

  p.LatitudeFromT(e, 1);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_EQ(p.IterLat, 0);
  p.LatitudeFromT(e, ConformalT(e, phi, std::sin(phi)));
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_NEAR(p.IterLat, phi, 1e-9);

  p.IterLat = 7;
  p.LatitudeFromQ(0, 2);  // a pole on the sphere
  EXPECT_EQ(p.ErrorCode, kSolverNoConvergenceBig);
  EXPECT_EQ(p.IterLat, 7);
  p.LatitudeFromQ(e, AuthalicQ(e, std::sin(phi), 0));
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_NEAR(p.IterLat, phi, 1e-9);

  p.LatitudeFromMeridian(0, e0, e1, e2, e3);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_EQ(p.IterLat, 0);
  p.LatitudeFromMeridian(MeridianDistance(e0, e1, e2, e3, phi), e0, e1, e2, e3);
  EXPECT_NEAR(p.IterLat, phi, 1e-10);

  p.IterLat = 3;
  p.IterAux = 4;
  p.PolyconicLatitude(es, e0, e1, e2, e3, std::nan(""), 0);
  EXPECT_EQ(p.ErrorCode, kSolverNoConvergenceBig);
  EXPECT_EQ(p.IterLat, 3);
  EXPECT_EQ(p.IterAux, 4);
}
