// TGxProjectionL: the projection component. It holds every projection
// parameter and the working coordinate pair, turns geographic positions into
// map pixels (Forward) and pixels back into geographic positions (Inverse)
// for the selected kind (Projection, TProjection in projection/Catalogue.h),
// and reports through integer codes and events.
//
// Units and ranges
//   Forward(Lambda, Phi): longitude and latitude in degrees, any finite
//     value (a longitude is wrapped once toward Theta by the kinds that wrap;
//     a latitude beyond a pole is taken as its fold by the pseudocylindrical
//     kinds). Result: X, Y in pixels of the map bitmap, x to the right, y
//     downward; a point (u, v) of the unit-radius projection plane, v to the
//     north, lies at X0 + Radius*u, Y0 - Radius*v.
//   Inverse(x, y): pixel coordinates, any finite value. Result: X = longitude
//     in degrees in [-180, 180], Y = latitude in degrees in [-90, 90].
//   Parameters: Radius and X0, Y0 in pixels; Theta, Phi0, Phi1, Phi2,
//     Oblique, AxisTheta, AxisPhi in radians (the setters take degrees);
//     Other a plain number whose role is the kind's. For the three grid kinds
//     (mpUTM, mpDatumUTM, mpNationalGrid) the values are affine coefficients
//     and neither the input nor the output is converted or tilted.
//
// Codes (ErrorCode after each call; 0 is success)
//   Not ready. Every kind refuses to work while Ready is false or, for most
//     kinds, Radius is below 0.01 pixel or NaN: Forward reports the kind's
//     not-ready code F, Inverse its inverse code (F + 1 for most kinds).
//   Kinds' failures. Each kind owns a block of codes between 1 and 9999,
//     listed below; each family's source file (projection/*.cpp) lists its
//     block beside its table.
//   kNonFiniteInput (9900). The frame's own code: a NaN or infinite input
//     coordinate, refused before any kind's routine.
//   10000, 100000 (gx::kSolverNoConvergence, ...Big). A latitude solver that
//     did not converge; never left after a call, which replaces it.
//   OnError fires for every code below 10000, 0 included when the kind
//   reports it (a few kinds report success silently, without an event);
//   OnForward/OnInverse fire after the call with (X, Y, 0) or (0, 0, code).
//   After a failure X and Y hold what the kind leaves (often (-1, -1),
//   (0, 0) or the input): callers look at ErrorCode, not at the pair.
//
// Code blocks by kind: forward not ready / inverse not ready; failures.
//   Cylindrical: equirectangular 180/181; 187 out of range. Braun 190/191;
//     197. Mercator 310/311; 315 a pole, 316 out of range or no latitude.
//     Equal-area B = 410 Lambert, 420 Behrmann, 430 Trystan Edwards, 440
//     Peters, 450 Gall orthographic, 460 Balthasart: B+1/B+2; B+3 no
//     latitude, B+4 out of range. Miller 621/622, Gall 581/582; F+2
//     longitude, F+3 latitude.
//   Transverse: transverse Mercator 290/291, Cassini-Soldner 300/301; F+5
//     cut off, F+6 no ellipsoidal inverse, F+7 out of the sphere's range,
//     F+8 outside the series' band.
//   Azimuthal: orthographic 107/111; 106 far side, 110 out of range.
//     Stereographic 380/381, gnomonic 280/281; F+2. Azimuthal equidistant
//     220/221, Lambert azimuthal equal-area 230/231; F+7 out of range, F+8
//     at the centre's band or the antipode. Vertical perspective 200/201;
//     202 hidden, 203 beyond the horizon, 204 negative height.
//   Conic: Lambert conformal 270/275; 271 symmetric parallels, 272 flat cone
//     or no image, 273, 274 (inverse), 276 off the map (277 then 276 without
//     a latitude). Equidistant 360/362; 361 then 368, 363 then 367 for
//     symmetric parallels, 367 off the map. Albers 370/372; 371, 373 no
//     cone, 374 off the map. Bonne 411/412; 413 beyond the apex and off the
//     map, 415 off the map (the whole heart is the map: the cut-off leaves
//     it alone; on the equator the sinusoidal's codes). Polyconic
//     250/251; 257 off the map, 258 cut off.
//   Pseudocylindrical: F/F+1, then F+2 longitude and F+3 latitude out of
//     range unless said otherwise. Sinusoidal 170/171; 177 out of range.
//     Eckert I 481. Eckert II 390/391; 392. Eckert III 491, Putnins P1 501,
//     Kavraisky VII 511, Wagner VI 521: F+2 no width, F+3 longitude, F+4
//     latitude. Eckert IV 551 (+555 no width). Eckert V 531. Craster 541
//     (+545 no latitude, 546 no width). Eckert VI 591, McBryde-Thomas sine 2
//     601 (F+2 also beyond the map). Mollweide 320, Wagner IV 330,
//     interrupted Mollweide 350: F+2 no auxiliary angle, F+3 off the map.
//     Quartic authalic 671, McBryde-Thomas sine 1 661, Kavraisky V 651,
//     Foucaut 641. McBryde-Thomas sinusoidal 731, parabolic 741, quartic 751
//     (+F+4 row beyond, F+5 no auxiliary angle, F+6 no latitude). Wagner I
//     711, Wagner II 681, Urmaev 701, Wagner III 691, Urmaev V 721 (+F+4 row
//     beyond). Nell 631. Foucaut sinusoidal 571 (+575 blend refused). Fahey
//     561/562; 563 longitude, 564 latitude, 565 the pole. Loximuthal 611.
//     Collignon 471/472; 473 above the top, 474 no latitude, 475 longitude.
//   World: Winkel I 130/131; 137. Winkel II 160/161; 167. Hammer 210/211;
//     217 off the map, 218 no image. Wagner VII 340/341; 343. Van der
//     Grinten 240/241 (not ready reports 240 then 248); 247 off the map, 248
//     no image. Robinson 260/261; 262 beyond the table or cut off, 266 cut
//     off, 267 off the map.
//   Grid kinds 152/153 (153 also for a singular grid).
//
// Forward and Inverse allocate nothing and never throw, whatever the input.
// The component is not re-entrant and is used from one thread; a copy may be
// used on another thread (InverseRow, CanDrawInBatches).
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "projection/Catalogue.h"
#include "projection/Constants.h"

