// Tissot's indicatrix from the engine's Forward, against each kind's theory:
// conformal kinds keep angles, equal-area kinds a constant areal scale (from
// each kind's formula), equidistant kinds the scale along their true lines.
#include "EngineTest.h"

#include <limits>
#include <numbers>

#include "projection/Distortion.h"

namespace {

constexpr double kPi = std::numbers::pi, kRad = kPi / 180;
const double kNaN = std::numeric_limits<double>::quiet_NaN(), kInf = std::numeric_limits<double>::infinity();

enum class Law {
  Conformal,      // Angle = 0; Area = areal(p, lon, lat) when given
  EqualArea,      // Area = constant everywhere
  MeridiansTrue,  // unit scale along the meridians
  ParallelsTrue,  // unit scale along the parallels
  Plate,          // equirectangular: B = 1 along the meridians, A = sec(lat)
  RadialTrue,     // azimuthal equidistant: B = 1 along the radius, A = c / sin c
};

// Cosine of the angular distance from the centre (Theta, Phi0).
double CosDistance(const TGxProjectionL& p, double lon, double lat) {
  return std::sin(p.Phi0) * std::sin(lat) + std::cos(p.Phi0) * std::cos(lat) * std::cos(lon - p.Theta);
}

// mapInput: 220 a sphere, 30 WGS 84, 31 a sphere to 3e-7; constant: the areal scale of an equal-area kind;
// areal: that of a conformal kind (radians); other: a parameter other than the catalogue's; tilt in degrees
// about the map's centre; foldsAtEquator: no derivative along the meridians there (checked below).
struct TheoryRow {
  const char* name;
  TProjection kind;
  int mapInput;
  Law law;
  double constant = 0;
  double (*areal)(const TGxProjectionL&, double lon, double lat) = nullptr;
  double other = kNaN, tilt = 0;
  bool foldsAtEquator = false;
};

// An equal-area kind on the sphere with its areal scale.
TheoryRow Area(const char* name, TProjection kind, double constant) {
  return {name, kind, 220, Law::EqualArea, constant};
}

// Mollweide: x = Cx lon cos t, y = Cy sin t, 2t + sin 2t = k sin(lat): Cx Cy k / 4.
constexpr double kMollweideArea = 0.900316316158 * 1.4142135623731 * kPi / 4;
// Wagner I and Urmaev: sin t = k sin(lat), x = Cx lon cos t, y = Cy t: Cx Cy k.
constexpr double kUrmaevArea = 0.8773826753 * 1.139753528477;

const TheoryRow kTheory[] = {
    // Mercator: k = sec(lat) on the sphere, sqrt(1 - e^2 sin^2)/cos on the ellipsoid.
    // Stereographic: 2/(1 + cos c).
    {"Mercator, sphere", mpMercator, 31, Law::Conformal, 0,
     [](const TGxProjectionL&, double, double lat) { return 1 / (std::cos(lat) * std::cos(lat)); }},
    {"Mercator, WGS 84", mpMercator, 30, Law::Conformal, 0,
     [](const TGxProjectionL& p, double, double lat) {
       const double s = std::sin(lat), c = std::cos(lat), r = p.EllipsoidAxes().ratio;
       return (1 - (1 - r * r) * s * s) / (c * c);
     }},
    {"stereographic", mpStereographic, 220, Law::Conformal, 0,
     [](const TGxProjectionL& p, double lon, double lat) {
       return std::pow(2 / (1 + CosDistance(p, lon, lat)), 2);
     }},
    {"stereographic, tilted 40", mpStereographic, 220, Law::Conformal, 0, nullptr, kNaN, 40},
    {"Lambert conformal conic, WGS 84", mpLaConformalConic, 30, Law::Conformal},
    // Cylinders y = sin(lat)/cos(s), x = lon: areal scale 1/cos(s).
    Area("Lambert cylindrical", mpLamCylindricalEA, 1),
    Area("Behrmann", mpBerCylindricalEA, 1 / std::cos(30 * kRad)),
    Area("Trystan Edwards", mpTristanEdwards, 1 / std::cos(37.383 * kRad)),
    Area("Peters", mpPeters, 1 / std::cos(44.138 * kRad)),
    Area("Gall orthographic", mpGallOrth, 1 / std::cos(45 * kRad)),
    Area("Balthasart", mpBalthasart, 1 / std::cos(50 * kRad)), Area("Mollweide", mpMollweide, kMollweideArea),
    Area("interrupted Mollweide", mpIMollweide, kMollweideArea),
    Area("Wagner IV", mpWagnerIV, 0.8631 * 1.56548 * 2.9604205062 / 4),
    // Eckert II: x = Cx lon s, y = Cy (2 - s), s^2 = 4 - 3 sin: 3/2 Cx Cy. Eckert IV: Cx Cy k0 / 2.
    {"Eckert II", mpEckertII, 220, Law::EqualArea,
     1.5 * 0.46065886596178063904 * 1.4472025091165353187, nullptr, kNaN, 0, true},
    Area("Eckert IV", mpEckertIV, 0.42223820031577120147 * 1.3265004281770023222 * 3.5707963267948966191 / 2),
    // Eckert VI: sin t + m t = n sin(lat), Cy^2 = (m + 1)/n, Cx = Cy/(m + 1): Cx Cy n = 1.
    {"Eckert VI (flagged ellipsoidal, projects the sphere)", mpEckertVI, 30, Law::EqualArea, 1},
    // Craster: cos(lat) = cos(lat/3)(2 cos(2 lat/3) - 1): Cx Cy / 3.
    Area("Craster", mpCraster, 0.97720502380583984319 * 3.0699801238394654652 / 3),
    // Wagner VII: Lambert azimuthal of (lon/3, asin(a sin lat)), stretched: cx cy a / 3.
    Area("Wagner VII", mpWagnerVII, 2.66723 * 1.24104 * 0.90631 / 3),
    Area("Collignon", mpCollignon, 1.1283791670955125740 * 1.7724538509055160273 / 2),
    // Quartic authalic: sine and tangent modes of x = (q/p) lon cos(lat) / cos(lat/q): 1.
    Area("sinusoidal", mpSinusoidal, 1), Area("McBryde-Thomas sine 2", mpMcBryde, 1),
    Area("Hammer", mpHammer, 1),
    Area("quartic authalic", mpQuarticAu, 1), Area("McBryde-Thomas sine 1", mpMcBrydeSin, 1),
    Area("Kavraisky V", mpKavraiskyV, 1), Area("Foucaut", mpFoucaut, 1), Area("Nell", mpNell, 1),
    Area("Foucaut sinusoidal, blend 1", mpFoucautS, 1), Area("Bonne", mpBonne, 1),
    Area("Lambert azimuthal", mpLaAzimuthalEA, 1),
    {"Foucaut sinusoidal, blend 0.4", mpFoucautS, 220, Law::EqualArea, 1, nullptr, 0.4},
    // 0.45503 sin(t/1.36509) + sin t = 1.41546 sin(lat): 3 Cx Cy k / 1.36509.
    Area("McBryde-Thomas flat-polar sinusoidal", mpMcBrydeSin2, 3 * 0.22248 * 1.44492 * 1.41546 / 1.36509),
    Area("McBryde-Thomas flat-polar parabolic", mpMcBrydeP,
         0.92582009977255146159 * 3.4016802570830450448 * 0.95257934441568037153 / 3),
    Area("McBryde-Thomas flat-polar quartic", mpMcBrydeQ,
         0.3124597141037824925 * 1.8747582846226949551 * 1.7071067811865475245),
    Area("Wagner I", mpWagnerI, kUrmaevArea * 0.8660254037844386469),
    Area("Urmaev, factor 1", mpUrmaev, kUrmaevArea),
    {"Urmaev, factor 0.6", mpUrmaev, 220, Law::EqualArea, kUrmaevArea * 0.6, nullptr, 0.6},
    {"Albers, WGS 84", mpAlbertsCEA, 30, Law::EqualArea, 1},
    {"Albers, sphere", mpAlbertsCEA, 31, Law::EqualArea, 1},
    {"Mollweide, tilted 30", mpMollweide, 220, Law::EqualArea, kMollweideArea, nullptr, kNaN, 30},
    {"equirectangular", mpEquirectangular, 220, Law::Plate},
    {"azimuthal equidistant", mpAzimuthalEA, 220, Law::RadialTrue},
    {"equidistant conic, WGS 84", mpEDConical, 30, Law::MeridiansTrue},
    {"sinusoidal parallels", mpSinusoidal, 220, Law::ParallelsTrue},
    {"Bonne parallels", mpBonne, 220, Law::ParallelsTrue},
    {"polyconic parallels, WGS 84", mpPolyconic, 30, Law::ParallelsTrue},
};

// Tilted about the map's centre, as the window tilts.
void Tilt(TGxProjectionL& p, double degrees) {
  p.SetOblique(degrees);
  p.AxisTheta = p.Theta;
  p.AxisPhi = p.Phi0;
}

}  // namespace

