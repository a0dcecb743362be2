// The fixed vocabulary of the projection engine: the kinds, the list in which
// the window offers them, and each list position's description and defaults.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Order fixed: the dispatch and every stored Projection value depend on it.
enum TProjection : std::uint8_t {
  mpOrthographic, mpUTM, mpDatumUTM, mpNationalGrid, mpWinkelI, mpSinusoidal,
  mpEquirectangular, mpBStereo, mpHammer, mpGvnsp, mpAzimuthalEA, mpLaAzimuthalEA,
  mpGrinten, mpPolyconic, mpRobinson, mpLaConformalConic, mpGnomonic, mpTMercator,
  mpCassiniS, mpMercator, mpMollweide, mpWagnerIV, mpWagnerVII, mpIMollweide,
  mpEDConical, mpAlbertsCEA, mpStereographic, mpEckertII, mpWinkelII, mpBonne,
  mpLamCylindricalEA, mpBerCylindricalEA, mpTristanEdwards, mpPeters, mpGallOrth,
  mpBalthasart, mpCollignon, mpEckertI, mpEckertIII, mpPutnins, mpKavraiskyVII,
  mpWagnerVI, mpEckertV, mpCraster, mpEckertIV, mpFahey, mpFoucautS, mpGall,
  mpEckertVI, mpMcBryde, mpLoximuthal, mpMiller, mpNell, mpFoucaut, mpKavraiskyV,
  mpMcBrydeSin, mpQuarticAu, mpWagnerII, mpWagnerIII, mpUrmaev, mpWagnerI,
  mpUrmaevV, mpMcBrydeSin2, mpMcBrydeP, mpMcBrydeQ, mpPutnins2
};

inline constexpr int kProjectionCount = 66;  // ordinals 0..65
inline constexpr int kListCount = 65;        // list positions 0..64
inline constexpr int kFirstListedPosition = 3;  // 0..2 are the grid kinds

// Which optional latitude spin edit the window shows for a position.
enum class OptionalSpin : std::uint8_t { None, Phi0, Phi1 };

struct CatalogueEntry {
  std::string_view DisplayName;  // UTF-8, German: what the window, recipes and --kind use
  std::string_view EnglishName;  // UTF-8, the name in the literature
  TProjection Kind;
  std::int16_t EllipsType;
  bool TypeGeo;
  bool Reference;
  // Defaults row: radius factor, angles in whole degrees, Other as a plain number.
  std::int16_t RadiusFactor, Theta, Phi0, Phi1, Phi2, Other;
  OptionalSpin Spin;
};

// Entry of list position 0..64; positions outside that range give position 0.
const CatalogueEntry& CatalogueAt(int position);

// List position of a kind: the grid kinds and mpPutnins2 give 0.
int ListPositionOf(TProjection kind);

// The identifier of a kind ("mpMollweide"), for tools and messages.
std::string_view EnumName(TProjection kind);
// The kind of that identifier, if any.
std::optional<TProjection> KindNamed(std::string_view enumName);

inline constexpr bool IsGridKind(TProjection kind) {
  return kind == mpUTM || kind == mpDatumUTM || kind == mpNationalGrid;
}

class TGxProjectionL;

// The defaults reset for a W x H map, shared by the map control, the window and
// the command-line tools: positions 3..64 take their defaults row and become
// Ready; the grid positions only become not Ready.
void ResetProjectionToDefaults(TGxProjectionL& p, int width, int height);

// The ellipsoid index the window sets for a kind: 30 for the kinds whose
// EllipsType is 1, 220 for the others.
int WindowMapInput(TProjection kind);

// A kind set up as the window sets it up before its first drawing, for a
// W x H map: the kind, its ellipsoid index (WindowMapInput), the defaults
// reset, the map centre at the integer halves of the map (W / 2, H / 2) and
// the tilt axis at the map centre (Theta, Phi0). The tools, the benches and
// the tests take their maps from here.
void SetUpLikeWindow(TGxProjectionL& p, TProjection kind, int width, int height);
