// The hand-over to an attached conversion component, and the grid kinds.
#include "EngineTest.h"

#include "conversion/GxConvertL.h"

namespace {

// Each character against both ends of its range: letters A to Z, then the
// zone's tens 0 to 6 (zone 60 is the last UTM zone), then a digit 0 to 9; a
// character just outside a range is replaced, one just inside is kept.
TEST(Conversion, ZoneTextIsNormalised) {
  const std::pair<const char*, const char*> cases[] = {
      {"32U", "N21"}, {"U32", "U32"}, {"u32", "N32"}, {"U72", "U32"},
      {"U3", "N31"},  {"U321", "U32"}, {"", "N31"},
      {"U60", "U60"}, {"U61", "U61"}, {"U70", "U30"}, {"U01", "U01"}, {"U/1", "U31"},
      {"A00", "A00"}, {"Z69", "Z69"}, {"@11", "N11"}, {"[11", "N11"}, {"`11", "N11"},
      {"N1/", "N11"}, {"N1:", "N11"}, {"N19", "N19"}, {"N10", "N10"}, {"N7:", "N31"},
      {"\xc3\x84" "1", "N31"},  // a letter outside ASCII: two bytes, neither kept
  };
  TGxConvertL c;
  for (const auto& [text, zone] : cases) {
    c.SetUTMZone(text);
    EXPECT_EQ(c.UTMZone().Str(), zone) << text;
  }
}

// Both branches of the hand-over: Lambert (EllipsType 1: SetCoordinates) and
// Bonne (EllipsType 0: Convert).
TEST(Conversion, AttachedConverterChangesNoResult) {
  for (const TProjection kind : {mpLaConformalConic, mpBonne}) {
    TGxProjectionL plain = MakeReady(kind, 30), handed = plain;
    TGxConvertL c;
    handed.GxConvert = &c;
    for (TGxProjectionL* p : {&plain, &handed}) p->Forward(12, 48);
    EXPECT_TRUE(PairNear(handed, plain.X, plain.Y, 0)) << EnumName(kind);
    EXPECT_EQ(handed.Zone, "N31");
    for (TGxProjectionL* p : {&plain, &handed}) p->Inverse(300, 280);
    EXPECT_EQ(handed.ErrorCode, 0) << EnumName(kind);
    EXPECT_TRUE(PairNear(handed, plain.X, plain.Y, 0)) << EnumName(kind);
    EXPECT_EQ(c.SavedB, plain.Y) << EnumName(kind);
  }
}

// An ellipsoid index the table lacks is set back to the kind's default only
// when a converter is attached that has no extra records either; one it keeps
// is projected on the converter's record, never without the converter.
TEST(Conversion, IndexCheckRepairsMapInputOnlyWithAConverter) {
  struct Case { TProjection kind; int extra, before, after; };
  const Case cases[] = {
      {mpLaConformalConic, 0, 60, 30}, {mpLaConformalConic, 0, 52, 52},
      {mpLaConformalConic, 0, -1, 30}, {mpLaConformalConic, 10, 60, 60},
      {mpBonne, 0, 250, 220},          {mpBonne, 0, 220, 220},
      {mpBonne, 0, -5, 220},           {mpBonne, 30, 250, 250},
  };
  for (const Case& k : cases) {
    TGxProjectionL p = MakeReady(k.kind, k.before);
    SCOPED_TRACE(testing::Message() << EnumName(k.kind) << " " << k.before);
    p.Forward(10, 20);
    EXPECT_TRUE(p.MapInput == k.before && p.EllipsoidAxes().a == 6378137.0);
    TGxConvertL c;
    c.ExtraEllipsoidCount = c.ExtraSphereCount = k.extra;
    c.AddEllipsoid(52, {1000.0, 4.0});
    p.GxConvert = &c;
    p.Inverse(260, 250);
    EXPECT_EQ(p.MapInput, k.after);
    if (k.after == 52) { EXPECT_TRUE(p.SemiMajor == 1000.0 && p.AxisRatio == 0.75) << p.SemiMajor; }
  }
}

// The grid kinds: (E, N) through six coefficients, no degrees and no tilt.
TEST(Conversion, GridKindsAreAffineAndInvertible) {
  for (const TProjection kind : {mpUTM, mpDatumUTM, mpNationalGrid}) {
    TGxProjectionL p;
    p.Projection = kind;
    EXPECT_EQ(ForwardCode(p, 500000, 5400000), 152);  // not ready
    EXPECT_EQ(InverseCode(p, 3, 4), 153);
    p.Ready = true;
    p.Oblique = 0.5;
    // x = 2E + 0.5N + 10, y = -N + 0.25E + 20
    p.Radius = 2, p.Theta = 0.5, p.Phi0 = 10, p.Phi1 = -1, p.Phi2 = 0.25, p.X0 = 20;
    EXPECT_EQ(ForwardCode(p, 3, 4), 0);
    EXPECT_TRUE(PairNear(p, 18, 16.75, 0));
    EXPECT_EQ(InverseCode(p, 18, 16.75), 0);
    EXPECT_DOUBLE_EQ(p.X, 3);
    EXPECT_DOUBLE_EQ(p.Y, 4);
    p.Phi2 = -4;  // det = 2 * -1 - (-4) * 0.5 = 0: refused, nothing divided
    EXPECT_EQ(InverseCode(p, 18, 16.75), 153);
    EXPECT_TRUE(PairNear(p, 18, 16.75, 0));
  }
}

}  // namespace