// Points away from the poles and ten degrees or more from the interrupted
// Mollweide's cuts; longitudes relative to the central meridian.
TEST(Distortion, ValuesKnownFromTheory) {
  for (const TheoryRow& row : kTheory) {
    TGxProjectionL p = MakeReady(row.kind, row.mapInput);
    if (!std::isnan(row.other)) p.Other = row.other;
    if (row.tilt != 0) Tilt(p, row.tilt);
    TDistortionProbe probe(p);
    int checked = 0;
    for (double relLon : {-170, -120, -60, -10, 0, 35, 90, 160})
      for (double lat : {-75, -50, -20, 0, 10, 40, 70}) {
        if (row.foldsAtEquator && lat == 0) continue;
        const double lon = p.Theta * gx::kRadToDeg + relLon;
        SCOPED_TRACE(testing::Message() << row.name << " at " << relLon << ", " << lat);
        TDistortion d;
        if (!probe.At(lon, lat, d)) {
          // Only where the map itself refuses the point (the azimuthal kinds'
          // circle a quarter turn from their centre).
          TGxProjectionL q = p;
          q.Forward(lon, lat);
          EXPECT_NE(q.ErrorCode, 0) << "no value for a point on the map";
          continue;
        }
        ++checked;
        EXPECT_GE(d.A, d.B);
        EXPECT_NEAR(d.Area, d.A * d.B, 1e-12 * d.Area);
        const double east = std::hypot(d.EastU, d.EastV), north = std::hypot(d.NorthU, d.NorthV);
        switch (row.law) {
          case Law::Conformal:
            EXPECT_LT(d.Angle(), 1e-6);
            if (row.areal) { EXPECT_NEAR(d.Area / row.areal(p, lon * kRad, lat * kRad), 1, 1e-6); }
            break;
          case Law::EqualArea: EXPECT_NEAR(d.Area / row.constant, 1, 1e-6) << row.constant; break;
          case Law::MeridiansTrue: EXPECT_NEAR(north, 1, 1e-6); break;
          case Law::ParallelsTrue: EXPECT_NEAR(east, 1, 1e-6); break;
          case Law::Plate:
            EXPECT_NEAR(north, 1, 1e-6);
            EXPECT_NEAR(d.B, 1, 1e-6);
            EXPECT_NEAR(d.A, 1 / std::cos(lat * kRad), 1e-6);
            break;
          case Law::RadialTrue:
            const double c = std::acos(CosDistance(p, lon * kRad, lat * kRad));
            EXPECT_NEAR(d.B, 1, 1e-6);
            EXPECT_NEAR(d.A, c / std::sin(c), 1e-6);
        }
      }
    EXPECT_GE(checked, 40) << row.name;
  }
}