class TGxConvertL;
class TGxProjectionL;

namespace gx {
struct Prepared;
struct Out;
struct LatitudeBands;
void RunInverseRoutine(TGxProjectionL& p, double x, double y);
}  // namespace gx

enum TInPut : std::uint8_t { ifGeographic, ifUTM, ifDatumUTM, ifNationalGrid };
enum TOutPut : std::uint8_t { ofGeographic, ofUTM, ofDatumUTM, ofNationalGrid };

// A zone text of at most three characters, stored inline so that the
// hand-over to the conversion component allocates nothing.
class TZone {
 public:
  TZone() = default;
  TZone(std::string_view text) { Assign(text); }  // NOLINT: used like a string
  void Assign(std::string_view text) {
    length_ = static_cast<std::uint8_t>(text.size() < 3 ? text.size() : 3);
    for (int i = 0; i < 4; ++i) text_[i] = i < length_ ? text[i] : '\0';
  }
  std::string_view View() const { return {text_, length_}; }
  std::string Str() const { return std::string(View()); }
  bool operator==(const TZone& o) const { return View() == o.View(); }
  bool operator==(std::string_view o) const { return View() == o; }

 private:
  char text_[4] = {0, 0, 0, 0};
  std::uint8_t length_ = 0;
};

class TGxProjectionL;

