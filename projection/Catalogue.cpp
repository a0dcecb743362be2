#include "projection/Catalogue.h"

#include <algorithm>
#include <array>

#include "projection/GxProjectionL.h"

namespace {

// Names are UTF-8. Columns: German display name, English name, kind, EllipsType,
// TypeGeo, Reference, radius factor, Theta, Phi0, Phi1, Phi2 (degrees), Other,
// optional spin edit.
//
// The English names are the usual ones of the cartographic literature and
// say what the routine draws: position 4 keeps its German name, but its
// routine is the azimuthal equidistant projection, and so it is called in
// English.
constexpr CatalogueEntry kCatalogue[kListCount] = {
    {"UTM Grid", "UTM grid", mpUTM, 1, false, true, 0, 0, 0, 0, 0, 0, OptionalSpin::None},  // 0
    {"UTM Lokal Grid", "Local UTM grid", mpDatumUTM, 2, false, true, 0, 0, 0, 0, 0, 0, OptionalSpin::None},  // 1
    {"National Grid", "National grid", mpNationalGrid, 3, false, true, 0, 0, 0, 0, 0, 0, OptionalSpin::None},  // 2
    {"Albert flächentreue Kegelprojektion", "Albers equal-area conic", mpAlbertsCEA, 1, true, false, 80, 0, 0, 30, 50, 0, OptionalSpin::Phi1},  // 3
    {"Azimutale flächentreue Projektion", "Azimuthal equidistant", mpAzimuthalEA, 0, true, false, 65, 25, 50, 0, 0, 0, OptionalSpin::Phi0},  // 4
    {"Balthasart-Projektion", "Balthasart", mpBalthasart, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 5
    {"Behrmann flächentreue Zylinderprojektion", "Behrmann", mpBerCylindricalEA, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 6
    {"Bonne-Projektion", "Bonne", mpBonne, 0, true, false, 75, -100, 45, 0, 0, 0, OptionalSpin::Phi0},  // 7
    {"Brauns stereografische Zylinderprojektion", "Braun stereographic", mpBStereo, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 8
    {"Cassini-Soldner-Projektion", "Cassini-Soldner", mpCassiniS, 1, true, false, 70, 0, 0, 0, 0, 0, OptionalSpin::None},  // 9
    {"Collignon-Projektion", "Collignon", mpCollignon, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 10
    {"Craster-Projektion", "Craster parabolic", mpCraster, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 11
    {"Eckert-Projektion I", "Eckert I", mpEckertI, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 12
    {"Eckert-Projektion II", "Eckert II", mpEckertII, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 13
    {"Eckert-Projektion III", "Eckert III", mpEckertIII, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 14
    {"Eckert-Projektion IV", "Eckert IV", mpEckertIV, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 15
    {"Eckert-Projektion V", "Eckert V", mpEckertV, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 16
    {"Eckert-Projektion VI", "Eckert VI", mpEckertVI, 1, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 17
    {"Äquidistante Kegelprojektion", "Equidistant conic", mpEDConical, 1, true, false, 60, 0, 0, 30, 50, 1, OptionalSpin::Phi1},  // 18
    {"Äquirechtwinklige Zylinderprojektion", "Equirectangular", mpEquirectangular, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 19
    {"Fahey-Projektion", "Fahey", mpFahey, 1, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 20
    {"Foucaut-Projektion", "Foucaut", mpFoucaut, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 21
    {"Foucaut Sinusoidal-Projektion", "Foucaut sinusoidal", mpFoucautS, 0, true, false, 65, 0, 0, 0, 0, 1, OptionalSpin::None},  // 22
    {"Gall orthographische Prjektion", "Gall orthographic", mpGallOrth, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 23
    {"Gall stereographische Projektion", "Gall stereographic", mpGall, 0, true, false, 85, 0, 0, 0, 0, 0, OptionalSpin::None},  // 24
    {"Allgemeine Vertikalperspektive", "General vertical perspective", mpGvnsp, 0, true, false, 500, 10, 55, 0, 0, 75, OptionalSpin::None},  // 25
    {"Gnomon-Projektion", "Gnomonic", mpGnomonic, 0, true, false, 65, 0, 22, 0, 0, 0, OptionalSpin::None},  // 26
    {"Hammer-Projektion", "Hammer", mpHammer, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 27
    {"Geteilte Mollweide-Projektion", "Interrupted Mollweide", mpIMollweide, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 28
    {"Kavraisky-Projektion V", "Kavraisky V", mpKavraiskyV, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 29
    {"Kavraisky-Projektion VII", "Kavraisky VII", mpKavraiskyVII, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 30
    {"Lambert Azimutalprojektion", "Lambert azimuthal equal-area", mpLaAzimuthalEA, 0, true, false, 100, 25, 50, 0, 0, 0, OptionalSpin::Phi0},  // 31
    {"Lambert Kegelprojektion", "Lambert conformal conic", mpLaConformalConic, 1, true, false, 100, 4, 0, 49, 51, 0, OptionalSpin::None},  // 32
    {"Lambert Zylinderprojektion", "Lambert cylindrical equal-area", mpLamCylindricalEA, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 33
    {"Loximutal-Projektion", "Loximuthal", mpLoximuthal, 0, true, false, 65, 0, 60, 0, 0, 0, OptionalSpin::Phi0},  // 34
    {"McBryde-Thomas parabolische Projektion", "McBryde-Thomas flat-polar parabolic", mpMcBrydeP, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 35
    {"McBryde-Thomas Quartik-Projektion", "McBryde-Thomas flat-polar quartic", mpMcBrydeQ, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 36
    {"McBryde-Thomas Sinusprojektion 1", "McBryde-Thomas flat-pole sine (No. 1)", mpMcBrydeSin, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 37
    {"McBryde-Thomas Sinusprojektion 2", "McBryde-Thomas flat-pole sine (No. 2)", mpMcBryde, 1, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 38
    {"McBryde-Thomas Sinusoidal-Projektion", "McBryde-Thomas flat-polar sinusoidal", mpMcBrydeSin2, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 39
    {"Mercator-Projektion", "Mercator", mpMercator, 1, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 40
    {"Miller Zylinderprojektion", "Miller cylindrical", mpMiller, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 41
    {"Mollweide-Projektion", "Mollweide", mpMollweide, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 42
    {"Nell-Projektion", "Nell", mpNell, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 43
    {"Orthographische Projektion", "Orthographic", mpOrthographic, 0, true, true, 200, 6, 52, 0, 0, 0, OptionalSpin::Phi0},  // 44
    {"Peters-Projektion", "Peters", mpPeters, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 45
    {"Polykegelprojektion", "Polyconic", mpPolyconic, 1, true, false, 65, -100, 0, 0, 0, 0, OptionalSpin::None},  // 46
    {"Putnins-Projektion", "Putniņš P1", mpPutnins, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 47
    {"Quartik-Projektion", "Quartic authalic", mpQuarticAu, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 48
    {"Robinson-Projektion", "Robinson", mpRobinson, 0, true, false, 70, 0, 0, 0, 0, 0, OptionalSpin::None},  // 49
    {"Sanson-Flamsteed-Projektion", "Sinusoidal", mpSinusoidal, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 50
    {"Stereographische Projektion", "Stereographic", mpStereographic, 0, true, false, 65, 0, 22, 0, 0, 0, OptionalSpin::Phi0},  // 51
    {"Transverse Mercator-Projektion", "Transverse Mercator", mpTMercator, 1, true, false, 70, 0, 0, 0, 0, 0, OptionalSpin::None},  // 52
    {"Tristan Edwards-Projektion", "Trystan Edwards", mpTristanEdwards, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 53
    {"Urmaev-Projektion", "Urmaev flat-polar sinusoidal", mpUrmaev, 0, true, false, 75, 0, 0, 0, 0, 1, OptionalSpin::None},  // 54
    {"Urmaev-Projektion V", "Urmaev V", mpUrmaevV, 0, true, false, 75, 0, 0, 0, 0, 1, OptionalSpin::None},  // 55
    {"Van der Grinten-Projektion", "Van der Grinten", mpGrinten, 0, true, false, 65, 10, 0, 0, 0, 0, OptionalSpin::None},  // 56
    {"Wagner-Projektion I", "Wagner I", mpWagnerI, 0, true, false, 75, 0, 0, 0, 0, 1, OptionalSpin::None},  // 57
    {"Wagner-Projektion II", "Wagner II", mpWagnerII, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 58
    {"Wagner-Projektion III", "Wagner III", mpWagnerIII, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 59
    {"Wagner-Projektion IV", "Wagner IV", mpWagnerIV, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 60
    {"Wagner-Projektion VI", "Wagner VI", mpWagnerVI, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 61
    {"Wagner-Projektion VII", "Wagner VII", mpWagnerVII, 0, true, false, 75, 0, 0, 0, 0, 0, OptionalSpin::None},  // 62
    {"Winkel-Projektion I", "Winkel I", mpWinkelI, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 63
    {"Winkel-Projektion II", "Winkel II", mpWinkelII, 0, true, false, 65, 0, 0, 0, 0, 0, OptionalSpin::None},  // 64
};

constexpr std::string_view kEnumNames[kProjectionCount] = {
    "mpOrthographic", "mpUTM", "mpDatumUTM", "mpNationalGrid", "mpWinkelI", "mpSinusoidal", "mpEquirectangular", "mpBStereo", "mpHammer", "mpGvnsp", "mpAzimuthalEA", "mpLaAzimuthalEA", "mpGrinten", "mpPolyconic", "mpRobinson", "mpLaConformalConic", "mpGnomonic", "mpTMercator", "mpCassiniS", "mpMercator", "mpMollweide", "mpWagnerIV", "mpWagnerVII", "mpIMollweide", "mpEDConical", "mpAlbertsCEA", "mpStereographic", "mpEckertII", "mpWinkelII", "mpBonne", "mpLamCylindricalEA", "mpBerCylindricalEA", "mpTristanEdwards", "mpPeters", "mpGallOrth", "mpBalthasart", "mpCollignon", "mpEckertI", "mpEckertIII", "mpPutnins", "mpKavraiskyVII", "mpWagnerVI", "mpEckertV", "mpCraster", "mpEckertIV", "mpFahey", "mpFoucautS", "mpGall", "mpEckertVI", "mpMcBryde", "mpLoximuthal", "mpMiller", "mpNell", "mpFoucaut", "mpKavraiskyV", "mpMcBrydeSin", "mpQuarticAu", "mpWagnerII", "mpWagnerIII", "mpUrmaev", "mpWagnerI", "mpUrmaevV", "mpMcBrydeSin2", "mpMcBrydeP", "mpMcBrydeQ", "mpPutnins2"
};

// Kind -> list position, built from the list so that the two can never disagree.
constexpr std::array<std::int8_t, kProjectionCount> BuildPositions() {
  std::array<std::int8_t, kProjectionCount> pos{};
  for (int i = kFirstListedPosition; i < kListCount; ++i)
    pos[kCatalogue[i].Kind] = static_cast<std::int8_t>(i);
  return pos;
}
constexpr auto kPositions = BuildPositions();

}  // namespace

const CatalogueEntry& CatalogueAt(int position) {
  if (position < 0 || position >= kListCount) position = 0;
  return kCatalogue[position];
}

int ListPositionOf(TProjection kind) {
  return kind < kProjectionCount ? kPositions[kind] : 0;
}

std::string_view EnumName(TProjection kind) {
  return kind < kProjectionCount ? kEnumNames[kind] : std::string_view("?");
}

std::optional<TProjection> KindNamed(std::string_view enumName) {
  for (int k = 0; k < kProjectionCount; ++k)
    if (kEnumNames[k] == enumName) return static_cast<TProjection>(k);
  return std::nullopt;
}

void ResetProjectionToDefaults(TGxProjectionL& p, int width, int height) {
  const int position = p.ListIndex();
  if (position < kFirstListedPosition) {
    p.Ready = false;
    return;
  }
  const CatalogueEntry& e = kCatalogue[position];
  const double side = std::min(width, height);
  p.Radius = e.RadiusFactor * side / 440.0;
  p.Theta = e.Theta * gx::kDegToRad;
  p.Phi0 = e.Phi0 * gx::kDegToRad;
  p.Phi1 = e.Phi1 * gx::kDegToRad;
  p.Phi2 = e.Phi2 * gx::kDegToRad;
  p.X0 = side / 2.0;
  p.Y0 = side / 2.0;
  p.Other = e.Other;
  p.Oblique = 0;
  p.Ready = true;
}

int WindowMapInput(TProjection kind) { return CatalogueAt(ListPositionOf(kind)).EllipsType == 1 ? 30 : 220; }

void SetUpLikeWindow(TGxProjectionL& p, TProjection kind, int width, int height) {
  p.Projection = kind;
  p.SetMapInput(WindowMapInput(kind));
  ResetProjectionToDefaults(p, width, height);
  p.SetX0(width / 2);
  p.SetY0(height / 2);
  p.AxisTheta = p.Theta;
  p.AxisPhi = p.Phi0;
}
