// Pseudocylindrical kinds: textbook values, codes and pairs of the families,
// the mended inverses, and round trips over every kind.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "projection/Families.h"
#include "projection/GxProjectionL.h"

namespace {

constexpr double kR = 100, kX0 = 264, kY0 = 253;

TGxProjectionL Make(TProjection kind) {
  TGxProjectionL p;
  p.Projection = kind;
  p.MapInput = 220;
  ResetProjectionToDefaults(p, 528, 507);
  p.Radius = kR;
  p.X0 = kX0;
  p.Y0 = kY0;
  return p;
}

std::string Name(TProjection kind) { return std::string(EnumName(kind)); }

// Every kind of the family with its forward not-ready code F (inverse: F + 1).
struct KindCode {
  TProjection kind;
  int F;
};
constexpr KindCode kAllKinds[] = {
    {mpSinusoidal, 170},   {mpMollweide, 320},    {mpWagnerIV, 330},   {mpIMollweide, 350},
    {mpEckertII, 390},     {mpEckertI, 481},      {mpEckertIII, 491},  {mpPutnins, 501},
    {mpKavraiskyVII, 511}, {mpWagnerVI, 521},     {mpEckertV, 531},    {mpCraster, 541},
    {mpEckertIV, 551},     {mpEckertVI, 591},     {mpCollignon, 471},  {mpFahey, 561},
    {mpFoucautS, 571},     {mpMcBryde, 601},      {mpLoximuthal, 611}, {mpNell, 631},
    {mpFoucaut, 641},      {mpKavraiskyV, 651},   {mpMcBrydeSin, 661}, {mpQuarticAu, 671},
    {mpWagnerII, 681},     {mpWagnerIII, 691},    {mpUrmaev, 701},     {mpWagnerI, 711},
    {mpUrmaevV, 721},      {mpMcBrydeSin2, 731},  {mpMcBrydeP, 741},   {mpMcBrydeQ, 751},
};

}  // namespace

// Textbook spherical formulas at (100 E, 35 N), worked with python3 (implicit
// equations by bisection); R = 100, centre (264, 253), Loximuthal at 60 N.
TEST(Pseudocylindrical, TextbookValuesAt100E35N) {
  struct Case {
    TProjection kind;
    double x, y;
  } cases[] = {
      {mpSinusoidal, 406.969002472853, 191.913476180198},
      {mpMollweide, 402.847549793642, 186.785953814885},
      {mpWagnerIV, 399.343733298535, 184.267368324441},
      {mpEckertI, 393.533557914752, 196.719902423246},
      {mpEckertII, 385.382130146796, 182.047332440925},
      {mpEckertIII, 405.588051634971, 201.413872237561},
      {mpEckertIV, 400.433409640013, 183.409572439836},
      {mpEckertV, 404.022405150643, 199.120125630423},
      {mpEckertVI, 395.966401992839, 184.651657185929},
      {mpKavraiskyVII, 406.319861639434, 191.913476180198},
      {mpWagnerVI, 419.700920921073, 195.123573006929},
      {mpCraster, 406.657237287996, 190.919607224957},
      {mpCollignon, 392.603569967399, 191.497827880107},
      {mpNell, 423.758710390811, 193.956748907948},
      {mpQuarticAu, 413.907163085115, 192.858840099145},
      {mpFoucaut, 394.041176559224, 189.940242224203},
      {mpLoximuthal, 378.669342744750, 296.633231299858},
      {mpFahey, 399.676496864415, 195.642357761322},  // its six-digit cos 35 deg
  };
  for (const Case& c : cases) {
    TGxProjectionL p = Make(c.kind);
    p.Forward(100, 35);
    EXPECT_EQ(p.ErrorCode, 0) << Name(c.kind);
    EXPECT_NEAR(p.X, c.x, 1e-6) << Name(c.kind);
    EXPECT_NEAR(p.Y, c.y, 1e-6) << Name(c.kind);
  }
}

