// The component's frame: events, the tilt, the plane turn, absurd input and
// the catalogue, independent of any one kind's formulas.
#include <cctype>
#include <set>
#include <string>
#include <utility>

#include "EngineTest.h"
#include "projection/Kernel.h"

// The tilt applies strictly above 0.0001 rad only; the plane turn about the map's centre whenever its
// angle is set, and Inverse undoes it. The turned vector's length is 1 only up to rounding: at the pole it
// must give the pole, not NaN, and beside it the same longitude.
TEST(Component, TiltThresholdPlaneTurnAndTheTurnAtThePole) {
  TGxProjectionL p = MakeReady(mpEquirectangular), q = p;
  p.Forward(30, 10);
  const double x = p.X, y = p.Y;
  q.Oblique = 0.0001;
  q.Forward(30, 10);
  EXPECT_TRUE(PairNear(q, x, y, 0));
  q.Oblique = 0.00011;
  q.Forward(30, 10);
  EXPECT_NE(q.Y, y);
  p.RotCentreX = p.X0, p.RotCentreY = p.Y0, p.RotAngle = gx::kHalfPi;
  p.Forward(30, 10);
  EXPECT_TRUE(PairNear(p, p.X0 + y - p.Y0, p.Y0 - (x - p.X0), 1e-9));
  p.Inverse(p.X, p.Y);
  EXPECT_TRUE(PairNear(p, 30, 10, 1e-9));
  p = TGxProjectionL();
  p.Oblique = gx::kHalfPi;
  p.ObliqueRotate(0, gx::kHalfPi, true);
  EXPECT_DOUBLE_EQ(p.X, -gx::kHalfPi);
  EXPECT_NEAR(p.Y, 0, 1e-15);
  p.ObliqueRotate(0.3, gx::kHalfPi - 1e-9, true);
  EXPECT_NEAR(p.X, -gx::kHalfPi, 1e-6);
  p.ObliqueRotate(-gx::kHalfPi, 0, false);
  EXPECT_NEAR(p.Y, gx::kHalfPi, 1e-7);
}

// No input or parameter crashes or hangs any kind (the sanitizer run watches). The frame refuses a NaN or
// infinite coordinate with its own code for every kind, ready or not, and in the row inverse (Mercator and
// Fahey used to pass a NaN pixel as code 0); a huge finite one is the kind's.
TEST(Component, AbsurdInputIsSafeAndNonFiniteIsRefusedByTheFrame) {
  const double nan = std::nan(""), inf = INFINITY;
  const double values[] = {nan, inf, -inf, 1e300, -1e300, 5e-324, 0, 80};
  const std::pair<double, double> bad[] = {{nan, 0}, {0, nan}, {inf, 10}, {10, -inf}, {-inf, nan}};
  for (int k = 0; k < kProjectionCount; ++k) {
    for (double v : values)
      for (double w : values) {
        TGxProjectionL p = MakeReady(TProjection(k), 30);
        p.Ready = true;
        p.Forward(v, w);
        p.Inverse(v, w);
        p.Radius = v, p.Theta = w, p.Oblique = w, p.Other = v, p.ForwardCutOff = true;
        p.Forward(w, v);
        p.Inverse(p.X0 + w, v);
        p.Inverse(w, w);
      }
    const auto kind = TProjection(k);
    const gx::KindEntry* e = gx::EntryOf(kind);
    for (bool ready : {true, false}) {
      TGxProjectionL fresh = MakeReady(kind, 30);
      fresh.Ready = ready;
      for (auto [a, b] : bad) {
        TGxProjectionL p = fresh;
        EventLog log;
        log.Attach(p);
        SCOPED_TRACE(testing::Message() << EnumName(kind) << " ready " << ready << " at " << a << ", " << b);
        EXPECT_EQ(ForwardCode(p, a, b), kNonFiniteInput);
        EXPECT_EQ(log.errors, std::vector<int>{kNonFiniteInput});
        EXPECT_EQ(log.results, (std::vector<std::vector<double>>{{0, 0, double(kNonFiniteInput)}}));
        if (e && e->leavesForward == gx::Leaves::MinusOne) { EXPECT_TRUE(PairNear(p, -1, -1, 0)); }
        EXPECT_EQ(InverseCode(p, a, b), kNonFiniteInput);
        EXPECT_EQ(log.errors.back(), kNonFiniteInput);
        if (e && e->leavesInverse == gx::Leaves::Zero) { EXPECT_TRUE(PairNear(p, 0, 0, 0)); }
        double lon[3], lat[3];
        int code[3];
        TGxProjectionL(fresh).InverseRow(b, a, 3, lon, lat, code);
        EXPECT_TRUE(code[0] == kNonFiniteInput && code[2] == kNonFiniteInput);
      }
      EXPECT_NE(ForwardCode(fresh, 1e300, 45), kNonFiniteInput) << EnumName(kind);
      EXPECT_NE(InverseCode(fresh, 1e300, 45), kNonFiniteInput) << EnumName(kind);
    }
  }
}