// A tilt moves the distortion over the globe and changes nothing else: the
// tilted map at a point shows what the untilted one shows where the tilt turns it.
TEST(Distortion, TiltMovesDistortionWithoutChangingIt) {
  for (int position : {4, 27, 42, 49, 56, 63, 64}) {
    TGxProjectionL flat = MakeReady(CatalogueAt(position).Kind), tilted = flat;
    Tilt(tilted, 30);
    TDistortionProbe atFlat(flat), atTilted(tilted);
    int compared = 0;
    for (double lon = -175; lon < 180; lon += 23)
      for (double lat = -80; lat <= 80; lat += 17) {
        TGxProjectionL turn = tilted;
        turn.ObliqueRotate(lon * kRad, lat * kRad, true);
        const double lon2 = turn.X / kRad, lat2 = turn.Y / kRad;
        // Away from the poles and the cut, where values change fastest.
        if (std::fabs(lat2) > 85 || std::fabs(std::remainder(lon2 - flat.Theta / kRad, 360)) > 177) continue;
        SCOPED_TRACE(testing::Message() << position << ": " << lon << ", " << lat);
        TDistortion t, f;
        const bool tOk = atTilted.At(lon, lat, t);
        ASSERT_EQ(tOk, atFlat.At(lon2, lat2, f));
        if (!tOk) continue;
        ++compared;
        EXPECT_NEAR(t.A / f.A, 1, 1e-6);
        EXPECT_NEAR(t.B / f.B, 1, 1e-6);
      }
    EXPECT_GT(compared, 50) << position;
  }
}