// Inverse(Forward(p)) = p over the map of every kind, off the lobe edges of
// the interrupted Mollweide, with the parameters each kind reads varied.
TEST(Pseudocylindrical, RoundTripEveryKind) {
  struct Setup {
    TProjection kind;
    double other, phi0Deg, tolDeg;
  };
  std::vector<Setup> setups;
  for (const KindCode& k : kAllKinds) setups.push_back({k.kind, -1, 0, 1e-7});
  // The lobes meet with single-precision offsets: a few 1e-6 deg apart.
  for (Setup& s : setups)
    if (s.kind == mpIMollweide) s.tolDeg = 1e-5;
  for (double n : {0.0, 0.25, 0.5, 1.5, 2.0}) setups.push_back({mpFoucautS, n, 0, 1e-7});
  for (double n : {0.0001, 0.3}) setups.push_back({mpUrmaev, n, 0, 1e-7});
  setups.push_back({mpWagnerIII, 0.5, 0, 1e-7});
  for (double phi0 : {0.0, -30.0, 89.0}) setups.push_back({mpLoximuthal, -1, phi0, 1e-7});

  for (const Setup& s : setups) {
    TGxProjectionL p = Make(s.kind);
    p.SetTheta(25);
    if (s.other >= 0) p.Other = s.other;
    if (s.phi0Deg != 0) p.SetPhi0(s.phi0Deg);
    int checked = 0;
    for (double lat = -87.5; lat <= 87.5; lat += 5)
      for (double lon = -176.5; lon < 177; lon += 7) {
        p.Forward(25 + lon, lat);
        ASSERT_EQ(p.ErrorCode, 0) << Name(s.kind) << " " << lon << " " << lat;
        p.Inverse(p.X, p.Y);
        ASSERT_EQ(p.ErrorCode, 0) << Name(s.kind) << " other " << s.other << " at " << lon << " " << lat;
        EXPECT_NEAR(std::remainder(p.X - 25 - lon, 360), 0, s.tolDeg) << Name(s.kind) << " " << lon << " " << lat;
        EXPECT_NEAR(p.Y, lat, s.tolDeg) << Name(s.kind) << " other " << s.other << " " << lon << " " << lat;
        ++checked;
      }
    EXPECT_EQ(checked, 36 * 51);
  }
}

// Every pixel an inverse accepts must be a point the forward draws: no ghost
// copies beyond the outline, no NaN passed off as a position.
TEST(Pseudocylindrical, InverseAcceptsOnlyMapPoints) {
  for (const KindCode& k : kAllKinds) {
    TGxProjectionL p = Make(k.kind);
    p.SetTheta(-40);
    int accepted = 0;
    for (double y = -700; y <= 1200; y += 7.3)
      for (double x = -900; x <= 1400; x += 6.1) {
        p.Inverse(x, y);
        if (p.ErrorCode != 0) continue;
        ++accepted;
        ASSERT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y)) << Name(k.kind) << " " << x << " " << y;
        p.Forward(p.X, p.Y);
        ASSERT_EQ(p.ErrorCode, 0) << Name(k.kind);
        EXPECT_NEAR(p.X, x, 1e-3) << Name(k.kind) << " pixel " << x << " " << y;
        EXPECT_NEAR(p.Y, y, 1e-3) << Name(k.kind) << " pixel " << x << " " << y;
      }
    EXPECT_GT(accepted, 1000) << Name(k.kind);
  }
}

TEST(Pseudocylindrical, NotReadyCodesAndPairs) {
  for (const KindCode& k : kAllKinds) {
    TGxProjectionL p = Make(k.kind);
    p.Radius = 0.01;
    p.Forward(10, 20);
    EXPECT_EQ(p.ErrorCode, 0) << Name(k.kind);
    p.Radius = 0.0099;
    p.Forward(10, 20);
    EXPECT_EQ(p.ErrorCode, k.F) << Name(k.kind);
    const bool minusOne = k.kind == mpMollweide || k.kind == mpWagnerIV ||
                          k.kind == mpIMollweide || k.kind == mpEckertII;
    EXPECT_DOUBLE_EQ(p.X, minusOne ? -1 : 10 * gx::kDegToRad) << Name(k.kind);
    EXPECT_DOUBLE_EQ(p.Y, minusOne ? -1 : 20 * gx::kDegToRad) << Name(k.kind);
    p.Inverse(1, 1);
    EXPECT_EQ(p.ErrorCode, k.F + 1) << Name(k.kind);
    p.Radius = 100;
    p.Ready = false;
    p.Forward(10, 20);
    EXPECT_EQ(p.ErrorCode, k.F) << Name(k.kind);
  }
  TGxProjectionL p = Make(mpIMollweide);
  p.Ready = false;
  p.SetTheta(30);
  p.Inverse(kX0, kY0);
  EXPECT_EQ(p.ErrorCode, 351);
  EXPECT_NEAR(p.X, -150, 1e-9);  // Theta - 180 deg
  EXPECT_EQ(p.Y, 0);
}

