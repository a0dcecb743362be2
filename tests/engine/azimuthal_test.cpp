// The six azimuthal kinds: values worked independently, round trips over
// every aspect, and the guards at the centre, antipode, horizon and rim.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "projection/GxProjectionL.h"

namespace {

constexpr double kDeg = gx::kDegToRad;

// Radius 100 px, centre pixel (250, 260).
TGxProjectionL Azimuthal(TProjection kind, double lon0, double lat0, double height = 0) {
  TGxProjectionL p;
  p.Projection = kind;
  ResetProjectionToDefaults(p, 528, 507);
  p.Radius = 100;
  p.X0 = 250;
  p.Y0 = 260;
  p.Theta = lon0 * kDeg;
  p.Phi0 = lat0 * kDeg;
  p.Other = height;
  return p;
}

std::string Name(TProjection kind, double a = 0, double b = 0) {
  return std::string(EnumName(kind)) + " " + std::to_string(a) + " " + std::to_string(b);
}

}  // namespace

// Centre (10, 40), height 2R. Worked by python3 along another road: the point
// turned into the centre's frame as a 3-D vector, its distance c and azimuth,
// then rho(c) = sin c, 2 tan(c/2), tan c, c, 2 sin(c/2), 2 sin c / (3 - cos c).
TEST(Azimuthal, MatchesIndependentlyWorkedValues) {
  struct Case {
    TProjection kind;
    double lon, lat, x, y;
  };
  const Case cases[] = {
      {mpOrthographic, 30, 50, 271.98463103929544, 240.14342659762215},
      {mpStereographic, 30, 50, 272.489380839554, 239.68753532336086},
      {mpGnomonic, 30, 50, 273.01785259227825, 239.2102183226663},
      {mpAzimuthalEA, 30, 50, 272.3196007644517, 239.84088110921928},
      {mpLaAzimuthalEA, 30, 50, 272.23557375153143, 239.91677451615672},
      {mpGvnsp, 30, 50, 271.5020410123157, 240.579303109575},
      {mpStereographic, -100, -30, -110.32242733298591, 345.2900102083459},
      {mpAzimuthalEA, -100, -30, 40.67229387688184, 309.54885080087263},
      {mpLaAzimuthalEA, -100, -30, 78.76053144740197, 300.5331861494867},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Name(c.kind, c.lon, c.lat));
    TGxProjectionL p = Azimuthal(c.kind, 10, 40, 200);
    p.Forward(c.lon, c.lat);
    EXPECT_EQ(p.ErrorCode, 0);
    EXPECT_NEAR(p.X, c.x, 1e-9);
    EXPECT_NEAR(p.Y, c.y, 1e-9);
  }
}

// Oblique, equatorial and both polar aspects, and centres beyond the pole
// (a latitude parameter of 120 degrees stands for the centre (lon + 180, 60)
// with the map turned upside down).
TEST(Azimuthal, InverseUndoesForwardOverEachKindsMap) {
  const struct {
    TProjection kind;
    double height, maxDistance;  // degrees from the centre the round trip covers
  } regions[] = {{mpOrthographic, 0, 85}, {mpStereographic, 0, 170}, {mpGnomonic, 0, 80},
                 {mpAzimuthalEA, 0, 175}, {mpLaAzimuthalEA, 0, 175}, {mpGvnsp, 200, 65}};
  const double centres[][2] = {{25, 50}, {0, 0}, {-60, 90}, {40, -90}, {10, 120}, {-30, -135}};
  for (const auto& r : regions) {
    for (const auto& centre : centres) {
      SCOPED_TRACE(Name(r.kind, centre[0], centre[1]));
      TGxProjectionL p = Azimuthal(r.kind, centre[0], centre[1], r.height);
      const bool beyond = std::fabs(centre[1]) > 90;
      const double clon = (centre[0] + (beyond ? 180 : 0)) * kDeg;
      const double clat = (beyond ? std::copysign(180, centre[1]) - centre[1] : centre[1]) * kDeg;
      int checked = 0;
      for (double lat = -83; lat <= 83; lat += 11) {
        for (double lon = -173; lon <= 180; lon += 15) {
          const double c = std::acos(std::sin(lat * kDeg) * std::sin(clat) +
                                     std::cos(lat * kDeg) * std::cos(clat) * std::cos(lon * kDeg - clon)) / kDeg;
          // The equidistant and equal-area kinds refuse the 90-degree circle.
          if (c > r.maxDistance || c < 0.01 || std::fabs(c - 90) < 0.01) continue;
          p.Forward(lon, lat);
          ASSERT_EQ(p.ErrorCode, 0) << lon << " " << lat;
          p.Inverse(p.X, p.Y);
          ASSERT_EQ(p.ErrorCode, 0) << lon << " " << lat;
          ASSERT_LT(std::fabs(std::remainder(p.X - lon, 360.0)), 1e-8) << lon << " " << lat;
          ASSERT_NEAR(p.Y, lat, 1e-8) << lon << " " << lat;
          ++checked;
        }
      }
      EXPECT_GT(checked, 20);
    }
  }
}

