// Normal-aspect cylindrical kinds: values worked by hand from the textbook
// spherical formulas, the codes, and round trips.
#include <gtest/gtest.h>

#include <cmath>

#include "conversion/GxConvertL.h"
#include "projection/GxProjectionL.h"

namespace {

TGxProjectionL Cylinder(TProjection kind, int mapInput = 220) {
  TGxProjectionL p;
  p.Projection = kind;
  p.MapInput = mapInput;
  ResetProjectionToDefaults(p, 528, 507);
  p.Radius = 100;
  p.X0 = 264;
  p.Y0 = 253;
  return p;
}

}  // namespace

TEST(Cylindrical, HandWorkedValuesAt30E60N) {
  struct Case {
    TProjection kind;
    double x, y;
  } cases[] = {
      {mpEquirectangular, 264 + 100 * 0.52359877559829882, 253 - 100 * 1.0471975511965976},
      {mpBStereo, 264 + 100 * 0.52359877559829882, 137.52994616207485},
      {mpMiller, 264 + 100 * 0.52359877559829882, 133.31664193468504},
      {mpGall, 301.02402448465307, 154.44014403465113},
      {mpPeters, 264 + 100 * 0.52359877559829882, 132.3272773636347},
  };
  for (const Case& c : cases) {
    TGxProjectionL p = Cylinder(c.kind);
    p.Forward(30, 60);
    EXPECT_EQ(p.ErrorCode, 0) << EnumName(c.kind);
    EXPECT_NEAR(p.X, c.x, 1e-9) << EnumName(c.kind);
    EXPECT_NEAR(p.Y, c.y, 1e-9) << EnumName(c.kind);
  }
}

TEST(Cylindrical, NotReadyBoundary) {
  const std::pair<TProjection, int> kinds[] = {
      {mpEquirectangular, 180}, {mpBStereo, 190}, {mpMercator, 310}, {mpMiller, 621},
      {mpGall, 581}, {mpLamCylindricalEA, 411}, {mpBalthasart, 461}};
  for (auto [kind, code] : kinds) {
    TGxProjectionL p = Cylinder(kind);
    p.Radius = 0.01;
    p.Forward(10, 10);
    EXPECT_EQ(p.ErrorCode, 0) << EnumName(kind);
    p.Radius = 0.0099;
    p.Forward(10, 10);
    EXPECT_EQ(p.ErrorCode, code) << EnumName(kind);
    p.Inverse(1, 1);
    EXPECT_EQ(p.ErrorCode, code + 1) << EnumName(kind);
    p.Radius = std::nan("");
    p.Forward(10, 10);
    EXPECT_EQ(p.ErrorCode, code) << EnumName(kind);
  }
}

TEST(Cylindrical, EquirectangularWrapAndRange) {
  TGxProjectionL p = Cylinder(mpEquirectangular);
  p.Forward(180, 0);  // Delta = pi stays
  EXPECT_NEAR(p.X, 264 + gx::kPi * 100, 1e-9);
  p.Forward(270, 0);  // wraps to -90
  EXPECT_NEAR(p.X, 264 - gx::kHalfPi * 100, 1e-9);
  p.Inverse(264, 253 - 100 * (gx::kHalfPi + 0.001));
  EXPECT_EQ(p.ErrorCode, 187);
}

TEST(Cylindrical, MercatorPoleAndRange) {
  TGxProjectionL p = Cylinder(mpMercator, 31);
  p.Forward(0, 90 - 1e-9 * gx::kRadToDeg);
  EXPECT_EQ(p.ErrorCode, 315);
  EXPECT_EQ(p.X, -1);
  EXPECT_EQ(p.Y, -1);
  p.Forward(0, 90 - 1e-7 * gx::kRadToDeg);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_NEAR((p.Y0 - p.Y) / p.Radius, 16.8, 0.05);
  p.Inverse(264 + gx::kPi * 100 + 1, 253);
  EXPECT_EQ(p.ErrorCode, 316);
  EXPECT_EQ(p.X, 0);
  EXPECT_EQ(p.Y, 0);
  // Near-sphere entry 31: the textbook spherical Mercator.
  p.Forward(30, 60);
  EXPECT_NEAR(p.Y, 121.30421030751842, 1e-4);
}

TEST(Cylindrical, MercatorOnWgs84MatchesReference) {
  // y of 60 N on WGS 84 (unit a): 1.31115 (isometric latitude, textbook formula).
  TGxProjectionL p = Cylinder(mpMercator, 30);
  p.Forward(0, 60);
  EXPECT_NEAR((p.Y0 - p.Y) / p.Radius, 1.3111506617849913, 1e-11);
}

TEST(Cylindrical, MillerAndEqualAreaLimits) {
  TGxProjectionL p = Cylinder(mpMiller);
  p.Forward(0, 90);
  EXPECT_NEAR((p.Y0 - p.Y) / p.Radius, 1.25 * std::log(std::tan(0.45 * gx::kPi)), 1e-12);
  p.Inverse(p.X, p.Y);  // latitude pi/2: beyond the limit
  EXPECT_EQ(p.ErrorCode, 624);
  p.Inverse(p.X0 + 3.2 * p.Radius, p.Y0);
  EXPECT_EQ(p.ErrorCode, 623);
  p.Inverse(p.X0 + 3.2 * p.Radius, p.Y0 - 3 * p.Radius);  // both: latitude wins
  EXPECT_EQ(p.ErrorCode, 624);

  TGxProjectionL ea = Cylinder(mpLamCylindricalEA);
  ea.Inverse(ea.X0, ea.Y0 - 1.0000001 * ea.Radius);
  EXPECT_EQ(ea.ErrorCode, 413);
  ea.Inverse(ea.X0, ea.Y0 - ea.Radius);
  EXPECT_EQ(ea.ErrorCode, 0);
  EXPECT_EQ(ea.Y, 90);
  ea.Forward(0, 90);
  EXPECT_EQ(ea.Y, ea.Y0 - ea.Radius);

  TGxProjectionL b = Cylinder(mpBalthasart);
  b.Forward(0, 90);
  EXPECT_NEAR(b.Y, b.Y0 - b.Radius / std::cos(50 * gx::kDegToRad), 1e-9);
  b.Inverse(b.X0 + 3.2 * b.Radius, b.Y0);
  EXPECT_EQ(b.ErrorCode, 464);
}

TEST(Cylindrical, RoundTrips) {
  const TProjection kinds[] = {mpEquirectangular, mpBStereo, mpMercator, mpMiller, mpGall,
                               mpLamCylindricalEA, mpBerCylindricalEA, mpTristanEdwards,
                               mpPeters, mpGallOrth, mpBalthasart};
  for (TProjection kind : kinds)
    for (int mapInput : {220, 30}) {
      TGxProjectionL p = Cylinder(kind, mapInput);
      p.Theta = 0.4;
      for (double lon = -155; lon <= 175; lon += 15)
        for (double lat = -85; lat <= 85; lat += 5) {
          p.Forward(lon, lat);
          ASSERT_EQ(p.ErrorCode, 0);
          p.Inverse(p.X, p.Y);
          ASSERT_EQ(p.ErrorCode, 0) << EnumName(kind) << " " << lon << " " << lat;
          EXPECT_NEAR(p.X, lon, 1e-8) << EnumName(kind) << " " << lon << " " << lat;
          EXPECT_NEAR(p.Y, lat, 1e-8) << EnumName(kind) << " " << lon << " " << lat;
        }
    }
}