// Collignon's forward and Eckert II's inverse report success without an
// event; every other routine reports its 0 through OnError.
TEST(Pseudocylindrical, SilentSuccesses) {
  for (const KindCode& k : kAllKinds) {
    TGxProjectionL p = Make(k.kind);
    int events = 0;
    p.OnError = [&](TGxProjectionL*, int code) {
      EXPECT_EQ(code, 0);
      ++events;
    };
    p.Forward(30, 20);
    EXPECT_EQ(events, k.kind == mpCollignon ? 0 : 1) << Name(k.kind);
    events = 0;
    p.Inverse(p.X, p.Y);
    EXPECT_EQ(p.ErrorCode, 0) << Name(k.kind);
    EXPECT_EQ(events, k.kind == mpEckertII ? 0 : 1) << Name(k.kind);
  }
}

// Beyond a pole every forward folds back (100 deg is 80 deg) and never hands
// out a NaN or infinity as success, whatever the input.
TEST(Pseudocylindrical, LatitudesBeyondThePoles) {
  for (const KindCode& k : kAllKinds) {
    TGxProjectionL p = Make(k.kind);
    p.Forward(50, 80);
    const double x80 = p.X, y80 = p.Y;
    p.Forward(50, 100);
    EXPECT_EQ(p.ErrorCode, 0) << Name(k.kind);
    EXPECT_NEAR(p.X, x80, 1e-9) << Name(k.kind);
    EXPECT_NEAR(p.Y, y80, 1e-9) << Name(k.kind);
    for (double lat : {180.0, -180.0, 270.0, 1e10, -1e300})
      for (double lon : {0.0, 180.0, -179.0, 1e300}) {
        p.Forward(lon, lat);
        if (p.ErrorCode == 0) {
          EXPECT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y)) << Name(k.kind) << " " << lon << " " << lat;
        }
      }
  }
  // The Eckert VI step divided by zero at 180 deg and drew NaN.
  TGxProjectionL p = Make(mpEckertVI);
  p.Forward(0, 180);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_NEAR(p.X, kX0, 1e-9);
  EXPECT_NEAR(p.Y, kY0, 1e-9);
}

// ---- Mended inverses ---------------------------------------------------------

TEST(Pseudocylindrical, EckertVInverseMultipliesBySqrtTwoPlusPi) {
  TGxProjectionL p = Make(mpEckertV);
  p.Forward(90, 0);
  EXPECT_NEAR((p.X - kX0) / kR, 1.385482, 1e-6);
  p.Inverse(p.X, p.Y);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_NEAR(p.X, 90, 1e-9);  // 17.504 deg before the mend
}

TEST(Pseudocylindrical, CrasterInverseMultipliesBySqrtPiOverThree) {
  TGxProjectionL p = Make(mpCraster);
  p.Forward(90, 45);
  EXPECT_NEAR((p.X - kX0) / kR, 1.123691, 1e-6);
  p.Inverse(p.X, p.Y);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_NEAR(p.X, 90, 1e-9);  // 85.944 deg before the mend
  EXPECT_NEAR(p.Y, 45, 1e-9);
  p.Inverse(kX0, kY0 - 3.1 * kR);  // |q| > 1: the pixel stays, so a range code wins
  EXPECT_EQ(p.ErrorCode, 544);
}

// From |v| = 3 on the latitude formula comes back into range: a ghost of the
// map used to appear far above and below the real one.
TEST(Pseudocylindrical, EckertIIRefusesTheGhostBeyondThePoles) {
  TGxProjectionL p = Make(mpEckertII);
  const double Cx = 2 / std::sqrt(6 * gx::kPi), Cy = 2 * std::sqrt(gx::kPi / 6);
  p.Inverse(kX0 + Cx * kR, kY0 - 3.5 * Cy * kR);
  EXPECT_EQ(p.ErrorCode, 392);
  p.Inverse(kX0 + Cx * kR, kY0 + 3.5 * Cy * kR);
  EXPECT_EQ(p.ErrorCode, 392);
  p.Forward(40, 0);
  EXPECT_EQ(p.Y, kY0);
  p.Forward(40, -1e-8 * gx::kRadToDeg);
  EXPECT_GT(p.Y, kY0);
  p.Forward(40, -5e-10 * gx::kRadToDeg);  // within 1e-9 rad the sign factor is 1
  EXPECT_LT(p.Y, kY0);
}

