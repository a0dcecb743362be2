// TGxProjectionL: the projection component. It holds every projection
// parameter and the working coordinate pair, turns degrees into map pixels
// (Forward) and pixels back into degrees (Inverse) for the selected kind, and
// reports through integer codes and events.
//
// Units: the interface takes and gives degrees and pixels; the fields hold
// radians (angles) and pixels (lengths on the map). Map y grows downward: a
// point (u, v) of the unit-radius plane lies at X0 + Radius*u, Y0 - Radius*v.
//
// Forward and Inverse allocate nothing and never throw, whatever the input.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>

#include "projection/Catalogue.h"
#include "projection/Numerics.h"

class TGxConvertL;
class TGxProjectionL;

namespace gx {
struct Prepared;
struct Out;
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
  void Forward(double Lambda, double Phi);  // degrees -> pixels
  void Inverse(double x, double y);         // pixels -> degrees

  // Inverse of the pixels (x0 + i, y), i = 0..n-1, for drawing. lon/lat in
  // degrees and code per pixel are bit-identical to what n successive calls
  // of Inverse(x0 + i, y) would leave in X, Y, ErrorCode (for refused pixels
  // only the code is written). Fires no events and skips the converter:
  // callers use it only when CanDrawInBatches(). Afterwards the working
  // fields (X, Y, ErrorCode, IterLat, IterAux, SemiMajor, AxisRatio, Other)
  // are exactly those the n calls would have left. Allocates nothing.
  void InverseRow(double y, double x0, int n, double* lon, double* lat, int* code);
  // No handler assigned and no converter attached: nothing could tell
  // InverseRow from the calls of Inverse it stands for.
  bool CanDrawInBatches() const { return !OnError && !OnForward && !OnInverse && !GxConvert; }

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
  const gx::Prepared& Prepare();
  void Rebuild();
  PreparedKey KeyNow() const;
  void Apply(const gx::Prepared& k, const gx::Out& o, double xp);
  void Place(int leaves);
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
};