// No value where the map has none, and never a NaN for one; with a map
// position too (taken on trust where the map is smooth about it: the
// stereographic antipode has smooth neighbours), and never for a NaN pixel.
TEST(Distortion, RefusedPointsHaveNoValue) {
  struct Case {
    const char* what;
    TProjection kind;
    double lon, lat;
    void (*change)(TGxProjectionL&) = nullptr;
    bool hinted = true;
  };
  const Case cases[] = {
      {"orthographic, far side", mpOrthographic, 6 + 180, -52},
      {"Mercator, pole", mpMercator, 0, 90},
      {"gnomonic, a quarter turn away", mpGnomonic, 90, 0},
      {"stereographic, antipode", mpStereographic, 180, -22, nullptr, false},
      {"latitude beyond the pole", mpMollweide, 0, 90.5},
      {"NaN longitude", mpMollweide, kNaN, 0}, {"NaN latitude", mpMollweide, 0, kNaN},
      {"infinite longitude", mpMollweide, kInf, 10},
      {"not ready", mpMollweide, 0, 0, [](TGxProjectionL& p) { p.Ready = false; }},
      {"NaN radius", mpMollweide, 0, 0, [](TGxProjectionL& p) { p.Radius = kNaN; }},
      {"grid kind", mpUTM, 0, 0, [](TGxProjectionL& p) { p.Ready = true; }},
      {"kind without routines", mpPutnins2, 0, 0},
  };
  TDistortion d;
  for (const Case& c : cases) {
    TGxProjectionL p = MakeReady(c.kind);
    if (c.change) c.change(p);
    TDistortionProbe probe(p);
    EXPECT_FALSE(probe.At(c.lon, c.lat, d)) << c.what;
    EXPECT_FALSE(c.hinted && probe.At(c.lon, c.lat, 264, 253, d)) << c.what;
  }
  TGxProjectionL p = MakeReady(mpMollweide);
  EXPECT_FALSE(TDistortionProbe(p).At(0, 0, kNaN, 253, d));
}

