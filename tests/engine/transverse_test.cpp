// Transverse Mercator and Cassini-Soldner on the sphere (ellipsoid entry 31,
// round enough to count as one) and on WGS 84 (entry 30).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "projection/GxProjectionL.h"

namespace {

constexpr double kDeg = gx::kDegToRad;
constexpr int kSphere = 31;
constexpr int kWgs84 = 30;

// Radius 100 px, central meridian 0, origin pixel (250, 260).
TGxProjectionL Transverse(TProjection kind, int ellipsoid) {
  TGxProjectionL p;
  p.Projection = kind;
  p.MapInput = ellipsoid;
  ResetProjectionToDefaults(p, 528, 507);
  p.Radius = 100;
  p.X0 = 250;
  p.Y0 = 260;
  return p;
}

std::string Name(TProjection kind, int ellipsoid) {
  return std::string(EnumName(kind)) + (ellipsoid == kSphere ? " sphere" : " WGS 84");
}

struct Codes {
  TProjection kind;
  int notReadyForward, cutOff, outsideBand, notReadyInverse, sphereRange, ellipsoidFailure;
};
constexpr Codes kKinds[] = {{mpTMercator, 290, 295, 298, 291, 297, 296},
                            {mpCassiniS, 300, 305, 308, 301, 307, 306}};

}  // namespace

// Worked by python3. Sphere: x = R atanh(B) or R asin(B), B = cos(phi)
// sin(dlam), y = R atan2(tan(phi), cos(dlam)). WGS 84: Krueger's series to
// sixth order in n, and the meridian arc to 45 degrees by Simpson's rule
// (4984944.378 m). The ellipsoidal tolerances hold the series' truncation
// (centimetres at 3 degrees, metres at 8 to 10) but not a wrong term.
TEST(Transverse, MatchesIndependentlyWorkedValues) {
  const struct {
    TProjection kind;
    int ellipsoid;
    double lon, lat, x, y, tolerance;
  } cases[] = {
      {mpTMercator, kSphere, 20, 35, 278.78627452143576, 195.96131472776094, 1e-9},
      {mpCassiniS, kSphere, 20, 35, 278.3967550672434, 195.96131472776094, 1e-9},
      {mpTMercator, kSphere, 30, 0, 304.9306144334055, 260, 1e-9},  // X0 + (R/2) ln 3
      {mpTMercator, kWgs84, 3, 45, 253.70861651855552, 181.77456779627244, 1e-8},
      {mpTMercator, kWgs84, 8, -40, 260.7168596784878, 329.9312711811083, 1e-6},
      {mpTMercator, kWgs84, 10, 60, 258.72627679729595, 155.01171158193284, 1e-6},
      {mpTMercator, kWgs84, 0, 45, 250, 181.843253320197, 1e-6},
      {mpCassiniS, kWgs84, 0, 45, 250, 181.843253320197, 1e-6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Name(c.kind, c.ellipsoid) + " " + std::to_string(c.lon));
    TGxProjectionL p = Transverse(c.kind, c.ellipsoid);
    p.Forward(c.lon, c.lat);
    EXPECT_EQ(p.ErrorCode, 0);
    EXPECT_NEAR(p.X, c.x, c.tolerance);
    EXPECT_NEAR(p.Y, c.y, c.tolerance);
  }
}

TEST(Transverse, InverseUndoesForward) {
  // The sphere loses some 1.5e-8 rad on the equator, where the latitude along
  // the central meridian comes from an arccosine near 1. The series are good
  // to a metre within 6 degrees of the central meridian and to kilometres at
  // 20 degrees near the pole (and to degrees of longitude at their limit).
  const struct {
    int ellipsoid;
    double maxDlam, tolerance;  // degrees
  } regions[] = {{kSphere, 80, 1e-6}, {kWgs84, 6, 5e-6}, {kWgs84, 20, 1e-2}};
  for (const Codes& k : kKinds) {
    for (const auto& r : regions) {
      SCOPED_TRACE(Name(k.kind, r.ellipsoid) + " to " + std::to_string(r.maxDlam));
      TGxProjectionL p = Transverse(k.kind, r.ellipsoid);
      p.Theta = 15 * kDeg;
      p.ForwardCutOff = true;
      for (double lat = -80; lat <= 80; lat += 8) {
        for (double dlam = -r.maxDlam; dlam <= r.maxDlam; dlam += r.maxDlam / 6) {
          p.Forward(15 + dlam, lat);
          ASSERT_EQ(p.ErrorCode, 0) << dlam << " " << lat;
          p.Inverse(p.X, p.Y);
          ASSERT_EQ(p.ErrorCode, 0) << dlam << " " << lat;
          ASSERT_NEAR(p.X, 15 + dlam, r.tolerance) << lat;
          ASSERT_NEAR(p.Y, lat, r.tolerance) << dlam;
        }
      }
    }
  }
}