TEST(Pseudocylindrical, CollignonPoleAndFailures) {
  TGxProjectionL p = Make(mpCollignon);
  for (double lon : {-170.0, 0.0, 95.0}) {
    p.Forward(lon, 90);
    EXPECT_NEAR(p.X, kX0, 1e-9);
  }
  const double Cy = 1.7724538509055160273;  // sqrt(pi)
  p.Inverse(kX0, kY0 - Cy * kR - 1);  // above the pole
  EXPECT_EQ(p.ErrorCode, 473);
  p.Inverse(kX0, kY0 + 1.5 * Cy * kR);  // below the bottom edge
  EXPECT_EQ(p.ErrorCode, 474);
  p.Inverse(kX0 + 4 * kR, kY0);  // 202 deg along the equator
  EXPECT_EQ(p.ErrorCode, 475);
  // The pixel exactly at the pole gave 0/0 = NaN with code 0.
  p.Y0 = 0;
  p.Inverse(kX0, -Cy * kR);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_EQ(p.X, 0);
  EXPECT_DOUBLE_EQ(p.Y, 90);
  p.Inverse(kX0 + 1, -Cy * kR);
  EXPECT_EQ(p.ErrorCode, 475);
}

TEST(Pseudocylindrical, LoximuthalCentralLatitudeAndSouthPoleCentre) {
  TGxProjectionL p = Make(mpLoximuthal);  // Phi0 = 60
  p.Forward(80, 60);
  EXPECT_NEAR(p.X, kX0 + kR * 80 * gx::kDegToRad * 0.5, 1e-9);
  EXPECT_NEAR(p.Y, kY0, 1e-9);
  p.Inverse(p.X, p.Y);
  EXPECT_NEAR(p.X, 80, 1e-9);
  // Phi0 = -90: the forward puts every point on the central meridian, and the
  // inverse there used to give 0 * inf = NaN with code 0 on the window's own
  // centre column.
  p.SetPhi0(-90);
  p.Forward(80, 10);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_NEAR(p.X, kX0, 1e-9);
  p.Inverse(kX0, kY0 - 50);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_EQ(p.X, 0);
  EXPECT_NEAR(p.Y, -90 + 50 * gx::kRadToDeg / kR, 1e-9);
  p.SetPhi0(120);  // beyond the pole the tangent ratio is negative: no NaN either
  p.Forward(80, 10);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_TRUE(std::isfinite(p.X));
}

// ---- Sinusoidal, Mollweide, Eckert and their families -----------------------

TEST(Pseudocylindrical, RootFamilyPoleRowsAndCodes) {
  struct Row {
    TProjection kind;
    int F;
    double Cy;
  } rows[] = {{mpEckertIII, 491, 0.8444764006315424}, {mpPutnins, 501, 0.94745},
              {mpKavraiskyVII, 511, 1.0}, {mpWagnerVI, 521, 0.94745}};
  for (const Row& r : rows) {
    TGxProjectionL p = Make(r.kind);
    p.X0 = p.Y0 = 0;
    const double poleY = -r.Cy * kR * (gx::kHalfPi - 1e-12);
    p.Inverse(1, poleY);  // the pole row is accepted...
    if (r.kind == mpPutnins) {
      EXPECT_EQ(p.ErrorCode, 503);  // ...except where it has no width
      p.Inverse(4, poleY);          // pixel x left in X fails the longitude test
      EXPECT_EQ(p.ErrorCode, 504);
    } else {
      EXPECT_EQ(p.ErrorCode, 0) << Name(r.kind);
      EXPECT_NEAR(p.Y, 90, 1e-9) << Name(r.kind);
    }
    p.Inverse(0, poleY * 1.001);
    EXPECT_EQ(p.ErrorCode, r.F + 4) << Name(r.kind);
    p.Inverse(4 * kR, 0);
    EXPECT_EQ(p.ErrorCode, r.F + 3) << Name(r.kind);
  }
  TGxProjectionL p = Make(mpKavraiskyVII);  // Cy = 1: the pole comes out exactly
  p.X0 = p.Y0 = 0;
  p.Inverse(1, -kR * gx::kHalfPi);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_DOUBLE_EQ(p.Y, 90);
}