// Right values where Forward refuses a side or a side lies across a cut (azimuthal centres, poles, the
// map's edge, lobe boundaries, Eckert II's fold); the azimuth follows the largest scale (Peters: meridian
// cos(lat)/cos(s), parallel sec(lat): north-south below 32 degrees, east-west above).
TEST(Distortion, ValuesAtRefusedOrCutSidesAndTheAzimuth) {
  struct Case {  // a NaN: an equal-area kind, areal scale 1; azimuth NaN: not checked
    TProjection kind;
    double phi0, relLon, lat, a, b, within, azimuth = kNaN;
  };
  const double peters = std::cos(44.138 * kRad);
  const Case cases[] = {
      {mpAzimuthalEA, 50, 0, 50, 1, 1, 1e-5},      {mpLaAzimuthalEA, 50, 0, 50, 1, 1, 1e-5},
      {mpLaAzimuthalEA, 90, 0, 90, 1, 1, 1e-5},    {mpAzimuthalEA, 90, 0, 90, 1, 1, 1e-5},
      {mpStereographic, 90, 0, 90, 1, 1, 1e-5},    {mpEquirectangular, 0, 180, 60, 2, 1, 1e-6, kPi / 2},
      {mpEquirectangular, 0, -180, -60, 2, 1, 1e-6}, {mpEckertII, 0, 40, 0, kNaN, kNaN, 1e-5},
      {mpIMollweide, 0, -160, 45, kNaN, kNaN, 1e-6}, {mpIMollweide, 0, -70, 45, kNaN, kNaN, 1e-6},
      {mpIMollweide, 0, 80, 45, kNaN, kNaN, 1e-6},  {mpIMollweide, 0, -40, -45, kNaN, kNaN, 1e-6},
      {mpIMollweide, 0, 110, -45, kNaN, kNaN, 1e-6},
      {mpEquirectangular, 0, 40, -30, 2 / std::sqrt(3.0), 1, 1e-6, kPi / 2},
      {mpPeters, 0, 40, 20, std::cos(20 * kRad) / peters, 1 / std::cos(20 * kRad), 1e-6, 0},
      {mpPeters, 0, 40, 60, 1 / std::cos(60 * kRad), std::cos(60 * kRad) / peters, 1e-6, kPi / 2},
  };
  for (const Case& c : cases) {
    TGxProjectionL p = MakeReady(c.kind);
    p.SetPhi0(c.phi0);
    TDistortion d;
    SCOPED_TRACE(testing::Message() << EnumName(c.kind) << " " << c.relLon << " " << c.lat);
    ASSERT_TRUE(TDistortionProbe(p).At(p.Theta / kRad + c.relLon, c.lat, d));
    if (std::isnan(c.a)) {
      EXPECT_NEAR(d.Area, 1, c.within);
      continue;
    }
    EXPECT_NEAR(d.A, c.a, c.within);
    EXPECT_NEAR(d.B, c.b, c.within);
    if (!std::isnan(c.azimuth)) { EXPECT_NEAR(d.Azimuth(), c.azimuth, 1e-6); }
  }
}

// The pixel loops pass the point's position from Inverse: the result is that
// of the point alone, also when the position is off (it only steers the cut
// test), and the component itself sees nothing.
TEST(Distortion, PixelHintChangesNothingAndNoEventFires) {
  for (TProjection kind : {mpMollweide, mpRobinson, mpIMollweide, mpPolyconic, mpAzimuthalEA}) {
    TGxProjectionL p = MakeReady(kind, 30), reader = p;
    EventLog log;
    log.Attach(p);
    TDistortionProbe probe(p);
    p.ErrorCode = 77;
    int compared = 0;
    for (int r = 3; r < 507; r += 37)
      for (int c = 5; c < 528; c += 41) {
        reader.Inverse(c, r);
        if (reader.ErrorCode != 0) continue;
        SCOPED_TRACE(testing::Message() << EnumName(kind) << " " << c << "," << r);
        TDistortion plain, hinted, wrong;
        ASSERT_TRUE(probe.At(reader.X, reader.Y, plain) && probe.At(reader.X, reader.Y, c, r, hinted) &&
                    probe.At(reader.X, reader.Y, c + 3, r - 2, wrong));
        for (const TDistortion* d : {&hinted, &wrong}) EXPECT_NEAR(d->A / plain.A, 1, 1e-9);
        ++compared;
      }
    EXPECT_GT(compared, 20) << EnumName(kind);
    EXPECT_TRUE(log.errors.empty() && log.results.empty()) << EnumName(kind);
    EXPECT_EQ(p.ErrorCode, 77);
  }
}
