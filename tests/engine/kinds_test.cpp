// Corner cases of single kinds that a table row cannot state: a parameter
// written back, the cuts between lobes, the azimuthal kinds' far circle.
#include "EngineTest.h"

// Urmaev's factor lies in (0, 1]; the clamped value is written back, by the
// forward and the inverse alike, so that the parameter shown is the one drawn
// with. The pole lies at Cy asin(k).
TEST(Kinds, UrmaevFactorIsClampedAndWrittenBack) {
  const double cases[][2] = {{0, 0.0001}, {-2, 0.0001}, {3, 1}, {NAN, 0.0001}, {0.5, 0.5}};
  for (const auto& [other, used] : cases) {
    TGxProjectionL p = MakeReady(mpUrmaev);
    p.Other = other;
    p.Forward(0, 90);
    EXPECT_TRUE(p.ErrorCode == 0 && p.Other == used) << other;
    EXPECT_TRUE(PairNear(p, p.X0, p.Y0 - p.Radius * 1.139753528477 * std::asin(used), 1e-9)) << other;
    p.Other = other;
    p.Inverse(p.X0, p.Y0 - 10);
    EXPECT_EQ(p.Other, used);
  }
}

// A lobe longitude of 20 deg, 110 deg north or 140 deg south starts a new
// lobe: the boundary point sits with the eastern neighbour, and away from the
// equator the two lobes lie apart. Relative longitude = lobe longitude - 180.
TEST(Kinds, InterruptedMollweideLobeBoundaries) {
  TGxProjectionL p = MakeReady(mpIMollweide);
  p.Radius = 100;
  p.SetTheta(10);
  const auto x = [&p](double lon, double lat) {
    p.Forward(lon, lat);
    return p.X;
  };
  for (auto [relLon, lat] : {std::pair{-160.0, 45.0}, {-70.0, 45.0}, {80.0, 45.0},
                             {-160.0, -45.0}, {-40.0, -45.0}, {110.0, -45.0}}) {
    SCOPED_TRACE(testing::Message() << relLon << " " << lat);
    const double at = x(10 + relLon, lat);
    EXPECT_NEAR(at, x(10 + relLon + 1e-6, lat), 1e-4);
    EXPECT_GT(std::fabs(at - x(10 + relLon - 1e-6, lat)), 10);
  }
  EXPECT_NEAR(x(10, 30), x(10.001, 30), 0.01);  // the centre meridian lies inside lobe 1
}

// Points a quarter circle from the centre (used to be refused with 228 and 238) lie pi/2 R and sqrt(2) R
// away along their azimuth. Lambert's inverse keeps the longitude where
// cos z - sin(phi0) sin(phi) is exactly 0 (it used to come back on the central meridian).
TEST(Kinds, AzimuthalPointsAQuarterCircleAwayAreDrawn) {
  struct Case { double lon0, lat0, lon, lat, east, north; /* unit direction on the map, by hand */ };
  const double s = std::sqrt(0.5);
  const Case cases[] = {
      {25, 50, 25, -40, 0, -1},      // straight south along the central meridian
      {25, 50, -155, 40, 0, 1},      // over the pole, on the far meridian
      {0, 0, 90, 0, 1, 0},           // on the equator, a quarter turn east
      {0, 0, -90, 0, -1, 0},
      {0, 0, 0, 90, 0, 1},           // the pole seen from the equator
      {10, 0, 100, 45, s, s},        // 90 degrees away at azimuth 45 degrees
      {0, 90, 30, 0, 0.5, -0.8660254037844386},  // the equator seen from the pole
  };
  for (auto [kind, radial] : {std::pair{mpAzimuthalEA, gx::kHalfPi}, {mpLaAzimuthalEA, std::sqrt(2.0)}}) {
    for (const Case& c : cases) {
      TGxProjectionL p = MakeReady(kind);
      p.SetTheta(c.lon0);
      p.SetPhi0(c.lat0);
      EventLog log;
      log.Attach(p);
      p.Forward(c.lon, c.lat);
      SCOPED_TRACE(testing::Message() << EnumName(kind) << " centre " << c.lon0 << ", " << c.lat0 << " point "
                                      << c.lon << ", " << c.lat);
      ASSERT_EQ(p.ErrorCode, 0);
      EXPECT_EQ(log.errors, std::vector<int>{0});
      const double r = p.Radius * radial;
      EXPECT_TRUE(PairNear(p, p.X0 + r * c.east, p.Y0 - r * c.north, 1e-7));
      EXPECT_EQ(InverseCode(p, p.X, p.Y), 0);
      EXPECT_NEAR(p.Y, c.lat, 1e-7);
      if (std::fabs(c.lat) < 90) { EXPECT_NEAR(std::remainder(p.X - c.lon, 360), 0, 1e-7); }
    }
  }
  TGxProjectionL p = MakeReady(mpLaAzimuthalEA);
  ASSERT_EQ(ForwardCode(p, -65, 45), 0);
  EXPECT_EQ(InverseCode(p, p.X, p.Y), 0);
  EXPECT_TRUE(PairNear(p, -65, 45, 1e-9));
}