TEST(Pseudocylindrical, AuxAngleFamilyOutsideTheMap) {
  const std::pair<TProjection, double> rows[] = {{mpEckertVI, 2.5707963267948966},
                                                 {mpMcBryde, 1.7853981633974483}};
  for (auto [kind, n] : rows) {
    TGxProjectionL p = Make(kind);
    const int F = kind == mpEckertVI ? 591 : 601;
    p.Inverse(kX0 + 10, kY0 - (n + 1e-6) * kR);
    EXPECT_EQ(p.ErrorCode, F + 2) << Name(kind);
    EXPECT_EQ(p.X, 0);
    EXPECT_EQ(p.Y, 0);
    p.Inverse(kX0, kY0 + (n - 1e-3) * kR);  // inside |y| < n but beyond the pole
    EXPECT_EQ(p.ErrorCode, F + 3) << Name(kind);
  }
}

TEST(Pseudocylindrical, MollweidePolesAndEllipse) {
  TGxProjectionL p = Make(mpMollweide);
  for (double lat : {90.0, -90.0})
    for (double lon : {-120.0, 0.0, 179.0}) {
      p.Forward(lon, lat);
      EXPECT_EQ(p.ErrorCode, 0);
      EXPECT_EQ(p.X, kX0);
      EXPECT_NEAR(p.Y, kY0 - std::copysign(141.42135623731, lat), 1e-6);
    }
  p.Inverse(kX0, kY0 + 1.4142135623730 * kR);  // the lowest point
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_NEAR(p.Y, -90, 1e-6);
  p.Inverse(kX0 + 2.83 * kR, kY0);
  EXPECT_EQ(p.ErrorCode, 323);
  EXPECT_EQ(p.X, 0);
  EXPECT_EQ(p.Y, 0);
}

TEST(Pseudocylindrical, WagnerIVOutline) {
  TGxProjectionL p = Make(mpWagnerIV);
  p.Inverse(kX0, kY0 - 1.358 * kR);
  EXPECT_EQ(p.ErrorCode, 333);
  p.Inverse(kX0 + 2.72 * kR, kY0);  // 180.56 deg from the centre
  EXPECT_EQ(p.ErrorCode, 333);
  EXPECT_NEAR(p.X, -179.44, 0.01);  // the computed longitude stays
}

// A lobe longitude of 20 deg, 110 deg north or 140 deg south starts a new
// lobe: the boundary point sits with the eastern neighbour, and away from the
// equator the two lobes are apart. Relative longitude = lobe longitude - 180.
TEST(Pseudocylindrical, InterruptedMollweideLobeBoundaries) {
  TGxProjectionL p = Make(mpIMollweide);
  p.SetTheta(10);
  for (auto [relLon, lat] : {std::pair{-160.0, 45.0}, {-70.0, 45.0}, {80.0, 45.0},
                             {-160.0, -45.0}, {-40.0, -45.0}, {110.0, -45.0}}) {
    p.Forward(10 + relLon - 1e-6, lat);
    const double west = p.X;
    p.Forward(10 + relLon, lat);
    const double at = p.X;
    p.Forward(10 + relLon + 1e-6, lat);
    const double east = p.X;
    EXPECT_NEAR(at, east, 1e-4) << relLon << " " << lat;
    EXPECT_GT(std::fabs(at - west), 10) << relLon << " " << lat;  // the cut
  }
  p.Forward(10, 30);  // the centre meridian lies inside lobe 1
  const double centre = p.X;
  p.Forward(10.001, 30);
  EXPECT_NEAR(p.X, centre, 0.01);
  // Gap between two southern lobes: x in lobe 4's strip, longitude beyond it.
  p.Inverse(kX0 - 0.9 * kR, kY0 + 1.2 * kR);
  EXPECT_EQ(p.ErrorCode, 353);
  p.Inverse(kX0, kY0 - 1.5 * kR);
  EXPECT_EQ(p.ErrorCode, 353);
  EXPECT_NEAR(p.X, -170, 1e-9);  // Theta - 180 deg
  EXPECT_EQ(p.Y, 0);
}

TEST(Pseudocylindrical, SinusoidalTopRow) {
  TGxProjectionL p = Make(mpSinusoidal);
  p.X0 = p.Y0 = 0;
  p.Inverse(0, -kR * gx::kHalfPi);
  EXPECT_EQ(p.ErrorCode, 0);
  EXPECT_DOUBLE_EQ(p.Y, 90);
  p.Inverse(1, -kR * gx::kHalfPi);
  EXPECT_EQ(p.ErrorCode, 177);
  ASSERT_NE(RoutinesOf(mpSinusoidal), nullptr);  // Bonne with Phi0 = 0 runs it
}