// Events: the Sender (the component) comes first, as in every event here.
using TErrorEvent = std::function<void(TGxProjectionL* Sender, int Return)>;
using TForEvent = std::function<void(TGxProjectionL* Sender, double X, double Y, int Return)>;
using TInvEvent = std::function<void(TGxProjectionL* Sender, double Theta, double Phi, int Return)>;
using TGetInfoEvent = std::function<void(TGxProjectionL* Sender, const std::string& MapName,
                                         bool TypeGeo, bool Reference, int EllipsType,
                                         int MapNumber)>;
using TGetConstants = std::function<void(TGxProjectionL* Sender, double Radius, double Theta,
                                         double Phi0, double Phi1, double Phi2, double X0,
                                         double Y0, double Oblique, double Other)>;
using TIOFormat = std::function<void(TGxProjectionL* Sender, int InFormat, int OutFormat,
                                     int InIndex, int OutIndex)>;


// The frame's own code: Forward of a NaN or infinite longitude or latitude,
// or Inverse of a NaN or infinite pixel coordinate, before any kind's
// routine sees it. It lies outside every kind's block of codes and, being
// below 10000, reaches OnError like them.
inline constexpr int kNonFiniteInput = 9900;

class TGxProjectionL {
 public:
  TGxProjectionL() = default;
  explicit TGxProjectionL(void* /*owner*/) {}

  // ---- Events -----------------------------------------------------------
  TErrorEvent OnError;
  TForEvent OnForward;
  TInvEvent OnInverse;
  TGetInfoEvent OnGetInfo;
  TGetConstants OnGetConstants;
  TIOFormat OnGetIOFormat;  // kept and streamed; nothing fires it

  // ---- Fields, in declaration order ---------------------------------------
  TGxConvertL* GxConvert = nullptr;  // optional, not owned
  bool TruncUTM = false;             // kept; no result depends on it
  double IterLat = 0;                // latitude result of the iterative solvers
  double IterAux = 0;                // second result of the polyconic solver
  bool ForwardCutOff = false;
  double SemiMajor = 0;  // a of the selected ellipsoid (metres)
  double AxisRatio = 0;  // b/a of that ellipsoid
  double X = 0;          // working pair: see the class comment
  double Y = 0;
  int ErrorCode = 0;
  bool Ready = false;
  double GridMaxLon = 180, GridMinLon = -180, GridMaxLat = 90, GridMinLat = -90;
  double GridSpacing = 15;
  double GridStep = 1;
  TInPut InputFormat = ifGeographic;  // kept; no result depends on it
  std::int32_t InputIndex = 220;
  std::int32_t MapInput = 220;  // ellipsoid index
  TOutPut OutputFormat = ofGeographic;  // kept; no result depends on it
  std::int32_t OutputIndex = 220;
  TProjection Projection = mpOrthographic;
  double Radius = 0;  // pixels
  double Theta = 0;   // central longitude, radians
  double Phi0 = 0, Phi1 = 0, Phi2 = 0;  // radians; role per kind
  double X0 = 0, Y0 = 0;  // pixels
  double Other = 0;       // plain number, never converted
  double Oblique = 0;     // tilt, radians
  double AxisTheta = 0, AxisPhi = 0;  // tilt axis, radians
  double RotCentreX = 0, RotCentreY = 0, RotAngle = 0;  // plane turn (identity here)
  TZone Zone;


  // ---- Operations ------------------------------------------------------------
  // Degrees to pixels: the result in X, Y (pixels) and ErrorCode; fires
  // OnError (codes below 10000) and OnForward.
  void Forward(double Lambda, double Phi);
  // Pixels to degrees: the result in X (longitude, [-180, 180]), Y
  // (latitude, [-90, 90]) and ErrorCode; fires OnError and OnInverse.
  void Inverse(double x, double y);