// List positions and kinds map both ways; the grids and the kind without
// routine have none, and a position outside the list changes nothing.
TEST(Catalogue, ListPositionsListAndInfo) {
  TGxProjectionL p;
  for (int i = kFirstListedPosition; i < kListCount; ++i) {
    p.SetListIndex(i);
    EXPECT_EQ(p.ListIndex(), i);
  }
  for (TProjection k : {mpUTM, mpDatumUTM, mpNationalGrid, mpPutnins2}) {
    p.Projection = k;
    EXPECT_EQ(p.ListIndex(), 0) << EnumName(k);
  }
  p.SetListIndex(44);
  for (int bad : {0, 1, 2, 65, -1}) {
    p.SetListIndex(bad);
    EXPECT_EQ(p.Projection, mpOrthographic) << bad;
  }
  // The list replaces what the caller's list held, grids only on request; the info event names a grid
  // kind and its ellipsoid type.
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
    name = n, ellipsType = t, number = m;
  };
  p.Projection = mpDatumUTM;
  p.GetInfo();
  EXPECT_EQ(name, "UTM Grid");
  EXPECT_EQ(ellipsType, 1);
  EXPECT_EQ(number, 0);
}

// The English names say what each routine draws, under the names of the
// literature, and none can be mistaken for another kind's name when a tool
// looks a kind up by name (positions 3 and 4: ProjTool's English list).
TEST(Catalogue, EnglishNames) {
  std::set<std::string> english;
  for (int i = 0; i < kListCount; ++i) {
    const CatalogueEntry& e = CatalogueAt(i);
    std::string lower(e.EnglishName);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_FALSE(e.EnglishName.empty()) << i;
    EXPECT_TRUE(english.insert(lower).second) << e.EnglishName;
    for (int k = 0; k < kListCount; ++k)
      EXPECT_TRUE(k == i || (e.EnglishName != CatalogueAt(k).DisplayName &&
                             e.EnglishName != EnumName(CatalogueAt(k).Kind))) << i << " " << k;
  }
}

// The defaults scale by the shorter side; the constants event reports them in
// degrees, the grids' coefficients raw, and a grid is never made ready.
TEST(Catalogue, DefaultsResetAndConstants) {
  TGxProjectionL p;
  std::vector<double> got;
  p.OnGetConstants = [&](TGxProjectionL*, double r, double t, double p0, double p1, double p2, double x0,
                         double y0, double ob, double other) { got = {r, t, p0, p1, p2, x0, y0, ob, other}; };
  p.SetListIndex(25);  // general vertical perspective
  ResetProjectionToDefaults(p, 528, 507);
  p.GetConstants();
  ASSERT_EQ(got.size(), 9u);
  EXPECT_DOUBLE_EQ(got[0], 500.0 * 507 / 440);
  EXPECT_NEAR(got[1], 10, 1e-12);
  EXPECT_NEAR(got[2], 55, 1e-12);
  EXPECT_EQ(got[8], 75);
  p.Projection = mpUTM;  // never made ready
  p.Theta = 2;
  ResetProjectionToDefaults(p, 528, 507);
  EXPECT_FALSE(p.Ready);
  p.Oblique = 1;
  p.GetConstants();
  EXPECT_TRUE(got[1] == 2 && got[7] == 0) << got[1] << " " << got[7];
}

// A map that says it is its own mirror image is one: the pixel mirrored about its column shows the same
// latitude with the longitude reflected about the central meridian, or is refused too. The interrupted
// Mollweide, a tilt and a grid kind have no mirror, nor has a row whose images fall between its pixels.
TEST(Component, MirroredMapsAreTheirOwnImage) {
  for (int position = 0; position < kListCount; ++position) {
    TGxProjectionL p;
    SetUpLikeWindow(p, CatalogueAt(position).Kind, 528, 507);
    p.SetTheta(37);
    double mirror = 0;
    const bool lopsided = position < kFirstListedPosition || position == 28;
    EXPECT_EQ(p.MirrorPixels(0, 1, mirror), !lopsided) << position;
    if (lopsided) continue;
    EXPECT_FALSE(p.MirrorPixels(0.25, 1, mirror)) << position;  // images between the pixels
    ASSERT_TRUE(p.MirrorPixels(0, 1, mirror));
    const double column = mirror / 2;
    int bad = 0, shown = 0;
    for (double y = 0.5; y < 507; y += 6.25)
      for (double d = 0.25; d < 300; d += 3.5) {
        p.Inverse(column - d, y);
        const double lon = p.X, lat = p.Y;
        const bool left = p.ErrorCode == 0;
        p.Inverse(column + d, y);
        shown += left;
        const double reflected = std::remainder(2 * 37 - lon - p.X, 360.0);
        bad += left != (p.ErrorCode == 0) ||
               (left && !(std::fabs(reflected) <= 1e-9 && std::fabs(lat - p.Y) <= 1e-9));
      }
    EXPECT_EQ(bad, 0) << position;
    EXPECT_GT(shown, 500) << position;
    p.SetOblique(10);
    EXPECT_FALSE(p.MirrorPixels(0, 1, mirror)) << position;
  }
}
