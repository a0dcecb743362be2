// The component's frame: events, codes, the tilt, the inverse folding and the
// catalogue, independent of any one kind's formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "projection/GxProjectionL.h"

namespace {

struct EventLog {
  std::vector<int> errors;
  std::vector<std::vector<double>> results;  // x, y, code
  void Attach(TGxProjectionL& p) {
    p.OnError = [this](TGxProjectionL* s, int code) {
      EXPECT_NE(s, nullptr);
      errors.push_back(code);
    };
    p.OnForward = [this](TGxProjectionL*, double x, double y, int code) {
      results.push_back({x, y, double(code)});
    };
    p.OnInverse = p.OnForward;
  }
};

TGxProjectionL MakeReady(TProjection kind) {
  TGxProjectionL p;
  p.Projection = kind;
  ResetProjectionToDefaults(p, 528, 507);
  return p;
}

}  // namespace

TEST(Component, FreshComponentRefusesWithItsNotReadyCode) {
  TGxProjectionL p;
  p.Projection = mpEquirectangular;
  EventLog log;
  log.Attach(p);
  p.Forward(10, 20);
  EXPECT_EQ(p.ErrorCode, 180);
  ASSERT_EQ(log.errors, std::vector<int>{180});
  ASSERT_EQ(log.results.size(), 1u);
  EXPECT_EQ(log.results[0], (std::vector<double>{0, 0, 180}));
}

TEST(Component, KindWithoutRoutineReturnsRadians) {
  TGxProjectionL p;
  p.Projection = mpPutnins2;
  p.Forward(10, 20);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_EQ(p.X, 0.17453292519943295);
  EXPECT_EQ(p.Y, 0.3490658503988659);
}

TEST(Component, SetErrorFiresForZeroButNotForSolverMarkers) {
  TGxProjectionL p;
  EventLog log;
  log.Attach(p);
  p.SetError(0);
  p.SetError(10000);
  p.SetError(9999);
  EXPECT_EQ(log.errors, (std::vector<int>{0, 9999}));
}

TEST(Component, ResultEventsCarryResultOrZerosWithCode) {
  TGxProjectionL p = MakeReady(mpEquirectangular);
  EventLog log;
  log.Attach(p);
  p.Forward(10, 20);
  ASSERT_EQ(log.results.size(), 1u);
  EXPECT_EQ(log.results[0], (std::vector<double>{p.X, p.Y, 0}));
  EXPECT_EQ(log.errors, std::vector<int>{0});
  // A map point beyond the pole: the inverse fails, the event carries zeros.
  p.Inverse(p.X0, p.Y0 - p.Radius * 2);
  EXPECT_EQ(p.ErrorCode, 187);
  EXPECT_EQ(log.results.back(), (std::vector<double>{0, 0, 187}));
}

TEST(Component, SolverMarkerSilencesEveryEvent) {
  TGxProjectionL p = MakeReady(mpMercator);
  p.MapInput = 30;
  EventLog log;
  log.Attach(p);
  p.LatitudeFromT(0.08, std::nan(""));  // cannot converge
  EXPECT_EQ(p.ErrorCode, kSolverNoConvergence);
  EXPECT_TRUE(log.errors.empty());
}

TEST(Component, TiltAppliesStrictlyAboveThreshold) {
  TGxProjectionL p = MakeReady(mpEquirectangular);
  p.SetAxis(0, 0);
  p.Oblique = 0.0001;
  p.Forward(10, 20);
  const double x = p.X, y = p.Y;
  p.Oblique = 0;
  p.Forward(10, 20);
  EXPECT_EQ(p.X, x);
  EXPECT_EQ(p.Y, y);
  p.Oblique = 0.00011;
  p.Forward(10, 20);
  EXPECT_NE(p.Y, y);
}

TEST(Component, ObliqueRotateAtThePoleAndBack) {
  TGxProjectionL p;
  p.Oblique = gx::kHalfPi;
  p.ObliqueRotate(0, gx::kHalfPi, true);
  EXPECT_DOUBLE_EQ(p.X, -gx::kHalfPi);
  EXPECT_NEAR(p.Y, 0, 1e-15);
  // Beside the pole the turned longitude approaches the same value.
  p.ObliqueRotate(0.3, gx::kHalfPi - 1e-9, true);
  EXPECT_NEAR(p.X, -gx::kHalfPi, 1e-6);
  p.ObliqueRotate(-gx::kHalfPi, 0, false);
  EXPECT_NEAR(p.Y, gx::kHalfPi, 1e-7);
}

TEST(Component, TiltedRoundTripReturnsThePoint) {
  TGxProjectionL p = MakeReady(mpEquirectangular);
  p.SetOblique(35);
  p.SetAxis(20, 40);
  for (double lon = -170; lon <= 170; lon += 20)
    for (double lat = -80; lat <= 80; lat += 20) {
      p.Forward(lon, lat);
      ASSERT_EQ(p.ErrorCode, 0);
      p.Inverse(p.X, p.Y);
      ASSERT_EQ(p.ErrorCode, 0);
      EXPECT_NEAR(p.X, lon, 1e-9) << lon << " " << lat;
      EXPECT_NEAR(p.Y, lat, 1e-9) << lon << " " << lat;
    }
}