TEST(Azimuthal, NotReady) {
  const struct {
    TProjection kind;
    int forward, inverse;
    bool leavesInput;  // otherwise (-1, -1)
  } cases[] = {{mpOrthographic, 107, 111, true},   {mpStereographic, 380, 381, false},
               {mpGnomonic, 280, 281, false},      {mpAzimuthalEA, 220, 221, true},
               {mpLaAzimuthalEA, 230, 231, true},  {mpGvnsp, 200, 201, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(Name(c.kind));
    TGxProjectionL p = Azimuthal(c.kind, 0, 0, 200);
    p.Ready = false;
    p.Forward(10, 20);
    EXPECT_EQ(p.ErrorCode, c.forward);
    EXPECT_EQ(p.X, c.leavesInput ? 10 * kDeg : -1);
    p.Inverse(260, 270);
    EXPECT_TRUE(p.ErrorCode == c.inverse && p.X == 0 && p.Y == 0);
    p.Ready = true;  // too small a globe: only the orthographic forward still draws
    p.Radius = 0.0099;
    p.Forward(10, 20);
    EXPECT_EQ(p.ErrorCode, c.kind == mpOrthographic ? 0 : c.forward);
  }
}

// The orthographic rim is drawn; the equidistant and equal-area centres are
// drawn silently (no code, no OnError) though their neighbours within 4.5e-5
// rad are refused.
TEST(Azimuthal, ForwardAtTheEdgesOfTheMap) {
  const double eps = 1e-5 / kDeg;  // 1e-5 rad in degrees
  const struct {
    TProjection kind;
    double lon0, lat0, height, lon, lat;
    int code;
    double x, y;
  } cases[] = {
      {mpOrthographic, 0, 0, 0, 90, 0, 0, 350, 260},
      {mpOrthographic, 0, 0, 0, 91, 0, 106, -1, -1},
      {mpStereographic, 25, 50, 0, -155, -50, 382, -1, -1},  // the antipode
      {mpGnomonic, 0, 0, 0, 90, 0, 282, -1, -1},
      {mpAzimuthalEA, 25, 50, 0, 25, 50, 0, 250, 260},
      {mpAzimuthalEA, 25, 50, 0, 25, 50 + eps, 228, -1, -1},
      {mpAzimuthalEA, 25, 50, 0, -155, -50, 228, -1, -1},
      {mpLaAzimuthalEA, 25, 50, 0, 25, 50, 0, 250, 260},
      {mpLaAzimuthalEA, 25, 50, 0, 25, 50 + eps, 238, 250, 260},
      {mpGvnsp, 0, 0, 200, 75, 0, 202, -1, -1},    // beyond the horizon at 70.5 degrees
      {mpGvnsp, 0, 0, 0, 0, 0, 202, -1, -1},       // no height: not even the centre
      {mpGvnsp, 0, 0, -100, 10, 10, 200, -1, -1},  // eye at the globe's centre
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Name(c.kind, c.lon, c.lat));
    TGxProjectionL p = Azimuthal(c.kind, c.lon0, c.lat0, c.height);
    int events = 0;
    p.OnError = [&events](TGxProjectionL*, int) { ++events; };
    p.Forward(c.lon, c.lat);
    EXPECT_EQ(p.ErrorCode, c.code);
    EXPECT_NEAR(p.X, c.x, 1e-12);
    EXPECT_NEAR(p.Y, c.y, 1e-12);
    EXPECT_EQ(events, c.code == 0 && c.x == 250 ? 0 : 1);  // the centre shortcut is silent
  }
}

TEST(Azimuthal, InverseRangesAndCentres) {
  const double piR = gx::kPi * 100;
  const struct {
    TProjection kind;
    double height, dx, dy;  // pixel offset from the centre pixel
    int code;
    bool centre;  // answers (lon0, lat0)
  } cases[] = {
      {mpOrthographic, 0, 0.05, 0, 0, true},    {mpOrthographic, 0, 80, 61, 110, false},
      {mpAzimuthalEA, 0, 0.005, 0, 0, true},    {mpAzimuthalEA, 0, 0, piR - 0.01, 0, false},
      {mpAzimuthalEA, 0, 0, piR + 0.01, 227, false},
      {mpLaAzimuthalEA, 0, 0, -200, 0, false},  {mpLaAzimuthalEA, 0, 0, -200.01, 237, false},
      {mpStereographic, 0, 1e6, 0, 0, false},   {mpGnomonic, 0, -1e6, 3e6, 0, false},
      // Horizon at 100 sqrt(1/2) = 70.7 px; without height only the centre
      // is seen; a negative height is refused before anything else.
      {mpGvnsp, 200, 70, 0, 0, false},  {mpGvnsp, 200, 71, 0, 203, false},
      {mpGvnsp, 0, 0, 0, 0, true},      {mpGvnsp, 0, 0.001, 0, 203, false},
      {mpGvnsp, -1, 0, 0, 204, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Name(c.kind, c.dx, c.dy));
    TGxProjectionL p = Azimuthal(c.kind, 25, 50, c.height);
    p.Inverse(250 + c.dx, 260 - c.dy);
    EXPECT_EQ(p.ErrorCode, c.code);
    if (c.code != 0 || c.centre) {
      EXPECT_NEAR(p.X, c.code ? 0 : 25, 1e-12);
      EXPECT_NEAR(p.Y, c.code ? 0 : 50, 1e-12);
    }
  }
}

// A code of 0 always comes with a finite position: the map control turns
// positions into pixel indices.
TEST(Azimuthal, AbsurdInputIsRefusedNotPassedOn) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double values[] = {nan, inf, -inf, 1e300, -1e150, 0};
  for (TProjection kind : {mpOrthographic, mpStereographic, mpGnomonic, mpAzimuthalEA,
                           mpLaAzimuthalEA, mpGvnsp}) {
    for (double height : {200.0, nan, inf}) {
      TGxProjectionL p = Azimuthal(kind, 25, 50, height);
      for (double a : values) {
        for (double b : values) {
          SCOPED_TRACE(Name(kind, a, b) + " height " + std::to_string(height));
          p.Forward(a, b);
          EXPECT_TRUE(p.ErrorCode != 0 || (std::isfinite(p.X) && std::isfinite(p.Y)));
          p.Inverse(a, b);
          EXPECT_TRUE(p.ErrorCode != 0 || (std::isfinite(p.X) && std::isfinite(p.Y)));
        }
      }
    }
  }
}