TEST(Transverse, ForwardRefusals) {
  const struct {
    int ellipsoid;
    bool ready, cutOff;
    double dlamRad;
    int Codes::*code;  // nullptr: drawn
  } cases[] = {
      {kWgs84, false, false, 0.1, &Codes::notReadyForward},
      {kSphere, true, false, gx::kHalfPi, &Codes::outsideBand},  // a pole of the transverse aspect
      {kWgs84, true, true, 0.95, &Codes::cutOff},
      {kWgs84, true, false, 0.95, nullptr},
      {kWgs84, true, true, 0.85, nullptr},
      {kWgs84, true, false, -2.2, &Codes::outsideBand},
  };
  for (const Codes& k : kKinds) {
    for (const auto& c : cases) {
      SCOPED_TRACE(Name(k.kind, c.ellipsoid) + " " + std::to_string(c.dlamRad));
      TGxProjectionL p = Transverse(k.kind, c.ellipsoid);
      p.Ready = c.ready;
      p.ForwardCutOff = c.cutOff;
      p.Forward(c.dlamRad / kDeg, 0);
      EXPECT_EQ(p.ErrorCode, c.code ? k.*c.code : 0);
      EXPECT_TRUE(!c.code || (p.X == -1 && p.Y == -1));
    }
  }
}

TEST(Transverse, InverseRangeAndSeriesLimit) {
  // Pixels on the equator whose spherical longitude is exactly 1 rad: beyond
  // both series limits, so the ellipsoid refuses them with the spherical pair.
  const double oneRadian[] = {250 + 100 * std::asinh(std::tan(1.0)), 250 + 100};
  for (int i = 0; i < 2; ++i) {
    const Codes& k = kKinds[i];
    for (int ellipsoid : {kSphere, kWgs84}) {
      SCOPED_TRACE(Name(k.kind, ellipsoid));
      const int rangeCode = ellipsoid == kSphere ? k.sphereRange : k.ellipsoidFailure;
      TGxProjectionL p = Transverse(k.kind, ellipsoid);
      p.Inverse(250, 260 - 100 * gx::kPi);  // |v| = pi R
      EXPECT_EQ(p.ErrorCode, rangeCode);
      EXPECT_TRUE(p.X == 0 && p.Y == 0);
      // Only Cassini-Soldner has an east-west edge; the transverse Mercator
      // ellipsoid refuses the pixel for its spherical longitude (1.16 rad).
      p.Inverse(250 + 100 * gx::kHalfPi, 260);
      EXPECT_EQ(p.ErrorCode, k.kind == mpCassiniS ? rangeCode : ellipsoid == kSphere ? 0 : 296);

      p.Inverse(oneRadian[i], 260);
      EXPECT_EQ(p.ErrorCode, ellipsoid == kSphere ? 0 : k.ellipsoidFailure);
      EXPECT_NEAR(p.X, 1 / kDeg, 1e-9);
      EXPECT_NEAR(p.Y, 0, 1e-12);

      p.Ready = false;
      p.Inverse(260, 270);
      EXPECT_EQ(p.ErrorCode, k.notReadyInverse);
      EXPECT_TRUE(p.X == 0 && p.Y == 0);
    }
  }
}

// A code of 0 always comes with a finite position.
TEST(Transverse, AbsurdInputIsRefusedNotPassedOn) {
  const double inf = std::numeric_limits<double>::infinity();
  const double values[] = {std::numeric_limits<double>::quiet_NaN(), inf, -inf, 1e300, -1e150, 0};
  for (const Codes& k : kKinds) {
    for (int ellipsoid : {kSphere, kWgs84}) {
      TGxProjectionL p = Transverse(k.kind, ellipsoid);
      for (double a : values) {
        for (double b : values) {
          SCOPED_TRACE(Name(k.kind, ellipsoid) + " " + std::to_string(a) + " " + std::to_string(b));
          p.Forward(a, b);
          EXPECT_TRUE(p.ErrorCode != 0 || (std::isfinite(p.X) && std::isfinite(p.Y)));
          p.Inverse(a, b);
          EXPECT_TRUE(p.ErrorCode != 0 || (std::isfinite(p.X) && std::isfinite(p.Y)));
        }
      }
    }
  }
}