  // Inverse of the pixels (x0 + i * step, y), i = 0..n-1, for drawing;
  // step >= 1. lon/lat in degrees and code per pixel are bit-identical to
  // what n successive calls of Inverse(x0 + i * step, y) would leave in X,
  // Y, ErrorCode (for refused pixels only the code matters). Afterwards the
  // working fields (X, Y, ErrorCode, IterLat, IterAux, SemiMajor, AxisRatio,
  // Other) are exactly those the n calls would have left. Allocates
  // nothing. Meant for CanDrawInBatches(): then no event fires; the part of
  // a row kernel that depends on the row is computed once, the latitude fold
  // once per latitude. With a plane turn, a converter, a handler or a grid
  // kind it is Inverse pixel by pixel, converter and events included.
  void InverseRow(double y, double x0, int n, double* lon, double* lat, int* code, int step = 1);
  // InverseRow without its last step: for the pixels the kind takes, lon and
  // lat are the angles in radians before the fold into degrees, and
  // FoldedDegrees makes of them exactly what InverseRow gives. The fold costs
  // two sines and two arcsines a pixel; a caller that needs a position only
  // to a tolerance (a picture's pixel far from a cell border) can do without
  // it. Returns false when the row went pixel by pixel through Inverse (the
  // cases listed above): lon and lat are then degrees already. The working
  // fields afterwards are those of InverseRow.
  bool InverseRowUnfolded(double y, double x0, int n, double* lon, double* lat, int* code,
                          int step = 1);
  // For the colour pass of a plate carree picture of `rows` rows sampled at
  // its nearest row (0: no picture). Where a kind solves its latitude by
  // iteration from a quantity that depends on the latitude alone (the
  // Lambert, equidistant and Albers conics), InverseRowUnfolded may then
  // hand out, instead of a pixel's latitude, the middle latitude of the
  // picture row it falls in, away from the rows' borders, without solving;
  // codes and longitudes stay exact, the working fields too. InverseRow and
  // Inverse are not affected. Holds for the parameters of the call and is
  // ignored once they change (allocates).
  void SetPictureRows(int rows);
  // The fold of Inverse: a longitude and latitude in radians, as the kind
  // and the tilt leave them, to degrees in [-180, 180] and [-90, 90].
  static void FoldedDegrees(double lambda, double phi, double& lon, double& lat);
  // The kind's inverse solves for the latitude by iteration where its
  // forward has it in closed form (the three conics on the ellipsoid, the
  // polyconic always): a caller free to choose between the inverses and the
  // forwards of nearby points pays a fraction for the forwards.
  bool InverseSolves();
  // Whether the map is its own mirror image about its centre column X0, as
  // the pixels x0 + i * step of a row see it: pixel i's image is then pixel
  // mirror - i, which shows the point of pixel i with its longitude
  // reflected about the central meridian, or is refused as pixel i is (the
  // code may differ). False where the images fall between the pixels, where
  // a tilt or a plane turn moves the map off its meridian, for the grid
  // kinds and for a kind whose map is lopsided (the interrupted Mollweide).
  bool MirrorPixels(double x0, int step, double& mirror);
  // No handler assigned and no converter attached: nothing could tell
  // InverseRow from the calls of Inverse it stands for.
  bool CanDrawInBatches() const { return !OnError && !OnForward && !OnInverse && !GxConvert; }

  // Leaves every event handler unassigned: for a copy that computes apart
  // from its owner (on another thread, for a read-out or a probe), whose
  // calls must not reach the owner's handlers.
  void DropHandlers() {
    OnError = nullptr;
    OnForward = nullptr;
    OnInverse = nullptr;
    OnGetInfo = nullptr;
    OnGetConstants = nullptr;
    OnGetIOFormat = nullptr;
  }

  void SetError(int Code) {
    ErrorCode = Code;
    if (Code < 10000 && OnError) OnError(this, Code);
  }

  void SetListIndex(int Index);
  int ListIndex() const { return ListPositionOf(Projection); }
  template <class StringList>
  void FillProjectionList(StringList& Items, bool WithGrids) const {
    Items.clear();
    for (int i = WithGrids ? 0 : kFirstListedPosition; i < kListCount; ++i)
      Items.push_back(typename StringList::value_type(CatalogueAt(i).DisplayName));
  }
  void GetInfo();
  void GetConstants();