// ---- McBryde-Thomas, Wagner, Urmaev, Foucaut, Fahey ---------------------------

TEST(Pseudocylindrical, SineTangentPair) {
  for (TProjection kind : {mpQuarticAu, mpFoucaut}) {
    TGxProjectionL p = Make(kind);
    p.Forward(40, 0);
    EXPECT_NEAR(p.X, kX0 + kR * 40 * gx::kDegToRad, 1e-9) << Name(kind);
    EXPECT_NEAR(p.Y, kY0, 1e-9);
    p.Forward(0, 90);
    EXPECT_NEAR(kY0 - p.Y, kR * (kind == mpFoucaut ? 2 : 2 * std::sin(gx::kPi / 4)), 1e-9);
  }
}

TEST(Pseudocylindrical, UrmaevClampIsWrittenBack) {
  struct Case {
    double other, used;
  } cases[] = {{0, 0.0001}, {-2, 0.0001}, {3, 1}, {std::nan(""), 0.0001}, {0.5, 0.5}};
  for (const Case& c : cases) {
    TGxProjectionL p = Make(mpUrmaev);
    p.Other = c.other;
    p.Forward(0, 90);
    EXPECT_EQ(p.ErrorCode, 0);
    EXPECT_EQ(p.Other, c.used);
    EXPECT_NEAR(kY0 - p.Y, kR * 1.139753528477 * std::asin(c.used), 1e-9);
    p.Other = c.other;
    p.Inverse(kX0, kY0 - 10);
    EXPECT_EQ(p.Other, c.used);
  }
}

TEST(Pseudocylindrical, FoucautSinusoidalParameter) {
  TGxProjectionL p = Make(mpFoucautS);
  TGxProjectionL s = Make(mpSinusoidal);
  p.Other = 1;  // the sinusoidal
  p.Forward(70, -50);
  s.Forward(70, -50);
  EXPECT_NEAR(p.X, s.X, 1e-9);
  EXPECT_NEAR(p.Y, s.Y, 1e-9);
  for (double n : {-0.1, 2.5, std::nan("")}) {
    p.Other = n;
    p.Inverse(kX0 + 5, kY0 + 5);
    EXPECT_EQ(p.ErrorCode, 575) << n;
  }
  p.Other = 0.5;
  p.Inverse(kX0, kY0 - kR * (0.5 * gx::kHalfPi + 0.5) - 1);  // above the pole row
  EXPECT_EQ(p.ErrorCode, 574);
}

TEST(Pseudocylindrical, WagnerIIIWithZeroParallelKeepsY) {
  TGxProjectionL p = Make(mpWagnerIII);
  p.Other = 0;
  p.Forward(60, 50);
  EXPECT_NEAR(p.Y, kY0 - kR * 50 * gx::kDegToRad, 1e-9);
  EXPECT_NEAR(p.X, kX0 + kR * 60 * gx::kDegToRad * std::cos(2.0 / 3 * 50 * gx::kDegToRad), 1e-9);
}

TEST(Pseudocylindrical, FaheyPoleRow) {
  TGxProjectionL p = Make(mpFahey);
  p.Radius = 1;  // unit pixels, so that |t| comes out exactly 1
  p.X0 = p.Y0 = 0;
  p.Inverse(0.5, -1.819152);
  EXPECT_EQ(p.ErrorCode, 565);
  p.Inverse(0, -1.9);
  EXPECT_EQ(p.ErrorCode, 564);
}

TEST(Pseudocylindrical, McBrydeStatusesBeyondTheMap) {
  TGxProjectionL q = Make(mpMcBrydeQ);
  q.Inverse(kX0, kY0 - 1.4 * kR);  // y inside pi/2, no latitude
  EXPECT_EQ(q.ErrorCode, 757);
  q.Inverse(kX0, kY0 - 1.6 * kR);  // y beyond pi/2: status 3, then 5 wins
  EXPECT_EQ(q.ErrorCode, 757);
  TGxProjectionL b = Make(mpMcBrydeP);
  b.Inverse(kX0, kY0 - 1.45 * kR);
  EXPECT_EQ(b.ErrorCode, 747);
  b.Inverse(kX0, kY0 - 3.5 * kR);  // no auxiliary angle; overrides the y status
  EXPECT_EQ(b.ErrorCode, 746);
}