TEST(Component, InverseFoldsLongitudeAndLatitude) {
  // Equirectangular with the strict check passed by lambda0 = 0.5: the routine
  // leaves lambda = 3.5, which the frame folds to 3.5 - 2 pi.
  TGxProjectionL p = MakeReady(mpEquirectangular);
  p.Theta = 0.5;
  p.Inverse(p.X0 + 3 * p.Radius, p.Y0);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_NEAR(p.X, (3.5 - 2 * gx::kPi) * gx::kRadToDeg, 1e-12);
  // A kind without routine hands the pixel pair through as radians.
  p.Projection = mpPutnins2;
  p.Inverse(3.5, 1.7);
  EXPECT_NEAR(p.X, -159.4648, 1e-4);
  EXPECT_NEAR(p.Y, 82.5971, 1e-4);
}

TEST(Component, PlaneTurnWhenAngleIsSet) {
  TGxProjectionL p = MakeReady(mpEquirectangular);
  p.Forward(30, 10);
  const double x = p.X, y = p.Y;
  p.RotCentreX = p.X0;
  p.RotCentreY = p.Y0;
  p.RotAngle = gx::kHalfPi;
  p.Forward(30, 10);
  EXPECT_NEAR(p.X - p.X0, y - p.Y0, 1e-9);
  EXPECT_NEAR(p.Y - p.Y0, -(x - p.X0), 1e-9);
  p.Inverse(p.X, p.Y);
  EXPECT_NEAR(p.X, 30, 1e-9);
  EXPECT_NEAR(p.Y, 10, 1e-9);
}

TEST(Component, AbsurdInputNeverThrowsOrHangs) {
  const double values[] = {std::nan(""), INFINITY, -INFINITY, 1e300, -1e300, 5e-324, 0};
  for (int k = 0; k < kProjectionCount; ++k) {
    TGxProjectionL p;
    p.Projection = static_cast<TProjection>(k);
    p.MapInput = 30;
    ResetProjectionToDefaults(p, 528, 507);
    p.Ready = true;
    for (double v : values) {
      p.Forward(v, 10);
      p.Forward(10, v);
      p.Inverse(v, 100);
      p.Inverse(100, v);
      p.Oblique = v;
      p.Radius = v;
      p.Forward(10, 20);
      p.Inverse(100, 100);
      ResetProjectionToDefaults(p, 528, 507);
      p.Ready = true;
    }
  }
  SUCCEED();
}

TEST(Catalogue, ListPositionsAndKindsAgree) {
  TGxProjectionL p;
  for (int i = 3; i < kListCount; ++i) {
    p.SetListIndex(i);
    EXPECT_EQ(p.ListIndex(), i);
  }
  for (TProjection k : {mpUTM, mpDatumUTM, mpNationalGrid, mpPutnins2}) {
    p.Projection = k;
    EXPECT_EQ(p.ListIndex(), 0);
  }
  p.SetListIndex(44);
  EXPECT_EQ(p.Projection, mpOrthographic);
  for (int bad : {0, 1, 2, 65, -1}) {
    p.SetListIndex(bad);
    EXPECT_EQ(p.Projection, mpOrthographic) << bad;
  }
}

TEST(Catalogue, FillListAndInfo) {
  TGxProjectionL p;
  std::vector<std::string> items{"stale"};
  p.FillProjectionList(items, false);
  ASSERT_EQ(items.size(), 62u);
  EXPECT_EQ(items.front(), "Albert flächentreue Kegelprojektion");
  EXPECT_EQ(items.back(), "Winkel-Projektion II");
  p.FillProjectionList(items, true);
  EXPECT_EQ(items.size(), 65u);

  std::string name;
  int ellipsType = -1, number = -1;
  p.OnGetInfo = [&](TGxProjectionL*, const std::string& n, bool, bool, int t, int m) {
    name = n;
    ellipsType = t;
    number = m;
  };
  p.Projection = mpDatumUTM;
  p.GetInfo();
  EXPECT_EQ(name, "UTM Grid");
  EXPECT_EQ(ellipsType, 1);
  EXPECT_EQ(number, 0);
}

TEST(Catalogue, DefaultsResetAndConstants) {
  TGxProjectionL p;
  p.SetListIndex(4);
  ResetProjectionToDefaults(p, 528, 507);
  EXPECT_DOUBLE_EQ(p.Radius, 65.0 * 507 / 440);
  EXPECT_NEAR(p.Radius, 74.8977, 1e-4);
  EXPECT_DOUBLE_EQ(p.Theta, 25 * gx::kDegToRad);
  EXPECT_DOUBLE_EQ(p.Phi0, 50 * gx::kDegToRad);
  EXPECT_EQ(p.X0, 253.5);
  EXPECT_EQ(p.Y0, 253.5);
  EXPECT_TRUE(p.Ready);

  std::vector<double> got;
  p.OnGetConstants = [&](TGxProjectionL*, double r, double t, double p0, double p1, double p2,
                         double x0, double y0, double ob, double other) {
    got = {r, t, p0, p1, p2, x0, y0, ob, other};
  };
  p.SetListIndex(25);  // general vertical perspective
  ResetProjectionToDefaults(p, 528, 507);
  p.GetConstants();
  ASSERT_EQ(got.size(), 9u);
  EXPECT_DOUBLE_EQ(got[0], 500.0 * 507 / 440);
  EXPECT_NEAR(got[1], 10, 1e-12);
  EXPECT_NEAR(got[2], 55, 1e-12);
  EXPECT_EQ(got[8], 75);

  // The grid kinds are never made ready and report their coefficients raw.
  p.Projection = mpUTM;
  p.Theta = 2;
  ResetProjectionToDefaults(p, 528, 507);
  EXPECT_FALSE(p.Ready);
  p.Oblique = 1;
  p.GetConstants();
  EXPECT_EQ(got[1], 2);
  EXPECT_EQ(got[7], 0);
}