  void SetMapInput(int Value) { MapInput = Value; }
  void SetRadius(double R) { Radius = R; }
  void SetTheta(double D) { Theta = D * gx::kDegToRad; }
  void SetPhi0(double D) { Phi0 = D * gx::kDegToRad; }
  void SetPhi1(double D) { Phi1 = D * gx::kDegToRad; }
  void SetOblique(double D) { Oblique = D * gx::kDegToRad; }
  void SetX0(double P) { X0 = P; }
  void SetY0(double P) { Y0 = P; }
  void SetAxis(double ThetaD, double PhiD) {
    AxisTheta = ThetaD * gx::kDegToRad;
    AxisPhi = PhiD * gx::kDegToRad;
  }

  // Tilts below the threshold are treated as none: a rounding residue must
  // not send every point through the turn.
  bool Tilted() const { return std::fabs(Oblique) > 0.0001; }

  // Turns (lambda, phi) about the tilt axis by Oblique (forward) or -Oblique
  // (inverse); the result goes to X, Y.
  void ObliqueRotate(double lambda, double phi, bool forwardSense);

  // ---- Ellipsoid and solvers (shared by the ellipsoidal kinds) --------------
  // (a, b/a) of the ellipsoid that MapInput selects.
  struct Axes {
    double a;
    double ratio;
  };
  Axes EllipsoidAxes() const;
  double SemiMinorAxis() const;
  // Each leaves its latitude in IterLat and its status (0, 10000 or 100000)
  // in ErrorCode, without SetError.
  // (The solvers themselves are pure functions of the numerical library;
  // these show their results in the fields, as the kinds' routines see them.)
  void LatitudeFromQ(double e, double q);
  void LatitudeFromT(double e, double t);
  void LatitudeFromMeridian(double M, double e0, double e1, double e2, double e3);
  void PolyconicLatitude(double es, double e0, double e1, double e2, double e3, double A, double B);

 private:
  friend void gx::RunInverseRoutine(TGxProjectionL& p, double x, double y);

  // The constant block of the kinds' kernels (gx::Prepared, internal), made
  // again whenever a parameter it was made from has other bits: fields are
  // public and may change between any two calls without anyone saying so.
  struct PreparedKey {
    std::uint64_t params[11] = {};  // Radius .. AxisPhi, as bits
    const TGxConvertL* convert = nullptr;
    std::int32_t mapInput = 0;
    TProjection projection = mpOrthographic;
    bool ready = false, cutOff = false, valid = false;
  };
  PreparedKey preparedKey_;
  alignas(16) unsigned char prepared_[768] = {};
  std::shared_ptr<const gx::LatitudeBands> bands_;
  const gx::Prepared& Prepare();
  bool ParametersAsPrepared() const;
  void Rebuild();
  PreparedKey KeyNow() const;
  void Apply(const gx::Prepared& k, const gx::Out& o, double xp);
  void ApplyEffects(const gx::Prepared& k, const gx::Out& o);
  void CheckOutline(const gx::Prepared& k, const gx::Out& o, double xp);
  void Place(int leaves);
  void Refuse(int code, int leaves);
  void StoreAxes(const gx::Prepared& k);
  void RunForward(const gx::Prepared& k, bool finite);
  void RunInverse(const gx::Prepared& k, bool finite);

  void HandOverForward(double& Lambda, double& Phi);
  void HandOverInverse();
  void IndexCheck();
  // The parts of Inverse: the kind's routine with the plane turn and the
  // tilt; the fold into degrees; the converter and the event.
  void InverseRoutine(double x, double y);
  void FoldToDegrees();
  void InverseHandOverAndEvent();
  bool RowUnfolded(double y, double x0, int n, double* lon, double* lat, int* code, int step,
                   bool drawing);
};
