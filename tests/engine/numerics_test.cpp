// The numerical library: ellipsoid selection, series and the solvers' codes.
#include <gtest/gtest.h>

#include <cmath>

#include "conversion/GxConvertL.h"
#include "projection/GxProjectionL.h"

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
  EXPECT_LT(1 - std::pow(p.EllipsoidAxes().ratio, 2), 1e-5);

  // Records beyond the table come from an attached converter only.
  TGxConvertL convert;
  convert.AddEllipsoid(60, {7000000.0, 100.0});
  p.MapInput = 60;
  EXPECT_EQ(p.EllipsoidAxes().a, 6378137.0);
  p.GxConvert = &convert;
  EXPECT_EQ(p.EllipsoidAxes().a, 7000000.0);
  EXPECT_NEAR(p.EllipsoidAxes().ratio, 0.99, 1e-15);
  p.MapInput = 61;  // not in the store: the fallback
  EXPECT_EQ(p.EllipsoidAxes().a, 6378137.0);
}

TEST(Series, KnownValues) {
  const double es = 0.0066943800;
  const double e = std::sqrt(es);
  const double e0 = MeridianE0(es), e1 = MeridianE1(es), e2 = MeridianE2(es),
               e3 = MeridianE3(es);
  EXPECT_EQ(MeridianDistance(e0, e1, e2, e3, 0), 0);
  EXPECT_DOUBLE_EQ(MeridianDistance(e0, e1, e2, e3, kHalfPi), e0 * kHalfPi);
  // Quarter meridian of WGS 84: 10001965.729 m.
  EXPECT_NEAR(MeridianDistance(e0, e1, e2, e3, kHalfPi) * 6378137.0, 10001965.729, 0.01);
  EXPECT_DOUBLE_EQ(MeridianE3(1.0), 0.011393229166666666);
  EXPECT_NEAR(ConformalT(e, 0, 0), 1, 1e-15);
  EXPECT_EQ(AuthalicQ(0, 0.5, 0), 1.0);
  EXPECT_NEAR(AuthalicQ(e, 1, 0), 1.9955311, 1e-7);
  EXPECT_DOUBLE_EQ(ParallelRadiusM(0, 0.5, 0.8), 0.8);
  EXPECT_EQ(SafeArcSin(1.0000001), kHalfPi);
  EXPECT_EQ(SafeArcSin(-3), -kHalfPi);
  EXPECT_EQ(SafeSqrt(-1e-18), 0);
}

TEST(Solvers, CodesAndEdgeValues) {
  TGxProjectionL p;
  const double es = 0.0066943800, e = std::sqrt(es);

  p.LatitudeFromT(e, 1);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_EQ(p.IterLat, 0);
  const double phi = 0.9;
  p.LatitudeFromT(e, ConformalT(e, phi, std::sin(phi)));
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_NEAR(p.IterLat, phi, 1e-9);

  p.IterLat = 7;
  p.LatitudeFromQ(0, 2);  // a pole on the sphere
  EXPECT_EQ(p.ErrorCode, 100000);
  EXPECT_EQ(p.IterLat, 7);
  p.LatitudeFromQ(e, AuthalicQ(e, std::sin(phi), 0));
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_NEAR(p.IterLat, phi, 1e-9);

  p.LatitudeFromMeridian(0, MeridianE0(es), MeridianE1(es), MeridianE2(es), MeridianE3(es));
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_EQ(p.IterLat, 0);
  const double m = MeridianDistance(MeridianE0(es), MeridianE1(es), MeridianE2(es), MeridianE3(es), phi);
  p.LatitudeFromMeridian(m, MeridianE0(es), MeridianE1(es), MeridianE2(es), MeridianE3(es));
  EXPECT_NEAR(p.IterLat, phi, 1e-10);

  p.IterLat = 3;
  p.IterAux = 4;
  p.PolyconicLatitude(es, MeridianE0(es), MeridianE1(es), MeridianE2(es), MeridianE3(es),
                      std::nan(""), 0);
  EXPECT_EQ(p.ErrorCode, 100000);
  EXPECT_EQ(p.IterLat, 3);
  EXPECT_EQ(p.IterAux, 4);
}
